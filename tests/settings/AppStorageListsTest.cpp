// Lists, collections and objects with their published properties in the settings store.

#include "StoreSupport.h"

#include "platform/base/Collection.h"
#include "platform/base/DateTime.h"

namespace {

DECLARE_ENUM(TListColor, Byte, lcRed, lcGreen, lcBlue)
using TListColors = TSet<TListColor>;

class TFontInfo : public TPersistent {
    DECLARE_CLASS(TFontInfo, TPersistent)
public:
    String Name = u"Sans";
    int Size = 8;
    bool Bold = false;

private:
    static void Published(TPublisher<TFontInfo>& P) {
        P.Property(u"Name", &TFontInfo::Name);
        P.Property(u"Size", &TFontInfo::Size).Default(8);
        P.Property(u"Bold", &TFontInfo::Bold).Default(false);
    }
};

class TColumn : public TCollectionItem {
    DECLARE_CLASS(TColumn, TCollectionItem)
public:
    explicit TColumn(TCollection* C) : TCollectionItem(C) {}
    String Title;
    int Width = 64;
    TFontInfo* Font() { return &FFont; }

private:
    TFontInfo FFont;
    static void Published(TPublisher<TColumn>& P) {
        P.Property(u"Title", &TColumn::Title);
        P.Property(u"Width", &TColumn::Width).Default(64);
        P.Property(u"Font", &TColumn::Font);
    }
};

class TLayout : public TPersistent {
    DECLARE_CLASS(TLayout, TPersistent)
public:
    String Caption;
    bool Visible = true;
    double Ratio = 0;
    TDateTime Saved = 0;
    Int64 Big = 0;
    TListColor Color = lcRed;
    TListColors Colors;
    String Empty;
    TNotifyEvent OnChange;
    TStringList* Lines() { return &FLines; }
    void SetLines(TStringList* Value) { FLines.Assign(Value); }
    TCollection* Columns() { return &FColumns; }
    TFontInfo* Font() { return &FFont; }
    int ItemCount() const { return 3; } // read-only

private:
    TStringList FLines;
    TCollection FColumns{TCollectionItemClass::Of<TColumn>()};
    TFontInfo FFont;
    static void Published(TPublisher<TLayout>& P) {
        P.Property(u"Caption", &TLayout::Caption);
        P.Property(u"Visible", &TLayout::Visible).Default(true);
        P.Property(u"Ratio", &TLayout::Ratio);
        P.Property(u"Saved", &TLayout::Saved).As(DateTimeTypeInfo());
        P.Property(u"Big", &TLayout::Big);
        P.Property(u"Color", &TLayout::Color).Default(lcRed);
        P.Property(u"Colors", &TLayout::Colors).Default(TListColors{});
        P.Property(u"Empty", &TLayout::Empty);
        P.Property(u"OnChange", &TLayout::OnChange);
        P.Property(u"Lines", &TLayout::Lines, &TLayout::SetLines);
        P.Property(u"Columns", &TLayout::Columns);
        P.Property(u"Font", &TLayout::Font);
        P.Property(u"ItemCount", &TLayout::ItemCount);
    }
};

// Made by class name when an object list is read without an item creator.
class TListEntry : public TPersistent {
    DECLARE_CLASS(TListEntry, TPersistent)
public:
    int Value = 0;

private:
    static void Published(TPublisher<TListEntry>& P) { P.Property(u"Value", &TListEntry::Value).Default(0); }
};

// Stores itself, and its published properties too.
class TSelfStoring : public TPersistent, public IAppStorageHandler, public IAppStoragePublishedProps {
    DECLARE_CLASS(TSelfStoring, TPersistent)
public:
    int Value = 0;
    String Own;
    void ReadFromStorage(TKitCustomAppStorage* Storage, const String& BasePath) override {
        Own = Storage->ReadString(BasePath + u"\\Own");
    }
    void WriteToStorage(TKitCustomAppStorage* Storage, const String& BasePath) override {
        Storage->WriteString(BasePath + u"\\Own", Own);
    }

private:
    static void Published(TPublisher<TSelfStoring>& P) {
        P.Property(u"Value", &TSelfStoring::Value).Default(0);
    }
};

class TFontEngine : public TKitAppStoragePropertyBaseEngine {
public:
    bool Supports(TObject*, TObject* AProperty) override { return dynamic_cast<TFontInfo*>(AProperty); }
    void WriteProperty(TKitCustomAppStorage* S, const String& Path, TObject*, TObject* P, bool) override {
        auto* F = static_cast<TFontInfo*>(P);
        S->WriteString(Path, F->Name + u"," + IntToStr(F->Size));
    }
    void ReadProperty(TKitCustomAppStorage* S, const String& Path, TObject*, TObject* P, bool,
                      bool) override {
        const String Contents = S->ReadString(Path);
        auto* F = static_cast<TFontInfo*>(P);
        F->Name = Contents.substr(0, Contents.find(u','));
        F->Size = StrToInt(Contents.substr(Contents.find(u',') + 1));
    }
};

class AppStorageLists : public ::testing::Test {
protected:
    TTempFolder Temp;
    String File = Temp / "lists.ini";
    TStorePtr Store = NewStore(File);

