// Colours and the graphics objects: fonts, pens, brushes.
#include "platform/gui/Graphics.h"

#include "platform/base/Format.h"
#include "platform/base/Math.h"
#include "platform/base/Strings.h"
#include "platform/gui/GraphicsQt.h"
#include "platform/gui/ImgList.h"

namespace {

// The classic Windows scheme ("Windows Classic" / "Windows Standard"), as 0x00BBGGRR, by
// system colour index. Pictures stay the same on every machine.
constexpr TColorRef SysColors[31] = {
    0xC8D0D4, // 0 scroll bar            212,208,200
    0xA56E3A, // 1 desktop               58,110,165
    0x6A240A, // 2 active caption        10,36,106
    0x808080, // 3 inactive caption      128,128,128
    0xC8D0D4, // 4 menu                  212,208,200
    0xFFFFFF, // 5 window
    0x000000, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0xFFFFFF, // 9 caption text
    0xC8D0D4, // 10 active border
    0xC8D0D4, // 11 inactive border
    0x808080, // 12 application workspace
    0x6A240A, // 13 highlight            10,36,106
    0xFFFFFF, // 14 highlight text
    0xC8D0D4, // 15 button face          212,208,200
    0x808080, // 16 button shadow
    0x808080, // 17 grey text
    0x000000, // 18 button text
    0xC8D0D4, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x404040, // 21 3-D dark shadow
    0xC8D0D4, // 22 3-D light
    0x000000, // 23 tooltip text
    0xE1FFFF, // 24 tooltip background   255,255,225
    0xB5B5B5, // 25 (alternate button face)
    0x800000, // 26 hot-tracked item     0,0,128
    0xF0CAA6, // 27 active caption gradient   166,202,240
    0xC0C0C0, // 28 inactive caption gradient 192,192,192
    0x6A240A, // 29 menu highlight
    0xC8D0D4, // 30 menu bar
};

struct TColorName {
    TColor Value;
    const char16_t* Name;
};

constexpr TColorName ColorNames[] = {
    {clBlack, u"clBlack"},
    {clMaroon, u"clMaroon"},
    {clGreen, u"clGreen"},
    {clOlive, u"clOlive"},
    {clNavy, u"clNavy"},
    {clPurple, u"clPurple"},
    {clTeal, u"clTeal"},
    {clGray, u"clGray"},
    {clSilver, u"clSilver"},
    {clRed, u"clRed"},
    {clLime, u"clLime"},
    {clYellow, u"clYellow"},
    {clBlue, u"clBlue"},
    {clFuchsia, u"clFuchsia"},
    {clAqua, u"clAqua"},
    {clWhite, u"clWhite"},
    {clMoneyGreen, u"clMoneyGreen"},
    {clSkyBlue, u"clSkyBlue"},
    {clCream, u"clCream"},
    {clMedGray, u"clMedGray"},
    {clActiveBorder, u"clActiveBorder"},
    {clActiveCaption, u"clActiveCaption"},
    {clAppWorkSpace, u"clAppWorkSpace"},
    {clBackground, u"clBackground"},
    {clBtnFace, u"clBtnFace"},
    {clBtnHighlight, u"clBtnHighlight"},
    {clBtnShadow, u"clBtnShadow"},
    {clBtnText, u"clBtnText"},
    {clCaptionText, u"clCaptionText"},
    {clDefault, u"clDefault"},
    {clGradientActiveCaption, u"clGradientActiveCaption"},
    {clGradientInactiveCaption, u"clGradientInactiveCaption"},
    {clGrayText, u"clGrayText"},
    {clHighlight, u"clHighlight"},
    {clHighlightText, u"clHighlightText"},
    {clHotLight, u"clHotLight"},
    {clInactiveBorder, u"clInactiveBorder"},
    {clInactiveCaption, u"clInactiveCaption"},
    {clInactiveCaptionText, u"clInactiveCaptionText"},
    {clInfoBk, u"clInfoBk"},
    {clInfoText, u"clInfoText"},
    {clMenu, u"clMenu"},
    {clMenuBar, u"clMenuBar"},
    {clMenuHighlight, u"clMenuHighlight"},
    {clMenuText, u"clMenuText"},
    {clNone, u"clNone"},
    {clScrollBar, u"clScrollBar"},
    {cl3DDkShadow, u"cl3DDkShadow"},
    {cl3DLight, u"cl3DLight"},
    {clWindow, u"clWindow"},
    {clWindowFrame, u"clWindowFrame"},
    {clWindowText, u"clWindowText"},
};

} // namespace

