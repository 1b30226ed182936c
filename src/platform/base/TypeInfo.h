#pragma once
// Run-time type information: one record per type that takes part in published properties
// (its kind, name, ordinal range and value names, the element type of a set, the class of an
// object reference), the published properties of each class, and the routines that list, read
// and write those properties by name. Settings stores and the data-aware library work through
// these; they never see the C++ types behind them.

#include "platform/base/Exceptions.h"
#include "platform/base/Set.h"
#include "platform/base/Types.h"

#include <any>
#include <bitset>
#include <climits>
#include <functional>
#include <iterator>
#include <limits>
#include <algorithm>
#include <memory>
#include <type_traits>
#include <typeinfo>
#include <variant>
#include <vector>

class TObject;
class TClassInfo;
using TClass = const TClassInfo*;

DECLARE_EXCEPTION(EPropertyError, Exception)
DECLARE_EXCEPTION(EPropertyConvertError, Exception)

// Declared here and given their value names below, once the type record exists.
enum TTypeKind : Byte;
enum TOrdType : Byte;
enum TFloatType : Byte;

struct TTypeInfo {
    TTypeKind Kind{};
    String Name;
    // Ordinal kinds (integers, characters, enumerations) and sets: storage size and sign.
    TOrdType OrdType{};
    Int64 MinValue = 0;
    Int64 MaxValue = 0;
    // Enumerations: the value names from MinValue on; BaseType is the record itself.
    std::vector<String> NameList;
    const TTypeInfo* BaseType = nullptr;
    // Sets: the enumeration of the elements.
    const TTypeInfo* CompType = nullptr;
    TFloatType FloatType{};
    // Object references: the class.
    TClass ClassType = nullptr;
    // Events: the std::function type that the property holds.
    const std::type_info* MethodType = nullptr;
};

namespace TypeInfoDetail {

template <class E, std::size_t N> constexpr bool IsSequential(const E (&Values)[N]) {
    for (std::size_t I = 0; I < N; ++I)
        if (static_cast<std::size_t>(Values[I]) != I) return false;
    return true;
}

template <class T> constexpr TOrdType OrdTypeOf();

// ValueNames is the enumerator list as written, "exIno, exPde, exC".
const TTypeInfo* MakeEnumTypeInfo(const char16_t* Name, const char* ValueNames, int Count, TOrdType OrdType);

} // namespace TypeInfoDetail

// Declares a plain enumeration with its values in order (0, 1, 2, ...) and records the value
// names for TypeInfo<Name>(). Use it at namespace scope:
//   DECLARE_ENUM(tTabKind, Byte, tkNonSpecific, tkSketches, tkExamplesRO)
#define DECLARE_ENUM(Name, Base, ...)                                                                        \
    enum Name : Base { __VA_ARGS__ };                                                                        \
    [[maybe_unused]] constexpr int EnumCountOf(Name*) {                                                      \
        constexpr Name Values[] = {__VA_ARGS__};                                                             \
        static_assert(::TypeInfoDetail::IsSequential(Values), "DECLARE_ENUM takes values in order");         \
        return static_cast<int>(std::size(Values));                                                          \
    }                                                                                                        \
    [[maybe_unused]] inline const ::TTypeInfo* EnumTypeInfoOf(Name*) {                                       \
        static const ::TTypeInfo* const Info = ::TypeInfoDetail::MakeEnumTypeInfo(                           \
            u"" #Name, #__VA_ARGS__, EnumCountOf(static_cast<Name*>(nullptr)),                               \
            ::TypeInfoDetail::OrdTypeOf<Base>());                                                            \
        return Info;                                                                                         \
    }

DECLARE_ENUM(TTypeKind, Byte, tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass,
             tkMethod, tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord, tkInterface, tkInt64,
             tkDynArray, tkUString)
DECLARE_ENUM(TOrdType, Byte, otSByte, otUByte, otSWord, otUWord, otSLong, otULong, otSQWord, otUQWord)
DECLARE_ENUM(TFloatType, Byte, ftSingle, ftDouble, ftExtended, ftComp, ftCurr)

using TTypeKinds = TSet<TTypeKind>;

