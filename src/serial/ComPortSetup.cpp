#include "serial/ComPortSetup.h"

#include "platform/base/DateTime.h"
#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/Ini.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Questions.h"
#include "serial/ComScan.h"

#include <memory>

namespace {

template <class E> String NameOf(E Value) {
    return GetEnumName(TypeInfo<E>(), Value);
}

// The value whose name matches Text without regard to case; else the message box and Default.
template <class E>
E ReadEnum(const String& File, const String& Section, const String& Key, E Default, const char16_t* Message,
           int ComNumber) {
    const String Text = GetPrivateProfileString(Section, Key, NameOf(Default), File);
    for (int I = 0; I < EnumCountOf(static_cast<E*>(nullptr)); ++I)
        if (SameText(Text, NameOf(static_cast<E>(I)))) return static_cast<E>(I);
    ApplicationMessageBox(Format(Message, {ComNumber, Text, String(u"\r")}), u"Error", MB_OK | MB_ICONERROR);
    return Default;
}

struct TSavedPort {
    int ComNr;
    TSerBaudrate BaudRate;
    int UserBaudRate;
    TSerParity Parity;
    TSerDatabits DataBits;
    TSerStopbits StopBits;
    bool Active;
};

TSavedPort ReadSection(const String& Section) {
    const String File = ComPortSettingsFile();
    TSavedPort P;
    P.ComNr = GetPrivateProfileInt(Section, u"ComNr", 1, File);
    P.BaudRate = ReadEnum(File, Section, u"BaudRate", br9600,
                          u"COM%d: Invalid baud rate: %s.%sDefault value used", P.ComNr);
    P.UserBaudRate = GetPrivateProfileInt(Section, u"UserBaudRate", 300, File);
    P.Parity = ReadEnum(File, Section, u"Parity", paNone,
                        u"COM%d: Invalid parity value: %s.%sDefault value used", P.ComNr);
    P.DataBits = ReadEnum(File, Section, u"DataBits", db8,
                          u"COM%d: Invalid bit number: %s.%sDefault value used", P.ComNr);
    P.StopBits = ReadEnum(File, Section, u"StopBits", sbTwo,
                          u"COM%d: Invalid stopbit number: %s.%sDefault value used", P.ComNr);
    P.Active = GetPrivateProfileInt(Section, u"Active", 0, File) != 0;
    return P;
}

void Apply(const TSavedPort& P, TSerComPort* Port, bool WithUserRate) {
    Port->SetComNumber(static_cast<Word>(std::clamp(P.ComNr, 0, 65535)));
    Port->SetBaudRate(P.BaudRate);
    if (P.BaudRate == brUser && WithUserRate) Port->SetUserBaudRate(P.UserBaudRate);
    Port->SetParity(P.Parity);
    Port->SetDatabits(P.DataBits);
    Port->SetStopbits(P.StopBits);
}

TComboBox* MakeCombo(TfrmComPortSetup* Form, const String& Name, int Top, const TTypeInfo* Info, int Count) {
    auto* C = new TComboBox(Form);
    C->SetName(Name);
    C->SetParent(Form);
    C->SetStyle(csDropDownList);
    C->SetBounds(256, Top, 120, 21);
    for (int I = 0; I < Count; ++I)
        C->Items()->Add(GetEnumName(Info, I));
    return C;
}

void MakeLabel(TfrmComPortSetup* Form, const String& Caption, int Top) {
    auto* L = new TLabel(Form);
    L->SetParent(Form);
    L->SetBounds(184, Top + 3, 70, 13);
    L->SetCaption(Caption);
}

} // namespace

String ComPortSettingsFile() {
    return ChangeFileExt(ProgramFile(), u".ConfSer");
}

