#include "settings/Settings.h"

#include "platform/gui/Gui.h"

void RegisterSettingsClasses() {
    RegisterPlatformGuiClasses();
}
