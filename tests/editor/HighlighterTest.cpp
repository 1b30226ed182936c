#include "TestHighlighter.h"

#include "platform/base/Files.h"
#include "platform/base/Ini.h"
#include "platform/base/Lists.h"
#include "platform/base/Registry.h"
#include "platform/base/Strings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// A control's stand-in: counts the highlighter's change notifications.
struct TEditorStandIn : TObject {
    int Notified = 0;
    TObject* LastSender = nullptr;
    void HighlighterChanged(TObject* Sender) {
        ++Notified;
        LastSender = Sender;
    }
};

struct TToken {
    std::u16string Text;
    int Pos;
    int Kind;
    friend bool operator==(const TToken&, const TToken&) = default;
};

std::vector<TToken> Tokens(TTestHighlighter& H, const String& Line) {
    std::vector<TToken> Result;
    H.SetLine(Line, 0);
    while (!H.GetEol()) {
        Result.push_back({H.GetToken(), H.GetTokenPos(), H.GetTokenKind()});
        H.Next();
    }
    return Result;
}

TCodeHighlighterAttributes* AttrNamed(TCodeCustomHighlighter& H, const String& Name) {
    for (int I = 0; I < H.AttrCount(); ++I)
        if (H.Attribute(I)->Name() == Name) return H.Attribute(I);
    return nullptr;
}

void PrintTo(const TToken& T, std::ostream* Os) {
    *Os << "{" << U8(T.Text) << ", " << T.Pos << ", " << T.Kind << "}";
}

} // namespace

TEST(HighlighterAttributes, NotifyOnlyOnChange) {
    TCodeHighlighterAttributes A(u"Comment", u"Comment");
    EXPECT_EQ(A.Background(), clNone);
    EXPECT_EQ(A.Foreground(), clNone);
    EXPECT_TRUE(A.Style().Empty());
    int Changes = 0;
    A.OnChange = [&](TObject*) { ++Changes; };
    struct Case {
        const char* What;
        std::function<void()> Do;
        int Notified;
    };
    const Case Cases[] = {
        {"red foreground", [&] { A.SetForeground(clRed); }, 1},
        {"red again", [&] { A.SetForeground(clRed); }, 0},
        {"background", [&] { A.SetBackground(clYellow); }, 1},
        {"style", [&] { A.SetStyle({fsBold}); }, 1},
        {"integer style 6 from bold", [&] { A.SetIntegerStyle(6); }, 3}, // cleared, then two additions
        {"integer style 6 again", [&] { A.SetIntegerStyle(6); }, 3},     // cleared and made again
    };
    for (const Case& C : Cases) {
        Changes = 0;
        C.Do();
        EXPECT_EQ(Changes, C.Notified) << C.What;
    }
    EXPECT_EQ(A.Style(), (TFontStyles{fsItalic, fsUnderline}));
    EXPECT_EQ(A.IntegerStyle(), 6);

    TCodeHighlighterAttributes B(u"Other");
    Changes = 0;
    B.OnChange = [&](TObject*) { ++Changes; };
    B.AssignColorAndStyle(&A);
    EXPECT_EQ(Changes, 1) << "one notification for three values";
    B.AssignColorAndStyle(&A);
    EXPECT_EQ(Changes, 1);
    B.Assign(&A);
    EXPECT_EQ(B.Name(), u"Comment");
}

TEST(Highlighter, NotifiesHookedEditorsOncePerChangeOrBatch) {
    TTestHighlighter H;
    TEditorStandIn E1, E2;
    H.HookAttrChangeEvent(TCodeNotifyMethod(&E1, &TEditorStandIn::HighlighterChanged));
    H.HookAttrChangeEvent(TCodeNotifyMethod(&E2, &TEditorStandIn::HighlighterChanged));

    H.KeywordAttribute()->SetForeground(clMaroon);
    EXPECT_EQ(E1.Notified, 1);
    EXPECT_EQ(E2.Notified, 1);
    EXPECT_EQ(E1.LastSender, &H);

    H.BeginUpdate();
    H.BeginUpdate();
    H.CommentAttribute()->SetForeground(clBlue);
    H.StringAttribute()->SetStyle({fsBold});
    H.SymbolAttribute()->SetBackground(clYellow);
    H.EndUpdate();
    EXPECT_EQ(E1.Notified, 1) << "the inner end does not tell";
    H.EndUpdate();
    EXPECT_EQ(E1.Notified, 2);
    H.EndUpdate(); // unbalanced: nothing
    H.BeginUpdate();
    H.EndUpdate();
    EXPECT_EQ(E1.Notified, 2) << "a batch without changes tells nothing";

    H.SetEnabled(false);
    EXPECT_EQ(E1.Notified, 3);
    H.SetComponentState(H.ComponentState() + TComponentState{csLoading});
    H.KeywordAttribute()->SetForeground(clBlack);
    EXPECT_EQ(E1.Notified, 3) << "nothing while loading";
    H.SetComponentState(H.ComponentState() - TComponentState{csLoading});
    H.Loaded();
    EXPECT_EQ(E1.Notified, 4);

    H.UnhookAttrChangeEvent(TCodeNotifyMethod(&E1, &TEditorStandIn::HighlighterChanged));
    H.KeywordAttribute()->SetForeground(clWhite);
    EXPECT_EQ(E1.Notified, 4);
    EXPECT_EQ(E2.Notified, 5);
}

