// Lists, collections and whole objects in the settings store.

#include "settings/KitAppStorage.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

namespace {

// The built-in handlers run on the store that runs the list (the event's Sender).
template <auto Handler> TKitAppStorageListItemEvent ItemHandler() {
    return [](TKitCustomAppStorage* Sender, const String& Path, TObject* List, int Index,
              const String& ItemName) { (Sender->*Handler)(Path, List, Index, ItemName); };
}

template <auto Handler> TKitAppStorageListDeleteEvent DeleteHandler() {
    return [](TKitCustomAppStorage* Sender, const String& Path, TObject*, int First, int Last,
              const String& ItemName) { (Sender->*Handler)(Path, First, Last, ItemName); };
}

// The path of a list's items ("\X\List\*") without its last two characters.
String ListPath(const String& ResolvedItemsPath) {
    return ResolvedItemsPath.substr(0, ResolvedItemsPath.size() - 2);
}

} // namespace

// ---- The list protocol ------------------------------------------------------------------------

int TKitCustomAppStorage::ReadListCount(const String& Path, const String& /*ItemName*/) {
    return ReadInteger(SubPath(Path, u"Count"), 0);
}

void TKitCustomAppStorage::WriteListCount(const String& Path, int Count, const String& /*ItemName*/) {
    WriteInteger(SubPath(Path, u"Count"), Count);
}

int TKitCustomAppStorage::ReadList(const String& Path, TObject* List,
                                   const TKitAppStorageListItemEvent& OnReadItem, const String& ItemName) {
    const int Count = ReadListCount(Path, ItemName);
    for (int I = 0; I < Count; ++I)
        OnReadItem(this, Path, List, I, ItemName);
    return Count;
}

void TKitCustomAppStorage::WriteList(const String& Path, TObject* List, int ItemCount,
                                     const TKitAppStorageListItemEvent& OnWriteItem,
                                     const TKitAppStorageListDeleteEvent& OnDeleteItems,
                                     const String& ItemName) {
    String P;
    if (ResolveStore(Path + u"\\*", P)->ReadOnly()) return;
    const int OldCount = ReadListCount(Path, ItemName);
    for (int I = 0; I < ItemCount; ++I)
        OnWriteItem(this, Path, List, I, ItemName);
    if (ItemCount < OldCount && OnDeleteItems)
        OnDeleteItems(this, Path, List, ItemCount, OldCount - 1, ItemName);
    WriteListCount(Path, ItemCount, ItemName);
}

// ---- Item handlers ----------------------------------------------------------------------------

void TKitCustomAppStorage::ReadStringListItem(const String& Path, TObject* List, int Index,
                                              const String& ItemName) {
    if (auto* SL = dynamic_cast<TStrings*>(List))
        SL->Add(ReadString(SubPath(Path, ItemNameIndexPath(ItemName, Index)), String()));
}

void TKitCustomAppStorage::WriteStringListItem(const String& Path, TObject* List, int Index,
                                               const String& ItemName) {
    if (auto* SL = dynamic_cast<TStrings*>(List))
        WriteString(SubPath(Path, ItemNameIndexPath(ItemName, Index)), SL->Strings(Index));
}

void TKitCustomAppStorage::DeleteListItems(const String& Path, int First, int Last, const String& ItemName) {
    for (int I = First; I <= Last; ++I)
        DeleteValue(SubPath(Path, ItemNameIndexPath(ItemName, I)));
}

void TKitCustomAppStorage::ReadWideStringListItem(const String& Path, TObject* List, int Index,
                                                  const String& ItemName) {
    if (auto* SL = dynamic_cast<TStrings*>(List))
        SL->Add(ReadWideString(SubPath(Path, ItemName + IntToStr(Index)), String()));
}

void TKitCustomAppStorage::WriteWideStringListItem(const String& Path, TObject* List, int Index,
                                                   const String& ItemName) {
    if (auto* SL = dynamic_cast<TStrings*>(List))
        WriteWideString(SubPath(Path, ItemName + IntToStr(Index)), SL->Strings(Index));
}

void TKitCustomAppStorage::DeleteWideListItems(const String& Path, int First, int Last,
                                               const String& ItemName) {
    for (int I = First; I <= Last; ++I)
        DeleteValue(SubPath(Path, ItemName + IntToStr(I)));
}

