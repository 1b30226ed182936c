// Edits and memos: the native text widgets inside their windows, the editing core, and the
// memo's lines.
#include "platform/gui/StdCtrlsQt.h"

#include "platform/base/Strings.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GraphicsQt.h"
#include "platform/gui/MessagesPrivate.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QWheelEvent>

#include <algorithm>

using enum StdCtrls::TEditCharCase;

// ---- Routing --------------------------------------------------------------------------------------

namespace {

bool IsHighSurrogate(Char C) {
    return C >= 0xD800 && C <= 0xDBFF;
}
bool IsLowSurrogate(Char C) {
    return C >= 0xDC00 && C <= 0xDFFF;
}

void RouteInputMethod(TNativeLink* Link, QInputMethodEvent* Event) {
    const String Commit = FromQt(Event->commitString());
    // What is being composed stays with the widget; the committed text comes as characters.
    if (!Event->preeditString().isEmpty() || !Event->attributes().isEmpty() || Commit.empty()) {
        QInputMethodEvent Compose(Event->preeditString(), Event->attributes());
        Link->Pass(&Compose);
    }
    TWinControl* C = Link->Control;
    const HWND Wnd = C->WindowHandle();
    for (Char Ch : Commit) {
        if (!IsWindow(Wnd)) return;
        TMsg M{Wnd, WM_CHAR, Ch, 1, 0, {}};
        if (Application && Application->IsKeyMsg(C, M)) continue;
        if (IsWindow(Wnd)) SendMessage(Wnd, WM_CHAR, Ch, 1);
    }
    Event->accept();
}

} // namespace

bool RouteNativeEvent(TNativeLink* Link, QWidget*, QEvent* Event) {
    TQtWindow* Win = WindowOf(Link->Control);
    if (!Win) return false;
    // A failed handler counts as handled: the widget does not act on the event as well.
    return GuiBarrier(
        Link->Control,
        [&] {
            switch (Event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::Wheel:
                // The window turns it into messages for the control (by the pointer's screen
                // position); what the control lets through comes back with Pass.
                static_cast<QObject*>(Win)->event(Event);
                Event->accept();
                return true;
            case QEvent::ShortcutOverride:
                // Shortcuts are the layer's (IsShortCut): the key comes as a key press.
                Event->accept();
                return true;
            case QEvent::InputMethod:
                RouteInputMethod(Link, static_cast<QInputMethodEvent*>(Event));
                return true;
            case QEvent::ContextMenu:
                // The right button's release asks for the context menu (WM_CONTEXTMENU).
                return true;
            default:
                return false;
            }
        },
        true);
}

void NativeFocusChanged(TNativeLink* Link, QEvent* Event) {
    GuiBarrier([Wnd = Link->Control->WindowHandle()] { return FindControl(Wnd); },
               [&] {
                   const HWND Wnd = Link->Control->WindowHandle();
                   if (!Wnd) return;
                   if (Event->type() == QEvent::FocusIn) {
                       if (GetFocus() != Wnd) ::SetFocus(Wnd);
                       return;
                   }
                   auto* F = static_cast<QFocusEvent*>(Event);
                   if (GetFocus() == Wnd && F->reason() != Qt::PopupFocusReason &&
                       !IsLayerWidget(QApplication::focusWidget()))
                       ::SetFocus(0);
               });
}

namespace {

// A memo's mouse comes to its viewport.
class TNativeMemo : public TNative<QPlainTextEdit> {
public:
    using TNative<QPlainTextEdit>::TNative;
    bool PassViewport(QEvent* Event) {
        TValueScope Keep(Passing, true);
        return QPlainTextEdit::viewportEvent(Event);
    }

protected:
    bool viewportEvent(QEvent* Event) override {
        if (!Passing && Control && RouteNativeEvent(this, viewport(), Event)) return true;
        return QPlainTextEdit::viewportEvent(Event);
    }
};

using TNativeLine = TNative<QLineEdit>;

// Shows the edit's own password character.
class TPasswordStyle : public QProxyStyle {
public:
    explicit TPasswordStyle(Char Ch) : FChar(Ch) {}
    int styleHint(StyleHint Hint, const QStyleOption* Option, const QWidget* Widget,
                  QStyleHintReturn* Return) const override {
        if (Hint == SH_LineEdit_PasswordCharacter) return FChar;
        if (Hint == SH_LineEdit_PasswordMaskDelay) return 0;
        return QProxyStyle::styleHint(Hint, Option, Widget, Return);
    }

private:
    Char FChar;
};

// ---- Stores ---------------------------------------------------------------------------------------

const String CRLF = u"\r\n";

// Text and selection kept by the edit itself (no window).
class TPlainStore : public TEditStore {
public:
    explicit TPlainStore(bool AMultiLine) : FMultiLine(AMultiLine) {}

    String Text() const override { return FText; }
    int Length() const override { return static_cast<int>(FText.size()); }
    void SetText(const String& S) override {
        FText = S;
        FStart = FEnd = 0;
        FCanUndo = false;
        if (Changed) Changed();
    }
    void GetSel(int& Start, int& End) const override {
        Start = std::min(FStart, FEnd);
        End = std::max(FStart, FEnd);
    }
    void SetSel(int Start, int End) override {
        const int N = Length();
        if (Start < 0) {
            FStart = FEnd;
            return;
        }
        if (End < 0 || End > N) End = N;
        FStart = Fit(std::min(Start, N));
        FEnd = Fit(End);
    }
    void ReplaceSel(const String& S, bool User) override {
        int A, B;
        GetSel(A, B);
        FUndo = FText;
        FCanUndo = User;
        FText.replace(static_cast<std::size_t>(A), static_cast<std::size_t>(B - A), S);
        FStart = FEnd = A + static_cast<int>(S.size());
        if (Changed) Changed();
    }
    int LineCount() const override { return static_cast<int>(Starts().size()); }
    int LineIndex(int Line) const override {
        const std::vector<int> S = Starts();
        if (Line < 0) Line = LineFromChar(-1);
        return Line < static_cast<int>(S.size()) ? S[static_cast<std::size_t>(Line)] : -1;
    }
    int LineFromChar(int Pos) const override {
        if (Pos < 0) Pos = std::min(FStart, FEnd);
        const std::vector<int> S = Starts();
        return static_cast<int>(std::upper_bound(S.begin(), S.end(), Pos) - S.begin()) - 1;
    }
    int LineLength(int Pos) const override {
        const int L = LineFromChar(Pos < 0 ? -1 : std::min(Pos, Length()));
        return static_cast<int>(Line(L).size());
    }
    String Line(int L) const override {
        const std::vector<int> S = Starts();
        if (L < 0 || L >= static_cast<int>(S.size())) return {};
        const int From = S[static_cast<std::size_t>(L)];
        const int To = L + 1 < static_cast<int>(S.size()) ? S[static_cast<std::size_t>(L) + 1] - 2 : Length();
        return FText.substr(static_cast<std::size_t>(From), static_cast<std::size_t>(To - From));
    }
    bool CanUndo() const override { return FCanUndo; }
    void Undo() override {
        if (!FCanUndo) return;
        std::swap(FText, FUndo);
        FStart = FEnd = Length();
        if (Changed) Changed();
    }
    void EmptyUndo() override { FCanUndo = false; }

private:
    bool FMultiLine;
    String FText;
    String FUndo;
    bool FCanUndo = false;
    int FStart = 0;
    int FEnd = 0;

