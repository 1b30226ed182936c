#include "platform/base/Strings.h"
#include "platform/data/Conformance.h"

#include <memory>

namespace {

const std::vector<TConformanceRow> Rows = {
    {1, u"delta", 4.5}, {2, u"Alpha", 1.25}, {3, u"charlie", 3}, {4, u"bravo", 2}, {5, u"Echo", 5},
};

struct TFixture {
    std::unique_ptr<TComponent> Owner = std::make_unique<TComponent>(nullptr);
    TDataSet* DS;
    explicit TFixture(const TDataSetFactory& F, const std::vector<TConformanceRow>& R = Rows)
        : DS(F.Make(Owner.get(), R)) {
        DS->Open();
    }
    std::vector<int> Ids() {
        std::vector<int> Result;
        TBookmark Here = DS->GetBookmark();
        for (DS->First(); !DS->Eof(); DS->Next())
            Result.push_back(DS->FieldByName(u"ID")->AsInteger());
        if (!Here.IsEmpty() && DS->BookmarkValid(Here)) DS->GotoBookmark(Here);
        return Result;
    }
    int CurrentId() { return DS->FieldByName(u"ID")->AsInteger(); }
};

// Runs Action, which must raise EDatabaseError naming Expected, and checks that the records
// and the current record are as before.
template <class F> void ExpectRefused(TFixture& Fx, F Action, const String& Expected) {
    std::vector<int> Before = Fx.Ids();
    int Current = Fx.DS->IsEmpty() ? -1 : Fx.CurrentId();
    try {
        Action();
        ADD_FAILURE() << "no error; expected " << StringToUtf8(Expected);
    } catch (const EDatabaseError& E) {
        EXPECT_NE(E.Message().find(Expected), String::npos) << E.what();
    }
    if (Fx.DS->State() == dsEdit || Fx.DS->State() == dsInsert) Fx.DS->Cancel();
    EXPECT_EQ(Fx.Ids(), Before);
    if (Current >= 0) {
        EXPECT_EQ(Fx.CurrentId(), Current);
    }
}

} // namespace

TEST_P(DataSetConformance, OpenCloseAndStates) {
    TFixture Fx(GetParam());
    EXPECT_TRUE(Fx.DS->Active());
    EXPECT_EQ(Fx.DS->State(), dsBrowse);
    EXPECT_EQ(Fx.DS->RecordCount(), 5);
    EXPECT_TRUE(Fx.DS->IsSequenced());
    EXPECT_EQ(Fx.DS->FieldCount(), 5);
    EXPECT_EQ(Fx.DS->FieldByName(u"price")->DataType(), ftFloat);
    EXPECT_EQ(Fx.DS->FieldByName(u"NOTES")->DataType(), ftMemo);
    EXPECT_EQ(Fx.DS->FindField(u"nope"), nullptr);
    Fx.DS->Close();
    EXPECT_EQ(Fx.DS->State(), dsInactive);
    EXPECT_THROW(Fx.DS->RecordCount(), EDatabaseError);
    Fx.DS->SetActive(true);
    EXPECT_EQ(Fx.DS->RecordCount(), 5);
}

TEST_P(DataSetConformance, NavigationMovesAndReportsTheEnds) {
    TFixture Fx(GetParam());
    struct {
        std::function<int(TDataSet*)> Move;
        int Moved, RecNo;
        bool Bof, Eof;
    } Cases[] = {
        {[](TDataSet* D) {
             D->First();
             return 0;
         },
         0, 1, true, false},
        {[](TDataSet* D) { return D->MoveBy(2); }, 2, 3, false, false},
        {[](TDataSet* D) { return D->MoveBy(10); }, 2, 5, false, true},
        {[](TDataSet* D) { return D->MoveBy(1); }, 0, 5, false, true},
        {[](TDataSet* D) { return D->MoveBy(-3); }, -3, 2, false, false},
        {[](TDataSet* D) { return D->MoveBy(-5); }, -1, 1, true, false},
        {[](TDataSet* D) {
             D->Last();
             return 0;
         },
         0, 5, false, true},
        {[](TDataSet* D) {
             D->Prior();
             return 0;
         },
         0, 4, false, false},
        {[](TDataSet* D) {
             D->SetRecNo(2);
             return 0;
         },
         0, 2, false, false},
    };
    for (auto& C : Cases) {
        EXPECT_EQ(C.Move(Fx.DS), C.Moved);
        EXPECT_EQ(Fx.DS->RecNo(), C.RecNo);
        EXPECT_EQ(Fx.DS->Bof(), C.Bof);
        EXPECT_EQ(Fx.DS->Eof(), C.Eof);
    }
    EXPECT_EQ(Fx.CurrentId(), 2);
}

