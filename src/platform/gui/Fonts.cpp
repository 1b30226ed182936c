// Fonts on Qt: name mapping, shared font engines with cached glyphs, glyph-run drawing.
#include "platform/gui/GraphicsQt.h"

#include "platform/base/Strings.h"

#include <QFile>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QTextLayout>

#include <cmath>
#include <map>
#include <mutex>

namespace {

std::mutex FontsLock;

bool HaveGuiApplication() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

void CheckGuiApplication() {
    if (!HaveGuiApplication()) throw EInvalidOperation(u"Fonts need the GUI application");
}

// The cell of a raw font as Windows measures it: the Windows ascent and descent of its OS/2
// table (Debian's Tahoma and Comic Neue give the toolkit smaller ones), else the toolkit's.
void CellOf(const QRawFont& Raw, double& Ascent, double& Descent) {
    Ascent = Raw.ascent();
    Descent = Raw.descent();
    const QByteArray Os2 = Raw.fontTable("OS/2"), Head = Raw.fontTable("head");
    auto Word16 = [](const QByteArray& Table, int At) { return (uchar(Table[At]) << 8) | uchar(Table[At + 1]); };
    if (Os2.size() < 78 || Head.size() < 20 || Word16(Head, 18) == 0) return;
    const double Scale = Raw.pixelSize() / Word16(Head, 18);
    Ascent = Word16(Os2, 74) * Scale;
    Descent = Word16(Os2, 76) * Scale;
}

// The em size in pixels: a negative height is the em size itself, a positive one the cell
// (ascent + descent), 0 the default.
int PixelSizeOf(const TFont* Font, const QString& Family) {
    int H = Font->Height();
    if (H < 0) return -H;
    if (H == 0) return 13;
    QFont Probe(Family);
    Probe.setPixelSize(100);
    QRawFont Raw = QRawFont::fromFont(Probe);
    double Ascent = 0, Descent = 0;
    if (Raw.isValid()) CellOf(Raw, Ascent, Descent);
    const double Cell = Raw.isValid() ? Ascent + Descent : 115;
    return std::max(1, int(std::lround(H * 100.0 / Cell)));
}

bool IsControl(char32_t C) {
    return C < 0x20 || (C >= 0x7F && C < 0xA0);
}

// Font files that Debian ships outside fontconfig's folders: Tahoma comes with the fonts of the
// Windows emulator's package.
const std::pair<const char*, const char*> PrivateFontFiles[] = {
    {"Tahoma", "/usr/share/wine/fonts/tahoma.ttf"},
    {"Tahoma", "/usr/share/wine/fonts/tahomabd.ttf"},
};

// Whether the font database knows a family, after the private files of the families that
// fontconfig does not list were added to it once. Needs the GUI application; FontsLock held.
bool FamilyInstalled(const QString& Family, QString* Spelling = nullptr) {
    static bool Loaded = false;
    if (!Loaded) {
        Loaded = true;
        const QStringList Listed = QFontDatabase::families();
        for (const auto& [Name, File] : PrivateFontFiles)
            if (!Listed.contains(QString::fromLatin1(Name), Qt::CaseInsensitive) && QFile::exists(QString::fromLatin1(File)))
                QFontDatabase::addApplicationFont(QString::fromLatin1(File));
    }
    for (const QString& F : QFontDatabase::families())
        if (F.compare(Family, Qt::CaseInsensitive) == 0) {
            if (Spelling) *Spelling = F;
            return true;
        }
    return false;
}

} // namespace

QString QtFontFamily(const String& Name) {
    // The fonts that the forms name, by the metric-compatible families that Debian ships, so
    // that the designed layouts fit their texts.
    static const std::pair<const char16_t*, const char*> StandIns[] = {
        {u"Courier New", "Liberation Mono"}, {u"Arial", "Liberation Sans"},
        {u"MS Sans Serif", "Liberation Sans"}, {u"Tahoma", "Tahoma"},
        {u"Comic Sans MS", "Comic Neue"},
    };
    QString Wanted = QString::fromStdU16String(Name);
    for (const auto& [From, To] : StandIns)
        if (SameText(Name, From)) Wanted = QString::fromLatin1(To);
    if (!HaveGuiApplication()) return Wanted;
    static std::map<String, QString> Installed;
    std::lock_guard<std::mutex> Guard(FontsLock);
    auto It = Installed.find(Name);
    if (It != Installed.end()) return It->second;
    QString Result;
    if (!FamilyInstalled(Wanted, &Result)) Result = QStringLiteral("DejaVu Sans");
    Installed.emplace(Name, Result);
    return Result;
}

