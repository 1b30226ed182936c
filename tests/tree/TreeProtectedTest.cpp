// The tree's protected steps that descendants may replace (drop mode and effect, the
// right-to-left shift, skipping a stream chunk, the canvas font hook), the editing calls with
// their delay and editor placement, and the published properties with their defaults.

#include "ScreenTestSupport.h"

#include "platform/base/Streams.h"
#include "platform/base/TypeInfo.h"
#include "support/TestDriver.h"

#include <cstdint>
#include <string>

namespace {

class TStepTree : public TLeanStringTree {
public:
    using TBaseLeanTree::ComputeDropMode;
    using TBaseLeanTree::DefaultDropEffect;
    using TBaseLeanTree::RightToLeftShift;
    using TBaseLeanTree::StartTimer;
    using TLeanStringTree::TLeanStringTree;
};

// An editor that records what the tree asks of it.
class TRecordingEditor : public ILTEditLink {
public:
    TRect Bounds{0, 0, 10, 10};
    int Begun = 0;
    bool BeginEdit() override {
        ++Begun;
        return true;
    }
    bool CancelEdit() override { return true; }
    bool EndEdit() override { return true; }
    bool PrepareEdit(TBaseLeanTree*, PLeanNode, TColumnIndex) override { return true; }
    TRect GetBounds() override { return Bounds; }
    void ProcessMessage(TMessage&) override {}
    void SetBounds(TRect R) override { Bounds = R; }
};

} // namespace

TEST(TreeProtected, DefaultDropEffectFollowsSourceAndKeys) {
    TStepTree Tree(nullptr), Other(nullptr);
    constexpr int Copy = DROPEFFECT_COPY, Move = DROPEFFECT_MOVE, Link = DROPEFFECT_LINK;
    struct TCase {
        TBaseLeanTree* Source;
        TShiftState Shift;
        int Allowed;
        int Expected;
    };
    const TCase Cases[] = {
        {&Tree, {}, Copy | Move, Move},
        {&Tree, {ssCtrl}, Copy | Move, Copy},
        {&Tree, {ssCtrl, ssShift}, Copy | Move | Link, Link},
        {&Tree, {ssCtrl, ssShift}, Copy | Move, Move}, // link not allowed: the source's choice stays
        {&Other, {}, Copy | Move, Copy},
        {nullptr, {}, Move, Move},
        {&Other, {ssShift}, Copy | Move, Move},
        {&Other, {ssAlt}, Copy | Link, Link},
        {&Other, {ssAlt, ssCtrl}, Copy | Link, Copy},
    };
    for (const TCase& C : Cases)
        EXPECT_EQ(Tree.DefaultDropEffect(C.Source, C.Shift, {0, 0}, C.Allowed), C.Expected)
            << "allowed " << C.Allowed << " source " << (C.Source == &Tree);
}

TEST(TreeProtected, ComputeDropModeByHitAndOptions) {
    TStepTree Tree(nullptr);
    PLeanNode Node = Tree.AddChild(nullptr);
    const TRect Row{0, 36, 200, 54};
    struct TCase {
        THitPositions Hit;
        bool ReportMode;
        bool DropMark;
        int Y;
        TDropMode Expected;
    };
    const TCase Cases[] = {
        {{hiOnItem, hiOnItemLabel}, false, true, 40, dmOnNode},
        {{hiOnItem, hiOnItemIndent}, false, true, 40, dmAbove},
        {{hiOnItem, hiOnItemIndent}, false, true, 45, dmBelow},
        {{hiOnItem, hiOnItemIndent}, false, false, 40, dmOnNode},
        {{hiOnItem, hiOnItemRight}, true, true, 40, dmNowhere}, // empty part of a row in report mode
        {{hiOnItem, hiOnNormalIcon}, true, true, 40, dmOnNode},
    };
    for (const TCase& C : Cases) {
        auto* Options = Tree.TreeOptions();
        TLTMiscOptions Misc = Options->MiscOptions();
        C.ReportMode ? Misc.Include(toReportMode) : Misc.Exclude(toReportMode);
        Options->SetMiscOptions(Misc);
        TLTPaintOptions Paint = Options->PaintOptions();
        C.DropMark ? Paint.Include(toShowDropmark) : Paint.Exclude(toShowDropmark);
        Options->SetPaintOptions(Paint);
        THitInfo Hit{Node, C.Hit, ColumnNone};
        TRect R = Row;
        EXPECT_EQ(Tree.ComputeDropMode({10, C.Y}, Hit, R), C.Expected) << C.Y << " report " << C.ReportMode;
        EXPECT_EQ(Hit.HitNode, C.Expected == dmNowhere ? nullptr : Node);
    }
}

