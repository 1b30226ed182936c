// The inspector's painting: everything goes into an off-screen bitmap first (backgrounds, cells,
// row and column lines, expand buttons, check boxes, the active-row frame) and reaches the window
// in one copy.
#include "dataaware/inspector/daInspector.h"

#include "dataaware/foundation/daDrawUtils.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/Themes.h"

#include <algorithm>

namespace {
constexpr TColor Silver = static_cast<TColor>(0xC0C0C0);
bool IsMemoLike(TField* F) {
    return F && (F->DataType() == ftMemo || F->DataType() == ftWideMemo || F->DataType() == ftBlob);
}
TColor Solid(TColor C) {
    return C == clNone ? clWindow : C;
}
} // namespace

TCanvas* TdaDataInspector::Canvas() const {
    if (FUseTempCanvas && !ControlState().Contains(csPaintCopy)) return FPaintBitmap->Canvas();
    return TCustomGrid::Canvas();
}

void TdaDataInspector::DrawHorzLine(TCanvas* C, TColor Color, int X1, int X2, int Y) {
    C->Pen()->SetColor(Color);
    C->MoveTo(X1, Y);
    C->LineTo(X2, Y);
}

void TdaDataInspector::DrawVertLine(TCanvas* C, TColor Color, int X, int Y1, int Y2) {
    C->Pen()->SetColor(Color);
    C->MoveTo(X, Y1);
    C->LineTo(X, Y2);
}

