#include "dataaware/foundation/daSpeedButton.h"

#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daDrawUtils.h"
#include "platform/gui/Messages.h"

// ---- TdaCustomTransparentPanel ---------------------------------------------------------------

TdaCustomTransparentPanel::TdaCustomTransparentPanel(TComponent* AOwner) : TCustomPanel(AOwner) {
    TControlStyle S = ControlStyle();
    S.Exclude(csSetCaption);
    SetControlStyle(S);
    SetBevelOuter(bvRaised);
}

bool TdaCustomTransparentPanel::IsTransparent() const {
    return FTransparent && !ComponentState().Contains(csDesigning);
}

void TdaCustomTransparentPanel::WriteTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    daSetTransparentStyle(this, Value);
    if (HandleAllocated()) {
        const HWND Wnd = WindowHandle();
        const LONG_PTR Ex = GetWindowLong(Wnd, GWL_EXSTYLE);
        SetWindowLong(Wnd, GWL_EXSTYLE, IsTransparent() ? Ex | WS_EX_TRANSPARENT : Ex & ~LONG_PTR(WS_EX_TRANSPARENT));
    }
    if (!ComponentState().Contains(csLoading) && HandleAllocated()) Invalidate();
}

void TdaCustomTransparentPanel::CreateParams(TCreateParams& Params) {
    TCustomPanel::CreateParams(Params);
    if (IsTransparent()) Params.ExStyle |= WS_EX_TRANSPARENT;
}

void TdaCustomTransparentPanel::AlignControls(TControl* AControl, TRect& Rect) {
    TCustomPanel::AlignControls(AControl, Rect);
    if (IsTransparent()) Invalidate();
}

void TdaCustomTransparentPanel::Invalidate() {
    if (IsTransparent() && Parent() && Parent()->HandleAllocated()) {
        const TRect R = BoundsRect();
        InvalidateRect(Parent()->WindowHandle(), &R, true);
        for (int I = 0; I < ControlCount(); ++I)
            Controls(I)->Invalidate();
        TCustomPanel::Invalidate();
        return;
    }
    TCustomPanel::Invalidate();
}

void TdaCustomTransparentPanel::Paint() {
    if (!IsTransparent()) {
        TCustomPanel::Paint();
        return;
    }
    // Only the bevels: the window is see-through, the parent shows everywhere else.
    TRect R = ClientRect();
    auto Bevel = [&](TPanelBevel B) {
        if (B == bvNone) return;
        const TColor Top = B == bvLowered ? clBtnShadow : clBtnHighlight;
        const TColor Bottom = B == bvLowered ? clBtnHighlight : clBtnShadow;
        Frame3D(Canvas(), R, Top, Bottom, BevelWidth());
    };
    Bevel(BevelOuter());
    Frame3D(Canvas(), R, Color(), Color(), BorderWidth());
    Bevel(BevelInner());
}

void TdaCustomTransparentPanel::WMEraseBkgnd(TWMEraseBkgnd& Message) {
    if (IsTransparent()) {
        Message.Result = 1;
        return;
    }
    TCustomPanel::WMEraseBkgnd(Message);
}

void TdaCustomTransparentPanel::WMMove(TWMMove& Message) {
    TCustomPanel::WMMove(Message);
    if (IsTransparent()) Invalidate();
}

// ---- TdaDisabledTextColors -------------------------------------------------------------------

void TdaDisabledTextColors::Published(TPublisher<TdaDisabledTextColors>& P) {
    P.Property(u"ShadeColor", &TdaDisabledTextColors::ShadeColor).As(ColorTypeInfo());
    P.Property(u"HighlightColor", &TdaDisabledTextColors::HighlightColor).As(ColorTypeInfo());
}

void TdaDisabledTextColors::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TdaDisabledTextColors*>(Source)) {
        ShadeColor = S->ShadeColor;
        HighlightColor = S->HighlightColor;
    } else {
        TPersistent::Assign(Source);
    }
}

// ---- TdaSpeedButton --------------------------------------------------------------------------

TdaSpeedButton::TdaSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner), FDisabledTextColors(std::make_unique<TdaDisabledTextColors>()) {
    SetBounds(0, 0, 25, 25);
    TControlStyle S = ControlStyle();
    S.Exclude(csDoubleClicks);
    S.Include(csCaptureMouse);
    SetControlStyle(S);
}

TdaSpeedButton::~TdaSpeedButton() = default;

void TdaSpeedButton::Published(TPublisher<TdaSpeedButton>& P) {
    P.Property(u"ImageIndex", &TdaSpeedButton::ImageIndex, &TdaSpeedButton::SetImageIndex).Default(-1);
    P.Property(u"Margin", &TdaSpeedButton::Margin, &TdaSpeedButton::SetMargin).Default(-1);
    P.Property(u"NumGlyphs", &TdaSpeedButton::NumGlyphs, &TdaSpeedButton::SetNumGlyphs).Default(1);
    P.Property(u"ShowText", &TdaSpeedButton::ShowText, &TdaSpeedButton::SetShowText).Default(false);
    P.Property(u"Spacing", &TdaSpeedButton::Spacing, &TdaSpeedButton::SetSpacing).Default(4);
    P.Property(u"Transparent", &TdaSpeedButton::Transparent, &TdaSpeedButton::SetTransparent).Default(true);
    P.Property(u"DisabledTextColors", &TdaSpeedButton::DisabledTextColors, &TdaSpeedButton::SetDisabledTextColors);
    P.Property(u"Flat", &TdaSpeedButton::Flat, &TdaSpeedButton::SetFlat).Default(false);
}

