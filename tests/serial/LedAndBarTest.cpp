// The terminal's lamp and its gradient bars: their shapes, frames, gradients and separators in
// real pixels, and the bar's range rules.

#include "serial/KitProgressBar.h"
#include "serial/Led.h"

#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include "platform/gui/ExtCtrls.h"

#include <gtest/gtest.h>

namespace {

constexpr TColor Lamp = TColor(0x40FF00);
constexpr TColor Grey = TColor(0x808080);
const TColor White = TColor(0xFFFFFF);

struct LedOnPanel : ::testing::Test {
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TPanel* Panel = nullptr;
    TLed* Led = nullptr;
    void SetUp() override {
        Form->SetBounds(0, 0, 200, 100);
        Panel = new TPanel(Form.get());
        Panel->SetParent(Form.get());
        Panel->SetBounds(0, 0, 100, 60);
        Panel->SetBevelOuter(bvNone);
        Panel->SetColor(TColor(0x00C0C0));
        Led = new TLed(Form.get());
        Led->SetParent(Panel);
        Led->SetBounds(10, 10, 20, 22);
        Led->SetColor(Lamp);
        Form->Show();
    }
    std::unique_ptr<TBitmap> Picture() { return GrabControl(Led); }
};

// Whether any pixel of the rectangle has the colour.
bool AnyIn(TBitmap& B, const TRect& R, TColor C) {
    for (int Y = R.Top; Y < R.Bottom; ++Y)
        for (int X = R.Left; X < R.Right; ++X)
            if (PixelOf(B, X, Y) == C) return true;
    return false;
}

} // namespace

TEST_F(LedOnPanel, EveryShapeLitAndDarkShowsItsBodyAndMark) {
    const TColor Face = TColor(ColorToRGB(clBtnFace));
    // Some pixel of the 2 x 2 square at X, Y has the colour (small shapes round either way).
    struct TProbe {
        int X, Y;
        TColor Color;
    };
    struct TCase {
        tLedShape Shape;
        bool Active;
        std::vector<TProbe> Probes;
    } Cases[] = {
        // W = 20, H = 22.
        {shCircle, true, {{10, 11, Lamp}, {5, 5, White}, {0, 0, TColor(0x00C0C0)}}},
        {shCircle, false, {{10, 11, Grey}, {0, 0, TColor(0x00C0C0)}}},
        {shRectangle, true, {{10, 12, Lamp}, {6, 5, White}, {4, 4, clBlack}}},
        {shRectangle, false, {{10, 12, Grey}, {12, 5, Face}, {10, 19, Lamp}}},
        {shRoundRect, true, {{10, 12, Lamp}, {6, 5, White}}},
        {shRoundRect, false, {{10, 12, Grey}, {10, 19, Lamp}}},
        {shTriangle, true, {{12, 18, Lamp}, {10, 15, White}}},
        {shTriangle, false, {{8, 18, Face}, {11, 18, Lamp}}},
        {shTriangleRight, true, {{16, 9, Lamp}, {15, 16, White}}},
        {shTriangleRight, false, {{16, 9, Face}, {14, 15, Lamp}}},
    };
    for (const TCase& C : Cases) {
        Led->SetShape(C.Shape);
        Led->SetActive(C.Active);
        auto B = Picture();
        for (const TProbe& P : C.Probes)
            EXPECT_TRUE(AnyIn(*B, Rect(P.X, P.Y, P.X + 2, P.Y + 2), P.Color))
                << StringToUtf8(GetEnumName(TypeInfo<tLedShape>(), C.Shape)) << " active " << C.Active << " at "
                << P.X << "," << P.Y;
    }
    // A dark circle keeps an arc of its colour on its lower right and none on its upper left.
    Led->SetShape(shCircle);
    Led->SetActive(false);
    auto B = Picture();
    EXPECT_TRUE(AnyIn(*B, Rect(10, 11, 20, 22), Lamp));
    EXPECT_FALSE(AnyIn(*B, Rect(0, 0, 9, 10), Lamp));
}

TEST_F(LedOnPanel, FramesFollowTheStyle) {
    struct TCase {
        tLedStyle Style;
        TColor Left, Right, Bottom;
    } Cases[] = {
        {lsClear, TColor(0x00C0C0), TColor(0x00C0C0), TColor(0x00C0C0)},
        {lsFlat, Grey, Grey, Grey},
        {lsRaised, White, Grey, Grey},
        {lsSunken, Grey, White, White},
    };
    for (const TCase& C : Cases) {
        Led->SetStyle(C.Style);
        auto B = Picture();
        const std::string Name = StringToUtf8(GetEnumName(TypeInfo<tLedStyle>(), C.Style));
        EXPECT_EQ(PixelOf(*B, 0, 11), C.Left) << Name;
        EXPECT_EQ(PixelOf(*B, 19, 11), C.Right) << Name;
        EXPECT_EQ(PixelOf(*B, 10, 21), C.Bottom) << Name;
    }
    // Off a panel the background is the button face.
    Led->SetParent(Form.get());
    Led->SetStyle(lsClear);
    EXPECT_EQ(PixelOf(*Picture(), 0, 0), TColor(ColorToRGB(clBtnFace)));
    EXPECT_EQ(GetOrdProp(Led, u"Color"), int(Lamp));
}

