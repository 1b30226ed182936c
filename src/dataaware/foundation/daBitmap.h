#pragma once
// The library's own picture: a 24-bit image with direct access to its pixel rows (top-down,
// blue, green, red, rows padded to four bytes), so that the grids' paint options can tint and
// blend their background pictures pixel by pixel. It loads from bitmaps and other graphics,
// streams and raw memory, draws plainly, stretched (optionally smoothed), tiled or transparently,
// can release its pixels to a memory copy ("sleep") and take them back, tells registered change
// links when it changes, and offers in-place pixel filters.

#include "platform/base/Variant.h"
#include "platform/gui/Graphics.h"

#include <functional>
#include <memory>
#include <vector>

// The notification object through which a bitmap tells interested objects that it changed.
class TdaChangeLink {
public:
    virtual ~TdaChangeLink() = default;
    TNotifyEvent FOnChange, FOnChanging, FOnLoaded;
    TObject* FSender = nullptr;
    virtual void Change() {
        if (FOnChange) FOnChange(FSender);
    }
    virtual void Changing() {
        if (FOnChanging) FOnChanging(FSender);
    }
    virtual void Loaded() {
        if (FOnLoaded) FOnLoaded(FSender);
    }
};

// A colour as the filters compare pixels: red * 65536 + green * 256 + blue.
using TdaColor = std::uint32_t;

class TdaBitmap : public TGraphic {
    DECLARE_CLASS(TdaBitmap, TGraphic)
public:
    TdaBitmap();
    ~TdaBitmap() override;

    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    void SetWidth(int Value) override { SetSizeInternal(Value, FHeight); }
    void SetHeight(int Value) override { SetSizeInternal(FWidth, Value); }
    void SetSize(int AWidth, int AHeight) override { SetSizeInternal(AWidth, AHeight); }
    bool Empty() const override { return !FDib; }

    // Row layout.
    int RowInc() const { return FRowInc; }
    int Gap() const { return FGap; }
    int Size() const { return FSize; }
    // Row Y's first byte (top row 0); null when empty.
    Byte* Row(int Y) const;
    Byte* Bits() const { return Row(0); }
    TCanvas* Canvas();

    bool SmoothStretching = false;
    // The key colour of transparent drawing; clNone: the top left pixel.
    TColor TransparentColor = clNone;
    bool IgnoreChange = false;
    bool Sleeping() const { return !FMemoryImage.empty(); }
    TPixelFormat PixelFormatOfSource() const { return FPixelFormat; }
    // [0] the source had a colour table, [1] the source has more colours than the screen.
    bool Patch[2] = {false, false};

    void Clear();
    void LoadBlank(int AWidth, int AHeight);
    void LoadFromBitmap(TBitmap* Bitmap);
    void LoadFromGraphic(TGraphic* Graphic);
    void LoadFromStream(TStream* Stream) override;
    // 24-bit rows of the given size in this layout.
    void LoadFromMemory(const Byte* ABits, int ASize, const TPoint& Dimensions);
    void SaveToBitmap(TBitmap* Bitmap);
    void SaveToStream(TStream* Stream) override;
    void Assign(TPersistent* Source) override;
    void AssignTo(TPersistent* Dest) const;

    void RegisterChanges(TdaChangeLink* Link);
    void UnRegisterChanges(TdaChangeLink* Link);

    void Sleep();
    void Wake();
    void FreeMemoryImage();
    // The monochrome mask of the key colour (black where the key is), made on first use.
    TBitmap* MaskBitmap();
    void Fill(TColor Color);
    void Resize(int AWidth, int AHeight);

    // Drawing.
    void DrawOn(TCanvas* ACanvas, const TRect& Rect) { Draw(ACanvas, Rect, 255); }
    void StretchDraw(TCanvas* ACanvas, const TRect& Rect);
    void TransparentDraw(TCanvas* ACanvas, const TRect& Rect);
    void SmoothStretchDraw(TCanvas* ACanvas, const TRect& Rect);
    void TileDraw(TCanvas* ACanvas, const TRect& ARect);

    // Pixel filters, in place.
    void Brightness(int Amount);
    void Contrast(int Amount);
    void Saturation(int Amount);
    void Grayscale();
    void Invert();
    void ColorTint(int RA, int GA, int BA);
    void Colorize(int RA, int GA, int BA);
    // Blends another bitmap of this size (or stretched to it) over this one.
    void AlphaBlend(TdaBitmap* Bitmap, int Alpha, bool Stretch);
    void Flip(bool Horizontal);
    void Blur(int Amount);
    void GaussianBlur(int Amount);
    void Sharpen(int Amount);
    void Sponge(int Amount);
    void Emboss();
    void Mask(TColor MaskColor);
    void ChangeColor(TColor OldColor, TColor NewColor);
    void Wave(int XDiv, int YDiv, int RatioVal, bool Wrap);
    // A negative centre coordinate means the middle.
    void Rotate(TPoint Center, double Angle);

    // Pixel access for callers and tests: the colour at (X, Y) as a TColor.
    TColor PixelColor(int X, int Y) const;
    void SetPixelColor(int X, int Y, TColor Color);

protected:
    void Draw(TCanvas* ACanvas, const TRect& Rect, Byte Opacity) override;
    void Changed(TObject* Sender) override;

private:
    std::unique_ptr<TBitmap> FDib;
    std::unique_ptr<TBitmap> FMaskBitmap;
    int FWidth = 0, FHeight = 0, FGap = 0, FRowInc = 0, FSize = 0;
    std::vector<Byte> FMemoryImage;
    TPoint FMemoryDim;
    TPixelFormat FPixelFormat = pf24bit;
    std::vector<TdaChangeLink*> FChangeLinks;
    bool Assigning = false;

    void SetSizeInternal(int AWidth, int AHeight);
    TColor KeyColor() const;
    // Runs F on every channel byte of every pixel.
    template <class F> void EachByte(F Fn);
};
