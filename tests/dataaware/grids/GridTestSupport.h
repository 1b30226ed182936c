#pragma once
// What the grids' tests share: one dataset in memory, and pictures kept for a person to look at.

#include "platform/base/Strings.h"
#include "platform/data/MemDataSet.h"
#include "platform/gui/Graphics.h"

#include <cstdlib>
#include <string>

// ID 1..Count, NAME "name<ID>", CITY alternating.

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

// Saves a grab where MORVANE_GRAB_DIR points, for a person to look at; nothing without it.
inline void Keep(TBitmap& B, const char* Name) {
    if (const char* Dir = std::getenv("MORVANE_GRAB_DIR")) {
        TPicture P;
        P.SetGraphic(&B);
        P.SaveToFile(Utf8ToString(std::string(Dir) + "/" + Name + ".png"));
    }
}
