// The tree's window: the order in which the header and the tree see a message, focus, size,
// colour and font changes, clipboard commands, the worker's state message, and the queries of
// the standard tree view control.

#include "platform/base/ScopeGuard.h"
#include "platform/gui/Forms.h"
#include "tree/BaseLeanTree.h"
#include "tree/LeanTreeMessages.h"

#include <algorithm>
#include <cstring>

namespace {

TLeanTreeStates StatesOfBits(WPARAM Bits) {
    TLeanTreeStates States;
    if (Bits & TreeStateStopValidation) States.Include(tsStopValidation);
    if (Bits & TreeStateUseCache) States.Include(tsUseCache);
    if (Bits & TreeStateValidating) States.Include(tsValidating);
    if (Bits & TreeStateValidationNeeded) States.Include(tsValidationNeeded);
    return States;
}

} // namespace

void TBaseLeanTree::WndProc(TMessage& Message) {
    const bool Designing = ComponentState().Contains(csDesigning);
    if (FHeader && FHeader->MouseStateActive()) {
        // A column drag or a tracking runs: the header sees everything first.
        if (FHeader->HandleHeaderMessage(Message)) return;
    } else {
        if (!Designing && (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) &&
            DragMode() == dmAutomatic) {
            // The tree starts its drags itself; the library's automatic drag start is bypassed.
            TControlState State = ControlState();
            State.Include(csLButtonDown);
            SetControlState(State);
            Dispatch(Message);
            return;
        }
        if (FHeader && FHeader->HandleHeaderMessage(Message)) return;
    }
    if ((Message.Msg == WM_NCLBUTTONDOWN || Message.Msg == WM_NCRBUTTONDOWN ||
         Message.Msg == WM_NCMBUTTONDOWN) &&
        !Focused() && CanFocus())
        SetFocus();
    if (HandleTreeMessage(Message)) return;
    TCustomControl::WndProc(Message);
}

bool TBaseLeanTree::HandleTreeMessage(TMessage& Message) {
    switch (Message.Msg) {
    case TVM_GETITEMW: {
        auto* Item = reinterpret_cast<TTVItemW*>(Message.LParam);
        Message.Result = Item && (Item->mask & TVIF_HANDLE) && Item->hItem;
        if (!Message.Result) return true;
        PLeanNode Node = Item->hItem;
        if (Item->mask & TVIF_CHILDREN) Item->cChildren = static_cast<int>(ChildCount(Node));
        bool Ghosted = false;
        if (Item->mask & TVIF_IMAGE) {
            Item->iImage = -1;
            DoGetImageIndex(Node, ikNormal, ColumnNone, Ghosted, Item->iImage);
        }
        if (Item->mask & TVIF_SELECTEDIMAGE) {
            Item->iSelectedImage = -1;
            DoGetImageIndex(Node, ikSelected, ColumnNone, Ghosted, Item->iSelectedImage);
        }
        if (Item->mask & TVIF_STATE) {
            Item->stateMask = 0xFF2F;
            UINT State = 0;
            if (Node == FFocusedNode) State |= TVIS_FOCUSED;
            if (Node->States.Contains(vsSelected)) State |= TVIS_SELECTED;
            if (Node->States.Contains(vsCutOrCopy)) State |= TVIS_CUT;
            if (Node == FDropTargetNode) State |= TVIS_DROPHILITED;
            if (Node->States.Contains(vsExpanded)) State |= TVIS_EXPANDED;
            int Index = -1;
            DoGetImageIndex(Node, ikState, ColumnNone, Ghosted, Index);
            if (Index >= 0) State |= static_cast<UINT>((Index + 1) & 0xF) << 12;
            Index = -1;
            DoGetImageIndex(Node, ikOverlay, ColumnNone, Ghosted, Index);
            if (Index >= 0) State |= static_cast<UINT>((Index + 1) & 0xF) << 8;
            Item->state = State;
        }
        // A buffer of no characters gets nothing, not even the terminating zero.
        if ((Item->mask & TVIF_TEXT) && Item->pszText && Item->cchTextMax >= 1) {
            const String Text = ItemQueryText(Node);
            const std::size_t N = std::min(Text.size(), static_cast<std::size_t>(Item->cchTextMax - 1));
            std::copy_n(Text.data(), N, Item->pszText);
            Item->pszText[N] = 0;
        }
        return true;
    }
    case TVM_GETITEMRECT: {
        auto* R = reinterpret_cast<TRect*>(Message.LParam);
        Message.Result = 0;
        if (!R) return true;
        // The node is handed over in the rectangle's first bytes.
        PLeanNode Node = nullptr;
        std::memcpy(&Node, R, sizeof Node);
        if (!Node) return true;
        InitIfNeeded(Node);
        Message.Result = Node->States.Contains(vsVisible);
        if (Message.Result)
            *R = GetDisplayRect(Node, FHeader->MainColumn(), Message.WParam != 0, false, false);
        return true;
    }
    case TVM_GETNEXTITEM: {
        PLeanNode Node = reinterpret_cast<PLeanNode>(Message.LParam);
        PLeanNode Result = nullptr;
        const WPARAM Code = Message.WParam;
        const bool NeedsNode = Code == TVGN_NEXT || Code == TVGN_PREVIOUS || Code == TVGN_PARENT ||
                               Code == TVGN_CHILD || Code == TVGN_NEXTVISIBLE || Code == TVGN_PREVIOUSVISIBLE;
        if (!NeedsNode || Node) {
            switch (Code) {
            case TVGN_ROOT:
                Result = GetFirst();
                break;
            case TVGN_NEXT:
                Result = GetNextSibling(Node);
                break;
            case TVGN_PREVIOUS:
                Result = GetPreviousSibling(Node);
                break;
            case TVGN_PARENT:
                Result = Node != FRoot && Node->Parent != FRoot ? Node->Parent : nullptr;
                break;
            case TVGN_CHILD:
                Result = GetFirstChild(Node);
                break;
            case TVGN_FIRSTVISIBLE:
                Result = GetFirstVisible();
                break;
            case TVGN_NEXTVISIBLE:
                Result = GetNextVisible(Node);
                break;
            case TVGN_PREVIOUSVISIBLE:
                Result = GetPreviousVisible(Node);
                break;
            case TVGN_DROPHILITE:
                Result = FDropTargetNode;
                break;
            case TVGN_CARET:
                Result = FFocusedNode;
                break;
            case TVGN_LASTVISIBLE:
                Result = GetLastVisible();
                break;
            default:
                break;
            }
        }
        Message.Result = reinterpret_cast<LRESULT>(Result);
        return true;
    }
    case WM_TREESTATECHANGE:
        DoStateChange(StatesOfBits(Message.WParam), StatesOfBits(static_cast<WPARAM>(Message.LParam)));
        Message.Result = 0;
        return true;
    case WM_COPY:
        CopyToClipBoard();
        return true;
    case WM_CUT:
        CutToClipBoard();
        return true;
    case WM_PASTE:
        PasteFromClipboard();
        return true;
    default:
        return false;
    }
}

