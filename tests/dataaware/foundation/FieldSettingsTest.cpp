// The per-field setting lines, read and written both ways, one table per format; and the
// "Selected" list applied to the fields of both dataset kinds.
#include "dataaware/foundation/daFieldSettings.h"

#include "DataSetFixture.h"
#include "platform/base/Lists.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A component that publishes every setting list.
class TSettingsHolder : public TComponent {
    DECLARE_CLASS(TSettingsHolder, TComponent)
public:
    using TComponent::TComponent;
    TStringList Masks, Regex, Types, Lookups, Links;
    TStringList* PictureMasks() { return &Masks; }
    TStringList* RegexMasks() { return &Regex; }
    TStringList* ControlType() { return &Types; }
    TStringList* LookupFields() { return &Lookups; }
    TStringList* LookupLinks() { return &Links; }
    String Database = u"db", Table = u"parts.db";
    String DatabaseName() const { return Database; }
    String TableName() const { return Table; }

private:
    static void Published(TPublisher<TSettingsHolder>& P) {
        P.Property(u"PictureMasks", &TSettingsHolder::PictureMasks);
        P.Property(u"RegexMasks", &TSettingsHolder::RegexMasks);
        P.Property(u"ControlType", &TSettingsHolder::ControlType);
        P.Property(u"LookupFields", &TSettingsHolder::LookupFields);
        P.Property(u"LookupLinks", &TSettingsHolder::LookupLinks);
        P.Property(u"DatabaseName", &TSettingsHolder::DatabaseName);
        P.Property(u"TableName", &TSettingsHolder::TableName);
    }
};

// A dataset with a "ControlType" list, for the rich-text test.
class TTypedDataSet : public TMemDataSet {
    DECLARE_CLASS(TTypedDataSet, TMemDataSet)
public:
    using TMemDataSet::TMemDataSet;
    TStringList Types;
    TStringList* ControlType() { return &Types; }

private:
    static void Published(TPublisher<TTypedDataSet>& P) { P.Property(u"ControlType", &TTypedDataSet::ControlType); }
};

const String T = u"\t";

} // namespace

TEST(FieldSettings, PictureMasksReadBothWays) {
    struct TCase {
        const char16_t* Line; // empty: no line for the field
        bool UseMask, AutoFill;
        const char16_t* Mask;
    };
    const TCase Cases[] = {
        {u"", true, true, u""},
        {u"name\t###\tT\tF", false, true, u"###"},
        {u"NAME\t!>L\tF\tT", true, false, u"!>L"},
        {u"Name\tAA", false, false, u"AA"},
    };
    for (const TCase& C : Cases) {
        TSettingsHolder H(nullptr);
        H.Masks.Add(u"Other\t9\tT\tT");
        if (*C.Line) H.Masks.Add(C.Line);
        bool UseMask = false, AutoFill = false;
        String Mask = u"x";
        daGetPictureMask(&H, u"Name", true, UseMask, AutoFill, Mask);
        EXPECT_EQ(UseMask, C.UseMask) << U8(C.Line);
        EXPECT_EQ(AutoFill, C.AutoFill) << U8(C.Line);
        EXPECT_EQ(Mask, C.Mask) << U8(C.Line);
    }
}

TEST(FieldSettings, PictureMasksWrittenAndReadBack) {
    TSettingsHolder H(nullptr);
    daSetPictureMask(&H, u"Name", u"", true, true, false, true, true);
    EXPECT_EQ(H.Masks.Count(), 0);
    daSetPictureMask(&H, u"Name", u"###", true, true, true, false, true);
    ASSERT_EQ(H.Masks.Count(), 1);
    EXPECT_EQ(H.Masks.Strings(0), u"Name" + T + u"###" + T + u"T" + T + u"F");
    // Only the mask is set: the flags of the line stay.
    daSetPictureMask(&H, u"NAME", u"999", false, false, true, true, false);
    EXPECT_EQ(H.Masks.Strings(0), u"NAME" + T + u"999" + T + u"T" + T + u"F");
    bool UseMask, AutoFill;
    String Mask;
    daGetPictureMask(&H, u"name", false, UseMask, AutoFill, Mask);
    EXPECT_EQ(Mask, u"999");
    EXPECT_TRUE(AutoFill);
    EXPECT_FALSE(UseMask);
    // An empty mask deletes the line.
    daSetPictureMask(&H, u"Name", u"", false, false, true, true, true);
    EXPECT_EQ(H.Masks.Count(), 0);
}

