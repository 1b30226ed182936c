// Edits and memos: the user's keys pass through WindowProc before they reach the text, changes
// fire OnChange, the memo's lines read and write its text live, its scroll bars follow the text.
#include "StdCtrlsTestSupport.h"

#include "platform/gui/Clipboard.h"
#include "support/GraphicsTestSupport.h"
#include "support/TestDriver.h"

#include <QInputMethodEvent>

using enum StdCtrls::TEditCharCase;

namespace {

// One key of a case: printable text is typed, anything else pressed with its text.
struct TKeyStroke {
    int Key;
    Qt::KeyboardModifiers Modifiers = Qt::NoModifier;
    QString Text = {};
};

struct TEditKeyCase {
    const char* Name;
    const char16_t* Start;
    std::function<void(TEdit*)> Setup;
    QString Typed;                // typed first
    std::vector<TKeyStroke> Keys; // then pressed
    const char16_t* Expected;
    int Changes; // OnChange calls
};

const TKeyStroke Back{Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b")};
const TKeyStroke Delete{Qt::Key_Delete, Qt::NoModifier, QStringLiteral("\x7f")};
const TKeyStroke Home{Qt::Key_Home};
const TKeyStroke Left{Qt::Key_Left};

const TEditKeyCase EditKeyCases[] = {
    {"Typing", u"", nullptr, "Ab1", {}, u"Ab1", 3},
    {"Backspace", u"abc", nullptr, "", {Back}, u"ab", 1},
    {"DeleteAtTheStart", u"abc", nullptr, "", {Home, Delete}, u"bc", 1},
    {"OnKeyPressSwallows",
     u"",
     [](TEdit* E) {
         E->OnKeyPress = [](TObject*, Char& K) {
             if (K == u'x') K = 0;
         };
     },
     "axb",
     {},
     u"ab",
     2},
    {"OnKeyPressChangesTheCharacter",
     u"",
     [](TEdit* E) {
         E->OnKeyPress = [](TObject*, Char& K) {
             if (K == u'a') K = u'A';
         };
     },
     "ab",
     {},
     u"Ab",
     2},
    {"OnKeyDownSwallowsDelete",
     u"abc",
     [](TEdit* E) {
         E->OnKeyDown = [](TObject*, Word& K, TShiftState) {
             if (K == VK_DELETE) K = 0;
         };
     },
     "",
     {Home, Delete},
     u"abc",
     0},
    {"ShiftLeftSelectsAndTypingReplaces",
     u"abcd",
     nullptr,
     "",
     {Left, Left, {Qt::Key_Left, Qt::ShiftModifier}, {Qt::Key_X, Qt::ShiftModifier, "X"}},
     u"aXcd",
     1},
    {"CtrlASelectsAll",
     u"hello",
     nullptr,
     "",
     {{Qt::Key_A, Qt::ControlModifier, "\x01"}, {Qt::Key_Z, {}, "z"}},
     u"z",
     1},
    {"MaxLength", u"", [](TEdit* E) { E->SetMaxLength(3); }, "abcd", {}, u"abc", 3},
    {"UpperCase", u"", [](TEdit* E) { E->SetCharCase(ecUpperCase); }, "ab", {}, u"AB", 2},
    {"NumbersOnly", u"", [](TEdit* E) { E->SetNumbersOnly(true); }, "1a2", {}, u"12", 2},
    {"ReadOnly", u"x", [](TEdit* E) { E->SetReadOnly(true); }, "ab", {Back}, u"x", 0},
};

class EditKeys : public TFormFixture, public ::testing::WithParamInterface<TEditKeyCase> {};

} // namespace

TEST_P(EditKeys, ArriveAsMessagesAndChangeTheText) {
    const TEditKeyCase& C = GetParam();
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 150, 21);
    Edit->SetText(C.Start);
    if (C.Setup) C.Setup(Edit);
    Form->Show();
    Edit->SetFocus();
    Edit->SetSelStart(Edit->GetTextLen());
    std::vector<String> Changes;
    Edit->OnChange = [&](TObject* Sender) { Changes.push_back(static_cast<TEdit*>(Sender)->Text()); };
    TMessageLog Log(Edit);
    TypeText(Edit, C.Typed);
    for (const TKeyStroke& K : C.Keys)
        PressKey(Edit, K.Key, K.Modifiers, K.Text);
    EXPECT_EQ(U8(Edit->Text()), U8(C.Expected));
    ASSERT_EQ(static_cast<int>(Changes.size()), C.Changes);
    if (!Changes.empty()) {
        EXPECT_EQ(U8(Changes.back()), U8(C.Expected));
    }
    // Every key came through the window procedure, typed ones with their characters.
    EXPECT_EQ(Log.Of(WM_KEYDOWN).size(), static_cast<std::size_t>(C.Typed.size()) + C.Keys.size());
    std::size_t Chars = static_cast<std::size_t>(C.Typed.size());
    for (const TKeyStroke& K : C.Keys)
        if (!K.Text.isEmpty() && K.Text != QStringLiteral("\x7f")) ++Chars;
    EXPECT_EQ(Log.Of(WM_CHAR).size(), Chars);
    // The text changes reached the control as EN_CHANGE notifications.
    std::size_t Notified = 0;
    for (const TMessage& M : Log.Of(CN_COMMAND))
        if (HIWORD(M.WParam) == EN_CHANGE) ++Notified;
    EXPECT_EQ(Notified, Changes.size());
}

