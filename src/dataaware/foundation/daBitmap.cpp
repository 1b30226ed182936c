#include "dataaware/foundation/daBitmap.h"

#include "platform/base/Exceptions.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Streams.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace {

Byte Clamp(int V) { return Byte(std::clamp(V, 0, 255)); }

// A pixel of a row: blue, green, red.
struct TPx {
    Byte B, G, R;
};

TdaColor PackOf(TColor C) {
    const TColorRef V = ColorToRGB(C);
    return TdaColor(GetRValue(V)) << 16 | TdaColor(GetGValue(V)) << 8 | GetBValue(V);
}

TdaColor PackOf(const Byte* P) { return TdaColor(P[2]) << 16 | TdaColor(P[1]) << 8 | P[0]; }

std::mt19937& Generator() {
    static std::mt19937 G(12345);
    return G;
}

int RandomBelow(int N) { return N <= 0 ? 0 : std::uniform_int_distribution<int>(0, N - 1)(Generator()); }

} // namespace

TdaBitmap::TdaBitmap() = default;

TdaBitmap::~TdaBitmap() = default;

Byte* TdaBitmap::Row(int Y) const {
    if (!FDib || Y < 0 || Y >= FHeight) return nullptr;
    return static_cast<Byte*>(FDib->ScanLine(Y));
}

TCanvas* TdaBitmap::Canvas() {
    if (!FDib) LoadBlank(1, 1);
    return FDib->Canvas();
}

TColor TdaBitmap::PixelColor(int X, int Y) const {
    const Byte* P = Row(Y);
    if (!P || X < 0 || X >= FWidth) return clNone;
    P += X * 3;
    return RGB(P[2], P[1], P[0]);
}

void TdaBitmap::SetPixelColor(int X, int Y, TColor Color) {
    Byte* P = Row(Y);
    if (!P || X < 0 || X >= FWidth) return;
    const TColorRef C = ColorToRGB(Color);
    P += X * 3;
    P[0] = GetBValue(C);
    P[1] = GetGValue(C);
    P[2] = GetRValue(C);
}

void TdaBitmap::Changed(TObject* Sender) {
    if (IgnoreChange) return;
    TGraphic::Changed(Sender);
    for (TdaChangeLink* L : std::vector<TdaChangeLink*>(FChangeLinks)) {
        L->FSender = this;
        L->Change();
    }
}

void TdaBitmap::RegisterChanges(TdaChangeLink* Link) {
    FChangeLinks.push_back(Link);
}

void TdaBitmap::UnRegisterChanges(TdaChangeLink* Link) {
    std::erase(FChangeLinks, Link);
}

void TdaBitmap::Clear() {
    FDib.reset();
    FMaskBitmap.reset();
    FWidth = FHeight = FSize = FGap = FRowInc = 0;
}

void TdaBitmap::LoadBlank(int AWidth, int AHeight) {
    Clear();
    if (AWidth > 0 && AHeight > 0) {
        FDib = std::make_unique<TBitmap>();
        FDib->SetPixelFormat(pf24bit);
        FDib->SetSize(AWidth, AHeight);
        FWidth = AWidth;
        FHeight = AHeight;
        FGap = AWidth % 4;
        FRowInc = AWidth * 3 + FGap;
        FSize = FRowInc * AHeight;
        Fill(clWhite);
    }
    Changed(this);
}

void TdaBitmap::SetSizeInternal(int AWidth, int AHeight) {
    if (AWidth != FWidth || AHeight != FHeight) LoadBlank(AWidth, AHeight);
}

void TdaBitmap::LoadFromBitmap(TBitmap* Bitmap) {
    const TPixelFormat Source = Bitmap->PixelFormat();
    {
        TValueScope<bool> Quiet(IgnoreChange, true);
        LoadBlank(Bitmap->Width(), Bitmap->Height());
    }
    if (FDib) FDib->Canvas()->Draw(0, 0, Bitmap);
    FPixelFormat = Source;
    Patch[1] = Source == pf32bit;
    Patch[0] = Source == pf1bit || Source == pf4bit || Source == pf8bit;
    Changed(this);
}

void TdaBitmap::LoadFromGraphic(TGraphic* Graphic) {
    TBitmap B;
    B.SetPixelFormat(pf24bit);
    B.SetSize(Graphic->Width(), Graphic->Height());
    B.Canvas()->Draw(0, 0, Graphic);
    LoadFromBitmap(&B);
}

