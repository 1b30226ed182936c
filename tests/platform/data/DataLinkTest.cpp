#include "platform/data/DB.h"
#include "platform/data/MemDataSet.h"

#include <gtest/gtest.h>

namespace {

class TRecordingLink : public TDataLink {
public:
    std::vector<std::string> Events;

protected:
    void ActiveChanged() override { Events.push_back(Active() ? "active" : "inactive"); }
    void DataSetChanged() override { Events.push_back("changed"); }
    void DataSetScrolled(int) override { Events.push_back("scrolled"); }
    void EditingChanged() override { Events.push_back(Editing() ? "editing" : "browsing"); }
    void RecordChanged(TField*) override { Events.push_back("record"); }
    void UpdateData() override { Events.push_back("update"); }
};

struct TLinkFixture {
    TComponent Owner{nullptr};
    TMemDataSet* DS = new TMemDataSet(&Owner);
    TDataSource* Source = new TDataSource(&Owner);
    TLinkFixture() {
        DS->FieldDefs().Add(u"N", ftInteger);
        DS->Open();
        for (int I = 1; I <= 10; ++I) {
            DS->Append();
            DS->FieldByName(u"N")->SetAsInteger(I);
            DS->Post();
        }
        DS->First();
        Source->SetDataSet(DS);
    }
};

} // namespace

TEST(DataLink, ToldOfStateScrollAndEdits) {
    TLinkFixture Fx;
    TRecordingLink Link;
    Link.SetDataSource(Fx.Source);
    EXPECT_EQ(Link.Events, (std::vector<std::string>{"active"}));
    Link.Events.clear();
    Fx.DS->Next();
    Fx.DS->Edit();
    Fx.DS->FieldByName(u"N")->SetAsInteger(20);
    Fx.DS->Post();
    Fx.DS->Close();
    EXPECT_EQ(Link.Events, (std::vector<std::string>{"scrolled", "editing", "record", "record", "update",
                                                     "browsing", "changed", "inactive"}));
}

TEST(DataLink, DisabledControlsHearOnceWhenEnabledAgain) {
    TLinkFixture Fx;
    TRecordingLink Link;
    Link.SetDataSource(Fx.Source);
    Link.Events.clear();
    Fx.DS->DisableControls();
    Fx.DS->DisableControls();
    Fx.DS->Next();
    Fx.DS->Last();
    Fx.DS->EnableControls();
    EXPECT_TRUE(Link.Events.empty());
    EXPECT_TRUE(Fx.DS->ControlsDisabled());
    Fx.DS->EnableControls();
    EXPECT_EQ(Link.Events, (std::vector<std::string>{"changed"}));
    Fx.DS->EnableControls(); // unbalanced: nothing happens
    EXPECT_FALSE(Fx.DS->ControlsDisabled());
}

