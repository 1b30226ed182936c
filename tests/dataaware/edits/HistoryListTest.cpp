// History lists in INI files and in the registry, size limits, the MRU count, saving on the way out.
#include "dataaware/edits/daHistoryList.h"

#include "platform/base/Files.h"
#include "platform/base/Ini.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::vector<String> Lines(TStrings* S) {
    std::vector<String> V;
    for (int K = 0; K < S->Count(); ++K)
        V.push_back(S->Strings(K));
    return V;
}

void Fill(TdaHistoryList& H, std::initializer_list<const char16_t*> Entries) {
    H.List()->Clear();
    for (const char16_t* E : Entries)
        H.List()->Add(E);
}

} // namespace

TEST(HistoryList, IniSectionKeepsTheNewestEntriesUnderTheirIndexes) {
    TTempFolder Tmp;
    const String File = Tmp / "hist.ini";
    TdaHistoryList H;
    H.SetSection(u"Colors");
    H.SetFileName(File);
    H.SetMaxSize(3);
    Fill(H, {u"a", u"b", u"c", u"d", u"e"});
    H.Save();
    TIniFile Ini(File);
    EXPECT_EQ(Ini.ReadSectionKeys(u"Colors"), (std::vector<String>{u"2", u"3", u"4"}));
    EXPECT_EQ(Ini.ReadString(u"Colors", u"2", u""), u"c");
    EXPECT_EQ(H.List()->Count(), 5) << "an INI save does not cut the list";

    TdaHistoryList Back;
    Back.SetSection(u"Colors");
    Back.SetFileName(File);
    TStringList Sync;
    Sync.Add(u"d");
    Sync.Add(u"x");
    Back.Load(&Sync);
    EXPECT_TRUE(Back.IsLoaded());
    EXPECT_EQ(Lines(Back.List()), (std::vector<String>{u"c", u"d", u"e"}));
    EXPECT_EQ(Lines(&Sync), (std::vector<String>{u"d", u"x", u"c", u"e"})) << "only what the lines lack is added";

    // A missing section empties the list.
    Back.SetSection(u"Nothing");
    Back.Load(nullptr);
    EXPECT_EQ(Back.List()->Count(), 0);
}

TEST(HistoryList, RegistryValueHoldsLinesAndCutsTheList) {
    TdaHistoryList H;
    H.SetStorageType(stRegistry);
    H.SetSection(u"Recent");
    H.SetFileName(u"Software\\Morvane\\Tests\\History");
    H.SetMaxSize(3);
    Fill(H, {u"a", u"b", u"c", u"d", u"\u00e9t\u00e9"});
    H.Save();
    EXPECT_EQ(Lines(H.List()), (std::vector<String>{u"c", u"d", u"\u00e9t\u00e9"}));

    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKeyReadOnly(u"Software\\Morvane\\Tests\\History"));
    EXPECT_EQ(Reg.GetDataType(u"Recent"), rdBinary);
    std::string Bytes(static_cast<size_t>(Reg.GetDataSize(u"Recent")), '\0');
    Reg.ReadBinaryData(u"Recent", Bytes.data(), static_cast<int>(Bytes.size()));
    EXPECT_EQ(Bytes, "c\r\nd\r\n\xc3\xa9t\xc3\xa9\r\n");

    TdaHistoryList Back;
    Back.SetStorageType(stRegistry);
    Back.SetSection(u"Recent");
    Back.SetFileName(u"Software\\Morvane\\Tests\\History");
    Fill(Back, {u"old"});
    Back.Load(nullptr);
    EXPECT_EQ(Lines(Back.List()), (std::vector<String>{u"c", u"d", u"\u00e9t\u00e9"}));

    // A missing value leaves the list as it was.
    Back.SetSection(u"Missing");
    Back.Load(nullptr);
    EXPECT_EQ(Back.List()->Count(), 3);
}

TEST(HistoryList, FileNameRuleAndWhereNothingIsStored) {
    TTempFolder Tmp;
    TComponent Owner(nullptr);
    TdaHistoryList H;
    H.SetSection(u"S");
    Fill(H, {u"one"});
    // No owner, no names: nothing to read, the entries are merged into the lines.
    EXPECT_EQ(H.GetFileName(), u"");
    TStringList Sync;
    H.Load(&Sync);
    EXPECT_FALSE(H.IsLoaded());
    EXPECT_EQ(Lines(&Sync), (std::vector<String>{u"one"}));

    H.Owner = &Owner;
    SetProgramFileOverride(Tmp / "Tool.Portable.exe");
    EXPECT_EQ(H.GetFileName(), u"Tool.ini");
    H.SetStorageType(stRegistry);
    EXPECT_EQ(H.GetFileName(), u"") << "the registry has no fallback to the program's name";
    SetProgramFileOverride(u"");

    // Without a section nothing is read, only merged.
    TdaHistoryList NoSection;
    NoSection.SetFileName(Tmp / "x.ini");
    Fill(NoSection, {u"p", u"q"});
    TStringList Sync2;
    NoSection.Load(&Sync2);
    EXPECT_EQ(Lines(&Sync2), (std::vector<String>{u"p", u"q"}));
}

TEST(HistoryList, MruCountAndSavingOnTheWayOut) {
    TTempFolder Tmp;
    TdaHistoryList H;
    Fill(H, {u"a", u"b", u"c"});
    H.SetMRUEnabled(true);
    EXPECT_EQ(H.EffectiveMRUCount(), 0) << "only an enabled history has recent entries";
    H.SetEnabled(true);
    EXPECT_EQ(H.EffectiveMRUCount(), 2);
    H.SetMRUMaxSize(5);
    EXPECT_EQ(H.EffectiveMRUCount(), 3);

    const String File = Tmp / "exit.ini";
    {
        TComponent Owner(nullptr);
        TdaHistoryList Loaded;
        Loaded.Owner = &Owner;
        Loaded.SetSection(u"S");
        Loaded.SetFileName(File);
        Loaded.Load(nullptr);
        Loaded.List()->Add(u"late");
    }
    TIniFile Ini(File);
    EXPECT_EQ(Ini.ReadString(u"S", u"0", u""), u"late");
}
