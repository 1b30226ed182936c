#pragma once
// Colours, fonts, pens, brushes, the canvas, and the graphic classes (bitmaps, icons,
// pictures), with the class library's names and Windows' values and semantics.
//
// No Qt type shows here: a canvas draws on a device that its owner binds through the layer's
// internal header GraphicsQt.h (a window's back buffer, a bitmap's pixels, a printer page).
// A bitmap keeps its pixels in a QImage, so bitmaps, their canvases and shapes work without
// a GUI application object; drawing text needs the application (fonts come from it).

#include "platform/base/Component.h"
#include "platform/base/Geometry.h"
#include "platform/base/Persistent.h"
#include "platform/base/Set.h"
#include "platform/base/Types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TStream;

DECLARE_EXCEPTION(EInvalidGraphic, Exception)
DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception)

// ---- Colours ---------------------------------------------------------------------------------
//
// A colour is 0x00BBGGRR. System colours are 0xFF000000 + the system colour index and stand for
// the fixed classic palette below (ColorToRGB). clNone and clDefault are markers, not colours.

using TColor = std::int32_t;
using TColorRef = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);

// The system colour indexes (Windows COLOR_*).
constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_ACTIVEBORDER = 10;
constexpr int COLOR_INACTIVEBORDER = 11;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;
constexpr int COLOR_HOTLIGHT = 26;
constexpr int COLOR_GRADIENTACTIVECAPTION = 27;
constexpr int COLOR_GRADIENTINACTIVECAPTION = 28;
constexpr int COLOR_MENUHILIGHT = 29;
constexpr int COLOR_MENUBAR = 30;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;
constexpr int COLOR_3DSHADOW = COLOR_BTNSHADOW;
constexpr int COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT;
constexpr int COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT;
constexpr int COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT;

constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = clSystemColor | COLOR_MENU;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;
constexpr TColor clHotLight = clSystemColor | COLOR_HOTLIGHT;
constexpr TColor clGradientActiveCaption = clSystemColor | COLOR_GRADIENTACTIVECAPTION;
constexpr TColor clGradientInactiveCaption = clSystemColor | COLOR_GRADIENTINACTIVECAPTION;
constexpr TColor clMenuHighlight = clSystemColor | COLOR_MENUHILIGHT;
constexpr TColor clMenuBar = clSystemColor | COLOR_MENUBAR;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor CLR_INVALID = -1;

constexpr TColor RGB(Byte R, Byte G, Byte B) {
    return TColor(R) | (TColor(G) << 8) | (TColor(B) << 16);
}
constexpr Byte GetRValue(TColorRef Color) {
    return Byte(Color & 0xFF);
}
constexpr Byte GetGValue(TColorRef Color) {
    return Byte((Color >> 8) & 0xFF);
}
constexpr Byte GetBValue(TColorRef Color) {
    return Byte((Color >> 16) & 0xFF);
}

// The colour of a system colour index from the fixed classic table (the Windows classic scheme,
// e.g. button face 212,208,200, highlight 10,36,106, window white); 0 outside the table.
TColorRef GetSysColor(int Index);
// A system colour becomes its table value; every other value (clNone and clDefault too) is
// returned unchanged.
TColorRef ColorToRGB(TColor Color);
// "clRed", "clBtnFace", or "$00FF0000" for a colour without a name.
String ColorToString(TColor Color);
// A colour name (without regard to case) or a number ("$00FF0000", "255"); anything else
// raises EConvertError.
TColor StringToColor(const String& S);
bool IdentToColor(const String& Ident, TColor& Color);
bool ColorToIdent(TColor Color, String& Ident);
// Every colour name in table order (plain colours, system colours, clNone, clDefault).
void GetColorValues(const std::function<void(const String& Name)>& Proc);
// The type record that colour properties publish with (.As(ColorTypeInfo())): an Integer kind
// named "TColor", so that stores can write names.
const TTypeInfo* ColorTypeInfo();

// ---- Fonts, pens, brushes --------------------------------------------------------------------

