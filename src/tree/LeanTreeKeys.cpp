// The tree at the keyboard: the arrow and page keys move the focus (Shift extends the selection,
// Ctrl scrolls instead), + - * / expand and collapse, the space bar works check boxes on its
// release, F2 starts an edit, and printable keys go to the incremental search.

#include "platform/gui/Forms.h"
#include "tree/BaseLeanTree.h"

#include <algorithm>

namespace {

bool IsNavigationKey(Word Key) {
    switch (Key) {
    case VK_BACK:
    case VK_TAB:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        return true;
    default:
        return false;
    }
}

// The four characters of the main keyboard that act like their keypad keys.
Word KeypadEquivalent(Word Key, TShiftState Shift) {
    const bool Shifted = Shift.Contains(ssShift);
    if (Key == VK_OEM_PLUS && Shifted) return VK_ADD;
    if (Key == VK_OEM_MINUS && !Shifted) return VK_SUBTRACT;
    if (Key == '8' && Shifted) return VK_MULTIPLY;
    if (Key == VK_OEM_2 && !Shifted) return VK_DIVIDE;
    return Key;
}

} // namespace

void TBaseLeanTree::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (FWantTabs) Message.Result |= DLGC_WANTTAB;
}

void TBaseLeanTree::WMKeyDown(TWMKeyDown& Message) {
    // A key ends the wheel's scroll mode (the pointer is free again); the key then does its own.
    EndWheelPanning();
    if (DoKeyDown(Message)) return;
    Word CharCode = Message.CharCode();
    TShiftState Shift = KeyDataToShiftState(Message.KeyData());
    if (!DoKeyAction(CharCode, Shift)) return;
    if (FStates.Contains(tsKeyCheckPending) && CharCode != VK_SPACE) {
        // Another key while the space bar holds a box down: the box comes back up unchanged.
        DoStateChange({}, {tsKeyCheckPending});
        if (FCheckNode) {
            FCheckNode->CheckState = NormalCheckState(FCheckNode->CheckState);
            InvalidateNode(FCheckNode);
        }
        FCheckNode = nullptr;
    }
    if (IsNavigationKey(CharCode) && FRoot->ChildCount > 0)
        HandleNavigationKey(CharCode, Shift);
    else
        HandleOtherKey(CharCode, Shift);
}

