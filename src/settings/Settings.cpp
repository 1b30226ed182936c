#include "settings/Settings.h"

#include "settings/KitAppEvents.h"
#include "settings/KitAppIniStorage.h"
#include "settings/KitFormStorage.h"
#include "settings/KitTranslateString.h"
#include "settings/UtilConvert.h"

#include "platform/gui/Gui.h"

void RegisterSettingsClasses() {
    RegisterPlatformGuiClasses();
    for (TClass C :
         {TKitTranslateString::StaticClass(), TKitAppStorageOptions::StaticClass(),
          TKitAppIniStorageOptions::StaticClass(), TKitAppSubStorage::StaticClass(),
          TKitAppIniFileStorage::StaticClass(), TKitWindowHook::StaticClass(),
          TKitFormPlacement::StaticClass(), TKitFormStorage::StaticClass(), TKitWinMinMaxInfo::StaticClass(),
          TKitStoredValues::StaticClass(), TKitStoredValue::StaticClass(), TKitAppEvents::StaticClass()})
        RegisterClass(C);
    AliasDragCursors();
}
