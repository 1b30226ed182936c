// The spin edit, with an edit field of its own (text, caret, selection) drawn on its canvas.
#include "platform/gui/Spin.h"

#include "platform/base/Strings.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GraphicsQt.h"

#include <algorithm>

namespace {

constexpr int ButtonWidth = 15;
// Left of the text inside the field.
constexpr int TextIndent = 2;
constexpr UINT_PTR RepeatTimer = 1;
// The first repeat of a held button waits longer than the following ones.
constexpr UINT FirstRepeat = 400;
constexpr UINT NextRepeat = 100;

int TextWidth(const TFont* Font, const String& Text) {
    try {
        TFontEngine* E = Font->Engine();
        std::lock_guard<std::recursive_mutex> Guard(E->Lock);
        return E->TextWidth(Text.data(), int(Text.size()));
    } catch (const Exception&) {
        return int(Text.size()) * 7;
    }
}

int TextHeight(const TFont* Font) {
    try {
        return Font->Engine()->Metric.tmHeight;
    } catch (const Exception&) {
        return 13;
    }
}

} // namespace

TSpinEdit::TSpinEdit(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    SetBounds(0, 0, 121, 22);
    SetTabStop(true);
    SetColor(clWindow);
    SetText(u"0");
}

void TSpinEdit::Published(TPublisher<TSpinEdit>& P) {
    P.Property(u"AutoSelect", &TSpinEdit::AutoSelect, &TSpinEdit::SetAutoSelect).Default(true);
    P.Property(u"EditorEnabled", &TSpinEdit::EditorEnabled, &TSpinEdit::SetEditorEnabled).Default(true);
    P.Property(u"Increment", &TSpinEdit::Increment, &TSpinEdit::SetIncrement).Default(1);
    P.Property(u"MaxLength", &TSpinEdit::MaxLength, &TSpinEdit::SetMaxLength).Default(0);
    P.Property(u"MaxValue", &TSpinEdit::MaxValue, &TSpinEdit::SetMaxValue).Default(0);
    P.Property(u"MinValue", &TSpinEdit::MinValue, &TSpinEdit::SetMinValue).Default(0);
    P.Property(u"ReadOnly", &TSpinEdit::ReadOnly, &TSpinEdit::SetReadOnly).Default(false);
    P.Property(u"Value", &TSpinEdit::Value, &TSpinEdit::SetValue).Default(0);
    P.Property(u"OnChange", &TSpinEdit::OnChange);
}

TSpinEdit::~TSpinEdit() {
    if (HandleAllocated()) KillTimer(WindowHandle(), RepeatTimer);
}

void TSpinEdit::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

// -- Value --

int TSpinEdit::CheckValue(int NewValue) const {
    if (FMaxValue != FMinValue) return std::clamp(NewValue, std::min(FMinValue, FMaxValue), FMaxValue);
    return NewValue;
}

int TSpinEdit::Value() const {
    int V = 0;
    if (!TryStrToInt(Trim(Text()), V)) V = FMinValue;
    return V;
}

void TSpinEdit::SetValue(int NewValue) {
    SetText(IntToStr(CheckValue(NewValue)));
}

bool TSpinEdit::IsValidChar(Char Key) {
    const bool Valid =
        (Key >= u'0' && Key <= u'9') || Key == u'+' || Key == u'-' || (Key < 32 && Key != VK_RETURN);
    if (Valid && !FEditorEnabled && (Key >= 32 || Key == VK_BACK)) return false;
    return Valid;
}

void TSpinEdit::Change() {
    if (OnChange) OnChange(this);
}

void TSpinEdit::UpClick() {
    if (FReadOnly) return;
    SetValue(Value() + FIncrement);
    SelectAll();
}

void TSpinEdit::DownClick() {
    if (FReadOnly) return;
    SetValue(Value() - FIncrement);
    SelectAll();
}

void TSpinEdit::Spin(int Direction) {
    if (Direction > 0)
        UpClick();
    else if (Direction < 0)
        DownClick();
}

// -- Selection and editing --