void TdaDataInspector::Paint() {
    if (FUpdateCount > 0) {
        // Redrawing is off inside an update bracket; the bracket's end paints again.
        FInvalidateOnEndUpdate = true;
        return;
    }
    if (!HasFocusInside() && InplaceEditor() && InplaceEditor()->Shown() && !InplaceEditor()->Focused()) {
        // Another control is active: the value shows as painted text, not in the editor.
    }
    const bool Copy = ControlState().Contains(csPaintCopy);
    FUseTempCanvas = true;
    TScopeExit EndTemp([&] { FUseTempCanvas = false; });
    const TRect Client = ClientRect();
    if (FPaintBitmap->Width() != Client.Width() || FPaintBitmap->Height() != Client.Height())
        FPaintBitmap->SetSize(std::max(Client.Width(), 1), std::max(Client.Height(), 1));
    TCanvas* C = FPaintBitmap->Canvas();
    TGridDrawInfo D;
    CalcDrawInfo(D);
    const int CaptionW = ColWidths(0);

    // Backgrounds: the data area, the space below the last row, the caption strip.
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Solid(Color()));
    C->FillRect(TRect(CaptionW, 0, Client.Right, Client.Bottom));
    if (D.Vert.GridBoundary < Client.Bottom && !Copy) {
        const TRect Below(0, D.Vert.GridBoundary, Client.Right, Client.Bottom);
        if (FOptions.Contains(ovFillNonCellArea)) {
            C->Brush()->SetColor(Solid(CaptionColor()));
            C->FillRect(Below);
        } else {
            C->Brush()->SetColor(Solid(Color()));
            C->FillRect(TRect(CaptionW, Below.Top, Below.Right, Below.Bottom));
        }
    }
    C->Brush()->SetColor(Solid(CaptionColor()));
    C->FillRect(TRect(0, 0, CaptionW, FOptions.Contains(ovFillNonCellArea) ? Client.Bottom : D.Vert.GridBoundary));
    if (!FOptions.Contains(ovFillNonCellArea) && D.Vert.GridBoundary < Client.Bottom) {
        C->Brush()->SetColor(Solid(CaptionColor()));
        C->FillRect(TRect(0, D.Vert.GridBoundary, CaptionW, Client.Bottom));
    }
    if (OnBeforePaint) OnBeforePaint(this);
    if (FCheckRowCount && !ComponentState().Contains(csLoading)) {
        FCheckRowCount = false;
        const int N = ActiveRows();
        if (N > 0 && N != RowCount()) {
            if (FixedRows() >= N) SetFixedRows(0);
            SetRowCount(N);
            CalcDrawInfo(D);
        }
    }

    // The cells.
    const bool HasFocus = FFocused && !Copy;
    std::vector<int> Rows;
    for (int R = 0; R < FixedRows(); ++R)
        Rows.push_back(R);
    for (int R = TopRow(); R < RowCount(); ++R)
        Rows.push_back(R);
    int Y = 0;
    for (int R : Rows) {
        const int H = RowHeights(R);
        if (Y >= Client.Bottom) break;
        int X = 0;
        for (int Cl = 0; Cl < ColCount(); ++Cl) {
            const int W = ColWidths(Cl);
            const TRect Cell(X, Y, X + W, Y + H);
            X += W;
            if (W <= 0) continue;
            TGridDrawState State;
            if (R < FixedRows()) State.Include(gdFixed);
            if (HasFocus && R == Row()) State.Include(gdFocused);
            if (Cl == Col() && R == Row()) State.Include(gdSelected);
            // The editor covers the current cell.
            const bool Covered = Cl == Col() && R == Row() && EditorMode() && InplaceEditor() &&
                                 InplaceEditor()->Shown() && UsesDefaultEditor() && !Copy;
            if (!Covered) DrawCell(Cl, R, Cell, State);
        }
        Y += H;
    }
    DrawRowLines(C, D);

    // Vertical lines of the data columns, and the right edge.
    const int Top = FOptions.Contains(ovHideVertFixedLines) && FIndicatorRow->Enabled() ? RowHeights(0) : 0;
    const int Bottom = D.Vert.GridBoundary - 1;
    const bool NoVert = FOptions.Contains(ovHideVertFixedLines) && FOptions.Contains(ovHideVertDataLines);
    int X = CaptionW;
    for (int Cl = 1; Cl < ColCount(); ++Cl) {
        const bool Full = (Cl == 1 && FDataColumns > 1) || !FOptions.Contains(ovHideVertDataLines);
        const int Y2 = Full ? Bottom : (FIndicatorRow->Enabled() ? RowHeights(0) - 1 : -1);
        if (!NoVert && Y2 > Top) {
            DrawVertLine(C, clBlack, X - 1, Top, Y2);
            if (FLineStyleData != ovButtonLine) DrawVertLine(C, clBtnHighlight, X, Top, Y2);
        }
        X += ColWidths(Cl);
    }
    DrawVertLine(C, clBtnShadow, X - 1, 0, Client.Bottom);
    DrawVertLine(C, clBtnHighlight, X, 0, Client.Bottom);

    if (TdaInspectorItem* A = ActiveItem(); A && A->CustomControlHighlight) {
        TRect R = CellRect(Col(), Row());
        R.Right += 1;
        C->Brush()->SetColor(clWindowFrame);
        C->FrameRect(R);
    }

    // The active row's frame.
    if (HasFocus && Row() >= FixedRows()) {
        const TRect RR = CellRect(1, Row());
        if (!RR.IsEmpty()) {
            const int T = RR.Top, B = RR.Bottom, Right = X;
            if (FOptions.Contains(ovHighlightActiveRow)) {
                DrawHorzLine(C, clBtnShadow, 0, Right, T - 2);
                DrawHorzLine(C, clBlack, 0, Right, T - 1);
                DrawHorzLine(C, Silver, 0, Right - 1, B - 1);
                DrawHorzLine(C, clBtnHighlight, 0, Right, B);
            } else if (Row() != TopRow()) {
                const TRect Cur = CellRect(Col(), Row());
                DrawHorzLine(C, clBtnShadow, Cur.Left, Cur.Right, T - 1);
            }
        }
    }
    if (FOptions.Contains(ovActiveRecord3DLines)) {
        const TRect Cur = CellRect(Col(), std::max(Row(), FixedRows()));
        if (!Cur.IsEmpty()) {
            const int T0 = FIndicatorRow->Enabled() ? RowHeights(0) : 0;
            DrawVertLine(C, clBtnShadow, Cur.Left - 1, T0, Bottom);
            DrawVertLine(C, clBlack, Cur.Left, T0, Bottom);
            DrawVertLine(C, Silver, Cur.Right - 1, T0, Bottom);
            DrawVertLine(C, clWhite, Cur.Right, T0, Bottom);
        }
    }
    if (FIndicatorRow->Enabled() && RowCount() > 0) {
        const int IH = RowHeights(0);
        int XX = 0;
        for (int Cl = 0; Cl < ColCount(); ++Cl) {
            const int W = ColWidths(Cl);
            DrawHorzLine(C, clBtnHighlight, XX, XX + W - 1, 0);
            DrawHorzLine(C, clBtnHighlight, XX, XX + W - 1, IH - 1);
            XX += W;
        }
        DrawHorzLine(C, clBlack, 0, XX, IH - 2);
    }

    TCustomGrid::Canvas()->CopyRect(Client, C, Client);
    EndTemp.Release();
    FUseTempCanvas = false;
    if (TdaInspectorItem* A = ActiveItem(); A != FLastActiveItem) {
        FLastActiveItem = A;
        if (OnAfterSelectCell) OnAfterSelectCell(this, A);
    }
}

