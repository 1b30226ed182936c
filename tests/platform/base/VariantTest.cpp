#include "platform/base/DateTime.h"
#include "platform/base/Strings.h"
#include "platform/base/Variant.h"

#include <functional>

#include <gtest/gtest.h>

TEST(Variant, KindsAndConversions) {
    EXPECT_TRUE(Variant().IsEmpty());
    EXPECT_FALSE(Variant().AsBoolean());
    EXPECT_THROW(Variant::Null().AsBoolean(), EVariantError);
    EXPECT_TRUE(Variant::Null().IsNull());
    EXPECT_TRUE(Variant::Null().IsClear());
    EXPECT_EQ(Variant(u"42").AsInteger(), 42);
    EXPECT_EQ(Variant(true).AsInt64(), -1);
    EXPECT_DOUBLE_EQ(Variant(u" 2.5 ").AsFloat(), 2.5);
    EXPECT_EQ(Variant(Int64(7)).AsString(), u"7");
    EXPECT_EQ(Variant::Null().AsString(), u"");
    EXPECT_TRUE(Variant(u"true").AsBoolean());
    EXPECT_EQ(Variant::FromDateTime(EncodeDate(2024, 2, 29)).VarType(), varDate);
    Variant A(TVariantArray{1, u"x"});
    ASSERT_TRUE(A.IsArray());
    EXPECT_EQ(A.AsArray()[1].AsString(), u"x");
}

TEST(Variant, ImpossibleConversionsRaiseWithTheValue) {
    struct {
        Variant V;
        std::function<void(const Variant&)> Convert;
    } Cases[] = {
        {Variant(u"abc"), [](const Variant& V) { V.AsInteger(); }},
        {Variant(u"abc"), [](const Variant& V) { V.AsFloat(); }},
        {Variant(u"maybe"), [](const Variant& V) { V.AsBoolean(); }},
        {Variant(Int64(1) << 40), [](const Variant& V) { V.AsInteger(); }},
        {Variant(u"x"), [](const Variant& V) { V.AsArray(); }},
        {Variant(u"32/13/2020"), [](const Variant& V) { V.AsDateTime(); }},
    };
    for (auto& C : Cases) {
        try {
            C.Convert(C.V);
            ADD_FAILURE() << "no error for " << StringToUtf8(C.V.AsString());
        } catch (const EVariantError& E) {
            EXPECT_NE(E.Message().find(C.V.AsString()), String::npos) << E.what();
        }
    }
}

TEST(Variant, CompareOrdersClearFirstThenByKind) {
    struct {
        Variant A, B;
        bool CaseInsensitive;
        int Expected;
    } Cases[] = {
        {Variant::Null(), Variant(1), false, -1}, {Variant(2), Variant(10), false, -1},
        {Variant(2.5), Variant(2), false, 1},     {Variant(u"b"), Variant(u"B"), false, 1},
        {Variant(u"b"), Variant(u"B"), true, 0},  {Variant(u"10"), Variant(9), false, 1},
        {Variant::Null(), Variant(), false, 0},
    };
    for (auto& C : Cases)
        EXPECT_EQ(CompareVariants(C.A, C.B, C.CaseInsensitive), C.Expected);
}
