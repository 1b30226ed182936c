#include "editor/CodeEditKeyCmdEditor.h"

#include "platform/base/Strings.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Placing.h"
#include "platform/gui/Questions.h"

#include <cstdint>

namespace {

TObject* CommandObject(TCodeEditorCommand Value) {
    return reinterpret_cast<TObject*>(static_cast<std::intptr_t>(Value));
}

TCodeEditorCommand ObjectCommand(TObject* Object) {
    return static_cast<TCodeEditorCommand>(reinterpret_cast<std::intptr_t>(Object));
}

} // namespace

TCodeEditKeystrokeEditorForm::TCodeEditKeystrokeEditorForm(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"CodeEditKeystrokeEditorForm");
        SetCaption(u"Edit Keystroke");
        SetBorderStyle(Forms::bsDialog);
        SetPosition(poScreenCenter);
        SetClientWidth(269);
        SetClientHeight(129);
        pnlAlign = MakeControl<TPanel>(this, this, u"pnlAlign", 0, 0, 269, 94);
        pnlAlign->SetBevelOuter(bvRaised);
        pnlAlign->SetCaption(u"");
        Label1 = MakeControl<TLabel>(this, pnlAlign, u"Label1", 9, 14, 50, 13);
        Label1->SetCaption(u"Command:");
        Label2 = MakeControl<TLabel>(this, pnlAlign, u"Label2", 9, 41, 50, 13);
        Label2->SetCaption(u"Keystroke:");
        Label4 = MakeControl<TLabel>(this, pnlAlign, u"Label4", 9, 65, 50, 13);
        Label4->SetCaption(u"Keystroke:");
        cmbCommand = MakeControl<TComboBox>(this, pnlAlign, u"cmbCommand", 65, 10, 186, 21);
        cmbCommand->SetTabOrder(0);
        cmbCommand->OnKeyPress = [this](TObject*, Char& Key) { CommandKeyPress(Key); };
        cmbCommand->OnExit = [this](TObject*) { CommandExit(); };
        int Order = 1;
        for (auto [Field, Name, Top] : {std::tuple{&hkKeystroke, u"hkKeystroke", 38},
                                        std::tuple{&hkKeystroke2, u"hkKeystroke2", 62}}) {
            *Field = MakeControl<TCodeHotKey>(this, pnlAlign, Name, 65, Top, 186, 19);
            (*Field)->SetInvalidKeys({});
            (*Field)->SetModifiers({});
            (*Field)->SetHotKey(0); // after the rules, or an empty key would become Alt
            (*Field)->SetTabOrder(Order++);
        }
        bntClearKey = MakeControl<TButton>(this, this, u"bntClearKey", 7, 100, 75, 23);
        bntClearKey->SetCaption(u"Clear Key");
        bntClearKey->OnClick = [this](TObject*) {
            hkKeystroke->SetHotKey(0);
            hkKeystroke2->SetHotKey(0);
        };
        btnOK = MakeControl<TButton>(this, this, u"btnOK", 107, 100, 75, 23);
        btnOK->SetCaption(u"OK");
        btnOK->SetDefault(true);
        btnOK->OnClick = [this](TObject*) { OKClick(); };
        btnCancel = MakeControl<TButton>(this, this, u"btnCancel", 188, 100, 75, 23);
        btnCancel->SetCaption(u"Cancel");
        btnCancel->SetCancel(true);
        btnCancel->SetModalResult(mrCancel);
    });
}

void TCodeEditKeystrokeEditorForm::FillCommands() {
    TStrings* Items = cmbCommand->Items();
    Items->BeginUpdate();
    Items->Clear();
    int Position = 0;
    auto Add = [&](const String& Text) { Items->AddObject(Text, CommandObject(CommandValueAt(Position++))); };
    if (FExtended)
        ForEachCommandDisplayName(Add);
    else
        ForEachCommandIdent(Add);
    Items->EndUpdate();
    // Sorted display names keep the values they were added with.
    if (FExtended) cmbCommand->SetSorted(true);
}

void TCodeEditKeystrokeEditorForm::DoShow() {
    // The command set before showing survives the refill.
    const TCodeEditorCommand Current = Command();
    const String Text = cmbCommand->Text();
    FillCommands();
    if (!Text.empty() || Current != 0) SetCommand(Current);
    TForm::DoShow();
}

TCodeEditorCommand TCodeEditKeystrokeEditorForm::Command() const {
    const int I = cmbCommand->Items()->IndexOf(cmbCommand->Text());
    if (I >= 0) return ObjectCommand(cmbCommand->Items()->Objects(I));
    int Value = 0;
    if (CommandIdentToValue(cmbCommand->Text(), Value)) return static_cast<TCodeEditorCommand>(Value);
    return static_cast<TCodeEditorCommand>(StrToIntDef(cmbCommand->Text(), 0));
}

void TCodeEditKeystrokeEditorForm::SetCommand(TCodeEditorCommand Value) {
    if (cmbCommand->Items()->Count() == 0) FillCommands();
    String Text = CommandToText(Value);
    if (FExtended) Text = CommandIdentToDisplayName(Text);
    const int I = cmbCommand->Items()->IndexOf(Text);
    if (I >= 0)
        cmbCommand->SetItemIndex(I);
    else
        cmbCommand->SetText(Text);
}

void TCodeEditKeystrokeEditorForm::CommandKeyPress(Char& Key) {
    if (Key < u' ') return;
    const int Caret = cmbCommand->SelStart();
    const String Typed = UpperCase(Copy(cmbCommand->Text(), 1, Caret) + String(1, Key));
    TStrings* Items = cmbCommand->Items();
    for (int I = 0; I < Items->Count(); ++I) {
        if (UpperCase(Items->Strings(I)).rfind(Typed, 0) != 0) continue;
        cmbCommand->SetItemIndex(I);
        cmbCommand->SetSelStart(Caret + 1);
        cmbCommand->SetSelLength(static_cast<int>(Items->Strings(I).size()) - Caret - 1);
        Key = 0;
        return;
    }
}

void TCodeEditKeystrokeEditorForm::CommandExit() {
    const int I = cmbCommand->Items()->IndexOf(cmbCommand->Text());
    if (I >= 0) {
        cmbCommand->SetItemIndex(I);
        return;
    }
    const String None = FExtended ? CommandIdentToDisplayName(u"ecNone") : String(u"ecNone");
    cmbCommand->SetItemIndex(cmbCommand->Items()->IndexOf(None));
}

void TCodeEditKeystrokeEditorForm::OKClick() {
    if (Command() == 0) {
        MessageDlg(u"You must first select a command.", mtError, {mbOK}, 0);
        cmbCommand->SetFocus();
        cmbCommand->SelectAll();
        return;
    }
    if (hkKeystroke->HotKey() == 0) {
        MessageDlg(u"The command \"" + cmbCommand->Text() + u"\" needs to have at least one keystroke assigned to it.",
                   mtError, {mbOK}, 0);
        hkKeystroke->SetFocus();
        return;
    }
    SetModalResult(mrOk);
}
