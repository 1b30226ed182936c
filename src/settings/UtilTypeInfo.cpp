#include "settings/UtilTypeInfo.h"

#include "settings/UtilConvert.h"

#include "platform/base/Format.h"
#include "platform/base/Lists.h"
#include "platform/base/Object.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <cstring>

namespace {

String KindName(TTypeKind Kind) {
    return GetEnumName(TypeInfo<TTypeKind>(), Kind);
}

String OrdTypeName(TOrdType OrdType) {
    return GetEnumName(TypeInfo<TOrdType>(), OrdType);
}

const TTypeInfo* BaseOf(const TTypeInfo* T) {
    return T->BaseType ? T->BaseType : T;
}

// The set's element range and the bit of its lowest element in the storage form.
struct TSetLayout {
    Int64 Min = 0;
    Int64 Max = -1;
    int FirstBit = 0; // b0 = Min mod 8
    int Bytes = 0;

    explicit TSetLayout(const TTypeInfo* SetType) {
        ASSERT(SetType && SetType->Kind == tkSet && SetType->CompType);
        Min = SetType->CompType->MinValue;
        Max = SetType->CompType->MaxValue;
        ASSERT(Min >= 0 && Max <= 255 && Min <= Max);
        FirstBit = static_cast<int>(Min % 8);
        Bytes = static_cast<int>(Max / 8 - Min / 8 + 1);
    }
    int BitOf(Int64 Ordinal) const { return FirstBit + static_cast<int>(Ordinal - Min); }
};

String ElementName(const TTypeInfo* Comp, Int64 Ordinal) {
    return Comp->Kind == tkEnumeration ? GetEnumName(Comp, Ordinal) : IntToStr(Ordinal);
}

String CharLiteral(Int64 V) {
    return V >= 32 && V <= 126 ? u"'" + String(1, static_cast<Char>(V)) + u"'" : u"#" + IntToStr(V);
}

} // namespace

// ---- The factory ------------------------------------------------------------------------------

IUtilTypeInfo MakeTypeInfoWrapper(const TTypeInfo* ATypeInfo) {
    if (!ATypeInfo) return nullptr;
    switch (ATypeInfo->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
        return std::make_shared<TUtilOrdinalRangeTypeInfo>(ATypeInfo);
    case tkEnumeration:
        return std::make_shared<TUtilEnumerationTypeInfo>(ATypeInfo);
    case tkSet:
        return std::make_shared<TUtilSetTypeInfo>(ATypeInfo);
    case tkFloat:
        return std::make_shared<TUtilFloatTypeInfo>(ATypeInfo);
    case tkClass:
        return std::make_shared<TUtilClassTypeInfo>(ATypeInfo);
    case tkInt64:
        return std::make_shared<TUtilInt64TypeInfo>(ATypeInfo);
    default:
        return std::make_shared<TUtilTypeInfo>(ATypeInfo);
    }
}

// ---- Plain, ordinal and range wrappers --------------------------------------------------------

void TUtilTypeInfo::DescribeTo(IUtilTextSink& Sink) {
    Sink.WriteLine(u"Name: " + GetName());
    Sink.WriteLine(u"Type kind: " + KindName(GetTypeKind()));
    Sink.WriteLine(Format(u"Type info: %p", {static_cast<const void*>(FTypeInfo)}));
}

void TUtilTypeInfo::DeclareTo(IUtilTextSink& Sink) {
    Sink.WriteLine(Format(u"// Declaration for '%s' not supported.", {GetName()}));
}

void TUtilOrdinalTypeInfo::DescribeTo(IUtilTextSink& Sink) {
    TUtilTypeInfo::DescribeTo(Sink);
    Sink.WriteLine(u"Ordinal type: " + OrdTypeName(GetOrdinalType()));
}

void TUtilOrdinalRangeTypeInfo::DescribeTo(IUtilTextSink& Sink) {
    TUtilOrdinalTypeInfo::DescribeTo(Sink);
    Sink.WriteLine(u"Min value: " + IntToStr(GetMinValue()));
    Sink.WriteLine(u"Max value: " + IntToStr(GetMaxValue()));
}

