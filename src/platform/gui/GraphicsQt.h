#pragma once
// Internal to the GUI layer (included by its .cpp files only): how canvases, fonts, colours
// and bitmaps meet Qt.
//
// A window's canvas. The window keeps a back buffer (a QImage; QImage::Format_RGB32 is the
// fastest) that its canvas draws into at any time and that its paint event shows:
//
//   class TControlCanvas : public TCanvas {
//   protected:
//       void CreateHandle() override {
//           // Called by the first drawing call that finds no device. Origin: where canvas
//           // point (0, 0) lies in the buffer (a graphic control drawing on its parent's
//           // buffer passes its own position there); Clip: the area the canvas may draw on,
//           // in canvas coordinates (the client rectangle).
//           BindCanvas(this, &Buffer, Origin, &ClientRect);
//       }
//       void Changed() override {
//           TCanvas::Changed();      // fires OnChange
//           // schedule a repaint of the window
//       }
//   };
//
// ReleaseCanvas(Canvas) ends the canvas's painter and forgets the device: call it before the
// buffer is shown (paint event), resized, replaced or freed. The next drawing call binds
// again through CreateHandle. A clip set with IntersectClipRect & co. lasts while the device
// stays bound. Binding another device first releases the old one.

#include "platform/gui/Graphics.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QRegion>

#include <array>
#include <bitset>
#include <mutex>
#include <unordered_map>

// ---- Canvas and device -----------------------------------------------------------------------

// Binds Canvas to Device (any QPaintDevice; a QImage also lets Pixels read and write it
// directly). Origin: device position of canvas point (0, 0). Clip: canvas coordinates; null is
// the whole device.
void BindCanvas(TCanvas* Canvas, QPaintDevice* Device, TPoint Origin = {}, const TRect* Clip = nullptr);
// Ends the painter and forgets the device; nothing happens when none is bound.
void ReleaseCanvas(TCanvas* Canvas);
// The bound device (null when none).
QPaintDevice* CanvasDevice(TCanvas* Canvas);
// The image behind the canvas when its device is a QImage (null otherwise), and its origin.
QImage* CanvasImage(TCanvas* Canvas);
TPoint CanvasOrigin(TCanvas* Canvas);
// The active painter of the canvas (binding a device first, or raising "Canvas does not allow
// drawing"), set to canvas coordinates and the canvas's clip, for drawing with Qt directly.
// Restore whatever state you change (QPainter::save / restore).
QPainter* CanvasPainter(TCanvas* Canvas);

// A drawing call of the layer's own made with Qt: Begin binds a device (or raises), fires
// OnChanging and answers the painter (canvas coordinates, canvas clip); End fires OnChange.
QPainter& BeginCanvasDrawing(TCanvas* Canvas);
void EndCanvasDrawing(TCanvas* Canvas);

// Draws Source into Dest (stretched when the sizes differ) with a copy mode (cmSrcCopy...);
// the modes without a source fill Dest with black, white, the brush, or invert it.
void BlitImage(TCanvas* Canvas, QPainter& Painter, const QRect& Dest, const QImage& Source, TCopyMode Mode);

// ---- Colours and fonts -----------------------------------------------------------------------

// A TColor (system colours resolved) as an opaque QColor / QRgb; clNone gives a transparent
// QColor.
QColor QtColor(TColor Color);
QRgb QtRgb(TColor Color);
// 0x00BBGGRR of a Qt colour (alpha dropped).
TColor ColorFromQt(QRgb Rgb);

// The QFont for a font (mapped family, pixel size, weight, italic, underline, strike-out,
// antialiasing as the quality asks); needs the GUI application.
QFont QtFont(const TFont* Font);
// The family a font name maps to.
QString QtFontFamily(const String& Name);

// One glyph of a font engine: the index in Fonts[Slot] and its advance in whole pixels.
struct TGlyphInfo {
    quint32 Glyph = 0;
    int Advance = 0;
    int Slot = 0;
};

// What text drawing needs of one font description, shared by all fonts that describe it the
// same way: the fonts (the mapped family and the fallbacks found for characters it lacks),
// metrics, and the glyphs of the characters met so far.
struct TFontEngine {
    QFont Font;                  // the description without underline and strike-out
    std::vector<QRawFont> Fonts; // [0] the font itself, then fallbacks
    TTextMetric Metric;
    int Ascent = 0;
    int Descent = 0;
    int UnderlinePos = 0; // below the baseline
    int StrikeOutPos = 0; // above the baseline
    int LineWidth = 1;
    bool FixedPitch = false;
    // Held while glyphs are looked up or drawn: engines are shared by every canvas.
    std::recursive_mutex Lock;

