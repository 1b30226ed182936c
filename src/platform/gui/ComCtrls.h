#pragma once
// The common controls: page controls and tab sheets (with a tab bar of their own: tabs on any
// side, several rows, owner-drawn tabs), tool bars and tool buttons, status bars, progress
// bars, track bars and list views in report style.
//
// Each control takes its input through WndProc (keys as WM_KEYDOWN, the mouse as WM_*BUTTON*
// and WM_MOUSEMOVE) and reports its changes through its dispatchers (CanChange and Change,
// DrawTab, Click, DrawPanel…), which fire the events.

#include "platform/base/Collection.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/StdCtrls.h"

#include <memory>
#include <vector>

// Raised by the date and time controls for a date outside their limits.
DECLARE_EXCEPTION(EDateTimeError, Exception)

class TCustomTabControl;
class TPageControl;
class TToolBar;
class TToolButton;
class TStatusBar;
class TStatusPanel;
class TPopupMenu;

// ---- Tab controls -----------------------------------------------------------------------------

DECLARE_ENUM(TTabPosition, Byte, tpTop, tpBottom, tpLeft, tpRight)
DECLARE_ENUM(TTabStyle, Byte, tsTabs, tsButtons, tsFlatButtons)

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;
// Rect: the tab's inside (its frame is drawn already); Active: the selected tab.
using TDrawTabEvent =
    std::function<void(TCustomTabControl* Control, int TabIndex, const TRect& Rect, bool Active)>;
using TTabGetImageEvent = std::function<void(TObject* Sender, int TabIndex, int& ImageIndex)>;

// A row of tabs (on any side, wrapping into several rows when MultiLine) around a display
// area. Tabs are numbered from 0 in their order; their number and captions come from the
// descendant. In several rows, the row holding the selected tab lies next to the display area
// (the rows keep their cyclic order); without MultiLine, tabs that do not fit scroll with two
// arrow buttons. Tabs on the left and right always wrap and show their captions turned.
// Clicks and the arrow keys select tabs: CanChange (OnChanging) may refuse, Change (OnChange)
// follows. OwnerDraw hands the inside of each tab to DrawTab (OnDrawTab) on Canvas.
class TCustomTabControl : public TCustomControl {
    DECLARE_CLASS(TCustomTabControl, TCustomControl)
public:
    explicit TCustomTabControl(TComponent* AOwner);
    ~TCustomTabControl() override;

    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    bool HotTrack() const { return FHotTrack; }
    void SetHotTrack(bool Value);
    bool MultiLine() const { return FMultiLine; }
    void SetMultiLine(bool Value);
    // Leaves rows of several-row tabs unstretched.
    bool RaggedRight() const { return FRaggedRight; }
    void SetRaggedRight(bool Value);
    bool OwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool Value);
    TTabPosition TabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition Value);
    TTabStyle Style() const { return FStyle; }
    void SetStyle(TTabStyle Value);
    // Fixed tab sizes in pixels; 0 fits each tab to its caption and image.
    int TabHeight() const { return FTabHeight; }
    void SetTabHeight(int Value);
    int TabWidth() const { return FTabWidth; }
    void SetTabWidth(int Value);

    // The selected tab; -1 for none.
    int TabIndex() const { return FTabIndex; }
    int TabCount() const { return GetTabCount(); }
    // The area inside the tab frame that pages fill.
    TRect DisplayRect();
    // The rectangle of a tab in client coordinates (the selected tab is drawn 2 pixels larger);
    // empty for an index out of range or a tab scrolled out of view.
    TRect TabRect(int Index);
    // The tab at a client point; -1 for none.
    int IndexOfTabAt(int X, int Y);
    int RowCount();
    // Makes the tab layout be worked out again (captions, images or the number of tabs changed).
    void TabsChanged();

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;
    TDrawTabEvent OnDrawTab;
    TTabGetImageEvent OnGetImageIndex;

