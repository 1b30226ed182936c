// The background picture under the rows and the blended drawing of selections.

#include "tree/BaseLeanTree.h"

#include <algorithm>

void BlendRectangle(TBitmap* Source, TBitmap* Destination, const TRect& R, TPoint Target, int Mode,
                    int ConstantAlpha, int Bias) {
    ASSERT_MSG(Destination && (Mode == 3 || Source), u"Alpha blending DC error: no bitmap available.");
    ASSERT_MSG(Destination->PixelFormat() == pf32bit && (Mode == 3 || Source->PixelFormat() == pf32bit),
               u"Alpha blending error: bitmap must use 32 bpp.");
    if (R.IsEmpty()) return;
    const int Width = R.Right - R.Left;
    // The channels of the colour in Bias, in the bitmaps' byte order.
    const int Colour[4] = {GetBValue(TColorRef(Bias)), GetGValue(TColorRef(Bias)), GetRValue(TColorRef(Bias)), 0};
    for (int Y = 0; Y < R.Bottom - R.Top; ++Y) {
        if (Mode == 3) {
            auto* D = static_cast<Byte*>(Destination->ScanLine(R.Top + Y)) + 4 * R.Left;
            for (int X = 0; X < 4 * Width; ++X)
                D[X] = static_cast<Byte>((ConstantAlpha * Colour[X % 4] + (256 - ConstantAlpha) * D[X]) >> 8);
            continue;
        }
        const auto* S = static_cast<const Byte*>(Source->ScanLine(R.Top + Y)) + 4 * R.Left;
        auto* D = static_cast<Byte*>(Destination->ScanLine(Target.Y + Y)) + 4 * Target.X;
        for (int X = 0; X < 4 * Width; ++X) {
            const int PixelAlpha = S[X - X % 4 + 3];
            const int Alpha = Mode == 0 ? ConstantAlpha : Mode == 1 ? PixelAlpha : (PixelAlpha * ConstantAlpha) >> 8;
            const int Value = ((256 * D[X] + Alpha * (S[X] - D[X])) >> 8) + Bias;
            D[X] = static_cast<Byte>(std::clamp(Value, 0, 255));
        }
    }
}

void AlphaBlendRect(TCanvas* Canvas, const TRect& R, TColor Color, Byte Factor) {
    if (!Canvas || R.IsEmpty() || Factor == 0) return;
    TBitmap Fill(R.Width(), R.Height());
    Fill.Canvas()->Brush()->SetStyle(bsSolid);
    Fill.Canvas()->Brush()->SetColor(Color);
    Fill.Canvas()->FillRect(TRect{0, 0, R.Width(), R.Height()});
    Canvas->Draw(R.Left, R.Top, &Fill, Factor);
}

void TBaseLeanTree::SetBackground(TPicture* Value) {
    FBackground->Assign(Value);
    Invalidate();
}

void TBaseLeanTree::SetBackgroundOffsetX(int Value) {
    if (FBackgroundOffsetX == Value) return;
    FBackgroundOffsetX = Value;
    Invalidate();
}

void TBaseLeanTree::SetBackgroundOffsetY(int Value) {
    if (FBackgroundOffsetY == Value) return;
    FBackgroundOffsetY = Value;
    Invalidate();
}

TBitmap* TBaseLeanTree::BackgroundBitmap() const {
    auto* Bitmap = dynamic_cast<TBitmap*>(FBackground->Graphic());
    return Bitmap && !Bitmap->Empty() && Bitmap->Width() > 0 && Bitmap->Height() > 0 ? Bitmap : nullptr;
}

namespace {

int Modulo(int A, int B) {
    const int M = A % B;
    return M < 0 ? M + B : M;
}

} // namespace

void TBaseLeanTree::PaintBackgroundPicture(TCanvas* Canvas, const TRect& R, TPoint Offset) {
    TBitmap* Picture = BackgroundBitmap();
    if (!Picture || R.IsEmpty()) return;
    const int W = Picture->Width(), H = Picture->Height();
    if (TreeOptions()->PaintOptions().Contains(toStaticBackground)) {
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Brush()->SetColor(Color());
        Canvas->FillRect(R);
        const TRect Placed = Bounds(FBackgroundOffsetX - Offset.X, FBackgroundOffsetY - Offset.Y, W, H);
        TRect Part;
        if (!IntersectRect(Part, Placed, R)) return;
        if (Picture->Transparent()) {
            Canvas->SelectClipRect(&Part);
            Canvas->Draw(Placed.Left, Placed.Top, Picture);
            Canvas->SelectClipRect(nullptr);
        } else {
            TRect Source = Part;
            OffsetRect(Source, -Placed.Left, -Placed.Top);
            Canvas->CopyRect(Part, Picture->Canvas(), Source);
        }
        return;
    }
    // Tiles start where the picture's phase puts them, so that rows drawn one at a time join.
    const int StartX = R.Left - Modulo(R.Left + Offset.X + FBackgroundOffsetX, W);
    const int StartY = R.Top - Modulo(R.Top + Offset.Y + FBackgroundOffsetY, H);
    for (int Y = StartY; Y < R.Bottom; Y += H)
        for (int X = StartX; X < R.Right; X += W) {
            TRect Tile;
            if (!IntersectRect(Tile, Bounds(X, Y, W, H), R)) continue;
            TRect Source = Tile;
            OffsetRect(Source, -X, -Y);
            Canvas->CopyRect(Tile, Picture->Canvas(), Source);
        }
}
