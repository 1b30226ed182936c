// The class registry entries of the common controls.
#include "platform/gui/ComCtrls.h"

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Spin.h"

void RegisterCommonControlsClasses() {
    static const bool Done = [] {
        for (TClass C : {TCustomTabControl::StaticClass(), TPageControl::StaticClass(), TTabSheet::StaticClass(),
                         TToolBar::StaticClass(), TToolButton::StaticClass(), TStatusBar::StaticClass(),
                         TStatusPanel::StaticClass(), TStatusPanels::StaticClass(),
                         TProgressBar::StaticClass(), TTrackBar::StaticClass()})
            RegisterClass(C);
        RegisterExtCtrlsClasses();
        RegisterSpinClasses();
        return true;
    }();
    (void)Done;
}
