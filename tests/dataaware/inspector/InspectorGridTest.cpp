// The inspector on a form: rows and columns from the item tree, editing of text, pick-list and
// check-box rows, the keys (through the keyboard hook), expand buttons, border drags, cell
// hints, update brackets, and a picture of the IDE's panel.
#include "InspectorTestSupport.h"

#include "dataaware/grids/GridTestSupport.h"
#include "platform/gui/ExtCtrls.h"

#include <cstdlib>
#include <fstream>

TEST(InspectorGrid, TheIdePanelLaysOutFiveRowsAndItsCaptionColumn) {
    TInspectorForm F;
    EXPECT_EQ(F.Insp->RowCount(), 5);
    EXPECT_EQ(F.Insp->ColCount(), 2);
    EXPECT_EQ(F.Insp->FixedRows(), 0);
    EXPECT_EQ(F.Insp->CaptionWidth(), 136);
    EXPECT_EQ(F.Insp->ColWidths(0), 136);
    EXPECT_EQ(F.Insp->ColWidths(1), F.Insp->ClientWidth() - 136);
    EXPECT_EQ(F.Insp->GetItemByRow(0, false)->Caption(), u"Project Name");
    EXPECT_EQ(F.Insp->GetItemByRow(4, false)->Caption(), u"Baud rate");
    EXPECT_EQ(F.Insp->GetItemByRow(5, false), nullptr);
    EXPECT_EQ(F.Insp->GetRowByItem(F.Tag(u"Created")), -1);
    // Automatic row height: the text height of "0" and 3 pixels.
    TBitmap B(1, 1);
    B.Canvas()->Font()->Assign(F.Insp->Font());
    EXPECT_EQ(F.Insp->RowHeights(0), B.Canvas()->TextHeight(u"0") + 3);

    // The values the IDE writes show as text; its colour handler sees the canvas of the paint.
    F.Tag(u"ProjectName")->SetDisplayText(u"Blink");
    F.Tag(u"ArduinoType")->SetDisplayText(u"Morvane default");
    F.Tag(u"CPU")->SetDisplayText(u"atmega328");
    int Drawn = 0;
    F.Insp->OnDrawDataCell = [&](TObject* S, TdaInspectorItem* It, bool, TRect, bool&) {
        ++Drawn;
        if (It->TagString == u"ProjectName") static_cast<TdaDataInspector*>(S)->Canvas()->Font()->SetColor(0x008000);
    };
    F.Insp->Invalidate();
    auto Pic = GrabControl(F.Insp);
    EXPECT_EQ(Drawn, 5);
    // Some pixel of the first value is green, none of the second.
    auto Has = [&](int Row, TColor C) {
        const TRect R = F.Insp->CellRect(1, Row);
        for (int Y = R.Top; Y < R.Bottom; ++Y)
            for (int X = R.Left; X < R.Right; ++X)
                if (PixelOf(*Pic, X + 2, Y + 2) == C) return true; // the client edge is 2 pixels
        return false;
    };
    EXPECT_TRUE(Has(0, 0x008000));
    EXPECT_FALSE(Has(1, 0x008000));
    // Row boundaries away from the current row are black lines with a highlight under them, in
    // both columns; the focused current row (the first) has the light line of its frame below.
    ASSERT_TRUE(F.Insp->InspectorFocused());
    ASSERT_EQ(F.Insp->Row(), 0);
    const int Y = F.Insp->CellRect(0, 3).Top;
    for (int X : {20, 200}) {
        EXPECT_EQ(PixelOf(*Pic, 2 + X, 2 + Y - 1), clBlack);
        EXPECT_EQ(PixelOf(*Pic, 2 + X, 2 + Y), ColorToRGB(clBtnHighlight));
    }
    const int Bottom0 = F.Insp->CellRect(0, 0).Bottom;
    EXPECT_EQ(PixelOf(*Pic, 2 + 20, 2 + Bottom0 - 1), 0xC0C0C0);
    Pic->SaveToFile(u"ide_panel.bmp");
}

