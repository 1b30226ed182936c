#include "platform/base/Strings.h"

#include <QString>

namespace {

QString ToQ(const String& S) { return QString::fromUtf16(S.data(), static_cast<qsizetype>(S.size())); }

String FromQ(const QString& Q) { return String(reinterpret_cast<const Char*>(Q.utf16()), Q.size()); }

int Sign(int V) { return (V > 0) - (V < 0); }

Char AsciiUpper(Char C) { return (C >= u'a' && C <= u'z') ? Char(C - 32) : C; }
Char AsciiLower(Char C) { return (C >= u'A' && C <= u'Z') ? Char(C + 32) : C; }

} // namespace

String Utf8ToString(std::string_view Utf8) {
    String Out;
    Out.reserve(Utf8.size());
    const auto* P = reinterpret_cast<const unsigned char*>(Utf8.data());
    const auto* End = P + Utf8.size();
    while (P < End) {
        unsigned char B = *P;
        char32_t Cp;
        int Extra;
        if (B < 0x80) {
            Out.push_back(B);
            ++P;
            continue;
        } else if ((B & 0xE0) == 0xC0) {
            Cp = B & 0x1F;
            Extra = 1;
        } else if ((B & 0xF0) == 0xE0) {
            Cp = B & 0x0F;
            Extra = 2;
        } else if ((B & 0xF8) == 0xF0) {
            Cp = B & 0x07;
            Extra = 3;
        } else {
            Out.push_back(0xFFFD);
            ++P;
            continue;
        }
        const unsigned char* Q = P + 1;
        bool Ok = End - P > Extra;
        for (int I = 0; Ok && I < Extra; ++I, ++Q) {
            if ((*Q & 0xC0) != 0x80)
                Ok = false;
            else
                Cp = (Cp << 6) | (*Q & 0x3F);
        }
        static const char32_t MinForLength[] = {0, 0x80, 0x800, 0x10000};
        if (!Ok || Cp < MinForLength[Extra] || Cp > 0x10FFFF || (Cp >= 0xD800 && Cp <= 0xDFFF)) {
            Out.push_back(0xFFFD);
            ++P;
            continue;
        }
        P += Extra + 1;
        if (Cp >= 0x10000) {
            Cp -= 0x10000;
            Out.push_back(Char(0xD800 + (Cp >> 10)));
            Out.push_back(Char(0xDC00 + (Cp & 0x3FF)));
        } else {
            Out.push_back(Char(Cp));
        }
    }
    return Out;
}

AnsiString StringToUtf8(StringView Text) {
    AnsiString Out;
    Out.reserve(Text.size());
    for (size_t I = 0; I < Text.size(); ++I) {
        char32_t Cp = Text[I];
        if (Cp >= 0xD800 && Cp <= 0xDBFF && I + 1 < Text.size() && Text[I + 1] >= 0xDC00 &&
            Text[I + 1] <= 0xDFFF) {
            Cp = 0x10000 + ((Cp - 0xD800) << 10) + (Text[I + 1] - 0xDC00);
            ++I;
        } else if (Cp >= 0xD800 && Cp <= 0xDFFF) {
            Cp = 0xFFFD;  // a lone surrogate
        }
        if (Cp < 0x80) {
            Out.push_back(char(Cp));
        } else if (Cp < 0x800) {
            Out.push_back(char(0xC0 | (Cp >> 6)));
            Out.push_back(char(0x80 | (Cp & 0x3F)));
        } else if (Cp < 0x10000) {
            Out.push_back(char(0xE0 | (Cp >> 12)));
            Out.push_back(char(0x80 | ((Cp >> 6) & 0x3F)));
            Out.push_back(char(0x80 | (Cp & 0x3F)));
        } else {
            Out.push_back(char(0xF0 | (Cp >> 18)));
            Out.push_back(char(0x80 | ((Cp >> 12) & 0x3F)));
            Out.push_back(char(0x80 | ((Cp >> 6) & 0x3F)));
            Out.push_back(char(0x80 | (Cp & 0x3F)));
        }
    }
    return Out;
}

String IntToStr(Int64 Value) {
    std::string S = std::to_string(Value);
    return String(S.begin(), S.end());
}

String UpperCase(const String& S) {
    String R(S);
    for (Char& C : R)
        C = AsciiUpper(C);
    return R;
}

String LowerCase(const String& S) {
    String R(S);
    for (Char& C : R)
        C = AsciiLower(C);
    return R;
}

int CompareStr(const String& S1, const String& S2) { return Sign(S1.compare(S2)); }

int CompareText(const String& S1, const String& S2) {
    size_t N = std::min(S1.size(), S2.size());
    for (size_t I = 0; I < N; ++I) {
        Char A = AsciiUpper(S1[I]), B = AsciiUpper(S2[I]);
        if (A != B)
            return A < B ? -1 : 1;
    }
    return S1.size() == S2.size() ? 0 : (S1.size() < S2.size() ? -1 : 1);
}

bool SameStr(const String& S1, const String& S2) { return S1 == S2; }
bool SameText(const String& S1, const String& S2) {
    return S1.size() == S2.size() && CompareText(S1, S2) == 0;
}

String AnsiUpperCase(const String& S) { return FromQ(ToQ(S).toUpper()); }
String AnsiLowerCase(const String& S) { return FromQ(ToQ(S).toLower()); }

int AnsiCompareText(const String& S1, const String& S2) {
    return Sign(QString::compare(ToQ(S1), ToQ(S2), Qt::CaseInsensitive));
}

int AnsiCompareStr(const String& S1, const String& S2) {
    if (int R = AnsiCompareText(S1, S2))
        return R;
    // Equal but for case: the first position that differs decides, lower case first.
    size_t N = std::min(S1.size(), S2.size());
    for (size_t I = 0; I < N; ++I) {
        if (S1[I] == S2[I])
            continue;
        QChar A(S1[I]), B(S2[I]);
        if (A.isLower() != B.isLower())
            return A.isLower() ? -1 : 1;
        return S1[I] < S2[I] ? -1 : 1;
    }
    return Sign(int(S1.size()) - int(S2.size()));
}

bool AnsiSameStr(const String& S1, const String& S2) { return S1 == S2; }
bool AnsiSameText(const String& S1, const String& S2) { return AnsiCompareText(S1, S2) == 0; }
