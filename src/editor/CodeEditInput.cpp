// The editor control's keyboard and mouse: keys become commands through the bindings, typed
// characters the typing command (Alt with keypad digits composes a character code), the mouse
// places the caret, extends the selection, starts a drag of it, selects a word on a double
// click, scrolls on a timer while held outside the text, and reports clicks in the gutter.

#include "editor/CodeEdit.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Imm.h"

#include <algorithm>
#include <cstdlib>

// ---- Keys -----------------------------------------------------------------------------------

void TCustomCodeEdit::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    FKbdHandler->ExecuteKeyDown(this, Key, Shift);
    if (Key == 0) return;
    void* Data = nullptr;
    const TCodeEditorCommand Cmd = KeyToCommand(Key, Shift, Data);
    if (Cmd != ecNone) {
        Key = 0;
        FStateFlags.Include(sfIgnoreNextChar);
        CommandProcessor(Cmd, Char(0), Data);
    } else {
        FStateFlags.Exclude(sfIgnoreNextChar);
    }
}

void TCustomCodeEdit::KeyUp(Word& Key, TShiftState Shift) {
    // Alt held with keypad digits types the character of that code when Alt goes up; codes up
    // to 255 are left to the system's own composition.
    if (Shift.Contains(ssAlt) && Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9)
        FCharCodeString += Char(u'0' + (Key - VK_NUMPAD0));
    if (Key == VK_MENU) {
        const String Digits = FCharCodeString;
        FCharCodeString.clear();
        int Code = 0;
        if (!Digits.empty() && Digits.size() <= 6 && TryStrToInt(Digits, Code) && Code >= 256 && Code <= 65535) {
            TWMChar Message;
            Message.Msg = WM_CHAR;
            Message.WParam = static_cast<WPARAM>(Code);
            // No character follows from the window system for such a sequence here (its keypad
            // digits arrive as system characters, which are not typed), so the next character
            // is the user's own and is not dropped.
            WMChar(Message);
        }
    }
    TCustomControl::KeyUp(Key, Shift);
    if (Key != 0) FKbdHandler->ExecuteKeyUp(this, Key, Shift);
}

void TCustomCodeEdit::WMChar(TWMChar& Message) {
    if (FIgnoreNextChar) {
        FIgnoreNextChar = false;
        return;
    }
    // The form's key preview and OnKeyPress come first; a character cleared there is gone.
    if (DoKeyPress(Message)) return;
    Char Key = static_cast<Char>(Message.CharCode());
    WideKeyPress(Key);
}

void TCustomCodeEdit::WideKeyPress(Char& Key) {
    if (FStateFlags.Contains(sfIgnoreNextChar)) {
        // The key produced a command at key down: its character is not typed as well.
        FStateFlags.Exclude(sfIgnoreNextChar);
        return;
    }
    FKbdHandler->ExecuteKeyPress(this, Key);
    CommandProcessor(ecChar, Key, nullptr);
}

// ---- Input method ---------------------------------------------------------------------------

void TCustomCodeEdit::WMImeComposition(TMessage& Message) {
    if ((Message.LParam & GCS_RESULTSTR) && HandleAllocated()) {
        const HIMC Imc = ImmGetContext(Handle());
        const int Bytes = ImmGetCompositionStringW(Imc, GCS_RESULTSTR, nullptr, 0);
        if (Bytes > 0) {
            String Text(static_cast<size_t>(Bytes) / sizeof(Char), Char(0));
            ImmGetCompositionStringW(Imc, GCS_RESULTSTR, Text.data(), static_cast<DWORD>(Bytes));
            CommandProcessor(ecImeStr, Char(0), const_cast<Char*>(Text.c_str()));
        }
        ImmReleaseContext(Handle(), Imc);
    }
    TCustomControl::Dispatch(Message);
}

// ---- Focus ----------------------------------------------------------------------------------

void TCustomCodeEdit::WMCancelMode(TWMCancelMode&) {}

// ---- Mouse ----------------------------------------------------------------------------------

void TCustomCodeEdit::ComputeCaret(int X, int Y) {
    TDisplayCoord P = PixelsToNearestRowColumn(X, Y);
    P.Row = std::clamp(P.Row, 1, std::max(1, DisplayLineCount()));
    SetCaretFromDisplay(P);
}

