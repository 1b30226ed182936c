// The editor control's commands run through its command processor: each case starts from a
// text with the caret marked, runs commands, and compares text and caret; every case that
// changes the text is undone and redone as one step.

#include "CodeEditEditing.h"

#include "TestHighlighter.h"

#include <vector>

namespace {

struct TCmd {
    TCodeEditorCommand Command;
    Char AChar = 0;
};

struct TCase {
    const char* Name;
    String Before;
    std::vector<TCmd> Commands;
    std::string After;
    TCodeEditorOptions Add{};
    TCodeEditorOptions Remove{};
    int TabWidth = 8;
};

TCmd Ch(Char C) {
    return {ecChar, C};
}

} // namespace

class CodeEditExecute : public TCodeEditFixture {
protected:
    void Run(const TCase& C) {
        Edit->SetOptions(TCodeEditorOptions::FromInt(CodeEditDefaultOptionBits) + C.Add - C.Remove);
        Edit->SetTabWidth(C.TabWidth);
        Edit->SetInsertMode(true);
        PutMarked(Edit, C.Before);
        const std::string Original = TextOf(Edit);
        for (const TCmd& Cmd : C.Commands)
            Edit->CommandProcessor(Cmd.Command, Cmd.AChar, nullptr);
        EXPECT_EQ(ShowMarked(Edit), C.After) << C.Name;
        const std::string Result = TextOf(Edit);
        if (Result == Original) return;
        // One user step: one Undo restores the text, one Redo brings the result back.
        Edit->CommandProcessor(ecUndo, 0, nullptr);
        EXPECT_EQ(TextOf(Edit), Original) << C.Name << " (undone)";
        Edit->CommandProcessor(ecRedo, 0, nullptr);
        EXPECT_EQ(TextOf(Edit), Result) << C.Name << " (redone)";
    }
};

TEST_F(CodeEditExecute, DeletionCommands) {
    const TCase Cases[] = {
        {"backspace at the start", u"|abc", {{ecDeleteLastChar}}, "|abc"},
        {"backspace joins lines", u"ab\n|cd", {{ecDeleteLastChar}}, "ab|cd"},
        {"backspace deletes one character", u"ab|c", {{ecDeleteLastChar}}, "a|c"},
        {"smart backspace to the indentation above", u"a\n    b\n        |", {{ecDeleteLastChar}},
         "a\n    b\n    |"},
        {"smart backspace again to the next one", u"a\n    b\n    |", {{ecDeleteLastChar}}, "a\n    b\n|"},
        {"unindent to the previous tab stop", u"    |a", {{ecDeleteLastChar}}, "  |a", {}, {eoSmartTabDelete}, 2},
        {"backspace past the end goes to the end", u"ab~~~|", {{ecDeleteLastChar}}, "ab|"},
        {"backspace past the end without smart delete", u"ab~~~|", {{ecDeleteLastChar}}, "ab~~|", {},
         {eoSmartTabDelete}},
        {"delete one character", u"a|bc", {{ecDeleteChar}}, "a|c"},
        {"delete joins the next line", u"ab|\ncd", {{ecDeleteChar}}, "ab|cd"},
        {"delete past the end fills up to the caret", u"ab~~|\ncd", {{ecDeleteChar}}, "ab  |cd"},
        {"delete at the end of the text", u"ab|", {{ecDeleteChar}}, "ab|"},
        {"delete a selection", u"a|bc", {{ecSelRight}, {ecSelRight}, {ecDeleteChar}}, "a|"},
        {"backspace over a selection", u"ab|c", {{ecSelLeft}, {ecDeleteLastChar}}, "a|c"},
        {"delete word", u"|foo bar", {{ecDeleteWord}}, "|bar"},
        {"delete word at the line end joins", u"foo|\n  bar", {{ecDeleteWord}}, "foo|bar"},
        {"delete last word", u"foo bar|", {{ecDeleteLastWord}}, "foo |"},
        {"delete to line start", u"foo b|ar", {{ecDeleteBOL}}, "|ar"},
        {"delete to line end", u"fo|o bar", {{ecDeleteEOL}}, "fo|"},
        {"delete line", u"a\nb|c\nd", {{ecDeleteLine}}, "a\n|d"},
        {"delete the last line empties it", u"a\nb|c", {{ecDeleteLine}}, "a\n|"},
    };
    for (const TCase& C : Cases)
        Run(C);
}

