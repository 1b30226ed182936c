#include "settings/KitAppIniStorage.h"

#include "settings/UtilBase64.h"
#include "settings/UtilConvert.h"
#include "settings/UtilFiles.h"
#include "settings/UtilSync.h"

#include "platform/base/Files.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <cstring>
#include <limits>
#include <unistd.h>

namespace {

// The settings store writes floats as the 10 bytes of the 80-bit extended type.
static_assert(std::numeric_limits<long double>::digits == 64, "long double is not the 80-bit extended type");
constexpr int ExtendedSize = 10;

const String SynchronizePrefix = u"TKitCustomAppStorage.Synchronize:";

// Item keys of a list: "Item" (any case) followed by a digit.
bool IsItemKey(const String& Key) {
    return Key.size() > 4 && StartsText(u"Item", Key) && Key[4] >= u'0' && Key[4] <= u'9';
}

} // namespace

// ---- Escaping and quoting ---------------------------------------------------------------------

String EscapeLineBreaks(const String& S) {
    String R;
    R.reserve(S.size());
    for (size_t I = 0; I < S.size(); ++I) {
        const Char C = S[I];
        if (C == u'\\') {
            R += u"\\\\";
        } else if (C == u'\r' || C == u'\n') {
            R += u"\\n";
            if (C == u'\r' && I + 1 < S.size() && S[I + 1] == u'\n') ++I;
        } else {
            R += C;
        }
    }
    return R;
}

String UnescapeLineBreaks(const String& S) {
    String R;
    R.reserve(S.size());
    for (size_t I = 0; I < S.size(); ++I) {
        if (S[I] == u'\\' && I + 1 < S.size() && (S[I + 1] == u'\\' || S[I + 1] == u'n')) {
            R += S[I + 1] == u'\\' ? String(u"\\") : String(u"\r\n");
            ++I;
        } else {
            R += S[I];
        }
    }
    return R;
}

String QuoteBlanks(const String& S) {
    if (S.empty()) return S;
    const bool Blanks = S.front() == u' ' || S.back() == u' ';
    const bool Quotes = S.size() >= 2 && S.front() == u'"' && S.back() == u'"';
    return Blanks || Quotes ? u"\"" + S + u"\"" : S;
}

String UnquoteBlanks(const String& S) {
    if (S.size() >= 2 && S.front() == u'"' && S.back() == u'"') return S.substr(1, S.size() - 2);
    return S;
}

// ---- The file-backed store --------------------------------------------------------------------

TKitCustomAppMemoryFileStorage::TKitCustomAppMemoryFileStorage(TComponent* AOwner)
    : TKitCustomAppStorage(AOwner) {}

bool TKitCustomAppMemoryFileStorage::MayFlushOrReload() const {
    return !ComponentState().Contains(csLoading) && !IsUpdating();
}

String TKitCustomAppMemoryFileStorage::ResolveCustomFileName(const String& AFileName) {
    String Name = AFileName;
    if (FOnGetFileName) FOnGetFileName(this, Name);
    return Name;
}

void TKitCustomAppMemoryFileStorage::UpdatePhysicalReadOnly() {
    FPhysicalReadOnly =
        FileExistsNotFolder(FFullFileName) && ::access(StringToUtf8(FFullFileName).c_str(), W_OK) != 0;
}

void TKitCustomAppMemoryFileStorage::UpdateFullFileName() {
    if (FFileName.empty() && FLocation != flCustom) {
        FFullFileName.clear();
    } else {
        const String Translated = ActiveTranslateStringEngine()->TranslateString(FFileName);
        const String Name = ExtractFileName(Translated);
        switch (FLocation) {
        case flCustom:
            FFullFileName = ResolveCustomFileName(Translated);
            break;
        case flWindows:
            // There is no Windows folder here, so no file.
            FFullFileName =
                WindowsFolder().empty() ? String() : EnsureTrailingBackslash(WindowsFolder()) + Name;
            break;
        case flTemp:
            FFullFileName = EnsureTrailingBackslash(TempFolder()) + Name;
            break;
        case flExeFile:
            FFullFileName = EnsureTrailingBackslash(ProgramFolder()) + Name;
            break;
        case flUserFolder:
            FFullFileName = EnsureTrailingBackslash(UserAppDataFolder()) +
                            (IsAbsolutePath(Translated) ? Name : Translated);
            break;
        }
    }
    UpdatePhysicalReadOnly();
}

