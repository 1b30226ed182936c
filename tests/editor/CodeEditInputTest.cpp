// The editor control's keyboard and mouse input: keys and characters arrive as the window's
// messages (and, end to end, as real toolkit events), become commands, place the caret and
// select; the mouse scrolls on a timer while held below the text.

#include "CodeEditEditing.h"

#include "platform/base/ScopeGuard.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/SynthInput.h"

#include <vector>

class CodeEditInput : public TCodeEditFixture {
protected:
    void SetUp() override {
        TCodeEditFixture::SetUp();
        Form->Show();
        SizeTo(40, 10);
        Edit->SetFocus();
        ProcessMessages();
    }
    // The client point at the left edge of character column Column of row Row on screen.
    TPoint At(int Column, int Row) const {
        return {Edit->GutterWidth() + 2 + (Column - 1) * Edit->CharWidth() + 1,
                (Row - 1) * Edit->LineHeight() + Edit->LineHeight() / 2};
    }
};

TEST_F(CodeEditInput, KeysBecomeCommandsAndCharactersAreTyped) {
    PutMarked(Edit, u"|");
    KeyMessages(Edit, 'H', {ssShift});
    KeyMessages(Edit, 'I');
    KeyMessages(Edit, VK_LEFT);
    KeyMessages(Edit, VK_BACK);
    EXPECT_EQ(ShowMarked(Edit), "|i");
    // A key bound to a command never also types its character.
    Edit->AddKey(ecLineBreak, 'K', {});
    KeyMessages(Edit, 'K');
    EXPECT_EQ(ShowMarked(Edit), "\n|i");
    KeyMessages(Edit, 'Z', {ssCtrl});
    EXPECT_EQ(ShowMarked(Edit), "|i");
    // The owner's key press handler may change or drop a character.
    Edit->OnKeyPress = [](TObject*, Char& Key) {
        if (Key == u'x') Key = 0;
        if (Key == u'y') Key = u'Y';
    };
    CharMessages(Edit, u"axy");
    EXPECT_EQ(ShowMarked(Edit), "aY|i");
}

TEST_F(CodeEditInput, HandlerChainsSeeKeysBeforeTheCommands) {
    struct TChain {
        std::vector<Word> Keys;
        void KeyDown(TObject*, Word& Key, TShiftState) {
            Keys.push_back(Key);
            if (Key == VK_RETURN) Key = 0;
        }
        void KeyPress(TObject*, Char& Key) {
            if (Key == u'q') Key = u'Q';
        }
    } Chain;
    Edit->AddKeyDownHandler(TKeyEventHandler(&Chain, &TChain::KeyDown));
    Edit->AddKeyPressHandler(TKeyPressWEventHandler(&Chain, &TChain::KeyPress));
    PutMarked(Edit, u"a|b");
    KeyMessages(Edit, VK_RETURN);
    KeyMessages(Edit, 'Q');
    EXPECT_EQ(ShowMarked(Edit), "aQ|b");
    EXPECT_EQ(Chain.Keys, (std::vector<Word>{VK_RETURN, 'Q'}));
    Edit->RemoveKeyDownHandler(TKeyEventHandler(&Chain, &TChain::KeyDown));
    KeyMessages(Edit, VK_RETURN);
    EXPECT_EQ(ShowMarked(Edit), "aQ\n|b");
}

TEST_F(CodeEditInput, AltWithKeypadDigitsComposesACharacter) {
    const struct {
        std::vector<Word> Digits;
        std::string Typed;
    } Cases[] = {
        {{VK_NUMPAD1, VK_NUMPAD2, VK_NUMPAD5, VK_NUMPAD9, VK_NUMPAD3}, "?x"},
        {{VK_NUMPAD6, VK_NUMPAD5}, "x"},
        {{VK_NUMPAD7, VK_NUMPAD0, VK_NUMPAD0, VK_NUMPAD0, VK_NUMPAD0}, "x"},
    };
    for (const auto& C : Cases) {
        PutMarked(Edit, u"|");
        for (Word Key : C.Digits)
            KeyMessages(Edit, Key, {ssAlt});
        KeyMessages(Edit, VK_MENU, {ssAlt});
        // The next key is typed as usual.
        CharMessages(Edit, u"x");
        EXPECT_EQ(TextOf(Edit), C.Typed);
        if (C.Typed.size() == 2) {
            EXPECT_EQ(Edit->Lines()->Strings(0)[0], Char(0x3131));
        }
    }
}