protected:
    // The tabs, as the descendant has them.
    virtual int GetTabCount() const { return 0; }
    virtual String GetTabCaption(int /*Index*/) const { return String(); }
    virtual bool GetTabHighlighted(int /*Index*/) const { return false; }
    virtual String GetTabHint(int /*Index*/) const { return String(); }
    // The image of a tab: the tab's number, then OnGetImageIndex.
    virtual int GetImageIndex(int TabIndex);
    // Selects a tab without asking or telling (the descendant follows it, e.g. with its page).
    virtual void SetTabIndexValue(int Index);
    void SetTabIndex(int Index);
    // The user picked a tab: CanChange, the selection, Change. False when refused.
    bool SelectTab(int Index);

    // Dispatchers.
    virtual bool CanChange();
    virtual void Change();
    virtual void DrawTab(int TabIndex, const TRect& Rect, bool Active);

    void Paint() override;
    void AdjustClientRect(TRect& Rect) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WMLButtonDown(TWMMouse& Message) override;
    void WMLButtonDblClk(TWMMouse& Message) override;
    void WMMouseMove(TWMMouse& Message) override;
    void WMSize(TWMSize& Message) override;
    void WMKeyDown(TWMKeyDown& Message) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void WMSetFocus(TWMSetFocus& Message) override;
    void WMKillFocus(TWMKillFocus& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMHintShow(TCMHintShow& Message) override;
    void CMEnabledChanged(TMessage& Message) override;

private:
    struct TTabPlace {
        int Row = 0;    // row of the layout, 0 the first
        int Offset = 0; // along the row
        int Length = 0;
        bool Shown = true;
    };

    TCustomImageList* FImages = nullptr;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    bool FHotTrack = false;
    bool FMultiLine = false;
    bool FRaggedRight = false;
    bool FOwnerDraw = false;
    TTabPosition FTabPosition = tpTop;
    TTabStyle FStyle = tsTabs;
    int FTabHeight = 0;
    int FTabWidth = 0;
    int FTabIndex = -1;
    int FHotTab = -1;
    int FFirstTab = 0; // the first tab shown in one scrolled row

    bool FLayoutValid = false;
    std::vector<TTabPlace> FPlaces;
    int FRows = 0;
    int FRowSize = 0;
    int FStripSize = 0;
    bool FScrolling = false;

    bool Horizontal() const { return FTabPosition == tpTop || FTabPosition == tpBottom; }
    bool Wraps() const { return FMultiLine || !Horizontal(); }
    void Layout();
    void Changed();
    int DisplayRow(int Row) const;
    TRect PlaceRect(const TTabPlace& Place);
    TRect BodyRect();
    TRect ScrollButtonRect(bool Forward);
    TRect ActiveRect(int Index);
    TRect InsideRect(int Index, const TRect& R, bool Active);
    void DrawTabFrame(const TRect& R, bool Active, bool Highlighted);
    void DrawTabContent(int Index, const TRect& Inside, bool Active);
    void InvalidateTab(int Index);
    void ScrollTabs(int Delta);
    void MakeTabVisible(int Index);
    TSize MeasureText(const String& Text);

    static void Published(TPublisher<TCustomTabControl>& P);
};

// ---- Page control -----------------------------------------------------------------------------

// A page of a page control: a window filling the page control's display area while it is
// the active page. Made a child of a page control (SetPageControl or SetParent), it becomes
// one of its pages; its Caption is the tab's caption, its Hint the tab's hint.
class TTabSheet : public TWinControl {
    DECLARE_CLASS(TTabSheet, TWinControl)
public:
    // A new sheet is hidden until it becomes the active page.
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;

    TPageControl* PageControl() const;
    void SetPageControl(TPageControl* Value);
    // The position among the page control's pages; -1 without one.
    int PageIndex() const;
    void SetPageIndex(int Value);
    // The position among the visible tabs; -1 when the tab is hidden or there is no page control.
    int TabIndex() const;
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    bool Highlighted() const { return FHighlighted; }
    void SetHighlighted(bool Value);

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

protected:
    virtual void DoShow();
    virtual void DoHide();
    void CMTextChanged(TMessage& Message) override;
    void CMShowingChanged(TMessage& Message) override;

private:
    bool FTabVisible = true;
    int FImageIndex = -1;
    bool FHighlighted = false;

