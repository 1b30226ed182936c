#include "platform/gui/Forms.h"

#include "platform/base/Files.h"
#include "platform/base/Lists.h"
#include "platform/base/Idle.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Threads.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ControlsQt.h"
#include "platform/gui/GraphicsQt.h"
#include "platform/gui/MessagesPrivate.h"
#include "platform/gui/Questions.h"
#include "platform/gui/QuestionsQt.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

namespace {

std::vector<TCustomForm::TShortCutHook>& ShortCutHooks() {
    static std::vector<TCustomForm::TShortCutHook> Hooks;
    return Hooks;
}

std::function<void(TCustomForm*)>& FormMenuHook() {
    static std::function<void(TCustomForm*)> Hook;
    return Hook;
}

} // namespace

void SetFormMenuHook(std::function<void(TCustomForm* Form)> Hook) {
    FormMenuHook() = std::move(Hook);
}

void SetFormMenuBar(TCustomForm* Form, QWidget* MenuBar) {
    TWindowPrivate* W = Form->WindowPrivate();
    if (!W || !W->Widget) return;
    if (W->MenuBar && W->MenuBar != MenuBar) W->MenuBar->hide();
    W->MenuBar = MenuBar;
    if (MenuBar) {
        MenuBar->setParent(W->Widget);
        MenuBar->show();
    }
    W->MenuBarChanged();
}

// Brings a top-level window up and asks for activation (the offscreen platform has no stacking
// of its own and says so for every raise).
static void RaiseWindow(QWidget* W) {
    if (QGuiApplication::platformName() != u"offscreen") W->raise();
    W->activateWindow();
}

// ---- Parent forms ---------------------------------------------------------------------------------

TCustomForm* GetParentForm(TControl* Control, bool TopForm) {
    if (!Control) return nullptr;
    TControl* C = Control;
    if (TopForm) {
        while (C->Parent())
            C = C->Parent();
        return dynamic_cast<TCustomForm*>(C);
    }
    for (; C; C = C->Parent())
        if (auto* F = dynamic_cast<TCustomForm*>(C)) return F;
    return nullptr;
}

TCustomForm* ValidParentForm(TControl* Control, bool TopForm) {
    TCustomForm* F = GetParentForm(Control, TopForm);
    if (!F) throw EInvalidOperation(u"Control '" + Control->Name() + u"' has no parent window");
    return F;
}

// ---- TCustomForm ------------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    SetVisible(false);
    SetParentFont(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, 320, 240);
    if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    if (Screen) Screen->RemoveForm(this);
    // The application's list lets go of its forms without telling it.
    if (Application && Application->FMainForm == this) Application->FMainForm = nullptr;
}

void TCustomForm::BeforeDestruction() {
    if (Visible()) GuiBarrier(this, [this] { Hide(); });
    if (FFormState.Contains(fsCreating) == false) DoDestroy();
    TWinControl::BeforeDestruction();
}

void TCustomForm::BuildForm(const std::function<void()>& Build) {
    FFormState.Include(fsCreating);
    SetComponentState(ComponentState() + TComponentState{csLoading});
    {
        TScopeExit Created([this] { FFormState.Exclude(fsCreating); });
        {
            ++FBuilding;
            TScopeExit Built([this] { --FBuilding; });
            Build();
        }
        std::vector<TComponent*> Loading{this};
        for (int I = 0; I < ComponentCount(); ++I)
            if (Components(I)->ComponentState().Contains(csLoading)) Loading.push_back(Components(I));
        for (TComponent* C : Loading)
            C->Loaded();
    }
    DoCreate();
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opInsert && FBuilding > 0 && AComponent->Owner() == this)
        AComponent->SetComponentState(AComponent->ComponentState() + TComponentState{csLoading});
    if (Operation == opRemove) {
        if (AComponent == FActiveControl) FActiveControl = nullptr;
        if (AComponent == FFocusedControl) FFocusedControl = nullptr;
        // A freed main menu takes its bar with it.
        if (AComponent == reinterpret_cast<TComponent*>(FMenu)) SetMenu(nullptr);
    }
    TWinControl::Notification(AComponent, Operation);
}

void TCustomForm::Loaded() {
    TWinControl::Loaded();
    if (FActiveControl && !FActiveControl->CanFocus() && Visible()) FActiveControl = nullptr;
}

void TCustomForm::DoCreate() {
    if (OnCreate) GuiBarrier(this, [this] { OnCreate(this); });
}

void TCustomForm::DoDestroy() {
    if (OnDestroy) GuiBarrier(this, [this] { OnDestroy(this); });
}

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
    if (OnClose) OnClose(this, Action);
}

void TCustomForm::Activate() {
    if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
    if (OnDeactivate) OnDeactivate(this);
}

// -- Window --

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    ApplyWindowFlags();
}

void TCustomForm::SetBorderIcons(const TBorderIcons& Value) {
    if (FBorderIcons == Value) return;
    FBorderIcons = Value;
    ApplyWindowFlags();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
    if (FFormStyle == Value) return;
    FFormStyle = Value;
    ApplyWindowFlags();
}

void TCustomForm::SetWindowState(TWindowState Value) {
    if (FWindowState == Value) return;
    if (FWindowState == wsNormal && WindowPrivate()) {
        WindowPrivate()->NormalBounds = BoundsRect();
        WindowPrivate()->HasNormalBounds = true;
    }
    FWindowState = Value;
    if (!Showing()) return;
    if (TQtWindow* W = WindowOf(this)) {
        if (Value == wsMinimized)
            W->showMinimized();
        else if (Value == wsMaximized)
            W->showMaximized();
        else
            W->showNormal();
    }
}

void TCustomForm::SetMenu(TMainMenu* Value) {
    if (FMenu == Value) return;
    FMenu = Value;
    if (FormMenuHook()) FormMenuHook()(this);
}

