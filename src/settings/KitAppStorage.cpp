#include "settings/KitAppStorage.h"

#include "settings/UtilBase64.h"
#include "settings/UtilConvert.h"
#include "settings/UtilTypeInfo.h"

#include "platform/base/DateTime.h"
#include "platform/base/IntConsts.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

namespace {

// The marker default that tells an enumeration stored by number from one stored by name.
const String NotKnown = u" #!@not known@!# ";

bool IsDots(const String& S) {
    return !S.empty() && S.find_first_not_of(u'.') == String::npos;
}

// The words of a comma-separated list, trimmed and upper-cased.
std::vector<String> Words(const String& List) {
    std::vector<String> Result;
    size_t Start = 0;
    for (;;) {
        const size_t Comma = List.find(u',', Start);
        Result.push_back(
            UpperCase(Trim(List.substr(Start, Comma == String::npos ? String::npos : Comma - Start))));
        if (Comma == String::npos) break;
        Start = Comma + 1;
    }
    return Result;
}

bool InWords(const String& Value, const String& List) {
    const String V = UpperCase(Trim(Value));
    for (const String& W : Words(List))
        if (!W.empty() && W == V) return true;
    return false;
}

String FirstWord(const String& List) {
    return Trim(List.substr(0, List.find(u',')));
}

TObject* FlagObject(int Flags) {
    return reinterpret_cast<TObject*>(static_cast<std::intptr_t>(Flags));
}

int ObjectFlags(TObject* O) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(O));
}

} // namespace

// ---- Options ----------------------------------------------------------------------------------

void TKitCustomAppStorageOptions::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TKitCustomAppStorageOptions*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    if (S == this) return;
    SetBooleanStringTrueValues(S->BooleanStringTrueValues());
    SetBooleanStringFalseValues(S->BooleanStringFalseValues());
    SetBooleanAsString(S->BooleanAsString());
    SetEnumerationAsString(S->EnumerationAsString());
    SetTypedIntegerAsString(S->TypedIntegerAsString());
    SetSetAsString(S->SetAsString());
    SetDateTimeAsString(S->DateTimeAsString());
    SetFloatAsString(S->FloatAsString());
    SetDefaultIfReadConvertError(S->DefaultIfReadConvertError());
    SetDefaultIfValueNotExists(S->DefaultIfValueNotExists());
    SetStoreDefaultValues(S->StoreDefaultValues());
    SetStoreStringListAsSingleString(S->StoreStringListAsSingleString());
    SetUseOldItemNameFormat(S->UseOldItemNameFormat());
    SetUseTranslateStringEngineDateTimeFormats(S->UseTranslateStringEngineDateTimeFormats());
}

void TKitCustomAppStorageOptions::SetBooleanAsString(bool Value) {
    FBooleanAsString = Value && !DefaultTrueString().empty() && !DefaultFalseString().empty();
}

void TKitCustomAppStorageOptions::SetBooleanStringTrueValues(const String& Value) {
    FBooleanStringTrueValues = Value;
    if (DefaultTrueString().empty()) FBooleanAsString = false;
}

void TKitCustomAppStorageOptions::SetBooleanStringFalseValues(const String& Value) {
    FBooleanStringFalseValues = Value;
    if (DefaultFalseString().empty()) FBooleanAsString = false;
}

String TKitCustomAppStorageOptions::DefaultTrueString() const {
    return FirstWord(FBooleanStringTrueValues);
}

String TKitCustomAppStorageOptions::DefaultFalseString() const {
    return FirstWord(FBooleanStringFalseValues);
}

bool TKitCustomAppStorageOptions::IsValueTrueString(const String& Value) const {
    return InWords(Value, FBooleanStringTrueValues);
}

bool TKitCustomAppStorageOptions::IsValueFalseString(const String& Value) const {
    return InWords(Value, FBooleanStringFalseValues);
}

// ---- Sub-storages -----------------------------------------------------------------------------

void TKitAppSubStorage::Published(TPublisher<TKitAppSubStorage>& P) {
    P.Property(u"RootPath", &TKitAppSubStorage::RootPath, &TKitAppSubStorage::SetRootPath);
    P.Property(u"AppStorage", &TKitAppSubStorage::AppStorage, &TKitAppSubStorage::SetAppStorage);
}

TKitAppSubStorage::TKitAppSubStorage(TCollection* ACollection) : TCollectionItem(ACollection) {}

TKitAppSubStorage::~TKitAppSubStorage() {
    // The owner no longer needs to hear of the store's end, unless another item links it too.
    SetAppStorageLink(nullptr);
}

TKitCustomAppStorage* TKitAppSubStorage::OwnerStore() const {
    auto* Items = dynamic_cast<TKitAppSubStorages*>(Collection());
    return Items ? Items->OwnerStore() : nullptr;
}

void TKitAppSubStorage::SetRootPath(const String& Value) {
    const String Path = TKitCustomAppStorage::ConcatPaths({Value});
    if (Path == FRootPath) return;
    if (auto* Items = dynamic_cast<TKitAppSubStorages*>(Collection()))
        if (Items->MatchFor(u"\\" + Path + u"\\*", Index()))
            throw EKitAppStorageError(Format(u"'%s' is not a unique root path", {Path}));
    FRootPath = Path;
}

void TKitAppSubStorage::SetAppStorage(TKitCustomAppStorage* Value) {
    if (Value == FAppStorage) return;
    TKitCustomAppStorage* Owner = OwnerStore();
    if (Value && Owner && (Value == Owner || Value->HoldsStorage(Owner)))
        throw EKitAppStorageError(u"Circular reference of storages");
    SetAppStorageLink(Value);
}