TEST(DataLink, ActiveRecordReadsOtherBufferedRecordsAndIsRestored) {
    TLinkFixture Fx;
    TRecordingLink Link;
    Link.SetBufferCount(4);
    Link.SetDataSource(Fx.Source);
    EXPECT_EQ(Fx.DS->BufferCount(), 4);
    Fx.DS->SetRecNo(6);
    EXPECT_EQ(Link.RecordCount(), 4);
    int Active = Link.ActiveRecord();
    EXPECT_EQ(Active, 3); // scrolled down: the current record is the last buffered one
    TField* N = Fx.DS->FieldByName(u"N");
    std::vector<int> Seen;
    const TBookmark Current = Fx.DS->GetBookmark();
    EXPECT_EQ(Fx.DS->ActiveBookmark(), Current);
    TBookmark Second;
    try {
        for (int I = 0; I < Link.RecordCount(); ++I) {
            TActiveRecordScope Scope(Link, I);
            Seen.push_back(N->AsInteger());
            // The active row's own bookmark leads back to the record it shows.
            const TBookmark B = Fx.DS->ActiveBookmark();
            EXPECT_FALSE(B.IsEmpty());
            EXPECT_EQ(Fx.DS->CompareBookmarks(B, Current), -1);
            if (I == 1) Second = B;
            if (I == 2) throw EDatabaseError(u"stop");
        }
    } catch (const EDatabaseError&) {
    }
    EXPECT_EQ(Seen, (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(Link.ActiveRecord(), Active);
    EXPECT_EQ(N->AsInteger(), 6);
    Fx.DS->GotoBookmark(Second);
    EXPECT_EQ(N->AsInteger(), 4);
    Fx.DS->First();
    EXPECT_EQ(Link.ActiveRecord(), 0);
}

TEST(DataLink, ScrollTellsHowFarTheBufferedWindowMoved) {
    TLinkFixture Fx;
    struct TDistanceLink : TDataLink {
        std::vector<int> Distances;
        void DataSetScrolled(int Distance) override { Distances.push_back(Distance); }
    } Link;
    Link.SetBufferCount(4);
    Link.SetDataSource(Fx.Source);
    Fx.DS->Next();     // 2: within the window
    Fx.DS->MoveBy(3);  // 5: the window moves down by one
    Fx.DS->MoveBy(5);  // 10: by five more
    Fx.DS->MoveBy(-2); // 8: within
    Fx.DS->MoveBy(-7); // 1: up by six
    EXPECT_EQ(Link.Distances, (std::vector<int>{0, 1, 5, 0, -6}));
}

TEST(DataLink, FieldLinkFollowsItsField) {
    TLinkFixture Fx;
    TFieldDataLink Link;
    int Changes = 0;
    Link.OnDataChange = [&] { ++Changes; };
    Link.SetFieldName(u"N");
    Link.SetDataSource(Fx.Source);
    ASSERT_NE(Link.Field(), nullptr);
    EXPECT_TRUE(Link.CanModify());
    int Before = Changes;
    Fx.DS->Next();
    EXPECT_GT(Changes, Before);
    EXPECT_TRUE(Link.Edit());
    EXPECT_EQ(Fx.DS->State(), dsEdit);
    Fx.DS->Cancel();
    Link.SetReadOnly(true);
    EXPECT_FALSE(Link.CanModify());
    Fx.DS->Close();
    EXPECT_EQ(Link.Field(), nullptr);
    Link.SetFieldName(u"Missing");
    Fx.DS->Open();
    EXPECT_EQ(Link.Field(), nullptr);
}

TEST(Params, ByNameAndErrors) {
    TParams P;
    P.CreateParam(ftInteger, u"Id", ptInput).SetAsInteger(5);
    P.CreateParam(ftString, u"Name", ptInput).SetAsString(u"x");
    EXPECT_EQ(P.ParamByName(u"ID").AsInteger(), 5);
    EXPECT_EQ(P.FindParam(u"none"), nullptr);
    EXPECT_THROW(P.ParamByName(u"none"), EDatabaseError);
    P[1].Clear();
    EXPECT_TRUE(P[1].IsNull());
    EXPECT_THROW(P[2], EListError);
}

TEST(Params, AssignCopiesNamesTypesAndValues) {
    TParams From, To;
    From.CreateParam(ftInteger, u"Id", ptInput).SetAsInteger(5);
    To.CreateParam(ftString, u"Old", ptInput);
    To.Assign(&From);
    ASSERT_EQ(To.Count(), 1);
    EXPECT_EQ(To[0].Name, u"Id");
    EXPECT_EQ(To[0].DataType, ftInteger);
    From[0].SetAsInteger(6);
    EXPECT_EQ(To[0].AsInteger(), 5); // a copy, not shared
}

TEST(DataLink, FieldLinkHandsOverOnlyAReportedChange) {
    TLinkFixture Fx;
    TFieldDataLink Link;
    int Updates = 0, Changes = 0;
    bool Refuse = false;
    Link.OnDataChange = [&] { ++Changes; };
    Link.OnUpdateData = [&] {
        ++Updates;
        if (Refuse) throw Exception(u"refused");
        Link.Field()->SetAsInteger(42);
    };
    Link.SetFieldName(u"N");
    Link.SetDataSource(Fx.Source);
    ASSERT_TRUE(Link.Edit());
    Fx.DS->Post();
    EXPECT_EQ(Updates, 0) << "nothing was reported as modified";

    ASSERT_TRUE(Link.Edit());
    Link.Modified();
    Refuse = true;
    EXPECT_THROW(Fx.DS->Post(), Exception);
    EXPECT_TRUE(Link.IsModified()) << "a refused change stays for the next attempt";
    Refuse = false;
    Fx.DS->Post();
    EXPECT_EQ(Updates, 2);
    EXPECT_FALSE(Link.IsModified());
    EXPECT_EQ(Fx.DS->FieldByName(u"N")->AsInteger(), 42);

    ASSERT_TRUE(Link.Edit());
    Link.Modified();
    const int Before = Changes;
    Link.Reset();
    EXPECT_FALSE(Link.IsModified());
    EXPECT_EQ(Changes, Before + 1) << "the field's value is shown again";
    Fx.DS->Post();
    EXPECT_EQ(Updates, 2);
}

TEST(Field, ValidCharsFollowTheKind) {
    TLinkFixture Fx;
    TField* N = Fx.DS->FieldByName(u"N");
    for (Char C : String(u"0123456789+-")) EXPECT_TRUE(N->IsValidChar(C));
    for (Char C : String(u".eEa ")) EXPECT_FALSE(N->IsValidChar(C));
    TMemDataSet Other(nullptr);
    Other.FieldDefs().Add(u"F", ftFloat);
    Other.FieldDefs().Add(u"S", ftString, 10);
    Other.Open();
    for (Char C : String(u"09+-.eE")) EXPECT_TRUE(Other.FieldByName(u"F")->IsValidChar(C));
    EXPECT_FALSE(Other.FieldByName(u"F")->IsValidChar(u'x'));
    EXPECT_TRUE(Other.FieldByName(u"S")->IsValidChar(u'x'));
}
