#pragma once
// Date-times: days since 1899-12-30 with the time of day as the fraction. Before that day the
// value is negative while the time of day stays positive: -1.25 is 1899-12-29 06:00. The
// valid range is 0001-01-01 to 9999-12-31; decoding a value outside it raises EConvertError.

#include "platform/base/Types.h"

#include <functional>

struct TFormatSettings; // Format.h

// The local clock.
TDateTime Now();
// Makes Now (and Date and Time) read the given clock instead of the system's, until an empty
// one is set again: tests of behaviour that depends on "today" or on elapsed time set and
// advance the time they need.
void SetNowOverride(std::function<TDateTime()> Clock);
TDateTime Date(); // today at midnight
TDateTime Time(); // the time of day only

bool IsLeapYear(int Year);
int DaysInMonth(int Year, int Month); // 0 for a month outside 1..12
int DaysInMonth(TDateTime DT);        // of the month DT falls in

// Years 1..9999; EConvertError "Invalid argument to date encode" / "... time encode".
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date);
TDateTime EncodeDate(int Year, int Month, int Day);
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);

// The time is rounded to the millisecond; a time that rounds up to midnight is the next day.
void DecodeDate(TDateTime DT, Word& Year, Word& Month, Word& Day);
void DecodeTime(TDateTime DT, Word& Hour, Word& Min, Word& Sec, Word& MSec);
void DecodeDateTime(TDateTime DT, Word& Year, Word& Month, Word& Day, Word& Hour, Word& Min, Word& Sec,
                    Word& MSec);
int DayOfWeek(TDateTime DT); // Sunday = 1 ... Saturday = 7

// Whole months on; the day is lowered to the target month's length, the time kept.
TDateTime IncMonth(TDateTime DT, int NumberOfMonths = 1);

// Specifiers (letters in either case):
//   c        ShortDateFormat, then a blank and LongTimeFormat unless the time is midnight
//   d dd     day (dd with a leading zero); ddd dddd short and long day name;
//            ddddd ShortDateFormat; dddddd LongDateFormat
//   m mm     month; mmm mmmm short and long month name; m and mm right after an hour
//            specifier are minutes
//   yy yyyy  two- and four-digit year
//   h hh     hour (12-hour clock when the format holds am/pm, a/p or ampm)
//   n nn, s ss  minutes, seconds;  z zzz  milliseconds
//   t tt     ShortTimeFormat, LongTimeFormat
//   am/pm a/p   "am"/"pm" or "a"/"p" written in the case of the specifier; ampm: TimeAMString or
//            TimePMString
//   /  :     DateSeparator, TimeSeparator;  'text' "text"  literal text
// Any other character stands for itself; an empty format is "c".
String FormatDateTime(const String& Fmt, TDateTime DT);
String FormatDateTime(const String& Fmt, TDateTime DT, const TFormatSettings& FS);
String DateToStr(TDateTime DT); // ShortDateFormat
String DateToStr(TDateTime DT, const TFormatSettings& FS);
String TimeToStr(TDateTime DT); // LongTimeFormat
String TimeToStr(TDateTime DT, const TFormatSettings& FS);
String DateTimeToStr(TDateTime DT); // "c"
String DateTimeToStr(TDateTime DT, const TFormatSettings& FS);

// Dates: two or three numbers separated by DateSeparator, in the order of day, month and year
// in ShortDateFormat; without a year the current one; a year of one or two digits falls in
// the TwoDigitYearCenturyWindow. Times: hour[:min[:sec[.fraction]]] with TimeSeparator and
// DecimalSeparator, optionally followed by AM/PM (or TimeAMString/TimePMString). Blanks
// around the parts are allowed. A date and time is a date, optionally followed by a time, or a
// time alone. Errors: EConvertError "'%s' is not a valid date" / "... valid time" /
// "... valid date and time".
TDateTime StrToDate(const String& S);
TDateTime StrToDate(const String& S, const TFormatSettings& FS);
TDateTime StrToDateDef(const String& S, TDateTime Default);
TDateTime StrToDateDef(const String& S, TDateTime Default, const TFormatSettings& FS);
bool TryStrToDate(const String& S, TDateTime& Value);
bool TryStrToDate(const String& S, TDateTime& Value, const TFormatSettings& FS);
TDateTime StrToTime(const String& S);
TDateTime StrToTime(const String& S, const TFormatSettings& FS);
TDateTime StrToTimeDef(const String& S, TDateTime Default);
TDateTime StrToTimeDef(const String& S, TDateTime Default, const TFormatSettings& FS);
bool TryStrToTime(const String& S, TDateTime& Value);
bool TryStrToTime(const String& S, TDateTime& Value, const TFormatSettings& FS);
TDateTime StrToDateTime(const String& S);
TDateTime StrToDateTime(const String& S, const TFormatSettings& FS);
TDateTime StrToDateTimeDef(const String& S, TDateTime Default);
TDateTime StrToDateTimeDef(const String& S, TDateTime Default, const TFormatSettings& FS);
bool TryStrToDateTime(const String& S, TDateTime& Value);
bool TryStrToDateTime(const String& S, TDateTime& Value, const TFormatSettings& FS);

// A POSIX time (seconds and nanoseconds since the epoch, UTC) as a local date-time.
TDateTime UnixTimeToDateTime(Int64 Seconds, long Nanoseconds = 0);
// A local date-time as a POSIX time, to the nearest second.
Int64 DateTimeToUnixTime(TDateTime DT);
