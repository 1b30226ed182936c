#include "tree/Tree.h"

#include "platform/gui/Gui.h"

void RegisterTreeClasses() {
    RegisterPlatformGuiClasses();
}
