#include "dataaware/foundation/daDateUtils.h"

#include "dataaware/foundation/daStrUtils.h"
#include "platform/base/Format.h"
#include "platform/base/Strings.h"
#include "platform/gui/StdCtrls.h"

#include <cmath>
#include <vector>

namespace {

const int DaysInMonth[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

int DaysOf(int Year, int Month) { return DaysInMonth[daIsLeapYear(Year)][Month - 1]; }

// 1-based positions of every C in S.
std::vector<int> Positions(const String& S, Char C, int From = 1) {
    std::vector<int> R;
    for (int I = std::max(From, 1); I <= Length(S); ++I)
        if (S[I - 1] == C) R.push_back(I);
    return R;
}

} // namespace

void daScanBlanks(const String& S, int& Pos) {
    while (Pos >= 1 && Pos <= Length(S) && S[Pos - 1] == u' ')
        ++Pos;
}

bool daScanNumber(const String& S, int& Pos, Word& Number) {
    daScanBlanks(S, Pos);
    if (Pos < 1) return false;
    int I = Pos;
    unsigned N = 0;
    while (I <= Length(S) && S[I - 1] >= u'0' && S[I - 1] <= u'9' && N < 1000) {
        N = N * 10 + (S[I - 1] - u'0');
        ++I;
    }
    if (I > Pos) {
        Number = static_cast<Word>(N);
        Pos = I;
        return true;
    }
    const String Three = Copy(S, Pos, 3);
    if (Length(Three) < 3) return false;
    for (int M = 0; M < 12; ++M)
        if (AnsiSameText(Three, FormatSettings.ShortMonthNames[M])) {
            Number = static_cast<Word>(M + 1);
            Pos += 3;
            return true;
        }
    return false;
}

bool daScanText(const String& S, int& Pos, const String& Symbol) {
    if (Symbol.empty()) return false;
    daScanBlanks(S, Pos);
    if (Pos < 1) return false;
    if (!AnsiSameText(Copy(S, Pos, Length(Symbol)), Symbol)) return false;
    Pos += Length(Symbol);
    return true;
}

bool daScanChar(const String& S, int& Pos, Char Ch) {
    daScanBlanks(S, Pos);
    if (Pos < 1 || Pos > Length(S) || S[Pos - 1] != Ch) return false;
    ++Pos;
    return true;
}

int daGetDateOrder(const String& DateFormat) {
    for (Char C : DateFormat) {
        switch (C) {
        case u'D':
        case u'd':
            return doDMY;
        case u'Y':
        case u'y':
            return doYMD;
        case u'M':
        case u'm':
            return doMDY;
        default:
            break;
        }
    }
    return doMDY;
}

bool daIsLeapYear(int Year) { return (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0; }

int daNextDayInMonth(int Year, int Month, int Day) { return Day >= DaysOf(Year, Month) ? 1 : Day + 1; }

int daPriorDayInMonth(int Year, int Month, int Day) { return Day <= 1 ? DaysOf(Year, Month) : Day - 1; }

bool daEncodeDate(int Year, int Month, int Day, TDateTime& Date) {
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysOf(Year, Month))
        return false;
    int Before = 0;
    for (int M = 1; M < Month; ++M)
        Before += DaysOf(Year, M);
    const int Y = Year - 1;
    Date = Y * 365 + Y / 4 - Y / 100 + Y / 400 + Before + Day - 693594;
    return true;
}

bool daEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time) {
    if (Hour < 0 || Min < 0 || Sec < 0 || MSec < 0 || Hour > 23 || Min > 59 || Sec > 59 || MSec > 999)
        return false;
    Time = ((Hour * 60.0 + Min) * 60000.0 + Sec * 1000.0 + MSec) / 86400000.0;
    return true;
}

int daCurrentYear() {
    Word Y, M, D;
    DecodeDate(Now(), Y, M, D);
    return Y;
}

bool daScanDate(const String& S, int& Pos, TDateTime& Date, int Epoch) {
    const int Order = daGetDateOrder(FormatSettings.ShortDateFormat);
    const Char Sep = FormatSettings.DateSeparator;
    Word N1, N2, N3;
    if (!(daScanNumber(S, Pos, N1) && daScanChar(S, Pos, Sep) && daScanNumber(S, Pos, N2))) return false;
    int Y, M, D;
    if (daScanChar(S, Pos, Sep)) {
        if (!daScanNumber(S, Pos, N3)) return false;
        switch (Order) {
        case doMDY:
            Y = N3, M = N1, D = N2;
            break;
        case doDMY:
            Y = N3, M = N2, D = N1;
            break;
        default:
            Y = N1, M = N2, D = N3;
            break;
        }
        if (Y < 100) {
            Y += (Epoch / 100) * 100;
            if (Y < Epoch) Y += 100;
        }
    } else {
        Y = daCurrentYear();
        if (Order == doDMY)
            D = N1, M = N2;
        else
            M = N1, D = N2;
    }
    daScanBlanks(S, Pos);
    return daEncodeDate(Y, M, D, Date);
}