TPersistent* TKitCustomAppStorage::DefaultItemCreator(const String& Path) {
    const String ClassName = ReadString(SubPath(Path, u"Classname"), String());
    if (ClassName.empty())
        throw EKitAppStorageError(Format(u"No class name is stored for the list item %s", {Path}));
    TClass Class = GetClass(ClassName);
    if (!Class)
        throw EKitAppStorageError(
            Format(u"Class %s of the list item %s is not registered", {ClassName, Path}));
    TObject* Object = Class->Create();
    auto* Result = dynamic_cast<TPersistent*>(Object);
    if (!Result) {
        delete Object;
        throw EKitAppStorageError(
            Format(u"Class %s of the list item %s is no persistent class", {ClassName, Path}));
    }
    return Result;
}

TPersistent* TKitCustomAppStorage::CreateListItem(const String& ItemPath, int Index) {
    String P;
    TKitCustomAppStorage* Target = ResolveStore(ItemPath, P);
    if (Target->FCurrentInstanceCreateEvent)
        return Target->FCurrentInstanceCreateEvent(this, ItemPath, Index);
    return DefaultItemCreator(ItemPath);
}

void TKitCustomAppStorage::ReadObjectListItem(const String& Path, TObject* List, int Index,
                                              const String& ItemName) {
    auto* OL = dynamic_cast<TObjectList*>(List);
    if (!OL) return;
    const String ItemPath = SubPath(Path, ItemNameIndexPath(ItemName, Index));
    TPersistent* Object = CreateListItem(ItemPath, Index);
    OL->Add(Object);
    ReadPersistent(ItemPath, Object, true, true);
}

void TKitCustomAppStorage::WriteObjectListItem(const String& Path, TObject* List, int Index,
                                               const String& ItemName) {
    auto* OL = dynamic_cast<TObjectList*>(List);
    if (!OL || !OL->Items(Index)) return;
    WritePersistent(SubPath(Path, ItemNameIndexPath(ItemName, Index)),
                    dynamic_cast<TPersistent*>(OL->Items(Index)), true);
}

void TKitCustomAppStorage::ReadStringObjectListItem(const String& Path, TObject* List, int Index,
                                                    const String& ItemName) {
    auto* SL = dynamic_cast<TStrings*>(List);
    if (!SL) return;
    const String ItemPath = SubPath(Path, ItemNameIndexPath(ItemName, Index));
    const String ObjectPath = SubPath(ItemPath, u"Object");
    TPersistent* Object = CreateListItem(ObjectPath, Index);
    SL->AddObject(ReadString(SubPath(ItemPath, u"Itemname"), String()), Object);
    ReadPersistent(ObjectPath, Object, true, true);
}

void TKitCustomAppStorage::WriteStringObjectListItem(const String& Path, TObject* List, int Index,
                                                     const String& ItemName) {
    auto* SL = dynamic_cast<TStrings*>(List);
    if (!SL) return;
    const String ItemPath = SubPath(Path, ItemNameIndexPath(ItemName, Index));
    WriteString(SubPath(ItemPath, u"Itemname"), SL->Strings(Index));
    if (auto* Object = dynamic_cast<TPersistent*>(SL->Objects(Index)))
        WritePersistent(SubPath(ItemPath, u"Object"), Object, true);
}

void TKitCustomAppStorage::ReadCollectionItem(const String& Path, TObject* List, int Index,
                                              const String& ItemName) {
    if (auto* C = dynamic_cast<TCollection*>(List))
        ReadPersistent(SubPath(Path, ItemNameIndexPath(ItemName, Index)), C->Add(), true, true);
}

void TKitCustomAppStorage::WriteCollectionItem(const String& Path, TObject* List, int Index,
                                               const String& ItemName) {
    if (auto* C = dynamic_cast<TCollection*>(List))
        if (TCollectionItem* Item = C->Items(Index))
            WritePersistent(SubPath(Path, ItemNameIndexPath(ItemName, Index)), Item, true);
}

// ---- String lists -----------------------------------------------------------------------------

bool TKitCustomAppStorage::SingleValueStored(const String& Path) {
    try {
        return ValueStored(Path);
    } catch (const EKitAppStorageError&) {
        return false;
    }
}

