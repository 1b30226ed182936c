#include "dataaware/foundation/daComboButton.h"

#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daDrawUtils.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <algorithm>

// ---- Glyph lists and cache -------------------------------------------------------------------

TGlyphList::TGlyphList(int AWidth, int AHeight) : TImageList(nullptr) {
    SetSize(AWidth, AHeight);
}

int TGlyphList::AddMasked(TBitmap* Image, TColor MaskColor) {
    auto Free = std::find(Used.begin(), Used.end(), false);
    int Index;
    if (Free == Used.end()) {
        TBitmap Blank(Width(), Height());
        Index = TImageList::AddMasked(&Blank, clNone);
        Used.resize(Index + 1, false);
    } else {
        Index = int(Free - Used.begin());
    }
    ReplaceMasked(Index, Image, MaskColor);
    Used[Index] = true;
    ++FCount;
    return Index;
}

void TGlyphList::Delete(int Index) {
    if (Index < 0 || Index >= int(Used.size()) || !Used[Index]) return;
    Used[Index] = false;
    --FCount;
}

TGlyphCache::~TGlyphCache() {
    for (TGlyphList* L : GlyphLists)
        delete L;
}

TGlyphList* TGlyphCache::GetList(int AWidth, int AHeight) {
    for (auto It = GlyphLists.rbegin(); It != GlyphLists.rend(); ++It)
        if ((*It)->Width() == AWidth && (*It)->Height() == AHeight) return *It;
    GlyphLists.push_back(new TGlyphList(AWidth, AHeight));
    return GlyphLists.back();
}

void TGlyphCache::ReturnList(TGlyphList* List) {
    if (!List || List->UsedCount() != 0) return;
    auto It = std::find(GlyphLists.begin(), GlyphLists.end(), List);
    if (It == GlyphLists.end()) return;
    GlyphLists.erase(It);
    delete List;
}

namespace {

// The one cache, made with the first glyph object and freed with the last once it is empty.
TGlyphCache* GlyphCache = nullptr;
int GlyphObjects = 0;
int LivingButtons = 0;

TColor SolidOf(TColor C) { return TColor(ColorToRGB(C)); }

// Copies part Index of a strip of NumGlyphs images into Part.
void CopyPart(TBitmap* Strip, int Index, int W, int H, TBitmap& Part) {
    Part.SetSize(W, H);
    Part.Canvas()->CopyRect(TRect(0, 0, W, H), Strip->Canvas(), TRect(Index * W, 0, Index * W + W, H));
}

} // namespace

// ---- TdaComboButtonGlyph ---------------------------------------------------------------------

TdaComboButtonGlyph::TdaComboButtonGlyph(TdaComboButton* AComboButton)
    : FComboButton(AComboButton), FOriginal(std::make_unique<TBitmap>()) {
    FOriginal->OnChange = [this](TObject* S) { GlyphChanged(S); };
    if (!GlyphCache) GlyphCache = new TGlyphCache;
    ++GlyphObjects;
}

TdaComboButtonGlyph::~TdaComboButtonGlyph() {
    FOriginal->OnChange = nullptr;
    Invalidate();
    if (--GlyphObjects == 0 && GlyphCache && GlyphCache->Empty()) {
        delete GlyphCache;
        GlyphCache = nullptr;
    }
}

void TdaComboButtonGlyph::Invalidate() {
    for (int& I : FIndexs) {
        if (I != -1 && FGlyphList) FGlyphList->Delete(I);
        I = -1;
    }
    if (FGlyphList && GlyphCache) GlyphCache->ReturnList(FGlyphList);
    FGlyphList = nullptr;
}

void TdaComboButtonGlyph::GlyphChanged(TObject*) {
    Invalidate();
    if (OnChange) OnChange(FComboButton);
}

