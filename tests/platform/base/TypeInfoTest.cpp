#include "platform/base/Variant.h"
#include "platform/base/Component.h"
#include "support/TestSupport.h"
#include "platform/base/Object.h"
#include "platform/base/Strings.h"
#include "platform/base/TypeInfo.h"

#include <gtest/gtest.h>

namespace {

DECLARE_ENUM(tShade, Byte, shLight, shMedium, shDark)
DECLARE_ENUM(tExtensions, Byte, exIno, exPde, exC, exCpp, ExH, ExDll, exTxt, exDoc, exHTM, exHTML, exPdf,
             exHex, exPrj)
using tShades = TSet<tShade>;

class TShape : public TPersistent {
    DECLARE_CLASS(TShape, TPersistent)
public:
    int Width() const { return FWidth; }
    void SetWidth(int Value) { FWidth = Value; }
    tShade Shade() const { return FShade; }
    void SetShade(tShade Value) { FShade = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value) { FVisible = Value; }
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& Value) { FCaption = Value; }
    bool IsCaptionStored() const { return !FCaption.empty(); }

private:
    int FWidth = 10;
    tShade FShade = shMedium;
    bool FVisible = true;
    String FCaption;

    static void Published(TPublisher<TShape>& P) {
        P.Property(u"Width", &TShape::Width, &TShape::SetWidth).Default(10);
        P.Property(u"Shade", &TShape::Shade, &TShape::SetShade).Default(shMedium);
        P.Property(u"Visible", &TShape::Visible, &TShape::SetVisible).Default(true);
        P.Property(u"Caption", &TShape::Caption, &TShape::SetCaption).Stored(&TShape::IsCaptionStored);
    }
};

class TLabelShape : public TShape {
    DECLARE_CLASS(TLabelShape, TShape)
public:
    tShades Shades() const { return FShades; }
    void SetShades(tShades Value) { FShades = Value; }
    double Ratio() const { return FRatio; }
    void SetRatio(double Value) { FRatio = Value; }
    TDateTime Created() const { return FCreated; }
    void SetCreated(TDateTime Value) { FCreated = Value; }
    Int64 Big() const { return FBig; }
    void SetBig(Int64 Value) { FBig = Value; }
    Char Letter() const { return FLetter; }
    void SetLetter(Char Value) { FLetter = Value; }
    Byte Small() const { return FSmall; }
    void SetSmall(Byte Value) { FSmall = Value; }
    TShape* Buddy() const { return FBuddy; }
    void SetBuddy(TShape* Value) { FBuddy = Value; }
    int Count() const { return 3; }
    TNotifyEvent OnChange;

private:
    tShades FShades{shLight};
    double FRatio = 0;
    TDateTime FCreated = 0;
    Int64 FBig = 0;
    Char FLetter = u'a';
    Byte FSmall = 0;
    TShape* FBuddy = nullptr;

    static void Published(TPublisher<TLabelShape>& P) {
        P.Property(u"Shades", &TLabelShape::Shades, &TLabelShape::SetShades).Default(tShades{shLight});
        P.Property(u"Width", &TLabelShape::Width, &TLabelShape::SetWidth).Default(20); // published again
        P.Property(u"Ratio", &TLabelShape::Ratio, &TLabelShape::SetRatio);
        P.Property(u"Created", &TLabelShape::Created, &TLabelShape::SetCreated).As(DateTimeTypeInfo());
        P.Property(u"Big", &TLabelShape::Big, &TLabelShape::SetBig);
        P.Property(u"Letter", &TLabelShape::Letter, &TLabelShape::SetLetter);
        P.Property(u"Small", &TLabelShape::Small, &TLabelShape::SetSmall).Stored(false);
        P.Property(u"Buddy", &TLabelShape::Buddy, &TLabelShape::SetBuddy);
        P.Property(u"Count", &TLabelShape::Count);
        P.Property(u"OnChange", &TLabelShape::OnChange);
    }
};

