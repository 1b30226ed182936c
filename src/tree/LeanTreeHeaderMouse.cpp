// The header under the mouse: hot and pressed columns, clicks, dragging a column to another
// position, dragging a column's right edge or the header's lower edge, the double clicks that fit
// a column or set the height, the header's menu and cursor. Every press that captures the mouse
// ends on the button's release, on focus loss or on Escape, so no tracking state outlives them.

#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "tree/BaseLeanTree.h"

#include <algorithm>

void RegisterLeanTreeCursors() {
    // The numbers the tree's cursor events hand out, as the standard split cursors.
    if (!Screen) return;
    Screen->SetCursors(crLeanVertSplit, crVSplit);
    Screen->SetCursors(crLeanHeaderSplit, crHSplit);
}

// ---- Columns ----------------------------------------------------------------------------------

bool TLeanTreeColumns::TrackHotColumn(TPoint P) {
    const TColumnIndex Column = ColumnFromPosition(FHeader->HeaderPoint(P), true);
    if (Column == FHoverIndex) return false;
    SetHoverIndex(Column);
    return true;
}

TColumnIndex TLeanTreeColumns::TrackPressedColumn(TPoint P) {
    const TColumnIndex Column = ColumnFromPosition(FHeader->HeaderPoint(P), true);
    if (IsValidColumn(Column) && Column != FDownIndex) {
        const TLTColumnOptions O = Items(Column)->Options();
        if (O.Contains(coAllowClick) && O.Contains(coEnabled)) {
            const TLeanTreeColumn* C = Items(Column);
            const TRect M = FHeader->Treeview()->NonClientMargins();
            FCheckBoxHit =
                C->CheckBox() && C->HasImage() && PtInRect(C->ImageRect(), TPoint{P.X + M.Left, P.Y + M.Top});
            SetDownIndex(Column);
        }
    }
    return Column;
}

void TLeanTreeColumns::ProcessHeaderClick(TPoint P, TMouseButton Button, bool Force, bool DblClick) {
    TBaseLeanTree* T = FHeader->Treeview();
    const TColumnIndex Column = ColumnFromPosition(FHeader->HeaderPoint(P), true);
    TLTHeaderHitInfo Hit;
    Hit.X = P.X;
    Hit.Y = P.Y;
    Hit.Button = Button;
    Hit.Shift = GetShiftState();
    if (DblClick) Hit.Shift.Include(ssDouble);
    Hit.Column = Column;
    if (IsValidColumn(Column) && Items(Column)->Options().Contains(coAllowClick) &&
        (Force || Column == FDownIndex)) {
        FClickIndex = Column;
        const TLeanTreeColumn* C = Items(Column);
        Hit.HitPosition = {hhiOnColumn};
        const TRect M = T->NonClientMargins();
        if (C->HasImage() && PtInRect(C->ImageRect(), TPoint{P.X + M.Left, P.Y + M.Top})) {
            Hit.HitPosition.Include(hhiOnIcon);
            if (C->CheckBox()) {
                Hit.HitPosition.Include(hhiOnCheckbox);
                if (Button == mbLeft) T->AdvanceColumnCheckState(Column);
            }
        }
    } else {
        FClickIndex = ColumnNone;
        Hit.HitPosition = {hhiNoWhere};
    }
    if (FHeader->Options().Contains(hoHeaderClickAutoSort) && Button == mbLeft && !DblClick &&
        !Hit.HitPosition.Contains(hhiOnCheckbox) && IsValidColumn(Hit.Column) &&
        Hit.HitPosition.Contains(hhiOnColumn)) {
        if (Hit.Column == FHeader->SortColumn()) {
            FHeader->SetSortDirection(FHeader->SortDirection() == sdAscending ? sdDescending : sdAscending);
        } else {
            FHeader->FSortDirection = Items(Hit.Column)->DefaultSortDirection();
            FHeader->SetSortColumn(Hit.Column);
        }
    }
    if (DblClick) {
        if (T->OnHeaderDblClick) T->OnHeaderDblClick(FHeader, Hit);
    } else {
        if (T->OnHeaderClick) T->OnHeaderClick(FHeader, Hit);
    }
    if (!Hit.HitPosition.Contains(hhiNoWhere)) FHeader->Invalidate();
}

