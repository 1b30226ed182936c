// One tree's settings copied into another: every setting through its setter, no nodes.

#include "TreeTestSupport.h"

#include "platform/base/Exceptions.h"
#include "platform/gui/Graphics.h"

namespace {

TEST(TreeAssign, SettingsAreCopiedAndNodesAreNot) {
    // Neither sorts on its own, which would initialise the new nodes.
    TPlainTree Source;
    Source.SetNodeDataSize(12);
    for (int I = 0; I < 3; ++I) {
        PLeanNode Node = Source.AddChild(nullptr);
        Source.ValidateNode(Node, false);
        Source.AddChild(Node);
    }
    Source.SetIndent(30);
    Source.SetDefaultNodeHeight(22);
    Source.SetHintMode(hmTooltip);
    Source.SetHintAnimation(hatFade);
    Source.SetEmptyListMessage(u"Nothing here");
    Source.SetMisc({toEditable});
    Source.Header()->Columns()->Add()->SetWidth(70);
    Source.Font()->SetSize(14);
    Source.SetBevelKind(bkFlat);
    Source.SetBevelInner(bvNone);
    Source.SetBevelOuter(bvRaised);
    Source.SetBevelWidth(3);
    Source.SetBevelEdges({beTop});
    Source.SetCtl3D(false);
    Source.SetHotCursor(crHandPoint);
    Source.SetAutoScrollDelay(250);

    TPlainTree Target;
    for (int I = 0; I < 5; ++I)
        Target.ValidateNode(Target.AddChild(nullptr), false);
    Target.Assign(&Source);

    EXPECT_EQ(Target.NodeDataSize(), 12);
    ASSERT_EQ(Target.RootNodeCount(), 3u);
    for (PLeanNode Node = Target.RootNode()->FirstChild; Node; Node = Node->NextSibling) {
        EXPECT_FALSE(Node->States.Contains(vsInitialized));
        EXPECT_EQ(Node->ChildCount, 0u);
    }
    EXPECT_EQ(Target.Indent(), 30u);
    EXPECT_EQ(Target.DefaultNodeHeight(), 22u);
    EXPECT_EQ(Target.HintMode(), hmTooltip);
    EXPECT_EQ(Target.HintAnimation(), hatFade);
    EXPECT_EQ(Target.EmptyListMessage(), u"Nothing here");
    EXPECT_TRUE(Target.TreeOptions()->MiscOptions().Contains(toEditable));
    ASSERT_EQ(Target.Header()->ColumnCount(), 1);
    EXPECT_EQ(Target.Header()->Columns()->Items(0)->Width(), 70);
    EXPECT_EQ(Target.Font()->Size(), 14);
    EXPECT_EQ(Target.BevelKind(), bkFlat);
    EXPECT_EQ(Target.BevelInner(), bvNone);
    EXPECT_EQ(Target.BevelOuter(), bvRaised);
    EXPECT_EQ(Target.BevelWidth(), 3);
    EXPECT_EQ(Target.BevelEdges(), TBevelEdges{beTop});
    EXPECT_FALSE(Target.Ctl3D());
    EXPECT_FALSE(Target.ParentCtl3D());
    EXPECT_EQ(Target.HotCursor(), crHandPoint);
    EXPECT_EQ(Target.AutoScrollDelay(), 250u);
    EXPECT_EQ(CheckTreeInvariants(Target), "");
    // The source keeps its nodes.
    EXPECT_EQ(Source.TotalCount(), 6u);
}

TEST(TreeAssign, WhatATreeCannotTakeIsRefused) {
    TTestTree Source;
    TFont Font;
    struct TCase {
        const char* Name;
        bool ReadOnly;
        TPersistent* From;
    };
    const TCase Cases[] = {
        {"a read-only tree", true, &Source},
        {"something that is no tree", false, &Font},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TTestTree Target;
        Target.SetIndent(11);
        if (C.ReadOnly) Target.SetMisc({toReadOnly});
        EXPECT_THROW(Target.Assign(C.From), EConvertError);
        EXPECT_EQ(Target.Indent(), 11u);
    }
}

} // namespace
