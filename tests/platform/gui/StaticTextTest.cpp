// The static text: a caption in a window of its own, its size, alignment and borders in pixels.
#include "StdCtrlsTestSupport.h"

namespace {

// Columns inside the border that hold a pixel of the text (anything but the background).
std::vector<int> InkColumns(const QImage& Image, TColor Background) {
    std::vector<int> Xs;
    for (int X = 2; X < Image.width() - 2; ++X)
        for (int Y = 2; Y < Image.height() - 2; ++Y)
            if (PixelAt(Image, X, Y) != Background) {
                Xs.push_back(X);
                break;
            }
    return Xs;
}

} // namespace

TEST_F(TFormFixture, AStaticTextFitsItsCaptionAndFollowsIt) {
    auto* Text = new TStaticText(Form);
    Text->SetParent(Form);
    Text->SetCaption(u"chanel A");
    const int Width = Text->Width();
    EXPECT_GT(Width, 20);
    EXPECT_GT(Text->Height(), 8);
    Text->SetCaption(u"chanel A and more");
    EXPECT_GT(Text->Width(), Width);
    // A border adds a pixel on each side.
    const int Plain = Text->Width();
    Text->SetBorderStyle(sbsSunken);
    EXPECT_EQ(Text->Width(), Plain + 2);
    // Without AutoSize the bounds stay as set.
    Text->SetAutoSize(false);
    Text->SetBounds(0, 0, 90, 24);
    Text->SetCaption(u"x");
    EXPECT_EQ(Text->Width(), 90);
    EXPECT_TRUE(Text->HandleAllocated() || Text->Handle()); // a window of its own
    EXPECT_EQ(GetEnumProp(Text, u"BorderStyle"), u"sbsSunken");
}

TEST_F(TFormFixture, AStaticTextPaintsItsColourCaptionAlignmentAndBorder) {
    struct TCase {
        TAlignment Align;
        TStaticBorderStyle Border;
    } Cases[] = {{taLeftJustify, sbsNone}, {taCenter, sbsSunken}, {taRightJustify, sbsSingle}};
    Form->SetColor(clBtnFace);
    for (const TCase& C : Cases) {
        auto* Text = new TStaticText(Form);
        Text->SetParent(Form);
        Text->SetAutoSize(false);
        Text->SetBounds(10, 10, 120, 20);
        Text->SetColor(clBlack);
        Text->Font()->SetColor(TColor(0x00A8A8));
        Text->Font()->SetName(u"Arial");
        Text->Font()->SetHeight(-13);
        Text->SetAlignment(C.Align);
        Text->SetBorderStyle(C.Border);
        Text->SetCaption(u"WWW");
        Form->Show();
        Pump();
        const QImage Image = Grab(Text);
        const std::vector<int> Ink = InkColumns(Image, TColor(ColorToRGB(clBlack)));
        ASSERT_FALSE(Ink.empty()) << int(C.Align);
        const int Middle = (Ink.front() + Ink.back()) / 2;
        if (C.Align == taLeftJustify) {
            EXPECT_LT(Ink.front(), 6);
        } else if (C.Align == taCenter) {
            EXPECT_NEAR(Middle, Image.width() / 2, 3);
        } else {
            EXPECT_GT(Ink.back(), Image.width() - 8);
        }
        // The background is the control's colour; the border is the classic one.
        const TColor Corner = PixelAt(Image, 0, 0);
        const TColor Far = PixelAt(Image, Image.width() - 1, Image.height() - 1);
        if (C.Border == sbsNone) {
            EXPECT_EQ(Corner, TColor(ColorToRGB(clBlack)));
        } else if (C.Border == sbsSunken) {
            EXPECT_EQ(Corner, TColor(ColorToRGB(clBtnShadow)));
            EXPECT_EQ(Far, TColor(ColorToRGB(clBtnHighlight)));
        } else {
            EXPECT_EQ(Corner, TColor(ColorToRGB(clWindowFrame)));
            EXPECT_EQ(Far, TColor(ColorToRGB(clWindowFrame)));
        }
        EXPECT_EQ(PixelAt(Image, Image.width() / 2, Image.height() - 3), TColor(ColorToRGB(clBlack)));
        delete Text;
    }
}
