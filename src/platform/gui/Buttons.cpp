#include "platform/gui/Buttons.h"

#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"

#include <algorithm>
#include <array>

namespace {

constexpr int GlyphSize = 18;
// The colour around the glyph's picture; the bottom-left pixel makes it transparent.
constexpr TColor GlyphBack = clOlive;

struct TKindInfo {
    const char16_t* Caption;
    TModalResult Result;
};

constexpr std::array<TKindInfo, 11> Kinds{{{u"", mrNone},
                                           {u"OK", mrOk},
                                           {u"Cancel", mrCancel},
                                           {u"&Help", mrNone},
                                           {u"&Yes", mrYes},
                                           {u"&No", mrNo},
                                           {u"&Close", mrNone},
                                           {u"Abort", mrAbort},
                                           {u"&Retry", mrRetry},
                                           {u"&Ignore", mrIgnore},
                                           {u"&All", mrAll}}};

// Draws the picture of a kind with its top-left at (X, Y); Mono draws every part in one colour
// (the disabled look).
void DrawKind(TCanvas* C, TBitBtnKind Kind, int X, int Y, bool Mono, TColor MonoColor) {
    auto Col = [&](TColor Own) { return Mono ? MonoColor : Own; };
    auto Pen = [&](TColor Own, int Width) {
        C->Pen()->SetColor(Col(Own));
        C->Pen()->SetWidth(Width);
        C->Pen()->SetStyle(psSolid);
    };
    auto Fill = [&](TColor Own) {
        C->Brush()->SetColor(Col(Own));
        C->Brush()->SetStyle(bsSolid);
    };
    auto P = [&](int PX, int PY) { return TPoint{X + PX, Y + PY}; };
    auto Check = [&](int DX, int DY) {
        Pen(clGreen, 1);
        Fill(clLime);
        C->Polygon({P(DX + 2, DY + 9), P(DX + 5, DY + 12), P(DX + 13, DY + 4), P(DX + 15, DY + 6),
                    P(DX + 5, DY + 15), P(DX + 1, DY + 11)});
    };
    auto Cross = [&](TColor Color, int Width) {
        Pen(Color, Width);
        C->MoveTo(X + 4, Y + 4);
        C->LineTo(X + 14, Y + 14);
        C->MoveTo(X + 13, Y + 4);
        C->LineTo(X + 3, Y + 14);
    };
    switch (Kind) {
    case bkOK:
    case bkYes:
        Check(0, 0);
        break;
    case bkAll:
        Check(-1, -1);
        Check(2, 2);
        break;
    case bkCancel:
        Cross(clRed, 3);
        break;
    case bkAbort:
        Pen(clMaroon, 1);
        Fill(clRed);
        C->Ellipse(X + 1, Y + 1, X + 17, Y + 17);
        Cross(clWhite, 2);
        break;
    case bkNo:
        Pen(clRed, 2);
        C->Brush()->SetStyle(bsClear);
        C->Ellipse(X + 2, Y + 2, X + 16, Y + 16);
        C->MoveTo(X + 5, Y + 13);
        C->LineTo(X + 13, Y + 5);
        break;
    case bkHelp:
        Pen(clNavy, 2);
        C->Brush()->SetStyle(bsClear);
        C->Arc(X + 5, Y + 2, X + 13, Y + 10, X + 5, Y + 6, X + 10, Y + 10);
        C->MoveTo(X + 9, Y + 10);
        C->LineTo(X + 9, Y + 12);
        Fill(clNavy);
        C->Pen()->SetWidth(1);
        C->Rectangle(X + 8, Y + 14, X + 11, Y + 17);
        break;
    case bkClose:
        Pen(clBlack, 1);
        Fill(TColor(0x2060A0));
        C->Rectangle(X + 4, Y + 1, X + 14, Y + 17);
        Fill(clYellow);
        C->Rectangle(X + 10, Y + 8, X + 12, Y + 10);
        break;
    case bkRetry:
        Pen(clGreen, 2);
        C->Brush()->SetStyle(bsClear);
        C->Arc(X + 3, Y + 3, X + 15, Y + 15, X + 15, Y + 9, X + 9, Y + 3);
        Pen(clGreen, 1);
        Fill(clGreen);
        C->Polygon({P(9, 0), P(13, 3), P(9, 6)});
        break;
    case bkIgnore:
        Pen(clNavy, 1);
        Fill(clBlue);
        C->Polygon({P(2, 7), P(10, 7), P(10, 3), P(16, 9), P(10, 15), P(10, 11), P(2, 11)});
        break;
    default:
        break;
    }
    C->Pen()->SetWidth(1);
}

} // namespace

