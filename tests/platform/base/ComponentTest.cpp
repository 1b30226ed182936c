#include "platform/base/Component.h"
#include "support/TestSupport.h"
#include "platform/base/Strings.h"

#include <gtest/gtest.h>

namespace {

using TLog = std::vector<String>;

// Writes what happens to it into a log; a test can hook its notifications.
class TProbe : public TComponent {
    DECLARE_CLASS(TProbe, TComponent)
public:
    TProbe(TComponent* AOwner, const String& AName, TLog* ALog) : TComponent(AOwner), FLog(ALog) {
        SetName(AName);
    }
    ~TProbe() override {
        FLog->push_back(Name() + u" freed" + (Owner() ? u" while owned" : u"") +
                        (ComponentState().Contains(csDestroying) ? u"" : u" without csDestroying"));
    }
    std::function<void(TProbe* Self, TComponent* AComponent, TOperation Operation)> OnNotify;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        FLog->push_back(Name() + (Operation == opInsert ? u" +" : u" -") + AComponent->Name());
        if (OnNotify) OnNotify(this, AComponent, Operation);
        TComponent::Notification(AComponent, Operation);
    }

private:
    TLog* FLog;
};

bool Freed(const TLog& Log, const String& Name) {
    return std::any_of(Log.begin(), Log.end(),
                       [&](const String& L) { return L.starts_with(Name + u" freed"); });
}

} // namespace

TEST(Component, OwnerFreesItsComponentsLastFirst) {
    TLog Log;
    auto* Owner = new TProbe(nullptr, u"Form", &Log);
    auto* A = new TProbe(Owner, u"A", &Log);
    auto* B = new TProbe(Owner, u"B", &Log);
    new TProbe(Owner, u"C", &Log);
    new TProbe(A, u"A1", &Log); // owned one level down

    EXPECT_EQ(Owner->ComponentCount(), 3);
    EXPECT_EQ(Owner->Components(1), B);
    EXPECT_EQ(B->ComponentIndex(), 1);
    EXPECT_EQ(Owner->ComponentIndex(), -1);
    EXPECT_EQ(Owner->FindComponent(u"b"), B);
    EXPECT_EQ(Owner->FindComponent(u"A1"), nullptr); // only its own components
    EXPECT_EQ(Owner->FindComponent(u""), nullptr);
    EXPECT_EQ(ThrownMessage<EListError>([&] { Owner->Components(3); }), u"List index out of bounds (3)");
    B->SetComponentIndex(0);
    EXPECT_EQ(Owner->Components(0), B);
    EXPECT_EQ(A->GetNamePath(), u"A");

    Log.clear();
    delete Owner;
    // Each goes out of the list before it is freed, and every one has csDestroying set.
    EXPECT_EQ(Log, (TLog{u"Form freed", u"C freed", u"A freed", u"A1 freed", u"B freed"}));
}

TEST(Component, NamesAreIdentifiersUniqueWithinTheOwner) {
    TLog Log;
    TProbe Owner(nullptr, u"Form", &Log);
    auto* Edit = new TProbe(&Owner, u"Edit1", &Log);
    auto* Other = new TProbe(&Owner, u"", &Log);

    struct Case {
        const char16_t* Name;
        bool Valid;
    };
    const Case Cases[] = {{u"btnOk", true}, {u"_x1", true},  {u"", true},    {u"1abc", false},
                          {u"a b", false},  {u"a.b", false}, {u"Öl", false}, {u"x-y", false}};
    TComponent Loose(nullptr);
    for (const Case& C : Cases) {
        SCOPED_TRACE(StringToUtf8(C.Name));
        if (C.Valid) {
            Loose.SetName(C.Name);
            EXPECT_EQ(Loose.Name(), C.Name);
        } else {
            EXPECT_EQ(ThrownMessage<EComponentError>([&] { Loose.SetName(C.Name); }),
                      u"'" + String(C.Name) + u"' is not a valid component name");
        }
    }

    EXPECT_EQ(ThrownMessage<EComponentError>([&] { Other->SetName(u"EDIT1"); }),
              u"A component named EDIT1 already exists");
    EXPECT_EQ(Other->Name(), u"");
    // One being loaded under an owner that is not (a form built in code for that owner) takes
    // a free name with a number instead.
    for (const char16_t* Expected : {u"Edit1_1", u"Edit1_2"}) {
        auto* Loaded = new TProbe(&Owner, u"", &Log);
        Loaded->SetComponentState(Loaded->ComponentState() + TComponentState{csLoading});
        Loaded->SetName(u"Edit1");
        Loaded->Loaded();
        EXPECT_EQ(Loaded->Name(), Expected);
    }
    Edit->SetName(u"EDIT1"); // itself, in other letters
    EXPECT_EQ(Edit->Name(), u"EDIT1");
    new TProbe(&Owner, u"", &Log); // several unnamed ones are fine

    // A component of a name the new owner has already stays where it was.
    TProbe Second(nullptr, u"Form2", &Log);
    auto* Twin = new TProbe(&Second, u"edit1", &Log);
    EXPECT_THROW(Owner.InsertComponent(Twin), EComponentError);
    EXPECT_EQ(Twin->Owner(), &Second);
    EXPECT_THROW(Twin->InsertComponent(&Second), EComponentError); // no cycles
}

