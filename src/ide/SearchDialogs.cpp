#include "ide/SearchDialogs.h"

#include "platform/base/Format.h"
#include "platform/base/Math.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Placing.h"

TTextSearchDialog::TTextSearchDialog(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"TextSearchDialog");
        SetCaption(u"Search Text");
        SetBorderStyle(Forms::bsDialog);
        SetClientWidth(332);
        SetClientHeight(180);
        Label1 = MakeControl<TLabel>(this, this, u"Label1", 8, 12, 80, 13);
        Label1->SetCaption(u"&Search for:");
        cbSearchText = MakeControl<TComboBox>(this, this, u"cbSearchText", 96, 8, 228, 21);
        gbSearchOptions = MakeControl<TGroupBox>(this, this, u"gbSearchOptions", 8, 40, 154, 127);
        gbSearchOptions->SetCaption(u"Options");
        int Top = 17;
        for (auto [Box, Name, Caption] :
             {std::tuple{&cbSearchCaseSensitive, u"cbSearchCaseSensitive", u"C&ase sensitivity"},
              std::tuple{&cbSearchWholeWords, u"cbSearchWholeWords", u"&Whole words only"},
              std::tuple{&cbSearchFromCursor, u"cbSearchFromCursor", u"Search from &caret"},
              std::tuple{&cbSearchSelectedOnly, u"cbSearchSelectedOnly", u"&Selected text only"},
              std::tuple{&cbRegularExpression, u"cbRegularExpression", u"&Regular expression"}}) {
            *Box = MakeControl<TCheckBox>(this, gbSearchOptions, Name, 8, Top, 140, 17);
            (*Box)->SetCaption(Caption);
            Top += 21;
        }
        rgSearchDirection = MakeControl<TRadioGroup>(this, this, u"rgSearchDirection", 170, 40, 154, 65);
        rgSearchDirection->SetCaption(u"Direction");
        rgSearchDirection->Items()->Add(u"&Forward");
        rgSearchDirection->Items()->Add(u"&Backward");
        rgSearchDirection->SetItemIndex(0);
        btnOK = MakeControl<TButton>(this, this, u"btnOK", 170, 148, 75, 23);
        btnOK->SetCaption(u"OK");
        btnOK->SetDefault(true);
        btnOK->SetModalResult(mrOk);
        btnCancel = MakeControl<TButton>(this, this, u"btnCancel", 249, 148, 75, 23);
        btnCancel->SetCaption(u"Cancel");
        btnCancel->SetCancel(true);
        btnCancel->SetModalResult(mrCancel);
        OnCloseQuery = [this](TObject*, bool&) {
            if (ModalResult() == mrOk) UpdateHistories();
        };
    });
}

String TTextSearchDialog::SearchText() const {
    return cbSearchText->Text();
}

void TTextSearchDialog::SetSearchText(const String& Value) {
    cbSearchText->SetText(Value);
}

String TTextSearchDialog::HistoryOf(const TComboBox* Combo) {
    String Result;
    TStrings* Items = Combo->Items();
    for (int I = 0; I < Items->Count() && I < 10; ++I) {
        if (I > 0) Result += u"\r\n";
        Result += Items->Strings(I);
    }
    return Result;
}

String TTextSearchDialog::SearchTextHistory() const {
    return HistoryOf(cbSearchText);
}

void TTextSearchDialog::SetSearchTextHistory(const String& Value) {
    cbSearchText->Items()->SetText(Value);
}

bool TTextSearchDialog::SearchBackwards() const {
    return rgSearchDirection->ItemIndex() == 1;
}

void TTextSearchDialog::SetSearchBackwards(bool Value) {
    rgSearchDirection->SetItemIndex(Value ? 1 : 0);
}

void TTextSearchDialog::AddToHistory(TComboBox* Combo) {
    const String S = Combo->Text();
    if (S.empty()) return;
    TStrings* Items = Combo->Items();
    const int I = Items->IndexOf(S);
    if (I < 0) {
        Items->Insert(0, S);
    } else {
        Items->Delete(I);
        Items->Insert(0, S);
        Combo->SetText(S);
    }
}