void TdaBitmap::LoadFromStream(TStream* Stream) {
    TBitmap B;
    B.LoadFromStream(Stream);
    LoadFromBitmap(&B);
}

void TdaBitmap::LoadFromMemory(const Byte* ABits, int ASize, const TPoint& Dimensions) {
    {
        TValueScope<bool> Quiet(IgnoreChange, true);
        LoadBlank(Dimensions.X, Dimensions.Y);
    }
    for (int Y = 0; Y < FHeight; ++Y) {
        const int Offset = Y * FRowInc;
        if (Offset + FWidth * 3 > ASize) break;
        std::memcpy(Row(Y), ABits + Offset, std::size_t(FWidth) * 3);
    }
    Changed(this);
}

void TdaBitmap::SaveToBitmap(TBitmap* Bitmap) {
    TValueScope<bool> Keep(Assigning, true);
    Bitmap->SetPixelFormat(pf24bit);
    Bitmap->SetSize(FWidth, FHeight);
    if (FDib) Bitmap->Canvas()->Draw(0, 0, FDib.get());
}

void TdaBitmap::SaveToStream(TStream* Stream) {
    TBitmap B;
    SaveToBitmap(&B);
    B.SaveToStream(Stream);
}

void TdaBitmap::Assign(TPersistent* Source) {
    if (auto* D = dynamic_cast<TdaBitmap*>(Source)) {
        D->AssignTo(this);
    } else if (auto* B = dynamic_cast<TBitmap*>(Source)) {
        if (B->Empty()) {
            Clear();
            Changed(this);
            return;
        }
        LoadFromBitmap(B);
        SetTransparent(B->Transparent());
    } else if (!Source) {
        Clear();
        Changed(this);
    } else if (auto* G = dynamic_cast<TGraphic*>(Source)) {
        LoadFromGraphic(G);
    } else {
        TGraphic::Assign(Source);
    }
}

void TdaBitmap::AssignTo(TPersistent* Dest) const {
    if (auto* B = dynamic_cast<TBitmap*>(Dest)) {
        const_cast<TdaBitmap*>(this)->SaveToBitmap(B);
        B->SetTransparent(Transparent());
        if (TransparentColor != clNone) B->SetTransparentColor(TransparentColor);
        return;
    }
    auto* D = dynamic_cast<TdaBitmap*>(Dest);
    if (!D || D == this) return;
    if (Empty()) {
        D->Clear();
        D->Changed(D);
        return;
    }
    {
        TValueScope<bool> Quiet(D->IgnoreChange, true);
        D->LoadBlank(FWidth, FHeight);
        for (int Y = 0; Y < FHeight; ++Y)
            std::memcpy(D->Row(Y), Row(Y), std::size_t(FWidth) * 3);
        D->SetTransparent(Transparent());
        D->SmoothStretching = SmoothStretching;
        D->TransparentColor = TransparentColor;
        D->FPixelFormat = FPixelFormat;
        D->Patch[0] = Patch[0];
        D->Patch[1] = Patch[1];
    }
    D->Changed(D);
}

void TdaBitmap::Sleep() {
    if (!FDib) return;
    FMemoryImage.assign(std::size_t(FSize), 0);
    for (int Y = 0; Y < FHeight; ++Y)
        std::memcpy(FMemoryImage.data() + std::size_t(Y) * FRowInc, Row(Y), std::size_t(FWidth) * 3);
    FMemoryDim = TPoint{FWidth, FHeight};
    FDib.reset();
    FMaskBitmap.reset();
}

void TdaBitmap::Wake() {
    if (FMemoryImage.empty()) return;
    const std::vector<Byte> Image = std::move(FMemoryImage);
    const TPoint Dim = FMemoryDim;
    FreeMemoryImage();
    LoadFromMemory(Image.data(), int(Image.size()), Dim);
}

void TdaBitmap::FreeMemoryImage() {
    FMemoryImage.clear();
    FMemoryDim = TPoint{0, 0};
}

TColor TdaBitmap::KeyColor() const {
    return TransparentColor != clNone ? TransparentColor : PixelColor(0, 0);
}

