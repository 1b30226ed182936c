#include "platform/gui/Grids.h"

#include "platform/base/Format.h"

#include <algorithm>

namespace {
constexpr int SizingMargin = 3; // pixels either side of a border that start sizing
}

// ---- TInplaceEdit ----------------------------------------------------------------------------------

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
    FGrid = dynamic_cast<TCustomGrid*>(AOwner);
    SetBorderStyle(Controls::bsNone);
    SetVisible(false);
    SetTabStop(false);
}

void TInplaceEdit::UpdateContents() {
    if (!FGrid) return;
    TFlagScope Updating(FUpdating);
    const int C = FGrid->Col(), R = FGrid->Row();
    SetEditMask(u""); // the text below is read under the cell's own mask
    SetEditMask(FGrid->GetEditMask(C, R));
    if (!IsMasked()) SetMaxLength(FGrid->GetEditLimit());
    SetReadOnly(!FGrid->CanEditModify());
    SetText(FGrid->GetEditText(C, R));
    SetModified(false);
    SelectAll();
}

void TInplaceEdit::Move(const TRect& Loc) {
    SetBounds(Loc.Left, Loc.Top, Loc.Width(), Loc.Height());
    SetVisible(true);
    FShown = true;
}

void TInplaceEdit::Hide() {
    FShown = false;
    SetVisible(false);
}

void TInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
    if (FGrid) {
        const bool AtStart = SelLength() == 0 && SelStart() == 0;
        const bool AtEnd = SelLength() == 0 && SelStart() >= GetTextLen();
        bool ToGrid = false;
        switch (Key) {
        case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: case VK_RETURN:
            ToGrid = true;
            break;
        case VK_TAB:
            ToGrid = FGrid->Options().Contains(goTabs);
            break;
        case VK_LEFT:
            ToGrid = AtStart;
            break;
        case VK_RIGHT:
            ToGrid = AtEnd;
            break;
        case VK_ESCAPE: {
            // The cell's text as it was, and the editor goes unless it always shows.
            {
                TFlagScope Updating(FUpdating);
                SetText(FGrid->GetEditText(FGrid->Col(), FGrid->Row()));
            }
            if (!FGrid->Options().Contains(goAlwaysShowEditor)) FGrid->HideEditor();
            Key = 0;
            return;
        }
        default:
            break;
        }
        if (ToGrid) {
            FGrid->KeyDown(Key, Shift);
            Key = 0;
            return;
        }
    }
    TCustomMaskEdit::KeyDown(Key, Shift);
}

void TInplaceEdit::KeyPress(Char& Key) {
    if (FGrid && Key >= u' ' && (!FGrid->CanEditAcceptKey(Key) || !FGrid->CanEditModify())) {
        Key = 0;
        return;
    }
    if (Key == u'\r' || Key == u'\t' || Key == 27) {
        Key = 0;
        return;
    }
    TCustomMaskEdit::KeyPress(Key);
}

void TInplaceEdit::Change() {
    TCustomMaskEdit::Change();
    if (FGrid && !FUpdating && FShown) FGrid->SetEditText(FGrid->Col(), FGrid->Row(), Text());
}

void TInplaceEdit::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS |
                     (FGrid && FGrid->Options().Contains(goTabs) ? DLGC_WANTTAB : 0);
}

// ---- TCustomGrid: geometry -------------------------------------------------------------------------

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, 320, 120);
    SetColor(clWindow);
    SetTabStop(true);
}

TCustomGrid::~TCustomGrid() = default;

int TCustomGrid::ColWidths(int Index) const {
    auto It = FColWidths.find(Index);
    return It == FColWidths.end() ? FDefaultColWidth : It->second;
}

int TCustomGrid::RowHeights(int Index) const {
    auto It = FRowHeights.find(Index);
    return It == FRowHeights.end() ? FDefaultRowHeight : It->second;
}

