// Replacing the selection in the three modes, block indentation and the undo replay of whole
// user steps.

#include "CodeEditEditing.h"

#include "TestHighlighter.h"

using CodeEditReplace = TCodeEditFixture;

TEST_F(CodeEditReplace, SettingTheSelectedTextInTheThreeModes) {
    const struct {
        const char* Name;
        String Text;
        TCodeSelectionMode Mode;
        TBufferCoord B, E;
        String Value;
        std::string After;
    } Cases[] = {
        {"normal, over lines", u"abc\ndef\nghi", smNormal, {2, 1}, {2, 3}, u"X\r\nY", "aX\nY|hi"},
        {"normal, inserting", u"abc", smNormal, {2, 1}, {2, 1}, u"12", "a12|bc"},
        {"line mode ending on the last line", u"abc\ndef\nghi", smLine, {2, 2}, {1, 3}, u"", "abc\n|"},
        {"line mode, inserting lines", u"abc\ndef", smLine, {1, 2}, {1, 2}, u"x\r\ny\r\n", "abc\nx\ny\n|def"},
        {"column mode, deleting", u"abcd\nefgh", smColumn, {2, 1}, {4, 2}, u"", "ad\ne|h"},
        {"column mode with CR LF", u"ab\ncd", smColumn, {5, 1}, {5, 1}, u"a\r\nb\r\nc", "ab  a\ncd  b\n    c|"},
        {"column mode with LF", u"ab\ncd", smColumn, {5, 1}, {5, 1}, u"a\nb\nc", "ab  a\ncd  b\n    c|"},
        {"column mode past an empty row", u"ab\ncd", smColumn, {3, 2}, {3, 2}, u"x\r\n\r\nz", "ab\ncdx\n\n  z|"},
        {"column mode below the text", u"ab\ncd", smColumn, {2, 2}, {2, 2}, u"x\r\ny\r\nz", "ab\ncxd\n y\n z|"},
    };
    for (const auto& C : Cases) {
        Edit->SetText(C.Text);
        Edit->ClearUndo();
        Edit->SetSelectionMode(C.Mode);
        Edit->SetCaretAndSelection(C.E, C.B, C.E);
        Edit->SetSelText(C.Value);
        EXPECT_EQ(ShowMarked(Edit), C.After) << C.Name;
        Edit->Undo();
        EXPECT_EQ(TextOf(Edit), Narrow(C.Text)) << C.Name;
        Edit->Redo();
        EXPECT_EQ(TextOf(Edit).substr(0, 2), C.After.substr(0, 2)) << C.Name;
        Edit->SetSelectionMode(smNormal);
    }
    // Nothing selected and nothing to insert: no change, no record.
    Edit->SetText(u"abc");
    Edit->ClearUndo();
    Edit->SetSelText(String());
    EXPECT_FALSE(Edit->CanUndo());
}

TEST_F(CodeEditReplace, LineModeInsertionMovesMarksByTheLinesInserted) {
    NumberedLines(10);
    Edit->SetBookMark(0, 1, 6);
    Edit->SetSelectionMode(smLine);
    Edit->SetCaretXY({1, 3});
    Edit->SetSelText(u"a\r\nb\r\nc\r\n");
    int X = 0;
    int Y = 0;
    ASSERT_TRUE(Edit->GetBookMark(0, X, Y));
    EXPECT_EQ(Edit->Lines()->Strings(Y - 1), u"6");
    EXPECT_EQ(Y, 9);
}

