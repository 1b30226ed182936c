// Made-up input: real toolkit key, mouse and wheel events reach a control as the messages the
// message loop would give it, and the test driver's messages are the same ones; a grabbed
// control shows its children's pixels.
#include "support/GuiTestSupport.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include "platform/base/Exceptions.h"
#include "platform/gui/Imm.h"
#include "platform/gui/ShellApi.h"

#include <sstream>

namespace {

// A message as a control's handler sees it, with the shift state it reads meanwhile.
std::string Describe(const TMessage& M) {
    std::ostringstream S;
    S << std::hex << M.Msg << ' ' << M.WParam << ' ' << M.LParam << " s" << GetShiftState().ToInt();
    return S.str();
}

bool IsInput(UINT Msg) {
    return (Msg >= WM_KEYFIRST && Msg <= WM_KEYLAST) ||
           (Msg >= WM_MOUSEFIRST && Msg <= WM_MOUSELAST && Msg != WM_MOUSEMOVE);
}

// The key, character and mouse-button messages that reach the edit while Action runs.
template <class F> std::vector<std::string> InputOf(TTestEdit* Edit, F Action) {
    std::vector<std::string> Log;
    const TWndMethod Old = Edit->WindowProc();
    Edit->SetWindowProc([&](TMessage& M) {
        if (IsInput(M.Msg)) Log.push_back(Describe(M));
        Old(M);
    });
    Action();
    Edit->SetWindowProc(Old);
    return Log;
}

struct TKeyCase {
    Word Key;
    TShiftState Shift;
    const char16_t* Typed;
};

const TKeyCase KeyCases[] = {
    {'A', {}, u"a"},        {'A', {ssShift}, u"A"},      {'C', {ssCtrl}, u"\x03"},
    {'7', {ssShift}, u"&"}, {VK_OEM_2, {ssShift}, u"?"}, {VK_NUMPAD5, {}, u"5"},
    {VK_RETURN, {}, u"\r"}, {VK_BACK, {}, u"\b"},        {VK_DOWN, {ssShift}, u""},
    {VK_F5, {ssCtrl}, u""}, {'X', {ssAlt}, u"x"},        {VK_F10, {}, u""},
    {VK_DELETE, {}, u""},   {'1', {ssCtrl}, u""},        {VK_SPACE, {ssShift}, u" "},
};

using SynthInput = TFormFixture;

} // namespace

TEST_F(SynthInput, KeysArriveAsTheMessagesOfTheMessageLoop) {
    auto* Edit = new TTestEdit(Form, Form);
    Form->Show();
    Edit->SetFocus();
    for (const TKeyCase& C : KeyCases) {
        const std::string Name = "key " + std::to_string(C.Key) + " shift " + std::to_string(C.Shift.ToInt());
        EXPECT_EQ(U8(KeyText(C.Key, C.Shift)), U8(String(C.Typed))) << Name;
        const auto Real = InputOf(Edit, [&] { SynthKey(Edit, C.Key, C.Shift); });
        const auto Messages = InputOf(Edit, [&] { KeyMessages(Edit, C.Key, C.Shift); });
        EXPECT_EQ(Real, Messages) << Name;
        const bool Sys = C.Shift.Contains(ssAlt) || C.Key == VK_F10;
        ASSERT_EQ(Real.size(), 2 + std::u16string_view(C.Typed).size()) << Name;
        std::ostringstream Down;
        Down << std::hex << (Sys ? WM_SYSKEYDOWN : WM_KEYDOWN) << ' ' << C.Key << ' ';
        EXPECT_EQ(Real.front().rfind(Down.str(), 0), 0u) << Name << ": " << Real.front();
        // The modifiers count while the key is handled, and not after it.
        EXPECT_NE(Real.front().find(" s" + std::to_string(C.Shift.ToInt())), std::string::npos)
            << Name << ": " << Real.front();
        EXPECT_EQ(GetShiftState().ToInt(), 0) << Name;
    }
    CharMessages(Edit, u"ü");
    EXPECT_THROW(SynthKey(Edit, 0xFF), EInvalidOperation);
}

