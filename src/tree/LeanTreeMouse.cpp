// The tree under the mouse: what part of a row a point hits, and what a press, a release, a
// double click and a move over it do to expansion, checks, focus, selection and the hot node.

#include "platform/base/ScopeGuard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "tree/BaseLeanTree.h"

#include <algorithm>
#include <cstdlib>

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
    if (FHeader->UseColumns() && HitInfo.HitColumn > ColumnNone)
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

namespace {

// The node-height splitter of a row: the row above for its upper edge, else the row itself.
bool SplitterHit(const THitInfo& HitInfo) {
    return HitInfo.HitNode &&
           (HitInfo.HitPositions.Contains(hiUpperSplitter) || HitInfo.HitPositions.Contains(hiLowerSplitter));
}

bool ColumnFixed(TLTHeader* Header, TColumnIndex Column) {
    return Header->IsValidColumn(Column) && Header->Columns()->Items(Column)->Options().Contains(coFixed);
}

} // namespace

// ---- Button messages ------------------------------------------------------------------------

void TBaseLeanTree::HitPositionsRightToLeft(THitInfo& HitInfo, int Offset, int Right) {
    // The row read from its right edge: indentation, check box and images from the right, and
    // what lies left of the text is on the other side.
    HitPositionsLeftToRight(HitInfo, Right - 1 - Offset, Right);
    THitPositions& Hit = HitInfo.HitPositions;
    const bool Left = Hit.Contains(hiOnItemLeft), RightHit = Hit.Contains(hiOnItemRight);
    Hit.Exclude(hiOnItemLeft);
    Hit.Exclude(hiOnItemRight);
    if (Left) Hit.Include(hiOnItemRight);
    if (RightHit) Hit.Include(hiOnItemLeft);
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

void TBaseLeanTree::WMMButtonDown(TWMMouse& Message) {
    DoStateChange({tsMiddleButtonDown});
    if (FHeader->MouseStateActive()) return;
    TCustomControl::WMMButtonDown(Message);
    // Over content larger than the window the press starts wheel panning; a press while it
    // runs ends it, and otherwise it may select.
    const bool Wheel = FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling);
    if (TreeOptions()->MiscOptions().Contains(toWheelPanning) && !Wheel &&
        (static_cast<int>(FRangeX) > ClientWidth() || static_cast<int>(FRangeY) > ClientHeight())) {
        FLastClickPos = Message.Pos();
        BeginWheelPanning(FLastClickPos);
        return;
    }
    EndWheelPanning();
    if (TreeOptions()->SelectionOptions().Contains(toMiddleClickSelect)) {
        THitInfo HitInfo;
        GetHitTestInfoAt(Message.XPos(), Message.YPos(), true, HitInfo);
        ProcessButtonDown(Message, HitInfo);
    }
}

void TBaseLeanTree::WMMButtonUp(TWMMouse& Message) {
    DoStateChange({}, {tsMiddleButtonDown});
    if (FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling)) {
        // A release without a move keeps the scroll mode until the next click; after panning
        // with the button held it ends the mode.
        if (FStates.Contains(tsWheelScrolling))
            DoStateChange({}, {tsWheelPanning});
        else
            EndWheelPanning();
        return;
    }
    if (FHeader->MouseStateActive()) return;
    TCustomControl::WMMButtonUp(Message);
    if (TreeOptions()->SelectionOptions().Contains(toMiddleClickSelect)) {
        THitInfo HitInfo;
        GetHitTestInfoAt(Message.XPos(), Message.YPos(), true, HitInfo);
        ProcessButtonUp(Message, HitInfo);
    }
}

void TBaseLeanTree::WMMButtonDblClk(TWMMouse& Message) {
    TCustomControl::WMMButtonDblClk(Message);
    if (!TreeOptions()->SelectionOptions().Contains(toMiddleClickSelect)) return;
    DoStateChange({tsMiddleDblClick});
    TScopeExit Leave([this] { DoStateChange({}, {tsMiddleDblClick}); });
    THitInfo HitInfo;
    GetHitTestInfoAt(Message.XPos(), Message.YPos(), true, HitInfo);
    ProcessDoubleClick(Message, HitInfo);
}

