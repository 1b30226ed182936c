// The class registry entries of the services.
#include "platform/gui/Dialogs.h"
#include "platform/gui/ServiceHooks.h"

void RegisterServiceClasses() {
    for (TClass C :
         {TOpenDialog::StaticClass(), TSaveDialog::StaticClass(), TSelectDirectoryDialog::StaticClass(),
          TColorDialog::StaticClass(), TFontDialog::StaticClass(), TPrintDialog::StaticClass(),
          TPrinterSetupDialog::StaticClass()})
        RegisterClass(C);
}
