// The inspector's keys, mouse, focus, scrolling and cell hints, the keyboard hook that brings the
// navigation keys back from the editors over its cells, and the in-place editor and combo.
#include "dataaware/inspector/daInspector.h"

#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daDrawUtils.h"
#include "dataaware/foundation/daPictureValidator.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Threads.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ScrollBars.h"

#include <algorithm>
#include <cstdlib>

// ---- The keyboard hook -------------------------------------------------------------------------------

namespace {

HHOOK GInspectorHook = 0;
TdaDataInspector* GInspectorHookOwner = nullptr;

TdaDataInspector* InspectorAbove(TWinControl* C) {
    for (; C; C = C->Parent())
        if (auto* I = dynamic_cast<TdaDataInspector*>(C)) return I;
    return nullptr;
}

bool FocusInOrUnder(TdaDataInspector* I) {
    TWinControl* F = FindControl(GetFocus());
    for (; F; F = F->Parent())
        if (F == I) return true;
    return false;
}

LRESULT InspectorKeyboardHook(int Code, WPARAM Key, LPARAM Data) {
    const LRESULT Next = CallNextHookEx(GInspectorHook, Code, Key, Data);
    if (Next == 1 || Code != HC_ACTION) return Next;
    TWinControl* Target = Screen ? Screen->ActiveControl() : nullptr;
    if (auto* I = dynamic_cast<TdaDataInspector*>(Target); I && I->InplaceEditor() && I->InplaceEditor()->Focused())
        Target = I->InplaceEditor();
    if (!Target) return Next;
    const bool Up = (static_cast<std::uint64_t>(Data) & KF_UP_BIT) != 0;
    const bool Ctrl = GetKeyState(VK_CONTROL) < 0, Alt = GetKeyState(VK_MENU) < 0;
    TdaDataInspector* I = InspectorAbove(Target);
    if ((Key == VK_RETURN || Key == VK_TAB) && !Ctrl && !Alt && Target->Focused()) {
        if (!I) return Next;
        if (Up) return 1;
        if (Key == VK_TAB || I->Options().Contains(ovEnterToTab)) {
            PostMessage(I->Handle(), WM_KEYDOWN, Key, 0);
            return 1;
        }
        return Next;
    }
    if (Key == VK_F2 && !Ctrl && !Alt) {
        if (I && !Up) I->CustomControlKeyMode = !I->CustomControlKeyMode;
        return Next;
    }
    const bool Nav = Key == VK_PRIOR || Key == VK_NEXT || Key == VK_LEFT || Key == VK_UP || Key == VK_RIGHT ||
                     Key == VK_DOWN;
    if (!Nav) return Next;
    if (Ctrl) {
        if (!Up && I && Target != I) {
            PostMessage(I->Handle(), WM_KEYDOWN, Key, 0);
            return 1;
        }
        return Next;
    }
    if (Alt || daHasChildOutsideClient(Target)) return Next;
    if (!I || Target == I) return Next;
    if (!FocusInOrUnder(I)) return Next;
    if (Key == VK_LEFT || Key == VK_RIGHT) {
        auto* E = dynamic_cast<TCustomEdit*>(Target);
        if (E) {
            if (I->DataColumns() <= 1) return Next;
            const int Start = E->SelStart(), Len = E->SelLength(), Total = E->GetTextLen();
            const bool All = Start == 0 && Len == Total;
            if (Key == VK_LEFT && !((Start == 0 && Len == 0) || All)) return Next;
            if (Key == VK_RIGHT && !(Start + Len >= Total && (Start == 0 || Len == 0))) return Next;
        }
    }
    if (Up) return 1;
    if (I->CustomControlKeyMode) return Next;
    PostMessage(I->Handle(), WM_KEYDOWN, Key, 0);
    return 1;
}

} // namespace

void TdaDataInspector::InstallKeyboardHook() {
    if (GInspectorHook) return;
    GInspectorHook = SetWindowsHookEx(WH_KEYBOARD, InspectorKeyboardHook);
    GInspectorHookOwner = this;
}

