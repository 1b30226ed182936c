#pragma once
// The tree control's shared types: the node record and its states, the tree states, the option
// flags, the change reasons and the other small enumerations that the tree's operations and
// events speak in.

#include "platform/base/Exceptions.h"
#include "platform/base/Set.h"
#include "platform/base/TypeInfo.h"
#include "platform/base/Types.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <type_traits>
#include <vector>

class TBaseLeanTree;

// The tree's own run-time errors (stream format, initial user data); the help context tells
// which one.
DECLARE_EXCEPTION(ELeanTreeError, Exception)

// A set of enumeration values kept in an integer of the given width. Nodes are many, so their
// state set takes 16 bits instead of the 8 bytes of a TSet.
template <class E, class Bits> class TPackedSet {
    static_assert(std::is_enum_v<E> && std::is_unsigned_v<Bits>);

public:
    using Element = E;
    constexpr TPackedSet() = default;
    constexpr TPackedSet(std::initializer_list<E> Items) {
        for (E Item : Items)
            FBits |= Bit(Item);
    }

    constexpr bool Contains(E Value) const { return (FBits & Bit(Value)) != 0; }
    constexpr TPackedSet& Include(E Value) {
        FBits = Bits(FBits | Bit(Value));
        return *this;
    }
    constexpr TPackedSet& Exclude(E Value) {
        FBits = Bits(FBits & ~Bit(Value));
        return *this;
    }
    constexpr bool Empty() const { return FBits == 0; }
    // True when any member of Other is a member of this set.
    constexpr bool ContainsAny(const TPackedSet& Other) const { return (FBits & Other.FBits) != 0; }

    constexpr TPackedSet operator+(const TPackedSet& Other) const { return FromInt(FBits | Other.FBits); }
    constexpr TPackedSet operator-(const TPackedSet& Other) const { return FromInt(FBits & ~Other.FBits); }
    constexpr TPackedSet operator*(const TPackedSet& Other) const { return FromInt(FBits & Other.FBits); }
    constexpr TPackedSet& operator+=(const TPackedSet& Other) { return *this = *this + Other; }
    constexpr TPackedSet& operator-=(const TPackedSet& Other) { return *this = *this - Other; }
    constexpr TPackedSet& operator*=(const TPackedSet& Other) { return *this = *this * Other; }
    constexpr bool operator==(const TPackedSet& Other) const = default;
    // Subset.
    constexpr bool operator<=(const TPackedSet& Other) const { return (FBits & ~Other.FBits) == 0; }

    constexpr Bits ToInt() const { return FBits; }
    static constexpr TPackedSet FromInt(UInt64 Mask) {
        TPackedSet S;
        S.FBits = Bits(Mask);
        return S;
    }

private:
    Bits FBits = 0;
    static constexpr Bits Bit(E Value) { return Bits(Bits(1) << static_cast<int>(Value)); }
};

// ---- Node states ---------------------------------------------------------------------------

DECLARE_ENUM(TLeanNodeState, Byte, vsInitialized, vsChecking, vsCutOrCopy, vsDisabled, vsDeleting, vsExpanded,
             vsHasChildren, vsVisible, vsSelected, vsOnFreeNodeCallRequired, vsAllChildrenHidden, vsClearing,
             vsMultiline, vsHeightMeasured, vsToggling, vsFiltered)
using TLeanNodeStates = TPackedSet<TLeanNodeState, Word>;

// What OnInitNode may answer for a node.
DECLARE_ENUM(TLeanNodeInitState, Byte, ivsDisabled, ivsExpanded, ivsHasChildren, ivsMultiline, ivsSelected,
             ivsFiltered, ivsReInit)
using TLeanNodeInitStates = TSet<TLeanNodeInitState>;

DECLARE_ENUM(TCheckState, Byte, csUncheckedNormal, csUncheckedPressed, csCheckedNormal, csCheckedPressed,
             csMixedNormal, csMixedPressed)
DECLARE_ENUM(TCheckType, Byte, ctNone, ctTriStateCheckBox, ctCheckBox, ctRadioButton, ctButton)

// ---- The node record ------------------------------------------------------------------------

// One node: this fixed part, then the internal data areas of the tree class, then the user
// data area. A node is one zero-filled block that only the tree allocates and frees. The hidden
// root's sibling links point to the root itself and its Parent field holds the owning tree.
struct alignas(8) TLeanNode {
    Cardinal Index;      // position among the siblings, from 0
    Cardinal ChildCount; // children that exist
    Word NodeHeight;     // row height in pixels
    TLeanNodeStates States;
    Byte Align; // 0..100: where buttons, lines and images sit in the row
    TCheckState CheckState;
    TCheckType CheckType;
    Byte Dummy;
    Cardinal TotalCount;  // nodes in this subtree, this one included
    Cardinal TotalHeight; // pixels of this row and of the shown rows below it
    TLeanNode* Parent;
    TLeanNode* PrevSibling;
    TLeanNode* NextSibling;
    TLeanNode* FirstChild;
    TLeanNode* LastChild;

