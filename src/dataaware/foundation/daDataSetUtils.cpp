#include "dataaware/foundation/daDataSetUtils.h"

#include "dataaware/foundation/daByName.h"
#include "dataaware/foundation/daDateUtils.h"
#include "dataaware/foundation/daFieldSettings.h"
#include "dataaware/foundation/daStrUtils.h"
#include "platform/base/Encoding.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Questions.h"
#include "platform/gui/Forms.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

std::vector<String> Split(const String& Text, Char Delimiter) {
    TStringList L;
    daSplitToList(Text, Delimiter, &L);
    std::vector<String> Parts;
    for (int I = 0; I < L.Count(); ++I)
        Parts.push_back(L.Strings(I));
    return Parts;
}

String Join(const std::vector<String>& Parts, const String& Between) {
    String R;
    for (std::size_t I = 0; I < Parts.size(); ++I)
        R += (I ? Between : String()) + Parts[I];
    return R;
}

bool StartsWithUpper(const String& Text, const String& Head) {
    return UpperCase(Text).compare(0, Head.size(), UpperCase(Head)) == 0;
}

// The hourglass and disabled controls for the length of a scope; both come back on every way
// out, so that a failing dataset call leaves neither the cursor nor the bound controls stuck.
class TBusyDataSet {
public:
    explicit TBusyDataSet(TDataSet* DataSet) : FDataSet(DataSet), FCursor(Screen ? Screen->Cursor() : crDefault) {
        if (Screen) Screen->SetCursor(crHourGlass);
        FDataSet->DisableControls();
    }
    ~TBusyDataSet() {
        FDataSet->EnableControls();
        if (Screen) Screen->SetCursor(FCursor);
    }
    TBusyDataSet(const TBusyDataSet&) = delete;
    TBusyDataSet& operator=(const TBusyDataSet&) = delete;

private:
    TDataSet* FDataSet;
    TCursor FCursor;
};

bool IsIntegerType(TFieldType T) { return T == ftSmallint || T == ftInteger || T == ftWord || T == ftAutoInc; }
bool IsFloatType(TFieldType T) { return T == ftFloat || T == ftCurrency || T == ftBCD || T == ftFMTBcd; }

bool IsTable(TObject* DataSet) { return daIsKindOf(DataSet, u"TTable"); }
bool IsLibraryTable(TObject* DataSet) { return daIsKindOf(DataSet, u"TdaTable"); }

bool VariableTrue(TObject* DataSet, const String& Name) {
    Variant V;
    daGetVariable(DataSet, Name, V);
    return !V.IsClear() && V.AsBoolean();
}

} // namespace

// ---- Fields and values ------------------------------------------------------------------------

bool daDataSetHasField(TObject* DataSet, const String& Name) {
    auto* DS = dynamic_cast<TDataSet*>(DataSet);
    if (!DS) return false;
    for (int I = 0; I < DS->FieldCount(); ++I)
        if (UpperCase(DS->Fields()[I]->FieldName()) == UpperCase(Name)) return true;
    return false;
}

bool daIsDataSetAssigned(TObject* DataSet) {
    return DataSet != nullptr;
}

bool daIsCalcOrLookupField(TField* Field) {
    return Field && (Field->FieldKind() == fkCalculated || Field->FieldKind() == fkLookup);
}

bool daIsNonBinaryFieldType(TFieldType Type) {
    return !(Type == ftBytes || Type == ftVarBytes || Type == ftBlob || Type == ftGraphic);
}

void daFieldNameOfLabel(TDataSet* DataSet, const String& Label, String& FieldName) {
    FieldName.clear();
    if (!DataSet) return;
    String Wanted;
    daReplaceChar(Label, u'~', u' ', Wanted);
    for (int I = 0; I < DataSet->FieldCount(); ++I) {
        TField* F = DataSet->Fields()[I];
        String Shown;
        daReplaceChar(F->DisplayLabel(), u'~', u' ', Shown);
        if (daSameText(Shown, Wanted)) {
            FieldName = F->FieldName();
            return;
        }
    }
}

