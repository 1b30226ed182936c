#pragma once
// The window that shows a tree's hints and cell tooltips. It draws the hint into a buffer of its
// own; a tooltip of a cut-off cell lies exactly over the cell's text, in the tree's font.

#include "platform/gui/Forms.h"
#include "tree/BaseLeanTree.h"

#include <memory>

class TLeanTreeHintWindow : public THintWindow {
    DECLARE_CLASS(TLeanTreeHintWindow, THintWindow)
public:
    explicit TLeanTreeHintWindow(TComponent* AOwner);
    ~TLeanTreeHintWindow() override;

    TRect CalcHintRect(int MaxWidth, const String& AHint, void* AData) override;
    void ActivateHint(TRect Rect, const String& AHint) override;
    // Only a shown hint is ended, and neither keys nor the pointer on a window's frame end it.
    bool IsHintMsg(TMsg& Msg) override;
    // One step of the tree's animation loop: false to stop.
    bool AnimationStep(int Step, int StepSize);

    const TLTHintData& HintData() const { return FHintData; }
    // Where the text went at the last painting (window coordinates).
    TRect TextRect() const { return FTextRect; }
    // Set while a hint window was destroyed and no new one was made or hidden since.
    static bool HintWindowDestroyed();

protected:
    void Paint() override;
    void CreateParams(TCreateParams& Params) override;
    void WMEraseBkgnd(TWMEraseBkgnd& Message) override;
    void WMNCPaint(TMessage& Message) override;
    void CMVisibleChanged(TMessage& Message) override;
    // Draws the hint into the buffer at step 0 and shows the step.
    void InternalPaint(int Step, int StepSize);

private:
    TLTHintData FHintData;
    std::unique_ptr<TBitmap> FDrawBuffer;
    int FTextHeight = 0;
    TRect FTextRect;

    bool IsTooltip() const;
    THintAnimationType Animation() const;
};
