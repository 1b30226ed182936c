// Classic 3-D edges and frame controls (buttons, check boxes, radio buttons, scroll arrows,
// caption buttons, menu glyphs), drawn pixel by pixel in the fixed system colours.
#include "platform/gui/GraphicsQt.h"

#include <cmath>

namespace {

class TPixels {
public:
    explicit TPixels(QPainter& APainter) : P(APainter) {
        P.setCompositionMode(QPainter::CompositionMode_SourceOver);
        P.setRenderHint(QPainter::Antialiasing, false);
    }
    void Fill(int X, int Y, int W, int H, TColor C) {
        if (W > 0 && H > 0) P.fillRect(QRect(X, Y, W, H), QtColor(C));
    }
    void Fill(const TRect& R, TColor C) { Fill(R.Left, R.Top, R.Width(), R.Height(), C); }
    void Dot(int X, int Y, TColor C) { Fill(X, Y, 1, 1, C); }
    void Points(const std::vector<QPoint>& Pts, TColor C) {
        if (Pts.empty()) return;
        P.setPen(QPen(QtColor(C), 1));
        P.drawPoints(Pts.data(), int(Pts.size()));
    }
    // A 50 % dither of two colours (the checked look of buttons).
    void Dither(const TRect& R, TColor A, TColor B) {
        Fill(R, A);
        std::vector<QPoint> Pts;
        for (int Y = R.Top; Y < R.Bottom; ++Y)
            for (int X = R.Left + ((Y + R.Left) & 1); X < R.Right; X += 2)
                Pts.push_back(QPoint(X, Y));
        Points(Pts, B);
    }

private:
    QPainter& P;
};

// One ring of an edge: the left and top sides in LT, then the right and bottom ones in RB, so
// that the top-right and bottom-left corners take RB.
void Ring(TPixels& Px, TRect& R, Cardinal Sides, TColor LT, TColor RB) {
    if (R.IsEmpty()) return;
    if (Sides & BF_LEFT) Px.Fill(R.Left, R.Top, 1, R.Height(), LT);
    if (Sides & BF_TOP) Px.Fill(R.Left, R.Top, R.Width(), 1, LT);
    if (Sides & BF_RIGHT) Px.Fill(R.Right - 1, R.Top, 1, R.Height(), RB);
    if (Sides & BF_BOTTOM) Px.Fill(R.Left, R.Bottom - 1, R.Width(), 1, RB);
    if (Sides & BF_LEFT) ++R.Left;
    if (Sides & BF_TOP) ++R.Top;
    if (Sides & BF_RIGHT) --R.Right;
    if (Sides & BF_BOTTOM) --R.Bottom;
}

void Edge(TPixels& Px, TRect& Rect, Cardinal Edge, Cardinal Flags) {
    TRect R = Rect;
    const Cardinal Sides = Flags & BF_RECT;
    const bool Outer = Edge & BDR_OUTER, Inner = Edge & BDR_INNER;
    const bool RaisedOuter = Edge & BDR_RAISEDOUTER, RaisedInner = Edge & BDR_RAISEDINNER;
    const bool Soft = Flags & BF_SOFT;
    TColor Middle = clBtnFace;
    if (Flags & BF_MONO) {
        if (Outer) Ring(Px, R, Sides, clWindowFrame, clWindowFrame);
        if (Inner) Ring(Px, R, Sides, clWindow, clWindow);
        Middle = clWindow;
    } else if (Flags & BF_FLAT) {
        if (Outer) Ring(Px, R, Sides, clBtnShadow, clBtnShadow);
        if (Inner) Ring(Px, R, Sides, clBtnFace, clBtnFace);
    } else {
        if (Outer) {
            if (RaisedOuter)
                Ring(Px, R, Sides, Soft ? clBtnHighlight : cl3DLight, cl3DDkShadow);
            else
                Ring(Px, R, Sides, Soft ? cl3DDkShadow : clBtnShadow, clBtnHighlight);
        }
        if (Inner) {
            if (RaisedInner)
                Ring(Px, R, Sides, Soft ? cl3DLight : clBtnHighlight, clBtnShadow);
            else
                Ring(Px, R, Sides, Soft ? clBtnShadow : cl3DDkShadow, cl3DLight);
        }
    }
    if (Flags & BF_MIDDLE) Px.Fill(R, Middle);
    if (Flags & BF_ADJUST) Rect = R;
}

// The classic tick: seven columns, three pixels high each.
void Tick(TPixels& Px, int X, int Y, TColor C) {
    static const int Tops[7] = {2, 3, 4, 3, 2, 1, 0};
    std::vector<QPoint> Pts;
    for (int I = 0; I < 7; ++I)
        for (int J = 0; J < 3; ++J)
            Pts.push_back(QPoint(X + I, Y + Tops[I] + J));
    Px.Points(Pts, C);
}

// A filled triangle pointing in Dir (0 up, 1 down, 2 left, 3 right), centred at (CX, CY).
void Arrow(TPixels& Px, int CX, int CY, int Height, int Dir, TColor C) {
    std::vector<QPoint> Pts;
    for (int I = 0; I < Height; ++I) {
        const int Row = Dir == 0 || Dir == 2 ? I : Height - 1 - I; // distance from the base side
        for (int K = -I; K <= I; ++K) {
            const int Along = Row - Height / 2;
            if (Dir <= 1)
                Pts.push_back(QPoint(CX + K, CY + Along));
            else
                Pts.push_back(QPoint(CX + Along, CY + K));
        }
    }
    Px.Points(Pts, C);
}

TRect Square(const TRect& R) {
    const int S = std::min(R.Width(), R.Height());
    const int X = R.Left + (R.Width() - S) / 2, Y = R.Top + (R.Height() - S) / 2;
    return Bounds(X, Y, S, S);
}

void CheckBox(TPixels& Px, const TRect& Rect, Cardinal State) {
    TRect R = Square(Rect);
    if (State & (DFCS_FLAT | DFCS_MONO))
        Edge(Px, R, BDR_OUTER, BF_RECT | BF_ADJUST | ((State & DFCS_MONO) ? BF_MONO : BF_FLAT));
    else
        Edge(Px, R, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    const bool Grey = State & (DFCS_PUSHED | DFCS_INACTIVE);
    const bool Mixed = (State & DFCS_BUTTON3STATE) && (State & DFCS_CHECKED);
    if (Mixed)
        Px.Dither(R, clBtnFace, clBtnHighlight);
    else
        Px.Fill(R, Grey ? clBtnFace : clWindow);
    if (State & DFCS_CHECKED)
        Tick(Px, R.Left + (R.Width() - 7) / 2, R.Top + (R.Height() - 7) / 2,
             (Mixed || (State & DFCS_INACTIVE)) ? clBtnShadow : clWindowText);
}

void RadioButton(TPixels& Px, const TRect& Rect, Cardinal State) {
    const TRect R = Square(Rect);
    const int S = R.Width();
    if (S <= 0) return;
    const double C = S / 2.0, Rad = S / 2.0;
    std::vector<QPoint> OuterLT, OuterRB, InnerLT, InnerRB, Inside, DotPts;
    const bool Mask = (State & 0xFF) == DFCS_BUTTONRADIOMASK;
    for (int Y = 0; Y < S; ++Y)
        for (int X = 0; X < S; ++X) {
            const double DX = X + 0.5 - C, DY = Y + 0.5 - C;
            const double D = std::sqrt(DX * DX + DY * DY);
            const QPoint Pt(R.Left + X, R.Top + Y);
            const bool UpperLeft = DX + DY < 0;
            if (D > Rad) continue;
            if (Mask)
                Inside.push_back(Pt);
            else if (D > Rad - 1)
                (UpperLeft ? OuterLT : OuterRB).push_back(Pt);
            else if (D > Rad - 2)
                (UpperLeft ? InnerLT : InnerRB).push_back(Pt);
            else if ((State & DFCS_CHECKED) && D <= S * 0.2)
                DotPts.push_back(Pt);
            else
                Inside.push_back(Pt);
        }
    if (Mask) {
        Px.Fill(R, clWhite);
        Px.Points(Inside, clBlack);
        return;
    }
    const bool Flat = State & (DFCS_FLAT | DFCS_MONO);
    Px.Points(OuterLT, Flat ? clBtnShadow : clBtnShadow);
    Px.Points(OuterRB, Flat ? clBtnShadow : clBtnHighlight);
    Px.Points(InnerLT, Flat ? clWindow : cl3DDkShadow);
    Px.Points(InnerRB, Flat ? clWindow : cl3DLight);
    Px.Points(Inside, (State & (DFCS_PUSHED | DFCS_INACTIVE)) ? clBtnFace : clWindow);
    Px.Points(DotPts, (State & DFCS_INACTIVE) ? clBtnShadow : clWindowText);
}

// The raised or pushed body of a button; answers the inside.
TRect ButtonBody(TPixels& Px, TRect R, Cardinal State, bool ScrollStyle) {
    const bool Pushed = State & DFCS_PUSHED;
    const Cardinal Middle = (State & DFCS_TRANSPARENT) ? 0 : BF_MIDDLE;
    if (State & DFCS_MONO)
        Edge(Px, R, BDR_OUTER, BF_RECT | BF_MONO | BF_ADJUST | Middle);
    else if ((State & DFCS_FLAT) || (Pushed && ScrollStyle))
        Edge(Px, R, BDR_OUTER, BF_RECT | BF_FLAT | BF_ADJUST | Middle);
    else if (Pushed || (State & DFCS_CHECKED))
        Edge(Px, R, EDGE_SUNKEN, BF_RECT | BF_ADJUST | Middle);
    else
        Edge(Px, R, EDGE_RAISED, BF_RECT | BF_SOFT | BF_ADJUST | Middle);
    if ((State & DFCS_CHECKED) && !Pushed && !(State & DFCS_TRANSPARENT))
        Px.Dither(R, clBtnFace, clBtnHighlight);
    return R;
}

// Draws a glyph in the button text colour, or embossed when inactive.
template <class F> void Glyph(Cardinal State, int DX, int DY, F Draw) {
    if (State & DFCS_PUSHED) {
        ++DX;
        ++DY;
    }
    if (State & DFCS_INACTIVE) {
        Draw(DX + 1, DY + 1, clBtnHighlight);
        Draw(DX, DY, clBtnShadow);
    } else {
        Draw(DX, DY, clBtnText);
    }
}

void ScrollButton(TPixels& Px, const TRect& Rect, Cardinal State) {
    const Cardinal Kind = State & 0xFF;
    if (Kind == DFCS_SCROLLSIZEGRIP || Kind == DFCS_SCROLLSIZEGRIPRIGHT) {
        if (!(State & DFCS_TRANSPARENT)) Px.Fill(Rect, clBtnFace);
        std::vector<QPoint> Light, Dark;
        const int N = std::min(Rect.Width(), Rect.Height());
        for (int O = 3; O <= N; O += 4)
            for (int K = 0; K < O; ++K) {
                Light.push_back(QPoint(Rect.Right - O + K, Rect.Bottom - 1 - K));
                if (O - 1 > 0 && K < O - 1)
                    Dark.push_back(QPoint(Rect.Right - O + 1 + K, Rect.Bottom - 1 - K));
                if (O - 2 > 0 && K < O - 2)
                    Dark.push_back(QPoint(Rect.Right - O + 2 + K, Rect.Bottom - 1 - K));
            }
        Px.Points(Light, clBtnHighlight);
        Px.Points(Dark, clBtnShadow);
        return;
    }
    const TRect Inside = ButtonBody(Px, Rect, State, true);
    const int S = std::min(Rect.Width(), Rect.Height());
    const int H = std::max(1, (S - 4) / 4 + 1);
    int Dir = 1;
    if (Kind == DFCS_SCROLLUP) Dir = 0;
    if (Kind == DFCS_SCROLLLEFT) Dir = 2;
    if (Kind == DFCS_SCROLLRIGHT) Dir = 3;
    const int CX = (Rect.Left + Rect.Right - 1) / 2, CY = (Rect.Top + Rect.Bottom - 1) / 2;
    (void)Inside;
    Glyph(State, 0, 0, [&](int DX, int DY, TColor C) { Arrow(Px, CX + DX, CY + DY, H, Dir, C); });
}

void CaptionButton(TPixels& Px, const TRect& Rect, Cardinal State) {
    const TRect Inside = ButtonBody(Px, Rect, State, false);
    const int GH = std::max(3, (Inside.Height() * 7 + 5) / 10);
    const int GW = GH + 1;
    const int X0 = Inside.Left + (Inside.Width() - GW) / 2, Y0 = Inside.Top + (Inside.Height() - GH) / 2;
    const Cardinal Kind = State & 0xFF;
    Glyph(State, 0, 0, [&](int DX, int DY, TColor C) {
        const int X = X0 + DX, Y = Y0 + DY;
        std::vector<QPoint> Pts;
        switch (Kind) {
        case DFCS_CAPTIONCLOSE:
            for (int I = 0; I < GH; ++I) {
                Pts.push_back(QPoint(X + I, Y + I));
                Pts.push_back(QPoint(X + I + 1, Y + I));
                Pts.push_back(QPoint(X + GH - 1 - I, Y + I));
                Pts.push_back(QPoint(X + GH - I, Y + I));
            }
            Px.Points(Pts, C);
            break;
        case DFCS_CAPTIONMIN:
            Px.Fill(X, Y + GH - 2, GW - 2, 2, C);
            break;
        case DFCS_CAPTIONMAX:
            Px.Fill(X, Y, GW, 2, C);
            Px.Fill(X, Y + GH - 1, GW, 1, C);
            Px.Fill(X, Y, 1, GH, C);
            Px.Fill(X + GW - 1, Y, 1, GH, C);
            break;
        case DFCS_CAPTIONRESTORE: {
            const int BW = GW * 2 / 3, BH = GH * 2 / 3;
            auto Box = [&](int BX, int BY) {
                Px.Fill(BX, BY, BW, 2, C);
                Px.Fill(BX, BY + BH - 1, BW, 1, C);
                Px.Fill(BX, BY, 1, BH, C);
                Px.Fill(BX + BW - 1, BY, 1, BH, C);
            };
            Box(X + GW - BW, Y);
            Px.Fill(X, Y + GH - BH, BW, BH, clBtnFace);
            Box(X, Y + GH - BH);
            break;
        }
        default: { // help
            static const char* Mark[] = {".XXXX.", "XX..XX", "....XX", "...XX.",
                                         "..XX..", "......", "..XX.."};
            for (int R = 0; R < 7; ++R)
                for (int K = 0; K < 6; ++K)
                    if (Mark[R][K] == 'X') Pts.push_back(QPoint(X + K + (GW - 6) / 2, Y + R + (GH - 7) / 2));
            Px.Points(Pts, C);
        }
        }
    });
}

void MenuGlyph(TPixels& Px, const TRect& Rect, Cardinal State) {
    if (!(State & DFCS_TRANSPARENT)) Px.Fill(Rect, clWhite);
    const int CX = (Rect.Left + Rect.Right - 1) / 2, CY = (Rect.Top + Rect.Bottom - 1) / 2;
    const int S = std::min(Rect.Width(), Rect.Height());
    switch (State & 0xFF) {
    case DFCS_MENUCHECK:
        Tick(Px, CX - 3, CY - 3, clBlack);
        break;
    case DFCS_MENUBULLET: {
        std::vector<QPoint> Pts;
        const double R = std::max(1.5, S / 6.0);
        for (int Y = int(-R) - 1; Y <= int(R) + 1; ++Y)
            for (int X = int(-R) - 1; X <= int(R) + 1; ++X)
                if ((X + 0.5) * (X + 0.5) + (Y + 0.5) * (Y + 0.5) <= R * R)
                    Pts.push_back(QPoint(CX + X, CY + Y));
        Px.Points(Pts, clBlack);
        break;
    }
    case DFCS_MENUARROWRIGHT:
        Arrow(Px, CX, CY, std::max(1, S / 4), 2, clBlack);
        break;
    default:
        Arrow(Px, CX, CY, std::max(1, S / 4), 3, clBlack);
        break;
    }
}

} // namespace

bool DrawEdge(TCanvas* Canvas, TRect& Rect, Cardinal EdgeKind, Cardinal Flags) {
    if (!Canvas) return false;
    QPainter& P = BeginCanvasDrawing(Canvas);
    TPixels Px(P);
    if (!(Flags & BF_DIAGONAL)) Edge(Px, Rect, EdgeKind, Flags);
    EndCanvasDrawing(Canvas);
    return true;
}

bool DrawFrameControl(TCanvas* Canvas, TRect& Rect, Cardinal Type, Cardinal State) {
    if (!Canvas) return false;
    QPainter& P = BeginCanvasDrawing(Canvas);
    TPixels Px(P);
    bool Done = true;
    switch (Type) {
    case DFC_BUTTON: {
        const Cardinal Kind = State & 0xFF;
        if (Kind & DFCS_BUTTONPUSH) {
            const TRect Inside = ButtonBody(Px, Rect, State, false);
            if (State & DFCS_ADJUSTRECT) Rect = Inside;
        } else if (Kind & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK)) {
            RadioButton(Px, Rect, State);
        } else {
            CheckBox(Px, Rect, State);
        }
        break;
    }
    case DFC_SCROLL:
        ScrollButton(Px, Rect, State);
        break;
    case DFC_CAPTION:
        CaptionButton(Px, Rect, State);
        break;
    case DFC_MENU:
    case DFC_POPUPMENU:
        MenuGlyph(Px, Rect, State);
        break;
    default:
        Done = false;
    }
    if (Done && (State & DFCS_ADJUSTRECT) && Type != DFC_BUTTON) InflateRect(Rect, -2, -2);
    EndCanvasDrawing(Canvas);
    return Done;
}
