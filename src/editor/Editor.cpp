#include "editor/Editor.h"

#include "editor/CodeEdit.h"
#include "editor/CodeEditCommands.h"
#include "platform/gui/Gui.h"

void RegisterEditorClasses() {
    RegisterPlatformGuiClasses();
    RegisterEditorCommands();
    RegisterClass(TCustomCodeEdit::StaticClass());
    RegisterClass(TCodeEdit::StaticClass());
    // The clipboard format of copied blocks keeps one number for the whole process.
    CodeEditClipboardFormat();
}
