// The editor control's caret, selection and view: the caret primitive and its shapes, the
// selection ends and the selected text in three modes, the top line and left column, the scroll
// bars with their 16-bit scaling, the wheel and the scroll hint.

#include "editor/CodeEdit.h"

#include "platform/base/Math.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Format.h"
#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Imm.h"
#include "platform/gui/ScrollBars.h"

#include <algorithm>
#include <climits>

namespace {

// Division that rounds towards minus infinity: a point left of the text is in column 0 or before.
int FloorDiv(int A, int B) {
    return A >= 0 ? A / B : -((-A + B - 1) / B);
}

bool CoordLess(const TBufferCoord& A, const TBufferCoord& B) {
    return A.Line < B.Line || (A.Line == B.Line && A.Char < B.Char);
}

// One hint window for all controls of the process.
THintWindow* ScrollHintWindow() {
    static THintWindow* Hint = nullptr;
    if (!Hint) Hint = new THintWindow(Application);
    return Hint;
}

} // namespace

String ScrollHintText(TScrollHintFormat HintFormat, int TopBufferLine, int BottomBufferLine) {
    if (HintFormat == shfTopToBottom) return Format(u"%d - %d", {TopBufferLine, BottomBufferLine});
    return Format(u"Top Line: %d", {TopBufferLine});
}

// ---- Pixels and positions -------------------------------------------------------------------

TDisplayCoord TCustomCodeEdit::PixelsToRowColumn(int X, int Y) const {
    const int W = std::max(FCharWidth, 1);
    const int H = std::max(FTextHeight, 1);
    return {std::max(1, FloorDiv(X - FGutterWidth - 2, W) + FLeftChar),
            std::max(1, FloorDiv(Y, H) + FTopLine)};
}

TDisplayCoord TCustomCodeEdit::PixelsToNearestRowColumn(int X, int Y) const {
    const int W = std::max(FCharWidth, 1);
    const int H = std::max(FTextHeight, 1);
    Y = std::max(0, std::min(Y, FLinesInWindow * H - 1));
    const int Column = FLeftChar + static_cast<int>(Round(double(X - FGutterWidth - 2) / W));
    return {std::max(1, Column), std::max(1, FloorDiv(Y, H) + FTopLine)};
}

TPoint TCustomCodeEdit::RowColumnToPixels(const TDisplayCoord& RowCol) const {
    return {(RowCol.Column - 1) * FCharWidth + FTextOffset, (RowCol.Row - FTopLine) * FTextHeight};
}

// ---- Caret ----------------------------------------------------------------------------------

void TCustomCodeEdit::PlaceCaret(TBufferCoord Value, bool EnsureVisible) {
    FCaretAtEOL = false;
    if (HandleAllocated()) FirePaintTransient(ttBefore);
    const int Count = FLines->Count();
    // A line longer than MaxScrollWidth stays reachable to its end.
    int MaxCol = FMaxScrollWidth + 1;
    if (Value.Line > Count) Value.Line = Count;
    if (Value.Line < 1) {
        Value.Line = 1;
        if (!FOptions.Contains(eoScrollPastEol)) MaxCol = 1;
    } else {
        const int Len = FLines->LineCharLength(Value.Line - 1);
        MaxCol = FOptions.Contains(eoScrollPastEol) ? std::max(FMaxScrollWidth, Len) + 1 : Len + 1;
    }
    const bool KeepBeyond = FOptions.Contains(eoScrollPastEol) && FOptions.Contains(eoAutoSizeMaxScrollWidth);
    if (Value.Char > MaxCol && !KeepBeyond) Value.Char = MaxCol;
    if (Value.Char < 1) Value.Char = 1;

    if (Value.Char == FCaretX && Value.Line == FCaretY) {
        FLastCaretX = DisplayX();
    } else {
        IncPaintLock();
        TScopeExit Unlock([this] { DecPaintLock(); });
        if (Value.Char != FCaretX) {
            FCaretX = Value.Char;
            AddStatusChanges({scCaretX});
        }
        if (Value.Line != FCaretY) {
            if (FActiveLineColor != clNone) {
                InvalidateLine(Value.Line);
                InvalidateLine(FCaretY);
            }
            FCaretY = Value.Line;
            AddStatusChanges({scCaretY});
        }
        FLastCaretX = DisplayX();
        if (EnsureVisible) EnsureCursorPosVisible();
        FStateFlags += TCodeStateFlags{sfCaretChanged, sfScrollbarChanged};
    }
    if (HandleAllocated()) FirePaintTransient(ttAfter);
}