void TBaseLeanTree::WMRButtonDown(TWMMouse& Message) {
    DoStateChange({tsRightButtonDown});
    // Any click ends the wheel's scroll mode, and does nothing else.
    if (FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling)) {
        EndWheelPanning();
        return;
    }
    if (FHeader->MouseStateActive()) return;
    TCustomControl::WMRButtonDown(Message);
    if (TreeOptions()->SelectionOptions().Contains(toRightClickSelect)) {
        THitInfo HitInfo;
        GetHitTestInfoAt(Message.XPos(), Message.YPos(), true, HitInfo);
        ProcessButtonDown(Message, HitInfo);
    }
}

void TBaseLeanTree::WMRButtonUp(TWMMouse& Message) {
    DoStateChange({}, {tsRightButtonDown, tsPopupMenuShown});
    if (FHeader->MouseStateActive()) return;
    if (Application) Application->CancelHint();
    if ((FStates.Contains(tsDrawSelPending) || FStates.Contains(tsDrawSelecting)) && PopupMenu()) {
        DoStateChange({}, {tsDrawSelPending, tsDrawSelecting});
        Invalidate();
    }
    // The context menu request follows the release, as the system posts it after the button
    // message: so a node menu shown below is not followed by a second one.
    Message.Result = 1;
    TCustomControl::WMRButtonUp(Message);
    Message.Result = 0;
    THitInfo HitInfo;
    GetHitTestInfoAt(Message.XPos(), Message.YPos(), true, HitInfo);
    if (TreeOptions()->SelectionOptions().Contains(toRightClickSelect)) ProcessButtonUp(Message, HitInfo);
    if (!PopupMenu()) ShowNodePopupMenu(HitInfo.HitNode, HitInfo.HitColumn, Message.Pos());
    if (HandleAllocated())
        Perform(WM_CONTEXTMENU, static_cast<WPARAM>(Handle()), PointToLParam(ClientToScreen(Message.Pos())));
}

void TBaseLeanTree::WMRButtonDblClk(TWMMouse& Message) {
    TCustomControl::WMRButtonDblClk(Message);
    if (!TreeOptions()->SelectionOptions().Contains(toRightClickSelect)) return;
    DoStateChange({tsRightDblClick});
    TScopeExit Leave([this] { DoStateChange({}, {tsRightDblClick}); });
    THitInfo HitInfo;
    GetHitTestInfoAt(Message.XPos(), Message.YPos(), true, HitInfo);
    ProcessDoubleClick(Message, HitInfo);
}

void TBaseLeanTree::WMContextMenu(TWMContextMenu& Message) {
    DoStateChange({}, {tsClearPending, tsEditPending, tsOLEDragPending, tsVCLDragPending});
    // A menu the tree showed itself is not shown a second time.
    if (!FStates.Contains(tsPopupMenuShown)) TCustomControl::WMContextMenu(Message);
}

void TBaseLeanTree::WMCancelMode(TWMCancelMode& Message) {
    for (unsigned Id : {ExpandTimer, EditTimer, HeaderTimer, ScrollTimer, SearchTimer, ThemeChangedTimer})
        KillTreeTimer(Id);
    FSearchBuffer.clear();
    FLastSearchNode = nullptr;
    DoStateChange({}, {tsClearPending, tsDrawSelPending, tsDrawSelecting, tsEditPending,
                       tsIncrementalSearching, tsOLEDragPending, tsVCLDragPending});
    TCustomControl::WMCancelMode(Message);
}

// ---- Press, release, double click ---------------------------------------------------------------

