#include "ide/HelpArduinos.h"

#include "ide/DMImages.h"
#include "ide/Main.h"
#include "ide/Options.h"
#include "ide/Trees.h"

#include "platform/base/Encoding.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/NativeWindow.h"
#include "platform/gui/Placing.h"
#include "platform/gui/Questions.h"
#include "platform/os/ChildProcess.h"
#include "platform/os/ForeignWindows.h"
#include "platform/os/ShellOpen.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

tDocTreeClass::tDocTreeClass(const String& ACaption, tNodeCategory ANodeCategory, const String& APath)
    : tTreeClass(ACaption, APath, ntUnknown), fNodeCategory(ANodeCategory) {}

tNodeCategory tDocTreeClass::GetNodeCategoryFromFileName(int NodeLevel, const String& aText) {
    switch (NodeLevel) {
    case 1:
        return icCategory;
    case 2:
        return icItemName;
    case 3: {
        const String Group = UpperCase(Trim(Copy(aText, 4, Length(aText))));
        return Group == u"IMG" ? icImage : Group == u"PARAMS" ? icText : icUnknown;
    }
    default:
        return icUnknown;
    }
}

namespace {

String Quoted(const String& S) {
    return u"\"" + S + u"\"";
}

// Index lines written on other systems name sub-folders with backslashes.
String LocalPath(String Path) {
    for (Char& C : Path)
        if (C == u'\\') C = PathDelim;
    return Path;
}

} // namespace

TfrmHelpArduinos::TfrmHelpArduinos(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"frmHelpArduinos");
        SetCaption(u"Help Arduinos");
        SetClientWidth(683);
        SetClientHeight(375);

        tlb1 = MakeControl<TToolBar>(this, this, u"tlb1", alTop);
        tlb1->SetImages(frmDM ? frmDM->imglstMenu : nullptr);
        tlb1->SetShowHint(true);
        btn1 = new TToolButton(this);
        btn1->SetName(u"btn1");
        btn1->SetHint(u"Refresh DOC LIST");
        btn1->SetImageIndex(mgFunctionList);
        btn1->SetParent(tlb1);
        chkHideDetails = new TCheckBox(this);
        chkHideDetails->SetName(u"chkHideDetails");
        chkHideDetails->SetCaption(u"Hide Details");
        chkHideDetails->SetWidth(90);
        chkHideDetails->SetChecked(true);
        chkHideDetails->SetParent(tlb1);
        btn4 = new TToolButton(this);
        btn4->SetName(u"btn4");
        btn4->SetHint(u"Show help definition file");
        btn4->SetImageIndex(mgNormalLog);
        btn4->SetParent(tlb1);

        pnlInfo = MakeControl<TPanel>(this, this, u"pnlInfo", alBottom);
        pnlInfo->SetHeight(22);
        pnlInfo->SetBevelOuter(bvLowered);
        pnlInfo->SetAlignment(taLeftJustify);
        pnlInfo->SetCaption(u"");
        pnlLeft = MakeControl<TPanel>(this, this, u"pnlLeft", alLeft);
        pnlLeft->SetWidth(185);
        pnlLeft->SetCaption(u"");
        vtreeDatasheets = MakeControl<TLeanStringTree>(this, pnlLeft, u"vtreeDatasheets", alClient);
        vtreeDatasheets->Header()->Columns()->Add()->SetWidth(180);
        vtreeDatasheets->SetButtonStyle(bsTriangle);
        if (frmDM) vtreeDatasheets->SetImages(frmDM->imglstTree);
        vtreeDatasheets->SetNodeDataSize(int(sizeof(tTreeClass*)));
        spl1 = new TSplitter(this);
        spl1->SetName(u"spl1");
        spl1->SetParent(this);
        spl1->SetLeft(186);
        spl1->SetAlign(alLeft);
        pnlRight = MakeControl<TPanel>(this, this, u"pnlRight", alClient);
        pnlRight->SetCaption(u"");
        pgcHelp = MakeControl<TPageControl>(this, pnlRight, u"pgcHelp", alClient);
        pgcHelp->SetShowHint(true);
        lstDefinitionFile = MakeControl<TListBox>(this, pnlRight, u"lstDefinitionFile", alNone);
        lstDefinitionFile->SetVisible(false);

        vtreeDatasheets->OnGetText = [this](TBaseLeanTree*, PLeanNode Node, TColumnIndex Column, TVSTTextType,
                                            String& CellText) {
            if (tDocTreeClass* Item = NodeRecord(Node); Item && Column <= 0) CellText = Item->Caption();
        };
        vtreeDatasheets->OnGetImageIndex = [this](TBaseLeanTree*, PLeanNode Node, TLTImageKind Kind, TColumnIndex,
                                                  bool&, int& ImageIndex) {
            if (Kind != ikNormal && Kind != ikSelected) return;
            if (tDocTreeClass* Item = NodeRecord(Node)) ImageIndex = 33 + int(Item->NodeCategory());
        };
        vtreeDatasheets->OnFreeNode = [](TBaseLeanTree* Sender, PLeanNode Node) {
            tTreeClass*& Item = *static_cast<tTreeClass**>(Sender->GetNodeData(Node));
            delete Item;
            Item = nullptr;
        };
        vtreeDatasheets->OnDblClick = [this](TObject*) { OpenFocusedItem(); };
        btn1->OnClick = [this](TObject*) { ReadIndex(); };
        btn4->OnClick = [this](TObject*) {
            lstDefinitionFile->SetVisible(!lstDefinitionFile->Visible());
            if (lstDefinitionFile->Visible()) lstDefinitionFile->BringToFront();
        };
        chkHideDetails->OnClick = [this](TObject*) {
            if (!(ComponentState().Contains(csLoading))) ReadIndex();
        };
        pgcHelp->OnChange = [this](TObject*) { ShowTabInfo(); };
        pgcHelp->OnMouseMove = [this](TObject*, TShiftState, int X, int Y) {
            const int Tab = pgcHelp->IndexOfTabAt(X, Y);
            if (Tab == FHintTab) return;
            FHintTab = Tab;
            pgcHelp->SetHint(Tab >= 0 ? pgcHelp->Pages(Tab)->Hint() : String());
            Application->CancelHint();
        };
        OnResize = [this](TObject*) { ResizeEmbedded(); };
        OnCreate = [this](TObject*) {
            slExternalProgramHandles = std::make_unique<TStringList>();
            lstDefinitionFile->SetBounds(0, 0, pnlRight->ClientWidth(), pnlRight->ClientHeight());
            lstDefinitionFile->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
        };
    });
}

