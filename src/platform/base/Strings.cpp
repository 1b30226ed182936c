#include "platform/base/Strings.h"

#include "platform/base/Utf8Private.h"

#include "platform/base/CharTypes.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Format.h"

#include <QChar>
#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

QString ToQ(const String& S) {
    return QString::fromUtf16(S.data(), static_cast<qsizetype>(S.size()));
}

String FromQ(const QString& Q) {
    return String(reinterpret_cast<const Char*>(Q.utf16()), Q.size());
}

int Sign(int V) {
    return (V > 0) - (V < 0);
}

Char AsciiUpper(Char C) {
    return (C >= u'a' && C <= u'z') ? Char(C - 32) : C;
}
Char AsciiLower(Char C) {
    return (C >= u'A' && C <= u'Z') ? Char(C + 32) : C;
}

} // namespace

String Utf8ToString(std::string_view Utf8) {
    String Out;
    AppendUtf8(Out, Utf8);
    return Out;
}

void AppendUtf8(String& Out, std::string_view Utf8) {
    // Room for one unit per byte, the most UTF-8 can give; trimmed to what was written.
    const size_t Old = Out.size();
    Out.resize(Old + Utf8.size());
    Char* Dst = Out.data() + Old;
    const auto* P = reinterpret_cast<const unsigned char*>(Utf8.data());
    const auto* End = P + Utf8.size();
    while ((P = Utf8Detail::DecodeRun(P, End, Dst)) < End) {
        *Dst++ = 0xFFFD; // one replacement character per refused byte
        ++P;
    }
    Out.resize(size_t(Dst - Out.data()));
}

