#include "platform/gui/ExtCtrls.h"

#include "platform/base/ScopeGuard.h"
#include "platform/gui/ControlsQt.h"
#include "platform/gui/GraphicsQt.h"
#include "platform/gui/MessagesPrivate.h"

#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <cstdint>

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
    UpdateTimer();
}

TTimer::~TTimer() {
    // The window and its timer go, also when this runs inside the timer's own tick.
    if (FWindowHandle) DeallocateHWnd(FWindowHandle);
}

void TTimer::Published(TPublisher<TTimer>& P) {
    P.Property(u"Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
    P.Property(u"Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000);
    P.Property(u"OnTimer", &TTimer::OnTimer);
}

void TTimer::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    UpdateTimer();
}

void TTimer::SetInterval(Cardinal Value) {
    if (FInterval == Value) return;
    FInterval = Value;
    UpdateTimer();
}

void TTimer::Timer() {
    if (OnTimer) OnTimer(this);
}

void TTimer::UpdateTimer() {
    if (FWindowHandle) KillTimer(FWindowHandle, 1);
    if (!FEnabled || FInterval == 0) return;
    if (!FWindowHandle) FWindowHandle = AllocateHWnd([this](TMessage& Message) { WndProc(Message); });
    SetTimer(FWindowHandle, 1, FInterval);
}

void TTimer::WndProc(TMessage& Message) {
    // OnTimer may free its own timer: then there is no sender to report.
    if (Message.Msg == WM_TIMER)
        GuiBarrier([this, Wnd = FWindowHandle]() -> TObject* { return IsWindow(Wnd) ? this : nullptr; },
                   [this] { Timer(); });
}

// ---- Bevels ---------------------------------------------------------------------------------------

void Frame3D(TCanvas* Canvas, TRect& Area, TColor TopColor, TColor BottomColor, int Width) {
    TBrush Saved;
    Saved.Assign(Canvas->Brush());
    Canvas->Brush()->SetStyle(bsSolid);
    for (int I = 0; I < Width && Area.Width() > 0 && Area.Height() > 0; ++I) {
        const TRect R = Area;
        Canvas->Brush()->SetColor(TopColor);
        Canvas->FillRect(Rect(R.Left, R.Top, R.Right - 1, R.Top + 1));
        Canvas->FillRect(Rect(R.Left, R.Top, R.Left + 1, R.Bottom - 1));
        Canvas->Brush()->SetColor(BottomColor);
        Canvas->FillRect(Rect(R.Right - 1, R.Top, R.Right, R.Bottom));
        Canvas->FillRect(Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom));
        InflateRect(Area, -1, -1);
    }
    Canvas->Brush()->Assign(&Saved);
}

// ---- TCustomPanel ---------------------------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                     csOpaque,          csDoubleClicks, csReplicatable};
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TCustomPanel::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomPanel::SetBevelInner(TPanelBevel Value) {
    if (FBevelInner == Value) return;
    FBevelInner = Value;
    Changed();
}

void TCustomPanel::SetBevelOuter(TPanelBevel Value) {
    if (FBevelOuter == Value) return;
    FBevelOuter = Value;
    Changed();
}

void TCustomPanel::SetBevelWidth(int Value) {
    if (Value < 1) Value = 1;
    if (FBevelWidth == Value) return;
    FBevelWidth = Value;
    Changed();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    NonClientChanged();
}

void TCustomPanel::SetShowCaption(bool Value) {
    if (FShowCaption == Value) return;
    FShowCaption = Value;
    Invalidate();
}

