// The transparent panel and the speed button: images per state, the disabled caption, and the
// buttons' faces grabbed into a picture in the test's folder.
#include "dataaware/foundation/daSpeedButton.h"

#include "platform/gui/Forms.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

namespace {

// Four 8 x 8 images in red, green, blue and yellow: normal, disabled, pressed, hot.
std::unique_ptr<TImageList> FourImages(TComponent* Owner) {
    auto List = std::make_unique<TImageList>(Owner);
    List->SetSize(8, 8);
    for (TColor C : {clRed, clLime, clBlue, clYellow}) {
        TBitmap B(8, 8);
        B.Canvas()->Brush()->SetColor(C);
        B.Canvas()->FillRect(TRect(0, 0, 8, 8));
        List->Add(&B, nullptr);
    }
    return List;
}

class TProbeButton : public TdaSpeedButton {
public:
    using TdaSpeedButton::TdaSpeedButton;
    void Enter() { Perform(CM_MOUSEENTER, 0, LPARAM(this)); }
    void Leave() { Perform(CM_MOUSELEAVE, 0, LPARAM(this)); }
    void Press() { SetControlState(ControlState() + TControlState{csLButtonDown}); }
};

} // namespace

TEST(SpeedButton, Defaults) {
    TdaSpeedButton B(nullptr);
    EXPECT_EQ(B.ImageIndex(), -1);
    EXPECT_EQ(B.Margin(), -1);
    EXPECT_EQ(B.NumGlyphs(), 1);
    EXPECT_EQ(B.Spacing(), 4);
    EXPECT_EQ(B.Width(), 25);
    EXPECT_EQ(B.Height(), 25);
    EXPECT_TRUE(B.Transparent());
    EXPECT_FALSE(B.ControlStyle().Contains(csDoubleClicks));
    EXPECT_EQ(B.DisabledTextColors()->ShadeColor, clGray);
    EXPECT_EQ(B.DisabledTextColors()->HighlightColor, clBtnHighlight);
    EXPECT_EQ(B._AddRef(), 1);
    EXPECT_EQ(B._Release(), 0);
    EXPECT_EQ(B.Width(), 25);
}

TEST(SpeedButton, ImageOfTheState) {
    TForm Form(nullptr);
    auto List = FourImages(nullptr);
    auto* B = new TProbeButton(&Form);
    B->SetParent(&Form);
    B->SetImageList(List.get());
    B->SetImageIndex(0);
    B->SetNumGlyphs(4);
    EXPECT_EQ(B->ShownImageIndex(), 0);
    B->Enter();
    EXPECT_EQ(B->ShownImageIndex(), 3);
    B->Press();
    EXPECT_EQ(B->ShownImageIndex(), 2);
    B->SetEnabled(false);
    EXPECT_EQ(B->ShownImageIndex(), 1);
    B->SetNumGlyphs(1);
    EXPECT_EQ(B->ShownImageIndex(), 0);
    B->Leave();
}

TEST(SpeedButton, FacesOfButtonsAndCaptions) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 200, 60);
    Form.SetColor(clWhite);
    auto List = FourImages(&Form);
    auto* Normal = new TProbeButton(&Form);
    Normal->SetParent(&Form);
    Normal->SetImageList(List.get());
    Normal->SetImageIndex(0);
    Normal->SetNumGlyphs(4);
    auto* Hot = new TProbeButton(&Form);
    Hot->SetParent(&Form);
    Hot->SetLeft(30);
    Hot->SetImageList(List.get());
    Hot->SetImageIndex(0);
    Hot->SetNumGlyphs(4);
    Hot->SetFlat(true);
    auto* Disabled = new TProbeButton(&Form);
    Disabled->SetParent(&Form);
    Disabled->SetBounds(60, 0, 60, 25);
    Disabled->SetCaption(u"Off");
    Disabled->SetShowText(true);
    Disabled->SetEnabled(false);
    Disabled->DisabledTextColors()->ShadeColor = clRed;
    Disabled->DisabledTextColors()->HighlightColor = clBlue;
    Form.Show();
    Hot->Enter();
    auto Shot = GrabControl(&Form);
    SaveControlImage(&Form, u"speed-buttons.png");
    List.release();

    // Image rectangle: 25 - 4 of the frame, centred, then one down and one right (odd width).
    EXPECT_EQ(RgbOf(*Shot, 12, 12), ColorToRGB(clRed));
    EXPECT_EQ(RgbOf(*Shot, 0, 0), ColorToRGB(clBtnHighlight));
    // Flat and hot: the hot image and a raised inner edge.
    EXPECT_EQ(RgbOf(*Shot, 30 + 12, 12), ColorToRGB(clYellow));
    EXPECT_EQ(RgbOf(*Shot, 30, 0), ColorToRGB(clBtnHighlight));
    // The disabled caption in both colours, one pixel apart.
    int Red = 0, Blue = 0;
    for (int Y = 0; Y < 25; ++Y)
        for (int X = 62; X < 118; ++X) {
            Red += RgbOf(*Shot, X, Y) == ColorToRGB(clRed);
            Blue += RgbOf(*Shot, X, Y) == ColorToRGB(clBlue);
        }
    EXPECT_GT(Red, 5);
    EXPECT_GT(Blue, 0);
}

