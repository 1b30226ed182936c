#pragma once
// What every tree shares: the paint enumerations and records, the check image and utility
// image sets (drawn by our own code once per process), the theme and accessibility services,
// and the free-standing routines of text shortening and wrapping and rectangle ordering.

#include "platform/gui/Clipboard.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "tree/LeanTreeTypes.h"

#include <memory>
#include <vector>

class TBaseLeanTree;

DECLARE_ENUM(TLTButtonStyle, Byte, bsRectangle, bsTriangle)
DECLARE_ENUM(TLTButtonFillMode, Byte, fmTreeColor, fmWindowColor, fmShaded, fmTransparent)
DECLARE_ENUM(TLTLineStyle, Byte, lsCustomStyle, lsDotted, lsSolid)
DECLARE_ENUM(TLTLineMode, Byte, lmNormal, lmBands)
DECLARE_ENUM(TLTLineType, Byte, ltNone, ltBottomRight, ltTopDown, ltTopDownRight, ltRight, ltTopRight, ltLeft,
             ltLeftBottom)
using TLineImage = std::vector<TLTLineType>;
DECLARE_ENUM(TLTNodeAlignment, Byte, naFromBottom, naFromTop, naProportional)
DECLARE_ENUM(TLTDrawSelectionMode, Byte, smDottedRectangle, smBlendedRectangle)
DECLARE_ENUM(TCheckImageKind, Byte, ckLightCheck, ckDarkCheck, ckLightTick, ckDarkTick, ckFlat, ckXP,
             ckCustom, ckSystemFlat, ckSystemDefault)
DECLARE_ENUM(TLTInternalPaintOption, Byte, poBackground, poColumnColor, poDrawFocusRect, poDrawSelection,
             poDrawDropMark, poGridLines, poMainOnly, poSelectedOnly, poUnbuffered)
using TLTInternalPaintOptions = TSet<TLTInternalPaintOption>;

struct TCellImageInfo {
    int Index = -1;
    int XPos = 0, YPos = 0;
    bool Ghosted = false;
    TCustomImageList* Images = nullptr;
};

// The image slots of a cell.
enum : int { iiNormal = 0, iiState = 1, iiCheck = 2, iiOverlay = 3 };

struct TCellPaintInfo {
    TCanvas* Canvas = nullptr;
    TLTInternalPaintOptions PaintOptions;
    PLeanNode Node = nullptr;
    TColumnIndex Column = ColumnNone;
    int Position = 0;
    TRect CellRect;
    TRect ContentRect;
    int NodeWidth = 0;
    TAlignment Alignment = taLeftJustify;
    TBiDiMode BidiMode = bdLeftToRight;
    TPoint BrushOrigin;
    TCellImageInfo ImageInfo[4];
};

// ---- Wheel panning pictures and cursors ---------------------------------------------------------

// The panning window's picture by its resource name ("LT_MOVEALL", "LT_MOVEEW", "LT_MOVENS"):
// 32 x 32, magenta (red 255, green 0, blue 255) where the window is not. An unknown name gives
// an empty bitmap.
std::unique_ptr<TBitmap> LeanTreePanningImage(const String& Name);
// The panning cursor of a resource name ("LT_MOVEALL", "LT_MOVEEW", "LT_MOVENS" and the eight
// directions "LT_MOVEN", "LT_MOVENE", "LT_MOVEE", "LT_MOVESE", "LT_MOVES", "LT_MOVESW",
// "LT_MOVEW", "LT_MOVENW"), pointing at its middle. Made once per process and shared, as a
// loaded resource is; 0 for an unknown name.
HCURSOR LeanTreeCursor(const String& Name);

// ---- Image sets ---------------------------------------------------------------------------------

// The check image list of a kind: 25 images (0 empty; 1-4 radio unchecked normal, hot, pressed,
// disabled; 5-8 radio checked; 9-12 check box unchecked; 13-16 checked; 17-20 mixed; 21-24 push
// button). Null for ckCustom.
TCustomImageList* CheckImageSet(TCheckImageKind Kind);
// The utility images, 16 x 16: 0 drop mark before, 1 after, 2 sort descending, 3 ascending,
// 4 and 5 the same for themed windows.
TCustomImageList* UtilityImages();

