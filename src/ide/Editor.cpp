#include "ide/Editor.h"

#include "ide/BookmarkList.h"
#include "ide/DMImages.h"
#include "ide/Main.h"
#include "ide/MyObjects.h"
#include "ide/SearchDialogs.h"

#include "editor/AutoComplete.h"
#include "editor/CodeEditKeyCmdsEditor.h"
#include "regex/RegexEngine.h"

#include "platform/base/DateTime.h"
#include "platform/base/Encoding.h"
#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Placing.h"
#include "platform/gui/Questions.h"

TEditorSearchSettings EditorSearch;

const char16_t* const SEmptyFileQuestion =
    u"File appears to be empty. \rIt might be due to non-ascii chars inside file opened in UTF-8 mode. "
    u"\r\rDo you want to open it in pure (ASCII) mode?";
const char16_t* const SEmptyFileCaption = u"Non UTF-8 file ?";
const char16_t* const SFrameCloseQuestion =
    u"The text in the \"%s\" file has changed.\r\n\r\nDo you want to save the modifications?";

namespace {

// The frame's own editor command: on to the next "|" of an inserted template.
constexpr TCodeEditorCommand ecFindNextPlaceholder = ecUserFirst;

// The encoding sources are saved in; one instance for the whole program, as lists keep a
// pointer to the encoding they last used.
TUTF8EncodingNoBOM& Utf8NoBom() {
    static TUTF8EncodingNoBOM Encoding;
    return Encoding;
}

} // namespace

