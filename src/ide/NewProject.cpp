#include "ide/NewProject.h"

#include "ide/DMImages.h"
#include "ide/Main.h"
#include "ide/Options.h"
#include "ide/Trees.h"

#include "platform/base/DateTime.h"
#include "platform/base/Encoding.h"
#include "platform/base/Files.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Placing.h"
#include "platform/gui/Questions.h"
#include "platform/gui/ShellApi.h"

namespace {

const char16_t* const RootCaption = u"Arduino projects";
const char16_t* const NewProjectCaption = u"MORVANE - New project";

bool IsForbiddenChar(Char C) {
    return C < 0x20 || String(u" \"*/:<>?\\|").find(C) != String::npos;
}

bool HoldsSketch(const String& Folder) {
    TSearchRec SR;
    bool Found = FindFirst(IncludeTrailingPathDelimiter(Folder) + u"*", faAnyFile, SR) == 0;
    bool Sketch = false;
    while (Found && !Sketch) {
        const String Ext = UpperCase(ExtractFileExt(SR.Name));
        Sketch = !(SR.Attr & faDirectory) && (Ext == u".INO" || Ext == u".PDE");
        Found = FindNext(SR) == 0;
    }
    FindClose(SR);
    return Sketch;
}

} // namespace

TfrmNewProject::TfrmNewProject(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"frmNewProject");
        SetCaption(u"Create new project");
        SetBorderIcons(TBorderIcons{biSystemMenu, biMaximize});
        SetKeyPreview(true);
        SetPosition(poMainFormCenter);
        SetClientWidth(372);
        SetClientHeight(270);
        Constraints()->SetMinWidth(380);
        Constraints()->SetMaxWidth(600);
        Constraints()->SetMinHeight(280);

        actlst1 = new TActionList(this);
        actlst1->SetName(u"actlst1");
        actlst1->SetImages(frmDM ? frmDM->imglstMenu : nullptr);
        auto MakeAction = [this](const String& Name, const String& Caption, int Image) {
            TAction* A = new TAction(this);
            A->SetName(Name);
            A->SetCaption(Caption);
            A->SetHint(Caption);
            A->SetImageIndex(Image);
            A->SetActionList(actlst1);
            return A;
        };
        actNewFolder = MakeAction(u"actNewFolder", u"Add new Folder", mgOpenFile);
        actNewFolder->SetShortCut(TextToShortCut(u"F7"));
        actNewFolder->SetEnabled(false);
        actAddNewProject = MakeAction(u"actAddNewProject", u"Create New Project", mgNewProject);
        actAddNewProject->SetEnabled(false);
        actExit = MakeAction(u"actExit", u"Close without creating new project", mgExit);
        actNewFolder->OnExecute = [this](TObject*) { CreateFolder(false); };
        actAddNewProject->OnExecute = [this](TObject*) { CreateFolder(true); };
        actExit->OnExecute = [this](TObject*) { SetModalResult(mrCancel); };

        lbl1 = MakeControl<TLabel>(this, this, u"lbl1", alTop);
        lbl1->SetCaption(u"   Select parent folder:");
        tlb1 = MakeControl<TToolBar>(this, this, u"tlb1", alTop);
        tlb1->SetTop(lbl1->Height());
        tlb1->SetImages(frmDM ? frmDM->imglstMenu : nullptr);
        tlb1->SetButtonWidth(30);
        tlb1->SetButtonHeight(30);
        tlb1->SetHeight(34);
        tlb1->SetShowHint(true);
        auto AddButton = [this](const String& Name, TAction* Action) {
            auto* B = new TToolButton(this);
            if (!Name.empty()) B->SetName(Name);
            if (Action)
                B->SetAction(Action);
            else
                B->SetStyle(tbsSeparator);
            B->SetShowHint(true);
            B->SetParent(tlb1);
            return B;
        };
        btnNewFolder = AddButton(u"btnNewFolder", actNewFolder);
        AddButton(u"", nullptr);
        btnAddDir = AddButton(u"btnAddDir", actAddNewProject);
        lblTemplate = new TLabel(this);
        lblTemplate->SetName(u"lblTemplate");
        lblTemplate->SetCaption(u"  Template:  ");
        lblTemplate->SetLayout(tlCenter);
        lblTemplate->SetParent(tlb1);
        cbbProjectTemplate = new TComboBox(this);
        cbbProjectTemplate->SetName(u"cbbProjectTemplate");
        cbbProjectTemplate->SetWidth(140);
        cbbProjectTemplate->SetStyle(csDropDownList);
        cbbProjectTemplate->SetText(u"Project Templates");
        cbbProjectTemplate->SetParent(tlb1);
        AddButton(u"", nullptr);
        btnExit = AddButton(u"btnExit", actExit);

        statInfo = MakeControl<TStatusBar>(this, this, u"statInfo", alBottom);
        statInfo->Panels()->Add()->SetWidth(400);

        vstDirs = MakeControl<TLeanStringTree>(this, this, u"vstDirs", alClient);
        vstDirs->SetColor(RGB(249, 252, 209));
        vstDirs->SetNodeDataSize(int(sizeof(tTreeClass*)));
        if (frmDM) vstDirs->SetImages(frmDM->imglstTree);
        vstDirs->SetIncrementalSearch(isVisibleOnly);
        vstDirs->SetIncrementalSearchStart(ssAlwaysStartOver);
        TCustomLeanTreeOptions* Options = vstDirs->TreeOptions();
        Options->SetPaintOptions(Options->PaintOptions() +
                                 TLTPaintOptions{toHotTrack, toShowTreeLines, toShowButtons});
        Options->SetAutoOptions(Options->AutoOptions() - TLTAutoOptions{toAutoSort});
        vstDirs->OnGetText = [](TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column, TVSTTextType,
                                String& CellText) {
            tTreeClass* Item = TreeRecord(Sender, Node);
            if (!Item)
                CellText = RootCaption;
            else if (Column <= 0)
                CellText = Item->Caption();
            else if (Column == 1)
                CellText = Item->FullPath();
        };
        vstDirs->OnGetImageIndex = [](TBaseLeanTree* Sender, PLeanNode Node, TLTImageKind Kind, TColumnIndex,
                                      bool&, int& ImageIndex) {
            if (Kind != ikNormal && Kind != ikSelected) return;
            if (tTreeClass* Item = TreeRecord(Sender, Node))
                ImageIndex = Item->NodeType() == ntRoot ? tiSketchFolder : tiFolder;
        };
        vstDirs->OnFreeNode = FreeTreeRecord;
        vstDirs->OnCompareNodes = CompareTreeRecords;
        vstDirs->OnFocusChanged = [this](TBaseLeanTree*, PLeanNode Node, TColumnIndex) {
            ShowNodePath(Node);
            actNewFolder->SetEnabled(true);
            actAddNewProject->SetEnabled(true);
        };
        vstDirs->OnNodeClick = [this](TBaseLeanTree*, const THitInfo& Hit) { ShowNodePath(Hit.HitNode); };
        vstDirs->OnHotChange = [this](TBaseLeanTree*, PLeanNode, PLeanNode NewNode) {
            if (NewNode) ShowNodePath(NewNode);
        };

        diriterSketches = new tDirIterator(this);
        diriterSketches->SetName(u"diriterSketches");
        diriterSketches->OnDirFoundExt = [this](const String& Path, const String& RelPath, int Level, bool&) {
            AddFolder(Path, RelPath, Level);
        };
        diriterTemplates = new tDirIterator(this);
        diriterTemplates->SetName(u"diriterTemplates");
        diriterTemplates->SetScanSubdirs(false);
        diriterCopy = new tDirIterator(this);
        diriterCopy->SetName(u"diriterCopy");
        diriterCopy->SetScanSubdirs(false);

        OnKeyDown = [this](TObject*, Word& Key, TShiftState) {
            auto* Combo = dynamic_cast<TCustomComboBox*>(ActiveControl());
            if (Key == VK_ESCAPE && !(Combo && Combo->DroppedDown())) {
                Key = 0;
                SetModalResult(mrCancel);
            }
        };
        OnCreate = [this](TObject*) {
            LoadFolderTree();
            LoadTemplates();
            if (RootNode) {
                vstDirs->SetFocusedNode(RootNode);
                vstDirs->SetNodeSelected(RootNode, true);
            }
        };
    });
}

