#include "platform/data/DB.h"
#include "platform/data/DBPrivate.h"

#include "platform/base/DateTime.h"
#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <cmath>

using namespace DBDetail;

// ---- definitions --------------------------------------------------------------------------

void TFieldDefs::Add(const String& Name, TFieldType DataType, int Size, bool Required) {
    if (Trim(Name).empty()) DatabaseError(u"Field name missing");
    if (IndexOf(Name) >= 0) DatabaseError(Format(u"Duplicate field name '%s'", {Name}));
    FItems.emplace_back(Name, DataType, Size, Required);
}
const TFieldDef& TFieldDefs::operator[](int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(Format(u"List index out of bounds (%d)", {Index}));
    return FItems[size_t(Index)];
}
int TFieldDefs::IndexOf(const String& Name) const {
    for (int I = 0; I < Count(); ++I)
        if (AnsiSameText(FItems[size_t(I)].Name, Name)) return I;
    return -1;
}

void TIndexDefs::Add(const String& Name, const String& Fields, TIndexOptions Options) {
    if (Find(Name)) DatabaseError(Format(u"Duplicate index name '%s'", {Name}));
    FItems.push_back(TIndexDef{Name, Fields, Options});
}
const TIndexDef& TIndexDefs::operator[](int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(Format(u"List index out of bounds (%d)", {Index}));
    return FItems[size_t(Index)];
}
const TIndexDef* TIndexDefs::Find(const String& Name) const {
    for (const TIndexDef& D : FItems)
        if (AnsiSameText(D.Name, Name)) return &D;
    return nullptr;
}

// ---- fields -------------------------------------------------------------------------------

TField::TField(TComponent* AOwner) : TComponent(AOwner), FDataType(ftUnknown) {}
TField::TField(TComponent* AOwner, TFieldType AType) : TComponent(AOwner), FDataType(AType) {}
TField::~TField() {
    if (FDataSet) {
        auto& L = FDataSet->FFields.FList;
        L.erase(std::remove(L.begin(), L.end(), this), L.end());
        auto& D = FDataSet->FDefaultFields;
        D.erase(std::remove(D.begin(), D.end(), this), D.end());
    }
}

void TField::SetDataSet(TDataSet* Value) {
    if (Value == FDataSet) return;
    if (FDataSet) {
        FDataSet->CheckBrowseMode();
        if (FDataSet->Active()) DatabaseError(u"Cannot perform this operation on an open dataset", FDataSet);
        auto& L = FDataSet->FFields.FList;
        L.erase(std::remove(L.begin(), L.end(), this), L.end());
    }
    if (Value) {
        if (Value->Active()) DatabaseError(u"Cannot perform this operation on an open dataset", Value);
        if (Value->FindField(FFieldName))
            DatabaseError(Format(u"Duplicate field name '%s'", {FFieldName}), Value);
        Value->FFields.FList.push_back(this);
    }
    FDataSet = Value;
}

int TField::Index() const {
    return FDataSet ? FDataSet->FFields.IndexOf(this) : -1;
}

void TField::SetIndex(int Value) {
    if (!FDataSet) return;
    auto& L = FDataSet->FFields.FList;
    Value = std::clamp(Value, 0, int(L.size()) - 1);
    int Old = Index();
    if (Old == Value) return;
    L.erase(L.begin() + Old);
    L.insert(L.begin() + Value, this);
    FDataSet->DataEvent(deLayoutChange);
}

void TField::SetVisible(bool Value) {
    if (FVisible == Value) return;
    FVisible = Value;
    if (FDataSet) FDataSet->DataEvent(deLayoutChange);
}

int TField::DisplayWidth() const {
    return FDisplayWidth >= 0 ? FDisplayWidth : DefaultWidth();
}

Variant TField::Value() const {
    return FDataSet ? FDataSet->GetFieldValue(this) : Variant::Null();
}

