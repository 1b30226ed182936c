// What form definitions store of the string tree, its header and its columns.

#include "tree/LeanStringTree.h"

namespace {

constexpr TLTColumnOptions StoredColumnDefaults{coAllowClick,     coDraggable,   coEnabled,
                                                coParentBidiMode, coParentColor, coResizable,
                                                coShowDropMark,   coVisible,     coAllowFocus};

// An old option's name in the set of today that has it.
template <class TOption> bool AddRenamed(TSet<TOption>& Set, const String& Name) {
    const int Value = GetEnumValue(TypeInfo<TOption>(), Name);
    if (Value < 0) return false;
    Set.Include(static_cast<TOption>(Value));
    return true;
}

// Older definitions held all options in one set: empty the five sets of today, then give each
// old name, "vo" turned into "to", to the set that knows it.
void ReadOldOptions(TBaseLeanTree* Tree, TOldLTOptions Value) {
    TCustomLeanTreeOptions* Options = Tree->TreeOptions();
    TLTAnimationOptions Animation;
    TLTAutoOptions Auto;
    TLTSelectionOptions Selection;
    TLTMiscOptions Misc;
    TLTPaintOptions Paint;
    for (int I = 0; I <= static_cast<int>(voToggleOnDblClick); ++I) {
        if (!Value.Contains(static_cast<TOldLTOption>(I))) continue;
        const String Name = u"to" + GetEnumName(TypeInfo<TOldLTOption>(), I).substr(2);
        AddRenamed(Misc, Name) || AddRenamed(Animation, Name) || AddRenamed(Auto, Name) ||
            AddRenamed(Selection, Name) || AddRenamed(Paint, Name);
    }
    Options->SetAnimationOptions(Animation);
    Options->SetAutoOptions(Auto);
    Options->SetSelectionOptions(Selection);
    Options->SetMiscOptions(Misc);
    Options->SetPaintOptions(Paint);
}

} // namespace

void TLeanTreeColumn::Published(TPublisher<TLeanTreeColumn>& P) {
    using C = TLeanTreeColumn;
    P.Property(u"Alignment", &C::Alignment, &C::SetAlignment).Default(taLeftJustify);
    P.Property(u"Color", &C::Color, &C::SetColor).As(ColorTypeInfo()).Stored([](C* Column) {
        return !Column->Options().Contains(coParentColor);
    });
    P.Property(u"MaxWidth", &C::MaxWidth, &C::SetMaxWidth).Default(10000);
    P.Property(u"MinWidth", &C::MinWidth, &C::SetMinWidth).Default(10);
    P.Property(u"Options", &C::Options, &C::SetOptions).Default(StoredColumnDefaults);
    P.Property(u"Position", &C::Position, &C::SetPosition);
    P.Property(u"Width", &C::Width, &C::SetWidth).Default(50);
    // Caption and hint are stored under these names, and only when they say something.
    P.Property(u"WideText", &C::Text, &C::SetText).Stored([](C* Column) { return !Column->Text().empty(); });
    P.Property(u"WideHint", &C::Hint, &C::SetHint).Stored([](C* Column) { return !Column->Hint().empty(); });
}

void TLTHeader::Published(TPublisher<TLTHeader>& P) {
    using C = TLTHeader;
    P.Property(u"Columns", &C::Columns, &C::SetColumns);
    P.Property(u"Height", &C::Height, &C::SetHeight);
    P.Property(u"Options", &C::Options, &C::SetOptions);
}

