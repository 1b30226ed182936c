// DrawText: lines, word breaks, tabs, mnemonic prefixes, ellipses, alignment, DT_CALCRECT.
#include "platform/gui/GraphicsQt.h"

#include <QChar>

namespace {

// One line to draw: its characters, their advances, and the character under the mnemonic
// underline (-1 for none).
struct TTextLine {
    String Text;
    std::vector<int> Advances;
    int Prefix = -1;
    int Width() const {
        int W = 0;
        for (int A : Advances)
            W += A;
        return W;
    }
};

class TLayout {
public:
    TLayout(TFontEngine& AEngine, int ATabWidth, bool AExpandTabs)
        : E(AEngine), TabWidth(std::max(1, ATabWidth)), ExpandTabs(AExpandTabs) {}

    // Advances of Text from its line start: a tab reaches the next tab stop.
    std::vector<int> Advances(const String& Text) {
        std::vector<int> A(Text.size(), 0);
        int X = 0;
        for (size_t I = 0; I < Text.size(); ++I) {
            char32_t C = Text[I];
            size_t First = I;
            if (QChar::isHighSurrogate(C) && I + 1 < Text.size() && QChar::isLowSurrogate(Text[I + 1])) {
                C = QChar::surrogateToUcs4(Text[I], Text[I + 1]);
                ++I;
            }
            int Adv = (C == U'\t' && ExpandTabs) ? TabWidth - X % TabWidth : E.Glyph(C).Advance;
            A[First] = Adv;
            X += Adv;
        }
        return A;
    }

    int Width(const String& Text) {
        int W = 0;
        for (int A : Advances(Text))
            W += A;
        return W;
    }

    TTextLine Line(const String& Text, int Prefix) {
        TTextLine L;
        L.Text = Text;
        L.Prefix = Prefix;
        L.Advances = Advances(Text);
        return L;
    }

private:
    TFontEngine& E;
    int TabWidth;
    bool ExpandTabs;
};

// Takes the mnemonic '&' out: "&&" is one '&', "&x" underlines x.
String StripPrefix(const String& Text, int& Prefix) {
    String Out;
    Prefix = -1;
    for (size_t I = 0; I < Text.size(); ++I) {
        if (Text[I] == u'&' && I + 1 < Text.size()) {
            ++I;
            if (Text[I] != u'&' && Prefix < 0) Prefix = int(Out.size());
        } else if (Text[I] == u'&') {
            continue; // a lone '&' at the end shows nothing
        }
        Out += Text[I];
    }
    return Out;
}

const String Ellipsis = u"...";

// Cuts Line to MaxWidth with "..." at the end (at a word boundary when asked).
void EndEllipsis(TLayout& Layout, TTextLine& Line, int MaxWidth, bool AtWord) {
    if (Line.Width() <= MaxWidth) return;
    const int Dots = Layout.Width(Ellipsis);
    size_t Keep = Line.Text.size();
    int W = Line.Width();
    while (Keep > 0 && W + Dots > MaxWidth) {
        --Keep;
        W -= Line.Advances[Keep];
    }
    if (AtWord) {
        size_t Space = Line.Text.rfind(u' ', Keep);
        if (Space != String::npos && Space < Keep) Keep = Space;
    }
    while (Keep > 0 && Line.Text[Keep - 1] == u' ')
        --Keep;
    if (Keep > 0 && QChar::isHighSurrogate(Line.Text[Keep - 1])) --Keep;
    if (Line.Prefix >= int(Keep)) Line.Prefix = -1;
    Line = Layout.Line(Line.Text.substr(0, Keep) + Ellipsis, Line.Prefix);
}

// Replaces the middle of a path by "...", keeping its last part (after '/' or '\').
void PathEllipsis(TLayout& Layout, TTextLine& Line, int MaxWidth) {
    if (Line.Width() <= MaxWidth) return;
    const size_t Cut = Line.Text.find_last_of(u"/\\");
    if (Cut == String::npos || Cut == 0) {
        EndEllipsis(Layout, Line, MaxWidth, false);
        return;
    }
    const String Tail = Line.Text.substr(Cut);
    String Head = Line.Text.substr(0, Cut);
    while (!Head.empty() && Layout.Width(Head + Ellipsis + Tail) > MaxWidth)
        Head.pop_back();
    if (!Head.empty() && QChar::isHighSurrogate(Head.back())) Head.pop_back();
    TTextLine Result = Layout.Line(Head + Ellipsis + Tail, -1);
    if (Result.Width() > MaxWidth) EndEllipsis(Layout, Result, MaxWidth, false);
    Line = Result;
}

// Breaks a paragraph into lines no wider than MaxWidth at blanks; a word wider than that
// stays whole on its own line.
void BreakWords(TLayout& Layout, const String& Text, int Prefix, int MaxWidth,
                std::vector<TTextLine>& Lines) {
    const std::vector<int> Adv = Layout.Advances(Text);
    size_t Start = 0;
    const size_t N = Text.size();
    do {
        int W = 0;
        size_t I = Start, LastBreak = String::npos;
        while (I < N) {
            if (Text[I] == u' ' && I > Start) LastBreak = I;
            if (W + Adv[I] > MaxWidth && I > Start) break;
            W += Adv[I];
            ++I;
        }
        size_t End = I;
        if (I < N) {
            if (Text[I] == u' ')
                End = I;
            else if (LastBreak != String::npos)
                End = LastBreak;
            else
                while (End < N && Text[End] != u' ') // the word does not fit: keep it whole
                    ++End;
        }
        size_t LineEnd = End;
        while (LineEnd > Start && Text[LineEnd - 1] == u' ' && End < N)
            --LineEnd;
        const int P = Prefix >= int(Start) && Prefix < int(LineEnd) ? Prefix - int(Start) : -1;
        Lines.push_back(Layout.Line(Text.substr(Start, LineEnd - Start), P));
        Start = End;
        while (Start < N && Text[Start] == u' ')
            ++Start;
    } while (Start < N);
}

} // namespace

