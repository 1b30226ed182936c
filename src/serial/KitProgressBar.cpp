#include "serial/KitProgressBar.h"

#include "platform/base/Math.h"
#include "platform/gui/Messages.h"
#include "settings/UtilConvert.h"

#include <cmath>

// ---- TKitBaseProgressBar -----------------------------------------------------------------------

TKitBaseProgressBar::TKitBaseProgressBar(TComponent* AOwner) : TGraphicControl(AOwner) {
    FControlStyle.Include(csOpaque);
    SetBounds(0, 0, 150, GetSystemMetrics(SM_CYVSCROLL));
}

void TKitBaseProgressBar::SetBlockSize(int Value) {
    Value = std::max(1, Value);
    if (Value == FBlockSize) return;
    FBlockSize = Value;
    Invalidate();
}

void TKitBaseProgressBar::SetSmooth(bool Value) {
    if (Value == FSmooth) return;
    FSmooth = Value;
    Invalidate();
}

void TKitBaseProgressBar::SetPosition(int Value) {
    Value = std::clamp(Value, FMin, std::max(FMin, FMax));
    if (Value == FPosition) return;
    FPosition = Value;
    Change();
    Invalidate();
}

void TKitBaseProgressBar::SetMin(int Value) {
    Value = std::min(Value, FMax);
    if (Value == FMin) return;
    FMin = Value;
    if (FPosition < FMin) FPosition = FMin;
    Change();
    Invalidate();
}

void TKitBaseProgressBar::SetMax(int Value) {
    Value = std::max(Value, FMin);
    if (Value == FMax) return;
    FMax = Value;
    if (FPosition > FMax) FPosition = FMax;
    Change();
    Invalidate();
}

void TKitBaseProgressBar::SetOrientation(TKitProgressBarOrientation Value) {
    if (Value == FOrientation) return;
    FOrientation = Value;
    if (!ComponentState().Contains(csLoading)) SetBounds(Left(), Top(), Width(), Height());
    Invalidate();
}

void TKitBaseProgressBar::SetBarColor(TColor Value) {
    if (Value == FBarColor) return;
    FBarColor = Value;
    Invalidate();
}

void TKitBaseProgressBar::StepIt() {
    StepBy(FSteps);
}

void TKitBaseProgressBar::StepBy(int Delta) {
    const Int64 P = Int64(FPosition) + Delta;
    SetPosition(static_cast<int>(std::clamp<Int64>(P, FMin, FMax)));
}

void TKitBaseProgressBar::Change() {
    if (OnChange) OnChange(this);
}

int TKitBaseProgressBar::GetMaxBarSize() const {
    return FOrientation == pbHorizontal ? Width() : Height();
}

void TKitBaseProgressBar::Paint() {
    if (FMax - FMin < 1 || Width() <= 0 || Height() <= 0) return;
    const int Extent = static_cast<int>(Round(double(GetMaxBarSize()) * (Int64(FPosition) - FMin) /
                                              (Int64(FMax) - FMin)));
    DrawBar(Canvas(), Extent);
}

void TKitBaseProgressBar::DrawBar(TCanvas* C, int Extent) {
    TRect R = ClientRect();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    C->FillRect(R);
    TRect Edge = R;
    DrawEdge(C, Edge, BDR_SUNKENOUTER, BF_RECT);
    if (Extent <= 0) return;
    C->Brush()->SetColor(FBarColor);
    const int W = R.Width();
    if (FOrientation == pbHorizontal) {
        if (FSmooth) {
            TRect Bar = Rect(R.Left + 1, R.Top + 1, std::min(R.Left + Extent - 1, W - 2), R.Bottom - 1);
            if (Bar.Right > Bar.Left) C->FillRect(Bar);
            return;
        }
        for (int X = R.Left + 2; X < R.Left + 2 + Extent && X < W - 3; X += FSteps + 2) {
            const int Right = std::min({X + FSteps, R.Left + 2 + Extent, W - 3});
            C->FillRect(Rect(X, R.Top + 2, Right, R.Bottom - 2));
        }
    } else {
        if (FSmooth) {
            TRect Bar = Rect(R.Left + 1, std::max(2, R.Bottom - 1 - Extent), R.Right - 1, R.Bottom - 1);
            if (Bar.Bottom > Bar.Top) C->FillRect(Bar);
            return;
        }
        for (int Y = R.Bottom - 2; Y > R.Bottom - 2 - Extent && Y > 3; Y -= FSteps + 2) {
            const int Top = std::max({Y - FSteps, R.Bottom - 2 - Extent, 3});
            C->FillRect(Rect(R.Left + 2, Top, R.Right - 2, Y));
        }
    }
}

