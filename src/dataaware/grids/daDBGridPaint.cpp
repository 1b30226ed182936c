// Painting of the data grid: the frame in order (background, cells, the pad area right of the last
// column, grid lines, focus rectangle, footer), and each cell: titles with their group bands,
// indicator glyphs, data text, check boxes and URL links.

#include "dataaware/grids/daDBGrid.h"

#include "dataaware/foundation/daDrawUtils.h"
#include "dataaware/foundation/daByName.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsWhite(TColor C) { return ColorToRGB(C) == 0xFFFFFF; }

} // namespace

void TdaCustomDBGrid::HLine(int X1, int X2, int Y, TColor Color) {
    if (X2 <= X1) return;
    TCanvas* C = GridCanvas();
    C->Brush()->SetColor(Color);
    C->FillRect(TRect(X1, Y, X2, Y + 1));
}

void TdaCustomDBGrid::VLine(int X, int Y1, int Y2, TColor Color) {
    if (Y2 <= Y1) return;
    TCanvas* C = GridCanvas();
    C->Brush()->SetColor(Color);
    C->FillRect(TRect(X, Y1, X + 1, Y2));
}

bool TdaCustomDBGrid::IsWhiteGrid() const { return IsWhite(Color()); }

TColor TdaCustomDBGrid::GetHighlightColor() const { return ActiveRecordColor != clNone ? ActiveRecordColor : clHighlight; }

bool TdaCustomDBGrid::IsCellHighlighted(int /*DataCol*/, int DataRow, TGridDrawState State, const String&) {
    const bool Focus = FFocused || Focused() || (InplaceEditor() && InplaceEditor()->Focused());
    bool Result = State.Contains(gdSelected) ||
                  (ActiveRecordColor != clNone && DataRow == FDataLink->ActiveRecord());
    if (!FOptions.Contains(dgAlwaysShowSelection) && !Focus) Result = false;
    if (FOptions.Contains(dgMultiSelect) && !State.Contains(gdFixed)) Result = IsBufferRecordSelected(DataRow);
    return Result;
}

void TdaCustomDBGrid::DoCalcTitleAttributes(const String& AFieldName, TFont* AFont, TAlignment& ATitleAlignment,
                                            TBrush* ABrush) {
    const TColor Old = ABrush->Color();
    if (OnCalcTitleAttributes) OnCalcTitleAttributes(this, AFieldName, AFont, ABrush, ATitleAlignment);
    ChangedBrushColor = ABrush->Color() != Old;
}

void TdaCustomDBGrid::DoCalcCellColors(TField* Field, TGridDrawState State, TBrush* ABrush, TFont* AFont,
                                       bool Highlight) {
    if (OnCalcCellColors) OnCalcCellColors(this, Field, State, Highlight, AFont, ABrush);
}

void TdaCustomDBGrid::DoCalcCellColorsDetect(TField* Field, TGridDrawState State, TBrush* ABrush, TFont* AFont,
                                             bool Highlight) {
    const TColor Old = ABrush->Color();
    DoCalcCellColors(Field, State, ABrush, AFont, Highlight);
    IsWhiteBackground = IsWhite(ABrush->Color());
    ChangedBrushColor = ABrush->Color() != Old;
}

void TdaCustomDBGrid::DoDrawTitleCell(TCanvas* ACanvas, TField* Field, bool& DefaultDrawing, const TRect& Rect) {
    if (OnDrawTitleCell) OnDrawTitleCell(this, ACanvas, Field, Rect, DefaultDrawing);
}

void TdaCustomDBGrid::DoDrawGroupHeaderCell(TCanvas* ACanvas, const String& Name, bool& DefaultDrawing,
                                            const TRect& Rect) {
    if (OnDrawGroupHeaderCell) OnDrawGroupHeaderCell(this, ACanvas, Name, Rect, DefaultDrawing);
}

void TdaCustomDBGrid::DoAfterDrawCell(TdaCustomDrawGridCellInfo& Info) {
    if (!OnAfterDrawCell && FGroupFieldName.empty()) return;
    if (Info.DataRow >= 0 && Info.DataRow < FDataLink->RecordCount() && FDataLink->Active()) {
        TActiveRecordScope Scope(*FDataLink, Info.DataRow + FRowOffset);
        String Here, Next;
        TField* G = FDataLink->DataSet()->FindField(FGroupFieldName);
        if (G && GetNextRecordText(FGroupFieldName, Next) && Next == G->AsString())
            HLine(Info.Rect.Left, Info.Rect.Right, Info.Rect.Bottom, FLineColors->GroupingColor());
        if (OnAfterDrawCell) OnAfterDrawCell(this, Info);
        return;
    }
    if (OnAfterDrawCell) OnAfterDrawCell(this, Info);
}