TEST_F(CodeEditExecute, TypingAndLineBreaks) {
    const TCase Cases[] = {
        {"typing inserts", u"a|c", {Ch(u'b')}, "ab|c"},
        {"overwrite replaces", u"a|bc", {{ecOverwriteMode}, Ch(u'x')}, "ax|c"},
        {"typing past the end fills with blanks", u"ab~~|", {Ch(u'x')}, "ab  x|"},
        {"typing on an empty line indents with blanks", u"~~~~~~~~~|", {Ch(u'x')}, "         x|"},
        {"typing on an empty line indents with tabs", u"~~~~~~~~~|", {Ch(u'x')}, ">> x|", {}, {eoTabsToSpaces},
         4},
        {"a tab character is not typed", u"a|b", {Ch(u'\t')}, "a|b"},
        {"a control character is not typed", u"a|b", {Ch(0x11)}, "a|b"},
        {"typing over a selection", u"|abc", {{ecSelRight}, {ecSelRight}, Ch(u'x')}, "x|c"},
        {"line break keeps the indentation", u"  abc|def", {{ecLineBreak}}, "  abc\n  |def"},
        {"line break at the end types the indentation", u"    x|", {{ecLineBreak}}, "    x\n    |"},
        {"line break after a tab indentation types a tab", u"\tx|", {{ecLineBreak}}, ">x\n>|", {},
         {eoTabsToSpaces}},
        {"line break at column 1", u"|ab", {{ecLineBreak}}, "\n|ab"},
        {"line break on an empty line", u"  a\n|", {{ecLineBreak}}, "  a\n\n~~|"},
        {"insert line keeps the caret", u"ab|cd", {{ecInsertLine}}, "ab|\ncd"},
        {"line break replaces a selection", u"a|bcd", {{ecSelRight}, {ecSelRight}, {ecLineBreak}}, "a\n|d"},
    };
    for (const TCase& C : Cases)
        Run(C);
}

TEST_F(CodeEditExecute, TabsIndentationAndCase) {
    const TCase Cases[] = {
        {"tab to spaces at column 4", u"abc|", {{ecTab}}, "abc |", {}, {}, 2},
        {"tab to spaces at column 5", u"abcd|", {{ecTab}}, "abcd  |", {}, {}, 2},
        {"tab character", u"ab|c", {{ecTab}}, "ab>|c", {}, {eoTabsToSpaces}},
        {"smart tab to the next word above", u"int  value;\n|", {{ecTab}}, "int  value;\n     |"},
        {"shift tab to the line start", u"        |x", {{ecShiftTab}}, "|x"},
        {"shift tab to the previous stop", u"        |x", {{ecShiftTab}}, "    |x", {}, {}, 4},
        {"shift tab back to the word above", u"foo bar baz\n        |x", {{ecShiftTab}}, "foo bar baz\n    |x"},
        {"title case", u"hE|LLO", {{ecTitleCase}}, "He|llo"},
        {"upper case of the word", u"one tw|o", {{ecUpperCase}}, "one TW|O"},
        {"lower case of the word before", u"ONE |", {{ecLowerCase}}, "one |"},
        {"toggle case of one character", u"a|Bc", {{ecToggleCaseBlock}}, "ab|c"},
        {"upper case block at the text end", u"abc|", {{ecUpperCaseBlock}}, "abc|"},
    };
    for (const TCase& C : Cases)
        Run(C);
}