    void TabChanged();

    static void Published(TPublisher<TTabSheet>& P);
};

class TPageControl : public TCustomTabControl {
    DECLARE_CLASS(TPageControl, TCustomTabControl)
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;

    // Setting the active page asks nobody and tells nobody (no OnChanging, no OnChange).
    TTabSheet* ActivePage() const { return FActivePage; }
    void SetActivePage(TTabSheet* Page);
    int ActivePageIndex() const;
    // -1 (or an index out of range) leaves no active page.
    void SetActivePageIndex(int Value);
    int PageCount() const { return static_cast<int>(FPages.size()); }
    // Raises EListError "List index out of bounds (%d)" outside 0 .. PageCount - 1.
    TTabSheet* Pages(int Index) const;
    // The page after (or before) CurPage, wrapping around; CheckTabVisible skips pages without
    // a tab. Null when there is none.
    TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) const;
    // Activates the next (or previous) page as a click on its tab would: OnChanging may refuse.
    void SelectNextPage(bool GoForward, bool CheckTabVisible = true);

protected:
    int GetTabCount() const override;
    String GetTabCaption(int Index) const override;
    bool GetTabHighlighted(int Index) const override;
    String GetTabHint(int Index) const override;
    int GetImageIndex(int TabIndex) override;
    void SetTabIndexValue(int Index) override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void CMControlChange(TCMControlChange& Message) override;
    void CMDialogKey(TCMDialogKey& Message) override;

private:
    friend class TTabSheet;
    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;

    TTabSheet* PageOfTab(int TabIndex) const;
    void InsertPage(TTabSheet* Page);
    void RemovePage(TTabSheet* Page);
    void MovePage(TTabSheet* Page, int NewIndex);
    void PageTabChanged(TTabSheet* Page);

    static void Published(TPublisher<TPageControl>& P);
};

// ---- Tool bars --------------------------------------------------------------------------------

DECLARE_ENUM(TToolButtonStyle, Byte, tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider)
DECLARE_ENUM(TEdgeBorder, Byte, ebLeft, ebTop, ebRight, ebBottom)
using TEdgeBorders = TSet<TEdgeBorder>;
DECLARE_ENUM(TEdgeStyle, Byte, esNone, esRaised, esLowered)

class TToolButtonActionLink;

// A button of a tool bar (a graphic control on the tool bar). Its size comes from the tool
// bar; separators and dividers keep their own Width. tbsCheck buttons stay Down after a click
// (Grouped ones release the others of their group, and only AllowAllUp lets the last one up);
// tbsDropDown buttons show DropdownMenu from their arrow. With an Action the button takes the
// action's caption, hint, image, enabled, checked (as Down) and visible state, follows its
// changes, and runs it when clicked (unless OnClick is assigned).
class TToolButton : public TGraphicControl {
    DECLARE_CLASS(TToolButton, TGraphicControl)
public:
    explicit TToolButton(TComponent* AOwner);
    ~TToolButton() override;

    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    bool Grouped() const { return FGrouped; }
    void SetGrouped(bool Value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    // With captions shown on a horizontal bar, an auto-sized button is as wide as its own
    // caption needs (at least the bar's ButtonWidth) instead of as wide as the widest one.
    void SetAutoSize(bool Value) override;
    // Starts a new row after this button.
    bool Wrap() const { return FWrap; }
    void SetWrap(bool Value);
    bool Indeterminate() const { return FIndeterminate; }
    void SetIndeterminate(bool Value);
    bool Marked() const { return FMarked; }
    void SetMarked(bool Value);
    TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* Value);
    TBasicAction* Action() const;
    void SetAction(TBasicAction* Value);
    // The position among the tool bar's buttons; -1 without a tool bar.
    int Index() const;
    TToolBar* ToolBar() const;
    // A separator keeps the length it was given along the bar.
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    // Toggles a check button, then OnClick, or else the action.
    void Click() override;
    // Lets the action update itself (OnUpdate).
    void InitiateAction();

protected:
    friend class TToolButtonActionLink;
    friend class TToolBar;
    void Paint() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WMLButtonDown(TWMMouse& Message) override;
    void WMLButtonDblClk(TWMMouse& Message) override;
    void WMLButtonUp(TWMMouse& Message) override;
    void WMMouseMove(TWMMouse& Message) override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    void CMTextChanged(TMessage& Message) override;
    // Copies the action's properties (CheckDefaults: only onto properties at their defaults).
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);

