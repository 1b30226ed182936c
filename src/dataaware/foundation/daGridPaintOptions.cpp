#include "dataaware/foundation/daGridPaintOptions.h"

#include "platform/base/ScopeGuard.h"
#include "platform/gui/Grids.h"

TdaGridPaintOptions::TdaGridPaintOptions(TCustomGrid* Owner, TBitmap* APaintBitmap)
    : Grid(Owner), FPaintBitmap(APaintBitmap), FBackgroundBitmap(std::make_unique<TPicture>()) {}

TdaGridPaintOptions::~TdaGridPaintOptions() = default;

void TdaGridPaintOptions::Published(TPublisher<TdaGridPaintOptions>& P) {
    P.Property(u"BackgroundBitmap", &TdaGridPaintOptions::BackgroundBitmap, &TdaGridPaintOptions::SetBackgroundBitmap);
    P.Property(u"BackgroundDrawStyle", &TdaGridPaintOptions::BackgroundDrawStyle,
               &TdaGridPaintOptions::SetBackgroundDrawStyle)
        .Default(bdsTile);
    P.Property(u"AlternatingRowRegions", &TdaGridPaintOptions::AlternatingRowRegions,
               &TdaGridPaintOptions::SetAlternatingRowRegions)
        .Default(TdaAlternatingRowRegions{arrFixedColumns, arrDataColumns, arrActiveDataColumn});
    P.Property(u"FastRecordScrolling", &TdaGridPaintOptions::FastRecordScrolling);
    P.Property(u"AlternatingRowColor", &TdaGridPaintOptions::AlternatingRowColor,
               &TdaGridPaintOptions::SetAlternatingRowColor)
        .As(ColorTypeInfo());
    P.Property(u"ActiveRecordColor", &TdaGridPaintOptions::ActiveRecordColor, &TdaGridPaintOptions::SetActiveRecordColor)
        .As(ColorTypeInfo());
    P.Property(u"BackgroundOptions", &TdaGridPaintOptions::BackgroundOptions,
               &TdaGridPaintOptions::SetBackgroundOptions)
        .Default(TdaBackgroundOptions{});
}

void TdaGridPaintOptions::Outdated() {
    InitBlendBitmapsFlag = true;
    if (Grid) Grid->Invalidate();
}

void TdaGridPaintOptions::SetAlternatingRowColor(TColor Value) {
    if (Value == FAlternatingRowColor) return;
    FAlternatingRowColor = Value;
    Outdated();
}

void TdaGridPaintOptions::SetActiveRecordColor(TColor Value) {
    if (Value == FActiveRecordColor) return;
    FActiveRecordColor = Value;
    Outdated();
}

void TdaGridPaintOptions::SetBackgroundDrawStyle(TdaBackgroundDrawStyle Value) {
    if (Value == FBackgroundDrawStyle) return;
    FBackgroundDrawStyle = Value;
    Outdated();
}

void TdaGridPaintOptions::SetBackgroundBitmap(TPicture* Value) {
    FBackgroundBitmap->Assign(Value);
    if (Grid) Outdated();
}

void TdaGridPaintOptions::SetBackgroundOptions(const TdaBackgroundOptions& Value) {
    if (Value == FBackgroundOptions) return;
    FBackgroundOptions = Value;
    if (Grid) Outdated();
}

void TdaGridPaintOptions::SetAlternatingRowRegions(const TdaAlternatingRowRegions& Value) {
    if (Value == FAlternatingRowRegions) return;
    FAlternatingRowRegions = Value;
    if (Grid) Grid->Invalidate();
}

bool TdaGridPaintOptions::HaveBackgroundForDataCells() const {
    return OrigBitmap && FBackgroundOptions.Contains(coFillDataCells);
}

void TdaGridPaintOptions::InitBlendBitmaps(bool ForceInit) {
    if (!ForceInit && !InitBlendBitmapsFlag) return;
    // Cleared also when the rendering fails, so that a broken picture is not tried on every paint.
    TScopeExit Done([&] { InitBlendBitmapsFlag = false; });
    Render();
}

void TdaGridPaintOptions::Render() {
    if (!Grid || !FPaintBitmap) return;
    const int W = Grid->Width(), H = Grid->Height();
    FPaintBitmap->SetSize(W, H);
    TCanvas* C = FPaintBitmap->Canvas();
    C->Brush()->SetColor(clWhite);
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(TRect(0, 0, W, H));
    TGraphic* Picture = FBackgroundBitmap->Graphic();
    const bool HavePicture = Picture && Picture->Width() != 0;
    if (HavePicture) {
        const int PW = Picture->Width(), PH = Picture->Height();
        switch (FBackgroundDrawStyle) {
        case bdsTile:
            for (int I = 0; I <= W / PW; ++I)
                for (int J = 0; J <= H / PH; ++J)
                    C->Draw(I * PW, J * PH, Picture);
            break;
        case bdsStretch: C->StretchDraw(TRect(0, 0, W, H), Picture); break;
        case bdsTopLeft: C->Draw(0, 0, Picture); break;
        case bdsCenter: C->Draw((W - PW) / 2, (H - PH) / 2, Picture); break;
        }
    }
    if (ScreenBitsPerPixel <= 8) return;
    if (HavePicture) {
        if (!OrigBitmap) OrigBitmap = std::make_unique<TdaBitmap>();
        OrigBitmap->LoadFromBitmap(FPaintBitmap);
    } else {
        OrigBitmap.reset();
    }
    auto Tinted = [&](std::unique_ptr<TdaBitmap>& Target, bool Wanted, TColor Color) {
        if (!Wanted) {
            Target.reset();
            return;
        }
        Target = std::make_unique<TdaBitmap>();
        OrigBitmap->AssignTo(Target.get());
        if (Color != clNone) {
            const TColorRef RGBValue = ColorToRGB(Color);
            Target->Colorize(GetRValue(RGBValue), GetGValue(RGBValue), GetBValue(RGBValue));
        }
    };
    Tinted(ActiveRecordBitmap,
           FActiveRecordColor != clNone && HavePicture && FBackgroundOptions.Contains(coBlendActiveRecord),
           FActiveRecordColor);
    Tinted(AlternatingColorBitmap,
           FAlternatingRowColor != clNone && !FAlternatingRowRegions.Empty() && HavePicture &&
               FBackgroundOptions.Contains(coBlendAlternatingRow),
           FAlternatingRowColor);
    Tinted(Row1Bitmap, HavePicture && FBackgroundOptions.Contains(coBlendFixedRow), Row1Color);
    if (Row1Bitmap && Row1Bitmap->Height() > Grid->RowHeights(0)) {
        // The strip of the first row, cut from the top of the background.
        TdaBitmap Strip;
        Strip.LoadBlank(W, Grid->RowHeights(0));
        for (int Y = 0; Y < Strip.Height(); ++Y)
            for (int X = 0; X < W; ++X)
                Strip.SetPixelColor(X, Y, Row1Bitmap->PixelColor(X, Y));
        Strip.AssignTo(Row1Bitmap.get());
    }
    Tinted(Column1Bitmap, HavePicture && FBackgroundOptions.Contains(coBlendFixedColumn),
           Grid->FixedColor() != clNone ? Column1Color : clNone);
}