TEST_F(CodeEditExecute, CaretMoves) {
    const TCase Cases[] = {
        {"right at a line end goes to the next line", u"1\n2\n3|\n4\n5", {{ecRight}}, "1\n2\n3\n|4\n5", {},
         {eoScrollPastEol}},
        {"right at the text end stays", u"1\n2\n3\n4\n5|", {{ecRight}}, "1\n2\n3\n4\n5|", {}, {eoScrollPastEol}},
        {"left at column 1 goes to the line above", u"ab\n|c", {{ecLeft}}, "ab|\nc", {}, {eoScrollPastEol}},
        {"left at column 1 stays past the line end", u"ab\n|c", {{ecLeft}}, "ab\n|c"},
        {"right goes on past the line end", u"ab|", {{ecRight}, {ecRight}}, "ab~~|"},
        {"down keeps the column", u"ab|c\nd\nefg", {{ecDown}, {ecDown}}, "abc\nd\nef|g", {eoKeepCaretX},
         {eoScrollPastEol}},
        {"word right", u"|foo bar", {{ecWordRight}}, "foo |bar"},
        {"word right inside the last word", u"foo b|ar", {{ecWordRight}}, "foo bar|"},
        {"word left", u"foo bar|", {{ecWordLeft}, {ecWordLeft}}, "|foo bar"},
        {"word left at column 1", u"ab\n|cd", {{ecWordLeft}}, "ab|\ncd"},
        {"smart home toggles", u"    x|", {{ecLineStart}}, "    |x", {eoEnhanceHomeKey}},
        {"smart home twice", u"    x|", {{ecLineStart}, {ecLineStart}}, "|    x", {eoEnhanceHomeKey}},
        {"smart home three times", u"    x|", {{ecLineStart}, {ecLineStart}, {ecLineStart}}, "    |x",
         {eoEnhanceHomeKey}},
        {"smart end to the text end", u"|ab  ", {{ecLineEnd}}, "ab|  "},
        {"smart end to the line end", u"|ab  ", {{ecLineEnd}, {ecLineEnd}}, "ab  |"},
        {"editor bottom", u"|a\nbc", {{ecEditorBottom}}, "a\nbc|"},
        {"editor top", u"a\nb|c", {{ecEditorTop}}, "|a\nbc"},
        {"matching bracket forwards", u"f|(a(b)c)", {{ecMatchBracket}}, "f(a(b)c|)"},
        {"matching bracket backwards", u"f(a(b)c|)", {{ecMatchBracket}}, "f|(a(b)c)"},
        {"matching bracket over lines", u"{|{\n}\n}", {{ecMatchBracket}}, "{{\n|}\n}"},
        {"no matching bracket: the caret stays", u"x\nf|(a", {{ecMatchBracket}}, "x\nf|(a"},
        {"no bracket at the caret: the caret stays", u"x\n|f(a)", {{ecMatchBracket}}, "x\n|f(a)"},
        {"commands without an action", u"a|b", {{ecCommentBlock}, {ecString}, {ecAutoCompletion}, {624}}, "a|b"},
    };
    for (const TCase& C : Cases)
        Run(C);
}

TEST_F(CodeEditExecute, SelectingMovesExtendFromTheAnchor) {
    PutMarked(Edit, u"abc\nde|f\nghi");
    for (TCodeEditorCommand C : {ecSelLeft, ecSelLeft, ecSelUp})
        Edit->CommandProcessor(C, 0, nullptr);
    EXPECT_EQ(Edit->BlockBegin(), MakeBufferCoord(1, 1));
    EXPECT_EQ(Edit->BlockEnd(), MakeBufferCoord(3, 2));
    EXPECT_EQ(Narrow(Edit->SelText()), "abc\r\nde");
    // A plain move collapses the selection at the new caret.
    Edit->CommandProcessor(ecRight, 0, nullptr);
    EXPECT_FALSE(Edit->SelAvail());
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(2, 1));
    Edit->CommandProcessor(ecSelectAll, 0, nullptr);
    EXPECT_EQ(Narrow(Edit->SelText()), "abc\r\ndef\r\nghi");
}

