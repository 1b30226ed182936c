#pragma once
// The settings pair that the IDE's forms share: an INI store whose file the form names later
// and a form storage writing the named properties into it.

#include "settings/KitAppIniStorage.h"
#include "settings/KitFormStorage.h"

#include <initializer_list>

inline void AddFormSettings(TComponent* Form, TKitAppIniFileStorage*& Store, TKitFormStorage*& Storage,
                            TPlacementOptions Options, std::initializer_list<const char16_t*> Properties) {
    Store = new TKitAppIniFileStorage(Form);
    Store->SetName(u"appIniStor");
    Store->SetLocation(flCustom);
    Storage = new TKitFormStorage(Form);
    Storage->SetName(u"fs1");
    Storage->SetAppStorage(Store);
    Storage->SetOptions(Options);
    for (const char16_t* Property : Properties)
        Storage->StoredProps()->Add(Property);
}
