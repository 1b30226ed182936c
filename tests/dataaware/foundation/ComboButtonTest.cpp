// The combo button: glyph strips and their images, the group and down rules, mouse presses,
// and its faces in every state (grabbed into a picture in the test's folder).
#include "dataaware/foundation/daComboButton.h"

#include "platform/base/ScopeGuard.h"
#include "platform/gui/Forms.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

namespace {

// A glyph strip of N images of Size x Size: image i is a black square on an olive key colour
// (the bottom-left pixel), and image 1 has a white and a gray pixel for the disabled look.
std::unique_ptr<TBitmap> Strip(int N, int Size = 8) {
    auto B = std::make_unique<TBitmap>(N * Size, Size);
    B->Canvas()->Brush()->SetColor(clOlive);
    B->Canvas()->FillRect(TRect(0, 0, N * Size, Size));
    B->Canvas()->Brush()->SetColor(clBlack);
    for (int I = 0; I < N; ++I)
        B->Canvas()->FillRect(TRect(I * Size + 2, 2, I * Size + 6, 6));
    if (N > 1) {
        B->Canvas()->SetPixels(Size + 2, 2, clWhite);
        B->Canvas()->SetPixels(Size + 3, 2, clGray);
    }
    return B;
}

struct TButtonForm {
    TForm Form{nullptr};
    TButtonForm() {
        Form.SetBounds(0, 0, 200, 60);
        Form.SetColor(clWhite);
    }
    TdaComboButton* Add(int Left) {
        auto* B = new TdaComboButton(&Form);
        B->SetParent(&Form);
        B->SetLeft(Left);
        return B;
    }
};

class TThemeScope {
public:
    explicit TThemeScope(bool On) : FOld(IsThemeActive()) { SetThemeActive(On); }
    ~TThemeScope() { SetThemeActive(FOld); }

private:
    bool FOld;
};

} // namespace

TEST(ComboButton, DefaultsAndLivingCount) {
    const int Before = TdaComboButton::LivingCount();
    {
        TdaComboButton B(nullptr);
        EXPECT_EQ(TdaComboButton::LivingCount(), Before + 1);
        EXPECT_EQ(B.Width(), 22);
        EXPECT_EQ(B.Height(), 23);
        EXPECT_EQ(B.Spacing(), 4);
        EXPECT_EQ(B.Margin(), -1);
        EXPECT_TRUE(B.Transparent());
        EXPECT_EQ(B.Layout(), blGlyphLeft);
        EXPECT_EQ(B.Color(), clBtnFace);
        EXPECT_TRUE(B.ControlStyle().Contains(csCaptureMouse));
        B.SetMargin(-5);
        EXPECT_EQ(B.Margin(), -1);
    }
    EXPECT_EQ(TdaComboButton::LivingCount(), Before);
}

TEST(ComboButton, NumGlyphsFromTheStripAndItsLimit) {
    TdaComboButton B(nullptr);
    B.SetNumGlyphs(5);
    EXPECT_EQ(B.NumGlyphs(), 4);
    B.SetGlyph(Strip(3).get());
    EXPECT_EQ(B.NumGlyphs(), 3);
    B.SetGlyph(Strip(6).get());
    EXPECT_EQ(B.NumGlyphs(), 1);
    B.SetNumGlyphs(2);
    TBitmap Odd(13, 8);
    B.SetGlyph(&Odd);
    EXPECT_EQ(B.NumGlyphs(), 2);
}

TEST(ComboButton, GlyphListsAreSharedAndFreedWithTheirLastImage) {
    TGlyphCache Cache;
    TGlyphList* L = Cache.GetList(8, 8);
    EXPECT_EQ(Cache.GetList(8, 8), L);
    EXPECT_NE(Cache.GetList(4, 4), L);
    auto Image = Strip(1);
    const int A = L->AddMasked(Image.get(), clOlive);
    const int B = L->AddMasked(Image.get(), clOlive);
    EXPECT_EQ(L->UsedCount(), 2);
    L->Delete(A);
    // The freed slot is taken again first.
    EXPECT_EQ(L->AddMasked(Image.get(), clOlive), A);
    L->Delete(A);
    L->Delete(B);
    L->Delete(B);
    EXPECT_EQ(L->UsedCount(), 0);
    Cache.ReturnList(L);
    Cache.ReturnList(Cache.GetList(4, 4));
    EXPECT_TRUE(Cache.Empty());
}

TEST(ComboButton, DownNeedsAGroupAndAllowAllUp) {
    TButtonForm F;
    TdaComboButton* A = F.Add(0);
    TdaComboButton* B = F.Add(30);
    A->SetDown(true);
    EXPECT_FALSE(A->Down());
    A->SetGroupIndex(1);
    B->SetGroupIndex(1);
    A->SetDown(true);
    EXPECT_TRUE(A->Down());
    EXPECT_EQ(A->State(), bsExclusive);
    // Without AllowAllUp a down button cannot be released directly.
    A->SetDown(false);
    EXPECT_TRUE(A->Down());
    // Pressing the other one of the group releases it.
    B->SetDown(true);
    EXPECT_TRUE(B->Down());
    EXPECT_FALSE(A->Down());
    B->SetAllowAllUp(true);
    EXPECT_TRUE(A->AllowAllUp());
    B->SetDown(false);
    EXPECT_FALSE(B->Down());
}