TEST_F(CodeEditExecute, PagesMoveByTheWindowHeight) {
    SizeTo(20, 30);
    NumberedLines(200);
    const struct {
        TCodeEditorOptions Add;
        int Rows;
    } Cases[] = {{{}, 30}, {{eoHalfPageScroll}, 15}, {{eoHalfPageScroll, eoScrollByOneLess}, 14}};
    for (const auto& C : Cases) {
        Edit->SetOptions(TCodeEditorOptions::FromInt(CodeEditDefaultOptionBits) + C.Add);
        Edit->SetTopLine(1);
        Edit->SetCaretXY({1, 1});
        Edit->CommandProcessor(ecPageDown, 0, nullptr);
        EXPECT_EQ(Edit->CaretY(), 1 + C.Rows);
        EXPECT_EQ(Edit->TopLine(), 1 + C.Rows);
        Edit->CommandProcessor(ecSelPageUp, 0, nullptr);
        EXPECT_EQ(Edit->CaretY(), 1);
        EXPECT_EQ(Edit->BlockEnd(), MakeBufferCoord(1, 1 + C.Rows));
    }
}

TEST_F(CodeEditExecute, TypingBeyondColumn1024OfALongLineInserts) {
    const String Long(2000, u'x');
    Edit->SetText(u"ab\r\n" + Long);
    Edit->SetMaxScrollWidth(1024);
    Edit->SetCaretXY({1500, 2});
    Edit->CommandProcessor(ecChar, u'y', nullptr);
    EXPECT_EQ(Edit->Lines()->Strings(1).size(), 2001u);
    EXPECT_EQ(Edit->Lines()->Strings(1)[1499], u'y');
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(1501, 2));
    // Past the end of a short line the scroll width still limits typing.
    Edit->SetCaretXY({5000, 1});
    ASSERT_EQ(Edit->CaretX(), Edit->MaxScrollWidth() + 1);
    Edit->CommandProcessor(ecChar, u'z', nullptr);
    EXPECT_EQ(Narrow(Edit->Lines()->Strings(0)), "ab");
}

TEST_F(CodeEditExecute, BracketsInStringsAndCommentsDoNotCount) {
    TTestHighlighter Highlighter;
    Edit->SetHighlighter(&Highlighter);
    PutMarked(Edit, u"f|(a, \")\", b) /* ) */ )");
    Edit->CommandProcessor(ecMatchBracket, 0, nullptr);
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(12, 1));
    EXPECT_EQ(Edit->GetMatchingBracketEx({12, 1}), MakeBufferCoord(2, 1));
    Edit->SetHighlighter(nullptr);
    // Without a highlighter every bracket counts.
    EXPECT_EQ(Edit->GetMatchingBracketEx({2, 1}), MakeBufferCoord(7, 1));
}

TEST_F(CodeEditExecute, ReadOnlyIgnoresEveryTextChange) {
    PutMarked(Edit, u"ab|c\ndef");
    Edit->CommandProcessor(ecChar, u'x', nullptr);
    Edit->SetReadOnly(true);
    for (TCodeEditorCommand C : {ecDeleteLastChar, ecDeleteChar, ecDeleteWord, ecDeleteLastWord, ecDeleteBOL,
                                 ecDeleteEOL, ecDeleteLine, ecClearAll, ecLineBreak, ecInsertLine, ecUndo, ecRedo,
                                 ecBlockIndent, ecTab, ecShiftTab, ecUpperCase, ecToggleCaseBlock, ecCut, ecPaste})
        Edit->CommandProcessor(C, 0, nullptr);
    Edit->CommandProcessor(ecChar, u'y', nullptr);
    EXPECT_EQ(TextOf(Edit), "abxc\ndef");
    // Moves still work.
    Edit->CommandProcessor(ecDown, 0, nullptr);
    EXPECT_EQ(Edit->CaretY(), 2);
}

