#pragma once
// UTF-8 and UTF-16 code points: the one place that knows the byte patterns. The lenient
// conversions (Strings.cpp) and the strict encoding (Encoding.cpp) differ only in what they do
// with a sequence these routines refuse. Runs of ASCII, the bulk of source text, go sixteen bytes
// at a time where the processor allows.

#include "platform/base/Types.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Writes Cp as one or two UTF-16 units at Dst and moves Dst past them.
inline void PutUtf16(Char*& Dst, char32_t Cp) {
    if (Cp >= 0x10000) {
        Cp -= 0x10000;
        *Dst++ = Char(0xD800 + (Cp >> 10));
        *Dst++ = Char(0xDC00 + (Cp & 0x3FF));
    } else {
        *Dst++ = Char(Cp);
    }
}

// Decodes well-formed UTF-8 from P on into UTF-16 at Dst, which has room for one unit per byte
// (no sequence gives more units than it has bytes). Stops at End or at the first sequence that
// Decode refuses and returns where it stopped; Dst moves past the units written.
inline const unsigned char* DecodeRun(const unsigned char* P, const unsigned char* End, Char*& Dst) {
    Char* D = Dst;
    while (P < End) {
#ifdef __SSE2__
        if (End - P >= 16) {
            const __m128i Block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
            const int NonAscii = _mm_movemask_epi8(Block);
            if (NonAscii == 0) {
                const __m128i Zero = _mm_setzero_si128();
                _mm_storeu_si128(reinterpret_cast<__m128i*>(D), _mm_unpacklo_epi8(Block, Zero));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(D + 8), _mm_unpackhi_epi8(Block, Zero));
                P += 16;
                D += 16;
                continue;
            }
            for (int K = __builtin_ctz(unsigned(NonAscii)); K > 0; --K)
                *D++ = *P++;
        }
#endif
        if (*P < 0x80) {
            *D++ = *P++;
            continue;
        }
        char32_t Cp;
        const int Len = Decode(P, End, Cp);
        if (Len == 0) break;
        PutUtf16(D, Cp);
        P += Len;
    }
    Dst = D;
    return P;
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

// Eight UTF-16 units from S on are all ASCII.
#ifdef __SSE2__
inline bool EightAscii(const Char* S) {
    const __m128i Units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(S));
    const __m128i High = _mm_and_si128(Units, _mm_set1_epi16(short(0xFF80)));
    return _mm_movemask_epi8(_mm_cmpeq_epi16(High, _mm_setzero_si128())) == 0xFFFF;
}
#endif

// The bytes that S takes in UTF-8, a lone surrogate counted as U+FFFD.
inline size_t Utf8Length(StringView S) {
    const Char* P = S.data();
    const Char* End = P + S.size();
    size_t N = 0;
    while (P < End) {
#ifdef __SSE2__
        if (End - P >= 8 && EightAscii(P)) {
            P += 8;
            N += 8;
            continue;
        }
#endif
        const Char C = *P++;
        if (C < 0x80)
            N += 1;
        else if (C < 0x800)
            N += 2;
        else if (IsHighSurrogate(C) && P < End && IsLowSurrogate(*P))
            ++P, N += 4;
        else
            N += 3;
    }
    return N;
}

// Encodes S as UTF-8 at Dst, which has room for Utf8Length(S) bytes. A lone surrogate becomes
// U+FFFD, or with Strict stops the encoding and makes the result false.
inline bool EncodeRun(StringView S, unsigned char* Dst, bool Strict) {
    const Char* P = S.data();
    const Char* End = P + S.size();
    while (P < End) {
#ifdef __SSE2__
        if (End - P >= 8 && EightAscii(P)) {
            const __m128i Units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(Dst), _mm_packus_epi16(Units, Units));
            P += 8;
            Dst += 8;
            continue;
        }
#endif
        char32_t Cp = *P++;
        if (Cp < 0x80) {
            *Dst++ = static_cast<unsigned char>(Cp);
            continue;
        }
        if (IsHighSurrogate(Cp) && P < End && IsLowSurrogate(*P)) {
            Cp = 0x10000 + ((Cp - 0xD800) << 10) + (*P++ - 0xDC00);
        } else if (IsHighSurrogate(Cp) || IsLowSurrogate(Cp)) {
            if (Strict) return false;
            Cp = 0xFFFD;
        }
        if (Cp < 0x800) {
            *Dst++ = static_cast<unsigned char>(0xC0 | (Cp >> 6));
        } else if (Cp < 0x10000) {
            *Dst++ = static_cast<unsigned char>(0xE0 | (Cp >> 12));
            *Dst++ = static_cast<unsigned char>(0x80 | ((Cp >> 6) & 0x3F));
        } else {
            *Dst++ = static_cast<unsigned char>(0xF0 | (Cp >> 18));
            *Dst++ = static_cast<unsigned char>(0x80 | ((Cp >> 12) & 0x3F));
            *Dst++ = static_cast<unsigned char>(0x80 | ((Cp >> 6) & 0x3F));
        }
        *Dst++ = static_cast<unsigned char>(0x80 | (Cp & 0x3F));
    }
    return true;
}

} // namespace Utf8Detail
