#include "editor/CodeEditCommands.h"
#include "editor/CodeEditTypes.h"
#include "editor/Editor.h"

#include "platform/base/IntConsts.h"
#include "platform/base/Strings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct TRowCase {
    const char* Ident;
    int Value;
    const char* DisplayName;
};

// The command table as the editor's users know it, written out on its own: identifier, value and
// display name, in table order.
const TRowCase ExpectedTable[] = {
    {"ecNone", 0, "None"},
    {"ecLeft", 1, "Left"},
    {"ecRight", 2, "Right"},
    {"ecUp", 3, "Up"},
    {"ecDown", 4, "Down"},
    {"ecWordLeft", 5, "Word Left"},
    {"ecWordRight", 6, "Word Right"},
    {"ecLineStart", 7, "Line Start"},
    {"ecLineEnd", 8, "Line End"},
    {"ecPageUp", 9, "Page Up"},
    {"ecPageDown", 10, "Page Down"},
    {"ecPageLeft", 11, "Page Left"},
    {"ecPageRight", 12, "Page Right"},
    {"ecPageTop", 13, "Page Top"},
    {"ecPageBottom", 14, "Page Bottom"},
    {"ecEditorTop", 15, "Editor Top"},
    {"ecEditorBottom", 16, "Editor Bottom"},
    {"ecGotoXY", 17, "Goto XY"},
    {"ecSelLeft", 101, "Select Left"},
    {"ecSelRight", 102, "Select Right"},
    {"ecSelUp", 103, "Select Up"},
    {"ecSelDown", 104, "Select Down"},
    {"ecSelWordLeft", 105, "Select Word Left"},
    {"ecSelWordRight", 106, "Select Word Right"},
    {"ecSelLineStart", 107, "Select Line Start"},
    {"ecSelLineEnd", 108, "Select Line End"},
    {"ecSelPageUp", 109, "Select Page Up"},
    {"ecSelPageDown", 110, "Select Page Down"},
    {"ecSelPageLeft", 111, "Select Page Left"},
    {"ecSelPageRight", 112, "Select Page Right"},
    {"ecSelPageTop", 113, "Select Page Top"},
    {"ecSelPageBottom", 114, "Select Page Bottom"},
    {"ecSelEditorTop", 115, "Select Editor Top"},
    {"ecSelEditorBottom", 116, "Select Editor Bottom"},
    {"ecSelGotoXY", 117, "Select Goto XY"},
    {"ecSelWord", 198, "Select Word"},
    {"ecSelectAll", 199, "Select All"},
    {"ecDeleteLastChar", 501, "Delete Last Char"},
    {"ecDeleteChar", 502, "Delete Char"},
    {"ecDeleteWord", 503, "Delete Word"},
    {"ecDeleteLastWord", 504, "Delete Last Word"},
    {"ecDeleteBOL", 505, "Delete BOL"},
    {"ecDeleteEOL", 506, "Delete EOL"},
    {"ecDeleteLine", 507, "Delete Line"},
    {"ecClearAll", 508, "Clear All"},
    {"ecLineBreak", 509, "Line Break"},
    {"ecInsertLine", 510, "Insert Line"},
    {"ecChar", 511, "Char"},
    {"ecImeStr", 550, "Ime Str"},
    {"ecUndo", 601, "Undo"},
    {"ecRedo", 602, "Redo"},
    {"ecCut", 603, "Cut"},
    {"ecCopy", 201, "Copy"},
    {"ecPaste", 604, "Paste"},
    {"ecScrollUp", 211, "Scroll Up"},
    {"ecScrollDown", 212, "Scroll Down"},
    {"ecScrollLeft", 213, "Scroll Left"},
    {"ecScrollRight", 214, "Scroll Right"},
    {"ecInsertMode", 221, "Insert Mode"},
    {"ecOverwriteMode", 222, "Overwrite Mode"},
    {"ecToggleMode", 223, "Toggle Mode"},
    {"ecBlockIndent", 610, "Block Indent"},
    {"ecBlockUnindent", 611, "Block Unindent"},
    {"ecTab", 612, "Tab"},
    {"ecShiftTab", 613, "Shift Tab"},
    {"ecMatchBracket", 250, "Match Bracket"},
    {"ecCommentBlock", 251, "Comment Block"},
    {"ecNormalSelect", 231, "Normal Select"},
    {"ecColumnSelect", 232, "Column Select"},
    {"ecLineSelect", 233, "Line Select"},
    {"ecAutoCompletion", 650, "Auto Completion"},
    {"ecUserFirst", 1001, "User First"},
    {"ecContextHelp", 490, "Context Help"},
    {"ecGotoMarker0", 301, "Goto Bookmark 0"},
    {"ecGotoMarker1", 302, "Goto Bookmark 1"},
    {"ecGotoMarker2", 303, "Goto Bookmark 2"},
    {"ecGotoMarker3", 304, "Goto Bookmark 3"},
    {"ecGotoMarker4", 305, "Goto Bookmark 4"},
    {"ecGotoMarker5", 306, "Goto Bookmark 5"},
    {"ecGotoMarker6", 307, "Goto Bookmark 6"},
    {"ecGotoMarker7", 308, "Goto Bookmark 7"},
    {"ecGotoMarker8", 309, "Goto Bookmark 8"},
    {"ecGotoMarker9", 310, "Goto Bookmark 9"},
    {"ecSetMarker0", 351, "Set Bookmark 0"},
    {"ecSetMarker1", 352, "Set Bookmark 1"},
    {"ecSetMarker2", 353, "Set Bookmark 2"},
    {"ecSetMarker3", 354, "Set Bookmark 3"},
    {"ecSetMarker4", 355, "Set Bookmark 4"},
    {"ecSetMarker5", 356, "Set Bookmark 5"},
    {"ecSetMarker6", 357, "Set Bookmark 6"},
    {"ecSetMarker7", 358, "Set Bookmark 7"},
    {"ecSetMarker8", 359, "Set Bookmark 8"},
    {"ecSetMarker9", 360, "Set Bookmark 9"},
    {"ecUpperCase", 620, "Upper Case"},
    {"ecLowerCase", 621, "Lower Case"},
    {"ecToggleCase", 622, "Toggle Case"},
    {"ecTitleCase", 623, "Title Case"},
    {"ecUpperCaseBlock", 625, "Upper Case Block"},
    {"ecLowerCaseBlock", 626, "Lower Case Block"},
    {"ecToggleCaseBlock", 627, "Toggle Case Block"},
    {"ecString", 630, "String"},
};