// An event held without its signature: the std::function of an event property.
class TMethod {
public:
    TMethod() = default;
    template <class Sig>
    TMethod(std::function<Sig> Fn) : FAssigned(static_cast<bool>(Fn)), FFunction(std::move(Fn)) {}

    bool Assigned() const { return FAssigned; }
    // The function type held (void for an empty holder).
    const std::type_info& Type() const { return FFunction.type(); }
    // The held function as F; an empty function when nothing or another type is held.
    template <class F> F As() const {
        const F* Fn = std::any_cast<F>(&FFunction);
        return Fn ? *Fn : F();
    }

private:
    bool FAssigned = false;
    std::any FFunction;
};

// The elements of a set property, whatever its element enumeration: bit n is ordinal n.
using TSetBits = std::bitset<256>;

// A property value in the one form per kind that the access routines pass around.
using TPropValue = std::variant<Int64, double, String, TObject*, TSetBits, TMethod>;

struct TPropInfo {
    // The "no default" marker: such a property is always stored.
    static constexpr Int64 NoDefault = INT32_MIN;

    String Name;
    const TTypeInfo* PropType = nullptr;
    TClass OwnerClass = nullptr;                             // the class that published it
    std::function<TPropValue(TObject*)> Reader;              // empty: not readable
    std::function<void(TObject*, const TPropValue&)> Writer; // empty: read-only
    std::function<bool(TObject*)> StoredProc;                // when set, decides over StoredConst
    bool StoredConst = true;
    Int64 Default = NoDefault; // ordinal kinds and small sets (the mask)
    bool SkipUnknownElements = false; // sets: names outside the element type are passed over

    bool HasDefault() const { return Default != NoDefault; }
};

namespace TypeInfoDetail {

template <class T> constexpr TOrdType OrdTypeOf() {
    static_assert(std::is_integral_v<T>);
    constexpr bool S = std::is_signed_v<T>;
    if constexpr (sizeof(T) == 1)
        return S ? otSByte : otUByte;
    else if constexpr (sizeof(T) == 2)
        return S ? otSWord : otUWord;
    else if constexpr (sizeof(T) == 4)
        return S ? otSLong : otULong;
    else
        return S ? otSQWord : otUQWord;
}

const TTypeInfo* BooleanTypeInfo();
const TTypeInfo* OrdinalTypeInfo(TTypeKind Kind, const char16_t* Name, TOrdType OrdType, Int64 Min,
                                 Int64 Max);
const TTypeInfo* FloatTypeInfo(const char16_t* Name, TFloatType FloatType);
const TTypeInfo* StringTypeInfo();
const TTypeInfo* SetTypeInfo(const TTypeInfo* CompType);
const TTypeInfo* MethodTypeInfo(const std::type_info& Type);

template <class T> inline constexpr bool IsFunction = false;
template <class Sig> inline constexpr bool IsFunction<std::function<Sig>> = true;

template <class T> const TTypeInfo* IntegerTypeInfo() {
    constexpr TOrdType Ord = OrdTypeOf<T>();
    constexpr const char16_t* Names[] = {u"ShortInt", u"Byte",     u"SmallInt", u"Word",
                                         u"Integer",  u"Cardinal", u"Int64",    u"UInt64"};
    constexpr TTypeKind Kind = sizeof(T) == 8 ? tkInt64 : tkInteger;
    static const TTypeInfo* const Info =
        OrdinalTypeInfo(Kind, Names[Ord], Ord, Int64(std::numeric_limits<T>::min()),
                        Int64(std::min<UInt64>(UInt64(std::numeric_limits<T>::max()), UInt64(INT64_MAX))));
    return Info;
}

} // namespace TypeInfoDetail