bool TLeanTreeColumns::CanResizeAtSplitter(TPoint P, TColumnIndex Column) {
    if (!IsValidColumn(Column)) return false;
    const TLTColumnOptions O = Items(Column)->Options();
    bool Allowed = O.Contains(coVisible) && O.Contains(coResizable);
    QueryCanResizeColumn(P, Column, Allowed);
    return Allowed;
}

void TLeanTreeColumns::QueryCanResizeColumn(TPoint P, TColumnIndex Column, bool& Allowed) {
    TBaseLeanTree* T = FHeader->Treeview();
    if (T && T->OnCanSplitterResizeColumn) T->OnCanSplitterResizeColumn(FHeader, P, Column, Allowed);
}

// ---- Header geometry --------------------------------------------------------------------------

bool TLTHeader::InHeader(TPoint P) const {
    if (!FOwner || !FOptions.Contains(hoVisible)) return false;
    const TRect M = FOwner->NonClientMargins();
    TRect R = FOwner->HeaderRect();
    OffsetRect(R, -M.Left, -M.Top);
    return PtInRect(R, P);
}

bool TLTHeader::InHeaderSplitterArea(TPoint P) const {
    if (!FOwner || !FOptions.Contains(hoVisible) || P.Y < -2 || P.Y > 2) return false;
    const TRect M = FOwner->NonClientMargins();
    TRect R = FOwner->HeaderRect();
    OffsetRect(R, -M.Left, -M.Top);
    R.Bottom += 2;
    return PtInRect(R, P);
}

bool TLTHeader::CanResizeAtSplitter(TPoint P) {
    bool Allowed = FOptions.Contains(hoHeightResize);
    if (FOwner && FOwner->OnCanSplitterResizeHeader) FOwner->OnCanSplitterResizeHeader(this, P, Allowed);
    return Allowed;
}

bool TLTHeader::FindSplitterColumn(TPoint P) {
    TLeanTreeColumns* C = FColumns.get();
    C->FTrackIndex = ColumnNone;
    if (!UseColumns() || !FOwner) return false;
    const int FixedWidth = C->GetVisibleFixedWidth();
    const auto& Map = C->PositionToIndex();
    // Right edges from the last position to the first; the hit zone leans to the right.
    for (auto It = Map.rbegin(); It != Map.rend(); ++It) {
        TLeanTreeColumn* Column = C->Items(*It);
        if (!Column->Options().Contains(coVisible)) continue;
        const bool Fixed = Column->Options().Contains(coFixed);
        const int X = Column->Left() + Column->Width();
        if (!Fixed && P.X <= FixedWidth) continue;
        if (X - 3 < P.X && P.X < X + 5 && C->CanResizeAtSplitter(P, *It)) {
            C->FTrackIndex = *It;
            FTrackPoint = {Column->Left(), P.Y};
            return true;
        }
    }
    return false;
}

bool TLTHeader::ColumnSplitterHit(TPoint P) {
    if (!FOptions.Contains(hoColumnResize) || !FindSplitterColumn(P)) return false;
    if (InHeader(P)) return true;
    // Below the header only the edge between the fixed and the scrolling area can be dragged.
    TLeanTreeColumns* C = FColumns.get();
    const TColumnIndex Track = C->TrackIndex();
    const TColumnIndex Next = C->GetNextVisibleColumn(Track);
    return C->Items(Track)->Options().Contains(coFixed) && C->IsValidColumn(Next) &&
           !C->Items(Next)->Options().Contains(coFixed) && P.Y <= static_cast<int>(FOwner->RangeY());
}

// ---- Column drag ------------------------------------------------------------------------------

