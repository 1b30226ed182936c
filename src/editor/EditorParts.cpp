#include "editor/EditorParts.h"

#include "platform/base/Format.h"
#include "platform/base/Math.h"
#include "platform/base/Strings.h"
#include "platform/gui/ImgList.h"

#include <algorithm>
#include <vector>

// ---- Selection colours ---------------------------------------------------------------------

void TCodeSelectedColor::Published(TPublisher<TCodeSelectedColor>& P) {
    P.Property(u"Background", &TCodeSelectedColor::Background, &TCodeSelectedColor::SetBackground)
        .As(ColorTypeInfo())
        .Default(clHighlight);
    P.Property(u"Foreground", &TCodeSelectedColor::Foreground, &TCodeSelectedColor::SetForeground)
        .As(ColorTypeInfo())
        .Default(clHighlightText);
}

void TCodeSelectedColor::Changed() {
    if (OnChange) OnChange(this);
}

void TCodeSelectedColor::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TCodeSelectedColor*>(Source)) {
        FBG = S->FBG;
        FFG = S->FFG;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TCodeSelectedColor::SetBackground(TColor Value) {
    if (FBG == Value) return;
    FBG = Value;
    Changed();
}

void TCodeSelectedColor::SetForeground(TColor Value) {
    if (FFG == Value) return;
    FFG = Value;
    Changed();
}

// ---- Gutter --------------------------------------------------------------------------------

TCodeGutter::TCodeGutter() : FFont(std::make_unique<TFont>()) {
    FFont->SetName(u"Courier New");
    FFont->SetSize(8);
    FFont->SetStyle({});
    FFont->OnChange = [this](TObject*) { Changed(); };
}

TCodeGutter::~TCodeGutter() = default;

void TCodeGutter::Published(TPublisher<TCodeGutter>& P) {
    using G = TCodeGutter;
    P.Property(u"AutoSize", &G::AutoSize, &G::SetAutoSize).Default(false);
    P.Property(u"BorderStyle", &G::BorderStyle, &G::SetBorderStyle).Default(gbsMiddle);
    P.Property(u"Color", &G::Color, &G::SetColor).As(ColorTypeInfo()).Default(clBtnFace);
    P.Property(u"BorderColor", &G::BorderColor, &G::SetBorderColor).As(ColorTypeInfo()).Default(clWindow);
    P.Property(u"Cursor", &G::Cursor, &G::SetCursor).Default(0);
    P.Property(u"DigitCount", &G::DigitCount, &G::SetDigitCount).Default(4);
    P.Property(u"Font", &G::Font, &G::SetFont);
    P.Property(u"LeadingZeros", &G::LeadingZeros, &G::SetLeadingZeros).Default(false);
    P.Property(u"LeftOffset", &G::LeftOffset, &G::SetLeftOffset).Default(16);
    P.Property(u"RightOffset", &G::RightOffset, &G::SetRightOffset).Default(2);
    P.Property(u"ShowLineNumbers", &G::ShowLineNumbers, &G::SetShowLineNumbers).Default(false);
    P.Property(u"UseFontStyle", &G::UseFontStyle, &G::SetUseFontStyle).Default(true);
    P.Property(u"Visible", &G::Visible, &G::SetVisible).Default(true);
    P.Property(u"Width", &G::Width, &G::SetWidth).Default(30);
    P.Property(u"ZeroStart", &G::ZeroStart, &G::SetZeroStart).Default(false);
    P.Property(u"LineNumberStart", &G::LineNumberStart, &G::SetLineNumberStart).Default(1);
    P.Property(u"Gradient", &G::Gradient, &G::SetGradient).Default(false);
    P.Property(u"GradientStartColor", &G::GradientStartColor, &G::SetGradientStartColor)
        .As(ColorTypeInfo())
        .Default(clWindow);
    P.Property(u"GradientEndColor", &G::GradientEndColor, &G::SetGradientEndColor)
        .As(ColorTypeInfo())
        .Default(clBtnFace);
    P.Property(u"GradientSteps", &G::GradientSteps, &G::SetGradientSteps).Default(48);
}

void TCodeGutter::Changed() {
    if (OnChange) OnChange(this);
}

void TCodeGutter::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TCodeGutter*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    {
        // The font's own notification would fire a second time.
        TNotifyEvent Saved = std::move(FFont->OnChange);
        FFont->OnChange = nullptr;
        FFont->Assign(S->FFont.get());
        FFont->OnChange = std::move(Saved);
    }
    FColor = S->FColor;
    FBorderColor = S->FBorderColor;
    FWidth = S->FWidth;
    FShowLineNumbers = S->FShowLineNumbers;
    FDigitCount = S->FDigitCount;
    FLeadingZeros = S->FLeadingZeros;
    FZeroStart = S->FZeroStart;
    FLeftOffset = S->FLeftOffset;
    FRightOffset = S->FRightOffset;
    FVisible = S->FVisible;
    FUseFontStyle = S->FUseFontStyle;
    FAutoSize = S->FAutoSize;
    FAutoSizeDigitCount = S->FAutoSizeDigitCount;
    FBorderStyle = S->FBorderStyle;
    FLineNumberStart = S->FLineNumberStart;
    FGradient = S->FGradient;
    FGradientStartColor = S->FGradientStartColor;
    FGradientEndColor = S->FGradientEndColor;
    FGradientSteps = S->FGradientSteps;
    Changed();
}

