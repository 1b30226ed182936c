#pragma once
// Controls: TControl (bounds, alignment, anchors, colour and font, mouse, the message model),
// TWinControl (a window with a handle, children, focus, keys), TGraphicControl (no window of
// its own: it paints on its parent's picture), TCustomControl (a window that paints itself on
// its canvas), and TControlCanvas.
//
// Messages: every message a control receives goes through WindowProc (replaceable, by default
// WndProc). WndProc does the common work (mouse routing, dragging, hints) and calls Dispatch,
// which hands each message to its handler (WMPaint, CMEnabledChanged…) or to DefaultHandler.
// A descendant handles a message by overriding its handler (and calling the inherited one for
// the default behaviour), by overriding Dispatch with a switch of its own, or by overriding
// WndProc.
//
// Windows: a TWinControl's window (a Qt widget of the layer) is created lazily, when its handle
// is first needed, so that a control can be built, laid out and measured without a window and
// without a GUI application object. Bounds, client area and alignment never depend on whether a
// window exists.

#include "platform/base/Component.h"
#include "platform/base/Geometry.h"
#include "platform/base/Set.h"
#include "platform/base/TypeInfo.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Messages.h"

#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

class TWinControl;
class TCustomForm;
class TPopupMenu;
class TDragObject;
class TControlCanvas;
struct TWindowPrivate;

DECLARE_EXCEPTION(EInvalidControlOperation, EInvalidOperation)

// ---- Enumerations and sets --------------------------------------------------------------------

DECLARE_ENUM(TAlign, Byte, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)
using TAlignSet = TSet<TAlign>;
DECLARE_ENUM(TAnchorKind, Byte, akLeft, akTop, akRight, akBottom)
using TAnchors = TSet<TAnchorKind>;

DECLARE_ENUM(TControlStyleItem, Byte, csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents,
             csFramed, csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible,
             csReplicatable, csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents,
             csNeedsBorderPaint, csParentBackground)
using TControlStyle = TSet<TControlStyleItem>;

DECLARE_ENUM(TControlStateItem, Byte, csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded,
             csFocusing, csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking,
             csDesignerHide, csPanning, csRecreating, csAligning)
using TControlState = TSet<TControlStateItem>;

// How a control's text sits between its left and right edges.
DECLARE_ENUM(TAlignment, Byte, taLeftJustify, taRightJustify, taCenter)
// Which way a control reads and lays out: bdRightToLeft mirrors the layout (text aligned to the
// right, buttons and columns from the right edge) and reads right to left; bdRightToLeftNoAlign
// reads right to left with the scroll bar on the left; bdRightToLeftReadingOnly only reads right
// to left.
DECLARE_ENUM(TBiDiMode, Byte, bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly)

DECLARE_ENUM(TDragMode, Byte, dmManual, dmAutomatic)
DECLARE_ENUM(TDragState, Byte, dsDragEnter, dsDragLeave, dsDragMove)
DECLARE_ENUM(TDragMessage, Byte, dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel, dmFindTarget)

// Controls' own border (a window with a single-line edge); the form's border styles live in
// Forms.h.
namespace Controls {
DECLARE_ENUM(TBorderStyle, Byte, bsNone, bsSingle)
}
using Controls::TBorderStyle;

// A window's bevel: a 3-D edge in its frame, outside the client area. The kind chooses the
// look (bkNone: no bevel and no room for one), the cuts the inner and outer rings (bvSpace
// takes the room and draws nothing), the edges which sides carry it.
DECLARE_ENUM(TBevelCut, Byte, bvNone, bvLowered, bvRaised, bvSpace)
DECLARE_ENUM(TBevelEdge, Byte, beLeft, beTop, beRight, beBottom)
using TBevelEdges = TSet<TBevelEdge>;
DECLARE_ENUM(TBevelKind, Byte, bkNone, bkTile, bkSoft, bkFlat)

// ---- Cursors ----------------------------------------------------------------------------------

