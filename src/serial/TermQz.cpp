#include "serial/TermQz.h"

#include "platform/base/Encoding.h"
#include "platform/base/Format.h"
#include "platform/base/Ini.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/base/Threads.h"
#include "platform/gui/Placing.h"
#include "platform/gui/Questions.h"
#include "serial/ComPortSetup.h"

#include <cstring>
#include <random>

namespace {

// The help pane's formatted text as the form keeps it: rich text, CR LF and a zero byte.
const char HelpRtf[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
    "\\viewkind4\\uc1\\pard\\li284\\b\\f0\\fs24 Brenvik\\b0\\fs20\\par\r\n"
    "(Double-click here  to hide Help window)\\par\r\n"
    "\\par\r\n"
    "is a general-purpose terminal with enhanced features\\par\r\n"
    "for displaying data coming via RS232 port.\\par\r\n"
    "The left part of the window contains 8 channels\\par\r\n"
    "with progress bar indicator, marked A to H.\\par\r\n"
    "Syntax:\\par\r\n"
    " [*Xvalue] .. display a value in a channel box\\par\r\n"
    "  X='A'..'H'\\par\r\n"
    " [!Xvalue] .. set a maximum range for a channel progress bar\\par\r\n"
    "\\par\r\n"
    "Morvane - Editor and IDE for Arduino\\par\r\n"
    "Brenvik - Serial terminal, part of Morvane\\par\r\n"
    "}\r\n";

const String ChannelNames = u"ABCDEFGH";
// Error lines quote this many bytes of a command that never closed.
constexpr std::size_t QuotedCommandBytes = 32;
// The terminal window's own settings in the saved port settings file, beside the ports' sections.
constexpr const char16_t* TerminalSection = u"Terminal";

String FromWire(const AnsiString& Bytes) {
    return TEncoding::ANSI()->GetString(reinterpret_cast<const Byte*>(Bytes.data()), Bytes.size());
}

AnsiString ToWire(const String& Text) {
    const TBytes B = TEncoding::ANSI()->GetBytes(Text);
    return AnsiString(B.begin(), B.end());
}

int ParseValue(const String& Text) {
    return StrToIntDef(Trim(Text), 0);
}

} // namespace

TfrmTerm::TfrmTerm(TComponent* AOwner, TSerMonitorHost Host) : TForm(AOwner), FHost(Host) {
    BuildForm([this] {
        SetName(u"frmTerm");
        SetCaption(u"Arduino terminal QZ");
        SetClientWidth(512);
        SetClientHeight(325);
        // The system places each terminal, a step from the one opened before.
        SetPosition(poDefaultPosOnly);
        Constraints()->SetMinWidth(400);
        Constraints()->SetMinHeight(200);

        ComPort = new TSerComPort(this);
        ComPort->SetName(u"ComPort");
        ComPort->SetDTR(false);
        ComPort->SetRTS(false);
        ComPort->OnDataRecived = [this](TObject*, int Count) { ComPortDataRecived(Count); };
        ComPort->OnPortOpen = [this](TObject*) {
            FDeviceGoneTold = false;
            FPortTitle = PortTitle(ComPort->ComNumber());
            ledConnected->SetActive(true);
            UpdatePortCaption();
        };
        ComPort->OnPortClose = [this](TObject*) {
            ledConnected->SetActive(false);
            UpdatePortCaption();
        };
        ComPort->OnLineError = [this](TObject*, Cardinal Errors) {
            if (Errors & CE_IOE) DeviceGone();
        };
        dlgSelect = new TFontDialog(this);
        dlgSelect->SetName(u"dlgSelect");

        BuildActions();

        ToolBar1 = MakeControl<TToolBar>(this, this, u"ToolBar1", alTop);
        ToolBar1->SetShowCaptions(true);
        ToolBar1->SetWrapable(true);
        ToolBar1->SetAutoSize(true);
        ToolBar1->SetShowHint(true);
        ledConnected = new TLed(this);
        ledConnected->SetName(u"ledConnected");
        ledConnected->SetColor(TColor(0x40FF00));
        ledConnected->SetBounds(0, 0, 20, 22);
        ledConnected->SetShowHint(true);
        ledConnected->SetParent(ToolBar1);
        for (TAction* A : std::initializer_list<TAction*>{actOpenComPort, actCloseComPort, nullptr, actInterpretChannelCommands, nullptr,
                           actNewlineOnCR, actNewLineOnLF, actShow_CR_LF, nullptr, actSetSerPort, nullptr, actHelp}) {
            auto* B = new TToolButton(this);
            if (A) {
                B->SetAction(A);
                // Each as wide as its own caption: as wide as the widest, the eight take four
                // rows at the window's size.
                B->SetAutoSize(true);
            } else {
                B->SetStyle(tbsSeparator);
            }
            B->SetParent(ToolBar1);
        }

        BuildChannelPanel();
        spl1 = MakeControl<TSplitter>(this, this, u"spl1", alLeft);
        spl1->SetLeft(pnlChannels->Width());
        BuildPages();
        BuildPopups();
        BuildHelp();

        OnCreate = [this](TObject*) { FormCreate(); };
        OnClose = [this](TObject*, TCloseAction& Action) { FormClose(Action); };
    });
}

TfrmTerm::~TfrmTerm() {
    // No event of the port may reach a window on its way out.
    if (ComPort) {
        ComPort->OnDataRecived = nullptr;
        ComPort->OnLineError = nullptr;
        ComPort->OnPortOpen = nullptr;
        ComPort->OnPortClose = nullptr;
        ComPort->Close();
    }
}

// ---- Building ---------------------------------------------------------------------------------------

void TfrmTerm::BuildActions() {
    ActionList1 = new TActionList(this);
    ActionList1->SetName(u"ActionList1");
    auto Action = [this](const String& Name, const String& Caption, const String& Hint, std::function<void()> Run) {
        auto* A = new TAction(this);
        A->SetName(Name);
        A->SetCaption(Caption);
        A->SetHint(Hint);
        A->OnExecute = [Run](TObject*) {
            if (Run) Run();
        };
        A->SetActionList(ActionList1);
        return A;
    };
    auto Toggle = [&](const String& Name, const String& Caption, const String& Hint, bool Checked) {
        TAction* A = Action(Name, Caption, Hint, nullptr);
        A->SetAutoCheck(true);
        A->SetChecked(Checked);
        return A;
    };
    actSetSerPort = Action(u"actSetSerPort", u"Set serial port", u"", [this] { SetSerPort(); });
    actSetFontTx = Action(u"actSetFontTx", u"Tx window Font ", u"", [this] { ChooseFont(memo1); });
    actSetFontRx = Action(u"actSetFontRx", u"Rx window Font ", u"", [this] { ChooseFont(Memo2); });
    actSetFontErr = Action(u"actSetFontErr", u"Errors window Font ", u"", [this] { ChooseFont(mmoErrors); });
    actFileExit = Action(u"actFileExit", u"Exit", u"Exit program", [this] { Close(); });
    actHelp = Action(u"actHelp", u"Help", u"", [this] { ShowHelp(); });
    actClear = Action(u"actClear", u"Clear All windows", u"Clear All", [this] {
        memo1->Clear();
        mmoErrors->Clear();
        ClearRx();
    });
    actClearTx = Action(u"actClearTx", u"Clear Tx window", u"", [this] { memo1->Clear(); });
    actClearRx = Action(u"actClearRx", u"Clear Rx window", u"", [this] { ClearRx(); });
    actClearErr = Action(u"actClearErr", u"Clear Errors window", u"", [this] { mmoErrors->Clear(); });
    actOpenComPort = Action(u"actOpenComPort", u"Open Com Port", u"", [this] { OpenTermPort(); });
    actCloseComPort = Action(u"actCloseComPort", u"Close Com Port", u"", [this] { CloseTermPort(); });
    actCloseComPort->SetEnabled(false);
    actNewlineOnCR = Toggle(u"actNewlineOnCR", u"New line on CR", u"", true);
    actNewLineOnLF = Toggle(u"actNewLineOnLF", u"New line on LF", u"", false);
    actShow_CR_LF = Toggle(u"actShow_CR_LF", u"Show CR and LF", u"", false);
    actInterpretChannelCommands = Toggle(u"actInterpretChannelCommands", u"Interpret Channel Commands",
                                         u"Interpret Channel Commands, format=[*A523]", false);
    actInterpretChannelCommands->OnExecute = [this](TObject*) {
        actNewlineOnCR->SetChecked(!actInterpretChannelCommands->Checked());
    };
    actGraphRunnigTime = Toggle(u"actGraphRunnigTime", u"Graph - Autorunnig Time", u"", false);
    actClearGraph = Action(u"actClearGraph", u"Clear", u"Clear graph", [this] { Scope->ClearScope(); });
    actEraseLogChannels = Action(u"actEraseLogChannels", u"Erase Log Channels", u"", [this] {
        FPendingLog.clear();
        lstLogChannels->Items()->Clear();
    });
    actTest = Action(u"actTest", u"Test", u"", [this] { RunTestSignal(); });
    actTeststop = Action(u"actTeststop", u"Test stop", u"", [this] { StopRequest = true; });
}

void TfrmTerm::BuildChannelPanel() {
    pnlChannels = MakeControl<TPanel>(this, this, u"pnlChannels", alLeft);
    pnlChannels->SetWidth(97);
    pnlChannels->Constraints()->SetMinWidth(16);
    pnlChannels->Constraints()->SetMaxWidth(200);
    pnlChannels->SetColor(clGray);
    pnlChannels->SetCaption(u"");
    pnlChannels->SetBevelOuter(bvNone);
    for (int I = 0; I < 8; ++I) {
        const String C(1, ChannelNames[static_cast<std::size_t>(I)]);
        auto* T = new TStaticText(this);
        T->SetName(u"txt" + C);
        T->SetParent(pnlChannels);
        T->SetAutoSize(false);
        T->SetAlignment(taCenter);
        T->SetBorderStyle(sbsSunken);
        T->SetColor(clBlack);
        T->Font()->SetName(u"Arial");
        T->Font()->SetHeight(-13);
        T->Font()->SetColor(TColor(0x00A8A8));
        T->SetCaption(u"chanel " + C);
        txt[static_cast<std::size_t>(I)] = T;
        auto* B = new TKitGradientProgressBar(this);
        B->SetName(u"bar" + C);
        B->SetParent(pnlChannels);
        B->SetBarColorFrom(clBlue);
        B->SetBarColorTo(TColor(0x8000FF));
        B->SetMax(4096);
        B->SetPosition(60);
        B->SetSmooth(true);
        B->SetShowHint(true);
        bar[static_cast<std::size_t>(I)] = B;
    }
    lblResizeChannelPanel = new TLabel(this);
    lblResizeChannelPanel->SetName(u"lblResizeChannelPanel");
    lblResizeChannelPanel->SetParent(pnlChannels);
    lblResizeChannelPanel->SetCaption(u"<");
    // A fixed small size: the glyph sits where the label is, at the panel's edge.
    lblResizeChannelPanel->SetAutoSize(false);
    lblResizeChannelPanel->SetBounds(0, 0, 12, 16);
    lblResizeChannelPanel->Font()->SetStyle(TFontStyles{fsBold});
    lblResizeChannelPanel->Font()->SetColor(clSilver);
    lblResizeChannelPanel->SetTransparent(true);
    lblResizeChannelPanel->OnClick = [this](TObject*) { ToggleChannelPanel(); };
    pnlChannels->OnResize = [this](TObject*) {
        if (!InsideContractChannelPanel) {
            LastPanelChannelsWidth = pnlChannels->Width();
            if (!ChannelPanelContracted)
                lblResizeChannelPanel->SetLeft(pnlChannels->Width() - lblResizeChannelPanel->Width() - 4);
        }
        LayoutChannelPanel();
    };
    LayoutChannelPanel();
}

void TfrmTerm::LayoutChannelPanel() {
    // The collapse label has the top row; each channel's box sits above its bar. The eight
    // share the panel's height, up to 37 pixels each, so that channel H stays in sight when
    // the tool bar takes two rows.
    const int W = std::max(1, pnlChannels->ClientWidth() - 6);
    int Y = lblResizeChannelPanel ? lblResizeChannelPanel->Height() + 2 : 16;
    const int Pitch = std::clamp((pnlChannels->ClientHeight() - Y) / 8, 29, 37);
    const int Box = std::min(20, Pitch - 14);
    for (int I = 0; I < 8; ++I) {
        txt[static_cast<std::size_t>(I)]->SetBounds(3, Y, W, Box);
        bar[static_cast<std::size_t>(I)]->SetBounds(3, Y + Box + 1, W, 12);
        Y += Pitch;
    }
}

void TfrmTerm::ToggleChannelPanel() {
    InsideContractChannelPanel = true;
    TScopeExit Done([this] { InsideContractChannelPanel = false; });
    ChannelPanelContracted = !ChannelPanelContracted;
    if (ChannelPanelContracted) {
        pnlChannels->SetWidth(1);
        lblResizeChannelPanel->SetCaption(u">");
        lblResizeChannelPanel->SetLeft(1);
    } else {
        pnlChannels->SetWidth(LastPanelChannelsWidth);
        lblResizeChannelPanel->SetCaption(u"<");
        lblResizeChannelPanel->SetLeft(pnlChannels->Width() - lblResizeChannelPanel->Width() - 4);
    }
}

void TfrmTerm::BuildPages() {
    pgc1 = MakeControl<TPageControl>(this, this, u"pgc1", alClient);
    auto Page = [this](const String& Name, const String& Caption) {
        auto* T = new TTabSheet(this);
        T->SetName(Name);
        T->SetCaption(Caption);
        T->SetPageControl(pgc1);
        return T;
    };
    tsTerminal = Page(u"tsTerminal", u"Terminal");
    tsGraph = Page(u"tsGraph", u"Graph");
    tsLogChannels = Page(u"tsLogChannels", u"Log channels");
    tsOptions = Page(u"tsOptions", u"Options");
    pgc1->SetActivePage(tsTerminal);

    // Terminal: what is typed on the left, what comes in on the right, errors below it.
    pnlTx = MakeControl<TPanel>(this, tsTerminal, u"pnlTx", alLeft);
    pnlTx->SetWidth(150);
    pnlTx->SetCaption(u"");
    pnlTx->SetBevelOuter(bvNone);
    tlbTx = MakeControl<TToolBar>(this, pnlTx, u"tlbTx", alTop);
    tlbTx->SetShowCaptions(true);
    tlbTx->SetShowHint(true);
    tlbTx->SetAutoSize(true);
    btnCR = new TToolButton(this);
    btnCR->SetName(u"btnCR");
    btnCR->SetCaption(u"CR");
    btnCR->SetHint(u"Send CR");
    btnCR->OnClick = [this](TObject*) { SendText(String(1, Char(13))); };
    btnCR->SetParent(tlbTx);
    btnLF = new TToolButton(this);
    btnLF->SetName(u"btnLF");
    btnLF->SetCaption(u"LF");
    btnLF->SetHint(u"Send LF");
    btnLF->OnClick = [this](TObject*) { SendText(String(1, Char(10))); };
    btnLF->SetParent(tlbTx);
    auto* Font = new TToolButton(this);
    Font->SetName(u"btnFontTx");
    Font->SetAction(actSetFontTx);
    Font->SetParent(tlbTx);
    memo1 = MakeControl<TMemo>(this, pnlTx, u"memo1", alClient);
    memo1->SetColor(clMaroon);
    memo1->Font()->SetColor(clYellow);
    memo1->Lines()->SetText(u"Write here");
    memo1->OnKeyPress = [this](TObject*, Char& Key) {
        // A port whose device is gone is as good as closed: nothing typed is taken as sent.
        if (!ComPort->Active() || ComPort->DeviceGone()) throw Exception(u"COM port is not open");
        SendText(String(1, Key));
    };
    spl2 = MakeControl<TSplitter>(this, tsTerminal, u"spl2", alLeft);
    spl2->SetLeft(pnlTx->Width());
    mmoErrors = MakeControl<TMemo>(this, tsTerminal, u"mmoErrors", alBottom);
    mmoErrors->SetHeight(7);
    mmoErrors->SetColor(TColor(0xF8F8F8));
    mmoErrors->Font()->SetColor(clRed);
    mmoErrors->SetScrollBars(StdCtrls::ssVertical);
    mmoErrors->SetReadOnly(true);
    Memo2 = MakeControl<TMemo>(this, tsTerminal, u"Memo2", alClient);
    Memo2->SetColor(clBlack);
    Memo2->Font()->SetColor(clLime);
    Memo2->SetReadOnly(true);
    Memo2->SetScrollBars(StdCtrls::ssBoth);
    // Received lines are counted as the pane's lines: they must not wrap.
    Memo2->SetWordWrap(false);
    Memo2->OnKeyPress = [this](TObject*, Char& Key) {
        const Char K = Key;
        Key = 0;
        memo1->Lines()->Add(u"<" + String(1, K) + u">");
        SendText(String(1, K));
    };
    Memo2->OnDblClick = [this](TObject*) { ClearRx(); };

    // Graph: the scope over its channels' info panes.
    pnlInfo = MakeControl<TPanel>(this, tsGraph, u"pnlInfo", alBottom);
    pnlInfo->SetHeight(49);
    pnlInfo->SetCaption(u"");

    // Log channels.
    pnlLogTop = MakeControl<TPanel>(this, tsLogChannels, u"pnlLogTop", alTop);
    pnlLogTop->SetHeight(26);
    pnlLogTop->SetCaption(u"");
    pnlLogTop->SetBevelOuter(bvNone);
    chkLogChannels = new TCheckBox(this);
    chkLogChannels->SetName(u"chkLogChannels");
    chkLogChannels->SetParent(pnlLogTop);
    chkLogChannels->SetBounds(4, 4, 110, 17);
    chkLogChannels->SetCaption(u"Log channels");
    chkLogChangeOnly = new TCheckBox(this);
    chkLogChangeOnly->SetName(u"chkLogChangeOnly");
    chkLogChangeOnly->SetParent(pnlLogTop);
    chkLogChangeOnly->SetBounds(120, 4, 130, 17);
    chkLogChangeOnly->SetCaption(u"Log Change Only");
    chkLogChangeOnly->SetChecked(true);
    lstLogChannels = MakeControl<TListBox>(this, tsLogChannels, u"lstLogChannels", alClient);

    // Options: the channel conversion table.
    auto* L1 = new TLabel(this);
    L1->SetName(u"lblInputChannels");
    L1->SetParent(tsOptions);
    L1->SetBounds(8, 12, 80, 13);
    L1->SetCaption(u"Input channels");
    edtChannelConversionTable = new TEdit(this);
    edtChannelConversionTable->SetName(u"edtChannelConversionTable");
    edtChannelConversionTable->SetParent(tsOptions);
    edtChannelConversionTable->SetBounds(8, 28, 90, 21);
    edtChannelConversionTable->SetText(u"ABCDEFGH");
    edtChannelConversionTable->Font()->SetColor(clRed);
    edtChannelConversionTable->SetHint(u"Exactly 8 upper-case chars should be defined here");
    edtChannelConversionTable->SetShowHint(true);
    auto* L2 = new TLabel(this);
    L2->SetName(u"lblConverted");
    L2->SetParent(tsOptions);
    L2->SetBounds(106, 31, 90, 13);
    L2->SetCaption(u"are converted to:");
    edt1 = new TEdit(this);
    edt1->SetName(u"edt1");
    edt1->SetParent(tsOptions);
    edt1->SetBounds(200, 28, 90, 21);
    edt1->SetText(u"ABCDEFGH");
    edt1->SetReadOnly(true);
    auto* L3 = new TLabel(this);
    L3->SetName(u"lblRxLineLimit");
    L3->SetParent(tsOptions);
    L3->SetBounds(8, 66, 180, 15);
    L3->SetCaption(u"Lines kept in the Rx window:");
    edtRxLineLimit = new TSpinEdit(this);
    edtRxLineLimit->SetName(u"edtRxLineLimit");
    edtRxLineLimit->SetParent(tsOptions);
    edtRxLineLimit->SetBounds(200, 62, 90, 22);
    edtRxLineLimit->SetMinValue(100);
    edtRxLineLimit->SetMaxValue(1000000);
    edtRxLineLimit->SetIncrement(1000);
    edtRxLineLimit->SetValue(DefaultRxLineLimit);
    edtRxLineLimit->SetHint(u"The oldest lines go when there are more");
    edtRxLineLimit->SetShowHint(true);
    auto ApplyRxLineLimit = [this](bool Typing) {
        const int Value = edtRxLineLimit->Value();
        if (Value < edtRxLineLimit->MinValue() || Value == FRxLineLimit) return;
        // While the user types, a smaller number may be on its way to a larger one (250 on the way
        // to 25000): it cuts the pane only when the field is left.
        if (Typing && Value < FRxLineLimit) return;
        SetRxLineLimit(Value);
        // Kept for the next window and the next start, in either program.
        WritePrivateProfileString(TerminalSection, u"RxLineLimit", IntToStr(FRxLineLimit), ComPortSettingsFile());
    };
    edtRxLineLimit->OnChange = [this, ApplyRxLineLimit](TObject*) { ApplyRxLineLimit(edtRxLineLimit->Focused()); };
    edtRxLineLimit->OnExit = [ApplyRxLineLimit](TObject*) { ApplyRxLineLimit(false); };
}

void TfrmTerm::BuildPopups() {
    auto Popup = [this](const String& Name, std::initializer_list<TAction*> Actions) {
        auto* P = new TPopupMenu(this);
        P->SetName(Name);
        for (TAction* A : Actions) {
            auto* Item = new TMenuItem(this);
            Item->SetAction(A);
            P->Items()->Add(Item);
        }
        return P;
    };
    pmTx = Popup(u"pmTx", {actClearTx, actClear});
    pmRx = Popup(u"pmRx", {actSetFontRx, actClearRx, actClear, actNewlineOnCR, actNewLineOnLF, actShow_CR_LF});
    pmErrors = Popup(u"pmErrors", {actSetFontErr, actClearErr, actClear});
    pmGraph = Popup(u"pmGraph", {actClearGraph, actGraphRunnigTime});
    pmLog = Popup(u"pmLog", {actEraseLogChannels});
    memo1->SetPopupMenu(pmTx);
    Memo2->SetPopupMenu(pmRx);
    mmoErrors->SetPopupMenu(pmErrors);
    tsGraph->SetPopupMenu(pmGraph);
    lstLogChannels->SetPopupMenu(pmLog);
}

void TfrmTerm::BuildHelp() {
    rtfHelp = new TdaDBRichEdit(this);
    rtfHelp->SetName(u"rtfHelp");
    rtfHelp->SetParent(this);
    rtfHelp->SetVisible(false);
    rtfHelp->SetAutoURLDetect(false);
    rtfHelp->SetHideSelection(false);
    rtfHelp->SetEditorCaption(u"Edit Rich Text");
    rtfHelp->SetMeasurementUnits(muInches);
    // The stored "Data" value: its byte count, then the bytes with their closing zero.
    const std::int32_t Count = sizeof HelpRtf;
    TBytes Data(4 + sizeof HelpRtf);
    std::memcpy(Data.data(), &Count, 4);
    std::memcpy(Data.data() + 4, HelpRtf, sizeof HelpRtf);
    TBytesStream Stream(Data);
    rtfHelp->ReadState([&] {
        rtfHelp->ReadRichEditVersion(2);
        rtfHelp->ReadData(&Stream);
    });
    rtfHelp->OnDblClick = [this](TObject*) { HideHelp(); };
    rtfHelp->OnKeyDown = [this](TObject*, Word& Key, TShiftState) {
        if (Key == VK_ESCAPE) {
            HideHelp();
            Key = 0;
        }
    };
}

void TfrmTerm::FormCreate() {
    LastPanelChannelsWidth = pnlChannels->Width();
    // At the panel's right edge from the start (the label has its size by now), not only after
    // the first resize.
    lblResizeChannelPanel->SetLeft(pnlChannels->Width() - lblResizeChannelPanel->Width() - 4);
    LastUsedLine = 0;
    LastLogValue.fill(0);
    // A saved limit that is not a number gives the default, not the smallest.
    const String Saved = GetPrivateProfileString(TerminalSection, u"RxLineLimit", u"", ComPortSettingsFile());
    SetRxLineLimit(std::clamp(StrToIntDef(Trim(Saved), DefaultRxLineLimit), edtRxLineLimit->MinValue(),
                              edtRxLineLimit->MaxValue()));
    Scope = new tScope(this, tsGraph, alClient, 0, 0, 600, 400, clBlack, 100, 3, 0, 1023, 0.0, 1023.0, 3, pnlInfo);
    Scope->SetName(u"Scope");
    Scope->SetPopupMenu(pmGraph);
    if (FHost == smhIde) {
        LoadComPortSettings(ComPort);
        return;
    }
    if (RestoreComPortSettings(ComPort)) OpenTermPort();
}

void TfrmTerm::FormClose(TCloseAction& Action) {
    if (FMainFormHandle != 0)
        PostMessage(FMainFormHandle, WM_TERMINAL_CLOSED, static_cast<WPARAM>(FTerminalNr), LPARAM(-1));
    // The standalone program ends with its main window; the port closes with its component.
    if (FHost == smhStandalone) return;
    CloseTermPort();
    Action = caHide;
}

void TfrmTerm::SetSerPort() {
    // Applying the dialog may reopen the port and fail: the two port actions follow the port
    // whatever happens.
    TScopeExit Follow([this] { UpdatePortActions(); });
    if (FHost == smhIde) {
        ExecuteComPortSetup(ComPort, u"");
        return;
    }
    if (ExecuteComPortSetup(ComPort, u"", FHost))
        OpenTermPort();
    else
        CloseTermPort();
}

// ---- The port ---------------------------------------------------------------------------------------

void TfrmTerm::SetTermCaption(const String& Value) {
    FTermCaption = Value;
    SetCaption(Value);
}

void TfrmTerm::SetTermPortActive(bool Value) {
    if (Value)
        OpenTermPort();
    else
        CloseTermPort();
}

void TfrmTerm::SetTermParams(int ComNr, int BaudRate) {
    ComPort->SetComNumber(static_cast<Word>(std::clamp(ComNr, 0, 65535)));
    // No rate at all (a configuration without one): the port keeps the one it has, which no
    // device would refuse as it refuses a rate of 0.
    if (BaudRate <= 0) return;
    const int Rate = GetEnumValue(TypeInfo<TSerBaudrate>(), Format(u"br%d", {BaudRate}));
    if (Rate >= 0 && Rate != brUser)
        ComPort->SetBaudRate(static_cast<TSerBaudrate>(Rate));
    else
        ComPort->SetUserBaudRate(BaudRate);
}

void TfrmTerm::OpenTermPort() {
    try {
        ComPort->Open();
        ComPort->PurgeRX();
        ComPort->PurgeTX();
    } catch (const Exception& E) {
        MessageDlg(Format(u"Problem opening COM %d\r%s", {int(ComPort->ComNumber()), E.Message()}), mtError,
                   TMsgDlgButtons{mbOK}, 0);
    }
    UpdatePortActions();
}

void TfrmTerm::CloseTermPort() {
    ComPort->Close();
    UpdatePortActions();
}

void TfrmTerm::UpdatePortActions() {
    actCloseComPort->SetEnabled(ComPort->Active());
    actOpenComPort->SetEnabled(!ComPort->Active());
}

void TfrmTerm::UpdatePortCaption() {
    const String Rate = GetEnumName(TypeInfo<TSerBaudrate>(), ComPort->BaudRate());
    // The device the number stands for follows, so that the user sees which one it is.
    const String Device = SerialPortDeviceName(ComPort->ComNumber());
    const String On = Device.empty() ? String() : u" on " + Device;
    ledConnected->SetHint(Format(u"COM%d, Baudrate=%s", {int(ComPort->ComNumber()), Rate}) + On);
    SetCaption(Format(u"%s <COM%d, %s>", {FTermCaption, int(ComPort->ComNumber()), Rate}) + On);
}

void TfrmTerm::DeviceGone() {
    if (FDeviceGoneTold) return;
    FDeviceGoneTold = true;
    // Closing waits for the port's event thread, which waits for the event that told us.
    PostMessage(Handle(), WM_TERMINAL_DEVICE_GONE, 0, 0);
}

void TfrmTerm::CloseGonePort() {
    if (!ComPort->Active()) return;
    CloseTermPort();
    // The device as it was while open: its path may lead nowhere now.
    MessageDlg(Format(u"%s: the device is gone (unplugged or switched off).\rThe port is closed; open it again "
                      u"once the device is back.",
                      {FPortTitle}),
               mtError, TMsgDlgButtons{mbOK}, 0);
}

void TfrmTerm::WndProc(TMessage& Message) {
    if (Message.Msg == WM_TERMINAL_DEVICE_GONE) {
        CloseGonePort();
        return;
    }
    TForm::WndProc(Message);
}

void TfrmTerm::SendText(const String& Text) {
    if (ComPort->Active() && !ComPort->DeviceGone()) ComPort->WriteString(ToWire(Text));
}

void TfrmTerm::AddErrorLine(const String& Text) {
    mmoErrors->Lines()->Add(Text);
    if (mmoErrors->Height() < 10) mmoErrors->SetHeight(Memo2->Height() / 3);
}

// ---- Receiving --------------------------------------------------------------------------------------

void TfrmTerm::ComPortDataRecived(int Count) {
    if (Count <= 0) return;
    // Only what the input queue holds now: a late notification may count bytes already read.
    Count = std::min(Count, ComPort->InBufUsed());
    if (Count <= 0) return;
    AnsiString Bytes(static_cast<std::size_t>(Count), '\0');
    try {
        ComPort->ReadData(Bytes.data(), Count);
    } catch (const ESerComPortError&) {
        // A device that went away fails its reads: that is told once, as the hang-up.
        if (!ComPort->DeviceGone()) throw;
        DeviceGone();
        return;
    }
    ReceiveBytes(Bytes);
}

void TfrmTerm::ReceiveBytes(const AnsiString& Bytes) {
    if (Scope) Scope->BeginUpdate();
    TScopeExit Flush([this] {
        FlushReceived();
        TrimReceived();
        FlushLog();
        if (Scope) Scope->EndUpdate();
    });
    for (char C : Bytes)
        ReceiveByte(static_cast<Byte>(C));
}

void TfrmTerm::SetRxLineLimit(int Value) {
    Value = std::max(Value, 1);
    if (Value == FRxLineLimit) return;
    FRxLineLimit = Value;
    if (edtRxLineLimit && edtRxLineLimit->Value() != Value) edtRxLineLimit->SetValue(Value);
    TrimReceived();
}

void TfrmTerm::TrimReceived() {
    const int Count = static_cast<int>(Memo2->Perform(EM_GETLINECOUNT));
    if (Count <= FRxLineLimit) return;
    // The oldest lines go in one cut; the view stays at the newest.
    const int Drop = Count - FRxLineLimit;
    const LRESULT Cut = Memo2->Perform(EM_LINEINDEX, static_cast<WPARAM>(Drop));
    const String Empty;
    Memo2->Perform(EM_SETSEL, 0, Cut);
    Memo2->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(&Empty));
    const int End = Memo2->GetTextLen();
    Memo2->Perform(EM_SETSEL, static_cast<WPARAM>(End), End);
    LastUsedLine = std::max(0, LastUsedLine - Drop);
    FPendingLine = std::max(0, FPendingLine - Drop);
}

