#include "platform/base/TypeInfo.h"

#include "platform/base/Object.h"
#include "platform/base/Strings.h"

#include <cxxabi.h>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>

namespace {

[[noreturn]] void NoSuchProperty(const String& Name) {
    throw EPropertyError(u"Property " + Name + u" does not exist");
}

[[noreturn]] void WrongKind(const TPropInfo* Prop) {
    throw EPropertyConvertError(u"Invalid property type: " + Prop->PropType->Name);
}

[[noreturn]] void InvalidElement(const String& Name) {
    throw EPropertyConvertError(u"Invalid property element: " + Name);
}

const TPropInfo* Require(const TObject* Instance, const String& PropName) {
    if (!Instance) throw EInvalidPointer(u"Invalid pointer operation");
    const TPropInfo* Prop = GetPropInfo(Instance, PropName);
    if (!Prop) NoSuchProperty(PropName);
    return Prop;
}

// A property record of another class would make the reader cast the object wrongly.
void Check(const TObject* Instance, const TPropInfo* Prop) {
    if (!Instance || !Prop) throw EInvalidPointer(u"Invalid pointer operation");
    if (!Instance->InheritsFrom(Prop->OwnerClass)) NoSuchProperty(Prop->Name);
}

TPropValue Read(TObject* Instance, const TPropInfo* Prop) {
    Check(Instance, Prop);
    if (!Prop->Reader) throw EPropertyError(u"Property " + Prop->Name + u" is write-only");
    return Prop->Reader(Instance);
}

void Write(TObject* Instance, const TPropInfo* Prop, const TPropValue& Value) {
    Check(Instance, Prop);
    if (!Prop->Writer) throw EPropertyError(u"Property " + Prop->Name + u" is read-only");
    Prop->Writer(Instance, Value);
}

void Expect(const TPropInfo* Prop, std::initializer_list<TTypeKind> Kinds) {
    for (TTypeKind K : Kinds)
        if (Prop->PropType->Kind == K) return;
    WrongKind(Prop);
}

int SetElementCount(const TTypeInfo* SetType) {
    return static_cast<int>(SetType->CompType->MaxValue - SetType->CompType->MinValue + 1);
}

// Sets of up to 64 elements also read and write as their mask.
bool IsOrdinal(const TTypeInfo* Type) {
    switch (Type->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkInt64:
        return true;
    case tkSet:
        return SetElementCount(Type) <= 64;
    default:
        return false;
    }
}

// Every record the factory makes, owned here for the whole run: a caller that does not keep
// its record (a test, a second call for the same type) leaks nothing. The list itself is never
// freed, so that no record goes away while static objects that hold one are still being torn
// down.
TTypeInfo* NewInfo(TTypeKind Kind, String Name) {
    static std::mutex Lock;
    static auto* const Records = new std::deque<std::unique_ptr<TTypeInfo>>;
    auto Info = std::make_unique<TTypeInfo>();
    Info->Kind = Kind;
    Info->Name = std::move(Name);
    std::lock_guard Guard(Lock);
    return Records->emplace_back(std::move(Info)).get();
}

String Ascii(const char* S) {
    return String(S, S + std::char_traits<char>::length(S));
}

} // namespace