void TCodeGutter::SetFont(TFont* Value) {
    FFont->Assign(Value);
}

void TCodeGutter::SetColor(TColor Value) {
    Change(FColor, Value);
}

void TCodeGutter::SetBorderColor(TColor Value) {
    Change(FBorderColor, Value);
}

void TCodeGutter::SetWidth(int Value) {
    Change(FWidth, std::max(Value, 0));
}

void TCodeGutter::SetShowLineNumbers(bool Value) {
    Change(FShowLineNumbers, Value);
}

void TCodeGutter::SetDigitCount(int Value) {
    Value = std::clamp(Value, 2, 12);
    if (FDigitCount == Value) return;
    FDigitCount = Value;
    FAutoSizeDigitCount = Value;
    Changed();
}

void TCodeGutter::SetLeadingZeros(bool Value) {
    Change(FLeadingZeros, Value);
}

void TCodeGutter::SetZeroStart(bool Value) {
    Change(FZeroStart, Value);
}

void TCodeGutter::SetLeftOffset(int Value) {
    Change(FLeftOffset, std::max(Value, 0));
}

void TCodeGutter::SetRightOffset(int Value) {
    Change(FRightOffset, std::max(Value, 0));
}

void TCodeGutter::SetCursor(int Value) {
    Change(FCursor, Value);
}

void TCodeGutter::SetVisible(bool Value) {
    Change(FVisible, Value);
}

void TCodeGutter::SetUseFontStyle(bool Value) {
    Change(FUseFontStyle, Value);
}

void TCodeGutter::SetAutoSize(bool Value) {
    Change(FAutoSize, Value);
}

void TCodeGutter::SetBorderStyle(TCodeGutterBorderStyle Value) {
    FBorderStyle = Value;
    Changed();
}

void TCodeGutter::SetLineNumberStart(int Value) {
    if (FLineNumberStart == Value) return;
    FLineNumberStart = std::max(Value, 0);
    FZeroStart = FLineNumberStart == 0;
    Changed();
}

void TCodeGutter::SetGradient(bool Value) {
    Change(FGradient, Value);
}

void TCodeGutter::SetGradientStartColor(TColor Value) {
    Change(FGradientStartColor, Value);
}

void TCodeGutter::SetGradientEndColor(TColor Value) {
    Change(FGradientEndColor, Value);
}

void TCodeGutter::SetGradientSteps(int Value) {
    if (FGradientSteps == Value) return;
    FGradientSteps = std::max(Value, 2);
    Changed();
}

String TCodeGutter::FormatLineNumber(int Line) const {
    if (FZeroStart)
        --Line;
    else if (FLineNumberStart > 1)
        Line += FLineNumberStart - 1;
    String Result = Format(u"%*d", {FAutoSizeDigitCount, Line});
    if (FLeadingZeros)
        for (int I = 0; I < FAutoSizeDigitCount - 1 && I < int(Result.size()) && Result[I] == u' '; ++I)
            Result[I] = u'0';
    return Result;
}

