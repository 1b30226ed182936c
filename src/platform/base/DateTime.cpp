#include "platform/base/DateTime.h"

#include "platform/base/Exceptions.h"
#include "platform/base/Format.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

constexpr double UnixDateDelta = 25569.0; // 1970-01-01 as a date-time
constexpr Int64 DateDelta = 693594;       // days from 0001-01-01 (day 1) to 1899-12-30
constexpr Int64 MinDate = -693593;        // 0001-01-01
constexpr Int64 MaxDate = 2958465;        // 9999-12-31
constexpr Int64 MSecsPerDay = 86400000;

// The whole day and the milliseconds of the time of day, rounded to the millisecond.
struct TDaySplit {
    Int64 Day;
    int MSecs;
};

void CheckRange(TDateTime DT) {
    if (!(DT > MinDate - 1.0 && DT < MaxDate + 1.0)) // also NaN
        throw EConvertError(u"Invalid argument to date decode");
}

TDaySplit Split(TDateTime DT) {
    CheckRange(DT);
    const double Whole = std::trunc(DT);
    TDaySplit R{static_cast<Int64>(Whole),
                static_cast<int>(std::llround(std::fabs(DT - Whole) * MSecsPerDay))};
    if (R.MSecs >= MSecsPerDay) {
        R.MSecs -= MSecsPerDay;
        ++R.Day; // the next calendar day, also before 1899-12-30
    }
    return R;
}

// A whole day and a time of day as one value; before 1899-12-30 the time is subtracted.
TDateTime Compose(TDateTime Date, TDateTime Time) {
    return Date < 0 ? Date - Time : Date + Time;
}

void DayToDate(Int64 Day, Word& Year, Word& Month, Word& DayOfMonth) {
    if (Day < MinDate || Day > MaxDate) throw EConvertError(u"Invalid argument to date decode");
    Int64 T = Day + DateDelta - 1; // days since 0001-01-01
    Int64 Y = 1;
    Y += 400 * (T / 146097);
    T %= 146097;
    Int64 I = T / 36524;
    T %= 36524;
    if (I == 4) { // the last day of a 400-year cycle
        --I;
        T += 36524;
    }
    Y += 100 * I;
    Y += 4 * (T / 1461);
    T %= 1461;
    I = T / 365;
    T %= 365;
    if (I == 4) { // the last day of a leap year
        --I;
        T += 365;
    }
    Y += I;
    int M = 1;
    for (;; ++M) {
        const int N = DaysInMonth(static_cast<int>(Y), M);
        if (T < N) break;
        T -= N;
    }
    Year = static_cast<Word>(Y);
    Month = static_cast<Word>(M);
    DayOfMonth = static_cast<Word>(T + 1);
}

void MSecsToTime(int MSecs, Word& Hour, Word& Min, Word& Sec, Word& MSec) {
    Hour = static_cast<Word>(MSecs / 3600000);
    Min = static_cast<Word>(MSecs / 60000 % 60);
    Sec = static_cast<Word>(MSecs / 1000 % 60);
    MSec = static_cast<Word>(MSecs % 1000);
}

int CurrentYear() {
    Word Y, M, D;
    DecodeDate(Now(), Y, M, D);
    return Y;
}

Char Upper(Char C) {
    return C >= u'a' && C <= u'z' ? static_cast<Char>(C - 32) : C;
}

// Whether Fmt at I starts with Word (ASCII, any case).
bool At(StringView Fmt, size_t I, const char* Word) {
    for (; *Word; ++Word, ++I)
        if (I >= Fmt.size() || Upper(Fmt[I]) != Upper(static_cast<Char>(*Word))) return false;
    return true;
}

// --- Formatting ------------------------------------------------------------------------------