TEST(TreeProtected, SkipNodeChunkNeedsAnAnchor) {
    TStepTree Tree(nullptr);
    TMemoryStream Stream;
    const std::uint32_t Chunks[] = {1, 4, 0xAAAAAAAA, 2, 4, 0};
    Stream.WriteBuffer(Chunks, sizeof(Chunks));
    Stream.SetPosition(0);
    Tree.SkipNodeChunk(&Stream);
    EXPECT_EQ(Stream.Position(), 12);
    try {
        Tree.SkipNodeChunk(&Stream);
        FAIL() << "a chunk that is not a node anchor is corrupt data";
    } catch (const ELeanTreeError& E) {
        EXPECT_EQ(E.HelpContext(), 2005);
        EXPECT_EQ(E.Message(), u"Stream data corrupt. A node's anchor chunk is missing.");
    }
}

TEST(TreeProtected, CanvasFontChangesAreSeenAndPassedOn) {
    TStepTree Tree(nullptr);
    TBitmap Bitmap(4, 4);
    TCanvas* Canvas = Bitmap.Canvas();
    int Passed = 0;
    Canvas->Font()->OnChange = [&](TObject*) { ++Passed; };
    Tree.HookCanvasFontChange(Canvas);
    EXPECT_FALSE(Tree.FontChanged());
    Canvas->Font()->SetSize(14);
    EXPECT_TRUE(Tree.FontChanged());
    EXPECT_EQ(Passed, 1);
    Tree.UnhookCanvasFontChange(Canvas);
    Tree.SetFontChanged(false);
    Canvas->Font()->SetSize(10);
    EXPECT_FALSE(Tree.FontChanged());
    EXPECT_EQ(Passed, 2);
}

TEST(TreeProtected, RightToLeftShiftLeavesRoomForTheScrollBar) {
    SCREEN_TEST();
    TLTManualTimers Clock;
    TForm Form(nullptr);
    auto* Tree = new TStepTree(&Form);
    Tree->SetParent(&Form);
    Tree->SetBounds(0, 0, 200, 100);
    Tree->SetTimerService(&Clock);
    Tree->Header()->Columns()->Add()->SetWidth(80);
    Tree->Header()->SetOptions(Tree->Header()->Options() + TLTHeaderOptions{hoVisible});
    Tree->HandleNeeded();
    const int Bar = GetSystemMetrics(SM_CXVSCROLL);
    const int HeaderWidth = Tree->HeaderRect().Width();
    // Short content: no bar; the shift is the header's width less the content.
    Tree->SetRootNodeCount(2);
    Tree->UpdateScrollBars(false);
    EXPECT_EQ(Tree->RightToLeftShift(false), HeaderWidth - 80);
    EXPECT_EQ(Tree->RightToLeftShift(true), HeaderWidth - 80);
    // Taller content shows the vertical bar.
    Tree->SetRootNodeCount(30);
    Tree->UpdateScrollBars(false);
    EXPECT_EQ(Tree->RightToLeftShift(false), HeaderWidth - 80);
    EXPECT_EQ(Tree->RightToLeftShift(true), HeaderWidth - 80 - Bar);
    // Without vertical bars in the options it never counts.
    Tree->ScrollBarOptions()->SetScrollBars(TScrollStyle::ssHorizontal);
    EXPECT_EQ(Tree->RightToLeftShift(true), HeaderWidth - 80);
}

TEST(TreeProtected, EditCallsStartAndEndEditsThroughTheEditor) {
    SCREEN_TEST();
    TLTManualTimers Clock;
    TForm Form(nullptr);
    auto* Tree = new TStepTree(&Form);
    Tree->SetParent(&Form);
    Tree->SetBounds(0, 0, 300, 120);
    Tree->SetTimerService(&Clock);
    for (int I = 0; I < 2; ++I)
        Tree->Header()->Columns()->Add()->SetWidth(120);
    Tree->Header()->SetOptions(Tree->Header()->Options() + TLTHeaderOptions{hoVisible});
    Tree->SetRootNodeCount(3);
    Tree->HandleNeeded();
    auto Editor = std::make_shared<TRecordingEditor>();
    Tree->OnCreateEditor = [&](TBaseLeanTree*, PLeanNode, TColumnIndex, TLTEditLinkRef& Link) {
        Link = Editor;
    };
    PLeanNode Second = Tree->GetNext(Tree->GetFirst());

    // Not editable: refused.
    EXPECT_FALSE(Tree->EditNode(Second, 1));
    auto* Options = Tree->TreeOptions();
    Options->SetMiscOptions(Options->MiscOptions() + TLTMiscOptions{toEditable, toGridExtensions});
    // OnEditing may refuse.
    bool Allow = false;
    Tree->OnEditing = [&](TBaseLeanTree*, PLeanNode, TColumnIndex, bool& Allowed) { Allowed = Allow; };
    EXPECT_FALSE(Tree->EditNode(Second, 1));
    Allow = true;
    EXPECT_TRUE(Tree->EditNode(Second, 1));
    EXPECT_EQ(Tree->FocusedNode(), Second);
    EXPECT_EQ(Editor->Begun, 1);
    // A left-aligned cell's editor runs to the column's right edge.
    int Left = 0, Right = 0;
    Tree->Header()->ColumnBounds(1, Left, Right);
    EXPECT_EQ(Editor->Bounds.Right, Right);
    EXPECT_TRUE(Tree->EndEditNode());
    EXPECT_FALSE(Tree->TreeStates().Contains(tsEditing));

    // Right-aligned text: the editor starts at the column's left edge.
    Tree->Header()->Columns()->Items(1)->SetAlignment(taRightJustify);
    Editor->Bounds = {0, 0, 10, 10};
    EXPECT_TRUE(Tree->EditNode(Second, 1));
    EXPECT_EQ(Editor->Bounds.Left, Left);
    EXPECT_TRUE(Tree->CancelEditNode());
    EXPECT_FALSE(Tree->TreeStates().Contains(tsEditing));

    // The expiry of the edit timer (timer 2) starts the edit of the focused cell.
    Tree->Perform(WM_TIMER, EditTimer, 0);
    EXPECT_TRUE(Tree->TreeStates().Contains(tsEditing));
    EXPECT_EQ(Editor->Begun, 3);
    EXPECT_TRUE(Tree->EndEditNode());
}