void TCustomCodeEdit::SetCaretXY(const TBufferCoord& Value) {
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    FStatusChanges.Include(scSelection);
    PlaceCaret(Value, true);
    if (SelAvail()) InvalidateSelection();
    FBlockBegin = CaretXY();
    FBlockEnd = CaretXY();
}

TDisplayCoord TCustomCodeEdit::DisplayXY() const {
    return BufferToDisplayPos(CaretXY());
}

bool TCustomCodeEdit::CaretInView() const {
    const TDisplayCoord D = DisplayXY();
    return D.Column >= FLeftChar && D.Column <= FLeftChar + FCharsInWindow && D.Row >= FTopLine &&
           D.Row <= FTopLine + FLinesInWindow;
}

void TCustomCodeEdit::GotoLineAndCenter(int Line) {
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    PlaceCaret({1, Line}, false);
    SetBlockBegin(CaretXY());
    SetBlockEnd(CaretXY());
    EnsureCursorPosVisibleEx(true);
}

void TCustomCodeEdit::InitializeCaret() {
    const TCodeEditCaretType Type = FInserting ? FInsertCaret : FOverwriteCaret;
    int W = 2;
    int H = FTextHeight - 2;
    FCaretOffset = {-1, 0};
    switch (Type) {
    case ctHorizontalLine:
        W = FCharWidth;
        H = 2;
        FCaretOffset = {0, FTextHeight - 2};
        break;
    case ctHalfBlock:
        W = FCharWidth;
        H = (FTextHeight - 2) / 2;
        FCaretOffset = {0, H};
        break;
    case ctBlock:
        W = FCharWidth;
        FCaretOffset = {0, 0};
        break;
    default:
        break;
    }
    FStateFlags.Exclude(sfCaretVisible);
    if (!HandleAllocated() || !(Focused() || FAlwaysShowCaret)) return;
    CreateCaret(Handle(), std::max(W, 1), std::max(H, 1));
    UpdateCaret();
}

void TCustomCodeEdit::UpdateCaret() {
    if (FPaintLock != 0 || !HandleAllocated() || !(Focused() || FAlwaysShowCaret)) {
        FStateFlags.Include(sfCaretChanged);
        return;
    }
    FStateFlags.Exclude(sfCaretChanged);
    const TPoint P = RowColumnToPixels(DisplayXY());
    const int X = P.X + FCaretOffset.X;
    const int Y = P.Y + FCaretOffset.Y;
    SetCaretPos(X, Y);
    if (X >= FGutterWidth && X < ClientWidth() && Y >= 0 && Y < ClientHeight())
        ShowCaretNow();
    else
        HideCaretNow();
    // Text being composed appears where it will be typed.
    const HIMC Imc = ImmGetContext(Handle());
    TCompositionForm Form;
    Form.dwStyle = CFS_POINT;
    Form.ptCurrentPos = {X, Y};
    ImmSetCompositionWindow(Imc, &Form);
    ImmReleaseContext(Handle(), Imc);
}

void TCustomCodeEdit::ShowCaretNow() {
    if (FOptions.Contains(eoNoCaret) || FStateFlags.Contains(sfCaretVisible) || !HandleAllocated()) return;
    if (ShowCaret(Handle())) FStateFlags.Include(sfCaretVisible);
}

void TCustomCodeEdit::HideCaretNow() {
    if (!FStateFlags.Contains(sfCaretVisible) || !HandleAllocated()) return;
    if (HideCaret(Handle())) FStateFlags.Exclude(sfCaretVisible);
}

// ---- Selection ------------------------------------------------------------------------------

TBufferCoord TCustomCodeEdit::BlockBegin() const {
    return CoordLess(FBlockEnd, FBlockBegin) ? FBlockEnd : FBlockBegin;
}

