#include "editor/HotKey.h"

#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"
#include "support/GraphicsTestSupport.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

#include <memory>

TEST(HotKey, TextOfKeyAndModifiers) {
    struct Case {
        Word Key;
        TShiftState Shift;
        const char16_t* Text;
    };
    const Case Cases[] = {
        {Word('A'), {}, u"A"},
        {Word('B'), {ssCtrl, ssShift}, u"Ctrl+Shift+B"},
        {VK_F5, {ssAlt, ssCtrl}, u"Ctrl+Alt+F5"},
        {0, {ssCtrl}, u"Ctrl+"},
        {0, {}, u"(None)"},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(HotKeyText(C.Key, C.Shift), String(C.Text)) << U8(C.Text);
}

class HotKeyControl : public ::testing::Test {
protected:
    void SetUp() override {
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(0, 0, 300, 100);
        Edit = new TCodeHotKey(Form.get());
        Edit->SetParent(Form.get());
        Form->Show();
        Edit->SetFocus();
    }
    void TearDown() override { Form.reset(); }
    std::unique_ptr<TForm> Form;
    TCodeHotKey* Edit = nullptr;
};

TEST_F(HotKeyControl, RecordsKeysWithValidModifiers) {
    EXPECT_EQ(Edit->HotKey(), ShortCut(Word('A'), {ssAlt})) << "a plain key is not taken: Alt+A";
    EXPECT_EQ(Edit->Text(), u"Alt+A");
    struct Case {
        Word Key;
        TShiftState Shift;
        TShiftState Recorded;
        const char16_t* Shown;
    };
    const Case Cases[] = {
        {Word('A'), {}, {ssAlt}, u"Alt+A"},
        {Word('B'), {ssCtrl, ssShift}, {ssCtrl, ssShift}, u"Ctrl+Shift+B"},
        {Word('C'), {ssShift}, {ssAlt}, u"Alt+C"},
        {VK_F2, {ssCtrl}, {ssCtrl}, u"Ctrl+F2"},
    };
    for (const Case& C : Cases) {
        KeyMessages(Edit, C.Key, C.Shift);
        EXPECT_EQ(Edit->HotKey(), ShortCut(C.Key, C.Recorded)) << U8(C.Shown);
        EXPECT_EQ(Edit->Text(), String(C.Shown));
    }
    Edit->SetInvalidKeys({});
    KeyMessages(Edit, Word('D'));
    EXPECT_EQ(Edit->Text(), u"D");
    Edit->SetModifiers({hkCtrl});
    Edit->SetInvalidKeys({hcNone});
    EXPECT_EQ(Edit->Text(), u"Ctrl+D") << "the recorded key follows the new rule";
    EXPECT_EQ(Edit->Perform(WM_GETDLGCODE) & (DLGC_WANTARROWS | DLGC_WANTTAB),
              LRESULT(DLGC_WANTARROWS | DLGC_WANTTAB));
}

TEST_F(HotKeyControl, ModifierAloneIsShownUntilReleased) {
    TestDriverDetail::THeldModifiers Held({ssCtrl});
    SendMessage(Edit->Handle(), WM_KEYDOWN, VK_CONTROL, 1);
    EXPECT_EQ(Edit->HotKey(), 0);
    EXPECT_EQ(Edit->Text(), u"Ctrl+");
    SendMessage(Edit->Handle(), WM_KEYUP, VK_CONTROL, 1);
    EXPECT_EQ(Edit->Text(), u"(None)");
}

TEST_F(HotKeyControl, PaintsItsTextInsideTheBorder) {
    TTempFolder Dir;
    Edit->SetHotKey(ShortCut(Word('B'), {ssCtrl, ssShift}));
    auto B = GrabControl(Edit);
    GrabToPng(B.get(), Dir, "hot-key.png");
    EXPECT_EQ(PixelOf(*B, 0, 0), TColor(ColorToRGB(clBtnShadow))) << "sunken edge";
    const TRect Ink = InkBox(B->Canvas(), Rect(2, 2, B->Width() - 2, B->Height() - 2));
    ASSERT_FALSE(Ink.IsEmpty());
    EXPECT_GE(Ink.Left, 3);
    EXPECT_GT(Ink.Width(), B->Canvas()->TextWidth(u"Ctrl+Shift") / 2);
}