INSTANTIATE_TEST_SUITE_P(Edits, EditKeys, ::testing::ValuesIn(EditKeyCases),
                         [](const auto& I) { return std::string(I.param.Name); });

TEST_F(TFormFixture, EditSelectionClipboardAndModified) {
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetText(u"Hello world");
    Edit->SetAutoSelect(false);
    // Without a window the edit keeps text and selection itself.
    EXPECT_FALSE(Edit->HandleAllocated());
    Edit->SetSelStart(6);
    Edit->SetSelLength(5);
    EXPECT_EQ(U8(Edit->SelText()), "world");
    Form->Show();
    ASSERT_TRUE(Edit->HandleAllocated());
    // The window took them over.
    EXPECT_EQ(Edit->SelStart(), 6);
    EXPECT_EQ(U8(Edit->SelText()), "world");
    EXPECT_FALSE(Edit->Modified());
    Edit->SetFocus();
    Edit->SetSelStart(6);
    Edit->SetSelLength(5);
    PressKey(Edit, Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
    EXPECT_EQ(U8(Clipboard()->AsText()), "world");
    Edit->SetSelStart(0);
    PressKey(Edit, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    EXPECT_EQ(U8(Edit->Text()), "worldHello world");
    EXPECT_TRUE(Edit->Modified());
    EXPECT_TRUE(Edit->CanUndo());
    PressKey(Edit, Qt::Key_Z, Qt::ControlModifier, QStringLiteral("\x1a"));
    EXPECT_EQ(U8(Edit->Text()), "Hello world");
    // Code's changes are not the user's.
    Edit->SetText(u"fresh");
    EXPECT_FALSE(Edit->Modified());
    Edit->SetSelText(u"new ");
    EXPECT_EQ(U8(Edit->Text()), "new fresh");
    // A password edit shows other characters and keeps its text off the clipboard.
    Clipboard()->SetAsText(u"before");
    Edit->SetPasswordChar(u'*');
    Edit->SelectAll();
    Edit->CopyToClipboard();
    EXPECT_EQ(U8(Clipboard()->AsText()), "before");
    EXPECT_EQ(U8(Edit->Text()), "new fresh");
    // A new window keeps what the old one held.
    Edit->SetSelStart(2);
    Edit->RecreateWnd();
    EXPECT_EQ(U8(Edit->Text()), "new fresh");
    EXPECT_EQ(Edit->SelStart(), 2);
}

TEST_F(TFormFixture, EditMouseAndInputMethod) {
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 200, 21);
    Edit->SetText(u"one two three");
    Form->Show();
    TMessageLog Log(Edit);
    // A click far right puts the caret at the end; a double click selects a word.
    Click(Edit, {190, 8});
    EXPECT_EQ(Log.Of(WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(Edit->SelStart(), 13);
    EXPECT_EQ(Edit->SelLength(), 0);
    EXPECT_TRUE(Edit->Focused());
    SendMouse(Edit, QEvent::MouseButtonDblClick, {4, 8});
    SendMouse(Edit, QEvent::MouseButtonRelease, {4, 8});
    EXPECT_EQ(U8(Edit->SelText()), "one");
    // Text from an input method arrives as characters.
    Edit->SetSelStart(13);
    QInputMethodEvent Commit;
    Commit.setCommitString(QStringLiteral(" \u00e9t\u00e9"));
    QApplication::sendEvent(KeyWidget(Edit), &Commit);
    EXPECT_EQ(U8(Edit->Text()), "one two three \xC3\xA9t\xC3\xA9");
    EXPECT_EQ(Log.Of(WM_CHAR).size(), 4u);
}

TEST_F(TFormFixture, AnExceptionOfOnChangeGoesToTheApplication) {
    std::vector<String> Shown;
    Application->OnException = [&](TObject*, Exception* E) { Shown.push_back(E->Message()); };
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->OnChange = [](TObject*) { throw Exception(u"not now"); };
    Form->Show();
    Edit->SetFocus();
    TypeText(Edit, "ab");
    Application->OnException = nullptr;
    // Qt never saw it; the text and the program went on.
    EXPECT_EQ(Shown, (std::vector<String>{u"not now", u"not now"}));
    EXPECT_EQ(U8(Edit->Text()), "ab");
}

// ---- Memo lines ---------------------------------------------------------------------------------

class MemoLines : public TFormFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(MemoLines, ReadAndWriteTheTextLive) {
    auto* Memo = new TMemo(Form);
    Memo->SetParent(Form);
    if (GetParam()) Form->Show();
    ASSERT_EQ(Memo->HandleAllocated(), GetParam());
    TStrings* L = Memo->Lines();
    EXPECT_EQ(L->Count(), 0);
    L->Add(u"alpha");
    L->Add(u"beta");
    EXPECT_EQ(U8(Memo->Text()), "alpha\r\nbeta\r\n");
    EXPECT_EQ(L->Count(), 2); // the empty line after the last break is none
    L->SetString(1, u"BETA");
    L->Insert(0, u"zero");
    EXPECT_EQ(U8(Memo->Text()), "zero\r\nalpha\r\nBETA\r\n");
    L->Delete(1);
    EXPECT_EQ(U8(L->Text()), "zero\r\nBETA\r\n");
    EXPECT_EQ(U8(L->Strings(5)), ""); // past the end reads as empty
    // Lone line feeds and carriage returns become line breaks.
    Memo->SetText(u"x\ny\rz");
    EXPECT_EQ(L->Count(), 3);
    EXPECT_EQ(U8(L->Strings(2)), "z");
    EXPECT_EQ(U8(Memo->Text()), "x\r\ny\r\nz");
    // Appending after a last line without a break starts a new line.
    L->Add(u"w");
    EXPECT_EQ(U8(Memo->Text()), "x\r\ny\r\nz\r\nw");
    // Positions count the line breaks as two characters.
    EXPECT_EQ(Memo->Perform(EM_LINEINDEX, 2), 6);
    Memo->SetSelStart(7);
    EXPECT_EQ(Memo->CaretPos(), (TPoint{1, 2}));
    L->Clear();
    EXPECT_EQ(L->Count(), 0);
    // The receive pane of a terminal fills its current line character by character.
    int LastUsedLine = 0;
    auto Receive = [&](Char C) {
        if (C == u'\r') {
            ++LastUsedLine;
            L->Add(u"");
            return;
        }
        L->SetString(LastUsedLine, L->Strings(LastUsedLine) + C);
    };
    for (Char C : String(u"Hi\r!?"))
        Receive(C);
    EXPECT_EQ(U8(Memo->Text()), "Hi\r\n!?");
    EXPECT_EQ(L->Count(), 2);
    // A new window keeps the text.
    if (GetParam()) {
        Memo->SetScrollBars(StdCtrls::ssBoth);
        EXPECT_EQ(U8(Memo->Text()), "Hi\r\n!?");
    }
}

INSTANTIATE_TEST_SUITE_P(Edits, MemoLines, ::testing::Bool(),
                         [](const auto& I) { return std::string(I.param ? "WithWindow" : "WithoutWindow"); });

TEST_F(TFormFixture, MemoKeysReturnsAndTabs) {
    auto* Memo = new TMemo(Form);
    Memo->SetParent(Form);
    Memo->SetBounds(10, 10, 200, 100);
    auto* Next = new TEdit(Form);
    Next->SetParent(Form);
    Next->SetBounds(10, 120, 100, 21);
    auto* Ok = new TButton(Form);
    Ok->SetParent(Form);
    Ok->SetBounds(120, 120, 75, 25);
    Ok->SetDefault(true);
    int Clicks = 0;
    Ok->OnClick = [&](TObject*) { ++Clicks; };
    Form->Show();
    Memo->SetFocus();
    const TKeyStroke Return{Qt::Key_Return, Qt::NoModifier, "\r"};
    const TKeyStroke Tab{Qt::Key_Tab, Qt::NoModifier, "\t"};
    TypeText(Memo, "ab");
    PressKey(Memo, Return.Key, Return.Modifiers, Return.Text);
    TypeText(Memo, "c");
    EXPECT_EQ(U8(Memo->Text()), "ab\r\nc");
    EXPECT_EQ(Memo->Lines()->Count(), 2);
    EXPECT_EQ(Clicks, 0);
    EXPECT_TRUE(Memo->Modified());
    // With WantTabs a tab is text; without, Tab moves on.
    Memo->SetWantTabs(true);
    PressKey(Memo, Tab.Key, Tab.Modifiers, Tab.Text);
    EXPECT_EQ(U8(Memo->Text()), "ab\r\nc\t");
    Memo->SetWantTabs(false);
    PressKey(Memo, Tab.Key, Tab.Modifiers, Tab.Text);
    EXPECT_TRUE(Next->Focused());
    // Without WantReturns Enter is the default button's.
    Memo->SetWantReturns(false);
    Memo->SetFocus();
    PressKey(Memo, Return.Key, Return.Modifiers, Return.Text);
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(U8(Memo->Text()), "ab\r\nc\t");
}

TEST_F(TFormFixture, MemoScrollBarsFollowTheText) {
    auto* Memo = new TMemo(Form);
    Memo->SetParent(Form);
    Memo->SetBounds(10, 10, 200, 100);
    Memo->SetScrollBars(StdCtrls::ssVertical);
    Form->Show();
    const HWND Wnd = Memo->WindowHandle();
    TScrollInfo Info;
    Info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(Wnd, SB_VERT, Info));
    EXPECT_EQ(Memo->ClientWidth(), 196 - GetSystemMetrics(SM_CXVSCROLL)); // shown, with nothing to scroll
    Memo->Lines()->BeginUpdate();
    for (int I = 0; I < 100; ++I)
        Memo->Lines()->Add(u"line " + IntToStr(I));
    Memo->Lines()->EndUpdate();
    Pump();
    Info.fMask = SIF_ALL;
    GetScrollInfo(Wnd, SB_VERT, Info);
    EXPECT_GE(Info.nMax, 99);
    EXPECT_GT(Info.nPage, 1u);
    EXPECT_GT(Info.nPos, 50); // the last line added was scrolled into view
    // The user's work on the bar scrolls the text.
    SendMessage(Wnd, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(GetScrollPos(Wnd, SB_VERT), 0);
    EXPECT_EQ(Memo->Perform(EM_GETFIRSTVISIBLELINE), 0);
    Click(Memo, {Memo->ClientWidth() + 8, Memo->ClientHeight() - 5});
    EXPECT_EQ(GetScrollPos(Wnd, SB_VERT), 1);
    EXPECT_EQ(Memo->Perform(EM_GETFIRSTVISIBLELINE), 1);
    // The caret moved by keys takes the bar along.
    Memo->SetFocus();
    PressKey(Memo, Qt::Key_End, Qt::ControlModifier);
    Pump();
    EXPECT_GT(GetScrollPos(Wnd, SB_VERT), 50);
    TTempFolder Folder;
    SaveGrab(Memo, Folder, "memo.png");
}

namespace {

// An edit that draws a red bar at its left edge itself, as an edit that paints its own text.
class TSelfPaintedEdit : public TEdit {
public:
    using TEdit::TEdit;
    using TEdit::SetTextWidgetShown;

protected:
    void PaintWindow(HDC) override {
        TControlCanvas C;
        C.SetControl(this);
        C.Brush()->SetColor(clRed);
        C.FillRect(Rect(0, 0, 6, ClientHeight()));
    }
};

TEST_F(TFormFixture, AnEditPaintsItselfWhileItsTextWidgetIsHidden) {
    auto* Edit = new TSelfPaintedEdit(Form);
    Edit->SetBorderStyle(Controls::bsNone); // the picture is the client area
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 100, 24);
    Edit->SetColor(clWhite);
    Edit->SetText(u"Blink");
    Form->Show();
    auto Look = [&](bool& Red) {
        auto B = GrabControl(Edit);
        Red = PixelOf(*B, 2, Edit->ClientHeight() / 2) == clRed;
        return !IsRectEmpty(InkBox(B->Canvas(), Rect(8, 0, Edit->ClientWidth(), Edit->ClientHeight()), clWhite));
    };
    bool Red = false;
    EXPECT_TRUE(Look(Red)); // the text widget's text, over the window's own picture
    EXPECT_FALSE(Red);
    Edit->SetTextWidgetShown(false);
    EXPECT_FALSE(Look(Red));
    EXPECT_TRUE(Red);
    // The widget keeps the text meanwhile; shown again, it edits as before.
    Edit->SetText(u"Fade");
    Edit->SetTextWidgetShown(true);
    EXPECT_TRUE(Look(Red));
    EXPECT_FALSE(Red);
    Edit->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Edit->Focused(); }));
    Edit->SetSelStart(4);
    TypeText(Edit, "s");
    EXPECT_EQ(U8(Edit->Text()), "Fades");
}

