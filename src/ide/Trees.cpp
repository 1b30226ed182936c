// The main window's sketch, example and library trees: filling them from folder walks, marking
// the sketch folders, their pictures and colours, and what a double click opens.

#include "ide/Trees.h"

#include "ide/Main.h"
#include "ide/Options.h"

#include "platform/base/Encoding.h"
#include "platform/base/Files.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Questions.h"
#include "platform/os/ShellOpen.h"

#include <cerrno>
#include <cstring>

tTreeClass* TreeRecord(TBaseLeanTree* Tree, PLeanNode Node) {
    if (!Node || Node == Tree->RootNode() || Tree->NodeDataSize() <= 0) return nullptr;
    return *static_cast<tTreeClass**>(Tree->GetNodeData(Node));
}

void FreeTreeRecord(TBaseLeanTree* Tree, PLeanNode Node) {
    if (Tree->NodeDataSize() <= 0) return;
    tTreeClass*& Item = *static_cast<tTreeClass**>(Tree->GetNodeData(Node));
    delete Item;
    Item = nullptr;
}

void CompareTreeRecords(TBaseLeanTree* Tree, PLeanNode Node1, PLeanNode Node2, TColumnIndex, int& Result) {
    tTreeClass* A = TreeRecord(Tree, Node1);
    tTreeClass* B = TreeRecord(Tree, Node2);
    if (!A || !B) return;
    Result = CompareText(A->Caption(), B->Caption());
    if (Result == 0) Result = CompareStr(A->Caption(), B->Caption());
}

// -- Setting up --

void TfrmMain::SetUpTrees() {
    SetUpTree(vstSketches, diriterSketches, u"diriterSketches");
    SetUpTree(vstExamples, diriterExamples, u"diriterExamples");
    SetUpTree(vtreeLibraries, diriterExamplesLib, u"diriterExamplesLib");
    vstSketches->Colors()->SetColor(ciFocusedSelectionColor, clWhite);
    // On the white selection the usual white selected text would vanish.
    vstSketches->Colors()->SetColor(ciSelectionTextColor, clWindowText);
    vstSketches->OnPaintText = [this](TBaseLeanTree* Sender, TCanvas* Canvas, PLeanNode Node, TColumnIndex,
                                      TVSTTextType) {
        tTreeClass* Item = TreeRecord(Sender, Node);
        if (!Item) return;
        switch (Item->NodeType()) {
        case ntRoot:
            Canvas->Font()->SetColor(TColor(0x008000));
            break;
        case ntDir:
            Canvas->Font()->SetColor(TColor(0x01AEE0));
            break;
        case ntFileSrc:
        case ntFileSrcWithoutLoop:
            Canvas->Font()->SetColor(TColor(0x0037B7));
            break;
        case ntProjectConfig:
            Canvas->Font()->SetColor(TColor(0xC0C0C0));
            Canvas->Font()->SetStyle(Canvas->Font()->Style() + TFontStyles{fsItalic});
            break;
        default:
            break;
        }
    };

    auto Connect = [this](const char16_t* Name, std::function<void(TLeanStringTree*)> Effect) {
        TAction* A = Action(Name);
        A->OnExecute = [this, Effect](TObject*) {
            if (TLeanStringTree* Tree = ActiveLeftTree()) Effect(Tree);
        };
        A->SetEnabled(true);
    };
    Connect(u"actTreeExpandAll", [](TLeanStringTree* Tree) { Tree->FullExpand(nullptr); });
    Connect(u"actTreeContractAll", [](TLeanStringTree* Tree) { Tree->FullCollapse(nullptr); });
    // Without a focused node these act on the whole tree.
    Connect(u"actTreeExpandNode", [](TLeanStringTree* Tree) { Tree->FullExpand(Tree->FocusedNode()); });
    Connect(u"actTreeCollapseNode", [](TLeanStringTree* Tree) { Tree->FullCollapse(Tree->FocusedNode()); });
}