TEST_F(CodeEditInput, ClicksPlaceTheCaretAndShiftExtends) {
    PutMarked(Edit, u"|alpha beta\ngamma");
    ClickMessages(Edit, At(3, 2));
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(3, 2));
    ClickMessages(Edit, At(7, 1), mbLeft, {ssShift});
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(7, 1));
    EXPECT_EQ(Narrow(Edit->SelText()), "beta\r\nga");
    // A click inside the selection that moves nowhere collapses it at the click.
    ClickMessages(Edit, At(2, 2));
    EXPECT_FALSE(Edit->SelAvail());
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(2, 2));
}

TEST_F(CodeEditInput, AltPressStartsAColumnSelection) {
    Edit->SetOptions(Edit->Options() + TCodeEditorOptions{eoAltSetsColumnMode});
    PutMarked(Edit, u"|abcd\nefgh");
    MouseDownMessage(Edit, At(2, 1), mbLeft, {ssAlt});
    MouseMessage(Edit, WM_MOUSEMOVE, At(4, 2), {});
    MouseUpMessage(Edit, At(4, 2));
    EXPECT_EQ(Edit->SelectionMode(), smColumn);
    EXPECT_EQ(Narrow(Edit->SelText()), "bc\r\nfg");
    ClickMessages(Edit, At(1, 1));
    EXPECT_EQ(Edit->SelectionMode(), smNormal);
    // In line mode a press keeps line mode.
    Edit->SetSelectionMode(smLine);
    MouseDownMessage(Edit, At(1, 1), mbLeft, {ssAlt});
    MouseUpMessage(Edit, At(1, 1));
    EXPECT_EQ(Edit->SelectionMode(), smLine);
}

TEST_F(CodeEditInput, GutterClicksReportLineAndMark) {
    NumberedLines(20);
    Edit->SetBookMark(2, 1, 3);
    std::vector<std::pair<TMouseButton, int>> Clicks;
    TCodeEditMark* Clicked = nullptr;
    Edit->OnGutterClick = [&](TObject*, TMouseButton Button, int, int, int Line, TCodeEditMark* Mark) {
        Clicks.emplace_back(Button, Line);
        Clicked = Mark;
    };
    const TPoint InGutter{4, 2 * Edit->LineHeight() + 2};
    MouseDownMessage(Edit, InGutter, mbRight);
    EXPECT_EQ(Clicks.size(), 1u);
    MouseUpMessage(Edit, InGutter, mbRight);
    EXPECT_EQ(Clicks.size(), 1u);
    MouseDownMessage(Edit, InGutter, mbLeft);
    EXPECT_EQ(Clicks.size(), 1u);
    MouseUpMessage(Edit, InGutter, mbLeft);
    ASSERT_EQ(Clicks.size(), 2u);
    EXPECT_EQ(Clicks[1], std::make_pair(mbLeft, 3));
    EXPECT_EQ(Clicked, Edit->Marks()->First());
}

TEST_F(CodeEditInput, RightClickKeepsOrMovesTheSelection) {
    Edit->SetOptions(Edit->Options() + TCodeEditorOptions{eoRightMouseMovesCursor});
    PutMarked(Edit, u"alpha beta gamma");
    Edit->SetCaretAndSelection({6, 1}, {1, 1}, {6, 1});
    ClickMessages(Edit, At(3, 1), mbRight);
    EXPECT_EQ(Narrow(Edit->SelText()), "alpha");
    ClickMessages(Edit, At(9, 1), mbRight);
    EXPECT_FALSE(Edit->SelAvail());
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(9, 1));
}