TEST_F(TFormFixture, TheFormattingRectangleHoldsTheTextUntilTheEditIsResized) {
    auto* Edit = new TEdit(Form);
    Edit->SetBorderStyle(Controls::bsNone); // the picture is the client area
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 120, 24);
    Edit->SetColor(clWhite);
    Edit->SetText(u"Blink");
    Form->Show();
    TRect R;
    Edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&R));
    EXPECT_EQ(R, Edit->ClientRect());
    const TRect Narrow = Rect(50, 0, Edit->ClientWidth(), Edit->ClientHeight());
    Edit->Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&Narrow));
    Edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&R));
    EXPECT_EQ(R, Narrow);
    Edit->SetFont(Edit->Font()); // a change of look keeps it
    auto B = GrabControl(Edit);
    const TRect Ink = InkBox(B->Canvas(), Edit->ClientRect(), clWhite);
    ASSERT_FALSE(IsRectEmpty(Ink));
    EXPECT_GE(Ink.Left, 50);
    Edit->SetWidth(140);
    Edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&R));
    EXPECT_EQ(R, Edit->ClientRect());
    Edit->Perform(EM_SETRECT, 0, reinterpret_cast<LPARAM>(&Narrow));
    Edit->Perform(EM_SETRECT, 0, 0); // none: the whole client area again
    Edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&R));
    EXPECT_EQ(R, Edit->ClientRect());
}