void TLeanStringTree::Published(TPublisher<TLeanStringTree>& P) {
    using C = TLeanStringTree;
    P.Property(u"AnimationDuration", &C::AnimationDuration, &C::SetAnimationDuration).Default(200);
    P.Property(u"AutoExpandDelay", &C::AutoExpandDelay, &C::SetAutoExpandDelay).Default(1000);
    P.Property(u"AutoScrollDelay", &C::AutoScrollDelay, &C::SetAutoScrollDelay).Default(1000);
    P.Property(u"AutoScrollInterval", &C::AutoScrollInterval, &C::SetAutoScrollInterval).Default(1);
    P.Property(u"Background", &C::Background, &C::SetBackground);
    P.Property(u"BackgroundOffsetX", &C::BackgroundOffsetX, &C::SetBackgroundOffsetX).Default(0);
    P.Property(u"BackgroundOffsetY", &C::BackgroundOffsetY, &C::SetBackgroundOffsetY).Default(0);
    P.Property(u"BiDiMode", &C::BiDiMode, &C::SetBiDiMode).Default(bdLeftToRight);
    P.Property(u"BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(Controls::bsSingle);
    P.Property(u"BottomSpace", &C::BottomSpace, &C::SetBottomSpace).Default(0);
    P.Property(u"ButtonFillMode", &C::ButtonFillMode, &C::SetButtonFillMode).Default(fmTreeColor);
    P.Property(u"ButtonStyle", &C::ButtonStyle, &C::SetButtonStyle).Default(bsRectangle);
    P.Property(u"ChangeDelay", &C::ChangeDelay, &C::SetChangeDelay).Default(0);
    P.Property(u"CheckImageKind", &C::CheckImageKind, &C::SetCheckImageKind).Default(ckSystemDefault);
    P.Property(u"ClipboardFormats", &C::ClipboardFormats,
               [](C* Tree, TClipboardFormats* Value) { Tree->ClipboardFormats()->Assign(Value); });
    P.Property(u"Colors", &C::Colors, &C::SetColors);
    P.Property(u"CustomCheckImages", &C::CustomCheckImages, &C::SetCustomCheckImages);
    P.Property(u"DefaultNodeHeight", &C::DefaultNodeHeight, &C::SetDefaultNodeHeight).Default(18);
    P.Property(u"DefaultPasteMode", &C::DefaultPasteMode, &C::SetDefaultPasteMode).Default(amAddChildLast);
    P.Property(u"DragHeight", &C::DragHeight, &C::SetDragHeight).Default(350);
    P.Property(u"DragImageKind", &C::DragImageKind, &C::SetDragImageKind).Default(diComplete);
    P.Property(u"DragOperations", &C::DragOperations, &C::SetDragOperations)
        .Default(TDragOperations{doCopy, doMove});
    P.Property(u"DragType", &C::DragType, &C::SetDragType).Default(dtOLE);
    P.Property(u"DragWidth", &C::DragWidth, &C::SetDragWidth).Default(200);
    P.Property(u"DrawSelectionMode", &C::DrawSelectionMode, &C::SetDrawSelectionMode)
        .Default(smDottedRectangle);
    P.Property(u"EditDelay", &C::EditDelay, &C::SetEditDelay).Default(1000);
    P.Property(u"HintAnimation", &C::HintAnimation, &C::SetHintAnimation).Default(hatSystemDefault);
    P.Property(u"HintMode", &C::HintMode, &C::SetHintMode).Default(hmDefault);
    P.Property(u"HotCursor", &C::HotCursor, &C::SetHotCursor).Default(crDefault);
    P.Property(u"Images", &C::Images, &C::SetImages);
    P.Property(u"IncrementalSearch", &C::IncrementalSearch, &C::SetIncrementalSearch).Default(isNone);
    P.Property(u"IncrementalSearchDirection", &C::IncrementalSearchDirection,
               &C::SetIncrementalSearchDirection)
        .Default(sdForward);
    P.Property(u"IncrementalSearchStart", &C::IncrementalSearchStart, &C::SetIncrementalSearchStart)
        .Default(ssFocusedNode);
    P.Property(u"IncrementalSearchTimeout", &C::IncrementalSearchTimeout, &C::SetIncrementalSearchTimeout)
        .Default(1000);
    P.Property(u"Indent", &C::Indent, &C::SetIndent).Default(18);
    P.Property(u"LineMode", &C::LineMode, &C::SetLineMode).Default(lmNormal);
    P.Property(u"LineStyle", &C::LineStyle, &C::SetLineStyle).Default(lsDotted);
    P.Property(u"Margin", &C::Margin, &C::SetMargin).Default(4);
    P.Property(u"NodeAlignment", &C::NodeAlignment, &C::SetNodeAlignment).Default(naProportional);
    P.Property(u"NodeDataSize", &C::NodeDataSize, &C::SetNodeDataSize).Default(-1);
    P.Property(u"RootNodeCount", &C::RootNodeCount, &C::SetRootNodeCount).Default(0);
    P.Property(u"ScrollBarOptions", &C::ScrollBarOptions,
               [](C* Tree, TScrollBarOptions* Value) { Tree->ScrollBarOptions()->Assign(Value); });
    P.Property(u"SelectionBlendFactor", &C::SelectionBlendFactor, &C::SetSelectionBlendFactor).Default(128);
    P.Property(u"SelectionCurveRadius", &C::SelectionCurveRadius, &C::SetSelectionCurveRadius).Default(0);
    P.Property(u"StateImages", &C::StateImages, &C::SetStateImages);
    P.Property(u"TextMargin", &C::TextMargin, &C::SetTextMargin).Default(4);
    P.Property(u"WantTabs", &C::WantTabs, &C::SetWantTabs).Default(false);
    P.Property(u"Header", &C::Header, [](C* Tree, TLTHeader* Value) { Tree->Header()->Assign(Value); });
    P.Property(u"TreeOptions", &C::TreeOptions,
               [](C* Tree, TCustomLeanTreeOptions* Value) { Tree->TreeOptions()->Assign(Value); });
    // The text is stored as WideDefaultText, and only when it is not the usual one.
    P.Property(u"DefaultText", &C::DefaultText, &C::SetDefaultText).Stored(false);
    P.Property(u"WideDefaultText", &C::DefaultText, &C::SetDefaultText).Stored([](C* Tree) {
        return Tree->DefaultText() != u"Node";
    });
    // Older definitions kept every option in one set: read it, write nothing.
    P.Property(
         u"Options", [](C*) { return TOldLTOptions{}; }, [](C* Tree, TOldLTOptions Value) { ReadOldOptions(Tree, Value); })
        .Stored(false)
        .SkipUnknownElements();
    // Older definitions kept two of the string options here: read them, write nothing.
    P.Property(
         u"StringOptions", [](C*) { return TOldLTStringOptions{}; },
         [](C* Tree, TOldLTStringOptions Value) {
             auto* Options = dynamic_cast<TCustomStringTreeOptions*>(Tree->TreeOptions());
             if (!Options) return;
             TLTStringOptions New;
             if (Value.Contains(soSaveCaptions)) New.Include(toSaveCaptions);
             if (Value.Contains(soShowStaticText)) New.Include(toShowStaticText);
             Options->SetStringOptions(New);
         })
        .Stored(false);
}
