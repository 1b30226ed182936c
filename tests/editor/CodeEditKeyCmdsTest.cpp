#include "editor/CodeEditKeyCmds.h"
#include "editor/Editor.h"

#include "platform/base/Component.h"
#include "platform/base/IntConsts.h"
#include "platform/base/Streams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// The default bindings as numbers: virtual key, modifier bits (1 Shift, 2 Alt, 4 Ctrl) and
// command value, in the order a fresh binding set holds them.
struct TBindingRow {
    Word Key;
    Word Shift;
    Word Command;
};

const TBindingRow DefaultRows[] = {
    {38, 0, 3},   {38, 1, 103}, {38, 4, 211},                // Up
    {40, 0, 4},   {40, 1, 104}, {40, 4, 212},                // Down
    {37, 0, 1},   {37, 1, 101}, {37, 4, 5},    {37, 5, 105}, // Left
    {39, 0, 2},   {39, 1, 102}, {39, 4, 6},    {39, 5, 106}, // Right
    {34, 0, 10},  {34, 1, 110}, {34, 4, 14},   {34, 5, 114}, // Page Down
    {33, 0, 9},   {33, 1, 109}, {33, 4, 13},   {33, 5, 113}, // Page Up
    {36, 0, 7},   {36, 1, 107}, {36, 4, 15},   {36, 5, 115}, // Home
    {35, 0, 8},   {35, 1, 108}, {35, 4, 16},   {35, 5, 116}, // End
    {45, 0, 223}, {45, 4, 201}, {46, 1, 603},  {45, 1, 604}, // Insert, Ctrl+Ins, Shift+Del, Shift+Ins
    {46, 0, 502}, {8, 0, 501},  {8, 1, 501},   {8, 4, 504},  // Delete, Backspace ...
    {8, 2, 601},  {8, 3, 602},  {13, 0, 509},  {13, 1, 509}, // Alt+BkSp, Shift+Alt+BkSp, Enter
    {9, 0, 612},  {9, 1, 613},  {112, 0, 490},               // Tab, Shift+Tab, F1
    {65, 4, 199}, {67, 4, 201}, {86, 4, 604},  {88, 4, 603}, // Ctrl+A, C, V, X
    {73, 5, 610}, {85, 5, 611}, {77, 4, 509},  {78, 4, 510}, // Shift+Ctrl+I, U; Ctrl+M, N
    {84, 4, 503}, {89, 4, 507}, {89, 5, 506},  {90, 4, 601}, {90, 5, 602}, // Ctrl+T, Y; ...
    {48, 4, 301}, {49, 4, 302}, {50, 4, 303},  {51, 4, 304}, {52, 4, 305}, // Ctrl+digit
    {53, 4, 306}, {54, 4, 307}, {55, 4, 308},  {56, 4, 309}, {57, 4, 310},
    {48, 5, 351}, {49, 5, 352}, {50, 5, 353},  {51, 5, 354}, {52, 5, 355}, // Shift+Ctrl+digit
    {53, 5, 356}, {54, 5, 357}, {55, 5, 358},  {56, 5, 359}, {57, 5, 360},
    {78, 5, 231}, {67, 5, 232}, {76, 5, 233},  {66, 5, 250}, // Shift+Ctrl+N, C, L, B
};

void Put16(std::string& Out, unsigned V) {
    Out += char(V & 0xFF);
    Out += char((V >> 8) & 0xFF);
}

void Put32(std::string& Out, std::uint32_t V) {
    Put16(Out, V & 0xFFFF);
    Put16(Out, V >> 16);
}

// Count, then Key, Shift, Key2, Shift2, Command per record, all little-endian.
std::string StreamBytes(const std::vector<std::array<unsigned, 5>>& Records, std::uint32_t Count) {
    std::string Out;
    Put32(Out, Count);
    for (const auto& R : Records)
        for (unsigned V : R)
            Put16(Out, V);
    return Out;
}

std::string DefaultStreamBytes() {
    std::vector<std::array<unsigned, 5>> Records;
    for (const TBindingRow& R : DefaultRows)
        Records.push_back({R.Key, R.Shift, 0, 0, R.Command});
    return StreamBytes(Records, std::uint32_t(Records.size()));
}

std::string Saved(const TCodeEditKeyStrokes& Keys) {
    TBytesStream Stream;
    Keys.SaveToStream(&Stream);
    const TBytes& B = Stream.Bytes();
    return std::string(B.begin(), B.end());
}

void Load(TCodeEditKeyStrokes& Keys, const std::string& Bytes) {
    TBytesStream Stream(TBytes(Bytes.begin(), Bytes.end()));
    Keys.LoadFromStream(&Stream);
}

