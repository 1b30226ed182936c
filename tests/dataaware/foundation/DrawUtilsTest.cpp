// The shared drawing, theme, window and input routines.
#include "dataaware/foundation/daDrawUtils.h"

#include "dataaware/foundation/daIntl.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

namespace {

// Counts the pixels of a colour in a rectangle.
int CountColor(TBitmap& B, const TRect& R, TColor C) {
    int N = 0;
    for (int Y = R.Top; Y < R.Bottom; ++Y)
        for (int X = R.Left; X < R.Right; ++X)
            N += RgbOf(B, X, Y) == ColorToRGB(C);
    return N;
}

// A panel that may carry the "DisableThemes" switch.
class TThemedPanel : public TCustomControl {
    DECLARE_CLASS(TThemedPanel, TCustomControl)
public:
    using TCustomControl::TCustomControl;
    bool DisableThemes = false;

private:
    static void Published(TPublisher<TThemedPanel>& P) { P.Property(u"DisableThemes", &TThemedPanel::DisableThemes); }
};

class TThemeScope {
public:
    explicit TThemeScope(bool On) : FOld(IsThemeActive()) { SetThemeActive(On); }
    ~TThemeScope() { SetThemeActive(FOld); }

private:
    bool FOld;
};

} // namespace

TEST(DrawUtils, CellTextWrapsOnlyWhatDoesNotFitAndEllipsisShortens) {
    TBitmap B(200, 40);
    TCanvas* C = B.Canvas();
    C->Brush()->SetColor(clWhite);
    C->Font()->SetColor(clBlack);
    // Fits one line: word break is dropped, so the text stays on the first line.
    daDrawCellText(C, TRect(0, 0, 200, 40), 2, dctWordBreak, taLeftJustify, u"Short text", 2);
    EXPECT_GT(CountColor(B, TRect(0, 0, 200, 16), clBlack), 0);
    EXPECT_EQ(C->Brush()->Style(), bsSolid);
    // Too long with the ellipsis flag: one line ending in dots, nothing past the rectangle.
    TBitmap N(60, 20);
    N.Canvas()->Brush()->SetColor(clWhite);
    N.Canvas()->Font()->SetColor(clBlack);
    daDrawCellText(N.Canvas(), TRect(0, 0, 60, 20), 2, dctEllipsis | dctWordBreak, taLeftJustify,
                   u"A rather long cell text", 2);
    EXPECT_GT(CountColor(N, TRect(40, 0, 60, 20), clBlack), 0);
    EXPECT_EQ(CountColor(N, TRect(0, 17, 60, 20), clBlack), 0);
    // Without the no-fill flag the whole rect takes the brush colour.
    TBitmap F(20, 10);
    F.Canvas()->Brush()->SetColor(clRed);
    daDrawCellText(F.Canvas(), TRect(0, 0, 20, 10), 2, 0, taLeftJustify, u"", 0);
    EXPECT_EQ(RgbOf(F, 19, 9), ColorToRGB(clRed));
    F.Canvas()->Brush()->SetColor(clBlue);
    daDrawCellText(F.Canvas(), TRect(0, 0, 20, 10), 2, dctNoFill, taLeftJustify, u"", 0);
    EXPECT_EQ(RgbOf(F, 19, 9), ColorToRGB(clRed));
}

TEST(DrawUtils, EllipsisButtonShowsThreeDots) {
    TBitmap B(16, 16);
    B.Canvas()->Brush()->SetColor(clWhite);
    B.Canvas()->FillRect(TRect(0, 0, 16, 16));
    daDrawEllipsisButton(B.Canvas(), TRect(0, 0, 16, 16), bsUp, {}, true, true);
    // w = 17 div 8 = 2: three 2 x 2 dots, four pixels apart.
    EXPECT_EQ(CountColor(B, TRect(0, 0, 16, 16), clBlack), 12);
    daDrawEllipsisButton(B.Canvas(), TRect(0, 0, 16, 16), bsUp, {}, false, false);
    EXPECT_EQ(RgbOf(B, 8, 2), ColorToRGB(clBtnFace));
}

