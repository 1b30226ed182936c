#include "settings/Settings.h"

#include "settings/KitAppIniStorage.h"
#include "settings/KitTranslateString.h"
#include "settings/UtilConvert.h"

#include "platform/gui/Gui.h"

void RegisterSettingsClasses() {
    RegisterPlatformGuiClasses();
    for (TClass C : {TKitTranslateString::StaticClass(), TKitAppStorageOptions::StaticClass(),
                     TKitAppIniStorageOptions::StaticClass(), TKitAppSubStorage::StaticClass(),
                     TKitAppIniFileStorage::StaticClass()})
        RegisterClass(C);
    AliasDragCursors();
}
