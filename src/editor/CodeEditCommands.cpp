#include "editor/CodeEditCommands.h"

#include "platform/base/Format.h"
#include "platform/base/IntConsts.h"
#include "platform/base/Strings.h"

#include <mutex>

const TCodeEditorCommandRow EditorCommandTable[EditorCommandCount] = {
    // Caret movement.
    {ecNone, u"ecNone"},
    {ecLeft, u"ecLeft"},
    {ecRight, u"ecRight"},
    {ecUp, u"ecUp"},
    {ecDown, u"ecDown"},
    {ecWordLeft, u"ecWordLeft"},
    {ecWordRight, u"ecWordRight"},
    {ecLineStart, u"ecLineStart"},
    {ecLineEnd, u"ecLineEnd"},
    {ecPageUp, u"ecPageUp"},
    {ecPageDown, u"ecPageDown"},
    {ecPageLeft, u"ecPageLeft"},
    {ecPageRight, u"ecPageRight"},
    {ecPageTop, u"ecPageTop"},
    {ecPageBottom, u"ecPageBottom"},
    {ecEditorTop, u"ecEditorTop"},
    {ecEditorBottom, u"ecEditorBottom"},
    {ecGotoXY, u"ecGotoXY"},
    // Selecting movement.
    {ecSelLeft, u"ecSelLeft"},
    {ecSelRight, u"ecSelRight"},
    {ecSelUp, u"ecSelUp"},
    {ecSelDown, u"ecSelDown"},
    {ecSelWordLeft, u"ecSelWordLeft"},
    {ecSelWordRight, u"ecSelWordRight"},
    {ecSelLineStart, u"ecSelLineStart"},
    {ecSelLineEnd, u"ecSelLineEnd"},
    {ecSelPageUp, u"ecSelPageUp"},
    {ecSelPageDown, u"ecSelPageDown"},
    {ecSelPageLeft, u"ecSelPageLeft"},
    {ecSelPageRight, u"ecSelPageRight"},
    {ecSelPageTop, u"ecSelPageTop"},
    {ecSelPageBottom, u"ecSelPageBottom"},
    {ecSelEditorTop, u"ecSelEditorTop"},
    {ecSelEditorBottom, u"ecSelEditorBottom"},
    {ecSelGotoXY, u"ecSelGotoXY"},
    {ecSelWord, u"ecSelWord"},
    {ecSelectAll, u"ecSelectAll"},
    // Deleting and inserting.
    {ecDeleteLastChar, u"ecDeleteLastChar"},
    {ecDeleteChar, u"ecDeleteChar"},
    {ecDeleteWord, u"ecDeleteWord"},
    {ecDeleteLastWord, u"ecDeleteLastWord"},
    {ecDeleteBOL, u"ecDeleteBOL"},
    {ecDeleteEOL, u"ecDeleteEOL"},
    {ecDeleteLine, u"ecDeleteLine"},
    {ecClearAll, u"ecClearAll"},
    {ecLineBreak, u"ecLineBreak"},
    {ecInsertLine, u"ecInsertLine"},
    {ecChar, u"ecChar"},
    {ecImeStr, u"ecImeStr"},
    // Undo and clipboard.
    {ecUndo, u"ecUndo"},
    {ecRedo, u"ecRedo"},
    {ecCut, u"ecCut"},
    {ecCopy, u"ecCopy"},
    {ecPaste, u"ecPaste"},
    // Scrolling.
    {ecScrollUp, u"ecScrollUp"},
    {ecScrollDown, u"ecScrollDown"},
    {ecScrollLeft, u"ecScrollLeft"},
    {ecScrollRight, u"ecScrollRight"},
    // Insert mode.
    {ecInsertMode, u"ecInsertMode"},
    {ecOverwriteMode, u"ecOverwriteMode"},
    {ecToggleMode, u"ecToggleMode"},
    // Indentation and tabs.
    {ecBlockIndent, u"ecBlockIndent"},
    {ecBlockUnindent, u"ecBlockUnindent"},
    {ecTab, u"ecTab"},
    {ecShiftTab, u"ecShiftTab"},
    // Brackets and comments.
    {ecMatchBracket, u"ecMatchBracket"},
    {ecCommentBlock, u"ecCommentBlock"},
    // Selection mode.
    {ecNormalSelect, u"ecNormalSelect"},
    {ecColumnSelect, u"ecColumnSelect"},
    {ecLineSelect, u"ecLineSelect"},
    // Others.
    {ecAutoCompletion, u"ecAutoCompletion"},
    {ecUserFirst, u"ecUserFirst"},
    {ecContextHelp, u"ecContextHelp"},
    // Bookmarks.
    {ecGotoMarker0, u"ecGotoMarker0"},
    {ecGotoMarker1, u"ecGotoMarker1"},
    {ecGotoMarker2, u"ecGotoMarker2"},
    {ecGotoMarker3, u"ecGotoMarker3"},
    {ecGotoMarker4, u"ecGotoMarker4"},
    {ecGotoMarker5, u"ecGotoMarker5"},
    {ecGotoMarker6, u"ecGotoMarker6"},
    {ecGotoMarker7, u"ecGotoMarker7"},
    {ecGotoMarker8, u"ecGotoMarker8"},
    {ecGotoMarker9, u"ecGotoMarker9"},
    {ecSetMarker0, u"ecSetMarker0"},
    {ecSetMarker1, u"ecSetMarker1"},
    {ecSetMarker2, u"ecSetMarker2"},
    {ecSetMarker3, u"ecSetMarker3"},
    {ecSetMarker4, u"ecSetMarker4"},
    {ecSetMarker5, u"ecSetMarker5"},
    {ecSetMarker6, u"ecSetMarker6"},
    {ecSetMarker7, u"ecSetMarker7"},
    {ecSetMarker8, u"ecSetMarker8"},
    {ecSetMarker9, u"ecSetMarker9"},
    // Case.
    {ecUpperCase, u"ecUpperCase"},
    {ecLowerCase, u"ecLowerCase"},
    {ecToggleCase, u"ecToggleCase"},
    {ecTitleCase, u"ecTitleCase"},
    {ecUpperCaseBlock, u"ecUpperCaseBlock"},
    {ecLowerCaseBlock, u"ecLowerCaseBlock"},
    {ecToggleCaseBlock, u"ecToggleCaseBlock"},
    // Text insertion.
    {ecString, u"ecString"},
};