class TDateTimeFormatter {
public:
    TDateTimeFormatter(TDateTime DT, const TFormatSettings& FS) : FFS(FS) {
        const TDaySplit S = Split(DT);
        DayToDate(S.Day, FYear, FMonth, FDay);
        MSecsToTime(S.MSecs, FHour, FMin, FSec, FMSec);
        FDayOfWeek = static_cast<int>((S.Day + DateDelta) % 7); // 0 = Sunday
    }

    void Append(String& Out, StringView Fmt, int Level) {
        if (Fmt.empty()) Fmt = u"c";
        const bool Clock12 = HasAmPm(Fmt);
        Char LastToken = 0;
        size_t I = 0;
        while (I < Fmt.size()) {
            const Char C = Fmt[I];
            Char Token = Upper(C);
            if (Token >= u'A' && Token <= u'Z') {
                if (Token == u'M' && LastToken == u'H') Token = u'N';
                LastToken = Token;
            }
            // The length of the run of this letter, for the letter specifiers.
            size_t Run = 1;
            while (I + Run < Fmt.size() && Upper(Fmt[I + Run]) == Upper(C))
                ++Run;
            const int Count = static_cast<int>(Run);
            switch (Token) {
            case u'Y':
                if (Count <= 2)
                    Number(Out, FYear % 100, 2);
                else
                    Number(Out, FYear, 4);
                I += Run;
                break;
            case u'M':
                if (Count <= 2)
                    Number(Out, FMonth, Count);
                else
                    Out += (Count == 3 ? FFS.ShortMonthNames : FFS.LongMonthNames)[FMonth - 1];
                I += Run;
                break;
            case u'D':
                if (Count <= 2)
                    Number(Out, FDay, Count);
                else if (Count <= 4)
                    Out += (Count == 3 ? FFS.ShortDayNames : FFS.LongDayNames)[FDayOfWeek];
                else
                    Nested(Out, Count == 5 ? FFS.ShortDateFormat : FFS.LongDateFormat, Level);
                I += Run;
                break;
            case u'H': {
                int H = FHour;
                if (Clock12) {
                    H %= 12;
                    if (H == 0) H = 12;
                }
                Number(Out, H, Count >= 2 ? 2 : 1);
                I += Run;
                break;
            }
            case u'N':
                Number(Out, FMin, Count >= 2 ? 2 : 1);
                I += Run;
                break;
            case u'S':
                Number(Out, FSec, Count >= 2 ? 2 : 1);
                I += Run;
                break;
            case u'Z':
                Number(Out, FMSec, Count >= 3 ? 3 : 1);
                I += Run;
                break;
            case u'T':
                Nested(Out, Count == 1 ? FFS.ShortTimeFormat : FFS.LongTimeFormat, Level);
                I += Run;
                break;
            case u'C':
                Nested(Out, FFS.ShortDateFormat, Level);
                if (FHour || FMin || FSec || FMSec) {
                    Out.push_back(u' ');
                    Nested(Out, FFS.LongTimeFormat, Level);
                }
                I += Run;
                break;
            case u'A':
                if (At(Fmt, I, "am/pm")) {
                    Out.append(Fmt.substr(FHour < 12 ? I : I + 3, 2));
                    I += 5;
                } else if (At(Fmt, I, "a/p")) {
                    Out.push_back(Fmt[FHour < 12 ? I : I + 2]);
                    I += 3;
                } else if (At(Fmt, I, "ampm")) {
                    Out += FHour < 12 ? FFS.TimeAMString : FFS.TimePMString;
                    I += 4;
                } else {
                    Out.push_back(C);
                    ++I;
                }
                break;
            case u'/':
                Out.push_back(FFS.DateSeparator);
                ++I;
                break;
            case u':':
                Out.push_back(FFS.TimeSeparator);
                ++I;
                break;
            case u'\'':
            case u'"': {
                const size_t End = Fmt.find(C, I + 1);
                Out.append(Fmt.substr(I + 1, End == StringView::npos ? StringView::npos : End - I - 1));
                I = End == StringView::npos ? Fmt.size() : End + 1;
                break;
            }
            default:
                Out.push_back(C);
                ++I;
                break;
            }
        }
    }

private:
    // Formats within formats (a ShortDateFormat holding "c") stop two levels down.
    void Nested(String& Out, const String& Fmt, int Level) {
        if (Level < 2) Append(Out, Fmt, Level + 1);
    }