void TdaDataInspector::DrawRowLines(TCanvas* C, const TGridDrawInfo& D) {
    const bool Highlight = FOptions.Contains(ovHighlightActiveRow) && FFocused && !ControlState().Contains(csPaintCopy);
    const int CaptionW = ColWidths(0);
    int DataRight = CaptionW;
    for (int Cl = 1; Cl < ColCount(); ++Cl)
        DataRight += ColWidths(Cl);
    int Y = FIndicatorRow->Enabled() ? RowHeights(0) : 0;
    const int Last = RowCount();
    for (int R = TopRow(); R <= Last; ++R) {
        const bool BelowLast = R == Last;
        const bool CurrentTop = Highlight && R == Row();
        const bool IndicatorTop = FIndicatorRow->Enabled() && R == TopRow();
        auto Lines = [&](TdaDataInspectorLineStyle Style, int X1, int X2, bool Caption) {
            if (CurrentTop && Style != ovDottedLine) {
                if (Style == ovButtonLine) {
                    DrawHorzLine(C, clBtnShadow, X1, X2, Y - 2);
                    DrawHorzLine(C, clBlack, X1, X2, Y - 1);
                    DrawHorzLine(C, clBtnShadow, X1, X2, Y);
                }
                return;
            }
            if (IndicatorTop && Style >= ovLight3DLine) {
                if (!Caption) DrawHorzLine(C, clBtnHighlight, X1, X2, Y - 1);
                return;
            }
            switch (Style) {
            case ovNoLines:
                if (BelowLast) {
                    DrawHorzLine(C, clBtnShadow, X1, X2 - (Caption ? 1 : 0), Y - 1);
                    DrawHorzLine(C, clBtnHighlight, X1, X2, Y);
                } else if (!Caption && (R == Row() || R == Row() + 1)) {
                    const TRect Cur = CellRect(Col(), Row());
                    if (!Cur.IsEmpty()) DrawHorzLine(C, Silver, Cur.Left, Cur.Right, Y - 1);
                }
                break;
            case ovDottedLine:
                if (!(Highlight && R == Row() + 1)) {
                    C->Pen()->SetColor(FDottedLineColor);
                    daDrawDottedLine(C, TPoint(X1, Y - 1), TPoint(X2, Y - 1));
                }
                break;
            case ovLight3DLine:
                DrawHorzLine(C, clBtnShadow, X1, X2 - (Caption ? 1 : 0), Y - 1);
                DrawHorzLine(C, clBtnHighlight, X1, X2, Y);
                break;
            case ovDark3DLine:
                DrawHorzLine(C, clBlack, X1, X2 - (Caption ? 1 : 0), Y - 1);
                DrawHorzLine(C, clBtnHighlight, X1, X2, Y);
                break;
            case ovButtonLine:
                DrawHorzLine(C, clBtnShadow, X1, X2, Y - 2);
                DrawHorzLine(C, clBlack, X1, X2, Y - 1);
                DrawHorzLine(C, clBtnHighlight, X1, X2, Y);
                break;
            }
        };
        if (CaptionW > 0) Lines(FLineStyleCaption, 0, CaptionW, true);
        Lines(FLineStyleData, CaptionW, DataRight, false);
        if (R < Last) Y += RowHeights(R);
        if (Y > D.Vert.GridBoundary) break;
    }
}