// The type record of T: bool, the integer types, char and Char, float, double, long double,
// String, enumerations declared with DECLARE_ENUM, TSet of those, pointers to classes with
// class information, and std::function events.
template <class T> const TTypeInfo* TypeInfo() {
    using namespace TypeInfoDetail;
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_same_v<U, bool>) {
        return BooleanTypeInfo();
    } else if constexpr (std::is_enum_v<U>) {
        static_assert(
            requires { EnumTypeInfoOf(static_cast<U*>(nullptr)); },
            "declare the enumeration with DECLARE_ENUM to give it type information");
        return EnumTypeInfoOf(static_cast<U*>(nullptr));
    } else if constexpr (IsTSet<U>) {
        static const TTypeInfo* const Info = SetTypeInfo(::TypeInfo<typename U::Element>());
        return Info;
    } else if constexpr (std::is_same_v<U, char>) {
        static const TTypeInfo* const Info = OrdinalTypeInfo(tkChar, u"AnsiChar", otUByte, 0, 255);
        return Info;
    } else if constexpr (std::is_same_v<U, char16_t>) {
        static const TTypeInfo* const Info = OrdinalTypeInfo(tkWChar, u"Char", otUWord, 0, 65535);
        return Info;
    } else if constexpr (std::is_same_v<U, wchar_t> || std::is_same_v<U, char8_t> ||
                         std::is_same_v<U, char32_t>) {
        static_assert(sizeof(U) == 0, "no type information for this character type");
    } else if constexpr (std::is_integral_v<U>) {
        return IntegerTypeInfo<U>();
    } else if constexpr (std::is_floating_point_v<U>) {
        constexpr TFloatType Type = sizeof(U) == 4 ? ftSingle : sizeof(U) == 8 ? ftDouble : ftExtended;
        constexpr const char16_t* Names[] = {u"Single", u"Double", u"Extended"};
        static const TTypeInfo* const Info = FloatTypeInfo(Names[Type], Type);
        return Info;
    } else if constexpr (std::is_same_v<U, String>) {
        return StringTypeInfo();
    } else if constexpr (std::is_pointer_v<U> && std::is_class_v<std::remove_pointer_t<U>>) {
        return std::remove_cv_t<std::remove_pointer_t<U>>::StaticClass()->ClassTypeInfo();
    } else if constexpr (IsFunction<U>) {
        static const TTypeInfo* const Info = MethodTypeInfo(typeid(U));
        return Info;
    } else {
        static_assert(sizeof(U) == 0, "no type information for this type");
    }
}

// A date-time (TDateTime is a double) is a float type of its own name, so that stores can
// write it as a date. Give it to a property with .As(DateTimeTypeInfo()).
const TTypeInfo* DateTimeTypeInfo();
// A text property held as String but published as another string kind (tkString, tkLString,
// tkWString or tkUString), for readers that tell the kinds apart. GetStrProp reads them all;
// SetStrProp writes them all.
const TTypeInfo* StringKindTypeInfo(TTypeKind Kind);

// The name of an ordinal: the value name of an enumeration ("" when out of range), the
// number as text for other ordinal types.
String GetEnumName(const TTypeInfo* Info, Int64 Value);
// The ordinal of a value name, compared without regard to case; -1 when absent. For other
// ordinal types a decimal number is read.
int GetEnumValue(const TTypeInfo* Info, const String& Name);
// Set texts: element names joined by ",", in brackets when asked ("[exIno,exC]").
String SetToString(const TTypeInfo* SetType, const TSetBits& Value, bool Brackets = true);
// Reads "[a, b]" or "a,b" (blanks allowed); an unknown name raises EPropertyConvertError
// unless SkipUnknown is set, when it is passed over.
TSetBits StringToSet(const TTypeInfo* SetType, const String& Text, bool SkipUnknown = false);

// Published properties. The list of a class has the inherited properties first, in the order
// of their classes' declarations; a property published again by a descendant keeps its place.
const std::vector<const TPropInfo*>& GetPropList(TClass AClass);
const std::vector<const TPropInfo*>& GetPropList(const TObject* Instance);
// Null when the class publishes no property of that name (compared without regard to case).
const TPropInfo* GetPropInfo(TClass AClass, const String& PropName);
const TPropInfo* GetPropInfo(const TObject* Instance, const String& PropName);
bool IsPublishedProp(TClass AClass, const String& PropName);
bool IsPublishedProp(const TObject* Instance, const String& PropName);
// The kind of a property; an unknown name raises EPropertyError.
TTypeKind PropType(TClass AClass, const String& PropName);
TTypeKind PropType(const TObject* Instance, const String& PropName);
bool IsStoredProp(TObject* Instance, const String& PropName);
bool IsStoredProp(TObject* Instance, const TPropInfo* PropInfo);

