#pragma once
// The timer, panels, splitters, images, shapes, bevels and paint boxes.

#include "platform/base/Component.h"
#include "platform/gui/Controls.h"

#include <memory>

// Fires OnTimer every Interval milliseconds while Enabled and Interval is above 0, from the GUI
// thread's event loop, through a window timer on a hidden window of its own (so intervals under
// USER_TIMER_MINIMUM run at that). An exception in OnTimer goes to the application's exception
// handling and the timer goes on.
class TTimer : public TComponent {
    DECLARE_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    Cardinal Interval() const { return FInterval; }
    // A new interval starts the count again.
    void SetInterval(Cardinal Value);

    TNotifyEvent OnTimer;

protected:
    virtual void Timer();

private:
    bool FEnabled = true;
    Cardinal FInterval = 1000;
    HWND FWindowHandle = 0;

    void UpdateTimer();
    void WndProc(TMessage& Message);

    static void Published(TPublisher<TTimer>& P);
};

// ---- Bevels -----------------------------------------------------------------------------------

using TPanelBevel = TBevelCut;
DECLARE_ENUM(TBevelShape, Byte, bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer)
DECLARE_ENUM(TBevelStyle, Byte, bsLowered, bsRaised)

// Draws Width one-pixel rings inside Rect: the left and top sides in TopColor, the right and
// bottom ones in BottomColor (which also takes the top-right and bottom-left corners). Rect
// becomes the area inside the rings.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

// ---- Panels -----------------------------------------------------------------------------------

// A window that groups controls: an outer and an inner bevel, the border between them
// (BorderWidth, in the colour of the panel), and its caption in the middle. Aligned children
// fill the area inside the bevels. Its background is its own Color unless ParentBackground is
// set, which shows the parent's colour instead.
class TCustomPanel : public TCustomControl {
    DECLARE_CLASS(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* AOwner);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TPanelBevel BevelInner() const { return FBevelInner; }
    void SetBevelInner(TPanelBevel Value);
    TPanelBevel BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel Value);
    int BevelWidth() const { return FBevelWidth; }
    // At least 1.
    void SetBevelWidth(int Value);
    // bsSingle puts a sunken edge around the panel, outside its client area.
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool Value);
    // Whether a resize repaints the whole panel (the picture is kept either way).
    bool FullRepaint() const { return FFullRepaint; }
    void SetFullRepaint(bool Value) { FFullRepaint = Value; }

    // The panel's BorderWidth lies inside its client area, between the bevels.
    TRect NonClientMargins() const override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void AdjustClientRect(TRect& Rect) override;
    void Paint() override;
    void CMTextChanged(TMessage& Message) override;

private:
    TAlignment FAlignment = taCenter;
    TPanelBevel FBevelInner = bvNone;
    TPanelBevel FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    TBorderStyle FBorderStyle = Controls::bsNone;
    bool FShowCaption = true;
    bool FFullRepaint = true;

    void Changed();
};

class TPanel : public TCustomPanel {
    DECLARE_CLASS(TPanel, TCustomPanel)
public:
    using TCustomPanel::TCustomPanel;

private:
    static void Published(TPublisher<TPanel>& P);
};

// ---- Splitter ---------------------------------------------------------------------------------

DECLARE_ENUM(TResizeStyle, Byte, rsNone, rsPattern, rsLine, rsUpdate)

// NewSize: the width (or height) the neighbour is about to get; Accept false refuses it.
using TSplitterCanResizeEvent = std::function<void(TObject* Sender, int& NewSize, bool& Accept)>;

// A bar that resizes the control it is aligned next to when the user drags it. It works on
// the visible sibling with the same alignment whose edge touches it (for a splitter aligned
// left: the control on its left). The neighbour keeps at least MinSize, and the rest of the
// parent's client area keeps at least MinSize too; the neighbour's Constraints apply, then
// OnCanResize may change or refuse the size. With AutoSnap a size dragged below MinSize
// closes the neighbour (size 0, as far as its constraints allow). rsUpdate resizes while
// dragging; rsLine and rsPattern show an inverted line (or pattern) while dragging and resize
// when the button is released; rsNone resizes only then. OnMoved fires after a resize.
class TSplitter : public TGraphicControl {
    DECLARE_CLASS(TSplitter, TGraphicControl)
public:
    explicit TSplitter(TComponent* AOwner);
    ~TSplitter() override;

