// The rich text reader and writer.
#include "platform/gui/Rtf.h"

#include "platform/base/Encoding.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <cstdlib>
#include <map>

// ---- The model ------------------------------------------------------------------------------------

String TRtfParagraph::Text() const {
    String S;
    for (const TRtfRun& R : Runs)
        S += R.Text;
    return S;
}

int TRtfParagraph::Length() const {
    int N = 0;
    for (const TRtfRun& R : Runs)
        N += static_cast<int>(R.Text.size());
    return N;
}

void TRtfParagraph::Append(const String& Text, const TRtfCharFormat& Format) {
    if (Text.empty()) return;
    if (!Runs.empty() && Runs.back().Format == Format)
        Runs.back().Text += Text;
    else
        Runs.push_back({Text, Format});
    EndFormat = Format;
}

void TRtfParagraph::Normalize() {
    std::vector<TRtfRun> Out;
    for (TRtfRun& R : Runs) {
        if (R.Text.empty()) continue;
        if (!Out.empty() && Out.back().Format == R.Format)
            Out.back().Text += R.Text;
        else
            Out.push_back(std::move(R));
    }
    Runs = std::move(Out);
    if (!Runs.empty()) EndFormat = Runs.back().Format;
}

String TRtfDocument::Text() const {
    String S;
    for (std::size_t I = 0; I < Paragraphs.size(); ++I) {
        if (I > 0) S += u"\r\n";
        S += Paragraphs[I].Text();
    }
    return S;
}

TRtfDocument PlainToDocument(const String& Text, const TRtfCharFormat& Default) {
    TRtfDocument Doc;
    Doc.Paragraphs.front().EndFormat = Default;
    for (std::size_t I = 0; I < Text.size(); ++I) {
        const Char C = Text[I];
        if (C == u'\r' || C == u'\n') {
            if (C == u'\r' && I + 1 < Text.size() && Text[I + 1] == u'\n') ++I;
            TRtfParagraph P;
            P.EndFormat = Default;
            Doc.Paragraphs.push_back(P);
        } else {
            Doc.Paragraphs.back().Append(String(1, C), Default);
        }
    }
    return Doc;
}

// ---- Reading --------------------------------------------------------------------------------------

namespace {

// What the text of a group goes to.
enum TDest { dText, dSkip, dFontTable, dColorTable, dBulletText };

struct TGroupState {
    TRtfCharFormat Char;
    TRtfParaFormat Para;
    TDest Dest = dText;
    int SkipAfterUnicode = 1; // \ucN
    int FontNumber = -1;      // the font being defined in the font table
};

class TRtfReader {
public:
    TRtfReader(const AnsiString& ABytes, const TRtfCharFormat& ADefault) : B(ABytes), Default(ADefault) {}

    TRtfDocument Read() {
        std::size_t Start = 0;
        while (Start < B.size() &&
               (B[Start] == ' ' || B[Start] == '\r' || B[Start] == '\n' || B[Start] == '\t'))
            ++Start;
        if (B.compare(Start, 5, "{\\rtf") != 0) throw ERtfError(u"The stream holds no rich text");
        P = Start;
        Doc.Paragraphs.clear();
        Current.EndFormat = Default;
        Stack.push_back(TGroupState{Default, {}, dText, 1, -1});
        bool Opened = false;
        while (P < B.size()) {
            const char C = B[P];
            if (C == '{') {
                ++P;
                if (Stack.size() > 4096) throw ERtfError(u"Rich text groups are nested too deep");
                if (Opened) Stack.push_back(Stack.back());
                Opened = true;
                PendingStar = false;
            } else if (C == '}') {
                ++P;
                FlushText();
                if (Stack.size() <= 1) break; // the document's own group is closed
                LeaveGroup();
            } else if (C == '\\') {
                ControlSymbol();
            } else if (C == '\r' || C == '\n') {
                ++P;
            } else {
                ++P;
                if (SkipCount > 0) {
                    --SkipCount;
                    continue;
                }
                Byte8(static_cast<unsigned char>(C));
            }
        }
        FlushText();
        // Text after the last \par is a paragraph of its own only when it holds something.
        if (!Current.Runs.empty()) EndParagraph();
        if (Doc.Paragraphs.empty()) {
            TRtfParagraph Empty;
            Empty.EndFormat = Stack.front().Char;
            Empty.Format = LastPara;
            Doc.Paragraphs.push_back(Empty);
        }
        return std::move(Doc);
    }

private:
    const AnsiString& B;
    TRtfCharFormat Default;
    std::size_t P = 0;
    std::vector<TGroupState> Stack;
    TRtfDocument Doc;
    TRtfParagraph Current;
    TRtfParaFormat LastPara;
    String Pending; // text not yet added to Current, in Pending's format
    TRtfCharFormat PendingFormat;
    std::map<int, String> Fonts;
    std::vector<TColor> Colors; // index 0 is the automatic colour
    bool ColorStarted = false;
    int Red = 0, Green = 0, Blue = 0;
    String FontName;
    int SkipCount = 0; // characters still to pass over after a \u
    bool PendingStar = false;

