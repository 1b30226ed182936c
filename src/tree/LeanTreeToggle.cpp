// Expanding, collapsing and toggling nodes, scrolling nodes and columns into view, and the
// timed animation loop.

#include "tree/BaseLeanTree.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Threads.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

bool ApplicationTerminating() {
    return Application && Application->Terminated();
}

} // namespace

void TBaseLeanTree::Animate(Cardinal Steps, Cardinal Duration, const TLTAnimationCallback& Callback,
                            void* Data) {
    if (FStates.Contains(tsInAnimation) || Duration == 0) return;
    DoStateChange({tsInAnimation});
    TScopeExit Animated([&] { DoStateChange({}, {tsCancelHintAnimation, tsInAnimation}); });
    long long RemainingTime = Duration;
    int StepSize = std::max(1, static_cast<int>(std::lround(static_cast<double>(Steps) / Duration)));
    long long RemainingSteps = Steps / static_cast<Cardinal>(StepSize);
    int CurrentStep = 0;
    // The timer service's clock paces the loop, so that a test clock runs it without waiting.
    TLTTimerService& Clock = Timers();
    while (RemainingSteps > 0 && RemainingTime > 0 && !ApplicationTerminating()) {
        const UInt64 StartTime = Clock.Now();
        const UInt64 NextTimeStep = StartTime + static_cast<UInt64>(RemainingTime / RemainingSteps);
        if (!Callback(CurrentStep, StepSize, Data)) break;
        Clock.WaitUntil(NextTimeStep);
        const long long Elapsed = static_cast<long long>(Clock.Now() - StartTime);
        if (Elapsed <= RemainingTime) {
            RemainingTime -= Elapsed;
            --RemainingSteps;
        } else {
            RemainingTime = 0;
            RemainingSteps = 0;
        }
        // Less than a millisecond per step: larger steps.
        while (RemainingSteps > 0 && RemainingTime / RemainingSteps < 1) {
            ++StepSize;
            RemainingSteps = RemainingTime / StepSize;
        }
        CurrentStep = static_cast<int>(Steps - RemainingSteps);
    }
    if (!ApplicationTerminating()) Callback(0, 0, Data);
}

namespace {

// The band below a node's row slides by the children's height, step by step.
struct TToggleAnimation {
    HWND Window;
    TRect Band;
    int Direction; // 1 down (expanding), -1 up (collapsing)
    int Remaining;
};

} // namespace