void TdaCustomDBGrid::PrepareGroupCellLines(const String& Text, TdaCustomDrawGridCellInfo& Info) {
    if (FGroupFieldName.empty() || !Info.Field || Info.DataRow < 0 || SameText(Info.Field->FieldName(), FGroupFieldName))
        return;
    String Other;
    if (GetNextRecordText(Info.Field->FieldName(), Other) && Other == Text) Info.DefaultDrawHorzBottomLine = false;
    if (GetPriorRecordText(Info.Field->FieldName(), Other) && Other == Text) {
        Info.DefaultDrawHorzTopLine = false;
        Info.DefaultDrawContents = false;
    }
}

void TdaCustomDBGrid::WriteCellText(TCanvas* ACanvas, const TRect& ARect, int Flags, TAlignment Alignment,
                                    const String& Text, int TopMargin, int LeftMargin) {
    TRect R;
    const int W = ARect.Width(), H = ARect.Height();
    switch (Alignment) {
    case taRightJustify: R = TRect(LeftMargin, TopMargin, W - 2, H - 1); break;
    case taCenter: R = TRect(LeftMargin < 3 ? 0 : 2, TopMargin, W, H - 1); break;
    default: R = TRect(LeftMargin, TopMargin, W, H - 1); break;
    }
    OffsetRect(R, ARect.Left, ARect.Top);
    ACanvas->Brush()->SetStyle(bsSolid);
    if (!(Flags & 16)) ACanvas->FillRect(ARect);
    Cardinal DT = (Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : DT_LEFT) |
                  DT_EXPANDTABS | DT_NOPREFIX;
    if (Flags & 1) DT &= ~DT_NOPREFIX;
    if (Flags & 4) {
        DT |= DT_WORDBREAK;
        if ((Flags & 2) || ACanvas->TextHeight(u"W") * 2 > R.Height()) DT &= ~DT_WORDBREAK;
    }
    if (Flags & 2) DT |= DT_END_ELLIPSIS;
    if (!(DT & DT_WORDBREAK) && Text.find(u'\n') == String::npos) DT |= DT_SINGLELINE;
    ACanvas->Brush()->SetStyle(bsClear);
    DrawText(ACanvas, Text, R, DT);
    ACanvas->Brush()->SetStyle(bsSolid);
}

void TdaCustomDBGrid::DefaultDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState) {
    if (!Field) return;
    WriteCellText(GridCanvas(), Rect, 0, FieldAlignment(Field), Field->DisplayText(), 2, 2);
}

void TdaCustomDBGrid::DrawCheckBox(const TRect& Rect, int ACol, bool Checked, int) {
    TRect R = Rect;
    Cardinal State = DFCS_BUTTONCHECK | (Checked ? DFCS_CHECKED : 0);
    if (ACol >= FIndicatorOffset && ColumnOfDataCol(ACol - FIndicatorOffset)->ReadOnly()) State |= DFCS_INACTIVE;
    DrawFrameControl(GridCanvas(), R, DFC_BUTTON, State);
}

// ---- The frame --------------------------------------------------------------------------------------

void TdaCustomDBGrid::Paint() {
    TCanvas* C = GridCanvas();
    const TRect Client = ClientRect();
    C->Brush()->SetColor(Color());
    C->FillRect(TRect(0, 0, Width(), Height()));
    TGridDrawInfo D;
    CalcDrawInfo(D);
    if (!FDataLink->Active()) {
        C->Brush()->SetColor(FTitleColor);
        C->FillRect(Client);
        C->Brush()->SetColor(Color());
        const TRect First = CellRect(LeftCol(), FTitleOffset);
        if (!First.IsEmpty()) C->FillRect(TRect(First.Left, First.Top, Client.Right, Client.Bottom));
    }
    if (OnBeforePaint) OnBeforePaint(this);
    const bool HasFocus = Focused() || (InplaceEditor() && InplaceEditor()->Focused());
    std::vector<int> Cols, Rows;
    for (int I = 0; I < FixedCols(); ++I)
        Cols.push_back(I);
    for (int I = LeftCol(); I < ColCount() && I <= D.Horz.LastFullVisibleCell + 1; ++I)
        Cols.push_back(I);
    for (int I = 0; I < FixedRows(); ++I)
        Rows.push_back(I);
    for (int I = TopRow(); I < RowCount() && I <= D.Vert.LastFullVisibleCell + 1; ++I)
        Rows.push_back(I);
    for (int R : Rows)
        for (int Cl : Cols) {
            const TRect Cell = CellRect(Cl, R);
            if (Cell.IsEmpty() || Cell.Width() <= 0) continue;
            TGridDrawState State;
            const bool Fixed = Cl < FixedCols() || R < FixedRows();
            if (Fixed) State.Include(gdFixed);
            const bool CurrentRow = R == Row();
            if (Cl == Col() && CurrentRow && HasFocus) State.Include(gdFocused);
            if (!Fixed && CurrentRow && (Cl == Col() || FOptions.Contains(dgRowSelect))) State.Include(gdSelected);
            DrawCell(Cl, R, Cell, State);
        }
    FCalcCellRow = Row() - FTitleOffset;
    PaintPadArea(D);
    PaintGridLines();
    // The focus rectangle on the current cell when no editor covers it.
    if (!ComponentState().Contains(csDesigning) && HasFocus && FDataLink->Active() &&
        !FOptions.Contains(dgAlwaysShowEditor) && !FOptions.Contains(dgRowSelect) &&
        !(InplaceEditor() && InplaceEditor()->Shown()) && Col() >= FixedCols()) {
        const TRect R = CellRect(Col(), Row());
        if (!R.IsEmpty()) {
            C->Brush()->SetColor(Color());
            C->Font()->SetColor(clBlack);
            C->DrawFocusRect(R);
        }
    }
    if (FOptions.Contains(dgShowFooter)) PaintFooter();
}

