#pragma once
// UTF-8 and UTF-16 code points, one at a time: the one place that knows the byte patterns.
// The lenient conversions (Strings.cpp) and the strict encoding (Encoding.cpp) differ only in
// what they do with a sequence these routines refuse.

#include "platform/base/Types.h"

namespace Utf8Detail {

// Decodes the code point starting at P (P < End) into Cp and returns its length in bytes, or 0
// when the bytes there are not well-formed UTF-8 (overlong forms, surrogates, values beyond
// U+10FFFF, a stray or missing continuation byte, a sequence cut short by End).
inline int Decode(const unsigned char* P, const unsigned char* End, char32_t& Cp) {
    unsigned char B = *P;
    if (B < 0x80) {
        Cp = B;
        return 1;
    }
    // The lead byte fixes the length and the range the second byte may take.
    int Extra;
    unsigned char Lo = 0x80, Hi = 0xBF;
    if (B >= 0xC2 && B <= 0xDF) {
        Extra = 1;
        Cp = B & 0x1F;
    } else if (B >= 0xE0 && B <= 0xEF) {
        Extra = 2;
        Cp = B & 0x0F;
        if (B == 0xE0)
            Lo = 0xA0;
        else if (B == 0xED)
            Hi = 0x9F;
    } else if (B >= 0xF0 && B <= 0xF4) {
        Extra = 3;
        Cp = B & 0x07;
        if (B == 0xF0)
            Lo = 0x90;
        else if (B == 0xF4)
            Hi = 0x8F;
    } else {
        return 0;
    }
    if (End - P <= Extra)
        return 0;
    for (int K = 1; K <= Extra; ++K) {
        unsigned char C = P[K];
        if (K == 1 ? (C < Lo || C > Hi) : (C & 0xC0) != 0x80)
            return 0;
        Cp = (Cp << 6) | (C & 0x3F);
    }
    return Extra + 1;
}

inline bool IsHighSurrogate(char32_t C) { return C >= 0xD800 && C <= 0xDBFF; }
inline bool IsLowSurrogate(char32_t C) { return C >= 0xDC00 && C <= 0xDFFF; }

inline void AppendUtf16(String& Out, char32_t Cp) {
    if (Cp >= 0x10000) {
        Cp -= 0x10000;
        Out.push_back(Char(0xD800 + (Cp >> 10)));
        Out.push_back(Char(0xDC00 + (Cp & 0x3FF)));
    } else {
        Out.push_back(Char(Cp));
    }
}

// The code point at S[I], a surrogate pair taken whole (I moves past it); false for a lone
// surrogate.
inline bool NextCodePoint(StringView S, size_t& I, char32_t& Cp) {
    Cp = S[I++];
    if (IsHighSurrogate(Cp) && I < S.size() && IsLowSurrogate(S[I])) {
        Cp = 0x10000 + ((Cp - 0xD800) << 10) + (S[I++] - 0xDC00);
        return true;
    }
    return !IsHighSurrogate(Cp) && !IsLowSurrogate(Cp);
}

template <class Bytes> void AppendUtf8(Bytes& Out, char32_t Cp) {
    using B = typename Bytes::value_type;
    if (Cp < 0x80) {
        Out.push_back(B(Cp));
    } else if (Cp < 0x800) {
        Out.push_back(B(0xC0 | (Cp >> 6)));
        Out.push_back(B(0x80 | (Cp & 0x3F)));
    } else if (Cp < 0x10000) {
        Out.push_back(B(0xE0 | (Cp >> 12)));
        Out.push_back(B(0x80 | ((Cp >> 6) & 0x3F)));
        Out.push_back(B(0x80 | (Cp & 0x3F)));
    } else {
        Out.push_back(B(0xF0 | (Cp >> 18)));
        Out.push_back(B(0x80 | ((Cp >> 12) & 0x3F)));
        Out.push_back(B(0x80 | ((Cp >> 6) & 0x3F)));
        Out.push_back(B(0x80 | (Cp & 0x3F)));
    }
}

} // namespace Utf8Detail