TEST(Highlighter, AttributesAreSortedByNameAndUnique) {
    TTestHighlighter H;
    ASSERT_EQ(H.AttrCount(), 7);
    EXPECT_EQ(H.Attribute(0)->Name(), u"Comment");
    EXPECT_EQ(H.Attribute(6)->Name(), u"Symbol");
    EXPECT_EQ(H.Attribute(7), nullptr);
    EXPECT_EQ(H.Attribute(-1), nullptr);
    auto* Twin = new TCodeHighlighterAttributes(u"Comment");
    EXPECT_THROW(H.AddAttribute(Twin), EStringListError);
    delete Twin;
    // The constructor's values are the defaults: only differences are stored.
    EXPECT_EQ(H.KeywordAttribute()->ForegroundDefault(), clNavy);
    EXPECT_EQ(H.ExportName(), u"Test");
    EXPECT_EQ(H.Capabilities(), TCodeHighlighterCapabilities{hcRegistry});
}

TEST(Highlighter, ColoursRoundTripThroughAnIniFile) {
    TTempFolder Dir;
    const String File = Dir / "colours.ini";
    {
        TMemIniFile Other(File);
        Other.WriteString(u"Unrelated", u"Key", u"kept");
        Other.UpdateFile();
    }
    TTestHighlighter Saved;
    Saved.KeywordAttribute()->SetForeground(clMaroon);
    Saved.KeywordAttribute()->SetBackground(clWindow);
    Saved.KeywordAttribute()->SetIntegerStyle(15);
    Saved.CommentAttribute()->SetForeground(clNone);
    ASSERT_TRUE(Saved.SaveToFile(File));

    TTestHighlighter Loaded;
    EXPECT_TRUE(Loaded.LoadFromFile(File));
    for (int I = 0; I < Saved.AttrCount(); ++I) {
        SCOPED_TRACE(U8(Saved.Attribute(I)->Name()));
        EXPECT_EQ(Loaded.Attribute(I)->Foreground(), Saved.Attribute(I)->Foreground());
        EXPECT_EQ(Loaded.Attribute(I)->Background(), Saved.Attribute(I)->Background());
        EXPECT_EQ(Loaded.Attribute(I)->IntegerStyle(), Saved.Attribute(I)->IntegerStyle());
    }
    TMemIniFile Check(File);
    EXPECT_EQ(Check.ReadString(u"Unrelated", u"Key", u""), u"kept");
    EXPECT_EQ(Check.ReadInteger(u"Reserved word", u"Background", 0), int(clWindow));

    // A file without an attribute's section leaves it alone and says so; the rest load.
    TMemIniFile Partial(File);
    Partial.EraseSection(u"String");
    Partial.WriteString(u"Number", u"Foreground", u"not a number");
    Partial.UpdateFile();
    TTestHighlighter Third;
    Third.StringAttribute()->SetForeground(clLime);
    EXPECT_FALSE(Third.LoadFromFile(File));
    EXPECT_EQ(Third.StringAttribute()->Foreground(), clLime);
    EXPECT_EQ(Third.KeywordAttribute()->Foreground(), clMaroon);
    EXPECT_EQ(AttrNamed(Third, u"Number")->Foreground(), clPurple) << "a bad value keeps the current one";

    EXPECT_FALSE(Third.LoadFromFile(Dir / "missing.ini"));
    EXPECT_FALSE(Saved.SaveToFile(Dir / "no/such/folder/colours.ini"));
    EXPECT_FALSE(FileExists(Dir / "no/such/folder/colours.ini"));
}