void TfrmTerm::ReceiveByte(Byte C) {
    if (actInterpretChannelCommands->Checked() && C == '[') {
        InsideMessage = true;
        sMessage.clear();
        return;
    }
    if (InsideMessage) {
        if (C == ']') {
            InsideMessage = false;
            RunCommand();
            return;
        }
        if (sMessage.size() < static_cast<std::size_t>(MaxChannelCommandLength)) {
            sMessage += static_cast<char>(C);
            return;
        }
        // A bracket that never closes would hide everything after it: the command is given up
        // and this byte is shown again.
        InsideMessage = false;
        AddErrorLine(u"Unknown command: " + FromWire(sMessage.substr(0, QuotedCommandBytes)));
        sMessage.clear();
    }
    DisplayByte(C);
}

void TfrmTerm::RunCommand() {
    if (sMessage.empty()) return;
    const char Kind = sMessage[0];
    if (Kind == '!' || Kind == '*') {
        if (sMessage.size() < 2) return;
        const Char Letter = FromWire(sMessage.substr(1, 1))[0];
        const String Value = FromWire(sMessage.substr(2, 253));
        if (Kind == '!')
            ApplyChannelMax(Letter, Value);
        else
            ApplyChannelValue(Letter, Value);
        return;
    }
    AddErrorLine(u"Unknown command: " + FromWire(sMessage.substr(0, 1)) + u" Message:" + FromWire(sMessage));
}

