#pragma once
// The grid base: cells addressed by column and row, fixed rows and columns at the top and left,
// column widths and row heights, a current cell, a selection, top-left scrolling with the
// window's scroll bars, sizing and moving of columns and rows with the mouse, and an in-place
// editor (a mask edit) over the current cell. Descendants draw cells (DrawCell) and answer the
// editor hooks; TDrawGrid hands both to events, TStringGrid keeps text per cell.

#include "platform/gui/Mask.h"

#include <unordered_map>

DECLARE_EXCEPTION(EInvalidGridOperation, Exception)

DECLARE_ENUM(TGridOption, Byte, goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
             goDrawFocusSelected, goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs,
             goRowSelect, goAlwaysShowEditor, goThumbTracking)
using TGridOptions = TSet<TGridOption>;
DECLARE_ENUM(TGridDrawStateItem, Byte, gdSelected, gdFocused, gdFixed)
using TGridDrawState = TSet<TGridDrawStateItem>;
DECLARE_ENUM(TGridState, Byte, gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving)

struct TGridCoord {
    int X = 0, Y = 0;
    bool operator==(const TGridCoord&) const = default;
};
// Left and Right are columns, Top and Bottom rows, all inclusive.
struct TGridRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TGridRect&) const = default;
};

// One axis of the grid as painted now.
struct TGridAxisDrawInfo {
    int EffectiveLineWidth = 0;
    int FixedBoundary = 0;       // end of the fixed cells
    int GridBoundary = 0;        // end of the last cell shown
    int GridExtent = 0;          // the client size on this axis
    int LastFullVisibleCell = 0; // index of the last cell wholly shown
    int FullVisBoundary = 0;     // end of that cell
    int FixedCellCount = 0;
    int FirstGridCell = 0; // the first scrolled cell shown (LeftCol or TopRow)
    int GridCellCount = 0;
    std::function<int(int)> GetExtent; // the size of a cell
};
struct TGridDrawInfo {
    TGridAxisDrawInfo Horz, Vert;
};

class TCustomGrid;

// The editor the grid lays over its current cell. Up, Down, Page keys and Tab go to the grid;
// the text goes to the grid's SetEditText as it changes.
class TInplaceEdit : public TCustomMaskEdit {
    DECLARE_CLASS(TInplaceEdit, TCustomMaskEdit)
public:
    explicit TInplaceEdit(TComponent* AOwner);
    TCustomGrid* Grid() const { return FGrid; }
    // Shows the editor over the current cell with the grid's text and mask for it.
    virtual void UpdateContents();
    void Move(const TRect& Loc);
    void Hide();
    bool Shown() const { return FShown; }

protected:
    friend class TCustomGrid;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void Change() override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;

private:
    TCustomGrid* FGrid = nullptr;
    bool FShown = false;
    bool FUpdating = false;
};

class TCustomGrid : public TCustomControl {
    DECLARE_CLASS(TCustomGrid, TCustomControl)
public:
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;

    int ColCount() const { return FColCount; }
    void SetColCount(int Value);
    int RowCount() const { return FRowCount; }
    void SetRowCount(int Value);
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int Value);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int Value);
    int DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int Value);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int Value);
    int ColWidths(int Index) const;
    void SetColWidths(int Index, int Value);
    int RowHeights(int Index) const;
    void SetRowHeights(int Index, int Value);
    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int Value);
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions Value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);

    int Col() const { return FCurrent.X; }
    void SetCol(int Value);
    int Row() const { return FCurrent.Y; }
    void SetRow(int Value);
    TGridRect Selection() const;
    void SetSelection(const TGridRect& Value);
    int TopRow() const { return FTopLeft.Y; }
    void SetTopRow(int Value);
    int LeftCol() const { return FTopLeft.X; }
    void SetLeftCol(int Value);
    int VisibleColCount() const;
    int VisibleRowCount() const;
    TGridState GridState() const { return FGridState; }

    bool EditorMode() const { return FEditorMode; }
    void SetEditorMode(bool Value);
    TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
    void ShowEditor();
    void HideEditor();

    // The cell's rectangle in client coordinates; empty when it is not shown.
    TRect CellRect(int ACol, int ARow) const;
    // The cell under a client point; -1, -1 outside the cells.
    TGridCoord MouseCoord(int X, int Y) const;
    void MouseToCell(int X, int Y, int& ACol, int& ARow) const;
    void CalcDrawInfo(TGridDrawInfo& DrawInfo) const;

    void InvalidateCell(int ACol, int ARow);
    void InvalidateRow(int ARow);
    void InvalidateCol(int ACol);
    void InvalidateGrid() { Invalidate(); }
    void InvalidateEditor();

