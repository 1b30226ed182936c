#include "platform/gui/Controls.h"

#include "platform/base/Math.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/ControlsQt.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/GraphicsQt.h"
#include "platform/gui/Imm.h"
#include "platform/gui/MessagesPrivate.h"
#include "platform/gui/ScrollBarsPrivate.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWindow>

#include <algorithm>

namespace {

// The control the pointer is over (graphic controls too) and the one holding the capture.
TControl* GMouseControl = nullptr;
TControl* GCaptureControl = nullptr;

TControl* WinParentOrSelf(TControl* C) {
    return dynamic_cast<TWinControl*>(C) ? C : C->Parent();
}

} // namespace

// ---- Drag manager ---------------------------------------------------------------------------------

struct TDragManager {
    TControl* Source = nullptr;
    TDragObject* Object = nullptr;
    bool OwnsObject = false;
    bool Started = false;
    int Threshold = 5;
    TPoint StartPos; // screen
    TControl* Target = nullptr;
    bool Accepted = false;

    static TDragManager& Get() {
        static TDragManager M;
        return M;
    }
    bool Active() const { return Source != nullptr; }

    LRESULT SendDrag(TControl* To, TDragMessage Msg, const TPoint& Screen) {
        TDragRec Rec{Screen, Object, To};
        return To->Perform(CM_DRAG, static_cast<WPARAM>(Msg), reinterpret_cast<LPARAM>(&Rec));
    }

    void Begin(TControl* ASource, bool Immediate, int AThreshold) {
        if (Active()) return;
        Source = ASource;
        Threshold = AThreshold < 0 ? 5 : AThreshold;
        GetCursorPos(StartPos);
        Started = false;
        Target = nullptr;
        Accepted = false;
        SetCaptureControl(Source);
        if (Immediate) Start();
    }

    void Start() {
        Started = true;
        TDragObject* Custom = nullptr;
        Source->DoStartDrag(Custom);
        if (!Active()) return;
        if (Custom) {
            Object = Custom;
            OwnsObject = false;
        } else {
            Object = new TDragControlObject(Source);
            OwnsObject = true;
        }
        TPoint P;
        GetCursorPos(P);
        MoveTo(P);
    }

    void MoveTo(const TPoint& Screen) {
        if (!Started) {
            if (std::abs(Screen.X - StartPos.X) < Threshold && std::abs(Screen.Y - StartPos.Y) < Threshold)
                return;
            Start();
            return;
        }
        Object->FDragPos = Screen;
        TControl* NewTarget = FindDragTarget(Screen, false);
        if (NewTarget != Target) {
            if (Target) SendDrag(Target, dmDragLeave, Screen);
            Target = NewTarget;
            Accepted = Target && SendDrag(Target, dmDragEnter, Screen) != 0;
        } else if (Target) {
            Accepted = SendDrag(Target, dmDragMove, Screen) != 0;
        }
        const TPoint Local = Target ? Target->ScreenToClient(Screen) : Screen;
        ::SetCursor(Object->GetDragCursor(Accepted, Local.X, Local.Y));
    }

    void Finish(bool Drop) {
        if (!Active()) return;
        TControl* S = Source;
        TPoint P;
        GetCursorPos(P);
        TControl* T = Target;
        const bool Dropping = Drop && Started && T && Accepted;
        TDragObject* O = Object;
        bool Owns = OwnsObject;
        Source = nullptr;
        Object = nullptr;
        Target = nullptr;
        if (GetCaptureControl() == S) SetCaptureControl(nullptr);
        if (Started) {
            if (O) {
                O->FCancelling = !Dropping;
                O->FDropped = Dropping;
            }
            if (T && !Dropping) {
                TDragRec Rec{P, O, T};
                T->Perform(CM_DRAG, dmDragLeave, reinterpret_cast<LPARAM>(&Rec));
            }
            if (Dropping) {
                TDragRec Rec{P, O, T};
                T->Perform(CM_DRAG, dmDragDrop, reinterpret_cast<LPARAM>(&Rec));
            }
            const TPoint Local = Dropping ? T->ScreenToClient(P) : TPoint{0, 0};
            S->DoEndDrag(Dropping ? static_cast<TObject*>(T) : nullptr, Local.X, Local.Y);
        }
        if (Owns) delete O;
        ::SetCursor(crDefault);
    }

    void Forget(TControl* C) {
        if (Target == C) Target = nullptr;
        if (Source == C) {
            if (OwnsObject) delete Object;
            Source = nullptr;
            Object = nullptr;
        }
    }
};

// Entry points for the event translation (ControlsQt.cpp).
bool DragInProgress() {
    return TDragManager::Get().Active();
}
void DragMouseMove(const TPoint& Screen) {
    TDragManager::Get().MoveTo(Screen);
}
void DragMouseUp() {
    TDragManager::Get().Finish(true);
}
void DragCancel() {
    TDragManager::Get().Finish(false);
}

void SetMouseControl(TControl* Control) {
    if (GMouseControl == Control) return;
    TControl* Old = GMouseControl;
    GMouseControl = Control;
    if (Old) Old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Old));
    if (Control && GMouseControl == Control)
        Control->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Control));
}

TControl* GetMouseControl() {
    return GMouseControl;
}

TControl* GetCaptureControl() {
    if (GCaptureControl) {
        TControl* W = WinParentOrSelf(GCaptureControl);
        auto* Win = static_cast<TWinControl*>(W);
        if (!Win || !Win->HandleAllocated() || GetCapture() != Win->WindowHandle()) GCaptureControl = nullptr;
    }
    if (!GCaptureControl) return FindControl(GetCapture());
    return GCaptureControl;
}

void SetCaptureControl(TControl* Control) {
    if (!Control) {
        GCaptureControl = nullptr;
        ReleaseCapture();
        return;
    }
    auto* W = static_cast<TWinControl*>(WinParentOrSelf(Control));
    if (!W) return;
    GCaptureControl = Control;
    if (W->HandleAllocated()) SetCapture(W->WindowHandle());
}

// ---- TSizeConstraints -----------------------------------------------------------------------------

void TSizeConstraints::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TSizeConstraints*>(Source)) {
        FMinWidth = S->FMinWidth;
        FMaxWidth = S->FMaxWidth;
        FMinHeight = S->FMinHeight;
        FMaxHeight = S->FMaxHeight;
        Change();
        return;
    }
    TPersistent::Assign(Source);
}

namespace {
void SetLimit(int& Field, int Value, int& Other, bool OtherIsMax) {
    if (Value < 0) Value = 0;
    Field = Value;
    // A minimum above the maximum lifts the maximum, and the other way round.
    if (Value > 0 && Other > 0) {
        if (OtherIsMax && Other < Value) Other = Value;
        if (!OtherIsMax && Other > Value) Other = Value;
    }
}
} // namespace

void TSizeConstraints::SetMinWidth(int Value) {
    if (Value == FMinWidth) return;
    SetLimit(FMinWidth, Value, FMaxWidth, true);
    Change();
}
void TSizeConstraints::SetMaxWidth(int Value) {
    if (Value == FMaxWidth) return;
    SetLimit(FMaxWidth, Value, FMinWidth, false);
    Change();
}
void TSizeConstraints::SetMinHeight(int Value) {
    if (Value == FMinHeight) return;
    SetLimit(FMinHeight, Value, FMaxHeight, true);
    Change();
}
void TSizeConstraints::SetMaxHeight(int Value) {
    if (Value == FMaxHeight) return;
    SetLimit(FMaxHeight, Value, FMinHeight, false);
    Change();
}

void TSizeConstraints::Change() {
    if (OnChange) OnChange(this);
}

TPersistent* TSizeConstraints::GetOwner() const {
    return FControl;
}