void TdaComboButtonGlyph::SetGlyph(TBitmap* Value) {
    Invalidate();
    FOriginal->OnChange = nullptr;
    FOriginal->Assign(Value);
    FOriginal->OnChange = [this](TObject* S) { GlyphChanged(S); };
    // A strip of square images tells how many it holds.
    if (Value && !FOriginal->Empty() && FOriginal->Height() > 0 && FOriginal->Width() % FOriginal->Height() == 0) {
        const int N = FOriginal->Width() / FOriginal->Height();
        FNumGlyphs = N <= 4 ? N : 1;
    }
    if (OnChange) OnChange(FComboButton);
}

void TdaComboButtonGlyph::SetNumGlyphs(int Value) {
    Value = std::clamp(Value, 1, 4);
    if (Value == FNumGlyphs) return;
    Invalidate();
    FNumGlyphs = Value;
    if (OnChange) OnChange(FComboButton);
}

int TdaComboButtonGlyph::CreateButtonGlyph(TButtonState State) {
    if (State == bsDown && FNumGlyphs < 3) State = bsUp;
    if (FIndexs[State] != -1) return FIndexs[State];
    if (FOriginal->Empty() || FOriginal->Width() == 0 || FOriginal->Height() == 0) return -1;
    const int W = FOriginal->Width() / FNumGlyphs, H = FOriginal->Height();
    if (W <= 0) return -1;
    if (!FGlyphList) {
        if (!GlyphCache) GlyphCache = new TGlyphCache;
        FGlyphList = GlyphCache->GetList(W, H);
    }
    const int Part = int(State) < FNumGlyphs ? int(State) : 0;
    TBitmap Image(W, H);
    const TColor AutoColor = FOriginal->TransparentColor();
    if (State != bsDisabled) {
        CopyPart(FOriginal.get(), Part, W, H, Image);
        const TColor Mask = FOriginal->TransparentMode() == tmFixed ? TransparentColor : AutoColor;
        FIndexs[State] = FGlyphList->AddMasked(&Image, Mask);
    } else if (FNumGlyphs > 1) {
        // The glyph's own disabled image, recoloured to the system's button colours.
        CopyPart(FOriginal.get(), Part, W, H, Image);
        const TColor Key = SolidOf(Image.Canvas()->Pixels(0, H - 1));
        for (int Y = 0; Y < H; ++Y)
            for (int X = 0; X < W; ++X) {
                const TColor C = SolidOf(Image.Canvas()->Pixels(X, Y));
                if (C == clWhite)
                    Image.Canvas()->SetPixels(X, Y, clBtnHighlight);
                else if (C == clGray)
                    Image.Canvas()->SetPixels(X, Y, clBtnShadow);
                else if (C == Key)
                    Image.Canvas()->SetPixels(X, Y, clBtnFace);
            }
        FIndexs[State] = FGlyphList->AddMasked(&Image, SolidOf(clBtnFace));
    } else {
        // Embossed: the glyph's shape once in the highlight colour offset by (1, 1), once in
        // the shadow colour in place, on the button face.
        TBitmap Source;
        CopyPart(FOriginal.get(), 0, W, H, Source);
        const TColor Key = SolidOf(Source.Canvas()->Pixels(0, H - 1));
        Image.Canvas()->Brush()->SetColor(clBtnFace);
        Image.Canvas()->FillRect(TRect(0, 0, W, H));
        for (int Pass = 0; Pass < 2; ++Pass) {
            const int D = Pass == 0 ? 1 : 0;
            const TColor Paint = Pass == 0 ? clBtnHighlight : clBtnShadow;
            for (int Y = 0; Y < H; ++Y)
                for (int X = 0; X < W; ++X) {
                    const TColor C = SolidOf(Source.Canvas()->Pixels(X, Y));
                    // Monochrome: light pixels and the key are background, the rest is shape.
                    const bool Shape = C != Key && (GetRValue(C) + GetGValue(C) + GetBValue(C)) < 3 * 192;
                    if (Shape && X + D < W && Y + D < H) Image.Canvas()->SetPixels(X + D, Y + D, Paint);
                }
        }
        FIndexs[State] = FGlyphList->AddMasked(&Image, SolidOf(clBtnFace));
    }
    return FIndexs[State];
}

