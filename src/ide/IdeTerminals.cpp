// The IDE's serial terminals: one per file a terminal was asked for and a new one for each
// unassigned request, numbered and listed on the "Terminals" tab, brought back by a click, and
// their ports released while the builder uploads.
#include "ide/Main.h"

#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/os/ChildProcess.h"
#include "serial/TermQz.h"

#include <algorithm>

namespace {

// The road's hold on one terminal's port, owned by the terminal. Runs that overlap, and builder
// processes that outlive their run, all keep the port closed; the port opens again only when
// the last of them has ended, and only when it was open when the first began.
class TTerminalPortHold : public TComponent {
public:
    static constexpr const char16_t* ComponentName = u"BuilderPortHold";

    explicit TTerminalPortHold(TfrmTerm* Terminal) : TComponent(Terminal), FTerminal(Terminal) {
        SetName(ComponentName);
        FTimer = new TTimer(this);
        FTimer->SetEnabled(false);
        FTimer->SetInterval(100);
        FTimer->OnTimer = [this](TObject*) { Check(); };
    }

    static TTerminalPortHold* Of(TfrmTerm* Terminal) {
        if (auto* Hold = dynamic_cast<TTerminalPortHold*>(Terminal->FindComponent(ComponentName))) return Hold;
        return new TTerminalPortHold(Terminal);
    }

    void Begin() {
        if (FRuns == 0 && FBuilders.empty()) FReopen = FTerminal->TermPortActive();
        ++FRuns;
        if (FTerminal->TermPortActive()) FTerminal->CloseTermPort();
    }

    void End(const std::shared_ptr<TChildProcess>& Builder) {
        if (FRuns > 0) --FRuns;
        if (Builder && Builder->GroupRunning()) FBuilders.push_back(Builder);
        Check();
    }

private:
    TfrmTerm* FTerminal;
    TTimer* FTimer = nullptr;
    int FRuns = 0;
    bool FReopen = false;
    std::vector<std::shared_ptr<TChildProcess>> FBuilders;

    void Check() {
        std::erase_if(FBuilders, [](const std::shared_ptr<TChildProcess>& B) { return !B->GroupRunning(); });
        FTimer->SetEnabled(!FBuilders.empty());
        if (FRuns > 0 || !FBuilders.empty() || !FReopen) return;
        FReopen = false;
        FTerminal->SetTermPortActive(true);
    }
};

} // namespace

void TfrmMain::SetUpTerminals() {
    lstTerminals->SetColor(TColor(14415826));
    lstTerminals->Font()->SetName(u"Arial");
    lstTerminals->Font()->SetHeight(-13);
    lstTerminals->Font()->SetStyle(TFontStyles{fsBold});
    lstTerminals->Font()->SetCharset(EASTEUROPE_CHARSET);
    lstTerminals->OnClick = [this](TObject*) { lstTerminalsClick(); };
    auto Connect = [this](const char16_t* Name, std::function<void()> Effect) {
        TAction* A = Action(Name);
        A->OnExecute = [Effect](TObject*) { Effect(); };
        A->SetEnabled(true);
    };
    Connect(u"actArduinoOpenTerminal", [this] { OpenTerminal(String()); });
    Connect(u"actArduinoOpenTerminalUnassigned", [this] { OpenTerminal(ActiveFileName()); });
}

tTerminalClass* TfrmMain::TerminalRecord(int Index) const {
    if (Index < 0 || Index >= lstTerminals->Items()->Count()) return nullptr;
    return dynamic_cast<tTerminalClass*>(lstTerminals->Items()->Objects(Index));
}

void TfrmMain::OpenTerminal(const String& FileName) {
    String Project = FileName;
    String ShortName;
    int Index = -1;
    if (!FileName.empty()) {
        ShortName = ExtractFileName(FileName);
        if (const std::size_t Dot = ShortName.find(u'.'); Dot != String::npos) ShortName.resize(Dot);
        Index = FindTerminalByProject(FileName);
    } else {
        Project = u"Unassigned terminal";
        ShortName = u"Unassigned";
    }
    TfrmTerm* Terminal = nullptr;
    if (Index < 0) {
        SetCursor(crHourGlass);
        TScopeExit Restore([this] { SetCursor(crDefault); });
        Terminal = new TfrmTerm(this);
        auto* Record = new tTerminalClass;
        Record->TerminalForm = Terminal;
        Record->ProjectName = Project;
        Record->TerminalNr = FreeTerminalNr();
        Terminal->SetTermCaption(Format(u"Term %s [%d]", {ShortName, Record->TerminalNr}));
        Terminal->SetMainFormHandle(Handle());
        Terminal->SetTerminalNr(Record->TerminalNr);
        lstTerminals->Items()->AddObject(Format(u"%s [%d]", {ShortName, Record->TerminalNr}), Record);
    } else {
        Terminal = TerminalRecord(Index)->TerminalForm;
    }
    // The active file's configuration, whatever file the terminal belongs to; with no file
    // open, the default one (never a configuration that happens to lie in the current folder).
    tProjectInfoRec Info;
    const String Active = ActiveFileName();
    ReadProjectInfo(Active.empty() ? DefaultConfigName() : Active, Info);
    Terminal->SetTermParams(Info.ComNr, Info.BaudRate);
    // A port that cannot be opened is the terminal's to show.
    try {
        Terminal->SetTermPortActive(true);
    } catch (const Exception&) {
    }
    Terminal->Show();
    Terminal->SetWindowState(wsNormal);
}

int TfrmMain::FindTerminalByProject(const String& ProjectName) const {
    // The build road may give the path in double quotes; a path may hold them itself.
    for (int I = 0; I < lstTerminals->Items()->Count(); ++I)
        if (const tTerminalClass* Record = TerminalRecord(I))
            if (Record->ProjectName == ProjectName || u"\"" + Record->ProjectName + u"\"" == ProjectName) return I;
    return -1;
}

int TfrmMain::FindTerminalByNr(int Nr) const {
    for (int I = 0; I < lstTerminals->Items()->Count(); ++I)
        if (const tTerminalClass* Record = TerminalRecord(I); Record && Record->TerminalNr == Nr) return I;
    return -1;
}

int TfrmMain::FreeTerminalNr() const {
    int Nr = 0;
    while (FindTerminalByNr(Nr) >= 0)
        ++Nr;
    return Nr;
}

void TfrmMain::lstTerminalsClick() {
    const tTerminalClass* Record = TerminalRecord(lstTerminals->ItemIndex());
    if (!Record || !Record->TerminalForm) return;
    // The window keeps its port as it is.
    Record->TerminalForm->Show();
    Record->TerminalForm->SetWindowState(wsNormal);
}

void TfrmMain::WndProc(TMessage& Message) {
    if (Message.Msg == WM_TERMINAL_CLOSED) {
        // The terminal has hidden itself and closed its port; its entry stays.
        const int Index = FindTerminalByNr(static_cast<int>(Message.WParam));
        if (Index >= 0) lstTerminals->SetItemIndex(Index);
        return;
    }
    TForm::WndProc(Message);
}

void TfrmMain::HoldTerminalPort(TfrmTerm* Terminal) {
    TTerminalPortHold::Of(Terminal)->Begin();
}

void TfrmMain::ReleaseTerminalPort(TfrmTerm* Terminal, const std::shared_ptr<TChildProcess>& Builder) {
    TTerminalPortHold::Of(Terminal)->End(Builder);
}
