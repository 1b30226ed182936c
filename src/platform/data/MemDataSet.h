#pragma once
// The embedded dataset: records in memory, typed by FieldDefs (or by the persistent fields
// when there are no FieldDefs). The records stay while the dataset is closed and reopened.
// Indexes with ixUnique or ixPrimary refuse a post that would repeat their key.

#include "platform/data/DB.h"

#include <unordered_map>

class TMemDataSet : public TDataSet {
    DECLARE_CLASS(TMemDataSet, TDataSet)
public:
    explicit TMemDataSet(TComponent* AOwner);
    ~TMemDataSet() override;
    // Drops every record; the dataset stays open or closed as it was.
    void EmptyDataSet();

protected:
    void InternalOpen() override;
    void InternalClose() override;
    std::vector<Int64> InternalIds() override;
    void InternalRead(Int64 Id, std::vector<Variant>& Values) override;
    Int64 InternalInsert(const std::vector<Variant>& Values, Int64 BeforeId) override;
    void InternalUpdate(Int64 Id, const std::vector<Variant>& Values) override;
    void InternalRemove(Int64 Id) override;
    bool InternalExists(Int64 Id) override { return FRecords.count(Id) > 0; }

private:
    void CheckUnique(Int64 Id, const std::vector<Variant>& Values);
    std::vector<Int64> FOrder;
    std::unordered_map<Int64, std::vector<Variant>> FRecords;
    Int64 FNextId = 1;
};