    TStorePtr Reopen() {
        Store->Flush();
        return NewStore(File);
    }
    std::vector<std::string> Section(const std::string& Name) {
        std::vector<std::string> Lines;
        bool In = false;
        for (const std::string& L : FileLines(File)) {
            if (!L.empty() && L[0] == '[')
                In = L == "[" + Name + "]";
            else if (In && !L.empty())
                Lines.push_back(L);
        }
        return Lines;
    }
};

std::vector<std::string> Lines(const TStrings& L) {
    std::vector<std::string> R;
    for (int I = 0; I < L.Count(); ++I)
        R.push_back(U8(L.Strings(I)));
    return R;
}

void Fill(TStrings& L, int N) {
    L.Clear();
    for (int I = 0; I < N; ++I)
        L.Add(u"line " + IntToStr(I));
}

} // namespace

TEST_F(AppStorageLists, ShorterStringListsLeaveNoOldItems) {
    for (bool OldNames : {true, false}) {
        Store->DeleteSubTree(u"");
        Store->StorageOptions()->SetUseOldItemNameFormat(OldNames);
        auto Name = [&](int I) {
            return OldNames ? "Item" + std::to_string(I) : "Item[" + std::to_string(I) + "]";
        };
        TStringList L;
        Fill(L, 8);
        Store->WriteStringList(u"List", &L);
        Fill(L, 5);
        Store->WriteStringList(u"List", &L);
        Store->Flush();
        std::vector<std::string> Expected = {"Count=5"};
        for (int I = 0; I < 5; ++I)
            Expected.insert(Expected.end() - 1, Name(I) + "=line " + std::to_string(I));
        EXPECT_EQ(Section("List"), Expected) << OldNames;

        TStringList Read;
        Read.Add(u"old");
        TStorePtr Again = Reopen();
        Again->StorageOptions()->SetUseOldItemNameFormat(OldNames);
        EXPECT_EQ(Again->ReadStringList(u"List", &Read, true), 5);
        EXPECT_EQ(Lines(Read), Lines(L));
        L.Clear();
        Store->WriteStringList(u"List", &L);
        Store->Flush();
        EXPECT_EQ(Section("List"), std::vector<std::string>{"Count=0"});
    }
}

TEST_F(AppStorageLists, ASingleValueIsReadAsLines) {
    Store->SetDefaultSection(u"General");
    Store->WriteString(u"Notes", u"one\r\ntwo\r\nthree");
    TStringList L;
    EXPECT_EQ(Store->ReadStringList(u"Notes", &L), 3);
    EXPECT_EQ(Lines(L), (std::vector<std::string>{"one", "two", "three"}));
}

TEST_F(AppStorageLists, TheSingleStringFormReplacesTheFolderForm) {
    Store->SetDefaultSection(u"General");
    Store->IniStorageOptions()->SetReplaceCRLF(true);
    TStringList L;
    Fill(L, 3);
    Store->WriteStringList(u"List", &L);
    Store->StorageOptions()->SetStoreStringListAsSingleString(true);
    Store->WriteStringList(u"List", &L);
    Store->Flush();
    EXPECT_TRUE(Section("List").empty());
    EXPECT_EQ(Section("General"), std::vector<std::string>{"List=line 0\\nline 1\\nline 2\\n"});
    TStorePtr Again = Reopen();
    Again->SetDefaultSection(u"General");
    Again->IniStorageOptions()->SetReplaceCRLF(true);
    TStringList Read;
    EXPECT_EQ(Again->ReadStringList(u"List", &Read), 3);
    EXPECT_EQ(Lines(Read), Lines(L));

    // And back: the folder form takes the single value away.
    Store->StorageOptions()->SetStoreStringListAsSingleString(false);
    Store->WriteStringList(u"List", &L);
    Store->Flush();
    EXPECT_FALSE(HasLine(File, "[General]")); // emptied: not written at all
    EXPECT_EQ(Section("List").size(), 4u);
}

