// Class tests, properties and dataset methods reached by name, with neutral answers for
// members an object lacks.
#include "dataaware/foundation/daByName.h"

#include "platform/base/Lists.h"
#include "platform/data/DB.h"
#include "platform/data/MemDataSet.h"
#include "platform/gui/StdCtrls.h"

#include <gtest/gtest.h>

namespace {

DECLARE_ENUM(TProbeFilterOption, Byte, pfEnabled, pfCaseInsensitive, pfPartial)
using TProbeFilterOptions = TSet<TProbeFilterOption>;

// A dataset of the library's own kind as the by-name routines meet it: published settings and
// the variable protocol.
class TdaTable : public TMemDataSet {
    DECLARE_CLASS(TdaTable, TMemDataSet)
public:
    explicit TdaTable(TComponent* AOwner) : TMemDataSet(AOwner), FMasks(std::make_unique<TStringList>()) {}
    String Short, Session, Connection;
    int Cursor = 0;
    TProbeFilterOptions FilterOptions{pfCaseInsensitive};
    std::unique_ptr<TStringList> FMasks;
    TParams FParams;
    TNotifyEvent OnInvalidValue;
    std::vector<String> Set;
    TStringList* PictureMasks() const { return FMasks.get(); }
    void SetPictureMasks(TStringList* V) { FMasks->Assign(V); }
    TParams* Params() { return &FParams; }

    void GetVariable(const String& Name, Variant& Value) {
        if (Name == u"IndexFieldCount") Value = 2;
        if (Name == u"IsQueryTable") Value = true;
    }
    void GetVariableWithParams(const String& Name, const Variant& P, Variant& Value) {
        if (Name == u"GetDBPicture") Value = u"pic of " + P.AsString();
    }
    void GetVariableWithParams2(const String& Name, const TVariantArray& Keys, Variant& Value, const TVariantArray&) {
        Value = Name == u"daFindKey" && !Keys.empty() && Keys[0].AsInteger() == 7;
    }
    void SetVariable(const String& Name, const Variant& Value) { Set.push_back(Name + u"=" + Value.AsString()); }

private:
    static void Published(TPublisher<TdaTable>& P) {
        P.Property(u"Short", &TdaTable::Short).As(StringKindTypeInfo(tkString));
        P.Property(u"SessionName", &TdaTable::Session).As(StringKindTypeInfo(tkWString));
        P.Property(u"ConnectionString", &TdaTable::Connection).As(StringKindTypeInfo(tkString));
        P.Property(u"CursorLocation", &TdaTable::Cursor);
        P.Property(u"OnFilterOptions", &TdaTable::FilterOptions);
        P.Property(u"PictureMasks", &TdaTable::PictureMasks, &TdaTable::SetPictureMasks);
        P.Property(u"Params", &TdaTable::Params);
        P.Property(u"OnInvalidValue", &TdaTable::OnInvalidValue);
        P.Method(u"GetVariable", &TdaTable::GetVariable);
        P.Method(u"GetVariableWithParams", &TdaTable::GetVariableWithParams);
        P.Method(u"GetVariableWithParams2", &TdaTable::GetVariableWithParams2);
        P.Method(u"SetVariable", &TdaTable::SetVariable);
    }
};

class TADOTable : public TMemDataSet {
    DECLARE_CLASS(TADOTable, TMemDataSet)
public:
    using TMemDataSet::TMemDataSet;
};

class TCustomGrid : public TCustomControl {
    DECLARE_CLASS(TCustomGrid, TCustomControl)
public:
    using TCustomControl::TCustomControl;
};

} // namespace

TEST(ByName, ClassTestsIgnoreCaseAndNull) {
    TdaTable Table(nullptr);
    EXPECT_FALSE(daIsKindOf(nullptr, u"TdaTable"));
    EXPECT_TRUE(daIsKindOf(&Table, u"tdatable"));
    EXPECT_TRUE(daIsKindOf(&Table, u"TDATASET"));
    EXPECT_FALSE(daIsKindOf(&Table, u"TADOTable"));
    EXPECT_TRUE(daIsLibraryDataSet(&Table));
    EXPECT_FALSE(daClassInheritsFrom(nullptr, u"TObject"));

    TCustomGrid Grid(nullptr);
    TEdit Edit(nullptr);
    EXPECT_FALSE(daParentIsGrid(&Edit));
    Edit.SetParent(&Grid);
    EXPECT_TRUE(daParentIsGrid(&Edit));
    EXPECT_FALSE(daIsGridPaintCopy(&Edit));
    TControlState State = Edit.ControlState();
    State.Include(csPaintCopy);
    Edit.SetControlState(State);
    EXPECT_TRUE(daIsGridPaintCopy(&Edit));
    EXPECT_FALSE(daIsInspectorPaintCopy(&Edit));
    Edit.SetParent(nullptr);
}