int TCodeGutter::RealGutterWidth(int CharWidth) const {
    if (!FVisible) return 0;
    if (FShowLineNumbers) return FLeftOffset + FRightOffset + CharWidth * FAutoSizeDigitCount + 2;
    return FWidth;
}

void TCodeGutter::AutoSizeDigitCount(int LinesCount) {
    if (FVisible && FAutoSize && FShowLineNumbers) {
        if (FZeroStart)
            --LinesCount;
        else if (FLineNumberStart > 1)
            LinesCount += FLineNumberStart - 1;
        const int Digits = std::max(int(IntToStr(LinesCount).size()), FDigitCount);
        if (FAutoSizeDigitCount != Digits) {
            FAutoSizeDigitCount = Digits;
            Changed();
        }
    } else {
        FAutoSizeDigitCount = FDigitCount;
    }
}

// ---- Bookmark options ----------------------------------------------------------------------

TCodeBookMarkOpt::TCodeBookMarkOpt(TComponent* AOwner) : FOwner(AOwner) {}

void TCodeBookMarkOpt::Published(TPublisher<TCodeBookMarkOpt>& P) {
    using B = TCodeBookMarkOpt;
    P.Property(u"DrawBookmarksFirst", &B::DrawBookmarksFirst, &B::SetDrawBookmarksFirst).Default(true);
    P.Property(u"EnableKeys", &B::EnableKeys, &B::SetEnableKeys).Default(true);
    P.Property(u"GlyphsVisible", &B::GlyphsVisible, &B::SetGlyphsVisible).Default(true);
    P.Property(u"LeftMargin", &B::LeftMargin, &B::SetLeftMargin).Default(2);
    P.Property(u"Xoffset", &B::Xoffset, &B::SetXoffset).Default(12);
}

void TCodeBookMarkOpt::Changed() {
    if (OnChange) OnChange(this);
}

void TCodeBookMarkOpt::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TCodeBookMarkOpt*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    FBookmarkImages = S->FBookmarkImages;
    if (FBookmarkImages && FOwner) FBookmarkImages->FreeNotification(FOwner);
    FDrawBookmarksFirst = S->FDrawBookmarksFirst;
    FEnableKeys = S->FEnableKeys;
    FGlyphsVisible = S->FGlyphsVisible;
    FLeftMargin = S->FLeftMargin;
    FXoffset = S->FXoffset;
    Changed();
}

void TCodeBookMarkOpt::SetBookmarkImages(TCustomImageList* Value) {
    if (FBookmarkImages == Value) return;
    FBookmarkImages = Value;
    if (Value && FOwner) Value->FreeNotification(FOwner);
    Changed();
}

void TCodeBookMarkOpt::SetDrawBookmarksFirst(bool Value) {
    if (FDrawBookmarksFirst == Value) return;
    FDrawBookmarksFirst = Value;
    Changed();
}

void TCodeBookMarkOpt::SetGlyphsVisible(bool Value) {
    if (FGlyphsVisible == Value) return;
    FGlyphsVisible = Value;
    Changed();
}

void TCodeBookMarkOpt::SetLeftMargin(int Value) {
    if (FLeftMargin == Value) return;
    FLeftMargin = Value;
    Changed();
}

void TCodeBookMarkOpt::SetXoffset(int Value) {
    if (FXoffset == Value) return;
    FXoffset = Value;
    Changed();
}

// ---- Pictures ------------------------------------------------------------------------------