void TCustomPanel::Changed() {
    Invalidate();
    Realign();
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == Controls::bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

TRect TCustomPanel::NonClientMargins() const {
    TRect M = TCustomControl::NonClientMargins();
    const int B = BorderWidth();
    return {M.Left - B, M.Top - B, M.Right - B, M.Bottom - B};
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
    TCustomControl::AdjustClientRect(Rect);
    int Inset = BorderWidth();
    if (FBevelOuter != bvNone) Inset += FBevelWidth;
    if (FBevelInner != bvNone) Inset += FBevelWidth;
    InflateRect(Rect, -Inset, -Inset);
}

void TCustomPanel::CMTextChanged(TMessage& Message) {
    TCustomControl::CMTextChanged(Message);
    Invalidate();
}

void TCustomPanel::Paint() {
    TCanvas* C = Canvas();
    const TColor Back = ParentBackground() && Parent() ? Parent()->Color() : Color();
    auto Bevel = [&](TRect& R, TPanelBevel Cut) {
        if (Cut == bvNone) return;
        TColor Top = Back, Bottom = Back;
        if (Cut == bvLowered) {
            Top = clBtnShadow;
            Bottom = clBtnHighlight;
        } else if (Cut == bvRaised) {
            Top = clBtnHighlight;
            Bottom = clBtnShadow;
        }
        Frame3D(C, R, Top, Bottom, FBevelWidth);
    };
    TRect R = ClientRect();
    Bevel(R, FBevelOuter);
    Frame3D(C, R, Back, Back, BorderWidth());
    Bevel(R, FBevelInner);
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Back);
    C->FillRect(R);
    if (!FShowCaption || Caption().empty()) return;
    C->Font()->Assign(Font());
    if (!Enabled()) C->Font()->SetColor(clGrayText);
    C->Brush()->SetStyle(bsClear);
    Cardinal Flags = DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER;
    Flags |= FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT;
    DrawText(C, Caption(), R, Flags);
}

