#pragma once
// The small button at the right edge of the library's drop-down, ellipsis, lookup and date
// edits (TdaComboButton), and the half-height arrow button of the spin edits. Without visual
// styles it behaves and paints like a speed button; with them it paints the drop-down part, a
// push button or three dots, asking the edit that owns it (four virtual queries) whether that
// edit is hot, dropped down or draws a themed frame. The per-state images of every glyph live
// in shared image lists, one per image size.

#include "platform/gui/Buttons.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ImgList.h"

#include <memory>
#include <vector>

// An image list whose slots are taken and given back.
class TGlyphList : public TImageList {
    DECLARE_CLASS(TGlyphList, TImageList)
public:
    TGlyphList(int AWidth, int AHeight);
    // The first free slot (a new one when all are used) gets the image; answers its index.
    int AddMasked(TBitmap* Image, TColor MaskColor);
    // Frees a used slot.
    void Delete(int Index);
    int UsedCount() const { return FCount; }

private:
    std::vector<bool> Used;
    int FCount = 0;
};

// One list per image size, shared by every glyph of the process.
class TGlyphCache {
public:
    ~TGlyphCache();
    // The list of that size (the newest first), or a new one.
    TGlyphList* GetList(int AWidth, int AHeight);
    // Frees a list that holds no image any more.
    void ReturnList(TGlyphList* List);
    bool Empty() const { return GlyphLists.empty(); }

private:
    std::vector<TGlyphList*> GlyphLists;
};

class TdaComboButton;

// Lays out and draws a button's glyph and caption.
class TdaComboButtonGlyph {
public:
    explicit TdaComboButtonGlyph(TdaComboButton* AComboButton);
    ~TdaComboButtonGlyph();

    TBitmap* Glyph() const { return FOriginal.get(); }
    void SetGlyph(TBitmap* Value);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    TColor TransparentColor = clOlive;
    TNotifyEvent OnChange;

    // Drops the images (their slots go back to the shared list).
    void Invalidate();
    // The image index of a state, made on first need; -1 without a glyph.
    int CreateButtonGlyph(TButtonState State);
    TRect Draw(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, const String& Caption,
               TButtonLayout Layout, int Margin, int Spacing, TButtonState State, bool Transparent,
               Cardinal BiDiFlags);
    // Where the glyph and the caption go.
    void CalcButtonLayout(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, const String& Caption,
                          TButtonLayout Layout, int Margin, int Spacing, TPoint& GlyphPos, TRect& TextBounds,
                          Cardinal BiDiFlags);

private:
    TdaComboButton* FComboButton;
    std::unique_ptr<TBitmap> FOriginal;
    TGlyphList* FGlyphList = nullptr;
    int FIndexs[4] = {-1, -1, -1, -1};
    int FNumGlyphs = 1;

    void GlyphChanged(TObject* Sender);
    void DrawButtonGlyph(TCanvas* Canvas, const TPoint& GlyphPos, TButtonState State, bool Transparent);
    void DrawButtonText(TCanvas* Canvas, const String& Caption, TRect TextBounds, TButtonState State,
                        Cardinal BiDiFlags);
};

class TdaComboButton : public TGraphicControl {
    DECLARE_CLASS(TdaComboButton, TGraphicControl)
public:
    explicit TdaComboButton(TComponent* AOwner);
    ~TdaComboButton() override;

    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    TBitmap* Glyph() const { return FGlyph->Glyph(); }
    void SetGlyph(TBitmap* Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    int NumGlyphs() const { return FGlyph->NumGlyphs(); }
    void SetNumGlyphs(int Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    // Paint three dots (themed look) instead of the drop-down part.
    bool Ellipsis() const { return FEllipsis; }
    void SetEllipsis(bool Value);

    TButtonState State() const { return FState; }
    bool MouseInControl() const { return FMouseInControl; }
    void Click() override;
    void Loaded() override;
    // The number of buttons alive in the process.
    static int LivingCount();

    // Questions to the owning edit; False here.
    virtual bool OwnerThemed() { return false; }
    virtual bool ArrowOnly() { return false; }
    virtual bool OwnerHot() { return false; }
    virtual bool OwnerDroppedDown() { return false; }

protected:
    friend class TdaComboButtonGlyph;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Dispatch(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    // The state update at the start of painting.
    void UpdateStateForPaint();
    // The classic (unthemed) face: edges, pattern, glyph and caption.
    void PaintClassic();

    std::unique_ptr<TdaComboButtonGlyph> FGlyph;
    TButtonState FState = bsUp;
    bool FDragging = false;
    bool FMouseInControl = false;

private:
    int FGroupIndex = 0;
    bool FDown = false;
    bool FAllowAllUp = false;
    TButtonLayout FLayout = blGlyphLeft;
    int FSpacing = 4;
    bool FTransparent = true;
    int FMargin = -1;
    bool FFlat = false;
    bool FEllipsis = false;

    void UpdateExclusive();
    void UpdateTracking();
    void ButtonPressed(int Group, TdaComboButton* Sender);
    static void Published(TPublisher<TdaComboButton>& P);
};

DECLARE_ENUM(TdaSpinButtonDirection, Byte, dasdUp, dasdDown)

class TdaSpinControlButton : public TdaComboButton {
    DECLARE_CLASS(TdaSpinControlButton, TdaComboButton)
public:
    using TdaComboButton::TdaComboButton;
    TdaSpinButtonDirection ScrollDirection() const { return FScrollDirection; }
    void SetScrollDirection(TdaSpinButtonDirection Value);

protected:
    void Paint() override;

private:
    TdaSpinButtonDirection FScrollDirection = dasdUp;
};