TEST(ByName, AbsentMembersAnswerNeutrally) {
    TMemDataSet Plain(nullptr);
    TEdit Edit(nullptr);
    String S = u"x";
    EXPECT_EQ(daGetPictureMasks(nullptr), nullptr);
    EXPECT_EQ(daGetPictureMasks(&Plain), nullptr);
    EXPECT_TRUE(daGetControlInfoInDataSet(&Plain));
    EXPECT_TRUE(daGetPictureMaskFromDataSet(&Plain));
    EXPECT_EQ(daGetCursorLocation(&Plain), 0);
    daGetDatabaseName(&Plain, S);
    EXPECT_EQ(S, u"");
    EXPECT_EQ(daGetConnection(&Plain), nullptr);
    EXPECT_FALSE(daHasDatabaseProperty(&Plain));
    EXPECT_FALSE(daIsTransparent(&Edit));
    EXPECT_TRUE(daHasBorder(&Edit)); // a TEdit has a single border
    EXPECT_TRUE(daSetBorderStyle(&Edit, false));
    EXPECT_FALSE(daHasBorder(&Edit));
    EXPECT_FALSE(daSetCursorLocation(&Plain, 1));
    EXPECT_FALSE(daSetDataField(&Plain, u"Name")); // not a windowed control

    // Without OnFilterOptions: the Filtered flag, and enabling changes nothing.
    EXPECT_EQ(daGetOnFilterOptions(&Plain), 0);
    Plain.SetFiltered(true);
    EXPECT_EQ(daGetOnFilterOptions(&Plain), 1);
    daSetOnFilterEnabled(&Plain, false);
    EXPECT_TRUE(Plain.Filtered());

    // The variable protocol on a dataset without its methods: an unassigned Variant.
    Variant V = 5;
    daGetVariable(&Plain, u"IndexFieldCount", V);
    EXPECT_TRUE(V.IsEmpty());
    EXPECT_FALSE(V.AsBoolean());
    EXPECT_EQ(V.AsString(), u"");
    EXPECT_FALSE(daCallFindKey(&Plain, {7}));
    EXPECT_FALSE(daHasIndexFields(&Plain));
    daSetVariable(&Plain, u"SetRange", 1); // nothing happens
    EXPECT_EQ(daGetVariableObject(nullptr, u"LookupTables", Variant()), nullptr);
}

TEST(ByName, PresentMembersAreReadAndWritten) {
    TdaTable Table(nullptr);
    Table.FieldDefs().Add(u"Name", ftString, 20);
    Table.Open();

    EXPECT_FALSE(daSetStrPropByName(&Table, u"Short", u"s")); // a short string is not written
    EXPECT_EQ(Table.Short, u"");
    EXPECT_TRUE(daSetConnectionString(&Table, u"file.db")); // any string kind
    EXPECT_EQ(Table.Connection, u"file.db");
    EXPECT_TRUE(daSetSessionName(&Table, u"S1"));
    String S;
    daGetSessionName(&Table, S);
    EXPECT_EQ(S, u"S1");
    EXPECT_TRUE(daSetCursorLocation(&Table, 1));
    EXPECT_EQ(daGetCursorLocation(&Table), 1);

    EXPECT_EQ(daGetOnFilterOptions(&Table), 2);
    daSetOnFilterEnabled(&Table, true);
    EXPECT_EQ(daGetOnFilterOptions(&Table), 3);
    daSetOnFilterEnabled(&Table, false);
    EXPECT_EQ(daGetOnFilterOptions(&Table), 2);

    TMethod E;
    daGetOnInvalidValue(&Table, E);
    EXPECT_FALSE(E.Assigned());
    Table.OnInvalidValue = [](TObject*) {};
    daGetOnInvalidValue(&Table, E);
    EXPECT_TRUE(E.Assigned());

    TStringList Lines;
    Lines.Add(u"Name=###");
    EXPECT_TRUE(daSetStringsProp(&Table, &Lines, u"PictureMasks"));
    EXPECT_EQ(daGetPictureMasks(&Table)->Strings(0), u"Name=###");
    EXPECT_FALSE(daSetStringsProp(&Table, &Lines, u"SessionName")); // text kinds take it, answer False
    EXPECT_EQ(Table.Session, u"Name=###");

    TParams P;
    P.CreateParam(ftInteger, u"Id", ptInput).SetAsInteger(3);
    EXPECT_TRUE(daAssignParams(&Table, &P));
    EXPECT_EQ(daGetParams(&Table)->ParamByName(u"Id").AsInteger(), 3);

    TObject* Defs = nullptr;
    EXPECT_TRUE(daGetIndexDefs(&Table, Defs));
    EXPECT_EQ(Defs, &Table.IndexDefs());

    Variant V;
    daGetVariable(&Table, u"IndexFieldCount", V);
    EXPECT_EQ(V.AsInteger(), 2);
    EXPECT_TRUE(daHasIndexFields(&Table));
    EXPECT_TRUE(daIsQueryTable(&Table));
    EXPECT_TRUE(daCallFindKey(&Table, {7}));
    EXPECT_FALSE(daCallFindKey(&Table, {8}));
    daGetDBPicture(&Table, u"Name", S);
    EXPECT_EQ(S, u"pic of Name");
    daGetDBPicture(&Table, u"Missing", S);
    EXPECT_EQ(S, u"");
    daSetVariable(&Table, u"SetRange", 4);
    EXPECT_EQ(Table.Set, std::vector<String>{u"SetRange=4"});

    Table.Close(); // our own datasets take plain names only; the brackets are read back away
    EXPECT_TRUE(daSetIndexFieldNames(&Table, u"[Name]"));
    daGetIndexFieldNames(&Table, S);
    EXPECT_EQ(S, u"Name");
}

TEST(ByName, IndexFieldNamesOfAnAdoTableAreBracketed) {
    for (const String& Names : {String(u"First Name;Id"), String(u"[First Name];[Id]")}) {
        TADOTable Table(nullptr);
        Table.FieldDefs().Add(u"First Name", ftString, 20);
        Table.FieldDefs().Add(u"Id", ftInteger);
        EXPECT_TRUE(daSetIndexFieldNames(&Table, Names));
        EXPECT_EQ(Table.IndexFieldNames(), u"[First Name];Id");
    }
}
