#include "platform/gui/ScrollBarsPrivate.h"

#include "platform/base/Math.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/ControlsQt.h"
#include "platform/gui/GraphicsQt.h"
#include "platform/gui/MessagesPrivate.h"
#include "platform/gui/StdCtrls.h"

// The values of a window's two bars (SB_HORZ, SB_VERT); they live with its window.
struct TWindowScrollBars {
    TScrollBarData Bars[2];
};

namespace {

// Arrows and pages repeat after this long, then at the faster rate.
constexpr int RepeatDelay = 350;
constexpr int RepeatInterval = 50;
// The shortest thumb.
constexpr int MinThumb = 8;

TWindowScrollBars* BarsOf(TWinControl* C, bool Create = true) {
    TWindowPrivate* W = C ? C->WindowPrivate() : nullptr;
    if (!W) return nullptr;
    if (!W->ScrollBars && Create) {
        // NonClientMargins makes them from the window's style (WindowScrollBarSpace).
        (void)C->NonClientMargins();
        if (!W->ScrollBars) W->ScrollBars = std::make_shared<TWindowScrollBars>();
    }
    return W->ScrollBars.get();
}

TScrollBarData* BarOf(HWND Wnd, int Bar, TWinControl** Control = nullptr) {
    if (Bar != SB_HORZ && Bar != SB_VERT) return nullptr;
    TWinControl* C = FindControl(Wnd);
    TWindowScrollBars* S = BarsOf(C);
    if (!S) return nullptr;
    if (Control) *Control = C;
    return &S->Bars[Bar];
}

// The rectangle of a window's bar in window coordinates (empty while it is hidden).
TRect WindowBarRect(TWinControl* C, int Bar) {
    TWindowPrivate* W = C->WindowPrivate();
    if (!W || !W->ScrollBars || !W->ScrollBars->Bars[Bar].Visible) return {};
    const TRect Client = FromQt(W->ClientArea());
    if (Bar == SB_VERT)
        return Rect(Client.Right, Client.Top, Client.Right + GetSystemMetrics(SM_CXVSCROLL), Client.Bottom);
    return Rect(Client.Left, Client.Bottom, Client.Right, Client.Bottom + GetSystemMetrics(SM_CYHSCROLL));
}

void InvalidateBar(TWinControl* C, int Bar) {
    TWindowPrivate* W = C->WindowPrivate();
    const TRect R = WindowBarRect(C, Bar);
    if (W && !IsRectEmpty(R)) W->Invalidate(QRegion(ToQt(R)), false);
}

TScrollBar* ScrollBarControl(HWND Wnd) {
    return dynamic_cast<TScrollBar*>(FindControl(Wnd));
}

// A two-colour checker for the track.
TBitmap* Dither(TColor A, TColor B) {
    static std::unique_ptr<TBitmap> Bitmaps[2];
    static TColorRef Colors[2][2];
    const int Slot = A == clBtnHighlight ? 0 : 1;
    const TColorRef CA = ColorToRGB(A), CB = ColorToRGB(B);
    if (!Bitmaps[Slot] || Colors[Slot][0] != CA || Colors[Slot][1] != CB) {
        Bitmaps[Slot] = std::make_unique<TBitmap>(8, 8);
        for (int Y = 0; Y < 8; ++Y)
            for (int X = 0; X < 8; ++X)
                Bitmaps[Slot]->Canvas()->SetPixels(X, Y, ((X + Y) & 1) ? TColor(CB) : TColor(CA));
        Colors[Slot][0] = CA;
        Colors[Slot][1] = CB;
    }
    return Bitmaps[Slot].get();
}

} // namespace

// ---- Layout and painting --------------------------------------------------------------------------

bool ScrollBarActive(const TScrollBarData& Data, bool WindowEnabled) {
    return WindowEnabled && !Data.NoScrollDisabled && Data.DisabledArrows != ESB_DISABLE_BOTH &&
           Data.CanScroll();
}