namespace TypeInfoDetail {

// The records live as long as the program: the code makes every one once, behind a
// function-local static, and hands it out by pointer.
const TTypeInfo* MakeEnumTypeInfo(const char16_t* Name, const char* ValueNames, int Count, TOrdType OrdType) {
    TTypeInfo* Info = NewInfo(tkEnumeration, Name);
    Info->OrdType = OrdType;
    String All = Ascii(ValueNames);
    size_t Start = 0;
    while (Start <= All.size()) {
        size_t Comma = All.find(u',', Start);
        if (Comma == String::npos) Comma = All.size();
        String Item = Trim(All.substr(Start, Comma - Start));
        if (!Item.empty()) Info->NameList.push_back(Item);
        Start = Comma + 1;
    }
    ASSERT(static_cast<int>(Info->NameList.size()) == Count);
    Info->MinValue = 0;
    Info->MaxValue = Count - 1;
    Info->BaseType = Info;
    return Info;
}

const TTypeInfo* BooleanTypeInfo() {
    static const TTypeInfo* const Info = [] {
        TTypeInfo* I = NewInfo(tkEnumeration, u"Boolean");
        I->OrdType = otUByte;
        I->MaxValue = 1;
        I->NameList = {u"False", u"True"};
        I->BaseType = I;
        return I;
    }();
    return Info;
}

const TTypeInfo* OrdinalTypeInfo(TTypeKind Kind, const char16_t* Name, TOrdType OrdType, Int64 Min,
                                 Int64 Max) {
    TTypeInfo* Info = NewInfo(Kind, Name);
    Info->OrdType = OrdType;
    Info->MinValue = Min;
    Info->MaxValue = Max;
    return Info;
}

const TTypeInfo* FloatTypeInfo(const char16_t* Name, TFloatType FloatType) {
    TTypeInfo* Info = NewInfo(tkFloat, Name);
    Info->FloatType = FloatType;
    return Info;
}

const TTypeInfo* StringTypeInfo() {
    static const TTypeInfo* const Info = NewInfo(tkUString, u"string");
    return Info;
}

const TTypeInfo* SetTypeInfo(const TTypeInfo* CompType) {
    TTypeInfo* Info = NewInfo(tkSet, u"set of " + CompType->Name);
    Info->CompType = CompType;
    const Int64 Count = CompType->MaxValue - CompType->MinValue + 1;
    Info->OrdType = Count <= 8 ? otUByte : Count <= 16 ? otUWord : Count <= 32 ? otULong : otUQWord;
    return Info;
}

const TTypeInfo* MethodTypeInfo(const std::type_info& Type) {
    int Status = 0;
    char* Demangled = abi::__cxa_demangle(Type.name(), nullptr, nullptr, &Status);
    TTypeInfo* Info = NewInfo(tkMethod, Ascii(Status == 0 && Demangled ? Demangled : Type.name()));
    std::free(Demangled);
    Info->MethodType = &Type;
    return Info;
}

TPropInfo& AddProperty(TPublishTarget& Target, const String& Name, const TTypeInfo* Type) {
    for (const auto& P : Target.Props)
        ASSERT_MSG(!SameText(P->Name, Name), u"Property " + Name + u" published twice");
    auto Prop = std::make_unique<TPropInfo>();
    Prop->Name = Name;
    Prop->PropType = Type;
    Prop->OwnerClass = Target.Class;
    Target.Props.push_back(std::move(Prop));
    return *Target.Props.back();
}

void CheckTypeOverride(const TTypeInfo* Current, const TTypeInfo* Override) {
    auto IsText = [](const TTypeInfo* T) {
        return T && (T->Kind == tkString || T->Kind == tkLString || T->Kind == tkWString || T->Kind == tkUString);
    };
    if (IsText(Current) && IsText(Override)) return;
    ASSERT_MSG(Override && Override->Kind == Current->Kind,
               u"Type record of another kind than " + Current->Name);
}

} // namespace TypeInfoDetail

const TTypeInfo* StringKindTypeInfo(TTypeKind Kind) {
    using namespace TypeInfoDetail;
    static const TTypeInfo* const Short = NewInfo(tkString, u"ShortString");
    static const TTypeInfo* const Ansi = NewInfo(tkLString, u"AnsiString");
    static const TTypeInfo* const Wide = NewInfo(tkWString, u"WideString");
    switch (Kind) {
    case tkString:
        return Short;
    case tkLString:
        return Ansi;
    case tkWString:
        return Wide;
    default:
        ASSERT_MSG(Kind == tkUString, u"Not a string kind");
        return StringTypeInfo();
    }
}

const TTypeInfo* DateTimeTypeInfo() {
    static const TTypeInfo* const Info = TypeInfoDetail::FloatTypeInfo(u"TDateTime", ftDouble);
    return Info;
}

String GetEnumName(const TTypeInfo* Info, Int64 Value) {
    if (!Info) return String();
    if (Info->Kind != tkEnumeration) return IntToStr(Value);
    const TTypeInfo* Base = Info->BaseType ? Info->BaseType : Info;
    if (Value < Info->MinValue || Value > Info->MaxValue ||
        Value - Base->MinValue >= Int64(Base->NameList.size()))
        return String();
    return Base->NameList[static_cast<size_t>(Value - Base->MinValue)];
}

