#include "platform/gui/SynthInput.h"

#include "platform/base/Exceptions.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ControlsQt.h"
#include "platform/gui/QuestionsQt.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>

#include <array>

// The toolkit's own entry for mouse input from the window system, which its test library uses;
// the GUI library exports it.
Q_GUI_EXPORT void qt_handleMouseEvent(QWindow* Window, const QPointF& Local, const QPointF& Global,
                                      Qt::MouseButtons State, Qt::MouseButton Button, QEvent::Type Type,
                                      Qt::KeyboardModifiers Modifiers, int Timestamp);

namespace {

bool IsKeypadKey(Word Key) {
    return (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9) || Key == VK_MULTIPLY || Key == VK_ADD ||
           Key == VK_SUBTRACT || Key == VK_DECIMAL || Key == VK_DIVIDE;
}

// The toolkit's key for a virtual key: the first key that the layer's own translation turns
// into it, so that the two directions cannot disagree.
int QtKeyOf(Word Key) {
    static const std::array<int, 256> Table = [] {
        std::array<int, 256> T{};
        auto Note = [&T](int QtKey, Qt::KeyboardModifiers Modifiers) {
            const Word VK = VirtualKeyOf(QtKey, Modifiers);
            if (VK && VK < T.size() && !T[VK]) T[VK] = QtKey;
        };
        for (int K = Qt::Key_Space; K <= Qt::Key_Z; ++K) // letters and digits stand for themselves
            if (VirtualKeyOf(K, Qt::NoModifier) == K) Note(K, Qt::NoModifier);
        for (int K = Qt::Key_Space; K <= Qt::Key_AsciiTilde; ++K)
            Note(K, Qt::NoModifier);
        for (int Base : {0x01000000, 0x01010000, 0x01020000})
            for (int K = Base; K < Base + 0x100; ++K)
                Note(K, Qt::NoModifier);
        for (int K = Qt::Key_Space; K <= Qt::Key_AsciiTilde; ++K)
            Note(K, Qt::KeypadModifier);
        return T;
    }();
    return Key < Table.size() ? Table[Key] : 0;
}

Qt::KeyboardModifiers ModifiersOf(TShiftState Shift) {
    Qt::KeyboardModifiers M;
    if (Shift.Contains(ssShift)) M |= Qt::ShiftModifier;
    if (Shift.Contains(ssCtrl)) M |= Qt::ControlModifier;
    if (Shift.Contains(ssAlt)) M |= Qt::AltModifier;
    return M;
}

Qt::MouseButton QtButtonOf(TMouseButton Button) {
    return Button == mbRight ? Qt::RightButton : Button == mbMiddle ? Qt::MiddleButton : Qt::LeftButton;
}

// The buttons that the key state holds down now.
Qt::MouseButtons ButtonsDown() {
    Qt::MouseButtons B;
    if (GetKeyState(VK_LBUTTON) < 0) B |= Qt::LeftButton;
    if (GetKeyState(VK_RBUTTON) < 0) B |= Qt::RightButton;
    if (GetKeyState(VK_MBUTTON) < 0) B |= Qt::MiddleButton;
    return B;
}

QWidget* WidgetFor(TWinControl* Control) {
    Control->HandleNeeded();
    QWidget* W = WindowOf(Control);
    if (!W) throw EInvalidOperation(u"The control has no window for input");
    return W;
}

// The modifiers as they were before an event that sets them for itself.
class TModifierState {
public:
    TModifierState()
        : FShift(GetKeyState(VK_SHIFT) < 0), FCtrl(GetKeyState(VK_CONTROL) < 0),
          FAlt(GetKeyState(VK_MENU) < 0) {}
    void Restore() const {
        SetKeyDown(VK_SHIFT, FShift);
        SetKeyDown(VK_CONTROL, FCtrl);
        SetKeyDown(VK_MENU, FAlt);
    }

private:
    bool FShift, FCtrl, FAlt;
};

void SendKeyEvent(TWinControl* Control, QEvent::Type Type, Word Key, TShiftState Shift) {
    const int QtKey = QtKeyOf(Key);
    if (!QtKey) throw EInvalidOperation(u"No key event for virtual key " + IntToStr(Key));
    QWidget* W = WidgetFor(Control);
    Qt::KeyboardModifiers Modifiers = ModifiersOf(Shift);
    if (IsKeypadKey(Key)) Modifiers |= Qt::KeypadModifier;
    const String Text = Type == QEvent::KeyPress ? KeyText(Key, Shift) : String();
    QKeyEvent E(Type, QtKey, Modifiers, ToQt(Text));
    QApplication::sendEvent(W, &E);
}

} // namespace

