#pragma once
// The port setup dialog and the saved port settings: one section per port component, named
// after it, in the ".ConfSer" file beside the program (where the terminal window keeps its own
// section too).

#include "platform/gui/Buttons.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Spin.h"
#include "platform/gui/StdCtrls.h"
#include "serial/SerComPort.h"

// The saved port settings file: the program file's name with the extension ".ConfSer".
String ComPortSettingsFile();

// The program a serial monitor window serves: the IDE, which owns its terminals, sets their
// ports and hears when they close; or the standalone terminal program, whose main window the
// terminal is. The standalone program's set-up dialogs probe the ports without a progress window.
enum TSerMonitorHost { smhIde, smhStandalone };

// Lets the user set Port up; true when confirmed with OK, a port selected and "Active" checked.
// Cancel leaves Port as it was.
bool ExecuteComPortSetup(TSerComPort* Port, const String& Hint, TSerMonitorHost Host = smhIde);
// Loads the section named after Port into it; never opens or closes it. Invalid names are
// reported, one message box each, and replaced by their defaults.
void LoadComPortSettings(TSerComPort* Port);
// The standalone program's start: the saved settings of Port's section go through a set-up
// dialog that is never shown into Port, which stays closed. True when the saved port is among
// the probed ports and was saved active; a saved port that is not there selects nothing, so Port
// keeps its settings and no other device is ever opened in its place.
bool RestoreComPortSettings(TSerComPort* Port);

class TfrmComPortSetup : public TForm {
    DECLARE_CLASS(TfrmComPortSetup, TForm)
public:
    // Scans the ports while it is created; the IDE's dialog shows the progress window.
    explicit TfrmComPortSetup(TComponent* AOwner, TSerMonitorHost Host = smhIde);

    void SetCom(TSerComPort* ComPort);
    void UpdateSetting(TSerComPort* ComPort);
    void SaveSettings(const String& Section);
    // A saved port that the probe did not find leaves no entry selected (and OK and Save off):
    // the probe's selection may point at another port that the user never chose.
    void LoadSettings(const String& Section);

    TListBox* lstComs = nullptr;
    TCheckBox* chkComActive = nullptr;
    TComboBox* cbbBaudRate = nullptr;
    TComboBox* cbParity = nullptr;
    TComboBox* cbDataBits = nullptr;
    TComboBox* cbStopBits = nullptr;
    TSpinEdit* edtUserBaudRate = nullptr;
    TBitBtn* bbtnOK = nullptr;
    TBitBtn* bbtnCancel = nullptr;
    TButton* bbtnLoad = nullptr;
    TButton* bbtnSave = nullptr;
    TPanel* pnlHint = nullptr;
    TSerComPort* comTest = nullptr;
    String ComPortName;

    // OK and Save.
    void EnableButtons(bool Enabled);

private:
    TSerMonitorHost FHost;

    void ScanPorts();
    void SelectPort(int ComNumber);
    void ShowValues(TSerComPort* ComPort);
};