// Publishes nothing and has no default constructor: not creatable by name.
class TFixedShape : public TShape {
    DECLARE_CLASS(TFixedShape, TShape)
public:
    explicit TFixedShape(int) {}
};

class TPart : public TComponent {
    DECLARE_CLASS(TPart, TComponent)
public:
    using TComponent::TComponent;
};

// A second class that calls itself TShape.
namespace other {
class TShape : public TPersistent {
    DECLARE_CLASS(TShape, TPersistent)
};
} // namespace other

std::vector<String> Names(const std::vector<const TPropInfo*>& List) {
    std::vector<String> R;
    for (const TPropInfo* P : List)
        R.push_back(P->Name);
    return R;
}

} // namespace

TEST(ClassInfo, NamesParentsAndInheritance) {
    TLabelShape L;
    TShape* AsShape = &L;
    EXPECT_EQ(AsShape->ClassName(), u"TLabelShape");
    EXPECT_EQ(AsShape->ClassType(), TLabelShape::StaticClass());
    EXPECT_EQ(L.ClassParent(), TShape::StaticClass());
    EXPECT_EQ(TShape::StaticClass()->ClassParent()->ClassName(), u"TPersistent");
    EXPECT_EQ(TObject::StaticClass()->ClassParent(), nullptr);
    EXPECT_TRUE(L.InheritsFrom(TShape::StaticClass()));
    EXPECT_TRUE(L.InheritsFrom(TObject::StaticClass()));
    EXPECT_TRUE(L.InheritsFrom(TLabelShape::StaticClass()));
    EXPECT_FALSE(TShape::StaticClass()->InheritsFrom(TLabelShape::StaticClass()));
    EXPECT_FALSE(L.InheritsFrom(TComponent::StaticClass()));
    EXPECT_EQ(TypeInfo<TShape*>()->Kind, tkClass);
    EXPECT_EQ(TypeInfo<TShape*>()->ClassType, TShape::StaticClass());
}

TEST(ClassRegistry, FindsCaseBlindAndCreatesByName) {
    RegisterPlatformBaseClasses();
    RegisterPlatformBaseClasses(); // again: nothing changes
    RegisterClass(TLabelShape::StaticClass());
    RegisterClass(TLabelShape::StaticClass());
    RegisterClass(TPart::StaticClass());
    RegisterClass(TFixedShape::StaticClass());

    EXPECT_EQ(FindClass(u"tlabelshape"), TLabelShape::StaticClass());
    EXPECT_EQ(GetClass(u"TCOMPONENT"), TComponent::StaticClass());
    EXPECT_EQ(GetClass(u"TNoSuchThing"), nullptr);
    EXPECT_EQ(ThrownMessage<EClassNotFound>([] { FindClass(u"TNoSuchThing"); }),
              u"Class TNoSuchThing not found");
    RegisterClass(TShape::StaticClass());
    EXPECT_EQ(ThrownMessage<EFilerError>([] { RegisterClass(other::TShape::StaticClass()); }),
              u"A class named TShape already exists");

    std::unique_ptr<TObject> Made(FindClass(u"TLabelShape")->Create());
    EXPECT_EQ(Made->ClassName(), u"TLabelShape");

    TComponent Owner(nullptr);
    TComponent* Part = FindClass(u"tpart")->Create(&Owner);
    EXPECT_EQ(Part->ClassType(), TPart::StaticClass());
    EXPECT_EQ(Part->Owner(), &Owner);
    EXPECT_EQ(Owner.ComponentCount(), 1);
    std::unique_ptr<TObject> Loose(TPart::StaticClass()->Create()); // a component without owner
    EXPECT_EQ(static_cast<TComponent*>(Loose.get())->Owner(), nullptr);

    EXPECT_THROW(FindClass(u"TFixedShape")->Create(), EInvalidOperation);
    EXPECT_THROW(TLabelShape::StaticClass()->Create(&Owner), EInvalidOperation);
}