void TfrmMain::SetUpTree(TLeanStringTree* Tree, tDirIterator*& Iterator, const String& IteratorName) {
    TLeanTreeColumn* Column = Tree->Header()->Columns()->Add();
    Column->SetWidth(280);
    Tree->Header()->SetOptions(TLTHeaderOptions{hoAutoResize, hoColumnResize, hoDrag});
    // Sorted once after each fill, collapsed folders included.
    Tree->TreeOptions()->SetAutoOptions(Tree->TreeOptions()->AutoOptions() - TLTAutoOptions{toAutoSort});
    if (frmDM) Tree->SetImages(frmDM->imglstTree);
    // Typing a name finds it among the nodes on show, from the top each time.
    Tree->SetIncrementalSearch(isVisibleOnly);
    Tree->SetIncrementalSearchStart(ssAlwaysStartOver);

    Tree->OnGetText = [](TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column, TVSTTextType,
                         String& CellText) {
        tTreeClass* Item = TreeRecord(Sender, Node);
        if (!Item) return;
        if (Column <= 0)
            CellText = Item->Caption();
        else if (Column == 1)
            CellText = Item->FullPath();
    };
    Tree->OnGetImageIndex = [this](TBaseLeanTree* Sender, PLeanNode Node, TLTImageKind Kind,
                                   TColumnIndex Column, bool&, int& ImageIndex) {
        if (Kind != ikNormal && Kind != ikSelected) return;
        if (Column == 1) {
            if (Node == Sender->FocusedNode()) ImageIndex = tiFocusedColumn;
            return;
        }
        if (Column > 1) return;
        tTreeClass* Item = TreeRecord(Sender, Node);
        if (!Item) return;
        switch (Item->NodeType()) {
        case ntRoot:
            ImageIndex = Sender == vstSketches   ? tiSketchFolder
                         : Sender == vstExamples ? tiExamplesRoot
                                                 : tiLibrariesRoot;
            break;
        case ntDir:
            ImageIndex = tiFolder;
            break;
        case ntFileSrc:
            ImageIndex = tiSource;
            break;
        case ntFileSrcWithoutLoop:
            ImageIndex = tiSourceWithoutLoop;
            break;
        case ntFileHeader:
            ImageIndex = tiHeader;
            break;
        case ntFileDoc:
            ImageIndex = tiDocument;
            break;
        case ntFileDll:
            ImageIndex = tiDll;
            break;
        case ntProjectConfig:
            ImageIndex = tiProjectConfig;
            break;
        default:
            break;
        }
    };
    Tree->OnFreeNode = FreeTreeRecord;
    // Listings come in the file system's order; the trees show names in the order of a listing
    // that ignores letter case.
    Tree->OnCompareNodes = CompareTreeRecords;
    Tree->OnFocusChanged = [this, Tree](TBaseLeanTree*, PLeanNode Node, TColumnIndex) {
        TreeFocusChanged(Tree, Node);
    };
    Tree->OnDblClick = [this, Tree](TObject*) { TreeDblClick(Tree); };

    Iterator = new tDirIterator(this);
    Iterator->SetName(IteratorName);
    Iterator->OnDirFoundExt = [this, Tree](const String& Path, const String& RelPath, int Level, bool&) {
        AddFolderNode(Tree, Path, RelPath, Level);
    };
    Iterator->OnFileFoundExt = [this, Tree](const String& Path, const String& FileName, const String&, int,
                                            int Level, TDateTime,
                                            bool&) { AddFileNode(Tree, Path, FileName, Level); };
}

// -- Filling --

void TfrmMain::FillTree(TLeanStringTree* Tree, tDirIterator* Iterator, const String& Folder, bool Mark) {
    Tree->SetNodeDataSize(int(sizeof(tTreeClass*)));
    Iterator->SetPath(Folder);
    LastSketchNode = nullptr;
    try {
        TUpdateBracket<TLeanStringTree> Update(*Tree);
        Screen->SetCursor(crHourGlass);
        TScopeExit Cursor([] { Screen->SetCursor(crDefault); });
        Iterator->Run();
        Tree->SortTree(0, sdAscending, true);
        if (Mark) MarkSketchFolders(Tree);
    } catch (...) {
        // Shown only now, with the tree's update closed and the cursor back.
        LastSketchNode = nullptr;
        Application->HandleException(this);
    }
    LastSketchNode = nullptr;
}

void TfrmMain::LoadSketchesTree() {
    if (!CheckProjectsPath()) return;
    vstSketches->Clear();
    FillTree(vstSketches, diriterSketches, frmOptions->PathToProjects(), true);
}

void TfrmMain::LoadExamplesTree() {
    if (!CheckArduinoPath()) return;
    FillTree(vstExamples, diriterExamples,
             IncludeTrailingPathDelimiter(frmOptions->PathToArduino()) + u"examples", false);
}

void TfrmMain::LoadLibrariesTree() {
    if (!CheckArduinoPath()) return;
    FillTree(vtreeLibraries, diriterExamplesLib, LibrariesFolder(), false);
}

