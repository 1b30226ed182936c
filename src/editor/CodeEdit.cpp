// The editor control's structure: construction, the paint lock, property setters, the
// conversions between character indexes, buffer and display positions, and the notifications.

#include "editor/CodeEdit.h"
#include "platform/gui/ShellApi.h"

#include "platform/base/Math.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/ScrollBars.h"

#include <algorithm>
#include <climits>
#include <vector>

// ---- Construction ---------------------------------------------------------------------------

TCustomCodeEdit::TCustomCodeEdit(TComponent* AOwner) : TCustomControl(AOwner) {
    FOrigLines =
        std::make_unique<TCodeEditStringList>([this](const String& S) { return ExpandAtWideGlyphs(S); });
    FLines = FOrigLines.get();
    FLines->OnChange = [this](TObject* Sender) { LinesChanged(Sender); };
    FLines->OnChanging = [this](TObject* Sender) { LinesChanging(Sender); };
    FLines->OnCleared = [this](TObject* Sender) { ListCleared(Sender); };
    FLines->OnDeleted = [this](TObject*, int Index, int Count) { ListDeleted(Index, Count); };
    FLines->OnInserted = [this](TObject*, int Index, int Count) { ListInserted(Index, Count); };
    FLines->OnPutted = [this](TObject*, int Index, int Count) { ListPutted(Index, Count); };

    FFontDummy = std::make_unique<TFont>();
    FOrigUndoList = std::make_unique<TCodeEditUndoList>();
    FOrigRedoList = std::make_unique<TCodeEditUndoList>();
    FUndoList = FOrigUndoList.get();
    FRedoList = FOrigRedoList.get();
    FUndoList->OnAddedUndo = [this](TObject* Sender) { UndoItemAdded(Sender); };
    FRedoList->OnAddedUndo = [this](TObject* Sender) { UndoItemAdded(Sender); };

    SetDoubleBuffered(false);
    FSelectedColor = std::make_unique<TCodeSelectedColor>();
    FSelectedColor->OnChange = [this](TObject*) { InvalidateSelection(); };
    FBookMarkOpt = std::make_unique<TCodeBookMarkOpt>(this);
    FBookMarkOpt->OnChange = [this](TObject*) { InvalidateGutter(); };
    FGutter = std::make_unique<TCodeGutter>();
    FGutter->OnChange = [this](TObject*) { RecomputeGutterWidth(); };
    FGutterWidth = FGutter->Width();
    FTextOffset = FGutterWidth + 2;
    SetControlStyle(ControlStyle() + TControlStyle{csOpaque, csNeedsBorderPaint, csDoubleClicks});
    SetBounds(Left(), Top(), 200, 150);
    SetCursor(crIBeam);
    SetColor(clWindow);

    FFontDummy->SetName(u"Courier New");
    FFontDummy->SetSize(10);
    FFontDummy->SetCharset(DEFAULT_CHARSET);
    FTextDrawer = std::make_unique<TheTextDrawer>(TFontStyles{fsBold}, FFontDummy.get());
    Font()->Assign(FFontDummy.get());
    Font()->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
    SetParentFont(false);
    SetParentColor(false);
    SetTabStop(true);

    FKbdHandler = std::make_unique<TCodeEditKbdHandler>();
    FMarkList = std::make_unique<TCodeEditMarkList>(this);
    FMarkList->OnChange = [this](TObject*) { InvalidateGutter(); };

    FKeyStrokes = std::make_unique<TCodeEditKeyStrokes>(this);
    FKeyStrokes->ResetDefaults();
    FScrollTimer = std::make_unique<TTimer>(nullptr);
    FScrollTimer->SetEnabled(false);
    FScrollTimer->SetInterval(100);
    FScrollTimer->OnTimer = [this](TObject* Sender) { ScrollTimerTick(Sender); };

    FontChanged(nullptr);
}

TCustomCodeEdit::~TCustomCodeEdit() {
    SetHighlighter(nullptr);
    ReleaseLinks();
    Font()->OnChange = nullptr;
    FMarkList.reset();
}

