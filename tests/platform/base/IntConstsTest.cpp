#include "platform/base/IntConsts.h"

#include <gtest/gtest.h>

namespace {

const TTypeInfo* ColourType() {
    static const TTypeInfo* const Info =
        TypeInfoDetail::OrdinalTypeInfo(tkInteger, u"TTestColour", otSLong, INT32_MIN, INT32_MAX);
    return Info;
}

// Type records live for the whole program, like those of real types.
const TTypeInfo* OtherType() {
    static const TTypeInfo* const Info =
        TypeInfoDetail::OrdinalTypeInfo(tkInteger, u"TTestOther", otSLong, INT32_MIN, INT32_MAX);
    return Info;
}

bool RedToInt(const String& Ident, int& Int) {
    if (Ident != u"clRed") return false;
    Int = 0xFF;
    return true;
}
bool IntToRed(int Int, String& Ident) {
    if (Int != 0xFF) return false;
    Ident = u"clRed";
    return true;
}

} // namespace

TEST(IntConsts, FindsTheConversionsOfARegisteredType) {
    const TTypeInfo* Unregistered = OtherType();
    EXPECT_FALSE(FindIdentToInt(Unregistered));
    EXPECT_FALSE(FindIntToIdent(Unregistered));

    RegisterIntegerConsts(ColourType(), RedToInt, IntToRed);
    int Value = 0;
    ASSERT_TRUE(FindIdentToInt(ColourType()));
    EXPECT_TRUE(FindIdentToInt(ColourType())(u"clRed", Value));
    EXPECT_EQ(Value, 0xFF);
    String Ident;
    EXPECT_TRUE(FindIntToIdent(ColourType())(0xFF, Ident));
    EXPECT_EQ(Ident, u"clRed");
    EXPECT_FALSE(FindIntToIdent(ColourType())(0x100, Ident));
    EXPECT_FALSE(FindIdentToInt(Unregistered));

    // A later registration for the same type is the one found.
    RegisterIntegerConsts(
        ColourType(), [](const String&, int& Int) { return Int = 1, true; },
        [](int, String& S) { return S = u"later", true; });
    EXPECT_TRUE(FindIntToIdent(ColourType())(0xFF, Ident));
    EXPECT_EQ(Ident, u"later");
}
