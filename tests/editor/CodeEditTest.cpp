// The editor control: defaults, property setters, character indexes, display positions and the
// owner's notifications.

#include "CodeEditSupport.h"

#include "platform/base/Filer.h"
#include "platform/base/Streams.h"

#include <vector>

using CodeEdit = TCodeEditFixture;

TEST_F(CodeEdit, ANewControlHasItsDefaults) {
    EXPECT_EQ(Edit->Options().ToInt(), 0x026C0192u);
    EXPECT_EQ(Edit->TabWidth(), 8);
    EXPECT_EQ(Edit->RightEdge(), 80);
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(1, 1));
    EXPECT_TRUE(Edit->InsertMode());
    EXPECT_EQ(Edit->InsertCaret(), ctVerticalLine);
    EXPECT_EQ(Edit->OverwriteCaret(), ctBlock);
    EXPECT_EQ(Edit->MaxScrollWidth(), 1024);
    EXPECT_EQ(Edit->ActiveLineColor(), clNone);
    EXPECT_EQ(Edit->Cursor(), crIBeam);
    EXPECT_GT(Edit->CharWidth(), 0);
    EXPECT_GT(Edit->LineHeight(), 0);
}

TEST_F(CodeEdit, TabWidthIsKeptWithinOneTo256) {
    const struct { int Given, Kept; } Cases[] = {{0, 1}, {-3, 1}, {4, 4}, {256, 256}, {1000, 256}};
    for (const auto& C : Cases) {
        Edit->SetTabWidth(C.Given);
        EXPECT_EQ(Edit->TabWidth(), C.Kept) << C.Given;
    }
}

TEST_F(CodeEdit, MaxScrollWidthAndMaxUndoAreClamped) {
    Edit->SetMaxScrollWidth(0);
    EXPECT_EQ(Edit->MaxScrollWidth(), 1);
    Edit->SetMaxUndo(-5);
    EXPECT_EQ(Edit->MaxUndo(), 1024);
    Edit->SetMaxUndo(7);
    EXPECT_EQ(Edit->MaxUndo(), 7);
    EXPECT_EQ(Edit->RedoList()->MaxUndoActions(), 7);
}

TEST_F(CodeEdit, CharacterIndexesCountTwoPerLineBreak) {
    Edit->SetText(u"ab\ncd");
    const struct {
        int Index;
        TBufferCoord Pos;
    } Cases[] = {{0, {1, 1}}, {2, {3, 1}}, {3, {4, 1}}, {4, {1, 2}}, {6, {3, 2}}, {7, {4, 2}}, {9, {1, 3}}};
    for (const auto& C : Cases)
        EXPECT_EQ(Edit->CharIndexToRowCol(C.Index), C.Pos) << C.Index;
    EXPECT_EQ(Edit->RowColToCharIndex({1, 2}), 4);
    EXPECT_EQ(Edit->RowColToCharIndex({3, 2}), 6);
    Edit->SetCaretXY({1, 2});
    EXPECT_EQ(Edit->SelStart(), 4);
}

TEST_F(CodeEdit, SelLengthSelectsBackwardsAndForwardsWithinTheText) {
    // Index 5 is the start of the second line.
    const struct {
        int Length;
        int Start, Selected;
        TBufferCoord Caret;
    } Cases[] = {
        {-2, 3, 2, {4, 1}},
        // Reaching before the start selects from the start, not to the text's end.
        {-10, 0, 5, {1, 1}},
        {3, 5, 3, {4, 2}},
        // Reaching past the end selects up to the end.
        {100, 5, 5, {6, 2}},
    };
    for (const auto& C : Cases) {
        Edit->SetText(u"abc\r\ndefgh");
        Edit->SetSelStart(5);
        Edit->SetSelLength(C.Length);
        EXPECT_EQ(Edit->SelStart(), C.Start) << C.Length;
        EXPECT_EQ(Edit->SelLength(), C.Selected) << C.Length;
        EXPECT_EQ(Edit->CaretXY(), C.Caret) << C.Length;
    }
}

TEST_F(CodeEdit, SelEndMovesTheMovingEnd) {
    Edit->SetText(u"abc\r\ndefgh");
    Edit->SetSelStart(1);
    Edit->SetSelEnd(7);
    EXPECT_EQ(Edit->BlockBegin(), MakeBufferCoord(2, 1));
    EXPECT_EQ(Edit->BlockEnd(), MakeBufferCoord(3, 2));
    EXPECT_EQ(U8(Edit->SelText()), "bc\r\nde");
}

