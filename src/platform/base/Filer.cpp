#include "platform/base/Filer.h"

#include "platform/base/Collection.h"
#include "platform/base/Component.h"
#include "platform/base/IntConsts.h"
#include "platform/base/Streams.h"
#include "platform/base/Strings.h"

#include <cstring>

namespace {

bool IsOrdinal(TTypeKind Kind) {
    return Kind == tkInteger || Kind == tkChar || Kind == tkEnumeration || Kind == tkWChar;
}

bool IsText(TTypeKind Kind) {
    return Kind == tkString || Kind == tkLString || Kind == tkWString || Kind == tkUString;
}

bool IsBoolean(const TTypeInfo* Type) {
    return Type->Kind == tkEnumeration && Type == TypeInfo<bool>();
}

} // namespace

// ---- Writer ---------------------------------------------------------------------------------

void TWriter::WriteBytes(const void* Data, int Count) {
    FStream->WriteBuffer(Data, Count);
}

void TWriter::WriteValue(TValueType Value) {
    const Byte B = Value;
    WriteBytes(&B, 1);
}

void TWriter::WriteName(const String& Name) {
    const AnsiString Bytes = StringToUtf8(Name);
    if (Bytes.size() > 255) throw EWriteError(u"Name too long: " + Name);
    const Byte N = static_cast<Byte>(Bytes.size());
    WriteBytes(&N, 1);
    WriteBytes(Bytes.data(), N);
}

void TWriter::WriteInteger(Int64 Value) {
    if (Value >= INT8_MIN && Value <= INT8_MAX) {
        WriteValue(vaInt8);
        const auto V = static_cast<std::int8_t>(Value);
        WriteBytes(&V, 1);
    } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
        WriteValue(vaInt16);
        const auto V = static_cast<std::int16_t>(Value);
        const Byte B[2] = {Byte(V & 0xFF), Byte((V >> 8) & 0xFF)};
        WriteBytes(B, 2);
    } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
        WriteValue(vaInt32);
        Byte B[4];
        for (int I = 0; I < 4; ++I)
            B[I] = Byte((UInt64(Value) >> (8 * I)) & 0xFF);
        WriteBytes(B, 4);
    } else {
        WriteValue(vaInt64);
        Byte B[8];
        for (int I = 0; I < 8; ++I)
            B[I] = Byte((UInt64(Value) >> (8 * I)) & 0xFF);
        WriteBytes(B, 8);
    }
}

void TWriter::WriteFloat(double Value) {
    WriteValue(vaDouble);
    UInt64 Bits;
    std::memcpy(&Bits, &Value, 8);
    Byte B[8];
    for (int I = 0; I < 8; ++I)
        B[I] = Byte((Bits >> (8 * I)) & 0xFF);
    WriteBytes(B, 8);
}

void TWriter::WriteString(const String& Value) {
    const bool Ascii = std::all_of(Value.begin(), Value.end(), [](Char C) { return C < 128; });
    if (Ascii && Value.size() <= 255) {
        WriteValue(vaString);
        WriteName(Value);
        return;
    }
    const AnsiString Bytes = StringToUtf8(Value);
    WriteValue(vaUTF8String);
    const auto N = static_cast<Cardinal>(Bytes.size());
    const Byte B[4] = {Byte(N & 0xFF), Byte((N >> 8) & 0xFF), Byte((N >> 16) & 0xFF), Byte(N >> 24)};
    WriteBytes(B, 4);
    WriteBytes(Bytes.data(), static_cast<int>(N));
}

void TWriter::WriteIdent(const String& Ident) {
    if (SameText(Ident, u"False"))
        WriteValue(vaFalse);
    else if (SameText(Ident, u"True"))
        WriteValue(vaTrue);
    else if (SameText(Ident, u"nil"))
        WriteValue(vaNil);
    else if (SameText(Ident, u"Null"))
        WriteValue(vaNull);
    else {
        WriteValue(vaIdent);
        WriteName(Ident);
    }
}

