#pragma once
// The settings store: an abstract, hierarchical key/value store addressed with backslash paths
// of its own ("Main\Window\Left"; they are not file paths and keep their backslashes, and a
// native file path inside one is opaque text). This layer holds the path model (current path,
// root, "." and "..", sub-storages grafted under a path), the options that decide how typed
// values become stored text, the typed reads and writes with their defaults and conversion
// rules, encryption of stored text, enumeration of folders and values, version checks, the
// update bracket, and lists, collections and whole objects with their published properties.
// It stores nothing itself: every value ends in a few backend primitives (KitAppIniStorage.h).
//
// Reads never fail for a missing value: each takes a default. Writes to a read-only store are
// ignored. A stored text that does not convert raises EConvertError unless the options say to
// take the default.

#include "settings/KitTranslateString.h"
#include "settings/UtilErrors.h"

#include "platform/base/Collection.h"
#include "platform/base/Format.h"
#include "platform/base/Lists.h"
#include "platform/base/TypeInfo.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

DECLARE_EXCEPTION(EKitAppStorageError, EKitException)

class TKitCustomAppStorage;

DECLARE_ENUM(TKitAppStorageEnumOption, Byte, aeoFolders, aeoValues, aeoReportListAsValue, aeoReportRelative,
             aeoRecursive)
using TKitAppStorageEnumOptions = TSet<TKitAppStorageEnumOption>;

// What GetStoredValues attaches to each name it lists (as the entry's object).
enum : int { svFolder = 1, svValue = 2 };

using TKitAppStoragePropTranslateEvent =
    std::function<void(TKitCustomAppStorage* Sender, TPersistent* Instance, String& Name, bool Reading)>;
using TKitAppStorageCryptEvent = std::function<void(String& Value)>;
using TKitAppStorageErrorEvent = std::function<void(TObject* Sender, const String& Value)>;
// Makes the object for item Index of an object list read at Path.
using TKitAppStorageObjectListItemCreateEvent =
    std::function<TPersistent*(TKitCustomAppStorage* Sender, const String& Path, int Index)>;
using TKitAppStorageListItemEvent = std::function<void(TKitCustomAppStorage* Sender, const String& Path,
                                                       TObject* List, int Index, const String& ItemName)>;
using TKitAppStorageListDeleteEvent =
    std::function<void(TKitCustomAppStorage* Sender, const String& Path, TObject* List, int First, int Last,
                       const String& ItemName)>;

// An object that loads and saves itself in a store.
class IAppStorageHandler {
public:
    virtual ~IAppStorageHandler() = default;
    virtual void ReadFromStorage(TKitCustomAppStorage* Storage, const String& BasePath) = 0;
    virtual void WriteToStorage(TKitCustomAppStorage* Storage, const String& BasePath) = 0;
};

// Marks an IAppStorageHandler whose published properties are to be stored as well.
class IAppStoragePublishedProps {
public:
    virtual ~IAppStoragePublishedProps() = default;
};

// ---- Options ----------------------------------------------------------------------------------

class TKitCustomAppStorageOptions : public TPersistent {
    DECLARE_CLASS(TKitCustomAppStorageOptions, TPersistent)
public:
    // From other options: the true and false words first, then every switch through its
    // setter.
    void Assign(TPersistent* Source) override;

