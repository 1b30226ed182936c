#pragma once
// What the GUI layer's tests share: small stand-ins for standard controls, a message recorder,
// synthesised Qt input, and grabbing a window into a picture.

#include "platform/gui/Controls.h"
#include "platform/gui/ControlsQt.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GraphicsQt.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <vector>

// A panel: a window that fills itself with its colour.
class TTestPanel : public TCustomControl {
public:
    explicit TTestPanel(TComponent* AOwner, TWinControl* AParent = nullptr) : TCustomControl(AOwner) {
        SetBounds(0, 0, 50, 50);
        if (AParent) SetParent(AParent);
    }

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(ClientRect());
    }
};

// A splitter-like bar without a window of its own.
class TTestBar : public TGraphicControl {
public:
    explicit TTestBar(TComponent* AOwner, TWinControl* AParent = nullptr) : TGraphicControl(AOwner) {
        SetBounds(0, 0, 4, 50);
        if (AParent) SetParent(AParent);
    }

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(ClientRect());
    }
};

// A control that takes the keys it is told to (WM_GETDLGCODE) and can take the focus.
class TTestEdit : public TCustomControl {
public:
    explicit TTestEdit(TComponent* AOwner, TWinControl* AParent = nullptr) : TCustomControl(AOwner) {
        SetBounds(0, 0, 80, 20);
        SetTabStop(true);
        if (AParent) SetParent(AParent);
    }
    int DlgCode = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS | DLGC_WANTTAB;

protected:
    void WMGetDlgCode(TWMGetDlgCode& Message) override { Message.Result = DlgCode; }
};

// Records the messages that pass through a control's WindowProc (a replaced WindowProc that
// hands every message on to the one it replaced).
class TMessageLog {
public:
    explicit TMessageLog(TControl* AControl) : FControl(AControl), FOld(AControl->WindowProc()) {
        AControl->SetWindowProc([this](TMessage& M) {
            Messages.push_back(M);
            FOld(M);
        });
    }
    ~TMessageLog() { FControl->SetWindowProc(FOld); }
    std::vector<TMessage> Of(UINT Msg) const {
        std::vector<TMessage> R;
        for (const TMessage& M : Messages)
            if (M.Msg == Msg) R.push_back(M);
        return R;
    }
    std::vector<TMessage> Messages;

private:
    TControl* FControl;
    TWndMethod FOld;
};

// Lets Qt and the layer handle what is waiting.
inline void Pump() {
    for (int I = 0; I < 5; ++I) {
        QApplication::processEvents();
        Application->ProcessMessages();
    }
}

// The window as it is shown now.
inline QImage Grab(TWinControl* Control) {
    Control->Update();
    return WindowOf(Control)->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline TColor PixelAt(const QImage& Image, int X, int Y) {
    return ColorFromQt(Image.pixel(X, Y));
}

// A widget point of a control's client point.
inline QPoint WidgetPoint(TWinControl* Control, const TPoint& Client) {
    const QPoint Origin = Control->WindowPrivate()->ClientArea().topLeft();
    return Origin + QPoint(Client.X, Client.Y);
}

inline void SendMouse(TWinControl* Control, QEvent::Type Type, const TPoint& Client,
                      Qt::MouseButton Button = Qt::LeftButton,
                      Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
    QWidget* W = WindowOf(Control);
    const QPoint Local = WidgetPoint(Control, Client);
    Qt::MouseButtons Buttons =
        Type == QEvent::MouseButtonRelease || Type == QEvent::MouseMove ? Qt::NoButton : Button;
    QMouseEvent E(Type, QPointF(Local), QPointF(W->mapToGlobal(Local)),
                  Type == QEvent::MouseMove ? Qt::NoButton : Button, Buttons, Modifiers);
    QApplication::sendEvent(W, &E);
}

inline void Click(TWinControl* Control, const TPoint& Client, Qt::MouseButton Button = Qt::LeftButton,
                  Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
    SendMouse(Control, QEvent::MouseButtonPress, Client, Button, Modifiers);
    SendMouse(Control, QEvent::MouseButtonRelease, Client, Button, Modifiers);
}

inline void SendKey(TWinControl* Control, int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier,
                    const QString& Text = QString()) {
    QWidget* W = WindowOf(Control);
    QKeyEvent Press(QEvent::KeyPress, Key, Modifiers, Text);
    QApplication::sendEvent(W, &Press);
    QKeyEvent Release(QEvent::KeyRelease, Key, Modifiers, Text);
    QApplication::sendEvent(W, &Release);
}

// A form that the test owns and frees.
struct TFormFixture : ::testing::Test {
    TForm* Form = nullptr;
    void SetUp() override {
        Form = new TForm(nullptr);
        Form->SetBounds(10, 10, 400, 300);
    }
    void TearDown() override { delete Form; }
};
