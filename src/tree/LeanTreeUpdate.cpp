// Update brackets, repaint requests, scroll ranges and bars, and the geometry of nodes: display
// rectangles, hit tests, column widths and node height measuring.

#include "tree/BaseLeanTree.h"

#include "platform/base/ScopeGuard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Messages.h"

#include <algorithm>
#include <cstdlib>

// ---- Update brackets ----------------------------------------------------------------------------

void TBaseLeanTree::SetRedraw(bool Value) {
    if (Visible() && HandleAllocated()) SendMessage(WindowHandle(), WM_SETREDRAW, Value ? 1 : 0, 0);
}

void TBaseLeanTree::BeginUpdate() {
    if (!IsDestroying()) {
        if (FUpdateCount == 0) {
            DoUpdating(usBegin);
            SetRedraw(false);
        } else {
            DoUpdating(usUpdate);
        }
    }
    ++FUpdateCount;
    DoStateChange({tsUpdating});
}

void TBaseLeanTree::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    if (IsDestroying()) return;
    TScopeExit Updating([this] { DoUpdating(FUpdateCount == 0 ? usEnd : usUpdate); });
    if (FUpdateCount == 0 && FStates.Contains(tsUpdating)) {
        if (FStates.Contains(tsUpdateHiddenChildrenNeeded)) {
            UpdateAllHiddenChildrenFlags();
            DoStateChange({}, {tsUpdateHiddenChildrenNeeded});
        }
        DoStateChange({}, {tsUpdating});
        PackSelection();
        MarkCacheInvalid();
        StartCacheValidation();
        if (HandleAllocated()) UpdateScrollBars(false);
        // The deferred work after the notifications runs even when a handler raises.
        auto Finish = [this] {
            if (FUpdateCount > 0) return;
            if (AutoSort()) SortTree(FHeader->SortColumn(), FHeader->SortDirection(), true);
            SetRedraw(true);
            if (HandleAllocated()) Invalidate();
            NotifyFormDesigner();
        };
        TScopeExit Finished(Finish);
        if (FStates.Contains(tsStructureChangePending))
            DoStructureChange(FLastStructureChangeNode, FLastStructureChangeReason);
        if (FStates.Contains(tsChangePending)) DoChange(FLastChangedNode);
    }
}

void TBaseLeanTree::BeginSynch() {
    if (!IsDestroying()) {
        if (FSynchUpdateCount > 0) {
            DoUpdating(usSynch);
        } else {
            DoUpdating(usBeginSynch);
            for (unsigned Id : {ChangeTimer, StructureChangeTimer, ExpandTimer, EditTimer, HeaderTimer,
                                ScrollTimer, SearchTimer})
                KillTreeTimer(Id);
            FLastSearchNode = nullptr;
            DoStateChange({}, {tsEditPending, tsIncrementalSearching, tsScrolling, tsScrollPending});
            if (FStates.Contains(tsStructureChangePending))
                DoStructureChange(FLastStructureChangeNode, FLastStructureChangeReason);
            if (FStates.Contains(tsChangePending)) DoChange(FLastChangedNode);
        }
    }
    ++FSynchUpdateCount;
    DoStateChange({tsSynchMode});
}

void TBaseLeanTree::EndSynch() {
    if (FSynchUpdateCount > 0) --FSynchUpdateCount;
    if (IsDestroying()) return;
    if (FSynchUpdateCount > 0) {
        DoUpdating(usSynch);
    } else {
        DoStateChange({}, {tsSynchMode});
        DoUpdating(usEndSynch);
    }
}

// ---- Repaint requests ---------------------------------------------------------------------------

void TBaseLeanTree::InvalidateNode(PLeanNode Node) {
    if (FUpdateCount > 0 || !HandleAllocated() || !Node || Node == FRoot) return;
    const TRect R = GetDisplayRect(Node, ColumnNone, false, true);
    if (!R.IsEmpty()) InvalidateRect(WindowHandle(), &R, false);
}

void TBaseLeanTree::InvalidateToBottom(PLeanNode Node) {
    if (FUpdateCount > 0 || !HandleAllocated()) return;
    if (!Node || Node == FRoot) {
        Invalidate();
        return;
    }
    if (!Node->States.Contains(vsInitialized) || !IsEffectivelyVisible(Node)) return;
    TRect R = GetDisplayRect(Node, ColumnNone, false);
    if (R.IsEmpty() || R.Top >= ClientHeight()) return;
    if (TreeOptions()->PaintOptions().Contains(toChildrenAbove) && Node->States.Contains(vsExpanded))
        R.Top -= static_cast<int>(Node->NodeHeight + Node->TotalHeight);
    R.Bottom = ClientHeight();
    InvalidateRect(WindowHandle(), &R, false);
}

