// The tree's event dispatchers: every event the tree raises goes through one of these, so that
// a descendant can change the default by overriding the dispatcher.

#include "tree/BaseLeanTree.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Threads.h"
#include "platform/gui/Forms.h"

#include <algorithm>

// ---- State set --------------------------------------------------------------------------------

void TBaseLeanTree::DoStateChange(const TLeanTreeStates& Enter, const TLeanTreeStates& Leave) {
    const TLeanTreeStates NewStates = (FStates + Enter) - Leave;
    // Only a real change is announced, with the sets as the caller gave them.
    if (OnStateChange && NewStates != FStates) OnStateChange(this, Enter, Leave);
    FStates = NewStates;
}

// ---- Node life cycle ----------------------------------------------------------------------------

void TBaseLeanTree::DoInitNode(PLeanNode Parent, PLeanNode Node, TLeanNodeInitStates& InitStates) {
    if (OnInitNode) OnInitNode(this, Parent, Node, InitStates);
}

void TBaseLeanTree::DoInitChildren(PLeanNode Node, Cardinal& ChildCount) {
    if (OnInitChildren) OnInitChildren(this, Node, ChildCount);
}

void TBaseLeanTree::ForgetNode(PLeanNode Node) {
    // Nothing of the tree may point at the node once its block is gone.
    if (FLastChangedNode == Node) FLastChangedNode = nullptr;
    if (FCurrentHotNode == Node) FCurrentHotNode = nullptr;
    if (FDropTargetNode == Node) FDropTargetNode = nullptr;
    if (FLastStructureChangeNode == Node) FLastStructureChangeNode = nullptr;
    if (FFocusedNode == Node) FFocusedNode = nullptr;
    if (FLastSelected == Node) FLastSelected = nullptr;
    if (FRangeAnchor == Node) FRangeAnchor = nullptr;
    if (FCheckNode == Node) FCheckNode = nullptr;
    if (FLastSearchNode == Node) FLastSearchNode = nullptr;
    if (FLastVCLDragTarget == Node) FLastVCLDragTarget = nullptr;
    if (FHeightTrackNode == Node) FHeightTrackNode = nullptr;
}

void TBaseLeanTree::DoFreeNode(PLeanNode Node) {
    ForgetNode(Node);
    TScopeExit Free([this, Node] { FreeNodeBlock(Node); });
    if (OnFreeNode &&
        (Node->States.Contains(vsInitialized) || Node->States.Contains(vsOnFreeNodeCallRequired)))
        OnFreeNode(this, Node);
}

void TBaseLeanTree::DoResetNode(PLeanNode Node) {
    if (OnResetNode) OnResetNode(this, Node);
}

void TBaseLeanTree::DoGetNodeDataSize(int& Size) {
    // One object reference.
    Size = static_cast<int>(sizeof(void*));
    if (OnGetNodeDataSize) OnGetNodeDataSize(this, Size);
}

void TBaseLeanTree::DoStructureChange(PLeanNode Node, TChangeReason Reason) {
    KillTreeTimer(StructureChangeTimer);
    if (OnStructureChange) OnStructureChange(this, Node, Reason);
    DoStateChange({}, {tsStructureChangePending});
    FLastStructureChangeNode = nullptr;
    FLastStructureChangeReason = crIgnore;
}

void TBaseLeanTree::DoNodeCopied(PLeanNode Node) {
    if (OnNodeCopied) OnNodeCopied(this, Node);
}

bool TBaseLeanTree::DoNodeCopying(PLeanNode Node, PLeanNode NewParent) {
    bool Allowed = true;
    if (OnNodeCopying) OnNodeCopying(this, Node, NewParent, Allowed);
    return Allowed;
}

void TBaseLeanTree::DoNodeMoved(PLeanNode Node) {
    if (OnNodeMoved) OnNodeMoved(this, Node);
}

bool TBaseLeanTree::DoNodeMoving(PLeanNode Node, PLeanNode NewParent) {
    bool Allowed = true;
    if (OnNodeMoving) OnNodeMoving(this, Node, NewParent, Allowed);
    return Allowed;
}