protected:
    friend class TInplaceEdit;
    virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) = 0;
    virtual bool SelectCell(int /*ACol*/, int /*ARow*/) { return true; }
    virtual void TopLeftChanged() {}
    virtual void ColumnMoved(int /*FromIndex*/, int /*ToIndex*/) {}
    virtual void RowMoved(int /*FromIndex*/, int /*ToIndex*/) {}
    virtual void ColWidthsChanged() {}
    virtual void RowHeightsChanged() {}
    virtual void SizeChanged(int /*OldColCount*/, int /*OldRowCount*/) {}
    // The editor hooks.
    virtual TInplaceEdit* CreateEditor();
    virtual bool CanEditShow() const;
    virtual bool CanEditAcceptKey(Char /*Key*/) const { return true; }
    virtual bool CanEditModify() const { return true; }
    virtual String GetEditText(int /*ACol*/, int /*ARow*/) { return String(); }
    virtual void SetEditText(int /*ACol*/, int /*ARow*/, const String& /*Value*/) {}
    virtual String GetEditMask(int /*ACol*/, int /*ARow*/) { return String(); }
    virtual int GetEditLimit() { return 0; }
    // Moves the current cell; MoveAnchor also collapses the selection onto it.
    void FocusCell(int ACol, int ARow, bool MoveAnchor);
    void MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);
    void MoveColumn(int FromIndex, int ToIndex);
    void MoveRow(int FromIndex, int ToIndex);
    // Which border the point is near for sizing, in the fixed cells (the first row for columns,
    // the first column for rows).
    void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs) const;

    void Paint() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void WMSize(TWMSize& Message) override;
    void UpdateScrollRange();
    void UpdateEdit();

private:
    void ScrollMessage(bool Vert, int Code);
    void MoveTopLeft(int ALeft, int ATop);
    void ClampTopLeft(int& ALeft, int& ATop) const;
    void ShowCell(int ACol, int ARow);
    TGridCoord MaxTopLeft() const;

    int FColCount = 5, FRowCount = 5, FFixedCols = 1, FFixedRows = 1;
    int FDefaultColWidth = 64, FDefaultRowHeight = 24, FGridLineWidth = 1;
    // Sizes that differ from the default only, so that a million rows cost nothing.
    std::unordered_map<int, int> FColWidths, FRowHeights;
    TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    TColor FFixedColor = clBtnFace;
    bool FDefaultDrawing = true;
    TScrollStyle FScrollBars = StdCtrls::ssBoth;
    TGridCoord FCurrent{1, 1}, FAnchor{1, 1}, FTopLeft{1, 1};
    TGridState FGridState = gsNormal;
    int FSizingIndex = -1, FSizingPos = 0, FSizingOfs = 0;
    int FMoveIndex = -1;
    bool FEditorMode = false;
    TInplaceEdit* FInplaceEdit = nullptr;
    TGridCoord FEditCell{-1, -1};
};

using TDrawCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TGetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, String& Value)>;
using TSetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, const String& Value)>;
using TMovedEvent = std::function<void(TObject* Sender, int FromIndex, int ToIndex)>;

class TDrawGrid : public TCustomGrid {
    DECLARE_CLASS(TDrawGrid, TCustomGrid)
public:
    using TCustomGrid::TCustomGrid;
    // Public forms of the protected grid operations.
    using TCustomGrid::CellRect;
    using TCustomGrid::MouseToCell;
    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TNotifyEvent OnTopLeftChanged;
    TGetEditEvent OnGetEditText, OnGetEditMask;
    TSetEditEvent OnSetEditText;
    TMovedEvent OnColumnMoved, OnRowMoved;

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    void TopLeftChanged() override;
    String GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const String& Value) override;
    String GetEditMask(int ACol, int ARow) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void RowMoved(int FromIndex, int ToIndex) override;
};

// Text per cell, kept only for cells that have some.
class TStringGrid : public TDrawGrid {
    DECLARE_CLASS(TStringGrid, TDrawGrid)
public:
    using TDrawGrid::TDrawGrid;
    String Cells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const String& Value);

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    String GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const String& Value) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void RowMoved(int FromIndex, int ToIndex) override;

private:
    std::unordered_map<long long, String> FCells;
    static long long Key(int ACol, int ARow) { return (static_cast<long long>(ARow) << 32) | unsigned(ACol); }
};
