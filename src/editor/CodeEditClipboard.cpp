// Clipboard and drag and drop of the editor control. Copied text goes on the system clipboard as
// plain text for every program, and beside it a small block of our own format that carries the
// selection mode, so that another editor control pastes a column block as a column block and
// whole lines as whole lines. A selection dragged with the mouse is moved (or, with Ctrl, copied)
// as one undo step; files dropped from other programs go to the owner.

#include "editor/CodeEdit.h"
#include "editor/CodeEditTextHelpers.h"

#include "platform/base/Encoding.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/ShellApi.h"

TClipboardFormat CodeEditClipboardFormat() {
    static const TClipboardFormat Format = RegisterClipboardFormat(u"CodeEdit Control Block Type");
    return Format;
}

bool TCustomCodeEdit::CanPaste() const {
    return !ReadOnly() && ClipboardHasText();
}

void TCustomCodeEdit::DoCopyToClipboard(const String& Text) {
    if (Text.empty()) return;
    TClipboard* Board = Clipboard();
    // One opening: the text empties the clipboard, the block goes beside it.
    Board->Open();
    TScopeExit Close([Board] { Board->Close(); });
    WriteClipboardText(Text);
    // The mode byte, the text in the 8-bit code page and a terminating zero.
    TBytes Block;
    const TBytes Bytes = TEncoding::ANSI()->GetBytes(Text);
    Block.reserve(Bytes.size() + 2);
    Block.push_back(static_cast<Byte>(FActiveSelectionMode));
    Block.insert(Block.end(), Bytes.begin(), Bytes.end());
    Block.push_back(0);
    Board->SetData(CodeEditClipboardFormat(), Block);
}

void TCustomCodeEdit::CopyToClipboard() {
    if (!SelAvail()) return;
    // A column block keeps its blank padding, so that every row has the block's width.
    const TCodeEditorOptions Saved = FOptions;
    if (FActiveSelectionMode == smColumn) FOptions.Exclude(eoTrimTrailingSpaces);
    TScopeExit Restore([this, Saved] { FOptions = Saved; });
    const String Text = SelText();
    FOptions = Saved;
    DoCopyToClipboard(Text);
}

void TCustomCodeEdit::CutToClipboard() {
    if (ReadOnly() || !SelAvail()) return;
    BeginUndoBlock();
    TScopeExit EndBlock([this] { EndUndoBlock(); });
    DoCopyToClipboard(SelText());
    SetSelText(String());
}

void TCustomCodeEdit::PasteFromClipboard() {
    if (!CanPaste()) return;
    FirePaintTransient(ttBefore);
    // Text from another program has no block of ours: it is pasted in the chosen mode.
    TCodeSelectionMode PasteMode = FSelectionMode;
    if (Clipboard()->HasFormat(CodeEditClipboardFormat())) {
        const TBytes Block = Clipboard()->GetData(CodeEditClipboardFormat());
        if (!Block.empty() && Block[0] <= static_cast<Byte>(smColumn))
            PasteMode = static_cast<TCodeSelectionMode>(Block[0]);
    }

    BeginUndoBlock();
    {
        FUndoList->AddChange(crPasteBegin, BlockBegin(), BlockEnd(), String(), FActiveSelectionMode);
        // Undo and redo take the whole paste as one step: the closing marker is owed from here on.
        TScopeExit CloseStep([this] {
            FUndoList->AddChange(crPasteEnd, BlockBegin(), BlockEnd(), String(), FActiveSelectionMode);
            EndUndoBlock();
        });

        TBufferCoord StartOfBlock;
        if (SelAvail()) {
            FUndoList->AddChange(crDelete, FBlockBegin, FBlockEnd, SelText(), FActiveSelectionMode);
            const TBufferCoord B = BlockBegin();
            const TBufferCoord E = BlockEnd();
            FBlockBegin = B;
            FBlockEnd = E;
            StartOfBlock = B;
            if (FActiveSelectionMode == smLine) StartOfBlock.Char = 1;
        } else {
            FActiveSelectionMode = FSelectionMode;
            StartOfBlock = CaretXY();
        }

        ReplaceSelectionInMode(PasteMode, ReadClipboardText(), true);
        const TBufferCoord EndOfBlock = BlockEnd();
        switch (PasteMode) {
        case smNormal:
            FUndoList->AddChange(crPaste, StartOfBlock, EndOfBlock, SelText(), smNormal);
            break;
        case smColumn:
            break; // the column insertion recorded its own items
        case smLine:
            if (CaretX() == 1)
                FUndoList->AddChange(crPaste, {1, StartOfBlock.Line}, {FCharsInWindow, EndOfBlock.Line - 1}, SelText(),
                                     smLine);
            else
                FUndoList->AddChange(crPaste, {1, StartOfBlock.Line}, EndOfBlock, SelText(), smNormal);
            break;
        }
    }

    if (FOptions.Contains(eoHideShowScrollbars)) {
        const int Saved = FPaintLock;
        FPaintLock = 0;
        TScopeExit Restore([this, Saved] { FPaintLock = Saved; });
        UpdateScrollBars();
    }
    EnsureCursorPosVisible();
    AddStatusChanges({scSelection});
    FirePaintTransient(ttAfter);
}

// ---- Messages -----------------------------------------------------------------------------------