int TBaseLeanTree::DoCompareNodes(PLeanNode Node1, PLeanNode Node2, TColumnIndex Column) {
    int Result = 0;
    if (OnCompareNodes) OnCompareNodes(this, Node1, Node2, Column, Result);
    return Result;
}

void TBaseLeanTree::DoUpdating(TLTUpdateState State) {
    if (OnUpdating) OnUpdating(this, State);
}

void TBaseLeanTree::DoStartOperation(TLTOperationKind Kind) {
    if (OnStartOperation) OnStartOperation(this, Kind);
}

void TBaseLeanTree::DoEndOperation(TLTOperationKind Kind) {
    if (OnEndOperation) OnEndOperation(this, Kind);
}

void TBaseLeanTree::StartOperation(TLTOperationKind Kind) {
    ++FOperationCount;
    DoStartOperation(Kind);
    if (FOperationCount == 1) FOperationCanceled = false;
}

void TBaseLeanTree::EndOperation(TLTOperationKind Kind) {
    ASSERT_MSG(FOperationCount > 0, u"EndOperation must not be called when no operation in progress.");
    --FOperationCount;
    DoEndOperation(Kind);
}

void TBaseLeanTree::CancelOperation() {
    if (FOperationCount > 0) FOperationCanceled = true;
}

// ---- Selection, focus and change ----------------------------------------------------------------

void TBaseLeanTree::DoChange(PLeanNode Node) {
    KillTreeTimer(ChangeTimer);
    if (OnChange) OnChange(this, Node);
    DoStateChange({}, {tsChangePending});
    FLastChangedNode = nullptr;
}

void TBaseLeanTree::DoAddToSelection(PLeanNode Node) {
    if (OnAddToSelection) OnAddToSelection(this, Node);
}

void TBaseLeanTree::DoRemoveFromSelection(PLeanNode Node) {
    if (OnRemoveFromSelection) OnRemoveFromSelection(this, Node);
}

bool TBaseLeanTree::DoFocusChanging(PLeanNode OldNode, PLeanNode NewNode, TColumnIndex OldColumn,
                                    TColumnIndex NewColumn) {
    bool Allowed = OldColumn == NewColumn || FHeader->AllowFocus(NewColumn);
    if (OnFocusChanging) OnFocusChanging(this, OldNode, NewNode, OldColumn, NewColumn, Allowed);
    return Allowed;
}

void TBaseLeanTree::DoFocusChanged(PLeanNode Node, TColumnIndex Column) {
    if (OnFocusChanged) OnFocusChanged(this, Node, Column);
}

void TBaseLeanTree::DoHotChange(PLeanNode Old, PLeanNode New) {
    if (OnHotChange) OnHotChange(this, Old, New);
}

// ---- Expanding, collapsing, checking --------------------------------------------------------------

bool TBaseLeanTree::DoExpanding(PLeanNode Node) {
    bool Allowed = true;
    if (OnExpanding) OnExpanding(this, Node, Allowed);
    return Allowed;
}

void TBaseLeanTree::DoExpanded(PLeanNode Node) {
    if (OnExpanded) OnExpanded(this, Node);
}

bool TBaseLeanTree::DoCollapsing(PLeanNode Node) {
    bool Allowed = true;
    if (OnCollapsing) OnCollapsing(this, Node, Allowed);
    return Allowed;
}

void TBaseLeanTree::DoCollapsed(PLeanNode Node) {
    if (OnCollapsed) OnCollapsed(this, Node);
}

bool TBaseLeanTree::DoChecking(PLeanNode Node, TCheckState& NewCheckState) {
    if (ReadOnly()) return false;
    bool Allowed = true;
    if (OnChecking) OnChecking(this, Node, NewCheckState, Allowed);
    return Allowed;
}

void TBaseLeanTree::DoChecked(PLeanNode Node) {
    if (OnChecked) OnChecked(this, Node);
}

// ---- Editing ------------------------------------------------------------------------------------

