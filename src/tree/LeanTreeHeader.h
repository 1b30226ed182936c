#pragma once
// The tree's header: a collection of columns with a map from display positions to column
// indexes, laid out left to right, and the header object that holds them with its height,
// options, font, main column, sort column and the constraints of the fixed area. The header
// writes and reads itself in a binary stream of its own; reading checks every length and the
// position map against what the stream holds and leaves the header as it was on damage.

#include "platform/base/Collection.h"
#include "platform/base/Persistent.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "tree/LeanTreeTypes.h"

#include <memory>
#include <vector>

class TBaseLeanTree;
class TCustomImageList;
class TChangeLink;
class TLTHeader;
class TLeanTreeColumns;
class TStream;

using TColumnPosition = std::uint32_t;
// Limits of the fixed area in percent of the client (0..100; 0: no limit).
using TLTConstraintPercent = Byte;

DECLARE_ENUM(TLTColumnOption, Byte, coAllowClick, coDraggable, coEnabled, coParentBidiMode, coParentColor,
             coResizable, coShowDropMark, coVisible, coAutoSpring, coFixed, coSmartResize, coAllowFocus,
             coDisableAnimatedResize, coWrapCaption, coUseCaptionAlignment)
using TLTColumnOptions = TSet<TLTColumnOption>;
DECLARE_ENUM(TLeanTreeColumnStyle, Byte, vsText, vsOwnerDraw)
// Its value names are those of the layer's button layout: the tree's live in a namespace of
// their own.
namespace LeanTreeHeader {
DECLARE_ENUM(TLTHeaderColumnLayout, Byte, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
}
using LeanTreeHeader::TLTHeaderColumnLayout;
DECLARE_ENUM(TLTHeaderOption, Byte, hoAutoResize, hoColumnResize, hoDblClickResize, hoDrag, hoHotTrack,
             hoOwnerDraw, hoRestrictDrag, hoShowHint, hoShowImages, hoShowSortGlyphs, hoVisible, hoAutoSpring,
             hoFullRepaintOnResize, hoDisableAnimatedResize, hoHeightResize, hoHeightDblClickResize,
             hoHeaderClickAutoSort)
using TLTHeaderOptions = TSet<TLTHeaderOption>;
DECLARE_ENUM(TLTHeaderStyle, Byte, hsThickButtons, hsFlatButtons, hsPlates)
DECLARE_ENUM(THeaderState, Byte, hsAutoSizing, hsDragging, hsDragPending, hsLoading, hsColumnWidthTracking,
             hsColumnWidthTrackPending, hsHeightTracking, hsHeightTrackPending, hsResizing, hsScaling,
             hsNeedScaling)
using THeaderStates = TSet<THeaderState>;
DECLARE_ENUM(TSmartAutoFitType, Byte, smaAllColumns, smaNoColumn, smaUseColumnOption)
DECLARE_ENUM(TLTDropMarkMode, Byte, dmmNone, dmmLeft, dmmRight)
DECLARE_ENUM(THeaderPaintElement, Byte, hpeBackground, hpeDropMark, hpeHeaderGlyph, hpeSortGlyph, hpeText)
using THeaderPaintElements = TSet<THeaderPaintElement>;

class TLeanTreeColumn;

// The tree's cursor numbers: over a node's or the header's lower edge, and over a column's edge.
constexpr TCursor crLeanVertSplit = 62;
constexpr TCursor crLeanHeaderSplit = 63;
// Puts the two cursor numbers into the screen's cursor table.
void RegisterLeanTreeCursors();

// Where a click on the header landed.
DECLARE_ENUM(TLTHeaderHitPosition, Byte, hhiNoWhere, hhiOnColumn, hhiOnIcon, hhiOnCheckbox)
using TLTHeaderHitPositions = TSet<TLTHeaderHitPosition>;
struct TLTHeaderHitInfo {
    int X = 0, Y = 0;
    TMouseButton Button = mbLeft;
    TShiftState Shift;
    TColumnIndex Column = ColumnNone;
    TLTHeaderHitPositions HitPosition;
};

// What the owner-draw events of the header get.
struct THeaderPaintInfo {
    TCanvas* TargetCanvas = nullptr;
    TLeanTreeColumn* Column = nullptr;
    TRect PaintRectangle;
    TRect TextRectangle;
    bool IsHoverIndex = false, IsDownIndex = false, IsEnabled = false, ShowHeaderGlyph = false,
         ShowSortGlyph = false, ShowRightBorder = false;
    TLTDropMarkMode DropMark = dmmNone;
    TPoint GlyphPos, SortGlyphPos;
};

// ---- A column ---------------------------------------------------------------------------------

class TLeanTreeColumn : public TCollectionItem {
    DECLARE_CLASS(TLeanTreeColumn, TCollectionItem)
public:
    explicit TLeanTreeColumn(TCollection* Collection);
    ~TLeanTreeColumn() override;
    void Assign(TPersistent* Source) override;
    bool Equals(const TLeanTreeColumn& Other) const;

