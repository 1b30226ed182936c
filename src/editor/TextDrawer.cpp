#include "editor/TextDrawer.h"

#include "platform/base/Math.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int FaceNameLength = 31;

bool IsHighSurrogate(Char C) {
    return C >= 0xD800 && C <= 0xDBFF;
}
bool IsLowSurrogate(Char C) {
    return C >= 0xDC00 && C <= 0xDFFF;
}

// Characters that form one glyph: a surrogate pair counts as one.
int GlyphUnits(const Char* Text, int Index, int Count) {
    return Index + 1 < Count && IsHighSurrogate(Text[Index]) && IsLowSurrogate(Text[Index + 1]) ? 2 : 1;
}

} // namespace

TheLogFont LogFontOf(const TFont* Font) {
    TheLogFont LF;
    // Heights are compared in pixels of the screen, as the platform describes a font.
    LF.Height = Font->PixelsPerInch() == ScreenPixelsPerInch
                    ? Font->Height()
                    : MulDiv(Font->Height(), ScreenPixelsPerInch, Font->PixelsPerInch());
    LF.Weight = Font->Style().Contains(fsBold) ? 700 : 400;
    LF.Italic = Font->Style().Contains(fsItalic);
    LF.Underline = Font->Style().Contains(fsUnderline);
    LF.StrikeOut = Font->Style().Contains(fsStrikeOut);
    LF.Charset = Font->Charset();
    LF.Pitch = Font->Pitch();
    LF.Quality = Font->Quality();
    LF.Orientation = Font->Orientation();
    LF.FaceName = Font->Name().substr(0, FaceNameLength);
    return LF;
}

// ---- Manager -------------------------------------------------------------------------------

TheFontsInfoManager::~TheFontsInfoManager() {
    // Records still referenced at the end of the process go with it.
    while (!FFontsInfo.empty())
        FFontsInfo.pop_back();
}