void TfrmTerm::DisplayByte(Byte C) {
    String Marker;
    if (C == 2)
        Marker = u"<STX>";
    else if (C == 10 && actShow_CR_LF->Checked())
        Marker = u"<LF>";
    else if (C == 13 && actShow_CR_LF->Checked())
        Marker = u"<CR>";
    if (!Marker.empty()) AddPending(Marker);
    if ((C == 13 && actNewlineOnCR->Checked()) || (C == 10 && actNewLineOnLF->Checked())) {
        const int Lines = static_cast<int>(Memo2->Perform(EM_GETLINECOUNT)) + FPendingBreaks;
        if (LastUsedLine == Lines - 1) {
            // The line being filled is the pane's last: the new line goes in with the text.
            AddPending(u"\r\n");
            ++FPendingBreaks;
            ++LastUsedLine;
        } else {
            FlushReceived();
            ++LastUsedLine;
            EnsureLine(LastUsedLine);
        }
    }
    if (Marker.empty() && C != 2 && C != 10 && C != 13) {
        const char B = static_cast<char>(C);
        AddPending(TEncoding::ANSI()->GetString(reinterpret_cast<const Byte*>(&B), 1));
    }
}

void TfrmTerm::AddPending(const String& Text) {
    if (FPendingText.empty()) FPendingLine = LastUsedLine;
    FPendingText += Text;
}