using TCursor = std::int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSize = -5;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// Cursors of the program's own pictures. A pixel of the image's transparent colour (when the
// bitmap is transparent) or with alpha 0 lets what lies below show; HotSpot is the pixel that
// points. The answer is a handle of its own for SetCursor and TScreen::Cursors, valid until
// DestroyCursor frees it (which answers false for a handle it does not know).
HCURSOR CreateBitmapCursor(const TBitmap* Image, const TPoint& HotSpot);
bool DestroyCursor(HCURSOR Cursor);
// The picture and hot spot of a cursor made by CreateBitmapCursor (false for any other).
bool GetBitmapCursor(HCURSOR Cursor, TBitmap* Image, TPoint& HotSpot);
// The cursor SetCursor showed last.
HCURSOR GetCursor();

// ---- Window creation parameters ---------------------------------------------------------------

enum : Cardinal {
    WS_OVERLAPPED = 0x00000000,
    WS_MAXIMIZEBOX = 0x00010000,
    WS_TABSTOP = 0x00010000,
    WS_MINIMIZEBOX = 0x00020000,
    WS_GROUP = 0x00020000,
    WS_THICKFRAME = 0x00040000,
    WS_SYSMENU = 0x00080000,
    WS_HSCROLL = 0x00100000,
    WS_VSCROLL = 0x00200000,
    WS_DLGFRAME = 0x00400000,
    WS_BORDER = 0x00800000,
    WS_CAPTION = 0x00C00000,
    WS_MAXIMIZE = 0x01000000,
    WS_CLIPCHILDREN = 0x02000000,
    WS_CLIPSIBLINGS = 0x04000000,
    WS_DISABLED = 0x08000000,
    WS_VISIBLE = 0x10000000,
    WS_MINIMIZE = 0x20000000,
    WS_CHILD = 0x40000000,
    WS_POPUP = 0x80000000,
    WS_EX_DLGMODALFRAME = 0x00000001,
    WS_EX_TOPMOST = 0x00000008,
    WS_EX_ACCEPTFILES = 0x00000010,
    WS_EX_TRANSPARENT = 0x00000020,
    WS_EX_TOOLWINDOW = 0x00000080,
    WS_EX_WINDOWEDGE = 0x00000100,
    WS_EX_CLIENTEDGE = 0x00000200,
    WS_EX_RIGHT = 0x00001000,
    WS_EX_RTLREADING = 0x00002000,
    WS_EX_LEFTSCROLLBAR = 0x00004000,
    WS_EX_CONTROLPARENT = 0x00010000,
    WS_EX_APPWINDOW = 0x00040000,
};

struct TCreateParams {
    String Caption;
    Cardinal Style = 0;
    Cardinal ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = 0;
    String WinClassName;
};

// The style bits a window was created with (its CreateParams), as GetWindowLong reads them;
// SetWindowLong replaces them and answers the old ones (0 for an unknown window or index). The
// bits are the window's record of itself: changing them does not change how Qt shows it.
enum : int { GWL_EXSTYLE = -20, GWL_STYLE = -16 };
LONG_PTR GetWindowLong(HWND Wnd, int Index);
LONG_PTR SetWindowLong(HWND Wnd, int Index, LONG_PTR Value);

// ---- Events -----------------------------------------------------------------------------------

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, Char& Key)>;
using TCanResizeEvent = std::function<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;

// ---- Size constraints -------------------------------------------------------------------------

// Minimum and maximum width and height of a control; 0 means no limit.
class TSizeConstraints : public TPersistent {
    DECLARE_CLASS(TSizeConstraints, TPersistent)
public:
    explicit TSizeConstraints(TControl* AControl = nullptr) : FControl(AControl) {}
    void Assign(TPersistent* Source) override;

    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int Value);
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int Value);
    int MinHeight() const { return FMinHeight; }
    void SetMinHeight(int Value);
    int MaxHeight() const { return FMaxHeight; }
    void SetMaxHeight(int Value);

    TNotifyEvent OnChange;

protected:
    virtual void Change();
    TPersistent* GetOwner() const override;

private:
    TControl* FControl;
    int FMinWidth = 0;
    int FMaxWidth = 0;
    int FMinHeight = 0;
    int FMaxHeight = 0;

    static void Published(TPublisher<TSizeConstraints>& P);
};

// ---- Drag objects -----------------------------------------------------------------------------

