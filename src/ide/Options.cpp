#include "ide/Options.h"

#include "ide/FormSettings.h"
#include "ide/HelpAbout.h"

#include "platform/base/Encoding.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/base/Strings.h"
#include "platform/gui/Placing.h"
#include "platform/gui/Questions.h"

namespace {

// The viewers offered until the settings file holds the user's own: the desktop's program for
// each kind of document, in a window of its own (no window to take in).
const char16_t* const DefaultExternalPrograms[] = {
    u"[Graphics]",
    u"Ext=jpg,gif,png,bmp,pdf",
    u"Program=xdg-open",
    u"WindowName=",
    u"Parameters=",
    u"",
    u"[Texts]",
    u"Ext=txt,rtf",
    u"Program=xdg-open",
    u"WindowName=",
    u"Parameters=",
    u"",
    u"[HTML]",
    u"Ext=htm,html",
    u"Program=xdg-open",
    u"WindowName=",
    u"Parameters=",
};

// Text after the first '=', trimmed.
String ValueOf(const String& Line) {
    return Trim(Copy(Line, Pos(u"=", Line) + 1, Length(Line)));
}

TLabel* MakeCaption(TfrmOptions* Form, TWinControl* Parent, const String& Text, int L, int T0) {
    TLabel* C = new TLabel(Form);
    C->SetParent(Parent);
    C->SetLeft(L);
    C->SetTop(T0);
    C->SetCaption(Text);
    return C;
}

} // namespace

