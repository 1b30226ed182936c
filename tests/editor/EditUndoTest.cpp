#include "editor/EditUndo.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const TBufferCoord P1 = MakeBufferCoord(1, 1);
const TBufferCoord P2 = MakeBufferCoord(4, 2);

void Change(TCodeEditUndoList& L, TCodeChangeReason Reason = crInsert, const String& Text = u"x") {
    L.AddChange(Reason, P1, P2, Text, smNormal);
}

// The change numbers of the items, oldest first (taken off a copy, so the list stays).
std::vector<int> Numbers(TCodeEditUndoList& L) {
    TCodeEditUndoList Copy;
    Copy.Assign(&L);
    std::vector<int> R;
    while (auto Item = Copy.PopItem())
        R.insert(R.begin(), Item->ChangeNumber());
    return R;
}

} // namespace

TEST(EditUndo, ChangesOutsideABlockTakeOneNumberEach) {
    TCodeEditUndoList L;
    int Added = 0;
    L.OnAddedUndo = [&](TObject* Sender) {
        EXPECT_EQ(Sender, &L);
        ++Added;
    };
    Change(L);
    Change(L);
    Change(L, crDelete);
    EXPECT_EQ(Numbers(L), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Added, 3);
    const TCodeEditUndoItem* Item = L.PeekItem();
    ASSERT_NE(Item, nullptr);
    EXPECT_EQ(Item->ChangeReason(), crDelete);
    EXPECT_EQ(Item->ChangeStartPos(), P1);
    EXPECT_EQ(Item->ChangeEndPos(), P2);
    EXPECT_EQ(Item->ChangeStr(), u"x");
    EXPECT_EQ(Item->ChangeSelMode(), smNormal);
    EXPECT_EQ(L.LastChangeReason(), crDelete);
}

TEST(EditUndo, ABlockGivesAllItsItemsOneNumber) {
    TCodeEditUndoList L;
    std::vector<int> Heard; // the newest item's number each time the event fires
    L.OnAddedUndo = [&](TObject*) { Heard.push_back(L.PeekItem()->ChangeNumber()); };
    Change(L);
    L.BeginBlock();
    EXPECT_EQ(L.BlockChangeNumber(), 2);
    Change(L);
    L.BeginBlock(); // nested: the same number
    EXPECT_EQ(L.BlockCount(), 2);
    Change(L);
    L.EndBlock();
    EXPECT_EQ(L.BlockChangeNumber(), 2);
    Change(L);
    L.EndBlock();
    EXPECT_EQ(L.BlockCount(), 0);
    EXPECT_EQ(L.BlockChangeNumber(), 0);
    Change(L);
    EXPECT_EQ(Numbers(L), (std::vector<int>{1, 2, 2, 2, 3}));
    // Every push is heard, and the closing of the block once more.
    EXPECT_EQ(Heard, (std::vector<int>{1, 2, 2, 2, 2, 3}));

    // An unopened block does nothing; an empty block uses up its number without a word.
    L.EndBlock();
    EXPECT_EQ(L.BlockCount(), 0);
    Heard.clear();
    L.BeginBlock();
    L.EndBlock();
    Change(L);
    EXPECT_EQ(L.PeekItem()->ChangeNumber(), 5);
    EXPECT_EQ(Heard, (std::vector<int>{5}));
}

TEST(EditUndo, ABlockNumberSetFromOutsideIsUsedAsItStands) {
    TCodeEditUndoList L;
    Change(L);
    L.SetBlockChangeNumber(1); // a replay keeps the number of the step it moves
    Change(L);
    L.SetBlockChangeNumber(0);
    Change(L);
    EXPECT_EQ(Numbers(L), (std::vector<int>{1, 1, 2}));
}