// What is being dragged inside the program. A control's OnStartDrag may hand out one of its
// own; otherwise the control itself is dragged (TDragControlObject) and is the Source that
// OnDragOver and OnDragDrop see.
class TDragObject : public TObject {
    DECLARE_CLASS(TDragObject, TObject)
public:
    // The cursor over a target: the source's DragCursor when accepted, crNoDrop otherwise.
    virtual TCursor GetDragCursor(bool Accepted, int X, int Y);
    // The object that drag events get as Source.
    virtual TObject* DragSource() { return this; }
    TPoint DragPos() const { return FDragPos; }
    bool Cancelling() const { return FCancelling; }
    bool Dropped() const { return FDropped; }

private:
    friend struct TDragManager;
    TPoint FDragPos;
    bool FCancelling = false;
    bool FDropped = false;
};

class TDragControlObject : public TDragObject {
    DECLARE_CLASS(TDragControlObject, TDragObject)
public:
    explicit TDragControlObject(TControl* AControl = nullptr) : FControl(AControl) {}
    TControl* Control() const { return FControl; }
    TCursor GetDragCursor(bool Accepted, int X, int Y) override;
    TObject* DragSource() override;

private:
    TControl* FControl;
};

// CM_DRAG: WParam is the TDragMessage, LParam a TDragRec*.
struct TDragRec {
    TPoint Pos; // screen
    TDragObject* Source = nullptr;
    TControl* Target = nullptr;
};

// The hint about to be shown (CM_HINTSHOW, TApplication::OnShowHint).
struct THintInfo {
    TControl* HintControl = nullptr;
    TPoint HintPos;       // screen
    int HintMaxWidth = 0; // pixels
    TColor HintColor = clInfoBk;
    TRect CursorRect;      // in HintControl's client coordinates: the hint stays while the pointer is inside
    TPoint CursorPos;      // in HintControl's client coordinates
    int ReshowTimeout = 0; // ms; 0 never
    int HideTimeout = 0;   // ms; 0 the application's HintHidePause
    String HintStr;
    void* HintData = nullptr;
    TClass HintWindowClass = nullptr; // a THintWindow class; null: THintWindow
};

// ---- TControl ---------------------------------------------------------------------------------