TfrmOptions::TfrmOptions(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"frmOptions");
        SetCaption(u"Morvane Options");
        SetBorderStyle(Forms::bsDialog);
        SetBorderIcons(TBorderIcons{biSystemMenu});
        SetFormStyle(fsStayOnTop);
        SetColor(9874872);
        SetPosition(poMainFormCenter);
        SetClientWidth(600);
        SetClientHeight(340);
        Constraints()->SetMinWidth(600);
        Constraints()->SetMinHeight(318);

        pgOptions = MakeControl<TPageControl>(this, this, u"pgOptions", 4, 4, 592, 296);
        tsPaths = new TTabSheet(this);
        tsPaths->SetName(u"tsPaths");
        tsPaths->SetCaption(u"Paths");
        tsPaths->SetPageControl(pgOptions);
        tsBoards = new TTabSheet(this);
        tsBoards->SetName(u"tsBoards");
        tsBoards->SetCaption(u"Boards");
        tsBoards->SetPageControl(pgOptions);
        tsArduinoHelp = new TTabSheet(this);
        tsArduinoHelp->SetName(u"tsArduinoHelp");
        tsArduinoHelp->SetCaption(u"Arduino Help");
        tsArduinoHelp->SetPageControl(pgOptions);

        MakeCaption(this, tsPaths, u"Path to Arduino", 8, 8);
        edPathToArduino = MakeControl<TEdit>(this, tsPaths, u"edPathToArduino", 8, 26, 480, 22);
        btnArduinoPath = MakeControl<TButton>(this, tsPaths, u"btnArduinoPath", 494, 25, 80, 24);
        btnArduinoPath->SetCaption(u"...");
        lblArduinoVersion = MakeControl<TLabel>(this, tsPaths, u"lblArduinoVersion", 8, 52, 480, 16);
        lblArduinoVersion->SetCaption(u"");
        MakeCaption(this, tsPaths, u"Path to projects", 8, 80);
        edPathToProjects = MakeControl<TEdit>(this, tsPaths, u"edPathToProjects", 8, 98, 480, 22);
        btnProjectsPath = MakeControl<TButton>(this, tsPaths, u"btnProjectsPath", 494, 97, 80, 24);
        btnProjectsPath->SetCaption(u"...");
        MakeCaption(this, tsPaths, u"Default new sketch template", 8, 136);
        cbbProjectTemplate = MakeControl<TComboBox>(this, tsPaths, u"cbbProjectTemplate", 8, 154, 300, 22);
        cbbProjectTemplate->SetText(u"Project Templates");
        btnLoadSketchTemplates = MakeControl<TButton>(this, tsPaths, u"btnLoadSketchTemplates", 314, 153, 174, 24);
        btnLoadSketchTemplates->SetCaption(u"Load sketch templates");

        MakeCaption(this, tsBoards, u"Defined Arduinos", 8, 4);
        clbBoards = MakeControl<TCheckListBox>(this, tsBoards, u"clbBoards", 8, 22, 280, 210);
        MakeCaption(this, tsBoards, u"Used Arduinos", 296, 4);
        lstSelectedBoards = MakeControl<TListBox>(this, tsBoards, u"lstSelectedBoards", 296, 22, 280, 180);
        lstSelectedBoards->SetSorted(true);
        butClearList = MakeControl<TButton>(this, tsBoards, u"butClearList", 296, 208, 100, 24);
        butClearList->SetCaption(u"Clear List");

        mmoArduinoHelpExternalPrograms =
            MakeControl<TMemo>(this, tsArduinoHelp, u"mmoArduinoHelpExternalPrograms", 4, 4, 576, 256);
        for (const char16_t* Line : DefaultExternalPrograms)
            mmoArduinoHelpExternalPrograms->Lines()->Add(Line);
        pgOptions->SetActivePage(tsPaths);

        butClose = MakeControl<TButton>(this, this, u"butClose", 516, 308, 80, 26);
        butClose->SetCaption(u"Close");
        butClose->SetModalResult(mrOk);

        dlgOpenArduino = new TOpenDialog(this);
        dlgOpenArduino->SetName(u"dlgOpenArduino");
        dlgOpenArduino->SetTitle(u"Select path to Arduino");
        dlgOpenArduino->SetFilter(u"arduino|arduino|All files|*");
        diriterTemplates = new tDirIterator(this);
        diriterTemplates->SetName(u"diriterTemplates");
        diriterTemplates->SetScanSubdirs(false);
        AddFormSettings(this, appIniStor, fs1, TPlacementOptions{fpLocation},
                        {u"edPathToArduino.Text", u"edPathToProjects.Text", u"cbbProjectTemplate.Items",
                         u"cbbProjectTemplate.ItemIndex", u"cbbProjectTemplate.Text",
                         u"lstSelectedBoards.Items", u"mmoArduinoHelpExternalPrograms.Lines"});

        fs1->AfterRestorePlacement = [this](TObject*) { LoadBoards(); };
        edPathToArduino->OnChange = [this](TObject*) { ShowArduinoVersion(); };
        btnArduinoPath->OnClick = [this](TObject* Sender) { btnArduinoPathClick(Sender); };
        btnProjectsPath->OnClick = [this](TObject* Sender) { btnProjectsPathClick(Sender); };
        btnLoadSketchTemplates->OnClick = [this](TObject*) { LoadSketchTemplates(); };
        clbBoards->OnClickCheck = [this](TObject* Sender) { clbBoardsClickCheck(Sender); };
        butClearList->OnClick = [this](TObject*) { ClearSelectedBoards(); };
        OnCloseQuery = [this](TObject* Sender, bool& CanClose) { FormCloseQuery(Sender, CanClose); };
        OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    });
}

void TfrmOptions::FormCreate(TObject*) {
    fs1->SetAppStoragePath(ProgramFolder());
    OpenSettingsFile(appIniStor, ChangeFileExt(ProgramFile(), u".opt"));
    slInternalArduinoNames = std::make_unique<TStringList>();
    // The first show restores the stored properties, whose after-restore event reads the boards.
    Show();
    Hide();
}

void TfrmOptions::FormCloseQuery(TObject*, bool&) {
    // A path entered for the first time fills the board list when the dialog closes.
    if (clbBoards->Count() == 0 && !PathToArduino().empty()) LoadBoards();
}

String TfrmOptions::DefaultSketchTemplate() const {
    const int I = cbbProjectTemplate->ItemIndex();
    return I < 0 ? String(u"???") : cbbProjectTemplate->Items()->Strings(I);
}

TStrings* TfrmOptions::GetArduinoList(bool OnlySelected) const {
    return OnlySelected ? lstSelectedBoards->Items() : clbBoards->Items();
}