TEST(PropertyList, InheritedFirstAndRepublishedKeepsItsPlace) {
    EXPECT_EQ(Names(GetPropList(TShape::StaticClass())),
              (std::vector<String>{u"Width", u"Shade", u"Visible", u"Caption"}));
    TLabelShape L;
    EXPECT_EQ(Names(GetPropList(&L)), (std::vector<String>{u"Width", u"Shade", u"Visible", u"Caption",
                                                           u"Shades", u"Ratio", u"Created", u"Big", u"Letter",
                                                           u"Small", u"Buddy", u"Count", u"OnChange"}));
    EXPECT_EQ(Names(GetPropList(TComponent::StaticClass())), (std::vector<String>{u"Name", u"Tag"}));
    EXPECT_EQ(GetPropInfo(&L, u"WIDTH")->Default, 20);
    EXPECT_EQ(GetPropInfo(TShape::StaticClass(), u"width")->Default, 10);
    EXPECT_TRUE(IsPublishedProp(&L, u"onchange"));
    EXPECT_FALSE(IsPublishedProp(TShape::StaticClass(), u"Ratio"));
    EXPECT_EQ(GetPropInfo(&L, u"Nope"), nullptr);
}

TEST(PropertyList, KindsAndTypeRecords) {
    struct Case {
        const char16_t* Name;
        TTypeKind Kind;
        const char16_t* TypeName;
    };
    const Case Cases[] = {
        {u"Width", tkInteger, u"Integer"},       {u"Shade", tkEnumeration, u"tShade"},
        {u"Visible", tkEnumeration, u"Boolean"}, {u"Caption", tkUString, u"string"},
        {u"Shades", tkSet, u"set of tShade"},    {u"Ratio", tkFloat, u"Double"},
        {u"Created", tkFloat, u"TDateTime"},     {u"Big", tkInt64, u"Int64"},
        {u"Letter", tkWChar, u"Char"},           {u"Small", tkInteger, u"Byte"},
        {u"Buddy", tkClass, u"TShape"},          {u"OnChange", tkMethod, nullptr},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(StringToUtf8(C.Name));
        EXPECT_EQ(PropType(TLabelShape::StaticClass(), C.Name), C.Kind);
        if (C.TypeName) {
            EXPECT_EQ(GetPropInfo(TLabelShape::StaticClass(), C.Name)->PropType->Name, C.TypeName);
        }
    }
    const TTypeInfo* Small = GetPropInfo(TLabelShape::StaticClass(), u"Small")->PropType;
    EXPECT_EQ(Small->OrdType, otUByte);
    EXPECT_EQ(Small->MaxValue, 255);
    EXPECT_EQ(TypeInfo<tShades>()->CompType, TypeInfo<tShade>());
    EXPECT_EQ(TypeInfo<int>()->MinValue, INT32_MIN);
}