    static void Number(String& Out, int Value, int MinDigits) {
        Char Buf[8];
        int N = 0;
        do {
            Buf[7 - N++] = static_cast<Char>(u'0' + Value % 10);
            Value /= 10;
        } while (Value);
        for (; N < MinDigits; ++N)
            Buf[7 - N] = u'0';
        Out.append(Buf + 8 - N, Buf + 8);
    }

    static bool HasAmPm(StringView Fmt) {
        for (size_t I = 0; I < Fmt.size(); ++I) {
            if (Fmt[I] == u'\'' || Fmt[I] == u'"') {
                const size_t End = Fmt.find(Fmt[I], I + 1);
                if (End == StringView::npos) return false;
                I = End;
            } else if (At(Fmt, I, "am/pm") || At(Fmt, I, "a/p") || At(Fmt, I, "ampm")) {
                return true;
            }
        }
        return false;
    }

    const TFormatSettings& FFS;
    Word FYear, FMonth, FDay, FHour, FMin, FSec, FMSec;
    int FDayOfWeek;
};

// --- Reading ---------------------------------------------------------------------------------

enum TDateOrder { doMDY, doDMY, doYMD };

TDateOrder DateOrder(const String& ShortDateFormat) {
    for (Char C : ShortDateFormat) {
        switch (Upper(C)) {
        case u'D':
            return doDMY;
        case u'M':
            return doMDY;
        case u'Y':
            return doYMD;
        }
    }
    return doMDY;
}

class TScanner {
public:
    TScanner(const String& Text, const TFormatSettings& FS) : FText(Text), FFS(FS) {}

    bool AtEnd() {
        Blanks();
        return FPos >= FText.size();
    }

    bool ScanDate(TDateTime& Value) {
        int N1, N2, N3 = 0, L1, L2, L3 = 0; // numbers and their digit counts
        if (!Number(N1, L1) || !Separator(FFS.DateSeparator) || !Number(N2, L2)) return false;
        const bool HasYear = Separator(FFS.DateSeparator);
        if (HasYear && !Number(N3, L3)) return false;
        int Y, M, D, YearDigits;
        const TDateOrder Order = DateOrder(FFS.ShortDateFormat);
        if (!HasYear) {
            Y = CurrentYear();
            YearDigits = 4;
            if (Order == doDMY) {
                D = N1;
                M = N2;
            } else {
                M = N1;
                D = N2;
            }
        } else if (Order == doMDY) {
            M = N1, D = N2, Y = N3, YearDigits = L3;
        } else if (Order == doDMY) {
            D = N1, M = N2, Y = N3, YearDigits = L3;
        } else {
            Y = N1, M = N2, D = N3, YearDigits = L1;
        }
        if (YearDigits <= 2) {
            const int CenturyBase = CurrentYear() - FFS.TwoDigitYearCenturyWindow;
            Y += CenturyBase / 100 * 100;
            if (FFS.TwoDigitYearCenturyWindow > 0 && Y < CenturyBase) Y += 100;
        }
        return TryEncodeDate(Y, M, D, Value);
    }