TEST_F(CodeEditReplace, BlockIndentAndUnindent) {
    const struct {
        const char* Name;
        String Text;
        TCodeSelectionMode Mode;
        TBufferCoord B, E;
        TCodeEditorCommand Command;
        int TabWidth;
        std::string After;
        TBufferCoord NewB, NewE;
    } Cases[] = {
        {"indent lines 2 to 4", u"1\n2\n3\n4\n5", smNormal, {1, 2}, {1, 5}, ecBlockIndent, 2, "1\n  2\n  3\n  4\n5",
         {3, 2}, {1, 5}},
        {"indent in column mode", u"abc\ndef", smColumn, {2, 1}, {3, 2}, ecBlockIndent, 2, "a  bc\nd  ef",
         {4, 1}, {5, 2}},
        {"unindent a blank and a tab", u"x\n \ty\n z", smNormal, {1, 2}, {3, 3}, ecBlockUnindent, 4, "x\ny\nz",
         {1, 2}, {2, 3}},
        {"unindent at most a tab width of blanks", u"      a\nb", smNormal, {1, 1}, {2, 2}, ecBlockUnindent, 4,
         "  a\nb", {1, 1}, {2, 2}},
    };
    for (const auto& C : Cases) {
        Edit->SetTabWidth(C.TabWidth);
        Edit->SetText(C.Text);
        Edit->ClearUndo();
        Edit->SetSelectionMode(C.Mode);
        Edit->SetCaretAndSelection(C.E, C.B, C.E);
        Edit->CommandProcessor(C.Command, 0, nullptr);
        EXPECT_EQ(TextOf(Edit), C.After) << C.Name;
        EXPECT_EQ(Edit->BlockBegin(), C.NewB) << C.Name;
        EXPECT_EQ(Edit->BlockEnd(), C.NewE) << C.Name;
        EXPECT_EQ(Edit->ActiveSelectionMode(), C.Mode) << C.Name;
        Edit->CommandProcessor(ecUndo, 0, nullptr);
        EXPECT_EQ(TextOf(Edit), Narrow(C.Text)) << C.Name << " (undone)";
        Edit->CommandProcessor(ecRedo, 0, nullptr);
        EXPECT_EQ(TextOf(Edit), C.After) << C.Name << " (redone)";
        Edit->SetSelectionMode(smNormal);
    }
}

TEST_F(CodeEditReplace, TabIndentsSelectedLinesWithTabIndent) {
    Edit->SetOptions(Edit->Options() + TCodeEditorOptions{eoTabIndent});
    Edit->SetTabWidth(2);
    Edit->SetText(u"a\nb\nc");
    Edit->SetCaretAndSelection({1, 3}, {1, 1}, {1, 3});
    Edit->CommandProcessor(ecTab, 0, nullptr);
    EXPECT_EQ(TextOf(Edit), "  a\n  b\nc");
    Edit->CommandProcessor(ecShiftTab, 0, nullptr);
    EXPECT_EQ(TextOf(Edit), "a\nb\nc");
}

TEST_F(CodeEditReplace, CaseCommandsOnASelectionKeepIt) {
    Edit->SetText(u"aBc dEf");
    Edit->SetCaretAndSelection({4, 1}, {1, 1}, {4, 1});
    Edit->CommandProcessor(ecToggleCaseBlock, 0, nullptr);
    EXPECT_EQ(TextOf(Edit), "AbC dEf");
    EXPECT_EQ(Narrow(Edit->SelText()), "AbC");
    Edit->CommandProcessor(ecUndo, 0, nullptr);
    EXPECT_EQ(TextOf(Edit), "aBc dEf");
}

using CodeEditUndoReplay = TCodeEditFixture;

TEST_F(CodeEditUndoReplay, TypingIsUndoneByGroupOrByItem) {
    for (bool Group : {true, false}) {
        TCodeEditorOptions O = Edit->Options();
        if (Group)
            O.Include(eoGroupUndo);
        else
            O.Exclude(eoGroupUndo);
        Edit->SetOptions(O);
        PutMarked(Edit, u"x|");
        for (Char C : String(u"abc"))
            Edit->CommandProcessor(ecChar, C, nullptr);
        Edit->CommandProcessor(ecUndo, 0, nullptr);
        EXPECT_EQ(ShowMarked(Edit), Group ? "x|" : "xab|") << Group;
        Edit->CommandProcessor(ecRedo, 0, nullptr);
        EXPECT_EQ(ShowMarked(Edit), "xabc|") << Group;
    }
}