std::array<unsigned, 5> Fields(const TCodeEditKeyStroke* K) {
    return {K->Key(), unsigned(K->Shift().ToInt()), K->Key2(), unsigned(K->Shift2().ToInt()), K->Command()};
}

const TShiftState Ctrl{ssCtrl}, Shift{ssShift}, ShiftCtrl{ssShift, ssCtrl};

} // namespace

TEST(KeyStrokes, DefaultsAreTheDocumentedBindingsAndStreamByteForByte) {
    ASSERT_EQ(std::size(DefaultRows), 82u);
    TCodeEditKeyStrokes Keys(nullptr);
    Keys.ResetDefaults();
    ASSERT_EQ(Keys.Count(), 82);
    for (int I = 0; I < Keys.Count(); ++I) {
        const TBindingRow& R = DefaultRows[I];
        EXPECT_EQ(Fields(Keys.Items(I)), (std::array<unsigned, 5>{R.Key, R.Shift, 0, 0, R.Command}))
            << "row " << I;
    }
    // No key-and-modifier pair is bound twice.
    for (int I = 0; I < Keys.Count(); ++I)
        EXPECT_EQ(Keys.FindShortcut2(Keys.Items(I)->ShortCut(), 0), I) << "row " << I;

    const std::string Expected = DefaultStreamBytes();
    ASSERT_EQ(Expected.size(), 824u);
    EXPECT_EQ(Saved(Keys), Expected);

    TCodeEditKeyStrokes Loaded(nullptr);
    Loaded.AddKey(ecUndo, 'Q', Ctrl); // loading replaces what was there
    Load(Loaded, Expected);
    ASSERT_EQ(Loaded.Count(), 82);
    for (int I = 0; I < 82; ++I)
        EXPECT_EQ(Fields(Loaded.Items(I)), Fields(Keys.Items(I))) << "row " << I;
    EXPECT_EQ(Saved(Loaded), Expected);

    // Resetting again gives the same set, not twice as many.
    Keys.ResetDefaults();
    EXPECT_EQ(Saved(Keys), Expected);
}

TEST(KeyStrokes, Lookups) {
    TCodeEditKeyStrokes Keys(nullptr);
    Keys.ResetDefaults();
    EXPECT_EQ(Keys.FindKeycode(VK_UP, {}), 0);
    EXPECT_EQ(Keys.Items(Keys.FindKeycode(VK_TAB, Shift))->Command(), ecShiftTab);
    EXPECT_EQ(Keys.Items(Keys.FindCommand(ecCopy))->Key(), VK_INSERT); // the first of its bindings
    // Modifier sets compare whole.
    EXPECT_EQ(Keys.Items(Keys.FindKeycode(VK_LEFT, Ctrl))->Command(), ecWordLeft);
    EXPECT_EQ(Keys.Items(Keys.FindKeycode(VK_LEFT, ShiftCtrl))->Command(), ecSelWordLeft);
    EXPECT_EQ(Keys.FindKeycode(VK_UP, ShiftCtrl), -1);
    EXPECT_EQ(Keys.FindKeycode(VK_UP, TShiftState{ssCtrl, ssLeft}), -1);
    EXPECT_EQ(Keys.FindCommand(ecAutoCompletion), -1);
    EXPECT_EQ(Keys.Items(Keys.FindShortcut(ShortCut('C', Ctrl)))->Command(), ecCopy);
    EXPECT_EQ(Keys.FindShortcut(ShortCut('Q', Ctrl)), -1);

    // A two-key binding is found by the two-key lookups only.
    TCodeEditKeyStroke* Seq = Keys.AddKey(ecCommentBlock, 'K', Ctrl);
    Seq->SetKey2('C');
    Seq->SetShift2(Ctrl);
    const int SeqIndex = Keys.Count() - 1;
    EXPECT_EQ(Keys.FindKeycode('K', Ctrl), -1);
    EXPECT_EQ(Keys.FindKeycode2('K', Ctrl, 'C', Ctrl), SeqIndex);
    EXPECT_EQ(Keys.FindKeycode2('K', Ctrl, 'C', {}), -1);
    EXPECT_EQ(Keys.FindShortcut2(ShortCut('K', Ctrl), ShortCut('C', Ctrl)), SeqIndex);
    EXPECT_EQ(Keys.FindShortcut(ShortCut('K', Ctrl)), SeqIndex);
    EXPECT_EQ(Keys.FindKeycode2(VK_UP, {}, 0, {}), 0);
}

