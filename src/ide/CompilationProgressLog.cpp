#include "ide/CompilationProgressLog.h"

#include "platform/base/Encoding.h"
#include "platform/base/Lists.h"

TfrmCompilationProgressLog::TfrmCompilationProgressLog(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"frmCompilationProgressLog");
        SetCaption(u"Compilation Progress Log");
        SetPosition(poMainFormCenter);
        SetClientWidth(560);
        SetClientHeight(360);
        btnStop = new TButton(this);
        btnStop->SetName(u"btnStop");
        btnStop->SetCaption(u"Stop");
        btnStop->SetParent(this);
        btnStop->SetAlign(alBottom);
        btnStop->OnClick = [this](TObject* Sender) { btnStopClick(Sender); };
        mmoLog = new TMemo(this);
        mmoLog->SetName(u"mmoLog");
        mmoLog->SetParent(this);
        mmoLog->SetAlign(alClient);
        mmoLog->SetWordWrap(false);
        mmoLog->SetScrollBars(StdCtrls::ssBoth);
        tmr1 = new TTimer(this);
        tmr1->SetName(u"tmr1");
        tmr1->SetEnabled(false);
        tmr1->SetInterval(1000);
        tmr1->OnTimer = [this](TObject* Sender) { tmr1Timer(Sender); };
    });
}

void TfrmCompilationProgressLog::Scan(const String& LogFileName, bool Run) {
    FFileName = LogFileName;
    fScan = Run;
    tmr1->SetEnabled(Run);
    if (!Run) return;
    mmoLog->Lines()->Clear();
    FLastLogLine = 0;
    btnStop->SetEnabled(true);
    Show();
}

void TfrmCompilationProgressLog::tmr1Timer(TObject*) {
    // A file that cannot be read ends the following: the timer stays off.
    tmr1->SetEnabled(false);
    ReadTail();
    Application->ProcessMessages();
    if (fScan) tmr1->SetEnabled(true);
}

void TfrmCompilationProgressLog::ReadTail() {
    TStringList Lines;
    Lines.LoadFromFile(FFileName, TEncoding::Default());
    TStrings* Memo = mmoLog->Lines();
    // A file rewritten shorter than what is shown starts over.
    if (Lines.Count() < Memo->Count()) {
        Memo->Clear();
        FLastLogLine = 0;
    }
    Memo->BeginUpdate();
    for (int I = FLastLogLine; I < Lines.Count(); ++I) Memo->Add(Lines.Strings(I));
    Memo->EndUpdate();
    FLastLogLine = Lines.Count();
}

void TfrmCompilationProgressLog::btnStopClick(TObject*) {
    fScan = false;
    btnStop->SetEnabled(false);
}