void TUtilOrdinalRangeTypeInfo::DeclareTo(IUtilTextSink& Sink) {
    const bool IsChar = GetTypeKind() == tkChar || GetTypeKind() == tkWChar;
    auto End = [IsChar](Int64 V) { return IsChar ? CharLiteral(V) : IntToStr(V); };
    Sink.WriteLine(GetName() + u" = " + End(GetMinValue()) + u".." + End(GetMaxValue()) + u"; // " +
                   OrdTypeName(GetOrdinalType()));
}

// ---- Enumerations ----------------------------------------------------------------------------

IUtilEnumerationTypeInfo TUtilEnumerationTypeInfo::GetBaseType() {
    if (BaseOf(FTypeInfo) == FTypeInfo)
        return std::static_pointer_cast<TUtilEnumerationTypeInfo>(shared_from_this());
    return std::make_shared<TUtilEnumerationTypeInfo>(BaseOf(FTypeInfo));
}

String TUtilEnumerationTypeInfo::GetNames(int I) const {
    const auto& Names = BaseOf(FTypeInfo)->NameList;
    return I >= 0 && I < static_cast<int>(Names.size()) ? Names[static_cast<size_t>(I)] : String();
}

int TUtilEnumerationTypeInfo::IndexOfName(const String& Name) const {
    const TTypeInfo* Base = BaseOf(FTypeInfo);
    for (Int64 V = GetMaxValue(); V >= GetMinValue(); --V)
        if (SameText(GetNames(static_cast<int>(V - Base->MinValue)), Name)) return static_cast<int>(V);
    return -1;
}

void TUtilEnumerationTypeInfo::DescribeTo(IUtilTextSink& Sink) {
    TUtilOrdinalRangeTypeInfo::DescribeTo(Sink);
    Sink.WriteLine(u"Unit name: " + GetUnitName());
    String Names;
    for (Int64 V = GetMinValue(); V <= GetMaxValue(); ++V)
        Names += (Names.empty() ? u"" : u", ") + GetEnumName(FTypeInfo, V);
    Sink.WriteLine(u"Names: (" + Names + u")");
}

void TUtilEnumerationTypeInfo::DeclareTo(IUtilTextSink& Sink) {
    String Body;
    if (BaseOf(FTypeInfo) == FTypeInfo) {
        for (Int64 V = GetMinValue(); V <= GetMaxValue(); ++V)
            Body += (Body.empty() ? u"" : u", ") + GetEnumName(FTypeInfo, V);
        Body = u"(" + Body + u")";
    } else {
        Body = GetEnumName(FTypeInfo, GetMinValue()) + u" .. " + GetEnumName(FTypeInfo, GetMaxValue());
    }
    Sink.WriteLine(GetName() + u" = " + Body + u"; // " + OrdTypeName(GetOrdinalType()));
}

// ---- Sets ------------------------------------------------------------------------------------

IUtilOrdinalTypeInfo TUtilSetTypeInfo::GetBaseType() const {
    return std::static_pointer_cast<TUtilOrdinalTypeInfo>(MakeTypeInfoWrapper(FTypeInfo->CompType));
}

void TUtilSetTypeInfo::GetAsList(const void* Value, bool WantRanges, TStrings* Strings) const {
    const TSetLayout L(FTypeInfo);
    const TTypeInfo* Comp = FTypeInfo->CompType;
    TUpdateBracket Update(*Strings);
    Int64 V = L.Min;
    while (V <= L.Max) {
        if (!BitInBuffer(Value, L.BitOf(V))) {
            ++V;
            continue;
        }
        const Int64 First = V;
        while (V + 1 <= L.Max && BitInBuffer(Value, L.BitOf(V + 1)))
            ++V;
        const Int64 Last = V++;
        if (WantRanges && First != Last)
            Strings->Add(ElementName(Comp, First) + u" .. " + ElementName(Comp, Last));
        else
            for (Int64 E = First; E <= Last; ++E)
                Strings->Add(ElementName(Comp, E));
    }
}