TEST(KeyStrokes, ShortcutSettersRefuseADuplicatePair) {
    TCodeEditKeyStrokes Keys(nullptr);
    TCodeEditKeyStroke* First = Keys.Add();
    First->SetShortCut(ShortCut('C', Ctrl));
    First->SetCommand(ecCopy);
    TCodeEditKeyStroke* Second = Keys.AddKey(ecPaste, 'V', Ctrl);

    try {
        Second->SetShortCut(ShortCut('C', Ctrl));
        FAIL() << "no error";
    } catch (const ECodeKeyError& E) {
        EXPECT_EQ(E.Message(), u"Shortcut already exists");
    }
    EXPECT_EQ(Second->Key(), 'V'); // keeps its keys
    EXPECT_EQ(Second->Shift(), Ctrl);

    First->SetShortCut(ShortCut('C', Ctrl)); // the item that holds it: no error
    EXPECT_EQ(First->ShortCut(), scCtrl + 'C');
    Second->SetShortCut(0); // no shortcut is never a duplicate
    First->SetShortCut(0);
    EXPECT_EQ(Second->Key(), 0);

    // Pairs: Ctrl+K Ctrl+B differs from Ctrl+K alone, but not from another Ctrl+K Ctrl+B.
    First->SetShortCut(ShortCut('K', Ctrl));
    First->SetShortCut2(ShortCut('B', Ctrl));
    Second->SetShortCut(ShortCut('K', Ctrl));
    EXPECT_THROW(Second->SetShortCut2(ShortCut('B', Ctrl)), ECodeKeyError);
    EXPECT_EQ(Second->ShortCut2(), 0);
    Second->SetShortCut2(ShortCut('D', Ctrl));
    EXPECT_THROW(Second->SetShortCut2(ShortCut('B', Ctrl)), ECodeKeyError);
    EXPECT_EQ(Second->Key2(), 'D');

    // The key setters and AddKey do not check.
    Keys.AddKey(ecCut, 'K', Ctrl);
    Keys.AddKey(ecCut, 'K', Ctrl);
    EXPECT_EQ(Keys.Count(), 4);

    // Outside a collection nothing can clash.
    TCodeEditKeyStroke Loose(nullptr);
    Loose.SetShortCut(ShortCut('K', Ctrl));
    EXPECT_EQ(Loose.Key(), 'K');
}

TEST(KeyStrokes, ShortcutSplitsIntoKeyAndModifiers) {
    TCodeEditKeyStroke K(nullptr);
    K.SetShortCut(scShift + scCtrl + scAlt + VK_F1);
    EXPECT_EQ(K.Key(), VK_F1);
    EXPECT_EQ(K.Shift(), (TShiftState{ssShift, ssCtrl, ssAlt}));
    // Modifiers that a shortcut cannot carry drop out of it.
    K.SetShift(TShiftState{ssCtrl, ssDouble});
    EXPECT_EQ(K.ShortCut(), scCtrl + VK_F1);
    K.SetKey(0x100);
    EXPECT_EQ(K.ShortCut(), 0);
}

TEST(KeyStrokes, DisplayNames) {
    TCodeEditKeyStrokes Keys(nullptr);
    struct Case {
        TCodeEditorCommand Command;
        TShortCut First, Second;
        const char16_t* Text;
    };
    const Case Cases[] = {
        {ecCopy, scCtrl + 'C', 0, u"ecCopy - Ctrl+C "},
        {ecCommentBlock, scCtrl + 'K', scCtrl + 'B', u"ecCommentBlock - Ctrl+K Ctrl+B"},
        {1002, scShift + scAlt + VK_BACK, 0, u"1002 - Shift+Alt+BkSp "},
        {ecUp, 0, 0, u"ecUp - "},
        {ecLeft, 0, scCtrl + 'B', u"ecLeft - "}, // a second key alone is not shown
    };
    for (const Case& C : Cases) {
        TCodeEditKeyStroke* K = Keys.Add();
        K->SetCommand(C.Command);
        K->SetShortCut(C.First);
        K->SetShortCut2(C.Second);
        EXPECT_EQ(K->DisplayName(), C.Text);
    }
}

TEST(KeyStrokes, AssignCopiesBindings) {
    TCodeEditKeyStrokes Source(nullptr), Dest(nullptr);
    Source.ResetDefaults();
    Source.Items(3)->SetKey2('Q');
    Dest.AddKey(ecUndo, 'Q', Ctrl);
    Dest.Assign(&Source);
    EXPECT_EQ(Saved(Dest), Saved(Source));
    Dest.Assign(&Dest);
    EXPECT_EQ(Saved(Dest), Saved(Source));

    TCodeEditKeyStroke Single(nullptr);
    Single.Assign(Source.Items(3));
    EXPECT_EQ(Fields(&Single), Fields(Source.Items(3)));
    TComponent Other(nullptr);
    EXPECT_THROW(Single.Assign(&Other), EConvertError);
}