void TWriter::DefineProperty(const String& Name, const TReaderProc&, const TWriterProc& WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    WriteName(FPropPath + Name);
    WriteData(this);
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo* Prop) {
    if (!Prop->Reader || !IsStoredProp(Instance, Prop)) return;
    const TTypeInfo* Type = Prop->PropType;
    const String Name = FPropPath + Prop->Name;
    if (IsOrdinal(Type->Kind)) {
        const Int64 Value = GetOrdProp(Instance, Prop);
        if (Prop->HasDefault() && Value == Prop->Default) return;
        WriteName(Name);
        if (IsBoolean(Type)) {
            WriteBoolean(Value != 0);
        } else if (Type->Kind == tkEnumeration) {
            WriteIdent(GetEnumName(Type, Value));
        } else {
            String Ident;
            const TIntToIdent ToIdent = Type->Kind == tkInteger ? FindIntToIdent(Type) : nullptr;
            if (ToIdent && ToIdent(static_cast<int>(Value), Ident))
                WriteIdent(Ident);
            else
                WriteInteger(Value);
        }
    } else if (Type->Kind == tkInt64) {
        const Int64 Value = GetInt64Prop(Instance, Prop);
        if (Prop->HasDefault() && Value == Prop->Default) return;
        WriteName(Name);
        WriteInteger(Value);
    } else if (Type->Kind == tkSet) {
        const Int64 Mask = GetOrdProp(Instance, Prop);
        if (Prop->HasDefault() && Mask == Prop->Default) return;
        WriteName(Name);
        WriteValue(vaSet);
        for (int I = 0; I < 64; ++I)
            if (Mask & (Int64(1) << I)) WriteName(GetEnumName(Type->CompType, I));
        WriteName(String());
    } else if (IsText(Type->Kind)) {
        const String Value = GetStrProp(Instance, Prop);
        if (Value.empty()) return;
        WriteName(Name);
        WriteString(Value);
    } else if (Type->Kind == tkFloat) {
        const double Value = GetFloatProp(Instance, Prop);
        if (Value == 0) return;
        WriteName(Name);
        WriteFloat(Value);
    } else if (Type->Kind == tkClass) {
        TObject* Value = GetObjectProp(Instance, Prop);
        if (auto* Items = dynamic_cast<TCollection*>(Value)) {
            // An empty collection is what a fresh object has.
            if (Items->Count() == 0) return;
            WriteName(Name);
            WriteCollection(Items);
        } else if (auto* Sub = dynamic_cast<TPersistent*>(Value); Sub && !dynamic_cast<TComponent*>(Sub)) {
            // A part of the object (a font, a gutter): its properties under the part's name.
            const String Saved = FPropPath;
            FPropPath = Name + u".";
            for (const TPropInfo* P : GetPropList(Sub))
                WriteProperty(Sub, P);
            Sub->DefineProperties(this);
            FPropPath = Saved;
        }
    }
}

void TWriter::WriteProperties(TPersistent* Instance) {
    for (const TPropInfo* P : GetPropList(Instance))
        WriteProperty(Instance, P);
    Instance->DefineProperties(this);
    WriteListEnd();
}

void TWriter::WriteCollection(TCollection* Value) {
    WriteValue(vaCollection);
    if (Value)
        for (int I = 0; I < Value->Count(); ++I) {
            WriteListBegin();
            const String Saved = FPropPath;
            FPropPath.clear();
            WriteProperties(Value->Items(I));
            FPropPath = Saved;
        }
    WriteListEnd();
}

// ---- Reader ---------------------------------------------------------------------------------

Byte TReader::ReadByte() {
    Byte B = 0;
    FStream->ReadBuffer(&B, 1);
    return B;
}

TValueType TReader::NextValue() {
    const TValueType V = ReadValue();
    FStream->Seek(-1, soFromCurrent);
    return V;
}

TValueType TReader::ReadValue() {
    const Byte B = ReadByte();
    if (B > vaDouble) InvalidValue();
    return static_cast<TValueType>(B);
}

void TReader::InvalidValue() {
    throw EReadError(u"Invalid property value");
}

void TReader::CheckValue(TValueType Want) {
    if (ReadValue() != Want) InvalidValue();
}

String TReader::ReadName() {
    const Byte N = ReadByte();
    AnsiString Bytes(N, '\0');
    if (N) FStream->ReadBuffer(Bytes.data(), N);
    return Utf8ToString(Bytes);
}