void TBaseLeanTree::ToggleNode(PLeanNode Node) {
    ASSERT_MSG(Node, u"Node must not be nil.");
    const bool WasToggling = FStates.Contains(tsToggling);
    if (!WasToggling) DoStateChange({tsToggling});
    if (Node->States.Contains(vsDeleting) || Node->States.Contains(vsToggling)) {
        if (!WasToggling) DoStateChange({}, {tsToggling});
        return;
    }
    Node->States.Include(vsToggling);
    TScopeExit Leave([&] {
        Node->States.Exclude(vsToggling);
        if (!WasToggling) DoStateChange({}, {tsToggling});
    });

    const auto& Paint = TreeOptions()->PaintOptions();
    const auto& Auto = TreeOptions()->AutoOptions();
    const bool Animated = TreeOptions()->AnimationOptions().Contains(toAnimatedToggle) && FUpdateCount == 0 &&
                          HandleAllocated() && FAnimationDuration > 0;
    auto RunAnimation = [&](int Height, int Direction) {
        if (FStates.Contains(tsHint) && Application) Application->CancelHint();
        UpdateWindow(WindowHandle());
        const TRect Row = GetDisplayRect(Node, ColumnNone, false);
        if (Row.IsEmpty() || Row.Top < 0 || Row.Top >= ClientHeight()) return;
        const int Space = ClientHeight() - Row.Bottom;
        const int Distance = std::min(Height, Space);
        if (Distance <= 0) return;
        TToggleAnimation A{
            WindowHandle(), {0, Row.Bottom, ClientWidth(), ClientHeight()}, Direction, Distance};
        Animate(
            static_cast<Cardinal>(Distance), FAnimationDuration,
            [](int, int StepSize, void* Data) {
                auto* Anim = static_cast<TToggleAnimation*>(Data);
                const int Step = std::min(StepSize, Anim->Remaining);
                if (Step <= 0) return false;
                ScrollWindowEx(Anim->Window, 0, Step * Anim->Direction, &Anim->Band, &Anim->Band,
                               SW_INVALIDATE);
                UpdateWindow(Anim->Window);
                Anim->Remaining -= Step;
                return Anim->Remaining > 0;
            },
            &A);
    };

    int HeightDelta = 0;
    bool Toggled = false;
    if (Node->States.Contains(vsExpanded)) {
        if (DoCollapsing(Node)) {
            Toggled = true;
            const int OwnHeight = IsEffectivelyFiltered(Node) ? 0 : Node->NodeHeight;
            HeightDelta = OwnHeight - static_cast<int>(Node->TotalHeight);
            if (Animated && !FStates.Contains(tsCollapsing)) RunAnimation(-HeightDelta, -1);
            const Cardinal Tally = FullyVisible(Node) ? VisibleChildTally(Node) : 0;
            ChangeTotalHeight(Node, OwnHeight, false);
            FVisibleCount -= Tally;
            Node->States.Exclude(vsExpanded);
            DoCollapsed(Node);
            if (Auto.Contains(toAutoFreeOnCollapse) && Node->ChildCount > 0) {
                DeleteChildren(Node, false);
                Node->States.Include(vsHasChildren);
            }
        }
    } else if (DoExpanding(Node)) {
        Toggled = true;
        InitIfNeeded(Node);
        CreateLazyChildren(Node);
        if (Node->ChildCount > 0) {
            for (PLeanNode Child = Node->FirstChild; Child; Child = Child->NextSibling)
                if (Child->States.Contains(vsVisible)) {
                    MeasureItemHeight(Canvas(), Child);
                    HeightDelta += static_cast<int>(Child->TotalHeight);
                }
            if (Animated && !FStates.Contains(tsExpanding) && !FStates.Contains(tsPainting))
                RunAnimation(HeightDelta, 1);
            if (FUpdateCount == 0 && Auto.Contains(toAutoSort) && FHeader->SortColumn() >= ColumnNone)
                Sort(Node, FHeader->SortColumn(), FHeader->SortDirection(), false);
            Node->States.Include(vsExpanded);
            ChangeTotalHeight(Node, HeightDelta, true);
            if (FullyVisible(Node)) FVisibleCount += VisibleChildTally(Node);
            DoExpanded(Node);
        }
    }

    if (Toggled) {
        MarkCacheInvalid();
        if (FUpdateCount > 0) {
            UpdateRanges();
        } else {
            StartCacheValidation();
            if (Node->ChildCount > 0) {
                UpdateRanges();
                UpdateScrollBars(false);
                // Without a window there is no view to position.
                if (HandleAllocated() && !FStates.Contains(tsExpanding) && !FStates.Contains(tsPainting)) {
                    const bool Expanded = Node->States.Contains(vsExpanded);
                    const bool Above = Paint.Contains(toChildrenAbove);
                    const bool AutoScroll = Auto.Contains(toAutoScrollOnExpand);
                    if (!Expanded || (!AutoScroll && !Above)) {
                        if (Above) SetOffsetY(FOffsetY - HeightDelta);
                        Invalidate();
                    } else if (Above) {
                        const TRect Row = GetDisplayRect(Node, ColumnNone, false);
                        if (!AutoScroll || Row.Top - HeightDelta >= 0) {
                            SetOffsetY(FOffsetY - HeightDelta);
                        } else if (static_cast<int>(Node->TotalHeight) <= ClientHeight()) {
                            if (PLeanNode First = GetFirstVisible(Node, true)) SetTopNode(First);
                        } else {
                            SetBottomNode(Node);
                        }
                        Invalidate();
                    } else {
                        const TRect Row = GetDisplayRect(Node, ColumnNone, false);
                        if (Row.Height() + HeightDelta <= ClientHeight()) {
                            PLeanNode Last = GetLastVisible(Node, true);
                            if (Last && ScrollIntoView(Last, false, false))
                                Invalidate();
                            else
                                InvalidateToBottom(Node);
                        } else {
                            SetTopNode(Node);
                            Invalidate();
                        }
                    }
                }
            } else {
                InvalidateNode(Node);
            }
        }
    }
}

void TBaseLeanTree::FullExpand(PLeanNode Node) {
    if (FRoot->ChildCount == 0) return;
    if (Node == FRoot) Node = nullptr;
    DoStateChange({tsExpanding});
    BeginUpdate();
    TScopeExit Expanded([&] {
        EndUpdate();
        DoStateChange({}, {tsExpanding});
    });
    PLeanNode Stop = nullptr;
    PLeanNode Run = FRoot->FirstChild;
    if (Node) {
        Run = Node;
        for (PLeanNode R = Node; R != FRoot; R = R->Parent)
            if (R->NextSibling) {
                Stop = R->NextSibling;
                break;
            }
    }
    InitIfNeeded(Run);
    while (Run && Run != Stop) {
        if (!Run->States.Contains(vsExpanded)) ToggleNode(Run);
        Run = GetNext(Run);
    }
}