TfrmComPortSetup::TfrmComPortSetup(TComponent* AOwner, TSerMonitorHost Host) : TForm(AOwner), FHost(Host) {
    BuildForm([this] {
        SetName(u"frmComPortSetup");
        SetCaption(u"Com Port Setup");
        SetBorderStyle(Forms::bsDialog);
        SetBorderIcons(TBorderIcons{});
        SetPosition(poMainFormCenter);
        // The port list is wide enough for each number's device.
        SetClientWidth(384);
        SetClientHeight(265);
        lstComs = new TListBox(this);
        lstComs->SetName(u"lstComs");
        lstComs->SetParent(this);
        lstComs->SetBounds(8, 8, 168, 217);
        lstComs->OnClick = [this](TObject*) { EnableButtons(lstComs->Items()->Count() > 0); };
        lstComs->OnDblClick = [this](TObject*) { SetModalResult(mrOk); };
        chkComActive = new TCheckBox(this);
        chkComActive->SetName(u"chkComActive");
        chkComActive->SetParent(this);
        chkComActive->SetBounds(184, 8, 100, 17);
        chkComActive->SetCaption(u"Active");
        MakeLabel(this, u"Baudrate:", 32);
        cbbBaudRate = MakeCombo(this, u"cbbBaudRate", 32, TypeInfo<TSerBaudrate>(), brUser + 1);
        cbbBaudRate->OnChange = [this](TObject*) {
            edtUserBaudRate->SetEnabled(cbbBaudRate->ItemIndex() == brUser);
        };
        MakeLabel(this, u"Usr.BdRate", 58);
        edtUserBaudRate = new TSpinEdit(this);
        edtUserBaudRate->SetName(u"edtUserBaudRate");
        edtUserBaudRate->SetParent(this);
        edtUserBaudRate->SetBounds(256, 58, 120, 22);
        edtUserBaudRate->SetMinValue(30);
        edtUserBaudRate->SetMaxValue(1000000);
        edtUserBaudRate->SetMaxLength(12);
        edtUserBaudRate->SetValue(921600);
        edtUserBaudRate->SetEnabled(false);
        MakeLabel(this, u"Parity", 86);
        cbParity = MakeCombo(this, u"cbParity", 86, TypeInfo<TSerParity>(), paSpace + 1);
        MakeLabel(this, u"Data bits:", 112);
        cbDataBits = MakeCombo(this, u"cbDataBits", 112, TypeInfo<TSerDatabits>(), db8 + 1);
        MakeLabel(this, u"Stop bits:", 138);
        cbStopBits = MakeCombo(this, u"cbStopBits", 138, TypeInfo<TSerStopbits>(), sbTwo + 1);
        bbtnLoad = new TButton(this);
        bbtnLoad->SetName(u"bbtnLoad");
        bbtnLoad->SetParent(this);
        bbtnLoad->SetBounds(184, 170, 92, 25);
        bbtnLoad->SetCaption(u"Load");
        bbtnLoad->OnClick = [this](TObject*) { LoadSettings(ComPortName); };
        bbtnSave = new TButton(this);
        bbtnSave->SetName(u"bbtnSave");
        bbtnSave->SetParent(this);
        bbtnSave->SetBounds(284, 170, 92, 25);
        bbtnSave->SetCaption(u"Save");
        bbtnSave->SetEnabled(false);
        bbtnSave->OnClick = [this](TObject*) { SaveSettings(ComPortName); };
        bbtnOK = new TBitBtn(this);
        bbtnOK->SetName(u"bbtnOK");
        bbtnOK->SetParent(this);
        bbtnOK->SetKind(bkOK);
        bbtnOK->SetBounds(184, 200, 92, 25);
        bbtnOK->SetEnabled(false);
        bbtnCancel = new TBitBtn(this);
        bbtnCancel->SetName(u"bbtnCancel");
        bbtnCancel->SetParent(this);
        bbtnCancel->SetKind(bkCancel);
        bbtnCancel->SetBounds(284, 200, 92, 25);
        pnlHint = new TPanel(this);
        pnlHint->SetName(u"pnlHint");
        pnlHint->SetParent(this);
        pnlHint->SetAlign(alBottom);
        pnlHint->SetHeight(32);
        pnlHint->SetCaption(u"");
        comTest = new TSerComPort(this);
        comTest->SetName(u"comTest");
        comTest->SetBaudRate(br19200);
        comTest->SetComNumber(1);
        OnCreate = [this](TObject*) { ScanPorts(); };
    });
}

void TfrmComPortSetup::ScanPorts() {
    lstComs->Items()->Clear();
    int Free = 0;
    std::unique_ptr<TfrmComScanBar> Bar;
    if (FHost == smhIde) {
        Bar.reset(new TfrmComScanBar(this));
        Bar->Show();
    }
    ScanComPorts(
        comTest,
        [&Bar](int N) {
            if (Bar) Bar->SetProgress(N);
        },
        [&](int N, bool Busy) {
            lstComs->Items()->Add(ComPortEntry(u"COM %d", N));
            if (Busy)
                lstComs->SetItemIndex(Free);
            else
                ++Free;
        });
}

void TfrmComPortSetup::EnableButtons(bool Enabled) {
    bbtnOK->SetEnabled(Enabled);
    bbtnSave->SetEnabled(Enabled);
}

void TfrmComPortSetup::SelectPort(int ComNumber) {
    const int Index = IndexOfComPort(lstComs->Items(), ComNumber);
    if (Index >= 0) lstComs->SetItemIndex(Index);
}