void TBaseLeanTree::DoEditing(PLeanNode Node, TColumnIndex Column, bool& Allowed) {
    if (OnEditing) OnEditing(this, Node, Column, Allowed);
}

TLTEditLinkRef TBaseLeanTree::DoCreateEditor(PLeanNode Node, TColumnIndex Column) {
    TLTEditLinkRef Result;
    if (OnCreateEditor) OnCreateEditor(this, Node, Column, Result);
    return Result;
}

bool TBaseLeanTree::CancelCellEdit() {
    KillTreeTimer(EditTimer);
    DoStateChange({}, {tsEditPending});
    bool Result = false;
    if (FStates.Contains(tsEditing) && FEditLink && FEditLink->CancelEdit()) {
        DoStateChange({}, {tsEditing});
        if (OnEditCancelled) OnEditCancelled(this, FEditColumn);
        if (!IsDestroying()) FEditLink.reset();
        Result = true;
    }
    return Result;
}

bool TBaseLeanTree::EndCellEdit() {
    KillTreeTimer(EditTimer);
    bool Result = false;
    if (FStates.Contains(tsEditing) && FEditLink && FEditLink->EndEdit()) {
        DoStateChange({}, {tsEditing});
        FEditLink.reset();
        if (OnEdited) OnEdited(this, FFocusedNode, FEditColumn);
        Result = true;
    }
    DoStateChange({}, {tsEditPending});
    return Result;
}

// ---- Content and appearance ---------------------------------------------------------------------

TCustomImageList* TBaseLeanTree::DoGetImageIndex(PLeanNode Node, TLTImageKind Kind, TColumnIndex Column,
                                                 bool& Ghosted, int& Index) {
    TCustomImageList* Result = nullptr;
    Index = -1;
    Ghosted = false;
    if (OnGetImageIndexEx)
        OnGetImageIndexEx(this, Node, Kind, Column, Ghosted, Index, Result);
    else if (OnGetImageIndex)
        OnGetImageIndex(this, Node, Kind, Column, Ghosted, Index);
    return Result;
}

void TBaseLeanTree::DoGetImageText(PLeanNode Node, TLTImageKind Kind, TColumnIndex Column,
                                   String& ImageText) {
    if (OnGetImageText) OnGetImageText(this, Node, Kind, Column, ImageText);
}

void TBaseLeanTree::DoMeasureItem(TCanvas* Canvas, PLeanNode Node, int& Height) {
    if (OnMeasureItem) OnMeasureItem(this, Canvas, Node, Height);
}

bool TBaseLeanTree::DoGetCellIsEmpty(PLeanNode Node, TColumnIndex Column) {
    bool IsEmpty = true;
    if (OnGetCellIsEmpty) OnGetCellIsEmpty(this, Node, Column, IsEmpty);
    return IsEmpty;
}

void TBaseLeanTree::DoGetLineStyle(const void*& Bits) {
    if (OnGetLineStyle) OnGetLineStyle(this, Bits);
}

void TBaseLeanTree::DoBeforeDrawTreeLine(PLeanNode Node, int Level, int& PosX) {
    if (OnBeforeDrawTreeLine) OnBeforeDrawTreeLine(this, Node, Level, PosX);
}

void TBaseLeanTree::DoGetCursor(TCursor& Cursor) {
    if (OnGetCursor) OnGetCursor(this, Cursor);
}

String TBaseLeanTree::QueryNodeHint(PLeanNode, TColumnIndex, TLTTooltipLineBreakStyle& LineBreakStyle) {
    LineBreakStyle = hlbDefault;
    return Hint();
}

String TBaseLeanTree::QueryNodeTooltip(PLeanNode Node, TColumnIndex Column,
                                       TLTTooltipLineBreakStyle& LineBreakStyle) {
    return QueryNodeHint(Node, Column, LineBreakStyle);
}

int TBaseLeanTree::QueryNodeExtraWidth(PLeanNode, TColumnIndex, TCanvas*) {
    return 0;
}

int TBaseLeanTree::QueryNodeContentWidth(PLeanNode, TColumnIndex, TCanvas*) {
    return 0;
}

