#pragma once
// Forms, the application and the screen.
//
// A form is built in code in its constructor, in the order a designer's loader would: inside
// BuildForm the components are created (each gets csLoading) and their stored properties set;
// then Loaded runs on the form and on each component, then OnCreate fires:
//
//   TfrmMain::TfrmMain(TComponent* AOwner) : TForm(AOwner) {
//       BuildForm([this] {
//           SetCaption(u"Morvane - Arduino front-end");
//           pnlLeft = new TPanel(this);
//           pnlLeft->SetParent(this);
//           pnlLeft->SetAlign(alLeft);
//           OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
//       });
//   }

#include "platform/base/ScopeGuard.h"
#include "platform/gui/Controls.h"
#include "platform/base/MethodPointer.h"
#include "platform/gui/ModalResults.h"

#include <functional>
#include <memory>
#include <map>
#include <vector>

class TMainMenu;
class TMonitor;
class THintWindow;
class TStrings;
class TBasicAction;

namespace Forms {
DECLARE_ENUM(TFormBorderStyle, Byte, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
}
using Forms::TFormBorderStyle;

DECLARE_ENUM(TPosition, Byte, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
             poDesktopCenter, poMainFormCenter, poOwnerFormCenter)
DECLARE_ENUM(TBorderIcon, Byte, biSystemMenu, biMinimize, biMaximize, biHelp)
using TBorderIcons = TSet<TBorderIcon>;
DECLARE_ENUM(TFormStyle, Byte, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop)
DECLARE_ENUM(TWindowState, Byte, wsNormal, wsMinimized, wsMaximized)
DECLARE_ENUM(TCloseAction, Byte, caNone, caHide, caFree, caMinimize)
DECLARE_ENUM(TFormStateItem, Byte, fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated)
using TFormState = TSet<TFormStateItem>;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TShortCutEvent = std::function<void(TWMKey& Msg, bool& Handled)>;

// ---- Forms ------------------------------------------------------------------------------------

class TCustomForm : public TWinControl {
    DECLARE_CLASS(TCustomForm, TWinControl)
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    // -- Window --
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(const TBorderIcons& Value);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle Value);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState Value);
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool Value) { FKeyPreview = Value; }
    TMainMenu* Menu() const { return FMenu; }
    void SetMenu(TMainMenu* Value);
    TFormState FormState() const { return FFormState; }
    // True while the form is the active window.
    bool Active() const { return FActive; }

    // -- Focus --
    TWinControl* ActiveControl() const { return FActiveControl; }
    // EInvalidOperation "Cannot focus a disabled or invisible window" for a control that
    // cannot take the focus (while loading it is only remembered).
    void SetActiveControl(TWinControl* Control);
    void FocusControl(TWinControl* Control);
    // Moves the form's focus bookkeeping to Control: CM_EXIT from the old focus up to the
    // common parent, CM_ENTER down to the new one, CM_FOCUSCHANGED. False when a handler moved
    // the focus elsewhere meanwhile.
    virtual bool SetFocusedControl(TWinControl* Control);
    void DefocusControl(TWinControl* Control, bool Removing);

    // -- Showing and closing --
    void Show();
    void Hide();
    // Shows the form modally through the question service (a test's script may answer for the
    // user) and returns its ModalResult; raises EInvalidOperation "Cannot make a visible window
    // modal" for a form already shown.
    virtual int ShowModal();
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    // OnCloseQuery may refuse; OnClose chooses the close action. A modal form just answers
    // mrCancel; the main form ends the application.
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the messages being handled now are done.
    void Release();
    void BringToFront();
    void SetFocus() override;
    bool CanFocus() const override;

    // Shortcuts: OnShortCut, then the form's menu and action lists (through the hooks the
    // menu and action units install).
    virtual bool IsShortCut(TWMKey& Message);

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TShortCutEvent OnShortCut;

    void Loaded() override;
    void BeforeDestruction() override;
    TRect NonClientMargins() const override;

    // The menu and action units answer shortcuts of a form here (its main menu, its action
    // lists); the first that takes the key ends the search.
    using TShortCutHook = std::function<bool(TCustomForm* Form, TWMKey& Message)>;
    static void AddShortCutHook(TShortCutHook Hook);

    // Asks WM_GETMINMAXINFO again and gives the window the tracking sizes it answers, the sizes
    // between which the user may drag a sizeable form (SetWindowPos with SWP_FRAMECHANGED does
    // this). Sizes set in code are held to the same limits while the window exists.
    void UpdateTrackingSize();

