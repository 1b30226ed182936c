#pragma once
// TBaseLeanTree: the virtual tree. It owns nothing but node records linked into a tree, each
// with a user data area of the size the owner asks for; captions, images and every other kind
// of content come from events. This unit holds the node storage with its counters, the walks,
// expanding and collapsing, sorting, the selection, the update brackets and scroll ranges, and
// the events with their dispatchers. None of it needs a window: without one, repaint requests
// and scroll bar updates do nothing and delayed notifications are delivered at once.

#include "platform/gui/Controls.h"
#include "tree/LeanTreeColors.h"
#include "tree/LeanTreeHeader.h"
#include "tree/LeanTreeOptions.h"
#include "tree/LeanTreeShared.h"
#include "tree/LeanTreeTimers.h"
#include "tree/LeanTreeTypes.h"

#include <functional>
#include <iterator>
#include <memory>

class TCustomImageList;
class TStream;
class IDataObject;

DECLARE_ENUM(TDropMode, Byte, dmNowhere, dmAbove, dmOnNode, dmBelow)
// Where auto-scrolling moves the content.
DECLARE_ENUM(TScrollDirection, Byte, sdLeft, sdUp, sdRight, sdDown)
using TScrollDirections = TSet<TScrollDirection>;
DECLARE_ENUM(TLTDragImageKind, Byte, diComplete, diMainColumnOnly, diNoImage)
DECLARE_ENUM(TLTDragType, Byte, dtOLE, dtVCL)
DECLARE_ENUM(TDragOperation, Byte, doCopy, doMove, doLink)
using TDragOperations = TSet<TDragOperation>;
// Milliseconds between auto-scroll steps.
using TAutoScrollInterval = Word;

// Drop effects of DefaultDropEffect.
enum : int { DROPEFFECT_NONE = 0, DROPEFFECT_COPY = 1, DROPEFFECT_MOVE = 2, DROPEFFECT_LINK = 4 };

// The tree's interface to an in-place editor.
class ILTEditLink {
public:
    virtual ~ILTEditLink();
    virtual bool BeginEdit() = 0;
    virtual bool CancelEdit() = 0;
    virtual bool EndEdit() = 0;
    virtual bool PrepareEdit(TBaseLeanTree* Tree, PLeanNode Node, TColumnIndex Column) = 0;
    virtual TRect GetBounds() = 0;
    virtual void ProcessMessage(TMessage& Message) = 0;
    virtual void SetBounds(TRect R) = 0;
};
using TLTEditLinkRef = std::shared_ptr<ILTEditLink>;

// ---- Hints ----------------------------------------------------------------------------------

DECLARE_ENUM(TLTHintMode, Byte, hmDefault, hmHint, hmHintAndDefault, hmTooltip)
DECLARE_ENUM(THintAnimationType, Byte, hatNone, hatFade, hatSlide, hatSystemDefault)

// What the tree hands its hint window when it decides to show a hint.
struct TLTHintData {
    TBaseLeanTree* Tree = nullptr;
    PLeanNode Node = nullptr; // none for a hint of the control or of a column
    TColumnIndex Column = ColumnNone;
    TRect HintRect; // when not empty: the size the hint takes
    String DefaultHint;
    String HintText;
    TAlignment Alignment = taLeftJustify;
    TLTTooltipLineBreakStyle LineBreakStyle = hlbDefault;
};

// ---- Event types ----------------------------------------------------------------------------

using TLTInitNodeEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode ParentNode, PLeanNode Node,
                                            TLeanNodeInitStates& InitialStates)>;
using TLTInitChildrenEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node, Cardinal& ChildCount)>;
using TLTFreeNodeEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node)>;
using TLTChangeEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node)>;
using TLTGetNodeDataSizeEvent = std::function<void(TBaseLeanTree* Sender, int& NodeDataSize)>;
using TLTStructureChangeEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TChangeReason Reason)>;
using TLTNodeMovingEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, PLeanNode Target, bool& Allowed)>;
using TLTNodeMovedEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node)>;
using TLTNodeCopyingEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, PLeanNode Target, bool& Allowed)>;
using TLTNodeCopiedEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node)>;
using TLTCompareEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node1, PLeanNode Node2,
                                           TColumnIndex Column, int& Result)>;
using TLTUpdatingEvent = std::function<void(TBaseLeanTree* Sender, TLTUpdateState State)>;
using TLTOperationEvent = std::function<void(TBaseLeanTree* Sender, TLTOperationKind OperationKind)>;
using TLTAddToSelectionEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node)>;
using TLTRemoveFromSelectionEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node)>;
using TLTFocusChangingEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode OldNode, PLeanNode NewNode, TColumnIndex OldColumn,
                       TColumnIndex NewColumn, bool& Allowed)>;
using TLTFocusChangeEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column)>;
using TLTHotNodeChangeEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode OldNode, PLeanNode NewNode)>;
using TLTChangingEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node, bool& Allowed)>;
using TLTCheckChangingEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TCheckState& NewState, bool& Allowed)>;
using TLTEditChangingEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column, bool& Allowed)>;
using TLTCreateEditorEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column, TLTEditLinkRef& EditLink)>;
using TLTEditChangeEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column)>;
using TLTEditCancelEvent = std::function<void(TBaseLeanTree* Sender, TColumnIndex Column)>;
using TLTGetImageExEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TLTImageKind Kind, TColumnIndex Column,
                       bool& Ghosted, int& ImageIndex, TCustomImageList*& ImageList)>;
using TLTGetImageEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TLTImageKind Kind,
                                            TColumnIndex Column, bool& Ghosted, int& ImageIndex)>;
using TLTGetImageTextEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TLTImageKind Kind,
                                                TColumnIndex Column, String& ImageText)>;
using TLTMeasureItemEvent =
    std::function<void(TBaseLeanTree* Sender, TCanvas* TargetCanvas, PLeanNode Node, int& NodeHeight)>;
using TLTGetCellIsEmptyEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column, bool& IsEmpty)>;
using TLTGetLineStyleEvent = std::function<void(TBaseLeanTree* Sender, const void*& Bits)>;
using TLTBeforeDrawLineImageEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, int Level, int& PosX)>;
using TLTGetCursorEvent = std::function<void(TBaseLeanTree* Sender, TCursor& Cursor)>;
using TLTPaintEvent = std::function<void(TBaseLeanTree* Sender, TCanvas* TargetCanvas)>;
// Formats is the list the tree's data object offers; the handler may append formats.
using TLTGetUserClipboardFormatsEvent =
    std::function<void(TBaseLeanTree* Sender, std::vector<TClipboardFormat>& Formats)>;
using TLTBackgroundPaintEvent =
    std::function<void(TBaseLeanTree* Sender, TCanvas* TargetCanvas, TRect R, bool& Handled)>;
using TLTBeforeItemEraseEvent =
    std::function<void(TBaseLeanTree* Sender, TCanvas* TargetCanvas, PLeanNode Node, TRect ItemRect,
                       TColor& ItemColor, TItemEraseAction& EraseAction)>;
using TLTAfterItemEraseEvent =
    std::function<void(TBaseLeanTree* Sender, TCanvas* TargetCanvas, PLeanNode Node, TRect ItemRect)>;
using TLTBeforeItemPaintEvent = std::function<void(TBaseLeanTree* Sender, TCanvas* TargetCanvas,
                                                   PLeanNode Node, TRect ItemRect, bool& CustomDraw)>;
using TLTAfterItemPaintEvent =
    std::function<void(TBaseLeanTree* Sender, TCanvas* TargetCanvas, PLeanNode Node, TRect ItemRect)>;
using TLTBeforeCellPaintEvent =
    std::function<void(TBaseLeanTree* Sender, TCanvas* TargetCanvas, PLeanNode Node, TColumnIndex Column,
                       TLTCellPaintMode CellPaintMode, TRect CellRect, TRect& ContentRect)>;
using TLTAfterCellPaintEvent = std::function<void(TBaseLeanTree* Sender, TCanvas* TargetCanvas,
                                                  PLeanNode Node, TColumnIndex Column, TRect CellRect)>;
using TLTNodeClickEvent = std::function<void(TBaseLeanTree* Sender, const THitInfo& HitInfo)>;
using TLTColumnClickEvent =
    std::function<void(TBaseLeanTree* Sender, TColumnIndex Column, TShiftState Shift)>;
using TLTColumnDblClickEvent =
    std::function<void(TBaseLeanTree* Sender, TColumnIndex Column, TShiftState Shift)>;
using TLTNodeHeightTrackingEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column, TShiftState Shift,
                       TPoint& TrackPoint, TPoint P, bool& Allowed)>;
using TLTNodeHeightDblClickResizeEvent = std::function<void(
    TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column, TShiftState Shift, TPoint P, bool& Allowed)>;
using TLTCanSplitterResizeNodeEvent =
    std::function<void(TBaseLeanTree* Sender, TPoint P, PLeanNode Node, TColumnIndex Column, bool& Allowed)>;
using TLTKeyActionEvent =
    std::function<void(TBaseLeanTree* Sender, Word& CharCode, TShiftState& Shift, bool& DoDefault)>;
using TLTIncrementalSearchEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, const String& SearchText, int& Result)>;
using TLTPopupEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column, TPoint P,
                                         bool& AskParent, TPopupMenu*& PopupMenu)>;
using TLTHelpContextEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column, int& HelpContext)>;
using TLTScrollEvent = std::function<void(TBaseLeanTree* Sender, int DeltaX, int DeltaY)>;
using TLTScrollbarShowEvent = std::function<void(TBaseLeanTree* Sender, int Bar, bool Show)>;
using TLTStateChangeEvent =
    std::function<void(TBaseLeanTree* Sender, TLeanTreeStates Enter, TLeanTreeStates Leave)>;
using TLTHintKindEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column, TLTHintKind& Kind)>;
using TLTGetHintSizeEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column, TRect& R)>;
using TLTDrawHintEvent = std::function<void(TBaseLeanTree* Sender, TCanvas* HintCanvas, PLeanNode Node,
                                            TRect R, TColumnIndex Column)>;
using TLTDragAllowedEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column, bool& Allowed)>;
using TLTDragOverEvent =
    std::function<void(TBaseLeanTree* Sender, TObject* Source, TShiftState Shift, TDragState State, TPoint Pt,
                       TDropMode Mode, int& Effect, bool& Accept)>;
using TLTSaveNodeEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TStream* Stream)>;
using TLTSaveTreeEvent = std::function<void(TBaseLeanTree* Sender, TStream* Stream)>;
using TLTBeforeGetMaxColumnWidthEvent =
    std::function<void(TLTHeader* Sender, TColumnIndex Column, bool& UseSmartColumnWidth)>;