void TSpinEdit::SetSelStart(int Value) {
    MoveCaret(std::clamp(Value, 0, int(Text().size())), false);
}

void TSpinEdit::SetSelLength(int Value) {
    const int Start = SelStart();
    FAnchor = Start;
    MoveCaret(std::clamp(Start + Value, 0, int(Text().size())), true);
}

String TSpinEdit::SelText() const {
    return Text().substr(std::size_t(SelStart()), std::size_t(SelLength()));
}

void TSpinEdit::SelectAll() {
    FAnchor = 0;
    MoveCaret(int(Text().size()), true);
}

void TSpinEdit::MoveCaret(int Index, bool Extend) {
    FCaret = std::clamp(Index, 0, int(Text().size()));
    if (!Extend) FAnchor = FCaret;
    UpdateCaret();
    Invalidate();
}

// Replaces the text as the user edits it, leaving the caret at NewCaret.
void TSpinEdit::EditText(const String& NewText, int NewCaret) {
    {
        TFlagScope Editing(FEditing);
        SetText(NewText);
    }
    FAnchor = FCaret = std::clamp(NewCaret, 0, int(Text().size()));
    UpdateCaret();
    Invalidate();
}

void TSpinEdit::ReplaceSelection(const String& Inserted) {
    if (FReadOnly) return;
    const String Old = Text();
    const int Start = SelStart(), Length = SelLength();
    String Add = Inserted;
    if (FMaxLength > 0) {
        const int Room = FMaxLength - (int(Old.size()) - Length);
        if (Room <= 0 && !Add.empty()) return;
        if (int(Add.size()) > Room) Add.resize(std::size_t(std::max(Room, 0)));
    }
    String New = Old;
    New.replace(std::size_t(Start), std::size_t(Length), Add);
    EditText(New, Start + int(Add.size()));
}

void TSpinEdit::CopyToClipboard() {
    if (SelLength() > 0) Clipboard()->SetAsText(SelText());
}

void TSpinEdit::Paste() {
    if (FReadOnly || !FEditorEnabled) return;
    String S = Clipboard()->AsText();
    // Only what the field takes.
    std::erase_if(S, [this](Char C) { return C < 32 || !IsValidChar(C); });
    ReplaceSelection(S);
}

void TSpinEdit::CMTextChanged(TMessage& Message) {
    TCustomControl::CMTextChanged(Message);
    const int Length = int(Text().size());
    if (!FEditing) {
        // A text set from outside puts the caret at its start.
        FAnchor = FCaret = 0;
        FScroll = 0;
    }
    FAnchor = std::min(FAnchor, Length);
    FCaret = std::min(FCaret, Length);
    UpdateCaret();
    Invalidate();
    Change();
}

void TSpinEdit::CMExit(TMessage& Message) {
    TCustomControl::CMExit(Message);
    const int V = Value();
    if (CheckValue(V) != V || Trim(Text()) != IntToStr(V)) SetValue(V);
}

void TSpinEdit::CMEnabledChanged(TMessage& Message) {
    TCustomControl::CMEnabledChanged(Message);
    Invalidate();
}

void TSpinEdit::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    UpdateCaret();
    Invalidate();
}

// -- Geometry --

TRect TSpinEdit::EditRect() const {
    const TRect C = ClientRect();
    return Rect(0, 0, std::max(C.Right - ButtonWidth, 0), C.Bottom);
}

TRect TSpinEdit::ButtonRect(bool Up) const {
    const TRect C = ClientRect();
    const int Left = std::max(C.Right - ButtonWidth, 0);
    const int Half = C.Bottom / 2;
    return Up ? Rect(Left, 0, C.Right, Half) : Rect(Left, Half, C.Right, C.Bottom);
}

int TSpinEdit::TextX(int Index) {
    return TextIndent - FScroll + TextWidth(Font(), Text().substr(0, std::size_t(std::max(Index, 0))));
}

