#include "platform/gui/ControlsQt.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Threads.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GraphicsQt.h"
#include "platform/gui/MessagesPrivate.h"
#include "platform/gui/ScrollBarsPrivate.h"

#include <QApplication>
#include <QPixmap>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QWheelEvent>

#include <map>

// ---- Window picture -----------------------------------------------------------------------------

QRect TWindowPrivate::ClientArea() const {
    const int W = Control->Width() - Margins.Left - Margins.Right;
    const int H = Control->Height() - Margins.Top - Margins.Bottom;
    return QRect(Margins.Left, Margins.Top, std::max(W, 0), std::max(H, 0));
}

void TWindowPrivate::EnsureBuffer() {
    const QSize Size(std::max(Control->Width(), 0), std::max(Control->Height(), 0));
    if (Buffer.size() == Size && !Buffer.isNull()) return;
    ReleaseCanvases();
    if (Size.isEmpty()) {
        Buffer = QImage();
        return;
    }
    QImage New(Size, SeeThrough ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (SeeThrough)
        New.fill(Qt::transparent);
    else
        New.fill(QtColor(Control->Color()));
    if (!Buffer.isNull()) {
        QPainter P(&New);
        P.drawImage(0, 0, Buffer);
    }
    Buffer = std::move(New);
}

void TWindowPrivate::UpdateSeeThrough() {
    const bool Want = (ExStyle & WS_EX_TRANSPARENT) && Widget && Widget->parentWidget();
    if (Want == SeeThrough) return;
    ReleaseCanvases();
    SeeThrough = Want;
    // Qt paints the parent under a child that does not claim to cover itself.
    Widget->setAttribute(Qt::WA_OpaquePaintEvent, !Want);
    if (!Buffer.isNull())
        Buffer = Buffer.convertToFormat(Want ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    Invalidate(QRegion(QRect(0, 0, Control->Width(), Control->Height())), true);
}

void TWindowPrivate::ReleaseCanvases() {
    for (TControlCanvas* C : std::vector<TControlCanvas*>(BoundCanvases))
        C->FreeHandle();
    BoundCanvases.clear();
}

void TWindowPrivate::Invalidate(const QRegion& Region, bool Erase) {
    const QRegion Area = Region.intersected(QRect(0, 0, Control->Width(), Control->Height()));
    if (Area.isEmpty()) return;
    Invalid += Area;
    EraseNeeded = EraseNeeded || Erase;
    if (Widget) Widget->update(Area);
}

void TWindowPrivate::PaintInvalid() {
    if (Invalid.isEmpty() || Painting) return;
    EnsureBuffer();
    if (Buffer.isNull()) {
        Invalid = QRegion();
        return;
    }
    ReleaseCanvases();
    Painting = true;
    PaintRegion = Invalid;
    Invalid = QRegion();
    const bool Erase = EraseNeeded;
    EraseNeeded = false;
    if (SeeThrough) {
        // What the window does not paint again shows the parent, not the window's old pixels.
        QPainter Clear(&Buffer);
        Clear.setCompositionMode(QPainter::CompositionMode_Clear);
        for (const QRect& R : PaintRegion)
            Clear.fillRect(R, Qt::transparent);
    }
    TWinControl* C = Control;
    const HWND Wnd = C->WindowHandle();
    // A handler may destroy the control and with it this record.
    TScopeExit Done([&] {
        if (!IsWindow(Wnd)) return;
        Painting = false;
        PaintRegion = QRegion();
        ReleaseCanvases();
    });
    GuiBarrier([Wnd] { return FindControl(Wnd); }, [&] {
        if (!ClientArea().contains(PaintRegion.boundingRect())) C->Perform(WM_NCPAINT);
        if (Erase && IsWindow(Wnd)) C->Perform(WM_ERASEBKGND);
        if (IsWindow(Wnd)) C->Perform(WM_PAINT);
    });
}

void TWindowPrivate::Scroll(int DX, int DY, const QRect& Area, const QRect& Clip) {
    EnsureBuffer();
    if (Buffer.isNull()) return;
    ReleaseCanvases();
    const QRect Source = Area.intersected(Clip);
    const QRect Dest = Source.translated(DX, DY).intersected(Clip);
    if (!Dest.isEmpty()) {
        const QImage Part = Buffer.copy(Dest.translated(-DX, -DY));
        QPainter P(&Buffer);
        P.drawImage(Dest.topLeft(), Part);
    }
    // Pending invalid parts move with the pixels; what was uncovered is invalid now.
    const QRegion Moving = Invalid.intersected(Source);
    Invalid = (Invalid - Moving) + Moving.translated(DX, DY).intersected(Clip);
    Invalidate(QRegion(Source) - QRegion(Dest), true);
    if (Widget) Widget->update(Clip);
}

void TWindowPrivate::LayoutMenuBar() {
    if (!MenuBar || !Widget) return;
    MenuBar->setGeometry(0, 0, Control->Width(), MenuBar->sizeHint().height());
}

void TWindowPrivate::MenuBarChanged() {
    LayoutMenuBar();
    Control->NonClientChanged();
}

// ---- Lookups ------------------------------------------------------------------------------------

QWidget* WidgetOfHandle(HWND Wnd) {
    TWinControl* C = FindControl(Wnd);
    return C && C->WindowPrivate() ? C->WindowPrivate()->Widget.data() : nullptr;
}

bool IsLayerWidget(QWidget* Widget) {
    for (QWidget* W = Widget; W; W = W->parentWidget())
        if (dynamic_cast<TQtWindow*>(W)) return true;
    return false;
}

TQtWindow* WindowOf(const TWinControl* Control) {
    return Control && Control->WindowPrivate() ? Control->WindowPrivate()->Widget.data() : nullptr;
}

// ---- Keys -----------------------------------------------------------------------------------------

Word VirtualKeyOf(int QtKey, Qt::KeyboardModifiers Modifiers) {
    const bool Keypad = Modifiers & Qt::KeypadModifier;
    if (QtKey >= Qt::Key_A && QtKey <= Qt::Key_Z) return static_cast<Word>(QtKey);
    if (QtKey >= Qt::Key_0 && QtKey <= Qt::Key_9)
        return static_cast<Word>(Keypad ? VK_NUMPAD0 + (QtKey - Qt::Key_0) : QtKey);
    if (QtKey >= Qt::Key_F1 && QtKey <= Qt::Key_F24) return static_cast<Word>(VK_F1 + (QtKey - Qt::Key_F1));
    if (Keypad) {
        switch (QtKey) {
        case Qt::Key_Asterisk:
            return VK_MULTIPLY;
        case Qt::Key_Plus:
            return VK_ADD;
        case Qt::Key_Minus:
            return VK_SUBTRACT;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return VK_DECIMAL;
        case Qt::Key_Slash:
            return VK_DIVIDE;
        default:
            break;
        }
    }
    switch (QtKey) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Clear:
        return VK_CLEAR;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return VK_MENU;
    case Qt::Key_Pause:
        return VK_PAUSE;
    case Qt::Key_CapsLock:
        return VK_CAPITAL;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Select:
        return VK_SELECT;
    case Qt::Key_Printer:
        return VK_PRINT;
    case Qt::Key_Execute:
        return VK_EXECUTE;
    case Qt::Key_Print:
    case Qt::Key_SysReq:
        return VK_SNAPSHOT;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Help:
        return VK_HELP;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
        return VK_LWIN;
    case Qt::Key_Super_R:
        return VK_RWIN;
    case Qt::Key_Menu:
        return VK_APPS;
    case Qt::Key_NumLock:
        return VK_NUMLOCK;
    case Qt::Key_ScrollLock:
        return VK_SCROLL;
    case Qt::Key_Cancel:
        return VK_CANCEL;
    // Symbols: the key that types them on a US keyboard.
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return VK_OEM_1;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return VK_OEM_PLUS;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return VK_OEM_COMMA;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return VK_OEM_MINUS;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return VK_OEM_PERIOD;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return VK_OEM_2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return VK_OEM_3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return VK_OEM_4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return VK_OEM_5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return VK_OEM_6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return VK_OEM_7;
    case Qt::Key_Exclam:
        return '1';
    case Qt::Key_At:
        return '2';
    case Qt::Key_NumberSign:
        return '3';
    case Qt::Key_Dollar:
        return '4';
    case Qt::Key_Percent:
        return '5';
    case Qt::Key_AsciiCircum:
        return '6';
    case Qt::Key_Ampersand:
        return '7';
    case Qt::Key_Asterisk:
        return '8';
    case Qt::Key_ParenLeft:
        return '9';
    case Qt::Key_ParenRight:
        return '0';
    default:
        return 0;
    }
}

// ---- Cursors --------------------------------------------------------------------------------------

Qt::CursorShape ShapeOfCursor(TCursor Cursor) {
    if (Screen) Cursor = static_cast<TCursor>(Screen->Cursors(Cursor)); // aliases in the table
    switch (Cursor) {
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSize:
    case crSizeAll:
        return Qt::SizeAllCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait:
        return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag:
        return Qt::DragMoveCursor;
    case crNoDrop:
    case crNo:
        return Qt::ForbiddenCursor;
    case crHSplit:
        return Qt::SplitHCursor;
    case crVSplit:
        return Qt::SplitVCursor;
    case crAppStart:
        return Qt::BusyCursor;
    case crHelp:
        return Qt::WhatsThisCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    default:
        return Qt::ArrowCursor;
    }
}

namespace {

struct TBitmapCursor {
    QImage Image;
    QPoint HotSpot;
};

std::map<HCURSOR, TBitmapCursor>& BitmapCursors() {
    static std::map<HCURSOR, TBitmapCursor> Cursors;
    return Cursors;
}

// Above every TCursor value, so that the two kinds never meet.
HCURSOR GNextBitmapCursor = 0x10000;

} // namespace

HCURSOR CreateBitmapCursor(const TBitmap* Image, const TPoint& HotSpot) {
    if (!Image || Image->Empty()) throw EInvalidGraphic(u"Invalid image");
    // The picture as it is drawn: the transparent colour already cleared.
    QImage Picture = BitmapToQImage(const_cast<TBitmap*>(Image)).convertToFormat(QImage::Format_ARGB32);
    const HCURSOR Handle = GNextBitmapCursor++;
    BitmapCursors()[Handle] = {std::move(Picture), QPoint(HotSpot.X, HotSpot.Y)};
    return Handle;
}

bool DestroyCursor(HCURSOR Cursor) {
    return BitmapCursors().erase(Cursor) > 0;
}

bool GetBitmapCursor(HCURSOR Cursor, TBitmap* Image, TPoint& HotSpot) {
    const auto It = BitmapCursors().find(Cursor);
    if (It == BitmapCursors().end()) return false;
    if (Image) BitmapFromQImage(Image, It->second.Image);
    HotSpot = {It->second.HotSpot.x(), It->second.HotSpot.y()};
    return true;
}

QCursor QtCursorOf(HCURSOR Cursor) {
    if (Screen && Cursor >= INT16_MIN && Cursor <= INT16_MAX) Cursor = Screen->Cursors(static_cast<int>(Cursor));
    if (const auto It = BitmapCursors().find(Cursor); It != BitmapCursors().end())
        return QCursor(QPixmap::fromImage(It->second.Image), It->second.HotSpot.x(), It->second.HotSpot.y());
    return QCursor(ShapeOfCursor(static_cast<TCursor>(Cursor)));
}

TCursor CursorOfShape(Qt::CursorShape Shape) {
    for (TCursor C = 0; C >= -22; --C)
        if (ShapeOfCursor(C) == Shape) return C;
    return crDefault;
}

// ---- The widget -----------------------------------------------------------------------------------

namespace {

bool GAppStateHooked = false;

void HookApplicationState() {
    if (GAppStateHooked || !qApp) return;
    GAppStateHooked = true;
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, [](Qt::ApplicationState State) {
        GuiBarrier(nullptr, [&] { ApplicationActiveChanged(State == Qt::ApplicationActive); });
    });
}

int MouseKeysOf(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Modifiers) {
    int Keys = 0;
    if (Buttons & Qt::LeftButton) Keys |= MK_LBUTTON;
    if (Buttons & Qt::RightButton) Keys |= MK_RBUTTON;
    if (Buttons & Qt::MiddleButton) Keys |= MK_MBUTTON;
    if (Modifiers & Qt::ShiftModifier) Keys |= MK_SHIFT;
    if (Modifiers & Qt::ControlModifier) Keys |= MK_CONTROL;
    return Keys;
}

TWinControl* TopLevelOf(TWinControl* C) {
    while (C && C->Parent())
        C = C->Parent();
    return C;
}

} // namespace

