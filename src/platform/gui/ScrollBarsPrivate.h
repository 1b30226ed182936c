#pragma once
// Internal to the GUI layer: what window scroll bars and the scroll bar control share (values,
// layout, painting, mouse tracking), and the hooks the core's non-client handling calls.

#include "platform/gui/Controls.h"
#include "platform/gui/ScrollBars.h"

#include <algorithm>
#include <functional>
#include <memory>

// The values of one bar.
struct TScrollBarData {
    int Min = 0;
    int Max = 100;
    int Page = 0;
    int Pos = 0;
    int TrackPos = 0;
    bool Tracking = false;         // the thumb is being dragged (TrackPos counts)
    bool Visible = false;          // window bars only
    bool NoScrollDisabled = false; // disabled by SIF_DISABLENOSCROLL
    UINT DisabledArrows = 0;       // ESB_* bits
    int Pressed = 0;               // the TScrollBarPart held down (drawn pushed)

    // The highest position the thumb can reach.
    int MaxPos() const { return std::max(Min, Max - std::max(Page - 1, 0)); }
    // Something to scroll: a range longer than the page.
    bool CanScroll() const { return Max > Min && (Page == 0 || Page <= Max - Min); }
    int Clamp(int P) const { return std::clamp(P, Min, MaxPos()); }
};

enum TScrollBarPart : int { sbpNone, sbpArrow1, sbpPage1, sbpThumb, sbpPage2, sbpArrow2 };

// Where the parts of a bar lie inside its rectangle.
struct TScrollBarLayout {
    bool Vertical = true;
    TRect Bounds;
    TRect Arrow1; // up or left
    TRect Arrow2; // down or right
    TRect Track;  // between the arrows
    TRect Thumb;  // empty when there is none
    TScrollBarPart PartAt(const TPoint& P) const;
    // The coordinate along the bar.
    int Along(const TPoint& P) const { return Vertical ? P.Y : P.X; }
    int TrackStart() const { return Vertical ? Track.Top : Track.Left; }
    int TrackLength() const { return Vertical ? Track.Height() : Track.Width(); }
    int ThumbLength() const { return Vertical ? Thumb.Height() : Thumb.Width(); }
};

// Whether a bar takes input: enabled, and its values leave something to scroll.
bool ScrollBarActive(const TScrollBarData& Data, bool WindowEnabled);
TScrollBarLayout LayoutScrollBar(const TRect& Bounds, bool Vertical, const TScrollBarData& Data);
// The position of a thumb whose leading edge is ThumbStart pixels into the track.
int ScrollPosOfThumb(const TScrollBarLayout& Layout, const TScrollBarData& Data, int ThumbStart);
// Classic look: arrow buttons, a dithered track, a raised thumb; disabled parts greyed.
void PaintScrollBar(TCanvas* Canvas, const TScrollBarLayout& Layout, const TScrollBarData& Data,
                    bool Enabled);

// Follows the mouse on a bar from a button press to its release: sends the scroll codes, repeats
// arrows and pages while held, drags the thumb (TrackPos).
class TScrollBarTracker {
public:
    struct THost {
        // The bar's values and layout now; false when the bar or its window is gone.
        std::function<bool(TScrollBarData*& Data, TScrollBarLayout& Layout)> Get;
        // Tells the window: WM_xSCROLL or the control's own handling.
        std::function<void(int Code, int Pos)> Scroll;
        std::function<void()> Invalidate;
    };
    explicit TScrollBarTracker(THost AHost);
    ~TScrollBarTracker();
    TScrollBarTracker(const TScrollBarTracker&) = delete;
    TScrollBarTracker& operator=(const TScrollBarTracker&) = delete;

    // P in the layout's coordinates; false when nothing there takes the press.
    bool Start(const TPoint& P);
    void Move(const TPoint& P);
    void Release();
    // Ends without a final position (capture lost, window gone).
    void Cancel();
    bool Active() const { return FPart != sbpNone; }

private:
    THost FHost;
    TScrollBarPart FPart = sbpNone;
    TPoint FPoint;
    int FGrab = 0;         // pointer offset inside the thumb
    HWND FTimerWindow = 0; // a hidden window for the repeat timer

    void Step();
    void Finish(bool Final);
};

// ---- Window bars: the hooks of the core ----------------------------------------------------------

// The room the window's bars take now (X: the vertical bar's width, Y: the horizontal bar's
// height); from Style until the window has bar values of its own.
TPoint WindowScrollBarSpace(const TWinControl* Control, Cardinal Style);
// Paints the shown bars into the window's picture (inside its WM_NCPAINT).
void PaintWindowScrollBars(TWinControl* Control);
// HTVSCROLL, HTHSCROLL, or HTNOWHERE for a point in window coordinates.
int WindowScrollBarHitTest(TWinControl* Control, const TPoint& WindowPoint);
// WM_NCLBUTTONDOWN on a bar (Screen: the pointer): starts following the mouse.
void StartWindowScrollBarTracking(TWinControl* Control, int HitTest, const TPoint& Screen);
// While a window bar follows the mouse the event translation hands it the mouse.
bool WindowScrollBarTracking();
// Type: 0 move, 1 release; false when no bar follows the mouse any more (the event goes on).
bool WindowScrollBarMouse(int Type, const TPoint& Screen);