protected:
    // Builds the form: Build creates the components and sets their stored properties (each
    // component created meanwhile starts with csLoading); then Loaded runs on the form and on
    // every component it owns, in creation order, and OnCreate fires (an exception of
    // OnCreate goes to the application's exception handling and the form stays).
    void BuildForm(const std::function<void()>& Build);

    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();

    void CreateParams(TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;
    void WMClose(TWMClose& Message);
    void WMActivate(TMessage& Message);
    void CMShowingChanged(TMessage& Message) override;
    void CMDialogKey(TCMDialogKey& Message) override;
    void CMRelease(TMessage& Message);
    void SetVisibleInternal(bool Value);
    void ConstrainedResize(int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight) override;

private:
    friend class TApplication;
    TFormBorderStyle FBorderStyle = Forms::bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDesigned;
    TWindowState FWindowState = wsNormal;
    bool FKeyPreview = false;
    TMainMenu* FMenu = nullptr;
    TFormState FFormState;
    bool FActive = false;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    TModalResult FModalResult = mrNone;
    int FBuilding = 0;

    void ApplyPosition();
    void ApplyWindowFlags();
    // The limits WM_GETMINMAXINFO answers; false for a form of fixed size or without a window.
    bool QueryTrackingSize(TMinMaxInfo& Info);
    int RunModalLoop();
    void CloseModal();
    void SetWindowFocus();

    static void Published(TPublisher<TCustomForm>& P);
};

class TForm : public TCustomForm {
    DECLARE_CLASS(TForm, TCustomForm)
public:
    explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

using TFormClass = TClass;

// The form a control sits on (its topmost parent when that is a form); null when none.
TCustomForm* GetParentForm(TControl* Control, bool TopForm = true);
// The same, raising EInvalidOperation "Control '%s' has no parent window" when there is none.
TCustomForm* ValidParentForm(TControl* Control, bool TopForm = true);

// ---- Hint window ------------------------------------------------------------------------------

// The small window that shows a hint: the text on the hint colour with a thin frame.
class THintWindow : public TCustomControl {
    DECLARE_CLASS(THintWindow, TCustomControl)
public:
    explicit THintWindow(TComponent* AOwner);
    ~THintWindow() override;
    // Shows AHint at Rect (screen).
    virtual void ActivateHint(TRect Rect, const String& AHint);
    // The size the hint needs (at most MaxWidth wide), at (0, 0).
    virtual TRect CalcHintRect(int MaxWidth, const String& AHint, void* AData);
    void ReleaseHandle();
    // Whether a message that arrives while a hint is up or pending ends it: key presses, mouse
    // presses and the pointer moving over a window's frame.
    virtual bool IsHintMsg(TMsg& Msg);
    // The common rule of IsHintMsg, also for the time before the first hint window exists.
    static bool CancelsHint(UINT Msg);

protected:
    void Paint() override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;

public:
    TRect NonClientMargins() const override { return {}; }
};

// ---- Application ------------------------------------------------------------------------------

using TExceptionEvent = std::function<void(TObject* Sender, Exception* E)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TMessageEvent = std::function<void(TMsg& Msg, bool& Handled)>;
using TShowHintEvent = std::function<void(String& HintStr, bool& CanShow, THintInfo& HintInfo)>;
using TActionEvent = std::function<void(TBasicAction* Action, bool& Handled)>;
using THelpEvent = std::function<bool(Word Command, std::intptr_t Data, bool& CallHelp)>;
// A hook on the application's hidden window: true when it handled the message.
using TWindowHook = TMethodPointer<bool(TMessage& Message)>;

class TApplication : public TComponent {
    DECLARE_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    // Makes the Qt application object when there is none (keeps one made by the program).
    void Initialize();
    // Creates a form owned by the application and stores it in Reference before its
    // constructor runs (so that the form's own code can reach it there); the first form
    // becomes the main form. Arguments after the owner go to the form's constructor. On failure
    // Reference is null again and the exception passes on.
    template <class T, class... TArgs> void CreateForm(T*& Reference, TArgs&&... Args);
    // Shows the main form and handles messages until Terminate (the main form closing).
    void Run();
    // Handles every waiting message, then returns.
    void ProcessMessages();
    // Handles waiting messages, or idles (OnIdle) and waits for the next one.
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return FTerminated; }

