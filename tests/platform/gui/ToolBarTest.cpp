// Tool bars: laying out buttons, separators and other controls in rows or a column; tool
// buttons following and running their actions, check buttons and groups, drop-down buttons,
// and the buttons' looks.
#include "CommonControlsTestSupport.h"

#include "platform/base/Strings.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Menus.h"

namespace {

enum TItemKind { ikButton, ikSeparator, ikDropDown, ikControl, ikHidden, ikWrap };

struct TBarItem {
    TItemKind Kind;
    TRect Expected; // in the bar's client area
};

struct TBarCase {
    const char* Name;
    TAlign Align;
    int Width, Height; // of the bar
    bool Wrapable;
    int Indent;
    std::vector<TBarItem> Items;
    int Rows;
};

// Buttons of 31 x 30 (the IDE's), separators of 8, a 50 x 20 control.
// clang-format off
const TBarCase BarCases[] = {
    {"Row", alTop, 300, 36, true, 0,
     {{ikButton, Rect(0, 0, 31, 30)},
      {ikButton, Rect(31, 0, 62, 30)},
      {ikSeparator, Rect(62, 0, 70, 30)},
      {ikButton, Rect(70, 0, 101, 30)}},
     1},
    {"Wraps", alNone, 80, 66, true, 0,
     {{ikButton, Rect(0, 0, 31, 30)}, {ikButton, Rect(31, 0, 62, 30)}, {ikButton, Rect(0, 30, 31, 60)}},
     2},
    {"RunsOnWithoutWrapable", alNone, 80, 36, false, 0,
     {{ikButton, Rect(0, 0, 31, 30)}, {ikButton, Rect(31, 0, 62, 30)}, {ikButton, Rect(62, 0, 93, 30)}},
     1},
    {"WrapAfterAButton", alTop, 300, 66, true, 4,
     {{ikWrap, Rect(4, 0, 35, 30)}, {ikButton, Rect(4, 30, 35, 60)}},
     2},
    {"HiddenButtonsTakeNoRoom", alTop, 300, 36, true, 0,
     {{ikButton, Rect(0, 0, 31, 30)}, {ikHidden, Rect(0, 0, 31, 30)}, {ikButton, Rect(31, 0, 62, 30)}},
     1},
    {"DropDownAndAControlInTheMiddle", alTop, 300, 36, true, 0,
     {{ikDropDown, Rect(0, 0, 45, 30)}, {ikControl, Rect(45, 5, 95, 25)}, {ikButton, Rect(95, 0, 126, 30)}},
     1},
    // Aligned to a side, the bar runs top to bottom; a separator lies across it.
    {"Column", alLeft, 31, 200, true, 0,
     {{ikButton, Rect(0, 0, 31, 30)},
      {ikButton, Rect(0, 30, 31, 60)},
      {ikSeparator, Rect(0, 60, 31, 68)},
      {ikButton, Rect(0, 68, 31, 98)}},
     1},
};
// clang-format on

class BarLayout : public ::testing::TestWithParam<TBarCase> {};

} // namespace

TEST_P(BarLayout, PlacesItsItemsInOrder) {
    const TBarCase& K = GetParam();
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 400, 300);
    auto* Bar = new TToolBar(&Form);
    Bar->SetEdgeBorders({});
    Bar->SetButtonWidth(31);
    Bar->SetButtonHeight(30);
    Bar->SetWrapable(K.Wrapable);
    Bar->SetIndent(K.Indent);
    Bar->SetAlign(K.Align);
    Bar->SetBounds(0, 0, K.Width, K.Height);
    Bar->SetParent(&Form);
    std::vector<TControl*> Items;
    for (const TBarItem& Item : K.Items) {
        if (Item.Kind == ikControl) {
            auto* C = new TTestPanel(&Form, Bar);
            C->SetBounds(0, 0, 50, 20);
            Items.push_back(C);
            continue;
        }
        auto* B = new TToolButton(&Form);
        if (Item.Kind == ikSeparator) B->SetStyle(tbsSeparator);
        if (Item.Kind == ikDropDown) B->SetStyle(tbsDropDown);
        if (Item.Kind == ikWrap) B->SetWrap(true);
        if (Item.Kind == ikHidden) B->SetVisible(false);
        B->SetParent(Bar);
        Items.push_back(B);
    }
    for (std::size_t I = 0; I < Items.size(); ++I) {
        if (K.Items[I].Kind != ikHidden) {
            EXPECT_EQ(Items[I]->BoundsRect(), K.Items[I].Expected) << "item " << I;
        }
    }
    EXPECT_EQ(Bar->RowCount(), K.Rows);
    EXPECT_EQ(Bar->Vertical(), K.Align == alLeft);
    EXPECT_EQ(static_cast<TControl*>(Bar->Buttons(0)), Items[0]);
}

