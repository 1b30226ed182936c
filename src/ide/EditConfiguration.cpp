#include "ide/EditConfiguration.h"

#include "ide/DMImages.h"
#include "ide/Main.h"
#include "ide/Options.h"

#include "serial/ComScan.h"

#include "platform/base/DateTime.h"
#include "platform/base/Encoding.h"
#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/Strings.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Placing.h"
#include "platform/gui/Questions.h"

#include <cerrno>
#include <cstring>

namespace {

const char16_t* const BaudRates[] = {u"2400",  u"4800",  u"9600",  u"14400", u"19200",
                                     u"28800", u"38400", u"57600", u"115200"};

const char16_t* const ConfigCaption = u"MORVANE - Project configuration";

// The colour of a dialog holding unsaved changes.
constexpr TColor ModifiedColor = TColor(13821680);

TLabel* MakeLabel(TfrmEditConfiguration* Form, const String& Name, const String& Text, int Left, int Top) {
    TLabel* L = MakeControl<TLabel>(Form, Form, Name, Left, Top, 100, 16);
    L->SetCaption(Text);
    return L;
}

} // namespace

TfrmEditConfiguration::TfrmEditConfiguration(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"frmEditConfiguration");
        SetCaption(u"Edit Configuration");
        SetBorderStyle(Forms::bsDialog);
        SetBorderIcons(TBorderIcons{});
        SetPosition(poMainFormCenter);
        SetKeyPreview(true);
        SetClientWidth(384);
        SetClientHeight(236);

        actlst1 = new TActionList(this);
        actlst1->SetName(u"actlst1");
        actlst1->SetImages(frmDM ? frmDM->imglstMenu : nullptr);
        auto MakeAction = [this](const String& Name, const String& Caption, const String& Hint, int Image) {
            TAction* A = new TAction(this);
            A->SetName(Name);
            A->SetCaption(Caption);
            A->SetHint(Hint);
            A->SetImageIndex(Image);
            A->SetActionList(actlst1);
            return A;
        };
        actClose = MakeAction(u"actClose", u"Close", u"Close configuration window", mgClose);
        actSave = MakeAction(u"actSave", u"Save", u"Save changes to configuration", mgSave);
        actSave->SetEnabled(false);
        actClose->OnExecute = [this](TObject*) { CloseConfiguration(); };
        actSave->OnExecute = [this](TObject*) { SaveConfiguration(); };

        tlb1 = MakeControl<TToolBar>(this, this, u"tlb1", alTop);
        tlb1->SetImages(frmDM ? frmDM->imglstMenu : nullptr);
        tlb1->SetButtonWidth(31);
        tlb1->SetButtonHeight(30);
        tlb1->SetHeight(34);
        tlb1->SetShowHint(true);
        btnClose = new TToolButton(this);
        btnClose->SetName(u"btnClose");
        btnClose->SetAction(actClose);
        btnClose->SetShowHint(true);
        btnClose->SetParent(tlb1);
        btnSave = new TToolButton(this);
        btnSave->SetName(u"btnSave");
        btnSave->SetAction(actSave);
        btnSave->SetShowHint(true);
        btnSave->SetParent(tlb1);

        lblProjectName = MakeControl<TLabel>(this, this, u"lblProjectName", 12, 42, 336, 26);
        lblProjectName->SetCaption(u"");
        lblProjectName->Font()->SetName(u"Tahoma");
        lblProjectName->Font()->SetHeight(-21);
        lblProjectName->Font()->SetStyle(TFontStyles{fsBold});
        lblProjectName->Font()->SetColor(clMaroon);

        lblArduino = MakeLabel(this, u"lblArduino", u"Arduino type:", 12, 82);
        cbbArduino = MakeControl<TComboBox>(this, this, u"cbbArduino", 100, 78, 160, 22);
        cbbArduino->SetStyle(csDropDownList);
        cbbArduino->SetDropDownCount(20);
        chkOnlySelected = MakeControl<TCheckBox>(this, this, u"chkOnlySelected", 268, 80, 108, 20);
        chkOnlySelected->SetCaption(u"Only selected");
        chkOnlySelected->SetHint(u"Show only items selected on the Setup page");
        chkOnlySelected->SetShowHint(true);

        lblCpu = MakeLabel(this, u"lblCpu", u"CPU", 12, 112);
        cbbCpu = MakeControl<TComboBox>(this, this, u"cbbCpu", 100, 108, 160, 22);
        cbbCpu->SetStyle(csDropDownList);
        ShowCpu(false);

        lblComNr = MakeLabel(this, u"lblComNr", u"ComNr", 12, 142);
        seComNr = MakeControl<TSpinEdit>(this, this, u"seComNr", 100, 138, 70, 22);
        seComNr->SetValue(1);
        btnScanComPorts = MakeControl<TButton>(this, this, u"btnScanComPorts", 176, 137, 84, 24);
        btnScanComPorts->SetCaption(u"Scan ports");
        btnScanComPorts->SetHint(u"Find available COM ports");
        btnScanComPorts->SetShowHint(true);

        lblBaudrate = MakeLabel(this, u"lblBaudrate", u"Baud rate", 12, 172);
        cbbBaudrate = MakeControl<TComboBox>(this, this, u"cbbBaudrate", 100, 168, 160, 22);
        cbbBaudrate->SetStyle(csDropDownList);
        for (const char16_t* Rate : BaudRates) cbbBaudrate->Items()->Add(Rate);
        cbbBaudrate->SetItemIndex(7);

        lblCreated = MakeControl<TLabel>(this, this, u"lblCreated", 12, 196, 336, 16);
        lblCreated->SetVisible(false);
        lblLastEdited = MakeControl<TLabel>(this, this, u"lblLastEdited", 180, 196, 168, 16);
        lblLastEdited->SetVisible(false);

        statInfo = MakeControl<TStatusBar>(this, this, u"statInfo", alBottom);
        statInfo->Panels()->Add();

        cbbArduino->OnChange = [this](TObject*) { cbbArduinoChange(); };
        cbbCpu->OnChange = [this](TObject*) { cbbCpuChange(); };
        seComNr->OnChange = [this](TObject*) { SetConfigModified(true); };
        cbbBaudrate->OnChange = [this](TObject*) { SetConfigModified(true); };
        chkOnlySelected->OnClick = [this](TObject*) { FillBoardList(chkOnlySelected->Checked()); };
        btnScanComPorts->OnClick = [this](TObject*) { ScanComPorts(); };
        OnKeyDown = [this](TObject*, Word& Key, TShiftState) {
            // Escape in a list that is down only closes the list.
            auto* Combo = dynamic_cast<TCustomComboBox*>(ActiveControl());
            if (Key == VK_ESCAPE && !(Combo && Combo->DroppedDown())) {
                Key = 0;
                CloseConfiguration();
            }
        };
        OnCloseQuery = [this](TObject* Sender, bool& CanClose) { FormCloseQuery(Sender, CanClose); };
    });
    slConfiguration = std::make_unique<TStringList>();
    FillBoardList(chkOnlySelected->Checked());
}