void DrawImageInLine(TCanvas* Canvas, TBitmap* Bitmap, const TRect& Source, int X, int Y, int LineHeight,
                     bool Transparent, TColor TransparentColor) {
    TRect Src = Source;
    TRect Dest;
    const int H = Src.Height();
    if (LineHeight < H) {
        Src.Top += (H - LineHeight) / 2;
        Src.Bottom = Src.Top + LineHeight;
        Dest = Rect(X, Y, X + Src.Width(), Y + LineHeight);
    } else {
        const int Top = Y + (LineHeight - H) / 2;
        Dest = Rect(X, Top, X + Src.Width(), Top + H);
    }
    if (Src.IsEmpty()) return;
    if (Transparent) {
        // Only the picture's part goes through the transparent copy.
        TBitmap Part(Src.Width(), Src.Height());
        Part.Canvas()->CopyRect(Rect(0, 0, Src.Width(), Src.Height()), Bitmap->Canvas(), Src);
        Part.SetTransparentColor(TransparentColor);
        Part.SetTransparent(true);
        Canvas->Draw(Dest.Left, Dest.Top, &Part);
    } else {
        Canvas->CopyRect(Dest, Bitmap->Canvas(), Src);
    }
}

namespace {

// Digits 0..9 in a 3 x 5 pixel font, rows from the top, bit 2 the left pixel.
constexpr Byte DigitRows[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 3, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 2, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

constexpr int BookmarkWidth = 11;
constexpr int BookmarkHeight = 14;

// Ten bookmark flags with their numbers, on the gutter's colour.
std::unique_ptr<TBitmap> MakeBookmarkStrip() {
    auto B = std::make_unique<TBitmap>(10 * BookmarkWidth, BookmarkHeight);
    TCanvas* C = B->Canvas();
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(Rect(0, 0, B->Width(), BookmarkHeight));
    for (int N = 0; N < 10; ++N) {
        const int X = N * BookmarkWidth;
        C->Pen()->SetColor(clNavy);
        C->Brush()->SetColor(clYellow);
        C->Rectangle(X + 1, 1, X + 10, 12);
        // The notch at the foot of the flag.
        C->SetPixels(X + 5, 11, TColor(ColorToRGB(clBtnFace)));
        C->SetPixels(X + 5, 10, clNavy);
        for (int Row = 0; Row < 5; ++Row)
            for (int Col = 0; Col < 3; ++Col)
                if (DigitRows[N][Row] & (4 >> Col)) C->SetPixels(X + 4 + Col, 3 + Row, clBlack);
    }
    return B;
}

// A bent arrow (the line goes on below) on a lime mask.
std::unique_ptr<TBitmap> MakeWrappedGlyph() {
    auto B = std::make_unique<TBitmap>(11, 14);
    TCanvas* C = B->Canvas();
    C->Brush()->SetColor(clLime);
    C->FillRect(Rect(0, 0, 11, 14));
    C->Pen()->SetColor(clNavy);
    C->MoveTo(8, 2);
    C->LineTo(8, 9);
    C->LineTo(2, 9);
    C->MoveTo(4, 7);
    C->LineTo(2, 9);
    C->LineTo(5, 12);
    return B;
}

struct TInternalResource {
    int UsageCount = 0;
    String Name;
    std::unique_ptr<TBitmap> Bitmap;
};

std::vector<std::unique_ptr<TInternalResource>>& InternalResources() {
    static std::vector<std::unique_ptr<TInternalResource>> List;
    return List;
}

} // namespace

std::unique_ptr<TBitmap> LoadEditorPicture(const String& Name) {
    const String Upper = UpperCase(Name);
    if (Upper == u"CODEEDITINTERNALIMAGES") return MakeBookmarkStrip();
    if (Upper == u"CODEEDITWRAPPED") return MakeWrappedGlyph();
    return nullptr;
}

TCodeInternalImage::TCodeInternalImage(const String& Name, int Count) {
    const String Upper = UpperCase(Name);
    auto& List = InternalResources();
    auto It = std::find_if(List.begin(), List.end(), [&](const auto& R) { return R->Name == Upper; });
    if (It == List.end()) {
        auto Bitmap = LoadEditorPicture(Name);
        if (!Bitmap) throw EInvalidOperation(Format(u"Resource %s not found", {Name}));
        auto R = std::make_unique<TInternalResource>();
        R->Name = Upper;
        R->Bitmap = std::move(Bitmap);
        List.push_back(std::move(R));
        It = List.end() - 1;
    }
    ++(*It)->UsageCount;
    FImages = (*It)->Bitmap.get();
    FCount = std::max(Count, 1);
    FWidth = (FImages->Width() + FCount / 2) / FCount;
    FHeight = FImages->Height();
}

TCodeInternalImage::~TCodeInternalImage() {
    auto& List = InternalResources();
    auto It =
        std::find_if(List.begin(), List.end(), [&](const auto& R) { return R->Bitmap.get() == FImages; });
    if (It != List.end() && --(*It)->UsageCount == 0) List.erase(It);
    if (List.empty()) List.shrink_to_fit();
}

int TCodeInternalImage::SharedCount() {
    return int(InternalResources().size());
}

void TCodeInternalImage::Draw(TCanvas* ACanvas, int Number, int X, int Y, int LineHeight) {
    if (Number < 0 || Number >= FCount) return;
    DrawImageInLine(ACanvas, FImages, Rect(Number * FWidth, 0, (Number + 1) * FWidth, FHeight), X, Y,
                    LineHeight, false, clNone);
}

void TCodeInternalImage::DrawTransparent(TCanvas* ACanvas, int Number, int X, int Y, int LineHeight,
                                         TColor TransparentColor) {
    if (Number < 0 || Number >= FCount) return;
    DrawImageInLine(ACanvas, FImages, Rect(Number * FWidth, 0, (Number + 1) * FWidth, FHeight), X, Y,
                    LineHeight, true, TransparentColor);
}

// ---- Glyph ---------------------------------------------------------------------------------

TCodeGlyph::TCodeGlyph(const String& ResourceName, TColor MaskColor)
    : FGlyph(std::make_unique<TBitmap>()), FInternalMaskColor(MaskColor) {
    if (!ResourceName.empty()) FInternalGlyph = LoadEditorPicture(ResourceName);
    FGlyph->OnChange = [this](TObject* Sender) { GlyphChanged(Sender); };
}

TCodeGlyph::~TCodeGlyph() = default;

void TCodeGlyph::Published(TPublisher<TCodeGlyph>& P) {
    P.Property(u"MaskColor", &TCodeGlyph::MaskColor, &TCodeGlyph::SetMaskColor)
        .As(ColorTypeInfo())
        .Default(clNone);
    P.Property(u"Visible", &TCodeGlyph::Visible, &TCodeGlyph::SetVisible).Default(true);
}

void TCodeGlyph::Changed() {
    if (OnChange) OnChange(this);
}

void TCodeGlyph::GlyphChanged(TObject*) {
    Changed();
}

void TCodeGlyph::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TCodeGlyph*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    FVisible = S->FVisible;
    FInternalMaskColor = S->FInternalMaskColor;
    FMaskColor = S->FMaskColor;
    {
        TNotifyEvent Saved = std::move(FGlyph->OnChange);
        FGlyph->OnChange = nullptr;
        FGlyph->Assign(S->FGlyph.get());
        FGlyph->OnChange = std::move(Saved);
    }
    if (S->FInternalGlyph) {
        if (!FInternalGlyph) FInternalGlyph = std::make_unique<TBitmap>();
        FInternalGlyph->Assign(S->FInternalGlyph.get());
    } else {
        FInternalGlyph.reset();
    }
    Changed();
}