void TdaDataInspector::RemoveKeyboardHook() {
    // Only the inspector that installed the hook takes it away: another inspector losing the
    // focus must not leave the focused one without it.
    if (!GInspectorHook || GInspectorHookOwner != this) return;
    UnhookWindowsHookEx(GInspectorHook);
    GInspectorHook = 0;
    GInspectorHookOwner = nullptr;
}

HHOOK TdaDataInspector::KeyboardHookHandle() {
    return GInspectorHook;
}

void TdaDataInspector::DropSharedHook() {
    if (!GInspectorHook) return;
    UnhookWindowsHookEx(GInspectorHook);
    GInspectorHook = 0;
    GInspectorHookOwner = nullptr;
}

// ---- Focus ---------------------------------------------------------------------------------------------

void TdaDataInspector::DoEnter() {
    FFocused = true;
    if (SetFocusTabStyle == itsResetActiveItem && RowCount() > FirstDataRow()) MoveToCell(std::max(Col(), 1), FirstDataRow());
    InvalidateRow(Row());
    InstallKeyboardHook();
    TCustomGrid::DoEnter();
}

void TdaDataInspector::DoExit() {
    RemoveKeyboardHook();
    try {
        FlushContents();
    } catch (...) {
        if (CanFocus()) SetFocus();
        throw;
    }
    FFocused = false;
    InvalidateRow(Row());
    HideCustomEdit();
    TCustomGrid::DoExit();
}

void TdaDataInspector::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SETFOCUS:
        TCustomGrid::WndProc(Message);
        if (!FFocused && HasFocusInside()) {
            FFocused = true;
            InstallKeyboardHook();
        }
        if (UsesDefaultEditor() && EditorMode() && InplaceEditor() && !FInMouseDown) {
            ShowEditor();
            InplaceEditor()->SelectAll();
        } else if (InplaceEditor() && InplaceEditor()->Shown() && !UsesDefaultEditor()) {
            TFlagScope NoWrite(FNoEditTextWrite);
            InplaceEditor()->Hide();
        }
        if (!FInMouseDown && !FCustomEdit) {
            PrepareCustomEdit();
            ShowCustomEditAfterChoice();
        }
        return;
    case WM_VSCROLL: {
        const bool Tab = TabStop();
        SetTabStop(false);
        TCustomGrid::WndProc(Message);
        SetTabStop(Tab);
        return;
    }
    case WM_LBUTTONDBLCLK:
        TCustomGrid::WndProc(Message);
        return;
    case WM_HSCROLL:
        // The horizontal bar moves through the records.
        if (FDataColumns > 1 && FDataLink->Active()) RecordScroll(LOWORD(Message.WParam), HIWORD(Message.WParam));
        Message.Result = 0;
        return;
    case CM_MOUSELEAVE:
        if (Message.LParam == 0 || reinterpret_cast<TControl*>(Message.LParam) == this) SetHotCell({-1, -1});
        TCustomGrid::WndProc(Message);
        return;
    default:
        TCustomGrid::WndProc(Message);
    }
}

void TdaDataInspector::RecordScroll(int Code, int Pos) {
    if (Code == SB_ENDSCROLL || Code == SB_THUMBTRACK) return;
    if (!FocusInspector()) return;
    TDataSet* DS = FDataLink->DataSet();
    if (!DS || !DS->Active()) return;
    const int Page = std::max(FDataColumns - 1, 1);
    switch (Code) {
    case SB_LINELEFT:
    case SB_LINERIGHT:
        // A new record nobody typed into goes away instead.
        if (DS->State() == dsInsert && !DS->Modified())
            DS->Cancel();
        else
            DS->MoveBy(Code == SB_LINELEFT ? -1 : 1);
        break;
    case SB_PAGELEFT:
        DS->MoveBy(-Page);
        break;
    case SB_PAGERIGHT:
        DS->MoveBy(Page);
        break;
    case SB_THUMBPOSITION:
        if (DS->IsSequenced()) {
            if (Pos <= 1)
                DS->First();
            else if (Pos >= DS->RecordCount())
                DS->Last();
            else
                DS->SetRecNo(Pos);
            DS->Resync();
        } else if (Pos < 2) {
            DS->MoveBy(-Page);
        } else if (Pos >= 4) {
            DS->Last();
        } else {
            DS->MoveBy(Page);
        }
        break;
    case SB_LEFT:
        DS->First();
        break;
    case SB_RIGHT:
        DS->Last();
        break;
    default:
        break;
    }
}

