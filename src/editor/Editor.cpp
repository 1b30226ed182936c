#include "editor/Editor.h"

#include "platform/gui/Gui.h"

void RegisterEditorClasses() {
    RegisterPlatformGuiClasses();
}