TfrmEditConfiguration::~TfrmEditConfiguration() = default;

void TfrmEditConfiguration::FillBoardList(bool OnlySelected) {
    // The board on show stays chosen when the new list has it; when it does not, it stays in
    // force, so that a save does not lose it.
    const String Shown = cbbArduino->ItemIndex() >= 0 ? cbbArduino->Text() : String();
    const String Internal = Shown.empty() || !frmOptions ? String() : frmOptions->GetInternalArduinoName(Shown);
    cbbArduino->Items()->Clear();
    if (frmOptions) cbbArduino->Items()->Assign(frmOptions->GetArduinoList(OnlySelected));
    if (Shown.empty()) return;
    const int Index = cbbArduino->Items()->IndexOf(Shown);
    cbbArduino->SetItemIndex(Index);
    if (Index < 0 && !Internal.empty()) {
        FKeptBoard = Internal;
        FKeptCPU = cbbCpu->Visible() ? cbbCpu->Text() : String();
        ShowCpu(false);
    }
}

void TfrmEditConfiguration::ShowCpu(bool Value) {
    cbbCpu->SetVisible(Value);
    lblCpu->SetVisible(Value);
}

void TfrmEditConfiguration::SetConfigModified(bool Value) {
    FConfigModified = Value;
    actSave->SetEnabled(Value);
    SetColor(Value ? ModifiedColor : clBtnFace);
}