    TLeanTreeColumns* Owner() const;
    TBaseLeanTree* Tree() const;

    const String& Text() const { return FText; }
    void SetText(const String& Value);
    const String& Hint() const { return FHint; }
    void SetHint(const String& Value) { FHint = Value; }
    // Left edge on the screen: scrolled with the tree unless the column is fixed.
    int Left() const;
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int Value);
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int Value);
    TColumnPosition Position() const { return FPosition; }
    void SetPosition(TColumnPosition Value);
    TLeanTreeColumnStyle Style() const { return FStyle; }
    void SetStyle(TLeanTreeColumnStyle Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value);
    TLTHeaderColumnLayout Layout() const { return FLayout; }
    void SetLayout(TLTHeaderColumnLayout Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    TLTColumnOptions Options() const { return FOptions; }
    void SetOptions(TLTColumnOptions Value);
    int Tag() const { return FTag; }
    void SetTag(int Value) { FTag = Value; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TAlignment CaptionAlignment() const { return FCaptionAlignment; }
    void SetCaptionAlignment(TAlignment Value);
    // The caption's alignment: its own with coUseCaptionAlignment, else the cells'.
    TAlignment EffectiveCaptionAlignment() const;
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    bool CheckBox() const { return FCheckBox; }
    void SetCheckBox(bool Value);
    TCheckType CheckType() const { return FCheckType; }
    void SetCheckType(TCheckType Value);
    TCheckState CheckState() const { return FCheckState; }
    void SetCheckState(TCheckState Value);
    TSortDirection DefaultSortDirection() const { return FDefaultSortDirection; }
    void SetDefaultSortDirection(TSortDirection Value) { FDefaultSortDirection = Value; }
    int LastWidth() const { return FLastWidth; }
    bool BonusPixel() const { return FBonusPixel; }
    float SpringRest() const { return FSpringRest; }
    const TRect& ImageRect() const { return FImageRect; }
    bool HasImage() const { return FHasImage; }

    // The column in header coordinates: from its left edge (scrolled) over the header height.
    TRect GetRect() const;
    void RestoreLastWidth();
    bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
    void ParentColorChanged();
    void ParentBiDiModeChanged();

    void SaveToStream(TStream* Stream) const;
    // Reads one column record; the lengths are checked against the bytes left (EReadError).
    void LoadFromStream(TStream* Stream, int Version);

protected:
    String GetDisplayName() const override;

private:
    static void Published(TPublisher<TLeanTreeColumn>& P);
    friend class TLeanTreeColumns;
    friend class TLTHeader;
    friend class TBaseLeanTree;
    String FText, FHint;
    int FLeft = 0;
    int FWidth = 50;
    TColumnPosition FPosition = 0;
    int FMinWidth = 10;
    int FMaxWidth = 10000;
    TLeanTreeColumnStyle FStyle = vsText;
    int FImageIndex = -1;
    TBiDiMode FBiDiMode = bdLeftToRight;
    TLTHeaderColumnLayout FLayout = LeanTreeHeader::blGlyphLeft;
    int FMargin = 4;
    int FSpacing = 3;
    TLTColumnOptions FOptions;
    int FTag = 0;
    TAlignment FAlignment = taLeftJustify;
    TAlignment FCaptionAlignment = taLeftJustify;
    int FLastWidth = 50;
    TColor FColor = clWindow;
    bool FBonusPixel = false;
    float FSpringRest = 0;
    String FCaptionText;
    bool FCheckBox = false;
    TCheckType FCheckType = ctCheckBox;
    TCheckState FCheckState = csUncheckedNormal;
    TRect FImageRect;
    bool FHasImage = false;
    TSortDirection FDefaultSortDirection = sdAscending;

    bool IsFixed() const { return FOptions.Contains(coVisible) && FOptions.Contains(coFixed); }
    void ReportChange(bool AllColumns);
};

// ---- The columns ------------------------------------------------------------------------------

class TLeanTreeColumns : public TCollection {
    DECLARE_CLASS(TLeanTreeColumns, TCollection)
public:
    explicit TLeanTreeColumns(TLTHeader* AOwner);
    ~TLeanTreeColumns() override;

    TLeanTreeColumn* Add() { return static_cast<TLeanTreeColumn*>(TCollection::Add()); }
    TLeanTreeColumn* Items(int Index) const {
        return static_cast<TLeanTreeColumn*>(TCollection::Items(Index));
    }
    TLeanTreeColumn* operator[](int Index) const { return Items(Index); }
    void Clear();
    void Assign(TPersistent* Source) override;
    bool Equals(const TLeanTreeColumns& Other) const;
    TLTHeader* Header() const { return FHeader; }

    int DefaultWidth() const { return FDefaultWidth; }
    void SetDefaultWidth(int Value) { FDefaultWidth = Value; }
    TColumnIndex HoverIndex() const { return FHoverIndex; }
    TColumnIndex DownIndex() const { return FDownIndex; }
    TColumnIndex ClickIndex() const { return FClickIndex; }
    TColumnIndex TrackIndex() const { return FTrackIndex; }
    // The column drawn pressed (the down column) and hot (the hover column).
    void SetDownIndex(TColumnIndex Value);
    void SetHoverIndex(TColumnIndex Value);
    const std::vector<TColumnIndex>& PositionToIndex() const { return FPositionToIndex; }

    // The visible column whose span holds P.X (header coordinates); -2 outside every column.
    TColumnIndex ColumnFromPosition(TPoint P, bool Relative = true) const;
    // The index shown at a position, -1 outside.
    TColumnIndex ColumnFromPosition(TColumnPosition PositionIndex) const;
    void GetColumnBounds(TColumnIndex Column, int& Left, int& Right) const;
    TColumnIndex GetFirstVisibleColumn(bool ConsiderAllowFocus = false) const;
    TColumnIndex GetLastVisibleColumn(bool ConsiderAllowFocus = false) const;
    TColumnIndex GetNextVisibleColumn(TColumnIndex Column, bool ConsiderAllowFocus = false) const;
    TColumnIndex GetPreviousVisibleColumn(TColumnIndex Column, bool ConsiderAllowFocus = false) const;
    TColumnIndex GetFirstColumn() const;
    TColumnIndex GetNextColumn(TColumnIndex Column) const;
    TColumnIndex GetPreviousColumn(TColumnIndex Column) const;
    std::vector<TLeanTreeColumn*> GetVisibleColumns() const;
    int GetVisibleFixedWidth() const;
    int GetScrollWidth() const;
    bool IsValidColumn(TColumnIndex Column) const { return Column >= 0 && Column < Count(); }
    int TotalWidth() const;
    void AnimatedResize(TColumnIndex Column, int NewWidth);

    // Paints the columns that fall into R (header coordinates) at Target (Part of the header's
    // own painting; see TLTHeader::PaintHeader).
    void PaintHeader(TCanvas* TargetCanvas, TRect R, TPoint Target, int RTLOffset = 0);

    // -- The mouse over the header (points are client points of the tree; Y < 0 in the header) --
    TColumnIndex DragIndex() const { return FDragIndex; }
    TColumnIndex DropTarget() const { return FDropTarget; }
    bool DropBefore() const { return FDropBefore; }
    bool CheckBoxHit() const { return FCheckBoxHit; }
    void SetCheckBoxHit(bool Value) { FCheckBoxHit = Value; }
    void SetClickIndex(TColumnIndex Value) { FClickIndex = Value; }
    // The column under P becomes the hot one; true when it changed.
    bool TrackHotColumn(TPoint P);
    // The clickable column under P becomes the pressed one; answers the column under P.
    TColumnIndex TrackPressedColumn(TPoint P);
    // A click (or double click) on the column under P: OnHeaderClick or OnHeaderDblClick.
    void ProcessHeaderClick(TPoint P, TMouseButton Button, bool Force, bool DblClick);
    bool CanResizeAtSplitter(TPoint P, TColumnIndex Column);
    // The tree's OnCanSplitterResizeColumn may change Allowed.
    void QueryCanResizeColumn(TPoint P, TColumnIndex Column, bool& Allowed);
    // As ColumnFromPosition, also giving the column's left and right edge.
    TColumnIndex ColumnAndEdgesAt(TPoint P, int& Left, int& Right, bool Relative = true) const;

    void SaveToStream(TStream* Stream) const;
    void LoadFromStream(TStream* Stream, int Version);

    // Layout steps that the header and the columns share.
    void FitAutoSizeColumn(TColumnIndex CurrentIndex, bool Force);
    void MovePositionEntry(TColumnIndex Column, TColumnPosition Position);
    void RemapPositionIndexes(TColumnIndex OldIndex, TColumnIndex NewIndex);
    void FitPositionMap();
    void ResetPositionOrder(bool RTL);
    void LayOutColumns(bool Force);
    void RebuildPositionsFromColumns();
    // Columns added while the tree loaded wait for their positions until it has loaded.
    bool NeedsPositionsFix() const { return FNeedPositionsFix; }

protected:
    void Update(TCollectionItem* Item) override;
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override;
    TPersistent* GetOwner() const override;

private:
    friend class TLeanTreeColumn;
    friend class TLTHeader;
    TLTHeader* FHeader;
    std::unique_ptr<TBitmap> FHeaderBitmap;
    TColumnIndex FHoverIndex = ColumnNone, FDownIndex = ColumnNone, FTrackIndex = ColumnNone,
                 FClickIndex = ColumnNone;
    bool FCheckBoxHit = false;
    std::vector<TColumnIndex> FPositionToIndex;
    int FDefaultWidth = 50;
    bool FNeedPositionsFix = false;
    bool FClearing = false;
    TColumnIndex FDragIndex = ColumnNone, FDropTarget = ColumnNone;
    bool FDropBefore = false;

    void AdjustIndexesAfterDelete(TColumnIndex Index);
    void PaintColumnHeader(TCanvas* Canvas, TLeanTreeColumn* Column, const TRect& R, bool LastColumn);
    void LayOutHeaderCell(TCanvas* Canvas, TLeanTreeColumn* Column, const TRect& Client, bool UseHeaderGlyph,
                          bool UseSortGlyph, TPoint& HeaderGlyphPos, TPoint& SortGlyphPos,
                          TSize& SortGlyphSize, TRect& TextBounds);
    void DrawCaptionText(TCanvas* Canvas, const String& Caption, TRect Bounds, bool Enabled, bool Hot,
                         Cardinal DrawFormat, bool WrapCaption);
};

// ---- The constraints of the fixed area ----------------------------------------------------------

class TLTFixedAreaConstraints : public TPersistent {
    DECLARE_CLASS(TLTFixedAreaConstraints, TPersistent)
public:
    explicit TLTFixedAreaConstraints(TLTHeader* AOwner) : FHeader(AOwner) {}
    void Assign(TPersistent* Source) override;
    int MaxHeightPercent() const { return FMaxHeightPercent; }
    void SetMaxHeightPercent(int Value);
    int MaxWidthPercent() const { return FMaxWidthPercent; }
    void SetMaxWidthPercent(int Value);
    int MinHeightPercent() const { return FMinHeightPercent; }
    void SetMinHeightPercent(int Value);
    int MinWidthPercent() const { return FMinWidthPercent; }
    void SetMinWidthPercent(int Value);
    TNotifyEvent OnChange;

private:
    friend class TLTHeader;
    TLTHeader* FHeader;
    TLTConstraintPercent FMaxHeightPercent = 0, FMaxWidthPercent = 0, FMinHeightPercent = 0, FMinWidthPercent = 0;
    void Change();
};

// ---- The header ---------------------------------------------------------------------------------

class TLTHeader : public TPersistent {
    DECLARE_CLASS(TLTHeader, TPersistent)
public:
    explicit TLTHeader(TBaseLeanTree* AOwner = nullptr);
    ~TLTHeader() override;
    void Assign(TPersistent* Source) override;

    TBaseLeanTree* Treeview() const { return FOwner; }
    TLeanTreeColumns* Columns() const { return FColumns.get(); }
    void SetColumns(TLeanTreeColumns* Value) { FColumns->Assign(Value); }

    int Height() const { return FHeight; }
    void SetHeight(int Value);
    int DefaultHeight() const { return FDefaultHeight; }
    void SetDefaultHeight(int Value);
    int MinHeight() const { return FMinHeight; }
    void SetMinHeight(int Value);
    int MaxHeight() const { return FMaxHeight; }
    void SetMaxHeight(int Value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TLTHeaderOptions Options() const { return FOptions; }
    void SetOptions(TLTHeaderOptions Value);
    TLTHeaderStyle Style() const { return FStyle; }
    void SetStyle(TLTHeaderStyle Value);
    TColor Background() const { return FBackground; }
    void SetBackground(TColor Value);
    TColumnIndex AutoSizeIndex() const { return FAutoSizeIndex; }
    void SetAutoSizeIndex(TColumnIndex Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TLTFixedAreaConstraints* FixedAreaConstraints() const { return FFixedAreaConstraints.get(); }
    THeaderStates States() const { return FStates; }

    // The column that holds the tree lines (-1 without columns).
    TColumnIndex MainColumn() const { return FMainColumn; }
    void SetMainColumn(TColumnIndex Value);
    // The column the tree sorts by (-1: the tree's own order of comparison without a column).
    TColumnIndex SortColumn() const { return FSortColumn; }
    // Clamped to -1 .. column count - 1; a change re-sorts an auto-sorted tree.
    void SetSortColumn(TColumnIndex Value);
    TSortDirection SortDirection() const { return FSortDirection; }
    void SetSortDirection(TSortDirection Value);

    bool AllowFocus(TColumnIndex Column) const;
    void AutoFitColumns(bool Animated = true, TSmartAutoFitType SmartAutoFitType = smaUseColumnOption,
                        int RangeStartCol = ColumnNone, int RangeEndCol = ColumnNone);
    int ResizeColumns(int ChangeBy, TColumnIndex RangeStartCol, TColumnIndex RangeEndCol,
                      TLTColumnOptions Options = {coVisible});
    void RestoreColumns();
    // Shares a change of the header's width among the spring columns (hoAutoSpring).
    void ShareSpringWidth();
    void ApplyFixedAreaConstraints();
    // Repaints a column's header (null: the whole header).
    void Invalidate(TLeanTreeColumn* Column = nullptr, bool ExpandToBorder = false);

    // The header strip (window coordinates of the tree) painted onto a canvas.
    void PaintHeader(TCanvas* Canvas, const TRect& R, int HOffset);

    // The header record: marker -1, version 6, the columns and the header's own values.
    void SaveToStream(TStream* Stream) const;
    // Raises EReadError on a damaged stream and then leaves the header as it was.
    void LoadFromStream(TStream* Stream);

    // Column queries that the tree's model asks.
    int ColumnCount() const { return FColumns->Count(); }
    bool UseColumns() const { return ColumnCount() > 0; }
    bool IsValidColumn(TColumnIndex Column) const { return FColumns->IsValidColumn(Column); }
    bool ColumnVisible(TColumnIndex Column) const;
    // The first visible column that may take the focus, -2 when there is none.
    TColumnIndex FirstVisibleFocusableColumn() const { return FColumns->GetFirstVisibleColumn(true); }
    // Left and right edge of a column as shown (scrolled unless fixed); false for an invalid one.
    bool ColumnBounds(TColumnIndex Column, int& Left, int& Right) const;
    int ColumnsTotalWidth() const { return FColumns->TotalWidth(); }
    // The column at an x position of the tree's client area (-2 outside every column).
    TColumnIndex ColumnFromPosition(int X) const { return FColumns->ColumnFromPosition(TPoint{X, 0}, true); }

    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value) { FPopupMenu = Value; }

    // -- The mouse over the header (points are client points of the tree; Y < 0 in the header) --
    // The states of a press on the header: tracking a width or the height, or dragging a column.
    static constexpr THeaderStates MouseStates() {
        return {hsDragging,       hsDragPending,       hsColumnWidthTracking, hsColumnWidthTrackPending,
                hsHeightTracking, hsHeightTrackPending};
    }
    bool MouseStateActive() const { return !(FStates * MouseStates()).Empty(); }
    bool InHeader(TPoint P) const;
    // Within two pixels of the header's lower edge.
    bool InHeaderSplitterArea(TPoint P) const;
    // The header's height may be dragged at P.
    bool CanResizeAtSplitter(TPoint P);
    // The column whose right edge is under P becomes the track column; false when none.
    bool FindSplitterColumn(TPoint P);
    bool ColumnSplitterHit(TPoint P);
    // The header's part of a message of the tree's window; true when it took the message.
    virtual bool HandleHeaderMessage(TMessage& Message);
    bool HandleHeaderMouseMove(TMessage& Message);
    // A column drag from the screen point Start, the mouse at screen point P.
    void StartColumnDrag(TPoint P, TPoint Start);
    void MoveColumnDrag(TPoint P);
    TPoint DragStart() const { return FDragStart; }
    TPoint TrackStart() const { return FTrackStart; }

protected:
    TPersistent* GetOwner() const override;

private:
    static void Published(TPublisher<TLTHeader>& P);
    friend class TLeanTreeColumn;
    friend class TLeanTreeColumns;
    friend class TLTFixedAreaConstraints;
    TBaseLeanTree* FOwner;
    std::unique_ptr<TLeanTreeColumns> FColumns;
    int FHeight = 19;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = false;
    TLTHeaderOptions FOptions{hoColumnResize, hoDrag, hoShowSortGlyphs};
    TLTHeaderStyle FStyle = hsThickButtons;
    TColor FBackground = clBtnFace;
    TColumnIndex FAutoSizeIndex = ColumnNone;
    TPopupMenu* FPopupMenu = nullptr;
    TColumnIndex FMainColumn = ColumnNone;
    int FMaxHeight = 10000, FMinHeight = 10, FDefaultHeight = 19;
    std::unique_ptr<TLTFixedAreaConstraints> FFixedAreaConstraints;
    TCustomImageList* FImages = nullptr;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    TColumnIndex FSortColumn = ColumnNone;
    TSortDirection FSortDirection = sdAscending;
    int FLastWidth = 0;
    THeaderStates FStates;
    TPoint FDragStart, FTrackStart, FTrackPoint;

    bool TreeLoading() const;
    // The point moved into the header's own coordinates (its top is 0).
    TPoint HeaderPoint(TPoint P) const { return {P.X, P.Y + FHeight}; }
    void EndHeaderTracking(bool Notify);
    bool HandleHeaderButtonDown(TMessage& Message, bool NonClient);
    bool HandleHeaderButtonUp(TMessage& Message, bool NonClient);
    bool HandleHeaderDoubleClick(TMessage& Message);
    bool HandleHeaderSetCursor(TMessage& Message);
    TPoint MessageClientPoint(const TMessage& Message, bool NonClient) const;
    bool TreeHasWindow() const;
    void ApplySortColumn(TColumnIndex Value);
    void ResortTree();
    void HeaderFontChanged();
    void RefreshNonClientArea();
    void ClampMainColumn();
    void ReadHeaderRecord(TStream* Stream);
};
