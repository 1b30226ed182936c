#include "platform/gui/Messages.h"
#include "platform/base/Strings.h"

#include "platform/base/Threads.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ControlsQt.h"
#include "platform/gui/Forms.h"
#include "platform/gui/MessagesPrivate.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QRegion>
#include <QScreen>
#include <QStyleHints>
#include <QTimer>
#include <QVariant>

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

// ---- Handles ------------------------------------------------------------------------------------

namespace {

struct TWindowEntry {
    TWinControl* Control = nullptr;
    std::shared_ptr<TWndMethod> Method; // hidden windows
};

struct TRegistry {
    std::mutex Lock;
    std::unordered_map<HWND, TWindowEntry> Windows;
    HWND Next = 0x10010;
};

TRegistry& Registry() {
    static TRegistry R;
    return R;
}

HWND NewHandle(TWindowEntry Entry) {
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> Guard(R.Lock);
    const HWND Wnd = R.Next;
    R.Next += 2;
    R.Windows.emplace(Wnd, std::move(Entry));
    return Wnd;
}

bool OnGuiThread() {
    return GetCurrentThreadId() == MainThreadID();
}

} // namespace

HWND RegisterControlWindow(TWinControl* Control) {
    return NewHandle({Control, nullptr});
}

void UnregisterWindow(HWND Wnd) {
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> Guard(R.Lock);
    R.Windows.erase(Wnd);
}

HWND AllocateHWnd(TWndMethod Method) {
    return NewHandle({nullptr, std::make_shared<TWndMethod>(std::move(Method))});
}

TWndMethod SubclassWindow(HWND Wnd, TWndMethod NewMethod) {
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> Guard(R.Lock);
    auto It = R.Windows.find(Wnd);
    if (It == R.Windows.end() || It->second.Control || !It->second.Method) return {};
    // A new method object: a delivery running now keeps the old one alive until it returns.
    TWndMethod Old = *It->second.Method;
    It->second.Method = std::make_shared<TWndMethod>(std::move(NewMethod));
    return Old;
}

void DeallocateHWnd(HWND Wnd) {
    KillWindowTimers(Wnd);
    UnregisterWindow(Wnd);
}

bool IsWindow(HWND Wnd) {
    if (!Wnd) return false;
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> Guard(R.Lock);
    return R.Windows.count(Wnd) != 0;
}

TWinControl* FindControl(HWND Wnd) {
    if (!Wnd) return nullptr;
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> Guard(R.Lock);
    auto It = R.Windows.find(Wnd);
    return It == R.Windows.end() ? nullptr : It->second.Control;
}

LRESULT DeliverMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    TWindowEntry Entry;
    {
        TRegistry& R = Registry();
        std::lock_guard<std::mutex> Guard(R.Lock);
        auto It = R.Windows.find(Wnd);
        if (It == R.Windows.end()) return 0;
        Entry = It->second;
    }
    // As the system's window procedure does: a handler's exception goes to the application's
    // exception handling, never back to the sender.
    TMessage M{Msg, WParam, LParam, 0};
    GuiBarrier([Wnd] { return FindControl(Wnd); }, [&] {
        if (Entry.Control)
            Entry.Control->Perform(M);
        else if (Entry.Method && *Entry.Method)
            (*Entry.Method)(M);
    });
    return M.Result;
}

void HandleGuiException(TObject* Sender) noexcept {
    try {
        if (Application) return Application->HandleException(Sender);
        throw;
    } catch (const EAbort&) {
    } catch (const Exception& E) {
        std::fprintf(stderr, "%s: %s\n", E.ClassName(), E.what());
    } catch (const std::exception& E) {
        std::fprintf(stderr, "exception: %s\n", E.what());
    } catch (...) {
        std::fprintf(stderr, "unknown exception\n");
    }
}

// ---- Sending and posting --------------------------------------------------------------------