TQtWindow::TQtWindow(TWindowPrivate* AOwner, QWidget* AParent, Qt::WindowFlags Flags)
    : QWidget(AParent, Flags), FOwner(AOwner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    // Every window has an input context, as its text may come composed.
    setAttribute(Qt::WA_InputMethodEnabled);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    HookApplicationState();
}

TQtWindow::~TQtWindow() {
    // Qt deletes child widgets with their parent: a control whose widget goes that way only
    // forgets it (its QPointer turns null).
}

bool TQtWindow::event(QEvent* Event) {
    if (!FOwner) return QWidget::event(Event);
    // A failed handler counts as handled: the toolkit does not act on the event as well.
    if (GuiBarrier(
            FOwner->Control, [&] { return HandleEvent(Event); }, true))
        return true;
    return QWidget::event(Event);
}

QVariant TQtWindow::inputMethodQuery(Qt::InputMethodQuery Query) const {
    if (!FOwner) return QWidget::inputMethodQuery(Query);
    TWinControl* Control = FOwner->Control;
    switch (Query) {
    case Qt::ImEnabled:
        return Control->Enabled();
    case Qt::ImFont:
        return QtFont(Control->Font());
    case Qt::ImCursorRectangle:
    case Qt::ImAnchorRectangle: {
        TRect R;
        if (!InputMethodCursorRect(Control->WindowHandle(), R)) break;
        return ToQt(R).translated(FOwner->ClientArea().topLeft());
    }
    default:
        break;
    }
    return QWidget::inputMethodQuery(Query);
}