private:
    TToolButtonStyle FStyle = tbsButton;
    int FImageIndex = -1;
    bool FDown = false;
    bool FGrouped = false;
    bool FAllowAllUp = false;
    bool FWrap = false;
    bool FIndeterminate = false;
    bool FMarked = false;
    TPopupMenu* FDropdownMenu = nullptr;
    std::unique_ptr<TToolButtonActionLink> FActionLink;
    bool FPressed = false;     // the left button went down here and is still held
    bool FMouseInside = false; // the pointer is over the button
    bool FArrowPressed = false;
    int FSeparatorSize = 8;
    bool FPlacing = false; // the tool bar is setting the bounds

    bool IsSeparator() const { return FStyle == tbsSeparator || FStyle == tbsDivider; }
    TRect ArrowRect() const;
    void UpdateGroup();
    void ButtonChanged(bool Relayout);

    static void Published(TPublisher<TToolButton>& P);
};

// A bar of tool buttons (and any other controls) laid out in their order, left to right in
// rows (wrapping where Wrapable, or after a button with Wrap), or top to bottom when the bar is
// aligned to the left or right. Buttons are ButtonWidth x ButtonHeight, wider and taller when
// captions are shown. EdgeBorders draw 3-D edges outside the client area.
class TToolBar : public TCustomControl {
    DECLARE_CLASS(TToolBar, TCustomControl)
public:
    explicit TToolBar(TComponent* AOwner);
    ~TToolBar() override;