// Readers and writers by name or by property record. An unknown name raises EPropertyError
// "Property %s does not exist"; a property of another kind raises EPropertyConvertError.
// Ordinals: integers, characters, enumerations (bool too), 64-bit integers and sets of at most
// 64 values (as the mask). Values outside the type's range raise EPropertyConvertError.
Int64 GetOrdProp(TObject* Instance, const String& PropName);
Int64 GetOrdProp(TObject* Instance, const TPropInfo* PropInfo);
void SetOrdProp(TObject* Instance, const String& PropName, Int64 Value);
void SetOrdProp(TObject* Instance, const TPropInfo* PropInfo, Int64 Value);
String GetEnumProp(TObject* Instance, const String& PropName);
String GetEnumProp(TObject* Instance, const TPropInfo* PropInfo);
void SetEnumProp(TObject* Instance, const String& PropName, const String& Value);
void SetEnumProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value);
String GetSetProp(TObject* Instance, const String& PropName, bool Brackets = true);
String GetSetProp(TObject* Instance, const TPropInfo* PropInfo, bool Brackets = true);
void SetSetProp(TObject* Instance, const String& PropName, const String& Value);
void SetSetProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value);
String GetStrProp(TObject* Instance, const String& PropName);
String GetStrProp(TObject* Instance, const TPropInfo* PropInfo);
void SetStrProp(TObject* Instance, const String& PropName, const String& Value);
void SetStrProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value);
double GetFloatProp(TObject* Instance, const String& PropName);
double GetFloatProp(TObject* Instance, const TPropInfo* PropInfo);
void SetFloatProp(TObject* Instance, const String& PropName, double Value);
void SetFloatProp(TObject* Instance, const TPropInfo* PropInfo, double Value);
Int64 GetInt64Prop(TObject* Instance, const String& PropName);
Int64 GetInt64Prop(TObject* Instance, const TPropInfo* PropInfo);
void SetInt64Prop(TObject* Instance, const String& PropName, Int64 Value);
void SetInt64Prop(TObject* Instance, const TPropInfo* PropInfo, Int64 Value);
// An object that is not of the property's class raises EPropertyConvertError.
TObject* GetObjectProp(TObject* Instance, const String& PropName);
TObject* GetObjectProp(TObject* Instance, const TPropInfo* PropInfo);
void SetObjectProp(TObject* Instance, const String& PropName, TObject* Value);
void SetObjectProp(TObject* Instance, const TPropInfo* PropInfo, TObject* Value);
// An assigned method of another function type raises EPropertyConvertError; an unassigned
// TMethod clears the event.
TMethod GetMethodProp(TObject* Instance, const String& PropName);
TMethod GetMethodProp(TObject* Instance, const TPropInfo* PropInfo);
void SetMethodProp(TObject* Instance, const String& PropName, const TMethod& Value);
void SetMethodProp(TObject* Instance, const TPropInfo* PropInfo, const TMethod& Value);

// ---- Publishing properties -------------------------------------------------------------------
//
// A class publishes its properties in a static member next to its definition:
//
//   static void Published(TPublisher<TFoo>& P) {
//       P.Property(u"Position", &TFoo::Position, &TFoo::SetPosition).Default(0);
//       P.Property(u"Kind", &TFoo::Kind, &TFoo::SetKind).Default(fkPlain);
//       P.Property(u"Caption", &TFoo::Caption, &TFoo::SetCaption).Stored(&TFoo::IsCaptionStored);
//       P.Property(u"Count", &TFoo::Count);              // a reader alone: read-only
//       P.Property(u"OnChange", &TFoo::OnChange);        // a field: read and written directly
//       P.Property(u"Created", &TFoo::Created, &TFoo::SetCreated).As(DateTimeTypeInfo());
//   }
//
// Readers and writers are member functions (of the class or an ancestor), fields, or callables
// taking the object. DECLARE_CLASS finds Published by itself; it may be private.

