#include "settings/KitPropStorage.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <map>

namespace {

const String ItemSeparator = u"_";

// Property names are identifiers: ASCII letter case is all that may differ.
bool SamePropName(const String& A, const String& B) {
    return CompareText(A, B) == 0;
}

} // namespace

TTypeKinds AllPropertyKinds() {
    TTypeKinds Kinds;
    for (int K = tkInteger; K <= tkUString; ++K)
        Kinds.Include(static_cast<TTypeKind>(K));
    return Kinds;
}

// ---- TKitPropInfoList -------------------------------------------------------------------------

TKitPropInfoList::TKitPropInfoList(TObject* AObject, TTypeKinds Filter) {
    if (!AObject) return;
    for (const TPropInfo* P : GetPropList(AObject))
        if (P->PropType && Filter.Contains(P->PropType->Kind)) FList.push_back(P);
    std::stable_sort(FList.begin(), FList.end(), [](const TPropInfo* A, const TPropInfo* B) {
        return CompareText(A->Name, B->Name) < 0;
    });
}

const TPropInfo* TKitPropInfoList::Find(const String& AName) const {
    for (const TPropInfo* P : FList)
        if (SamePropName(P->Name, AName)) return P;
    return nullptr;
}

bool TKitPropInfoList::Contains(const TPropInfo* P) const {
    return std::any_of(FList.begin(), FList.end(), [P](const TPropInfo* Q) {
        return Q->PropType == P->PropType && SamePropName(Q->Name, P->Name);
    });
}

void TKitPropInfoList::Delete(int Index) {
    FList.erase(FList.begin() + Index);
}

void TKitPropInfoList::Intersect(const TKitPropInfoList* List) {
    for (int I = Count() - 1; I >= 0; --I)
        if (!List->Contains(FList[static_cast<size_t>(I)])) Delete(I);
}

// ---- Stored lists -----------------------------------------------------------------------------

bool SplitStoredItem(const String& Line, String& ComponentName, String& PropertyName) {
    const int P = Pos(u".", Line);
    if (P == 0) return false;
    ComponentName = Trim(Copy(Line, 1, P - 1));
    PropertyName = Trim(Copy(Line, P + 1, static_cast<int>(Line.size())));
    return !ComponentName.empty() && !PropertyName.empty();
}

String MakeStoredItem(const String& ComponentName, const String& PropertyName) {
    if (ComponentName.empty() || PropertyName.empty()) return String();
    return ComponentName + u"." + PropertyName;
}

String RenameStoredItem(const String& Line, const String& NewComponentName) {
    String Component, Property;
    if (!SplitStoredItem(Line, Component, Property)) return String();
    return MakeStoredItem(NewComponentName, Property);
}

void SyncStoredList(TComponent* AComponent, TStrings* List, bool FromForm) {
    if (!AComponent || !List) return;
    for (int I = List->Count() - 1; I >= 0; --I) {
        String Component, Property;
        if (!SplitStoredItem(List->Strings(I), Component, Property)) {
            List->Delete(I);
            continue;
        }
        if (FromForm) {
            if (TComponent* C = AComponent->FindComponent(Component))
                List->SetObject(I, C);
            else
                List->Delete(I);
        } else if (auto* C = dynamic_cast<TComponent*>(List->Objects(I))) {
            TObject* Keep = C;
            List->SetString(I, RenameStoredItem(List->Strings(I), C->Name()));
            List->SetObject(I, Keep);
        } else {
            List->Delete(I);
        }
    }
}

// ---- TKitPropertyStorage ----------------------------------------------------------------------

String TKitPropertyStorage::ReadItemString(const String& Path, const String& Item, const String& Default) {
    if (!FAppStorage) return Default;
    return FAppStorage->ReadString(
        TKitCustomAppStorage::ConcatPaths({Path, FAppStorage->TranslatePropertyName(nullptr, Item, true)}),
        Default);
}

void TKitPropertyStorage::WriteItemString(const String& Path, const String& Item, const String& Value) {
    if (!FAppStorage) return;
    FAppStorage->WriteString(
        TKitCustomAppStorage::ConcatPaths({Path, FAppStorage->TranslatePropertyName(nullptr, Item, false)}),
        Value);
}

