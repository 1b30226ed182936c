#pragma once
// The source editor control: a window that paints its text itself on a fixed character grid,
// with caret, selection in three modes, scroll bars, bookmarks and marks. The text lives in the
// line buffer (EditStringList.h) and the history in the undo lists (EditUndo.h); the control
// keeps caret, selection and view, and batches their screen updates under a paint lock.

#include "editor/CodeEditKbdHandler.h"
#include "editor/CodeEditKeyCmds.h"
#include "editor/Highlighter.h"
#include "editor/CodeEditTypes.h"
#include "editor/EditStringList.h"
#include "editor/EditUndo.h"
#include "editor/EditorParts.h"
#include "editor/Highlighter.h"
#include "editor/TextDrawer.h"

#include "platform/base/Lists.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/StdCtrls.h"

#include <array>
#include <functional>
#include <memory>
#include <unordered_map>

class TCustomCodeEdit;
class TCodeEditMarkList;
class TCodeEditSearchCustom;
class TTimer;

DECLARE_ENUM(TCodeEditorOption, Byte, eoAltSetsColumnMode, eoAutoIndent, eoAutoSizeMaxScrollWidth,
             eoDisableScrollArrows, eoDragDropEditing, eoDropFiles, eoEnhanceHomeKey, eoEnhanceEndKey,
             eoGroupUndo, eoHalfPageScroll, eoHideShowScrollbars, eoKeepCaretX, eoNoCaret, eoNoSelection,
             eoRightMouseMovesCursor, eoScrollByOneLess, eoScrollHintFollows, eoScrollPastEof,
             eoScrollPastEol, eoShowScrollHint, eoShowSpecialChars, eoSmartTabDelete, eoSmartTabs,
             eoSpecialLineDefaultFg, eoTabIndent, eoTabsToSpaces, eoTrimTrailingSpaces)
using TCodeEditorOptions = TSet<TCodeEditorOption>;
// eoAutoIndent, eoDragDropEditing, eoEnhanceEndKey, eoGroupUndo, eoScrollPastEol,
// eoShowScrollHint, eoSmartTabDelete, eoSmartTabs, eoTabsToSpaces.
constexpr Cardinal CodeEditDefaultOptionBits = 0x026C0192;

DECLARE_ENUM(TCodeStateFlag, Byte, sfCaretChanged, sfScrollbarChanged, sfLinesChanging, sfIgnoreNextChar,
             sfCaretVisible, sfDblClicked, sfPossibleGutterClick, sfWaitForDragging, sfInsideRedo,
             sfGutterDragging)
using TCodeStateFlags = TSet<TCodeStateFlag>;

DECLARE_ENUM(TCodeStatusChange, Byte, scAll, scCaretX, scCaretY, scLeftChar, scTopLine, scInsertMode,
             scModified, scSelection, scReadOnly)
using TCodeStatusChanges = TSet<TCodeStatusChange>;

DECLARE_ENUM(TScrollHintFormat, Byte, shfTopLineOnly, shfTopToBottom)
DECLARE_ENUM(TCodeEditCaretType, Byte, ctVerticalLine, ctHorizontalLine, ctHalfBlock, ctBlock)
DECLARE_ENUM(TCodeFontSmoothMethod, Byte, fsmNone, fsmAntiAlias, fsmClearType)
DECLARE_ENUM(TTransientType, Byte, ttBefore, ttAfter)

// The largest scroll-bar range handed to the window system: thumb positions travel in 16 bits.
constexpr int CodeEditMaxScrollRange = 32767;
// One wheel notch, and the rows it scrolls.
constexpr int CodeEditWheelDelta = 120;
constexpr int CodeEditWheelRows = 3;
// Put before a double-width glyph in the display form of a line, once per extra cell.
constexpr Char CodeEditWideFiller = 0xE000;

// A mark in the gutter, tied to a buffer position; a bookmark has a number 0..9.
class TCodeEditMark : public TObject {
    DECLARE_CLASS(TCodeEditMark, TObject)

public:
    explicit TCodeEditMark(TCustomCodeEdit* AOwner);

