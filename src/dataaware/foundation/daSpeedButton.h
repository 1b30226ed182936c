#pragma once
// The two small controls the library's navigator and toolbars are built from: a panel that
// can let its parent show through (only its bevels are drawn), and a graphic button that draws
// an image of an image list (with images of their own for the disabled, pressed and hot looks)
// and an optional caption.

#include "platform/base/Variant.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/ImgList.h"

class TdaCustomTransparentPanel : public TCustomPanel {
    DECLARE_CLASS(TdaCustomTransparentPanel, TCustomPanel)
public:
    explicit TdaCustomTransparentPanel(TComponent* AOwner);

    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value) { WriteTransparent(Value); }
    // Transparent, and not at design time (where it behaves as an opaque panel).
    virtual bool IsTransparent() const;
    void Invalidate() override;
    // Kept for descendants.
    Variant BasePatch;

protected:
    virtual void WriteTransparent(bool Value);
    void CreateParams(TCreateParams& Params) override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void Paint() override;
    void WMEraseBkgnd(TWMEraseBkgnd& Message) override;
    void WMMove(TWMMove& Message) override;

private:
    bool FTransparent = false;
    bool FInEraseBkGnd = false;
};

// The two colours a disabled caption is drawn in.
class TdaDisabledTextColors : public TPersistent {
    DECLARE_CLASS(TdaDisabledTextColors, TPersistent)
public:
    TColor ShadeColor = clGray;
    TColor HighlightColor = clBtnHighlight;
    void Assign(TPersistent* Source) override;

private:
    static void Published(TPublisher<TdaDisabledTextColors>& P);
};

class TdaSpeedButton : public TGraphicControl {
    DECLARE_CLASS(TdaSpeedButton, TGraphicControl)
public:
    explicit TdaSpeedButton(TComponent* AOwner);
    ~TdaSpeedButton() override;

    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    int ImageIndex() const { return ReadImageIndex(); }
    void SetImageIndex(int Value) { WriteImageIndex(Value); }
    TCustomImageList* ImageList() const { return FImageList; }
    void SetImageList(TCustomImageList* Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    // How many consecutive images the button uses: normal, disabled, pressed, hot.
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    bool ShowText() const { return FShowText; }
    void SetShowText(bool Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    TdaDisabledTextColors* DisabledTextColors() const { return FDisabledTextColors.get(); }
    void SetDisabledTextColors(TdaDisabledTextColors* Value) { FDisabledTextColors->Assign(Value); }
    bool MouseInControl() const { return FMouseInControl; }

    // The interface answers of a button that its owner frees (no reference counting).
    int _AddRef() { return 1; }
    int _Release() { return 0; }

    // The image index the button shows now.
    int ShownImageIndex() const;

protected:
    virtual int ReadImageIndex() const { return FImageIndex; }
    virtual void WriteImageIndex(int Value);
    void Paint() override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool FTransparent = true;
    bool FFlat = false;
    int FImageIndex = -1;
    TCustomImageList* FImageList = nullptr;
    int FMargin = -1;
    int FNumGlyphs = 1;
    bool FShowText = false;
    int FSpacing = 4;
    std::unique_ptr<TdaDisabledTextColors> FDisabledTextColors;
    bool FMouseInControl = false;

    bool Pressed() const;
    static void Published(TPublisher<TdaSpeedButton>& P);
};
