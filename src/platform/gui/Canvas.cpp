// The canvas on a Qt paint device: binding, clipping, lines, shapes, text, pictures.
#include "platform/gui/GraphicsQt.h"

#include <QGuiApplication>

#include <cmath>

// The device side of a canvas: the painter stays active while a device is bound, so that a
// drawing call costs no painter set-up.
struct TCanvasPrivate {
    QPaintDevice* Device = nullptr;
    QImage* Image = nullptr;
    QPainter Painter;
    TPoint Origin;
    QRect DeviceArea;  // canvas coordinates
    QRegion OwnerClip; // canvas coordinates
    bool HasUserClip = false;
    QRegion UserClip;
    TPoint WindowOrg;

    static TCanvasPrivate& Of(TCanvas* C) { return *C->FPriv; }

    // The painter, ready for a drawing call (a device bound, OnChanging fired).
    static QPainter& Begin(TCanvas* C) {
        C->RequiredState();
        C->Changing();
        return C->FPriv->Painter;
    }
    static void End(TCanvas* C) { C->Changed(); }

    QRegion Clip() const { return HasUserClip ? OwnerClip.intersected(UserClip) : OwnerClip; }

    // Always a clip region: after setClipping(false) Qt's raster engine ignores a region set
    // later; a single rectangle costs nothing.
    void ApplyClip() { Painter.setClipRegion(Clip()); }

    void Bind(QPaintDevice* ADevice, TPoint AOrigin, const TRect* AClip) {
        Release();
        if (!ADevice || ADevice->width() <= 0 || ADevice->height() <= 0) return;
        if (!Painter.begin(ADevice)) return;
        Device = ADevice;
        Image = ADevice->devType() == QInternal::Image ? static_cast<QImage*>(ADevice) : nullptr;
        Origin = AOrigin;
        WindowOrg = TPoint{0, 0};
        DeviceArea = QRect(-AOrigin.X, -AOrigin.Y, ADevice->width(), ADevice->height());
        OwnerClip = QRegion(DeviceArea);
        if (AClip) OwnerClip &= QRect(AClip->Left, AClip->Top, AClip->Width(), AClip->Height());
        Painter.translate(AOrigin.X, AOrigin.Y);
        ApplyClip();
    }

    void Release() {
        if (Painter.isActive()) Painter.end();
        Device = nullptr;
        Image = nullptr;
        HasUserClip = false;
        UserClip = QRegion();
    }
};

namespace {

QRect QR(const TRect& R) {
    return QRect(R.Left, R.Top, R.Width(), R.Height());
}

TRect Normalized(int X1, int Y1, int X2, int Y2) {
    return {std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2)};
}

