#pragma once
// A small window that follows a growing text file, such as the builder's normal log while it is
// written, and shows its new lines as they arrive until the user stops it.

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TfrmCompilationProgressLog : public TForm {
    DECLARE_CLASS(TfrmCompilationProgressLog, TForm)
public:
    explicit TfrmCompilationProgressLog(TComponent* AOwner);

    TMemo* mmoLog = nullptr;
    TButton* btnStop = nullptr;
    TTimer* tmr1 = nullptr;

    // Starts (Run) or stops following LogFileName; a start shows the window with an empty memo.
    void Scan(const String& LogFileName, bool Run);
    // One tick of the timer: the lines added to the file since the last one.
    void tmr1Timer(TObject* Sender);
    void btnStopClick(TObject* Sender);
    bool Scanning() const { return fScan; }
    // The memo keeps at most this many of the newest lines.
    static constexpr int MaxMemoLines = 20000;

private:
    bool fScan = false;
    String FFileName;
    int FLastLogLine = 0;

    void ReadTail();
};
