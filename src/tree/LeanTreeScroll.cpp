// Scrolling the tree: the scroll bar messages, the wheel, auto-scrolling at the window's edges
// while a draw selection or a drag runs, and wheel panning. Every move ends in
// ApplyScrollOffset.

#include "platform/gui/Forms.h"
#include "platform/base/Exceptions.h"
#include "platform/gui/ScrollBars.h"
#include "tree/BaseLeanTree.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Wheel panning and wheel scrolling measure from the press with this dead zone.
constexpr int WheelDeadZone = 8;

} // namespace

int TBaseLeanTree::FixedColumnsWidth() const {
    return FHeader->UseColumns() ? FHeader->Columns()->GetVisibleFixedWidth() : 0;
}

// ---- Scroll bars --------------------------------------------------------------------------------

namespace {

// While the window's own bar is dragged its track position holds the whole value; otherwise the
// message's position (16 bits) is the one.
int ThumbTrackPosition(HWND Window, int Bar, const TWMScroll& Message) {
    TScrollInfo Info;
    Info.fMask = SIF_TRACKPOS | SIF_POS;
    if (Window && GetScrollInfo(Window, Bar, Info) && Info.nTrackPos != Info.nPos) return Info.nTrackPos;
    return static_cast<Word>(Message.Pos());
}

} // namespace

void TBaseLeanTree::WMVScroll(TWMVScroll& Message) {
    Message.Result = 0;
    const int Code = Message.ScrollCode();
    if (Code > SB_ENDSCROLL) return;
    const int Increment = FScrollBarOptions->VerticalIncrement();
    switch (Code) {
    case SB_LINEUP:
        SetOffsetY(FOffsetY + Increment);
        break;
    case SB_LINEDOWN:
        SetOffsetY(FOffsetY - Increment);
        break;
    case SB_PAGEUP:
        SetOffsetY(FOffsetY + ClientHeight());
        break;
    case SB_PAGEDOWN:
        SetOffsetY(FOffsetY - ClientHeight());
        break;
    case SB_TOP:
        SetOffsetY(0);
        break;
    case SB_BOTTOM:
        SetOffsetY(-static_cast<int>(FRoot->TotalHeight));
        break;
    case SB_ENDSCROLL:
        DoStateChange({}, {tsThumbTracking});
        UpdateVerticalScrollBar(true);
        UpdateHorizontalScrollBar(true);
        // The frame (header included) is painted with the window.
        InvalidateHeader();
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        DoStateChange({tsThumbTracking});
        const int Track = ThumbTrackPosition(HandleAllocated() ? WindowHandle() : HWND{}, SB_VERT, Message);
        SetOffsetY(-Track);
        break;
    }
    default:
        break;
    }
}

void TBaseLeanTree::WMHScroll(TWMHScroll& Message) {
    Message.Result = 0;
    const int Code = Message.ScrollCode();
    const int Direction = UseRightToLeftAlignment() ? -1 : 1;
    const int Increment = FScrollBarOptions->HorizontalIncrement();
    switch (Code) {
    case SB_LINELEFT:
        SetOffsetX(FOffsetX + Direction * Increment);
        break;
    case SB_LINERIGHT:
        SetOffsetX(FOffsetX - Direction * Increment);
        break;
    case SB_PAGELEFT:
        SetOffsetX(FOffsetX + Direction * (ClientWidth() - FixedColumnsWidth()));
        break;
    case SB_PAGERIGHT:
        SetOffsetX(FOffsetX - Direction * (ClientWidth() - FixedColumnsWidth()));
        break;
    case SB_LEFT:
        SetOffsetX(0);
        break;
    case SB_RIGHT:
        SetOffsetX(-static_cast<int>(FRangeX));
        break;
    case SB_ENDSCROLL:
        DoStateChange({}, {tsThumbTracking});
        UpdateHorizontalScrollBar(true);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        DoStateChange({tsThumbTracking});
        const int Track = ThumbTrackPosition(HandleAllocated() ? WindowHandle() : HWND{}, SB_HORZ, Message);
        if (UseRightToLeftAlignment())
            SetOffsetX(ClientWidth() + Track - static_cast<int>(FRangeX));
        else
            SetOffsetX(-Track);
        break;
    }
    default:
        break;
    }
}

// ---- The wheel ----------------------------------------------------------------------------------