TEST(ComboButton, AClickThroughTheMouse) {
    TButtonForm F;
    TdaComboButton* B = F.Add(10);
    F.Form.Show();
    int Clicks = 0;
    B->OnClick = [&](TObject*) { ++Clicks; };
    MouseDownMessage(&F.Form, TPoint{15, 5});
    EXPECT_EQ(B->State(), bsDown);
    MouseUpMessage(&F.Form, TPoint{15, 5});
    EXPECT_EQ(B->State(), bsUp);
    EXPECT_EQ(Clicks, 1);
    // Released outside: no click.
    MouseDownMessage(&F.Form, TPoint{15, 5});
    MouseUpMessage(&F.Form, TPoint{150, 5});
    EXPECT_EQ(Clicks, 1);
}

TEST(ComboButton, FacesInEveryState) {
    TButtonForm F;
    TdaComboButton* Up = F.Add(0);
    Up->SetGlyph(Strip(1).get());
    TdaComboButton* Pressed = F.Add(25);
    Pressed->SetGlyph(Strip(1).get());
    Pressed->SetGroupIndex(3);
    Pressed->SetDown(true);
    TdaComboButton* Disabled = F.Add(50);
    Disabled->SetGlyph(Strip(1).get());
    Disabled->SetEnabled(false);
    TdaComboButton* TwoImages = F.Add(75);
    TwoImages->SetGlyph(Strip(2).get());
    TwoImages->SetEnabled(false);
    TdaComboButton* Flat = F.Add(100);
    Flat->SetFlat(true);
    Flat->SetGlyph(Strip(1).get());
    F.Form.Show();
    auto Shot = GrabControl(&F.Form);
    SaveControlImage(&F.Form, u"combo-buttons.png");

    // The raised push-button frame: highlight top left, dark shadow bottom right.
    EXPECT_EQ(RgbOf(*Shot, 0, 0), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(RgbOf(*Shot, 21, 22), ColorToRGB(cl3DDkShadow));
    // The glyph's key colour is transparent: the face shows around the black square.
    // Inside the two-pixel frame: 18 x 19, the 8 x 8 glyph centred.
    const int GX = 2 + (18 - 8 + 1) / 2, GY = 2 + (19 - 8 + 1) / 2;
    EXPECT_EQ(RgbOf(*Shot, GX + 3, GY + 3), ColorToRGB(clBlack));
    EXPECT_EQ(RgbOf(*Shot, GX, GY), ColorToRGB(clBtnFace));
    // Held down: the checked pattern, the glyph moved by one pixel.
    EXPECT_NE(RgbOf(*Shot, 25 + 3, 3), RgbOf(*Shot, 25 + 4, 3));
    EXPECT_EQ(RgbOf(*Shot, 25 + GX + 4, GY + 4), ColorToRGB(clBlack));
    // Disabled with one image: embossed in shadow and highlight, no black.
    EXPECT_EQ(RgbOf(*Shot, 50 + GX + 3, GY + 3), ColorToRGB(clBtnShadow));
    EXPECT_EQ(RgbOf(*Shot, 50 + GX + 6, GY + 6), ColorToRGB(clBtnHighlight));
    // Disabled with its own image: white and gray recoloured.
    EXPECT_EQ(RgbOf(*Shot, 75 + GX + 2, GY + 2), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(RgbOf(*Shot, 75 + GX + 3, GY + 2), ColorToRGB(clBtnShadow));
    // Flat and not hot: no frame, the form shows through.
    EXPECT_EQ(RgbOf(*Shot, 100, 0), ColorToRGB(clWhite));
}

TEST(ComboButton, ThemedEllipsisShowsThreeDotsAndGlyphOnAPushButton) {
    TThemeScope Themed(true);
    TButtonForm F;
    TdaComboButton* Dots = F.Add(0);
    Dots->SetEllipsis(true);
    Dots->SetWidth(24);
    F.Add(30); // a plain drop-down arrow
    TdaComboButton* WithGlyph = F.Add(60);
    WithGlyph->SetEllipsis(true);
    WithGlyph->SetGlyph(Strip(1).get());
    F.Form.Show();
    auto Shot = GrabControl(&F.Form);
    SaveControlImage(&F.Form, u"combo-buttons-themed.png");
    // s = 24 div 8 = 3; x = 11, y = 10: dots at 5, 11 and 17.
    for (int X : {5, 11, 17}) {
        EXPECT_EQ(RgbOf(*Shot, X, 10), ColorToRGB(clBlack)) << X;
        EXPECT_EQ(RgbOf(*Shot, X + 2, 12), ColorToRGB(clBlack)) << X;
    }
    EXPECT_NE(RgbOf(*Shot, 8, 10), ColorToRGB(clBlack));
    // The drop-down part: a black arrow in the middle.
    EXPECT_EQ(RgbOf(*Shot, 30 + 11, 12), ColorToRGB(clBlack));
    // The glyph on the push button.
    EXPECT_EQ(RgbOf(*Shot, 60 + 11, 11), ColorToRGB(clBlack));
}