TEST_P(DataSetConformance, AnEmptyDatasetIsAtBothEnds) {
    TFixture Fx(GetParam(), {});
    EXPECT_TRUE(Fx.DS->Bof());
    EXPECT_TRUE(Fx.DS->Eof());
    EXPECT_TRUE(Fx.DS->IsEmpty());
    EXPECT_EQ(Fx.DS->MoveBy(3), 0);
    EXPECT_TRUE(Fx.DS->FieldByName(u"NAME")->IsNull());
    EXPECT_THROW(Fx.DS->Delete(), EDatabaseError);
}

TEST_P(DataSetConformance, EditPostAndCancel) {
    TFixture Fx(GetParam());
    Fx.DS->First();
    Fx.DS->Edit();
    EXPECT_EQ(Fx.DS->State(), dsEdit);
    Fx.DS->FieldByName(u"NAME")->SetAsString(u"changed");
    Fx.DS->Cancel();
    EXPECT_EQ(Fx.DS->FieldByName(u"NAME")->AsString(), u"delta");

    Fx.DS->Edit();
    Fx.DS->FieldByName(u"NAME")->SetAsString(u"changed");
    Fx.DS->FieldByName(u"PRICE")->SetText(u"7.5");
    Fx.DS->Post();
    EXPECT_EQ(Fx.DS->State(), dsBrowse);
    Fx.DS->Close();
    Fx.DS->Open();
    ASSERT_TRUE(Fx.DS->Locate(u"ID", 1, 0));
    EXPECT_EQ(Fx.DS->FieldByName(u"NAME")->AsString(), u"changed");
    EXPECT_DOUBLE_EQ(Fx.DS->FieldByName(u"PRICE")->AsFloat(), 7.5);
}

TEST_P(DataSetConformance, InsertAppendAndDelete) {
    TFixture Fx(GetParam());
    Fx.DS->Append();
    EXPECT_EQ(Fx.DS->State(), dsInsert);
    EXPECT_EQ(Fx.DS->RecNo(), -1);
    Fx.DS->FieldByName(u"ID")->SetAsInteger(6);
    Fx.DS->FieldByName(u"NAME")->SetAsString(u"foxtrot");
    Fx.DS->Post();
    EXPECT_EQ(Fx.CurrentId(), 6);
    EXPECT_EQ(Fx.DS->RecordCount(), 6);

    Fx.DS->Insert();
    Fx.DS->FieldByName(u"ID")->SetAsInteger(7);
    Fx.DS->Cancel();
    EXPECT_EQ(Fx.DS->RecordCount(), 6);

    ASSERT_TRUE(Fx.DS->Locate(u"ID", 3, 0));
    Fx.DS->Delete();
    EXPECT_EQ(Fx.DS->RecordCount(), 5);
    EXPECT_EQ(Fx.CurrentId(), 4); // the next record becomes current
    EXPECT_EQ(Fx.Ids(), (std::vector<int>{1, 2, 4, 5, 6}));
    Fx.DS->Last();
    Fx.DS->Delete();
    EXPECT_EQ(Fx.CurrentId(), 5);
}