void TdaCustomDBGrid::PaintPadArea(const TGridDrawInfo& D) {
    if (D.Horz.LastFullVisibleCell < ColCount() - 1) return;
    const TRect Last = CellRect(ColCount() - 1, 0);
    if (Last.IsEmpty()) return;
    const int X = Last.Right + (FOptions.Contains(dgColLines) ? 1 : 0);
    const int Bottom = ClientHeight();
    TCanvas* C = GridCanvas();
    switch (FPadColumnStyle) {
    case pcsPadHeaderAndData:
        C->Brush()->SetColor(FTitleColor);
        C->FillRect(TRect(FHideAllLines ? X - 1 : X, 0, ClientWidth(), Bottom));
        if (!FHideAllLines) VLine(X, 0, Bottom, FLineColors->HighlightColor());
        break;
    case pcsPadHeader:
        if (FOptions.Contains(dgTitles)) {
            C->Brush()->SetColor(FTitleColor);
            C->FillRect(TRect(X, 0, ClientWidth(), RowHeights(0) + 1));
            if (!FHideAllLines && FOptions.Contains(dgColLines))
                VLine(X, 0, RowHeights(0) + 1, FLineColors->HighlightColor());
        }
        break;
    case pcsPlain:
        break;
    }
}

void TdaCustomDBGrid::PaintGridLines() {
    if (FHideAllLines) return;
    TGridDrawInfo D;
    CalcDrawInfo(D);
    const bool Single = FLineStyle == glsSingle || (FLineStyle == glsDynamic && IsWhiteGrid());
    const int TitleBottom = FOptions.Contains(dgTitles) ? RowHeights(0) : 0;
    int LastRowBottom = TitleBottom;
    if (FDataLink->Active()) {
        const int Rows = std::min(FDataLink->RecordCount() - FRowOffset, VisibleRowCount() + 1);
        for (int R = 0; R < Rows; ++R) {
            const TRect Cell = CellRect(FixedCols(), R + FTitleOffset);
            if (!Cell.IsEmpty()) LastRowBottom = Cell.Bottom + 1;
        }
    }
    // Column lines of the data columns.
    if (FOptions.Contains(dgColLines) && FDataLink->Active()) {
        for (int Cl = LeftCol(); Cl < ColCount(); ++Cl) {
            const TRect Cell = CellRect(Cl, 0 < FTitleOffset ? 0 : TopRow());
            if (Cell.IsEmpty()) break;
            const int X = Cell.Right;
            const int Top = FOptions.Contains(dgTitles) ? TitleBottom : 0;
            if (Single) {
                VLine(X, Top, LastRowBottom, FLineColors->DataColor());
            } else {
                VLine(X, Top, LastRowBottom, FLineColors->ShadowColor());
                VLine(X + 1, Top, LastRowBottom, FLineColors->HighlightColor());
            }
            if (X > ClientWidth()) break;
        }
    }
    // Fixed columns: a raised look, lines right of each and under every row.
    if (FDataLink->Active() && FixedCols() > 0) {
        const TRect LastFixed = CellRect(FixedCols() - 1, 0 < FTitleOffset ? 0 : TopRow());
        const int Span = LastFixed.IsEmpty() ? 0 : LastFixed.Right + 1;
        if (!FOptions.Contains(dgRowLinesDisableFixed) || FOptions.Contains(dgTitles)) {
            const int Visible = VisibleRowCount();
            for (int R = FTitleOffset; R <= std::min(Visible + FTitleOffset, RowCount() - 1); ++R) {
                const TRect Cell = CellRect(0, R);
                if (Cell.IsEmpty()) continue;
                if (R - FTitleOffset >= FDataLink->RecordCount() - FRowOffset) break;
                if (!FOptions.Contains(dgHideBottomDataLine)) HLine(0, Span, Cell.Bottom, FLineColors->FixedColor());
                HLine(0, Span, Cell.Bottom + 1, FLineColors->HighlightColor());
            }
        }
        if (!FOptions.Contains(dgColLinesDisableFixed))
            for (int Cl = 0; Cl < FixedCols(); ++Cl) {
                const TRect Cell = CellRect(Cl, 0 < FTitleOffset ? 0 : TopRow());
                if (Cell.IsEmpty()) continue;
                const int X = FOptions.Contains(dgColLines) ? Cell.Right : Cell.Right - 1;
                VLine(X, FOptions.Contains(dgTitles) ? TitleBottom : 0, LastRowBottom, FLineColors->FixedColor());
                if (Cl == 0 && FOptions.Contains(dgIndicator))
                    VLine(0, 0, LastRowBottom, FLineColors->HighlightColor());
            }
    }
    // Titles: raised cells.
    if (FOptions.Contains(dgTitles)) {
        const bool AnyRowLines = FOptions.Contains(dgRowLines) || !FOptions.Contains(dgRowLinesDisableFixed);
        for (int Cl = 0; Cl < ColCount(); ++Cl) {
            if (Cl >= FixedCols() && Cl < LeftCol()) continue;
            const TRect Cell = CellRect(Cl, 0);
            if (Cell.IsEmpty()) continue;
            const int B = AnyRowLines ? Cell.Bottom : Cell.Bottom - 1;
            const int X = FOptions.Contains(dgColLines) ? Cell.Right : Cell.Right - 1;
            String Group, NextGroup, PrevGroup;
            if (Cl >= FIndicatorOffset) Group = ColumnOfDataCol(Cl - FIndicatorOffset)->GroupName();
            if (Cl + 1 < ColCount() && Cl + 1 >= FIndicatorOffset)
                NextGroup = ColumnOfDataCol(Cl + 1 - FIndicatorOffset)->GroupName();
            if (Cl - 1 >= FIndicatorOffset) PrevGroup = ColumnOfDataCol(Cl - 1 - FIndicatorOffset)->GroupName();
            const int H = Group.empty() ? Cell.Top : Cell.Top + Cell.Height() / 2;
            HLine(Cell.Left, Cell.Right, Cell.Top, FLineColors->HighlightColor());
            VLine(Cell.Left, !Group.empty() && Group == PrevGroup ? H : Cell.Top, B, FLineColors->HighlightColor());
            if (!Group.empty()) {
                const int Extra = Group == NextGroup ? 1 : 0;
                HLine(Cell.Left, Cell.Right + Extra, H, FLineColors->HighlightColor());
                HLine(Cell.Left, Cell.Right + Extra, H - 1, FLineColors->FixedColor());
            }
            VLine(X, !Group.empty() && Group == NextGroup ? H : Cell.Top, B + 1, FLineColors->FixedColor());
            HLine(Cell.Left - 1, X + 1, B, FLineColors->FixedColor());
            if (FTitleButtons && Cl >= FIndicatorOffset) {
                HLine(Cell.Left, X, B - 1, FLineColors->ShadowColor());
                if (FTitleClickColumn < 0) VLine(X - 1, Cell.Top, B, FLineColors->ShadowColor());
            }
            if (FShowSearchRow) HLine(Cell.Left, X, Cell.Bottom - SearchRowHeight() - 1, FLineColors->FixedColor());
        }
    }
    PaintPressedTitle();
}