String TfrmOptions::GetInternalArduinoName(const String& aUserfriendlyArduinoName) const {
    const int I = clbBoards->Items()->IndexOf(aUserfriendlyArduinoName);
    return I < 0 || I >= slInternalArduinoNames->Count() ? String() : slInternalArduinoNames->Strings(I);
}

String TfrmOptions::GetUserFriendlyArduinoName(const String& aInternalArduinoName) const {
    const int I = slInternalArduinoNames->IndexOf(aInternalArduinoName);
    return I < 0 || I >= clbBoards->Count() ? String() : clbBoards->Items()->Strings(I);
}

void TfrmOptions::LoadBoards() {
    const String Path = PathToArduino();
    if (Path.empty() || !DirectoryExists(Path)) return;
    clbBoards->Items()->Clear();
    slInternalArduinoNames->Clear();
    clbBoards->Items()->Add(u"default");
    slInternalArduinoNames->Add(u"default");

    TStringList Lines;
    Lines.LoadFromFile(BoardsFileName(), TEncoding::UTF8());
    for (int I = 0; I < Lines.Count(); ++I) {
        const String& Line = Lines.Strings(I);
        const int P = Pos(u".name=", Line);
        if (P == 0) continue;
        slInternalArduinoNames->Add(Copy(Line, 1, P - 1));
        clbBoards->Items()->Add(Copy(Line, P + 6, 1024));
    }
    for (int I = 0; I < clbBoards->Count(); ++I)
        if (lstSelectedBoards->Items()->IndexOf(clbBoards->Items()->Strings(I)) >= 0)
            clbBoards->SetChecked(I, true);
}

void TfrmOptions::clbBoardsClickCheck(TObject*) {
    const int I = clbBoards->ItemIndex();
    if (I < 0) return;
    const String Name = clbBoards->Items()->Strings(I);
    const int Used = lstSelectedBoards->Items()->IndexOf(Name);
    if (clbBoards->Checked(I)) {
        if (Used < 0) lstSelectedBoards->Items()->Add(Name);
    } else if (Used >= 0) {
        lstSelectedBoards->Items()->Delete(Used);
    }
}

void TfrmOptions::ClearSelectedBoards() {
    lstSelectedBoards->Items()->Clear();
    for (int I = 0; I < clbBoards->Count(); ++I)
        clbBoards->SetChecked(I, false);
    clbBoards->SetItemIndex(-1);
}

void TfrmOptions::ShowArduinoVersion() {
    lblArduinoVersion->SetCaption(u"");
    const String Path = PathToArduino();
    if (Path.empty()) return;
    const String Revisions = FindFileNoCase(Path, u"revisions.txt");
    if (Revisions.empty() || !FileExists(Revisions)) return;
    TStringList Lines;
    try {
        Lines.LoadFromFile(Revisions, TEncoding::UTF8());
    } catch (const Exception&) {
        return; // an unreadable revisions file only leaves the version unknown
    }
    if (Lines.Count() > 0) lblArduinoVersion->SetCaption(u"Arduino IDE version:  " + Lines.Strings(0));
}

static bool IsArduinoFolder(const String& Folder) {
    if (Folder.empty() || !DirectoryExists(Folder)) return false;
    const String Hardware = FindFileNoCase(Folder, u"hardware");
    const String Revisions = FindFileNoCase(Folder, u"revisions.txt");
    return (!Hardware.empty() && DirectoryExists(Hardware)) || (!Revisions.empty() && FileExists(Revisions));
}

void TfrmOptions::btnArduinoPathClick(TObject*) {
    // A folder, known by its content: Debian's package keeps its builder on the search path, not
    // in the folder (the build road looks in the folder first, then on the path). It starts in
    // Debian's folder, the same whatever WindowsVersionCode says.
    String Folder = PathToArduino().empty() ? String(u"/usr/share/arduino") : PathToArduino();
    if (!SelectFolder(Folder)) return;
    Folder = ExcludeTrailingPathDelimiter(Folder);
    if (!IsArduinoFolder(Folder)) {
        MessageBox(Handle(),
                   u"\"" + Folder + u"\" is not an Arduino folder: it holds neither \"hardware\" nor \"revisions.txt\".",
                   u"Morvane Options", MB_ICONWARNING | MB_OK);
        return;
    }
    edPathToArduino->SetText(Folder);
}