TScrollBarPart TScrollBarLayout::PartAt(const TPoint& P) const {
    if (!PtInRect(Bounds, P)) return sbpNone;
    if (PtInRect(Arrow1, P)) return sbpArrow1;
    if (PtInRect(Arrow2, P)) return sbpArrow2;
    if (IsRectEmpty(Thumb)) return sbpNone;
    if (PtInRect(Thumb, P)) return sbpThumb;
    if (!PtInRect(Track, P)) return sbpNone;
    return Along(P) < (Vertical ? Thumb.Top : Thumb.Left) ? sbpPage1 : sbpPage2;
}

TScrollBarLayout LayoutScrollBar(const TRect& B, bool Vertical, const TScrollBarData& D) {
    TScrollBarLayout L;
    L.Vertical = Vertical;
    L.Bounds = B;
    const int Length = Vertical ? B.Height() : B.Width();
    const int Thick = Vertical ? B.Width() : B.Height();
    // Arrows are square, and share a bar too short for two squares.
    const int Arrow = std::max(0, std::min(Thick, Length / 2));
    if (Vertical) {
        L.Arrow1 = Rect(B.Left, B.Top, B.Right, B.Top + Arrow);
        L.Arrow2 = Rect(B.Left, B.Bottom - Arrow, B.Right, B.Bottom);
        L.Track = Rect(B.Left, L.Arrow1.Bottom, B.Right, L.Arrow2.Top);
    } else {
        L.Arrow1 = Rect(B.Left, B.Top, B.Left + Arrow, B.Bottom);
        L.Arrow2 = Rect(B.Right - Arrow, B.Top, B.Right, B.Bottom);
        L.Track = Rect(L.Arrow1.Right, B.Top, L.Arrow2.Left, B.Bottom);
    }
    if (!D.CanScroll() || D.NoScrollDisabled || D.DisabledArrows == ESB_DISABLE_BOTH) return L;
    const int TrackLen = L.TrackLength();
    int ThumbLen = D.Page > 0 ? MulDiv(TrackLen, D.Page, D.Max - D.Min + 1) : Thick;
    ThumbLen = std::max(ThumbLen, MinThumb);
    if (ThumbLen >= TrackLen) return L; // no room for a thumb
    const int Span = D.MaxPos() - D.Min;
    const int P = std::clamp(D.Tracking ? D.TrackPos : D.Pos, D.Min, D.MaxPos());
    const int Start = L.TrackStart() + (Span > 0 ? MulDiv(P - D.Min, TrackLen - ThumbLen, Span) : 0);
    L.Thumb = Vertical ? Rect(B.Left, Start, B.Right, Start + ThumbLen)
                       : Rect(Start, B.Top, Start + ThumbLen, B.Bottom);
    return L;
}

int ScrollPosOfThumb(const TScrollBarLayout& L, const TScrollBarData& D, int ThumbStart) {
    const int Room = L.TrackLength() - L.ThumbLength();
    if (Room <= 0) return D.Min;
    const int Span = D.MaxPos() - D.Min;
    return D.Min + MulDiv(std::clamp(ThumbStart, 0, Room), Span, Room);
}

void PaintScrollBar(TCanvas* C, const TScrollBarLayout& L, const TScrollBarData& D, bool Enabled) {
    const bool Active = ScrollBarActive(D, Enabled);
    const Cardinal Kind1 = L.Vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT;
    const Cardinal Kind2 = L.Vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT;
    TRect R = L.Arrow1;
    DrawFrameControl(C, R, DFC_SCROLL,
                     Kind1 | (D.Pressed == sbpArrow1 ? DFCS_PUSHED : 0) |
                         (!Active || (D.DisabledArrows & ESB_DISABLE_LTUP) ? DFCS_INACTIVE : 0));
    R = L.Arrow2;
    DrawFrameControl(C, R, DFC_SCROLL,
                     Kind2 | (D.Pressed == sbpArrow2 ? DFCS_PUSHED : 0) |
                         (!Active || (D.DisabledArrows & ESB_DISABLE_RTDN) ? DFCS_INACTIVE : 0));
    if (IsRectEmpty(L.Track)) return;
    C->Brush()->SetBitmap(Dither(clBtnHighlight, clBtnFace));
    C->FillRect(L.Track);
    if (!IsRectEmpty(L.Thumb) && (D.Pressed == sbpPage1 || D.Pressed == sbpPage2)) {
        // The page area held down shows dark.
        TRect Page = L.Track;
        if (D.Pressed == sbpPage1)
            (L.Vertical ? Page.Bottom : Page.Right) = L.Vertical ? L.Thumb.Top : L.Thumb.Left;
        else
            (L.Vertical ? Page.Top : Page.Left) = L.Vertical ? L.Thumb.Bottom : L.Thumb.Right;
        C->Brush()->SetBitmap(Dither(cl3DDkShadow, clBtnShadow));
        C->FillRect(Page);
    }
    C->Brush()->SetBitmap(nullptr);
    C->Brush()->SetStyle(bsSolid);
    if (!IsRectEmpty(L.Thumb)) {
        R = L.Thumb;
        DrawFrameControl(C, R, DFC_BUTTON, DFCS_BUTTONPUSH);
    }
}