void TPanel::Published(TPublisher<TPanel>& P) {
    P.Property(u"Alignment", &TPanel::Alignment, &TPanel::SetAlignment).Default(taCenter);
    P.Property(u"BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner).Default(bvNone);
    P.Property(u"BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter).Default(bvRaised);
    P.Property(u"BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth).Default(1);
    P.Property(u"BorderStyle", &TPanel::BorderStyle, &TPanel::SetBorderStyle).Default(Controls::bsNone);
    P.Property(u"FullRepaint", &TPanel::FullRepaint, &TPanel::SetFullRepaint).Default(true);
    P.Property(u"ShowCaption", &TPanel::ShowCaption, &TPanel::SetShowCaption).Default(true);
}

// ---- TSplitter ------------------------------------------------------------------------------------

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, 3, 100);
    SetAlign(alLeft);
    SetCursor(crHSplit);
    SetColor(clBtnFace);
}

// The line a splitter shows while it is dragged: a window of its own above the parent's
// children (drawing on the parent's picture would disappear under them).
struct TSplitter::TLine {
    class TWidget : public QWidget {
    public:
        TWidget(QWidget* Parent, bool APattern) : QWidget(Parent), Pattern(APattern) {
            setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        bool Pattern;

    protected:
        void paintEvent(QPaintEvent*) override {
            QPainter P(this);
            if (Pattern)
                P.fillRect(rect(), QBrush(Qt::black, Qt::Dense4Pattern));
            else
                P.fillRect(rect(), QtColor(cl3DDkShadow));
        }
    };
    QPointer<TWidget> Widget;
};

TSplitter::~TSplitter() {
    HideLine();
}

void TSplitter::Published(TPublisher<TSplitter>& P) {
    P.Property(u"AutoSnap", &TSplitter::AutoSnap, &TSplitter::SetAutoSnap).Default(true);
    P.Property(u"Beveled", &TSplitter::Beveled, &TSplitter::SetBeveled).Default(false);
    P.Property(u"MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize).Default(30);
    P.Property(u"ResizeStyle", &TSplitter::ResizeStyle, &TSplitter::SetResizeStyle).Default(rsPattern);
    P.Property(u"OnCanResize", &TSplitter::OnCanResize);
    P.Property(u"OnMoved", &TSplitter::OnMoved);
}

void TSplitter::SetBeveled(bool Value) {
    if (FBeveled == Value) return;
    FBeveled = Value;
    Invalidate();
}

void TSplitter::SetMinSize(int Value) {
    FMinSize = std::max(Value, 1);
}

void TSplitter::RequestAlign() {
    // The cursor follows the direction, unless a cursor of its own was chosen.
    if (Cursor() == crHSplit || Cursor() == crVSplit)
        SetCursor(Align() == alTop || Align() == alBottom ? crVSplit : crHSplit);
    TGraphicControl::RequestAlign();
}

void TSplitter::Paint() {
    TCanvas* C = Canvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    C->FillRect(ClientRect());
    if (FBeveled) {
        TRect R = ClientRect();
        if (Vertical())
            InflateRect(R, -1, 2);
        else
            InflateRect(R, 2, -1);
        Frame3D(C, R, clBtnHighlight, clBtnShadow, 1);
    }
}

TControl* TSplitter::FindControl() const {
    TWinControl* P = Parent();
    if (!P) return nullptr;
    TPoint Pt{Left(), Top()};
    switch (Align()) {
    case alLeft:
        --Pt.X;
        break;
    case alRight:
        Pt.X += Width();
        break;
    case alTop:
        --Pt.Y;
        break;
    case alBottom:
        Pt.Y += Height();
        break;
    default:
        return nullptr;
    }
    // The neighbour aligned the same way first, then any control at that edge.
    for (bool SameAlign : {true, false}) {
        for (int I = 0; I < P->ControlCount(); ++I) {
            TControl* C = P->Controls(I);
            if (C == this || !C->Visible() || (SameAlign && C->Align() != Align())) continue;
            TRect R = C->BoundsRect();
            // A neighbour closed to nothing still counts.
            if (R.Width() == 0) {
                if (Align() == alLeft || Align() == alTop)
                    --R.Left;
                else
                    ++R.Right;
            }
            if (R.Height() == 0) {
                if (Align() == alLeft || Align() == alTop)
                    --R.Top;
                else
                    ++R.Bottom;
            }
            if (PtInRect(R, Pt)) return C;
        }
    }
    return nullptr;
}

bool TSplitter::DoCanResize(int& NewSize) {
    bool Accept = true;
    if (OnCanResize) OnCanResize(this, NewSize, Accept);
    return Accept;
}

void TSplitter::CalcSplitSize(int X, int Y, int& NewSize) {
    const int Delta = Vertical() ? X - FDownPos.X : Y - FDownPos.Y;
    const int Current = Vertical() ? FControl->Width() : FControl->Height();
    int Raw = Current;
    switch (Align()) {
    case alLeft:
    case alTop:
        Raw = Current + Delta;
        break;
    default:
        Raw = Current - Delta;
        break;
    }
    int Size = std::max(Raw, FMinSize);
    if (Size > FMaxSize) Size = FMaxSize;
    if (FAutoSnap && Raw < FMinSize) Size = 0;
    if (Size < 0) Size = 0;
    // The neighbour's own limits.
    const TSizeConstraints* K = FControl->Constraints();
    const int Min = Vertical() ? K->MinWidth() : K->MinHeight();
    const int Max = Vertical() ? K->MaxWidth() : K->MaxHeight();
    if (Max > 0 && Size > Max) Size = Max;
    if (Min > 0 && Size < Min) Size = Min;
    NewSize = Size;
}

void TSplitter::UpdateSize(int X, int Y) {
    int Size = 0;
    CalcSplitSize(X, Y, Size);
    if (!DoCanResize(Size)) return;
    FNewSize = Size;
    FSplit = Size - (Vertical() ? FControl->Width() : FControl->Height());
}

void TSplitter::UpdateControlSize() {
    if (!FControl || FNewSize == FOldSize) return;
    TControl* C = FControl;
    switch (Align()) {
    case alLeft:
        C->SetWidth(FNewSize);
        break;
    case alTop:
        C->SetHeight(FNewSize);
        break;
    case alRight:
        C->SetBounds(C->Left() + C->Width() - FNewSize, C->Top(), FNewSize, C->Height());
        break;
    case alBottom:
        C->SetBounds(C->Left(), C->Top() + C->Height() - FNewSize, C->Width(), FNewSize);
        break;
    default:
        break;
    }
    if (Parent()) Parent()->Update();
    FOldSize = FNewSize;
    if (OnMoved) OnMoved(this);
}

void TSplitter::ShowLine() {
    TWinControl* P = Parent();
    QWidget* Host = P ? WindowOf(P) : nullptr;
    if (!Host) return;
    if (!FLine) FLine = std::make_unique<TLine>();
    if (!FLine->Widget) FLine->Widget = new TLine::TWidget(Host, FResizeStyle == rsPattern);
    TRect R = BoundsRect();
    switch (Align()) {
    case alLeft:
        OffsetRect(R, FSplit, 0);
        break;
    case alRight:
        OffsetRect(R, -FSplit, 0);
        break;
    case alTop:
        OffsetRect(R, 0, FSplit);
        break;
    case alBottom:
        OffsetRect(R, 0, -FSplit);
        break;
    default:
        break;
    }
    const QPoint Origin = P->WindowPrivate()->ClientArea().topLeft();
    FLine->Widget->setGeometry(ToQt(R).translated(Origin));
    FLine->Widget->raise();
    FLine->Widget->show();
}

void TSplitter::HideLine() {
    if (FLine && FLine->Widget) delete FLine->Widget.data();
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && !FSizing) {
        FControl = FindControl();
        FDownPos = {X, Y};
        if (FControl) {
            FControl->FreeNotification(this);
            // What the other controls aligned across the same axis leave, less MinSize for the
            // rest of the parent.
            TWinControl* P = Parent();
            FMaxSize = (Vertical() ? P->ClientWidth() : P->ClientHeight()) - FMinSize;
            for (int I = 0; I < P->ControlCount(); ++I) {
                TControl* C = P->Controls(I);
                if (!C->Visible()) continue;
                if (Vertical() && (C->Align() == alLeft || C->Align() == alRight)) FMaxSize -= C->Width();
                if (!Vertical() && (C->Align() == alTop || C->Align() == alBottom)) FMaxSize -= C->Height();
            }
            FMaxSize += Vertical() ? FControl->Width() : FControl->Height();
            FOldSize = Vertical() ? FControl->Width() : FControl->Height();
            FNewSize = FOldSize;
            FSplit = 0;
            FSizing = true;
            UpdateSize(X, Y);
            if (FResizeStyle == rsLine || FResizeStyle == rsPattern) ShowLine();
        }
    }
    TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!FSizing || !FControl) return;
    UpdateSize(X, Y);
    if (FResizeStyle == rsUpdate)
        UpdateControlSize();
    else if (FResizeStyle == rsLine || FResizeStyle == rsPattern)
        ShowLine();
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && FSizing) StopSizing();
    TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TSplitter::StopSizing() {
    if (!FSizing) return;
    HideLine();
    FSizing = false;
    UpdateControlSize();
    if (FControl) FControl->RemoveFreeNotification(this);
    FControl = nullptr;
}

void TSplitter::WMCancelMode(TWMCancelMode& Message) {
    // A lost capture ends the drag where it stands.
    if (FSizing) {
        HideLine();
        FSizing = false;
        FNewSize = FOldSize;
        if (FControl) FControl->RemoveFreeNotification(this);
        FControl = nullptr;
    }
    TGraphicControl::WMCancelMode(Message);
}

void TSplitter::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FControl) {
        FControl = nullptr;
        FSizing = false;
        HideLine();
    }
}