// ---- Keys ----------------------------------------------------------------------------------------------

void TdaDataInspector::MoveByRows(int Delta) {
    const int Target = std::clamp(Row() + Delta, FirstDataRow(), LastRow());
    if (Target != Row()) MoveToCell(std::max(Col(), 1), Target);
}

void TdaDataInspector::TabToItem(bool Forward) {
    TdaInspectorItem* It = ActiveItem();
    const bool ExpandedOnly = FOptions.Contains(ovTabToVisibleOnly);
    TdaInspectorItem* N = It;
    do {
        N = N ? (Forward ? N->GetNext(true, ExpandedOnly) : N->GetPrior(true, ExpandedOnly)) : nullptr;
    } while (N && (!N->TabStop || !N->Enabled));
    if (N) {
        SetActiveItem(N);
        return;
    }
    if (daParentIsGrid(this)) {
        PostMessage(Parent()->Handle(), WM_KEYDOWN, VK_TAB, 0);
        return;
    }
    if (TCustomForm* F = GetParentForm(this)) F->SelectNext(this, Forward, true);
}

void TdaDataInspector::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
    if (Key == 0) return;
    const bool Ctrl = Shift.Contains(ssCtrl);
    if (FOptions.Contains(ovEnterToTab) && Key == VK_RETURN) Key = VK_TAB;
    TScopeExit After([&] {
        if (FCustomEdit && FCustomEdit->Visible()) FocusCustomEdit();
    });
    TdaInspectorItem* It = ActiveItem();
    if (Ctrl || FDataColumns <= 1) {
        switch (Key) {
        case VK_END:
            MoveToCell(std::max(Col(), 1), LastRow());
            Key = 0;
            return;
        case VK_HOME:
            MoveToCell(std::max(Col(), 1), FirstDataRow());
            Key = 0;
            return;
        case VK_LEFT:
        case VK_RIGHT:
            if (It && It->HaveVisibleItem() && (It->ReadOnly || Ctrl)) {
                if (Key == VK_LEFT) CollapseItem(It);
                else ExpandItem(It);
                Key = 0;
                return;
            }
            break;
        default:
            break;
        }
    }
    switch (Key) {
    case VK_TAB:
        if (!Ctrl) TabToItem(!Shift.Contains(ssShift));
        break;
    case VK_RETURN:
        if (auto* E = dynamic_cast<TCustomEdit*>(FCustomEdit)) E->SelectAll();
        break;
    case VK_ESCAPE:
        FDataLink->Reset();
        if (InplaceEditor() && InplaceEditor()->Shown()) InplaceEditor()->SelectAll();
        break;
    case VK_PRIOR:
    case VK_NEXT: {
        TGridDrawInfo D;
        CalcDrawInfo(D);
        const int Page = std::max(D.Vert.LastFullVisibleCell - TopRow() + 1, 1);
        MoveByRows(Key == VK_PRIOR ? -Page : Page);
        break;
    }
    case VK_LEFT:
    case VK_RIGHT:
        if (FDataColumns > 1 && FDataLink->Active()) {
            TDataSet* DS = FDataLink->DataSet();
            if (Key == VK_LEFT ? !DS->Bof() : !DS->Eof()) {
                HideCustomEdit();
                DS->MoveBy(Key == VK_LEFT ? -1 : 1);
            }
        } else if (daParentIsGrid(this)) {
            PostMessage(Parent()->Handle(), WM_KEYDOWN, Key, 0);
        }
        break;
    case VK_UP:
        MoveByRows(-1);
        break;
    case VK_DOWN:
        MoveByRows(1);
        break;
    default:
        return;
    }
    Key = 0;
}

void TdaDataInspector::KeyPress(Char& Key) {
    if (Key == u' ' && IsCheckBoxRow(Row()) && TCustomGrid::Options().Contains(goEditing)) {
        ToggleCheckBox();
        Key = 0;
        return;
    }
    if (Focused()) Key = 0;
}

