// The tree under the mouse: what part of a row a point hits, and what a press, a release, a
// double click and a move over it do to expansion, checks, focus, selection and the hot node.

#include "platform/base/ScopeGuard.h"
#include "tree/BaseLeanTree.h"

void TBaseLeanTree::HitPositionsLeftToRight(THitInfo& HitInfo, int Offset, int Right) {
    PLeanNode Node = HitInfo.HitNode;
    const auto* Options = TreeOptions();
    const bool MainColumn = HitInfo.HitColumn == FHeader->MainColumn() || !FHeader->UseColumns();
    int Indent = 0;
    if (MainColumn) {
        if (Options->PaintOptions().Contains(toFixedIndent)) {
            Indent = static_cast<int>(FIndent);
        } else {
            Indent = static_cast<int>(FIndent * GetNodeLevel(Node));
            if (Options->PaintOptions().Contains(toShowRoot)) Indent += static_cast<int>(FIndent);
        }
    }
    if (MainColumn && Offset < Indent + FMargin) {
        if (Options->PaintOptions().Contains(toShowButtons) && HasChildren(Node)) {
            const int ButtonWidth = FPlusBM ? FPlusBM->Width() : 9;
            if (Offset >= Indent - static_cast<int>(FIndent)) HitInfo.HitPositions.Include(hiOnItemButton);
            if (Offset >= Indent - ButtonWidth) HitInfo.HitPositions.Include(hiOnItemButtonExact);
        }
        if (!HitInfo.HitPositions.Contains(hiOnItemButton) &&
            !HitInfo.HitPositions.Contains(hiOnItemButtonExact))
            HitInfo.HitPositions.Include(hiOnItemIndent);
        return;
    }
    if (!MainColumn && Options->MiscOptions().Contains(toReportMode)) return;
    int Position = Indent + FMargin;
    if (MainColumn && Options->MiscOptions().Contains(toCheckSupport) && CheckImages() &&
        Node->CheckType != ctNone)
        Position += CheckImageWidth(Node) + 2;
    if (MainColumn && Offset < Position) {
        HitInfo.HitPositions = {hiOnItem};
        if (Node->CheckType != ctNone) HitInfo.HitPositions.Include(hiOnItemCheckbox);
        return;
    }
    if (FStateImages && NodeHasImage(Node, ikState, HitInfo.HitColumn)) {
        Position += FStateImages->Width() + 2;
        if (Offset < Position) {
            HitInfo.HitPositions.Include(hiOnStateIcon);
            return;
        }
    }
    if (FImages && NodeHasImage(Node, ikNormal, HitInfo.HitColumn)) {
        Position += FImages->Width() + 2;
        if (Offset < Position) {
            HitInfo.HitPositions.Include(hiOnNormalIcon);
            return;
        }
    }
    const int Width = QueryNodeContentWidth(Node, HitInfo.HitColumn, nullptr);
    TAlignment Alignment = FAlignment;
    if (FHeader->UseColumns() && HitInfo.HitColumn > NoColumn)
        Alignment = FHeader->Columns()->Items(HitInfo.HitColumn)->Alignment();
    if (Width > Right - Position) {
        HitInfo.HitPositions.Include(hiOnItemLabel);
    } else if (Alignment == taRightJustify) {
        HitInfo.HitPositions.Include(Offset < Right - Width ? hiOnItemLeft : hiOnItemLabel);
    } else if (Alignment == taCenter) {
        const int Start = (Right + Position - Width) / 2;
        HitInfo.HitPositions.Include(Offset < Start           ? hiOnItemLeft
                                     : Offset < Start + Width ? hiOnItemLabel
                                                              : hiOnItemRight);
    } else {
        HitInfo.HitPositions.Include(Offset < Position + Width ? hiOnItemLabel : hiOnItemRight);
    }
}

void TBaseLeanTree::WMLButtonDown(TWMMouse& Message) {
    DoStateChange({tsLeftButtonDown});
    TCustomControl::WMLButtonDown(Message);
    THitInfo HitInfo;
    GetHitTestInfoAt(Message.XPos(), Message.YPos(), true, HitInfo);
    ProcessButtonDown(Message, HitInfo);
}

void TBaseLeanTree::WMLButtonUp(TWMMouse& Message) {
    DoStateChange({}, {tsNodeHeightTracking, tsNodeHeightTrackPending, tsLeftButtonDown});
    THitInfo HitInfo;
    GetHitTestInfoAt(Message.XPos(), Message.YPos(), true, HitInfo);
    ProcessButtonUp(Message, HitInfo);
    TCustomControl::WMLButtonUp(Message);
}