void TBaseLeanTree::HandleNavigationKey(Word CharCode, TShiftState Shift) {
    const TLTSelectionOptions Selection = TreeOptions()->SelectionOptions();
    const bool GridExtensions = TreeOptions()->MiscOptions().Contains(toGridExtensions);
    const bool Editing = FStates.Contains(tsEditing);
    const bool ExtendSelection = Shift.Contains(ssShift) && Selection.Contains(toMultiSelect) && !Editing;
    bool AddRange =
        ExtendSelection && !Editing &&
        (CharCode == VK_PRIOR || CharCode == VK_NEXT || CharCode == VK_END || CharCode == VK_HOME);
    const bool NeedInvalidate = AddRange || FSelectionCount > 1;
    const bool ClearSelectionFirst = Shift.Empty() || (GridExtensions && !Shift.Contains(ssShift)) ||
                                     !Selection.Contains(toMultiSelect) || CharCode == VK_BACK ||
                                     CharCode == VK_TAB;
    PLeanNode LastFocused = FFocusedNode;
    if (!LastFocused && !Shift.Empty()) LastFocused = GetFirstVisible();
    if (!FRangeAnchor) FRangeAnchor = FSelectionCount > 0 ? GetFirstSelected() : GetFirst();

    const bool Ctrl = Shift == TShiftState{ssCtrl};
    PLeanNode Target = nullptr; // the node the focus goes to
    const int PageHeight = ClientHeight();
    switch (CharCode) {
    case VK_HOME:
    case VK_END: {
        const bool First = (CharCode == VK_HOME) != UseRightToLeftReading();
        TLeanTreeColumns* Columns = FHeader->Columns();
        TColumnIndex Column = ColumnNone;
        if (FHeader->UseColumns()) {
            Column = First ? Columns->GetFirstVisibleColumn() : Columns->GetLastVisibleColumn();
            while (Column >= 0 && !DoFocusChanging(FFocusedNode, FFocusedNode, FFocusedColumn, Column))
                Column =
                    First ? Columns->GetNextVisibleColumn(Column) : Columns->GetPreviousVisibleColumn(Column);
            if (Column < ColumnNone) break;
        }
        Target = First ? GetFirstVisible() : GetLastVisible();
        if (Ctrl && !GridExtensions) {
            ScrollIntoView(Target, Selection.Contains(toCenterScrollIntoView),
                           !TreeOptions()->AutoOptions().Contains(toDisableAutoscrollOnFocus));
            SetOffsetX(CharCode == VK_HOME && !UseRightToLeftReading() ? 0 : -static_cast<int>(FRangeX));
            Target = nullptr;
            break;
        }
        if (GridExtensions && !Shift.Contains(ssCtrl)) Target = nullptr;
        if (GridExtensions && !Selection.Contains(toFullRowSelect) && Column != FFocusedColumn) {
            InvalidateColumn(FFocusedColumn);
            FFocusedColumn = Column;
            InvalidateColumn(Column);
            if (FFocusedNode) InvalidateNode(FFocusedNode);
        }
        break;
    }
    case VK_PRIOR:
    case VK_NEXT: {
        const bool Up = CharCode == VK_PRIOR;
        if (Shift.Contains(ssCtrl) && Shift.Contains(ssShift)) {
            SetOffsetX(FOffsetX + (Up ? 1 : -1) * ClientWidth());
        } else if (Shift.Contains(ssShift) && Shift.Contains(ssAlt)) {
            PageColumn(Up);
        } else if (Ctrl) {
            SetOffsetY(FOffsetY + (Up ? 1 : -1) * PageHeight);
        } else if (!Shift.Contains(ssAlt)) {
            PLeanNode Node = FFocusedNode ? FFocusedNode : (Up ? GetFirstVisible() : GetLastVisible());
            int Passed = Node ? NodeHeight(Node) : 0;
            for (PLeanNode Step = Node; Step;) {
                Step = Up ? GetPreviousVisible(Step) : GetNextVisible(Step);
                if (!Step) break;
                Passed += NodeHeight(Step);
                if (Passed >= PageHeight) break;
                Node = Step;
            }
            Target = Node;
        }
        break;
    }
    case VK_UP:
    case VK_DOWN: {
        const bool Up = CharCode == VK_UP;
        if (Shift.Contains(ssCtrl)) {
            SetOffsetY(FOffsetY + (Up ? 1 : -1) * static_cast<int>(FDefaultNodeHeight));
            break;
        }
        if (FFocusedNode)
            Target = Up ? GetPreviousVisible(FFocusedNode) : GetNextVisible(FFocusedNode);
        else
            Target = Up ? GetLastVisible() : GetFirstVisible();
        if (!Target) {
            if (FFocusedNode) InvalidateNode(FFocusedNode);
            break;
        }
        EndCellEdit();
        // Moving back toward the anchor shrinks the range.
        if (ExtendSelection && LastFocused && FRangeAnchor &&
            CompareNodeOrder(LastFocused, FRangeAnchor, false) * (Up ? 1 : -1) > 0)
            RemoveFromSelection(FFocusedNode);
        if (FFocusedColumn == ColumnNone) FFocusedColumn = FHeader->MainColumn();
        break;
    }
    case VK_LEFT:
    case VK_RIGHT: {
        const bool Left = CharCode == VK_LEFT;
        const int Direction = UseRightToLeftReading() ? -1 : 1;
        if (Shift.Contains(ssCtrl)) {
            SetOffsetX(FOffsetX + (Left ? Direction : -Direction) * FHeader->Columns()->GetScrollWidth());
            break;
        }
        if (Selection.Contains(toExtendedFocus) && GridExtensions) {
            TLeanTreeColumns* Columns = FHeader->Columns();
            const TColumnIndex Column = Left ? Columns->GetPreviousVisibleColumn(FFocusedColumn, true)
                                             : Columns->GetNextVisibleColumn(FFocusedColumn, true);
            if (Column >= 0) SetFocusedColumn(Column);
            break;
        }
        if (!FFocusedNode) {
            Target = GetFirstVisible();
            break;
        }
        if (Left) {
            if (FFocusedNode->States.Contains(vsExpanded) && HasChildren(FFocusedNode) && Shift.Empty()) {
                ToggleNode(FFocusedNode);
            } else if (FFocusedNode->Parent != FRoot) {
                Target = FFocusedNode->Parent;
                if (ExtendSelection) {
                    if (FFocusedNode->Index > 0)
                        AddRange = true;
                    else if (FRangeAnchor && CompareNodeOrder(Target, FRangeAnchor, false) > 0)
                        RemoveFromSelection(FFocusedNode);
                }
            }
        } else {
            if (!FFocusedNode->States.Contains(vsExpanded) && HasChildren(FFocusedNode) && Shift.Empty()) {
                ToggleNode(FFocusedNode);
            } else if (PLeanNode Child = GetFirstVisibleChild(FFocusedNode)) {
                Target = Child;
                if (ExtendSelection && FRangeAnchor && CompareNodeOrder(Child, FRangeAnchor, false) < 0)
                    RemoveFromSelection(FFocusedNode);
            }
        }
        break;
    }
    case VK_BACK:
        if (FStates.Contains(tsIncrementalSearching)) {
            DoStateChange({tsIncrementalSearchPending});
            return;
        }
        if (FFocusedNode && FFocusedNode->Parent != FRoot) Target = FFocusedNode->Parent;
        break;
    case VK_TAB:
        if (Selection.Contains(toExtendedFocus) && FHeader->UseColumns()) TabToCell(!Shift.Contains(ssShift));
        break;
    default:
        break;
    }

    const bool Moved = Target && Target != FFocusedNode;
    if (Moved) SetFocusedNode(Target);
    const bool FocusMoved = FFocusedNode != LastFocused;
    bool Cleared = false;
    if (ClearSelectionFirst && (FocusMoved || FSelectionCount != 1)) {
        ClearSelection();
        Cleared = true;
    }
    if (Shift.Empty()) {
        FRangeAnchor = FFocusedNode;
        FLastSelectionLevel = FFocusedNode ? static_cast<int>(GetNodeLevel(FFocusedNode)) : -1;
    }
    if (FFocusedNode) {
        if (AddRange && LastFocused) ToggleRangeSelection(LastFocused, FFocusedNode);
        if (FocusMoved || Cleared) AddToSelection(FFocusedNode);
        if (FocusMoved)
            ScrollIntoView(FFocusedNode, Selection.Contains(toCenterScrollIntoView),
                           !TreeOptions()->AutoOptions().Contains(toDisableAutoscrollOnFocus));
    }
    if (NeedInvalidate) Invalidate();
}