    TGroupState& S() { return Stack.back(); }

    void LeaveGroup() {
        if (S().Dest == dFontTable && S().FontNumber >= 0 && Stack.size() >= 2 &&
            Stack[Stack.size() - 2].Dest == dFontTable)
            EndFont();
        Stack.pop_back();
    }

    void EndFont() {
        String Name = FontName;
        while (!Name.empty() && (Name.back() == u';' || Name.back() == u' '))
            Name.pop_back();
        if (S().FontNumber >= 0 && !Name.empty()) Fonts[S().FontNumber] = Name;
        FontName.clear();
        S().FontNumber = -1;
    }

    void Byte8(unsigned char C) {
        if (C < 0x20 && C != '\t') return; // control characters are no text
        Char Ch = C;
        if (C >= 0x80) {
            const String D = TEncoding::ANSI()->GetString(TBytes{C});
            Ch = D.empty() ? u'?' : D[0];
        }
        Emit(Ch);
    }

    void Emit(Char Ch) {
        switch (S().Dest) {
        case dText:
            if (Ch < 0x20 && Ch != u'\t' && Ch != u'\v') return; // breaks come from \par and \line only
            if (!Pending.empty() && !(PendingFormat == S().Char)) FlushText();
            if (Pending.empty()) PendingFormat = S().Char;
            Pending += Ch;
            break;
        case dFontTable:
            if (Ch == u';') {
                EndFont();
            } else {
                FontName += Ch;
            }
            break;
        case dColorTable:
            if (Ch == u';') {
                Colors.push_back(ColorStarted ? TColor(Red | (Green << 8) | (Blue << 16)) : clDefault);
                ColorStarted = false;
                Red = Green = Blue = 0;
            }
            break;
        default:
            break;
        }
    }

    void FlushText() {
        if (Pending.empty()) return;
        Current.Append(Pending, PendingFormat);
        Pending.clear();
    }

    void EndParagraph() {
        FlushText();
        Current.Format = S().Para;
        LastPara = S().Para;
        if (Current.Runs.empty()) Current.EndFormat = S().Char;
        Doc.Paragraphs.push_back(std::move(Current));
        Current = TRtfParagraph{};
        Current.EndFormat = S().Char;
    }