void TKitAppSubStorage::SetAppStorageLink(TKitCustomAppStorage* Value) {
    TKitCustomAppStorage* Old = FAppStorage;
    TKitCustomAppStorage* Owner = OwnerStore();
    FAppStorage = Value;
    if (!Owner) return;
    if (Old) {
        bool StillLinked = false;
        auto* Items = static_cast<TKitAppSubStorages*>(Collection());
        for (int I = 0; I < Items->Count(); ++I)
            if (Items->Items(I)->FAppStorage == Old) StillLinked = true;
        if (!StillLinked) Old->RemoveFreeNotification(Owner);
    }
    if (Value) Value->FreeNotification(Owner);
}

void TKitAppSubStorage::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TKitAppSubStorage*>(Source)) {
        SetRootPath(S->RootPath());
        SetAppStorage(S->AppStorage());
        return;
    }
    TCollectionItem::Assign(Source);
}

String TKitAppSubStorage::GetDisplayName() const {
    if (!FRootPath.empty() && FAppStorage) return u"\\" + FRootPath + u"=" + FAppStorage->Name();
    return TCollectionItem::GetDisplayName();
}

TKitAppSubStorages::TKitAppSubStorages(TKitCustomAppStorage* AOwner)
    : TOwnedCollection(AOwner, TCollectionItemClass::Of<TKitAppSubStorage>()), FOwnerStore(AOwner) {}

TKitAppSubStorage* TKitAppSubStorages::Add(const String& RootPath, TKitCustomAppStorage* AppStorage) {
    auto* Item = static_cast<TKitAppSubStorage*>(TCollection::Add());
    TScopeExit Discard([Item] { delete Item; }); // an item that cannot take its values goes again
    Item->SetRootPath(RootPath);
    Item->SetAppStorage(AppStorage);
    Discard.Release();
    return Item;
}

void TKitAppSubStorages::Delete(const String& RootPath, bool IncludeSubPaths) {
    const String Path = TKitCustomAppStorage::ConcatPaths({RootPath});
    if (Path.empty()) return;
    for (int I = Count() - 1; I >= 0; --I) {
        const String& Root = Items(I)->RootPath();
        if (SameText(Root, Path) || (IncludeSubPaths && StartsText(Path + u"\\", Root))) Delete(I);
    }
}

void TKitAppSubStorages::Delete(TKitCustomAppStorage* AppStorage) {
    for (int I = Count() - 1; I >= 0; --I)
        if (Items(I)->AppStorage() == AppStorage) Delete(I);
}

TKitAppSubStorage* TKitAppSubStorages::MatchFor(const String& Path, int IgnoreIndex) const {
    TKitAppSubStorage* Best = nullptr;
    for (int I = 0; I < Count(); ++I) {
        TKitAppSubStorage* Item = Items(I);
        if (I == IgnoreIndex || !Item->AppStorage() || Item->RootPath().empty()) continue;
        const String Prefix = u"\\" + Item->RootPath() + u"\\";
        if (StartsText(Prefix, Path) && (!Best || Item->RootPath().size() > Best->RootPath().size()))
            Best = Item;
    }
    return Best;
}

// ---- Property engines -------------------------------------------------------------------------

bool TKitAppStoragePropertyBaseEngine::Supports(TObject*, TObject*) {
    return false;
}

void TKitAppStoragePropertyBaseEngine::ReadProperty(TKitCustomAppStorage*, const String&, TObject*, TObject*,
                                                    bool, bool) {}

void TKitAppStoragePropertyBaseEngine::WriteProperty(TKitCustomAppStorage*, const String&, TObject*, TObject*,
                                                     bool) {}

void TKitAppStoragePropertyEngineList::RegisterEngine(const std::type_info&, const TFactory& Factory) {
    FEngines.push_back(Factory());
}

void TKitAppStoragePropertyEngineList::UnregisterEngine(const std::type_info& Class) {
    for (auto It = FEngines.begin(); It != FEngines.end(); ++It)
        if (typeid(**It) == Class) {
            FEngines.erase(It);
            return;
        }
}

TKitAppStoragePropertyBaseEngine* TKitAppStoragePropertyEngineList::GetEngine(TObject* AObject,
                                                                              TObject* AProperty) const {
    for (const auto& E : FEngines)
        if (E->Supports(AObject, AProperty)) return E.get();
    return nullptr;
}

bool TKitAppStoragePropertyEngineList::ReadProperty(TKitCustomAppStorage* AStorage, const String& APath,
                                                    TObject* AObject, TObject* AProperty, bool Recursive,
                                                    bool ClearFirst) const {
    TKitAppStoragePropertyBaseEngine* E = GetEngine(AObject, AProperty);
    if (E) E->ReadProperty(AStorage, APath, AObject, AProperty, Recursive, ClearFirst);
    return E != nullptr;
}

bool TKitAppStoragePropertyEngineList::WriteProperty(TKitCustomAppStorage* AStorage, const String& APath,
                                                     TObject* AObject, TObject* AProperty,
                                                     bool Recursive) const {
    TKitAppStoragePropertyBaseEngine* E = GetEngine(AObject, AProperty);
    if (E) E->WriteProperty(AStorage, APath, AObject, AProperty, Recursive);
    return E != nullptr;
}

namespace {

struct TEngineListHolder {
    std::unique_ptr<TKitAppStoragePropertyEngineList> List;
    bool ShuttingDown = false;
    ~TEngineListHolder() {
        ShuttingDown = true;
        List.reset();
    }
};

TEngineListHolder& EngineListHolder() {
    static TEngineListHolder Holder;
    return Holder;
}

} // namespace