    // Booleans as words; stays on only while both word lists have a first word.
    bool BooleanAsString() const { return FBooleanAsString; }
    virtual void SetBooleanAsString(bool Value);
    // Comma-separated words that read as true ("TRUE, YES, Y") and false ("FALSE, NO, N"); a
    // list without a first word switches BooleanAsString off.
    const String& BooleanStringTrueValues() const { return FBooleanStringTrueValues; }
    virtual void SetBooleanStringTrueValues(const String& Value);
    const String& BooleanStringFalseValues() const { return FBooleanStringFalseValues; }
    virtual void SetBooleanStringFalseValues(const String& Value);
    bool EnumerationAsString() const { return FEnumAsStr; }
    virtual void SetEnumerationAsString(bool Value) { FEnumAsStr = Value; }
    // Integers of a type with identifiers (registered through IntConsts.h) by identifier.
    bool TypedIntegerAsString() const { return FIntAsStr; }
    virtual void SetTypedIntegerAsString(bool Value) { FIntAsStr = Value; }
    // Sets as one "[a, b]" text instead of a folder of booleans.
    bool SetAsString() const { return FSetAsStr; }
    virtual void SetSetAsString(bool Value) { FSetAsStr = Value; }
    bool DateTimeAsString() const { return FDateTimeAsString; }
    virtual void SetDateTimeAsString(bool Value) { FDateTimeAsString = Value; }
    bool FloatAsString() const { return FFloatAsString; }
    virtual void SetFloatAsString(bool Value) { FFloatAsString = Value; }
    bool DefaultIfReadConvertError() const { return FDefaultIfReadConvertError; }
    virtual void SetDefaultIfReadConvertError(bool Value) { FDefaultIfReadConvertError = Value; }
    bool DefaultIfValueNotExists() const { return FDefaultIfValueNotExists; }
    virtual void SetDefaultIfValueNotExists(bool Value) { FDefaultIfValueNotExists = Value; }
    // Published properties are written even at their declared default.
    bool StoreDefaultValues() const { return FStoreDefaultValues; }
    virtual void SetStoreDefaultValues(bool Value) { FStoreDefaultValues = Value; }
    bool StoreStringListAsSingleString() const { return FStoreStringListAsSingleString; }
    virtual void SetStoreStringListAsSingleString(bool Value) { FStoreStringListAsSingleString = Value; }
    // List items named Item0, Item1 ... rather than Item[0], Item[1] ...
    bool UseOldItemNameFormat() const { return FUseOldItemNameFormat; }
    virtual void SetUseOldItemNameFormat(bool Value) { FUseOldItemNameFormat = Value; }
    // Date-time text in the macro engine's date and time formats instead of the locale's.
    bool UseTranslateStringEngineDateTimeFormats() const { return FUseTranslateStringEngineDateTimeFormats; }
    virtual void SetUseTranslateStringEngineDateTimeFormats(bool Value) {
        FUseTranslateStringEngineDateTimeFormats = Value;
    }

    // The first word of each list (its text before the first comma, trimmed).
    String DefaultTrueString() const;
    String DefaultFalseString() const;
    // Whether Value is one of the words, letter case and blanks around the commas ignored.
    bool IsValueTrueString(const String& Value) const;
    bool IsValueFalseString(const String& Value) const;

private:
    bool FBooleanAsString = true;
    String FBooleanStringTrueValues = u"TRUE, YES, Y";
    String FBooleanStringFalseValues = u"FALSE, NO, N";
    bool FEnumAsStr = true;
    bool FIntAsStr = true;
    bool FSetAsStr = false;
    bool FDateTimeAsString = true;
    bool FFloatAsString = false;
    bool FDefaultIfReadConvertError = false;
    bool FDefaultIfValueNotExists = true;
    bool FStoreDefaultValues = true;
    bool FStoreStringListAsSingleString = false;
    bool FUseOldItemNameFormat = true;
    bool FUseTranslateStringEngineDateTimeFormats = false;
};

// The options with their properties published.
class TKitAppStorageOptions : public TKitCustomAppStorageOptions {
    DECLARE_CLASS(TKitAppStorageOptions, TKitCustomAppStorageOptions)
    using O = TKitCustomAppStorageOptions;
    static void Published(TPublisher<TKitAppStorageOptions>& P) {
        P.Property(u"BooleanAsString", &O::BooleanAsString, &O::SetBooleanAsString).Default(true);
        P.Property(u"BooleanStringTrueValues", &O::BooleanStringTrueValues, &O::SetBooleanStringTrueValues);
        P.Property(u"BooleanStringFalseValues", &O::BooleanStringFalseValues,
                   &O::SetBooleanStringFalseValues);
        P.Property(u"EnumerationAsString", &O::EnumerationAsString, &O::SetEnumerationAsString).Default(true);
        P.Property(u"TypedIntegerAsString", &O::TypedIntegerAsString, &O::SetTypedIntegerAsString)
            .Default(true);
        P.Property(u"SetAsString", &O::SetAsString, &O::SetSetAsString).Default(false);
        P.Property(u"DateTimeAsString", &O::DateTimeAsString, &O::SetDateTimeAsString).Default(true);
        P.Property(u"FloatAsString", &O::FloatAsString, &O::SetFloatAsString).Default(false);
        P.Property(u"DefaultIfReadConvertError", &O::DefaultIfReadConvertError,
                   &O::SetDefaultIfReadConvertError)
            .Default(false);
        P.Property(u"DefaultIfValueNotExists", &O::DefaultIfValueNotExists, &O::SetDefaultIfValueNotExists)
            .Default(true);
        P.Property(u"StoreDefaultValues", &O::StoreDefaultValues, &O::SetStoreDefaultValues).Default(true);
        P.Property(u"StoreStringListAsSingleString", &O::StoreStringListAsSingleString,
                   &O::SetStoreStringListAsSingleString)
            .Default(false);
        P.Property(u"UseOldItemNameFormat", &O::UseOldItemNameFormat, &O::SetUseOldItemNameFormat)
            .Default(true);
        P.Property(u"UseTranslateStringEngineDateTimeFormats", &O::UseTranslateStringEngineDateTimeFormats,
                   &O::SetUseTranslateStringEngineDateTimeFormats)
            .Default(false);
    }
};