    // The glyph of a code point (found in a fallback font when the font lacks it).
    const TGlyphInfo& Glyph(char32_t C) {
        if (C < 256) {
            if (!FLatinKnown[C]) {
                FLatin[C] = Lookup(C);
                FLatinKnown[C] = true;
            }
            return FLatin[C];
        }
        auto It = FOthers.find(C);
        if (It == FOthers.end()) It = FOthers.emplace(C, Lookup(C)).first;
        return It->second;
    }
    // The sum of the advances of a text (surrogate pairs as one character).
    int TextWidth(const Char* Text, int Count);
    // A-B-C widths of one character.
    TABC ABCWidths(char32_t C);

private:
    std::array<TGlyphInfo, 256> FLatin{};
    std::bitset<256> FLatinKnown;
    std::unordered_map<char32_t, TGlyphInfo> FOthers;
    TGlyphInfo Lookup(char32_t C);
};

// The shared engine of a font description; raises EInvalidOperation without the GUI
// application.
std::shared_ptr<TFontEngine> FontEngineOf(const TFont* Font);

// Draws a run of text with its cell's top-left at (X, Y): one glyph-run call per font slot
// used, positions from Dx when given (one per UTF-16 unit) or the engine's advances, in the
// painter's current pen colour; underline and strike-out as the style asks. Answers the run's
// width.
int DrawGlyphs(QPainter& Painter, TFontEngine& Engine, int X, int Y, const Char* Text, int Count,
               const int* Dx, const QColor& Color, bool Underline, bool StrikeOut);

// ---- Bitmaps ---------------------------------------------------------------------------------

// The pixels of a bitmap. Store holds them in the pixel format's own layout; while the canvas
// draws on an indexed bitmap (pf1bit, pf4bit, pf8bit), Work holds a 32-bit copy that goes back
// into Store when the bitmap is next read. pf4bit rows handed out by ScanLine live in Packed
// until then.
struct TBitmapPrivate {
    TBitmap* Owner = nullptr;
    QImage Store;
    QImage Work;
    bool WorkActive = false;
    std::vector<uchar> Packed;
    bool PackedActive = false;
    TPixelFormat Format = pfDevice;
    TAlphaFormat Alpha = afIgnored;
    unsigned Version = 0; // grows with every change (keys the transparency cache)
    QImage MaskedCache;
    unsigned MaskedVersion = ~0u;

    static TBitmapPrivate& Of(TBitmap* Bitmap) { return *Bitmap->FData; }

    // Something changed the pixels: caches go, the bitmap fires OnChange.
    void Touch();
    bool Indexed() const { return Format == pf1bit || Format == pf4bit || Format == pf8bit; }

    // The pixels as they are now, for reading (no copy).
    const QImage& Current() const { return WorkActive ? Work : Store; }
    // Ends the canvas's painter and brings Work and Packed back into Store.
    void Settle();
    // The image a canvas draws on (Store, or Work for indexed formats).
    QImage* Surface();
    // The picture as it is drawn: alpha as the alpha format says, the transparent colour
    // cleared when the bitmap is transparent.
    QImage DrawImage();
    // Replaces the pixels by Image, converted to Format.
    void SetImage(const QImage& Image, TPixelFormat AFormat);
    static QImage::Format QtFormat(TPixelFormat Format, TAlphaFormat Alpha);
    static QList<QRgb> Palette(TPixelFormat Format);
    static QImage Convert(const QImage& Image, TPixelFormat Format, TAlphaFormat Alpha);
};

// A bitmap's pixels as a 32-bit image with alpha (ARGB32 premultiplied) as it is drawn, and a
// bitmap filled from a Qt image (pf32bit with afDefined when the image has alpha, else pf24bit).
QImage BitmapToQImage(TBitmap* Bitmap);
void BitmapFromQImage(TBitmap* Bitmap, const QImage& Image);
// An icon's pixels (ARGB32 premultiplied) and back.
QImage IconToQImage(TIcon* Icon);
void IconFromQImage(TIcon* Icon, const QImage& Image);
