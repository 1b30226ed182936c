#include "platform/base/Collection.h"

#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <algorithm>

// ---- TCollectionItem ----

TCollectionItem::TCollectionItem(TCollection* ACollection) {
    if (ACollection) ACollection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
    if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value) {
    if (FCollection == Value) return;
    if (FCollection) FCollection->RemoveItem(this);
    if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
    if (!FCollection) return -1;
    const auto& Items = FCollection->FItems;
    const auto It = std::find(Items.begin(), Items.end(), this);
    return It == Items.end() ? -1 : static_cast<int>(It - Items.begin());
}

void TCollectionItem::SetIndex(int Value) {
    const int Current = Index();
    if (Current < 0 || Current == Value) return;
    auto& Items = FCollection->FItems;
    if (Value < 0 || Value >= static_cast<int>(Items.size())) TCollection::IndexError(Value);
    Items.erase(Items.begin() + Current);
    Items.insert(Items.begin() + Value, this);
    Changed(true);
}

void TCollectionItem::SetDisplayName(const String&) {
    Changed(false);
}

String TCollectionItem::GetNamePath() const {
    if (!FCollection) return ClassName();
    return Format(u"%s[%d]", {FCollection->GetNamePath(), Index()});
}

void TCollectionItem::Changed(bool AllItems) {
    if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

String TCollectionItem::GetDisplayName() const {
    return ClassName();
}

TPersistent* TCollectionItem::GetOwner() const {
    return FCollection;
}

// ---- TCollection ----

TCollection::TCollection(TCollectionItemClass AItemClass) : FItemClass(AItemClass) {}

TCollection::~TCollection() {
    FUpdateCount = 1; // a collection that goes reports nothing
    Clear();
}

TCollectionItem* TCollection::Add() {
    if (!FItemClass.Create) throw EInvalidOperation(u"The collection has no item class");
    return FItemClass.Create(this);
}

TCollectionItem* TCollection::Insert(int Index) {
    if (Index < 0 || Index > Count()) IndexError(Index);
    TCollectionItem* Item = Add();
    Item->SetIndex(Index);
    return Item;
}

void TCollection::Delete(int Index) {
    TCollectionItem* Item = Items(Index);
    Notify(Item, cnDeleting);
    delete Item;
}

void TCollection::Clear() {
    if (FItems.empty()) return;
    TUpdateBracket Update(*this);
    while (!FItems.empty())
        delete FItems.back();
}

void TCollection::BeginUpdate() {
    ++FUpdateCount;
}

void TCollection::EndUpdate() {
    --FUpdateCount;
    Changed();
}

TCollectionItem* TCollection::FindItemID(int ID) const {
    for (TCollectionItem* Item : FItems)
        if (Item->FID == ID) return Item;
    return nullptr;
}

TCollectionItem* TCollection::Items(int Index) const {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    return FItems[static_cast<size_t>(Index)];
}

void TCollection::SetItems(int Index, TCollectionItem* Value) {
    Items(Index)->Assign(Value);
}

void TCollection::Assign(TPersistent* Source) {
    auto* Other = dynamic_cast<TCollection*>(Source);
    if (!Other) {
        TPersistent::Assign(Source);
        return;
    }
    if (Other == this) return;
    TUpdateBracket Update(*this);
    Clear();
    for (TCollectionItem* Item : Other->FItems)
        Add()->Assign(Item);
}

String TCollection::GetNamePath() const {
    const TPersistent* AOwner = GetOwner();
    if (!AOwner) return ClassName();
    const String OwnerPath = AOwner->GetNamePath();
    if (OwnerPath.empty()) return ClassName();
    const String Prop = PropName();
    if (Prop.empty()) return ClassName();
    return OwnerPath + u"." + Prop;
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Changed() {
    if (FUpdateCount == 0) Update(nullptr);
}

String TCollection::PropName() const {
    TPersistent* AOwner = GetOwner();
    if (!AOwner) return String();
    for (const TPropInfo* Prop : GetPropList(AOwner))
        if (Prop->PropType->Kind == tkClass && Prop->Reader && GetObjectProp(AOwner, Prop) == this)
            return Prop->Name;
    return String();
}

void TCollection::InsertItem(TCollectionItem* Item) {
    FItems.push_back(Item);
    Item->FCollection = this;
    Item->FID = FNextID++;
    Notify(Item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
    Notify(Item, cnExtracting);
    const auto It = std::find(FItems.begin(), FItems.end(), Item);
    if (It != FItems.end()) FItems.erase(It);
    Item->FCollection = nullptr;
    Changed();
}

void TCollection::IndexError(int Index) {
    throw EListError(Format(u"List index out of bounds (%d)", {Index}));
}