void TCustomGrid::SetColWidths(int Index, int Value) {
    if (Index < 0 || Index >= FColCount) throw EListError(Format(u"Grid index out of range (%d)", {Index}));
    Value = std::max(Value, 0);
    if (ColWidths(Index) == Value) return;
    FColWidths[Index] = Value;
    ColWidthsChanged();
    UpdateScrollRange();
    UpdateEdit();
    Invalidate();
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
    if (Index < 0 || Index >= FRowCount) throw EListError(Format(u"Grid index out of range (%d)", {Index}));
    Value = std::max(Value, 0);
    if (RowHeights(Index) == Value) return;
    FRowHeights[Index] = Value;
    RowHeightsChanged();
    UpdateScrollRange();
    UpdateEdit();
    Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int Value) {
    FDefaultColWidth = std::max(Value, 0);
    FColWidths.clear();
    ColWidthsChanged();
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
    FDefaultRowHeight = std::max(Value, 0);
    FRowHeights.clear();
    RowHeightsChanged();
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::SetGridLineWidth(int Value) {
    FGridLineWidth = std::max(Value, 0);
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions Value) {
    if (Value == FOptions) return;
    FOptions = Value;
    if (!FOptions.Contains(goEditing) || FOptions.Contains(goRowSelect)) HideEditor();
    if (FOptions.Contains(goAlwaysShowEditor) && FOptions.Contains(goEditing)) SetEditorMode(true);
    if (FOptions.Contains(goRowSelect)) FAnchor = {FColCount - 1, FCurrent.Y};
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor Value) {
    FFixedColor = Value;
    Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
    if (Value == FScrollBars) return;
    FScrollBars = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomGrid::SetColCount(int Value) {
    if (Value < 1) Value = 1;
    if (Value == FColCount) return;
    if (Value <= FFixedCols) throw EInvalidGridOperation(u"Fixed column count must be less than column count");
    const int Old = FColCount;
    FColCount = Value;
    std::erase_if(FColWidths, [&](const auto& P) { return P.first >= Value; });
    int L = FTopLeft.X, T = FTopLeft.Y;
    ClampTopLeft(L, T);
    FTopLeft = {L, T};
    if (FCurrent.X >= Value) FocusCell(Value - 1, FCurrent.Y, true);
    FAnchor.X = std::min(FAnchor.X, Value - 1);
    SizeChanged(Old, FRowCount);
    UpdateScrollRange();
    UpdateEdit();
    Invalidate();
}

void TCustomGrid::SetRowCount(int Value) {
    if (Value < 1) Value = 1;
    if (Value == FRowCount) return;
    if (Value <= FFixedRows) throw EInvalidGridOperation(u"Fixed row count must be less than row count");
    const int Old = FRowCount;
    FRowCount = Value;
    std::erase_if(FRowHeights, [&](const auto& P) { return P.first >= Value; });
    int L = FTopLeft.X, T = FTopLeft.Y;
    ClampTopLeft(L, T);
    FTopLeft = {L, T};
    if (FCurrent.Y >= Value) FocusCell(FCurrent.X, Value - 1, true);
    FAnchor.Y = std::min(FAnchor.Y, Value - 1);
    SizeChanged(FColCount, Old);
    UpdateScrollRange();
    UpdateEdit();
    Invalidate();
}

void TCustomGrid::SetFixedCols(int Value) {
    if (Value < 0 || Value >= FColCount)
        throw EInvalidGridOperation(u"Fixed column count must be less than column count");
    FFixedCols = Value;
    FTopLeft.X = std::max(FTopLeft.X, Value);
    if (FCurrent.X < Value) FocusCell(Value, FCurrent.Y, true);
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::SetFixedRows(int Value) {
    if (Value < 0 || Value >= FRowCount) throw EInvalidGridOperation(u"Fixed row count must be less than row count");
    FFixedRows = Value;
    FTopLeft.Y = std::max(FTopLeft.Y, Value);
    if (FCurrent.Y < Value) FocusCell(FCurrent.X, Value, true);
    UpdateScrollRange();
    Invalidate();
}

void TCustomGrid::CalcDrawInfo(TGridDrawInfo& DrawInfo) const {
    const TRect Client = ClientRect();
    auto Axis = [&](TGridAxisDrawInfo& A, int Extent, int Fixed, int Count, int First, bool Vert) {
        A.EffectiveLineWidth = FGridLineWidth;
        A.GridExtent = Extent;
        A.FixedCellCount = Fixed;
        A.FirstGridCell = First;
        A.GridCellCount = Count;
        A.GetExtent = [this, Vert](int I) { return Vert ? RowHeights(I) : ColWidths(I); };
        int P = 0;
        for (int I = 0; I < Fixed; ++I)
            P += A.GetExtent(I) + A.EffectiveLineWidth;
        A.FixedBoundary = P;
        A.FullVisBoundary = P;
        A.LastFullVisibleCell = First - 1;
        int I = First;
        while (I < Count && P < Extent) {
            P += A.GetExtent(I) + A.EffectiveLineWidth;
            if (P <= Extent) {
                A.FullVisBoundary = P;
                A.LastFullVisibleCell = I;
            }
            ++I;
        }
        A.GridBoundary = std::min(P, Extent);
    };
    Axis(DrawInfo.Horz, Client.Width(), FFixedCols, FColCount, FTopLeft.X, false);
    Axis(DrawInfo.Vert, Client.Height(), FFixedRows, FRowCount, FTopLeft.Y, true);
}

int TCustomGrid::VisibleColCount() const {
    TGridDrawInfo D;
    CalcDrawInfo(D);
    return std::max(D.Horz.LastFullVisibleCell - FTopLeft.X + 1, 0);
}

int TCustomGrid::VisibleRowCount() const {
    TGridDrawInfo D;
    CalcDrawInfo(D);
    return std::max(D.Vert.LastFullVisibleCell - FTopLeft.Y + 1, 0);
}

TRect TCustomGrid::CellRect(int ACol, int ARow) const {
    if (ACol < 0 || ARow < 0 || ACol >= FColCount || ARow >= FRowCount) return TRect();
    const TRect Client = ClientRect();
    // The start of a cell along one axis, -1 when it is scrolled away or past the client.
    auto Start = [&](int Index, int Fixed, int First, int Extent, bool Vert, int& Size) {
        Size = Vert ? RowHeights(Index) : ColWidths(Index);
        int P = 0;
        if (Index < Fixed) {
            for (int I = 0; I < Index; ++I)
                P += (Vert ? RowHeights(I) : ColWidths(I)) + FGridLineWidth;
            return P;
        }
        if (Index < First) return -1;
        for (int I = 0; I < Fixed; ++I)
            P += (Vert ? RowHeights(I) : ColWidths(I)) + FGridLineWidth;
        for (int I = First; I < Index; ++I) {
            P += (Vert ? RowHeights(I) : ColWidths(I)) + FGridLineWidth;
            if (P >= Extent) return -1;
        }
        return P < Extent ? P : -1;
    };
    int W, H;
    const int X = Start(ACol, FFixedCols, FTopLeft.X, Client.Width(), false, W);
    const int Y = Start(ARow, FFixedRows, FTopLeft.Y, Client.Height(), true, H);
    if (X < 0 || Y < 0) return TRect();
    return TRect(X, Y, X + W, Y + H);
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const {
    TGridDrawInfo D;
    CalcDrawInfo(D);
    auto Find = [](const TGridAxisDrawInfo& A, int P) {
        if (P < 0 || P >= A.GridBoundary) return -1;
        int Pos = 0;
        for (int I = 0; I < A.FixedCellCount; ++I) {
            Pos += A.GetExtent(I) + A.EffectiveLineWidth;
            if (P < Pos) return I;
        }
        for (int I = A.FirstGridCell; I < A.GridCellCount; ++I) {
            Pos += A.GetExtent(I) + A.EffectiveLineWidth;
            if (P < Pos) return I;
        }
        return -1;
    };
    TGridCoord C{Find(D.Horz, X), Find(D.Vert, Y)};
    if (C.X < 0 || C.Y < 0) C = {-1, -1};
    return C;
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
    const TGridCoord C = MouseCoord(X, Y);
    ACol = C.X;
    ARow = C.Y;
}

TGridRect TCustomGrid::Selection() const {
    return {std::min(FCurrent.X, FAnchor.X), std::min(FCurrent.Y, FAnchor.Y), std::max(FCurrent.X, FAnchor.X),
            std::max(FCurrent.Y, FAnchor.Y)};
}

void TCustomGrid::SetSelection(const TGridRect& Value) {
    FAnchor = {Value.Right, Value.Bottom};
    FocusCell(Value.Left, Value.Top, false);
    Invalidate();
}

// ---- Scrolling -------------------------------------------------------------------------------------

TGridCoord TCustomGrid::MaxTopLeft() const {
    const TRect Client = ClientRect();
    // The first cell from which the last one still shows whole.
    auto Last = [&](int Count, int Fixed, int Extent, bool Vert) {
        int Room = Extent;
        for (int I = 0; I < Fixed; ++I)
            Room -= (Vert ? RowHeights(I) : ColWidths(I)) + FGridLineWidth;
        int I = Count - 1;
        int Used = (Vert ? RowHeights(I) : ColWidths(I)) + FGridLineWidth;
        while (I > Fixed) {
            const int Next = (Vert ? RowHeights(I - 1) : ColWidths(I - 1)) + FGridLineWidth;
            if (Used + Next > Room) break;
            Used += Next;
            --I;
        }
        return std::max(I, Fixed);
    };
    return {Last(FColCount, FFixedCols, Client.Width(), false), Last(FRowCount, FFixedRows, Client.Height(), true)};
}

void TCustomGrid::ClampTopLeft(int& ALeft, int& ATop) const {
    const TGridCoord Max = MaxTopLeft();
    ALeft = std::clamp(ALeft, FFixedCols, std::max(Max.X, FFixedCols));
    ATop = std::clamp(ATop, FFixedRows, std::max(Max.Y, FFixedRows));
}

void TCustomGrid::MoveTopLeft(int ALeft, int ATop) {
    ClampTopLeft(ALeft, ATop);
    if (ALeft == FTopLeft.X && ATop == FTopLeft.Y) return;
    FTopLeft = {ALeft, ATop};
    UpdateScrollRange();
    UpdateEdit();
    Invalidate();
    TopLeftChanged();
}

void TCustomGrid::SetTopRow(int Value) { MoveTopLeft(FTopLeft.X, Value); }
void TCustomGrid::SetLeftCol(int Value) { MoveTopLeft(Value, FTopLeft.Y); }

void TCustomGrid::ShowCell(int ACol, int ARow) {
    int L = FTopLeft.X, T = FTopLeft.Y;
    if (ACol >= FFixedCols && ACol < L) L = ACol;
    if (ARow >= FFixedRows && ARow < T) T = ARow;
    TGridDrawInfo D;
    CalcDrawInfo(D);
    // Scroll forward until the cell shows whole.
    auto Forward = [&](int Index, int First, const TGridAxisDrawInfo& A, bool Vert) {
        if (Index < First) return First;
        int Room = A.GridExtent - A.FixedBoundary;
        int Used = (Vert ? RowHeights(Index) : ColWidths(Index)) + FGridLineWidth;
        int F = Index;
        while (F > First) {
            const int Prev = (Vert ? RowHeights(F - 1) : ColWidths(F - 1)) + FGridLineWidth;
            if (Used + Prev > Room) break;
            Used += Prev;
            --F;
        }
        return F;
    };
    if (ACol >= FFixedCols) L = Forward(ACol, L, D.Horz, false);
    if (ARow >= FFixedRows) T = Forward(ARow, T, D.Vert, true);
    MoveTopLeft(L, T);
}

void TCustomGrid::UpdateScrollRange() {
    if (!HandleAllocated()) return;
    const TGridCoord Max = MaxTopLeft();
    auto Set = [&](int Bar, int Fixed, int Last, int First, int Visible) {
        TScrollInfo I;
        I.fMask = SIF_ALL;
        I.nMin = 0;
        I.nMax = Last - Fixed + Visible - 1; // positions 0 .. Last - Fixed, a page of Visible
        I.nPage = static_cast<UINT>(std::max(Visible, 1));
        I.nPos = First - Fixed;
        if (Last <= Fixed) I.nMax = 0, I.nPage = 1;
        SetScrollInfo(WindowHandle(), Bar, I, true);
    };
    using enum StdCtrls::TScrollStyle;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth)
        Set(SB_VERT, FFixedRows, Max.Y, FTopLeft.Y, VisibleRowCount());
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
        Set(SB_HORZ, FFixedCols, Max.X, FTopLeft.X, VisibleColCount());
}

void TCustomGrid::ScrollMessage(bool Vert, int Code) {
    int L = FTopLeft.X, T = FTopLeft.Y;
    int& P = Vert ? T : L;
    const int Fixed = Vert ? FFixedRows : FFixedCols;
    const int Page = std::max(Vert ? VisibleRowCount() : VisibleColCount(), 1);
    switch (Code) {
    case SB_LINEUP:
        --P;
        break;
    case SB_LINEDOWN:
        ++P;
        break;
    case SB_PAGEUP:
        P -= Page;
        break;
    case SB_PAGEDOWN:
        P += Page;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        if (Code == SB_THUMBTRACK && !FOptions.Contains(goThumbTracking)) return;
        TScrollInfo I;
        I.fMask = SIF_TRACKPOS;
        GetScrollInfo(WindowHandle(), Vert ? SB_VERT : SB_HORZ, I);
        P = I.nTrackPos + Fixed;
        break;
    }
    case SB_TOP:
        P = Fixed;
        break;
    case SB_BOTTOM:
        P = Vert ? FRowCount : FColCount;
        break;
    default:
        return;
    }
    MoveTopLeft(L, T);
}

// ---- Current cell ----------------------------------------------------------------------------------

void TCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor) {
    MoveColRow(ACol, ARow, MoveAnchor, true);
}

void TCustomGrid::MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show) {
    ACol = std::clamp(ACol, FFixedCols, FColCount - 1);
    ARow = std::clamp(ARow, FFixedRows, FRowCount - 1);
    if (TGridCoord{ACol, ARow} != FCurrent) {
        // Text that does not fill the cell's mask keeps the editor on its cell.
        if (FInplaceEdit && FInplaceEdit->Shown() && FInplaceEdit->Modified()) FInplaceEdit->ValidateEdit();
        if (!SelectCell(ACol, ARow)) return;
    }
    const TGridRect OldSel = Selection();
    const TGridCoord Old = FCurrent;
    FCurrent = {ACol, ARow};
    if (MoveAnchor || !FOptions.Contains(goRangeSelect)) FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect)) FAnchor = {FColCount - 1, ARow}, FCurrent.X = FFixedCols;
    if (Show) ShowCell(FCurrent.X, FCurrent.Y);
    if (Old != FCurrent || OldSel != Selection()) {
        if (Selection() == OldSel) {
            InvalidateCell(Old.X, Old.Y);
            InvalidateCell(FCurrent.X, FCurrent.Y);
        } else {
            Invalidate();
        }
    }
    if (Old != FCurrent) UpdateEdit();
}