namespace {

struct TSendCall {
    enum TState { Waiting, Running, Done, Withdrawn };
    std::mutex Lock;
    std::condition_variable Finished;
    TState State = Waiting;
    LRESULT Result = 0;
};

// Returns whether the call ran within Timeout (INFINITE: waits for ever).
bool SendFromOtherThread(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT Timeout, LRESULT& Result) {
    auto Call = std::make_shared<TSendCall>();
    TThread::Queue(nullptr, [Call, Wnd, Msg, WParam, LParam] {
        {
            std::lock_guard<std::mutex> Guard(Call->Lock);
            if (Call->State == TSendCall::Withdrawn) return;
            Call->State = TSendCall::Running;
        }
        const LRESULT R = GuiBarrier(
            [Wnd] { return FindControl(Wnd); }, [&] { return DeliverMessage(Wnd, Msg, WParam, LParam); }, LRESULT(0));
        {
            std::lock_guard<std::mutex> Guard(Call->Lock);
            Call->Result = R;
            Call->State = TSendCall::Done;
        }
        Call->Finished.notify_all();
    });
    std::unique_lock<std::mutex> Guard(Call->Lock);
    auto IsDone = [&] { return Call->State == TSendCall::Done; };
    if (Timeout == INFINITE)
        Call->Finished.wait(Guard, IsDone);
    else
        Call->Finished.wait_for(Guard, std::chrono::milliseconds(Timeout), IsDone);
    if (Call->State == TSendCall::Done) {
        Result = Call->Result;
        return true;
    }
    // Not started yet: withdrawn, it never runs. Running already: it finishes on its own.
    if (Call->State == TSendCall::Waiting) Call->State = TSendCall::Withdrawn;
    return false;
}

struct TPosted {
    HWND Wnd;
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
};

struct TPostQueue {
    std::mutex Lock;
    std::deque<TPosted> Queue;
};

TPostQueue& PostQueue() {
    static TPostQueue Q;
    return Q;
}

void WakeGuiThread(void (*Run)()) {
    if (QCoreApplication* App = QCoreApplication::instance())
        QMetaObject::invokeMethod(App, Run, Qt::QueuedConnection);
}

} // namespace

LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (OnGuiThread()) return DeliverMessage(Wnd, Msg, WParam, LParam);
    if (!IsWindow(Wnd)) return 0;
    LRESULT Result = 0;
    SendFromOtherThread(Wnd, Msg, WParam, LParam, INFINITE, Result);
    return Result;
}

LRESULT SendMessageTimeout(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT Flags, UINT Timeout,
                           LRESULT* Result) {
    (void)Flags;
    LRESULT R = 0;
    if (Result) *Result = 0;
    if (!IsWindow(Wnd)) return 0;
    if (OnGuiThread()) {
        R = DeliverMessage(Wnd, Msg, WParam, LParam);
    } else if (!SendFromOtherThread(Wnd, Msg, WParam, LParam, Timeout, R)) {
        return 0;
    }
    if (Result) *Result = R;
    return 1;
}

bool PostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Wnd && !IsWindow(Wnd)) return false;
    bool WasEmpty;
    {
        std::lock_guard<std::mutex> Guard(PostQueue().Lock);
        WasEmpty = PostQueue().Queue.empty();
        PostQueue().Queue.push_back({Wnd, Msg, WParam, LParam});
    }
    if (WasEmpty) WakeGuiThread([] { DeliverPostedMessages(); });
    return true;
}

bool DeliverPostedMessages() {
    std::deque<TPosted> Batch;
    {
        std::lock_guard<std::mutex> Guard(PostQueue().Lock);
        Batch.swap(PostQueue().Queue);
    }
    for (const TPosted& P : Batch) {
        GuiBarrier([&P] { return FindControl(P.Wnd); }, [&] {
            TMsg M{P.Wnd, P.Msg, P.WParam, P.LParam, 0, {}};
            if (Application && Application->PreDispatch(M)) return;
            if (P.Wnd) DeliverMessage(P.Wnd, P.Msg, P.WParam, P.LParam);
        });
    }
    return !Batch.empty();
}

bool HasPostedMessages() {
    std::lock_guard<std::mutex> Guard(PostQueue().Lock);
    return !PostQueue().Queue.empty();
}

void RunMainThreadCalls() {
    // One round: the calls queued so far. Each later call brings its own wake, so a thread that
    // calls without pause cannot keep timers, input and paints waiting. A call that raised
    // leaves the rest of its round queued: go on with them.
    while (!GuiBarrier(
        nullptr,
        [] {
            CheckSynchronize();
            return true;
        },
        false)) {
    }
}

void InstallMainThreadWaker() {
    SetWakeMainThread([] { WakeGuiThread([] { RunMainThreadCalls(); }); });
}

// ---- Keys and shift states ------------------------------------------------------------------

namespace {
std::array<Byte, 256>& KeyTable() {
    static std::array<Byte, 256> Keys{};
    return Keys;
}
} // namespace

void SetKeyDown(int VirtualKey, bool Down) {
    if (VirtualKey <= 0 || VirtualKey > 255) return;
    Byte& K = KeyTable()[static_cast<std::size_t>(VirtualKey)];
    if (Down) {
        if (!(K & 0x80)) K ^= 0x01;
        K |= 0x80;
    } else {
        K &= static_cast<Byte>(~0x80);
    }
}

bool GetKeyboardState(Byte* KeyState) {
    if (!KeyState) return false;
    std::copy(KeyTable().begin(), KeyTable().end(), KeyState);
    return true;
}

bool SetKeyboardState(const Byte* KeyState) {
    if (!KeyState) return false;
    std::copy(KeyState, KeyState + 256, KeyTable().begin());
    return true;
}

namespace {
std::atomic<bool> ThemeActive{false};
}

bool IsThemeActive() {
    return ThemeActive;
}

void SetThemeActive(bool Value) {
    ThemeActive = Value;
}

void MessageBeep() {
    QApplication::beep();
}