    std::vector<int> Starts() const {
        std::vector<int> S{0};
        if (!FMultiLine) return S;
        for (std::size_t P = FText.find(CRLF); P != String::npos; P = FText.find(CRLF, P + 2))
            S.push_back(static_cast<int>(P) + 2);
        return S;
    }
    // Never between the CR and LF of a line break.
    int Fit(int P) const {
        P = std::clamp(P, 0, Length());
        if (P > 0 && P < Length() && FText[static_cast<std::size_t>(P) - 1] == u'\r' &&
            FText[static_cast<std::size_t>(P)] == u'\n')
            --P;
        return P;
    }
};

// A single-line edit's native widget.
class TLineStore : public TEditStore {
public:
    explicit TLineStore(QLineEdit* E) : FEdit(E) {
        FConnection = QObject::connect(E, &QLineEdit::textChanged, E, [this] {
            if (!FQuiet && Changed) GuiBarrier(nullptr, Changed);
        });
    }
    ~TLineStore() override { QObject::disconnect(FConnection); }

    String Text() const override { return FromQt(FEdit->text()); }
    int Length() const override { return static_cast<int>(FEdit->text().size()); }
    void SetText(const String& S) override {
        FEdit->setText(ToQt(S));
        FEdit->setCursorPosition(0);
    }
    void GetSel(int& Start, int& End) const override {
        if (FEdit->hasSelectedText()) {
            Start = FEdit->selectionStart();
            End = Start + static_cast<int>(FEdit->selectedText().size());
        } else {
            Start = End = FEdit->cursorPosition();
        }
    }
    void SetSel(int Start, int End) override {
        const int N = Length();
        if (Start < 0) {
            FEdit->deselect();
            return;
        }
        if (End < 0 || End > N) End = N;
        Start = std::min(Start, N);
        if (Start == End)
            FEdit->setCursorPosition(Start);
        else
            FEdit->setSelection(Start, End - Start);
    }
    void ReplaceSel(const String& S, bool) override { FEdit->insert(ToQt(S)); }
    int LineCount() const override { return 1; }
    int LineIndex(int Line) const override { return Line <= 0 ? 0 : -1; }
    int LineFromChar(int) const override { return 0; }
    int LineLength(int) const override { return Length(); }
    String Line(int L) const override { return L == 0 ? Text() : String(); }
    bool CanUndo() const override { return FEdit->isUndoAvailable(); }
    void Undo() override { FEdit->undo(); }
    void EmptyUndo() override {
        // Setting the text empties Qt's undo; the selection stays as it was.
        int A, B;
        GetSel(A, B);
        const bool CaretAtStart = FEdit->cursorPosition() == A && A != B;
        {
            TFlagScope Quiet(FQuiet);
            FEdit->setText(FEdit->text());
        }
        if (CaretAtStart)
            SetSel(B, A);
        else
            SetSel(A, B);
    }

private:
    QLineEdit* FEdit;
    QMetaObject::Connection FConnection;
    bool FQuiet = false;
};

// A memo's native widget: the lines are the document's blocks; a Windows position counts two
// characters for each line break before it, Qt's one. The selection set in code is kept here and
// handed to the widget once the event loop runs (or before the user's input reaches it), so that
// a line filled character by character is laid out for the caret once, not at every step.
class TMemoStore : public TEditStore {
public:
    explicit TMemoStore(QPlainTextEdit* E) : FEdit(E), FCursor(E->textCursor()) {
        FConnection = QObject::connect(E, &QPlainTextEdit::textChanged, E, [this] {
            if (Changed) GuiBarrier(nullptr, Changed);
        });
    }
    ~TMemoStore() override {
        *FAlive = false;
        QObject::disconnect(FConnection);
    }

    QTextDocument* Doc() const { return FEdit->document(); }

    String Text() const override {
        const QString Raw = Doc()->toRawText();
        String S;
        S.reserve(static_cast<std::size_t>(Raw.size() + Doc()->blockCount()));
        for (QChar C : Raw) {
            if (C == QChar::ParagraphSeparator || C == QChar::LineSeparator)
                S += CRLF;
            else
                S += static_cast<Char>(C.unicode());
        }
        return S;
    }
    int Length() const override { return Doc()->characterCount() - 1 + Doc()->blockCount() - 1; }
    void SetText(const String& S) override {
        FPending = false;
        Quietly([&] { FEdit->setPlainText(ToQt(Flat(S))); });
        FEdit->moveCursor(QTextCursor::Start);
    }
    void GetSel(int& Start, int& End) const override {
        const QTextCursor C = Cursor();
        Start = WinPos(C.selectionStart());
        End = WinPos(C.selectionEnd());
    }
    void SetSel(int Start, int End) override {
        QTextCursor C = Cursor();
        if (Start < 0) {
            C.clearSelection();
            SetCursor(C, false);
            return;
        }
        const int N = Length();
        if (End < 0 || End > N) End = N;
        C.setPosition(QtPos(Start));
        C.setPosition(QtPos(End), QTextCursor::KeepAnchor);
        SetCursor(C, false);
    }
    void ReplaceSel(const String& S, bool User) override {
        QTextCursor C = Cursor();
        const QString T = ToQt(Flat(S));
        if (User)
            C.insertText(T);
        else
            Quietly([&] { C.insertText(T); });
        SetCursor(C, true);
    }
    int LineCount() const override { return Doc()->blockCount(); }
    int LineIndex(int Line) const override {
        if (Line < 0) Line = Cursor().block().blockNumber();
        if (Line >= Doc()->blockCount()) return -1;
        return WinStart(Doc()->findBlockByNumber(Line));
    }
    int LineFromChar(int Pos) const override {
        if (Pos < 0) return Doc()->findBlock(Cursor().selectionStart()).blockNumber();
        return Doc()->findBlock(QtPos(Pos)).blockNumber();
    }
    int LineLength(int Pos) const override {
        const QTextBlock B = Pos < 0 ? Cursor().block() : Doc()->findBlock(QtPos(Pos));
        return B.isValid() ? B.length() - 1 : 0;
    }
    String Line(int L) const override {
        if (L < 0) return {};
        const QTextBlock B = Doc()->findBlockByNumber(L);
        return B.isValid() ? FromQt(B.text()) : String();
    }
    bool CanUndo() const override { return Doc()->isUndoAvailable(); }
    void Undo() override {
        Flush();
        FEdit->undo();
    }
    void EmptyUndo() override { Doc()->clearUndoRedoStacks(); }
    void Flush() override {
        if (!FPending) return;
        FPending = false;
        FEdit->setTextCursor(FCursor);
        if (FScroll) FEdit->ensureCursorVisible();
        FScroll = false;
    }
    void ScrollCaret() override {
        FScroll = true;
        FPending = true;
        Flush();
    }

private:
    QPlainTextEdit* FEdit;
    QMetaObject::Connection FConnection;
    QTextCursor FCursor; // the selection made in code, while FPending
    bool FPending = false;
    bool FScroll = false; // the caret is to be scrolled into view
    bool FQueued = false;
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);