TEST(TransparentPanel, PaintsNoBackgroundAndInvalidatesTheParent) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 100, 100);
    Form.SetColor(clLime);
    auto* Panel = new TdaCustomTransparentPanel(&Form);
    Panel->SetParent(&Form);
    Panel->SetBounds(10, 10, 50, 50);
    Panel->SetColor(clRed);
    Panel->SetTransparent(true);
    EXPECT_TRUE(Panel->IsTransparent());
    Form.Show();
    auto Shot = GrabControl(&Form);
    // The bevel, and the parent's colour inside.
    EXPECT_EQ(RgbOf(*Shot, 10, 10), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(RgbOf(*Shot, 35, 35), ColorToRGB(clLime));
    // At design time it is an opaque panel.
    Panel->SetComponentState(Panel->ComponentState() + TComponentState{csDesigning});
    EXPECT_FALSE(Panel->IsTransparent());
    Panel->SetComponentState(Panel->ComponentState() - TComponentState{csDesigning});
    // Moving it invalidates the parent under it.
    int Painted = 0;
    TWndMethod Old = Form.WindowProc();
    Form.SetWindowProc([&](TMessage& M) {
        if (M.Msg == WM_PAINT) ++Painted;
        Old(M);
    });
    Form.Update();
    Painted = 0;
    Panel->SetLeft(20);
    Form.Update();
    EXPECT_GE(Painted, 1);
    Form.SetWindowProc(Old);
}

namespace {
// A parent that paints red and blue stripes four pixels wide.
class TStripedParent : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void Paint() override {
        for (int X = 0; X < ClientWidth(); X += 4) {
            Canvas()->Brush()->SetColor((X / 4) % 2 ? clBlue : clRed);
            Canvas()->FillRect(TRect(X, 0, X + 4, ClientHeight()));
        }
    }
};
} // namespace

TEST(TransparentPanel, ShowsItsParentsPaintingAndCoversItWhenMadeOpaque) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 160, 120);
    auto* Back = new TStripedParent(&Form);
    Back->SetParent(&Form);
    Back->SetBounds(0, 0, 140, 100);
    auto* Panel = new TdaCustomTransparentPanel(&Form);
    Panel->SetParent(Back);
    Panel->SetBounds(10, 10, 80, 60);
    Panel->SetColor(clLime);
    Panel->SetTransparent(true);
    Form.Show();
    auto Shot = GrabControl(Back);
    for (int X = 20; X < 80; X += 3)
        EXPECT_EQ(PixelOf(*Shot, X, 40), (X / 4) % 2 ? clBlue : clRed) << "x " << X;
    EXPECT_EQ(RgbOf(*Shot, 10, 10), ColorToRGB(clBtnHighlight)) << "the bevel stays";
    // Switched off after the window exists, the panel paints its own colour again.
    Panel->SetTransparent(false);
    ProcessMessages();
    auto Opaque = GrabControl(Back);
    EXPECT_EQ(PixelOf(*Opaque, 40, 40), clLime);
    Panel->SetTransparent(true);
    ProcessMessages();
    auto Again = GrabControl(Back);
    EXPECT_EQ(PixelOf(*Again, 44, 40), clBlue);
}
