#pragma once
// The list of an editor's bookmarks with a read-only preview of the source at the selected one.

#include "editor/CodeEdit.h"

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TfrmBookmarkList : public TForm {
    DECLARE_CLASS(TfrmBookmarkList, TForm)
public:
    explicit TfrmBookmarkList(TComponent* AOwner);

    TListBox* lstBookmarks = nullptr;
    TSplitter* spl1 = nullptr;
    TCodeEdit* codeedtBM = nullptr;

    // Entries "n/[line]:text", one per bookmark of CodeEdt.
    void UpdateData(TStrings* slBookmarks, TCustomCodeEdit* CodeEdt);
    // The line of the selected entry; -1 when none is selected.
    int SelectedBmLineNr() const;
    // What a click on an entry does: the preview shows its line in the middle.
    void lstBookmarksClick();

private:
    TCustomCodeEdit* FCodeEdt = nullptr;
};
