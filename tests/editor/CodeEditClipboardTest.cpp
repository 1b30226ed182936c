// Copy, cut and paste of the editor control through the program's clipboard, with the selection
// mode carried between controls, and dragging a selection within a control and between two.

#include "CodeEditSupport.h"

#include "platform/gui/Clipboard.h"

#include <set>

namespace {

String Body(TCustomCodeEdit* E) {
    return E->Text();
}

struct TItem {
    TCodeChangeReason Reason;
    TBufferCoord Start, End;
    std::string Text;
    bool operator==(const TItem&) const = default;
};

std::ostream& operator<<(std::ostream& Out, const TItem& I) {
    return Out << "reason " << static_cast<int>(I.Reason) << " " << I.Start.Char << ","
               << I.Start.Line << "-" << I.End.Char << "," << I.End.Line << " '" << I.Text << "'";
}

// The undo items, oldest first, and how many change numbers they use.
std::vector<TItem> Items(TCodeEditUndoList* List, int* Numbers = nullptr) {
    std::vector<std::unique_ptr<TCodeEditUndoItem>> Popped;
    while (List->CanUndo())
        Popped.push_back(List->PopItem());
    std::vector<TItem> Result;
    std::set<int> Seen;
    for (auto It = Popped.rbegin(); It != Popped.rend(); ++It) {
        const TCodeEditUndoItem& I = **It;
        Result.push_back({I.ChangeReason(), I.ChangeStartPos(), I.ChangeEndPos(), U8(I.ChangeStr())});
        Seen.insert(I.ChangeNumber());
        List->PushItem(std::move(*It));
    }
    if (Numbers) *Numbers = static_cast<int>(Seen.size());
    return Result;
}

} // namespace

class CodeEditClipboard : public TCodeEditFixture {
protected:
    void SetUp() override {
        TCodeEditFixture::SetUp();
        Other = new TCodeEdit(Form.get());
        Other->SetParent(Form.get());
        Other->SetBounds(0, 300, 600, 200);
        Other->HandleNeeded();
        Clipboard()->Clear();
    }
    TCodeEdit* Other = nullptr;
};

TEST_F(CodeEditClipboard, ABlockPastesInTheModeItWasCopiedIn) {
    const struct {
        const char* Name;
        TCodeSelectionMode CopyMode;
        TBufferCoord SelBegin, SelEnd;
        TCodeSelectionMode PasteInto; // the other control's own mode
        TBufferCoord Caret;
        const char *Copied, *After;
    } Cases[] = {
        {"a column block of three rows", smColumn, {2, 1}, {4, 3}, smNormal, {3, 2}, "bc\r\nfg\r\njk",
         "1234\r\n12bc34\r\n12fg34\r\n  jk"},
        {"a column block into a line-mode control", smColumn, {2, 1}, {4, 3}, smLine, {1, 1}, "bc\r\nfg\r\njk",
         "bc1234\r\nfg1234\r\njk1234"},
        {"whole lines above the caret's line", smLine, {2, 1}, {1, 2}, smNormal, {3, 2}, "abcd\r\nefgh\r\n",
         "1234\r\nabcd\r\nefgh\r\n1234\r\n1234"},
        {"normal text", smNormal, {3, 1}, {2, 2}, smColumn, {2, 1}, "cd\r\ne", "1cd\r\ne234\r\n1234\r\n1234"},
    };
    for (const auto& C : Cases) {
        Edit->SetSelectionMode(C.CopyMode);
        Edit->SetText(u"abcd\r\nefgh\r\nijkl");
        Edit->SetCaretAndSelection(C.SelEnd, C.SelBegin, C.SelEnd);
        Edit->CopyToClipboard();
        EXPECT_EQ(U8(Clipboard()->AsText()), C.Copied) << C.Name;
        Other->SetSelectionMode(C.PasteInto);
        Other->SetText(u"1234\r\n1234\r\n1234");
        Other->SetCaretXY(C.Caret);
        ASSERT_TRUE(Other->CanPaste());
        Other->PasteFromClipboard();
        EXPECT_EQ(U8(Body(Other)), C.After) << C.Name;
        // Copying left the source as it was.
        EXPECT_EQ(U8(Body(Edit)), "abcd\r\nefgh\r\nijkl") << C.Name;
    }
}