bool daScanDate1950(const String& S, int& Pos, TDateTime& Date) { return daScanDate(S, Pos, Date, 1950); }

bool daScanTime(const String& S, int& Pos, TDateTime& Time) {
    const Char Sep = FormatSettings.TimeSeparator;
    Word H, M, Sec = 0;
    if (!(daScanNumber(S, Pos, H) && daScanChar(S, Pos, Sep) && daScanNumber(S, Pos, M))) return false;
    if (daScanChar(S, Pos, Sep) && !daScanNumber(S, Pos, Sec)) return false;
    int Base = -1;
    if (daScanText(S, Pos, FormatSettings.TimeAMString) || daScanText(S, Pos, u"AM"))
        Base = 0;
    else if (daScanText(S, Pos, FormatSettings.TimePMString) || daScanText(S, Pos, u"PM"))
        Base = 12;
    int Hour = H;
    if (Base >= 0) {
        if (Hour < 1 || Hour > 12) return false;
        if (Hour == 12) Hour = 0;
        Hour += Base;
    }
    daScanBlanks(S, Pos);
    return daEncodeTime(Hour, M, Sec, 0, Time);
}

bool daStrToDate(const String& S, TDateTime& Date) {
    int Pos = 1;
    return daScanDate1950(S, Pos, Date);
}

bool daStrToDateEpoch(const String& S, TDateTime& Date, int Epoch) {
    int Pos = 1;
    return daScanDate(S, Pos, Date, Epoch);
}

bool daIsValidDate(const String& S) {
    int Pos = 1;
    TDateTime D;
    return daScanDate1950(S, Pos, D) && Pos > Length(S);
}

bool daIsValidTime(const String& S) {
    int Pos = 1;
    TDateTime T;
    return daScanTime(S, Pos, T) && Pos > Length(S);
}

bool daIsValidDateTime(const String& S) {
    int Pos = 1;
    TDateTime D, T;
    return daScanDate1950(S, Pos, D) && daScanTime(S, Pos, T) && Pos > Length(S);
}

TDateTime daStrToDateTimeDef(const String& S) {
    int Pos = 1;
    TDateTime D, T;
    if (daScanDate1950(S, Pos, D) && daScanTime(S, Pos, T) && Pos > Length(S)) return D + (D < 0 ? -T : T);
    return 0;
}

TDateTime daStrToDateDef(const String& S) {
    TDateTime D;
    return daStrToDate(S, D) ? D : 0;
}

TDateTime daStrToTimeDef(const String& S) {
    int Pos = 1;
    TDateTime T;
    return daScanTime(S, Pos, T) && Pos > Length(S) ? T : 0;
}

bool daIsValidFloat(const String& S) {
    double V;
    return S.empty() || TryStrToFloat(S, V);
}

bool daIsValidInteger(const String& S) {
    for (int I = 0; I < static_cast<int>(S.size()); ++I) {
        if (S[I] >= u'0' && S[I] <= u'9') continue;
        if (I == 0 && S[I] == u'-' && S.size() > 1) continue;
        return false;
    }
    return true;
}

namespace {

// The part of the time that starts at TimeStart, for a caret after CaretPos characters.
int TimePartAt(int CaretPos, const String& S, int TimeStart) {
    const std::vector<int> Seps = Positions(Copy(S, 1, std::max(CaretPos, 0)), FormatSettings.TimeSeparator, TimeStart);
    if (Seps.empty()) return dtpHour;
    if (Seps.size() == 1) return dtpMinute;
    return CaretPos - Seps[1] > 2 ? dtpAmPm : dtpSecond;
}

// Where the time of S starts: after a date scanned from 1 (0 when there is none and the text
// is not a time alone).
int TimeStartOf(const String& S, bool TimeOnly) {
    if (TimeOnly) return 1;
    int Pos = 1;
    TDateTime D;
    return daScanDate1950(S, Pos, D) ? Pos : 0;
}

} // namespace

int daGetDateTimePartAt(int CaretPos, const String& S, bool TimeOnly) {
    const int TimeStart = TimeStartOf(S, TimeOnly);
    // A date alone has no time to be in, even with the caret at its end.
    const bool HasTime = TimeOnly || (TimeStart > 0 && TimeStart <= Length(S));
    if (HasTime && (TimeOnly || CaretPos >= TimeStart - 1 ||
                    (CaretPos == TimeStart - 2 && S[TimeStart - 2] == u' ')))
        return TimePartAt(CaretPos, S, TimeStart);
    const int Order = daGetDateOrder(FormatSettings.ShortDateFormat);
    const int Before = static_cast<int>(Positions(Copy(S, 1, std::max(CaretPos, 0)), FormatSettings.DateSeparator).size());
    static const int Parts[3][3] = {{dtpMonth, dtpDay, dtpYear},  // first part by order
                                    {dtpDay, dtpMonth, dtpMonth}, // second
                                    {dtpYear, dtpYear, dtpDay}};  // third
    return Before <= 2 ? Parts[Before][Order] : dtpDay;
}

