#pragma once
// Internal to the GUI layer (included by its .cpp files only): native Qt text widgets inside a
// control's window, and the editing core that edits, memos and combo boxes share.
//
// Input on a native widget does not go to the widget: it goes to the control's window, which
// turns it into messages through the control's WindowProc (TQtWindow's translation, the same as
// for any window). What the control lets through (its DefaultHandler) is handed back to the
// widget with Pass, rebuilt from the message, so that a key cleared by OnKeyDown or OnKeyPress
// never reaches the text, and a key changed by OnKeyPress arrives changed.

#include "platform/base/ScopeGuard.h"
#include "platform/gui/ControlsQt.h"
#include "platform/gui/StdCtrls.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QScrollBar;
class QInputMethodEvent;

// The control behind a native widget.
class TNativeLink {
public:
    virtual ~TNativeLink() = default;
    // Hands an event to the widget itself, past the routing.
    virtual bool Pass(QEvent* Event) = 0;
    TWinControl* Control = nullptr;
    bool Passing = false;
};

// Routes Qt's input on Widget to the control's window; true when the event was taken.
bool RouteNativeEvent(TNativeLink* Link, QWidget* Widget, QEvent* Event);
// Focus moved into or out of a native widget: the window focus follows.
void NativeFocusChanged(TNativeLink* Link, QEvent* Event);

template <class W> class TNative : public W, public TNativeLink {
public:
    template <class... A> explicit TNative(TWinControl* AControl, A&&... Args) : W(std::forward<A>(Args)...) {
        Control = AControl;
    }
    bool Pass(QEvent* Event) override {
        TValueScope Keep(Passing, true);
        return W::event(Event);
    }

protected:
    bool event(QEvent* Event) override {
        if (Passing || !Control) return W::event(Event);
        if (RouteNativeEvent(this, this, Event)) return true;
        if (Event->type() == QEvent::FocusIn || Event->type() == QEvent::FocusOut) {
            const bool Result = W::event(Event);
            NativeFocusChanged(this, Event);
            return Result;
        }
        return W::event(Event);
    }
};

// ---- Text stores --------------------------------------------------------------------------------

// The text, selection and undo of an edit, in Windows' terms: positions count CR LF between the
// lines of a multi-line edit as two characters. The edit keeps them itself while it has no
// window and in its native widget while it has one.
class TEditStore {
public:
    virtual ~TEditStore() = default;
    virtual String Text() const = 0;
    virtual int Length() const = 0;
    // The caret goes to the start; undo is emptied.
    virtual void SetText(const String& S) = 0;
    virtual void GetSel(int& Start, int& End) const = 0;
    // Clamped to the text; the caret goes to End. Start -1 leaves no selection.
    virtual void SetSel(int Start, int End) = 0;
    // Replaces the selection; the caret goes after the new text (scrolled into view). Undoable
    // only when the user did it.
    virtual void ReplaceSel(const String& S, bool User) = 0;
    virtual int LineCount() const = 0;
    // The first position of a line (-1: none); Line -1 is the caret's line.
    virtual int LineIndex(int Line) const = 0;
    virtual int LineFromChar(int Pos) const = 0;
    virtual int LineLength(int Pos) const = 0;
    virtual String Line(int Line) const = 0;
    virtual bool CanUndo() const = 0;
    virtual void Undo() = 0;
    virtual void EmptyUndo() = 0;
    // Hands a selection kept for later to the widget now.
    virtual void Flush() {}
    // Scrolls the caret into view.
    virtual void ScrollCaret() {}
    // Fired after every change of the text.
    std::function<void()> Changed;
};

// ---- The editing core ---------------------------------------------------------------------------

struct TEditCore {
    TEditCore(TWinControl* AOwner, bool AMultiLine);
    ~TEditCore();

    TWinControl* Owner;
    bool MultiLine;
    std::unique_ptr<TEditStore> Store;
    QPointer<QWidget> Widget; // the native widget while the window exists
    TRect Area;               // where it lies, client coordinates

