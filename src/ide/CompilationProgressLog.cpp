#include "ide/CompilationProgressLog.h"

#include "ide/Main.h"

#include "platform/base/Exceptions.h"
#include "platform/base/Format.h"
#include "platform/base/Lists.h"
#include "platform/base/Strings.h"

#include <cstring>
#include <deque>
#include <string>
#include <vector>

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
    // The file is read line by line and only the lines not shown yet are decoded, bytes that are
    // not UTF-8 as U+FFFD; of a flood, the first and the last lines of a tick are kept with a
    // line that says how many went between, and the memo keeps the newest lines: a log of any
    // size costs a tick no more than a short one.
    const int Kept = TfrmMain::BuilderLogKeptLines;
    long long Count = 0, LeftOut = 0;
    std::vector<String> Head;
    std::deque<String> Tail;
    const auto Read = [&](long long From) {
        Count = LeftOut = 0;
        Head.clear();
        Tail.clear();
        int Error = 0;
        const bool Done = TfrmMain::ForEachLogLine(FFileName, Error, [&](std::string_view Bytes, bool Long) {
            if (Count++ < From) return;
            String Line = Utf8ToString(Bytes);
            if (Long) Line += u" \u2026";
            if (Head.size() < size_t(Kept)) {
                Head.push_back(std::move(Line));
                return;
            }
            Tail.push_back(std::move(Line));
            if (Tail.size() > size_t(Kept)) {
                Tail.pop_front();
                ++LeftOut;
            }
        });
        if (!Done)
            throw EFOpenError(Format(u"Cannot open file \"%s\". %s", {FFileName, Utf8ToString(std::strerror(Error))}));
    };
    Read(FLastLogLine);
    TStrings* Memo = mmoLog->Lines();
    // A file rewritten shorter than what is shown starts over.
    if (Count < FLastLogLine) {
        Memo->Clear();
        FLastLogLine = 0;
        Read(0);
    }
    Memo->BeginUpdate();
    for (const String& L : Head) Memo->Add(L);
    if (LeftOut > 0) Memo->Add(u"[... " + Utf8ToString(std::to_string(LeftOut)) + u" lines of the log left out ...]");
    for (const String& L : Tail) Memo->Add(L);
    const int Excess = Memo->Count() - MaxMemoLines;
    if (Excess > 0) {
        TStringList Newest;
        for (int I = Excess; I < Memo->Count(); ++I) Newest.Add(Memo->Strings(I));
        Memo->Assign(&Newest);
    }
    Memo->EndUpdate();
    FLastLogLine = int(std::min<long long>(Count, 0x7FFFFFFF));
}

void TfrmCompilationProgressLog::btnStopClick(TObject*) {
    fScan = false;
    btnStop->SetEnabled(false);
}