void TfrmTerm::FlushReceived() {
    if (FPendingText.empty()) return;
    AppendToLine(FPendingLine, FPendingText);
    FPendingText.clear();
    FPendingBreaks = 0;
}

void TfrmTerm::EnsureLine(int Line) {
    const int Count = static_cast<int>(Memo2->Perform(EM_GETLINECOUNT));
    if (Count > Line) return;
    String Breaks;
    for (int I = Count; I <= Line; ++I)
        Breaks += u"\r\n";
    const int End = Memo2->GetTextLen();
    Memo2->Perform(EM_SETSEL, static_cast<WPARAM>(End), End);
    Memo2->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(&Breaks));
}

void TfrmTerm::AppendToLine(int Line, const String& Text) {
    // The text goes in at the end of the line, without rewriting what the line holds already.
    EnsureLine(Line);
    const LRESULT Start = Memo2->Perform(EM_LINEINDEX, static_cast<WPARAM>(Line));
    const LRESULT End = Start + Memo2->Perform(EM_LINELENGTH, static_cast<WPARAM>(Start));
    Memo2->Perform(EM_SETSEL, static_cast<WPARAM>(End), End);
    Memo2->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(&Text));
}

void TfrmTerm::ClearRx() {
    FPendingText.clear();
    FPendingBreaks = 0;
    Memo2->Clear();
    LastUsedLine = 0;
}