void TCustomCodeEdit::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == Controls::bsSingle) Params.Style |= WS_BORDER;
    Params.Style |= WS_CLIPCHILDREN;
    if (FScrollBars == StdCtrls::ssBoth || FScrollBars == StdCtrls::ssHorizontal) Params.Style |= WS_HSCROLL;
    if (FScrollBars == StdCtrls::ssBoth || FScrollBars == StdCtrls::ssVertical) Params.Style |= WS_VSCROLL;
}

void TCustomCodeEdit::CreateWnd() {
    TCustomControl::CreateWnd();
    if (FOptions.Contains(eoDropFiles)) DragAcceptFiles(Handle(), true);
    RecomputeWindowMetrics(false);
    UpdateScrollBars();
}

void TCustomCodeEdit::Loaded() {
    TCustomControl::Loaded();
    UpdateScrollBars();
}

// ---- Paint lock and status ------------------------------------------------------------------

void TCustomCodeEdit::IncPaintLock() {
    ++FPaintLock;
}

void TCustomCodeEdit::DecPaintLock() {
    ASSERT(FPaintLock > 0);
    --FPaintLock;
    if (FPaintLock != 0 || !HandleAllocated()) return;
    if (FStateFlags.Contains(sfScrollbarChanged)) UpdateScrollBars();
    if (FStateFlags.Contains(sfCaretChanged)) UpdateCaret();
    if (!FStatusChanges.Empty()) FireStatusChange();
}

void TCustomCodeEdit::AddStatusChanges(TCodeStatusChanges Changes) {
    FStatusChanges += Changes;
    if (FPaintLock == 0) FireStatusChange();
}

void TCustomCodeEdit::FireStatusChange() {
    // Unheard changes are kept for the owner that listens later.
    if (!OnStatusChange) return;
    const TCodeStatusChanges Changes = FStatusChanges;
    FStatusChanges = {};
    OnStatusChange(this, Changes);
}

void TCustomCodeEdit::FireChange() {
    if (OnChange) OnChange(this);
}

void TCustomCodeEdit::FireClearBookmark(TCodeEditMark*& Mark) {
    if (OnClearBookmark) OnClearBookmark(this, Mark);
}

void TCustomCodeEdit::FirePlaceBookmark(TCodeEditMark*& Mark) {
    if (OnPlaceBookmark) OnPlaceBookmark(this, Mark);
}

void TCustomCodeEdit::FirePaint() {
    if (!OnPaint) return;
    Canvas()->SetFont(Font());
    Canvas()->Brush()->SetColor(Color());
    OnPaint(this, Canvas());
}

void TCustomCodeEdit::FirePaintTransientEx(TTransientType TransientType, bool Lock) {
    if (Lock) {
        if (TransientType == ttBefore) {
            if (FPaintTransientLock++ != 0) return;
        } else if (--FPaintTransientLock != 0) {
            return;
        }
    } else if (FPaintTransientLock != 0) {
        return;
    }
    if (!OnPaintTransient || !HandleAllocated()) return;
    Canvas()->SetFont(Font());
    Canvas()->Brush()->SetColor(Color());
    HideCaretNow();
    TScopeExit ShowAgain([this] { ShowCaretNow(); });
    OnPaintTransient(this, Canvas(), TransientType);
}

bool TCustomCodeEdit::FireSpecialLineColors(int Line, TColor& FG, TColor& BG) {
    bool Special = false;
    if (OnSpecialLineColors) OnSpecialLineColors(this, Line, Special, FG, BG);
    return Special;
}

void TCustomCodeEdit::UndoItemAdded(TObject* Sender) {
    SetModified(!FUndoList->InitialState());
    auto* List = static_cast<TCodeEditUndoList*>(Sender);
    if (List == FUndoList && !FUndoList->InsideRedo()) {
        const TCodeEditUndoItem* Item = FUndoList->PeekItem();
        if (Item && Item->ChangeReason() != crGroupBreak) FRedoList->Clear();
    }
    if (List->BlockCount() == 0) FireChange();
}