class TControl : public TComponent {
    DECLARE_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* AOwner);
    // Leaves the parent; a windowed control destroys its window and child controls first.
    ~TControl() override;

    // -- Position and size (the parent's client coordinates) --
    int Left() const { return FLeft; }
    void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
    int Top() const { return FTop; }
    void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
    int Width() const { return FWidth; }
    void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
    int Height() const { return FHeight; }
    void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
    // Applies the constraints and OnCanResize; the control is told (WM_MOVE, WM_SIZE, Resize)
    // and its parent realigns.
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }

    // The client area in the control's own coordinates: (0, 0, ClientWidth, ClientHeight).
    TRect ClientRect() const { return GetClientRect(); }
    int ClientWidth() const { return ClientRect().Width(); }
    void SetClientWidth(int Value);
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientHeight(int Value);
    // The screen position of the client area's top-left corner.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(const TPoint& Point) const;
    TPoint ScreenToClient(const TPoint& Point) const;
    TPoint ClientToParent(const TPoint& Point, TWinControl* AParent = nullptr) const;
    TPoint ParentToClient(const TPoint& Point, TWinControl* AParent = nullptr) const;

    // -- Layout --
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign Value);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(const TAnchors& Value);
    TSizeConstraints* Constraints() const { return FConstraints.get(); }
    void SetConstraints(TSizeConstraints* Value) { FConstraints->Assign(Value); }
    bool AutoSize() const { return FAutoSize; }
    virtual void SetAutoSize(bool Value);
    // Sizes an auto-sized control to its contents (CanAutoSize).
    virtual void AdjustSize();

    // -- Look --
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool Value);
    void Show();
    void Hide();
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    // Caption and Text are one text (CM_TEXTCHANGED when it changes).
    String Caption() const { return GetText(); }
    void SetCaption(const String& Value) { SetText(Value); }
    String Text() const { return GetText(); }
    void SetText(const String& Value);
    const String& Hint() const { return FHint; }
    void SetHint(const String& Value) { FHint = Value; }
    // What the control's help is found by; programs also use them to tag controls.
    const String& HelpKeyword() const { return FHelpKeyword; }
    void SetHelpKeyword(const String& Value) { FHelpKeyword = Value; }
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value) { FHelpContext = Value; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool Value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    // The reading order and layout (CM_BIDIMODECHANGED when it changes). ParentBiDiMode follows
    // the parent's; setting BiDiMode clears it.
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value);
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool Value);
    // Mirrored layout: bdRightToLeft.
    bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
    // Right-to-left reading: every mode but bdLeftToRight.
    bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
    // The vertical scroll bar on the left: bdRightToLeft and bdRightToLeftNoAlign.
    bool UseRightToLeftScrollBar() const {
        return FBiDiMode == bdRightToLeft || FBiDiMode == bdRightToLeftNoAlign;
    }
    bool IsRightToLeft() const { return FBiDiMode != bdLeftToRight; }
    // An alignment as a mirrored layout shows it: left and right swap, centre stays.
    TAlignment UseRightToLeftAlignmentFor(TAlignment Value) const;
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    TCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor Value) { FDragCursor = Value; }
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode Value) { FDragMode = Value; }

    // -- Parent and z-order --
    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);
    bool HasParent() const { return FParent != nullptr; }
    void BringToFront();
    void SendToBack();

    // -- Painting --
    // Marks the control for painting at the next paint cycle (nothing without a window).
    virtual void Invalidate();
    // Paints what is invalid now.
    virtual void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }

    // -- Messages --
    TWndMethod WindowProc() const { return FWindowProc; }
    // Replaces the message procedure; an empty one restores WndProc.
    void SetWindowProc(TWndMethod Value);
    // Sends a message straight to WindowProc, on the calling thread; answers its Result.
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    LRESULT Perform(TMessage& Message);
    virtual void WndProc(TMessage& Message);
    // Hands a message to its handler; what no handler takes goes to DefaultHandler.
    virtual void Dispatch(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);

    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(const TControlStyle& Value) { FControlStyle = Value; }
    TControlState ControlState() const { return FControlState; }
    void SetControlState(const TControlState& Value) { FControlState = Value; }

    // -- Mouse --
    bool MouseCapture() const;
    void SetMouseCapture(bool Value);
    // -- Dragging inside the program --
    // Starts at once, or once the mouse moved Threshold pixels (negative: the default 5).
    void BeginDrag(bool Immediate, int Threshold = -1);
    void EndDrag(bool Drop);
    bool Dragging() const;
    virtual void DragDrop(TObject* Source, int X, int Y);

    // The control's window handle: its own for a windowed control, its parent's otherwise.
    virtual HWND GetHandleForPaint();

    // Events.
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TNotifyEvent OnResize;
    TCanResizeEvent OnCanResize;
    TContextPopupEvent OnContextPopup;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;

    void Loaded() override;

