#include "platform/base/Encoding.h"

#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/base/Streams.h"
#include "platform/base/Utf8Private.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>

namespace {

[[noreturn]] void NoMapping() {
    throw EEncodingError(u"No mapping for the Unicode character exists in the target multi-byte code page.");
}

// UTF-8 without a preamble: the system code page for INI files and logs.
class TDefaultEncoding : public TUTF8Encoding {
public:
    TBytes GetPreamble() const override { return {}; }
};

// Windows-1252, bytes 0x80..0x9F; every other byte is the character with the same number.
// The five bytes the code page leaves undefined keep their own number, so nothing is lost.
constexpr std::array<Char, 32> Cp1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                             0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

Char AnsiToChar(Byte B) {
    return (B >= 0x80 && B <= 0x9F) ? Cp1252High[B - 0x80] : Char(B);
}

const std::unordered_map<Char, Byte>& CharToAnsi() {
    static const std::unordered_map<Char, Byte> Map = [] {
        std::unordered_map<Char, Byte> M;
        for (int B = 0; B < 256; ++B)
            M.emplace(AnsiToChar(Byte(B)), Byte(B));
        return M;
    }();
    return Map;
}

bool StartsWith(const TBytes& Buffer, const TBytes& Prefix) {
    return !Prefix.empty() && Buffer.size() >= Prefix.size() &&
           std::equal(Prefix.begin(), Prefix.end(), Buffer.begin());
}

} // namespace

// ---- TEncoding ----

TEncoding* TEncoding::UTF8() {
    static TUTF8Encoding Instance;
    return &Instance;
}

TEncoding* TEncoding::Unicode() {
    static TUnicodeEncoding Instance;
    return &Instance;
}

TEncoding* TEncoding::BigEndianUnicode() {
    static TBigEndianUnicodeEncoding Instance;
    return &Instance;
}

TEncoding* TEncoding::Default() {
    static TDefaultEncoding Instance;
    return &Instance;
}

TEncoding* TEncoding::ANSI() {
    static TANSIEncoding Instance;
    return &Instance;
}

bool TEncoding::IsStandardEncoding(const TEncoding* Encoding) {
    return Encoding && (Encoding == UTF8() || Encoding == Unicode() || Encoding == BigEndianUnicode() ||
                        Encoding == Default() || Encoding == ANSI());
}

size_t TEncoding::GetBufferEncoding(const TBytes& Buffer, TEncoding*& Encoding, TEncoding* DefaultEncoding) {
    if (Encoding) {
        TBytes Preamble = Encoding->GetPreamble();
        return StartsWith(Buffer, Preamble) ? Preamble.size() : 0;
    }
    for (TEncoding* Candidate : {UTF8(), Unicode(), BigEndianUnicode()}) {
        TBytes Preamble = Candidate->GetPreamble();
        if (StartsWith(Buffer, Preamble)) {
            Encoding = Candidate;
            return Preamble.size();
        }
    }
    Encoding = DefaultEncoding;
    return 0;
}

// ---- TUTF8Encoding ----

TBytes TUTF8Encoding::GetBytes(const String& S) const {
    TBytes Out(Utf8Detail::Utf8Length(S));
    if (!Utf8Detail::EncodeRun(S, Out.data(), true)) NoMapping();
    return Out;
}

String TUTF8Encoding::GetString(const Byte* Bytes, size_t ByteCount) const {
    // Room for one unit per byte, the most UTF-8 can give; trimmed to what was written, and
    // given back when text beyond ASCII left much of it unused.
    String Out(ByteCount, u'\0');
    Char* Dst = Out.data();
    if (Utf8Detail::DecodeRun(Bytes, Bytes + ByteCount, Dst) != Bytes + ByteCount) NoMapping();
    Out.resize(size_t(Dst - Out.data()));
    if (Out.size() < ByteCount / 4 * 3) Out.shrink_to_fit();
    return Out;
}

TBytes TUTF8Encoding::GetPreamble() const {
    return {0xEF, 0xBB, 0xBF};
}

// ---- TUnicodeEncoding ----

TBytes TUnicodeEncoding::GetBytes(const String& S) const {
    TBytes Out(S.size() * 2);
    const bool BE = BigEndian();
    for (size_t I = 0; I < S.size(); ++I) {
        Out[2 * I + (BE ? 1 : 0)] = Byte(S[I] & 0xFF);
        Out[2 * I + (BE ? 0 : 1)] = Byte(S[I] >> 8);
    }
    return Out;
}

String TUnicodeEncoding::GetString(const Byte* Bytes, size_t ByteCount) const {
    if (ByteCount % 2) NoMapping();
    String Out(ByteCount / 2, u'\0');
    const bool BE = BigEndian();
    for (size_t I = 0; I < Out.size(); ++I) {
        Byte First = Bytes[2 * I], Second = Bytes[2 * I + 1];
        Out[I] = BE ? Char((First << 8) | Second) : Char((Second << 8) | First);
    }
    return Out;
}

TBytes TUnicodeEncoding::GetPreamble() const {
    return {0xFF, 0xFE};
}

TBytes TBigEndianUnicodeEncoding::GetPreamble() const {
    return {0xFE, 0xFF};
}

// ---- TANSIEncoding ----

TBytes TANSIEncoding::GetBytes(const String& S) const {
    const auto& Map = CharToAnsi();
    TBytes Out;
    Out.reserve(S.size());
    for (size_t I = 0; I < S.size(); ++I) {
        auto It = Map.find(S[I]);
        if (It != Map.end()) {
            Out.push_back(It->second);
        } else {
            Out.push_back('?');
            // One character outside the BMP is one '?', not two.
            if (Utf8Detail::IsHighSurrogate(S[I]) && I + 1 < S.size() && Utf8Detail::IsLowSurrogate(S[I + 1])) ++I;
        }
    }
    return Out;
}

String TANSIEncoding::GetString(const Byte* Bytes, size_t ByteCount) const {
    String Out(ByteCount, u'\0');
    for (size_t I = 0; I < ByteCount; ++I)
        Out[I] = AnsiToChar(Bytes[I]);
    return Out;
}

// ---- whole text files ----

String LoadTextFile(const String& FileName, TEncoding*& Detected, TEncoding* Fallback) {
    TBytes Bytes;
    {
        TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
        Bytes = ReadAllBytes(Stream);
    }
    TEncoding* Encoding = nullptr;
    size_t Skip = TEncoding::GetBufferEncoding(Bytes, Encoding, TEncoding::Default());
    if (Encoding != TEncoding::Default() || !Fallback) {
        Detected = Encoding;
        return Encoding->GetString(Bytes.data() + Skip, Bytes.size() - Skip);
    }
    try {
        String Text = Encoding->GetString(Bytes);
        Detected = Encoding;
        return Text;
    } catch (const EEncodingError&) {
        Detected = Fallback;
        size_t FallbackSkip = TEncoding::GetBufferEncoding(Bytes, Fallback);
        return Fallback->GetString(Bytes.data() + FallbackSkip, Bytes.size() - FallbackSkip);
    }
}

void SaveTextFile(const String& FileName, const String& Text, TEncoding* Encoding, bool WriteBOM) {
    if (!Encoding) Encoding = TEncoding::Default();
    TBytes Bytes = WriteBOM ? Encoding->GetPreamble() : TBytes();
    TBytes Body = Encoding->GetBytes(Text);
    Bytes.insert(Bytes.end(), Body.begin(), Body.end());
    SaveFileSafe(FileName, std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size()));
}
