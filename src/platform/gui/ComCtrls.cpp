// The class registry entries of the common controls.
#include "platform/gui/ComCtrls.h"

void RegisterCommonControlsClasses() {
    for (TClass C : {TCustomTabControl::StaticClass(), TPageControl::StaticClass(), TTabSheet::StaticClass(),
                     TToolBar::StaticClass(), TToolButton::StaticClass(), TStatusBar::StaticClass(),
                     TStatusPanel::StaticClass(), TStatusPanels::StaticClass(), TProgressBar::StaticClass(),
                     TTrackBar::StaticClass()})
        RegisterClass(C);
}