void TReader::ReadListBegin() {
    CheckValue(vaList);
}

void TReader::ReadListEnd() {
    CheckValue(vaNull);
}

Int64 TReader::ReadInteger() {
    const TValueType V = ReadValue();
    int Size = 0;
    switch (V) {
    case vaInt8:
        Size = 1;
        break;
    case vaInt16:
        Size = 2;
        break;
    case vaInt32:
        Size = 4;
        break;
    case vaInt64:
        Size = 8;
        break;
    default:
        InvalidValue();
    }
    Byte B[8];
    FStream->ReadBuffer(B, Size);
    UInt64 U = 0;
    for (int I = 0; I < Size; ++I)
        U |= UInt64(B[I]) << (8 * I);
    // Sign-extend from the stored width.
    if (Size < 8 && (U >> (8 * Size - 1)) & 1) U |= ~UInt64(0) << (8 * Size);
    return static_cast<Int64>(U);
}

bool TReader::ReadBoolean() {
    const TValueType V = ReadValue();
    if (V != vaFalse && V != vaTrue) InvalidValue();
    return V == vaTrue;
}

double TReader::ReadFloat() {
    const TValueType V = ReadValue();
    if (V == vaDouble) {
        Byte B[8];
        FStream->ReadBuffer(B, 8);
        UInt64 Bits = 0;
        for (int I = 0; I < 8; ++I)
            Bits |= UInt64(B[I]) << (8 * I);
        double D;
        std::memcpy(&D, &Bits, 8);
        return D;
    }
    if (V == vaSingle) {
        Byte B[4];
        FStream->ReadBuffer(B, 4);
        Cardinal Bits = 0;
        for (int I = 0; I < 4; ++I)
            Bits |= Cardinal(B[I]) << (8 * I);
        float F;
        std::memcpy(&F, &Bits, 4);
        return F;
    }
    FStream->Seek(-1, soFromCurrent);
    return static_cast<double>(ReadInteger());
}

String TReader::ReadString() {
    const TValueType V = ReadValue();
    if (V == vaString) return ReadName();
    if (V != vaUTF8String && V != vaLString && V != vaWString) InvalidValue();
    Byte B[4];
    FStream->ReadBuffer(B, 4);
    const Cardinal N = Cardinal(B[0]) | Cardinal(B[1]) << 8 | Cardinal(B[2]) << 16 | Cardinal(B[3]) << 24;
    // A count beyond the bytes left is a damaged stream, not a reason to allocate.
    const Int64 Left = FStream->Size() - FStream->Position();
    const Int64 Bytes = V == vaWString ? Int64(N) * 2 : Int64(N);
    if (Bytes > Left) throw EReadError(u"Stream read error");
    if (V == vaWString) {
        String S(N, u'\0');
        for (Cardinal I = 0; I < N; ++I) {
            Byte C[2];
            FStream->ReadBuffer(C, 2);
            S[I] = Char(C[0] | C[1] << 8);
        }
        return S;
    }
    AnsiString Text(N, '\0');
    if (N) FStream->ReadBuffer(Text.data(), N);
    return V == vaUTF8String ? Utf8ToString(Text) : String(Text.begin(), Text.end());
}

String TReader::ReadIdent() {
    switch (ReadValue()) {
    case vaIdent:
        return ReadName();
    case vaFalse:
        return u"False";
    case vaTrue:
        return u"True";
    case vaNil:
        return u"nil";
    case vaNull:
        return u"Null";
    default:
        InvalidValue();
    }
}

void TReader::SkipValue() {
    switch (NextValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
        ReadValue();
        return;
    case vaList:
        ReadValue();
        while (!EndOfList())
            SkipValue();
        ReadListEnd();
        return;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
        ReadInteger();
        return;
    case vaDouble:
    case vaSingle:
        ReadFloat();
        return;
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String:
        ReadString();
        return;
    case vaIdent:
        ReadIdent();
        return;
    case vaSet:
        ReadValue();
        while (!ReadName().empty()) {
        }
        return;
    case vaCollection:
        ReadValue();
        while (!EndOfList()) {
            ReadListBegin();
            while (!EndOfList()) {
                ReadName();
                SkipValue();
            }
            ReadListEnd();
        }
        ReadListEnd();
        return;
    default:
        InvalidValue();
    }
}