TEST_F(CodeEditClipboard, TextFromElsewhereIsPastedInTheControlsOwnMode) {
    for (TCodeSelectionMode Mode : {smNormal, smColumn}) {
        Clipboard()->SetAsText(u"xy\r\nzw");
        Other->SetSelectionMode(Mode);
        Other->SetText(u"1234\r\n1234");
        Other->SetCaretXY({3, 1});
        Other->PasteFromClipboard();
        EXPECT_EQ(U8(Body(Other)), Mode == smNormal ? "12xy\r\nzw34\r\n1234" : "12xy34\r\n12zw34") << Mode;
    }
}

TEST_F(CodeEditClipboard, TheBlockBesideTheTextHoldsTheModeAndThe8BitText) {
    Edit->SetText(u"\u00e4bcd\u00e9");
    Edit->SetCaretAndSelection({6, 1}, {1, 1}, {6, 1});
    Edit->CopyToClipboard();
    EXPECT_EQ(Clipboard()->GetData(CodeEditClipboardFormat()), (TBytes{0, 0xE4, 'b', 'c', 'd', 0xE9, 0}));
    EXPECT_EQ(GetClipboardFormatName(CodeEditClipboardFormat()), u"CodeEdit Control Block Type");
    EXPECT_EQ(Clipboard()->AsText(), u"\u00e4bcd\u00e9");
    // A short row of a column block keeps its padding even where trailing blanks are trimmed.
    SetOption(eoTrimTrailingSpaces, true);
    Edit->SetSelectionMode(smColumn);
    Edit->SetText(u"abcdef\r\nab\r\nabcdef");
    Edit->SetCaretAndSelection({5, 3}, {2, 1}, {5, 3});
    Edit->CopyToClipboard();
    EXPECT_EQ(U8(Clipboard()->AsText()), "bcd\r\nb  \r\nbcd");
    EXPECT_EQ(Clipboard()->GetData(CodeEditClipboardFormat())[0], 2);
    EXPECT_TRUE(Edit->Options().Contains(eoTrimTrailingSpaces));
    // Nothing selected, nothing copied.
    Clipboard()->SetAsText(u"kept");
    Edit->SetCaretXY({1, 1});
    Edit->CopyToClipboard();
    EXPECT_EQ(U8(Clipboard()->AsText()), "kept");
}

TEST_F(CodeEditClipboard, CutAndPasteLeaveOneUndoStepEach) {
    Edit->SetText(u"one two three");
    Edit->SetCaretAndSelection({8, 1}, {5, 1}, {8, 1});
    Edit->UndoList()->Clear();
    Edit->CutToClipboard();
    EXPECT_EQ(U8(Body(Edit)), "one  three");
    EXPECT_EQ(U8(Clipboard()->AsText()), "two");
    int Numbers = 0;
    EXPECT_EQ(Items(Edit->UndoList(), &Numbers), (std::vector<TItem>{{crDelete, {5, 1}, {8, 1}, "two"}}));
    EXPECT_EQ(Numbers, 1);

    // Pasting over a selection: the replaced text, the pasted one, and markers around, one number.
    Edit->UndoList()->Clear();
    Edit->SetCaretAndSelection({11, 1}, {6, 1}, {11, 1});
    Edit->PasteFromClipboard();
    EXPECT_EQ(U8(Body(Edit)), "one  two");
    EXPECT_EQ(Items(Edit->UndoList(), &Numbers),
              (std::vector<TItem>{{crPasteBegin, {6, 1}, {11, 1}, ""},
                                  {crDelete, {6, 1}, {11, 1}, "three"},
                                  {crPaste, {6, 1}, {9, 1}, ""},
                                  {crPasteEnd, {9, 1}, {9, 1}, ""}}));
    EXPECT_EQ(Numbers, 1);
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(9, 1));
}

