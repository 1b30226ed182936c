#pragma once
// Stored properties: a list of lines, each naming a component of a form and one of its
// published properties joined by a point ("chkConst.Checked"), turned into reads and writes of
// a settings store. Each property is stored under the component's current name, "_" and the
// property's declared name ("chkConst_Checked"), by the store's own property reader and writer.

#include "settings/KitAppStorage.h"

#include <memory>
#include <vector>

// The published properties of a class whose kind is in a filter, sorted by name.
class TKitPropInfoList : public TObject {
    DECLARE_CLASS(TKitPropInfoList, TObject)
public:
    // A null object gives an empty list.
    TKitPropInfoList(TObject* AObject, TTypeKinds Filter);

    int Count() const { return static_cast<int>(FList.size()); }
    const TPropInfo* Items(int Index) const { return FList.at(static_cast<size_t>(Index)); }
    // The first entry of that name, ASCII letter case ignored; null when none.
    const TPropInfo* Find(const String& AName) const;
    // An entry with the same type and name.
    bool Contains(const TPropInfo* P) const;
    void Delete(int Index);
    // Keeps only the entries that List contains too.
    void Intersect(const TKitPropInfoList* List);

private:
    std::vector<const TPropInfo*> FList;
};

// Every kind but tkUnknown.
TTypeKinds AllPropertyKinds();

// A worker for one load or store pass over a stored list.
class TKitPropertyStorage : public TObject {
    DECLARE_CLASS(TKitPropertyStorage, TObject)
public:
    TKitPropertyStorage() = default;

    TKitCustomAppStorage* AppStorage() const { return FAppStorage; }
    void SetAppStorage(TKitCustomAppStorage* Value) { FAppStorage = Value; }
    const String& AppStoragePath() const { return FAppStoragePath; }
    void SetAppStoragePath(const String& Value) { FAppStoragePath = Value; }
    TObject* Object() const { return FObject; }
    void SetObject(TObject* Value) { FObject = Value; }
    const String& Prefix() const { return FPrefix; }
    void SetPrefix(const String& Value) { FPrefix = Value; }

    // One pass over StoredList (lines "Component.Property"), whose lines must carry their
    // components as objects. A read error in one property is dropped and the pass goes on; a
    // write error ends the pass and passes on.
    void LoadObjectsProps(TComponent* AComponent, TStrings* StoredList);
    void StoreObjectsProps(TComponent* AComponent, TStrings* StoredList);
    // One property of Object (nothing for null). A load reads only what the store holds.
    void LoadAnyProperty(const TPropInfo* PropInfo);
    void StoreAnyProperty(const TPropInfo* PropInfo);
    // Properties of Object itself, one name a line.
    void LoadProperties(TStrings* PropList);
    void StoreProperties(TStrings* PropList);

    virtual String ReadItemString(const String& Path, const String& Item, const String& Default);
    virtual void WriteItemString(const String& Path, const String& Item, const String& Value);
    virtual void EraseItems(const String& Path);
    virtual String ItemName(const String& PropName) { return FPrefix + PropName; }
    virtual std::unique_ptr<TKitPropertyStorage> CloneStorage();

private:
    TObject* FObject = nullptr;
    TComponent* FOwner = nullptr;
    String FPrefix;
    TKitCustomAppStorage* FAppStorage = nullptr;
    String FAppStoragePath;

    String PropPath(const TPropInfo* PropInfo, bool Reading);
    template <class F> void Pass(TComponent* AComponent, TStrings* StoredList, F Action);
};

// Splits at the first "." into two non-empty names, blanks around each removed.
bool SplitStoredItem(const String& Line, String& ComponentName, String& PropertyName);
// "Component.Property", or "" when either is empty.
String MakeStoredItem(const String& ComponentName, const String& PropertyName);
// The line with another component name; "" when it does not split.
String RenameStoredItem(const String& Line, const String& NewComponentName);
// Lines that do not split go. FromForm: each line's component is looked up among those
// AComponent owns and becomes the line's object, or the line goes. Otherwise each line is
// rewritten with its object's current name, or goes when it has none.
void SyncStoredList(TComponent* AComponent, TStrings* List, bool FromForm);