// ---- Channels ---------------------------------------------------------------------------------------

Char TfrmTerm::ConvertChannel(Char Letter, const String& Table) {
    const std::size_t P = Table.find(Letter);
    if (P != String::npos && P < 8) return ChannelNames[P];
    if (Letter >= u'A' && Letter <= u'H') return Letter;
    return u'?';
}

void TfrmTerm::ApplyChannelMax(Char Letter, const String& ValueText) {
    const Char C = ConvertChannel(Letter, edtChannelConversionTable->Text());
    if (auto* Bar = dynamic_cast<TKitGradientProgressBar*>(FindComponent(u"bar" + String(1, C)))) {
        Bar->SetMax(ParseValue(ValueText));
        Bar->SetHint(IntToStr(ParseValue(ValueText)));
    }
}

void TfrmTerm::ApplyChannelValue(Char Letter, const String& ValueText) {
    const Char C = ConvertChannel(Letter, edtChannelConversionTable->Text());
    const String Channel(1, C);
    const int V = ParseValue(ValueText);
    if (auto* Box = dynamic_cast<TStaticText*>(FindComponent(u"txt" + Channel))) {
        Box->SetCaption(ValueText);
        // Set once: a font change costs a new font on every value.
        if (Box->Color() != clNavy) Box->SetColor(clNavy);
        if (Box->Font()->Color() != clYellow) Box->Font()->SetColor(clYellow);
        if (Box->Font()->Style() != TFontStyles{fsBold}) Box->Font()->SetStyle(TFontStyles{fsBold});
        if (pgc1->ActivePage() == tsGraph)
            if (tChannel* Ch = Scope->FindChannelByName(Channel))
                Scope->NewChannelPoint(Ch, V, actGraphRunnigTime->Checked());
        if (chkLogChannels->Checked()) LogChannelValue(Letter, C, V);
    } else {
        AddErrorLine(u"Invalid channel: " + String(1, Letter) + u"<converted:" + Channel + u"> Value:" + ValueText);
    }
    if (auto* Bar = dynamic_cast<TKitGradientProgressBar*>(FindComponent(u"bar" + Channel))) Bar->SetPosition(V);
}