INSTANTIATE_TEST_SUITE_P(ToolBar, BarLayout, ::testing::ValuesIn(BarCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(ToolBar, SizesItselfAndItsButtonsToFit) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 400, 300);
    auto* Bar = new TToolBar(&Form);
    Bar->SetAlign(alNone);
    Bar->SetParent(&Form);
    Bar->SetWidth(60);
    Bar->SetAutoSize(true);
    for (int I = 0; I < 3; ++I)
        (new TToolButton(&Form))->SetParent(Bar);
    // Three 23 x 22 buttons in two rows, under the 2-pixel top edge.
    EXPECT_EQ(Bar->RowCount(), 2);
    EXPECT_EQ(Bar->Height(), 2 + 2 * 22);
    EXPECT_EQ(Bar->Width(), 60);
    // Captions make the buttons as large as the longest needs, all alike.
    auto Images = ColourImages({clRed});
    Bar->SetImages(Images.get());
    Bar->Buttons(0)->SetCaption(u"Open");
    Bar->Buttons(1)->SetCaption(u"A much longer caption");
    Bar->SetShowCaptions(true);
    const int W = Bar->Buttons(0)->Width();
    EXPECT_GT(W, 100);
    EXPECT_EQ(Bar->Buttons(2)->Width(), W);
    EXPECT_GE(Bar->Buttons(0)->Height(), 16 + 13 + 8);
    Bar->SetList(true);
    EXPECT_GT(Bar->Buttons(0)->Width(), W);
    EXPECT_LT(Bar->Buttons(0)->Height(), 16 + 13 + 8);
}

TEST(ToolBar, AutoSizedButtonsTakeTheWidthOfTheirOwnCaption) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 600, 300);
    auto* Bar = new TToolBar(&Form);
    Bar->SetAlign(alNone);
    Bar->SetBounds(0, 0, 580, 40);
    Bar->SetEdgeBorders({});
    Bar->SetButtonWidth(23);
    Bar->SetParent(&Form);
    Bar->SetShowCaptions(true);
    const String Captions[] = {u"Go", u"A much longer caption", u"Go", u"Somewhat longer"};
    for (const String& Caption : Captions) {
        auto* B = new TToolButton(&Form);
        B->SetCaption(Caption);
        B->SetParent(Bar);
    }
    TToolButton* Short = Bar->Buttons(0);
    TToolButton* Long = Bar->Buttons(1);
    TToolButton* Other = Bar->Buttons(2);
    TToolButton* Middle = Bar->Buttons(3);
    const int Widest = Long->Width();
    EXPECT_EQ(Short->Width(), Widest);

    // Auto-sized, a short caption gets a narrow button that still holds its text, and the
    // buttons after it close up; the others keep the widest caption's width.
    Short->SetAutoSize(true);
    Middle->SetAutoSize(true);
    TBitmap Measure(1, 1);
    Measure.Canvas()->Font()->Assign(Bar->Font());
    EXPECT_GE(Short->Width(), Measure.Canvas()->TextWidth(u"Go") + 8);
    EXPECT_LT(Short->Width(), Widest / 2);
    EXPECT_GE(Short->Width(), 23);
    EXPECT_EQ(Long->Left(), Short->BoundsRect().Right);
    EXPECT_EQ(Long->Width(), Widest);
    EXPECT_EQ(Other->Width(), Widest);
    EXPECT_GT(Middle->Width(), Short->Width());
    EXPECT_LT(Middle->Width(), Widest);
    EXPECT_EQ(Middle->Left(), Other->BoundsRect().Right);

    // A new caption sizes it again.
    Short->SetCaption(u"A much longer caption");
    EXPECT_EQ(Short->Width(), Widest);
    Short->SetCaption(u"Go");
    EXPECT_LT(Short->Width(), Widest / 2);

    // Without captions shown, or when no longer auto-sized, it is as wide as the others.
    Bar->SetShowCaptions(false);
    EXPECT_EQ(Short->Width(), Other->Width());
    Bar->SetShowCaptions(true);
    Short->SetAutoSize(false);
    EXPECT_EQ(Short->Width(), Widest);
    EXPECT_EQ(Long->Left(), Widest);
}