protected:
    friend class TWinControl;
    friend struct TDragManager;
    friend struct TControlsPrivate;

    // Hands a message to a handler of its typed record (TWMCommand, TWMKey…) and takes back what
    // the handler wrote into it: Dispatch switches call it as
    //   case CN_COMMAND: return Crack(Message, this, &TMyControl::CNCommand);
    template <class R, class C, class B>
    static void Crack(TMessage& Message, C* Self, void (B::*Handler)(R&)) {
        static_assert(std::is_base_of_v<TMessage, R>, "a handler takes a message record");
        R Record(Message);
        (Self->*Handler)(Record);
        Message = Record;
    }

    virtual TRect GetClientRect() const;
    virtual String GetText() const { return FText; }
    virtual void SetTextValue(const String& Value); // stores the text; no message
    // Constraints and OnCanResize; false keeps the old size.
    virtual bool CanResize(int& NewWidth, int& NewHeight);
    virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
    virtual void ConstrainedResize(int& /*MinWidth*/, int& /*MinHeight*/, int& /*MaxWidth*/,
                                   int& /*MaxHeight*/) {}
    virtual void RequestAlign();
    virtual void SetZOrder(bool TopMost);
    // Moves the control to Position among its parent's children (back first); a position
    // past the end, or a negative one, makes it the last.
    void SetZOrderPosition(int Position);
    virtual void VisibleChanging() {}
    virtual void UpdateAnchorRules();

    // Dispatchers.
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
    virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
    virtual void Resize();
    virtual void DoContextPopup(TPoint MousePos, bool& Handled);
    virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
    virtual void DoStartDrag(TDragObject*& DragObject);
    virtual void DoEndDrag(TObject* Target, int X, int Y);

    // Message handlers.
    virtual void WMLButtonDown(TWMMouse& Message);
    virtual void WMRButtonDown(TWMMouse& Message);
    virtual void WMMButtonDown(TWMMouse& Message);
    virtual void WMLButtonDblClk(TWMMouse& Message);
    virtual void WMRButtonDblClk(TWMMouse& Message);
    virtual void WMMButtonDblClk(TWMMouse& Message);
    virtual void WMLButtonUp(TWMMouse& Message);
    virtual void WMRButtonUp(TWMMouse& Message);
    virtual void WMMButtonUp(TWMMouse& Message);
    virtual void WMMouseMove(TWMMouse& Message);
    virtual void WMMouseWheel(TWMMouseWheel& Message);
    virtual void WMContextMenu(TWMContextMenu& Message);
    virtual void WMSize(TWMSize& Message);
    virtual void WMMove(TWMMove& Message);
    virtual void WMCancelMode(TWMCancelMode& Message);
    virtual void CMMouseWheel(TMessage& Message);
    virtual void CMEnabledChanged(TMessage& Message);
    virtual void CMVisibleChanged(TMessage& Message);
    virtual void CMColorChanged(TMessage& Message);
    virtual void CMFontChanged(TMessage& Message);
    virtual void CMTextChanged(TMessage& Message);
    virtual void CMParentColorChanged(TMessage& Message);
    virtual void CMParentFontChanged(TMessage& Message);
    virtual void CMParentShowHintChanged(TMessage& Message);
    virtual void CMBiDiModeChanged(TMessage& Message);
    virtual void CMParentBiDiModeChanged(TMessage& Message);
    virtual void CMMouseEnter(TMessage& Message);
    virtual void CMMouseLeave(TMessage& Message);
    virtual void CMHitTest(TMessage& Message);
    virtual void CMHintShow(TCMHintShow& Message);
    virtual void CMHintShowPause(TCMHintShowPause& Message);
    virtual void CMDrag(TMessage& Message);
    virtual void CMCursorChanged(TMessage& Message);

    // Fields a descendant may read.
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState FControlState;

private:
    TWinControl* FParent = nullptr;
    TAlign FAlign = alNone;
    TAnchors FAnchors{akLeft, akTop};
    TPoint FAnchorRules;
    TPoint FOriginalParentSize;
    bool FAnchorMove = false;
    std::unique_ptr<TSizeConstraints> FConstraints;
    bool FAutoSize = false;
    bool FVisible = true;
    bool FEnabled = true;
    TColor FColor = clWindow;
    bool FParentColor = false;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    bool FFontChanging = false;
    String FText;
    String FHint;
    String FHelpKeyword;
    int FHelpContext = 0;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TPopupMenu* FPopupMenu = nullptr;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FParentBiDiMode = true;
    TCursor FCursor = crDefault;
    TCursor FDragCursor = crDrag;
    TDragMode FDragMode = dmManual;
    TWndMethod FWindowProc;
    int FWheelAccumulator = 0;

    void FontChanged(TObject* Sender);
    void DoMouseDown(TWMMouse& Message, TMouseButton Button, TShiftState Shift);
    void DoMouseUp(TWMMouse& Message, TMouseButton Button);
    void CheckNewSize(int& NewWidth, int& NewHeight);
    void DoConstraintsChange(TObject* Sender);

    static void Published(TPublisher<TControl>& P);
};

using TControlClass = TClass;

// ---- TWinControl ------------------------------------------------------------------------------

class TWinControl : public TControl {
    DECLARE_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    // -- The window --
    // The handle, creating the window (and its parents' windows) when there is none yet.
    HWND Handle();
    // The handle when the window exists, else 0; never creates it.
    HWND WindowHandle() const { return FHandle; }
    bool HandleAllocated() const { return FHandle != 0; }
    void HandleNeeded();
    // Destroys the window (and its children's) and makes it again with fresh CreateParams.
    void RecreateWnd();
    // Visible, and every parent showing; a top-level window: visible.
    bool Showing() const { return FShowing; }