void TdaCustomDBGrid::PaintPressedTitle() {
    if (FTitleClickColumn < 0 || !FTitleButtons || !FOptions.Contains(dgTitles) || FDragging) return;
    TRect R;
    if (TitleClickGroupTitle) {
        int E, S;
        GroupNameCellRect(FTitleClickColumn, 0, R, true, E, S);
        R.Bottom -= 1;
    } else {
        TitleCellRect(FTitleClickColumn, 0, R, false);
    }
    if (R.IsEmpty()) return;
    if (!FOptions.Contains(dgRowLines)) R.Bottom -= 2;
    HLine(R.Left, R.Right, R.Top, clBlack);
    VLine(R.Left, R.Top, R.Bottom, clBlack);
    VLine(R.Left + 1, R.Top + 1, R.Bottom, clBtnShadow);
    if (!TitleClickGroupTitle) HLine(R.Left + 1, R.Right, R.Bottom - 1, clBtnShadow);
}

void TdaCustomDBGrid::PaintFooter() {
    TCanvas* C = GridCanvas();
    TRect F = GetFooterRect();
    const TRect Last = CellRect(ColCount() - 1, 0);
    if (FPadColumnStyle == pcsPlain && !Last.IsEmpty()) F.Right = std::min(F.Right, Last.Right + 1);
    C->Brush()->SetColor(FFooterColor);
    C->FillRect(F);
    if (!FHideAllLines) {
        VLine(F.Left, F.Top, F.Bottom, FLineColors->HighlightColor());
        if (FPadColumnStyle == pcsPlain) {
            HLine(F.Left, F.Right, F.Top, clBlack);
            VLine(F.Right - 1, F.Top, F.Bottom, clBlack);
            HLine(F.Left + 1, F.Right - 1, F.Top + 1, FLineColors->HighlightColor());
        }
        HLine(F.Left, F.Right, F.Bottom - 1, clBlack);
    }
    if (!FDataLink->Active()) return;
    for (int Cl = FIndicatorOffset; Cl < ColCount(); ++Cl) {
        if (Cl >= FixedCols() && Cl < LeftCol()) continue;
        const TRect Cell = CellRect(Cl, 0 < FTitleOffset ? 0 : TopRow());
        if (Cell.IsEmpty() || Cell.Width() <= 0) continue;
        TdaColumn* Column = ColumnOfDataCol(Cl - FIndicatorOffset);
        const String Text = Column->FooterValue();
        TRect R(Cell.Left, F.Top + 2, Cell.Right + 1, F.Bottom - 2);
        C->Brush()->SetColor(FFooterCellColor);
        C->Font()->Assign(Font());
        bool Default = true;
        TField* Field = FDataLink->Fields(Cl - FIndicatorOffset);
        if (OnDrawFooterCell) OnDrawFooterCell(this, C, R, Field, Text, Default);
        if (!Default || Text.empty()) continue;
        C->FillRect(R);
        HLine(R.Left, R.Right, R.Top, clBtnShadow);
        VLine(R.Left, R.Top, R.Bottom, clBtnShadow);
        HLine(R.Left, R.Right, R.Bottom - 1, clBtnHighlight);
        VLine(R.Right - 1, R.Top, R.Bottom, clBtnHighlight);
        if (FOptions.Contains(dgFooter3DCells)) {
            HLine(R.Left + 1, R.Right - 1, R.Top + 1, clBlack);
            VLine(R.Left + 1, R.Top + 1, R.Bottom - 1, clBlack);
        }
        const TAlignment A = FieldAlignment(Field);
        TRect T(R.Left + 5, R.Top, R.Left + std::max(5, Cell.Width() - 2), R.Bottom);
        C->Brush()->SetStyle(bsClear);
        C->Font()->Assign(Font());
        DrawText(C, Text, T,
                 (A == taRightJustify ? DT_RIGHT : A == taCenter ? DT_CENTER : DT_LEFT) | DT_VCENTER | DT_SINGLELINE |
                     DT_NOPREFIX);
        C->Brush()->SetStyle(bsSolid);
    }
}

