#include "tree/LeanTreeHint.h"

#include "platform/base/ScopeGuard.h"
#include "tree/LeanStringTree.h"

#include <algorithm>

namespace {

// A hint window went away; an animation step that still runs for it stops.
bool GHintWindowDestroyed = false;

TAlignment Mirrored(TAlignment A) {
    return A == taLeftJustify ? taRightJustify : A == taRightJustify ? taLeftJustify : A;
}

} // namespace

// ---- The window -------------------------------------------------------------------------------

TLeanTreeHintWindow::TLeanTreeHintWindow(TComponent* AOwner)
    : THintWindow(AOwner), FDrawBuffer(std::make_unique<TBitmap>(1, 1)) {
    FDrawBuffer->SetPixelFormat(pf32bit);
    GHintWindowDestroyed = false;
}

TLeanTreeHintWindow::~TLeanTreeHintWindow() {
    GHintWindowDestroyed = true;
}

bool TLeanTreeHintWindow::HintWindowDestroyed() {
    return GHintWindowDestroyed;
}

bool TLeanTreeHintWindow::IsHintMsg(TMsg& Msg) {
    if (!HandleAllocated() || !Visible() || !THintWindow::IsHintMsg(Msg)) return false;
    const bool Key = Msg.message >= WM_KEYFIRST && Msg.message <= WM_KEYLAST;
    return !Key && Msg.message != WM_NCMOUSEMOVE;
}

void TLeanTreeHintWindow::CreateParams(TCreateParams& Params) {
    THintWindow::CreateParams(Params);
    Params.Style = WS_POPUP;
    Params.ExStyle &= ~WS_EX_CLIENTEDGE;
}

void TLeanTreeHintWindow::WMEraseBkgnd(TWMEraseBkgnd& Message) {
    Message.Result = 1; // the buffer covers every pixel
}

void TLeanTreeHintWindow::WMNCPaint(TMessage& Message) {
    Message.Result = 0;
}

void TLeanTreeHintWindow::CMVisibleChanged(TMessage& Message) {
    THintWindow::CMVisibleChanged(Message);
    if (!Visible()) {
        FHintData = TLTHintData{};
        GHintWindowDestroyed = false;
    }
}

bool TLeanTreeHintWindow::IsTooltip() const {
    return FHintData.Node && FHintData.Tree && FHintData.Tree->HintMode() == hmTooltip;
}

THintAnimationType TLeanTreeHintWindow::Animation() const {
    return FHintData.Tree ? FHintData.Tree->ResolveHintAnimation() : hatNone;
}