void TdaComboButtonGlyph::DrawButtonGlyph(TCanvas* Canvas, const TPoint& GlyphPos, TButtonState State,
                                          bool Transparent) {
    if (FOriginal->Empty()) return;
    const int Index = CreateButtonGlyph(State);
    if (Index < 0) return;
    if (daThemesActive(FComboButton)) {
        FGlyphList->Draw(Canvas, GlyphPos.X, GlyphPos.Y, Index, State != bsDisabled);
        return;
    }
    if (Transparent || State == bsExclusive) {
        FGlyphList->Draw(Canvas, GlyphPos.X, GlyphPos.Y, Index, dsTransparent, itImage);
    } else {
        const TColor Old = FGlyphList->BkColor();
        FGlyphList->SetBkColor(SolidOf(clBtnFace));
        FGlyphList->Draw(Canvas, GlyphPos.X, GlyphPos.Y, Index, dsNormal, itImage);
        FGlyphList->SetBkColor(Old);
    }
}

void TdaComboButtonGlyph::DrawButtonText(TCanvas* Canvas, const String& Caption, TRect TextBounds,
                                         TButtonState State, Cardinal BiDiFlags) {
    if (Caption.empty()) return;
    Canvas->Brush()->SetStyle(bsClear);
    const Cardinal Flags = BiDiFlags | DT_CENTER | DT_VCENTER;
    if (State == bsDisabled) {
        TRect R = TextBounds;
        OffsetRect(R, 1, 1);
        Canvas->Font()->SetColor(clBtnHighlight);
        DrawText(Canvas, Caption, R, Flags);
        R = TextBounds;
        Canvas->Font()->SetColor(clBtnShadow);
        DrawText(Canvas, Caption, R, Flags);
    } else {
        DrawText(Canvas, Caption, TextBounds, Flags);
    }
}

void TdaComboButtonGlyph::CalcButtonLayout(TCanvas* Canvas, const TRect& Client, const TPoint& Offset,
                                           const String& Caption, TButtonLayout Layout, int Margin, int Spacing,
                                           TPoint& GlyphPos, TRect& TextBounds, Cardinal BiDiFlags) {
    if (BiDiFlags & DT_RIGHT) {
        if (Layout == blGlyphLeft)
            Layout = blGlyphRight;
        else if (Layout == blGlyphRight)
            Layout = blGlyphLeft;
    }
    const TPoint ClientSize{Client.Width(), Client.Height()};
    TPoint GlyphSize{0, 0};
    if (!FOriginal->Empty()) GlyphSize = {FOriginal->Width() / FNumGlyphs, FOriginal->Height()};
    TPoint TextSize{0, 0};
    if (!Caption.empty()) {
        TextBounds = TRect(0, 0, Client.Width(), 0);
        DrawText(Canvas, Caption, TextBounds, DT_CALCRECT | BiDiFlags | DT_WORDBREAK);
        TextSize = {TextBounds.Width(), TextBounds.Height()};
    } else {
        TextBounds = TRect();
    }
    const bool Horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
    if (Horizontal) {
        GlyphPos.Y = (ClientSize.Y - GlyphSize.Y + 1) / 2;
        TextBounds.Top = (ClientSize.Y - TextSize.Y + 1) / 2;
    } else {
        GlyphPos.X = (ClientSize.X - GlyphSize.X + 1) / 2;
        TextBounds.Left = (ClientSize.X - TextSize.X + 1) / 2;
    }
    if (TextSize.X == 0 || GlyphSize.X == 0) Spacing = 0;
    const int Extent = Horizontal ? ClientSize.X : ClientSize.Y;
    const int G = Horizontal ? GlyphSize.X : GlyphSize.Y;
    const int T = Horizontal ? TextSize.X : TextSize.Y;
    if (Margin == -1) {
        if (Spacing == -1) {
            Margin = (Extent - G - T) / 3;
            Spacing = Margin;
        } else {
            Margin = (Extent - G - Spacing - T + 1) / 2;
        }
    } else if (Spacing == -1) {
        Spacing = (Extent - Margin - G - T) / 2;
    }
    switch (Layout) {
    case blGlyphLeft:
        GlyphPos.X = Margin;
        TextBounds.Left = GlyphPos.X + GlyphSize.X + Spacing;
        break;
    case blGlyphRight:
        GlyphPos.X = ClientSize.X - Margin - GlyphSize.X;
        TextBounds.Left = GlyphPos.X - Spacing - TextSize.X;
        break;
    case blGlyphTop:
        GlyphPos.Y = Margin;
        TextBounds.Top = GlyphPos.Y + GlyphSize.Y + Spacing;
        break;
    case blGlyphBottom:
        GlyphPos.Y = ClientSize.Y - Margin - GlyphSize.Y;
        TextBounds.Top = GlyphPos.Y - Spacing - TextSize.Y;
        break;
    }
    TextBounds.Right = TextBounds.Left + TextSize.X;
    TextBounds.Bottom = TextBounds.Top + TextSize.Y;
    GlyphPos.X += Client.Left + Offset.X;
    GlyphPos.Y += Client.Top + Offset.Y;
    const bool Themed = daThemesActive(FComboButton);
    OffsetRect(TextBounds, Client.Left + (Themed ? 0 : Offset.X), Client.Top + (Themed ? 0 : Offset.Y));
}

