// The class registry entries of the services.
#include "platform/gui/ActnList.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Menus.h"
#include "platform/gui/ServiceHooks.h"

void RegisterServiceClasses() {
    for (TClass C :
         {TOpenDialog::StaticClass(), TSaveDialog::StaticClass(), TSelectDirectoryDialog::StaticClass(),
          TColorDialog::StaticClass(), TFontDialog::StaticClass(), TPrintDialog::StaticClass(),
          TPrinterSetupDialog::StaticClass(), TMenuItem::StaticClass(), TMainMenu::StaticClass(),
          TPopupMenu::StaticClass(), TAction::StaticClass(), TActionList::StaticClass(),
          TTimer::StaticClass()})
        RegisterClass(C);
}