TKitAppStoragePropertyEngineList* RegisteredAppStoragePropertyEngineList() {
    TEngineListHolder& H = EngineListHolder();
    if (!H.List && !H.ShuttingDown) H.List = std::make_unique<TKitAppStoragePropertyEngineList>();
    return H.List.get();
}

// ---- The store: life, paths, options ----------------------------------------------------------

TKitCustomAppStorage::TKitCustomAppStorage(TComponent* AOwner)
    : TKitComponent(AOwner), FSubStorages(std::make_unique<TKitAppSubStorages>(this)) {
    // Owned by the store so that its form macros find the store's form.
    FInternalTranslateStringEngine = new TKitTranslateString(this);
}

TKitCustomAppStorage::~TKitCustomAppStorage() {
    delete FInternalTranslateStringEngine;
    FSubStorages.reset();
    FStorageOptions.reset();
}

void TKitCustomAppStorage::FlushOnDestruction() {
    if (!FFlushOnDestroy) return;
    try {
        Flush();
    } catch (...) {
        // A destructor cannot raise; Flush reports its own failures through OnError.
    }
}

void TKitCustomAppStorage::Loaded() {
    TKitComponent::Loaded();
    if (!IsUpdating()) Reload();
}

void TKitCustomAppStorage::Notification(TComponent* AComponent, TOperation Operation) {
    TKitComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FTranslateStringEngine) FTranslateStringEngine = nullptr;
    if (FSubStorages)
        if (auto* Store = dynamic_cast<TKitCustomAppStorage*>(AComponent)) FSubStorages->Delete(Store);
}

TClass TKitCustomAppStorage::StorageOptionsClass() const {
    return TKitAppStorageOptions::StaticClass();
}

TKitCustomAppStorageOptions* TKitCustomAppStorage::StorageOptions() const {
    // Made on first use: a constructor cannot ask a descendant for its options class.
    if (!FStorageOptions) {
        TObject* Options = StorageOptionsClass()->Create();
        FStorageOptions.reset(static_cast<TKitCustomAppStorageOptions*>(Options));
    }
    return FStorageOptions.get();
}

void TKitCustomAppStorage::SetStorageOptions(TKitCustomAppStorageOptions* Value) {
    if (Value && Value != StorageOptions()) StorageOptions()->Assign(Value);
}

void TKitCustomAppStorage::SetTranslateStringEngine(TKitTranslateString* Value) {
    SwapComponentReference(this, Value, FTranslateStringEngine);
}

TKitTranslateString* TKitCustomAppStorage::ActiveTranslateStringEngine() const {
    return FTranslateStringEngine ? FTranslateStringEngine : FInternalTranslateStringEngine;
}

bool TKitCustomAppStorage::ReadOnly() const {
    if (ComponentState().Contains(csDesigning)) return FReadOnly;
    return FReadOnly || IsPhysicalReadOnly();
}

String TKitCustomAppStorage::ConcatPaths(std::initializer_list<String> Paths) {
    return ConcatPaths(std::vector<String>(Paths));
}

String TKitCustomAppStorage::ConcatPaths(const std::vector<String>& Paths) {
    if (Paths.empty()) return String();
    size_t First = 0;
    for (size_t I = Paths.size() - 1; I >= 1; --I)
        if (StartsStr(u"\\", Paths[I])) {
            First = I;
            break;
        }
    std::vector<String> Segments;
    for (size_t I = First; I < Paths.size(); ++I) {
        const String& P = Paths[I];
        size_t Start = 0;
        while (Start <= P.size()) {
            size_t End = P.find(u'\\', Start);
            if (End == String::npos) End = P.size();
            const String Segment = P.substr(Start, End - Start);
            Start = End + 1;
            if (Segment.empty()) continue;
            if (IsDots(Segment)) {
                for (size_t K = 1; K < Segment.size() && !Segments.empty(); ++K)
                    Segments.pop_back();
                continue;
            }
            Segments.push_back(Segment);
        }
    }
    String Result;
    for (const String& S : Segments)
        Result += (Result.empty() ? u"" : u"\\") + S;
    return Result;
}

String TKitCustomAppStorage::AbsolutePath(const String& Path) const {
    String Result = FRoot + u"\\" + ConcatPaths({FCurPath, Path});
    const size_t First = Result.find_first_not_of(u'\\');
    return First == String::npos ? String() : Result.substr(First);
}

String TKitCustomAppStorage::SubPath(const String& Path, const String& Name) {
    return (StartsStr(u"\\", Path) ? u"\\" : u"") + ConcatPaths({Path, Name});
}

void TKitCustomAppStorage::SplitPath(const String& Path, String& AKey, String& ValueName) {
    const String Abs = AbsolutePath(Path);
    const size_t Last = Abs.rfind(u'\\');
    if (Last == String::npos) {
        AKey.clear();
        ValueName = Abs;
    } else {
        AKey = Abs.substr(0, Last);
        ValueName = Abs.substr(Last + 1);
    }
}

void TKitCustomAppStorage::ResolvePath(const String& InPath, TKitCustomAppStorage*& TargetStore,
                                       String& TargetPath) {
    TargetPath = u"\\" + ConcatPaths({FCurPath, InPath});
    TargetStore = this;
    TKitAppSubStorage* Sub = FSubStorages->MatchFor(TargetPath);
    if (!Sub) return;
    TargetStore = Sub->AppStorage();
    TargetPath = u"\\" + ConcatPaths({TargetPath.substr(Sub->RootPath().size() + 1)});
    if (TargetPath == u"\\") throw EKitAppStorageError(u"Invalid path");
}