TfrmHelpArduinos::~TfrmHelpArduinos() {
    if (slExternalProgramHandles)
        for (int I = 0; I < slExternalProgramHandles->Count(); ++I) {
            const auto Window = TForeignWindow(StrToIntDef(slExternalProgramHandles->Strings(I), 0));
            if (ForeignWindowExists(Window)) CloseForeignWindow(Window);
        }
    // Asked to close, the viewers end by themselves; nothing the user has open in one is cut off.
    for (const auto& Viewer : FViewers) Viewer->Detach();
}

tDocTreeClass* TfrmHelpArduinos::NodeRecord(PLeanNode Node) const {
    return dynamic_cast<tDocTreeClass*>(TreeRecord(vtreeDatasheets, Node));
}

String TfrmHelpArduinos::IndexFileName() {
    return ChangeFileExt(ProgramFile(), u".Datasheets");
}

void TfrmHelpArduinos::ReadIndex() {
    const String Path = IndexFileName();
    FTabNumber = 1;
    const String Found = FindFileNoCase(ProgramFolder(), ExtractFileName(Path));
    if (Found.empty() || !FileExists(Found)) throw Exception(u"Datasheet description file " + Path + u" not found!");
    TStringList Lines;
    {
        TEncoding* Detected = nullptr;
        Lines.SetText(LoadTextFile(Found, Detected, TEncoding::ANSI()));
    }
    lstDefinitionFile->Items()->Clear();
    vtreeDatasheets->Clear();
    vtreeDatasheets->SetNodeDataSize(int(sizeof(tTreeClass*)));
    TUpdateBracket<TLeanStringTree> Update(*vtreeDatasheets);
    TScopeExit Expand([this] { vtreeDatasheets->FullExpand(nullptr); });
    const bool HideDetails = chkHideDetails->Checked();
    bool Reading = true;
    PLeanNode Last = nullptr;
    for (int I = 0; I < Lines.Count(); ++I) {
        const String Line = Trim(Lines.Strings(I));
        if (Line.empty()) continue;
        int Level = 0;
        while (Level < Length(Line) && Line[size_t(Level)] == u'+') ++Level;
        if (Level == 1) Reading = true;
        if (Line[0] == u'#') Reading = false;
        if (!Reading) continue;
        if (Level == 0) Level = 4;
        PLeanNode Parent = nullptr;
        if (Level > 1) {
            // A deeper line before any node has no place in the tree.
            if (!Last) continue;
            Parent = Last;
            while (Parent && int(vtreeDatasheets->GetNodeLevel(Parent)) >= Level - 1) Parent = Parent->Parent;
            if (Parent == vtreeDatasheets->RootNode()) Parent = nullptr;
        }
        lstDefinitionFile->Items()->Add(Line);
        String Text = Line;
        while (!Text.empty() && Text[0] == u'+') Text.erase(0, 1);
        Last = AddRecordNode(vtreeDatasheets, Parent,
                             std::make_unique<tDocTreeClass>(
                                 Text, tDocTreeClass::GetNodeCategoryFromFileName(Level, Line), Text));
        if (HideDetails && Level >= 3) vtreeDatasheets->SetNodeVisible(Last, false);
    }
}

