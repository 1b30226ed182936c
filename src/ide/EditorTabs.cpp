// The editor tabs of the main window: one page per open file with its editor frame, error list,
// splitter and progress bar; opening once per path, closing with the save question, owner-drawn
// captions with close buttons, and reordering by dragging.
#include "ide/Main.h"

#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/Strings.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Questions.h"

const char16_t* const STabCloseQuestion =
    u"The text in the \"%s\" file has changed.\r\rDo you want to save the modifications?";

namespace {

template <class T> T* ChildOf(TTabSheet* Page) {
    if (!Page) return nullptr;
    for (int I = 0; I < Page->ControlCount(); ++I)
        if (auto* C = dynamic_cast<T*>(Page->Controls(I))) return C;
    return nullptr;
}

// The caption of a file's tab: its name up to the first dot, at most 20 characters.
String TabCaptionOf(const String& FileName) {
    String Name = ExtractFileName(FileName);
    if (const int Dot = Pos(u".", Name); Dot > 0) Name = Copy(Name, 1, Dot - 1);
    return Copy(Name, 1, 20);
}

} // namespace

void TfrmMain::SetUpEditorTabs() {
    // The pop-up menu of every page's error list.
    popErrors = new TPopupMenu(this);
    popErrors->SetName(u"popErrors");
    for (const char16_t* Name : {u"actShowNormalLog", u"actShowErrorListing"}) {
        auto* Item = new TMenuItem(this);
        Item->SetAction(Action(Name));
        popErrors->Items()->Add(Item);
    }
    pgEdit->SetOwnerDraw(true);
    pgEdit->OnDrawTab = [this](TCustomTabControl*, int TabIndex, const TRect& R, bool Active) {
        pgEditDrawTab(TabIndex, R, Active);
    };
    pgEdit->OnChange = [this](TObject*) { RefreshFunctionList(); };
    pgEdit->OnMouseDown = [this](TObject*, TMouseButton Button, TShiftState Shift, int X, int Y) {
        pgEditMouseDown(Button, Shift, X, Y);
    };
    pgEdit->OnMouseMove = [this](TObject*, TShiftState Shift, int X, int Y) { pgEditMouseMove(Shift, X, Y); };
    pgEdit->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState Shift, int X, int Y) {
        pgEditMouseUp(Button, Shift, X, Y);
    };
    pgEdit->OnDragOver = [](TObject*, TObject*, int, int, TDragState, bool& Accept) { Accept = true; };
    pgEdit->OnDragDrop = [this](TObject*, TObject*, int X, int Y) { pgEditDragDrop(X, Y); };
}

TfrmEditor* TfrmMain::OpenFileInTab(const String& FileName, tNodeType NodeType, tTabKind TabKind,
                                    bool SimpleCoding) {
    // The "Arduino" page holds no file: a page without a name is not found there.
    for (int I = 0; I < pgEdit->PageCount(); ++I)
        if (pgEdit->Pages(I) != tsArduino && pgEdit->Pages(I)->HelpKeyword() == FileName) {
            pgEdit->SetActivePage(pgEdit->Pages(I));
            return nullptr;
        }
    auto* Page = new TTabSheet(this);
    Page->SetPageControl(pgEdit);
    Page->SetVisible(true);
    Page->SetShowHint(true);
    Page->SetCaption(TabCaptionOf(FileName));
    Page->SetHint(FileName);
    Page->SetHelpKeyword(FileName);
    Page->SetHelpContext(TabKind);
    pgEdit->SetActivePage(Page);

    auto* Bar = new TProgressBar(Page);
    Bar->SetName(u"prbar");
    Bar->SetParent(Page);
    Bar->SetHeight(1);
    Bar->SetBarColor(255);
    Bar->SetStyle(pbstMarquee);
    Bar->SetState(pbsPaused);
    Bar->SetAlign(alBottom);
    auto* Errors = new TListBox(Page);
    Errors->SetParent(Page);
    Errors->SetHeight(50);
    Errors->Font()->SetName(u"Courier new");
    Errors->SetAlign(alBottom);
    Errors->SetPopupMenu(popErrors);
    Errors->OnDblClick = [this, Errors](TObject*) { ErrorListDblClick(Errors); };
    auto* Splitter = new TSplitter(Page);
    Splitter->SetParent(Page);
    Splitter->SetColor(TColor(0xFF0000));
    Splitter->SetAlign(alBottom);
    Splitter->SetHeight(3);

    auto* Editor = new TfrmEditor(Page);
    Editor->SetParent(Page);
    Editor->Show();
    if (!FileName.empty()) {
        // A file that cannot be read leaves its page with an empty editor.
        Editor->OpenFile(FileName, SimpleCoding, TabKind == tkExamplesRO);
    } else {
        LoadNewSketchText(Editor);
        Page->SetCaption(u"???");
        Page->SetHelpKeyword(u"???");
    }
    FCloseButtonsRectArray.resize(std::max<size_t>(FCloseButtonsRectArray.size(), size_t(pgEdit->PageCount())));
    FCloseButtonMouseDownIndex = -1;
    pgEdit->Invalidate();
    AddRecentFile(FileName, NodeType, TabKind, SimpleCoding);
    RefreshFunctionList();
    return Editor;
}