TKitCustomAppStorage* TKitCustomAppStorage::ResolveStore(const String& Path, String& TargetPath) {
    TKitCustomAppStorage* Target = nullptr;
    ResolvePath(Path, Target, TargetPath);
    return Target;
}

bool TKitCustomAppStorage::HoldsStorage(const TKitCustomAppStorage* Store) const {
    for (int I = 0; I < FSubStorages->Count(); ++I) {
        const TKitCustomAppStorage* S = FSubStorages->Items(I)->AppStorage();
        if (S && (S == Store || S->HoldsStorage(Store))) return true;
    }
    return false;
}

bool TKitCustomAppStorage::IsFolder(const String& Path, bool ListIsValue) {
    String P;
    return ResolveStore(Path, P)->IsFolderAt(P, ListIsValue);
}

bool TKitCustomAppStorage::PathExists(const String& Path) {
    String P;
    return ResolveStore(Path, P)->PathExistsAt(P);
}

bool TKitCustomAppStorage::ValueStored(const String& Path) {
    String P;
    return ResolveStore(Path, P)->ValueStoredAt(P);
}

bool TKitCustomAppStorage::ListStored(const String& Path, const String& ItemName) {
    String P;
    return ResolveStore(Path, P)->ListStoredAt(P, ItemName);
}

bool TKitCustomAppStorage::ListStoredAt(const String& Path, const String& /*ItemName*/) {
    return ValueStoredAt(SubPath(Path, u"Count"));
}

void TKitCustomAppStorage::DeleteValue(const String& Path) {
    String P;
    TKitCustomAppStorage* T = ResolveStore(Path, P);
    if (!T->ReadOnly()) T->DeleteValueAt(P);
}

void TKitCustomAppStorage::DeleteSubTree(const String& Path) {
    String P;
    TKitCustomAppStorage* T = ResolveStore(Path, P);
    if (!T->ReadOnly()) T->DeleteSubTreeAt(P);
}

void TKitCustomAppStorage::GetStoredValues(const String& Path, TStrings* Strings,
                                           TKitAppStorageEnumOptions Options) {
    TUpdateBracket Update(*Strings);
    Strings->Clear();
    const String Folder = ConcatPaths({Path});
    const bool Relative = Options.Contains(aeoReportRelative);
    const String Prefix = Relative ? String() : ConcatPaths({FCurPath, Folder}) + u"\\";
    CollectStoredValues(u"\\" + ConcatPaths({FCurPath, Folder}), Prefix, Strings, Options);
    if (!Relative) {
        const int I = Strings->IndexOf(Prefix.substr(0, Prefix.size() - 1));
        if (I >= 0) Strings->Delete(I);
    }
}

void TKitCustomAppStorage::CollectStoredValues(const String& FolderPath, const String& Prefix,
                                               TStrings* Strings, TKitAppStorageEnumOptions Options) {
    const String P = Prefix == u"\\" ? String() : Prefix;
    const bool ListAsValue = Options.Contains(aeoReportListAsValue);
    auto AddFlag = [Strings](const String& Name, int Flag) {
        const int I = Strings->IndexOf(Name);
        if (I >= 0)
            Strings->SetObject(I, FlagObject(ObjectFlags(Strings->Objects(I)) | Flag));
        else
            Strings->AddObject(Name, FlagObject(Flag));
    };
    if (Options.Contains(aeoValues)) {
        TStringList Names;
        ListValueNames(FolderPath, &Names, ListAsValue);
        for (int I = 0; I < Names.Count(); ++I) {
            const String& N = Names.Strings(I);
            AddFlag(N.empty() ? P.substr(0, P.empty() ? 0 : P.size() - 1) : P + N, svValue);
        }
    }
    if (Options.Contains(aeoFolders) || Options.Contains(aeoRecursive)) {
        TStringList Folders;
        ListFolders(FolderPath, &Folders, ListAsValue);
        for (int I = 0; I < Folders.Count(); ++I) {
            const String& N = Folders.Strings(I);
            const String Sub = SubPath(FolderPath, N);
            if (Options.Contains(aeoFolders) && IsFolderAt(Sub, ListAsValue)) AddFlag(P + N, svFolder);
            if (Options.Contains(aeoRecursive))
                CollectStoredValues(Sub, ConcatPaths({P, N}) + u"\\", Strings, Options);
        }
    }
}

void TKitCustomAppStorage::CheckDeletePathByVersion(const String& Path, int VersionNumber,
                                                    const String& VersionName, bool WriteVersionNumber,
                                                    bool DeleteIfNotEqual) {
    String P;
    TKitCustomAppStorage* Target = ResolveStore(Path, P);
    if (Target->ReadOnly() || VersionName.empty()) return;
    const String VersionPath = ConcatPaths({Path, VersionName});
    TUpdateBracket Update(*Target);
    const int Stored = ReadInteger(VersionPath, 0);
    if ((DeleteIfNotEqual && Stored != VersionNumber) || Stored < VersionNumber) DeleteSubTree(Path);
    if (Stored != VersionNumber && WriteVersionNumber) WriteInteger(VersionPath, VersionNumber);
}

// ---- Update bracket, format settings, names, encryption ---------------------------------------

void TKitCustomAppStorage::BeginUpdate() {
    CachedFormatSettings = FormatSettings;
    ReloadIfNeeded();
    ++FUpdateCount;
    for (int I = 0; I < FSubStorages->Count(); ++I)
        if (TKitCustomAppStorage* S = FSubStorages->Items(I)->AppStorage()) S->BeginUpdate();
}