void TfrmHelpArduinos::OpenFocusedItem() {
    if (PLeanNode Node = vtreeDatasheets->FocusedNode()) OpenItem(Node);
}

void TfrmHelpArduinos::OpenItem(PLeanNode Item) {
    tDocTreeClass* Record = NodeRecord(Item);
    if (!Record || Record->NodeCategory() != icItemName) return;
    for (tNodeCategory Wanted : {icImage, icText})
        for (PLeanNode Child = vtreeDatasheets->GetFirstChild(Item); Child;
             Child = vtreeDatasheets->GetNextSibling(Child))
            if (tDocTreeClass* Group = NodeRecord(Child); Group && Group->NodeCategory() == Wanted) {
                OpenDocGroup(Child, FTabNumber++, Record->Caption());
                break;
            }
}

void TfrmHelpArduinos::OpenDocGroup(PLeanNode Group, int Number, const String& ItemName) {
    String Missing;
    for (PLeanNode Child = vtreeDatasheets->GetFirstChild(Group); Child;
         Child = vtreeDatasheets->GetNextSibling(Child)) {
        tDocTreeClass* Doc = NodeRecord(Child);
        if (!Doc) continue;
        const String Path = IncludeTrailingPathDelimiter(ProgramFolder()) + u"Datasheets" + PathDelim +
                            LocalPath(Doc->FullPath());
        if (FileExists(Path))
            OpenDocument(Path, ItemName, Number);
        else
            Missing += Path + u"\r\n";
    }
    if (!Missing.empty())
        MessageBox(Handle(), u"Following help file(s) were not found:\r\r" + Missing,
                   u"MORVANE - Arduino help file failed", MB_ICONWARNING | MB_OK | MB_SYSTEMMODAL);
}

