#include "platform/base/Format.h"

#include "platform/base/Exceptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

TFormatSettings FormatSettings;

namespace {

constexpr int NoDecimalLimit = 9999;
constexpr int MaxDoubleDigits = 17; // the longest shortest text of a double

// A finite double as decimal digits: value = 0.D1D2...Dn × 10^Exponent. Zero has no digits.
struct TFloatRec {
    int Exponent = 0;
    bool Negative = false;
    int Count = 0;
    char Digits[MaxDoubleDigits + 1];
};

// Rounds R to its first Keep digits, half away from zero.
void RoundDigits(TFloatRec& R, int Keep) {
    if (Keep < 0) {
        R.Count = 0;
        return;
    }
    if (Keep >= R.Count) return;
    const bool Up = R.Digits[Keep] >= '5';
    R.Count = Keep;
    if (!Up) return;
    int I = Keep - 1;
    while (I >= 0 && R.Digits[I] == '9')
        --I;
    if (I < 0) {
        R.Digits[0] = '1';
        R.Count = 1;
        ++R.Exponent;
    } else {
        ++R.Digits[I];
        R.Count = I + 1;
    }
}

// The decimal digits of Value are those of its shortest text that reads back as the same
// double (so 1.005 is 1.005, not 1.00499999999999989...). Of those, at most Precision
// significant digits are kept and none beyond Decimals after the point, rounding half away
// from zero. Trailing zeros are dropped.
void FloatToDecimal(TFloatRec& R, double Value, int Precision, int Decimals) {
    R.Exponent = 0;
    R.Negative = false;
    R.Count = 0;
    if (Value == 0) return;
    char Buf[48];
    const auto Res = std::to_chars(Buf, Buf + sizeof Buf, std::fabs(Value), std::chars_format::scientific);
    const char* C = Buf;
    R.Digits[R.Count++] = *C++; // "d[.ddd]e[+-]xx"
    if (*C == '.')
        for (++C; *C != 'e'; ++C)
            R.Digits[R.Count++] = *C;
    int E10 = 0;
    std::from_chars(C + 1 + (C[1] == '+'), Res.ptr, E10);
    R.Exponent = E10 + 1;
    R.Negative = std::signbit(Value);
    RoundDigits(R, std::max(Precision, 1));
    if (Decimals < NoDecimalLimit) RoundDigits(R, R.Exponent + Decimals);
    while (R.Count > 0 && R.Digits[R.Count - 1] == '0')
        --R.Count;
    if (R.Count == 0) {
        R.Exponent = 0;
        R.Negative = false; // no "-0"
    }
}

void AppendAscii(String& Out, const char* S) {
    while (*S)
        Out.push_back(static_cast<Char>(*S++));
}

// Digits of V, zero-padded to MinDigits.
void AppendUnsigned(String& Out, UInt64 V, int MinDigits, unsigned Base = 10) {
    Char Buf[64];
    int N = 0;
    do {
        Buf[63 - N++] = u"0123456789ABCDEF"[V % Base];
        V /= Base;
    } while (V);
    if (MinDigits > N) Out.append(static_cast<size_t>(MinDigits - N), u'0');
    Out.append(Buf + 64 - N, Buf + 64);
}

// The integer part (with thousand separators when Thousands is not #0), then Decimals
// decimals.
void AppendFixed(String& Out, const TFloatRec& R, int Decimals, Char Thousands, Char DecimalSep) {
    if (R.Exponent <= 0) {
        Out.push_back(u'0');
    } else {
        for (int K = 0; K < R.Exponent; ++K) {
            if (Thousands && K > 0 && (R.Exponent - K) % 3 == 0) Out.push_back(Thousands);
            Out.push_back(K < R.Count ? static_cast<Char>(R.Digits[K]) : u'0');
        }
    }
    if (Decimals > 0) {
        Out.push_back(DecimalSep);
        for (int K = 0; K < Decimals; ++K) {
            const int I = R.Exponent + K;
            Out.push_back(I >= 0 && I < R.Count ? static_cast<Char>(R.Digits[I]) : u'0');
        }
    }
}

// "d.ddd" with MantissaDigits digits, "E", the exponent's sign ('+' only with PlusSign) and at
// least ExpDigits exponent digits.
void AppendScientific(String& Out, const TFloatRec& R, int MantissaDigits, int ExpDigits, bool PlusSign,
                      Char DecimalSep) {
    MantissaDigits = std::max(MantissaDigits, 1);
    Out.push_back(R.Count > 0 ? static_cast<Char>(R.Digits[0]) : u'0');
    if (MantissaDigits > 1) {
        Out.push_back(DecimalSep);
        for (int K = 1; K < MantissaDigits; ++K)
            Out.push_back(K < R.Count ? static_cast<Char>(R.Digits[K]) : u'0');
    }
    Out.push_back(u'E');
    const int E = R.Count > 0 ? R.Exponent - 1 : 0;
    if (E < 0)
        Out.push_back(u'-');
    else if (PlusSign)
        Out.push_back(u'+');
    AppendUnsigned(Out, static_cast<UInt64>(E < 0 ? -E : E), ExpDigits);
}

void AppendGeneral(String& Out, const TFloatRec& R, int Precision, int ExpDigits, Char DecimalSep) {
    if (R.Negative) Out.push_back(u'-');
    if (R.Count == 0)
        Out.push_back(u'0');
    else if (R.Exponent > Precision || R.Exponent < -3)
        AppendScientific(Out, R, R.Count, ExpDigits, false, DecimalSep);
    else
        AppendFixed(Out, R, std::max(R.Count - R.Exponent, 0), 0, DecimalSep);
}

void AppendCurrency(String& Out, const TFloatRec& R, int Decimals, int Precision, const TFormatSettings& FS) {
    static const char* const Positive[] = {"$1", "1$", "$ 1", "1 $"};
    static const char* const Negative[] = {"($1)", "-$1",  "$-1",  "$1-",  "(1$)", "-1$",  "1-$",   "1$-",
                                           "-1 $", "-$ 1", "1 $-", "$ 1-", "$ -1", "1- $", "($ 1)", "(1 $)"};
    const char* Pattern = R.Negative ? Negative[FS.NegCurrFormat < 16 ? FS.NegCurrFormat : 0]
                                     : Positive[FS.CurrencyFormat < 4 ? FS.CurrencyFormat : 0];
    TFloatRec Abs = R;
    Abs.Negative = false;
    for (const char* P = Pattern; *P; ++P) {
        if (*P == '$')
            Out += FS.CurrencyString;
        else if (*P != '1')
            Out.push_back(static_cast<Char>(*P));
        else if (Abs.Exponent > Precision)
            AppendGeneral(Out, Abs, Precision, 0, FS.DecimalSeparator);
        else
            AppendFixed(Out, Abs, Decimals, FS.ThousandSeparator, FS.DecimalSeparator);
    }
}

void AppendFloat(String& Out, double Value, TFloatFormat Fmt, int Precision, int Digits,
                 const TFormatSettings& FS) {
    if (std::isnan(Value)) {
        AppendAscii(Out, "NAN");
        return;
    }
    if (std::isinf(Value)) {
        AppendAscii(Out, Value < 0 ? "-INF" : "INF");
        return;
    }
    Precision = std::clamp(Precision, 1, 18);
    TFloatRec R;
    switch (Fmt) {
    case ffGeneral:
        FloatToDecimal(R, Value, Precision, NoDecimalLimit);
        AppendGeneral(Out, R, Precision, std::clamp(Digits, 0, 4), FS.DecimalSeparator);
        return;
    case ffExponent:
        FloatToDecimal(R, Value, Precision, NoDecimalLimit);
        if (R.Negative) Out.push_back(u'-');
        AppendScientific(Out, R, Precision, std::clamp(Digits, 0, 4), true, FS.DecimalSeparator);
        return;
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
        Digits = std::clamp(Digits, 0, 18);
        FloatToDecimal(R, Value, Precision, Digits);
        if (Fmt == ffCurrency) {
            AppendCurrency(Out, R, Digits, Precision, FS);
        } else if (R.Exponent > Precision) {
            AppendGeneral(Out, R, Precision, 0, FS.DecimalSeparator);
        } else {
            if (R.Negative) Out.push_back(u'-');
            AppendFixed(Out, R, Digits, Fmt == ffNumber ? FS.ThousandSeparator : Char(0),
                        FS.DecimalSeparator);
        }
        return;
    }
    }
}