    QTextCursor Cursor() const { return FPending ? FCursor : FEdit->textCursor(); }
    void SetCursor(const QTextCursor& C, bool Scroll) {
        FCursor = C;
        FPending = true;
        FScroll = FScroll || Scroll;
        if (FQueued) return;
        FQueued = true;
        QMetaObject::invokeMethod(
            FEdit,
            [this, Alive = FAlive] {
                if (!*Alive) return;
                FQueued = false;
                GuiBarrier(nullptr, [this] { Flush(); });
            },
            Qt::QueuedConnection);
    }
    static String Flat(const String& S) {
        String R;
        R.reserve(S.size());
        for (std::size_t I = 0; I < S.size(); ++I) {
            if (S[I] == u'\r') {
                R += u'\n';
                if (I + 1 < S.size() && S[I + 1] == u'\n') ++I;
            } else {
                R += S[I];
            }
        }
        return R;
    }
    // Changes made in code are not undoable (and keep Qt's undo stack from growing without end).
    template <class F> void Quietly(F Fn) {
        Doc()->setUndoRedoEnabled(false);
        TScopeExit Undoable([this] { Doc()->setUndoRedoEnabled(true); });
        Fn();
    }
    static int WinStart(const QTextBlock& B) { return B.position() + B.blockNumber(); }
    int WinPos(int Qt) const { return Qt + Doc()->findBlock(Qt).blockNumber(); }
    int QtPos(int Win) const {
        Win = std::clamp(Win, 0, Length());
        // The last block found answers again while the text is unchanged (a line's start, length
        // and selection are asked for one after the other).
        if (FCacheRevision == Doc()->revision() && FCacheBlock.isValid()) {
            const int Start = WinStart(FCacheBlock);
            if (Win >= Start && Win < Start + FCacheBlock.length() + 1)
                return FCacheBlock.position() + std::min(Win - Start, FCacheBlock.length() - 1);
        }
        int Lo = 0, Hi = Doc()->blockCount() - 1;
        while (Lo < Hi) {
            const int Mid = (Lo + Hi + 1) / 2;
            if (WinStart(Doc()->findBlockByNumber(Mid)) <= Win)
                Lo = Mid;
            else
                Hi = Mid - 1;
        }
        const QTextBlock B = Doc()->findBlockByNumber(Lo);
        FCacheBlock = B;
        FCacheRevision = Doc()->revision();
        return B.position() + std::min(Win - WinStart(B), B.length() - 1);
    }
    mutable QTextBlock FCacheBlock;
    mutable int FCacheRevision = -1;
};

} // namespace

// ---- Keys -----------------------------------------------------------------------------------------

int QtKeyOfVirtualKey(Word Key) {
    if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9')) return Key;
    if (Key >= VK_F1 && Key <= VK_F24) return Qt::Key_F1 + (Key - VK_F1);
    switch (Key) {
    case VK_BACK:
        return Qt::Key_Backspace;
    case VK_TAB:
        return Qt::Key_Tab;
    case VK_RETURN:
        return Qt::Key_Return;
    case VK_ESCAPE:
        return Qt::Key_Escape;
    case VK_SPACE:
        return Qt::Key_Space;
    case VK_PRIOR:
        return Qt::Key_PageUp;
    case VK_NEXT:
        return Qt::Key_PageDown;
    case VK_END:
        return Qt::Key_End;
    case VK_HOME:
        return Qt::Key_Home;
    case VK_LEFT:
        return Qt::Key_Left;
    case VK_UP:
        return Qt::Key_Up;
    case VK_RIGHT:
        return Qt::Key_Right;
    case VK_DOWN:
        return Qt::Key_Down;
    case VK_INSERT:
        return Qt::Key_Insert;
    case VK_DELETE:
        return Qt::Key_Delete;
    default:
        return 0;
    }
}

Qt::KeyboardModifiers ModifiersNow() {
    Qt::KeyboardModifiers M;
    if (GetKeyState(VK_SHIFT) < 0) M |= Qt::ShiftModifier;
    if (GetKeyState(VK_CONTROL) < 0) M |= Qt::ControlModifier;
    if (GetKeyState(VK_MENU) < 0) M |= Qt::AltModifier;
    return M;
}

// ---- The editing core -----------------------------------------------------------------------------

TEditCore::TEditCore(TWinControl* AOwner, bool AMultiLine)
    : Owner(AOwner), MultiLine(AMultiLine), Store(std::make_unique<TPlainStore>(AMultiLine)) {
    Store->Changed = [this] { TextChanged(); };
}

TEditCore::~TEditCore() {
    if (Widget) {
        Store.reset();
        delete Widget.data();
    }
}

QPlainTextEdit* TEditCore::Memo() const {
    return MultiLine ? static_cast<QPlainTextEdit*>(Widget.data()) : nullptr;
}

QLineEdit* TEditCore::Line() const {
    return MultiLine ? nullptr : static_cast<QLineEdit*>(Widget.data());
}

void TEditCore::ResetStore() {
    Store = std::make_unique<TPlainStore>(MultiLine);
    Store->Changed = [this] { TextChanged(); };
}

void TEditCore::SetMultiLine(bool Value) {
    if (MultiLine == Value || Widget) return;
    const String T = Store->Text();
    int A, B;
    Store->GetSel(A, B);
    MultiLine = Value;
    ResetStore();
    Store->SetText(Normalize(T));
    Store->SetSel(A, B);
}

void TEditCore::TextChanged() {
    if (FUserAction > 0) Modified = true;
    if (OnChange) OnChange();
}

void TEditCore::CreateNative(QWidget* Parent) {
    if (Widget) return;
    const String Text = Store->Text();
    int A, B;
    Store->GetSel(A, B);
    std::unique_ptr<TEditStore> NewStore;
    if (MultiLine) {
        auto* M = new TNativeMemo(Owner, Parent);
        M->setFrameStyle(QFrame::NoFrame);
        M->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        M->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        M->setContextMenuPolicy(Qt::NoContextMenu);
        M->setAcceptDrops(false);
        M->viewport()->setAcceptDrops(false);
        M->document()->setDocumentMargin(1);
        M->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        M->setAutoFillBackground(true);
        Widget = M;
        NewStore = std::make_unique<TMemoStore>(M);
        // Qt moves its scroll bars without telling at times (the caret scrolled into view): the
        // viewport's scrolling tells too.
        QObject::connect(M, &QPlainTextEdit::updateRequest, M, [this](const QRect&, int DY) {
            if (DY != 0 && OnScrollChange) GuiBarrier(Owner, OnScrollChange);
        });
        for (QScrollBar* Bar : {M->verticalScrollBar(), M->horizontalScrollBar()}) {
            QObject::connect(Bar, &QScrollBar::rangeChanged, M, [this] {
                if (OnScrollChange) GuiBarrier(Owner, OnScrollChange);
            });
            QObject::connect(Bar, &QScrollBar::valueChanged, M, [this] {
                if (OnScrollChange) GuiBarrier(Owner, OnScrollChange);
            });
        }
    } else {
        auto* L = new TNativeLine(Owner, Parent);
        L->setFrame(false);
        L->setDragEnabled(false);
        L->setAcceptDrops(false);
        L->setContextMenuPolicy(Qt::NoContextMenu);
        L->setMaxLength(INT32_MAX); // MaxLength is ours: text already there stays
        L->setAutoFillBackground(true);
        Widget = L;
        NewStore = std::make_unique<TLineStore>(L);
    }
    Store = std::move(NewStore);
    Store->SetText(Text);
    Store->SetSel(A, B);
    Store->Changed = [this] { TextChanged(); };
    ApplyOptions();
    Parent->setFocusProxy(Widget);
    Widget->setVisible(!Hidden);
}

void TEditCore::DestroyNative() {
    if (!Widget) return;
    const String Text = Store->Text();
    int A, B;
    Store->GetSel(A, B);
    auto Plain = std::make_unique<TPlainStore>(MultiLine);
    Plain->SetText(Text);
    Plain->SetSel(A, B);
    Plain->Changed = [this] { TextChanged(); };
    Store = std::move(Plain);
    QWidget* W = Widget;
    Widget = nullptr;
    if (QWidget* P = W->parentWidget()) P->setFocusProxy(nullptr);
    FPasswordStyle = nullptr; // a child of the widget
    delete W;
}