void TBaseLeanTree::ProcessButtonDown(TWMMouse& Message, const THitInfo& GivenHitInfo) {
    if (FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling)) {
        EndWheelPanning();
        return;
    }
    THitInfo HitInfo = GivenHitInfo;
    KillTreeTimer(EditTimer);
    DoStateChange({}, {tsEditPending});
    if (FStates.Contains(tsEditing) && !EndCellEdit()) return;
    if (!Focused() && CanFocus()) {
        SetFocus();
        GetHitTestInfoAt(Message.XPos(), Message.YPos(), true, HitInfo);
    }
    FHeader->Columns()->SetClickIndex(HitInfo.HitColumn);

    const auto* Options = TreeOptions();
    const TLTSelectionOptions Selection = Options->SelectionOptions();
    const TLTMiscOptions Misc = Options->MiscOptions();
    PLeanNode Node = HitInfo.HitNode;
    const THitPositions& Hit = HitInfo.HitPositions;
    TShiftState Shift = KeysToShiftState(Message.Keys()) * TShiftState{ssShift, ssCtrl, ssAlt};
    const bool Alt = Shift.Contains(ssAlt);
    Shift.Exclude(ssAlt);
    const bool GridExtensions = Misc.Contains(toGridExtensions);

    // Which column takes the focus.
    TColumnIndex NewColumn = FFocusedColumn;
    bool ColumnChange = false;
    if (Hit.Contains(hiOnItemLabel) || Hit.Contains(hiOnNormalIcon) || Selection.Contains(toFullRowSelect) ||
        GridExtensions) {
        NewColumn = Selection.Contains(toExtendedFocus) ? HitInfo.HitColumn : FHeader->MainColumn();
        ColumnChange = HitInfo.HitColumn != FFocusedColumn;
        if (ColumnChange && FHeader->UseColumns() && !FHeader->AllowFocus(NewColumn)) {
            NewColumn = FFocusedColumn;
            ColumnChange = false;
        }
        ColumnChange = ColumnChange && NewColumn != FFocusedColumn;
    }

    const bool LabelHit = !Alt && !Selection.Contains(toSimpleDrawSelection) &&
                          (Hit.Contains(hiOnItemLabel) || Hit.Contains(hiOnNormalIcon));
    const bool CellHit =
        !Alt && !LabelHit && Node && !Hit.Contains(hiOnItemButton) && !Hit.Contains(hiOnItemCheckbox) &&
        (Selection.Contains(toFullRowSelect) || (GridExtensions && HitInfo.HitColumn > ColumnNone));
    const bool AnyHit = LabelHit || CellHit;
    const bool MultiSelect = Selection.Contains(toMultiSelect);
    const bool NodeSelected = AnyHit && Node->States.Contains(vsSelected);
    bool FullRowDrag = Misc.Contains(toFullRowDrag);
    if (MultiSelect)
        FullRowDrag = CellHit && FullRowDrag && !Hit.Contains(hiNowhere) &&
                      (NodeSelected || Hit.Contains(hiOnItemLabel) || Hit.Contains(hiOnNormalIcon));
    const bool LeftDown = FStates.Contains(tsLeftButtonDown);
    bool AutoDrag = (DragMode() == dmAutomatic || Dragging()) && (!CellHit || FullRowDrag);
    if (DragMode() == dmManual && Node)
        AutoDrag = DoDragAllowed(Node, NewColumn) && (FullRowDrag || LabelHit);

    // A press on a node's lower (or the next node's upper) edge tracks the node's height.
    if (LeftDown && SplitterHit(HitInfo)) {
        PLeanNode Track = Hit.Contains(hiUpperSplitter) ? GetPreviousVisible(Node) : Node;
        const TPoint P = Message.Pos();
        if (Track && ColumnFixed(FHeader.get(), HitInfo.HitColumn) &&
            CanSplitterResizeNode(P, Track, HitInfo.HitColumn)) {
            FHeightTrackNode = Track;
            FHeightTrackColumn = HitInfo.HitColumn;
            const TRect R = GetDisplayRect(Track, HitInfo.HitColumn, false);
            FHeightTrackPoint = {R.Left, R.Top};
            DoStateChange({tsNodeHeightTrackPending});
            return;
        }
    }
    if (Node && Hit.Contains(hiOnItemButton) && HasChildren(Node)) {
        ToggleNode(Node);
        return;
    }
    if (Node && Hit.Contains(hiOnItemCheckbox)) {
        if (FStates.Contains(tsKeyCheckPending) || FStates.Contains(tsMouseCheckPending) ||
            Node->States.Contains(vsDisabled))
            return;
        TCheckState NewState = FollowingCheckState(Node->CheckType, Node->CheckState);
        if (LeftDown && DoChecking(Node, NewState)) {
            DoStateChange({tsMouseCheckPending});
            FCheckNode = Node;
            FPendingCheckState = NewState;
            Node->CheckState = PressedCheckState(Node->CheckState);
            InvalidateNode(Node);
        }
        return;
    }
    if ((FRoot->ChildCount > 0 && Shift.Empty()) || FSelectionCount == 0) {
        PLeanNode LevelNode = Node ? Node : GetLastVisible();
        if (LevelNode) FLastSelectionLevel = static_cast<int>(GetNodeLevel(LevelNode));
    }
    // A click on one node of a selection keeps the others until the release, so that a drag can
    // take them all.
    if (MultiSelect && Shift.Empty() && AnyHit && AutoDrag && NodeSelected && !FSelectionLocked)
        DoStateChange({tsClearPending});
    const bool RightDown = FStates.Contains(tsRightButtonDown);
    const bool MayClear =
        !AutoDrag && (!RightDown || !PopupMenuAvailable(Node, HitInfo.HitColumn, Message.Pos()));

    const bool DrawSelection = !Options->SelectionOptions().Contains(toDisableDrawSelection) && !LabelHit &&
                               !FullRowDrag && MultiSelect;
    if (DrawSelection) {
        SetCapture(Handle());
        DoStateChange({tsDrawSelPending});
        FDrawSelShiftState = Shift;
        const TPoint P{Message.XPos() + FEffectiveOffsetX, Message.YPos() - FOffsetY};
        FNewSelRect = {P.X, P.Y, P.X, P.Y};
        FLastSelRect = {};
    }

    if (!FSelectionLocked && !FStates.Contains(tsClearPending)) {
        const bool Clear = (!AnyHit && !FullRowDrag && MultiSelect && Shift.Empty()) ||
                           (AnyHit && (!NodeSelected || MayClear) && (Shift.Empty() || !MultiSelect));
        const bool Reduce =
            Node &&
            (NodeSelected || (Alt && HitInfo.HitColumn == FHeader->MainColumn() && !Hit.Contains(hiNowhere)));
        if (Clear && Reduce) {
            // Down to the clicked node.
            const bool Many = FSelectionCount > 1;
            if (Many || !Node->States.Contains(vsSelected)) {
                ClearSelection();
                AddToSelection(Node);
                if (Many) Invalidate();
            }
        } else if (Clear) {
            ClearSelection();
        }
    }
    if (Focused() && (Hit.Contains(hiOnItemLabel) || (GridExtensions && Hit.Contains(hiOnItem))) &&
        NodeSelected && !ColumnChange && Shift.Empty())
        DoStateChange({tsEditPending});

    if (DrawSelection && (!CellHit || Hit.Contains(hiNowhere))) return;

    FLastClickPos = Message.Pos();
    if (AnyHit && DoFocusChanging(FFocusedNode, Node, FFocusedColumn, NewColumn)) {
        if (ColumnChange) {
            InvalidateColumn(FFocusedColumn);
            InvalidateColumn(NewColumn);
            FFocusedColumn = NewColumn;
        }
        PLeanNode LastFocused = FFocusedNode;
        const bool NodeChange = Node != FFocusedNode;
        if (NodeChange) MoveFocusToNode(Node, false);
        if (!MultiSelect || Shift.Empty()) {
            if (Shift.Empty()) FRangeAnchor = Node;
            if (!Node->States.Contains(vsSelected)) AddToSelection(Node);
        } else {
            ApplyClickSelection(LastFocused, Node, Shift, AutoDrag);
        }
        if (NodeChange || ColumnChange) {
            ScrollIntoView(FFocusedNode, Selection.Contains(toCenterScrollIntoView),
                           !Options->AutoOptions().Contains(toDisableAutoscrollOnFocus) &&
                               !Selection.Contains(toFullRowSelect));
            DoFocusChanged(FFocusedNode, FFocusedColumn);
        }
    }
    // A drag is armed; it starts once the mouse moves far enough with the button held.
    if (AutoDrag && AnyHit && (LeftDown || RightDown || FStates.Contains(tsMiddleButtonDown))) {
        FDragThreshold = GetSystemMetrics(SM_CXDRAG);
        DoStateChange({tsOLEDragPending});
    }
}