int daIndexOfText(TStrings* Strings, const String& Text) {
    for (int I = 0; Strings && I < Strings->Count(); ++I)
        if (daSameText(Strings->Strings(I), Text)) return I;
    return -1;
}

int daCompareBookmarks(TDataSet* DataSet, const TBookmark& A, const TBookmark& B) {
    return DataSet->CompareBookmarks(A, B);
}

bool daIsValidTextForType(TFieldType Type, const String& Text) {
    if (IsIntegerType(Type)) return daIsValidInteger(Text);
    if (IsFloatType(Type)) return daIsValidFloat(Text);
    if (Type == ftDate) return daIsValidDate(Text);
    if (Type == ftTime) return daIsValidTime(Text);
    if (Type == ftDateTime || Type == ftTimeStamp) return daIsValidDateTime(Text) || daIsValidDate(Text);
    return true;
}

bool daIsValidFieldText(TField* Field, const String& Text) {
    return Field && daIsValidTextForType(Field->DataType(), Text);
}

bool daIsValidFieldValue(TField* Field, const String& Text) {
    if (!Field) return false;
    const TFieldType T = Field->DataType();
    const bool NeedsValue = IsIntegerType(T) || IsFloatType(T) || T == ftDate || T == ftTime || T == ftDateTime ||
                            T == ftTimeStamp;
    if (Text.empty() && NeedsValue) return false;
    return daIsValidFieldText(Field, Text);
}

void daCheckTextForType(TFieldType Type, String Text) {
    Text = TrimRight(Text);
    if (Text.empty()) return;
    if (IsIntegerType(Type))
        StrToInt(Text);
    else if (IsFloatType(Type))
        StrToFloat(Text);
    else if (Type == ftDate)
        StrToDate(Text);
    else if (Type == ftTime)
        StrToTime(Text);
    else if (Type == ftDateTime || Type == ftTimeStamp) {
        if (!daIsValidDateTime(Text)) StrToDate(Text);
    }
}

TdaBcd daCurrencyToBcd(double Value, int Precision, int Decimals) {
    TdaBcd B;
    B.Precision = Byte(Precision);
    B.SignSpecialPlaces = Byte((Value < 0 ? 0x80 : 0) | (Decimals & 0x3F));
    // The amount as a whole number of 1/10^Decimals, its digits right-aligned in the nibbles.
    long double Scaled = std::fabs((long double)Value);
    for (int I = 0; I < Decimals; ++I)
        Scaled *= 10;
    unsigned long long Digits = (unsigned long long)std::llround(Scaled);
    for (int Nibble = Precision - 1; Nibble >= 0 && Digits; --Nibble) {
        const Byte D = Byte(Digits % 10);
        Digits /= 10;
        Byte& Cell = B.Fraction[Nibble / 2];
        Cell = (Nibble % 2) ? Byte((Cell & 0xF0) | D) : Byte((Cell & 0x0F) | (D << 4));
    }
    return B;
}