void TCustomGrid::SetCol(int Value) { MoveColRow(Value, FCurrent.Y, true, true); }
void TCustomGrid::SetRow(int Value) { MoveColRow(FCurrent.X, Value, true, true); }

// ---- Editor ----------------------------------------------------------------------------------------

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

bool TCustomGrid::CanEditShow() const {
    return FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) && FEditorMode && HandleAllocated() &&
           FCurrent.X >= FFixedCols && FCurrent.Y >= FFixedRows;
}

void TCustomGrid::SetEditorMode(bool Value) {
    if (Value)
        ShowEditor();
    else
        HideEditor();
}

void TCustomGrid::ShowEditor() {
    FEditorMode = true;
    if (!CanEditShow()) return;
    if (!FInplaceEdit) {
        FInplaceEdit = CreateEditor();
        FInplaceEdit->FGrid = this;
        FInplaceEdit->SetParent(this);
    }
    UpdateEdit();
}

void TCustomGrid::HideEditor() {
    FEditorMode = false;
    if (!FInplaceEdit || !FInplaceEdit->Shown()) return;
    const bool HadFocus = FInplaceEdit->Focused();
    FInplaceEdit->Hide();
    if (HadFocus && CanFocus()) SetFocus();
    InvalidateCell(FCurrent.X, FCurrent.Y);
}

