#include "dataaware/foundation/daEditFrame.h"

#include "dataaware/foundation/daByName.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <algorithm>

namespace {

Cardinal BorderFlags(const TdaEditFrameEnabledSet& Borders) {
    Cardinal Flags = 0;
    if (Borders.Contains(efLeftBorder)) Flags |= BF_LEFT;
    if (Borders.Contains(efTopBorder)) Flags |= BF_TOP;
    if (Borders.Contains(efRightBorder)) Flags |= BF_RIGHT;
    if (Borders.Contains(efBottomBorder)) Flags |= BF_BOTTOM;
    return Flags;
}

bool IsDesigning(const TComponent* C) {
    return C && C->ComponentState().Contains(csDesigning);
}

// The rectangle of the edges of a state: the whole area, two pixels narrower when a
// transparent frame has no right border there.
TRect EdgeRect(TRect R, const TdaEditFrame* Frame, const TdaEditFrameEnabledSet& Borders) {
    if (Frame->Transparent() && !Borders.Contains(efRightBorder)) R.Right -= 2;
    return R;
}

void DrawStateEdges(TCanvas* Canvas, TRect R, TdaEditFrameEnabledSet Borders, TdaEditFocusStyle Style) {
    const Cardinal Sides = BorderFlags(Borders);
    if (!Sides) return;
    Cardinal Edge = 0, Flags = 0;
    TdaEditFrame::StyleEdge(Style, Edge, Flags);
    DrawEdge(Canvas, R, Edge, Flags | Sides);
}

} // namespace

// ---- TdaEditFrame ----------------------------------------------------------------------------

TdaEditFrame::TdaEditFrame(TComponent* AOwner) : FControl(dynamic_cast<TWinControl*>(AOwner)) {}

void TdaEditFrame::Published(TPublisher<TdaEditFrame>& P) {
    P.Property(u"Enabled", &TdaEditFrame::Enabled, &TdaEditFrame::SetEnabled).Default(false);
    P.Property(u"Transparent", &TdaEditFrame::Transparent, &TdaEditFrame::SetTransparent).Default(false);
    P.Property(u"AutoSizeHeightAdjust", &TdaEditFrame::AutoSizeHeightAdjust,
               &TdaEditFrame::SetAutoSizeHeightAdjust)
        .Default(0);
    P.Property(u"FocusBorders", &TdaEditFrame::FocusBorders, &TdaEditFrame::SetFocusBorders)
        .Default(TdaEditFrameEnabledSet{efLeftBorder, efTopBorder, efRightBorder, efBottomBorder});
    P.Property(u"NonFocusBorders", &TdaEditFrame::NonFocusBorders, &TdaEditFrame::SetNonFocusBorders)
        .Default(TdaEditFrameEnabledSet{efBottomBorder});
    P.Property(u"FocusStyle", &TdaEditFrame::FocusStyle, &TdaEditFrame::SetFocusStyle).Default(efsFrameBox);
    P.Property(u"NonFocusStyle", &TdaEditFrame::NonFocusStyle, &TdaEditFrame::SetNonFocusStyle)
        .Default(efsFrameBox);
    P.Property(u"NonFocusTextOffsetX", &TdaEditFrame::NonFocusTextOffsetX);
    P.Property(u"NonFocusTextOffsetY", &TdaEditFrame::NonFocusTextOffsetY);
    P.Property(u"NonFocusTransparentFontColor", &TdaEditFrame::NonFocusTransparentFontColor).As(ColorTypeInfo());
    P.Property(u"NonFocusColor", &TdaEditFrame::NonFocusColor).As(ColorTypeInfo());
    P.Property(u"NonFocusFontColor", &TdaEditFrame::NonFocusFontColor).As(ColorTypeInfo());
    P.Property(u"MouseEnterSameAsFocus", &TdaEditFrame::MouseEnterSameAsFocus);
}

bool TdaEditFrame::IsEditControl() const {
    return dynamic_cast<TCustomEdit*>(FControl) != nullptr;
}

void TdaEditFrame::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    if (!IsEditControl()) return;
    if (Value) daSetBorderStyle(FControl, false);
    if (daGetAutoSize(FControl)) AdjustHeight();
    FControl->Invalidate();
}