void TBaseLeanTree::ProcessButtonUp(TWMMouse& Message, const THitInfo& HitInfo) {
    ReleaseCapture();
    if (FStates.Contains(tsVCLDragPending)) return;
    if (FStates.Contains(tsDrawSelPending) || FStates.Contains(tsDrawSelecting)) {
        DoStateChange({}, {tsToggleFocusedSelection, tsDrawSelPending, tsDrawSelecting});
        FNewSelRect = FLastSelRect = {};
        Invalidate();
    }
    if (FStates.Contains(tsClearPending)) {
        const bool WasSelected = NodeSelected(FFocusedNode);
        ClearSelection();
        if (WasSelected) AddToSelection(FFocusedNode);
    }
    if (FStates.Contains(tsToggleFocusedSelection) && HitInfo.HitNode && HitInfo.HitNode == FFocusedNode) {
        if (FFocusedNode->States.Contains(vsSelected))
            RemoveFromSelection(FFocusedNode);
        else
            AddToSelection(FFocusedNode);
        InvalidateNode(FFocusedNode);
    }
    DoStateChange({}, {tsToggleFocusedSelection, tsClearPending, tsDrawSelPending, tsOLEDragging,
                       tsOLEDragPending, tsScrolling, tsScrollPending});
    KillTreeTimer(ScrollTimer);
    if (FStates.Contains(tsMouseCheckPending)) {
        DoStateChange({}, {tsMouseCheckPending});
        if (PLeanNode Node = FCheckNode) {
            FCheckNode = nullptr;
            if (HitInfo.HitNode == Node && HitInfo.HitPositions.Contains(hiOnItem))
                ApplyCheckClick(Node, FPendingCheckState);
            else
                Node->CheckState = NormalCheckState(Node->CheckState);
            InvalidateNode(Node);
        }
    }
    const TColumnIndex Clicked = FHeader->Columns()->ClickIndex();
    if (FHeader->IsValidColumn(Clicked) && Clicked == HitInfo.HitColumn)
        DoColumnClick(Clicked, KeysToShiftState(Message.Keys()));
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
}