void TfrmComPortSetup::ShowValues(TSerComPort* ComPort) {
    cbbBaudRate->SetItemIndex(ComPort->BaudRate());
    // The spin edit keeps its range; a value it refuses leaves 9600.
    try {
        edtUserBaudRate->SetValue(
            std::clamp(ComPort->UserBaudRate(), edtUserBaudRate->MinValue(), edtUserBaudRate->MaxValue()));
    } catch (const Exception&) {
        edtUserBaudRate->SetValue(9600);
    }
    edtUserBaudRate->SetEnabled(cbbBaudRate->ItemIndex() == brUser);
    cbParity->SetItemIndex(ComPort->Parity());
    cbDataBits->SetItemIndex(ComPort->Databits());
    cbStopBits->SetItemIndex(ComPort->Stopbits());
}

void TfrmComPortSetup::SetCom(TSerComPort* ComPort) {
    chkComActive->SetChecked(ComPort->Active());
    if (lstComs->Items()->Count() == 0) return;
    SelectPort(ComPort->ComNumber());
    ShowValues(ComPort);
}

void TfrmComPortSetup::UpdateSetting(TSerComPort* ComPort) {
    const int Index = lstComs->ItemIndex();
    if (Index < 0) return;
    const bool WasOpen = ComPort->Active();
    // A closed port is left alone: closing it again would report a close that never happened.
    if (WasOpen) ComPort->Close();
    const String Entry = lstComs->Items()->Strings(Index);
    ComPort->SetComNumber(static_cast<Word>(ComNumberOfEntry(Entry)));
    ComPort->SetBaudRate(static_cast<TSerBaudrate>(std::max(cbbBaudRate->ItemIndex(), 0)));
    if (ComPort->BaudRate() == brUser) ComPort->SetUserBaudRate(edtUserBaudRate->Value());
    ComPort->SetParity(static_cast<TSerParity>(std::max(cbParity->ItemIndex(), 0)));
    ComPort->SetDatabits(static_cast<TSerDatabits>(std::max(cbDataBits->ItemIndex(), 0)));
    ComPort->SetStopbits(static_cast<TSerStopbits>(std::max(cbStopBits->ItemIndex(), 0)));
    if (WasOpen) ComPort->Open();
}

void TfrmComPortSetup::SaveSettings(const String& Section) {
    UpdateSetting(comTest);
    // All keys in one atomic write: an interrupted save leaves the old settings, not half of them.
    TMemIniFile Ini(ComPortSettingsFile());
    auto Write = [&](const char16_t* Key, const String& Value) { Ini.WriteString(Section, Key, Value); };
    Write(u"Active", chkComActive->Checked() ? u"1" : u"0");
    Write(u"ComNr", IntToStr(comTest->ComNumber()));
    Write(u"BaudRate", NameOf(comTest->BaudRate()));
    Write(u"UserBaudRate", IntToStr(comTest->UserBaudRate()));
    Write(u"Parity", NameOf(comTest->Parity()));
    Write(u"DataBits", NameOf(comTest->Databits()));
    Write(u"StopBits", NameOf(comTest->Stopbits()));
    Write(u"LastChange", FormatDateTime(u"d.m.yyyy, hh:nn:ss", Now()));
    Ini.UpdateFile();
}

void TfrmComPortSetup::LoadSettings(const String& Section) {
    const TSavedPort P = ReadSection(Section);
    Apply(P, comTest, true);
    const int Index = IndexOfComPort(lstComs->Items(), P.ComNr);
    lstComs->SetItemIndex(Index);
    ShowValues(comTest);
    edtUserBaudRate->SetValue(
        std::clamp(P.UserBaudRate, edtUserBaudRate->MinValue(), edtUserBaudRate->MaxValue()));
    chkComActive->SetChecked(P.Active);
    EnableButtons(Index >= 0);
}

bool ExecuteComPortSetup(TSerComPort* Port, const String& Hint, TSerMonitorHost Host) {
    std::unique_ptr<TfrmComPortSetup> Form(new TfrmComPortSetup(nullptr, Host));
    Form->SetCom(Port);
    Form->EnableButtons(Form->lstComs->ItemIndex() >= 0);
    Form->ComPortName = Port->Name();
    if (!Hint.empty()) Form->pnlHint->SetCaption(Hint);
    if (Form->ShowModal() != mrOk) return false;
    Form->UpdateSetting(Port);
    return Form->lstComs->ItemIndex() >= 0 && Form->chkComActive->Checked();
}

void LoadComPortSettings(TSerComPort* Port) {
    Apply(ReadSection(Port->Name()), Port, true);
}

bool RestoreComPortSettings(TSerComPort* Port) {
    std::unique_ptr<TfrmComPortSetup> Form(new TfrmComPortSetup(nullptr, smhStandalone));
    Form->ComPortName = Port->Name();
    Form->LoadSettings(Form->ComPortName);
    Form->UpdateSetting(Port);
    return Form->lstComs->ItemIndex() >= 0 && Form->chkComActive->Checked();
}