// ---- Sub-storages -----------------------------------------------------------------------------

// Another store grafted under RootPath: paths below it are read and written there.
class TKitAppSubStorage : public TCollectionItem {
    DECLARE_CLASS(TKitAppSubStorage, TCollectionItem)
public:
    explicit TKitAppSubStorage(TCollection* ACollection);
    ~TKitAppSubStorage() override;

    const String& RootPath() const { return FRootPath; }
    // Normalised; a root path another item already covers raises EKitAppStorageError
    // "'%s' is not a unique root path".
    void SetRootPath(const String& Value);
    TKitCustomAppStorage* AppStorage() const { return FAppStorage; }
    // The owning store, or a store that holds it among its sub-storages at any depth, raises
    // EKitAppStorageError "Circular reference of storages".
    void SetAppStorage(TKitCustomAppStorage* Value);
    // The store whose SubStorages hold this item.
    TKitCustomAppStorage* OwnerStore() const;
    void Assign(TPersistent* Source) override;

protected:
    // "\<root path>=<store's name>" when both are set.
    String GetDisplayName() const override;

private:
    friend class TKitCustomAppStorage;
    // Links the store and moves the owner's free notification, kept while another item links
    // the old store too.
    void SetAppStorageLink(TKitCustomAppStorage* Value);

    String FRootPath;
    TKitCustomAppStorage* FAppStorage = nullptr;

    // Out of line: it needs the store's class complete.
    static void Published(TPublisher<TKitAppSubStorage>& P);
};

class TKitAppSubStorages : public TOwnedCollection {
    DECLARE_CLASS(TKitAppSubStorages, TOwnedCollection)
public:
    explicit TKitAppSubStorages(TKitCustomAppStorage* AOwner);

    TKitAppSubStorage* Items(int Index) const {
        return static_cast<TKitAppSubStorage*>(TCollection::Items(Index));
    }
    TKitCustomAppStorage* OwnerStore() const { return FOwnerStore; }

    // A new item; when the root path or the store is refused the item goes again.
    TKitAppSubStorage* Add(const String& RootPath, TKitCustomAppStorage* AppStorage);
    using TCollection::Add;
    using TCollection::Delete;
    // Deletes the items with that root path (and, with IncludeSubPaths, those below it).
    void Delete(const String& RootPath, bool IncludeSubPaths);
    // Deletes every item linked to the store.
    void Delete(TKitCustomAppStorage* AppStorage);

    // The item whose root path covers Path (a normalised path with a leading backslash) the
    // furthest: a prefix of it, compared without regard to case, followed there by a
    // backslash. Items without a store and the item IgnoreIndex are passed over.
    TKitAppSubStorage* MatchFor(const String& Path, int IgnoreIndex = -1) const;

private:
    TKitCustomAppStorage* FOwnerStore;
};

// ---- Property engines -------------------------------------------------------------------------

// A way of storing certain class-typed properties of its own; the store asks the registered
// engines before its built-in handling.
class TKitAppStoragePropertyBaseEngine : public TObject {
public:
    // AObject is the object whose property is stored, AProperty the property's object.
    virtual bool Supports(TObject* AObject, TObject* AProperty);
    virtual void ReadProperty(TKitCustomAppStorage* AStorage, const String& APath, TObject* AObject,
                              TObject* AProperty, bool Recursive, bool ClearFirst);
    virtual void WriteProperty(TKitCustomAppStorage* AStorage, const String& APath, TObject* AObject,
                               TObject* AProperty, bool Recursive);
};

class TKitAppStoragePropertyEngineList {
public:
    using TFactory = std::function<std::unique_ptr<TKitAppStoragePropertyBaseEngine>()>;

