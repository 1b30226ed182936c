#pragma once
// The editor writes its text on a fixed grid of character cells: the drawer measures one cell
// (the advance of "M" in the measuring style), keeps one font per combination of bold, italic,
// underline and strike-out, and writes runs with an explicit advance per character so that
// every character, a wide one too, starts on a cell. Fonts with the same description are
// shared by all editors of the process through one manager, so each styled font is made once.

#include "platform/base/Exceptions.h"
#include "platform/base/Set.h"
#include "platform/gui/Graphics.h"

#include <array>
#include <memory>
#include <vector>

DECLARE_EXCEPTION(EheFontStockException, Exception)
DECLARE_EXCEPTION(EheTextDrawerException, Exception)

// What tells two fonts apart when they are shared: equal descriptions draw alike.
struct TheLogFont {
    int Height = 0;
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    TFontCharset Charset = DEFAULT_CHARSET;
    TFontPitch Pitch = fpDefault;
    TFontQuality Quality = fqDefault;
    int Orientation = 0;
    String FaceName; // at most 31 characters, as the platform keeps it
    friend bool operator==(const TheLogFont&, const TheLogFont&) = default;
};

TheLogFont LogFontOf(const TFont* Font);

// The style index of a style set: bold 1, italic 2, underline 4, strike-out 8.
inline int FontStyleIndex(const TFontStyles& Style) {
    return int(Style.ToInt() & 15);
}
inline TFontStyles FontStylesOfIndex(int Index) {
    return TFontStyles::FromInt(UInt64(Index & 15));
}

// One styled variant of a shared font; Handle stays empty until the style is first selected.
struct TheFontData {
    TFontStyles Style;
    std::unique_ptr<TFont> Handle;
    int CharAdv = 0;
    int CharHeight = 0;
};

struct TheSharedFontsInfo {
    int RefCount = 0;
    int LockCount = 0;
    std::unique_ptr<TFont> BaseFont;
    TheLogFont BaseLF;
    bool IsTrueType = false;
    std::array<TheFontData, 16> FontsData;
};

// One per process (GetFontsInfoManager). Records are matched by their description with italic,
// underline and strike-out cleared; the weight is kept.
class TheFontsInfoManager {
public:
    TheFontsInfoManager() = default;
    ~TheFontsInfoManager();
    TheFontsInfoManager(const TheFontsInfoManager&) = delete;
    TheFontsInfoManager& operator=(const TheFontsInfoManager&) = delete;

    // The shared record of the font, made when none matches; its RefCount is raised.
    TheSharedFontsInfo* GetFontsInfo(const TFont* ABaseFont);
    // The last reference removes and frees the record.
    void ReleaseFontsInfo(TheSharedFontsInfo* P);
    void LockFontsInfo(TheSharedFontsInfo* P);
    // The last lock frees the record's styled fonts.
    void UnLockFontsInfo(TheSharedFontsInfo* P);
    int Count() const { return int(FFontsInfo.size()); }

private:
    std::vector<std::unique_ptr<TheSharedFontsInfo>> FFontsInfo;
};

TheFontsInfoManager& GetFontsInfoManager();

// A drawer's view of a shared font: the style in use and its cell size.
class TheFontStock {
public:
    explicit TheFontStock(TFont* InitialFont);
    virtual ~TheFontStock();
    TheFontStock(const TheFontStock&) = delete;
    TheFontStock& operator=(const TheFontStock&) = delete;

    // A measuring context, counted: nested calls get the same one.
    virtual TCanvas* AcquireDC();
    virtual void FreeDC(TCanvas* DC);
    virtual std::unique_ptr<TFont> CreateStyledFont(const TFontStyles& Style);
    // The advance of "M" (A + B + C plus the overhang) and the cell height of DC's font.
    virtual int MeasureFontAdvance(TCanvas* DC, int& CharHeight);
    virtual int CharAdvance() const;
    virtual int CharHeight() const;
    virtual TheFontData* FontDataOfStyle(int Index);
    virtual void AssignBaseFont(TFont* Value);
    virtual void SetStyle(const TFontStyles& Value);
    // Gives up this stock's hold on the styled fonts.
    virtual void ReleaseFontHandles();

    TFont* BaseFont() const;
    TFontStyles Style() const { return FCrntStyle; }
    TFont* FontHandle() const { return FCrntFont; }
    bool IsTrueType() const;
    TheSharedFontsInfo* FontsInfo() const { return FpInfo; }

protected:
    std::unique_ptr<TCanvas> FDC;
    int FDCRefCount = 0;
    TheSharedFontsInfo* FpInfo = nullptr;
    bool FUsingFontHandles = false;
    TFont* FCrntFont = nullptr;
    TFontStyles FCrntStyle;
    TheFontData* FpCrntFontData = nullptr;
    TheLogFont FBaseLF;
};