void TfrmTerm::LogChannelValue(Char Letter, Char Channel, int Value) {
    const std::size_t Index = ChannelNames.find(Channel);
    if (chkLogChangeOnly->Checked()) {
        if (Index == String::npos || LastLogValue[Index] == Value) return;
        LastLogValue[Index] = Value;
    }
    FPendingLog.push_back(Format(u"%s/%s: %d", {String(1, Letter), String(1, Channel), Value}));
    // Outside a received block (a caller of its own) the line goes in at once.
    if (!Scope || !Scope->Updating()) FlushLog();
}

void TfrmTerm::FlushLog() {
    if (FPendingLog.empty()) return;
    // The block's lines go in at once, with the log's rule applied as if one by one: a log of
    // more than 1000 lines is cut to its newest 200 before the next line goes on top.
    TStrings* Lines = lstLogChannels->Items();
    int Count = Lines->Count();
    for (std::size_t I = 0; I < FPendingLog.size(); ++I) {
        if (Count > 1000) Count = 200;
        ++Count;
    }
    const int New = static_cast<int>(FPendingLog.size());
    const int Kept = std::max(0, Count - New);
    std::vector<String> Result;
    Result.reserve(static_cast<std::size_t>(Count));
    for (int I = New - 1; I >= 0 && static_cast<int>(Result.size()) < Count; --I)
        Result.push_back(std::move(FPendingLog[static_cast<std::size_t>(I)]));
    for (int I = 0; I < Kept; ++I)
        Result.push_back(Lines->Strings(I));
    FPendingLog.clear();
    Lines->BeginUpdate();
    TScopeExit Done([Lines] { Lines->EndUpdate(); });
    Lines->Clear();
    for (String& L : Result)
        Lines->Add(L);
}