DECLARE_ENUM(TFontStyle, Byte, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = TSet<TFontStyle>;
DECLARE_ENUM(TFontPitch, Byte, fpDefault, fpVariable, fpFixed)
DECLARE_ENUM(TFontQuality, Byte, fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType,
             fqClearTypeNatural)
using TFontCharset = Byte;
using TFontName = String;

constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SYMBOL_CHARSET = 2;
constexpr TFontCharset EASTEUROPE_CHARSET = 238;
constexpr TFontCharset OEM_CHARSET = 255;

DECLARE_ENUM(TPenStyle, Byte, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame,
             psUserStyle, psAlternate)
DECLARE_ENUM(TPenMode, Byte, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
             pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor)
DECLARE_ENUM(TBrushStyle, Byte, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
             bsDiagCross)

// The logical DPI of the screen: fonts convert points to pixels with it.
constexpr int ScreenPixelsPerInch = 96;

class TBitmap;
class TCanvas;
class TGraphic;
struct TFontEngine;

// A font, pen or brush: tells its owner through OnChange whenever a setter changed something.
class TGraphicsObject : public TPersistent {
    DECLARE_CLASS(TGraphicsObject, TPersistent)
public:
    TNotifyEvent OnChange;

protected:
    virtual void Changed();
};

class TFont : public TGraphicsObject {
    DECLARE_CLASS(TFont, TGraphicsObject)
public:
    // "Tahoma", 8 points (Height -11), clWindowText, DEFAULT_CHARSET.
    TFont();
    ~TFont() override;

    // Copies name, height (scaled when the pixels per inch differ), pitch, style, charset,
    // colour, quality and orientation from another font; one change notification.
    void Assign(TPersistent* Source) override;

    // The name as given; drawing maps it to a family Debian ships with the same metrics (see
    // QtFontFamily): "Courier New", "Arial", "MS Sans Serif", "Tahoma", "Comic Sans MS"; an
    // installed family is taken as named, an unknown name gives DejaVu Sans.
    const TFontName& Name() const { return FName; }
    void SetName(const TFontName& Value);
    // Points: -MulDiv(Height, 72, PixelsPerInch).
    int Size() const;
    void SetSize(int Value);
    // Pixels: negative is the character height (em size), positive the cell height (ascent +
    // descent); Height = -MulDiv(Size, PixelsPerInch, 72).
    int Height() const { return FHeight; }
    void SetHeight(int Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(const TFontStyles& Value);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch Value);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset Value);
    // Tenths of degrees, counter-clockwise.
    int Orientation() const { return FOrientation; }
    void SetOrientation(int Value);
    TFontQuality Quality() const { return FQuality; }
    void SetQuality(TFontQuality Value);
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value);

    // The family that drawing uses for Name (see above).
    String FamilyName() const;
    // The shared metrics and glyph cache of this description (the layer's own use).
    TFontEngine* Engine() const;

protected:
    void Changed() override;

private:
    TFontName FName = u"Tahoma";
    int FHeight = -11;
    TColor FColor = clWindowText;
    TFontStyles FStyle;
    TFontPitch FPitch = fpDefault;
    TFontCharset FCharset = DEFAULT_CHARSET;
    int FOrientation = 0;
    TFontQuality FQuality = fqDefault;
    int FPixelsPerInch = ScreenPixelsPerInch;
    mutable std::shared_ptr<TFontEngine> FEngine;

    static void Published(TPublisher<TFont>& P);
};

class TPen : public TGraphicsObject {
    DECLARE_CLASS(TPen, TGraphicsObject)
public:
    void Assign(TPersistent* Source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value); // values below 1 become 1
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode Value);

private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;

    static void Published(TPublisher<TPen>& P);
};

class TBrush : public TGraphicsObject {
    DECLARE_CLASS(TBrush, TGraphicsObject)
public:
    void Assign(TPersistent* Source) override;

    TColor Color() const { return FColor; }
    // A colour while the style is bsClear makes the brush solid, as the class library does.
    void SetColor(TColor Value);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle Value);
    // A pattern brush: the bitmap is tiled (not owned; the caller keeps it alive while set).
    TBitmap* Bitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* Value);

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;

    static void Published(TPublisher<TBrush>& P);
};

// ---- Canvas ----------------------------------------------------------------------------------