void TKitCustomAppMemoryFileStorage::WriteFileName(const String& Value) {
    const String Name =
        ExtractFileExt(Value).empty() ? AddDefaultExtension(Value, DefaultExtension()) : Value;
    if (Value == FFileName || Name == FFileName) return;
    if (MayFlushOrReload()) Flush();
    FFileName = Name;
    UpdateFullFileName();
    if (MayFlushOrReload()) Reload();
}

void TKitCustomAppMemoryFileStorage::WriteLocation(TFileLocation Value) {
    if (Value == FLocation) return;
    if (MayFlushOrReload()) Flush();
    FLocation = Value;
    UpdateFullFileName();
    if (MayFlushOrReload()) Reload();
}

void TKitCustomAppMemoryFileStorage::WriteOnGetFileName(const TKitAppStorageGetFileNameEvent& Value) {
    if (MayFlushOrReload()) Flush();
    FOnGetFileName = Value;
    UpdateFullFileName();
    if (MayFlushOrReload()) Reload();
}

bool TKitCustomAppMemoryFileStorage::ReloadNeeded() const {
    if (IsUpdating()) return false;
    return !FFileLoaded || AutoReload();
}

void TKitCustomAppMemoryFileStorage::Reload() {
    FFileLoaded = true;
    UpdatePhysicalReadOnly();
}

// ---- INI options ------------------------------------------------------------------------------

void TKitAppIniStorageOptions::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TKitAppIniStorageOptions*>(Source)) {
        SetReplaceCRLF(S->ReplaceCRLF());
        SetPreserveLeadingTrailingBlanks(S->PreserveLeadingTrailingBlanks());
    }
    TKitAppStorageOptions::Assign(Source);
}

// ---- The INI mapping --------------------------------------------------------------------------

TKitCustomAppIniStorage::TKitCustomAppIniStorage(TComponent* AOwner)
    : TKitCustomAppMemoryFileStorage(AOwner) {}

TClass TKitCustomAppIniStorage::StorageOptionsClass() const {
    return TKitAppIniStorageOptions::StaticClass();
}

String TKitCustomAppIniStorage::ReadAsText() {
    return FIniFile.Text();
}

void TKitCustomAppIniStorage::WriteAsText(const String& Value) {
    FIniFile.SetText(Value);
    FlushIfNeeded();
}

String TKitCustomAppIniStorage::ResolveSection(const String& Section) const {
    String S = Section;
    if (S.empty() || S[0] == u'.') S = FDefaultSection + S;
    if (S.empty() || S[0] == u'.')
        throw EKitAppStorageError(u"TKitAppIniFileStorage.ReadValue: Section undefined");
    return S;
}

void TKitCustomAppIniStorage::SplitIniPath(const String& Path, String& Section, String& Key) {
    SplitPath(Path, Section, Key);
}

String TKitCustomAppIniStorage::FolderSection(const String& Path) {
    const String Abs = AbsolutePath(Path);
    return Abs.empty() ? FDefaultSection : Abs;
}

bool TKitCustomAppIniStorage::IniValueExists(const String& Section, const String& Key) {
    ReloadIfNeeded();
    return FIniFile.ValueExists(ResolveSection(Section), Key);
}