QFont QtFont(const TFont* Font) {
    CheckGuiApplication();
    const QString Family = QtFontFamily(Font->Name());
    QFont F(Family);
    F.setPixelSize(PixelSizeOf(Font, Family));
    F.setWeight(Font->Style().Contains(fsBold) ? QFont::Bold : QFont::Normal);
    F.setItalic(Font->Style().Contains(fsItalic));
    F.setUnderline(Font->Style().Contains(fsUnderline));
    F.setStrikeOut(Font->Style().Contains(fsStrikeOut));
    // Windows text output does not kern: a text is as wide as its characters.
    F.setKerning(false);
    // Debian's Tahoma carries no hinting of its own: the auto-hinter would widen its glyphs
    // past the widths its layouts were made for, which light hinting keeps; and up to 16 pixels,
    // where its table of sizes asks for no grey, it is drawn crisp, as Windows draws it.
    const bool Tahoma = Family == QLatin1String("Tahoma");
    F.setHintingPreference(Tahoma ? QFont::PreferVerticalHinting : QFont::PreferFullHinting);
    const bool Crisp = Tahoma && F.pixelSize() <= 16;
    F.setStyleStrategy(Font->Quality() == fqNonAntialiased || Crisp ? QFont::NoAntialias : QFont::PreferAntialias);
    return F;
}

std::shared_ptr<TFontEngine> FontEngineOf(const TFont* Font) {
    QFont F = QtFont(Font);
    F.setUnderline(false);
    F.setStrikeOut(false);
    const QString Key = F.key();
    static std::map<QString, std::shared_ptr<TFontEngine>> Engines;
    std::lock_guard<std::mutex> Guard(FontsLock);
    auto& Slot = Engines[Key];
    if (Slot) return Slot;

    auto E = std::make_shared<TFontEngine>();
    E->Font = F;
    QRawFont Raw = QRawFont::fromFont(F);
    E->Fonts.push_back(Raw);
    const int Px = F.pixelSize();
    double Ascent, Descent;
    CellOf(Raw, Ascent, Descent);
    E->Ascent = int(std::ceil(Ascent - 0.05));
    E->Descent = int(std::ceil(Descent - 0.05));
    E->LineWidth = std::max(1, int(std::lround(Raw.lineThickness())));
    E->UnderlinePos = std::max(1, int(std::lround(Raw.underlinePosition())));
    if (E->UnderlinePos + E->LineWidth > E->Descent) E->UnderlinePos = std::max(0, E->Descent - E->LineWidth);
    E->StrikeOutPos = std::max(1, int(std::lround(Raw.xHeight() / 2)));
    const int AdvI = E->Glyph(U'i').Advance;
    const int AdvW = E->Glyph(U'W').Advance;
    E->FixedPitch = AdvI == AdvW && AdvI == E->Glyph(U'.').Advance;

    TTextMetric& M = E->Metric;
    M.tmAscent = E->Ascent;
    M.tmDescent = E->Descent;
    M.tmHeight = E->Ascent + E->Descent;
    M.tmInternalLeading = std::max(0, M.tmHeight - Px);
    M.tmExternalLeading = std::max(0, int(std::lround(Raw.leading())));
    M.tmAveCharWidth = E->FixedPitch ? AdvI : std::max(1, int(std::lround(Raw.averageCharWidth())));
    M.tmMaxCharWidth = std::max(M.tmAveCharWidth, int(std::lround(Raw.maxCharWidth())));
    M.tmWeight = F.weight() >= QFont::Bold ? 700 : 400;
    M.tmItalic = F.italic() ? 1 : 0;
    M.tmDigitizedAspectX = ScreenPixelsPerInch;
    M.tmDigitizedAspectY = ScreenPixelsPerInch;
    M.tmFirstChar = 0x20;
    M.tmLastChar = 0xFFFC;
    M.tmDefaultChar = 0x1F;
    M.tmBreakChar = 0x20;
    M.tmPitchAndFamily = TMPF_VECTOR | TMPF_TRUETYPE | (E->FixedPitch ? 0 : TMPF_FIXED_PITCH);
    Slot = E;
    return E;
}