// ---- TImage ---------------------------------------------------------------------------------------

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
    FControlStyle.Include(csReplicatable);
    SetBounds(0, 0, 105, 105);
    FPicture->OnChange = [this](TObject* Sender) { PictureChanged(Sender); };
}

TImage::~TImage() {
    FPicture->OnChange = nullptr;
}

void TImage::Published(TPublisher<TImage>& P) {
    P.Property(u"AutoSize", &TImage::AutoSize, &TImage::SetAutoSize).Default(false);
    P.Property(u"Center", &TImage::Center, &TImage::SetCenter).Default(false);
    P.Property(u"Picture", &TImage::Picture, &TImage::SetPicture);
    P.Property(u"Proportional", &TImage::Proportional, &TImage::SetProportional).Default(false);
    P.Property(u"Stretch", &TImage::Stretch, &TImage::SetStretch).Default(false);
    P.Property(u"Transparent", &TImage::Transparent, &TImage::SetTransparent).Default(false);
}

TCanvas* TImage::Canvas() {
    TGraphic* G = FPicture->Graphic();
    if (!G) {
        TBitmap Blank(Width(), Height());
        FPicture->SetGraphic(&Blank);
        G = FPicture->Graphic();
    }
    auto* B = dynamic_cast<TBitmap*>(G);
    if (!B) throw EInvalidOperation(u"Can only modify an image if it contains a bitmap");
    return B->Canvas();
}

