// Keys and mouse of the data grid: record and column walking, insert, delete and cancel, title
// clicks and title drags that move columns, URL links, cell hints and the wheel.

#include "dataaware/grids/daDBGrid.h"

#include "dataaware/foundation/daDrawUtils.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Questions.h"
#include "platform/gui/ScrollBars.h"

#include <algorithm>
#include <utility>

namespace {
constexpr UINT_PTR DragTimerId = 1;
constexpr int DragTimerInterval = 100;
constexpr int HintInterval = 250;
} // namespace

void TdaCustomDBGrid::CreateParams(TCreateParams& Params) {
    TCustomGrid::CreateParams(Params);
    if (FShowVertScrollBar) Params.Style |= WS_VSCROLL;
}

void TdaCustomDBGrid::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_VSCROLL:
        WMVScroll(LOWORD(Message.WParam));
        Message.Result = 0;
        return;
    case WM_TIMER:
        if (Message.WParam == DragTimerId) {
            TitleDragTimer();
            Message.Result = 0;
            return;
        }
        break;
    default:
        break;
    }
    TCustomGrid::Dispatch(Message);
}

// ---- Rows and columns -----------------------------------------------------------------------------

void TdaCustomDBGrid::PriorRow() {
    TDataSet* DS = FDataLink->DataSet();
    if (DS->State() == dsInsert && !DS->Modified() && !FDataLink->IsModified() && DS->Eof()) {
        DS->Cancel();
    } else if (DS->Bof() && FDataLink->ActiveRecord() > 0) {
        FDataLink->SetActiveRecord(FDataLink->ActiveRecord() - 1);
        DS->Prior();
    } else {
        DS->Prior();
    }
}

void TdaCustomDBGrid::NextRow() {
    TDataSet* DS = FDataLink->DataSet();
    if (DS->State() == dsInsert && !DS->Modified() && !FDataLink->IsModified()) {
        if (!DS->Eof()) DS->Cancel();
        return;
    }
    DS->Next();
    if (DS->Eof() && DS->CanModify() && FOptions.Contains(dgEditing) && FKeyOptions.Contains(dgAllowInsert) &&
        !FReadOnly && DS->State() == dsBrowse) {
        HideControls();
        DS->Append();
    }
}

void TdaCustomDBGrid::SelectColumn(int DataCol) {
    if (FDataLink->Active()) FDataLink->UpdateRecord();
    const int Count = std::max(FDataLink->FieldCount(), 1);
    DataCol = std::clamp(DataCol, 0, Count - 1);
    const int Target = DataCol + FIndicatorOffset;
    if (Target == Col()) return;
    if (!FInColExit) {
        TFlagScope InExit(FInColExit);
        const int Before = Col();
        ColExit();
        if (Col() != Before) return;
    }
    HideEditor();
    SetCol(Target);
    if (FOptions.Contains(dgAlwaysShowEditor) && !SuppressShowEditor && !HasControlInCell(Col(), Row()) &&
        !IsMemoField(Col(), Row()))
        ShowEditorIfAllowed();
    ColEnter();
}

void TdaCustomDBGrid::NextColumn(bool Forward) {
    const int Last = ColCount() - 1, First = FixedCols();
    const int Start = Col();
    int C = Start;
    for (int Guard = 0; Guard < 2 * ColCount() + 2; ++Guard) {
        if (Forward) {
            ++C;
            if (C > Last) {
                HideControls();
                if (FOptions.Contains(dgTabExitsOnLastCol)) {
                    if (TWinControl* P = Parent()) P->Perform(WM_NEXTDLGCTL, 0, 0);
                    return;
                }
                NextRow();
                C = First;
                if (C == Start) {
                    if (Col() != C) SelectColumn(C - FIndicatorOffset);
                    return;
                }
            }
        } else {
            --C;
            if (C < First) {
                HideControls();
                if (FOptions.Contains(dgTabExitsOnLastCol)) {
                    if (TWinControl* P = Parent()) P->Perform(WM_NEXTDLGCTL, 1, 0);
                    return;
                }
                PriorRow();
                C = Last;
            }
        }
        if (C == Start) return;
        if (C < int(FTabStops.size()) && FTabStops[size_t(C)]) {
            SelectColumn(C - FIndicatorOffset);
            return;
        }
    }
}