    bool ScanTime(TDateTime& Value) {
        int H, M = 0, S = 0, MS = 0, L;
        if (!Number(H, L)) return false;
        if (Separator(FFS.TimeSeparator)) {
            if (!Number(M, L)) return false;
            if (Separator(FFS.TimeSeparator)) {
                if (!Number(S, L)) return false;
                if (Separator(FFS.DecimalSeparator) && !Fraction(MS)) return false;
            }
        }
        Blanks();
        int BaseHour = -1;
        if (Keyword(FFS.TimeAMString) || Keyword(u"AM"))
            BaseHour = 0;
        else if (Keyword(FFS.TimePMString) || Keyword(u"PM"))
            BaseHour = 12;
        if (BaseHour >= 0) {
            if (H == 0 || H > 12) return false;
            H = H % 12 + BaseHour;
        }
        return TryEncodeTime(H, M, S, MS, Value);
    }

private:
    void Blanks() {
        while (FPos < FText.size() && FText[FPos] == u' ')
            ++FPos;
    }

    // 1 to 4 digits.
    bool Number(int& Value, int& Digits) {
        Blanks();
        Value = 0;
        Digits = 0;
        while (FPos < FText.size() && FText[FPos] >= u'0' && FText[FPos] <= u'9') {
            if (++Digits > 4) return false;
            Value = Value * 10 + (FText[FPos++] - u'0');
        }
        return Digits > 0;
    }

    // Decimal digits after the separator as milliseconds: ".5" is 500.
    bool Fraction(int& MSecs) {
        MSecs = 0;
        int Digits = 0;
        while (FPos < FText.size() && FText[FPos] >= u'0' && FText[FPos] <= u'9') {
            if (++Digits > 3) return false;
            MSecs = MSecs * 10 + (FText[FPos++] - u'0');
        }
        for (int I = Digits; I < 3; ++I)
            MSecs *= 10;
        return Digits > 0;
    }

    bool Separator(Char C) {
        if (C != u' ') Blanks();
        if (FPos < FText.size() && FText[FPos] == C) {
            ++FPos;
            return true;
        }
        return false;
    }

    bool Keyword(const String& W) {
        if (W.empty() || FText.size() - FPos < W.size() || !AnsiSameText(FText.substr(FPos, W.size()), W))
            return false;
        FPos += W.size();
        return true;
    }

    const String& FText;
    const TFormatSettings& FFS;
    size_t FPos = 0;
};

[[noreturn]] void NotValid(const String& S, const char16_t* What) {
    throw EConvertError(u"'" + S + u"' is not a valid " + What);
}

} // namespace

// --- Clock and calendar ----------------------------------------------------------------------

TDateTime UnixTimeToDateTime(Int64 Seconds, long Nanoseconds) {
    std::time_t T = static_cast<std::time_t>(Seconds);
    std::tm Local{};
    localtime_r(&T, &Local);
    Int64 LocalSeconds = Seconds + Local.tm_gmtoff;
    return UnixDateDelta + (static_cast<double>(LocalSeconds) + Nanoseconds / 1e9) / 86400.0;
}

Int64 DateTimeToUnixTime(TDateTime DT) {
    Word Y, Mo, D, H, Mi, S, MS;
    DecodeDateTime(DT, Y, Mo, D, H, Mi, S, MS);
    std::tm Local{};
    Local.tm_year = Y - 1900;
    Local.tm_mon = Mo - 1;
    Local.tm_mday = D;
    Local.tm_hour = H;
    Local.tm_min = Mi;
    Local.tm_sec = S;
    Local.tm_isdst = -1; // let the zone's rules say
    return static_cast<Int64>(std::mktime(&Local)) + (MS >= 500 ? 1 : 0);
}

namespace {
std::function<TDateTime()>& ClockSource() {
    static std::function<TDateTime()> Source;
    return Source;
}
} // namespace

void SetClockSource(std::function<TDateTime()> Source) {
    ClockSource() = std::move(Source);
}

TDateTime Now() {
    if (const auto& Source = ClockSource()) return Source();
    std::timespec Ts{};
    clock_gettime(CLOCK_REALTIME, &Ts);
    return UnixTimeToDateTime(Ts.tv_sec, Ts.tv_nsec);
}

TDateTime Date() {
    return std::trunc(Now());
}

TDateTime Time() {
    const TDateTime N = Now();
    return N - std::trunc(N);
}