TEST_P(DataSetConformance, CheckBrowseModePostsAPendingEdit) {
    TFixture Fx(GetParam());
    Fx.DS->Edit();
    Fx.DS->FieldByName(u"NAME")->SetAsString(u"kept");
    Fx.DS->Next(); // moving posts
    Fx.DS->First();
    EXPECT_EQ(Fx.DS->FieldByName(u"NAME")->AsString(), u"kept");
    Fx.DS->Edit();
    Fx.DS->FieldByName(u"NAME")->SetAsString(u"again");
    Fx.DS->CheckBrowseMode();
    EXPECT_EQ(Fx.DS->State(), dsBrowse);
    EXPECT_EQ(Fx.DS->FieldByName(u"NAME")->AsString(), u"again");
    Fx.DS->Insert(); // untouched: moving away drops it
    Fx.DS->Next();
    EXPECT_EQ(Fx.DS->RecordCount(), 5);
}

TEST_P(DataSetConformance, FailedPostsAndBadInputLeaveTheDatasetAsItWas) {
    TFixture Fx(GetParam());
    Fx.DS->SetRecNo(2);
    ExpectRefused(
        Fx, [&] { Fx.DS->FieldByName(u"NoSuchField"); }, u"Field 'NoSuchField' not found");
    ExpectRefused(
        Fx,
        [&] {
            Fx.DS->Locate(u"ID;Nope", TVariantArray{1, 2}, 0);
        },
        u"Nope");
    ExpectRefused(
        Fx, [&] { Fx.DS->Locate(u"ID;NAME", 1, 0); }, u"key values");
    ExpectRefused(
        Fx, [&] { Fx.DS->FieldByName(u"NAME")->SetAsString(u"x"); }, u"not in edit or insert mode");
    ExpectRefused(
        Fx,
        [&] {
            Fx.DS->Edit();
            Fx.DS->FieldByName(u"ID")->SetAsInteger(1); // a key another record has
            Fx.DS->Post();
        },
        u"ey");
    ExpectRefused(
        Fx,
        [&] {
            Fx.DS->Edit();
            Fx.DS->FieldByName(u"PRICE")->SetText(u"cheap");
        },
        u"'cheap' is not a valid value for field 'PRICE'");
    ExpectRefused(
        Fx,
        [&] {
            Fx.DS->Append();
            Fx.DS->FieldByName(u"ID")->SetAsInteger(5);
            Fx.DS->Post();
        },
        u"ey");
    ExpectRefused(
        Fx, [&] { Fx.DS->SetFilter(u"PRICE > "); }, u"Filter expression incorrect");
    ExpectRefused(
        Fx, [&] { Fx.DS->SetIndexName(u"Missing"); }, u"Index 'Missing' not found");
    ExpectRefused(
        Fx, [&] { Fx.DS->SetIndexFieldNames(u"NAME;Missing"); }, u"Missing");

    TFixture Other(GetParam());
    TBookmark Foreign = Other.DS->GetBookmark();
    EXPECT_FALSE(Fx.DS->BookmarkValid(Foreign));
    ExpectRefused(
        Fx, [&] { Fx.DS->GotoBookmark(Foreign); }, u"another dataset");
    ExpectRefused(
        Fx, [&] { Fx.DS->CompareBookmarks(Foreign, Fx.DS->GetBookmark()); }, u"another dataset");

    // A failed post keeps the edit so that the user can mend it.
    Fx.DS->Edit();
    Fx.DS->FieldByName(u"ID")->SetAsInteger(1);
    EXPECT_THROW(Fx.DS->Post(), EDatabaseError);
    EXPECT_EQ(Fx.DS->State(), dsEdit);
    Fx.DS->FieldByName(u"ID")->SetAsInteger(20);
    Fx.DS->Post();
    EXPECT_EQ(Fx.CurrentId(), 20);
}