// ---- Cells ------------------------------------------------------------------------------------------

void TdaCustomDBGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    TGridDrawInfo D;
    CalcDrawInfo(D);
    if (ARow > D.Vert.LastFullVisibleCell + 1) return;
    if (ARow >= FTitleOffset && FDataLink->Active() && FDataLink->RecordCount() > 0 &&
        ARow - FTitleOffset >= FDataLink->RecordCount() - FRowOffset)
        return;
    isDrawFocusRect = false;
    SkipLineDrawing = false;
    TCanvas* C = GridCanvas();
    TRect Rect = ARect;
    Rect.Right = std::min(Rect.Right, 2 * Width());
    C->Font()->Assign(AState.Contains(gdFixed) ? FTitleFont.get() : Font());
    DrawCellInfo = TdaCustomDrawGridCellInfo();
    DrawCellInfo.Rect = Rect;
    DrawCellInfo.State = AState;
    DrawCellInfo.DataRow = ARow - FTitleOffset;
    DrawCellInfo.DataCol = ACol - FIndicatorOffset;
    DrawCellInfo.Field = FDataLink->Fields(DrawCellInfo.DataCol);
    if ((!FGroupFieldName.empty() || OnBeforeDrawCell) && FDataLink->Active()) {
        auto Prepare = [&] {
            String Text = DrawCellInfo.Field ? DrawCellInfo.Field->AsString() : String();
            PrepareGroupCellLines(Text, DrawCellInfo);
            if (OnBeforeDrawCell) OnBeforeDrawCell(this, DrawCellInfo);
        };
        if (DrawCellInfo.DataRow >= 0 && DrawCellInfo.DataRow < FDataLink->RecordCount()) {
            TActiveRecordScope Scope(*FDataLink, DrawCellInfo.DataRow + FRowOffset);
            Prepare();
        } else {
            Prepare();
        }
        if (DrawCellInfo.DataRow >= 0 && DrawCellInfo.DataRow < 256 && DrawCellInfo.DataCol >= 0 &&
            DrawCellInfo.DataCol < int(FColItems.size())) {
            auto& Flags = FColItems[size_t(DrawCellInfo.DataCol)]->ColumnFlags;
            if (Flags.empty()) Flags.assign(256, 0);
            Byte& B = Flags[size_t(DrawCellInfo.DataRow)];
            B = Byte((DrawCellInfo.DefaultDrawHorzBottomLine ? 0 : 1) | (DrawCellInfo.DefaultDrawHorzTopLine ? 0 : 2));
        }
    }
    C->Brush()->SetColor(AState.Contains(gdFixed) ? FTitleColor : Color());
    if (ARow >= FTitleOffset && ACol >= FIndicatorOffset && FDataLink->Active() && DrawCellInfo.Field &&
        DrawControlCell(ACol, ARow, Rect, AState)) {
        DoAfterDrawCell(DrawCellInfo);
        return;
    }
    if (ARow < FTitleOffset && ACol >= FIndicatorOffset) {
        DrawTitleCell(ACol, ARow, Rect, AState);
    } else if (ARow < FTitleOffset) {
        C->Brush()->SetColor(FTitleColor);
        C->FillRect(Rect);
    } else if (ACol < FIndicatorOffset) {
        DrawIndicatorCell(ARow, Rect);
    } else {
        DrawDataCell(ACol, ARow, Rect, AState);
    }
    DoAfterDrawCell(DrawCellInfo);
}