void TField::SetValue(const Variant& V) {
    if (!FDataSet) DatabaseError(Format(u"Field '%s' has no dataset", {DisplayName()}));
    Variant Stored = V.IsClear() ? Variant::Null() : Coerce(V);
    FDataSet->SetFieldValue(this, Stored);
}

int TField::AsInteger() const {
    Variant V = Value();
    return V.IsClear() ? 0 : V.AsInteger();
}
Int64 TField::AsLargeInt() const {
    Variant V = Value();
    return V.IsClear() ? 0 : V.AsInt64();
}
double TField::AsFloat() const {
    Variant V = Value();
    return V.IsClear() ? 0 : V.AsFloat();
}
bool TField::AsBoolean() const {
    Variant V = Value();
    return V.IsClear() ? false : V.AsBoolean();
}
TDateTime TField::AsDateTime() const {
    Variant V = Value();
    return V.IsClear() ? 0 : V.AsDateTime();
}

String TField::GetText(bool Display) const {
    Variant V = Value();
    String Text = V.IsClear() ? String() : FormatText(V, Display);
    if (OnGetText) OnGetText(const_cast<TField*>(this), Text, Display);
    return Text;
}

void TField::SetText(const String& Value) {
    if (OnSetText) {
        OnSetText(this, Value);
        return;
    }
    SetValue(Value.empty() ? Variant::Null() : ParseText(Value));
}

bool TField::IsValidChar(Char C) const {
    const bool Digit = (C >= u'0' && C <= u'9') || C == u'+' || C == u'-';
    switch (FDataType) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftLargeint:
    case ftAutoInc:
        return Digit;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
        return Digit || C == FormatSettings.DecimalSeparator || C == u'E' || C == u'e';
    default:
        return true;
    }
}

void TField::CheckRequired() const {
    if (FRequired && FFieldKind == fkData && IsNull())
        DatabaseError(Format(u"Field '%s' must have a value", {DisplayName()}));
}

void TField::BadValue(const String& Text) const {
    DatabaseError(Format(u"'%s' is not a valid value for field '%s'", {Text, DisplayName()}));
}

Variant TField::Coerce(const Variant& V) const {
    return V;
}
String TField::FormatText(const Variant& V, bool) const {
    return V.AsString();
}
Variant TField::ParseText(const String& Text) const {
    return Text;
}

template <class F> static Variant Converted(const TField* Field, const Variant& V, F Convert) {
    try {
        return Convert();
    } catch (const EVariantError&) {
        throw EDatabaseError(Format(u"'%s' is not a valid value for field '%s'",
                                    {V.IsArray() ? String(u"(array)") : V.AsString(), Field->DisplayName()}));
    }
}

Variant TStringField::Coerce(const Variant& V) const {
    String S = Converted(this, V, [&] { return Variant(V.AsString()); }).AsString();
    if (Size() > 0 && int(S.size()) > Size()) S.resize(size_t(Size()));
    return S;
}
String TStringField::FormatText(const Variant& V, bool) const {
    return V.AsString();
}
Variant TStringField::ParseText(const String& Text) const {
    return Text;
}
int TStringField::DefaultWidth() const {
    return Size() > 0 ? Size() : 20;
}

Variant TIntegerField::Coerce(const Variant& V) const {
    Variant R = Converted(this, V, [&] { return Variant(V.AsInt64()); });
    Int64 I = R.AsInt64();
    Int64 Lo = DataType() == ftSmallint ? -32768 : INT32_MIN,
          Hi = DataType() == ftSmallint ? 32767 : INT32_MAX;
    if (I < Lo || I > Hi)
        DatabaseError(Format(u"%s is not a valid value for field '%s'. The allowed range is %s to %s",
                             {IntToStr(I), DisplayName(), IntToStr(Lo), IntToStr(Hi)}));
    return R;
}
String TIntegerField::FormatText(const Variant& V, bool) const {
    return IntToStr(V.AsInt64());
}
Variant TIntegerField::ParseText(const String& Text) const {
    Int64 I;
    if (!TryStrToInt64(Trim(Text), I)) BadValue(Text);
    return Coerce(I);
}
int TIntegerField::DefaultWidth() const {
    return 11;
}