[[noreturn]] void FormatError(StringView Fmt) {
    String Msg = u"Format '";
    Msg.append(Fmt);
    Msg += u"' invalid or incompatible with argument";
    throw EConvertError(std::move(Msg));
}

class TFormatter {
public:
    TFormatter(StringView Fmt, std::initializer_list<TVarRec> Args, const TFormatSettings& FS)
        : FFmt(Fmt), FArgs(Args.begin()), FCount(Args.size()), FFS(FS) {}

    String Run() {
        String Out;
        Out.reserve(FFmt.size() + 16 * FCount);
        const size_t N = FFmt.size();
        size_t I = 0;
        while (I < N) {
            const size_t P = FFmt.find(u'%', I);
            if (P == StringView::npos) {
                Out.append(FFmt.substr(I));
                break;
            }
            Out.append(FFmt.substr(I, P - I));
            FPos = P + 1;
            Directive(Out);
            I = FPos;
        }
        return Out;
    }

private:
    [[noreturn]] void Fail() const { FormatError(FFmt); }

    Char Peek() const { return FPos < FFmt.size() ? FFmt[FPos] : Char(0); }

    const TVarRec& NextArg() {
        if (FArgIndex >= FCount) Fail();
        return FArgs[FArgIndex++];
    }

    // Digits, or '*' for the next argument; -1 stands for a negative '*' value.
    bool Number(int& Value) {
        if (Peek() == u'*') {
            ++FPos;
            const TVarRec& A = NextArg();
            Int64 V;
            if (A.VType() == TVarRec::vtInteger)
                V = A.VInteger();
            else if (A.VType() == TVarRec::vtInt64 && A.VInt64() <= INT32_MAX && A.VInt64() >= INT32_MIN)
                V = A.VInt64();
            else
                Fail();
            if (V > MaxFormatWidth) Fail();
            Value = V < 0 ? -1 : static_cast<int>(V);
            return true;
        }
        if (Peek() < u'0' || Peek() > u'9') return false;
        Int64 V = 0;
        while (Peek() >= u'0' && Peek() <= u'9') {
            V = V * 10 + (FFmt[FPos++] - u'0');
            if (V > MaxFormatWidth) Fail();
        }
        Value = static_cast<int>(V);
        return true;
    }