void TdaEditFrame::SetTransparent(bool Value) {
    if (FTransparent != Value) {
        CreateTransparent = Value;
        FTransparent = Value;
        if (FTransparent && IsFrameEffective() && !IsDesigning(FControl) && FControl->HandleAllocated() &&
            FControl->Parent() && FControl->Parent()->HandleAllocated() &&
            (GetWindowLong(FControl->Parent()->WindowHandle(), GWL_STYLE) & WS_CLIPCHILDREN))
            FControl->Perform(CM_RECREATEWND);
    }
    if (FControl && FControl->HandleAllocated() && daIsKindOf(FControl, u"TdaCustomRichEdit"))
        FControl->Perform(CM_RECREATEWND);
}

void TdaEditFrame::SetFocusBorders(const TdaEditFrameEnabledSet& Value) {
    FFocusBorders = Value;
    if (IsEditControl()) FControl->Invalidate();
}

void TdaEditFrame::SetNonFocusBorders(const TdaEditFrameEnabledSet& Value) {
    FNonFocusBorders = Value;
    if (IsEditControl()) RefreshControl();
}

void TdaEditFrame::SetNonFocusStyle(TdaEditFocusStyle Value) {
    if (FNonFocusStyle == Value) return;
    FNonFocusStyle = Value;
    if (IsEditControl()) FControl->Invalidate();
}

bool TdaEditFrame::IsFrameEffective() const {
    return FEnabled && FControl && !daParentIsGrid(FControl);
}

bool TdaEditFrame::IsSingleBorderStyle(TdaEditFocusStyle Style) {
    return Style == efsFrameBox || Style == efsFrameSingle;
}

void TdaEditFrame::StyleEdge(TdaEditFocusStyle Style, Cardinal& Edge, Cardinal& Flags) {
    Flags = 0;
    switch (Style) {
    case efsFrameBox: Edge = EDGE_SUNKEN, Flags = BF_FLAT; break;
    case efsFrameSunken: Edge = EDGE_SUNKEN; break;
    case efsFrameRaised: Edge = EDGE_RAISED; break;
    case efsFrameEtched: Edge = EDGE_ETCHED; break;
    case efsFrameBump: Edge = EDGE_BUMP; break;
    case efsFrameSingle: Edge = BDR_SUNKENOUTER, Flags = BF_FLAT; break;
    }
}

void TdaEditFrame::GetEditRectForFrame(TRect& Loc) const {
    if (IsSingleBorderStyle(FFocusStyle)) {
        Loc.Top = 2;
        Loc.Left = 2;
        if (FFocusBorders.Contains(efRightBorder) && FFocusStyle == efsFrameBox) Loc.Right -= 1;
    } else {
        Loc.Top = 3;
        if (FFocusBorders.Contains(efLeftBorder))
            Loc.Left = FFocusStyle == efsFrameSunken || FFocusStyle == efsFrameBump ? 3 : 2;
        else
            Loc.Left = 1;
        Loc.Right -= 2;
    }
}

void TdaEditFrame::GetFrameTextPosition(int& Left, int& Indent, bool Focused) const {
    const TdaEditFrameEnabledSet Borders = Focused ? FFocusBorders : FNonFocusBorders;
    const TdaEditFocusStyle Style = Focused ? FFocusStyle : FNonFocusStyle;
    const bool Single = IsSingleBorderStyle(Style);
    Left = Borders.Contains(efLeftBorder) ? (Single ? 2 : 3) : 1;
    Indent = Borders.Contains(efTopBorder) && !Single ? 3 : 2;
    Left += NonFocusTextOffsetX;
    Indent += NonFocusTextOffsetY;
}

void TdaEditFrame::AdjustHeight() {
    if (!FControl) return;
    TBitmap Measure(1, 1);
    Measure.Canvas()->SetFont(FControl->Font());
    const int TextHeight = Measure.Canvas()->TextHeight(u"Wg");
    // The new-style system controls are the only kind this platform has.
    int Allowance;
    if (daHasBorder(FControl))
        Allowance = GetSystemMetrics(SM_CYBORDER) * (daGetOrdPropByName(FControl, u"Ctl3D") ? 8 : 6);
    else
        Allowance = 6;
    if (FEnabled) Allowance += FAutoSizeHeightAdjust;
    FControl->SetHeight(TextHeight + Allowance);
}

void TdaEditFrame::RefreshControl() {
    if (!FControl) return;
    if (FEnabled && FTransparent)
        daInvalidateInParents(FControl, 0, false);
    else
        FControl->Invalidate();
}