TfrmEditor::TfrmEditor(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"frmEditor");
        SetCaption(u"frmEditor");
        SetBorderStyle(Forms::bsNone);
        SetAlign(alClient);
        SetKeyPreview(true);

        actnlstBookmarks = new TActionList(this);
        actnlstBookmarks->SetName(u"actnlstBookmarks");
        actnlst1 = new TActionList(this);
        actnlst1->SetName(u"actnlst1");
        auto MakeAction = [this](TActionList* List, const String& Name, const String& Caption, const String& Key,
                                 std::function<void()> Effect) {
            auto* A = new TAction(this);
            A->SetName(Name);
            A->SetCaption(Caption);
            // The tool bar shows pictures only: the hint names the command.
            A->SetHint(Caption);
            if (!Key.empty()) A->SetShortCut(TextToShortCut(Key));
            A->OnExecute = [Effect](TObject*) { Effect(); };
            A->SetActionList(List);
            return A;
        };

        pnlInfo1 = MakeControl<TPanel>(this, this, u"pnlInfo1", alTop);
        pnlInfo1->SetHeight(25);
        pnlInfo1->SetCaption(u"");
        tlbr4 = MakeControl<TToolBar>(this, pnlInfo1, u"tlbr4", alClient);
        tlbr4->SetColor(11451071);
        tlbr4->SetButtonWidth(25);
        tlbr4->SetShowHint(true);
        if (frmDM) tlbr4->SetImages(frmDM->imglstBookmarks);
        auto Button = [this](const String& Name, TAction* Action, int Tag, int Image) {
            Action->SetImageIndex(Image);
            auto* B = new TToolButton(this);
            B->SetName(Name);
            B->SetAction(Action);
            B->SetTag(Tag);
            B->SetShowHint(true);
            B->SetParent(tlbr4);
            return B;
        };
        auto Separator = [this] {
            auto* B = new TToolButton(this);
            B->SetStyle(tbsSeparator);
            B->SetParent(tlbr4);
        };
        btnGotoSetup = Button(u"btnGotoSetup", MakeAction(actnlst1, u"actGotoSetup", u"Setup", u"F7", [this] {
                                  GotoSetup();
                              }),
                              -1, bgGotoSetup);
        btnGotoLoop = Button(u"btnGotoLoop", MakeAction(actnlst1, u"actGotoLoop", u"Loop", u"F8", [this] {
                                 GotoLoop();
                             }),
                             -1, bgGotoLoop);
        btnGotoDefines = Button(u"btnGotoDefines", MakeAction(actnlst1, u"actGotoDefines", u"#Defines", u"F6", [this] {
                                    GotoDefines();
                                }),
                                -1, bgGotoDefines);
        btnGotoIncludes = Button(u"btnGotoIncludes",
                                 MakeAction(actnlst1, u"actGotoIncludes", u"#Includes", u"F5", [this] { GotoIncludes(); }),
                                 -1, bgGotoIncludes);
        Separator();
        for (int N = 0; N <= 9; ++N) {
            TAction* A = MakeAction(actnlstBookmarks, Format(u"actBM%d", {N}), Format(u"BM%d", {N}), u"", [this, N] {
                if (codeedt->IsBookmark(N)) codeedt->GotoBookMark(N);
            });
            A->SetTag(N);
            A->SetEnabled(false);
            Button(Format(u"btnBM%d", {N}), A, N + 1, bgBookmark0 + N);
        }
        btnShowBookmarks = Button(u"btnShowBookmarks", MakeAction(actnlst1, u"actShowBookmarks", u"Show Bookmark list",
                                                                  u"Ctrl+B", [this] { ShowBookmarkList(); }),
                                  0, bgBookmarkList);
        Separator();
        actReadOnly = MakeAction(actnlst1, u"actReadOnly", u"Read Only", u"", [this] {
            SetReadOnlyMode(actReadOnly->Checked());
        });
        actReadOnly->SetAutoCheck(true);
        btnReadOnly = Button(u"btnReadOnly", actReadOnly, 0, bgReadOnly);
        btnTest = Button(u"btnTest", MakeAction(actnlst1, u"actShowHotkeys", u"Show Hotkeys asignments", u"",
                                                  [this] { ShowHotkeysAssignment(); }),
                         -1, bgHotkeys);
        lblLineSpace = new TLabel(this);
        lblLineSpace->SetName(u"lblLineSpace");
        lblLineSpace->SetCaption(u"  Line space+ ");
        lblLineSpace->SetParent(tlbr4);
        seLineExtraSpace = new TSpinEdit(this);
        seLineExtraSpace->SetName(u"seLineExtraSpace");
        seLineExtraSpace->SetMinValue(-10);
        seLineExtraSpace->SetMaxValue(10);
        seLineExtraSpace->SetValue(0);
        seLineExtraSpace->SetWidth(40);
        seLineExtraSpace->SetParent(tlbr4);

        StatusBar = MakeControl<TStatusBar>(this, this, u"StatusBar", alBottom);
        // At least 50 pixels each, and as wide as the widest text the panel shows (a line and
        // column of six and three digits; the edit states), so that no font cuts them off.
        TBitmap Measure(1, 1);
        Measure.Canvas()->Font()->Assign(StatusBar->Font());
        for (const std::initializer_list<const char16_t*> Texts :
             {std::initializer_list<const char16_t*>{u" 999999:999 "}, {u"Modified"},
              {u"Read Only", u"Insert", u"Overwrite"}}) {
            int Widest = 0;
            for (const char16_t* T : Texts)
                Widest = std::max(Widest, Measure.Canvas()->TextWidth(T));
            StatusBar->Panels()->Add()->SetWidth(std::max(50, Widest + 2 + 4)); // edges, margins
        }
        actChangeStatusBar = MakeAction(actnlst1, u"actChangeStatusBar", u"", u"", [this] { UpdateStatusBar(); });
        // Bound to both: it runs whenever the application is idle.
        actChangeStatusBar->OnUpdate = [this](TObject*) { UpdateStatusBar(); };

        pnlRight = MakeControl<TPanel>(this, this, u"pnlRight", alRight);
        pnlRight->SetWidth(120);
        pnlRight->SetCaption(u"");
        lstOtherFiles = MakeControl<TListBox>(this, pnlRight, u"lstOtherFiles", alClient);
        lstOtherFiles->SetColor(16119285);
        lstOtherFiles->OnClick = [this](TObject*) { OpenOtherFile(); };
        spl1 = new TSplitter(this);
        spl1->SetName(u"spl1");
        spl1->SetParent(this);
        spl1->SetAlign(alRight);
        spl1->SetColor(clNavy);

        codeedt = MakeControl<TCodeEdit>(this, this, u"codeedt", alClient);
        codeedt->SetActiveLineColor(clGradientActiveCaption);
        codeedt->Font()->SetName(u"Courier New");
        codeedt->Font()->SetHeight(-13);
        codeedt->Gutter()->SetShowLineNumbers(true);
        codeedt->Gutter()->SetGradient(true);
        if (frmDM) {
            codeedt->BookMarkOptions()->SetBookmarkImages(frmDM->imglstBookmarks);
            codeedt->SetHighlighter(frmDM->codeArduino);
        }
        codeedt->SetOptions({eoAutoIndent, eoDragDropEditing, eoScrollPastEol, eoShowScrollHint, eoSmartTabDelete,
                             eoTabIndent, eoTabsToSpaces});
        codeedt->SetTabWidth(2);
        codeedt->SetWantTabs(true);
        codeedt->OnStatusChange = [this](TObject* Sender, TCodeStatusChanges Changes) {
            codeedtStatusChange(Sender, Changes);
        };
        codeedt->OnPaintTransient = [this](TObject* Sender, TCanvas* Canvas, TTransientType TransientType) {
            codeedtPaintTransient(Sender, Canvas, TransientType);
        };
        codeedt->OnSpecialLineColors = [this](TObject* Sender, int Line, bool& Special, TColor& FG, TColor& BG) {
            codeedtSpecialLineColors(Sender, Line, Special, FG, BG);
        };
        codeedt->OnPlaceBookmark = [this](TObject*, TCodeEditMark*& Mark) {
            UpdateBookmarkActions(Mark);
            if (!Mark) return;
            if (TToolButton* B = BookmarkButton(Mark->BookmarkNumber())) {
                const int Line = Mark->Line();
                const String Text = Line >= 1 && Line <= codeedt->Lines()->Count()
                                        ? codeedt->Lines()->Strings(Line - 1)
                                        : String();
                B->SetHint(Format(u"[%d]:%s", {Line, Text}));
            }
        };
        codeedt->OnGutterClick = [this](TObject*, TMouseButton, int, int, int Line, TCodeEditMark*) {
            GutterClick(Line);
        };
        codeedt->OnClearBookmark = [this](TObject*, TCodeEditMark*&) { UpdateBookmarkActions(nullptr); };
        seLineExtraSpace->OnChange = [this](TObject*) { codeedt->SetExtraLineSpacing(seLineExtraSpace->Value()); };

        dlgSearch1 = new TCodeEditSearch(this);
        dlgSearch1->SetName(u"dlgSearch1");
        codeRegexSearch1 = new TCodeEditRegexSearch(this);
        codeRegexSearch1->SetName(u"codeRegexSearch1");

        OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
        OnCloseQuery = [this](TObject*, bool& CanClose) { CanClose = VerifyIfCanClose(); };
    });
}

