// The list view in report style: a header of column titles painted by the view, and under it a
// list of rows that keeps the scrolling, the keys and the selection of the list box.
#include "platform/gui/ComCtrls.h"

#include "platform/base/Strings.h"
#include "platform/gui/Graphics.h"

#include <algorithm>

// ---- The rows under the header --------------------------------------------------------------------

// The list box that holds one line per row (its text is the caption, so typing a letter finds
// a row) and hands the painting of each line to the view.
class TListRows : public TCustomListBox {
    DECLARE_CLASS(TListRows, TCustomListBox)
public:
    explicit TListRows(TCustomListView* AView) : TCustomListBox(AView), FView(AView) {
        SetStyle(lbOwnerDrawFixed);
        SetBorderStyle(Controls::bsNone);
    }
    using TCustomListBox::ItemRect;
    using TCustomListBox::MakeVisible;

protected:
    void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override {
        FView->DrawRow(Canvas(), FView->Items()->Item(Index), Rect, State);
    }
    void SelectionChanged() override {
        FView->RowsSelectionChanged();
        FView->Click();
    }
    void DblClick() override { FView->DblClick(); }
    void WMSetFocus(TWMSetFocus& Message) override {
        TCustomListBox::WMSetFocus(Message);
        Invalidate(); // hidden selections show again
    }
    void WMKillFocus(TWMKillFocus& Message) override {
        TCustomListBox::WMKillFocus(Message);
        Invalidate();
    }

private:
    TCustomListView* FView;
};

// ---- TListItem ------------------------------------------------------------------------------------

TListItem::TListItem(TListItems* AOwner) : FOwner(AOwner), FSubItems(std::make_unique<TStringList>()) {
    FSubItems->OnChange = [this](TObject*) { Update(); };
}

TListItem::~TListItem() = default;

void TListItem::SetCaption(const String& Value) {
    if (FCaption == Value) return;
    FCaption = Value;
    if (TCustomListView* V = ListView()) V->RowChanged(this);
}

int TListItem::Index() const {
    return FOwner ? FOwner->IndexOf(this) : -1;
}

TCustomListView* TListItem::ListView() const {
    return FOwner ? FOwner->Owner() : nullptr;
}

bool TListItem::Selected() const {
    TCustomListView* V = ListView();
    const int I = Index();
    return V && I >= 0 && V->FRows->Selected(I);
}

void TListItem::SetSelected(bool Value) {
    TCustomListView* V = ListView();
    const int I = Index();
    if (!V || I < 0 || Selected() == Value) return;
    if (V->MultiSelect())
        V->FRows->SetSelected(I, Value);
    else
        V->FRows->SetItemIndex(Value ? I : -1);
    V->RowsSelectionChanged();
}

void TListItem::Update() {
    if (TCustomListView* V = ListView()) V->RowChanged(this);
}

void TListItem::MakeVisible(bool) {
    TCustomListView* V = ListView();
    const int I = Index();
    if (V && I >= 0) V->FRows->MakeVisible(I);
}

void TListItem::Delete() {
    if (FOwner) FOwner->Delete(Index());
}

// ---- TListItems -----------------------------------------------------------------------------------

TListItems::~TListItems() = default;

TListItem* TListItems::Add() {
    return Insert(Count());
}

TListItem* TListItems::Insert(int Index) {
    if (Index < 0 || Index > Count()) throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
    FItems.insert(FItems.begin() + Index, std::make_unique<TListItem>(this));
    TListItem* Item = FItems[static_cast<std::size_t>(Index)].get();
    if (FOwner) FOwner->ItemInserted(Index);
    return Item;
}

TListItem* TListItems::Item(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
    return FItems[static_cast<std::size_t>(Index)].get();
}

int TListItems::IndexOf(const TListItem* Value) const {
    for (std::size_t I = 0; I < FItems.size(); ++I)
        if (FItems[I].get() == Value) return static_cast<int>(I);
    return -1;
}

void TListItems::Delete(int Index) {
    Item(Index); // checks the index
    // The row leaves the view before the item is freed, so nothing paints a freed item.
    if (FOwner) FOwner->ItemDeleting(Index);
    FItems.erase(FItems.begin() + Index);
}

void TListItems::Clear() {
    if (FOwner) FOwner->ItemsChanged();
    FItems.clear();
}

void TListItems::BeginUpdate() {
    if (FOwner && FOwner->FUpdating++ == 0) FOwner->FRows->Items()->BeginUpdate();
}

void TListItems::EndUpdate() {
    if (FOwner && FOwner->FUpdating > 0 && --FOwner->FUpdating == 0) FOwner->FRows->Items()->EndUpdate();
}

// ---- Columns --------------------------------------------------------------------------------------

void TListColumn::SetCaption(const String& Value) {
    if (FCaption == Value) return;
    FCaption = Value;
    Changed(false);
}

void TListColumn::SetWidth(int Value) {
    Value = std::max(0, Value);
    if (FWidth == Value) return;
    FWidth = Value;
    Changed(false);
}

