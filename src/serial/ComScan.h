#pragma once
// Finding ports: every number from 1 to 255 is tried with a probe port, opened and closed at
// once; the scan bar shows the progress, and the port picker lists what was found.

#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "serial/SerComPort.h"

#include <functional>

constexpr int SerLastComNumber = 255;

// Before(n) runs ahead of each try; Found(n, Busy) for each port that exists: Busy when it
// exists but cannot be opened ("Can't open device"). Ports that do not exist are skipped.
void ScanComPorts(TSerComPort* Probe, const std::function<void(int ComNumber)>& Before,
                  const std::function<void(int ComNumber, bool Busy)>& Found);

// A port's list entry: "COM n" (or what Format makes of n) and the device it stands for, so
// that the user sees which device a number is.
String ComPortEntry(const String& Format, int ComNumber);
// The number after "COM " in an entry; 0 when there is none.
int ComNumberOfEntry(const String& Entry);
// The entry of port ComNumber in Items; -1 when it has none.
int IndexOfComPort(TStrings* Items, int ComNumber);

// The progress window of a scan.
class TfrmComScanBar : public TForm {
    DECLARE_CLASS(TfrmComScanBar, TForm)
public:
    explicit TfrmComScanBar(TComponent* AOwner);
    // Sets the position and repaints the bar at once.
    void SetProgress(int Progress);
    TProgressBar* pbPorts = nullptr;
};

// Lets the user pick a port by a double click. Free ports read "COM n", ports held elsewhere
// "- COM n [open]", each with its device.
class TfrmSelectComport : public TForm {
    DECLARE_CLASS(TfrmSelectComport, TForm)
public:
    explicit TfrmSelectComport(TComponent* AOwner);
    // 0 when nothing or a held port is selected.
    int SelectedComPortNr() const;
    void ScanPorts();

    TListBox* lstComPorts = nullptr;
    TSerComPort* comTest = nullptr;
};