using TLTAfterGetMaxColumnWidthEvent =
    std::function<void(TLTHeader* Sender, TColumnIndex Column, int& MaxWidth)>;
using TLTHeaderNotifyEvent = std::function<void(TLTHeader* Sender, TColumnIndex Column)>;
using TLTHeaderPaintEvent =
    std::function<void(TLTHeader* Sender, TCanvas* HeaderCanvas, TLeanTreeColumn* Column, TRect R, bool Hover,
                       bool Pressed, TLTDropMarkMode DropMark)>;
using TLTHeaderPaintQueryElementsEvent =
    std::function<void(TLTHeader* Sender, THeaderPaintInfo& PaintInfo, THeaderPaintElements& Elements)>;
using TLTAdvancedHeaderPaintEvent =
    std::function<void(TLTHeader* Sender, THeaderPaintInfo& PaintInfo, THeaderPaintElements Elements)>;

// The mouse over the header (X, Y in the header's own coordinates unless said otherwise).
using TLTHeaderClickEvent = std::function<void(TLTHeader* Sender, const TLTHeaderHitInfo& HitInfo)>;
using TLTHeaderMouseEvent =
    std::function<void(TLTHeader* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TLTHeaderMouseMoveEvent = std::function<void(TLTHeader* Sender, TShiftState Shift, int X, int Y)>;
using TLTHeaderDraggingEvent = std::function<void(TLTHeader* Sender, TColumnIndex Column, bool& Allowed)>;
using TLTHeaderDraggedEvent = std::function<void(TLTHeader* Sender, TColumnIndex Column, int OldPosition)>;
using TLTHeaderDraggedOutEvent =
    std::function<void(TLTHeader* Sender, TColumnIndex Column, TPoint DropPosition)>;
using TLTGetHeaderCursorEvent = std::function<void(TLTHeader* Sender, TCursor& Cursor)>;
using TLTColumnWidthTrackingEvent = std::function<void(
    TLTHeader* Sender, TColumnIndex Column, TShiftState Shift, TPoint& TrackPoint, TPoint P, bool& Allowed)>;
using TLTBeforeColumnWidthTrackingEvent =
    std::function<void(TLTHeader* Sender, TColumnIndex Column, TShiftState Shift)>;
using TLTColumnWidthDblClickResizeEvent =
    std::function<void(TLTHeader* Sender, TColumnIndex Column, TShiftState Shift, TPoint P, bool& Allowed)>;
using TLTHeaderHeightTrackingEvent =
    std::function<void(TLTHeader* Sender, TPoint& P, TShiftState Shift, bool& Allowed)>;
using TLTBeforeHeaderHeightTrackingEvent = std::function<void(TLTHeader* Sender, TShiftState Shift)>;
using TLTHeaderEvent = std::function<void(TLTHeader* Sender)>;
using TLTCanSplitterResizeColumnEvent =
    std::function<void(TLTHeader* Sender, TPoint P, TColumnIndex Column, bool& Allowed)>;
using TLTCanSplitterResizeHeaderEvent = std::function<void(TLTHeader* Sender, TPoint P, bool& Allowed)>;
using TLTBeforeAutoFitColumnsEvent = std::function<void(TLTHeader* Sender, TSmartAutoFitType& SmartAutoFitType)>;
using TLTBeforeAutoFitColumnEvent = std::function<void(TLTHeader* Sender, TColumnIndex Column,
                                                       TSmartAutoFitType& SmartAutoFitType, bool& Allowed)>;

// A callback of IterateSubtree.
using TLTGetNodeProc = std::function<void(TBaseLeanTree* Sender, PLeanNode Node, void* Data, bool& Abort)>;

// ---- Enumerations ---------------------------------------------------------------------------

// What Nodes(), SelectedNodes() and their kin answer: a record that names one walk. It is a
// range: `for (PLeanNode Node : Tree->VisibleNodes())` steps through the walk it names.
struct TLTLeanNodeEnumeration {
    TLZLeanNodeEnumerationMode FMode = vneAll;
    TBaseLeanTree* FTree = nullptr;
    bool FConsiderChildrenAbove = false;
    PLeanNode FNode = nullptr;
    Cardinal FNodeLevel = 0;
    TCheckState FState = csCheckedNormal;
    bool FIncludeFiltered = false;

    class Iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = PLeanNode;
        using difference_type = std::ptrdiff_t;
        using pointer = const PLeanNode*;
        using reference = PLeanNode;

        Iterator() = default;
        Iterator(const TLTLeanNodeEnumeration* AOwner, PLeanNode ANode) : FOwner(AOwner), FCurrent(ANode) {}
        PLeanNode operator*() const { return FCurrent; }
        Iterator& operator++();
        void operator++(int) { ++*this; }
        bool operator==(const Iterator& Other) const { return FCurrent == Other.FCurrent; }

    private:
        const TLTLeanNodeEnumeration* FOwner = nullptr;
        PLeanNode FCurrent = nullptr;
    };

    Iterator begin() const;
    Iterator end() const { return Iterator(this, nullptr); }
    PLeanNode First() const;
    PLeanNode Next(PLeanNode Node) const;
};

// ---- The tree -------------------------------------------------------------------------------

class TBaseLeanTree : public TCustomControl {
    DECLARE_CLASS(TBaseLeanTree, TCustomControl)
public:
    explicit TBaseLeanTree(TComponent* AOwner);
    ~TBaseLeanTree() override;
    void BeforeDestruction() override;

    // The tree that owns a node: walks up to the hidden root, whose Parent field holds it.
    static TBaseLeanTree* TreeFromNode(PLeanNode Node);

    // -- Node data --
    // The node's user data area (NodeDataSize bytes); marks the node so that OnFreeNode fires.
    void* GetNodeData(PLeanNode Node);
    int NodeDataSize() const { return FNodeDataSize; }
    void SetNodeDataSize(int Value);
    // Ancestors between the node and the hidden root.
    Cardinal GetNodeLevel(PLeanNode Node) const;

    // -- Adding, deleting, initialising --
    virtual PLeanNode AddChild(PLeanNode Parent, void* UserData = nullptr);
    PLeanNode InsertNode(PLeanNode Node, TLTNodeAttachMode Mode, void* UserData = nullptr);
    void DeleteNode(PLeanNode Node, bool Reindex = true);
    void DeleteChildren(PLeanNode Node, bool ResetHasChildren = false);
    virtual void Clear();
    virtual void DeleteSelectedNodes();
    void ValidateNode(PLeanNode Node, bool Recursive);
    virtual void ValidateChildren(PLeanNode Node, bool Recursive);
    virtual void ReinitNode(PLeanNode Node, bool Recursive);
    virtual void ReinitChildren(PLeanNode Node, bool Recursive);
    virtual void ResetNode(PLeanNode Node);

    // -- Tree streams: the nodes with their states, heights and check data, and what OnSaveNode
    // adds per node. A stream that does not hold a sound tree raises ELeanTreeError before the
    // tree changes (help context 2002 to 2006). --
    // Writes the whole tree (Node null) or Node with its subtree, then fires OnSaveTree.
    virtual void SaveToStream(TStream* Stream, PLeanNode Node = nullptr);
    // Writes the whole tree into the file: the old file stays whole until the new one is.
    void SaveToFile(const String& FileName);
    // Replaces the nodes with the stream's; fires OnNodeCopied (null) and OnLoadTree.
    virtual void LoadFromStream(TStream* Stream);
    virtual void LoadFromFile(const String& FileName);
    // Adds the stream's top-level nodes as last children of TargetNode (null: the top level).
    void AddFromStream(TStream* Stream, PLeanNode TargetNode);

    // -- Drop and paste: nodes from a data object (the clipboard's, or a drag's) --
    // Inserts the data object's nodes at TargetNode as Effect (DROPEFFECT_*) says; Effect
    // ends DROPEFFECT_NONE when the drag source has nothing left to do.
    bool ProcessDrop(IDataObject* DataObject, PLeanNode TargetNode, int& Effect, TLTNodeAttachMode Mode);
    // Optimized: Source (a tree of this process) moves its nodes here itself.
    bool ProcessOLEData(TBaseLeanTree* Source, IDataObject* DataObject, PLeanNode TargetNode,
                        TLTNodeAttachMode Mode, bool Optimized);
    // Inserts the clipboard's nodes at the focused node in DefaultPasteMode.
    virtual bool PasteFromClipboard();
    // The live tree of this process that made the data object, or null.
    static TBaseLeanTree* SourceTreeOfDataObject(IDataObject* DataObject);

    // -- Moving and copying nodes, within the tree or into another tree --
    // Target null: the top level of this tree with amAddChildFirst. ChildrenOnly moves the
    // node's children and leaves it.
    virtual void MoveTo(PLeanNode Source, PLeanNode Target, TLTNodeAttachMode Mode, bool ChildrenOnly);
    void MoveTo(PLeanNode Source, TBaseLeanTree* Tree, TLTNodeAttachMode Mode, bool ChildrenOnly);
    // Answers Target with ChildrenOnly, else the copy (null when none was made).
    virtual PLeanNode CopyTo(PLeanNode Source, PLeanNode Target, TLTNodeAttachMode Mode, bool ChildrenOnly);
    PLeanNode CopyTo(PLeanNode Source, TBaseLeanTree* Tree, TLTNodeAttachMode Mode, bool ChildrenOnly);

    // -- Per-node properties --
    Cardinal ChildCount(PLeanNode Node) const;
    void SetChildCount(PLeanNode Node, Cardinal Value) { WriteChildCount(Node, Value); }
    bool NodeVisible(PLeanNode Node);
    void SetNodeVisible(PLeanNode Node, bool Value) { WriteNodeVisible(Node, Value); }
    bool NodeSelected(PLeanNode Node) const { return Node && Node->States.Contains(vsSelected); }
    void SetNodeSelected(PLeanNode Node, bool Value) { WriteNodeSelected(Node, Value); }
    bool Expanded(PLeanNode Node) const { return Node && Node->States.Contains(vsExpanded); }
    // Expands or collapses the node when its state differs.
    void SetExpanded(PLeanNode Node, bool Value);
    bool HasChildren(PLeanNode Node) const;
    int NodeHeight(PLeanNode Node);
    void SetNodeHeight(PLeanNode Node, Cardinal Value);
    bool FullyVisible(PLeanNode Node) const;
    bool VisiblePath(PLeanNode Node) const;
    bool IsEffectivelyFiltered(PLeanNode Node) const;
    bool IsEffectivelyVisible(PLeanNode Node) const;

