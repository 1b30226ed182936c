#include "platform/base/Strings.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Menus.h"
#include "platform/gui/MenusQt.h"
#include "platform/gui/Forms.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A form's worth of components: the owner of the menu and its items.
struct MenuFixture : ::testing::Test {
    TComponent Form{nullptr};

    TMenuItem* Item(TMenuItem* Parent, const String& Caption, TShortCut Key = 0) {
        auto* I = new TMenuItem(&Form);
        I->SetCaption(Caption);
        I->SetShortCut(Key);
        if (Parent) Parent->Add(I);
        return I;
    }
};

std::vector<QString> Texts(const QWidget* W) {
    std::vector<QString> Result;
    for (QAction* A : W->actions())
        Result.push_back(A->isSeparator() ? QStringLiteral("-") : A->text());
    return Result;
}

} // namespace

TEST(ShortCuts, TextsRoundTrip) {
    struct Case {
        TShortCut ShortCut;
        String Text;
    };
    const Case Cases[] = {
        {scCtrl | 'S', u"Ctrl+S"},
        {scShift | VK_F3, u"Shift+F3"},
        {scShift | scCtrl | VK_DELETE, u"Shift+Ctrl+Del"},
        {VK_F9, u"F9"},
        {scAlt | VK_LEFT, u"Alt+Left"},
        {scShift | scCtrl | scAlt | 'A', u"Shift+Ctrl+Alt+A"},
        {VK_RETURN, u"Enter"},
        {0x08, u"BkSp"},
        {0x09, u"Tab"},
        {VK_ESCAPE, u"Esc"},
        {scCtrl | VK_SPACE, u"Ctrl+Space"},
        {VK_PRIOR, u"PgUp"},
        {VK_INSERT, u"Ins"},
        {VK_F24, u"F24"},
        {'0', u"0"},
        {scCtrl | VK_ADD, u"Ctrl+Num +"},
        {scCtrl | VK_OEM_PLUS, u"Ctrl+="},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(ShortCutToText(C.ShortCut), C.Text);
        EXPECT_EQ(TextToShortCut(C.Text), C.ShortCut) << StringToUtf8(C.Text);
    }
}