TEST(InspectorGrid, TypingIntoATextRowAndMovingDownStoresTheTextOnce) {
    TInspectorForm F;
    std::vector<String> Changes;
    F.Insp->OnItemChanged = [&](TObject*, TdaInspectorItem* It, const String& V) { Changes.push_back(It->TagString + u"=" + V); };
    F.Insp->SetFocus();
    F.Insp->SetActiveItem(F.Tag(u"CPU"));
    ProcessMessages();
    ASSERT_TRUE(F.Insp->InplaceEditor() && F.Insp->InplaceEditor()->Shown());
    ASSERT_TRUE(F.Insp->InplaceEditor()->Focused());
    F.Type(u"mega");
    F.Key(VK_DOWN);
    EXPECT_EQ(F.Tag(u"CPU")->EditText(), u"mega");
    EXPECT_EQ(Changes, std::vector<String>{u"CPU=mega"});
    EXPECT_EQ(F.Insp->ActiveItem(), F.Tag(u"ComPort"));

    // Rows without an editor of their own show none and take no typing.
    F.Insp->SetActiveItem(F.Tag(u"ArduinoType"));
    ProcessMessages();
    EXPECT_FALSE(F.Insp->InplaceEditor()->Shown());
    EXPECT_EQ(F.Insp->ActiveEdit(), nullptr);
    F.Type(u"x");
    EXPECT_EQ(F.Tag(u"ArduinoType")->EditText(), u"");
}

TEST(InspectorGrid, TabEnterDownAndUpWalkTheRowsFromTheEditor) {
    TInspectorForm F;
    F.Insp->SetFocus();
    F.Insp->SetActiveItem(F.Tag(u"CPU"));
    ProcessMessages();
    ASSERT_NE(TdaDataInspector::KeyboardHookHandle(), 0u);
    F.Key(VK_DOWN);
    EXPECT_EQ(F.Insp->ActiveItem(), F.Tag(u"ComPort"));
    F.Key(VK_RETURN); // Enter acts as Tab
    EXPECT_EQ(F.Insp->ActiveItem(), F.Tag(u"Baudrate"));
    F.Key(VK_UP);
    EXPECT_EQ(F.Insp->ActiveItem(), F.Tag(u"ComPort"));
    F.Key(VK_TAB, {ssShift});
    EXPECT_EQ(F.Insp->ActiveItem(), F.Tag(u"CPU"));
    // Tab skips items without a tab stop and disabled ones.
    F.Tag(u"ComPort")->TabStop = false;
    F.Key(VK_TAB);
    EXPECT_EQ(F.Insp->ActiveItem(), F.Tag(u"Baudrate"));
    // Tab on the last visible item leaves the inspector for the next control.
    F.Key(VK_TAB);
    EXPECT_TRUE(F.Other->Focused());
    EXPECT_EQ(TdaDataInspector::KeyboardHookHandle(), 0u);
}

TEST(InspectorGrid, PickListRowsEditWithTheComboAndShowTheDisplayPart) {
    TInspectorForm F;
    TdaInspectorItem* Baud = F.Tag(u"Baudrate");
    Baud->PickList()->Items()->Add(u"Slow\t9600");
    Baud->PickList()->Items()->Add(u"Fast\t115200");
    Baud->PickList()->MapList = true;
    Baud->SetEditText(u"9600");
    F.Insp->SetFocus();
    F.Insp->SetActiveItem(Baud);
    ProcessMessages();
    TdaInspectorComboBox* Combo = F.Insp->DefaultCombo();
    ASSERT_NE(Combo, nullptr);
    EXPECT_EQ(F.Insp->CurrentCustomEdit(), Combo);
    EXPECT_TRUE(Combo->Visible());
    EXPECT_EQ(Combo->Text(), u"Slow");
    Combo->WriteValue(u"115200");
    F.Insp->MoveToCell(1, F.Insp->GetRowByItem(F.Tag(u"CPU")));
    EXPECT_EQ(Baud->EditText(), u"115200");
    EXPECT_EQ(Baud->DisplayText(), u"Fast");
    EXPECT_FALSE(Combo->Visible());
}