bool TQtWindow::HandleEvent(QEvent* Event) {
    TWinControl* Control = FOwner->Control;
    const HWND Wnd = Control->WindowHandle();
    switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        MouseEvent(Event);
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        KeyEvent(Event);
        return true;
    case QEvent::InputMethod:
        DeliverInputMethodEvent(Wnd, static_cast<QInputMethodEvent*>(Event));
        return true;
    case QEvent::ShortcutOverride:
        // Shortcuts are ours (IsShortCut): the key comes here as a key press.
        Event->accept();
        return true;
    case QEvent::FocusIn:
        if (GetFocus() != Wnd) ::SetFocus(Wnd);
        return true;
    case QEvent::FocusOut: {
        auto* F = static_cast<QFocusEvent*>(Event);
        if (GetFocus() == Wnd && F->reason() != Qt::PopupFocusReason &&
            !IsLayerWidget(QApplication::focusWidget()))
            ::SetFocus(0);
        return true;
    }
    case QEvent::Leave:
        if (!GetCapture()) {
            TControl* M = GetMouseControl();
            if (M && (M == Control || M->Parent() == Control)) SetMouseControl(nullptr);
        }
        return true;
    case QEvent::Close:
        Event->ignore();
        SendMessage(Wnd, WM_CLOSE);
        return true;
    case QEvent::Resize:
    case QEvent::Move:
        if (isWindow() && !FOwner->UpdatingFromWidget) {
            // A window's Left and Top are its frame's corner.
            const QRect G(pos(), size());
            if (G != QRect(Control->Left(), Control->Top(), Control->Width(), Control->Height())) {
                FOwner->UpdatingFromWidget = true;
                TScopeExit Updated([this] {
                    if (FOwner) FOwner->UpdatingFromWidget = false;
                });
                Control->SetBounds(G.x(), G.y(), G.width(), G.height());
            }
            auto* Form = dynamic_cast<TCustomForm*>(Control);
            if (FOwner && Form && Form->WindowState() == wsNormal &&
                !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
                FOwner->NormalBounds = Control->BoundsRect();
                FOwner->HasNormalBounds = true;
            }
        }
        if (FOwner) FOwner->LayoutMenuBar();
        return false;
    case QEvent::WindowActivate:
        if (isWindow() && GetActiveWindow() != Wnd && !testAttribute(Qt::WA_ShowWithoutActivating))
            SetActiveWindowHandle(Wnd);
        return true;
    case QEvent::WindowDeactivate:
        return true;
    case QEvent::ContextMenu: {
        auto* C = static_cast<QContextMenuEvent*>(Event);
        // A mouse's context menu comes from the right button's release (WM_RBUTTONUP).
        if (C->reason() == QContextMenuEvent::Keyboard)
            SendMessage(GetFocus() ? GetFocus() : Wnd, WM_CONTEXTMENU, Wnd, MAKELPARAM(-1, -1));
        return true;
    }
    case QEvent::ToolTip:
    case QEvent::WhatsThis:
        return true;
    case QEvent::WindowStateChange:
        if (auto* Form = dynamic_cast<TCustomForm*>(Control)) {
            const Qt::WindowStates S = windowState();
            const TWindowState State = (S & Qt::WindowMinimized)   ? wsMinimized
                                       : (S & Qt::WindowMaximized) ? wsMaximized
                                                                   : wsNormal;
            if (Form->WindowState() != State) Form->SetWindowState(State);
        }
        return false;
    default:
        return false;
    }
}

