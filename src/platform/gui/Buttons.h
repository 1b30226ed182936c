#pragma once
// The bitmap button: a push button with a picture beside its caption.

#include "platform/gui/StdCtrls.h"

#include <memory>

class TBitmap;
class TImageList;

DECLARE_ENUM(TBitBtnKind, Byte, bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry,
             bkIgnore, bkAll)
DECLARE_ENUM(TButtonLayout, Byte, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
DECLARE_ENUM(TNumGlyphs, Byte, ngNone, ngOne, ngTwo, ngThree, ngFour)
// The look of a graphic button: up, disabled, pressed, or held down (a button of a group).
DECLARE_ENUM(TButtonState, Byte, bsUp, bsDisabled, bsDown, bsExclusive)

// Glyph holds NumGlyphs pictures side by side: up, disabled, clicked, down (the pixels of its
// bottom-left colour are transparent). Without a disabled picture the up one is drawn embossed.
// Layout puts the glyph left, right, above or below the caption, Spacing pixels apart; Margin is
// the distance from the edge (-1: glyph and caption centred together). A Kind other than
// bkCustom gives the button its caption ("OK", "Cancel", "&Help", "&Yes", "&No", "&Close",
// "Abort", "&Retry", "&Ignore", "&All"), glyph, ModalResult, and Default (OK, Yes) or Cancel
// (Cancel, No); bkClose closes the form when clicked. Changing any of those afterwards makes the
// kind bkCustom.
class TBitBtn : public TButton {
    DECLARE_CLASS(TBitBtn, TButton)
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;

    TBitmap* Glyph() const { return FGlyph.get(); }
    // Copies the picture.
    void SetGlyph(TBitmap* Value);
    TBitBtnKind Kind() const;
    void SetKind(TBitBtnKind Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    int NumGlyphs() const { return FNumGlyphs; }
    // 1 to 4.
    void SetNumGlyphs(int Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    void Click() override;

protected:
    void Paint() override;

private:
    std::unique_ptr<TBitmap> FGlyph;
    std::unique_ptr<TImageList> FImages; // the glyph's pictures, made when needed
    mutable TBitBtnKind FKind = bkCustom;
    bool FModifiedGlyph = false;
    TButtonLayout FLayout = blGlyphLeft;
    int FNumGlyphs = 1;
    int FSpacing = 4;
    int FMargin = -1;

    void GlyphChanged(TObject* Sender);
    TImageList* Images();

    static void Published(TPublisher<TBitBtn>& P);
};

// A graphic button (no window, never focused): a glyph left of a caption on a raised face,
// pressed while the mouse holds it. With a GroupIndex above 0 a click leaves it down and lets
// the other buttons of the group on the same parent up; AllowAllUp lets a click on a down button
// raise it. A flat button shows its edges only while the mouse is over it or it is down. The
// glyph holds NumGlyphs pictures side by side (up, disabled, clicked, down), its bottom-left
// colour transparent.
class TSpeedButton : public TGraphicControl {
    DECLARE_CLASS(TSpeedButton, TGraphicControl)
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    TBitmap* Glyph() const { return FGlyph.get(); }
    // Copies the picture.
    void SetGlyph(TBitmap* Value);
    int NumGlyphs() const { return FNumGlyphs; }
    // 1 to 4.
    void SetNumGlyphs(int Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    bool Down() const { return FDown; }
    // Only a button of a group stays down; a group keeps one down unless AllowAllUp.
    void SetDown(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    TButtonState State() const { return FState; }
    bool MouseInControl() const { return FMouseInControl; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;

private:
    std::unique_ptr<TBitmap> FGlyph;
    std::unique_ptr<TImageList> FImages; // the glyph's pictures, made when needed
    int FNumGlyphs = 1;
    bool FFlat = false;
    bool FDown = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    TButtonState FState = bsUp;
    bool FMouseInControl = false;
    bool FDragging = false;

    void GlyphChanged(TObject* Sender);
    // The other buttons of the group go up when this one went down.
    void UpdateExclusive();
    static void Published(TPublisher<TSpeedButton>& P);
};

// The glyph a kind of bitmap button shows: two pictures, up and disabled, 18 x 18 each; an empty
// bitmap for bkCustom.
void GetBitBtnGlyph(TBitBtnKind Kind, TBitmap* Bitmap);

// Registers the classes of this unit (part of RegisterPlatformGuiClasses).
void RegisterButtonsClasses();