    // -- Children (windowed and graphic, in z-order from back to front) --
    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int Index) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    // Moves a child control to Order among the children (streaming and ordered collections).
    void SetChildOrder(TComponent* Child, int Order);
    // True for the control itself and every control inside it.
    bool ContainsControl(TControl* Control) const;
    // The topmost visible child at a client point; windowed children only when asked.
    TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false) const;
    TControl* FindChildControl(const String& ControlName) const;
    // Sends the message to every child control until one answers non-zero.
    void Broadcast(TMessage& Message);

    // -- Layout --
    void DisableAlign();
    void EnableAlign();
    bool AlignDisabled() const { return FAlignLevel > 0; }
    // Arranges the children again.
    void Realign();
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int Value);
    // The bevel in the frame (see TBevelKind); a change measures the client area again.
    TBevelEdges BevelEdges() const { return FBevelEdges; }
    void SetBevelEdges(TBevelEdges Value);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value);
    // At least 1: the width of each ring that is not bvNone.
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int Value);
    // The room the bevel takes on each side (Left, Top, Right, Bottom; 0 without a bevel).
    TRect BevelMargins() const;
    // Draws the bevel's edge inside Rect (nothing without a bevel) and takes the bevel's room
    // off Rect on the sides that carry it.
    void DrawBevel(TCanvas* Canvas, TRect& Rect) const;
    // Three-dimensional look: off, bevels are drawn flat in the frame colour. ParentCtl3D
    // follows the parent's Ctl3D; setting Ctl3D clears it.
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    bool ParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool Value);
    // Scales bounds and fonts of the control and its children by M / D.
    void ScaleBy(int M, int D);

    // -- Focus and keys --
    int TabOrder() const;
    void SetTabOrder(int Value);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool Value);
    // Visible and enabled with every parent, on a form.
    virtual bool CanFocus() const;
    // Gives the control the focus through its form (EInvalidOperation "Cannot focus a disabled or
    // invisible window" when it cannot take it).
    virtual void SetFocus();
    virtual bool Focused() const;
    // The tab-order walk: children in tab order, each followed by its own children.
    void GetTabOrderList(std::vector<TWinControl*>& List) const;
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                 bool CheckParent) const;
    void SelectFirst();
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

    // -- Painting --
    bool DoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool Value) { FDoubleBuffered = Value; }
    bool ParentBackground() const { return FControlStyle.Contains(csParentBackground); }
    void SetParentBackground(bool Value);
    // Paints the control and its children, as shown, onto a canvas at (X, Y).
    void PaintTo(TCanvas* Canvas, int X, int Y);
    // A window that paints its whole copy itself while csPaintCopy is set (a grid's picture of
    // another record): PaintTo then leaves out its native widgets, which show the window's own,
    // and its child windows.
    virtual bool PaintsWholeCopy() const { return false; }
    void Invalidate() override;
    void Update() override;
    void Repaint() override;

    TPoint ClientOrigin() const override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetParent(TWinControl* AParent) override;
    void Loaded() override;
    // The window goes while the control is whole, so that WM_DESTROY reaches its handlers.
    void BeforeDestruction() override;
    HWND GetHandleForPaint() override { return Handle(); }

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;

    // Thickness of the window's frame outside the client area (BorderWidth, a single-line
    // border or a sunken edge from CreateParams, a form's menu bar): Left, Top, Right, Bottom.
    virtual TRect NonClientMargins() const;
    // The layer's window behind the handle (null without one).
    TWindowPrivate* WindowPrivate() const { return FWindow.get(); }