TfrmEditor::~TfrmEditor() = default;

void TfrmEditor::FormCreate(TObject*) {
    FBracketFG = 255;
    FBracketBG = 65535;
    FRegExFunctionDef = u"\\b(unsigned)?((void)|(int)|(String)|(boolean)|(bool)|(char)|(uint8_t)|(uint16_t)|(int8_t)|"
                        u"(int16_t)|(long))\\s+[A-Za-z_0-9]*\\s*\\(.*\\)";
    FRegExDefineDef = u"\\#define\\s+[A-Za-z_0-9]+\\s*[A-Za-z_0-9]+";
    FRegExConstDef = u"\\bconst\\s+(int|String|boolean|bool|char|uint8_t|uint16_t|int8_t|int16_t|byte|long)\\s+[A-Za-z_"
                     u"0-9]+\\s*[,=;\\[]";
    FRegExVarsDef = u"\\b(unsigned)?\\s*(int|String|boolean|bool|char|uint8_t|uint16_t|int8_t|int16_t|byte|long)\\s+[A-"
                    u"Za-z_0-9]+\\s*[,=;\\[]";
    FRegExNonStdVarsDef = u"\\b[A-Za-z_0-9]+\\s+[A-Za-z_0-9]+\\s*[,=;\\[\\(]";
    slOtherFilesPathList = std::make_unique<TStringList>();
    SetUpAutoCompletion();
}