    int Line() const { return FLine; }
    virtual void SetLine(int Value);
    int Char() const { return FChar; }
    virtual void SetChar(int Value) { FChar = Value; }
    int ImageIndex() const { return FImage; }
    virtual void SetImageIndex(int Value);
    int BookmarkNumber() const { return FBookmarkNum; }
    void SetBookmarkNumber(int Value) { FBookmarkNum = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool InternalImage() const { return FInternalImage; }
    void SetInternalImage(bool Value);
    bool IsBookmark() const { return FBookmarkNum >= 0; }
    // The owning control while the mark is in its mark list; else none.
    virtual TCustomCodeEdit* Edit();

private:
    void InvalidateOwnLine();

    int FLine = 0;
    int FChar = 0;
    int FImage = 0;
    TCustomCodeEdit* FEdit = nullptr;
    bool FVisible = false;
    bool FInternalImage = false;
    int FBookmarkNum = -1;
};

// The marks found on one line; entries beyond them are null.
using TCodeEditMarks = std::array<TCodeEditMark*, 16>;

// The marks of a control, owned: deleting one frees it. Every change is told through OnChange.
class TCodeEditMarkList : public TObject {
    DECLARE_CLASS(TCodeEditMarkList, TObject)

public:
    explicit TCodeEditMarkList(TCustomCodeEdit* AOwner);
    ~TCodeEditMarkList() override;
    TCodeEditMarkList(const TCodeEditMarkList&) = delete;
    TCodeEditMarkList& operator=(const TCodeEditMarkList&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    // A bad index raises EListError "List index out of bounds (%d)".
    TCodeEditMark* Items(int Index) const;
    TCodeEditMark* operator[](int Index) const { return Items(Index); }
    int Add(TCodeEditMark* Item);
    void Delete(int Index);
    int Remove(TCodeEditMark* Item);
    int IndexOf(const TCodeEditMark* Item) const;
    // Takes the mark out without freeing it.
    TCodeEditMark* Extract(TCodeEditMark* Item);
    void Clear();
    TCodeEditMark* First() const { return Items(0); }
    TCodeEditMark* Last() const { return Items(Count() - 1); }
    // Deletes the marks on Line that are not bookmarks.
    void ClearLine(int Line);
    void GetMarksForLine(int Line, TCodeEditMarks& Marks) const;
    // Lets the control's OnPlaceBookmark replace or drop the mark, then adds what is left.
    void Place(TCodeEditMark* Mark);

    TCustomCodeEdit* Edit() const { return FEdit; }
    TNotifyEvent OnChange;

private:
    void Changed();

    TCustomCodeEdit* FEdit;
    std::vector<TCodeEditMark*> FItems;
};

using TStatusChangeEvent = std::function<void(TObject* Sender, TCodeStatusChanges Changes)>;
using TSpecialLineColorsEvent =
    std::function<void(TObject* Sender, int Line, bool& Special, TColor& FG, TColor& BG)>;
using TPaintEvent = std::function<void(TObject* Sender, TCanvas* ACanvas)>;
using TPaintTransient = std::function<void(TObject* Sender, TCanvas* Canvas, TTransientType TransientType)>;
using TPlaceMarkEvent = std::function<void(TObject* Sender, TCodeEditMark*& Mark)>;
using TGutterGetTextEvent = std::function<void(TObject* Sender, int aLine, String& aText)>;
using TGutterPaintEvent = std::function<void(TObject* Sender, int aLine, int X, int Y)>;
using TCodeScrollEvent = std::function<void(TObject* Sender, TScrollBarKind ScrollBar)>;

// -- Commands and input: event types --
using TProcessCommandEvent =
    std::function<void(TObject* Sender, TCodeEditorCommand& Command, Char& AChar, void* Data)>;
// A command hook: called before (AfterProcessing false) and after the control's own execution.
using THookedCommandEvent = TMethodPointer<void(TObject* Sender, bool AfterProcessing, bool& Handled,
                                                TCodeEditorCommand& Command, Char& AChar, void* Data,
                                                void* HandlerData)>;
using TGutterClickEvent = std::function<void(TObject* Sender, TMouseButton Button, int X, int Y, int Line,
                                             TCodeEditMark* Mark)>;
using TContextHelpEvent = std::function<void(TObject* Sender, const String& Word)>;
using TMouseCursorChangeEvent =
    std::function<void(TObject* Sender, const TBufferCoord& aLineCharPos, TCursor& aCursor)>;

// ---- Search and replace, clipboard, drag and drop ----
DECLARE_EXCEPTION(ECodeEditError, ECodeError)
DECLARE_ENUM(TCodeReplaceAction, Byte, raCancel, raSkip, raReplace, raReplaceAll)
using TReplaceTextEvent = std::function<void(TObject* Sender, const String& ASearch, const String& AReplace,
                                             int Line, int Column, TCodeReplaceAction& Action)>;
using TDropFilesEvent = std::function<void(TObject* Sender, int X, int Y, TStrings* AFiles)>;
// The number of the clipboard format that carries the selection mode beside copied text
// ("CodeEdit Control Block Type"), registered on first use.
TClipboardFormat CodeEditClipboardFormat();

class TCustomCodeEdit : public TCustomControl {
    DECLARE_CLASS(TCustomCodeEdit, TCustomControl)

public:
    explicit TCustomCodeEdit(TComponent* AOwner);
    ~TCustomCodeEdit() override;

    // -- Text --
    TStrings* Lines() const { return FLines; }
    void SetLines(TStrings* Value);
    TCodeEditStringList* Buffer() const { return FLines; }
    String Text() const { return FLines->Text(); }
    void SetText(const String& Value) { FLines->SetText(Value); }
    // The caret's line; empty past the text.
    String LineText() const;
    void SetLineText(const String& Value);
    TCodeEditUndoList* UndoList() const { return FUndoList; }
    TCodeEditUndoList* RedoList() const { return FRedoList; }
    bool Modified() const { return FModified; }
    void SetModified(bool Value);
    virtual bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    int MaxUndo() const { return FUndoList->MaxUndoActions(); }
    void SetMaxUndo(int Value);