protected:
    friend struct TWindowPrivate;
    friend class TControl;
    friend class TCustomForm;
    friend struct TControlsPrivate;

    virtual void CreateParams(TCreateParams& Params);
    // Makes the window (through CreateParams) and then its children's windows.
    virtual void CreateHandle();
    virtual void CreateWnd();
    virtual void DestroyHandle();
    virtual void DestroyWnd();
    // The window exists now (children's windows too).
    virtual void CreateWindowHandle(const TCreateParams& Params);

    TRect GetClientRect() const override;
    // The area inside the client rectangle that alignment fills (e.g. inside a bevel).
    virtual void AdjustClientRect(TRect& Rect);
    // Arranges the children by Align (alTop, alBottom, alLeft, alRight, alClient, alCustom)
    // and then the unaligned ones by their anchors. AControl, when given, is the child whose
    // own change asks for the arrangement; it keeps its place among equals.
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    // Positions an alCustom child.
    virtual void CustomAlignPosition(TControl* /*Control*/, int& /*NewLeft*/, int& /*NewTop*/,
                                     int& /*NewWidth*/, int& /*NewHeight*/, TRect& /*AlignRect*/) {}
    virtual void AlignControl(TControl* AControl);
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;

    // Painting: WM_PAINT paints the window (PaintWindow) and then its graphic children.
    virtual void PaintHandler(TWMPaint& Message);
    virtual void PaintWindow(HDC /*DC*/) {}
    void PaintControls(HDC DC, TControl* First);

    // Key dispatchers: the form first when it previews keys, then OnKeyDown…; true when the key
    // was taken (cleared).
    bool DoKeyDown(TWMKey& Message);
    bool DoKeyPress(TWMKey& Message);
    bool DoKeyUp(TWMKey& Message);
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyPress(Char& Key);
    virtual void KeyUp(Word& Key, TShiftState Shift);
    virtual void DoEnter();
    virtual void DoExit();
    // Dialog keys and shortcuts: the pop-up menus of the control and its parents, the form's
    // IsShortCut, the application; true when one of them took the key.
    virtual bool IsMenuKey(TWMKey& Message);

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;

    virtual void WMPaint(TWMPaint& Message);
    virtual void WMEraseBkgnd(TWMEraseBkgnd& Message);
    virtual void WMNCPaint(TMessage& Message);
    virtual void WMSetFocus(TWMSetFocus& Message);
    virtual void WMKillFocus(TWMKillFocus& Message);
    virtual void WMKeyDown(TWMKeyDown& Message);
    virtual void WMSysKeyDown(TWMKeyDown& Message);
    virtual void WMKeyUp(TWMKeyUp& Message);
    virtual void WMSysKeyUp(TWMKeyUp& Message);
    virtual void WMChar(TWMChar& Message);
    virtual void WMSysChar(TWMChar& Message);
    virtual void WMGetDlgCode(TWMGetDlgCode& Message);
    virtual void WMSetCursor(TWMSetCursor& Message);
    virtual void WMNCHitTest(TWMNCHitTest& Message);
    virtual void WMSize(TWMSize& Message) override;
    virtual void WMContextMenu(TWMContextMenu& Message) override;
    virtual void CNKeyDown(TWMKeyDown& Message);
    virtual void CNKeyUp(TWMKeyUp& Message);
    virtual void CNChar(TWMChar& Message);
    virtual void CMEnter(TMessage& Message);
    virtual void CMExit(TMessage& Message);
    virtual void CMDialogKey(TCMDialogKey& Message);
    virtual void CMDialogChar(TCMDialogChar& Message);
    virtual void CMChildKey(TCMChildKey& Message);
    virtual void CMFocusChanged(TCMFocusChanged& Message);
    virtual void CMShowingChanged(TMessage& Message);
    virtual void CMVisibleChanged(TMessage& Message) override;
    virtual void CMEnabledChanged(TMessage& Message) override;
    virtual void CMColorChanged(TMessage& Message) override;
    virtual void CMFontChanged(TMessage& Message) override;
    virtual void CMShowHintChanged(TMessage& Message);
    // The window is made again with its new right-to-left styles; the children that follow the
    // parent's mode take it.
    void CMBiDiModeChanged(TMessage& Message) override;
    virtual void CMRecreateWnd(TMessage& Message);
    virtual void CMCtl3DChanged(TMessage& Message);
    virtual void CMParentCtl3DChanged(TMessage& Message);
    virtual void CMControlChange(TCMControlChange& Message);
    virtual void CMCursorChanged(TMessage& Message) override;

    // Showing follows Visible and the parent; the window is shown or hidden with it.
    void UpdateShowing();
    // A descendant whose NonClientMargins changed (a border style) says so here: the client
    // area is measured again, the frame repainted and the children realigned.
    void NonClientChanged();
    // The text of the window (WM_SETTEXT keeps it in step).
    void SetTextValue(const String& Value) override;