TEST(DrawUtils, DottedLineEverySecondPixel) {
    TBitmap B(12, 3);
    B.Canvas()->Pen()->SetColor(clBlack);
    daDrawDottedLine(B.Canvas(), TPoint{0, 1}, TPoint{10, 1});
    for (int X = 0; X < 10; ++X)
        EXPECT_EQ(RgbOf(B, X, 1), ColorToRGB(X % 2 ? clWhite : clBlack)) << X;
}

TEST(DrawUtils, HighlightFocusRectRestoresTheCanvas) {
    TBitmap B(10, 10);
    TCanvas* C = B.Canvas();
    C->Pen()->SetColor(clRed);
    C->Font()->SetColor(clGreen);
    daDrawHighlightFocusRect(C, TRect(0, 0, 10, 10));
    EXPECT_EQ(C->Pen()->Color(), clRed);
    EXPECT_EQ(C->Font()->Color(), clGreen);
    EXPECT_EQ(C->Brush()->Style(), bsSolid);
}

TEST(DrawUtils, ThemesFollowTheFirstDisableThemesUpTheParents) {
    TThemeScope On(true);
    TForm Form(nullptr);
    auto* Grand = new TThemedPanel(&Form);
    Grand->SetParent(&Form);
    auto* Parent = new TCustomControl(&Form);
    Parent->SetParent(Grand);
    auto* Control = new TCustomControl(&Form);
    Control->SetParent(Parent);
    EXPECT_TRUE(daThemesActive(Control));
    Grand->DisableThemes = true;
    EXPECT_FALSE(daThemesActive(Control));
    EXPECT_TRUE(daThemesActive(nullptr));
    SetThemeActive(false);
    Grand->DisableThemes = false;
    EXPECT_FALSE(daThemesActive(Control));
}

TEST(DrawUtils, ThemedCommonControlsNeedVistaAndVersion582) {
    struct TCase {
        bool Vista;
        Cardinal Version;
        bool Themed;
    };
    for (const TCase& C : {TCase{false, 0x00060000, false}, TCase{true, 0x00050051, false},
                           TCase{true, 0x00050052, true}, TCase{true, 0x00060000, true}, TCase{true, 0, false}})
        EXPECT_EQ(daHasThemedComCtlOf(C.Vista, C.Version), C.Themed) << C.Version;
    EXPECT_EQ(daGetComCtl32Version(), daGetComCtl32Version());
}

TEST(DrawUtils, KeysAndShiftFlags) {
    EXPECT_EQ(daShiftStateToKeyFlags(TShiftState{ssCtrl}), 2);
    EXPECT_EQ(daShiftStateToKeyFlags(TShiftState{ssAlt}), 4);
    EXPECT_EQ(daShiftStateToKeyFlags(TShiftState{ssShift}), 1);
    EXPECT_EQ(daShiftStateToKeyFlags(TShiftState{ssShift, ssAlt, ssCtrl}), 7);
    for (Word K : {Word(VK_BACK), Word(VK_SPACE), Word(VK_DELETE), Word('0'), Word('Z'), Word(0x6F), Word(0x92)})
        EXPECT_TRUE(daIsEditingKey(K)) << K;
    for (Word K : {Word(VK_LEFT), Word(VK_F1), Word(0x91), Word(VK_RETURN)})
        EXPECT_FALSE(daIsEditingKey(K)) << K;
}

TEST(DrawUtils, PostedKeyWithModifierArrivesAndTheKeyboardStateComesBack) {
    TForm Form(nullptr);
    auto* Edit = new TEdit(&Form);
    Edit->SetParent(&Form);
    Form.Show();
    std::vector<std::pair<UINT, WPARAM>> Seen;
    TWndMethod Old = Edit->WindowProc();
    Edit->SetWindowProc([&](TMessage& M) {
        if (M.Msg == WM_KEYDOWN || M.Msg == WM_KEYUP) Seen.push_back({M.Msg, M.WParam});
        Old(M);
    });
    TScopeExit Restore([&] { Edit->SetWindowProc(Old); });
    daPostKeyWithModifier(Edit->Handle(), VK_TAB, VK_SHIFT);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    ASSERT_TRUE(WaitUntil([&] { return Seen.size() >= 2; }));
    EXPECT_EQ(Seen[0], (std::pair<UINT, WPARAM>{WM_KEYDOWN, VK_TAB}));
    EXPECT_EQ(Seen[1], (std::pair<UINT, WPARAM>{WM_KEYUP, VK_TAB}));
}