    void ControlSymbol() {
        ++P; // the backslash
        if (P >= B.size()) return;
        const char C = B[P];
        if (!std::isalpha(static_cast<unsigned char>(C))) {
            ++P;
            switch (C) {
            case '\\':
            case '{':
            case '}':
                Text(static_cast<Char>(C));
                break;
            case '~':
                Text(0x00A0);
                break;
            case '_':
                Text(0x2011);
                break;
            case '*':
                PendingStar = true;
                break;
            case '\'': {
                int V = 0;
                for (int I = 0; I < 2 && P < B.size() && std::isxdigit(static_cast<unsigned char>(B[P]));
                     ++I, ++P)
                    V = V * 16 + (std::isdigit(static_cast<unsigned char>(B[P]))
                                      ? B[P] - '0'
                                      : (std::tolower(B[P]) - 'a' + 10));
                if (SkipCount > 0) {
                    --SkipCount;
                    break;
                }
                Byte8(static_cast<unsigned char>(V));
                break;
            }
            case '\r':
            case '\n':
                Word(u"par", false, 0);
                break;
            default:
                break; // \- (optional hyphen) and others show nothing
            }
            return;
        }
        std::size_t Start = P;
        while (P < B.size() && std::isalpha(static_cast<unsigned char>(B[P])))
            ++P;
        const std::string Name = B.substr(Start, P - Start);
        bool HasParam = false;
        long Param = 0;
        auto Digit = [&](std::size_t I) {
            return I < B.size() && std::isdigit(static_cast<unsigned char>(B[I]));
        };
        if (Digit(P) || (P < B.size() && B[P] == '-' && Digit(P + 1))) {
            const std::size_t NumStart = P;
            if (B[P] == '-') ++P;
            while (P < B.size() && std::isdigit(static_cast<unsigned char>(B[P])) && P - NumStart < 11)
                ++P;
            Param = std::strtol(B.substr(NumStart, P - NumStart).c_str(), nullptr, 10);
            HasParam = true;
            while (P < B.size() && std::isdigit(static_cast<unsigned char>(B[P])))
                ++P;
        }
        if (P < B.size() && B[P] == ' ') ++P; // the delimiting blank belongs to the word
        if (Name == "bin") {
            // Binary data: passed over unseen.
            P = std::min(B.size(), P + static_cast<std::size_t>(std::max(0L, Param)));
            return;
        }
        if (SkipCount > 0 && Name != "u") {
            --SkipCount;
            return;
        }
        Word(String(Name.begin(), Name.end()), HasParam, static_cast<int>(Param));
    }

    void Text(Char Ch) {
        if (SkipCount > 0) {
            --SkipCount;
            return;
        }
        Emit(Ch);
    }

    void Destination(TDest D) {
        FlushText();
        S().Dest = D;
    }