void TBaseLeanTree::InvalidateChildren(PLeanNode Node, bool Recursive) {
    if (FUpdateCount > 0 || !HandleAllocated()) return;
    PLeanNode Run;
    if (!Node || Node == FRoot) {
        Run = FRoot->FirstChild;
    } else {
        InitIfNeeded(Node);
        InvalidateNode(Node);
        CreateLazyChildren(Node);
        Run = Node->FirstChild;
    }
    for (; Run; Run = Run->NextSibling) {
        InvalidateNode(Run);
        if (Recursive) InvalidateChildren(Run, true);
    }
}

void TBaseLeanTree::InvalidateColumn(TColumnIndex Column) {
    if (FUpdateCount > 0 || !HandleAllocated()) return;
    int Left = 0, Right = 0;
    if (!FHeader->ColumnBounds(Column, Left, Right)) return;
    const TRect R{Left, 0, Right, ClientHeight()};
    InvalidateRect(WindowHandle(), &R, false);
}

void TBaseLeanTree::RepaintNode(PLeanNode Node) {
    if (!Node || Node == FRoot || !HandleAllocated()) return;
    const TRect R = GetDisplayRect(Node, ColumnNone, false);
    InvalidateRect(WindowHandle(), &R, false);
    UpdateWindow(WindowHandle());
}

// ---- Ranges and scroll bars ---------------------------------------------------------------------

void TBaseLeanTree::UpdateVerticalRange() {
    if (FRoot->TotalHeight < FDefaultNodeHeight) FRoot->TotalHeight = FDefaultNodeHeight;
    const long long Range =
        static_cast<long long>(FRoot->TotalHeight) + FBottomSpace - static_cast<long long>(FRoot->NodeHeight);
    FRangeY = static_cast<Cardinal>(std::max<long long>(Range, 0));
}

void TBaseLeanTree::UpdateHorizontalRange() {
    if (FHeader->UseColumns()) {
        FRangeX = static_cast<Cardinal>(FHeader->ColumnsTotalWidth());
        return;
    }
    // Without a window there is nothing to measure widths with.
    if (!HandleAllocated()) {
        FRangeX = 0;
        return;
    }
    FRangeX = WidestTopRowExtent();
}

void TBaseLeanTree::UpdateRanges() {
    UpdateVerticalRange();
    UpdateHorizontalRange();
}

void TBaseLeanTree::UpdateScrollBars(bool DoRepaint) {
    if (!HandleAllocated()) return;
    UpdateVerticalScrollBar(DoRepaint);
    UpdateHorizontalScrollBar(DoRepaint);
}

void TBaseLeanTree::UpdateVerticalScrollBar(bool) {
    UpdateVerticalRange();
    if (FUpdateCount > 0 || !HandleAllocated()) return;
    const int Client = ClientHeight();
    if (static_cast<long long>(FRangeY) > Client) {
        const int MaxPos = static_cast<int>(FRangeY) - Client;
        FVertBar.Min = 0;
        FVertBar.Max = static_cast<int>(FRangeY);
        FVertBar.Page = std::max(Client + 1, 0);
        FVertBar.Position = std::clamp(-FOffsetY, 0, std::max(MaxPos, 0));
        if (!FVertBar.Visible) DoShowScrollbar(ScrollBarVert, true);
    } else {
        FVertBar = {FVertBar.Visible, 0, 0, 0, 0};
        if (FVertBar.Visible) DoShowScrollbar(ScrollBarVert, false);
    }
    SetOffsetY(-FVertBar.Position);
}

