#include "tree/LeanTreeShared.h"

#include "platform/base/Strings.h"
#include "tree/LeanTreeColors.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

TClipboardFormat TreeDataFormat = 0, TreeReferenceFormat = 0, HtmlFormat = 0, RtfNoObjectsFormat = 0,
                 RtfFormat = 0, CsvFormat = 0;

namespace {

constexpr TColor MaskColor = clFuchsia;

// A check image set of 25 images drawn with the classic frame controls: radio buttons, check
// boxes, three-state boxes, each normal, hot, pushed and inactive, then push buttons.
std::unique_ptr<TCustomImageList> BuildCheckSet(bool Flat, bool Dark) {
    auto List = std::make_unique<TCustomImageList>(16, 16);
    TBitmap Work(16, 16);
    TCanvas* C = Work.Canvas();
    auto Clear = [&] {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(MaskColor);
        C->FillRect(Rect(0, 0, 16, 16));
    };
    Clear();
    List->AddMasked(&Work, MaskColor);
    for (int I = 0; I < 24; ++I) {
        Clear();
        Cardinal State = 0;
        if (I < 8)
            State = DFCS_BUTTONRADIO;
        else if (I < 16)
            State = DFCS_BUTTONCHECK;
        else if (I < 20)
            State = DFCS_BUTTON3STATE;
        else
            State = DFCS_BUTTONPUSH;
        if ((I >= 4 && I < 8) || (I >= 12 && I < 20)) State |= DFCS_CHECKED;
        switch (I % 4) {
        case 1:
            State |= DFCS_HOT;
            break;
        case 2:
            State |= DFCS_PUSHED;
            break;
        case 3:
            State |= DFCS_INACTIVE;
            break;
        default:
            break;
        }
        if (Flat) State |= DFCS_FLAT;
        TRect R = Rect(1, 2, 14, 15);
        DrawFrameControl(C, R, DFC_BUTTON, State);
        if (Dark && (State & DFCS_INACTIVE) == 0 && I < 20) {
            // The dark sets frame the box once more in the text colour.
            C->Brush()->SetColor(clBtnText);
            C->FrameRect(Rect(1, 2, 14, 15));
        }
        List->AddMasked(&Work, MaskColor);
    }
    return List;
}

std::unique_ptr<TCustomImageList> BuildUtilitySet() {
    auto List = std::make_unique<TCustomImageList>(16, 16);
    TBitmap Work(16, 16);
    TCanvas* C = Work.Canvas();
    auto Image = [&](const std::vector<TPoint>& Shape, TColor Color) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(MaskColor);
        C->FillRect(Rect(0, 0, 16, 16));
        C->Brush()->SetColor(Color);
        C->Pen()->SetColor(Color);
        C->Polygon(Shape);
        List->AddMasked(&Work, MaskColor);
    };
    // Drop marks: arrows pointing at the place before or after a column.
    Image({{1, 3}, {7, 8}, {1, 13}}, clHighlight);
    Image({{14, 3}, {8, 8}, {14, 13}}, clHighlight);
    // Sort glyphs: descending points down, ascending up; the themed pair the same in grey.
    Image({{4, 6}, {12, 6}, {8, 10}}, clBtnShadow);
    Image({{4, 10}, {12, 10}, {8, 6}}, clBtnShadow);
    Image({{4, 6}, {12, 6}, {8, 10}}, clGray);
    Image({{4, 10}, {12, 10}, {8, 6}}, clGray);
    return List;
}

struct TImageSets {
    std::unique_ptr<TCustomImageList> Checks[9];
    std::unique_ptr<TCustomImageList> Utility;
};

TImageSets& Sets() {
    static TImageSets S;
    static std::once_flag Built;
    std::call_once(Built, [] {
        S.Checks[ckLightCheck] = BuildCheckSet(false, false);
        S.Checks[ckDarkCheck] = BuildCheckSet(false, true);
        S.Checks[ckLightTick] = BuildCheckSet(true, false);
        S.Checks[ckDarkTick] = BuildCheckSet(true, true);
        S.Checks[ckFlat] = BuildCheckSet(true, false);
        S.Checks[ckXP] = BuildCheckSet(false, false);
        S.Checks[ckSystemFlat] = BuildCheckSet(true, false);
        S.Checks[ckSystemDefault] = BuildCheckSet(false, false);
        S.Utility = BuildUtilitySet();
    });
    return S;
}

} // namespace

TCustomImageList* CheckImageSet(TCheckImageKind Kind) {
    return Kind == ckCustom ? nullptr : Sets().Checks[Kind].get();
}

TCustomImageList* UtilityImages() {
    return Sets().Utility.get();
}