    int ButtonCount() const { return static_cast<int>(FButtons.size()); }
    // Raises EListError "List index out of bounds (%d)" outside 0 .. ButtonCount - 1.
    TToolButton* Buttons(int Index) const;
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int Value);
    int ButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* DisabledImages() const { return FDisabledImages; }
    void SetDisabledImages(TCustomImageList* Value);
    TCustomImageList* HotImages() const { return FHotImages; }
    void SetHotImages(TCustomImageList* Value);
    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool Value);
    // Captions right of the images instead of below them.
    bool List() const { return FList; }
    void SetList(bool Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    bool Wrapable() const { return FWrapable; }
    void SetWrapable(bool Value);
    // Space before the first button of each row.
    int Indent() const { return FIndent; }
    void SetIndent(int Value);
    TEdgeBorders EdgeBorders() const { return FEdgeBorders; }
    void SetEdgeBorders(const TEdgeBorders& Value);
    TEdgeStyle EdgeInner() const { return FEdgeInner; }
    void SetEdgeInner(TEdgeStyle Value);
    TEdgeStyle EdgeOuter() const { return FEdgeOuter; }
    void SetEdgeOuter(TEdgeStyle Value);
    // The number of rows (columns for a vertical bar) after the last layout.
    int RowCount() const { return FRowCount; }
    // Whether the buttons run top to bottom (the bar is aligned to the left or right).
    bool Vertical() const { return Align() == alLeft || Align() == alRight; }

    TRect NonClientMargins() const override;

protected:
    friend class TToolButton;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    void Paint() override;
    void WMNCPaint(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CMControlChange(TCMControlChange& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void RequestAlign() override;

private:
    std::vector<TControl*> FItems;      // every child, in the order of the bar
    std::vector<TToolButton*> FButtons; // the tool buttons among them
    int FButtonWidth = 23;
    int FButtonHeight = 22;
    TCustomImageList* FImages = nullptr;
    TCustomImageList* FDisabledImages = nullptr;
    TCustomImageList* FHotImages = nullptr;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    std::unique_ptr<TChangeLink> FDisabledImageChangeLink;
    std::unique_ptr<TChangeLink> FHotImageChangeLink;
    bool FShowCaptions = false;
    bool FList = false;
    bool FFlat = false;
    bool FWrapable = true;
    int FIndent = 0;
    TEdgeBorders FEdgeBorders{ebTop};
    TEdgeStyle FEdgeInner = esRaised;
    TEdgeStyle FEdgeOuter = esLowered;
    int FRowCount = 0;
    TAlign FLastAlign = alTop;
    TSize FExtent; // what the last layout covered

    // The size every (non-separator) button gets.
    TSize ButtonSize();
    // The width of a caption in the bar's font (its height in Height, when given).
    int CaptionWidth(const String& Caption, int* Height);
    // The width of a button whose caption is TextW wide.
    int ButtonWidthFor(int TextW) const;
    void SetImageList(TCustomImageList*& Field, TCustomImageList* Value, TChangeLink* Link);
    void ButtonsChanged(bool Relayout);
    void InsertItem(TControl* Control);
    void RemoveItem(TControl* Control);

    static void Published(TPublisher<TToolBar>& P);
};

// ---- Status bar -------------------------------------------------------------------------------

DECLARE_ENUM(TStatusPanelStyle, Byte, psText, psOwnerDraw)
DECLARE_ENUM(TStatusPanelBevel, Byte, pbNone, pbLowered, pbRaised)

class TStatusPanel : public TCollectionItem {
    DECLARE_CLASS(TStatusPanel, TCollectionItem)
public:
    explicit TStatusPanel(TCollection* ACollection);
    void Assign(TPersistent* Source) override;

    const String& Text() const { return FText; }
    void SetText(const String& Value);
    // The last panel runs to the right edge of the bar whatever its width.
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TStatusPanelStyle Style() const { return FStyle; }
    void SetStyle(TStatusPanelStyle Value);
    TStatusPanelBevel Bevel() const { return FBevel; }
    void SetBevel(TStatusPanelBevel Value);

protected:
    String GetDisplayName() const override;

private:
    String FText;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    TStatusPanelStyle FStyle = psText;
    TStatusPanelBevel FBevel = pbLowered;

    static void Published(TPublisher<TStatusPanel>& P);
};

class TStatusPanels : public TCollection {
    DECLARE_CLASS(TStatusPanels, TCollection)
public:
    explicit TStatusPanels(TStatusBar* AStatusBar = nullptr);
    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    TStatusPanel* Items(int Index) const { return static_cast<TStatusPanel*>(TCollection::Items(Index)); }
    TStatusBar* StatusBar() const { return FStatusBar; }

protected:
    void Update(TCollectionItem* Item) override;
    TPersistent* GetOwner() const override;

private:
    TStatusBar* FStatusBar;
};

using TDrawPanelEvent = std::function<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

// Panels side by side along the bottom of a form (each Width wide, the last to the right
// edge), or, with SimplePanel, one panel showing SimpleText. psOwnerDraw panels are drawn by
// DrawPanel (OnDrawPanel) on Canvas. SizeGrip shows the grip in the corner when the bar sits
// at the bottom right of a sizeable form.
class TStatusBar : public TCustomControl {
    DECLARE_CLASS(TStatusBar, TCustomControl)
public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;

    TStatusPanels* Panels() const { return FPanels.get(); }
    void SetPanels(TStatusPanels* Value) { FPanels->Assign(Value); }
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool Value);
    const String& SimpleText() const { return FSimpleText; }
    void SetSimpleText(const String& Value);
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool Value);
    // The inside of a panel in client coordinates (empty for an index out of range).
    TRect PanelRect(int Index);

    TDrawPanelEvent OnDrawPanel;

protected:
    friend class TStatusPanels;
    virtual void DrawPanel(TStatusPanel* Panel, const TRect& Rect);
    void Paint() override;

private:
    std::unique_ptr<TStatusPanels> FPanels;
    bool FSimplePanel = false;
    String FSimpleText;
    bool FSizeGrip = true;

    bool GripShown();
    TRect PanelBounds(int Index, bool Simple);

    static void Published(TPublisher<TStatusBar>& P);
};