void TUtilSetTypeInfo::SetAsList(void* Value, TStrings* Strings) const {
    const TSetLayout L(FTypeInfo);
    const TTypeInfo* Comp = FTypeInfo->CompType;
    const auto Enum =
        Comp->Kind == tkEnumeration ? std::make_shared<TUtilEnumerationTypeInfo>(Comp) : nullptr;
    auto Ordinal = [&](const String& End) -> Int64 {
        if (Enum) {
            const int V = Enum->IndexOfName(End);
            if (V < 0) throw EUtilRTTIError(Format(u"Unknown identifier '%s'.", {End}));
            return V;
        }
        const Int64 V = StrToInt64(End);
        if (V < L.Min || V > L.Max)
            throw EConvertError(Format(u"'%s' is outside the range %d .. %d", {End, L.Min, L.Max}));
        return V;
    };
    // Every line is read before the value changes, so that a bad line leaves it whole.
    std::vector<std::pair<Int64, Int64>> Ranges;
    for (int I = 0; I < Strings->Count(); ++I) {
        const String Line = Trim(Strings->Strings(I));
        if (Line.empty()) continue;
        const int Dots = Pos(u"..", Line);
        const String Low = Dots > 0 ? Trim(Copy(Line, 1, Dots - 1)) : Line;
        const String High = Dots > 0 ? Trim(Copy(Line, Dots + 2, Length(Line))) : Line;
        const Int64 Lo = Ordinal(Low);
        Ranges.emplace_back(Lo, Dots > 0 ? Ordinal(High) : Lo);
    }
    std::memset(Value, 0, static_cast<size_t>(L.Bytes));
    for (const auto& [Lo, Hi] : Ranges)
        for (Int64 V = Lo; V <= Hi; ++V)
            SetBitInBuffer(Value, L.BitOf(V));
}

void TUtilSetTypeInfo::DescribeTo(IUtilTextSink& Sink) {
    TUtilOrdinalTypeInfo::DescribeTo(Sink);
    Sink.WriteLine(u"Based on: ");
    Sink.Indent();
    GetBaseType()->DescribeTo(Sink);
    Sink.Outdent();
}

void TUtilSetTypeInfo::DeclareTo(IUtilTextSink& Sink) {
    const TTypeInfo* Comp = FTypeInfo->CompType;
    const String Base = Comp->Kind == tkEnumeration ? Comp->Name : String(u"???");
    Sink.WriteLine(GetName() + u" = set of " + Base + u"; // " + OrdTypeName(GetOrdinalType()));
}

// ---- Floats, 64-bit integers -----------------------------------------------------------------

void TUtilFloatTypeInfo::DescribeTo(IUtilTextSink& Sink) {
    TUtilTypeInfo::DescribeTo(Sink);
    Sink.WriteLine(u"Float type: " + GetEnumName(TypeInfo<TFloatType>(), GetFloatType()));
}

void TUtilFloatTypeInfo::DeclareTo(IUtilTextSink& Sink) {
    Sink.WriteLine(GetName() + u" = type " + GetEnumName(TypeInfo<TFloatType>(), GetFloatType()).substr(2) +
                   u";");
}

void TUtilInt64TypeInfo::DescribeTo(IUtilTextSink& Sink) {
    TUtilTypeInfo::DescribeTo(Sink);
    Sink.WriteLine(u"Min value: " + IntToStr(GetMinValue()));
    Sink.WriteLine(u"Max value: " + IntToStr(GetMaxValue()));
}

void TUtilInt64TypeInfo::DeclareTo(IUtilTextSink& Sink) {
    Sink.WriteLine(GetName() + u" = " + IntToStr(GetMinValue()) + u" .. " + IntToStr(GetMaxValue()) + u";");
}

// ---- Classes and properties ------------------------------------------------------------------

