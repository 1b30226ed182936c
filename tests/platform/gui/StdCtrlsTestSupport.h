#pragma once
// What the tests of the standard controls share: typing into a control's focus widget, the
// native widget of an edit, and saving pictures to look at.

#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include "platform/gui/StdCtrls.h"

#include <QApplication>
#include <QKeyEvent>

#include <cstdlib>
#include <string>

// The widget that takes a control's keys (its native text widget, or its window).
inline QWidget* KeyWidget(TWinControl* Control) {
    QWidget* W = WindowOf(Control);
    return W && W->focusProxy() ? W->focusProxy() : W;
}

// A key as the user presses and releases it, delivered where Qt delivers keys.
inline void PressKey(TWinControl* Control, int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier,
                     const QString& Text = QString()) {
    QWidget* W = KeyWidget(Control);
    QKeyEvent Press(QEvent::KeyPress, Key, Modifiers, Text);
    QApplication::sendEvent(W, &Press);
    QKeyEvent Release(QEvent::KeyRelease, Key, Modifiers, Text);
    QApplication::sendEvent(W, &Release);
}

// Types printable text, one key per character.
inline void TypeText(TWinControl* Control, const QString& Text) {
    for (QChar C : Text) {
        const int Key = C.isLetter() ? Qt::Key_A + (C.toUpper().unicode() - 'A') : C.unicode();
        PressKey(Control, Key, C.isUpper() ? Qt::ShiftModifier : Qt::NoModifier, QString(C));
    }
}

// Saves a window's picture to look at: into $MORVANE_GRAB_DIR when set, else into Folder.
inline String SaveGrab(TWinControl* Control, const TTempFolder& Folder, const std::string& Name) {
    const char* Dir = std::getenv("MORVANE_GRAB_DIR");
    const String File = Dir ? Utf8ToString(std::string(Dir) + "/" + Name) : Folder / Name;
    SaveControlImage(Control, File);
    return File;
}