void TKitCustomAppStorage::EndUpdate() {
    for (int I = 0; I < FSubStorages->Count(); ++I)
        if (TKitCustomAppStorage* S = FSubStorages->Items(I)->AppStorage()) S->EndUpdate();
    --FUpdateCount;
    FlushIfNeeded();
    if (FUpdateCount < 0) FUpdateCount = 0;
}

bool TKitCustomAppStorage::ReloadNeeded() const {
    return FAutoReload && !IsUpdating();
}

bool TKitCustomAppStorage::FlushNeeded() const {
    return FAutoFlush && !IsUpdating();
}

void TKitCustomAppStorage::FlushIfNeeded() {
    if (FlushNeeded()) Flush();
}

void TKitCustomAppStorage::ReloadIfNeeded() {
    if (ReloadNeeded()) Reload();
}

const TFormatSettings& TKitCustomAppStorage::CurrentFormatSettings() {
    if (!IsUpdating()) {
        CachedFormatSettings = FormatSettings;
        if (TKitTranslateString* Engine = ActiveTranslateStringEngine()) {
            if (!Engine->DateFormat().empty())
                CachedFormatSettings.ShortDateFormat = CachedFormatSettings.LongDateFormat =
                    Engine->DateFormat();
            if (!Engine->TimeFormat().empty())
                CachedFormatSettings.ShortTimeFormat = CachedFormatSettings.LongTimeFormat =
                    Engine->TimeFormat();
        }
    }
    return CachedFormatSettings;
}

String TKitCustomAppStorage::DateTimeToText(TDateTime Value) {
    if (StorageOptions()->UseTranslateStringEngineDateTimeFormats())
        return DateTimeToStr(Value, CurrentFormatSettings());
    return DateTimeToStr(Value);
}

TDateTime TKitCustomAppStorage::TextToDateTime(const String& Text) {
    if (StorageOptions()->UseTranslateStringEngineDateTimeFormats())
        return StrToDateTime(Text, CurrentFormatSettings());
    return StrToDateTime(Text);
}

String TKitCustomAppStorage::FloatToText(long double Value) {
    return FloatToStr(static_cast<double>(Value));
}

long double TKitCustomAppStorage::TextToFloat(const String& Text) {
    return StrToFloat(Text);
}

String TKitCustomAppStorage::TranslatePropertyName(TPersistent* Instance, const String& AName, bool Reading) {
    String Name = AName;
    if (OnTranslatePropertyName) OnTranslatePropertyName(this, Instance, Name, Reading);
    return Name;
}

String TKitCustomAppStorage::GetCharName(Char Ch) {
    if (Ch >= 33 && Ch <= 122) return u"Char_" + String(1, Ch);
    return u"Char#" + IntToStr(Ch);
}

String TKitCustomAppStorage::GetIntName(Int64 Value) {
    return u"Int_" + IntToStr(Value);
}

String TKitCustomAppStorage::ItemNameIndexPath(const String& ItemName, int Index) {
    if (StorageOptions()->UseOldItemNameFormat()) return ItemName + IntToStr(Index);
    return ItemName + u"[" + IntToStr(Index) + u"]";
}

String TKitCustomAppStorage::EncryptPropertyValue(const String& Value) {
    if (!OnEncryptPropertyValue || !IsPropertyValueCryptEnabled()) return Value;
    String Text = Value;
    OnEncryptPropertyValue(Text);
    // One line: a line break in a stored value would not survive the file.
    return Utf8ToString(EncodeBase64Unbroken(StringToUtf8(Text)));
}

String TKitCustomAppStorage::DecryptPropertyValue(const String& Value) {
    if (!OnDecryptPropertyValue || !IsPropertyValueCryptEnabled()) return Value;
    String Text = Utf8ToString(DecodeBase64Text(StringToUtf8(Value)));
    OnDecryptPropertyValue(Text);
    return Text;
}

// ---- Raw primitives with a default behaviour --------------------------------------------------

String TKitCustomAppStorage::RawReadWideString(const String& Path, const String& Default) {
    return RawReadString(Path, Default);
}

void TKitCustomAppStorage::RawWriteWideString(const String& Path, const String& Value) {
    RawWriteString(Path, Value);
}

TDateTime TKitCustomAppStorage::RawReadDateTime(const String& Path, TDateTime Default) {
    return static_cast<TDateTime>(RawReadFloat(Path, Default));
}

void TKitCustomAppStorage::RawWriteDateTime(const String& Path, TDateTime Value) {
    RawWriteFloat(Path, Value);
}

bool TKitCustomAppStorage::RawReadBoolean(const String& Path, bool Default) {
    return RawReadInteger(Path, Default ? 1 : 0) != 0;
}

void TKitCustomAppStorage::RawWriteBoolean(const String& Path, bool Value) {
    RawWriteInteger(Path, Value ? 1 : 0);
}

// ---- The typed layer --------------------------------------------------------------------------

template <class T, class F> T TKitCustomAppStorage::ReadOrDefault(T Default, F Read) {
    try {
        return Read();
    } catch (const EConvertError&) {
        if (StorageOptions()->DefaultIfReadConvertError()) return Default;
        throw;
    }
}

int TKitCustomAppStorage::ReadIntegerAt(const String& Path, int Default) {
    if (!ValueStoredAt(Path) && StorageOptions()->DefaultIfValueNotExists()) return Default;
    return ReadOrDefault(Default, [&] { return RawReadInteger(Path, Default); });
}

void TKitCustomAppStorage::WriteIntegerAt(const String& Path, int Value) {
    RawWriteInteger(Path, Value);
}

