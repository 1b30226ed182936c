// Inspector items: lookups by tag, caption and field over the whole tree, mapped pick lists,
// check values, names, walks, and the stream that carries a whole item tree.
#include "InspectorTestSupport.h"

#include "platform/base/Streams.h"

namespace {

struct TTree {
    TComponent Owner{nullptr};
    TdaDataInspector* Insp = new TdaDataInspector(&Owner);
    TTree() { Insp->SetName(u"insp"); }
    TdaInspectorItem* Add(TdaInspectorCollection* C, const char16_t* Caption, const char16_t* Tag = u"") {
        TdaInspectorItem* It = C->Add();
        It->SetCaption(Caption);
        It->TagString = Tag;
        return It;
    }
};

} // namespace

TEST(InspectorItems, LookupsWalkTheWholeTreeIgnoringCaseAndVisibility) {
    TTree T;
    AddIdeItems(T.Insp);
    EXPECT_EQ(T.Insp->GetItemByTagString(u"baudrate")->Caption(), u"Baud rate");
    EXPECT_EQ(T.Insp->GetItemByTagString(u"CREATED")->Caption(), u"Project created"); // hidden
    EXPECT_EQ(T.Insp->GetItemByCaption(u"cpu")->TagString, u"CPU");
    EXPECT_EQ(T.Insp->GetItemByTagString(u"Port"), nullptr);

    // A child of a collapsed item is found; a parent comes before its children, and those
    // before the parent's next sibling.
    TdaInspectorItem* Parent = (*T.Insp->Items())[2];
    T.Add(Parent->Items(), u"child", u"Dup");
    T.Add(T.Insp->Items(), u"later", u"Dup");
    ASSERT_FALSE(Parent->Expanded());
    EXPECT_EQ(T.Insp->GetItemByTagString(u"dup")->Caption(), u"child");
    Parent->TagString = u"DUP";
    EXPECT_EQ(T.Insp->GetItemByTagString(u"dup"), Parent);

    TTree Empty;
    EXPECT_EQ(Empty.Insp->GetItemByTagString(u"x"), nullptr);
}

TEST(InspectorItems, DisplayTextMapsThroughThePickList) {
    TTree T;
    TdaInspectorItem* It = T.Add(T.Insp->Items(), u"Speed");
    int Changes = 0;
    String Last;
    T.Insp->OnItemChanged = [&](TObject*, TdaInspectorItem*, const String& V) {
        ++Changes;
        Last = V;
    };

    // Unbound, no list: the text is the value; the same text again sends nothing.
    It->SetDisplayText(u"COM3");
    EXPECT_EQ(It->EditText(), u"COM3");
    EXPECT_EQ(It->DisplayText(), u"COM3");
    It->SetDisplayText(u"COM3");
    EXPECT_EQ(Changes, 1);

    It->PickList()->Items()->Add(u"Slow\t9600");
    It->PickList()->Items()->Add(u"Fast\t115200");
    It->PickList()->MapList = true;
    It->SetDisplayText(u"fast"); // display texts match without regard to case
    EXPECT_EQ(It->EditText(), u"115200");
    EXPECT_EQ(Last, u"115200");
    It->SetEditText(u"9600");
    EXPECT_EQ(It->DisplayText(), u"Slow");
    It->SetEditText(u"57600");
    EXPECT_EQ(It->DisplayText(), u"");
    Changes = 0;
    It->SetDisplayText(u"Medium"); // no such line: nothing changes, nothing is sent
    EXPECT_EQ(It->EditText(), u"57600");
    EXPECT_EQ(Changes, 0);
}

TEST(InspectorItems, CheckedReadsLineZeroAndWritesOnlyWithTwoLines) {
    TTree T;
    TdaInspectorItem* It = T.Add(T.Insp->Items(), u"On");
    It->PickList()->Items()->Add(u"Yes");
    It->SetEditText(u"Yes");
    EXPECT_TRUE(It->Checked());
    It->SetChecked(false); // one line only: nothing happens
    EXPECT_EQ(It->EditText(), u"Yes");
    It->PickList()->Items()->Add(u"No");
    It->SetChecked(false);
    EXPECT_EQ(It->EditText(), u"No");
    EXPECT_FALSE(It->Checked());
    It->SetEditText(u"yes"); // compared with regard to case
    EXPECT_FALSE(It->Checked());
}

