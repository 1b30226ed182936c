#pragma once
// The dialog that edits one key binding of the editor control: a command and up to two keys.

#include "editor/CodeEditCommands.h"
#include "editor/HotKey.h"

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TCodeEditKeystrokeEditorForm : public TForm {
    DECLARE_CLASS(TCodeEditKeystrokeEditorForm, TForm)
public:
    explicit TCodeEditKeystrokeEditorForm(TComponent* AOwner);

    TPanel* pnlAlign = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label4 = nullptr;
    TComboBox* cmbCommand = nullptr;
    TCodeHotKey* hkKeystroke = nullptr;
    TCodeHotKey* hkKeystroke2 = nullptr;
    TButton* bntClearKey = nullptr;
    TButton* btnOK = nullptr;
    TButton* btnCancel = nullptr;

    // The entry equal to the combo's text; without one the text read as an identifier, else as
    // a decimal number, else 0.
    TCodeEditorCommand Command() const;
    void SetCommand(TCodeEditorCommand Value);
    TShortCut Keystroke() const { return hkKeystroke->HotKey(); }
    void SetKeystroke(TShortCut Value) { hkKeystroke->SetHotKey(Value); }
    TShortCut Keystroke2() const { return hkKeystroke2->HotKey(); }
    void SetKeystroke2(TShortCut Value) { hkKeystroke2->SetHotKey(Value); }
    // Commands by their display names ("Select Word Left") instead of their identifiers.
    bool ExtendedString() const { return FExtended; }
    void SetExtendedString(bool Value) { FExtended = Value; }

protected:
    void DoShow() override;

private:
    bool FExtended = false;

    void FillCommands();
    // The typed character completes the text before the caret to the first entry it begins.
    void CommandKeyPress(Char& Key);
    void CommandExit();
    void OKClick();
};