TEST(DrawUtils, OwnersParentsAndWindowStyles) {
    TForm Form(nullptr);
    auto* Panel = new TCustomControl(&Form);
    Panel->SetParent(&Form);
    Panel->SetBounds(0, 0, 100, 100);
    auto* Inner = new TCustomControl(&Form);
    Inner->SetParent(Panel);
    EXPECT_EQ(daGetOwnerForm(Inner), &Form);
    EXPECT_EQ(daGetOwnerFormOrFrame(Inner), &Form);
    EXPECT_EQ(daGetOwnerForm(nullptr), nullptr);
    EXPECT_FALSE(daIsDesigning(Inner));
    EXPECT_FALSE(daHasChildOutsideClient(Panel));
    Inner->SetBounds(120, 5, 10, 10);
    EXPECT_TRUE(daHasChildOutsideClient(Panel));
    EXPECT_FALSE(daHasChildOutsideClient(nullptr));
    TRect Work;
    daGetWorkArea(Work);
    EXPECT_FALSE(Work.IsEmpty());
}

TEST(DrawUtils, AControlMovedToAnotherControllerLeavesTheFirstList) {
    TForm Form(nullptr);
    TdaController First(nullptr), Second(nullptr);
    auto* Edit = new TEdit(&Form);
    TComponent* Field = nullptr;
    daSetController(Field, &First, Edit);
    EXPECT_EQ(Field, &First);
    EXPECT_EQ(First.ControlList()->IndexOf(Edit), 0);
    daSetController(Field, &Second, Edit);
    EXPECT_EQ(First.ControlList()->IndexOf(Edit), -1);
    EXPECT_EQ(Second.ControlList()->IndexOf(Edit), 0);
    // Freeing the control empties the list it is in.
    delete Edit;
    EXPECT_EQ(Second.ControlList()->Count(), 0);
    auto* Other = new TEdit(&Form);
    daSetController(Field, &Second, Other);
    daSetController(Field, nullptr, Other);
    EXPECT_EQ(Field, nullptr);
    EXPECT_EQ(Second.ControlList()->Count(), 0);
}

TEST(DrawUtils, PictureMaskKeyPressTakesKeysAtTheEnd) {
    TForm Form(nullptr);
    auto* Edit = new TEdit(&Form);
    Edit->SetParent(&Form);
    Edit->SetText(u"12");
    Char Key = u'3';
    // No checker installed: the key is left alone.
    EXPECT_FALSE(daPictureMaskKeyPress(Edit, u"###", true, Key));
    // A checker that accepts up to three digits and reports anything else as an error.
    daSetPictureCheck([](const String&, String& Text, bool) {
        for (Char C : Text)
            if (C < u'0' || C > u'9') return 3;
        return Text.size() < 3 ? 1 : Text.size() == 3 ? 0 : 3;
    });
    TScopeExit Uninstall([] { daSetPictureCheck(nullptr); });
    Edit->SetSelStart(1);
    Edit->SetSelLength(0);
    EXPECT_FALSE(daPictureMaskKeyPress(Edit, u"###", true, Key));
    EXPECT_EQ(Key, u'3');
    Edit->SetSelStart(2);
    EXPECT_TRUE(daPictureMaskKeyPress(Edit, u"###", true, Key));
    EXPECT_EQ(Key, 0);
    EXPECT_EQ(Edit->Text(), u"123");
    EXPECT_EQ(Edit->SelStart(), 3);
    Key = u'x';
    EXPECT_TRUE(daPictureMaskKeyPress(Edit, u"###", true, Key));
    EXPECT_EQ(Edit->Text(), u"123");
    EXPECT_EQ(Key, 0);
}