    // Makes one engine of the class and appends it.
    template <class T> void RegisterEngine() {
        RegisterEngine(typeid(T), [] { return std::make_unique<T>(); });
    }
    // Removes the first engine of exactly that class.
    template <class T> void UnregisterEngine() { UnregisterEngine(typeid(T)); }
    void RegisterEngine(const std::type_info& Class, const TFactory& Factory);
    void UnregisterEngine(const std::type_info& Class);

    // The first engine that supports the property; null when none does.
    TKitAppStoragePropertyBaseEngine* GetEngine(TObject* AObject, TObject* AProperty) const;
    bool ReadProperty(TKitCustomAppStorage* AStorage, const String& APath, TObject* AObject,
                      TObject* AProperty, bool Recursive, bool ClearFirst) const;
    bool WriteProperty(TKitCustomAppStorage* AStorage, const String& APath, TObject* AObject,
                       TObject* AProperty, bool Recursive) const;
    int Count() const { return static_cast<int>(FEngines.size()); }

private:
    std::vector<std::unique_ptr<TKitAppStoragePropertyBaseEngine>> FEngines;
};

// The process-wide engine list, made on first use; null once the process is shutting down.
TKitAppStoragePropertyEngineList* RegisteredAppStoragePropertyEngineList();

// ---- The store --------------------------------------------------------------------------------

class TKitCustomAppStorage : public TKitComponent {
    DECLARE_CLASS(TKitCustomAppStorage, TKitComponent)
public:
    explicit TKitCustomAppStorage(TComponent* AOwner);
    ~TKitCustomAppStorage() override;

    // ---- Paths
    // One normalised path: an element that begins with a backslash restarts the path (the first
    // element is never tested); empty and "." segments are skipped, k dots remove k - 1 segments;
    // no leading or trailing backslash.
    static String ConcatPaths(std::initializer_list<String> Paths);
    static String ConcatPaths(const std::vector<String>& Paths);
    // A backslash and the path made of the current path and InPath; paths below a sub-storage's
    // root go to that store, with the root cut off.
    void ResolvePath(const String& InPath, TKitCustomAppStorage*& TargetStore, String& TargetPath);
    bool IsFolder(const String& Path, bool ListIsValue = true);
    bool PathExists(const String& Path);
    bool ValueStored(const String& Path);
    bool ListStored(const String& Path, const String& ItemName = u"Item");
    void DeleteValue(const String& Path);
    void DeleteSubTree(const String& Path);
    // Names below Path: folders (object svFolder) and values (svValue), or both (3).
    void GetStoredValues(const String& Path, TStrings* Strings,
                         TKitAppStorageEnumOptions Options = {aeoFolders, aeoValues, aeoReportListAsValue});
    // Deletes the subtree at Path when its stored version (Path\VersionName) is lower than
    // VersionNumber, or differs with DeleteIfNotEqual; writes VersionNumber when they differed
    // and WriteVersionNumber is set.
    void CheckDeletePathByVersion(const String& Path, int VersionNumber,
                                  const String& VersionName = u"Version", bool WriteVersionNumber = true,
                                  bool DeleteIfNotEqual = false);