void TdaCustomDBGrid::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
    if (Key == 0 || !FDataLink->Active()) return;
    TDataSet* DS = FDataLink->DataSet();
    if (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN) {
        if (!AcquireFocusForScroll()) return;
    }
    const bool Ctrl = Shift.Contains(ssCtrl);
    if (Ctrl) {
        switch (Key) {
        case VK_PRIOR: case VK_UP: DS->MoveBy(-FDataLink->ActiveRecord()); break;
        case VK_NEXT: case VK_DOWN: DS->MoveBy(FDataLink->BufferCount() - FDataLink->ActiveRecord() - 1); break;
        case VK_END: DS->Last(); break;
        case VK_HOME: DS->First(); break;
        case VK_LEFT: SelectColumn(0); break;
        case VK_RIGHT: SelectColumn(FDataLink->FieldCount() - 1); break;
        case VK_DELETE:
            if (FKeyOptions.Contains(dgAllowDelete) && !FReadOnly && DS->CanModify() && FOptions.Contains(dgEditing) &&
                !(DS->Bof() && DS->Eof()) &&
                (!FOptions.Contains(dgConfirmDelete) ||
                 MessageDlg(daGridTexts::DeleteRecordQuestion, mtConfirmation, mbOKCancel, 0) == mrOk)) {
                DS->Delete();
                HideEditor();
            }
            break;
        default:
            return;
        }
        Key = 0;
        return;
    }
    const bool OneField = DS->FieldCount() == 1 || FOptions.Contains(dgRowSelect);
    switch (Key) {
    case VK_TAB:
        if (!Shift.Contains(ssAlt)) NextColumn(!Shift.Contains(ssShift));
        break;
    case VK_RETURN:
        if (FKeyOptions.Contains(dgEnterToTab)) NextColumn(!Shift.Contains(ssShift));
        break;
    case VK_ESCAPE:
        FDataLink->Reset();
        if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
        else if (OnCheckValue && Editor()) Editor()->IsValidPictureValue(Editor()->Text());
        break;
    case VK_PRIOR: DS->MoveBy(-VisibleRowCount()); break;
    case VK_NEXT: DS->MoveBy(VisibleRowCount()); break;
    case VK_END:
        if (OneField) DS->Last();
        else SelectColumn(FDataLink->FieldCount() - 1);
        break;
    case VK_HOME:
        if (OneField) DS->First();
        else SelectColumn(0);
        break;
    case VK_LEFT:
        if (FOptions.Contains(dgRowSelect)) PriorRow();
        else SelectColumn(SelectedIndex() - 1);
        break;
    case VK_UP: PriorRow(); break;
    case VK_RIGHT:
        if (FOptions.Contains(dgRowSelect)) NextRow();
        else SelectColumn(SelectedIndex() + 1);
        break;
    case VK_DOWN: NextRow(); break;
    case VK_INSERT:
        if (!FReadOnly && FOptions.Contains(dgEditing) && FKeyOptions.Contains(dgAllowInsert)) DS->Insert();
        break;
    case VK_F2:
        if (SelectedField() && !SelectedField()->IsBlob() && !HasControlInCell(Col(), Row())) SetEditorMode(true);
        break;
    default:
        return;
    }
    Key = 0;
}

void TdaCustomDBGrid::KeyPress(Char& Key) {
    const bool WasEnter = Key == u'\r';
    if (FKeyOptions.Contains(dgEnterToTab) && Key == u'\r') Key = u'\t';
    if (Key == u'\r' && !FOptions.Contains(dgAlwaysShowEditor) && FDataLink->Active()) FDataLink->UpdateRecord();
    if (Key == u'\t' || Key == u'\r') {
        if (WasEnter && !FOptions.Contains(dgAlwaysShowEditor) && !CanEditShow()) SetEditorMode(false);
        Key = 0;
        return;
    }
    TCustomGrid::KeyPress(Key);
}

// ---- Mouse ------------------------------------------------------------------------------------------

void TdaCustomDBGrid::PressTitle(int X, int Y, int ACol, int ARow) {
    if (!FTitleButtons || ARow != 0 || ACol < FIndicatorOffset) return;
    FTitleClickColumn = ACol;
    TitleClickRow = ARow;
    TitleClickGroupTitle = false;
    if (!ColumnOfDataCol(ACol - FIndicatorOffset)->GroupName().empty()) {
        TRect Own;
        TitleCellRect(ACol, 0, Own, false);
        TitleClickGroupTitle = Y < Own.Top;
    }
    (void)X;
    InvalidateTitles();
}

void TdaCustomDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FSizingIndex = -1;
    FPriorSizingWidth = 0;
    FreeHintWindow();
    if (Shift.Contains(ssDouble)) {
        if (AcquireFocusForScroll()) DblClick();
        return;
    }
    TGridState Sizing;
    int Index, SizingPos, Ofs;
    CalcSizingState(X, Y, Sizing, Index, SizingPos, Ofs);
    if (Sizing != gsNormal) {
        if (Sizing == gsColSizing) {
            FSizingIndex = Index;
            FPriorSizingWidth = ColWidths(Index);
        }
        if (FDataLink->Active()) FDataLink->UpdateRecord();
        TCustomGrid::MouseDown(Button, Shift, X, Y);
        return;
    }
    const TGridCoord Cell = MouseCoord(X, Y);
    if (Cell.X < 0 || Cell.Y < 0) {
        AcquireFocusForScroll();
        if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
        return;
    }
    if (Cell.Y < FTitleOffset) {
        AcquireFocusForScroll();
        if (Button == mbLeft) {
            PressTitle(X, Y, Cell.X, Cell.Y);
            if (TCustomGrid::Options().Contains(goColMoving) && Cell.X >= FixedCols()) {
                FDragPressed = true;
                FDragStart = TPoint{X, Y};
                FDragCol = Cell.X;
                ClickedOnGroupName = false;
                ClickedOnGroupChild = false;
                if (!ColumnOfDataCol(Cell.X - FIndicatorOffset)->GroupName().empty()) {
                    TRect Own;
                    TitleCellRect(Cell.X, 0, Own, false);
                    ClickedOnGroupName = Y < Own.Top;
                    ClickedOnGroupChild = !ClickedOnGroupName;
                }
                SetCaptureControl(this);
            }
        }
        if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
        return;
    }
    if (Cell.X >= FIndicatorOffset || Cell.X < FixedCols()) {
        if (FDataLink->Active()) {
            TDataSet* DS = FDataLink->DataSet();
            const bool SameCell = Cell.X == Col() && Cell.Y == Row();
            if (SameCell && Button != mbRight && !HasControlInCell(Cell.X, Cell.Y) && !IsMemoField(Cell.X, Cell.Y) &&
                Cell.X >= FIndicatorOffset)
                ShowEditorIfAllowed();
            const bool RowChange = Cell.Y != Row();
            TFlagScope HoldEditor(SuppressShowEditor);
            DisableCellChangedEvent = RowChange;
            if (AcquireFocusForScroll()) {
                if (!FOptions.Contains(dgRowSelect) && Cell.X >= FIndicatorOffset) SelectColumn(Cell.X - FIndicatorOffset);
                if (RowChange) DS->MoveBy(Cell.Y - Row());
                DisableCellChangedEvent = false;
                if (!SameCell) DoCellChanged();
                const String Type =
                    Cell.X < int(FCacheColInfo.size()) ? FCacheColInfo[size_t(Cell.X)].ControlType : String();
                if (Button == mbLeft && Type == u"URL-Link" && SelectedField()) {
                    String Display, Link;
                    GetURLLink(SelectedField()->AsString(), Display, Link);
                    bool UseDefault = true;
                    DoURLOpen(Link, SelectedField(), UseDefault);
                    if (UseDefault) {
                        const int At = Pos(u"@", Link), Dot = LastDelimiter(u".", Link);
                        if (Pos(u"MAILTO:", UpperCase(Link)) == 0 && At > 1 && Dot > At) Link = u"MailTo:" + Link;
                        if (OpenURL) OpenURL(Link);
                    }
                }
                if (FOptions.Contains(dgMultiSelect) && !IsSelectedCheckBoxColumn(Cell.X)) {
                    const TBookmark Before = DS->GetBookmark();
                    if (Shift.Contains(ssCtrl) || Shift.Contains(ssShift)) {
                        if (IsSelected())
                            UnselectRecord();
                        else
                            SelectRecord();
                    } else if (FMultiSelectOptions.Contains(msoAutoUnselect) && Button == mbLeft) {
                        UnselectAll();
                        SelectRecord();
                    }
                    if (FMultiSelectOptions.Contains(msoShiftSelect) &&
                        (Shift.Contains(ssCtrl) || Shift.Contains(ssShift) ||
                         FMultiSelectOptions.Contains(msoAutoUnselect))) {
                        ShiftSelectMode = true;
                        DS->CheckBrowseMode();
                        if (DS->GetBookmark() == Before) ShiftSelectBookmark = DS->GetBookmark();
                    }
                }
            }
            DisableCellChangedEvent = false;
            InvalidateCell(Col(), Row());
        }
    }
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TdaCustomDBGrid::MouseMove(TShiftState Shift, int X, int Y) {
    FLastMousePos = TPoint{X, Y};
    if (FDragPressed) {
        if (!FDragging) {
            if (std::abs(X - FDragStart.X) <= 2 && std::abs(Y - FDragStart.Y) <= 2) return;
            StartTitleDrag(X, Y);
        }
        TitleDragMove(X, Y);
        return;
    }
    TCustomGrid::MouseMove(Shift, X, Y);
    HandleMouseMotion(Shift, X, Y);
}

void TdaCustomDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (FDragPressed) {
        if (GetCaptureControl() == this) SetCaptureControl(nullptr);
        FDragPressed = false;
        if (FDragging) {
            EndTitleDrag(X, Y);
            if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
            return;
        }
    }
    const TGridState State = GridState();
    TCustomGrid::MouseUp(Button, Shift, X, Y);
    if (State == gsColSizing && OnColWidthChanged) OnColWidthChanged(this, FSizingIndex);
    if (FTitleClickColumn >= 0) {
        const TGridCoord Cell = MouseCoord(X, Y);
        const int Pressed = FTitleClickColumn;
        const bool Group = TitleClickGroupTitle;
        FTitleClickColumn = -1;
        TitleClickRow = -1;
        TitleClickGroupTitle = false;
        InvalidateTitles();
        if (Cell.X == Pressed && Cell.Y == 0 && !SkipTitleButtonClick && FDataLink->Fields(Pressed - FIndicatorOffset)) {
            TdaColumn* C = ColumnOfDataCol(Pressed - FIndicatorOffset);
            TRect Own;
            TitleCellRect(Pressed, 0, Own, false);
            if (!C->GroupName().empty() && Group && Y < Own.Top)
                DoTitleButtonClick(C->GroupName());
            else if (!FShowSearchRow || Y < Own.Bottom)
                DoTitleButtonClick(C->FieldName());
        }
    }
    SkipTitleButtonClick = false;
    FSizingIndex = -1;
}

// ---- Title drag ---------------------------------------------------------------------------------------

