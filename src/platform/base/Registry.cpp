#include "platform/base/Registry.h"

#include "platform/base/Files.h"
#include "platform/base/Ini.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const String DwordPrefix = u"dword:";
const String StringPrefix = u"sz:";
const String BinaryPrefix = u"hex:";

// "0a,ff,10": two hexadecimal digits per byte, commas between them.
bool ParseHexBytes(const String& Text, std::vector<Byte>& Bytes) {
    Bytes.clear();
    auto Digit = [](Char C) -> int {
        if (C >= u'0' && C <= u'9') return C - u'0';
        if (C >= u'a' && C <= u'f') return C - u'a' + 10;
        if (C >= u'A' && C <= u'F') return C - u'A' + 10;
        return -1;
    };
    size_t P = 0;
    while (P < Text.size()) {
        if (P + 1 >= Text.size()) return false;
        const int Hi = Digit(Text[P]), Lo = Digit(Text[P + 1]);
        if (Hi < 0 || Lo < 0) return false;
        Bytes.push_back(static_cast<Byte>(Hi * 16 + Lo));
        P += 2;
        if (P < Text.size()) {
            if (Text[P] != u',') return false;
            ++P;
        }
    }
    return true;
}

String RootName(HKEY Root) {
    switch (Root) {
    case HKEY_CLASSES_ROOT:
        return u"HKEY_CLASSES_ROOT";
    case HKEY_LOCAL_MACHINE:
        return u"HKEY_LOCAL_MACHINE";
    case HKEY_USERS:
        return u"HKEY_USERS";
    default:
        return u"HKEY_CURRENT_USER";
    }
}

// Backslashes at both ends and doubled ones say nothing about the path.
String NormalPath(const String& Path) {
    String Result;
    for (Char C : Path) {
        if (C == u'\\' && (Result.empty() || Result.back() == u'\\')) continue;
        Result += C;
    }
    while (!Result.empty() && Result.back() == u'\\')
        Result.pop_back();
    return Result;
}

} // namespace

TRegistry::TRegistry() = default;
TRegistry::~TRegistry() = default;

String TRegistry::FileName() {
    return GetAppDataDir() + u"/" + ExtractFileName(ProgramFile()) + u"/registry.ini";
}

void TRegistry::SetRootKey(HKEY Value) {
    if (FRootKey == Value) return;
    CloseKey();
    FRootKey = Value;
}

String TRegistry::SectionOf(const String& Path) const {
    return Path.empty() ? RootName(FRootKey) : RootName(FRootKey) + u"\\" + Path;
}

String TRegistry::Resolve(const String& Key) const {
    if (!Key.empty() && Key[0] == u'\\') return NormalPath(Key);
    if (!FOpen || FCurrentPath.empty()) return NormalPath(Key);
    return NormalPath(FCurrentPath + u"\\" + Key);
}

std::unique_ptr<TMemIniFile> TRegistry::Load() const {
    return std::make_unique<TMemIniFile>(FileName());
}

void TRegistry::Store(TMemIniFile& Ini) {
    ForceDirectories(ExtractFileDir(FileName()));
    Ini.UpdateFile();
}

bool TRegistry::KeyExists(const String& Key) {
    const String Path = Resolve(Key);
    if (Path.empty()) return true;
    const String Section = SectionOf(Path);
    auto Ini = Load();
    // A key that holds only subkeys has no section of its own.
    for (const String& Name : Ini->ReadSectionNames())
        if (SameText(Name, Section) ||
            (Name.size() > Section.size() && Name[Section.size()] == u'\\' && StartsText(Section, Name)))
            return true;
    return false;
}

bool TRegistry::OpenKey(const String& Key, bool CanCreate) {
    const String Path = Resolve(Key);
    if (!KeyExists(u"\\" + Path)) {
        if (!CanCreate) return false;
        auto Ini = Load();
        // An empty section marks the key.
        Ini->WriteString(SectionOf(Path), u"", u"");
        Ini->DeleteKey(SectionOf(Path), u"");
        Store(*Ini);
    }
    FCurrentPath = Path;
    FOpen = true;
    FReadOnly = false;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const String& Key) {
    const String Path = Resolve(Key);
    if (!KeyExists(u"\\" + Path)) return false;
    FCurrentPath = Path;
    FOpen = true;
    FReadOnly = true;
    return true;
}

void TRegistry::CloseKey() {
    FOpen = false;
    FReadOnly = false;
    FCurrentPath.clear();
}