TEST_F(SynthInput, MouseArrivesAsTheMessagesOfTheMessageLoop) {
    auto* Edit = new TTestEdit(Form, Form);
    Edit->SetBounds(20, 30, 80, 40);
    Form->Show();
    const TPoint At{5, 7};
    struct TMouseCase {
        TMouseButton Button;
        TShiftState Shift;
    };
    for (const TMouseCase C : {TMouseCase{mbLeft, {}}, TMouseCase{mbRight, {ssShift}},
                               TMouseCase{mbMiddle, {ssCtrl}}, TMouseCase{mbLeft, {ssShift, ssCtrl}}}) {
        const auto Real = InputOf(Edit, [&] { SynthDoubleClick(Edit, At, C.Button, C.Shift); });
        const auto Messages = InputOf(Edit, [&] { DoubleClickMessages(Edit, At, C.Button, C.Shift); });
        EXPECT_EQ(Real, Messages) << "button " << int(C.Button);
        ASSERT_EQ(Real.size(), 4u);
        EXPECT_EQ(GetShiftState().ToInt(), 0);
    }
    // A left press carries the button and Shift, at the client point.
    const auto Press = InputOf(Edit, [&] { SynthMouse(Edit, smDown, At, mbLeft, {ssShift}); });
    std::ostringstream Expected;
    Expected << std::hex << WM_LBUTTONDOWN << ' ' << (MK_LBUTTON | MK_SHIFT) << ' ' << MAKELPARAM(5, 7);
    ASSERT_EQ(Press.size(), 1u);
    EXPECT_EQ(Press[0].rfind(Expected.str(), 0), 0u) << Press[0];
    SynthMouse(Edit, smUp, At);

    const auto Real = InputOf(Edit, [&] { SynthWheel(Edit, At, -240, {ssCtrl}); });
    const auto Messages = InputOf(Edit, [&] { WheelMessage(Edit, At, -240, {ssCtrl}); });
    ASSERT_EQ(Real.size(), 1u);
    EXPECT_EQ(Real, Messages);
    const TPoint Screen = Edit->ClientToScreen(At);
    std::ostringstream Wheel;
    Wheel << std::hex << WM_MOUSEWHEEL << ' ' << MAKEWPARAM(MK_CONTROL, -240) << ' '
          << MAKELPARAM(Screen.X, Screen.Y);
    EXPECT_EQ(Real[0].rfind(Wheel.str(), 0), 0u) << Real[0];
}

TEST_F(SynthInput, AGrabbedControlShowsItsChildren) {
    auto* Back = new TTestPanel(Form, Form);
    Back->SetBounds(0, 0, 60, 40);
    Back->SetColor(clBlue);
    auto* Inner = new TTestPanel(Form, Back);
    Inner->SetBounds(10, 5, 20, 10);
    Inner->SetColor(clRed);
    Form->Show();
    const auto Picture = GrabControl(Back);
    ASSERT_EQ(Picture->Width(), 60);
    EXPECT_EQ(PixelOf(*Picture, 0, 0), clBlue);
    EXPECT_EQ(PixelOf(*Picture, 10, 5), clRed);
    EXPECT_EQ(PixelOf(*Picture, 29, 14), clRed);
    EXPECT_EQ(PixelOf(*Picture, 30, 15), clBlue);
    EXPECT_EQ(PixelOf(*Picture, 59, 39), clBlue);
}

TEST_F(SynthInput, DroppedFilesReachAWindowThatTakesThem) {
    TTempFolder Folder;
    WriteBytes(Folder.Sys("a.txt"), "a");
    WriteBytes(Folder.Sys("b c.ino"), "b");
    auto* Target = new TTestPanel(Form, Form);
    Target->SetBounds(10, 10, 100, 60);
    Form->Show();
    std::vector<String> Names;
    TPoint At;
    const TWndMethod Old = Target->WindowProc();
    Target->SetWindowProc([&](TMessage& M) {
        if (M.Msg == WM_DROPFILES) {
            const HDROP Drop = M.WParam;
            for (UINT I = 0; I < DragQueryFile(Drop, 0xFFFFFFFF, nullptr, 0); ++I) {
                Char Buffer[261] = {};
                DragQueryFile(Drop, I, Buffer, 261);
                Names.push_back(Buffer);
            }
            DragQueryPoint(Drop, At);
            DragFinish(Drop);
            return;
        }
        Old(M);
    });
    const std::vector<String> Files{Folder / "a.txt", Folder / "b c.ino"};
    // Not taken until the window asks for dropped files.
    EXPECT_FALSE(SynthDropFiles(Target, {5, 6}, Files));
    DragAcceptFiles(Target->Handle(), true);
    EXPECT_TRUE(SynthDropFiles(Target, {5, 6}, Files));
    ProcessMessages();
    EXPECT_EQ(Names, Files);
    EXPECT_EQ(At, (TPoint{5, 6}));
    Target->SetWindowProc(Old);
}