void TCustomCodeEdit::ComputeScroll(int X, int Y) {
    if (!MouseCapture() && !Dragging()) {
        FScrollTimer->SetEnabled(false);
        return;
    }
    TRect Area{FGutterWidth, 0, FGutterWidth + FCharsInWindow * FCharWidth, FLinesInWindow * FTextHeight};
    if (FBorderStyle == Controls::bsNone) Area = TRect{Area.Left + 2, Area.Top + 2, Area.Right - 2, Area.Bottom - 2};
    const int W = std::max(FCharWidth, 1);
    const int H = std::max(FTextHeight, 1);
    if (X < Area.Left)
        FScrollDeltaX = (X - Area.Left) / W - 1;
    else if (X >= Area.Right)
        FScrollDeltaX = (X - Area.Right) / W + 1;
    else
        FScrollDeltaX = 0;
    if (Y < Area.Top)
        FScrollDeltaY = (Y - Area.Top) / H - 1;
    else if (Y >= Area.Bottom)
        FScrollDeltaY = (Y - Area.Bottom) / H + 1;
    else
        FScrollDeltaY = 0;
    FScrollTimer->SetEnabled(FScrollDeltaX != 0 || FScrollDeltaY != 0);
}

void TCustomCodeEdit::ScrollTimerTick(TObject*) {
    TPoint P;
    if (!HandleAllocated() || !GetCursorPos(P)) return;
    P = ScreenToClient(P);
    TDisplayCoord Target = PixelsToRowColumn(P.X, P.Y);
    const int Rows = std::max(1, DisplayLineCount());
    Target.Row = std::clamp(Target.Row, 1, Rows);
    if (FScrollDeltaX != 0) {
        SetLeftChar(FLeftChar + FScrollDeltaX);
        Target.Column = FLeftChar + (FScrollDeltaX > 0 ? FCharsInWindow : 0);
    }
    if (FScrollDeltaY != 0) {
        const bool ShiftHeld = GetKeyState(VK_SHIFT) < 0;
        SetTopLine(FTopLine + FScrollDeltaY * (ShiftHeld ? FLinesInWindow : 1));
        Target.Row = std::clamp(FTopLine + (FScrollDeltaY > 0 ? FLinesInWindow - 1 : 0), 1, Rows);
    }
    const TBufferCoord Pos = DisplayToBufferPos(Target);
    if (Pos != CaretXY()) {
        IncPaintLock();
        TScopeExit Unlock([this] { DecPaintLock(); });
        SetCaretInternal(Pos);
        // A drag holds the capture too, but the dragged selection stays as it is.
        if (MouseCapture() && !Dragging()) SetBlockEnd(CaretXY());
    }
    ComputeScroll(P.X, P.Y);
}

void TCustomCodeEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TBufferCoord OldBegin = FBlockBegin;
    const TBufferCoord OldEnd = FBlockEnd;
    const TCodeSelectionMode OldMode = FActiveSelectionMode;
    bool HadSelection = false;
    if (Button == mbLeft && SelAvail()) {
        FMouseDownX = X;
        FMouseDownY = Y;
        HadSelection = true;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && Shift.Contains(ssDouble)) return;
    FKbdHandler->ExecuteMouseDown(this, Button, Shift, X, Y);
    bool Continue = Button == mbLeft;
    if (Button == mbRight) {
        const TBufferCoord Pos = DisplayToBufferPos(PixelsToRowColumn(X, Y));
        if (FOptions.Contains(eoRightMouseMovesCursor) && (!SelAvail() || !IsPointInSelection(Pos))) {
            InvalidateSelection();
            FBlockEnd = FBlockBegin;
            Continue = true;
        }
    }
    if (Continue) ComputeCaret(X, Y);
    if (Button == mbLeft) {
        // The caret moved; the selection did not (yet).
        FBlockBegin = OldBegin;
        FBlockEnd = OldEnd;
        FActiveSelectionMode = OldMode;
        SetMouseCapture(true);
        FStateFlags.Exclude(sfWaitForDragging);
        if (HadSelection && FOptions.Contains(eoDragDropEditing) && X >= FGutterWidth + 2 &&
            FSelectionMode == smNormal && IsPointInSelection(CaretXY()))
            FStateFlags.Include(sfWaitForDragging);
    }
    if (Continue && !FStateFlags.Contains(sfWaitForDragging) && !FStateFlags.Contains(sfDblClicked)) {
        if (Shift.Contains(ssShift)) {
            SetBlockEnd(CaretXY());
        } else {
            if (FOptions.Contains(eoAltSetsColumnMode) && FActiveSelectionMode != smLine)
                SetSelectionMode(Shift.Contains(ssAlt) ? smColumn : smNormal);
            SetBlockBegin(CaretXY());
        }
    }
    if (X < FGutterWidth) {
        FStateFlags.Include(sfPossibleGutterClick);
        if (Button == mbRight) FireGutterClick(Button, X, Y);
    }
    SetFocus();
    if (HandleAllocated() && !Focused() && CanFocus()) ::SetFocus(Handle());
}