void TfrmHelpArduinos::OpenDocument(const String& Document, const String& ItemName, int Number) {
    String Extension = ExtractFileExt(Document);
    if (!Extension.empty()) Extension.erase(0, 1);
    String WindowClass, Params;
    String Program = Trim(frmOptions ? frmOptions->ExternalProgramForExtension(Extension, WindowClass, Params)
                                     : String());
    String Bare = Program;
    if (!Bare.empty() && Bare[0] == u'"') {
        Bare = Copy(Bare, 2, Length(Bare) - 2);
    } else {
        Program = Quoted(Program);
    }
    const String Advice = u"\r\rUse Options dialog for setting of External viewer files";
    // The desktop's opener shows the document in a window of the desktop's program, which is
    // not taken into a tab: no window name is needed.
    if (ExtractFileName(Bare) == u"xdg-open") {
        if (!ShellOpen(Document, Bare))
            throw Exception(u"External file for extension " + Extension + u" not found:\r" + Program + u"\r" +
                            Utf8ToString(std::strerror(errno)) + Advice);
        return;
    }
    if (Bare.empty() || !FileExists(Bare))
        throw Exception(u"External file for extension " + Extension + u" not found:\r" + Program + Advice);
    if (Trim(WindowClass).empty())
        throw Exception(u"External file for extension " + Extension + u": missing WindowName\r" + Program + Advice);
    const String QuotedDocument = !Document.empty() && Document[0] == u'"' ? Document : Quoted(Document);

    TTabSheet* Tab = nullptr;
    for (int I = 0; I < pgcHelp->PageCount() && !Tab; ++I)
        if (pgcHelp->Pages(I)->Hint() == QuotedDocument) Tab = pgcHelp->Pages(I);
    if (!Tab) {
        Tab = new TTabSheet(pgcHelp);
        Tab->SetPageControl(pgcHelp);
        Tab->SetShowHint(true);
        Tab->SetCaption(Format(u"%s %d", {ItemName, Number}));
        Tab->SetHint(QuotedDocument);
        Tab->SetHelpKeyword(ItemName);
    }
    pgcHelp->SetActivePage(Tab);
    ShowTabInfo();

    // The viewer gets the document and the extra parameters as the options write them.
    String Command = ShellQuote(Bare) + u" " + ShellQuote(Copy(QuotedDocument, 2, Length(QuotedDocument) - 2));
    if (!Trim(Params).empty()) Command += u" " + Params;
    auto Viewer = std::make_unique<TChildProcess>();
    if (!Viewer->StartCommandLine(Command)) return;
    TChildProcess* Started = Viewer.get();
    FViewers.push_back(std::move(Viewer));

    // Without a display there is no window to find.
    if (!ForeignDisplayAvailable()) return;
    TForeignWindow Found = 0;
    for (int Try = 0; Try < WindowSearchTries && !Found; ++Try) {
        Found = FindForeignWindow(Trim(WindowClass));
        if (Found || !Started->GroupRunning()) break;
        // The window keeps answering while the viewer comes up.
        const auto Until = std::chrono::steady_clock::now() + std::chrono::milliseconds(WindowSearchPause);
        while (std::chrono::steady_clock::now() < Until) {
            Application->ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    const unsigned Host = NativeWindowOf(Tab);
    if (!Found || !Host) return;
    ReparentForeignWindow(Found, Host);
    slExternalProgramHandles->Add(IntToStr(int(Found)));
    ResizeEmbedded();
    ShowForeignWindow(Found, true);
    ShowTabInfo();
}

void TfrmHelpArduinos::ResizeEmbedded() {
    if (!slExternalProgramHandles) return;
    for (int I = 0; I < slExternalProgramHandles->Count(); ++I) {
        const auto Window = TForeignWindow(StrToIntDef(slExternalProgramHandles->Strings(I), 0));
        if (ForeignWindowExists(Window)) MoveForeignWindow(Window, 0, 0, ClientWidth(), ClientHeight());
    }
}

void TfrmHelpArduinos::ShowTabInfo() {
    TTabSheet* Tab = pgcHelp->ActivePage();
    if (!Tab) return;
    pnlInfo->SetCaption(Format(u"%s:  %s", {Tab->HelpKeyword(), Tab->Hint()}));
}

// -- The main window's "Boards && shields user documentation" --

void TfrmMain::ShowDatasheets() {
    if (!frmHelpArduinos) {
        // A missing index makes the window fail; the next use tries again.
        auto Window = std::make_unique<TfrmHelpArduinos>(this);
        Window->ReadIndex();
        frmHelpArduinos = Window.release();
    }
    frmHelpArduinos->Show();
}
