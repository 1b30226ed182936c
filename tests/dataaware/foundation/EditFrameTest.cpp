// The flat edit frame: its effective state, text positions, what NCPaint draws, assignment;
// and the button effects pushed onto a button by property name.
#include "dataaware/foundation/daEditFrame.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/StdCtrls.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

namespace {

class TCustomGrid : public TCustomControl {
    DECLARE_CLASS(TCustomGrid, TCustomControl)
public:
    using TCustomControl::TCustomControl;
};

// A button with the two properties that button effects write by name.
class TFlatButton : public TGraphicControl {
    DECLARE_CLASS(TFlatButton, TGraphicControl)
public:
    using TGraphicControl::TGraphicControl;
    bool Flat = false;
    bool Transparent = false;

private:
    static void Published(TPublisher<TFlatButton>& P) {
        P.Property(u"Flat", &TFlatButton::Flat);
        P.Property(u"Transparent", &TFlatButton::Transparent);
    }
};


} // namespace

TEST(EditFrame, DefaultsAndTheControlItBelongsTo) {
    TForm Form(nullptr);
    auto& Edit = *new TEdit(&Form);
    TdaEditFrame Frame(&Edit);
    EXPECT_EQ(Frame.Control(), &Edit);
    EXPECT_FALSE(Frame.Enabled());
    EXPECT_EQ(Frame.FocusBorders(), (TdaEditFrameEnabledSet{efLeftBorder, efTopBorder, efRightBorder, efBottomBorder}));
    EXPECT_EQ(Frame.NonFocusBorders(), TdaEditFrameEnabledSet{efBottomBorder});
    EXPECT_EQ(Frame.NonFocusColor, clNone);
    // A frame of a component that is not a windowed control has none and draws nothing.
    TComponent Plain(nullptr);
    TdaEditFrame Orphan(&Plain);
    Orphan.SetEnabled(true);
    EXPECT_EQ(Orphan.Control(), nullptr);
    EXPECT_FALSE(Orphan.IsFrameEffective());
    TBitmap B(10, 10);
    EXPECT_TRUE(Orphan.NCPaint(false, false, B.Canvas()));
}

TEST(EditFrame, EnablingDropsTheSystemBorderButNotInsideAGrid) {
    TForm Form(nullptr);
    auto& Edit = *new TEdit(&Form);
    Edit.SetParent(&Form);
    TdaEditFrame Frame(&Edit);
    Frame.SetEnabled(true);
    EXPECT_EQ(Edit.BorderStyle(), Controls::bsNone);
    EXPECT_TRUE(Frame.IsFrameEffective());
    auto& Grid = *new TCustomGrid(&Form);
    Grid.SetParent(&Form);
    Edit.SetParent(&Grid);
    EXPECT_FALSE(Frame.IsFrameEffective());
    TBitmap B(10, 10);
    EXPECT_TRUE(Frame.NCPaint(true, false, B.Canvas()));
}

TEST(EditFrame, TextPositionsAndEditRect) {
    TdaEditFrame Frame(nullptr);
    struct TCase {
        TdaEditFocusStyle Style;
        TdaEditFrameEnabledSet Borders;
        int Left, Indent;
    };
    const TdaEditFrameEnabledSet All{efLeftBorder, efTopBorder, efRightBorder, efBottomBorder};
    for (const TCase& C : {TCase{efsFrameBox, All, 2, 2}, TCase{efsFrameSunken, All, 3, 3},
                           TCase{efsFrameSunken, {efBottomBorder}, 1, 2}, TCase{efsFrameSingle, {efLeftBorder}, 2, 2}}) {
        Frame.SetFocusStyle(C.Style);
        Frame.SetFocusBorders(C.Borders);
        int Left = 0, Indent = 0;
        Frame.GetFrameTextPosition(Left, Indent, true);
        EXPECT_EQ(Left, C.Left) << int(C.Style);
        EXPECT_EQ(Indent, C.Indent) << int(C.Style);
    }
    Frame.NonFocusTextOffsetX = 5;
    Frame.NonFocusTextOffsetY = 1;
    int Left = 0, Indent = 0;
    Frame.GetFrameTextPosition(Left, Indent, false);
    EXPECT_EQ(Left, 1 + 5);
    EXPECT_EQ(Indent, 2 + 1);

    Frame.SetFocusStyle(efsFrameBox);
    Frame.SetFocusBorders(All);
    TRect R(0, 0, 100, 20);
    Frame.GetEditRectForFrame(R);
    EXPECT_EQ(R, TRect(2, 2, 99, 20));
    Frame.SetFocusStyle(efsFrameBump);
    R = TRect(0, 0, 100, 20);
    Frame.GetEditRectForFrame(R);
    EXPECT_EQ(R, TRect(3, 3, 98, 20));
}