void TdaCustomDBGrid::DrawTitleCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    TCanvas* C = GridCanvas();
    const int DataCol = ACol - FIndicatorOffset;
    TField* Field = FDataLink->Fields(DataCol);
    if (!Field && FUseTFields) {
        C->Brush()->SetColor(FTitleColor);
        C->FillRect(ARect);
        return;
    }
    String Name = Field ? Field->FieldName() : FieldName(ACol);
    String Text = Field ? Field->DisplayLabel() : String();
    if (!FUseTFields) {
        String T;
        if (daReadSelectedEntry(FSelected.get(), Name, 2, T)) Text = T;
    }
    TdaColumn* Column = ColumnOfDataCol(DataCol);
    const String Group = Column->GroupName();
    TRect Rect = ARect;
    if (FShowSearchRow) Rect.Bottom -= SearchRowHeight();
    // The group band across the run of columns of one group, then the column's own title below.
    if (!Group.empty()) {
        TRect Band;
        int E, S;
        GroupNameCellRect(ACol, ARow, Band, true, E, S);
        TAlignment A = taCenter;
        C->Brush()->SetColor(FTitleColor);
        DoCalcTitleAttributes(Group, C->Font(), A, C->Brush());
        C->FillRect(Band);
        bool Default = true;
        DoDrawGroupHeaderCell(C, Group, Default, Band);
        if (Default) {
            const int Top = std::max(0, (Band.Height() - C->TextHeight(u"W")) / 2);
            WriteCellText(C, Band, 16 | 2, taCenter, Group, Top, 2);
        }
        C->Font()->Assign(FTitleFont.get());
        Rect.Top += Rect.Height() / 2;
    }
    TAlignment Alignment = FTitleAlignment;
    C->Brush()->SetColor(FTitleColor);
    DoCalcTitleAttributes(Name, C->Font(), Alignment, C->Brush());
    C->FillRect(Rect);
    bool Default = true;
    DoDrawTitleCell(C, Field, Default, Rect);
    if (Default) {
        const int P = FTitleClickColumn == ACol && !TitleClickGroupTitle && FTitleButtons ? 1 : 0;
        const int Lines = FTitleLines != 1 ? int(std::count(Text.begin(), Text.end(), u'~')) + 1 : 1;
        const int TextH = C->TextHeight(u"W");
        const int Top = int(std::lround(Rect.Height() / 2.0 - TextH * Lines / 2.0)) + P;
        const String Shown = StringReplace(Text, u"~", u"\n", {rfReplaceAll});
        WriteCellText(C, Rect, 16 | 2 | (FUseTFields ? 0 : 1), Alignment, Shown, std::max(Top, 0), P + 2);
    }
    if (FShowSearchRow) {
        TRect S;
        SearchCellRect(ACol, ARow, S);
        PaintingSearchCell = true;
        TScopeExit Done([&] { PaintingSearchCell = false; });
        C->Brush()->SetColor(Color());
        C->FillRect(S);
        WriteCellText(C, S, 16, taLeftJustify, Column->SearchValue(), 1, 2);
    }
    (void)AState;
}

void TdaCustomDBGrid::DrawIndicatorCell(int ARow, const TRect& ARect) {
    TCanvas* C = GridCanvas();
    C->Brush()->SetColor(FTitleColor);
    C->FillRect(ARect);
    if (!FDataLink->Active()) return;
    const int DataRow = ARow - FTitleOffset;
    const bool Active = DataRow == FDataLink->ActiveRecord();
    const TDataSetState State = FDataLink->DataSet()->State();
    int Glyph = -1;
    if (Active && State == dsEdit)
        Glyph = 1;
    else if (Active && State == dsInsert)
        Glyph = 2;
    else if (Active)
        Glyph = FOptions.Contains(dgMultiSelect) && IsBufferRecordSelected(DataRow) ? 4 : 0;
    else if (FOptions.Contains(dgMultiSelect) && IsBufferRecordSelected(DataRow))
        Glyph = 3;
    if (Active) FSelRow = ARow;
    if (Glyph < 0) return;
    const int CX = ARect.Left + ARect.Width() / 2 + 1, CY = ARect.Top + DefaultRowHeight() / 2;
    C->Brush()->SetColor(FIndicatorIconColor);
    C->Pen()->SetColor(FIndicatorIconColor);
    switch (Glyph) {
    case 0: // current row: an arrow pointing right
    case 4:
        C->Polygon({TPoint{CX - 2, CY - 4}, TPoint{CX + 2, CY}, TPoint{CX - 2, CY + 4}});
        if (Glyph == 4) C->FillRect(TRect(CX - 5, CY - 1, CX - 3, CY + 2));
        break;
    case 1: // editing: an I-beam
        C->FillRect(TRect(CX - 3, CY - 5, CX + 2, CY - 4));
        C->FillRect(TRect(CX - 1, CY - 4, CX, CY + 4));
        C->FillRect(TRect(CX - 3, CY + 4, CX + 2, CY + 5));
        break;
    case 2: // inserting: a star
        C->FillRect(TRect(CX - 4, CY, CX + 3, CY + 1));
        C->FillRect(TRect(CX - 1, CY - 3, CX, CY + 4));
        C->FillRect(TRect(CX - 3, CY - 2, CX - 2, CY - 1));
        C->FillRect(TRect(CX + 1, CY - 2, CX + 2, CY - 1));
        C->FillRect(TRect(CX - 3, CY + 2, CX - 2, CY + 3));
        C->FillRect(TRect(CX + 1, CY + 2, CX + 2, CY + 3));
        break;
    case 3: // another selected row: a dot
        C->FillRect(TRect(CX - 2, CY - 2, CX + 2, CY + 2));
        break;
    default:
        break;
    }
}