void TBaseLeanTree::ProcessDoubleClick(TWMMouse& Message, const THitInfo& HitInfo) {
    const TLTMiscOptions Misc = TreeOptions()->MiscOptions();
    bool EditAfter = Misc.Contains(toEditOnDblClick) && !FStates.Contains(tsEditing);
    KillTreeTimer(EditTimer);
    DoStateChange({}, {tsEditPending});
    if (FStates.Contains(tsEditing) && !EndCellEdit()) return;
    const TColumnIndex Clicked = FHeader->Columns()->ClickIndex();
    if (FHeader->IsValidColumn(Clicked) && Clicked == HitInfo.HitColumn)
        DoColumnDblClick(Clicked, KeysToShiftState(Message.Keys()));
    PLeanNode Node = HitInfo.HitNode;
    if (!Node) return;
    DoNodeDblClick(HitInfo);
    const THitPositions& Hit = HitInfo.HitPositions;
    if (SplitterHit(HitInfo) && ColumnFixed(FHeader.get(), HitInfo.HitColumn)) {
        PLeanNode Target = Hit.Contains(hiUpperSplitter) ? GetPreviousVisible(Node) : Node;
        if (Target && Misc.Contains(toNodeHeightDblClickResize) &&
            DoNodeHeightDblClickResize(Target, HitInfo.HitColumn, KeysToShiftState(Message.Keys()),
                                       Message.Pos()))
            SetNodeHeight(Target, FDefaultNodeHeight);
        EditAfter = false;
    } else if (Hit.Contains(hiOnItemCheckbox)) {
        ProcessButtonDown(Message, HitInfo);
        EditAfter = false;
    } else if (Hit.Contains(hiOnItemButton) ||
               (Misc.Contains(toToggleOnDblClick) &&
                (Hit.Contains(hiOnItemLabel) || Hit.Contains(hiOnNormalIcon) || Hit.Contains(hiOnStateIcon) ||
                 TreeOptions()->SelectionOptions().Contains(toFullRowSelect)))) {
        ToggleNode(Node);
        EditAfter = false;
    }
    if (EditAfter && Node == FFocusedNode && HitInfo.HitColumn == FFocusedColumn) {
        bool Allowed = Misc.Contains(toEditable);
        if (Allowed) DoEditing(Node, FFocusedColumn, Allowed);
        if (Allowed) {
            DoStateChange({tsEditPending});
            FEditColumn = FFocusedColumn;
            StartTimer(EditTimer, FEditDelay);
        }
    }
}

// ---- Moves ----------------------------------------------------------------------------------

