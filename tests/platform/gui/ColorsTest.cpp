#include "platform/base/Object.h"
#include "platform/base/TypeInfo.h"
#include "platform/gui/Graphics.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(Colors, ConvertAsATable) {
    struct Row {
        TColor Color;
        TColorRef Rgb;
        const char16_t* Text;
    };
    const Row Rows[] = {
        {clBlack, 0x000000, u"clBlack"},
        {clRed, 0x0000FF, u"clRed"},
        {clNavy, 0x800000, u"clNavy"},
        {clMoneyGreen, 0xC0DCC0, u"clMoneyGreen"},
        {clMedGray, 0xA4A0A0, u"clMedGray"},
        {clBtnFace, 0xC8D0D4, u"clBtnFace"},
        {clBtnShadow, 0x808080, u"clBtnShadow"},
        {clBtnHighlight, 0xFFFFFF, u"clBtnHighlight"},
        {cl3DDkShadow, 0x404040, u"cl3DDkShadow"},
        {clHighlight, 0x6A240A, u"clHighlight"},
        {clWindow, 0xFFFFFF, u"clWindow"},
        {clWindowText, 0x000000, u"clWindowText"},
        {clInfoBk, 0xE1FFFF, u"clInfoBk"},
        {clGradientActiveCaption, 0xF0CAA6, u"clGradientActiveCaption"},
        {clMenuBar, 0xC8D0D4, u"clMenuBar"},
        {clNone, 0x1FFFFFFF, u"clNone"},
        {clDefault, 0x20000000, u"clDefault"},
        {0x123456, 0x123456, u"$00123456"},
    };
    for (const Row& R : Rows) {
        SCOPED_TRACE(U8(R.Text));
        EXPECT_EQ(ColorToRGB(R.Color), R.Rgb);
        EXPECT_EQ(U8(ColorToString(R.Color)), U8(R.Text));
        EXPECT_EQ(StringToColor(R.Text), R.Color);
    }
    EXPECT_EQ(clBtnFace, TColor(0xFF00000F));
    EXPECT_EQ(clMenuBar, TColor(0xFF00001E));
}

TEST(Colors, NamesAndNumbersAreRead) {
    TColor C = 0;
    EXPECT_TRUE(IdentToColor(u"CLRED", C));
    EXPECT_EQ(C, clRed);
    EXPECT_FALSE(IdentToColor(u"clRedish", C));
    EXPECT_EQ(StringToColor(u"$000000FF"), clRed);
    EXPECT_EQ(StringToColor(u"255"), clRed);
    EXPECT_EQ(StringToColor(u"$FF00000F"), clBtnFace);
    EXPECT_THROW(StringToColor(u"reddish"), EConvertError);
    EXPECT_EQ(RGB(1, 2, 3), 0x030201);
    EXPECT_EQ(GetRValue(0x030201), 1);
    EXPECT_EQ(GetGValue(0x030201), 2);
    EXPECT_EQ(GetBValue(0x030201), 3);
    int Names = 0;
    GetColorValues([&](const String&) { ++Names; });
    EXPECT_EQ(Names, 52);
}

TEST(Colors, ColourPropertiesArePublishedAsTColor) {
    const TPropInfo* Info = GetPropInfo(TFont::StaticClass(), u"Color");
    ASSERT_NE(Info, nullptr);
    EXPECT_EQ(U8(Info->PropType->Name), "TColor");
    TFont Font;
    SetOrdProp(&Font, u"Color", clRed);
    EXPECT_EQ(Font.Color(), clRed);
    EXPECT_EQ(U8(GetSetProp(&Font, u"Style")), "[]");
    SetSetProp(&Font, u"Style", u"[fsBold,fsItalic]");
    EXPECT_EQ(Font.Style(), TFontStyles({fsBold, fsItalic}));
}