TPoint TdaDataInspector::GetButtonCenter(TdaInspectorItem* Item, const TRect& R) {
    TCanvas* C = FPaintBitmap->Canvas();
    const int X = R.Left + Item->Level() * FCaptionIndent + FCaptionIndent / 2 + 1;
    const int TH = C->TextHeight(u"Y");
    int Y;
    if (FOptions.Contains(ovCenterCaptionVert)) {
        Y = R.Top + std::max((TH + 2) / 2, (R.Bottom - R.Top - 2) / 2);
    } else {
        TBitmap* G = Item->Expanded() ? FButtonOptions->CollapseGlyph() : FButtonOptions->ExpandGlyph();
        const int Dd = std::max(TH + 2, G->Empty() ? 0 : G->Height());
        Y = R.Top + Dd / 2;
    }
    Item->ButtonPoint = TPoint(X, Y);
    return Item->ButtonPoint;
}

TRect TdaDataInspector::GetCheckBoxRect(const TRect& R) const {
    const int Mid = (R.Top + R.Bottom) / 2;
    return TRect(R.Left + 3, Mid - 7, R.Left + 20, Mid + 6);
}

void TdaDataInspector::DrawExpandButton(TCanvas* C, TdaInspectorItem* Item, const TRect& R) {
    const TPoint P = GetButtonCenter(Item, R);
    const int X = P.X, Y = P.Y;
    TBitmap* G = Item->Expanded() ? FButtonOptions->CollapseGlyph() : FButtonOptions->ExpandGlyph();
    const TColor OldBrush = C->Brush()->Color();
    const HTHEME Theme = G->Empty() && ThemesActive() ? OpenThemeData(WindowHandle(), u"TREEVIEW") : 0;
    if (!G->Empty()) {
        G->SetTransparent(FButtonOptions->TransparentGlyphs);
        C->Draw(X - G->Width() / 2, Y - (FOptions.Contains(ovCenterCaptionVert) ? G->Height() - 1 : G->Height()) / 2, G);
    } else if (Theme) {
        DrawThemeBackground(Theme, C, TVP_GLYPH, Item->Expanded() ? GLPS_OPENED : GLPS_CLOSED,
                            TRect(X - 5, Y - 4, X + 4, Y + 5));
        CloseThemeData(Theme);
    } else {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(clWindow);
        C->FillRect(TRect(X - 3, Y - 4, X + 3, Y + 4));
        C->Brush()->SetColor(clBlack);
        C->FrameRect(TRect(X - 5, Y - 4, X + 4, Y + 5));
        DrawHorzLine(C, clBlack, X - 3, X + 2, Y);
        if (!Item->Expanded()) DrawVertLine(C, clBlack, X - 1, Y - 2, Y + 3);
    }
    C->Brush()->SetColor(OldBrush);
}

void TdaDataInspector::DrawTreeLines(TdaInspectorItem* Item, const TRect& R) {
    if (!FOptions.Contains(ovShowTreeLines)) return;
    TCanvas* C = FPaintBitmap->Canvas();
    auto Etched = [&](int X1, int Y1, int X2, int Y2) {
        C->Pen()->SetColor(clBlack);
        C->MoveTo(X1, Y1);
        C->LineTo(X2, Y2);
        C->Pen()->SetColor(clWhite);
        if (X1 == X2) {
            C->MoveTo(X1 + 1, Y1);
            C->LineTo(X2 + 1, Y2);
        } else {
            C->MoveTo(X1 + 1, Y1 + 1);
            C->LineTo(X2 + 1, Y2 + 1);
        }
    };
    const int Mid = (R.Top + R.Bottom) / 2;
    if (Item->Expanded() && Item->HaveVisibleItem()) {
        const TPoint P = GetButtonCenter(Item, R);
        Etched(P.X - 1, P.Y + 7, P.X - 1, R.Bottom);
    }
    for (TdaInspectorItem* A = Item; A && A->ParentItem(); A = A->ParentItem()) {
        const int X = R.Left + A->ParentItem()->Level() * FCaptionIndent + FCaptionIndent / 2 + 1 - 1;
        if (A == Item) {
            const bool LastChild = !A->GetNextSibling(true);
            Etched(X, R.Top, X, LastChild ? Mid : R.Bottom);
        } else if (A->GetNextSibling(true)) {
            Etched(X, R.Top, X, R.Bottom);
        }
    }
    if (Item->ParentItem()) {
        const int PX = R.Left + Item->ParentItem()->Level() * FCaptionIndent + FCaptionIndent / 2;
        const int OwnX = R.Left + Item->Level() * FCaptionIndent + FCaptionIndent / 2 + 1;
        Etched(PX, Mid, Item->HaveVisibleItem() ? OwnX - 7 : R.Left + (Item->Level() + 1) * FCaptionIndent - 1, Mid);
    }
}

