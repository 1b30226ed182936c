// Labels, buttons, check boxes, radio buttons, group boxes and radio groups.
#include "platform/gui/StdCtrls.h"

#include "platform/base/Strings.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrlsQt.h"

#include <QGuiApplication>

TCanvas* MeasureCanvas(const TFont* Font) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return nullptr;
    static std::unique_ptr<TBitmap> Bitmap;
    if (!Bitmap) Bitmap = std::make_unique<TBitmap>(1, 1);
    Bitmap->Canvas()->Font()->Assign(const_cast<TFont*>(Font));
    return Bitmap->Canvas();
}

int FontLineHeight(const TFont* Font, int Fallback) {
    TCanvas* C = MeasureCanvas(Font);
    if (!C) return Fallback;
    TTextMetric M;
    return C->GetTextMetrics(M) ? M.tmHeight : Fallback;
}

bool IsAccel(Word Key, const String& Caption) {
    for (std::size_t I = 0; I + 1 < Caption.size(); ++I) {
        if (Caption[I] != u'&') continue;
        if (Caption[I + 1] == u'&') {
            ++I;
            continue;
        }
        return AnsiSameText(String(1, Caption[I + 1]), String(1, static_cast<Char>(Key)));
    }
    return false;
}

// ---- TCustomLabel ---------------------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, 65, 17);
    SetParentColor(true);
    SetAutoSize(true);
}