TRect NormalizeRect(const TRect& R) {
    return {std::min(R.Left, R.Right), std::min(R.Top, R.Bottom), std::max(R.Left, R.Right),
            std::max(R.Top, R.Bottom)};
}

String ShortenString(TCanvas* Canvas, const String& S, int Width, int EllipsisWidth) {
    if (S.empty() || Width <= 0) return String();
    if (EllipsisWidth == 0) EllipsisWidth = Canvas->TextWidth(u"...");
    if (EllipsisWidth >= Width) return String();
    int Low = 0, High = static_cast<int>(S.size()) - 1;
    while (Low < High) {
        const int N = (Low + High + 1) >> 1;
        if (EllipsisWidth + Canvas->TextWidth(S.substr(0, static_cast<std::size_t>(N))) > Width)
            High = N - 1;
        else
            Low = N;
    }
    return S.substr(0, static_cast<std::size_t>(Low)) + u"...";
}

void MeasureText(TCanvas* Canvas, const String& S, TRect& R, Cardinal DrawFormat) {
    R.Right = R.Left + 1;
    R.Bottom = R.Top + 1;
    DrawText(Canvas, S, R, DrawFormat | DT_CALCRECT);
}

String WrapTextToWidth(TCanvas* Canvas, const String& Source, const TRect& Bounds, bool RTL,
                       Cardinal DrawFormat) {
    const String S = Trim(Source);
    if (S.empty()) return String();
    std::vector<String> Words;
    {
        std::size_t Start = 0;
        for (;;) {
            const std::size_t Blank = S.find(u' ', Start);
            Words.push_back(S.substr(Start, Blank == String::npos ? String::npos : Blank - Start));
            if (Blank == String::npos) break;
            Start = Blank + 1;
        }
    }
    if (RTL) std::reverse(Words.begin(), Words.end());
    const int Width = Bounds.Right - Bounds.Left;
    auto Fits = [&](const String& Line) {
        TRect R = Rect(0, 0, 0, 0);
        MeasureText(Canvas, Line, R, DrawFormat);
        return R.Right <= Width;
    };
    std::vector<String> Lines;
    String Line;
    bool LineHasWords = false;
    std::size_t I = 0;
    while (I < Words.size()) {
        const String& Word = Words[I];
        const String Candidate = !LineHasWords ? Word : RTL ? Word + u" " + Line : Line + u" " + Word;
        if (Fits(Candidate)) {
            Line = Candidate;
            LineHasWords = true;
            ++I;
        } else if (LineHasWords) {
            Lines.push_back(Line);
            Line.clear();
            LineHasWords = false;
        } else {
            // A word wider than a line is cut: the longest part that fits stays.
            std::size_t Keep = Word.size();
            while (Keep > 1 && !Fits(RTL ? Word.substr(Word.size() - Keep) : Word.substr(0, Keep)))
                --Keep;
            Lines.push_back(RTL ? Word.substr(Word.size() - Keep) : Word.substr(0, Keep));
            Words[I] = RTL ? Word.substr(0, Word.size() - Keep) : Word.substr(Keep);
            if (Words[I].empty()) ++I;
        }
    }
    if (LineHasWords) Lines.push_back(Line);
    String Result;
    for (std::size_t L = 0; L < Lines.size(); ++L) {
        if (L > 0) Result += u'\n';
        Result += Lines[L];
    }
    return Result;
}

void SortNodeArray(TNodeArray& Nodes, int L, int R) {
    if (L >= R) return;
    std::sort(Nodes.begin() + L, Nodes.begin() + R + 1, [](PLeanNode A, PLeanNode B) {
        return reinterpret_cast<std::uintptr_t>(A) < reinterpret_cast<std::uintptr_t>(B);
    });
}

TColorRef ColorToRGBValue(TColor Value) {
    if (Value == clNone) return 0xFFFFFFFFu;
    if (Value == clDefault) return 0xFF000000u;
    return ColorToRGB(Value);
}

void TLTAccessibilityFactory::RegisterAccessibleProvider(ILTAccessibleProvider* AProvider) {
    if (AProvider && std::find(FProviders.begin(), FProviders.end(), AProvider) == FProviders.end())
        FProviders.push_back(AProvider);
}

void TLTAccessibilityFactory::UnRegisterAccessibleProvider(ILTAccessibleProvider* AProvider) {
    FProviders.erase(std::remove(FProviders.begin(), FProviders.end(), AProvider), FProviders.end());
}