void TdaDataInspector::DrawCheckBox(TCanvas* C, TdaInspectorItem* Item, int ACol, int ARow, const TRect& R) {
    TRect B = GetCheckBoxRect(R);
    if (const HTHEME Theme = ThemesActive() ? OpenThemeData(WindowHandle(), u"BUTTON") : 0) {
        int State = Item->Checked() ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL;
        if (Item->ReadOnly || !Item->Enabled) {
            State += CBS_UNCHECKEDDISABLED - CBS_UNCHECKEDNORMAL;
        } else if (ACol == Col() && FHotCell.X == ACol && FHotCell.Y == ARow && !ControlState().Contains(csPaintCopy)) {
            // Lit while the mouse is over the cell of the current column.
            State += CBS_UNCHECKEDHOT - CBS_UNCHECKEDNORMAL;
        }
        DrawThemeBackground(Theme, C, BP_CHECKBOX, State, B);
        CloseThemeData(Theme);
        return;
    }
    Cardinal State = DFCS_BUTTONCHECK;
    if (Item->Checked()) State |= DFCS_CHECKED;
    if (!Item->Enabled) State |= DFCS_INACTIVE;
    DrawFrameControl(C, B, DFC_BUTTON, State);
}

void TdaDataInspector::DrawIndicatorCell(int ACol, const TRect& R) {
    bool Default = true;
    if (OnDrawIndicatorCell) OnDrawIndicatorCell(this, ACol, R, Default);
    if (!Default) return;
    TCanvas* C = FPaintBitmap->Canvas();
    if (ACol == 0 && !FIndicatorRow->Caption().empty()) {
        TRect T = R;
        if (FIndicatorRow->TextAlignment() == taLeftJustify) T.Left += FCaptionIndent;
        T.Top += 1;
        const Cardinal A = FIndicatorRow->TextAlignment() == taRightJustify ? DT_RIGHT
                           : FIndicatorRow->TextAlignment() == taCenter    ? DT_CENTER
                                                                           : DT_LEFT;
        C->Brush()->SetStyle(bsClear);
        DrawText(C, FIndicatorRow->Caption(), T, A | DT_EXPANDTABS | DT_NOPREFIX);
        C->Brush()->SetStyle(bsSolid);
    }
    if (FDataLink->Active() && ACol == FDataLink->ActiveRecord() + 1) {
        // The record state: a pencil while editing, a star while inserting, an arrow otherwise.
        TDataSet* DS = FDataLink->DataSet();
        const int CX = std::max(R.Left, (R.Left + R.Right) / 2 - 4), CY = (R.Top + R.Bottom) / 2;
        C->Brush()->SetColor(clBlack);
        C->Pen()->SetColor(clBlack);
        if (DS->State() == dsEdit) {
            C->MoveTo(CX, CY + 3);
            C->LineTo(CX + 7, CY - 4);
        } else if (DS->State() == dsInsert) {
            C->TextOut(CX, CY - 6, u"*");
        } else {
            const TPoint P[] = {TPoint(CX, CY - 4), TPoint(CX + 4, CY), TPoint(CX, CY + 4)};
            C->Polygon(P, 3);
        }
    }
}

void TdaDataInspector::DoDrawDataCell(TdaInspectorItem* Item, bool ASelected, const TRect& R, bool& DefaultDrawing) {
    if (OnDrawDataCell) OnDrawDataCell(this, Item, ASelected, R, DefaultDrawing);
}