    int MaxLength = 0;
    TEditCharCase CharCase = StdCtrls::ecNormal;
    bool ReadOnly = false;
    Char PasswordChar = 0;
    bool NumbersOnly = false;
    TAlignment Alignment = taLeftJustify;
    // The window's WS_EX_RIGHT: the text aligns right whatever Alignment says.
    bool RightByStyle = false;
    // The window's layout is mirrored: a right-aligned text shows on the left.
    bool Mirrored = false;
    bool HideSelection = true;
    bool WordWrap = true;
    bool Modified = false;
    // Tells the owner that the text changed (EN_CHANGE, CBN_EDITCHANGE).
    std::function<void()> OnChange;
    // The text widget stays hidden (the owner paints).
    bool Hidden = false;
    // The scroll bars of a multi-line text moved or changed range.
    std::function<void()> OnScrollChange;

    // Makes the native widget inside Parent (the window's widget) with the text and selection
    // kept so far, and the other way round before the window goes.
    void CreateNative(QWidget* Parent);
    void DestroyNative();
    // A new empty store of the kind MultiLine says (no window).
    void ResetStore();
    // Several lines or one, keeping the text and the selection (no window).
    void SetMultiLine(bool Value);
    void SetArea(const TRect& R);
    void ApplyOptions();
    void ApplyLook(const TFont* Font, TColor Color, bool Enabled);
    void FocusChanged(bool Focused);

    String Text() const { return Store->Text(); }
    // Converted to the CharCase (and CR LF between lines in a memo).
    void SetText(const String& S);
    String Normalize(const String& S) const;
    String ConvertCase(const String& S) const;

    // Messages the core answers (EM_*, WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR, WM_UNDO,
    // WM_GETTEXTLENGTH); false for others.
    bool HandleMessage(TMessage& Message);
    // The default handling of a key and a character that the control let through.
    void KeyDown(const TMessage& Message);
    void CharTyped(const TMessage& Message);
    // Mouse messages inside Area go to the widget; true when they did.
    bool Mouse(const TMessage& Message);
    // The wheel scrolls the widget (memos).
    bool Wheel(int Delta, const TPoint& Screen, int Keys);
    // The memo's scrolling from WM_VSCROLL / WM_HSCROLL.
    void Scroll(bool Vertical, int Code, int TrackPos);
    // The range, page and position of a memo's internal scroll bar.
    bool ScrollValues(bool Vertical, TScrollInfo& Info) const;
    void ScrollCaret();
    void SetUpdating(bool Updating);
    QPlainTextEdit* Memo() const;
    QLineEdit* Line() const;

private:
    int FUserAction = 0; // while the user's input is handed to the widget
    Char FPendingHigh = 0;
    bool FFocused = false;
    QObject* FPasswordStyle = nullptr;
    const TFont* FFont = nullptr;
    TColor FColor = clWindow;

    // Runs Fn as the user's input: the text it changes counts as modified and undoable.
    template <class F> void AsUser(F Fn) {
        ++FUserAction;
        TScopeExit Done([this] { --FUserAction; });
        Fn();
    }
    // Inserts typed or pasted text within MaxLength; false when none of it fitted.
    bool InsertText(const String& S);
    void PassKey(int QtKey, Qt::KeyboardModifiers Modifiers, const QString& Text);
    void Paste();
    void Copy();
    void Cut();
    void TextChanged();
};

// A canvas for measuring text in Font without a window (null without the GUI application).
TCanvas* MeasureCanvas(const TFont* Font);
// The height of a line of text in Font (Fallback without the GUI application).
int FontLineHeight(const TFont* Font, int Fallback);

// Registers the inner classes of combo boxes (their list and drop-down window).
void RegisterComboBoxParts();

// The Qt key of a virtual key (0 when there is none); letters and digits as themselves.
int QtKeyOfVirtualKey(Word Key);
// The modifier keys held now (as GetKeyState tells).
Qt::KeyboardModifiers ModifiersNow();