TEST_P(DataSetConformance, Bookmarks) {
    TFixture Fx(GetParam());
    Fx.DS->SetRecNo(4);
    TBookmark B = Fx.DS->GetBookmark();
    Fx.DS->First();
    TBookmark A = Fx.DS->GetBookmark();
    EXPECT_TRUE(Fx.DS->BookmarkValid(B));
    EXPECT_LT(Fx.DS->CompareBookmarks(A, B), 0);
    EXPECT_GT(Fx.DS->CompareBookmarks(B, A), 0);
    EXPECT_EQ(Fx.DS->CompareBookmarks(B, B), 0);
    Fx.DS->GotoBookmark(B);
    EXPECT_EQ(Fx.CurrentId(), 4);
    Fx.DS->Delete();
    EXPECT_FALSE(Fx.DS->BookmarkValid(B));
    EXPECT_THROW(Fx.DS->GotoBookmark(B), EDatabaseError);
    Fx.DS->FreeBookmark(A);
    EXPECT_TRUE(A.IsEmpty());
}

TEST_P(DataSetConformance, LocateAndLookup) {
    TFixture Fx(GetParam());
    struct {
        String Fields;
        Variant Values;
        TLocateOptions Options;
        int Found; // ID, or 0 for none
    } Cases[] = {
        {u"NAME", u"charlie", 0, 3},
        {u"NAME", u"CHARLIE", 0, 0},
        {u"NAME", u"CHARLIE", loCaseInsensitive, 3},
        {u"NAME", u"ch", loPartialKey, 3},
        {u"NAME", u"AL", loPartialKey, 0},
        {u"NAME", u"AL", loPartialKey | loCaseInsensitive, 2},
        {u"ID;NAME", TVariantArray{4, u"bravo"}, 0, 4},
        {u"ID;NAME", TVariantArray{4, u"delta"}, 0, 0},
        {u"PRICE", 3, 0, 3},
        {u"ID", TVariantArray{5}, 0, 5},
    };
    for (auto& C : Cases) {
        Fx.DS->SetRecNo(1);
        EXPECT_EQ(Fx.DS->Locate(C.Fields, C.Values, C.Options), C.Found != 0) << StringToUtf8(C.Fields);
        EXPECT_EQ(Fx.CurrentId(), C.Found ? C.Found : 1);
    }
    Fx.DS->First();
    EXPECT_EQ(Fx.DS->Lookup(u"ID", 5, u"NAME").AsString(), u"Echo");
    EXPECT_TRUE(Fx.DS->Lookup(u"ID", 99, u"NAME").IsNull());
    EXPECT_EQ(Fx.CurrentId(), 1);
}

TEST_P(DataSetConformance, FiltersByTextAndByEvent) {
    TFixture Fx(GetParam());
    struct {
        String Filter;
        std::vector<int> Ids;
    } Cases[] = {
        {u"PRICE > 2", {1, 3, 5}},
        {u"PRICE >= 2 and PRICE <= 4.5", {1, 3, 4}},
        {u"NAME = 'Echo' or ID = 2", {2, 5}},
        {u"not (ID < 4)", {4, 5}},
        {u"NOTES = null", {1, 2, 3, 4, 5}},
        {u"[NAME] <> 'delta'", {2, 3, 4, 5}},
    };
    Fx.DS->SetFiltered(true);
    for (auto& C : Cases) {
        Fx.DS->SetFilter(C.Filter);
        EXPECT_EQ(Fx.Ids(), C.Ids) << StringToUtf8(C.Filter);
    }
    Fx.DS->SetFilter(u"");
    Fx.DS->SetOnFilterRecord(
        [](TDataSet* D, bool& Accept) { Accept = D->FieldByName(u"ID")->AsInteger() % 2 == 0; });
    EXPECT_EQ(Fx.Ids(), (std::vector<int>{2, 4}));
    Fx.DS->SetFiltered(false);
    EXPECT_EQ(Fx.DS->RecordCount(), 5);
    Fx.DS->SetFiltered(true);
    EXPECT_THROW(Fx.DS->SetFilter(u"Missing = 1"), EDatabaseError);
    EXPECT_EQ(Fx.DS->Filter(), u"");
    EXPECT_EQ(Fx.Ids(), (std::vector<int>{2, 4}));
}