bool IsLeapYear(int Year) {
    return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0);
}

int DaysInMonth(int Year, int Month) {
    static const int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (Month < 1 || Month > 12) return 0;
    return Days[Month - 1] + (Month == 2 && IsLeapYear(Year) ? 1 : 0);
}

int DaysInMonth(TDateTime DT) {
    Word Y, M, D;
    DecodeDate(DT, Y, M, D);
    return DaysInMonth(Y, M);
}

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date) {
    if (Year < 1 || Year > 9999 || Day < 1 || Day > DaysInMonth(Year, Month)) return false;
    Int64 Days = Day;
    for (int M = 1; M < Month; ++M)
        Days += DaysInMonth(Year, M);
    const Int64 I = Year - 1;
    Date = static_cast<double>(I * 365 + I / 4 - I / 100 + I / 400 + Days - DateDelta);
    return true;
}

TDateTime EncodeDate(int Year, int Month, int Day) {
    TDateTime R;
    if (!TryEncodeDate(Year, Month, Day, R)) throw EConvertError(u"Invalid argument to date encode");
    return R;
}

bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time) {
    if (Hour < 0 || Hour > 23 || Min < 0 || Min > 59 || Sec < 0 || Sec > 59 || MSec < 0 || MSec > 999)
        return false;
    Time = static_cast<double>(((Hour * 60 + Min) * 60 + Sec) * 1000 + MSec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
    TDateTime R;
    if (!TryEncodeTime(Hour, Min, Sec, MSec, R)) throw EConvertError(u"Invalid argument to time encode");
    return R;
}

void DecodeDate(TDateTime DT, Word& Year, Word& Month, Word& Day) {
    DayToDate(Split(DT).Day, Year, Month, Day);
}

void DecodeTime(TDateTime DT, Word& Hour, Word& Min, Word& Sec, Word& MSec) {
    MSecsToTime(Split(DT).MSecs, Hour, Min, Sec, MSec);
}

void DecodeDateTime(TDateTime DT, Word& Year, Word& Month, Word& Day, Word& Hour, Word& Min, Word& Sec,
                    Word& MSec) {
    const TDaySplit S = Split(DT);
    DayToDate(S.Day, Year, Month, Day);
    MSecsToTime(S.MSecs, Hour, Min, Sec, MSec);
}

int DayOfWeek(TDateTime DT) {
    return static_cast<int>((Split(DT).Day + DateDelta) % 7) + 1;
}

TDateTime IncMonth(TDateTime DT, int NumberOfMonths) {
    CheckRange(DT);
    Word Y, M, D;
    DayToDate(static_cast<Int64>(std::trunc(DT)), Y, M, D); // the time is kept exactly as it is
    const Int64 Months = Int64(Y) * 12 + (M - 1) + NumberOfMonths;
    const Int64 NewYear = Months >= 0 ? Months / 12 : -1;
    const int NewMonth = static_cast<int>(Months % 12) + 1;
    TDateTime NewDate;
    if (NewYear < 1 || NewYear > 9999 ||
        !TryEncodeDate(static_cast<int>(NewYear), NewMonth,
                       std::min<int>(D, DaysInMonth(static_cast<int>(NewYear), NewMonth)), NewDate))
        throw EConvertError(u"Invalid argument to date encode");
    return Compose(NewDate, std::fabs(DT - std::trunc(DT)));
}

// --- Text ------------------------------------------------------------------------------------

String FormatDateTime(const String& Fmt, TDateTime DT, const TFormatSettings& FS) {
    String Out;
    Out.reserve(Fmt.size() + 16);
    TDateTimeFormatter(DT, FS).Append(Out, Fmt, 0);
    return Out;
}

String FormatDateTime(const String& Fmt, TDateTime DT) {
    return FormatDateTime(Fmt, DT, FormatSettings);
}
String DateToStr(TDateTime DT, const TFormatSettings& FS) {
    return FormatDateTime(u"ddddd", DT, FS);
}
String DateToStr(TDateTime DT) {
    return DateToStr(DT, FormatSettings);
}
String TimeToStr(TDateTime DT, const TFormatSettings& FS) {
    return FormatDateTime(u"tt", DT, FS);
}
String TimeToStr(TDateTime DT) {
    return TimeToStr(DT, FormatSettings);
}
String DateTimeToStr(TDateTime DT, const TFormatSettings& FS) {
    return FormatDateTime(u"c", DT, FS);
}
String DateTimeToStr(TDateTime DT) {
    return DateTimeToStr(DT, FormatSettings);
}

bool TryStrToDate(const String& S, TDateTime& Value, const TFormatSettings& FS) {
    TScanner Sc(S, FS);
    TDateTime D;
    if (!Sc.ScanDate(D) || !Sc.AtEnd()) return false;
    Value = D;
    return true;
}

bool TryStrToTime(const String& S, TDateTime& Value, const TFormatSettings& FS) {
    TScanner Sc(S, FS);
    TDateTime T;
    if (!Sc.ScanTime(T) || !Sc.AtEnd()) return false;
    Value = T;
    return true;
}

bool TryStrToDateTime(const String& S, TDateTime& Value, const TFormatSettings& FS) {
    TScanner Sc(S, FS);
    TDateTime D, T = 0;
    if (!Sc.ScanDate(D)) return TryStrToTime(S, Value, FS);
    if (!Sc.AtEnd() && (!Sc.ScanTime(T) || !Sc.AtEnd())) return false;
    Value = Compose(D, T);
    return true;
}

bool TryStrToDate(const String& S, TDateTime& Value) {
    return TryStrToDate(S, Value, FormatSettings);
}
bool TryStrToTime(const String& S, TDateTime& Value) {
    return TryStrToTime(S, Value, FormatSettings);
}
bool TryStrToDateTime(const String& S, TDateTime& Value) {
    return TryStrToDateTime(S, Value, FormatSettings);
}

TDateTime StrToDate(const String& S, const TFormatSettings& FS) {
    TDateTime V;
    if (!TryStrToDate(S, V, FS)) NotValid(S, u"date");
    return V;
}

TDateTime StrToTime(const String& S, const TFormatSettings& FS) {
    TDateTime V;
    if (!TryStrToTime(S, V, FS)) NotValid(S, u"time");
    return V;
}

TDateTime StrToDateTime(const String& S, const TFormatSettings& FS) {
    TDateTime V;
    if (!TryStrToDateTime(S, V, FS)) NotValid(S, u"date and time");
    return V;
}

TDateTime StrToDate(const String& S) {
    return StrToDate(S, FormatSettings);
}
TDateTime StrToTime(const String& S) {
    return StrToTime(S, FormatSettings);
}
TDateTime StrToDateTime(const String& S) {
    return StrToDateTime(S, FormatSettings);
}

TDateTime StrToDateDef(const String& S, TDateTime Default, const TFormatSettings& FS) {
    TDateTime V;
    return TryStrToDate(S, V, FS) ? V : Default;
}

TDateTime StrToTimeDef(const String& S, TDateTime Default, const TFormatSettings& FS) {
    TDateTime V;
    return TryStrToTime(S, V, FS) ? V : Default;
}

TDateTime StrToDateTimeDef(const String& S, TDateTime Default, const TFormatSettings& FS) {
    TDateTime V;
    return TryStrToDateTime(S, V, FS) ? V : Default;
}

TDateTime StrToDateDef(const String& S, TDateTime Default) {
    return StrToDateDef(S, Default, FormatSettings);
}
TDateTime StrToTimeDef(const String& S, TDateTime Default) {
    return StrToTimeDef(S, Default, FormatSettings);
}
TDateTime StrToDateTimeDef(const String& S, TDateTime Default) {
    return StrToDateTimeDef(S, Default, FormatSettings);
}