TRect TdaComboButtonGlyph::Draw(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, const String& Caption,
                                TButtonLayout Layout, int Margin, int Spacing, TButtonState State, bool Transparent,
                                Cardinal BiDiFlags) {
    TPoint GlyphPos;
    TRect TextBounds;
    CalcButtonLayout(Canvas, Client, Offset, Caption, Layout, Margin, Spacing, GlyphPos, TextBounds, BiDiFlags);
    DrawButtonGlyph(Canvas, GlyphPos, State, Transparent);
    DrawButtonText(Canvas, Caption, TextBounds, State, BiDiFlags);
    return TextBounds;
}

// ---- TdaComboButton --------------------------------------------------------------------------

TdaComboButton::TdaComboButton(TComponent* AOwner)
    : TGraphicControl(AOwner), FGlyph(std::make_unique<TdaComboButtonGlyph>(this)) {
    FGlyph->OnChange = [this](TObject*) { Invalidate(); };
    SetBounds(0, 0, 22, 23);
    SetControlStyle(TControlStyle{csCaptureMouse, csDoubleClicks});
    SetParentFont(true);
    SetColor(clBtnFace);
    ++LivingButtons;
}

TdaComboButton::~TdaComboButton() {
    --LivingButtons;
}

int TdaComboButton::LivingCount() {
    return LivingButtons;
}

void TdaComboButton::Published(TPublisher<TdaComboButton>& P) {
    P.Property(u"AllowAllUp", &TdaComboButton::AllowAllUp, &TdaComboButton::SetAllowAllUp).Default(false);
    P.Property(u"GroupIndex", &TdaComboButton::GroupIndex, &TdaComboButton::SetGroupIndex).Default(0);
    P.Property(u"Down", &TdaComboButton::Down, &TdaComboButton::SetDown).Default(false);
    P.Property(u"Flat", &TdaComboButton::Flat, &TdaComboButton::SetFlat).Default(false);
    P.Property(u"Glyph", &TdaComboButton::Glyph, &TdaComboButton::SetGlyph);
    P.Property(u"Layout", &TdaComboButton::Layout, &TdaComboButton::SetLayout).Default(blGlyphLeft);
    P.Property(u"Margin", &TdaComboButton::Margin, &TdaComboButton::SetMargin).Default(-1);
    P.Property(u"NumGlyphs", &TdaComboButton::NumGlyphs, &TdaComboButton::SetNumGlyphs).Default(1);
    P.Property(u"Spacing", &TdaComboButton::Spacing, &TdaComboButton::SetSpacing).Default(4);
    P.Property(u"Transparent", &TdaComboButton::Transparent, &TdaComboButton::SetTransparent).Default(true);
}