void TCustomCodeEdit::LinesChanged(TObject*) {
    FStateFlags.Exclude(sfLinesChanging);
    GrowMaxScrollWidthToText();
    if (FGutter->ShowLineNumbers() && FGutter->AutoSize()) RecomputeGutterWidth();
    // The caret and the selection stay inside a shortened text.
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    PlaceCaret(CaretXY(), false);
    // Every text change leaves the selection empty on the caret, in its mode.
    FBlockBegin = CaretXY();
    FBlockEnd = CaretXY();
    FStateFlags.Include(sfScrollbarChanged);
    if (!HandleAllocated()) UpdateScrollBars();
}

void TCustomCodeEdit::GrowMaxScrollWidthToText() {
    // Whatever the options: a longer line must stay reachable by caret and scroll bar.
    const int Longest = FLines->LengthOfLongestLine();
    if (Longest > FMaxScrollWidth) FMaxScrollWidth = Longest;
}

// ---- Measuring ------------------------------------------------------------------------------

void TCustomCodeEdit::MeasureCharCell() {
    // The cell must hold the widest and highest style in use.
    FTextDrawer->SetBaseFont(Font());
    int Width = 0;
    int Height = 0;
    // The bold and italic combinations in use: the highlighter's attributes, else the font's.
    std::vector<TFontStyles> Used;
    const TFontStyles Shape{fsBold, fsItalic};
    if (FHighlighter && FHighlighter->AttrCount() > 0)
        for (int I = 0; I < FHighlighter->AttrCount(); ++I)
            Used.push_back(FHighlighter->Attribute(I)->Style() * Shape);
    else
        Used.push_back(Font()->Style() * Shape);
    for (const TFontStyles& Style :
         {TFontStyles{}, TFontStyles{fsItalic}, TFontStyles{fsBold}, TFontStyles{fsBold, fsItalic}}) {
        if (std::find(Used.begin(), Used.end(), Style) == Used.end()) continue;
        FTextDrawer->SetBaseStyle(Style);
        Width = std::max(Width, FTextDrawer->CharWidth());
        Height = std::max(Height, FTextDrawer->CharHeight());
    }
    FCharWidth = std::max(1, Width);
    FTextHeight = std::max(1, Height) + FExtraLineSpacing;
    FColumnCache.clear();
}

void TCustomCodeEdit::RecomputeGutterWidth() {
    if (ComponentState().Contains(csLoading)) return;
    if (FGutter->ShowLineNumbers() && FGutter->AutoSize()) FGutter->AutoSizeDigitCount(FLines->Count());
    int CharW = FCharWidth;
    if (FGutter->UseFontStyle() && FGutter->ShowLineNumbers()) {
        FTextDrawer->SetBaseFont(FGutter->Font());
        CharW = FTextDrawer->CharWidth();
        FTextDrawer->SetBaseFont(Font());
    }
    const int Width = FGutter->RealGutterWidth(CharW);
    if (Width == FGutterWidth)
        InvalidateGutter();
    else
        SetGutterWidth(Width);
}

int TCustomCodeEdit::CharColumns(Char C) const {
    // Control characters, tab fillers and ASCII take one cell of a fixed-pitch font.
    if (C < 0x80 || C == CodeEditWideFiller || FCharWidth <= 0) return 1;
    if (C >= 0xD800 && C <= 0xDFFF) return 1;
    auto It = FColumnCache.find(C);
    if (It != FColumnCache.end()) return It->second;
    const int W = FTextDrawer->TextWidth(String(1, C));
    const int Columns = std::clamp((W + FCharWidth - 1) / FCharWidth, 1, 0xFFFF);
    FColumnCache.emplace(C, Columns);
    return Columns;
}

String TCustomCodeEdit::ExpandAtWideGlyphs(const String& S) const {
    // Most lines hold no wide glyph: they are their own display form.
    if (std::all_of(S.begin(), S.end(), [](Char C) { return C < 0x80; })) return S;
    String Result;
    Result.reserve(S.size() * 2);
    for (Char C : S) {
        const int N = CharColumns(C);
        if (N > 1) Result.append(static_cast<size_t>(N - 1), CodeEditWideFiller);
        Result.push_back(C);
    }
    return Result;
}