void TfrmMain::LoadNewSketchText(TfrmEditor* Form) {
    TStrings* Lines = Form->codeedt->Lines();
    Lines->Clear();
    const String Name = FindFileNoCase(ProgramFolder(), ChangeFileExt(ExtractFileName(ProgramFile()), u".NewSketch"));
    if (!Name.empty() && FileExists(Name)) Lines->LoadFromFile(Name, TEncoding::ANSI());
}

String TfrmMain::ActiveFileName() const {
    TTabSheet* Page = pgEdit->ActivePage();
    return Page && Page != tsArduino ? Page->HelpKeyword() : String();
}

TfrmEditor* TfrmMain::EditorOfTab(TTabSheet* Page) {
    return ChildOf<TfrmEditor>(Page);
}

TfrmEditor* TfrmMain::ActiveEditorForm() const {
    return EditorOfTab(pgEdit->ActivePage());
}

TfrmEditor* TfrmMain::ActiveTabEditorForm() const {
    return EditorFormOfTab(pgEdit->ActivePage());
}

TListBox* TfrmMain::ErrorListOfTab(TTabSheet* Page) {
    return ChildOf<TListBox>(Page);
}

TListBox* TfrmMain::ActiveErrorList() const {
    return ErrorListOfTab(pgEdit->ActivePage());
}

TProgressBar* TfrmMain::ActiveProgressBar() const {
    return ChildOf<TProgressBar>(pgEdit->ActivePage());
}

bool TfrmMain::QuerySaveEditor(TfrmEditor* Form) {
    if (!Form->codeedt->Modified()) return true;
    switch (MessageBox(Handle(), Format(STabCloseQuestion, {ActiveFileName()}), u"Close form",
                       MB_ICONQUESTION | MB_YESNOCANCEL | MB_DEFBUTTON3)) {
    case IDYES:
        SaveActiveFile();
        return true;
    case IDNO:
        return true;
    default:
        return false;
    }
}

void TfrmMain::SaveActiveFile() {
    TfrmEditor* Editor = ActiveEditorForm();
    ASSERT(Editor);
    Editor->SaveFile();
    pgEdit->Invalidate();
}

void TfrmMain::CloseActiveTab() {
    TfrmEditor* Form = ActiveTabEditorForm();
    // A page stays while the builder runs for it: its error list takes the result.
    if (!Form || FBuildRunning || !QuerySaveEditor(Form)) return;
    int I = pgEdit->ActivePageIndex();
    TTabSheet* Page = pgEdit->ActivePage();
    // The focus leaves the page before its frame goes.
    DefocusControl(Page, true);
    delete Page;
    if (I >= pgEdit->PageCount()) I = std::max(I - 1, 0);
    pgEdit->SetActivePageIndex(I);
    pgEdit->Invalidate();
    RefreshFunctionList();
}