void TCustomGrid::UpdateEdit() {
    if (!FInplaceEdit || !FEditorMode) return;
    if (!CanEditShow()) {
        FInplaceEdit->Hide();
        return;
    }
    const TRect R = CellRect(FCurrent.X, FCurrent.Y);
    if (R.IsEmpty()) {
        FInplaceEdit->Hide();
        return;
    }
    const bool WasShown = FInplaceEdit->Shown();
    const bool GridFocused = Focused();
    FInplaceEdit->Move(R);
    // The text is read again only for another cell: moving or scrolling keeps what is typed.
    if (!WasShown || FEditCell != FCurrent) FInplaceEdit->UpdateContents();
    FEditCell = FCurrent;
    if (GridFocused && FInplaceEdit->CanFocus()) FInplaceEdit->SetFocus();
}

void TCustomGrid::InvalidateEditor() {
    if (FInplaceEdit && FInplaceEdit->Shown()) FInplaceEdit->UpdateContents();
    FEditCell = FCurrent;
}

// ---- Moving columns and rows -----------------------------------------------------------------------

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex || FromIndex < 0 || ToIndex < 0 || FromIndex >= FColCount || ToIndex >= FColCount)
        return;
    std::vector<int> W;
    const int Lo = std::min(FromIndex, ToIndex), Hi = std::max(FromIndex, ToIndex);
    for (int I = Lo; I <= Hi; ++I)
        W.push_back(ColWidths(I));
    if (FromIndex < ToIndex)
        std::rotate(W.begin(), W.begin() + 1, W.end());
    else
        std::rotate(W.rbegin(), W.rbegin() + 1, W.rend());
    for (int I = Lo; I <= Hi; ++I)
        if (W[I - Lo] == FDefaultColWidth)
            FColWidths.erase(I);
        else
            FColWidths[I] = W[I - Lo];
    ColumnMoved(FromIndex, ToIndex);
    if (FCurrent.X == FromIndex) FCurrent.X = ToIndex;
    InvalidateEditor();
    Invalidate();
}