    const String& Title() const { return FTitle; }
    void SetTitle(const String& Value);
    // The program file's full path.
    String ExeName() const;
    TCustomForm* MainForm() const { return FMainForm; }
    // The application's own hidden window (messages to the program).
    HWND Handle();
    bool Active() const { return FActive; }
    bool ShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool Value) { FShowMainForm = Value; }

    // Exceptions: OnException when assigned, else ShowException; EAbort is silent. Call it
    // inside a catch block (or pass the exception).
    void HandleException(TObject* Sender);
    void HandleException(TObject* Sender, std::exception_ptr Error);
    // The application's exception box with the message (through the question service).
    void ShowException(Exception* E);
    // A message box through the question service, as MessageBox asks it.
    int MessageBox(const String& Text, const String& Caption, unsigned Flags = 0);

    // Hints.
    const String& Hint() const { return FHint; }
    void SetHint(const String& Value);
    TColor HintColor() const { return FHintColor; }
    void SetHintColor(TColor Value) { FHintColor = Value; }
    int HintPause() const { return FHintPause; }
    void SetHintPause(int Value) { FHintPause = Value; }
    int HintShortPause() const { return FHintShortPause; }
    void SetHintShortPause(int Value) { FHintShortPause = Value; }
    int HintHidePause() const { return FHintHidePause; }
    void SetHintHidePause(int Value) { FHintHidePause = Value; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    void CancelHint();
    // Ends the hint when the hint window (or, without one, the common rule) claims Msg.
    void CancelHintFor(TMsg& Msg);
    // Shows the hint of the control under CursorPos (screen) now.
    void ActivateHint(const TPoint& CursorPos);
    // Shows Control's hint for the pointer where it last moved, now: for a control that runs
    // its own hint pause (CM_HINTSHOWPAUSE).
    void ActivateHint(TControl* Control);
    // The control whose hint is pending or shown (null when none).
    TControl* HintControl() const { return FHintControl; }
    // Whether a hint is shown now.
    bool HintActive() const { return FHintActive; }
    // The hint window shown now (null when none).
    THintWindow* HintWindow() const { return FHintWindow; }
    // Mouse messages feed the hint timing (called by the controls).
    void HintMouseMessage(TControl* Control, TMessage& Message);

    void BringToFront();
    // Minimise or restore every form of the program (OnMinimize, OnRestore); WM_SYSCOMMAND with
    // SC_MINIMIZE or SC_RESTORE to the application's window does the same.
    void Minimize();
    void Restore();

    // Hooks on the application's hidden window run before it handles a message, the newest
    // first, until one answers true; a hook may remove itself or another while it runs.
    void HookMainWindow(const TWindowHook& Hook);
    void UnhookMainWindow(const TWindowHook& Hook);

    // An action not handled by its list: OnActionExecute / OnActionUpdate; true when handled.
    bool ExecuteAction(TBasicAction* Action);
    bool UpdateAction(TBasicAction* Action);
    // Keys no form took: OnShortCut, then the main form's shortcuts (unless it is ExceptForm).
    bool IsShortCut(TWMKey& Message, TCustomForm* ExceptForm = nullptr);
    // A help request: OnHelp's answer, false without a handler.
    bool HelpCommand(Word Command, std::intptr_t Data);
    // A form's modal run begins or ends (OnModalBegin, OnModalEnd).
    void ModalStarted();
    void ModalFinished();

    // Posted messages and timers pass here before their window: true when OnMessage handled it.
    bool PreDispatch(TMsg& Msg);
    // Keys pass here before their window: OnMessage, then CN_KEYDOWN… (dialog keys, shortcuts).
    // True when the key was taken and must not reach the window.
    bool IsKeyMsg(TWinControl* Target, TMsg& Msg);

    TExceptionEvent OnException;
    TIdleEvent OnIdle;
    TMessageEvent OnMessage;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnHint;
    TShowHintEvent OnShowHint;
    TActionEvent OnActionExecute;
    TActionEvent OnActionUpdate;
    TShortCutEvent OnShortCut;
    THelpEvent OnHelp;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    TNotifyEvent OnModalBegin;
    TNotifyEvent OnModalEnd;

    // The layer tells the application when the program gains or loses the active window.
    void DoApplicationActiveChange(bool Active);

protected:
    virtual void Idle();

private:
    friend class TCustomForm;
    friend class THintWindow;
    friend struct TApplicationPrivate;
    String FTitle;
    TCustomForm* FMainForm = nullptr;
    bool FTerminated = false;
    bool FActive = false;
    bool FShowMainForm = true;
    HWND FHandle = 0;
    String FHint;
    TColor FHintColor = clInfoBk;
    int FHintPause = 500;
    int FHintShortPause = 50;
    int FHintHidePause = 2500;
    bool FShowHint = true;
    THintWindow* FHintWindow = nullptr;
    TControl* FHintControl = nullptr;
    bool FHintActive = false;
    std::vector<TWindowHook> FWindowHooks;
    std::unique_ptr<struct TApplicationPrivate> FPriv;

    void CreateFormInstance(TCustomForm* Form);
    void WndProc(TMessage& Message);
    void HintTimerExpired();
    void StartHintTimer(int Value);
    void StopHintTimer();
    void DoShowHint(TControl* Control, const TPoint& CursorPos);
    void Notification(TComponent* AComponent, TOperation Operation) override;
};

