#include "platform/base/Variant.h"

#include "platform/base/DateTime.h"
#include "platform/base/Format.h"
#include "platform/base/Strings.h"

#include <cmath>
#include <limits>

namespace {
const char16_t* KindName(TVarType T) {
    static const char16_t* const Names[] = {u"Empty",  u"Null", u"Boolean", u"Int64",
                                            u"Double", u"Date", u"String",  u"Array"};
    return Names[T];
}
} // namespace

void Variant::CannotConvert(const char16_t* Kind) const {
    String Text = IsArray() ? String(u"(array)") : AsString();
    throw EVariantError(Format(u"Could not convert variant '%s' of type (%s) into type (%s)",
                               {Text, String(KindName(VarType())), String(Kind)}));
}

bool Variant::AsBoolean() const {
    switch (VarType()) {
    case varEmpty: // an unassigned value reads as False, as it reads as empty text
        return false;
    case varBoolean:
        return std::get<bool>(FValue);
    case varInt64:
        return std::get<Int64>(FValue) != 0;
    case varDouble:
        return std::get<double>(FValue) != 0;
    case varString: {
        const String& S = std::get<String>(FValue);
        if (SameText(Trim(S), u"True")) return true;
        if (SameText(Trim(S), u"False")) return false;
        Int64 I;
        if (TryStrToInt64(Trim(S), I)) return I != 0;
        break;
    }
    default:
        break;
    }
    CannotConvert(u"Boolean");
}

Int64 Variant::AsInt64() const {
    switch (VarType()) {
    case varBoolean:
        return std::get<bool>(FValue) ? -1 : 0;
    case varInt64:
        return std::get<Int64>(FValue);
    case varDouble:
    case varDate: {
        double D = AsFloat();
        if (std::isfinite(D) && std::fabs(D) < 9.2e18) return Int64(std::llround(D));
        break;
    }
    case varString: {
        Int64 I;
        if (TryStrToInt64(Trim(std::get<String>(FValue)), I)) return I;
        break;
    }
    default:
        break;
    }
    CannotConvert(u"Int64");
}

int Variant::AsInteger() const {
    Int64 V = AsInt64();
    if (V < std::numeric_limits<int>::min() || V > std::numeric_limits<int>::max()) CannotConvert(u"Integer");
    return int(V);
}

double Variant::AsFloat() const {
    switch (VarType()) {
    case varBoolean:
        return std::get<bool>(FValue) ? -1 : 0;
    case varInt64:
        return double(std::get<Int64>(FValue));
    case varDouble:
        return std::get<double>(FValue);
    case varDate:
        return std::get<TDate>(FValue).Value;
    case varString: {
        double D;
        if (TryStrToFloat(Trim(std::get<String>(FValue)), D)) return D;
        break;
    }
    default:
        break;
    }
    CannotConvert(u"Double");
}

TDateTime Variant::AsDateTime() const {
    if (VarType() == varString) {
        TDateTime D;
        if (TryStrToDateTime(std::get<String>(FValue), D)) return D;
        CannotConvert(u"Date");
    }
    if (VarType() == varBoolean) CannotConvert(u"Date");
    return AsFloat();
}

String Variant::AsString() const {
    switch (VarType()) {
    case varEmpty:
    case varNull:
        return String();
    case varBoolean:
        return std::get<bool>(FValue) ? u"True" : u"False";
    case varInt64:
        return IntToStr(std::get<Int64>(FValue));
    case varDouble:
        return FloatToStr(std::get<double>(FValue));
    case varDate:
        return DateTimeToStr(std::get<TDate>(FValue).Value);
    case varString:
        return std::get<String>(FValue);
    case varArray:
        break;
    }
    CannotConvert(u"String");
}

const TVariantArray& Variant::AsArray() const {
    if (!IsArray()) CannotConvert(u"Array");
    return std::get<TVariantArray>(FValue);
}

int CompareVariants(const Variant& A, const Variant& B, bool CaseInsensitive) {
    if (A.IsClear() || B.IsClear()) return int(!A.IsClear()) - int(!B.IsClear());
    auto Numeric = [](TVarType T) {
        return T == varBoolean || T == varInt64 || T == varDouble || T == varDate;
    };
    if (A.VarType() == varInt64 && B.VarType() == varInt64) {
        Int64 X = A.AsInt64(), Y = B.AsInt64();
        return X < Y ? -1 : X > Y ? 1 : 0;
    }
    if (Numeric(A.VarType()) && Numeric(B.VarType())) {
        double X = A.AsFloat(), Y = B.AsFloat();
        return X < Y ? -1 : X > Y ? 1 : 0;
    }
    if (Numeric(A.VarType()) != Numeric(B.VarType())) {
        // A number against text: compare as numbers when the text reads as one.
        double X, Y;
        if (TryStrToFloat(Trim(A.AsString()), X) && TryStrToFloat(Trim(B.AsString()), Y))
            return X < Y ? -1 : X > Y ? 1 : 0;
    }
    int R = CaseInsensitive ? AnsiCompareText(A.AsString(), B.AsString())
                            : CompareStr(A.AsString(), B.AsString());
    return R < 0 ? -1 : R > 0 ? 1 : 0;
}