int TKitCustomAppStorage::ReadStringList(const String& Path, TStrings* SL, bool ClearFirst,
                                         const String& ItemName) {
    if (ClearFirst) SL->Clear();
    if (ListStored(Path, ItemName)) {
        TUpdateBracket Bracket(*SL);
        ReadPersistent(Path, SL, true, false);
        return ReadList(Path, SL, ItemHandler<&TKitCustomAppStorage::ReadStringListItem>(), ItemName);
    }
    if (SingleValueStored(Path)) SL->SetText(ReadString(Path, String()));
    return SL->Count();
}

void TKitCustomAppStorage::WriteStringList(const String& Path, TStrings* SL, const String& ItemName) {
    if (StorageOptions()->StoreStringListAsSingleString()) {
        if (ListStored(Path, ItemName)) DeleteSubTree(Path);
        WriteString(Path, SL->Text());
        return;
    }
    // A single-value list written before would be left behind the folder form.
    if (SingleValueStored(Path)) DeleteValue(Path);
    WriteList(Path, SL, SL->Count(), ItemHandler<&TKitCustomAppStorage::WriteStringListItem>(),
              DeleteHandler<&TKitCustomAppStorage::DeleteListItems>(), ItemName);
    WritePersistent(Path, SL, true);
}

int TKitCustomAppStorage::ReadWideStringList(const String& Path, TStrings* SL, bool ClearFirst,
                                             const String& ItemName) {
    if (!ListStored(Path, ItemName) && StorageOptions()->DefaultIfValueNotExists()) return SL->Count();
    TUpdateBracket Bracket(*SL);
    if (ClearFirst) SL->Clear();
    ReadPersistent(Path, SL, true, false);
    return ReadList(Path, SL, ItemHandler<&TKitCustomAppStorage::ReadWideStringListItem>(), ItemName);
}

void TKitCustomAppStorage::WriteWideStringList(const String& Path, TStrings* SL, const String& ItemName) {
    WriteList(Path, SL, SL->Count(), ItemHandler<&TKitCustomAppStorage::WriteWideStringListItem>(),
              DeleteHandler<&TKitCustomAppStorage::DeleteWideListItems>(), ItemName);
    WritePersistent(Path, SL, true);
}

// ---- Object lists and string lists with objects -----------------------------------------------

int TKitCustomAppStorage::ReadObjectList(const String& Path, TObjectList* List, bool ClearFirst,
                                         const String& ItemName) {
    return ReadObjectList(
        Path, List,
        [](TKitCustomAppStorage* Sender, const String& P, int) { return Sender->DefaultItemCreator(P); },
        ClearFirst, ItemName);
}

int TKitCustomAppStorage::ReadObjectList(const String& Path, TObjectList* List,
                                         const TKitAppStorageObjectListItemCreateEvent& ItemCreator,
                                         bool ClearFirst, const String& ItemName) {
    if (!ListStored(Path, ItemName) && StorageOptions()->DefaultIfValueNotExists()) return List->Count();
    if (ClearFirst) List->Clear();
    String P;
    TKitCustomAppStorage* Target = ResolveStore(Path + u"\\*", P);
    TValueScope Scope(Target->FCurrentInstanceCreateEvent, ItemCreator);
    return ReadList(Path, List, ItemHandler<&TKitCustomAppStorage::ReadObjectListItem>(), ItemName);
}

void TKitCustomAppStorage::WriteObjectList(const String& Path, TObjectList* List, const String& ItemName) {
    WriteList(Path, List, List->Count(), ItemHandler<&TKitCustomAppStorage::WriteObjectListItem>(),
              DeleteHandler<&TKitCustomAppStorage::DeleteListItems>(), ItemName);
}

int TKitCustomAppStorage::ReadStringObjectList(const String& Path, TStrings* SL, bool ClearFirst,
                                               const String& ItemName) {
    return ReadStringObjectList(
        Path, SL,
        [](TKitCustomAppStorage* Sender, const String& P, int) { return Sender->DefaultItemCreator(P); },
        ClearFirst, ItemName);
}

int TKitCustomAppStorage::ReadStringObjectList(const String& Path, TStrings* SL,
                                               const TKitAppStorageObjectListItemCreateEvent& ItemCreator,
                                               bool ClearFirst, const String& ItemName) {
    String P;
    TKitCustomAppStorage* Target = ResolveStore(Path + u"\\*", P);
    TValueScope Scope(Target->FCurrentInstanceCreateEvent, ItemCreator);
    if (!ListStored(Path, ItemName)) return SL->Count();
    TUpdateBracket Bracket(*SL);
    if (ClearFirst) SL->Clear();
    ReadPersistent(Path, SL, true, false);
    return Target->ReadList(ListPath(P), SL, ItemHandler<&TKitCustomAppStorage::ReadStringObjectListItem>(),
                            ItemName);
}

