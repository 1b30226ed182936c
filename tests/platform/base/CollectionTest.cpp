#include "platform/base/Collection.h"
#include "platform/base/Component.h"

#include <gtest/gtest.h>

namespace {

class TTestItem : public TCollectionItem {
    DECLARE_CLASS(TTestItem, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    int Value = 0;
    void Touch() { Changed(false); }
    void TouchAll() { Changed(true); }
    void Assign(TPersistent* Source) override {
        if (auto* Other = dynamic_cast<TTestItem*>(Source))
            Value = Other->Value;
        else
            TCollectionItem::Assign(Source);
    }
};

// Records what the collection reports: "U:-" for Update(nil), "U:<id>" for an item, and
// "added:<id>", "extracting:<id>", "deleting:<id>".
class TTestCollection : public TCollection {
    DECLARE_CLASS(TTestCollection, TCollection)
public:
    TTestCollection() : TCollection(TCollectionItemClass::Of<TTestItem>()) {}
    std::vector<std::string> Log;
    TTestItem* Item(int I) const { return static_cast<TTestItem*>(Items(I)); }
    TTestItem* AddValue(int V) {
        auto* Item = static_cast<TTestItem*>(Add());
        Item->Value = V;
        return Item;
    }
    std::vector<int> Values() const {
        std::vector<int> R;
        for (int I = 0; I < Count(); ++I)
            R.push_back(Item(I)->Value);
        return R;
    }

protected:
    void Update(TCollectionItem* Item) override {
        Log.push_back(Item ? "U:" + std::to_string(Item->ID()) : "U:-");
    }
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
        static const char* const Names[] = {"added", "extracting", "deleting"};
        Log.push_back(std::string(Names[Action]) + ":" + std::to_string(Item->ID()));
    }
};

class TTestOwner : public TComponent {
    DECLARE_CLASS(TTestOwner, TComponent)
public:
    explicit TTestOwner(TComponent* AOwner)
        : TComponent(AOwner), FColumns(this, TCollectionItemClass::Of<TTestItem>()) {}
    TOwnedCollection* Columns() { return &FColumns; }

private:
    TOwnedCollection FColumns;
    static void Published(TPublisher<TTestOwner>& P) { P.Property(u"Columns", &TTestOwner::Columns); }
};

using Log = std::vector<std::string>;

} // namespace

TEST(Collection, AddInsertDeleteAndTheirReports) {
    TTestCollection C;
    C.AddValue(10);
    C.AddValue(20);
    EXPECT_EQ(C.Log, (Log{"added:0", "U:-", "added:1", "U:-"}));
    C.Log.clear();

    auto* Inserted = static_cast<TTestItem*>(C.Insert(1));
    Inserted->Value = 15;
    EXPECT_EQ(C.Values(), (std::vector<int>{10, 15, 20}));
    EXPECT_EQ(Inserted->ID(), 2);
    EXPECT_EQ(Inserted->Index(), 1);
    EXPECT_EQ(C.Log, (Log{"added:2", "U:-", "U:-"})); // joined at the end, then moved
    C.Log.clear();

    C.Delete(0);
    EXPECT_EQ(C.Log, (Log{"deleting:0", "extracting:0", "U:-"}));
    EXPECT_EQ(C.Values(), (std::vector<int>{15, 20}));
    EXPECT_EQ(C.FindItemID(0), nullptr);
    EXPECT_EQ(C.FindItemID(1), C.Item(1));
    EXPECT_EQ(C.NextID(), 3);

    // Deleting an item directly takes it out of its collection.
    C.Log.clear();
    delete C.Item(0);
    EXPECT_EQ(C.Log, (Log{"extracting:2", "U:-"}));
    EXPECT_EQ(C.Values(), (std::vector<int>{20}));
}

TEST(Collection, BadIndexesChangeNothing) {
    TTestCollection C;
    C.AddValue(1);
    struct Case {
        std::function<void()> Do;
        const char16_t* Message;
    };
    const Case Cases[] = {
        {[&] { C.Items(1); }, u"List index out of bounds (1)"},
        {[&] { C.Items(-1); }, u"List index out of bounds (-1)"},
        {[&] { C.Insert(2); }, u"List index out of bounds (2)"},
        {[&] { C.Delete(1); }, u"List index out of bounds (1)"},
        {[&] { C.Item(0)->SetIndex(1); }, u"List index out of bounds (1)"},
    };
    for (const Case& K : Cases) {
        try {
            K.Do();
            ADD_FAILURE() << "no error";
        } catch (const EListError& E) {
            EXPECT_EQ(E.Message(), K.Message);
        }
        EXPECT_EQ(C.Values(), std::vector<int>{1});
    }
}