long double TKitCustomAppStorage::ReadFloatAt(const String& Path, long double Default) {
    if (!ValueStoredAt(Path) && StorageOptions()->DefaultIfValueNotExists()) return Default;
    auto AsText = [&] {
        return TextToFloat(
            DecryptPropertyValue(RawReadString(Path, EncryptPropertyValue(FloatToText(Default)))));
    };
    return ReadOrDefault(Default, [&]() -> long double {
        if (StorageOptions()->FloatAsString()) {
            try {
                return AsText();
            } catch (const EConvertError&) {
                return RawReadFloat(Path, Default);
            }
        }
        try {
            return RawReadFloat(Path, Default);
        } catch (const EConvertError&) {
            return AsText();
        }
    });
}

void TKitCustomAppStorage::WriteFloatAt(const String& Path, long double Value) {
    if (StorageOptions()->FloatAsString())
        RawWriteString(Path, EncryptPropertyValue(FloatToText(Value)));
    else
        RawWriteFloat(Path, Value);
}

String TKitCustomAppStorage::ReadStringAt(const String& Path, const String& Default) {
    if (!ValueStoredAt(Path) && StorageOptions()->DefaultIfValueNotExists()) return Default;
    return ReadOrDefault(
        Default, [&] { return DecryptPropertyValue(RawReadString(Path, EncryptPropertyValue(Default))); });
}

void TKitCustomAppStorage::WriteStringAt(const String& Path, const String& Value) {
    RawWriteString(Path, EncryptPropertyValue(Value));
}

int TKitCustomAppStorage::ReadBinaryAt(const String& Path, void* Buffer, int Size) {
    return RawReadBinary(Path, Buffer, Size);
}

void TKitCustomAppStorage::WriteBinaryAt(const String& Path, const void* Buffer, int Size) {
    RawWriteBinary(Path, Buffer, Size);
}

TDateTime TKitCustomAppStorage::ReadDateTimeAt(const String& Path, TDateTime Default) {
    if (!ValueStoredAt(Path) && StorageOptions()->DefaultIfValueNotExists()) return Default;
    auto AsText = [&] {
        return TextToDateTime(
            DecryptPropertyValue(RawReadString(Path, EncryptPropertyValue(DateTimeToText(Default)))));
    };
    return ReadOrDefault(Default, [&]() -> TDateTime {
        if (StorageOptions()->DateTimeAsString()) {
            try {
                return AsText();
            } catch (const EConvertError&) {
                return RawReadDateTime(Path, Default);
            }
        }
        try {
            return RawReadDateTime(Path, Default);
        } catch (const EConvertError&) {
            return AsText();
        }
    });
}

void TKitCustomAppStorage::WriteDateTimeAt(const String& Path, TDateTime Value) {
    if (StorageOptions()->DateTimeAsString())
        RawWriteString(Path, EncryptPropertyValue(DateTimeToText(Value)));
    else
        RawWriteDateTime(Path, Value);
}

bool TKitCustomAppStorage::ReadBooleanAt(const String& Path, bool Default) {
    if (!ValueStoredAt(Path) && StorageOptions()->DefaultIfValueNotExists()) return Default;
    TKitCustomAppStorageOptions* O = StorageOptions();
    return ReadOrDefault(Default, [&] {
        if (O->BooleanAsString()) {
            String Text;
            bool HaveText = true;
            try {
                const String Word = Default ? O->DefaultTrueString() : O->DefaultFalseString();
                Text = DecryptPropertyValue(RawReadString(Path, EncryptPropertyValue(Word)));
            } catch (const EConvertError&) {
                HaveText = false;
            }
            if (HaveText && O->IsValueTrueString(Text)) return true;
            if (HaveText && O->IsValueFalseString(Text)) return false;
        }
        return RawReadBoolean(Path, Default);
    });
}

void TKitCustomAppStorage::WriteBooleanAt(const String& Path, bool Value) {
    TKitCustomAppStorageOptions* O = StorageOptions();
    if (O->BooleanAsString())
        RawWriteString(Path, EncryptPropertyValue(Value ? O->DefaultTrueString() : O->DefaultFalseString()));
    else
        RawWriteBoolean(Path, Value);
}

bool TKitCustomAppStorage::IsBooleanType(const TTypeInfo* ATypeInfo) const {
    if (ATypeInfo == TypeInfo<bool>()) return true;
    if (ATypeInfo->Kind != tkEnumeration) return false;
    const TTypeInfo* Base = ATypeInfo->BaseType ? ATypeInfo->BaseType : ATypeInfo;
    return Base->MinValue < 0;
}