private:
    // A child window lies in its parent's client area, which starts inside the parent's frame
    // and menu bar: where its widget goes in the parent's widget.
    TRect WidgetBounds() const;
    // Puts the child windows' widgets back in place after the client area moved.
    void PlaceChildWindows();

    HWND FHandle = 0;
    std::unique_ptr<TWindowPrivate> FWindow;
    std::vector<TControl*> FControls;   // z-order: back first
    std::vector<TWinControl*> FTabList; // tab order
    int FAlignLevel = 0;
    int FBorderWidth = 0;
    TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
    TBevelCut FBevelInner = bvRaised;
    TBevelCut FBevelOuter = bvLowered;
    TBevelKind FBevelKind = bkNone;
    int FBevelWidth = 1;
    bool FCtl3D = true;
    bool FParentCtl3D = true;
    bool FTabStop = false;
    bool FShowing = false;
    bool FDoubleBuffered = false;
    bool FCreatingHandle = false;
    mutable bool FMarginsKnown = false;
    mutable TRect FMargins;
    std::unique_ptr<TControlCanvas> FEraseCanvas;

    const TRect& Margins() const;

    void UpdateControlState();
    void DoAlign(TControl* AControl, TAlign AAlign, TRect& Rect);
    void DoPosition(TControl* Control, TAlign AAlign, TRect& Rect);
    void Remove(TControl* AControl);
    void Insert(TControl* AControl);

    static void Published(TPublisher<TWinControl>& P);
};

// ---- TGraphicControl, TCustomControl, TControlCanvas ------------------------------------------

// A canvas bound to a control's window picture. For a windowed control (0, 0) is its client
// area's top-left; for a graphic control the canvas draws on its parent's picture with its own
// top-left as (0, 0), clipped to its bounds. Drawing outside a paint cycle shows at the next
// screen refresh; during WM_PAINT the canvas is clipped to the area being painted.
class TControlCanvas : public TCanvas {
    DECLARE_CLASS(TControlCanvas, TCanvas)
public:
    TControlCanvas() = default;
    ~TControlCanvas() override;
    TControl* Control() const { return FControl; }
    void SetControl(TControl* AControl);
    // Unbinds from the window picture (the next drawing call binds again).
    void FreeHandle();

protected:
    void CreateHandle() override;
    void Changed() override;

protected:
    // The canvas covers the whole window picture, frame included.
    bool FWholeWindow = false;

private:
    friend struct TWindowPrivate;
    TControl* FControl = nullptr;
    TWinControl* FBoundWindow = nullptr;
};

// A canvas on a window's whole picture, frame included: (0, 0) is the window's top-left
// corner. A control paints what it shows in its frame (a header strip) with it.
class TWindowCanvas : public TControlCanvas {
    DECLARE_CLASS(TWindowCanvas, TControlCanvas)
public:
    TWindowCanvas() { FWholeWindow = true; }
};

class TGraphicControl : public TControl {
    DECLARE_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const;

protected:
    virtual void Paint() {}
    void Dispatch(TMessage& Message) override;
    virtual void WMPaint(TWMPaint& Message);

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

class TCustomControl : public TWinControl {
    DECLARE_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() const;

protected:
    // Draws the control on Canvas() (clipped to the area being painted).
    virtual void Paint() {}
    void PaintWindow(HDC DC) override;

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

// ---- Helpers ----------------------------------------------------------------------------------

// The control under a screen point (graphic controls too); null when none of ours is there.
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled);
TControl* FindVCLWindow(const TPoint& Pos);
// The control the mouse is over now, as the last mouse message told.
TControl* GetMouseControl();
// The control that has the mouse capture (a graphic control through its parent's window).
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// The parts of a hint "short|long" (the whole hint when it has no '|').
String GetShortHint(const String& Hint);
String GetLongHint(const String& Hint);
// The menu unit shows pop-up menus for the controls (PopupMenu property, WM_CONTEXTMENU) through
// this hook; without one a control's pop-up menu does nothing.
void SetPopupMenuHandler(
    std::function<void(TPopupMenu* Menu, TControl* Control, const TPoint& Screen)> Handler);
// Saves the control's window, as it is shown now, into a PNG file (its window is created and
// painted first). For tests and screenshots.
void SaveControlImage(TWinControl* Control, const String& FileName);

// Registers the classes of this unit (part of RegisterPlatformGuiClasses).
void RegisterControlsClasses();