void TCustomGrid::MoveRow(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex || FromIndex < 0 || ToIndex < 0 || FromIndex >= FRowCount || ToIndex >= FRowCount)
        return;
    std::vector<int> H;
    const int Lo = std::min(FromIndex, ToIndex), Hi = std::max(FromIndex, ToIndex);
    for (int I = Lo; I <= Hi; ++I)
        H.push_back(RowHeights(I));
    if (FromIndex < ToIndex)
        std::rotate(H.begin(), H.begin() + 1, H.end());
    else
        std::rotate(H.rbegin(), H.rbegin() + 1, H.rend());
    for (int I = Lo; I <= Hi; ++I)
        if (H[I - Lo] == FDefaultRowHeight)
            FRowHeights.erase(I);
        else
            FRowHeights[I] = H[I - Lo];
    RowMoved(FromIndex, ToIndex);
    if (FCurrent.Y == FromIndex) FCurrent.Y = ToIndex;
    InvalidateEditor();
    Invalidate();
}

// ---- Invalidation ----------------------------------------------------------------------------------

void TCustomGrid::InvalidateCell(int ACol, int ARow) {
    if (!HandleAllocated()) return;
    TRect R = CellRect(ACol, ARow);
    if (R.IsEmpty()) return;
    R.Right += FGridLineWidth;
    R.Bottom += FGridLineWidth;
    InvalidateRect(WindowHandle(), &R, false);
}

void TCustomGrid::InvalidateRow(int ARow) {
    if (!HandleAllocated()) return;
    TRect R = CellRect(0, ARow);
    if (R.IsEmpty()) R = CellRect(FTopLeft.X, ARow);
    if (R.IsEmpty()) return;
    R.Left = 0;
    R.Right = ClientWidth();
    R.Bottom += FGridLineWidth;
    InvalidateRect(WindowHandle(), &R, false);
}

void TCustomGrid::InvalidateCol(int ACol) {
    if (!HandleAllocated()) return;
    TRect R = CellRect(ACol, 0);
    if (R.IsEmpty()) R = CellRect(ACol, FTopLeft.Y);
    if (R.IsEmpty()) return;
    R.Top = 0;
    R.Bottom = ClientHeight();
    R.Right += FGridLineWidth;
    InvalidateRect(WindowHandle(), &R, false);
}

// ---- Painting --------------------------------------------------------------------------------------