TEST(PropertyAccess, ReadsAndWritesEveryKindByName) {
    TLabelShape L;
    TShape Other;

    SetOrdProp(&L, u"width", 42);
    EXPECT_EQ(L.Width(), 42);
    EXPECT_EQ(GetOrdProp(&L, u"Width"), 42);
    SetOrdProp(&L, u"Visible", 0);
    EXPECT_FALSE(L.Visible());
    EXPECT_EQ(GetEnumProp(&L, u"Visible"), u"False");
    SetEnumProp(&L, u"Visible", u"true");
    EXPECT_TRUE(L.Visible());
    SetEnumProp(&L, u"Shade", u"SHDARK");
    EXPECT_EQ(L.Shade(), shDark);
    EXPECT_EQ(GetOrdProp(&L, u"Shade"), 2);

    SetSetProp(&L, u"Shades", u"[shDark, shLight]");
    EXPECT_EQ(L.Shades(), (tShades{shLight, shDark}));
    EXPECT_EQ(GetSetProp(&L, u"Shades"), u"[shLight,shDark]");
    EXPECT_EQ(GetSetProp(&L, u"Shades", false), u"shLight,shDark");
    EXPECT_EQ(GetOrdProp(&L, u"Shades"), 5);
    SetOrdProp(&L, u"Shades", 2);
    EXPECT_EQ(L.Shades(), tShades{shMedium});
    SetSetProp(&L, u"Shades", u"[]");
    EXPECT_TRUE(L.Shades().Empty());

    SetStrProp(&L, u"Caption", u"Größe");
    EXPECT_EQ(GetStrProp(&L, u"Caption"), u"Größe");
    SetFloatProp(&L, u"Ratio", 0.25);
    EXPECT_EQ(GetFloatProp(&L, u"Ratio"), 0.25);
    SetFloatProp(&L, u"Created", 45000.5);
    EXPECT_EQ(L.Created(), 45000.5);
    SetInt64Prop(&L, u"Big", INT64_C(1) << 40);
    EXPECT_EQ(GetInt64Prop(&L, u"Big"), INT64_C(1) << 40);
    SetOrdProp(&L, u"Letter", u'Z');
    EXPECT_EQ(L.Letter(), u'Z');

    SetObjectProp(&L, u"Buddy", &Other);
    EXPECT_EQ(L.Buddy(), &Other);
    EXPECT_EQ(GetObjectProp(&L, u"Buddy"), &Other);
    SetObjectProp(&L, u"Buddy", nullptr);
    EXPECT_EQ(L.Buddy(), nullptr);

    int Calls = 0;
    SetMethodProp(&L, u"OnChange", TMethod(TNotifyEvent([&](TObject* Sender) { Calls += Sender == &L; })));
    ASSERT_TRUE(L.OnChange);
    L.OnChange(&L);
    EXPECT_EQ(Calls, 1);
    TMethod Held = GetMethodProp(&L, u"OnChange");
    EXPECT_TRUE(Held.Assigned());
    Held.As<TNotifyEvent>()(&L);
    EXPECT_EQ(Calls, 2);
    SetMethodProp(&L, u"OnChange", TMethod());
    EXPECT_FALSE(L.OnChange);
    EXPECT_FALSE(GetMethodProp(&L, u"OnChange").Assigned());

    EXPECT_EQ(GetOrdProp(&L, u"Count"), 3);
}

TEST(PropertyAccess, DefaultsAndStoredFlags) {
    TLabelShape L;
    struct Case {
        const char16_t* Name;
        bool HasDefault;
        Int64 Default;
        bool Stored;
    };
    const Case Cases[] = {
        {u"Width", true, 20, true},  {u"Shade", true, shMedium, true}, {u"Visible", true, 1, true},
        {u"Shades", true, 1, true},  {u"Caption", false, 0, false},    {u"Ratio", false, 0, true},
        {u"Small", false, 0, false},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(StringToUtf8(C.Name));
        const TPropInfo* P = GetPropInfo(&L, C.Name);
        EXPECT_EQ(P->HasDefault(), C.HasDefault);
        if (C.HasDefault) {
            EXPECT_EQ(P->Default, C.Default);
        }
        EXPECT_EQ(IsStoredProp(&L, C.Name), C.Stored);
    }
    L.SetCaption(u"x");
    EXPECT_TRUE(IsStoredProp(&L, u"Caption")); // the predicate decides
    EXPECT_TRUE(GetPropInfo(&L, u"Width")->Writer);
    EXPECT_FALSE(GetPropInfo(&L, u"Count")->Writer);

    TComponent C(nullptr);
    EXPECT_FALSE(IsStoredProp(&C, u"Name"));
    EXPECT_EQ(GetPropInfo(&C, u"Tag")->Default, 0);
    EXPECT_EQ(PropType(&C, u"Tag"), tkInt64);
    SetInt64Prop(&C, u"Tag", -7);
    EXPECT_EQ(C.Tag(), -7);
    SetStrProp(&C, u"Name", u"btnOk");
    EXPECT_EQ(C.Name(), u"btnOk");
}