TEST_F(TFormFixture, APictureOfAWindowShowsTheTextOfItsEdits) {
    struct TCase {
        const char* Name;
        bool Memo;
        const char16_t* Text;
    };
    auto* Panel = new TTestPanel(Form, Form);
    Panel->SetBounds(0, 0, 100, 50);
    Form->Show();
    for (const TCase& C : {TCase{"an edit with text", false, u"Blink"},
                           TCase{"a memo with text", true, u"Fade"}, TCase{"an empty edit", false, u""}}) {
        SCOPED_TRACE(C.Name);
        std::unique_ptr<TCustomEdit> Edit(C.Memo ? static_cast<TCustomEdit*>(new TMemo(nullptr))
                                                 : new TEdit(nullptr));
        Edit->SetParent(Panel);
        Edit->SetBounds(10, 10, 80, 24);
        Edit->SetColor(clWhite);
        Edit->SetText(C.Text);
        auto B = NewCanvasBitmap(100, 50);
        Panel->PaintTo(B->Canvas(), 0, 0);
        // The text's strokes inside the edit's frame; none for an empty edit.
        EXPECT_EQ(IsRectEmpty(InkBox(B->Canvas(), Rect(14, 13, 86, 31), clWhite)), *C.Text == 0);
    }
}

} // namespace