using TCopyMode = std::int32_t;
constexpr TCopyMode cmBlackness = 0x00000042;
constexpr TCopyMode cmDstInvert = 0x00550009;
constexpr TCopyMode cmMergeCopy = 0x00C000CA;
constexpr TCopyMode cmMergePaint = 0x00BB0226;
constexpr TCopyMode cmNotSrcCopy = 0x00330008;
constexpr TCopyMode cmNotSrcErase = 0x001100A6;
constexpr TCopyMode cmPatCopy = 0x00F00021;
constexpr TCopyMode cmPatInvert = 0x005A0049;
constexpr TCopyMode cmPatPaint = 0x00FB0A09;
constexpr TCopyMode cmSrcAnd = 0x008800C6;
constexpr TCopyMode cmSrcCopy = 0x00CC0020;
constexpr TCopyMode cmSrcErase = 0x00440328;
constexpr TCopyMode cmSrcInvert = 0x00660046;
constexpr TCopyMode cmSrcPaint = 0x00EE0086;
constexpr TCopyMode cmWhiteness = 0x00FF0062;

// Text-out options (TextFlags, ExtTextOut).
constexpr int ETO_OPAQUE = 0x0002;
constexpr int ETO_CLIPPED = 0x0004;
constexpr int ETO_RTLREADING = 0x0080;

// DrawText formats.
constexpr Cardinal DT_TOP = 0x00000000;
constexpr Cardinal DT_LEFT = 0x00000000;
constexpr Cardinal DT_CENTER = 0x00000001;
constexpr Cardinal DT_RIGHT = 0x00000002;
constexpr Cardinal DT_VCENTER = 0x00000004;
constexpr Cardinal DT_BOTTOM = 0x00000008;
constexpr Cardinal DT_WORDBREAK = 0x00000010;
constexpr Cardinal DT_SINGLELINE = 0x00000020;
constexpr Cardinal DT_EXPANDTABS = 0x00000040;
constexpr Cardinal DT_TABSTOP = 0x00000080;
constexpr Cardinal DT_NOCLIP = 0x00000100;
constexpr Cardinal DT_EXTERNALLEADING = 0x00000200;
constexpr Cardinal DT_CALCRECT = 0x00000400;
constexpr Cardinal DT_NOPREFIX = 0x00000800;
constexpr Cardinal DT_INTERNAL = 0x00001000;
constexpr Cardinal DT_EDITCONTROL = 0x00002000;
constexpr Cardinal DT_PATH_ELLIPSIS = 0x00004000;
constexpr Cardinal DT_END_ELLIPSIS = 0x00008000;
constexpr Cardinal DT_MODIFYSTRING = 0x00010000;
constexpr Cardinal DT_RTLREADING = 0x00020000;
constexpr Cardinal DT_WORD_ELLIPSIS = 0x00040000;
constexpr Cardinal DT_NOFULLWIDTHCHARBREAK = 0x00080000;
constexpr Cardinal DT_HIDEPREFIX = 0x00100000;
constexpr Cardinal DT_PREFIXONLY = 0x00200000;

// TextRect's formats, translated to the DT_* flags.
DECLARE_ENUM(TTextFormats, Byte, tfBottom, tfCalcRect, tfCenter, tfEditControl, tfEndEllipsis, tfPathEllipsis,
             tfExpandTabs, tfExternalLeading, tfLeft, tfModifyString, tfNoClip, tfNoPrefix, tfRight,
             tfRtlReading, tfSingleLine, tfTop, tfVerticalCenter, tfWordBreak, tfHidePrefix,
             tfNoFullWidthCharBreak, tfPrefixOnly, tfTabStop, tfWordEllipsis, tfComposited)
using TTextFormat = TSet<TTextFormats>;
Cardinal TextFormatFlags(const TTextFormat& Format);

// GetTextMetrics. tmPitchAndFamily bit TMPF_FIXED_PITCH set means a variable-pitch font, as on
// Windows.
constexpr Byte TMPF_FIXED_PITCH = 0x01;
constexpr Byte TMPF_VECTOR = 0x02;
constexpr Byte TMPF_TRUETYPE = 0x04;
constexpr Byte TMPF_DEVICE = 0x08;

struct TTextMetric {
    int tmHeight = 0;
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0;
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;
    int tmMaxCharWidth = 0;
    int tmWeight = 0;
    int tmOverhang = 0;
    int tmDigitizedAspectX = 0;
    int tmDigitizedAspectY = 0;
    Char tmFirstChar = 0;
    Char tmLastChar = 0;
    Char tmDefaultChar = 0;
    Char tmBreakChar = 0;
    Byte tmItalic = 0;
    Byte tmUnderlined = 0;
    Byte tmStruckOut = 0;
    Byte tmPitchAndFamily = 0;
    Byte tmCharSet = 0;
};

// A character's widths: A is the space before the ink, B the ink, C the space after (negative
// when the ink overhangs); A + B + C is the advance.
struct TABC {
    int abcA = 0;
    unsigned abcB = 0;
    int abcC = 0;
};