int TSpinEdit::IndexAt(int X) {
    const int Length = int(Text().size());
    int Best = 0, BestDistance = INT32_MAX;
    for (int I = 0; I <= Length; ++I) {
        const int D = std::abs(TextX(I) - X);
        if (D < BestDistance) {
            BestDistance = D;
            Best = I;
        }
    }
    return Best;
}

void TSpinEdit::UpdateCaret() {
    // Keep the caret inside the field, scrolling the text when it would leave it.
    const TRect E = EditRect();
    const int X = TextX(FCaret);
    if (X < TextIndent)
        FScroll -= TextIndent - X;
    else if (X > E.Right - 2)
        FScroll += X - (E.Right - 2);
    FScroll = std::max(FScroll, 0);
    if (!HandleAllocated() || !Focused()) return;
    const int H = TextHeight(Font());
    SetCaretPos(TextX(FCaret), std::max((E.Height() - H) / 2, 0));
}

// -- Painting --

void TSpinEdit::Paint() {
    TCanvas* C = Canvas();
    const TRect E = EditRect();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
    C->FillRect(E);
    C->IntersectClipRect(E);
    C->Font()->Assign(Font());
    if (!Enabled()) C->Font()->SetColor(clGrayText);
    const String S = Text();
    const int Y = std::max((E.Height() - TextHeight(Font())) / 2, 0);
    const int Start = SelStart(), End = Start + SelLength();
    C->Brush()->SetStyle(bsClear);
    C->TextOut(TextX(0), Y, S);
    if (End > Start && Focused()) {
        // The selection in the highlight colours over the plain text.
        const String Sel = S.substr(std::size_t(Start), std::size_t(End - Start));
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(clHighlight);
        C->Font()->SetColor(clHighlightText);
        C->TextOut(TextX(Start), Y, Sel);
    }
    C->SelectClipRect(nullptr);
    TRect Up = ButtonRect(true), Down = ButtonRect(false);
    const Cardinal Off = Enabled() ? 0 : DFCS_INACTIVE;
    DrawFrameControl(C, Up, DFC_SCROLL, DFCS_SCROLLUP | Off | (FButtonDown > 0 ? DFCS_PUSHED : 0));
    DrawFrameControl(C, Down, DFC_SCROLL, DFCS_SCROLLDOWN | Off | (FButtonDown < 0 ? DFCS_PUSHED : 0));
}

// -- Keys --

void TSpinEdit::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void TSpinEdit::WMKeyDown(TWMKeyDown& Message) {
    if (DoKeyDown(Message)) return;
    const bool Shift = GetKeyState(VK_SHIFT) < 0;
    const bool Ctrl = GetKeyState(VK_CONTROL) < 0;
    const int Length = int(Text().size());
    switch (Message.CharCode()) {
    case VK_UP:
        UpClick();
        break;
    case VK_DOWN:
        DownClick();
        break;
    case VK_LEFT:
        MoveCaret(!Shift && SelLength() > 0 ? SelStart() : FCaret - 1, Shift);
        break;
    case VK_RIGHT:
        MoveCaret(!Shift && SelLength() > 0 ? SelStart() + SelLength() : FCaret + 1, Shift);
        break;
    case VK_HOME:
        MoveCaret(0, Shift);
        break;
    case VK_END:
        MoveCaret(Length, Shift);
        break;
    case VK_DELETE:
        if (FReadOnly || !FEditorEnabled) break;
        if (Shift && !Ctrl) { // Shift+Del cuts
            CopyToClipboard();
            ReplaceSelection(String());
        } else if (SelLength() > 0) {
            ReplaceSelection(String());
        } else if (FCaret < Length) {
            FAnchor = FCaret + 1;
            ReplaceSelection(String());
        }
        break;
    case VK_INSERT:
        if (Ctrl && !Shift)
            CopyToClipboard();
        else if (Shift && !Ctrl)
            Paste();
        break;
    default:
        DefaultHandler(Message);
        break;
    }
}