namespace {

// An edit whose window styles a test chooses, and which paints a plain colour itself while its
// text widget is hidden.
class TStyledEdit : public TEdit {
public:
    using TCustomEdit::SetTextWidgetShown;
    using TCustomEdit::TextWidgetShown;
    using TEdit::TEdit;
    Cardinal AddStyle = 0, RemoveStyle = 0, AddExStyle = 0;
    TColor OwnColor = clLime;

protected:
    void CreateParams(TCreateParams& Params) override {
        TEdit::CreateParams(Params);
        Params.Style = (Params.Style | AddStyle) & ~RemoveStyle;
        Params.ExStyle |= AddExStyle;
    }
    void WndProc(TMessage& Message) override {
        if (Message.Msg == WM_PAINT && !TextWidgetShown()) {
            TControlCanvas C;
            C.SetControl(this);
            C.Brush()->SetColor(OwnColor);
            C.FillRect(ClientRect());
            return;
        }
        TEdit::WndProc(Message);
    }
};

// The ink of the edit's client area in a picture of its parent.
TRect EditInk(TWinControl* Panel, TCustomEdit* Edit) {
    auto B = NewCanvasBitmap(Panel->Width(), Panel->Height());
    Panel->PaintTo(B->Canvas(), 0, 0);
    const TPoint P = Panel->ScreenToClient(Edit->ClientToScreen(TPoint(0, 0)));
    TRect Ink = InkBox(B->Canvas(), Bounds(P.X, P.Y, Edit->ClientWidth(), Edit->ClientHeight()), clWhite);
    if (!IsRectEmpty(Ink)) OffsetRect(Ink, -P.X, -P.Y);
    return Ink;
}

} // namespace