void TdaSpeedButton::SetFlat(bool Value) {
    if (Value == FFlat) return;
    FFlat = Value;
    Invalidate();
}

void TdaSpeedButton::WriteImageIndex(int Value) {
    if (Value == FImageIndex) return;
    FImageIndex = Value;
    Invalidate();
}

void TdaSpeedButton::SetImageList(TCustomImageList* Value) {
    if (Value == FImageList) return;
    if (FImageList) FImageList->RemoveFreeNotification(this);
    FImageList = Value;
    if (FImageList) FImageList->FreeNotification(this);
    Invalidate();
}

void TdaSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImageList) FImageList = nullptr;
}

void TdaSpeedButton::SetMargin(int Value) {
    if (Value == FMargin) return;
    FMargin = Value;
    Invalidate();
}

void TdaSpeedButton::SetNumGlyphs(int Value) {
    if (Value == FNumGlyphs) return;
    FNumGlyphs = Value;
    Invalidate();
}

void TdaSpeedButton::SetShowText(bool Value) {
    if (Value == FShowText) return;
    FShowText = Value;
    Invalidate();
}

void TdaSpeedButton::SetSpacing(int Value) {
    if (Value == FSpacing) return;
    FSpacing = Value;
    Invalidate();
}

void TdaSpeedButton::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    daSetTransparentStyle(this, Value);
    Invalidate();
}

void TdaSpeedButton::CMMouseEnter(TMessage& Message) {
    TGraphicControl::CMMouseEnter(Message);
    FMouseInControl = true;
    Invalidate();
}

void TdaSpeedButton::CMMouseLeave(TMessage& Message) {
    TGraphicControl::CMMouseLeave(Message);
    FMouseInControl = false;
    Invalidate();
}

void TdaSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    Invalidate();
}

void TdaSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    Invalidate();
}

bool TdaSpeedButton::Pressed() const {
    return ControlState().Contains(csLButtonDown) && FMouseInControl;
}

int TdaSpeedButton::ShownImageIndex() const {
    // The stored index: a descendant may report another one (its own "none") to its users.
    int Index = FImageIndex;
    if (!Enabled() && FNumGlyphs > 1)
        Index += 1;
    else if (Pressed() && FNumGlyphs > 2)
        Index += 2;
    else if (FMouseInControl && FNumGlyphs > 3)
        Index += 3;
    return Index;
}

void TdaSpeedButton::Paint() {
    TCanvas* C = Canvas();
    const bool Down = Pressed();
    const bool Hot = FMouseInControl;
    const bool Designing = ComponentState().Contains(csDesigning);
    const bool Themed = Parent() && daThemesActive(Parent()) && !daIsTransparent(Parent());
    TRect R = ClientRect();
    int PressOffset;
    if (Themed) {
        daDrawThemedButton(Down, Hot, TRect(R.Left + 3, R.Top + 3, R.Right - 3, R.Bottom - 3), C);
        InflateRect(R, -2, -2);
    }
    if (FFlat) {
        if (((Hot && Enabled()) || Designing) && !Themed) {
            TRect E = R;
            DrawEdge(C, E, Down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        }
        PressOffset = 1;
    } else {
        if (!Themed) {
            Cardinal Flags = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
            if (Down) Flags |= DFCS_PUSHED;
            DrawFrameControl(C, R, DFC_BUTTON, Flags);
        }
        PressOffset = 2;
    }
    C->Brush()->SetStyle(bsClear);
    if (FMargin != -1) OffsetRect(R, FMargin, FMargin);
    if (Down) OffsetRect(R, PressOffset, PressOffset);

    TRect ImageRect = R;
    if (FMargin == -1 && FImageList) {
        const int DX = (R.Width() - FImageList->Width()) / 2, DY = (R.Height() - FImageList->Height()) / 2;
        ImageRect = TRect(R.Left + DX, R.Top + DY, R.Right - DX, R.Bottom - DY);
    }
    if (ImageRect.Width() % 2) OffsetRect(ImageRect, 1, 0);
    OffsetRect(ImageRect, 0, 1);

    const String Text = Caption();
    const bool ShowCaption = FShowText && !Text.empty();
    int TextHeight = 0;
    if (ShowCaption) {
        C->Font()->Assign(Font());
        TextHeight = C->TextHeight(Text);
        OffsetRect(ImageRect, 0, -(TextHeight / 2 + FSpacing / 2));
    }
    const bool HasImage = FImageList && FImageIndex != -1;
    if (HasImage) FImageList->Draw(C, ImageRect.Left, ImageRect.Top, ShownImageIndex(), Enabled() || FNumGlyphs > 1);
    if (!ShowCaption) return;
    TRect TextRect = R;
    if (FMargin == -1) {
        const TSize Size = C->TextExtent(Text);
        const int DX = (R.Width() - Size.cx) / 2, DY = (R.Height() - Size.cy) / 2;
        TextRect = TRect(R.Left + DX, R.Top + DY, R.Left + DX + Size.cx, R.Top + DY + Size.cy);
    }
    if (HasImage) OffsetRect(TextRect, 0, TextHeight / 2 + FSpacing / 2);
    const Cardinal Flags = DT_CENTER | DT_SINGLELINE | DT_VCENTER;
    if (Enabled()) {
        DrawText(C, Text, TextRect, Flags);
    } else {
        TRect Shifted = TextRect;
        OffsetRect(Shifted, 1, 1);
        C->Font()->SetColor(FDisabledTextColors->HighlightColor);
        DrawText(C, Text, Shifted, Flags);
        C->Font()->SetColor(FDisabledTextColors->ShadeColor);
        DrawText(C, Text, TextRect, Flags);
    }
}