namespace {
// The hooks of each kind, oldest first. A handle carries its kind in its low bits and grows with
// every hook, so "installed before" is "smaller handle of the same kind" even for a hook that
// has gone meanwhile.
struct THookEntry {
    HHOOK Handle;
    HOOKPROC Proc;
};
constexpr HHOOK HookKindBits = 0xF;
std::vector<THookEntry>& HookList(int Kind) {
    static std::vector<THookEntry> Keyboard, Mouse;
    return Kind == WH_MOUSE ? Mouse : Keyboard;
}
HHOOK LastHookNumber = 0;

int KindOf(HHOOK Hook) {
    return static_cast<int>(Hook & HookKindBits);
}

// The answer of the newest hook of the kind installed before Below (all of them for Below 0).
LRESULT RunHooksBelow(int Kind, HHOOK Below, int Code, WPARAM WParam, LPARAM LParam) {
    const auto& Hooks = HookList(Kind);
    for (auto It = Hooks.rbegin(); It != Hooks.rend(); ++It) {
        if (Below && It->Handle >= Below) continue;
        // A copy: the procedure may remove its own hook while it runs.
        const HOOKPROC Proc = It->Proc;
        return Proc(Code, WParam, LParam);
    }
    return 0;
}
} // namespace

HHOOK SetWindowsHookEx(int IdHook, HOOKPROC Proc) {
    if ((IdHook != WH_KEYBOARD && IdHook != WH_MOUSE) || !Proc || !OnGuiThread()) return 0;
    const HHOOK Handle = (++LastHookNumber << 4) | static_cast<HHOOK>(IdHook);
    HookList(IdHook).push_back({Handle, std::move(Proc)});
    return Handle;
}

bool UnhookWindowsHookEx(HHOOK Hook) {
    if (!OnGuiThread() || !Hook) return false;
    const int Kind = KindOf(Hook);
    if (Kind != WH_KEYBOARD && Kind != WH_MOUSE) return false;
    auto& Hooks = HookList(Kind);
    const auto It = std::find_if(Hooks.begin(), Hooks.end(), [&](const auto& H) { return H.Handle == Hook; });
    if (It == Hooks.end()) return false;
    Hooks.erase(It);
    return true;
}

LRESULT CallNextHookEx(HHOOK Hook, int Code, WPARAM WParam, LPARAM LParam) {
    const int Kind = KindOf(Hook);
    if (!Hook || (Kind != WH_KEYBOARD && Kind != WH_MOUSE)) return 0;
    return RunHooksBelow(Kind, Hook, Code, WParam, LParam);
}

bool CallKeyboardHooks(WPARAM Key, LPARAM KeyData) {
    if (HookList(WH_KEYBOARD).empty() || !OnGuiThread()) return false;
    return RunHooksBelow(WH_KEYBOARD, 0, HC_ACTION, Key, KeyData) != 0;
}

bool CallMouseHooks(UINT Msg, const MOUSEHOOKSTRUCT& Info) {
    if (HookList(WH_MOUSE).empty() || !OnGuiThread()) return false;
    MOUSEHOOKSTRUCT Copy = Info;
    return RunHooksBelow(WH_MOUSE, 0, HC_ACTION, Msg, reinterpret_cast<LPARAM>(&Copy)) != 0;
}

UINT RegisterWindowMessage(const String& Name) {
    if (Name.empty()) return 0;
    static std::mutex Lock;
    static std::map<String, UINT> Registered;
    const std::lock_guard<std::mutex> Guard(Lock);
    const String Key = AnsiUpperCase(Name);
    auto It = Registered.find(Key);
    if (It != Registered.end()) return It->second;
    const UINT Id = 0xC000 + static_cast<UINT>(Registered.size());
    Registered.emplace(Key, Id);
    return Id;
}

std::int16_t GetKeyState(int VirtualKey) {
    if (VirtualKey <= 0 || VirtualKey > 255) return 0;
    const Byte K = KeyTable()[static_cast<std::size_t>(VirtualKey)];
    return static_cast<std::int16_t>(((K & 0x80) ? 0xFF80 : 0) | (K & 0x01));
}

void SyncModifierKeys(Qt::KeyboardModifiers Modifiers) {
    auto Sync = [](int VK, bool Down) {
        if ((GetKeyState(VK) < 0) != Down) SetKeyDown(VK, Down);
    };
    Sync(VK_SHIFT, Modifiers & Qt::ShiftModifier);
    Sync(VK_CONTROL, Modifiers & Qt::ControlModifier);
    Sync(VK_MENU, Modifiers & Qt::AltModifier);
}

void SyncMouseButtons(Qt::MouseButtons Buttons) {
    auto Sync = [](int VK, bool Down) {
        if ((GetKeyState(VK) < 0) != Down) SetKeyDown(VK, Down);
    };
    Sync(VK_LBUTTON, Buttons & Qt::LeftButton);
    Sync(VK_RBUTTON, Buttons & Qt::RightButton);
    Sync(VK_MBUTTON, Buttons & Qt::MiddleButton);
}

