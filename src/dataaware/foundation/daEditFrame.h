#pragma once
// The flat frame that the library's edits can draw instead of the system border, and the flat
// and transparent look of their drop-down and spin buttons. Both are reached from any control
// by property name ("Frame" or "EditFrame", "ButtonEffects"), so that one look can be pushed
// onto controls of unrelated classes.

#include "platform/base/Persistent.h"
#include "platform/base/Set.h"
#include "platform/gui/Controls.h"

DECLARE_ENUM(TdaEditFrameEnabledType, Byte, efLeftBorder, efTopBorder, efRightBorder, efBottomBorder)
// Bit for bit the BF_LEFT, BF_TOP, BF_RIGHT and BF_BOTTOM flags of DrawEdge.
using TdaEditFrameEnabledSet = TSet<TdaEditFrameEnabledType>;
DECLARE_ENUM(TdaEditFocusStyle, Byte, efsFrameBox, efsFrameSunken, efsFrameRaised, efsFrameEtched, efsFrameBump,
             efsFrameSingle)

class TdaEditFrame : public TPersistent {
    DECLARE_CLASS(TdaEditFrame, TPersistent)
public:
    // The owner is the frame's control when it is a windowed control.
    explicit TdaEditFrame(TComponent* AOwner);

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    int AutoSizeHeightAdjust() const { return FAutoSizeHeightAdjust; }
    void SetAutoSizeHeightAdjust(int Value) { FAutoSizeHeightAdjust = Value; }
    TdaEditFrameEnabledSet FocusBorders() const { return FFocusBorders; }
    void SetFocusBorders(const TdaEditFrameEnabledSet& Value);
    TdaEditFrameEnabledSet NonFocusBorders() const { return FNonFocusBorders; }
    void SetNonFocusBorders(const TdaEditFrameEnabledSet& Value);
    TdaEditFocusStyle FocusStyle() const { return FFocusStyle; }
    void SetFocusStyle(TdaEditFocusStyle Value) { FFocusStyle = Value; }
    TdaEditFocusStyle NonFocusStyle() const { return FNonFocusStyle; }
    void SetNonFocusStyle(TdaEditFocusStyle Value);
    int NonFocusTextOffsetX = 0;
    int NonFocusTextOffsetY = 0;
    TColor NonFocusTransparentFontColor = clNone;
    TColor NonFocusColor = clNone;
    TColor NonFocusFontColor = clNone;
    bool MouseEnterSameAsFocus = false;
    // Whether invalidating the parent under a transparent control erases it.
    bool TransparentClearsBackground = false;
    // Follows every change of Transparent, for the owning control's window creation.
    bool CreateTransparent = false;

    TWinControl* Control() const { return FControl; }

    // Enabled, with a control, and not inside a grid (frames are never drawn in grid cells).
    bool IsFrameEffective() const;
    static bool IsSingleBorderStyle(TdaEditFocusStyle Style);
    // The edit's text rectangle inside the focus frame.
    void GetEditRectForFrame(TRect& Loc) const;
    virtual void GetFrameTextPosition(int& Left, int& Indent, bool Focused) const;
    // The control's height from its font and the border allowance.
    void AdjustHeight();
    void RefreshControl();
    void RefreshTransparentText(bool InvalidateBorders, bool UseEditRect = false, bool Exiting = false);
    // Draws the frame of the state on Canvas (null: the control's whole window). True when the
    // frame is not effective (nothing drawn: the caller keeps the system border).
    bool NCPaint(bool Focused, bool AlwaysTransparent = false, TCanvas* Canvas = nullptr);

    void Assign(TPersistent* Source) override;
    void AssignAll(TPersistent* Source, bool SkipOptimize);

    // The control's "Frame" property, else its "EditFrame" property; null when it has neither.
    static TdaEditFrame* Get(TObject* Control);

    // The DrawEdge edge and flags of a style.
    static void StyleEdge(TdaEditFocusStyle Style, Cardinal& Edge, Cardinal& Flags);

private:
    TWinControl* FControl = nullptr;
    bool FEnabled = false;
    bool FTransparent = false;
    int FAutoSizeHeightAdjust = 0;
    TdaEditFrameEnabledSet FFocusBorders{efLeftBorder, efTopBorder, efRightBorder, efBottomBorder};
    TdaEditFrameEnabledSet FNonFocusBorders{efBottomBorder};
    TdaEditFocusStyle FFocusStyle = efsFrameBox;
    TdaEditFocusStyle FNonFocusStyle = efsFrameBox;

    bool IsEditControl() const;
    static void Published(TPublisher<TdaEditFrame>& P);
};

class TdaButtonEffects : public TPersistent {
    DECLARE_CLASS(TdaButtonEffects, TPersistent)
public:
    TdaButtonEffects(TComponent* AOwner, TControl* AButton);

    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    void Assign(TPersistent* Source) override;
    // Called after every change; the combo-style edits refresh their button here.
    virtual void RefreshButton() {}

    // The control's "ButtonEffects" property; null when absent.
    static TdaButtonEffects* Get(TObject* Control);

    TComponent* Control = nullptr;
    TControl* Button = nullptr;

private:
    bool FTransparent = false;
    bool FFlat = false;
    static void Published(TPublisher<TdaButtonEffects>& P);
};

// Draws the edges of the state's style and borders over the edit's client rectangle.
void daDrawEditFrameEdges(TWinControl* Edit, TdaEditFrame* Frame, TCanvas* Canvas, bool Focused);
// The parent's window exists and has the transparent extended style.
bool daIsParentTransparent(TControl* Control);
// Invalidates the control's rectangle in its parent, and one level further up while that
// parent is itself transparent.
void daInvalidateInParents(TControl* Control, int Unused, bool Erase);
void daInvalidateTransparentControl(TControl* Control, bool Exiting);
bool daGetAutoSize(TObject* Control);
void daSetBoolProperty(TObject* Control, const String& Name, bool Value);