void TEditCore::SetArea(const TRect& R) {
    Area = R;
    if (!Widget) return;
    TWindowPrivate* W = Owner->WindowPrivate();
    const QPoint Origin = W ? W->ClientArea().topLeft() : QPoint();
    Widget->setGeometry(ToQt(R).translated(Origin));
}

void TEditCore::ApplyOptions() {
    const TAlignment Align = RightByStyle                          ? taRightJustify
                             : Mirrored && Alignment == taRightJustify ? taLeftJustify
                                                                       : Alignment;
    if (QLineEdit* L = Line()) {
        L->setReadOnly(ReadOnly);
        Qt::Alignment A = Align == taRightJustify ? Qt::AlignRight
                          : Align == taCenter     ? Qt::AlignHCenter
                                                  : Qt::AlignLeft;
        L->setAlignment(A | Qt::AlignVCenter);
        if (PasswordChar != 0) {
            auto* Style = new TPasswordStyle(PasswordChar);
            Style->setParent(L);
            L->setStyle(Style);
            if (FPasswordStyle && FPasswordStyle != Style) delete FPasswordStyle;
            FPasswordStyle = Style;
            L->setEchoMode(QLineEdit::Password);
        } else {
            L->setEchoMode(QLineEdit::Normal);
        }
    } else if (QPlainTextEdit* M = Memo()) {
        M->setReadOnly(ReadOnly);
        // A read-only memo still moves its caret and selects by keyboard.
        if (ReadOnly) M->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        M->setLineWrapMode(WordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        QTextOption O = M->document()->defaultTextOption();
        O.setAlignment(Align == taRightJustify ? Qt::AlignRight
                       : Align == taCenter     ? Qt::AlignHCenter
                                               : Qt::AlignLeft);
        O.setWrapMode(WordWrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
        M->document()->setDefaultTextOption(O);
    }
}

void TEditCore::ApplyLook(const TFont* Font, TColor Color, bool Enabled) {
    FFont = Font;
    FColor = Color;
    if (!Widget) return;
    Widget->setFont(QtFont(Font));
    QPalette P = Widget->palette();
    const QColor Back = QtColor(Color), Text = QtColor(Font->Color());
    for (QPalette::ColorGroup G : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        P.setColor(G, QPalette::Base, Back);
        P.setColor(G, QPalette::Window, Back);
        P.setColor(G, QPalette::Text, G == QPalette::Disabled ? QtColor(clGrayText) : Text);
        if (!FFocused && HideSelection) {
            // The selection hides while the focus is elsewhere.
            P.setColor(G, QPalette::Highlight, Back);
            P.setColor(G, QPalette::HighlightedText, Text);
        } else {
            P.setColor(G, QPalette::Highlight, QtColor(FFocused ? clHighlight : clBtnFace));
            P.setColor(G, QPalette::HighlightedText, QtColor(FFocused ? clHighlightText : clWindowText));
        }
    }
    Widget->setPalette(P);
    if (QPlainTextEdit* M = Memo()) {
        M->viewport()->setPalette(P);
        const int Tab = QFontMetrics(QtFont(Font)).horizontalAdvance(u'x') * 8;
        M->setTabStopDistance(Tab);
    }
    (void)Enabled;
}

void TEditCore::FocusChanged(bool Focused) {
    if (FFocused == Focused) return;
    FFocused = Focused;
    if (Widget) {
        // The selection colours follow the focus.
        if (FFont) ApplyLook(FFont, FColor, Widget->isEnabled());
        if (Focused && !Widget->hasFocus()) Widget->setFocus(Qt::OtherFocusReason);
    }
}

String TEditCore::ConvertCase(const String& S) const {
    switch (CharCase) {
    case ecUpperCase:
        return AnsiUpperCase(S);
    case ecLowerCase:
        return AnsiLowerCase(S);
    default:
        return S;
    }
}

String TEditCore::Normalize(const String& S) const {
    if (!MultiLine) return S;
    String R;
    R.reserve(S.size());
    for (std::size_t I = 0; I < S.size(); ++I) {
        const Char C = S[I];
        if (C == u'\r' || C == u'\n') {
            R += CRLF;
            if (C == u'\r' && I + 1 < S.size() && S[I + 1] == u'\n') ++I;
        } else {
            R += C;
        }
    }
    return R;
}

void TEditCore::SetText(const String& S) {
    Store->SetText(Normalize(ConvertCase(S)));
    Modified = false;
}

void TEditCore::SetUpdating(bool Updating) {
    if (Widget) Widget->setUpdatesEnabled(!Updating);
}

void TEditCore::ScrollCaret() {
    Store->ScrollCaret();
}

bool TEditCore::InsertText(const String& Typed) {
    if (ReadOnly) return false;
    String S = Normalize(ConvertCase(Typed));
    if (NumbersOnly)
        for (Char C : S)
            if (C < u'0' || C > u'9') return false;
    if (MaxLength > 0) {
        int A, B;
        Store->GetSel(A, B);
        const int Room = MaxLength - (Store->Length() - (B - A));
        if (Room <= 0) {
            Owner->Perform(CN_COMMAND, MAKEWPARAM(0, EN_MAXTEXT), static_cast<LPARAM>(Owner->WindowHandle()));
            return false;
        }
        if (static_cast<int>(S.size()) > Room) {
            // Not half a line break or half a surrogate pair.
            int Cut = Room;
            if (Cut > 0 && S[static_cast<std::size_t>(Cut) - 1] == u'\r') --Cut;
            if (Cut > 0 && IsHighSurrogate(S[static_cast<std::size_t>(Cut) - 1])) --Cut;
            S.resize(static_cast<std::size_t>(Cut));
        }
    }
    if (S.empty()) return false;
    AsUser([&] {
        if (Widget && S.size() <= 2 && S.find(u'\r') == String::npos) {
            // Typed characters go to the widget as keys (overwrite mode, undo grouping).
            PassKey(Qt::Key_unknown, Qt::NoModifier, ToQt(S));
        } else {
            Store->ReplaceSel(S, true);
        }
    });
    return true;
}

void TEditCore::PassKey(int QtKey, Qt::KeyboardModifiers Modifiers, const QString& Text) {
    auto* L = dynamic_cast<TNativeLink*>(Widget.data());
    if (!L) return;
    Store->Flush();
    QKeyEvent E(QEvent::KeyPress, QtKey, Modifiers, Text);
    AsUser([&] { L->Pass(&E); });
}

void TEditCore::Copy() {
    if (PasswordChar != 0) return;
    int A, B;
    Store->GetSel(A, B);
    if (A == B) return;
    Clipboard()->SetAsText(
        Store->Text().substr(static_cast<std::size_t>(A), static_cast<std::size_t>(B - A)));
}

void TEditCore::Cut() {
    if (PasswordChar != 0 || ReadOnly) return;
    int A, B;
    Store->GetSel(A, B);
    if (A == B) return;
    Copy();
    AsUser([&] { Store->ReplaceSel(String(), true); });
}

void TEditCore::Paste() {
    if (ReadOnly) return;
    String S = Clipboard()->AsText();
    if (!MultiLine) {
        // One line: what follows the first line break stays out.
        const std::size_t Break = S.find_first_of(u"\r\n");
        if (Break != String::npos) S.resize(Break);
    }
    if (S.empty()) return;
    const String T = Normalize(ConvertCase(S));
    if (NumbersOnly)
        for (Char C : T)
            if (C < u'0' || C > u'9') return;
    if (MaxLength > 0)
        InsertText(T); // input of its own, cut to the room left
    else
        AsUser([&] { Store->ReplaceSel(T, true); });
}

bool TEditCore::HandleMessage(TMessage& M) {
    switch (M.Msg) {
    case EM_GETSEL: {
        int A, B;
        Store->GetSel(A, B);
        if (M.WParam) *reinterpret_cast<int*>(M.WParam) = A;
        if (M.LParam) *reinterpret_cast<int*>(M.LParam) = B;
        M.Result = (A > 0xFFFF || B > 0xFFFF) ? -1 : MAKELPARAM(A, B);
        return true;
    }
    case EM_SETSEL:
        Store->SetSel(static_cast<int>(static_cast<LPARAM>(M.WParam)), static_cast<int>(M.LParam));
        M.Result = 0;
        return true;
    case EM_REPLACESEL:
        if (auto* S = reinterpret_cast<const String*>(M.LParam))
            Store->ReplaceSel(Normalize(ConvertCase(*S)), M.WParam != 0 || FUserAction > 0);
        M.Result = 0;
        return true;
    case EM_SCROLLCARET:
        ScrollCaret();
        M.Result = 1;
        return true;
    case EM_GETMODIFY:
        M.Result = Modified ? 1 : 0;
        return true;
    case EM_SETMODIFY:
        Modified = M.WParam != 0;
        return true;
    case EM_GETLINECOUNT:
        M.Result = Store->LineCount();
        return true;
    case EM_LINEINDEX:
        M.Result = Store->LineIndex(static_cast<int>(static_cast<LPARAM>(M.WParam)));
        return true;
    case EM_LINELENGTH:
        M.Result = Store->LineLength(static_cast<int>(static_cast<LPARAM>(M.WParam)));
        return true;
    case EM_LINEFROMCHAR:
        M.Result = Store->LineFromChar(static_cast<int>(static_cast<LPARAM>(M.WParam)));
        return true;
    case EM_GETLINE: {
        const String S = Store->Line(static_cast<int>(M.WParam));
        if (auto* Out = reinterpret_cast<String*>(M.LParam)) *Out = S;
        M.Result = static_cast<LRESULT>(S.size());
        return true;
    }
    case EM_LIMITTEXT:
        MaxLength = static_cast<int>(M.WParam);
        return true;
    case EM_GETLIMITTEXT:
        M.Result = MaxLength > 0 ? MaxLength : 0x7FFFFFFE;
        return true;
    case EM_CANUNDO:
        M.Result = Store->CanUndo() ? 1 : 0;
        return true;
    case EM_UNDO:
    case WM_UNDO:
        M.Result = Store->CanUndo() ? 1 : 0;
        if (!ReadOnly && Store->CanUndo()) AsUser([&] { Store->Undo(); });
        return true;
    case EM_EMPTYUNDOBUFFER:
        Store->EmptyUndo();
        return true;
    case EM_SETREADONLY:
        ReadOnly = M.WParam != 0;
        ApplyOptions();
        M.Result = 1;
        return true;
    case EM_SETPASSWORDCHAR:
        PasswordChar = static_cast<Char>(M.WParam);
        ApplyOptions();
        return true;
    case EM_GETFIRSTVISIBLELINE:
        Store->Flush();
        M.Result = Memo() ? Memo()->cursorForPosition(QPoint(0, 0)).blockNumber() : 0;
        return true;
    case WM_CUT:
        Cut();
        return true;
    case WM_COPY:
        Copy();
        return true;
    case WM_PASTE:
        Paste();
        return true;
    case WM_CLEAR:
        if (!ReadOnly) AsUser([&] { Store->ReplaceSel(String(), true); });
        return true;
    case WM_GETTEXTLENGTH:
        M.Result = Store->Length();
        return true;
    default:
        return false;
    }
}

void TEditCore::KeyDown(const TMessage& M) {
    if (!Widget) return;
    const Word Key = static_cast<Word>(M.WParam);
    const Qt::KeyboardModifiers Mods = ModifiersNow();
    const bool Ctrl = Mods & Qt::ControlModifier, Shift = Mods & Qt::ShiftModifier;
    if (Mods & Qt::AltModifier) return;
    switch (Key) {
    case VK_BACK:
    case VK_RETURN:
    case VK_TAB:
    case VK_ESCAPE:
        return; // these act as characters (WM_CHAR)
    case VK_INSERT:
        if (Ctrl && !Shift) Owner->Perform(WM_COPY);
        if (Shift && !Ctrl) Owner->Perform(WM_PASTE);
        return;
    case VK_DELETE:
        if (Shift && !Ctrl) {
            Owner->Perform(WM_CUT);
            return;
        }
        if (ReadOnly) return;
        break;
    default:
        // Ctrl with a letter comes as its control character.
        if (Ctrl && Key >= 'A' && Key <= 'Z') return;
        break;
    }
    const int QtKey = QtKeyOfVirtualKey(Key);
    if (QtKey == 0 || (Key >= '0' && Key <= 'Z') || Key == VK_SPACE) return;
    PassKey(QtKey, Mods, QString());
}

void TEditCore::CharTyped(const TMessage& M) {
    const Char Ch = static_cast<Char>(M.WParam);
    switch (Ch) {
    case 0:
        return;
    case 1: // Ctrl+A
        Store->SetSel(0, -1);
        return;
    case 3: // Ctrl+C
        Owner->Perform(WM_COPY);
        return;
    case 0x16: // Ctrl+V
        Owner->Perform(WM_PASTE);
        return;
    case 0x18: // Ctrl+X
        Owner->Perform(WM_CUT);
        return;
    case 0x1A: // Ctrl+Z
        Owner->Perform(WM_UNDO);
        return;
    case 8:
        if (!ReadOnly && Widget) PassKey(Qt::Key_Backspace, Qt::NoModifier, QString());
        return;
    case 127: // Ctrl+Backspace: the word before the caret
        if (!ReadOnly && Widget) PassKey(Qt::Key_Backspace, Qt::ControlModifier, QString());
        return;
    case 13:
    case 10:
        if (MultiLine) InsertText(CRLF);
        return;
    case 9:
        if (MultiLine) InsertText(u"\t");
        return;
    default:
        break;
    }
    if (Ch < 32 || Ch == 127) return;
    // A character outside the basic plane comes in two halves.
    if (IsHighSurrogate(Ch)) {
        FPendingHigh = Ch;
        return;
    }
    String S;
    if (IsLowSurrogate(Ch)) {
        if (!FPendingHigh) return;
        S = {FPendingHigh, Ch};
    } else {
        S = String(1, Ch);
    }
    FPendingHigh = 0;
    InsertText(S);
}

bool TEditCore::Mouse(const TMessage& M) {
    auto* L = dynamic_cast<TNativeLink*>(Widget.data());
    if (!L || Hidden) return false;
    const TWMMouse Mouse(M);
    QEvent::Type Type;
    Qt::MouseButton Button = Qt::NoButton;
    switch (M.Msg) {
    case WM_LBUTTONDOWN:
        Type = QEvent::MouseButtonPress;
        Button = Qt::LeftButton;
        break;
    case WM_LBUTTONUP:
        Type = QEvent::MouseButtonRelease;
        Button = Qt::LeftButton;
        break;
    case WM_LBUTTONDBLCLK:
        Type = QEvent::MouseButtonDblClick;
        Button = Qt::LeftButton;
        break;
    case WM_MBUTTONDOWN:
        Type = QEvent::MouseButtonPress;
        Button = Qt::MiddleButton;
        break;
    case WM_MBUTTONUP:
        Type = QEvent::MouseButtonRelease;
        Button = Qt::MiddleButton;
        break;
    case WM_MOUSEMOVE:
        Type = QEvent::MouseMove;
        break;
    default:
        return false;
    }
    const TPoint P = Mouse.Pos();
    if (Type != QEvent::MouseMove && Type != QEvent::MouseButtonRelease && !PtInRect(Area, P)) return false;
    const int Keys = Mouse.Keys();
    Qt::MouseButtons Buttons;
    if (Keys & MK_LBUTTON) Buttons |= Qt::LeftButton;
    if (Keys & MK_RBUTTON) Buttons |= Qt::RightButton;
    if (Keys & MK_MBUTTON) Buttons |= Qt::MiddleButton;
    Qt::KeyboardModifiers Mods;
    if (Keys & MK_SHIFT) Mods |= Qt::ShiftModifier;
    if (Keys & MK_CONTROL) Mods |= Qt::ControlModifier;
    if (GetKeyState(VK_MENU) < 0) Mods |= Qt::AltModifier;
    const QPointF Local(P.X - Area.Left, P.Y - Area.Top);
    const TPoint Screen = Owner->ClientToScreen(P);
    QMouseEvent E(Type, Local, QPointF(Screen.X, Screen.Y), Button, Buttons, Mods);
    Store->Flush();
    AsUser([&] {
        if (auto* N = dynamic_cast<TNativeMemo*>(Widget.data()))
            N->PassViewport(&E);
        else
            L->Pass(&E);
    });
    return true;
}

bool TEditCore::Wheel(int Delta, const TPoint& Screen, int Keys) {
    auto* N = dynamic_cast<TNativeMemo*>(Widget.data());
    if (!N) return false;
    QScrollBar* Bar = N->verticalScrollBar();
    const int Before = Bar->value();
    const QPoint Global(Screen.X, Screen.Y);
    // Without Ctrl: Ctrl+wheel would zoom the widget's font.
    Store->Flush();
    QWheelEvent E(QPointF(N->viewport()->mapFromGlobal(Global)), QPointF(Global), QPoint(), QPoint(0, Delta),
                  Qt::NoButton, (Keys & MK_SHIFT) ? Qt::ShiftModifier : Qt::NoModifier, Qt::NoScrollPhase,
                  false);
    N->PassViewport(&E);
    return Bar->value() != Before;
}

void TEditCore::Scroll(bool Vertical, int Code, int TrackPos) {
    QPlainTextEdit* M = Memo();
    if (!M) return;
    Store->Flush();
    QScrollBar* Bar = Vertical ? M->verticalScrollBar() : M->horizontalScrollBar();
    switch (Code) {
    case SB_LINEUP:
        Bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case SB_LINEDOWN:
        Bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case SB_PAGEUP:
        Bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case SB_PAGEDOWN:
        Bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        Bar->setValue(TrackPos);
        break;
    case SB_TOP:
        Bar->setValue(Bar->minimum());
        break;
    case SB_BOTTOM:
        Bar->setValue(Bar->maximum());
        break;
    default:
        break;
    }
}

bool TEditCore::ScrollValues(bool Vertical, TScrollInfo& Info) const {
    QPlainTextEdit* M = Memo();
    if (!M) return false;
    const QScrollBar* Bar = Vertical ? M->verticalScrollBar() : M->horizontalScrollBar();
    Info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    Info.nMin = Bar->minimum();
    Info.nPage = static_cast<UINT>(std::max(Bar->pageStep(), 1));
    Info.nMax = Bar->maximum() + static_cast<int>(Info.nPage) - 1;
    Info.nPos = Bar->value();
    return true;
}

// ---- TCustomEdit ----------------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner)
    : TWinControl(AOwner), FCore(std::make_unique<TEditCore>(this, false)) {
    FCore->OnChange = [this] {
        if (FCreating || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying))
            return;
        Perform(CN_COMMAND, MAKEWPARAM(0, EN_CHANGE), static_cast<LPARAM>(WindowHandle()));
    };
    // The window's scroll bars (WS_VSCROLL, WS_HSCROLL) follow the scrolling of a multi-line text.
    FCore->OnScrollChange = [this] {
        if (!HandleAllocated()) return;
        const LONG_PTR Style = GetWindowLong(WindowHandle(), GWL_STYLE);
        for (int Bar : {SB_HORZ, SB_VERT}) {
            TScrollInfo Info;
            if ((Style & (Bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) &&
                FCore->ScrollValues(Bar == SB_VERT, Info))
                SetScrollInfo(WindowHandle(), Bar, Info, true);
        }
    };
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
}

TCustomEdit::~TCustomEdit() {
    // The window goes first (its widget's text goes back into the core).
    DestroyHandle();
}

void TCustomEdit::Published(TPublisher<TCustomEdit>& P) {
    P.Property(u"Text", &TCustomEdit::Text, &TCustomEdit::SetText);
    P.Property(u"MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
    P.Property(u"ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false);
    P.Property(u"PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar).Default(0);
    P.Property(u"CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase).Default(ecNormal);
    P.Property(u"NumbersOnly", &TCustomEdit::NumbersOnly, &TCustomEdit::SetNumbersOnly).Default(false);
    P.Property(u"Alignment", &TCustomEdit::Alignment, &TCustomEdit::SetAlignment).Default(taLeftJustify);
    P.Property(u"AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
    P.Property(u"HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection).Default(true);
    P.Property(u"BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle)
        .Default(Controls::bsSingle);
    P.Property(u"OnChange", &TCustomEdit::OnChange);
}

int TCustomEdit::MaxLength() const {
    return FCore->MaxLength;
}

void TCustomEdit::SetMaxLength(int Value) {
    Perform(EM_LIMITTEXT, static_cast<WPARAM>(std::max(0, Value)));
}

bool TCustomEdit::ReadOnly() const {
    return FCore->ReadOnly;
}

void TCustomEdit::SetReadOnly(bool Value) {
    if (FCore->ReadOnly == Value) return;
    Perform(EM_SETREADONLY, Value ? 1 : 0);
}

Char TCustomEdit::PasswordChar() const {
    return FCore->PasswordChar;
}

void TCustomEdit::SetPasswordChar(Char Value) {
    if (FCore->PasswordChar == Value) return;
    Perform(EM_SETPASSWORDCHAR, Value);
}

TEditCharCase TCustomEdit::CharCase() const {
    return FCore->CharCase;
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
    if (FCore->CharCase == Value) return;
    FCore->CharCase = Value;
    const String T = Text();
    const String C = FCore->ConvertCase(T);
    if (C != T) {
        int A = SelStart(), L = SelLength();
        FCore->Store->SetText(C);
        Perform(EM_SETSEL, static_cast<WPARAM>(A), A + L);
    }
}

bool TCustomEdit::NumbersOnly() const {
    return FCore->NumbersOnly;
}

void TCustomEdit::SetNumbersOnly(bool Value) {
    FCore->NumbersOnly = Value;
}

TAlignment TCustomEdit::Alignment() const {
    return FCore->Alignment;
}

void TCustomEdit::SetAlignment(TAlignment Value) {
    if (FCore->Alignment == Value) return;
    FCore->Alignment = Value;
    FCore->ApplyOptions();
}

bool TCustomEdit::HideSelection() const {
    return FCore->HideSelection;
}

void TCustomEdit::SetHideSelection(bool Value) {
    if (FCore->HideSelection == Value) return;
    FCore->HideSelection = Value;
    UpdateNative();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    NonClientChanged();
    UpdateNative();
}

bool TCustomEdit::Modified() const {
    return const_cast<TCustomEdit*>(this)->Perform(EM_GETMODIFY) != 0;
}

void TCustomEdit::SetModified(bool Value) {
    Perform(EM_SETMODIFY, Value ? 1 : 0);
}

bool TCustomEdit::CanUndo() const {
    return const_cast<TCustomEdit*>(this)->Perform(EM_CANUNDO) != 0;
}

int TCustomEdit::SelStart() const {
    int A = 0, B = 0;
    const_cast<TCustomEdit*>(this)->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&A),
                                            reinterpret_cast<LPARAM>(&B));
    return A;
}

void TCustomEdit::SetSelStart(int Value) {
    Perform(EM_SETSEL, static_cast<WPARAM>(Value), Value);
}

int TCustomEdit::SelLength() const {
    int A = 0, B = 0;
    const_cast<TCustomEdit*>(this)->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&A),
                                            reinterpret_cast<LPARAM>(&B));
    return B - A;
}

void TCustomEdit::SetSelLength(int Value) {
    const int A = SelStart();
    Perform(EM_SETSEL, static_cast<WPARAM>(A), A + std::max(0, Value));
}

String TCustomEdit::SelText() const {
    int A = 0, B = 0;
    const_cast<TCustomEdit*>(this)->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&A),
                                            reinterpret_cast<LPARAM>(&B));
    return FCore->Text().substr(static_cast<std::size_t>(A), static_cast<std::size_t>(B - A));
}

void TCustomEdit::SetSelText(const String& Value) {
    Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(&Value));
}

void TCustomEdit::SelectAll() {
    Perform(EM_SETSEL, 0, -1);
}

void TCustomEdit::ClearSelection() {
    Perform(WM_CLEAR);
}

void TCustomEdit::Clear() {
    SetText(String());
}

void TCustomEdit::CopyToClipboard() {
    Perform(WM_COPY);
}

void TCustomEdit::CutToClipboard() {
    Perform(WM_CUT);
}

void TCustomEdit::PasteFromClipboard() {
    Perform(WM_PASTE);
}

void TCustomEdit::Undo() {
    Perform(WM_UNDO);
}

void TCustomEdit::ClearUndo() {
    Perform(EM_EMPTYUNDOBUFFER);
}

int TCustomEdit::GetTextLen() const {
    return static_cast<int>(const_cast<TCustomEdit*>(this)->Perform(WM_GETTEXTLENGTH));
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

String TCustomEdit::GetText() const {
    return FInCreateParams ? String() : FCore->Text();
}

void TCustomEdit::SetTextValue(const String& Value) {
    FCore->SetText(Value);
}

void TCustomEdit::Loaded() {
    TWinControl::Loaded();
    FCore->Modified = false;
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
    // An edit's window has no title, and CreateParams runs at every paint of the frame: the
    // whole text of a long memo is not built for it.
    {
        TFlagScope InCreateParams(FInCreateParams);
        TWinControl::CreateParams(Params);
    }
    if (FBorderStyle == Controls::bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
    // A mirrored layout shows a left-aligned text on the right.
    if (UseRightToLeftAlignment() && FCore->Alignment == taLeftJustify) Params.ExStyle |= WS_EX_RIGHT;
    Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    if (FCore->Alignment == taRightJustify)
        Params.Style |= ES_RIGHT;
    else if (FCore->Alignment == taCenter)
        Params.Style |= ES_CENTER;
}

// The styles decide the text widget: one line or several (wrapped without ES_AUTOHSCROLL), and
// right-aligned text with WS_EX_RIGHT.
void TCustomEdit::CreateWindowHandle(const TCreateParams& Params) {
    TWinControl::CreateWindowHandle(Params);
    TFlagScope Creating(FCreating);
    if (!MultiLine()) {
        FCore->SetMultiLine((Params.Style & ES_MULTILINE) != 0);
        FCore->WordWrap = FCore->MultiLine && !(Params.Style & ES_AUTOHSCROLL);
    }
    FCore->RightByStyle = (Params.ExStyle & WS_EX_RIGHT) != 0;
    FCore->Mirrored = UseRightToLeftAlignment();
    FEditRect = TRect();
    FCore->CreateNative(WindowOf(this));
    UpdateNative();
    if (FCore->MultiLine && FCore->OnScrollChange) FCore->OnScrollChange();
}

void TCustomEdit::SetTextWidgetShown(bool Value) {
    if (FTextWidgetShown == Value) return;
    FTextWidgetShown = Value;
    FCore->Hidden = !Value;
    if (FCore->Widget) {
        FCore->Widget->setVisible(Value);
        // Shown while the window has the focus: the caret comes back into the widget.
        if (Value && HandleAllocated() && GetFocus() == WindowHandle())
            FCore->Widget->setFocus(Qt::OtherFocusReason);
    }
    Invalidate();
}

void TCustomEdit::DestroyWnd() {
    FCore->DestroyNative();
    TWinControl::DestroyWnd();
}

void TCustomEdit::UpdateNative() {
    FCore->SetArea(FEditRect.IsEmpty() ? ClientRect() : FEditRect);
    FCore->ApplyLook(Font(), Color(), Enabled());
}

void TCustomEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
        // The text widget first (the caret moves), then the control's own handling and events.
        FCore->Mouse(Message);
        TWinControl::Dispatch(Message);
        return;
    case CN_COMMAND:
        return Crack(Message, this, &TCustomEdit::CNCommand);
    case WM_VSCROLL:
    case WM_HSCROLL:
        if (FCore->MultiLine && HandleAllocated()) {
            // The user's work on the window's scroll bars scrolls the text.
            const bool Vertical = Message.Msg == WM_VSCROLL;
            TScrollInfo Info;
            Info.fMask = SIF_TRACKPOS;
            GetScrollInfo(WindowHandle(), Vertical ? SB_VERT : SB_HORZ, Info);
            FCore->Scroll(Vertical, LOWORD(Message.WParam), Info.nTrackPos);
            Message.Result = 0;
            return;
        }
        TWinControl::Dispatch(Message);
        return;
    default:
        TWinControl::Dispatch(Message);
    }
}

void TCustomEdit::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
    case EM_SETRECT:
    case EM_SETRECTNP: {
        const auto* R = reinterpret_cast<const TRect*>(Message.LParam);
        FEditRect = R ? *R : TRect();
        if (!FEditRect.IsEmpty()) {
            // Inside the client area.
            const TRect C = ClientRect();
            FEditRect = TRect(std::max(FEditRect.Left, C.Left), std::max(FEditRect.Top, C.Top),
                              std::min(FEditRect.Right, C.Right), std::min(FEditRect.Bottom, C.Bottom));
        }
        FCore->SetArea(FEditRect.IsEmpty() ? ClientRect() : FEditRect);
        Invalidate();
        return;
    }
    case EM_GETRECT:
        if (Message.LParam) *reinterpret_cast<TRect*>(Message.LParam) = FCore->Area;
        return;
    case EM_SETMARGINS:
        // The text widget keeps no margins of its own.
        return;
    case WM_KEYDOWN:
        FCore->KeyDown(Message);
        return;
    case WM_CHAR:
        FCore->CharTyped(Message);
        return;
    default:
        if (FCore->HandleMessage(Message)) return;
        TWinControl::DefaultHandler(Message);
    }
}