AnsiString StringToUtf8(StringView Text) {
    // A lone surrogate becomes U+FFFD.
    AnsiString Out(Utf8Detail::Utf8Length(Text), '\0');
    Utf8Detail::EncodeRun(Text, reinterpret_cast<unsigned char*>(Out.data()), false);
    return Out;
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

int CompareStr(const String& S1, const String& S2) {
    return Sign(S1.compare(S2));
}

int CompareText(const String& S1, const String& S2) {
    size_t N = std::min(S1.size(), S2.size());
    for (size_t I = 0; I < N; ++I) {
        Char A = AsciiUpper(S1[I]), B = AsciiUpper(S2[I]);
        if (A != B) return A < B ? -1 : 1;
    }
    return S1.size() == S2.size() ? 0 : (S1.size() < S2.size() ? -1 : 1);
}

bool SameStr(const String& S1, const String& S2) {
    return S1 == S2;
}
bool SameText(const String& S1, const String& S2) {
    return S1.size() == S2.size() && CompareText(S1, S2) == 0;
}

String AnsiUpperCase(const String& S) {
    return FromQ(ToQ(S).toUpper());
}
String AnsiLowerCase(const String& S) {
    return FromQ(ToQ(S).toLower());
}
char32_t UnicodeUpperChar(char32_t CodePoint) {
    return QChar::toUpper(CodePoint);
}
char32_t UnicodeLowerChar(char32_t CodePoint) {
    return QChar::toLower(CodePoint);
}

int AnsiCompareText(const String& S1, const String& S2) {
    return Sign(QString::compare(ToQ(S1), ToQ(S2), Qt::CaseInsensitive));
}

int AnsiCompareStr(const String& S1, const String& S2) {
    if (int R = AnsiCompareText(S1, S2)) return R;
    // Equal but for case: the first position that differs decides, lower case first.
    size_t N = std::min(S1.size(), S2.size());
    for (size_t I = 0; I < N; ++I) {
        if (S1[I] == S2[I]) continue;
        QChar A(S1[I]), B(S2[I]);
        if (A.isLower() != B.isLower()) return A.isLower() ? -1 : 1;
        return S1[I] < S2[I] ? -1 : 1;
    }
    return Sign(int(S1.size()) - int(S2.size()));
}

bool AnsiSameStr(const String& S1, const String& S2) {
    return S1 == S2;
}
bool AnsiSameText(const String& S1, const String& S2) {
    return AnsiCompareText(S1, S2) == 0;
}

// --- Positions, pieces and padding -------------------------------------------------------------

int Pos(const String& Sub, const String& S) {
    return PosEx(Sub, S, 1);
}

int PosEx(const String& Sub, const String& S, int Offset) {
    if (Sub.empty() || Offset < 1 || Offset > Length(S)) return 0;
    size_t P = S.find(Sub, static_cast<size_t>(Offset - 1));
    return P == String::npos ? 0 : static_cast<int>(P) + 1;
}

int AnsiPos(const String& Sub, const String& S) {
    return Pos(Sub, S);
}

String Copy(const String& S, int Index, int Count) {
    if (Index < 1) Index = 1;
    if (Count <= 0 || Index > Length(S)) return String();
    return S.substr(static_cast<size_t>(Index - 1), static_cast<size_t>(Count));
}

void Delete(String& S, int Index, int Count) {
    if (Index < 1 || Index > Length(S) || Count <= 0) return;
    S.erase(static_cast<size_t>(Index - 1), static_cast<size_t>(Count));
}

void Insert(const String& Source, String& S, int Index) {
    Index = std::clamp(Index, 1, Length(S) + 1);
    S.insert(static_cast<size_t>(Index - 1), Source);
}

void SetLength(String& S, int NewLength) {
    S.resize(static_cast<size_t>(std::max(NewLength, 0)));
}

String StringOfChar(Char C, int Count) {
    return String(static_cast<size_t>(std::max(Count, 0)), C);
}

String DupeString(const String& S, int Count) {
    String R;
    if (Count <= 0) return R;
    R.reserve(S.size() * static_cast<size_t>(Count));
    for (int I = 0; I < Count; ++I)
        R += S;
    return R;
}

StringView TrimView(StringView S) {
    size_t B = 0, E = S.size();
    while (B < E && S[B] <= u' ')
        ++B;
    while (E > B && S[E - 1] <= u' ')
        --E;
    return S.substr(B, E - B);
}

String Trim(const String& S) {
    return String(TrimView(S));
}

String TrimLeft(const String& S) {
    size_t B = 0;
    while (B < S.size() && S[B] <= u' ')
        ++B;
    return S.substr(B);
}

String TrimRight(const String& S) {
    size_t E = S.size();
    while (E > 0 && S[E - 1] <= u' ')
        --E;
    return S.substr(0, E);
}

int LastDelimiter(const String& Delimiters, const String& S) {
    size_t P = S.find_last_of(Delimiters);
    return P == String::npos ? 0 : static_cast<int>(P) + 1;
}

bool IsDelimiter(const String& Delimiters, const String& S, int Index) {
    if (Index < 1 || Index > Length(S)) return false;
    return Delimiters.find(S[static_cast<size_t>(Index - 1)]) != String::npos;
}

// --- Quoting -----------------------------------------------------------------------------------

String QuotedStr(const String& S) {
    return AnsiQuotedStr(S, u'\'');
}

String AnsiQuotedStr(const String& S, Char Quote) {
    String R;
    R.reserve(S.size() + 2);
    R.push_back(Quote);
    for (Char C : S) {
        R.push_back(C);
        if (C == Quote) R.push_back(Quote);
    }
    R.push_back(Quote);
    return R;
}

String AnsiDequotedStr(const String& S, Char Quote) {
    if (S.empty() || S[0] != Quote) return S;
    String R;
    size_t I = 1;
    bool Closed = false;
    while (I < S.size()) {
        if (S[I] == Quote) {
            if (I + 1 < S.size() && S[I + 1] == Quote) {
                R.push_back(Quote);
                I += 2;
                continue;
            }
            Closed = true;
            ++I;
            break;
        }
        R.push_back(S[I++]);
    }
    // Text after the closing quote is dropped; an unterminated text is not a quoted one.
    return Closed ? R : S;
}

// --- Searching and replacing -------------------------------------------------------------------

namespace {

// One Char to one Char, so that positions in the mapped text are positions in the original.
String SimpleUpper(const String& S) {
    String R(S);
    for (Char& C : R)
        if (C >= 0x80 && (C < 0xD800 || C > 0xDFFF))
            C = static_cast<Char>(QChar::toUpper(static_cast<char32_t>(C)));
        else
            C = AsciiUpper(C);
    return R;
}

} // namespace

String StringReplace(const String& S, const String& OldPattern, const String& NewPattern,
                     TReplaceFlags Flags) {
    if (OldPattern.empty()) return S;
    const bool IgnoreCase = Flags & rfIgnoreCase;
    const String SearchIn = IgnoreCase ? SimpleUpper(S) : String();
    const String Pattern = IgnoreCase ? SimpleUpper(OldPattern) : String();
    const String& Hay = IgnoreCase ? SearchIn : S;
    const String& Needle = IgnoreCase ? Pattern : OldPattern;
    String R;
    size_t From = 0;
    for (;;) {
        size_t P = Hay.find(Needle, From);
        if (P == String::npos) break;
        R.append(S, From, P - From);
        R += NewPattern;
        From = P + Needle.size();
        if (!(Flags & rfReplaceAll)) break;
    }
    R.append(S, From, String::npos);
    return R;
}

bool StartsStr(const String& SubText, const String& Text) {
    return Text.size() >= SubText.size() && Text.compare(0, SubText.size(), SubText) == 0;
}

bool StartsText(const String& SubText, const String& Text) {
    return Text.size() >= SubText.size() && AnsiSameText(SubText, Text.substr(0, SubText.size()));
}

bool EndsStr(const String& SubText, const String& Text) {
    return Text.size() >= SubText.size() &&
           Text.compare(Text.size() - SubText.size(), SubText.size(), SubText) == 0;
}

bool EndsText(const String& SubText, const String& Text) {
    return Text.size() >= SubText.size() && AnsiSameText(SubText, Text.substr(Text.size() - SubText.size()));
}

bool ContainsStr(const String& Text, const String& SubText) {
    return Pos(SubText, Text) > 0;
}

bool ContainsText(const String& Text, const String& SubText) {
    return Pos(AnsiUpperCase(SubText), AnsiUpperCase(Text)) > 0;
}

// --- Integers ----------------------------------------------------------------------------------

namespace {

// Writes the digits of V backwards, ending at End; returns the first Char.
Char* UnsignedDigits(UInt64 V, Char* End) {
    do {
        *--End = static_cast<Char>(u'0' + V % 10);
        V /= 10;
    } while (V);
    return End;
}

[[noreturn]] void InvalidInteger(const String& S) {
    throw EConvertError(u"'" + S + u"' is not a valid integer value");
}

// The integer syntax of StrToInt for a value of Bits bits (32 or 64).
bool ParseInteger(const String& S, int Bits, Int64& Value) {
    size_t I = 0, N = S.size();
    while (I < N && S[I] == u' ')
        ++I;
    bool Negative = false;
    if (I < N && (S[I] == u'+' || S[I] == u'-')) Negative = S[I++] == u'-';
    bool Hex = false;
    if (I < N && (S[I] == u'$' || S[I] == u'x' || S[I] == u'X')) {
        Hex = true;
        ++I;
    } else if (I + 1 < N && S[I] == u'0' && (S[I + 1] == u'x' || S[I + 1] == u'X')) {
        Hex = true;
        I += 2;
    }
    if (I >= N) return false;
    const UInt64 Limit = Hex ? (Bits == 32 ? 0xFFFFFFFFull : ~0ull)
                             : (Bits == 32 ? 0x7FFFFFFFull : 0x7FFFFFFFFFFFFFFFull) + (Negative ? 1 : 0);
    const unsigned Base = Hex ? 16 : 10;
    UInt64 V = 0;
    for (; I < N; ++I) {
        const int Digit = HexDigitValue(S[I]);
        if (Digit < 0 || Digit >= int(Base)) return false;
        const unsigned D = unsigned(Digit);
        if (V > (Limit - D) / Base) return false;
        V = V * Base + D;
    }
    if (Negative) V = 0 - V;
    Value = Bits == 32 ? static_cast<Int64>(static_cast<std::int32_t>(static_cast<std::uint32_t>(V)))
                       : static_cast<Int64>(V);
    return true;
}

} // namespace

String IntToStr(Int64 Value) {
    Char Buf[24];
    Char* End = Buf + 24;
    UInt64 Magnitude = Value < 0 ? 0 - static_cast<UInt64>(Value) : static_cast<UInt64>(Value);
    Char* P = UnsignedDigits(Magnitude, End);
    if (Value < 0) *--P = u'-';
    return String(P, End);
}

String UIntToStr(UInt64 Value) {
    Char Buf[24];
    Char* End = Buf + 24;
    Char* P = UnsignedDigits(Value, End);
    return String(P, End);
}

String IntToHexBits(UInt64 Bits, int Digits) {
    Char Buf[16];
    int N = 0;
    do {
        Buf[15 - N++] = u"0123456789ABCDEF"[Bits & 15];
        Bits >>= 4;
    } while (Bits);
    String R;
    if (Digits > N) R.assign(static_cast<size_t>(Digits - N), u'0');
    R.append(Buf + 16 - N, Buf + 16);
    return R;
}

bool TryStrToInt(const String& S, int& Value) {
    Int64 V;
    if (!ParseInteger(S, 32, V)) return false;
    Value = static_cast<int>(V);
    return true;
}

bool TryStrToInt64(const String& S, Int64& Value) {
    return ParseInteger(S, 64, Value);
}

int StrToInt(const String& S) {
    int V;
    if (!TryStrToInt(S, V)) InvalidInteger(S);
    return V;
}

Int64 StrToInt64(const String& S) {
    Int64 V;
    if (!TryStrToInt64(S, V)) InvalidInteger(S);
    return V;
}

int StrToIntDef(const String& S, int Default) {
    int V;
    return TryStrToInt(S, V) ? V : Default;
}

Int64 StrToInt64Def(const String& S, Int64 Default) {
    Int64 V;
    return TryStrToInt64(S, V) ? V : Default;
}

// --- Floating point (reading; writing lives with Format) ---------------------------------------

bool TryStrToFloat(const String& S, double& Value, const TFormatSettings& FS) {
    size_t I = 0, N = S.size();
    while (I < N && S[I] == u' ')
        ++I;
    while (N > I && S[N - 1] == u' ')
        --N;
    std::string Text; // ASCII for from_chars, with '.' as the decimal point
    Text.reserve(N - I + 1);
    bool Negative = false;
    if (I < N && (S[I] == u'+' || S[I] == u'-')) Negative = S[I++] == u'-';
    const StringView Rest(S.data() + I, N - I);
    auto Is = [&](StringView Word) {
        if (Rest.size() != Word.size()) return false;
        for (size_t K = 0; K < Word.size(); ++K)
            if (AsciiUpper(Rest[K]) != Word[K]) return false;
        return true;
    };
    if (Is(u"INF")) {
        Value = Negative ? -HUGE_VAL : HUGE_VAL;
        return true;
    }
    if (Is(u"NAN")) {
        Value = std::nan("");
        return true;
    }
    // Decimal order of the first significant digit, to tell an overflow from an underflow.
    int IntDigits = 0, LeadingFractionZeros = 0;
    bool SeenNonZero = false, SeenDigit = false, SeenPoint = false;
    for (; I < N; ++I) {
        Char C = S[I];
        if (C >= u'0' && C <= u'9') {
            SeenDigit = true;
            if (C != u'0') SeenNonZero = true;
            if (!SeenPoint && SeenNonZero)
                ++IntDigits;
            else if (SeenPoint && !SeenNonZero)
                ++LeadingFractionZeros;
            Text.push_back(static_cast<char>(C));
        } else if (C == FS.DecimalSeparator && !SeenPoint) {
            SeenPoint = true;
            Text.push_back('.');
        } else {
            break;
        }
    }
    if (!SeenDigit) return false;
    int Exponent = 0;
    if (I < N && (S[I] == u'e' || S[I] == u'E')) {
        Text.push_back('e');
        ++I;
        bool ExpNegative = false;
        if (I < N && (S[I] == u'+' || S[I] == u'-')) {
            ExpNegative = S[I] == u'-';
            Text.push_back(static_cast<char>(S[I++]));
        }
        if (I >= N) return false;
        for (; I < N && S[I] >= u'0' && S[I] <= u'9'; ++I) {
            Text.push_back(static_cast<char>(S[I]));
            Exponent = std::min(Exponent * 10 + (S[I] - u'0'), 100000);
        }
        if (ExpNegative) Exponent = -Exponent;
    }
    if (I != N) return false;
    double V = 0;
    auto [End, Ec] = std::from_chars(Text.data(), Text.data() + Text.size(), V);
    if (End != Text.data() + Text.size()) return false;
    if (Ec == std::errc::result_out_of_range) {
        if (!SeenNonZero)
            V = 0;
        else if ((IntDigits > 0 ? IntDigits : -LeadingFractionZeros) + Exponent > 0)
            return false; // too large
        else
            V = 0; // too small: as close as a double gets
    } else if (Ec != std::errc()) {
        return false;
    }
    Value = Negative ? -V : V;
    return true;
}

bool TryStrToFloat(const String& S, double& Value) {
    return TryStrToFloat(S, Value, FormatSettings);
}

double StrToFloat(const String& S, const TFormatSettings& FS) {
    double V;
    if (!TryStrToFloat(S, V, FS)) throw EConvertError(u"'" + S + u"' is not a valid floating point value");
    return V;
}

double StrToFloat(const String& S) {
    return StrToFloat(S, FormatSettings);
}

double StrToFloatDef(const String& S, double Default, const TFormatSettings& FS) {
    double V;
    return TryStrToFloat(S, V, FS) ? V : Default;
}

double StrToFloatDef(const String& S, double Default) {
    return StrToFloatDef(S, Default, FormatSettings);
}

// --- Booleans ----------------------------------------------------------------------------------

String BoolToStr(bool B, bool UseBoolStrs) {
    if (UseBoolStrs) return B ? u"True" : u"False";
    return B ? u"-1" : u"0";
}

bool StrToBool(const String& S) {
    if (CompareText(S, u"True") == 0) return true;
    if (CompareText(S, u"False") == 0) return false;
    double V;
    if (TryStrToFloat(S, V)) return V != 0;
    throw EConvertError(u"'" + S + u"' is not a valid boolean value");
}