void TdaCustomDBGrid::DrawDataCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    TCanvas* C = GridCanvas();
    if (!FDataLink->Active() || ARow - FTitleOffset >= FDataLink->RecordCount()) {
        C->Brush()->SetColor(Color());
        C->FillRect(ARect);
        return;
    }
    const int DataRow = ARow - FTitleOffset, DataCol = ACol - FIndicatorOffset;
    TActiveRecordScope Scope(*FDataLink, DataRow + FRowOffset);
    FCalcCellRow = DataRow;
    FCalcCellCol = DataCol;
    TField* Field = FDataLink->Fields(DataCol);
    String Text = GetFieldValueWide(DataCol);
    const bool Highlighted = IsCellHighlighted(DataCol, DataRow, AState, Text);
    const String Type = ACol < int(FCacheColInfo.size()) ? FCacheColInfo[size_t(ACol)].ControlType : String();
    if (Type == u"URL-Link") {
        String Display, URL;
        GetURLLink(Text, Display, URL);
        Text = Display;
        const bool Hot = URLLinkActiveCol == ACol && URLLinkActiveRow == ARow;
        C->Font()->SetColor(Hot ? clRed : clBlue);
        {
            TFontStyles St = C->Font()->Style();
            St.Include(fsUnderline);
            C->Font()->SetStyle(St);
        }
    }
    // The current cell with its editor shown is left to the editor.
    const bool LeftToEditor = ACol == Col() && ARow == Row() && InplaceEditor() && InplaceEditor()->Shown();
    C->Brush()->SetColor(CellBackColor(ACol));
    if (Highlighted) {
        C->Brush()->SetColor(ACol == Col() && ARow == Row() && !FOptions.Contains(dgRowSelect) ? clHighlight
                                                                                             : GetHighlightColor());
        C->Font()->SetColor(clHighlightText);
    }
    DoCalcCellColorsDetect(Field, AState, C->Brush(), C->Font(), Highlighted);
    const TAlignment Alignment = FieldAlignment(Field);
    if (DrawCellInfo.DefaultDrawBackground && !LeftToEditor) C->FillRect(ARect);
    if (FDefaultDrawing && !LeftToEditor && DrawCellInfo.DefaultDrawContents) {
        int Flags = 16;
        if (FOptions.Contains(dgTrailingEllipsis)) Flags |= 2;
        if (FOptions.Contains(dgWordWrap)) Flags |= 4;
        WriteCellText(C, ARect, Flags, Alignment, Text, FOptions.Contains(dgRowLines) ? 2 : 1, 2);
    }
    try {
        DoDrawDataCell(ARect, Field, AState);
    } catch (const Exception&) {
    }
    DrawCellRowLines(ACol, ARow, ARect);
}