TShiftState KeyDataToShiftState(int KeyData) {
    TShiftState S;
    if (GetKeyState(VK_SHIFT) < 0) S.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) S.Include(ssCtrl);
    if (KeyData & KF_ALTDOWN_BIT) S.Include(ssAlt);
    return S;
}

TShiftState KeysToShiftState(int Keys) {
    TShiftState S;
    if (Keys & MK_SHIFT) S.Include(ssShift);
    if (Keys & MK_CONTROL) S.Include(ssCtrl);
    if (Keys & MK_LBUTTON) S.Include(ssLeft);
    if (Keys & MK_RBUTTON) S.Include(ssRight);
    if (Keys & MK_MBUTTON) S.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0) S.Include(ssAlt);
    return S;
}

TShiftState GetShiftState() {
    TShiftState S;
    if (GetKeyState(VK_SHIFT) < 0) S.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) S.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0) S.Include(ssAlt);
    if (GetKeyState(VK_LBUTTON) < 0) S.Include(ssLeft);
    if (GetKeyState(VK_RBUTTON) < 0) S.Include(ssRight);
    if (GetKeyState(VK_MBUTTON) < 0) S.Include(ssMiddle);
    return S;
}

int MouseKeysNow() {
    int Keys = 0;
    if (GetKeyState(VK_LBUTTON) < 0) Keys |= MK_LBUTTON;
    if (GetKeyState(VK_RBUTTON) < 0) Keys |= MK_RBUTTON;
    if (GetKeyState(VK_MBUTTON) < 0) Keys |= MK_MBUTTON;
    if (GetKeyState(VK_SHIFT) < 0) Keys |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0) Keys |= MK_CONTROL;
    return Keys;
}

// ---- Painting and window calls ----------------------------------------------------------------

void InvalidateRect(HWND Wnd, const TRect* Rect, bool Erase) {
    TWinControl* C = FindControl(Wnd);
    if (!C || !C->WindowPrivate()) return;
    TWindowPrivate* W = C->WindowPrivate();
    QRect Client = W->ClientArea();
    QRect Area = Rect ? ToQt(*Rect).translated(Client.topLeft()).intersected(Client) : Client;
    W->Invalidate(QRegion(Area), Erase);
}

void ValidateRect(HWND Wnd, const TRect* Rect) {
    TWinControl* C = FindControl(Wnd);
    if (!C || !C->WindowPrivate()) return;
    TWindowPrivate* W = C->WindowPrivate();
    if (!Rect)
        W->Invalid = QRegion();
    else
        W->Invalid -= QRegion(ToQt(*Rect).translated(W->ClientArea().topLeft()));
}

void UpdateWindow(HWND Wnd) {
    TWinControl* C = FindControl(Wnd);
    if (!C || !C->WindowPrivate()) return;
    C->WindowPrivate()->PaintInvalid();
}

void ScrollWindowEx(HWND Wnd, int DX, int DY, const TRect* Rect, const TRect* Clip, UINT Flags) {
    TWinControl* C = FindControl(Wnd);
    if (!C || !C->WindowPrivate()) return;
    TWindowPrivate* W = C->WindowPrivate();
    const QRect Client = W->ClientArea();
    const QRect Area = Rect ? ToQt(*Rect).translated(Client.topLeft()).intersected(Client) : Client;
    const QRect ClipArea = Clip ? ToQt(*Clip).translated(Client.topLeft()).intersected(Client) : Client;
    W->Scroll(DX, DY, Area, ClipArea);
    if (Flags & SW_SCROLLCHILDREN) {
        for (int I = 0; I < C->ControlCount(); ++I) {
            TControl* Child = C->Controls(I);
            if (Rect && !PtInRect(*Rect, Child->BoundsRect().TopLeft())) continue;
            Child->SetBounds(Child->Left() + DX, Child->Top() + DY, Child->Width(), Child->Height());
        }
    }
}

bool SetWindowPos(HWND Wnd, HWND InsertAfter, int X, int Y, int CX, int CY, UINT Flags) {
    TWinControl* C = FindControl(Wnd);
    if (!C) return false;
    if (!(Flags & SWP_NOZORDER)) {
        if (InsertAfter == HWND_TOP || InsertAfter == HWND_TOPMOST)
            C->BringToFront();
        else if (InsertAfter == HWND_BOTTOM)
            C->SendToBack();
    }
    const int L = (Flags & SWP_NOMOVE) ? C->Left() : X;
    const int T = (Flags & SWP_NOMOVE) ? C->Top() : Y;
    const int W = (Flags & SWP_NOSIZE) ? C->Width() : CX;
    const int H = (Flags & SWP_NOSIZE) ? C->Height() : CY;
    if (!(Flags & SWP_NOMOVE) || !(Flags & SWP_NOSIZE)) C->SetBounds(L, T, W, H);
    if (Flags & SWP_FRAMECHANGED)
        if (auto* Form = dynamic_cast<TCustomForm*>(C)) Form->UpdateTrackingSize();
    if (Flags & SWP_SHOWWINDOW) ShowWindow(Wnd, SW_SHOWNA);
    if (Flags & SWP_HIDEWINDOW) ShowWindow(Wnd, SW_HIDE);
    return true;
}