void TCustomGrid::Paint() {
    TCanvas* C = Canvas();
    TGridDrawInfo D;
    CalcDrawInfo(D);
    const TGridRect Sel = Selection();
    const bool HasFocus = Focused() || (FInplaceEdit && FInplaceEdit->Focused());
    std::vector<int> Cols, Rows;
    for (int I = 0; I < FFixedCols; ++I)
        Cols.push_back(I);
    for (int I = FTopLeft.X; I < FColCount && I <= D.Horz.LastFullVisibleCell + 1; ++I)
        Cols.push_back(I);
    for (int I = 0; I < FFixedRows; ++I)
        Rows.push_back(I);
    for (int I = FTopLeft.Y; I < FRowCount && I <= D.Vert.LastFullVisibleCell + 1; ++I)
        Rows.push_back(I);
    int Y = 0;
    for (int R : Rows) {
        const int H = RowHeights(R);
        int X = 0;
        for (int Cl : Cols) {
            const int W = ColWidths(Cl);
            const TRect Cell(X, Y, X + W, Y + H);
            const bool Fixed = Cl < FFixedCols || R < FFixedRows;
            TGridDrawState State;
            if (Fixed) State.Include(gdFixed);
            const bool Current = Cl == FCurrent.X && R == FCurrent.Y;
            if (Current && HasFocus) State.Include(gdFocused);
            if (!Fixed && Cl >= Sel.Left && Cl <= Sel.Right && R >= Sel.Top && R <= Sel.Bottom &&
                (!Current || FOptions.Contains(goDrawFocusSelected) || FOptions.Contains(goRowSelect) || !HasFocus))
                State.Include(gdSelected);
            if (FDefaultDrawing) {
                C->Brush()->SetColor(Fixed ? FFixedColor : State.Contains(gdSelected) ? clHighlight : Color());
                C->Font()->Assign(Font());
                if (State.Contains(gdSelected)) C->Font()->SetColor(clHighlightText);
                C->FillRect(Cell);
            }
            DrawCell(Cl, R, Cell, State);
            if (FDefaultDrawing && Current && HasFocus && !Fixed && !FOptions.Contains(goRowSelect) &&
                !(FInplaceEdit && FInplaceEdit->Shown())) {
                C->Brush()->SetColor(Color());
                C->DrawFocusRect(Cell);
            }
            // The lines right of and below the cell.
            const bool VertLine = Fixed ? FOptions.Contains(goFixedVertLine) : FOptions.Contains(goVertLine);
            const bool HorzLine = Fixed ? FOptions.Contains(goFixedHorzLine) : FOptions.Contains(goHorzLine);
            C->Brush()->SetColor(Fixed ? clBlack : clSilver);
            if (FGridLineWidth > 0 && VertLine)
                C->FillRect(TRect(Cell.Right, Cell.Top, Cell.Right + FGridLineWidth, Cell.Bottom + FGridLineWidth));
            if (FGridLineWidth > 0 && HorzLine)
                C->FillRect(TRect(Cell.Left, Cell.Bottom, Cell.Right + FGridLineWidth, Cell.Bottom + FGridLineWidth));
            X += W + FGridLineWidth;
            if (X >= D.Horz.GridExtent) break;
        }
        Y += H + FGridLineWidth;
        if (Y >= D.Vert.GridExtent) break;
    }
    // The area past the last cells.
    C->Brush()->SetColor(Color());
    if (D.Horz.GridBoundary < D.Horz.GridExtent)
        C->FillRect(TRect(D.Horz.GridBoundary, 0, D.Horz.GridExtent, D.Vert.GridExtent));
    if (D.Vert.GridBoundary < D.Vert.GridExtent)
        C->FillRect(TRect(0, D.Vert.GridBoundary, D.Horz.GridExtent, D.Vert.GridExtent));
}

// ---- Input -----------------------------------------------------------------------------------------

void TCustomGrid::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    using enum StdCtrls::TScrollStyle;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomGrid::CreateWnd() {
    TCustomControl::CreateWnd();
    UpdateScrollRange();
    if (FOptions.Contains(goAlwaysShowEditor) && FOptions.Contains(goEditing)) ShowEditor();
}

void TCustomGrid::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_VSCROLL || Message.Msg == WM_HSCROLL) {
        ScrollMessage(Message.Msg == WM_VSCROLL, LOWORD(Message.WParam));
        Message.Result = 0;
        return;
    }
    TCustomControl::Dispatch(Message);
}

void TCustomGrid::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (FOptions.Contains(goTabs) ? DLGC_WANTTAB : 0);
}