TEST(Highlighter, ColoursRoundTripThroughTheRegistry) {
    TTestHighlighter Saved;
    Saved.StringAttribute()->SetForeground(clFuchsia);
    Saved.StringAttribute()->SetIntegerStyle(9);
    ASSERT_TRUE(Saved.SaveToRegistry(HKEY_CURRENT_USER, u"Software\\Morvane\\Test"));
    TTestHighlighter Loaded;
    EXPECT_TRUE(Loaded.LoadFromRegistry(HKEY_CURRENT_USER, u"Software\\Morvane\\Test"));
    EXPECT_EQ(Loaded.StringAttribute()->Foreground(), clFuchsia);
    EXPECT_EQ(Loaded.StringAttribute()->IntegerStyle(), 9);
    EXPECT_FALSE(Loaded.LoadFromRegistry(HKEY_CURRENT_USER, u"Software\\Morvane\\Missing"));
    EXPECT_TRUE(StartsText(GetAppDataDir(), TRegistry::FileName())) << "inside the test's own folder";
}

namespace {

// Writes another editor's settings for one attribute: the old layout as one string value, the
// new one as a key of values (integers given as numbers, strings as text).
void WriteOldLayout(const String& Value) {
    TRegistry R;
    ASSERT_TRUE(R.OpenKey(u"Software\\OtherEditor\\Old", true));
    R.WriteString(u"Comment", Value);
}

struct TNewValue {
    const char16_t* Name;
    const char16_t* Text; // nullptr: an integer
    int Number;
};

void WriteNewLayout(std::initializer_list<TNewValue> Values) {
    TRegistry R;
    R.DeleteKey(u"\\Software\\OtherEditor\\New");
    ASSERT_TRUE(R.OpenKey(u"Software\\OtherEditor\\New\\Comment", true));
    for (const TNewValue& V : Values)
        if (V.Text)
            R.WriteString(V.Name, V.Text);
        else
            R.WriteInteger(V.Name, V.Number);
}

} // namespace

TEST(HighlighterAttributes, ImportsOldLayoutColours) {
    struct Case {
        const char16_t* Value;
        bool Taken;
        TColor Fore, Back;
        int Style;
    };
    const Case Cases[] = {
        {u"0,0,B,1,0,0,12", true, clWindowText, 0xFF0000, 1},
        {u"0,0,IU,0,1,9,3", true, clRed, clWindow, 6},
        {u"0,0,,0,0,15,0", true, clWhite, clBlack, 0},
        {u"0,0,B,0,0,16,0", false, 0, 0, 0}, // a palette index past the sixteen colours
        {u"0,0,B,0,0,-1,0", false, 0, 0, 0}, // and before them
        {u"0,0,B,1,1,0,99", false, 0, 0, 0}, // even when the default flag would not use it
        {u"0,0,B,0,0,x,0", false, 0, 0, 0},  // not a number
        {u"0,0,BI", false, 0, 0, 0},         // fields missing
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(U8(C.Value));
        WriteOldLayout(C.Value);
        TCodeHighlighterAttributes A(u"Comment");
        A.SetForeground(clLime);
        A.SetBackground(clGray);
        A.SetStyle({fsStrikeOut});
        EXPECT_EQ(
            A.LoadFromExternalRegistry(HKEY_CURRENT_USER, u"Software\\OtherEditor\\Old", u"Comment", true),
            C.Taken);
        EXPECT_EQ(A.Foreground(), C.Taken ? C.Fore : clLime);
        EXPECT_EQ(A.Background(), C.Taken ? C.Back : clGray);
        EXPECT_EQ(A.IntegerStyle(), C.Taken ? C.Style : 8);
    }
    TCodeHighlighterAttributes A(u"Comment");
    EXPECT_FALSE(
        A.LoadFromExternalRegistry(HKEY_CURRENT_USER, u"Software\\OtherEditor\\Old", u"Missing", true));
    EXPECT_FALSE(A.LoadFromExternalRegistry(HKEY_CURRENT_USER, u"Software\\Nowhere", u"Comment", true));
}