void TCodeGlyph::SetVisible(bool Value) {
    if (FVisible == Value) return;
    FVisible = Value;
    Changed();
}

void TCodeGlyph::SetGlyph(TBitmap* Value) {
    FGlyph->Assign(Value);
}

void TCodeGlyph::SetMaskColor(TColor Value) {
    if (FMaskColor == Value) return;
    FMaskColor = Value;
    Changed();
}

int TCodeGlyph::Width() const {
    if (!FGlyph->Empty()) return FGlyph->Width();
    return FInternalGlyph ? FInternalGlyph->Width() : 0;
}

int TCodeGlyph::Height() const {
    if (!FGlyph->Empty()) return FGlyph->Height();
    return FInternalGlyph ? FInternalGlyph->Height() : 0;
}

void TCodeGlyph::Draw(TCanvas* ACanvas, int AX, int AY, int ALineHeight) {
    TBitmap* Picture = nullptr;
    TColor Mask = clNone;
    if (!FGlyph->Empty()) {
        Picture = FGlyph.get();
        Mask = FMaskColor;
    } else if (FInternalGlyph) {
        Picture = FInternalGlyph.get();
        Mask = FInternalMaskColor;
    }
    if (!Picture) return;
    DrawImageInLine(ACanvas, Picture, Rect(0, 0, Picture->Width(), Picture->Height()), AX, AY, ALineHeight,
                    Mask != clNone, Mask);
}