String U(const char* S) {
    return Utf8ToString(S);
}

} // namespace

TEST(EditorCommands, EveryRowConvertsBothWays) {
    ASSERT_EQ(std::size(ExpectedTable), 101u);
    ASSERT_EQ(EditorCommandCount, 101);

    std::vector<String> Idents, DisplayNames;
    ForEachCommandIdent([&](const String& S) { Idents.push_back(S); });
    ForEachCommandDisplayName([&](const String& S) { DisplayNames.push_back(S); });
    ASSERT_EQ(Idents.size(), 101u);
    ASSERT_EQ(DisplayNames.size(), 101u);

    for (size_t I = 0; I < std::size(ExpectedTable); ++I) {
        const TRowCase& Row = ExpectedTable[I];
        SCOPED_TRACE(Row.Ident);
        const String Ident = U(Row.Ident);
        EXPECT_EQ(Idents[I], Ident);
        EXPECT_EQ(DisplayNames[I], U(Row.DisplayName));
        EXPECT_EQ(CommandValueAt(int(I)), Row.Value);

        int Value = -1;
        EXPECT_TRUE(CommandIdentToValue(Ident, Value));
        EXPECT_EQ(Value, Row.Value);
        Value = -1;
        EXPECT_TRUE(CommandIdentToValue(UpperCase(Ident), Value));
        EXPECT_EQ(Value, Row.Value);

        String Back;
        EXPECT_TRUE(CommandValueToIdent(Row.Value, Back));
        EXPECT_EQ(Back, Ident);
        EXPECT_EQ(CommandToText(TCodeEditorCommand(Row.Value)), Ident);
        EXPECT_EQ(FindCommandByIdent(LowerCase(Ident)), Row.Value);

        EXPECT_EQ(CommandIdentToDisplayName(Ident), U(Row.DisplayName));
        EXPECT_EQ(CommandDisplayNameToIdent(U(Row.DisplayName)), Ident);
        EXPECT_EQ(CommandDisplayNameToValue(U(Row.DisplayName)), Row.Value);
    }
}

TEST(EditorCommands, ValuesWithoutRowsAndUnknownNames) {
    EXPECT_EQ(CommandToText(1001), u"ecUserFirst");
    EXPECT_EQ(CommandToText(1002), u"1002");
    EXPECT_EQ(CommandToText(0), u"ecNone");
    EXPECT_EQ(CommandToText(480), u"480"); // the focus notifications have no row

    String Ident = u"kept";
    EXPECT_FALSE(CommandValueToIdent(65535, Ident));
    EXPECT_EQ(Ident, u"kept");
    int Value = 7;
    EXPECT_FALSE(CommandIdentToValue(u"ecNoSuchCommand", Value));
    EXPECT_EQ(Value, 7);
    EXPECT_FALSE(CommandIdentToValue(u"", Value));
    EXPECT_EQ(FindCommandByIdent(u"ecNoSuchCommand"), ecNone);
    EXPECT_EQ(FindCommandByIdent(u""), ecNone);

    EXPECT_THROW(CommandValueAt(-1), EListError);
    try {
        CommandValueAt(101);
        FAIL();
    } catch (const EListError& E) {
        EXPECT_EQ(E.Message(), u"List index out of bounds (101)");
    }
}