void TfrmMain::pgEditDrawTab(int TabIndex, const TRect& R, bool Active) {
    if (TabIndex < 0 || TabIndex >= int(FCloseButtonsRectArray.size()) || TabIndex >= pgEdit->PageCount()) return;
    TRect& Close = FCloseButtonsRectArray[size_t(TabIndex)];
    Close.Left = R.Right - 19;
    Close.Right = R.Right - 5;
    Close.Top = R.Top + (Active ? 4 : 3);
    Close.Bottom = Close.Top + 14;
    if (TAction* Copy = Action(u"actFileCopyFromEditorFile")) Copy->SetEnabled(false);
    TTabSheet* Page = pgEdit->Pages(TabIndex);
    TCanvas* Canvas = pgEdit->Canvas();
    const String Ext = AnsiUpperCase(ExtractFileExt(Page->HelpKeyword()));
    TColor Color = 0;
    if (Ext == u".INO" || Ext == u".PDE") {
        Color = Page->HelpContext() == tkSketches ? 255 : 128;
        if (TAction* Copy = Action(u"actFileCopyFromEditorFile")) Copy->SetEnabled(true);
    } else if (Ext == u".H" || Ext == u".C" || Ext == u".CPP") {
        Color = 0x008000;
    } else if (Ext == u".TXT") {
        Color = 0xFF0000;
    }
    Canvas->Font()->SetColor(Color);
    TFontStyles Style;
    if (Active) {
        Canvas->Brush()->SetColor(15987433);
        Style.Include(fsBold);
    } else {
        Canvas->Brush()->SetColor(clBtnFace);
    }
    if (TfrmEditor* Editor = EditorOfTab(Page); Editor && Editor->codeedt->Modified()) Style.Include(fsUnderline);
    Canvas->Font()->SetStyle(Style);
    Canvas->FillRect(R);
    Canvas->TextOut(R.Left + (Active ? 6 : 3), R.Top + 3, Page->Caption());
    Cardinal State = DFCS_CAPTIONCLOSE;
    if (FCloseButtonMouseDownIndex == TabIndex && FCloseButtonShowPushed) State |= DFCS_PUSHED;
    DrawFrameControl(Canvas, Close, DFC_CAPTION, State);
}

void TfrmMain::pgEditMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button != mbLeft) return;
    bool OnCloseButton = false;
    if (Shift.Contains(ssDouble)) {
        const int Tab = pgEdit->IndexOfTabAt(X, Y);
        if (Tab >= 0) pgEdit->SetActivePageIndex(Tab);
        CloseActiveTab();
    } else {
        // The array is never shrunk: the rectangles of closed tabs beyond the last page stay.
        const size_t Count = std::min(FCloseButtonsRectArray.size(), size_t(pgEdit->PageCount()));
        for (size_t I = 0; I < Count; ++I)
            if (PtInRect(FCloseButtonsRectArray[I], TPoint{X, Y})) {
                FCloseButtonMouseDownIndex = int(I);
                FCloseButtonShowPushed = true;
                OnCloseButton = true;
                pgEdit->Repaint();
            }
    }
    // A pending drag takes the mouse until the button's release, which then never reaches the
    // tab row: a press on a close button starts a click on it, not a drag of the tab.
    if (!OnCloseButton) pgEdit->BeginDrag(false);
}

void TfrmMain::pgEditMouseMove(TShiftState Shift, int X, int Y) {
    if (Shift.Contains(ssLeft) && FCloseButtonMouseDownIndex >= 0 &&
        FCloseButtonMouseDownIndex < int(FCloseButtonsRectArray.size())) {
        const bool Inside = PtInRect(FCloseButtonsRectArray[size_t(FCloseButtonMouseDownIndex)], TPoint{X, Y});
        if (Inside != FCloseButtonShowPushed) {
            FCloseButtonShowPushed = Inside;
            pgEdit->Repaint();
        }
    }
    const int Tab = pgEdit->IndexOfTabAt(X, Y);
    const String Hint = Tab >= 0 && Tab < pgEdit->PageCount() ? pgEdit->Pages(Tab)->Hint() : String();
    if (Hint != pgEdit->Hint()) {
        pgEdit->SetHint(Hint);
        Application->CancelHint();
    }
}

