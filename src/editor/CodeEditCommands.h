#pragma once
// Editor command numbers, the table of their identifiers, and the conversions between a command's
// value, its identifier ("ecSelWordLeft") and its display name ("Select Word Left").

#include "platform/base/TypeInfo.h"
#include "platform/base/Types.h"

#include <functional>

// 0 is no command, 1..1000 the control's own commands, ecUserFirst and up the application's.
using TCodeEditorCommand = Word;

// Caret movement.
constexpr TCodeEditorCommand ecNone = 0;
constexpr TCodeEditorCommand ecLeft = 1;
constexpr TCodeEditorCommand ecRight = 2;
constexpr TCodeEditorCommand ecUp = 3;
constexpr TCodeEditorCommand ecDown = 4;
constexpr TCodeEditorCommand ecWordLeft = 5;
constexpr TCodeEditorCommand ecWordRight = 6;
constexpr TCodeEditorCommand ecLineStart = 7;
constexpr TCodeEditorCommand ecLineEnd = 8;
constexpr TCodeEditorCommand ecPageUp = 9;
constexpr TCodeEditorCommand ecPageDown = 10;
constexpr TCodeEditorCommand ecPageLeft = 11;
constexpr TCodeEditorCommand ecPageRight = 12;
constexpr TCodeEditorCommand ecPageTop = 13;
constexpr TCodeEditorCommand ecPageBottom = 14;
constexpr TCodeEditorCommand ecEditorTop = 15;
constexpr TCodeEditorCommand ecEditorBottom = 16;
constexpr TCodeEditorCommand ecGotoXY = 17;

// Each selecting movement is its movement plus ecSelection.
constexpr TCodeEditorCommand ecSelection = 100;
constexpr TCodeEditorCommand ecSelLeft = ecLeft + ecSelection;
constexpr TCodeEditorCommand ecSelRight = ecRight + ecSelection;
constexpr TCodeEditorCommand ecSelUp = ecUp + ecSelection;
constexpr TCodeEditorCommand ecSelDown = ecDown + ecSelection;
constexpr TCodeEditorCommand ecSelWordLeft = ecWordLeft + ecSelection;
constexpr TCodeEditorCommand ecSelWordRight = ecWordRight + ecSelection;
constexpr TCodeEditorCommand ecSelLineStart = ecLineStart + ecSelection;
constexpr TCodeEditorCommand ecSelLineEnd = ecLineEnd + ecSelection;
constexpr TCodeEditorCommand ecSelPageUp = ecPageUp + ecSelection;
constexpr TCodeEditorCommand ecSelPageDown = ecPageDown + ecSelection;
constexpr TCodeEditorCommand ecSelPageLeft = ecPageLeft + ecSelection;
constexpr TCodeEditorCommand ecSelPageRight = ecPageRight + ecSelection;
constexpr TCodeEditorCommand ecSelPageTop = ecPageTop + ecSelection;
constexpr TCodeEditorCommand ecSelPageBottom = ecPageBottom + ecSelection;
constexpr TCodeEditorCommand ecSelEditorTop = ecEditorTop + ecSelection;
constexpr TCodeEditorCommand ecSelEditorBottom = ecEditorBottom + ecSelection;
constexpr TCodeEditorCommand ecSelGotoXY = ecGotoXY + ecSelection;
constexpr TCodeEditorCommand ecSelWord = 198;
constexpr TCodeEditorCommand ecSelectAll = 199;

// Clipboard (copy changes nothing, so it lives apart from the editing commands).
constexpr TCodeEditorCommand ecCopy = 201;

// Scrolling.
constexpr TCodeEditorCommand ecScrollUp = 211;
constexpr TCodeEditorCommand ecScrollDown = 212;
constexpr TCodeEditorCommand ecScrollLeft = 213;
constexpr TCodeEditorCommand ecScrollRight = 214;

// Insert mode.
constexpr TCodeEditorCommand ecInsertMode = 221;
constexpr TCodeEditorCommand ecOverwriteMode = 222;
constexpr TCodeEditorCommand ecToggleMode = 223;

// Selection mode.
constexpr TCodeEditorCommand ecNormalSelect = 231;
constexpr TCodeEditorCommand ecColumnSelect = 232;
constexpr TCodeEditorCommand ecLineSelect = 233;

// Brackets and comments.
constexpr TCodeEditorCommand ecMatchBracket = 250;
constexpr TCodeEditorCommand ecCommentBlock = 251;

