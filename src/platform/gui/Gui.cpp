#include "platform/gui/Gui.h"

#include "platform/base/Component.h"

void RegisterPlatformGuiClasses() {
    RegisterPlatformBaseClasses();
}