void TdaEditFrame::RefreshTransparentText(bool InvalidateBorders, bool UseEditRect, bool Exiting) {
    TWinControl* C = FControl;
    if (!C || !C->Parent()) return;
    TRect R = C->BoundsRect();
    // The edit's formatting rectangle is its client area here.
    TRect E = C->ClientRect();
    if (!InvalidateBorders) {
        const bool NoLeft = !FNonFocusBorders.Contains(efLeftBorder);
        if (!UseEditRect) {
            InflateRect(R, -2, -2);
            if (NoLeft) R.Left -= 2;
            R.Bottom += 2;
        } else if (!daHasBorder(C)) {
            InflateRect(R, -2, -2);
            if (NoLeft) R.Left -= 2;
            const bool WideButton = TdaButtonEffects::Get(C) && C->Width() - E.Right > 8;
            R.Right = R.Left + E.Right + (WideButton ? 3 : 1);
        }
    }
    if (daIsParentTransparent(C)) {
        daInvalidateTransparentControl(C, Exiting);
        return;
    }
    if (TControl* Under = C->Parent()->ControlAtPos(TPoint{C->Left(), C->Top()}, true, false);
        Under && !dynamic_cast<TWinControl*>(Under)) {
        if (C->Parent()->HandleAllocated())
            InvalidateRect(C->Parent()->WindowHandle(), &R, TransparentClearsBackground);
        return;
    }
    if (!C->HandleAllocated()) return;
    TControlCanvas Canvas;
    Canvas.SetControl(C);
    Canvas.Brush()->SetColor(C->Parent()->Color());
    Canvas.Brush()->SetStyle(bsSolid);
    if (InvalidateBorders) {
        Canvas.FillRect(C->ClientRect());
    } else {
        InflateRect(E, 1, 1);
        if (!FNonFocusBorders.Contains(efLeftBorder)) E.Left = std::max(0, E.Left - 1);
        if (C->ClientHeight() - E.Bottom > 3) E.Bottom += 2;
        Canvas.FillRect(E);
    }
}

bool TdaEditFrame::NCPaint(bool Focused, bool AlwaysTransparent, TCanvas* Canvas) {
    if (!IsFrameEffective()) return true;
    std::unique_ptr<TWindowCanvas> Own;
    if (!Canvas) {
        Own = std::make_unique<TWindowCanvas>();
        Own->SetControl(FControl);
        Canvas = Own.get();
    }
    const TRect Whole(0, 0, FControl->Width(), FControl->Height());
    const bool CheckOrRadio = daIsKindOf(FControl, u"TdaCheckBox") || daIsKindOf(FControl, u"TdaRadioButton");
    if (!CheckOrRadio && (!FTransparent || (Focused && !AlwaysTransparent))) {
        Canvas->Brush()->SetColor(FControl->Color());
        Canvas->Brush()->SetStyle(bsSolid);
        TRect R = Whole;
        Canvas->FrameRect(R);
        InflateRect(R, -1, -1);
        Canvas->FrameRect(R);
    }
    const TdaEditFrameEnabledSet Borders = Focused ? FFocusBorders : FNonFocusBorders;
    DrawStateEdges(Canvas, EdgeRect(Whole, this, Borders), Borders, Focused ? FFocusStyle : FNonFocusStyle);
    return false;
}

void TdaEditFrame::Assign(TPersistent* Source) {
    if (dynamic_cast<TdaEditFrame*>(Source))
        AssignAll(Source, false);
    else
        TPersistent::Assign(Source);
}

void TdaEditFrame::AssignAll(TPersistent* Source, bool SkipOptimize) {
    auto* S = dynamic_cast<TdaEditFrame*>(Source);
    if (!S) return;
    SetEnabled(S->Enabled());
    SetTransparent(S->Transparent());
    if (!SkipOptimize && !FEnabled) return;
    TransparentClearsBackground = S->TransparentClearsBackground;
    MouseEnterSameAsFocus = S->MouseEnterSameAsFocus;
    FAutoSizeHeightAdjust = S->FAutoSizeHeightAdjust;
    SetFocusBorders(S->FocusBorders());
    SetNonFocusBorders(S->NonFocusBorders());
    FFocusStyle = S->FocusStyle();
    SetNonFocusStyle(S->NonFocusStyle());
    NonFocusTextOffsetX = S->NonFocusTextOffsetX;
    NonFocusTextOffsetY = S->NonFocusTextOffsetY;
    NonFocusTransparentFontColor = S->NonFocusTransparentFontColor;
    NonFocusColor = S->NonFocusColor;
    NonFocusFontColor = S->NonFocusFontColor;
}

