// The clipboard formats a tree offers.

#include "tree/BaseLeanTree.h"

void TBaseLeanTree::DoGetUserClipboardFormats(std::vector<TClipboardFormat>& Formats) {
    if (OnGetUserClipboardFormats) OnGetUserClipboardFormats(this, Formats);
}

void TBaseLeanTree::TreeClipboardFormats(std::vector<TClipboardFormat>& Formats) {
    const std::vector<TClipboardFormat> Registered =
        GlobalFormatList().EnumerateFormats(ClassType(), ClipboardFormats());
    Formats.insert(Formats.end(), Registered.begin(), Registered.end());
    DoGetUserClipboardFormats(Formats);
}