TEST_F(TFormFixture, AnEditsWindowStylesChooseItsTextWidget) {
    struct TCase {
        const char* Name;
        Cardinal Add, Remove, AddEx;
        bool Wraps, RightAligned;
    };
    auto* Panel = new TTestPanel(Form, Form);
    Panel->SetBounds(0, 0, 200, 100);
    Form->Show();
    for (const TCase& C : {TCase{"one line", 0, 0, 0, false, false},
                           TCase{"several lines, wrapped", ES_MULTILINE, ES_AUTOHSCROLL, 0, true, false},
                           TCase{"several lines, scrolled sideways", ES_MULTILINE, 0, 0, false, false},
                           TCase{"right-aligned by the extended style", 0, 0, WS_EX_RIGHT, false, true}}) {
        SCOPED_TRACE(C.Name);
        auto Edit = std::make_unique<TStyledEdit>(nullptr);
        Edit->AddStyle = C.Add;
        Edit->RemoveStyle = C.Remove;
        Edit->AddExStyle = C.AddEx;
        Edit->SetParent(Panel);
        Edit->SetBounds(10, 10, C.RightAligned ? 180 : 90, 70);
        Edit->SetColor(clWhite);
        Edit->SetText(C.RightAligned ? u"ab" : u"alpha beta gamma delta");
        Pump();
        const TRect Ink = EditInk(Panel, Edit.get());
        ASSERT_FALSE(IsRectEmpty(Ink));
        if (C.Wraps)
            EXPECT_GT(Ink.Height(), 18) << "the words go onto further lines";
        else
            EXPECT_LT(Ink.Height(), 20) << "one line of text";
        if (C.RightAligned)
            EXPECT_GT(Ink.Left, Edit->ClientWidth() / 2);
        else
            EXPECT_LT(Ink.Left, 10);
        EXPECT_EQ(Edit->Text(), C.RightAligned ? u"ab" : u"alpha beta gamma delta") << "the text survives";
    }
}