void TfrmEditor::SetUpAutoCompletion() {
    fAutoComplete = new TCodeAutoComplete(this);
    fAutoComplete->SetEditor(codeedt);
    codeedt->AddKey(ecAutoCompletion, VK_SPACE, {ssCtrl});
    // Ctrl+Tab goes on to the next place a template leaves to fill in.
    codeedt->AddKey(ecFindNextPlaceholder, VK_TAB, {ssCtrl});
    codeedt->OnProcessUserCommand = [this](TObject*, TCodeEditorCommand& Command, Char&, void*) {
        if (Command == ecFindNextPlaceholder) FindNextPlaceholder();
    };
    // The frame works without completions when the file is missing; the failure is reported.
    const String Folder = ProgramFolder();
    String Name = FindFileNoCase(Folder, ChangeFileExt(ExtractFileName(ProgramFile()), u".Templates"));
    if (Name.empty()) Name = IncludeTrailingPathDelimiter(Folder) + ChangeFileExt(ExtractFileName(ProgramFile()), u".Templates");
    fAutoComplete->AutoCompleteList()->LoadFromFile(Name, TEncoding::ANSI());
}

// -- Files --

void TfrmEditor::LoadLines(const String& aFileName, bool IsSimpleCoding) {
    TStrings* Lines = codeedt->Lines();
    if (IsSimpleCoding) {
        Lines->LoadFromFile(aFileName, TEncoding::ANSI());
        return;
    }
    try {
        Lines->LoadFromFile(aFileName, TEncoding::UTF8());
    } catch (const EEncodingError&) {
        // Text that is not UTF-8 decodes to nothing; the question below offers the plain read.
        Lines->Clear();
    }
    if (Lines->Count() == 0) {
        if (MessageBox(Handle(), SEmptyFileQuestion, SEmptyFileCaption, MB_ICONQUESTION | MB_OKCANCEL) == IDOK)
            Lines->LoadFromFile(aFileName, TEncoding::ANSI());
    }
}

void TfrmEditor::OpenFile(const String& aFileName, bool IsSimpleCoding, bool IsReadOnly) {
    FFileName = aFileName;
    LoadLines(aFileName, IsSimpleCoding);
    if (IsReadOnly) {
        SetReadOnlyMode(true);
        actReadOnly->SetChecked(true);
        actReadOnly->SetEnabled(false);
    }
}

void TfrmEditor::SaveFile() {
    codeedt->Lines()->SetWriteBOM(false);
    codeedt->Lines()->SaveToFile(FFileName, &Utf8NoBom());
    codeedt->SetModified(false);
}

void TfrmEditor::SetReadOnlyMode(bool ReadOnly) {
    codeedt->SetReadOnly(ReadOnly);
    codeedt->SetColor(ReadOnly ? TColor(16119279) : clWhite);
}

bool TfrmEditor::VerifyIfCanClose() {
    if (!fModified) return true;
    auto* Tab = dynamic_cast<TTabSheet*>(Parent());
    const String Path = Tab ? Tab->HelpKeyword() : FFileName;
    switch (MessageBox(Handle(), Format(SFrameCloseQuestion, {Path}), u"Close form",
                       MB_ICONQUESTION | MB_YESNOCANCEL | MB_DEFBUTTON3)) {
    case IDYES:
        SaveFile();
        return true;
    case IDNO:
        return true;
    default:
        return false;
    }
}

