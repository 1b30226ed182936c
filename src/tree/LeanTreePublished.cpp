// What form definitions store of the string tree, its header and its columns.

#include "tree/LeanStringTree.h"

namespace {

constexpr TLTColumnOptions StoredColumnDefaults{coAllowClick,     coDraggable,   coEnabled,
                                                coParentBidiMode, coParentColor, coResizable,
                                                coShowDropMark,   coVisible,     coAllowFocus};

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
    P.Property(u"Header", &C::Header, [](C* Tree, TLTHeader* Value) { Tree->Header()->Assign(Value); });
    P.Property(u"TreeOptions", &C::TreeOptions,
               [](C* Tree, TCustomLeanTreeOptions* Value) { Tree->TreeOptions()->Assign(Value); });
    // The text is stored as WideDefaultText, and only when it is not the usual one.
    P.Property(u"DefaultText", &C::DefaultText, &C::SetDefaultText).Stored(false);
    P.Property(u"WideDefaultText", &C::DefaultText, &C::SetDefaultText).Stored([](C* Tree) {
        return Tree->DefaultText() != u"Node";
    });
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