namespace TypeInfoDetail {

struct TMethodInfo;

struct TPublishTarget {
    std::vector<std::unique_ptr<TPropInfo>>& Props;
    TClass Class;
    std::vector<std::unique_ptr<TMethodInfo>>* Methods = nullptr;
};

// A published method: its code as std::function<R(TObject* Self, Args...)>.
struct TMethodInfo {
    String Name;
    std::any Code;
};

template <class F> struct TMethodCode;
template <class R, class C, class... A> struct TMethodCode<R (C::*)(A...)> {
    using Type = std::function<R(TObject*, A...)>;
    template <class T> static Type Make(R (C::*M)(A...)) {
        return [M](TObject* Self, A... Args) -> R { return (static_cast<T*>(Self)->*M)(std::forward<A>(Args)...); };
    }
};
template <class R, class C, class... A> struct TMethodCode<R (C::*)(A...) const> {
    using Type = std::function<R(TObject*, A...)>;
    template <class T> static Type Make(R (C::*M)(A...) const) {
        return [M](TObject* Self, A... Args) -> R { return (static_cast<T*>(Self)->*M)(std::forward<A>(Args)...); };
    }
};

TPropInfo& AddProperty(TPublishTarget& Target, const String& Name, const TTypeInfo* Type);
void CheckTypeOverride(const TTypeInfo* Current, const TTypeInfo* Override);

template <class V> TPropValue ToPropValue(const V& Value) {
    if constexpr (IsTSet<V>) {
        TSetBits Bits;
        for (int I = 0; I < V::Capacity; ++I)
            Bits[I] = Value.Contains(static_cast<typename V::Element>(I));
        return Bits;
    } else if constexpr (std::is_enum_v<V> || std::is_integral_v<V>) {
        return static_cast<Int64>(Value);
    } else if constexpr (std::is_floating_point_v<V>) {
        return static_cast<double>(Value);
    } else if constexpr (std::is_pointer_v<V>) {
        return static_cast<TObject*>(Value);
    } else if constexpr (IsFunction<V>) {
        return TMethod(Value);
    } else {
        return TPropValue(Value);
    }
}

// The access routines have checked kind and range before a value gets here.
template <class V> V FromPropValue(const TPropValue& Value) {
    if constexpr (IsTSet<V>) {
        const TSetBits& Bits = std::get<TSetBits>(Value);
        V S;
        for (int I = 0; I < V::Capacity; ++I)
            if (Bits[I]) S.Include(static_cast<typename V::Element>(I));
        return S;
    } else if constexpr (std::is_enum_v<V> || std::is_integral_v<V>) {
        return static_cast<V>(std::get<Int64>(Value));
    } else if constexpr (std::is_floating_point_v<V>) {
        return static_cast<V>(std::get<double>(Value));
    } else if constexpr (std::is_pointer_v<V>) {
        return dynamic_cast<V>(std::get<TObject*>(Value));
    } else if constexpr (IsFunction<V>) {
        return std::get<TMethod>(Value).template As<V>();
    } else {
        return std::get<V>(Value);
    }
}

template <class V> Int64 DefaultOf(const V& Value) {
    if constexpr (IsTSet<V>) {
        static_assert(V::Capacity <= 32, "only sets of at most 32 values have a default");
        return static_cast<Int64>(Value.ToInt());
    } else {
        static_assert(std::is_enum_v<V> || std::is_integral_v<V>, "only ordinal properties have a default");
        return static_cast<Int64>(Value);
    }
}

} // namespace TypeInfoDetail

template <class T, class V> class TPropertyOptions {
public:
    explicit TPropertyOptions(TPropInfo& Info) : FInfo(Info) {}

    // The value a store may leave out (ordinal kinds and sets of at most 32 values).
    TPropertyOptions& Default(const V& Value) {
        FInfo.Default = TypeInfoDetail::DefaultOf<V>(Value);
        return *this;
    }
    TPropertyOptions& Stored(bool Value) {
        FInfo.StoredConst = Value;
        FInfo.StoredProc = nullptr;
        return *this;
    }
    // A predicate such as &TFoo::IsCaptionStored.
    template <class Pred>
    requires std::is_invocable_r_v<bool, Pred, T*> TPropertyOptions& Stored(Pred P) {
        FInfo.StoredProc = [P](TObject* Instance) { return std::invoke(P, static_cast<T*>(Instance)); };
        return *this;
    }
    // A set property that passes over element names it does not know when it is set from text
    // (legacy values that older definitions may hold).
    TPropertyOptions& SkipUnknownElements() {
        FInfo.SkipUnknownElements = true;
        return *this;
    }
    // Another type record of the same kind, such as DateTimeTypeInfo() for a double.
    TPropertyOptions& As(const TTypeInfo* Type) {
        TypeInfoDetail::CheckTypeOverride(FInfo.PropType, Type);
        FInfo.PropType = Type;
        return *this;
    }

private:
    TPropInfo& FInfo;
};