void TBaseLeanTree::FullCollapse(PLeanNode Node) {
    if (FRoot->ChildCount == 0) return;
    if (Node == FRoot) Node = nullptr;
    DoStateChange({tsCollapsing});
    BeginUpdate();
    TScopeExit Collapsed([&] {
        EndUpdate();
        DoStateChange({}, {tsCollapsing});
    });
    PLeanNode Run = GetLastVisibleNoInit(Node, true);
    while (Run && Run != Node) {
        if (Run->States.Contains(vsExpanded) && Run->States.Contains(vsHasChildren)) ToggleNode(Run);
        Run = GetPreviousNoInit(Run, true);
    }
    if (Node && Node->States.Contains(vsExpanded) && Node->States.Contains(vsHasChildren)) ToggleNode(Node);
}

bool TBaseLeanTree::ScrollIntoView(PLeanNode Node, bool Center, bool Horizontally) {
    if (!Node || Node == FRoot) return false;
    // Every collapsed ancestor opens, from the top down.
    std::vector<PLeanNode> Ancestors;
    for (PLeanNode Run = Node->Parent; Run != FRoot; Run = Run->Parent)
        Ancestors.push_back(Run);
    for (auto It = Ancestors.rbegin(); It != Ancestors.rend(); ++It)
        if (!(*It)->States.Contains(vsExpanded)) ToggleNode(*It);

    const TColumnIndex Column =
        FHeader->UseColumns() && FHeader->IsValidColumn(FFocusedColumn) ? FFocusedColumn : ColumnNone;
    const TRect R = GetDisplayRect(Node, Column, !TreeOptions()->MiscOptions().Contains(toGridExtensions));
    const TPoint Old = OffsetXY();
    const int Client = ClientHeight();
    if (R.Top < 0) {
        SetOffsetY(FOffsetY - R.Top + (Center ? Client / 2 : 0));
    } else if (R.Bottom > Client || Center) {
        int NewOffset = FOffsetY - R.Bottom + (Center ? Client / 2 : Client);
        if (!FHeader->UseColumns() && !FHorzBar.Visible && static_cast<int>(FRangeX) > ClientWidth())
            NewOffset -= GetSystemMetrics(SM_CYHSCROLL);
        SetOffsetY(NewOffset);
    }
    bool Result = OffsetXY() != Old;
    if (Horizontally) Result = ScrollIntoView(FFocusedColumn, Center) || Result;
    return Result;
}

bool TBaseLeanTree::ScrollIntoView(TColumnIndex Column, bool Center) {
    if (!FHeader->UseColumns() || !FHeader->IsValidColumn(Column)) return false;
    int Left = 0, Right = 0;
    FHeader->ColumnBounds(Column, Left, Right);
    const int Width = Right - Left;
    const int Client = ClientWidth();
    int Position;
    if (!Center) {
        Position = FEffectiveOffsetX;
        if (Left + Width > Client) Position = Left + Width + FEffectiveOffsetX - Client;
        if (Left < 0) Position = FEffectiveOffsetX + Left;
    } else {
        Position = Left + FEffectiveOffsetX + Width / 2 - Client / 2;
    }
    if (Position != FEffectiveOffsetX) SetOffsetX(-Position);
    return true;
}

void TBaseLeanTree::SetTopNode(PLeanNode Node) {
    if (!Node || Node == FRoot) return;
    for (PLeanNode Run = Node->Parent; Run != FRoot; Run = Run->Parent)
        if (!Run->States.Contains(vsExpanded)) ToggleNode(Run);
    const TRect R = GetDisplayRect(Node, FHeader->MainColumn(), true);
    SetOffsetY(FOffsetY - R.Top);
}

void TBaseLeanTree::SetBottomNode(PLeanNode Node) {
    if (!Node || Node == FRoot) return;
    for (PLeanNode Run = Node->Parent; Run != FRoot; Run = Run->Parent)
        if (!Run->States.Contains(vsExpanded)) ToggleNode(Run);
    const TRect R = GetDisplayRect(Node, FHeader->MainColumn(), false);
    SetOffsetY(FOffsetY - R.Bottom + ClientHeight());
}