// ---- Help and the test signal ----------------------------------------------------------------------

void TfrmTerm::ShowHelp() {
    rtfHelp->SetBounds(0, 0, ClientWidth(), ClientHeight());
    rtfHelp->BringToFront();
    rtfHelp->SetVisible(true);
    // Escape reaches the pane that has the focus.
    if (Visible()) rtfHelp->SetFocus();
}

void TfrmTerm::HideHelp() {
    rtfHelp->SetVisible(false);
}

void TfrmTerm::RunTestSignal() {
    // A second "Test" while the signal runs would nest a second loop inside the first.
    if (FTestRunning) return;
    FTestRunning = true;
    TScopeExit Done([this] { FTestRunning = false; });
    StopRequest = false;
    std::mt19937 Random(GetTickCount());
    std::uniform_int_distribution<int> Full(0, 1023), Half(0, 511);
    while (!StopRequest && !Application->Terminated() && !ComponentState().Contains(csDestroying)) {
        Scope->NewPoint({Full(Random), Full(Random), Half(Random)});
        const UInt64 Until = GetTickCount64() + 40;
        while (!StopRequest && GetTickCount64() < Until) {
            Application->ProcessMessages();
            Sleep(1);
        }
    }
}

void TfrmTerm::ChooseFont(TMemo* Memo) {
    dlgSelect->SetFont(Memo->Font());
    if (dlgSelect->Execute()) Memo->Font()->Assign(dlgSelect->Font());
}

void RegisterTerminalClasses() {
    for (TClass C : {TLed::StaticClass(), TKitBaseProgressBar::StaticClass(),
                     TKitBaseGradientProgressBar::StaticClass(), TKitCustomGradientProgressBar::StaticClass(),
                     TKitGradientProgressBar::StaticClass(), tScope::StaticClass(), TfrmTerm::StaticClass()})
        RegisterClass(C);
}