TBitmap* TdaBitmap::MaskBitmap() {
    if (!FMaskBitmap && FDib) {
        TdaBitmap Copy;
        AssignTo(&Copy);
        Copy.Mask(KeyColor());
        FMaskBitmap = std::make_unique<TBitmap>();
        Copy.SaveToBitmap(FMaskBitmap.get());
        FMaskBitmap->SetPixelFormat(pf1bit);
    }
    return FMaskBitmap.get();
}

void TdaBitmap::Fill(TColor Color) {
    for (int Y = 0; Y < FHeight; ++Y)
        for (int X = 0; X < FWidth; ++X)
            SetPixelColor(X, Y, Color);
}

void TdaBitmap::Resize(int AWidth, int AHeight) {
    if (AWidth == FWidth && AHeight == FHeight) return;
    TBitmap Old;
    SaveToBitmap(&Old);
    {
        TValueScope<bool> Quiet(IgnoreChange, true);
        LoadBlank(AWidth, AHeight);
    }
    if (FDib && !Old.Empty()) FDib->Canvas()->StretchDraw(TRect(0, 0, AWidth, AHeight), &Old);
    Changed(this);
}

// ---- Drawing ----------------------------------------------------------------------------------

void TdaBitmap::Draw(TCanvas* ACanvas, const TRect& Rect, Byte) {
    if (!FDib) return;
    if (Rect.Width() != FWidth || Rect.Height() != FHeight) {
        if (SmoothStretching)
            SmoothStretchDraw(ACanvas, Rect);
        else
            StretchDraw(ACanvas, Rect);
    } else if (Transparent() && !Assigning) {
        TransparentDraw(ACanvas, Rect);
    } else {
        ACanvas->Draw(Rect.Left, Rect.Top, FDib.get());
    }
}

void TdaBitmap::StretchDraw(TCanvas* ACanvas, const TRect& Rect) {
    if (!FDib || Rect.IsEmpty()) return;
    if (Transparent()) {
        TdaBitmap Temp;
        Temp.LoadBlank(Rect.Width(), Rect.Height());
        Temp.Canvas()->StretchDraw(TRect(0, 0, Rect.Width(), Rect.Height()), FDib.get());
        Temp.TransparentColor = KeyColor();
        Temp.TransparentDraw(ACanvas, Rect);
        return;
    }
    ACanvas->StretchDraw(Rect, FDib.get());
}

void TdaBitmap::TransparentDraw(TCanvas* ACanvas, const TRect& Rect) {
    if (!FDib) return;
    // The image without its key colour: what the mask blits leave on the canvas.
    TBitmap Copy;
    Copy.SetPixelFormat(pf24bit);
    Copy.SetSize(FWidth, FHeight);
    Copy.Canvas()->Draw(0, 0, FDib.get());
    Copy.SetTransparentColor(KeyColor());
    Copy.SetTransparent(true);
    ACanvas->Draw(Rect.Left, Rect.Top, &Copy);
}

void TdaBitmap::SmoothStretchDraw(TCanvas* ACanvas, const TRect& Rect) {
    const int DW = Rect.Width(), DH = Rect.Height();
    if (!FDib || DW <= 0 || DH <= 0) return;
    TdaBitmap D;
    D.LoadBlank(DW, DH);
    if (DW == FWidth && DH == FHeight) {
        for (int Y = 0; Y < DH; ++Y)
            std::memcpy(D.Row(Y), Row(Y), std::size_t(DW) * 3);
    } else {
        const int XS = ((FWidth - 1) << 15) / DW, YS = ((FHeight - 1) << 15) / DH;
        for (int Y = 0; Y < DH; ++Y) {
            const int SY = Y * YS;
            const int R0 = SY >> 15;
            const Byte* Row0 = Row(R0);
            const Byte* Row1 = Row(std::min(R0 + 1, FHeight - 1));
            const int FY = SY & 0x7FFF;
            Byte* Out = D.Row(Y);
            for (int X = 0; X < DW; ++X) {
                const int SX = X * XS;
                const int C0 = SX >> 15;
                // The next column of a one-pixel-wide source is the same column.
                const int C1 = std::min(C0 + 1, FWidth - 1);
                const int FX = SX & 0x7FFF;
                const int W00 = (0x8000 - FY) - ((FX * (0x8000 - FY)) >> 15);
                const int W01 = (FX * (0x8000 - FY)) >> 15;
                const int W10 = FY - ((FX * FY) >> 15);
                const int W11 = (FX * FY) >> 15;
                for (int K = 0; K < 3; ++K)
                    Out[X * 3 + K] = Byte((Row0[C0 * 3 + K] * W00 + Row0[C1 * 3 + K] * W01 + Row1[C0 * 3 + K] * W10 +
                                           Row1[C1 * 3 + K] * W11) >>
                                          15);
            }
        }
    }
    const TRect At(Rect.Left, Rect.Top, Rect.Left + DW, Rect.Top + DH);
    if (Transparent()) {
        D.TransparentColor = KeyColor();
        D.TransparentDraw(ACanvas, At);
    } else {
        ACanvas->Draw(At.Left, At.Top, D.FDib.get());
    }
}