TEST(HighlighterAttributes, ImportsNewLayoutColours) {
    const TNewValue Flags[] = {{u"Bold", u"True", 0},
                               {u"Italic", u"FALSE", 0},
                               {u"Underline", u"1", 0},
                               {u"Default Foreground", u"0", 0},
                               {u"Default Background", u"false", 0}};
    struct Case {
        const char* What;
        std::vector<TNewValue> Values;
        bool Taken;
        TColor Fore, Back;
    };
    const Case Cases[] = {
        {"palette indexes",
         {{u"Foreground Color", nullptr, 12}, {u"Background Color", nullptr, 14}},
         true,
         clBlue,
         clAqua},
        {"colour names",
         {{u"Foreground Color New", u"clRed", 0}, {u"Background Color New", u"$00123456", 0}},
         true,
         clRed,
         0x123456},
        {"index out of range",
         {{u"Foreground Color", nullptr, 20}, {u"Background Color", nullptr, 1}},
         false,
         0,
         0},
        {"no background", {{u"Foreground Color", nullptr, 1}}, false, 0, 0},
        {"bad name",
         {{u"Foreground Color New", u"reddish", 0}, {u"Background Color", nullptr, 1}},
         false,
         0,
         0},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        std::vector<TNewValue> All = C.Values;
        All.insert(All.end(), std::begin(Flags), std::end(Flags));
        {
            TRegistry R;
            R.DeleteKey(u"\\Software\\OtherEditor\\New");
            ASSERT_TRUE(R.OpenKey(u"Software\\OtherEditor\\New\\Comment", true));
            for (const TNewValue& V : All)
                if (V.Text)
                    R.WriteString(V.Name, V.Text);
                else
                    R.WriteInteger(V.Name, V.Number);
        }
        TCodeHighlighterAttributes A(u"Comment");
        A.SetForeground(clLime);
        EXPECT_EQ(
            A.LoadFromExternalRegistry(HKEY_CURRENT_USER, u"Software\\OtherEditor\\New", u"Comment", false),
            C.Taken);
        EXPECT_EQ(A.Foreground(), C.Taken ? C.Fore : clLime);
        EXPECT_EQ(A.Background(), C.Taken ? C.Back : clNone);
        EXPECT_EQ(A.IntegerStyle(), C.Taken ? 1 + 4 : 0);
    }
    // Every flag must be there; the default flags put the system colours in.
    WriteNewLayout(
        {{u"Foreground Color", nullptr, 1}, {u"Background Color", nullptr, 2}, {u"Bold", u"1", 0}});
    TCodeHighlighterAttributes A(u"Comment");
    EXPECT_FALSE(
        A.LoadFromExternalRegistry(HKEY_CURRENT_USER, u"Software\\OtherEditor\\New", u"Comment", false));
    WriteNewLayout({{u"Foreground Color", nullptr, 1},
                    {u"Background Color", nullptr, 2},
                    {u"Bold", u"0", 0},
                    {u"Italic", u"0", 0},
                    {u"Underline", u"0", 0},
                    {u"Default Foreground", u"yes", 0},
                    {u"Default Background", u"1", 0}});
    EXPECT_TRUE(
        A.LoadFromExternalRegistry(HKEY_CURRENT_USER, u"Software\\OtherEditor\\New", u"Comment", false));
    EXPECT_EQ(A.Foreground(), clWindowText);
    EXPECT_EQ(A.Background(), clWindow);
}

TEST(Highlighter, ScansTokensAndCarriesItsRange) {
    TTestHighlighter H;
    H.ResetRange();
    const std::vector<TToken> First = Tokens(H, u"int x = 42; /* open");
    const std::vector<TToken> Expected = {
        {u"int", 0, TTestHighlighter::tkKey},      {u" ", 3, TTestHighlighter::tkSpace},
        {u"x", 4, TTestHighlighter::tkIdentifier}, {u" ", 5, TTestHighlighter::tkSpace},
        {u"=", 6, TTestHighlighter::tkSymbol},     {u" ", 7, TTestHighlighter::tkSpace},
        {u"42", 8, TTestHighlighter::tkNumber},    {u";", 10, TTestHighlighter::tkSymbol},
        {u" ", 11, TTestHighlighter::tkSpace},     {u"/* open", 12, TTestHighlighter::tkComment},
    };
    EXPECT_EQ(First, Expected);
    const TCodeEditRange Open = H.GetRange();
    EXPECT_EQ(Open, TTestHighlighter::rsBlockComment);
    H.SetRange(Open);
    EXPECT_EQ(Tokens(H, u"still */ \"s\""),
              (std::vector<TToken>{{u"still */", 0, TTestHighlighter::tkComment},
                                   {u" ", 8, TTestHighlighter::tkSpace},
                                   {u"\"s\"", 9, TTestHighlighter::tkString}}));
    EXPECT_EQ(H.GetRange(), 0);
    EXPECT_TRUE(Tokens(H, u"").empty());
    H.SetLine(u"return", 7);
    EXPECT_EQ(H.GetTokenAttribute(), H.KeywordAttribute());
    EXPECT_EQ(H.LineNumber(), 7);
}

