// Check states: a user's change with its propagation to the children of a tri-state box and to
// the siblings of a radio button.

#include "platform/base/ScopeGuard.h"
#include "tree/BaseLeanTree.h"

void TBaseLeanTree::WriteCheckState(PLeanNode Node, TCheckState Value) {
    if (!Node || Node == RootNode() || Node->CheckState == Value || Node->States.Contains(vsDisabled)) return;
    if (DoChecking(Node, Value)) ApplyCheckClick(Node, Value);
}

void TBaseLeanTree::ApplyCheckClick(PLeanNode Node, TCheckState NewCheckState) {
    if (ApplyCheckState(Node, NewCheckState)) DoChecked(Node);
}

void TBaseLeanTree::ClearChecked() {
    for (PLeanNode Node : NoInitNodes())
        if (Node->CheckState != csUncheckedNormal) WriteCheckState(Node, csUncheckedNormal);
}

bool TBaseLeanTree::ApplyCheckState(PLeanNode Node, TCheckState Value) {
    if (Node->States.Contains(vsChecking)) return false;
    Node->States.Include(vsChecking);
    InitIfNeeded(Node);
    const bool Outermost = FCheckPropagationCount == 0;
    if (Outermost) DoStateChange({tsCheckPropagation});
    ++FCheckPropagationCount;
    TScopeExit Leave([this, Node, Outermost] {
        Node->States.Exclude(vsChecking);
        --FCheckPropagationCount;
        if (Outermost) DoStateChange({}, {tsCheckPropagation});
    });

    const bool Tracking = TreeOptions()->AutoOptions().Contains(toAutoTristateTracking);
    if (Node->CheckType == ctTriStateCheckBox && Tracking &&
        (Value == csUncheckedNormal || Value == csCheckedNormal) && Node->States.Contains(vsHasChildren)) {
        // The children follow; what they end up with decides the node's own state.
        int Checked = 0, Unchecked = 0, Mixed = 0;
        for (PLeanNode Child = GetFirstChild(Node); Child; Child = GetNextSibling(Child)) {
            if (Child->CheckType == ctTriStateCheckBox || Child->CheckType == ctCheckBox)
                WriteCheckState(Child, Value);
            switch (Child->CheckState) {
            case csCheckedNormal:
                ++Checked;
                break;
            case csUncheckedNormal:
                ++Unchecked;
                break;
            case csMixedNormal:
                ++Mixed;
                break;
            default:
                break;
            }
        }
        if (Mixed > 0 || (Checked > 0 && Unchecked > 0))
            Value = csMixedNormal;
        else if (Checked > 0 && Unchecked == 0)
            Value = csCheckedNormal;
    }
    if (Node->CheckType == ctRadioButton && Value == csCheckedNormal) {
        // Radio siblings go off directly, without their events.
        for (PLeanNode Sibling = Node->Parent->FirstChild; Sibling; Sibling = Sibling->NextSibling)
            if (Sibling != Node && Sibling->CheckType == ctRadioButton)
                Sibling->CheckState = csUncheckedNormal;
        Invalidate();
    }
    Node->CheckState = Value;
    PLeanNode Parent = Node->Parent;
    if (Parent != RootNode()) InitIfNeeded(Parent);
    bool Result = true;
    if (Tracking && (Node->CheckType == ctTriStateCheckBox || Node->CheckType == ctCheckBox) &&
        Parent != RootNode() && Parent->CheckType == ctTriStateCheckBox &&
        !Parent->States.Contains(vsDisabled) && !Parent->States.Contains(vsChecking))
        Result = ReevaluateParentCheck(Parent);
    InvalidateNode(Node);
    return Result;
}

bool TBaseLeanTree::ReevaluateParentCheck(PLeanNode Parent) {
    // The changed child already holds its new state, so every child counts as it is now.
    int Boxes = 0, Checked = 0, Mixed = 0;
    for (PLeanNode Child = Parent->FirstChild; Child; Child = Child->NextSibling) {
        if (Child->CheckType != ctTriStateCheckBox && Child->CheckType != ctCheckBox) continue;
        ++Boxes;
        if (Child->CheckState == csCheckedNormal || Child->CheckState == csCheckedPressed)
            ++Checked;
        else if (Child->CheckState == csMixedNormal)
            ++Mixed;
    }
    TCheckState State = csCheckedNormal;
    if (Checked == 0 && Mixed == 0)
        State = csUncheckedNormal;
    else if (Checked < Boxes)
        State = csMixedNormal;
    if (!DoChecking(Parent, State)) return false;
    ApplyCheckClick(Parent, State);
    return true;
}

TCheckState TBaseLeanTree::FollowingCheckState(TCheckType CheckType, TCheckState CheckState) {
    switch (CheckType) {
    case ctTriStateCheckBox:
    case ctCheckBox:
        return CheckState == csCheckedNormal ? csUncheckedNormal : csCheckedNormal;
    case ctRadioButton:
        return csCheckedNormal;
    default:
        return csUncheckedNormal;
    }
}

TCheckState TBaseLeanTree::PressedCheckState(TCheckState State) {
    switch (State) {
    case csUncheckedNormal:
        return csUncheckedPressed;
    case csCheckedNormal:
        return csCheckedPressed;
    case csMixedNormal:
        return csMixedPressed;
    default:
        return State;
    }
}

TCheckState TBaseLeanTree::NormalCheckState(TCheckState State) {
    switch (State) {
    case csUncheckedPressed:
        return csUncheckedNormal;
    case csCheckedPressed:
        return csCheckedNormal;
    case csMixedPressed:
        return csMixedNormal;
    default:
        return State;
    }
}

TCustomImageList* TBaseLeanTree::CheckImagesOfKind(TCheckImageKind Kind) {
    return Kind == ckCustom ? nullptr : CheckImageSet(Kind);
}

void TBaseLeanTree::AdvanceColumnCheckState(TColumnIndex Column) {
    if (!FHeader->IsValidColumn(Column)) return;
    TLeanTreeColumn* C = FHeader->Columns()->Items(Column);
    C->SetCheckState(FollowingCheckState(C->CheckType(), C->CheckState()));
}