void TCustomCodeEdit::FontChanged(TObject*) {
    MeasureCharCell();
    FLines->FontChanged();
    RecomputeWindowMetrics(true);
    if (FGutter->ShowLineNumbers()) RecomputeGutterWidth();
}

void TCustomCodeEdit::RecomputeWindowMetrics(bool FontChanged) {
    if (!HandleAllocated() || FCharWidth == 0) return;
    FCharsInWindow = std::max(ClientWidth() - FGutterWidth - 2, 0) / FCharWidth;
    FLinesInWindow = FTextHeight > 0 ? ClientHeight() / FTextHeight : 0;
    UpdateScrollBars();
    if (FontChanged) {
        InitializeCaret();
        FStateFlags.Exclude(sfCaretChanged);
        Invalidate();
    }
    FStateFlags.Exclude(sfScrollbarChanged);
    if (!FOptions.Contains(eoScrollPastEol)) SetLeftChar(FLeftChar);
    if (!FOptions.Contains(eoScrollPastEof)) SetTopLine(FTopLine);
}

// ---- Property setters -----------------------------------------------------------------------

void TCustomCodeEdit::SetLines(TStrings* Value) {
    FLines->Assign(Value);
}

String TCustomCodeEdit::LineText() const {
    if (FCaretY >= 1 && FCaretY <= FLines->Count()) return FLines->Strings(FCaretY - 1);
    return {};
}

void TCustomCodeEdit::SetLineText(const String& Value) {
    if (FCaretY < 1 || FCaretY > std::max(1, FLines->Count())) return;
    if (FCaretY > FLines->Count())
        FLines->Add(Value);
    else
        FLines->SetString(FCaretY - 1, Value);
}

void TCustomCodeEdit::SetModified(bool Value) {
    if (Value == FModified) return;
    FModified = Value;
    if (!Value && FOptions.Contains(eoGroupUndo) && FUndoList->CanUndo()) FUndoList->AddGroupBreak();
    FUndoList->SetInitialState(!Value);
    AddStatusChanges({scModified});
}

void TCustomCodeEdit::SetReadOnly(bool Value) {
    if (Value == FReadOnly) return;
    FReadOnly = Value;
    AddStatusChanges({scReadOnly});
}

void TCustomCodeEdit::SetMaxUndo(int Value) {
    if (Value < 0) return;
    FUndoList->SetMaxUndoActions(Value);
    FRedoList->SetMaxUndoActions(Value);
}

void TCustomCodeEdit::SetOptions(TCodeEditorOptions Value) {
    if (Value == FOptions) return;
    if (!FOptions.Contains(eoScrollPastEol)) SetLeftChar(FLeftChar);
    if (!FOptions.Contains(eoScrollPastEof)) SetTopLine(FTopLine);
    const TCodeEditorOptions ScrollOptions{eoDisableScrollArrows, eoHideShowScrollbars, eoScrollPastEof,
                                           eoScrollPastEol};
    const bool ScrollChanged = (FOptions * ScrollOptions) != (Value * ScrollOptions);
    const bool DropFilesChanged = FOptions.Contains(eoDropFiles) != Value.Contains(eoDropFiles);
    FOptions = Value;
    if (DropFilesChanged && HandleAllocated()) DragAcceptFiles(Handle(), FOptions.Contains(eoDropFiles));
    SetCaretXY(CaretXY());
    if (FOptions.Contains(eoScrollPastEol)) {
        SetBlockBegin(FBlockBegin);
        SetBlockEnd(FBlockEnd);
    }
    if (FOptions.Contains(eoShowSpecialChars) != FShowSpecChar) {
        FShowSpecChar = FOptions.Contains(eoShowSpecialChars);
        Invalidate();
    }
    if (ScrollChanged) UpdateScrollBars();
}

void TCustomCodeEdit::SetTabWidth(int Value) {
    Value = ClampInt(Value, 1, 256);
    if (Value == FTabWidth) return;
    FTabWidth = Value;
    FLines->SetTabWidth(Value);
    Invalidate();
}

