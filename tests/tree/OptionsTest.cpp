// The option sets: defaults, published names, copying, and what changing a set does to its tree.

#include "TreeTestSupport.h"

#include "platform/base/TypeInfo.h"

TEST(Options, DefaultsAsMasks) {
    TStringTreeOptions Options;
    EXPECT_EQ(Options.PaintOptions().ToInt(), 7008u);
    EXPECT_EQ(Options.AutoOptions().ToInt(), 1369u);
    EXPECT_EQ(Options.MiscOptions().ToInt(), 16809u);
    EXPECT_EQ(Options.SelectionOptions().ToInt(), 0u);
    EXPECT_EQ(Options.AnimationOptions().ToInt(), 0u);
    EXPECT_EQ(Options.StringOptions().ToInt(), 5u);
    EXPECT_EQ(Options.ExportMode(), emAll);
}

TEST(Options, PublishedByName) {
    TStringTreeOptions Options;
    EXPECT_EQ(GetSetProp(&Options, u"PaintOptions"),
              u"[toShowButtons,toShowDropmark,toShowRoot,toShowTreeLines,toThemeAware,toUseBlendedImages]");
    SetSetProp(&Options, u"SelectionOptions", u"[toMultiSelect, toFullRowSelect]");
    EXPECT_EQ(Options.SelectionOptions(), (TLTSelectionOptions{toMultiSelect, toFullRowSelect}));
    EXPECT_EQ(GetEnumProp(&Options, u"ExportMode"), u"emAll");
    EXPECT_FALSE(IsPublishedProp(TCustomLeanTreeOptions::StaticClass(), u"PaintOptions"));
    EXPECT_EQ(GetPropInfo(&Options, u"PaintOptions")->Default, 7008);
    EXPECT_EQ(GetPropInfo(&Options, u"MiscOptions")->Default, 16809);
}

TEST(Options, TheBaseTreeMakesItsOwnOptionsClass) {
    TTestTree Tree;
    EXPECT_EQ(Tree.TreeOptions()->ClassType(), TCustomLeanTreeOptions::StaticClass());
    EXPECT_EQ(Tree.TreeOptions()->Owner(), &Tree);
    struct TStringOptionsTree : TTestTree {
        TLeanTreeOptionsClass ChooseOptionsClass() override {
            return
                [](TBaseLeanTree* Owner) -> TCustomLeanTreeOptions* { return new TStringTreeOptions(Owner); };
        }
    } StringTree;
    EXPECT_EQ(StringTree.TreeOptions()->ClassType(), TStringTreeOptions::StaticClass());
}

TEST(Options, FixedIndentBringsTheRootIndent) {
    TTestTree Tree;
    Tree.SetPaint({}, {toShowRoot});
    Tree.SetPaint({toFixedIndent});
    EXPECT_TRUE(Tree.TreeOptions()->PaintOptions().Contains(toShowRoot));
    Tree.SetPaint({}, {toShowRoot});
    EXPECT_FALSE(Tree.TreeOptions()->PaintOptions().Contains(toShowRoot)) << "clearing it later is allowed";
    EXPECT_TRUE(Tree.TreeOptions()->PaintOptions().Contains(toFixedIndent));
}

TEST(Options, MultiSelectChangesClearTheSelection) {
    TTestTree Tree;
    Tree.SetRootNodeCount(3);
    PLeanNode First = Tree.RootNode()->FirstChild;
    Tree.SetNodeSelected(First, true);
    Tree.SetSelection({toMultiSelect});
    EXPECT_EQ(Tree.SelectedCount(), 0);
    Tree.SetNodeSelected(First, true);
    Tree.SetNodeSelected(First->NextSibling, true);
    Tree.TreeOptions()->SetSelectionOptions(Tree.TreeOptions()->SelectionOptions());
    EXPECT_EQ(Tree.SelectedCount(), 2) << "the same value does nothing";
    Tree.SetSelection({toLevelSelectConstraint});
    EXPECT_EQ(Tree.SelectedCount(), 0);
    EXPECT_INVARIANTS(Tree);
}

TEST(Options, ShowingFilteredNodesGivesThemTheirRows) {
    TTestTree Tree;
    Tree.SetAuto({}, {toAutoSort});
    Tree.OnInitNode = [](TBaseLeanTree*, PLeanNode, PLeanNode Node, TLeanNodeInitStates& States) {
        if (Node->Index % 2) States.Include(ivsFiltered);
    };
    auto Nodes = BuildTree(Tree, {"a", "b", "b/c", "d", "e"});
    Tree.ValidateNode(nullptr, true);
    Tree.ToggleNode(Nodes["b"]);
    EXPECT_EQ(Tree.VisibleCount(), 3u);
    EXPECT_INVARIANTS(Tree);
    Tree.SetPaint({toShowFilteredNodes});
    EXPECT_EQ(Tree.VisibleCount(), 5u);
    EXPECT_INVARIANTS(Tree);
    Tree.SetPaint({}, {toShowFilteredNodes});
    EXPECT_EQ(Tree.VisibleCount(), 3u);
    EXPECT_INVARIANTS(Tree);
}

TEST(Options, LoadingStoresOnly) {
    TTestTree Tree;
    Tree.SetComponentState(Tree.ComponentState() + TComponentState{csLoading});
    Tree.SetMisc({toCheckSupport}, {toAcceptOLEDrop});
    EXPECT_TRUE(Tree.TreeOptions()->MiscOptions().Contains(toCheckSupport));
    EXPECT_FALSE(Tree.HandleAllocated()) << "no window was made for it";
}

TEST(Options, AssignCopiesTheSetsButNotTheExportMode) {
    TTestTree Source, Dest;
    Source.TreeOptions()->SetPaintOptions({toHotTrack});
    Source.TreeOptions()->SetMiscOptions({toReadOnly});
    Source.TreeOptions()->SetSelectionOptions({toMultiSelect});
    Source.TreeOptions()->SetExportMode(emChecked);
    Dest.TreeOptions()->Assign(Source.TreeOptions());
    EXPECT_EQ(Dest.TreeOptions()->PaintOptions(), TLTPaintOptions{toHotTrack});
    EXPECT_EQ(Dest.TreeOptions()->MiscOptions(), TLTMiscOptions{toReadOnly});
    EXPECT_EQ(Dest.TreeOptions()->SelectionOptions(), TLTSelectionOptions{toMultiSelect});
    EXPECT_EQ(Dest.TreeOptions()->ExportMode(), emAll);

    TStringTreeOptions A, B;
    A.SetStringOptions({toShowStaticText});
    B.Assign(&A);
    EXPECT_EQ(B.StringOptions(), TLTStringOptions{toShowStaticText});
    TLTHeader NotOptions;
    EXPECT_THROW(B.Assign(&NotOptions), EConvertError);
}

TEST(Options, AnimationDurationSwitchesTheToggleAnimation) {
    TTestTree Tree;
    Tree.SetAnimationDuration(0);
    EXPECT_FALSE(Tree.TreeOptions()->AnimationOptions().Contains(toAnimatedToggle));
    Tree.SetAnimationDuration(150);
    EXPECT_TRUE(Tree.TreeOptions()->AnimationOptions().Contains(toAnimatedToggle));
}
