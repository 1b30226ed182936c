#pragma once
// TfrmTerm: the serial terminal window. It owns one port ("ComPort"), shows what comes in on the
// receive pane, sends what the user types, and takes channel commands ([*A523], [!A1000]) out
// of the received bytes into eight channel boxes and bars, an oscilloscope and a value log.
// In the IDE, closing it only hides it and closes the port; the owner hears of it by a posted
// message. As the standalone program's main window it restores its saved port when it is made,
// and closing it ends the program.

#include "dataaware/richtext/daRichEdit.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Spin.h"
#include "platform/gui/StdCtrls.h"
#include "serial/KitProgressBar.h"
#include "serial/Led.h"
#include "serial/ComPortSetup.h"
#include "serial/Osciloscope.h"
#include "serial/SerComPort.h"

#include <array>
#include <vector>

// Posted to MainFormHandle when a terminal window closes: wParam its TerminalNr, lParam -1.
constexpr UINT WM_TERMINAL_CLOSED = WM_USER + 100;

// Told to the window by itself when its port's device is gone: the port is closed outside
// the port's own event.
constexpr UINT WM_TERMINAL_DEVICE_GONE = WM_USER + 101;

// Received lines the receive pane keeps unless told otherwise: the oldest go first.
constexpr int DefaultRxLineLimit = 10000;

// Bytes a channel command may collect before it counts as noise: without a closing bracket
// nothing would be shown again.
constexpr int MaxChannelCommandLength = 1024;

class TfrmTerm : public TForm {
    DECLARE_CLASS(TfrmTerm, TForm)
public:
    explicit TfrmTerm(TComponent* AOwner, TSerMonitorHost Host = smhIde);
    ~TfrmTerm() override;

    TSerMonitorHost Host() const { return FHost; }

    HWND MainFormHandle() const { return FMainFormHandle; }
    void SetMainFormHandle(HWND Value) { FMainFormHandle = Value; }
    int TerminalNr() const { return FTerminalNr; }
    void SetTerminalNr(int Value) { FTerminalNr = Value; }
    const String& TermCaption() const { return FTermCaption; }
    // Stores the text and makes it the window's caption.
    void SetTermCaption(const String& Value);
    bool TermPortActive() const { return ComPort->Active(); }
    void SetTermPortActive(bool Value);

    // The port's number and baud rate; a rate without a value of its own is a user rate, and
    // none (0) leaves the port's rate as it is.
    void SetTermParams(int ComNr, int BaudRate);
    // Opens the port and purges both directions; a failure is shown, never raised.
    void OpenTermPort();
    void CloseTermPort();
    // Sends Text as 8-bit bytes when the port is open.
    void SendText(const String& Text);
    void AddErrorLine(const String& Text);
    // Runs received bytes through the command parser and onto the receive pane; the scope and
    // the log take the block's values at once.
    void ReceiveBytes(const AnsiString& Bytes);
    // The most lines the receive pane keeps (at least 1); the oldest go first.
    int RxLineLimit() const { return FRxLineLimit; }
    void SetRxLineLimit(int Value);

    // The receive pane line being filled.
    int LastUsedLine = 0;
    bool InsideMessage = false;
    AnsiString sMessage;
    bool ChannelPanelContracted = false;
    int LastPanelChannelsWidth = 0;
    bool InsideContractChannelPanel = false;
    tScope* Scope = nullptr;
    bool StopRequest = false;
    std::array<int, 8> LastLogValue{};

    TToolBar* ToolBar1 = nullptr;
    TLed* ledConnected = nullptr;
    TPanel* pnlChannels = nullptr;
    std::array<TStaticText*, 8> txt{};
    std::array<TKitGradientProgressBar*, 8> bar{};
    TLabel* lblResizeChannelPanel = nullptr;
    TSplitter* spl1 = nullptr;
    TPageControl* pgc1 = nullptr;
    TTabSheet* tsTerminal = nullptr;
    TTabSheet* tsGraph = nullptr;
    TTabSheet* tsLogChannels = nullptr;
    TTabSheet* tsOptions = nullptr;
    TPanel* pnlTx = nullptr;
    TToolBar* tlbTx = nullptr;
    TToolButton* btnCR = nullptr;
    TToolButton* btnLF = nullptr;
    TMemo* memo1 = nullptr;
    TSplitter* spl2 = nullptr;
    TMemo* Memo2 = nullptr;
    TMemo* mmoErrors = nullptr;
    TdaDBRichEdit* rtfHelp = nullptr;
    TPanel* pnlInfo = nullptr;
    TPanel* pnlLogTop = nullptr;
    TListBox* lstLogChannels = nullptr;
    TCheckBox* chkLogChannels = nullptr;
    TCheckBox* chkLogChangeOnly = nullptr;
    TEdit* edtChannelConversionTable = nullptr;
    TEdit* edt1 = nullptr;
    TSpinEdit* edtRxLineLimit = nullptr;
    TSerComPort* ComPort = nullptr;
    TFontDialog* dlgSelect = nullptr;
    TActionList* ActionList1 = nullptr;