void TfrmEditor::UpdateStatusBar() {
    TStatusPanels* Panels = StatusBar->Panels();
    const int X = codeedt->CaretX(), Y = codeedt->CaretY();
    Panels->Items(0)->SetText(X < 1 || Y < 1 ? String() : Format(u" %6d:%3d ", {Y, X}));
    Panels->Items(1)->SetText(codeedt->Modified() ? u"Modified" : u"");
    Panels->Items(2)->SetText(codeedt->ReadOnly() ? u"Read Only" : codeedt->InsertMode() ? u"Insert" : u"Overwrite");
}

void TfrmEditor::codeedtStatusChange(TObject*, TCodeStatusChanges Changes) {
    if (!fModified && codeedt->Modified())
        if (auto* Tab = dynamic_cast<TTabSheet*>(Parent()); Tab && Tab->PageControl())
            Tab->PageControl()->Invalidate();
    if (Changes.Contains(scAll) || Changes.Contains(scModified)) fModified = codeedt->Modified();
    StatusBar->Panels()->Items(1)->SetText(codeedt->Modified() ? u"Modified" : u"");
}

bool TfrmEditor::IsFunctionDefinition(const String& Line) const {
    if (!FFunctionRegex) {
        auto& Self = const_cast<TfrmEditor&>(*this);
        Self.FFunctionRegex = std::make_unique<TRegexEngine>();
        Self.FFunctionRegex->SetExpression(FRegExFunctionDef);
    }
    return FFunctionRegex->Exec(Line) && FFunctionRegex->SubExprMatchCount() >= 1;
}

// The bracket at the caret (or just before it) and its partner: drawn in the bracket colours
// after the text is painted, and in their own colours before, which wipes the last highlight.
void TfrmEditor::codeedtPaintTransient(TObject*, TCanvas* Canvas, TTransientType TransientType) {
    static const String Brackets = u"()<>[]{}";
    if (codeedt->SelAvail() || !codeedt->Highlighter()) return;
    const String Line = codeedt->LineText();
    TBufferCoord P = codeedt->CaretXY();
    auto BracketAt = [&](int Char) {
        return Char >= 1 && Char <= Length(Line) && Brackets.find(Line[Char - 1]) != String::npos;
    };
    if (!BracketAt(P.Char)) {
        if (!BracketAt(P.Char - 1)) return;
        --P.Char;
    }
    String Token;
    TCodeHighlighterAttributes* Attri = nullptr;
    if (!codeedt->GetHighlighterAttriAtRowCol(P, Token, Attri)) return;
    if (Attri != codeedt->Highlighter()->SymbolAttribute()) return;
    const Char Open = Line[P.Char - 1];
    const size_t I = Brackets.find(Open);
    const String Pair = Brackets.substr(I - I % 2, 2);
    TColor FG = FBracketFG, BG = FBracketBG;
    if (TransientType == ttBefore) {
        FG = Attri->Foreground() == clNone ? codeedt->Font()->Color() : Attri->Foreground();
        BG = Attri->Background() == clNone ? codeedt->Color() : Attri->Background();
    }
    Canvas->Font()->Assign(codeedt->Font());
    Canvas->Font()->SetStyle(Attri->Style());
    Canvas->Font()->SetColor(FG);
    Canvas->Brush()->SetColor(BG);
    auto Draw = [&](const TBufferCoord& At, Char C) {
        const TPoint Pix = codeedt->RowColumnToPixels(codeedt->BufferToDisplayPos(At));
        if (Pix.X <= codeedt->GutterWidth()) return;
        Canvas->TextOut(Pix.X, Pix.Y, String(1, C));
    };
    Draw(P, Open);
    const TBufferCoord Match = codeedt->GetMatchingBracketEx(P);
    if (Match.Char >= 1 && Match.Line >= 1) Draw(Match, Pair[Open == Pair[0] ? 1 : 0]);
    Canvas->Brush()->SetStyle(bsSolid);
}