bool TRegistry::DeleteKey(const String& Key) {
    const String Path = Resolve(Key);
    if (Path.empty() || !KeyExists(u"\\" + Path)) return false;
    const String Section = SectionOf(Path);
    auto Ini = Load();
    for (const String& Name : Ini->ReadSectionNames())
        if (SameText(Name, Section) ||
            (Name.size() > Section.size() && Name[Section.size()] == u'\\' && StartsText(Section, Name)))
            Ini->EraseSection(Name);
    Store(*Ini);
    return true;
}

String TRegistry::RawValue(const String& Name, bool& Found) {
    Found = false;
    if (!FOpen) return {};
    auto Ini = Load();
    const String Section = SectionOf(FCurrentPath);
    Found = Ini->ValueExists(Section, Name);
    return Found ? Ini->ReadString(Section, Name, u"") : String();
}

bool TRegistry::ValueExists(const String& Name) {
    bool Found;
    RawValue(Name, Found);
    return Found;
}

TRegDataType TRegistry::GetDataType(const String& Name) {
    bool Found;
    const String Raw = RawValue(Name, Found);
    if (!Found) return rdUnknown;
    if (StartsText(DwordPrefix, Raw)) return rdInteger;
    if (StartsText(StringPrefix, Raw)) return rdString;
    if (StartsText(BinaryPrefix, Raw)) return rdBinary;
    return rdUnknown;
}

int TRegistry::ReadInteger(const String& Name) {
    bool Found;
    const String Raw = RawValue(Name, Found);
    Int64 Value;
    if (!Found || !StartsText(DwordPrefix, Raw) ||
        !TryStrToInt64(u"$" + Raw.substr(DwordPrefix.size()), Value) || Value < 0 || Value > 0xFFFFFFFFll)
        throw ERegistryException(u"Invalid data type for '" + Name + u"'");
    return int(std::uint32_t(Value));
}

String TRegistry::ReadString(const String& Name) {
    bool Found;
    const String Raw = RawValue(Name, Found);
    if (!Found) return {};
    if (!StartsText(StringPrefix, Raw)) throw ERegistryException(u"Invalid data type for '" + Name + u"'");
    return Raw.substr(StringPrefix.size());
}

void TRegistry::WriteRaw(const String& Name, const String& Raw) {
    if (!FOpen || FReadOnly) throw ERegistryException(u"Failed to set data for '" + Name + u"'");
    auto Ini = Load();
    Ini->WriteString(SectionOf(FCurrentPath), Name, Raw);
    Store(*Ini);
}

void TRegistry::WriteInteger(const String& Name, int Value) {
    WriteRaw(Name, DwordPrefix + IntToHex(std::uint32_t(Value), 8));
}

void TRegistry::WriteString(const String& Name, const String& Value) {
    WriteRaw(Name, StringPrefix + Value);
}

int TRegistry::GetDataSize(const String& Name) {
    bool Found;
    const String Raw = RawValue(Name, Found);
    if (!Found) return -1;
    if (StartsText(DwordPrefix, Raw)) return 4;
    if (StartsText(StringPrefix, Raw)) return static_cast<int>((Raw.size() - StringPrefix.size() + 1) * 2);
    std::vector<Byte> Bytes;
    if (StartsText(BinaryPrefix, Raw) && ParseHexBytes(Raw.substr(BinaryPrefix.size()), Bytes))
        return static_cast<int>(Bytes.size());
    return -1;
}

int TRegistry::ReadBinaryData(const String& Name, void* Buffer, int BufSize) {
    bool Found;
    const String Raw = RawValue(Name, Found);
    std::vector<Byte> Bytes;
    if (!Found || !StartsText(BinaryPrefix, Raw) || !ParseHexBytes(Raw.substr(BinaryPrefix.size()), Bytes))
        throw ERegistryException(u"Invalid data type for '" + Name + u"'");
    const int N = std::min(BufSize, static_cast<int>(Bytes.size()));
    if (N > 0) std::memcpy(Buffer, Bytes.data(), static_cast<size_t>(N));
    return N;
}

void TRegistry::WriteBinaryData(const String& Name, const void* Buffer, int BufSize) {
    static const char16_t Hex[] = u"0123456789abcdef";
    String Text = BinaryPrefix;
    const auto* B = static_cast<const Byte*>(Buffer);
    for (int K = 0; K < BufSize; ++K) {
        if (K > 0) Text += u',';
        Text += Hex[B[K] >> 4];
        Text += Hex[B[K] & 15];
    }
    WriteRaw(Name, Text);
}

bool TRegistry::DeleteValue(const String& Name) {
    if (!FOpen || FReadOnly || !ValueExists(Name)) return false;
    auto Ini = Load();
    Ini->DeleteKey(SectionOf(FCurrentPath), Name);
    Store(*Ini);
    return true;
}