    // ---- Typed values (paths relative to Path unless they begin with a backslash)
    int ReadInteger(const String& Path, int Default = 0);
    void WriteInteger(const String& Path, int Value);
    long double ReadFloat(const String& Path, long double Default = 0);
    void WriteFloat(const String& Path, long double Value);
    String ReadString(const String& Path, const String& Default = String());
    void WriteString(const String& Path, const String& Value);
    String ReadWideString(const String& Path, const String& Default = String());
    void WriteWideString(const String& Path, const String& Value);
    // The number of bytes read into Buffer (at most Size).
    int ReadBinary(const String& Path, void* Buffer, int Size);
    void WriteBinary(const String& Path, const void* Buffer, int Size);
    TDateTime ReadDateTime(const String& Path, TDateTime Default = 0);
    void WriteDateTime(const String& Path, TDateTime Value);
    bool ReadBoolean(const String& Path, bool Default = false);
    void WriteBoolean(const String& Path, bool Value);
    // Enumerations, integers, characters and booleans by their type record; Default and Value
    // point at an ordinal of the type's size (1, 2 or 4 bytes).
    void ReadEnumeration(const String& Path, const TTypeInfo* ATypeInfo, const void* Default, void* Value);
    void WriteEnumeration(const String& Path, const TTypeInfo* ATypeInfo, const void* Value);
    template <class E> E ReadEnumeration(const String& Path, E Default) {
        return static_cast<E>(ReadOrdinalValue(Path, ::TypeInfo<E>(), static_cast<Int64>(Default)));
    }
    template <class E> void WriteEnumeration(const String& Path, E Value) {
        WriteOrdinalValue(Path, ::TypeInfo<E>(), static_cast<Int64>(Value));
    }
    // Sets by their type record; Default and Value point at the set in its storage form
    // (UtilTypeInfo.h).
    void ReadSet(const String& Path, const TTypeInfo* ATypeInfo, const void* Default, void* Value);
    void WriteSet(const String& Path, const TTypeInfo* ATypeInfo, const void* Value);
    template <class E> TSet<E> ReadSet(const String& Path, const TSet<E>& Default) {
        const TTypeInfo* T = ::TypeInfo<TSet<E>>();
        return TypeInfoDetail::FromPropValue<TSet<E>>(
            ReadSetBits(Path, T, std::get<TSetBits>(TypeInfoDetail::ToPropValue(Default))));
    }
    template <class E> void WriteSet(const String& Path, const TSet<E>& Value) {
        WriteSetBits(Path, ::TypeInfo<TSet<E>>(), std::get<TSetBits>(TypeInfoDetail::ToPropValue(Value)));
    }
    // Ordinals and sets in the form the property routines of TypeInfo.h pass around.
    Int64 ReadOrdinalValue(const String& Path, const TTypeInfo* ATypeInfo, Int64 Default);
    void WriteOrdinalValue(const String& Path, const TTypeInfo* ATypeInfo, Int64 Value);
    TSetBits ReadSetBits(const String& Path, const TTypeInfo* SetType, const TSetBits& Default);
    void WriteSetBits(const String& Path, const TTypeInfo* SetType, const TSetBits& Value);

    // ---- Lists, collections and objects: a list is a folder with Count and one entry per item
    int ReadList(const String& Path, TObject* List, const TKitAppStorageListItemEvent& OnReadItem,
                 const String& ItemName = u"Item");
    void WriteList(const String& Path, TObject* List, int ItemCount,
                   const TKitAppStorageListItemEvent& OnWriteItem,
                   const TKitAppStorageListDeleteEvent& OnDeleteItems = nullptr,
                   const String& ItemName = u"Item");
    int ReadStringList(const String& Path, TStrings* SL, bool ClearFirst = true,
                       const String& ItemName = u"Item");
    void WriteStringList(const String& Path, TStrings* SL, const String& ItemName = u"Item");
    int ReadWideStringList(const String& Path, TStrings* SL, bool ClearFirst = true,
                           const String& ItemName = u"Item");
    void WriteWideStringList(const String& Path, TStrings* SL, const String& ItemName = u"Item");
    // Without ItemCreator each item's object is made from its stored "Classname" (a registered
    // class); a missing or unknown class raises EKitAppStorageError.
    int ReadObjectList(const String& Path, TObjectList* List, bool ClearFirst = true,
                       const String& ItemName = u"Item");
    int ReadObjectList(const String& Path, TObjectList* List,
                       const TKitAppStorageObjectListItemCreateEvent& ItemCreator, bool ClearFirst = true,
                       const String& ItemName = u"Item");
    // A lambda as the creator (it would convert to ClearFirst as well as to the event).
    template <class F>
    requires(
        std::is_invocable_r_v<TPersistent*, F, TKitCustomAppStorage*, const String&, int> &&
        !std::is_same_v<std::decay_t<F>,
                        TKitAppStorageObjectListItemCreateEvent>) int ReadObjectList(const String& Path,
                                                                                     TObjectList* List,
                                                                                     F ItemCreator,
                                                                                     bool ClearFirst = true,
                                                                                     const String& ItemName =
                                                                                         u"Item") {
        return ReadObjectList(Path, List, TKitAppStorageObjectListItemCreateEvent(std::move(ItemCreator)),
                              ClearFirst, ItemName);
    }
    void WriteObjectList(const String& Path, TObjectList* List, const String& ItemName = u"Item");
    int ReadStringObjectList(const String& Path, TStrings* SL, bool ClearFirst = true,
                             const String& ItemName = u"Item");
    int ReadStringObjectList(const String& Path, TStrings* SL,
                             const TKitAppStorageObjectListItemCreateEvent& ItemCreator,
                             bool ClearFirst = true, const String& ItemName = u"Item");
    template <class F>
    requires(std::is_invocable_r_v<TPersistent*, F, TKitCustomAppStorage*, const String&, int> &&
             !std::is_same_v<
                 std::decay_t<F>,
                 TKitAppStorageObjectListItemCreateEvent>) int ReadStringObjectList(const String& Path,
                                                                                    TStrings* SL,
                                                                                    F ItemCreator,
                                                                                    bool ClearFirst = true,
                                                                                    const String& ItemName =
                                                                                        u"Item") {
        return ReadStringObjectList(Path, SL, TKitAppStorageObjectListItemCreateEvent(std::move(ItemCreator)),
                                    ClearFirst, ItemName);
    }
    void WriteStringObjectList(const String& Path, TStrings* SL, const String& ItemName = u"Item");
    int ReadCollection(const String& Path, TCollection* Collection, bool ClearFirst = true,
                       const String& ItemName = u"Item");
    void WriteCollection(const String& Path, TCollection* Collection, const String& ItemName = u"Item");
    // Every published property of Object below Path, except those named in IgnoreProperties.
    void ReadPersistent(const String& Path, TPersistent* Object, bool Recursive = true,
                        bool ClearFirst = true, const TStrings* IgnoreProperties = nullptr);
    void WritePersistent(const String& Path, TPersistent* Object, bool Recursive = true,
                         const TStrings* IgnoreProperties = nullptr);
    void ReadProperty(const String& Path, TPersistent* Object, const String& PropName, bool Recursive,
                      bool ClearFirst);
    void WriteProperty(const String& Path, TPersistent* Object, const String& PropName, bool Recursive);