void TfrmEditor::codeedtSpecialLineColors(TObject*, int Line, bool& Special, TColor&, TColor& BG) {
    if (Line < 1 || Line > codeedt->Lines()->Count()) return;
    const String Text = codeedt->Lines()->Strings(Line - 1);
    if (Pos(u"void setup()", Text) > 0) {
        Special = true;
        BG = 6022397;
    } else if (Pos(u"void loop()", Text) > 0) {
        Special = true;
        BG = 4248317;
    } else if (IsFunctionDefinition(Text)) {
        Special = true;
        BG = 12319735;
    }
}

// -- Landmarks --

void TfrmEditor::FindAndSelect(const String& Text, bool IgnoreCase, bool FromStart) {
    String Whole = codeedt->Text();
    String Word = Text;
    if (IgnoreCase) {
        Whole = AnsiUpperCase(Whole);
        Word = AnsiUpperCase(Word);
    }
    if (codeedt->SelStart() >= Length(Whole)) codeedt->SetSelStart(0);
    int P = Pos(Word, Whole);
    if (P == 0) return;
    if (!FromStart) {
        const int Limit = codeedt->SelStart() + (codeedt->SelAvail() ? 1 : 0);
        for (int Next; P - 1 <= Limit && (Next = PosEx(Word, Whole, P + 1)) > 0;)
            P = Next;
    }
    codeedt->SetSelStart(P - 1);
    codeedt->SetSelLength(Length(Word));
    if (codeedt->CanFocus()) codeedt->SetFocus();
}

// -- Search and replace --

TCodeSearchOptions TfrmEditor::SearchOptions(bool Replace, bool Backwards) const {
    TCodeSearchOptions Options;
    if (Replace) Options += {ssoReplace, ssoReplaceAll, ssoPrompt};
    if (Backwards) Options.Include(ssoBackwards);
    if (EditorSearch.SearchCaseSensitive) Options.Include(ssoMatchCase);
    if (!fSearchFromCaret) Options.Include(ssoEntireScope);
    if (EditorSearch.SearchSelectionOnly) Options.Include(ssoSelectedOnly);
    if (EditorSearch.SearchWholeWords) Options.Include(ssoWholeWord);
    return Options;
}

void TfrmEditor::DoSearchReplace(bool Replace, bool Backwards) {
    // No replace confirmation handler is installed: a replace changes every occurrence in scope.
    if (EditorSearch.SearchRegularExpression)
        codeedt->SetSearchEngine(codeRegexSearch1);
    else
        codeedt->SetSearchEngine(dlgSearch1);
    const TCodeSearchOptions Options = SearchOptions(Replace, Backwards);
    if (codeedt->SearchReplace(EditorSearch.SearchText, EditorSearch.ReplaceText, Options) != 0) return;
    MessageBeep();
    if (Backwards)
        codeedt->SetBlockEnd(codeedt->BlockBegin());
    else
        codeedt->SetBlockBegin(codeedt->BlockEnd());
    codeedt->SetCaretXY(codeedt->BlockBegin());
}