bool ShowWindow(HWND Wnd, int CmdShow) {
    TWinControl* C = FindControl(Wnd);
    if (!C) return false;
    const bool Was = C->Visible();
    C->SetVisible(CmdShow != SW_HIDE);
    return Was;
}

bool GetWindowPlacement(HWND Wnd, TWindowPlacement* Placement) {
    TWinControl* C = FindControl(Wnd);
    if (!C || !Placement) return false;
    Placement->flags = 0;
    Placement->showCmd = SW_SHOWNORMAL;
    Placement->rcNormalPosition = C->BoundsRect();
    if (auto* Form = dynamic_cast<TCustomForm*>(C); Form && Form->WindowState() != wsNormal) {
        Placement->showCmd = Form->WindowState() == wsMinimized ? SW_SHOWMINIMIZED : SW_SHOWMAXIMIZED;
        if (TWindowPrivate* P = C->WindowPrivate(); P && P->HasNormalBounds)
            Placement->rcNormalPosition = P->NormalBounds;
    }
    if (TWindowPrivate* P = C->WindowPrivate()) {
        Placement->ptMinPosition = P->MinPosition;
        Placement->ptMaxPosition = P->MaxPosition;
    }
    return true;
}

bool SetWindowPlacement(HWND Wnd, const TWindowPlacement* Placement) {
    TWinControl* C = FindControl(Wnd);
    if (!C || !Placement) return false;
    if (TWindowPrivate* P = C->WindowPrivate()) {
        P->MinPosition = Placement->ptMinPosition;
        P->MaxPosition = Placement->ptMaxPosition;
    }
    auto* Form = dynamic_cast<TCustomForm*>(C);
    const UINT Cmd = Placement->showCmd;
    TWindowState State = wsNormal;
    if (Cmd == SW_SHOWMINIMIZED || Cmd == SW_MINIMIZE || Cmd == SW_SHOWMINNOACTIVE)
        State = wsMinimized;
    else if (Cmd == SW_SHOWMAXIMIZED)
        State = wsMaximized;
    // The normal rectangle is the bounds of the restored window: restore first, move, then take
    // the state asked for.
    if (Form && Cmd != SW_HIDE && State == wsNormal) Form->SetWindowState(wsNormal);
    if (!Form || Form->WindowState() == wsNormal) {
        if (C->BoundsRect() != Placement->rcNormalPosition) C->SetBoundsRect(Placement->rcNormalPosition);
    } else if (TWindowPrivate* P = C->WindowPrivate()) {
        P->NormalBounds = Placement->rcNormalPosition; // taken when the window is restored
        P->HasNormalBounds = true;
    }
    if (Cmd == SW_HIDE) return true;
    if (Form) Form->SetWindowState(State);
    if (!C->Visible()) C->SetVisible(true);
    return true;
}

bool IsIconic(HWND Wnd) {
    auto* Form = dynamic_cast<TCustomForm*>(FindControl(Wnd));
    return Form && Form->WindowState() == wsMinimized;
}

bool IsZoomed(HWND Wnd) {
    auto* Form = dynamic_cast<TCustomForm*>(FindControl(Wnd));
    return Form && Form->WindowState() == wsMaximized;
}

// ---- Window regions ----

struct TRegion {
    QRegion Region;
};

HRGN CreateRectRgn(int X1, int Y1, int X2, int Y2) {
    return new TRegion{QRegion(QRect(QPoint(X1, Y1), QPoint(X2 - 1, Y2 - 1)).normalized())};
}

HRGN CreateRoundRectRgn(int X1, int Y1, int X2, int Y2, int EllipseWidth, int EllipseHeight) {
    const QRect R = QRect(QPoint(X1, Y1), QPoint(X2 - 1, Y2 - 1)).normalized();
    const int W = std::clamp(EllipseWidth, 0, R.width());
    const int H = std::clamp(EllipseHeight, 0, R.height());
    if (W < 2 || H < 2) return new TRegion{QRegion(R)};
    // Two crossing bands and an ellipse in each corner.
    QRegion Region = QRegion(R.adjusted(W / 2, 0, -(W / 2), 0)) | QRegion(R.adjusted(0, H / 2, 0, -(H / 2)));
    for (const QPoint& Corner :
         {R.topLeft(), QPoint(R.right() - W + 1, R.top()), QPoint(R.left(), R.bottom() - H + 1),
          QPoint(R.right() - W + 1, R.bottom() - H + 1)})
        Region |= QRegion(QRect(Corner, QSize(W, H)), QRegion::Ellipse);
    return new TRegion{Region};
}