bool TdaCustomDBGrid::DrawControlCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    if (ACol >= int(FCacheColInfo.size())) return false;
    const TdaCacheColInfoItem& Info = FCacheColInfo[size_t(ACol)];
    if ((Info.ControlType == u"CustomEdit" || Info.ControlType == u"RichEdit") && Info.CustomControl) {
        // Only controls that show every row draw their picture; the others leave the text.
        TWinControl* Control = Info.CustomControl;
        const String& Class = Control->ClassName();
        if (!Info.AlwaysPaints && Class != u"TdaExpandButton" && Class != u"TdaRadioGroup" && Class != u"TdaCheckbox" &&
            Class != u"TdaMonthCalendar")
            return false;
        if (ARow - FTitleOffset >= FDataLink->RecordCount()) return false;
        TActiveRecordScope Scope(*FDataLink, ARow - FTitleOffset + FRowOffset);
        if (DrawCellInfo.DefaultDrawContents && (!Control->Visible() || ACol != Col() || ARow != Row()))
            PaintCustomControlImage(Control, ACol, ARect, FDataLink->Fields(ACol - FIndicatorOffset), AState);
        DrawCellRowLines(ACol, ARow, ARect);
        return true;
    }
    if (Info.ControlType != u"CheckBox") return false;
    if (ARow - FTitleOffset >= FDataLink->RecordCount()) return false;
    TCanvas* C = GridCanvas();
    const int DataRow = ARow - FTitleOffset, DataCol = ACol - FIndicatorOffset;
    TActiveRecordScope Scope(*FDataLink, DataRow + FRowOffset);
    TField* Field = FDataLink->Fields(DataCol);
    const std::vector<String> Params = daSplitTabs(StringReplace(Info.ControlData, u";", u"\t", {rfReplaceAll}));
    const String On = Params.size() > 0 ? Params[0] : String();
    const bool Selected = Field->Calculated() && SameText(Field->FieldName(), u"selected");
    const String Text = Selected ? (IsSelected() ? On : (Params.size() > 1 ? Params[1] : String()))
                                 : GetFieldValueWide(DataCol);
    FCalcCellRow = DataRow;
    FCalcCellCol = DataCol;
    const bool Highlighted = IsCellHighlighted(DataCol, DataRow, AState, Text);
    C->Brush()->SetColor(CellBackColor(ACol));
    if (Highlighted) {
        C->Brush()->SetColor(ACol == Col() && ARow == Row() && !FOptions.Contains(dgRowSelect) ? clHighlight
                                                                                             : GetHighlightColor());
        C->Font()->SetColor(clHighlightText);
    }
    DoCalcCellColorsDetect(Field, AState, C->Brush(), C->Font(), Highlighted);
    if (DrawCellInfo.DefaultDrawBackground) C->FillRect(ARect);
    if (DrawCellInfo.DefaultDrawContents) {
        bool Checked;
        if (Field->DataType() == ftBoolean && !Selected) {
            Checked = !Field->IsNull() && Field->AsBoolean();
            if (LowerCase(On) == u"false") Checked = !Checked;
        } else {
            Checked = SameText(Text, On);
        }
        const int L = (ARect.Left + ARect.Right - 10) / 2, T = (ARect.Top + ARect.Bottom - 10) / 2;
        DrawCheckBox(TRect(L, T, L + 10, T + 10), ACol, Checked, ARow);
    }
    DrawCellRowLines(ACol, ARow, ARect);
    return true;
}

void TdaCustomDBGrid::PaintCustomControlImage(TWinControl* Control, int ACol, const TRect& ARect, TField* Field,
                                              TGridDrawState AState) {
    TCanvas* C = GridCanvas();
    int W = ARect.Width(), H = ARect.Height();
    if (TdaColumn* Column = ColumnOfDataCol(ACol - FIndicatorOffset); Column && Column->DisableSizing) {
        W = std::max(W, Control->Width());
        H = std::max(H, Control->Height());
    }
    if (Control->Width() != W || Control->Height() != H) Control->SetBounds(Control->Left(), Control->Top(), W, H);
    const int DataCol = ACol - FIndicatorOffset, DataRow = FDataLink->ActiveRecord() - FRowOffset;
    FCalcCellRow = DataRow;
    FCalcCellCol = DataCol;
    const bool Highlighted = IsCellHighlighted(DataCol, DataRow, AState, String());
    C->Brush()->SetColor(CellBackColor(ACol));
    if (Highlighted) {
        C->Brush()->SetColor(GetHighlightColor());
        C->Font()->SetColor(clHighlightText);
    }
    DoCalcCellColorsDetect(Field, AState, C->Brush(), C->Font(), Highlighted);
    try {
        DoDrawDataCell(ARect, Field, AState);
    } catch (const Exception&) {
        return;
    }
    if (ChangedBrushColor) C->FillRect(ARect);
    // The control paints the row's record (the active one now), and afterwards its own again.
    const int Inset = daHasBorder(Control) ? 1 : 0;
    daPaintControlCopy(Control, C, ARect.Left + Inset, ARect.Top + Inset);
}

void TdaCustomDBGrid::DrawCellRowLines(int ACol, int ARow, const TRect& ARect) {
    if (SkipLineDrawing || FHideAllLines) return;
    if (ARow < FTitleOffset || !FOptions.Contains(dgRowLines)) return;
    const TColor Brush = GridCanvas()->Brush()->Color();
    const bool White = (FLineStyle == glsDynamic && IsWhite(Brush)) || IsWhiteGrid();
    if (ARow == FTitleOffset && ACol < int(FCacheColInfo.size())) FCacheColInfo[size_t(ACol)].IsWhiteBackground = White;
    const bool Single = FLineStyle == glsSingle || (FLineStyle == glsDynamic && White);
    if (Single) {
        if (DrawCellInfo.DefaultDrawHorzBottomLine)
            HLine(ARect.Left, ARect.Right + 1, ARect.Bottom, FLineColors->DataColor());
    } else {
        if (DrawCellInfo.DefaultDrawHorzBottomLine)
            HLine(ARect.Left, ARect.Right + 1, ARect.Bottom, FLineColors->ShadowColor());
        if (DrawCellInfo.DefaultDrawHorzTopLine && !(ARow == Row() && DrawCellInfo.State.Contains(gdSelected)))
            HLine(ARect.Left, ARect.Right, ARect.Top, FLineColors->HighlightColor());
    }
}
