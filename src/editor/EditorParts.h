#pragma once
// The small persistent objects an editor control is configured with (selection colours, gutter,
// bookmark options, the word-wrap glyph, a highlighter's options), the built-in bookmark
// images, and the banded gradient the gutter paints with. Each object reports an effective
// change through OnChange; setters ignore unchanged values.

#include "platform/base/Component.h"
#include "platform/base/Persistent.h"
#include "platform/gui/Graphics.h"

#include <memory>

class TCustomImageList;

// Colours of selected text.
class TCodeSelectedColor : public TPersistent {
    DECLARE_CLASS(TCodeSelectedColor, TPersistent)
public:
    void Assign(TPersistent* Source) override;

    TColor Background() const { return FBG; }
    void SetBackground(TColor Value);
    TColor Foreground() const { return FFG; }
    void SetForeground(TColor Value);

    TNotifyEvent OnChange;

private:
    TColor FBG = clHighlight;
    TColor FFG = clHighlightText;
    void Changed();
    static void Published(TPublisher<TCodeSelectedColor>& P);
};

DECLARE_ENUM(TCodeGutterBorderStyle, Byte, gbsNone, gbsMiddle, gbsRight)

// The strip left of the text: line numbers, marks, an optional gradient.
class TCodeGutter : public TPersistent {
    DECLARE_CLASS(TCodeGutter, TPersistent)
public:
    TCodeGutter();
    ~TCodeGutter() override;
    // Copies the font's contents and every setting but the cursor; one OnChange.
    void Assign(TPersistent* Source) override;

    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor Value);
    // 0 while hidden. Used when line numbers are off.
    int Width() const { return FVisible ? FWidth : 0; }
    void SetWidth(int Value);
    bool ShowLineNumbers() const { return FShowLineNumbers; }
    void SetShowLineNumbers(bool Value);
    // Limited to 2..12.
    int DigitCount() const { return FDigitCount; }
    void SetDigitCount(int Value);
    bool LeadingZeros() const { return FLeadingZeros; }
    void SetLeadingZeros(bool Value);
    bool ZeroStart() const { return FZeroStart; }
    void SetZeroStart(bool Value);
    int LeftOffset() const { return FLeftOffset; }
    void SetLeftOffset(int Value);
    int RightOffset() const { return FRightOffset; }
    void SetRightOffset(int Value);
    int Cursor() const { return FCursor; }
    void SetCursor(int Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool UseFontStyle() const { return FUseFontStyle; }
    void SetUseFontStyle(bool Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    TCodeGutterBorderStyle BorderStyle() const { return FBorderStyle; }
    // Fires even when unchanged.
    void SetBorderStyle(TCodeGutterBorderStyle Value);
    int LineNumberStart() const { return FLineNumberStart; }
    // A negative start is 0; 0 means counting from 0 (ZeroStart).
    void SetLineNumberStart(int Value);
    bool Gradient() const { return FGradient; }
    void SetGradient(bool Value);
    TColor GradientStartColor() const { return FGradientStartColor; }
    void SetGradientStartColor(TColor Value);
    TColor GradientEndColor() const { return FGradientEndColor; }
    void SetGradientEndColor(TColor Value);
    int GradientSteps() const { return FGradientSteps; }
    void SetGradientSteps(int Value);

    // The digit count in effect (auto-sizing may raise it above DigitCount).
    int AutoSizeDigitCountValue() const { return FAutoSizeDigitCount; }
    // Line's number as shown, right-aligned in the digits in effect.
    String FormatLineNumber(int Line) const;
    int RealGutterWidth(int CharWidth) const;
    // With auto-size, enough digits for LinesCount lines (at least DigitCount).
    void AutoSizeDigitCount(int LinesCount);

    TNotifyEvent OnChange;

private:
    std::unique_ptr<TFont> FFont;
    TColor FColor = clBtnFace;
    TColor FBorderColor = clWindow;
    int FWidth = 30;
    bool FShowLineNumbers = false;
    int FDigitCount = 4;
    bool FLeadingZeros = false;
    bool FZeroStart = false;
    int FLeftOffset = 16;
    int FRightOffset = 2;
    int FCursor = 0;
    bool FVisible = true;
    bool FUseFontStyle = true;
    bool FAutoSize = false;
    int FAutoSizeDigitCount = 4;
    TCodeGutterBorderStyle FBorderStyle = gbsMiddle;
    int FLineNumberStart = 1;
    bool FGradient = false;
    TColor FGradientStartColor = clWindow;
    TColor FGradientEndColor = clBtnFace;
    int FGradientSteps = 48;

    void Changed();
    template <class T> void Change(T& Field, T Value) {
        if (Field == Value) return;
        Field = Value;
        Changed();
    }
    static void Published(TPublisher<TCodeGutter>& P);
};

class TCodeBookMarkOpt : public TPersistent {
    DECLARE_CLASS(TCodeBookMarkOpt, TPersistent)
public:
    explicit TCodeBookMarkOpt(TComponent* AOwner = nullptr);
    void Assign(TPersistent* Source) override;

    // Not owned; the owner is told when the list goes.
    TCustomImageList* BookmarkImages() const { return FBookmarkImages; }
    void SetBookmarkImages(TCustomImageList* Value);
    bool DrawBookmarksFirst() const { return FDrawBookmarksFirst; }
    void SetDrawBookmarksFirst(bool Value);
    // Whether the bookmark key commands work.
    bool EnableKeys() const { return FEnableKeys; }
    void SetEnableKeys(bool Value) { FEnableKeys = Value; }
    bool GlyphsVisible() const { return FGlyphsVisible; }
    void SetGlyphsVisible(bool Value);
    int LeftMargin() const { return FLeftMargin; }
    void SetLeftMargin(int Value);
    // The horizontal step between marks drawn on one line.
    int Xoffset() const { return FXoffset; }
    void SetXoffset(int Value);

    TNotifyEvent OnChange;

private:
    TCustomImageList* FBookmarkImages = nullptr;
    bool FDrawBookmarksFirst = true;
    bool FEnableKeys = true;
    bool FGlyphsVisible = true;
    int FLeftMargin = 2;
    TComponent* FOwner;
    int FXoffset = 12;

    void Changed();
    static void Published(TPublisher<TCodeBookMarkOpt>& P);
};

// Draws Bitmap's rows into a line LineHeight high at (X, Y): a smaller line shows the middle
// rows, a taller one centres the picture. With Transparent, TransparentColor is left out.
void DrawImageInLine(TCanvas* Canvas, TBitmap* Bitmap, const TRect& Source, int X, int Y, int LineHeight,
                     bool Transparent, TColor TransparentColor);

// A picture the user may set, or else the built-in one it was created with.
class TCodeGlyph : public TPersistent {
    DECLARE_CLASS(TCodeGlyph, TPersistent)
public:
    // ResourceName: a built-in picture ("" for none); MaskColor: its transparent colour.
    TCodeGlyph(const String& ResourceName = {}, TColor MaskColor = clNone);
    ~TCodeGlyph() override;
    void Assign(TPersistent* Source) override;

    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TBitmap* Glyph() const { return FGlyph.get(); }
    // Copies the picture.
    void SetGlyph(TBitmap* Value);
    TColor MaskColor() const { return FMaskColor; }
    void SetMaskColor(TColor Value);
    TBitmap* InternalGlyph() const { return FInternalGlyph.get(); }
    int Width() const;
    int Height() const;
    void Draw(TCanvas* ACanvas, int AX, int AY, int ALineHeight);

    TNotifyEvent OnChange;

private:
    bool FVisible = true;
    std::unique_ptr<TBitmap> FInternalGlyph;
    std::unique_ptr<TBitmap> FGlyph;
    TColor FInternalMaskColor = clNone;
    TColor FMaskColor = clNone;

    void Changed();
    void GlyphChanged(TObject* Sender);
    static void Published(TPublisher<TCodeGlyph>& P);
};

// A strip of Count equal images from a built-in picture, shared by every instance made from
// the same name.
class TCodeInternalImage {
public:
    // An unknown name raises EInvalidOperation "Resource <name> not found".
    TCodeInternalImage(const String& Name, int Count);
    ~TCodeInternalImage();
    TCodeInternalImage(const TCodeInternalImage&) = delete;
    TCodeInternalImage& operator=(const TCodeInternalImage&) = delete;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const { return FCount; }
    TBitmap* Images() const { return FImages; }
    void Draw(TCanvas* ACanvas, int Number, int X, int Y, int LineHeight);
    void DrawTransparent(TCanvas* ACanvas, int Number, int X, int Y, int LineHeight, TColor TransparentColor);

    // Shared strips alive now (they go with their last user).
    static int SharedCount();

private:
    TBitmap* FImages;
    int FWidth = 0;
    int FHeight = 0;
    int FCount = 0;
};

// The built-in pictures by name (any letter case): "CodeEditInternalImages", ten bookmark
// images in a strip, and "CodeEditWrapped", the word-wrap glyph on a lime mask; null for
// another name.
std::unique_ptr<TBitmap> LoadEditorPicture(const String& Name);

// What a highlighter says about itself; stored as it is and read by nothing else.
class TCodeEditHighlighterOptions : public TPersistent {
    DECLARE_CLASS(TCodeEditHighlighterOptions, TPersistent)
public:
    void Assign(TPersistent* Source) override;

    bool AutoDetectEnabled() const { return FAutoDetectEnabled; }
    void SetAutoDetectEnabled(bool Value) { FAutoDetectEnabled = Value; }
    Cardinal AutoDetectLineLimit() const { return FAutoDetectLineLimit; }
    void SetAutoDetectLineLimit(Cardinal Value) { FAutoDetectLineLimit = Value; }
    const String& AutoDetectMatchExpression() const { return FAutoDetectMatchExpression; }
    void SetAutoDetectMatchExpression(const String& Value) { FAutoDetectMatchExpression = Value; }
    const String& DefaultExtension() const { return FDefaultExtension; }
    void SetDefaultExtension(const String& Value) { FDefaultExtension = Value; }
    const String& LineCommentarEnd() const { return FLineCommentarEnd; }
    void SetLineCommentarEnd(const String& Value) { FLineCommentarEnd = Value; }
    const String& LineCommentarStart() const { return FLineCommentarStart; }
    void SetLineCommentarStart(const String& Value) { FLineCommentarStart = Value; }
    const String& Title() const { return FTitle; }
    void SetTitle(const String& Value) { FTitle = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value) { FVisible = Value; }

protected:
    void AssignTo(TPersistent* Dest) override;

private:
    bool FAutoDetectEnabled = false;
    Cardinal FAutoDetectLineLimit = 0;
    String FAutoDetectMatchExpression;
    String FDefaultExtension;
    String FLineCommentarEnd;
    String FLineCommentarStart;
    String FTitle;
    bool FVisible = false;

    void CopyTo(TCodeEditHighlighterOptions* Dest) const;
    static void Published(TPublisher<TCodeEditHighlighterOptions>& P);
};

// Fills Rect with Steps (2..256) bands from StartColor to EndColor, across the width when
// Horizontal, else down the height.
void DrawGradientBands(TCanvas* Canvas, TColor StartColor, TColor EndColor, int Steps, const TRect& Rect,
                       bool Horizontal);
