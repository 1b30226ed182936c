// What form definitions read and write of a string tree, its header and its columns.

#include "TreeTestSupport.h"

#include "platform/base/TypeInfo.h"
#include "tree/LeanStringTree.h"

TEST(Published, ColumnsStoreTheirTextAndHintUnderWideNames) {
    TLeanStringTree Tree(nullptr);
    TLeanTreeColumns* Columns = Tree.Header()->Columns();
    EXPECT_EQ(GetObjectProp(&Tree, u"Header"), Tree.Header());
    EXPECT_EQ(GetObjectProp(Tree.Header(), u"Columns"), Columns);
    TLeanTreeColumn* LineNr = Columns->Add();
    TLeanTreeColumn* Line = Columns->Add();
    SetStrProp(LineNr, u"WideText", u"LineNr");
    SetOrdProp(LineNr, u"Width", 60);
    SetStrProp(Line, u"WideText", u"Line");
    SetStrProp(Line, u"WideHint", u"The line's text");
    SetOrdProp(Line, u"Width", 200);
    EXPECT_EQ(LineNr->Text(), u"LineNr");
    EXPECT_EQ(LineNr->Width(), 60);
    EXPECT_EQ(Line->Hint(), u"The line's text");
    EXPECT_EQ(GetOrdProp(Line, u"Position"), 1);
    // Empty texts and parent colours are left out; the narrow names are not published.
    EXPECT_TRUE(IsStoredProp(Line, u"WideHint"));
    EXPECT_FALSE(IsStoredProp(LineNr, u"WideHint"));
    EXPECT_FALSE(IsStoredProp(LineNr, u"Color"));
    LineNr->SetOptions(LineNr->Options() - TLTColumnOptions{coParentColor});
    EXPECT_TRUE(IsStoredProp(LineNr, u"Color"));
    EXPECT_FALSE(IsPublishedProp(LineNr, u"Text"));
    EXPECT_FALSE(IsPublishedProp(LineNr, u"Hint"));

    // The collection copies through the header's property as a form reader sets it.
    TLeanStringTree Copy(nullptr);
    SetObjectProp(Copy.Header(), u"Columns", Columns);
    ASSERT_EQ(Copy.Header()->Columns()->Count(), 2);
    EXPECT_EQ(Copy.Header()->Columns()->Items(1)->Text(), u"Line");
    EXPECT_EQ(Copy.Header()->Columns()->Items(1)->Width(), 200);
}

TEST(Published, DefaultTextAndTheOldStringOptions) {
    TLeanStringTree Tree(nullptr);
    EXPECT_FALSE(IsStoredProp(&Tree, u"DefaultText"));
    EXPECT_FALSE(IsStoredProp(&Tree, u"WideDefaultText")) << "the usual text is not stored";
    SetStrProp(&Tree, u"WideDefaultText", u"Sketch");
    EXPECT_EQ(Tree.DefaultText(), u"Sketch");
    EXPECT_TRUE(IsStoredProp(&Tree, u"WideDefaultText"));
    EXPECT_FALSE(IsStoredProp(&Tree, u"DefaultText"));

    auto* Options = dynamic_cast<TCustomStringTreeOptions*>(Tree.TreeOptions());
    ASSERT_NE(Options, nullptr);
    struct TCase {
        const char16_t* Stored;
        TLTStringOptions Expected;
    };
    for (const TCase& C : {TCase{u"[soShowStaticText]", {toShowStaticText}},
                           TCase{u"[soSaveCaptions,soShowStaticText]", {toSaveCaptions, toShowStaticText}},
                           TCase{u"[]", {}}}) {
        Options->SetStringOptions({toSaveCaptions, toAutoAcceptEditChange});
        SetSetProp(&Tree, u"StringOptions", C.Stored);
        EXPECT_EQ(Options->StringOptions(), C.Expected) << int(C.Stored[1]);
    }
    EXPECT_FALSE(IsStoredProp(&Tree, u"StringOptions")) << "read, never written";
    EXPECT_THROW(SetSetProp(&Tree, u"StringOptions", u"[soUnknown]"), Exception);
}

TEST(Published, OldOptionSetFillsTheFiveSetsOfToday) {
    TLeanStringTree Tree(nullptr);
    TCustomLeanTreeOptions* Options = Tree.TreeOptions();
    // Which of today's sets each old name lands in, and nothing else.
    auto Sets = [&] {
        std::string S;
        S += Options->MiscOptions().Empty() ? "" : "misc ";
        S += Options->AnimationOptions().Empty() ? "" : "animation ";
        S += Options->AutoOptions().Empty() ? "" : "auto ";
        S += Options->SelectionOptions().Empty() ? "" : "selection ";
        S += Options->PaintOptions().Empty() ? "" : "paint ";
        return S;
    };
    const std::vector<std::pair<std::vector<const char*>, std::string>> Groups{
        {{"voAcceptOLEDrop", "voCheckSupport", "voEditable", "voGridExtensions", "voInitOnSave",
          "voToggleOnDblClick"},
         "misc "},
        {{"voAnimatedToggle"}, "animation "},
        {{"voAutoDropExpand", "voAutoExpand", "voAutoScroll", "voAutoSort", "voAutoSpanColumns",
          "voAutoTristateTracking"},
         "auto "},
        {{"voDisableDrawSelection", "voExtendedFocus", "voFullRowSelect", "voLevelSelectConstraint",
          "voMiddleClickSelect", "voMultiSelect", "voRightClickSelect", "voSiblingSelectConstraint"},
         "selection "},
        {{"voHideFocusRect", "voHideSelection", "voHotTrack", "voPopupMode", "voShowBackground",
          "voShowButtons", "voShowDropmark", "voShowHorzGridLines", "voShowRoot", "voShowTreeLines",
          "voShowVertGridLines"},
         "paint "},
    };
    for (const auto& [OldNames, Set] : Groups)
        for (const std::string Old : OldNames) {
            SetSetProp(&Tree, u"Options", u"[" + String(Old.begin(), Old.end()) + u"]");
            EXPECT_EQ(Sets(), Set) << Old;
        }

    SetSetProp(&Tree, u"Options", u"[voMultiSelect, voShowRoot, voSomethingNewer]");
    EXPECT_EQ(Options->SelectionOptions(), TLTSelectionOptions{toMultiSelect});
    EXPECT_EQ(Options->PaintOptions(), TLTPaintOptions{toShowRoot});
    EXPECT_TRUE(Options->MiscOptions().Empty());
    EXPECT_TRUE(Options->AutoOptions().Empty());
    EXPECT_TRUE(Options->AnimationOptions().Empty());
    EXPECT_FALSE(IsStoredProp(&Tree, u"Options")) << "read, never written";
}