void TKitBaseProgressBar::Published(TPublisher<TKitBaseProgressBar>& P) {
    using C = TKitBaseProgressBar;
    P.Property(u"BarColor", &C::BarColor, &C::SetBarColor).Default(clHighlight);
    P.Property(u"BlockSize", &C::BlockSize, &C::SetBlockSize).Default(10);
    P.Property(u"Max", &C::Max, &C::SetMax).Default(100);
    P.Property(u"Min", &C::Min, &C::SetMin).Default(0);
    P.Property(u"Orientation", &C::Orientation, &C::SetOrientation).Default(pbHorizontal);
    P.Property(u"Position", &C::Position, &C::SetPosition).Default(0);
    P.Property(u"Smooth", &C::Smooth, &C::SetSmooth).Default(false);
    P.Property(u"Steps", &C::Steps, &C::SetSteps).Default(10);
    P.Property(u"OnChange", &C::OnChange);
}

// ---- Gradient bars ------------------------------------------------------------------------------

void TKitBaseGradientProgressBar::SetBarColorFrom(TColor Value) {
    if (Value == FBarColorFrom) return;
    FBarColorFrom = Value;
    Invalidate();
}

void TKitBaseGradientProgressBar::SetBarColorTo(TColor Value) {
    if (Value == FBarColorTo) return;
    FBarColorTo = Value;
    Invalidate();
}

TKitCustomGradientProgressBar::TKitCustomGradientProgressBar(TComponent* AOwner)
    : TKitBaseGradientProgressBar(AOwner) {
    FBarColorFrom = clWhite;
    FBarColorTo = clBlack;
    FBlockSize = 6;
}

void TKitCustomGradientProgressBar::DrawBar(TCanvas* C, int Extent) {
    TRect Client = ClientRect();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    C->FillRect(Client);
    TRect Edge = Client;
    DrawEdge(C, Edge, BDR_SUNKENOUTER, BF_RECT);
    TRect R = Client;
    InflateRect(R, -1, -1);
    const bool Horizontal = FOrientation == pbHorizontal;
    if (Horizontal) {
        R.Right = std::min(Extent, Client.Width() - 2);
        if (R.Right <= R.Left) return;
        FillGradientBands(C, R, FBarColorFrom, FBarColorTo, gbLeftToRight, 255);
    } else {
        R.Top = std::max(R.Bottom - Extent, 2);
        if (R.Bottom <= R.Top) return;
        FillGradientBands(C, R, FBarColorFrom, FBarColorTo, gbBottomToTop, 255);
    }
    if (FSmooth || FPosition <= 0) return;
    // A step of nothing (a bar too short for its block size) would draw the same line for ever.
    const double Step = (double(GetMaxBarSize()) * FBlockSize - 4) / 100;
    if (Step <= 0) return;
    TRect Inner = Client;
    InflateRect(Inner, -2, -2);
    C->Pen()->SetStyle(psSolid);
    C->Pen()->SetWidth(1);
    C->Pen()->SetColor(Color());
    if (Horizontal) {
        for (int K = 0;; ++K) {
            const int X = Inner.Left + static_cast<int>(Round(K * Step));
            if (X >= R.Right || X >= Inner.Right) break;
            C->MoveTo(X, Inner.Top);
            C->LineTo(X, Inner.Bottom);
        }
    } else {
        for (int K = 0;; ++K) {
            const int Y = Inner.Bottom - 1 - static_cast<int>(Round(K * Step));
            if (Y < R.Top || Y < Inner.Top) break;
            C->MoveTo(Inner.Left, Y);
            C->LineTo(Inner.Right, Y);
        }
    }
}

void TKitGradientProgressBar::Published(TPublisher<TKitGradientProgressBar>& P) {
    using C = TKitGradientProgressBar;
    P.Property(u"BarColorFrom", &C::BarColorFrom, &C::SetBarColorFrom).Default(clWhite);
    P.Property(u"BarColorTo", &C::BarColorTo, &C::SetBarColorTo).Default(clBlack);
}