TEST(PropertyAccess, ErrorsNameTheProblem) {
    TLabelShape L;
    TComponent NotAShape(nullptr);
    struct Case {
        std::function<void()> Action;
        const char16_t* Message;
    };
    const Case PropertyErrors[] = {
        {[&] { GetOrdProp(&L, u"Height"); }, u"Property Height does not exist"},
        {[&] { SetStrProp(&L, u"Nope", u"x"); }, u"Property Nope does not exist"},
        {[&] { PropType(TShape::StaticClass(), u"Ratio"); }, u"Property Ratio does not exist"},
        {[&] { SetOrdProp(&L, u"Count", 4); }, u"Property Count is read-only"},
        {[&] { GetOrdProp(&NotAShape, GetPropInfo(&L, u"Width")); }, u"Property Width does not exist"},
    };
    for (const Case& C : PropertyErrors)
        EXPECT_EQ(ThrownMessage<EPropertyError>(C.Action), C.Message);

    const Case ConvertErrors[] = {
        {[&] { GetStrProp(&L, u"Width"); }, u"Invalid property type: Integer"},
        {[&] { SetFloatProp(&L, u"Caption", 1); }, u"Invalid property type: string"},
        {[&] { GetEnumProp(&L, u"Width"); }, u"Invalid property type: Integer"},
        {[&] { GetOrdProp(&L, u"Ratio"); }, u"Invalid property type: Double"},
        {[&] { SetEnumProp(&L, u"Shade", u"shPurple"); }, u"Invalid property element: shPurple"},
        {[&] { SetSetProp(&L, u"Shades", u"[shLight,shPurple]"); }, u"Invalid property element: shPurple"},
        {[&] { SetSetProp(&L, u"Shades", u"[shLight"); }, u"Invalid property element: [shLight"},
        {[&] { SetOrdProp(&L, u"Shade", 3); }, u"Invalid property value 3 for Shade"},
        {[&] { SetOrdProp(&L, u"Small", 256); }, u"Invalid property value 256 for Small"},
        {[&] { SetOrdProp(&L, u"Shades", 8); }, u"Invalid property value 8 for Shades"},
        {[&] { SetObjectProp(&L, u"Buddy", &NotAShape); },
         u"Invalid property value: a TComponent is not a TShape"},
        {[&] { SetMethodProp(&L, u"OnChange", TMethod(std::function<void()>([] {}))); },
         u"Invalid property type: std::function<void (TObject*)>"},
    };
    for (const Case& C : ConvertErrors)
        EXPECT_EQ(ThrownMessage<EPropertyConvertError>(C.Action), C.Message);
    EXPECT_EQ(L.Shade(), shMedium);
    EXPECT_EQ(L.Shades(), tShades{shLight});
}