int GetEnumValue(const TTypeInfo* Info, const String& Name) {
    if (!Info) return -1;
    if (Info->Kind != tkEnumeration) {
        String S = Trim(Name);
        bool Negative = !S.empty() && S[0] == u'-';
        if (Negative) S.erase(0, 1);
        if (S.empty() || S.size() > 10) return -1;
        Int64 V = 0;
        for (Char C : S) {
            if (C < u'0' || C > u'9') return -1;
            V = V * 10 + (C - u'0');
        }
        V = Negative ? -V : V;
        return V < INT32_MIN || V > INT32_MAX ? -1 : static_cast<int>(V);
    }
    const TTypeInfo* Base = Info->BaseType ? Info->BaseType : Info;
    for (Int64 V = Info->MinValue; V <= Info->MaxValue; ++V)
        if (SameText(Base->NameList[static_cast<size_t>(V - Base->MinValue)], Name))
            return static_cast<int>(V);
    return -1;
}

String SetToString(const TTypeInfo* SetType, const TSetBits& Value, bool Brackets) {
    ASSERT(SetType && SetType->Kind == tkSet);
    const TTypeInfo* Comp = SetType->CompType;
    String Result;
    for (Int64 V = Comp->MinValue; V <= Comp->MaxValue; ++V) {
        if (!Value[static_cast<size_t>(V)]) continue;
        if (!Result.empty()) Result += u',';
        Result += GetEnumName(Comp, V);
    }
    return Brackets ? u"[" + Result + u"]" : Result;
}

TSetBits StringToSet(const TTypeInfo* SetType, const String& Text, bool SkipUnknown) {
    ASSERT(SetType && SetType->Kind == tkSet);
    String S = Trim(Text);
    if (!S.empty() && S.front() == u'[') {
        if (S.back() != u']') InvalidElement(S);
        S = S.substr(1, S.size() - 2);
    }
    TSetBits Result;
    size_t Start = 0;
    while (Start <= S.size()) {
        size_t Comma = S.find(u',', Start);
        if (Comma == String::npos) Comma = S.size();
        String Item = Trim(S.substr(Start, Comma - Start));
        Start = Comma + 1;
        if (Item.empty()) continue;
        int V = GetEnumValue(SetType->CompType, Item);
        if (V < 0 && SkipUnknown && SetType->CompType->Kind == tkEnumeration) continue;
        if (V < 0 || SetType->CompType->Kind != tkEnumeration) InvalidElement(Item);
        Result.set(static_cast<size_t>(V));
    }
    return Result;
}

const std::vector<const TPropInfo*>& GetPropList(TClass AClass) {
    ASSERT(AClass);
    return AClass->PropList();
}

const std::vector<const TPropInfo*>& GetPropList(const TObject* Instance) {
    ASSERT(Instance);
    return Instance->ClassType()->PropList();
}

const TPropInfo* GetPropInfo(TClass AClass, const String& PropName) {
    if (!AClass) return nullptr;
    for (const TPropInfo* P : AClass->PropList())
        if (SameText(P->Name, PropName)) return P;
    return nullptr;
}

const TPropInfo* GetPropInfo(const TObject* Instance, const String& PropName) {
    return Instance ? GetPropInfo(Instance->ClassType(), PropName) : nullptr;
}

bool IsPublishedProp(TClass AClass, const String& PropName) {
    return GetPropInfo(AClass, PropName) != nullptr;
}

bool IsPublishedProp(const TObject* Instance, const String& PropName) {
    return GetPropInfo(Instance, PropName) != nullptr;
}

TTypeKind PropType(TClass AClass, const String& PropName) {
    const TPropInfo* Prop = GetPropInfo(AClass, PropName);
    if (!Prop) NoSuchProperty(PropName);
    return Prop->PropType->Kind;
}

TTypeKind PropType(const TObject* Instance, const String& PropName) {
    return Require(Instance, PropName)->PropType->Kind;
}