void TKitCustomAppStorage::WriteStringObjectList(const String& Path, TStrings* SL, const String& ItemName) {
    String P;
    TKitCustomAppStorage* Target = ResolveStore(Path + u"\\*", P);
    Target->WriteList(ListPath(P), SL, SL->Count(),
                      ItemHandler<&TKitCustomAppStorage::WriteStringObjectListItem>(),
                      DeleteHandler<&TKitCustomAppStorage::DeleteListItems>(), ItemName);
    WritePersistent(Path, SL, true);
}

// ---- Collections ------------------------------------------------------------------------------

int TKitCustomAppStorage::ReadCollection(const String& Path, TCollection* Collection, bool ClearFirst,
                                         const String& ItemName) {
    if (!ListStored(Path, ItemName) && StorageOptions()->DefaultIfValueNotExists())
        return Collection->Count();
    TUpdateBracket Bracket(*Collection);
    if (ClearFirst) Collection->Clear();
    ReadPersistent(Path, Collection, true, false);
    return ReadList(Path, Collection, ItemHandler<&TKitCustomAppStorage::ReadCollectionItem>(), ItemName);
}

void TKitCustomAppStorage::WriteCollection(const String& Path, TCollection* Collection,
                                           const String& ItemName) {
    WriteList(Path, Collection, Collection->Count(),
              ItemHandler<&TKitCustomAppStorage::WriteCollectionItem>(),
              DeleteHandler<&TKitCustomAppStorage::DeleteListItems>(), ItemName);
    WritePersistent(Path, Collection, true);
}

// ---- Objects and their published properties ---------------------------------------------------

void TKitCustomAppStorage::ReadPersistent(const String& Path, TPersistent* Object, bool Recursive,
                                          bool ClearFirst, const TStrings* IgnoreProperties) {
    if (!Object) return;
    if (auto* Handler = dynamic_cast<IAppStorageHandler*>(Object)) {
        Handler->ReadFromStorage(this, Path);
        if (!dynamic_cast<IAppStoragePublishedProps*>(Object)) return;
    }
    for (const TPropInfo* P : GetPropList(Object)) {
        if (IgnoreProperties && IgnoreProperties->IndexOf(P->Name) >= 0) continue;
        // The same name in both directions, so that what is written is found again.
        const String Stored = TranslatePropertyName(Object, P->Name, false);
        ReadProperty(SubPath(Path, Stored), Object, P->Name, Recursive, ClearFirst);
    }
}

void TKitCustomAppStorage::WritePersistent(const String& Path, TPersistent* Object, bool Recursive,
                                           const TStrings* IgnoreProperties) {
    if (!Object) return;
    if (auto* Handler = dynamic_cast<IAppStorageHandler*>(Object)) {
        Handler->WriteToStorage(this, Path);
        if (!dynamic_cast<IAppStoragePublishedProps*>(Object)) return;
    }
    for (const TPropInfo* P : GetPropList(Object)) {
        if (IgnoreProperties && IgnoreProperties->IndexOf(P->Name) >= 0) continue;
        const String Stored = TranslatePropertyName(Object, P->Name, false);
        WriteProperty(SubPath(Path, Stored), Object, P->Name, Recursive);
    }
}

