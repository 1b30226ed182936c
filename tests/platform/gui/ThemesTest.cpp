// The visual style's elements: no theme while styles are off, the check box's states, the tree
// glyph, the edit text colours, clipping, and a picture of them to look at.
#include "support/GraphicsTestSupport.h"

#include "platform/gui/Themes.h"

namespace {
struct TThemeOn {
    explicit TThemeOn(bool On) : FOld(IsThemeActive()) { SetThemeActive(On); }
    ~TThemeOn() { SetThemeActive(FOld); }
    bool FOld;
};
} // namespace

TEST(Themes, ThereIsNoThemeWhileVisualStylesAreOff) {
    TThemeOn Off(false);
    EXPECT_EQ(OpenThemeData(0, u"BUTTON"), 0u);
    auto B = NewCanvasBitmap(20, 20);
    EXPECT_FALSE(DrawThemeBackground(0, B->Canvas(), BP_CHECKBOX, CBS_CHECKEDNORMAL, Rect(0, 0, 13, 13)));
    EXPECT_EQ(InkBox(B->Canvas(), Rect(0, 0, 20, 20)), TRect{});
    EXPECT_FALSE(CloseThemeData(0));
}

TEST(Themes, ClassListsAreReadUpToTheFirstKnownClass) {
    TThemeOn On(true);
    const HTHEME Button = OpenThemeData(0, u"BUTTON");
    EXPECT_NE(Button, 0u);
    EXPECT_EQ(OpenThemeData(0, u"nosuch;button"), Button);
    EXPECT_EQ(OpenThemeData(0, u"nosuch"), 0u);
    EXPECT_EQ(OpenThemeData(0, u""), 0u);
    const HTHEME Tree = OpenThemeData(0, u"TreeView");
    EXPECT_NE(Tree, 0u);
    EXPECT_NE(Tree, Button);
    // A part the class does not have draws nothing.
    auto B = NewCanvasBitmap(20, 20);
    EXPECT_FALSE(DrawThemeBackground(Tree, B->Canvas(), BP_CHECKBOX, CBS_CHECKEDNORMAL, Rect(0, 0, 13, 13)));
    EXPECT_FALSE(DrawThemeBackground(Button, B->Canvas(), BP_CHECKBOX, 99, Rect(0, 0, 13, 13)));
    EXPECT_EQ(InkBox(B->Canvas(), Rect(0, 0, 20, 20)), TRect{});
    EXPECT_TRUE(CloseThemeData(Button));
    EXPECT_TRUE(CloseThemeData(Tree));
}

TEST(Themes, CheckBoxStatesAsATable) {
    TThemeOn On(true);
    const HTHEME T = OpenThemeData(0, u"BUTTON");
    struct Row {
        int State;
        TColor Frame, Face;
        bool Tick;
    };
    // clang-format off
    const Row Rows[] = {
        {CBS_UNCHECKEDNORMAL,   0x707070, 0xFFFFFF, false},
        {CBS_UNCHECKEDHOT,      0xFF9933, 0xFFF3E5, false},
        {CBS_UNCHECKEDPRESSED,  0xCC6600, 0xF7E4CC, false},
        {CBS_UNCHECKEDDISABLED, 0xBCBCBC, 0xF4F4F4, false},
        {CBS_CHECKEDNORMAL,     0x707070, 0xFFFFFF, true},
        {CBS_CHECKEDHOT,        0xFF9933, 0xFFF3E5, true},
        {CBS_CHECKEDPRESSED,    0xCC6600, 0xF7E4CC, true},
        {CBS_CHECKEDDISABLED,   0xBCBCBC, 0xF4F4F4, true},
    };
    // clang-format on
    for (const Row& R : Rows) {
        // A 17 x 13 cell: the box is the 13-pixel square in its middle.
        auto B = NewCanvasBitmap(21, 17, clBtnFace);
        ASSERT_TRUE(DrawThemeBackground(T, B->Canvas(), BP_CHECKBOX, R.State, Rect(2, 2, 19, 15)));
        EXPECT_EQ(InkBox(B->Canvas(), Rect(0, 0, 21, 17), clBtnFace), Rect(4, 2, 17, 15)) << R.State;
        ExpectPixels(B->Canvas(), {{4, 2, R.Frame}, {16, 14, R.Frame}, {5, 3, R.Face}, {15, 13, R.Face}},
                     "state " + std::to_string(R.State));
        // The tick's lowest point lies left of the middle, near the bottom.
        const TColor Low = B->Canvas()->Pixels(5 + 11 * 2 / 5, 3 + 11 - 3);
        EXPECT_EQ(Low != TColor(ColorToRGB(R.Face)), R.Tick) << R.State;
        if (R.Tick) {
            EXPECT_EQ(ColorText(Low), ColorText(R.State == CBS_CHECKEDDISABLED ? 0xA0A0A0 : 0x202020));
        }
    }
}