bool IsStoredProp(TObject* Instance, const String& PropName) {
    return IsStoredProp(Instance, Require(Instance, PropName));
}

bool IsStoredProp(TObject* Instance, const TPropInfo* PropInfo) {
    Check(Instance, PropInfo);
    return PropInfo->StoredProc ? PropInfo->StoredProc(Instance) : PropInfo->StoredConst;
}

// ---- Ordinals ---------------------------------------------------------------------------------

Int64 GetOrdProp(TObject* Instance, const String& PropName) {
    return GetOrdProp(Instance, Require(Instance, PropName));
}

Int64 GetOrdProp(TObject* Instance, const TPropInfo* PropInfo) {
    Check(Instance, PropInfo);
    if (!IsOrdinal(PropInfo->PropType)) WrongKind(PropInfo);
    TPropValue V = Read(Instance, PropInfo);
    if (PropInfo->PropType->Kind == tkSet) return static_cast<Int64>(std::get<TSetBits>(V).to_ullong());
    return std::get<Int64>(V);
}

void SetOrdProp(TObject* Instance, const String& PropName, Int64 Value) {
    SetOrdProp(Instance, Require(Instance, PropName), Value);
}

void SetOrdProp(TObject* Instance, const TPropInfo* PropInfo, Int64 Value) {
    Check(Instance, PropInfo);
    const TTypeInfo* Type = PropInfo->PropType;
    if (!IsOrdinal(Type)) WrongKind(PropInfo);
    if (Type->Kind == tkSet) {
        const int Count = SetElementCount(Type);
        const UInt64 Mask = static_cast<UInt64>(Value);
        if (Count < 64 && (Mask >> Count) != 0)
            throw EPropertyConvertError(u"Invalid property value " + IntToStr(Value) + u" for " +
                                        PropInfo->Name);
        Write(Instance, PropInfo, TSetBits(Mask));
        return;
    }
    if (Value < Type->MinValue || Value > Type->MaxValue)
        throw EPropertyConvertError(u"Invalid property value " + IntToStr(Value) + u" for " + PropInfo->Name);
    Write(Instance, PropInfo, Value);
}

Int64 GetInt64Prop(TObject* Instance, const String& PropName) {
    return GetInt64Prop(Instance, Require(Instance, PropName));
}

Int64 GetInt64Prop(TObject* Instance, const TPropInfo* PropInfo) {
    Check(Instance, PropInfo);
    Expect(PropInfo, {tkInt64, tkInteger});
    return std::get<Int64>(Read(Instance, PropInfo));
}

void SetInt64Prop(TObject* Instance, const String& PropName, Int64 Value) {
    SetInt64Prop(Instance, Require(Instance, PropName), Value);
}

void SetInt64Prop(TObject* Instance, const TPropInfo* PropInfo, Int64 Value) {
    Check(Instance, PropInfo);
    Expect(PropInfo, {tkInt64, tkInteger});
    SetOrdProp(Instance, PropInfo, Value);
}

// ---- Enumerations and sets ------------------------------------------------------------------

String GetEnumProp(TObject* Instance, const String& PropName) {
    return GetEnumProp(Instance, Require(Instance, PropName));
}

String GetEnumProp(TObject* Instance, const TPropInfo* PropInfo) {
    Check(Instance, PropInfo);
    Expect(PropInfo, {tkEnumeration});
    return GetEnumName(PropInfo->PropType, std::get<Int64>(Read(Instance, PropInfo)));
}

void SetEnumProp(TObject* Instance, const String& PropName, const String& Value) {
    SetEnumProp(Instance, Require(Instance, PropName), Value);
}

void SetEnumProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value) {
    Check(Instance, PropInfo);
    Expect(PropInfo, {tkEnumeration});
    const int Ordinal = GetEnumValue(PropInfo->PropType, Trim(Value));
    if (Ordinal < 0) InvalidElement(Value);
    Write(Instance, PropInfo, Int64(Ordinal));
}

String GetSetProp(TObject* Instance, const String& PropName, bool Brackets) {
    return GetSetProp(Instance, Require(Instance, PropName), Brackets);
}