String TBaseLeanTree::ItemQueryText(PLeanNode) {
    return {};
}

void TBaseLeanTree::WMSetFocus(TWMSetFocus& Message) {
    TCustomControl::WMSetFocus(Message);
    if (FSelectionCount > 0 || !TreeOptions()->PaintOptions().Contains(toGhostedIfUnfocused)) Invalidate();
}

void TBaseLeanTree::WMKillFocus(TWMKillFocus& Message) {
    TCustomControl::WMKillFocus(Message);
    if (Application) Application->CancelHint();
    EndWheelPanning();
    for (unsigned Id : {ExpandTimer, EditTimer, HeaderTimer, ScrollTimer, SearchTimer})
        KillTreeTimer(Id);
    FSearchBuffer.clear();
    FLastSearchNode = nullptr;
    DoStateChange({}, {tsEditPending, tsNodeHeightTracking, tsNodeHeightTrackPending, tsIncrementalSearching,
                       tsLeftButtonDown, tsMiddleButtonDown, tsRightButtonDown, tsOLEDragPending, tsScrolling,
                       tsScrollPending, tsVCLDragPending});
    if (FSelectionCount > 0 || !TreeOptions()->PaintOptions().Contains(toGhostedIfUnfocused))
        Invalidate();
    else if (FFocusedNode)
        InvalidateNode(FFocusedNode);
}

void TBaseLeanTree::WMSize(TWMSize& Message) {
    TCustomControl::WMSize(Message);
    if (!HandleAllocated() || FStates.Contains(tsSizing) || FStates.Contains(tsWindowCreating) ||
        ClientHeight() <= 0)
        return;
    DoStateChange({tsSizing});
    TScopeExit Leave([this] { DoStateChange({}, {tsSizing}); });
    FHeader->ApplyFixedAreaConstraints();
    FHeader->ShareSpringWidth();
    UpdateScrollBars(true);
    if (FStates.Contains(tsEditing) && !FHeader->UseColumns()) PlaceEditor();
}

void TBaseLeanTree::CMColorChanged(TMessage& Message) {
    TCustomControl::CMColorChanged(Message);
    if (ComponentState().Contains(csLoading)) return;
    BuildButtonAndLineImages(true, false);
    if (HandleAllocated()) Invalidate();
}

void TBaseLeanTree::CMFontChanged(TMessage& Message) {
    TCustomControl::CMFontChanged(Message);
    if (!ComponentState().Contains(csLoading)) {
        BuildButtonAndLineImages(true, false);
        if (HandleAllocated()) Invalidate();
    }
    TMessage Parent{CM_PARENTFONTCHANGED, 0, 0, 0};
    FHeader->HandleHeaderMessage(Parent);
}