void TListColumn::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TListColumn*>(Source)) {
        FCaption = S->FCaption;
        FWidth = S->FWidth;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(Source);
}

TListColumns::TListColumns(TCustomListView* AOwner)
    : TCollection(TCollectionItemClass::Of<TListColumn>()), FOwner(AOwner) {}

TPersistent* TListColumns::GetOwner() const {
    return FOwner;
}

void TListColumns::Update(TCollectionItem*) {
    if (FOwner) FOwner->Invalidate();
    if (FOwner && FOwner->FRows) FOwner->FRows->Invalidate();
}

// ---- TCustomListView ------------------------------------------------------------------------------

TCustomListView::TCustomListView(TComponent* AOwner)
    : TCustomControl(AOwner), FColumns(std::make_unique<TListColumns>(this)),
      FItems(std::make_unique<TListItems>(this)) {
    SetBounds(0, 0, 250, 150);
    SetColor(clWindow);
    FRows = new TListRows(this);
    FRows->SetParentFont(true);
    FRows->SetParent(this);
    LayoutRows();
}

TCustomListView::~TCustomListView() {
    // The rows are a child component: they go with the view, before the items they paint.
    delete FRows;
    FRows = nullptr;
}

void TCustomListView::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == Controls::bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

int TCustomListView::HeaderHeight() const {
    if (!FShowColumnHeaders) return 0;
    TCanvas* C = const_cast<TCustomListView*>(this)->Canvas();
    C->Font()->Assign(Font());
    return C->TextHeight(u"Wg") + 6;
}

void TCustomListView::LayoutRows() {
    if (!FRows) return;
    const TRect Client = ClientRect();
    const int Top = std::min(HeaderHeight(), Client.Height());
    FRows->SetBounds(0, Top, Client.Width(), Client.Height() - Top);
}

void TCustomListView::Resize() {
    LayoutRows();
    TCustomControl::Resize();
}

void TCustomListView::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    LayoutRows();
    Invalidate();
}

void TCustomListView::CMEnabledChanged(TMessage& Message) {
    TCustomControl::CMEnabledChanged(Message);
    if (FRows) FRows->SetEnabled(Enabled());
}

void TCustomListView::WMSetFocus(TWMSetFocus& Message) {
    TCustomControl::WMSetFocus(Message);
    // The view itself takes no keys: its rows do.
    if (FRows && FRows->CanFocus()) FRows->SetFocus();
}

void TCustomListView::Paint() {
    TCanvas* C = Canvas();
    const TRect Client = ClientRect();
    const int H = std::min(HeaderHeight(), Client.Height());
    if (H <= 0) return;
    C->Font()->Assign(Font());
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clBtnFace);
    int X = 0;
    for (int I = 0; I <= FColumns->Count() && X < Client.Right; ++I) {
        // After the last column, one empty title fills the rest of the header.
        const bool Filler = I == FColumns->Count();
        const int W = Filler ? Client.Right - X : FColumns->Items(I)->Width();
        TRect Cell = Rect(X, 0, X + W, H);
        C->FillRect(Cell);
        TRect Inside = Cell;
        DrawEdge(C, Inside, EDGE_RAISED, BF_RECT);
        if (!Filler) {
            C->Font()->SetColor(Enabled() ? clBtnText : clGrayText);
            C->Brush()->SetStyle(bsClear);
            TRect Text = Rect(Cell.Left + 6, Cell.Top, Cell.Right - 4, Cell.Bottom);
            C->TextRect(Text, FColumns->Items(I)->Caption(), {tfSingleLine, tfVerticalCenter, tfEndEllipsis});
            C->Brush()->SetStyle(bsSolid);
        }
        X += W;
    }
}

void TCustomListView::DrawRow(TCanvas* C, TListItem* Item, const TRect& Rect, TOwnerDrawState State) {
    const bool Focused = FRows->Focused();
    const bool Highlight = State.Contains(odSelected) && (Focused || !FHideSelection);
    const TColor Back = FRows->Color();
    const TColor Text = Enabled() ? Font()->Color() : clGrayText;
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Back);
    C->FillRect(Rect);
    const int Columns = std::max(1, FColumns->Count());
    int X = Rect.Left;
    for (int I = 0; I < Columns && X < Rect.Right; ++I) {
        const int W = FColumns->Count() > 0 ? FColumns->Items(I)->Width() : Rect.Width();
        const String S = I == 0 ? Item->Caption()
                         : I - 1 < Item->SubItems()->Count() ? Item->SubItems()->Strings(I - 1)
                                                             : String();
        TRect Cell = ::Rect(X, Rect.Top, X + W, Rect.Bottom);
        const bool Lit = Highlight && (FRowSelect || I == 0);
        if (Lit) {
            // Without RowSelect only the caption's text is highlighted, as wide as it is.
            TRect Band = Cell;
            if (!FRowSelect) Band.Right = std::min(Cell.Right, Cell.Left + C->TextWidth(S) + 8);
            C->Brush()->SetColor(Focused ? clHighlight : clBtnFace);
            C->FillRect(Band);
        }
        C->Font()->SetColor(Lit && Focused ? clHighlightText : Text);
        C->Brush()->SetStyle(bsClear);
        TRect TextRect = ::Rect(Cell.Left + (I == 0 ? 2 : 6), Cell.Top, Cell.Right - 4, Cell.Bottom);
        C->TextRect(TextRect, S, {tfSingleLine, tfVerticalCenter, tfEndEllipsis});
        C->Brush()->SetStyle(bsSolid);
        X += W;
    }
    if (Highlight && FRowSelect && !Focused) return;
    // Cells past the last column stay in the window colour; a highlighted full row goes on.
    if (Highlight && FRowSelect && X < Rect.Right) {
        C->Brush()->SetColor(clHighlight);
        C->FillRect(::Rect(X, Rect.Top, Rect.Right, Rect.Bottom));
    }
}

