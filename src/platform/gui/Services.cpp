// The class registry entries of the services, and their connection to forms and controls.
#include "platform/gui/ActnList.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ControlsQt.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/MenusQt.h"
#include "platform/gui/Messages.h"
#include "platform/gui/ServiceHooks.h"

#include <QMenuBar>
#include <QPointer>

#include <map>

namespace {

// The menu bar made for each form's main menu.
struct TFormBar {
    TMainMenu* Menu = nullptr;
    QPointer<QMenuBar> Bar;
};
std::map<TCustomForm*, TFormBar> FormBars;

// The form's Menu was set, or its window made: give the window the bar of the menu.
void UpdateFormMenu(TCustomForm* Form) {
    std::erase_if(FormBars, [](const auto& Entry) { return Entry.second.Bar.isNull(); }); // windows gone
    // The bar is made with the window: a bar without one would outlive a form that is never
    // shown, and a later form at the same address would find it.
    if (!WindowOf(Form)) {
        auto It = FormBars.find(Form);
        if (It != FormBars.end()) {
            if (It->second.Bar && !It->second.Bar->parent()) It->second.Bar->deleteLater();
            FormBars.erase(It);
        }
        return;
    }
    TMainMenu* Menu = Form->Menu();
    TFormBar& Entry = FormBars[Form];
    if (Entry.Bar && Entry.Menu == Menu) {
        SetFormMenuBar(Form, Entry.Bar);
        return;
    }
    if (Entry.Bar) {
        SetFormMenuBar(Form, nullptr);
        Entry.Bar->setParent(nullptr);
        Entry.Bar->deleteLater(); // a click of the old menu may be running
    }
    Entry.Menu = Menu;
    Entry.Bar = Menu ? CreateMenuBar(Menu, nullptr) : nullptr;
    SetFormMenuBar(Form, Entry.Bar);
    if (!Entry.Bar) FormBars.erase(Form);
}

void InstallServiceHooks() {
    SetFormMenuHook(UpdateFormMenu);
    // A form's keys: its main menu first, then its action lists (and those of its frames).
    TCustomForm::AddShortCutHook([](TCustomForm* Form, TWMKey& Message) {
        TMainMenu* Menu = Form->Menu();
        return Menu && Menu->IsShortCut(Message.CharCode(), KeyDataToShiftState(Message.KeyData()));
    });
    TCustomForm::AddShortCutHook([](TCustomForm* Form, TWMKey& Message) {
        return DispatchActionShortCut(Form, Message.CharCode(), KeyDataToShiftState(Message.KeyData()));
    });
    SetPopupMenuHandler([](TPopupMenu* Menu, TControl* Control, const TPoint& Screen) {
        if (!Menu->AutoPopup()) return;
        Menu->SetPopupComponent(Control);
        Menu->Popup(Screen.X, Screen.Y);
    });
}

} // namespace

void RegisterServiceClasses() {
    static const bool Done = [] {
        for (TClass C :
             {TCommonDialog::StaticClass(), TOpenDialog::StaticClass(), TSaveDialog::StaticClass(),
              TSelectDirectoryDialog::StaticClass(), TColorDialog::StaticClass(), TFontDialog::StaticClass(),
              TPrintDialog::StaticClass(), TPrinterSetupDialog::StaticClass(), TMenuItem::StaticClass(),
              TMenu::StaticClass(), TMainMenu::StaticClass(), TPopupMenu::StaticClass(),
              TBasicAction::StaticClass(), TContainedAction::StaticClass(), TCustomAction::StaticClass(),
              TAction::StaticClass(), TCustomActionList::StaticClass(), TActionList::StaticClass(),
              TTimer::StaticClass()})
            RegisterClass(C);
        InstallServiceHooks();
        return true;
    }();
    (void)Done;
}