void TBaseLeanTree::WMLButtonDblClk(TWMMouse& Message) {
    DoStateChange({tsLeftDblClick});
    TScopeExit Leave([this] { DoStateChange({}, {tsLeftDblClick}); });
    TCustomControl::WMLButtonDblClk(Message);
    THitInfo HitInfo;
    GetHitTestInfoAt(Message.XPos(), Message.YPos(), true, HitInfo);
    ProcessDoubleClick(Message, HitInfo);
}

void TBaseLeanTree::WMCancelMode(TWMCancelMode& Message) {
    for (unsigned Id : {ExpandTimer, EditTimer, HeaderTimer, ScrollTimer, SearchTimer, ThemeChangedTimer})
        StopTimer(Id);
    FSearchBuffer.clear();
    FLastSearchNode = nullptr;
    DoStateChange({}, {tsClearPending, tsDrawSelPending, tsDrawSelecting, tsEditPending,
                       tsIncrementalSearching, tsOLEDragPending, tsVCLDragPending});
    TCustomControl::WMCancelMode(Message);
}

void TBaseLeanTree::ProcessButtonDown(TWMMouse& Message, const THitInfo& HitInfo) {
    StopTimer(EditTimer);
    DoStateChange({}, {tsEditPending});
    if (FStates.Contains(tsEditing) && !EndCellEdit()) return;
    if (!Focused() && CanFocus()) SetFocus();

    const auto* Options = TreeOptions();
    const TLTSelectionOptions Selection = Options->SelectionOptions();
    PLeanNode Node = HitInfo.HitNode;
    const THitPositions& Hit = HitInfo.HitPositions;
    TShiftState Shift = KeysToShiftState(Message.Keys()) * TShiftState{ssShift, ssCtrl, ssAlt};
    const bool Alt = Shift.Contains(ssAlt);
    Shift.Exclude(ssAlt);

    TColumnIndex NewColumn = FFocusedColumn;
    const bool LabelHit = !Alt && (Hit.Contains(hiOnItemLabel) || Hit.Contains(hiOnNormalIcon));
    const bool GridExtensions = Options->MiscOptions().Contains(toGridExtensions);
    if (LabelHit || Selection.Contains(toFullRowSelect) || GridExtensions)
        NewColumn = Selection.Contains(toExtendedFocus) ? HitInfo.HitColumn : FHeader->MainColumn();
    const bool CellHit =
        !Alt && !LabelHit && Node && !Hit.Contains(hiOnItemButton) && !Hit.Contains(hiOnItemCheckbox) &&
        (Selection.Contains(toFullRowSelect) || (GridExtensions && HitInfo.HitColumn > NoColumn));
    const bool AnyHit = LabelHit || CellHit;
    const bool MultiSelect = Selection.Contains(toMultiSelect);

    if (Node && Hit.Contains(hiOnItemButton) && HasChildren(Node)) {
        ToggleNode(Node);
        return;
    }
    if (Node && Hit.Contains(hiOnItemCheckbox)) {
        if (FStates.Contains(tsKeyCheckPending) || FStates.Contains(tsMouseCheckPending) ||
            Node->States.Contains(vsDisabled))
            return;
        TCheckState NewState = FollowingCheckState(Node->CheckType, Node->CheckState);
        if (FStates.Contains(tsLeftButtonDown) && DoChecking(Node, NewState)) {
            DoStateChange({tsMouseCheckPending});
            FCheckNode = Node;
            FPendingCheckState = NewState;
            Node->CheckState = PressedCheckState(Node->CheckState);
            InvalidateNode(Node);
        }
        return;
    }
    const bool NodeSelected = AnyHit && Node->States.Contains(vsSelected);
    // A click on one node of a multiple selection keeps the others until the release, so that
    // a drag can take them all.
    if (MultiSelect && Shift.Empty() && AnyHit && NodeSelected && !FSelectionLocked && FSelectionCount > 1) {
        DoStateChange({tsClearPending});
    } else if (!FSelectionLocked && ((!AnyHit && MultiSelect && Shift.Empty()) ||
                                     (AnyHit && !NodeSelected && (Shift.Empty() || !MultiSelect)))) {
        ClearSelection();
    }
    if (Focused() && LabelHit && NodeSelected && NewColumn == FFocusedColumn && Shift.Empty())
        DoStateChange({tsEditPending});

    if (!AnyHit || !DoFocusChanging(FFocusedNode, Node, FFocusedColumn, NewColumn)) return;
    if (NewColumn != FFocusedColumn) {
        InvalidateColumn(FFocusedColumn);
        InvalidateColumn(NewColumn);
        FFocusedColumn = NewColumn;
    }
    PLeanNode LastFocused = FFocusedNode;
    if (Node != FFocusedNode) SetFocusedNode(Node);
    if (!MultiSelect || Shift.Empty()) {
        if (Shift.Empty()) FRangeAnchor = Node;
        if (!Node->States.Contains(vsSelected)) AddToSelection(Node);
    } else {
        HandleClickSelection(LastFocused, Node, Shift, false);
    }
    ScrollIntoView(Node, Selection.Contains(toCenterScrollIntoView),
                   !Options->AutoOptions().Contains(toDisableAutoscrollOnFocus) &&
                       !Selection.Contains(toFullRowSelect));
}