void TCustomEdit::CNCommand(TWMCommand& Message) {
    if (Message.NotifyCode() == EN_CHANGE && !FCreating) Change();
}

void TCustomEdit::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
}

void TCustomEdit::WMSize(TWMSize& Message) {
    TWinControl::WMSize(Message);
    FEditRect = TRect();
    FCore->SetArea(ClientRect());
}

void TCustomEdit::WMSetFocus(TWMSetFocus& Message) {
    TWinControl::WMSetFocus(Message);
    FCore->FocusChanged(true);
}

void TCustomEdit::WMKillFocus(TWMKillFocus& Message) {
    TWinControl::WMKillFocus(Message);
    FCore->FocusChanged(false);
}

void TCustomEdit::CMEnter(TMessage& Message) {
    // Entered by keyboard: the whole text is selected (a click places the caret afterwards).
    if (FAutoSelect && !MultiLine()) SelectAll();
    TWinControl::CMEnter(Message);
}

void TCustomEdit::CMFontChanged(TMessage& Message) {
    TWinControl::CMFontChanged(Message);
    FCore->ApplyLook(Font(), Color(), Enabled());
}

void TCustomEdit::CMColorChanged(TMessage& Message) {
    TWinControl::CMColorChanged(Message);
    FCore->ApplyLook(Font(), Color(), Enabled());
}