struct TCanvasPrivate;

// A surface to draw on with the current font, pen and brush. Coordinates are the canvas's
// own: (0, 0) is the top-left of its window, bitmap or page, and rectangles exclude their
// right and bottom edges. Every drawing call fires OnChanging before and OnChange after it.
// A canvas that has no device when a drawing call starts asks CreateHandle for one; when
// there still is none, the call raises EInvalidOperation "Canvas does not allow drawing".
class TCanvas : public TPersistent {
    DECLARE_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value); // copies
    TPen* Pen() const { return FPen.get(); }
    void SetPen(TPen* Value);
    TBrush* Brush() const { return FBrush.get(); }
    void SetBrush(TBrush* Value);
    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(const TPoint& Value) { FPenPos = Value; }
    // How Draw, StretchDraw and CopyRect combine source and destination (cmSrcCopy...).
    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
    // ETO_* options of TextOut and TextRect.
    int TextFlags() const { return FTextFlags; }
    void SetTextFlags(int Value) { FTextFlags = Value; }

    // Whether a device is bound now.
    bool HandleAllocated() const;
    // The bounding box of what can be drawn on (device area, owner's clip and the clip set
    // below), in canvas coordinates; binds a device first.
    TRect ClipRect();

    // Guards drawing from several threads (recursive).
    void Lock();
    void Unlock();
    bool TryLock();
    int LockCount() const { return FLockCount; }

    // Lines: the pen draws from PenPos to (X, Y) without the end point; PenPos moves there.
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    void Polyline(const TPoint* Points, int Count);
    void Polyline(const std::vector<TPoint>& Points) { Polyline(Points.data(), int(Points.size())); }
    // Closed and filled with the brush (alternate filling), outlined with the pen.
    void Polygon(const TPoint* Points, int Count);
    void Polygon(const std::vector<TPoint>& Points) { Polygon(Points.data(), int(Points.size())); }
    // Shapes in a bounding rectangle (right and bottom excluded), filled with the brush and
    // outlined with the pen; with psClear the filled area loses its right and bottom pixel row,
    // as on Windows.
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& Rect) { Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
    // X3, Y3: width and height of the corner ellipses.
    void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
    void RoundRect(const TRect& Rect, int CX, int CY) {
        RoundRect(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, CX, CY);
    }
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const TRect& Rect) { Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
    // Elliptic arcs counter-clockwise from the radial through (X3, Y3) to the one through (X4, Y4).
    void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
    void Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
    void Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
    // The brush alone (bsClear: nothing).
    void FillRect(const TRect& Rect);
    // A one-pixel frame in the brush colour.
    void FrameRect(const TRect& Rect);
    // Dotted, inverting: a second call with the same rectangle restores the pixels.
    void DrawFocusRect(const TRect& Rect);

    // CLR_INVALID outside the device or where it has no pixels to read (a printer).
    TColor Pixels(int X, int Y);
    void SetPixels(int X, int Y, TColor Value);

    // Text in the font at (X, Y) = top-left of its cell; the background is filled with the
    // brush colour unless the brush is bsClear. PenPos moves to the end of the text.
    void TextOut(int X, int Y, const String& Text);
    // The same clipped to Rect (and, with a brush, Rect filled first).
    void TextRect(const TRect& Rect, int X, int Y, const String& Text);
    // DrawText with the formats' DT_* flags; with tfCalcRect Rect receives the size.
    void TextRect(TRect& Rect, const String& Text, const TTextFormat& Format = {});
    TSize TextExtent(const String& Text);
    int TextWidth(const String& Text) { return TextExtent(Text).cx; }
    int TextHeight(const String& Text) { return TextExtent(Text).cy; }
    // Windows' extended text out: Options ETO_OPAQUE (fill Rect with the brush colour) and
    // ETO_CLIPPED (clip to Rect); Rect may be null. Dx, when given, holds one advance per
    // character (UTF-16 unit): character i+1 starts Dx[i] pixels right of character i.
    // The background of the text cell is filled in the brush colour unless the brush is bsClear.
    void ExtTextOut(int X, int Y, int Options, const TRect* Rect, const Char* Text, int Count,
                    const int* Dx = nullptr);
    void ExtTextOut(int X, int Y, int Options, const TRect* Rect, const String& Text,
                    const int* Dx = nullptr) {
        ExtTextOut(X, Y, Options, Rect, Text.data(), int(Text.size()), Dx);
    }
    // Font metrics of the current font (true; false without the GUI application).
    bool GetTextMetrics(TTextMetric& Metric);
    // Widths of the characters First..Last into ABC[0..Last-First].
    bool GetCharABCWidths(Char First, Char Last, TABC* ABC);

    // Pictures: drawn at their size with CopyMode; transparent bitmaps leave their
    // transparent colour out, bitmaps with an alpha format blend.
    void Draw(int X, int Y, TGraphic* Graphic);
    // Blended with a constant opacity (0 invisible, 255 opaque) on top of the picture's own.
    void Draw(int X, int Y, TGraphic* Graphic, Byte Opacity);
    void StretchDraw(const TRect& Rect, TGraphic* Graphic);
    // Copies Source of another canvas (or of this one; overlapping is fine) to Dest with
    // CopyMode, stretching when the sizes differ.
    void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
    // Copies Source of a bitmap with the pixels of Color replaced by the brush colour.
    void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color);

    // Clipping on top of what the device's owner allows. The clip is kept while the device is
    // bound and dropped when it is released.
    void IntersectClipRect(const TRect& Rect);
    void ExcludeClipRect(const TRect& Rect);
    // Replaces the clip set here by Rect; null removes it.
    void SelectClipRect(const TRect* Rect);
    // The canvas point drawn at the device's corner (Windows' window origin); (0, 0) when a
    // device is bound. Clips set before move with the coordinates and keep their pixels.
    TPoint WindowOrg() const;
    void SetWindowOrg(const TPoint& Value);

    // Fonts, pens and brushes are applied afresh on the next call.
    void Refresh();

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    // Fired around every drawing call; a window's canvas schedules a repaint in Changed.
    virtual void Changing();
    virtual void Changed();
    // Called when a drawing call finds no device: a descendant binds one here
    // (GraphicsQt.h: BindCanvas). The default binds nothing.
    virtual void CreateHandle() {}
    // Binds a device when none is bound, or raises "Canvas does not allow drawing".
    void RequiredState();