void TCustomCodeEdit::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (MouseCapture() && FStateFlags.Contains(sfWaitForDragging)) {
        const int DX = GetSystemMetrics(SM_CXDRAG);
        const int DY = GetSystemMetrics(SM_CYDRAG);
        if (std::abs(FMouseDownX - X) >= DX || std::abs(FMouseDownY - Y) >= DY) {
            FStateFlags.Exclude(sfWaitForDragging);
            BeginDrag(false);
        }
        return;
    }
    if (!Shift.Contains(ssLeft) || !MouseCapture()) return;
    ComputeScroll(X, Y);
    TDisplayCoord P = PixelsToNearestRowColumn(X, Y);
    P.Row = std::clamp(P.Row, 1, std::max(1, DisplayLineCount()));
    const TDisplayCoord Caret = DisplayXY();
    if (FScrollDeltaX != 0) P.Column = Caret.Column;
    if (FScrollDeltaY != 0) P.Row = Caret.Row;
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    SetCaretInternal(DisplayToBufferPos(P));
    SetBlockEnd(CaretXY());
    if (FStateFlags.Contains(sfPossibleGutterClick) && FBlockBegin.Line != FCaretY)
        FStateFlags.Include(sfGutterDragging);
}

void TCustomCodeEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    FKbdHandler->ExecuteMouseUp(this, Button, Shift, X, Y);
    FScrollTimer->SetEnabled(false);
    TScopeExit Clear([this] {
        FStateFlags -= TCodeStateFlags{sfDblClicked, sfPossibleGutterClick, sfGutterDragging};
    });
    if (Button == mbRight && Shift == TShiftState{ssRight} && PopupMenu()) return;
    SetMouseCapture(false);
    if (FStateFlags.Contains(sfPossibleGutterClick) && X < FGutterWidth && Button != mbRight) {
        FireGutterClick(Button, X, Y);
    } else if (FStateFlags.Contains(sfWaitForDragging) && !FStateFlags.Contains(sfDblClicked)) {
        // A click inside the selection that started no drag: the selection collapses there.
        ComputeCaret(X, Y);
        if (!Shift.Contains(ssShift)) SetBlockBegin(CaretXY());
        SetBlockEnd(CaretXY());
        FStateFlags.Exclude(sfWaitForDragging);
    }
}

void TCustomCodeEdit::DblClick() {
    TPoint P;
    GetCursorPos(P);
    P = ScreenToClient(P);
    if (P.X < FGutterWidth + 2) {
        TCustomControl::DblClick();
        return;
    }
    if (!FOptions.Contains(eoNoSelection)) SetWordBlock(CaretXY());
    TCustomControl::DblClick();
    FStateFlags.Include(sfDblClicked);
    SetMouseCapture(false);
}

void TCustomCodeEdit::FireGutterClick(TMouseButton Button, int X, int Y) {
    if (!OnGutterClick) return;
    const int Line = RowToLine(PixelsToRowColumn(X, Y).Row);
    if (Line > FLines->Count()) return;
    TCodeEditMarks Marks;
    FMarkList->GetMarksForLine(Line, Marks);
    TCodeEditMark* Clicked = nullptr;
    int Offset = 0;
    for (TCodeEditMark* Mark : Marks) {
        if (!Mark) break;
        Offset += FBookMarkOpt->Xoffset();
        if (X < Offset) {
            Clicked = Mark;
            break;
        }
    }
    OnGutterClick(this, Button, X, Y, Line, Clicked);
}