void TCustomCodeEdit::SetInsertMode(bool Value) {
    if (Value == FInserting) return;
    FInserting = Value;
    if (!ComponentState().Contains(csDesigning)) InitializeCaret();
    AddStatusChanges({scInsertMode});
}

void TCustomCodeEdit::SetInsertCaret(TCodeEditCaretType Value) {
    if (Value == FInsertCaret) return;
    FInsertCaret = Value;
    InitializeCaret();
}

void TCustomCodeEdit::SetOverwriteCaret(TCodeEditCaretType Value) {
    if (Value == FOverwriteCaret) return;
    FOverwriteCaret = Value;
    InitializeCaret();
}

void TCustomCodeEdit::SetAlwaysShowCaret(bool Value) {
    if (Value == FAlwaysShowCaret) return;
    FAlwaysShowCaret = Value;
    if (ComponentState().Contains(csDestroying) || Focused()) return;
    if (Value) {
        InitializeCaret();
    } else if (HandleAllocated()) {
        HideCaretNow();
        DestroyCaret();
    }
}

void TCustomCodeEdit::SetActiveLineColor(TColor Value) {
    if (Value == FActiveLineColor) return;
    FActiveLineColor = Value;
    InvalidateLine(FCaretY);
}

void TCustomCodeEdit::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomCodeEdit::SetHideSelection(bool Value) {
    if (Value == FHideSelection) return;
    FHideSelection = Value;
    InvalidateSelection();
}

void TCustomCodeEdit::SetRightEdge(int Value) {
    if (Value == FRightEdge) return;
    FRightEdge = Value;
    Invalidate();
}

void TCustomCodeEdit::SetRightEdgeColor(TColor Value) {
    if (Value == FRightEdgeColor) return;
    FRightEdgeColor = Value;
    if (!HandleAllocated()) return;
    const int X = FTextOffset + FRightEdge * FCharWidth;
    InvalidateArea(TRect{X - 1, 0, X + 1, ClientHeight()}, false);
}

void TCustomCodeEdit::SetExtraLineSpacing(int Value) {
    FExtraLineSpacing = Value;
    FontChanged(nullptr);
}

void TCustomCodeEdit::SetFontSmoothing(TCodeFontSmoothMethod Value) {
    if (Value == FFontSmoothing) return;
    FFontSmoothing = Value;
    static constexpr TFontQuality Qualities[] = {fqNonAntialiased, fqAntialiased, fqClearType};
    Font()->SetQuality(Qualities[Value]);
}

void TCustomCodeEdit::SetMaxScrollWidth(int Value) {
    Value = ClampInt(Value, 1, INT_MAX - 1);
    if (Value == FMaxScrollWidth) return;
    FMaxScrollWidth = Value;
    if (FOptions.Contains(eoScrollPastEol)) UpdateScrollBars();
}

void TCustomCodeEdit::SetScrollBars(TScrollStyle Value) {
    if (Value == FScrollBars) return;
    FScrollBars = Value;
    if (HandleAllocated()) RecreateWnd();
    UpdateScrollBars();
    Invalidate();
}

void TCustomCodeEdit::SetSelectionMode(TCodeSelectionMode Value) {
    if (Value == FSelectionMode) return;
    FSelectionMode = Value;
    SetActiveSelectionMode(Value);
}

void TCustomCodeEdit::SetActiveSelectionMode(TCodeSelectionMode Value) {
    if (Value == FActiveSelectionMode) return;
    if (SelAvail()) InvalidateSelection();
    FActiveSelectionMode = Value;
    if (SelAvail()) InvalidateSelection();
    AddStatusChanges({scSelection});
}

// ---- Character indexes ----------------------------------------------------------------------

int TCustomCodeEdit::RowColToCharIndex(const TBufferCoord& RowCol) const {
    const int L = std::min(RowCol.Line, FLines->Count());
    if (L < 1) return RowCol.Char - 1;
    // Every line break counts two characters, whatever the file's format.
    return FLines->LineCharIndex(L - 1) + 2 * (L - 1) + RowCol.Char - 1;
}