TEST(EditUndo, TheLimitDropsTheOldestItems) {
    TCodeEditUndoList L;
    EXPECT_EQ(L.MaxUndoActions(), 1024);
    L.SetMaxUndoActions(2);
    Change(L);
    Change(L);
    EXPECT_FALSE(L.FullUndoImpossible());
    Change(L);
    EXPECT_EQ(Numbers(L), (std::vector<int>{2, 3}));
    EXPECT_TRUE(L.FullUndoImpossible());
    L.Clear();
    EXPECT_FALSE(L.FullUndoImpossible());
    EXPECT_FALSE(L.CanUndo());

    Change(L);
    Change(L);
    L.SetMaxUndoActions(1);
    EXPECT_EQ(Numbers(L), (std::vector<int>{5}));
    int Added = 0;
    L.OnAddedUndo = [&](TObject*) { ++Added; };
    L.SetMaxUndoActions(-3);
    EXPECT_EQ(L.MaxUndoActions(), 0);
    EXPECT_EQ(L.ItemCount(), 0);
    // A limit of 0 keeps nothing; the new item is still announced, after it is gone.
    Change(L);
    EXPECT_EQ(L.ItemCount(), 0);
    EXPECT_EQ(Added, 1);
    EXPECT_EQ(L.PeekItem(), nullptr);
}

TEST(EditUndo, TheLimitDropsWholeStepsAndNeverTheNewest) {
    TCodeEditUndoList L;
    L.SetMaxUndoActions(3);
    // One step longer than the limit stays whole.
    L.BeginBlock();
    for (int I = 0; I < 5; ++I)
        Change(L);
    L.EndBlock();
    EXPECT_EQ(Numbers(L), (std::vector<int>{1, 1, 1, 1, 1}));
    EXPECT_FALSE(L.FullUndoImpossible());
    // The next step takes its place whole; then older steps go whole, never half.
    Change(L);
    EXPECT_EQ(Numbers(L), (std::vector<int>{2}));
    EXPECT_TRUE(L.FullUndoImpossible());
    L.BeginBlock();
    Change(L);
    Change(L);
    L.EndBlock();
    Change(L);
    EXPECT_EQ(Numbers(L), (std::vector<int>{3, 3, 4}));
    Change(L);
    EXPECT_EQ(Numbers(L), (std::vector<int>{4, 5}));
}

TEST(EditUndo, GroupBreaksAreAddedOnceAndNeverAnnounced) {
    TCodeEditUndoList L;
    int Added = 0;
    L.OnAddedUndo = [&](TObject*) { ++Added; };
    EXPECT_EQ(L.LastChangeReason(), crNothing);
    L.AddGroupBreak(); // an empty list takes one too
    EXPECT_EQ(L.ItemCount(), 1);
    Change(L);
    L.AddGroupBreak();
    L.AddGroupBreak();
    EXPECT_EQ(L.ItemCount(), 3);
    EXPECT_EQ(L.LastChangeReason(), crGroupBreak);
    EXPECT_EQ(L.PeekItem()->ChangeStr(), u"");
    EXPECT_EQ(L.PeekItem()->ChangeSelMode(), smNormal);
    EXPECT_EQ(Added, 1);
    EXPECT_EQ(Numbers(L), (std::vector<int>{1, 2, 3})); // a break takes a number like any item
}

TEST(EditUndo, InitialStateFollowsTheSavedPoint) {
    TCodeEditUndoList L;
    EXPECT_TRUE(L.InitialState());
    L.SetInitialState(true);
    Change(L);
    EXPECT_FALSE(L.InitialState());
    auto Item = L.PopItem();
    EXPECT_TRUE(L.InitialState());
    L.PushItem(std::move(Item));
    EXPECT_FALSE(L.InitialState());
    L.SetInitialState(true); // saved after the change
    EXPECT_TRUE(L.InitialState());
    L.SetInitialState(false); // at the point: it can no longer be reached
    EXPECT_FALSE(L.InitialState());
    Item = L.PopItem();
    EXPECT_FALSE(L.InitialState());
    L.PushItem(std::move(Item));
    EXPECT_FALSE(L.InitialState());
    L.SetInitialState(true);
    EXPECT_TRUE(L.InitialState());

    // Away from the point, false leaves the point where it is.
    Change(L);
    L.SetInitialState(false);
    L.PopItem();
    EXPECT_TRUE(L.InitialState());
}

TEST(EditUndo, AnUnreachablePointStaysUnreachableForAnyChangeNumber) {
    // Change numbers wrap through the negative range, so -1 can be a real item's number.
    TCodeEditUndoList L;
    L.SetInitialState(false);
    EXPECT_FALSE(L.InitialState());
    L.SetBlockChangeNumber(-1);
    Change(L);
    L.SetBlockChangeNumber(0);
    EXPECT_EQ(L.PeekItem()->ChangeNumber(), -1);
    EXPECT_FALSE(L.InitialState());
    L.PopItem();
    EXPECT_FALSE(L.InitialState());
    L.SetInitialState(true);
    EXPECT_TRUE(L.InitialState());
}