void TfrmEditConfiguration::BoardWarning(const String& Name) {
    MessageBox(Handle(),
               u"Selected Arduino board <" + Name + u"> not found in BoardsList in the Options." + u"\r\r" +
                   u"Please check Morvane options,clear list of \"Used Arduinos\" and reselect them",
               u"Error in configuration", MB_ICONWARNING | MB_OK);
}

void TfrmEditConfiguration::OpenConfigFile(const String& ProjectPath, const String& ProjectName) {
    FProjectName = ProjectName;
    FPath = ProjectPath + u"Morvane.prj";
    FKeptBoard.clear();
    FKeptCPU.clear();
    if (FileExists(FPath)) {
        TfrmMain::LoadConfigFile(FPath, slConfiguration.get());
        String UnknownBoard;
        bool BoardRead = false;
        for (int I = 0; I < slConfiguration->Count(); ++I) {
            const String Line = Trim(slConfiguration->Strings(I));
            if (Line.empty() || Line[0] == u';') continue;
            const int Eq = Pos(u"=", Line);
            if (Eq == 0) continue;
            const String Key = AnsiUpperCase(Trim(Copy(Line, 1, Eq - 1)));
            const String Value = Trim(Copy(Line, Eq + 1, 1024));
            if (Key == u"ARDUINOTYPE") {
                BoardRead = true;
                const String Friendly = frmOptions ? frmOptions->GetUserFriendlyArduinoName(Value) : String();
                const int Index = Friendly.empty() ? -1 : cbbArduino->Items()->IndexOf(Friendly);
                if (Index >= 0) {
                    cbbArduino->SetItemIndex(Index);
                    LoadCpuList(frmOptions->GetInternalArduinoName(cbbArduino->Text()));
                    FKeptBoard.clear();
                    FKeptCPU.clear();
                    UnknownBoard.clear();
                } else {
                    // A board the list cannot show stays the sketch's board until the user
                    // picks another one.
                    cbbArduino->SetItemIndex(-1);
                    cbbCpu->Items()->Clear();
                    ShowCpu(false);
                    FKeptBoard = Value;
                    FKeptCPU.clear();
                    UnknownBoard = Value;
                }
            } else if (Key == u"CPU") {
                if (!FKeptBoard.empty()) FKeptCPU = Value;
                if (cbbCpu->Items()->Count() > 0) {
                    const int Index = cbbCpu->Items()->IndexOf(Value);
                    cbbCpu->SetItemIndex(Index);
                    if (Index >= 0) LastSelectedCPU = Value;
                } else {
                    cbbCpu->SetItemIndex(-1);
                }
            } else if (Key == u"COMPORT") {
                seComNr->SetValue(StrToIntDef(Value, 1));
            } else if (Key == u"BAUDRATE") {
                cbbBaudrate->SetItemIndex(cbbBaudrate->Items()->IndexOf(Value));
            } else if (Key == u"CREATED") {
                FCreated = Value;
                lblCreated->SetCaption(Format(u"Created: %s", {Value}));
            } else if (Key == u"LASTEDITED") {
                FLastEdited = Value;
                lblLastEdited->SetCaption(Format(u"Last edited: %s", {Value}));
            }
        }
        SetCaption(Caption() + u" - " + ProjectName);
        SetConfigModified(false);
        if (BoardRead && !UnknownBoard.empty()) BoardWarning(UnknownBoard);
    } else {
        SetCaption(Caption() + u" - New configuration for " + ProjectName);
        if (cbbArduino->Items()->Count() > 0) {
            cbbArduino->SetItemIndex(0);
            if (frmOptions) {
                const String Internal = frmOptions->GetInternalArduinoName(cbbArduino->Text());
                if (!Internal.empty()) LoadCpuList(Internal);
            }
        }
        SetConfigModified(true);
        NewConfig = true;
    }
    lblProjectName->SetCaption(ProjectName);
    statInfo->Panels()->Items(0)->SetText(FPath);
}

void TfrmEditConfiguration::LoadCpuList(const String& InternalName) {
    cbbCpu->Items()->Clear();
    if (frmOptions)
        for (const String& Id : frmOptions->BoardProcessors(InternalName)) cbbCpu->Items()->Add(Id);
    ShowCpu(cbbCpu->Items()->Count() > 0);
}

