// The formats a tree offers: its allowed registered ones, then what its handler adds.

#include "TreeTestSupport.h"

#include "tree/LeanStringTree.h"

namespace {

class TOfferingTree : public TLeanStringTree {
public:
    using TBaseLeanTree::TreeClipboardFormats;
    using TLeanStringTree::TLeanStringTree;
};

} // namespace

TEST(TreeClipboardFormats, TheHandlerAddsToTheAllowedFormats) {
    TOfferingTree Tree(nullptr);
    const TClipboardFormat Own = RegisterClipboardFormat(u"Sketch List");
    struct TCase {
        std::vector<String> Allowed;
        bool Handler;
        std::vector<TClipboardFormat> Expected;
    };
    const std::vector<TCase> Cases = {
        {{}, false, {}},
        {{}, true, {Own}},
        {{u"CSV", u"Rich Text Format"}, false, {RtfFormat, CsvFormat}},
        {{u"CSV"}, true, {CsvFormat, Own}},
    };
    for (const TCase& C : Cases) {
        Tree.ClipboardFormats()->Clear();
        for (const String& Name : C.Allowed)
            Tree.ClipboardFormats()->Add(Name);
        Tree.OnGetUserClipboardFormats = nullptr;
        if (C.Handler)
            Tree.OnGetUserClipboardFormats = [Own](TBaseLeanTree*, std::vector<TClipboardFormat>& Formats) {
                Formats.push_back(Own);
            };
        std::vector<TClipboardFormat> Formats;
        Tree.TreeClipboardFormats(Formats);
        EXPECT_EQ(Formats, C.Expected) << C.Allowed.size() << (C.Handler ? " with handler" : "");
    }
}