int DrawText(TCanvas* Canvas, const String& Text, TRect& Rect, Cardinal Format) {
    if (!Canvas) return 0;
    TFontEngine& E = *Canvas->Font()->Engine();
    std::lock_guard<std::recursive_mutex> Guard(E.Lock);
    const TTextMetric& M = E.Metric;
    int TabChars = 8;
    if (Format & DT_TABSTOP) {
        TabChars = int((Format >> 8) & 0xFF);
        Format &= ~Cardinal(0xFF00);
    }
    const int LineHeight = M.tmHeight + ((Format & DT_EXTERNALLEADING) ? M.tmExternalLeading : 0);
    TLayout Layout(E, TabChars * M.tmAveCharWidth, Format & DT_EXPANDTABS);
    const int MaxWidth = Rect.Right - Rect.Left;

    // Paragraphs, then lines.
    std::vector<TTextLine> Lines;
    auto AddParagraph = [&](const String& Para) {
        int Prefix = -1;
        const String Shown = (Format & DT_NOPREFIX) ? Para : StripPrefix(Para, Prefix);
        if ((Format & DT_WORDBREAK) && !(Format & DT_SINGLELINE))
            BreakWords(Layout, Shown, Prefix, MaxWidth, Lines);
        else
            Lines.push_back(Layout.Line(Shown, Prefix));
    };
    if (Text.empty()) {
        // Nothing to show takes no room.
    } else if (Format & DT_SINGLELINE) {
        AddParagraph(Text);
    } else {
        size_t Start = 0;
        for (size_t I = 0; I <= Text.size(); ++I) {
            if (I == Text.size() || Text[I] == u'\r' || Text[I] == u'\n') {
                // A final line break adds no empty line.
                if (I < Text.size() || Start < I || Lines.empty())
                    AddParagraph(Text.substr(Start, I - Start));
                if (I < Text.size() && Text[I] == u'\r' && I + 1 < Text.size() && Text[I + 1] == u'\n') ++I;
                Start = I + 1;
            }
        }
    }
    for (TTextLine& L : Lines) {
        if (Format & DT_PATH_ELLIPSIS)
            PathEllipsis(Layout, L, MaxWidth);
        else if (Format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))
            EndEllipsis(Layout, L, MaxWidth, (Format & DT_WORD_ELLIPSIS) && !(Format & DT_END_ELLIPSIS));
    }

    const int Total = int(Lines.size()) * LineHeight;
    if (Format & DT_CALCRECT) {
        int Widest = 0;
        for (const TTextLine& L : Lines)
            Widest = std::max(Widest, L.Width());
        Rect.Right = Rect.Left + Widest;
        Rect.Bottom = Rect.Top + Total;
        return Total;
    }

    int Y = Rect.Top;
    if (Format & DT_SINGLELINE) {
        if (Format & DT_VCENTER)
            Y = Rect.Top + (Rect.Height() - Total) / 2;
        else if (Format & DT_BOTTOM)
            Y = Rect.Bottom - Total;
    }
    const int Result =
        (Format & (DT_VCENTER | DT_BOTTOM)) && (Format & DT_SINGLELINE) ? Y - Rect.Top + Total : Total;
    const bool Clip = !(Format & DT_NOCLIP);
    const bool Underline = !(Format & (DT_NOPREFIX | DT_HIDEPREFIX));
    for (TTextLine& L : Lines) {
        const int W = L.Width();
        int X = Rect.Left;
        if (Format & DT_CENTER)
            X = Rect.Left + (MaxWidth - W) / 2;
        else if (Format & DT_RIGHT)
            X = Rect.Right - W;
        if (!(Format & DT_PREFIXONLY)) {
            String Shown = L.Text;
            for (Char& C : Shown)
                if (C == u'\t' && (Format & DT_EXPANDTABS)) C = u' ';
            Canvas->ExtTextOut(X, Y, Clip ? ETO_CLIPPED : 0, Clip ? &Rect : nullptr, Shown,
                               L.Advances.data());
        }
        if (Underline && L.Prefix >= 0 && L.Prefix < int(L.Text.size())) {
            int PX = X;
            for (int I = 0; I < L.Prefix; ++I)
                PX += L.Advances[I];
            QPainter& P = *CanvasPainter(Canvas);
            P.save();
            if (Clip)
                P.setClipRect(QRect(Rect.Left, Rect.Top, Rect.Width(), Rect.Height()), Qt::IntersectClip);
            P.setCompositionMode(QPainter::CompositionMode_SourceOver);
            P.fillRect(QRect(PX, Y + E.Ascent + E.UnderlinePos, L.Advances[L.Prefix], E.LineWidth),
                       QtColor(Canvas->Font()->Color()));
            P.restore();
        }
        Y += LineHeight;
    }
    return Result;
}