void TdaCustomDBGrid::StartTitleDrag(int X, int Y) {
    FDragging = true;
    SkipTitleButtonClick = true;
    FTitleClickColumn = -1;
    TitleClickGroupTitle = false;
    TRect R;
    DragTitleCellRect(FDragCol, R, FDragStart.Y);
    const int W = std::max(1, std::min(R.Width(), Width() - 10));
    FDragImage = std::make_unique<TBitmap>(W, std::max(1, R.Height()));
    TCanvas* C = FDragImage->Canvas();
    C->Brush()->SetColor(FTitleColor);
    C->FillRect(TRect(0, 0, W, R.Height()));
    C->Font()->Assign(FTitleFont.get());
    const String Text = ClickedOnGroupName ? ColumnOfDataCol(FDragCol - FIndicatorOffset)->GroupName()
                                           : ColumnOfDataCol(FDragCol - FIndicatorOffset)->DisplayLabel();
    C->Brush()->SetStyle(bsClear);
    TRect T(2, 0, W, R.Height());
    DrawText(C, Text, T, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    FDragImageRect = TRect(R.Left, R.Top + FDragVertOffset, R.Left + W, R.Top + FDragVertOffset + R.Height());
    FDragTarget = FDragCol;
    FDragLast = TPoint{X, Y};
    if (HandleAllocated()) SetTimer(WindowHandle(), DragTimerId, DragTimerInterval);
    InvalidateTitles();
}

int TdaCustomDBGrid::DropTarget(int X) const {
    const int Y = FOptions.Contains(dgTitles) ? RowHeights(0) - 1 : 0;
    TGridCoord Cell = MouseCoord(std::clamp(X, 0, ClientWidth() - 1), std::max(Y, 0));
    int Target = Cell.X;
    if (Target < 0) Target = ColCount() - 1;
    return std::clamp(Target, FixedCols(), ColCount() - 1);
}

void TdaCustomDBGrid::TitleDragMove(int X, int Y) {
    const int DX = X - FDragLast.X;
    if (DX != 0) FDragDirection = DX > 0 ? 1 : -1;
    FDragLast = TPoint{std::clamp(X, 0, ClientWidth()), std::clamp(Y, 0, ClientHeight())};
    if (HandleAllocated()) InvalidateRect(WindowHandle(), &FDragImageRect, false);
    OffsetRect(FDragImageRect, X - FDragStart.X - (FDragImageRect.Left - CellRect(FDragCol, 0).Left), 0);
    FDragTarget = DropTarget(X);
    if (HandleAllocated()) InvalidateRect(WindowHandle(), &FDragImageRect, false);
}

void TdaCustomDBGrid::TitleDragTimer() {
    if (!FDragging) return;
    const int Right = ClientWidth();
    const TRect FirstScrolled = CellRect(LeftCol(), 0);
    if (FDragDirection > 0 && FDragLast.X >= Right - 10) {
        TGridDrawInfo D;
        CalcDrawInfo(D);
        if (D.Horz.LastFullVisibleCell < ColCount() - 1) SetLeftCol(LeftCol() + 1);
    } else if (FDragDirection < 0 && !FirstScrolled.IsEmpty() && FDragLast.X <= FirstScrolled.Left + 10) {
        if (LeftCol() > FixedCols()) SetLeftCol(LeftCol() - 1);
    }
    FDragTarget = DropTarget(FDragLast.X);
    InvalidateTitles();
}

void TdaCustomDBGrid::EndTitleDrag(int X, int) {
    if (HandleAllocated()) {
        KillTimer(WindowHandle(), DragTimerId);
        InvalidateRect(WindowHandle(), &FDragImageRect, false);
    }
    FDragImage.reset();
    FDragging = false;
    const int Target = DropTarget(X);
    const int From = FDragCol;
    FDragCol = -1;
    FTitleClickColumn = -1;
    if (Target != From) {
        const bool Grouped =
            ClickedOnGroupName || ClickedOnGroupChild ||
            (Target >= FIndicatorOffset && !ColumnOfDataCol(Target - FIndicatorOffset)->GroupName().empty());
        if (Grouped)
            DropTitleOnGroup(From, Target);
        else
            MoveColumnTo(From, Target);
    }
    InvalidateTitles();
    Invalidate();
}

void TdaCustomDBGrid::MoveColumnTo(int From, int To) {
    if (From == To) return;
    MoveColumn(From, To);
}

void TdaCustomDBGrid::DropTitleOnGroup(int From, int To) {
    auto Group = [&](int C) { return C >= FIndicatorOffset ? ColumnOfDataCol(C - FIndicatorOffset)->GroupName() : String(); };
    const String G = Group(From);
    if (ClickedOnGroupChild) {
        // A member moves only within its own group.
        if (Group(To) == G) MoveColumnTo(From, To);
        return;
    }
    if (ClickedOnGroupName) {
        int E, S;
        TRect R;
        GroupNameCellRect(From, 0, R, false, E, S);
        // The target in another group snaps to that group's near edge.
        if (!Group(To).empty() && Group(To) != G) {
            int TE, TS;
            GroupNameCellRect(To, 0, R, false, TE, TS);
            To = To > From ? TE : TS;
        }
        const int Size = E - S + 1;
        if (To > E) {
            for (int I = 0; I < Size; ++I)
                MoveColumnTo(S, To);
        } else if (To < S) {
            for (int I = 0; I < Size; ++I)
                MoveColumnTo(S + I, To + I);
        }
        return;
    }
    // A plain title dropped into a group lands at the group's edge so that groups are not split.
    int E, S;
    TRect R;
    GroupNameCellRect(To, 0, R, false, E, S);
    MoveColumnTo(From, FDragDirection > 0 || To > From ? E : S);
}

// ---- Hints, links and wheel -----------------------------------------------------------------------------

void TdaCustomDBGrid::ClearURLPaint() {
    FURLLinkActive = false;
    if (URLLinkActiveCol >= 0) {
        SetCursor(FSavedCursor);
        if (URLLinkActiveRow >= FTitleOffset) InvalidateCell(URLLinkActiveCol, URLLinkActiveRow);
    }
    URLLinkActiveCol = URLLinkActiveRow = -1;
}

void TdaCustomDBGrid::FreeHintWindow() {
    FHintTimerCount = 0;
    delete FHintWindow;
    FHintWindow = nullptr;
    if (FHintTimer) FHintTimer->SetEnabled(false);
}

void TdaCustomDBGrid::HandleMouseMotion(TShiftState, int X, int Y) {
    const TGridCoord Cell = MouseCoord(X, Y);
    // URL links: the hand over a link cell, the saved cursor elsewhere.
    const bool LinkCell = Cell.X >= FIndicatorOffset && Cell.Y >= FTitleOffset && FDataLink->Active() &&
                          Cell.X < int(FCacheColInfo.size()) &&
                          FCacheColInfo[size_t(Cell.X)].ControlType == u"URL-Link";
    if (!LinkCell) {
        if (FURLLinkActive) ClearURLPaint();
    } else if (Cell.X != URLLinkActiveCol || Cell.Y != URLLinkActiveRow) {
        if (Cursor() != crHandPoint) FSavedCursor = Cursor();
        SetCursor(crHandPoint);
        FURLLinkActive = true;
        if (URLLinkActiveCol >= 0) InvalidateCell(URLLinkActiveCol, URLLinkActiveRow);
        URLLinkActiveCol = Cell.X;
        URLLinkActiveRow = Cell.Y;
        InvalidateCell(Cell.X, Cell.Y);
    }
    // Cell hints for texts that do not fit.
    if (!FOptions.Contains(dgShowCellHint) || !FDataLink->Active()) return;
    if (Cell.X == lastMouseX && Cell.Y == lastMouseY) return;
    lastMouseX = Cell.X;
    lastMouseY = Cell.Y;
    FreeHintWindow();
    delete FHintTimer;
    FHintTimer = nullptr;
    if (Cell.X == Col() && Cell.Y == Row() && InplaceEditor() && InplaceEditor()->Shown()) return;
    if (Cell.X < FIndicatorOffset || Cell.Y < FTitleOffset || Cell.Y - FTitleOffset >= FDataLink->RecordCount()) return;
    const int DataCol = Cell.X - FIndicatorOffset;
    TField* Field = FDataLink->Fields(DataCol);
    if (!Field) return;
    String Text;
    {
        TActiveRecordScope Scope(*FDataLink, Cell.Y - FTitleOffset + FRowOffset);
        if (Field->IsBlob() && !IsMemoField(Cell.X, Cell.Y)) return;
        Text = GetFieldValue(DataCol);
    }
    if (Text.empty()) return;
    const TRect CellR = CellRect(Cell.X, Cell.Y);
    TBitmap Measure(1, 1);
    TCanvas* MC = Measure.Canvas();
    MC->Font()->Assign(Cell.X < FixedCols() ? FTitleFont.get() : Font());
    TRect M(0, 0, std::max(1, CellR.Width() - 4), 0);
    Cardinal Flags = DT_CALCRECT | DT_NOPREFIX;
    if (FOptions.Contains(dgWordWrap)) Flags |= DT_WORDBREAK | DT_EDITCONTROL;
    if (Text.find(u'\t') != String::npos) Flags |= DT_EXPANDTABS;
    DrawText(MC, Text, M, Flags);
    if (M.Width() < CellR.Width() - 1 && M.Height() <= CellR.Height()) return;
    FHintWindow = new TdaGridHintWindow(this);
    FHintWindow->Field = Field;
    FHintWindow->SetColor(clInfoBk);
    FHintWindow->Font()->Assign(MC->Font());
    FHintWindow->Font()->SetColor(clInfoText);
    FHintTimer = new TTimer(this);
    FHintTimer->SetInterval(HintInterval);
    FHintTimer->OnTimer = [this](TObject* Sender) { HintTimerTick(Sender); };
    FHintTimer->SetEnabled(true);
    FHintWindow->Alignment = FieldAlignment(Field);
    bool WordWrap = true, DoDefault = true;
    int MaxHeight = CellR.Height() - 2;
    int MaxWidth = Screen ? Screen->Width() : 1024;
    const int OrigMaxHeight = MaxHeight;
    DoCreateHintWindow(FHintWindow, Field, CellR, WordWrap, MaxWidth, MaxHeight, DoDefault);
    FHintWindow->WordWrap = WordWrap;
    MaxWidth = std::max(MaxWidth, CellR.Width() - 4);
    if (!DoDefault) return;
    TRect R = CellR;
    R.Bottom -= 2;
    TRect Need(0, 0, MaxWidth, MaxHeight);
    DrawText(MC, Text, Need, DT_CALCRECT | DT_NOPREFIX | (WordWrap ? DT_WORDBREAK : 0));
    const int W = std::min(Need.Width(), MaxWidth);
    const int H = std::min(Need.Height(), MaxHeight);
    if (MaxHeight != OrigMaxHeight) R.Bottom = std::max(R.Top + H, R.Bottom);
    if (FHintWindow->Alignment != taLeftJustify)
        R.Left = R.Right - W - 8;
    else
        R.Right = R.Left + W + 8;
    const TPoint Origin = ClientOrigin();
    OffsetRect(R, Origin.X, Origin.Y - 1);
    FHintWindow->HintText = Text;
    FHintWindow->HintRect = R;
    FHintWindow->ActivateHint(R, Text);
}

void TdaCustomDBGrid::HintTimerTick(TObject*) {
    if (!FHintWindow) return;
    TRect Cell = CellRect(lastMouseX, lastMouseY);
    Cell.Left -= 1, Cell.Top -= 1, Cell.Right += 1, Cell.Bottom += 1;
    const TPoint P = FLastMousePos;
    if (Cell.Contains(P) && ClientRect().Contains(P)) {
        ++FHintTimerCount;
        const int Pause = Application ? Application->HintHidePause() : 2500;
        if (FHintTimerCount > std::max(Pause / HintInterval, 16)) FreeHintWindow();
    } else {
        FreeHintWindow();
        lastMouseX = lastMouseY = 0;
    }
}

void TdaCustomDBGrid::CMMouseLeave(TMessage& Message) {
    ClearURLPaint();
    FLastMousePos = TPoint{-1, -1};
    if (titleLastMouseY == 0) InvalidateTitles();
    titleLastMouseX = titleLastMouseY = -1;
    TCustomGrid::CMMouseLeave(Message);
}

bool TdaCustomDBGrid::DoMouseWheelDown(TShiftState, TPoint) {
    if (DataSource() && FDataLink->Active() && FDataLink->DataSet()) FDataLink->DataSet()->Next();
    return true;
}

bool TdaCustomDBGrid::DoMouseWheelUp(TShiftState, TPoint) {
    if (DataSource() && FDataLink->Active() && FDataLink->DataSet()) FDataLink->DataSet()->Prior();
    return true;
}

// ---- Ditto ---------------------------------------------------------------------------------------------

void TdaDittoAttributes::Assign(TPersistent* Source) {
    auto* Other = dynamic_cast<TdaDittoAttributes*>(Source);
    if (!Other) return TPersistent::Assign(Source);
    DittoDirection = Other->DittoDirection;
    ShortCutDittoField = Other->ShortCutDittoField;
    ShortCutDittoRecord = Other->ShortCutDittoRecord;
    Options = Other->Options;
}

void TdaDittoAttributes::Published(TPublisher<TdaDittoAttributes>& P) {
    P.Property(u"DittoDirection", &TdaDittoAttributes::DittoDirection).Default(daDittoPrior);
    P.Property(u"ShortCutDittoField", &TdaDittoAttributes::ShortCutDittoField).Default(0);
    P.Property(u"ShortCutDittoRecord", &TdaDittoAttributes::ShortCutDittoRecord).Default(0);
    P.Property(u"Options", &TdaDittoAttributes::Options);
}

bool TdaCustomDBGrid::DittoText(TField* Field, TdaDittoDirection Direction, String& Text) {
    const TdaDittoOptions O = FDittoAttributes->Options;
    if (O.Contains(dadoSkipReadOnlyFields)) {
        if (Field->ReadOnly()) return false;
        if (TdaColumn* C = ColumnByName(Field->FieldName()); C && C->ReadOnly()) return false;
    }
    if (O.Contains(dadoSkipBlobFields) && dynamic_cast<TBlobField*>(Field)) return false;
    switch (Direction) {
    case daDittoPrior: return GetPriorRecordText(Field->FieldName(), Text);
    case daDittoNext: return GetNextRecordText(Field->FieldName(), Text);
    default:
        return GetPriorRecordText(Field->FieldName(), Text) || GetNextRecordText(Field->FieldName(), Text);
    }
}

bool TdaCustomDBGrid::DittoField(TField* SelectedField, TdaDittoDirection Direction) {
    if (!SelectedField) return false;
    String Text;
    if (!DittoText(SelectedField, Direction, Text)) return false;
    bool Allow = true;
    if (OnDitto) OnDitto(this, FDataLink->DataSet(), SelectedField, Text, Allow);
    if (!Allow) return false;
    if (CanEditModify()) SelectedField->SetAsString(Text);
    return true;
}

bool TdaCustomDBGrid::HandleDittoShortCut(Word Key, TShiftState Shift) {
    const TShortCut Pressed = ShortCut(Key, Shift);
    const TdaDittoAttributes& A = *FDittoAttributes;
    TDataSet* DS = FDataLink->DataSet();
    if (A.ShortCutDittoRecord != 0 && Pressed == A.ShortCutDittoRecord) {
        if (DS && DS->Active()) {
            if (A.Options.Contains(dadoSkipHiddenFields)) {
                for (int I = 0; I < FDataLink->FieldCount(); ++I) DittoField(FDataLink->Fields(I), A.DittoDirection);
            } else {
                for (int I = 0; I < DS->FieldCount(); ++I) DittoField(DS->Fields()[I], A.DittoDirection);
            }
        }
        return true;
    }
    if (A.ShortCutDittoField != 0 && Pressed == A.ShortCutDittoField)
        return DittoField(SelectedField(), A.DittoDirection);
    return false;
}

// ---- The keyboard hook ---------------------------------------------------------------------------

namespace {

// One hook for every grid of the program: installed by the first grid that gets the focus.
HHOOK GGridKeyboardHook = 0;

TdaCustomDBGrid* NearestGrid(TControl* Control) {
    for (; Control; Control = Control->Parent())
        if (auto* Grid = dynamic_cast<TdaCustomDBGrid*>(Control)) return Grid;
    return nullptr;
}

bool IsNavigationKey(Word Key) {
    switch (Key) {
    case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME: case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
    case VK_DELETE: case VK_INSERT:
        return true;
    default:
        return false;
    }
}

// Whether a plain navigation key typed in an edit over a grid belongs to the grid: only at the
// edge of the text the key moves away from.
bool EditLetsKeyGo(TCustomEdit* Edit, Word Key, bool AlwaysShowEditor) {
    const int Start = Edit->SelStart(), Len = Edit->SelLength(), Total = Edit->GetTextLen();
    const bool AllSelected = Start == 0 && Len == Total;
    switch (Key) {
    case VK_HOME:
    case VK_LEFT:
        if (AlwaysShowEditor && Start == 0 && Len == 0) return true;
        if (AllSelected) return true;
        if (auto* Masked = dynamic_cast<TCustomMaskEdit*>(Edit); Masked && !Masked->EditMask().empty())
            return Start == 0 && Len == 1;
        return false;
    case VK_UP:
    case VK_DOWN:
        return AllSelected || Total == 0;
    case VK_RIGHT:
        return AllSelected || (AlwaysShowEditor && Len == 0 && Start == Total);
    default:
        return true;
    }
}

LRESULT daGridKeyboardHook(int Code, WPARAM WParam, LPARAM LParam) {
    // The control concerned: the active control, or the editor of a grid whose editor has the
    // focus.
    TWinControl* Control = Screen ? Screen->ActiveControl() : nullptr;
    if (auto* G = dynamic_cast<TdaCustomDBGrid*>(Control); G && G->InplaceEditor() && G->InplaceEditor()->Focused())
        Control = G->InplaceEditor();
    const LRESULT Next = CallNextHookEx(GGridKeyboardHook, Code, WParam, LParam);
    if (Code != HC_ACTION || !Control || Next != 0) return Next;
    TdaCustomDBGrid* Grid = NearestGrid(Control);
    if (!Grid || !Grid->HandleAllocated()) return 0;
    const Word Key = Word(WParam);
    const bool Up = (static_cast<Cardinal>(LParam) & KF_UP_BIT) != 0;
    const bool Ctrl = GetKeyState(VK_CONTROL) < 0, Alt = GetKeyState(VK_MENU) < 0;
    TShiftState Shift;
    if (Ctrl) Shift.Include(ssCtrl);
    if (Alt) Shift.Include(ssAlt);
    if (GetKeyState(VK_SHIFT) < 0) Shift.Include(ssShift);

    // Enter and Tab in a control over the grid go to the grid.
    if ((Key == VK_RETURN || Key == VK_TAB) && !Ctrl && !Alt) {
        if (Up || !Control->Focused()) return 0;
        TdaCustomDBGrid* Owner = NearestGrid(Control->Parent());
        if (Owner && (Owner->KeyOptions().Contains(dgEnterToTab) || Key == VK_TAB)) {
            PostMessage(Owner->Handle(), WM_KEYDOWN, Key, 0);
            return 1;
        }
        return 0;
    }
    if (!IsNavigationKey(Key)) {
        // The ditto shortcuts; the press that did one is swallowed.
        if (!Up && Grid->HandleDittoShortCut(Key, Shift)) return 1;
        return 0;
    }
    if (Up) return 0;
    auto* Edit = dynamic_cast<TCustomEdit*>(Control);
    if (Ctrl && !Alt) {
        if (Key == VK_INSERT) return 0;
        if (Edit && (Key == VK_END || Key == VK_HOME || Key == VK_LEFT || Key == VK_RIGHT)) return 0;
        if (Control == Grid || daHasChildOutsideClient(Control)) return 0;
        PostMessage(Grid->Handle(), WM_KEYDOWN, Key, 0);
        return 1;
    }
    if (Ctrl || Alt || Key == VK_END || Key == VK_DELETE) return 0;
    if (Control == Grid || daHasChildOutsideClient(Control)) return 0;
    const bool Arrow = Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN;
    if (Arrow && !dynamic_cast<TdaCustomDBGrid*>(Control->Parent())) return 0;
    if (Edit && !EditLetsKeyGo(Edit, Key, Grid->Options().Contains(dgAlwaysShowEditor))) return 0;
    PostMessage(Grid->Handle(), WM_KEYDOWN, Key, 0);
    return 1;
}

} // namespace

void TdaCustomDBGrid::InstallKeyboardHook() {
    if (GGridKeyboardHook == 0) GGridKeyboardHook = SetWindowsHookEx(WH_KEYBOARD, daGridKeyboardHook);
}

void TdaCustomDBGrid::RemoveKeyboardHook() {
    if (GGridKeyboardHook != 0) UnhookWindowsHookEx(std::exchange(GGridKeyboardHook, 0));
}

bool TdaCustomDBGrid::KeyboardHookInstalled() {
    return GGridKeyboardHook != 0;
}