    // ---- Names
    // The name under which a property is stored: PropName unless OnTranslatePropertyName
    // changes it.
    String TranslatePropertyName(TPersistent* Instance, const String& AName, bool Reading);
    // "Char_" and the character for codes 33 to 122, else "Char#" and the code.
    virtual String GetCharName(Char Ch);
    // "Int_" and the number.
    virtual String GetIntName(Int64 Value);
    // ItemName and Index: "Item3", or "Item[3]" without UseOldItemNameFormat.
    virtual String ItemNameIndexPath(const String& ItemName, int Index);

    // ---- Encryption of stored text: active while enabled more often than disabled and both
    // events are assigned
    void EnablePropertyValueCrypt() { ++FCryptEnabledStatus; }
    void DisablePropertyValueCrypt() { --FCryptEnabledStatus; }
    bool IsPropertyValueCryptEnabled() const { return FCryptEnabledStatus > 0; }
    // The event's text, as single-line Base64 of its UTF-8 bytes.
    String EncryptPropertyValue(const String& Value);
    String DecryptPropertyValue(const String& Value);

    // ---- Update bracket: inside it there is no automatic flush or reload
    void BeginUpdate();
    void EndUpdate();
    bool IsUpdating() const { return FUpdateCount != 0; }
    virtual void Flush() {}
    virtual void Reload() {}
    void FlushIfNeeded();
    void ReloadIfNeeded();

    // ---- Properties
    const String& Root() const { return FRoot; }
    void SetRoot(const String& Value) { FRoot = Value; }
    const String& Path() const { return FCurPath; }
    void SetPath(const String& Value) { FCurPath = ConcatPaths({Value}); }
    TKitCustomAppStorageOptions* StorageOptions() const;
    void SetStorageOptions(TKitCustomAppStorageOptions* Value);
    TKitAppSubStorages* SubStorages() const { return FSubStorages.get(); }
    void SetSubStorages(TKitAppSubStorages*) {} // items are added through the collection
    bool AutoFlush() const { return FAutoFlush; }
    void SetAutoFlush(bool Value) { FAutoFlush = Value; }
    bool AutoReload() const { return FAutoReload; }
    void SetAutoReload(bool Value) { FAutoReload = Value; }
    // The flag, or (at run time) a read-only backing file.
    bool ReadOnly() const;
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool SynchronizeFlushReload() const { return FSynchronizeFlushReload; }
    void SetSynchronizeFlushReload(bool Value) { FSynchronizeFlushReload = Value; }
    bool FlushOnDestroy() const { return FFlushOnDestroy; }
    void SetFlushOnDestroy(bool Value) { WriteFlushOnDestroy(Value); }
    TKitTranslateString* TranslateStringEngine() const { return FTranslateStringEngine; }
    void SetTranslateStringEngine(TKitTranslateString* Value);
    // The assigned engine, else the store's own.
    TKitTranslateString* ActiveTranslateStringEngine() const;
    // The date, time and number formats of date-time text (see UseTranslateStringEngineDateTimeFormats).
    const TFormatSettings& CurrentFormatSettings();

