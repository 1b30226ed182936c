#include "settings/UtilTypeInfo.h"

#include "settings/UtilConvert.h"

#include "platform/base/Lists.h"
#include "platform/base/Persistent.h"
#include "support/TestSupport.h"

#include <cstring>

DECLARE_ENUM(TTestColor, Byte, tcRed, tcGreen, tcBlue)
using TTestColors = TSet<TTestColor>;

namespace {

class TSinkLines : public IUtilTextSink {
public:
    std::vector<std::string> Lines;
    void Write(const String& Text) override { FPending += U8(Text); }
    void WriteLine(const String& Text) override {
        Lines.push_back(std::string(FIndent * 2, ' ') + FPending + U8(Text));
        FPending.clear();
    }
    void Indent() override { ++FIndent; }
    void Outdent() override { --FIndent; }

private:
    int FIndent = 0;
    std::string FPending;
};

// Made once and kept, as the records of real types are.
template <Int64 Min, Int64 Max> const TTypeInfo* IntegerSet() {
    static const TTypeInfo* const Info =
        TypeInfoDetail::SetTypeInfo(TypeInfoDetail::OrdinalTypeInfo(tkInteger, u"TRange", otUByte, Min, Max));
    return Info;
}

std::string Text(const TTypeInfo* SetType, const void* Value, bool Brackets = true, bool Ranges = false) {
    return U8(SetToText(SetType, Value, Brackets, Ranges));
}

class TShape : public TPersistent {
    DECLARE_CLASS(TShape, TPersistent)
public:
    int Width() const { return FWidth; }
    void SetWidth(int V) { FWidth = V; }

private:
    int FWidth = 0;
    static void Published(TPublisher<TShape>& P) {
        P.Property(u"Width", &TShape::Width, &TShape::SetWidth).Default(0);
    }
};

class TBox : public TShape {
    DECLARE_CLASS(TBox, TShape)
public:
    TTestColor Color() const { return FColor; }
    void SetColor(TTestColor V) { FColor = V; }

private:
    TTestColor FColor = tcRed;
    static void Published(TPublisher<TBox>& P) {
        P.Property(u"Color", &TBox::Color, &TBox::SetColor).Default(tcRed);
    }
};

} // namespace

TEST(UtilTypeInfo, WrapperPerKind) {
    EXPECT_TRUE(
        std::dynamic_pointer_cast<TUtilEnumerationTypeInfo>(MakeTypeInfoWrapper(TypeInfo<TTestColor>())));
    EXPECT_TRUE(std::dynamic_pointer_cast<TUtilOrdinalRangeTypeInfo>(MakeTypeInfoWrapper(TypeInfo<int>())));
    EXPECT_TRUE(
        std::dynamic_pointer_cast<TUtilOrdinalRangeTypeInfo>(MakeTypeInfoWrapper(TypeInfo<char16_t>())));
    EXPECT_TRUE(std::dynamic_pointer_cast<TUtilSetTypeInfo>(MakeTypeInfoWrapper(TypeInfo<TTestColors>())));
    EXPECT_TRUE(std::dynamic_pointer_cast<TUtilFloatTypeInfo>(MakeTypeInfoWrapper(TypeInfo<double>())));
    EXPECT_TRUE(std::dynamic_pointer_cast<TUtilClassTypeInfo>(
        MakeTypeInfoWrapper(TBox::StaticClass()->ClassTypeInfo())));
    EXPECT_TRUE(std::dynamic_pointer_cast<TUtilInt64TypeInfo>(MakeTypeInfoWrapper(TypeInfo<Int64>())));
    const IUtilTypeInfo Plain = MakeTypeInfoWrapper(TypeInfo<String>());
    EXPECT_EQ(Plain->GetTypeKind(), tkUString);
    EXPECT_FALSE(std::dynamic_pointer_cast<TUtilOrdinalTypeInfo>(Plain));
    EXPECT_EQ(MakeTypeInfoWrapper(nullptr), nullptr);
}