TListItem* TCustomListView::Selected() const {
    const int Focus = FRows->ItemIndex();
    if (Focus >= 0 && FRows->Selected(Focus)) return FItems->Item(Focus);
    // The rows, not the items: while the items are cleared the rows go first.
    for (int I = 0; I < FRows->Count(); ++I)
        if (FRows->Selected(I)) return FItems->Item(I);
    return nullptr;
}

void TCustomListView::SetSelected(TListItem* Value) {
    if (MultiSelect()) FRows->ClearSelection();
    const int I = Value ? FItems->IndexOf(Value) : -1;
    FRows->SetItemIndex(I);
    if (MultiSelect() && I >= 0) FRows->SetSelected(I, true);
    RowsSelectionChanged();
}

TListItem* TCustomListView::ItemFocused() const {
    const int I = FRows->ItemIndex();
    return I >= 0 ? FItems->Item(I) : nullptr;
}

int TCustomListView::ItemIndex() const {
    TListItem* S = Selected();
    return S ? FItems->IndexOf(S) : -1;
}

void TCustomListView::SetItemIndex(int Value) {
    SetSelected(Value >= 0 && Value < FItems->Count() ? FItems->Item(Value) : nullptr);
}

int TCustomListView::SelCount() const {
    int N = 0;
    for (int I = 0; I < FRows->Count(); ++I)
        if (FRows->Selected(I)) ++N;
    return N;
}

bool TCustomListView::MultiSelect() const {
    return FRows->MultiSelect();
}

void TCustomListView::SetMultiSelect(bool Value) {
    FRows->SetMultiSelect(Value);
}

void TCustomListView::SetRowSelect(bool Value) {
    if (FRowSelect == Value) return;
    FRowSelect = Value;
    FRows->Invalidate();
}

void TCustomListView::SetHideSelection(bool Value) {
    if (FHideSelection == Value) return;
    FHideSelection = Value;
    FRows->Invalidate();
}

void TCustomListView::SetShowColumnHeaders(bool Value) {
    if (FShowColumnHeaders == Value) return;
    FShowColumnHeaders = Value;
    LayoutRows();
    Invalidate();
}

void TCustomListView::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
}

TListItem* TCustomListView::GetItemAt(int X, int Y) const {
    const TPoint P = Point(X - FRows->Left(), Y - FRows->Top());
    if (P.Y < 0 || P.X < 0 || P.X >= FRows->Width()) return nullptr;
    const int I = FRows->ItemAtPos(P, true);
    return I >= 0 ? FItems->Item(I) : nullptr;
}

TRect TCustomListView::ItemRect(const TListItem* Item) const {
    const int I = FItems->IndexOf(Item);
    if (I < 0) return TRect{};
    TRect R = FRows->ItemRect(I);
    OffsetRect(R, FRows->Left(), FRows->Top());
    return R;
}

int TCustomListView::TopIndex() const {
    return FRows->TopIndex();
}

void TCustomListView::ItemsChanged() {
    FRows->Items()->Clear();
    RowsSelectionChanged();
}

void TCustomListView::ItemInserted(int Index) {
    TListItem* Item = FItems->Item(Index);
    FRows->Items()->InsertObject(Index, Item->Caption(), Item);
}

void TCustomListView::ItemDeleting(int Index) {
    TListItem* Item = FItems->Item(Index);
    const bool WasSelected = FRows->Selected(Index);
    FRows->Items()->Delete(Index);
    if (FLastSelected == Item) FLastSelected = nullptr;
    if (WasSelected) SelectItem(Item, false);
}

void TCustomListView::RowChanged(const TListItem* Item) {
    const int I = FItems->IndexOf(Item);
    if (I < 0) return;
    if (FRows->Items()->Strings(I) != Item->Caption())
        FRows->Items()->SetString(I, Item->Caption());
    else if (FUpdating == 0)
        FRows->Invalidate();
}

void TCustomListView::RowsSelectionChanged() {
    TListItem* Now = Selected();
    if (Now == FLastSelected) return;
    TListItem* Before = FLastSelected;
    FLastSelected = Now;
    if (Before) SelectItem(Before, false);
    if (Now) SelectItem(Now, true);
}

void TCustomListView::SelectItem(TListItem* Item, bool Selected) {
    if (OnSelectItem) OnSelectItem(this, Item, Selected);
}