void TdaDataInspector::DoDrawCaptionCell(TdaInspectorItem* Item, bool ASelected, const TRect& R, TRect& CaptionRect,
                                         bool& DefaultTextDrawing) {
    if (OnDrawCaptionCell) OnDrawCaptionCell(this, Item, ASelected, R, CaptionRect, DefaultTextDrawing);
}

void TdaDataInspector::DoCalcDataPaintText(TdaInspectorItem* Item, String& PaintText) {
    if (OnCalcDataPaintText) OnCalcDataPaintText(this, Item, PaintText);
}

void TdaDataInspector::DrawCell(int ACol, int ARow, const TRect& R, TGridDrawState) {
    TCanvas* C = FPaintBitmap->Canvas();
    if (ARow == 0 && FIndicatorRow->Enabled()) {
        C->Font()->Assign(FCaptionFont.get());
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(FIndicatorRow->Color());
        C->FillRect(TRect(R.Left + 1, R.Top - 1, R.Right - 1, R.Bottom));
        DrawIndicatorCell(ACol, R);
        return;
    }
    TdaInspectorItem* It = GetItemByRow(ARow, false);
    if (!It) return;
    const bool Multi = FDataLink->Active() && FDataColumns > 1;
    if (Multi && ACol >= 1 && ACol - 1 >= FDataLink->RecordCount()) {
        C->Brush()->SetColor(Solid(Color()));
        C->FillRect(R);
        return;
    }
    std::unique_ptr<TActiveRecordScope> Record;
    if (Multi && ACol >= 1) Record = std::make_unique<TActiveRecordScope>(*FDataLink, ACol - 1);
    if (ACol == 0) {
        C->Font()->Assign(FCaptionFont.get());
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(Solid(CaptionColor()));
        TRect CR = R;
        CR.Left += (It->Level() + 1) * FCaptionIndent;
        CR.Top += 1;
        TRect M = CR;
        DrawText(C, It->Caption(), M, DT_CALCRECT | DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE);
        const int H = M.Height();
        if (FOptions.Contains(ovCenterCaptionVert)) CR.Top += (R.Bottom - R.Top - 1 - H - 2) / 2;
        const TRect Back(R.Left, R.Top, R.Right - 1, R.Bottom);
        if (CaptionColor() != clNone && !OnBeforePaint) C->FillRect(Back);
        bool Default = true;
        DoDrawCaptionCell(It, ARow == Row(), Back, CR, Default);
        if (Default) {
            C->Brush()->SetStyle(bsClear);
            DrawText(C, It->Caption(), CR, DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE);
            C->Brush()->SetStyle(bsSolid);
            if (It->HaveVisibleItem()) DrawExpandButton(C, It, R);
            DrawTreeLines(It, R);
        }
        return;
    }
    C->Font()->Assign(Font());
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Solid(Color()));
    TField* F = It->Field();
    String Text = F && F->DataSet() && F->DataSet()->Active() ? F->DisplayText() : It->EditText();
    TRect Fill(R.Left, R.Top, R.Right - 1, R.Bottom);
    if (FOptions.Contains(ovHideVertDataLines)) Fill.Left -= 1;
    if (FPaintOptions->ActiveRecordColor() != clNone && ACol == Col())
        C->Brush()->SetColor(FPaintOptions->ActiveRecordColor());
    C->FillRect(Fill);
    It->ActiveRecord = ACol == Col();
    TRect ER = R;
    ER.Bottom -= 1;
    bool Default = true;
    DoDrawDataCell(It, ARow == Row(), ER, Default);
    if (!Default) return;
    DoCalcDataPaintText(It, Text);
    if (TWinControl* CC = It->CustomControl();
        CC && It->CustomControlAlwaysPaints && !(CC == FCustomEdit && FCustomEditCell.X == ACol && FCustomEditCell.Y == ARow)) {
        // A control that is not editing this cell shows its own image there.
        const TRect ER = EditorRect(ACol, ARow);
        if (ER.IsEmpty()) return;
        if (CC != FCustomEdit) {
            BindEditControl(CC, It);
            CC->SetBounds(ER.Left, ER.Top, ER.Width(), ER.Height());
            if (!It->Field())
                if (auto* E = dynamic_cast<TCustomEdit*>(CC)) E->SetText(It->EditText());
        }
        PaintCustomControlImage(C, CC, ER);
        return;
    }
    if (Multi && ACol == Col() && FFocused) {
        C->Brush()->SetColor(clHighlight);
        C->FillRect(TRect(R.Left + 1, R.Top, R.Right - 1, R.Bottom - 1));
        C->Font()->SetColor(clHighlightText);
    }
    if (IsMemoLike(F)) {
        TRect T(R.Left + 2, R.Top + 1, R.Right, R.Bottom);
        C->Brush()->SetStyle(bsClear);
        DrawText(C, F->AsString(), T, DT_END_ELLIPSIS | DT_NOPREFIX | (It->WordWrap ? DT_WORDBREAK : 0));
        C->Brush()->SetStyle(bsSolid);
        return;
    }
    if (It->PickList()->DisplayAsCheckbox && It->PickList()->Items()->Count() > 0) {
        DrawCheckBox(C, It, ACol, ARow, R);
        return;
    }
    if (It->HasEditButton()) {
        if (F)
            Text = It->PickList()->MapList ? It->GetMappedDisplayText(F->Text()) : F->DisplayText();
        else
            Text = It->GetMappedDisplayText(It->EditText());
        DoCalcDataPaintText(It, Text);
    }
    TRect T(R.Left + 2, R.Top + 1, R.Right, R.Bottom);
    if (It->Alignment == taRightJustify) T.Right -= 2;
    Cardinal Fmt = DT_END_ELLIPSIS | DT_NOPREFIX;
    Fmt |= It->Alignment == taRightJustify ? DT_RIGHT : It->Alignment == taCenter ? DT_CENTER : DT_LEFT;
    Fmt |= It->WordWrap ? DT_WORDBREAK : DT_SINGLELINE;
    if (!It->Enabled) {
        TColor Grey = clGrayText;
        if (const HTHEME Theme = ThemesActive() ? OpenThemeData(WindowHandle(), u"EDIT") : 0) {
            GetThemeColor(Theme, EP_EDITTEXT, ETS_DISABLED, TMT_TEXTCOLOR, Grey);
            CloseThemeData(Theme);
        }
        C->Font()->SetColor(Grey);
    }
    C->Brush()->SetStyle(bsClear);
    DrawText(C, Text, T, Fmt);
    C->Brush()->SetStyle(bsSolid);
}

