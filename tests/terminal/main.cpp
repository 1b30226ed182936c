#include "platform/gui/Gui.h"
#include "serial/SerComPort.h"
#include "support/GuiTestMain.h"

int main(int argc, char** argv) {
    return RunGuiTests(argc, argv, [] {
        RegisterPlatformGuiClasses();
        RegisterSerialClasses();
    });
}