void TdaBitmap::TileDraw(TCanvas* ACanvas, const TRect& ARect) {
    if (!FDib) return;
    for (int Y = 0; Y < ARect.Bottom; Y += FHeight)
        for (int X = 0; X < ARect.Right; X += FWidth)
            Draw(ACanvas, TRect(X - ARect.Left, Y - ARect.Top, X - ARect.Left + FWidth, Y - ARect.Top + FHeight), 255);
}

// ---- Filters ----------------------------------------------------------------------------------

template <class F> void TdaBitmap::EachByte(F Fn) {
    for (int Y = 0; Y < FHeight; ++Y) {
        Byte* P = Row(Y);
        for (int I = 0; I < FWidth * 3; ++I)
            P[I] = Fn(P[I]);
    }
}

void TdaBitmap::Brightness(int Amount) {
    Byte Table[256];
    for (int V = 0; V < 256; ++V)
        Table[V] = Amount <= 0 ? Clamp(V - ((V * std::abs(Amount)) >> 8)) : Clamp(V + ((Amount * (255 - V)) >> 8));
    EachByte([&](Byte V) { return Table[V]; });
}

void TdaBitmap::Contrast(int Amount) {
    Byte Table[256];
    for (int V = 0; V < 256; ++V)
        Table[V] = V < 127 ? Clamp(V - std::abs(128 - V) * Amount / 256) : Clamp(V + std::abs(128 - V) * Amount / 256);
    EachByte([&](Byte V) { return Table[V]; });
}

void TdaBitmap::Saturation(int Amount) {
    for (int Y = 0; Y < FHeight; ++Y) {
        Byte* P = Row(Y);
        for (int X = 0; X < FWidth; ++X, P += 3) {
            const int Gray = Byte(P[0] / 3 + P[1] / 3 + P[2] / 3);
            for (int K = 0; K < 3; ++K)
                P[K] = Clamp(Gray + ((Amount * P[K]) >> 8) - ((Amount * Gray) >> 8));
        }
    }
}

void TdaBitmap::Grayscale() {
    for (int Y = 0; Y < FHeight; ++Y) {
        Byte* P = Row(Y);
        for (int X = 0; X < FWidth; ++X, P += 3)
            P[0] = P[1] = P[2] = Byte(P[0] / 3 + P[1] / 3 + P[2] / 3);
    }
}

void TdaBitmap::Invert() {
    EachByte([](Byte V) { return Byte(255 - V); });
}

void TdaBitmap::ColorTint(int RA, int GA, int BA) {
    for (int Y = 0; Y < FHeight; ++Y) {
        Byte* P = Row(Y);
        for (int X = 0; X < FWidth; ++X, P += 3) {
            P[0] = Clamp(P[0] + BA);
            P[1] = Clamp(P[1] + GA);
            P[2] = Clamp(P[2] + RA);
        }
    }
}

void TdaBitmap::Colorize(int RA, int GA, int BA) {
    const int R = Clamp(int(RA * 0.5)), G = Clamp(int(GA * 0.5)), B = Clamp(int(BA * 0.5));
    const bool Keep = TransparentColor != clNone;
    const TdaColor Key = Keep ? PackOf(TransparentColor) : 0;
    for (int Y = 0; Y < FHeight; ++Y) {
        Byte* P = Row(Y);
        for (int X = 0; X < FWidth; ++X, P += 3) {
            if (Keep && PackOf(P) == Key) continue;
            P[0] = Clamp(P[0] + B - 128);
            P[1] = Clamp(P[1] + G - 128);
            P[2] = Clamp(P[2] + R - 128);
        }
    }
}