void TSizeConstraints::Published(TPublisher<TSizeConstraints>& P) {
    P.Property(u"MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight).Default(0);
    P.Property(u"MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth).Default(0);
    P.Property(u"MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight).Default(0);
    P.Property(u"MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth).Default(0);
}

// ---- Drag objects -----------------------------------------------------------------------------

TCursor TDragObject::GetDragCursor(bool Accepted, int, int) {
    return Accepted ? crDrag : crNoDrop;
}

TCursor TDragControlObject::GetDragCursor(bool Accepted, int, int) {
    return Accepted ? (FControl ? FControl->DragCursor() : crDrag) : crNoDrop;
}

TObject* TDragControlObject::DragSource() {
    return FControl;
}

// ---- TControl ---------------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), FConstraints(std::make_unique<TSizeConstraints>(this)),
      FFont(std::make_unique<TFont>()) {
    FWindowProc = [this](TMessage& M) { WndProc(M); };
    FFont->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
    FConstraints->OnChange = [this](TObject* Sender) { DoConstraintsChange(Sender); };
}

TControl::~TControl() {
    TDragManager::Get().Forget(this);
    if (GMouseControl == this) GMouseControl = nullptr;
    if (GCaptureControl == this) GCaptureControl = nullptr;
    if (Application) Application->CancelHint();
    if (FParent) FParent->RemoveControl(this);
}

void TControl::Loaded() {
    TComponent::Loaded();
    if (FParent) {
        if (FParentColor) Perform(CM_PARENTCOLORCHANGED);
        if (FParentFont) Perform(CM_PARENTFONTCHANGED);
        if (FParentBiDiMode) Perform(CM_PARENTBIDIMODECHANGED);
        UpdateAnchorRules();
        RequestAlign();
    }
}

// -- Bounds --

bool TControl::CanResize(int& NewWidth, int& NewHeight) {
    bool Result = true;
    if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, Result);
    return Result;
}

bool TControl::CanAutoSize(int&, int&) {
    return true;
}

void TControl::CheckNewSize(int& NewWidth, int& NewHeight) {
    int MinW = FConstraints->MinWidth(), MinH = FConstraints->MinHeight();
    int MaxW = FConstraints->MaxWidth(), MaxH = FConstraints->MaxHeight();
    ConstrainedResize(MinW, MinH, MaxW, MaxH);
    if (MaxW > 0 && NewWidth > MaxW) NewWidth = MaxW;
    if (MinW > 0 && NewWidth < MinW) NewWidth = MinW;
    if (MaxH > 0 && NewHeight > MaxH) NewHeight = MaxH;
    if (MinH > 0 && NewHeight < MinH) NewHeight = MinH;
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (AWidth < 0) AWidth = 0;
    if (AHeight < 0) AHeight = 0;
    if (AWidth != FWidth || AHeight != FHeight) {
        int W = AWidth, H = AHeight;
        CheckNewSize(W, H);
        if (W != FWidth || H != FHeight) {
            int W2 = W, H2 = H;
            if (CanResize(W2, H2)) {
                CheckNewSize(W2, H2);
                W = W2;
                H = H2;
            } else {
                W = FWidth;
                H = FHeight;
            }
        }
        AWidth = W;
        AHeight = H;
    }
    const bool Moved = ALeft != FLeft || ATop != FTop;
    const bool Sized = AWidth != FWidth || AHeight != FHeight;
    if (!Moved && !Sized) return;
    if (FParent && Sized) Invalidate(); // the old area of a graphic control
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    if (FParent) Invalidate();
    if (!FAnchorMove) UpdateAnchorRules();
    if (Moved) Perform(WM_MOVE, 0, MAKELPARAM(FLeft, FTop));
    if (Sized) {
        const TRect C = ClientRect();
        Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(C.Width(), C.Height()));
    }
    RequestAlign();
}

void TControl::SetClientWidth(int Value) {
    SetWidth(Value + (FWidth - ClientWidth()));
}

void TControl::SetClientHeight(int Value) {
    SetHeight(Value + (FHeight - ClientHeight()));
}

TRect TControl::GetClientRect() const {
    return Rect(0, 0, FWidth, FHeight);
}

TPoint TControl::ClientOrigin() const {
    if (!FParent) return {FLeft, FTop};
    const TPoint P = FParent->ClientOrigin();
    return {P.X + FLeft, P.Y + FTop};
}

TPoint TControl::ClientToScreen(const TPoint& Point) const {
    const TPoint O = ClientOrigin();
    return {Point.X + O.X, Point.Y + O.Y};
}

TPoint TControl::ScreenToClient(const TPoint& Point) const {
    const TPoint O = ClientOrigin();
    return {Point.X - O.X, Point.Y - O.Y};
}

TPoint TControl::ClientToParent(const TPoint& Point, TWinControl* AParent) const {
    if (!AParent) AParent = FParent;
    if (!AParent) throw EInvalidOperation(u"Control '" + Name() + u"' has no parent window");
    return AParent->ScreenToClient(ClientToScreen(Point));
}

TPoint TControl::ParentToClient(const TPoint& Point, TWinControl* AParent) const {
    if (!AParent) AParent = FParent;
    if (!AParent) throw EInvalidOperation(u"Control '" + Name() + u"' has no parent window");
    return ScreenToClient(AParent->ClientToScreen(Point));
}

// -- Layout --

void TControl::SetAlign(TAlign Value) {
    if (FAlign == Value) return;
    const TAlign Old = FAlign;
    FAlign = Value;
    FAnchors = (Value == alNone || Value == alCustom) ? FAnchors : TAnchors{akLeft, akTop};
    switch (Value) {
    case alTop:
        FAnchors = {akLeft, akTop, akRight};
        break;
    case alBottom:
        FAnchors = {akLeft, akRight, akBottom};
        break;
    case alLeft:
        FAnchors = {akLeft, akTop, akBottom};
        break;
    case alRight:
        FAnchors = {akRight, akTop, akBottom};
        break;
    case alClient:
        FAnchors = {akLeft, akTop, akRight, akBottom};
        break;
    default:
        if (Old != alNone && Old != alCustom) FAnchors = {akLeft, akTop};
        break;
    }
    RequestAlign();
}

void TControl::SetAnchors(const TAnchors& Value) {
    if (FAnchors == Value) return;
    FAnchors = Value;
    if (!ComponentState().Contains(csLoading)) UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
    if (FAnchorMove || ComponentState().Contains(csLoading)) return;
    if (FAnchors == TAnchors{akLeft, akTop}) {
        FOriginalParentSize = {};
        return;
    }
    if (FAnchors.Contains(akRight))
        FAnchorRules.X = FAnchors.Contains(akLeft) ? FWidth : FLeft;
    else
        FAnchorRules.X = FLeft + FWidth / 2;
    if (FAnchors.Contains(akBottom))
        FAnchorRules.Y = FAnchors.Contains(akTop) ? FHeight : FTop;
    else
        FAnchorRules.Y = FTop + FHeight / 2;
    if (FParent) {
        const TRect R = FParent->ClientRect();
        FOriginalParentSize = {R.Width(), R.Height()};
    }
}

void TControl::SetAutoSize(bool Value) {
    if (FAutoSize == Value) return;
    FAutoSize = Value;
    if (Value) AdjustSize();
}

void TControl::AdjustSize() {
    if (!FAutoSize || ComponentState().Contains(csLoading)) return;
    int W = FWidth, H = FHeight;
    if (CanAutoSize(W, H)) SetBounds(FLeft, FTop, W, H);
}

void TControl::RequestAlign() {
    if (FParent) FParent->AlignControl(this);
}

void TControl::DoConstraintsChange(TObject*) {
    SetBounds(FLeft, FTop, FWidth, FHeight);
}

// -- Look --

void TControl::SetVisible(bool Value) {
    if (FVisible == Value) return;
    VisibleChanging();
    FVisible = Value;
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0);
    RequestAlign();
}

void TControl::Show() {
    if (FParent) FParent->Show();
    SetVisible(true);
}

void TControl::Hide() {
    SetVisible(false);
}

void TControl::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    FParentColor = false;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool Value) {
    if (FParentColor == Value) return;
    FParentColor = Value;
    if (FParent && Value && !ComponentState().Contains(csLoading)) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::FontChanged(TObject*) {
    if (!FFontChanging) FParentFont = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool Value) {
    if (FParentFont == Value) return;
    FParentFont = Value;
    if (FParent && Value && !ComponentState().Contains(csLoading)) Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetText(const String& Value) {
    if (GetText() == Value) return;
    SetTextValue(Value);
    Perform(CM_TEXTCHANGED);
}

void TControl::SetTextValue(const String& Value) {
    FText = Value;
}

void TControl::SetShowHint(bool Value) {
    if (FShowHint == Value && !FParentShowHint) return;
    FShowHint = Value;
    FParentShowHint = false;
    Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool Value) {
    if (FParentShowHint == Value) return;
    FParentShowHint = Value;
    if (FParent && Value) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetBiDiMode(TBiDiMode Value) {
    FParentBiDiMode = false;
    if (FBiDiMode == Value) return;
    FBiDiMode = Value;
    Perform(CM_BIDIMODECHANGED);
}

void TControl::SetParentBiDiMode(bool Value) {
    if (FParentBiDiMode == Value) return;
    FParentBiDiMode = Value;
    if (FParent && Value && !ComponentState().Contains(csLoading)) Perform(CM_PARENTBIDIMODECHANGED);
}

TAlignment TControl::UseRightToLeftAlignmentFor(TAlignment Value) const {
    if (!UseRightToLeftAlignment()) return Value;
    return Value == taLeftJustify ? taRightJustify : Value == taRightJustify ? taLeftJustify : Value;
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
    FPopupMenu = Value;
}

void TControl::SetCursor(TCursor Value) {
    if (FCursor == Value) return;
    FCursor = Value;
    Perform(CM_CURSORCHANGED);
}

// -- Parent and z-order --

void TControl::SetParent(TWinControl* AParent) {
    if (FParent == AParent) return;
    if (AParent == this) throw EInvalidOperation(u"A control cannot have itself as its parent");
    // The new parent hears of the child first and may refuse it by raising.
    if (AParent) AParent->Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(this), 1);
    if (FParent) FParent->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

void TControl::SetZOrderPosition(int Position) {
    if (!FParent) return;
    auto& List = FParent->FControls;
    auto It = std::find(List.begin(), List.end(), this);
    if (It == List.end()) return;
    List.erase(It);
    if (Position < 0 || Position >= int(List.size()))
        List.push_back(this);
    else
        List.insert(List.begin() + Position, this);
    Invalidate();
    FParent->Realign();
}

void TControl::SetZOrder(bool TopMost) {
    if (!FParent) return;
    auto& List = FParent->FControls;
    auto It = std::find(List.begin(), List.end(), this);
    if (It == List.end()) return;
    List.erase(It);
    if (TopMost)
        List.push_back(this);
    else
        List.insert(List.begin(), this);
    if (auto* W = dynamic_cast<TWinControl*>(this); W && W->WindowPrivate() && W->WindowPrivate()->Widget) {
        QWidget* Q = W->WindowPrivate()->Widget;
        // Top-level windows on the offscreen platform have no stacking (and say so).
        if (!Q->isWindow() || QGuiApplication::platformName() != u"offscreen") {
            if (TopMost)
                Q->raise();
            else
                Q->lower();
        }
    }
    Invalidate();
    FParent->Realign();
}

void TControl::BringToFront() {
    SetZOrder(true);
}

void TControl::SendToBack() {
    SetZOrder(false);
}

// -- Painting --

HWND TControl::GetHandleForPaint() {
    return FParent ? FParent->Handle() : 0;
}

void TControl::Invalidate() {
    if (!FParent || !FParent->HandleAllocated() || !FVisible) return;
    const TRect R = BoundsRect();
    InvalidateRect(FParent->WindowHandle(), &R, !FControlStyle.Contains(csOpaque));
}

void TControl::Update() {
    if (FParent) FParent->Update();
}

void TControl::Repaint() {
    if (!FParent || !FParent->HandleAllocated() || !FVisible) return;
    Invalidate();
    FParent->Update();
}

// -- Messages --

void TControl::SetWindowProc(TWndMethod Value) {
    if (Value)
        FWindowProc = std::move(Value);
    else
        FWindowProc = [this](TMessage& M) { WndProc(M); };
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage M{Msg, WParam, LParam, 0};
    FWindowProc(M);
    return M.Result;
}

LRESULT TControl::Perform(TMessage& Message) {
    FWindowProc(Message);
    return Message.Result;
}

void TControl::WndProc(TMessage& Message) {
    const UINT Msg = Message.Msg;
    if (Msg >= WM_MOUSEFIRST && Msg <= WM_MOUSELAST && Msg != WM_MOUSEWHEEL && Msg != WM_MOUSEHWHEEL) {
        if ((Msg == WM_LBUTTONDOWN || Msg == WM_LBUTTONDBLCLK) && FDragMode == dmAutomatic && !Dragging()) {
            BeginDrag(false);
            return;
        }
        if (Msg == WM_MOUSEMOVE && Application) Application->HintMouseMessage(this, Message);
        // Whether the left button went down on this control and is not up yet (buttons draw
        // their pushed look and repeat by it).
        if (Msg == WM_LBUTTONDOWN || Msg == WM_LBUTTONDBLCLK)
            FControlState.Include(csLButtonDown);
        else if (Msg == WM_LBUTTONUP)
            FControlState.Exclude(csLButtonDown);
    }
    Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
        return Crack(Message, this, &TControl::WMLButtonDown);
    case WM_RBUTTONDOWN:
        return Crack(Message, this, &TControl::WMRButtonDown);
    case WM_MBUTTONDOWN:
        return Crack(Message, this, &TControl::WMMButtonDown);
    case WM_LBUTTONDBLCLK:
        return Crack(Message, this, &TControl::WMLButtonDblClk);
    case WM_RBUTTONDBLCLK:
        return Crack(Message, this, &TControl::WMRButtonDblClk);
    case WM_MBUTTONDBLCLK:
        return Crack(Message, this, &TControl::WMMButtonDblClk);
    case WM_LBUTTONUP:
        return Crack(Message, this, &TControl::WMLButtonUp);
    case WM_RBUTTONUP:
        return Crack(Message, this, &TControl::WMRButtonUp);
    case WM_MBUTTONUP:
        return Crack(Message, this, &TControl::WMMButtonUp);
    case WM_MOUSEMOVE:
        return Crack(Message, this, &TControl::WMMouseMove);
    case WM_MOUSEWHEEL:
        return Crack(Message, this, &TControl::WMMouseWheel);
    case WM_CONTEXTMENU:
        return Crack(Message, this, &TControl::WMContextMenu);
    case WM_SIZE:
        return Crack(Message, this, &TControl::WMSize);
    case WM_MOVE:
        return Crack(Message, this, &TControl::WMMove);
    case WM_CANCELMODE:
        return Crack(Message, this, &TControl::WMCancelMode);
    case CM_MOUSEWHEEL:
        return CMMouseWheel(Message);
    case CM_ENABLEDCHANGED:
        return CMEnabledChanged(Message);
    case CM_VISIBLECHANGED:
        return CMVisibleChanged(Message);
    case CM_COLORCHANGED:
        return CMColorChanged(Message);
    case CM_FONTCHANGED:
        return CMFontChanged(Message);
    case CM_TEXTCHANGED:
        return CMTextChanged(Message);
    case CM_PARENTCOLORCHANGED:
        return CMParentColorChanged(Message);
    case CM_PARENTFONTCHANGED:
        return CMParentFontChanged(Message);
    case CM_PARENTSHOWHINTCHANGED:
        return CMParentShowHintChanged(Message);
    case CM_BIDIMODECHANGED:
        return CMBiDiModeChanged(Message);
    case CM_PARENTBIDIMODECHANGED:
        return CMParentBiDiModeChanged(Message);
    case CM_MOUSEENTER:
        return CMMouseEnter(Message);
    case CM_MOUSELEAVE:
        return CMMouseLeave(Message);
    case CM_HITTEST:
        return CMHitTest(Message);
    case CM_HINTSHOW:
        return Crack(Message, this, &TControl::CMHintShow);
    case CM_HINTSHOWPAUSE:
        return Crack(Message, this, &TControl::CMHintShowPause);
    case CM_DRAG:
        return CMDrag(Message);
    case CM_CURSORCHANGED:
        return CMCursorChanged(Message);
    default:
        DefaultHandler(Message);
    }
}

void TControl::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETTEXT: {
        // LParam: a String* to fill; the answer is its length.
        if (auto* Out = reinterpret_cast<String*>(Message.LParam)) *Out = GetText();
        Message.Result = static_cast<LRESULT>(GetText().size());
        break;
    }
    case WM_GETTEXTLENGTH:
        Message.Result = static_cast<LRESULT>(GetText().size());
        break;
    case WM_SETTEXT:
        if (auto* In = reinterpret_cast<const String*>(Message.LParam)) SetTextValue(*In);
        Message.Result = 1;
        break;
    default:
        break;
    }
}

