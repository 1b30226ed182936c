#include "platform/base/Encoding.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Lists.h"
#include "platform/base/Streams.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Lines = std::vector<String>;

Lines LinesOf(const TStrings& L) {
    Lines R;
    for (int I = 0; I < L.Count(); ++I)
        R.push_back(L.Strings(I));
    return R;
}

void SetLines(TStrings& L, const Lines& Items) {
    L.Clear();
    for (const String& S : Items)
        L.Add(S);
}

class TUTF8NoBOM : public TUTF8Encoding {
public:
    TBytes GetPreamble() const override { return {}; }
};

// Another storage under the same base, as line stores of their own are built.
class TVectorStrings : public TStrings {
public:
    void Clear() override { FItems.clear(); }
    void Delete(int Index) override { FItems.erase(FItems.begin() + Index); }
    void Insert(int Index, const String& S) override { FItems.insert(FItems.begin() + Index, S); }
    std::string States;

protected:
    String Get(int Index) const override { return FItems.at(size_t(Index)); }
    int GetCount() const override { return int(FItems.size()); }
    void SetUpdateState(bool Updating) override { States += Updating ? '[' : ']'; }

private:
    Lines FItems;
};

} // namespace

TEST(StringList, BadIndexesRaiseAndChangeNothing) {
    TStringList L;
    SetLines(L, {u"a", u"b", u"c"});
    struct Case {
        std::function<void()> Action;
        String Message;
    };
    const Case Cases[] = {
        {[&] { L.Strings(3); }, u"List index out of bounds (3)"},
        {[&] { L.SetString(-1, u"x"); }, u"List index out of bounds (-1)"},
        {[&] { L.Objects(5); }, u"List index out of bounds (5)"},
        {[&] { L.SetObject(3, nullptr); }, u"List index out of bounds (3)"},
        {[&] { L.Delete(3); }, u"List index out of bounds (3)"},
        {[&] { L.Insert(4, u"x"); }, u"List index out of bounds (4)"},
        {[&] { L.Exchange(0, 9); }, u"List index out of bounds (9)"},
        {[&] { L.Move(-2, 0); }, u"List index out of bounds (-2)"},
        {[&] { L.Names(3); }, u"List index out of bounds (3)"},
        {[&] { L.SetCapacity(2); }, u"List capacity out of bounds (2)"},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(ThrownMessage<EStringListError>(C.Action), C.Message);
    EXPECT_EQ(LinesOf(L), (Lines{u"a", u"b", u"c"}));
    L.Insert(3, u"d"); // Count itself is a place to insert
    EXPECT_EQ(L.Count(), 4);
}

TEST(StringList, SortedListKeepsItsOrder) {
    TStringList L;
    L.SetSorted(true);
    for (const char16_t* S : {u"pear", u"apple", u"fig", u"Banana"})
        L.Add(S);
    EXPECT_EQ(LinesOf(L), (Lines{u"apple", u"Banana", u"fig", u"pear"}));
    EXPECT_EQ(L.IndexOf(u"FIG"), 2);
    EXPECT_EQ(L.IndexOf(u"kiwi"), -1);
    for (auto Action : std::initializer_list<std::function<void()>>{
             [&] { L.Insert(0, u"x"); }, [&] { L.SetString(0, u"x"); }, [&] { L.Move(0, 1); }})
        EXPECT_EQ(ThrownMessage<EStringListError>(Action), u"Operation not allowed on sorted list");
    EXPECT_EQ(LinesOf(L), (Lines{u"apple", u"Banana", u"fig", u"pear"}));
    // Turning sorting on sorts what is there.
    TStringList U;
    SetLines(U, {u"c", u"a", u"b"});
    U.SetSorted(true);
    EXPECT_EQ(LinesOf(U), (Lines{u"a", u"b", u"c"}));
}

TEST(StringList, DuplicatesInSortedLists) {
    struct Case {
        TDuplicates Mode;
        bool CaseSensitive;
        int Index;
        Lines After;
    };
    const Case Cases[] = {
        {dupIgnore, false, 1, {u"a", u"b", u"c"}},
        {dupAccept, false, -1, {u"a", u"B", u"b", u"c"}},
        {dupError, false, -2, {u"a", u"b", u"c"}},
        {dupError, true, 2, {u"a", u"b", u"B", u"c"}}, // only equal when letter case is ignored
    };
    for (const auto& C : Cases) {
        TStringList L;
        L.SetSorted(true);
        L.SetCaseSensitive(C.CaseSensitive);
        SetLines(L, {u"b", u"c", u"a"});
        L.SetDuplicates(C.Mode);
        if (C.Index == -2) {
            EXPECT_EQ(ThrownMessage<EStringListError>([&] { L.Add(u"B"); }),
                      u"String list does not allow duplicates");
        } else {
            int Index = L.Add(u"B");
            if (C.Index >= 0) {
                EXPECT_EQ(Index, C.Index);
            }
            EXPECT_EQ(L.Strings(Index), C.Index == 1 ? u"b" : u"B");
        }
        EXPECT_EQ(LinesOf(L), C.After) << int(C.Mode);
    }
    // An unsorted list takes every string.
    TStringList U;
    U.SetDuplicates(dupError);
    U.Add(u"x");
    U.Add(u"x");
    EXPECT_EQ(U.Count(), 2);
}

TEST(StringList, CaseSensitivityDecidesComparisons) {
    TStringList L;
    SetLines(L, {u"B", u"a", u"A", u"b"});
    EXPECT_EQ(L.IndexOf(u"A"), 1); // case-blind by default
    L.SetCaseSensitive(true);
    EXPECT_EQ(L.IndexOf(u"A"), 2);
    L.SetCaseSensitive(false);
    L.SetSorted(true);
    EXPECT_EQ(L.IndexOf(u"b"), 2);
    // Switching the rule sorts again, so binary search stays right.
    L.SetCaseSensitive(true);
    EXPECT_EQ(LinesOf(L), (Lines{u"a", u"A", u"b", u"B"}));
    for (int I = 0; I < 4; ++I)
        EXPECT_EQ(L.IndexOf(L.Strings(I)), I);
    EXPECT_EQ(L.IndexOf(u"c"), -1);
}

TEST(StringList, FindTellsWhereAStringIsOrWouldGo) {
    TStringList L;
    L.SetSorted(true);
    SetLines(L, {u"b", u"d", u"f"});
    struct Case {
        String S;
        bool Found;
        int Index;
    };
    const Case Cases[] = {{u"a", false, 0}, {u"b", true, 0}, {u"C", false, 1}, {u"D", true, 1},
                          {u"e", false, 2}, {u"f", true, 2}, {u"g", false, 3}};
    for (const auto& C : Cases) {
        int Index = -1;
        EXPECT_EQ(L.Find(C.S, Index), C.Found) << StringToUtf8(C.S);
        EXPECT_EQ(Index, C.Index) << StringToUtf8(C.S);
    }
    // Among equal strings Find names the first.
    L.SetDuplicates(dupAccept);
    for (int I = 0; I < 4; ++I)
        L.Add(u"d");
    L.SetDuplicates(dupIgnore);
    int Index = -1;
    EXPECT_TRUE(L.Find(u"d", Index));
    EXPECT_EQ(Index, 1);
}

TEST(StringList, SortAndCustomSortCarryTheObjects) {
    TStringList L;
    TObject X, Y, Z;
    L.AddObject(u"cherry", &Z);
    L.AddObject(u"Apple", &X);
    L.AddObject(u"banana", &Y);
    L.Sort();
    EXPECT_EQ(LinesOf(L), (Lines{u"Apple", u"banana", u"cherry"}));
    EXPECT_EQ(L.Objects(0), &X);
    EXPECT_EQ(L.Objects(2), &Z);
    // Longest first.
    L.Add(u"fig");
    L.CustomSort([](TStringList* List, int I, int J) {
        return int(List->Strings(J).size()) - int(List->Strings(I).size());
    });
    EXPECT_EQ(L.Strings(3), u"fig");
    EXPECT_EQ(L.Strings(0).size(), 6u);
    EXPECT_EQ(L.Objects(L.IndexOf(u"apple")), &X);
    EXPECT_EQ(L.IndexOfObject(&Y), L.IndexOf(u"banana"));
    // A sorted list is left in its own order.
    L.SetSorted(true);
    L.CustomSort([](TStringList*, int I, int J) { return J - I; });
    EXPECT_EQ(LinesOf(L), (Lines{u"Apple", u"banana", u"cherry", u"fig"}));
}

TEST(StringList, TextJoinsWithTheLineBreak) {
    TStringList L;
    EXPECT_EQ(L.Text(), u"");
    SetLines(L, {u"a", u"", u"b"});
    EXPECT_EQ(L.Text(), u"a\r\n\r\nb\r\n");
    L.SetTrailingLineBreak(false);
    EXPECT_EQ(L.Text(), u"a\r\n\r\nb");
    L.SetLineBreak(u"\n");
    EXPECT_EQ(L.Text(), u"a\n\nb");
}

TEST(StringList, SettingTextSplitsAtEveryKindOfLineBreak) {
    struct Case {
        String Text;
        Lines Expected;
    };
    const Case Cases[] = {
        {u"", {}},
        {u"a", {u"a"}},
        {u"a\r\n", {u"a"}},
        {u"a\r\n\r\n", {u"a", u""}},
        {u"a\r\nb\nc\rd", {u"a", u"b", u"c", u"d"}},
        {u"a\n\rb", {u"a", u"", u"b"}}, // LF CR is two breaks
        {u"\n", {u""}},
        {u"\r\n\n x ", {u"", u"", u" x "}},
    };
    for (const auto& C : Cases) {
        TStringList L;
        L.SetText(C.Text);
        EXPECT_EQ(LinesOf(L), C.Expected) << StringToUtf8(C.Text);
    }
    // Another line break splits only at itself.
    TStringList L;
    L.SetLineBreak(u"|");
    L.SetText(u"a|b\nc||");
    EXPECT_EQ(LinesOf(L), (Lines{u"a", u"b\nc", u""}));
    EXPECT_EQ(L.Text(), u"a|b\nc||");
}

TEST(StringList, CommaTextQuotesWhatNeedsIt) {
    struct Case {
        Lines Items;
        String Text;
    };
    const Case Cases[] = {
        {{}, u""},
        {{u""}, u"\"\""},
        {{u"a", u"b"}, u"a,b"},
        {{u"a", u"", u"b"}, u"a,,b"},
        {{u"a b", u"c"}, u"\"a b\",c"},
        {{u"x,y"}, u"\"x,y\""},
        {{u"say \"hi\""}, u"\"say \"\"hi\"\"\""},
        {{u"tab\there"}, u"\"tab\there\""},
        {{u"\u00E4=1", u"k=v"}, u"\u00E4=1,k=v"},
    };
    for (const auto& C : Cases) {
        TStringList L;
        SetLines(L, C.Items);
        EXPECT_EQ(L.CommaText(), C.Text);
        TStringList Back;
        Back.SetCommaText(C.Text);
        EXPECT_EQ(LinesOf(Back), C.Items) << StringToUtf8(C.Text);
    }
}

TEST(StringList, SettingCommaTextSplitsAtDelimitersAndSpaces) {
    struct Case {
        String Text;
        Lines Expected;
    };
    const Case Cases[] = {
        {u"a b  c", {u"a", u"b", u"c"}},
        {u"  a , b  ", {u"a", u"b"}},
        {u"a,", {u"a", u""}},
        {u",a", {u"", u"a"}},
        {u"a, ,b", {u"a", u"", u"b"}},
        {u"\"x\"\"y\"", {u"x\"y"}},
        {u"\"open", {u"open"}},
        {u"\"ab\"cd", {u"ab", u"cd"}},
        {u"\"a b\" c", {u"a b", u"c"}},
    };
    for (const auto& C : Cases) {
        TStringList L;
        L.SetCommaText(C.Text);
        EXPECT_EQ(LinesOf(L), C.Expected) << StringToUtf8(C.Text);
    }
}

TEST(StringList, DelimitedTextWithItsOwnCharactersAndStrictness) {
    TStringList L;
    L.SetDelimiter(u';');
    L.SetQuoteChar(u'\'');
    SetLines(L, {u"a b", u"c;d", u"it's", u"e,f"});
    EXPECT_EQ(L.DelimitedText(), u"'a b';'c;d';'it''s';e,f");
    EXPECT_EQ(L.CommaText(), u"\"a b\",c;d,it's,\"e,f\""); // CommaText keeps its own characters
    L.SetStrictDelimiter(true);
    EXPECT_EQ(L.DelimitedText(), u"a b;'c;d';'it''s';e,f");
    L.SetDelimitedText(u" a b ; 'c;d';");
    EXPECT_EQ(LinesOf(L), (Lines{u" a b ", u" 'c", u"d'", u""}));
    L.SetDelimitedText(u"'c;d';x y");
    EXPECT_EQ(LinesOf(L), (Lines{u"c;d", u"x y"}));
    L.SetStrictDelimiter(false);
    L.SetDelimitedText(u"x y;'p q'");
    EXPECT_EQ(LinesOf(L), (Lines{u"x", u"y", u"p q"}));
}

TEST(StringList, NamesAndValues) {
    TStringList L;
    SetLines(L, {u"Port=COM3", u"Baud=9600=fast", u"plain", u"=nameless"});
    EXPECT_EQ(L.Names(0), u"Port");
    EXPECT_EQ(L.Names(2), u"");
    EXPECT_EQ(L.ValueFromIndex(1), u"9600=fast");
    EXPECT_EQ(L.ValueFromIndex(2), u"");
    EXPECT_EQ(L.Values(u"port"), u"COM3"); // names are case-blind
    EXPECT_EQ(L.Values(u"plain"), u"");
    EXPECT_EQ(L.Values(u"missing"), u"");
    EXPECT_EQ(L.IndexOfName(u"BAUD"), 1);
    EXPECT_EQ(L.IndexOfName(u""), 3);
    L.SetValue(u"port", u"COM4");
    EXPECT_EQ(L.Strings(0), u"port=COM4");
    L.SetValue(u"Parity", u"N");
    EXPECT_EQ(L.Strings(4), u"Parity=N");
    L.SetValue(u"Baud", u"");
    EXPECT_EQ(L.IndexOfName(u"Baud"), -1);
    L.SetValue(u"absent", u"");
    EXPECT_EQ(LinesOf(L), (Lines{u"port=COM4", u"plain", u"=nameless", u"Parity=N"}));

    L.SetNameValueSeparator(u':');
    L.SetText(u"a:1\nb=2");
    EXPECT_EQ(L.Values(u"a"), u"1");
    EXPECT_EQ(L.Names(1), u"");

    // A sorted list gets changed values in their place.
    TStringList S;
    S.SetSorted(true);
    SetLines(S, {u"b=1", u"c=2"});
    S.SetValue(u"b", u"9");
    S.SetValue(u"a", u"0");
    EXPECT_EQ(LinesOf(S), (Lines{u"a=0", u"b=9", u"c=2"}));
}

TEST(StringList, ChangeEventsFireOutsideUpdatesOnly) {
    TStringList L;
    int Changing = 0, Changed = 0;
    std::vector<int> CountsSeen;
    L.OnChanging = [&](TObject* Sender) {
        EXPECT_EQ(Sender, &L);
        ++Changing;
        CountsSeen.push_back(L.Count());
    };
    L.OnChange = [&](TObject*) {
        ++Changed;
        CountsSeen.push_back(L.Count());
    };
    struct Case {
        const char* What;
        std::function<void()> Action;
        int Events;
    };
    const Case Cases[] = {
        {"Add", [&] { L.Add(u"x"); }, 1},
        {"Text", [&] { L.SetText(u"a\nb\nc"); }, 1},
        {"Sort", [&] { L.Sort(); }, 1},
        {"Exchange", [&] { L.Exchange(0, 2); }, 1},
        {"Move", [&] { L.Move(0, 2); }, 1},
        {"SetString", [&] { L.SetString(0, u"z"); }, 1},
        {"nested update",
         [&] {
             L.BeginUpdate();
             L.Add(u"d");
             L.BeginUpdate();
             L.Delete(0);
             L.EndUpdate();
             L.Add(u"e");
             L.EndUpdate();
         },
         1},
        {"bad index", [&] { EXPECT_THROW(L.Delete(99), EStringListError); }, 0},
        {"Clear", [&] { L.Clear(); }, 1},
        {"Clear of nothing", [&] { L.Clear(); }, 0},
    };
    for (const auto& C : Cases) {
        Changing = Changed = 0;
        C.Action();
        EXPECT_EQ(Changing, C.Events) << C.What;
        EXPECT_EQ(Changed, C.Events) << C.What;
    }
    // OnChanging comes before the change, OnChange after it.
    CountsSeen.clear();
    L.Add(u"q");
    EXPECT_EQ(CountsSeen, (std::vector<int>{0, 1}));
}

TEST(StringList, OwnedObjectsLiveAsLongAsTheirLines) {
    int Live = 0;
    {
        TStringList L(true);
        for (const char16_t* S : {u"a", u"b", u"c", u"d"})
            L.AddObject(S, new TTracked(Live));
        L.Delete(0);
        EXPECT_EQ(Live, 3);
        L.Move(0, 2);
        L.Exchange(0, 1);
        EXPECT_EQ(Live, 3);
        TTracked Kept(Live);
        TObject* Old = L.Objects(0);
        L.SetObject(0, &Kept); // replacing does not delete the old one
        EXPECT_EQ(Live, 4);
        delete Old;
        L.SetObject(0, nullptr);
        L.Clear();
        EXPECT_EQ(Live, 1);
        L.AddObject(u"e", new TTracked(Live));
        L.AddObject(u"f", new TTracked(Live));
    }
    EXPECT_EQ(Live, 0);
    TTracked Outside(Live);
    {
        TStringList NotOwning;
        NotOwning.AddObject(u"x", &Outside);
        NotOwning.Delete(0);
    }
    EXPECT_EQ(Live, 1);
}

TEST(StringList, AssignAddStringsAndEquals) {
    TObject X;
    TStringList Source;
    Source.SetCaseSensitive(true);
    Source.SetSorted(true);
    Source.SetDuplicates(dupAccept);
    Source.SetLineBreak(u"\n");
    Source.SetDelimiter(u';');
    Source.AddObject(u"b", &X);
    Source.Add(u"a");
    Source.Add(u"B");

    TStringList Target;
    Target.SetSorted(true); // case-blind and ignoring duplicates until the copy takes over
    Target.Add(u"old");
    Target.Assign(&Source);
    EXPECT_EQ(LinesOf(Target), (Lines{u"a", u"b", u"B"}));
    EXPECT_EQ(Target.Objects(1), &X);
    EXPECT_TRUE(Target.CaseSensitive());
    EXPECT_EQ(Target.Duplicates(), dupAccept);
    EXPECT_EQ(Target.LineBreak(), u"\n");
    EXPECT_EQ(Target.Delimiter(), u';');
    EXPECT_TRUE(Target.Equals(&Source));

    TStringList Other;
    Other.AddStrings(&Source);
    Other.AddStrings(&Source);
    EXPECT_EQ(LinesOf(Other), (Lines{u"a", u"b", u"B", u"a", u"b", u"B"}));
    EXPECT_EQ(Other.Objects(4), &X);
    EXPECT_FALSE(Other.Equals(&Source));
    SetLines(Other, {u"a", u"b", u"b"});
    EXPECT_FALSE(Other.Equals(&Source)); // letter case counts
}

TEST(StringList, OtherStorageUnderTheSameBase) {
    TVectorStrings V;
    V.SetText(u"b=2\r\na=1");
    EXPECT_EQ(V.States, "[]");
    EXPECT_EQ(V.Values(u"A"), u"1");
    V.Move(0, 1);
    V.Exchange(0, 1);
    V.SetValue(u"a", u"3");
    EXPECT_EQ(V.Text(), u"b=2\r\na=3\r\n");
    V.BeginUpdate();
    V.SetCommaText(u"x,\"y z\"");
    V.EndUpdate();
    EXPECT_EQ(V.Strings(1), u"y z");
    TStringList L;
    L.Assign(&V);
    EXPECT_EQ(LinesOf(L), (Lines{u"x", u"y z"}));
}

TEST(StringListFiles, LoadDetectsAndSaveWritesTheSameBytes) {
    TTempFolder Dir;
    struct Case {
        const char* What;
        TBytes Bytes;
        TEncoding* Given;
        Lines Expected;
        TEncoding* Found;
        bool WriteBOM;
    };
    const Case Cases[] = {
        {"UTF-8 with mark",
         {0xEF, 0xBB, 0xBF, 'a', '\r', '\n', 0xC3, 0xA4, '\r', '\n'},
         nullptr,
         {u"a", u"\u00E4"},
         TEncoding::UTF8(),
         true},
        {"UTF-8 without mark",
         {'a', '\r', '\n', 0xC3, 0xA4, '\r', '\n'},
         nullptr,
         {u"a", u"\u00E4"},
         TEncoding::Default(),
         false},
        {"UTF-16 LE", {0xFF, 0xFE, 'a', 0, '\r', 0, '\n', 0}, nullptr, {u"a"}, TEncoding::Unicode(), true},
        {"UTF-16 BE",
         {0xFE, 0xFF, 0, 0xE4, 0, '\r', 0, '\n'},
         nullptr,
         {u"\u00E4"},
         TEncoding::BigEndianUnicode(),
         true},
        {"code page",
         {0x80, 'x', 0xFC, '\r', '\n'},
         TEncoding::ANSI(),
         {u"\u20ACx\u00FC"},
         TEncoding::ANSI(),
         false},
        {"mark beats the given encoding",
         {0xEF, 0xBB, 0xBF, 0xC3, 0xA4, '\r', '\n'},
         TEncoding::ANSI(),
         {u"\u00E4"},
         TEncoding::UTF8(),
         true},
    };
    for (const auto& C : Cases) {
        const String Name = Dir.File("lines.txt");
        WriteFileBytes(Name, C.Bytes);
        TStringList L;
        L.LoadFromFile(Name, C.Given);
        EXPECT_EQ(LinesOf(L), C.Expected) << C.What;
        EXPECT_EQ(L.Encoding(), C.Found) << C.What;
        EXPECT_EQ(L.WriteBOM(), C.WriteBOM) << C.What;
        const String Copy = Dir.File("copy.txt");
        L.SaveToFile(Copy);
        EXPECT_EQ(ReadFileBytes(Copy), C.Bytes) << C.What;
    }
}

TEST(StringListFiles, SavingWithAnEncoding) {
    TTempFolder Dir;
    const String Name = Dir.File("out.txt");
    TStringList L;
    L.Add(u"\u00E4");
    struct Case {
        TEncoding* Encoding;
        TBytes Bytes;
    };
    TUTF8NoBOM NoBOM;
    const Case Cases[] = {
        {nullptr, {0xC3, 0xA4, '\r', '\n'}},
        {TEncoding::UTF8(), {0xEF, 0xBB, 0xBF, 0xC3, 0xA4, '\r', '\n'}},
        {&NoBOM, {0xC3, 0xA4, '\r', '\n'}},
        {TEncoding::Unicode(), {0xFF, 0xFE, 0xE4, 0, '\r', 0, '\n', 0}},
        {TEncoding::ANSI(), {0xE4, '\r', '\n'}},
    };
    for (const auto& C : Cases) {
        L.SaveToFile(Name, C.Encoding);
        EXPECT_EQ(ReadFileBytes(Name), C.Bytes);
    }
    L.SetWriteBOM(false);
    L.SaveToFile(Name, TEncoding::UTF8());
    EXPECT_EQ(ReadFileBytes(Name), (TBytes{0xC3, 0xA4, '\r', '\n'}));
    L.SetDefaultEncoding(TEncoding::ANSI());
    L.SaveToFile(Name);
    EXPECT_EQ(ReadFileBytes(Name), (TBytes{0xE4, '\r', '\n'}));

    // A line that cannot be encoded leaves the existing file whole.
    L.Add(String(1, Char(0xDC00)));
    EXPECT_THROW(L.SaveToFile(Name, TEncoding::UTF8()), EEncodingError);
    EXPECT_EQ(ReadFileBytes(Name), (TBytes{0xE4, '\r', '\n'}));
}

TEST(StringListFiles, BytesThatDoNotDecodeLeaveTheListAlone) {
    TTempFolder Dir;
    const String Name = Dir.File("latin1.txt");
    WriteFileBytes(Name, {'M', 0xFC, 'n', 'z'});
    TStringList L;
    L.Add(u"kept");
    int Changes = 0;
    L.OnChange = [&](TObject*) { ++Changes; };
    EXPECT_EQ(ThrownMessage<EEncodingError>([&] { L.LoadFromFile(Name); }),
              u"No mapping for the Unicode character exists in the target multi-byte code page.");
    EXPECT_EQ(LinesOf(L), (Lines{u"kept"}));
    EXPECT_EQ(Changes, 0);
    L.LoadFromFile(Name, TEncoding::ANSI());
    EXPECT_EQ(LinesOf(L), (Lines{u"M\u00FCnz"}));
    EXPECT_EQ(Changes, 1);
    EXPECT_THROW(L.LoadFromFile(Dir.File("missing.txt")), EFOpenError);
}

TEST(StringListFiles, StreamsFromTheirPosition) {
    TMemoryStream M;
    M.WriteBuffer("HEAD", 4);
    TStringList L;
    SetLines(L, {u"one", u"two"});
    L.SaveToStream(&M, TEncoding::UTF8());
    EXPECT_EQ(M.Size(), 4 + 3 + 10);
    M.SetPosition(4);
    TStringList Back;
    Back.LoadFromStream(&M);
    EXPECT_EQ(LinesOf(Back), (Lines{u"one", u"two"}));
    EXPECT_EQ(Back.Encoding(), TEncoding::UTF8());
}