// ---- Tracking -------------------------------------------------------------------------------------

TScrollBarTracker::TScrollBarTracker(THost AHost) : FHost(std::move(AHost)) {}

TScrollBarTracker::~TScrollBarTracker() {
    // The window and its timer go, also when this runs inside the timer's own tick.
    if (FTimerWindow) DeallocateHWnd(FTimerWindow);
}

bool TScrollBarTracker::Start(const TPoint& P) {
    TScrollBarData* D = nullptr;
    TScrollBarLayout L;
    if (Active() || !FHost.Get(D, L)) return false;
    const TScrollBarPart Part = L.PartAt(P);
    if (Part == sbpNone) return false;
    if ((Part == sbpArrow1 && (D->DisabledArrows & ESB_DISABLE_LTUP)) ||
        (Part == sbpArrow2 && (D->DisabledArrows & ESB_DISABLE_RTDN)))
        return false;
    FPart = Part;
    FPoint = P;
    D->Pressed = Part;
    if (Part == sbpThumb) {
        FGrab = L.Along(P) - (L.Vertical ? L.Thumb.Top : L.Thumb.Left);
        D->Tracking = true;
        D->TrackPos = D->Pos;
        FHost.Invalidate();
        FHost.Scroll(SB_THUMBTRACK, D->TrackPos);
        return true;
    }
    FHost.Invalidate();
    if (!FTimerWindow) {
        FTimerWindow = AllocateHWnd([this](TMessage& Message) {
            if (Message.Msg != WM_TIMER) return;
            GuiBarrier(nullptr, [this] {
                SetTimer(FTimerWindow, 1, RepeatInterval);
                Step();
            });
        });
    }
    SetTimer(FTimerWindow, 1, RepeatDelay);
    Step();
    return true;
}

void TScrollBarTracker::Step() {
    TScrollBarData* D = nullptr;
    TScrollBarLayout L;
    if (!Active()) return;
    if (!FHost.Get(D, L)) {
        Cancel();
        return;
    }
    // An arrow repeats while the pointer is on it; a page area until the thumb reaches the pointer.
    if (L.PartAt(FPoint) != FPart) return;
    static const int Codes[] = {0, SB_LINEUP, SB_PAGEUP, 0, SB_PAGEDOWN, SB_LINEDOWN};
    FHost.Scroll(Codes[FPart], 0);
}

void TScrollBarTracker::Move(const TPoint& P) {
    if (!Active()) return;
    FPoint = P;
    TScrollBarData* D = nullptr;
    TScrollBarLayout L;
    if (!FHost.Get(D, L)) {
        Cancel();
        return;
    }
    if (FPart == sbpThumb) {
        const int Pos = ScrollPosOfThumb(L, *D, L.Along(P) - FGrab - L.TrackStart());
        if (Pos == D->TrackPos) return;
        D->TrackPos = Pos;
        FHost.Invalidate();
        FHost.Scroll(SB_THUMBTRACK, Pos);
        return;
    }
    const int Shown = L.PartAt(P) == FPart ? FPart : sbpNone;
    if (D->Pressed != Shown) {
        D->Pressed = Shown;
        FHost.Invalidate();
    }
}

void TScrollBarTracker::Release() {
    Finish(true);
}

void TScrollBarTracker::Cancel() {
    Finish(false);
}