private:
    friend struct TCanvasPrivate;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    TPoint FPenPos;
    TCopyMode FCopyMode = cmSrcCopy;
    int FTextFlags = 0;
    std::recursive_mutex FLock;
    int FLockCount = 0;
    std::unique_ptr<TCanvasPrivate> FPriv;
};

// The Windows calls that draw on a device context, on a canvas.

// Draws Text formatted by Format (DT_* flags) into Rect in the canvas's font; the returned
// value is the height of the text (with DT_VCENTER or DT_BOTTOM: from Rect's top to the text's
// bottom). With DT_CALCRECT nothing is drawn and Rect's right and bottom receive the size of
// the text: the widest line, the lines' height; empty text is 0 x 0. As on Windows,
// DT_VCENTER and DT_BOTTOM act on single lines only, DT_TABSTOP takes the tab width in
// characters from bits 8-15 (which then cannot carry DT_CALCRECT and its neighbours), a word
// wider than the rectangle stays whole on its line, and the background of each line is filled
// in the brush colour unless the brush is clear. DT_MODIFYSTRING and DT_RTLREADING are ignored.
int DrawText(TCanvas* Canvas, const String& Text, TRect& Rect, Cardinal Format);
bool ExtTextOut(TCanvas* Canvas, int X, int Y, int Options, const TRect* Rect, const String& Text,
                const int* Dx = nullptr);

// DrawEdge: the classic 3-D borders.
constexpr Cardinal BDR_RAISEDOUTER = 0x0001;
constexpr Cardinal BDR_SUNKENOUTER = 0x0002;
constexpr Cardinal BDR_RAISEDINNER = 0x0004;
constexpr Cardinal BDR_SUNKENINNER = 0x0008;
constexpr Cardinal BDR_OUTER = 0x0003;
constexpr Cardinal BDR_INNER = 0x000C;
constexpr Cardinal BDR_RAISED = 0x0005;
constexpr Cardinal BDR_SUNKEN = 0x000A;
constexpr Cardinal EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr Cardinal EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr Cardinal EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr Cardinal EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;