TheSharedFontsInfo* TheFontsInfoManager::GetFontsInfo(const TFont* ABaseFont) {
    ASSERT(ABaseFont != nullptr);
    TheLogFont Key = LogFontOf(ABaseFont);
    Key.Italic = Key.Underline = Key.StrikeOut = false;
    for (const auto& P : FFontsInfo)
        if (P->BaseLF == Key) {
            ++P->RefCount;
            return P.get();
        }
    auto P = std::make_unique<TheSharedFontsInfo>();
    P->BaseFont = std::make_unique<TFont>();
    P->BaseFont->Assign(const_cast<TFont*>(ABaseFont));
    P->BaseLF = Key;
    TTextMetric Metric;
    TCanvas Probe;
    Probe.SetFont(P->BaseFont.get());
    P->IsTrueType = Probe.GetTextMetrics(Metric) && (Metric.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
    for (int I = 0; I < 16; ++I)
        P->FontsData[I].Style = FontStylesOfIndex(I);
    P->RefCount = 1;
    FFontsInfo.push_back(std::move(P));
    return FFontsInfo.back().get();
}

void TheFontsInfoManager::ReleaseFontsInfo(TheSharedFontsInfo* P) {
    ASSERT(P != nullptr);
    auto It = std::find_if(FFontsInfo.begin(), FFontsInfo.end(), [P](const auto& Q) { return Q.get() == P; });
    ASSERT(It != FFontsInfo.end());
    ASSERT(P->LockCount < P->RefCount);
    if (P->RefCount == 1)
        FFontsInfo.erase(It);
    else
        --P->RefCount;
}

void TheFontsInfoManager::LockFontsInfo(TheSharedFontsInfo* P) {
    ASSERT(P != nullptr);
    ++P->LockCount;
}

void TheFontsInfoManager::UnLockFontsInfo(TheSharedFontsInfo* P) {
    ASSERT(P != nullptr && P->LockCount > 0);
    if (--P->LockCount == 0)
        for (TheFontData& D : P->FontsData) {
            D.Handle.reset();
            D.CharAdv = D.CharHeight = 0;
        }
}

TheFontsInfoManager& GetFontsInfoManager() {
    static TheFontsInfoManager Manager;
    return Manager;
}

// ---- Font stock ----------------------------------------------------------------------------

TheFontStock::TheFontStock(TFont* InitialFont) {
    AssignBaseFont(InitialFont);
}

TheFontStock::~TheFontStock() {
    // A destructor cannot stop with an assertion: a context still held is simply dropped.
    if (FpInfo) {
        if (FUsingFontHandles) GetFontsInfoManager().UnLockFontsInfo(FpInfo);
        GetFontsInfoManager().ReleaseFontsInfo(FpInfo);
    }
}

TCanvas* TheFontStock::AcquireDC() {
    if (FDCRefCount++ == 0) FDC = std::make_unique<TCanvas>();
    return FDC.get();
}

void TheFontStock::FreeDC(TCanvas* DC) {
    ASSERT(FDCRefCount > 0 && DC == FDC.get());
    if (--FDCRefCount == 0) FDC.reset();
}

std::unique_ptr<TFont> TheFontStock::CreateStyledFont(const TFontStyles& Style) {
    auto Font = std::make_unique<TFont>();
    Font->Assign(FpInfo->BaseFont.get());
    FBaseLF.Weight = Style.Contains(fsBold) ? 700 : 400;
    FBaseLF.Italic = Style.Contains(fsItalic);
    FBaseLF.Underline = Style.Contains(fsUnderline);
    FBaseLF.StrikeOut = Style.Contains(fsStrikeOut);
    Font->SetStyle(Style);
    return Font;
}

int TheFontStock::MeasureFontAdvance(TCanvas* DC, int& CharHeight) {
    TTextMetric Metric;
    if (!DC->GetTextMetrics(Metric)) {
        CharHeight = 0;
        return 0;
    }
    CharHeight = std::abs(Metric.tmHeight);
    TABC ABC;
    if (DC->GetCharABCWidths(u'M', u'M', &ABC))
        return ABC.abcA + int(ABC.abcB) + ABC.abcC + Metric.tmOverhang;
    return Metric.tmAveCharWidth;
}

int TheFontStock::CharAdvance() const {
    return FpCrntFontData ? FpCrntFontData->CharAdv : 0;
}

int TheFontStock::CharHeight() const {
    return FpCrntFontData ? FpCrntFontData->CharHeight : 0;
}

TheFontData* TheFontStock::FontDataOfStyle(int Index) {
    ASSERT(Index >= 0 && Index <= 15);
    return &FpInfo->FontsData[Index];
}

void TheFontStock::AssignBaseFont(TFont* Value) {
    if (!Value) throw EheFontStockException(u"SetBaseFont: 'Value' must be specified.");
    TheFontsInfoManager& Manager = GetFontsInfoManager();
    TheSharedFontsInfo* P = Manager.GetFontsInfo(Value);
    if (P == FpInfo) {
        Manager.ReleaseFontsInfo(P);
        return;
    }
    if (FpInfo) {
        if (FUsingFontHandles) {
            Manager.UnLockFontsInfo(FpInfo);
            FUsingFontHandles = false;
        }
        Manager.ReleaseFontsInfo(FpInfo);
    }
    FpInfo = P;
    FBaseLF = P->BaseLF;
    FpCrntFontData = nullptr;
    FCrntFont = nullptr;
    SetStyle(Value->Style());
}

void TheFontStock::SetStyle(const TFontStyles& Value) {
    if (!FUsingFontHandles) {
        GetFontsInfoManager().LockFontsInfo(FpInfo);
        FUsingFontHandles = true;
    }
    TheFontData* Data = FontDataOfStyle(FontStyleIndex(Value));
    if (Data == FpCrntFontData && Data->Handle) return;
    FpCrntFontData = Data;
    FCrntStyle = Data->Style;
    if (!Data->Handle) {
        Data->Handle = CreateStyledFont(Data->Style);
        TCanvas* DC = AcquireDC();
        TFont Saved;
        Saved.Assign(DC->Font());
        DC->SetFont(Data->Handle.get());
        Data->CharAdv = MeasureFontAdvance(DC, Data->CharHeight);
        DC->SetFont(&Saved);
        FreeDC(DC);
    }
    FCrntFont = Data->Handle.get();
}

void TheFontStock::ReleaseFontHandles() {
    if (!FUsingFontHandles) return;
    FUsingFontHandles = false;
    FpCrntFontData = nullptr;
    FCrntFont = nullptr;
    GetFontsInfoManager().UnLockFontsInfo(FpInfo);
}

TFont* TheFontStock::BaseFont() const {
    return FpInfo ? FpInfo->BaseFont.get() : nullptr;
}

bool TheFontStock::IsTrueType() const {
    return FpInfo && FpInfo->IsTrueType;
}

// ---- Text drawer ---------------------------------------------------------------------------

TheTextDrawer::TheTextDrawer(const TFontStyles& CalcExtentBaseStyle, TFont* ABaseFont)
    : FStockBitmap(std::make_unique<TBitmap>(1, 1)), FCalcExtentBaseStyle(CalcExtentBaseStyle) {
    if (!ABaseFont) throw EheTextDrawerException(u"SetBaseFont: 'Value' must be specified.");
    FFontStock = std::make_unique<TheFontStock>(ABaseFont);
    SetBaseFont(ABaseFont);
}

TheTextDrawer::~TheTextDrawer() = default;

void TheTextDrawer::ClearCaches() {
    for (auto& Row : FCharABCWidthCache)
        Row.fill(TABC{});
    FCharWidthCache.fill(0);
    FETODist.clear();
    FETODist.shrink_to_fit();
}

void TheTextDrawer::TakeCellSize() {
    FFontStock->SetStyle(FCalcExtentBaseStyle);
    FBaseCharWidth = FFontStock->CharAdvance();
    FBaseCharHeight = FFontStock->CharHeight();
}

void TheTextDrawer::SetBaseFont(TFont* Value) {
    if (!Value) throw EheTextDrawerException(u"SetBaseFont: 'Value' must be specified.");
    ClearCaches();
    TFont Plain;
    Plain.Assign(Value);
    Plain.SetStyle({});
    FStockBitmap->Canvas()->SetFont(&Plain);
    FFontStock->AssignBaseFont(Value);
    TakeCellSize();
    SetStyle(Value->Style());
}

void TheTextDrawer::SetBaseStyle(const TFontStyles& Value) {
    if (FCalcExtentBaseStyle == Value) return;
    FCalcExtentBaseStyle = Value;
    ClearCaches();
    const TFontStyles Current = FFontStock->Style();
    TakeCellSize();
    SetStyle(Current);
}

void TheTextDrawer::SetStyle(const TFontStyles& Value) {
    FFontStock->SetStyle(Value);
    FCrntFont = FFontStock->FontHandle();
    if (FDC) ApplyCurrentFont();
}

void TheTextDrawer::ApplyCurrentFont() {
    if (!FDC || !FCrntFont) return;
    FDC->SetFont(FCrntFont);
    FDC->Font()->SetColor(TColor(ColorToRGB(FColor)));
}

void TheTextDrawer::ApplyCharExtra(int) {
    // The canvas takes advances from the drawer: the extra spacing goes into them.
}

void TheTextDrawer::SetForeColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    if (FDC) FDC->Font()->SetColor(TColor(ColorToRGB(Value)));
}