// ---- Progress bar -----------------------------------------------------------------------------

DECLARE_ENUM(TProgressBarOrientation, Byte, pbHorizontal, pbVertical)
DECLARE_ENUM(TProgressBarStyle, Byte, pbstNormal, pbstMarquee)
DECLARE_ENUM(TProgressBarState, Byte, pbsNormal, pbsError, pbsPaused)

// Shows Position between Min and Max as a bar of blocks (or one smooth bar) in BarColor
// (clDefault: the highlight colour) on BackgroundColor. The marquee style runs a group of
// blocks across the bar while its State is normal.
class TProgressBar : public TCustomControl {
    DECLARE_CLASS(TProgressBar, TCustomControl)
public:
    explicit TProgressBar(TComponent* AOwner);
    ~TProgressBar() override;

    int Min() const { return FMin; }
    void SetMin(int Value);
    int Max() const { return FMax; }
    void SetMax(int Value);
    // Kept within Min .. Max.
    int Position() const { return FPosition; }
    void SetPosition(int Value);
    int Step() const { return FStep; }
    void SetStep(int Value) { FStep = Value; }
    // Position += Step; past Max it starts again from Min.
    void StepIt();
    // Position += Delta, kept within Min .. Max.
    void StepBy(int Delta);
    TProgressBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TProgressBarOrientation Value);
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool Value);
    TColor BarColor() const { return FBarColor; }
    void SetBarColor(TColor Value);
    TColor BackgroundColor() const { return FBackgroundColor; }
    void SetBackgroundColor(TColor Value);
    TProgressBarStyle Style() const { return FStyle; }
    void SetStyle(TProgressBarStyle Value);
    TProgressBarState State() const { return FState; }
    void SetState(TProgressBarState Value);
    // Milliseconds between marquee steps.
    int MarqueeInterval() const { return FMarqueeInterval; }
    void SetMarqueeInterval(int Value);

protected:
    void Paint() override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;

private:
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    int FStep = 10;
    TProgressBarOrientation FOrientation = pbHorizontal;
    bool FSmooth = false;
    TColor FBarColor = clDefault;
    TColor FBackgroundColor = clDefault;
    TProgressBarStyle FStyle = pbstNormal;
    TProgressBarState FState = pbsNormal;
    int FMarqueeInterval = 10;
    int FMarqueePos = 0;

    void UpdateMarquee();

    static void Published(TPublisher<TProgressBar>& P);
};

// ---- Track bar --------------------------------------------------------------------------------

DECLARE_ENUM(TTrackBarOrientation, Byte, trHorizontal, trVertical)
DECLARE_ENUM(TTickMark, Byte, tmBottomRight, tmTopLeft, tmBoth)
DECLARE_ENUM(TTickStyle, Byte, tsNone, tsAuto, tsManual)

// A slider for Position between Min and Max. Keys: the arrows move by LineSize, Page Up and
// Page Down by PageSize, Home and End to Min and Max. The mouse drags the thumb, and a click
// beside it pages towards the pointer. Every change of Position fires OnChange (Changed).
class TTrackBar : public TCustomControl {
    DECLARE_CLASS(TTrackBar, TCustomControl)
public:
    explicit TTrackBar(TComponent* AOwner);
    ~TTrackBar() override;