void TfrmNewProject::SetSourceProjectName(const String& Value) {
    FSourceProjectName = Value;
    FCopyMode = true;
    SetCaption(u"Copy project " + ExtractFileName(Value));
    actAddNewProject->SetImageIndex(mgCopyProject);
    actAddNewProject->SetHint(Caption());
    cbbProjectTemplate->SetVisible(false);
    lblTemplate->SetVisible(false);
    vstDirs->SetColor(RGB(251, 249, 210));
}

bool TfrmNewProject::IsValidFolderName(const String& Name) {
    if (Name.empty()) return false;
    for (Char C : Name)
        if (IsForbiddenChar(C)) return false;
    const String Upper = UpperCase(Name);
    if (Upper == u"CON" || Upper == u"PRN" || Upper == u"AUX" || Upper == u"NUL") return false;
    if (Length(Upper) == 4 && (Copy(Upper, 1, 3) == u"COM" || Copy(Upper, 1, 3) == u"LPT") && Upper[3] >= u'1' &&
        Upper[3] <= u'9')
        return false;
    return Name.back() != u'.';
}

void TfrmNewProject::LoadFolderTree() {
    vstDirs->Clear();
    RootNode = nullptr;
    LastSketchNode = nullptr;
    FSkippedSketch.clear();
    const String Projects = frmOptions ? frmOptions->PathToProjects() : String();
    diriterSketches->SetPath(Projects);
    TUpdateBracket<TLeanStringTree> Update(*vstDirs);
    Screen->SetCursor(crHourGlass);
    TScopeExit Done([this] {
        vstDirs->FullExpand(nullptr);
        Screen->SetCursor(crDefault);
    });
    RootNode = AddRecordNode(vstDirs, nullptr, std::make_unique<tTreeClass>(RootCaption, Projects, ntRoot));
    LastSketchNode = RootNode;
    diriterSketches->Run();
    vstDirs->SortTree(0, sdAscending, true);
}