void TheTextDrawer::SetBackColor(TColor Value) {
    if (FBkColor == Value) return;
    FBkColor = Value;
    if (FDC) FDC->Brush()->SetColor(TColor(ColorToRGB(Value)));
}

void TheTextDrawer::SetCharExtra(int Value) {
    if (FCharExtra == Value) return;
    FCharExtra = Value;
    ApplyCharExtra(Value);
}

void TheTextDrawer::ReleaseTemporaryResources() {
    FFontStock->ReleaseFontHandles();
    FCrntFont = nullptr;
}

void TheTextDrawer::BeginDrawing(TCanvas* DC) {
    if (FDC == nullptr && FDrawingCount == 0 && DC) {
        FDC = DC;
        FSavedFont = std::make_unique<TFont>();
        FSavedFont->Assign(DC->Font());
        FSavedBrushColor = DC->Brush()->Color();
        FSavedBrushStyle = DC->Brush()->Style();
        if (!FCrntFont) SetStyle(FFontStock->Style());
        ApplyCurrentFont();
        DC->Brush()->SetColor(TColor(ColorToRGB(FBkColor)));
        ApplyCharExtra(FCharExtra);
        FDrawingCount = 1;
        return;
    }
    ASSERT(FDC != nullptr && FDC == DC);
    ++FDrawingCount;
}

void TheTextDrawer::EndDrawing() {
    ASSERT(FDrawingCount > 0);
    if (--FDrawingCount > 0) return;
    FDC->SetFont(FSavedFont.get());
    FDC->Brush()->SetColor(FSavedBrushColor);
    FDC->Brush()->SetStyle(FSavedBrushStyle);
    FSavedFont.reset();
    FDC = nullptr;
}

void TheTextDrawer::TextOut(int X, int Y, const Char* Text, int Length) {
    ASSERT(FDC != nullptr);
    if (FCharExtra == 0) {
        FDC->ExtTextOut(X, Y, 0, nullptr, Text, Length);
        return;
    }
    FTextOutDist.resize(std::max(Length, 0));
    for (int I = 0; I < Length;) {
        const int N = GlyphUnits(Text, I, Length);
        FTextOutDist[I] = FDC->TextExtent(String(Text + I, N)).cx + FCharExtra;
        if (N == 2) FTextOutDist[I + 1] = 0;
        I += N;
    }
    FDC->ExtTextOut(X, Y, 0, nullptr, Text, Length, FTextOutDist.data());
}