void TfrmOptions::btnProjectsPathClick(TObject*) {
    String Folder = PathToProjects();
    if (SelectFolder(Folder)) edPathToProjects->SetText(Folder);
}

void TfrmOptions::LoadSketchTemplates() {
    const String Remembered = DefaultSketchTemplate();
    diriterTemplates->SetPath(ProgramFolder());
    diriterTemplates->OnFileFound = [this](const String&, const String& FileName, const String&, int) {
        if (UpperCase(ExtractFileExt(FileName)) == u".NEWSKETCH") {
            const int Dot = Pos(u".", FileName);
            cbbProjectTemplate->Items()->Add(Copy(FileName, 1, Dot - 1));
        }
    };
    diriterTemplates->Run();
    TStrings* Items = cbbProjectTemplate->Items();
    if (Items->Count() == 0) return;
    int Index = 0;
    for (int I = 0; I < Items->Count(); ++I)
        if (UpperCase(Items->Strings(I)) == UpperCase(Remembered)) {
            Index = I;
            break;
        }
    cbbProjectTemplate->SetItemIndex(Index);
}

String TfrmOptions::ExternalProgramForExtension(const String& Extension, String& ExtProgramWindowName,
                                                String& Params) const {
    String Program;
    ExtProgramWindowName.clear();
    Params.clear();
    const String E = UpperCase(Extension);
    TStrings* Lines = mmoArduinoHelpExternalPrograms->Lines();
    for (int I = 0; I < Lines->Count() && Program.empty(); ++I) {
        const String Line = Lines->Strings(I);
        if (Line.empty() || Pos(u"EXT", UpperCase(Line)) != 1) continue;
        String Rest = UpperCase(ValueOf(Line)) + u",";
        for (int Comma = Pos(u",", Rest); Comma > 0; Comma = Pos(u",", Rest)) {
            const String Item = Trim(Copy(Rest, 1, Comma - 1));
            Delete(Rest, 1, Comma);
            if (Item == E) {
                if (I < Lines->Count() - 3) {
                    ExtProgramWindowName = ValueOf(Lines->Strings(I + 2));
                    Params = ValueOf(Lines->Strings(I + 3));
                    Program = Lines->Strings(I + 1);
                }
                break;
            }
        }
    }
    if (!Program.empty() && Pos(u"=", Program) > 0) Program = ValueOf(Program);
    return Program;
}

String TfrmOptions::BoardsFileName() const {
    const String Folder = IncludeTrailingPathDelimiter(PathToArduino());
    const String Avr = Folder + u"hardware/arduino/avr/boards.txt";
    return FileExists(Avr) ? Avr : Folder + u"hardware/arduino/boards.txt";
}

std::vector<String> TfrmOptions::BoardProcessors(const String& InternalName) const {
    std::vector<String> Ids;
    TStringList Lines;
    try {
        Lines.LoadFromFile(BoardsFileName(), TEncoding::UTF8());
    } catch (const Exception&) {
        return Ids;
    }
    // A processor is a line "<board>.menu.cpu.<id>=<its name>"; the lines below it that carry
    // the processor's settings have a dotted key after the id.
    const String Prefix = InternalName + u".menu.cpu.";
    for (int I = 0; I < Lines.Count(); ++I) {
        const String Line = TrimLeft(Lines.Strings(I));
        if (Line.compare(0, Prefix.size(), Prefix) != 0) continue;
        const int Eq = Pos(u"=", Line);
        if (Eq == 0) continue;
        const String Id = Trim(Copy(Line, Length(Prefix) + 1, Eq - Length(Prefix) - 1));
        if (Id.empty() || Pos(u".", Id) > 0) continue;
        if (std::find(Ids.begin(), Ids.end(), Id) == Ids.end()) Ids.push_back(Id);
    }
    return Ids;
}