void TBaseLeanTree::HandleOtherKey(Word CharCode, TShiftState Shift) {
    const Word Key = KeypadEquivalent(CharCode, Shift);
    const bool Searching = FStates.Contains(tsIncrementalSearching);
    const bool Ctrl = Shift.Contains(ssCtrl);
    bool ToSearch = false;
    switch (Key) {
    case VK_ADD:
        if (Searching)
            ToSearch = true;
        else if (Ctrl && Shift.Contains(ssShift) &&
                 !TreeOptions()->MiscOptions().Contains(toReverseFullExpandHotKey))
            FullExpand();
        else if (Ctrl)
            FHeader->AutoFitColumns(true, smaUseColumnOption);
        else if (FFocusedNode && !Expanded(FFocusedNode))
            ToggleNode(FFocusedNode);
        break;
    case VK_SUBTRACT:
        if (Searching)
            ToSearch = true;
        else if (Ctrl && Shift.Contains(ssShift) &&
                 !TreeOptions()->MiscOptions().Contains(toReverseFullExpandHotKey))
            FullCollapse();
        else if (Ctrl)
            FHeader->RestoreColumns();
        else if (FFocusedNode && Expanded(FFocusedNode))
            ToggleNode(FFocusedNode);
        break;
    case VK_MULTIPLY:
        if (Searching)
            ToSearch = true;
        else if (FFocusedNode)
            FullExpand(FFocusedNode);
        break;
    case VK_DIVIDE:
        if (Searching)
            ToSearch = true;
        else if (FFocusedNode)
            FullCollapse(FFocusedNode);
        break;
    case VK_ESCAPE:
        if (FStates.Contains(tsDrawSelPending) || FStates.Contains(tsDrawSelecting)) {
            DoStateChange({}, {tsDrawSelPending, tsDrawSelecting});
            Invalidate();
        } else {
            CancelCellEdit();
        }
        break;
    case VK_SPACE:
        if (TreeOptions()->MiscOptions().Contains(toCheckSupport) && FFocusedNode &&
            FFocusedNode->CheckType != ctNone) {
            if (!FStates.Contains(tsKeyCheckPending) && !FStates.Contains(tsMouseCheckPending) &&
                !FFocusedNode->States.Contains(vsDisabled)) {
                TCheckState NewState = FollowingCheckState(FFocusedNode->CheckType, FFocusedNode->CheckState);
                if (DoChecking(FFocusedNode, NewState)) {
                    DoStateChange({tsKeyCheckPending});
                    FCheckNode = FFocusedNode;
                    FPendingCheckState = NewState;
                    FCheckNode->CheckState = PressedCheckState(FCheckNode->CheckState);
                    InvalidateNode(FCheckNode);
                }
            }
        } else {
            ToSearch = true;
        }
        break;
    case 'A':
        if (Ctrl)
            SelectAll(true);
        else
            ToSearch = true;
        break;
    case VK_F2:
        if (Shift.Empty() && FFocusedNode) {
            bool Allowed = TreeOptions()->MiscOptions().Contains(toEditable);
            if (Allowed) DoEditing(FFocusedNode, FFocusedColumn, Allowed);
            if (Allowed) {
                FEditColumn = FFocusedColumn;
                BeginCellEdit();
            }
        }
        break;
    case VK_APPS:
        if (FFocusedNode) {
            const TRect R = GetDisplayRect(FFocusedNode, FFocusedColumn, true);
            int Width = QueryNodeContentWidth(FFocusedNode, FFocusedColumn);
            int Left = 0, Right = ClientWidth();
            if (FHeader->ColumnBounds(FFocusedColumn, Left, Right))
                Width = std::min(Width, Right - Left);
            else
                Width = std::min(Width, ClientWidth());
            ShowNodePopupMenu(FFocusedNode, FFocusedColumn, {R.Left + Width / 2, (R.Top + R.Bottom) / 2});
        }
        break;
    case VK_F1:
        ShowHelpContext();
        break;
    default:
        ToSearch = !Shift.Contains(ssAlt) && !Ctrl && Key >= 32;
        break;
    }
    if (ToSearch) DoStateChange({tsIncrementalSearchPending});
}