// -- Mouse --

void TControl::DoMouseDown(TWMMouse& Message, TMouseButton Button, TShiftState Shift) {
    if (!FControlStyle.Contains(csNoStdEvents))
        MouseDown(Button, KeysToShiftState(Message.Keys()) + Shift, Message.XPos(), Message.YPos());
}

void TControl::DoMouseUp(TWMMouse& Message, TMouseButton Button) {
    if (!FControlStyle.Contains(csNoStdEvents))
        MouseUp(Button, KeysToShiftState(Message.Keys()), Message.XPos(), Message.YPos());
}

void TControl::WMLButtonDown(TWMMouse& Message) {
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
    if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
    DoMouseDown(Message, mbLeft, {});
}

void TControl::WMRButtonDown(TWMMouse& Message) {
    DoMouseDown(Message, mbRight, {});
}

void TControl::WMMButtonDown(TWMMouse& Message) {
    DoMouseDown(Message, mbMiddle, {});
}

void TControl::WMLButtonDblClk(TWMMouse& Message) {
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
    if (FControlStyle.Contains(csClickEvents)) DblClick();
    DoMouseDown(Message, mbLeft, {ssDouble});
}

void TControl::WMRButtonDblClk(TWMMouse& Message) {
    DoMouseDown(Message, mbRight, {ssDouble});
}

void TControl::WMMButtonDblClk(TWMMouse& Message) {
    DoMouseDown(Message, mbMiddle, {ssDouble});
}

void TControl::WMLButtonUp(TWMMouse& Message) {
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
    if (FControlState.Contains(csClicked)) {
        FControlState.Exclude(csClicked);
        if (PtInRect(ClientRect(), Message.Pos())) Click();
    }
    DoMouseUp(Message, mbLeft);
}

void TControl::WMRButtonUp(TWMMouse& Message) {
    DoMouseUp(Message, mbRight);
    // As the system does: a right click asks for the context menu.
    if (Message.Result == 0) {
        const TPoint P = ClientToScreen(Message.Pos());
        Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(static_cast<void*>(nullptr)), PointToLParam(P));
    }
}

void TControl::WMMButtonUp(TWMMouse& Message) {
    DoMouseUp(Message, mbMiddle);
}

void TControl::WMMouseMove(TWMMouse& Message) {
    if (!FControlStyle.Contains(csNoStdEvents))
        MouseMove(KeysToShiftState(Message.Keys()), Message.XPos(), Message.YPos());
}

void TControl::WMMouseWheel(TWMMouseWheel& Message) {
    Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::CMMouseWheel(TMessage& Message) {
    TWMMouseWheel M(Message);
    Message.Result = 0;
    if (DoMouseWheel(KeysToShiftState(M.Keys()), M.WheelDelta(), M.Pos()))
        Message.Result = 1;
    else if (FParent)
        Message.Result = FParent->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    bool Handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, Handled);
    if (Handled) return true;
    FWheelAccumulator += WheelDelta;
    while (!Handled && std::abs(FWheelAccumulator) >= WHEEL_DELTA) {
        const bool Down = FWheelAccumulator < 0;
        FWheelAccumulator += Down ? WHEEL_DELTA : -WHEEL_DELTA;
        Handled = Down ? DoMouseWheelDown(Shift, MousePos) : DoMouseWheelUp(Shift, MousePos);
    }
    return Handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    bool Handled = false;
    if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, Handled);
    return Handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    bool Handled = false;
    if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, Handled);
    return Handled;
}

namespace {
std::function<void(TPopupMenu*, TControl*, const TPoint&)>& PopupMenuHandler() {
    static std::function<void(TPopupMenu*, TControl*, const TPoint&)> H;
    return H;
}
} // namespace

void SetPopupMenuHandler(
    std::function<void(TPopupMenu* Menu, TControl* Control, const TPoint& Screen)> Handler) {
    PopupMenuHandler() = std::move(Handler);
}

void TControl::WMContextMenu(TWMContextMenu& Message) {
    if (Message.Result != 0) return;
    TPoint Pos = Message.Pos();
    TPoint Local = Pos;
    if (Pos.X == -1 && Pos.Y == -1) {
        Local = {-1, -1};
        Pos = ClientToScreen({0, 0});
    } else {
        Local = ScreenToClient(Pos);
    }
    bool Handled = false;
    DoContextPopup(Local, Handled);
    Message.Result = 1;
    if (Handled) return;
    if (FPopupMenu && FPopupMenu->AutoPopup() && PopupMenuHandler()) {
        PopupMenuHandler()(FPopupMenu, this, Pos);
        return;
    }
    // Not taken here: the parent may have a menu for it.
    Message.Result = 0;
    if (FParent) Message.Result = FParent->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
    if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

void TControl::WMSize(TWMSize&) {
    if (!ComponentState().Contains(csLoading)) Resize();
}

void TControl::WMMove(TWMMove&) {}

void TControl::WMCancelMode(TWMCancelMode&) {
    if (MouseCapture()) {
        SetMouseCapture(false);
        FControlState.Exclude(csClicked);
    }
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::MouseCapture() const {
    return GetCaptureControl() == this;
}

void TControl::SetMouseCapture(bool Value) {
    if (MouseCapture() == Value) return;
    SetCaptureControl(Value ? this : nullptr);
}

// -- Component messages --

void TControl::CMEnabledChanged(TMessage&) {
    Invalidate();
}

void TControl::CMVisibleChanged(TMessage&) {
    if (FParent) {
        const TRect R = BoundsRect();
        if (FParent->HandleAllocated()) InvalidateRect(FParent->WindowHandle(), &R, true);
    }
}

void TControl::CMColorChanged(TMessage&) {
    Invalidate();
}

void TControl::CMFontChanged(TMessage&) {
    Invalidate();
}

void TControl::CMTextChanged(TMessage&) {
    Invalidate();
}

void TControl::CMParentColorChanged(TMessage& Message) {
    if (!FParentColor || !FParent) return;
    // WParam non-zero: the colour is in LParam (a parent telling its children).
    const TColor C = Message.WParam ? static_cast<TColor>(Message.LParam) : FParent->Color();
    if (FColor != C) {
        FColor = C;
        Perform(CM_COLORCHANGED);
    }
    FParentColor = true;
}

void TControl::CMParentFontChanged(TMessage&) {
    if (!FParentFont || !FParent) return;
    FFontChanging = true;
    FFont->Assign(FParent->Font());
    FFontChanging = false;
    FParentFont = true;
}

void TControl::CMParentShowHintChanged(TMessage&) {
    if (FParentShowHint && FParent) {
        FShowHint = FParent->ShowHint();
        Perform(CM_SHOWHINTCHANGED);
        FParentShowHint = true;
    }
}

void TControl::CMBiDiModeChanged(TMessage&) {
    Invalidate();
}

void TControl::CMParentBiDiModeChanged(TMessage&) {
    if (!FParentBiDiMode || !FParent) return;
    if (FBiDiMode != FParent->BiDiMode()) {
        FBiDiMode = FParent->BiDiMode();
        Perform(CM_BIDIMODECHANGED);
    }
    FParentBiDiMode = true;
}

void TControl::CMMouseEnter(TMessage& Message) {
    if (FParent) FParent->Perform(CM_MOUSEENTER, 0, Message.LParam);
}

void TControl::CMMouseLeave(TMessage& Message) {
    if (FParent) FParent->Perform(CM_MOUSELEAVE, 0, Message.LParam);
}

void TControl::CMHitTest(TMessage& Message) {
    Message.Result = HTCLIENT;
}

void TControl::CMHintShow(TCMHintShow&) {}

void TControl::CMHintShowPause(TCMHintShowPause&) {}

void TControl::CMCursorChanged(TMessage&) {
    if (GMouseControl == this) ::SetCursor(FCursor);
}

void TControl::CMDrag(TMessage& Message) {
    auto* Rec = reinterpret_cast<TDragRec*>(Message.LParam);
    if (!Rec) return;
    const TPoint P = ScreenToClient(Rec->Pos);
    TObject* Source = Rec->Source ? Rec->Source->DragSource() : nullptr;
    switch (static_cast<TDragMessage>(Message.WParam)) {
    case dmDragEnter:
    case dmDragLeave:
    case dmDragMove: {
        bool Accept = true;
        const TDragState State = Message.WParam == dmDragEnter   ? dsDragEnter
                                 : Message.WParam == dmDragLeave ? dsDragLeave
                                                                 : dsDragMove;
        DragOver(Source, P.X, P.Y, State, Accept);
        Message.Result = Accept ? 1 : 0;
        break;
    }
    case dmDragDrop:
        DragDrop(Source, P.X, P.Y);
        break;
    default:
        break;
    }
}

// -- Dragging --

void TControl::BeginDrag(bool Immediate, int Threshold) {
    TDragManager::Get().Begin(this, Immediate, Threshold);
}

void TControl::EndDrag(bool Drop) {
    if (Dragging()) TDragManager::Get().Finish(Drop);
}

bool TControl::Dragging() const {
    return TDragManager::Get().Source == this;
}

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    Accept = static_cast<bool>(OnDragOver);
    if (OnDragOver) OnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
    if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
    if (OnStartDrag) OnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
    if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

void TControl::Published(TPublisher<TControl>& P) {
    P.Property(u"Left", &TControl::Left, &TControl::SetLeft);
    P.Property(u"Top", &TControl::Top, &TControl::SetTop);
    P.Property(u"Width", &TControl::Width, &TControl::SetWidth);
    P.Property(u"Height", &TControl::Height, &TControl::SetHeight);
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Constraints", &TControl::Constraints, &TControl::SetConstraints);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Color", &TControl::Color, &TControl::SetColor).As(ColorTypeInfo()).Stored([](TControl* C) {
        return !C->ParentColor();
    });
    P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored([](TControl* C) {
        return !C->ParentFont();
    });
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption);
    P.Property(u"Hint", &TControl::Hint, &TControl::SetHint);
    P.Property(u"HelpKeyword", &TControl::HelpKeyword, &TControl::SetHelpKeyword);
    P.Property(u"HelpContext", &TControl::HelpContext, &TControl::SetHelpContext).Default(0);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored([](TControl* C) {
        return !C->ParentShowHint();
    });
    P.Property(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
    P.Property(u"Cursor", &TControl::Cursor, &TControl::SetCursor).Default(crDefault);
    P.Property(u"DragCursor", &TControl::DragCursor, &TControl::SetDragCursor).Default(crDrag);
    P.Property(u"DragMode", &TControl::DragMode, &TControl::SetDragMode).Default(dmManual);
    P.Property(u"OnClick", &TControl::OnClick);
    P.Property(u"OnDblClick", &TControl::OnDblClick);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp);
    P.Property(u"OnMouseWheel", &TControl::OnMouseWheel);
    P.Property(u"OnMouseWheelDown", &TControl::OnMouseWheelDown);
    P.Property(u"OnMouseWheelUp", &TControl::OnMouseWheelUp);
    P.Property(u"OnResize", &TControl::OnResize);
    P.Property(u"OnCanResize", &TControl::OnCanResize);
    P.Property(u"OnContextPopup", &TControl::OnContextPopup);
    P.Property(u"OnDragOver", &TControl::OnDragOver);
    P.Property(u"OnDragDrop", &TControl::OnDragDrop);
    P.Property(u"OnStartDrag", &TControl::OnStartDrag);
    P.Property(u"OnEndDrag", &TControl::OnEndDrag);
}