TEST(InspectorGrid, F2KeepsTheArrowKeysInTheCustomEditorUntilTheCellChanges) {
    TInspectorForm F;
    TdaInspectorItem* Baud = F.Tag(u"Baudrate");
    for (const char16_t* L : {u"9600", u"57600", u"115200"})
        Baud->PickList()->Items()->Add(L);
    Baud->SetEditText(u"57600");
    F.Insp->SetFocus();
    F.Insp->SetActiveItem(F.Tag(u"ComPort"));
    ProcessMessages();
    F.Key(VK_DOWN); // from the in-place editor to the combo's row
    ASSERT_EQ(F.Insp->ActiveItem(), Baud);
    ASSERT_TRUE(F.Insp->DefaultCombo()->Focused());
    F.Key(VK_UP); // the hook hands Up to the inspector
    EXPECT_EQ(F.Insp->ActiveItem(), F.Tag(u"ComPort"));
    F.Key(VK_DOWN);
    ASSERT_TRUE(F.Insp->DefaultCombo()->Focused());
    F.Key(VK_F2);
    EXPECT_TRUE(F.Insp->CustomControlKeyMode);
    F.Key(VK_UP); // now the combo keeps it
    EXPECT_EQ(F.Insp->ActiveItem(), Baud);
    F.Insp->MoveToCell(1, F.Insp->GetRowByItem(F.Tag(u"CPU")));
    EXPECT_FALSE(F.Insp->CustomControlKeyMode);
}

TEST(InspectorGrid, AnEditButtonHandlerRunsInsteadOfTheListAndItsValueIsKept) {
    TInspectorForm F;
    TdaInspectorItem* Cpu = F.Tag(u"CPU");
    int Clicks = 0;
    Cpu->OnEditButtonClick = [&](TObject* S, TdaInspectorItem* It) {
        ++Clicks;
        static_cast<TdaDataInspector*>(S)->DefaultCombo()->WriteValue(u"picked");
        EXPECT_EQ(It, Cpu);
    };
    F.Insp->SetFocus();
    F.Insp->SetActiveItem(Cpu);
    ProcessMessages();
    TdaInspectorComboBox* Combo = F.Insp->DefaultCombo();
    ASSERT_NE(Combo, nullptr);
    EXPECT_EQ(F.Insp->CurrentCustomEdit(), Combo);
    Combo->DropDown();
    EXPECT_EQ(Clicks, 1);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Cpu->EditText(), u"picked");
}

TEST(InspectorGrid, CheckBoxRowsToggleBySpaceAndClickButNotWhenDisabled) {
    TInspectorForm F;
    TdaInspectorItem* Cpu = F.Tag(u"CPU");
    Cpu->PickList()->Items()->Add(u"on");
    Cpu->PickList()->Items()->Add(u"off");
    Cpu->PickList()->DisplayAsCheckbox = true;
    Cpu->SetEditText(u"neither");
    int Changes = 0;
    F.Insp->OnItemChanged = [&](TObject*, TdaInspectorItem*, const String&) { ++Changes; };
    F.Insp->SetFocus();
    F.Insp->SetActiveItem(Cpu);
    ProcessMessages();
    EXPECT_TRUE(F.Insp->IsCheckBoxRow(F.Insp->Row()));
    EXPECT_EQ(F.Insp->ActiveEdit(), nullptr);
    F.Key(VK_SPACE); // neither line: the first toggle checks
    EXPECT_EQ(Cpu->EditText(), u"on");
    const TRect Box = F.Insp->GetCheckBoxRect(F.Insp->CellRect(1, F.Insp->Row()));
    ClickMessages(F.Insp, TPoint{Box.Left + 5, Box.Top + 5});
    EXPECT_EQ(Cpu->EditText(), u"off");
    EXPECT_EQ(Changes, 2);
    Cpu->Enabled = false;
    F.Key(VK_SPACE);
    ClickMessages(F.Insp, TPoint{Box.Left + 5, Box.Top + 5});
    EXPECT_EQ(Cpu->EditText(), u"off");
}