constexpr Cardinal BF_LEFT = 0x0001;
constexpr Cardinal BF_TOP = 0x0002;
constexpr Cardinal BF_RIGHT = 0x0004;
constexpr Cardinal BF_BOTTOM = 0x0008;
constexpr Cardinal BF_TOPLEFT = BF_TOP | BF_LEFT;
constexpr Cardinal BF_TOPRIGHT = BF_TOP | BF_RIGHT;
constexpr Cardinal BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT;
constexpr Cardinal BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT;
constexpr Cardinal BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr Cardinal BF_DIAGONAL = 0x0010;
constexpr Cardinal BF_MIDDLE = 0x0800;
constexpr Cardinal BF_SOFT = 0x1000;
constexpr Cardinal BF_ADJUST = 0x2000;
constexpr Cardinal BF_FLAT = 0x4000;
constexpr Cardinal BF_MONO = 0x8000;

// Draws the chosen sides of Edge around Rect (BF_MIDDLE fills the inside with the button face,
// BF_ADJUST leaves Rect as the inside). BF_DIAGONAL draws nothing.
bool DrawEdge(TCanvas* Canvas, TRect& Rect, Cardinal Edge, Cardinal Flags);

// DrawFrameControl: classic buttons, check boxes, radio buttons, scroll arrows, caption buttons.
constexpr Cardinal DFC_CAPTION = 1;
constexpr Cardinal DFC_MENU = 2;
constexpr Cardinal DFC_SCROLL = 3;
constexpr Cardinal DFC_BUTTON = 4;
constexpr Cardinal DFC_POPUPMENU = 5;

constexpr Cardinal DFCS_CAPTIONCLOSE = 0x0000;
constexpr Cardinal DFCS_CAPTIONMIN = 0x0001;
constexpr Cardinal DFCS_CAPTIONMAX = 0x0002;
constexpr Cardinal DFCS_CAPTIONRESTORE = 0x0003;
constexpr Cardinal DFCS_CAPTIONHELP = 0x0004;
constexpr Cardinal DFCS_MENUARROW = 0x0000;
constexpr Cardinal DFCS_MENUCHECK = 0x0001;
constexpr Cardinal DFCS_MENUBULLET = 0x0002;
constexpr Cardinal DFCS_MENUARROWRIGHT = 0x0004;
constexpr Cardinal DFCS_SCROLLUP = 0x0000;
constexpr Cardinal DFCS_SCROLLDOWN = 0x0001;
constexpr Cardinal DFCS_SCROLLLEFT = 0x0002;
constexpr Cardinal DFCS_SCROLLRIGHT = 0x0003;
constexpr Cardinal DFCS_SCROLLCOMBOBOX = 0x0005;
constexpr Cardinal DFCS_SCROLLSIZEGRIP = 0x0008;
constexpr Cardinal DFCS_SCROLLSIZEGRIPRIGHT = 0x0010;
constexpr Cardinal DFCS_BUTTONCHECK = 0x0000;
constexpr Cardinal DFCS_BUTTONRADIOIMAGE = 0x0001;
constexpr Cardinal DFCS_BUTTONRADIOMASK = 0x0002;
constexpr Cardinal DFCS_BUTTONRADIO = 0x0004;
constexpr Cardinal DFCS_BUTTON3STATE = 0x0008;
constexpr Cardinal DFCS_BUTTONPUSH = 0x0010;
constexpr Cardinal DFCS_INACTIVE = 0x0100;
constexpr Cardinal DFCS_PUSHED = 0x0200;
constexpr Cardinal DFCS_CHECKED = 0x0400;
constexpr Cardinal DFCS_TRANSPARENT = 0x0800;
constexpr Cardinal DFCS_HOT = 0x1000;
constexpr Cardinal DFCS_ADJUSTRECT = 0x2000;
constexpr Cardinal DFCS_FLAT = 0x4000;
constexpr Cardinal DFCS_MONO = 0x8000;

bool DrawFrameControl(TCanvas* Canvas, TRect& Rect, Cardinal Type, Cardinal State);

// ---- Graphics --------------------------------------------------------------------------------

DECLARE_ENUM(TPixelFormat, Byte, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit,
             pfCustom)
DECLARE_ENUM(TTransparentMode, Byte, tmAuto, tmFixed)
DECLARE_ENUM(TAlphaFormat, Byte, afIgnored, afDefined, afPremultiplied)