Int64 TKitCustomAppStorage::ReadEnumerationAt(const String& Path, const TTypeInfo* ATypeInfo, Int64 Default) {
    if (!ValueStoredAt(Path) && StorageOptions()->DefaultIfValueNotExists()) return Default;
    // A number from the file must lie within the type, or it would not fit its storage.
    auto InRange = [ATypeInfo](Int64 V) {
        if (ATypeInfo->OrdType == otULong) V = static_cast<Cardinal>(V);
        if (V < ATypeInfo->MinValue || V > ATypeInfo->MaxValue)
            throw EConvertError(Format(u"%d is not a valid value of %s (%d .. %d)",
                                       {V, ATypeInfo->Name, ATypeInfo->MinValue, ATypeInfo->MaxValue}));
        return V;
    };
    if (IsBooleanType(ATypeInfo)) {
        const bool V = ReadBooleanAt(Path, Default != 0);
        return V ? (ATypeInfo->MinValue < 0 ? -1 : 1) : 0;
    }
    return ReadOrDefault(Default, [&]() -> Int64 {
        switch (ATypeInfo->Kind) {
        case tkInteger: {
            if (TIdentToInt IdentToInt = FindIdentToInt(ATypeInfo)) {
                TKitCustomAppStorageOptions* O = StorageOptions();
                const bool Saved = O->DefaultIfReadConvertError();
                O->SetDefaultIfReadConvertError(true);
                String Text;
                {
                    TScopeExit Restore([&] { O->SetDefaultIfReadConvertError(Saved); });
                    Text = ReadStringAt(Path, String());
                }
                int V = 0;
                if (!Text.empty() && IdentToInt(Trim(Text), V)) return InRange(V);
            }
            return InRange(ReadIntegerAt(Path, static_cast<int>(Default)));
        }
        case tkChar:
        case tkWChar:
            return InRange(ReadIntegerAt(Path, static_cast<int>(Default)));
        case tkEnumeration: {
            const int ByName = GetEnumValue(ATypeInfo, Trim(ReadStringAt(Path, NotKnown)));
            if (ByName >= 0) return ByName;
            const int V = ReadIntegerAt(Path, -1);
            if (V == -1) return Default;
            return InRange(V);
        }
        default:
            throw EKitAppStorageError(u"Invalid type");
        }
    });
}

void TKitCustomAppStorage::WriteEnumerationAt(const String& Path, const TTypeInfo* ATypeInfo, Int64 Value) {
    if (IsBooleanType(ATypeInfo)) {
        WriteBooleanAt(Path, Value != 0);
        return;
    }
    switch (ATypeInfo->Kind) {
    case tkInteger: {
        String Ident;
        TIntToIdent IntToIdent = FindIntToIdent(ATypeInfo);
        if (StorageOptions()->TypedIntegerAsString() && IntToIdent &&
            IntToIdent(static_cast<int>(Value), Ident))
            WriteStringAt(Path, Ident);
        else
            WriteIntegerAt(Path, static_cast<int>(Value));
        break;
    }
    case tkChar:
    case tkWChar:
        WriteIntegerAt(Path, static_cast<int>(Value));
        break;
    case tkEnumeration: {
        // A value without a name is written as its number, which reads back.
        const String Name = GetEnumName(ATypeInfo, Value);
        if (StorageOptions()->EnumerationAsString() && !Name.empty())
            WriteStringAt(Path, Name);
        else
            WriteIntegerAt(Path, static_cast<int>(Value));
        break;
    }
    default:
        throw EKitAppStorageError(u"Invalid type");
    }
}

namespace {

// The value name of each element of a set's folder form: the element's name, "Int_n", or the
// character name; empty for a base type that has none.
template <class F> void ForEachSetElement(const TTypeInfo* SetType, F Visit) {
    const TTypeInfo* Comp = SetType->CompType;
    switch (Comp->Kind) {
    case tkEnumeration:
    case tkInteger:
    case tkChar:
    case tkWChar:
        break;
    default:
        throw EKitAppStorageError(u"Unknown base type for given set");
    }
    for (Int64 V = Comp->MinValue; V <= Comp->MaxValue; ++V)
        Visit(V, Comp->Kind);
}

} // namespace

TSetBits TKitCustomAppStorage::ReadSetAt(const String& Path, const TTypeInfo* ATypeInfo,
                                         const TSetBits& Default) {
    if (IsFolderAt(Path, true)) {
        TSetBits Value;
        ForEachSetElement(ATypeInfo, [&](Int64 V, TTypeKind Kind) {
            const bool IsChar = Kind == tkChar || Kind == tkWChar;
            if (IsChar && V > 31) return;
            const String Name = Kind == tkEnumeration ? GetEnumName(ATypeInfo->CompType, V)
                                : IsChar              ? GetCharName(static_cast<Char>(V))
                                                      : GetIntName(V);
            if (ReadBooleanAt(SubPath(Path, Name), false)) Value.set(static_cast<size_t>(V));
        });
        return Value;
    }
    Byte Storage[32] = {};
    SetBitsToStorage(ATypeInfo, Default, Storage);
    const String Text = ReadStringAt(Path, SetToText(ATypeInfo, Storage, true, false));
    try {
        TextToSet(ATypeInfo, Storage, Text);
    } catch (const EConvertError&) {
        if (StorageOptions()->DefaultIfReadConvertError()) return Default;
        throw;
    } catch (const EUtilRTTIError&) {
        if (StorageOptions()->DefaultIfReadConvertError()) return Default;
        throw;
    }
    return StorageToSetBits(ATypeInfo, Storage);
}

void TKitCustomAppStorage::WriteSetAt(const String& Path, const TTypeInfo* ATypeInfo, const TSetBits& Value) {
    if (StorageOptions()->SetAsString()) {
        Byte Storage[32] = {};
        SetBitsToStorage(ATypeInfo, Value, Storage);
        WriteStringAt(Path, SetToText(ATypeInfo, Storage, true, false));
        return;
    }
    ForEachSetElement(ATypeInfo, [&](Int64 V, TTypeKind Kind) {
        const bool IsChar = Kind == tkChar || Kind == tkWChar;
        const String Name = Kind == tkEnumeration ? GetEnumName(ATypeInfo->CompType, V)
                            : IsChar              ? GetCharName(static_cast<Char>(V))
                                                  : GetIntName(V);
        WriteBooleanAt(SubPath(Path, Name), !(IsChar && V > 31) && Value[static_cast<size_t>(V)]);
    });
}

// ---- Public typed operations ------------------------------------------------------------------

int TKitCustomAppStorage::ReadInteger(const String& Path, int Default) {
    String P;
    return ResolveStore(Path, P)->ReadIntegerAt(P, Default);
}