    void Directive(String& Out) {
        if (Peek() == u'%') {
            ++FPos;
            Out.push_back(u'%');
            return;
        }
        int Num = 0;
        bool Has = Number(Num);
        if (Has && Peek() == u':') {
            if (Num < 0) Fail();
            FArgIndex = static_cast<size_t>(Num);
            ++FPos;
            Has = false;
        }
        bool Left = false;
        if (!Has) {
            if (Peek() == u'-') {
                Left = true;
                ++FPos;
            }
            Has = Number(Num);
        }
        const int Width = Has ? Num : -1;
        int Prec = -1;
        if (Peek() == u'.') {
            ++FPos;
            if (!Number(Prec)) Prec = 0;
        }
        if (FPos >= FFmt.size()) Fail();
        Char Type = FFmt[FPos++];
        if (Type >= u'a' && Type <= u'z') Type = static_cast<Char>(Type - 32);
        const TVarRec& A = NextArg();
        const size_t Start = Out.size();
        switch (Type) {
        case u'D':
        case u'U':
        case u'X':
            Integer(Out, A, Type, Prec);
            break;
        case u'E':
        case u'F':
        case u'G':
        case u'N':
        case u'M':
            Float(Out, A, Type, Prec);
            break;
        case u'S':
            Text(Out, A, Prec);
            break;
        case u'P':
            AppendUnsigned(Out, reinterpret_cast<std::uintptr_t>(PointerOf(A)), 2 * sizeof(void*), 16);
            break;
        default:
            Fail();
        }
        const size_t Len = Out.size() - Start;
        if (Width > 0 && static_cast<size_t>(Width) > Len) {
            if (Left)
                Out.append(Width - Len, u' ');
            else
                Out.insert(Start, Width - Len, u' ');
        }
    }