    // -- Tree-wide properties --
    PLeanNode RootNode() const { return FRoot; }
    Cardinal RootNodeCount() const { return FRoot->ChildCount; }
    void SetRootNodeCount(Cardinal Value);
    // Initialises the whole tree and answers its node count.
    Cardinal TotalCount();
    Cardinal VisibleCount() const { return FVisibleCount; }
    int SelectedCount() const { return FSelectionCount; }
    int CheckedCount();
    int CutCopyCount();
    PLeanNode FocusedNode() const { return FFocusedNode; }
    void SetFocusedNode(PLeanNode Value);
    TColumnIndex FocusedColumn() const { return FFocusedColumn; }
    void SetFocusedColumn(TColumnIndex Value);
    PLeanNode HotNode() const { return FCurrentHotNode; }
    PLeanNode DropTargetNode() const { return FDropTargetNode; }
    void SetDropTargetNode(PLeanNode Value) { FDropTargetNode = Value; }
    TLeanTreeStates TreeStates() const { return FStates; }
    void SetTreeStates(const TLeanTreeStates& Value) { FStates = Value; }
    Cardinal UpdateCount() const { return FUpdateCount; }
    Cardinal OperationCount() const { return FOperationCount; }
    bool OperationCanceled() const { return FOperationCanceled && FOperationCount > 0; }
    bool SelectionLocked() const { return FSelectionLocked; }
    void SetSelectionLocked(bool Value) { FSelectionLocked = Value; }
    TCustomLeanTreeOptions* TreeOptions() const;
    TLTHeader* Header() const { return FHeader.get(); }
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* StateImages() const { return FStateImages; }
    void SetStateImages(TCustomImageList* Value);
    TLTEditLinkRef EditLink() const { return FEditLink; }