TEST_P(DataSetConformance, IndexesOrderTheRecords) {
    TFixture Fx(GetParam());
    Fx.DS->IndexDefs().Add(u"ByName", u"NAME", 0);
    Fx.DS->IndexDefs().Add(u"ByNameCI", u"NAME", ixCaseInsensitive);
    Fx.DS->IndexDefs().Add(u"ByPriceDesc", u"PRICE", ixDescending);
    struct {
        String IndexName, IndexFieldNames;
        std::vector<int> Ids;
    } Cases[] = {
        {u"ByName", u"", {2, 5, 4, 3, 1}},
        {u"ByNameCI", u"", {2, 4, 3, 1, 5}},
        {u"ByPriceDesc", u"", {5, 1, 3, 4, 2}},
        {u"", u"PRICE", {2, 4, 3, 1, 5}},
        {u"", u"", {1, 2, 3, 4, 5}},
    };
    for (auto& C : Cases) {
        if (!C.IndexFieldNames.empty())
            Fx.DS->SetIndexFieldNames(C.IndexFieldNames);
        else
            Fx.DS->SetIndexName(C.IndexName);
        EXPECT_EQ(Fx.Ids(), C.Ids) << StringToUtf8(C.IndexName + C.IndexFieldNames);
    }
    // A posted record takes its place in the order and stays current.
    Fx.DS->SetIndexName(u"ByPriceDesc");
    Fx.DS->Append();
    Fx.DS->FieldByName(u"ID")->SetAsInteger(9);
    Fx.DS->FieldByName(u"PRICE")->SetAsFloat(2.5);
    Fx.DS->Post();
    EXPECT_EQ(Fx.DS->RecNo(), 4);
    EXPECT_EQ(Fx.Ids(), (std::vector<int>{5, 1, 3, 9, 4, 2}));
}

TEST_P(DataSetConformance, BlobsAndMemosThroughStreams) {
    TFixture Fx(GetParam());
    Fx.DS->Edit();
    {
        auto S = Fx.DS->CreateBlobStream(Fx.DS->FieldByName(u"DATA"), bmWrite);
        const Byte Bytes[] = {0, 1, 2, 255, 0, 7};
        S->WriteBuffer(Bytes, sizeof Bytes);
    }
    Fx.DS->FieldByName(u"NOTES")->SetAsString(u"ünïcode\nlines");
    Fx.DS->Post();
    Fx.DS->Close();
    Fx.DS->Open();
    auto* Blob = static_cast<TBlobField*>(Fx.DS->FieldByName(u"DATA"));
    EXPECT_EQ(Blob->AsBytes(), (TBytes{0, 1, 2, 255, 0, 7}));
    EXPECT_EQ(Fx.DS->FieldByName(u"NOTES")->AsString(), u"ünïcode\nlines");
    EXPECT_EQ(Fx.DS->FieldByName(u"NOTES")->DisplayText(), u"(MEMO)");
    auto R = Fx.DS->CreateBlobStream(Blob, bmRead);
    EXPECT_EQ(R->Size(), 6);
    EXPECT_THROW(Fx.DS->CreateBlobStream(Blob, bmWrite), EDatabaseError); // not editing
    EXPECT_THROW(Fx.DS->CreateBlobStream(Fx.DS->FieldByName(u"NAME"), bmRead), EDatabaseError);
}

TEST_P(DataSetConformance, RefreshAndResyncShowTheStore) {
    TFixture Fx(GetParam());
    Fx.DS->SetRecNo(3);
    Fx.DS->Refresh();
    EXPECT_EQ(Fx.CurrentId(), 3);
    Fx.DS->Resync();
    EXPECT_EQ(Fx.CurrentId(), 3);
    EXPECT_EQ(Fx.DS->RecordCount(), 5);
}