TEST_F(AppStorageLists, WideStringListsAlwaysNumberTheirItems) {
    Store->StorageOptions()->SetUseOldItemNameFormat(false);
    TStringList L;
    L.Add(u"\u00E4");
    L.Add(u"b");
    Store->WriteWideStringList(u"Wide", &L);
    Store->Flush();
    EXPECT_EQ(Section("Wide"), (std::vector<std::string>{"Item0=\u00E4", "Item1=b", "Count=2"}));
    TStringList Read;
    EXPECT_EQ(Reopen()->ReadWideStringList(u"Wide", &Read), 2);
    EXPECT_EQ(Lines(Read), Lines(L));
    Read.Add(u"kept");
    EXPECT_EQ(Store->ReadWideStringList(u"Missing", &Read), 3); // nothing stored: unchanged
}

TEST_F(AppStorageLists, ObjectListsWithAGap) {
    TObjectList List;
    for (int I = 0; I < 4; ++I) {
        auto* E = I == 2 ? nullptr : new TListEntry;
        if (E) E->Value = 10 + I;
        List.Add(E);
    }
    Store->WriteObjectList(u"Objects", &List);
    Store->Flush();
    EXPECT_EQ(Section("Objects"), std::vector<std::string>{"Count=4"});
    EXPECT_EQ(Section("Objects\\Item1"), std::vector<std::string>{"Value=11"});
    EXPECT_TRUE(Section("Objects\\Item2").empty());

    TObjectList Read;
    std::vector<int> Created;
    TStorePtr Again = Reopen();
    EXPECT_EQ(
        Again->ReadObjectList(u"Objects", &Read,
                              [&](TKitCustomAppStorage*, const String& Path, int Index) -> TPersistent* {
                                  EXPECT_EQ(U8(Path), "Objects\\Item" + std::to_string(Index));
                                  Created.push_back(Index);
                                  return new TListEntry;
                              }),
        4);
    EXPECT_EQ(Created, (std::vector<int>{0, 1, 2, 3}));
    ASSERT_EQ(Read.Count(), 4);
    EXPECT_EQ(static_cast<TListEntry*>(Read[3])->Value, 13);
    EXPECT_EQ(static_cast<TListEntry*>(Read[2])->Value, 0);

    // Not stored: the list stays as it is.
    EXPECT_EQ(Again->ReadObjectList(u"None", &Read), 4);
}

TEST_F(AppStorageLists, ObjectsMadeByTheirStoredClassName) {
    RegisterClass(TListEntry::StaticClass());
    Store->WriteInteger(u"ByName\\Count", 2);
    Store->WriteString(u"ByName\\Item0\\Classname", u"TListEntry");
    Store->WriteInteger(u"ByName\\Item0\\Value", 5);
    Store->WriteString(u"ByName\\Item1\\Classname", u"tlistentry");
    TObjectList List;
    EXPECT_EQ(Store->ReadObjectList(u"ByName", &List), 2);
    EXPECT_EQ(static_cast<TListEntry*>(List[0])->Value, 5);
    EXPECT_NE(dynamic_cast<TListEntry*>(List[1]), nullptr);

    Store->WriteString(u"ByName\\Item1\\Classname", u"");
    EXPECT_THROW(Store->ReadObjectList(u"ByName", &List), EKitAppStorageError);
    Store->WriteString(u"ByName\\Item1\\Classname", u"TNoSuchClass");
    EXPECT_THROW(Store->ReadObjectList(u"ByName", &List), EKitAppStorageError);
}