TEST_F(TFormFixture, ToolButtonsFollowTheirActionsAndRunThem) {
    auto Images = ColourImages({clRed, clLime, clBlue});
    auto* List = new TActionList(Form);
    auto* Collapse = new TAction(Form);
    Collapse->SetActionList(List);
    Collapse->SetCaption(u"Collapse pane");
    Collapse->SetHint(u"Collapse the pane");
    Collapse->SetImageIndex(0);
    auto* Expand = new TAction(Form);
    Expand->SetActionList(List);
    Expand->SetCaption(u"Expand pane");
    Expand->SetImageIndex(1);
    std::vector<std::string> Log;
    Collapse->OnExecute = [&](TObject* Sender) {
        auto* A = static_cast<TBasicAction*>(Sender);
        Log.push_back(A->ActionComponent() ? "collapse by " + StringToUtf8(A->ActionComponent()->Name())
                                           : "collapse");
    };
    Expand->OnExecute = [&](TObject*) { Log.push_back("expand"); };
    auto* Bar = new TToolBar(Form);
    Bar->SetParent(Form);
    Bar->SetImages(Images.get());
    Bar->SetFlat(true);
    auto* Button = new TToolButton(Form);
    Button->SetName(u"btnPane");
    Button->SetParent(Bar);
    Button->SetAction(Collapse);
    EXPECT_EQ(Button->Caption(), u"Collapse pane");
    EXPECT_EQ(Button->Hint(), u"Collapse the pane");
    EXPECT_EQ(Button->ImageIndex(), 0);
    Form->Show();
    Pump();
    TMessageLog Messages(Button);
    const TPoint Middle{Button->Left() + Button->Width() / 2, Button->Top() + Button->Height() / 2};
    EXPECT_EQ(PixelAt(Grab(Form), Middle.X + 0, Middle.Y + Bar->Top() + 2), clRed);
    Click(Bar, Middle);
    EXPECT_EQ(Log, std::vector<std::string>{"collapse by btnPane"});
    EXPECT_EQ(Messages.Of(WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(Messages.Of(WM_LBUTTONUP).size(), 1u);

    // The action's changes reach the button.
    Collapse->SetEnabled(false);
    EXPECT_FALSE(Button->Enabled());
    Click(Bar, Middle);
    EXPECT_EQ(Log.size(), 1u); // a disabled button runs nothing
    Pump();
    EXPECT_NE(PixelAt(Grab(Form), Middle.X, Middle.Y + Bar->Top() + 2), clRed); // drawn disabled
    Collapse->SetEnabled(true);
    Collapse->SetHint(u"Fold");
    Collapse->SetChecked(true);
    EXPECT_EQ(Button->Hint(), u"Fold");
    EXPECT_TRUE(Button->Down());
    Collapse->SetVisible(false);
    EXPECT_FALSE(Button->Visible());
    Collapse->SetVisible(true);
    // Idle-time updates enable and disable it too.
    Collapse->OnUpdate = [](TObject* Sender) { static_cast<TAction*>(Sender)->SetEnabled(false); };
    IdleUpdateActions();
    EXPECT_FALSE(Button->Enabled());
    Collapse->OnUpdate = nullptr;
    Collapse->SetEnabled(true);

    // Another action takes over what the button shows and runs.
    Button->SetAction(Expand);
    EXPECT_EQ(Button->Caption(), u"Expand pane");
    EXPECT_EQ(Button->ImageIndex(), 1);
    EXPECT_FALSE(Button->Down());
    Click(Bar, Middle);
    EXPECT_EQ(Log.back(), "expand");
    // OnClick comes before the action.
    Button->OnClick = [&](TObject*) { Log.push_back("click"); };
    Click(Bar, Middle);
    EXPECT_EQ(Log.back(), "click");
    EXPECT_EQ(Log.size(), 3u);
    // An action that goes leaves the button alone.
    delete Expand;
    EXPECT_EQ(Button->Action(), nullptr);
    EXPECT_EQ(Button->Caption(), u"Expand pane");
    Form->Hide();
}

TEST_F(TFormFixture, CheckButtonsStayDownAndGroupsKeepOneDown) {
    auto* Bar = new TToolBar(Form);
    Bar->SetParent(Form);
    std::vector<TToolButton*> B;
    for (int I = 0; I < 4; ++I) {
        auto* T = new TToolButton(Form);
        T->SetParent(Bar);
        T->SetStyle(tbsCheck);
        T->SetGrouped(I < 3);
        B.push_back(T);
    }
    Form->Show();
    auto Press = [&](int I) { Click(Bar, {B[I]->Left() + 5, B[I]->Top() + 5}); };
    auto Downs = [&] {
        std::string S;
        for (TToolButton* T : B)
            S += T->Down() ? '1' : '0';
        return S;
    };
    Press(3);
    EXPECT_EQ(Downs(), "0001");
    Press(3);
    EXPECT_EQ(Downs(), "0000"); // alone, a check button comes up again
    Press(0);
    Press(1);
    EXPECT_EQ(Downs(), "0100");
    Press(1);
    EXPECT_EQ(Downs(), "0100"); // the group keeps one down
    B[1]->SetAllowAllUp(true);
    Press(1);
    EXPECT_EQ(Downs(), "0000");
    B[2]->SetDown(true);
    B[0]->SetDown(true);
    EXPECT_EQ(Downs(), "1000");

    // An auto-checked action checks its button once, through the link.
    auto* A = new TAction(Form);
    A->SetAutoCheck(true);
    A->OnExecute = [](TObject*) {};
    B[3]->SetAction(A);
    Press(3);
    EXPECT_TRUE(A->Checked());
    EXPECT_TRUE(B[3]->Down());
    Press(3);
    EXPECT_FALSE(A->Checked());
    EXPECT_FALSE(B[3]->Down());
}

TEST_F(TFormFixture, DropDownButtonsShowTheirMenuFromTheArrow) {
    auto* Bar = new TToolBar(Form);
    Bar->SetParent(Form);
    auto* Menu = new TPopupMenu(Form);
    auto* Button = new TToolButton(Form);
    Button->SetParent(Bar);
    Button->SetStyle(tbsDropDown);
    Button->SetDropdownMenu(Menu);
    int Popups = 0, Clicks = 0;
    Menu->OnPopup = [&](TObject*) { ++Popups; };
    Button->OnClick = [&](TObject*) { ++Clicks; };
    Form->Show();
    EXPECT_EQ(Button->Width(), 23 + 14);
    Click(Bar, {Button->Left() + Button->Width() - 5, 5}); // the arrow
    EXPECT_EQ(Popups, 1);
    EXPECT_EQ(Clicks, 0);
    EXPECT_EQ(Menu->PopupComponent(), Button);
    Click(Bar, {Button->Left() + 5, 5});
    EXPECT_EQ(Popups, 1);
    EXPECT_EQ(Clicks, 1);
    delete Menu;
    EXPECT_EQ(Button->DropdownMenu(), nullptr);
    Form->Hide();
}

TEST_F(TFormFixture, FlatButtonsRaiseUnderThePointer) {
    auto* Bar = new TToolBar(Form);
    Bar->SetParent(Form);
    Bar->SetFlat(true);
    Bar->SetEdgeBorders({});
    auto* Button = new TToolButton(Form);
    Button->SetParent(Bar);
    Form->Show();
    Pump();
    EXPECT_EQ(PixelAt(Grab(Form), 5, 0), ColorToRGB(clBtnFace));
    SendMouse(Bar, QEvent::MouseMove, {5, 5});
    Pump();
    EXPECT_EQ(PixelAt(Grab(Form), 5, 0), ColorToRGB(clBtnHighlight));
    SendMouse(Bar, QEvent::MouseMove, {100, 5});
    Pump();
    EXPECT_EQ(PixelAt(Grab(Form), 5, 0), ColorToRGB(clBtnFace));
    // Held down, it is sunken: the shadow on its top edge.
    SendMouse(Bar, QEvent::MouseButtonPress, {5, 5});
    Pump();
    EXPECT_EQ(PixelAt(Grab(Form), 5, 0), ColorToRGB(clBtnShadow));
    SendMouse(Bar, QEvent::MouseButtonRelease, {5, 5});
    Form->Hide();
}

TEST_F(TFormFixture, ToolButtonsTakeDisabledAndHotImages) {
    auto Normal = ColourImages({clRed}), Disabled = ColourImages({clLime}), Hot = ColourImages({clBlue});
    auto* Bar = new TToolBar(Form);
    Bar->SetParent(Form);
    Bar->SetEdgeBorders({});
    Bar->SetFlat(true);
    Bar->SetImages(Normal.get());
    Bar->SetDisabledImages(Disabled.get());
    Bar->SetHotImages(Hot.get());
    auto* Off = new TToolButton(Form);
    Off->SetParent(Bar);
    Off->SetImageIndex(0);
    Off->SetEnabled(false);
    auto* On = new TToolButton(Form);
    On->SetParent(Bar);
    On->SetImageIndex(0);
    Form->Show();
    Pump();
    const TPoint OffMiddle{Off->Left() + 11, 11}, OnMiddle{On->Left() + 11, 11};
    QImage I = Grab(Form);
    EXPECT_EQ(PixelAt(I, OffMiddle.X, OffMiddle.Y), clLime);
    EXPECT_EQ(PixelAt(I, OnMiddle.X, OnMiddle.Y), clRed);
    SendMouse(Bar, QEvent::MouseMove, OnMiddle);
    Pump();
    EXPECT_EQ(PixelAt(Grab(Form), OnMiddle.X, OnMiddle.Y), clBlue);
    // Freed lists are forgotten.
    Hot.reset();
    Disabled.reset();
    EXPECT_EQ(Bar->HotImages(), nullptr);
    EXPECT_EQ(Bar->DisabledImages(), nullptr);
    EXPECT_EQ(Bar->Images(), Normal.get());
    Form->Hide();
}