int TheTextDrawer::CharWidthOf(const Char* Text, int Count) {
    if (Count == 1 && Text[0] < 128) {
        int& Cached = FCharWidthCache[Text[0]];
        if (Cached == 0) Cached = FStockBitmap->Canvas()->TextExtent(String(1, Text[0])).cx;
        return Cached;
    }
    return FStockBitmap->Canvas()->TextExtent(String(Text, Count)).cx;
}

// The ink of one character in the style being drawn, measured on the drawing context, which
// holds that style's font.
bool TheTextDrawer::InkOf(const Char* Text, int Count, TABC& ABC) {
    if (Count != 1 || !FDC) return false;
    if (Text[0] < 128) {
        TABC& Cached = FCharABCWidthCache[size_t(FontStyleIndex(Style()))][Text[0]];
        if (Cached.abcA == 0 && Cached.abcB == 0 && Cached.abcC == 0)
            FDC->GetCharABCWidths(Text[0], Text[0], &Cached);
        ABC = Cached;
        return ABC.abcA != 0 || ABC.abcB != 0 || ABC.abcC != 0;
    }
    return FDC->GetCharABCWidths(Text[0], Text[0], &ABC);
}

int TheTextDrawer::RealWidthOf(const Char* Text, int Count) {
    TABC ABC;
    if (InkOf(Text, Count, ABC)) return ABC.abcA + int(ABC.abcB) + std::max(ABC.abcC, 0);
    TTextMetric Metric;
    TCanvas* C = FDC ? FDC : FStockBitmap->Canvas();
    if (Count == 1 && Text[0] < 255 && C->GetTextMetrics(Metric)) return Metric.tmAveCharWidth + Metric.tmOverhang;
    return CharWidthOf(Text, Count);
}

int TheTextDrawer::CharOverhang(const Char* Text, int Count) {
    if (!FDC || Count <= 0) return 0;
    TABC ABC;
    int Ink = 0;
    int Advance = FDC->TextExtent(String(Text, Count)).cx;
    if (InkOf(Text, Count, ABC)) {
        Ink = ABC.abcA + int(ABC.abcB) + std::max(ABC.abcC, 0);
        Advance = ABC.abcA + int(ABC.abcB) + ABC.abcC;
    } else {
        TTextMetric Metric;
        if (Count != 1 || Text[0] >= 255 || !FDC->GetTextMetrics(Metric)) return 0;
        Ink = Metric.tmAveCharWidth + Metric.tmOverhang;
    }
    return std::max(Ink - Advance, 0);
}

void TheTextDrawer::ExtTextOut(int X, int Y, const TTextOutOptions& Options, TRect ARect, const Char* Text,
                               int Length) {
    ASSERT(FDC != nullptr);
    Length = std::max(Length, 0);
    FETODist.resize(Length);
    const int Cell = CharWidth();
    int Last = -1;
    for (int I = 0; I < Length;) {
        const int N = GlyphUnits(Text, I, Length);
        const int W = CharWidthOf(Text + I, N);
        // Every character takes at least its one cell, so that the grid stays the buffer's:
        // a character that measures nothing (a control or combining character) keeps a cell.
        int Adv = Cell;
        if (W != Cell && Cell > 0 && W > 0) Adv = (W + Cell - 1) / Cell * Cell;
        FETODist[I] = Adv;
        if (N == 2) FETODist[I + 1] = 0;
        Last = I;
        I += N;
    }
    if (Last >= 0) {
        const int Real = RealWidthOf(Text + Last, GlyphUnits(Text, Last, Length));
        if (Real > FETODist[Last]) {
            ARect.Right += Real - FETODist[Last];
            FETODist[Last] = Real;
        }
    }
    int Flags = 0;
    if (Options.Contains(tooOpaque)) Flags |= ETO_OPAQUE;
    if (Options.Contains(tooClipped)) Flags |= ETO_CLIPPED;
    FDC->ExtTextOut(X, Y, Flags, &ARect, Text, Length, FETODist.data());
}

TSize TheTextDrawer::TextExtent(const String& Text) {
    return FStockBitmap->Canvas()->TextExtent(Text);
}

TSize TheTextDrawer::TextExtent(const Char* Text, int Count) {
    return FStockBitmap->Canvas()->TextExtent(String(Text, std::max(Count, 0)));
}

int TheTextDrawer::TextWidth(const String& Text) {
    if (Text.size() == 1 && Text[0] < 128) return CharWidthOf(Text.data(), 1);
    return TextExtent(Text).cx;
}

int TheTextDrawer::TextWidth(const Char* Text, int Count) {
    return TextExtent(Text, Count).cx;
}