TEST(InspectorGrid, ExpandButtonsAndKeysOpenAndCloseBranches) {
    TInspectorForm F;
    TdaInspectorItem* Cpu = F.Tag(u"CPU");
    TdaInspectorItem* Child = Cpu->Items()->Add();
    Child->SetCaption(u"Clock");
    F.Insp->ApplySettings();
    EXPECT_EQ(F.Insp->RowCount(), 5);
    F.Insp->SetFocus();
    F.Insp->SetActiveItem(F.Tag(u"ProjectName"));
    ProcessMessages();
    F.Insp->Invalidate();
    GrabControl(F.Insp); // paints, which places the buttons
    const int Row = F.Insp->GetRowByItem(Cpu);
    // The button centre: one indent half in, on the centred caption.
    EXPECT_EQ(Cpu->ButtonPoint.X, 12 / 2 + 1);
    MouseDownMessage(F.Insp, Cpu->ButtonPoint);
    MouseUpMessage(F.Insp, Cpu->ButtonPoint);
    EXPECT_TRUE(Cpu->Expanded());
    EXPECT_EQ(F.Insp->RowCount(), 6);
    EXPECT_EQ(F.Insp->GetRowByItem(Child), Row + 1);
    EXPECT_EQ(F.Insp->Col(), 1); // the column stays
    // Ctrl+Left collapses, Ctrl+Right expands the current item.
    F.Insp->SetActiveItem(Cpu);
    F.Key(VK_LEFT, {ssCtrl});
    EXPECT_FALSE(Cpu->Expanded());
    EXPECT_EQ(F.Insp->RowCount(), 5);
    F.Key(VK_RIGHT, {ssCtrl});
    EXPECT_TRUE(Cpu->Expanded());
    // Selecting a hidden descendant opens its ancestors.
    Cpu->SetExpanded(false);
    F.Insp->SetActiveItem(Child);
    EXPECT_TRUE(Cpu->Expanded());
    EXPECT_EQ(F.Insp->ActiveItem(), Child);
    F.Insp->Invalidate();
    GrabControl(F.Insp)->SaveToFile(u"tree.bmp");
}

TEST(InspectorGrid, BorderDragsSizeTheCaptionColumnAndResizeableRows) {
    TInspectorForm F;
    F.Insp->SetFocus();
    ProcessMessages();
    const int W = F.Insp->ClientWidth();
    const int Y = F.CellCenter(0, 0).Y;
    MouseDownMessage(F.Insp, TPoint{136, Y});
    MouseMessage(F.Insp, WM_MOUSEMOVE, TPoint{5, Y});
    MouseUpMessage(F.Insp, TPoint{5, Y});
    EXPECT_EQ(F.Insp->CaptionWidth(), 10);
    MouseDownMessage(F.Insp, TPoint{10, Y});
    MouseMessage(F.Insp, WM_MOUSEMOVE, TPoint{W, Y});
    MouseUpMessage(F.Insp, TPoint{W, Y});
    EXPECT_EQ(F.Insp->CaptionWidth(), W - 20);
    EXPECT_EQ(F.Insp->ColWidths(1), 20);
    F.Insp->SetCaptionWidth(136);

    // A row border moves only for a Resizeable item, and only in the caption column.
    TdaInspectorItem* Cpu = F.Tag(u"CPU");
    const int Row = F.Insp->GetRowByItem(Cpu);
    const int Bottom = F.Insp->CellRect(0, Row).Bottom;
    MouseDownMessage(F.Insp, TPoint{40, Bottom});
    MouseMessage(F.Insp, WM_MOUSEMOVE, TPoint{40, Bottom + 20});
    MouseUpMessage(F.Insp, TPoint{40, Bottom + 20});
    EXPECT_EQ(Cpu->CellHeight(), 0);
    Cpu->Resizeable = true;
    for (int X : {200, 40}) {
        MouseDownMessage(F.Insp, TPoint{X, Bottom});
        MouseMessage(F.Insp, WM_MOUSEMOVE, TPoint{X, Bottom + 20});
        MouseUpMessage(F.Insp, TPoint{X, Bottom + 20});
    }
    EXPECT_EQ(Cpu->CellHeight(), F.Insp->RowHeights(Row));
    EXPECT_EQ(F.Insp->RowHeights(Row), F.Insp->CellRect(0, Row).Height());
    EXPECT_GT(Cpu->CellHeight(), 25);
}