bool daFieldToParamData(TField* Field, TParam& Param, void* Buffer, std::size_t BufferSize) {
    if (!Field || !Buffer) return false;
    auto* Out = static_cast<Byte*>(Buffer);
    auto Fixed = [&](const void* Data, std::size_t Size) {
        if (Size > BufferSize) return false;
        std::memcpy(Out, Data, Size);
        return true;
    };
    const TFieldType T = Field->DataType();
    const bool Null = Field->IsNull();
    switch (T) {
    case ftString:
    case ftMemo: {
        if (BufferSize == 0) return false;
        const TBytes Text = Null ? TBytes() : TEncoding::ANSI()->GetBytes(Field->AsString());
        const std::size_t N = std::min({Text.size(), daMaxParamText, BufferSize - 1});
        if (N) std::memcpy(Out, Text.data(), N);
        Out[N] = 0;
        Param.DataType = T;
        Param.Value = Null ? String() : TEncoding::ANSI()->GetString(Text.data(), N);
        return true;
    }
    case ftSmallint:
    case ftWord: {
        const std::int16_t V = std::int16_t(Null ? 0 : Field->AsInteger());
        if (!Fixed(&V, sizeof V)) return false;
        break;
    }
    case ftInteger:
    case ftAutoInc: {
        const std::int32_t V = Null ? 0 : Field->AsInteger();
        if (!Fixed(&V, sizeof V)) return false;
        break;
    }
    case ftBoolean: {
        const std::uint16_t V = !Null && Field->AsBoolean() ? 0xFFFF : 0;
        if (!Fixed(&V, sizeof V)) return false;
        break;
    }
    case ftFloat:
    case ftCurrency: {
        const double V = Null ? 0 : Field->AsFloat();
        if (!Fixed(&V, sizeof V)) return false;
        break;
    }
    case ftBCD:
    case ftFMTBcd: {
        const double Amount = std::round((Null ? 0 : Field->AsFloat()) * 10000) / 10000;
        const TdaBcd B = daCurrencyToBcd(Amount, 32, 4);
        if (!Fixed(&B, sizeof B)) return false;
        break;
    }
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp: {
        const TDateTime D = Null ? 0 : Field->AsDateTime();
        // The time stamp: days since 1 January of year 1 (counted from 1) and milliseconds.
        const std::int32_t Date = std::int32_t(std::floor(D)) + 693594;
        const std::int32_t Time = std::int32_t(std::llround((D - std::floor(D)) * 86400000.0)) % 86400000;
        if (T == ftDate) {
            if (!Fixed(&Date, sizeof Date)) return false;
        } else if (T == ftTime) {
            if (!Fixed(&Time, sizeof Time)) return false;
        } else {
            const double Ms = double(Date) * 86400000.0 + Time;
            if (!Fixed(&Ms, sizeof Ms)) return false;
        }
        break;
    }
    default:
        return false;
    }
    Param.DataType = T;
    Param.Value = Null ? Variant::Null() : Field->Value();
    return true;
}

// ---- Indexes ----------------------------------------------------------------------------------

namespace {

TIndexDefs* IndexDefsOf(TDataSet* DataSet) {
    TObject* Defs = nullptr;
    if (!daGetIndexDefs(DataSet, Defs)) return nullptr;
    return dynamic_cast<TIndexDefs*>(Defs);
}

// Fields of a definition begin with the names: equal, or followed by ';'.
bool FieldsBeginWith(const String& Fields, const String& Names) {
    const String F = UpperCase(Fields), N = UpperCase(Names);
    return F.compare(0, N.size(), N) == 0 && (F.size() == N.size() || F[N.size()] == u';');
}

} // namespace

bool daGetActiveIndexDef(TDataSet* DataSet, TIndexDef& Definition) {
    TIndexDefs* Defs = IndexDefsOf(DataSet);
    if (!Defs) return false;
    String Names;
    daGetIndexFieldNames(DataSet, Names);
    if (!Names.empty()) {
        for (int I = 0; I < Defs->Count(); ++I) {
            const TIndexDef& D = (*Defs)[I];
            if (StartsWithUpper(D.Fields, Names) && !(D.Options & ixDescending)) {
                Definition = D;
                return true;
            }
        }
        return false;
    }
    String Name;
    daGetIndexName(DataSet, Name);
    if (Name.empty()) return false;
    for (int I = 0; I < Defs->Count(); ++I)
        if (UpperCase((*Defs)[I].Name) == UpperCase(Name)) {
            Definition = (*Defs)[I];
            return true;
        }
    return false;
}

int daGetIndexFieldCount(TDataSet* DataSet) {
    TIndexDef D;
    if (!daGetActiveIndexDef(DataSet, D) || D.Fields.empty()) return 0;
    return int(Split(D.Fields, u';').size());
}