// ---- Highlighter options -------------------------------------------------------------------

void TCodeEditHighlighterOptions::Published(TPublisher<TCodeEditHighlighterOptions>& P) {
    using O = TCodeEditHighlighterOptions;
    P.Property(u"AutoDetectEnabled", &O::AutoDetectEnabled, &O::SetAutoDetectEnabled);
    P.Property(u"AutoDetectLineLimit", &O::AutoDetectLineLimit, &O::SetAutoDetectLineLimit);
    P.Property(u"AutoDetectMatchExpression", &O::AutoDetectMatchExpression, &O::SetAutoDetectMatchExpression);
    P.Property(u"DefaultExtension", &O::DefaultExtension, &O::SetDefaultExtension);
    P.Property(u"LineCommentarEnd", &O::LineCommentarEnd, &O::SetLineCommentarEnd);
    P.Property(u"LineCommentarStart", &O::LineCommentarStart, &O::SetLineCommentarStart);
    P.Property(u"Title", &O::Title, &O::SetTitle);
    P.Property(u"Visible", &O::Visible, &O::SetVisible);
}

void TCodeEditHighlighterOptions::CopyTo(TCodeEditHighlighterOptions* Dest) const {
    Dest->FAutoDetectEnabled = FAutoDetectEnabled;
    Dest->FAutoDetectLineLimit = FAutoDetectLineLimit;
    Dest->FAutoDetectMatchExpression = FAutoDetectMatchExpression;
    Dest->FDefaultExtension = FDefaultExtension;
    Dest->FLineCommentarEnd = FLineCommentarEnd;
    Dest->FLineCommentarStart = FLineCommentarStart;
    Dest->FTitle = FTitle;
    Dest->FVisible = FVisible;
}

void TCodeEditHighlighterOptions::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TCodeEditHighlighterOptions*>(Source)) {
        S->CopyTo(this);
        return;
    }
    TPersistent::Assign(Source);
}

void TCodeEditHighlighterOptions::AssignTo(TPersistent* Dest) {
    if (auto* D = dynamic_cast<TCodeEditHighlighterOptions*>(Dest)) {
        CopyTo(D);
        return;
    }
    TPersistent::AssignTo(Dest);
}

// ---- Gradient ------------------------------------------------------------------------------

void DrawGradientBands(TCanvas* Canvas, TColor StartColor, TColor EndColor, int Steps, const TRect& Rect,
                       bool Horizontal) {
    Steps = std::clamp(Steps, 2, 256);
    const TColorRef S = ColorToRGB(StartColor), E = ColorToRGB(EndColor);
    const int Extent = Horizontal ? Rect.Width() : Rect.Height();
    auto Channel = [&](Byte From, Byte To, int I) {
        return Byte(From + MulDiv(I, int(To) - int(From), Steps - 1));
    };
    for (int I = 0; I < Steps; ++I) {
        const int A = MulDiv(I, Extent, Steps), B = MulDiv(I + 1, Extent, Steps);
        if (B <= A) continue;
        Canvas->Brush()->SetColor(RGB(Channel(GetRValue(S), GetRValue(E), I),
                                      Channel(GetGValue(S), GetGValue(E), I),
                                      Channel(GetBValue(S), GetBValue(E), I)));
        if (Horizontal)
            Canvas->FillRect(TRect{Rect.Left + A, Rect.Top, Rect.Left + B, Rect.Bottom});
        else
            Canvas->FillRect(TRect{Rect.Left, Rect.Top + A, Rect.Right, Rect.Top + B});
    }
}