    Cardinal DefaultNodeHeight() const { return FDefaultNodeHeight; }
    void SetDefaultNodeHeight(Cardinal Value);
    Cardinal Indent() const { return FIndent; }
    void SetIndent(Cardinal Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    int TextMargin() const { return FTextMargin; }
    void SetTextMargin(int Value);
    Cardinal BottomSpace() const { return FBottomSpace; }
    void SetBottomSpace(Cardinal Value);
    Cardinal ChangeDelay() const { return FChangeDelay; }
    void SetChangeDelay(Cardinal Value) { FChangeDelay = Value; }
    Cardinal AnimationDuration() const { return FAnimationDuration; }
    void SetAnimationDuration(Cardinal Value);
    Cardinal EditDelay() const { return FEditDelay; }
    void SetEditDelay(Cardinal Value) { FEditDelay = Value; }

    // -- Auto-scrolling, drag settings and protected steps of scrolling, dropping and layout --
    Cardinal AutoExpandDelay() const { return FAutoExpandDelay; }
    void SetAutoExpandDelay(Cardinal Value) { FAutoExpandDelay = Value; }
    Cardinal AutoScrollDelay() const { return FAutoScrollDelay; }
    void SetAutoScrollDelay(Cardinal Value) { FAutoScrollDelay = Value; }
    TAutoScrollInterval AutoScrollInterval() const { return FAutoScrollInterval; }
    void SetAutoScrollInterval(TAutoScrollInterval Value) { FAutoScrollInterval = Value; }
    TScrollDirections ScrollDirections() const { return FScrollDirections; }
    TLTDragImageKind DragImageKind() const { return FDragImageKind; }
    void SetDragImageKind(TLTDragImageKind Value) { FDragImageKind = Value; }
    TLTDragType DragType() const { return FDragType; }
    void SetDragType(TLTDragType Value) { FDragType = Value; }
    TDragOperations DragOperations() const { return FDragOperations; }
    void SetDragOperations(TDragOperations Value) { FDragOperations = Value; }
    int DragWidth() const { return FDragWidth; }
    void SetDragWidth(int Value) { FDragWidth = Value; }
    int DragHeight() const { return FDragHeight; }
    void SetDragHeight(int Value) { FDragHeight = Value; }
    TLTNodeAttachMode DefaultPasteMode() const { return FDefaultPasteMode; }
    void SetDefaultPasteMode(TLTNodeAttachMode Value) { FDefaultPasteMode = Value; }
    TCursor HotCursor() const { return FHotCursor; }
    void SetHotCursor(TCursor Value) { FHotCursor = Value; }
    bool DragImageAllowed() const { return FDragImageKind != diNoImage; }
    // The drop position on the hit node (NodeRect: its row); may clear HitInfo.HitNode.
    virtual TDropMode ComputeDropMode(TPoint P, THitInfo& HitInfo, TRect& NodeRect);
    // The drop effect a drag from Source gets with the keys in Shift (DROPEFFECT_* bits).
    virtual int DefaultDropEffect(TBaseLeanTree* Source, TShiftState Shift, TPoint Pt, int AllowedEffects);
    // The horizontal shift of the content in right-to-left layout.
    virtual int RightToLeftShift(bool ExcludeScrollBar);
    // The widest extent of the rows shown at the top of the window, margin included.
    virtual Cardinal WidestTopRowExtent();
    // Skips one node chunk of a tree stream; ELeanTreeError when it is not a node anchor.
    void SkipNodeChunk(TStream* Stream);
    // Redirects the font change notices of Canvas's font to CanvasFontChanged, and back.
    virtual void HookCanvasFontChange(TCanvas* Canvas);
    virtual void UnhookCanvasFontChange(TCanvas* Canvas);
    virtual void CanvasFontChanged(TFont* AFont);
    bool FontChanged() const { return FFontChanged; }
    void SetFontChanged(bool Value) { FFontChanged = Value; }
    // Auto-scrolling at the window's edges during a draw selection or a drag, and wheel panning.
    virtual bool AutoScrollAllowed();
    virtual TScrollDirections AutoScrollDirections(int X, int Y);
    virtual void UpdateAutoScroll(int X, int Y);
    virtual void AutoScrollTick();
    virtual void ExpandDropTargetNode();
    // Wheel panning: the middle button's scroll mode, with a small window at the press point and
    // the cursor telling which way the content moves.
    virtual void BeginWheelPanning(TPoint Position);
    virtual void EndWheelPanning();
    virtual void UpdatePanningCursor(int X, int Y);
    // The panning window's message procedure: it paints the picture, the rest is the window's.
    void PanningWindowHandler(TMessage& Message);
    TCustomControl* PanningWindow() const { return FPanningWindow.get(); }
    HCURSOR PanningCursor() const { return FPanningCursor; }
    // Width of the fixed columns (0 without columns), which horizontal paging leaves out.
    int FixedColumnsWidth() const;
    // The horizontal offset seen from the left edge of the content; in right-to-left alignment
    // offset 0 shows the content's right end.
    int EffectiveOffsetFor(int OffsetX) const;

    // -- Look --
    TLTColors* Colors() const { return FColors.get(); }
    void SetColors(TLTColors* Value) { FColors->Assign(Value); }
    TScrollBarOptions* ScrollBarOptions() const { return FScrollBarOptions.get(); }
    TClipboardFormats* ClipboardFormats() const { return FClipboardFormats.get(); }
    TLTButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TLTButtonStyle Value);
    TLTButtonFillMode ButtonFillMode() const { return FButtonFillMode; }
    void SetButtonFillMode(TLTButtonFillMode Value);
    TLTLineStyle LineStyle() const { return FLineStyle; }
    void SetLineStyle(TLTLineStyle Value);
    TLTLineMode LineMode() const { return FLineMode; }
    void SetLineMode(TLTLineMode Value);
    TLTNodeAlignment NodeAlignment() const { return FNodeAlignment; }
    void SetNodeAlignment(TLTNodeAlignment Value);
    TLTDrawSelectionMode DrawSelectionMode() const { return FDrawSelectionMode; }
    void SetDrawSelectionMode(TLTDrawSelectionMode Value) { FDrawSelectionMode = Value; }
    Cardinal SelectionCurveRadius() const { return FSelectionCurveRadius; }
    void SetSelectionCurveRadius(Cardinal Value);
    Byte SelectionBlendFactor() const { return FSelectionBlendFactor; }
    void SetSelectionBlendFactor(Byte Value) { FSelectionBlendFactor = Value; }
    TCheckImageKind CheckImageKind() const { return FCheckImageKind; }
    void SetCheckImageKind(TCheckImageKind Value);
    TCustomImageList* CustomCheckImages() const { return FCustomCheckImages; }
    void SetCustomCheckImages(TCustomImageList* Value);
    // The check image list in use: the kind's shared set, or the custom list for ckCustom.
    TCustomImageList* CheckImages() const;
    // Text shown when the tree has no top-level nodes.
    const String& EmptyListMessage() const { return FEmptyListMessage; }
    void SetEmptyListMessage(const String& Value);
    TAlignment Alignment() const { return FAlignment; }
    TAlignment GetControlsAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    // Right-to-left modes mirror the columns, the header, the painting and the hit tests.
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value);
    // The picture under the rows with toShowBackground: tiled, or placed once at the offsets
    // with toStaticBackground.
    TPicture* Background() const { return FBackground.get(); }
    void SetBackground(TPicture* Value);
    int BackgroundOffsetX() const { return FBackgroundOffsetX; }
    void SetBackgroundOffsetX(int Value);
    int BackgroundOffsetY() const { return FBackgroundOffsetY; }
    void SetBackgroundOffsetY(int Value);
    // The header strip in window coordinates (its bottom is its top while it is hidden).
    TRect HeaderRect() const;

    // -- Check states --
    // Sets a node's check state as a user would: unless the node is disabled or the state is
    // unchanged, OnChecking may change or refuse it; then it propagates.
    void WriteCheckState(PLeanNode Node, TCheckState Value);
    TCheckState CheckState(PLeanNode Node) const { return Node ? Node->CheckState : csUncheckedNormal; }
    void SetCheckState(PLeanNode Node, TCheckState Value) { WriteCheckState(Node, Value); }
    // Every node that is not unchecked becomes unchecked.
    void ClearChecked();
    // The state a click or the space bar gives a box of the type in the state.
    static TCheckState FollowingCheckState(TCheckType CheckType, TCheckState CheckState);
    // The look of a box held down, and back up again.
    static TCheckState PressedCheckState(TCheckState State);
    static TCheckState NormalCheckState(TCheckState State);
    // The shared check image list of a kind; null for ckCustom, which has none.
    static TCustomImageList* CheckImagesOfKind(TCheckImageKind Kind);
    // A click on a column's check box: the column's check state moves on.
    void AdvanceColumnCheckState(TColumnIndex Column);

    // -- Mouse and window (cursor over the hot node, compatibility queries) --
    // The rubber band of a draw selection in tree coordinates (empty while none is drawn).
    TRect NewSelRect() const { return FNewSelRect; }

    // -- Painting --
    // Draws the part Window (tree coordinates) of the rows onto TargetCanvas with Window's
    // top-left at Target. Only the rows that reach into Window are visited.
    virtual void PaintTree(TCanvas* TargetCanvas, TRect Window, TPoint Target,
                           TLTInternalPaintOptions PaintOptions, TPixelFormat PixelFormat = pfDevice);
    // Builds the four expand button bitmaps and the line pattern.
    void BuildButtonAndLineImages(bool NeedButtons, bool NeedLines);
    TRect NonClientMargins() const override;
    // A single border is the sunken edge around the window; a change makes the window anew.
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);

    // -- Scrolling --
    int OffsetX() const { return FOffsetX; }
    void SetOffsetX(int Value);
    int OffsetY() const { return FOffsetY; }
    void SetOffsetY(int Value);
    TPoint OffsetXY() const { return {FOffsetX, FOffsetY}; }
    void SetOffsetXY(TPoint Value);
    Cardinal RangeX() const { return FRangeX; }
    Cardinal RangeY() const { return FRangeY; }
    int EffectiveOffsetX() const { return FEffectiveOffsetX; }
    PLeanNode TopNode();
    void SetTopNode(PLeanNode Node);
    PLeanNode BottomNode();
    void SetBottomNode(PLeanNode Node);

    // -- Typing --
    TLTIncrementalSearch IncrementalSearch() const { return FIncrementalSearch; }
    // isNone also ends a running search.
    void SetIncrementalSearch(TLTIncrementalSearch Value);
    TLTSearchDirection IncrementalSearchDirection() const { return FSearchDirection; }
    void SetIncrementalSearchDirection(TLTSearchDirection Value) { FSearchDirection = Value; }
    TLTSearchStart IncrementalSearchStart() const { return FSearchStart; }
    void SetIncrementalSearchStart(TLTSearchStart Value) { FSearchStart = Value; }
    Cardinal IncrementalSearchTimeout() const { return FSearchTimeout; }
    void SetIncrementalSearchTimeout(Cardinal Value) { FSearchTimeout = Value; }
    const String& SearchBuffer() const { return FSearchBuffer; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }

    // -- Timers --
    // The service that runs the tree's timers; null gives back the window timers.
    TLTTimerService* TimerService() const { return FTimerService; }
    void SetTimerService(TLTTimerService* Value);

    // -- Navigation --
    PLeanNode GetFirst(bool ConsiderChildrenAbove = false);
    PLeanNode GetFirstNoInit(bool ConsiderChildrenAbove = false);
    PLeanNode GetNext(PLeanNode Node, bool ConsiderChildrenAbove = false);
    PLeanNode GetNextNoInit(PLeanNode Node, bool ConsiderChildrenAbove = false);
    PLeanNode GetPrevious(PLeanNode Node, bool ConsiderChildrenAbove = false);
    PLeanNode GetPreviousNoInit(PLeanNode Node, bool ConsiderChildrenAbove = false);
    PLeanNode GetLast(PLeanNode Node = nullptr, bool ConsiderChildrenAbove = false);
    PLeanNode GetLastNoInit(PLeanNode Node = nullptr, bool ConsiderChildrenAbove = false);
    PLeanNode GetFirstChild(PLeanNode Node);
    PLeanNode GetLastChild(PLeanNode Node);
    PLeanNode GetLastChildNoInit(PLeanNode Node);
    PLeanNode GetNextSibling(PLeanNode Node);
    PLeanNode GetNextSiblingNoInit(PLeanNode Node);
    PLeanNode GetPreviousSibling(PLeanNode Node);
    PLeanNode GetPreviousSiblingNoInit(PLeanNode Node);

    PLeanNode GetFirstVisible(PLeanNode Node = nullptr, bool ConsiderChildrenAbove = true,
                              bool IncludeFiltered = false);
    PLeanNode GetFirstVisibleNoInit(PLeanNode Node = nullptr, bool ConsiderChildrenAbove = true,
                                    bool IncludeFiltered = false);
    PLeanNode GetNextVisible(PLeanNode Node, bool ConsiderChildrenAbove = true);
    PLeanNode GetNextVisibleNoInit(PLeanNode Node, bool ConsiderChildrenAbove = true);
    PLeanNode GetPreviousVisible(PLeanNode Node, bool ConsiderChildrenAbove = true);
    PLeanNode GetPreviousVisibleNoInit(PLeanNode Node, bool ConsiderChildrenAbove = true);
    PLeanNode GetLastVisible(PLeanNode Node = nullptr, bool ConsiderChildrenAbove = true,
                             bool IncludeFiltered = false);
    PLeanNode GetLastVisibleNoInit(PLeanNode Node = nullptr, bool ConsiderChildrenAbove = true,
                                   bool IncludeFiltered = false);
    PLeanNode GetFirstVisibleChild(PLeanNode Node, bool IncludeFiltered = false);
    PLeanNode GetFirstVisibleChildNoInit(PLeanNode Node, bool IncludeFiltered = false);
    PLeanNode GetLastVisibleChild(PLeanNode Node, bool IncludeFiltered = false);
    PLeanNode GetLastVisibleChildNoInit(PLeanNode Node, bool IncludeFiltered = false);
    PLeanNode GetNextVisibleSibling(PLeanNode Node, bool IncludeFiltered = false);
    PLeanNode GetNextVisibleSiblingNoInit(PLeanNode Node, bool IncludeFiltered = false);
    PLeanNode GetPreviousVisibleSibling(PLeanNode Node, bool IncludeFiltered = false);
    PLeanNode GetPreviousVisibleSiblingNoInit(PLeanNode Node, bool IncludeFiltered = false);
    PLeanNode GetVisibleParent(PLeanNode Node, bool IncludeFiltered = false);

    PLeanNode GetFirstChecked(TCheckState State = csCheckedNormal, bool ConsiderChildrenAbove = false);
    PLeanNode GetNextChecked(PLeanNode Node, TCheckState State = csCheckedNormal,
                             bool ConsiderChildrenAbove = false);
    PLeanNode GetNextChecked(PLeanNode Node, bool ConsiderChildrenAbove);
    PLeanNode GetPreviousChecked(PLeanNode Node, TCheckState State = csCheckedNormal,
                                 bool ConsiderChildrenAbove = false);
    PLeanNode GetFirstCutCopy(bool ConsiderChildrenAbove = false);
    PLeanNode GetNextCutCopy(PLeanNode Node, bool ConsiderChildrenAbove = false);
    PLeanNode GetPreviousCutCopy(PLeanNode Node, bool ConsiderChildrenAbove = false);
    PLeanNode GetFirstSelected(bool ConsiderChildrenAbove = false);
    PLeanNode GetNextSelected(PLeanNode Node, bool ConsiderChildrenAbove = false);
    PLeanNode GetPreviousSelected(PLeanNode Node, bool ConsiderChildrenAbove = false);
    PLeanNode GetFirstInitialized(bool ConsiderChildrenAbove = false);
    PLeanNode GetNextInitialized(PLeanNode Node, bool ConsiderChildrenAbove = false);
    PLeanNode GetPreviousInitialized(PLeanNode Node, bool ConsiderChildrenAbove = false);
    PLeanNode GetLastInitialized(PLeanNode Node = nullptr, bool ConsiderChildrenAbove = false);
    PLeanNode GetFirstLeaf();
    PLeanNode GetNextLeaf(PLeanNode Node);
    PLeanNode GetPreviousLeaf(PLeanNode Node);
    PLeanNode GetFirstLevel(Cardinal NodeLevel);
    PLeanNode GetNextLevel(PLeanNode Node, Cardinal NodeLevel);
    PLeanNode GetPreviousLevel(PLeanNode Node, Cardinal NodeLevel);

    Cardinal AbsoluteIndex(PLeanNode Node);
    PLeanNode GetNodeAt(int X, int Y);
    PLeanNode GetNodeAt(TPoint P) { return GetNodeAt(P.X, P.Y); }
    PLeanNode GetNodeAt(int X, int Y, bool Relative, int& NodeTop);
    bool HasAsParent(PLeanNode Node, PLeanNode PotentialParent) const;
    PLeanNode IterateSubtree(PLeanNode Node, const TLTGetNodeProc& Callback, void* Data,
                             TLeanNodeStates Filter = {}, bool DoInit = false, bool ChildNodesOnly = false);

    TLTLeanNodeEnumeration Nodes(bool ConsiderChildrenAbove = false);
    TLTLeanNodeEnumeration CheckedNodes(TCheckState State = csCheckedNormal,
                                        bool ConsiderChildrenAbove = false);
    TLTLeanNodeEnumeration ChildNodes(PLeanNode Node);
    TLTLeanNodeEnumeration CutCopyNodes(bool ConsiderChildrenAbove = false);
    TLTLeanNodeEnumeration InitializedNodes(bool ConsiderChildrenAbove = false);
    TLTLeanNodeEnumeration LeafNodes();
    TLTLeanNodeEnumeration LevelNodes(Cardinal NodeLevel);
    TLTLeanNodeEnumeration NoInitNodes(bool ConsiderChildrenAbove = false);
    TLTLeanNodeEnumeration SelectedNodes(bool ConsiderChildrenAbove = false);
    TLTLeanNodeEnumeration VisibleNodes(PLeanNode Node = nullptr, bool ConsiderChildrenAbove = true,
                                        bool IncludeFiltered = false);
    TLTLeanNodeEnumeration VisibleChildNodes(PLeanNode Node, bool IncludeFiltered = false);
    TLTLeanNodeEnumeration VisibleChildNoInitNodes(PLeanNode Node, bool IncludeFiltered = false);
    TLTLeanNodeEnumeration VisibleNoInitNodes(PLeanNode Node = nullptr, bool ConsiderChildrenAbove = true,
                                              bool IncludeFiltered = false);

    // -- Expanding and collapsing --
    void ToggleNode(PLeanNode Node);
    virtual void FullExpand(PLeanNode Node = nullptr);
    virtual void FullCollapse(PLeanNode Node = nullptr);
    bool ScrollIntoView(PLeanNode Node, bool Center, bool Horizontally = false);
    bool ScrollIntoView(TColumnIndex Column, bool Center);

    // -- Sorting --
    virtual void Sort(PLeanNode Node, TColumnIndex Column, TSortDirection Direction, bool DoInit = true);
    virtual void SortTree(TColumnIndex Column, TSortDirection Direction, bool DoInit = true);
    void CancelOperation();

    // -- Selection and cut/copy marks --
    void ClearSelection();
    void SelectAll(bool VisibleOnly);
    void InvertSelection(bool VisibleOnly);
    TNodeArray GetSortedSelection(bool Resolve);
    TNodeArray GetSortedCutCopySet(bool Resolve);
    virtual void CopyToClipBoard();
    virtual void CutToClipBoard();
    void CancelCutOrCopy();
    void FinishCutOrCopy();
    void FlushClipboard();

    // -- Updates, repainting, geometry --
    virtual void BeginUpdate();
    virtual void EndUpdate();
    void BeginSynch();
    void EndSynch();
    virtual void InvalidateNode(PLeanNode Node);
    void InvalidateToBottom(PLeanNode Node);
    void InvalidateChildren(PLeanNode Node, bool Recursive);
    void InvalidateColumn(TColumnIndex Column);
    void RepaintNode(PLeanNode Node);
    virtual void UpdateScrollBars(bool DoRepaint);
    void UpdateVerticalScrollBar(bool DoRepaint);
    void UpdateHorizontalScrollBar(bool DoRepaint);
    void UpdateVerticalRange();
    void UpdateHorizontalRange();
    void UpdateRanges();
    TRect GetTreeRect();
    TRect GetDisplayRect(PLeanNode Node, TColumnIndex Column, bool TextOnly, bool Unclipped = false,
                         bool ApplyCellContentMargin = false);
    virtual void GetHitTestInfoAt(int X, int Y, bool Relative, THitInfo& HitInfo);
    virtual int GetMaxColumnWidth(TColumnIndex Column, bool UseSmartColumnWidth = false);
    void MeasureItemHeight(TCanvas* Canvas, PLeanNode Node);

    // -- In-place editing, assignment and hints --
    // Whether the cell may be edited: toEditable, enabled and not read-only, as OnEditing decides.
    virtual bool CanEdit(PLeanNode Node, TColumnIndex Column);
    // Focuses the node and starts editing the cell; answers whether an edit runs.
    virtual bool EditNode(PLeanNode Node, TColumnIndex Column);
    bool EndEditNode();
    bool CancelEditNode();
    bool IsEditing() const { return FStates.Contains(tsEditing); }
    bool IsMouseSelecting() const {
        return FStates.Contains(tsDrawSelPending) || FStates.Contains(tsDrawSelecting);
    }
    // The font, text rectangle and text of a cell (the base tree has no text).
    virtual void GetTextInfo(PLeanNode Node, TColumnIndex Column, TFont* AFont, TRect& R, String& Text);
    // Copies another tree's settings (not its nodes).
    void Assign(TPersistent* Source) override;
    TLTHintMode HintMode() const { return FHintMode; }
    void SetHintMode(TLTHintMode Value) { FHintMode = Value; }
    THintAnimationType HintAnimation() const { return FHintAnimation; }
    void SetHintAnimation(THintAnimationType Value) { FHintAnimation = Value; }
    // The hint animation in effect: the system default resolved (the system animates no tooltips).
    THintAnimationType ResolveHintAnimation() const;
    // What the hint window shows for the tree (filled when the tree decides to show a hint).
    const TLTHintData& HintData() const { return FHintData; }
    TRect LastHintRect() const { return FLastHintRect; }
    TLTGetHintSizeEvent OnGetHintSize;
    TLTDrawHintEvent OnDrawHint;

    // -- Events --
    TLTInitNodeEvent OnInitNode;
    TLTInitChildrenEvent OnInitChildren;
    TLTFreeNodeEvent OnFreeNode;
    TLTChangeEvent OnResetNode;
    TLTGetNodeDataSizeEvent OnGetNodeDataSize;
    TLTStructureChangeEvent OnStructureChange;
    TLTNodeMovingEvent OnNodeMoving;
    TLTNodeMovedEvent OnNodeMoved;
    TLTNodeCopyingEvent OnNodeCopying;
    TLTNodeCopiedEvent OnNodeCopied;
    TLTCompareEvent OnCompareNodes;
    TLTUpdatingEvent OnUpdating;
    TLTOperationEvent OnStartOperation;
    TLTOperationEvent OnEndOperation;
    TLTChangeEvent OnChange;
    TLTAddToSelectionEvent OnAddToSelection;
    TLTRemoveFromSelectionEvent OnRemoveFromSelection;
    TLTFocusChangingEvent OnFocusChanging;
    TLTFocusChangeEvent OnFocusChanged;
    TLTHotNodeChangeEvent OnHotChange;
    TLTChangingEvent OnExpanding;
    TLTChangingEvent OnCollapsing;
    TLTChangeEvent OnExpanded;
    TLTChangeEvent OnCollapsed;
    TLTCheckChangingEvent OnChecking;
    TLTChangeEvent OnChecked;
    TLTEditChangingEvent OnEditing;
    TLTCreateEditorEvent OnCreateEditor;
    TLTEditChangeEvent OnEdited;
    TLTEditCancelEvent OnEditCancelled;
    TLTGetImageExEvent OnGetImageIndexEx;
    TLTGetImageEvent OnGetImageIndex;
    TLTGetImageTextEvent OnGetImageText;
    TLTMeasureItemEvent OnMeasureItem;
    TLTGetCellIsEmptyEvent OnGetCellIsEmpty;
    TLTGetLineStyleEvent OnGetLineStyle;
    TLTBeforeDrawLineImageEvent OnBeforeDrawTreeLine;
    TLTGetCursorEvent OnGetCursor;
    TLTPaintEvent OnBeforePaint;
    TLTPaintEvent OnAfterPaint;
    TLTBackgroundPaintEvent OnPaintBackground;
    TLTGetUserClipboardFormatsEvent OnGetUserClipboardFormats;
    TLTBeforeItemEraseEvent OnBeforeItemErase;
    TLTAfterItemEraseEvent OnAfterItemErase;
    TLTBeforeItemPaintEvent OnBeforeItemPaint;
    TLTAfterItemPaintEvent OnAfterItemPaint;
    TLTBeforeCellPaintEvent OnBeforeCellPaint;
    TLTAfterCellPaintEvent OnAfterCellPaint;
    TLTNodeClickEvent OnNodeClick;
    TLTNodeClickEvent OnNodeDblClick;
    TLTColumnClickEvent OnColumnClick;
    TLTColumnDblClickEvent OnColumnDblClick;
    TLTNodeHeightTrackingEvent OnNodeHeightTracking;
    TLTNodeHeightDblClickResizeEvent OnNodeHeightDblClickResize;
    TLTCanSplitterResizeNodeEvent OnCanSplitterResizeNode;
    TLTKeyActionEvent OnKeyAction;
    TLTIncrementalSearchEvent OnIncrementalSearch;
    TLTPopupEvent OnGetPopupMenu;
    TLTHelpContextEvent OnGetHelpContext;
    TLTScrollEvent OnScroll;
    TLTScrollbarShowEvent OnShowScrollbar;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TLTStateChangeEvent OnStateChange;
    TLTHintKindEvent OnGetHintKind;
    TLTDragAllowedEvent OnDragAllowed;
    TLTDragOverEvent OnDragOver;
    TLTSaveNodeEvent OnSaveNode;
    TLTSaveNodeEvent OnLoadNode;
    TLTSaveTreeEvent OnSaveTree;
    TLTSaveTreeEvent OnLoadTree;
    TLTBeforeGetMaxColumnWidthEvent OnBeforeGetMaxColumnWidth;
    TLTAfterGetMaxColumnWidthEvent OnAfterGetMaxColumnWidth;
    TLTHeaderNotifyEvent OnColumnResize;
    TLTHeaderPaintEvent OnHeaderDraw;
    TLTHeaderPaintQueryElementsEvent OnHeaderDrawQueryElements;
    TLTAdvancedHeaderPaintEvent OnAdvancedHeaderDraw;
    // The mouse over the header.
    TLTHeaderClickEvent OnHeaderClick;
    TLTHeaderClickEvent OnHeaderDblClick;
    TLTHeaderMouseEvent OnHeaderMouseDown;
    TLTHeaderMouseEvent OnHeaderMouseUp;
    TLTHeaderMouseMoveEvent OnHeaderMouseMove;
    TLTHeaderDraggingEvent OnHeaderDragging;
    TLTHeaderDraggedEvent OnHeaderDragged;
    TLTHeaderDraggedOutEvent OnHeaderDraggedOut;
    TLTGetHeaderCursorEvent OnGetHeaderCursor;
    TLTColumnWidthTrackingEvent OnColumnWidthTracking;
    TLTBeforeColumnWidthTrackingEvent OnBeforeColumnWidthTracking;
    TLTHeaderNotifyEvent OnAfterColumnWidthTracking;
    TLTColumnWidthDblClickResizeEvent OnColumnWidthDblClickResize;
    TLTHeaderHeightTrackingEvent OnHeaderHeightTracking;
    TLTBeforeHeaderHeightTrackingEvent OnBeforeHeaderHeightTracking;
    TLTHeaderEvent OnAfterHeaderHeightTracking;
    TLTHeaderHeightTrackingEvent OnHeaderHeightDblClickResize;
    TLTCanSplitterResizeColumnEvent OnCanSplitterResizeColumn;
    TLTCanSplitterResizeHeaderEvent OnCanSplitterResizeHeader;
    TLTBeforeAutoFitColumnsEvent OnBeforeAutoFitColumns;
    TLTBeforeAutoFitColumnEvent OnBeforeAutoFitColumn;
    TLTHeaderNotifyEvent OnAfterAutoFitColumn;
    TLTHeaderEvent OnAfterAutoFitColumns;

    // Scroll bar ids of DoShowScrollbar and OnShowScrollbar.
    static constexpr int ScrollBarHorz = 0;
    static constexpr int ScrollBarVert = 1;