// A picture of some kind: a size, a way to draw itself on a canvas, a file format.
class TGraphic : public TPersistent {
    DECLARE_CLASS(TGraphic, TPersistent)
public:
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int Value) = 0;
    virtual void SetHeight(int Value) = 0;
    virtual void SetSize(int AWidth, int AHeight);
    virtual bool Empty() const = 0;
    virtual bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);
    bool Modified() const { return FModified; }
    void SetModified(bool Value);

    // Through a file stream; a file that cannot be read as this kind of picture raises
    // EInvalidGraphic and leaves the picture as it was.
    virtual void LoadFromFile(const String& FileName);
    // Written to a temporary name and renamed over FileName, so that no file is half written.
    virtual void SaveToFile(const String& FileName);
    virtual void LoadFromStream(TStream* Stream) = 0;
    virtual void SaveToStream(TStream* Stream) = 0;

    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    friend class TPicture;
    // Draws the picture into Rect (stretched when the size differs); Opacity 255 is opaque.
    virtual void Draw(TCanvas* ACanvas, const TRect& Rect, Byte Opacity) = 0;
    virtual void Changed(TObject* Sender);

private:
    bool FTransparent = false;
    bool FModified = false;
};

struct TBitmapPrivate;

// A bitmap in memory with a canvas. The pixel format decides the layout of ScanLine rows, in
// Windows' byte order: pf24bit B,G,R; pf32bit and pfDevice B,G,R,A; pf15bit/pf16bit 16-bit
// 5-5-5 / 5-6-5 words; pf8bit one palette index per byte; pf4bit two per byte (high nibble
// first); pf1bit eight per byte (most significant bit first). New pixels are white.
class TBitmap : public TGraphic {
    DECLARE_CLASS(TBitmap, TGraphic)
public:
    TBitmap();
    TBitmap(int AWidth, int AHeight);
    ~TBitmap() override;

    // Copies another bitmap (pixels, format, transparency) or draws an icon; null empties.
    void Assign(TPersistent* Source) override;

    TCanvas* Canvas();
    int Width() const override;
    int Height() const override;
    void SetWidth(int Value) override;
    void SetHeight(int Value) override;
    // Keeps the pixels that stay; new ones are white.
    void SetSize(int AWidth, int AHeight) override;
    bool Empty() const override;

    TPixelFormat PixelFormat() const;
    // Converts the pixels (to a palette of the format: black and white, the 16 VGA colours, or
    // a 256-colour table); pfCustom raises EInvalidGraphic "Invalid pixel format".
    void SetPixelFormat(TPixelFormat Value);
    // For pf32bit: whether the A bytes count when the bitmap is drawn.
    TAlphaFormat AlphaFormat() const;
    void SetAlphaFormat(TAlphaFormat Value);
    bool Monochrome() const { return PixelFormat() == pf1bit; }
    void SetMonochrome(bool Value);
    // Row 0 is the top row; a row outside the bitmap raises EInvalidGraphicOperation
    // "Scan line index out of range". The pointer stays valid until the bitmap is drawn on,
    // resized or converted.
    void* ScanLine(int Row);
    // The distance in bytes from one row to the next.
    int RowBytes() const;

    // tmAuto: the bottom-left pixel; tmFixed: the colour set (setting one makes the mode fixed).
    TColor TransparentColor() const;
    void SetTransparentColor(TColor Value);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode Value);

    // BMP, or any picture Qt reads (PNG, JPEG, ICO...) when reading.
    void LoadFromStream(TStream* Stream) override;
    // BMP.
    void SaveToStream(TStream* Stream) override;

    // The layer's own access to the pixels (GraphicsQt.h).
    TBitmapPrivate* Private() const { return FData.get(); }

protected:
    void Draw(TCanvas* ACanvas, const TRect& Rect, Byte Opacity) override;
    void Changed(TObject* Sender) override;
    // The file format of SaveToStream: "BMP", "PNG", "JPG", with a quality for JPEG.
    virtual const char* FileFormat() const { return "BMP"; }
    virtual int FileQuality() const { return -1; }

private:
    friend struct TBitmapPrivate;
    std::unique_ptr<TBitmapPrivate> FData;
    std::unique_ptr<TCanvas> FCanvas;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = tmAuto;
};

// The icon Name ("document-open", "edit-find", ...) of the desktop's icon theme, or of the
// fallback theme "Adwaita" where the desktop's theme lacks it, drawn into Bitmap at Size x Size
// pixels with its alpha (pf32bit, afDefined). False, with Bitmap left as it was, when no theme
// has the icon or no GUI application runs.
bool LoadThemeIcon(TBitmap* Bitmap, const String& Name, int Size);