TEST(InspectorGrid, AValueLongerThanItsCellGetsAHintThatGoesWithTheMouse) {
    TInspectorForm F;
    F.Insp->SetOptions(F.Insp->Options() + TdaDataInspectorOptions{ovShowCellHints});
    F.Tag(u"ComPort")->SetEditText(u"a value much too long to fit into the narrow value column of the panel");
    F.Tag(u"Baudrate")->SetEditText(u"9600");
    const TPoint Long = F.CellCenter(1, 3), Short = F.CellCenter(1, 4);
    MouseMessage(F.Insp, WM_MOUSEMOVE, Short);
    EXPECT_EQ(F.Insp->CellHintWindow(), nullptr);
    MouseMessage(F.Insp, WM_MOUSEMOVE, Long);
    ASSERT_NE(F.Insp->CellHintWindow(), nullptr);
    EXPECT_EQ(F.Insp->CellHintWindow()->Caption(), F.Tag(u"ComPort")->EditText());
    MouseMessage(F.Insp, WM_MOUSEMOVE, Short);
    EXPECT_EQ(F.Insp->CellHintWindow(), nullptr);
}

TEST(InspectorGrid, UpdateBracketsCountWhateverTheVisibility) {
    TInspectorForm F;
    F.Insp->SetVisible(false);
    F.Insp->BeginUpdate();
    F.Insp->SetVisible(true);
    F.Insp->BeginUpdate();
    EXPECT_EQ(F.Insp->UpdateCount(), 2);
    F.Insp->EndUpdate(true);
    F.Insp->EndUpdate(true);
    EXPECT_EQ(F.Insp->UpdateCount(), 0);
    F.Insp->EndUpdate(false); // never below 0
    EXPECT_EQ(F.Insp->UpdateCount(), 0);
    // Redrawing is on again: a value written now shows.
    F.Tag(u"CPU")->SetDisplayText(u"zz");
    F.Insp->Invalidate();
    F.Insp->BeginUpdate();
    F.Insp->EndUpdate(true);
    const int Before = F.Insp->UpdateCount();
    EXPECT_EQ(Before, 0);
}

TEST(InspectorGrid, DataColumnsBelowOneAreOneAndSeveralShareTheWidth) {
    TInspectorForm F(false, 304, 120);
    ASSERT_EQ(F.Insp->ClientWidth(), 300);
    F.Insp->SetDataColumns(0);
    EXPECT_EQ(F.Insp->DataColumns(), 1);
    EXPECT_EQ(F.Insp->ColCount(), 2);
    F.Insp->SetDataColumns(3);
    EXPECT_EQ(F.Insp->ColWidths(1), 66);
    EXPECT_EQ(F.Insp->ColWidths(3), 66);
    EXPECT_EQ(F.Insp->ColWidths(0), 102);
    F.Insp->SetCaptionWidth(5);
    EXPECT_EQ(F.Insp->CaptionWidth(), 10);
}

