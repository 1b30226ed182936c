// Window placement records, tracking sizes asked with WM_GETMINMAXINFO, the application window's
// hooks and the application events that forms, actions and keys raise.

#include "platform/gui/ActnList.h"
#include "platform/gui/Questions.h"

#include "support/GuiTestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<TForm> ShownForm(int L, int T, int W, int H) {
    auto Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(L, T, W, H);
    Form->Show();
    Pump();
    return Form;
}

} // namespace

TEST(WindowPlacement, GetAndSetRoundTripTheNormalRectangleAndState) {
    TForm Form(nullptr);
    Form.SetBounds(30, 40, 300, 200);
    TWindowPlacement P;
    ASSERT_TRUE(GetWindowPlacement(Form.Handle(), &P));
    EXPECT_EQ(P.showCmd, UINT(SW_SHOWNORMAL)); // the state, hidden or not
    EXPECT_EQ(P.rcNormalPosition, Bounds(30, 40, 300, 200));

    // A show command shows the window where the record says.
    P.rcNormalPosition = Bounds(70, 80, 320, 240);
    P.ptMaxPosition = {-4, -4};
    ASSERT_TRUE(SetWindowPlacement(Form.Handle(), &P));
    Pump();
    EXPECT_TRUE(Form.Visible());
    EXPECT_EQ(Form.BoundsRect(), Bounds(70, 80, 320, 240));
    // Left and Top place the window's frame.
    QWidget* W = WidgetOfHandle(Form.Handle());
    EXPECT_EQ(QRect(W->pos(), W->size()), QRect(70, 80, 320, 240));
    auto* F = &Form;
    P.showCmd = SW_SHOWMAXIMIZED;
    SetWindowPlacement(F->Handle(), &P);
    Pump();
    EXPECT_TRUE(IsZoomed(F->Handle()));
    TWindowPlacement Back;
    GetWindowPlacement(F->Handle(), &Back);
    EXPECT_EQ(Back.showCmd, UINT(SW_SHOWMAXIMIZED));
    EXPECT_EQ(Back.rcNormalPosition, Bounds(70, 80, 320, 240)); // the restored bounds, not the maximised
    EXPECT_EQ(Back.ptMaxPosition, (TPoint{-4, -4}));
    EXPECT_FALSE(GetWindowPlacement(0, &Back));
}

TEST(WindowPlacement, HideCommandMovesAHiddenFormWithoutShowingIt) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 200, 100);
    TWindowPlacement P;
    GetWindowPlacement(Form.Handle(), &P);
    P.showCmd = SW_HIDE;
    P.rcNormalPosition = Bounds(15, 25, 210, 110);
    SetWindowPlacement(Form.Handle(), &P);
    EXPECT_FALSE(Form.Visible());
    EXPECT_EQ(Form.BoundsRect(), Bounds(15, 25, 210, 110));
}