void TCustomEdit::CMEnabledChanged(TMessage& Message) {
    TWinControl::CMEnabledChanged(Message);
    FCore->ApplyLook(Font(), Color(), Enabled());
}

void TCustomEdit::WMMouseWheel(TWMMouseWheel& Message) {
    if (!MultiLine()) return TWinControl::WMMouseWheel(Message);
    Message.Result = 1;
    if (DoMouseWheel(KeysToShiftState(Message.Keys()), Message.WheelDelta(), Message.Pos())) return;
    if (FCore->Wheel(Message.WheelDelta(), Message.Pos(), Message.Keys())) return;
    // Nothing to scroll here: the parent gets the wheel.
    Message.Result = Parent() ? Parent()->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam) : 0;
}

// ---- TMemoStrings ---------------------------------------------------------------------------------

int TMemoStrings::GetCount() const {
    int N = static_cast<int>(FMemo->Perform(EM_GETLINECOUNT));
    // The empty line after a final line break is no line of its own.
    if (N > 0 && FMemo->Perform(EM_LINELENGTH, static_cast<WPARAM>(FMemo->Perform(EM_LINEINDEX, N - 1))) == 0)
        --N;
    return N;
}

String TMemoStrings::Get(int Index) const {
    String S;
    FMemo->Perform(EM_GETLINE, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&S));
    return S;
}