void* TLTAccessibilityFactory::CreateIAccessible(TBaseLeanTree* ATree, void* TreeAccessible,
                                                 void* ItemAccessible) {
    if (!ATree || FProviders.empty()) return nullptr;
    if (!TreeAccessible) return FProviders[0]->CreateIAccessible(ATree);
    if (ItemAccessible) return ItemAccessible;
    for (std::size_t I = FProviders.size() - 1; I >= 1; --I)
        if (void* Object = FProviders[I]->CreateIAccessible(ATree)) return Object;
    return FProviders[0]->CreateIAccessible(ATree);
}

TLTAccessibilityFactory& AccessibilityFactory() {
    static TLTAccessibilityFactory Factory;
    return Factory;
}

// ---- Wheel panning pictures and cursors ---------------------------------------------------------

namespace {

constexpr int PanningSize = 32;

// A triangle pointing from the middle of a 32 x 32 picture in the direction (DX, DY).
void PanningArrow(TCanvas* C, int DX, int DY, TColor Fill, TColor Edge) {
    const double Length = std::hypot(DX, DY);
    const double UX = DX / Length, UY = DY / Length;
    auto At = [&](double Along, double Across) {
        return TPoint{16 + static_cast<int>(std::lround(UX * Along - UY * Across)),
                      16 + static_cast<int>(std::lround(UY * Along + UX * Across))};
    };
    C->Pen()->SetColor(Edge);
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Fill);
    C->Polygon(std::vector<TPoint>{At(14, 0), At(9, -4), At(9, 4)});
}

std::unique_ptr<TBitmap> MagentaPicture() {
    auto B = std::make_unique<TBitmap>(PanningSize, PanningSize);
    TCanvas* C = B->Canvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(MaskColor);
    C->FillRect(Rect(0, 0, PanningSize, PanningSize));
    return B;
}

// The arrows a resource name stands for: "ALL" four, "EW" and "NS" two, a compass direction one.
bool PanningArrows(const String& Name, std::vector<TPoint>& Arrows) {
    static const String Prefix = u"LT_MOVE";
    if (Name.rfind(Prefix, 0) != 0) return false;
    const String Which = Name.substr(Prefix.size());
    if (Which == u"ALL") {
        Arrows = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
    } else if (Which == u"EW") {
        Arrows = {{-1, 0}, {1, 0}};
    } else if (Which == u"NS") {
        Arrows = {{0, -1}, {0, 1}};
    } else {
        static const String Directions[] = {u"N", u"NE", u"E", u"SE", u"S", u"SW", u"W", u"NW"};
        if (std::find(std::begin(Directions), std::end(Directions), Which) == std::end(Directions)) return false;
        TPoint D{0, 0};
        for (char16_t Ch : Which) {
            if (Ch == u'N') D.Y = -1;
            if (Ch == u'S') D.Y = 1;
            if (Ch == u'E') D.X = 1;
            if (Ch == u'W') D.X = -1;
        }
        Arrows = {D};
    }
    return true;
}

} // namespace

std::unique_ptr<TBitmap> LeanTreePanningImage(const String& Name) {
    std::vector<TPoint> Arrows;
    if ((Name != u"LT_MOVEALL" && Name != u"LT_MOVEEW" && Name != u"LT_MOVENS") || !PanningArrows(Name, Arrows))
        return std::make_unique<TBitmap>();
    auto B = MagentaPicture();
    TCanvas* C = B->Canvas();
    // A white disc with the ways the content can move and the point it moves from.
    C->Pen()->SetColor(clBtnShadow);
    C->Brush()->SetColor(clWhite);
    C->Ellipse(0, 0, PanningSize, PanningSize);
    for (const TPoint& D : Arrows)
        PanningArrow(C, D.X, D.Y, clBlack, clBlack);
    C->Pen()->SetColor(clBlack);
    C->Brush()->SetColor(clBlack);
    C->Ellipse(13, 13, 19, 19);
    return B;
}

HCURSOR LeanTreeCursor(const String& Name) {
    // Made on the GUI thread only, once per name.
    static std::map<String, HCURSOR> Loaded;
    if (const auto It = Loaded.find(Name); It != Loaded.end()) return It->second;
    std::vector<TPoint> Arrows;
    if (!PanningArrows(Name, Arrows)) return 0;
    auto B = MagentaPicture();
    TCanvas* C = B->Canvas();
    for (const TPoint& D : Arrows)
        PanningArrow(C, D.X, D.Y, clBlack, clWhite);
    C->Pen()->SetColor(clWhite);
    C->Brush()->SetColor(clBlack);
    C->Ellipse(13, 13, 20, 20);
    B->SetTransparentColor(MaskColor);
    B->SetTransparent(true);
    const HCURSOR Handle = CreateBitmapCursor(B.get(), {16, 16});
    Loaded[Name] = Handle;
    return Handle;
}
