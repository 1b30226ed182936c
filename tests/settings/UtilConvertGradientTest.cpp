#include "settings/UtilConvert.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"

#include <gtest/gtest.h>

namespace {

struct TPaper {
    TBitmap Bmp;
    explicit TPaper(int W, int H) {
        Bmp.SetSize(W, H);
        Bmp.Canvas()->Brush()->SetColor(clWhite);
        Bmp.Canvas()->FillRect(Rect(0, 0, W, H));
    }
    TColor At(int X, int Y) { return Bmp.Canvas()->Pixels(X, Y); }
};

} // namespace

TEST(GradientBands, BandsRunFromTheStartToTheEndColour) {
    // Red to blue, top to bottom, 4 colours over 10 pixels: bands of 2 pixels and a 2-pixel
    // strip of the end colour.
    TPaper P(3, 10);
    FillGradientBands(P.Bmp.Canvas(), Rect(0, 0, 3, 10), clRed, clBlue, gbTopToBottom, 4);
    const TColor Rows[10] = {RGB(255, 0, 0), RGB(255, 0, 0), RGB(170, 0, 85), RGB(170, 0, 85), RGB(85, 0, 170),
                             RGB(85, 0, 170), RGB(0, 0, 255),  RGB(0, 0, 255),  RGB(0, 0, 255),  RGB(0, 0, 255)};
    for (int Y = 0; Y < 10; ++Y)
        EXPECT_EQ(P.At(1, Y), Rows[Y]) << Y;
}

TEST(GradientBands, EdgeCases) {
    const struct {
        const char* What;
        TRect R;
        TColor Start, End;
        TGradientBandDirection Dir;
        Byte Colors;
        TPoint Probe;
        TColor Expected;
    } Cases[] = {
        {"one pixel is the remainder: end colour", Rect(0, 0, 4, 1), clRed, clBlue, gbTopToBottom, 255, {2, 0}, clBlue},
        {"bottom to top: end colour at the top", Rect(0, 0, 4, 8), clRed, clBlue, gbBottomToTop, 8, {2, 0}, clBlue},
        {"bottom to top: start colour at the bottom", Rect(0, 0, 4, 8), clRed, clBlue, gbBottomToTop, 8, {2, 7}, clRed},
        {"right to left: start colour at the right", Rect(0, 0, 8, 4), clRed, clBlue, gbRightToLeft, 8, {7, 2}, clRed},
        {"one colour fills solid with the start", Rect(0, 0, 8, 4), clRed, clBlue, gbLeftToRight, 1, {7, 2}, clRed},
        {"same colours fill solid", Rect(0, 0, 8, 4), clLime, clLime, gbLeftToRight, 255, {3, 3}, clLime},
        {"no colours paint nothing", Rect(0, 0, 8, 4), clNone, clNone, gbLeftToRight, 255, {3, 3}, clWhite},
        {"an empty rectangle paints nothing", Rect(2, 2, 2, 4), clRed, clBlue, gbLeftToRight, 255, {2, 2}, clWhite},
        {"system colours are resolved", Rect(0, 0, 8, 4), clBtnFace, clBtnFace, gbLeftToRight, 9, {0, 0},
         static_cast<TColor>(ColorToRGB(clBtnFace))},
    };
    for (const auto& C : Cases) {
        TPaper P(8, 8);
        FillGradientBands(P.Bmp.Canvas(), C.R, C.Start, C.End, C.Dir, C.Colors);
        EXPECT_EQ(P.At(C.Probe.X, C.Probe.Y), C.Expected) << C.What;
    }
    // A 300-pixel bar with 255 colours: 255 one-pixel bands and a 45-pixel strip.
    TPaper Bar(300, 1);
    FillGradientBands(Bar.Bmp.Canvas(), Rect(0, 0, 300, 1), clBlack, clWhite, gbLeftToRight, 255);
    EXPECT_EQ(Bar.At(0, 0), clBlack);
    EXPECT_EQ(Bar.At(1, 0), RGB(1, 1, 1));
    EXPECT_EQ(Bar.At(254, 0), clWhite);
    EXPECT_EQ(Bar.At(299, 0), clWhite);
}

TEST(DragCursors, AliasTheStandardDragCursors) {
    AliasDragCursors();
    EXPECT_EQ(Screen->Cursors(368), Screen->Cursors(crMultiDrag));
    EXPECT_EQ(Screen->Cursors(369), Screen->Cursors(crDrag));
    EXPECT_EQ(Screen->Cursors(371), Screen->Cursors(crMultiDrag));
    EXPECT_EQ(Screen->Cursors(crHourGlass), static_cast<HCURSOR>(crHourGlass));
}