TEST(WindowPlacement, TrackingSizesLimitTheWindowAndSizesSetInCode) {
    auto Form = ShownForm(0, 0, 400, 300);
    TMinMaxInfo Asked{};
    TWndMethod Old = Form->WindowProc();
    TPoint Min{300, 0}, Max{0, 0};
    Form->SetWindowProc([&](TMessage& M) {
        Old(M);
        if (M.Msg != WM_GETMINMAXINFO) return;
        auto* Info = reinterpret_cast<TMinMaxInfo*>(M.LParam);
        Asked = *Info;
        if (Min.X) Info->ptMinTrackSize.X = Min.X;
        if (Max.X) Info->ptMaxTrackSize = Max;
    });
    SetWindowPos(Form->Handle(), 0, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    QWidget* W = WidgetOfHandle(Form->Handle());
    EXPECT_EQ(W->minimumWidth(), 300);
    EXPECT_EQ(Asked.ptMinTrackSize, (TPoint{0, 0})); // no limit of the system's own
    Form->SetWidth(200);
    EXPECT_EQ(Form->Width(), 300);

    Min = {0, 0};
    Max = {500, 350};
    Form->UpdateTrackingSize();
    EXPECT_EQ(W->maximumSize(), QSize(500, 350));
    Form->SetBounds(0, 0, 800, 600);
    EXPECT_EQ(Form->Width(), 500);
    EXPECT_EQ(Form->Height(), 350);
    Form->SetWindowProc(Old);
}

TEST(WindowPlacement, FixedBorderFormsAskNothing) {
    TForm Form(nullptr);
    Form.SetBorderStyle(Forms::bsDialog);
    TMessageLog Log(&Form);
    Form.SetBounds(0, 0, 200, 100);
    Form.Show();
    Pump();
    EXPECT_TRUE(Log.Of(WM_GETMINMAXINFO).empty());
}

// ---- The application window and its events ----------------------------------------------------

namespace {

struct THookProbe {
    std::vector<std::string>* Log;
    std::string Name;
    bool Take = false;
    std::function<void()> During;
    bool Hook(TMessage& M) {
        if (M.Msg != WM_USER + 7) return false;
        Log->push_back(Name);
        if (During) During();
        return Take;
    }
    TWindowHook AsHook() { return {this, &THookProbe::Hook}; }
};

} // namespace

TEST(ApplicationWindow, HooksRunNewestFirstAndSurviveRemovalWhileRunning) {
    std::vector<std::string> Log;
    THookProbe A{&Log, "A", false, {}}, B{&Log, "B", false, {}}, C{&Log, "C", false, {}};
    Application->HookMainWindow(A.AsHook());
    Application->HookMainWindow(B.AsHook());
    Application->HookMainWindow(C.AsHook());
    // C removes B (still to come) and itself: A alone runs after it.
    C.During = [&] {
        Application->UnhookMainWindow(B.AsHook());
        Application->UnhookMainWindow(C.AsHook());
    };
    SendMessage(Application->Handle(), WM_USER + 7);
    EXPECT_EQ(Log, (std::vector<std::string>{"C", "A"}));

    Log.clear();
    Application->HookMainWindow(B.AsHook());
    B.Take = true;
    SendMessage(Application->Handle(), WM_USER + 7);
    EXPECT_EQ(Log, (std::vector<std::string>{"B"})); // taken: A does not see it
    Application->UnhookMainWindow(A.AsHook());
    Application->UnhookMainWindow(B.AsHook());
}

TEST(ApplicationWindow, SystemCommandsMinimiseAndRestoreWithTheirEvents) {
    auto Form = ShownForm(0, 0, 200, 100);
    std::vector<std::string> Log;
    Application->OnMinimize = [&](TObject*) { Log.push_back("minimize"); };
    Application->OnRestore = [&](TObject*) { Log.push_back("restore"); };
    PostMessage(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump();
    EXPECT_TRUE(WidgetOfHandle(Form->Handle())->isMinimized());
    SendMessage(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_FALSE(WidgetOfHandle(Form->Handle())->isMinimized());
    EXPECT_EQ(Log, (std::vector<std::string>{"minimize", "restore"}));
    Application->OnMinimize = nullptr;
    Application->OnRestore = nullptr;
}

TEST(ApplicationEvents, ModalRunsActionsShortcutsAndHelpReachTheApplication) {
    std::vector<std::string> Log;
    Application->OnModalBegin = [&](TObject*) { Log.push_back("modal begin"); };
    Application->OnModalEnd = [&](TObject*) { Log.push_back("modal end"); };
    {
        TForm Dialog(nullptr);
        TQuestionScript Script;
        Script.Answer(mrOk);
        Dialog.ShowModal();
    }
    EXPECT_EQ(Log, (std::vector<std::string>{"modal begin", "modal end"}));

    TActionList List(nullptr);
    TAction Action(nullptr);
    Action.SetActionList(&List);
    int Executed = 0;
    Action.OnExecute = [&](TObject*) { ++Executed; };
    Application->OnActionExecute = [&](TBasicAction* A, bool& Handled) {
        Handled = A == &Action;
        Log.push_back("action");
    };
    Action.Execute();
    EXPECT_EQ(Executed, 0); // the application took it

    Application->OnShortCut = [&](TWMKey& Msg, bool& Handled) { Handled = Msg.CharCode() == VK_F9; };
    TWMKey Key;
    Key.Msg = WM_KEYDOWN;
    Key.WParam = VK_F9;
    EXPECT_TRUE(Application->IsShortCut(Key));
    Key.WParam = VK_F8;
    EXPECT_FALSE(Application->IsShortCut(Key));

    EXPECT_FALSE(Application->HelpCommand(1, 0));
    Application->OnHelp = [](Word Command, std::intptr_t, bool&) { return Command == 3; };
    EXPECT_TRUE(Application->HelpCommand(3, 0));
    Application->OnModalBegin = Application->OnModalEnd = nullptr;
    Application->OnActionExecute = nullptr;
    Application->OnShortCut = nullptr;
    Application->OnHelp = nullptr;
}

TEST(HiddenWindows, SubclassingReplacesTheMethodAndHandsBackTheOldOne) {
    std::vector<UINT> Seen;
    const HWND Wnd = AllocateHWnd([&](TMessage& M) { Seen.push_back(M.Msg); });
    TWndMethod Old = SubclassWindow(Wnd, [&](TMessage& M) {
        M.Result = 5;
        Old(M);
    });
    ASSERT_TRUE(Old);
    EXPECT_EQ(SendMessage(Wnd, WM_USER), 5);
    EXPECT_EQ(Seen, std::vector<UINT>{WM_USER});
    SubclassWindow(Wnd, Old);
    EXPECT_EQ(SendMessage(Wnd, WM_USER), 0);
    TForm Form(nullptr);
    EXPECT_FALSE(SubclassWindow(Form.Handle(), [](TMessage&) {})); // a control's window: WindowProc
    DeallocateHWnd(Wnd);
}

TEST(WindowRegion, ARoundedRectangleShapesTheWindowAndCanBeTakenBack) {
    auto Form = ShownForm(50, 60, 454, 285);
    // 454 × 285 with corners of a 60 × 60 ellipse.
    ASSERT_TRUE(SetWindowRgn(Form->Handle(), CreateRoundRectRgn(0, 0, 454, 285, 60, 60), true));
    HRGN Shape = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(Form->Handle(), Shape), COMPLEXREGION);
    struct TCase {
        int X, Y;
        bool Inside;
    } const Cases[] = {
        {0, 0, false},    {5, 5, false},     {15, 15, true},    {227, 0, true},  {0, 142, true},
        {227, 142, true}, {448, 5, false},   {438, 15, true},   {5, 279, false}, {448, 279, false},
        {453, 142, true}, {454, 142, false}, {227, 285, false},
    };
    for (const TCase& C : Cases) {
        EXPECT_EQ(PtInRegion(Shape, C.X, C.Y), C.Inside) << C.X << "," << C.Y;
        // The window itself carries the same shape.
        EXPECT_EQ(WidgetOfHandle(Form->Handle())->mask().contains(QPoint(C.X, C.Y)), C.Inside)
            << C.X << "," << C.Y;
    }
    // A plain rectangle is one simple region; no region gives the whole window back.
    ASSERT_TRUE(SetWindowRgn(Form->Handle(), CreateRectRgn(10, 10, 20, 30), false));
    EXPECT_EQ(GetWindowRgn(Form->Handle(), Shape), SIMPLEREGION);
    EXPECT_TRUE(PtInRegion(Shape, 19, 29));
    EXPECT_FALSE(PtInRegion(Shape, 20, 29));
    ASSERT_TRUE(SetWindowRgn(Form->Handle(), nullptr, true));
    EXPECT_EQ(GetWindowRgn(Form->Handle(), Shape), RGN_ERROR);
    EXPECT_TRUE(WidgetOfHandle(Form->Handle())->mask().isEmpty());
    // An unknown window refuses, and still frees the region it was given.
    EXPECT_FALSE(SetWindowRgn(HWND(0x7FFFFFF0), CreateRectRgn(0, 0, 5, 5), false));
    EXPECT_EQ(GetWindowRgn(HWND(0x7FFFFFF0), Shape), RGN_ERROR);
    DeleteRgn(Shape);
}

TEST(WindowRegion, RegionsCombineByMode) {
    // Two 10 x 10 squares overlapping in a 5 x 5 corner.
    HRGN A = CreateRectRgn(0, 0, 10, 10);
    HRGN B = CreateRectRgn(5, 5, 15, 15);
    HRGN Out = CreateRectRgn(0, 0, 0, 0);
    struct TCase {
        int Mode, Kind;
        bool AtA, AtBoth, AtB;
    } const Cases[] = {
        {RGN_AND, SIMPLEREGION, false, true, false},   {RGN_OR, COMPLEXREGION, true, true, true},
        {RGN_XOR, COMPLEXREGION, true, false, true},   {RGN_DIFF, COMPLEXREGION, true, false, false},
        {RGN_COPY, SIMPLEREGION, true, true, false},
    };
    for (const TCase& C : Cases) {
        EXPECT_EQ(CombineRgn(Out, A, B, C.Mode), C.Kind) << C.Mode;
        EXPECT_EQ(PtInRegion(Out, 2, 2), C.AtA) << C.Mode;
        EXPECT_EQ(PtInRegion(Out, 7, 7), C.AtBoth) << C.Mode;
        EXPECT_EQ(PtInRegion(Out, 12, 12), C.AtB) << C.Mode;
    }
    // A source may be the target; nothing left is a null region; bad calls change nothing.
    HRGN Far = CreateRectRgn(50, 50, 60, 60);
    EXPECT_EQ(CombineRgn(A, A, Far, RGN_AND), NULLREGION);
    EXPECT_FALSE(PtInRegion(A, 2, 2));
    EXPECT_EQ(CombineRgn(Out, B, nullptr, RGN_OR), RGN_ERROR);
    EXPECT_EQ(CombineRgn(Out, B, Far, 9), RGN_ERROR);
    EXPECT_TRUE(PtInRegion(Out, 2, 2));
    for (HRGN R : {A, B, Out, Far})
        DeleteRgn(R);
}