TEST_F(CodeEdit, DisplayPositionsExpandTabsAndWideGlyphs) {
    Edit->SetTabWidth(4);
    Edit->SetText(u"\tx\r\nab\x4E2D"
                  u"c");
    EXPECT_EQ(Edit->BufferToDisplayPos({2, 1}), MakeDisplayCoord(5, 1));
    EXPECT_EQ(Edit->BufferToDisplayPos({3, 1}), MakeDisplayCoord(6, 1));
    for (int Col = 1; Col <= 4; ++Col)
        EXPECT_EQ(Edit->DisplayToBufferPos({Col, 1}).Char, 1) << Col;
    EXPECT_EQ(Edit->DisplayToBufferPos({5, 1}).Char, 2);
    // Past the line's end every position counts one column.
    EXPECT_EQ(Edit->BufferToDisplayPos({5, 1}), MakeDisplayCoord(8, 1));
    // A line beyond the text is taken over unchanged.
    EXPECT_EQ(Edit->BufferToDisplayPos({7, 9}), MakeDisplayCoord(7, 9));
    const int Wide = Edit->CharColumns(0x4E2D);
    ASSERT_GE(Wide, 2) << "a CJK glyph is wider than one cell";
    EXPECT_EQ(Edit->BufferToDisplayPos({4, 2}).Column, 3 + Wide);
    // Both columns of the wide glyph map back to it.
    EXPECT_EQ(Edit->DisplayToBufferPos({3, 2}).Char, 3);
    EXPECT_EQ(Edit->DisplayToBufferPos({4, 2}).Char, 3);
    EXPECT_EQ(U8(Edit->ExpandAtWideGlyphs(u"a\x4E2D")),
              U8(String(u"a") + String(size_t(Wide - 1), CodeEditWideFiller) + u"\x4E2D"));
}

TEST_F(CodeEdit, ClearingModifiedAfterTypingBreaksTheUndoGroup) {
    Edit->UndoList()->AddChange(crInsert, {1, 1}, {2, 1}, u"", smNormal);
    EXPECT_TRUE(Edit->Modified());
    Edit->SetModified(false);
    EXPECT_FALSE(Edit->Modified());
    EXPECT_EQ(Edit->UndoList()->LastChangeReason(), crGroupBreak);
    EXPECT_TRUE(Edit->UndoList()->InitialState());
}

TEST_F(CodeEdit, AnUndoItemClearsTheRedoListAndFiresOnChange) {
    int Changes = 0;
    Edit->OnChange = [&](TObject*) { ++Changes; };
    Edit->RedoList()->AddChange(crInsert, {1, 1}, {2, 1}, u"", smNormal);
    EXPECT_EQ(Changes, 1);
    Edit->UndoList()->BeginBlock();
    Edit->UndoList()->AddChange(crInsert, {1, 1}, {2, 1}, u"", smNormal);
    EXPECT_EQ(Changes, 1) << "an open block holds the change back";
    Edit->UndoList()->EndBlock();
    EXPECT_FALSE(Edit->RedoList()->CanUndo());
}

TEST_F(CodeEdit, StatusChangesOfOneBatchArriveInOneCall) {
    Edit->SetText(u"abc\r\ndef\r\nghi");
    std::vector<TCodeStatusChanges> Calls;
    Edit->OnStatusChange = [&](TObject*, TCodeStatusChanges C) { Calls.push_back(C); };
    Edit->BeginUpdate();
    Edit->SetCaretXY({2, 1});
    Edit->SetCaretXY({3, 2});
    Edit->SetCaretXY({2, 3});
    EXPECT_TRUE(Calls.empty());
    Edit->EndUpdate();
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_TRUE(Calls[0].Contains(scCaretX));
    EXPECT_TRUE(Calls[0].Contains(scCaretY));
    EXPECT_TRUE(Calls[0].Contains(scSelection));
    EXPECT_THROW(Edit->EndUpdate(), EAssertionFailed);
}

TEST_F(CodeEdit, UnheardStatusChangesAccumulateUntilSomeoneListens) {
    Edit->SetReadOnly(true);
    Edit->SetInsertMode(false);
    TCodeStatusChanges Heard;
    Edit->OnStatusChange = [&](TObject*, TCodeStatusChanges C) { Heard = C; };
    Edit->SetModified(true);
    EXPECT_TRUE(Heard.Contains(scReadOnly));
    EXPECT_TRUE(Heard.Contains(scInsertMode));
    EXPECT_TRUE(Heard.Contains(scModified));
}

TEST_F(CodeEdit, SelectionModeSettersTellTheOwner) {
    TCodeStatusChanges Heard;
    Edit->OnStatusChange = [&](TObject*, TCodeStatusChanges C) { Heard += C; };
    Edit->SetSelectionMode(smColumn);
    EXPECT_EQ(Edit->ActiveSelectionMode(), smColumn);
    EXPECT_TRUE(Heard.Contains(scSelection));
    Edit->SetActiveSelectionMode(smLine);
    EXPECT_EQ(Edit->SelectionMode(), smColumn);
    EXPECT_EQ(Edit->ActiveSelectionMode(), smLine);
}