TBufferCoord TCustomCodeEdit::BlockEnd() const {
    return CoordLess(FBlockEnd, FBlockBegin) ? FBlockBegin : FBlockEnd;
}

bool TCustomCodeEdit::SelAvail() const {
    return FBlockBegin.Char != FBlockEnd.Char ||
           (FBlockBegin.Line != FBlockEnd.Line && FActiveSelectionMode != smColumn);
}

bool TCustomCodeEdit::SelTabBlock() const {
    return FBlockBegin.Line != FBlockEnd.Line && FActiveSelectionMode != smColumn;
}

bool TCustomCodeEdit::SelTabLine() const {
    if (!SelAvail()) return false;
    const int CaretLen = FCaretY >= 1 && FCaretY <= FLines->Count() ? FLines->LineCharLength(FCaretY - 1) : 0;
    return BlockBegin().Char <= 1 && BlockEnd().Char > CaretLen;
}

TBufferCoord TCustomCodeEdit::ClampSelectionEnd(TBufferCoord Value) const {
    const int Count = FLines->Count();
    Value.Line = ClampInt(Value.Line, 1, Count);
    const bool Exists = Value.Line >= 1 && Value.Line <= Count;
    const int Len = Exists ? FLines->LineCharLength(Value.Line - 1) : 0;
    if (FOptions.Contains(eoScrollPastEol))
        Value.Char = ClampInt(Value.Char, 1, std::max(FMaxScrollWidth, Len) + 1);
    else
        Value.Char = std::max(Value.Char, 1);
    if (FActiveSelectionMode == smNormal) Value.Char = std::min(Value.Char, Exists ? Len + 1 : 1);
    return Value;
}

void TCustomCodeEdit::SetBlockBegin(TBufferCoord Value) {
    FActiveSelectionMode = FSelectionMode;
    Value = ClampSelectionEnd(Value);
    if (SelAvail()) {
        const int Lo = std::min({FBlockBegin.Line, FBlockEnd.Line, Value.Line});
        const int Hi = std::max({FBlockBegin.Line, FBlockEnd.Line, Value.Line});
        FBlockBegin = Value;
        FBlockEnd = Value;
        InvalidateLines(Lo, Hi);
        AddStatusChanges({scSelection});
    } else {
        const bool Moved = FBlockBegin != Value || FBlockEnd != Value;
        FBlockBegin = Value;
        FBlockEnd = Value;
        if (Moved) AddStatusChanges({scSelection});
    }
}

void TCustomCodeEdit::SetBlockEnd(TBufferCoord Value) {
    FActiveSelectionMode = FSelectionMode;
    if (FOptions.Contains(eoNoSelection)) return;
    Value = ClampSelectionEnd(Value);
    if (Value != FBlockEnd) {
        if (FActiveSelectionMode == smColumn && Value.Char != FBlockEnd.Char) {
            InvalidateLines(std::min({FBlockBegin.Line, FBlockEnd.Line, Value.Line}),
                            std::max({FBlockBegin.Line, FBlockEnd.Line, Value.Line}));
            FBlockEnd = Value;
        } else {
            const int OldLine = FBlockEnd.Line;
            FBlockEnd = Value;
            if (FActiveSelectionMode != smColumn || FBlockBegin.Char != FBlockEnd.Char)
                InvalidateLines(OldLine, FBlockEnd.Line);
        }
    }
    AddStatusChanges({scSelection});
}

void TCustomCodeEdit::SetCaretAndSelection(const TBufferCoord& ACaretXY, const TBufferCoord& ABlockBegin,
                                           const TBufferCoord& ABlockEnd) {
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    SetCaretInternal(ACaretXY);
    SetBlockBegin(ABlockBegin);
    SetBlockEnd(ABlockEnd);
}