bool CommandIdentToValue(const String& Ident, int& Value) {
    for (const TCodeEditorCommandRow& Row : EditorCommandTable)
        if (SameText(Ident, Row.Name)) {
            Value = Row.Value;
            return true;
        }
    return false;
}

bool CommandValueToIdent(int Value, String& Ident) {
    for (const TCodeEditorCommandRow& Row : EditorCommandTable)
        if (Row.Value == Value) {
            Ident = Row.Name;
            return true;
        }
    return false;
}

String CommandToText(TCodeEditorCommand Command) {
    String Ident;
    if (CommandValueToIdent(Command, Ident)) return Ident;
    return IntToStr(Command);
}

namespace {

bool IsUpperOrDigit(Char C) {
    return (C >= u'A' && C <= u'Z') || (C >= u'0' && C <= u'9');
}

} // namespace

String CommandIdentToDisplayName(const String& Ident) {
    if (!StartsStr(u"ec", Ident)) return Ident;
    const String Rest = Ident.substr(2);
    String Result;
    Result.reserve(Rest.size() * 2);
    // A capital or digit that follows neither starts a word: "GotoXY" -> "Goto XY".
    for (size_t I = 0; I < Rest.size(); ++I) {
        if (I > 0 && IsUpperOrDigit(Rest[I]) && !IsUpperOrDigit(Rest[I - 1])) Result += u' ';
        Result += Rest[I];
    }
    Result = Trim(Result);
    Result = StringReplace(Result, u"Sel ", u"Select ", rfReplaceAll);
    return StringReplace(Result, u"Marker ", u"Bookmark ", rfReplaceAll);
}

String CommandDisplayNameToIdent(const String& Text) {
    if (StartsStr(u"ec", Text)) return Text;
    String S = Text;
    // "Select All" is the one display name whose "Select" is not the short "Sel" of an identifier.
    if (Pos(u"Select All", S) == 0) S = StringReplace(S, u"Select ", u"Sel ", rfReplaceAll);
    S = StringReplace(S, u"Bookmark ", u"Marker ", rfReplaceAll);
    S = StringReplace(S, u" ", u"", rfReplaceAll);
    return u"ec" + S;
}

TCodeEditorCommand CommandDisplayNameToValue(const String& Text) {
    return FindCommandByIdent(CommandDisplayNameToIdent(Text));
}

TCodeEditorCommand FindCommandByIdent(const String& Ident) {
    const String Upper = UpperCase(Ident);
    for (const TCodeEditorCommandRow& Row : EditorCommandTable)
        if (UpperCase(Row.Name) == Upper) return Row.Value;
    return ecNone;
}

void ForEachCommandIdent(const std::function<void(const String& Ident)>& Callback) {
    for (const TCodeEditorCommandRow& Row : EditorCommandTable)
        Callback(Row.Name);
}

void ForEachCommandDisplayName(const std::function<void(const String& DisplayName)>& Callback) {
    for (const TCodeEditorCommandRow& Row : EditorCommandTable)
        Callback(CommandIdentToDisplayName(Row.Name));
}

TCodeEditorCommand CommandValueAt(int Position) {
    if (Position < 0 || Position >= EditorCommandCount)
        throw EListError(Format(u"List index out of bounds (%d)", {Position}));
    return EditorCommandTable[Position].Value;
}

const TTypeInfo* CodeEditorCommandTypeInfo() {
    static const TTypeInfo* const Info =
        TypeInfoDetail::OrdinalTypeInfo(tkInteger, u"TCodeEditorCommand", otUWord, 0, 65535);
    return Info;
}

void RegisterEditorCommands() {
    static std::once_flag Once;
    std::call_once(Once, [] {
        RegisterIntegerConsts(CodeEditorCommandTypeInfo(), CommandIdentToValue, CommandValueToIdent);
    });
}