TEST(EditorCommands, DisplayNameRules) {
    struct Case {
        const char16_t* In;
        const char16_t* Out;
    };
    // Identifier -> display name.
    const Case ToDisplay[] = {
        {u"ecSelWordLeft", u"Select Word Left"},
        {u"ecGotoMarker3", u"Goto Bookmark 3"},
        {u"ecGotoXY", u"Goto XY"},
        {u"ecDeleteEOL", u"Delete EOL"},
        {u"ecImeStr", u"Ime Str"},
        {u"Undo", u"Undo"},     // not an identifier: unchanged
        {u"ECUndo", u"ECUndo"}, // the prefix is matched exactly
        {u"ecGotoMarker10", u"Goto Bookmark 10"},
        {u"ec", u""},
    };
    for (const Case& C : ToDisplay)
        EXPECT_EQ(CommandIdentToDisplayName(C.In), C.Out) << StringToUtf8(C.In);

    // Display name -> identifier.
    const Case ToIdent[] = {
        {u"Select Word Left", u"ecSelWordLeft"}, {u"Select All", u"ecSelectAll"},
        {u"Goto Bookmark 3", u"ecGotoMarker3"},  {u"ecAlready", u"ecAlready"},
        {u"Normal Select", u"ecNormalSelect"},   {u"  Page   Up ", u"ecPageUp"},
    };
    for (const Case& C : ToIdent)
        EXPECT_EQ(CommandDisplayNameToIdent(C.In), C.Out) << StringToUtf8(C.In);
    EXPECT_EQ(CommandDisplayNameToValue(u"No Such Command"), ecNone);
}

TEST(EditorCommands, RegisteredAsIntegerConstants) {
    RegisterEditorClasses();
    const TIntToIdent ToIdent = FindIntToIdent(CodeEditorCommandTypeInfo());
    const TIdentToInt ToInt = FindIdentToInt(CodeEditorCommandTypeInfo());
    ASSERT_TRUE(ToIdent && ToInt);
    String Ident;
    EXPECT_TRUE(ToIdent(ecUp, Ident));
    EXPECT_EQ(Ident, u"ecUp");
    EXPECT_FALSE(ToIdent(1002, Ident)); // written as a number by the caller
    int Value = 0;
    EXPECT_TRUE(ToInt(u"ECSELECTALL", Value));
    EXPECT_EQ(Value, ecSelectAll);
}

TEST(EditorTypes, CoordinatesAndClamping) {
    EXPECT_EQ(EarlierCoord(MakeBufferCoord(5, 2), MakeBufferCoord(1, 3)), MakeBufferCoord(5, 2));
    EXPECT_EQ(EarlierCoord(MakeBufferCoord(1, 3), MakeBufferCoord(5, 2)), MakeBufferCoord(5, 2));
    EXPECT_EQ(EarlierCoord(MakeBufferCoord(4, 2), MakeBufferCoord(3, 2)), MakeBufferCoord(3, 2));

    struct Case {
        int Value, Lower, Upper, Result;
    };
    const Case Cases[] = {{7, 10, 5, 10}, {3, 1, 5, 3}, {0, 1, 5, 1}, {9, 1, 5, 5}, {5, 5, 5, 5}};
    for (const Case& C : Cases)
        EXPECT_EQ(ClampInt(C.Value, C.Lower, C.Upper), C.Result)
            << C.Value << " " << C.Lower << " " << C.Upper;

    int X = 1, Y = 2;
    ExchangeInts(X, Y);
    EXPECT_EQ(X, 2);
    EXPECT_EQ(Y, 1);

    EXPECT_EQ(MakeDisplayCoord(3, 4), (TDisplayCoord{3, 4}));
    EXPECT_EQ((TCodeSearchOptions{ssoMatchCase, ssoPrompt}).ToInt(), 129u);
    EXPECT_EQ((TCodeSearchOptions{ssoReplaceAll}).ToInt(), 64u);
    EXPECT_EQ(GetEnumName(TypeInfo<TCodeSelectionMode>(), smColumn), u"smColumn");
}