// ---- Routines -------------------------------------------------------------------------------------

// Left <= Right and Top <= Bottom.
TRect NormalizeRect(const TRect& R);
// The longest prefix of S that fits into Width together with "..." (EllipsisWidth 0: measured),
// followed by "..."; empty for an empty S, Width <= 0, or an ellipsis not narrower than Width.
String ShortenString(TCanvas* Canvas, const String& S, int Width, int EllipsisWidth = 0);
// S broken into lines (joined with #10) that fit into Bounds' width; a word wider than a line
// is cut.
String WrapTextToWidth(TCanvas* Canvas, const String& S, const TRect& Bounds, bool RTL, Cardinal DrawFormat);
// R's right and bottom become left + 1 and top + 1, then DrawText measures S into R.
void MeasureText(TCanvas* Canvas, const String& S, TRect& R, Cardinal DrawFormat);
// Sorts nodes by address, ascending.
void SortNodeArray(TNodeArray& Nodes, int L, int R);
// Blends the part R of Source into Destination at Target, channel by channel (B, G, R and A),
// both 32-bit bitmaps. Mode 0: alpha ConstantAlpha; 1: each source pixel's alpha; 2: the pixel's
// alpha scaled by ConstantAlpha; 3: Destination's R alone mixed with the RGB colour in Bias.
// Modes 0 to 2 add Bias (-128..127) to each result.
void BlendRectangle(TBitmap* Source, TBitmap* Destination, const TRect& R, TPoint Target, int Mode,
                    int ConstantAlpha, int Bias);
// Covers R of Canvas with Color at opacity Factor (0 nothing, 255 opaque).
void AlphaBlendRect(TCanvas* Canvas, const TRect& R, TColor Color, Byte Factor);
// RGB value of a colour; clNone 0xFFFFFFFF, clDefault 0xFF000000.
TColorRef ColorToRGBValue(TColor Value);

// ---- Theme and accessibility services -------------------------------------------------------------

// The tree's one surface for themed drawing. The control library draws the classic look, so
// themes are never enabled and every drawing call answers false (the caller draws classic).
struct StyleServices {
    static bool Enabled() { return false; }
    static bool DrawElement(TCanvas*, int, const TRect&, const TRect*) { return Enabled(); }
};

class ILTAccessibleProvider {
public:
    virtual ~ILTAccessibleProvider() = default;
    // The accessible object of a tree or of its focused item; null when this provider has none.
    virtual void* CreateIAccessible(TBaseLeanTree* ATree) = 0;
};

class TLTAccessibilityFactory {
public:
    void RegisterAccessibleProvider(ILTAccessibleProvider* AProvider);
    void UnRegisterAccessibleProvider(ILTAccessibleProvider* AProvider);
    // Provider 0 makes the tree's own object; the later ones are asked first for item objects.
    void* CreateIAccessible(TBaseLeanTree* ATree, void* TreeAccessible = nullptr,
                            void* ItemAccessible = nullptr);
    int ProviderCount() const { return static_cast<int>(FProviders.size()); }

private:
    std::vector<ILTAccessibleProvider*> FProviders;
};

TLTAccessibilityFactory& AccessibilityFactory();

// The trees alive in this process: a tree reference from a data object counts only for them.
void NoteTreeCreated(TBaseLeanTree* Tree);
void NoteTreeDestroyed(TBaseLeanTree* Tree);
bool TreeIsAlive(const TBaseLeanTree* Tree);

// Process-wide start-up of the tree code (image sets, clipboard formats); the first tree runs it.
void SetUpTreeModule();
extern TClipboardFormat TreeDataFormat, TreeReferenceFormat, HtmlFormat, RtfNoObjectsFormat, RtfFormat,
    CsvFormat;
