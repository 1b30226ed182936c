// Brenvik: starts the application, shows the terminal window and runs until it closes.
#include "platform/gui/Forms.h"
#include "platform/gui/Gui.h"

namespace {

// The terminal window; the serial monitor fills it in when it arrives.
class TfrmTerm : public TForm {
    DECLARE_CLASS(TfrmTerm, TForm)
public:
    explicit TfrmTerm(TComponent* AOwner) : TForm(AOwner) {
        BuildForm([this] {
            SetCaption(u"Brenvik");
            SetPosition(poScreenCenter);
            SetClientWidth(640);
            SetClientHeight(480);
        });
    }
};

TfrmTerm* frmTerm = nullptr;

} // namespace

int main() {
    RegisterPlatformGuiClasses();
    Application->Initialize();
    Application->SetTitle(u"Brenvik");
    Application->CreateForm(frmTerm);
    Application->Run();
    DoneApplication();
    return 0;
}