void TBaseLeanTree::UpdateHorizontalScrollBar(bool) {
    UpdateHorizontalRange();
    if (FUpdateCount > 0 || !HandleAllocated()) return;
    const int Client = ClientWidth();
    FEffectiveOffsetX = EffectiveOffsetFor(FOffsetX);
    if (static_cast<long long>(FRangeX) > Client) {
        const int MaxPos = static_cast<int>(FRangeX) - Client;
        FHorzBar.Min = 0;
        FHorzBar.Max = static_cast<int>(FRangeX);
        FHorzBar.Page = std::max(Client + 1, 0);
        FHorzBar.Position = std::clamp(FEffectiveOffsetX, 0, std::max(MaxPos, 0));
        if (!FHorzBar.Visible) DoShowScrollbar(ScrollBarHorz, true);
    } else {
        FHorzBar = {FHorzBar.Visible, 0, 0, 0, 0};
        if (FHorzBar.Visible) DoShowScrollbar(ScrollBarHorz, false);
    }
    FEffectiveOffsetX = FHorzBar.Position;
    SetOffsetX(UseRightToLeftAlignment() && static_cast<long long>(FRangeX) > Client
                   ? FEffectiveOffsetX - (static_cast<int>(FRangeX) - Client)
                   : -FEffectiveOffsetX);
}

TRect TBaseLeanTree::GetTreeRect() {
    return {0, 0, std::max(ClientWidth(), static_cast<int>(FRangeX)),
            std::max(ClientHeight(), static_cast<int>(FRangeY))};
}

// ---- Scrolling ----------------------------------------------------------------------------------

bool TBaseLeanTree::ApplyScrollOffset(TPoint Value) {
    const int X = std::min(0, std::max(Value.X, ClientWidth() - static_cast<int>(FRangeX)));
    const int Y = std::min(0, std::max(Value.Y, ClientHeight() - static_cast<int>(FRangeY)));
    int DeltaX = X - FOffsetX;
    if (UseRightToLeftAlignment()) DeltaX = -DeltaX;
    const int DeltaY = Y - FOffsetY;
    if (DeltaX == 0 && DeltaY == 0) return false;
    FOffsetX = X;
    FOffsetY = Y;
    FEffectiveOffsetX = EffectiveOffsetFor(FOffsetX);
    if (FStates.Contains(tsHint) && Application) Application->CancelHint();
    if (FUpdateCount == 0 && HandleAllocated()) {
        if (!FStates.Contains(tsToggling)) ScrollWindow(WindowHandle(), DeltaX, DeltaY, nullptr, nullptr);
        if (DeltaX != 0 && !FStates.Contains(tsSizing)) UpdateHorizontalScrollBar(true);
        if (DeltaY != 0 && !FStates.Contains(tsSizing) && !FStates.Contains(tsThumbTracking))
            UpdateVerticalScrollBar(true);
        // The row under a resting pointer is another one now.
        TPoint P;
        if (GetCursorPos(P)) {
            P = ScreenToClient(P);
            if (ClientRect().Contains(P)) TrackHotNode(P.X, P.Y);
        }
    }
    DoScroll(DeltaX, DeltaY);
    return true;
}

void TBaseLeanTree::SetOffsetX(int Value) {
    ApplyScrollOffset({Value, FOffsetY});
}

void TBaseLeanTree::SetOffsetY(int Value) {
    ApplyScrollOffset({FOffsetX, Value});
}

void TBaseLeanTree::SetOffsetXY(TPoint Value) {
    ApplyScrollOffset(Value);
}

// ---- Geometry -----------------------------------------------------------------------------------

int TBaseLeanTree::FontTextHeight() {
    if (HandleAllocated()) {
        Canvas()->SetFont(Font());
        return Canvas()->TextHeight(u"Tg");
    }
    // Without a device the font's own pixel height is the nearest answer.
    return std::abs(Font()->Height());
}

int TBaseLeanTree::CheckImageWidth(PLeanNode) {
    TCustomImageList* List = TreeOptions()->MiscOptions().Contains(toCheckSupport) ? CheckImages() : nullptr;
    return List ? List->Width() : 0;
}

bool TBaseLeanTree::NodeHasImage(PLeanNode Node, TLTImageKind Kind, TColumnIndex Column) {
    TCustomImageList* List = Kind == ikState ? FStateImages : FImages;
    bool Ghosted = false;
    int Index = -1;
    TCustomImageList* Custom = DoGetImageIndex(Node, Kind, Column, Ghosted, Index);
    return Index > -1 && (Custom || List);
}