String TCustomCodeEdit::SelText() const {
    if (!SelAvail()) return {};
    const TBufferCoord B = BlockBegin();
    const TBufferCoord E = BlockEnd();
    const int Count = FLines->Count();
    auto LineOf = [this, Count](int Line) {
        return Line >= 1 && Line <= Count ? FLines->Strings(Line - 1) : String();
    };
    String Result;
    switch (FActiveSelectionMode) {
    case smNormal:
        if (B.Line == E.Line) return Copy(LineOf(B.Line), B.Char, E.Char - B.Char);
        Result = Copy(LineOf(B.Line), B.Char, INT_MAX);
        for (int L = B.Line + 1; L < E.Line; ++L)
            Result += u"\r\n" + LineOf(L);
        Result += u"\r\n" + Copy(LineOf(E.Line), 1, E.Char - 1);
        return Result;
    case smLine:
        for (int L = B.Line; L <= E.Line; ++L) {
            Result += LineOf(L);
            if (L < Count) Result += u"\r\n";
        }
        return Result;
    case smColumn: {
        int Left = BufferToDisplayPos(B).Column;
        int Right = BufferToDisplayPos(E).Column;
        if (Left > Right) std::swap(Left, Right);
        const int Width = Right - Left;
        for (int Row = B.Line; Row <= E.Line; ++Row) {
            const String S = LineOf(Row);
            const int First = DisplayToBufferPos({Left, Row}).Char;
            const int Last = DisplayToBufferPos({Right, Row}).Char;
            String Piece = Copy(S, First, Last - First);
            if (!FOptions.Contains(eoTrimTrailingSpaces) && static_cast<int>(Piece.size()) < Width)
                Piece.append(static_cast<size_t>(Width) - Piece.size(), u' ');
            if (Row > B.Line) Result += u"\r\n";
            Result += Piece;
        }
        return Result;
    }
    }
    return Result;
}

void TCustomCodeEdit::SelectAll() {
    const int Count = FLines->Count();
    const TBufferCoord End =
        Count > 0 ? TBufferCoord{FLines->LineCharLength(Count - 1) + 1, Count} : TBufferCoord{1, 1};
    SetCaretAndSelection(End, {1, 1}, End);
    AddStatusChanges({scSelection});
}

void TCustomCodeEdit::SetWordBlock(TBufferCoord Value) {
    Value = ClampSelectionEnd(Value);
    const String S = (Value.Line <= FLines->Count() ? FLines->Strings(Value.Line - 1) : String()) + u'\0';
    const int Len = static_cast<int>(S.size());
    if (Value.Char > Len) {
        SetCaretInternal({Len, Value.Line});
        return;
    }
    auto IsIdent = [](Char C) {
        return C == u'_' || (C >= u'0' && C <= u'9') || (C >= u'a' && C <= u'z') ||
               (C >= u'A' && C <= u'Z') || C >= 0xC0;
    };
    int WordEnd = Value.Char;
    while (WordEnd <= Len && IsIdent(S[static_cast<size_t>(WordEnd - 1)]))
        ++WordEnd;
    int WordStart = Value.Char;
    while (WordStart > 1 && IsIdent(S[static_cast<size_t>(WordStart - 2)]))
        --WordStart;
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    SetCaretInternal({WordEnd, Value.Line});
    FBlockBegin = {WordStart, Value.Line};
    FBlockEnd = {WordEnd, Value.Line};
    InvalidateLine(Value.Line);
    AddStatusChanges({scSelection});
}

// ---- Top line and left column ---------------------------------------------------------------

int TCustomCodeEdit::MaxTopLine() const {
    const int Rows = DisplayLineCount();
    return std::max(1, FOptions.Contains(eoScrollPastEof) ? Rows : Rows - FLinesInWindow + 1);
}

int TCustomCodeEdit::MaxLeftChar() const {
    if (FOptions.Contains(eoScrollPastEol)) {
        if (FOptions.Contains(eoAutoSizeMaxScrollWidth)) return INT_MAX - FCharsInWindow;
        return FMaxScrollWidth - FCharsInWindow + 1;
    }
    const int Longest = FLines->LengthOfLongestLine();
    return Longest > FCharsInWindow ? Longest - FCharsInWindow + 1 : 1;
}