TEST(UtilTypeInfo, EnumerationNames) {
    auto E = std::static_pointer_cast<TUtilEnumerationTypeInfo>(MakeTypeInfoWrapper(TypeInfo<TTestColor>()));
    EXPECT_EQ(E->GetBaseType(), E);
    EXPECT_EQ(U8(E->GetNames(2)), "tcBlue");
    EXPECT_EQ(E->IndexOfName(u"TCGREEN"), 1);
    EXPECT_EQ(E->IndexOfName(u"tcPurple"), -1);
    // A name that occurs twice (letter case aside) finds the higher value.
    static const TTypeInfo* const Dup = TypeInfoDetail::MakeEnumTypeInfo(u"TDup", "dA, dB, DA", 3, otUByte);
    EXPECT_EQ(TUtilEnumerationTypeInfo(Dup).IndexOfName(u"da"), 2);
}

TEST(UtilTypeInfo, SetTexts) {
    const TTypeInfo* Colors = TypeInfo<TTestColors>();
    Byte V[1] = {0};
    EXPECT_EQ(Text(Colors, V), "[]");
    EXPECT_EQ(Text(Colors, V, false), "");
    V[0] = 0b101;
    EXPECT_EQ(Text(Colors, V), "[tcRed, tcBlue]");

    struct {
        const char16_t* Text;
        Byte Expected;
    } const Cases[] = {
        {u"[]", 0},
        {u"", 0},
        {u"[tcGreen]", 0b010},
        {u"tcGreen, tcBlue", 0b110},
        {u"[ TCRED .. tcgreen , tcBlue ]", 0b111},
        {u"[tcBlue, tcGreenX", 0b110}, // no "]": the last character goes instead
        {u"[tcBlue .. tcRed]", 0},     // a falling range sets nothing
        {u"[, ,tcRed]", 0b001},
    };
    for (const auto& Case : Cases) {
        Byte Out[1] = {0xFF};
        TextToSet(Colors, Out, Case.Text);
        EXPECT_EQ(Out[0], Case.Expected) << U8(Case.Text);
    }
}

TEST(UtilTypeInfo, SetTextsWithRangesAndNumbers) {
    const TTypeInfo* Small = IntegerSet<0, 15>();
    Byte V[2] = {0b101110, 0}; // 1, 2, 3, 5
    EXPECT_EQ(Text(Small, V, true, true), "[1 .. 3, 5]");
    EXPECT_EQ(Text(Small, V, true, false), "[1, 2, 3, 5]");
    TStringList Lines;
    TUtilSetTypeInfo(Small).GetAsList(V, true, &Lines);
    EXPECT_EQ(Lines.Count(), 2);

    // A sub-range 4 .. 15 is stored from byte 0 with ordinal 4 at bit 4; both bytes are cleared.
    const TTypeInfo* Sub = IntegerSet<4, 15>();
    EXPECT_EQ(SetStorageSize(Sub), 2);
    Byte S[3] = {0xFF, 0xFF, 0xEE};
    TextToSet(Sub, S, u"[5, 12 .. 13]");
    EXPECT_EQ(S[0], 0x20);
    EXPECT_EQ(S[1], 0x30);
    EXPECT_EQ(S[2], 0xEE);
    EXPECT_EQ(Text(Sub, S, true, true), "[5, 12 .. 13]");

    // A base of 256 elements.
    const TTypeInfo* All = IntegerSet<0, 255>();
    EXPECT_EQ(SetStorageSize(All), 32);
    Byte Big[32] = {};
    TextToSet(All, Big, u"[0, 200 .. 255]");
    EXPECT_EQ(Text(All, Big, true, true), "[0, 200 .. 255]");
    EXPECT_TRUE(BitInBuffer(Big, 255));
}

TEST(UtilTypeInfo, BadSetTextsLeaveTheValueAlone) {
    const TTypeInfo* Sub = IntegerSet<4, 15>();
    Byte S[3] = {0x10, 0x00, 0xEE};
    // A number beyond the set would set a bit outside its bytes.
    for (const char16_t* Bad : {u"[5, 16]", u"[3]", u"[5, 300]", u"[5 .. 40]", u"[5, x]"}) {
        EXPECT_THROW(TextToSet(Sub, S, Bad), EConvertError) << U8(Bad);
        EXPECT_EQ(S[0], 0x10);
        EXPECT_EQ(S[1], 0x00);
        EXPECT_EQ(S[2], 0xEE);
    }
    Byte C[1] = {0b001};
    EXPECT_EQ(U8(ThrownMessage<EUtilRTTIError>(
                  [&] { TextToSet(TypeInfo<TTestColors>(), C, u"[tcBlue, tcPink]"); })),
              "Unknown identifier 'tcPink'.");
    EXPECT_EQ(C[0], 0b001);
}