String KeyText(Word Key, TShiftState Shift) {
    const bool Upper = Shift.Contains(ssShift);
    if (Key >= 'A' && Key <= 'Z') {
        if (Shift.Contains(ssCtrl)) return Shift.Contains(ssAlt) ? String() : String(1, Char(Key - 'A' + 1));
        return String(1, Char(Upper ? Key : Key - 'A' + 'a'));
    }
    if (Shift.Contains(ssCtrl)) return String();
    if (Key >= '0' && Key <= '9') return String(1, Upper ? u")!@#$%^&*("[Key - '0'] : Char(Key));
    if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9) return String(1, Char('0' + Key - VK_NUMPAD0));
    struct TKeyChars {
        Word Key;
        Char Plain, Shifted;
    };
    static constexpr TKeyChars Chars[] = {
        {VK_SPACE, u' ', u' '},      {VK_RETURN, u'\r', u'\r'},  {VK_TAB, u'\t', u'\t'},
        {VK_BACK, u'\b', u'\b'},     {VK_ESCAPE, 0x1B, 0x1B},    {VK_OEM_1, u';', u':'},
        {VK_OEM_PLUS, u'=', u'+'},   {VK_OEM_COMMA, u',', u'<'}, {VK_OEM_MINUS, u'-', u'_'},
        {VK_OEM_PERIOD, u'.', u'>'}, {VK_OEM_2, u'/', u'?'},     {VK_OEM_3, u'`', u'~'},
        {VK_OEM_4, u'[', u'{'},      {VK_OEM_5, u'\\', u'|'},    {VK_OEM_6, u']', u'}'},
        {VK_OEM_7, u'\'', u'"'},     {VK_MULTIPLY, u'*', u'*'},  {VK_ADD, u'+', u'+'},
        {VK_SUBTRACT, u'-', u'-'},   {VK_DECIMAL, u'.', u'.'},   {VK_DIVIDE, u'/', u'/'},
    };
    for (const TKeyChars& C : Chars)
        if (C.Key == Key) return String(1, Upper ? C.Shifted : C.Plain);
    return String();
}

std::int16_t VkKeyScan(Char C) {
    // The main keys before the number pad's, a plain key before a shifted one, Ctrl last.
    static const TShiftState States[] = {TShiftState{}, TShiftState{ssShift}, TShiftState{ssCtrl}};
    for (bool Pad : {false, true})
        for (int S = 0; S < 3; ++S)
            for (Word Key = 1; Key < 256; ++Key) {
                if ((Key >= VK_NUMPAD0 && Key <= VK_DIVIDE) != Pad) continue;
                const String Text = KeyText(Key, States[S]);
                if (Text.size() == 1 && Text[0] == C) return std::int16_t(Key | (S == 1 ? 0x100 : S == 2 ? 0x200 : 0));
            }
    return -1;
}

void SetKeyState(Word Key, bool Down) {
    SetKeyDown(Key, Down);
}

void SynthKeyDown(TWinControl* Control, Word Key, TShiftState Shift) {
    SendKeyEvent(Control, QEvent::KeyPress, Key, Shift);
}

void SynthKeyUp(TWinControl* Control, Word Key, TShiftState Shift) {
    SendKeyEvent(Control, QEvent::KeyRelease, Key, Shift);
    // The modifiers held for the key are let go with it.
    if (Shift.Contains(ssShift)) SetKeyDown(VK_SHIFT, false);
    if (Shift.Contains(ssCtrl)) SetKeyDown(VK_CONTROL, false);
    if (Shift.Contains(ssAlt)) SetKeyDown(VK_MENU, false);
}

void SynthKey(TWinControl* Control, Word Key, TShiftState Shift) {
    SynthKeyDown(Control, Key, Shift);
    SynthKeyUp(Control, Key, Shift);
}

void SynthMouse(TWinControl* Control, TSynthMouseAction Action, const TPoint& Client, TMouseButton Button,
                TShiftState Shift) {
    QWidget* W = WidgetFor(Control);
    const QPoint Local = Control->WindowPrivate()->ClientArea().topLeft() + QPoint(Client.X, Client.Y);
    const QPointF Global(W->mapToGlobal(Local));
    const Qt::MouseButton B = QtButtonOf(Button);
    Qt::MouseButtons Held = ButtonsDown();
    QEvent::Type Type = QEvent::MouseMove;
    Qt::MouseButton Changed = Qt::NoButton;
    switch (Action) {
    case smMove:
        break;
    case smDown:
    case smDoubleClick:
        Type = Action == smDown ? QEvent::MouseButtonPress : QEvent::MouseButtonDblClick;
        Changed = B;
        Held |= B;
        break;
    case smUp:
        Type = QEvent::MouseButtonRelease;
        Changed = B;
        Held &= ~Qt::MouseButtons(B);
        break;
    }
    const TModifierState Before;
    QMouseEvent E(Type, QPointF(Local), Global, Changed, Held, ModifiersOf(Shift));
    QApplication::sendEvent(W, &E);
    Before.Restore();
}