namespace {

std::vector<const TPropInfo*> OwnProps(TClass C) {
    std::vector<const TPropInfo*> Own;
    for (const TPropInfo* P : GetPropList(C))
        if (P->OwnerClass == C) Own.push_back(P);
    return Own;
}

} // namespace

IUtilClassTypeInfo TUtilClassTypeInfo::GetParent() const {
    TClass Parent = GetClassRef()->ClassParent();
    return Parent ? std::make_shared<TUtilClassTypeInfo>(Parent->ClassTypeInfo()) : nullptr;
}

int TUtilClassTypeInfo::GetTotalPropertyCount() const {
    return static_cast<int>(GetPropList(GetClassRef()).size());
}

int TUtilClassTypeInfo::GetPropertyCount() const {
    return static_cast<int>(OwnProps(GetClassRef()).size());
}

IUtilPropInfo TUtilClassTypeInfo::GetProperties(int I) const {
    const auto Own = OwnProps(GetClassRef());
    if (I >= 0 && I < static_cast<int>(Own.size()))
        return std::make_shared<TUtilPropInfo>(Own[static_cast<size_t>(I)]);
    const IUtilClassTypeInfo Parent = GetParent();
    return Parent && I >= 0 ? Parent->GetProperties(I - static_cast<int>(Own.size())) : nullptr;
}

IUtilPropInfo TUtilClassTypeInfo::GetPropNames(const String& Name) const {
    const TPropInfo* P = ::GetPropInfo(GetClassRef(), Name);
    return P ? std::make_shared<TUtilPropInfo>(P) : nullptr;
}

void TUtilClassTypeInfo::DescribeTo(IUtilTextSink& Sink) {
    TUtilTypeInfo::DescribeTo(Sink);
    TClass Parent = GetClassRef()->ClassParent();
    Sink.WriteLine(u"Class name: " + GetClassRef()->ClassName());
    Sink.WriteLine(u"Parent: " + (Parent ? Parent->ClassName() : String()));
    Sink.WriteLine(u"Unit name: " + GetUnitName());
    Sink.WriteLine(u"Property count: " + IntToStr(GetPropertyCount()) + u" (" +
                   IntToStr(GetTotalPropertyCount()) + u")");
    Sink.Indent();
    for (const TPropInfo* P : OwnProps(GetClassRef())) {
        Sink.WriteLine(P->Name + u": " + P->PropType->Name);
        if (P->HasDefault()) {
            Sink.Indent();
            Sink.WriteLine(Format(u"[%s %d]", {String(u"default"), P->Default}));
            Sink.Outdent();
        }
    }
    Sink.Outdent();
}

void TUtilClassTypeInfo::DeclareTo(IUtilTextSink& Sink) {
    TClass Parent = GetClassRef()->ClassParent();
    if (Parent && Parent != TObject::StaticClass())
        Sink.WriteLine(GetName() + u" = class(" + Parent->ClassName() + u") // unit " + GetUnitName());
    else
        Sink.WriteLine(GetName() + u" = class // unit " + GetUnitName());
    const auto Own = OwnProps(GetClassRef());
    if (!Own.empty()) {
        Sink.WriteLine(u"published");
        Sink.Indent();
        for (const TPropInfo* P : Own) {
            String Line = u"property " + P->Name + u": " + P->PropType->Name;
            if (!P->StoredProc) Line += P->StoredConst ? u" stored = True" : u" stored = False";
            if (P->HasDefault()) Line += u" default " + IntToStr(P->Default);
            Sink.WriteLine(Line + u";");
        }
        Sink.Outdent();
    }
    Sink.WriteLine(u"end;");
}

bool TUtilPropInfo::IsStored(TObject* Instance) const {
    return IsStoredProp(Instance, FPropInfo);
}

// ---- Set texts and ordinals ------------------------------------------------------------------

int SetStorageSize(const TTypeInfo* SetType) {
    return TSetLayout(SetType).Bytes;
}