TEST(InspectorItems, NamesLevelsAndWalks) {
    TTree T;
    for (int K = 0; K < 4; ++K)
        T.Add(T.Insp->Items(), u"top");
    TdaInspectorItem* Fourth = (*T.Insp->Items())[3];
    T.Add(Fourth->Items(), u"a");
    TdaInspectorItem* B = T.Add(Fourth->Items(), u"b");
    TdaInspectorItem* Deep = T.Add(B->Items(), u"");
    EXPECT_EQ(B->GetNamePath(), u"insp.Items[3]Items[1]");
    EXPECT_EQ(B->Level(), 1);
    EXPECT_EQ(Deep->Level(), 2);
    EXPECT_EQ(Deep->DisplayName(), u"0 - <InspectorItem>");
    EXPECT_EQ(B->DisplayName(), u"1 - b");

    // Pre-order, with and without the expanded filter.
    EXPECT_EQ(Fourth->GetNext(false, false)->Caption(), u"a");
    EXPECT_EQ(Fourth->GetNext(false, true), nullptr);
    EXPECT_EQ(Deep->GetNext(false, false), nullptr);
    EXPECT_EQ(B->GetPrior(false, false)->Caption(), u"a");
    EXPECT_EQ(Fourth->GetPrior(false, false)->Caption(), u"top");
    EXPECT_EQ(B->GetPrior(false, false)->GetPrior(false, false), Fourth);

    // IterateItems with ExpandedOnly skips the children of collapsed items and stops on request.
    std::vector<String> Seen;
    T.Insp->IterateItems(true, nullptr, [&](TdaInspectorItem* It, void*, bool&) { Seen.push_back(It->Caption()); });
    EXPECT_EQ(Seen.size(), 4u);
    Seen.clear();
    T.Insp->IterateItems(false, nullptr, [&](TdaInspectorItem* It, void*, bool& Go) {
        Seen.push_back(It->Caption());
        Go = It != B;
    });
    EXPECT_EQ(Seen.size(), 6u);
}

TEST(InspectorItems, AStreamCarriesTheWholeTreeAndADamagedOneChangesNothing) {
    TTempFolder Dir;
    TTree T;
    AddIdeItems(T.Insp);
    TdaInspectorItem* Cpu = T.Insp->GetItemByTagString(u"CPU");
    Cpu->PickList()->Items()->Add(u"Mega\tatmega2560	x");
    Cpu->PickList()->MapList = true;
    Cpu->SetEditText(u"line one\nline two");
    TdaInspectorItem* Child = Cpu->Items()->Add();
    Child->SetCaption(u"child = with equals");
    Child->SetCellHeight(30);
    // Saving through a child collection writes the whole tree.
    Cpu->Items()->SaveToFile(Dir / "items.txt");

    TTree Back;
    Back.Add(Back.Insp->Items(), u"old");
    Back.Insp->Items()->LoadFromFile(Dir / "items.txt");
    ASSERT_EQ(Back.Insp->Items()->Count(), 7);
    for (int K = 0; K < 7; ++K) {
        EXPECT_EQ((*Back.Insp->Items())[K]->Caption(), IdeItems[K].Caption);
        EXPECT_EQ((*Back.Insp->Items())[K]->Visible(), IdeItems[K].Visible);
        EXPECT_EQ((*Back.Insp->Items())[K]->DisableDefaultEditor, IdeItems[K].NoEditor);
    }
    TdaInspectorItem* C2 = Back.Insp->GetItemByTagString(u"cpu");
    EXPECT_EQ(C2->EditText(), Cpu->EditText());
    EXPECT_TRUE(C2->PickList()->MapList);
    EXPECT_EQ(C2->PickList()->Items()->Strings(0), Cpu->PickList()->Items()->Strings(0));
    ASSERT_EQ(C2->Items()->Count(), 1);
    EXPECT_EQ((*C2->Items())[0]->Caption(), u"child = with equals");
    EXPECT_EQ((*C2->Items())[0]->CellHeight(), 30);

    TStringStream Bad(u"object TdaCollectionStreamComponent\n  item\n    no equals sign\n");
    EXPECT_THROW(Back.Insp->Items()->LoadFromStream(&Bad), EReadError);
    EXPECT_EQ(Back.Insp->Items()->Count(), 7);

    // A collection of another owner cannot save.
    TdaCollectionStreamComponent Loose(nullptr);
    TMemoryStream M;
    EXPECT_THROW(Loose.Items()->SaveToStream(&M), EInvalidCast);
}