TEST(Themes, TreeGlyphsPointRightWhenClosedAndDownWhenOpened) {
    TThemeOn On(true);
    const HTHEME T = OpenThemeData(0, u"TREEVIEW");
    auto Closed = NewCanvasBitmap(20, 20), Opened = NewCanvasBitmap(20, 20);
    ASSERT_TRUE(DrawThemeBackground(T, Closed->Canvas(), TVP_GLYPH, GLPS_CLOSED, Rect(5, 5, 15, 15)));
    ASSERT_TRUE(DrawThemeBackground(T, Opened->Canvas(), TVP_GLYPH, GLPS_OPENED, Rect(5, 5, 15, 15)));
    EXPECT_EQ(InkBox(Closed->Canvas(), Rect(0, 0, 20, 20)), Rect(8, 6, 13, 15));
    EXPECT_EQ(InkBox(Opened->Canvas(), Rect(0, 0, 20, 20)), Rect(6, 8, 15, 13));
}

TEST(Themes, DrawingStaysInsideTheClipRectangle) {
    TThemeOn On(true);
    const HTHEME T = OpenThemeData(0, u"BUTTON");
    auto B = NewCanvasBitmap(20, 20);
    const TRect Clip = Rect(0, 0, 7, 20);
    ASSERT_TRUE(DrawThemeBackground(T, B->Canvas(), BP_CHECKBOX, CBS_CHECKEDNORMAL, Rect(0, 0, 13, 13), &Clip));
    EXPECT_EQ(InkBox(B->Canvas(), Rect(0, 0, 20, 20)), Rect(0, 0, 7, 13));
}

TEST(Themes, EditTextColours) {
    TThemeOn On(true);
    const HTHEME T = OpenThemeData(0, u"EDIT");
    TColor C = clNone;
    ASSERT_TRUE(GetThemeColor(T, EP_EDITTEXT, ETS_DISABLED, TMT_TEXTCOLOR, C));
    EXPECT_EQ(C, TColor(0x6D6D6D));
    ASSERT_TRUE(GetThemeColor(T, EP_EDITTEXT, ETS_NORMAL, TMT_TEXTCOLOR, C));
    EXPECT_EQ(C, TColor(ColorToRGB(clWindowText)));
    EXPECT_FALSE(GetThemeColor(T, EP_EDITTEXT, ETS_NORMAL, 1234, C));
    EXPECT_FALSE(GetThemeColor(OpenThemeData(0, u"BUTTON"), EP_EDITTEXT, ETS_NORMAL, TMT_TEXTCOLOR, C));
}

TEST(Themes, APictureOfTheElements) {
    TThemeOn On(true);
    const HTHEME Button = OpenThemeData(0, u"BUTTON"), Tree = OpenThemeData(0, u"TREEVIEW");
    auto B = NewCanvasBitmap(8 * 20 + 2 * 20, 20, clBtnFace);
    for (int S = CBS_UNCHECKEDNORMAL; S <= CBS_CHECKEDDISABLED; ++S)
        DrawThemeBackground(Button, B->Canvas(), BP_CHECKBOX, S, Rect((S - 1) * 20, 0, (S - 1) * 20 + 20, 20));
    DrawThemeBackground(Tree, B->Canvas(), TVP_GLYPH, GLPS_CLOSED, Rect(160, 0, 180, 20));
    DrawThemeBackground(Tree, B->Canvas(), TVP_GLYPH, GLPS_OPENED, Rect(180, 0, 200, 20));
    TTempFolder Folder;
    GrabToPng(B.get(), Folder, "theme_elements.png");
    EXPECT_NE(InkBox(B->Canvas(), Rect(160, 0, 200, 20), clBtnFace), TRect{});
}
