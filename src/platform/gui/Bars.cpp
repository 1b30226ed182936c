// Status bars, progress bars and track bars.
#include "platform/gui/ComCtrls.h"

#include "platform/base/Math.h"
#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"

#include <algorithm>

namespace {

void Fill(TCanvas* C, const TRect& R, TColor Colour) {
    if (R.Width() <= 0 || R.Height() <= 0) return;
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Colour);
    C->FillRect(R);
}

// Space between the panels of a status bar, and above them.
constexpr int PanelGap = 2;
// The timer of a running marquee and of a held track bar.
constexpr UINT_PTR RepeatTimer = 1;
// The ends of a track bar's channel stay this far from the edges.
constexpr int TrackMargin = 8;

} // namespace

// ---- TStatusPanel -------------------------------------------------------------------------------------

TStatusPanel::TStatusPanel(TCollection* ACollection) : TCollectionItem(ACollection) {}

void TStatusPanel::Published(TPublisher<TStatusPanel>& P) {
    P.Property(u"Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment).Default(taLeftJustify);
    P.Property(u"Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel).Default(pbLowered);
    P.Property(u"Style", &TStatusPanel::Style, &TStatusPanel::SetStyle).Default(psText);
    P.Property(u"Text", &TStatusPanel::Text, &TStatusPanel::SetText);
    P.Property(u"Width", &TStatusPanel::Width, &TStatusPanel::SetWidth);
}

void TStatusPanel::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TStatusPanel*>(Source)) {
        FText = S->FText;
        FWidth = S->FWidth;
        FAlignment = S->FAlignment;
        FStyle = S->FStyle;
        FBevel = S->FBevel;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(Source);
}

String TStatusPanel::GetDisplayName() const {
    return FText.empty() ? TCollectionItem::GetDisplayName() : FText;
}

void TStatusPanel::SetText(const String& Value) {
    if (FText == Value) return;
    FText = Value;
    Changed(false);
}

void TStatusPanel::SetWidth(int Value) {
    Value = std::max(Value, 0);
    if (FWidth == Value) return;
    FWidth = Value;
    Changed(true);
}

void TStatusPanel::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Changed(false);
}

void TStatusPanel::SetStyle(TStatusPanelStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel Value) {
    if (FBevel == Value) return;
    FBevel = Value;
    Changed(false);
}

TStatusPanels::TStatusPanels(TStatusBar* AStatusBar)
    : TCollection(TCollectionItemClass::Of<TStatusPanel>()), FStatusBar(AStatusBar) {}

void TStatusPanels::Update(TCollectionItem*) {
    if (FStatusBar) FStatusBar->Invalidate();
}

TPersistent* TStatusPanels::GetOwner() const {
    return FStatusBar;
}

// ---- TStatusBar ---------------------------------------------------------------------------------------