TRect TLeanTreeHintWindow::CalcHintRect(int MaxWidth, const String& /*AHint*/, void* AData) {
    if (!AData) return TRect{};
    FHintData = *static_cast<const TLTHintData*>(AData);
    TBaseLeanTree* Tree = FHintData.Tree;
    if (!Tree) return TRect{};
    if (FHintData.Node && !IsRectEmpty(FHintData.HintRect)) return FHintData.HintRect;

    TLTHeader* Header = Tree->Header();
    const bool HasColumn = FHintData.Column > ColumnNone && Header->IsValidColumn(FHintData.Column);
    FHintData.Alignment =
        HasColumn ? Header->Columns()->Items(FHintData.Column)->Alignment() : Tree->Alignment();
    if (Tree->UseRightToLeftReading()) FHintData.Alignment = Mirrored(FHintData.Alignment);

    TCanvas* C = Canvas();
    if (IsTooltip()) {
        C->Font()->Assign(Tree->Font());
        if (auto* StringTree = dynamic_cast<TCustomLeanStringTree*>(Tree);
            StringTree && StringTree->OnPaintText)
            StringTree->OnPaintText(Tree, C, FHintData.Node, FHintData.Column, ttNormal);
    } else if (Screen) {
        C->Font()->Assign(Screen->HintFont());
    }
    FTextHeight = C->TextHeight(u"Tg");
    FHintData.LineBreakStyle = hlbDefault;

    if (!FHintData.DefaultHint.empty())
        FHintData.HintText = FHintData.DefaultHint;
    else if (IsTooltip())
        FHintData.HintText =
            Tree->QueryNodeTooltip(FHintData.Node, FHintData.Column, FHintData.LineBreakStyle);
    else
        FHintData.HintText = Tree->QueryNodeHint(FHintData.Node, FHintData.Column, FHintData.LineBreakStyle);
    if (FHintData.HintText.empty()) return TRect{};

    TRect Result;
    if (FHintData.Node && Tree->HintMode() == hmTooltip) {
        if (FHintData.LineBreakStyle == hlbDefault)
            FHintData.LineBreakStyle =
                FHintData.Node->States.Contains(vsMultiline) ? hlbForceMultiLine : hlbForceSingleLine;
        if (FHintData.LineBreakStyle == hlbForceMultiLine) {
            Result = Tree->GetDisplayRect(FHintData.Node, FHintData.Column, true, false, true);
            TRect Measured = Result;
            DrawText(C, FHintData.HintText, Measured, DT_CALCRECT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
            Result.Right = Measured.Right + Tree->TextMargin();
            Result.Bottom = Measured.Bottom;
            ++Result.Right;
            // A text that fits its cell anyway needs no tooltip.
            if (Header->UseColumns() && HasColumn &&
                Tree->NodeHeight(FHintData.Node) + 2 >= Result.Height() &&
                Header->Columns()->Items(FHintData.Column)->Width() + 2 >= Result.Width() &&
                Result.Left >= 0 && Result.Top >= 0 && Tree->ClientWidth() + 3 >= Result.Right &&
                Tree->ClientHeight() + 3 >= Result.Bottom)
                return TRect{};
        } else {
            Result = Tree->LastHintRect();
            if (Tree->TreeOptions()->PaintOptions().Contains(toShowHorzGridLines)) --Result.Bottom;
        }
        InflateRect(Result, 1, 1);
        OffsetRect(Result, -1 - Result.Left, -1 - Result.Top);
    } else {
        Result = Rect(0, 0, MaxWidth, FTextHeight);
        DrawText(C, FHintData.HintText, Result, DT_CALCRECT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
        Result.Bottom += 6;
        Result.Right += Tree->TextMargin() + FTextHeight;
    }
    return Result;
}

void TLeanTreeHintWindow::ActivateHint(TRect Rect, const String& AHint) {
    TBaseLeanTree* Tree = FHintData.Tree;
    if (IsRectEmpty(Rect) || !Tree) {
        if (Application) Application->CancelHint();
        return;
    }
    // A running animation ends before the new hint starts.
    const bool WasAnimating = Tree->TreeStates().Contains(tsInAnimation);
    if (WasAnimating) Tree->DoStateChange({tsCancelHintAnimation});

    // Keep the whole hint on the desktop.
    const TRect Desktop{0, 0, Screen ? Screen->DesktopWidth() : 1024, Screen ? Screen->DesktopHeight() : 768};
    if (Rect.Bottom > Desktop.Bottom) OffsetRect(Rect, 0, Desktop.Bottom - Rect.Bottom);
    if (Rect.Right > Desktop.Right) OffsetRect(Rect, Desktop.Right - Rect.Right, 0);
    if (Rect.Top < Desktop.Top) OffsetRect(Rect, 0, Desktop.Top - Rect.Top);
    if (Rect.Left < Desktop.Left) OffsetRect(Rect, Desktop.Left - Rect.Left, 0);
    SetCaption(AHint);
    SetBoundsRect(Rect);
    FDrawBuffer->SetSize(Rect.Width(), Rect.Height());
    SetVisible(true);
    switch (Animation()) {
    case hatFade:
        Tree->Animate(
            255, 2 * Tree->AnimationDuration(),
            [this](int Step, int StepSize, void*) { return AnimationStep(Step, StepSize); }, nullptr);
        break;
    case hatSlide:
        Tree->Animate(
            static_cast<Cardinal>(Rect.Height()), Tree->AnimationDuration(),
            [this](int Step, int StepSize, void*) { return AnimationStep(Step, StepSize); }, nullptr);
        break;
    default:
        Invalidate();
        break;
    }
    if (WasAnimating && !GHintWindowDestroyed) Tree->DoStateChange({tsCancelHintAnimation});
}

bool TLeanTreeHintWindow::AnimationStep(int Step, int StepSize) {
    if (GHintWindowDestroyed || !HandleAllocated() || !Visible() || !FHintData.Tree ||
        FHintData.Tree->TreeStates().Contains(tsCancelHintAnimation))
        return false;
    InternalPaint(Step, StepSize);
    if (Application) Application->ProcessMessages();
    return true;
}

void TLeanTreeHintWindow::Paint() {
    InternalPaint(0, 0);
}

void TLeanTreeHintWindow::InternalPaint(int Step, int StepSize) {
    TBaseLeanTree* Tree = FHintData.Tree;
    const int W = Width(), H = Height();
    if (W <= 0 || H <= 0) return;
    if (FDrawBuffer->Width() != W || FDrawBuffer->Height() != H) FDrawBuffer->SetSize(W, H);
    TCanvas* B = FDrawBuffer->Canvas();
    if (Step == 0) {
        TRect R = Rect(0, 0, W, H);
        int TextTop = 2;
        int TextLeft = 3;
        if (Tree && IsTooltip()) {
            TRect TextInfo;
            String Unused;
            B->Font()->Assign(Tree->Font());
            Tree->GetTextInfo(FHintData.Node, FHintData.Column, B->Font(), TextInfo, Unused);
            if (FHintData.LineBreakStyle == hlbForceMultiLine) {
                TextTop = 1;
            } else {
                // The window's origin in the tree: its text goes exactly where the cell shows it.
                const TRect Cell = Tree->LastHintRect();
                TextTop = TextInfo.Top - (Cell.Top - 1);
                TextLeft = Tree->TextMargin();
            }
        } else if (Screen) {
            B->Font()->Assign(Screen->HintFont());
        }
        if (Tree && FHintData.Node && Tree->DoGetHintKind(FHintData.Node, FHintData.Column) == vhkOwnerDraw) {
            Tree->DoDrawHint(B, FHintData.Node, R, FHintData.Column);
        } else {
            B->Font()->SetColor(clInfoText);
            B->Pen()->SetColor(clBlack);
            B->Brush()->SetColor(clInfoBk);
            B->Brush()->SetStyle(bsSolid);
            B->Rectangle(R);
            InflateRect(R, -1, -1);
            B->Brush()->SetStyle(bsClear);
            R.Top += TextTop - 1;
            R.Left += TextLeft;
            Cardinal Format = DT_TOP | DT_NOPREFIX;
            if (FHintData.Node && FHintData.LineBreakStyle == hlbForceMultiLine) Format |= DT_WORDBREAK;
            if (FHintData.Alignment == taRightJustify)
                Format |= DT_RIGHT;
            else if (FHintData.Alignment == taCenter && FHintData.Node)
                Format |= DT_CENTER;
            FTextRect = R;
            DrawText(B, FHintData.HintText, R, Format);
        }
    }
    TCanvas* C = Canvas();
    if (StepSize < 1 || Animation() == hatNone) {
        C->Draw(0, 0, FDrawBuffer.get());
    } else if (Animation() == hatSlide) {
        // The bottom Step rows of the picture slide down into the top of the window.
        const int Rows = std::clamp(Step, 0, H);
        C->CopyRect(Rect(0, 0, W, Rows), B, Rect(0, H - Rows, W, H));
    } else {
        C->Draw(0, 0, FDrawBuffer.get());
    }
}

// ---- The tree's side --------------------------------------------------------------------------

TClass TBaseLeanTree::ChooseHintWindowClass() {
    return TLeanTreeHintWindow::StaticClass();
}

THintAnimationType TBaseLeanTree::ResolveHintAnimation() const {
    // The system animates no tooltips here.
    return FHintAnimation == hatSystemDefault ? hatNone : FHintAnimation;
}

void TBaseLeanTree::DoGetHintSize(PLeanNode Node, TColumnIndex Column, TRect& R) {
    if (OnGetHintSize) OnGetHintSize(this, Node, Column, R);
}

void TBaseLeanTree::DoDrawHint(TCanvas* Canvas, PLeanNode Node, TRect R, TColumnIndex Column) {
    if (OnDrawHint) OnDrawHint(this, Canvas, Node, R, Column);
}

void TBaseLeanTree::CMHintShowPause(TCMHintShowPause& Message) {
    int& Pause = *Message.Pause();
    TPoint Cursor;
    const bool OverHeader = FHeader->UseColumns() && FHeader->Options().Contains(hoShowHint) &&
                            GetCursorPos(Cursor) && ScreenToClient(Cursor).Y < 0;
    if (FHintMode == hmTooltip || (TLeanTreeHintWindow::HintWindowDestroyed() && OverHeader)) Pause = 0;
    // The pause runs on the tree's timers, so that it follows the tree's clock.
    KillTreeTimer(HintTimer);
    if (!StartTimer(HintTimer, static_cast<Cardinal>(std::max(Pause, 1)))) return;
    Message.Result = 1;
}

void TBaseLeanTree::HintPauseEnded() {
    KillTreeTimer(HintTimer);
    if (Application && Application->HintControl() == this) Application->ActivateHint(this);
}

void TBaseLeanTree::CMHintShow(TCMHintShow& Message) {
    THintInfo& Info = *Message.HintInfo();
    Message.Result = 1;
    if (PtInRect(FLastHintRect, Info.CursorPos)) return;

    THitInfo Hit;
    GetHitTestInfoAt(Info.CursorPos.X, Info.CursorPos.Y, true, Hit);
    bool Permission;
    if (FStates.Contains(tsEditing)) {
        Permission = Hit.HitNode != FFocusedNode;
    } else {
        Permission = Focused();
        if (!Permission)
            if (TCustomForm* Form = GetParentForm(this))
                Permission = Form->Active() || (Application && Application->Active());
    }
    bool ShowOwn = false;
    TRect CursorRect;
    if (!MouseCapture() && ShowHint() && !Dragging() && !IsMouseSelecting() &&
        !FStates.Contains(tsScrolling) && FHeader->States().Empty() && Permission) {
        Message.Result = 0;
        const bool OwnWindow = ChooseHintWindowClass()->InheritsFrom(TLeanTreeHintWindow::StaticClass());
        if (OwnWindow) Info.HintStr = String(1, u' '); // the window draws its own text
        const bool InHeader =
            FHeader->UseColumns() && FHeader->Options().Contains(hoShowHint) && Info.CursorPos.Y < 0;
        if (InHeader) {
            const TColumnIndex Column = FHeader->ColumnFromPosition(Info.CursorPos.X);
            int Left = 0, Right = 0;
            if (Column < 0 || GetKeyState(VK_LBUTTON) < 0 || !FHeader->ColumnBounds(Column, Left, Right)) {
                Message.Result = 1;
            } else {
                CursorRect = Rect(Left, -FHeader->Height(), Right, 0);
                Info.HintPos.Y = std::max(Info.HintPos.Y, ClientToScreen(TPoint{0, 0}).Y);
                FHintData.DefaultHint = FHeader->Columns()->Items(Column)->Hint();
                ShowOwn = !FHintData.DefaultHint.empty();
                if (!ShowOwn) Message.Result = 1;
                Hit.HitNode = nullptr;
                Hit.HitColumn = Column;
            }
        } else if (FHintMode == hmDefault) {
            Info.HintStr = GetShortHint(Hint());
        } else if (Hit.HitNode && Hit.HitColumn > ColumnNotFound) {
            PLeanNode Node = Hit.HitNode;
            const TColumnIndex Column = Hit.HitColumn;
            FHintData.HintRect = TRect{};
            const TLTHintKind Kind = DoGetHintKind(Node, Column);
            bool Go = true;
            if (Kind == vhkOwnerDraw) {
                DoGetHintSize(Node, Column, FHintData.HintRect);
                Go = !IsRectEmpty(FHintData.HintRect);
            }
            if (!Go) {
                Message.Result = 1;
            } else {
                int CellLeft = 0, CellRight = ClientWidth();
                if (FHeader->IsValidColumn(Column)) {
                    FHeader->ColumnBounds(Column, CellLeft, CellRight);
                    if (TreeOptions()->AutoOptions().Contains(toAutoSpanColumns)) {
                        auto* Columns = FHeader->Columns();
                        for (TColumnIndex Next = Columns->GetNextVisibleColumn(Column);
                             Next > ColumnNone && DoGetCellIsEmpty(Node, Next);
                             Next = Columns->GetNextVisibleColumn(Next)) {
                            int L = 0, R = 0;
                            if (FHeader->ColumnBounds(Next, L, R)) CellRight = R;
                        }
                    }
                }
                FHintData.DefaultHint.clear();
                if (FHintMode == hmTooltip) {
                    TRect R;
                    bool Show;
                    if (!Node->States.Contains(vsMultiline)) {
                        R = GetDisplayRect(Node, Column, true, true, true);
                        const TPoint M = QueryCellContentMargin(Node, Column, 2, Canvas());
                        Show =
                            PtInRect(R, Info.CursorPos) && Info.CursorPos.X >= CellLeft &&
                            Info.CursorPos.X <= CellRight &&
                            (std::min(ClientWidth(), CellRight - 1) < R.Right + M.X ||
                             std::max(CellLeft, 0) > R.Left || ClientHeight() < R.Bottom + M.Y || R.Top < 0);
                    } else {
                        Show = Hit.HitPositions.Contains(hiOnItemLabel);
                        R = GetDisplayRect(Node, Column, true, false, false);
                    }
                    if (Show) {
                        // Exactly over the text.
                        Info.HintPos = ClientToScreen(R.TopLeft());
                        CursorRect = R;
                        ShowOwn = true;
                    } else {
                        Message.Result = 1;
                    }
                } else {
                    CursorRect = GetDisplayRect(Node, Column, false, false, false);
                    CursorRect.Left = std::max(CursorRect.Left, CellLeft);
                    CursorRect.Right = std::min(CursorRect.Right, CellRight);
                    Info.HintPos.Y =
                        std::max(Info.HintPos.Y, ClientToScreen(TPoint{0, CursorRect.Bottom}).Y) + 2;
                    ShowOwn = true;
                }
            }
        } else if (FHintMode == hmHintAndDefault) {
            FHintData.DefaultHint = GetShortHint(Hint());
            ShowOwn = !FHintData.DefaultHint.empty();
            if (!ShowOwn) Message.Result = 1;
            CursorRect = ClientRect();
        } else {
            Message.Result = 1;
        }
    }
    if (Message.Result == 0 && ShowOwn) {
        Info.HintWindowClass = ChooseHintWindowClass();
        FHintData.Tree = this;
        FHintData.Column = Hit.HitColumn;
        FHintData.Node = Hit.HitNode;
        FLastHintRect = CursorRect;
        Info.CursorRect = CursorRect;
        Info.HintData = &FHintData;
    } else {
        FLastHintRect = TRect{};
        // Nothing of the tree's own: ask again as soon as the pointer moves on.
        if (Message.Result != 0) Info.CursorRect = TRect{};
    }
    if (Message.Result == 0)
        DoStateChange({tsHint});
    else if (FStates.Contains(tsHint))
        DoStateChange({}, {tsHint});
}