void TKitCustomAppStorage::WriteInteger(const String& Path, int Value) {
    String P;
    TKitCustomAppStorage* T = ResolveStore(Path, P);
    if (!T->ReadOnly()) T->WriteIntegerAt(P, Value);
}

long double TKitCustomAppStorage::ReadFloat(const String& Path, long double Default) {
    String P;
    return ResolveStore(Path, P)->ReadFloatAt(P, Default);
}

void TKitCustomAppStorage::WriteFloat(const String& Path, long double Value) {
    String P;
    TKitCustomAppStorage* T = ResolveStore(Path, P);
    if (!T->ReadOnly()) T->WriteFloatAt(P, Value);
}

String TKitCustomAppStorage::ReadString(const String& Path, const String& Default) {
    String P;
    return ResolveStore(Path, P)->ReadStringAt(P, Default);
}

void TKitCustomAppStorage::WriteString(const String& Path, const String& Value) {
    String P;
    TKitCustomAppStorage* T = ResolveStore(Path, P);
    if (!T->ReadOnly()) T->WriteStringAt(P, Value);
}

String TKitCustomAppStorage::ReadWideString(const String& Path, const String& Default) {
    String P;
    TKitCustomAppStorage* T = ResolveStore(Path, P);
    if (!T->ValueStoredAt(P) && T->StorageOptions()->DefaultIfValueNotExists()) return Default;
    return T->ReadOrDefault(Default, [&] {
        return T->DecryptPropertyValue(T->RawReadWideString(P, T->EncryptPropertyValue(Default)));
    });
}

void TKitCustomAppStorage::WriteWideString(const String& Path, const String& Value) {
    String P;
    TKitCustomAppStorage* T = ResolveStore(Path, P);
    if (!T->ReadOnly()) T->RawWriteWideString(P, T->EncryptPropertyValue(Value));
}

int TKitCustomAppStorage::ReadBinary(const String& Path, void* Buffer, int Size) {
    String P;
    return ResolveStore(Path, P)->ReadBinaryAt(P, Buffer, Size);
}

void TKitCustomAppStorage::WriteBinary(const String& Path, const void* Buffer, int Size) {
    String P;
    TKitCustomAppStorage* T = ResolveStore(Path, P);
    if (!T->ReadOnly()) T->WriteBinaryAt(P, Buffer, Size);
}

TDateTime TKitCustomAppStorage::ReadDateTime(const String& Path, TDateTime Default) {
    String P;
    return ResolveStore(Path, P)->ReadDateTimeAt(P, Default);
}

void TKitCustomAppStorage::WriteDateTime(const String& Path, TDateTime Value) {
    String P;
    TKitCustomAppStorage* T = ResolveStore(Path, P);
    if (!T->ReadOnly()) T->WriteDateTimeAt(P, Value);
}

bool TKitCustomAppStorage::ReadBoolean(const String& Path, bool Default) {
    String P;
    return ResolveStore(Path, P)->ReadBooleanAt(P, Default);
}

void TKitCustomAppStorage::WriteBoolean(const String& Path, bool Value) {
    String P;
    TKitCustomAppStorage* T = ResolveStore(Path, P);
    if (!T->ReadOnly()) T->WriteBooleanAt(P, Value);
}

Int64 TKitCustomAppStorage::ReadOrdinalValue(const String& Path, const TTypeInfo* ATypeInfo, Int64 Default) {
    String P;
    return ResolveStore(Path, P)->ReadEnumerationAt(P, ATypeInfo, Default);
}

void TKitCustomAppStorage::WriteOrdinalValue(const String& Path, const TTypeInfo* ATypeInfo, Int64 Value) {
    String P;
    TKitCustomAppStorage* T = ResolveStore(Path, P);
    if (!T->ReadOnly()) T->WriteEnumerationAt(P, ATypeInfo, Value);
}

void TKitCustomAppStorage::ReadEnumeration(const String& Path, const TTypeInfo* ATypeInfo,
                                           const void* Default, void* Value) {
    const Int64 V = ReadOrdinalValue(Path, ATypeInfo, ReadOrdinal(ATypeInfo->OrdType, Default));
    WriteOrdinal(ATypeInfo->OrdType, V, Value);
}

void TKitCustomAppStorage::WriteEnumeration(const String& Path, const TTypeInfo* ATypeInfo,
                                            const void* Value) {
    WriteOrdinalValue(Path, ATypeInfo, ReadOrdinal(ATypeInfo->OrdType, Value));
}

TSetBits TKitCustomAppStorage::ReadSetBits(const String& Path, const TTypeInfo* SetType,
                                           const TSetBits& Default) {
    String P;
    return ResolveStore(Path, P)->ReadSetAt(P, SetType, Default);
}

void TKitCustomAppStorage::WriteSetBits(const String& Path, const TTypeInfo* SetType, const TSetBits& Value) {
    String P;
    TKitCustomAppStorage* T = ResolveStore(Path, P);
    if (!T->ReadOnly()) T->WriteSetAt(P, SetType, Value);
}

void TKitCustomAppStorage::ReadSet(const String& Path, const TTypeInfo* ATypeInfo, const void* Default,
                                   void* Value) {
    const TSetBits Bits = ReadSetBits(Path, ATypeInfo, StorageToSetBits(ATypeInfo, Default));
    SetBitsToStorage(ATypeInfo, Bits, Value);
}

void TKitCustomAppStorage::WriteSet(const String& Path, const TTypeInfo* ATypeInfo, const void* Value) {
    WriteSetBits(Path, ATypeInfo, StorageToSetBits(ATypeInfo, Value));
}
