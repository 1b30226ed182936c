#pragma once
// Reading dates, times and numbers that users type or that the controls showed, without
// exceptions: a failure is a False result or a 0 value. Dates follow the order of
// ShortDateFormat and a century window for two-digit years; all locale values come from the
// process-wide FormatSettings.

#include "platform/base/DateTime.h"
#include "platform/base/Types.h"

class TCustomEdit;

// Date orders.
enum : int { doMDY = 0, doDMY = 1, doYMD = 2 };
// Parts of a date-time text.
enum : int { dtpDay = 0, dtpMonth, dtpYear, dtpHour, dtpMinute, dtpSecond, dtpAmPm };

// Scanning primitives. Those that skip blanks keep the position after the blanks even when the
// item then does not match; they move past the item only on success.
void daScanBlanks(const String& S, int& Pos);
// Digits into a number (no digit is taken once it reached 1000), or else a three-letter month
// name giving 1..12.
bool daScanNumber(const String& S, int& Pos, Word& Number);
bool daScanText(const String& S, int& Pos, const String& Symbol);
bool daScanChar(const String& S, int& Pos, Char Ch);
int daGetDateOrder(const String& DateFormat);
bool daIsLeapYear(int Year);
int daNextDayInMonth(int Year, int Month, int Day);
int daPriorDayInMonth(int Year, int Month, int Day);
bool daEncodeDate(int Year, int Month, int Day, TDateTime& Date);
bool daEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time);
int daCurrentYear();
// A date from Pos on; a two-digit year falls in the hundred years that start at Epoch.
bool daScanDate(const String& S, int& Pos, TDateTime& Date, int Epoch);
bool daScanDate1950(const String& S, int& Pos, TDateTime& Date);
bool daScanTime(const String& S, int& Pos, TDateTime& Time);

// Whole-text tests and conversions.
bool daStrToDate(const String& S, TDateTime& Date);
bool daStrToDateEpoch(const String& S, TDateTime& Date, int Epoch);
bool daIsValidDate(const String& S);
bool daIsValidTime(const String& S);
bool daIsValidDateTime(const String& S);
TDateTime daStrToDateTimeDef(const String& S);
TDateTime daStrToDateDef(const String& S);
TDateTime daStrToTimeDef(const String& S);
bool daIsValidFloat(const String& S);
bool daIsValidInteger(const String& S);

// The part of a date-time text the caret is in; CaretPos counts the characters before the
// caret (an edit's SelStart).
int daGetDateTimePartAt(int CaretPos, const String& S, bool TimeOnly);
int daGetTimePartAt(int CaretPos, const String& S);
// Selects the characters of Part in the edit (SelStart and SelLength).
void daSelectDateTimePart(int Part, TCustomEdit* Edit, bool TimeOnly);

// A number as it was displayed: currency text, thousand separators and parentheses for
// negatives are read back; DisplayFormat, when given, tells a negative shown without a sign.
bool daStrToFloatDisplay(const String& S, double& Value, const String& DisplayFormat);