TEST(EditFrame, NCPaintDrawsTheEdgesOfTheState) {
    TForm Form(nullptr);
    auto& Edit = *new TEdit(&Form);
    Edit.SetParent(&Form);
    Edit.SetBounds(0, 0, 12, 10);
    Edit.SetColor(clRed);
    TdaEditFrame Frame(&Edit);
    Frame.SetEnabled(true);
    const TdaEditFrameEnabledSet All{efLeftBorder, efTopBorder, efRightBorder, efBottomBorder};
    const TColor Shadow = ColorToRGB(clBtnShadow), Face = ColorToRGB(clBtnFace);

    // A single frame: one flat ring in the shadow colour, the colour of the control inside.
    Frame.SetFocusStyle(efsFrameSingle);
    Frame.SetFocusBorders(All);
    TBitmap B(12, 10);
    EXPECT_FALSE(Frame.NCPaint(true, false, B.Canvas()));
    EXPECT_EQ(RgbOf(B, 0, 0), Shadow);
    EXPECT_EQ(RgbOf(B, 11, 9), Shadow);
    EXPECT_EQ(RgbOf(B, 1, 1), ColorToRGB(clRed));
    // A box: two flat rings.
    Frame.SetFocusStyle(efsFrameBox);
    EXPECT_FALSE(Frame.NCPaint(true, false, B.Canvas()));
    EXPECT_EQ(RgbOf(B, 0, 5), Shadow);
    EXPECT_EQ(RgbOf(B, 1, 5), Face);
    EXPECT_EQ(RgbOf(B, 2, 5), ColorToRGB(clWhite));
    // No borders without the focus: no edges, but the outer rings take the control's colour.
    Frame.SetNonFocusBorders({});
    B.Canvas()->Brush()->SetColor(clWhite);
    B.Canvas()->FillRect(TRect(0, 0, 12, 10));
    EXPECT_FALSE(Frame.NCPaint(false, false, B.Canvas()));
    EXPECT_EQ(RgbOf(B, 0, 0), ColorToRGB(clRed));
    EXPECT_EQ(RgbOf(B, 1, 1), ColorToRGB(clRed));
    EXPECT_EQ(RgbOf(B, 2, 2), ColorToRGB(clWhite));
    // A transparent frame leaves the rings alone while unfocused.
    Frame.SetTransparent(true);
    B.Canvas()->Brush()->SetColor(clWhite);
    B.Canvas()->FillRect(TRect(0, 0, 12, 10));
    Frame.NCPaint(false, false, B.Canvas());
    EXPECT_EQ(RgbOf(B, 0, 0), ColorToRGB(clWhite));
}

TEST(EditFrame, AssignAllOfADisabledFrameCopiesOnlyTheSwitches) {
    TdaEditFrame Source(nullptr), Target(nullptr);
    Source.SetFocusStyle(efsFrameEtched);
    Source.SetTransparent(true);
    Source.NonFocusColor = clRed;
    Target.Assign(&Source);
    EXPECT_TRUE(Target.Transparent());
    EXPECT_TRUE(Target.CreateTransparent);
    EXPECT_EQ(Target.FocusStyle(), efsFrameBox);
    EXPECT_EQ(Target.NonFocusColor, clNone);
    Target.AssignAll(&Source, true);
    EXPECT_EQ(Target.FocusStyle(), efsFrameEtched);
    EXPECT_EQ(Target.NonFocusColor, clRed);
    Source.SetEnabled(true);
    Source.SetNonFocusBorders({efTopBorder});
    TdaEditFrame Third(nullptr);
    Third.Assign(&Source);
    EXPECT_TRUE(Third.Enabled());
    EXPECT_EQ(Third.NonFocusBorders(), TdaEditFrameEnabledSet{efTopBorder});
}

TEST(EditFrame, ButtonEffectsWriteTheButtonsPropertiesByName) {
    TFlatButton Button(nullptr);
    TdaButtonEffects Effects(nullptr, &Button);
    Effects.SetTransparent(true);
    EXPECT_TRUE(Button.Transparent);
    EXPECT_TRUE(Button.Flat);
    Effects.SetFlat(true);
    Effects.SetFlat(false);
    // Still transparent, so the button stays flat.
    EXPECT_TRUE(Button.Flat);
    TdaButtonEffects Copy(nullptr, nullptr);
    Copy.Assign(&Effects);
    EXPECT_TRUE(Copy.Transparent());
    EXPECT_FALSE(Copy.Flat());
    EXPECT_EQ(TdaButtonEffects::Get(&Button), nullptr);
    EXPECT_EQ(TdaEditFrame::Get(&Button), nullptr);
    EXPECT_FALSE(daGetAutoSize(&Button));
}

TEST(EditFrame, InvalidationReachesUpThroughTransparentParents) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 200, 200);
    auto& Edit = *new TEdit(&Form);
    Edit.SetParent(&Form);
    Edit.SetBounds(10, 10, 50, 20);
    Form.Show();
    Form.Update();
    EXPECT_FALSE(daIsParentTransparent(&Edit));
    TdaEditFrame Frame(&Edit);
    Frame.SetEnabled(true);
    Frame.SetTransparent(true);
    // Invalidating the parent under the edit makes the form paint that area again.
    int Painted = 0;
    TWndMethod Old = Form.WindowProc();
    Form.SetWindowProc([&](TMessage& M) {
        if (M.Msg == WM_PAINT) ++Painted;
        Old(M);
    });
    Frame.RefreshControl();
    Form.Update();
    EXPECT_GE(Painted, 1);
    Form.SetWindowProc(Old);
}