Variant TLargeintField::Coerce(const Variant& V) const {
    return Converted(this, V, [&] { return Variant(V.AsInt64()); });
}
String TLargeintField::FormatText(const Variant& V, bool) const {
    return IntToStr(V.AsInt64());
}
Variant TLargeintField::ParseText(const String& Text) const {
    Int64 I;
    if (!TryStrToInt64(Trim(Text), I)) BadValue(Text);
    return I;
}
int TLargeintField::DefaultWidth() const {
    return 15;
}

Variant TFloatField::Coerce(const Variant& V) const {
    Variant R = Converted(this, V, [&] { return Variant(V.AsFloat()); });
    if (!std::isfinite(R.AsFloat())) BadValue(V.AsString());
    return R;
}
String TFloatField::FormatText(const Variant& V, bool Display) const {
    double D = V.AsFloat();
    // A display format is a number picture ("#,##0.00"), not a Format directive.
    if (Display && !DisplayFormat().empty()) return FormatFloat(DisplayFormat(), D);
    if (DataType() == ftCurrency) return FloatToStrF(D, Display ? ffCurrency : ffFixed, 15, 2);
    return FloatToStr(D);
}
Variant TFloatField::ParseText(const String& Text) const {
    double D;
    if (!TryStrToFloat(Trim(Text), D)) BadValue(Text);
    return Coerce(D);
}
int TFloatField::DefaultWidth() const {
    return 10;
}

Variant TBCDField::Coerce(const Variant& V) const {
    double D = TFloatField::Coerce(V).AsFloat();
    return std::round(D * 10000.0) / 10000.0;
}

Variant TBooleanField::Coerce(const Variant& V) const {
    return Converted(this, V, [&] { return Variant(V.AsBoolean()); });
}
String TBooleanField::FormatText(const Variant& V, bool) const {
    return V.AsBoolean() ? u"True" : u"False";
}
Variant TBooleanField::ParseText(const String& Text) const {
    String T = Trim(Text);
    if (SameText(T, u"True") || SameText(T, u"T") || SameText(T, u"Yes") || T == u"1") return true;
    if (SameText(T, u"False") || SameText(T, u"F") || SameText(T, u"No") || T == u"0") return false;
    BadValue(Text);
}
int TBooleanField::DefaultWidth() const {
    return 5;
}

Variant TDateTimeField::Coerce(const Variant& V) const {
    TDateTime D = Converted(this, V, [&] { return Variant(V.AsDateTime()); }).AsFloat();
    if (!std::isfinite(D) || D < -693593 || D > 2958466) BadValue(V.AsString());
    if (DataType() == ftDate) D = std::trunc(D);
    if (DataType() == ftTime) D = std::fabs(D - std::trunc(D));
    return Variant::FromDateTime(D);
}
String TDateTimeField::FormatText(const Variant& V, bool Display) const {
    TDateTime D = V.AsDateTime();
    if (Display && !DisplayFormat().empty()) return FormatDateTime(DisplayFormat(), D);
    switch (DataType()) {
    case ftDate:
        return DateToStr(D);
    case ftTime:
        return TimeToStr(D);
    default:
        return DateTimeToStr(D);
    }
}
Variant TDateTimeField::ParseText(const String& Text) const {
    TDateTime D;
    bool Ok = DataType() == ftDate   ? TryStrToDate(Text, D)
              : DataType() == ftTime ? TryStrToTime(Text, D)
                                     : TryStrToDateTime(Text, D);
    if (!Ok) BadValue(Text);
    return Coerce(Variant::FromDateTime(D));
}
int TDateTimeField::DefaultWidth() const {
    return 18;
}