void TCustomCodeEdit::SetTopLine(int Value) {
    Value = std::max(1, std::min(Value, MaxTopLine()));
    if (Value == FTopLine) return;
    const int Delta = FTopLine - Value;
    FTopLine = Value;
    if (HandleAllocated()) {
        // Only the uncovered strip is painted anew, by the toolkit's next paint together with
        // whatever else the command changes (the caret's lines): one paint per move.
        if (std::abs(Delta) < FLinesInWindow) {
            const TRect Area = ClientRect();
            ScrollWindow(Handle(), 0, FTextHeight * Delta, &Area, &Area);
        } else {
            Invalidate();
        }
    }
    UpdateScrollBars();
    AddStatusChanges({scTopLine});
}

void TCustomCodeEdit::SetLeftChar(int Value) {
    Value = std::max(1, std::min(Value, MaxLeftChar()));
    if (Value == FLeftChar) return;
    const int Delta = FLeftChar - Value;
    FLeftChar = Value;
    FTextOffset = FGutterWidth + 2 - (FLeftChar - 1) * FCharWidth;
    if (HandleAllocated()) {
        const TRect Area{FGutterWidth + 2, 0, ClientWidth(), ClientHeight()};
        if (std::abs(Delta) < FCharsInWindow)
            ScrollWindow(Handle(), Delta * FCharWidth, 0, &Area, &Area);
        else
            InvalidateArea(Area, false);
    }
    if (FOptions.Contains(eoScrollPastEol) && FOptions.Contains(eoAutoSizeMaxScrollWidth) &&
        FMaxScrollWidth < FLeftChar + FCharsInWindow)
        SetMaxScrollWidth(FLeftChar + FCharsInWindow);
    else
        UpdateScrollBars();
    AddStatusChanges({scLeftChar});
}

void TCustomCodeEdit::SetGutterWidth(int Value) {
    Value = std::max(Value, 0);
    if (Value == FGutterWidth) return;
    FGutterWidth = Value;
    FTextOffset = FGutterWidth + 2 - (FLeftChar - 1) * FCharWidth;
    if (!HandleAllocated()) return;
    if (FCharWidth > 0) FCharsInWindow = std::max(ClientWidth() - FGutterWidth - 2, 0) / FCharWidth;
    UpdateScrollBars();
    Invalidate();
}

void TCustomCodeEdit::EnsureCursorPosVisibleEx(bool ForceToMiddle, bool EvenIfVisible) {
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    HandleNeeded();
    const TDisplayCoord D = DisplayXY();
    if (D.Column < FLeftChar)
        SetLeftChar(D.Column);
    else if (D.Column >= FLeftChar + FCharsInWindow)
        SetLeftChar(D.Column - FCharsInWindow + 1);
    else
        SetLeftChar(FLeftChar);
    const int Y = D.Row;
    const int H = FLinesInWindow;
    if (ForceToMiddle) {
        if (Y < FTopLine - 1)
            SetTopLine(Y - H / 2 < 0 ? 1 : Y - H / 2 + 1);
        else if (Y > FTopLine + H - 2)
            SetTopLine(Y - H + 1 + H / 2);
        else if (EvenIfVisible)
            SetTopLine(Y - H / 2 + 1);
    } else if (Y < FTopLine) {
        SetTopLine(Y);
    } else if (Y > FTopLine + std::max(H, 1) - 1) {
        SetTopLine(Y - H + 1);
    } else {
        SetTopLine(FTopLine);
    }
}

// ---- Scroll bars ----------------------------------------------------------------------------

int TCustomCodeEdit::HorzScrollRange() const {
    return FOptions.Contains(eoScrollPastEol) ? FMaxScrollWidth : std::max(FLines->LengthOfLongestLine(), 1);
}

int TCustomCodeEdit::VertScrollRange() const {
    const int Rows = DisplayLineCount();
    return FOptions.Contains(eoScrollPastEof) ? Rows + FLinesInWindow - 1 : Rows;
}

