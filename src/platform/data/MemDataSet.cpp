#include "platform/data/MemDataSet.h"

#include "platform/base/Format.h"
#include "platform/data/DBPrivate.h"

#include <algorithm>

using namespace DBDetail;

TMemDataSet::TMemDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TMemDataSet::~TMemDataSet() {
    if (Active()) Close();
}

void TMemDataSet::EmptyDataSet() {
    if (Active()) CheckBrowseMode();
    FOrder.clear();
    FRecords.clear();
    if (Active()) Refresh();
}

void TMemDataSet::InternalOpen() {
    if (FieldDefs().Count() == 0)
        for (int I = 0; I < Fields().Count(); ++I) {
            TField* F = Fields()[I];
            if (F->FieldKind() == fkData)
                FieldDefs().Add(F->FieldName(), F->DataType(), F->Size(), F->Required());
        }
    if (FieldDefs().Count() == 0) DatabaseError(u"No fields defined", this);
    // Records kept from an earlier open follow a changed layout by field name.
    for (auto& [Id, Values] : FRecords)
        Values.resize(size_t(FieldDefs().Count()), Variant::Null());
}

void TMemDataSet::InternalClose() {}

std::vector<Int64> TMemDataSet::InternalIds() {
    return FOrder;
}

void TMemDataSet::InternalRead(Int64 Id, std::vector<Variant>& Values) {
    auto It = FRecords.find(Id);
    if (It == FRecords.end()) DatabaseError(u"Record not found", this);
    Values = It->second;
}

void TMemDataSet::CheckUnique(Int64 Id, const std::vector<Variant>& Values) {
    for (int I = 0; I < IndexDefs().Count(); ++I) {
        const TIndexDef& D = IndexDefs()[I];
        if (!(D.Options & (ixUnique | ixPrimary))) continue;
        std::vector<size_t> Cols;
        for (const String& N : SplitNames(D.Fields)) {
            int C = FieldDefs().IndexOf(N);
            if (C < 0) DatabaseError(Format(u"Field '%s' not found", {N}), this);
            Cols.push_back(size_t(C));
        }
        for (const auto& [OtherId, Other] : FRecords) {
            if (OtherId == Id) continue;
            bool Same = std::all_of(Cols.begin(), Cols.end(), [&](size_t C) {
                return CompareVariants(Other[C], Values[C], D.Options & ixCaseInsensitive) == 0;
            });
            if (Same) DatabaseError(Format(u"Key violation in index '%s'", {D.Name}), this);
        }
    }
}

Int64 TMemDataSet::InternalInsert(const std::vector<Variant>& Values, Int64 BeforeId) {
    CheckUnique(-1, Values);
    Int64 Id = FNextId++;
    auto It = BeforeId < 0 ? FOrder.end() : std::find(FOrder.begin(), FOrder.end(), BeforeId);
    FOrder.insert(It, Id);
    FRecords[Id] = Values;
    return Id;
}

void TMemDataSet::InternalUpdate(Int64 Id, const std::vector<Variant>& Values) {
    auto It = FRecords.find(Id);
    if (It == FRecords.end()) DatabaseError(u"Record not found", this);
    CheckUnique(Id, Values);
    It->second = Values;
}

void TMemDataSet::InternalRemove(Int64 Id) {
    if (!FRecords.erase(Id)) DatabaseError(u"Record not found", this);
    FOrder.erase(std::remove(FOrder.begin(), FOrder.end(), Id), FOrder.end());
}