    void Word(const String& W, bool HasParam, int Param) {
        const bool Star = PendingStar;
        PendingStar = false;
        TGroupState& G = S();
        const bool On = !HasParam || Param != 0;
        // Destinations.
        if (W == u"fonttbl") return Destination(dFontTable);
        if (W == u"colortbl") return Destination(dColorTable);
        if (W == u"pn") return Destination(dBulletText);
        if (W == u"stylesheet" || W == u"info" || W == u"pict" || W == u"header" || W == u"footer" ||
            W == u"headerl" || W == u"headerr" || W == u"headerf" || W == u"footerl" || W == u"footerr" ||
            W == u"footerf" || W == u"footnote" || W == u"object" || W == u"listtable" ||
            W == u"listoverridetable" || W == u"revtbl" || W == u"rsidtbl" || W == u"fldinst" ||
            W == u"pntext" || W == u"listtext" || W == u"themedata" || W == u"colorschememapping" ||
            W == u"latentstyles" || W == u"datastore" || W == u"nonshppict" || W == u"generator" ||
            W == u"xmlnstbl" || W == u"mmathPr" || W == u"filetbl" || W == u"private")
            return Destination(dSkip);
        if (Star && G.Dest != dSkip) return Destination(dSkip); // an unknown optional destination
        if (G.Dest == dSkip) return;
        if (G.Dest == dFontTable) {
            if (W == u"f") {
                if (!FontName.empty() && G.FontNumber >= 0) EndFont();
                G.FontNumber = Param;
            }
            return;
        }
        if (G.Dest == dColorTable) {
            ColorStarted = ColorStarted || W == u"red" || W == u"green" || W == u"blue";
            if (W == u"red") Red = std::clamp(Param, 0, 255);
            if (W == u"green") Green = std::clamp(Param, 0, 255);
            if (W == u"blue") Blue = std::clamp(Param, 0, 255);
            return;
        }
        if (G.Dest == dBulletText) {
            if (W == u"pnlvlblt") G.Para.Bullet = true;
            // The bullet paragraph's attributes belong to the enclosing group too.
            if (W == u"pnlvlblt" && Stack.size() >= 2) Stack[Stack.size() - 2].Para.Bullet = true;
            return;
        }
        // Characters.
        if (W == u"par") return EndParagraph();
        if (W == u"line") return Text(u'\v');
        if (W == u"tab") return Text(u'\t');
        if (W == u"u") {
            const Char Ch = static_cast<Char>(Param < 0 ? Param + 65536 : Param);
            Emit(Ch);
            SkipCount = G.SkipAfterUnicode;
            return;
        }
        if (W == u"uc") {
            G.SkipAfterUnicode = std::max(0, Param);
            return;
        }
        static const std::map<String, Char> Specials = {
            {u"emdash", 0x2014},    {u"endash", 0x2013},  {u"bullet", 0x2022},
            {u"lquote", 0x2018},    {u"rquote", 0x2019},  {u"ldblquote", 0x201C},
            {u"rdblquote", 0x201D}, {u"emspace", 0x2003}, {u"enspace", 0x2002}};
        if (auto It = Specials.find(W); It != Specials.end()) return Text(It->second);
        // Character attributes.
        if (W == u"b") return SetChar([&](TRtfCharFormat& F) { F.Bold = On; });
        if (W == u"i") return SetChar([&](TRtfCharFormat& F) { F.Italic = On; });
        if (W == u"ul") return SetChar([&](TRtfCharFormat& F) { F.Underline = On; });
        if (W == u"ulnone") return SetChar([&](TRtfCharFormat& F) { F.Underline = false; });
        if (W == u"strike") return SetChar([&](TRtfCharFormat& F) { F.StrikeOut = On; });
        if (W == u"fs")
            return SetChar([&](TRtfCharFormat& F) {
                F.Size = HasParam && Param > 0 ? std::min((Param + 1) / 2, 1638) : 12;
            });
        if (W == u"f") {
            const auto It = Fonts.find(Param);
            if (It != Fonts.end()) SetChar([&](TRtfCharFormat& F) { F.Name = It->second; });
            return;
        }
        if (W == u"cf") {
            return SetChar([&](TRtfCharFormat& F) {
                F.Color = Param > 0 && Param < static_cast<int>(Colors.size())
                              ? Colors[static_cast<std::size_t>(Param)]
                              : Default.Color;
            });
        }
        if (W == u"plain") return SetChar([&](TRtfCharFormat& F) { F = Default; });
        // Paragraph attributes.
        if (W == u"pard") {
            G.Para = TRtfParaFormat{};
            return;
        }
        if (W == u"ql" || W == u"qj") {
            G.Para.Alignment = taLeftJustify;
            return;
        }
        if (W == u"qc") {
            G.Para.Alignment = taCenter;
            return;
        }
        if (W == u"qr") {
            G.Para.Alignment = taRightJustify;
            return;
        }
        // Indents beyond 22 inches are damage, not layout.
        Param = std::clamp(Param, -31680, 31680);
        if (W == u"li") {
            G.Para.LeftIndent = Param;
            return;
        }
        if (W == u"fi") {
            G.Para.FirstIndent = Param;
            return;
        }
        if (W == u"ri") {
            G.Para.RightIndent = Param;
            return;
        }
        if (W == u"ls" && Param > 0) {
            G.Para.Bullet = true;
            return;
        }
    }

    template <class F> void SetChar(F Fn) { Fn(S().Char); }
};

} // namespace

bool LooksLikeRtf(const AnsiString& Bytes) {
    std::size_t Start = 0;
    while (Start < Bytes.size() &&
           (Bytes[Start] == ' ' || Bytes[Start] == '\r' || Bytes[Start] == '\n' || Bytes[Start] == '\t'))
        ++Start;
    return Bytes.compare(Start, 5, "{\\rtf") == 0;
}

TRtfDocument ReadRtf(const AnsiString& Bytes, const TRtfCharFormat& Default) {
    return TRtfReader(Bytes, Default).Read();
}

// ---- Writing --------------------------------------------------------------------------------------

namespace {

void Escape(AnsiString& Out, const String& Text) {
    for (Char C : Text) {
        if (C == u'\\' || C == u'{' || C == u'}') {
            Out += '\\';
            Out += static_cast<char>(C);
        } else if (C == u'\t') {
            Out += "\\tab ";
        } else if (C == u'\v') {
            Out += "\\line ";
        } else if (C < 0x20) {
            // other control characters have no place in the text
        } else if (C < 0x80) {
            Out += static_cast<char>(C);
        } else {
            Out +=
                "\\u" + std::to_string(C > 32767 ? static_cast<int>(C) - 65536 : static_cast<int>(C)) + "?";
        }
    }
}

} // namespace