void GetBitBtnGlyph(TBitBtnKind Kind, TBitmap* Bitmap) {
    if (Kind == bkCustom) {
        Bitmap->Assign(nullptr);
        return;
    }
    Bitmap->SetPixelFormat(pf24bit);
    Bitmap->SetSize(GlyphSize * 2, GlyphSize);
    TCanvas* C = Bitmap->Canvas();
    C->Brush()->SetColor(GlyphBack);
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(Rect(0, 0, GlyphSize * 2, GlyphSize));
    DrawKind(C, Kind, 0, 0, false, clBlack);
    // The disabled picture: embossed in the button's highlight and shadow.
    DrawKind(C, Kind, GlyphSize + 1, 1, true, clBtnHighlight);
    DrawKind(C, Kind, GlyphSize, 0, true, clBtnShadow);
}

// ---- TBitBtn --------------------------------------------------------------------------------------

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(std::make_unique<TBitmap>()) {
    FGlyph->OnChange = [this](TObject* Sender) { GlyphChanged(Sender); };
}

TBitBtn::~TBitBtn() {
    FGlyph->OnChange = nullptr;
}

void TBitBtn::Published(TPublisher<TBitBtn>& P) {
    P.Property(u"Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph);
    P.Property(u"Kind", &TBitBtn::Kind, &TBitBtn::SetKind).Default(bkCustom);
    P.Property(u"Layout", &TBitBtn::Layout, &TBitBtn::SetLayout).Default(blGlyphLeft);
    P.Property(u"Margin", &TBitBtn::Margin, &TBitBtn::SetMargin).Default(-1);
    P.Property(u"NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs).Default(1);
    P.Property(u"Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing).Default(4);
}

void TBitBtn::SetGlyph(TBitmap* Value) {
    FGlyph->Assign(Value);
    GlyphChanged(FGlyph.get());
}

void TBitBtn::GlyphChanged(TObject*) {
    FImages.reset();
    FModifiedGlyph = true;
    // A strip of square pictures tells how many it holds.
    if (!FGlyph->Empty() && FGlyph->Height() > 0 && FGlyph->Width() % FGlyph->Height() == 0) {
        const int N = FGlyph->Width() / FGlyph->Height();
        FNumGlyphs = N >= 1 && N <= 4 ? N : 1;
    }
    Invalidate();
}

TBitBtnKind TBitBtn::Kind() const {
    if (FKind != bkCustom) {
        const bool DefaultKind = FKind == bkOK || FKind == bkYes;
        const bool CancelKind = FKind == bkCancel || FKind == bkNo;
        if (DefaultKind != Default() || CancelKind != Cancel() || ModalResult() != Kinds[FKind].Result ||
            FModifiedGlyph)
            FKind = bkCustom;
    }
    return FKind;
}

void TBitBtn::SetKind(TBitBtnKind Value) {
    if (Value == Kind()) return;
    if (Value != bkCustom) {
        SetDefault(Value == bkOK || Value == bkYes);
        SetCancel(Value == bkCancel || Value == bkNo);
        if (!ComponentState().Contains(csLoading) || Caption().empty()) SetCaption(Kinds[Value].Caption);
        SetModalResult(Kinds[Value].Result);
        GetBitBtnGlyph(Value, FGlyph.get());
        FImages.reset();
        FNumGlyphs = 2;
        FModifiedGlyph = false;
        Invalidate();
    }
    FKind = Value;
}

void TBitBtn::SetLayout(TButtonLayout Value) {
    if (FLayout == Value) return;
    FLayout = Value;
    Invalidate();
}

void TBitBtn::SetNumGlyphs(int Value) {
    Value = std::clamp(Value, 1, 4);
    if (FNumGlyphs == Value) return;
    FNumGlyphs = Value;
    FImages.reset();
    Invalidate();
}

void TBitBtn::SetSpacing(int Value) {
    if (FSpacing == Value) return;
    FSpacing = Value;
    Invalidate();
}

void TBitBtn::SetMargin(int Value) {
    if (FMargin == Value || Value < -1) return;
    FMargin = Value;
    Invalidate();
}

void TBitBtn::Click() {
    if (Kind() == bkClose) {
        if (TCustomForm* Form = GetParentForm(this)) {
            Form->Close();
            return;
        }
    }
    TButton::Click();
}

TImageList* TBitBtn::Images() {
    if (FGlyph->Empty()) return nullptr;
    if (!FImages) {
        const int W = std::max(1, FGlyph->Width() / FNumGlyphs);
        FImages = std::make_unique<TImageList>(W, FGlyph->Height());
        FImages->AddMasked(FGlyph.get(), clDefault);
    }
    return FImages.get();
}

void TBitBtn::Paint() {
    const TRect Client = DrawButtonFace();
    TImageList* List = Images();
    const int GW = List ? List->Width() : 0, GH = List ? List->Height() : 0;
    TRect Text = Rect(0, 0, 0, 0);
    if (!Caption().empty()) DrawCaption(Text, DT_SINGLELINE | DT_CALCRECT);
    const int TW = Text.Width(), TH = Text.Height();
    const bool Horizontal = FLayout == blGlyphLeft || FLayout == blGlyphRight;
    const int Avail = Horizontal ? Client.Width() : Client.Height();
    const int G = Horizontal ? GW : GH, T = Horizontal ? TW : TH;
    int Spacing = (G > 0 && T > 0) ? FSpacing : 0;
    int Margin = FMargin;
    if (Margin == -1) {
        if (Spacing == -1) {
            Spacing = Margin = (Avail - G - T) / 3;
        } else {
            Margin = (Avail - (G + Spacing + T)) / 2;
        }
    } else if (Spacing == -1) {
        Spacing = (Avail - Margin - G - T) / 2;
    }
    TPoint GlyphPos, TextPos;
    switch (FLayout) {
    case blGlyphLeft:
        GlyphPos = {Client.Left + Margin, Client.Top + (Client.Height() - GH) / 2};
        TextPos = {GlyphPos.X + GW + Spacing, Client.Top + (Client.Height() - TH) / 2};
        break;
    case blGlyphRight:
        GlyphPos = {Client.Right - Margin - GW, Client.Top + (Client.Height() - GH) / 2};
        TextPos = {GlyphPos.X - Spacing - TW, Client.Top + (Client.Height() - TH) / 2};
        break;
    case blGlyphTop:
        GlyphPos = {Client.Left + (Client.Width() - GW) / 2, Client.Top + Margin};
        TextPos = {Client.Left + (Client.Width() - TW) / 2, GlyphPos.Y + GH + Spacing};
        break;
    default:
        GlyphPos = {Client.Left + (Client.Width() - GW) / 2, Client.Bottom - Margin - GH};
        TextPos = {Client.Left + (Client.Width() - TW) / 2, GlyphPos.Y - Spacing - TH};
        break;
    }
    if (List) {
        int Index = 0;
        bool DrawEnabled = true;
        if (!Enabled()) {
            if (FNumGlyphs >= 2)
                Index = 1;
            else
                DrawEnabled = false;
        } else if (Pushed() && FNumGlyphs >= 3) {
            Index = 2;
        }
        List->Draw(Canvas(), GlyphPos.X, GlyphPos.Y, Index, DrawEnabled);
    }
    if (T > 0) {
        TRect R = Bounds(TextPos.X, TextPos.Y, TW, TH);
        DrawCaption(R, DT_SINGLELINE | DT_LEFT | DT_TOP);
    }
    if (Focused()) {
        TRect F = ClientRect();
        InflateRect(F, Active() ? -4 : -3, Active() ? -4 : -3);
        Canvas()->DrawFocusRect(F);
    }
}

// ---- TSpeedButton ---------------------------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
    SetBounds(0, 0, 23, 22);
    // The button clicks itself on the release (no click events of the control).
    SetControlStyle(TControlStyle{csCaptureMouse, csDoubleClicks});
    FGlyph->OnChange = [this](TObject* Sender) { GlyphChanged(Sender); };
}

TSpeedButton::~TSpeedButton() {
    FGlyph->OnChange = nullptr;
}

void TSpeedButton::Published(TPublisher<TSpeedButton>& P) {
    P.Property(u"AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false);
    P.Property(u"GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
    P.Property(u"Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(false);
    P.Property(u"Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(false);
    P.Property(u"Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph);
    P.Property(u"NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1);
}

void TSpeedButton::SetGlyph(TBitmap* Value) {
    FGlyph->Assign(Value);
    GlyphChanged(FGlyph.get());
}

void TSpeedButton::GlyphChanged(TObject*) {
    FImages.reset();
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(int Value) {
    Value = std::clamp(Value, 1, 4);
    if (Value == FNumGlyphs) return;
    FNumGlyphs = Value;
    GlyphChanged(nullptr);
}

void TSpeedButton::SetFlat(bool Value) {
    if (Value == FFlat) return;
    FFlat = Value;
    Invalidate();
}

void TSpeedButton::SetDown(bool Value) {
    if (FGroupIndex == 0) Value = false;
    if (Value == FDown) return;
    if (FDown && !Value && !FAllowAllUp) return;
    FDown = Value;
    FState = Value ? bsExclusive : bsUp;
    if (Value) UpdateExclusive();
    Invalidate();
}

void TSpeedButton::SetGroupIndex(int Value) {
    if (Value == FGroupIndex) return;
    FGroupIndex = Value;
    if (FGroupIndex == 0 && FDown) {
        FDown = false;
        FState = bsUp;
        Invalidate();
    }
    UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool Value) {
    FAllowAllUp = Value;
    // The group shares the choice.
    if (!Parent() || FGroupIndex == 0) return;
    for (int I = 0; I < Parent()->ControlCount(); ++I)
        if (auto* B = dynamic_cast<TSpeedButton*>(Parent()->Controls(I)); B && B != this && B->FGroupIndex == FGroupIndex)
            B->FAllowAllUp = Value;
}

void TSpeedButton::UpdateExclusive() {
    if (!Parent() || FGroupIndex == 0 || !FDown) return;
    for (int I = 0; I < Parent()->ControlCount(); ++I)
        if (auto* B = dynamic_cast<TSpeedButton*>(Parent()->Controls(I));
            B && B != this && B->FGroupIndex == FGroupIndex && B->FDown) {
            B->FDown = false;
            B->FState = bsUp;
            B->Invalidate();
        }
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled()) return;
    if (!FDown) {
        FState = bsDown;
        Invalidate();
    }
    FDragging = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!FDragging) return;
    const bool Inside = PtInRect(ClientRect(), TPoint{X, Y});
    const TButtonState New = !Inside ? (FDown ? bsExclusive : bsUp) : (FDown ? bsExclusive : bsDown);
    if (New != FState) {
        FState = New;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !FDragging) return;
    FDragging = false;
    const bool Inside = PtInRect(ClientRect(), TPoint{X, Y});
    if (FGroupIndex == 0) {
        FState = bsUp;
        Invalidate();
    } else if (Inside) {
        SetDown(!FDown);
        FState = FDown ? bsExclusive : bsUp;
        Invalidate();
    } else {
        FState = FDown ? bsExclusive : bsUp;
        Invalidate();
    }
    if (Inside) Click();
}

void TSpeedButton::CMMouseEnter(TMessage& Message) {
    TGraphicControl::CMMouseEnter(Message);
    FMouseInControl = true;
    if (FFlat && Enabled()) Invalidate();
}

void TSpeedButton::CMMouseLeave(TMessage& Message) {
    TGraphicControl::CMMouseLeave(Message);
    FMouseInControl = false;
    if (FFlat && Enabled()) Invalidate();
}

void TSpeedButton::Paint() {
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    const bool Pressed = FState == bsDown || FState == bsExclusive;
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(R);
    if (!FFlat) {
        TRect E = R;
        DrawEdge(C, E, Pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    } else if (Pressed || (FMouseInControl && Enabled())) {
        TRect E = R;
        DrawEdge(C, E, Pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    const int Shift = Pressed ? 1 : 0;
    int GW = 0, GH = 0;
    if (!FGlyph->Empty()) {
        if (!FImages) {
            FImages = std::make_unique<TImageList>(std::max(1, FGlyph->Width() / FNumGlyphs), FGlyph->Height());
            FImages->AddMasked(FGlyph.get(), clDefault);
        }
        GW = FImages->Width();
        GH = FImages->Height();
    }
    C->Font()->Assign(Font());
    const String Text = Caption();
    const int TW = Text.empty() ? 0 : C->TextWidth(Text), TH = Text.empty() ? 0 : C->TextHeight(Text);
    const int Gap = GW > 0 && TW > 0 ? 4 : 0;
    int X = (R.Width() - GW - Gap - TW) / 2 + Shift;
    if (GW > 0) {
        int Index = 0;
        bool DrawEnabled = true;
        if (!Enabled()) {
            if (FNumGlyphs >= 2) Index = 1;
            else DrawEnabled = false;
        } else if (FState == bsDown && FNumGlyphs >= 3) {
            Index = 2;
        } else if (FState == bsExclusive && FNumGlyphs >= 4) {
            Index = 3;
        }
        FImages->Draw(C, X, (R.Height() - GH) / 2 + Shift, Index, DrawEnabled);
        X += GW + Gap;
    }
    if (TW > 0) {
        C->Brush()->SetStyle(bsClear);
        if (!Enabled()) C->Font()->SetColor(clGrayText);
        C->TextOut(X, (R.Height() - TH) / 2 + Shift, Text);
    }
}

void RegisterButtonsClasses() {
    RegisterClass(TBitBtn::StaticClass());
    RegisterClass(TSpeedButton::StaticClass());
}