TStatusBar::TStatusBar(TComponent* AOwner)
    : TCustomControl(AOwner), FPanels(std::make_unique<TStatusPanels>(this)) {
    FControlStyle = {csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    SetBounds(0, 0, 150, 19);
    SetAlign(alBottom);
    SetColor(clBtnFace);
}

TStatusBar::~TStatusBar() {
    // The panels go without repainting a bar that is going too.
    FPanels->BeginUpdate();
}

void TStatusBar::Published(TPublisher<TStatusBar>& P) {
    P.Property(u"Panels", &TStatusBar::Panels, &TStatusBar::SetPanels);
    P.Property(u"SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel).Default(false);
    P.Property(u"SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
    P.Property(u"SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip).Default(true);
    P.Property(u"OnDrawPanel", &TStatusBar::OnDrawPanel);
}

void TStatusBar::SetSimplePanel(bool Value) {
    if (FSimplePanel == Value) return;
    FSimplePanel = Value;
    Invalidate();
}

void TStatusBar::SetSimpleText(const String& Value) {
    if (FSimpleText == Value) return;
    FSimpleText = Value;
    if (FSimplePanel) Invalidate();
}

void TStatusBar::SetSizeGrip(bool Value) {
    if (FSizeGrip == Value) return;
    FSizeGrip = Value;
    Invalidate();
}

bool TStatusBar::GripShown() {
    if (!FSizeGrip) return false;
    auto* Form = dynamic_cast<TCustomForm*>(Parent());
    if (!Form) return false;
    const TFormBorderStyle B = Form->BorderStyle();
    if (B != Forms::bsSizeable && B != Forms::bsSizeToolWin) return false;
    return Left() + Width() >= Form->ClientWidth() && Top() + Height() >= Form->ClientHeight();
}

TRect TStatusBar::PanelBounds(int Index, bool Simple) {
    const int Right = Width() - (GripShown() ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    if (Simple) return Rect(0, PanelGap, std::max(Right, 0), Height());
    int X = 0;
    for (int I = 0; I < Index; ++I)
        X += FPanels->Items(I)->Width() + PanelGap;
    const bool Last = Index == FPanels->Count() - 1;
    const int End = Last ? std::max(Right, X) : X + FPanels->Items(Index)->Width();
    return Rect(X, PanelGap, End, Height());
}

TRect TStatusBar::PanelRect(int Index) {
    if (FSimplePanel || Index < 0 || Index >= FPanels->Count()) return {};
    TRect R = PanelBounds(Index, false);
    InflateRect(R, -1, -1);
    return R;
}

void TStatusBar::DrawPanel(TStatusPanel* Panel, const TRect& Rect) {
    if (OnDrawPanel) OnDrawPanel(this, Panel, Rect);
}

void TStatusBar::Paint() {
    TCanvas* C = Canvas();
    Fill(C, ClientRect(), Color());
    auto Text = [&](TRect R, const String& S, TAlignment Alignment) {
        InflateRect(R, -2, 0);
        C->Font()->Assign(Font());
        C->Brush()->SetStyle(bsClear);
        Cardinal Flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
        Flags |= Alignment == taCenter ? DT_CENTER : Alignment == taRightJustify ? DT_RIGHT : DT_LEFT;
        DrawText(C, S, R, Flags);
    };
    if (FSimplePanel) {
        TRect R = PanelBounds(0, true);
        DrawEdge(C, R, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        Text(R, FSimpleText, taLeftJustify);
    } else {
        for (int I = 0; I < FPanels->Count(); ++I) {
            TStatusPanel* Panel = FPanels->Items(I);
            TRect R = PanelBounds(I, false);
            if (R.Left >= Width()) break;
            if (Panel->Bevel() != pbNone)
                DrawEdge(C, R, Panel->Bevel() == pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            InflateRect(R, -1, -1);
            if (Panel->Style() == psOwnerDraw) {
                C->Font()->Assign(Font());
                C->Brush()->SetStyle(bsSolid);
                C->Brush()->SetColor(Color());
                DrawPanel(Panel, R);
            } else {
                Text(R, Panel->Text(), Panel->Alignment());
            }
        }
    }
    if (GripShown()) {
        const int S = std::min(GetSystemMetrics(SM_CXVSCROLL), Height());
        TRect G = Rect(Width() - S, Height() - S, Width(), Height());
        DrawFrameControl(C, G, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
}

// ---- TProgressBar -------------------------------------------------------------------------------------

TProgressBar::TProgressBar(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle = {csCaptureMouse, csClickEvents, csOpaque};
    SetBounds(0, 0, 150, 16);
    SetColor(clBtnFace);
}

TProgressBar::~TProgressBar() {
    if (HandleAllocated()) KillTimer(WindowHandle(), RepeatTimer);
}

void TProgressBar::Published(TPublisher<TProgressBar>& P) {
    P.Property(u"BackgroundColor", &TProgressBar::BackgroundColor, &TProgressBar::SetBackgroundColor)
        .As(ColorTypeInfo())
        .Default(clDefault);
    P.Property(u"BarColor", &TProgressBar::BarColor, &TProgressBar::SetBarColor).As(ColorTypeInfo()).Default(clDefault);
    P.Property(u"MarqueeInterval", &TProgressBar::MarqueeInterval, &TProgressBar::SetMarqueeInterval).Default(10);
    P.Property(u"Max", &TProgressBar::Max, &TProgressBar::SetMax).Default(100);
    P.Property(u"Min", &TProgressBar::Min, &TProgressBar::SetMin).Default(0);
    P.Property(u"Orientation", &TProgressBar::Orientation, &TProgressBar::SetOrientation).Default(pbHorizontal);
    P.Property(u"Position", &TProgressBar::Position, &TProgressBar::SetPosition).Default(0);
    P.Property(u"Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth).Default(false);
    P.Property(u"State", &TProgressBar::State, &TProgressBar::SetState).Default(pbsNormal);
    P.Property(u"Step", &TProgressBar::Step, &TProgressBar::SetStep).Default(10);
    P.Property(u"Style", &TProgressBar::Style, &TProgressBar::SetStyle).Default(pbstNormal);
}

void TProgressBar::SetMin(int Value) {
    if (FMin == Value) return;
    FMin = Value;
    if (FMax < FMin) FMax = FMin;
    FPosition = std::clamp(FPosition, FMin, FMax);
    Invalidate();
}

void TProgressBar::SetMax(int Value) {
    if (FMax == Value) return;
    FMax = Value;
    if (FMin > FMax) FMin = FMax;
    FPosition = std::clamp(FPosition, FMin, FMax);
    Invalidate();
}

void TProgressBar::SetPosition(int Value) {
    Value = std::clamp(Value, FMin, FMax);
    if (FPosition == Value) return;
    FPosition = Value;
    Invalidate();
}

void TProgressBar::StepIt() {
    int New = FPosition + FStep;
    if (New > FMax) New = FMin + (New - FMax - 1) % (FMax - FMin + 1);
    if (New < FMin) New = FMax - (FMin - New - 1) % (FMax - FMin + 1);
    SetPosition(New);
}

void TProgressBar::StepBy(int Delta) {
    SetPosition(FPosition + Delta);
}

void TProgressBar::SetOrientation(TProgressBarOrientation Value) {
    if (FOrientation == Value) return;
    FOrientation = Value;
    Invalidate();
}

void TProgressBar::SetSmooth(bool Value) {
    if (FSmooth == Value) return;
    FSmooth = Value;
    Invalidate();
}

void TProgressBar::SetBarColor(TColor Value) {
    if (FBarColor == Value) return;
    FBarColor = Value;
    Invalidate();
}

void TProgressBar::SetBackgroundColor(TColor Value) {
    if (FBackgroundColor == Value) return;
    FBackgroundColor = Value;
    Invalidate();
}

void TProgressBar::SetStyle(TProgressBarStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    FMarqueePos = 0;
    UpdateMarquee();
    Invalidate();
}

void TProgressBar::SetState(TProgressBarState Value) {
    if (FState == Value) return;
    FState = Value;
    UpdateMarquee();
    Invalidate();
}

void TProgressBar::SetMarqueeInterval(int Value) {
    Value = std::max(Value, 1);
    if (FMarqueeInterval == Value) return;
    FMarqueeInterval = Value;
    UpdateMarquee();
}

void TProgressBar::CreateWnd() {
    TCustomControl::CreateWnd();
    UpdateMarquee();
}

void TProgressBar::UpdateMarquee() {
    if (!HandleAllocated()) return;
    if (FStyle == pbstMarquee && FState == pbsNormal)
        SetTimer(WindowHandle(), RepeatTimer, UINT(FMarqueeInterval));
    else
        KillTimer(WindowHandle(), RepeatTimer);
}

void TProgressBar::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_TIMER && Message.WParam == RepeatTimer) {
        ++FMarqueePos;
        Invalidate();
        return;
    }
    TCustomControl::Dispatch(Message);
}

void TProgressBar::Paint() {
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    const bool Framed = R.Width() >= 3 && R.Height() >= 3;
    Fill(C, R, FBackgroundColor == clDefault ? clBtnFace : FBackgroundColor);
    if (Framed) {
        DrawEdge(C, R, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        if (R.Width() > 2 && R.Height() > 2) InflateRect(R, -1, -1);
    }
    const TColor Bar = FBarColor == clDefault ? clHighlight : FBarColor;
    const bool Horz = FOrientation == pbHorizontal;
    const int Length = Horz ? R.Width() : R.Height();
    const int Thickness = Horz ? R.Height() : R.Width();
    if (Length <= 0 || Thickness <= 0) return;
    // A stretch [From, To) along the bar: left to right, or bottom to top.
    auto Stretch = [&](int From, int To) {
        From = std::clamp(From, 0, Length);
        To = std::clamp(To, 0, Length);
        if (To <= From) return;
        if (Horz)
            Fill(C, Rect(R.Left + From, R.Top, R.Left + To, R.Bottom), Bar);
        else
            Fill(C, Rect(R.Left, R.Bottom - To, R.Right, R.Bottom - From), Bar);
    };
    const int Chunk = std::max(Thickness * 2 / 3, 2), Gap = 2;
    if (FStyle == pbstMarquee) {
        const int Group = 5 * (Chunk + Gap);
        const int Start = (FMarqueePos * 4) % (Length + Group) - Group;
        for (int I = 0; I < 5; ++I)
            Stretch(Start + I * (Chunk + Gap), Start + I * (Chunk + Gap) + Chunk);
        return;
    }
    const int Range = FMax - FMin;
    const int Filled = Range > 0 ? MulDiv(FPosition - FMin, Length, Range) : 0;
    // A bar too thin for blocks is drawn smooth.
    if (FSmooth || Thickness < 4) {
        Stretch(0, Filled);
        return;
    }
    for (int X = 0; X < Filled; X += Chunk + Gap)
        Stretch(X, X + Chunk);
}

// ---- TTrackBar ----------------------------------------------------------------------------------------

TTrackBar::TTrackBar(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle = {csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    SetBounds(0, 0, 150, 45);
    SetTabStop(true);
    SetColor(clBtnFace);
}

TTrackBar::~TTrackBar() {
    if (HandleAllocated()) KillTimer(WindowHandle(), RepeatTimer);
}

void TTrackBar::Published(TPublisher<TTrackBar>& P) {
    P.Property(u"Frequency", &TTrackBar::Frequency, &TTrackBar::SetFrequency).Default(1);
    P.Property(u"LineSize", &TTrackBar::LineSize, &TTrackBar::SetLineSize).Default(1);
    P.Property(u"Max", &TTrackBar::Max, &TTrackBar::SetMax).Default(10);
    P.Property(u"Min", &TTrackBar::Min, &TTrackBar::SetMin).Default(0);
    P.Property(u"Orientation", &TTrackBar::Orientation, &TTrackBar::SetOrientation).Default(trHorizontal);
    P.Property(u"PageSize", &TTrackBar::PageSize, &TTrackBar::SetPageSize).Default(2);
    P.Property(u"Position", &TTrackBar::Position, &TTrackBar::SetPosition).Default(0);
    P.Property(u"SliderVisible", &TTrackBar::SliderVisible, &TTrackBar::SetSliderVisible).Default(true);
    P.Property(u"ThumbLength", &TTrackBar::ThumbLength, &TTrackBar::SetThumbLength).Default(20);
    P.Property(u"TickMarks", &TTrackBar::TickMarks, &TTrackBar::SetTickMarks).Default(tmBottomRight);
    P.Property(u"TickStyle", &TTrackBar::TickStyle, &TTrackBar::SetTickStyle).Default(tsAuto);
    P.Property(u"OnChange", &TTrackBar::OnChange);
}

void TTrackBar::Changed() {
    if (OnChange) OnChange(this);
}

void TTrackBar::SetMin(int Value) {
    if (FMin == Value) return;
    FMin = Value;
    if (FMax < FMin) FMax = FMin;
    Invalidate();
    SetPosition(FPosition);
}

void TTrackBar::SetMax(int Value) {
    if (FMax == Value) return;
    FMax = Value;
    if (FMin > FMax) FMin = FMax;
    Invalidate();
    SetPosition(FPosition);
}

void TTrackBar::SetPosition(int Value) {
    Value = std::clamp(Value, FMin, FMax);
    if (FPosition == Value) return;
    FPosition = Value;
    Invalidate();
    Changed();
}

void TTrackBar::SetFrequency(int Value) {
    Value = std::max(Value, 1);
    if (FFrequency == Value) return;
    FFrequency = Value;
    Invalidate();
}

void TTrackBar::SetOrientation(TTrackBarOrientation Value) {
    if (FOrientation == Value) return;
    FOrientation = Value;
    Invalidate();
}

void TTrackBar::SetTickMarks(TTickMark Value) {
    if (FTickMarks == Value) return;
    FTickMarks = Value;
    Invalidate();
}

void TTrackBar::SetTickStyle(TTickStyle Value) {
    if (FTickStyle == Value) return;
    FTickStyle = Value;
    Invalidate();
}

void TTrackBar::SetTick(int Value) {
    if (Value <= FMin || Value >= FMax) return;
    if (std::find(FTicks.begin(), FTicks.end(), Value) == FTicks.end()) FTicks.push_back(Value);
    Invalidate();
}

void TTrackBar::ClearTicks() {
    FTicks.clear();
    Invalidate();
}

void TTrackBar::SetThumbLength(int Value) {
    Value = std::max(Value, 4);
    if (FThumbLength == Value) return;
    FThumbLength = Value;
    Invalidate();
}

void TTrackBar::SetSliderVisible(bool Value) {
    if (FSliderVisible == Value) return;
    FSliderVisible = Value;
    Invalidate();
}

// -- Geometry: "along" runs with the track, "across" over it --

int TTrackBar::TrackStart() {
    return TrackMargin + ThumbBreadth() / 2;
}

int TTrackBar::TrackLength() {
    const int Along = Horizontal() ? ClientWidth() : ClientHeight();
    return std::max(Along - 2 * TrackMargin - ThumbBreadth(), 1);
}

int TTrackBar::PositionToPixel(int Value) {
    const int Range = FMax - FMin;
    return TrackStart() + (Range > 0 ? MulDiv(Value - FMin, TrackLength(), Range) : 0);
}

int TTrackBar::PixelToPosition(int Pixel) {
    const int Range = FMax - FMin;
    if (Range <= 0) return FMin;
    return std::clamp(FMin + MulDiv(Pixel - TrackStart(), Range, TrackLength()), FMin, FMax);
}

TRect TTrackBar::ThumbRect() {
    const int Across = Horizontal() ? ClientHeight() : ClientWidth();
    int Top = TrackMargin;
    if (FTickMarks == tmTopLeft) Top = Across - TrackMargin - FThumbLength;
    if (FTickMarks == tmBoth || FTickStyle == tsNone) Top = (Across - FThumbLength) / 2;
    const int Start = PositionToPixel(FPosition) - ThumbBreadth() / 2;
    return Horizontal() ? Bounds(Start, Top, ThumbBreadth(), FThumbLength)
                        : Bounds(Top, Start, FThumbLength, ThumbBreadth());
}

void TTrackBar::Paint() {
    TCanvas* C = Canvas();
    Fill(C, ClientRect(), Color());
    const bool Horz = Horizontal();
    const TRect Thumb = ThumbRect();
    const int TTop = Horz ? Thumb.Top : Thumb.Left; // across
    const int Mid = TTop + FThumbLength / 2;
    const int AlongSize = Horz ? ClientWidth() : ClientHeight();
    auto Make = [Horz](int Along1, int Across1, int Along2, int Across2) {
        return Horz ? Rect(Along1, Across1, Along2, Across2) : Rect(Across1, Along1, Across2, Along2);
    };
    // The channel.
    TRect Channel = Make(TrackMargin, Mid - 2, AlongSize - TrackMargin, Mid + 2);
    DrawEdge(C, Channel, EDGE_SUNKEN, BF_RECT);
    // The ticks.
    if (FTickStyle != tsNone) {
        std::vector<int> Ticks{FMin, FMax};
        if (FTickStyle == tsAuto)
            for (int V = FMin + FFrequency; V < FMax; V += FFrequency)
                Ticks.push_back(V);
        else
            Ticks.insert(Ticks.end(), FTicks.begin(), FTicks.end());
        for (int V : Ticks) {
            const int P = PositionToPixel(V);
            const int Long = V == FMin || V == FMax ? 1 : 0;
            if (FTickMarks != tmTopLeft)
                Fill(C, Make(P, TTop + FThumbLength + 2, P + 1, TTop + FThumbLength + 5 + Long), clBtnText);
            if (FTickMarks != tmBottomRight) Fill(C, Make(P, TTop - 5 - Long, P + 1, TTop - 2), clBtnText);
        }
    }
    // The thumb: a raised block, pointed towards the ticks unless they are on both sides.
    if (FSliderVisible) {
        const int B = ThumbBreadth(), L = FThumbLength;
        const int A0 = Horz ? Thumb.Left : Thumb.Top;
        const bool Pointed = FTickStyle != tsNone && FTickMarks != tmBoth;
        const int Tip = Pointed ? B / 2 : 0;
        const bool TipFar = FTickMarks == tmBottomRight; // the point towards larger "across"
        TRect Block = Make(A0, TTop + (TipFar ? 0 : Tip), A0 + B, TTop + L - (TipFar ? Tip : 0));
        DrawEdge(C, Block, EDGE_RAISED, BF_RECT | BF_MIDDLE);
        if (Pointed) {
            // The point: rows getting narrower towards the tip, lit on one side, dark on the other.
            for (int I = 0; I < Tip; ++I) {
                const int Across = TipFar ? TTop + L - Tip + I : TTop + Tip - 1 - I;
                const int From = A0 + I + 1, To = A0 + B - I - 1;
                if (To <= From) break;
                Fill(C, Make(From, Across, To, Across + 1), clBtnFace);
                Fill(C, Make(From - 1, Across, From, Across + 1), clBtnHighlight);
                Fill(C, Make(To, Across, To + 1, Across + 1), cl3DDkShadow);
                if (To - 1 > From) Fill(C, Make(To - 1, Across, To, Across + 1), clBtnShadow);
            }
        }
    }
    if (Focused()) {
        C->Brush()->SetStyle(bsSolid);
        C->DrawFocusRect(ClientRect());
    }
}

// -- Input --

void TTrackBar::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_WANTARROWS;
}

void TTrackBar::WMKeyDown(TWMKeyDown& Message) {
    if (DoKeyDown(Message)) return;
    switch (Message.CharCode()) {
    case VK_LEFT:
    case VK_UP:
        SetPosition(FPosition - FLineSize);
        break;
    case VK_RIGHT:
    case VK_DOWN:
        SetPosition(FPosition + FLineSize);
        break;
    case VK_PRIOR:
        SetPosition(FPosition - FPageSize);
        break;
    case VK_NEXT:
        SetPosition(FPosition + FPageSize);
        break;
    case VK_HOME:
        SetPosition(FMin);
        break;
    case VK_END:
        SetPosition(FMax);
        break;
    default:
        DefaultHandler(Message);
        break;
    }
}

void TTrackBar::PageTowards() {
    if (FPosition < FPageTarget)
        SetPosition(std::min(FPosition + FPageSize, FPageTarget));
    else if (FPosition > FPageTarget)
        SetPosition(std::max(FPosition - FPageSize, FPageTarget));
}

void TTrackBar::WMLButtonDown(TWMMouse& Message) {
    if (CanFocus() && !Focused() && GetParentForm(this) && GetParentForm(this)->Visible()) SetFocus();
    const TPoint P = Message.Pos();
    const int Along = Horizontal() ? P.X : P.Y;
    const TRect Thumb = ThumbRect();
    if (PtInRect(Thumb, P)) {
        FDragging = true;
        FDragOffset = Along - PositionToPixel(FPosition);
    } else {
        // Paging towards the pointer, again and again while the button is held.
        FPageTarget = PixelToPosition(Along);
        FPaging = true;
        PageTowards();
        if (HandleAllocated()) SetTimer(WindowHandle(), RepeatTimer, 200);
    }
    TCustomControl::WMLButtonDown(Message);
}

void TTrackBar::WMMouseMove(TWMMouse& Message) {
    if (FDragging) {
        const TPoint P = Message.Pos();
        SetPosition(PixelToPosition((Horizontal() ? P.X : P.Y) - FDragOffset));
    }
    TCustomControl::WMMouseMove(Message);
}

void TTrackBar::WMLButtonUp(TWMMouse& Message) {
    FDragging = false;
    if (FPaging) {
        FPaging = false;
        if (HandleAllocated()) KillTimer(WindowHandle(), RepeatTimer);
    }
    TCustomControl::WMLButtonUp(Message);
}

void TTrackBar::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_TIMER && Message.WParam == RepeatTimer) {
        if (FPaging)
            PageTowards();
        else if (HandleAllocated())
            KillTimer(WindowHandle(), RepeatTimer);
        return;
    }
    TCustomControl::Dispatch(Message);
}

void TTrackBar::WMSetFocus(TWMSetFocus& Message) {
    TCustomControl::WMSetFocus(Message);
    Invalidate();
}

void TTrackBar::WMKillFocus(TWMKillFocus& Message) {
    TCustomControl::WMKillFocus(Message);
    Invalidate();
}