TEST(Component, OwnerTreeHearsOfInsertAndRemove) {
    TLog Log;
    TProbe Owner(nullptr, u"Form", &Log);
    auto* Sibling = new TProbe(&Owner, u"Sib", &Log);
    TProbe Second(nullptr, u"Form2", &Log);
    auto* X = new TProbe(&Second, u"X", &Log);

    Log.clear();
    Owner.InsertComponent(X); // moves X over: the former owner hears of the removal
    EXPECT_EQ(X->Owner(), &Owner);
    EXPECT_EQ(Second.ComponentCount(), 0);
    EXPECT_EQ(Log, (TLog{u"Form2 -X", u"X -X", u"Form +X", u"X +X", u"Sib +X"}));

    Log.clear();
    Owner.RemoveComponent(X);
    EXPECT_EQ(X->Owner(), nullptr);
    EXPECT_EQ(Log, (TLog{u"Form -X", u"X -X", u"Sib -X"}));
    delete X;
    EXPECT_EQ(Owner.ComponentCount(), 1);

    Log.clear();
    delete Sibling; // leaving its owner on the way out, after its own destructor
    EXPECT_EQ(Log, (TLog{u"Sib freed while owned", u"Form -Sib"}));
    EXPECT_EQ(Owner.ComponentCount(), 0);
}

TEST(Component, FreeNotificationWorksBothWays) {
    TLog Log;
    auto* Target = new TProbe(nullptr, u"Target", &Log);
    auto* Holder = new TProbe(nullptr, u"Holder", &Log);
    bool SawWholeObject = false;
    Holder->OnNotify = [&](TProbe*, TComponent* A, TOperation Op) {
        // The going component is still whole and already marked.
        SawWholeObject =
            Op == opRemove && dynamic_cast<TProbe*>(A) && A->ComponentState().Contains(csDestroying);
    };
    Target->FreeNotification(Holder);
    EXPECT_TRUE(Target->ComponentState().Contains(csFreeNotification));

    Log.clear();
    delete Target;
    EXPECT_EQ(Log, (TLog{u"Holder -Target", u"Target freed"}));
    EXPECT_TRUE(SawWholeObject);
    Log.clear();
    delete Holder; // must not call the freed target
    EXPECT_EQ(Log, (TLog{u"Holder freed"}));

    // The holder goes first: the target forgets it.
    Target = new TProbe(nullptr, u"Target", &Log);
    Holder = new TProbe(nullptr, u"Holder", &Log);
    Target->FreeNotification(Holder);
    Log.clear();
    delete Holder;
    EXPECT_EQ(Log, (TLog{u"Target -Holder", u"Holder freed"}));
    Log.clear();
    delete Target;
    EXPECT_EQ(Log, (TLog{u"Target freed"}));

    // Removed again: nobody is told.
    Target = new TProbe(nullptr, u"Target", &Log);
    Holder = new TProbe(nullptr, u"Holder", &Log);
    Holder->FreeNotification(Target);
    Target->RemoveFreeNotification(Holder);
    Log.clear();
    delete Target;
    delete Holder;
    EXPECT_EQ(Log, (TLog{u"Target freed", u"Holder freed"}));
}

TEST(Component, LoadedClearsLoading) {
    TComponent C(nullptr);
    C.SetComponentState(TComponentState{csLoading, csDesigning});
    C.Loaded();
    EXPECT_EQ(C.ComponentState(), TComponentState{csDesigning});
}

