#pragma once
// The editor frame: one open file in one editor control, with the bookmark tool bar, the status
// bar and the list of the sketch's other files. Files load as UTF-8 (or undecoded on request)
// and save as UTF-8 without a byte-order mark.

#include "editor/CodeEdit.h"
#include "editor/EditRegexSearch.h"
#include "editor/EditSearch.h"

#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Spin.h"
#include "platform/gui/StdCtrls.h"

#include <memory>

class TCodeAutoComplete;
class TLeanStringTree;
class TRegexEngine;

DECLARE_ENUM(tMarkerType, Byte, mtRedLine, mtGreenLine, mtGreenTopLine, mtGreenBottomLine, mtFuchsiaLine)
DECLARE_ENUM(tSearchType, Byte, stFunctions, stDefines, stConsts, stVars, stOthers)
using tSearchTypes = TSet<tSearchType>;

// The search settings every editor frame shares; they outlive the frames.
struct TEditorSearchSettings {
    bool SearchBackwards = false;
    bool SearchCaseSensitive = false;
    bool SearchFromCursor = false;
    bool SearchSelectionOnly = false;
    bool SearchWholeWords = false;
    bool SearchRegularExpression = false;
    String SearchText;
    String SearchTextHistory;
    String ReplaceText;
    String ReplaceTextHistory;
};
extern TEditorSearchSettings EditorSearch;

// The texts the frame shows and asks with.
extern const char16_t* const SEmptyFileQuestion;
extern const char16_t* const SEmptyFileCaption;
extern const char16_t* const SFrameCloseQuestion;

class TfrmEditor : public TForm {
    DECLARE_CLASS(TfrmEditor, TForm)
public:
    explicit TfrmEditor(TComponent* AOwner);
    ~TfrmEditor() override;

    TPanel* pnlInfo1 = nullptr;
    TToolBar* tlbr4 = nullptr;
    TToolButton* btnGotoSetup = nullptr;
    TToolButton* btnGotoLoop = nullptr;
    TToolButton* btnGotoDefines = nullptr;
    TToolButton* btnGotoIncludes = nullptr;
    TToolButton* btnShowBookmarks = nullptr;
    TToolButton* btnReadOnly = nullptr;
    TToolButton* btnTest = nullptr;
    TLabel* lblLineSpace = nullptr;
    TSpinEdit* seLineExtraSpace = nullptr;
    TStatusBar* StatusBar = nullptr;
    TPanel* pnlRight = nullptr;
    TListBox* lstOtherFiles = nullptr;
    TSplitter* spl1 = nullptr;
    TCodeEdit* codeedt = nullptr;
    TActionList* actnlstBookmarks = nullptr;
    TActionList* actnlst1 = nullptr;
    TAction* actReadOnly = nullptr;
    TAction* actChangeStatusBar = nullptr;
    TCodeEditSearch* dlgSearch1 = nullptr;
    TCodeEditRegexSearch* codeRegexSearch1 = nullptr;

    // Loads the file: decoded as UTF-8, or undecoded (a byte-order mark decides, else the
    // system code page) with IsSimpleCoding; a read-only frame never becomes writable.
    void OpenFile(const String& aFileName, bool IsSimpleCoding, bool IsReadOnly);
    // Writes the lines as UTF-8 without a byte-order mark and clears the modified flag.
    void SaveFile();
    const String& FileName() const { return FFileName; }
    // May the frame close? A modified text asks Yes/No/Cancel first.
    virtual bool VerifyIfCanClose();
    void SetReadOnlyMode(bool ReadOnly);

    void GotoSetup() { FindAndSelect(u"void setup()", true, true); }
    void GotoLoop() { FindAndSelect(u"void loop()", true, true); }
    void GotoDefines() { FindAndSelect(u"#define ", true, true); }
    void GotoIncludes() { FindAndSelect(u"#include ", true, true); }
    void FindAndSelect(const String& Text, bool IgnoreCase, bool FromStart);

    void SearchNext() { DoSearchReplace(false, false); }
    void SearchPrevious() { DoSearchReplace(false, true); }
    void ShowSearchReplaceDialog(bool AReplace);
    // The options a search or replace runs with, from the shared settings.
    TCodeSearchOptions SearchOptions(bool Replace, bool Backwards) const;
    bool SearchFromCaret() const { return fSearchFromCaret; }

    void PlaceMark();
    void PlaceGutterMark(tMarkerType MarkerType);
    void ClearMarks();
    // Takes out the first "|" found from the caret's line down to LastLine (the last line of
    // the text when -1) and puts the caret where it was; nothing happens when none is there.
    // True when one was found.
    bool FindNextPlaceholder(int LastLine = -1);

    // Bookmarks: the tool button of bookmark n, the actions' states, and the gutter's click.
    TToolButton* BookmarkButton(int N) const;
    void UpdateBookmarkActions(TCodeEditMark* NewMark);
    int FirstFreeBookmark() const;
    void GutterClick(int Line);
    // The entries the bookmark list shows: "n/[line]:text" per set bookmark.
    void FillBookmarkList(TStrings* List) const;
    void ShowBookmarkList();
    // The control's key bindings in the keystroke list, read-only.
    void ShowHotkeysAssignment();

    virtual void FillFileList(TStrings* slFileList, TStrings* slPathsList);
    virtual void CollapseFileList();
    TStrings* OtherFilesPathList() const { return slOtherFilesPathList.get(); }
    // A click on the file list: saves a modified text, then loads the chosen file.
    void OpenOtherFile();

    void FillFunctionList(TLeanStringTree* vstFunctionList, tSearchTypes SearchTypes);
    bool IsFunctionDefinition(const String& Line) const;
    const String& RegExFunctionDef() const { return FRegExFunctionDef; }
    const String& RegExDefineDef() const { return FRegExDefineDef; }
    const String& RegExConstDef() const { return FRegExConstDef; }
    const String& RegExNonStdVarsDef() const { return FRegExNonStdVarsDef; }
    const String& RegExVarsDef() const { return FRegExVarsDef; }

    TCodeAutoComplete* AutoComplete() const { return fAutoComplete; }
    // The status bar's three panels from the control's state.
    void UpdateStatusBar();

private:
    bool fSearchFromCaret = false;
    TColor FBracketFG = 255;
    TColor FBracketBG = 65535;
    bool fModified = false;
    String FRegExFunctionDef;
    String FRegExDefineDef;
    String FRegExConstDef;
    String FRegExNonStdVarsDef;
    String FRegExVarsDef;
    String FFileName;
    std::unique_ptr<TStringList> slOtherFilesPathList;
    TCodeAutoComplete* fAutoComplete = nullptr;
    std::unique_ptr<TRegexEngine> FFunctionRegex;

    void FormCreate(TObject* Sender);
    void SetUpAutoCompletion();
    // The lines of the file decoded as OpenFile decodes them (with its question).
    void LoadLines(const String& aFileName, bool IsSimpleCoding);
    void DoSearchReplace(bool Replace, bool Backwards);
    void codeedtStatusChange(TObject* Sender, TCodeStatusChanges Changes);
    void codeedtSpecialLineColors(TObject* Sender, int Line, bool& Special, TColor& FG, TColor& BG);
    void codeedtPaintTransient(TObject* Sender, TCanvas* Canvas, TTransientType TransientType);
};