protected:
    void Loaded() override;
    friend class TCustomLeanTreeOptions;
    friend class TLTHeader;
    friend class TLeanTreeColumn;
    friend class TLeanTreeColumns;
    friend class TLTColors;
    friend struct TLTLeanNodeEnumeration;

    // -- Check state steps --
    // Applies a check state with tri-state and radio propagation; false when it did not apply.
    virtual bool ApplyCheckState(PLeanNode Node, TCheckState Value);
    // The check-click dispatcher: applies the state and fires DoChecked when it applied.
    virtual void ApplyCheckClick(PLeanNode Node, TCheckState NewCheckState);
    // Works out a tri-state parent's state from its children after a child changed.
    virtual bool ReevaluateParentCheck(PLeanNode Parent);

    // -- Keys --
    void WMKeyDown(TWMKeyDown& Message) override;
    void WMKeyUp(TWMKeyUp& Message) override;
    void WMChar(TWMChar& Message) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void WMSysKeyDown(TWMKeyDown& Message) override;
    // Shift+Alt with a page key: the focused column moves by about a client width.
    void PageColumn(bool Back);
    // Tab: the next (Shift+Tab: previous) cell that may take the focus, row after row.
    void TabToCell(bool Forward);
    // F1: the help context of the focused node, its ancestors, the tree or its parents.
    void ShowHelpContext();
    // One typed character of the incremental search (0: only the pause starts again).
    void IncrementalSearchStep(Word CharCode);
    // The system beep of a search that found nothing.
    virtual void DoBeep();

    // -- Mouse --
    void WMLButtonDown(TWMMouse& Message) override;
    void WMLButtonUp(TWMMouse& Message) override;
    void WMLButtonDblClk(TWMMouse& Message) override;
    void WMCancelMode(TWMCancelMode& Message) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    virtual void ProcessButtonDown(TWMMouse& Message, const THitInfo& HitInfo);
    virtual void ProcessButtonUp(TWMMouse& Message, const THitInfo& HitInfo);
    virtual void ProcessDoubleClick(TWMMouse& Message, const THitInfo& HitInfo);
    // The node under the point becomes hot over its check box or label (anywhere on the row
    // with full-row selection).
    virtual void TrackHotNode(int X, int Y);
    void WMRButtonDown(TWMMouse& Message) override;
    void WMRButtonUp(TWMMouse& Message) override;
    void WMRButtonDblClk(TWMMouse& Message) override;
    void WMMButtonDown(TWMMouse& Message) override;
    void WMMButtonUp(TWMMouse& Message) override;
    void WMMButtonDblClk(TWMMouse& Message) override;
    void WMContextMenu(TWMContextMenu& Message) override;
    void WMSetCursor(TWMSetCursor& Message) override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    // Focus moves to the node (Ask: OnFocusChanging may refuse); scrolled into view.
    virtual void MoveFocusToNode(PLeanNode Node, bool Ask);
    virtual void FocusCell(PLeanNode Node, TColumnIndex Column);
    virtual bool PopupMenuAvailable(PLeanNode Node, TColumnIndex Column, TPoint Pos);
    virtual void ShowNodePopupMenu(PLeanNode Node, TColumnIndex Column, TPoint Position);
    // The rubber band's corner follows the mouse; true when the rectangle changed.
    virtual bool UpdateRubberBandRect(int X, int Y);
    bool ApplyRubberBandSelection(int X, int Y);
    // Starts a node drag from P. The data object and the drag image come with the drag support;
    // until then the drag ends at once with no effect.
    virtual void RunNodeDrag(TPoint P);

    // -- Window messages --
    void WndProc(TMessage& Message) override;
    void WMSetFocus(TWMSetFocus& Message) override;
    void WMKillFocus(TWMKillFocus& Message) override;
    void CMColorChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void CMCtl3DChanged(TMessage& Message) override;
    void WMSize(TWMSize& Message) override;
    // The text a TVM_GETITEMW query reports for a node (the string tree has one).
    virtual String ItemQueryText(PLeanNode Node);
    // The messages that neither the library nor the handlers above know: the standard tree
    // view's queries, the worker's state change, clipboard commands. True when handled.
    virtual bool HandleTreeMessage(TMessage& Message);

    // -- Scroll bars and the wheel --
    virtual void WMVScroll(TWMVScroll& Message);
    virtual void WMHScroll(TWMHScroll& Message);
    void CMMouseWheel(TMessage& Message) override;
    // Where the last button press happened: wheel panning measures from it.
    TPoint FLastClickPos;

    // -- Painting steps --
    void Paint() override;
    void WMEraseBkgnd(TWMEraseBkgnd& Message) override;
    void WMNCPaint(TMessage& Message) override;
    void CreateParams(TCreateParams& Params) override;
    // The frame's thickness inside the window's edge (negative numbers, as the window's border
    // and sunken edge take away), and the ring of BorderWidth inside it in the border colour.
    TSize BorderExtents() const;
    virtual void PaintBorder(TCanvas* Canvas);
    // Centre line of the images and top of the expand button in a row.
    virtual void ComputeNodeAlignment(PLeanNode Node, int RowHeight, bool HasImage, bool HasStateImage,
                                      int& VAlign, int& ButtonY);
    virtual void EraseNodeArea(TCellPaintInfo& PaintInfo, bool UseBackground, TRect R, bool IntoBuffer);
    // The background picture over R of Canvas; Offset moves canvas points to picture space.
    void PaintBackgroundPicture(TCanvas* Canvas, const TRect& R, TPoint Offset);
    // The background picture as a bitmap when it holds one that is not empty.
    TBitmap* BackgroundBitmap() const;
    void ShiftByIndent(TCellPaintInfo& PaintInfo, int Levels);
    bool HasShownLaterSibling(PLeanNode Node);
    bool HasShownEarlierSibling(PLeanNode Node);
    bool IsFirstShownChild(PLeanNode Parent, PLeanNode Node);
    bool IsLastShownChild(PLeanNode Parent, PLeanNode Node);
    // One entry per indent level; answers the number of selected ancestors.
    virtual int BuildLineImage(PLeanNode Node, TLineImage& LineImage);
    virtual void DrawTreeLineSegment(TCellPaintInfo& PaintInfo, int X, int Y, int H, int VAlign,
                                     TLTLineType Style, bool Reverse);
    void DrawHorzLinePixels(TCellPaintInfo& PaintInfo, int Left, int Top, int Right);
    void DrawVertLinePixels(TCellPaintInfo& PaintInfo, int Top, int Left, int Bottom);
    virtual void DrawNodeLines(TCellPaintInfo& PaintInfo, int VAlignment, int IndentSize,
                               const TLineImage& LineImage);
    virtual void DrawExpandButton(TCanvas* Canvas, PLeanNode Node, TColumnIndex Column, const TRect& R,
                                  int ButtonX, int ButtonY, TBiDiMode BidiMode);
    virtual void PlaceImageAtLeadingEdge(TCustomImageList* Images, TBiDiMode BidiMode, int VAlign, TRect& R,
                                         TCellImageInfo& ImageInfo);
    virtual void PaintDropMarker(TCanvas* Canvas, PLeanNode Node, const TRect& R);
    // The rubber band over the part SelectionRect of a row (TargetRect is the band, both in the
    // canvas' coordinates less WindowOrgX).
    virtual void DrawRubberBand(TCanvas* Canvas, int WindowOrgX, const TRect& SelectionRect,
                                const TRect& TargetRect);
    virtual int CheckImageIndexFor(PLeanNode Node, TCheckType CheckType, TCheckState CheckState,
                                   bool Enabled);
    virtual void FetchCellImage(TCellPaintInfo& PaintInfo, TLTImageKind Kind, int InfoIndex,
                                TCustomImageList* DefaultImages);
    TSize ImageListExtent(PLeanNode Node);
    virtual void DrawCheckImage(TCanvas* Canvas, const TCellImageInfo& ImageInfo, bool Selected);
    virtual void DrawNodeImage(TCellPaintInfo& PaintInfo, int InfoIndex, bool DoOverlay);
    virtual void PaintCellBackground(TCellPaintInfo& PaintInfo, int WindowOrgX, int MaxWidth);
    // The content of a cell (the string tree paints its text here).
    virtual void PaintNodeContent(TCellPaintInfo& PaintInfo);
    // The next column to paint after PaintInfo's (the string tree may span empty cells).
    virtual TColumnIndex NextPaintColumn(TCellPaintInfo& PaintInfo);
    // The header's main column changed.
    virtual void MainColumnChanged();
    // A column's width changed (-1: all columns).
    virtual void DoColumnResize(TColumnIndex Column);
    // The header's height or visibility changed: the client area is measured again.
    void HeaderLayoutChanged();
    void InvalidateHeader();

    // -- Construction and node blocks --
    virtual TLeanTreeOptionsClass ChooseOptionsClass();
    PLeanNode AllocateNode();
    void AllocateRoot(std::size_t OldSize);
    virtual Cardinal ReserveInternalDataArea(Cardinal Size);
    Cardinal TotalInternalDataSize() const { return FTotalInternalDataSize; }

    // -- Storage steps --
    virtual void InitializeNode(PLeanNode Node);
    virtual void InitializeChildren(PLeanNode Node);
    virtual void AttachNode(PLeanNode Node, PLeanNode Destination, TLTNodeAttachMode Mode,
                            TBaseLeanTree* Target);
    virtual PLeanNode DetachNode(PLeanNode Node, bool KeepFocus, bool Reindex);
    // Tree stream chunks (a descendant extends the format by overriding them). StoreChunks
    // writes what follows a node's base chunk (its children are inside that): the user data
    // chunk, and a descendant's own chunks after it.
    virtual void StoreNode(TStream* Stream, PLeanNode Node);
    virtual void StoreChunks(TStream* Stream, PLeanNode Node);
    void PatchChunkSize(TStream* Stream, Int64 ChunkStart, Int64 ChunkEnd);
    virtual void LoadNode(TStream* Stream, int Version, PLeanNode Node);
    virtual bool LoadChunk(TStream* Stream, int Version, PLeanNode Node, int ChunkType, int ChunkSize);
    // Reads one top-level node (with its subtree) into Node, already attached, and counts it in.
    virtual void ReadNodeFromStream(TStream* Stream, int Version, PLeanNode Node);
    // The header and, for version 2, the node count; checks the chunks that follow. Answers the
    // version; Count is the number of top-level nodes (all of them for older versions).
    int ReadStreamHeader(TStream* Stream, int& Count);
    // Checks up to Count node chunks from the stream's position to its end, and goes back.
    static void CheckStreamNodes(TStream* Stream, int Version, int Count);
    // The tree's own clipboard format "Lean Tree Data": a 32-bit byte count, then the node chunks
    // of the cut/copy set (ForClipboard) or of the selection, children of taken nodes with them.
    TBytes RenderTreeData(bool ForClipboard);
    // "Lean Tree Reference": this process and this tree.
    TBytes TreeReferenceData() const;
    void WriteChildCount(PLeanNode Node, Cardinal NewChildCount);
    void WriteNodeVisible(PLeanNode Node, bool Value);
    void WriteNodeSelected(PLeanNode Node, bool Value);
    void WriteNodeHeight(PLeanNode Node, Cardinal Value);
    void ChangeTotalCount(PLeanNode Node, int Value, bool Relative = false);
    void ChangeTotalHeight(PLeanNode Node, int Value, bool Relative = false);
    virtual Cardinal VisibleChildTally(PLeanNode Node) const;
    virtual int LevelDistance(PLeanNode Node1, PLeanNode Node2) const;
    virtual void UpdateHiddenChildrenFlag(PLeanNode Node);
    virtual void UpdateAllHiddenChildrenFlags();
    virtual void StructureChange(PLeanNode Node, TChangeReason Reason);
    virtual void Change(PLeanNode Node);
    virtual void NoteChangeOrDefer(bool IsStructureChange, PLeanNode Node, TChangeReason Reason);
    int CompareNodeOrder(PLeanNode Node1, PLeanNode Node2, bool ConsiderChildrenAbove);

    // -- Position cache (the worker that fills it comes with the worker thread) --
    void StopCacheValidation();
    void MarkCacheInvalid();
    virtual void StartCacheValidation();
    bool FindInPositionCache(PLeanNode Node, Cardinal& CurrentPos);
    PLeanNode FindInPositionCache(Cardinal Position, Cardinal& CurrentPos);

    // -- Selection steps --
    virtual bool AddToSelection(PLeanNode Node);
    virtual bool AddToSelection(TNodeArray& NewItems, int NewLength, bool ForceInsert = false);
    bool MergeIntoSelection(TNodeArray& NewItems, int NewLength, bool ForceInsert);
    bool MergeIntoSelection(PLeanNode Node, bool ForceInsert);
    virtual void RemoveFromSelection(PLeanNode Node);
    virtual void UnselectCore(PLeanNode Node);
    virtual void ClearSelectionCore();
    virtual bool LocateInSelection(PLeanNode Node, int& Index, int LowBound, int HighBound);
    virtual void ResetSelectionAnchor();
    virtual void SelectRange(PLeanNode StartNode, PLeanNode EndNode, bool AddOnly = false);
    virtual void ToggleRangeSelection(PLeanNode StartNode, PLeanNode EndNode);
    virtual void DeselectRange(PLeanNode StartNode, PLeanNode EndNode);
    virtual void AppendToNodeCache(PLeanNode Node);
    virtual void ClearNodeCache();
    // Packs the array: answers the number of unmarked entries, -1 for an empty array.
    static int CompactSelection(TNodeArray& Array, int Count);
    // Packs the selection array and stores the new count (kept when packing answers -1).
    void PackSelection();
    virtual void MarkCutCopySelection();
    // Selection by click and by rubber band, called by the mouse handling.
    void ApplyClickSelection(PLeanNode LastFocused, PLeanNode NewNode, TShiftState Shift, bool DragPending);
    // A rubber-band step from OldRect to NewRect (tree coordinates); Toggle when Ctrl was held
    // as the drag began. Answers whether the selection changed.
    bool HandleDrawSelection(TRect OldRect, TRect NewRect, bool Toggle);
    // Puts the selection on the system clipboard for a cut or a copy; false when that failed.
    virtual bool PlaceOnClipboard(bool ForCut);
    virtual void FocusFirstIfNone();

    // -- Operations that can be cancelled --
    void StartOperation(TLTOperationKind Kind);
    void EndOperation(TLTOperationKind Kind);

    // -- Timers --
    bool StartTimer(unsigned Id, Cardinal Elapse);
    void KillTreeTimer(unsigned Id);
    // A tree timer fired.
    virtual void TimerFired(unsigned Id);
    void Dispatch(TMessage& Message) override;

    // -- Scrolling and animation --
    virtual bool ApplyScrollOffset(TPoint Value);
    using TLTAnimationCallback = std::function<bool(int Step, int StepSize, void* Data)>;
    virtual void Animate(Cardinal Steps, Cardinal Duration, const TLTAnimationCallback& Callback, void* Data);
    // Whether the tree reads right to left, and whether it also aligns to the right.
    bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
    bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
    // Hit positions inside a row (the mouse handling fills them in).
    virtual void HitPositionsLeftToRight(THitInfo& HitInfo, int Offset, int Right);
    virtual void HitPositionsRightToLeft(THitInfo& HitInfo, int Offset, int Right);
    // Text height of the tree's font, for the text rectangle of a node.
    int FontTextHeight();
    // The check image width of a node that shows a check image (the check box painting fills
    // it in); 0 without check images.
    virtual int CheckImageWidth(PLeanNode Node);
    bool NodeHasImage(PLeanNode Node, TLTImageKind Kind, TColumnIndex Column);

    // -- Editing --
    virtual bool CancelCellEdit();
    virtual bool EndCellEdit();
    // Starts editing the focused node in FEditColumn with the editor that DoCreateEditor gives.
    virtual void BeginCellEdit();
    // Moves the editor to the edited cell's text rectangle.
    virtual void PlaceEditor();
    void CancelEditOf(PLeanNode Node);

    // -- Dispatchers --
    virtual void DoAfterCellPaint(TCanvas* Canvas, PLeanNode Node, TColumnIndex Column,
                                  const TRect& CellRect);
    virtual void DoAfterItemErase(TCanvas* Canvas, PLeanNode Node, const TRect& ItemRect);
    virtual void DoAfterItemPaint(TCanvas* Canvas, PLeanNode Node, const TRect& ItemRect);
    virtual void DoAfterPaint(TCanvas* Canvas);
    virtual bool DoDragAllowed(PLeanNode Node, TColumnIndex Column);
    virtual void DoBeforeCellPaint(TCanvas* Canvas, PLeanNode Node, TColumnIndex Column,
                                   TLTCellPaintMode CellPaintMode, const TRect& CellRect, TRect& ContentRect);
    virtual void DoBeforeItemErase(TCanvas* Canvas, PLeanNode Node, const TRect& ItemRect, TColor& Color,
                                   TItemEraseAction& EraseAction);
    virtual bool DoBeforeItemPaint(TCanvas* Canvas, PLeanNode Node, const TRect& ItemRect);
    virtual void DoBeforePaint(TCanvas* Canvas);
    virtual void DoEditing(PLeanNode Node, TColumnIndex Column, bool& Allowed);
    virtual void DoCanSplitterResizeNode(TPoint P, PLeanNode Node, TColumnIndex Column, bool& Allowed);
    virtual void DoChange(PLeanNode Node);
    virtual void DoChecked(PLeanNode Node);
    virtual bool DoChecking(PLeanNode Node, TCheckState& NewCheckState);
    virtual void DoCollapsed(PLeanNode Node);
    virtual bool DoCollapsing(PLeanNode Node);
    virtual void DoColumnClick(TColumnIndex Column, TShiftState Shift);
    virtual void DoColumnDblClick(TColumnIndex Column, TShiftState Shift);
    virtual int DoCompareNodes(PLeanNode Node1, PLeanNode Node2, TColumnIndex Column);
    virtual TLTEditLinkRef DoCreateEditor(PLeanNode Node, TColumnIndex Column);
    virtual void DoBeforeDrawTreeLine(PLeanNode Node, int Level, int& PosX);
    virtual bool DoDragOver(TObject* Source, TShiftState Shift, TDragState State, TPoint Pt, TDropMode Mode,
                            int& Effect);
    virtual void DoEndOperation(TLTOperationKind Kind);
    virtual void DoExpanded(PLeanNode Node);
    virtual bool DoExpanding(PLeanNode Node);
    virtual void DoFocusChanged(PLeanNode Node, TColumnIndex Column);
    virtual bool DoFocusChanging(PLeanNode OldNode, PLeanNode NewNode, TColumnIndex OldColumn,
                                 TColumnIndex NewColumn);
    virtual void DoFreeNode(PLeanNode Node);
    virtual TPoint QueryCellContentMargin(PLeanNode Node, TColumnIndex Column, int MarginType,
                                          TCanvas* Canvas);
    virtual void DoGetCursor(TCursor& Cursor);
    virtual TCustomImageList* DoGetImageIndex(PLeanNode Node, TLTImageKind Kind, TColumnIndex Column,
                                              bool& Ghosted, int& Index);
    virtual void DoGetImageText(PLeanNode Node, TLTImageKind Kind, TColumnIndex Column, String& ImageText);
    virtual void DoGetLineStyle(const void*& Bits);
    virtual String QueryNodeHint(PLeanNode Node, TColumnIndex Column,
                                 TLTTooltipLineBreakStyle& LineBreakStyle);
    virtual String QueryNodeTooltip(PLeanNode Node, TColumnIndex Column,
                                    TLTTooltipLineBreakStyle& LineBreakStyle);
    virtual int QueryNodeExtraWidth(PLeanNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr);
    virtual int QueryNodeContentWidth(PLeanNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr);
    virtual TPopupMenu* DoGetPopupMenu(PLeanNode Node, TColumnIndex Column, TPoint Position);
    virtual void DoHotChange(PLeanNode Old, PLeanNode New);
    virtual int DoIncrementalSearch(PLeanNode Node, const String& Text);
    virtual void DoInitChildren(PLeanNode Node, Cardinal& ChildCount);
    virtual void DoInitNode(PLeanNode Parent, PLeanNode Node, TLeanNodeInitStates& InitStates);
    virtual bool DoKeyAction(Word& CharCode, TShiftState& Shift);
    virtual void DoLoadNode(PLeanNode Node, TStream* Stream);
    virtual void DoMeasureItem(TCanvas* Canvas, PLeanNode Node, int& Height);
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();
    virtual void DoNodeCopied(PLeanNode Node);
    virtual bool DoNodeCopying(PLeanNode Node, PLeanNode NewParent);
    virtual void DoNodeClick(const THitInfo& HitInfo);
    virtual void DoNodeDblClick(const THitInfo& HitInfo);
    virtual bool DoNodeHeightDblClickResize(PLeanNode Node, TColumnIndex Column, TShiftState Shift, TPoint P);
    virtual bool DoNodeHeightTracking(PLeanNode Node, TColumnIndex Column, TShiftState Shift,
                                      TPoint& TrackPoint, TPoint P);
    virtual void DoNodeMoved(PLeanNode Node);
    virtual bool DoNodeMoving(PLeanNode Node, PLeanNode NewParent);
    virtual bool DoPaintBackground(TCanvas* Canvas, const TRect& R);
    virtual void DoGetUserClipboardFormats(std::vector<TClipboardFormat>& Formats);
    // The formats the tree offers: the registered ones of its class and its ancestors that its
    // ClipboardFormats names, then what OnGetUserClipboardFormats adds.
    void TreeClipboardFormats(std::vector<TClipboardFormat>& Formats);
    virtual void DoRemoveFromSelection(PLeanNode Node);
    virtual void DoAddToSelection(PLeanNode Node);
    virtual void DoResetNode(PLeanNode Node);
    virtual void DoSaveNode(PLeanNode Node, TStream* Stream);
    virtual void DoScroll(int DeltaX, int DeltaY);
    virtual void DoShowScrollbar(int Bar, bool Show);
    virtual void DoStartOperation(TLTOperationKind Kind);
    virtual void DoStateChange(const TLeanTreeStates& Enter, const TLeanTreeStates& Leave = {});
    virtual void DoStructureChange(PLeanNode Node, TChangeReason Reason);
    virtual void DoUpdating(TLTUpdateState State);
    virtual bool DoGetCellIsEmpty(PLeanNode Node, TColumnIndex Column);
    virtual void DoGetNodeDataSize(int& Size);
    virtual TLTHintKind DoGetHintKind(PLeanNode Node, TColumnIndex Column);
    virtual TLTHintKind DefaultHintKind() { return vhkText; }
    // -- Hints --
    virtual void DoGetHintSize(PLeanNode Node, TColumnIndex Column, TRect& R);
    virtual void DoDrawHint(TCanvas* Canvas, PLeanNode Node, TRect R, TColumnIndex Column);
    // The window class that shows the tree's hints.
    virtual TClass ChooseHintWindowClass();
    void CMHintShow(TCMHintShow& Message) override;
    void CMHintShowPause(TCMHintShowPause& Message) override;
    // The tree's hint pause ended: the hint for the pointer shows now.
    void HintPauseEnded();
    bool CanSplitterResizeNode(TPoint P, PLeanNode Node, TColumnIndex Column);

    // Window notifications that the model answers.
    void NotifyFormDesigner();

    // The scroll bar state that UpdateScrollBars computed (what the window's bars show).
    struct TScrollBarState {
        bool Visible = false;
        int Min = 0;
        int Max = 0;
        int Page = 0;
        int Position = 0;
    };
    TScrollBarState VerticalBar() const { return FVertBar; }
    TScrollBarState HorizontalBar() const { return FHorzBar; }

    // The tree's node references that deletion clears, in one place.
    PLeanNode FLastSelected = nullptr;
    PLeanNode FFocusedNode = nullptr;
    // Where the last drag over the tree would drop (set by the drop handling).
    TDropMode FLastDropMode = dmOnNode;
    PLeanNode FRangeAnchor = nullptr;
    PLeanNode FCurrentHotNode = nullptr;
    PLeanNode FDropTargetNode = nullptr;
    PLeanNode FCheckNode = nullptr;
    PLeanNode FLastVCLDragTarget = nullptr;
    PLeanNode FLastSearchNode = nullptr;
    PLeanNode FHeightTrackNode = nullptr;
    // The children the base chunk just read announces; LoadNode reads them next.
    Cardinal FChildrenToLoad = 0;
    PLeanNode FLastChangedNode = nullptr;
    PLeanNode FLastStructureChangeNode = nullptr;
    TChangeReason FLastStructureChangeReason = crIgnore;
    TColumnIndex FEditColumn = ColumnNone;
    TColumnIndex FFocusedColumn = ColumnNone;

    TNodeArray FSelection;
    int FSelectionCount = 0;
    bool FSelectionLocked = false;
    TNodeArray FTempNodeCache;
    Cardinal FTempNodeCount = 0;
    TNodeArray FSingletonNodeArray;
    int FLastSelectionLevel = -1;