void TdaComboButton::SetGlyph(TBitmap* Value) {
    FGlyph->SetGlyph(Value);
    Invalidate();
}

void TdaComboButton::SetNumGlyphs(int Value) {
    if (Value > 4) Value = 4;
    if (Value == FGlyph->NumGlyphs()) return;
    FGlyph->SetNumGlyphs(Value);
    Invalidate();
}

void TdaComboButton::SetFlat(bool Value) {
    if (Value == FFlat) return;
    FFlat = Value;
    Invalidate();
}

void TdaComboButton::SetLayout(TButtonLayout Value) {
    if (Value == FLayout) return;
    FLayout = Value;
    Invalidate();
}

void TdaComboButton::SetSpacing(int Value) {
    if (Value == FSpacing) return;
    FSpacing = Value;
    Invalidate();
}

void TdaComboButton::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    daSetTransparentStyle(this, Value);
    Invalidate();
}

void TdaComboButton::SetMargin(int Value) {
    if (Value == FMargin || Value < -1) return;
    FMargin = Value;
    Invalidate();
}

void TdaComboButton::SetEllipsis(bool Value) {
    if (Value == FEllipsis) return;
    FEllipsis = Value;
    Invalidate();
}

void TdaComboButton::SetGroupIndex(int Value) {
    if (Value == FGroupIndex) return;
    FGroupIndex = Value;
    UpdateExclusive();
}

void TdaComboButton::SetAllowAllUp(bool Value) {
    if (Value == FAllowAllUp) return;
    FAllowAllUp = Value;
    UpdateExclusive();
}

void TdaComboButton::SetDown(bool Value) {
    if (FGroupIndex == 0) Value = false;
    if (Value == FDown) return;
    if (FDown && !FAllowAllUp) return;
    FDown = Value;
    if (Value) {
        if (FState == bsUp) Invalidate();
        FState = bsExclusive;
    } else {
        FState = bsUp;
        Repaint();
    }
    if (Value) UpdateExclusive();
}

void TdaComboButton::UpdateExclusive() {
    if (FGroupIndex == 0 || !Parent()) return;
    TMessage M{};
    M.Msg = CM_BUTTONPRESSED;
    M.WParam = WPARAM(FGroupIndex);
    M.LParam = LPARAM(this);
    Parent()->Broadcast(M);
}

void TdaComboButton::ButtonPressed(int Group, TdaComboButton* Sender) {
    if (Group != FGroupIndex || Sender == this) return;
    if (Sender->Down() && FDown) {
        FDown = false;
        FState = bsUp;
        Invalidate();
    }
    FAllowAllUp = Sender->AllowAllUp();
}

void TdaComboButton::Click() {
    TGraphicControl::Click();
}

void TdaComboButton::Loaded() {
    TGraphicControl::Loaded();
    FGlyph->CreateButtonGlyph(Enabled() ? bsUp : bsDisabled);
}

void TdaComboButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && Enabled()) {
        if (!FDown) {
            FState = bsDown;
            Invalidate();
        }
        FDragging = true;
    }
}

void TdaComboButton::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (FDragging) {
        const bool Inside = X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight();
        TButtonState New = Inside ? (FDown ? bsExclusive : bsDown) : (FDown ? bsExclusive : bsUp);
        if (New != FState) {
            FState = New;
            Invalidate();
        }
    } else if (!FMouseInControl) {
        UpdateTracking();
    }
}

void TdaComboButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!FDragging) return;
    FDragging = false;
    const bool Inside = X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight();
    if (FGroupIndex == 0) {
        FState = bsUp;
        FMouseInControl = false;
        if (Inside) Invalidate();
    } else if (Inside) {
        SetDown(!FDown);
        if (FDown) Repaint();
    } else {
        if (FDown) FState = bsExclusive;
        Repaint();
    }
    if (Inside) Click();
    UpdateTracking();
}