TLTHintKind TBaseLeanTree::DoGetHintKind(PLeanNode Node, TColumnIndex Column) {
    TLTHintKind Kind = DefaultHintKind();
    if (OnGetHintKind) OnGetHintKind(this, Node, Column, Kind);
    return Kind;
}

// ---- Painting -----------------------------------------------------------------------------------

void TBaseLeanTree::DoBeforePaint(TCanvas* Canvas) {
    if (OnBeforePaint) OnBeforePaint(this, Canvas);
}

void TBaseLeanTree::DoAfterPaint(TCanvas* Canvas) {
    if (OnAfterPaint) OnAfterPaint(this, Canvas);
}

bool TBaseLeanTree::DoPaintBackground(TCanvas* Canvas, const TRect& R) {
    bool Handled = false;
    if (OnPaintBackground) OnPaintBackground(this, Canvas, R, Handled);
    return Handled;
}

void TBaseLeanTree::DoBeforeItemErase(TCanvas* Canvas, PLeanNode Node, const TRect& ItemRect, TColor& Color,
                                      TItemEraseAction& EraseAction) {
    if (OnBeforeItemErase) OnBeforeItemErase(this, Canvas, Node, ItemRect, Color, EraseAction);
}

void TBaseLeanTree::DoAfterItemErase(TCanvas* Canvas, PLeanNode Node, const TRect& ItemRect) {
    if (OnAfterItemErase) OnAfterItemErase(this, Canvas, Node, ItemRect);
}

bool TBaseLeanTree::DoBeforeItemPaint(TCanvas* Canvas, PLeanNode Node, const TRect& ItemRect) {
    bool CustomDraw = false;
    if (OnBeforeItemPaint) OnBeforeItemPaint(this, Canvas, Node, ItemRect, CustomDraw);
    return CustomDraw;
}

void TBaseLeanTree::DoAfterItemPaint(TCanvas* Canvas, PLeanNode Node, const TRect& ItemRect) {
    if (OnAfterItemPaint) OnAfterItemPaint(this, Canvas, Node, ItemRect);
}

void TBaseLeanTree::DoBeforeCellPaint(TCanvas* Canvas, PLeanNode Node, TColumnIndex Column,
                                      TLTCellPaintMode CellPaintMode, const TRect& CellRect,
                                      TRect& ContentRect) {
    if (!OnBeforeCellPaint) return;
    if (Canvas) Canvas->SetFont(Font());
    OnBeforeCellPaint(this, Canvas, Node, Column, CellPaintMode, CellRect, ContentRect);
}

void TBaseLeanTree::DoAfterCellPaint(TCanvas* Canvas, PLeanNode Node, TColumnIndex Column,
                                     const TRect& CellRect) {
    if (OnAfterCellPaint) OnAfterCellPaint(this, Canvas, Node, Column, CellRect);
}

TPoint TBaseLeanTree::QueryCellContentMargin(PLeanNode Node, TColumnIndex Column, int MarginType,
                                             TCanvas* Canvas) {
    if (!OnBeforeCellPaint) return {0, 0};
    const TRect CellRect = GetDisplayRect(Node, Column, false);
    TRect ContentRect = CellRect;
    DoBeforeCellPaint(Canvas ? Canvas : this->Canvas(), Node, Column, cpmGetContentMargin, CellRect,
                      ContentRect);
    switch (MarginType) {
    case 1:
        return {ContentRect.Left - CellRect.Left, ContentRect.Top - CellRect.Top};
    case 2:
        return {CellRect.Right - ContentRect.Right, CellRect.Bottom - ContentRect.Bottom};
    default:
        return {(ContentRect.Left - CellRect.Left) + (CellRect.Right - ContentRect.Right),
                (ContentRect.Top - CellRect.Top) + (CellRect.Bottom - ContentRect.Bottom)};
    }
}

// ---- Mouse, keyboard and menus ------------------------------------------------------------------

void TBaseLeanTree::DoNodeClick(const THitInfo& HitInfo) {
    if (OnNodeClick) OnNodeClick(this, HitInfo);
}

