#pragma once
// The search and replace dialogs of the editor tabs, with their histories of earlier texts, and
// the question about replacing one occurrence.

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TTextSearchDialog : public TForm {
    DECLARE_CLASS(TTextSearchDialog, TForm)
public:
    explicit TTextSearchDialog(TComponent* AOwner);

    TLabel* Label1 = nullptr;
    TComboBox* cbSearchText = nullptr;
    TGroupBox* gbSearchOptions = nullptr;
    TCheckBox* cbSearchCaseSensitive = nullptr;
    TCheckBox* cbSearchWholeWords = nullptr;
    TCheckBox* cbSearchFromCursor = nullptr;
    TCheckBox* cbSearchSelectedOnly = nullptr;
    TCheckBox* cbRegularExpression = nullptr;
    TRadioGroup* rgSearchDirection = nullptr;
    TButton* btnOK = nullptr;
    TButton* btnCancel = nullptr;

    String SearchText() const;
    void SetSearchText(const String& Value);
    // The history as lines; reading gives at most the first 10.
    String SearchTextHistory() const;
    void SetSearchTextHistory(const String& Value);
    bool SearchBackwards() const;
    void SetSearchBackwards(bool Value);
    bool SearchCaseSensitive() const { return cbSearchCaseSensitive->Checked(); }
    void SetSearchCaseSensitive(bool Value) { cbSearchCaseSensitive->SetChecked(Value); }
    bool SearchWholeWords() const { return cbSearchWholeWords->Checked(); }
    void SetSearchWholeWords(bool Value) { cbSearchWholeWords->SetChecked(Value); }
    bool SearchFromCursor() const { return cbSearchFromCursor->Checked(); }
    void SetSearchFromCursor(bool Value) { cbSearchFromCursor->SetChecked(Value); }
    bool SearchInSelectionOnly() const { return cbSearchSelectedOnly->Checked(); }
    void SetSearchInSelectionOnly(bool Value) { cbSearchSelectedOnly->SetChecked(Value); }
    bool SearchRegularExpression() const { return cbRegularExpression->Checked(); }
    void SetSearchRegularExpression(bool Value) { cbRegularExpression->SetChecked(Value); }

protected:
    // On closing with OK: the texts move to the top of their histories.
    virtual void UpdateHistories();
    // The text goes first in the combo box's list (an equal entry, by any case, leaves its place).
    static void AddToHistory(TComboBox* Combo);
    static String HistoryOf(const TComboBox* Combo);
};

class TTextReplaceDialog : public TTextSearchDialog {
    DECLARE_CLASS(TTextReplaceDialog, TTextSearchDialog)
public:
    explicit TTextReplaceDialog(TComponent* AOwner);

    TLabel* Label2 = nullptr;
    TComboBox* cbReplaceText = nullptr;

    String ReplaceText() const;
    void SetReplaceText(const String& Value);
    String ReplaceTextHistory() const;
    void SetReplaceTextHistory(const String& Value);

protected:
    void UpdateHistories() override;
};

class TConfirmReplaceDialog : public TForm {
    DECLARE_CLASS(TConfirmReplaceDialog, TForm)
public:
    explicit TConfirmReplaceDialog(TComponent* AOwner);
    ~TConfirmReplaceDialog() override;

    TImage* Image1 = nullptr;
    TLabel* lblConfirmation = nullptr;
    TButton* btnReplace = nullptr;
    TButton* btnSkip = nullptr;
    TButton* btnCancel = nullptr;
    TButton* btnReplaceAll = nullptr;

    // The question for AReplaceText, placed beside the found text (Y1..Y2 on the screen) within
    // the editor's screen rectangle.
    void PrepareShow(const TRect& AEditorRect, int X, int Y1, int Y2, const String& AReplaceText);
};

extern TConfirmReplaceDialog* ConfirmReplaceDialog;