void TdaComboButton::UpdateTracking() {
    if (!FFlat || !Enabled()) return;
    TPoint P;
    GetCursorPos(P);
    const bool Over = FindDragTarget(P, true) == this;
    if (Over != FMouseInControl) Perform(Over ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, LPARAM(this));
}

void TdaComboButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_BUTTONPRESSED:
        ButtonPressed(int(Message.WParam), reinterpret_cast<TdaComboButton*>(Message.LParam));
        return;
    case CM_DIALOGCHAR: {
        auto& K = static_cast<TCMDialogChar&>(Message);
        if (IsAccel(K.CharCode(), Caption()) && Enabled() && Visible() && Parent() && Parent()->Showing()) {
            Click();
            Message.Result = 1;
        }
        return;
    }
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
        Invalidate();
        break;
    case CM_SYSCOLORCHANGE:
        FGlyph->Invalidate();
        FGlyph->CreateButtonGlyph(FState);
        break;
    case WM_LBUTTONDBLCLK:
        TGraphicControl::Dispatch(Message);
        if (FDown) DblClick();
        return;
    default:
        break;
    }
    TGraphicControl::Dispatch(Message);
}

void TdaComboButton::CMEnabledChanged(TMessage& Message) {
    TGraphicControl::CMEnabledChanged(Message);
    FGlyph->CreateButtonGlyph(Enabled() ? bsUp : bsDisabled);
    UpdateTracking();
    Repaint();
}

void TdaComboButton::CMMouseEnter(TMessage& Message) {
    TGraphicControl::CMMouseEnter(Message);
    if (ComponentState().Contains(csDesigning)) return;
    const bool Themed = daThemesActive(this);
    if ((FFlat && !FMouseInControl && Enabled() && DragMode() != dmAutomatic && GetCapture() == 0) || Themed) {
        FMouseInControl = true;
        if (Enabled()) Repaint();
    }
}

void TdaComboButton::CMMouseLeave(TMessage& Message) {
    TGraphicControl::CMMouseLeave(Message);
    if ((FFlat && FMouseInControl && Enabled() && !FDragging) || daThemesActive(this)) {
        FMouseInControl = false;
        Invalidate();
    }
}

void TdaComboButton::UpdateStateForPaint() {
    if (!Enabled()) {
        FState = bsDisabled;
        FDragging = false;
    } else if (FState == bsDisabled) {
        FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
    }
}

void TdaComboButton::PaintClassic() {
    TCanvas* C = Canvas();
    C->Font()->Assign(Font());
    TRect R = ClientRect();
    const bool Pressed = FState == bsDown || FState == bsExclusive;
    const bool Designing = ComponentState().Contains(csDesigning);
    if (FFlat) {
        if (Pressed || (FMouseInControl && FState != bsDisabled) || Designing) {
            TRect E = R;
            Cardinal Edge = Pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER;
            DrawEdge(C, E, Edge, BF_RECT | (FTransparent ? 0 : BF_MIDDLE));
        } else if (!FTransparent) {
            C->Brush()->SetColor(Color());
            C->Brush()->SetStyle(bsSolid);
            C->FillRect(R);
        }
        InflateRect(R, -1, -1);
    } else {
        Cardinal Flags = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
        if (Pressed) Flags |= DFCS_PUSHED;
        DrawFrameControl(C, R, DFC_BUTTON, Flags);
    }
    TPoint Offset{0, 0};
    if (Pressed) {
        if (FState == bsExclusive && (!FFlat || !FMouseInControl)) {
            // The checked pattern of a button held down in its group.
            for (int Y = R.Top; Y < R.Bottom; ++Y)
                for (int X = R.Left; X < R.Right; ++X)
                    C->SetPixels(X, Y, ((X + Y) & 1) ? clBtnHighlight : clBtnFace);
        }
        Offset = {1, 1};
    }
    FGlyph->Draw(C, R, Offset, Caption(), FLayout, FMargin, FSpacing, FState, FTransparent, 0);
}

