#pragma once
// The line settings of one port as a dialog: baud rate, data bits, parity, stop bits and flow
// control of a device control block. The port component offers it as its configuration dialog.

#include "platform/gui/Buttons.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "serial/SerComPortCore.h"

class TfrmCommConfig : public TForm {
    DECLARE_CLASS(TfrmCommConfig, TForm)
public:
    // Caption names the port the settings are for.
    TfrmCommConfig(TComponent* AOwner, const String& PortCaption);
    // Shows the block's settings.
    void SetDCB(const TDCB& Value);
    // The block given to SetDCB with the dialog's settings in it; false (and the block as it
    // was) when the baud rate is no positive number.
    bool GetDCB(TDCB& Value) const;

    TComboBox* cbBaudRate = nullptr;
    TComboBox* cbDataBits = nullptr;
    TComboBox* cbParity = nullptr;
    TComboBox* cbStopBits = nullptr;
    TComboBox* cbFlowControl = nullptr;
    TBitBtn* btnOK = nullptr;
    TBitBtn* btnCancel = nullptr;

private:
    TDCB FDCB;
};

// Runs the dialog for the block; true (and the block changed) when the user confirmed it.
bool ExecuteCommConfigDialog(const String& PortCaption, TDCB& DCB);