TEST(GradientBar, RangeRulesClampThePosition) {
    TKitGradientProgressBar Bar(nullptr);
    EXPECT_EQ(Bar.Width(), 150);
    EXPECT_EQ(Bar.BlockSize(), 6);
    EXPECT_EQ(Bar.BarColorFrom(), clWhite);
    EXPECT_EQ(Bar.BarColorTo(), clBlack);
    int Changes = 0;
    Bar.OnChange = [&](TObject*) { ++Changes; };
    struct TStep {
        const char* What;
        std::function<void()> Do;
        int Min, Max, Position;
    } Steps[] = {
        {"position 80", [&] { Bar.SetPosition(80); }, 0, 100, 80},
        {"max 50 lowers it", [&] { Bar.SetMax(50); }, 0, 50, 50},
        {"past max", [&] { Bar.SetPosition(70); }, 0, 50, 50},
        {"step past max", [&] { Bar.StepBy(1000); }, 0, 50, 50},
        {"min 60 is not above max", [&] { Bar.SetMin(60); }, 50, 50, 50},
        {"max below min", [&] { Bar.SetMax(10); }, 50, 50, 50},
        {"max 200", [&] { Bar.SetMax(200); }, 50, 200, 50},
        {"step below min", [&] { Bar.StepBy(-1000); }, 50, 200, 50},
        {"step it", [&] { Bar.StepIt(); }, 50, 200, 60},
    };
    for (const TStep& S : Steps) {
        S.Do();
        EXPECT_EQ(Bar.Min(), S.Min) << S.What;
        EXPECT_EQ(Bar.Max(), S.Max) << S.What;
        EXPECT_EQ(Bar.Position(), S.Position) << S.What;
    }
    EXPECT_EQ(Changes, 5);
}

TEST(GradientBar, PaintsItsGradientAndSeparators) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 300, 200);
    Form.SetColor(TColor(0x00C0C0));
    auto* Bar = new TKitGradientProgressBar(&Form);
    Bar->SetParent(&Form);
    Bar->SetColor(TColor(0x404040));
    Bar->SetBarColorFrom(clBlue);
    Bar->SetBarColorTo(TColor(0x8000FF));
    Form.Show();
    const TColor Back = TColor(0x404040);
    struct TProbe {
        int X, Y;
        TColor Color;
    };
    struct TCase {
        const char* What;
        TKitProgressBarOrientation Orientation;
        int Width, Height, Min, Max, Position, BlockSize;
        bool Smooth;
        std::vector<TProbe> Probes;
    } Cases[] = {
        // Extent 51 of 102: the gradient covers x 1..50, blue first and the end colour last.
        {"half", pbHorizontal, 102, 14, 0, 100, 50, 6, true,
         {{1, 7, clBlue}, {50, 7, TColor(0x8000FF)}, {52, 7, Back}, {100, 7, Back}}},
        {"full", pbHorizontal, 102, 14, 0, 100, 100, 6, true, {{1, 7, clBlue}, {99, 7, TColor(0x8000FF)}}},
        // At 0 only the background and the edge.
        {"empty", pbHorizontal, 102, 14, 0, 100, 0, 6, true, {{1, 7, Back}, {50, 7, Back}}},
        // Separators every (102 * 6 - 4) / 100 = 6.08 pixels from x = 2, in the control's colour.
        {"blocks", pbHorizontal, 102, 14, 0, 100, 100, 6, false,
         {{2, 7, Back}, {8, 7, Back}, {14, 7, Back}, {5, 7, clNone /* the gradient */}}},
        // Bottom up: the start colour at the bottom.
        {"vertical", pbVertical, 14, 102, 0, 100, 50, 6, true,
         {{7, 100, clBlue}, {7, 50, TColor(0x8000FF)}, {7, 40, Back}}},
        // A bar too short for its block size has a separator step of nothing: none are drawn
        // (and the paint ends).
        {"short", pbHorizontal, 3, 14, 0, 100, 100, 1, false, {{1, 7, Back}, {0, 0, TColor(ColorToRGB(clBtnShadow))}}},
    };
    for (const TCase& C : Cases) {
        Bar->SetOrientation(C.Orientation);
        Bar->SetBounds(10, 10, C.Width, C.Height);
        Bar->SetMin(-1000);
        Bar->SetMax(C.Max);
        Bar->SetMin(C.Min);
        Bar->SetPosition(C.Position);
        Bar->SetBlockSize(C.BlockSize);
        Bar->SetSmooth(C.Smooth);
        auto B = GrabControl(&Form);
        // The sunken edge: shadow on the top left.
        EXPECT_EQ(PixelOf(*B, 10, 10), TColor(ColorToRGB(clBtnShadow))) << C.What;
        for (const TProbe& P : C.Probes) {
            const TColor Got = PixelOf(*B, 10 + P.X, 10 + P.Y);
            if (P.Color == clNone) {
                EXPECT_NE(Got, Back) << C.What << " at " << P.X;
            } else {
                EXPECT_EQ(Got, P.Color) << C.What << " at " << P.X << "," << P.Y;
            }
        }
    }
}
