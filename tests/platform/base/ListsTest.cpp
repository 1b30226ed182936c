#include "platform/base/Exceptions.h"
#include "support/TestSupport.h"
#include "platform/base/Lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int A = 1, B = 2, C = 3, D = 4;

// Records what Notify hears, as "a+" (added), "a-" (deleted) and "ax" (extracted).
class TLoggingList : public TList {
public:
    ~TLoggingList() override { Clear(); }
    std::string Log;

protected:
    void Notify(void* Ptr, TListNotification Action) override {
        Log += char('a' + *static_cast<int*>(Ptr) - 1);
        Log += Action == lnAdded ? '+' : Action == lnDeleted ? '-' : 'x';
        Log += ' ';
    }
};

// Counts how many of its kind are alive.
std::vector<int> Values(const TList& L) {
    std::vector<int> R;
    for (int I = 0; I < L.Count(); ++I)
        R.push_back(L[I] ? *static_cast<int*>(L[I]) : 0);
    return R;
}

} // namespace

TEST(List, EditingKeepsOrder) {
    TList L;
    EXPECT_EQ(L.Add(&A), 0);
    EXPECT_EQ(L.Add(&C), 1);
    L.Insert(1, &B);
    L.Insert(3, &D);
    EXPECT_EQ(Values(L), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(L.IndexOf(&C), 2);
    EXPECT_EQ(L.IndexOf(nullptr), -1);
    EXPECT_EQ(L.First(), &A);
    EXPECT_EQ(L.Last(), &D);
    L.Exchange(0, 3);
    EXPECT_EQ(Values(L), (std::vector<int>{4, 2, 3, 1}));
    L.Move(0, 2);
    EXPECT_EQ(Values(L), (std::vector<int>{2, 3, 4, 1}));
    L.Move(3, 0);
    EXPECT_EQ(Values(L), (std::vector<int>{1, 2, 3, 4}));
    L.Delete(1);
    EXPECT_EQ(L.Remove(&D), 2);
    EXPECT_EQ(L.Remove(&D), -1);
    EXPECT_EQ(Values(L), (std::vector<int>{1, 3}));
    L.SetCount(4);
    EXPECT_EQ(Values(L), (std::vector<int>{1, 3, 0, 0}));
    L.SetItems(3, &B);
    L.Pack();
    EXPECT_EQ(Values(L), (std::vector<int>{1, 3, 2}));
    L.Sort([](void* X, void* Y) { return *static_cast<int*>(Y) - *static_cast<int*>(X); });
    EXPECT_EQ(Values(L), (std::vector<int>{3, 2, 1}));
    TList Copy;
    Copy.Add(&D);
    Copy.Assign(&L);
    EXPECT_EQ(Values(Copy), (std::vector<int>{3, 2, 1}));
    L.SetCapacity(50);
    EXPECT_GE(L.Capacity(), 50);
    L.Clear();
    EXPECT_EQ(L.Count(), 0);
}

TEST(List, BadIndexesAndSizes) {
    TList L;
    L.Add(&A);
    struct Case {
        std::function<void()> Action;
        String Message;
    };
    const Case Cases[] = {
        {[&] { L.Items(1); }, u"List index out of bounds (1)"},
        {[&] { L.Items(-1); }, u"List index out of bounds (-1)"},
        {[&] { L.Delete(1); }, u"List index out of bounds (1)"},
        {[&] { L.Insert(2, &B); }, u"List index out of bounds (2)"},
        {[&] { L.Exchange(0, 5); }, u"List index out of bounds (5)"},
        {[&] { L.Move(0, 1); }, u"List index out of bounds (1)"},
        {[&] { L.SetItems(3, &B); }, u"List index out of bounds (3)"},
        {[&] { L.SetCount(-1); }, u"List count out of bounds (-1)"},
        {[&] { L.SetCapacity(0); }, u"List capacity out of bounds (0)"},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(ThrownMessage<EListError>(C.Action), C.Message);
    EXPECT_EQ(L.Count(), 1);
    TList Empty;
    EXPECT_EQ(ThrownMessage<EListError>([&] { Empty.First(); }), u"List index out of bounds (0)");
    EXPECT_EQ(ThrownMessage<EListError>([&] { Empty.Last(); }), u"List index out of bounds (-1)");
}

TEST(List, NotifyHearsEveryPointerComeAndGo) {
    TLoggingList L;
    L.Add(&A);
    L.Insert(0, &B);
    L.Add(nullptr);
    L.SetItems(0, &C);
    L.Extract(&A);
    L.Add(&D);
    L.Remove(&D);
    L.Add(&A);
    L.Move(0, 2);
    L.SetCount(1);
    EXPECT_EQ(L.Log, "a+ b+ b- c+ ax d+ d- a+ c- a- ");
    EXPECT_EQ(L.Count(), 1);
    EXPECT_EQ(L.Items(0), nullptr);
    L.Add(&B);
    L.Clear();
    EXPECT_EQ(L.Log, "a+ b+ b- c+ ax d+ d- a+ c- a- b+ b- ");
}

TEST(ObjectList, OwnsWhatItHolds) {
    int Live = 0;
    {
        TObjectList L;
        for (int I = 0; I < 5; ++I)
            L.Add(new TTracked(Live));
        EXPECT_EQ(Live, 5);
        L.Delete(0);
        EXPECT_EQ(L.Remove(L[0]), 0);
        EXPECT_EQ(Live, 3);
        L.SetItems(0, new TTracked(Live)); // the replaced object goes
        EXPECT_EQ(Live, 3);
        std::unique_ptr<TObject> Kept(L.Extract(L.Last()));
        EXPECT_EQ(Live, 3);
        EXPECT_EQ(L.Count(), 2);
        L.Insert(0, new TTracked(Live));
        EXPECT_EQ(Live, 4);
    }
    EXPECT_EQ(Live, 0); // two in the list at its end, the extracted one by its holder

    TTracked Outside(Live);
    {
        TObjectList NotOwning(false);
        NotOwning.Add(&Outside);
        NotOwning.Delete(0);
        NotOwning.Add(&Outside);
        EXPECT_FALSE(NotOwning.OwnsObjects());
    }
    EXPECT_EQ(Live, 1);
}
