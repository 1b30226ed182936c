#pragma once
// Internal to the GUI layer (included by its .cpp files only): the Qt widget behind a window
// handle, its back buffer, and the translation of Qt's events into messages.
//
// Each TWinControl with a handle owns one TQtWindow through TWindowPrivate. The widget covers the
// whole window (non-client frame included); its back buffer (a QImage as large as the window)
// holds the window's picture. Canvases draw into the buffer at any time; WM_PAINT repaints the
// invalid area into it; Qt's paint event only shows the buffer (and the caret over it).

#include "platform/gui/Controls.h"

#include <QCursor>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class TQtWindow;

inline QString ToQt(const String& S) {
    return QString::fromUtf16(S.data(), static_cast<qsizetype>(S.size()));
}
inline String FromQt(const QString& S) {
    return String(reinterpret_cast<const char16_t*>(S.utf16()), static_cast<std::size_t>(S.size()));
}
inline QRect ToQt(const TRect& R) {
    return QRect(R.Left, R.Top, R.Width(), R.Height());
}
inline TRect FromQt(const QRect& R) {
    return Bounds(R.x(), R.y(), R.width(), R.height());
}

struct TWindowPrivate {
    explicit TWindowPrivate(TWinControl* AControl) : Control(AControl) {}

    TWinControl* Control;
    QPointer<TQtWindow> Widget;
    QImage Buffer;                              // the window's picture, window coordinates
    QRegion Invalid;                            // window coordinates, waiting for WM_PAINT
    bool EraseNeeded = false;                   // WM_ERASEBKGND before the next WM_PAINT
    bool Painting = false;                      // inside a paint cycle
    QRegion PaintRegion;                        // the area being painted (window coordinates)
    std::vector<TControlCanvas*> BoundCanvases; // canvases drawing into Buffer now
    TRect Margins;                              // non-client thickness: Left, Top, Right, Bottom
    Cardinal Style = 0;                         // WS_* of CreateParams, then SetWindowLong
    Cardinal ExStyle = 0;                       // WS_EX_* likewise
    // A child window with WS_EX_TRANSPARENT: its picture starts clear at every paint, so the
    // parent shows wherever the window paints nothing.
    bool SeeThrough = false;
    bool UpdatingFromWidget = false;
    TPoint MinPosition{-1, -1}; // of the window placement; kept, the window manager places icons
    TPoint MaxPosition{-1, -1};
    // A top-level window's bounds while it was last neither minimised nor maximised.
    TRect NormalBounds;
    bool HasNormalBounds = false;
    bool DefaultPlaced = false; // a form of default position has taken its place on the screen
    QPointer<QWidget> MenuBar; // a form's menu bar, at the top of the non-client area
    // The window's own scroll bars (ScrollBars.cpp); made with the first use.
    std::shared_ptr<struct TWindowScrollBars> ScrollBars;

    // The client area inside the window.
    QRect ClientArea() const;
    void EnsureBuffer();
    // Follows WS_EX_TRANSPARENT of ExStyle (at creation and on SetWindowLong).
    void UpdateSeeThrough();
    // Ends every canvas painting into the buffer (before it is shown, resized or freed).
    void ReleaseCanvases();
    void Invalidate(const QRegion& Region, bool Erase);
    // Runs WM_NCPAINT, WM_ERASEBKGND and WM_PAINT for the invalid area, into the buffer.
    void PaintInvalid();
    // Moves buffer pixels of Area (window coordinates) by (DX, DY) within Clip and invalidates
    // what they uncovered.
    void Scroll(int DX, int DY, const QRect& Area, const QRect& Clip);
    void LayoutMenuBar();
    // The menu bar came or went: the client area starts below it, children move with it.
    void MenuBarChanged();
    // A scroll bar was shown or hidden: the client area is measured again, the frame repainted,
    // the children realigned, and the window gets WM_SIZE.
    void ScrollBarsChanged();
};

class TQtWindow : public QWidget {
public:
    TQtWindow(TWindowPrivate* AOwner, QWidget* AParent, Qt::WindowFlags Flags);
    ~TQtWindow() override;

    TWindowPrivate* Owner() const { return FOwner; }
    void Detach() { FOwner = nullptr; }

protected:
    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    // The input method asks where the composition goes (ImCursorRectangle), in which font, and
    // whether the window takes composed text.
    QVariant inputMethodQuery(Qt::InputMethodQuery Query) const override;

private:
    TWindowPrivate* FOwner;
    bool HandleEvent(QEvent* Event);
    void MouseEvent(QEvent* Event);
    void KeyEvent(QEvent* Event);
};

// Whether a widget is one of the layer's: a window, or a widget inside one (the native text
// widgets of edits).
bool IsLayerWidget(QWidget* Widget);

// The widget of a handle (null for an unknown handle or a hidden window).
QWidget* WidgetOfHandle(HWND Wnd);
TQtWindow* WindowOf(const TWinControl* Control);

// Virtual-key code of a Qt key event, by our own table (US layout for shifted symbols).
Word VirtualKeyOf(int QtKey, Qt::KeyboardModifiers Modifiers);
TCursor CursorOfShape(Qt::CursorShape Shape);
Qt::CursorShape ShapeOfCursor(TCursor Cursor);
// The toolkit cursor of a cursor handle: a standard cursor (through the screen's table) or one
// made by CreateBitmapCursor.
QCursor QtCursorOf(HCURSOR Cursor);

// Menus: the menu unit learns of a form's Menu (and of its window being made) through the hook,
// and puts its menu bar widget in with SetFormMenuBar (null removes it); the bar's height is
// taken from the client area, as a menu bar is non-client area on the system the forms come from.
void SetFormMenuHook(std::function<void(TCustomForm* Form)> Hook);
void SetFormMenuBar(TCustomForm* Form, QWidget* MenuBar);

// Drag and drop inside the program: the event translation feeds the drag in progress.
bool DragInProgress();
void DragMouseMove(const TPoint& Screen);
void DragMouseUp();
void DragCancel();
// The pointer moved over Control (null: over none of ours): CM_MOUSELEAVE / CM_MOUSEENTER.
void SetMouseControl(TControl* Control);
// The Qt application became active or inactive.
void ApplicationActiveChanged(bool Active);

// The key and mouse-button state table behind GetKeyState.
void SetKeyDown(int VirtualKey, bool Down);
void SyncModifierKeys(Qt::KeyboardModifiers Modifiers);
void SyncMouseButtons(Qt::MouseButtons Buttons);