String TKitCustomAppIniStorage::ReadValue(const String& Section, const String& Key) {
    ReloadIfNeeded();
    String Value = FIniFile.ReadString(ResolveSection(Section), Key, String());
    if (IniStorageOptions()->PreserveLeadingTrailingBlanks()) Value = UnquoteBlanks(Value);
    if (IniStorageOptions()->ReplaceCRLF()) Value = UnescapeLineBreaks(Value);
    return Value;
}

void TKitCustomAppIniStorage::WriteValue(const String& Section, const String& Key, const String& Value) {
    ReloadIfNeeded();
    String Text = Value;
    // Every value is escaped, so that every value reads back as it was written.
    if (IniStorageOptions()->ReplaceCRLF()) Text = EscapeLineBreaks(Text);
    if (IniStorageOptions()->PreserveLeadingTrailingBlanks()) Text = QuoteBlanks(Text);
    FIniFile.WriteString(ResolveSection(Section), Key, Text);
    FlushIfNeeded();
}

void TKitCustomAppIniStorage::DeleteIniValue(const String& Section, const String& Key) {
    ReloadIfNeeded();
    if (!Section.empty() || !FDefaultSection.empty()) {
        if (FIniFile.DeleteKey(ResolveSection(Section), Key)) {
            FlushIfNeeded();
            return;
        }
    }
    // A folder: its section and the sections below it, so that nothing of it stays behind.
    const String Folder = Section.empty() ? Key : Section + u"\\" + Key;
    const String Below = Folder + u"\\";
    if (FIniFile.EraseSections(
            [&](const String& Name) { return SameText(Name, Folder) || StartsText(Below, Name); }))
        FlushIfNeeded();
}

void TKitCustomAppIniStorage::ListFolders(const String& Path, TStrings* Strings, bool ReportListAsValue) {
    ReloadIfNeeded();
    const String Abs = AbsolutePath(Path);
    const String Prefix = Abs.empty() ? String() : Abs + u"\\";
    TUpdateBracket Update(*Strings);
    for (const String& Section : FIniFile.SectionNames()) {
        if (!Prefix.empty() && !StartsText(Prefix, Section)) continue;
        if (ReportListAsValue && FIniFile.ValueExists(Section, u"Count")) continue;
        String Name = Section.substr(Prefix.size());
        const size_t Cut = Name.find(u'\\');
        if (Cut != String::npos) Name.resize(Cut);
        if (Prefix.empty() && SameText(Name, FDefaultSection)) continue;
        if (!Name.empty() && Strings->IndexOf(Name) < 0) Strings->Add(Name);
    }
}

void TKitCustomAppIniStorage::ListValueNames(const String& Path, TStrings* Strings, bool ReportListAsValue) {
    ReloadIfNeeded();
    const String Section = FolderSection(Path);
    TUpdateBracket Update(*Strings);
    Strings->Clear();
    for (const String& Key : FIniFile.SectionKeys(Section))
        Strings->Add(Key);
    if (ReportListAsValue && FIniFile.ValueExists(Section, u"Count")) {
        for (int I = Strings->Count() - 1; I >= 0; --I)
            if (SameText(Strings->Strings(I), u"Count") || IsItemKey(Strings->Strings(I))) Strings->Delete(I);
        Strings->Add(String());
    }
    if (ReportListAsValue) {
        // The lists right below the folder: ListFolders leaves them out, so they are told here,
        // as values, or they would be listed nowhere.
        const String Prefix = Section.empty() ? String() : Section + u"\\";
        for (const String& Name : FIniFile.SectionNames()) {
            if (!StartsText(Prefix, Name) || !FIniFile.ValueExists(Name, u"Count")) continue;
            const String Child = Name.substr(Prefix.size());
            if (!Child.empty() && Child.find(u'\\') == String::npos && Strings->IndexOf(Child) < 0)
                Strings->Add(Child);
        }
    }
}

