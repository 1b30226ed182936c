#include "platform/gui/NativeWindow.h"

#include "platform/gui/Controls.h"
#include "platform/gui/ControlsQt.h"

#include <QGuiApplication>
#include <QWidget>

unsigned NativeWindowOf(TWinControl* Control) {
    if (!Control || QGuiApplication::platformName() != u"xcb") return 0;
    QWidget* W = WidgetOfHandle(Control->Handle());
    // A native window of its own: a window placed in it by another program then moves, shows and
    // hides with the control.
    return W ? unsigned(W->winId()) : 0;
}