TEST(InspectorGrid, TheSharedHookGoesOnlyWithTheInspectorThatInstalledIt) {
    TInspectorForm F;
    auto* Second = new TdaDataInspector(&F.Form);
    Second->SetParent(&F.Form);
    Second->SetBounds(100, 170, 100, 40);
    Second->Items()->Add()->SetCaption(u"x");
    Second->ApplySettings();
    F.Insp->SetFocus();
    ProcessMessages();
    const HHOOK H = TdaDataInspector::KeyboardHookHandle();
    ASSERT_NE(H, 0u);
    // Another inspector going away leaves the focused one its hook.
    delete Second;
    EXPECT_EQ(TdaDataInspector::KeyboardHookHandle(), H);
    F.Key(VK_DOWN);
    EXPECT_EQ(F.Insp->Row(), 1);
    // The installer losing the focus removes it; the last inspector going takes it too.
    F.Other->SetFocus();
    ProcessMessages();
    EXPECT_EQ(TdaDataInspector::KeyboardHookHandle(), 0u);
    F.Insp->SetFocus();
    ProcessMessages();
    ASSERT_NE(TdaDataInspector::KeyboardHookHandle(), 0u);
    delete F.Insp;
    EXPECT_EQ(TdaDataInspector::KeyboardHookHandle(), 0u);
}

namespace {
struct TThemeScope {
    explicit TThemeScope(bool On) : FOld(IsThemeActive()) { SetThemeActive(On); }
    ~TThemeScope() { SetThemeActive(FOld); }
    bool FOld;
};
} // namespace

TEST(InspectorGrid, CheckBoxesAndExpandButtonsTakeTheThemeWhenThemesAreOn) {
    TThemeScope Themes(true);
    TInspectorForm F;
    auto MakeBox = [](TdaInspectorItem* It, const char16_t* Value) {
        It->PickList()->Items()->Add(u"on");
        It->PickList()->Items()->Add(u"off");
        It->PickList()->DisplayAsCheckbox = true;
        It->SetEditText(Value);
    };
    TdaInspectorItem* Cpu = F.Tag(u"CPU");
    TdaInspectorItem* Com = F.Tag(u"ComPort");
    MakeBox(Cpu, u"on");
    MakeBox(Com, u"off");
    Com->Enabled = false;
    TdaInspectorItem* Baud = F.Tag(u"Baudrate");
    Baud->Items()->Add()->SetCaption(u"Parity");
    F.Insp->ApplySettings();
    F.Insp->SetFocus();
    F.Insp->SetActiveItem(Cpu);
    ProcessMessages();
    // The themed box is the 13-pixel square in the middle of the check-box rectangle.
    auto Corner = [&](TdaInspectorItem* It, TBitmap& Pic) {
        const TRect B = F.Insp->GetCheckBoxRect(F.Insp->CellRect(1, F.Insp->GetRowByItem(It)));
        return RgbOf(Pic, 2 + B.Left + 2, 2 + B.Top); // the client edge is 2 pixels
    };
    auto Grab = [&] {
        F.Insp->Invalidate();
        return GrabControl(F.Insp);
    };
    auto Pic = Grab();
    EXPECT_EQ(Corner(Cpu, *Pic), 0x707070u);
    EXPECT_EQ(Corner(Com, *Pic), 0xBCBCBCu) << "a disabled item's box is drawn disabled";
    const TPoint Btn = Baud->ButtonPoint;
    EXPECT_EQ(RgbOf(*Pic, 2 + Btn.X - 3, 2 + Btn.Y), 0x8C8C8Cu) << "the closed tree glyph";
    Keep(*Pic, "inspector_themed");

    // The mouse over the current column's box lights it, and leaving the cell puts it out.
    const TRect Cell = F.Insp->CellRect(1, F.Insp->Row());
    MouseMessage(F.Insp, WM_MOUSEMOVE, TPoint{Cell.Left + 30, (Cell.Top + Cell.Bottom) / 2});
    EXPECT_EQ(F.Insp->HotCell(), (TGridCoord{1, F.Insp->Row()}));
    EXPECT_EQ(Corner(Cpu, *Grab()), 0xFF9933u);
    MouseMessage(F.Insp, WM_MOUSEMOVE, TPoint{20, (Cell.Top + Cell.Bottom) / 2});
    EXPECT_EQ(F.Insp->HotCell(), (TGridCoord{-1, -1}));
    EXPECT_EQ(Corner(Cpu, *Grab()), 0x707070u);

    // DisableThemes keeps the classic look: a sunken box and a black square button.
    F.Insp->DisableThemes = true;
    Pic = Grab();
    const TRect B = F.Insp->GetCheckBoxRect(F.Insp->CellRect(1, F.Insp->Row()));
    EXPECT_EQ(PixelOf(*Pic, 2 + B.Left + 2, 2 + B.Top), ColorToRGB(clBtnShadow));
    EXPECT_EQ(PixelOf(*Pic, 2 + Btn.X - 5, 2 + Btn.Y - 4), clBlack);
}

