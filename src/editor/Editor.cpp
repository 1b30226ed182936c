#include "editor/Editor.h"

#include "editor/CodeEditCommands.h"
#include "platform/gui/Gui.h"

void RegisterEditorClasses() {
    RegisterPlatformGuiClasses();
    RegisterEditorCommands();
}