void TImage::SetCenter(bool Value) {
    if (FCenter == Value) return;
    FCenter = Value;
    Invalidate();
}

void TImage::SetStretch(bool Value) {
    if (FStretch == Value) return;
    FStretch = Value;
    Invalidate();
}

void TImage::SetProportional(bool Value) {
    if (FProportional == Value) return;
    FProportional = Value;
    Invalidate();
}

void TImage::SetTransparent(bool Value) {
    if (FTransparent == Value) return;
    FTransparent = Value;
    PictureChanged(this);
}

TRect TImage::DestRect() const {
    int W = FPicture->Width(), H = FPicture->Height();
    const int CW = Width(), CH = Height();
    if (FStretch || (FProportional && (W > CW || H > CH))) {
        if (FProportional && W > 0 && H > 0) {
            const double Aspect = double(W) / H;
            if (W > H) {
                W = CW;
                H = int(CW / Aspect);
                if (H > CH) {
                    H = CH;
                    W = int(CH * Aspect);
                }
            } else {
                H = CH;
                W = int(CH * Aspect);
                if (W > CW) {
                    W = CW;
                    H = int(CW / Aspect);
                }
            }
        } else {
            W = CW;
            H = CH;
        }
    }
    int X = 0, Y = 0;
    if (FCenter) {
        X = (CW - W) / 2;
        Y = (CH - H) / 2;
    }
    return Bounds(X, Y, W, H);
}

void TImage::Paint() {
    TGraphic* G = FPicture->Graphic();
    if (!G || G->Empty()) return;
    TFlagScope Drawing(FDrawing);
    TGraphicControl::Canvas()->StretchDraw(DestRect(), G);
}

bool TImage::CanAutoSize(int& NewWidth, int& NewHeight) {
    if (FPicture->Width() <= 0 || FPicture->Height() <= 0) return false;
    NewWidth = FPicture->Width();
    NewHeight = FPicture->Height();
    return true;
}

void TImage::PictureChanged(TObject*) {
    if (FDrawing) return;
    if (TGraphic* G = FPicture->Graphic();
        G && !dynamic_cast<TIcon*>(G) && G->Transparent() != FTransparent) {
        G->SetTransparent(FTransparent); // comes back here through OnChange
        return;
    }
    if (AutoSize()) AdjustSize();
    Invalidate();
}

// ---- TShape ---------------------------------------------------------------------------------------

TShape::TShape(TComponent* AOwner)
    : TGraphicControl(AOwner), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()) {
    FControlStyle.Include(csReplicatable);
    SetBounds(0, 0, 65, 65);
    FPen->OnChange = [this](TObject*) { Invalidate(); };
    FBrush->OnChange = [this](TObject*) { Invalidate(); };
}

TShape::~TShape() {
    FPen->OnChange = nullptr;
    FBrush->OnChange = nullptr;
}

void TShape::Published(TPublisher<TShape>& P) {
    P.Property(u"Brush", &TShape::Brush, &TShape::SetBrush);
    P.Property(u"Pen", &TShape::Pen, &TShape::SetPen);
    P.Property(u"Shape", &TShape::Shape, &TShape::SetShape).Default(stRectangle);
}