TField* daGetIndexField(TDataSet* DataSet, int Position) {
    TIndexDef D;
    if (!daGetActiveIndexDef(DataSet, D)) return nullptr;
    const std::vector<String> Names = Split(D.Fields, u';');
    if (Position < 0 || Position >= int(Names.size())) return nullptr;
    return DataSet->FindField(Names[Position]);
}

void daGetFirstIndexField(TDataSet* DataSet, String& Name) {
    String Names;
    daGetIndexFieldNames(DataSet, Names);
    if (!Names.empty()) {
        Name = Split(Names, u';')[0];
        return;
    }
    TIndexDef D;
    Name = daGetActiveIndexDef(DataSet, D) ? Split(D.Fields, u';')[0] : String();
}

bool daIsIndexCaseSensitive(TDataSet* DataSet) {
    TIndexDefs* Defs = IndexDefsOf(DataSet);
    if (!Defs || Defs->Count() == 0) return false;
    String Names, Name;
    daGetIndexFieldNames(DataSet, Names);
    if (!Names.empty()) {
        for (int I = 0; I < Defs->Count(); ++I)
            if (StartsWithUpper((*Defs)[I].Fields, Names) && !((*Defs)[I].Options & ixCaseInsensitive)) return true;
        return false;
    }
    daGetIndexName(DataSet, Name);
    const TIndexDef* D = Defs->Find(Name);
    return D && !(D->Options & ixCaseInsensitive);
}

bool daIsIndexDescending(TDataSet* DataSet) {
    String Names, Name;
    daGetIndexFieldNames(DataSet, Names);
    if (!Names.empty()) return false;
    TIndexDefs* Defs = IndexDefsOf(DataSet);
    daGetIndexName(DataSet, Name);
    const TIndexDef* D = Defs ? Defs->Find(Name) : nullptr;
    return D && (D->Options & ixDescending);
}

const TIndexDef* daFindIndexDefForFields(TDataSet* DataSet, const String& FieldNames, bool RequireCaseInsensitive,
                                         bool Ascending) {
    TIndexDefs* Defs = IndexDefsOf(DataSet);
    if (!Defs) return nullptr;
    for (int Pass = 0; Pass < 2; ++Pass)
        for (int I = 0; I < Defs->Count(); ++I) {
            const TIndexDef& D = (*Defs)[I];
            const bool FieldsMatch =
                Pass == 0 ? UpperCase(D.Fields) == UpperCase(FieldNames) : FieldsBeginWith(D.Fields, FieldNames);
            if (!FieldsMatch) continue;
            if (bool(D.Options & ixDescending) == Ascending) continue;
            if (RequireCaseInsensitive && !(D.Options & ixCaseInsensitive)) continue;
            return &D;
        }
    return nullptr;
}

void daSetIndexForFields(TDataSet* DataSet, const String& FieldNames) {
    TIndexDefs* Defs = IndexDefsOf(DataSet);
    if (!Defs) return;
    // Exact field lists only: a case-sensitive match of the names first, then any case.
    for (int Pass = 0; Pass < 2; ++Pass)
        for (int I = 0; I < Defs->Count(); ++I) {
            const TIndexDef& D = (*Defs)[I];
            if (Pass == 0 ? D.Fields == FieldNames : UpperCase(D.Fields) == UpperCase(FieldNames)) {
                daSetIndexName(DataSet, D.Name);
                return;
            }
        }
}