TEST_F(CodeEditClipboard, TheWindowMessagesAndAReadOnlyControl) {
    Edit->SetText(u"abc");
    Edit->SetCaretAndSelection({3, 1}, {1, 1}, {3, 1});
    EXPECT_EQ(Edit->Perform(WM_COPY, 0, 0), 1);
    EXPECT_EQ(U8(Clipboard()->AsText()), "ab");
    Edit->SetReadOnly(true);
    EXPECT_FALSE(Edit->CanPaste());
    EXPECT_EQ(Edit->Perform(WM_CUT, 0, 0), 1);
    EXPECT_EQ(Edit->Perform(WM_PASTE, 0, 0), 1);
    Edit->Perform(WM_CLEAR, 0, 0);
    EXPECT_EQ(U8(Body(Edit)), "abc");
    Edit->SetReadOnly(false);
    EXPECT_EQ(Edit->Perform(WM_CUT, 0, 0), 1);
    EXPECT_EQ(U8(Body(Edit)), "c");
    Edit->SetCaretXY({2, 1});
    EXPECT_EQ(Edit->Perform(WM_PASTE, 0, 0), 1);
    EXPECT_EQ(U8(Body(Edit)), "cab");
    Edit->SetCaretAndSelection({1, 1}, {1, 1}, {3, 1});
    Edit->Perform(WM_CLEAR, 0, 0);
    EXPECT_EQ(U8(Body(Edit)), "b");
}

// ---- Dragging a selection -------------------------------------------------------------------------

class CodeEditDragDrop : public CodeEditClipboard {
protected:
    // The client point in the middle of the left edge of a cell.
    TPoint At(TCustomCodeEdit* E, int Char, int Line) {
        const TPoint P = E->RowColumnToPixels(E->BufferToDisplayPos({Char, Line}));
        return {P.X, P.Y + E->LineHeight() / 2};
    }
};

TEST_F(CodeEditDragDrop, ASelectionDroppedInItsOwnControl) {
    const struct {
        const char* Name;
        TBufferCoord SelBegin, SelEnd, Drop;
        bool Ctrl;
        const char* After;
        std::vector<int> Selected; // begin char, line, end char, line of the dropped text
    } Cases[] = {
        {"moved behind itself on the line", {1, 1}, {4, 1}, {8, 1}, false, "defgabc\r\nxyz", {5, 1, 8, 1}},
        {"moved before itself", {5, 1}, {8, 1}, {1, 1}, false, "efgabcd\r\nxyz", {1, 1, 4, 1}},
        {"moved to the next line", {2, 1}, {4, 1}, {3, 2}, false, "adefg\r\nxybcz", {3, 2, 5, 2}},
        {"lines moved below", {3, 1}, {2, 2}, {4, 2}, false, "abyzcdefg\r\nx", {5, 1, 2, 2}},
        {"copied behind itself", {1, 1}, {4, 1}, {4, 1}, true, "abcabcdefg\r\nxyz", {4, 1, 7, 1}},
        {"copied to its own start", {2, 1}, {4, 1}, {2, 1}, true, "abcbcdefg\r\nxyz", {2, 1, 4, 1}},
        {"dropped inside itself", {2, 1}, {6, 1}, {4, 1}, false, "abcdefg\r\nxyz", {}},
        {"moved onto its own end", {2, 1}, {4, 1}, {4, 1}, false, "abcdefg\r\nxyz", {}},
    };
    for (const auto& C : Cases) {
        Edit->SetText(u"abcdefg\r\nxyz");
        Edit->SetCaretAndSelection(C.SelEnd, C.SelBegin, C.SelEnd);
        Edit->UndoList()->Clear();
        const TPoint P = At(Edit, C.Drop.Char, C.Drop.Line);
        {
            TestDriverDetail::THeldModifiers Held(C.Ctrl ? TShiftState{ssCtrl} : TShiftState{});
            Edit->DragDrop(Edit, P.X, P.Y);
        }
        EXPECT_EQ(U8(Body(Edit)), C.After) << C.Name;
        int Numbers = 0;
        const std::vector<TItem> Undo = Items(Edit->UndoList(), &Numbers);
        if (C.Selected.empty()) {
            EXPECT_TRUE(Undo.empty()) << C.Name;
            continue;
        }
        const TBufferCoord B = Edit->BlockBegin(), E = Edit->BlockEnd();
        EXPECT_EQ((std::vector<int>{B.Char, B.Line, E.Char, E.Line}), C.Selected) << C.Name;
        EXPECT_EQ(Edit->CaretXY(), B) << C.Name;
        // One step, its last item the dropped text.
        EXPECT_EQ(Numbers, 1) << C.Name;
        ASSERT_FALSE(Undo.empty());
        EXPECT_EQ(Undo.back().Reason, crDragDropInsert) << C.Name;
        EXPECT_EQ(Undo.back().Start, B) << C.Name;
    }
}

