// Morvane: starts the application, shows the main window and runs until it closes.
#include "platform/gui/Forms.h"
#include "platform/gui/Gui.h"

namespace {

// The main window; it is filled in as the IDE's forms arrive.
class TfrmMain : public TForm {
    DECLARE_CLASS(TfrmMain, TForm)
public:
    explicit TfrmMain(TComponent* AOwner) : TForm(AOwner) {
        BuildForm([this] {
            SetCaption(u"Morvane - Arduino front-end");
            SetPosition(poScreenCenter);
            SetClientWidth(1111);
            SetClientHeight(708);
            SetKeyPreview(true);
        });
    }
};

TfrmMain* frmMain = nullptr;

} // namespace

int main() {
    RegisterPlatformGuiClasses();
    Application->Initialize();
    Application->SetTitle(u"Morvane - Editor and IDE for Arduino");
    Application->CreateForm(frmMain);
    Application->Run();
    DoneApplication();
    return 0;
}