TEST(TreeProtected, IncrementalSearchOffEndsTheSearch) {
    SCREEN_TEST();
    TLTManualTimers Clock;
    TForm Form(nullptr);
    auto* Tree = new TStepTree(&Form);
    Tree->SetParent(&Form);
    Tree->SetTimerService(&Clock);
    Tree->SetRootNodeCount(3);
    Tree->OnGetText = [](TBaseLeanTree*, PLeanNode, TColumnIndex, TVSTTextType, String& Text) {
        Text = u"row";
    };
    Tree->HandleNeeded();
    Tree->SetIncrementalSearch(isAll);
    KeyMessages(Tree, 'R');
    ASSERT_EQ(Tree->SearchBuffer(), u"r");
    ASSERT_TRUE(Clock.IsRunning(Tree, SearchTimer));
    Tree->SetIncrementalSearch(isNone);
    EXPECT_EQ(Tree->SearchBuffer(), u"");
    EXPECT_FALSE(Clock.IsRunning(Tree, SearchTimer));
}

TEST(TreePublished, PropertiesKeepTheirDefaultsOutOfTheForm) {
    struct TCase {
        const char16_t* Name;
        Int64 Default;
        Int64 Other;
    };
    const TCase Ordinals[] = {
        {u"AnimationDuration", 200, 0},
        {u"AutoExpandDelay", 1000, 300},
        {u"AutoScrollDelay", 1000, 50},
        {u"AutoScrollInterval", 1, 20},
        {u"BackgroundOffsetX", 0, 5},
        {u"BackgroundOffsetY", 0, -5},
        {u"BottomSpace", 0, 12},
        {u"ChangeDelay", 0, 100},
        {u"DefaultNodeHeight", 18, 24},
        {u"DragHeight", 350, 100},
        {u"DragWidth", 200, 100},
        {u"EditDelay", 1000, 10},
        {u"HotCursor", crDefault, -21},
        {u"IncrementalSearchTimeout", 1000, 2000},
        {u"Indent", 18, 12},
        {u"Margin", 4, 2},
        {u"NodeDataSize", -1, 4},
        {u"RootNodeCount", 0, 3},
        {u"SelectionBlendFactor", 128, 64},
        {u"SelectionCurveRadius", 0, 3},
        {u"TextMargin", 4, 1},
        {u"WantTabs", 0, 1},
    };
    for (const TCase& C : Ordinals) {
        TLeanStringTree Tree(nullptr);
        const std::string Name(C.Name, C.Name + std::char_traits<char16_t>::length(C.Name));
        ASSERT_TRUE(IsPublishedProp(&Tree, C.Name)) << Name;
        // A new tree has the declared default, which the form writer leaves out.
        EXPECT_EQ(GetOrdProp(&Tree, C.Name), C.Default) << Name;
        EXPECT_EQ(GetPropInfo(&Tree, C.Name)->Default, C.Default) << Name;
        SetOrdProp(&Tree, C.Name, C.Other);
        EXPECT_EQ(GetOrdProp(&Tree, C.Name), C.Other) << Name;
    }

    struct TNamedCase {
        const char16_t* Name;
        const char16_t* Default;
        const char16_t* Other;
    };
    const TNamedCase Named[] = {
        {u"BiDiMode", u"bdLeftToRight", u"bdRightToLeft"},
        {u"ButtonFillMode", u"fmTreeColor", u"fmWindowColor"},
        {u"ButtonStyle", u"bsRectangle", u"bsTriangle"},
        {u"CheckImageKind", u"ckSystemDefault", u"ckFlat"},
        {u"DefaultPasteMode", u"amAddChildLast", u"amInsertBefore"},
        {u"DragImageKind", u"diComplete", u"diNoImage"},
        {u"DragType", u"dtOLE", u"dtVCL"},
        {u"DrawSelectionMode", u"smDottedRectangle", u"smBlendedRectangle"},
        {u"HintAnimation", u"hatSystemDefault", u"hatNone"},
        {u"HintMode", u"hmDefault", u"hmTooltip"},
        {u"IncrementalSearch", u"isNone", u"isAll"},
        {u"IncrementalSearchDirection", u"sdForward", u"sdBackward"},
        {u"IncrementalSearchStart", u"ssFocusedNode", u"ssLastHit"},
        {u"LineMode", u"lmNormal", u"lmBands"},
        {u"LineStyle", u"lsDotted", u"lsSolid"},
        {u"NodeAlignment", u"naProportional", u"naFromTop"},
    };
    for (const TNamedCase& C : Named) {
        TLeanStringTree Tree(nullptr);
        const std::string Name(C.Name, C.Name + std::char_traits<char16_t>::length(C.Name));
        EXPECT_EQ(GetEnumProp(&Tree, C.Name), C.Default) << Name;
        EXPECT_EQ(GetPropInfo(&Tree, C.Name)->Default, GetOrdProp(&Tree, C.Name)) << Name;
        SetEnumProp(&Tree, C.Name, C.Other);
        EXPECT_EQ(GetEnumProp(&Tree, C.Name), C.Other) << Name;
    }

    TLeanStringTree Tree(nullptr);
    EXPECT_EQ(GetSetProp(&Tree, u"DragOperations"), u"[doCopy,doMove]");
    EXPECT_EQ(GetPropInfo(&Tree, u"DragOperations")->Default, GetOrdProp(&Tree, u"DragOperations"));
    SetSetProp(&Tree, u"DragOperations", u"[doLink]");
    EXPECT_EQ(Tree.DragOperations(), TDragOperations{doLink});
    // A non-zero duration animates toggling; 0 stops it.
    SetOrdProp(&Tree, u"AnimationDuration", 0);
    EXPECT_FALSE(Tree.TreeOptions()->AnimationOptions().Contains(toAnimatedToggle));
    // The owned objects are published for the form to fill in.
    for (const char16_t* Name : {u"Background", u"ClipboardFormats", u"Colors", u"ScrollBarOptions",
                                 u"Images", u"StateImages", u"CustomCheckImages"})
        EXPECT_TRUE(IsPublishedProp(&Tree, Name))
            << std::string(Name, Name + std::char_traits<char16_t>::length(Name));
    EXPECT_EQ(GetObjectProp(&Tree, u"Colors"), Tree.Colors());
    EXPECT_EQ(GetObjectProp(&Tree, u"ScrollBarOptions"), Tree.ScrollBarOptions());
}