TEST(FieldSettings, RegexMasksBothWays) {
    TSettingsHolder H(nullptr);
    String Mask = u"x", Description = u"x";
    bool CaseSensitive = false;
    daGetRegexMask(&H, u"Zip", Mask, Description, CaseSensitive);
    EXPECT_EQ(Mask, u"");
    EXPECT_TRUE(CaseSensitive);
    daSetRegexMask(&H, u"Zip", u"[0-9]{5}", u"Five digits", false);
    EXPECT_EQ(H.Regex.Strings(0), u"Zip" + T + u"[0-9]{5}" + T + u"F" + T + u"Five digits");
    daGetRegexMask(&H, u"ZIP", Mask, Description, CaseSensitive);
    EXPECT_EQ(Mask, u"[0-9]{5}");
    EXPECT_EQ(Description, u"Five digits");
    EXPECT_FALSE(CaseSensitive);
    daSetRegexMask(&H, u"zip", u"[a-z]+", u"Letters", true);
    EXPECT_EQ(H.Regex.Count(), 1);
    EXPECT_EQ(H.Regex.Strings(0), u"zip" + T + u"[a-z]+" + T + u"T" + T + u"Letters");
    daSetRegexMask(&H, u"Zip", u"", u"", true);
    EXPECT_EQ(H.Regex.Count(), 0);
}

TEST(FieldSettings, ControlTypesBothWays) {
    struct TCase {
        const char16_t* Line;
        const char16_t* Type;
        const char16_t* Parameters;
    };
    for (const TCase& C : {TCase{u"Done;CheckBox", u"CheckBox", u""}, TCase{u"Done;CheckBox;1;0", u"CheckBox", u"1;0"},
                           TCase{u"Done;RichEdit;reNotes", u"RichEdit", u"reNotes"}, TCase{u"done;URL-Link;x", u"", u""}}) {
        TSettingsHolder H(nullptr);
        H.Types.Add(C.Line);
        String Type = u"?", Parameters = u"?";
        daGetFieldControlType(&H, u"Done", Type, Parameters);
        EXPECT_EQ(Type, C.Type) << U8(C.Line);
        EXPECT_EQ(Parameters, C.Parameters) << U8(C.Line);
    }
    TSettingsHolder H(nullptr);
    // The last of several lines of the field wins.
    H.Types.Add(u"Done;CheckBox;1");
    H.Types.Add(u"Done;ImageIndex;2");
    String Type, Parameters;
    daGetFieldControlType(&H, u"Done", Type, Parameters);
    EXPECT_EQ(Type, u"ImageIndex");
    // Writing replaces the first line, keeping its field name as written.
    daSetFieldControlType(&H, u"DONE", u"Combo", u"cbDone");
    EXPECT_EQ(H.Types.Strings(0), u"Done;Combo;cbDone");
    daSetFieldControlType(&H, u"Done", u"Field", u"");
    EXPECT_EQ(H.Types.Count(), 1);
    daSetFieldControlType(&H, u"Done", u"", u"");
    EXPECT_EQ(H.Types.Count(), 0);
    daSetFieldControlType(&H, u"New", u"", u"");
    EXPECT_EQ(H.Types.Strings(0), u"New;;");
    EXPECT_TRUE(daIsEmbeddedEditType(u"lookupcombo"));
    EXPECT_FALSE(daIsEmbeddedEditType(u"CheckBox"));
}

TEST(FieldSettings, EmbeddedEditorsAreFoundAndDetached) {
    TForm Form(nullptr);
    TSettingsHolder& H = *new TSettingsHolder(&Form);
    auto* Edit = new TEdit(&Form);
    Edit->SetName(u"edNotes");
    TMemDataSet DS(nullptr);
    DS.FieldDefs().Add(u"Notes", ftMemo);
    DS.Open();
    H.Types.Add(u"notes;CustomEdit;edNotes");
    H.Types.Add(u"Other;CheckBox");
    TWinControl* Found = nullptr;
    EXPECT_TRUE(daFindFieldCustomControl(&H, &Form, DS.FieldByName(u"Notes"), Found));
    EXPECT_EQ(Found, Edit);
    daDetachFieldControls(&H);
    EXPECT_EQ(H.Types.Count(), 0);
    EXPECT_FALSE(daFindFieldCustomControl(&H, &Form, DS.FieldByName(u"Notes"), Found));
}

TEST(FieldSettings, LookupLinesAndTheirLinks) {
    TSettingsHolder H(nullptr);
    H.Lookups.Add(u"Part;db;parts.db;Title;ByNo");
    H.Lookups.Add(u"Maker;db;makers.db;Name;ByMaker;MakerNo;N");
    H.Links.Add(u"PartNo;No");
    H.Links.Add(u"MakerNo;No");
    String Links, Name;
    daGetLookupLinkOfField(&H, u"Maker", Links);
    EXPECT_EQ(Links, u"MakerNo;No");
    daGetLookupLinkOfField(&H, u"maker", Links);
    EXPECT_EQ(Links, u"");
    daGetLookupResultFieldName(&H, u"Part", Name);
    EXPECT_EQ(Name, u"Title");
    TStringList Parts;
    Parts.SetDelimiter(u';');
    Parts.SetStrictDelimiter(true);
    Parts.SetDelimitedText(u"Part;db;parts.db;Title;ByNo");
    EXPECT_TRUE(daTableMatchesLookupEntry(&H, &Parts));
    Parts.SetDelimitedText(u"Maker;db;parts;Name;ByMaker;MakerNo;N");
    EXPECT_FALSE(daTableMatchesLookupEntry(&H, &Parts));
    H.Table = u"parts";
    Parts.SetDelimitedText(u"Maker;db;parts.db;Name;ByMaker;MakerNo;N");
    EXPECT_TRUE(daTableMatchesLookupEntry(&H, &Parts));
}