    int Min() const { return FMin; }
    void SetMin(int Value);
    int Max() const { return FMax; }
    void SetMax(int Value);
    // Kept within Min .. Max.
    int Position() const { return FPosition; }
    void SetPosition(int Value);
    // A tick every Frequency positions (tsAuto).
    int Frequency() const { return FFrequency; }
    void SetFrequency(int Value);
    int LineSize() const { return FLineSize; }
    void SetLineSize(int Value) { FLineSize = Value; }
    int PageSize() const { return FPageSize; }
    void SetPageSize(int Value) { FPageSize = Value; }
    TTrackBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TTrackBarOrientation Value);
    TTickMark TickMarks() const { return FTickMarks; }
    void SetTickMarks(TTickMark Value);
    TTickStyle TickStyle() const { return FTickStyle; }
    void SetTickStyle(TTickStyle Value);
    // A tick of tsManual at a position.
    void SetTick(int Value);
    void ClearTicks();
    int ThumbLength() const { return FThumbLength; }
    void SetThumbLength(int Value);
    bool SliderVisible() const { return FSliderVisible; }
    void SetSliderVisible(bool Value);
    // The thumb's rectangle in client coordinates.
    TRect ThumbRect();
    // The client coordinate along the track of a position's tick.
    int PositionToPixel(int Value);

    TNotifyEvent OnChange;

protected:
    virtual void Changed();
    void Paint() override;
    void WMKeyDown(TWMKeyDown& Message) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void WMLButtonDown(TWMMouse& Message) override;
    void WMLButtonUp(TWMMouse& Message) override;
    void WMMouseMove(TWMMouse& Message) override;
    void WMSetFocus(TWMSetFocus& Message) override;
    void WMKillFocus(TWMKillFocus& Message) override;
    void Dispatch(TMessage& Message) override;

private:
    int FMin = 0;
    int FMax = 10;
    int FPosition = 0;
    int FFrequency = 1;
    int FLineSize = 1;
    int FPageSize = 2;
    TTrackBarOrientation FOrientation = trHorizontal;
    TTickMark FTickMarks = tmBottomRight;
    TTickStyle FTickStyle = tsAuto;
    std::vector<int> FTicks;
    int FThumbLength = 20;
    bool FSliderVisible = true;
    bool FDragging = false;
    int FDragOffset = 0;
    int FPageTarget = 0;
    bool FPaging = false;

    bool Horizontal() const { return FOrientation == trHorizontal; }
    int TrackStart();
    int TrackLength();
    int ThumbBreadth() const { return FThumbLength / 2 + 1; }
    int PixelToPosition(int Pixel);
    void PageTowards();

    static void Published(TPublisher<TTrackBar>& P);
};

// Registers the classes of the common controls (part of RegisterPlatformGuiClasses).
void RegisterCommonControlsClasses();

// ---- List view ------------------------------------------------------------------------------------

class TCustomListView;
class TListItems;
class TListRows;

// One row of a list view: its caption (the first column), the texts of the other columns and
// a pointer of the user's.
class TListItem : public TObject {
    DECLARE_CLASS(TListItem, TObject)
public:
    explicit TListItem(TListItems* AOwner = nullptr);
    ~TListItem() override;

    String Caption() const { return FCaption; }
    void SetCaption(const String& Value);
    // The texts of the second and following columns; changing them redraws the row.
    TStrings* SubItems() const { return FSubItems.get(); }
    void* Data() const { return FData; }
    void SetData(void* Value) { FData = Value; }
    int Index() const;
    bool Selected() const;
    void SetSelected(bool Value);
    TCustomListView* ListView() const;
    // Redraws the row.
    void Update();
    void MakeVisible(bool PartialOK = false);
    // Removes the row from its list and frees it.
    void Delete();

private:
    friend class TListItems;
    TListItems* FOwner;
    String FCaption;
    std::unique_ptr<TStringList> FSubItems;
    void* FData = nullptr;
};

// The rows of a list view, in their order.
class TListItems : public TObject {
    DECLARE_CLASS(TListItems, TObject)
public:
    explicit TListItems(TCustomListView* AOwner = nullptr) : FOwner(AOwner) {}
    ~TListItems() override;

    TListItem* Add();
    TListItem* Insert(int Index);
    int Count() const { return static_cast<int>(FItems.size()); }
    // EListError outside the list.
    TListItem* Item(int Index) const;
    TListItem* operator[](int Index) const { return Item(Index); }
    int IndexOf(const TListItem* Value) const;
    void Delete(int Index);
    void Clear();
    // Between the two the view is neither laid out nor painted.
    void BeginUpdate();
    void EndUpdate();
    TCustomListView* Owner() const { return FOwner; }

private:
    friend class TListItem;
    TCustomListView* FOwner;
    std::vector<std::unique_ptr<TListItem>> FItems;
};