void TfrmEditor::ShowSearchReplaceDialog(bool AReplace) {
    std::unique_ptr<TTextSearchDialog> Dialog(AReplace ? new TTextReplaceDialog(this) : new TTextSearchDialog(this));
    Dialog->SetPosition(poMainFormCenter);
    Dialog->SetColor(14540253);
    Dialog->SetSearchBackwards(EditorSearch.SearchBackwards);
    Dialog->SetSearchCaseSensitive(EditorSearch.SearchCaseSensitive);
    Dialog->SetSearchFromCursor(EditorSearch.SearchFromCursor);
    Dialog->SetSearchInSelectionOnly(EditorSearch.SearchSelectionOnly);
    Dialog->SetSearchWholeWords(EditorSearch.SearchWholeWords);
    Dialog->SetSearchText(EditorSearch.SearchText);
    Dialog->SetSearchTextHistory(EditorSearch.SearchTextHistory);
    auto* Replace = dynamic_cast<TTextReplaceDialog*>(Dialog.get());
    if (Replace) {
        Replace->SetReplaceText(EditorSearch.ReplaceText);
        Replace->SetReplaceTextHistory(EditorSearch.ReplaceTextHistory);
    }
    // A selection within one line is what the user looks for; otherwise the word at the caret.
    if (codeedt->SelAvail() && codeedt->BlockBegin().Line == codeedt->BlockEnd().Line)
        Dialog->SetSearchText(codeedt->SelText());
    else
        Dialog->SetSearchText(codeedt->WordAtCursor());
    if (Dialog->ShowModal() != mrOk) return;
    EditorSearch.SearchBackwards = Dialog->SearchBackwards();
    EditorSearch.SearchCaseSensitive = Dialog->SearchCaseSensitive();
    EditorSearch.SearchFromCursor = Dialog->SearchFromCursor();
    EditorSearch.SearchSelectionOnly = Dialog->SearchInSelectionOnly();
    EditorSearch.SearchWholeWords = Dialog->SearchWholeWords();
    EditorSearch.SearchRegularExpression = Dialog->SearchRegularExpression();
    EditorSearch.SearchText = Dialog->SearchText();
    EditorSearch.SearchTextHistory = Dialog->SearchTextHistory();
    if (Replace) {
        EditorSearch.ReplaceText = Replace->ReplaceText();
        EditorSearch.ReplaceTextHistory = Replace->ReplaceTextHistory();
    }
    fSearchFromCaret = EditorSearch.SearchFromCursor;
    if (!EditorSearch.SearchText.empty()) {
        DoSearchReplace(AReplace, EditorSearch.SearchBackwards);
        fSearchFromCaret = true;
    }
}

// -- Marks and bookmarks --

void TfrmEditor::PlaceMark() {
    codeedt->Marks()->ClearLine(codeedt->CaretY());
    auto* Mark = new TCodeEditMark(codeedt);
    Mark->SetLine(codeedt->CaretY());
    Mark->SetChar(codeedt->CaretX());
    Mark->SetImageIndex(bgGreenBottomLine);
    Mark->SetVisible(true);
    Mark->SetInternalImage(false);
    codeedt->Marks()->Place(Mark);
}

void TfrmEditor::PlaceGutterMark(tMarkerType MarkerType) {
    static constexpr int Images[] = {bgRedLine, bgGreenLine, bgGreenTopLine, bgGreenBottomLine, bgFuchsiaLine};
    ClearMarks();
    codeedt->Marks()->ClearLine(codeedt->CaretY());
    auto* Mark = new TCodeEditMark(codeedt);
    Mark->SetLine(codeedt->CaretY());
    Mark->SetChar(codeedt->CaretX());
    Mark->SetImageIndex(Images[MarkerType]);
    Mark->SetVisible(true);
    codeedt->Marks()->Place(Mark);
}

void TfrmEditor::ClearMarks() {
    TCodeEditMarkList* Marks = codeedt->Marks();
    for (int I = Marks->Count() - 1; I >= 0; --I)
        if (!Marks->Items(I)->IsBookmark()) Marks->Delete(I);
}

bool TfrmEditor::FindNextPlaceholder(int LastLine) {
    TStrings* Lines = codeedt->Lines();
    const int Last = LastLine < 0 ? Lines->Count() : std::min(LastLine, Lines->Count());
    for (int Line = std::max(codeedt->CaretY(), 1); Line <= Last; ++Line) {
        String Text = Lines->Strings(Line - 1);
        const int P = Pos(u"|", Text);
        if (P == 0) continue;
        Delete(Text, P, 1);
        Lines->SetString(Line - 1, Text);
        codeedt->SetModified(true);
        codeedt->SetCaretXY({P, Line});
        return true;
    }
    return false;
}

TToolButton* TfrmEditor::BookmarkButton(int N) const {
    for (int I = 0; I < tlbr4->ButtonCount(); ++I)
        if (tlbr4->Buttons(I)->Tag() == N + 1) return tlbr4->Buttons(I);
    return nullptr;
}

