// Brenvik: the serial terminal as a program of its own. The terminal window is the main window:
// while it is made it restores the saved port settings from the ".ConfSer" file beside this
// program and opens the port when they say it was active. A set-up dialog that is never shown
// lives beside it; the program ends when the terminal window closes.
#include "dataaware/richtext/daRichText.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Gui.h"
#include "serial/ComPortSetup.h"
#include "serial/SerComPort.h"
#include "serial/TermQz.h"

namespace {

TfrmTerm* frmTerm = nullptr;
TfrmComPortSetup* frmComPortSetup = nullptr;

} // namespace

int main() {
    RegisterPlatformGuiClasses();
    RegisterDataAwareRichTextClasses();
    RegisterSerialClasses();
    // No title of its own: the program file's name stands.
    Application->Initialize();
    Application->CreateForm(frmTerm, smhStandalone);
    Application->CreateForm(frmComPortSetup, smhStandalone);
    Application->Run();
    DoneApplication();
    return 0;
}