// Bookmarks: ecGotoMarker0 + N and ecSetMarker0 + N for bookmark N (0..9).
constexpr TCodeEditorCommand ecGotoMarker0 = 301;
constexpr TCodeEditorCommand ecGotoMarker1 = 302;
constexpr TCodeEditorCommand ecGotoMarker2 = 303;
constexpr TCodeEditorCommand ecGotoMarker3 = 304;
constexpr TCodeEditorCommand ecGotoMarker4 = 305;
constexpr TCodeEditorCommand ecGotoMarker5 = 306;
constexpr TCodeEditorCommand ecGotoMarker6 = 307;
constexpr TCodeEditorCommand ecGotoMarker7 = 308;
constexpr TCodeEditorCommand ecGotoMarker8 = 309;
constexpr TCodeEditorCommand ecGotoMarker9 = 310;
constexpr TCodeEditorCommand ecSetMarker0 = 351;
constexpr TCodeEditorCommand ecSetMarker1 = 352;
constexpr TCodeEditorCommand ecSetMarker2 = 353;
constexpr TCodeEditorCommand ecSetMarker3 = 354;
constexpr TCodeEditorCommand ecSetMarker4 = 355;
constexpr TCodeEditorCommand ecSetMarker5 = 356;
constexpr TCodeEditorCommand ecSetMarker6 = 357;
constexpr TCodeEditorCommand ecSetMarker7 = 358;
constexpr TCodeEditorCommand ecSetMarker8 = 359;
constexpr TCodeEditorCommand ecSetMarker9 = 360;

// Focus notifications: passed through the command processor, but not in the command table.
constexpr TCodeEditorCommand ecGotFocus = 480;
constexpr TCodeEditorCommand ecLostFocus = 481;

constexpr TCodeEditorCommand ecContextHelp = 490;

// Deleting and inserting.
constexpr TCodeEditorCommand ecDeleteLastChar = 501;
constexpr TCodeEditorCommand ecDeleteChar = 502;
constexpr TCodeEditorCommand ecDeleteWord = 503;
constexpr TCodeEditorCommand ecDeleteLastWord = 504;
constexpr TCodeEditorCommand ecDeleteBOL = 505;
constexpr TCodeEditorCommand ecDeleteEOL = 506;
constexpr TCodeEditorCommand ecDeleteLine = 507;
constexpr TCodeEditorCommand ecClearAll = 508;
constexpr TCodeEditorCommand ecLineBreak = 509;
constexpr TCodeEditorCommand ecInsertLine = 510;
constexpr TCodeEditorCommand ecChar = 511;
constexpr TCodeEditorCommand ecImeStr = 550;

// Undo and clipboard.
constexpr TCodeEditorCommand ecUndo = 601;
constexpr TCodeEditorCommand ecRedo = 602;
constexpr TCodeEditorCommand ecCut = 603;
constexpr TCodeEditorCommand ecPaste = 604;

// Indentation and tabs.
constexpr TCodeEditorCommand ecBlockIndent = 610;
constexpr TCodeEditorCommand ecBlockUnindent = 611;
constexpr TCodeEditorCommand ecTab = 612;
constexpr TCodeEditorCommand ecShiftTab = 613;

// Case.
constexpr TCodeEditorCommand ecUpperCase = 620;
constexpr TCodeEditorCommand ecLowerCase = 621;
constexpr TCodeEditorCommand ecToggleCase = 622;
constexpr TCodeEditorCommand ecTitleCase = 623;
constexpr TCodeEditorCommand ecUpperCaseBlock = 625;
constexpr TCodeEditorCommand ecLowerCaseBlock = 626;
constexpr TCodeEditorCommand ecToggleCaseBlock = 627;

// Text insertion.
constexpr TCodeEditorCommand ecString = 630;

constexpr TCodeEditorCommand ecAutoCompletion = 650;

constexpr TCodeEditorCommand ecUserFirst = 1001;

// One row of the command table.
struct TCodeEditorCommandRow {
    TCodeEditorCommand Value;
    const char16_t* Name;
};

// The table in its own order (the order of the keystroke editors' lists), not sorted by value.
constexpr int EditorCommandCount = 101;
extern const TCodeEditorCommandRow EditorCommandTable[EditorCommandCount];

// Ident equals a table identifier without regard to case.
bool CommandIdentToValue(const String& Ident, int& Value);
// The identifier of the first row with that value.
bool CommandValueToIdent(int Value, String& Ident);
// The identifier, or the value as a decimal number when no row has it ("1002").
String CommandToText(TCodeEditorCommand Command);

// "ecSelWordLeft" -> "Select Word Left", "ecGotoMarker3" -> "Goto Bookmark 3"; a text that does
// not begin with "ec" comes back unchanged.
String CommandIdentToDisplayName(const String& Ident);
// The way back: "Select Word Left" -> "ecSelWordLeft"; a text beginning with "ec" is kept.
String CommandDisplayNameToIdent(const String& Text);
TCodeEditorCommand CommandDisplayNameToValue(const String& Text);
// The value of the first row whose identifier equals Ident when both are upper-cased; ecNone
// when none does.
TCodeEditorCommand FindCommandByIdent(const String& Ident);

// Calls Callback once per table row, in table order.
void ForEachCommandIdent(const std::function<void(const String& Ident)>& Callback);
void ForEachCommandDisplayName(const std::function<void(const String& DisplayName)>& Callback);
// The value of the row at a 0-based table position; EListError "List index out of bounds (%d)"
// outside the table.
TCodeEditorCommand CommandValueAt(int Position);

// The type record of command properties (an unsigned 16-bit integer type of its own name), under
// which the command conversions are registered as integer constants.
const TTypeInfo* CodeEditorCommandTypeInfo();
// Registers the command identifiers with the integer-constant registry; start-up calls it once,
// again does nothing.
void RegisterEditorCommands();