String GetSetProp(TObject* Instance, const TPropInfo* PropInfo, bool Brackets) {
    Check(Instance, PropInfo);
    Expect(PropInfo, {tkSet});
    return SetToString(PropInfo->PropType, std::get<TSetBits>(Read(Instance, PropInfo)), Brackets);
}

void SetSetProp(TObject* Instance, const String& PropName, const String& Value) {
    SetSetProp(Instance, Require(Instance, PropName), Value);
}

void SetSetProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value) {
    Check(Instance, PropInfo);
    Expect(PropInfo, {tkSet});
    Write(Instance, PropInfo, StringToSet(PropInfo->PropType, Value, PropInfo->SkipUnknownElements));
}

// ---- Strings, floats, objects, events ----------------------------------------------------------

String GetStrProp(TObject* Instance, const String& PropName) {
    return GetStrProp(Instance, Require(Instance, PropName));
}

String GetStrProp(TObject* Instance, const TPropInfo* PropInfo) {
    Check(Instance, PropInfo);
    Expect(PropInfo, {tkString, tkLString, tkWString, tkUString});
    return std::get<String>(Read(Instance, PropInfo));
}

void SetStrProp(TObject* Instance, const String& PropName, const String& Value) {
    SetStrProp(Instance, Require(Instance, PropName), Value);
}

void SetStrProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value) {
    Check(Instance, PropInfo);
    Expect(PropInfo, {tkString, tkLString, tkWString, tkUString});
    Write(Instance, PropInfo, Value);
}

double GetFloatProp(TObject* Instance, const String& PropName) {
    return GetFloatProp(Instance, Require(Instance, PropName));
}

double GetFloatProp(TObject* Instance, const TPropInfo* PropInfo) {
    Check(Instance, PropInfo);
    Expect(PropInfo, {tkFloat});
    return std::get<double>(Read(Instance, PropInfo));
}

void SetFloatProp(TObject* Instance, const String& PropName, double Value) {
    SetFloatProp(Instance, Require(Instance, PropName), Value);
}

void SetFloatProp(TObject* Instance, const TPropInfo* PropInfo, double Value) {
    Check(Instance, PropInfo);
    Expect(PropInfo, {tkFloat});
    Write(Instance, PropInfo, Value);
}

TObject* GetObjectProp(TObject* Instance, const String& PropName) {
    return GetObjectProp(Instance, Require(Instance, PropName));
}

TObject* GetObjectProp(TObject* Instance, const TPropInfo* PropInfo) {
    Check(Instance, PropInfo);
    Expect(PropInfo, {tkClass});
    return std::get<TObject*>(Read(Instance, PropInfo));
}

void SetObjectProp(TObject* Instance, const String& PropName, TObject* Value) {
    SetObjectProp(Instance, Require(Instance, PropName), Value);
}

void SetObjectProp(TObject* Instance, const TPropInfo* PropInfo, TObject* Value) {
    Check(Instance, PropInfo);
    Expect(PropInfo, {tkClass});
    if (Value && !Value->InheritsFrom(PropInfo->PropType->ClassType))
        throw EPropertyConvertError(u"Invalid property value: a " + Value->ClassName() + u" is not a " +
                                    PropInfo->PropType->Name);
    Write(Instance, PropInfo, Value);
}

TMethod GetMethodProp(TObject* Instance, const String& PropName) {
    return GetMethodProp(Instance, Require(Instance, PropName));
}

TMethod GetMethodProp(TObject* Instance, const TPropInfo* PropInfo) {
    Check(Instance, PropInfo);
    Expect(PropInfo, {tkMethod});
    return std::get<TMethod>(Read(Instance, PropInfo));
}

void SetMethodProp(TObject* Instance, const String& PropName, const TMethod& Value) {
    SetMethodProp(Instance, Require(Instance, PropName), Value);
}

void SetMethodProp(TObject* Instance, const TPropInfo* PropInfo, const TMethod& Value) {
    Check(Instance, PropInfo);
    Expect(PropInfo, {tkMethod});
    if (Value.Assigned() && Value.Type() != *PropInfo->PropType->MethodType) WrongKind(PropInfo);
    Write(Instance, PropInfo, Value);
}