TEST_F(CodeEditInput, DoubleClickSelectsTheWordAndTheNextMoveKeepsIt) {
    PutMarked(Edit, u"alpha beta gamma");
    SetCursorPos(Edit->ClientToScreen(At(8, 1)).X, Edit->ClientToScreen(At(8, 1)).Y);
    DoubleClickMessages(Edit, At(8, 1));
    EXPECT_EQ(Narrow(Edit->SelText()), "beta");
    MouseMessage(Edit, WM_MOUSEMOVE, At(14, 1));
    EXPECT_EQ(Narrow(Edit->SelText()), "beta");
}

TEST_F(CodeEditInput, APressInTheSelectionWaitsForTheDragDistance) {
    PutMarked(Edit, u"alpha beta gamma");
    Edit->SetCaretAndSelection({11, 1}, {7, 1}, {11, 1});
    const TPoint P = At(8, 1);
    MouseDownMessage(Edit, P);
    EXPECT_TRUE(Edit->StateFlags().Contains(sfWaitForDragging));
    MouseMessage(Edit, WM_MOUSEMOVE, {P.X + 1, P.Y});
    EXPECT_TRUE(Edit->StateFlags().Contains(sfWaitForDragging));
    MouseMessage(Edit, WM_MOUSEMOVE, {P.X + GetSystemMetrics(SM_CXDRAG), P.Y});
    EXPECT_FALSE(Edit->StateFlags().Contains(sfWaitForDragging));
    if (Edit->Dragging()) Edit->EndDrag(false);
    MouseUpMessage(Edit, {P.X + GetSystemMetrics(SM_CXDRAG), P.Y});
    // No drag started from a plain click: the selection stays as it was.
    EXPECT_EQ(Narrow(Edit->SelText()), "beta");
}

// ---- End to end, through the toolkit --------------------------------------------------------

TEST_F(CodeEditInput, RealKeysTypeAndEdit) {
    PutMarked(Edit, u"|");
    for (Word Key : {Word('C'), Word('A'), Word('T')})
        SynthKey(Edit, Key);
    SynthKey(Edit, VK_LEFT, {ssShift});
    SynthKey(Edit, 'R');
    SynthKey(Edit, VK_RETURN);
    SynthKey(Edit, 'Z', {ssCtrl});
    ProcessMessages();
    EXPECT_EQ(ShowMarked(Edit), "car|");
}

TEST_F(CodeEditInput, RealMouseClicksShiftExtendsAndDoubleClicks) {
    PutMarked(Edit, u"alpha beta\ngamma delta");
    SynthClick(Edit, At(3, 2));
    ProcessMessages();
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(3, 2));
    SynthClick(Edit, At(7, 1), mbLeft, {ssShift});
    ProcessMessages();
    EXPECT_EQ(Narrow(Edit->SelText()), "beta\r\nga");
    SynthDoubleClick(Edit, At(9, 2));
    ProcessMessages();
    EXPECT_EQ(Narrow(Edit->SelText()), "delta");
}

TEST_F(CodeEditInput, RealDragPastTheThresholdLeavesTheClick) {
    PutMarked(Edit, u"alpha beta gamma");
    Edit->SetCaretAndSelection({11, 1}, {7, 1}, {11, 1});
    const TPoint P = At(8, 1);
    SynthMouse(Edit, smDown, P);
    SynthMouse(Edit, smMove, {P.X + 1, P.Y});
    ProcessMessages();
    EXPECT_TRUE(Edit->StateFlags().Contains(sfWaitForDragging));
    SynthMouse(Edit, smMove, {P.X + 3 * GetSystemMetrics(SM_CXDRAG), P.Y});
    ProcessMessages();
    EXPECT_FALSE(Edit->StateFlags().Contains(sfWaitForDragging));
    if (Edit->Dragging()) Edit->EndDrag(false);
    SynthMouse(Edit, smUp, {P.X + 3 * GetSystemMetrics(SM_CXDRAG), P.Y});
    ProcessMessages();
}