    TAction* actSetSerPort = nullptr;
    TAction* actSetFontTx = nullptr;
    TAction* actSetFontRx = nullptr;
    TAction* actSetFontErr = nullptr;
    TAction* actFileExit = nullptr;
    TAction* actHelp = nullptr;
    TAction* actClear = nullptr;
    TAction* actClearTx = nullptr;
    TAction* actClearRx = nullptr;
    TAction* actClearErr = nullptr;
    TAction* actOpenComPort = nullptr;
    TAction* actCloseComPort = nullptr;
    TAction* actNewlineOnCR = nullptr;
    TAction* actNewLineOnLF = nullptr;
    TAction* actShow_CR_LF = nullptr;
    TAction* actInterpretChannelCommands = nullptr;
    TAction* actGraphRunnigTime = nullptr;
    TAction* actClearGraph = nullptr;
    TAction* actEraseLogChannels = nullptr;
    TAction* actTest = nullptr;
    TAction* actTeststop = nullptr;

    TPopupMenu* pmTx = nullptr;
    TPopupMenu* pmRx = nullptr;
    TPopupMenu* pmErrors = nullptr;
    TPopupMenu* pmGraph = nullptr;
    TPopupMenu* pmLog = nullptr;

    // The channel ("A" .. "H", or "?" for none) that a received letter selects through Table.
    static Char ConvertChannel(Char Letter, const String& Table);
    void ApplyChannelMax(Char Letter, const String& ValueText);
    void ApplyChannelValue(Char Letter, const String& ValueText);
    void LogChannelValue(Char Letter, Char Channel, int Value);
    void UpdatePortCaption();
    // "Set serial port": the set-up dialog; the standalone program then opens the port when the
    // dialog says active, and closes it otherwise.
    void SetSerPort();
    void ShowHelp();
    void HideHelp();
    // The test signal: random points until StopRequest.
    void RunTestSignal();

private:
    TSerMonitorHost FHost;
    HWND FMainFormHandle = 0;
    int FTerminalNr = 0;
    String FTermCaption;
    // Received text not yet on the pane, for the end of line FPendingLine, with the line breaks
    // in it: a batch of received bytes goes onto the pane in one insertion.
    String FPendingText;
    int FPendingLine = 0;
    int FPendingBreaks = 0;
    bool FTestRunning = false;
    int FRxLineLimit = DefaultRxLineLimit;
    // Log lines of the block being received, oldest first.
    std::vector<String> FPendingLog;
    // The device went away and the user has been told (once per opening).
    bool FDeviceGoneTold = false;
    // "COM n (device)" of the port as it was opened.
    String FPortTitle;

    void FormCreate();
    void FormClose(TCloseAction& Action);
    void BuildActions();
    void BuildChannelPanel();
    void BuildPages();
    void BuildPopups();
    void BuildHelp();
    void LayoutChannelPanel();
    void ToggleChannelPanel();
    void ComPortDataRecived(int Count);
    void ReceiveByte(Byte C);
    void RunCommand();
    void DisplayByte(Byte C);
    void AddPending(const String& Text);
    void FlushReceived();
    void FlushLog();
    void TrimReceived();
    // The port's device hung up or failed: the port closes (after the port's own event) and
    // the user is told once.
    void DeviceGone();
    void CloseGonePort();
    void AppendToLine(int Line, const String& Text);
    void EnsureLine(int Line);
    void UpdatePortActions();
    void ChooseFont(TMemo* Memo);
    void ClearRx();

protected:
    void WndProc(TMessage& Message) override;
};