void TTextSearchDialog::UpdateHistories() {
    AddToHistory(cbSearchText);
}

TTextReplaceDialog::TTextReplaceDialog(TComponent* AOwner) : TTextSearchDialog(AOwner) {
    BuildForm([this] {
        SetName(u"TextReplaceDialog");
        SetCaption(u"Replace text");
        SetClientHeight(210);
        Label2 = MakeControl<TLabel>(this, this, u"Label2", 8, 41, 80, 13);
        Label2->SetCaption(u"&Replace with:");
        cbReplaceText = MakeControl<TComboBox>(this, this, u"cbReplaceText", 96, 37, 228, 21);
        for (TControl* C : std::initializer_list<TControl*>{gbSearchOptions, rgSearchDirection, btnOK, btnCancel})
            C->SetTop(C->Top() + 30);
    });
}

String TTextReplaceDialog::ReplaceText() const {
    return cbReplaceText->Text();
}

void TTextReplaceDialog::SetReplaceText(const String& Value) {
    cbReplaceText->SetText(Value);
}

String TTextReplaceDialog::ReplaceTextHistory() const {
    return HistoryOf(cbReplaceText);
}

void TTextReplaceDialog::SetReplaceTextHistory(const String& Value) {
    cbReplaceText->Items()->SetText(Value);
}

void TTextReplaceDialog::UpdateHistories() {
    TTextSearchDialog::UpdateHistories();
    AddToHistory(cbReplaceText);
}

TConfirmReplaceDialog::TConfirmReplaceDialog(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"ConfirmReplaceDialog");
        SetCaption(u"Confirm replace");
        SetBorderStyle(Forms::bsDialog);
        SetClientWidth(328);
        SetClientHeight(98);
        Image1 = MakeControl<TImage>(this, this, u"Image1", 16, 16, 32, 32);
        Image1->Picture()->Icon()->LoadStandardIcon(IDI_QUESTION);
        lblConfirmation = MakeControl<TLabel>(this, this, u"lblConfirmation", 60, 12, 261, 44);
        lblConfirmation->SetWordWrap(true);
        lblConfirmation->SetAutoSize(false);
        auto Button = [this](TButton*& B, const String& Name, const String& Caption, int Left, TModalResult R) {
            B = MakeControl<TButton>(this, this, Name, Left, 67, 75, 23);
            B->SetCaption(Caption);
            B->SetModalResult(R);
        };
        Button(btnReplace, u"btnReplace", u"&Yes", 8, mrYes);
        btnReplace->SetDefault(true);
        Button(btnSkip, u"btnSkip", u"&No", 87, mrNo);
        Button(btnCancel, u"btnCancel", u"Cancel", 166, mrCancel);
        btnCancel->SetCancel(true);
        Button(btnReplaceAll, u"btnReplaceAll", u"Yes to &all", 245, mrYesToAll);
    });
}

TConfirmReplaceDialog::~TConfirmReplaceDialog() {
    if (ConfirmReplaceDialog == this) ConfirmReplaceDialog = nullptr;
}

void TConfirmReplaceDialog::PrepareShow(const TRect& AEditorRect, int X, int Y1, int Y2, const String& AReplaceText) {
    lblConfirmation->SetCaption(Format(u"Replace this occurence of \"%s\"?", {AReplaceText}));
    const int W = AEditorRect.Right - AEditorRect.Left;
    const int H = AEditorRect.Bottom - AEditorRect.Top;
    if (W <= Width()) {
        X = AEditorRect.Left - (Width() - W) / 2;
    } else if (X + Width() > AEditorRect.Right) {
        X = AEditorRect.Right - Width();
    }
    if (Y2 > AEditorRect.Top + Round(H * 2.0 / 3.0))
        Y1 = Y1 - Height() - 4;
    else
        Y1 = Y2 + 4;
    SetBounds(X, Y1, Width(), Height());
}
