#pragma once
// The background picture and the row tints of the library's grids and the data inspector:
// the settings, and the grid-sized background with its tinted copies, rendered once per change
// of settings or size, which the grid's cell painting then copies from.

#include "dataaware/foundation/daBitmap.h"
#include "platform/base/Set.h"
#include "platform/gui/Graphics.h"

#include <memory>

class TCustomGrid;

DECLARE_ENUM(TdaBackgroundDrawStyle, Byte, bdsTile, bdsStretch, bdsTopLeft, bdsCenter)
DECLARE_ENUM(TdaAlternatingRowRegion, Byte, arrFixedColumns, arrDataColumns, arrActiveDataColumn)
using TdaAlternatingRowRegions = TSet<TdaAlternatingRowRegion>;
DECLARE_ENUM(TdaBackgroundOption, Byte, coFillDataCells, coBlendFixedRow, coBlendFixedColumn, coBlendActiveRecord,
             coBlendAlternatingRow)
using TdaBackgroundOptions = TSet<TdaBackgroundOption>;

class TdaGridPaintOptions : public TPersistent {
    DECLARE_CLASS(TdaGridPaintOptions, TPersistent)
public:
    // The owner is the grid; APaintBitmap is the grid-sized bitmap it paints from (not owned).
    TdaGridPaintOptions(TCustomGrid* Owner, TBitmap* APaintBitmap);
    ~TdaGridPaintOptions() override;

    TPicture* BackgroundBitmap() const { return FBackgroundBitmap.get(); }
    void SetBackgroundBitmap(TPicture* Value);
    TdaBackgroundDrawStyle BackgroundDrawStyle() const { return FBackgroundDrawStyle; }
    void SetBackgroundDrawStyle(TdaBackgroundDrawStyle Value);
    TdaAlternatingRowRegions AlternatingRowRegions() const { return FAlternatingRowRegions; }
    void SetAlternatingRowRegions(const TdaAlternatingRowRegions& Value);
    bool FastRecordScrolling = true;
    TColor AlternatingRowColor() const { return FAlternatingRowColor; }
    void SetAlternatingRowColor(TColor Value);
    TColor ActiveRecordColor() const { return FActiveRecordColor; }
    void SetActiveRecordColor(TColor Value);
    TdaBackgroundOptions BackgroundOptions() const { return FBackgroundOptions; }
    void SetBackgroundOptions(const TdaBackgroundOptions& Value);

    TCustomGrid* Grid = nullptr;
    bool InitBlendBitmapsFlag = true;
    TColor Column1Color = clNone;
    TColor Row1Color = clNone;
    TBitmap* FPaintBitmap = nullptr;
    std::unique_ptr<TdaBitmap> OrigBitmap, AlternatingColorBitmap, ActiveRecordBitmap, Column1Bitmap, Row1Bitmap;
    // The colour depth of the screen the rendering is for; tinted copies need more than 8.
    int ScreenBitsPerPixel = 32;

    // Renders the background and its tinted copies when forced or out of date.
    void InitBlendBitmaps(bool ForceInit);
    TCanvas* GetCanvas() const { return FPaintBitmap ? FPaintBitmap->Canvas() : nullptr; }
    bool HaveBackgroundForDataCells() const;

private:
    std::unique_ptr<TPicture> FBackgroundBitmap;
    TdaBackgroundDrawStyle FBackgroundDrawStyle = bdsTile;
    TdaAlternatingRowRegions FAlternatingRowRegions{arrFixedColumns, arrDataColumns, arrActiveDataColumn};
    TColor FAlternatingRowColor = clNone;
    TColor FActiveRecordColor = clNone;
    TdaBackgroundOptions FBackgroundOptions;

    void Outdated();
    void Render();
    static void Published(TPublisher<TdaGridPaintOptions>& P);
};