void TCustomLabel::Published(TPublisher<TCustomLabel>& P) {
    P.Property(u"Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment).Default(taLeftJustify);
    P.Property(u"AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize).Default(true);
    P.Property(u"EllipsisPosition", &TCustomLabel::EllipsisPosition, &TCustomLabel::SetEllipsisPosition)
        .Default(epNone);
    P.Property(u"FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
    P.Property(u"Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout).Default(tlTop);
    P.Property(u"ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar).Default(true);
    P.Property(u"Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent).Default(false);
    P.Property(u"WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap).Default(false);
}

void TCustomLabel::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value) {
    if (FLayout == Value) return;
    FLayout = Value;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
    if (FWordWrap == Value) return;
    FWordWrap = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
    if (FTransparent == Value) return;
    FTransparent = Value;
    if (Value)
        FControlStyle.Exclude(csOpaque);
    else
        FControlStyle.Include(csOpaque);
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
    if (FShowAccelChar == Value) return;
    FShowAccelChar = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetEllipsisPosition(TEllipsisPosition Value) {
    if (FEllipsisPosition == Value) return;
    FEllipsisPosition = Value;
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
    if (FFocusControl == Value) return;
    if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
    FFocusControl = Value;
    if (Value) Value->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::SetAutoSize(bool Value) {
    TGraphicControl::SetAutoSize(Value);
    AdjustBounds();
}

void TCustomLabel::AdjustSize() {
    AdjustBounds();
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

Cardinal TCustomLabel::TextFlags() const {
    Cardinal F = DT_EXPANDTABS;
    if (FWordWrap) F |= DT_WORDBREAK;
    if (FAlignment == taRightJustify) F |= DT_RIGHT;
    if (FAlignment == taCenter) F |= DT_CENTER;
    if (!FShowAccelChar) F |= DT_NOPREFIX;
    if (!FWordWrap) {
        if (FEllipsisPosition == epEndEllipsis) F |= DT_END_ELLIPSIS;
        if (FEllipsisPosition == epPathEllipsis) F |= DT_PATH_ELLIPSIS;
        if (FEllipsisPosition == epWordEllipsis) F |= DT_WORD_ELLIPSIS;
    }
    return F;
}

void TCustomLabel::AdjustBounds() {
    if (!AutoSize() || ComponentState().Contains(csLoading)) return;
    TCanvas* C = MeasureCanvas(Font());
    if (!C) return;
    String Text = Caption();
    // An empty caption keeps the height of a line.
    if (Text.empty() || (FShowAccelChar && Text == u"&")) Text += u' ';
    TRect R = Rect(0, 0, FWordWrap ? Width() : 0, 0);
    DrawText(C, Text, R,
             (TextFlags() & ~(DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) | DT_CALCRECT);
    int X = Left();
    if (FAlignment == taRightJustify) X += Width() - R.Right;
    SetBounds(X, Top(), R.Right, R.Bottom);
}

void TCustomLabel::Paint() {
    TCanvas* C = Canvas();
    const TRect Client = ClientRect();
    if (!FTransparent) {
        C->Brush()->SetColor(Color());
        C->Brush()->SetStyle(bsSolid);
        C->FillRect(Client);
    }
    C->Brush()->SetStyle(bsClear);
    C->Font()->Assign(Font());
    TRect R = Client;
    const Cardinal Flags = TextFlags();
    if (FLayout != tlTop) {
        TRect Calc = Client;
        DrawText(C, Caption(), Calc, Flags | DT_CALCRECT);
        const int Offset =
            FLayout == tlBottom ? Client.Height() - Calc.Height() : (Client.Height() - Calc.Height()) / 2;
        OffsetRect(R, 0, Offset);
    }
    if (!Enabled()) {
        TRect Shadow = R;
        OffsetRect(Shadow, 1, 1);
        C->Font()->SetColor(clBtnHighlight);
        DrawText(C, Caption(), Shadow, Flags);
        C->Font()->SetColor(clBtnShadow);
    }
    DrawText(C, Caption(), R, Flags);
}

void TCustomLabel::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_DIALOGCHAR:
        // The mnemonic focuses the control the label names.
        if (FFocusControl && Enabled() && FShowAccelChar &&
            IsAccel(static_cast<Word>(Message.WParam), Caption()) && FFocusControl->CanFocus()) {
            FFocusControl->SetFocus();
            Message.Result = 1;
        }
        return;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        TGraphicControl::Dispatch(Message);
        AdjustBounds();
        Invalidate();
        return;
    default:
        TGraphicControl::Dispatch(Message);
    }
}

// ---- Action links of button controls --------------------------------------------------------------

class TButtonActionLink : public TActionLink {
    DECLARE_CLASS(TButtonActionLink, TActionLink)
public:
    explicit TButtonActionLink(TButtonControl* AClient = nullptr) : TActionLink(AClient), FButton(AClient) {}
    TCustomAction* Custom() const { return dynamic_cast<TCustomAction*>(FAction); }

    bool IsCaptionLinked() const override {
        return TActionLink::IsCaptionLinked() && FButton->Caption() == Custom()->Caption();
    }
    bool IsCheckedLinked() const override {
        return TActionLink::IsCheckedLinked() && FButton->GetChecked() == Custom()->Checked();
    }
    bool IsEnabledLinked() const override {
        return TActionLink::IsEnabledLinked() && FButton->Enabled() == Custom()->Enabled();
    }
    bool IsHintLinked() const override {
        return TActionLink::IsHintLinked() && FButton->Hint() == Custom()->Hint();
    }
    bool IsVisibleLinked() const override {
        return TActionLink::IsVisibleLinked() && FButton->Visible() == Custom()->Visible();
    }
    void SetCaption(const String& Value) override {
        if (IsCaptionLinked()) FButton->SetCaption(Value);
    }
    void SetChecked(bool Value) override {
        if (!IsCheckedLinked()) return;
        ++FButton->FClicksDisabled;
        TScopeExit ClicksBack([&] { --FButton->FClicksDisabled; });
        FButton->SetChecked(Value);
    }
    void SetEnabled(bool Value) override {
        if (IsEnabledLinked()) FButton->SetEnabled(Value);
    }
    void SetHint(const String& Value) override {
        if (IsHintLinked()) FButton->SetHint(Value);
    }
    void SetVisible(bool Value) override {
        if (IsVisibleLinked()) FButton->SetVisible(Value);
    }

private:
    TButtonControl* FButton;
};

// ---- TButtonControl -------------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TCustomControl(AOwner) {
    // Clicks come from the press and release (BN_CLICKED); a quick second press is a press.
    FControlStyle.Exclude(csClickEvents);
    FControlStyle.Exclude(csDoubleClicks);
}

TButtonControl::~TButtonControl() = default;

void TButtonControl::Published(TPublisher<TButtonControl>& P) {
    P.Property(u"Action", &TButtonControl::Action, &TButtonControl::SetAction);
    P.Property(u"WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap).Default(false);
}

TBasicAction* TButtonControl::Action() const {
    return FActionLink ? FActionLink->Action() : nullptr;
}

void TButtonControl::SetAction(TBasicAction* Value) {
    LinkClientToAction(this, FActionLink, Value,
                       [this](TBasicAction* A) { ActionChange(A, ComponentState().Contains(csLoading)); });
}

void TButtonControl::ActionChange(TObject* Sender, bool CheckDefaults) {
    auto* A = dynamic_cast<TCustomAction*>(Sender);
    if (!A) return;
    if (!CheckDefaults || Caption().empty()) SetCaption(A->Caption());
    if (!CheckDefaults || Enabled()) SetEnabled(A->Enabled());
    if (!CheckDefaults || Hint().empty()) SetHint(A->Hint());
    if (!CheckDefaults || Visible()) SetVisible(A->Visible());
    if (!CheckDefaults || !GetChecked()) {
        ++FClicksDisabled;
        TScopeExit ClicksBack([&] { --FClicksDisabled; });
        SetChecked(A->Checked());
    }
}

void TButtonControl::Loaded() {
    TCustomControl::Loaded();
    if (TBasicAction* A = Action()) ActionChange(A, true);
}

void TButtonControl::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Action()) SetAction(nullptr);
}

void TButtonControl::SetWordWrap(bool Value) {
    if (FWordWrap == Value) return;
    FWordWrap = Value;
    Invalidate();
}

void TButtonControl::Click() {
    if (OnClick) {
        OnClick(this);
        return;
    }
    if (FActionLink && FActionLink->Action()) FActionLink->Execute(this);
}

void TButtonControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        return Crack(Message, this, &TButtonControl::CNCommand);
    case WM_SETFOCUS:
        TCustomControl::Dispatch(Message);
        Invalidate();
        return;
    case BM_GETCHECK:
        if (auto* C = dynamic_cast<TCustomCheckBox*>(this))
            Message.Result = C->State() == cbGrayed    ? BST_INDETERMINATE
                             : C->State() == cbChecked ? BST_CHECKED
                                                       : BST_UNCHECKED;
        else
            Message.Result = GetChecked() ? BST_CHECKED : BST_UNCHECKED;
        return;
    case BM_SETCHECK:
        ++FClicksDisabled;
        {
            TScopeExit ClicksBack([&] { --FClicksDisabled; });
            if (auto* C = dynamic_cast<TCustomCheckBox*>(this))
                C->SetState(Message.WParam == BST_INDETERMINATE ? cbGrayed
                            : Message.WParam == BST_CHECKED     ? cbChecked
                                                                : cbUnchecked);
            else
                SetChecked(Message.WParam == BST_CHECKED);
        }
        Message.Result = 0;
        return;
    case BM_CLICK:
        if (Enabled()) Perform(CN_COMMAND, MAKEWPARAM(0, BN_CLICKED), static_cast<LPARAM>(WindowHandle()));
        return;
    default:
        TCustomControl::Dispatch(Message);
    }
}

void TButtonControl::CNCommand(TWMCommand&) {}

void TButtonControl::WMLButtonDown(TWMMouse& Message) {
    if (CanFocus() && !Focused()) SetFocus();
    FMouseDown = true;
    FMouseInside = true;
    Invalidate();
    TCustomControl::WMLButtonDown(Message);
}

void TButtonControl::WMMouseMove(TWMMouse& Message) {
    if (FMouseDown) {
        const bool Inside = PtInRect(ClientRect(), Message.Pos());
        if (Inside != FMouseInside) {
            FMouseInside = Inside;
            Invalidate();
        }
    }
    TCustomControl::WMMouseMove(Message);
}

void TButtonControl::WMLButtonUp(TWMMouse& Message) {
    const bool Clicked = FMouseDown && PtInRect(ClientRect(), Message.Pos());
    FMouseDown = false;
    Invalidate();
    const HWND Wnd = WindowHandle();
    // The click comes before OnMouseUp, as the system's buttons tell it.
    if (Clicked) Perform(CN_COMMAND, MAKEWPARAM(0, BN_CLICKED), static_cast<LPARAM>(Wnd));
    if (IsWindow(Wnd)) TCustomControl::WMLButtonUp(Message);
}

void TButtonControl::WMKeyDown(TWMKeyDown& Message) {
    if (DoKeyDown(Message)) return;
    if (Message.CharCode() == VK_SPACE) {
        if (!FSpaceDown) {
            FSpaceDown = true;
            Invalidate();
        }
        return;
    }
    DefaultHandler(Message);
}

void TButtonControl::WMKeyUp(TWMKeyUp& Message) {
    if (DoKeyUp(Message)) return;
    if (Message.CharCode() == VK_SPACE && FSpaceDown) {
        FSpaceDown = false;
        Invalidate();
        Perform(CN_COMMAND, MAKEWPARAM(0, BN_CLICKED), static_cast<LPARAM>(WindowHandle()));
        return;
    }
    DefaultHandler(Message);
}

void TButtonControl::WMKillFocus(TWMKillFocus& Message) {
    FSpaceDown = false;
    TCustomControl::WMKillFocus(Message);
    Invalidate();
}

void TButtonControl::DrawCaption(TRect& Rect, Cardinal Flags) {
    TCanvas* C = Canvas();
    C->Font()->Assign(Font());
    C->Brush()->SetStyle(bsClear);
    if (FWordWrap) Flags = (Flags & ~DT_SINGLELINE) | DT_WORDBREAK;
    if (Flags & DT_CALCRECT) {
        DrawText(C, Caption(), Rect, Flags);
        return;
    }
    TRect R = Rect;
    if ((Flags & DT_WORDBREAK) && (Flags & DT_VCENTER)) {
        // Several lines: centred by measuring.
        TRect Calc = Rect;
        DrawText(C, Caption(), Calc, Flags | DT_CALCRECT);
        OffsetRect(R, 0, (Rect.Height() - Calc.Height()) / 2);
    }
    if (!Enabled()) {
        TRect Shadow = R;
        OffsetRect(Shadow, 1, 1);
        C->Font()->SetColor(clBtnHighlight);
        DrawText(C, Caption(), Shadow, Flags);
        C->Font()->SetColor(clBtnShadow);
    }
    DrawText(C, Caption(), R, Flags);
}

// ---- TButton --------------------------------------------------------------------------------------

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
    SetColor(clBtnFace);
}

void TButton::Published(TPublisher<TButton>& P) {
    P.Property(u"Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false);
    P.Property(u"Default", &TButton::Default, &TButton::SetDefault).Default(false);
    P.Property(u"ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(mrNone);
}

void TButton::SetDefault(bool Value) {
    if (FDefault == Value) return;
    FDefault = Value;
    TCustomForm* Form = GetParentForm(this);
    auto* Focus = Form ? dynamic_cast<TButton*>(Form->ActiveControl()) : nullptr;
    FActive = Focus ? Focus == this : FDefault;
    Invalidate();
}

void TButton::Click() {
    if (TCustomForm* Form = GetParentForm(this)) Form->SetModalResult(FModalResult);
    TButtonControl::Click();
}

void TButton::CNCommand(TWMCommand& Message) {
    if (Message.NotifyCode() == BN_CLICKED) Click();
}

void TButton::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_BUTTON | (FActive ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

void TButton::CMDialogKey(TCMDialogKey& Message) {
    const Word Key = Message.CharCode();
    if (((Key == VK_RETURN && FActive) || (Key == VK_ESCAPE && FCancel)) &&
        KeyDataToShiftState(Message.KeyData()).Empty() && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogKey(Message);
}

void TButton::CMDialogChar(TCMDialogChar& Message) {
    if (IsAccel(Message.CharCode(), Caption()) && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogChar(Message);
}

void TButton::CMFocusChanged(TCMFocusChanged& Message) {
    // Enter belongs to the focused button, or to the default one while no button has the focus.
    auto* Focus = dynamic_cast<TButton*>(Message.Sender());
    const bool Active = Focus ? Focus == this : FDefault;
    if (Active != FActive) {
        FActive = Active;
        Invalidate();
    }
    TButtonControl::CMFocusChanged(Message);
}

TRect TButton::DrawButtonFace() {
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    const bool Frame = FActive && Enabled();
    if (Frame) {
        C->Brush()->SetColor(clWindowFrame);
        C->FrameRect(R);
        InflateRect(R, -1, -1);
    }
    TRect Body = R;
    if (Pushed() && Frame) {
        // A default button held down: flat, in its shadow.
        C->Brush()->SetColor(clBtnShadow);
        C->FrameRect(Body);
        InflateRect(Body, -1, -1);
        C->Brush()->SetColor(clBtnFace);
        C->FillRect(Body);
    } else {
        DrawFrameControl(C, Body, DFC_BUTTON, DFCS_BUTTONPUSH | (Pushed() ? DFCS_PUSHED : 0));
    }
    TRect Inside = R;
    InflateRect(Inside, -4, -4);
    if (Pushed()) OffsetRect(Inside, 1, 1);
    return Inside;
}

void TButton::Paint() {
    TRect R = DrawButtonFace();
    DrawCaption(R, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (Focused()) {
        TRect F = ClientRect();
        InflateRect(F, FActive ? -4 : -3, FActive ? -4 : -3);
        Canvas()->DrawFocusRect(F);
    }
}

// ---- TCustomCheckBox ------------------------------------------------------------------------------

namespace {

constexpr int CheckSize = 13;

// The box and caption rectangles of a check box or radio button.
void CheckLayout(const TRect& Client, TAlignment Alignment, TRect& Box, TRect& Text) {
    const int Top = (Client.Height() - CheckSize) / 2;
    if (Alignment == taRightJustify) {
        Box = Bounds(0, Top, CheckSize, CheckSize);
        Text = Rect(CheckSize + 4, 0, Client.Right, Client.Bottom);
    } else {
        Box = Bounds(Client.Right - CheckSize, Top, CheckSize, CheckSize);
        Text = Rect(0, 0, Client.Right - CheckSize - 4, Client.Bottom);
    }
}

} // namespace

// A check box's or radio button's look: the box in the given frame-control state beside the
// caption, and the focus rectangle around the caption.
void TButtonControl::PaintBoxAndCaption(Cardinal State, TAlignment Alignment) {
    TCanvas* C = Canvas();
    const TRect Client = ClientRect();
    C->Brush()->SetColor(Color());
    C->FillRect(Client);
    TRect Box, Text;
    CheckLayout(Client, Alignment, Box, Text);
    if (Pushed()) State |= DFCS_PUSHED;
    if (!Enabled()) State |= DFCS_INACTIVE;
    DrawFrameControl(C, Box, DFC_BUTTON, State);
    const Cardinal Flags = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    DrawCaption(Text, Flags);
    if (Focused() && !Caption().empty()) {
        TRect M = Text;
        DrawCaption(M, Flags | DT_CALCRECT);
        const int Top = Text.Top + (Text.Height() - M.Height()) / 2;
        C->DrawFocusRect(Rect(Text.Left - 1, Top - 1, Text.Left + M.Width() + 1, Top + M.Height() + 1));
    }
}

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
    SetParentColor(true);
}

void TCustomCheckBox::Published(TPublisher<TCustomCheckBox>& P) {
    P.Property(u"Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment)
        .Default(taRightJustify);
    P.Property(u"AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed)
        .Default(false);
    P.Property(u"Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked).Default(false);
    P.Property(u"State", &TCustomCheckBox::State, &TCustomCheckBox::SetState).Default(cbUnchecked);
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
    if (FState == Value) return;
    FState = Value;
    Invalidate();
    if (FClicksDisabled == 0 && !ComponentState().Contains(csLoading)) Click();
}

void TCustomCheckBox::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomCheckBox::Toggle() {
    switch (FState) {
    case cbUnchecked:
        SetState(FAllowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(cbUnchecked);
        break;
    default:
        SetState(cbChecked);
        break;
    }
}

void TCustomCheckBox::CNCommand(TWMCommand& Message) {
    if (Message.NotifyCode() == BN_CLICKED) Toggle();
}

void TCustomCheckBox::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_BUTTON;
}

void TCustomCheckBox::CMDialogChar(TCMDialogChar& Message) {
    if (IsAccel(Message.CharCode(), Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogChar(Message);
}

void TCustomCheckBox::Paint() {
    Cardinal State = DFCS_BUTTONCHECK;
    if (FState != cbUnchecked) State |= DFCS_CHECKED;
    if (FState == cbGrayed) State |= DFCS_BUTTON3STATE;
    PaintBoxAndCaption(State, FAlignment);
}

// ---- TRadioButton ---------------------------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
    SetBounds(0, 0, 113, 17);
    SetParentColor(true);
}

void TRadioButton::Published(TPublisher<TRadioButton>& P) {
    P.Property(u"Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment).Default(taRightJustify);
    P.Property(u"Checked", &TRadioButton::Checked, &TRadioButton::SetChecked).Default(false);
}

void TRadioButton::SetChecked(bool Value) {
    if (FChecked == Value) return;
    FChecked = Value;
    SetTabStop(Value);
    Invalidate();
    if (!Value) return;
    // One checked radio button per parent.
    if (TWinControl* P = Parent()) {
        for (int I = 0; I < P->ControlCount(); ++I)
            if (auto* R = dynamic_cast<TRadioButton*>(P->Controls(I)); R && R != this) R->SetChecked(false);
    }
    if (FClicksDisabled == 0 && !ComponentState().Contains(csLoading)) Click();
}

void TRadioButton::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

void TRadioButton::CNCommand(TWMCommand& Message) {
    if (Message.NotifyCode() == BN_CLICKED) SetChecked(true);
}

void TRadioButton::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_BUTTON | DLGC_RADIOBUTTON;
}

void TRadioButton::CMEnter(TMessage& Message) {
    // Moved onto by the arrow keys: checked, as the dialog keys of the system do.
    if (!FChecked && (GetKeyState(VK_UP) < 0 || GetKeyState(VK_DOWN) < 0 || GetKeyState(VK_LEFT) < 0 ||
                      GetKeyState(VK_RIGHT) < 0))
        SetChecked(true);
    TButtonControl::CMEnter(Message);
}

void TRadioButton::CMDialogChar(TCMDialogChar& Message) {
    if (IsAccel(Message.CharCode(), Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) SetChecked(true);
        Message.Result = 1;
        return;
    }
    TButtonControl::CMDialogChar(Message);
}

void TRadioButton::Paint() {
    PaintBoxAndCaption(FChecked ? DFCS_BUTTONRADIO | DFCS_CHECKED : DFCS_BUTTONRADIO, FAlignment);
}

// ---- TCustomGroupBox ------------------------------------------------------------------------------

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, 185, 105);
    SetParentColor(true);
}

int TCustomGroupBox::CaptionHeight() const {
    return FontLineHeight(Font(), 13);
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
    TCustomControl::AdjustClientRect(Rect);
    Rect.Top += CaptionHeight();
    InflateRect(Rect, -2, -2);
}

void TCustomGroupBox::Paint() {
    TCanvas* C = Canvas();
    const TRect Client = ClientRect();
    C->Brush()->SetColor(Color());
    C->FillRect(Client);
    const int H = CaptionHeight();
    TRect Frame = Rect(0, H / 2, Client.Right, Client.Bottom);
    DrawEdge(C, Frame, EDGE_ETCHED, BF_RECT);
    if (Caption().empty()) return;
    C->Font()->Assign(Font());
    TRect M = Rect(0, 0, 0, 0);
    DrawText(C, Caption(), M, DT_SINGLELINE | DT_CALCRECT);
    TRect T = Bounds(8, 0, M.Width() + 4, H);
    C->Brush()->SetColor(Color());
    C->FillRect(T);
    InflateRect(T, -2, 0);
    C->Brush()->SetStyle(bsClear);
    if (!Enabled()) {
        TRect Shadow = T;
        OffsetRect(Shadow, 1, 1);
        C->Font()->SetColor(clBtnHighlight);
        DrawText(C, Caption(), Shadow, DT_SINGLELINE | DT_LEFT);
        C->Font()->SetColor(clBtnShadow);
    }
    DrawText(C, Caption(), T, DT_SINGLELINE | DT_LEFT);
}

void TCustomGroupBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
            SelectFirst();
            Message.Result = 1;
            return;
        }
        TCustomControl::Dispatch(Message);
        return;
    case CM_FONTCHANGED:
        TCustomControl::Dispatch(Message);
        Realign();
        Invalidate();
        return;
    case CM_TEXTCHANGED:
        TCustomControl::Dispatch(Message);
        Invalidate();
        return;
    default:
        TCustomControl::Dispatch(Message);
    }
}

// ---- TCustomRadioGroup ----------------------------------------------------------------------------

// The radio buttons a radio group makes for its items.
class TGroupButton : public TRadioButton {
    DECLARE_CLASS(TGroupButton, TRadioButton)
public:
    explicit TGroupButton(TComponent* AOwner) : TRadioButton(AOwner) {}

protected:
    void Click() override {
        TRadioButton::Click();
        if (auto* G = dynamic_cast<TCustomRadioGroup*>(Parent())) G->ButtonClick(this);
    }
};

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner)
    : TCustomGroupBox(AOwner), FItems(std::make_unique<TStringList>()) {
    FItems->OnChange = [this](TObject* Sender) { ItemsChange(Sender); };
}

TCustomRadioGroup::~TCustomRadioGroup() {
    FItems->OnChange = nullptr;
}

void TCustomRadioGroup::Published(TPublisher<TCustomRadioGroup>& P) {
    P.Property(u"Columns", &TCustomRadioGroup::Columns, &TCustomRadioGroup::SetColumns).Default(1);
    P.Property(u"ItemIndex", &TCustomRadioGroup::ItemIndex, &TCustomRadioGroup::SetItemIndex).Default(-1);
    P.Property(u"Items", &TCustomRadioGroup::Items, &TCustomRadioGroup::SetItems);
}

TStrings* TCustomRadioGroup::Items() const {
    return FItems.get();
}

void TCustomRadioGroup::SetItems(TStrings* Value) {
    FItems->Assign(Value);
}

TRadioButton* TCustomRadioGroup::Buttons(int Index) const {
    if (Index < 0 || Index >= static_cast<int>(FButtons.size()))
        throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
    return FButtons[static_cast<std::size_t>(Index)];
}

void TCustomRadioGroup::SetColumns(int Value) {
    Value = std::clamp(Value, 1, 16);
    if (FColumns == Value) return;
    FColumns = Value;
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::SetItemIndex(int Value) {
    if (ComponentState().Contains(csLoading)) {
        FItemIndex = Value;
        return;
    }
    Value = std::clamp(Value, -1, static_cast<int>(FButtons.size()) - 1);
    if (FItemIndex == Value) return;
    if (FItemIndex >= 0) FButtons[static_cast<std::size_t>(FItemIndex)]->SetChecked(false);
    FItemIndex = Value;
    // Checking the button tells ButtonClick, which fires OnClick.
    if (FItemIndex >= 0) FButtons[static_cast<std::size_t>(FItemIndex)]->SetChecked(true);
}

void TCustomRadioGroup::ButtonClick(TRadioButton* Button) {
    if (FUpdating) return;
    const auto It = std::find(FButtons.begin(), FButtons.end(), Button);
    if (It == FButtons.end()) return;
    FItemIndex = static_cast<int>(It - FButtons.begin());
    Click();
}

void TCustomRadioGroup::ItemsChange(TObject*) {
    if (ComponentState().Contains(csLoading)) return;
    if (FItemIndex >= FItems->Count()) FItemIndex = FItems->Count() - 1;
    UpdateButtons();
}

void TCustomRadioGroup::UpdateButtons() {
    {
        TFlagScope Updating(FUpdating);
        while (static_cast<int>(FButtons.size()) < FItems->Count()) {
            auto* B = new TGroupButton(nullptr);
            B->SetParent(this);
            FButtons.push_back(B);
        }
        while (static_cast<int>(FButtons.size()) > FItems->Count()) {
            delete FButtons.back();
            FButtons.pop_back();
        }
        for (std::size_t I = 0; I < FButtons.size(); ++I) {
            TRadioButton* B = FButtons[I];
            B->SetCaption(FItems->Strings(static_cast<int>(I)));
            B->SetEnabled(Enabled());
            B->SetChecked(static_cast<int>(I) == FItemIndex);
        }
    }
    ArrangeButtons();
}

void TCustomRadioGroup::ArrangeButtons() {
    if (FButtons.empty()) return;
    const int Count = static_cast<int>(FButtons.size());
    const int PerColumn = (Count + FColumns - 1) / FColumns;
    const int TopMargin = CaptionHeight() + 1;
    const int ButtonWidth = std::max(0, (Width() - 10) / FColumns);
    const int ButtonHeight = std::max(0, (Height() - TopMargin - 5) / PerColumn);
    for (int I = 0; I < Count; ++I)
        FButtons[static_cast<std::size_t>(I)]->SetBounds((I / PerColumn) * ButtonWidth + 8,
                                                         (I % PerColumn) * ButtonHeight + TopMargin,
                                                         ButtonWidth, ButtonHeight);
}

void TCustomRadioGroup::Loaded() {
    TCustomGroupBox::Loaded();
    const int Index = FItemIndex;
    FItemIndex = std::clamp(Index, -1, FItems->Count() - 1);
    UpdateButtons();
}

void TCustomRadioGroup::WMSize(TWMSize& Message) {
    TCustomGroupBox::WMSize(Message);
    ArrangeButtons();
}

void TCustomRadioGroup::CMEnabledChanged(TMessage& Message) {
    TCustomGroupBox::CMEnabledChanged(Message);
    for (TRadioButton* B : FButtons)
        B->SetEnabled(Enabled());
}

void TCustomRadioGroup::CMFontChanged(TMessage& Message) {
    TCustomGroupBox::CMFontChanged(Message);
    ArrangeButtons();
}

// ---- TCustomStaticText ----------------------------------------------------------------------------

TCustomStaticText::TCustomStaticText(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, 65, 17);
    FControlStyle.Include(csOpaque);
    SetAutoSize(true);
}

void TCustomStaticText::Published(TPublisher<TCustomStaticText>& P) {
    using C = TCustomStaticText;
    P.Property(u"Alignment", &C::Alignment, &C::SetAlignment).Default(taLeftJustify);
    P.Property(u"AutoSize", &C::AutoSize, &C::SetAutoSize).Default(true);
    P.Property(u"BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(sbsNone);
    P.Property(u"ShowAccelChar", &C::ShowAccelChar, &C::SetShowAccelChar).Default(true);
}

void TCustomStaticText::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomStaticText::SetBorderStyle(TStaticBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    NonClientChanged();
    AdjustBounds();
    Invalidate();
}

void TCustomStaticText::SetShowAccelChar(bool Value) {
    if (FShowAccelChar == Value) return;
    FShowAccelChar = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomStaticText::SetAutoSize(bool Value) {
    TCustomControl::SetAutoSize(Value);
    AdjustBounds();
}

void TCustomStaticText::AdjustSize() {
    AdjustBounds();
}

void TCustomStaticText::Loaded() {
    TCustomControl::Loaded();
    AdjustBounds();
}

void TCustomStaticText::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == sbsSingle) Params.Style |= WS_BORDER;
}

void TCustomStaticText::CMTextChanged(TMessage& Message) {
    TCustomControl::CMTextChanged(Message);
    AdjustBounds();
    Invalidate();
}

void TCustomStaticText::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    AdjustBounds();
    Invalidate();
}

Cardinal TCustomStaticText::TextFlags() const {
    Cardinal F = DT_EXPANDTABS | DT_WORDBREAK;
    if (FAlignment == taRightJustify) F |= DT_RIGHT;
    if (FAlignment == taCenter) F |= DT_CENTER;
    if (!FShowAccelChar) F |= DT_NOPREFIX;
    return F;
}

void TCustomStaticText::AdjustBounds() {
    if (!AutoSize() || ComponentState().Contains(csLoading)) return;
    TCanvas* C = MeasureCanvas(Font());
    if (!C) return;
    String Text = Caption();
    if (Text.empty()) Text = u" ";
    TRect R = Rect(0, 0, 0, 0);
    DrawText(C, Text, R, (TextFlags() & ~DT_WORDBREAK) | DT_CALCRECT);
    // The frame or the sunken edge comes around the text.
    const int Frame = FBorderStyle == sbsNone ? 0 : 1;
    SetBounds(Left(), Top(), R.Right + 2 * Frame, R.Bottom + 2 * Frame);
}

void TCustomStaticText::Paint() {
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    C->FillRect(R);
    if (FBorderStyle == sbsSunken) DrawEdge(C, R, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    C->Brush()->SetStyle(bsClear);
    C->Font()->Assign(Font());
    if (!Enabled()) C->Font()->SetColor(clGrayText);
    DrawText(C, Caption(), R, TextFlags());
}

// ---- Registration ---------------------------------------------------------------------------------

void RegisterStdCtrlsClasses() {
    for (TClass C :
         {TCustomLabel::StaticClass(),    TLabel::StaticClass(),         TCustomEdit::StaticClass(),
          TEdit::StaticClass(),           TMemoStrings::StaticClass(),   TCustomMemo::StaticClass(),
          TMemo::StaticClass(),           TButtonControl::StaticClass(), TButton::StaticClass(),
          TCustomCheckBox::StaticClass(), TCheckBox::StaticClass(),      TRadioButton::StaticClass(),
          TCustomGroupBox::StaticClass(), TGroupBox::StaticClass(),      TCustomRadioGroup::StaticClass(),
          TRadioGroup::StaticClass(),     TGroupButton::StaticClass(),   TListBoxStrings::StaticClass(),
          TCustomListBox::StaticClass(),  TListBox::StaticClass(),       TCustomComboBox::StaticClass(),
          TComboBox::StaticClass(),       TScrollBar::StaticClass(),     TButtonActionLink::StaticClass(),
          TCustomStaticText::StaticClass(), TStaticText::StaticClass()})
        RegisterClass(C);
    RegisterComboBoxParts();
}