TEST_F(CodeEditDragDrop, FromAnotherControlCopiedOrWithShiftMoved) {
    for (bool Shift : {false, true}) {
        Other->SetText(u"source text");
        Other->SetCaretAndSelection({8, 1}, {1, 1}, {8, 1});
        Edit->SetText(u"target");
        const TPoint P = At(Edit, 7, 1);
        TestDriverDetail::THeldModifiers Held(Shift ? TShiftState{ssShift} : TShiftState{});
        // Over the target the drag is taken and the caret shows the drop point.
        Edit->SetCaretXY({1, 1});
        TDragControlObject Dragged(Other);
        TDragRec Rec{Edit->ClientToScreen(At(Edit, 4, 1)), &Dragged, Edit};
        EXPECT_EQ(Edit->Perform(CM_DRAG, dmDragMove, reinterpret_cast<LPARAM>(&Rec)), 1);
        EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(4, 1));
        Edit->DragDrop(Other, P.X, P.Y);
        EXPECT_EQ(U8(Body(Edit)), "targetsource ") << Shift;
        EXPECT_EQ(U8(Body(Other)), Shift ? "text" : "source text") << Shift;
        EXPECT_EQ(U8(Edit->SelText()), "source ") << Shift;
        EXPECT_EQ(Items(Edit->UndoList()).back().Reason, crInsert) << Shift;
    }
    // A read-only target, or a source without a selection, leaves the drop to the owner.
    int OwnerHeard = 0;
    Edit->OnDragDrop = [&](TObject*, TObject*, int, int) { ++OwnerHeard; };
    Edit->SetText(u"target");
    Edit->SetReadOnly(true);
    Other->SetCaretAndSelection({3, 1}, {1, 1}, {3, 1});
    TDragControlObject Dragged(Other);
    TDragRec Rec{Edit->ClientToScreen({0, 0}), &Dragged, Edit};
    EXPECT_EQ(Edit->Perform(CM_DRAG, dmDragMove, reinterpret_cast<LPARAM>(&Rec)), 0);
    Edit->DragDrop(Other, 0, 0);
    Edit->SetReadOnly(false);
    Other->SetCaretXY({1, 1});
    Edit->DragDrop(Other, 0, 0);
    EXPECT_EQ(U8(Body(Edit)), "target");
    EXPECT_EQ(OwnerHeard, 2);
}