void SetBitsToStorage(const TTypeInfo* SetType, const TSetBits& Bits, void* Value) {
    const TSetLayout L(SetType);
    std::memset(Value, 0, static_cast<size_t>(L.Bytes));
    for (Int64 V = L.Min; V <= L.Max; ++V)
        if (Bits[static_cast<size_t>(V)]) SetBitInBuffer(Value, L.BitOf(V));
}

TSetBits StorageToSetBits(const TTypeInfo* SetType, const void* Value) {
    const TSetLayout L(SetType);
    TSetBits Bits;
    for (Int64 V = L.Min; V <= L.Max; ++V)
        if (BitInBuffer(Value, L.BitOf(V))) Bits.set(static_cast<size_t>(V));
    return Bits;
}

String SetToText(const TTypeInfo* SetType, const void* Value, bool WantBrackets, bool WantRanges) {
    TStringList Lines;
    TUtilSetTypeInfo(SetType).GetAsList(Value, WantRanges, &Lines);
    String Text;
    for (int I = 0; I < Lines.Count(); ++I)
        Text += (I ? u", " : u"") + Lines.Strings(I);
    return WantBrackets ? u"[" + Text + u"]" : Text;
}

void TextToSet(const TTypeInfo* SetType, void* Value, const String& Text) {
    TStringList Pieces;
    size_t Start = 0;
    for (;;) {
        const size_t Comma = Text.find(u',', Start);
        Pieces.Add(Text.substr(Start, Comma == String::npos ? String::npos : Comma - Start));
        if (Comma == String::npos) break;
        Start = Comma + 1;
    }
    if (StartsStr(u"[", Pieces.Strings(0))) {
        Pieces.SetString(0, Pieces.Strings(0).substr(1));
        const String Last = Pieces.Strings(Pieces.Count() - 1);
        Pieces.SetString(Pieces.Count() - 1, Last.substr(0, Last.empty() ? 0 : Last.size() - 1));
    }
    TUtilSetTypeInfo(SetType).SetAsList(Value, &Pieces);
}

int OrdinalSize(TOrdType OrdType) {
    switch (OrdType) {
    case otSByte:
    case otUByte:
        return 1;
    case otSWord:
    case otUWord:
        return 2;
    case otSLong:
    case otULong:
        return 4;
    default:
        return 8;
    }
}

Int64 ReadOrdinal(TOrdType OrdType, const void* Value) {
    switch (OrdType) {
    case otSByte:
        return *static_cast<const std::int8_t*>(Value);
    case otUByte:
        return *static_cast<const std::uint8_t*>(Value);
    case otSWord:
        return *static_cast<const std::int16_t*>(Value);
    case otUWord:
        return *static_cast<const std::uint16_t*>(Value);
    case otSLong:
        return *static_cast<const std::int32_t*>(Value);
    case otULong:
        return *static_cast<const std::uint32_t*>(Value);
    default:
        return *static_cast<const Int64*>(Value);
    }
}

void WriteOrdinal(TOrdType OrdType, Int64 Ordinal, void* Value) {
    switch (OrdinalSize(OrdType)) {
    case 1:
        *static_cast<std::uint8_t*>(Value) = static_cast<std::uint8_t>(Ordinal);
        break;
    case 2:
        *static_cast<std::uint16_t*>(Value) = static_cast<std::uint16_t>(Ordinal);
        break;
    case 4:
        *static_cast<std::uint32_t*>(Value) = static_cast<std::uint32_t>(Ordinal);
        break;
    default:
        *static_cast<Int64*>(Value) = Ordinal;
    }
}

String OrdinalValueName(const TTypeInfo* ATypeInfo, const void* Value) {
    const Int64 V = ReadOrdinal(ATypeInfo->OrdType, Value);
    if (V >= ATypeInfo->MinValue && V <= ATypeInfo->MaxValue) {
        const String Name = GetEnumName(ATypeInfo, V);
        if (!Name.empty()) return Name;
    }
    return Format(u"Value out of range (%s).", {u"ordinal=" + IntToStr(V)});
}