void TScrollBarTracker::Finish(bool Final) {
    if (!Active()) return;
    const TScrollBarPart Part = FPart;
    FPart = sbpNone;
    if (FTimerWindow) KillTimer(FTimerWindow, 1);
    TScrollBarData* D = nullptr;
    TScrollBarLayout L;
    if (!FHost.Get(D, L)) return;
    // The final position goes out while the track position still counts.
    if (Part == sbpThumb && Final) {
        FHost.Scroll(SB_THUMBPOSITION, D->TrackPos);
        if (!FHost.Get(D, L)) return;
    }
    D->Tracking = false;
    D->Pressed = sbpNone;
    FHost.Invalidate();
    FHost.Scroll(SB_ENDSCROLL, 0);
}

// ---- Window bars ----------------------------------------------------------------------------------

TPoint WindowScrollBarSpace(const TWinControl* Control, Cardinal Style) {
    TWindowPrivate* W = Control->WindowPrivate();
    if (W && !W->ScrollBars) {
        auto S = std::make_shared<TWindowScrollBars>();
        S->Bars[SB_HORZ].Visible = Style & WS_HSCROLL;
        S->Bars[SB_VERT].Visible = Style & WS_VSCROLL;
        W->ScrollBars = std::move(S);
    }
    const bool H = W ? W->ScrollBars->Bars[SB_HORZ].Visible : (Style & WS_HSCROLL) != 0;
    const bool V = W ? W->ScrollBars->Bars[SB_VERT].Visible : (Style & WS_VSCROLL) != 0;
    return {V ? GetSystemMetrics(SM_CXVSCROLL) : 0, H ? GetSystemMetrics(SM_CYHSCROLL) : 0};
}

void PaintWindowScrollBars(TWinControl* Control) {
    TWindowPrivate* W = Control->WindowPrivate();
    if (!W || !W->ScrollBars || W->Buffer.isNull()) return;
    const TRect H = WindowBarRect(Control, SB_HORZ), V = WindowBarRect(Control, SB_VERT);
    if (IsRectEmpty(H) && IsRectEmpty(V)) return;
    TCanvas Canvas;
    BindCanvas(&Canvas, &W->Buffer);
    TScopeExit Release([&] { ReleaseCanvas(&Canvas); });
    for (int Bar : {SB_HORZ, SB_VERT}) {
        const TRect R = Bar == SB_VERT ? V : H;
        if (IsRectEmpty(R)) continue;
        PaintScrollBar(&Canvas, LayoutScrollBar(R, Bar == SB_VERT, W->ScrollBars->Bars[Bar]),
                       W->ScrollBars->Bars[Bar], Control->Enabled());
    }
    if (!IsRectEmpty(H) && !IsRectEmpty(V)) {
        // The corner between two bars.
        Canvas.Brush()->SetColor(clBtnFace);
        Canvas.FillRect(Rect(V.Left, H.Top, V.Right, H.Bottom));
    }
}

int WindowScrollBarHitTest(TWinControl* Control, const TPoint& WindowPoint) {
    if (PtInRect(WindowBarRect(Control, SB_VERT), WindowPoint)) return HTVSCROLL;
    if (PtInRect(WindowBarRect(Control, SB_HORZ), WindowPoint)) return HTHSCROLL;
    return HTNOWHERE;
}

namespace {

struct TWindowTracking {
    HWND Wnd = 0;
    int Bar = SB_VERT;
    std::unique_ptr<TScrollBarTracker> Tracker;
};
TWindowTracking GTracking;

TPoint WindowPointOf(TWinControl* C, const TPoint& Screen) {
    const TPoint Origin = C->ClientOrigin();
    const TRect& M = C->WindowPrivate()->Margins;
    return {Screen.X - Origin.X + M.Left, Screen.Y - Origin.Y + M.Top};
}

} // namespace