TEST_F(CodeEditInput, HoldingTheButtonBelowTheTextScrollsOnATimer) {
    NumberedLines(200);
    SynthMouse(Edit, smDown, At(1, 5));
    SynthMouse(Edit, smMove, {At(1, 5).X, 10 * Edit->LineHeight() + 2});
    ProcessMessages();
    EXPECT_TRUE(Edit->ScrollTimer()->Enabled());
    ASSERT_TRUE(WaitUntil([this] { return Edit->TopLine() >= 4; }, 3000));
    EXPECT_GE(Edit->CaretY(), Edit->TopLine() + 9);
    EXPECT_EQ(Edit->BlockBegin(), MakeBufferCoord(1, 5));
    // Back over the text the timer stops.
    SynthMouse(Edit, smMove, At(1, 5));
    ProcessMessages();
    EXPECT_FALSE(Edit->ScrollTimer()->Enabled());
    SynthMouse(Edit, smUp, At(1, 5));
    ProcessMessages();
}

TEST_F(CodeEditInput, DraggingTheSelectionToTheBottomEdgeScrollsTowardsTheDropPoint) {
    NumberedLines(200);
    SetOption(eoDragDropEditing, true);
    Edit->SetCaretAndSelection({2, 2}, {1, 2}, {2, 2});
    ASSERT_EQ(Narrow(Edit->SelText()), "2");
    const TPoint P = At(1, 2);
    SynthMouse(Edit, smDown, P);
    SynthMouse(Edit, smMove, {P.X + 3 * GetSystemMetrics(SM_CXDRAG), P.Y + 3 * GetSystemMetrics(SM_CYDRAG)});
    SynthMouse(Edit, smMove, {P.X + 4 * GetSystemMetrics(SM_CXDRAG), P.Y + 4 * GetSystemMetrics(SM_CYDRAG)});
    ProcessMessages();
    ASSERT_TRUE(Edit->Dragging());
    // Inside the control, on its last pixel rows: below the text area, which keeps 2 pixels
    // off each edge of a borderless control.
    const TPoint Edge{P.X, Edit->ClientHeight() - 1};
    SynthMouse(Edit, smMove, Edge);
    ProcessMessages();
    EXPECT_TRUE(Edit->ScrollTimer()->Enabled());
    ASSERT_TRUE(WaitUntil([this] { return Edit->TopLine() >= 4; }, 3000));
    // The caret shows the drop point on the last row; the dragged selection stays.
    EXPECT_EQ(Edit->CaretY(), Edit->TopLine() + 9);
    EXPECT_EQ(Narrow(Edit->SelText()), "2");
    // Back in the middle of the text the scrolling stops; the drop ends the drag.
    SynthMouse(Edit, smMove, At(1, 5));
    ProcessMessages();
    EXPECT_FALSE(Edit->ScrollTimer()->Enabled());
    SynthMouse(Edit, smMove, Edge);
    ProcessMessages();
    EXPECT_TRUE(Edit->ScrollTimer()->Enabled());
    Edit->EndDrag(false);
    EXPECT_FALSE(Edit->ScrollTimer()->Enabled()) << "a cancelled drag stops the scrolling";
    SynthMouse(Edit, smUp, Edge);
    ProcessMessages();
    EXPECT_EQ(Narrow(Edit->SelText()), "2") << "nothing was dropped";
}

TEST_F(CodeEditInput, AComposedStringIsTypedOnceAsOneStep) {
    PutMarked(Edit, u"ab|c");
    std::vector<TCodeEditorCommand> Heard;
    Edit->OnCommandProcessed = [&](TObject*, TCodeEditorCommand& Command, Char&, void*) { Heard.push_back(Command); };
    // The fixture's editor outlives the list: the focus it loses at the end must not reach it.
    TScopeExit Unhook([&] { Edit->OnCommandProcessed = nullptr; });
    // While the user composes, nothing is typed.
    SynthInputMethod(Edit, u"ni");
    SynthInputMethod(Edit, u"nih");
    EXPECT_EQ(ShowMarked(Edit), "ab|c");
    SynthInputMethod(Edit, u"", u"\u4F60\u597D");
    ProcessMessages();
    EXPECT_EQ(U8(Edit->Lines()->Strings(0)), "ab\u4F60\u597Dc");
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(5, 1));
    EXPECT_EQ(Heard, (std::vector<TCodeEditorCommand>{ecImeStr}));
    Edit->Undo();
    EXPECT_EQ(ShowMarked(Edit), "ab|c");
    // Over a selection the string replaces it, as typing does.
    Edit->SetCaretAndSelection({3, 1}, {1, 1}, {3, 1});
    SynthInputMethod(Edit, u"", u"\u00E9");
    EXPECT_EQ(U8(Edit->Lines()->Strings(0)), "\u00E9c");
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(2, 1));
}