void TBaseLeanTree::MouseMove(TShiftState Shift, int X, int Y) {
    if (FStates.Contains(tsNodeHeightTrackPending)) {
        if (Application) Application->CancelHint();
        EndWheelPanning();
        for (unsigned Id : {ExpandTimer, EditTimer, HeaderTimer, ScrollTimer, SearchTimer})
            KillTreeTimer(Id);
        FSearchBuffer.clear();
        FLastSearchNode = nullptr;
        DoStateChange({tsNodeHeightTracking},
                      {tsEditPending, tsNodeHeightTrackPending, tsIncrementalSearching, tsOLEDragPending,
                       tsScrolling, tsScrollPending, tsVCLDragPending});
    }
    if (FStates.Contains(tsDrawSelPending)) {
        if (UpdateRubberBandRect(X, Y)) Invalidate();
        TRect R = FNewSelRect;
        if (std::abs(R.Right - R.Left) > GetSystemMetrics(SM_CXDRAG) ||
            std::abs(R.Bottom - R.Top) > GetSystemMetrics(SM_CYDRAG)) {
            if (FStates.Contains(tsClearPending)) {
                DoStateChange({}, {tsClearPending});
                ClearSelection();
            }
            DoStateChange({tsDrawSelecting}, {tsDrawSelPending});
            if (FHeader->UseColumns()) FFocusedColumn = FHeader->MainColumn();
            if (ApplyRubberBandSelection(X, Y)) Invalidate();
        }
    } else if (FStates.Contains(tsNodeHeightTracking)) {
        TPoint TrackPoint = FHeightTrackPoint;
        if (FHeightTrackNode &&
            DoNodeHeightTracking(FHeightTrackNode, FHeightTrackColumn, Shift, TrackPoint, TPoint{X, Y})) {
            FHeightTrackPoint = TrackPoint;
            SetNodeHeight(FHeightTrackNode, static_cast<Cardinal>(std::max(1, Y - FHeightTrackPoint.Y)));
        }
    } else {
        // Moving away with the middle button held turns the scroll mode into panning, which the
        // release ends.
        if (FStates.Contains(tsWheelPanning) && FStates.Contains(tsWheelScrolling) &&
            (std::abs(X - FLastClickPos.X) >= GetSystemMetrics(SM_CXDRAG) ||
             std::abs(Y - FLastClickPos.Y) >= GetSystemMetrics(SM_CYDRAG)))
            DoStateChange({}, {tsWheelScrolling});
        if (FStates.Contains(tsOLEDragPending) && (std::abs(X - FLastClickPos.X) >= FDragThreshold ||
                                                   std::abs(Y - FLastClickPos.Y) >= FDragThreshold)) {
            RunNodeDrag(FLastClickPos);
            return;
        }
        if (AutoScrollAllowed()) UpdateAutoScroll(X, Y);
        if (FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling)) UpdatePanningCursor(X, Y);
        if (!FStates.Contains(tsDrawSelecting)) {
            TrackHotNode(X, Y);
            TCustomControl::MouseMove(Shift, X, Y);
        } else if (UpdateRubberBandRect(X, Y)) {
            ApplyRubberBandSelection(X, Y);
            Invalidate();
        }
    }
    if (HandleAllocated()) Update();
}

bool TBaseLeanTree::UpdateRubberBandRect(int X, int Y) {
    if (FStates.Contains(tsDrawSelecting)) FLastSelRect = FNewSelRect;
    const TRect Old = FNewSelRect;
    const int MaxX = std::max(ClientWidth(), static_cast<int>(FRangeX));
    const int MaxY = std::max(ClientHeight(), static_cast<int>(FRangeY));
    FNewSelRect.Right = std::clamp(X + FEffectiveOffsetX, 0, MaxX);
    FNewSelRect.Bottom = std::clamp(Y - FOffsetY, 0, MaxY);
    return Old != FNewSelRect;
}

bool TBaseLeanTree::ApplyRubberBandSelection(int, int) {
    if (!FStates.Contains(tsDrawSelecting) || FRoot->ChildCount == 0) return false;
    return HandleDrawSelection(FLastSelRect, FNewSelRect, FDrawSelShiftState.Contains(ssCtrl));
}