TBufferCoord TCustomCodeEdit::CharIndexToRowCol(int Index) const {
    const int Count = FLines->Count();
    // The first line whose text and break reach past Index; the starts grow with the line.
    int Lo = 0;
    int Hi = Count - 1;
    int Found = -1;
    while (Lo <= Hi) {
        const int M = Lo + (Hi - Lo) / 2;
        const int P = FLines->LineCharIndex(M) + 2 * M;
        if (P + FLines->LineCharLength(M) + 2 > Index) {
            Found = M;
            Hi = M - 1;
        } else {
            Lo = M + 1;
        }
    }
    if (Found < 0) return {1, Count + 1};
    const int P = FLines->LineCharIndex(Found) + 2 * Found;
    return {Index - P + 1, Found + 1};
}

int TCustomCodeEdit::SelStart() const {
    return RowColToCharIndex(SelAvail() ? BlockBegin() : CaretXY());
}

void TCustomCodeEdit::SetSelStart(int Value) {
    HandleNeeded();
    const TBufferCoord P = CharIndexToRowCol(Value);
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    SetCaretInternal(P);
    SetBlockBegin(CaretXY());
    SetBlockEnd(CaretXY());
}

int TCustomCodeEdit::SelEnd() const {
    return RowColToCharIndex(SelAvail() ? BlockEnd() : CaretXY());
}

void TCustomCodeEdit::SetSelEnd(int Value) {
    HandleNeeded();
    SetBlockEnd(CharIndexToRowCol(Value));
}

int TCustomCodeEdit::SelLength() const {
    if (!SelAvail()) return 0;
    return RowColToCharIndex(BlockEnd()) - RowColToCharIndex(BlockBegin());
}

void TCustomCodeEdit::SetSelLength(int Value) {
    const TBufferCoord Begin = BlockBegin();
    const int I = RowColToCharIndex(Begin) + Value;
    const int Count = FLines->Count();
    const TBufferCoord TextEnd =
        Count > 0 ? TBufferCoord{FLines->LineCharLength(Count - 1) + 1, Count} : TBufferCoord{1, 1};
    if (Value < 0) {
        // Reaching before the text's start selects from the start, never wraps to its end.
        const TBufferCoord P = I >= 0 ? CharIndexToRowCol(I) : TBufferCoord{1, 1};
        SetCaretAndSelection(P, P, Begin);
        return;
    }
    // Reaching past the text's end selects up to the end.
    TBufferCoord E = CharIndexToRowCol(I);
    if (E.Line > Count) E = TextEnd;
    SetCaretAndSelection(E, Begin, E);
}

// ---- Buffer and display positions -----------------------------------------------------------

TDisplayCoord TCustomCodeEdit::BufferToDisplayPos(const TBufferCoord& P) const {
    TDisplayCoord Result{P.Char, P.Line};
    if (P.Line < 1 || P.Line > FLines->Count()) return Result;
    const String& S = FLines->Strings(P.Line - 1);
    const int Len = static_cast<int>(S.size());
    int W = 0;
    for (int I = 0; I < P.Char - 1; ++I) {
        if (I >= Len)
            W += 1;
        else if (S[static_cast<size_t>(I)] == u'\t')
            W += FTabWidth - W % FTabWidth;
        else
            W += CharColumns(S[static_cast<size_t>(I)]);
    }
    Result.Column = W + 1;
    return Result;
}

TBufferCoord TCustomCodeEdit::DisplayToBufferPos(const TDisplayCoord& P) const {
    TBufferCoord Result{P.Column, P.Row};
    if (P.Row < 1 || P.Row > FLines->Count()) return Result;
    const String& S = FLines->Strings(P.Row - 1);
    const int Len = static_cast<int>(S.size());
    int W = 0;
    int I = 0;
    while (W < P.Column) {
        if (I >= Len)
            W += 1;
        else if (S[static_cast<size_t>(I)] == u'\t')
            W += FTabWidth - W % FTabWidth;
        else
            W += CharColumns(S[static_cast<size_t>(I)]);
        ++I;
    }
    Result.Char = std::max(I, 1);
    return Result;
}