void TdaBitmap::AlphaBlend(TdaBitmap* Bitmap, int Alpha, bool Stretch) {
    if (!Bitmap || Bitmap->Empty() || Empty()) return;
    TdaBitmap* Blend = Bitmap;
    TdaBitmap Temp;
    if (Bitmap->Width() != FWidth || Bitmap->Height() != FHeight) {
        if (!Stretch) throw EInvalidOperation(u"In Alpha Blend, Blend Bitmap must be same dimensions as Current Bitmap");
        Temp.LoadBlank(FWidth, FHeight);
        // Stretched over the whole image, its last row and column included.
        const bool WasTransparent = Bitmap->Transparent();
        Bitmap->SetTransparent(false);
        TScopeExit Restore([&] { Bitmap->SetTransparent(WasTransparent); });
        Bitmap->StretchDraw(Temp.Canvas(), TRect(0, 0, FWidth, FHeight));
        Temp.SetTransparent(WasTransparent);
        Blend = &Temp;
    }
    const bool SkipKey = Blend->Transparent();
    const TdaColor Key = SkipKey ? PackOf(Blend->Row(0)) : 0;
    for (int Y = 0; Y < FHeight; ++Y) {
        Byte* P = Row(Y);
        const Byte* Q = Blend->Row(Y);
        for (int X = 0; X < FWidth; ++X, P += 3, Q += 3) {
            if (SkipKey && PackOf(Q) == Key) continue;
            for (int K = 0; K < 3; ++K)
                P[K] = Byte(P[K] + ((Alpha * (Q[K] - P[K])) >> 8));
        }
    }
}

void TdaBitmap::Flip(bool Horizontal) {
    if (Horizontal) {
        for (int Y = 0; Y < FHeight; ++Y) {
            Byte* P = Row(Y);
            for (int I = 0; I <= (FWidth - 1) / 2; ++I)
                std::swap_ranges(P + I * 3, P + I * 3 + 3, P + (FWidth - 1 - I) * 3);
        }
    } else {
        for (int K = 0; K <= (FHeight - 1) / 2; ++K)
            if (K != FHeight - 1 - K) std::swap_ranges(Row(K), Row(K) + FWidth * 3, Row(FHeight - 1 - K));
    }
}

void TdaBitmap::Blur(int Amount) {
    for (int Y = 0; Y < FHeight; ++Y) {
        const Byte* Up = Row(std::clamp(Y - Amount, 0, FHeight - 1));
        const Byte* Down = Row(std::clamp(Y + Amount, 0, FHeight - 1));
        Byte* P = Row(Y);
        for (int X = 0; X < FWidth; ++X) {
            const int L = std::clamp(X - Amount, 0, FWidth - 1) * 3, R = std::clamp(X + Amount, 0, FWidth - 1) * 3;
            for (int K = 0; K < 3; ++K)
                P[X * 3 + K] = Byte((Down[R + K] + Up[R + K] + Down[L + K] + Up[L + K]) >> 2);
        }
    }
}

void TdaBitmap::GaussianBlur(int Amount) {
    for (int A = Amount; A >= 1; --A)
        Blur(A);
}

void TdaBitmap::Sharpen(int Amount) {
    for (int Y = 0; Y < FHeight; ++Y) {
        const Byte* Up = Row(std::clamp(Y - Amount, 0, FHeight - 1));
        const Byte* Down = Row(std::clamp(Y + Amount, 0, FHeight - 1));
        Byte* P = Row(Y);
        for (int X = 0; X < FWidth; ++X) {
            const int L = std::clamp(X - Amount, 0, FWidth - 1) * 3, R = std::clamp(X + Amount, 0, FWidth - 1) * 3;
            const int C = X * 3;
            for (int K = 0; K < 3; ++K) {
                const int Sum = Up[L + K] + Up[C + K] + Up[R + K] + P[L + K] + P[R + K] + Down[L + K] + Down[C + K] +
                                Down[R + K];
                P[C + K] = Clamp((256 * P[C + K] - 16 * Sum) / 128);
            }
        }
    }
}

void TdaBitmap::Sponge(int Amount) {
    // Amount 0 (or less) scatters nothing: every pixel keeps its colour.
    if (Amount <= 0) return;
    for (int Y = 0; Y < FHeight; ++Y)
        for (int X = 0; X < FWidth; ++X) {
            const int A = RandomBelow(Amount);
            const int DX = RandomBelow(2 * A), DY = RandomBelow(2 * A);
            const int SX = std::clamp(X + A - DX, 0, FWidth - 1), SY = std::clamp(Y + A - DY, 0, FHeight - 1);
            std::memcpy(Row(Y) + X * 3, Row(SY) + SX * 3, 3);
        }
}