String TfrmMain::LibrariesFolder() const {
    const String Arduino = IncludeTrailingPathDelimiter(frmOptions->PathToArduino());
    const String Own = Arduino + u"libraries";
    if (DirectoryExists(Own)) return Own;
    // Debian's package keeps the libraries of the AVR boards with their platform.
    const String Platform = Arduino + u"hardware/arduino/avr/libraries";
    return DirectoryExists(Platform) ? Platform : Own;
}

PLeanNode AddRecordNode(TBaseLeanTree* Tree, PLeanNode Parent, std::unique_ptr<tTreeClass> Item) {
    PLeanNode Node = Tree->AddChild(Parent);
    tTreeClass** Slot = static_cast<tTreeClass**>(Tree->GetNodeData(Node));
    Tree->ValidateNode(Node, false);
    *Slot = Item.release();
    return Node;
}

namespace {

// The folder node at Level - 1 above the last folder node; none for level 0.
PLeanNode FolderAt(TBaseLeanTree* Tree, PLeanNode Node, int Level) {
    while (Node && Node != Tree->RootNode() && int(Tree->GetNodeLevel(Node)) >= Level)
        Node = Node->Parent;
    return Node == Tree->RootNode() || Level == 0 ? nullptr : Node;
}

} // namespace

void TfrmMain::AddFolderNode(TBaseLeanTree* Tree, const String& Path, const String& RelPath, int Level) {
    const String Caption = ExtractFileName(RelPath);
    PLeanNode Parent = FolderAt(Tree, LastSketchNode, Level);
    const tNodeType Type = Parent ? ntDir : ntRoot;
    LastSketchNode = AddRecordNode(Tree, Parent, std::make_unique<tTreeClass>(Caption, Path, Type));
}

void TfrmMain::AddFileNode(TBaseLeanTree* Tree, const String& Path, const String& FileName, int Level) {
    const tNodeType Type = tTreeClass::GetNodeTypeFromFileName(FileName);
    PLeanNode Parent = FolderAt(Tree, LastSketchNode, Level);
    AddRecordNode(
        Tree, Parent,
        std::make_unique<tTreeClass>(FileName, IncludeTrailingPathDelimiter(Path) + FileName, Type));
}

void TfrmMain::MarkSketchFolders(TBaseLeanTree* Tree) {
    // A file that cannot be read leaves its folder a sketch folder and the walk goes on, so that
    // the whole tree is marked when the error shows.
    std::exception_ptr FirstError;
    for (PLeanNode Node = Tree->GetFirst(); Node; Node = Tree->GetNext(Node)) {
        tTreeClass* Folder = TreeRecord(Tree, Node);
        if (!Folder || (Folder->NodeType() != ntRoot && Folder->NodeType() != ntDir)) continue;
        tTreeClass* Source = nullptr;
        for (PLeanNode Child = Tree->GetFirstChild(Node); Child && !Source;
             Child = Tree->GetNextSibling(Child)) {
            tTreeClass* Item = TreeRecord(Tree, Child);
            if (Item && Item->NodeType() == ntFileSrc) Source = Item;
        }
        Folder->SetNodeType(Source ? ntRoot : ntDir);
        if (!Source) continue;
        try {
            if (!FileHasLoop(Source->FullPath())) Source->SetNodeType(ntFileSrcWithoutLoop);
        } catch (...) {
            if (!FirstError) FirstError = std::current_exception();
        }
    }
    if (FirstError) std::rethrow_exception(FirstError);
}

bool TfrmMain::FileHasLoop(const String& FileName) {
    // A plain read: one byte is one character, so no sketch's bytes are ever refused.
    TStringList Lines;
    Lines.LoadFromFile(FileName, TEncoding::ANSI());
    for (int I = 0; I < Lines.Count(); ++I)
        if (Pos(u"VOID LOOP", UpperCase(Lines.Strings(I))) > 0) return true;
    return false;
}

PLeanNode TfrmMain::FindTreeNode(TBaseLeanTree* Tree, const String& Caption, const String& Path) {
    String P = Path;
    if (!P.empty() && P.back() == PathDelim) P.pop_back();
    for (PLeanNode Node = Tree->GetFirst(); Node; Node = Tree->GetNext(Node)) {
        tTreeClass* Item = TreeRecord(Tree, Node);
        if (Item && Item->Caption() == Caption && Item->FullPath() == P) return Node;
    }
    return nullptr;
}

// -- Focus and double click --