TEST_F(CodeEditExecute, BookmarkCommandsSetMoveClearAndJump) {
    NumberedLines(20);
    Edit->SetCaretXY({1, 5});
    Edit->CommandProcessor(ecSetMarker3, 0, nullptr);
    ASSERT_TRUE(Edit->IsBookmark(3));
    const TBufferCoord Elsewhere{1, 12};
    Edit->CommandProcessor(ecSetMarker3, 0, const_cast<TBufferCoord*>(&Elsewhere));
    int X = 0;
    int Y = 0;
    ASSERT_TRUE(Edit->GetBookMark(3, X, Y));
    EXPECT_EQ(Y, 12);
    Edit->SetCaretXY({1, 1});
    Edit->CommandProcessor(ecGotoMarker3, 0, nullptr);
    EXPECT_EQ(Edit->CaretY(), 12);
    Edit->CommandProcessor(ecSetMarker3, 0, nullptr);
    EXPECT_FALSE(Edit->IsBookmark(3));
    // Without the bookmark keys the commands do nothing.
    Edit->BookMarkOptions()->SetEnableKeys(false);
    Edit->CommandProcessor(ecSetMarker4, 0, nullptr);
    EXPECT_FALSE(Edit->IsBookmark(4));
    // Marks follow inserted and deleted lines.
    Edit->BookMarkOptions()->SetEnableKeys(true);
    Edit->SetCaretXY({1, 9});
    Edit->CommandProcessor(ecSetMarker1, 0, nullptr);
    Edit->SetCaretXY({1, 3});
    Edit->CommandProcessor(ecLineBreak, 0, nullptr);
    ASSERT_TRUE(Edit->GetBookMark(1, X, Y));
    EXPECT_EQ(Y, 10);
    Edit->CommandProcessor(ecDeleteLine, 0, nullptr);
    Edit->CommandProcessor(ecDeleteLine, 0, nullptr);
    ASSERT_TRUE(Edit->GetBookMark(1, X, Y));
    EXPECT_EQ(Y, 8);
}

TEST_F(CodeEditExecute, ClearAllEmptiesTextMarksAndHistory) {
    NumberedLines(5);
    Edit->SetCaretXY({1, 3});
    Edit->CommandProcessor(ecSetMarker0, 0, nullptr);
    Edit->CommandProcessor(ecChar, u'x', nullptr);
    Edit->CommandProcessor(ecClearAll, 0, nullptr);
    EXPECT_EQ(Edit->Lines()->Count(), 0);
    EXPECT_EQ(Edit->Marks()->Count(), 0);
    EXPECT_FALSE(Edit->IsBookmark(0));
    EXPECT_FALSE(Edit->CanUndo());
    EXPECT_FALSE(Edit->Modified());
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(1, 1));
}

TEST_F(CodeEditExecute, PointsInTheSelectionByMode) {
    Edit->SetText(u"abcdef\nabcdef\nabcdef");
    const struct {
        TCodeSelectionMode Mode;
        TBufferCoord B, E, P;
        bool Inside;
    } Cases[] = {
        {smNormal, {3, 1}, {2, 3}, {2, 1}, false}, {smNormal, {3, 1}, {2, 3}, {3, 1}, true},
        {smNormal, {3, 1}, {2, 3}, {6, 2}, true},  {smNormal, {3, 1}, {2, 3}, {2, 3}, false},
        {smLine, {3, 1}, {2, 2}, {6, 2}, true},    {smLine, {3, 1}, {2, 2}, {1, 3}, false},
        {smColumn, {2, 1}, {4, 3}, {3, 2}, true},  {smColumn, {2, 1}, {4, 3}, {4, 2}, false},
        {smColumn, {3, 1}, {3, 3}, {3, 2}, false},
    };
    for (const auto& C : Cases) {
        Edit->SetSelectionMode(C.Mode);
        Edit->SetCaretAndSelection(C.E, C.B, C.E);
        EXPECT_EQ(Edit->IsPointInSelection(C.P), C.Inside) << int(C.Mode) << " " << C.P.Char << "," << C.P.Line;
    }
}

TEST_F(CodeEditExecute, MarksFollowDeletedAndInsertedLines) {
    NumberedLines(12);
    for (int Line : {3, 4, 5, 9})
        Edit->SetBookMark(Line - 3 + 1, 1, Line);
    Edit->NotifyLinesDeleted(4, 3);
    std::vector<int> Lines;
    for (int I = 0; I < Edit->Marks()->Count(); ++I)
        Lines.push_back(Edit->Marks()->Items(I)->Line());
    EXPECT_EQ(Lines, (std::vector<int>{3, 4, 4, 6}));
    Edit->NotifyLinesInserted(4, 2);
    Lines.clear();
    for (int I = 0; I < Edit->Marks()->Count(); ++I)
        Lines.push_back(Edit->Marks()->Items(I)->Line());
    EXPECT_EQ(Lines, (std::vector<int>{3, 6, 6, 8}));
}
