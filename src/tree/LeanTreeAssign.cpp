// Copying one tree's settings into another, and the calls that start, end and cancel editing.

#include "platform/base/Exceptions.h"
#include "tree/BaseLeanTree.h"

// ---- Assignment -------------------------------------------------------------------------------

void TBaseLeanTree::Assign(TPersistent* Source) {
    auto* Other = dynamic_cast<TBaseLeanTree*>(Source);
    if (!Other || ReadOnly()) {
        TCustomControl::Assign(Source);
        return;
    }
    // Each setting through its setter, in this order: NodeDataSize recreates the nodes and
    // RootNodeCount then makes that many empty top-level nodes. Nodes are not copied.
    SetAlign(Other->Align());
    SetAnchors(Other->Anchors());
    SetAutoScrollDelay(Other->AutoScrollDelay());
    SetAutoScrollInterval(Other->AutoScrollInterval());
    SetAutoSize(Other->AutoSize());
    SetBackground(Other->Background());
    SetBevelEdges(Other->BevelEdges());
    SetBevelInner(Other->BevelInner());
    SetBevelKind(Other->BevelKind());
    SetBevelOuter(Other->BevelOuter());
    SetBevelWidth(Other->BevelWidth());
    SetBiDiMode(Other->BiDiMode());
    SetBorderStyle(Other->BorderStyle());
    SetBorderWidth(Other->BorderWidth());
    SetChangeDelay(Other->ChangeDelay());
    SetCheckImageKind(Other->CheckImageKind());
    SetColor(Other->Color());
    SetColors(Other->Colors());
    SetConstraints(Other->Constraints());
    SetCtl3D(Other->Ctl3D());
    SetDefaultNodeHeight(Other->DefaultNodeHeight());
    SetDragCursor(Other->DragCursor());
    SetDragImageKind(Other->DragImageKind());
    SetDragMode(Other->DragMode());
    SetEnabled(Other->Enabled());
    SetFont(Other->Font());
    FHeader->Assign(Other->Header());
    SetHintAnimation(Other->HintAnimation());
    SetHintMode(Other->HintMode());
    SetHotCursor(Other->HotCursor());
    SetImages(Other->Images());
    SetIndent(Other->Indent());
    SetMargin(Other->Margin());
    SetNodeAlignment(Other->NodeAlignment());
    SetNodeDataSize(Other->NodeDataSize());
    TreeOptions()->Assign(Other->TreeOptions());
    SetParentColor(Other->ParentColor());
    SetParentCtl3D(Other->ParentCtl3D());
    SetParentFont(Other->ParentFont());
    SetParentShowHint(Other->ParentShowHint());
    SetPopupMenu(Other->PopupMenu());
    SetRootNodeCount(Other->RootNodeCount());
    ScrollBarOptions()->Assign(Other->ScrollBarOptions());
    SetShowHint(Other->ShowHint());
    SetStateImages(Other->StateImages());
    SetTabOrder(Other->TabOrder());
    SetTabStop(Other->TabStop());
    SetVisible(Other->Visible());
    SetSelectionCurveRadius(Other->SelectionCurveRadius());
    SetSelectionBlendFactor(Other->SelectionBlendFactor());
    SetEmptyListMessage(Other->EmptyListMessage());
}

// ---- Editing calls ----------------------------------------------------------------------------

bool TBaseLeanTree::CanEdit(PLeanNode Node, TColumnIndex Column) {
    bool Result = TreeOptions()->MiscOptions().Contains(toEditable) && Enabled() && !ReadOnly();
    DoEditing(Node, Column, Result);
    return Result;
}

bool TBaseLeanTree::EditNode(PLeanNode Node, TColumnIndex Column) {
    ASSERT_MSG(Node, u"Node must not be nil.");
    ASSERT_MSG(Column >= ColumnNone && Column < FHeader->ColumnCount(),
               u"Column must be a valid column index (-1 if no header is shown).");
    if (FStates.Contains(tsEditing) || ReadOnly()) return FStates.Contains(tsEditing);
    SetFocusedNode(Node);
    if (FFocusedNode != Node || !CanEdit(Node, Column)) return false;
    FEditColumn = Column;
    InitIfNeeded(Node);
    BeginCellEdit();
    return FStates.Contains(tsEditing);
}

bool TBaseLeanTree::EndEditNode() {
    if (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending)) return EndCellEdit();
    return true;
}

bool TBaseLeanTree::CancelEditNode() {
    if (HandleAllocated() && (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending)))
        return CancelCellEdit();
    return true;
}

void TBaseLeanTree::GetTextInfo(PLeanNode, TColumnIndex, TFont* AFont, TRect& R, String& Text) {
    R = TRect{};
    Text.clear();
    AFont->Assign(Font());
}