TColorRef GetSysColor(int Index) {
    return Index >= 0 && Index < int(std::size(SysColors)) ? SysColors[Index] : 0;
}

TColorRef ColorToRGB(TColor Color) {
    if (Color < 0) return GetSysColor(Color & 0xFF);
    return TColorRef(Color);
}

bool ColorToIdent(TColor Color, String& Ident) {
    for (const TColorName& N : ColorNames)
        if (N.Value == Color) {
            Ident = N.Name;
            return true;
        }
    return false;
}

bool IdentToColor(const String& Ident, TColor& Color) {
    for (const TColorName& N : ColorNames)
        if (SameText(Ident, N.Name)) {
            Color = N.Value;
            return true;
        }
    return false;
}

String ColorToString(TColor Color) {
    String Ident;
    if (ColorToIdent(Color, Ident)) return Ident;
    return u"$" + IntToHex(std::uint32_t(Color), 8);
}

TColor StringToColor(const String& S) {
    TColor Color;
    if (IdentToColor(Trim(S), Color)) return Color;
    Int64 Value;
    if (!TryStrToInt64(Trim(S), Value) || Value < INT32_MIN || Value > Int64(UINT32_MAX))
        throw EConvertError(Format(u"'%s' is not a valid integer value", {S}));
    return TColor(std::uint32_t(Value));
}

void GetColorValues(const std::function<void(const String& Name)>& Proc) {
    for (const TColorName& N : ColorNames)
        Proc(N.Name);
}

const TTypeInfo* ColorTypeInfo() {
    static const TTypeInfo* const Info =
        TypeInfoDetail::OrdinalTypeInfo(tkInteger, u"TColor", otSLong, INT32_MIN, INT32_MAX);
    return Info;
}

Cardinal TextFormatFlags(const TTextFormat& Format) {
    static constexpr Cardinal Flags[] = {
        DT_BOTTOM,       DT_CALCRECT,      DT_CENTER,        DT_EDITCONTROL,
        DT_END_ELLIPSIS, DT_PATH_ELLIPSIS, DT_EXPANDTABS,    DT_EXTERNALLEADING,
        DT_LEFT,         DT_MODIFYSTRING,  DT_NOCLIP,        DT_NOPREFIX,
        DT_RIGHT,        DT_RTLREADING,    DT_SINGLELINE,    DT_TOP,
        DT_VCENTER,      DT_WORDBREAK,     DT_HIDEPREFIX,    DT_NOFULLWIDTHCHARBREAK,
        DT_PREFIXONLY,   DT_TABSTOP,       DT_WORD_ELLIPSIS, 0};
    Cardinal Result = 0;
    for (int I = 0; I < int(std::size(Flags)); ++I)
        if (Format.Contains(TTextFormats(I))) Result |= Flags[I];
    return Result;
}

// ---- Graphics objects --------------------------------------------------------------------------

void TGraphicsObject::Changed() {
    if (OnChange) OnChange(this);
}

TFont::TFont() = default;
TFont::~TFont() = default;