void TCustomCodeEdit::UpdateScrollBars() {
    if (!HandleAllocated() || FPaintLock != 0) {
        FStateFlags.Include(sfScrollbarChanged);
        return;
    }
    FStateFlags.Exclude(sfScrollbarChanged);
    const HWND Wnd = Handle();
    if (FScrollBars == StdCtrls::ssNone) {
        ShowScrollBar(Wnd, SB_BOTH, false);
        return;
    }
    TScrollInfo Info;
    Info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (!FOptions.Contains(eoHideShowScrollbars)) Info.fMask |= SIF_DISABLENOSCROLL;
    // Sets one bar: range 1..M unscaled, or 0..32767 with page and position scaled.
    auto SetBar = [&](int Bar, int M, int Page, int Pos) {
        bool Scaled = M > CodeEditMaxScrollRange;
        if (!Scaled) {
            Info.nMin = 1;
            Info.nMax = std::max(M, 1);
            Info.nPage = static_cast<UINT>(std::max(Page, 0));
            Info.nPos = Pos;
        } else {
            Info.nMin = 0;
            Info.nMax = CodeEditMaxScrollRange;
            Info.nPage = static_cast<UINT>(std::max(MulDiv(CodeEditMaxScrollRange, Page, M), 0));
            Info.nPos = MulDiv(CodeEditMaxScrollRange, Pos, M);
        }
        const bool Show = !FOptions.Contains(eoHideShowScrollbars) || Scaled || Page < Info.nMax;
        ShowScrollBar(Wnd, Bar, Show);
        SetScrollInfo(Wnd, Bar, Info, true);
    };
    if (FScrollBars == StdCtrls::ssBoth || FScrollBars == StdCtrls::ssHorizontal) {
        const int M = HorzScrollRange();
        SetBar(SB_HORZ, M, FCharsInWindow, FLeftChar);
        if (FOptions.Contains(eoDisableScrollArrows) || FCharsInWindow >= M) {
            if (FLeftChar > 1 || FLeftChar + FCharsInWindow - 1 < M) {
                EnableScrollBar(Wnd, SB_HORZ, ESB_ENABLE_BOTH);
                if (FLeftChar <= 1)
                    EnableScrollBar(Wnd, SB_HORZ, ESB_DISABLE_LEFT);
                else if (FLeftChar + FCharsInWindow > M)
                    EnableScrollBar(Wnd, SB_HORZ, ESB_DISABLE_RIGHT);
            } else {
                EnableScrollBar(Wnd, SB_HORZ, ESB_DISABLE_BOTH);
            }
        } else {
            EnableScrollBar(Wnd, SB_HORZ, ESB_ENABLE_BOTH);
        }
    } else {
        ShowScrollBar(Wnd, SB_HORZ, false);
    }
    if (FScrollBars == StdCtrls::ssBoth || FScrollBars == StdCtrls::ssVertical) {
        const int Rows = DisplayLineCount();
        const int M = VertScrollRange();
        SetBar(SB_VERT, M, FLinesInWindow, FTopLine);
        const bool AllFits = FLinesInWindow >= M;
        if (!FOptions.Contains(eoDisableScrollArrows) && !AllFits) {
            EnableScrollBar(Wnd, SB_VERT, ESB_ENABLE_BOTH);
        } else if (FTopLine > 1 || !AllFits) {
            EnableScrollBar(Wnd, SB_VERT, ESB_ENABLE_BOTH);
            if (FTopLine > 1 && FTopLine + FLinesInWindow == Rows + 1)
                EnableScrollBar(Wnd, SB_VERT, ESB_DISABLE_DOWN);
            else if (FTopLine <= 1)
                EnableScrollBar(Wnd, SB_VERT, ESB_DISABLE_UP);
        } else {
            EnableScrollBar(Wnd, SB_VERT, ESB_DISABLE_BOTH);
        }
    } else {
        ShowScrollBar(Wnd, SB_VERT, false);
    }
    if (FPaintLock == 0) Invalidate();
}

void TCustomCodeEdit::WMHScroll(TWMScroll& Message) {
    Message.Result = 0;
    const int Page = FOptions.Contains(eoScrollByOneLess) ? FCharsInWindow - 1 : FCharsInWindow;
    switch (Message.ScrollCode()) {
    case SB_LINELEFT:
        SetLeftChar(FLeftChar - 1);
        break;
    case SB_LINERIGHT:
        SetLeftChar(FLeftChar + 1);
        break;
    case SB_PAGELEFT:
        SetLeftChar(FLeftChar - Page);
        break;
    case SB_PAGERIGHT:
        SetLeftChar(FLeftChar + Page);
        break;
    case SB_LEFT:
        SetLeftChar(1);
        break;
    case SB_RIGHT:
        SetLeftChar(FOptions.Contains(eoScrollPastEol) ? FMaxScrollWidth - FCharsInWindow + 1
                                                       : FLines->LengthOfLongestLine());
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        FIsScrolling = true;
        const int M = HorzScrollRange();
        const int Pos = Message.Pos() & 0xFFFF;
        SetLeftChar(M > CodeEditMaxScrollRange ? MulDiv(M, Pos, CodeEditMaxScrollRange) : Pos);
        break;
    }
    case SB_ENDSCROLL:
        FIsScrolling = false;
        break;
    default:
        break;
    }
    if (OnScroll) OnScroll(this, sbHorizontal);
}