void TCustomForm::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_CLIPCHILDREN;
    if (FBorderStyle != Forms::bsNone) Params.Style |= WS_CAPTION;
    if (FBorderStyle == Forms::bsSizeable || FBorderStyle == Forms::bsSizeToolWin)
        Params.Style |= WS_THICKFRAME;
    if (FBorderIcons.Contains(biSystemMenu)) Params.Style |= WS_SYSMENU;
    if (FBorderStyle == Forms::bsToolWindow || FBorderStyle == Forms::bsSizeToolWin)
        Params.ExStyle |= WS_EX_TOOLWINDOW;
    if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
    Params.WndParent = 0;
}

TRect TCustomForm::NonClientMargins() const {
    // The window manager draws the frame and caption outside the widget; only a menu bar and
    // the border width take room inside.
    const int B = BorderWidth();
    int MenuHeight = 0;
    if (TWindowPrivate* W = WindowPrivate(); W && W->MenuBar) MenuHeight = W->MenuBar->sizeHint().height();
    return {B, B + MenuHeight, B, B};
}

void TCustomForm::CreateWindowHandle(const TCreateParams& Params) {
    TWinControl::CreateWindowHandle(Params);
    ApplyWindowFlags();
    if (FormMenuHook()) FormMenuHook()(this);
}

void TCustomForm::ApplyWindowFlags() {
    TQtWindow* W = WindowOf(this);
    if (!W) return;
    const bool WasVisible = W->isVisible();
    if (Parent()) {
        // A form inside another window (a frame in a tab, say) is a child like any control:
        // window flags would make it a window of its own on the desktop.
        if (W->windowFlags() & Qt::Window) W->setWindowFlags(Qt::Widget);
        if (WasVisible && !W->isVisible()) W->show();
        return;
    }
    Qt::WindowFlags Flags;
    using enum Forms::TFormBorderStyle;
    switch (FBorderStyle) {
    case bsNone:
        Flags = Qt::Window | Qt::FramelessWindowHint;
        break;
    case bsDialog:
        Flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        break;
    case bsToolWindow:
    case bsSizeToolWin:
        Flags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        break;
    default:
        Flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (FBorderIcons.Contains(biMinimize)) Flags |= Qt::WindowMinimizeButtonHint;
        if (FBorderIcons.Contains(biMaximize)) Flags |= Qt::WindowMaximizeButtonHint;
        break;
    }
    if (FBorderIcons.Contains(biSystemMenu) && FBorderStyle != bsNone)
        Flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (FFormStyle == fsStayOnTop) Flags |= Qt::WindowStaysOnTopHint;
    if (W->windowFlags() != Flags) W->setWindowFlags(Flags);
    const bool Fixed = FBorderStyle == bsSingle || FBorderStyle == bsDialog || FBorderStyle == bsToolWindow;
    if (Fixed)
        W->setFixedSize(Width(), Height());
    else
        UpdateTrackingSize();
    if (WasVisible && !W->isVisible()) W->show();
}

bool TCustomForm::QueryTrackingSize(TMinMaxInfo& Info) {
    using enum Forms::TFormBorderStyle;
    if (!HandleAllocated() || (FBorderStyle != bsSizeable && FBorderStyle != bsSizeToolWin)) return false;
    const TRect Work = Screen->WorkAreaRect();
    Info = TMinMaxInfo{};
    Info.ptMaxSize = {Work.Width(), Work.Height()};
    Info.ptMaxPosition = {0, 0};
    Info.ptMinTrackSize = {0, 0};
    Info.ptMaxTrackSize = {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&Info));
    return true;
}

void TCustomForm::UpdateTrackingSize() {
    TQtWindow* W = WindowOf(this);
    TMinMaxInfo Info;
    if (!W || !QueryTrackingSize(Info)) return;
    auto Limit = [](int V, int Floor, int Ceiling) { return std::clamp(V, Floor, Ceiling); };
    W->setMinimumSize(Limit(Info.ptMinTrackSize.X, 0, QWIDGETSIZE_MAX),
                      Limit(Info.ptMinTrackSize.Y, 0, QWIDGETSIZE_MAX));
    W->setMaximumSize(Limit(Info.ptMaxTrackSize.X, 0, QWIDGETSIZE_MAX),
                      Limit(Info.ptMaxTrackSize.Y, 0, QWIDGETSIZE_MAX));
}

void TCustomForm::ConstrainedResize(int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight) {
    TMinMaxInfo Info;
    if (!QueryTrackingSize(Info)) return;
    auto Tighten = [](int& Min, int& Max, int TrackMin, int TrackMax) {
        if (TrackMin > 0) Min = std::max(Min, TrackMin);
        if (TrackMax > 0 && TrackMax < QWIDGETSIZE_MAX) Max = Max > 0 ? std::min(Max, TrackMax) : TrackMax;
    };
    Tighten(MinWidth, MaxWidth, Info.ptMinTrackSize.X, Info.ptMaxTrackSize.X);
    Tighten(MinHeight, MaxHeight, Info.ptMinTrackSize.Y, Info.ptMaxTrackSize.Y);
}

namespace {

// Where the next window of default position goes: each a caption's step down and to the right
// of the one before, as the system cascades them.
TPoint NextDefaultPlace;
bool HaveDefaultPlace = false;
constexpr int CascadeStep = 24;

} // namespace