void TBaseLeanTree::DoNodeDblClick(const THitInfo& HitInfo) {
    if (OnNodeDblClick) OnNodeDblClick(this, HitInfo);
}

void TBaseLeanTree::DoColumnClick(TColumnIndex Column, TShiftState Shift) {
    if (OnColumnClick) OnColumnClick(this, Column, Shift);
}

void TBaseLeanTree::DoColumnDblClick(TColumnIndex Column, TShiftState Shift) {
    if (OnColumnDblClick) OnColumnDblClick(this, Column, Shift);
}

bool TBaseLeanTree::DoNodeHeightTracking(PLeanNode Node, TColumnIndex Column, TShiftState Shift,
                                         TPoint& TrackPoint, TPoint P) {
    bool Allowed = true;
    if (OnNodeHeightTracking) OnNodeHeightTracking(this, Node, Column, Shift, TrackPoint, P, Allowed);
    return Allowed;
}

bool TBaseLeanTree::DoNodeHeightDblClickResize(PLeanNode Node, TColumnIndex Column, TShiftState Shift,
                                               TPoint P) {
    bool Allowed = true;
    if (OnNodeHeightDblClickResize) OnNodeHeightDblClickResize(this, Node, Column, Shift, P, Allowed);
    return Allowed;
}

void TBaseLeanTree::DoCanSplitterResizeNode(TPoint P, PLeanNode Node, TColumnIndex Column, bool& Allowed) {
    if (OnCanSplitterResizeNode) OnCanSplitterResizeNode(this, P, Node, Column, Allowed);
}

bool TBaseLeanTree::CanSplitterResizeNode(TPoint P, PLeanNode Node, TColumnIndex Column) {
    // Without columns there is no fixed column whose splitter could resize the node.
    bool Allowed = TreeOptions()->MiscOptions().Contains(toNodeHeightResize) && Node && Node != FRoot &&
                   Column >= 0 && FHeader->IsValidColumn(Column);
    DoCanSplitterResizeNode(P, Node, Column, Allowed);
    return Allowed;
}

bool TBaseLeanTree::DoKeyAction(Word& CharCode, TShiftState& Shift) {
    bool DoDefault = true;
    if (OnKeyAction) OnKeyAction(this, CharCode, Shift, DoDefault);
    return DoDefault;
}

int TBaseLeanTree::DoIncrementalSearch(PLeanNode Node, const String& Text) {
    int Result = 0;
    if (OnIncrementalSearch) OnIncrementalSearch(this, Node, Text, Result);
    return Result;
}

TPopupMenu* TBaseLeanTree::DoGetPopupMenu(PLeanNode Node, TColumnIndex Column, TPoint Position) {
    TPopupMenu* Menu = nullptr;
    if (!OnGetPopupMenu) return nullptr;
    bool AskParent = true;
    PLeanNode Run = Node;
    do {
        OnGetPopupMenu(this, Run, Column, Position, AskParent, Menu);
        if (!Run || Run->Parent == FRoot) break;
        Run = Run->Parent;
    } while (AskParent && !Menu);
    return Menu;
}

void TBaseLeanTree::DoScroll(int DeltaX, int DeltaY) {
    if (OnScroll) OnScroll(this, DeltaX, DeltaY);
}

void TBaseLeanTree::DoShowScrollbar(int Bar, bool Show) {
    // The window's own scroll bar follows the state that UpdateScrollBars keeps.
    (Bar == ScrollBarVert ? FVertBar : FHorzBar).Visible = Show;
    if (OnShowScrollbar) OnShowScrollbar(this, Bar, Show);
}

void TBaseLeanTree::DoMouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
}

void TBaseLeanTree::DoMouseLeave() {
    // Over the tree again, the pointer gets a fresh hint decision.
    FLastHintRect = TRect{};
    if (OnMouseLeave) OnMouseLeave(this);
}

// ---- Drag, drop and streams ---------------------------------------------------------------------