TEST_F(CodeEditClipboard, OneUndoTakesBackEachPasteCutAndDrop) {
    const struct {
        const char* Name;
        TCodeSelectionMode CopyMode;
        TBufferCoord CopyBegin, CopyEnd;             // what goes on the clipboard first
        TBufferCoord SelBegin, SelEnd;               // then selected (the caret when equal)
        std::function<void(TCustomCodeEdit*)> Action;
        const char* After;
    } Cases[] = {
        {"a paste over a selection", smNormal, {1, 1}, {3, 1}, {2, 2}, {4, 2},
         [](TCustomCodeEdit* E) { E->PasteFromClipboard(); }, "abcd\r\neabh\r\nijkl"},
        {"a column paste", smColumn, {1, 1}, {3, 2}, {4, 1}, {4, 1},
         [](TCustomCodeEdit* E) { E->PasteFromClipboard(); }, "abcabd\r\nefgefh\r\nijkl"},
        {"a column paste that adds a line", smColumn, {1, 2}, {3, 3}, {2, 3}, {2, 3},
         [](TCustomCodeEdit* E) { E->PasteFromClipboard(); }, "abcd\r\nefgh\r\niefjkl\r\n ij"},
        {"a line paste", smLine, {2, 1}, {2, 2}, {3, 3}, {3, 3},
         [](TCustomCodeEdit* E) { E->PasteFromClipboard(); }, "abcd\r\nefgh\r\nabcd\r\nefgh\r\nijkl"},
        {"a cut", smNormal, {1, 1}, {1, 1}, {3, 1}, {2, 3},
         [](TCustomCodeEdit* E) { E->CutToClipboard(); }, "abjkl"},
        {"a move behind itself", smNormal, {1, 1}, {1, 1}, {1, 1}, {3, 1},
         [](TCustomCodeEdit* E) {
             const TPoint P = E->RowColumnToPixels(E->BufferToDisplayPos({3, 2}));
             E->DragDrop(E, P.X, P.Y + E->LineHeight() / 2);
         },
         "cd\r\nefabgh\r\nijkl"},
    };
    for (const auto& C : Cases) {
        Edit->SetSelectionMode(C.CopyMode);
        Edit->SetText(u"abcd\r\nefgh\r\nijkl");
        if (C.CopyBegin != C.CopyEnd) {
            Edit->SetCaretAndSelection(C.CopyEnd, C.CopyBegin, C.CopyEnd);
            Edit->CopyToClipboard();
        }
        Edit->SetSelectionMode(smNormal);
        Edit->ClearUndo();
        if (C.SelBegin != C.SelEnd)
            Edit->SetCaretAndSelection(C.SelEnd, C.SelBegin, C.SelEnd);
        else
            Edit->SetCaretXY(C.SelBegin);
        C.Action(Edit);
        ASSERT_EQ(U8(Body(Edit)), C.After) << C.Name;
        Edit->Undo();
        EXPECT_EQ(U8(Body(Edit)), "abcd\r\nefgh\r\nijkl") << C.Name;
        EXPECT_FALSE(Edit->CanUndo()) << C.Name;
        Edit->Redo();
        EXPECT_EQ(U8(Body(Edit)), C.After) << C.Name;
    }
}

TEST_F(CodeEditClipboard, FilesDroppedFromAnotherProgramGoToTheOwner) {
    TTempFolder Folder;
    WriteBytes(Folder.Sys("blink.ino"), "void setup() {}");
    const std::vector<String> Files{Folder / "blink.ino"};
    std::vector<String> Heard;
    TPoint At;
    Edit->OnDropFiles = [&](TObject* Sender, int X, int Y, TStrings* AFiles) {
        EXPECT_EQ(Sender, Edit);
        At = {X, Y};
        for (int I = 0; I < AFiles->Count(); ++I)
            Heard.push_back(AFiles->Strings(I));
    };
    Form->Show();
    // Only with eoDropFiles does the window take files.
    EXPECT_FALSE(SynthDropFiles(Edit, {40, 20}, Files));
    SetOption(eoDropFiles, true);
    EXPECT_TRUE(SynthDropFiles(Edit, {40, 20}, Files));
    ProcessMessages();
    EXPECT_EQ(Heard, Files);
    EXPECT_EQ(At, (TPoint{40, 20}));
    // The text is left alone.
    EXPECT_EQ(U8(Body(Edit)), "");
    SetOption(eoDropFiles, false);
    EXPECT_FALSE(SynthDropFiles(Edit, {40, 20}, Files));
}