    TKitAppStoragePropTranslateEvent OnTranslatePropertyName;
    TKitAppStorageCryptEvent OnEncryptPropertyValue;
    TKitAppStorageCryptEvent OnDecryptPropertyValue;
    // Hears the message of a flush that failed.
    TKitAppStorageErrorEvent OnError;

    // Reads the backing file once the stored properties are set (unless inside an update bracket).
    void Loaded() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Root, a backslash and the path made of the current path and Path, without leading
    // backslashes.
    String AbsolutePath(const String& Path) const;
    // A resolved path (leading backslash) joined with one more name.
    static String SubPath(const String& Path, const String& Name);

    virtual void WriteFlushOnDestroy(bool Value) { FFlushOnDestroy = Value; }
    virtual TClass StorageOptionsClass() const;
    // The absolute path cut at its last backslash: the folder and the value name.
    virtual void SplitPath(const String& Path, String& AKey, String& ValueName);

    // Backend primitives; paths are resolved paths of this store.
    virtual void ListFolders(const String& Path, TStrings* Strings, bool ReportListAsValue) = 0;
    virtual void ListValueNames(const String& Path, TStrings* Strings, bool ReportListAsValue) = 0;
    virtual bool IsFolderAt(const String& Path, bool ListIsValue) = 0;
    virtual bool PathExistsAt(const String& Path) = 0;
    virtual bool ValueStoredAt(const String& Path) = 0;
    virtual bool ListStoredAt(const String& Path, const String& ItemName);
    virtual void DeleteValueAt(const String& Path) = 0;
    virtual void DeleteSubTreeAt(const String& Path) = 0;
    virtual int RawReadInteger(const String& Path, int Default) = 0;
    virtual void RawWriteInteger(const String& Path, int Value) = 0;
    virtual long double RawReadFloat(const String& Path, long double Default) = 0;
    virtual void RawWriteFloat(const String& Path, long double Value) = 0;
    virtual String RawReadString(const String& Path, const String& Default) = 0;
    virtual void RawWriteString(const String& Path, const String& Value) = 0;
    virtual String RawReadWideString(const String& Path, const String& Default);
    virtual void RawWriteWideString(const String& Path, const String& Value);
    virtual int RawReadBinary(const String& Path, void* Buffer, int Size) = 0;
    virtual void RawWriteBinary(const String& Path, const void* Buffer, int Size) = 0;
    virtual TDateTime RawReadDateTime(const String& Path, TDateTime Default);
    virtual void RawWriteDateTime(const String& Path, TDateTime Value);
    virtual bool RawReadBoolean(const String& Path, bool Default);
    virtual void RawWriteBoolean(const String& Path, bool Value);

    // The typed layer on resolved paths.
    virtual int ReadIntegerAt(const String& Path, int Default);
    virtual void WriteIntegerAt(const String& Path, int Value);
    virtual long double ReadFloatAt(const String& Path, long double Default);
    virtual void WriteFloatAt(const String& Path, long double Value);
    virtual String ReadStringAt(const String& Path, const String& Default);
    virtual void WriteStringAt(const String& Path, const String& Value);
    virtual int ReadBinaryAt(const String& Path, void* Buffer, int Size);
    virtual void WriteBinaryAt(const String& Path, const void* Buffer, int Size);
    virtual TDateTime ReadDateTimeAt(const String& Path, TDateTime Default);
    virtual void WriteDateTimeAt(const String& Path, TDateTime Value);
    virtual bool ReadBooleanAt(const String& Path, bool Default);
    virtual void WriteBooleanAt(const String& Path, bool Value);
    virtual Int64 ReadEnumerationAt(const String& Path, const TTypeInfo* ATypeInfo, Int64 Default);
    virtual void WriteEnumerationAt(const String& Path, const TTypeInfo* ATypeInfo, Int64 Value);
    virtual TSetBits ReadSetAt(const String& Path, const TTypeInfo* ATypeInfo, const TSetBits& Default);
    virtual void WriteSetAt(const String& Path, const TTypeInfo* ATypeInfo, const TSetBits& Value);