void TCustomForm::ApplyPosition() {
    // Left and Top are the frame's corner: the window manager draws the frame around the widget.
    int L = Left(), T = Top();
    const TRect Work = Screen->WorkAreaRect();
    auto CenterOn = [&](const TRect& R) {
        L = R.Left + (R.Width() - Width()) / 2;
        T = R.Top + (R.Height() - Height()) / 2;
    };
    TCustomForm* Main = Application ? Application->MainForm() : nullptr;
    switch (FPosition) {
    case poDefault:
    case poDefaultPosOnly: {
        // The place is taken once; a window shown again stays where it was.
        TWindowPrivate* W = WindowPrivate();
        if (!W || W->DefaultPlaced) return;
        W->DefaultPlaced = true;
        TPoint P = HaveDefaultPlace ? NextDefaultPlace : TPoint{Work.Left, Work.Top};
        if (P.X + Width() > Work.Right || P.Y + Height() > Work.Bottom) P = {Work.Left, Work.Top};
        NextDefaultPlace = {P.X + CascadeStep, P.Y + CascadeStep};
        HaveDefaultPlace = true;
        SetBounds(P.X, P.Y, Width(), Height());
        return;
    }
    case poScreenCenter:
    case poDesktopCenter:
        CenterOn(Screen->WorkAreaRect());
        break;
    case poMainFormCenter:
        if (Main && Main != this && Main->Visible())
            CenterOn(Main->BoundsRect());
        else
            CenterOn(Screen->WorkAreaRect());
        break;
    case poOwnerFormCenter:
        if (auto* O = dynamic_cast<TCustomForm*>(Owner()); O && O->Visible())
            CenterOn(O->BoundsRect());
        else if (Main && Main != this && Main->Visible())
            CenterOn(Main->BoundsRect());
        else
            CenterOn(Screen->WorkAreaRect());
        break;
    default:
        return;
    }
    SetBounds(std::max(L, Work.Left), std::max(T, Work.Top), Width(), Height());
}

// -- Showing --

void TCustomForm::Show() {
    SetVisible(true);
    BringToFront();
}

void TCustomForm::Hide() {
    SetVisible(false);
}

void TCustomForm::SetVisibleInternal(bool Value) {
    SetVisible(Value);
}

void TCustomForm::CMShowingChanged(TMessage&) {
    TQtWindow* W = WindowOf(this);
    if (Showing()) {
        {
            FFormState.Include(fsShowing);
            TScopeExit Shown([this] { FFormState.Exclude(fsShowing); });
            DoShow();
        }
        ApplyPosition();
        if (W) {
            UpdateTrackingSize();
            // A position that includes the frame: the caption stays on the screen.
            W->move(Left(), Top());
            W->resize(Width(), Height());
            if (FFormState.Contains(fsModal)) W->setWindowModality(Qt::ApplicationModal);
            if (FWindowState == wsMaximized)
                W->showMaximized();
            else if (FWindowState == wsMinimized)
                W->showMinimized();
            else
                W->show();
            RaiseWindow(W);
        }
        FFormState.Include(fsVisible);
        // The window is active as soon as it is shown, as the system does it.
        SetActiveWindowHandle(Handle());
    } else {
        FFormState.Exclude(fsVisible);
        if (W) {
            W->hide();
            W->setWindowModality(Qt::NonModal);
        }
        if (GetActiveWindow() == WindowHandle()) {
            // The next visible form becomes active.
            TCustomForm* Next = nullptr;
            for (int I = 0; I < Screen->FormCount(); ++I) {
                TCustomForm* F = Screen->Forms(I);
                if (F != this && F->Showing()) {
                    Next = F;
                    break;
                }
            }
            SetActiveWindowHandle(Next ? Next->Handle() : 0);
        }
        DoHide();
    }
}