TEST(TreeProtected, ExpandTimerOpensTheDropTarget) {
    TLTManualTimers Clock;
    TStepTree Tree(nullptr);
    Tree.SetTimerService(&Clock);
    PLeanNode Parent = Tree.AddChild(nullptr);
    Tree.AddChild(Parent);
    PLeanNode Leaf = Tree.AddChild(nullptr);
    struct TCase {
        PLeanNode Target;
        bool Expanded;
    };
    for (const TCase& C : {TCase{nullptr, false}, TCase{Leaf, false}, TCase{Parent, true}}) {
        Tree.SetDropTargetNode(C.Target);
        Tree.Perform(WM_TIMER, ExpandTimer, 0);
        EXPECT_EQ(Tree.Expanded(Parent), C.Expanded);
    }
}

TEST(TreeProtected, ThemeTimerRecreatesTheWindowOnce) {
    SCREEN_TEST();
    TLTManualTimers Clock;
    TForm Form(nullptr);
    auto* Tree = new TStepTree(&Form);
    Tree->SetParent(&Form);
    Tree->SetTimerService(&Clock);
    Tree->HandleNeeded();
    const HWND Before = Tree->Handle();
    Tree->StartTimer(ThemeChangedTimer, 500);
    Clock.Advance(499);
    EXPECT_EQ(Tree->Handle(), Before);
    Clock.Advance(1);
    const HWND After = Tree->Handle();
    EXPECT_NE(After, Before);
    EXPECT_FALSE(Clock.IsRunning(Tree, ThemeChangedTimer));
    Clock.Advance(1000);
    EXPECT_EQ(Tree->Handle(), After);
}
