#include "dataaware/edits/daHistoryList.h"

#include "dataaware/foundation/daStrUtils.h"
#include "platform/base/Files.h"
#include "platform/base/Ini.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <vector>

namespace {
// The library-wide file of grid layouts and history lists.
String daHistoryDefaultIniFileName() {
    return {};
}
} // namespace

TdaHistoryList::TdaHistoryList() : FList(std::make_unique<TStringList>()) {}

TdaHistoryList::~TdaHistoryList() {
    // Entries added after the first load persist even when the combo box did not save them.
    // A destructor must not throw: a storage that fails now loses only this last save.
    if (FLoaded && !(Owner && Owner->ComponentState().Contains(csDesigning))) {
        try {
            Save();
        } catch (...) {
        }
    }
}

void TdaHistoryList::Published(TPublisher<TdaHistoryList>& P) {
    P.Property(u"Section", &TdaHistoryList::Section, &TdaHistoryList::SetSection);
    P.Property(u"FileName", &TdaHistoryList::FileName, &TdaHistoryList::SetFileName);
    P.Property(u"MaxSize", &TdaHistoryList::MaxSize, &TdaHistoryList::SetMaxSize).Default(-1);
    P.Property(u"StorageType", &TdaHistoryList::StorageType, &TdaHistoryList::SetStorageType).Default(stIniFile);
    P.Property(u"Enabled", &TdaHistoryList::Enabled, &TdaHistoryList::SetEnabled).Default(false);
    P.Property(u"MRUEnabled", &TdaHistoryList::MRUEnabled, &TdaHistoryList::SetMRUEnabled).Default(false);
    P.Property(u"MRUMaxSize", &TdaHistoryList::MRUMaxSize, &TdaHistoryList::SetMRUMaxSize).Default(2);
}

String TdaHistoryList::GetFileName() const {
    if (!FFileName.empty()) return FFileName;
    const String Global = daHistoryDefaultIniFileName();
    if (!Global.empty()) return Global;
    // Only an INI file falls back to one named after the program.
    if (FStorageType == stIniFile && Owner && !Owner->ComponentState().Contains(csDesigning)) {
        String Name;
        daFileNameNoExt(ProgramFile(), Name);
        return Name + u".ini";
    }
    return {};
}

int TdaHistoryList::EffectiveMRUCount() const {
    if (!FEnabled || !FMRUEnabled) return 0;
    return std::max(0, std::min(FMRUMaxSize, FList->Count()));
}

void TdaHistoryList::MergeInto(TStrings* SyncList) const {
    if (!SyncList) return;
    for (int K = 0; K < FList->Count(); ++K)
        if (SyncList->IndexOf(FList->Strings(K)) < 0) SyncList->Add(FList->Strings(K));
}

void TdaHistoryList::Load(TStrings* SyncList) {
    const String Name = GetFileName();
    if (!FSection.empty() && !Name.empty()) {
        if (FStorageType == stRegistry) LoadFromRegistry(SyncList, FSection, HKEY_CURRENT_USER, Name);
        else LoadFromIniFile(SyncList, FSection, Name);
        FLoaded = true;
        return;
    }
    MergeInto(SyncList);
}

void TdaHistoryList::Save() {
    const String Name = GetFileName();
    if (FSection.empty() || Name.empty()) return;
    if (FStorageType == stRegistry) SaveToRegistry(FSection, Name, HKEY_CURRENT_USER);
    else SaveToIniFile(FSection, Name);
}

// The string-list stream form: each entry as text in the system code page, ended by CR LF.
void TdaHistoryList::SaveToStream(TStream* Stream) {
    if (FMaxSize > 0)
        while (FList->Count() > FMaxSize)
            FList->Delete(0);
    AnsiString Bytes;
    for (int K = 0; K < FList->Count(); ++K)
        Bytes += StringToUtf8(FList->Strings(K)) + "\r\n";
    if (!Bytes.empty()) Stream->WriteBuffer(Bytes.data(), static_cast<Int64>(Bytes.size()));
}

void TdaHistoryList::LoadFromStream(TStream* Stream) {
    const Int64 Size = Stream->Size() - Stream->Position();
    AnsiString Bytes(static_cast<size_t>(std::max<Int64>(0, Size)), '\0');
    if (Size > 0) Stream->ReadBuffer(Bytes.data(), Size);
    FList->Clear();
    size_t Start = 0;
    while (Start < Bytes.size()) {
        size_t End = Bytes.find_first_of("\r\n", Start);
        if (End == AnsiString::npos) End = Bytes.size();
        FList->Add(Utf8ToString(std::string_view(Bytes).substr(Start, End - Start)));
        if (End < Bytes.size() && Bytes[End] == '\r' && End + 1 < Bytes.size() && Bytes[End + 1] == '\n') ++End;
        Start = End + 1;
    }
}

void TdaHistoryList::SaveToRegistry(const String& ValueName, const String& Key, HKEY RootKey) {
    TRegistry Reg;
    Reg.SetRootKey(RootKey);
    if (!Reg.OpenKey(Key, true)) throw ERegistryException(u"Failed to create key " + Key);
    TScopeExit Close([&] { Reg.CloseKey(); });
    TMemoryStream Stream;
    SaveToStream(&Stream);
    Reg.WriteBinaryData(ValueName, Stream.Memory(), static_cast<int>(Stream.Size()));
}

void TdaHistoryList::LoadFromRegistry(TStrings* SyncList, const String& ValueName, HKEY RootKey,
                                      const String& Key) {
    TRegistry Reg;
    Reg.SetRootKey(RootKey);
    if (!Reg.OpenKey(Key, true)) throw ERegistryException(u"Failed to create key " + Key);
    TScopeExit Close([&] { Reg.CloseKey(); });
    const int Size = Reg.GetDataSize(ValueName);
    if (Size > 0) {
        std::vector<Byte> Block(static_cast<size_t>(Size));
        Reg.ReadBinaryData(ValueName, Block.data(), Size);
        TPointerStream Stream(Block.data(), Size);
        LoadFromStream(&Stream);
    }
    MergeInto(SyncList);
}

void TdaHistoryList::SaveToIniFile(const String& ASection, const String& IniFileName) {
    TIniFile Ini(IniFileName);
    Ini.EraseSection(ASection);
    const int First = FMaxSize > 0 ? std::max(0, FList->Count() - FMaxSize) : 0;
    for (int K = First; K < FList->Count(); ++K)
        Ini.WriteString(ASection, IntToStr(K), FList->Strings(K));
}

void TdaHistoryList::LoadFromIniFile(TStrings* SyncList, const String& ASection, const String& IniFileName) {
    TIniFile Ini(IniFileName);
    FList->Clear();
    for (const String& Key : Ini.ReadSectionKeys(ASection))
        FList->Add(Ini.ReadString(ASection, Key, u""));
    MergeInto(SyncList);
}