void TKitPropertyStorage::EraseItems(const String& Path) {
    if (FAppStorage) FAppStorage->DeleteSubTree(Path);
}

std::unique_ptr<TKitPropertyStorage> TKitPropertyStorage::CloneStorage() {
    auto Clone = std::make_unique<TKitPropertyStorage>();
    Clone->SetAppStorage(FAppStorage);
    return Clone;
}

String TKitPropertyStorage::PropPath(const TPropInfo* PropInfo, bool Reading) {
    auto* Instance = dynamic_cast<TPersistent*>(FObject);
    return TKitCustomAppStorage::ConcatPaths(
        {FAppStoragePath, FAppStorage->TranslatePropertyName(Instance, ItemName(PropInfo->Name), Reading)});
}

void TKitPropertyStorage::LoadAnyProperty(const TPropInfo* PropInfo) {
    auto* Instance = dynamic_cast<TPersistent*>(FObject);
    if (!PropInfo || !Instance || !FAppStorage) return;
    try {
        const String Path = PropPath(PropInfo, true);
        // Only what the store holds is read: a missing value keeps the property as it is.
        if (FAppStorage->ValueStored(Path) || FAppStorage->IsFolder(Path, false))
            FAppStorage->ReadProperty(Path, Instance, PropInfo->Name, true, true);
    } catch (...) {
        // One unreadable value must not keep the others from loading.
    }
}

void TKitPropertyStorage::StoreAnyProperty(const TPropInfo* PropInfo) {
    auto* Instance = dynamic_cast<TPersistent*>(FObject);
    if (!PropInfo || !Instance || !FAppStorage) return;
    FAppStorage->WriteProperty(PropPath(PropInfo, false), Instance, PropInfo->Name, true);
}

void TKitPropertyStorage::LoadProperties(TStrings* PropList) {
    TKitPropInfoList Props(FObject, AllPropertyKinds());
    for (int I = 0; I < PropList->Count(); ++I)
        LoadAnyProperty(Props.Find(PropList->Strings(I)));
}

void TKitPropertyStorage::StoreProperties(TStrings* PropList) {
    TKitPropInfoList Props(FObject, AllPropertyKinds());
    for (int I = 0; I < PropList->Count(); ++I)
        StoreAnyProperty(Props.Find(PropList->Strings(I)));
}

template <class F> void TKitPropertyStorage::Pass(TComponent* AComponent, TStrings* StoredList, F Action) {
    if (!AComponent || !StoredList) return;
    SyncStoredList(AComponent, StoredList, false);
    // The published properties of each listed component, found once per component.
    std::map<String, std::unique_ptr<TKitPropInfoList>> InfoLists;
    for (int I = 0; I < StoredList->Count(); ++I)
        if (auto* C = dynamic_cast<TComponent*>(StoredList->Objects(I)))
            if (!InfoLists.count(C->Name()))
                InfoLists.emplace(C->Name(), std::make_unique<TKitPropInfoList>(C, AllPropertyKinds()));
    if (InfoLists.empty()) return;
    FOwner = AComponent;
    TScopeExit Done([&] {
        FOwner = nullptr;
        FObject = nullptr;
        FPrefix.clear();
    });
    for (int I = 0; I < StoredList->Count(); ++I) {
        String Component, Property;
        if (!SplitStoredItem(StoredList->Strings(I), Component, Property)) continue;
        auto* C = dynamic_cast<TComponent*>(StoredList->Objects(I));
        if (!C) continue;
        FObject = C;
        FPrefix = C->Name();
        auto It = InfoLists.find(FPrefix);
        if (It == InfoLists.end()) continue;
        FPrefix += ItemSeparator;
        Action(It->second->Find(Property));
    }
}

void TKitPropertyStorage::LoadObjectsProps(TComponent* AComponent, TStrings* StoredList) {
    Pass(AComponent, StoredList, [this](const TPropInfo* P) { LoadAnyProperty(P); });
}

void TKitPropertyStorage::StoreObjectsProps(TComponent* AComponent, TStrings* StoredList) {
    Pass(AComponent, StoredList, [this](const TPropInfo* P) { StoreAnyProperty(P); });
}
