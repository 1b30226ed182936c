// The list box: its items, layout in rows or columns, painting (owner-drawn too), selection by
// mouse and keys, and its window scroll bar.
#include "platform/gui/StdCtrls.h"

#include "platform/base/Strings.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Threads.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrlsQt.h"

#include <algorithm>
#include <numeric>

namespace {

[[noreturn]] void IndexError(int Index) {
    throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
}

// Typed letters within this time search on from what was typed before.
constexpr Cardinal SearchPause = 500;

} // namespace

// ---- TListBoxStrings ------------------------------------------------------------------------------

int TListBoxStrings::Add(const String& S) {
    return AddObject(S, nullptr);
}

int TListBoxStrings::AddObject(const String& S, TObject* AObject) {
    int Index = Count();
    if (FListBox->FSorted) {
        const auto& L = FListBox->FLines;
        Index = static_cast<int>(std::upper_bound(L.begin(), L.end(), S,
                                                  [](const String& V, const TCustomListBox::TLine& E) {
                                                      return AnsiCompareText(V, E.Text) < 0;
                                                  }) -
                                 L.begin());
    }
    FListBox->InsertLine(Index, S, AObject);
    return Index;
}

void TListBoxStrings::Insert(int Index, const String& S) {
    InsertObject(Index, S, nullptr);
}

void TListBoxStrings::InsertObject(int Index, const String& S, TObject* AObject) {
    if (Index < 0 || Index > Count()) IndexError(Index);
    FListBox->InsertLine(Index, S, AObject);
}

void TListBoxStrings::Clear() {
    TCustomListBox* L = FListBox;
    L->FLines.clear();
    L->FItemIndex = -1;
    L->FAnchor = -1;
    L->FTopIndex = 0;
    L->ItemsChanged();
}

void TListBoxStrings::Delete(int Index) {
    FListBox->CheckIndex(Index);
    FListBox->DeleteLine(Index);
}

String TListBoxStrings::Get(int Index) const {
    FListBox->CheckIndex(Index);
    return FListBox->FLines[static_cast<std::size_t>(Index)].Text;
}

void TListBoxStrings::Put(int Index, const String& S) {
    FListBox->CheckIndex(Index);
    auto& Line = FListBox->FLines[static_cast<std::size_t>(Index)];
    Line.Text = S;
    Line.Height = -1;
    FListBox->InvalidateItem(Index);
}

TObject* TListBoxStrings::GetObject(int Index) const {
    FListBox->CheckIndex(Index);
    return FListBox->FLines[static_cast<std::size_t>(Index)].Object;
}

void TListBoxStrings::PutObject(int Index, TObject* AObject) {
    FListBox->CheckIndex(Index);
    FListBox->FLines[static_cast<std::size_t>(Index)].Object = AObject;
}

int TListBoxStrings::GetCount() const {
    return FListBox->Count();
}

void TListBoxStrings::SetUpdateState(bool Updating) {
    TStrings::SetUpdateState(Updating);
    FListBox->FUpdating += Updating ? 1 : -1;
    if (!Updating) FListBox->ItemsChanged();
}

// ---- TCustomListBox -------------------------------------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TCustomControl(AOwner), FItems(std::make_unique<TListBoxStrings>(this)) {
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    // OnClick comes with the selection (LBN_SELCHANGE), OnDblClick with LBN_DBLCLK.
    FControlStyle.Exclude(csClickEvents);
}

TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::Published(TPublisher<TCustomListBox>& P) {
    P.Property(u"BorderStyle", &TCustomListBox::BorderStyle, &TCustomListBox::SetBorderStyle)
        .Default(Controls::bsSingle);
    P.Property(u"Columns", &TCustomListBox::Columns, &TCustomListBox::SetColumns).Default(0);
    P.Property(u"ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect)
        .Default(true);
    P.Property(u"IntegralHeight", &TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight)
        .Default(false);
    P.Property(u"ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight);
    P.Property(u"ItemIndex", &TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex).Default(-1);
    P.Property(u"Items", &TCustomListBox::Items, &TCustomListBox::SetItems);
    P.Property(u"MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect).Default(false);
    P.Property(u"Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted).Default(false);
    P.Property(u"Style", &TCustomListBox::Style, &TCustomListBox::SetStyle).Default(lbStandard);
    P.Property(u"TopIndex", &TCustomListBox::TopIndex, &TCustomListBox::SetTopIndex).Stored(false);
    P.Property(u"OnDrawItem", &TCustomListBox::OnDrawItem);
    P.Property(u"OnMeasureItem", &TCustomListBox::OnMeasureItem);
}

void TCustomListBox::CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count()) IndexError(Index);
}

// -- Items --

void TCustomListBox::InsertLine(int Index, const String& S, TObject* AObject) {
    FLines.insert(FLines.begin() + Index, TLine{S, AObject, false, false, -1});
    if (FItemIndex >= Index) ++FItemIndex;
    if (FAnchor >= Index) ++FAnchor;
    ItemsChanged();
}

void TCustomListBox::DeleteLine(int Index) {
    FLines.erase(FLines.begin() + Index);
    // The selected item going leaves none selected.
    if (FItemIndex == Index)
        FItemIndex = -1;
    else if (FItemIndex > Index)
        --FItemIndex;
    if (FAnchor == Index)
        FAnchor = -1;
    else if (FAnchor > Index)
        --FAnchor;
    ItemsChanged();
}

void TCustomListBox::ItemsChanged() {
    if (FUpdating > 0) return;
    FTopIndex = std::clamp(FTopIndex, 0, MaxTopIndex());
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::Clear() {
    FItems->Clear();
}

void TCustomListBox::DeleteSelected() {
    if (FMultiSelect) {
        for (int I = Count() - 1; I >= 0; --I)
            if (FLines[static_cast<std::size_t>(I)].Selected) FItems->Delete(I);
    } else if (FItemIndex >= 0) {
        FItems->Delete(FItemIndex);
    }
}

// -- Properties --

void TCustomListBox::SetItemIndex(int Value) {
    if (Value < -1 || Value >= Count()) Value = -1;
    if (Value == FItemIndex) return;
    const int Old = FItemIndex;
    FItemIndex = Value;
    FAnchor = Value;
    InvalidateItem(Old);
    InvalidateItem(Value);
    if (Value >= 0) MakeVisible(Value);
}

void TCustomListBox::SetMultiSelect(bool Value) {
    if (FMultiSelect == Value) return;
    FMultiSelect = Value;
    for (TLine& L : FLines)
        L.Selected = false;
    Invalidate();
}

bool TCustomListBox::Selected(int Index) const {
    CheckIndex(Index);
    return FMultiSelect ? FLines[static_cast<std::size_t>(Index)].Selected : Index == FItemIndex;
}

void TCustomListBox::SetSelected(int Index, bool Value) {
    CheckIndex(Index);
    if (!FMultiSelect) {
        if (Value)
            SetItemIndex(Index);
        else if (Index == FItemIndex)
            SetItemIndex(-1);
        return;
    }
    TLine& L = FLines[static_cast<std::size_t>(Index)];
    if (L.Selected == Value) return;
    L.Selected = Value;
    InvalidateItem(Index);
}

int TCustomListBox::SelCount() const {
    if (!FMultiSelect) return -1;
    return static_cast<int>(
        std::count_if(FLines.begin(), FLines.end(), [](const TLine& L) { return L.Selected; }));
}

void TCustomListBox::SelectAll() {
    if (!FMultiSelect) return;
    for (TLine& L : FLines)
        L.Selected = true;
    Invalidate();
}

void TCustomListBox::ClearSelection() {
    if (!FMultiSelect) {
        SetItemIndex(-1);
        return;
    }
    for (TLine& L : FLines)
        L.Selected = false;
    Invalidate();
}

void TCustomListBox::SetSorted(bool Value) {
    if (FSorted == Value) return;
    FSorted = Value;
    if (!Value) return;
    TLine* Current = FItemIndex >= 0 ? &FLines[static_cast<std::size_t>(FItemIndex)] : nullptr;
    const TObject* CurrentObject = Current ? Current->Object : nullptr;
    const String CurrentText = Current ? Current->Text : String();
    std::stable_sort(FLines.begin(), FLines.end(),
                     [](const TLine& A, const TLine& B) { return AnsiCompareText(A.Text, B.Text) < 0; });
    if (Current) {
        auto It = std::find_if(FLines.begin(), FLines.end(), [&](const TLine& L) {
            return L.Text == CurrentText && L.Object == CurrentObject;
        });
        FItemIndex = It == FLines.end() ? -1 : static_cast<int>(It - FLines.begin());
    }
    FAnchor = FItemIndex;
    ItemsChanged();
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    for (TLine& L : FLines)
        L.Height = -1;
    ItemsChanged();
}

int TCustomListBox::StandardItemHeight() const {
    // Asked for every line on every change of the items: measured once per font.
    if (FStandardItemHeight < 0) {
        const int H = FontLineHeight(Font(), -1);
        if (H < 0) return 13; // nothing to measure with yet
        FStandardItemHeight = H;
    }
    return FStandardItemHeight;
}

int TCustomListBox::ItemHeight() const {
    return FStyle == lbStandard || FStyle == lbVirtual ? StandardItemHeight() : FItemHeight;
}

void TCustomListBox::SetItemHeight(int Value) {
    if (Value <= 0 || FItemHeight == Value) return;
    FItemHeight = Value;
    for (TLine& L : FLines)
        L.Height = -1;
    ItemsChanged();
}

int TCustomListBox::LineHeight(int Index) const {
    if (FStyle != lbOwnerDrawVariable || Index < 0 || Index >= Count()) return std::max(1, ItemHeight());
    TLine& L = FLines[static_cast<std::size_t>(Index)];
    if (L.Height < 0) {
        int H = FItemHeight;
        const_cast<TCustomListBox*>(this)->MeasureItem(Index, H);
        L.Height = std::max(1, H);
    }
    return L.Height;
}

void TCustomListBox::SetColumns(int Value) {
    Value = std::max(0, Value);
    if (FColumns == Value) return;
    const bool StyleChanges = (FColumns == 0) != (Value == 0);
    FColumns = Value;
    FTopIndex = 0;
    if (StyleChanges) {
        if (HandleAllocated())
            RecreateWnd();
        else
            NonClientChanged();
    }
    ItemsChanged();
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    NonClientChanged();
}

// -- Geometry --

int TCustomListBox::RowsPerColumn() const {
    return std::max(1, ClientHeight() / std::max(1, ItemHeight()));
}

int TCustomListBox::VisibleCount() const {
    if (FColumns > 0) return RowsPerColumn() * FColumns;
    const int Height = ClientHeight();
    int Y = 0, N = 0;
    for (int I = FTopIndex; I < Count(); ++I) {
        Y += LineHeight(I);
        if (Y > Height) break;
        ++N;
    }
    if (N == 0 && FTopIndex >= Count()) N = Height / std::max(1, ItemHeight());
    return std::max(1, N);
}

int TCustomListBox::MaxTopIndex() const {
    if (Count() == 0) return 0;
    if (FColumns > 0) {
        const int Rows = RowsPerColumn();
        const int Cols = (Count() + Rows - 1) / Rows;
        return std::max(0, Cols - FColumns) * Rows;
    }
    // The first item from which the rest fits.
    const int Height = ClientHeight();
    int Y = 0, I = Count();
    while (I > 0 && Y + LineHeight(I - 1) <= Height) {
        Y += LineHeight(I - 1);
        --I;
    }
    return std::min(I, Count() - 1);
}

TRect TCustomListBox::ItemRect(int Index) const {
    if (FColumns > 0) {
        const int Rows = RowsPerColumn(), H = std::max(1, ItemHeight());
        const int Width = std::max(1, ClientWidth() / FColumns);
        const int Rel = Index - FTopIndex;
        const int Col = Rel >= 0 ? Rel / Rows : -((-Rel + Rows - 1) / Rows);
        const int Row = Rel - Col * Rows;
        return Bounds(Col * Width, Row * H, Width, H);
    }
    int Y = 0;
    if (FStyle == lbOwnerDrawVariable) {
        if (Index >= FTopIndex)
            for (int I = FTopIndex; I < Index; ++I)
                Y += LineHeight(I);
        else
            for (int I = Index; I < FTopIndex; ++I)
                Y -= LineHeight(I);
    } else {
        Y = (Index - FTopIndex) * std::max(1, ItemHeight());
    }
    return Bounds(0, Y, ClientWidth(), LineHeight(Index));
}

int TCustomListBox::ItemAtPos(const TPoint& Pos, bool Existing) const {
    if (!PtInRect(ClientRect(), Pos)) return -1;
    const int Last = FColumns > 0 ? std::min(Count(), FTopIndex + VisibleCount() + RowsPerColumn()) : Count();
    for (int I = FTopIndex; I < Last; ++I) {
        const TRect R = ItemRect(I);
        if (PtInRect(R, Pos)) return I;
        if (FColumns == 0 && R.Top >= ClientHeight()) break;
    }
    return Existing ? -1 : Count();
}

void TCustomListBox::InvalidateItem(int Index) {
    if (Index < 0 || Index >= Count() || !HandleAllocated()) return;
    const TRect R = ItemRect(Index);
    InvalidateRect(WindowHandle(), &R, false);
}

void TCustomListBox::SetTopIndex(int Value) {
    if (FColumns > 0) Value = Value / RowsPerColumn() * RowsPerColumn();
    Value = std::clamp(Value, 0, MaxTopIndex());
    if (Value == FTopIndex) return;
    FTopIndex = Value;
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::MakeVisible(int Index) {
    if (Index < 0 || Index >= Count()) return;
    if (FColumns > 0) {
        const int Rows = RowsPerColumn();
        const int Col = Index / Rows, TopCol = FTopIndex / Rows;
        if (Col < TopCol)
            SetTopIndex(Col * Rows);
        else if (Col >= TopCol + FColumns)
            SetTopIndex((Col - FColumns + 1) * Rows);
        return;
    }
    if (Index < FTopIndex) {
        SetTopIndex(Index);
        return;
    }
    if (ItemRect(Index).Bottom <= ClientHeight()) return;
    // The item becomes the last one shown whole.
    int Top = Index, Y = LineHeight(Index);
    while (Top > 0 && Y + LineHeight(Top - 1) <= ClientHeight()) {
        --Top;
        Y += LineHeight(Top);
    }
    SetTopIndex(Top);
}

void TCustomListBox::UpdateScrollBar() {
    if (!HandleAllocated() || FUpdating > 0 || FScrollBarDepth > 2) return;
    ++FScrollBarDepth;
    TScopeExit Depth([&] { --FScrollBarDepth; });
    TScrollInfo Info;
    Info.fMask = SIF_ALL;
    if (FColumns > 0) {
        const int Rows = RowsPerColumn();
        Info.nMax = std::max(0, (Count() + Rows - 1) / Rows - 1);
        Info.nPage = static_cast<UINT>(FColumns);
        Info.nPos = FTopIndex / Rows;
        SetScrollInfo(WindowHandle(), SB_HORZ, Info, true);
    } else {
        Info.nMax = std::max(0, Count() - 1);
        Info.nPage = static_cast<UINT>(VisibleCount());
        Info.nPos = FTopIndex;
        SetScrollInfo(WindowHandle(), SB_VERT, Info, true);
    }
}

void TCustomListBox::Scroll(int Code) {
    const int Unit = FColumns > 0 ? RowsPerColumn() : 1;
    const int Page = FColumns > 0 ? FColumns * Unit : std::max(1, VisibleCount());
    switch (Code) {
    case SB_LINEUP:
        SetTopIndex(FTopIndex - Unit);
        break;
    case SB_LINEDOWN:
        SetTopIndex(FTopIndex + Unit);
        break;
    case SB_PAGEUP:
        SetTopIndex(FTopIndex - Page);
        break;
    case SB_PAGEDOWN:
        SetTopIndex(FTopIndex + Page);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        TScrollInfo Info;
        Info.fMask = SIF_TRACKPOS;
        GetScrollInfo(WindowHandle(), FColumns > 0 ? SB_HORZ : SB_VERT, Info);
        SetTopIndex(Info.nTrackPos * Unit);
        break;
    }
    case SB_TOP:
        SetTopIndex(0);
        break;
    case SB_BOTTOM:
        SetTopIndex(MaxTopIndex());
        break;
    default:
        break;
    }
}

// -- Window --

void TCustomListBox::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style |= FColumns > 0 ? WS_HSCROLL : WS_VSCROLL;
    if (FBorderStyle == Controls::bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateWnd() {
    TCustomControl::CreateWnd();
    UpdateScrollBar();
}

void TCustomListBox::WMSize(TWMSize& Message) {
    TCustomControl::WMSize(Message);
    FTopIndex = std::clamp(FTopIndex, 0, MaxTopIndex());
    UpdateScrollBar();
    Invalidate();
}

// -- Painting --

void TCustomListBox::Paint() {
    TCanvas* C = Canvas();
    const TRect Client = ClientRect();
    const bool HasFocus = Focused();
    int Bottom = 0, Right = 0;
    for (int I = FTopIndex; I < Count(); ++I) {
        const TRect R = ItemRect(I);
        if (FColumns == 0 && R.Top >= Client.Bottom) break;
        if (FColumns > 0 && R.Left >= Client.Right) break;
        Bottom = std::max(Bottom, R.Bottom);
        Right = std::max(Right, R.Right);
        TOwnerDrawState State;
        if (Selected(I)) State.Include(odSelected);
        if (HasFocus && I == FItemIndex) State.Include(odFocused);
        if (!Enabled()) State.Include(odDisabled);
        C->Font()->Assign(Font());
        C->Brush()->SetStyle(bsSolid);
        if (State.Contains(odSelected)) {
            C->Brush()->SetColor(clHighlight);
            C->Font()->SetColor(clHighlightText);
        } else {
            C->Brush()->SetColor(Color());
        }
        if (!Enabled()) C->Font()->SetColor(clGrayText);
        DrawItem(I, R, State);
        if (State.Contains(odFocused)) Canvas()->DrawFocusRect(R);
    }
    // What no item covers.
    Canvas()->Brush()->SetColor(Color());
    Canvas()->Brush()->SetStyle(bsSolid);
    if (FColumns == 0)
        Canvas()->FillRect(Rect(0, Bottom, Client.Right, Client.Bottom));
    else
        Canvas()->FillRect(Rect(Right, 0, Client.Right, Client.Bottom));
    if (HasFocus && Count() == 0) Canvas()->DrawFocusRect(Rect(0, 0, Client.Right, ItemHeight()));
}

void TCustomListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
    if ((FStyle == lbOwnerDrawFixed || FStyle == lbOwnerDrawVariable || FStyle == lbVirtualOwnerDraw) &&
        OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    Canvas()->FillRect(Rect);
    if (Index >= 0 && Index < Count())
        Canvas()->TextOut(Rect.Left + 2, Rect.Top, FLines[static_cast<std::size_t>(Index)].Text);
}

bool TCustomListBox::LineChecked(int Index) const {
    CheckIndex(Index);
    return FLines[static_cast<std::size_t>(Index)].Checked;
}

void TCustomListBox::SetLineChecked(int Index, bool Value) {
    CheckIndex(Index);
    TLine& L = FLines[static_cast<std::size_t>(Index)];
    if (L.Checked == Value) return;
    L.Checked = Value;
    InvalidateItem(Index);
}

void TCustomListBox::MeasureItem(int Index, int& Height) {
    if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

// -- Selection --

void TCustomListBox::UserSelect(int Index, TShiftState Shift, bool Toggle, bool FromMouse) {
    if (Count() == 0) return;
    Index = std::clamp(Index, 0, Count() - 1);
    std::vector<bool> Before;
    Before.reserve(FLines.size());
    for (const TLine& L : FLines)
        Before.push_back(L.Selected);
    const int OldIndex = FItemIndex;
    auto SelectOnly = [&](int From, int To) {
        if (From > To) std::swap(From, To);
        for (int I = 0; I < Count(); ++I)
            FLines[static_cast<std::size_t>(I)].Selected = I >= From && I <= To;
    };
    if (!FMultiSelect) {
        FItemIndex = Index;
        FAnchor = Index;
    } else if (FExtendedSelect) {
        if (Shift.Contains(ssShift) && FAnchor >= 0) {
            if (Shift.Contains(ssCtrl)) {
                for (int I = std::min(FAnchor, Index); I <= std::max(FAnchor, Index); ++I)
                    FLines[static_cast<std::size_t>(I)].Selected = true;
            } else {
                SelectOnly(FAnchor, Index);
            }
        } else if (Toggle) {
            TLine& L = FLines[static_cast<std::size_t>(Index)];
            L.Selected = !L.Selected;
            FAnchor = Index;
        } else if (!Shift.Contains(ssCtrl)) {
            SelectOnly(Index, Index);
            FAnchor = Index;
        }
        FItemIndex = Index;
    } else {
        if (Toggle) {
            TLine& L = FLines[static_cast<std::size_t>(Index)];
            L.Selected = !L.Selected;
        }
        FItemIndex = Index;
        FAnchor = Index;
    }
    bool Changed = FItemIndex != OldIndex && !FMultiSelect;
    for (std::size_t I = 0; I < FLines.size(); ++I)
        if (FLines[I].Selected != Before[I]) {
            Changed = true;
            InvalidateItem(static_cast<int>(I));
        }
    InvalidateItem(OldIndex);
    InvalidateItem(FItemIndex);
    MakeVisible(FItemIndex);
    if (Changed || FromMouse)
        Perform(CN_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE), static_cast<LPARAM>(WindowHandle()));
}

void TCustomListBox::SelectionChanged() {
    Click();
}

void TCustomListBox::CNCommand(TWMCommand& Message) {
    switch (Message.NotifyCode()) {
    case LBN_SELCHANGE:
        SelectionChanged();
        break;
    case LBN_DBLCLK:
        DblClick();
        break;
    default:
        break;
    }
}

// -- Messages --

void TCustomListBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        return Crack(Message, this, &TCustomListBox::CNCommand);
    case WM_VSCROLL:
    case WM_HSCROLL:
        if ((Message.Msg == WM_HSCROLL) == (FColumns > 0)) Scroll(LOWORD(Message.WParam));
        Message.Result = 0;
        return;
    default:
        TCustomControl::Dispatch(Message);
    }
}

void TCustomListBox::DefaultHandler(TMessage& Message) {
    const int W = static_cast<int>(static_cast<LPARAM>(Message.WParam));
    switch (Message.Msg) {
    case LB_GETCOUNT:
        Message.Result = Count();
        return;
    case LB_GETCURSEL:
        Message.Result = FItemIndex;
        return;
    case LB_SETCURSEL:
        SetItemIndex(W);
        Message.Result = FItemIndex;
        return;
    case LB_GETSEL:
        Message.Result = W >= 0 && W < Count() ? (Selected(W) ? 1 : 0) : -1;
        return;
    case LB_SETSEL: {
        const int Index = static_cast<int>(Message.LParam);
        if (Index == -1 && FMultiSelect) {
            for (int I = 0; I < Count(); ++I)
                SetSelected(I, Message.WParam != 0);
        } else if (Index >= 0 && Index < Count()) {
            SetSelected(Index, Message.WParam != 0);
        }
        Message.Result = 0;
        return;
    }
    case LB_GETSELCOUNT:
        Message.Result = SelCount();
        return;
    case LB_GETTOPINDEX:
        Message.Result = FTopIndex;
        return;
    case LB_SETTOPINDEX:
        SetTopIndex(W);
        Message.Result = 0;
        return;
    case LB_GETITEMRECT:
        if (W < 0 || W > Count()) {
            Message.Result = -1;
            return;
        }
        if (auto* R = reinterpret_cast<TRect*>(Message.LParam)) *R = ItemRect(W);
        Message.Result = 1;
        return;
    case LB_GETITEMHEIGHT:
        Message.Result = LineHeight(W);
        return;
    case LB_SETITEMHEIGHT:
        SetItemHeight(static_cast<int>(Message.LParam));
        Message.Result = 0;
        return;
    case LB_ITEMFROMPOINT: {
        const TPoint P{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        const int I = ItemAtPos(P, true);
        Message.Result = I >= 0 ? MAKELPARAM(I, 0) : MAKELPARAM(std::max(0, Count() - 1), 1);
        return;
    }
    default:
        TCustomControl::DefaultHandler(Message);
    }
}

void TCustomListBox::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void TCustomListBox::WMKeyDown(TWMKeyDown& Message) {
    if (DoKeyDown(Message)) return;
    const Word Key = Message.CharCode();
    const TShiftState Shift = KeyDataToShiftState(Message.KeyData());
    if (Count() == 0) return DefaultHandler(Message);
    const int Cur = std::max(FItemIndex, 0);
    const int Unit = FColumns > 0 ? RowsPerColumn() : 1;
    const int Page = std::max(1, (FColumns > 0 ? RowsPerColumn() : VisibleCount()) - 1);
    int Target;
    switch (Key) {
    case VK_UP:
        Target = FItemIndex < 0 ? 0 : Cur - 1;
        break;
    case VK_DOWN:
        Target = FItemIndex < 0 ? 0 : Cur + 1;
        break;
    case VK_LEFT:
        Target = FItemIndex < 0 ? 0 : Cur - Unit;
        break;
    case VK_RIGHT:
        Target = FItemIndex < 0 ? 0 : Cur + Unit;
        break;
    case VK_HOME:
        Target = 0;
        break;
    case VK_END:
        Target = Count() - 1;
        break;
    case VK_PRIOR:
        Target = Cur - Page;
        break;
    case VK_NEXT:
        Target = Cur + Page;
        break;
    case VK_SPACE:
        if (FMultiSelect) {
            UserSelect(Cur, Shift - TShiftState{ssShift}, true);
            return;
        }
        return DefaultHandler(Message);
    default:
        return DefaultHandler(Message);
    }
    UserSelect(std::clamp(Target, 0, Count() - 1), Shift, false);
}

void TCustomListBox::WMChar(TWMChar& Message) {
    if (DoKeyPress(Message)) return;
    const Char Ch = static_cast<Char>(Message.CharCode());
    if (Ch < 32 || Count() == 0 || (FMultiSelect && Ch == u' ')) return DefaultHandler(Message);
    // Typed letters choose the next item that starts with them.
    const Cardinal Now = GetTickCount();
    if (Now - FSearchTime > SearchPause) FSearch.clear();
    FSearchTime = Now;
    FSearch += Ch;
    const bool Repeat = FSearch.size() == 2 && FSearch[0] == FSearch[1];
    if (Repeat) FSearch.resize(1);
    const int Start = FItemIndex < 0 ? 0 : (FSearch.size() == 1 ? FItemIndex + 1 : FItemIndex);
    for (int K = 0; K < Count(); ++K) {
        const int I = (Start + K) % Count();
        if (StartsText(FSearch, FLines[static_cast<std::size_t>(I)].Text)) {
            UserSelect(I, {}, false);
            return;
        }
    }
}

void TCustomListBox::WMLButtonDown(TWMMouse& Message) {
    if (FFocusOnClick && CanFocus() && !Focused()) SetFocus();
    const int I = ItemAtPos(Message.Pos(), true);
    if (I >= 0) {
        const TShiftState Shift = KeysToShiftState(Message.Keys());
        const bool Toggle = FMultiSelect && (!FExtendedSelect || Shift.Contains(ssCtrl));
        FMouseSelecting = true;
        UserSelect(I, Shift, Toggle, true);
    }
    TCustomControl::WMLButtonDown(Message);
}

void TCustomListBox::WMLButtonDblClk(TWMMouse& Message) {
    const int I = ItemAtPos(Message.Pos(), true);
    if (I >= 0) {
        const TShiftState Shift = KeysToShiftState(Message.Keys());
        if (!FMultiSelect) UserSelect(I, Shift, false);
        Perform(CN_COMMAND, MAKEWPARAM(0, LBN_DBLCLK), static_cast<LPARAM>(WindowHandle()));
    }
    TCustomControl::WMLButtonDblClk(Message);
}

void TCustomListBox::WMMouseMove(TWMMouse& Message) {
    if (FMouseSelecting && (Message.Keys() & MK_LBUTTON) && Count() > 0) {
        // Dragging chooses the item under the pointer; beyond the edges the list scrolls.
        TPoint P = Message.Pos();
        int I;
        if (P.Y < 0 && FColumns == 0)
            I = FTopIndex - 1;
        else if (P.Y >= ClientHeight() && FColumns == 0)
            I = FTopIndex + VisibleCount();
        else
            I = ItemAtPos({std::clamp(P.X, 0, std::max(0, ClientWidth() - 1)), P.Y}, true);
        if (I >= 0 && I < Count() && I != FItemIndex) {
            if (!FMultiSelect)
                UserSelect(I, {}, false);
            else if (FExtendedSelect)
                UserSelect(I, {ssShift}, false);
        }
    } else if (FHotTrack) {
        const int I = ItemAtPos(Message.Pos(), true);
        if (I >= 0 && I != FItemIndex) SetItemIndex(I);
    }
    TCustomControl::WMMouseMove(Message);
}

void TCustomListBox::WMLButtonUp(TWMMouse& Message) {
    FMouseSelecting = false;
    TCustomControl::WMLButtonUp(Message);
}

void TCustomListBox::WMSetFocus(TWMSetFocus& Message) {
    TCustomControl::WMSetFocus(Message);
    InvalidateItem(FItemIndex);
    if (Count() == 0) Invalidate();
}

void TCustomListBox::WMKillFocus(TWMKillFocus& Message) {
    TCustomControl::WMKillFocus(Message);
    InvalidateItem(FItemIndex);
    if (Count() == 0) Invalidate();
}

void TCustomListBox::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    FStandardItemHeight = -1;
    for (TLine& L : FLines)
        L.Height = -1;
    ItemsChanged();
}

bool TCustomListBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    const int Steps = WheelDelta / WHEEL_DELTA;
    if (Steps == 0 || Count() == 0) return Count() > 0;
    const int Unit = FColumns > 0 ? RowsPerColumn() : 3;
    const int Before = FTopIndex;
    SetTopIndex(FTopIndex - Steps * Unit);
    return FTopIndex != Before || Count() > 0;
}