void TFont::Published(TPublisher<TFont>& P) {
    P.Property(u"Charset", &TFont::Charset, &TFont::SetCharset).Default(DEFAULT_CHARSET);
    P.Property(u"Color", &TFont::Color, &TFont::SetColor).As(ColorTypeInfo()).Default(clWindowText);
    P.Property(u"Height", &TFont::Height, &TFont::SetHeight);
    P.Property(u"Name", &TFont::Name, &TFont::SetName);
    P.Property(u"Orientation", &TFont::Orientation, &TFont::SetOrientation).Default(0);
    P.Property(u"Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
    P.Property(u"Size", &TFont::Size, &TFont::SetSize).Stored(false);
    P.Property(u"Style", &TFont::Style, &TFont::SetStyle).Default(TFontStyles());
    P.Property(u"Quality", &TFont::Quality, &TFont::SetQuality).Default(fqDefault);
}

void TFont::Assign(TPersistent* Source) {
    if (auto* F = dynamic_cast<TFont*>(Source)) {
        FName = F->FName;
        FHeight = F->FPixelsPerInch == FPixelsPerInch ? F->FHeight
                                                      : MulDiv(F->FHeight, FPixelsPerInch, F->FPixelsPerInch);
        FPitch = F->FPitch;
        FStyle = F->FStyle;
        FCharset = F->FCharset;
        FColor = F->FColor;
        FQuality = F->FQuality;
        FOrientation = F->FOrientation;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TFont::Changed() {
    FEngine.reset();
    TGraphicsObject::Changed();
}

void TFont::SetName(const TFontName& Value) {
    if (Value.empty() || Value == FName) return;
    FName = Value;
    Changed();
}

int TFont::Size() const {
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int Value) {
    SetHeight(-MulDiv(Value, FPixelsPerInch, 72));
}

void TFont::SetHeight(int Value) {
    if (Value == FHeight) return;
    FHeight = Value;
    Changed();
}

void TFont::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    TGraphicsObject::Changed(); // the glyphs stay the same
}

void TFont::SetStyle(const TFontStyles& Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Changed();
}

void TFont::SetPitch(TFontPitch Value) {
    if (Value == FPitch) return;
    FPitch = Value;
    Changed();
}

void TFont::SetCharset(TFontCharset Value) {
    if (Value == FCharset) return;
    FCharset = Value;
    Changed();
}

void TFont::SetOrientation(int Value) {
    if (Value == FOrientation) return;
    FOrientation = Value;
    Changed();
}

void TFont::SetQuality(TFontQuality Value) {
    if (Value == FQuality) return;
    FQuality = Value;
    Changed();
}

void TFont::SetPixelsPerInch(int Value) {
    if (Value <= 0 || Value == FPixelsPerInch) return;
    FPixelsPerInch = Value;
    Changed();
}

String TFont::FamilyName() const {
    return QtFontFamily(FName).toStdU16String();
}

TFontEngine* TFont::Engine() const {
    if (!FEngine) FEngine = FontEngineOf(this);
    return FEngine.get();
}

void TPen::Published(TPublisher<TPen>& P) {
    P.Property(u"Color", &TPen::Color, &TPen::SetColor).As(ColorTypeInfo()).Default(clBlack);
    P.Property(u"Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy);
    P.Property(u"Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
    P.Property(u"Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

void TPen::Assign(TPersistent* Source) {
    if (auto* Pen = dynamic_cast<TPen*>(Source)) {
        FColor = Pen->FColor;
        FWidth = Pen->FWidth;
        FStyle = Pen->FStyle;
        FMode = Pen->FMode;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TPen::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    Changed();
}

void TPen::SetWidth(int Value) {
    Value = std::max(Value, 1);
    if (Value == FWidth) return;
    FWidth = Value;
    Changed();
}

void TPen::SetStyle(TPenStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Changed();
}

void TPen::SetMode(TPenMode Value) {
    if (Value == FMode) return;
    FMode = Value;
    Changed();
}

void TBrush::Published(TPublisher<TBrush>& P) {
    P.Property(u"Color", &TBrush::Color, &TBrush::SetColor).As(ColorTypeInfo()).Default(clWhite);
    P.Property(u"Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

void TBrush::Assign(TPersistent* Source) {
    if (auto* Brush = dynamic_cast<TBrush*>(Source)) {
        FColor = Brush->FColor;
        FStyle = Brush->FStyle;
        FBitmap = Brush->FBitmap;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TBrush::SetColor(TColor Value) {
    if (Value == FColor && FStyle != bsClear) return;
    FColor = Value;
    if (FStyle == bsClear) FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Changed();
}

void TBrush::SetBitmap(TBitmap* Value) {
    if (Value == FBitmap) return;
    FBitmap = Value;
    Changed();
}

void RegisterGraphicsClasses() {
    static const bool Done = [] {
        RegisterClass(TFont::StaticClass());
        RegisterClass(TPen::StaticClass());
        RegisterClass(TBrush::StaticClass());
        RegisterClass(TCanvas::StaticClass());
        RegisterClass(TBitmap::StaticClass());
        RegisterClass(TPngImage::StaticClass());
        RegisterClass(TJPEGImage::StaticClass());
        RegisterClass(TIcon::StaticClass());
        RegisterClass(TPicture::StaticClass());
        RegisterClass(TCustomImageList::StaticClass());
        RegisterClass(TImageList::StaticClass());
        return true;
    }();
    (void)Done;
}