bool TKitCustomAppIniStorage::IsFolderAt(const String& Path, bool ListIsValue) {
    ReloadIfNeeded();
    const String Section = FolderSection(Path);
    if (!FIniFile.SectionExists(Section)) {
        if (Section.empty()) return false;
        const String Prefix = Section + u"\\";
        for (const String& Name : FIniFile.SectionNames())
            if (StartsText(Prefix, Name)) return true;
        return false;
    }
    if (ListIsValue && FIniFile.ValueExists(Section, u"Count")) {
        for (const String& Key : FIniFile.SectionKeys(Section))
            if (!SameText(Key, u"Count") && !IsItemKey(Key)) return true;
        return false;
    }
    return true;
}

bool TKitCustomAppIniStorage::PathExistsAt(const String& Path) {
    ReloadIfNeeded();
    return FIniFile.SectionExists(AbsolutePath(Path));
}

bool TKitCustomAppIniStorage::ValueStoredAt(const String& Path) {
    String Section, Key;
    SplitIniPath(Path, Section, Key);
    return IniValueExists(Section, Key);
}

void TKitCustomAppIniStorage::DeleteValueAt(const String& Path) {
    String Section, Key;
    SplitIniPath(Path, Section, Key);
    DeleteIniValue(Section, Key);
}

void TKitCustomAppIniStorage::DeleteSubTreeAt(const String& Path) {
    if (AutoReload() && !IsUpdating()) Reload();
    const String Abs = AbsolutePath(Path);
    const String Below = Abs + u"\\";
    const int Erased = FIniFile.EraseSections(
        [&](const String& Name) { return Abs.empty() || SameText(Name, Abs) || StartsText(Below, Name); });
    if (Erased > 0) FlushIfNeeded();
}

int TKitCustomAppIniStorage::RawReadInteger(const String& Path, int Default) {
    String Section, Key;
    SplitIniPath(Path, Section, Key);
    if (!IniValueExists(Section, Key)) return Default;
    const String Text = ReadValue(Section, Key);
    return Text.empty() ? 0 : StrToInt(Text);
}

void TKitCustomAppIniStorage::RawWriteInteger(const String& Path, int Value) {
    String Section, Key;
    SplitIniPath(Path, Section, Key);
    WriteValue(Section, Key, IntToStr(Value));
}

long double TKitCustomAppIniStorage::RawReadFloat(const String& Path, long double Default) {
    String Section, Key;
    SplitIniPath(Path, Section, Key);
    if (!IniValueExists(Section, Key)) return Default;
    Byte Bytes[sizeof(long double)] = {};
    if (HexTextToBin(ReadValue(Section, Key), Bytes, ExtendedSize) < ExtendedSize) return Default;
    long double Value = 0;
    std::memcpy(&Value, Bytes, ExtendedSize);
    return Value;
}

void TKitCustomAppIniStorage::RawWriteFloat(const String& Path, long double Value) {
    String Section, Key;
    SplitIniPath(Path, Section, Key);
    Byte Bytes[sizeof(long double)] = {};
    std::memcpy(Bytes, &Value, ExtendedSize);
    WriteValue(Section, Key, BinToHexText(Bytes, ExtendedSize));
}

String TKitCustomAppIniStorage::RawReadString(const String& Path, const String& Default) {
    String Section, Key;
    SplitIniPath(Path, Section, Key);
    if (!IniValueExists(Section, Key)) return Default;
    return ReadValue(Section, Key);
}

void TKitCustomAppIniStorage::RawWriteString(const String& Path, const String& Value) {
    String Section, Key;
    SplitIniPath(Path, Section, Key);
    WriteValue(Section, Key, Value);
}

int TKitCustomAppIniStorage::RawReadBinary(const String& Path, void* Buffer, int Size) {
    String Section, Key;
    SplitIniPath(Path, Section, Key);
    if (!IniValueExists(Section, Key)) return 0;
    return HexTextToBin(ReadValue(Section, Key), Buffer, Size);
}