TEST(Highlighter, TokensInTheDisplayFormCountWideGlyphFillers) {
    TTestHighlighter H;
    const String Raw = u"a\u4E2Db";
    const String Display = u"a\uE000\u4E2Db"; // one filler before the two-cell glyph
    H.SetLineExpandedAtWideGlyphs(Raw, Display, 0);
    struct Seen {
        int Pos, ExpandedPos, Length, ExpandedLength;
    };
    std::vector<Seen> All;
    while (!H.GetEol()) {
        All.push_back({H.GetTokenPos(), H.GetExpandedTokenPos(), int(H.GetToken().size()),
                       int(H.GetExpandedToken().size())});
        H.Next();
    }
    ASSERT_EQ(All.size(), 3u);
    EXPECT_EQ(All[0].ExpandedPos, 0);
    EXPECT_EQ(All[1].Pos, 1);
    EXPECT_EQ(All[1].ExpandedPos, 1);
    EXPECT_EQ(All[1].ExpandedLength, All[1].Length + 1);
    EXPECT_EQ(All[2].ExpandedPos, 3);
    struct Case {
        int Pos, Expanded;
    };
    for (const Case& C : {Case{0, 0}, Case{1, 1}, Case{2, 3}, Case{3, 4}})
        EXPECT_EQ(H.PosToExpandedPos(C.Pos), C.Expanded) << C.Pos;
    H.SetLine(Raw, 0);
    EXPECT_EQ(H.PosToExpandedPos(2), 2) << "no display form: positions stay";
    EXPECT_EQ(H.GetExpandedToken(), H.GetToken());
}

TEST(Highlighter, CharacterClasses) {
    TTestHighlighter H;
    struct Case {
        Char C;
        bool Ident, WordBreak, White;
    };
    const Case Cases[] = {
        {u'a', true, false, false}, {u'Z', true, false, false},   {u'7', true, false, false},
        {u'_', true, false, false}, {u' ', false, true, true},    {u'\t', false, true, true},
        {u'/', false, true, false}, {u':', false, true, false},   {u'[', false, true, false},
        {u'^', false, true, false}, {u'`', false, true, false},   {u'~', false, true, false},
        {0xA7, false, true, false}, {0xB0, false, true, false},   {0xB4, false, true, false},
        {0xE9, false, false, true}, {0x4E2D, false, false, true}, {0x7F, false, false, true},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(H.IsIdentChar(C.C), C.Ident) << int(C.C);
        EXPECT_EQ(H.IsWordBreakChar(C.C), C.WordBreak) << int(C.C);
        EXPECT_EQ(H.IsWhiteChar(C.C), C.White) << int(C.C);
    }
}

TEST(Highlighter, AssignMatchesAttributesByName) {
    TTestHighlighter A, B;
    A.KeywordAttribute()->SetForeground(clOlive);
    A.SetDefaultFilter(u"Sketches (*.ino)|*.ino");
    A.SetEnabled(false);
    B.Assign(&A);
    EXPECT_EQ(B.KeywordAttribute()->Foreground(), clOlive);
    EXPECT_EQ(B.DefaultFilter(), u"Sketches (*.ino)|*.ino");
    EXPECT_FALSE(B.Enabled());
    TStringList NotAHighlighter;
    EXPECT_THROW(B.Assign(&NotAHighlighter), EConvertError);
}

TEST(Highlighter, PlaceableClassesAreFoundByClassAndName) {
    RegisterPlaceableHighlighter(TTestHighlighter::StaticClass());
    RegisterPlaceableHighlighter(TTestHighlighter::StaticClass());
    TCodeHighlighterList& L = GetPlaceableHighlighters();
    const int Index = L.FindByName(u"TestLang");
    ASSERT_GE(Index, 0);
    EXPECT_EQ(L.Item(Index), TTestHighlighter::StaticClass());
    EXPECT_EQ(L.FindByFriendlyName(u"Test language"), Index);
    EXPECT_EQ(L.FindByName(u"testlang"), -1) << "names compare exactly";
    TTestHighlighter H;
    EXPECT_EQ(L.FindByClass(&H), Index);
    int Seen = 0;
    for (int I = 0; I < L.Count(); ++I)
        Seen += L.Item(I) == TTestHighlighter::StaticClass();
    EXPECT_EQ(Seen, 1) << "registered once";
}