// The composition of a pen mode; pmBlack and pmWhite copy their colour, pmNop draws nothing.
QPainter::CompositionMode PenComposition(TPenMode Mode) {
    switch (Mode) {
    case pmNot:
        return QPainter::RasterOp_NotDestination;
    case pmNotCopy:
        return QPainter::RasterOp_NotSource;
    case pmMergePenNot:
        return QPainter::RasterOp_SourceOrNotDestination;
    case pmMaskPenNot:
        return QPainter::RasterOp_SourceAndNotDestination;
    case pmMergeNotPen:
        return QPainter::RasterOp_NotSourceOrDestination;
    case pmMaskNotPen:
        return QPainter::RasterOp_NotSourceAndDestination;
    case pmMerge:
        return QPainter::RasterOp_SourceOrDestination;
    case pmNotMerge:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmMask:
        return QPainter::RasterOp_SourceAndDestination;
    case pmNotMask:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case pmXor:
        return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor:
        return QPainter::RasterOp_NotSourceXorDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

QColor PenColor(const TPen* Pen) {
    if (Pen->Mode() == pmBlack) return QColor(0, 0, 0);
    if (Pen->Mode() == pmWhite) return QColor(255, 255, 255);
    return QtColor(Pen->Color());
}

// Cosmetic pen patterns in pixels (on, off, on, off...).
const std::vector<int>& PenPattern(TPenStyle Style) {
    static const std::vector<int> Solid, Dash{18, 6}, Dot{3, 3}, DashDot{9, 6, 3, 6},
        DashDotDot{9, 3, 3, 3, 3, 3}, Alternate{1, 1};
    switch (Style) {
    case psDash:
        return Dash;
    case psDot:
        return Dot;
    case psDashDot:
        return DashDot;
    case psDashDotDot:
        return DashDotDot;
    case psAlternate:
        return Alternate;
    default:
        return Solid;
    }
}

// The pixels of a one-pixel line from (X1, Y1) towards (X2, Y2), the end point left out.
void AddLinePixels(int X1, int Y1, int X2, int Y2, std::vector<QPoint>& Out) {
    const int DX = std::abs(X2 - X1), DY = std::abs(Y2 - Y1);
    const int SX = X1 < X2 ? 1 : -1, SY = Y1 < Y2 ? 1 : -1;
    int Err = DX - DY;
    int X = X1, Y = Y1;
    while (X != X2 || Y != Y2) {
        Out.push_back(QPoint(X, Y));
        const int E2 = 2 * Err;
        if (E2 > -DY) {
            Err -= DY;
            X += SX;
        }
        if (E2 < DX) {
            Err += DX;
            Y += SY;
        }
    }
}

// Cuts the segment to Box (Liang-Barsky); false when nothing of it is inside.
bool ClipSegment(double& X1, double& Y1, double& X2, double& Y2, const QRectF& Box) {
    const double DX = X2 - X1, DY = Y2 - Y1;
    double T0 = 0, T1 = 1;
    const double P[4] = {-DX, DX, -DY, DY};
    const double Q[4] = {X1 - Box.left(), Box.right() - X1, Y1 - Box.top(), Box.bottom() - Y1};
    for (int I = 0; I < 4; ++I) {
        if (P[I] == 0) {
            if (Q[I] < 0) return false;
            continue;
        }
        const double T = Q[I] / P[I];
        if (P[I] < 0)
            T0 = std::max(T0, T);
        else
            T1 = std::min(T1, T);
        if (T0 > T1) return false;
    }
    X2 = X1 + T1 * DX;
    Y2 = Y1 + T1 * DY;
    X1 = X1 + T0 * DX;
    Y1 = Y1 + T0 * DY;
    return true;
}

// The same for any length: a very long line is first cut to the area that can be drawn on
// (Box), so that its pixels cost what the visible part costs.
void AddLinePoints(int X1, int Y1, int X2, int Y2, std::vector<QPoint>& Out, const QRect& Box) {
    const Int64 Length = std::max(std::abs(Int64(X2) - X1), std::abs(Int64(Y2) - Y1));
    if (Length <= 4096) {
        AddLinePixels(X1, Y1, X2, Y2, Out);
        return;
    }
    double A = X1, B = Y1, C = X2, D = Y2;
    if (!ClipSegment(A, B, C, D, QRectF(Box).adjusted(-2, -2, 2, 2))) return;
    const int NX1 = int(std::lround(A)), NY1 = int(std::lround(B)), NX2 = int(std::lround(C)),
              NY2 = int(std::lround(D));
    AddLinePixels(NX1, NY1, NX2, NY2, Out);
    if (NX2 != X2 || NY2 != Y2) Out.push_back(QPoint(NX2, NY2)); // the real end lies beyond
}

QBrush MakeBrush(const TBrush* Brush) {
    if (Brush->Bitmap() && !Brush->Bitmap()->Empty()) return QBrush(BitmapToQImage(Brush->Bitmap()));
    const QColor C = QtColor(Brush->Color());
    switch (Brush->Style()) {
    case bsClear:
        return QBrush(Qt::NoBrush);
    case bsHorizontal:
        return QBrush(C, Qt::HorPattern);
    case bsVertical:
        return QBrush(C, Qt::VerPattern);
    case bsFDiagonal:
        return QBrush(C, Qt::FDiagPattern);
    case bsBDiagonal:
        return QBrush(C, Qt::BDiagPattern);
    case bsCross:
        return QBrush(C, Qt::CrossPattern);
    case bsDiagCross:
        return QBrush(C, Qt::DiagCrossPattern);
    default:
        return QBrush(C);
    }
}

bool BrushVisible(const TBrush* Brush) {
    return Brush->Style() != bsClear || Brush->Bitmap();
}

// A wide or geometric pen for Qt's own outlines.
QPen MakeQPen(const TPen* Pen) {
    if (Pen->Style() == psClear || Pen->Mode() == pmNop) return QPen(Qt::NoPen);
    QPen P(PenColor(Pen), Pen->Width());
    if (Pen->Width() > 1) {
        P.setCapStyle(Qt::RoundCap);
        P.setJoinStyle(Qt::RoundJoin);
    } else {
        P.setCapStyle(Qt::FlatCap);
        P.setJoinStyle(Qt::MiterJoin);
        const std::vector<int>& Pattern = PenPattern(Pen->Style());
        if (!Pattern.empty()) P.setDashPattern(QList<qreal>(Pattern.begin(), Pattern.end()));
    }
    return P;
}

// Composition and colour of a copy mode that takes its source from an image.
QPainter::CompositionMode CopyComposition(TCopyMode Mode) {
    switch (Mode) {
    case cmSrcAnd:
        return QPainter::RasterOp_SourceAndDestination;
    case cmSrcPaint:
        return QPainter::RasterOp_SourceOrDestination;
    case cmSrcInvert:
        return QPainter::RasterOp_SourceXorDestination;
    case cmNotSrcCopy:
        return QPainter::RasterOp_NotSource;
    case cmSrcErase:
        return QPainter::RasterOp_SourceAndNotDestination;
    case cmNotSrcErase:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case cmMergePaint:
        return QPainter::RasterOp_NotSourceOrDestination;
    default:
        return QPainter::CompositionMode_Source;
    }
}

} // namespace

// Draws an image into Dest with a copy mode: the modes without a source fill Dest instead.
void BlitImage(TCanvas* Canvas, QPainter& P, const QRect& Dest, const QImage& Source, TCopyMode Mode) {
    switch (Mode) {
    case cmBlackness:
        P.setCompositionMode(QPainter::CompositionMode_Source);
        P.fillRect(Dest, QColor(0, 0, 0));
        break;
    case cmWhiteness:
        P.setCompositionMode(QPainter::CompositionMode_Source);
        P.fillRect(Dest, QColor(255, 255, 255));
        break;
    case cmDstInvert:
        P.setCompositionMode(QPainter::RasterOp_NotDestination);
        P.fillRect(Dest, QColor(255, 255, 255));
        break;
    case cmPatCopy:
        P.setCompositionMode(QPainter::CompositionMode_SourceOver);
        P.fillRect(Dest, MakeBrush(Canvas->Brush()));
        break;
    case cmPatInvert:
        P.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        P.fillRect(Dest, MakeBrush(Canvas->Brush()));
        break;
    case cmMergeCopy:
        P.setCompositionMode(QPainter::CompositionMode_Source);
        P.drawImage(Dest, Source);
        P.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        P.fillRect(Dest, MakeBrush(Canvas->Brush()));
        break;
    default:
        P.setCompositionMode(CopyComposition(Mode));
        P.drawImage(Dest, Source);
        break;
    }
    P.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// ---- Binding -------------------------------------------------------------------------------------

void BindCanvas(TCanvas* Canvas, QPaintDevice* Device, TPoint Origin, const TRect* Clip) {
    TCanvasPrivate::Of(Canvas).Bind(Device, Origin, Clip);
}

void ReleaseCanvas(TCanvas* Canvas) {
    TCanvasPrivate::Of(Canvas).Release();
}

QPaintDevice* CanvasDevice(TCanvas* Canvas) {
    return TCanvasPrivate::Of(Canvas).Device;
}

QImage* CanvasImage(TCanvas* Canvas) {
    return TCanvasPrivate::Of(Canvas).Image;
}

TPoint CanvasOrigin(TCanvas* Canvas) {
    return TCanvasPrivate::Of(Canvas).Origin;
}

QPainter* CanvasPainter(TCanvas* Canvas) {
    TCanvasPrivate& D = TCanvasPrivate::Of(Canvas);
    if (!D.Device) Canvas->ClipRect(); // binds or raises
    return &D.Painter;
}

QPainter& BeginCanvasDrawing(TCanvas* Canvas) {
    return TCanvasPrivate::Begin(Canvas);
}

void EndCanvasDrawing(TCanvas* Canvas) {
    TCanvasPrivate::End(Canvas);
}

// ---- TCanvas -----------------------------------------------------------------------------------

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()),
      FPriv(std::make_unique<TCanvasPrivate>()) {}

TCanvas::~TCanvas() {
    FPriv->Release();
}

void TCanvas::SetFont(TFont* Value) {
    FFont->Assign(Value);
}
void TCanvas::SetPen(TPen* Value) {
    FPen->Assign(Value);
}
void TCanvas::SetBrush(TBrush* Value) {
    FBrush->Assign(Value);
}

bool TCanvas::HandleAllocated() const {
    return FPriv->Device != nullptr;
}

void TCanvas::RequiredState() {
    if (!FPriv->Device) CreateHandle();
    if (!FPriv->Device) throw EInvalidOperation(u"Canvas does not allow drawing");
}

TRect TCanvas::ClipRect() {
    RequiredState();
    const QRect R = FPriv->Clip().boundingRect();
    return {R.left(), R.top(), R.left() + R.width(), R.top() + R.height()};
}

void TCanvas::Lock() {
    FLock.lock();
    ++FLockCount;
}

void TCanvas::Unlock() {
    --FLockCount;
    FLock.unlock();
}

bool TCanvas::TryLock() {
    if (!FLock.try_lock()) return false;
    ++FLockCount;
    return true;
}

void TCanvas::Changing() {
    if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
    if (OnChange) OnChange(this);
}

void TCanvas::Refresh() {
    if (FPriv->Device) FPriv->Painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// ---- Clipping ----------------------------------------------------------------------------------

void TCanvas::IntersectClipRect(const TRect& Rect) {
    RequiredState();
    TCanvasPrivate& D = *FPriv;
    D.UserClip = (D.HasUserClip ? D.UserClip : D.OwnerClip).intersected(QR(Rect));
    D.HasUserClip = true;
    D.ApplyClip();
}

void TCanvas::ExcludeClipRect(const TRect& Rect) {
    RequiredState();
    TCanvasPrivate& D = *FPriv;
    D.UserClip = (D.HasUserClip ? D.UserClip : D.OwnerClip).subtracted(QR(Rect));
    D.HasUserClip = true;
    D.ApplyClip();
}

void TCanvas::SelectClipRect(const TRect* Rect) {
    RequiredState();
    TCanvasPrivate& D = *FPriv;
    D.HasUserClip = Rect != nullptr;
    D.UserClip = Rect ? QRegion(QR(*Rect)) : QRegion();
    D.ApplyClip();
}

TPoint TCanvas::WindowOrg() const {
    return FPriv->WindowOrg;
}

void TCanvas::SetWindowOrg(const TPoint& Value) {
    RequiredState();
    TCanvasPrivate& D = *FPriv;
    const int DX = Value.X - D.WindowOrg.X, DY = Value.Y - D.WindowOrg.Y;
    if (DX == 0 && DY == 0) return;
    D.WindowOrg = Value;
    // Everything kept in canvas coordinates moves with the origin.
    D.Origin = TPoint{D.Origin.X - DX, D.Origin.Y - DY};
    D.DeviceArea.translate(DX, DY);
    D.OwnerClip.translate(DX, DY);
    D.UserClip.translate(DX, DY);
    D.Painter.translate(-DX, -DY);
    D.ApplyClip();
}

// ---- Lines -------------------------------------------------------------------------------------

namespace {

// Draws a chain of one-pixel segments, each without its end point, in the pen's pattern; the
// gaps of a patterned pen take the brush colour unless the brush is clear.
void DrawThinChain(QPainter& P, const TPen* Pen, const TBrush* Brush, const TPoint* Points, int Count,
                   bool Closed, const QRect& Box) {
    static thread_local std::vector<QPoint> Pixels;
    Pixels.clear();
    for (int I = 0; I + 1 < Count; ++I)
        AddLinePoints(Points[I].X, Points[I].Y, Points[I + 1].X, Points[I + 1].Y, Pixels, Box);
    if (Closed && Count > 1)
        AddLinePoints(Points[Count - 1].X, Points[Count - 1].Y, Points[0].X, Points[0].Y, Pixels, Box);
    if (Pixels.empty()) return;
    P.setCompositionMode(PenComposition(Pen->Mode()));
    const std::vector<int>& Pattern = PenPattern(Pen->Style());
    if (Pattern.empty()) {
        P.setPen(QPen(PenColor(Pen), 1));
        P.drawPoints(Pixels.data(), int(Pixels.size()));
    } else {
        static thread_local std::vector<QPoint> On, Off;
        On.clear();
        Off.clear();
        size_t Phase = 0;
        int Left = Pattern[0];
        for (const QPoint& Pt : Pixels) {
            (Phase % 2 == 0 ? On : Off).push_back(Pt);
            if (--Left == 0) {
                Phase = (Phase + 1) % Pattern.size();
                Left = Pattern[Phase];
            }
        }
        if (!Off.empty() && Brush->Style() == bsSolid) {
            P.setPen(QPen(QtColor(Brush->Color()), 1));
            P.drawPoints(Off.data(), int(Off.size()));
        }
        P.setPen(QPen(PenColor(Pen), 1));
        if (!On.empty()) P.drawPoints(On.data(), int(On.size()));
    }
    P.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

bool PenVisible(const TPen* Pen) {
    return Pen->Style() != psClear && Pen->Mode() != pmNop;
}

} // namespace

void TCanvas::MoveTo(int X, int Y) {
    FPenPos = {X, Y};
}

void TCanvas::LineTo(int X, int Y) {
    const TPoint Points[2] = {FPenPos, {X, Y}};
    Polyline(Points, 2);
    FPenPos = {X, Y};
}

void TCanvas::Polyline(const TPoint* Points, int Count) {
    if (Count < 2) return;
    QPainter& P = TCanvasPrivate::Begin(this);
    if (PenVisible(FPen.get())) {
        if (FPen->Width() == 1) {
            DrawThinChain(P, FPen.get(), FBrush.get(), Points, Count, false, FPriv->Clip().boundingRect());
        } else {
            std::vector<QPoint> Q;
            for (int I = 0; I < Count; ++I)
                Q.push_back(QPoint(Points[I].X, Points[I].Y));
            P.setCompositionMode(PenComposition(FPen->Mode()));
            P.setPen(MakeQPen(FPen.get()));
            P.drawPolyline(Q.data(), Count);
            P.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
    }
    TCanvasPrivate::End(this);
}

void TCanvas::Polygon(const TPoint* Points, int Count) {
    if (Count < 2) return;
    QPainter& P = TCanvasPrivate::Begin(this);
    std::vector<QPoint> Q;
    for (int I = 0; I < Count; ++I)
        Q.push_back(QPoint(Points[I].X, Points[I].Y));
    P.setCompositionMode(PenComposition(FPen->Mode()));
    if (BrushVisible(FBrush.get())) {
        P.setPen(Qt::NoPen);
        P.setBrush(MakeBrush(FBrush.get()));
        P.drawPolygon(Q.data(), Count, Qt::OddEvenFill);
        P.setBrush(Qt::NoBrush);
    }
    if (PenVisible(FPen.get())) {
        if (FPen->Width() == 1) {
            DrawThinChain(P, FPen.get(), FBrush.get(), Points, Count, true, FPriv->Clip().boundingRect());
        } else {
            P.setPen(MakeQPen(FPen.get()));
            P.drawPolygon(Q.data(), Count);
        }
    }
    P.setCompositionMode(QPainter::CompositionMode_SourceOver);
    TCanvasPrivate::End(this);
}

// ---- Shapes ------------------------------------------------------------------------------------

namespace {

enum class TShape { Rectangle, RoundRect, Ellipse, Arc, Pie, Chord };

// Start and span in 1/16 degree of an arc from the radial through S to the one through E,
// counter-clockwise.
void ArcAngles(const QRectF& Box, int SX, int SY, int EX, int EY, int& Start, int& Span) {
    const QPointF C = Box.center();
    const double A1 = std::atan2(-(SY - C.y()), SX - C.x()) * 180 / M_PI;
    const double A2 = std::atan2(-(EY - C.y()), EX - C.x()) * 180 / M_PI;
    double S = A2 - A1;
    while (S <= 0)
        S += 360;
    Start = int(std::lround(A1 * 16));
    Span = int(std::lround(S * 16));
}

void DrawShape(TCanvas* Canvas, QPainter& P, TShape Shape, const TRect& R, int RX, int RY, int SX = 0,
               int SY = 0, int EX = 0, int EY = 0) {
    const TPen* Pen = Canvas->Pen();
    const TBrush* Brush = Canvas->Brush();
    const bool Outline = PenVisible(Pen);
    const int W = Pen->Width();
    // Windows fills a shape drawn without pen one pixel smaller; the outline of a one-pixel
    // pen covers the bounding box without its right and bottom edges.
    QRectF Box(R.Left, R.Top, R.Width() - 1, R.Height() - 1);
    if (Outline && W > 1 && Pen->Style() == psInsideFrame)
        Box.adjust(W / 2.0 - 0.5, W / 2.0 - 0.5, -(W / 2.0 - 0.5), -(W / 2.0 - 0.5));
    if (Box.width() < 0 || Box.height() < 0) return;
    P.setCompositionMode(PenComposition(Pen->Mode()));
    P.setPen(Qt::NoPen);
    if (Shape == TShape::Rectangle && Outline && W == 1) {
        const QRect Box = TCanvasPrivate::Of(Canvas).Clip().boundingRect();
        // Filled inside, framed pixel-exact (so that inverting modes touch each pixel once).
        if (BrushVisible(Brush) && R.Width() > 2 && R.Height() > 2)
            P.fillRect(QRect(R.Left + 1, R.Top + 1, R.Width() - 2, R.Height() - 2), MakeBrush(Brush));
        const TPoint Corners[4] = {
            {R.Left, R.Top}, {R.Right - 1, R.Top}, {R.Right - 1, R.Bottom - 1}, {R.Left, R.Bottom - 1}};
        if (R.Width() == 1 || R.Height() == 1) {
            const TPoint Line[2] = {
                Corners[0],
                {Corners[2].X + (R.Width() == 1 ? 0 : 1), Corners[2].Y + (R.Width() == 1 ? 1 : 0)}};
            DrawThinChain(P, Pen, Brush, Line, 2, false, Box);
        } else {
            DrawThinChain(P, Pen, Brush, Corners, 4, true, Box);
        }
        P.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    P.setBrush(Shape == TShape::Arc ? QBrush(Qt::NoBrush) : MakeBrush(Brush));
    if (Outline) P.setPen(MakeQPen(Pen));
    int Start = 0, Span = 0;
    if (Shape >= TShape::Arc) ArcAngles(Box, SX, SY, EX, EY, Start, Span);
    switch (Shape) {
    case TShape::Rectangle:
        if (Outline)
            P.drawRect(Box);
        else
            P.fillRect(QRect(R.Left, R.Top, R.Width() - 1, R.Height() - 1), P.brush());
        break;
    case TShape::RoundRect:
        P.drawRoundedRect(Box, RX / 2.0, RY / 2.0);
        break;
    case TShape::Ellipse:
        P.drawEllipse(Box);
        break;
    case TShape::Arc:
        P.drawArc(Box, Start, Span);
        break;
    case TShape::Pie:
        P.drawPie(Box, Start, Span);
        break;
    case TShape::Chord:
        P.drawChord(Box, Start, Span);
        break;
    }
    P.setBrush(Qt::NoBrush);
    P.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

} // namespace

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    QPainter& P = TCanvasPrivate::Begin(this);
    DrawShape(this, P, TShape::Rectangle, Normalized(X1, Y1, X2, Y2), 0, 0);
    TCanvasPrivate::End(this);
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
    QPainter& P = TCanvasPrivate::Begin(this);
    DrawShape(this, P, TShape::RoundRect, Normalized(X1, Y1, X2, Y2), X3, Y3);
    TCanvasPrivate::End(this);
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    QPainter& P = TCanvasPrivate::Begin(this);
    DrawShape(this, P, TShape::Ellipse, Normalized(X1, Y1, X2, Y2), 0, 0);
    TCanvasPrivate::End(this);
}

void TCanvas::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
    QPainter& P = TCanvasPrivate::Begin(this);
    DrawShape(this, P, TShape::Arc, Normalized(X1, Y1, X2, Y2), 0, 0, X3, Y3, X4, Y4);
    TCanvasPrivate::End(this);
}

void TCanvas::Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
    QPainter& P = TCanvasPrivate::Begin(this);
    DrawShape(this, P, TShape::Pie, Normalized(X1, Y1, X2, Y2), 0, 0, X3, Y3, X4, Y4);
    TCanvasPrivate::End(this);
}

void TCanvas::Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
    QPainter& P = TCanvasPrivate::Begin(this);
    DrawShape(this, P, TShape::Chord, Normalized(X1, Y1, X2, Y2), 0, 0, X3, Y3, X4, Y4);
    TCanvasPrivate::End(this);
}

void TCanvas::FillRect(const TRect& Rect) {
    QPainter& P = TCanvasPrivate::Begin(this);
    P.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (BrushVisible(FBrush.get()) && !Rect.IsEmpty()) P.fillRect(QR(Rect), MakeBrush(FBrush.get()));
    TCanvasPrivate::End(this);
}

void TCanvas::FrameRect(const TRect& Rect) {
    QPainter& P = TCanvasPrivate::Begin(this);
    if (BrushVisible(FBrush.get()) && !Rect.IsEmpty()) {
        P.setCompositionMode(QPainter::CompositionMode_SourceOver);
        const QBrush B = MakeBrush(FBrush.get());
        const int W = Rect.Width(), H = Rect.Height();
        P.fillRect(QRect(Rect.Left, Rect.Top, W, 1), B);
        if (H > 1) P.fillRect(QRect(Rect.Left, Rect.Bottom - 1, W, 1), B);
        if (H > 2) {
            P.fillRect(QRect(Rect.Left, Rect.Top + 1, 1, H - 2), B);
            if (W > 1) P.fillRect(QRect(Rect.Right - 1, Rect.Top + 1, 1, H - 2), B);
        }
    }
    TCanvasPrivate::End(this);
}

void TCanvas::DrawFocusRect(const TRect& Rect) {
    QPainter& P = TCanvasPrivate::Begin(this);
    if (!Rect.IsEmpty()) {
        // Every other pixel of the frame, each exactly once, inverted.
        // Only the visible part is walked: a huge rectangle costs what shows of it.
        const QRect Box = FPriv->Clip().boundingRect();
        const int X0 = std::max(Rect.Left, Box.left()), X1 = std::min(Rect.Right, Box.right() + 1);
        const int Y0 = std::max(Rect.Top + 1, Box.top()), Y1 = std::min(Rect.Bottom - 1, Box.bottom() + 1);
        std::vector<QPoint> Dots;
        auto Add = [&](int X, int Y) {
            if ((Int64(X) - Rect.Left + Int64(Y) - Rect.Top) % 2 == 0) Dots.push_back(QPoint(X, Y));
        };
        for (int X = X0; X < X1; ++X)
            Add(X, Rect.Top);
        if (Rect.Height() > 1)
            for (int X = X0; X < X1; ++X)
                Add(X, Rect.Bottom - 1);
        for (int Y = Y0; Y < Y1; ++Y) {
            Add(Rect.Left, Y);
            if (Rect.Width() > 1) Add(Rect.Right - 1, Y);
        }
        P.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        P.setPen(QPen(QColor(255, 255, 255), 1));
        P.drawPoints(Dots.data(), int(Dots.size()));
        P.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    TCanvasPrivate::End(this);
}

// ---- Pixels ------------------------------------------------------------------------------------

TColor TCanvas::Pixels(int X, int Y) {
    RequiredState();
    TCanvasPrivate& D = *FPriv;
    if (!D.Image || !D.Clip().contains(QPoint(X, Y))) return CLR_INVALID;
    return ColorFromQt(D.Image->pixel(X + D.Origin.X, Y + D.Origin.Y));
}

void TCanvas::SetPixels(int X, int Y, TColor Value) {
    TCanvasPrivate::Begin(this);
    TCanvasPrivate& D = *FPriv;
    if (D.Clip().contains(QPoint(X, Y))) {
        if (D.Image) {
            D.Image->setPixel(X + D.Origin.X, Y + D.Origin.Y, QtRgb(Value));
        } else {
            D.Painter.setCompositionMode(QPainter::CompositionMode_Source);
            D.Painter.fillRect(QRect(X, Y, 1, 1), QtColor(Value));
            D.Painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
    }
    TCanvasPrivate::End(this);
}

// ---- Text --------------------------------------------------------------------------------------

TSize TCanvas::TextExtent(const String& Text) {
    TFontEngine& E = *FFont->Engine();
    return {E.TextWidth(Text.data(), int(Text.size())), E.Metric.tmHeight};
}

bool TCanvas::GetTextMetrics(TTextMetric& Metric) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    Metric = FFont->Engine()->Metric;
    Metric.tmUnderlined = FFont->Style().Contains(fsUnderline) ? 1 : 0;
    Metric.tmStruckOut = FFont->Style().Contains(fsStrikeOut) ? 1 : 0;
    Metric.tmCharSet = FFont->Charset();
    return true;
}

bool TCanvas::GetCharABCWidths(Char First, Char Last, TABC* ABC) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || Last < First) return false;
    TFontEngine& E = *FFont->Engine();
    for (char32_t C = First; C <= Last; ++C)
        ABC[C - First] = E.ABCWidths(C);
    return true;
}

void TCanvas::ExtTextOut(int X, int Y, int Options, const TRect* Rect, const Char* Text, int Count,
                         const int* Dx) {
    TFontEngine& E = *FFont->Engine();
    QPainter& P = TCanvasPrivate::Begin(this);
    P.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QColor Back = QtColor(FBrush->Color());
    if ((Options & ETO_OPAQUE) && Rect && !Rect->IsEmpty()) P.fillRect(QR(*Rect), Back);
    int Width = 0;
    if (Dx)
        for (int I = 0; I < Count; ++I)
            Width += Dx[I];
    else
        Width = E.TextWidth(Text, Count);
    const bool Rotated = FFont->Orientation() % 3600 != 0;
    // Clipping costs a clip change: upright text whose cells stay inside the rectangle does
    // without (italics lean out of their cells).
    const QRect Cell(X, Y, std::max(Width, 0), E.Metric.tmHeight);
    const bool Clipped = (Options & ETO_CLIPPED) && Rect &&
                         (Rotated || FFont->Style().Contains(fsItalic) || !QR(*Rect).contains(Cell));
    if (Clipped) P.setClipRect(QR(*Rect), Qt::IntersectClip);
    int TX = X, TY = Y;
    if (Rotated) {
        P.save();
        P.translate(X, Y);
        P.rotate(-FFont->Orientation() / 10.0);
        TX = TY = 0;
    }
    const bool Filled = (Options & ETO_OPAQUE) && Rect && !Rotated && QR(*Rect).contains(Cell);
    if (FBrush->Style() != bsClear && Width != 0 && !Filled)
        P.fillRect(QRect(TX, TY, Width, E.Metric.tmHeight), Back);
    P.setRenderHint(QPainter::TextAntialiasing, FFont->Quality() != fqNonAntialiased);
    if (Count > 0)
        DrawGlyphs(P, E, TX, TY, Text, Count, Dx, QtColor(FFont->Color()),
                   FFont->Style().Contains(fsUnderline), FFont->Style().Contains(fsStrikeOut));
    if (Rotated) P.restore();
    if (Clipped) FPriv->ApplyClip();
    TCanvasPrivate::End(this);
}

void TCanvas::TextOut(int X, int Y, const String& Text) {
    ExtTextOut(X, Y, FTextFlags & ~(ETO_OPAQUE | ETO_CLIPPED), nullptr, Text);
    FPenPos = {X + TextWidth(Text), Y};
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const String& Text) {
    int Options = FTextFlags | ETO_CLIPPED;
    if (FBrush->Style() != bsClear) Options |= ETO_OPAQUE;
    ExtTextOut(X, Y, Options, &Rect, Text);
}

void TCanvas::TextRect(TRect& Rect, const String& Text, const TTextFormat& Format) {
    DrawText(this, Text, Rect, TextFormatFlags(Format));
}

bool ExtTextOut(TCanvas* Canvas, int X, int Y, int Options, const TRect* Rect, const String& Text,
                const int* Dx) {
    Canvas->ExtTextOut(X, Y, Options, Rect, Text, Dx);
    return true;
}

// ---- Pictures ----------------------------------------------------------------------------------

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
    Draw(X, Y, Graphic, 255);
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic, Byte Opacity) {
    if (!Graphic || Graphic->Empty()) return;
    TCanvasPrivate::Begin(this);
    Graphic->Draw(this, Bounds(X, Y, Graphic->Width(), Graphic->Height()), Opacity);
    TCanvasPrivate::End(this);
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
    if (!Graphic || Graphic->Empty()) return;
    TCanvasPrivate::Begin(this);
    Graphic->Draw(this, Rect, 255);
    TCanvasPrivate::End(this);
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
    if (!Canvas) return;
    Canvas->RequiredState();
    TCanvasPrivate& S = TCanvasPrivate::Of(Canvas);
    QImage Part;
    if (S.Image) {
        Part = S.Image->copy(
            QRect(Source.Left + S.Origin.X, Source.Top + S.Origin.Y, Source.Width(), Source.Height()));
    } else {
        return; // a device without readable pixels
    }
    QPainter& P = TCanvasPrivate::Begin(this);
    BlitImage(this, P, QR(Dest), Part, FCopyMode);
    TCanvasPrivate::End(this);
}

void TCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color) {
    if (!Bitmap || Bitmap->Empty()) return;
    QImage Part =
        BitmapToQImage(Bitmap).copy(QR(Source)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb Key = QtRgb(Color), Fill = QtRgb(FBrush->Color());
    for (int Y = 0; Y < Part.height(); ++Y) {
        QRgb* Row = reinterpret_cast<QRgb*>(Part.scanLine(Y));
        for (int X = 0; X < Part.width(); ++X)
            if ((Row[X] | 0xFF000000u) == Key && qAlpha(Row[X]) == 255) Row[X] = Fill;
    }
    QPainter& P = TCanvasPrivate::Begin(this);
    BlitImage(this, P, QR(Dest), Part, cmSrcCopy);
    TCanvasPrivate::End(this);
}

// ---- Colours -----------------------------------------------------------------------------------

QRgb QtRgb(TColor Color) {
    const TColorRef C = ColorToRGB(Color);
    return qRgb(GetRValue(C), GetGValue(C), GetBValue(C));
}

QColor QtColor(TColor Color) {
    if (Color == clNone) return QColor(0, 0, 0, 0);
    return QColor(QtRgb(Color));
}

TColor ColorFromQt(QRgb Rgb) {
    return RGB(Byte(qRed(Rgb)), Byte(qGreen(Rgb)), Byte(qBlue(Rgb)));
}