void TCustomGrid::WMSize(TWMSize& Message) {
    TCustomControl::WMSize(Message);
    int L = FTopLeft.X, T = FTopLeft.Y;
    ClampTopLeft(L, T);
    FTopLeft = {L, T};
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomGrid::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    const bool Ctrl = Shift.Contains(ssCtrl);
    const bool Extend = Shift.Contains(ssShift) && FOptions.Contains(goRangeSelect) && !FOptions.Contains(goRowSelect);
    int C = FCurrent.X, R = FCurrent.Y;
    const int Page = std::max(VisibleRowCount(), 1);
    switch (Key) {
    case VK_UP:
        --R;
        break;
    case VK_DOWN:
        ++R;
        break;
    case VK_LEFT:
        --C;
        break;
    case VK_RIGHT:
        ++C;
        break;
    case VK_PRIOR:
        R -= Page;
        MoveTopLeft(FTopLeft.X, FTopLeft.Y - Page);
        break;
    case VK_NEXT:
        R += Page;
        MoveTopLeft(FTopLeft.X, FTopLeft.Y + Page);
        break;
    case VK_HOME:
        if (Ctrl) R = FFixedRows; else C = FFixedCols;
        break;
    case VK_END:
        if (Ctrl) R = FRowCount - 1; else C = FColCount - 1;
        break;
    case VK_TAB:
        if (!FOptions.Contains(goTabs)) return;
        if (Shift.Contains(ssShift)) {
            if (--C < FFixedCols) C = FColCount - 1, --R;
        } else if (++C >= FColCount) {
            C = FFixedCols, ++R;
        }
        if (R < FFixedRows || R >= FRowCount) return;
        break;
    case VK_F2:
        if (FOptions.Contains(goEditing)) ShowEditor();
        Key = 0;
        return;
    case VK_RETURN:
        if (FOptions.Contains(goEditing)) {
            if (FEditorMode && !FOptions.Contains(goAlwaysShowEditor))
                HideEditor();
            else
                ShowEditor();
        }
        Key = 0;
        return;
    default:
        return;
    }
    MoveColRow(C, R, !Extend, true);
    Key = 0;
}

void TCustomGrid::KeyPress(Char& Key) {
    TCustomControl::KeyPress(Key);
    if (Key < u' ' || !FOptions.Contains(goEditing) || !CanEditAcceptKey(Key)) return;
    // Typing over a cell starts its editor with the typed character.
    ShowEditor();
    if (FInplaceEdit && FInplaceEdit->Shown()) {
        FInplaceEdit->SelectAll();
        FInplaceEdit->Perform(WM_CHAR, Key, 1);
        Key = 0;
    }
}

void TCustomGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos,
                                  int& SizingOfs) const {
    State = gsNormal;
    Index = -1;
    TGridDrawInfo D;
    CalcDrawInfo(D);
    auto Near = [&](const TGridAxisDrawInfo& A, int P) {
        int Pos = 0;
        auto Try = [&](int I) {
            Pos += A.GetExtent(I);
            if (std::abs(P - Pos) <= SizingMargin) {
                Index = I;
                SizingPos = Pos;
                SizingOfs = Pos - P;
                return true;
            }
            Pos += A.EffectiveLineWidth;
            return false;
        };
        for (int I = 0; I < A.FixedCellCount; ++I)
            if (Try(I)) return true;
        for (int I = A.FirstGridCell; I < A.GridCellCount && Pos < A.GridExtent; ++I)
            if (Try(I)) return true;
        return false;
    };
    if (FOptions.Contains(goColSizing) && Y < D.Vert.FixedBoundary && Near(D.Horz, X))
        State = gsColSizing;
    else if (FOptions.Contains(goRowSizing) && X < D.Horz.FixedBoundary && Near(D.Vert, Y))
        State = gsRowSizing;
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    if (CanFocus() && !Focused() && !(FInplaceEdit && FInplaceEdit->Focused())) SetFocus();
    TGridState State;
    CalcSizingState(X, Y, State, FSizingIndex, FSizingPos, FSizingOfs);
    if (State != gsNormal) {
        FGridState = State;
        return;
    }
    const TGridCoord Cell = MouseCoord(X, Y);
    if (Cell.X < 0) return;
    if (Cell.Y < FFixedRows && Cell.X >= FFixedCols && FOptions.Contains(goColMoving)) {
        FGridState = gsColMoving;
        FMoveIndex = Cell.X;
        return;
    }
    if (Cell.X < FFixedCols && Cell.Y >= FFixedRows && FOptions.Contains(goRowMoving)) {
        FGridState = gsRowMoving;
        FMoveIndex = Cell.Y;
        return;
    }
    if (Cell.X < FFixedCols || Cell.Y < FFixedRows) return;
    const bool WasCurrent = Cell == FCurrent;
    MoveColRow(Cell.X, Cell.Y, !Shift.Contains(ssShift), true);
    FGridState = gsSelecting;
    if (WasCurrent && FOptions.Contains(goEditing) && !Shift.Contains(ssShift)) ShowEditor();
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    switch (FGridState) {
    case gsColSizing: {
        const TRect R = CellRect(FSizingIndex, 0);
        if (!R.IsEmpty()) SetColWidths(FSizingIndex, std::max(X + FSizingOfs - R.Left, 1));
        break;
    }
    case gsRowSizing: {
        const TRect R = CellRect(0, FSizingIndex);
        if (!R.IsEmpty()) SetRowHeights(FSizingIndex, std::max(Y + FSizingOfs - R.Top, 1));
        break;
    }
    case gsSelecting: {
        const TGridCoord Cell = MouseCoord(X, Y);
        if (Cell.X >= FFixedCols && Cell.Y >= FFixedRows && FOptions.Contains(goRangeSelect))
            MoveColRow(Cell.X, Cell.Y, false, true);
        break;
    }
    default: {
        TGridState State;
        int I, P, O;
        CalcSizingState(X, Y, State, I, P, O);
        SetCursor(State == gsColSizing ? crHSplit : State == gsRowSizing ? crVSplit : crDefault);
        break;
    }
    }
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TGridState State = FGridState;
    FGridState = gsNormal;
    if (State == gsColMoving || State == gsRowMoving) {
        const TGridCoord Cell = MouseCoord(X, Y);
        if (State == gsColMoving && Cell.X >= FFixedCols) MoveColumn(FMoveIndex, Cell.X);
        if (State == gsRowMoving && Cell.Y >= FFixedRows) MoveRow(FMoveIndex, Cell.Y);
    }
    FMoveIndex = -1;
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelDown(Shift, MousePos)) return true;
    MoveTopLeft(FTopLeft.X, FTopLeft.Y + 1);
    return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelUp(Shift, MousePos)) return true;
    MoveTopLeft(FTopLeft.X, FTopLeft.Y - 1);
    return true;
}