void TfrmEditor::UpdateBookmarkActions(TCodeEditMark* NewMark) {
    for (int N = 0; N <= 9; ++N)
        if (auto* A = dynamic_cast<TAction*>(FindComponent(Format(u"actBM%d", {N}))))
            A->SetEnabled(codeedt->IsBookmark(N) || (NewMark && NewMark->BookmarkNumber() == N));
}

int TfrmEditor::FirstFreeBookmark() const {
    for (int N = 0; N <= 9; ++N)
        if (!codeedt->IsBookmark(N)) return N;
    return -1;
}

void TfrmEditor::GutterClick(int Line) {
    TCodeEditMarks Marks{};
    codeedt->Marks()->GetMarksForLine(Line, Marks);
    if (Marks[0]) {
        if (Marks[0]->IsBookmark()) codeedt->ClearBookMark(Marks[0]->BookmarkNumber());
        UpdateBookmarkActions(nullptr);
        return;
    }
    const int N = FirstFreeBookmark();
    if (N >= 0) codeedt->SetBookMark(N, codeedt->CaretX(), Line);
}

void TfrmEditor::FillBookmarkList(TStrings* List) const {
    for (int N = 0; N <= 9; ++N)
        if (codeedt->IsBookmark(N))
            if (TToolButton* B = BookmarkButton(N)) List->Add(Format(u"%d/%s", {N, B->Hint()}));
}

void TfrmEditor::ShowHotkeysAssignment() {
    // The keystroke editor as a read-only view of the control's bindings.
    std::unique_ptr<TCodeEditKeystrokesEditorForm> Viewer(new TCodeEditKeystrokesEditorForm(this));
    for (TControl* C : std::initializer_list<TControl*>{Viewer->btnAdd, Viewer->btnEdit, Viewer->btnDelete,
                                                        Viewer->btnClear, Viewer->btnReset, Viewer->btnCancel,
                                                        Viewer->Label1, Viewer->Label2})
        C->SetVisible(false);
    Viewer->SetCaption(u"Hotkeys assignments");
    Viewer->SetKeystrokes(codeedt->Keystrokes());
    Viewer->ShowModal();
}

void TfrmEditor::ShowBookmarkList() {
    TStringList Entries;
    FillBookmarkList(&Entries);
    std::unique_ptr<TfrmBookmarkList> Dialog(new TfrmBookmarkList(this));
    Dialog->UpdateData(&Entries, codeedt);
    if (Dialog->ShowModal() == mrOk && Dialog->SelectedBmLineNr() != -1)
        codeedt->SetCaretXY({1, Dialog->SelectedBmLineNr()});
}

// -- The sketch's other files --

void TfrmEditor::FillFileList(TStrings* slFileList, TStrings* slPathsList) {
    lstOtherFiles->Items()->Assign(slFileList);
    slOtherFilesPathList->Assign(slPathsList);
}

void TfrmEditor::CollapseFileList() {
    pnlRight->SetWidth(1);
}

void TfrmEditor::OpenOtherFile() {
    const int Index = lstOtherFiles->ItemIndex();
    if (Index < 0 || Index >= slOtherFilesPathList->Count()) return;
    if (codeedt->Modified()) {
        if (FFileName.empty()) {
            TDateTime Now_ = Now();
            Word Y, M, D, H, N, S, Ms;
            DecodeDate(Now_, Y, M, D);
            DecodeTime(Now_, H, N, S, Ms);
            FFileName = InputBox(u"Save file", u"File name", Format(u"Project_%d%d%d_%d%d", {Y, M, D, H, N}));
            if (FFileName.empty()) return;
        }
        // Saved as every save does: UTF-8 without a byte-order mark.
        SaveFile();
    }
    const String Other = slOtherFilesPathList->Strings(Index);
    // Loaded as the tab's own file was, with the same question; the read-only state stays.
    LoadLines(Other, false);
    FFileName = Other;
    codeedt->SetModified(false);
}
