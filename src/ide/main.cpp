// Morvane: starts the application, creates its forms in their order and runs until the main
// window closes.
#include "ide/Main.h"

#include "ide/Options.h"

#include "platform/gui/Gui.h"
#include "serial/SerComPort.h"

int main() {
    RegisterPlatformGuiClasses();
    RegisterSerialClasses();
    RunMorvane();
    DoneApplication();
    return 0;
}