template <class T, class... TArgs> void TApplication::CreateForm(T*& Reference, TArgs&&... Args) {
    static_assert(std::is_base_of_v<TCustomForm, T>, "CreateForm makes forms");
    void* Memory = T::operator new(sizeof(T));
    Reference = static_cast<T*>(Memory);
    TScopeExit Failed([&] {
        Reference = nullptr;
        T::operator delete(Memory);
    });
    ::new (Memory) T(this, std::forward<TArgs>(Args)...);
    Failed.Release();
    CreateFormInstance(Reference);
}

// ---- Screen -----------------------------------------------------------------------------------

class TMonitor : public TObject {
    DECLARE_CLASS(TMonitor, TObject)
public:
    int MonitorNum() const { return FMonitorNum; }
    bool Primary() const { return FPrimary; }
    TRect BoundsRect() const { return FBounds; }
    TRect WorkareaRect() const { return FWorkarea; }
    int Left() const { return FBounds.Left; }
    int Top() const { return FBounds.Top; }
    int Width() const { return FBounds.Width(); }
    int Height() const { return FBounds.Height(); }

private:
    friend class TScreen;
    int FMonitorNum = 0;
    bool FPrimary = false;
    TRect FBounds;
    TRect FWorkarea;
};

class TScreen : public TComponent {
    DECLARE_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;

    // crDefault shows each control's own cursor; anything else (the hourglass while working)
    // shows everywhere.
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    // The cursor table: a cursor number's handle. A number shows as the standard cursor of its
    // handle, so an entry set to another cursor's handle is an alias of that cursor.
    HCURSOR Cursors(int Index) const;
    void SetCursors(int Index, HCURSOR Handle);

    int FormCount() const { return static_cast<int>(FForms.size()); }
    TCustomForm* Forms(int Index) const;
    int CustomFormCount() const { return FormCount(); }
    TCustomForm* CustomForms(int Index) const { return Forms(Index); }
    TCustomForm* ActiveForm() const { return FActiveForm; }
    TCustomForm* ActiveCustomForm() const { return FActiveForm; }
    TWinControl* ActiveControl() const { return FActiveControl; }
    TCustomForm* FocusedForm() const { return FFocusedForm; }

    // The primary screen (1024 x 768 without a GUI application).
    int Width() const;
    int Height() const;
    // The whole desktop: every monitor together.
    int DesktopWidth() const;
    int DesktopHeight() const;
    TRect WorkAreaRect() const;
    int WorkAreaWidth() const { return WorkAreaRect().Width(); }
    int WorkAreaHeight() const { return WorkAreaRect().Height(); }
    int MonitorCount() const;
    TMonitor* Monitors(int Index) const;
    TMonitor* MonitorFromPoint(const TPoint& Point) const;
    int PixelsPerInch() const { return 96; }
    // The font families installed, sorted.
    TStrings* Fonts() const;
    TFont* HintFont() const { return FHintFont.get(); }

    TNotifyEvent OnActiveFormChange;
    TNotifyEvent OnActiveControlChange;

private:
    friend class TCustomForm;
    friend class TApplication;
    std::map<int, HCURSOR> FCursorTable;
    TCursor FCursor = crDefault;
    std::vector<TCustomForm*> FForms;
    TCustomForm* FActiveForm = nullptr;
    TCustomForm* FFocusedForm = nullptr;
    TWinControl* FActiveControl = nullptr;
    mutable std::vector<std::unique_ptr<TMonitor>> FMonitors;
    mutable std::unique_ptr<TStrings> FFonts;
    std::unique_ptr<TFont> FHintFont;

    void AddForm(TCustomForm* Form);
    void RemoveForm(TCustomForm* Form);
    void SetActiveForm(TCustomForm* Form);
    void SetActiveControl(TWinControl* Control);
    void UpdateMonitors() const;
};

extern TApplication* Application;
extern TScreen* Screen;

// Ends the program's GUI: frees the application's forms (their OnDestroy runs) while Qt still
// runs, then the Qt application object that Initialize made. Programs call it after Run.
void DoneApplication();

// Registers the classes of this unit (part of RegisterPlatformGuiClasses).
void RegisterFormsClasses();