void TKitCustomAppIniStorage::RawWriteBinary(const String& Path, const void* Buffer, int Size) {
    String Section, Key;
    SplitIniPath(Path, Section, Key);
    WriteValue(Section, Key, BinToHexText(Buffer, Size));
}

// ---- The INI file store -----------------------------------------------------------------------

void TKitAppIniFileStorage::Published(TPublisher<TKitAppIniFileStorage>& P) {
    using S = TKitAppIniFileStorage;
    P.Property(u"AutoFlush", &S::AutoFlush, &S::SetAutoFlush).Default(false);
    P.Property(u"AutoReload", &S::AutoReload, &S::SetAutoReload).Default(false);
    P.Property(u"FileName", &S::FileName, &S::SetFileName);
    P.Property(u"FlushOnDestroy", &S::FlushOnDestroy, &S::SetFlushOnDestroy).Default(true);
    P.Property(u"Location", &S::Location, &S::SetLocation).Default(flExeFile);
    P.Property(u"DefaultSection", &S::DefaultSection, &S::SetDefaultSection);
    P.Property(u"SubStorages", &S::SubStorages, &S::SetSubStorages);
    P.Property(u"OnGetFileName", &S::OnGetFileName, &S::SetOnGetFileName);
    P.Property(u"SynchronizeFlushReload", &S::SynchronizeFlushReload, &S::SetSynchronizeFlushReload)
        .Default(false);
    P.Property(u"ReadOnly", &S::ReadOnly, &S::SetReadOnly).Default(false);
}

TKitAppIniFileStorage::TKitAppIniFileStorage(TComponent* AOwner) : TKitCustomAppIniStorage(AOwner) {}

TKitAppIniFileStorage::~TKitAppIniFileStorage() {
    FlushOnDestruction();
}

String TKitAppIniFileStorage::SynchronizeMutexName(const String& AFullFileName) {
    return SynchronizePrefix + Utf8ToString(EncodeMutexNameBase64(StringToUtf8(AFullFileName)));
}

template <class F> void TKitAppIniFileStorage::RunSynchronized(F Action) {
    if (!SynchronizeFlushReload()) {
        Action();
        return;
    }
    TUtilMutex Mutex(SynchronizeMutexName(FullFileName()), false);
    if (Mutex.WaitForever() != wrSignaled)
        throw Exception(Format(u"%s: Mutex Timeout", {SynchronizePrefix + FullFileName()}));
    TScopeExit Release([&] { Mutex.Release(); });
    Action();
}

void TKitAppIniFileStorage::Flush() {
    if (FullFileName().empty() || ReadOnly() || ComponentState().Contains(csDesigning)) return;
    // Reported when it was read; the user hears of the file once.
    if (FUnreadable) return;
    try {
        const String Folder = ExtractFileDir(FullFileName());
        if (!Folder.empty() && !DirectoryExists(Folder) && !ForceDirectories(Folder))
            throw EFCreateError(u"Cannot create folder \"" + Folder + u"\". " +
                                Utf8ToString(std::strerror(errno)));
        RunSynchronized([this] { IniFile().SaveToFile(FullFileName()); });
    } catch (const Exception& E) {
        if (OnError) OnError(this, E.Message());
    }
}

void TKitAppIniFileStorage::Reload() {
    if (IsUpdating() || ComponentState().Contains(csDesigning)) return;
    TKitCustomAppMemoryFileStorage::Reload();
    FUnreadable = false;
    if (!FileExistsNotFolder(FullFileName())) {
        // A new file is written in the system code page, whatever the last one used.
        IniFile().Clear();
        IniFile().SetEncoding(nullptr);
        return;
    }
    try {
        RunSynchronized([this] { IniFile().LoadFromFile(FullFileName()); });
    } catch (const Exception& E) {
        FUnreadable = true;
        IniFile().Clear();
        throw EKitAppStorageError(u"The settings file \"" + FullFileName() + u"\" cannot be read: " +
                                  E.Message());
    }
}