Variant TBlobField::Coerce(const Variant& V) const {
    return Converted(this, V, [&] { return Variant(V.AsString()); });
}
String TBlobField::FormatText(const Variant&, bool) const {
    return DataType() == ftGraphic ? u"(GRAPHIC)" : u"(BLOB)";
}
TBytes TBlobField::AsBytes() const {
    Variant V = Value();
    if (V.IsClear()) return {};
    if (DataType() == ftMemo || DataType() == ftFmtMemo) {
        AnsiString U = StringToUtf8(V.AsString());
        return TBytes(U.begin(), U.end());
    }
    if (DataType() == ftWideMemo) {
        String S = V.AsString();
        const Byte* P = reinterpret_cast<const Byte*>(S.data());
        return TBytes(P, P + S.size() * 2);
    }
    return VariantTextToBytes(V.AsString());
}
void TBlobField::SetAsBytes(const TBytes& Value) {
    if (DataType() == ftMemo || DataType() == ftFmtMemo)
        SetValue(Utf8ToString(std::string_view(reinterpret_cast<const char*>(Value.data()), Value.size())));
    else if (DataType() == ftWideMemo)
        SetValue(String(reinterpret_cast<const Char*>(Value.data()), Value.size() / 2));
    else
        SetValue(BytesToVariantText(Value));
}
void TBlobField::LoadFromStream(TStream* Stream) {
    TBytes B(size_t(Stream->Size() - Stream->Position()));
    if (!B.empty()) Stream->ReadBuffer(B.data(), Int64(B.size()));
    SetAsBytes(B);
}
void TBlobField::SaveToStream(TStream* Stream) const {
    TBytes B = AsBytes();
    if (!B.empty()) Stream->WriteBuffer(B.data(), Int64(B.size()));
}
String TMemoField::FormatText(const Variant& V, bool Display) const {
    return Display ? String(u"(MEMO)") : V.AsString();
}

TField* CreateFieldOfType(TComponent* AOwner, TFieldType DataType) {
    switch (DataType) {
    case ftWideString:
    case ftFixedWideChar:
        return new TWideStringField(AOwner);
    case ftSmallint:
    case ftWord:
        return new TSmallintField(AOwner);
    case ftInteger:
        return new TIntegerField(AOwner);
    case ftAutoInc:
        return new TAutoIncField(AOwner);
    case ftLargeint:
        return new TLargeintField(AOwner);
    case ftFloat:
        return new TFloatField(AOwner);
    case ftCurrency:
        return new TCurrencyField(AOwner);
    case ftBCD:
    case ftFMTBcd:
        return new TBCDField(AOwner);
    case ftBoolean:
        return new TBooleanField(AOwner);
    case ftDate:
        return new TDateField(AOwner);
    case ftTime:
        return new TTimeField(AOwner);
    case ftDateTime:
    case ftTimeStamp:
        return new TDateTimeField(AOwner);
    case ftBlob:
    case ftBytes:
    case ftVarBytes:
    case ftTypedBinary:
        return new TBlobField(AOwner);
    case ftMemo:
    case ftFmtMemo:
        return new TMemoField(AOwner);
    case ftWideMemo:
        return new TWideMemoField(AOwner);
    case ftGraphic:
        return new TGraphicField(AOwner);
    default:
        return new TStringField(AOwner);
    }
}

TField* TFields::operator[](int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(Format(u"List index out of bounds (%d)", {Index}));
    return FList[size_t(Index)];
}
TField* TFields::FindField(const String& Name) const {
    for (TField* F : FList)
        if (AnsiSameText(F->FieldName(), Name)) return F;
    return nullptr;
}
TField* TFields::FieldByName(const String& Name) const {
    if (TField* F = FindField(Name)) return F;
    DatabaseError(Format(u"Field '%s' not found", {Name}), FDataSet);
}
int TFields::IndexOf(const TField* Field) const {
    auto It = std::find(FList.begin(), FList.end(), Field);
    return It == FList.end() ? -1 : int(It - FList.begin());
}