    bool AutoSnap() const { return FAutoSnap; }
    void SetAutoSnap(bool Value) { FAutoSnap = Value; }
    bool Beveled() const { return FBeveled; }
    void SetBeveled(bool Value);
    // At least 1.
    int MinSize() const { return FMinSize; }
    void SetMinSize(int Value);
    TResizeStyle ResizeStyle() const { return FResizeStyle; }
    void SetResizeStyle(TResizeStyle Value) { FResizeStyle = Value; }
    // The control a drag resizes now (found afresh when a drag starts); null when none.
    TControl* ResizeControl() const { return FControl; }

    TSplitterCanResizeEvent OnCanResize;
    TNotifyEvent OnMoved;

protected:
    void Paint() override;
    void RequestAlign() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMCancelMode(TWMCancelMode& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Dispatchers.
    virtual bool DoCanResize(int& NewSize);
    virtual void StopSizing();

private:
    bool FAutoSnap = true;
    bool FBeveled = false;
    int FMinSize = 30;
    TResizeStyle FResizeStyle = rsPattern;
    TControl* FControl = nullptr;
    bool FSizing = false;
    TPoint FDownPos;
    int FMaxSize = 0;
    int FOldSize = -1;
    int FNewSize = 0;
    int FSplit = 0;
    // The line (or pattern) shown where the splitter will go, above the parent's windows.
    struct TLine;
    std::unique_ptr<TLine> FLine;

    TControl* FindControl() const;
    bool Vertical() const { return Align() == alLeft || Align() == alRight; }
    void CalcSplitSize(int X, int Y, int& NewSize);
    void UpdateSize(int X, int Y);
    void UpdateControlSize();
    void ShowLine();
    void HideLine();

    static void Published(TPublisher<TSplitter>& P);
};

// ---- Image ------------------------------------------------------------------------------------

// Shows a picture. Stretch fills the control (Proportional keeps the aspect ratio; it also
// shrinks a picture larger than the control), Center centres it; AutoSize sizes the control
// to the picture. Canvas draws into the picture's bitmap (an empty picture gets a bitmap of
// the control's size first).
class TImage : public TGraphicControl {
    DECLARE_CLASS(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;

    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
    // The bitmap's canvas; EInvalidOperation "Can only modify an image if it contains a bitmap"
    // when the picture holds another kind of graphic.
    TCanvas* Canvas();
    bool Center() const { return FCenter; }
    void SetCenter(bool Value);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool Value);
    bool Proportional() const { return FProportional; }
    void SetProportional(bool Value);
    // Leaves the bitmap's transparent colour out.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    // Where the picture is drawn, in the control's coordinates.
    TRect DestRect() const;

protected:
    void Paint() override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    virtual void PictureChanged(TObject* Sender);

private:
    std::unique_ptr<TPicture> FPicture;
    bool FCenter = false;
    bool FStretch = false;
    bool FProportional = false;
    bool FTransparent = false;
    bool FDrawing = false;

    static void Published(TPublisher<TImage>& P);
};

// ---- Shape ------------------------------------------------------------------------------------

DECLARE_ENUM(TShapeType, Byte, stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle)

// A shape drawn with Pen and Brush inside the control; squares and circles are centred.
class TShape : public TGraphicControl {
    DECLARE_CLASS(TShape, TGraphicControl)
public:
    explicit TShape(TComponent* AOwner);
    ~TShape() override;

    TShapeType Shape() const { return FShape; }
    void SetShape(TShapeType Value);
    TPen* Pen() const { return FPen.get(); }
    void SetPen(TPen* Value) { FPen->Assign(Value); }
    TBrush* Brush() const { return FBrush.get(); }
    void SetBrush(TBrush* Value) { FBrush->Assign(Value); }

protected:
    void Paint() override;

private:
    TShapeType FShape = stRectangle;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;

    static void Published(TPublisher<TShape>& P);
};

// ---- Bevel ------------------------------------------------------------------------------------

// A 3-D box, frame or line.
class TBevel : public TGraphicControl {
    DECLARE_CLASS(TBevel, TGraphicControl)
public:
    explicit TBevel(TComponent* AOwner);

    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape Value);
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle Value);

protected:
    void Paint() override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;

    static void Published(TPublisher<TBevel>& P);
};

// ---- Paint box --------------------------------------------------------------------------------

// An area that its owner paints in OnPaint, on Canvas.
class TPaintBox : public TGraphicControl {
    DECLARE_CLASS(TPaintBox, TGraphicControl)
public:
    explicit TPaintBox(TComponent* AOwner);

    TNotifyEvent OnPaint;

protected:
    void Paint() override;

private:
    static void Published(TPublisher<TPaintBox>& P);
};

// Registers the classes of this unit (part of RegisterPlatformGuiClasses).
void RegisterExtCtrlsClasses();