    // -- Options and look --
    TCodeEditorOptions Options() const { return FOptions; }
    void SetOptions(TCodeEditorOptions Value);
    int TabWidth() const { return FTabWidth; }
    void SetTabWidth(int Value);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }
    bool InsertMode() const { return FInserting; }
    void SetInsertMode(bool Value);
    TCodeEditCaretType InsertCaret() const { return FInsertCaret; }
    void SetInsertCaret(TCodeEditCaretType Value);
    TCodeEditCaretType OverwriteCaret() const { return FOverwriteCaret; }
    void SetOverwriteCaret(TCodeEditCaretType Value);
    bool AlwaysShowCaret() const { return FAlwaysShowCaret; }
    void SetAlwaysShowCaret(bool Value);
    TColor ActiveLineColor() const { return FActiveLineColor; }
    void SetActiveLineColor(TColor Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value);
    int RightEdge() const { return FRightEdge; }
    void SetRightEdge(int Value);
    TColor RightEdgeColor() const { return FRightEdgeColor; }
    void SetRightEdgeColor(TColor Value);
    int ExtraLineSpacing() const { return FExtraLineSpacing; }
    void SetExtraLineSpacing(int Value);
    TCodeFontSmoothMethod FontSmoothing() const { return FFontSmoothing; }
    void SetFontSmoothing(TCodeFontSmoothMethod Value);
    int MaxScrollWidth() const { return FMaxScrollWidth; }
    void SetMaxScrollWidth(int Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TColor ScrollHintColor() const { return FScrollHintColor; }
    void SetScrollHintColor(TColor Value) { FScrollHintColor = Value; }
    TScrollHintFormat ScrollHintFormat() const { return FScrollHintFormat; }
    void SetScrollHintFormat(TScrollHintFormat Value) { FScrollHintFormat = Value; }
    TCodeGutter* Gutter() const { return FGutter.get(); }
    void SetGutter(TCodeGutter* Value) { FGutter->Assign(Value); }
    TCodeSelectedColor* SelectedColor() const { return FSelectedColor.get(); }
    void SetSelectedColor(TCodeSelectedColor* Value) { FSelectedColor->Assign(Value); }
    TCodeBookMarkOpt* BookMarkOptions() const { return FBookMarkOpt.get(); }
    void SetBookMarkOptions(TCodeBookMarkOpt* Value) { FBookMarkOpt->Assign(Value); }
    TheTextDrawer* TextDrawer() const { return FTextDrawer.get(); }
    // Not owned; the control hears of its attribute changes and of its removal.
    TCodeCustomHighlighter* Highlighter() const { return FHighlighter; }
    void SetHighlighter(TCodeCustomHighlighter* Value);
    // Word wrap is not offered by this control yet: always off.
    bool WordWrap() const { return false; }

    // -- Geometry --
    int CharWidth() const { return FCharWidth; }
    int LineHeight() const { return FTextHeight; }
    int CharsInWindow() const { return FCharsInWindow; }
    int LinesInWindow() const { return FLinesInWindow; }
    int GutterWidth() const { return FGutterWidth; }
    void SetGutterWidth(int Value);
    // The gutter's width from its settings, applied.
    void RecomputeGutterWidth();
    int TextOffset() const { return FTextOffset; }
    int TopLine() const { return FTopLine; }
    void SetTopLine(int Value);
    int LeftChar() const { return FLeftChar; }
    void SetLeftChar(int Value);
    int DisplayLineCount() const;
    bool IsScrolling() const { return FIsScrolling; }

    // -- Caret --
    int CaretX() const { return FCaretX; }
    int CaretY() const { return FCaretY; }
    TBufferCoord CaretXY() const { return {FCaretX, FCaretY}; }
    void SetCaretX(int Value) { SetCaretXY({Value, FCaretY}); }
    void SetCaretY(int Value) { SetCaretXY({FCaretX, Value}); }
    // Moves the caret (brought into view) and collapses the selection onto it.
    virtual void SetCaretXY(const TBufferCoord& Value);
    // Moves the caret (brought into view); the selection stays.
    void SetCaretInternal(const TBufferCoord& Value) { PlaceCaret(Value, true); }
    TDisplayCoord DisplayXY() const;
    int DisplayX() const { return DisplayXY().Column; }
    int DisplayY() const { return DisplayXY().Row; }
    bool CaretInView() const;
    void GotoLineAndCenter(int Line);
    void EnsureCursorPosVisible() { EnsureCursorPosVisibleEx(false, false); }
    void EnsureCursorPosVisibleEx(bool ForceToMiddle, bool EvenIfVisible = false);
    // The caret's offset within its cell for the current shape.
    TPoint CaretOffset() const { return FCaretOffset; }

    // -- Selection --
    TCodeSelectionMode SelectionMode() const { return FSelectionMode; }
    void SetSelectionMode(TCodeSelectionMode Value);
    TCodeSelectionMode ActiveSelectionMode() const { return FActiveSelectionMode; }
    void SetActiveSelectionMode(TCodeSelectionMode Value);
    // The earlier and the later end.
    TBufferCoord BlockBegin() const;
    TBufferCoord BlockEnd() const;
    // The anchor and the moving end.
    void SetBlockBegin(TBufferCoord Value);
    void SetBlockEnd(TBufferCoord Value);
    void SetCaretAndSelection(const TBufferCoord& ACaretXY, const TBufferCoord& ABlockBegin,
                              const TBufferCoord& ABlockEnd);
    bool SelAvail() const;
    bool SelTabBlock() const;
    bool SelTabLine() const;
    String SelText() const;
    void SelectAll();
    void SetWordBlock(TBufferCoord Value);
    int SelStart() const;
    void SetSelStart(int Value);
    int SelEnd() const;
    void SetSelEnd(int Value);
    int SelLength() const;
    void SetSelLength(int Value);
    TBufferBlock UnifiedSelection() const;

    // -- Conversions --
    int RowColToCharIndex(const TBufferCoord& RowCol) const;
    TBufferCoord CharIndexToRowCol(int Index) const;
    TDisplayCoord BufferToDisplayPos(const TBufferCoord& P) const;
    TBufferCoord DisplayToBufferPos(const TDisplayCoord& P) const;
    int LineToRow(int Line) const { return Line; }
    int RowToLine(int Row) const { return Row; }
    TDisplayCoord PixelsToRowColumn(int X, int Y) const;
    TDisplayCoord PixelsToNearestRowColumn(int X, int Y) const;
    TPoint RowColumnToPixels(const TDisplayCoord& RowCol) const;
    // The columns a character takes on the grid: its drawn width over the cell width, rounded up.
    int CharColumns(Char C) const;
    // The display form of a tab-expanded line: fillers before every double-width glyph.
    String ExpandAtWideGlyphs(const String& S) const;

    // -- Paint lock and notifications --
    void BeginUpdate() { IncPaintLock(); }
    void EndUpdate() { DecPaintLock(); }
    int PaintLock() const { return FPaintLock; }
    TCodeStateFlags StateFlags() const { return FStateFlags; }
    void InvalidateLine(int Line);
    void InvalidateLines(int FirstLine, int LastLine);
    void InvalidateGutter();
    void InvalidateGutterLines(int FirstLine, int LastLine);
    void InvalidateSelection();

    // -- Marks and bookmarks --
    TCodeEditMarkList* Marks() const { return FMarkList.get(); }
    void SetBookMark(int BookMark, int X, int Y);
    void ClearBookMark(int BookMark);
    virtual void GotoBookMark(int BookMark);
    bool GetBookMark(int BookMark, int& X, int& Y) const;
    bool IsBookmark(int BookMark) const;

    TCodeEditKbdHandler* KbdHandler() const { return FKbdHandler.get(); }

    // -- Commands: key translation and the command pipeline (CodeEditCommandProcessor.cpp) --
    // The command bound to a key press, remembering an unbound key as a possible first key of a
    // two-key binding; Data is left as it is.
    TCodeEditorCommand KeyToCommand(Word Code, TShiftState Shift, void*& Data);
    // The one way a command runs: the owner's events, the hooks, the control's own execution,
    // the hooks again and the after-event.
    virtual void CommandProcessor(TCodeEditorCommand Command, Char AChar, void* Data);
    void RegisterCommandHandler(const THookedCommandEvent& AHandlerProc, void* AHandlerData);
    void UnregisterCommandHandler(const THookedCommandEvent& AHandlerProc);
    void AddKey(TCodeEditorCommand Command, Word Key1, TShiftState SS1, Word Key2 = 0, TShiftState SS2 = {});
    TCodeEditKeyStrokes* Keystrokes() const { return FKeyStrokes.get(); }
    // Null clears the bindings; anything else is copied.
    void SetKeystrokes(TCodeEditKeyStrokes* Value);
    virtual void SetDefaultKeystrokes();
    void AddKeyDownHandler(const TKeyEventHandler& aHandler);
    void RemoveKeyDownHandler(const TKeyEventHandler& aHandler);
    void AddKeyUpHandler(const TKeyEventHandler& aHandler);
    void RemoveKeyUpHandler(const TKeyEventHandler& aHandler);
    void AddKeyPressHandler(const TKeyPressWEventHandler& aHandler);
    void RemoveKeyPressHandler(const TKeyPressWEventHandler& aHandler);
    void AddMouseDownHandler(const TMouseEventHandler& aHandler);
    void RemoveMouseDownHandler(const TMouseEventHandler& aHandler);
    void AddMouseUpHandler(const TMouseEventHandler& aHandler);
    void RemoveMouseUpHandler(const TMouseEventHandler& aHandler);
    void AddMouseCursorHandler(const TMouseCursorEvent& aHandler);
    void RemoveMouseCursorHandler(const TMouseCursorEvent& aHandler);
    // Controls that take the focus in the editor's place; the last one added wins.
    void AddFocusControl(TWinControl* aControl);
    void RemoveFocusControl(TWinControl* aControl);
    void SetFocus() override;

    // -- Caret moves, words and brackets (CodeEditCaretMoves.cpp) --
    void MoveCaretByColumns(int DX, bool SelectionCommand);
    void MoveCaretByRows(int DY, bool SelectionCommand);
    void MoveCaretWithSelection(const TBufferCoord& ptBefore, const TBufferCoord& ptAfter, bool SelectionCommand);
    void SmartLineStart(bool Selection);
    void SmartLineEnd(bool Selection);
    void SetCaretFromDisplay(const TDisplayCoord& aPos);
    virtual bool IsIdentChar(Char AChar) const;
    virtual bool IsWhiteChar(Char AChar) const;
    virtual bool IsWordBreakChar(Char AChar) const;
    TBufferCoord NextWordPos() const { return NextWordPosEx(CaretXY()); }
    virtual TBufferCoord NextWordPosEx(const TBufferCoord& XY) const;
    TBufferCoord PrevWordPos() const { return PrevWordPosEx(CaretXY()); }
    virtual TBufferCoord PrevWordPosEx(const TBufferCoord& XY) const;
    TBufferCoord WordStart() const { return WordStartEx(CaretXY()); }
    virtual TBufferCoord WordStartEx(const TBufferCoord& XY) const;
    TBufferCoord WordEnd() const { return WordEndEx(CaretXY()); }
    virtual TBufferCoord WordEndEx(const TBufferCoord& XY) const;
    String GetWordAtRowCol(const TBufferCoord& XY) const;
    String WordAtCursor() const { return GetWordAtRowCol(CaretXY()); }
    String WordAtMouse() const;
    bool GetPositionOfMouse(TBufferCoord& aPos) const;
    bool IsPointInSelection(const TBufferCoord& Value) const;
    // (0, 0) when the caret is on no bracket or the bracket has no partner.
    virtual TBufferCoord GetMatchingBracket() const { return GetMatchingBracketEx(CaretXY()); }
    virtual TBufferCoord GetMatchingBracketEx(const TBufferCoord& APoint) const;
    virtual void FindMatchingBracket();
    bool GetHighlighterAttriAtRowCol(const TBufferCoord& XY, String& Token,
                                     TCodeHighlighterAttributes*& Attri) const;
    bool GetHighlighterAttriAtRowColEx(const TBufferCoord& XY, String& Token, int& TokenType, int& Start,
                                       TCodeHighlighterAttributes*& Attri) const;
    TCodeCharSet& AdditionalIdentChars() { return FAdditionalIdentChars; }
    TCodeCharSet& AdditionalWordBreakChars() { return FAdditionalWordBreakChars; }
    // Writes line Index (0-based), without trailing blanks and tabs under eoTrimTrailingSpaces.
    void StoreLine(int Index, const String& Text);
    void NotifyLinesInserted(int FirstLine, int Count);
    void NotifyLinesDeleted(int FirstLine, int Count);
    virtual void UpdateMouseCursor();

    // -- Command execution (CodeEditExecute.cpp) --
    void ClearAll();

    // -- Text replacement, indentation and case (CodeEditReplace.cpp) --
    // Replaces the selection, recording the change as one undo step.
    void SetSelText(const String& Value);
    void ReplaceSelection(const String& Value) { ReplaceSelectionInMode(FActiveSelectionMode, Value, true); }
    void ReplaceSelectionInMode(TCodeSelectionMode Mode, const String& Value, bool AddToUndoList);
    void InsertBlock(const TBufferCoord& BB, const TBufferCoord& BE, const String& ChangeStr, bool AddToUndoList);
    void DoBlockIndent();
    void DoBlockUnindent();
    void TabKey();
    void ShiftTabKey();
    void ChangeCase(TCodeEditorCommand Command);
    void BeginUndoBlock() { FUndoList->BeginBlock(); }
    void EndUndoBlock() { FUndoList->EndBlock(); }
    void LockUndo();
    void UnlockUndo();
    void ClearUndo();
    void SetSelWord() { SetWordBlock(CaretXY()); }
    // Leading characters up to code 32 (a tab counting TabWidth with ExpandTabs); 0 without eoAutoIndent.
    int LeadingWhiteCount(const String& Text, bool ExpandTabs = false) const;
    String IndentText(int Count, bool WantTabs) const;
    static String TrimTrailingSpaces(const String& Text);

    // -- Linked controls (CodeEditLink.cpp): one text shown by several controls --
    // Shows AEdit's text and shares its undo and redo lists; this control is unlinked when AEdit
    // goes. A control already linked raises EAssertionFailed.
    void SetLinesPointer(TCustomCodeEdit* AEdit);
    void RemoveLinesPointer();
    void HookTextBuffer(TCodeEditStringList* aBuffer, TCodeEditUndoList* aUndo, TCodeEditUndoList* aRedo);
    void UnHookTextBuffer();
    // The control whose text this one shows through SetLinesPointer; none otherwise.
    TCustomCodeEdit* ChainedEditor() const { return FChainedEditor; }
    bool UsesForeignBuffer() const { return FLines != FOrigLines.get(); }

    // -- Undo replay and buffer changes (CodeEditUndoReplay.cpp) --
    bool CanUndo() const { return !ReadOnly() && FUndoList->CanUndo(); }
    bool CanRedo() const { return !ReadOnly() && FRedoList->CanUndo(); }
    virtual void Undo();
    virtual void Redo();
    // Rescans from line Index (0-based) at least through line MustScan and then until a line ends
    // in the state it had before; returns the last line scanned.
    int ScanRanges(int Index, int MustScan);

    // -- Mouse and keyboard input (CodeEditInput.cpp) --
    void ComputeCaret(int X, int Y);
    void ComputeScroll(int X, int Y);
    TTimer* ScrollTimer() const { return FScrollTimer.get(); }

    TProcessCommandEvent OnProcessCommand;
    TProcessCommandEvent OnProcessUserCommand;
    TProcessCommandEvent OnCommandProcessed;
    TGutterClickEvent OnGutterClick;
    TContextHelpEvent OnContextHelp;
    TMouseCursorChangeEvent OnMouseCursor;

    TNotifyEvent OnChange;
    TGutterGetTextEvent OnGutterGetText;
    TGutterPaintEvent OnGutterPaint;
    TStatusChangeEvent OnStatusChange;
    TPaintEvent OnPaint;
    TPaintTransient OnPaintTransient;
    TSpecialLineColorsEvent OnSpecialLineColors;
    TPlaceMarkEvent OnPlaceBookmark;
    TPlaceMarkEvent OnClearBookmark;
    TCodeScrollEvent OnScroll;

protected:
    // Only the bindings that differ from the defaults are streamed: "RemovedKeystrokes" (the
    // defaults the control lacks), then "AddedKeystrokes" (its bindings the defaults lack).
    void DefineProperties(TFiler* Filer) override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;
    void Paint() override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;

    void IncPaintLock();
    void DecPaintLock();
    void AddStatusChanges(TCodeStatusChanges Changes);
    void PlaceCaret(TBufferCoord Value, bool EnsureVisible);
    void UpdateCaret();
    void InitializeCaret();
    void UpdateScrollBars();
    void RecomputeWindowMetrics(bool FontChanged);
    void MeasureCharCell();
    void SizeOrFontChanged(bool FontChanged) { RecomputeWindowMetrics(FontChanged); }
    void InvalidateArea(const TRect& ARect, bool AErase);

    virtual void FireChange();
    virtual void FireClearBookmark(TCodeEditMark*& Mark);
    virtual void FirePaint();
    virtual void FirePaintTransientEx(TTransientType TransientType, bool Lock);
    virtual void FirePaintTransient(TTransientType TransientType) {
        FirePaintTransientEx(TransientType, false);
    }
    virtual void FirePlaceBookmark(TCodeEditMark*& Mark);
    virtual bool FireSpecialLineColors(int Line, TColor& FG, TColor& BG);
    virtual void FireStatusChange();

    // -- Painting (CodeEditPaint.cpp) --
    void PaintGutter(const TRect& AClip, int FirstRow, int LastRow);
    void PaintTextLines(const TRect& AClip, int FirstRow, int LastRow, int FirstCol, int LastCol);
    void PaintMarks(int FirstLine, int LastLine);
    // Draws display columns First..Last of Text (CharsBefore columns before its first character)
    // into ARect, whose left edge then moves to its right edge.
    void PaintToken(const String& Text, int CharsBefore, int First, int Last, TRect& ARect);
    int ColumnX(int Column) const { return (Column - 1) * FCharWidth + FTextOffset; }
    void PaintHighlightedRow(int Line, const String& Display, const TRect& RowRect, int FirstCol, int LastCol,
                             int SelStart, int SelEnd, bool Complex, bool SpecialLine, TColor LineFG,
                             TColor LineBG, TColor SelFG, TColor SelBG);
    // The editor background of a line: the caret-line colour, else the highlighter's blank
    // background, else the control's colour.
    TColor EditorBackground(int Line) const;

    // -- Highlighting (CodeEditHighlight.cpp) --
    // Measures again; a highlighter's change rescans every line's range.
    void AttributesChanged(TObject* Sender);
    // The highlighter's state at the end of every line, from the first.
    void ScanAllRanges();

    // -- Commands and input --
    virtual void NotifyCommandHooks(bool AfterProcessing, TCodeEditorCommand& Command, Char& AChar, void* Data);
    virtual void FireCommandProcessed(TCodeEditorCommand Command, Char AChar, void* Data);
    virtual void FireProcessCommand(TCodeEditorCommand& Command, Char& AChar, void* Data);
    virtual void ExecuteCommand(TCodeEditorCommand Command, Char AChar, void* Data);
    virtual void FireGutterClick(TMouseButton Button, int X, int Y);
    virtual void WideKeyPress(Char& Key);
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void WMChar(TWMChar& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DblClick() override;
    void WMCancelMode(TWMCancelMode& Message) override;
    // A finished composition of the input method is typed as one string (ecImeStr).
    void WMImeComposition(TMessage& Message);
    void WMSetCursor(TWMSetCursor& Message) override;
    void ScrollTimerTick(TObject* Sender);
    void UndoItem();
    void ReplayPlaceItem(const TCodeEditUndoItem& Item, TCodeEditUndoList& Other);
    void RedoItem();
    void LinesChanging(TObject* Sender);
    void ListCleared(TObject* Sender);
    void ListDeleted(int Index, int Count);
    void ListInserted(int Index, int Count);
    void ListPutted(int Index, int Count);

private:
    friend class TCodeEditMarkList;
    friend class TCodeEditMark;

    void FontChanged(TObject* Sender);
    void LinesChanged(TObject* Sender);
    void UndoItemAdded(TObject* Sender);
    void WMHScroll(TWMScroll& Message);
    void WMVScroll(TWMScroll& Message);
    void WMSize(TWMSize& Message) override;
    void WMSetFocus(TWMSetFocus& Message) override;
    void WMKillFocus(TWMKillFocus& Message) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void WMEraseBkgnd(TWMEraseBkgnd& Message) override;
    void ShowScrollHint();
    void HideCaretNow();
    void ShowCaretNow();
    int MaxTopLine() const;
    int MaxLeftChar() const;
    int HorzScrollRange() const;
    int VertScrollRange() const;
    TBufferCoord ClampSelectionEnd(TBufferCoord Value) const;
    // The largest line length, widening MaxScrollWidth to it.
    void GrowMaxScrollWidthToText();

    TCodeEditStringList* FLines = nullptr;
    std::unique_ptr<TCodeEditStringList> FOrigLines;
    // While linked: the handlers the shared buffer and lists had before this control hooked them.
    TCustomCodeEdit* FChainedEditor = nullptr;
    TNotifyEvent FChainListCleared;
    TStringListChangeEvent FChainListDeleted;
    TStringListChangeEvent FChainListInserted;
    TStringListChangeEvent FChainListPutted;
    TNotifyEvent FChainLinesChanging;
    TNotifyEvent FChainLinesChanged;
    TNotifyEvent FChainUndoAdded;
    TNotifyEvent FChainRedoAdded;
    friend struct TCodeEditLinks;
    // Repaints and measures after the text shown changed to another buffer.
    void AdaptToBuffer();
    // Unlinks this control, and every control showing its text, before it goes.
    void ReleaseLinks();
    void ChainUndoAdded(TObject* Sender);
    TCodeEditUndoList* FUndoList = nullptr;
    TCodeEditUndoList* FRedoList = nullptr;
    std::unique_ptr<TCodeEditUndoList> FOrigUndoList;
    std::unique_ptr<TCodeEditUndoList> FOrigRedoList;
    std::unique_ptr<TFont> FFontDummy;
    std::unique_ptr<TheTextDrawer> FTextDrawer;
    TCodeCustomHighlighter* FHighlighter = nullptr;
    std::unique_ptr<TCodeGutter> FGutter;
    std::unique_ptr<TCodeSelectedColor> FSelectedColor;
    std::unique_ptr<TCodeBookMarkOpt> FBookMarkOpt;
    std::unique_ptr<TCodeInternalImage> FInternalImage;
    mutable std::unordered_map<Char, int> FColumnCache;
    std::unique_ptr<TCodeEditKbdHandler> FKbdHandler;
    std::unique_ptr<TCodeEditMarkList> FMarkList;
    std::array<TCodeEditMark*, 10> FBookMarks{};

    int FCaretX = 1;
    int FCaretY = 1;
    int FLastCaretX = 1;
    bool FCaretAtEOL = false;
    TPoint FCaretOffset;
    TBufferCoord FBlockBegin{1, 1};
    TBufferCoord FBlockEnd{1, 1};
    TCodeSelectionMode FSelectionMode = smNormal;
    TCodeSelectionMode FActiveSelectionMode = smNormal;
    bool FAlwaysShowCaret = false;
    bool FInserting = true;
    TCodeEditCaretType FInsertCaret = ctVerticalLine;
    TCodeEditCaretType FOverwriteCaret = ctBlock;

    int FTopLine = 1;
    int FLeftChar = 1;
    int FLinesInWindow = 0;
    int FCharsInWindow = 0;
    int FCharWidth = 0;
    int FTextHeight = 0;
    int FTextOffset = 2;
    int FGutterWidth = 0;
    int FMaxScrollWidth = 1024;
    TScrollStyle FScrollBars = StdCtrls::ssBoth;
    int FMouseWheelAccumulator = 0;
    bool FIsScrolling = false;

    bool FModified = false;
    bool FReadOnly = false;
    int FTabWidth = 8;
    bool FWantReturns = true;
    bool FWantTabs = false;
    TCodeEditorOptions FOptions = TCodeEditorOptions::FromInt(CodeEditDefaultOptionBits);

    TCodeFontSmoothMethod FFontSmoothing = fsmNone;
    TColor FActiveLineColor = clNone;
    int FRightEdge = 80;
    TColor FRightEdgeColor = clSilver;
    TBorderStyle FBorderStyle = Controls::bsSingle;
    bool FHideSelection = false;
    bool FShowSpecChar = false;
    int FExtraLineSpacing = 0;
    TColor FScrollHintColor = clInfoBk;
    TScrollHintFormat FScrollHintFormat = shfTopLineOnly;
    int FPaintLock = 0;
    int FPaintTransientLock = 0;

    TCodeStateFlags FStateFlags;
    TCodeStatusChanges FStatusChanges;

    // -- Commands and input --
    struct THookedCommandHandlerEntry {
        THookedCommandEvent FEvent;
        void* FData;
    };
    // Inserts Value at the caret in Mode; the number of lines added.
    int InsertTextInMode(TCodeSelectionMode Mode, const String& Value, bool AddToUndoList);
    void DeleteSelectionInMode();
    void DeleteSelectionRecorded();
    void DeleteLastChar();
    void DeleteChar();
    void DeleteWordOrLinePart(TCodeEditorCommand Command);
    void DeleteCaretLine();
    // Removes the text from From to To (one range, normal mode); the removed text. With
    // KeepColumn a From past the line end keeps its column with blanks.
    String DeleteRange(const TBufferCoord& From, const TBufferCoord& To, bool KeepColumn);
    void InsertLineBreak(bool MoveCaret);
    void TypeChar(Char AChar);
    void TypeImeString(const String& S);
    void ToggleBookmark(int N, void* Data);
    // The nearest indentation above Line (1-based) smaller than Amount; 0 when none.
    int NearestSmallerIndent(int Line, int Amount, bool ExpandTabs) const;

    std::unique_ptr<TCodeEditKeyStrokes> FKeyStrokes;
    Word FLastKey = 0;
    TShiftState FLastShiftState;
    std::unique_ptr<std::vector<THookedCommandHandlerEntry>> FHookedCommandHandlers;
    std::vector<TWinControl*> FFocusList;
    TCodeCharSet FAdditionalIdentChars;
    TCodeCharSet FAdditionalWordBreakChars;
    String FCharCodeString;
    bool FIgnoreNextChar = false;
    int FMouseDownX = 0;
    int FMouseDownY = 0;
    int FScrollDeltaX = 0;
    int FScrollDeltaY = 0;
    std::unique_ptr<TTimer> FScrollTimer;
    // How many items the redo of a line break recorded for the indentation it typed again.
    int FRedoTypedAfterLineBreak = 0;

    // ---- Search and replace (CodeEditSearch.cpp), clipboard and drag and drop
    // (CodeEditClipboard.cpp) ----
public:
    // Not owned: the control forgets the engine when it goes.
    TCodeEditSearchCustom* SearchEngine() const { return FSearchEngine; }
    void SetSearchEngine(TCodeEditSearchCustom* Value);
    // Finds, selects and, with ssoReplace or ssoReplaceAll, replaces occurrences of ASearch line by
    // line; returns how many were found (and, when replacing, not skipped). Raises ECodeEditError
    // "No search engine has been assigned" without an engine; 0 for an empty ASearch.
    int SearchReplace(const String& ASearch, const String& AReplace, TCodeSearchOptions AOptions);
    TReplaceTextEvent OnReplaceText;

    // Plain text for every program, with the selection mode beside it for other editor controls.
    void DoCopyToClipboard(const String& Text);
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    bool CanPaste() const;
    // Drops the source control's selected text at (X, Y): moved or copied, one undo step.
    void DragDrop(TObject* Source, int X, int Y) override;
    // Hears of files dropped from other programs (with eoDropFiles).
    TDropFilesEvent OnDropFiles;

protected:
    // Action starts at raCancel, which it stays without a handler.
    virtual TCodeReplaceAction FireReplaceText(const String& ASearch, const String& AReplace, int Line,
                                               int Column);
    void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) override;
    // Remembers where the caret was when a drag of the selection starts.
    void DoStartDrag(TDragObject*& DragObject) override;
    void DoEndDrag(TObject* Target, int X, int Y) override;
    // The clipboard's and the shell's messages; false for any other message.
    bool DispatchClipboardMessage(TMessage& Message);

private:
    void WMDropFiles(TMessage& Message);

    TCodeEditSearchCustom* FSearchEngine = nullptr;
    TBufferCoord FDragStartCaret{1, 1};
};

class TCodeEdit : public TCustomCodeEdit {
    DECLARE_CLASS(TCodeEdit, TCustomCodeEdit)

public:
    using TCustomCodeEdit::TCustomCodeEdit;

private:
    static void Published(TPublisher<TCodeEdit>& P);
};

// The scroll hint's text for a top line (and, for shfTopToBottom, a bottom line).
String ScrollHintText(TScrollHintFormat Format, int TopBufferLine, int BottomBufferLine);