    virtual bool IsPhysicalReadOnly() const { return false; }
    virtual TDateTime TextToDateTime(const String& Text);
    virtual String DateTimeToText(TDateTime Value);
    virtual int ReadListCount(const String& Path, const String& ItemName);
    virtual void WriteListCount(const String& Path, int Count, const String& ItemName);
    virtual bool ReloadNeeded() const;
    virtual bool FlushNeeded() const;

    // Flushes when the store is destroyed and FlushOnDestroy is set. A destructor cannot reach
    // a descendant's Flush, so each store that writes a file calls this from its own.
    void FlushOnDestruction();

private:
    friend class TKitAppSubStorage;

    // Runs Read; a conversion error gives Default when the options say so.
    template <class T, class F> T ReadOrDefault(T Default, F Read);
    // Whether Target (at any depth of its sub-storages) holds Store.
    bool HoldsStorage(const TKitCustomAppStorage* Store) const;
    bool IsBooleanType(const TTypeInfo* ATypeInfo) const;
    // Whether a single value is stored at Path; false where there can be none (a value at the
    // top level of a store that has no section for it).
    bool SingleValueStored(const String& Path);
    String FloatToText(long double Value);
    long double TextToFloat(const String& Text);
    TKitCustomAppStorage* ResolveStore(const String& Path, String& TargetPath);
    void CollectStoredValues(const String& FolderPath, const String& Prefix, TStrings* Strings,
                             TKitAppStorageEnumOptions Options);

    // The built-in list item handlers.
    void ReadStringListItem(const String& Path, TObject* List, int Index, const String& ItemName);
    void WriteStringListItem(const String& Path, TObject* List, int Index, const String& ItemName);
    void DeleteListItems(const String& Path, int First, int Last, const String& ItemName);
    void ReadWideStringListItem(const String& Path, TObject* List, int Index, const String& ItemName);
    void WriteWideStringListItem(const String& Path, TObject* List, int Index, const String& ItemName);
    void DeleteWideListItems(const String& Path, int First, int Last, const String& ItemName);
    void ReadObjectListItem(const String& Path, TObject* List, int Index, const String& ItemName);
    void WriteObjectListItem(const String& Path, TObject* List, int Index, const String& ItemName);
    void ReadStringObjectListItem(const String& Path, TObject* List, int Index, const String& ItemName);
    void WriteStringObjectListItem(const String& Path, TObject* List, int Index, const String& ItemName);
    void ReadCollectionItem(const String& Path, TObject* List, int Index, const String& ItemName);
    void WriteCollectionItem(const String& Path, TObject* List, int Index, const String& ItemName);
    TPersistent* CreateListItem(const String& ItemPath, int Index);
    TPersistent* DefaultItemCreator(const String& Path);

    TFormatSettings CachedFormatSettings;
    String FRoot;
    String FCurPath;
    mutable std::unique_ptr<TKitCustomAppStorageOptions> FStorageOptions;
    std::unique_ptr<TKitAppSubStorages> FSubStorages;
    int FCryptEnabledStatus = 0;
    bool FAutoFlush = false;
    int FUpdateCount = 0;
    bool FAutoReload = false;
    TKitAppStorageObjectListItemCreateEvent FCurrentInstanceCreateEvent;
    TKitTranslateString* FInternalTranslateStringEngine = nullptr;
    bool FReadOnly = false;
    TKitTranslateString* FTranslateStringEngine = nullptr;
    bool FSynchronizeFlushReload = false;
    bool FFlushOnDestroy = true;

    static void Published(TPublisher<TKitCustomAppStorage>& P) {
        P.Property(u"ActiveTranslateStringEngine", &TKitCustomAppStorage::ActiveTranslateStringEngine);
        P.Property(u"StorageOptions", &TKitCustomAppStorage::StorageOptions,
                   &TKitCustomAppStorage::SetStorageOptions);
        P.Property(u"TranslateStringEngine", &TKitCustomAppStorage::TranslateStringEngine,
                   &TKitCustomAppStorage::SetTranslateStringEngine);
        P.Property(u"OnTranslatePropertyName", &TKitCustomAppStorage::OnTranslatePropertyName);
        P.Property(u"OnEncryptPropertyValue", &TKitCustomAppStorage::OnEncryptPropertyValue);
        P.Property(u"OnDecryptPropertyValue", &TKitCustomAppStorage::OnDecryptPropertyValue);
        P.Property(u"OnError", &TKitCustomAppStorage::OnError);
    }
};
