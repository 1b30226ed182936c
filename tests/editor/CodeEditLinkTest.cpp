// Editor controls linked to one text: every change reaches every control, the history is shared,
// caret, selection and bookmarks stay each control's own, and unlinking (in any order, or by
// freeing a control) gives each control its own text back.

#include "CodeEditSupport.h"

#include "editor/CodeEditCommands.h"
#include "platform/base/Exceptions.h"

class CodeEditLink : public TCodeEditFixture {
protected:
    TCodeEdit* Another() {
        auto* E = new TCodeEdit(Form.get());
        E->SetParent(Form.get());
        E->HandleNeeded();
        return E;
    }
    static void Type(TCustomCodeEdit* E, const String& Text) {
        for (Char Ch : Text)
            E->CommandProcessor(ecChar, Ch, nullptr);
    }
    // How often each control hears that its text changed.
    static void Count(TCustomCodeEdit* E, int& Changes) {
        E->OnChange = [&Changes](TObject*) { ++Changes; };
    }
};

TEST_F(CodeEditLink, AChangeInEitherReachesBothAndTheHistoryIsShared) {
    Edit->SetText(u"one\r\ntwo");
    TCodeEdit* Other = Another();
    Other->SetText(u"own");
    Other->SetLinesPointer(Edit);
    EXPECT_EQ(Other->ChainedEditor(), Edit);
    EXPECT_EQ(U8(Other->Lines()->Strings(1)), "two");
    int EditChanges = 0, OtherChanges = 0;
    Count(Edit, EditChanges);
    Count(Other, OtherChanges);
    Other->SetCaretXY({4, 2});
    Type(Other, u"!");
    EXPECT_EQ(U8(Edit->Lines()->Strings(1)), "two!");
    EXPECT_EQ(EditChanges, 1);
    EXPECT_EQ(OtherChanges, 1);
    EXPECT_TRUE(Edit->Modified());
    EXPECT_TRUE(Other->Modified());
    // Each keeps its own caret, selection and bookmarks.
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(1, 1));
    EXPECT_EQ(Other->CaretXY(), MakeBufferCoord(5, 2));
    Other->SetBookMark(1, 1, 2);
    EXPECT_TRUE(Other->IsBookmark(1));
    EXPECT_FALSE(Edit->IsBookmark(1));
    // Undo in the other control takes back what was typed in this one.
    Edit->SetCaretXY({4, 1});
    Edit->CommandProcessor(ecLineBreak, 0, nullptr);
    EXPECT_EQ(U8(Other->Text()), "one\r\n\r\ntwo!");
    Other->Undo();
    EXPECT_EQ(U8(Edit->Text()), "one\r\ntwo!");
    Edit->Undo();
    EXPECT_EQ(U8(Other->Text()), "one\r\ntwo");
    Other->Redo();
    EXPECT_EQ(U8(Edit->Lines()->Strings(1)), "two!");
    Other->SetCaretXY({1, 1});
    Other->CommandProcessor(ecLineBreak, 0, nullptr);
    EXPECT_EQ(Edit->Lines()->Count(), 3);
    // Unlinking gives the control its own text and its own (empty) history back.
    Other->OnChange = nullptr;
    Other->RemoveLinesPointer();
    EXPECT_EQ(Other->ChainedEditor(), nullptr);
    EXPECT_EQ(U8(Other->Text()), "own");
    EXPECT_FALSE(Other->CanUndo());
    const int Before = EditChanges;
    Edit->SetCaretXY({1, 1});
    Type(Edit, u"x");
    EXPECT_EQ(EditChanges, Before + 1);
    EXPECT_EQ(U8(Other->Text()), "own");
    Edit->OnChange = nullptr;
}

TEST_F(CodeEditLink, ACaretBelowTheSharedTextComesInsideIt) {
    Edit->SetText(u"a");
    TCodeEdit* Other = Another();
    Other->SetText(u"1\r\n2\r\n3\r\nfour");
    Other->SetCaretXY({3, 4});
    Other->SetLinesPointer(Edit);
    // The line comes inside; the column stays, as the caret may stand past a line's end.
    EXPECT_EQ(Other->CaretXY(), MakeBufferCoord(3, 1));
    Type(Other, u"b");
    EXPECT_EQ(U8(Edit->Text()), "a b");
}

TEST_F(CodeEditLink, LinkingALinkedControlIsRefused) {
    TCodeEdit* Other = Another();
    TCodeEdit* Third = Another();
    Other->SetLinesPointer(Edit);
    EXPECT_THROW(Other->SetLinesPointer(Third), EAssertionFailed);
    EXPECT_THROW(Other->HookTextBuffer(Third->Buffer(), Third->UndoList(), Third->RedoList()), EAssertionFailed);
    EXPECT_THROW(Other->UnHookTextBuffer(), EAssertionFailed) << "RemoveLinesPointer unlinks it";
    EXPECT_EQ(Other->ChainedEditor(), Edit);
}

TEST_F(CodeEditLink, ControlsUnlinkedOutOfTurnLeaveNoHandlerBehind) {
    Edit->SetText(u"text");
    TCodeEdit* First = Another();
    TCodeEdit* Second = Another();
    First->SetLinesPointer(Edit);
    Second->SetLinesPointer(Edit);
    int EditChanges = 0, SecondChanges = 0;
    Count(Edit, EditChanges);
    Count(Second, SecondChanges);
    // The first linked goes first, and is freed: the chain passes it by.
    First->RemoveLinesPointer();
    delete First;
    Type(Edit, u"1");
    EXPECT_EQ(EditChanges, 1);
    EXPECT_EQ(SecondChanges, 1);
    EXPECT_EQ(U8(Second->Lines()->Strings(0)), "1text");
    Second->OnChange = nullptr;
    delete Second; // unlinks itself
    Type(Edit, u"2");
    EXPECT_EQ(EditChanges, 2);
    EXPECT_EQ(U8(Edit->Lines()->Strings(0)), "12text");
    Edit->OnChange = nullptr;
}

TEST_F(CodeEditLink, FreeingTheOwnerUnlinksEveryControlShowingItsText) {
    TCodeEdit* Owner = Another();
    Owner->SetText(u"shared");
    TCodeEdit* Direct = Another();
    Direct->SetText(u"direct");
    TCodeEdit* Through = Another();
    Through->SetText(u"through");
    Direct->SetLinesPointer(Owner);
    // Linked to a control that is itself linked: it shows the owner's text too.
    Through->SetLinesPointer(Direct);
    EXPECT_EQ(U8(Through->Text()), "shared");
    delete Owner;
    EXPECT_EQ(Direct->ChainedEditor(), nullptr);
    EXPECT_FALSE(Direct->UsesForeignBuffer());
    EXPECT_FALSE(Through->UsesForeignBuffer());
    EXPECT_EQ(Through->ChainedEditor(), nullptr);
    EXPECT_EQ(U8(Direct->Text()), "direct");
    EXPECT_EQ(U8(Through->Text()), "through");
    Type(Through, u"<");
    EXPECT_EQ(U8(Through->Text()), "<through");
    EXPECT_EQ(U8(Direct->Text()), "direct");
}