void TShape::SetShape(TShapeType Value) {
    if (FShape == Value) return;
    FShape = Value;
    Invalidate();
}

void TShape::Paint() {
    TCanvas* C = Canvas();
    C->SetPen(FPen.get());
    C->SetBrush(FBrush.get());
    // The outline's middle runs half a pen inside the control's edge.
    const int PW = FPen->Style() == psClear ? 0 : FPen->Width();
    int X = PW / 2, Y = PW / 2;
    int W = Width() - PW + 1, H = Height() - PW + 1;
    if (PW == 0) {
        --W;
        --H;
    }
    const int S = std::min(W, H);
    if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
        X += (W - S) / 2;
        Y += (H - S) / 2;
        W = S;
        H = S;
    }
    switch (FShape) {
    case stRectangle:
    case stSquare:
        C->Rectangle(X, Y, X + W, Y + H);
        break;
    case stRoundRect:
    case stRoundSquare:
        C->RoundRect(X, Y, X + W, Y + H, S / 4, S / 4);
        break;
    case stEllipse:
    case stCircle:
        C->Ellipse(X, Y, X + W, Y + H);
        break;
    }
}

// ---- TBevel ---------------------------------------------------------------------------------------

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
    FControlStyle.Include(csReplicatable);
    SetBounds(0, 0, 50, 50);
}

void TBevel::Published(TPublisher<TBevel>& P) {
    P.Property(u"Shape", &TBevel::Shape, &TBevel::SetShape).Default(bsBox);
    P.Property(u"Style", &TBevel::Style, &TBevel::SetStyle).Default(bsLowered);
}

void TBevel::SetShape(TBevelShape Value) {
    if (FShape == Value) return;
    FShape = Value;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas* C = Canvas();
    const TColor Dark = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    const TColor Light = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    const int W = Width(), H = Height();
    auto Fill = [C](const TRect& R, TColor Colour) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(Colour);
        C->FillRect(R);
    };
    switch (FShape) {
    case bsBox: {
        TRect R = ClientRect();
        Frame3D(C, R, Dark, Light, 1);
        break;
    }
    case bsFrame: {
        // Two rings one pixel apart: an etched (or bumped) frame.
        TRect Outer = Rect(0, 0, W - 1, H - 1), Inner = Rect(1, 1, W, H);
        Frame3D(C, Inner, Light, Light, 1);
        Frame3D(C, Outer, Dark, Dark, 1);
        break;
    }
    case bsTopLine:
        Fill(Rect(0, 0, W, 1), Dark);
        Fill(Rect(0, 1, W, 2), Light);
        break;
    case bsBottomLine:
        Fill(Rect(0, H - 2, W, H - 1), Dark);
        Fill(Rect(0, H - 1, W, H), Light);
        break;
    case bsLeftLine:
        Fill(Rect(0, 0, 1, H), Dark);
        Fill(Rect(1, 0, 2, H), Light);
        break;
    case bsRightLine:
        Fill(Rect(W - 2, 0, W - 1, H), Dark);
        Fill(Rect(W - 1, 0, W, H), Light);
        break;
    case bsSpacer:
        break;
    }
}

// ---- TPaintBox ------------------------------------------------------------------------------------

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) {
    FControlStyle.Include(csReplicatable);
    SetBounds(0, 0, 105, 105);
    SetParentColor(true);
}

void TPaintBox::Published(TPublisher<TPaintBox>& P) {
    P.Property(u"OnPaint", &TPaintBox::OnPaint);
}

void TPaintBox::Paint() {
    TCanvas* C = Canvas();
    C->Font()->Assign(Font());
    C->Brush()->SetColor(Color());
    if (OnPaint) OnPaint(this);
}

void RegisterExtCtrlsClasses() {
    for (TClass C :
         {TCustomPanel::StaticClass(), TPanel::StaticClass(), TSplitter::StaticClass(), TImage::StaticClass(),
          TShape::StaticClass(), TBevel::StaticClass(), TPaintBox::StaticClass()})
        RegisterClass(C);
}