// ---- TWinControl ------------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
    FControlStyle.Include(csAcceptsControls);
}

TWinControl::~TWinControl() {
    // Children go first (the last first), then the window.
    while (!FControls.empty()) {
        TControl* C = FControls.back();
        Remove(C);
        delete C;
    }
    if (FParent) FParent->RemoveControl(this);
    DestroyHandle();
}

HWND TWinControl::Handle() {
    HandleNeeded();
    return FHandle;
}

void TWinControl::HandleNeeded() {
    if (FHandle) return;
    if (FParent) FParent->HandleNeeded();
    if (!FHandle) CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& Params) {
    Params = {};
    Params.Caption = GetText();
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (FParent) Params.WndParent = FParent->WindowHandle();
    if (FVisible) Params.Style |= WS_VISIBLE;
    if (!FEnabled) Params.Style |= WS_DISABLED;
    if (FTabStop) Params.Style |= WS_TABSTOP;
    if (UseRightToLeftReading()) Params.ExStyle |= WS_EX_RTLREADING;
    if (UseRightToLeftScrollBar()) Params.ExStyle |= WS_EX_LEFTSCROLLBAR;
    Params.X = FLeft;
    Params.Y = FTop;
    Params.Width = FWidth;
    Params.Height = FHeight;
    Params.WinClassName = ClassName();
}

// A window with no parent of its own: a form, a hint window, or a pop-up (WS_POPUP with no
// WndParent) such as a drop-down, which lives on the desktop.
#define MORVANE_IS_TOP_LEVEL_WINDOW()                                                                   \
    [this] {                                                                                           \
        if (FParent) return false;                                                                     \
        if (dynamic_cast<TCustomForm*>(this) || dynamic_cast<THintWindow*>(this)) return true;         \
        TCreateParams Params;                                                                          \
        CreateParams(Params);                                                                          \
        return (Params.Style & WS_POPUP) != 0 && Params.WndParent == 0;                                \
    }()

void TWinControl::CreateHandle() {
    if (FHandle) return;
    if (!QApplication::instance())
        throw EInvalidOperation(u"Control '" + Name() + u"' needs the application object for its window");
    if (!FParent && !MORVANE_IS_TOP_LEVEL_WINDOW() && !FControlStyle.Contains(csFramed))
        throw EInvalidOperation(u"Control '" + Name() + u"' has no parent window");
    CreateWnd();
}


void TWinControl::CreateWnd() {
    TCreateParams Params;
    CreateParams(Params);
    {
        TFlagScope Creating(FCreatingHandle);
        CreateWindowHandle(Params);
    }
    Perform(WM_CREATE);
    // The children's windows come with the parent's.
    for (TControl* C : std::vector<TControl*>(FControls))
        if (auto* W = dynamic_cast<TWinControl*>(C)) W->CreateHandle();
    UpdateShowing();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
    auto Priv = std::make_unique<TWindowPrivate>(this);
    QWidget* ParentWidget = FParent && FParent->FWindow ? FParent->FWindow->Widget.data() : nullptr;
    // A top-level pop-up tool window (drop-down lists and calendars) floats above its form
    // without a frame and never takes the activation, as the hint window does.
    const bool ToolPopup = !ParentWidget && (Params.Style & WS_POPUP) && (Params.ExStyle & WS_EX_TOOLWINDOW);
    Priv->Widget = new TQtWindow(Priv.get(), ParentWidget,
                                 ParentWidget ? Qt::Widget
                                 : ToolPopup  ? Qt::ToolTip | Qt::FramelessWindowHint
                                              : Qt::Window);
    TQtWindow* W = Priv->Widget;
    if (ToolPopup) W->setAttribute(Qt::WA_ShowWithoutActivating);
    // Hidden until UpdateShowing says otherwise: a child widget that was never hidden
    // explicitly would show with its parent even while the control is invisible.
    W->hide();
    FMarginsKnown = false;
    Priv->Margins = Margins();
    W->setGeometry(ToQt(WidgetBounds()));
    W->setEnabled(FEnabled);
    W->setWindowTitle(ToQt(Params.Caption));
    W->setCursor(QtCursorOf(Cursor()));
    Priv->Style = Params.Style;
    Priv->ExStyle = Params.ExStyle;
    Priv->UpdateSeeThrough();
    FWindow = std::move(Priv);
    FHandle = RegisterControlWindow(this);
    FWindow->Invalidate(QRegion(QRect(0, 0, FWidth, FHeight)), true);
}

void TWinControl::DestroyHandle() {
    if (!FHandle) return;
    for (TControl* C : FControls)
        if (auto* W = dynamic_cast<TWinControl*>(C)) W->DestroyHandle();
    DestroyWnd();
}

void TWinControl::DestroyWnd() {
    if (!FHandle) return;
    FControlState.Include(csDestroyingHandle);
    const HWND Old = FHandle;
    GuiBarrier(this, [this] { Perform(WM_DESTROY); });
    if (FEraseCanvas) FEraseCanvas->FreeHandle();
    if (FWindow) {
        FWindow->ReleaseCanvases();
        if (TQtWindow* W = FWindow->Widget) {
            W->Detach();
            W->hide();
            delete W;
        }
        FWindow.reset();
    }
    UnregisterWindow(Old);
    ForgetWindow(Old);
    FHandle = 0;
    FShowing = false;
    FControlState.Exclude(csDestroyingHandle);
}

void TWinControl::RecreateWnd() {
    FMarginsKnown = false;
    if (!FHandle) return;
    FControlState.Include(csRecreating);
    const bool HadFocus = Focused();
    DestroyHandle();
    FControlState.Exclude(csRecreating);
    HandleNeeded();
    if (HadFocus && CanFocus()) ::SetFocus(FHandle);
}

void TWinControl::CMRecreateWnd(TMessage&) {
    RecreateWnd();
}

// -- Showing --

void TWinControl::UpdateShowing() {
    const bool TopLevel = MORVANE_IS_TOP_LEVEL_WINDOW();
    const bool Should = FVisible && (FParent ? FParent->FShowing : TopLevel);
    if (Should && !FHandle) {
        // A top-level window, or a child of a window that exists, gets its window when it
        // becomes visible.
        if (TopLevel || FParent->FHandle) CreateHandle();
        return;
    }
    auto UpdateChildren = [this] {
        for (TControl* C : std::vector<TControl*>(FControls))
            if (auto* W = dynamic_cast<TWinControl*>(C)) W->UpdateShowing();
    };
    if (FShowing == Should) {
        UpdateChildren();
        return;
    }
    // Children show before their parent (a form activates with its controls showing) and
    // hide after it.
    FShowing = Should;
    if (Should) UpdateChildren();
    TScopeExit Undo([&] { FShowing = !Should; });
    Perform(CM_SHOWINGCHANGED);
    Undo.Release();
    if (!Should) UpdateChildren();
}

namespace {

// The layer's own pop-ups (drop-down lists, calendars, hints) are top-level windows, and while a
// modal form runs the toolkit gives the mouse only to that form's windows: a pop-up that shows
// then belongs to the modal form, so that its list takes hover and clicks.
void TieToolPopupToModalForm(QWidget* W) {
    if (!W->isWindow() || W->windowType() != Qt::ToolTip) return;
    QWindow* Modal = QGuiApplication::modalWindow();
    if (!Modal && !W->windowHandle()) return;
    W->winId();
    if (QWindow* Own = W->windowHandle(); Own && Own != Modal && Own->transientParent() != Modal)
        Own->setTransientParent(Modal);
}

} // namespace

void TWinControl::CMShowingChanged(TMessage&) {
    if (!FWindow || !FWindow->Widget) return;
    if (FShowing) TieToolPopupToModalForm(FWindow->Widget);
    FWindow->Widget->setVisible(FShowing);
}

void TWinControl::CMVisibleChanged(TMessage& Message) {
    TControl::CMVisibleChanged(Message);
    if (!FVisible && Focused()) {
        if (TCustomForm* Form = GetParentForm(this)) Form->DefocusControl(this, false);
    }
    if (FHandle || (FParent && FParent->FHandle) ||
        (!FParent && FVisible && MORVANE_IS_TOP_LEVEL_WINDOW()))
        UpdateShowing();
}

#undef MORVANE_IS_TOP_LEVEL_WINDOW

void TWinControl::CMEnabledChanged(TMessage& Message) {
    if (!FEnabled && FParent && Focused()) {
        if (TCustomForm* Form = GetParentForm(this)) Form->DefocusControl(this, false);
    }
    if (FWindow && FWindow->Widget) FWindow->Widget->setEnabled(FEnabled);
    TControl::CMEnabledChanged(Message);
}

// -- Children --

TControl* TWinControl::Controls(int Index) const {
    if (Index < 0 || Index >= ControlCount())
        throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
    return FControls[static_cast<std::size_t>(Index)];
}

void TWinControl::Insert(TControl* AControl) {
    FControls.push_back(AControl);
    if (auto* W = dynamic_cast<TWinControl*>(AControl)) FTabList.push_back(W);
    AControl->FParent = this;
}

void TWinControl::Remove(TControl* AControl) {
    std::erase(FControls, AControl);
    if (auto* W = dynamic_cast<TWinControl*>(AControl)) std::erase(FTabList, W);
    AControl->FParent = nullptr;
}

void TWinControl::InsertControl(TControl* AControl) {
    if (!AControl || AControl->FParent == this) return;
    if (auto* W = dynamic_cast<TWinControl*>(AControl); W && W->ContainsControl(this))
        throw EInvalidOperation(u"A control cannot be the parent of one of its parents");
    Insert(AControl);
    if (!AControl->ComponentState().Contains(csLoading)) {
        if (AControl->ParentColor()) AControl->Perform(CM_PARENTCOLORCHANGED);
        if (AControl->ParentFont()) AControl->Perform(CM_PARENTFONTCHANGED);
        if (AControl->ParentShowHint()) AControl->Perform(CM_PARENTSHOWHINTCHANGED);
        if (AControl->ParentBiDiMode()) AControl->Perform(CM_PARENTBIDIMODECHANGED);
        if (auto* W = dynamic_cast<TWinControl*>(AControl); W && W->ParentCtl3D())
            W->Perform(CM_PARENTCTL3DCHANGED);
        AControl->UpdateAnchorRules();
    }
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
    if (auto* W = dynamic_cast<TWinControl*>(AControl)) {
        if (FHandle) {
            if (W->FHandle) W->DestroyHandle(); // moves to the new parent's window
            if (W->FVisible) W->CreateHandle();
        }
    } else {
        AControl->Invalidate();
    }
    AControl->RequestAlign();
}