// ---- Expanding ---------------------------------------------------------------------------------------------

void TdaDataInspector::ExpandItem(TdaInspectorItem* Item) {
    bool Can = true;
    if (OnCanExpand) OnCanExpand(this, Item, Can);
    if (!Can) return;
    Item->SetExpanded(true);
    if (!ComponentState().Contains(csLoading) && OnExpanded) OnExpanded(this, Item);
}

void TdaDataInspector::CollapseItem(TdaInspectorItem* Item) {
    bool Can = true;
    if (OnCanCollapse) OnCanCollapse(this, Item, Can);
    if (!Can) return;
    const int Current = Row();
    Item->SetExpanded(false);
    // A current row inside the collapsed branch moves to its parent.
    if (Current >= RowCount() || GetItemByRow(Row(), false) != GetItemByRow(Current, false)) {
        const int R = GetRowByItem(Item);
        if (R >= 0) MoveColRow(std::max(Col(), 1), R, true, true);
    }
    if (!ComponentState().Contains(csLoading) && OnCollapsed) OnCollapsed(this, Item);
}

// ---- Mouse -------------------------------------------------------------------------------------------------

void TdaDataInspector::CalcSizing(int X, int Y, TGridState& State, int& Index, int& Pos, int& Ofs) const {
    State = gsNormal;
    const TGridOptions G = TCustomGrid::Options();
    if (!G.Contains(goRowSizing) && !G.Contains(goColSizing)) return;
    const int CaptionW = ColWidths(0);
    // Column borders: a zone 7 pixels wide centred on the border.
    if (G.Contains(goColSizing) && X >= CaptionW - 3 && X <= CaptionW + 3) {
        State = gsColSizing;
        Index = 0;
        Pos = CaptionW;
        Ofs = CaptionW - X;
        return;
    }
    if (!G.Contains(goRowSizing) || X >= CaptionW) return;
    int Top = 0;
    for (int R = 0; R < FixedRows(); ++R)
        Top += RowHeights(R);
    for (int R = TopRow(); R < RowCount() && Top < ClientHeight(); ++R) {
        const int B = Top + RowHeights(R);
        if (Y >= B - 2 && Y <= B + 2) {
            TdaInspectorItem* It = GetItemByRow(R, false);
            if (!It || It->Resizeable) {
                State = gsRowSizing;
                Index = R;
                Pos = B;
                Ofs = B - Y;
            }
            return;
        }
        Top = B;
    }
}

