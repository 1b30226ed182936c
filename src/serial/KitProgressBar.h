#pragma once
// Progress bars drawn by the program itself: a base bar in one colour (smooth or in blocks) and
// a bar filled with a colour gradient, which the terminal's channels show their values with.

#include "platform/gui/ComCtrls.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"

// The same two orientations as the standard progress bar's.
using TKitProgressBarOrientation = TProgressBarOrientation;

class TKitBaseProgressBar : public TGraphicControl {
    DECLARE_CLASS(TKitBaseProgressBar, TGraphicControl)
public:
    explicit TKitBaseProgressBar(TComponent* AOwner);

    int BlockSize() const { return FBlockSize; }
    // At least 1.
    void SetBlockSize(int Value);
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool Value);
    int Position() const { return FPosition; }
    // Kept within Min..Max.
    void SetPosition(int Value);
    int Min() const { return FMin; }
    // Not above Max; a position below it is raised to it.
    void SetMin(int Value);
    int Max() const { return FMax; }
    // Not below Min; a position above it is lowered to it.
    void SetMax(int Value);
    TKitProgressBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TKitProgressBarOrientation Value);
    TColor BarColor() const { return FBarColor; }
    void SetBarColor(TColor Value);
    int Steps() const { return FSteps; }
    // At least 1; no repaint.
    void SetSteps(int Value) { FSteps = std::max(1, Value); }

    virtual void StepIt();
    // Position + Delta, or the nearer end of the range when that lies outside it.
    virtual void StepBy(int Delta);

    TNotifyEvent OnChange;

protected:
    void Paint() override;
    // Draws the bar of Extent pixels on Canvas.
    virtual void DrawBar(TCanvas* Canvas, int Extent);
    // The width of a horizontal bar, the height of a vertical one.
    virtual int GetMaxBarSize() const;
    virtual void Change();

    int FBlockSize = 10;
    bool FSmooth = false;
    int FPosition = 0;
    int FMin = 0;
    int FMax = 100;
    TKitProgressBarOrientation FOrientation = pbHorizontal;
    TColor FBarColor = clHighlight;
    int FSteps = 10;

private:
    static void Published(TPublisher<TKitBaseProgressBar>& P);
};

class TKitBaseGradientProgressBar : public TKitBaseProgressBar {
    DECLARE_CLASS(TKitBaseGradientProgressBar, TKitBaseProgressBar)
public:
    using TKitBaseProgressBar::TKitBaseProgressBar;

    TColor BarColorFrom() const { return FBarColorFrom; }
    void SetBarColorFrom(TColor Value);
    TColor BarColorTo() const { return FBarColorTo; }
    void SetBarColorTo(TColor Value);

protected:
    TColor FBarColorFrom = clHighlight;
    TColor FBarColorTo = clHighlight;
};

// The gradient runs from BarColorFrom at the bar's start (left, or bottom) to BarColorTo; unless
// Smooth, separators in the control's colour cut it into blocks.
class TKitCustomGradientProgressBar : public TKitBaseGradientProgressBar {
    DECLARE_CLASS(TKitCustomGradientProgressBar, TKitBaseGradientProgressBar)
public:
    explicit TKitCustomGradientProgressBar(TComponent* AOwner);

protected:
    void DrawBar(TCanvas* Canvas, int Extent) override;
};

class TKitGradientProgressBar : public TKitCustomGradientProgressBar {
    DECLARE_CLASS(TKitGradientProgressBar, TKitCustomGradientProgressBar)
public:
    using TKitCustomGradientProgressBar::TKitCustomGradientProgressBar;

private:
    static void Published(TPublisher<TKitGradientProgressBar>& P);
};