void TWinControl::RemoveControl(TControl* AControl) {
    if (!AControl || AControl->FParent != this) return;
    if (auto* W = dynamic_cast<TWinControl*>(AControl)) {
        if (TCustomForm* Form = GetParentForm(this)) Form->DefocusControl(W, true);
        W->DestroyHandle();
    } else {
        AControl->Invalidate();
    }
    if (GMouseControl &&
        (GMouseControl == AControl || (dynamic_cast<TWinControl*>(AControl) &&
                                       static_cast<TWinControl*>(AControl)->ContainsControl(GMouseControl))))
        GMouseControl = nullptr;
    Remove(AControl);
    if (!ComponentState().Contains(csDestroying)) {
        Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
        Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
        Realign();
    }
}

void TWinControl::SetChildOrder(TComponent* Child, int Order) {
    auto* C = dynamic_cast<TControl*>(Child);
    if (C && C->Parent() == this) C->SetZOrderPosition(Order);
}

void TWinControl::CMControlChange(TCMControlChange&) {}

bool TWinControl::ContainsControl(TControl* Control) const {
    for (TControl* C = Control; C; C = C->Parent())
        if (C == this) return true;
    return false;
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls) const {
    for (auto It = FControls.rbegin(); It != FControls.rend(); ++It) {
        TControl* C = *It;
        const bool IsWin = dynamic_cast<TWinControl*>(C) != nullptr;
        if (IsWin && !AllowWinControls) continue;
        if (!C->Visible() || (!C->Enabled() && !AllowDisabled)) continue;
        if (!PtInRect(C->BoundsRect(), Pos)) continue;
        const TPoint Local{Pos.X - C->Left(), Pos.Y - C->Top()};
        if (C->Perform(CM_HITTEST, 0, PointToLParam(Local)) != 0) return C;
    }
    return nullptr;
}

TControl* TWinControl::FindChildControl(const String& ControlName) const {
    for (TControl* C : FControls)
        if (SameText(C->Name(), ControlName)) return C;
    return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
    for (TControl* C : std::vector<TControl*>(FControls)) {
        C->Perform(Message);
        if (Message.Result != 0) return;
    }
}

// -- Layout --

void TWinControl::DisableAlign() {
    ++FAlignLevel;
}