void TKitCustomAppStorage::WriteProperty(const String& Path, TPersistent* Object, const String& PropName,
                                         bool Recursive) {
    if (!Object) return;
    const TPropInfo* P = GetPropInfo(Object, PropName);
    if (!P || !P->Reader) return;
    const bool StoreDefaults = StorageOptions()->StoreDefaultValues();
    if (!StoreDefaults && !(P->Writer && IsStoredProp(Object, P))) return;
    const TTypeInfo* Type = P->PropType;
    switch (Type->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration: {
        const Int64 V = GetOrdProp(Object, P);
        if (!StoreDefaults && P->HasDefault() && V == P->Default) return;
        if (Type->Kind == tkEnumeration || StorageOptions()->TypedIntegerAsString())
            WriteOrdinalValue(Path, Type, V);
        else
            WriteInteger(Path, static_cast<int>(V));
        break;
    }
    case tkFloat: {
        const double V = GetFloatProp(Object, P);
        if (!StoreDefaults && V == 0) return;
        if (Type == DateTimeTypeInfo())
            WriteDateTime(Path, V);
        else
            WriteFloat(Path, V);
        break;
    }
    case tkString:
    case tkLString:
    case tkUString: {
        const String V = GetStrProp(Object, P);
        if (!StoreDefaults && V.empty()) return;
        WriteString(Path, V);
        break;
    }
    case tkWString: {
        const String V = GetStrProp(Object, P);
        if (!StoreDefaults && V.empty()) return;
        WriteWideString(Path, V);
        break;
    }
    case tkSet: {
        const TSetBits V = std::get<TSetBits>(P->Reader(Object));
        if (!StoreDefaults && P->HasDefault() && V == TSetBits(static_cast<UInt64>(P->Default))) return;
        WriteSetBits(Path, Type, V);
        break;
    }
    case tkInt64: {
        const Int64 V = GetInt64Prop(Object, P);
        if (!StoreDefaults && V == 0) return;
        WriteString(Path, IntToStr(V));
        break;
    }
    case tkClass: {
        TObject* Value = GetObjectProp(Object, P);
        if (!Value) return;
        if (Recursive)
            if (TKitAppStoragePropertyEngineList* Engines = RegisteredAppStoragePropertyEngineList())
                if (Engines->WriteProperty(this, Path, Object, Value, Recursive)) return;
        if (auto* SL = dynamic_cast<TStrings*>(Value))
            WriteStringList(Path, SL, u"Item");
        else if (!Recursive)
            return;
        else if (auto* C = dynamic_cast<TCollection*>(Value))
            WriteCollection(Path, C, u"Item");
        else if (auto* Pers = dynamic_cast<TPersistent*>(Value))
            WritePersistent(Path, Pers, true);
        break;
    }
    default:
        break; // events, interfaces, arrays and records are not stored
    }
}

void TKitCustomAppStorage::ReadProperty(const String& Path, TPersistent* Object, const String& PropName,
                                        bool Recursive, bool ClearFirst) {
    if (!Object) return;
    const TPropInfo* P = GetPropInfo(Object, PropName);
    if (!P || !P->Reader) return;
    const TTypeInfo* Type = P->PropType;
    // A value property that cannot be set is left alone; objects are filled in place.
    if (Type->Kind != tkClass && !P->Writer) return;
    switch (Type->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
        SetOrdProp(Object, P, ReadOrdinalValue(Path, Type, GetOrdProp(Object, P)));
        break;
    case tkFloat:
        if (Type == DateTimeTypeInfo())
            SetFloatProp(Object, P, ReadDateTime(Path, GetFloatProp(Object, P)));
        else
            SetFloatProp(Object, P, static_cast<double>(ReadFloat(Path, GetFloatProp(Object, P))));
        break;
    case tkString:
    case tkLString:
    case tkUString:
        SetStrProp(Object, P, ReadString(Path, GetStrProp(Object, P)));
        break;
    case tkWString:
        SetStrProp(Object, P, ReadWideString(Path, GetStrProp(Object, P)));
        break;
    case tkSet:
        P->Writer(Object, ReadSetBits(Path, Type, std::get<TSetBits>(P->Reader(Object))));
        break;
    case tkInt64:
        SetInt64Prop(Object, P, StrToInt64(ReadString(Path, IntToStr(GetInt64Prop(Object, P)))));
        break;
    case tkClass: {
        TObject* Value = GetObjectProp(Object, P);
        if (!Value) return;
        if (Recursive)
            if (TKitAppStoragePropertyEngineList* Engines = RegisteredAppStoragePropertyEngineList())
                if (Engines->ReadProperty(this, Path, Object, Value, Recursive, ClearFirst)) return;
        if (auto* SL = dynamic_cast<TStrings*>(Value))
            ReadStringList(Path, SL, ClearFirst, u"Item");
        else if (!Recursive)
            return;
        else if (auto* C = dynamic_cast<TCollection*>(Value))
            ReadCollection(Path, C, ClearFirst, u"Item");
        else if (auto* Pers = dynamic_cast<TPersistent*>(Value))
            ReadPersistent(Path, Pers, true, ClearFirst);
        break;
    }
    default:
        break;
    }
}