void TdaComboButton::Paint() {
    UpdateStateForPaint();
    if (!daThemesActive(this)) {
        PaintClassic();
        return;
    }
    TCanvas* C = Canvas();
    const TRect Client = ClientRect();
    const bool Pressed = FState == bsDown || FState == bsExclusive;
    const bool HasGlyph = !Glyph()->Empty();
    if (OwnerThemed() && Parent()) {
        C->Brush()->SetColor(Parent()->Color());
        C->Brush()->SetStyle(bsSolid);
        C->FillRect(Client);
    }
    if (FEllipsis || HasGlyph) {
        TRect R = Client;
        InflateRect(R, -3, -3);
        daDrawThemedButton(Pressed, FMouseInControl || (OwnerThemed() && OwnerHot()), R, C);
        if (!HasGlyph) {
            const int W = Client.Width(), H = Client.Height();
            const int S = W >= 8 ? W / 8 : 1;
            const int X = Client.Left + (W >> 1) - 1, Y = Client.Top + (H >> 1) - 1;
            C->Brush()->SetColor(clBlack);
            C->Brush()->SetStyle(bsSolid);
            for (int Dot = -1; Dot <= 1; ++Dot)
                C->FillRect(TRect(X + Dot * 2 * S, Y, X + Dot * 2 * S + S, Y + S));
            return;
        }
    }
    if (!FEllipsis || HasGlyph) {
        if (!(FEllipsis && HasGlyph)) {
            TRect R = Client;
            Cardinal Flags = DFCS_SCROLLCOMBOBOX;
            if (FState == bsDisabled)
                Flags |= DFCS_INACTIVE;
            else if (Pressed || (OwnerThemed() && OwnerDroppedDown()))
                Flags |= DFCS_PUSHED | DFCS_FLAT;
            else if (FMouseInControl || (OwnerThemed() && OwnerHot()))
                Flags |= DFCS_HOT;
            if (!HasGlyph) DrawFrameControl(C, R, DFC_SCROLL, Flags);
        }
        if (HasGlyph) {
            TRect R = Client;
            InflateRect(R, -2, -2);
            FGlyph->Draw(C, R, TPoint{0, 0}, Caption(), FLayout, FMargin, FSpacing, FState, true, 0);
        }
    }
}

// ---- TdaSpinControlButton --------------------------------------------------------------------

void TdaSpinControlButton::SetScrollDirection(TdaSpinButtonDirection Value) {
    if (Value == FScrollDirection) return;
    FScrollDirection = Value;
    Invalidate();
}

void TdaSpinControlButton::Paint() {
    UpdateStateForPaint();
    if (!daThemesActive(this)) {
        PaintClassic();
        return;
    }
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    if (Parent()) {
        C->Brush()->SetColor(Parent()->Color());
        C->Brush()->SetStyle(bsSolid);
        C->FillRect(R);
    }
    const bool InGrid = daParentIsGrid(Parent());
    const bool OnForm = Parent() && dynamic_cast<TCustomForm*>(Parent()->Parent());
    if (FScrollDirection == dasdUp)
        OffsetRect(R, 0, -1);
    else if (InGrid || OnForm)
        R.Bottom += 1;
    R.Left -= 1;
    R.Right += InGrid ? 1 : 2;
    Cardinal Flags = FScrollDirection == dasdUp ? DFCS_SCROLLUP : DFCS_SCROLLDOWN;
    if (FState == bsDisabled)
        Flags |= DFCS_INACTIVE;
    else if (FState == bsDown || FState == bsExclusive)
        Flags |= DFCS_PUSHED | DFCS_FLAT;
    else if (FMouseInControl)
        Flags |= DFCS_HOT;
    DrawFrameControl(C, R, DFC_SCROLL, Flags);
}