void TfrmEditConfiguration::cbbArduinoChange() {
    const String Name = cbbArduino->Text();
    const String Internal = frmOptions ? frmOptions->GetInternalArduinoName(Name) : String();
    if (!Internal.empty()) {
        FKeptBoard.clear();
        FKeptCPU.clear();
        LoadCpuList(Internal);
        cbbCpu->SetItemIndex(cbbCpu->Items()->IndexOf(LastSelectedCPU));
        SetConfigModified(true);
    } else {
        BoardWarning(Name);
        ShowCpu(false);
    }
}

void TfrmEditConfiguration::cbbCpuChange() {
    LastSelectedCPU = cbbCpu->Text();
    SetConfigModified(true);
}

void TfrmEditConfiguration::ScanComPorts() {
    TfrmSelectComport* Picker = new TfrmSelectComport(this);
    std::unique_ptr<TfrmSelectComport> Owned(Picker);
    if (Picker->ShowModal() == mrOk && Picker->SelectedComPortNr() > 0) seComNr->SetValue(Picker->SelectedComPortNr());
}

bool TfrmEditConfiguration::SaveConfiguration() {
    const String Chosen = frmOptions && cbbArduino->ItemIndex() >= 0
                              ? frmOptions->GetInternalArduinoName(cbbArduino->Text())
                              : String();
    const String Board = Chosen.empty() ? FKeptBoard : Chosen;
    auto Refuse = [this](const String& Reason, TWinControl* Control) {
        MessageBox(Handle(), u"Couldn't save configuration:\r\r" + Reason, ConfigCaption,
                   MB_ICONWARNING | MB_OK);
        if (Control && Control->CanFocus()) Control->SetFocus();
        return false;
    };
    if (!Chosen.empty() && cbbCpu->Visible() && cbbCpu->Text().empty())
        return Refuse(u"CPU type is not selected", cbbCpu);
    // Without any board the builds could not use the file.
    if (Board.empty()) return Refuse(u"Arduino type is not selected", cbbArduino);
    const String CPU = !Chosen.empty() ? (cbbCpu->Visible() ? cbbCpu->Text() : String()) : FKeptCPU;
    const String Stamp = DateTimeToStr(Now());
    const String Created = FCreated.empty() ? Stamp : FCreated;

    TStringList Lines;
    Lines.Add(u";" + FProjectName);
    Lines.Add(Format(u"ArduinoType=%s", {Board}));
    Lines.Add(Format(u"CPU=%s", {CPU}));
    Lines.Add(Format(u"ComPort=%d", {seComNr->Value()}));
    Lines.Add(Format(u"BaudRate=%s", {cbbBaudrate->Text()}));
    Lines.Add(Format(u"Created=%s", {Created}));
    Lines.Add(Format(u"LastEdited=%s", {Stamp}));
    Lines.SetLineBreak(u"\r\n");
    const TBytes Bytes = TEncoding::Default()->GetBytes(Lines.Text());

    const bool Existed = FileExists(FPath);
    if (!WriteFileSafe(FPath, std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size())))
        return Refuse(Format(u"Cannot create file \"%s\". %s", {FPath, Utf8ToString(std::strerror(errno))}),
                      nullptr);
    // The file made by this dialog's first save is still new to the sketch tree after a
    // second save.
    if (!Existed) FNewConfigFile = true;
    FCreated = Created;
    FLastEdited = Stamp;
    lblCreated->SetCaption(Format(u"Created: %s", {FCreated}));
    lblLastEdited->SetCaption(Format(u"Last edited: %s", {FLastEdited}));
    NewConfig = false;
    SetConfigModified(false);
    return true;
}

void TfrmEditConfiguration::CloseConfiguration() {
    // The question comes from the close query, so every way of closing asks it.
    Close();
}

void TfrmEditConfiguration::FormCloseQuery(TObject*, bool& CanClose) {
    if (!FConfigModified) return;
    const String Question = NewConfig ? u"Configuration file does not exist yet. Do you want to create it?"
                                      : u"Configuration has changed. Do you want to save new values ?";
    switch (MessageBox(Handle(), Question, ConfigCaption,
                       MB_ICONQUESTION | MB_YESNOCANCEL | MB_DEFBUTTON3)) {
    case IDYES:
        CanClose = SaveConfiguration();
        break;
    case IDNO:
        break;
    default:
        CanClose = false;
        break;
    }
}