int TCustomCodeEdit::DisplayLineCount() const {
    return FLines->Count();
}

TBufferBlock TCustomCodeEdit::UnifiedSelection() const {
    return {std::min(FBlockBegin.Line, FBlockEnd.Line), std::min(FBlockBegin.Char, FBlockEnd.Char),
            std::max(FBlockBegin.Line, FBlockEnd.Line), std::max(FBlockBegin.Char, FBlockEnd.Char)};
}

// ---- Invalidation ---------------------------------------------------------------------------

void TCustomCodeEdit::InvalidateArea(const TRect& ARect, bool AErase) {
    if (HandleAllocated()) InvalidateRect(Handle(), &ARect, AErase);
}

void TCustomCodeEdit::InvalidateLines(int FirstLine, int LastLine) {
    if (!HandleAllocated() || !Visible() || FTextHeight <= 0) return;
    if (FirstLine > LastLine) std::swap(FirstLine, LastLine);
    // Only the rows on screen are touched.
    const int Top = std::max(FirstLine, FTopLine);
    const int Bottom = std::min(LastLine, FTopLine + FLinesInWindow);
    if (Top > Bottom) return;
    InvalidateArea(TRect{FGutterWidth, (Top - FTopLine) * FTextHeight, ClientWidth(),
                         (Bottom - FTopLine + 1) * FTextHeight},
                   false);
}

void TCustomCodeEdit::InvalidateLine(int Line) {
    if (Line < 1 || Line > std::max(1, FLines->Count())) return;
    InvalidateLines(Line, Line);
}

void TCustomCodeEdit::InvalidateGutterLines(int FirstLine, int LastLine) {
    if (!HandleAllocated() || FGutterWidth <= 0 || FTextHeight <= 0) return;
    if (FirstLine > LastLine) std::swap(FirstLine, LastLine);
    const int Top = std::max(FirstLine, FTopLine);
    const int Bottom = std::min(LastLine, FTopLine + FLinesInWindow);
    if (Top > Bottom) return;
    InvalidateArea(
        TRect{0, (Top - FTopLine) * FTextHeight, FGutterWidth, (Bottom - FTopLine + 1) * FTextHeight}, false);
}

void TCustomCodeEdit::InvalidateGutter() {
    if (HandleAllocated()) InvalidateArea(TRect{0, 0, FGutterWidth, ClientHeight()}, false);
}

void TCustomCodeEdit::InvalidateSelection() {
    InvalidateLines(FBlockBegin.Line, FBlockEnd.Line);
}

// ---- Messages -------------------------------------------------------------------------------

void TCustomCodeEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_HSCROLL:
        return Crack(Message, this, &TCustomCodeEdit::WMHScroll);
    case WM_VSCROLL:
        return Crack(Message, this, &TCustomCodeEdit::WMVScroll);
    case WM_COPY:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case WM_DROPFILES:
        DispatchClipboardMessage(Message);
        return;
    case WM_IME_COMPOSITION:
        WMImeComposition(Message);
        return;
    case WM_IME_CHAR:
        // The finished composition was typed as one string: its characters are not typed again.
        return;
    case WM_CAPTURECHANGED:
        // The capture went elsewhere: the button is no longer held for this control.
        if (FScrollTimer) FScrollTimer->SetEnabled(false);
        TCustomControl::Dispatch(Message);
        return;
    default:
        TCustomControl::Dispatch(Message);
    }
}

void TCustomCodeEdit::WMSize(TWMSize& Message) {
    TCustomControl::WMSize(Message);
    RecomputeWindowMetrics(false);
}

void TCustomCodeEdit::WMGetDlgCode(TWMGetDlgCode& Message) {
    TCustomControl::WMGetDlgCode(Message);
    Message.Result |= DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (FWantTabs) Message.Result |= DLGC_WANTTAB;
    if (FWantReturns) Message.Result |= DLGC_WANTALLKEYS;
}

void TCustomCodeEdit::WMEraseBkgnd(TWMEraseBkgnd& Message) {
    // Painting covers every pixel.
    Message.Result = 1;
}