bool TCustomCodeEdit::DispatchClipboardMessage(TMessage& Message) {
    switch (Message.Msg) {
    case WM_COPY:
        CopyToClipboard();
        Message.Result = 1;
        return true;
    case WM_CUT:
        if (!ReadOnly()) CutToClipboard();
        Message.Result = 1;
        return true;
    case WM_PASTE:
        if (!ReadOnly()) PasteFromClipboard();
        Message.Result = 1;
        return true;
    case WM_CLEAR:
        if (!ReadOnly()) SetSelText(String());
        return true;
    case WM_UNDO:
        Undo();
        return true;
    case WM_DROPFILES:
        WMDropFiles(Message);
        return true;
    default:
        return false;
    }
}

void TCustomCodeEdit::WMDropFiles(TMessage& Message) {
    const HDROP Drop = static_cast<HDROP>(Message.WParam);
    TScopeExit Finish([Drop] { DragFinish(Drop); });
    Message.Result = 0;
    if (!OnDropFiles) return;
    TPoint Point;
    DragQueryPoint(Drop, Point);
    TStringList Files;
    const UINT Count = DragQueryFile(Drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT I = 0; I < Count; ++I) {
        Char Name[261] = {};
        DragQueryFile(Drop, I, Name, 261);
        Files.Add(String(Name));
    }
    OnDropFiles(this, Point.X, Point.Y, &Files);
}

// ---- Drag and drop ------------------------------------------------------------------------------

void TCustomCodeEdit::DoStartDrag(TDragObject*& DragObject) {
    FDragStartCaret = CaretXY();
    TCustomControl::DoStartDrag(DragObject);
}

void TCustomCodeEdit::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    TCustomControl::DragOver(Source, X, Y, State, Accept);
    auto* Edit = dynamic_cast<TCustomCodeEdit*>(Source);
    if (!Edit || ReadOnly()) return;
    Accept = true;
    SetDragCursor(GetKeyState(VK_CONTROL) < 0 ? crMultiDrag : crDrag);
    if (Edit != this) {
        // From another control: the caret shows the drop point.
        SetCaretInternal(DisplayToBufferPos(PixelsToNearestRowColumn(X, Y)));
    } else if (State == dsDragLeave) {
        SetCaretInternal(FDragStartCaret);
    } else {
        TDisplayCoord P = PixelsToNearestRowColumn(X, Y);
        P.Column = ClampInt(P.Column, FLeftChar, FLeftChar + std::max(FCharsInWindow, 1) - 1);
        P.Row = ClampInt(P.Row, FTopLine, FTopLine + std::max(FLinesInWindow, 1) - 1);
        SetCaretInternal(DisplayToBufferPos(P));
        // Held near an edge, the view scrolls on the timer towards the drop point.
        ComputeScroll(X, Y);
    }
}

void TCustomCodeEdit::DoEndDrag(TObject* Target, int X, int Y) {
    // Dropped or cancelled, the view stops following the pointer.
    FScrollTimer->SetEnabled(false);
    TCustomControl::DoEndDrag(Target, X, Y);
}

void TCustomCodeEdit::DragDrop(TObject* Source, int X, int Y) {
    auto* Edit = dynamic_cast<TCustomCodeEdit*>(Source);
    if (ReadOnly() || !Edit || !Edit->SelAvail()) {
        TCustomControl::DragDrop(Source, X, Y);
        return;
    }
    IncPaintLock();
    TScopeExit Unlock([this] { DecPaintLock(); });
    TCustomControl::DragDrop(Source, X, Y);
    SetCaretInternal(DisplayToBufferPos(PixelsToNearestRowColumn(X, Y)));
    TBufferCoord P = CaretXY();

    const bool Same = Edit == this;
    const bool Move = Same ? GetKeyState(VK_CONTROL) >= 0 : GetKeyState(VK_SHIFT) < 0;
    bool DropAfter = false;
    bool DoDrop = true;
    const TBufferCoord B = BlockBegin();
    const TBufferCoord E = BlockEnd();
    if (Same) {
        // Onto the selection itself (or, when moving, onto its ends) nothing happens.
        DropAfter = P.Line > E.Line || (P.Line == E.Line && (P.Char > E.Char || (!Move && P.Char == E.Char)));
        DoDrop = DropAfter || P.Line < B.Line || (P.Line == B.Line && (P.Char < B.Char || (!Move && P.Char == B.Char)));
    }
    if (!DoDrop) return;

    BeginUndoBlock();
    TScopeExit EndBlock([this] { EndUndoBlock(); });
    const String DragText = Edit->SelText();
    if (Move) {
        if (Same) {
            SetSelText(String());
            if (DropAfter && P.Line == E.Line) P.Char += B.Char - E.Char;
            if (DropAfter && E.Line > B.Line) P.Line -= E.Line - B.Line;
        } else {
            Edit->SetSelText(String());
        }
    }
    {
        // The drop point may lie beyond a line's end.
        const TCodeEditorOptions Saved = FOptions;
        FOptions.Include(eoScrollPastEol);
        TScopeExit Restore([this, Saved] { FOptions = Saved; });
        SetCaretInternal(P);
        SetBlockBegin(P);
        ASSERT(!SelAvail());
        LockUndo();
        TScopeExit Relock([this] { UnlockUndo(); });
        SetSelText(DragText);
    }
    FUndoList->AddChange(Same ? crDragDropInsert : crInsert, P, BlockEnd(), SelText(), FActiveSelectionMode);
    // The dropped text ends up selected, the caret at its start.
    SetCaretAndSelection(P, CaretXY(), P);
}