    const void* PointerOf(const TVarRec& A) const {
        switch (A.VType()) {
        case TVarRec::vtPointer:
            return A.VPointer();
        case TVarRec::vtPChar:
            return A.VPChar();
        case TVarRec::vtPWideChar:
            return A.VPWideChar();
        default:
            Fail();
        }
    }

    void Integer(String& Out, const TVarRec& A, Char Type, int Prec) {
        bool Negative = false;
        UInt64 Bits; // the value's two's complement in its own width
        UInt64 Magnitude;
        switch (A.VType()) {
        case TVarRec::vtInteger:
            Bits = static_cast<std::uint32_t>(A.VInteger());
            Negative = A.VInteger() < 0;
            Magnitude = Negative ? 0 - static_cast<UInt64>(static_cast<Int64>(A.VInteger())) : Bits;
            break;
        case TVarRec::vtInt64:
            Bits = static_cast<UInt64>(A.VInt64());
            Negative = A.VInt64() < 0;
            Magnitude = Negative ? 0 - Bits : Bits;
            break;
        case TVarRec::vtUInt64:
            Bits = Magnitude = A.VUInt64();
            break;
        default:
            Fail();
        }
        if (Type == u'D') {
            if (Negative) Out.push_back(u'-');
            AppendUnsigned(Out, Magnitude, Prec);
        } else {
            AppendUnsigned(Out, Bits, Prec, Type == u'X' ? 16 : 10);
        }
    }

    void Float(String& Out, const TVarRec& A, Char Type, int Prec) {
        if (A.VType() != TVarRec::vtExtended) Fail();
        const double V = A.VExtended();
        switch (Type) {
        case u'E':
            AppendFloat(Out, V, ffExponent, Prec < 0 || Prec > 15 ? 15 : Prec, 3, FFS);
            break;
        case u'G':
            AppendFloat(Out, V, ffGeneral, Prec < 0 || Prec > 15 ? 15 : Prec, 0, FFS);
            break;
        case u'F':
            AppendFloat(Out, V, ffFixed, 18, Prec < 0 ? 2 : Prec, FFS);
            break;
        case u'N':
            AppendFloat(Out, V, ffNumber, 18, Prec < 0 ? 2 : Prec, FFS);
            break;
        default:
            AppendFloat(Out, V, ffCurrency, 18, Prec < 0 ? FFS.CurrencyDecimals : Prec, FFS);
            break;
        }
    }

    void Text(String& Out, const TVarRec& A, int Prec) {
        const size_t Start = Out.size();
        switch (A.VType()) {
        case TVarRec::vtChar:
            Out.push_back(static_cast<unsigned char>(A.VChar()) < 0x80 ? Char(A.VChar()) : Char(0xFFFD));
            break;
        case TVarRec::vtWideChar:
            Out.push_back(A.VWideChar());
            break;
        case TVarRec::vtPChar:
            if (A.VPChar()) AppendUtf8(Out, A.VPChar());
            break;
        case TVarRec::vtAnsiString:
            AppendUtf8(Out, A.VAnsiString());
            break;
        case TVarRec::vtPWideChar:
            if (A.VPWideChar()) Out.append(A.VPWideChar());
            break;
        case TVarRec::vtUnicodeString: {
            StringView S = A.VUnicodeString();
            Out.append(Prec >= 0 ? S.substr(0, static_cast<size_t>(Prec)) : S);
            return;
        }
        default:
            Fail();
        }
        if (Prec >= 0 && Out.size() - Start > static_cast<size_t>(Prec))
            Out.resize(Start + static_cast<size_t>(Prec));
    }