// ---- TDrawGrid -------------------------------------------------------------------------------------

void TDrawGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

bool TDrawGrid::SelectCell(int ACol, int ARow) {
    bool Can = true;
    if (OnSelectCell) OnSelectCell(this, ACol, ARow, Can);
    return Can;
}

void TDrawGrid::TopLeftChanged() {
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

String TDrawGrid::GetEditText(int ACol, int ARow) {
    String S;
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, S);
    return S;
}

void TDrawGrid::SetEditText(int ACol, int ARow, const String& Value) {
    if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

String TDrawGrid::GetEditMask(int ACol, int ARow) {
    String S;
    if (OnGetEditMask) OnGetEditMask(this, ACol, ARow, S);
    return S;
}

void TDrawGrid::ColumnMoved(int FromIndex, int ToIndex) {
    if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TDrawGrid::RowMoved(int FromIndex, int ToIndex) {
    if (OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
}

// ---- TStringGrid -----------------------------------------------------------------------------------

String TStringGrid::Cells(int ACol, int ARow) const {
    auto It = FCells.find(Key(ACol, ARow));
    return It == FCells.end() ? String() : It->second;
}

void TStringGrid::SetCells(int ACol, int ARow, const String& Value) {
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount())
        throw EListError(Format(u"Grid index out of range (%d, %d)", {ACol, ARow}));
    if (Value.empty())
        FCells.erase(Key(ACol, ARow));
    else
        FCells[Key(ACol, ARow)] = Value;
    InvalidateCell(ACol, ARow);
    if (ACol == Col() && ARow == Row() && InplaceEditor() && InplaceEditor()->Shown() &&
        InplaceEditor()->Text() != Value)
        InvalidateEditor();
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    if (DefaultDrawing()) Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, Cells(ACol, ARow));
    TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

String TStringGrid::GetEditText(int ACol, int ARow) {
    String S = Cells(ACol, ARow);
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, S);
    return S;
}

void TStringGrid::SetEditText(int ACol, int ARow, const String& Value) {
    if (Value.empty())
        FCells.erase(Key(ACol, ARow));
    else
        FCells[Key(ACol, ARow)] = Value;
    TDrawGrid::SetEditText(ACol, ARow, Value);
}

void TStringGrid::ColumnMoved(int FromIndex, int ToIndex) {
    // The cells move with their column.
    std::unordered_map<long long, String> Moved;
    const int Lo = std::min(FromIndex, ToIndex), Hi = std::max(FromIndex, ToIndex);
    for (auto& [K, V] : FCells) {
        const int C = static_cast<int>(K & 0xFFFFFFFF), R = static_cast<int>(K >> 32);
        int N = C;
        if (C == FromIndex)
            N = ToIndex;
        else if (C >= Lo && C <= Hi)
            N = FromIndex < ToIndex ? C - 1 : C + 1;
        Moved[Key(N, R)] = std::move(V);
    }
    FCells = std::move(Moved);
    TDrawGrid::ColumnMoved(FromIndex, ToIndex);
}

void TStringGrid::RowMoved(int FromIndex, int ToIndex) {
    std::unordered_map<long long, String> Moved;
    const int Lo = std::min(FromIndex, ToIndex), Hi = std::max(FromIndex, ToIndex);
    for (auto& [K, V] : FCells) {
        const int C = static_cast<int>(K & 0xFFFFFFFF), R = static_cast<int>(K >> 32);
        int N = R;
        if (R == FromIndex)
            N = ToIndex;
        else if (R >= Lo && R <= Hi)
            N = FromIndex < ToIndex ? R - 1 : R + 1;
        Moved[Key(C, N)] = std::move(V);
    }
    FCells = std::move(Moved);
    TDrawGrid::RowMoved(FromIndex, ToIndex);
}
