// A window's bevel: the room it takes off the client area, the edge it draws in the frame, and
// the 3-D look that children take from their parent.
#include "support/GuiTestSupport.h"

#include "platform/base/TypeInfo.h"

namespace {

// Its frame shows its colour, its client area is white.
class TWhiteInside : public TCustomControl {
public:
    explicit TWhiteInside(TComponent* AOwner, TWinControl* AParent) : TCustomControl(AOwner) {
        SetBounds(20, 20, 60, 40);
        SetColor(clYellow);
        SetParent(AParent);
    }

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(clWhite);
        Canvas()->FillRect(ClientRect());
    }
};

struct TProbe {
    int X, Y;
    TColor Color;
};

struct TBevelCase {
    const char* Name;
    TBevelKind Kind;
    TBevelCut Inner, Outer;
    int Width;
    TBevelEdges Edges;
    bool Ctl3D;
    int BorderWidth;
    TRect Client;                // in window coordinates
    std::vector<TProbe> Probes; // window coordinates of the 60 x 40 window
};

constexpr TBevelEdges AllEdges{beLeft, beTop, beRight, beBottom};

// clang-format off
const TBevelCase BevelCases[] = {
    {"NoKindNoRoom", bkNone, bvRaised, bvLowered, 1, AllEdges, true, 0, Rect(0, 0, 60, 40),
     {{0, 0, clWhite}, {59, 39, clWhite}}},
    {"TileEtched", bkTile, bvRaised, bvLowered, 1, AllEdges, true, 0, Rect(2, 2, 58, 38),
     {{0, 0, clBtnShadow}, {0, 20, clBtnShadow}, {59, 39, clBtnHighlight}, {59, 20, clBtnHighlight},
      {1, 1, clBtnHighlight}, {58, 38, clBtnShadow}, {2, 2, clWhite}, {57, 37, clWhite}}},
    {"SoftRaisedLeftAndTop", bkSoft, bvRaised, bvRaised, 1, TBevelEdges{beLeft, beTop}, true, 0,
     Rect(2, 2, 60, 40),
     {{0, 20, clBtnHighlight}, {1, 20, cl3DLight}, {30, 0, clBtnHighlight}, {30, 1, cl3DLight},
      {59, 20, clWhite}, {30, 39, clWhite}}},
    {"FlatOuterThreeWide", bkFlat, bvNone, bvLowered, 3, AllEdges, true, 0, Rect(3, 3, 57, 37),
     {{0, 0, clBtnShadow}, {59, 39, clBtnShadow}, {1, 1, clYellow}, {2, 20, clYellow}, {3, 3, clWhite}}},
    {"MonoWithoutCtl3D", bkTile, bvRaised, bvLowered, 1, AllEdges, false, 0, Rect(2, 2, 58, 38),
     {{0, 0, clWindowFrame}, {59, 39, clWindowFrame}, {1, 1, clWindow}, {58, 38, clWindow}}},
    {"SpaceTakesRoomOnly", bkTile, bvSpace, bvNone, 4, AllEdges, true, 0, Rect(4, 4, 56, 36),
     {{0, 0, clYellow}, {3, 20, clYellow}, {4, 4, clWhite}}},
    {"BorderWidthInsideTheBevel", bkTile, bvRaised, bvLowered, 1, TBevelEdges{beBottom}, true, 3,
     Rect(3, 3, 57, 35),
     {{30, 39, clBtnHighlight}, {30, 38, clBtnShadow}, {30, 36, clYellow}, {30, 0, clYellow}, {3, 3, clWhite}}},
};
// clang-format on

class BevelFrame : public ::testing::TestWithParam<TBevelCase> {};

} // namespace