void TLTHeader::StartColumnDrag(TPoint P, TPoint Start) {
    // The picture that follows the mouse belongs to the drag image support; the header only
    // decides which column moves and where it lands.
    (void)P;
    TLeanTreeColumns* C = FColumns.get();
    C->FDropTarget = ColumnNone;
    C->FDragIndex = C->ColumnFromPosition(HeaderPoint(FOwner->ScreenToClient(Start)), true);
}

void TLTHeader::MoveColumnDrag(TPoint P) {
    TLeanTreeColumns* C = FColumns.get();
    const TColumnIndex Column = C->ColumnFromPosition(HeaderPoint(FOwner->ScreenToClient(P)), true);
    bool Repaint = C->IsValidColumn(Column) && Column != C->FDropTarget;
    if (C->IsValidColumn(Column)) {
        int Left = 0, Right = 0;
        C->GetColumnBounds(Column, Left, Right);
        const bool Before = FOwner->ScreenToClient(P).X < (Left + Right) / 2;
        if (Before != C->FDropBefore) {
            C->FDropBefore = Before;
            Repaint = true;
        }
    }
    if (Repaint) {
        if (C->IsValidColumn(Column) && Column != C->FDropTarget) C->FDropTarget = Column;
        Invalidate();
    }
}

// ---- Messages ---------------------------------------------------------------------------------

TPoint TLTHeader::MessageClientPoint(const TMessage& Message, bool NonClient) const {
    const TPoint P{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    return NonClient ? FOwner->ScreenToClient(P) : P;
}

void TLTHeader::EndHeaderTracking(bool Notify) {
    TBaseLeanTree* T = FOwner;
    TLeanTreeColumns* C = FColumns.get();
    if (FStates.Contains(hsDragging)) {
        ReleaseCapture();
        FStates.Exclude(hsDragging);
        C->FDropTarget = ColumnNone;
        Invalidate();
    } else if (Notify && (FStates.Contains(hsColumnWidthTracking) || FStates.Contains(hsHeightTracking))) {
        ReleaseCapture();
        if (FStates.Contains(hsColumnWidthTracking) && T->OnAfterColumnWidthTracking)
            T->OnAfterColumnWidthTracking(this, C->TrackIndex());
        if (FStates.Contains(hsHeightTracking) && T->OnAfterHeaderHeightTracking)
            T->OnAfterHeaderHeightTracking(this);
    } else if (MouseStateActive()) {
        ReleaseCapture();
    }
    FStates -= THeaderStates{hsColumnWidthTracking, hsColumnWidthTrackPending, hsHeightTracking,
                             hsHeightTrackPending, hsDragPending};
}

bool TLTHeader::HandleHeaderSetCursor(TMessage& Message) {
    TBaseLeanTree* T = FOwner;
    if (T->ComponentState().Contains(csDesigning) || MouseStateActive()) {
        Message.Result = 1;
        return true;
    }
    TPoint P;
    GetCursorPos(P);
    P = T->ScreenToClient(P);
    const bool HeightHit = InHeaderSplitterArea(P) && CanResizeAtSplitter(P);
    const bool ColumnHit = !HeightHit && ColumnSplitterHit(P);
    if (!HeightHit && !ColumnHit) return false;
    RegisterLeanTreeCursors();
    TCursor Cursor = T->Cursor();
    if (HeightHit && FOptions.Contains(hoHeightResize))
        Cursor = crLeanVertSplit;
    else if (ColumnHit)
        Cursor = crLeanHeaderSplit;
    if (T->OnGetHeaderCursor) T->OnGetHeaderCursor(this, Cursor);
    if (Cursor == crDefault || Cursor == crArrow) return false;
    ::SetCursor(Cursor);
    Message.Result = 1;
    return true;
}

bool TLTHeader::HandleHeaderButtonDown(TMessage& Message, bool NonClient) {
    TBaseLeanTree* T = FOwner;
    if (!NonClient && T->ComponentState().Contains(csDesigning)) return false;
    if (Application) Application->CancelHint();
    T->KillTreeTimer(ScrollTimer);
    T->KillTreeTimer(EditTimer);
    T->DoStateChange({}, {tsScrollPending, tsScrolling, tsEditPending});
    const TPoint P = MessageClientPoint(Message, NonClient);
    FDragStart =
        NonClient ? TPoint{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)} : T->ClientToScreen(P);
    const TShiftState Shift =
        NonClient ? GetShiftState() : KeysToShiftState(static_cast<int>(Message.WParam));
    TLeanTreeColumns* C = FColumns.get();
    const THeaderStates Before = FStates;
    const bool HeightHit = InHeaderSplitterArea(P) && CanResizeAtSplitter(P);
    if (HeightHit || ColumnSplitterHit(P)) {
        FTrackStart = P;
        C->SetHoverIndex(ColumnNone);
        if (HeightHit) {
            if (T->OnBeforeHeaderHeightTracking) T->OnBeforeHeaderHeightTracking(this, Shift);
            FStates.Include(hsHeightTrackPending);
        } else {
            if (T->OnBeforeColumnWidthTracking) T->OnBeforeColumnWidthTracking(this, C->TrackIndex(), Shift);
            FStates.Include(hsColumnWidthTrackPending);
        }
    } else if (InHeader(P)) {
        const TColumnIndex Column = C->TrackPressedColumn(P);
        if (FOptions.Contains(hoDrag) && C->IsValidColumn(Column) &&
            C->Items(Column)->Options().Contains(coDraggable))
            FStates.Include(hsDragPending);
    }
    const bool Entered = FStates != Before;
    if (Entered) SetCapture(T->Handle());
    if (InHeader(P) && T->OnHeaderMouseDown) {
        const TPoint H = HeaderPoint(P);
        T->OnHeaderMouseDown(this, mbLeft, Shift, H.X, H.Y);
    }
    if (Entered) Message.Result = 0;
    return Entered;
}