    // The variable part: internal data areas, then the user data.
    Byte* Data() { return reinterpret_cast<Byte*>(this + 1); }
};
using PLeanNode = TLeanNode*;
static_assert(sizeof(TLeanNode) == 64 && std::is_trivially_copyable_v<TLeanNode>);

using TNodeArray = std::vector<PLeanNode>;

// ---- Tree states ----------------------------------------------------------------------------

DECLARE_ENUM(TLeanTreeState, Byte, tsCancelHintAnimation, tsChangePending, tsCheckPropagation, tsCollapsing,
             tsToggleFocusedSelection, tsClearPending, tsClipboardFlushing, tsCopyPending, tsCutPending,
             tsDrawSelPending, tsDrawSelecting, tsEditing, tsEditPending, tsExpanding, tsNodeHeightTracking,
             tsNodeHeightTrackPending, tsHint, tsInAnimation, tsIncrementalSearching,
             tsIncrementalSearchPending, tsIterating, tsKeyCheckPending, tsLeftButtonDown, tsLeftDblClick,
             tsMouseCheckPending, tsMiddleButtonDown, tsMiddleDblClick, tsNeedRootCountUpdate, tsOLEDragging,
             tsOLEDragPending, tsPainting, tsRightButtonDown, tsRightDblClick, tsPopupMenuShown, tsScrolling,
             tsScrollPending, tsSizing, tsStopValidation, tsStructureChangePending, tsSynchMode,
             tsThumbTracking, tsToggling, tsUpdateHiddenChildrenNeeded, tsUpdating, tsUseCache,
             tsUserDragObject, tsUseThemes, tsValidating, tsValidationNeeded, tsVCLDragging, tsVCLDragPending,
             tsVCLDragFinished, tsWheelPanning, tsWheelScrolling, tsWindowCreating, tsUseExplorerTheme)
using TLeanTreeStates = TSet<TLeanTreeState>;

// Which nodes typing searches, which way, and where a search starts.
DECLARE_ENUM(TLTIncrementalSearch, Byte, isAll, isNone, isInitializedOnly, isVisibleOnly)
DECLARE_ENUM(TLTSearchDirection, Byte, sdForward, sdBackward)
DECLARE_ENUM(TLTSearchStart, Byte, ssAlwaysStartOver, ssLastHit, ssFocusedNode)

// ---- Option flags ---------------------------------------------------------------------------

DECLARE_ENUM(TLTPaintOption, Byte, toHideFocusRect, toHideSelection, toHotTrack, toPopupMode,
             toShowBackground, toShowButtons, toShowDropmark, toShowHorzGridLines, toShowRoot,
             toShowTreeLines, toShowVertGridLines, toThemeAware, toUseBlendedImages, toGhostedIfUnfocused,
             toFullVertGridLines, toAlwaysHideSelection, toUseBlendedSelection, toStaticBackground,
             toChildrenAbove, toFixedIndent, toUseExplorerTheme, toHideTreeLinesIfThemed, toShowFilteredNodes)
using TLTPaintOptions = TSet<TLTPaintOption>;

DECLARE_ENUM(TLTAnimationOption, Byte, toAnimatedToggle, toAdvancedAnimatedToggle)
using TLTAnimationOptions = TSet<TLTAnimationOption>;

DECLARE_ENUM(TLTAutoOption, Byte, toAutoDropExpand, toAutoExpand, toAutoScroll, toAutoScrollOnExpand,
             toAutoSort, toAutoSpanColumns, toAutoTristateTracking, toAutoHideButtons, toAutoDeleteMovedNodes,
             toDisableAutoscrollOnFocus, toAutoChangeScale, toAutoFreeOnCollapse, toDisableAutoscrollOnEdit,
             toAutoBidiColumnOrdering)
using TLTAutoOptions = TSet<TLTAutoOption>;

DECLARE_ENUM(TLTSelectionOption, Byte, toDisableDrawSelection, toExtendedFocus, toFullRowSelect,
             toLevelSelectConstraint, toMiddleClickSelect, toMultiSelect, toRightClickSelect,
             toSiblingSelectConstraint, toCenterScrollIntoView, toSimpleDrawSelection)
using TLTSelectionOptions = TSet<TLTSelectionOption>;

DECLARE_ENUM(TLTMiscOption, Byte, toAcceptOLEDrop, toCheckSupport, toEditable, toFullRepaintOnResize,
             toGridExtensions, toInitOnSave, toReportMode, toToggleOnDblClick, toWheelPanning, toReadOnly,
             toVariableNodeHeight, toFullRowDrag, toNodeHeightResize, toNodeHeightDblClickResize,
             toEditOnClick, toEditOnDblClick, toReverseFullExpandHotKey)