TRect TBaseLeanTree::GetDisplayRect(PLeanNode Node, TColumnIndex Column, bool TextOnly, bool Unclipped,
                                    bool ApplyCellContentMargin) {
    ASSERT_MSG(Node, u"Node must not be nil.");
    ASSERT_MSG(Node != FRoot, u"Node must not be the hidden root node.");
    InitIfNeeded(Node);
    const bool MainColumn = Column == ColumnNone || Column == FHeader->MainColumn();
    if (!IsEffectivelyVisible(Node)) return {};

    const auto& Paint = TreeOptions()->PaintOptions();
    int Indent = 0;
    for (PLeanNode Run = Node->Parent; Run != FRoot; Run = Run->Parent) {
        if (!Run->States.Contains(vsVisible) || !Run->States.Contains(vsExpanded)) return {};
        if (MainColumn && !Paint.Contains(toFixedIndent)) Indent += static_cast<int>(FIndent);
    }

    int Top = 0;
    {
        PLeanNode Run = nullptr;
        Cardinal Position = 0;
        if (FStates.Contains(tsUseCache) && FindInPositionCache(Node, Position)) {
            Cardinal Dummy = 0;
            Run = FindInPositionCache(Position, Dummy);
        } else {
            Run = GetFirstVisibleNoInit(nullptr, true);
        }
        while (Run && Run != Node) {
            Position += Run->NodeHeight;
            Run = GetNextVisibleNoInit(Run, true);
        }
        Top = static_cast<int>(Position);
    }

    TRect Result{0, Top, std::max(ClientWidth(), static_cast<int>(FRangeX)), Top + Node->NodeHeight};
    int ColumnLeft = 0, ColumnRight = 0;
    if (FHeader->ColumnBounds(Column, ColumnLeft, ColumnRight)) {
        Result.Left = ColumnLeft;
        Result.Right = ColumnRight - 1;
    } else {
        OffsetRect(Result, -FEffectiveOffsetX, 0);
    }
    OffsetRect(Result, 0, FOffsetY);
    if (!TextOnly) return Result;

    int Offset = FMargin + Indent;
    if (MainColumn) {
        if (Paint.Contains(toShowRoot)) Offset += static_cast<int>(FIndent);
        if (TreeOptions()->MiscOptions().Contains(toCheckSupport) && Node->CheckType != ctNone) {
            const int Check = CheckImageWidth(Node);
            if (Check > 0) Offset += Check + 2;
        }
    }
    if (FStateImages && NodeHasImage(Node, ikState, Column)) Offset += FStateImages->Width() + 2;
    if (FImages && NodeHasImage(Node, ikNormal, Column)) Offset += FImages->Width() + 2;
    if (UseRightToLeftReading())
        Result.Right -= Offset;
    else
        Result.Left += Offset;

    const int TextWidth = QueryNodeContentWidth(Node, Column, Canvas());
    const int RowHeight = Result.Height();
    if (ApplyCellContentMargin && OnBeforeCellPaint) {
        const TRect Cell = Result;
        DoBeforeCellPaint(Canvas(), Node, Column, cpmGetContentMargin, Cell, Result);
    }

    // The tree and its columns read left to right with left-aligned text.
    if (Unclipped) {
        const int TextHeight = std::min(FontTextHeight(), RowHeight);
        if (Result.Height() < TextHeight) {
            const int Grow = (TextHeight - Result.Height() + 1) / 2;
            Result.Top -= Grow;
            Result.Bottom += Grow;
        }
        Result.Right = Result.Left + TextWidth - 1;
    } else if (TextWidth < Result.Width()) {
        Result.Right = Result.Left + TextWidth;
    }
    return Result;
}

void TBaseLeanTree::GetHitTestInfoAt(int X, int Y, bool Relative, THitInfo& HitInfo) {
    HitInfo = THitInfo{};
    const TRect Tree = GetTreeRect();
    if (X < 0) HitInfo.HitPositions.Include(hiToLeft);
    if (X > Tree.Right) HitInfo.HitPositions.Include(hiToRight);
    if (Y < 0) HitInfo.HitPositions.Include(hiAbove);
    if (Y > Tree.Bottom) HitInfo.HitPositions.Include(hiBelow);
    if (Relative) {
        X += FEffectiveOffsetX;
        Y -= FOffsetY;
    }
    if (!HitInfo.HitPositions.Empty()) return;

    int NodeTop = 0;
    HitInfo.HitNode = GetNodeAt(X, Y, false, NodeTop);
    if (HitInfo.HitNode) InitIfNeeded(HitInfo.HitNode);

    int ColumnLeft = 0, ColumnRight = Tree.Right;
    if (FHeader->UseColumns()) {
        HitInfo.HitColumn = FHeader->ColumnFromPosition(X);
        if (!FHeader->ColumnBounds(HitInfo.HitColumn, ColumnLeft, ColumnRight))
            HitInfo.HitColumn = ColumnNotFound;
    } else {
        HitInfo.HitColumn = ColumnNone;
    }
    X -= ColumnLeft;

    if (HitInfo.HitNode && HitInfo.HitColumn > ColumnNotFound) {
        HitInfo.HitPositions.Include(hiOnItem);
        if (TreeOptions()->MiscOptions().Contains(toNodeHeightResize)) {
            if (Y - NodeTop <= 1) HitInfo.HitPositions.Include(hiUpperSplitter);
            if (NodeTop + HitInfo.HitNode->NodeHeight - Y <= 3) HitInfo.HitPositions.Include(hiLowerSplitter);
        }
        if (UseRightToLeftReading())
            HitPositionsRightToLeft(HitInfo, X, ColumnRight - ColumnLeft);
        else
            HitPositionsLeftToRight(HitInfo, X, ColumnRight - ColumnLeft);
    } else {
        HitInfo.HitPositions.Include(hiNowhere);
    }
}