void TfrmMain::TreeFocusChanged(TLeanStringTree* Tree, PLeanNode Node) {
    // The trees clear their focus when the window goes; nothing is left to update then.
    if (ComponentState().Contains(csDestroying)) return;
    // An action whose work has not arrived yet stays disabled.
    auto Allow = [this](const char16_t* Name, bool Value) {
        if (TAction* A = Action(Name)) A->SetEnabled(Value && bool(A->OnExecute));
    };
    tTreeClass* Item = TreeRecord(Tree, Node);
    const tNodeType Type = Item ? Item->NodeType() : ntUnknown;
    const bool Source = Item && (Type == ntFileSrc || Type == ntFileSrcWithoutLoop);
    if (Tree == vstSketches) {
        if (Item) {
            Allow(u"actProjectEdit", Type == ntRoot || Source || Type == ntProjectConfig);
            Allow(u"actFileCopyFromTree", Source);
            ShowProjectInfo(Node, Item);
        } else {
            ShowProjectInfo(nullptr, nullptr);
        }
    } else {
        Allow(u"actProjectEdit", false);
        if (Item) Allow(u"actFileCopyFromTree", Source);
    }
}

void TfrmMain::TreeDblClick(TLeanStringTree* Tree) {
    tTreeClass* Item = TreeRecord(Tree, Tree->FocusedNode());
    if (!Item) return;
    const auto* Tab = dynamic_cast<TTabSheet*>(Tree->Parent());
    const int TabIndex = Tab && Tab->PageControl() == pgLeftPane ? Tab->PageIndex() : -1;
    const tTabKind Kind = TabIndex == 0                    ? tkSketches
                          : TabIndex == 1 || TabIndex == 2 ? tkExamplesRO
                                                           : tkNonSpecific;
    switch (Item->NodeType()) {
    case ntRoot:
    case ntDir:
        OpenFolderFiles(Tree, Kind);
        break;
    case ntFileSrc:
    case ntFileSrcWithoutLoop:
    case ntFileHeader:
    case ntFileTxt:
        OpenFileInTab(Item->FullPath(), Item->NodeType(), Kind, false);
        break;
    case ntProjectConfig:
        EditProjectConfig(Item);
        break;
    default:
        OpenWithProgram(Item->FullPath());
        break;
    }
}

void TfrmMain::OpenFolderFiles(TBaseLeanTree* Tree, tTabKind TabKind) {
    PLeanNode Folder = Tree->FocusedNode();
    if (!Folder || Tree->ChildCount(Folder) == 0) return;
    TStringList Names, Paths;
    int LoopIndex = -1;
    TfrmEditor* Editor = nullptr;
    for (PLeanNode Child = Tree->GetFirstChild(Folder); Child; Child = Tree->GetNextSibling(Child)) {
        tTreeClass* Item = TreeRecord(Tree, Child);
        if (!Item || (Item->NodeType() != ntFileSrc && Item->NodeType() != ntFileSrcWithoutLoop)) continue;
        const String& Name = Item->Caption();
        const int Dot = Pos(u".", Name);
        Names.Add(Dot > 0 ? Copy(Name, 1, Dot - 1) : Name);
        Paths.Add(Item->FullPath());
        if (FileHasLoop(Item->FullPath())) {
            Editor = OpenFileInTab(Item->FullPath(), Item->NodeType(), TabKind, false);
            LoopIndex = Names.Count() - 1;
        }
    }
    if (Names.Count() > 1 && LoopIndex != -1) {
        Names.Exchange(0, LoopIndex);
        Paths.Exchange(0, LoopIndex);
    }
    if (!Editor) return;
    if (Names.Count() < 2)
        Editor->CollapseFileList();
    else
        Editor->FillFileList(&Names, &Paths);
}

void TfrmMain::OpenWithProgram(const String& FileName) {
    // The viewer the options name for the extension first; the desktop's own choice when none
    // is named or the named one cannot be started.
    String WindowName, Params;
    String Program = frmOptions ? frmOptions->ExternalProgramForExtension(
                                      Copy(ExtractFileExt(FileName), 2, Length(FileName)), WindowName, Params)
                                : String();
    if (Length(Program) >= 2 && Program.front() == u'"' && Program.back() == u'"')
        Program = Copy(Program, 2, Length(Program) - 2);
    if (!Program.empty() && ShellOpen(FileName, Program)) return;
    if (ShellOpen(FileName)) return;
    // The reason is the desktop opener's, not the document's: say so.
    const String Reason = Utf8ToString(std::strerror(errno));
    MessageBox(Handle(), u"Cannot open \"" + FileName + u"\" with its program.\rxdg-open: " + Reason,
               u"Morvane", MB_ICONWARNING | MB_OK);
}