TEST(EditUndo, LockedListsIgnoreChanges) {
    TCodeEditUndoList L;
    int Added = 0;
    L.OnAddedUndo = [&](TObject*) { ++Added; };
    L.Lock();
    L.Lock();
    Change(L);
    L.AddGroupBreak();
    L.Unlock();
    Change(L);
    EXPECT_EQ(L.ItemCount(), 0);
    EXPECT_EQ(Added, 0);
    L.Unlock();
    L.Unlock(); // one more than locked: stays at 0
    L.Lock();
    Change(L);
    EXPECT_EQ(L.ItemCount(), 0);
    L.Unlock();
    Change(L);
    EXPECT_EQ(Numbers(L), (std::vector<int>{1}));
    EXPECT_EQ(Added, 1);
}

TEST(EditUndo, ItemsMoveOutAndInWithTheirOwnership) {
    TCodeEditUndoList Undo, Redo;
    int RedoAdded = 0;
    Redo.OnAddedUndo = [&](TObject*) { ++RedoAdded; };
    EXPECT_EQ(Undo.PopItem(), nullptr);
    Change(Undo, crInsert, u"a");
    Change(Undo, crDelete, u"b");
    Change(Undo, crPaste, u"c");
    Redo.PushItem(Undo.PopItem());
    Redo.PushItem(nullptr);
    EXPECT_EQ(RedoAdded, 1);
    EXPECT_EQ(Redo.PeekItem()->ChangeStr(), u"c");
    EXPECT_EQ(Redo.PeekItem()->ChangeNumber(), 3);
    Undo.DeleteItem(0);
    EXPECT_EQ(Undo.ItemCount(), 1);
    EXPECT_EQ(Undo.PeekItem()->ChangeStr(), u"b");
    EXPECT_EQ(U8(ThrownMessage<EListError>([&] { Undo.DeleteItem(1); })), "List index out of bounds (1)");
    EXPECT_EQ(Undo.ItemCount(), 1);
}

TEST(EditUndo, AssignCopiesItemsAndStateButNotTheSavedPointOrEvent) {
    TCodeEditUndoList Source;
    Source.SetMaxUndoActions(3);
    for (int I = 0; I < 4; ++I)
        Change(Source, crInsert, String(1, Char(u'a' + I)));
    Source.BeginBlock();
    Source.Lock();
    Source.SetInsideRedo(true);
    Source.SetInitialState(true);
    bool SourceHeard = false;
    Source.OnAddedUndo = [&](TObject*) { SourceHeard = true; };

    TCodeEditUndoList Copy;
    Change(Copy);
    Copy.Assign(&Source);
    EXPECT_EQ(Copy.ItemCount(), 3);
    EXPECT_NE(Copy.PeekItem(), Source.PeekItem());
    EXPECT_EQ(Copy.PeekItem()->ChangeStr(), u"d");
    EXPECT_EQ(Copy.MaxUndoActions(), 3);
    EXPECT_TRUE(Copy.FullUndoImpossible());
    EXPECT_EQ(Copy.BlockCount(), 1);
    EXPECT_EQ(Copy.BlockChangeNumber(), 5);
    EXPECT_TRUE(Copy.InsideRedo());
    EXPECT_FALSE(Copy.InitialState()); // its own saved point (the empty list) stays
    Copy.Unlock();
    Change(Copy); // the lock count came along; now open again, inside the copied block
    EXPECT_EQ(Copy.PeekItem()->ChangeNumber(), 5);
    EXPECT_FALSE(SourceHeard);

    TCodeEditUndoItem Item;
    Item.Assign(Source.PeekItem());
    EXPECT_EQ(Item.ChangeStr(), u"d");
    EXPECT_EQ(Item.ChangeNumber(), 4);
    EXPECT_EQ(Item.ChangeEndPos(), P2);
    EXPECT_THROW(Copy.Assign(&Item), EConvertError);
    EXPECT_THROW(Item.Assign(&Copy), EConvertError);
}
