#include "serial/Led.h"

#include "platform/gui/ExtCtrls.h"

namespace {

constexpr TColor Grey = TColor(0x808080);

} // namespace

TLed::TLed(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, 16, 16);
}

void TLed::SetActive(bool Value) {
    if (Value == FActive) return;
    FActive = Value;
    Invalidate();
}

void TLed::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    Invalidate();
}

void TLed::SetStyle(tLedStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Invalidate();
}

void TLed::SetShape(tLedShape Value) {
    if (Value == FShape) return;
    FShape = Value;
    Invalidate();
}

void TLed::Paint() {
    TCanvas* C = Canvas();
    const int W = Width(), H = Height();
    const TColor Face = clBtnFace;
    const bool OnPanel = Parent() && Parent()->InheritsFrom(TCustomPanel::StaticClass());
    C->Pen()->SetStyle(psSolid);
    C->Pen()->SetWidth(1);
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(OnPanel ? Parent()->Color() : Face);
    C->FillRect(Rect(0, 0, W, H));

    if (FStyle != lsClear) {
        C->Brush()->SetStyle(bsClear);
        C->Pen()->SetColor(Grey);
        C->Rectangle(0, 0, W, H);
        C->Pen()->SetColor(clWhite);
        if (FStyle == lsRaised) {
            C->MoveTo(0, H - 1);
            C->LineTo(0, 0);
            C->LineTo(W - 1, 0);
        } else if (FStyle == lsSunken) {
            C->MoveTo(0, H - 1);
            C->LineTo(W - 1, H - 1);
            C->LineTo(W - 1, 0);
        }
        C->Brush()->SetStyle(bsSolid);
    }

    auto Fill = [C](TColor Brush, TColor Pen) {
        C->Brush()->SetColor(Brush);
        C->Pen()->SetColor(Pen);
    };
    // The off mark of the rectangles and triangles: a small box outlined in the lamp's colour
    // and filled red.
    auto OffMark = [&](int L, int T, int R, int B) {
        Fill(clRed, FColor);
        C->Rectangle(L, T, R, B);
    };
    switch (FShape) {
    case shCircle:
        Fill(Grey, Grey);
        C->Ellipse(4, 4, W - 2, H - 2);
        Fill(FActive ? FColor : Grey, FActive ? clBlack : Grey);
        if (FActive) C->Pen()->SetColor(clBlack);
        C->Ellipse(3, 3, W - 3, H - 3);
        if (FActive) {
            Fill(clWhite, clWhite);
            C->Ellipse(5, 5, 7, 7);
        } else {
            Fill(Face, Face);
            C->Ellipse(5, 5, 7, 7);
            C->Pen()->SetColor(FColor);
            C->Arc(5, 5, W - 4, H - 4, W / 2, H, W, H / 2 - 1);
        }
        break;
    case shRectangle:
    case shRoundRect: {
        const bool Round = FShape == shRoundRect;
        auto Box = [&](int L, int T, int R, int B) {
            if (Round)
                C->RoundRect(L, T, R, B, 4, 4);
            else
                C->Rectangle(L, T, R, B);
        };
        Fill(Grey, Grey);
        Box(4, 4, W - 2, H - 2);
        Fill(FActive ? FColor : Grey, clBlack);
        Box(4, 4, W - 1, H - 1);
        if (FActive) {
            Fill(clWhite, clWhite);
            C->Rectangle(5, 5, W / 2, 6);
        } else {
            Fill(Face, Face);
            C->Rectangle(5, 5, W - 2, 6);
            OffMark(6, H - 3, W - 3, H - 2);
        }
        break;
    }
    case shTriangle:
        Fill(Grey, Grey);
        C->Polygon({TPoint{5, H}, TPoint{W / 2 + 3, 4}, TPoint{W, H}});
        if (FActive)
            Fill(FColor, clBlack);
        else
            Fill(Face, Grey);
        C->Polygon({TPoint{5, H - 2}, TPoint{W / 2 + 2, 3}, TPoint{W - 2, H - 2}});
        if (FActive) {
            Fill(clWhite, clWhite);
            C->Rectangle(W / 2, H - 7, W / 2 + 2, H - 5);
        } else {
            OffMark(W / 2 + 1, H - 4, W / 2 + 3, H - 2);
        }
        break;
    case shTriangleRight:
        Fill(Grey, Grey);
        C->Polygon({TPoint{5, H}, TPoint{W, 4}, TPoint{W, H}});
        if (FActive)
            Fill(FColor, clBlack);
        else
            Fill(Face, Grey);
        C->Polygon({TPoint{5, H - 2}, TPoint{W - 2, 3}, TPoint{W - 2, H - 2}});
        if (FActive) {
            Fill(clWhite, clWhite);
            C->Rectangle(W - W / 3, H - H / 3, W - 3, H - 3);
        } else {
            OffMark(W - W / 3, H - H / 3, W - 3, H - 3);
        }
        break;
    }
}

void TLed::Published(TPublisher<TLed>& P) {
    P.Property(u"Active", &TLed::Active, &TLed::SetActive).Default(false);
    P.Property(u"Color", &TLed::Color, &TLed::SetColor).Default(clRed);
    P.Property(u"Shape", &TLed::Shape, &TLed::SetShape).Default(shCircle);
    P.Property(u"Style", &TLed::Style, &TLed::SetStyle).Default(lsClear);
}
