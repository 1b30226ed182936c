#pragma once
// TCollection and TCollectionItem: an ordered list of items of one class that the collection
// owns. An item joins its collection when it is made (TCollectionItem(Collection)) and leaves it
// when it is deleted; it carries a position (Index) and an ID that stays with it for its life.
// Changes are reported through the collection's Update, held back inside BeginUpdate/EndUpdate.

#include "platform/base/Persistent.h"

#include <vector>

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
    DECLARE_CLASS(TCollectionItem, TPersistent)
public:
    // Joins ACollection (when given) as its last item.
    explicit TCollectionItem(TCollection* ACollection);
    // Leaves the collection.
    ~TCollectionItem() override;

    TCollection* Collection() const { return FCollection; }
    // Leaves the present collection and joins Value as its last item.
    virtual void SetCollection(TCollection* Value);
    // Given by the collection when the item joins it; unique within that collection.
    int ID() const { return FID; }
    // The position in the collection; -1 in none.
    int Index() const;
    // Moves the item; EListError "List index out of bounds (%d)" outside 0 .. Count - 1.
    virtual void SetIndex(int Value);
    String DisplayName() const { return GetDisplayName(); }
    virtual void SetDisplayName(const String& Value);
    // "<collection path>[<index>]", or the class name in no collection.
    String GetNamePath() const override;

protected:
    // Tells the collection (unless it is updating): AllItems for a change that concerns them all.
    void Changed(bool AllItems);
    // The class name unless a descendant has a better text.
    virtual String GetDisplayName() const;
    TPersistent* GetOwner() const override;

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

// How a collection makes its items: the class and a maker. TCollectionItemClass::Of<TFoo>().
struct TCollectionItemClass {
    TClass ClassType = nullptr;
    TCollectionItem* (*Create)(TCollection* Collection) = nullptr;

    template <class T> static TCollectionItemClass Of() {
        static_assert(std::is_base_of_v<TCollectionItem, T>, "collection items derive from TCollectionItem");
        return {T::StaticClass(),
                [](TCollection* Collection) -> TCollectionItem* { return new T(Collection); }};
    }
};

class TCollection : public TPersistent {
    DECLARE_CLASS(TCollection, TPersistent)
public:
    explicit TCollection(TCollectionItemClass AItemClass);
    // Deletes the items without reporting the change.
    ~TCollection() override;

    // A new item of the item class, at the end.
    TCollectionItem* Add();
    // A new item at Index (0 .. Count); EListError "List index out of bounds (%d)" otherwise,
    // and then nothing is added.
    TCollectionItem* Insert(int Index);
    // Reports cnDeleting, then deletes the item.
    void Delete(int Index);
    void Clear();
    virtual void BeginUpdate();
    virtual void EndUpdate();
    // Null when no item has that ID.
    TCollectionItem* FindItemID(int ID) const;

    int Count() const { return static_cast<int>(FItems.size()); }
    // EListError "List index out of bounds (%d)" outside 0 .. Count - 1.
    TCollectionItem* Items(int Index) const;
    // Copies Value into the item at Index.
    void SetItems(int Index, TCollectionItem* Value);
    const TCollectionItemClass& ItemClass() const { return FItemClass; }
    TPersistent* Owner() const { return GetOwner(); }
    int UpdateCount() const { return FUpdateCount; }
    int NextID() const { return FNextID; }

    // From another collection: clears this one and adds a copy of each source item, in one
    // update. Assigning a collection to itself changes nothing.
    void Assign(TPersistent* Source) override;
    // "<owner path>.<property>" when the owner has a path and publishes this collection as a
    // property; else the class name.
    String GetNamePath() const override;

protected:
    // A change: Item is the changed item, null when the change concerns the whole collection.
    virtual void Update(TCollectionItem* Item);
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
    // Update(nil) unless the collection is updating.
    void Changed();
    // The name of the owner's published property that holds this collection; empty when none.
    String PropName() const;

private:
    friend class TCollectionItem;
    TCollectionItemClass FItemClass;
    std::vector<TCollectionItem*> FItems;
    int FUpdateCount = 0;
    int FNextID = 0;

    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);
    [[noreturn]] static void IndexError(int Index);
};

// A collection whose owner (for name paths and the streaming system) is given at construction.
class TOwnedCollection : public TCollection {
    DECLARE_CLASS(TOwnedCollection, TCollection)
public:
    TOwnedCollection(TPersistent* AOwner, TCollectionItemClass AItemClass)
        : TCollection(AItemClass), FOwner(AOwner) {}

protected:
    TPersistent* GetOwner() const override { return FOwner; }

private:
    TPersistent* FOwner;
};