void SynthSystemMouse(TWinControl* Control, TSynthMouseAction Action, const TPoint& Client, TMouseButton Button,
                      TShiftState Shift) {
    QWidget* W = WidgetFor(Control);
    QWidget* Top = W->window();
    Top->winId();
    QWindow* Window = Top->windowHandle();
    if (!Window) throw EInvalidOperation(u"The control has no top-level window for input");
    const QPoint Local = Control->WindowPrivate()->ClientArea().topLeft() + QPoint(Client.X, Client.Y);
    const Qt::MouseButton B = QtButtonOf(Button);
    Qt::MouseButtons Held = ButtonsDown();
    QEvent::Type Type = QEvent::MouseMove;
    Qt::MouseButton Changed = Qt::NoButton;
    if (Action != smMove) {
        Changed = B;
        Type = Action == smUp ? QEvent::MouseButtonRelease : QEvent::MouseButtonPress;
        if (Action == smUp)
            Held &= ~Qt::MouseButtons(B);
        else
            Held |= B;
    }
    // The toolkit makes a double click of two presses close in time: a press that is not the
    // second of a double click comes long after the one before.
    static int Stamp = 0;
    Stamp += Action == smMove || Action == smDown ? 10000 : 1;
    const TModifierState Before;
    qt_handleMouseEvent(Window, QPointF(W->mapTo(Top, Local)), QPointF(W->mapToGlobal(Local)), Held, Changed, Type,
                        ModifiersOf(Shift), Stamp);
    Before.Restore();
}

void SynthSystemClick(TWinControl* Control, const TPoint& Client, TMouseButton Button, TShiftState Shift) {
    SynthSystemMouse(Control, smDown, Client, Button, Shift);
    SynthSystemMouse(Control, smUp, Client, Button, Shift);
}

void SynthClick(TWinControl* Control, const TPoint& Client, TMouseButton Button, TShiftState Shift) {
    SynthMouse(Control, smDown, Client, Button, Shift);
    SynthMouse(Control, smUp, Client, Button, Shift);
}

void SynthDoubleClick(TWinControl* Control, const TPoint& Client, TMouseButton Button, TShiftState Shift) {
    SynthClick(Control, Client, Button, Shift);
    SynthMouse(Control, smDoubleClick, Client, Button, Shift);
    SynthMouse(Control, smUp, Client, Button, Shift);
}

void SynthWheel(TWinControl* Control, const TPoint& Client, int Delta, TShiftState Shift, bool Horizontal) {
    QWidget* W = WidgetFor(Control);
    const QPoint Local = Control->WindowPrivate()->ClientArea().topLeft() + QPoint(Client.X, Client.Y);
    const QPoint Angle = Horizontal ? QPoint(Delta, 0) : QPoint(0, Delta);
    const TModifierState Before;
    QWheelEvent E(QPointF(Local), QPointF(W->mapToGlobal(Local)), QPoint(), Angle, ButtonsDown(),
                  ModifiersOf(Shift), Qt::NoScrollPhase, false);
    QApplication::sendEvent(W, &E);
    Before.Restore();
}

bool SynthDropFiles(TWinControl* Control, const TPoint& Client, const std::vector<String>& Files) {
    QWidget* W = WidgetFor(Control);
    const QPoint Local = Control->WindowPrivate()->ClientArea().topLeft() + QPoint(Client.X, Client.Y);
    QMimeData Data;
    QList<QUrl> Urls;
    for (const String& F : Files)
        Urls.append(QUrl::fromLocalFile(Services::ToQString(F)));
    Data.setUrls(Urls);
    QDragEnterEvent Enter(Local, Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(W, &Enter);
    if (!Enter.isAccepted()) return false;
    QDropEvent Drop(QPointF(Local), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(W, &Drop);
    return Drop.isAccepted();
}

void SynthInputMethod(TWinControl* Control, const String& Composition, const String& Result) {
    QWidget* W = WidgetFor(Control);
    // A control that embeds a toolkit editor composes in it.
    QWidget* Focus = QApplication::focusWidget();
    QWidget* Target = Focus && W->isAncestorOf(Focus) ? Focus : W;
    QInputMethodEvent Event(ToQt(Composition), {});
    Event.setCommitString(ToQt(Result));
    QApplication::sendEvent(Target, &Event);
}

TRect QueryInputMethodCursor(TWinControl* Control) {
    QWidget* W = WidgetFor(Control);
    QInputMethodQueryEvent Query(Qt::ImCursorRectangle);
    QApplication::sendEvent(W, &Query);
    const QRect R = Query.value(Qt::ImCursorRectangle).toRect();
    return FromQt(R.translated(-Control->WindowPrivate()->ClientArea().topLeft()));
}