TEST_P(BothDataSets, SelectedListRoundTripsThroughTheFields) {
    TComponent Owner(nullptr);
    TDataSet* DS = MakeFixtureDataSet(GetParam(), &Owner);
    DS->Open();
    TStringList Selected;
    daFieldsToSelectedList(DS, &Selected);
    ASSERT_EQ(Selected.Count(), 4);
    EXPECT_EQ(Selected.Strings(1), u"NAME" + T + u"20" + T + u"NAME");
    TStringList Wanted;
    Wanted.Add(u"price" + T + u"8" + T + u"Price");
    Wanted.Add(u"Name" + T + u"12" + T + u"Name" + T + u"F");
    daApplySelectedToFields(DS, &Wanted);
    EXPECT_FALSE(DS->ControlsDisabled());
    EXPECT_FALSE(DS->FieldByName(u"ID")->Visible());
    EXPECT_EQ(DS->FieldByName(u"PRICE")->Index(), 0);
    EXPECT_EQ(DS->FieldByName(u"NAME")->Index(), 1);
    EXPECT_EQ(DS->FieldByName(u"NAME")->DisplayWidth(), 12);
    daFieldsToSelectedList(DS, &Selected);
    ASSERT_EQ(Selected.Count(), 2);
    EXPECT_EQ(Selected.Strings(0), u"PRICE" + T + u"8" + T + u"Price");
    int Index = -1;
    EXPECT_TRUE(daFindSelectedField(&Selected, u"name", Index));
    EXPECT_EQ(Index, 1);
    EXPECT_FALSE(daFindSelectedField(&Selected, u"ID", Index));
    // A width that is not a number raises, and the controls are enabled again all the same.
    Wanted.Clear();
    Wanted.Add(u"ID" + T + u"wide" + T + u"Id");
    EXPECT_THROW(daApplySelectedToFields(DS, &Wanted), EConvertError);
    EXPECT_FALSE(DS->ControlsDisabled());
    // An empty list hides every field.
    Wanted.Clear();
    daApplySelectedToFields(DS, &Wanted);
    daFieldsToSelectedList(DS, &Selected);
    EXPECT_EQ(Selected.Count(), 0);
}

TEST_P(BothDataSets, StaleLookupAndTypeEntriesAreDropped) {
    TComponent Owner(nullptr);
    TDataSet* DS = MakeFixtureDataSet(GetParam(), &Owner);
    DS->Open();
    TStringList Lookups, Links, Types;
    Lookups.Add(u"Gone;db;t;R;I");
    Lookups.Add(u"NAME;db;t;R;I");
    Links.Add(u"A;B");
    Links.Add(u"C;D");
    Types.Add(u"Gone;CheckBox");
    Types.Add(u"price;CheckBox");
    daRemoveStaleFieldEntries(DS, &Lookups, &Links, &Types);
    EXPECT_EQ(Lookups.Text(), u"NAME;db;t;R;I\r\n");
    EXPECT_EQ(Links.Text(), u"C;D\r\n");
    EXPECT_EQ(Types.Text(), u"price;CheckBox\r\n");
}

TEST(FieldSettings, RichTextByControlTypeOrContent) {
    TTypedDataSet DS(nullptr);
    DS.FieldDefs().Add(u"Notes", ftMemo);
    DS.FieldDefs().Add(u"Id", ftInteger);
    DS.Open();
    DS.Append();
    DS.FieldByName(u"Notes")->SetAsString(u"{\\rtf1 hello}");
    DS.Post();
    EXPECT_FALSE(daIsRichTextField(DS.FieldByName(u"Id"), true));
    EXPECT_FALSE(daIsRichTextField(DS.FieldByName(u"Notes"), false));
    EXPECT_TRUE(daIsRichTextField(DS.FieldByName(u"Notes"), true));
    DS.Types.Add(u"Notes;RichEditor");
    EXPECT_TRUE(daIsRichTextField(DS.FieldByName(u"Notes"), false));
    DS.Edit();
    DS.FieldByName(u"Notes")->SetAsString(u"{\\");
    DS.Post();
    DS.Types.Clear();
    EXPECT_FALSE(daIsRichTextField(DS.FieldByName(u"Notes"), true));
}

INSTANTIATE_TEST_SUITE_P(Kinds, BothDataSets, testing::Values(dkMemory, dkSQLite),
                         [](const auto& Info) { return KindName(Info.param); });