TEST(ShortCuts, ReadingAndPacking) {
    struct Case {
        String Text;
        TShortCut ShortCut;
    };
    const Case Cases[] = {
        {u"Ctrl+Shift+Del", scShift | scCtrl | VK_DELETE}, // modifiers in any order
        {u"ctrl+s", scCtrl | 'S'},
        {u"^S", scCtrl | 'S'},
        {u"SHIFT+f3", scShift | VK_F3},
        {u"Alt+Ctrl+Enter", scAlt | scCtrl | VK_RETURN},
        {u"", 0},
        {u"Ctrl+", 0},
        {u"Hyper+X", 0},
        {u"F25", 0},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(TextToShortCut(C.Text), C.ShortCut) << StringToUtf8(C.Text);

    // The number pad's digits show as digits; the text reads back as the main digit key.
    EXPECT_EQ(ShortCutToText(VK_NUMPAD5), u"5");
    EXPECT_EQ(ShortCutToText(0), u"");
    EXPECT_EQ(ShortCutToText(0xFF), u"");

    EXPECT_EQ(ShortCut('S', {ssCtrl}), scCtrl | 'S');
    EXPECT_EQ(ShortCut(VK_F3, {ssShift, ssAlt, ssLeft}), scShift | scAlt | VK_F3);
    EXPECT_EQ(ShortCut(0x100, {ssCtrl}), 0);
    Word Key = 0;
    TShiftState Shift;
    ShortCutToKey(scShift | scCtrl | VK_DELETE, Key, Shift);
    EXPECT_EQ(Key, VK_DELETE);
    EXPECT_EQ(Shift, (TShiftState{ssShift, ssCtrl}));

    EXPECT_EQ(StripHotkey(u"&Save && Exit"), u"Save & Exit");
    EXPECT_EQ(StripHotkey(u"Boards &&& shields"), u"Boards & shields");
}

TEST_F(MenuFixture, ItemTrees) {
    TMainMenu Menu(&Form);
    TMenuItem* File = Item(Menu.Items(), u"&File");
    TMenuItem* Open = Item(File, u"&Open...");
    TMenuItem* Line = Item(File, u"-");
    TMenuItem* Exit = Item(File, u"E&xit");
    TMenuItem* Save = Item(nullptr, u"&Save");
    File->Insert(1, Save);
    EXPECT_EQ(File->Count(), 4);
    EXPECT_EQ(File->Items(1), Save);
    EXPECT_EQ(Save->Parent(), File);
    EXPECT_EQ(Save->MenuIndex(), 1);
    EXPECT_EQ(File->IndexOf(Exit), 3);
    EXPECT_TRUE(Line->IsLine());
    EXPECT_EQ(File->Find(u"open..."), Open);
    EXPECT_EQ(File->Find(u"&Exit"), Exit);
    EXPECT_EQ(File->Find(u"Close"), nullptr);
    EXPECT_EQ(Exit->GetParentMenu(), &Menu);
    EXPECT_THROW(File->Add(Save), EMenuError);
    EXPECT_THROW(File->Items(4), EMenuError);
    EXPECT_THROW(File->Insert(9, Item(nullptr, u"x")), EMenuError);
    EXPECT_THROW(Menu.Items()->Remove(Save), EMenuError);

    Exit->SetMenuIndex(0);
    EXPECT_EQ(File->Items(0), Exit);
    // Delete takes an item out without freeing it; it can go elsewhere.
    File->Delete(0);
    EXPECT_EQ(Exit->Parent(), nullptr);
    EXPECT_EQ(Exit->GetParentMenu(), nullptr);
    Menu.Items()->Add(Exit);
    EXPECT_EQ(Menu.Items()->Count(), 2);

    // Freeing an item takes it out of its parent and frees its sub-items.
    const int Components = Form.ComponentCount();
    delete File;
    EXPECT_EQ(Menu.Items()->Count(), 1);
    EXPECT_EQ(Form.ComponentCount(), Components - 4);
    Menu.Items()->Clear();
    EXPECT_EQ(Menu.Items()->Count(), 0);
}

TEST_F(MenuFixture, ClicksChecksAndRadioGroups) {
    TPopupMenu Menu(&Form);
    TMenuItem* Wrap = Item(Menu.Items(), u"Word wrap");
    TMenuItem* Cr = Item(Menu.Items(), u"New line on CR");
    TMenuItem* Lf = Item(Menu.Items(), u"New line on LF");
    TMenuItem* Other = Item(Menu.Items(), u"Other group");
    for (TMenuItem* I : {Cr, Lf, Other})
        I->SetRadioItem(true);
    Cr->SetGroupIndex(1);
    Lf->SetGroupIndex(1);
    Other->SetGroupIndex(2);
    int Clicks = 0;
    Wrap->OnClick = [&](TObject* Sender) {
        EXPECT_EQ(Sender, Wrap);
        ++Clicks;
    };
    Wrap->SetAutoCheck(true);
    Wrap->Click();
    EXPECT_EQ(Clicks, 1);
    EXPECT_TRUE(Wrap->Checked());
    Wrap->SetEnabled(false);
    Wrap->Click();
    EXPECT_EQ(Clicks, 1);
    EXPECT_TRUE(Wrap->Checked());

    Other->SetChecked(true);
    Cr->SetChecked(true);
    Lf->SetChecked(true);
    EXPECT_FALSE(Cr->Checked());
    EXPECT_TRUE(Lf->Checked());
    EXPECT_TRUE(Other->Checked()); // another group
    EXPECT_TRUE(Wrap->Checked());  // not a radio item
}

TEST_F(MenuFixture, ShortCutsClickTheirItem) {
    TMainMenu Menu(&Form);
    TMenuItem* Edit = Item(Menu.Items(), u"&Edit");
    TMenuItem* Find = Item(Edit, u"&Find", scCtrl | 'F');
    TMenuItem* Next = Item(Item(Edit, u"More"), u"Find &Next", VK_F3);
    std::vector<TMenuItem*> Clicked;
    for (TMenuItem* I : {Find, Next})
        I->OnClick = [&Clicked](TObject* Sender) { Clicked.push_back(static_cast<TMenuItem*>(Sender)); };
    EXPECT_TRUE(Menu.IsShortCut('F', {ssCtrl}));
    EXPECT_TRUE(Menu.IsShortCut(VK_F3, {}));
    EXPECT_FALSE(Menu.IsShortCut(VK_F3, {ssShift}));
    EXPECT_FALSE(Menu.IsShortCut('F', {}));
    Find->SetEnabled(false);
    EXPECT_FALSE(Menu.IsShortCut('F', {ssCtrl}));
    EXPECT_EQ(Clicked, (std::vector<TMenuItem*>{Find, Next}));
    EXPECT_EQ(Menu.FindItem(VK_F3), Next);
}

TEST_F(MenuFixture, TheMenuBarFollowsTheItems) {
    TMainMenu Menu(&Form);
    TMenuItem* File = Item(Menu.Items(), u"&File");
    TMenuItem* Save = Item(File, u"&Save", scCtrl | 'S');
    Item(File, u"-");
    TMenuItem* Exit = Item(File, u"E&xit");
    TMenuItem* Help = Item(Menu.Items(), u"&Help");
    QWidget Window;
    QMenuBar* Bar = CreateMenuBar(&Menu, &Window);
    EXPECT_EQ(Texts(Bar), (std::vector<QString>{QStringLiteral("&File"), QStringLiteral("&Help")}));
    QMenu* FileMenu = Bar->actions()[0]->menu();
    ASSERT_NE(FileMenu, nullptr);
    EXPECT_EQ(Texts(FileMenu), (std::vector<QString>{QStringLiteral("&Save\tCtrl+S"), QStringLiteral("-"),
                                                     QStringLiteral("E&xit")}));

    // Property changes show at once; new items rebuild the bar.
    Save->SetEnabled(false);
    Exit->SetChecked(true);
    Help->SetVisible(false);
    EXPECT_FALSE(FileMenu->actions()[0]->isEnabled());
    EXPECT_TRUE(FileMenu->actions()[2]->isChecked());
    EXPECT_FALSE(Bar->actions()[1]->isVisible());
    Item(Help, u"&About");
    Save->SetCaption(u"&Save all");
    ASSERT_EQ(Bar->actions().size(), 2);
    FileMenu = Bar->actions()[0]->menu();
    EXPECT_EQ(FileMenu->actions()[0]->text(), QStringLiteral("&Save all\tCtrl+S"));
    ASSERT_NE(Bar->actions()[1]->menu(), nullptr);

    // Choosing an item clicks it; opening a menu clicks its parent item first.
    std::vector<String> Events;
    File->OnClick = [&](TObject*) { Events.push_back(u"File"); };
    Exit->OnClick = [&](TObject*) { Events.push_back(u"Exit"); };
    emit FileMenu->aboutToShow();
    FileMenu->actions()[2]->trigger();
    EXPECT_EQ(Events, (std::vector<String>{u"File", u"Exit"}));
    EXPECT_TRUE(FileMenu->actions()[2]->isChecked()); // the item's state, not Qt's toggle

    // An exception in a click goes to the application's handler.
    String Handled;
    Application->OnException = [&](TObject* Sender, Exception* E) {
        Handled = E->Message();
        EXPECT_EQ(Sender, Exit);
    };
    Exit->OnClick = [](TObject*) { throw Exception(u"Cannot exit"); };
    FileMenu->actions()[2]->trigger();
    Application->OnException = nullptr;
    EXPECT_EQ(Handled, u"Cannot exit");

    // Either side may go first.
    QMenuBar* Left = nullptr;
    {
        TMainMenu Short(nullptr);
        Item(Short.Items(), u"Gone");
        QMenuBar* Other = CreateMenuBar(&Short, &Window);
        EXPECT_EQ(Other->actions().size(), 1);
        delete Other;
        Item(Short.Items(), u"Still fine");
        Left = CreateMenuBar(&Short, &Window);
        EXPECT_EQ(Left->actions().size(), 2);
    }
    EXPECT_TRUE(Left->actions().isEmpty());
}

TEST_F(MenuFixture, ItemsShowTheMenusImages) {
    TImageList Images(nullptr);
    TBitmap Red(16, 16);
    Red.Canvas()->Brush()->SetColor(clRed);
    Red.Canvas()->FillRect(Rect(0, 0, 16, 16));
    ASSERT_EQ(Images.Add(&Red, nullptr), 0);
    TMainMenu Menu(&Form);
    TMenuItem* File = Item(Menu.Items(), u"&File");
    TMenuItem* Save = Item(File, u"&Save");
    TMenuItem* Plain = Item(File, u"Plain");
    Save->SetImageIndex(0);
    Plain->SetImageIndex(5); // beyond the list: no image
    QWidget Window;
    QMenuBar* Bar = CreateMenuBar(&Menu, &Window);
    QMenu* FileMenu = Bar->actions()[0]->menu();
    EXPECT_TRUE(FileMenu->actions()[0]->icon().isNull()); // no list yet
    Menu.SetImages(&Images);
    const QIcon Icon = FileMenu->actions()[0]->icon();
    ASSERT_FALSE(Icon.isNull());
    EXPECT_EQ(Icon.pixmap(16, 16).toImage().pixelColor(8, 8), QColor(255, 0, 0));
    EXPECT_TRUE(FileMenu->actions()[1]->icon().isNull());
    // A change of the list reaches the items.
    TBitmap Blue(16, 16);
    Blue.Canvas()->Brush()->SetColor(clBlue);
    Blue.Canvas()->FillRect(Rect(0, 0, 16, 16));
    Images.Replace(0, &Blue, nullptr);
    EXPECT_EQ(FileMenu->actions()[0]->icon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(0, 0, 255));
}

TEST_F(MenuFixture, PopupMenus) {
    TPopupMenu Menu(&Form);
    TMenuItem* Clear = Item(Menu.Items(), u"Clear Rx window");
    TComponent* Pane = new TComponent(&Form);
    Menu.SetPopupComponent(Pane);
    int Popups = 0, Clears = 0;
    Menu.OnPopup = [&](TObject* Sender) {
        EXPECT_EQ(Sender, &Menu);
        ++Popups;
    };
    Clear->OnClick = [&](TObject*) { ++Clears; };
    EXPECT_TRUE(Menu.AutoPopup());
    Menu.Popup(100, 50);
    EXPECT_EQ(Popups, 1);
    EXPECT_EQ(Menu.PopupPoint(), Point(100, 50));
    QMenu* Shown = PopupMenuWidget(&Menu);
    ASSERT_NE(Shown, nullptr);
    EXPECT_TRUE(Shown->isVisible());
    EXPECT_EQ(Texts(Shown), std::vector<QString>{QStringLiteral("Clear Rx window")});
    Shown->actions()[0]->trigger();
    EXPECT_EQ(Clears, 1);
    delete Pane;
    EXPECT_EQ(Menu.PopupComponent(), nullptr);
}