TGlyphInfo TFontEngine::Lookup(char32_t C) {
    TGlyphInfo Info;
    QChar Buf[2];
    int N = 1;
    if (C > 0xFFFF) {
        Buf[0] = QChar::highSurrogate(C);
        Buf[1] = QChar::lowSurrogate(C);
        N = 2;
    } else {
        Buf[0] = QChar(char16_t(C));
    }
    int Glyphs = 1;
    Fonts[0].glyphIndexesForChars(Buf, N, &Info.Glyph, &Glyphs);
    if (Info.Glyph == 0 && !IsControl(C)) {
        // Ask Qt's own font fallback which font has the character.
        QTextLayout Layout(QString(Buf, N), Font);
        Layout.beginLayout();
        Layout.createLine();
        Layout.endLayout();
        const QList<QGlyphRun> Runs = Layout.glyphRuns();
        if (!Runs.isEmpty() && !Runs[0].glyphIndexes().isEmpty() && Runs[0].glyphIndexes()[0] != 0) {
            const QRawFont Found = Runs[0].rawFont();
            auto It = std::find(Fonts.begin(), Fonts.end(), Found);
            Info.Slot = int(It - Fonts.begin());
            if (It == Fonts.end()) Fonts.push_back(Found);
            Info.Glyph = Runs[0].glyphIndexes()[0];
        }
    }
    QPointF Advance;
    Fonts[Info.Slot].advancesForGlyphIndexes(&Info.Glyph, &Advance, 1, QRawFont::SeparateAdvances);
    Info.Advance = int(std::lround(Advance.x()));
    return Info;
}

int TFontEngine::TextWidth(const Char* Text, int Count) {
    std::lock_guard<std::recursive_mutex> Guard(Lock);
    int Width = 0;
    for (int I = 0; I < Count; ++I) {
        char32_t C = Text[I];
        if (QChar::isHighSurrogate(C) && I + 1 < Count && QChar::isLowSurrogate(Text[I + 1])) {
            C = QChar::surrogateToUcs4(Text[I], Text[I + 1]);
            ++I;
        }
        Width += Glyph(C).Advance;
    }
    return Width;
}

TABC TFontEngine::ABCWidths(char32_t C) {
    std::lock_guard<std::recursive_mutex> Guard(Lock);
    const TGlyphInfo& G = Glyph(C);
    TABC Result;
    const QRectF Box = Fonts[G.Slot].boundingRect(G.Glyph);
    if (Box.width() <= 0) {
        Result.abcC = G.Advance;
        return Result;
    }
    Result.abcA = int(std::floor(Box.left()));
    Result.abcB = unsigned(int(std::ceil(Box.right())) - Result.abcA);
    Result.abcC = G.Advance - Result.abcA - int(Result.abcB);
    return Result;
}

int DrawGlyphs(QPainter& Painter, TFontEngine& Engine, int X, int Y, const Char* Text, int Count,
               const int* Dx, const QColor& Color, bool Underline, bool StrikeOut) {
    std::lock_guard<std::recursive_mutex> Guard(Engine.Lock);
    // One list of glyphs and positions per font slot, reused between runs.
    thread_local std::vector<QList<quint32>> Glyphs;
    thread_local std::vector<QList<QPointF>> Positions;
    for (auto& L : Glyphs)
        L.resize(0);
    for (auto& L : Positions)
        L.resize(0);

    const double Baseline = Y + Engine.Ascent;
    int PenX = X;
    for (int I = 0; I < Count; ++I) {
        const int First = I;
        char32_t C = Text[I];
        if (QChar::isHighSurrogate(C) && I + 1 < Count && QChar::isLowSurrogate(Text[I + 1])) {
            C = QChar::surrogateToUcs4(Text[I], Text[I + 1]);
            ++I;
        }
        const TGlyphInfo& G = Engine.Glyph(C);
        if (size_t(G.Slot) >= Glyphs.size()) {
            Glyphs.resize(G.Slot + 4);
            Positions.resize(G.Slot + 4);
        }
        if (C != U' ') {
            Glyphs[G.Slot].append(G.Glyph);
            Positions[G.Slot].append(QPointF(PenX, Baseline));
        }
        if (Dx) {
            PenX += Dx[First];
            if (I != First) PenX += Dx[I];
        } else {
            PenX += G.Advance;
        }
    }
    Painter.setPen(Color);
    for (size_t S = 0; S < Engine.Fonts.size() && S < Glyphs.size(); ++S) {
        if (Glyphs[S].isEmpty()) continue;
        QGlyphRun Run;
        Run.setRawFont(Engine.Fonts[S]);
        Run.setGlyphIndexes(Glyphs[S]);
        Run.setPositions(Positions[S]);
        Painter.drawGlyphRun(QPointF(0, 0), Run);
    }
    const int Width = PenX - X;
    if (Underline && Width > 0)
        Painter.fillRect(QRect(X, int(Baseline) + Engine.UnderlinePos, Width, Engine.LineWidth), Color);
    if (StrikeOut && Width > 0)
        Painter.fillRect(QRect(X, int(Baseline) - Engine.StrikeOutPos, Width, Engine.LineWidth), Color);
    return Width;
}