using TLTMiscOptions = TSet<TLTMiscOption>;

DECLARE_ENUM(TLTStringOption, Byte, toSaveCaptions, toShowStaticText, toAutoAcceptEditChange)
using TLTStringOptions = TSet<TLTStringOption>;
// The string options of older form definitions, read and never written.
DECLARE_ENUM(TOldLTStringOption, Byte, soSaveCaptions, soShowStaticText)
using TOldLTStringOptions = TSet<TOldLTStringOption>;
// The single option set of older form definitions; each name lives on with "to" for "vo".
DECLARE_ENUM(TOldLTOption, Byte, voAcceptOLEDrop, voAnimatedToggle, voAutoDropExpand, voAutoExpand, voAutoScroll,
             voAutoSort, voAutoSpanColumns, voAutoTristateTracking, voCheckSupport, voDisableDrawSelection,
             voEditable, voExtendedFocus, voFullRowSelect, voGridExtensions, voHideFocusRect, voHideSelection,
             voHotTrack, voInitOnSave, voLevelSelectConstraint, voMiddleClickSelect, voMultiSelect, voPopupMode,
             voRightClickSelect, voShowBackground, voShowButtons, voShowDropmark, voShowHorzGridLines, voShowRoot,
             voShowTreeLines, voShowVertGridLines, voSiblingSelectConstraint, voToggleOnDblClick)
using TOldLTOptions = TSet<TOldLTOption>;

DECLARE_ENUM(TLTExportMode, Byte, emAll, emChecked, emUnchecked)

// ---- Small enumerations of the operations and events ----------------------------------------

// Column index: -1 no column, -2 no column found.
using TColumnIndex = std::int32_t;
constexpr TColumnIndex ColumnNone = -1;
constexpr TColumnIndex ColumnNotFound = -2;

DECLARE_ENUM(TChangeReason, Byte, crIgnore, crAccumulated, crChildAdded, crChildDeleted, crNodeAdded,
             crNodeCopied, crNodeMoved)
DECLARE_ENUM(TLTNodeAttachMode, Byte, amNoWhere, amInsertBefore, amInsertAfter, amAddChildFirst,
             amAddChildLast)
DECLARE_ENUM(TSortDirection, Byte, sdAscending, sdDescending)
DECLARE_ENUM(TLTImageKind, Byte, ikNormal, ikSelected, ikState, ikOverlay)
DECLARE_ENUM(TLTCellPaintMode, Byte, cpmPaint, cpmGetContentMargin)
DECLARE_ENUM(TItemEraseAction, Byte, eaColor, eaDefault, eaNone)
DECLARE_ENUM(TLTOperationKind, Byte, okAutoFitColumns, okGetMaxColumnWidth, okSortNode, okSortTree)
DECLARE_ENUM(TLTUpdateState, Byte, usBegin, usBeginSynch, usSynch, usUpdate, usEnd, usEndSynch)
DECLARE_ENUM(TLTHintKind, Byte, vhkText, vhkOwnerDraw)
DECLARE_ENUM(TLTTooltipLineBreakStyle, Byte, hlbDefault, hlbForceSingleLine, hlbForceMultiLine)

DECLARE_ENUM(THitPosition, Byte, hiAbove, hiBelow, hiNowhere, hiOnItem, hiOnItemButton, hiOnItemButtonExact,
             hiOnItemCheckbox, hiOnItemIndent, hiOnItemLabel, hiOnItemLeft, hiOnItemRight, hiOnNormalIcon,
             hiOnStateIcon, hiToLeft, hiToRight, hiUpperSplitter, hiLowerSplitter)
using THitPositions = TSet<THitPosition>;

struct THitInfo {
    PLeanNode HitNode = nullptr;
    THitPositions HitPositions;
    TColumnIndex HitColumn = ColumnNone;
};

// The walks that the enumerations step through.
DECLARE_ENUM(TLZLeanNodeEnumerationMode, Byte, vneAll, vneChecked, vneChild, vneCutCopy, vneInitialized,
             vneLeaf, vneLevel, vneNoInit, vneSelected, vneVisible, vneVisibleChild, vneVisibleNoInitChild,
             vneVisibleNoInit)

// One entry of the position cache: a node and the top of its row in the tree.
struct TCacheEntry {
    PLeanNode Node = nullptr;
    Cardinal AbsoluteTop = 0;
};
using TCache = std::vector<TCacheEntry>;

// Timer ids on the tree window.
enum : unsigned {
    ExpandTimer = 1,
    EditTimer = 2,
    HeaderTimer = 3,
    ScrollTimer = 4,
    ChangeTimer = 5,
    StructureChangeTimer = 6,
    SearchTimer = 7,
    ThemeChangedTimer = 8,
    HintTimer = 9, // the pause before a hint shows
};