void StartWindowScrollBarTracking(TWinControl* Control, int HitTest, const TPoint& Screen) {
    if (GTracking.Tracker || !Control->HandleAllocated() || !Control->Enabled()) return;
    const int Bar = HitTest == HTVSCROLL ? SB_VERT : SB_HORZ;
    const HWND Wnd = Control->WindowHandle();
    TScrollBarTracker::THost Host;
    Host.Get = [Wnd, Bar](TScrollBarData*& D, TScrollBarLayout& L) {
        TWinControl* C = nullptr;
        D = BarOf(Wnd, Bar, &C);
        if (!D || !D->Visible) return false;
        L = LayoutScrollBar(WindowBarRect(C, Bar), Bar == SB_VERT, *D);
        return true;
    };
    Host.Scroll = [Wnd, Bar](int Code, int Pos) {
        SendMessage(Wnd, Bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(Code, Pos), 0);
    };
    Host.Invalidate = [Wnd, Bar] {
        if (TWinControl* C = FindControl(Wnd)) InvalidateBar(C, Bar);
    };
    auto Tracker = std::make_unique<TScrollBarTracker>(std::move(Host));
    TScrollBarData* D = BarOf(Wnd, Bar);
    if (!D || !ScrollBarActive(*D, true)) return;
    GTracking.Wnd = Wnd;
    GTracking.Bar = Bar;
    GTracking.Tracker = std::move(Tracker);
    if (!GTracking.Tracker->Start(WindowPointOf(Control, Screen))) GTracking.Tracker.reset();
}

bool WindowScrollBarTracking() {
    return GTracking.Tracker != nullptr;
}

bool WindowScrollBarMouse(int Type, const TPoint& Screen) {
    if (!GTracking.Tracker) return false;
    TWinControl* C = FindControl(GTracking.Wnd);
    if (!C || !GTracking.Tracker->Active()) {
        auto Done = std::move(GTracking.Tracker);
        if (Done) Done->Cancel();
        return false;
    }
    if (Type == 0) {
        GTracking.Tracker->Move(WindowPointOf(C, Screen));
        return true;
    }
    GTracking.Tracker->Move(WindowPointOf(C, Screen));
    // The tracker leaves before its last messages run, so that their handlers see it gone.
    auto Done = std::move(GTracking.Tracker);
    Done->Release();
    return true;
}

void TWindowPrivate::ScrollBarsChanged() {
    Control->NonClientChanged();
    const TRect C = Control->ClientRect();
    Control->Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(C.Width(), C.Height()));
}

// ---- The calls ------------------------------------------------------------------------------------

namespace {

void ShowBar(TScrollBarData& D, bool Show, bool& Changed) {
    if (D.Visible == Show) return;
    D.Visible = Show;
    Changed = true;
}

void Finish(TWinControl* C, int Bar, bool FrameChanged, bool Redraw) {
    if (FrameChanged)
        C->WindowPrivate()->ScrollBarsChanged();
    else if (Redraw)
        InvalidateBar(C, Bar);
}

} // namespace

int SetScrollInfo(HWND Wnd, int Bar, const TScrollInfo& Info, bool Redraw) {
    if (Bar == SB_CTL) {
        TScrollBar* S = ScrollBarControl(Wnd);
        if (!S) return 0;
        return S->ApplyScrollInfo(Info);
    }
    TWinControl* C = nullptr;
    TScrollBarData* D = BarOf(Wnd, Bar, &C);
    if (!D) return 0;
    const TScrollBarData Old = *D;
    if (Info.fMask & SIF_RANGE) {
        D->Min = Info.nMin;
        D->Max = std::max(Info.nMin, Info.nMax);
    }
    if (Info.fMask & SIF_PAGE) D->Page = static_cast<int>(std::min<UINT>(Info.nPage, INT32_MAX));
    D->Page = std::clamp(D->Page, 0, D->Max - D->Min + 1);
    if (Info.fMask & SIF_POS) D->Pos = Info.nPos;
    D->Pos = D->Clamp(D->Pos);
    bool FrameChanged = false;
    if (Info.fMask & (SIF_RANGE | SIF_PAGE)) {
        if (D->CanScroll()) {
            ShowBar(*D, true, FrameChanged);
            D->NoScrollDisabled = false;
        } else if (Info.fMask & SIF_DISABLENOSCROLL) {
            D->NoScrollDisabled = D->Visible;
        } else {
            ShowBar(*D, false, FrameChanged);
        }
    }
    const bool Changed = Old.Min != D->Min || Old.Max != D->Max || Old.Page != D->Page || Old.Pos != D->Pos ||
                         Old.NoScrollDisabled != D->NoScrollDisabled;
    const int Pos = D->Pos;
    Finish(C, Bar, FrameChanged, Redraw && Changed);
    return Pos;
}