// A column of a report view: its title and width in pixels.
class TListColumn : public TCollectionItem {
    DECLARE_CLASS(TListColumn, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    String Caption() const { return FCaption; }
    void SetCaption(const String& Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    void Assign(TPersistent* Source) override;

private:
    String FCaption;
    int FWidth = 50;
};

class TListColumns : public TCollection {
    DECLARE_CLASS(TListColumns, TCollection)
public:
    explicit TListColumns(TCustomListView* AOwner = nullptr);
    TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
    TListColumn* Items(int Index) const { return static_cast<TListColumn*>(TCollection::Items(Index)); }
    TPersistent* GetOwner() const override;

protected:
    void Update(TCollectionItem* Item) override;

private:
    TCustomListView* FOwner;
};

using TLVSelectItemEvent = std::function<void(TObject* Sender, TListItem* Item, bool Selected)>;

// Rows of texts under a header of column titles (the report style). The rows scroll under the
// header; keys and the mouse choose one row (or several with MultiSelect); a click fires
// OnClick, a double click OnDblClick, and every change of the selection OnSelectItem. RowSelect
// highlights the whole row instead of the caption's cell; HideSelection hides the highlight
// while the view does not have the focus. A column that does not fit is cut at the view's edge.
class TCustomListView : public TCustomControl {
    DECLARE_CLASS(TCustomListView, TCustomControl)
public:
    explicit TCustomListView(TComponent* AOwner);
    ~TCustomListView() override;

    TListColumns* Columns() const { return FColumns.get(); }
    TListItems* Items() const { return FItems.get(); }
    // The first selected row (the focused one when it is selected), or none.
    TListItem* Selected() const;
    void SetSelected(TListItem* Value);
    // The focused row, selected or not.
    TListItem* ItemFocused() const;
    int ItemIndex() const;
    void SetItemIndex(int Value);
    int SelCount() const;
    bool MultiSelect() const;
    void SetMultiSelect(bool Value);
    bool RowSelect() const { return FRowSelect; }
    void SetRowSelect(bool Value);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value);
    bool ShowColumnHeaders() const { return FShowColumnHeaders; }
    void SetShowColumnHeaders(bool Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // The row at a client point of the view, or none.
    TListItem* GetItemAt(int X, int Y) const;
    // A row's rectangle in the view's client coordinates.
    TRect ItemRect(const TListItem* Item) const;
    // The height of the column titles (0 without them).
    int HeaderHeight() const;
    int TopIndex() const;
    void Clear() { FItems->Clear(); }

    TLVSelectItemEvent OnSelectItem;

protected:
    friend class TListItem;
    friend class TListItems;
    friend class TListColumns;
    friend class TListRows;

    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void Resize() override;
    void WMSetFocus(TWMSetFocus& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    // Draws one row's cells; State as the list box's items.
    virtual void DrawRow(TCanvas* Canvas, TListItem* Item, const TRect& Rect, TOwnerDrawState State);
    virtual void SelectItem(TListItem* Item, bool Selected);

private:
    std::unique_ptr<TListColumns> FColumns;
    std::unique_ptr<TListItems> FItems;
    TListRows* FRows = nullptr;
    bool FRowSelect = false;
    bool FHideSelection = true;
    bool FShowColumnHeaders = true;
    TBorderStyle FBorderStyle = Controls::bsSingle;
    int FUpdating = 0;
    TListItem* FLastSelected = nullptr;

    void ItemsChanged();
    void ItemInserted(int Index);
    void ItemDeleting(int Index);
    void RowChanged(const TListItem* Item);
    void LayoutRows();
    void RowsSelectionChanged();
};

class TListView : public TCustomListView {
    DECLARE_CLASS(TListView, TCustomListView)
public:
    using TCustomListView::TCustomListView;
};