TEST(EnumTypeInfo, NamesAndValuesOnTheirOwn) {
    const TTypeInfo* Ext = TypeInfo<tExtensions>();
    EXPECT_EQ(Ext->Kind, tkEnumeration);
    EXPECT_EQ(Ext->Name, u"tExtensions");
    EXPECT_EQ(Ext->OrdType, otUByte);
    EXPECT_EQ(Ext->MinValue, 0);
    EXPECT_EQ(Ext->MaxValue, 12);
    EXPECT_EQ(Ext->NameList.front(), u"exIno");
    EXPECT_EQ(GetEnumName(Ext, exPde), u"exPde");
    EXPECT_EQ(GetEnumName(Ext, exPrj), u"exPrj");
    EXPECT_EQ(GetEnumName(Ext, 13), u"");
    EXPECT_EQ(GetEnumValue(Ext, u"EXHTML"), exHTML);
    EXPECT_EQ(GetEnumValue(Ext, u"exh"), ExH);
    EXPECT_EQ(GetEnumValue(Ext, u"exXls"), -1);
    EXPECT_EQ(GetEnumName(TypeInfo<bool>(), 1), u"True");
    EXPECT_EQ(GetEnumValue(TypeInfo<bool>(), u"false"), 0);
    EXPECT_EQ(GetEnumName(TypeInfo<TTypeKind>(), tkUString), u"tkUString");
    EXPECT_EQ(GetEnumName(TypeInfo<int>(), -5), u"-5");
    EXPECT_EQ(GetEnumValue(TypeInfo<int>(), u"-5"), -5);

    const TTypeInfo* Shades = TypeInfo<tShades>();
    TSetBits Bits = StringToSet(Shades, u" shDark , shLight ");
    EXPECT_EQ(SetToString(Shades, Bits), u"[shLight,shDark]");
    EXPECT_EQ(SetToString(Shades, TSetBits()), u"[]");
    EXPECT_EQ(SetToString(Shades, TSetBits(), false), u"");
    // Names it does not know are passed over only when asked.
    EXPECT_EQ(SetToString(Shades, StringToSet(Shades, u"[shPurple, shDark]", true)), u"[shDark]");
    EXPECT_THROW(StringToSet(Shades, u"[shPurple, shDark]"), EPropertyConvertError);
    EXPECT_THROW(StringToSet(Shades, u"[shDark", true), EPropertyConvertError);
}

namespace {

class TProbe : public TComponent {
    DECLARE_CLASS(TProbe, TComponent)
public:
    using TComponent::TComponent;
    String Short, Wide;
    int Calls = 0;
    void GetVariable(const String& Name, Variant& Value) {
        ++Calls;
        Value = Name == u"Answer" ? Variant(42) : Variant();
    }
    TObject* Self() { return this; }

private:
    static void Published(TPublisher<TProbe>& P) {
        P.Property(u"Short", &TProbe::Short).As(StringKindTypeInfo(tkString));
        P.Property(u"Wide", &TProbe::Wide).As(StringKindTypeInfo(tkWString));
        P.Method(u"GetVariable", &TProbe::GetVariable);
        P.Method(u"Self", &TProbe::Self);
    }
};

class TProbeChild : public TProbe {
    DECLARE_CLASS(TProbeChild, TProbe)
public:
    using TProbe::TProbe;
};

} // namespace

TEST(PropertyAccess, StringKindsReadAndWriteAsText) {
    TProbe P(nullptr);
    EXPECT_EQ(PropType(&P, u"Short"), tkString);
    EXPECT_EQ(PropType(&P, u"wide"), tkWString);
    SetStrProp(&P, u"Short", u"s");
    SetStrProp(&P, u"Wide", u"w");
    EXPECT_EQ(GetStrProp(&P, u"Short"), u"s");
    EXPECT_EQ(P.Wide, u"w");
}

TEST(PublishedMethods, FoundByNameThroughAncestorsAndCalledWithTheirSignature) {
    TProbeChild P(nullptr);
    auto Get = MethodCode<void(TObject*, const String&, Variant&)>(&P, u"getvariable");
    ASSERT_TRUE(Get);
    Variant V;
    Get(&P, u"Answer", V);
    EXPECT_EQ(V.AsInteger(), 42);
    EXPECT_EQ(P.Calls, 1);
    EXPECT_EQ(MethodCode<TObject*(TObject*)>(&P, u"Self")(&P), &P);
    // Absent, of another signature, or asked of nothing: no code.
    EXPECT_FALSE((MethodCode<void(TObject*)>(&P, u"Missing")));
    EXPECT_FALSE((MethodCode<void(TObject*, int)>(&P, u"GetVariable")));
    EXPECT_FALSE((MethodCode<void(TObject*)>(nullptr, u"GetVariable")));
    EXPECT_EQ(MethodAddress(TComponent::StaticClass(), u"GetVariable"), nullptr);
}
