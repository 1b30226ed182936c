#pragma once
// The settings pair that the IDE's forms share: an INI store whose file the form names later
// and a form storage writing the named properties into it.

#include "settings/KitAppIniStorage.h"
#include "settings/KitFormStorage.h"

#include "platform/gui/Questions.h"
#include "platform/gui/Forms.h"

#include <exception>
#include <initializer_list>

inline void AddFormSettings(TComponent* Form, TKitAppIniFileStorage*& Store, TKitFormStorage*& Storage,
                            TPlacementOptions Options, std::initializer_list<const char16_t*> Properties) {
    Store = new TKitAppIniFileStorage(Form);
    Store->SetName(u"appIniStor");
    Store->SetLocation(flCustom);
    // A settings file that cannot be written says so; the file stays as it was.
    Store->OnError = [](TObject*, const String& Message) {
        Application->MessageBox(Message, u"Morvane", MB_ICONWARNING | MB_OK);
    };
    Storage = new TKitFormStorage(Form);
    Storage->SetName(u"fs1");
    Storage->SetAppStorage(Store);
    Storage->SetOptions(Options);
    for (const char16_t* Property : Properties)
        Storage->StoredProps()->Add(Property);
}

// Names the store's file, which reads it. A file that cannot be read is reported and the form's
// creation goes on with defaults; the store then leaves that file as it was.
inline void OpenSettingsFile(TKitAppIniFileStorage* Store, const String& FileName) {
    try {
        Store->SetFileName(FileName);
    } catch (const Exception&) {
        Application->HandleException(Store, std::current_exception());
    }
}
