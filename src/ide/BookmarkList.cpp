#include "ide/BookmarkList.h"

#include "ide/Main.h"

#include "platform/base/Format.h"
#include "platform/base/Strings.h"
#include "platform/gui/Messages.h"

TfrmBookmarkList::TfrmBookmarkList(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"frmBookmarkList");
        SetCaption(u"Bookmarks");
        SetBorderIcons({biSystemMenu});
        SetFormStyle(fsStayOnTop);
        SetKeyPreview(true);
        SetPosition(poMainFormCenter);
        SetClientWidth(418);
        SetClientHeight(272);
        Font()->SetName(u"Tahoma");
        Font()->SetSize(8);
        lstBookmarks = new TListBox(this);
        lstBookmarks->SetName(u"lstBookmarks");
        lstBookmarks->SetParent(this);
        lstBookmarks->SetAlign(alTop);
        lstBookmarks->SetHeight(137);
        lstBookmarks->SetColor(RGB(240, 240, 240));
        lstBookmarks->SetHint(u"Double-click for Goto bookmark");
        lstBookmarks->SetShowHint(true);
        lstBookmarks->OnClick = [this](TObject*) { lstBookmarksClick(); };
        lstBookmarks->OnDblClick = [this](TObject*) { SetModalResult(mrOk); };
        spl1 = new TSplitter(this);
        spl1->SetName(u"spl1");
        spl1->SetParent(this);
        spl1->SetAlign(alTop);
        spl1->SetHeight(3);
        spl1->SetColor(clBlack);
        codeedtBM = new TCodeEdit(this);
        codeedtBM->SetName(u"codeedtBM");
        codeedtBM->SetParent(this);
        codeedtBM->SetAlign(alClient);
        codeedtBM->Constraints()->SetMinWidth(200);
        codeedtBM->Constraints()->SetMinHeight(100);
        codeedtBM->SetReadOnly(true);
        codeedtBM->SetTabStop(false);
        codeedtBM->Font()->SetName(u"Courier New");
        codeedtBM->Font()->SetSize(8);
        codeedtBM->SetColor(RGB(254, 253, 245));
        codeedtBM->SetActiveLineColor(RGB(255, 255, 128));
        codeedtBM->Gutter()->SetShowLineNumbers(true);
        codeedtBM->Gutter()->Font()->SetName(u"Courier New");
        codeedtBM->Gutter()->Font()->SetColor(clGreen);
        codeedtBM->Gutter()->SetBorderStyle(gbsRight);
        codeedtBM->BookMarkOptions()->SetEnableKeys(false);
        if (frmDM) codeedtBM->BookMarkOptions()->SetBookmarkImages(frmDM->imglstBookmarks);
        OnKeyDown = [this](TObject*, Word& Key, TShiftState) {
            if (Key == VK_ESCAPE) SetModalResult(mrCancel);
        };
    });
}

void TfrmBookmarkList::UpdateData(TStrings* slBookmarks, TCustomCodeEdit* CodeEdt) {
    FCodeEdt = CodeEdt;
    codeedtBM->Lines()->Assign(CodeEdt->Lines());
    codeedtBM->SetVisible(false);
    lstBookmarks->Items()->Clear();
    for (int I = 0; I < slBookmarks->Count(); ++I) {
        const String Entry = slBookmarks->Strings(I);
        const int Slash = Pos(u"/", Entry);
        if (Slash == 0) {
            lstBookmarks->Items()->AddObject(Entry, reinterpret_cast<TObject*>(std::intptr_t(0)));
            continue;
        }
        const int Number = StrToIntDef(Copy(Entry, 1, Slash - 1), 0);
        const int Open = Pos(u"[", Entry);
        const int Close = Pos(u"]", Entry);
        int Line = 0;
        String Text = Copy(Entry, Slash + 1, Length(Entry));
        if (Open > 0 && Close > Open) {
            Line = StrToIntDef(Copy(Entry, Open + 1, Close - Open - 1), 0);
            Text = Format(u"%d-> [%4d] ", {Number, Line}) + Copy(Entry, Close + 2, 1024);
            codeedtBM->SetBookMark(Number, 1, Line);
        }
        lstBookmarks->Items()->AddObject(Text, reinterpret_cast<TObject*>(std::intptr_t(Line)));
    }
    if (lstBookmarks->Items()->Count() == 0) {
        codeedtBM->SetEnabled(false);
    } else {
        lstBookmarks->SetItemIndex(0);
        lstBookmarksClick();
    }
}

int TfrmBookmarkList::SelectedBmLineNr() const {
    const int I = lstBookmarks->ItemIndex();
    if (I < 0) return -1;
    return static_cast<int>(reinterpret_cast<std::intptr_t>(lstBookmarks->Items()->Objects(I)));
}

void TfrmBookmarkList::lstBookmarksClick() {
    const int Line = SelectedBmLineNr();
    if (Line < 0) return;
    codeedtBM->SetVisible(true);
    codeedtBM->SetCaretXY({1, Line});
    codeedtBM->EnsureCursorPosVisibleEx(true, true);
}