void daSortByField(TDataSet* DataSet, const String& FieldName, bool Descending, bool MayCreateIndex) {
    if (!DataSet) return;
    TField* Field = DataSet->FindField(FieldName);
    if (!Field || Field->IsBlob()) return;
    if (Descending) {
        const TIndexDef* D = daFindIndexDefForFields(DataSet, FieldName, true, false);
        if (!D) D = daFindIndexDefForFields(DataSet, FieldName, false, false);
        if (D) {
            daSetIndexName(DataSet, D->Name);
        } else if (MayCreateIndex) {
            if (TIndexDefs* Defs = IndexDefsOf(DataSet)) {
                const String Name = u"z2u" + FieldName;
                Defs->Add(Name, FieldName, ixDescending | ixCaseInsensitive);
                daSetIndexName(DataSet, Name);
            }
        }
        return;
    }
    String Names;
    daGetIndexFieldNames(DataSet, Names);
    if (Names == FieldName) return;
    const TIndexDef* D = daFindIndexDefForFields(DataSet, FieldName, true, true);
    if (!D) D = daFindIndexDefForFields(DataSet, FieldName, false, true);
    if (D)
        daSetIndexName(DataSet, D->Name);
    else
        daSetIndexFieldNames(DataSet, FieldName);
}

void daSelectIndexDef(TDataSet* DataSet, const TIndexDef& Definition) {
    if (!IsTable(DataSet)) return;
    String Current;
    daGetIndexName(DataSet, Current);
    const bool SyncByRange = !IsLibraryTable(DataSet) || VariableTrue(DataSet, u"SyncSQLByRange");
    if (VariableTrue(DataSet, u"IsSQLBased") && SyncByRange && Current != Definition.Name) {
        TBusyDataSet Busy(DataSet);
        std::vector<Variant> Values;
        for (const String& Name : Split(Definition.Fields, u';'))
            if (TField* F = DataSet->FindField(Name)) Values.push_back(F->Value());
        DataSet->Close();
        daSetVariable(DataSet, u"indexName", Definition.Name);
        DataSet->Open();
        daSetVariable(DataSet, u"SetRangeStart", Variant());
        for (std::size_t I = 0; I < Values.size(); ++I)
            if (auto* F = dynamic_cast<TField*>(daGetVariableObject(DataSet, u"indexFields", int(I))))
                F->SetValue(Values[I]);
        daSetVariable(DataSet, u"ApplyRange", Variant());
        return;
    }
    daSetIndexName(DataSet, Definition.Name);
}

// ---- Searching --------------------------------------------------------------------------------