void TdaDataInspector::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TFlagScope InMouse(FInMouseDown);
    HideCellHint();
    int ACol, ARow;
    MouseToCell(X, Y, ACol, ARow);
    const bool Double = Shift.Contains(ssDouble);
    if (!(ACol == 0 && ARow == Row() && HasFocusInside())) {
        if (!FocusInspector()) return;
    }
    if (FDefaultCombo) FDefaultCombo->ClickTime = GetTickCount();
    TGridState S;
    int Index = -1, Pos = 0, Ofs = 0;
    CalcSizing(X, Y, S, Index, Pos, Ofs);
    if (S != gsNormal && Button == mbLeft && !Double) {
        if (FDataLink->Active()) FDataLink->DoUpdateData();
        FSizing = S;
        FSizingIndex = Index;
        FSizingPos = Pos;
        FSizingOfs = Ofs;
        SetCapture(Handle());
        return;
    }
    if (ACol < 0 || ARow < 0) {
        if (FDataLink->Active()) FDataLink->DoUpdateData();
        TControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    TdaInspectorItem* It = GetItemByRow(ARow, false);
    if (ACol == 0 && It && It->HaveVisibleItem()) {
        const TRect R = CellRect(0, ARow);
        GetButtonCenter(It, R);
        if ((std::abs(X - It->ButtonPoint.X) <= 4 && std::abs(Y - It->ButtonPoint.Y) < 5) || Double) {
            if (ARow != Row()) MoveToCell(std::max(Col(), 1), ARow);
            if (It->Expanded()) CollapseItem(It);
            else ExpandItem(It);
            if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
            return;
        }
    }
    if (Double) {
        if (FDataLink->Active()) FDataLink->DoUpdateData();
        TControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
    if (Button != mbLeft) return;
    if (ACol == 0) {
        MoveToCell(std::max(Col(), 1), ARow);
    } else if (ACol == Col() || FDataColumns <= 1 || !FDataLink->Active()) {
        MoveToCell(ACol, ARow);
    } else {
        HideCustomEdit();
        FMouseRow = ARow;
        TScopeExit Clear([&] { FMouseRow = -1; });
        FDataLink->DataSet()->MoveBy(ACol - Col());
    }
    if (FCustomEdit && FCustomEdit->Visible() && Row() == ARow) {
        const TPoint P(X - FCustomEdit->Left(), Y - FCustomEdit->Top());
        if (FCustomEdit->Enabled()) SendMessage(FCustomEdit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(P));
    }
    if (ACol >= 1 && IsCheckBoxRow(ARow) && ARow == Row()) {
        TRect B = GetCheckBoxRect(CellRect(ACol, ARow));
        B.Left -= 1, B.Top -= 1, B.Right += 1, B.Bottom += 1;
        if (B.Contains(TPoint(X, Y))) ToggleCheckBox();
    }
}

void TdaDataInspector::MouseMove(TShiftState Shift, int X, int Y) {
    if (FSizing == gsColSizing) {
        const int Old = ColWidths(0);
        SetCaptionWidth(X + FSizingOfs);
        if (ColWidths(0) != Old) LayoutDataColumns();
        return;
    }
    if (FSizing == gsRowSizing) {
        const TRect R = CellRect(0, FSizingIndex);
        if (!R.IsEmpty()) SetRowHeights(FSizingIndex, std::max(Y + FSizingOfs - R.Top, 1));
        return;
    }
    TControl::MouseMove(Shift, X, Y);
    TGridState S;
    int I, P, O;
    CalcSizing(X, Y, S, I, P, O);
    ::SetCursor(S == gsColSizing ? Screen->Cursors(crHSplit) : S == gsRowSizing ? Screen->Cursors(crVSplit)
                                                                              : Screen->Cursors(crDefault));
    if (ThemesActive()) {
        int ACol, ARow;
        MouseToCell(X, Y, ACol, ARow);
        SetHotCell(ACol >= 1 && ACol == Col() && IsCheckBoxRow(ARow) ? TGridCoord{ACol, ARow} : TGridCoord{-1, -1});
    }
    ShowCellHint(X, Y);
}

void TdaDataInspector::SetHotCell(TGridCoord Cell) {
    if (Cell.X == FHotCell.X && Cell.Y == FHotCell.Y) return;
    if (FHotCell.X >= 0) InvalidateCell(FHotCell.X, FHotCell.Y);
    FHotCell = Cell;
    if (Cell.X >= 0) InvalidateCell(Cell.X, Cell.Y);
}

void TdaDataInspector::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TGridState S = FSizing;
    FSizing = gsNormal;
    if (S != gsNormal) ReleaseCapture();
    if (S == gsColSizing) {
        const int W = X + FSizingOfs;
        if (W > 1) SetCaptionWidth(W);
        LayoutDataColumns();
        if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
        return;
    }
    if (S == gsRowSizing) {
        int H = RowHeights(FSizingIndex);
        if (H < FMinRowHeight) {
            H = FMinRowHeight;
            SetRowHeights(FSizingIndex, H);
        }
        if (TdaInspectorItem* It = GetItemByRow(FSizingIndex, false)) It->SetCellHeight(H);
        FocusCustomEdit();
        InvalidateRow(FSizingIndex);
        return;
    }
    TControl::MouseUp(Button, Shift, X, Y);
}

bool TdaDataInspector::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TControl::DoMouseWheelDown(Shift, MousePos)) return true;
    SetTopRow(std::min(TopRow() + 1, RowCount() - 1));
    return true;
}

bool TdaDataInspector::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TControl::DoMouseWheelUp(Shift, MousePos)) return true;
    SetTopRow(std::max(TopRow() - 1, FixedRows()));
    return true;
}

// ---- Cell hints --------------------------------------------------------------------------------------------

THintWindow* TdaDataInspector::CellHintWindow() const {
    return FHintWindow;
}