TEST(KeyStrokes, TruncatedAndOddStreams) {
    const std::string OneRecord = StreamBytes({{65, 4, 66, 1, 199}}, 1).substr(4);
    struct Case {
        const char* Name;
        std::string Bytes;
        std::vector<std::array<unsigned, 5>> Items;
    };
    auto Count = [](std::uint32_t N) {
        std::string S;
        Put32(S, N);
        return S;
    };
    const Case Cases[] = {
        {"empty", "", {}},
        {"part of the count", std::string("\x01\x00", 2), {}},
        {"count 0", Count(0), {}},
        {"negative count", Count(std::uint32_t(-5)) + OneRecord, {}},
        {"exact", Count(1) + OneRecord, {{65, 4, 66, 1, 199}}},
        {"bytes after the items are left", Count(1) + OneRecord + "junk", {{65, 4, 66, 1, 199}}},
        {"ends inside a record",
         Count(2) + OneRecord + OneRecord.substr(0, 5),
         {{65, 4, 66, 1, 199}, {65, 4, 66, 0, 0}}},
        {"ends after the count", Count(3), {}},
        {"count beyond the stream",
         Count(0x7FFFFFFF) + OneRecord + OneRecord,
         {{65, 4, 66, 1, 199}, {65, 4, 66, 1, 199}}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TCodeEditKeyStrokes Keys(nullptr);
        Keys.ResetDefaults();
        Load(Keys, C.Bytes);
        ASSERT_EQ(Keys.Count(), int(C.Items.size()));
        for (int I = 0; I < Keys.Count(); ++I)
            EXPECT_EQ(Fields(Keys.Items(I)), C.Items[I]);
    }
}

TEST(KeyStrokes, PublishedPropertiesAndOwner) {
    RegisterEditorClasses();
    TComponent Editor(nullptr);
    Editor.SetName(u"CodeEdit1");
    TCodeEditKeyStrokes Keys(&Editor);
    EXPECT_EQ(Keys.Owner(), &Editor);
    TCodeEditKeyStroke* K = Keys.AddKey(ecSelectAll, 'A', Ctrl);
    Keys.AddKey(ecCopy, 'C', Ctrl);

    std::vector<String> Names;
    for (const TPropInfo* P : GetPropList(K))
        Names.push_back(P->Name);
    EXPECT_EQ(Names, (std::vector<String>{u"Command", u"ShortCut", u"ShortCut2"}));

    // The command is always stored and written as its identifier; the shortcuts only when set.
    const TPropInfo* Command = GetPropInfo(K, u"Command");
    EXPECT_FALSE(Command->HasDefault());
    String Ident;
    ASSERT_TRUE(FindIntToIdent(Command->PropType));
    EXPECT_TRUE(FindIntToIdent(Command->PropType)(int(GetOrdProp(K, Command)), Ident));
    EXPECT_EQ(Ident, u"ecSelectAll");
    EXPECT_EQ(GetPropInfo(K, u"ShortCut")->Default, 0);
    EXPECT_EQ(GetPropInfo(K, u"ShortCut2")->Default, 0);
    EXPECT_EQ(GetOrdProp(K, u"ShortCut"), scCtrl + 'A');

    // Written through the property, a duplicate is refused as well.
    EXPECT_THROW(SetOrdProp(K, u"ShortCut", scCtrl + 'C'), ECodeKeyError);
    SetOrdProp(K, u"ShortCut", scCtrl + 'L');
    EXPECT_EQ(K->Key(), 'L');
}

TEST(ShortCuts, PackingAndText) {
    EXPECT_EQ(ShortCut('C', Ctrl), 0x4043);
    EXPECT_EQ(ShortCut(VK_BACK, TShiftState{ssShift, ssAlt}), 0xA008);
    EXPECT_EQ(ShortCut(0x100, Ctrl), 0);
    Word Key;
    TShiftState State;
    ShortCutToKey(0xE070, Key, State);
    EXPECT_EQ(Key, VK_F1);
    EXPECT_EQ(State, (TShiftState{ssShift, ssCtrl, ssAlt}));

    struct Case {
        TShortCut SC;
        const char16_t* Text;
    };
    const Case Cases[] = {
        {scCtrl + 'C', u"Ctrl+C"},
        {scShift + VK_DELETE, u"Shift+Del"},
        {scShift + scCtrl + '0', u"Shift+Ctrl+0"},
        {scAlt + VK_BACK, u"Alt+BkSp"},
        {VK_F1, u"F1"},
        {0x87, u"F24"},
        {VK_PRIOR, u"PgUp"},
        {VK_NEXT, u"PgDn"},
        {VK_RETURN, u"Enter"},
        {0, u""},
        {scCtrl + 0x07, u""}, // a key without a name
    };
    for (const Case& C : Cases)
        EXPECT_EQ(ShortCutToText(C.SC), C.Text) << C.SC;
}