void TdaBitmap::Emboss() {
    if (FWidth < 2 || FHeight < 1) return;
    std::vector<Byte> Last(Row(FHeight - 1), Row(FHeight - 1) + FWidth * 3);
    for (int Y = 0; Y < FHeight; ++Y) {
        Byte* P = Row(Y);
        for (int X = 0; X < FWidth; ++X) {
            const Byte* Q;
            if (Y >= FHeight - 2)
                Q = Last.data() + 3;
            else
                Q = Row(Y + 1) + std::min(X + 1, FWidth - 2) * 3;
            for (int K = 0; K < 3; ++K)
                P[X * 3 + K] = Byte(((255 - Q[K]) + P[X * 3 + K]) >> 1);
        }
    }
}

void TdaBitmap::Mask(TColor MaskColor) {
    const TdaColor Key = PackOf(MaskColor);
    for (int Y = 0; Y < FHeight; ++Y) {
        Byte* P = Row(Y);
        for (int X = 0; X < FWidth; ++X, P += 3) {
            const Byte V = PackOf(P) == Key ? 0 : 255;
            P[0] = P[1] = P[2] = V;
        }
    }
}

void TdaBitmap::ChangeColor(TColor OldColor, TColor NewColor) {
    const TdaColor Old = PackOf(OldColor);
    for (int Y = 0; Y < FHeight; ++Y)
        for (int X = 0; X < FWidth; ++X)
            if (PackOf(Row(Y) + X * 3) == Old) SetPixelColor(X, Y, NewColor);
}

void TdaBitmap::Wave(int XDiv, int YDiv, int RatioVal, bool Wrap) {
    if (XDiv == 0 || YDiv == 0 || Empty()) return;
    TdaBitmap Out;
    Out.LoadBlank(FWidth, FHeight);
    auto WrapInto = [](int V, int N) { return V < 0 ? N - ((-V) % N) - 1 : V >= N ? V % N : V; };
    for (int X = 0; X < FWidth; ++X) {
        int Start = int(std::lround(RatioVal * std::sin(double(X) / XDiv)));
        if (Wrap)
            Start = WrapInto(Start, FHeight);
        else if (Start >= FHeight - 1)
            continue;
        for (int J = 0; J < FHeight; ++J) {
            int SY = Start + J;
            int SX = int(std::lround(RatioVal * std::sin(double(J) / YDiv))) + X;
            if (Wrap) {
                SY %= FHeight;
                SX = WrapInto(SX, FWidth);
            } else if (SY < 0 || SY >= FHeight || SX < 0 || SX >= FWidth) {
                continue;
            }
            std::memcpy(Out.Row(J) + X * 3, Row(SY) + SX * 3, 3);
        }
    }
    for (int Y = 0; Y < FHeight; ++Y)
        std::memcpy(Row(Y), Out.Row(Y), std::size_t(FWidth) * 3);
}

void TdaBitmap::Rotate(TPoint Center, double Angle) {
    if (Empty()) return;
    if (Center.X < 0) Center.X = FWidth / 2;
    if (Center.Y < 0) Center.Y = FHeight / 2;
    const double Theta = -Angle * 3.1415926535897932385 / 180;
    const double C = std::cos(Theta), S = std::sin(Theta);
    TdaBitmap Out;
    Out.LoadBlank(FWidth, FHeight);
    Out.Fill(PixelColor(0, 0));
    auto Div2 = [](long V) { return V / 2; }; // toward zero, as div
    for (int Y = 0; Y < FHeight; ++Y)
        for (int X = 0; X < FWidth; ++X) {
            const long TX = 2L * X - 2L * Center.X + 1, TY = 2L * Y - 2L * Center.Y + 1;
            const long SX = Center.X + Div2(std::lround(TX * C - TY * S) - 1);
            const long SY = Center.Y + Div2(std::lround(TX * S + TY * C) - 1);
            if (SX >= 0 && SX < FWidth && SY >= 0 && SY < FHeight)
                std::memcpy(Out.Row(Y) + X * 3, Row(int(SY)) + SX * 3, 3);
        }
    for (int Y = 0; Y < FHeight; ++Y)
        std::memcpy(Row(Y), Out.Row(Y), std::size_t(FWidth) * 3);
}