bool TLTHeader::HandleHeaderMouseMove(TMessage& Message) {
    TBaseLeanTree* T = FOwner;
    TLeanTreeColumns* C = FColumns.get();
    const TPoint P{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    const TShiftState Shift = KeysToShiftState(static_cast<int>(Message.WParam));
    if (FStates.Contains(hsColumnWidthTrackPending)) {
        T->KillTreeTimer(HeaderTimer);
        FStates.Exclude(hsColumnWidthTrackPending);
        FStates.Include(hsColumnWidthTracking);
    } else if (FStates.Contains(hsHeightTrackPending)) {
        T->KillTreeTimer(HeaderTimer);
        FStates.Exclude(hsHeightTrackPending);
        FStates.Include(hsHeightTracking);
    } else if (FStates.Contains(hsColumnWidthTracking)) {
        const TColumnIndex Track = C->TrackIndex();
        bool Allowed = true;
        if (T->OnColumnWidthTracking) T->OnColumnWidthTracking(this, Track, Shift, FTrackPoint, P, Allowed);
        if (Allowed && C->IsValidColumn(Track)) {
            TLeanTreeColumn* Column = C->Items(Track);
            const int NewWidth = P.X - FTrackPoint.X;
            const TColumnIndex Neighbour = C->GetNextVisibleColumn(Track);
            if (FOptions.Contains(hoAutoResize) && Track == FAutoSizeIndex && C->IsValidColumn(Neighbour) &&
                C->Items(Neighbour)->Options().Contains(coResizable) && NewWidth > Column->MinWidth() &&
                NewWidth < Column->MaxWidth()) {
                TLeanTreeColumn* Next = C->Items(Neighbour);
                Next->SetWidth(Next->Width() + Column->Width() - NewWidth);
            } else {
                Column->SetWidth(NewWidth);
            }
        }
    } else if (FStates.Contains(hsHeightTracking)) {
        TPoint Q = P;
        bool Allowed = true;
        if (T->OnHeaderHeightTracking) T->OnHeaderHeightTracking(this, Q, Shift, Allowed);
        if (Allowed) SetHeight(FHeight + Q.Y);
    } else if (FStates.Contains(hsDragPending)) {
        const TPoint S = T->ClientToScreen(P);
        bool Allowed = FOptions.Contains(hoDrag);
        if (Allowed && T->OnHeaderDragging) T->OnHeaderDragging(this, C->DownIndex(), Allowed);
        if (!Allowed || (std::abs(S.X - FDragStart.X) <= GetSystemMetrics(SM_CXDRAG) &&
                         std::abs(S.Y - FDragStart.Y) <= GetSystemMetrics(SM_CYDRAG)))
            return false;
        T->KillTreeTimer(HeaderTimer);
        C->SetDownIndex(ColumnNone);
        C->SetHoverIndex(ColumnNone);
        StartColumnDrag(S, FDragStart);
        FStates.Exclude(hsDragPending);
        FStates.Include(hsDragging);
    } else if (FStates.Contains(hsDragging)) {
        MoveColumnDrag(T->ClientToScreen(P));
    } else {
        return false;
    }
    Message.Result = 0;
    return true;
}

bool TLTHeader::HandleHeaderButtonUp(TMessage& Message, bool NonClient) {
    TBaseLeanTree* T = FOwner;
    TLeanTreeColumns* C = FColumns.get();
    if (Application) Application->CancelHint();
    const TPoint P = MessageClientPoint(Message, NonClient);
    const bool HadState = MouseStateActive();
    if (HadState) {
        ReleaseCapture();
        if (FStates.Contains(hsDragging)) {
            const TColumnIndex Dragged = C->DragIndex();
            const TColumnIndex Target = C->DropTarget();
            TRect Window;
            GetWindowRect(T->Handle(), Window);
            const TPoint S = T->ClientToScreen(P);
            if (C->IsValidColumn(Target) && C->IsValidColumn(Dragged) && Target != Dragged &&
                PtInRect(Window, S)) {
                TLeanTreeColumn* Column = C->Items(Dragged);
                const int OldPosition = static_cast<int>(Column->Position());
                const int TargetPosition = static_cast<int>(C->Items(Target)->Position());
                int NewPosition;
                if (C->DropBefore())
                    NewPosition =
                        OldPosition < TargetPosition ? std::max(TargetPosition - 1, 0) : TargetPosition;
                else
                    NewPosition = OldPosition >= TargetPosition ? TargetPosition + 1 : TargetPosition;
                Column->SetPosition(static_cast<TColumnPosition>(NewPosition));
                if (T->OnHeaderDragged) T->OnHeaderDragged(this, Dragged, OldPosition);
            } else if (T->OnHeaderDraggedOut) {
                T->OnHeaderDraggedOut(this, Dragged, S);
            }
            C->FDropTarget = ColumnNone;
            Invalidate();
        }
        Message.Result = 0;
    }
    const TShiftState Shift =
        NonClient ? GetShiftState() : KeysToShiftState(static_cast<int>(Message.WParam));
    const TPoint H = HeaderPoint(P);
    if (NonClient) {
        C->ProcessHeaderClick(P, mbLeft, false, false);
        if (T->OnHeaderMouseUp) T->OnHeaderMouseUp(this, mbLeft, Shift, H.X, H.Y);
    } else {
        if (C->IsValidColumn(C->DownIndex())) C->ProcessHeaderClick(P, mbLeft, false, false);
        if (HadState && T->OnHeaderMouseUp) T->OnHeaderMouseUp(this, mbLeft, Shift, H.X, H.Y);
    }
    if (C->IsValidColumn(C->TrackIndex())) {
        if (FStates.Contains(hsColumnWidthTracking) && T->OnAfterColumnWidthTracking)
            T->OnAfterColumnWidthTracking(this, C->TrackIndex());
        Invalidate();
        C->FTrackIndex = ColumnNone;
    }
    if (C->IsValidColumn(C->DownIndex())) C->SetDownIndex(ColumnNone);
    if (FStates.Contains(hsHeightTracking) && T->OnAfterHeaderHeightTracking)
        T->OnAfterHeaderHeightTracking(this);
    FStates -= MouseStates();
    return HadState;
}

bool TLTHeader::HandleHeaderDoubleClick(TMessage& Message) {
    TBaseLeanTree* T = FOwner;
    TLeanTreeColumns* C = FColumns.get();
    const bool NonClient = Message.Msg != WM_LBUTTONDBLCLK;
    const TPoint P = MessageClientPoint(Message, NonClient);
    const TShiftState Shift =
        NonClient ? GetShiftState() : KeysToShiftState(static_cast<int>(Message.WParam));
    if (FOptions.Contains(hoHeightDblClickResize) && InHeaderSplitterArea(P) && FDefaultHeight > 0) {
        TPoint Q = P;
        bool Allowed = true;
        if (T->OnHeaderHeightDblClickResize) T->OnHeaderHeightDblClickResize(this, Q, Shift, Allowed);
        // The lower edge's double click sets the smallest height, not the default one.
        if (Allowed && FDefaultHeight > 0) SetHeight(FMinHeight);
        Message.Result = 0;
        return true;
    }
    const bool Left = Message.Msg == WM_NCLBUTTONDBLCLK || Message.Msg == WM_LBUTTONDBLCLK;
    if (Left && FOptions.Contains(hoDblClickResize) && ColumnSplitterHit(P) &&
        C->IsValidColumn(C->TrackIndex())) {
        const TColumnIndex Track = C->TrackIndex();
        bool Allowed = true;
        if (T->OnColumnWidthDblClickResize) T->OnColumnWidthDblClickResize(this, Track, Shift, P, Allowed);
        if (Allowed) {
            const int Position = static_cast<int>(C->Items(Track)->Position());
            AutoFitColumns(true, smaUseColumnOption, Position, Position);
        }
        Message.Result = 0;
        return true;
    }
    if (InHeader(P) && Message.Msg != WM_LBUTTONDBLCLK) {
        const TMouseButton Button = Message.Msg == WM_NCRBUTTONDBLCLK   ? mbRight
                                    : Message.Msg == WM_NCMBUTTONDBLCLK ? mbMiddle
                                                                        : mbLeft;
        if (Button == mbLeft) C->TrackPressedColumn(P);
        C->ProcessHeaderClick(P, Button, true, true);
    }
    return false;
}

bool TLTHeader::HandleHeaderMessage(TMessage& Message) {
    TBaseLeanTree* T = FOwner;
    if (!T) return false;
    TLeanTreeColumns* C = FColumns.get();
    switch (Message.Msg) {
    case WM_SIZE:
        if (T->TreeStates().Contains(tsWindowCreating)) return false;
        if (FOptions.Contains(hoAutoResize) && !FStates.Contains(hsAutoSizing)) {
            C->FitAutoSizeColumn(ColumnNotFound, false);
            Invalidate();
        } else if (!FStates.Contains(hsScaling)) {
            ApplyFixedAreaConstraints();
            Invalidate();
        }
        return false;
    case WM_KEYDOWN:
        if (Message.WParam != VK_ESCAPE) return false;
        [[fallthrough]];
    case WM_KILLFOCUS: {
        const bool Running = FStates.Contains(hsDragging) || FStates.Contains(hsColumnWidthTracking) ||
                             FStates.Contains(hsHeightTracking);
        EndHeaderTracking(true);
        if (!Running) return false;
        Message.Result = 0;
        return true;
    }
    case WM_SETCURSOR:
        return HandleHeaderSetCursor(Message);
    case WM_NCMOUSEMOVE: {
        const TPoint P = MessageClientPoint(Message, true);
        const TPoint H = HeaderPoint(P);
        if (T->OnHeaderMouseMove) T->OnHeaderMouseMove(this, GetShiftState(), H.X, H.Y);
        if (InHeader(P) && (C->TrackHotColumn(P) ||
                            (C->IsValidColumn(C->DownIndex()) && C->DownIndex() != C->HoverIndex()))) {
            T->StartTimer(HeaderTimer, 50);
            if (FOptions.Contains(hoShowHint) && Application) {
                TMessage Hint{WM_MOUSEMOVE, 0, PointToLParam(H), 0};
                Application->HintMouseMessage(T, Hint);
            }
        }
        return false;
    }
    case WM_TIMER:
        if (Message.WParam != HeaderTimer) return false;
        {
            TPoint P;
            GetCursorPos(P);
            P = T->ScreenToClient(P);
            if (!InHeader(P) || (C->IsValidColumn(C->DownIndex()) && C->DownIndex() != C->HoverIndex())) {
                T->KillTreeTimer(HeaderTimer);
                C->FHoverIndex = C->FClickIndex = C->FDownIndex = ColumnNone;
                C->FCheckBoxHit = false;
                Invalidate();
            }
        }
        Message.Result = 0;
        return true;
    case WM_NCLBUTTONDOWN:
        return HandleHeaderButtonDown(Message, true);
    case WM_LBUTTONDOWN:
        return HandleHeaderButtonDown(Message, false);
    case WM_MOUSEMOVE:
        return HandleHeaderMouseMove(Message);
    case WM_NCLBUTTONUP:
        return HandleHeaderButtonUp(Message, true);
    case WM_LBUTTONUP:
        return HandleHeaderButtonUp(Message, false);
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN: {
        const TPoint P = MessageClientPoint(Message, true);
        if (InHeader(P) && T->OnHeaderMouseDown) {
            const TPoint H = HeaderPoint(P);
            T->OnHeaderMouseDown(this, Message.Msg == WM_NCRBUTTONDOWN ? mbRight : mbMiddle, GetShiftState(),
                                 H.X, H.Y);
        }
        return false;
    }
    case WM_NCRBUTTONUP: {
        if (T->ComponentState().Contains(csDesigning)) return false;
        if (Application) Application->CancelHint();
        const TPoint S{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        const TPoint P = T->ScreenToClient(S);
        if (!InHeader(P)) return false;
        C->ProcessHeaderClick(P, mbRight, true, false);
        const TPoint H = HeaderPoint(P);
        if (T->OnHeaderMouseUp) T->OnHeaderMouseUp(this, mbRight, GetShiftState(), H.X, H.Y);
        C->FDownIndex = C->FTrackIndex = ColumnNone;
        C->FCheckBoxHit = false;
        TPopupMenu* Menu = FPopupMenu;
        if (!Menu) Menu = T->DoGetPopupMenu(nullptr, C->ColumnFromPosition(H, true), H);
        if (!Menu) return false;
        T->KillTreeTimer(ScrollTimer);
        T->KillTreeTimer(HeaderTimer);
        C->SetHoverIndex(ColumnNone);
        T->DoStateChange({}, {tsScrollPending, tsScrolling});
        Menu->SetPopupComponent(T);
        Menu->Popup(S.X, S.Y);
        Message.Result = 0;
        return true;
    }
    case WM_NCMBUTTONUP: {
        const TPoint P = MessageClientPoint(Message, true);
        if (!InHeader(P)) return false;
        C->ProcessHeaderClick(P, mbMiddle, true, false);
        const TPoint H = HeaderPoint(P);
        if (T->OnHeaderMouseUp) T->OnHeaderMouseUp(this, mbMiddle, GetShiftState(), H.X, H.Y);
        C->FDownIndex = ColumnNone;
        C->FCheckBoxHit = false;
        return false;
    }
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDBLCLK:
    case WM_LBUTTONDBLCLK:
        return HandleHeaderDoubleClick(Message);
    case CM_PARENTFONTCHANGED:
        if (FParentFont) FFont->Assign(T->Font());
        return false;
    default:
        return false;
    }
}
