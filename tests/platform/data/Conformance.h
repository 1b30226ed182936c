#pragma once
// What every dataset must do, run against any dataset through a factory. The factory makes a
// closed dataset over the table
//   ID integer (unique), NAME string(20), PRICE float, NOTES memo, DATA blob
// holding the given rows, owned by Owner; another dataset kind instantiates the suite with its
// own factory (INSTANTIATE_TEST_SUITE_P(Kind, DataSetConformance, testing::Values(...))).

#include "platform/data/DB.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

struct TConformanceRow {
    int Id;
    String Name;
    double Price;
};

struct TDataSetFactory {
    std::string Kind;
    std::function<TDataSet*(TComponent* Owner, const std::vector<TConformanceRow>& Rows)> Make;
};

inline std::ostream& operator<<(std::ostream& Out, const TDataSetFactory& F) {
    return Out << F.Kind;
}

class DataSetConformance : public testing::TestWithParam<TDataSetFactory> {};
