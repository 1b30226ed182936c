#pragma once
// The grids' tests share one dataset in memory: ID 1..Count, NAME "name<ID>", CITY alternating.

#include "platform/base/Strings.h"
#include "platform/data/MemDataSet.h"

inline void FillMem(TMemDataSet* DS, int Count) {
    DS->FieldDefs().Add(u"ID", ftInteger);
    DS->FieldDefs().Add(u"NAME", ftString, 40);
    DS->FieldDefs().Add(u"CITY", ftString, 60);
    DS->Open();
    for (int I = 1; I <= Count; ++I) {
        DS->Append();
        DS->FieldByName(u"ID")->SetAsInteger(I);
        DS->FieldByName(u"NAME")->SetAsString(u"name" + IntToStr(I));
        DS->FieldByName(u"CITY")->SetAsString(I % 2 ? u"Oslo" : u"Bergen");
        DS->Post();
    }
    DS->First();
}