void TBaseLeanTree::CMMouseWheel(TMessage& Message) {
    EndWheelPanning();
    TWMMouseWheel Wheel(Message);
    const TShiftState Shift = KeysToShiftState(Wheel.Keys());
    Message.Result = 1;
    if (DoMouseWheel(Shift, Wheel.WheelDelta(), Wheel.Pos())) return;
    const double Factor = Wheel.WheelDelta() / static_cast<double>(WHEEL_DELTA);
    const UINT Lines = GetWheelScrollLines();
    const bool Ctrl = Shift.Contains(ssCtrl);
    if (static_cast<long long>(FRangeY) > ClientHeight() && !Shift.Contains(ssShift)) {
        double Step;
        if (Ctrl || Lines == WHEEL_PAGESCROLL)
            Step = ClientHeight() * Factor;
        else
            Step = Lines * Factor * static_cast<double>(FDefaultNodeHeight);
        SetOffsetY(FOffsetY + static_cast<int>(std::trunc(Step)));
    } else {
        double Step;
        if (Ctrl)
            Step = (ClientWidth() - FixedColumnsWidth()) * Factor;
        else
            Step = FHeader->Columns()->GetScrollWidth() * static_cast<double>(Lines) * Factor;
        int Delta = static_cast<int>(std::trunc(Step));
        if (UseRightToLeftAlignment()) Delta = -Delta;
        SetOffsetX(FOffsetX + Delta);
    }
}

// ---- Auto-scrolling -----------------------------------------------------------------------------

bool TBaseLeanTree::AutoScrollAllowed() {
    const bool Wheel = FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling);
    const bool Running = FStates.Contains(tsDrawSelPending) || FStates.Contains(tsDrawSelecting) ||
                         FStates.Contains(tsOLEDragging) || FStates.Contains(tsVCLDragging) || Wheel;
    return (Wheel || TreeOptions()->AutoOptions().Contains(toAutoScroll)) && FHeader->States().Empty() &&
           Running;
}

TScrollDirections TBaseLeanTree::AutoScrollDirections(int X, int Y) {
    TScrollDirections Result;
    if (!AutoScrollAllowed()) return Result;
    if (FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling)) {
        const int DX = X - FLastClickPos.X;
        const int DY = Y - FLastClickPos.Y;
        if (DX > WheelDeadZone) Result.Include(sdRight);
        if (DX < -WheelDeadZone) Result.Include(sdLeft);
        if (DY < -WheelDeadZone) Result.Include(sdUp);
        if (DY > WheelDeadZone) Result.Include(sdDown);
        return Result;
    }
    const int Zone = static_cast<int>(FDefaultNodeHeight);
    const int Width = ClientWidth();
    const int Height = ClientHeight();
    if (X < Zone && FEffectiveOffsetX != 0) Result.Include(sdLeft);
    if (X > Width - Zone && Width + FEffectiveOffsetX < static_cast<int>(FRangeX)) Result.Include(sdRight);
    if (Y < Zone && FOffsetY != 0) Result.Include(sdUp);
    if (Y > Height - Zone && Height - FOffsetY < static_cast<int>(FRangeY)) Result.Include(sdDown);
    if (Result.Empty()) {
        FDragScrollStarted = false;
        return Result;
    }
    // Over the drop target the pointer must stay in the zone for a while before it scrolls.
    const bool DropTarget = FStates.Contains(tsOLEDragging) ||
                            (HandleAllocated() && FindDragTarget(ClientToScreen({X, Y}), false) == this);
    if (DropTarget) {
        const UInt64 Now = Timers().Now();
        if (!FDragScrollStarted) {
            FDragScrollStarted = true;
            FDragScrollStart = Now;
        }
        if (Now - FDragScrollStart < FAutoScrollDelay) Result = {};
    }
    return Result;
}

void TBaseLeanTree::UpdateAutoScroll(int X, int Y) {
    FScrollDirections = AutoScrollDirections(X, Y);
    if (FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling)) return;
    const bool Scrolling = FStates.Contains(tsScrollPending) || FStates.Contains(tsScrolling);
    if (!FScrollDirections.Empty()) {
        if (!Scrolling && StartTimer(ScrollTimer, FAutoScrollDelay)) DoStateChange({tsScrollPending});
    } else if (Scrolling) {
        KillTreeTimer(ScrollTimer);
        DoStateChange({}, {tsScrollPending, tsScrolling});
    }
}

