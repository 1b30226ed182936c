#pragma once
// The port setup dialog and the saved port settings: one section per port component, named
// after it, in the ".ConfSer" file beside the program.

#include "platform/gui/Buttons.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Spin.h"
#include "platform/gui/StdCtrls.h"
#include "serial/SerComPort.h"

// The saved port settings file: the program file's name with the extension ".ConfSer".
String ComPortSettingsFile();

// Lets the user set Port up; true when confirmed with OK, a port selected and "Active" checked.
// Cancel leaves Port as it was.
bool ExecuteComPortSetup(TSerComPort* Port, const String& Hint);
// Loads the section named after Port into it; never opens or closes it. Invalid names are
// reported, one message box each, and replaced by their defaults.
void LoadComPortSettings(TSerComPort* Port);

class TfrmComPortSetup : public TForm {
    DECLARE_CLASS(TfrmComPortSetup, TForm)
public:
    // Scans the ports, with the progress window, while it is created.
    explicit TfrmComPortSetup(TComponent* AOwner);

    void SetCom(TSerComPort* ComPort);
    void UpdateSetting(TSerComPort* ComPort);
    void SaveSettings(const String& Section);
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
    void ScanPorts();
    void SelectPort(int ComNumber);
    void ShowValues(TSerComPort* ComPort);
};