TEST_F(SynthInput, AComposedTextArrivesAsInputMethodMessagesAndIsTyped) {
    auto* Edit = new TTestEdit(Form, Form);
    Form->Show();
    Edit->SetFocus();
    std::vector<std::string> Log;
    const TWndMethod Old = Edit->WindowProc();
    Edit->SetWindowProc([&](TMessage& M) {
        if ((M.Msg >= WM_IME_STARTCOMPOSITION && M.Msg <= WM_IME_COMPOSITION) || M.Msg == WM_IME_CHAR ||
            M.Msg == WM_CHAR) {
            std::ostringstream S;
            S << std::hex << M.Msg << ' ' << M.WParam << ' ' << M.LParam;
            if (M.Msg == WM_IME_COMPOSITION) {
                // What the window reads while the message is handled.
                const HIMC Imc = ImmGetContext(Edit->Handle());
                for (DWORD Index : {DWORD(GCS_COMPSTR), DWORD(GCS_RESULTSTR)}) {
                    const int Bytes = ImmGetCompositionStringW(Imc, Index, nullptr, 0);
                    String Text(size_t(std::max(Bytes, 0)) / 2, u' ');
                    EXPECT_EQ(ImmGetCompositionStringW(Imc, Index, Text.data(), DWORD(Bytes)), Bytes);
                    S << " [" << U8(Text) << "]";
                }
                ImmReleaseContext(Edit->Handle(), Imc);
            }
            Log.push_back(S.str());
        }
        Old(M);
    });
    SynthInputMethod(Edit, u"ni");
    SynthInputMethod(Edit, u"", u"\u4F60\u597D");
    Edit->SetWindowProc(Old);
    const std::vector<std::string> Expected{
        "10d 0 0",          "10f 0 8 [ni] []", "10f 4f60 800 [] [\u4F60\u597D]", "286 4f60 1", "102 4f60 1",
        "286 597d 1",       "102 597d 1",      "10e 0 0",
    };
    EXPECT_EQ(Log, Expected);
    // Outside a composition there is nothing to read.
    EXPECT_EQ(ImmGetCompositionStringW(ImmGetContext(Edit->Handle()), GCS_RESULTSTR, nullptr, 0), 0);
    EXPECT_EQ(ImmGetCompositionStringW(0, GCS_RESULTSTR, nullptr, 0), IMM_ERROR_NODATA);
}

TEST_F(SynthInput, TheCursorOverAControlIsItsOwn) {
    auto* Edit = new TTestEdit(Form, Form);
    Edit->SetCursor(crHandPoint);
    auto* Other = new TTestEdit(Form, Form);
    Other->SetBounds(0, 40, 80, 20);
    Other->SetCursor(crCross);
    Form->Show();
    SynthMouse(Edit, smMove, {5, 5});
    EXPECT_EQ(GetCursor(), HCURSOR(crHandPoint));
    SynthMouse(Other, smMove, {5, 5});
    EXPECT_EQ(GetCursor(), HCURSOR(crCross));
}

TEST(VkKeyScanTest, EachCharacterNamesTheKeyAndShiftThatTypeIt) {
    struct Case {
        Char C;
        int Result;
    } const Cases[] = {
        {u'a', 'A'},           {u'A', 0x100 | 'A'},         {u'7', '7'},          {u'&', 0x100 | '7'},
        {u'+', 0x100 | VK_OEM_PLUS}, {u'{', 0x100 | VK_OEM_4}, {u'}', 0x100 | VK_OEM_6}, {u' ', VK_SPACE},
        {u'\r', VK_RETURN},     {u'*', 0x100 | '8'},         {u'\x12', 0x200 | 'R'}, {u'\u00e4', -1},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(VkKeyScan(C.C), C.Result) << int(C.C);
        // What the key types with that shift state is the character again.
        if (C.Result < 0) continue;
        const int S = C.Result >> 8;
        TShiftState Shift;
        if (S & 1) Shift.Include(ssShift);
        if (S & 2) Shift.Include(ssCtrl);
        EXPECT_EQ(KeyText(Word(C.Result & 0xFF), Shift), String(1, C.C)) << int(C.C);
    }
}