template <class T> class TPublisher {
public:
    explicit TPublisher(TypeInfoDetail::TPublishTarget Target) : FTarget(Target) {}

    template <class Getter, class Setter> auto Property(const String& Name, Getter Get, Setter Set) {
        using V = std::remove_cvref_t<std::invoke_result_t<Getter, T*>>;
        TPropInfo& Info = TypeInfoDetail::AddProperty(FTarget, Name, ::TypeInfo<V>());
        Info.Reader = MakeReader<V>(Get);
        if constexpr (std::is_member_object_pointer_v<Setter>) {
            Info.Writer = [Set](TObject* Instance, const TPropValue& Value) {
                std::invoke(Set, static_cast<T*>(Instance)) = TypeInfoDetail::FromPropValue<V>(Value);
            };
        } else {
            static_assert(std::is_invocable_v<Setter, T*, V>, "the writer does not take the reader's type");
            Info.Writer = [Set](TObject* Instance, const TPropValue& Value) {
                std::invoke(Set, static_cast<T*>(Instance), TypeInfoDetail::FromPropValue<V>(Value));
            };
        }
        return TPropertyOptions<T, V>(Info);
    }

    // A field is read and written directly; a member function or callable alone is read-only.
    template <class Getter> auto Property(const String& Name, Getter Get) {
        if constexpr (std::is_member_object_pointer_v<Getter>) {
            return Property(Name, Get, Get);
        } else {
            using V = std::remove_cvref_t<std::invoke_result_t<Getter, T*>>;
            TPropInfo& Info = TypeInfoDetail::AddProperty(FTarget, Name, ::TypeInfo<V>());
            Info.Reader = MakeReader<V>(Get);
            return TPropertyOptions<T, V>(Info);
        }
    }

    // A published method, found by name with MethodAddress and called through MethodCode.
    template <class M> void Method(const String& Name, M Member) {
        ASSERT_MSG(FTarget.Methods != nullptr, u"Methods are published with the class's properties");
        auto Info = std::make_unique<TypeInfoDetail::TMethodInfo>();
        Info->Name = Name;
        Info->Code = TypeInfoDetail::TMethodCode<M>::template Make<T>(Member);
        FTarget.Methods->push_back(std::move(Info));
    }

private:
    TypeInfoDetail::TPublishTarget FTarget;

    template <class V, class Getter> static std::function<TPropValue(TObject*)> MakeReader(Getter Get) {
        return [Get](TObject* Instance) {
            return TypeInfoDetail::ToPropValue<V>(std::invoke(Get, static_cast<T*>(Instance)));
        };
    }
};

// ---- Published methods ---------------------------------------------------------------------------
//
//   static void Published(TPublisher<TFoo>& P) { P.Method(u"GetVariable", &TFoo::GetVariable); }
//
// The method of that name (compared without regard to case) of the class or its nearest
// ancestor that publishes one; null when none does.
const TypeInfoDetail::TMethodInfo* MethodAddress(TClass AClass, const String& Name);
const TypeInfoDetail::TMethodInfo* MethodAddress(const TObject* Instance, const String& Name);
// The code of a published method of exactly the signature R(TObject* Self, Args...); an empty
// function when the method is absent or has another signature.
template <class Sig> std::function<Sig> MethodCode(const TObject* Instance, const String& Name) {
    const TypeInfoDetail::TMethodInfo* M = Instance ? MethodAddress(Instance, Name) : nullptr;
    if (!M) return {};
    const auto* Fn = std::any_cast<std::function<Sig>>(&M->Code);
    return Fn ? *Fn : std::function<Sig>();
}