bool daFindIncremental(TDataSet* DataSet, const String& Text, int IndexFieldPosition) {
    if (!IsTable(DataSet)) return false;
    const bool Library = IsLibraryTable(DataSet);
    const bool NarrowSearch = Library && VariableTrue(DataSet, u"NarrowSearch");
    const bool SyncByRange = Library && VariableTrue(DataSet, u"SyncSQLByRange");
    TIndexDef Active;
    if (!daGetActiveIndexDef(DataSet, Active) || Active.Fields.empty()) {
        MessageDlg(u"Table " + DataSet->Name() + u": Table index not found", mtWarning, TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    const std::vector<String> IndexNames = Split(Active.Fields, u';');
    if (IndexFieldPosition < 0 || IndexFieldPosition >= int(IndexNames.size())) return false;
    TField* Field = DataSet->FindField(IndexNames[IndexFieldPosition]);
    if (!Field) return false;
    if (!daIsValidTextForType(Field->DataType(), Text)) return false;

    if (NarrowSearch) {
        TBusyDataSet Busy(DataSet);
        if (Field->DataType() == ftString && !Text.empty()) {
            Variant UpperChar;
            daGetVariable(DataSet, u"NarrowSearchUpperChar", UpperChar);
            const String Pad = UpperChar.IsClear() ? String(u"z") : UpperChar.AsString();
            String Bound = Text;
            while (int(Bound.size()) < Field->Size() && !Pad.empty())
                Bound += Pad[0];
            const TVariantArray From{daIsIndexDescending(DataSet) ? Variant(Bound) : Variant(Text)};
            const TVariantArray To{daIsIndexDescending(DataSet) ? Variant(Text) : Variant(Bound)};
            Variant Ignored;
            daGetVariableWithParams2(DataSet, u"SetRange", From, Ignored, To);
        } else if (Text.empty()) {
            daSetVariable(DataSet, u"FastCancelRange", Variant());
        } else {
            daSetVariable(DataSet, u"daSetRangeStart", Text);
        }
    } else if (VariableTrue(DataSet, u"IsSQLBased") && SyncByRange && !daGetMasterSource(DataSet)) {
        TBusyDataSet Busy(DataSet);
        if (Text.empty()) {
            daSetVariable(DataSet, u"FastCancelRange", Variant());
        } else {
            TVariantArray Values;
            for (int I = 0; I < IndexFieldPosition && I < 3; ++I)
                if (TField* F = DataSet->FindField(IndexNames[I])) Values.push_back(F->Value());
            Values.push_back(Text);
            daSetVariable(DataSet, u"daSetRangeStart", Values);
        }
    } else {
        TLocateOptions Options = loPartialKey;
        if (!daIsIndexCaseSensitive(DataSet)) Options |= loCaseInsensitive;
        if (Text.empty()) {
            DataSet->First();
        } else if (IndexFieldPosition == 0) {
            DataSet->Locate(Field->FieldName(), Text, Options);
        } else {
            TVariantArray Values;
            std::vector<String> Names;
            for (int I = 0; I < IndexFieldPosition; ++I) {
                TField* F = DataSet->FindField(IndexNames[I]);
                if (!F || F->IsNull()) return false;
                Values.push_back(F->Value());
                Names.push_back(F->FieldName());
            }
            Values.push_back(Text);
            Names.push_back(Field->FieldName());
            DataSet->Locate(Join(Names, u";"), Values, Options);
        }
    }

    if (IsFloatType(Field->DataType()) && Field->DataType() != ftBCD && Field->DataType() != ftFMTBcd) {
        if (Text.empty()) return Field->AsString().empty();
        double Value = 0;
        return TryStrToFloat(Text, Value) && !Field->IsNull() && Value == Field->AsFloat();
    }
    if (IsIntegerType(Field->DataType())) return Field->AsString() == Text;
    return StartsWithUpper(Field->AsString(), Text);
}

bool daLocateUnlessCurrent(TDataSet* DataSet, const String& Text, const String& FieldName, bool CaseSensitive,
                           bool Partial) {
    TField* Field = DataSet ? DataSet->FindField(FieldName) : nullptr;
    if (!Field) return false;
    const String Current = Field->AsString();
    if (CaseSensitive ? Current == Text : daSameText(Current, Text)) return true;
    // From the first record: exact, or matching at the beginning.
    TLocateOptions Options = 0;
    if (!CaseSensitive) Options |= loCaseInsensitive;
    if (Partial) Options |= loPartialKey;
    return DataSet->Locate(FieldName, Text, Options);
}

// ---- Calculated lookup fields -----------------------------------------------------------------

namespace {

// Set while a calculated lookup is being positioned, so that a lookup table's own calculated
// fields start no nested lookup.
bool InLookup = false;

TList* LookupTablesOf(TDataSet* DataSet) {
    return dynamic_cast<TList*>(daGetLookupTables(DataSet));
}

String MasterText(TDataSet* Master, const String& Name) {
    TField* F = Master ? Master->FindField(Name) : nullptr;
    return F ? F->AsString() : String();
}

bool FindKeyOfPairs(TDataSet* Table, const std::vector<String>& Parts,
                    const std::function<Variant(const String& Master)>& ValueOf) {
    if (Parts.size() < 2 || Parts.size() > 12 || Parts.size() % 2) return false;
    TVariantArray Keys;
    for (std::size_t I = 0; I < Parts.size(); I += 2)
        Keys.push_back(ValueOf(Parts[I]));
    return daCallFindKey(Table, Keys);
}

std::vector<String> PartsOf(TStrings* List) {
    std::vector<String> Parts;
    for (int I = 0; List && I < List->Count(); ++I)
        Parts.push_back(List->Strings(I));
    return Parts;
}

} // namespace

bool daFindLookupValue(TField* CalcField, String& KeyText, TField*& ResultField) {
    KeyText.clear();
    ResultField = nullptr;
    if (!CalcField) return false;
    TList* Tables = LookupTablesOf(CalcField->DataSet());
    if (!Tables) return false;
    String Database, TableName, Links, Result;
    daParseLookupFieldsEntry(CalcField, Database, TableName, Links, Result);
    for (int I = 0; I < Tables->Count(); ++I) {
        auto* Table = static_cast<TDataSet*>(Tables->Items(I));
        String D, T;
        daGetDatabaseName(Table, D);
        daGetTableName(Table, T);
        Variant TableLinks;
        daGetVariable(Table, u"CalcLookupLinks", TableLinks);
        if (D != Database || T != TableName || !daSameText(TableLinks.AsString(), Links)) continue;
        ResultField = Table->FindField(Result);
        if (!ResultField) return false;
        const std::vector<String> LinkParts = Split(Links, u';');
        KeyText = MasterText(CalcField->DataSet(), LinkParts.empty() ? String() : LinkParts[0]);
        return daCallFindKey(Table, TVariantArray{KeyText});
    }
    return false;
}

bool daFindByLinkPairs(TDataSet* LookupTable, TDataSet* Master, TStrings* LinkParts) {
    const std::vector<String> Parts = PartsOf(LinkParts);
    Variant Count;
    daGetVariable(LookupTable, u"IndexFieldCount", Count);
    if (!Count.IsClear() && Count.AsInteger() == 0) {
        if (Parts.size() < 2) return false;
        return daCallFindRecord(LookupTable, MasterText(Master, Parts[0]), Parts[1], false, false);
    }
    return FindKeyOfPairs(LookupTable, Parts, [&](const String& M) { return Variant(MasterText(Master, M)); });
}

bool daLocateLookupRecord(TDataSet* Master, TDataSet* LookupTable, TStrings* LinkParts,
                          const TdaParamSource& ParamSource) {
    const std::vector<String> Parts = PartsOf(LinkParts);
    if (!LookupTable || Parts.size() < 2) return false;
    if (IsLibraryTable(LookupTable))
        return FindKeyOfPairs(LookupTable, Parts, [&](const String& M) {
            TParam* P = ParamSource ? ParamSource(M) : nullptr;
            return Variant(P ? P->AsString() : String());
        });
    Variant Key;
    TField* MasterField = Master ? Master->FindField(Parts[0]) : nullptr;
    if (ParamSource) {
        TParam* P = ParamSource(Parts[0]);
        if (!P) return false;
        Key = MasterField && MasterField->IsNull() ? P->Value : Variant(P->AsString());
    } else {
        if (!MasterField) return false;
        Key = MasterField->IsNull() ? MasterField->Value() : Variant(MasterField->AsString());
    }
    return LookupTable->Locate(Parts[1], Key, 0);
}

TField* daGetLookupResultField(TDataSet* DataSet, TField* Field, const TdaParamSource& ParamSource) {
    if (!DataSet || !Field) return nullptr;
    if (Field->FieldKind() == fkCalculated) {
        if (InLookup) return nullptr;
        TList* Tables = LookupTablesOf(DataSet);
        TStrings* Lookups = daGetLookupFields(DataSet);
        TStrings* Links = daGetLookupLinks(DataSet);
        if (!Tables || !Lookups) return nullptr;
        TFlagScope Busy(InLookup);
        for (int L = 0; L < Lookups->Count(); ++L) {
            TStringList Parts;
            daSplitToList(Lookups->Strings(L), u';', &Parts);
            if (Parts.Count() < 4 || !daSameText(Parts.Strings(0), Field->FieldName())) continue;
            const String LinkLine = Links && L < Links->Count() ? Links->Strings(L) : String();
            for (int I = 0; I < Tables->Count(); ++I) {
                auto* Table = static_cast<TDataSet*>(Tables->Items(I));
                Variant TableLinks;
                daGetVariable(Table, u"CalcLookupLinks", TableLinks);
                if (!daTableMatchesLookupEntry(Table, &Parts) || !daSameText(TableLinks.AsString(), LinkLine))
                    continue;
                TStringList LinkParts;
                daSplitToList(LinkLine, u';', &LinkParts);
                if (!daLocateLookupRecord(DataSet, Table, &LinkParts, ParamSource)) return nullptr;
                return Table->FindField(Parts.Strings(3));
            }
            return nullptr;
        }
        return nullptr;
    }
    if (Field->FieldKind() != fkLookup || !Field->LookupDataSet()) return nullptr;
    TStringList Pairs;
    const std::vector<String> Keys = Split(Field->KeyFields, u';');
    const std::vector<String> LookupKeys = Split(Field->LookupKeyFields, u';');
    for (std::size_t I = 0; I < Keys.size() && I < LookupKeys.size(); ++I) {
        if (Keys[I].empty() || LookupKeys[I].empty()) break;
        Pairs.Add(Keys[I]);
        Pairs.Add(LookupKeys[I]);
    }
    if (!daLocateLookupRecord(DataSet, Field->LookupDataSet(), &Pairs, ParamSource)) return nullptr;
    return Field->LookupDataSet()->FindField(Field->LookupResultField);
}

bool daSyncLookupTable(TDataSet* DataSet, TDataSet* LookupTable, const String& FieldName, String& LinkField) {
    LinkField.clear();
    TStrings* Lookups = daGetLookupFields(DataSet);
    TStrings* Links = daGetLookupLinks(DataSet);
    daRemoveStaleFieldEntries(DataSet, Lookups, Links, daGetControlType(DataSet));
    if (!Lookups || !LookupTable) return false;
    String TableName, Wanted;
    daGetTableName(LookupTable, TableName);
    daFileNameNoExt(TableName, Wanted);
    if (Wanted.empty()) Wanted = TableName;
    for (int L = 0; L < Lookups->Count(); ++L) {
        const std::vector<String> Parts = Split(Lookups->Strings(L), u';');
        if (Parts.size() < 3 || UpperCase(Parts[0]) != UpperCase(FieldName)) continue;
        String LineTable;
        daFileNameNoExt(Parts[2], LineTable);
        if (LineTable.empty()) LineTable = Parts[2];
        if (UpperCase(LineTable) != UpperCase(Wanted)) continue;
        if (Parts.size() < 6) {
            Variant Index;
            daGetVariable(LookupTable, u"indexName", Index);
            if (Parts.size() > 4 && Index.AsString() != Parts[4]) daSetVariable(LookupTable, u"indexName", Parts[4]);
        } else {
            daSetVariable(LookupTable, u"IgnoreMasterLink", true);
            TScopeExit Restore([&] { daSetVariable(LookupTable, u"IgnoreMasterLink", false); });
            const std::vector<String> IndexFields(Parts.begin() + 5, Parts.end() - 1);
            daSetToIndexContainingField(LookupTable, Join(IndexFields, u";"));
        }
        const String LinkLine = Links && L < Links->Count() ? Links->Strings(L) : String();
        TStringList LinkParts;
        daSplitToList(LinkLine, u';', &LinkParts);
        for (int I = 0; I < LinkParts.Count(); I += 2)
            if (!DataSet->FindField(LinkParts.Strings(I))) {
                if (TField* Calc = DataSet->FindField(FieldName)) Calc->SetVisible(false);
                return false;
            }
        LinkField = LinkParts.Count() ? LinkParts.Strings(0) : String();
        return daFindByLinkPairs(LookupTable, DataSet, &LinkParts);
    }
    return false;
}