TEST_P(BevelFrame, TakesItsRoomAndDrawsItsEdges) {
    const TBevelCase& Case = GetParam();
    TForm Form(nullptr);
    Form.SetBounds(10, 10, 200, 120);
    Form.SetColor(clSilver);
    auto* Control = new TWhiteInside(&Form, &Form);
    Control->SetBevelInner(Case.Inner);
    Control->SetBevelOuter(Case.Outer);
    Control->SetBevelWidth(Case.Width);
    Control->SetBevelEdges(Case.Edges);
    Control->SetCtl3D(Case.Ctl3D);
    Control->SetBorderWidth(Case.BorderWidth);
    Control->SetBevelKind(Case.Kind);
    // The room is known before the window exists, and stays when it does.
    EXPECT_EQ(Control->ClientRect(), Rect(0, 0, Case.Client.Width(), Case.Client.Height()));
    Form.Show();
    Pump();
    EXPECT_EQ(Control->ClientRect(), Rect(0, 0, Case.Client.Width(), Case.Client.Height()));
    const TPoint Origin = Control->ClientOrigin();
    const TPoint Corner = Form.ClientToScreen({20, 20});
    EXPECT_EQ(Origin.X - Corner.X, Case.Client.Left);
    EXPECT_EQ(Origin.Y - Corner.Y, Case.Client.Top);
    const QImage Image = Grab(Control);
    for (const TProbe& P : Case.Probes)
        EXPECT_EQ(ColorToRGB(PixelAt(Image, P.X, P.Y)), ColorToRGB(P.Color)) << "at (" << P.X << ", " << P.Y << ")";
}

INSTANTIATE_TEST_SUITE_P(Controls, BevelFrame, ::testing::ValuesIn(BevelCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(Controls, BevelChangesMeasureTheClientAreaAgainAndPublish) {
    TForm Form(nullptr);
    Form.SetBounds(10, 10, 200, 120);
    auto* Control = new TWhiteInside(&Form, &Form);
    Form.Show();
    Pump();
    EXPECT_EQ(Control->ClientWidth(), 60);
    SetEnumProp(Control, u"BevelKind", u"bkTile");
    EXPECT_EQ(Control->ClientWidth(), 56);
    SetOrdProp(Control, u"BevelWidth", 0); // at least 1
    EXPECT_EQ(Control->BevelWidth(), 1);
    SetOrdProp(Control, u"BevelWidth", 2);
    EXPECT_EQ(Control->ClientWidth(), 52);
    SetEnumProp(Control, u"BevelInner", u"bvNone");
    EXPECT_EQ(Control->ClientWidth(), 56);
    SetSetProp(Control, u"BevelEdges", u"[beTop]");
    EXPECT_EQ(Control->ClientWidth(), 60);
    EXPECT_EQ(Control->ClientHeight(), 38);
    // Ctl3D is stored only when the control does not follow its parent.
    EXPECT_EQ(GetEnumProp(Control, u"BevelKind"), u"bkTile");
    EXPECT_FALSE(IsStoredProp(Control, u"Ctl3D"));
    SetOrdProp(Control, u"Ctl3D", 0);
    EXPECT_TRUE(IsStoredProp(Control, u"Ctl3D"));
    EXPECT_EQ(GetOrdProp(Control, u"ParentCtl3D"), 0);
}

TEST(Controls, Ctl3DFollowsTheParentUntilSetItself) {
    TForm Form(nullptr);
    auto* Outer = new TTestPanel(&Form, &Form);
    auto* Inner = new TTestPanel(&Form, Outer);
    EXPECT_TRUE(Inner->Ctl3D());
    Form.SetCtl3D(false);
    EXPECT_FALSE(Outer->Ctl3D());
    EXPECT_FALSE(Inner->Ctl3D());
    EXPECT_TRUE(Inner->ParentCtl3D());
    // Its own value ends following; asking to follow again takes the parent's at once.
    Inner->SetCtl3D(true);
    EXPECT_FALSE(Inner->ParentCtl3D());
    Form.SetCtl3D(true);
    Form.SetCtl3D(false);
    EXPECT_TRUE(Inner->Ctl3D());
    Inner->SetParentCtl3D(true);
    EXPECT_FALSE(Inner->Ctl3D());
    // A child put into a parent takes the parent's look.
    auto* Late = new TTestPanel(&Form, nullptr);
    EXPECT_TRUE(Late->Ctl3D());
    Late->SetParent(Outer);
    EXPECT_FALSE(Late->Ctl3D());
}