// Handlers that free components while notifications run: every case must leave no dangling
// pointer (the suite is run under AddressSanitizer to check).
TEST(Component, DeletionWhileNotificationsRun) {
    TLog Log;
    {
        // A holder frees another holder of the same component.
        auto* Target = new TProbe(nullptr, u"Target", &Log);
        auto* H1 = new TProbe(nullptr, u"H1", &Log);
        TProbe* H2 = new TProbe(nullptr, u"H2", &Log);
        Target->FreeNotification(H1);
        Target->FreeNotification(H2);
        H2->OnNotify = [&](TProbe*, TComponent* A, TOperation) {
            if (A == Target && H1) {
                delete H1;
                H1 = nullptr;
            }
        };
        delete Target;
        EXPECT_EQ(H1, nullptr);
        delete H2;
    }
    {
        // A holder frees the going component again: the first delete finishes alone.
        auto* Target = new TProbe(nullptr, u"Target", &Log);
        auto* Holder = new TProbe(nullptr, u"Holder", &Log);
        Target->FreeNotification(Holder);
        Holder->OnNotify = [&](TProbe*, TComponent* A, TOperation) { delete A; };
        Log.clear();
        delete Target;
        EXPECT_EQ(std::count(Log.begin(), Log.end(), u"Target freed"), 1);
        delete Holder;
    }
    {
        // A component frees its own owner while the owner passes news on: the owner goes
        // when its notification has ended, taking its components with it.
        auto* Owner = new TProbe(nullptr, u"Form", &Log);
        auto* Child = new TProbe(Owner, u"Child", &Log);
        new TProbe(Owner, u"Other", &Log);
        Child->OnNotify = [&](TProbe* Self, TComponent*, TOperation Op) {
            if (Op == opInsert) delete Self->Owner();
        };
        Log.clear();
        auto* Late = new TProbe(nullptr, u"Late", &Log);
        Owner->InsertComponent(Late);
        EXPECT_TRUE(Freed(Log, u"Form"));
        EXPECT_TRUE(Freed(Log, u"Late"));
        EXPECT_TRUE(Freed(Log, u"Child"));
        EXPECT_TRUE(Freed(Log, u"Other"));
    }
    {
        // Components free themselves and a sibling when one of them leaves.
        TProbe Owner(nullptr, u"Form", &Log);
        auto* A = new TProbe(&Owner, u"A", &Log);
        auto* B = new TProbe(&Owner, u"B", &Log);
        auto* C = new TProbe(&Owner, u"C", &Log);
        C->OnNotify = [&](TProbe* Self, TComponent* Going, TOperation Op) {
            if (Op == opRemove && Going == A) {
                delete B;
                delete Self;
            }
        };
        Log.clear();
        delete A;
        EXPECT_EQ(Owner.ComponentCount(), 0);
        EXPECT_TRUE(Freed(Log, u"B") && Freed(Log, u"C") && Freed(Log, u"A"));
    }
}

namespace {

class TPoint : public TPersistent {
    DECLARE_CLASS(TPoint, TPersistent)
public:
    int X = 0;
    TComponent* Holder = nullptr;

    void Assign(TPersistent* Source) override {
        if (auto* P = dynamic_cast<TPoint*>(Source)) {
            X = P->X;
            return;
        }
        TPersistent::Assign(Source);
    }

protected:
    TPersistent* GetOwner() const override { return Holder; }
};

} // namespace

TEST(Persistent, AssignCopiesOrNamesBothClasses) {
    TPoint A, B;
    A.X = 5;
    B.Assign(&A);
    EXPECT_EQ(B.X, 5);

    TComponent C(nullptr);
    EXPECT_EQ(ThrownMessage<EConvertError>([&] { B.Assign(&C); }), u"Cannot assign a TComponent to a TPoint");
    EXPECT_EQ(ThrownMessage<EConvertError>([&] { C.Assign(&A); }), u"Cannot assign a TPoint to a TComponent");
    EXPECT_EQ(ThrownMessage<EConvertError>([&] { C.Assign(nullptr); }),
              u"Cannot assign a nil to a TComponent");

    EXPECT_EQ(A.GetNamePath(), u"TPoint");
    C.SetName(u"Form1");
    A.Holder = &C;
    EXPECT_EQ(A.GetNamePath(), u"Form1.TPoint");
}
