#pragma once
// A value of any of the simple kinds that fields, parameters and properties pass around: empty
// (unassigned), null, Boolean, integer, floating point, date-time, text, or an array of values.
// Conversions follow the kinds' text forms; a conversion that cannot be made raises
// EVariantError with the text of the value and the kind asked for.

#include "platform/base/Exceptions.h"
#include "platform/base/Types.h"

#include <variant>
#include <vector>

DECLARE_EXCEPTION(EVariantError, Exception)

enum TVarType { varEmpty, varNull, varBoolean, varInt64, varDouble, varDate, varString, varArray };

class Variant;
using TVariantArray = std::vector<Variant>;

class Variant {
public:
    struct TNull {
        bool operator==(const TNull&) const = default;
    };
    struct TDate {
        TDateTime Value;
        bool operator==(const TDate&) const = default;
    };

    Variant() = default;
    Variant(TNull) : FValue(TNull{}) {}
    Variant(bool V) : FValue(V) {}
    Variant(int V) : FValue(Int64(V)) {}
    Variant(Int64 V) : FValue(V) {}
    Variant(double V) : FValue(V) {}
    Variant(TDate V) : FValue(V) {}
    Variant(const String& V) : FValue(V) {}
    Variant(const Char* V) : FValue(String(V)) {}
    Variant(TVariantArray V) : FValue(std::move(V)) {}

    static Variant Null() { return Variant(TNull{}); }
    static Variant FromDateTime(TDateTime V) { return Variant(TDate{V}); }

    TVarType VarType() const { return static_cast<TVarType>(FValue.index()); }
    bool IsEmpty() const { return VarType() == varEmpty; }
    bool IsNull() const { return VarType() == varNull; }
    // Empty or null: no value at all.
    bool IsClear() const { return VarType() <= varNull; }
    bool IsArray() const { return VarType() == varArray; }

    bool AsBoolean() const;
    Int64 AsInt64() const;
    int AsInteger() const;
    double AsFloat() const;
    TDateTime AsDateTime() const;
    // Empty and null give empty text; dates their DateTimeToStr form.
    String AsString() const;
    const TVariantArray& AsArray() const;

    bool operator==(const Variant& Other) const = default;

private:
    std::variant<std::monostate, TNull, bool, Int64, double, TDate, String, TVariantArray> FValue;
    [[noreturn]] void CannotConvert(const char16_t* Kind) const;
};

// Orders two values for sorting and searching: clear values first, numbers and dates by value,
// text ordinally (or case-blind when CaseInsensitive), else by their text forms.
int CompareVariants(const Variant& A, const Variant& B, bool CaseInsensitive = false);