void TQtWindow::paintEvent(QPaintEvent* Event) {
    if (!FOwner) return;
    FOwner->PaintInvalid();
    if (!FOwner) return;
    FOwner->ReleaseCanvases();
    QPainter P(this);
    if (FOwner->Buffer.isNull()) {
        P.fillRect(Event->rect(), QtColor(FOwner->Control->Color()));
        return;
    }
    for (const QRect& R : Event->region())
        P.drawImage(R.topLeft(), FOwner->Buffer, R);
    TRect Caret;
    if (CaretRect(FOwner->Control->WindowHandle(), Caret)) {
        const QRect C =
            ToQt(Caret).translated(FOwner->ClientArea().topLeft()).intersected(FOwner->ClientArea());
        P.setClipRect(FOwner->ClientArea());
        P.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        P.fillRect(C, Qt::white);
    }
}

void TQtWindow::MouseEvent(QEvent* Event) {
    auto* M = static_cast<QSinglePointEvent*>(Event);
    const QPoint Global = M->globalPosition().toPoint();
    const TPoint Screen{Global.x(), Global.y()};
    NoteCursorPos(Screen);
    SyncModifierKeys(M->modifiers());
    SyncMouseButtons(M->buttons());
    const int Keys = MouseKeysOf(M->buttons(), M->modifiers());

    // The window holding the capture gets the mouse, wherever the pointer is.
    TWinControl* Target = FOwner->Control;
    if (HWND Cap = GetCapture(); Cap && Cap != Target->WindowHandle()) {
        if (TWinControl* C = FindControl(Cap)) Target = C;
    }
    const HWND Wnd = Target->WindowHandle();

    if (Event->type() == QEvent::Wheel) {
        auto* W = static_cast<QWheelEvent*>(Event);
        const QPoint Delta = W->angleDelta();
        const MOUSEHOOKSTRUCT Info{Screen, Wnd, HTCLIENT, 0};
        if (Delta.y() != 0 && !CallMouseHooks(WM_MOUSEWHEEL, Info) && IsWindow(Wnd))
            SendMessage(Wnd, WM_MOUSEWHEEL, MAKEWPARAM(Keys, Delta.y()), PointToLParam(Screen));
        if (Delta.x() != 0 && !CallMouseHooks(WM_MOUSEHWHEEL, Info) && IsWindow(Wnd))
            SendMessage(Wnd, WM_MOUSEHWHEEL, MAKEWPARAM(Keys, Delta.x()), PointToLParam(Screen));
        return;
    }

    // A window scroll bar held down follows the mouse until the button's release.
    if (WindowScrollBarTracking() && Event->type() != QEvent::MouseButtonPress &&
        Event->type() != QEvent::MouseButtonDblClick &&
        WindowScrollBarMouse(Event->type() == QEvent::MouseMove ? 0 : 1, Screen))
        return;

    if (DragInProgress()) {
        if (Event->type() == QEvent::MouseMove)
            DragMouseMove(Screen);
        else if (Event->type() == QEvent::MouseButtonRelease)
            DragMouseUp();
        return;
    }

    const TPoint Client = Target->ScreenToClient(Screen);
    const bool Captured = GetCapture() == Wnd;
    if (!Captured) {
        // The frame outside the client area: the non-client messages.
        const LRESULT Hit = SendMessage(Wnd, WM_NCHITTEST, 0, PointToLParam(Screen));
        if (!IsWindow(Wnd)) return;
        if (Hit != HTCLIENT) {
            UINT Msg = WM_NCMOUSEMOVE;
            auto* B = static_cast<QMouseEvent*>(Event);
            const bool Right = B->button() == Qt::RightButton, Middle = B->button() == Qt::MiddleButton;
            if (Event->type() == QEvent::MouseButtonPress)
                Msg = Right ? WM_NCRBUTTONDOWN : Middle ? WM_NCMBUTTONDOWN : WM_NCLBUTTONDOWN;
            else if (Event->type() == QEvent::MouseButtonRelease)
                Msg = Right ? WM_NCRBUTTONUP : Middle ? WM_NCMBUTTONUP : WM_NCLBUTTONUP;
            else if (Event->type() == QEvent::MouseButtonDblClick)
                Msg = Right ? WM_NCRBUTTONDBLCLK : Middle ? WM_NCMBUTTONDBLCLK : WM_NCLBUTTONDBLCLK;
            // The thread's mouse hooks see the message first.
            if (CallMouseHooks(Msg, MOUSEHOOKSTRUCT{Screen, Wnd, static_cast<UINT>(Hit), 0}) || !IsWindow(Wnd))
                return;
            TMsg M{Wnd, Msg, static_cast<WPARAM>(Hit), PointToLParam(Screen), 0, Screen};
            if (Application) Application->CancelHintFor(M);
            if (IsWindow(Wnd)) SendMessage(Wnd, Msg, static_cast<WPARAM>(Hit), PointToLParam(Screen));
            return;
        }
        if (Event->type() == QEvent::MouseMove) {
            SendMessage(Wnd, WM_SETCURSOR, Wnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            if (!IsWindow(Wnd)) return;
        }
    }

    UINT Msg = WM_MOUSEMOVE;
    if (Event->type() != QEvent::MouseMove) {
        auto* B = static_cast<QMouseEvent*>(Event);
        const Qt::MouseButton Button = B->button();
        const int Index = Button == Qt::RightButton ? 1 : Button == Qt::MiddleButton ? 2 : 0;
        static const UINT Down[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
        static const UINT Up[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
        static const UINT Dbl[] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
        if (Event->type() == QEvent::MouseButtonPress)
            Msg = Down[Index];
        else if (Event->type() == QEvent::MouseButtonRelease)
            Msg = Up[Index];
        else
            Msg = Target->ControlStyle().Contains(csDoubleClicks) ? Dbl[Index] : Down[Index];
    }
    if (CallMouseHooks(Msg, MOUSEHOOKSTRUCT{Screen, Wnd, HTCLIENT, 0}) || !IsWindow(Wnd)) return;
    if (Msg != WM_MOUSEMOVE && Application) {
        // A press ends the hint the window shows or is about to show.
        TMsg M{Wnd, Msg, static_cast<WPARAM>(Keys), PointToLParam(Client), 0, Screen};
        Application->CancelHintFor(M);
        if (!IsWindow(Wnd)) return;
    }
    SendMessage(Wnd, Msg, static_cast<WPARAM>(Keys), PointToLParam(Client));
}

void TQtWindow::KeyEvent(QEvent* Event) {
    auto* K = static_cast<QKeyEvent*>(Event);
    const bool Press = Event->type() == QEvent::KeyPress;
    const Word VK = VirtualKeyOf(K->key(), K->modifiers());
    // The modifiers before this key; the key itself counts from its press to its release.
    SyncModifierKeys(K->modifiers());
    if (VK) SetKeyDown(VK, Press);

    // Keys go to the focus window when it is in this top-level window, else to this one.
    TWinControl* Target = FOwner->Control;
    if (TWinControl* F = FindControl(GetFocus()); F && TopLevelOf(F) == TopLevelOf(Target)) Target = F;
    const HWND Wnd = Target->WindowHandle();

    if (Press && VK == VK_ESCAPE && DragInProgress()) {
        DragCancel();
        return;
    }

    const bool Alt = GetKeyState(VK_MENU) < 0;
    const bool Ctrl = GetKeyState(VK_CONTROL) < 0;
    int KeyData = 1 | ((static_cast<int>(K->nativeScanCode()) & 0xFF) << 16);
    if (Alt) KeyData |= KF_ALTDOWN_BIT;
    if (Press && K->isAutoRepeat()) KeyData |= KF_REPEAT_BIT;
    if (!Press) KeyData |= static_cast<int>(KF_UP_BIT | KF_REPEAT_BIT);
    const bool Sys = (Alt && !Ctrl) || VK == VK_F10;

    if (VK) {
        const UINT Msg = Press ? (Sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (Sys ? WM_SYSKEYUP : WM_KEYUP);
        // The thread's keyboard hooks see the key first; a swallowed press types nothing.
        if (CallKeyboardHooks(VK, KeyData)) return;
        if (!IsWindow(Wnd)) return;
        TMsg M{Wnd, Msg, VK, KeyData, 0, {}};
        if (Application && Application->IsKeyMsg(Target, M)) return;
        if (!IsWindow(Wnd)) return;
        SendMessage(Wnd, Msg, VK, KeyData);
    }
    if (!Press) return;

    // The characters the key types.
    String Text = FromQt(K->text());
    if (Text.empty() && Ctrl && !Alt && VK >= 'A' && VK <= 'Z')
        Text = String(1, static_cast<Char>(VK - 'A' + 1));
    for (Char Ch : Text) {
        if (!IsWindow(Wnd)) return;
        if (Ch == 0x7F && VK == VK_DELETE) continue;
        const UINT Msg = Sys ? WM_SYSCHAR : WM_CHAR;
        TMsg M{Wnd, Msg, Ch, KeyData, 0, {}};
        if (Application && Application->IsKeyMsg(FindControl(Wnd), M)) continue;
        if (IsWindow(Wnd)) SendMessage(Wnd, Msg, Ch, KeyData);
    }
}