// A bitmap saved as PNG (alpha kept: pf32bit with afDefined when the picture has alpha).
class TPngImage : public TBitmap {
    DECLARE_CLASS(TPngImage, TBitmap)
public:
    void LoadFromStream(TStream* Stream) override;

protected:
    const char* FileFormat() const override { return "PNG"; }
};

// A bitmap saved as JPEG with CompressionQuality (1..100, default 90).
class TJPEGImage : public TBitmap {
    DECLARE_CLASS(TJPEGImage, TBitmap)
public:
    int CompressionQuality() const { return FQuality; }
    void SetCompressionQuality(int Value);

protected:
    const char* FileFormat() const override { return "JPG"; }
    int FileQuality() const override { return FQuality; }

private:
    int FQuality = 90;
};

// The standard icons of TIcon::LoadStandardIcon.
enum : int {
    IDI_APPLICATION = 32512,
    IDI_ERROR = 32513,
    IDI_QUESTION = 32514,
    IDI_WARNING = 32515,
    IDI_INFORMATION = 32516,
};

// An icon: a picture with transparency, read from and written to ICO files (the largest
// image of the file is taken).
class TIcon : public TGraphic {
    DECLARE_CLASS(TIcon, TGraphic)
public:
    TIcon();
    ~TIcon() override;
    void Assign(TPersistent* Source) override;

    int Width() const override;
    int Height() const override;
    // An icon's size comes with its picture: EInvalidGraphicOperation "Cannot change the size
    // of an icon".
    void SetWidth(int Value) override;
    void SetHeight(int Value) override;
    bool Empty() const override;
    bool Transparent() const override { return true; }

    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;

    // One of the system's standard icons (IDI_APPLICATION, IDI_ERROR, IDI_QUESTION, IDI_WARNING,
    // IDI_INFORMATION), 32 x 32; EInvalidGraphic for any other number.
    void LoadStandardIcon(int IconId);
    // The icon's picture as a pf32bit bitmap with alpha (afDefined), and back.
    void AssignToBitmap(TBitmap* Bitmap) const;
    void AssignFromBitmap(TBitmap* Bitmap);

protected:
    void Draw(TCanvas* ACanvas, const TRect& Rect, Byte Opacity) override;

private:
    std::unique_ptr<TBitmap> FImage;
};

// The kinds of picture by file extension.
using TGraphicClass = TClass;

// Holds one graphic of any registered kind.
class TPicture : public TPersistent {
    DECLARE_CLASS(TPicture, TPersistent)
public:
    TPicture();
    ~TPicture() override;

    // A TPicture copies its graphic; a TGraphic is copied in; null empties the picture.
    void Assign(TPersistent* Source) override;

    TGraphic* Graphic() const { return FGraphic.get(); }
    // A copy of Value (of its own class) becomes the graphic; null empties.
    void SetGraphic(TGraphic* Value);
    // The graphic as a bitmap: a picture that holds another kind is replaced by an empty
    // bitmap (a PNG or JPEG image is a bitmap and stays).
    TBitmap* Bitmap();
    void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
    TIcon* Icon();
    void SetIcon(TIcon* Value) { SetGraphic(Value); }
    int Width() const;
    int Height() const;

    // The kind comes from the extension (".bmp", ".png", ".jpg", ".jpeg", ".ico", and what was
    // registered); an unknown one raises EInvalidGraphic "Unknown picture file extension (.xyz)".
    void LoadFromFile(const String& FileName);
    void SaveToFile(const String& FileName);
    // The kind is recognised from the stream's first bytes.
    void LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream);

    static void RegisterFileFormat(const String& Extension, const String& Description,
                                   TGraphicClass GraphicClass);
    static void UnregisterGraphicClass(TGraphicClass GraphicClass);
    // The registered class for an extension (with or without the dot); null when none.
    static TGraphicClass FileFormatClass(const String& Extension);
    // "All (*.bmp;*.png;...)|*.bmp;*.png;...|Bitmaps (*.bmp)|*.bmp|...", for open dialogs.
    static String GraphicFilter(TGraphicClass GraphicClass);

    TNotifyEvent OnChange;

protected:
    virtual void Changed(TObject* Sender);

private:
    std::unique_ptr<TGraphic> FGraphic;
    void TakeGraphic(TGraphic* NewGraphic);
};

// Registers the graphic classes and the picture file formats (part of
// RegisterPlatformGuiClasses).
void RegisterGraphicsClasses();