TEST_F(CodeEditInput, TheInputMethodComposesWhereTheCaretIs) {
    PutMarked(Edit, u"alpha\n\tbeta|");
    // Where the caret is drawn: its cell shifted by the shape's offset.
    const auto CaretCell = [&] {
        const TPoint P = Edit->RowColumnToPixels(Edit->DisplayXY());
        return Bounds(P.X + Edit->CaretOffset().X, P.Y + Edit->CaretOffset().Y, 1, Edit->LineHeight());
    };
    const TRect AtEnd = QueryInputMethodCursor(Edit);
    EXPECT_EQ(AtEnd.TopLeft(), CaretCell().TopLeft());
    EXPECT_EQ(AtEnd.Height(), Edit->LineHeight() - 2) << "as high as the vertical-line caret";
    // Keys and clicks move the caret; the composition follows it.
    KeyMessages(Edit, VK_UP);
    EXPECT_EQ(QueryInputMethodCursor(Edit).TopLeft(), CaretCell().TopLeft());
    EXPECT_LT(QueryInputMethodCursor(Edit).Top, AtEnd.Top);
    ClickMessages(Edit, At(2, 1));
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(2, 1));
    EXPECT_EQ(QueryInputMethodCursor(Edit).TopLeft(), CaretCell().TopLeft());
    // Typing in overwrite mode changes the caret's shape; the composition starts at its cell.
    Edit->SetInsertMode(false);
    Edit->SetCaretXY({3, 1});
    EXPECT_EQ(QueryInputMethodCursor(Edit).TopLeft(), CaretCell().TopLeft());
    EXPECT_EQ(QueryInputMethodCursor(Edit).Left, Edit->RowColumnToPixels({3, 1}).X);
}

TEST_F(CodeEditInput, TheMouseCursorFollowsGutterTextAndSelection) {
    PutMarked(Edit, u"alpha beta gamma\ndelta");
    Edit->Gutter()->SetCursor(crHandPoint);
    Edit->SetCaretAndSelection({11, 1}, {7, 1}, {11, 1}); // "beta"
    TBufferCoord Asked{0, 0};
    Edit->OnMouseCursor = [&](TObject*, const TBufferCoord& Pos, TCursor& Cursor) {
        Asked = Pos;
        if (Pos.Line == 2) Cursor = crCross;
    };
    const struct {
        const char* Where;
        bool DragDrop;
        TPoint At;
        TCursor Want;
    } Cases[] = {
        {"over the text", true, At(3, 1), crIBeam},
        {"over the selection", true, At(8, 1), crArrow},
        {"over the selection without drag and drop", false, At(8, 1), crIBeam},
        {"over the gutter", true, {2, 5}, crHandPoint},
        {"where the owner chooses", true, At(2, 2), crCross},
    };
    for (const auto& C : Cases) {
        SetOption(eoDragDropEditing, C.DragDrop);
        SynthMouse(Edit, smMove, C.At);
        ProcessMessages();
        EXPECT_EQ(GetCursor(), Screen->Cursors(C.Want)) << C.Where;
    }
    EXPECT_EQ(Asked, MakeBufferCoord(2, 2)) << "the owner hears the buffer position";
    // While the button is held (the mouse captured), the selection shows the text cursor: a
    // press in the selection waits for the drag distance, the selection kept.
    SetOption(eoDragDropEditing, true);
    Edit->SetCaretAndSelection({11, 1}, {7, 1}, {11, 1});
    SynthMouse(Edit, smDown, At(8, 1));
    ASSERT_TRUE(Edit->MouseCapture());
    Edit->Perform(WM_SETCURSOR, Edit->Handle(), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), Screen->Cursors(crIBeam));
    SynthMouse(Edit, smUp, At(8, 1));
    ProcessMessages();
}