int TCustomForm::ShowModal() {
    if (Visible() || !Enabled() || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
        throw EInvalidOperation(u"Cannot make a visible window modal");
    ReleaseCapture();
    FModalResult = mrNone;
    Application->ModalStarted();
    TScopeExit EndModal([] { Application->ModalFinished(); });
    // The one place where a form's modal run meets the question service.
    const TModalResult Result = AskShowModal(this, Caption(), [this] { return RunModalLoop(); });
    FModalResult = Result;
    return Result;
}

int TCustomForm::RunModalLoop() {
    FFormState.Include(fsModal);
    FModalResult = mrNone;
    TCustomForm* Previous = Screen->ActiveForm();
    TModalResult Result = mrNone;
    {
        TScopeExit NotModal([this] { FFormState.Exclude(fsModal); });
        TScopeExit Hidden([this] { Hide(); }); // before NotModal
        Show();
        do {
            Application->HandleMessage();
            if (Application->Terminated())
                FModalResult = mrCancel;
            else if (FModalResult != mrNone)
                CloseModal();
        } while (FModalResult == mrNone);
        Result = FModalResult;
    }
    if (Previous && Previous != this && Previous->Showing()) SetActiveWindowHandle(Previous->Handle());
    return Result;
}

void TCustomForm::CloseModal() {
    TCloseAction Action = caNone;
    if (CloseQuery()) {
        Action = caHide;
        DoClose(Action);
    }
    if (Action == caNone)
        FModalResult = mrNone;
    else if (Action == caFree)
        Release();
}

bool TCustomForm::CloseQuery() {
    bool CanClose = true;
    if (OnCloseQuery) OnCloseQuery(this, CanClose);
    return CanClose;
}

void TCustomForm::Close() {
    if (FFormState.Contains(fsModal)) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction Action = caHide;
    DoClose(Action);
    if (Action == caNone) return;
    if (Application && Application->MainForm() == this)
        Application->Terminate();
    else if (Action == caHide)
        Hide();
    else if (Action == caMinimize)
        SetWindowState(wsMinimized);
    else
        Release();
}

void TCustomForm::Release() {
    if (QCoreApplication::instance())
        PostMessage(Handle(), CM_RELEASE);
    else
        delete this;
}

void TCustomForm::CMRelease(TMessage&) {
    delete this;
}

void TCustomForm::WMClose(TWMClose&) {
    Close();
}

void TCustomForm::BringToFront() {
    if (TQtWindow* W = WindowOf(this); W && W->isVisible()) RaiseWindow(W);
}

// -- Activation and focus --

void TCustomForm::WMActivate(TMessage& Message) {
    if (LOWORD(Message.WParam) != WA_INACTIVE) {
        FActive = true;
        FFormState.Include(fsActivated);
        if (!FActiveControl) {
            if (TWinControl* First = FindNextControl(nullptr, true, true, false)) FActiveControl = First;
        }
        SetWindowFocus();
        Screen->SetActiveForm(this);
        Activate();
    } else {
        FActive = false;
        Deactivate();
    }
}

void TCustomForm::SetWindowFocus() {
    if (!HandleAllocated()) return;
    HWND Target = WindowHandle();
    if (FActiveControl && FActiveControl->CanFocus() && FActiveControl->Showing())
        Target = FActiveControl->Handle();
    ::SetFocus(Target);
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
    if (FActiveControl == Control) return;
    if (Control && (Control == this || GetParentForm(Control) != this ||
                    (!ComponentState().Contains(csLoading) && !Control->CanFocus())))
        throw EInvalidOperation(u"Cannot focus a disabled or invisible window");
    FActiveControl = Control;
    if (!ComponentState().Contains(csLoading) && FActive) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
    const bool WasActive = FActive;
    SetActiveControl(Control);
    if (!WasActive) SetFocus();
}

void TCustomForm::SetFocus() {
    if (!FActive) {
        if (!Visible() || !Enabled()) throw EInvalidOperation(u"Cannot focus a disabled or invisible window");
        if (HandleAllocated() && Showing()) {
            SetActiveWindowHandle(WindowHandle());
            if (TQtWindow* W = WindowOf(this)) W->activateWindow();
        }
        return;
    }
    SetWindowFocus();
}

bool TCustomForm::CanFocus() const {
    return Visible() && Enabled();
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
    if (Control != this) FActiveControl = Control;
    Screen->FFocusedForm = this;
    Screen->SetActiveControl(Control);
    TWinControl* Old = FFocusedControl;
    if (Old == Control) return true;
    FFocusedControl = Control;
    // Exits from the old focus up to the first parent that holds the new one.
    for (TWinControl* C = Old; C && C != this && !C->ContainsControl(Control); C = C->Parent()) {
        C->Perform(CM_EXIT);
        if (FFocusedControl != Control) return false;
    }
    // Enters from the outermost new parent down to the control.
    std::vector<TWinControl*> Chain;
    for (TWinControl* C = Control; C && C != this && !(Old && C->ContainsControl(Old)); C = C->Parent())
        Chain.push_back(C);
    for (auto It = Chain.rbegin(); It != Chain.rend(); ++It) {
        (*It)->Perform(CM_ENTER);
        if (FFocusedControl != Control) return false;
    }
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
    return true;
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
    if (Removing && Control->ContainsControl(FFocusedControl)) FFocusedControl = Control->Parent();
    // A control that goes is no longer the screen's active control either.
    if (Removing && Screen && Control->ContainsControl(Screen->FActiveControl))
        Screen->SetActiveControl(nullptr);
    if (Control->ContainsControl(FActiveControl)) {
        FActiveControl = nullptr;
        if (FActive && !Removing && HandleAllocated()) ::SetFocus(WindowHandle());
    }
}

// -- Keys --

void TCustomForm::AddShortCutHook(TShortCutHook Hook) {
    ShortCutHooks().push_back(std::move(Hook));
}

bool TCustomForm::IsShortCut(TWMKey& Message) {
    bool Handled = false;
    if (OnShortCut) OnShortCut(Message, Handled);
    for (const TShortCutHook& Hook : std::vector<TShortCutHook>(ShortCutHooks())) {
        if (Handled) break;
        Handled = Hook(this, Message);
    }
    return Handled;
}

void TCustomForm::CMDialogKey(TCMDialogKey& Message) {
    if (GetKeyState(VK_MENU) >= 0) {
        switch (Message.CharCode()) {
        case VK_TAB:
            if (GetKeyState(VK_CONTROL) >= 0) {
                SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
                Message.Result = 1;
                return;
            }
            break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (FActiveControl && FActiveControl->Parent()) {
                FActiveControl->Parent()->SelectNext(
                    FActiveControl, Message.CharCode() == VK_RIGHT || Message.CharCode() == VK_DOWN, false);
                Message.Result = 1;
            }
            return;
        default:
            break;
        }
    }
    TWinControl::CMDialogKey(Message);
}

void TCustomForm::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_CLOSE:
        return Crack(Message, this, &TCustomForm::WMClose);
    case WM_ACTIVATE:
        return WMActivate(Message);
    case CM_RELEASE:
        return CMRelease(Message);
    default:
        TWinControl::Dispatch(Message);
    }
}