void TBaseLeanTree::AutoScrollTick() {
    TPoint P;
    GetCursorPos(P);
    P = ScreenToClient(P);
    const TRect Client = ClientRect();
    const bool Inside = PtInRect(Client, P);
    const bool Wheel = FStates.Contains(tsWheelPanning) || FStates.Contains(tsWheelScrolling);
    const bool DrawSelecting = FStates.Contains(tsDrawSelecting);
    if (DrawSelecting || Inside || Wheel) {
        const int Width = Client.Width();
        const int Height = Client.Height();
        const int StepY = std::min(FScrollBarOptions->VerticalIncrement(), Height);
        const int StepX = FScrollBarOptions->HorizontalIncrement();
        int DeltaX = 0;
        int DeltaY = 0;
        if (FScrollDirections.Contains(sdUp)) {
            if (Wheel)
                DeltaY = FLastClickPos.Y - P.Y - WheelDeadZone;
            else if (Inside)
                DeltaY = StepY;
            else
                DeltaY = StepY * std::abs(P.Y); // faster the further the pointer is above
            if (FOffsetY == 0) FScrollDirections.Exclude(sdUp);
        }
        if (FScrollDirections.Contains(sdDown)) {
            if (Wheel)
                DeltaY = FLastClickPos.Y - P.Y + WheelDeadZone;
            else if (Inside)
                DeltaY = -StepY;
            else
                DeltaY = -StepY * std::abs(P.Y - Height);
            if (Height - FOffsetY == static_cast<int>(FRangeY)) FScrollDirections.Exclude(sdDown);
        }
        if (FScrollDirections.Contains(sdLeft)) {
            if (Wheel)
                DeltaX = FLastClickPos.X - P.X - WheelDeadZone;
            else if (Inside)
                DeltaX = StepX;
            else
                DeltaX = StepX * std::abs(P.X);
            if (FEffectiveOffsetX == 0) FScrollDirections.Exclude(sdLeft);
        }
        if (FScrollDirections.Contains(sdRight)) {
            if (Wheel)
                DeltaX = FLastClickPos.X - P.X + WheelDeadZone;
            else if (Inside)
                DeltaX = -StepX;
            else
                DeltaX = -StepX * std::abs(P.X - Width);
            if (Width + FEffectiveOffsetX == static_cast<int>(FRangeX)) FScrollDirections.Exclude(sdRight);
        }
        if (UseRightToLeftAlignment()) DeltaX = -DeltaX;
        if (DrawSelecting) {
            // The rubber band keeps its anchor in tree coordinates; the rows under it repaint.
            ApplyScrollOffset({FOffsetX + DeltaX, FOffsetY + DeltaY});
            Invalidate();
        } else if (!FStates.Contains(tsOLEDragging)) {
            ApplyScrollOffset({FOffsetX + DeltaX, FOffsetY + DeltaY});
        }
        if (HandleAllocated()) UpdateWindow(WindowHandle());
    }
    if (FScrollDirections.Empty() && !Wheel) {
        KillTreeTimer(ScrollTimer);
        DoStateChange({}, {tsScrollPending, tsScrolling});
    }
}

void TBaseLeanTree::ExpandDropTargetNode() {
    KillTreeTimer(ExpandTimer);
    PLeanNode Node = FDropTargetNode;
    if (Node && HasChildren(Node) && !Node->States.Contains(vsExpanded)) {
        ToggleNode(Node);
        if (HandleAllocated()) UpdateWindow(WindowHandle());
    }
}

// ---- Wheel panning ------------------------------------------------------------------------------

namespace {

// The small window shown at the press point: a frameless tool window of its own that never
// takes the activation; the tree paints it.
class TLeanTreePanningWindow : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomControl::CreateParams(Params);
        Params.Style = WS_POPUP;
        Params.ExStyle = WS_EX_TOOLWINDOW;
        Params.WndParent = 0;
    }
};

// The picture's pixels that are not magenta, row by row.
HRGN RegionOfPicture(TBitmap* Picture) {
    HRGN Region = CreateRectRgn(0, 0, 0, 0);
    TCanvas* C = Picture->Canvas();
    const TColorRef Mask = ColorToRGB(clFuchsia);
    for (int Y = 0; Y < Picture->Height(); ++Y) {
        int X = 0;
        while (X < Picture->Width()) {
            while (X < Picture->Width() && ColorToRGB(C->Pixels(X, Y)) == Mask)
                ++X;
            const int Start = X;
            while (X < Picture->Width() && ColorToRGB(C->Pixels(X, Y)) != Mask)
                ++X;
            if (X > Start) {
                HRGN Run = CreateRectRgn(Start, Y, X, Y + 1);
                CombineRgn(Region, Region, Run, RGN_OR);
                DeleteRgn(Run);
            }
        }
    }
    return Region;
}

} // namespace