    StringView FFmt;
    const TVarRec* FArgs;
    size_t FCount;
    const TFormatSettings& FFS;
    size_t FPos = 0;
    size_t FArgIndex = 0;
};

} // namespace

String Format(StringView Fmt, std::initializer_list<TVarRec> Args, const TFormatSettings& FS) {
    return TFormatter(Fmt, Args, FS).Run();
}

String Format(StringView Fmt, std::initializer_list<TVarRec> Args) {
    return Format(Fmt, Args, FormatSettings);
}

String FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits, const TFormatSettings& FS) {
    String Out;
    AppendFloat(Out, Value, Format, Precision, Digits, FS);
    return Out;
}

String FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits) {
    return FloatToStrF(Value, Format, Precision, Digits, FormatSettings);
}

String FloatToStr(double Value, const TFormatSettings& FS) {
    return FloatToStrF(Value, ffGeneral, 15, 0, FS);
}

String FloatToStr(double Value) {
    return FloatToStr(Value, FormatSettings);
}

// ---- FormatFloat -------------------------------------------------------------------------------

namespace {

// The sections of a picture format, split at ';' outside quotes.
std::vector<String> FloatSections(const String& Fmt) {
    std::vector<String> Sections(1);
    Char Quote = 0;
    for (Char C : Fmt) {
        if (Quote) {
            if (C == Quote) Quote = 0;
        } else if (C == u'\'' || C == u'"') {
            Quote = C;
        } else if (C == u';') {
            Sections.emplace_back();
            continue;
        }
        Sections.back() += C;
    }
    return Sections;
}

// Digits of V (not negative) with Decimals decimals, halves away from zero.
std::string FixedDigits(double V, int Decimals) {
    const double Scale = std::pow(10.0, Decimals);
    double Scaled = V * Scale;
    // The shortest decimal text of V decides a half, not the binary neighbour below it.
    char Buf[64];
    std::snprintf(Buf, sizeof Buf, "%.15g", Scaled);
    Scaled = std::floor(std::strtod(Buf, nullptr) + 0.5);
    std::snprintf(Buf, sizeof Buf, "%.0f", Scaled);
    std::string Digits = Buf;
    if (static_cast<int>(Digits.size()) <= Decimals) Digits.insert(0, Decimals + 1 - Digits.size(), '0');
    return Digits; // the last Decimals digits are the fraction
}

String FormatSection(const String& Section, double V, bool Minus, const TFormatSettings& FS) {
    // Where the placeholders lie, and what they ask for.
    int First = -1, Last = -1, IntZeros = 0, DecZeros = 0, DecHashes = 0, ExpDigits = 0;
    bool Thousands = false, Point = false, Sci = false, ExpPlus = false;
    Char ExpChar = u'E';
    Char Quote = 0;
    for (int I = 0; I < static_cast<int>(Section.size()); ++I) {
        const Char C = Section[I];
        if (Quote) {
            if (C == Quote) Quote = 0;
            continue;
        }
        if (C == u'\'' || C == u'"') {
            Quote = C;
            continue;
        }
        if (Sci) {
            if (C == u'0') {
                ++ExpDigits;
                Last = I;
            }
            continue;
        }
        if (C == u'0' || C == u'#') {
            if (First < 0) First = I;
            Last = I;
            if (Point)
                ++(C == u'0' && DecHashes == 0 ? DecZeros : DecHashes);
            else if (C == u'0')
                ++IntZeros;
        } else if (C == u'.' && First >= 0 && !Point) {
            Point = true;
            Last = I;
        } else if (C == u'.' && First < 0 && !Point) {
            Point = true;
            First = Last = I;
        } else if (C == u',' && !Point) {
            Thousands = true;
        } else if ((C == u'E' || C == u'e') && First >= 0 && I + 1 < static_cast<int>(Section.size()) &&
                   (Section[I + 1] == u'+' || Section[I + 1] == u'-')) {
            Sci = true;
            ExpChar = C;
            ExpPlus = Section[I + 1] == u'+';
            ++I;
            Last = I;
        }
    }
    if (First < 0) { // no placeholder: the text alone, without its quotes
        String R;
        Char Q = 0;
        for (Char C : Section)
            if (Q ? C == Q : (C == u'\'' || C == u'"'))
                Q = Q ? 0 : C;
            else
                R += C;
        return R;
    }

    String Number;
    const int Decimals = DecZeros + DecHashes;
    if (Sci) {
        int Exp = 0;
        double M = V;
        const int IntDigits = std::max(IntZeros, 1);
        if (M != 0) {
            Exp = static_cast<int>(std::floor(std::log10(M))) - (IntDigits - 1);
            M = V / std::pow(10.0, Exp);
            std::string D = FixedDigits(M, Decimals);
            if (static_cast<int>(D.size()) - Decimals > IntDigits) { // rounding carried a digit
                ++Exp;
                M = V / std::pow(10.0, Exp);
            }
        }
        std::string D = FixedDigits(M, Decimals);
        String Int(D.begin(), D.end() - Decimals);
        String Frac(D.end() - Decimals, D.end());
        while (static_cast<int>(Frac.size()) > DecZeros && !Frac.empty() && Frac.back() == u'0') Frac.pop_back();
        Number = Int + (Frac.empty() ? String() : String(1, FS.DecimalSeparator) + Frac);
        String E = String(1, ExpChar) + (Exp < 0 ? u"-" : ExpPlus ? u"+" : u"");
        std::string ED = std::to_string(std::abs(Exp));
        if (static_cast<int>(ED.size()) < ExpDigits) ED.insert(0, ExpDigits - ED.size(), '0');
        Number += E + String(ED.begin(), ED.end());
    } else {
        std::string D = FixedDigits(V, Decimals);
        std::string IntD(D.begin(), D.end() - Decimals);
        String Frac(D.end() - Decimals, D.end());
        while (static_cast<int>(Frac.size()) > DecZeros && Frac.back() == u'0') Frac.pop_back();
        IntD.erase(0, std::min(IntD.find_first_not_of('0'), IntD.size()));
        if (static_cast<int>(IntD.size()) < IntZeros) IntD.insert(0, IntZeros - IntD.size(), '0');
        String Int;
        for (int I = 0; I < static_cast<int>(IntD.size()); ++I) {
            if (Thousands && FS.ThousandSeparator && I > 0 && (IntD.size() - I) % 3 == 0)
                Int += FS.ThousandSeparator;
            Int += static_cast<Char>(IntD[I]);
        }
        Number = Int + (Frac.empty() ? String() : String(1, FS.DecimalSeparator) + Frac);
        if (Minus && Number.find_first_of(u"123456789") == String::npos) Minus = false;
    }
    // Text before the first placeholder and after the last one is copied without its quotes.
    auto Literal = [&](int From, int To) {
        String R;
        Char Q = 0;
        for (int I = From; I < To; ++I) {
            const Char C = Section[I];
            if (Q) {
                if (C == Q)
                    Q = 0;
                else
                    R += C;
            } else if (C == u'\'' || C == u'"') {
                Q = C;
            } else if (C != u',') {
                R += C;
            }
        }
        return R;
    };
    return (Minus ? u"-" : u"") + Literal(0, First) + Number + Literal(Last + 1, static_cast<int>(Section.size()));
}

} // namespace

String FormatFloat(const String& Fmt, double Value) { return FormatFloat(Fmt, Value, FormatSettings); }

String FormatFloat(const String& Fmt, double Value, const TFormatSettings& FS) {
    if (!std::isfinite(Value)) return Value != Value ? u"NAN" : Value > 0 ? u"INF" : u"-INF";
    if (Fmt.empty()) return Format(u"%g", {Value}, FS);
    const std::vector<String> S = FloatSections(Fmt);
    if (Value < 0 && S.size() >= 2 && !S[1].empty()) return FormatSection(S[1], -Value, false, FS);
    if (Value == 0 && S.size() >= 3 && !S[2].empty()) return FormatSection(S[2], 0, false, FS);
    return FormatSection(S[0], std::fabs(Value), Value < 0, FS);
}