bool TBaseLeanTree::DoDragAllowed(PLeanNode Node, TColumnIndex Column) {
    bool Allowed = false;
    if (OnDragAllowed) OnDragAllowed(this, Node, Column, Allowed);
    return Allowed;
}

bool TBaseLeanTree::DoDragOver(TObject* Source, TShiftState Shift, TDragState State, TPoint Pt,
                               TDropMode Mode, int& Effect) {
    bool Accept = false;
    if (OnDragOver) OnDragOver(this, Source, Shift, State, Pt, Mode, Effect, Accept);
    return Accept;
}

void TBaseLeanTree::DoSaveNode(PLeanNode Node, TStream* Stream) {
    if (OnSaveNode) OnSaveNode(this, Node == FRoot ? nullptr : Node, Stream);
}

void TBaseLeanTree::DoLoadNode(PLeanNode Node, TStream* Stream) {
    if (OnLoadNode) OnLoadNode(this, Node == FRoot ? nullptr : Node, Stream);
}

// ---- Starting an edit ---------------------------------------------------------------------------

void TBaseLeanTree::BeginCellEdit() {
    if (Application) Application->CancelHint();
    KillTreeTimer(ScrollTimer);
    KillTreeTimer(EditTimer);
    DoStateChange({}, {tsEditPending});
    if (!FFocusedNode || FFocusedNode->States.Contains(vsDisabled) || ReadOnly() || FEditLink) return;
    FEditLink = DoCreateEditor(FFocusedNode, FEditColumn);
    if (!FEditLink) return;
    DoStateChange({tsEditing},
                  {tsToggleFocusedSelection, tsClearPending, tsDrawSelPending, tsDrawSelecting,
                   tsMouseCheckPending, tsOLEDragging, tsOLEDragPending, tsScrolling, tsScrollPending});
    const auto& Selection = TreeOptions()->SelectionOptions();
    ScrollIntoView(FFocusedNode, Selection.Contains(toCenterScrollIntoView),
                   !TreeOptions()->AutoOptions().Contains(toDisableAutoscrollOnEdit));
    TLTEditLinkRef Link = FEditLink;
    if (Link->PrepareEdit(this, FFocusedNode, FEditColumn)) {
        PlaceEditor();
        InvalidateNode(FFocusedNode);
        if (!Link->BeginEdit()) DoStateChange({}, {tsEditing});
    } else {
        DoStateChange({}, {tsEditing});
    }
    if (!FStates.Contains(tsEditing)) FEditLink.reset();
}

void TBaseLeanTree::PlaceEditor() {
    if (!FStates.Contains(tsEditing) || !FFocusedNode || !FEditLink) return;
    if (GetCurrentThreadId() != MainThreadID()) return;
    TRect R = GetDisplayRect(FFocusedNode, FEditColumn, true, !FFocusedNode->States.Contains(vsMultiline));
    int ColumnLeft = 0, ColumnRight = 0;
    if (TreeOptions()->MiscOptions().Contains(toGridExtensions)) {
        // Left-aligned text runs on to the cell's right edge, other text from its left edge.
        TAlignment Alignment = FHeader->IsValidColumn(FEditColumn)
                                   ? FHeader->Columns()->Items(FEditColumn)->Alignment()
                                   : FAlignment;
        if (UseRightToLeftAlignment() && Alignment != taCenter)
            Alignment = Alignment == taLeftJustify ? taRightJustify : taLeftJustify;
        if (!FHeader->ColumnBounds(FEditColumn, ColumnLeft, ColumnRight)) {
            ColumnLeft = 0;
            ColumnRight = std::max(ClientWidth(), static_cast<int>(FRangeX));
        }
        if (Alignment == taLeftJustify)
            R.Right = ColumnRight;
        else
            R.Left = ColumnLeft;
    }
    if (TreeOptions()->PaintOptions().Contains(toShowHorzGridLines)) --R.Bottom;
    const TRect Current = FEditLink->GetBounds();
    R.Bottom = R.Top + std::max(Current.Height(), R.Height());
    FEditLink->SetBounds(R);
}