AnsiString WriteRtf(const TRtfDocument& Doc) {
    std::vector<String> Fonts;
    std::vector<TColor> Colors; // RGB values, index 0 of the table is the automatic colour
    auto FontIndex = [&](const String& Name) {
        auto It = std::find(Fonts.begin(), Fonts.end(), Name);
        if (It != Fonts.end()) return static_cast<int>(It - Fonts.begin());
        Fonts.push_back(Name);
        return static_cast<int>(Fonts.size()) - 1;
    };
    auto ColorIndex = [&](TColor C) {
        if (C == clDefault || C == clNone || C == clWindowText) return 0;
        const TColor Rgb = static_cast<TColor>(ColorToRGB(C));
        auto It = std::find(Colors.begin(), Colors.end(), Rgb);
        if (It != Colors.end()) return static_cast<int>(It - Colors.begin()) + 1;
        Colors.push_back(Rgb);
        return static_cast<int>(Colors.size());
    };
    // Tables first: walk the document once to number fonts and colours.
    for (const TRtfParagraph& P : Doc.Paragraphs) {
        FontIndex(P.EndFormat.Name);
        ColorIndex(P.EndFormat.Color);
        for (const TRtfRun& R : P.Runs) {
            FontIndex(R.Format.Name);
            ColorIndex(R.Format.Color);
        }
    }
    AnsiString Out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl";
    for (std::size_t I = 0; I < Fonts.size(); ++I) {
        Out += "{\\f" + std::to_string(I) + "\\fnil ";
        Escape(Out, Fonts[I]);
        Out += ";}";
    }
    Out += "}\r\n";
    if (!Colors.empty()) {
        Out += "{\\colortbl ;";
        for (TColor C : Colors)
            Out += "\\red" + std::to_string(C & 0xFF) + "\\green" + std::to_string((C >> 8) & 0xFF) +
                   "\\blue" + std::to_string((C >> 16) & 0xFF) + ";";
        Out += "}\r\n";
    }
    Out += "\\viewkind4\\uc1";
    // The character attributes in force, so that a run writes only what changes.
    TRtfCharFormat Cur;
    bool Known = false;
    auto SetFormat = [&](const TRtfCharFormat& F) {
        AnsiString W;
        if (!Known || F.Name != Cur.Name) W += "\\f" + std::to_string(FontIndex(F.Name));
        if (!Known || F.Size != Cur.Size) W += "\\fs" + std::to_string(F.Size * 2);
        if (!Known || F.Color != Cur.Color) W += "\\cf" + std::to_string(ColorIndex(F.Color));
        if (!Known || F.Bold != Cur.Bold) W += F.Bold ? "\\b" : "\\b0";
        if (!Known || F.Italic != Cur.Italic) W += F.Italic ? "\\i" : "\\i0";
        if (!Known || F.Underline != Cur.Underline) W += F.Underline ? "\\ul" : "\\ulnone";
        if (!Known || F.StrikeOut != Cur.StrikeOut) W += F.StrikeOut ? "\\strike" : "\\strike0";
        if (!W.empty()) Out += W + " ";
        Cur = F;
        Known = true;
    };
    for (const TRtfParagraph& P : Doc.Paragraphs) {
        Out += "\\pard";
        if (P.Format.Bullet) Out += "{\\pntext\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'B7}}";
        if (P.Format.Alignment == taCenter) Out += "\\qc";
        if (P.Format.Alignment == taRightJustify) Out += "\\qr";
        if (P.Format.LeftIndent) Out += "\\li" + std::to_string(P.Format.LeftIndent);
        if (P.Format.FirstIndent) Out += "\\fi" + std::to_string(P.Format.FirstIndent);
        if (P.Format.RightIndent) Out += "\\ri" + std::to_string(P.Format.RightIndent);
        // A run of control words ends in its delimiter, so that any text may follow; after a
        // group's brace a blank would be text, and each load would gain it.
        if (Out.back() != '}') Out += ' ';
        if (P.Runs.empty()) SetFormat(P.EndFormat);
        for (const TRtfRun& R : P.Runs) {
            SetFormat(R.Format);
            Escape(Out, R.Text);
        }
        Out += "\\par\r\n";
    }
    Out += "}\r\n";
    return Out;
}