void TWinControl::EnableAlign() {
    if (--FAlignLevel == 0 && FControlState.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() {
    AlignControl(nullptr);
}

void TWinControl::AlignControl(TControl* AControl) {
    if (ComponentState().Contains(csDestroying)) return;
    if (FAlignLevel > 0 || ComponentState().Contains(csLoading)) {
        FControlState.Include(csAlignmentNeeded);
        return;
    }
    DisableAlign();
    // The need is met (or failed for good): EnableAlign does not align again.
    TScopeExit Done([this] {
        FControlState.Exclude(csAlignmentNeeded);
        EnableAlign();
    });
    TRect R = GetClientRect();
    AlignControls(AControl, R);
}

void TWinControl::AdjustClientRect(TRect& Rect) {
    (void)Rect;
}

namespace {

bool InsertBefore(TControl* C1, TControl* C2, TAlign AAlign) {
    switch (AAlign) {
    case alTop:
        return C1->Top() < C2->Top();
    case alBottom:
        return C1->Top() + C1->Height() >= C2->Top() + C2->Height();
    case alLeft:
        return C1->Left() < C2->Left();
    case alRight:
        return C1->Left() + C1->Width() >= C2->Left() + C2->Width();
    default:
        return false;
    }
}

} // namespace

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    AdjustClientRect(Rect);
    FControlState.Include(csAligning);
    for (TAlign A : {alTop, alBottom, alLeft, alRight, alClient, alCustom, alNone})
        DoAlign(AControl, A, Rect);
    FControlState.Exclude(csAligning);
    if (Showing()) AdjustSize();
}

void TWinControl::DoAlign(TControl* AControl, TAlign AAlign, TRect& Rect) {
    std::vector<TControl*> List;
    auto Wanted = [&](TControl* C) {
        if (C->Align() != AAlign || !C->Visible()) return false;
        if (AAlign == alNone) return C->Anchors() != TAnchors{akLeft, akTop};
        return true;
    };
    if (AControl && AControl->Parent() == this && Wanted(AControl)) List.push_back(AControl);
    for (TControl* C : FControls) {
        if (C == AControl || !Wanted(C)) continue;
        std::size_t J = 0;
        while (J < List.size() && !InsertBefore(C, List[J], AAlign))
            ++J;
        List.insert(List.begin() + static_cast<std::ptrdiff_t>(J), C);
    }
    for (TControl* C : List)
        DoPosition(C, AAlign, Rect);
}

void TWinControl::DoPosition(TControl* Control, TAlign AAlign, TRect& Rect) {
    int NewLeft = Rect.Left, NewTop = Rect.Top;
    int NewWidth = Rect.Width(), NewHeight = Rect.Height();
    if (AAlign == alLeft || AAlign == alRight) NewWidth = Control->Width();
    if (AAlign == alTop || AAlign == alBottom) NewHeight = Control->Height();
    switch (AAlign) {
    case alTop:
        Rect.Top += NewHeight;
        break;
    case alBottom:
        Rect.Bottom -= NewHeight;
        NewTop = Rect.Bottom;
        break;
    case alLeft:
        Rect.Left += NewWidth;
        break;
    case alRight:
        Rect.Right -= NewWidth;
        NewLeft = Rect.Right;
        break;
    case alCustom:
        NewLeft = Control->Left();
        NewTop = Control->Top();
        NewWidth = Control->Width();
        NewHeight = Control->Height();
        CustomAlignPosition(Control, NewLeft, NewTop, NewWidth, NewHeight, Rect);
        break;
    case alNone: {
        // Anchors: kept distances to the anchored edges of the parent's client area.
        NewLeft = Control->Left();
        NewTop = Control->Top();
        NewWidth = Control->Width();
        NewHeight = Control->Height();
        const TPoint Orig = Control->FOriginalParentSize;
        const TPoint Rules = Control->FAnchorRules;
        const TRect Client = GetClientRect();
        const TAnchors A = Control->Anchors();
        if (Orig.X != 0) {
            if (A.Contains(akRight)) {
                if (A.Contains(akLeft))
                    NewWidth = Client.Width() - (Orig.X - Rules.X);
                else
                    NewLeft = Client.Width() - (Orig.X - Rules.X);
            } else if (!A.Contains(akLeft)) {
                NewLeft = MulDiv(Rules.X, Client.Width(), Orig.X) - NewWidth / 2;
            }
        }
        if (Orig.Y != 0) {
            if (A.Contains(akBottom)) {
                if (A.Contains(akTop))
                    NewHeight = Client.Height() - (Orig.Y - Rules.Y);
                else
                    NewTop = Client.Height() - (Orig.Y - Rules.Y);
            } else if (!A.Contains(akTop)) {
                NewTop = MulDiv(Rules.Y, Client.Height(), Orig.Y) - NewHeight / 2;
            }
        }
        break;
    }
    default:
        break;
    }
    {
        TFlagScope AnchorMove(Control->FAnchorMove);
        Control->SetBounds(NewLeft, NewTop, NewWidth, NewHeight);
    }
    // A control that did not take the size offered (constraints) gives the rest back.
    if (Control->Width() != NewWidth || Control->Height() != NewHeight) {
        switch (AAlign) {
        case alTop:
            Rect.Top -= NewHeight - Control->Height();
            break;
        case alBottom:
            Rect.Bottom += NewHeight - Control->Height();
            break;
        case alLeft:
            Rect.Left -= NewWidth - Control->Width();
            break;
        case alRight:
            Rect.Right += NewWidth - Control->Width();
            break;
        default:
            break;
        }
    }
}

bool TWinControl::CanAutoSize(int& NewWidth, int& NewHeight) {
    if (FControls.empty()) return true;
    TRect Extent{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (TControl* C : FControls) {
        if (!C->Visible()) continue;
        Extent.Left = std::min(Extent.Left, C->Left());
        Extent.Top = std::min(Extent.Top, C->Top());
        Extent.Right = std::max(Extent.Right, C->Left() + C->Width());
        Extent.Bottom = std::max(Extent.Bottom, C->Top() + C->Height());
    }
    if (Extent.Left == INT32_MAX) return true;
    const TRect Client = GetClientRect();
    NewWidth = FWidth - Client.Width() + Extent.Right;
    NewHeight = FHeight - Client.Height() + Extent.Bottom;
    return true;
}

void TWinControl::SetBorderWidth(int Value) {
    if (Value < 0) Value = 0;
    if (FBorderWidth == Value) return;
    FBorderWidth = Value;
    NonClientChanged();
}

void TWinControl::SetBevelEdges(TBevelEdges Value) {
    if (FBevelEdges == Value) return;
    FBevelEdges = Value;
    if (FBevelKind != bkNone) NonClientChanged();
}

void TWinControl::SetBevelInner(TBevelCut Value) {
    if (FBevelInner == Value) return;
    FBevelInner = Value;
    if (FBevelKind != bkNone) NonClientChanged();
}

void TWinControl::SetBevelOuter(TBevelCut Value) {
    if (FBevelOuter == Value) return;
    FBevelOuter = Value;
    if (FBevelKind != bkNone) NonClientChanged();
}

void TWinControl::SetBevelKind(TBevelKind Value) {
    if (FBevelKind == Value) return;
    FBevelKind = Value;
    NonClientChanged();
}

void TWinControl::SetBevelWidth(int Value) {
    if (Value < 1) Value = 1;
    if (FBevelWidth == Value) return;
    FBevelWidth = Value;
    if (FBevelKind != bkNone) NonClientChanged();
}

TRect TWinControl::BevelMargins() const {
    if (FBevelKind == bkNone) return {};
    int Size = 0;
    if (FBevelInner != bvNone) Size += FBevelWidth;
    if (FBevelOuter != bvNone) Size += FBevelWidth;
    return {FBevelEdges.Contains(beLeft) ? Size : 0, FBevelEdges.Contains(beTop) ? Size : 0,
            FBevelEdges.Contains(beRight) ? Size : 0, FBevelEdges.Contains(beBottom) ? Size : 0};
}

void TWinControl::DrawBevel(TCanvas* Canvas, TRect& Rect) const {
    if (FBevelKind == bkNone) return;
    auto Ring = [](TBevelCut Cut, Cardinal Sunken, Cardinal Raised) -> Cardinal {
        return Cut == bvLowered ? Sunken : Cut == bvRaised ? Raised : 0;
    };
    const Cardinal Edge = Ring(FBevelInner, BDR_SUNKENINNER, BDR_RAISEDINNER) |
                          Ring(FBevelOuter, BDR_SUNKENOUTER, BDR_RAISEDOUTER);
    Cardinal Flags = 0;
    if (FBevelEdges.Contains(beLeft)) Flags |= BF_LEFT;
    if (FBevelEdges.Contains(beTop)) Flags |= BF_TOP;
    if (FBevelEdges.Contains(beRight)) Flags |= BF_RIGHT;
    if (FBevelEdges.Contains(beBottom)) Flags |= BF_BOTTOM;
    if (FBevelKind == bkSoft) Flags |= BF_SOFT;
    if (FBevelKind == bkFlat) Flags |= BF_FLAT;
    if (!FCtl3D) Flags |= BF_MONO;
    if (Edge != 0 && (Flags & BF_RECT) != 0) {
        TRect R = Rect;
        DrawEdge(Canvas, R, Edge, Flags);
    }
    const TRect M = BevelMargins();
    Rect = {Rect.Left + M.Left, Rect.Top + M.Top, Rect.Right - M.Right, Rect.Bottom - M.Bottom};
}

void TWinControl::SetCtl3D(bool Value) {
    if (FCtl3D == Value) return;
    FCtl3D = Value;
    FParentCtl3D = false;
    Perform(CM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool Value) {
    if (FParentCtl3D == Value) return;
    FParentCtl3D = Value;
    if (FParent && Value && !ComponentState().Contains(csLoading)) Perform(CM_PARENTCTL3DCHANGED);
}

void TWinControl::CMCtl3DChanged(TMessage&) {
    // The look of the frame depends on it, and so may its size (a descendant's border).
    NonClientChanged();
    TMessage M{CM_PARENTCTL3DCHANGED, 0, 0, 0};
    Broadcast(M);
}

void TWinControl::CMParentCtl3DChanged(TMessage&) {
    if (!FParentCtl3D || !FParent) return;
    if (FCtl3D != FParent->Ctl3D()) {
        FCtl3D = FParent->Ctl3D();
        Perform(CM_CTL3DCHANGED);
    }
    FParentCtl3D = true;
}

void TWinControl::NonClientChanged() {
    FMarginsKnown = false;
    if (FWindow) {
        FWindow->Margins = Margins();
        FWindow->Invalidate(QRegion(QRect(0, 0, FWidth, FHeight)), true);
    }
    PlaceChildWindows();
    Realign();
}

TRect TWinControl::WidgetBounds() const {
    TRect R = BoundsRect();
    if (FParent && FParent->FWindow && !(FWindow && FWindow->Widget && FWindow->Widget->isWindow())) {
        const TRect& M = FParent->FWindow->Margins;
        R = Bounds(R.Left + M.Left, R.Top + M.Top, R.Width(), R.Height());
    }
    return R;
}

void TWinControl::PlaceChildWindows() {
    for (TControl* C : FControls)
        if (auto* W = dynamic_cast<TWinControl*>(C); W && W->FWindow && W->FWindow->Widget)
            if (QWidget* Widget = W->FWindow->Widget; !Widget->isWindow()) {
                const QRect G = ToQt(W->WidgetBounds());
                if (Widget->geometry() != G) Widget->setGeometry(G);
            }
}

const TRect& TWinControl::Margins() const {
    // Measured once: ClientRect is asked for on every layout step.
    if (!FMarginsKnown) {
        FMargins = NonClientMargins();
        FMarginsKnown = true;
    }
    return FMargins;
}

TRect TWinControl::NonClientMargins() const {
    TCreateParams Params;
    const_cast<TWinControl*>(this)->CreateParams(Params);
    int M = FBorderWidth;
    if (Params.ExStyle & WS_EX_CLIENTEDGE)
        M += 2;
    else if (Params.Style & WS_BORDER)
        M += 1;
    // From the outside in: the border, the bevel, BorderWidth, then the window's scroll bars.
    const TRect Bevel = BevelMargins();
    const TPoint Bars = WindowScrollBarSpace(this, Params.Style);
    return {M + Bevel.Left, M + Bevel.Top, M + Bevel.Right + Bars.X, M + Bevel.Bottom + Bars.Y};
}

TRect TWinControl::GetClientRect() const {
    const TRect& M = FWindow ? FWindow->Margins : Margins();
    return Rect(0, 0, std::max(0, FWidth - M.Left - M.Right), std::max(0, FHeight - M.Top - M.Bottom));
}

TPoint TWinControl::ClientOrigin() const {
    const TRect& M = FWindow ? FWindow->Margins : Margins();
    if (!FParent) {
        if (FWindow && FWindow->Widget) {
            const QPoint P = FWindow->Widget->mapToGlobal(QPoint(M.Left, M.Top));
            return {P.x(), P.y()};
        }
        return {FLeft + M.Left, FTop + M.Top};
    }
    const TPoint P = FParent->ClientOrigin();
    return {P.X + FLeft + M.Left, P.Y + FTop + M.Top};
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    const int OldW = FWidth, OldH = FHeight;
    TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (FWindow && FWindow->Widget && !FWindow->UpdatingFromWidget) {
        QWidget* W = FWindow->Widget;
        const QRect G = ToQt(WidgetBounds());
        if (W->isWindow()) {
            if (W->pos() != G.topLeft()) W->move(G.topLeft());
            if (W->size() != G.size()) W->resize(G.size());
        } else if (W->geometry() != G) {
            W->setGeometry(G);
        }
    }
    if (FWindow && (FWidth != OldW || FHeight != OldH))
        FWindow->Invalidate(QRegion(QRect(0, 0, FWidth, FHeight)), true);
}

void TWinControl::WMSize(TWMSize& Message) {
    Realign();
    TControl::WMSize(Message);
}

void TWinControl::ScaleBy(int M, int D) {
    DisableAlign();
    for (TControl* C : FControls) {
        C->SetBounds(MulDiv(C->Left(), M, D), MulDiv(C->Top(), M, D), MulDiv(C->Width(), M, D),
                     MulDiv(C->Height(), M, D));
        if (!C->ParentFont()) C->Font()->SetHeight(MulDiv(C->Font()->Height(), M, D));
        if (auto* W = dynamic_cast<TWinControl*>(C)) {
            W->DisableAlign();
            for (TControl* G : W->FControls)
                (void)G;
            W->EnableAlign();
        }
    }
    if (!ParentFont()) Font()->SetHeight(MulDiv(Font()->Height(), M, D));
    SetBounds(FLeft, FTop, MulDiv(FWidth, M, D), MulDiv(FHeight, M, D));
    EnableAlign();
}

void TWinControl::SetParent(TWinControl* AParent) {
    TControl::SetParent(AParent);
}

void TWinControl::Loaded() {
    TControl::Loaded();
    if (FControlState.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::BeforeDestruction() {
    TControl::BeforeDestruction();
    GuiBarrier(this, [this] { DestroyHandle(); });
}

// -- Focus --

int TWinControl::TabOrder() const {
    if (!FParent) return -1;
    auto& L = FParent->FTabList;
    auto It = std::find(L.begin(), L.end(), this);
    return It == L.end() ? -1 : static_cast<int>(It - L.begin());
}

void TWinControl::SetTabOrder(int Value) {
    if (!FParent) return;
    auto& L = FParent->FTabList;
    const int Cur = TabOrder();
    if (Cur < 0) return;
    const int Count = static_cast<int>(L.size());
    if (Value < 0 || Value >= Count) Value = Count - 1;
    if (Value == Cur) return;
    L.erase(L.begin() + Cur);
    L.insert(L.begin() + Value, this);
}

void TWinControl::SetTabStop(bool Value) {
    if (FTabStop == Value) return;
    FTabStop = Value;
    Perform(CM_TABSTOPCHANGED);
}

bool TWinControl::CanFocus() const {
    TCustomForm* Form = GetParentForm(const_cast<TWinControl*>(this));
    if (!Form) return false;
    for (const TWinControl* C = this; C; C = C->Parent()) {
        if (!C->Visible() || !C->Enabled()) return false;
        if (C == Form) break;
    }
    return true;
}

void TWinControl::SetFocus() {
    if (TCustomForm* Form = GetParentForm(this))
        Form->FocusControl(this);
    else
        ValidParentForm(this);
}

bool TWinControl::Focused() const {
    return FHandle && GetFocus() == FHandle;
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
    for (TWinControl* C : FTabList) {
        List.push_back(C);
        C->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const {
    std::vector<TWinControl*> List;
    GetTabOrderList(List);
    if (List.empty()) return nullptr;
    const int Count = static_cast<int>(List.size());
    int Start = static_cast<int>(std::find(List.begin(), List.end(), CurControl) - List.begin());
    if (Start == Count) Start = GoForward ? Count - 1 : 0;
    int I = Start;
    for (int Step = 0; Step < Count; ++Step) {
        I = GoForward ? (I + 1) % Count : (I + Count - 1) % Count;
        TWinControl* C = List[static_cast<std::size_t>(I)];
        if (C == CurControl) break;
        if (C->CanFocus() && (!CheckTabStop || C->TabStop()) && (!CheckParent || C->Parent() == this))
            return C;
    }
    return nullptr;
}

void TWinControl::SelectFirst() {
    TCustomForm* Form = GetParentForm(this);
    if (!Form) return;
    if (TWinControl* C = FindNextControl(nullptr, true, true, false)) Form->SetActiveControl(C);
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    if (TWinControl* C = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) C->SetFocus();
}

void TWinControl::WMSetFocus(TWMSetFocus& Message) {
    if (TCustomForm* Form = GetParentForm(this)) Form->SetFocusedControl(this);
    DefaultHandler(Message);
}

void TWinControl::WMKillFocus(TWMKillFocus& Message) {
    DefaultHandler(Message);
}

void TWinControl::CMEnter(TMessage&) {
    DoEnter();
}

void TWinControl::CMExit(TMessage&) {
    DoExit();
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

void TWinControl::CMFocusChanged(TCMFocusChanged& Message) {
    Broadcast(Message);
    Message.Result = 0;
}

// -- Keys --

bool TWinControl::DoKeyDown(TWMKey& Message) {
    TCustomForm* Form = GetParentForm(this);
    if (Form && Form != this && Form->KeyPreview() && Form->DoKeyDown(Message)) return true;
    if (!FControlStyle.Contains(csNoStdEvents)) {
        Word Key = Message.CharCode();
        KeyDown(Key, KeyDataToShiftState(Message.KeyData()));
        Message.SetCharCode(Key);
        if (Key == 0) return true;
    }
    return false;
}

bool TWinControl::DoKeyPress(TWMKey& Message) {
    TCustomForm* Form = GetParentForm(this);
    if (Form && Form != this && Form->KeyPreview() && Form->DoKeyPress(Message)) return true;
    if (!FControlStyle.Contains(csNoStdEvents)) {
        Char Ch = static_cast<Char>(Message.CharCode());
        KeyPress(Ch);
        Message.SetCharCode(Ch);
        if (Ch == 0) return true;
    }
    return false;
}

bool TWinControl::DoKeyUp(TWMKey& Message) {
    TCustomForm* Form = GetParentForm(this);
    if (Form && Form != this && Form->KeyPreview() && Form->DoKeyUp(Message)) return true;
    if (!FControlStyle.Contains(csNoStdEvents)) {
        Word Key = Message.CharCode();
        KeyUp(Key, KeyDataToShiftState(Message.KeyData()));
        Message.SetCharCode(Key);
        if (Key == 0) return true;
    }
    return false;
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(Char& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::WMKeyDown(TWMKeyDown& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyDown(TWMKeyDown& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TWMKeyUp& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyUp(TWMKeyUp& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMChar(TWMChar& Message) {
    if (!DoKeyPress(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysChar(TWMChar& Message) {
    if (!DoKeyPress(Message)) DefaultHandler(Message);
}

void TWinControl::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.Result = 0;
}

bool TWinControl::IsMenuKey(TWMKey& Message) {
    if (TCustomForm* Form = GetParentForm(this); Form && Form->IsShortCut(Message)) return true;
    return Application && Application->IsShortCut(Message, GetParentForm(this));
}

void TWinControl::CNKeyDown(TWMKeyDown& Message) {
    Message.Result = 1;
    if (IsMenuKey(Message)) return;
    if (Perform(CM_CHILDKEY, Message.CharCode(), reinterpret_cast<LPARAM>(this)) != 0) return;
    int Mask = 0;
    switch (Message.CharCode()) {
    case VK_TAB:
        Mask = DLGC_WANTTAB;
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        Mask = DLGC_WANTARROWS;
        break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL:
        Mask = DLGC_WANTALLKEYS;
        break;
    default:
        break;
    }
    if (Mask != 0 && Perform(CM_WANTSPECIALKEY, Message.CharCode(), Message.LParam) == 0 &&
        (Perform(WM_GETDLGCODE) & Mask) == 0) {
        if (TCustomForm* Form = GetParentForm(this);
            Form && Form->Perform(CM_DIALOGKEY, Message.CharCode(), Message.LParam) != 0)
            return;
    }
    Message.Result = 0;
}

void TWinControl::CNKeyUp(TWMKeyUp& Message) {
    Message.Result = 0;
}

void TWinControl::CNChar(TWMChar& Message) {
    Message.Result = 1;
    if ((Perform(WM_GETDLGCODE) & DLGC_WANTCHARS) == 0) {
        if (TCustomForm* Form = GetParentForm(this);
            Form && Form->Perform(CM_DIALOGCHAR, Message.CharCode(), Message.LParam) != 0)
            return;
    }
    Message.Result = 0;
}

void TWinControl::CMChildKey(TCMChildKey& Message) {
    if (FParent) Message.Result = FParent->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
}

void TWinControl::CMDialogKey(TCMDialogKey& Message) {
    Broadcast(Message);
}

void TWinControl::CMDialogChar(TCMDialogChar& Message) {
    Broadcast(Message);
}

// -- Cursor, hit test, context menu --

void TWinControl::WMSetCursor(TWMSetCursor& Message) {
    Message.Result = 0;
    if (Message.HitTest() != HTCLIENT) return;
    TCursor C = Screen ? Screen->Cursor() : crDefault;
    if (C == crDefault) {
        TPoint P;
        GetCursorPos(P);
        TControl* Over = ControlAtPos(ScreenToClient(P), false);
        C = Over ? Over->Cursor() : Cursor();
        if (Dragging()) C = DragCursor();
    }
    if (C != crDefault || !FParent) {
        ::SetCursor(C == crDefault ? crArrow : C);
        Message.Result = 1;
        return;
    }
    // The parent chooses for a control that keeps the default.
    Message.Result = FParent->Perform(WM_SETCURSOR, Message.WParam, Message.LParam);
    if (Message.Result == 0) {
        ::SetCursor(crArrow);
        Message.Result = 1;
    }
}

void TWinControl::WMNCHitTest(TWMNCHitTest& Message) {
    const TPoint P = ScreenToClient(Message.Pos());
    if (PtInRect(GetClientRect(), P)) {
        Message.Result = HTCLIENT;
        return;
    }
    const TRect& M = Margins();
    const int Bar = FWindow ? WindowScrollBarHitTest(this, {P.X + M.Left, P.Y + M.Top}) : HTNOWHERE;
    Message.Result = Bar != HTNOWHERE ? Bar : HTBORDER;
}

void TWinControl::WMContextMenu(TWMContextMenu& Message) {
    TControl::WMContextMenu(Message);
}

void TWinControl::CMCursorChanged(TMessage& Message) {
    TControl::CMCursorChanged(Message);
}

void TWinControl::CMShowHintChanged(TMessage&) {
    TMessage M{CM_PARENTSHOWHINTCHANGED, 0, 0, 0};
    Broadcast(M);
}

void TWinControl::CMBiDiModeChanged(TMessage& Message) {
    TControl::CMBiDiModeChanged(Message);
    if (HandleAllocated() && !ComponentState().Contains(csLoading) && !ComponentState().Contains(csDestroying))
        RecreateWnd();
    TMessage M{CM_PARENTBIDIMODECHANGED, 0, 0, 0};
    Broadcast(M);
}

void TWinControl::CMColorChanged(TMessage& Message) {
    TControl::CMColorChanged(Message);
    if (FWindow) FWindow->Invalidate(QRegion(QRect(0, 0, FWidth, FHeight)), true);
    // Children that follow the parent's colour take it, one level at a time.
    TMessage M{CM_PARENTCOLORCHANGED, 1, static_cast<LPARAM>(Color()), 0};
    Broadcast(M);
}

void TWinControl::CMFontChanged(TMessage& Message) {
    TControl::CMFontChanged(Message);
    TMessage M{CM_PARENTFONTCHANGED, 0, 0, 0};
    Broadcast(M);
}

void TWinControl::SetParentBackground(bool Value) {
    if (ParentBackground() == Value) return;
    if (Value)
        FControlStyle.Include(csParentBackground);
    else
        FControlStyle.Exclude(csParentBackground);
    Invalidate();
}

void TWinControl::SetTextValue(const String& Value) {
    TControl::SetTextValue(Value);
    if (FWindow && FWindow->Widget && FWindow->Widget->isWindow())
        FWindow->Widget->setWindowTitle(ToQt(Value));
}

// -- Painting --

void TWinControl::Invalidate() {
    if (FWindow)
        FWindow->Invalidate(QRegion(QRect(0, 0, FWidth, FHeight)), !FControlStyle.Contains(csOpaque));
}

void TWinControl::Update() {
    if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::PaintHandler(TWMPaint& Message) {
    PaintWindow(Message.DC());
    PaintControls(Message.DC(), nullptr);
}

void TWinControl::PaintControls(HDC, TControl* First) {
    if (!FWindow) return;
    auto It = First ? std::find(FControls.begin(), FControls.end(), First) : FControls.begin();
    const QRect Client = FWindow->ClientArea();
    for (; It != FControls.end(); ++It) {
        TControl* C = *It;
        if (dynamic_cast<TWinControl*>(C) || !C->Visible()) continue;
        const QRect Area = ToQt(C->BoundsRect()).translated(Client.topLeft());
        if (!FWindow->PaintRegion.intersects(Area)) continue;
        C->Perform(WM_PAINT);
    }
}

void TWinControl::WMPaint(TWMPaint& Message) {
    PaintHandler(Message);
}

void TWinControl::WMEraseBkgnd(TWMEraseBkgnd& Message) {
    Message.Result = 1;
    if (!FWindow) return;
    if (!FEraseCanvas) {
        FEraseCanvas = std::make_unique<TControlCanvas>();
        FEraseCanvas->SetControl(this);
    }
    TColor C = Color();
    if (ParentBackground() && FParent) C = FParent->Color();
    FEraseCanvas->Brush()->SetColor(C);
    FEraseCanvas->Brush()->SetStyle(bsSolid);
    FEraseCanvas->FillRect(FEraseCanvas->ClipRect());
    FEraseCanvas->FreeHandle();
}

void TWinControl::WMNCPaint(TMessage&) {
    if (!FWindow) return;
    const TRect M = FWindow->Margins;
    if (M.Left == 0 && M.Top == 0 && M.Right == 0 && M.Bottom == 0) return;
    TCreateParams Params;
    CreateParams(Params);
    QPainter P(&FWindow->Buffer);
    const QRect All(0, 0, FWidth, FHeight);
    QRegion Frame = QRegion(All) - QRegion(FWindow->ClientArea());
    P.setClipRegion(Frame);
    P.fillRect(All, QtColor(Color()));
    TRect R = Bounds(0, 0, FWidth, FHeight);
    if (Params.ExStyle & WS_EX_CLIENTEDGE) {
        // The sunken edge: shadow and dark shadow on top and left, highlight and light below.
        P.setPen(QtColor(clBtnShadow));
        P.drawLine(R.Left, R.Top, R.Right - 2, R.Top);
        P.drawLine(R.Left, R.Top, R.Left, R.Bottom - 2);
        P.setPen(QtColor(clBtnHighlight));
        P.drawLine(R.Left, R.Bottom - 1, R.Right - 1, R.Bottom - 1);
        P.drawLine(R.Right - 1, R.Top, R.Right - 1, R.Bottom - 1);
        P.setPen(QtColor(cl3DDkShadow));
        P.drawLine(R.Left + 1, R.Top + 1, R.Right - 3, R.Top + 1);
        P.drawLine(R.Left + 1, R.Top + 1, R.Left + 1, R.Bottom - 3);
        P.setPen(QtColor(cl3DLight));
        P.drawLine(R.Left + 1, R.Bottom - 2, R.Right - 2, R.Bottom - 2);
        P.drawLine(R.Right - 2, R.Top + 1, R.Right - 2, R.Bottom - 2);
    } else if (Params.Style & WS_BORDER) {
        P.setPen(QtColor(clWindowFrame));
        P.drawRect(R.Left, R.Top, R.Width() - 1, R.Height() - 1);
    }
    P.end();
    if (FBevelKind != bkNone) {
        // The bevel lies inside the border.
        const int Border = (Params.ExStyle & WS_EX_CLIENTEDGE) ? 2 : (Params.Style & WS_BORDER) ? 1 : 0;
        InflateRect(R, -Border, -Border);
        TWindowCanvas Canvas;
        Canvas.SetControl(this);
        DrawBevel(&Canvas, R);
        Canvas.FreeHandle();
    }
    // The window's scroll bars inside the frame (their own painter on the picture).
    PaintWindowScrollBars(this);
}

void TWinControl::PaintTo(TCanvas* Canvas, int X, int Y) {
    HandleNeeded();
    UpdateWindow(FHandle);
    if (!FWindow || !FWindow->Widget) return;
    FWindow->ReleaseCanvases();
    QPainter* P = CanvasPainter(Canvas);
    P->drawImage(QPoint(X, Y), FWindow->Buffer);
    // Native widgets inside the window (the text of edits) paint themselves.
    const bool OwnCopy = FControlState.Contains(csPaintCopy) && PaintsWholeCopy();
    for (QWidget* Child : FWindow->Widget->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!OwnCopy && !dynamic_cast<TQtWindow*>(Child) && Child->isVisibleTo(FWindow->Widget))
            Child->render(P, QPoint(X, Y) + Child->pos(), QRegion(),
                          QWidget::DrawWindowBackground | QWidget::DrawChildren);
    if (OwnCopy) return;
    const QPoint Origin = FWindow->ClientArea().topLeft();
    for (TControl* C : FControls)
        if (auto* W = dynamic_cast<TWinControl*>(C); W && W->Visible())
            W->PaintTo(Canvas, X + Origin.x() + W->Left(), Y + Origin.y() + W->Top());
}

// -- Message plumbing --

void TWinControl::WndProc(TMessage& Message) {
    const UINT Msg = Message.Msg;
    if (Msg >= WM_MOUSEFIRST && Msg <= WM_MOUSELAST && Msg != WM_MOUSEWHEEL && Msg != WM_MOUSEHWHEEL) {
        // A graphic child under the pointer (or holding the capture) takes the message.
        TControl* Target = nullptr;
        if (GCaptureControl && GCaptureControl->Parent() == this && FHandle && GetCapture() == FHandle &&
            !dynamic_cast<TWinControl*>(GCaptureControl))
            Target = GCaptureControl;
        else if (!GCaptureControl || GCaptureControl == this || GetCapture() != FHandle)
            Target = ControlAtPos(TWMMouse(Message).Pos(), false);
        if (Msg == WM_MOUSEMOVE && !GetCapture()) SetMouseControl(Target ? Target : this);
        if (Target) {
            const TPoint P = TWMMouse(Message).Pos();
            Message.Result =
                Target->Perform(Msg, Message.WParam, MAKELPARAM(P.X - Target->Left(), P.Y - Target->Top()));
            return;
        }
    }
    if (Msg >= WM_KEYFIRST && Msg <= WM_KEYLAST && Dragging()) {
        if (Msg == WM_KEYDOWN && Message.WParam == VK_ESCAPE) EndDrag(false);
        return;
    }
    TControl::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PAINT:
        return Crack(Message, this, &TWinControl::WMPaint);
    case WM_ERASEBKGND:
        return Crack(Message, this, &TWinControl::WMEraseBkgnd);
    case WM_NCPAINT:
        return WMNCPaint(Message);
    case WM_SETFOCUS:
        return Crack(Message, this, &TWinControl::WMSetFocus);
    case WM_KILLFOCUS:
        return Crack(Message, this, &TWinControl::WMKillFocus);
    case WM_KEYDOWN:
        return Crack(Message, this, &TWinControl::WMKeyDown);
    case WM_SYSKEYDOWN:
        return Crack(Message, this, &TWinControl::WMSysKeyDown);
    case WM_KEYUP:
        return Crack(Message, this, &TWinControl::WMKeyUp);
    case WM_SYSKEYUP:
        return Crack(Message, this, &TWinControl::WMSysKeyUp);
    case WM_CHAR:
        return Crack(Message, this, &TWinControl::WMChar);
    case WM_SYSCHAR:
        return Crack(Message, this, &TWinControl::WMSysChar);
    case WM_GETDLGCODE:
        return Crack(Message, this, &TWinControl::WMGetDlgCode);
    case WM_SETCURSOR:
        return Crack(Message, this, &TWinControl::WMSetCursor);
    case WM_NCHITTEST:
        return Crack(Message, this, &TWinControl::WMNCHitTest);
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
        return Crack(Message, this, &TWinControl::CNKeyDown);
    case CN_KEYUP:
        return Crack(Message, this, &TWinControl::CNKeyUp);
    case CN_CHAR:
    case CN_SYSCHAR:
        return Crack(Message, this, &TWinControl::CNChar);
    case CM_ENTER:
        return CMEnter(Message);
    case CM_EXIT:
        return CMExit(Message);
    case CM_DIALOGKEY:
        return Crack(Message, this, &TWinControl::CMDialogKey);
    case CM_DIALOGCHAR:
        return Crack(Message, this, &TWinControl::CMDialogChar);
    case CM_CHILDKEY:
        return Crack(Message, this, &TWinControl::CMChildKey);
    case CM_FOCUSCHANGED:
        return Crack(Message, this, &TWinControl::CMFocusChanged);
    case CM_SHOWINGCHANGED:
        return CMShowingChanged(Message);
    case CM_SHOWHINTCHANGED:
        return CMShowHintChanged(Message);
    case CM_RECREATEWND:
        return CMRecreateWnd(Message);
    case CM_CTL3DCHANGED:
        return CMCtl3DChanged(Message);
    case CM_PARENTCTL3DCHANGED:
        return CMParentCtl3DChanged(Message);
    case CM_CONTROLCHANGE:
        return Crack(Message, this, &TWinControl::CMControlChange);
    default:
        TControl::Dispatch(Message);
    }
}

void TWinControl::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
    case WM_MOUSEWHEEL:
        // Not taken: the parent window gets the wheel.
        if (FParent) Message.Result = FParent->Perform(WM_MOUSEWHEEL, Message.WParam, Message.LParam);
        break;
    case WM_NCHITTEST:
        Message.Result = HTCLIENT;
        break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        // The window's scroll bars follow the mouse from here to the button's release.
        if (Message.WParam == HTVSCROLL || Message.WParam == HTHSCROLL)
            StartWindowScrollBarTracking(this, static_cast<int>(Message.WParam),
                                         {GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
        break;
    case WM_CLOSE:
        break;
    case WM_IME_COMPOSITION:
        if (Message.LParam & GCS_RESULTSTR) SendInputMethodResultAsCharacters(Handle());
        break;
    case WM_IME_CHAR:
        Message.Result = SendMessage(Handle(), WM_CHAR, Message.WParam, Message.LParam);
        break;
    default:
        TControl::DefaultHandler(Message);
    }
}

void TWinControl::Published(TPublisher<TWinControl>& P) {
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
    P.Property(u"BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth).Default(0);
    P.Property(u"BevelEdges", &TWinControl::BevelEdges, &TWinControl::SetBevelEdges)
        .Default(TBevelEdges{beLeft, beTop, beRight, beBottom});
    P.Property(u"BevelInner", &TWinControl::BevelInner, &TWinControl::SetBevelInner).Default(bvRaised);
    P.Property(u"BevelOuter", &TWinControl::BevelOuter, &TWinControl::SetBevelOuter).Default(bvLowered);
    P.Property(u"BevelKind", &TWinControl::BevelKind, &TWinControl::SetBevelKind).Default(bkNone);
    P.Property(u"BevelWidth", &TWinControl::BevelWidth, &TWinControl::SetBevelWidth).Default(1);
    P.Property(u"Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D).Stored([](TWinControl* C) {
        return !C->ParentCtl3D();
    });
    P.Property(u"ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D).Default(true);
    P.Property(u"DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered)
        .Default(false);
    P.Property(u"ParentBackground", &TWinControl::ParentBackground, &TWinControl::SetParentBackground);
    P.Property(u"OnEnter", &TWinControl::OnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit);
    P.Property(u"OnKeyDown", &TWinControl::OnKeyDown);
    P.Property(u"OnKeyPress", &TWinControl::OnKeyPress);
    P.Property(u"OnKeyUp", &TWinControl::OnKeyUp);
}

// ---- TControlCanvas ---------------------------------------------------------------------------

TControlCanvas::~TControlCanvas() {
    FreeHandle();
}

void TControlCanvas::SetControl(TControl* AControl) {
    if (FControl == AControl) return;
    FreeHandle();
    FControl = AControl;
}

void TControlCanvas::FreeHandle() {
    if (FBoundWindow) {
        if (TWindowPrivate* W = FBoundWindow->WindowPrivate()) std::erase(W->BoundCanvases, this);
        FBoundWindow = nullptr;
    }
    ReleaseCanvas(this);
}

void TControlCanvas::CreateHandle() {
    if (!FControl) return;
    auto* Win = dynamic_cast<TWinControl*>(FControl);
    TWinControl* Host = Win ? Win : FControl->Parent();
    if (!Host) throw EInvalidOperation(u"Control '" + FControl->Name() + u"' has no parent window");
    Host->HandleNeeded();
    TWindowPrivate* W = Host->WindowPrivate();
    if (!W) return;
    W->EnsureBuffer();
    if (FWholeWindow && Win) {
        const TRect Whole = Rect(0, 0, W->Buffer.width(), W->Buffer.height());
        BindCanvas(this, &W->Buffer, TPoint{0, 0}, &Whole);
        FBoundWindow = Host;
        W->BoundCanvases.push_back(this);
        return;
    }
    const QRect Client = W->ClientArea();
    TPoint Origin{Client.left(), Client.top()};
    TRect Clip = Rect(0, 0, Client.width(), Client.height());
    if (!Win) {
        Origin.X += FControl->Left();
        Origin.Y += FControl->Top();
        TRect Own = Rect(0, 0, FControl->Width(), FControl->Height());
        OffsetRect(Clip, -FControl->Left(), -FControl->Top());
        IntersectRect(Clip, Clip, Own);
    }
    if (W->Painting) {
        // During a paint cycle only the area being painted may change.
        const QRect Box = W->PaintRegion.boundingRect().translated(-Origin.X, -Origin.Y);
        IntersectRect(Clip, Clip, FromQt(Box));
    }
    BindCanvas(this, &W->Buffer, Origin, &Clip);
    FBoundWindow = Host;
    W->BoundCanvases.push_back(this);
}

void TControlCanvas::Changed() {
    TCanvas::Changed();
    if (FBoundWindow && FBoundWindow->WindowPrivate() && !FBoundWindow->WindowPrivate()->Painting)
        if (TQtWindow* Q = FBoundWindow->WindowPrivate()->Widget) Q->update();
}

// ---- TGraphicControl, TCustomControl ----------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>()) {
    FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() {
    FCanvas->FreeHandle();
}

TCanvas* TGraphicControl::Canvas() const {
    return FCanvas.get();
}

void TGraphicControl::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_PAINT) return Crack(Message, this, &TGraphicControl::WMPaint);
    TControl::Dispatch(Message);
}

void TGraphicControl::WMPaint(TWMPaint&) {
    FCanvas->FreeHandle(); // bind afresh with the paint cycle's clip
    FCanvas->Lock();
    TScopeExit Release([this] {
        FCanvas->Unlock();
        FCanvas->FreeHandle();
    });
    FCanvas->Font()->Assign(Font());
    FCanvas->Brush()->SetColor(Color());
    Paint();
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>()) {
    FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl() {
    FCanvas->FreeHandle();
}

TCanvas* TCustomControl::Canvas() const {
    return FCanvas.get();
}

void TCustomControl::PaintWindow(HDC) {
    FCanvas->FreeHandle();
    FCanvas->Lock();
    TScopeExit Release([this] {
        FCanvas->Unlock();
        FCanvas->FreeHandle();
    });
    FCanvas->Font()->Assign(Font());
    FCanvas->Brush()->SetColor(Color());
    Paint();
}

// ---- Helpers ----------------------------------------------------------------------------------

TControl* FindVCLWindow(const TPoint& Pos) {
    return FindControl(WindowFromPoint(Pos));
}

TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled) {
    TWinControl* W = FindControl(WindowFromPoint(Pos));
    if (!W) return nullptr;
    if (TControl* C = W->ControlAtPos(W->ScreenToClient(Pos), AllowDisabled)) return C;
    return W;
}

String GetShortHint(const String& Hint) {
    const int I = Pos(u"|", Hint);
    return I == 0 ? Hint : Copy(Hint, 1, I - 1);
}

String GetLongHint(const String& Hint) {
    const int I = Pos(u"|", Hint);
    return I == 0 ? Hint : Copy(Hint, I + 1, Length(Hint));
}

void SaveControlImage(TWinControl* Control, const String& FileName) {
    Control->HandleNeeded();
    Control->Update();
    TQtWindow* W = WindowOf(Control);
    if (!W) throw EInvalidOperation(u"Control '" + Control->Name() + u"' has no window");
    const QImage Image = W->grab().toImage();
    if (!Image.save(ToQt(FileName), "PNG")) throw EFCreateError(u"Cannot create file \"" + FileName + u"\"");
}

void RegisterControlsClasses() {
    RegisterClass(TControl::StaticClass());
    RegisterClass(TWinControl::StaticClass());
    RegisterClass(TGraphicControl::StaticClass());
    RegisterClass(TCustomControl::StaticClass());
    RegisterClass(TSizeConstraints::StaticClass());
    RegisterClass(TControlCanvas::StaticClass());
}

// ---- Window styles ---------------------------------------------------------------------------

LONG_PTR GetWindowLong(HWND Wnd, int Index) {
    TWinControl* C = FindControl(Wnd);
    if (!C || !C->WindowPrivate()) return 0;
    if (Index == GWL_STYLE) return C->WindowPrivate()->Style;
    if (Index == GWL_EXSTYLE) return C->WindowPrivate()->ExStyle;
    return 0;
}

LONG_PTR SetWindowLong(HWND Wnd, int Index, LONG_PTR Value) {
    TWinControl* C = FindControl(Wnd);
    if (!C || !C->WindowPrivate()) return 0;
    Cardinal* Slot = Index == GWL_STYLE ? &C->WindowPrivate()->Style
                     : Index == GWL_EXSTYLE ? &C->WindowPrivate()->ExStyle
                                            : nullptr;
    if (!Slot) return 0;
    const LONG_PTR Old = *Slot;
    *Slot = static_cast<Cardinal>(Value);
    if (Index == GWL_EXSTYLE) C->WindowPrivate()->UpdateSeeThrough();
    return Old;
}