void TBaseLeanTree::RunNodeDrag(TPoint P) {
    CancelCellEdit();
    if (FCurrentHotNode) {
        InvalidateNode(FCurrentHotNode);
        FCurrentHotNode = nullptr;
    }
    if (FFocusedNode && !FFocusedNode->States.Contains(vsSelected)) {
        BeginUpdate();
        AddToSelection(FFocusedNode);
        EndUpdate();
        InvalidateNode(FFocusedNode);
    }
    DoStateChange({tsOLEDragging}, {tsClearPending, tsOLEDragPending});
    TScopeExit Finish([&] {
        TPoint Cursor;
        GetCursorPos(Cursor);
        Cursor = ScreenToClient(Cursor);
        DoEndDrag(nullptr, Cursor.X, Cursor.Y);
        DoStateChange({}, {tsOLEDragging});
    });
    TDragObject* DragObject = nullptr;
    DoStartDrag(DragObject);
    delete DragObject;
    // The drag itself (data object, drag image, drop) is the drag support's.
    (void)P;
}

void TBaseLeanTree::TrackHotNode(int X, int Y) {
    THitInfo HitInfo;
    GetHitTestInfoAt(X, Y, true, HitInfo);
    const THitPositions& Hit = HitInfo.HitPositions;
    const bool HotTrack = TreeOptions()->PaintOptions().Contains(toHotTrack);
    PLeanNode NewHot = nullptr;
    if (Hit.Contains(hiOnItemCheckbox) || Hit.Contains(hiOnItemLabel) ||
        (FStates.Contains(tsUseExplorerTheme) && Hit.Contains(hiOnItemButtonExact)) ||
        (TreeOptions()->SelectionOptions().Contains(toFullRowSelect) && !Hit.Contains(hiNowhere)))
        NewHot = HitInfo.HitNode;
    const bool Repaint = HotTrack || TreeOptions()->MiscOptions().Contains(toCheckSupport);
    const TColumnIndex NewColumn = NewHot ? HitInfo.HitColumn : ColumnNone;
    const bool HotChanged = NewHot != FCurrentHotNode || NewColumn != FCurrentHotColumn;
    if (HotChanged) {
        PLeanNode Old = FCurrentHotNode;
        DoHotChange(Old, NewHot);
        if (Repaint && Old) InvalidateNode(Old);
        FCurrentHotNode = NewHot;
        FCurrentHotColumn = NewColumn;
    }
    const bool ButtonHit = HotTrack && Hit.Contains(hiOnItemButtonExact);
    if (!FCurrentHotNode) {
        FHotNodeButtonHit = false;
    } else if (ButtonHit != FHotNodeButtonHit || (HotChanged && Repaint)) {
        FHotNodeButtonHit = ButtonHit;
        InvalidateNode(FCurrentHotNode);
    }
}

// ---- Cursor, entering and leaving -----------------------------------------------------------------

void TBaseLeanTree::WMSetCursor(TWMSetCursor& Message) {
    if (static_cast<HWND>(Message.WParam) != Handle() || ComponentState().Contains(csDesigning) ||
        FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling)) {
        TCustomControl::WMSetCursor(Message);
        return;
    }
    if (Screen && Screen->Cursor() != crDefault) {
        TCustomControl::WMSetCursor(Message);
        return;
    }
    TPoint P;
    GetCursorPos(P);
    P = ScreenToClient(P);
    THitInfo HitInfo;
    GetHitTestInfoAt(P.X, P.Y, true, HitInfo);
    TCursor NewCursor = Cursor();
    if (TreeOptions()->MiscOptions().Contains(toNodeHeightResize) && SplitterHit(HitInfo) &&
        ColumnFixed(FHeader.get(), HitInfo.HitColumn) &&
        CanSplitterResizeNode(P,
                              HitInfo.HitPositions.Contains(hiUpperSplitter)
                                  ? GetPreviousVisible(HitInfo.HitNode)
                                  : HitInfo.HitNode,
                              HitInfo.HitColumn)) {
        RegisterLeanTreeCursors();
        NewCursor = crLeanVertSplit;
    } else if (TreeOptions()->PaintOptions().Contains(toHotTrack) && FCurrentHotNode &&
               FHotCursor != crDefault) {
        NewCursor = FHotCursor;
    }
    DoGetCursor(NewCursor);
    ::SetCursor(NewCursor == crDefault ? crArrow : NewCursor);
    Message.Result = 1;
}

void TBaseLeanTree::CMMouseEnter(TMessage& Message) {
    DoMouseEnter();
    TCustomControl::CMMouseEnter(Message);
}