bool PtInRegion(HRGN Rgn, int X, int Y) {
    return Rgn && Rgn->Region.contains(QPoint(X, Y));
}

void DeleteRgn(HRGN Rgn) {
    delete Rgn;
}

int CombineRgn(HRGN Dest, HRGN Src1, HRGN Src2, int Mode) {
    if (!Dest || !Src1 || (Mode != RGN_COPY && !Src2)) return RGN_ERROR;
    QRegion Result;
    switch (Mode) {
    case RGN_AND:
        Result = Src1->Region & Src2->Region;
        break;
    case RGN_OR:
        Result = Src1->Region | Src2->Region;
        break;
    case RGN_XOR:
        Result = Src1->Region ^ Src2->Region;
        break;
    case RGN_DIFF:
        Result = Src1->Region - Src2->Region;
        break;
    case RGN_COPY:
        Result = Src1->Region;
        break;
    default:
        return RGN_ERROR;
    }
    Dest->Region = Result;
    if (Result.isEmpty()) return NULLREGION;
    return Result.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

bool SetWindowRgn(HWND Wnd, HRGN Rgn, bool Redraw) {
    std::unique_ptr<TRegion> Owned(Rgn);
    QWidget* Widget = WidgetOfHandle(Wnd);
    if (!Widget) return false;
    if (Owned)
        Widget->setMask(Owned->Region);
    else
        Widget->clearMask();
    if (Redraw) Widget->update();
    return true;
}

int GetWindowRgn(HWND Wnd, HRGN Rgn) {
    QWidget* Widget = WidgetOfHandle(Wnd);
    if (!Widget || !Rgn || Widget->mask().isEmpty()) return RGN_ERROR;
    Rgn->Region = Widget->mask();
    return Rgn->Region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

bool IsWindowVisible(HWND Wnd) {
    TWinControl* C = FindControl(Wnd);
    return C && C->Showing();
}

bool IsWindowEnabled(HWND Wnd) {
    TWinControl* C = FindControl(Wnd);
    return C && C->Enabled();
}

bool EnableWindow(HWND Wnd, bool Enable) {
    TWinControl* C = FindControl(Wnd);
    if (!C) return false;
    const bool WasDisabled = !C->Enabled();
    C->SetEnabled(Enable);
    return WasDisabled;
}

bool GetClientRect(HWND Wnd, TRect& Rect) {
    TWinControl* C = FindControl(Wnd);
    if (!C) return false;
    Rect = C->ClientRect();
    return true;
}

bool GetWindowRect(HWND Wnd, TRect& Rect) {
    TWinControl* C = FindControl(Wnd);
    if (!C) return false;
    TPoint P =
        C->Parent() ? C->Parent()->ClientToScreen(C->BoundsRect().TopLeft()) : C->BoundsRect().TopLeft();
    Rect = Bounds(P.X, P.Y, C->Width(), C->Height());
    return true;
}

bool ClientToScreen(HWND Wnd, TPoint& Point) {
    TWinControl* C = FindControl(Wnd);
    if (!C) return false;
    Point = C->ClientToScreen(Point);
    return true;
}

bool ScreenToClient(HWND Wnd, TPoint& Point) {
    TWinControl* C = FindControl(Wnd);
    if (!C) return false;
    Point = C->ScreenToClient(Point);
    return true;
}

HWND GetParent(HWND Wnd) {
    TWinControl* C = FindControl(Wnd);
    return C && C->Parent() ? C->Parent()->WindowHandle() : 0;
}

HWND WindowFromPoint(const TPoint& Point) {
    // Our own windows in their stacking order (the active form first), down to the deepest
    // child window under the point.
    if (!Screen) return 0;
    for (int I = 0; I < Screen->FormCount(); ++I) {
        TWinControl* W = Screen->Forms(I);
        if (!W->Showing() || !W->HandleAllocated()) continue;
        const TPoint Origin = W->ClientToScreen({0, 0});
        const TRect M = W->NonClientMargins();
        if (!PtInRect(Bounds(Origin.X - M.Left, Origin.Y - M.Top, W->Width(), W->Height()), Point)) continue;
        for (;;) {
            auto* Child = dynamic_cast<TWinControl*>(W->ControlAtPos(W->ScreenToClient(Point), true, true));
            if (!Child || !Child->Showing() || !Child->HandleAllocated()) break;
            W = Child;
        }
        return W->WindowHandle();
    }
    return 0;
}

namespace {
TPoint GCursorPos;
HCURSOR GCursor = crDefault;
} // namespace

void NoteCursorPos(const TPoint& Screen) {
    GCursorPos = Screen;
}

bool GetCursorPos(TPoint& Point) {
    // The offscreen platform has no pointer of its own: the last position a mouse event
    // carried is the truth there, and it is as good elsewhere.
    Point = GCursorPos;
    return true;
}

bool SetCursorPos(int X, int Y) {
    GCursorPos = {X, Y};
    if (qApp) QCursor::setPos(X, Y);
    return true;
}

HCURSOR SetCursor(HCURSOR Cursor) {
    const HCURSOR Old = GCursor;
    GCursor = Cursor;
    if (TControl* C = GetMouseControl()) {
        TWinControl* W = dynamic_cast<TWinControl*>(C);
        if (!W) W = C->Parent();
        if (TQtWindow* Q = W ? WindowOf(W) : nullptr) {
            // A picture cursor is set again only when it is another one.
            const QVariant Shown = Q->property("morvaneCursor");
            if (!Shown.isValid() || Shown.toLongLong() != static_cast<qlonglong>(Cursor)) {
                Q->setCursor(QtCursorOf(Cursor));
                Q->setProperty("morvaneCursor", static_cast<qlonglong>(Cursor));
            }
        }
    }
    return Old;
}

HCURSOR GetCursor() {
    return GCursor;
}

// ---- Capture, focus, activation ---------------------------------------------------------------

namespace {
HWND GCapture = 0;
HWND GFocus = 0;
HWND GActive = 0;
} // namespace

HWND GetCapture() {
    return GCapture;
}

HWND SetCapture(HWND Wnd) {
    const HWND Old = GCapture;
    if (Old == Wnd) return Old;
    GCapture = Wnd;
    if (Old) SendMessage(Old, WM_CAPTURECHANGED, 0, static_cast<LPARAM>(Wnd));
    return Old;
}

bool ReleaseCapture() {
    SetCapture(0);
    return true;
}

HWND GetFocus() {
    return GFocus;
}

HWND SetFocus(HWND Wnd) {
    if (Wnd && !IsWindow(Wnd)) return 0;
    const HWND Old = GFocus;
    if (Old == Wnd) return Old;
    GFocus = Wnd;
    if (Old && IsWindow(Old)) SendMessage(Old, WM_KILLFOCUS, Wnd, 0);
    if (Wnd && GFocus == Wnd) {
        if (QWidget* W = WidgetOfHandle(Wnd)) {
            if (!W->hasFocus()) W->setFocus(Qt::OtherFocusReason);
        }
        SendMessage(Wnd, WM_SETFOCUS, Old, 0);
    }
    return Old;
}

void ForgetWindow(HWND Wnd) {
    if (GCapture == Wnd) GCapture = 0;
    if (GFocus == Wnd) GFocus = 0;
    if (GActive == Wnd) GActive = 0;
    KillWindowTimers(Wnd);
    if (CaretOwner() == Wnd) DestroyCaret();
    ForgetInputMethod(Wnd);
}

HWND GetActiveWindow() {
    return GActive;
}

void SetActiveWindowHandle(HWND Wnd) {
    const HWND Old = GActive;
    if (Old == Wnd) return;
    GActive = Wnd;
    if (Old && IsWindow(Old)) SendMessage(Old, WM_ACTIVATE, WA_INACTIVE, static_cast<LPARAM>(Wnd));
    if (Wnd && GActive == Wnd) SendMessage(Wnd, WM_ACTIVATE, WA_ACTIVE, static_cast<LPARAM>(Old));
}

// ---- Timers -----------------------------------------------------------------------------------

namespace {

std::map<std::pair<HWND, UINT_PTR>, QPointer<QTimer>>& Timers() {
    static std::map<std::pair<HWND, UINT_PTR>, QPointer<QTimer>> T;
    return T;
}

UINT_PTR GNextTimerId = 0x7F00;

} // namespace

UINT_PTR SetTimer(HWND Wnd, UINT_PTR IDEvent, UINT Elapse) {
    if (Wnd && !IsWindow(Wnd)) return 0;
    if (!Wnd) IDEvent = ++GNextTimerId;
    auto& Slot = Timers()[{Wnd, IDEvent}];
    if (!Slot) {
        Slot = new QTimer();
        QObject::connect(Slot.data(), &QTimer::timeout, [Wnd, IDEvent] {
            if (Wnd && !IsWindow(Wnd)) {
                KillTimer(Wnd, IDEvent);
                return;
            }
            GuiBarrier([Wnd] { return FindControl(Wnd); }, [&] {
                TMsg M{Wnd, WM_TIMER, IDEvent, 0, 0, {}};
                if (Application && Application->PreDispatch(M)) return;
                if (Wnd) DeliverMessage(Wnd, WM_TIMER, IDEvent, 0);
            });
        });
    }
    Slot->start(static_cast<int>(std::clamp(Elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM)));
    return IDEvent;
}

bool KillTimer(HWND Wnd, UINT_PTR IDEvent) {
    auto It = Timers().find({Wnd, IDEvent});
    if (It == Timers().end()) return false;
    if (It->second) {
        It->second->stop();
        It->second->deleteLater();
    }
    Timers().erase(It);
    return true;
}

void KillWindowTimers(HWND Wnd) {
    for (auto It = Timers().begin(); It != Timers().end();) {
        if (It->first.first == Wnd) {
            if (It->second) {
                It->second->stop();
                It->second->deleteLater();
            }
            It = Timers().erase(It);
        } else {
            ++It;
        }
    }
}

// ---- Caret --------------------------------------------------------------------------------------

namespace {

struct TCaret {
    HWND Owner = 0;
    int Width = 0;
    int Height = 0;
    TPoint Pos;
    int HideLevel = 1; // shown while 0
    bool Phase = false;
    QPointer<QTimer> Blink;
};

TCaret& Caret() {
    static TCaret C;
    return C;
}

void UpdateCaretArea() {
    TCaret& C = Caret();
    TWinControl* Control = FindControl(C.Owner);
    if (!Control || !Control->WindowPrivate() || !Control->WindowPrivate()->Widget) return;
    const QPoint Origin = Control->WindowPrivate()->ClientArea().topLeft();
    Control->WindowPrivate()->Widget->update(
        QRect(Origin + QPoint(C.Pos.X, C.Pos.Y), QSize(C.Width, C.Height)));
}

void RestartBlink() {
    TCaret& C = Caret();
    C.Phase = true;
    if (!QCoreApplication::instance()) return;
    if (!C.Blink) {
        C.Blink = new QTimer();
        QObject::connect(C.Blink.data(), &QTimer::timeout, [] {
            Caret().Phase = !Caret().Phase;
            GuiBarrier(nullptr, [] { UpdateCaretArea(); });
        });
    }
    C.Blink->start(static_cast<int>(GetCaretBlinkTime()));
}

} // namespace

HWND CaretOwner() {
    return Caret().Owner;
}

bool CaretRect(HWND Wnd, TRect& Rect) {
    const TCaret& C = Caret();
    if (C.Owner != Wnd || C.HideLevel > 0 || !C.Phase) return false;
    Rect = Bounds(C.Pos.X, C.Pos.Y, C.Width, C.Height);
    return true;
}

bool CaretBounds(HWND Wnd, TRect& Rect) {
    const TCaret& C = Caret();
    if (!Wnd || C.Owner != Wnd) return false;
    Rect = Bounds(C.Pos.X, C.Pos.Y, C.Width, C.Height);
    return true;
}

bool CreateCaret(HWND Wnd, int Width, int Height) {
    if (!IsWindow(Wnd)) return false;
    DestroyCaret();
    TCaret& C = Caret();
    C.Owner = Wnd;
    C.Width = Width > 0 ? Width : 1;
    C.Height = Height;
    C.HideLevel = 1;
    InputMethodCursorMoved(Wnd);
    return true;
}

bool DestroyCaret() {
    TCaret& C = Caret();
    if (!C.Owner) return false;
    UpdateCaretArea();
    if (C.Blink) C.Blink->stop();
    const HWND Old = C.Owner;
    C.Owner = 0;
    C.HideLevel = 1;
    InputMethodCursorMoved(Old);
    return true;
}

bool SetCaretPos(int X, int Y) {
    TCaret& C = Caret();
    if (!C.Owner) return false;
    UpdateCaretArea();
    C.Pos = {X, Y};
    if (C.HideLevel == 0) RestartBlink();
    UpdateCaretArea();
    InputMethodCursorMoved(C.Owner);
    return true;
}

bool GetCaretPos(TPoint& Point) {
    Point = Caret().Pos;
    return Caret().Owner != 0;
}

bool ShowCaret(HWND Wnd) {
    TCaret& C = Caret();
    if (!C.Owner || (Wnd && Wnd != C.Owner) || C.HideLevel == 0) return false;
    if (--C.HideLevel == 0) {
        RestartBlink();
        UpdateCaretArea();
    }
    return true;
}

bool HideCaret(HWND Wnd) {
    TCaret& C = Caret();
    if (!C.Owner || (Wnd && Wnd != C.Owner)) return false;
    if (C.HideLevel++ == 0) {
        if (C.Blink) C.Blink->stop();
        UpdateCaretArea();
    }
    return true;
}

UINT GetCaretBlinkTime() {
    return 530;
}

// ---- System values ------------------------------------------------------------------------------

UINT GetDoubleClickTime() {
    return 500;
}

UINT GetWheelScrollLines() {
    return 3;
}

int GetSystemMetrics(int Index) {
    switch (Index) {
    case SM_CXSCREEN:
        return Screen ? Screen->Width() : 1024;
    case SM_CYSCREEN:
        return Screen ? Screen->Height() : 768;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return 17;
    case SM_CYCAPTION:
        return 19;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYMENU:
        return 19;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG:
        return 4;
    case SM_CMONITORS:
        return Screen ? Screen->MonitorCount() : 1;
    default:
        return 0;
    }
}