void TfrmMain::pgEditMouseUp(TMouseButton Button, TShiftState, int X, int Y) {
    if (Button != mbLeft || FCloseButtonMouseDownIndex < 0) return;
    const int Held = FCloseButtonMouseDownIndex;
    // The release ends the hold, inside the button or not.
    FCloseButtonMouseDownIndex = -1;
    FCloseButtonShowPushed = false;
    if (Held < int(FCloseButtonsRectArray.size()) && PtInRect(FCloseButtonsRectArray[size_t(Held)], TPoint{X, Y})) {
        const int Tab = pgEdit->IndexOfTabAt(X, Y);
        if (Tab >= 0) pgEdit->SetActivePageIndex(Tab);
        CloseActiveTab();
    }
    pgEdit->Repaint();
}

void TfrmMain::pgEditDragDrop(int X, int Y) {
    for (int I = 0; I < pgEdit->PageCount(); ++I)
        if (PtInRect(pgEdit->TabRect(I), TPoint{X, Y})) {
            if (I != pgEdit->ActivePageIndex() && pgEdit->ActivePage()) pgEdit->ActivePage()->SetPageIndex(I);
            return;
        }
}

void TfrmMain::ConnectEditorActions() {
    auto Connect = [this](const char16_t* Name, std::function<void()> Effect) {
        TAction* A = Action(Name);
        A->OnExecute = [Effect](TObject*) { Effect(); };
        A->SetEnabled(true);
    };
    // The actions that work on the active editor do nothing without one.
    auto OnEditor = [this, Connect](const char16_t* Name, std::function<void(TfrmEditor*)> Effect) {
        Connect(Name, [this, Effect] {
            if (TfrmEditor* Editor = ActiveEditorForm()) Effect(Editor);
        });
    };
    OnEditor(u"actFileSave", [this](TfrmEditor*) { SaveActiveFile(); });
    OnEditor(u"actEditFind", [](TfrmEditor* E) { E->ShowSearchReplaceDialog(false); });
    OnEditor(u"actEditReplace", [](TfrmEditor* E) { E->ShowSearchReplaceDialog(true); });
    OnEditor(u"actEditFindNext", [](TfrmEditor* E) { E->SearchNext(); });
    OnEditor(u"actEditFindPrev", [](TfrmEditor* E) { E->SearchPrevious(); });
    OnEditor(u"actGotoDefine", [](TfrmEditor* E) { E->GotoDefines(); });
    OnEditor(u"actGotoInclude", [](TfrmEditor* E) { E->GotoIncludes(); });
    OnEditor(u"actGotoSetup", [](TfrmEditor* E) { E->GotoSetup(); });
    OnEditor(u"actGotoLoop", [](TfrmEditor* E) { E->GotoLoop(); });
    Connect(u"actFileClose", [this] { CloseActiveTab(); });
    Connect(u"actFileOpenMostRecent", [this] { OpenRecentEntry(0); });
    Action(u"actFileOpenMostRecent")->SetEnabled(false);
    Connect(u"actTemplatesSortByName", [this] { lstTemplates->SetSorted(true); });
    Connect(u"actTemplatesUnSort", [this] {
        lstTemplates->SetSorted(false);
        LoadTemplates();
    });
    Connect(u"actFillFunctionList", [this] { RefreshFunctionList(); });
    Connect(u"actArduinoCompile", [this] { ArduinoVerify(); });
    Connect(u"actArduinoUpload", [this] { ArduinoUpload(); });
    Connect(u"actShowNormalLog", [this] { ShowOriginalLog(false); });
    Connect(u"actShowErrorListing", [this] { ShowOriginalLog(true); });
}