void TdaDataInspector::ShowCellHint(int X, int Y) {
    if (ComponentState().Contains(csDesigning)) return;
    int ACol, ARow;
    MouseToCell(X, Y, ACol, ARow);
    if (ACol == FHintCell.X && ARow == FHintCell.Y) return;
    HideCellHint();
    FHintCell = {ACol, ARow};
    if (ACol < 0 || ARow < 0) return;
    if (ACol == 0 ? !FOptions.Contains(ovShowCaptionHints) : !FOptions.Contains(ovShowCellHints)) return;
    if (ACol == Col() && ARow == Row() &&
        ((InplaceEditor() && InplaceEditor()->Shown()) || (FCustomEdit && FCustomEdit->Visible())))
        return;
    TdaInspectorItem* It = GetItemByRow(ARow, false);
    if (!It || (It->CustomControl() && It->CustomControlAlwaysPaints)) return;
    String Text;
    TField* F = It->Field();
    if (ACol == 0) {
        Text = It->Caption();
    } else {
        std::unique_ptr<TActiveRecordScope> Rec;
        if (FDataLink->Active() && FDataColumns > 1) Rec = std::make_unique<TActiveRecordScope>(*FDataLink, ACol - 1);
        Text = F ? (F->IsBlob() && F->DataType() != ftMemo && F->DataType() != ftWideMemo ? String() : F->DisplayText())
                 : It->EditText();
    }
    if (Text.empty()) return;
    const TRect Cell = CellRect(ACol, ARow);
    TCanvas* C = FPaintBitmap->Canvas();
    C->Font()->Assign(ACol == 0 ? FCaptionFont.get() : Font());
    const Cardinal Tabs = Text.find(u'\t') != String::npos ? DT_EXPANDTABS : 0;
    TRect M;
    int Avail;
    if (ACol == 0) {
        M = TRect(Cell.Left + (It->Level() + 1) * FCaptionIndent, Cell.Top + 1, Cell.Right, Cell.Bottom);
        Avail = M.Width();
        DrawText(C, Text, M, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE | Tabs);
    } else {
        Avail = Cell.Width() - 4;
        M = TRect(0, 0, Avail, 0);
        DrawText(C, Text, M, DT_CALCRECT | DT_NOPREFIX | Tabs | (It->WordWrap ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE));
    }
    if (M.Height() <= Cell.Height() && M.Width() < Avail - 1) return;
    FHintWindow = new TdaInspectorHintWindow(this);
    FHintWindow->Font()->Assign(C->Font());
    FHintWindow->Font()->SetColor(clInfoText);
    FHintWindow->Field = F;
    FHintWindow->WordWrap = It->WordWrap;
    FHintWindow->CenterVertically = ACol == 0 && FOptions.Contains(ovCenterCaptionVert);
    int MaxW = Screen ? Screen->Width() : 1024, MaxH = Cell.Height() - 2;
    bool Wrap = It->WordWrap, DoDefault = true;
    if (OnCreateHintWindow) OnCreateHintWindow(this, FHintWindow, F, Cell, Wrap, MaxW, MaxH, DoDefault);
    if (!DoDefault) {
        HideCellHint();
        return;
    }
    FHintWindow->WordWrap = Wrap;
    TRect Hint(Cell.Left, Cell.Top, Cell.Left + std::min(M.Width() + 8, MaxW), Cell.Top + std::max(MaxH, 2));
    if (ACol == 0) Hint.Left = M.Left - 2, Hint.Right = M.Left - 2 + std::min(M.Width() + 8, MaxW), Hint.Top -= 1;
    TPoint TL = ClientToScreen(TPoint(Hint.Left - 1, Hint.Top - 2));
    const TRect Screened(TL.X, TL.Y, TL.X + Hint.Width(), TL.Y + Hint.Height());
    FHintWindow->ActivateHint(Screened, Text);
    if (!FHintTimer) {
        FHintTimer = new TTimer(this);
        FHintTimer->SetInterval(250);
        FHintTimer->OnTimer = [this](TObject* S) { HintTimer(S); };
    }
    FHintTimer->SetEnabled(true);
    FHintTicks = 0;
}