TEST(Collection, ChangesAreHeldBackWhileUpdating) {
    TTestCollection C;
    TTestItem* A = C.AddValue(1);
    C.AddValue(2);
    C.Log.clear();

    A->Touch();
    A->TouchAll();
    EXPECT_EQ(C.Log, (Log{"U:0", "U:-"}));
    C.Log.clear();

    C.BeginUpdate();
    C.BeginUpdate();
    A->Touch();
    C.AddValue(3);
    A->SetIndex(2);
    C.EndUpdate();
    EXPECT_EQ(C.Log, (Log{"added:2"}));
    C.EndUpdate();
    EXPECT_EQ(C.Log, (Log{"added:2", "U:-"}));
    EXPECT_EQ(C.Values(), (std::vector<int>{2, 3, 1}));

    C.Log.clear();
    C.Clear();
    EXPECT_EQ(C.Count(), 0);
    EXPECT_EQ(C.Log, (Log{"extracting:0", "extracting:2", "extracting:1", "U:-"})); // the last first
}

TEST(Collection, AssignCopiesItemsAndKeepsItselfWhenAssignedToItself) {
    TTestCollection Source, Dest;
    Source.AddValue(1);
    Source.AddValue(2);
    Dest.AddValue(9);
    Dest.Log.clear();

    Dest.Assign(&Source);
    EXPECT_EQ(Dest.Values(), (std::vector<int>{1, 2}));
    EXPECT_EQ(Dest.Log.back(), "U:-");
    EXPECT_EQ(std::count(Dest.Log.begin(), Dest.Log.end(), "U:-"), 1); // one update for it all

    Dest.Assign(&Dest);
    EXPECT_EQ(Dest.Values(), (std::vector<int>{1, 2}));

    Dest.SetItems(0, Source.Item(1));
    EXPECT_EQ(Dest.Values(), (std::vector<int>{2, 2}));

    TComponent Other(nullptr);
    EXPECT_THROW(Dest.Assign(&Other), EConvertError);
    EXPECT_EQ(Dest.Values(), (std::vector<int>{2, 2}));
}

TEST(Collection, ItemsMoveBetweenCollections) {
    TTestCollection A, B;
    TTestItem* Item = A.AddValue(5);
    B.AddValue(6);
    Item->SetCollection(&B);
    EXPECT_EQ(A.Count(), 0);
    EXPECT_EQ(B.Values(), (std::vector<int>{6, 5}));
    EXPECT_EQ(Item->Collection(), &B);
    EXPECT_EQ(Item->ID(), 1);

    Item->SetCollection(nullptr);
    EXPECT_EQ(Item->Index(), -1);
    EXPECT_EQ(Item->GetNamePath(), u"TTestItem");
    delete Item;
    EXPECT_EQ(B.Count(), 1);
}

TEST(Collection, NamesAndOwner) {
    TTestOwner Owner(nullptr);
    Owner.SetName(u"Form1");
    TOwnedCollection* Columns = Owner.Columns();
    EXPECT_EQ(Columns->Owner(), &Owner);
    Columns->Add();
    TCollectionItem* Second = Columns->Add();
    EXPECT_EQ(Columns->GetNamePath(), u"Form1.Columns");
    EXPECT_EQ(Second->GetNamePath(), u"Form1.Columns[1]");
    EXPECT_EQ(Second->DisplayName(), u"TTestItem");

    // Without an owner path the collection names its class.
    TTestCollection Loose;
    EXPECT_EQ(Loose.AddValue(1)->GetNamePath(), u"TTestCollection[0]");
    EXPECT_EQ(Loose.Owner(), nullptr);
}

TEST(Collection, DestructionReportsNoUpdate) {
    std::vector<std::string> Seen;
    {
        struct TWatched : TTestCollection {
            std::vector<std::string>* Out;
            ~TWatched() override { *Out = Log; }
        } C;
        C.Out = &Seen;
        C.AddValue(1);
        C.Log.clear();
    }
    EXPECT_TRUE(Seen.empty());
}