int TBaseLeanTree::GetMaxColumnWidth(TColumnIndex Column, bool UseSmartColumnWidth) {
    if (OperationCanceled()) {
        int Left = 0, Right = 0;
        return FHeader->ColumnBounds(Column, Left, Right) ? Right - Left : 0;
    }
    StartOperation(okGetMaxColumnWidth);
    TScopeExit Ended([&] { EndOperation(okGetMaxColumnWidth); });
    return MaxColumnWidthWalk(Column, UseSmartColumnWidth);
}

int TBaseLeanTree::MaxColumnWidthWalk(TColumnIndex Column, bool UseSmartColumnWidth) {
    if (OnBeforeGetMaxColumnWidth) OnBeforeGetMaxColumnWidth(FHeader.get(), Column, UseSmartColumnWidth);
    PLeanNode Run;
    PLeanNode Stop = nullptr;
    if (UseSmartColumnWidth) {
        Run = TopNode();
        PLeanNode Bottom = BottomNode();
        Stop = Bottom ? GetNextVisible(Bottom, true) : nullptr;
    } else {
        Run = GetFirstVisible(nullptr, true);
    }
    const auto& Paint = TreeOptions()->PaintOptions();
    const bool MainColumn = Column == FHeader->MainColumn() || (!FHeader->UseColumns() && Column == ColumnNone);
    const bool FixedIndent = Paint.Contains(toFixedIndent);
    int Offset = FMargin;
    if (Run && MainColumn) {
        if (FixedIndent)
            Offset += static_cast<int>(FIndent);
        else
            Offset += static_cast<int>((GetNodeLevel(Run) + (Paint.Contains(toShowRoot) ? 1 : 0)) * FIndent);
    }
    bool WithImages = false;
    int Result = 0;
    while (Run && Run != Stop && !OperationCanceled()) {
        int Width = Offset;
        if (MainColumn && TreeOptions()->MiscOptions().Contains(toCheckSupport) && Run->CheckType != ctNone) {
            const int Check = CheckImageWidth(Run);
            if (Check > 0) Width += Check + 2;
        }
        if (NodeHasImage(Run, ikNormal, Column)) WithImages = true;
        if (WithImages && FImages) Width += FImages->Width() + 2;
        if (FStateImages && NodeHasImage(Run, ikState, Column)) Width += FStateImages->Width() + 2;
        Width += QueryNodeContentWidth(Run, Column) + QueryNodeExtraWidth(Run, Column) +
                 QueryCellContentMargin(Run, Column, 0, nullptr).X;
        Result = std::max(Result, Width);
        PLeanNode Next = GetNextVisible(Run, true);
        if (Next && MainColumn && !FixedIndent)
            Offset += LevelDistance(Run, Next) * static_cast<int>(FIndent);
        Run = Next;
    }
    if (Paint.Contains(toShowVertGridLines)) ++Result;
    if (OnAfterGetMaxColumnWidth) OnAfterGetMaxColumnWidth(FHeader.get(), Column, Result);
    return Result;
}

void TBaseLeanTree::MeasureItemHeight(TCanvas* Canvas, PLeanNode Node) {
    if (Node->States.Contains(vsHeightMeasured)) return;
    Node->States.Include(vsHeightMeasured);
    if (!TreeOptions()->MiscOptions().Contains(toVariableNodeHeight)) return;
    int Height = Node->NodeHeight;
    DoMeasureItem(Canvas, Node, Height);
    if (Height != Node->NodeHeight) WriteNodeHeight(Node, static_cast<Cardinal>(std::max(Height, 0)));
}