void TMemoStrings::Put(int Index, const String& S) {
    const LRESULT Start = FMemo->Perform(EM_LINEINDEX, static_cast<WPARAM>(Index));
    if (Start < 0) return;
    FMemo->Perform(EM_SETSEL, static_cast<WPARAM>(Start),
                   Start + FMemo->Perform(EM_LINELENGTH, static_cast<WPARAM>(Start)));
    FMemo->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(&S));
}

void TMemoStrings::Insert(int Index, const String& S) {
    if (Index < 0) return;
    LRESULT Start = FMemo->Perform(EM_LINEINDEX, static_cast<WPARAM>(Index));
    String Line;
    if (Start >= 0) {
        Line = S + CRLF;
    } else {
        // After the last line: a line break first.
        Start = FMemo->Perform(EM_LINEINDEX, static_cast<WPARAM>(Index - 1));
        if (Start < 0) return;
        const LRESULT Length = FMemo->Perform(EM_LINELENGTH, static_cast<WPARAM>(Start));
        if (Length == 0) return;
        Start += Length;
        Line = CRLF + S;
    }
    FMemo->Perform(EM_SETSEL, static_cast<WPARAM>(Start), Start);
    FMemo->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(&Line));
}

void TMemoStrings::Delete(int Index) {
    const LRESULT Start = FMemo->Perform(EM_LINEINDEX, static_cast<WPARAM>(Index));
    if (Start < 0) return;
    LRESULT End = FMemo->Perform(EM_LINEINDEX, static_cast<WPARAM>(Index + 1));
    if (End < 0) End = Start + FMemo->Perform(EM_LINELENGTH, static_cast<WPARAM>(Start));
    FMemo->Perform(EM_SETSEL, static_cast<WPARAM>(Start), End);
    const String Empty;
    FMemo->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(&Empty));
}