bool GetScrollInfo(HWND Wnd, int Bar, TScrollInfo& Info) {
    if (Bar == SB_CTL) {
        TScrollBar* S = ScrollBarControl(Wnd);
        if (!S) return false;
        S->FillScrollInfo(Info);
        return true;
    }
    TScrollBarData* D = BarOf(Wnd, Bar);
    if (!D) return false;
    if (Info.fMask & SIF_RANGE) {
        Info.nMin = D->Min;
        Info.nMax = D->Max;
    }
    if (Info.fMask & SIF_PAGE) Info.nPage = static_cast<UINT>(D->Page);
    if (Info.fMask & SIF_POS) Info.nPos = D->Pos;
    if (Info.fMask & SIF_TRACKPOS) Info.nTrackPos = D->Tracking ? D->TrackPos : D->Pos;
    return true;
}

int SetScrollPos(HWND Wnd, int Bar, int Pos, bool Redraw) {
    TScrollInfo Info;
    Info.fMask = SIF_POS;
    if (!GetScrollInfo(Wnd, Bar, Info)) return 0;
    const int Old = Info.nPos;
    Info.nPos = Pos;
    SetScrollInfo(Wnd, Bar, Info, Redraw);
    return Old;
}

int GetScrollPos(HWND Wnd, int Bar) {
    TScrollInfo Info;
    Info.fMask = SIF_POS;
    return GetScrollInfo(Wnd, Bar, Info) ? Info.nPos : 0;
}

bool SetScrollRange(HWND Wnd, int Bar, int Min, int Max, bool Redraw) {
    TScrollInfo Info;
    Info.fMask = SIF_RANGE;
    Info.nMin = Min;
    Info.nMax = Max;
    if (Bar == SB_CTL ? !ScrollBarControl(Wnd) : !BarOf(Wnd, Bar)) return false;
    SetScrollInfo(Wnd, Bar, Info, Redraw);
    return true;
}

bool GetScrollRange(HWND Wnd, int Bar, int& Min, int& Max) {
    TScrollInfo Info;
    Info.fMask = SIF_RANGE;
    if (!GetScrollInfo(Wnd, Bar, Info)) return false;
    Min = Info.nMin;
    Max = Info.nMax;
    return true;
}

bool ShowScrollBar(HWND Wnd, int Bar, bool Show) {
    if (Bar == SB_CTL) {
        TScrollBar* S = ScrollBarControl(Wnd);
        if (!S) return false;
        S->SetVisible(Show);
        return true;
    }
    TWinControl* C = FindControl(Wnd);
    TWindowScrollBars* S = BarsOf(C);
    if (!S) return false;
    bool Changed = false;
    for (int B : {SB_HORZ, SB_VERT})
        if (Bar == B || Bar == SB_BOTH) ShowBar(S->Bars[B], Show, Changed);
    if (Changed) C->WindowPrivate()->ScrollBarsChanged();
    return true;
}

bool EnableScrollBar(HWND Wnd, int Bar, UINT Arrows) {
    Arrows &= ESB_DISABLE_BOTH;
    if (Bar == SB_CTL) {
        TScrollBar* S = ScrollBarControl(Wnd);
        if (!S) return false;
        return S->ApplyDisabledArrows(Arrows);
    }
    TWinControl* C = FindControl(Wnd);
    TWindowScrollBars* S = BarsOf(C);
    if (!S) return false;
    bool Changed = false;
    for (int B : {SB_HORZ, SB_VERT}) {
        if (Bar != B && Bar != SB_BOTH) continue;
        if (S->Bars[B].DisabledArrows == Arrows) continue;
        S->Bars[B].DisabledArrows = Arrows;
        Changed = true;
        InvalidateBar(C, B);
    }
    return Changed;
}

// ---- TScrollBar -----------------------------------------------------------------------------------