TEST(UtilTypeInfo, OrdinalValueNames) {
    const Byte Blue = tcBlue, Beyond = 7;
    EXPECT_EQ(U8(OrdinalValueName(TypeInfo<TTestColor>(), &Blue)), "tcBlue");
    EXPECT_EQ(U8(OrdinalValueName(TypeInfo<TTestColor>(), &Beyond)), "Value out of range (ordinal=7).");
    const std::int16_t Negative = -2;
    EXPECT_EQ(ReadOrdinal(otSWord, &Negative), -2);
    std::uint32_t Out = 0xFFFFFFFF;
    WriteOrdinal(otUByte, 5, &Out);
    EXPECT_EQ(Out, 0xFFFFFF05u);
}

TEST(UtilTypeInfo, ClassesAndTheirProperties) {
    auto Box = std::static_pointer_cast<TUtilClassTypeInfo>(
        MakeTypeInfoWrapper(TBox::StaticClass()->ClassTypeInfo()));
    EXPECT_EQ(Box->GetClassRef(), TBox::StaticClass());
    EXPECT_EQ(Box->GetPropertyCount(), 1);
    EXPECT_EQ(Box->GetTotalPropertyCount(), 2);
    EXPECT_EQ(U8(Box->GetProperties(0)->GetName()), "Color");
    EXPECT_EQ(U8(Box->GetProperties(1)->GetName()), "Width"); // from the parent
    EXPECT_EQ(Box->GetProperties(2), nullptr);
    EXPECT_EQ(U8(Box->GetPropNames(u"width")->GetName()), "Width");
    EXPECT_EQ(Box->GetPropNames(u"Height"), nullptr);
    EXPECT_EQ(U8(Box->GetParent()->GetName()), "TShape");
    EXPECT_TRUE(Box->GetProperties(0)->HasDefault());
    EXPECT_EQ(Box->GetProperties(0)->GetPropType()->GetTypeInfo(), TypeInfo<TTestColor>());
}

TEST(UtilTypeInfo, DescriptionsAndDeclarations) {
    TSinkLines Sink;
    MakeTypeInfoWrapper(TypeInfo<TTestColor>())->DeclareTo(Sink);
    MakeTypeInfoWrapper(TypeInfo<TTestColors>())->DeclareTo(Sink);
    MakeTypeInfoWrapper(TypeInfo<char16_t>())->DeclareTo(Sink);
    MakeTypeInfoWrapper(TypeInfo<double>())->DeclareTo(Sink);
    MakeTypeInfoWrapper(TBox::StaticClass()->ClassTypeInfo())->DeclareTo(Sink);
    MakeTypeInfoWrapper(TypeInfo<String>())->DeclareTo(Sink);
    EXPECT_EQ(Sink.Lines, (std::vector<std::string>{"TTestColor = (tcRed, tcGreen, tcBlue); // otUByte",
                                                    "set of TTestColor = set of TTestColor; // otUByte",
                                                    "Char = #0..#65535; // otUWord", "Double = type Double;",
                                                    "TBox = class(TShape) // unit ", "published",
                                                    "  property Color: TTestColor stored = True default 0;",
                                                    "end;", "// Declaration for 'string' not supported."}));
    TSinkLines Description;
    MakeTypeInfoWrapper(TypeInfo<TTestColors>())->DescribeTo(Description);
    ASSERT_GE(Description.Lines.size(), 6u);
    EXPECT_EQ(Description.Lines[0], "Name: set of TTestColor");
    EXPECT_EQ(Description.Lines[1], "Type kind: tkSet");
    EXPECT_EQ(Description.Lines[3], "Ordinal type: otUByte");
    EXPECT_EQ(Description.Lines[4], "Based on: ");
    EXPECT_EQ(Description.Lines[5], "  Name: TTestColor");
    EXPECT_EQ(Description.Lines.back(), "  Names: (tcRed, tcGreen, tcBlue)");
}