TEST_F(CodeEdit, TheDialogCodeFollowsWantTabsAndWantReturns) {
    const struct {
        bool Tabs, Returns, WantTab, WantAll;
    } Cases[] = {{false, true, false, true}, {true, false, true, false}, {false, false, false, false}};
    for (const auto& C : Cases) {
        Edit->SetWantTabs(C.Tabs);
        Edit->SetWantReturns(C.Returns);
        const auto Code = SendMessage(Edit->Handle(), WM_GETDLGCODE, 0, 0);
        EXPECT_EQ((Code & DLGC_WANTTAB) != 0, C.WantTab);
        EXPECT_EQ((Code & DLGC_WANTALLKEYS) != 0, C.WantAll);
        EXPECT_NE(Code & DLGC_WANTARROWS, 0);
        EXPECT_NE(Code & DLGC_WANTCHARS, 0);
    }
}

TEST_F(CodeEdit, ACaretMoveIsBracketedByTransientPainting) {
    std::vector<TTransientType> Seen;
    Edit->OnPaintTransient = [&](TObject*, TCanvas*, TTransientType T) { Seen.push_back(T); };
    Edit->SetText(u"abc\r\ndef");
    Seen.clear();
    Edit->SetCaretXY({2, 2});
    EXPECT_EQ(Seen, (std::vector<TTransientType>{ttBefore, ttAfter}));
}

namespace {

// The control's stream as bytes, read back into a fresh control on the same form.
std::string StreamOf(TCustomCodeEdit* Edit, const String& File) {
    {
        TFileStream Out(File, fmCreate);
        TWriter Writer(&Out);
        Writer.WriteProperties(Edit);
    }
    TFileStream In(File, fmOpenRead);
    std::string Bytes(size_t(In.Size()), '\0');
    In.ReadBuffer(Bytes.data(), In.Size());
    return Bytes;
}

std::vector<std::string> Bindings(const TCodeEditKeyStrokes* Strokes) {
    std::vector<std::string> R;
    for (int I = 0; I < Strokes->Count(); ++I) {
        const TCodeEditKeyStroke* K = Strokes->Items(I);
        R.push_back(U8(CommandToText(K->Command())) + " " + std::to_string(K->ShortCut()) + " " +
                    std::to_string(K->ShortCut2()));
    }
    return R;
}

} // namespace

TEST_F(CodeEdit, OnlyChangedBindingsAreStreamedAndComeBack) {
    TTempFolder Folder;
    // Unchanged bindings are not written at all.
    EXPECT_EQ(StreamOf(Edit, Folder / "plain.bin").find("Keystrokes"), std::string::npos);

    TCodeEditKeyStrokes* Keys = Edit->Keystrokes();
    Keys->Delete(Keys->FindCommand(ecDeleteLine));
    Edit->AddKey(ecDeleteLine, 'L', {ssCtrl, ssShift});
    Edit->AddKey(ecGotoMarker5, 'Q', {ssCtrl}, '5', {});
    const std::string Bytes = StreamOf(Edit, Folder / "changed.bin");
    const size_t Removed = Bytes.find("RemovedKeystrokes");
    const size_t Added = Bytes.find("AddedKeystrokes");
    ASSERT_NE(Removed, std::string::npos);
    ASSERT_NE(Added, std::string::npos);
    EXPECT_LT(Removed, Added) << "the removed bindings come first";
    EXPECT_NE(Bytes.find("ecDeleteLine"), std::string::npos) << "commands are written by name";

    auto* Other = new TCodeEdit(Form.get());
    Other->SetParent(Form.get());
    {
        TFileStream In(Folder / "changed.bin", fmOpenRead);
        TReader Reader(&In);
        Reader.ReadProperties(Other);
    }
    EXPECT_EQ(Bindings(Other->Keystrokes()), Bindings(Keys));
    // Read into a control whose bindings differ, the stream removes what matches and adds its own.
    auto* Third = new TCodeEdit(Form.get());
    Third->SetParent(Form.get());
    Third->Keystrokes()->Clear();
    Third->AddKey(ecDeleteLine, 'Y', {ssCtrl});
    Third->AddKey(ecCopy, 'K', {ssCtrl});
    {
        TFileStream In(Folder / "changed.bin", fmOpenRead);
        TReader Reader(&In);
        Reader.ReadProperties(Third);
    }
    const std::vector<std::string> Want{
        "ecCopy " + std::to_string(ShortCut('K', {ssCtrl})) + " 0",
        "ecDeleteLine " + std::to_string(ShortCut('L', {ssCtrl, ssShift})) + " 0",
        "ecGotoMarker5 " + std::to_string(ShortCut('Q', {ssCtrl})) + " " + std::to_string(ShortCut('5', {})),
    };
    EXPECT_EQ(Bindings(Third->Keystrokes()), Want);
}