TEST_F(CodeEditUndoReplay, AMoveEndsTheTypingGroup) {
    PutMarked(Edit, u"|");
    for (Char C : String(u"ab"))
        Edit->CommandProcessor(ecChar, C, nullptr);
    Edit->CommandProcessor(ecLeft, 0, nullptr);
    Edit->CommandProcessor(ecRight, 0, nullptr);
    Edit->CommandProcessor(ecChar, u'c', nullptr);
    Edit->CommandProcessor(ecUndo, 0, nullptr);
    EXPECT_EQ(TextOf(Edit), "ab");
    Edit->CommandProcessor(ecUndo, 0, nullptr);
    EXPECT_EQ(TextOf(Edit), "");
}

TEST_F(CodeEditUndoReplay, MarkedStepsAreUndoneAndRedoneWhole) {
    PutMarked(Edit, u"ab|");
    Edit->UndoList()->AddChange(crAutoCompleteBegin, Edit->CaretXY(), Edit->CaretXY(), String(), smNormal);
    Edit->CommandProcessor(ecChar, u'c', nullptr);
    Edit->CommandProcessor(ecLeft, 0, nullptr);
    Edit->CommandProcessor(ecDeleteChar, 0, nullptr);
    Edit->CommandProcessor(ecChar, u'd', nullptr);
    Edit->UndoList()->AddChange(crAutoCompleteEnd, Edit->CaretXY(), Edit->CaretXY(), String(), smNormal);
    Edit->CommandProcessor(ecChar, u'!', nullptr);
    Edit->Undo();
    EXPECT_EQ(TextOf(Edit), "abd");
    Edit->Undo();
    EXPECT_EQ(TextOf(Edit), "ab");
    EXPECT_FALSE(Edit->CanUndo());
    Edit->Redo();
    EXPECT_EQ(TextOf(Edit), "abd");
    EXPECT_EQ(Edit->UndoList()->LastChangeReason(), crAutoCompleteEnd);
}

TEST_F(CodeEditUndoReplay, PasteIsOneStep) {
    PutMarked(Edit, u"a|b");
    WriteClipboardText(u"1\r\n2\r\n3");
    Edit->CommandProcessor(ecPaste, 0, nullptr);
    EXPECT_EQ(ShowMarked(Edit), "a1\n2\n3|b");
    Edit->CommandProcessor(ecUndo, 0, nullptr);
    EXPECT_EQ(TextOf(Edit), "ab");
    Edit->CommandProcessor(ecRedo, 0, nullptr);
    EXPECT_EQ(TextOf(Edit), "a1\n2\n3b");
}

TEST_F(CodeEditUndoReplay, LineBreakRedoTypesTheIndentationOnce) {
    PutMarked(Edit, u"    x|");
    Edit->CommandProcessor(ecLineBreak, 0, nullptr);
    Edit->CommandProcessor(ecChar, u'y', nullptr);
    EXPECT_EQ(ShowMarked(Edit), "    x\n    y|");
    Edit->CommandProcessor(ecUndo, 0, nullptr);
    Edit->CommandProcessor(ecUndo, 0, nullptr);
    EXPECT_EQ(ShowMarked(Edit), "    x|");
    // The owner sees the redone line break as a command of its own.
    int LineBreaks = 0;
    Edit->OnProcessCommand = [&](TObject*, TCodeEditorCommand& Command, Char&, void*) {
        if (Command == ecLineBreak) ++LineBreaks;
    };
    Edit->CommandProcessor(ecRedo, 0, nullptr);
    EXPECT_EQ(ShowMarked(Edit), "    x\n    |");
    EXPECT_EQ(LineBreaks, 1);
    Edit->CommandProcessor(ecRedo, 0, nullptr);
    EXPECT_EQ(ShowMarked(Edit), "    x\n    y|");
    // And the redone step is undone whole again.
    Edit->CommandProcessor(ecUndo, 0, nullptr);
    Edit->CommandProcessor(ecUndo, 0, nullptr);
    EXPECT_EQ(TextOf(Edit), "    x");
}