void TCustomCodeEdit::WMSetFocus(TWMSetFocus& Message) {
    TCustomControl::WMSetFocus(Message);
    CommandProcessor(ecGotFocus, Char(0), nullptr);
    InitializeCaret();
    if (FHideSelection && SelAvail()) InvalidateSelection();
}

void TCustomCodeEdit::WMKillFocus(TWMKillFocus& Message) {
    TCustomControl::WMKillFocus(Message);
    CommandProcessor(ecLostFocus, Char(0), nullptr);
    if (FScrollTimer) FScrollTimer->SetEnabled(false);
    if (FAlwaysShowCaret || Focused()) return;
    HideCaretNow();
    DestroyCaret();
    if (FHideSelection && SelAvail()) InvalidateSelection();
}

// ---- TCodeEdit ------------------------------------------------------------------------------

void TCodeEdit::Published(TPublisher<TCodeEdit>& P) {
    using C = TCodeEdit;
    P.Property(u"Gutter", &C::Gutter, &C::SetGutter);
    P.Property(u"SelectedColor", &C::SelectedColor, &C::SetSelectedColor);
    P.Property(u"BookMarkOptions", &C::BookMarkOptions, &C::SetBookMarkOptions);
    P.Property(u"ActiveLineColor", &C::ActiveLineColor, &C::SetActiveLineColor).Default(clNone);
    P.Property(u"BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(Controls::bsSingle);
    P.Property(u"ExtraLineSpacing", &C::ExtraLineSpacing, &C::SetExtraLineSpacing).Default(0);
    P.Property(u"FontSmoothing", &C::FontSmoothing, &C::SetFontSmoothing);
    P.Property(u"HideSelection", &C::HideSelection, &C::SetHideSelection).Default(false);
    P.Property(u"InsertCaret", &C::InsertCaret, &C::SetInsertCaret).Default(ctVerticalLine);
    P.Property(u"InsertMode", &C::InsertMode, &C::SetInsertMode).Default(true);
    P.Property(u"Lines", &C::Lines, &C::SetLines);
    P.Property(u"MaxScrollWidth", &C::MaxScrollWidth, &C::SetMaxScrollWidth).Default(1024);
    P.Property(u"MaxUndo", &C::MaxUndo, &C::SetMaxUndo).Default(1024);
    P.Property(u"Options", &C::Options, &C::SetOptions)
        .Default(TCodeEditorOptions::FromInt(CodeEditDefaultOptionBits));
    P.Property(u"OverwriteCaret", &C::OverwriteCaret, &C::SetOverwriteCaret).Default(ctBlock);
    P.Property(u"ReadOnly", &C::ReadOnly, &C::SetReadOnly).Default(false);
    P.Property(u"RightEdge", &C::RightEdge, &C::SetRightEdge).Default(80);
    P.Property(u"RightEdgeColor", &C::RightEdgeColor, &C::SetRightEdgeColor).Default(clSilver);
    P.Property(u"ScrollBars", &C::ScrollBars, &C::SetScrollBars).Default(StdCtrls::ssBoth);
    P.Property(u"ScrollHintColor", &C::ScrollHintColor, &C::SetScrollHintColor).Default(clInfoBk);
    P.Property(u"ScrollHintFormat", &C::ScrollHintFormat, &C::SetScrollHintFormat).Default(shfTopLineOnly);
    P.Property(u"SelectionMode", &C::SelectionMode, &C::SetSelectionMode).Default(smNormal);
    P.Property(u"TabWidth", &C::TabWidth, &C::SetTabWidth).Default(8);
    P.Property(u"WantReturns", &C::WantReturns, &C::SetWantReturns).Default(true);
    P.Property(u"WantTabs", &C::WantTabs, &C::SetWantTabs).Default(false);
    P.Property(u"OnChange", &C::OnChange);
    P.Property(u"OnStatusChange", &C::OnStatusChange);
    P.Property(u"OnSpecialLineColors", &C::OnSpecialLineColors);
    P.Property(u"OnPlaceBookmark", &C::OnPlaceBookmark);
    P.Property(u"OnClearBookmark", &C::OnClearBookmark);
}
