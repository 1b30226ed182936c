#pragma once
// Locale settings for numbers and dates, and Format with its argument record.

#include "platform/base/Strings.h"
#include "platform/base/Types.h"

#include <array>
#include <initializer_list>
#include <type_traits>

// The user's number, currency and date conventions. A default-constructed value holds the
// defaults that FormatSettings starts with. Month and day names are indexed from 0 (January,
// Sunday).
struct TFormatSettings {
    String CurrencyString = u"$";
    // Position of the currency text: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    Byte CurrencyFormat = 0;
    // Negative amounts: 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$", 6 "1-$",
    // 7 "1$-", 8 "-1 $", 9 "-$ 1", 10 "1 $-", 11 "$ 1-", 12 "$ -1", 13 "1- $", 14 "($ 1)",
    // 15 "(1 $)".
    Byte NegCurrFormat = 0;
    Char ThousandSeparator = u','; // #0: no thousand separators
    Char DecimalSeparator = u'.';
    Byte CurrencyDecimals = 2;
    Char DateSeparator = u'.'; // what '/' stands for in date formats
    Char TimeSeparator = u':'; // what ':' stands for in time formats
    Char ListSeparator = u',';
    String ShortDateFormat = u"d.m.yyyy";
    String LongDateFormat = u"dddd, d. mmmm yyyy";
    String TimeAMString = u"AM";
    String TimePMString = u"PM";
    String ShortTimeFormat = u"h:nn";
    String LongTimeFormat = u"h:nn:ss";
    std::array<String, 12> ShortMonthNames{u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                           u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
    std::array<String, 12> LongMonthNames{u"January",   u"February", u"March",    u"April",
                                          u"May",       u"June",     u"July",     u"August",
                                          u"September", u"October",  u"November", u"December"};
    std::array<String, 7> ShortDayNames{u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
    std::array<String, 7> LongDayNames{u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                       u"Thursday", u"Friday", u"Saturday"};
    // Two-digit years read from text fall in the 100 years that begin this many years before
    // the current one; 0 puts them in the current century.
    Word TwoDigitYearCenturyWindow = 50;
    // The user's first day of the week for calendars: 0 Monday ... 6 Sunday.
    Byte FirstDayOfWeek = 0;
};

// The process-wide settings that every routine without a settings argument uses.
extern TFormatSettings FormatSettings;

// One argument of Format. It only refers to text arguments, so it lives for the call it is
// written in (an argument list), never longer.
class TVarRec {
public:
    enum TVarType : Byte {
        vtInteger,       // 32-bit signed
        vtInt64,         // 64-bit signed, also unsigned 32-bit values
        vtUInt64,        // 64-bit unsigned
        vtBoolean,       // accepted by no directive, so that a flag is never printed as a number
        vtExtended,      // floating point
        vtChar,          // one 8-bit character
        vtWideChar,      // one Char
        vtPChar,         // zero-terminated UTF-8
        vtPWideChar,     // zero-terminated UTF-16
        vtAnsiString,    // UTF-8 text with a length
        vtUnicodeString, // UTF-16 text with a length
        vtPointer
    };

    // Integers of every width and signedness, and enumerations, but not the character types.
    template <typename T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char> &&
             !std::is_same_v<T, char8_t> && !std::is_same_v<T, char16_t> && !std::is_same_v<T, char32_t> &&
             !std::is_same_v<T, wchar_t>) ||
        std::is_enum_v<T> TVarRec(T Value) {
        using I = typename std::conditional_t<std::is_enum_v<T>, std::underlying_type<T>,
                                              std::type_identity<T>>::type;
        const I V = static_cast<I>(Value);
        if constexpr (sizeof(I) < 4 || (std::is_signed_v<I> && sizeof(I) == 4)) {
            FType = vtInteger;
            FInteger = static_cast<int>(V);
        } else if constexpr (std::is_signed_v<I> || sizeof(I) == 4) {
            FType = vtInt64;
            FInt64 = static_cast<Int64>(V);
        } else {
            FType = vtUInt64;
            FUInt64 = static_cast<UInt64>(V);
        }
    }
    TVarRec(bool Value) : FType(vtBoolean), FBoolean(Value) {}
    TVarRec(double Value) : FType(vtExtended), FExtended(Value) {}
    TVarRec(long double Value) : FType(vtExtended), FExtended(static_cast<double>(Value)) {}
    TVarRec(char Value) : FType(vtChar), FChar(Value) {}
    TVarRec(Char Value) : FType(vtWideChar), FWideChar(Value) {}
    TVarRec(const char* Value) : FType(vtPChar), FPChar(Value) {}
    TVarRec(const Char* Value) : FType(vtPWideChar), FPWideChar(Value) {}
    TVarRec(const AnsiString& Value) : FType(vtAnsiString), FText{Value.data(), Value.size()} {}
    TVarRec(const String& Value) : FType(vtUnicodeString), FText{Value.data(), Value.size()} {}
    TVarRec(StringView Value) : FType(vtUnicodeString), FText{Value.data(), Value.size()} {}
    TVarRec(const void* Value) : FType(vtPointer), FPointer(Value) {}
    TVarRec(std::nullptr_t) : FType(vtPointer), FPointer(nullptr) {}

    TVarType VType() const { return FType; }
    int VInteger() const { return FInteger; }
    Int64 VInt64() const { return FInt64; }
    UInt64 VUInt64() const { return FUInt64; }
    bool VBoolean() const { return FBoolean; }
    double VExtended() const { return FExtended; }
    char VChar() const { return FChar; }
    Char VWideChar() const { return FWideChar; }
    const char* VPChar() const { return FPChar; }
    const Char* VPWideChar() const { return FPWideChar; }
    const void* VPointer() const { return FPointer; }
    // The text of vtAnsiString (UTF-8) and vtUnicodeString.
    std::string_view VAnsiString() const { return {static_cast<const char*>(FText.Data), FText.Size}; }
    StringView VUnicodeString() const { return {static_cast<const Char*>(FText.Data), FText.Size}; }

private:
    TVarType FType;
    union {
        int FInteger;
        Int64 FInt64;
        UInt64 FUInt64;
        bool FBoolean;
        double FExtended;
        char FChar;
        Char FWideChar;
        const char* FPChar;
        const Char* FPWideChar;
        const void* FPointer;
        struct {
            const void* Data;
            size_t Size;
        } FText;
    };
};

// Directives: '%' [index ':'] ['-'] [width] ['.' precision] type, where index, width and
// precision are digits or '*' (taken from the next argument, an integer), and the type is one
// of d u x e f g n m s p (either case); "%%" is a '%'. An index sets the argument that this
// and the following directives take. Width pads with blanks (on the right with '-').
//   d u x  integers; precision: at least that many digits, zero-padded. u shows a negative
//          value as unsigned of its width; x is upper-case hexadecimal (64 bits for 64-bit
//          values).
//   f n m  floating point with precision decimals (2 for f and n, CurrencyDecimals for m);
//          n adds thousand separators, m is a currency amount.
//   e      scientific, precision significant digits (15): "1.00000000000000E+003".
//   g      general, precision significant digits (15), no trailing zeros.
//   s      text, Chars and strings; precision cuts it.
//   p      a pointer: 16 upper-case hexadecimal digits.
// Width and precision go up to MaxFormatWidth: no field on a screen or in a file is wider, and a
// bad format text (a translation, a user's template) must not cost gigabytes of padding.
// A missing argument, an argument of the wrong type, a malformed directive or a width or
// precision beyond that raises EConvertError "Format '<Fmt>' invalid or incompatible with
// argument".
constexpr int MaxFormatWidth = 65535;
String Format(StringView Fmt, std::initializer_list<TVarRec> Args);
String Format(StringView Fmt, std::initializer_list<TVarRec> Args, const TFormatSettings& FS);

// A number in a picture format. Up to three sections split by ';' serve positive values,
// negative values (shown without a minus sign of their own) and zero; an absent or empty
// section falls back to the first. In a section: '0' a digit that is always shown, '#' a digit
// shown when needed, '.' the place of DecimalSeparator, ',' anywhere before it groups the
// integer digits with ThousandSeparator, "E+", "E-", "e+", "e-" followed by '0's scientific
// notation; text in single or double quotes and any other character is copied. The value is
// rounded to the decimals the section shows (halves away from zero). An empty format gives
// the general form of the value.
String FormatFloat(const String& Fmt, double Value);
String FormatFloat(const String& Fmt, double Value, const TFormatSettings& FS);