TEST_F(AppStorageLists, StringListsWithObjects) {
    TStringList L(true);
    auto* A = new TListEntry;
    A->Value = 7;
    L.AddObject(u"first", A);
    L.AddObject(u"second", nullptr);
    Store->WriteStringObjectList(u"Pairs", &L);
    Store->Flush();
    EXPECT_EQ(Section("Pairs\\Item0"), std::vector<std::string>{"Itemname=first"});
    EXPECT_EQ(Section("Pairs\\Item0\\Object"), std::vector<std::string>{"Value=7"});
    TStringList Read(true);
    EXPECT_EQ(Reopen()->ReadStringObjectList(
                  u"Pairs", &Read, [](TKitCustomAppStorage*, const String&, int) { return new TListEntry; }),
              2);
    EXPECT_EQ(Lines(Read), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(static_cast<TListEntry*>(Read.Objects(0))->Value, 7);
}

TEST_F(AppStorageLists, ObjectsWithTheirPublishedProperties) {
    TLayout Out;
    Out.Caption = u"Main";
    Out.Visible = false;
    Out.Ratio = 0.75;
    Out.Saved = EncodeDate(2024, 3, 5) + EncodeTime(6, 7, 8, 0);
    Out.Big = 9000000000;
    Out.Color = lcBlue;
    Out.Colors = {lcGreen, lcBlue};
    Out.Lines()->Add(u"x");
    Out.Lines()->Add(u"y");
    Out.Font()->Name = u"Mono";
    for (int I = 0; I < 2; ++I) {
        auto* C = static_cast<TColumn*>(Out.Columns()->Add());
        C->Title = u"Col" + IntToStr(I);
        C->Font()->Size = 10 + I;
    }
    Store->WritePersistent(u"Layout", &Out);
    Store->Flush();
    EXPECT_EQ(Section("Layout"),
              (std::vector<std::string>{"Caption=Main", "Visible=FALSE", "Ratio=00000000000000C0FE3F",
                                        "Saved=5.3.2024 6:07:08", "Big=9000000000", "Color=lcBlue",
                                        "Empty=", "ItemCount=3"}));
    EXPECT_EQ(Section("Layout\\Colors"),
              (std::vector<std::string>{"lcRed=FALSE", "lcGreen=TRUE", "lcBlue=TRUE"}));
    EXPECT_EQ(Section("Layout\\Lines"), (std::vector<std::string>{"Item0=x", "Item1=y", "Count=2"}));
    EXPECT_EQ(Section("Layout\\Columns\\Item1"), (std::vector<std::string>{"Title=Col1", "Width=64"}));
    EXPECT_EQ(Section("Layout\\Columns\\Item1\\Font"),
              (std::vector<std::string>{"Name=Sans", "Size=11", "Bold=FALSE"}));

    TLayout In;
    In.Lines()->Add(u"stale");
    Reopen()->ReadPersistent(u"Layout", &In);
    EXPECT_EQ(U8(In.Caption), "Main");
    EXPECT_FALSE(In.Visible);
    EXPECT_EQ(In.Ratio, 0.75);
    EXPECT_EQ(In.Saved, Out.Saved);
    EXPECT_EQ(In.Big, 9000000000);
    EXPECT_EQ(In.Color, lcBlue);
    EXPECT_EQ(In.Colors, Out.Colors);
    EXPECT_EQ(Lines(*In.Lines()), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(U8(In.Font()->Name), "Mono");
    ASSERT_EQ(In.Columns()->Count(), 2);
    EXPECT_EQ(U8(static_cast<TColumn*>(In.Columns()->Items(1))->Title), "Col1");
    EXPECT_EQ(static_cast<TColumn*>(In.Columns()->Items(1))->Font()->Size, 11);

    // Without recursion only the string list among the objects is stored.
    Store->DeleteSubTree(u"Layout");
    Store->WritePersistent(u"Layout", &Out, false);
    Store->Flush();
    EXPECT_FALSE(Section("Layout\\Lines").empty());
    EXPECT_TRUE(Section("Layout\\Font").empty());
    EXPECT_TRUE(Section("Layout\\Columns").empty());

    // A stored enumeration number beyond its type is refused, not stored into the property.
    Store->WriteString(u"Layout\\Color", u"7");
    EXPECT_THROW(Store->ReadProperty(u"Layout\\Color", &In, u"Color", true, true), EConvertError);
    EXPECT_EQ(In.Color, lcBlue);

    // A stored 64-bit number that is not one.
    Store->WriteString(u"Layout\\Big", u"many");
    EXPECT_THROW(Store->ReadProperty(u"Layout\\Big", &In, u"Big", true, true), EConvertError);
}

TEST_F(AppStorageLists, ShorterCollectionsLeaveNothingOfTheirOldItems) {
    TLayout L;
    for (int I = 0; I < 3; ++I)
        L.Columns()->Add();
    Store->WriteCollection(u"Cols", L.Columns());
    Store->Flush();
    EXPECT_FALSE(Section("Cols\\Item2\\Font").empty());
    L.Columns()->Delete(2);
    L.Columns()->Delete(1);
    Store->WriteCollection(u"Cols", L.Columns());
    Store->Flush();
    EXPECT_EQ(Section("Cols"), std::vector<std::string>{"Count=1"});
    for (const char* S : {"Cols\\Item1", "Cols\\Item1\\Font", "Cols\\Item2", "Cols\\Item2\\Font"})
        EXPECT_FALSE(HasLine(File, "[" + std::string(S) + "]")) << S;
    TLayout Read;
    EXPECT_EQ(Store->ReadCollection(u"Cols", Read.Columns()), 1);
    EXPECT_EQ(Read.Columns()->Count(), 1);
}

TEST_F(AppStorageLists, DefaultsAreLeftOutWhenAsked) {
    TLayout L; // Visible at its default, Empty empty, Color at its default
    L.Caption = u"set";
    Store->StorageOptions()->SetStoreDefaultValues(false);
    Store->WritePersistent(u"Layout", &L);
    Store->Flush();
    // Ratio 0, Saved 0 and Big 0 are left out as well, and so is every property without a writer
    // (ItemCount, and the objects Font and Columns); Lines has one.
    EXPECT_EQ(Section("Layout"), std::vector<std::string>{"Caption=set"});
    EXPECT_EQ(Section("Layout\\Lines"), std::vector<std::string>{"Count=0"});
    EXPECT_TRUE(Section("Layout\\Font").empty());
}

TEST_F(AppStorageLists, NamesTranslatedAndPropertiesIgnored) {
    Store->OnTranslatePropertyName = [](TKitCustomAppStorage*, TPersistent*, String& Name, bool Reading) {
        EXPECT_FALSE(Reading); // the same name both ways
        if (Name == u"Caption") Name = u"Title";
    };
    TFontInfo Font;
    TLayout L;
    L.Caption = u"translated";
    TStringList Ignore;
    for (const char16_t* N : {u"Lines", u"Columns", u"Font", u"Colors", u"visible"})
        Ignore.Add(N);
    Store->WritePersistent(u"L", &L, true, &Ignore);
    Store->Flush();
    EXPECT_TRUE(HasLine(File, "Title=translated"));
    EXPECT_FALSE(HasLine(File, "Visible=TRUE"));
    EXPECT_TRUE(Section("L\\Font").empty());
    TLayout Read;
    Store->ReadPersistent(u"L", &Read);
    EXPECT_EQ(U8(Read.Caption), "translated");
}

TEST_F(AppStorageLists, ObjectsThatStoreThemselves) {
    TSelfStoring S;
    S.Value = 3;
    S.Own = u"by itself";
    Store->WritePersistent(u"Self", &S);
    Store->Flush();
    EXPECT_EQ(Section("Self"), (std::vector<std::string>{"Own=by itself", "Value=3"}));
    TSelfStoring Read;
    Store->ReadPersistent(u"Self", &Read);
    EXPECT_EQ(U8(Read.Own), "by itself");
    EXPECT_EQ(Read.Value, 3);
}

TEST_F(AppStorageLists, RegisteredEnginesStoreTheirClasses) {
    TKitAppStoragePropertyEngineList* Engines = RegisteredAppStoragePropertyEngineList();
    ASSERT_NE(Engines, nullptr);
    Engines->RegisterEngine<TFontEngine>();
    TLayout L;
    L.Font()->Name = u"Mono";
    L.Font()->Size = 12;
    Store->WritePersistent(u"E", &L);
    TLayout Read;
    Store->ReadPersistent(u"E", &Read);
    Engines->UnregisterEngine<TFontEngine>();
    Store->Flush();
    EXPECT_TRUE(HasLine(File, "Font=Mono,12"));
    EXPECT_TRUE(Section("E\\Font").empty());
    EXPECT_EQ(U8(Read.Font()->Name), "Mono");
    EXPECT_EQ(Read.Font()->Size, 12);
    EXPECT_EQ(Engines->Count(), 0);
}

TEST_F(AppStorageLists, NothingIsWrittenToAReadOnlyStore) {
    TStringList L;
    Fill(L, 2);
    Store->SetReadOnly(true);
    Store->WriteStringList(u"List", &L);
    Store->SetReadOnly(false);
    EXPECT_FALSE(Store->ListStored(u"List"));
    // Nor through a sub-storage that is read-only.
    TStorePtr Other = NewStore(Temp / "other.ini");
    Other->SetReadOnly(true);
    Store->SubStorages()->Add(u"Sub", Other.get());
    Store->WriteStringList(u"Sub\\List", &L);
    Other->SetReadOnly(false);
    EXPECT_FALSE(Other->ListStored(u"List"));
}