void TBaseLeanTree::PageColumn(bool Back) {
    TLeanTreeColumns* Columns = FHeader->Columns();
    if (!FHeader->UseColumns()) return;
    TColumnIndex Column =
        FHeader->IsValidColumn(FFocusedColumn) ? FFocusedColumn : Columns->GetFirstVisibleColumn();
    if (Column < 0) return;
    // Whole columns until a client width is passed, not into the fixed area.
    int Passed = Columns->GetVisibleFixedWidth();
    for (;;) {
        const TColumnIndex Next =
            Back ? Columns->GetPreviousVisibleColumn(Column) : Columns->GetNextVisibleColumn(Column);
        if (Next < 0 || Columns->Items(Next)->Options().Contains(coFixed)) break;
        Passed += Columns->Items(Next)->Width();
        if (Passed >= ClientWidth()) break;
        Column = Next;
    }
    SetFocusedColumn(Column);
}

void TBaseLeanTree::TabToCell(bool Forward) {
    TLeanTreeColumns* Columns = FHeader->Columns();
    PLeanNode Node = FFocusedNode;
    TColumnIndex Column = FFocusedColumn;
    bool RowStart = !Columns->IsValidColumn(Column);
    while (Node) {
        if (RowStart)
            Column = Forward ? Columns->GetFirstVisibleColumn(true) : Columns->GetLastVisibleColumn(true);
        else
            Column = Forward ? Columns->GetNextVisibleColumn(Column, true)
                             : Columns->GetPreviousVisibleColumn(Column, true);
        RowStart = false;
        if (Column >= 0) {
            if (DoFocusChanging(FFocusedNode, Node, FFocusedColumn, Column)) {
                FocusCell(Node, Column);
                return;
            }
            continue;
        }
        // The row has no further cell: on to the next row's first (or the previous row's last).
        Node = Forward ? GetNextVisible(Node) : GetPreviousVisible(Node);
        RowStart = true;
    }
}

void TBaseLeanTree::ShowHelpContext() {
    if (!OnGetHelpContext) return;
    int Context = 0;
    for (PLeanNode Node = FFocusedNode; Node && Node != FRoot && Context == 0; Node = Node->Parent)
        OnGetHelpContext(this, Node, std::max(FFocusedColumn, 0), Context);
    for (TControl* Control = this; Control && Context == 0; Control = Control->Parent())
        Context = Control->HelpContext();
    constexpr Word HelpContextCommand = 1;
    if (Context != 0 && Application) Application->HelpCommand(HelpContextCommand, Context);
}

void TBaseLeanTree::WMSysKeyDown(TWMKeyDown& Message) {
    // Shift+Alt with the page keys moves the focused column a page.
    const Word Key = Message.CharCode();
    const TShiftState Shift = KeyDataToShiftState(Message.KeyData());
    if ((Key == VK_PRIOR || Key == VK_NEXT) && Shift.Contains(ssAlt) && Shift.Contains(ssShift)) {
        WMKeyDown(Message);
        return;
    }
    TCustomControl::WMSysKeyDown(Message);
}

void TBaseLeanTree::WMChar(TWMChar& Message) {
    if (FStates.Contains(tsIncrementalSearchPending)) {
        IncrementalSearchStep(Message.CharCode());
        DoStateChange({}, {tsIncrementalSearchPending});
    }
    TCustomControl::WMChar(Message);
}

void TBaseLeanTree::WMKeyUp(TWMKeyUp& Message) {
    TCustomControl::WMKeyUp(Message);
    const Word CharCode = Message.CharCode();
    if (CharCode == VK_TAB && !FFocusedNode) {
        SetFocusedNode(GetFirstVisible());
    } else if (CharCode == VK_SPACE && FStates.Contains(tsKeyCheckPending)) {
        DoStateChange({}, {tsKeyCheckPending});
        if (PLeanNode Node = FCheckNode) {
            FCheckNode = nullptr;
            if (Node == FFocusedNode)
                ApplyCheckClick(Node, FPendingCheckState);
            else
                Node->CheckState = NormalCheckState(Node->CheckState);
            InvalidateNode(Node);
        }
    }
}