TEST(InspectorGrid, ACustomControlShowsItsOwnImageInItsCellWhileAnotherRowIsEdited) {
    TInspectorForm F;
    // A yellow panel's image shows in the cell of the item it serves.
    auto* Swatch = new TPanel(&F.Form);
    Swatch->SetColor(clYellow);
    TdaInspectorItem* Cpu = F.Tag(u"CPU");
    Cpu->SetCustomControl(Swatch);
    F.Insp->SetFocus();
    F.Insp->SetActiveItem(F.Tag(u"ComPort"));
    ProcessMessages();
    auto Yellow = [&] {
        F.Insp->Invalidate();
        auto Pic = GrabControl(F.Insp);
        const TRect R = F.Insp->CellRect(1, F.Insp->GetRowByItem(Cpu));
        int N = 0;
        for (int Y = R.Top; Y < R.Bottom; ++Y)
            for (int X = R.Left; X < R.Right; ++X)
                if (RgbOf(*Pic, X + 2, Y + 2) == 0x00FFFF) ++N;
        return double(N) / (R.Width() * R.Height());
    };
    // The hidden control paints its image into its cell.
    EXPECT_GT(Yellow(), 0.5);
    EXPECT_FALSE(Swatch->Visible());
    // A control that does not always paint leaves the cell to the item's text.
    Cpu->CustomControlAlwaysPaints = false;
    EXPECT_EQ(Yellow(), 0.0);
    Cpu->CustomControlAlwaysPaints = true;

    // An edit shows the item's text; it paints its picture on the cell's own colours.
    auto* Edit = new TdaDBEdit(&F.Form);
    Cpu->SetEditText(u"mega");
    Cpu->SetCustomControl(Edit);
    F.Insp->Invalidate();
    GrabControl(F.Insp);
    EXPECT_FALSE(Edit->Visible());
    EXPECT_EQ(Edit->Text(), u"mega");

    // On its own row the control itself edits the cell.
    F.Insp->SetActiveItem(Cpu);
    ProcessMessages();
    EXPECT_TRUE(Edit->Visible());
    EXPECT_TRUE(Edit->Focused());
    const TRect R = F.Insp->CellRect(1, F.Insp->Row());
    EXPECT_EQ(Edit->BoundsRect(), TRect(R.Left + 1, R.Top, R.Right - 1, R.Bottom - 1));
    Edit->SelectAll();
    F.Type(u"tiny");
    F.Key(VK_DOWN);
    EXPECT_EQ(Cpu->EditText(), u"tiny");
    EXPECT_FALSE(Edit->Visible());
    Keep(*GrabControl(F.Insp), "inspector_custom_control");
}