DECLARE_ENUM(TTextOutOption, Byte, tooOpaque, tooClipped)
using TTextOutOptions = TSet<TTextOutOption>;

class TheTextDrawer {
public:
    // CalcExtentBaseStyle: the style whose "M" gives the cell width (the editor measures in
    // bold, so that every style fits its cells).
    TheTextDrawer(const TFontStyles& CalcExtentBaseStyle, TFont* ABaseFont);
    virtual ~TheTextDrawer();
    TheTextDrawer(const TheTextDrawer&) = delete;
    TheTextDrawer& operator=(const TheTextDrawer&) = delete;

    int CharWidth() const { return FBaseCharWidth + FCharExtra; }
    int CharHeight() const { return FBaseCharHeight; }

    // Brackets drawing on DC: the first call saves DC's font and brush and sets the drawer's;
    // a nested call on the same DC only counts; the last EndDrawing puts DC back.
    void BeginDrawing(TCanvas* DC);
    void EndDrawing();
    int DrawingCount() const { return FDrawingCount; }

    // The characters with the font's own advances (plus the extra spacing).
    void TextOut(int X, int Y, const Char* Text, int Length);
    // The characters on the cell grid: one cell each, a wider one the cells it covers; the last
    // character keeps room for its overhang. Clipped and filled as Options say.
    void ExtTextOut(int X, int Y, const TTextOutOptions& Options, TRect ARect, const Char* Text, int Length);
    void ExtTextOut(int X, int Y, const TTextOutOptions& Options, const TRect& ARect, const String& Text) {
        ExtTextOut(X, Y, Options, ARect, Text.data(), int(Text.size()));
    }
    // The advances of the last ExtTextOut.
    const std::vector<int>& Advances() const { return FETODist; }
    // How far the ink of a character in the current style reaches beyond its own advance (a
    // slanted glyph leans out at the top right); 0 when it does not. Only while drawing.
    int CharOverhang(const Char* Text, int Count);

    TFont* BaseFont() const { return FFontStock->BaseFont(); }
    void SetBaseFont(TFont* Value);
    TFontStyles BaseStyle() const { return FCalcExtentBaseStyle; }
    void SetBaseStyle(const TFontStyles& Value);
    TFontStyles Style() const { return FFontStock->Style(); }
    void SetStyle(const TFontStyles& Value);
    TColor ForeColor() const { return FColor; }
    void SetForeColor(TColor Value);
    TColor BackColor() const { return FBkColor; }
    void SetBackColor(TColor Value);
    int CharExtra() const { return FCharExtra; }
    void SetCharExtra(int Value);
    void ReleaseTemporaryResources();

    // Sizes on the measuring canvas (base font, no style).
    TSize TextExtent(const String& Text);
    TSize TextExtent(const Char* Text, int Count);
    // One character below 128 is measured once and remembered.
    int TextWidth(const String& Text);
    int TextWidth(const Char* Text, int Count);

    TheFontStock* FontStock() const { return FFontStock.get(); }

protected:
    virtual void ApplyCurrentFont();
    virtual void ApplyCharExtra(int Value);

private:
    TCanvas* FDC = nullptr;
    std::unique_ptr<TFont> FSavedFont;
    TColor FSavedBrushColor = clWhite;
    TBrushStyle FSavedBrushStyle = bsSolid;
    std::unique_ptr<TheFontStock> FFontStock;
    std::unique_ptr<TBitmap> FStockBitmap;
    TFontStyles FCalcExtentBaseStyle;
    int FBaseCharWidth = 0;
    int FBaseCharHeight = 0;
    TFont* FCrntFont = nullptr;
    std::vector<int> FETODist;
    std::vector<int> FTextOutDist;
    TColor FColor = clWindowText;
    TColor FBkColor = clWindow;
    int FCharExtra = 0;
    int FDrawingCount = 0;
    // Per style: a character's ink differs between the plain and the slanted font.
    std::array<std::array<TABC, 128>, 16> FCharABCWidthCache{};
    std::array<int, 128> FCharWidthCache{};

    void ClearCaches();
    void TakeCellSize();
    int CharWidthOf(const Char* Text, int Count);
    bool InkOf(const Char* Text, int Count, TABC& ABC);
    int RealWidthOf(const Char* Text, int Count);
};