TEST_F(TFormFixture, AnEditsFormattingRectangleAndItsOwnPainting) {
    auto* Panel = new TTestPanel(Form, Form);
    Panel->SetBounds(0, 0, 200, 60);
    auto* Edit = new TStyledEdit(Form);
    Edit->SetParent(Panel);
    Edit->SetBounds(10, 10, 160, 24);
    Edit->SetColor(clWhite);
    Edit->SetText(u"Blink");
    Form->Show();
    Pump();
    EXPECT_LT(EditInk(Panel, Edit).Left, 10);

    // The text goes inside the rectangle given; the rest of the client area is the window's.
    TRect Loc(40, 0, Edit->ClientWidth() - 10, Edit->ClientHeight());
    Edit->Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&Loc));
    TRect Got;
    Edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&Got));
    EXPECT_EQ(Got, Loc);
    Pump();
    EXPECT_GE(EditInk(Panel, Edit).Left, 40);
    Edit->SetWidth(150);
    Edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&Got));
    EXPECT_EQ(Got, Edit->ClientRect()) << "a resize brings back the client area";

    // Hidden, the text widget leaves the window to its own painting, and comes back.
    Edit->SetTextWidgetShown(false);
    Pump();
    auto B = NewCanvasBitmap(Panel->Width(), Panel->Height());
    Panel->PaintTo(B->Canvas(), 0, 0);
    const TPoint Mid = Panel->ScreenToClient(Edit->ClientToScreen(TPoint(20, Edit->ClientHeight() / 2)));
    EXPECT_EQ(B->Canvas()->Pixels(Mid.X, Mid.Y), clLime);
    EXPECT_EQ(Edit->Text(), u"Blink");
    Edit->SetTextWidgetShown(true);
    Pump();
    EXPECT_FALSE(IsRectEmpty(EditInk(Panel, Edit))) << "the text shows again";
    Panel->PaintTo(B->Canvas(), 0, 0);
    EXPECT_NE(B->Canvas()->Pixels(Mid.X, Mid.Y), clLime);
}