void TBaseLeanTree::CMMouseLeave(TMessage& Message) {
    DoStateChange({}, {tsHint});
    // The wheel's scroll mode goes on beyond the window (the pointer is captured).
    if (!FStates.Contains(tsWheelPanning) && !FStates.Contains(tsWheelScrolling)) {
        KillTreeTimer(ScrollTimer);
        DoStateChange({}, {tsScrolling, tsScrollPending});
    }
    if (FCurrentHotNode || FCurrentHotColumn != ColumnNone) {
        PLeanNode Old = FCurrentHotNode;
        DoHotChange(Old, nullptr);
        if (Old && (TreeOptions()->PaintOptions().Contains(toHotTrack) ||
                    TreeOptions()->MiscOptions().Contains(toCheckSupport)))
            InvalidateNode(Old);
        FCurrentHotNode = nullptr;
        FCurrentHotColumn = ColumnNone;
        FHotNodeButtonHit = false;
    }
    TLeanTreeColumns* Columns = FHeader->Columns();
    Columns->SetHoverIndex(ColumnNone);
    Columns->SetDownIndex(ColumnNone);
    Columns->SetCheckBoxHit(false);
    DoMouseLeave();
    TCustomControl::CMMouseLeave(Message);
}

// ---- Focus by the mouse -------------------------------------------------------------------------

void TBaseLeanTree::MoveFocusToNode(PLeanNode Node, bool Ask) {
    if (FStates.Contains(tsEditing) && !EndCellEdit()) return;
    if (Node == FRoot) Node = nullptr;
    const auto* Options = TreeOptions();
    if (Node != FFocusedNode &&
        (!Ask || DoFocusChanging(FFocusedNode, Node, FFocusedColumn, FFocusedColumn))) {
        PLeanNode Old = FFocusedNode;
        if (Old) {
            if (Options->AutoOptions().Contains(toAutoExpand) && Node && Old->Parent == Node->Parent &&
                Old->States.Contains(vsExpanded))
                ToggleNode(Old);
            else
                InvalidateNode(Old);
        }
        FFocusedNode = Node;
    }
    if (FFocusedNode) {
        if (FHeader->UseColumns() && !FHeader->IsValidColumn(FFocusedColumn))
            FFocusedColumn = FHeader->MainColumn();
        if (Options->AutoOptions().Contains(toAutoExpand) && !FFocusedNode->States.Contains(vsExpanded) &&
            HasChildren(FFocusedNode))
            ToggleNode(FFocusedNode);
        InvalidateNode(FFocusedNode);
        if (FUpdateCount == 0 && !Options->AutoOptions().Contains(toDisableAutoscrollOnFocus)) {
            const bool ButtonDown = FStates.Contains(tsLeftButtonDown) ||
                                    FStates.Contains(tsRightButtonDown) ||
                                    FStates.Contains(tsMiddleButtonDown);
            ScrollIntoView(FFocusedNode,
                           Options->SelectionOptions().Contains(toCenterScrollIntoView) && !ButtonDown,
                           !Options->SelectionOptions().Contains(toFullRowSelect));
        }
    }
    if (FSelectionCount == 0) ResetSelectionAnchor();
}

void TBaseLeanTree::FocusCell(PLeanNode Node, TColumnIndex Column) {
    if (FHeader->UseColumns() && !FHeader->AllowFocus(Column)) Column = FFocusedColumn;
    const PLeanNode OldNode = FFocusedNode;
    const TColumnIndex OldColumn = FFocusedColumn;
    FFocusedColumn = Column;
    MoveFocusToNode(Node, true);
    if (FFocusedNode == Node) {
        CancelCellEdit();
        if (Node != OldNode || Column != OldColumn) DoFocusChanged(FFocusedNode, FFocusedColumn);
    } else {
        FFocusedColumn = OldColumn;
    }
}

// ---- Menus ------------------------------------------------------------------------------------

bool TBaseLeanTree::PopupMenuAvailable(PLeanNode Node, TColumnIndex Column, TPoint Pos) {
    return PopupMenu() || DoGetPopupMenu(Node, Column, Pos);
}

void TBaseLeanTree::ShowNodePopupMenu(PLeanNode Node, TColumnIndex Column, TPoint Position) {
    TPopupMenu* Menu = DoGetPopupMenu(Node, Column, Position);
    if (!Menu) return;
    DoStateChange({tsPopupMenuShown});
    KillTreeTimer(EditTimer);
    Menu->SetPopupComponent(this);
    const TPoint S = ClientToScreen(Position);
    Menu->Popup(S.X, S.Y);
}