int daGetTimePartAt(int CaretPos, const String& S) {
    if (CaretPos <= 0) return dtpHour;
    return TimePartAt(CaretPos, S, 1);
}

void daSelectDateTimePart(int Part, TCustomEdit* Edit, bool TimeOnly) {
    const String S = Edit->Text();
    int Start = 0, Len = 0;
    // The tokens between Sep characters from From on: 1-based start and length.
    auto Tokens = [&](Char Sep, int From) {
        std::vector<std::pair<int, int>> R;
        int TokenStart = From;
        for (int I = From; I <= Length(S) + 1; ++I)
            if (I > Length(S) || S[I - 1] == Sep) {
                R.push_back({TokenStart, I - TokenStart});
                TokenStart = I + 1;
            }
        return R;
    };
    auto CutAtBlank = [&](std::pair<int, int> T) {
        const int Blank = Pos(u" ", Copy(S, T.first, T.second));
        if (Blank > 0) T.second = Blank - 1;
        return T;
    };
    if (Part >= dtpHour) {
        const int TimeStart = TimeStartOf(S, TimeOnly);
        if (TimeStart > 0 && TimeStart <= Length(S)) {
            const auto T = Tokens(FormatSettings.TimeSeparator, TimeStart);
            std::pair<int, int> Tok{0, 0};
            if (Part == dtpHour || Part == dtpMinute) {
                if (static_cast<int>(T.size()) > Part - dtpHour) Tok = CutAtBlank(T[Part - dtpHour]);
            } else if (Part == dtpSecond) {
                if (T.size() > 2) Tok = CutAtBlank(T[2]);
            } else {
                // The marker follows the blank in the last token ("12:30:00 PM", "12:30 PM").
                const auto Last = T.back();
                const int Blank = Pos(u" ", Copy(S, Last.first, Last.second));
                if (T.size() > 1 && Blank > 0) Tok = {Last.first + Blank, Last.second - Blank};
            }
            if (Tok.first > 0) Start = Tok.first - 1, Len = Tok.second;
        }
    } else {
        const int Order = daGetDateOrder(FormatSettings.ShortDateFormat);
        static const int Index[3][3] = {{1, 0, 2},  // day by order
                                        {0, 1, 1},  // month
                                        {2, 2, 0}}; // year
        const auto T = Tokens(FormatSettings.DateSeparator, 1);
        const int I = Index[Part][Order];
        if (I < static_cast<int>(T.size())) {
            const auto Tok = CutAtBlank(T[I]);
            Start = Tok.first - 1, Len = Tok.second;
        }
    }
    Edit->SetSelStart(Start);
    Edit->SetSelLength(Len);
}

bool daStrToFloatDisplay(const String& S, double& Value, const String& DisplayFormat) {
    Value = 0;
    if (S.empty()) return true;
    const Char Dec = FormatSettings.DecimalSeparator;
    const Char Thou = FormatSettings.ThousandSeparator;
    const Char Curr = FormatSettings.CurrencyString.empty() ? Char(0) : FormatSettings.CurrencyString[0];
    auto IsStart = [&](Char C, bool WithMinus) {
        return (C >= u'0' && C <= u'9') || C == u'(' || C == Dec || (WithMinus && C == u'-');
    };
    size_t I = 0;
    while (I < S.size() && !IsStart(S[I], true))
        ++I;
    bool Negative = false;
    if (I < S.size() && S[I] == u'-') {
        Negative = true;
        while (I < S.size() && !IsStart(S[I], false))
            ++I;
    }
    String Collected;
    bool Exponent = false;
    for (size_t J = I; J < S.size(); ++J) {
        const Char C = S[J];
        const bool Digit = C >= u'0' && C <= u'9';
        if (Digit || C == Dec) {
            Collected += C;
        } else if (C == u'(') {
            Collected += u'-';
        } else if (C == u')' || C == Thou || (Curr && C == Curr)) {
            // shown, not part of the number
        } else if (Exponent && (C == u'+' || C == u'-') && !Collected.empty() &&
                   (Collected.back() == u'E' || Collected.back() == u'e')) {
            Collected += C;
        } else if ((C == u'E' || C == u'e') && J + 1 < S.size() &&
                   ((S[J + 1] >= u'0' && S[J + 1] <= u'9') || S[J + 1] == u'+' || S[J + 1] == u'-' ||
                    S[J + 1] == u' ')) {
            Exponent = true;
            Collected += C;
        }
    }
    if (Negative) Collected = u"-" + Collected;
    TFormatSettings FS = FormatSettings;
    double V;
    if (!TryStrToFloat(Collected, V, FS)) return false;
    if (V > 0 && !DisplayFormat.empty() && FormatFloat(DisplayFormat, V) != S && FormatFloat(DisplayFormat, -V) == S)
        V = -V;
    Value = V;
    return true;
}
