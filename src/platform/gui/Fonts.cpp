// Fonts on Qt: name mapping, shared font engines with cached glyphs, glyph-run drawing.
#include "platform/gui/GraphicsQt.h"

#include "platform/base/Strings.h"

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

// The em size in pixels: a negative height is the em size itself, a positive one the cell
// (ascent + descent), 0 the default.
int PixelSizeOf(const TFont* Font, const QString& Family) {
    int H = Font->Height();
    if (H < 0) return -H;
    if (H == 0) return 13;
    QFont Probe(Family);
    Probe.setPixelSize(100);
    QRawFont Raw = QRawFont::fromFont(Probe);
    double Cell = Raw.isValid() ? Raw.ascent() + Raw.descent() : 115;
    return std::max(1, int(std::lround(H * 100.0 / Cell)));
}

bool IsControl(char32_t C) {
    return C < 0x20 || (C >= 0x7F && C < 0xA0);
}

} // namespace

QString QtFontFamily(const String& Name) {
    static const std::pair<const char16_t*, const char*> Map[] = {
        {u"Courier New", "Liberation Mono"},
        {u"Arial", "Liberation Sans"},
        {u"MS Sans Serif", "Liberation Sans"},
        {u"Tahoma", "DejaVu Sans"},
    };
    for (const auto& [From, To] : Map)
        if (SameText(Name, From)) return QString::fromLatin1(To);
    static std::map<String, QString> Installed;
    std::lock_guard<std::mutex> Guard(FontsLock);
    auto It = Installed.find(Name);
    if (It != Installed.end()) return It->second;
    QString Result = QStringLiteral("DejaVu Sans");
    if (HaveGuiApplication()) {
        const QString Wanted = QString::fromStdU16String(Name);
        for (const QString& Family : QFontDatabase::families())
            if (Family.compare(Wanted, Qt::CaseInsensitive) == 0) {
                Result = Family;
                break;
            }
    }
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
    F.setHintingPreference(QFont::PreferFullHinting);
    F.setStyleStrategy(Font->Quality() == fqNonAntialiased ? QFont::NoAntialias : QFont::PreferAntialias);
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
    E->Ascent = int(std::ceil(Raw.ascent() - 0.05));
    E->Descent = int(std::ceil(Raw.descent() - 0.05));
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