void TReader::DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc&, bool) {
    if (!FPropName.empty() && ReadData && SameText(Name, FPropName)) {
        ReadData(this);
        FPropName.clear();
    }
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo* Prop) {
    const TTypeInfo* Type = Prop->PropType;
    if (IsOrdinal(Type->Kind)) {
        if (IsBoolean(Type)) {
            SetOrdProp(Instance, Prop, ReadBoolean() ? 1 : 0);
        } else if (Type->Kind == tkEnumeration) {
            const int V = GetEnumValue(Type, ReadIdent());
            if (V < 0) InvalidValue();
            SetOrdProp(Instance, Prop, V);
        } else if (NextValue() == vaIdent) {
            const TIdentToInt ToInt = Type->Kind == tkInteger ? FindIdentToInt(Type) : nullptr;
            int V = 0;
            if (!ToInt || !ToInt(ReadIdent(), V)) InvalidValue();
            SetOrdProp(Instance, Prop, V);
        } else {
            SetOrdProp(Instance, Prop, ReadInteger());
        }
    } else if (Type->Kind == tkInt64) {
        SetInt64Prop(Instance, Prop, ReadInteger());
    } else if (Type->Kind == tkSet) {
        CheckValue(vaSet);
        Int64 Mask = 0;
        for (String Name = ReadName(); !Name.empty(); Name = ReadName()) {
            const int V = GetEnumValue(Type->CompType, Name);
            if (V < 0 || V >= 64) InvalidValue();
            Mask |= Int64(1) << V;
        }
        SetOrdProp(Instance, Prop, Mask);
    } else if (IsText(Type->Kind)) {
        SetStrProp(Instance, Prop, ReadString());
    } else if (Type->Kind == tkFloat) {
        SetFloatProp(Instance, Prop, ReadFloat());
    } else if (Type->Kind == tkClass) {
        auto* Items = dynamic_cast<TCollection*>(GetObjectProp(Instance, Prop));
        if (!Items) InvalidValue();
        CheckValue(vaCollection);
        Items->BeginUpdate();
        Items->Clear();
        try {
            ReadCollection(Items);
        } catch (...) {
            Items->EndUpdate();
            throw;
        }
        Items->EndUpdate();
    } else {
        InvalidValue();
    }
}

void TReader::ReadProperty(TPersistent* Instance) {
    const String Path = ReadName();
    // "Part.Property" reaches the property of a part of the object.
    TPersistent* Target = Instance;
    String Name = Path;
    for (size_t Dot = Name.find(u'.'); Dot != String::npos; Dot = Name.find(u'.')) {
        const TPropInfo* Part = GetPropInfo(Target, Name.substr(0, Dot));
        auto* Sub = Part && Part->PropType->Kind == tkClass && Part->Reader
                        ? dynamic_cast<TPersistent*>(GetObjectProp(Target, Part))
                        : nullptr;
        if (!Sub) throw EReadError(u"Property " + Path + u" does not exist");
        Target = Sub;
        Name = Name.substr(Dot + 1);
    }
    // A collection is filled in place: its property needs no writer.
    if (const TPropInfo* Prop = GetPropInfo(Target, Name);
        Prop && (Prop->Writer || (Prop->PropType->Kind == tkClass && Prop->Reader))) {
        ReadPropValue(Target, Prop);
        return;
    }
    FPropName = Name;
    Target->DefineProperties(this);
    if (!FPropName.empty()) {
        FPropName.clear();
        throw EReadError(u"Property " + Path + u" does not exist");
    }
}

void TReader::ReadProperties(TPersistent* Instance) {
    while (!EndOfList())
        ReadProperty(Instance);
    ReadListEnd();
}

void TReader::ReadCollection(TCollection* Value) {
    while (!EndOfList()) {
        ReadListBegin();
        TCollectionItem* Item = Value->Add();
        ReadProperties(Item);
    }
    ReadListEnd();
}