void TdaDataInspector::PaintCustomControlImage(TCanvas* C, TWinControl* Control, const TRect& R) {
    // Clipped to the cell.
    TBitmap Image(std::max(Control->Width(), 1), std::max(Control->Height(), 1));
    Image.Canvas()->Brush()->SetColor(Solid(Color()));
    Image.Canvas()->FillRect(TRect(0, 0, Image.Width(), Image.Height()));
    daPaintControlCopy(Control, Image.Canvas(), 0, 0);
    const TRect Src(0, 0, std::min(Image.Width(), R.Width()), std::min(Image.Height(), R.Height()));
    C->CopyRect(TRect(R.Left, R.Top, R.Left + Src.Width(), R.Top + Src.Height()), Image.Canvas(), Src);
}

void TdaInspectorHintWindow::Paint() {
    TCanvas* C = TCustomControl::Canvas();
    TRect R = ClientRect();
    C->Brush()->SetColor(clInfoBk);
    C->FillRect(R);
    C->Pen()->SetColor(clBlack);
    C->Brush()->SetColor(clBlack);
    C->FrameRect(R);
    R.Left += 2;
    R.Top += 2;
    C->Font()->SetColor(clInfoText);
    C->Brush()->SetStyle(bsClear);
    Cardinal Fmt = DT_NOPREFIX | DT_EXPANDTABS;
    Fmt |= WordWrap ? DT_WORDBREAK : DT_SINGLELINE | (CenterVertically ? DT_VCENTER : 0);
    Fmt |= Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : DT_LEFT;
    DrawText(C, Caption(), R, Fmt);
    C->Brush()->SetStyle(bsSolid);
}