void TdaDataInspector::HintTimer(TObject*) {
    TPoint P;
    GetCursorPos(P);
    P = ScreenToClient(P);
    TRect Cell = CellRect(FHintCell.X, FHintCell.Y);
    Cell.Left -= 1, Cell.Top -= 1, Cell.Right += 1, Cell.Bottom += 1;
    if (Cell.Contains(P) && ClientRect().Contains(P)) {
        const int Limit = std::max((Application ? Application->HintHidePause() : 0) / 250, 16);
        if (++FHintTicks >= Limit) HideCellHint();
        return;
    }
    HideCellHint();
    FHintCell = {-1, -1};
}

void TdaDataInspector::HideCellHint() {
    FHintTicks = 0;
    if (FHintTimer) FHintTimer->SetEnabled(false);
    if (FHintWindow) {
        delete FHintWindow;
        FHintWindow = nullptr;
    }
}

// ---- In-place editor ---------------------------------------------------------------------------------------

TdaDataInspectorEdit::TdaDataInspectorEdit(TComponent* AOwner)
    : TInplaceEdit(AOwner), FPicture(std::make_unique<TdaDBPicture>(nullptr)) {}

void TdaDataInspectorEdit::SetWordWrap(bool Value) {
    FWordWrap = Value;
}

bool TdaDataInspectorEdit::IsValidPictureValue(const String& S) {
    bool Pass = true;
    if (!S.empty() && HavePictureMask()) {
        TdaPictureValidator V(FPicture->PictureMask(), FPicture->AutoFill());
        String T = S;
        Pass = V.Picture(T, false) == prComplete;
    }
    if (ParentGrid && ParentGrid->OnCheckValue) ParentGrid->OnCheckValue(this, Pass);
    return Pass;
}

void TdaDataInspectorEdit::UpdateContents() {
    if (!ParentGrid) {
        TInplaceEdit::UpdateContents();
        return;
    }
    {
        TFlagScope Probe(ParentGrid->FProbeOnly);
        TInplaceEdit::UpdateContents();
    }
    TdaInspectorItem* It = ParentGrid->ActiveItem();
    if (!It) return;
    TFlagScope Probe(ParentGrid->FProbeOnly);
    SetReadOnly(It->ReadOnly || ParentGrid->ReadOnly || !ParentGrid->CanEditModify());
    SetWordWrap(It->WordWrap);
    SetEnabled(It->Enabled);
    FPicture->Assign(It->Picture());
    FPicture->SetAllowInvalidExit(It->Picture()->AllowInvalidExit());
}

void TdaDataInspectorEdit::DoEnter() {
    if (ParentGrid) Font()->Assign(ParentGrid->Font());
    TInplaceEdit::DoEnter();
}

void TdaDataInspectorEdit::KeyDown(Word& Key, TShiftState Shift) {
    TdaDataInspector* G = ParentGrid;
    if (!G) {
        TInplaceEdit::KeyDown(Key, Shift);
        return;
    }
    const bool Ctrl = Shift.Contains(ssCtrl);
    auto ToGrid = [&] {
        if (G->CanFocus()) G->SetFocus();
        G->KeyDown(Key, Shift);
        Key = 0;
    };
    switch (Key) {
    case VK_TAB:
        if (!Shift.Contains(ssAlt)) return ToGrid();
        break;
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN:
        return ToGrid();
    case VK_RETURN:
        if (G->Options().Contains(ovEnterToTab)) return ToGrid();
        break;
    case VK_HOME:
    case VK_END:
        if (Ctrl) return ToGrid();
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (G->DataColumns() <= 1 && (Ctrl || !daParentIsGrid(G))) {
            G->KeyDown(Key, Shift);
            if (Key == 0) return;
        }
        break;
    case VK_INSERT:
        if (Shift.Contains(ssShift) && !G->CanEditModify()) {
            Key = 0;
            return;
        }
        if (Shift.Empty()) {
            G->KeyDown(Key, Shift);
            return;
        }
        break;
    case VK_DELETE:
        if (!G->CanEditModify()) {
            Key = 0;
            return;
        }
        break;
    case VK_F2:
        if (G->OnKeyDown) G->OnKeyDown(G, Key, Shift);
        if (Key == VK_F2) {
            SetSelLength(0);
            Key = 0;
        }
        return;
    default:
        break;
    }
    if (G->OnKeyDown) G->OnKeyDown(G, Key, Shift);
    if (Key) TCustomMaskEdit::KeyDown(Key, Shift);
}