void TfrmNewProject::AddFolder(const String& Path, const String& RelPath, int Level) {
    // Nothing inside a sketch is offered: a project made there would nest one sketch in another.
    if (!FSkippedSketch.empty() && Copy(Path, 1, Length(FSkippedSketch)) == FSkippedSketch) return;
    if (HoldsSketch(Path)) {
        FSkippedSketch = IncludeTrailingPathDelimiter(Path);
        return;
    }
    String Caption = ExtractFileName(RelPath);
    if (Caption.empty()) Caption = RelPath;
    Caption = Copy(Caption, 1, 1024);
    PLeanNode Parent = RootNode;
    if (Level > 0) {
        Parent = LastSketchNode;
        while (Parent && Parent != RootNode && int(vstDirs->GetNodeLevel(Parent)) - 1 >= Level)
            Parent = Parent->Parent;
    }
    LastSketchNode = AddRecordNode(vstDirs, Parent, std::make_unique<tTreeClass>(Caption, Path, ntDir));
}

void TfrmNewProject::LoadTemplates() {
    TStrings* Items = cbbProjectTemplate->Items();
    Items->Clear();
    diriterTemplates->SetPath(ProgramFolder());
    diriterTemplates->OnFileFound = [Items](const String&, const String& FileName, const String&, int) {
        if (UpperCase(ExtractFileExt(FileName)) != u".NEWSKETCH") return;
        const int Dot = Pos(u".", FileName);
        Items->Add(Copy(FileName, 1, Dot - 1));
    };
    diriterTemplates->Run();
    if (Items->Count() == 0) return;
    const String Default = frmOptions ? frmOptions->DefaultSketchTemplate() : String();
    int Index = 0;
    for (int I = 0; I < Items->Count(); ++I)
        if (SameText(Items->Strings(I), Default)) {
            Index = I;
            break;
        }
    cbbProjectTemplate->SetItemIndex(Index);
}

void TfrmNewProject::ShowNodePath(PLeanNode Node) {
    tTreeClass* Item = TreeRecord(vstDirs, Node);
    statInfo->Panels()->Items(0)->SetText(Item ? Item->FullPath() : String());
}

PLeanNode TfrmNewProject::FindFolderNode(const String& Caption, const String& Path) {
    String Wanted = Path;
    while (Length(Wanted) > 1 && Wanted.back() == PathDelim) Wanted.pop_back();
    for (PLeanNode Node = vstDirs->GetFirst(); Node; Node = vstDirs->GetNext(Node)) {
        tTreeClass* Item = TreeRecord(vstDirs, Node);
        if (Item && Item->Caption() == Caption && SameText(Item->FullPath(), Wanted)) return Node;
    }
    return nullptr;
}

