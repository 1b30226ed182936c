#include "platform/gui/Gui.h"

#include "platform/base/Component.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/CheckLst.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/RichEdit.h"
#include "platform/gui/ServiceHooks.h"
#include "platform/gui/Spin.h"
#include "platform/gui/StdCtrls.h"

void RegisterPlatformGuiClasses() {
    RegisterPlatformBaseClasses();
    RegisterGraphicsClasses();
    RegisterControlsClasses();
    RegisterFormsClasses();
    RegisterServiceClasses();
    RegisterStdCtrlsClasses();
    RegisterRichEditClasses();
    RegisterCheckLstClasses();
    RegisterButtonsClasses();
    RegisterExtCtrlsClasses();
    RegisterSpinClasses();
    RegisterCommonControlsClasses();
}