private:
    PLeanNode FRoot = nullptr;
    int FNodeDataSize = -1;
    Cardinal FTotalInternalDataSize = 0;
    Cardinal FDefaultNodeHeight = 18;
    Cardinal FIndent = 18;
    int FMargin = 4;
    int FTextMargin = 4;
    Cardinal FUpdateCount = 0;
    Cardinal FSynchUpdateCount = 0;
    TLeanTreeStates FStates;
    Cardinal FVisibleCount = 0;
    TCache FPositionCache;
    Cardinal FStartIndex = 0;
    Cardinal FRangeX = 0;
    Cardinal FRangeY = 0;
    int FOffsetX = 0;
    int FOffsetY = 0;
    int FEffectiveOffsetX = 0;
    Cardinal FBottomSpace = 0;
    Cardinal FOperationCount = 0;
    bool FOperationCanceled = false;
    Cardinal FCheckPropagationCount = 0;
    TCheckState FPendingCheckState = csUncheckedNormal;
    bool FWantTabs = false;
    TLTIncrementalSearch FIncrementalSearch = isNone;
    TLTSearchDirection FSearchDirection = sdForward;
    TLTSearchStart FSearchStart = ssFocusedNode;
    Cardinal FSearchTimeout = 1000;
    String FSearchBuffer;
    Cardinal FChangeDelay = 0;
    Cardinal FAnimationDuration = 200;
    Cardinal FEditDelay = 1000;
    Cardinal FAutoExpandDelay = 1000;
    Cardinal FAutoScrollDelay = 1000;
    TAutoScrollInterval FAutoScrollInterval = 1;
    TScrollDirections FScrollDirections;
    std::unique_ptr<TCustomControl> FPanningWindow;
    std::unique_ptr<TBitmap> FPanningImage;
    HCURSOR FPanningCursor = 0;
    UInt64 FDragScrollStart = 0;
    bool FDragScrollStarted = false;
    TBiDiMode FBiDiMode = bdLeftToRight;
    TLTDragImageKind FDragImageKind = diComplete;
    TLTDragType FDragType = dtOLE;
    TDragOperations FDragOperations{doCopy, doMove};
    int FDragWidth = 200;
    int FDragHeight = 350;
    TLTNodeAttachMode FDefaultPasteMode = amAddChildLast;
    TCursor FHotCursor = crDefault;
    TNotifyEvent FOldFontChange;
    TFont* FHookedFont = nullptr;
    bool FFontChanged = false;
    TScrollBarState FVertBar;
    TScrollBarState FHorzBar;
    mutable std::unique_ptr<TCustomLeanTreeOptions> FOptions;
    std::unique_ptr<TLTHeader> FHeader;
    std::unique_ptr<TLTColors> FColors = std::make_unique<TLTColors>(this);
    std::unique_ptr<TScrollBarOptions> FScrollBarOptions = std::make_unique<TScrollBarOptions>(this);
    std::unique_ptr<TClipboardFormats> FClipboardFormats = std::make_unique<TClipboardFormats>(this);
    TLTButtonStyle FButtonStyle = bsRectangle;
    TLTButtonFillMode FButtonFillMode = fmTreeColor;
    TLTLineStyle FLineStyle = lsDotted;
    TLTLineMode FLineMode = lmNormal;
    TLTNodeAlignment FNodeAlignment = naProportional;
    TLTDrawSelectionMode FDrawSelectionMode = smDottedRectangle;
    Cardinal FSelectionCurveRadius = 0;
    Byte FSelectionBlendFactor = 128;
    TCheckImageKind FCheckImageKind = ckSystemDefault;
    TCustomImageList* FCustomCheckImages = nullptr;
    String FEmptyListMessage;
    std::unique_ptr<TPicture> FBackground = std::make_unique<TPicture>();
    int FBackgroundOffsetX = 0;
    int FBackgroundOffsetY = 0;
    TAlignment FAlignment = taLeftJustify;
    std::unique_ptr<TBitmap> FPlusBM, FMinusBM, FHotPlusBM, FHotMinusBM;
    std::unique_ptr<TBitmap> FDottedBrush;
    std::unique_ptr<TWindowCanvas> FHeaderCanvas;
    TRect FUpdateRect;
    TCustomImageList* FImages = nullptr;
    TCustomImageList* FStateImages = nullptr;
    TLTEditLinkRef FEditLink;
    TLTHintMode FHintMode = hmDefault;
    THintAnimationType FHintAnimation = hatSystemDefault;
    TLTHintData FHintData;
    TRect FLastHintRect;
    friend class TLeanTreeHintWindow;
    int FDragThreshold = 0;
    TRect FNewSelRect, FLastSelRect;
    TBorderStyle FBorderStyle = Controls::bsSingle;
    TShiftState FDrawSelShiftState;
    TColumnIndex FHeightTrackColumn = ColumnNone;
    TPoint FHeightTrackPoint;
    TColumnIndex FCurrentHotColumn = ColumnNone;
    bool FHotNodeButtonHit = false;
    TLTTimerService* FTimerService = nullptr;
    Cardinal FRunningTimers = 0; // bit n: timer n was started and not stopped
    bool FDestroying = false;

    TLTTimerService& Timers() const;
    bool IsDestroying() const { return FDestroying || ComponentState().Contains(csDestroying); }
    bool ReadOnly() const;
    bool AutoSort() const;
    bool ChildrenAbove(bool ConsiderChildrenAbove) const;
    // The first or last child, the node and the child initialised and lazy children created.
    PLeanNode InitializedEndChild(PLeanNode Node, bool Last);
    void InitIfNeeded(PLeanNode Node) {
        if (!Node->States.Contains(vsInitialized)) InitializeNode(Node);
    }
    void CreateLazyChildren(PLeanNode Node) {
        if (Node->States.Contains(vsHasChildren) && Node->ChildCount == 0) InitializeChildren(Node);
    }
    void DeliverStructureChange(PLeanNode Node, TChangeReason Reason);
    void FreeNodeBlock(PLeanNode Node);
    void ForgetNode(PLeanNode Node);
    void RemoveDeletedFromSelection(PLeanNode Node);
    // Deletes every node below Node, which DeleteChildren is clearing, deepest first.
    void DeleteClearedSubtrees(PLeanNode Node, bool ChildrenCount);
    void SortChildrenList(PLeanNode Node, TColumnIndex Column, TSortDirection Direction);
    void SortTreeLevel(PLeanNode Node, TColumnIndex Column, TSortDirection Direction, bool DoInit);
    PLeanNode VisibleStep(PLeanNode Node, bool Forward, bool ConsiderChildrenAbove, bool DoInit,
                          bool IncludeFiltered);
    PLeanNode DeepestFirstVisible(PLeanNode Node, bool DoInit);
    PLeanNode DeepestLastVisible(PLeanNode Node, bool DoInit);
    PLeanNode FirstVisibleChildOf(PLeanNode Node) const;
    PLeanNode FirstVisibleImpl(PLeanNode Node, bool ConsiderChildrenAbove, bool IncludeFiltered, bool DoInit);
    PLeanNode LastVisibleChildImpl(PLeanNode Node, bool IncludeFiltered, bool DoInit);
    PLeanNode NextSiblingMatching(PLeanNode Node, bool IncludeFiltered, bool Forward, bool DoInit);
    void ToggleRangeNode(PLeanNode Node);
    void CollectSorted(TNodeArray& Result, bool Resolve, TLeanNodeState State, std::size_t Capacity,
                       bool GrowByTenth);
    void UpdateFocusedColumnForSelection();
    int MaxColumnWidthWalk(TColumnIndex Column, bool UseSmartColumnWidth);
    void SetRedraw(bool Value);
    void ApplySelectionOptionsChange(TLTSelectionOptions Old, TLTSelectionOptions New);
    void ApplyPaintOptionsChange(TLTPaintOptions Old, TLTPaintOptions New);
    void ApplyMiscOptionsChange(TLTMiscOptions Old, TLTMiscOptions New);
    void HandleNavigationKey(Word CharCode, TShiftState Shift);
    void HandleOtherKey(Word CharCode, TShiftState Shift);
    PLeanNode SearchWalk(PLeanNode Node, bool Forward);
};