void TBaseLeanTree::ProcessButtonUp(TWMMouse& Message, const THitInfo& HitInfo) {
    DoStateChange({}, {tsToggleFocusedSelection, tsDrawSelPending, tsDrawSelecting});
    if (FStates.Contains(tsClearPending)) {
        const bool WasSelected = NodeSelected(FFocusedNode);
        ClearSelection();
        if (WasSelected) AddToSelection(FFocusedNode);
    }
    DoStateChange({}, {tsClearPending, tsOLEDragging, tsOLEDragPending, tsScrolling, tsScrollPending});
    StopTimer(ScrollTimer);
    if (FStates.Contains(tsMouseCheckPending)) {
        DoStateChange({}, {tsMouseCheckPending});
        if (PLeanNode Node = FCheckNode) {
            FCheckNode = nullptr;
            if (HitInfo.HitNode == Node && HitInfo.HitPositions.Contains(hiOnItem))
                DoCheckClick(Node, FPendingCheckState);
            else
                Node->CheckState = NormalCheckState(Node->CheckState);
            InvalidateNode(Node);
        }
    }
    if (HitInfo.HitNode) DoNodeClick(HitInfo);
    if (FStates.Contains(tsEditPending)) {
        bool Allowed = HitInfo.HitNode == FFocusedNode &&
                       TreeOptions()->MiscOptions().Contains(toEditOnClick) &&
                       TreeOptions()->MiscOptions().Contains(toEditable);
        if (Allowed) DoEditing(FFocusedNode, FFocusedColumn, Allowed);
        if (Allowed) {
            FEditColumn = FFocusedColumn;
            StartTimer(EditTimer, FEditDelay);
        } else {
            DoStateChange({}, {tsEditPending});
        }
    }
    (void)Message;
}

void TBaseLeanTree::ProcessDoubleClick(TWMMouse& Message, const THitInfo& HitInfo) {
    StopTimer(EditTimer);
    DoStateChange({}, {tsEditPending});
    if (FStates.Contains(tsEditing) && !EndCellEdit()) return;
    PLeanNode Node = HitInfo.HitNode;
    if (Node) DoNodeDblClick(HitInfo);
    if (!Node) return;
    const THitPositions& Hit = HitInfo.HitPositions;
    if (Hit.Contains(hiOnItemCheckbox)) {
        ProcessButtonDown(Message, HitInfo);
    } else if (Hit.Contains(hiOnItemButton) ||
               (TreeOptions()->MiscOptions().Contains(toToggleOnDblClick) &&
                (Hit.Contains(hiOnItemLabel) || Hit.Contains(hiOnNormalIcon) || Hit.Contains(hiOnStateIcon) ||
                 TreeOptions()->SelectionOptions().Contains(toFullRowSelect)))) {
        ToggleNode(Node);
    }
}

void TBaseLeanTree::MouseMove(TShiftState Shift, int X, int Y) {
    if (!FStates.Contains(tsDrawSelPending) && !FStates.Contains(tsDrawSelecting)) TrackHotNode(X, Y);
    TCustomControl::MouseMove(Shift, X, Y);
}

void TBaseLeanTree::TrackHotNode(int X, int Y) {
    THitInfo HitInfo;
    GetHitTestInfoAt(X, Y, true, HitInfo);
    const THitPositions& Hit = HitInfo.HitPositions;
    PLeanNode NewHot = nullptr;
    if (Hit.Contains(hiOnItemCheckbox) || Hit.Contains(hiOnItemLabel) ||
        (TreeOptions()->SelectionOptions().Contains(toFullRowSelect) && !Hit.Contains(hiNowhere)))
        NewHot = HitInfo.HitNode;
    if (NewHot == FCurrentHotNode) return;
    PLeanNode Old = FCurrentHotNode;
    DoHotChange(Old, NewHot);
    const bool Repaint = TreeOptions()->PaintOptions().Contains(toHotTrack) ||
                         TreeOptions()->MiscOptions().Contains(toCheckSupport);
    FCurrentHotNode = NewHot;
    if (Repaint) {
        if (Old) InvalidateNode(Old);
        if (NewHot) InvalidateNode(NewHot);
    }
}