void TSpinEdit::WMChar(TWMChar& Message) {
    if (DoKeyPress(Message)) return;
    const Char Key = static_cast<Char>(Message.CharCode());
    switch (Key) {
    case 1: // Ctrl+A
        SelectAll();
        return;
    case 3: // Ctrl+C
        CopyToClipboard();
        return;
    case 22: // Ctrl+V
        Paste();
        return;
    case 24: // Ctrl+X
        if (FReadOnly || !FEditorEnabled) return;
        CopyToClipboard();
        ReplaceSelection(String());
        return;
    default:
        break;
    }
    if (!IsValidChar(Key) || FReadOnly) return;
    if (Key == VK_BACK) {
        if (SelLength() == 0 && FCaret > 0) FAnchor = FCaret - 1;
        ReplaceSelection(String());
        return;
    }
    if (Key < 32) return;
    ReplaceSelection(String(1, Key));
}

// -- Focus --

void TSpinEdit::WMSetFocus(TWMSetFocus& Message) {
    TCustomControl::WMSetFocus(Message);
    CreateCaret(WindowHandle(), 1, TextHeight(Font()));
    if (FAutoSelect && !FSelecting) SelectAll();
    UpdateCaret();
    ShowCaret(WindowHandle());
    Invalidate();
}

void TSpinEdit::WMKillFocus(TWMKillFocus& Message) {
    TCustomControl::WMKillFocus(Message);
    DestroyCaret();
    Invalidate();
}

// -- Mouse --

void TSpinEdit::WMLButtonDown(TWMMouse& Message) {
    const TPoint P = Message.Pos();
    const int Button = PtInRect(ButtonRect(true), P) ? 1 : PtInRect(ButtonRect(false), P) ? -1 : 0;
    FSelecting = Button == 0;
    if (CanFocus() && !Focused() && GetParentForm(this) && GetParentForm(this)->Visible()) SetFocus();
    if (Button != 0) {
        FSelecting = false;
        FButtonDown = Button;
        Invalidate();
        Spin(Button);
        if (HandleAllocated()) SetTimer(WindowHandle(), RepeatTimer, FirstRepeat);
    } else {
        MoveCaret(IndexAt(P.X), GetKeyState(VK_SHIFT) < 0);
    }
    TCustomControl::WMLButtonDown(Message);
}

void TSpinEdit::WMLButtonDblClk(TWMMouse& Message) {
    if (PtInRect(EditRect(), Message.Pos())) {
        SelectAll();
        TCustomControl::WMLButtonDblClk(Message);
        return;
    }
    WMLButtonDown(Message);
}

void TSpinEdit::WMMouseMove(TWMMouse& Message) {
    if (FSelecting && MouseCapture()) MoveCaret(IndexAt(Message.XPos()), true);
    TCustomControl::WMMouseMove(Message);
}

void TSpinEdit::WMLButtonUp(TWMMouse& Message) {
    FSelecting = false;
    if (FButtonDown != 0) {
        FButtonDown = 0;
        if (HandleAllocated()) KillTimer(WindowHandle(), RepeatTimer);
        Invalidate();
    }
    TCustomControl::WMLButtonUp(Message);
}

void TSpinEdit::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_TIMER && Message.WParam == RepeatTimer) {
        if (FButtonDown == 0) {
            KillTimer(WindowHandle(), RepeatTimer);
            return;
        }
        SetTimer(WindowHandle(), RepeatTimer, NextRepeat);
        Spin(FButtonDown);
        return;
    }
    TCustomControl::Dispatch(Message);
}

void TSpinEdit::WMSize(TWMSize& Message) {
    TCustomControl::WMSize(Message);
    UpdateCaret();
}

void TSpinEdit::WMSetCursor(TWMSetCursor& Message) {
    if (Message.HitTest() == HTCLIENT && Cursor() == crDefault) {
        TPoint P;
        GetCursorPos(P);
        ::SetCursor(PtInRect(EditRect(), ScreenToClient(P)) ? crIBeam : crArrow);
        Message.Result = 1;
        return;
    }
    TCustomControl::WMSetCursor(Message);
}

void RegisterSpinClasses() {
    RegisterClass(TSpinEdit::StaticClass());
}