void TCustomForm::Published(TPublisher<TCustomForm>& P) {
    P.Property(u"BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle)
        .Default(Forms::bsSizeable);
    P.Property(u"BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
        .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
    P.Property(u"FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle).Default(fsNormal);
    P.Property(u"Position", &TCustomForm::Position, &TCustomForm::SetPosition).Default(poDesigned);
    P.Property(u"WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState).Default(wsNormal);
    P.Property(u"KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview).Default(false);
    P.Property(u"ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
    P.Property(u"ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth).Stored(false);
    P.Property(u"ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight).Stored(false);
    P.Property(u"OnCreate", &TCustomForm::OnCreate);
    P.Property(u"OnDestroy", &TCustomForm::OnDestroy);
    P.Property(u"OnShow", &TCustomForm::OnShow);
    P.Property(u"OnHide", &TCustomForm::OnHide);
    P.Property(u"OnActivate", &TCustomForm::OnActivate);
    P.Property(u"OnDeactivate", &TCustomForm::OnDeactivate);
    P.Property(u"OnClose", &TCustomForm::OnClose);
    P.Property(u"OnCloseQuery", &TCustomForm::OnCloseQuery);
    P.Property(u"OnShortCut", &TCustomForm::OnShortCut);
}

// ---- THintWindow ------------------------------------------------------------------------------

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
    SetVisible(false);
    SetColor(clInfoBk);
    SetParentFont(false);
    if (Screen) Font()->Assign(Screen->HintFont());
}

THintWindow::~THintWindow() {
    if (Application && Application->FHintWindow == this) Application->FHintWindow = nullptr;
}

void THintWindow::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    Params.WndParent = 0;
}

void THintWindow::CreateWindowHandle(const TCreateParams& Params) {
    TCustomControl::CreateWindowHandle(Params);
    if (TQtWindow* W = WindowOf(this)) {
        W->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
        W->setAttribute(Qt::WA_ShowWithoutActivating);
    }
}

TRect THintWindow::CalcHintRect(int MaxWidth, const String& AHint, void*) {
    TRect R = Rect(0, 0, MaxWidth, 0);
    DrawText(Canvas(), AHint, R, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    R.Right += 6;
    R.Bottom += 4;
    return R;
}

void THintWindow::ActivateHint(TRect Rect, const String& AHint) {
    SetCaption(AHint);
    const TRect Work = Screen->WorkAreaRect();
    if (Rect.Right > Work.Right) OffsetRect(Rect, Work.Right - Rect.Right, 0);
    if (Rect.Left < Work.Left) OffsetRect(Rect, Work.Left - Rect.Left, 0);
    if (Rect.Bottom > Work.Bottom) OffsetRect(Rect, 0, Work.Bottom - Rect.Bottom);
    SetBoundsRect(Rect);
    SetVisible(true);
    Invalidate();
}

void THintWindow::ReleaseHandle() {
    SetVisible(false);
}

bool THintWindow::CancelsHint(UINT Msg) {
    switch (Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_NCMOUSEMOVE:
        return true;
    default:
        return false;
    }
}

bool THintWindow::IsHintMsg(TMsg& Msg) {
    return CancelsHint(Msg.message);
}

void THintWindow::Paint() {
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    C->Brush()->SetColor(Color());
    C->FillRect(R);
    C->Brush()->SetColor(clWindowFrame);
    C->FrameRect(R);
    InflateRect(R, -2, -2);
    C->Brush()->SetStyle(bsClear);
    C->Font()->SetColor(clInfoText);
    DrawText(C, Caption(), R, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

// ---- TApplication -----------------------------------------------------------------------------

struct TApplicationPrivate {
    std::unique_ptr<QApplication> OwnApp;
    int Argc = 1;
    char* Argv[2] = {nullptr, nullptr};
    std::string Arg0;
    QPointer<QTimer> HintTimer;
    QPointer<QTimer> HideTimer;
    TPoint HintCursor;
    // The area (hint control's client coordinates) that the last hint decision covers; an empty
    // one asks again as soon as the pointer moves.
    bool HintDecided = false;
    TRect HintCursorRect;
};

TApplication::TApplication(TComponent* AOwner)
    : TComponent(AOwner), FTitle(ChangeFileExt(ExtractFileName(ProgramFile()), u"")),
      FPriv(std::make_unique<TApplicationPrivate>()) {}

TApplication::~TApplication() {
    CancelHint();
    if (FHandle) DeallocateHWnd(FHandle);
    if (FPriv->HintTimer) delete FPriv->HintTimer.data();
    if (FPriv->HideTimer) delete FPriv->HideTimer.data();
}

void TApplication::Initialize() {
    if (!QCoreApplication::instance()) {
        FPriv->Arg0 = StringToUtf8(ExeName());
        FPriv->Argv[0] = FPriv->Arg0.data();
        FPriv->OwnApp = std::make_unique<QApplication>(FPriv->Argc, FPriv->Argv);
    }
    InstallMainThreadWaker();
    // The title is not handed to Qt as its display name: Qt would append it to every window's
    // title, and a form's title is its Caption alone.
}

void TApplication::CreateFormInstance(TCustomForm* Form) {
    if (!FMainForm) FMainForm = Form;
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove) {
        if (AComponent == FMainForm) FMainForm = nullptr;
        if (AComponent == FHintWindow) FHintWindow = nullptr;
        if (AComponent == FHintControl) FHintControl = nullptr;
    }
    TComponent::Notification(AComponent, Operation);
}

void TApplication::Run() {
    if (FMainForm && FShowMainForm) FMainForm->Show();
    while (!FTerminated)
        GuiBarrier(this, [this] { HandleMessage(); });
}

namespace {

// One round of everything waiting: Qt's events, posted messages, calls from other threads.
bool ProcessMessage() {
    bool Any = false;
    if (QAbstractEventDispatcher* D = QAbstractEventDispatcher::instance())
        Any = D->processEvents(QEventLoop::AllEvents);
    Any = DeliverPostedMessages() || Any;
    RunMainThreadCalls();
    if (QCoreApplication::instance()) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return Any;
}

} // namespace

void TApplication::ProcessMessages() {
    for (int Round = 0; Round < 1000 && ProcessMessage(); ++Round) {
    }
}

void TApplication::HandleMessage() {
    if (!ProcessMessage()) Idle();
}

void TApplication::Idle() {
    bool Done = true;
    GuiBarrier(this, [&] {
        RunIdleHandlers();
        if (OnIdle) OnIdle(this, Done);
        // Actions enable and check themselves while nothing else is to be done.
        if (Done) IdleUpdateActions();
    });
    if (!Done || FTerminated || HasPostedMessages()) return;
    if (QAbstractEventDispatcher* D = QAbstractEventDispatcher::instance())
        D->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

int TApplication::MessageBox(const String& Text, const String& Caption, unsigned Flags) {
    return ApplicationMessageBox(Text, Caption, Flags);
}

void TApplication::Terminate() {
    FTerminated = true;
    if (QAbstractEventDispatcher* D = QAbstractEventDispatcher::instance()) D->wakeUp();
}

void TApplication::SetTitle(const String& Value) {
    FTitle = Value;
}

String TApplication::ExeName() const {
    return ProgramFile();
}

HWND TApplication::Handle() {
    if (!FHandle) FHandle = AllocateHWnd([this](TMessage& M) { WndProc(M); });
    return FHandle;
}

void TApplication::WndProc(TMessage& Message) {
    // Newest first; a hook removed by an earlier one is skipped, one added now waits for the
    // next message.
    const std::vector<TWindowHook> Hooks(FWindowHooks.rbegin(), FWindowHooks.rend());
    for (const TWindowHook& Hook : Hooks) {
        if (std::find(FWindowHooks.begin(), FWindowHooks.end(), Hook) == FWindowHooks.end()) continue;
        if (Hook(Message)) return;
    }
    if (Message.Msg == WM_SYSCOMMAND) {
        if ((Message.WParam & 0xFFF0) == SC_MINIMIZE)
            Minimize();
        else if ((Message.WParam & 0xFFF0) == SC_RESTORE)
            Restore();
    }
}

void TApplication::HookMainWindow(const TWindowHook& Hook) {
    if (Hook) FWindowHooks.push_back(Hook);
}

void TApplication::UnhookMainWindow(const TWindowHook& Hook) {
    if (auto It = std::find(FWindowHooks.begin(), FWindowHooks.end(), Hook); It != FWindowHooks.end())
        FWindowHooks.erase(It);
}

bool TApplication::ExecuteAction(TBasicAction* Action) {
    bool Handled = false;
    if (OnActionExecute) OnActionExecute(Action, Handled);
    return Handled;
}

bool TApplication::UpdateAction(TBasicAction* Action) {
    bool Handled = false;
    if (OnActionUpdate) OnActionUpdate(Action, Handled);
    return Handled;
}

bool TApplication::IsShortCut(TWMKey& Message, TCustomForm* ExceptForm) {
    bool Handled = false;
    if (OnShortCut) OnShortCut(Message, Handled);
    if (!Handled && FMainForm && FMainForm != ExceptForm) Handled = FMainForm->IsShortCut(Message);
    return Handled;
}

bool TApplication::HelpCommand(Word Command, std::intptr_t Data) {
    bool CallHelp = true;
    return OnHelp ? OnHelp(Command, Data, CallHelp) : false;
}

void TApplication::ModalStarted() {
    if (OnModalBegin) OnModalBegin(this);
}

void TApplication::ModalFinished() {
    if (OnModalEnd) OnModalEnd(this);
}

bool TApplication::PreDispatch(TMsg& Msg) {
    Msg.time = GetTickCount();
    GetCursorPos(Msg.pt);
    bool Handled = false;
    if (OnMessage) OnMessage(Msg, Handled);
    return Handled;
}

bool TApplication::IsKeyMsg(TWinControl* Target, TMsg& Msg) {
    if (PreDispatch(Msg)) return true;
    CancelHintFor(Msg);
    if (!Target || Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
    return Target->Perform(CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

void TApplication::HandleException(TObject* Sender) {
    HandleException(Sender, std::current_exception());
}

void TApplication::HandleException(TObject* Sender, std::exception_ptr Error) {
    if (!Error) return;
    try {
        try {
            std::rethrow_exception(Error);
        } catch (EAbort&) {
            return;
        } catch (Exception& E) {
            if (OnException)
                OnException(Sender, &E);
            else
                ShowException(&E);
        } catch (std::exception& E) {
            Exception Wrapped(Utf8ToString(E.what()));
            if (OnException)
                OnException(Sender, &Wrapped);
            else
                ShowException(&Wrapped);
        } catch (...) {
            Exception Wrapped(u"Unknown exception");
            if (OnException)
                OnException(Sender, &Wrapped);
            else
                ShowException(&Wrapped);
        }
    } catch (std::exception& E) {
        // The handler itself failed: there is nobody left to tell but the console.
        std::fprintf(stderr, "%s: %s\n", StringToUtf8(FTitle).c_str(), E.what());
    } catch (...) {
        std::fprintf(stderr, "%s: unknown exception in the exception handler\n",
                     StringToUtf8(FTitle).c_str());
    }
}

void TApplication::ShowException(Exception* E) {
    ShowExceptionBox(E->Message(), FTitle);
}

// -- Hints --

void TApplication::SetHint(const String& Value) {
    if (FHint == Value) return;
    FHint = Value;
    if (OnHint) OnHint(this);
}

void TApplication::SetShowHint(bool Value) {
    if (FShowHint == Value) return;
    FShowHint = Value;
    if (!Value) CancelHint();
}

void TApplication::StartHintTimer(int Value) {
    if (!QCoreApplication::instance()) return;
    if (!FPriv->HintTimer) {
        FPriv->HintTimer = new QTimer();
        FPriv->HintTimer->setSingleShot(true);
        QObject::connect(FPriv->HintTimer.data(), &QTimer::timeout,
                         [this] { GuiBarrier(this, [this] { HintTimerExpired(); }); });
    }
    FPriv->HintTimer->start(std::max(Value, 0));
}

void TApplication::StopHintTimer() {
    if (FPriv->HintTimer) FPriv->HintTimer->stop();
}

void TApplication::HintTimerExpired() {
    if (FHintControl) DoShowHint(FHintControl, FPriv->HintCursor);
}

namespace {

TControl* HintControlOf(TControl* Control) {
    TControl* C = Control;
    while (C && !C->ShowHint())
        C = C->Parent();
    return C;
}

} // namespace

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message) {
    if (Message.Msg != WM_MOUSEMOVE) return;
    const TPoint Screen = Control->ClientToScreen(TWMMouse(Message).Pos());
    FPriv->HintCursor = Screen;
    // The long hint of the control under the pointer (or of the first parent with one).
    TControl* WithHint = Control;
    while (WithHint && WithHint->Hint().empty())
        WithHint = WithHint->Parent();
    SetHint(WithHint ? GetLongHint(WithHint->Hint()) : String());
    // A control without a hint text may still show hints of its own (CM_HINTSHOW decides).
    TControl* HintCtl = FShowHint ? HintControlOf(Control) : nullptr;
    if (HintCtl == FHintControl) {
        // Inside the area of the last decision the decision stands; outside it, ask again.
        if (!HintCtl || !FPriv->HintDecided) return;
        if (PtInRect(FPriv->HintCursorRect, HintCtl->ScreenToClient(Screen))) return;
    }
    const bool WasActive = FHintActive;
    if (FHintWindow && FHintWindow->Visible()) FHintWindow->ReleaseHandle();
    FHintActive = false;
    FPriv->HintDecided = false;
    FHintControl = HintCtl;
    if (!HintCtl) {
        StopHintTimer();
        return;
    }
    int Pause = WasActive ? FHintShortPause : FHintPause;
    if (HintCtl->Perform(CM_HINTSHOWPAUSE, WasActive, reinterpret_cast<LPARAM>(&Pause)) != 0) {
        StopHintTimer(); // the control runs the pause itself
        return;
    }
    StartHintTimer(Pause);
}

void TApplication::DoShowHint(TControl* Control, const TPoint& CursorPos) {
    THintInfo Info;
    Info.HintControl = Control;
    Info.HintPos = {CursorPos.X, CursorPos.Y + 20};
    Info.HintMaxWidth = Screen->Width();
    Info.HintColor = FHintColor;
    Info.CursorRect = Control->ClientRect();
    Info.CursorPos = Control->ScreenToClient(CursorPos);
    Info.HideTimeout = FHintHidePause;
    Info.HintStr = GetShortHint(Control->Hint());
    bool CanShow = Control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Info)) == 0;
    if (CanShow && OnShowHint) OnShowHint(Info.HintStr, CanShow, Info);
    const TClass WindowClass = Info.HintWindowClass ? Info.HintWindowClass : THintWindow::StaticClass();
    if (CanShow && FHintWindow && FHintWindow->ClassType() != WindowClass) {
        // A control that goes cancels the hint: this one is only being replaced.
        THintWindow* Old = FHintWindow;
        FHintWindow = nullptr;
        delete Old;
        FHintControl = Control;
    }
    FPriv->HintDecided = true;
    FPriv->HintCursorRect = Info.CursorRect;
    FHintActive = CanShow && !Info.HintStr.empty();
    if (!FHintActive) return;
    if (!FHintWindow) FHintWindow = static_cast<THintWindow*>(WindowClass->Create(this));
    FHintWindow->SetColor(Info.HintColor);
    TRect R = FHintWindow->CalcHintRect(Info.HintMaxWidth, Info.HintStr, Info.HintData);
    if (IsRectEmpty(R)) {
        // Nothing to show after all.
        FHintActive = false;
        return;
    }
    OffsetRect(R, Info.HintPos.X, Info.HintPos.Y);
    FHintWindow->ActivateHint(R, Info.HintStr);
    if (!FHintActive) return; // the window gave the hint up
    if (!FPriv->HideTimer) {
        FPriv->HideTimer = new QTimer();
        FPriv->HideTimer->setSingleShot(true);
        QObject::connect(FPriv->HideTimer.data(), &QTimer::timeout, [this] {
            GuiBarrier(this, [this] {
                if (FHintWindow) FHintWindow->ReleaseHandle();
            });
        });
    }
    if (Info.HideTimeout > 0) FPriv->HideTimer->start(Info.HideTimeout);
}

void TApplication::ActivateHint(const TPoint& CursorPos) {
    TControl* C = FindDragTarget(CursorPos, false);
    C = C ? HintControlOf(C) : nullptr;
    if (!C || C->Hint().empty()) return;
    FHintControl = C;
    DoShowHint(C, CursorPos);
}

void TApplication::ActivateHint(TControl* Control) {
    if (!Control || !FShowHint) return;
    StopHintTimer();
    FHintControl = Control;
    DoShowHint(Control, FPriv->HintCursor);
}

void TApplication::CancelHintFor(TMsg& Msg) {
    const bool Claimed = FHintWindow ? FHintWindow->IsHintMsg(Msg) : THintWindow::CancelsHint(Msg.message);
    if (Claimed) CancelHint();
}

void TApplication::CancelHint() {
    StopHintTimer();
    if (FPriv && FPriv->HideTimer) FPriv->HideTimer->stop();
    if (FHintWindow && FHintWindow->Visible()) FHintWindow->ReleaseHandle();
    FHintActive = false;
    FHintControl = nullptr;
    if (FPriv) FPriv->HintDecided = false;
}

// -- Activation --

void TApplication::DoApplicationActiveChange(bool Active) {
    if (FActive == Active) return;
    FActive = Active;
    if (Active) {
        if (OnActivate) OnActivate(this);
    } else {
        CancelHint();
        if (OnDeactivate) OnDeactivate(this);
    }
}

void ApplicationActiveChanged(bool Active) {
    if (Application) Application->DoApplicationActiveChange(Active);
}

void TApplication::BringToFront() {
    if (TCustomForm* F = Screen->ActiveForm() ? Screen->ActiveForm() : FMainForm) F->BringToFront();
}

void TApplication::Minimize() {
    for (int I = 0; I < Screen->FormCount(); ++I)
        if (TQtWindow* W = WindowOf(Screen->Forms(I)); W && W->isVisible()) W->showMinimized();
    if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
    for (int I = 0; I < Screen->FormCount(); ++I)
        if (TQtWindow* W = WindowOf(Screen->Forms(I)); W && W->isMinimized()) W->showNormal();
    if (OnRestore) OnRestore(this);
}

// ---- TScreen ----------------------------------------------------------------------------------

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner), FHintFont(std::make_unique<TFont>()) {}

TScreen::~TScreen() = default;

void TScreen::SetCursor(TCursor Value) {
    if (FCursor == Value) return;
    const TCursor Old = FCursor;
    FCursor = Value;
    if (!QCoreApplication::instance()) return;
    if (Value == crDefault) {
        QApplication::restoreOverrideCursor();
    } else if (Old == crDefault) {
        QApplication::setOverrideCursor(QtCursorOf(Value));
    } else {
        QApplication::changeOverrideCursor(QtCursorOf(Value));
    }
}

HCURSOR TScreen::Cursors(int Index) const {
    auto It = FCursorTable.find(Index);
    return It == FCursorTable.end() ? static_cast<HCURSOR>(Index) : It->second;
}

void TScreen::SetCursors(int Index, HCURSOR Handle) {
    if (Handle == static_cast<HCURSOR>(Index))
        FCursorTable.erase(Index);
    else
        FCursorTable[Index] = Handle;
}

TCustomForm* TScreen::Forms(int Index) const {
    if (Index < 0 || Index >= FormCount())
        throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
    return FForms[static_cast<std::size_t>(Index)];
}

void TScreen::AddForm(TCustomForm* Form) {
    FForms.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form) {
    std::erase(FForms, Form);
    if (FActiveForm == Form) SetActiveForm(nullptr);
    if (FFocusedForm == Form) FFocusedForm = nullptr;
    if (FActiveControl && GetParentForm(FActiveControl) == Form) FActiveControl = nullptr;
}

void TScreen::SetActiveForm(TCustomForm* Form) {
    if (FActiveForm == Form) return;
    FActiveForm = Form;
    // The active form comes first in the list, as the system's z-order has it.
    if (Form) {
        std::erase(FForms, Form);
        FForms.insert(FForms.begin(), Form);
    }
    if (OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetActiveControl(TWinControl* Control) {
    if (FActiveControl == Control) return;
    FActiveControl = Control;
    if (OnActiveControlChange) OnActiveControlChange(this);
}

int TScreen::Width() const {
    if (!qApp) return 1024;
    QScreen* S = QGuiApplication::primaryScreen();
    return S ? S->geometry().width() : 1024;
}

int TScreen::DesktopWidth() const {
    QScreen* S = qApp ? QGuiApplication::primaryScreen() : nullptr;
    return S ? S->virtualGeometry().width() : Width();
}

int TScreen::DesktopHeight() const {
    QScreen* S = qApp ? QGuiApplication::primaryScreen() : nullptr;
    return S ? S->virtualGeometry().height() : Height();
}

int TScreen::Height() const {
    if (!qApp) return 768;
    QScreen* S = QGuiApplication::primaryScreen();
    return S ? S->geometry().height() : 768;
}

TRect TScreen::WorkAreaRect() const {
    if (!qApp) return Rect(0, 0, 1024, 768);
    QScreen* S = QGuiApplication::primaryScreen();
    return S ? FromQt(S->availableGeometry()) : Rect(0, 0, 1024, 768);
}

void TScreen::UpdateMonitors() const {
    FMonitors.clear();
    const QList<QScreen*> Screens = qApp ? QGuiApplication::screens() : QList<QScreen*>();
    if (Screens.isEmpty()) {
        auto M = std::make_unique<TMonitor>();
        M->FPrimary = true;
        M->FBounds = Rect(0, 0, 1024, 768);
        M->FWorkarea = M->FBounds;
        FMonitors.push_back(std::move(M));
        return;
    }
    for (int I = 0; I < Screens.size(); ++I) {
        auto M = std::make_unique<TMonitor>();
        M->FMonitorNum = I;
        M->FPrimary = Screens[I] == QGuiApplication::primaryScreen();
        M->FBounds = FromQt(Screens[I]->geometry());
        M->FWorkarea = FromQt(Screens[I]->availableGeometry());
        FMonitors.push_back(std::move(M));
    }
}

int TScreen::MonitorCount() const {
    UpdateMonitors();
    return static_cast<int>(FMonitors.size());
}

TMonitor* TScreen::Monitors(int Index) const {
    UpdateMonitors();
    if (Index < 0 || Index >= static_cast<int>(FMonitors.size()))
        throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
    return FMonitors[static_cast<std::size_t>(Index)].get();
}

TMonitor* TScreen::MonitorFromPoint(const TPoint& Point) const {
    UpdateMonitors();
    for (auto& M : FMonitors)
        if (PtInRect(M->BoundsRect(), Point)) return M.get();
    return FMonitors.front().get();
}

TStrings* TScreen::Fonts() const {
    if (!FFonts) {
        auto List = std::make_unique<TStringList>();
        if (qApp)
            for (const QString& Family : QFontDatabase::families())
                List->Add(FromQt(Family));
        List->Sort();
        FFonts = std::move(List);
    }
    return FFonts.get();
}

// ---- Start and end ------------------------------------------------------------------------------

void DoneApplication() {
    if (!Application) return;
    Application->CancelHint();
    Application->DestroyComponents();
    Application->ProcessMessages();
}

void RegisterFormsClasses() {
    RegisterClass(TCustomForm::StaticClass());
    RegisterClass(TForm::StaticClass());
    RegisterClass(THintWindow::StaticClass());
    RegisterClass(TApplication::StaticClass());
    RegisterClass(TScreen::StaticClass());
    InstallMainThreadWaker();
    SetQuestionTitleSource([] { return Application ? Application->Title() : String(); });
    SetQuestionParentResolver([](std::uintptr_t Handle) -> QWidget* {
        if (Handle) return WidgetOfHandle(static_cast<HWND>(Handle));
        TCustomForm* F = Screen ? Screen->ActiveForm() : nullptr;
        return F ? WidgetOfHandle(F->WindowHandle()) : nullptr;
    });
}