TEST_F(TFormFixture, AMultiLineEditsScrollBarFollowsItsText) {
    auto* Edit = new TStyledEdit(Form);
    Edit->AddStyle = Cardinal(ES_MULTILINE) | Cardinal(WS_VSCROLL);
    Edit->RemoveStyle = ES_AUTOHSCROLL;
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 120, 60);
    Form->Show();
    String Text;
    for (int I = 0; I < 40; ++I)
        Text += u"line " + IntToStr(I) + u"\r\n";
    Edit->SetText(Text);
    Pump();
    const HWND Wnd = Edit->WindowHandle();
    EXPECT_TRUE(GetWindowLong(Wnd, GWL_STYLE) & WS_VSCROLL);
    TScrollInfo Info;
    Info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(Wnd, SB_VERT, Info));
    EXPECT_GT(Info.nMax, 3 * static_cast<int>(Info.nPage)) << "forty lines are several pages";
    SendMessage(Wnd, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_GT(Edit->Perform(EM_GETFIRSTVISIBLELINE), 20) << "the bar scrolls the text";
    EXPECT_GT(GetScrollPos(Wnd, SB_VERT), 20);
}

TEST_F(TFormFixture, ARightToLeftLayoutFollowsTheParentAndMirrorsAnEditsText) {
    auto* Panel = new TTestPanel(Form, Form);
    Panel->SetBounds(0, 0, 200, 100);
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Panel);
    Edit->SetBounds(10, 10, 180, 24);
    Edit->SetColor(clWhite);
    Edit->SetText(u"ab");
    Form->Show();
    Pump();
    EXPECT_LT(EditInk(Panel, Edit).Left, 10);
    EXPECT_EQ(GetWindowLong(Edit->Handle(), GWL_EXSTYLE) & (WS_EX_RIGHT | WS_EX_RTLREADING), 0);

    // The form's mode reaches the edit through the panel; the edit's window is made again with
    // the right-to-left styles, and its text shows on the right.
    Form->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(Panel->BiDiMode(), bdRightToLeft);
    EXPECT_EQ(Edit->BiDiMode(), bdRightToLeft);
    EXPECT_TRUE(Edit->UseRightToLeftAlignment());
    const LONG_PTR Ex = GetWindowLong(Edit->Handle(), GWL_EXSTYLE);
    EXPECT_NE(Ex & WS_EX_RIGHT, 0);
    EXPECT_NE(Ex & WS_EX_RTLREADING, 0);
    EXPECT_NE(Ex & WS_EX_LEFTSCROLLBAR, 0);
    Pump();
    EXPECT_GT(EditInk(Panel, Edit).Left, Edit->ClientWidth() / 2);
    EXPECT_EQ(Edit->Text(), u"ab") << "the text survives the new window";

    // A right-aligned text mirrors to the left; centred text stays centred.
    EXPECT_EQ(Edit->UseRightToLeftAlignmentFor(taRightJustify), taLeftJustify);
    EXPECT_EQ(Edit->UseRightToLeftAlignmentFor(taCenter), taCenter);
    Edit->SetAlignment(taRightJustify);
    Edit->RecreateWnd();
    Pump();
    EXPECT_LT(EditInk(Panel, Edit).Left, 10);

    // Reading order only: no mirrored layout, the scroll bar stays on the right.
    Edit->SetAlignment(taLeftJustify);
    Form->SetBiDiMode(bdRightToLeftReadingOnly);
    EXPECT_FALSE(Edit->UseRightToLeftAlignment());
    EXPECT_TRUE(Edit->UseRightToLeftReading());
    EXPECT_FALSE(Edit->UseRightToLeftScrollBar());
    EXPECT_EQ(GetWindowLong(Edit->Handle(), GWL_EXSTYLE) & (WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR), 0);

    // A mode of its own ends following the parent; asking to follow again takes the parent's.
    Edit->SetBiDiMode(bdLeftToRight);
    EXPECT_FALSE(Edit->ParentBiDiMode());
    Form->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(Edit->BiDiMode(), bdLeftToRight);
    Edit->SetParentBiDiMode(true);
    EXPECT_EQ(Edit->BiDiMode(), bdRightToLeft);
    // A control put into a right-to-left parent takes its mode.
    auto* Later = new TEdit(Form);
    Later->SetParent(Panel);
    EXPECT_EQ(Later->BiDiMode(), bdRightToLeft);
}