void TMemoStrings::Clear() {
    FMemo->Clear();
}

String TMemoStrings::GetTextStr() const {
    return FMemo->Text();
}

void TMemoStrings::SetTextStr(const String& Value) {
    FMemo->SetText(Value);
}

void TMemoStrings::SetUpdateState(bool Updating) {
    TStrings::SetUpdateState(Updating);
    FMemo->Core().SetUpdating(Updating);
}

// ---- TCustomMemo ----------------------------------------------------------------------------------

TCustomMemo::TCustomMemo(TComponent* AOwner)
    : TCustomEdit(AOwner), FLines(std::make_unique<TMemoStrings>(this)) {
    TEditCore& C = Core();
    C.MultiLine = true;
    C.ResetStore();
    SetBounds(0, 0, 185, 89);
    SetAutoSelect(false);
}

TCustomMemo::~TCustomMemo() {
    DestroyHandle();
}

void TCustomMemo::Published(TPublisher<TCustomMemo>& P) {
    P.Property(u"Lines", &TCustomMemo::Lines, &TCustomMemo::SetLines);
    P.Property(u"ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars)
        .Default(StdCtrls::ssNone);
    P.Property(u"WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap).Default(true);
    P.Property(u"WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns).Default(true);
    P.Property(u"WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs).Default(false);
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
    if (FScrollBars == Value) return;
    FScrollBars = Value;
    RecreateWnd();
    if (!HandleAllocated()) NonClientChanged();
}

void TCustomMemo::SetWordWrap(bool Value) {
    if (FWordWrap == Value) return;
    FWordWrap = Value;
    Core().WordWrap = Value;
    Core().ApplyOptions();
}

TPoint TCustomMemo::CaretPos() const {
    auto* Self = const_cast<TCustomMemo*>(this);
    int A = 0, B = 0;
    Self->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&A), reinterpret_cast<LPARAM>(&B));
    // The caret is at the end the selection was made towards; EM_GETSEL gives the range.
    const int Caret = B;
    const int Line = static_cast<int>(Self->Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(Caret)));
    const int Start = static_cast<int>(Self->Perform(EM_LINEINDEX, static_cast<WPARAM>(Line)));
    return {Caret - Start, Line};
}

void TCustomMemo::CreateParams(TCreateParams& Params) {
    TCustomEdit::CreateParams(Params);
    if (FScrollBars == StdCtrls::ssVertical || FScrollBars == StdCtrls::ssBoth) Params.Style |= WS_VSCROLL;
    if (FScrollBars == StdCtrls::ssHorizontal || FScrollBars == StdCtrls::ssBoth) Params.Style |= WS_HSCROLL;
    Params.Style |= ES_MULTILINE;
    if (FWordWrap) Params.Style &= ~Cardinal(ES_AUTOHSCROLL);
}

void TCustomMemo::CreateWindowHandle(const TCreateParams& Params) {
    Core().WordWrap = FWordWrap;
    TCustomEdit::CreateWindowHandle(Params);
}

void TCustomMemo::WMGetDlgCode(TWMGetDlgCode& Message) {
    TCustomEdit::WMGetDlgCode(Message);
    if (FWantReturns) Message.Result |= DLGC_WANTALLKEYS;
    if (FWantTabs) Message.Result |= DLGC_WANTTAB;
}

void TCustomMemo::KeyPress(Char& Key) {
    TCustomEdit::KeyPress(Key);
    if ((Key == u'\r' && !FWantReturns) || (Key == u'\t' && !FWantTabs)) Key = 0;
}