void TfrmNewProject::CreateFolder(bool Project) {
    String Name;
    const bool Answered = Project ? InputQuery(u"Create new Arduino project", u"New project name", Name)
                                  : InputQuery(u"Create new folder", u"New folder name", Name);
    if (!Answered || Name.empty()) return;
    PLeanNode Node = vstDirs->FocusedNode();
    if (!Node) {
        MessageBox(Handle(), u"No parent folder selected.", NewProjectCaption,
                   MB_ICONWARNING | MB_OK | MB_SYSTEMMODAL);
        return;
    }
    tTreeClass* Item = TreeRecord(vstDirs, Node);
    if (!Item) return;
    const String Path = IncludeTrailingPathDelimiter(Item->FullPath()) + Name;
    if (DirectoryExists(Path) || FileExists(Path)) {
        ShowMessage(u"Folder " + Path + u" already exists");
        return;
    }
    if (!IsValidFolderName(Name)) {
        ShowMessage(u"Invalid folder name: " + Name);
        return;
    }
    if (!CreateDir(Path)) {
        ShowMessage(u"Problem creating new folder: " + Path);
        return;
    }
    if (!Project) {
        LoadFolderTree();
        if (PLeanNode Made = FindFolderNode(Name, Path)) {
            vstDirs->ClearSelection();
            vstDirs->SetNodeSelected(Made, true);
            vstDirs->SetFocusedNode(Made);
        }
        return;
    }
    FNewFolderPath = Path + PathDelim;
    FNewProjectName = Name + u".ino";
    if (FCopyMode)
        CopySketch();
    else
        WriteNewSketch();
    SetModalResult(mrOk);
}

void TfrmNewProject::WriteSkeleton(TStrings* Lines, const String& ProjectName) {
    const String Stars(60, u'*');
    Lines->Clear();
    Lines->Add(u"/* Project " + ProjectName + u" */");
    Lines->Add(u"/*  */");
    Lines->Add(u"/* created " + FormatDateTime(u"ddddd tt", Now()) + u" */");
    Lines->Add(u"");
    Lines->Add(u"");
    Lines->Add(u"/" + Stars + u"/");
    Lines->Add(u"/******************** SETUP *********************************/");
    Lines->Add(u"/" + Stars + u"/");
    Lines->Add(u"void setup()");
    Lines->Add(u"{");
    Lines->Add(u"");
    Lines->Add(u"}");
    Lines->Add(u"");
    Lines->Add(u"/" + Stars + u"/");
    Lines->Add(u"/*********************** LOOP *******************************/");
    Lines->Add(u"/" + Stars + u"/");
    Lines->Add(u"void loop()");
    Lines->Add(u"{");
    Lines->Add(u"");
    Lines->Add(u"}");
}

void TfrmNewProject::WriteNewSketch() {
    TStringList Lines;
    const int Index = cbbProjectTemplate->ItemIndex();
    String TemplateFile;
    if (Index >= 0)
        TemplateFile =
            FindFileNoCase(ProgramFolder(), cbbProjectTemplate->Items()->Strings(Index) + u".NewSketch");
    const String Project = ChangeFileExt(FNewProjectName, u"");
    if (!TemplateFile.empty() && FileExists(TemplateFile)) {
        // A template written in the old code page still opens.
        TEncoding* Detected = nullptr;
        Lines.SetText(LoadTextFile(TemplateFile, Detected, TEncoding::ANSI()));
    } else {
        WriteSkeleton(&Lines, Project);
    }
    Lines.SetLineBreak(u"\r\n");
    TUTF8EncodingNoBOM Utf8;
    Lines.SaveToFile(FNewFolderPath + FNewProjectName, &Utf8);
}

void TfrmNewProject::CopySketch() {
    diriterCopy->SetPath(ExtractFileDir(FSourceProjectName));
    diriterCopy->OnFileFound = [this](const String& Folder, const String& FileName, const String&, int) {
        const String Ext = UpperCase(ExtractFileExt(FileName));
        const String Target =
            FNewFolderPath + (Ext == u".INO" || Ext == u".PDE" ? FNewProjectName : FileName);
        ShellCopyFile(IncludeTrailingPathDelimiter(Folder) + FileName, Target, Handle());
    };
    diriterCopy->Run();
}

// -- The main window's new-project and copy-project actions --

void TfrmMain::NewProject() {
    CopyProject(String(), false);
}

void TfrmMain::CopyProject(const String& SourceProjectName, bool Copying) {
    if (Copying && SourceProjectName.empty()) return;
    if (!CheckProjectsPath()) return;
    auto Dialog = std::make_unique<TfrmNewProject>(this);
    if (Copying) Dialog->SetSourceProjectName(SourceProjectName);
    if (Dialog->ShowModal() != mrOk) return;
    LoadSketchesTree();
    OpenFileInTab(Dialog->NewFolderPath() + Dialog->NewProjectName(), ntFileSrc, tkSketches, false);
}