void TCustomCodeEdit::WMVScroll(TWMScroll& Message) {
    Message.Result = 0;
    const int Page = FOptions.Contains(eoScrollByOneLess) ? FLinesInWindow - 1 : FLinesInWindow;
    switch (Message.ScrollCode()) {
    case SB_LINEUP:
        SetTopLine(FTopLine - 1);
        break;
    case SB_LINEDOWN:
        SetTopLine(FTopLine + 1);
        break;
    case SB_PAGEUP:
        SetTopLine(FTopLine - Page);
        break;
    case SB_PAGEDOWN:
        SetTopLine(FTopLine + Page);
        break;
    case SB_TOP:
        SetTopLine(1);
        break;
    case SB_BOTTOM:
        SetTopLine(DisplayLineCount());
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        FIsScrolling = true;
        const int Rows = DisplayLineCount();
        const int Pos = Message.Pos() & 0xFFFF;
        SetTopLine(Rows > CodeEditMaxScrollRange
                       ? MulDiv(Rows + FLinesInWindow - 1, Pos, CodeEditMaxScrollRange)
                       : Pos);
        if (FOptions.Contains(eoShowScrollHint)) ShowScrollHint();
        break;
    }
    case SB_ENDSCROLL:
        FIsScrolling = false;
        if (FOptions.Contains(eoShowScrollHint)) ScrollHintWindow()->ReleaseHandle();
        break;
    default:
        break;
    }
    if (HandleAllocated()) UpdateWindow(Handle());
    if (OnScroll) OnScroll(this, sbVertical);
}

void TCustomCodeEdit::ShowScrollHint() {
    THintWindow* Hint = ScrollHintWindow();
    Hint->SetColor(FScrollHintColor);
    const int Bottom = FTopLine + std::min(FLinesInWindow, DisplayLineCount() - FTopLine);
    const String Text = ScrollHintText(FScrollHintFormat, RowToLine(FTopLine), RowToLine(Bottom));
    TRect R = Hint->CalcHintRect(200, Text, nullptr);
    const int W = R.Width();
    const int H = R.Height();
    int Y = 10;
    if (FOptions.Contains(eoScrollHintFollows)) {
        TScrollInfo Info;
        Info.fMask = SIF_RANGE | SIF_TRACKPOS;
        GetScrollInfo(Handle(), SB_VERT, Info);
        const int B = GetSystemMetrics(SM_CYVSCROLL);
        const double Track = Info.nMax > 0 ? double(Info.nTrackPos) / Info.nMax : 0.0;
        Y = B + static_cast<int>(Round(Track * (ClientHeight() - 2 * B))) + H / 2;
    }
    const TPoint At = ClientToScreen({ClientWidth() - W - 4, Y});
    Hint->ActivateHint(TRect{At.X, At.Y, At.X + W, At.Y + H}, Text);
}

bool TCustomCodeEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    int Step = CodeEditWheelRows;
    if (Shift.Contains(ssCtrl))
        Step = FOptions.Contains(eoHalfPageScroll) ? FLinesInWindow / 2 : FLinesInWindow;
    FMouseWheelAccumulator += WheelDelta;
    const int Notches = FMouseWheelAccumulator / CodeEditWheelDelta;
    FMouseWheelAccumulator %= CodeEditWheelDelta;
    if (Notches != 0) SetTopLine(FTopLine - Notches * Step);
    if (HandleAllocated()) UpdateWindow(Handle());
    if (OnScroll) OnScroll(this, sbVertical);
    return true;
}