TdaEditFrame* TdaEditFrame::Get(TObject* Control) {
    if (!Control) return nullptr;
    for (const char16_t* Name : {u"Frame", u"EditFrame"}) {
        const TPropInfo* P = GetPropInfo(Control, Name);
        if (P && P->PropType->Kind == tkClass && P->Reader)
            if (auto* F = dynamic_cast<TdaEditFrame*>(GetObjectProp(Control, P))) return F;
    }
    return nullptr;
}

// ---- TdaButtonEffects ------------------------------------------------------------------------

TdaButtonEffects::TdaButtonEffects(TComponent* AOwner, TControl* AButton) : Control(AOwner), Button(AButton) {}

void TdaButtonEffects::Published(TPublisher<TdaButtonEffects>& P) {
    P.Property(u"Transparent", &TdaButtonEffects::Transparent, &TdaButtonEffects::SetTransparent).Default(false);
    P.Property(u"Flat", &TdaButtonEffects::Flat, &TdaButtonEffects::SetFlat).Default(false);
}

void TdaButtonEffects::SetTransparent(bool Value) {
    if (FTransparent == Value) return;
    FTransparent = Value;
    if (Button) {
        daSetBoolProperty(Button, u"Transparent", FFlat || FTransparent);
        daSetBoolProperty(Button, u"Flat", FFlat || FTransparent);
    }
    RefreshButton();
    if (Button) Button->Invalidate();
}

void TdaButtonEffects::SetFlat(bool Value) {
    if (FFlat == Value) return;
    FFlat = Value;
    if (Button) daSetBoolProperty(Button, u"Flat", FFlat || FTransparent);
    RefreshButton();
    if (Button) Button->Invalidate();
}

void TdaButtonEffects::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TdaButtonEffects*>(Source)) {
        SetFlat(S->Flat());
        SetTransparent(S->Transparent());
    } else {
        TPersistent::Assign(Source);
    }
}

TdaButtonEffects* TdaButtonEffects::Get(TObject* Control) {
    if (!Control) return nullptr;
    const TPropInfo* P = GetPropInfo(Control, u"ButtonEffects");
    if (!P || P->PropType->Kind != tkClass || !P->Reader) return nullptr;
    return dynamic_cast<TdaButtonEffects*>(GetObjectProp(Control, P));
}

// ---- Free routines ---------------------------------------------------------------------------

void daDrawEditFrameEdges(TWinControl* Edit, TdaEditFrame* Frame, TCanvas* Canvas, bool Focused) {
    if (!Canvas || !Edit || !Frame) return;
    const TdaEditFrameEnabledSet Borders = Focused ? Frame->FocusBorders() : Frame->NonFocusBorders();
    DrawStateEdges(Canvas, EdgeRect(Edit->ClientRect(), Frame, Borders), Borders,
                   Focused ? Frame->FocusStyle() : Frame->NonFocusStyle());
}

bool daIsParentTransparent(TControl* Control) {
    if (!Control || !Control->Parent() || !Control->Parent()->HandleAllocated()) return false;
    return GetWindowLong(Control->Parent()->WindowHandle(), GWL_EXSTYLE) & WS_EX_TRANSPARENT;
}

void daInvalidateInParents(TControl* Control, int, bool Erase) {
    TControl* Level = Control;
    TRect R = Control ? Control->BoundsRect() : TRect();
    while (Level && Level->Parent()) {
        TWinControl* Parent = Level->Parent();
        // A control partly left of or above its parent is invalidated from the parent's corner.
        TRect Area = R;
        if (Area.Left < 0) Area.Left = 0;
        if (Area.Top < 0) Area.Top = 0;
        if (Parent->HandleAllocated()) InvalidateRect(Parent->WindowHandle(), &Area, Erase);
        if (!daIsParentTransparent(Level)) break;
        OffsetRect(R, Parent->Left(), Parent->Top());
        Level = Parent;
    }
}

void daInvalidateTransparentControl(TControl* Control, bool) {
    TdaEditFrame* Frame = TdaEditFrame::Get(Control);
    daInvalidateInParents(Control, 0, Frame ? Frame->TransparentClearsBackground : false);
}

bool daGetAutoSize(TObject* Control) {
    return daGetOrdPropByName(Control, u"AutoSize") != 0;
}

void daSetBoolProperty(TObject* Control, const String& Name, bool Value) {
    daSetOrdPropByName(Control, Name, Value ? 1 : 0);
}