TEST_F(CodeEditUndoReplay, ANewEditAfterUndoClearsTheRedoList) {
    PutMarked(Edit, u"|");
    Edit->CommandProcessor(ecChar, u'a', nullptr);
    Edit->CommandProcessor(ecUndo, 0, nullptr);
    EXPECT_TRUE(Edit->CanRedo());
    Edit->CommandProcessor(ecChar, u'b', nullptr);
    EXPECT_FALSE(Edit->CanRedo());
    Edit->SetReadOnly(true);
    EXPECT_FALSE(Edit->CanUndo());
    Edit->Undo();
    EXPECT_EQ(TextOf(Edit), "b");
}

TEST_F(CodeEditUndoReplay, UndoRestoresTheModifiedFlag) {
    PutMarked(Edit, u"|");
    Edit->SetModified(false);
    Edit->CommandProcessor(ecChar, u'a', nullptr);
    EXPECT_TRUE(Edit->Modified());
    Edit->CommandProcessor(ecUndo, 0, nullptr);
    EXPECT_FALSE(Edit->Modified());
    Edit->CommandProcessor(ecRedo, 0, nullptr);
    EXPECT_TRUE(Edit->Modified());
}

TEST_F(CodeEditUndoReplay, ClearingTheTextResetsCaretViewAndHistory) {
    SizeTo(10, 5);
    NumberedLines(50);
    Edit->SetCaretXY({2, 40});
    Edit->CommandProcessor(ecChar, u'x', nullptr);
    Edit->Lines()->Clear();
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(1, 1));
    EXPECT_EQ(Edit->TopLine(), 1);
    EXPECT_EQ(Edit->LeftChar(), 1);
    EXPECT_FALSE(Edit->CanUndo());
}

TEST_F(CodeEditUndoReplay, AnEditRescansOnlyWhileTheLineStatesChange) {
    TTestHighlighter Highlighter;
    String Text;
    for (int I = 1; I <= 20; ++I)
        Text += u"line\r\n";
    Edit->SetText(Text + u"/* end */");
    Edit->SetHighlighter(&Highlighter);
    // Typing inside a line: its end state is unchanged, so the scan stops at the line after it.
    EXPECT_EQ(Edit->ScanRanges(4, 4), 5);
    Edit->SetCaretXY({3, 5});
    Edit->CommandProcessor(ecChar, u'x', nullptr);
    EXPECT_EQ(Edit->Buffer()->LineRange(4), 0);
    // Opening a block comment changes the state of every following line.
    Edit->SetCaretXY({1, 5});
    for (Char C : String(u"/*"))
        Edit->CommandProcessor(ecChar, C, nullptr);
    for (int I = 4; I < 20; ++I)
        EXPECT_EQ(Edit->Buffer()->LineRange(I), TTestHighlighter::rsBlockComment) << I;
    EXPECT_EQ(Edit->Buffer()->LineRange(20), 0);
    // And closing it again rescans to the end.
    Edit->CommandProcessor(ecDeleteLastChar, 0, nullptr);
    for (int I = 4; I < 21; ++I)
        EXPECT_EQ(Edit->Buffer()->LineRange(I), 0) << I;
    String Token;
    TCodeHighlighterAttributes* Attri = nullptr;
    EXPECT_TRUE(Edit->GetHighlighterAttriAtRowCol({2, 21}, Token, Attri));
    EXPECT_EQ(Attri, Highlighter.CommentAttribute());
    Edit->SetHighlighter(nullptr);
}
