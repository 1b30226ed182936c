#include "settings/UtilConvert.h"

#include "platform/base/Component.h"
#include "support/TestSupport.h"

TEST(UtilConvert, RectangleExtents) {
    EXPECT_EQ(AbsRectWidth(Rect(10, 0, 4, 0)), 6);
    EXPECT_EQ(AbsRectHeight(Rect(0, 3, 0, 10)), 7);
    EXPECT_EQ(AbsRectHeight(Rect(0, 10, 0, 3)), 7);
}

TEST(UtilConvert, HexTextOfBytes) {
    const Byte Bytes[] = {0x0A, 0xFF, 0x00};
    EXPECT_EQ(U8(BinToHexText(Bytes, 3)), "0AFF00");
    EXPECT_EQ(U8(BinToHexText(Bytes, 0)), "");

    struct {
        const char16_t* Text;
        int Max;
        std::vector<Byte> Expected;
    } const Cases[] = {
        {u"abc", 4, {0x0A, 0xBC}}, {u"0AFF", 4, {0x0A, 0xFF}}, {u"0AFF", 1, {0x0A}}, {u"", 4, {}},
        {u"7", 4, {0x07}},
    };
    for (const auto& Case : Cases) {
        Byte Out[8] = {};
        const int N = HexTextToBin(Case.Text, Out, Case.Max);
        EXPECT_EQ(std::vector<Byte>(Out, Out + N), Case.Expected) << U8(Case.Text);
    }
    Byte Out[4] = {};
    EXPECT_THROW(HexTextToBin(u"12xz34", Out, 4), EConvertError);
    EXPECT_EQ(Out[0], 0x12); // the bytes before the bad pair are written
}

TEST(UtilConvert, Words) {
    EXPECT_EQ(U8(WordAt(3, u"10, 20,,30", u" ,")), "30");
    EXPECT_EQ(WordStart(3, u"10, 20,,30", u" ,"), 9);
    EXPECT_EQ(U8(WordAt(1, u"  a b", u" ")), "a");
    EXPECT_EQ(U8(WordAt(4, u"10, 20,,30", u" ,")), "");
    EXPECT_EQ(WordStart(1, u",,,", u","), 0);
}

TEST(UtilConvert, KeyedXorAsHex) {
    EXPECT_EQ(U8(XorToHex(u"", u"abc")), "616263");
    EXPECT_EQ(U8(XorToHex(u"\x01", u"abc")), "606362");
    struct {
        const char16_t* Key;
        const char16_t* Text;
    } const Cases[] = {{u"", u"abc"}, {u"key", u"some text longer than the key"}, {u"K", u"\u00E9t\u00E9"}};
    for (const auto& Case : Cases)
        EXPECT_EQ(U8(XorFromHex(Case.Key, XorToHex(Case.Key, Case.Text))), U8(Case.Text));
    EXPECT_EQ(U8(XorFromHex(u"", u"6162zz6")), "ab "); // a bad pair is a blank, a last odd digit ignored
}

TEST(UtilConvert, BitsOnlyTouchTheirByte) {
    Byte Buffer[3] = {0, 0, 0xEE};
    SetBitInBuffer(Buffer, 0);
    SetBitInBuffer(Buffer, 9);
    EXPECT_EQ(Buffer[0], 0x01);
    EXPECT_EQ(Buffer[1], 0x02);
    EXPECT_EQ(Buffer[2], 0xEE);
    EXPECT_TRUE(BitInBuffer(Buffer, 9));
    EXPECT_FALSE(BitInBuffer(Buffer, 8));
    // The same bits as in 32-bit words on this machine.
    Cardinal Words[2] = {};
    SetBitInBuffer(Words, 37);
    EXPECT_EQ(Words[1], 1u << 5);
}

TEST(UtilConvert, ComponentReferenceFollowsFreeNotification) {
    TComponent Referrer(nullptr);
    TComponent* Reference = nullptr;
    auto* A = new TComponent(nullptr);
    EXPECT_TRUE(SwapComponentReference(&Referrer, A, Reference));
    EXPECT_EQ(Reference, A);
    EXPECT_FALSE(SwapComponentReference(&Referrer, A, Reference));
    EXPECT_FALSE(SwapComponentReference<TComponent>(nullptr, nullptr, Reference));
    EXPECT_TRUE(SwapComponentReference<TComponent>(&Referrer, nullptr, Reference));
    EXPECT_EQ(Reference, nullptr);
    delete A;
}