void TdaDataInspectorEdit::KeyUp(Word& Key, TShiftState Shift) {
    if (ParentGrid && Key == VK_RETURN && ParentGrid->Options().Contains(ovEnterToTab)) Key = VK_TAB;
    if (Key == VK_DELETE && ParentGrid && ParentGrid->OnCheckValue) IsValidPictureValue(Text());
    TInplaceEdit::KeyUp(Key, Shift);
}

void TdaDataInspectorEdit::KeyPress(Char& Key) {
    // A check-box row has no editor: a key that still reaches this one belongs to the grid.
    if (ParentGrid && !Shown() && ParentGrid->IsCheckBoxRow(ParentGrid->Row())) {
        ParentGrid->KeyPress(Key);
        return;
    }
    if (ParentGrid && Key == u'\r' && ParentGrid->Options().Contains(ovEnterToTab)) Key = u'\t';
    if (!ParentGrid || !HavePictureMask() || Key < 32) {
        TInplaceEdit::KeyPress(Key);
        return;
    }
    if (!daPictureMaskKeyPress(this, FPicture->PictureMask(), FPicture->AutoFill(), Key)) {
        if (Key == 0 && ParentGrid) {
            ParentGrid->FEditText = Text();
            SetModified(true);
            ParentGrid->SetEditText(ParentGrid->Col(), ParentGrid->Row(), Text());
        }
        return;
    }
    TInplaceEdit::KeyPress(Key);
}

void TdaDataInspectorEdit::WndProc(TMessage& Message) {
    if (Message.Msg == WM_LBUTTONDBLCLK && ParentGrid) {
        TInplaceEdit::WndProc(Message);
        if (ParentGrid->OnDblClick) ParentGrid->OnDblClick(ParentGrid);
        return;
    }
    if (Message.Msg == WM_PASTE && ParentGrid) {
        TInplaceEdit::WndProc(Message);
        ParentGrid->CanEditModify();
        return;
    }
    TInplaceEdit::WndProc(Message);
}

// ---- Default combo -----------------------------------------------------------------------------------------

TdaInspectorComboBox::TdaInspectorComboBox(TComponent* AOwner) : TdaDBComboBox(AOwner) {
    SetTabStop(false);
}

void TdaInspectorComboBox::WndProc(TMessage& Message) {
    if (Message.Msg == WM_LBUTTONDOWN && ClickTime && GetTickCount() - ClickTime < GetDoubleClickTime()) {
        ClickTime = 0;
        Message.Msg = WM_LBUTTONDBLCLK;
    }
    if (Message.Msg == WM_LBUTTONDBLCLK && Inspector && Inspector->OnDblClick) {
        TdaDBComboBox::WndProc(Message);
        Inspector->OnDblClick(Inspector);
        return;
    }
    TdaDBComboBox::WndProc(Message);
}

void TdaInspectorComboBox::DropDown() {
    TdaInspectorItem* It = Inspector ? Inspector->ActiveItem() : nullptr;
    if (It && It->OnEditButtonClick) {
        It->OnEditButtonClick(Inspector, It);
        if (Inspector->CurrentCustomEdit() == this) {
            if (ButtonStyle() == cbsDownArrow) {
                It->SetEditText(Value());
            } else if (Inspector->CanEditModify()) {
                It->SetEditText(Value());
                Inspector->FEditText = Value();
            }
        }
        return;
    }
    TdaDBComboBox::DropDown();
}

void TdaInspectorComboBox::CloseUp(bool Accept) {
    const bool Was = DroppedDown();
    TdaDBComboBox::CloseUp(Accept);
    TdaInspectorItem* It = Inspector ? Inspector->ActiveItem() : nullptr;
    if (!Was || !Accept || !It) return;
    const String V = GetComboValue(Text());
    if (V != It->EditText()) {
        It->SetEditText(V);
        It->ItemChanged();
    }
}