TScrollBar::TScrollBar(TComponent* AOwner)
    : TCustomControl(AOwner), FData(std::make_unique<TScrollBarData>()) {
    FData->Visible = true;
    // A quick second press is a press.
    FControlStyle.Exclude(csDoubleClicks);
    SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
    SetTabStop(true);
}

TScrollBar::~TScrollBar() {
    FTracker.reset();
}

void TScrollBar::Published(TPublisher<TScrollBar>& P) {
    P.Property(u"Kind", &TScrollBar::Kind, &TScrollBar::SetKind).Default(sbHorizontal);
    P.Property(u"LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange).Default(1);
    P.Property(u"Max", &TScrollBar::Max, &TScrollBar::SetMax).Default(100);
    P.Property(u"Min", &TScrollBar::Min, &TScrollBar::SetMin).Default(0);
    P.Property(u"PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize).Default(0);
    P.Property(u"Position", &TScrollBar::Position, &TScrollBar::SetPosition).Default(0);
    P.Property(u"SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange).Default(1);
    P.Property(u"OnChange", &TScrollBar::OnChange);
    P.Property(u"OnScroll", &TScrollBar::OnScroll);
}

int TScrollBar::Min() const {
    return FData->Min;
}

int TScrollBar::Max() const {
    return FData->Max;
}

int TScrollBar::Position() const {
    return FData->Pos;
}

int TScrollBar::PageSize() const {
    return FData->Page;
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
    if (AMax < AMin) throw EInvalidOperation(u"Scroll bar property out of range");
    FData->Min = AMin;
    FData->Max = AMax;
    FData->Page = std::clamp(FData->Page, 0, AMax - AMin + 1);
    const int NewPos = FData->Clamp(APosition);
    const bool Moved = NewPos != FData->Pos;
    FData->Pos = NewPos;
    Invalidate();
    if (Moved) Change();
}

void TScrollBar::SetPageSize(int Value) {
    Value = std::clamp(Value, 0, FData->Max - FData->Min + 1);
    if (Value == FData->Page) return;
    FData->Page = Value;
    SetParams(FData->Pos, FData->Min, FData->Max);
    Invalidate();
}

void TScrollBar::SetKind(TScrollBarKind Value) {
    if (FKind == Value) return;
    FKind = Value;
    if (!ComponentState().Contains(csLoading)) SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

void TScrollBar::Change() {
    if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, int& ScrollPos) {
    if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}

void TScrollBar::SendScroll(int Code, int Pos) {
    Perform(FKind == sbHorizontal ? CN_HSCROLL : CN_VSCROLL, MAKEWPARAM(Code, Pos),
            static_cast<LPARAM>(WindowHandle()));
}

void TScrollBar::CNScroll(TWMScroll& Message) {
    const int Code = Message.ScrollCode();
    int NewPos = FData->Pos;
    switch (Code) {
    case SB_LINEUP:
        NewPos -= FSmallChange;
        break;
    case SB_LINEDOWN:
        NewPos += FSmallChange;
        break;
    case SB_PAGEUP:
        NewPos -= FLargeChange;
        break;
    case SB_PAGEDOWN:
        NewPos += FLargeChange;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        // The whole position, not the message's 16 bits.
        NewPos = FData->Tracking ? FData->TrackPos : FData->Pos;
        break;
    case SB_TOP:
        NewPos = FData->Min;
        break;
    case SB_BOTTOM:
        NewPos = FData->Max;
        break;
    default:
        break;
    }
    NewPos = FData->Clamp(NewPos);
    Scroll(static_cast<TScrollCode>(std::min(Code, static_cast<int>(scEndScroll))), NewPos);
    SetPosition(NewPos);
    Message.Result = 0;
}

void TScrollBar::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_HSCROLL || Message.Msg == CN_VSCROLL)
        return Crack(Message, this, &TScrollBar::CNScroll);
    TCustomControl::Dispatch(Message);
}

void TScrollBar::Paint() {
    PaintScrollBar(Canvas(), LayoutScrollBar(ClientRect(), FKind == sbVertical, *FData), *FData, Enabled());
    if (Focused()) {
        TRect Thumb = LayoutScrollBar(ClientRect(), FKind == sbVertical, *FData).Thumb;
        if (!IsRectEmpty(Thumb)) {
            InflateRect(Thumb, -3, -3);
            Canvas()->DrawFocusRect(Thumb);
        }
    }
}

void TScrollBar::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_WANTARROWS;
}

namespace {

int ScrollCodeOfKey(Word Key) {
    switch (Key) {
    case VK_UP:
    case VK_LEFT:
        return SB_LINEUP;
    case VK_DOWN:
    case VK_RIGHT:
        return SB_LINEDOWN;
    case VK_PRIOR:
        return SB_PAGEUP;
    case VK_NEXT:
        return SB_PAGEDOWN;
    case VK_HOME:
        return SB_TOP;
    case VK_END:
        return SB_BOTTOM;
    default:
        return -1;
    }
}

} // namespace

void TScrollBar::WMKeyDown(TWMKeyDown& Message) {
    if (DoKeyDown(Message)) return;
    const int Code = ScrollCodeOfKey(Message.CharCode());
    if (Code < 0 || !Enabled()) return DefaultHandler(Message);
    SendScroll(Code, FData->Pos);
}

void TScrollBar::WMKeyUp(TWMKeyUp& Message) {
    if (DoKeyUp(Message)) return;
    // The key's release ends the scrolling, as the mouse button's does.
    if (ScrollCodeOfKey(Message.CharCode()) >= 0 && Enabled()) {
        SendScroll(SB_ENDSCROLL, FData->Pos);
        return;
    }
    DefaultHandler(Message);
}

void TScrollBar::WMLButtonDown(TWMMouse& Message) {
    if (TabStop() && CanFocus() && !Focused()) SetFocus();
    if (!FTracker) {
        TScrollBarTracker::THost Host;
        Host.Get = [this](TScrollBarData*& D, TScrollBarLayout& L) {
            D = FData.get();
            L = LayoutScrollBar(ClientRect(), FKind == sbVertical, *FData);
            return true;
        };
        Host.Scroll = [this](int Code, int Pos) { SendScroll(Code, Pos); };
        Host.Invalidate = [this] { Invalidate(); };
        FTracker = std::make_unique<TScrollBarTracker>(std::move(Host));
    }
    if (ScrollBarActive(*FData, Enabled())) FTracker->Start(Message.Pos());
    TCustomControl::WMLButtonDown(Message);
}

void TScrollBar::WMMouseMove(TWMMouse& Message) {
    if (FTracker && FTracker->Active()) FTracker->Move(Message.Pos());
    TCustomControl::WMMouseMove(Message);
}

void TScrollBar::WMLButtonUp(TWMMouse& Message) {
    if (FTracker && FTracker->Active()) {
        FTracker->Move(Message.Pos());
        FTracker->Release();
    }
    TCustomControl::WMLButtonUp(Message);
}

void TScrollBar::WMCancelMode(TWMCancelMode& Message) {
    if (FTracker) FTracker->Cancel();
    TCustomControl::WMCancelMode(Message);
}

int TScrollBar::ApplyScrollInfo(const TScrollInfo& Info) {
    if (Info.fMask & SIF_RANGE) SetParams(FData->Pos, Info.nMin, std::max(Info.nMin, Info.nMax));
    if (Info.fMask & SIF_PAGE) SetPageSize(static_cast<int>(std::min<UINT>(Info.nPage, INT32_MAX)));
    if (Info.fMask & SIF_POS) SetPosition(Info.nPos);
    return FData->Pos;
}

void TScrollBar::FillScrollInfo(TScrollInfo& Info) const {
    if (Info.fMask & SIF_RANGE) {
        Info.nMin = FData->Min;
        Info.nMax = FData->Max;
    }
    if (Info.fMask & SIF_PAGE) Info.nPage = static_cast<UINT>(FData->Page);
    if (Info.fMask & SIF_POS) Info.nPos = FData->Pos;
    if (Info.fMask & SIF_TRACKPOS) Info.nTrackPos = FData->Tracking ? FData->TrackPos : FData->Pos;
}

bool TScrollBar::ApplyDisabledArrows(UINT Arrows) {
    if (FData->DisabledArrows == Arrows) return false;
    FData->DisabledArrows = Arrows;
    Invalidate();
    return true;
}