void TBaseLeanTree::BeginWheelPanning(TPoint Position) {
    KillTreeTimer(ScrollTimer);
    const bool Wide = static_cast<int>(FRangeX) > ClientWidth();
    const bool Tall = static_cast<int>(FRangeY) > ClientHeight();
    HRGN Region = nullptr;
    if (HandleAllocated()) {
        // The picture first: a failure leaves the tree out of the mode.
        FPanningImage = LeanTreePanningImage(Wide && Tall ? u"LT_MOVEALL" : Wide ? u"LT_MOVEEW" : u"LT_MOVENS");
        ASSERT_MSG(!FPanningImage->Empty(), u"Invalid wheel panning image.");
        Region = RegionOfPicture(FPanningImage.get());
        if (CombineRgn(Region, Region, Region, RGN_COPY) == NULLREGION) {
            DeleteRgn(Region);
            FPanningImage.reset();
            ASSERT_MSG(false, u"Invalid wheel panning image.");
        }
    }
    DoStateChange({tsWheelPanning, tsWheelScrolling});
    FLastClickPos = Position;
    if (Region) {
        FPanningWindow = std::make_unique<TLeanTreePanningWindow>(nullptr);
        TCustomControl* Window = FPanningWindow.get();
        const TPoint Centre = ClientToScreen(Position);
        Window->SetBounds(Centre.X - 16, Centre.Y - 16, 32, 32);
        Window->SetWindowProc([this](TMessage& Message) { PanningWindowHandler(Message); });
        SetWindowRgn(Window->Handle(), Region, false);
        Window->SetVisible(true);
        Window->Invalidate();
        UpdateWindow(WindowHandle());
    }
    SetMouseCapture(true);
    StartTimer(ScrollTimer, 20);
}

void TBaseLeanTree::PanningWindowHandler(TMessage& Message) {
    TCustomControl* Window = FPanningWindow.get();
    if (!Window) return;
    if (Message.Msg == WM_PAINT && FPanningImage) {
        TCanvas* C = Window->Canvas();
        C->Draw(0, 0, FPanningImage.get());
        static_cast<TControlCanvas*>(C)->FreeHandle();
        Message.Result = 0;
        return;
    }
    static_cast<TControl*>(Window)->WndProc(Message);
}

void TBaseLeanTree::UpdatePanningCursor(int X, int Y) {
    const bool Wide = static_cast<int>(FRangeX) > ClientWidth();
    const bool Tall = static_cast<int>(FRangeY) > ClientHeight();
    const int DX = X - FLastClickPos.X;
    const int DY = Y - FLastClickPos.Y;
    const bool Moved = std::abs(DX) > 7 || std::abs(DY) > 7;
    String Name;
    if (Moved && Wide && Tall) {
        const String Vertical = DY < -WheelDeadZone ? u"N" : DY > WheelDeadZone ? u"S" : u"";
        const String Horizontal = DX < -WheelDeadZone ? u"W" : DX > WheelDeadZone ? u"E" : u"";
        if (!Vertical.empty() || !Horizontal.empty()) Name = u"LT_MOVE" + Vertical + Horizontal;
    } else if (Moved && Wide) {
        Name = DX < 0 ? u"LT_MOVEW" : u"LT_MOVEE";
    } else if (Moved && Tall) {
        Name = DY < 0 ? u"LT_MOVEN" : u"LT_MOVES";
    }
    // Not moved (or inside the dead zone): which ways the content can move at all.
    if (Name.empty()) Name = !Wide ? u"LT_MOVENS" : Tall ? u"LT_MOVEALL" : u"LT_MOVEEW";
    // The cursors are shared: one already in use stays, another replaces it.
    const HCURSOR Cursor = LeanTreeCursor(Name);
    if (Cursor == FPanningCursor) return;
    FPanningCursor = Cursor;
    ::SetCursor(Cursor);
}

void TBaseLeanTree::EndWheelPanning() {
    if (!FStates.Contains(tsWheelPanning) && !FStates.Contains(tsWheelScrolling)) return;
    KillTreeTimer(ScrollTimer);
    SetMouseCapture(false);
    DoStateChange({}, {tsWheelPanning, tsWheelScrolling});
    FScrollDirections = {};
    if (FPanningWindow) {
        FPanningWindow->SetWindowProc({});
        FPanningWindow.reset();
    }
    FPanningImage.reset();
    FPanningCursor = 0;
    ::SetCursor(Cursor());
}

int TBaseLeanTree::EffectiveOffsetFor(int OffsetX) const {
    if (!UseRightToLeftAlignment()) return -OffsetX;
    return std::max(0, static_cast<int>(FRangeX) - ClientWidth() + OffsetX);
}

void TBaseLeanTree::SetBiDiMode(TBiDiMode Value) {
    if (FBiDiMode == Value) return;
    FBiDiMode = Value;
    // Columns that follow the tree take the mode over; the content starts at its leading edge.
    for (int I = 0; I < FHeader->Columns()->Count(); ++I)
        FHeader->Columns()->Items(I)->ParentBiDiModeChanged();
    if (TreeOptions()->AutoOptions().Contains(toAutoBidiColumnOrdering))
        FHeader->Columns()->ResetPositionOrder(UseRightToLeftAlignment());
    FOffsetX = 0;
    FEffectiveOffsetX = EffectiveOffsetFor(0);
    UpdateHorizontalScrollBar(false);
    if (HandleAllocated()) Invalidate();
}
