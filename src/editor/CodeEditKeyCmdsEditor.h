#pragma once
// The dialog that lists the editor control's key bindings, with adding, editing, deleting,
// clearing and the defaults again. It works on a copy: its user reads Keystrokes back after OK.

#include "editor/CodeEditKeyCmds.h"

#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TCodeEditKeystrokesEditorForm : public TForm {
    DECLARE_CLASS(TCodeEditKeystrokesEditorForm, TForm)
public:
    explicit TCodeEditKeystrokesEditorForm(TComponent* AOwner);
    ~TCodeEditKeystrokesEditorForm() override;

    TPanel* pnlBottom = nullptr;
    TPanel* pnlCommands = nullptr;
    TListView* KeyCmdList = nullptr;
    TButton* btnAdd = nullptr;
    TButton* btnEdit = nullptr;
    TButton* btnDelete = nullptr;
    TButton* btnClear = nullptr;
    TButton* btnReset = nullptr;
    TButton* btnOK = nullptr;
    TButton* btnCancel = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;

    // The form's own copy (made on first use); writing copies Value into it and refills the list.
    TCodeEditKeyStrokes* Keystrokes();
    void SetKeystrokes(TCodeEditKeyStrokes* Value);
    bool ExtendedString() const { return FExtended; }
    void SetExtendedString(bool Value) { FExtended = Value; }

    void AddClick();
    void EditClick();
    void DeleteClick();
    void ClearClick();
    void ResetClick();

protected:
    void Resize() override;

private:
    std::unique_ptr<TCodeEditKeyStrokes> FKeystrokes;
    bool FExtended = false;

    String CommandText(TCodeEditorCommand Command) const;
    void FillList();
    void ShowRow(TListItem* Item, TCodeEditKeyStroke* Stroke);
    void ListClick();
};
