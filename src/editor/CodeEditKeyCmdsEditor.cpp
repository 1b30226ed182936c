#include "editor/CodeEditKeyCmdsEditor.h"

#include "editor/CodeEditKeyCmdEditor.h"

#include "platform/base/Format.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Placing.h"
#include "platform/gui/Questions.h"

TCodeEditKeystrokesEditorForm::TCodeEditKeystrokesEditorForm(TComponent* AOwner) : TForm(AOwner) {
    BuildForm([this] {
        SetName(u"CodeEditKeystrokesEditorForm");
        SetCaption(u"Keystroke Editor");
        SetBorderStyle(Forms::bsSizeable);
        SetBorderIcons({biSystemMenu, biMaximize});
        SetPosition(poScreenCenter);
        SetClientWidth(382);
        SetClientHeight(319);
        Constraints()->SetMinWidth(300);
        Constraints()->SetMinHeight(225);
        pnlBottom = MakeControl<TPanel>(this, this, u"pnlBottom", 9, 4, 366, 308);
        pnlBottom->SetBevelOuter(bvNone);
        pnlBottom->SetCaption(u"");
        pnlCommands = MakeControl<TPanel>(this, pnlBottom, u"pnlCommands", 0, 0, 246, 244);
        pnlCommands->SetBevelOuter(bvNone);
        pnlCommands->SetCaption(u"");
        KeyCmdList = MakeControl<TListView>(this, pnlCommands, u"KeyCmdList", 0, 0, 246, 244);
        KeyCmdList->SetAlign(alClient);
        KeyCmdList->SetHideSelection(false);
        KeyCmdList->SetRowSelect(true);
        for (auto [Caption, Width] : {std::pair{u"Command", 117}, std::pair{u"Keystroke", 125}}) {
            TListColumn* C = KeyCmdList->Columns()->Add();
            C->SetCaption(Caption);
            C->SetWidth(Width);
        }
        KeyCmdList->OnClick = [this](TObject*) { ListClick(); };
        KeyCmdList->OnSelectItem = [this](TObject*, TListItem*, bool) { ListClick(); };
        KeyCmdList->OnDblClick = [this](TObject*) { EditClick(); };
        struct TButtonSpec {
            TButton** Field;
            const char16_t* Name;
            const char16_t* Caption;
            void (TCodeEditKeystrokesEditorForm::*Click)();
        };
        const TButtonSpec Specs[] = {
            {&btnAdd, u"btnAdd", u"&Add", &TCodeEditKeystrokesEditorForm::AddClick},
            {&btnEdit, u"btnEdit", u"&Edit", &TCodeEditKeystrokesEditorForm::EditClick},
            {&btnDelete, u"btnDelete", u"&Delete", &TCodeEditKeystrokesEditorForm::DeleteClick},
            {&btnClear, u"btnClear", u"C&lear List", &TCodeEditKeystrokesEditorForm::ClearClick},
            {&btnReset, u"btnReset", u"&Reset List", &TCodeEditKeystrokesEditorForm::ResetClick},
        };
        int Top = 0;
        for (const TButtonSpec& S : Specs) {
            *S.Field = MakeControl<TButton>(this, pnlBottom, S.Name, 260, Top, 75, 25);
            (*S.Field)->SetCaption(S.Caption);
            auto Click = S.Click;
            (*S.Field)->OnClick = [this, Click](TObject*) { (this->*Click)(); };
            Top += 32;
        }
        btnEdit->SetEnabled(false);
        btnDelete->SetEnabled(false);
        btnOK = MakeControl<TButton>(this, pnlBottom, u"btnOK", 260, 225, 75, 25);
        btnOK->SetCaption(u"&OK");
        btnOK->SetDefault(true);
        btnOK->SetModalResult(mrOk);
        btnCancel = MakeControl<TButton>(this, pnlBottom, u"btnCancel", 260, 257, 75, 25);
        btnCancel->SetCaption(u"&Cancel");
        btnCancel->SetCancel(true);
        btnCancel->SetModalResult(mrCancel);
        Label1 = MakeControl<TLabel>(this, pnlBottom, u"Label1", 0, 255, 240, 13);
        Label1->SetCaption(u"NOTE: To have multiple keystrokes do the same");
        Label2 = MakeControl<TLabel>(this, pnlBottom, u"Label2", 0, 271, 240, 13);
        Label2->SetCaption(u"command, assign the command multiple times.");
    });
    Resize();
}

TCodeEditKeystrokesEditorForm::~TCodeEditKeystrokesEditorForm() = default;

TCodeEditKeyStrokes* TCodeEditKeystrokesEditorForm::Keystrokes() {
    if (!FKeystrokes) FKeystrokes = std::make_unique<TCodeEditKeyStrokes>(this);
    return FKeystrokes.get();
}

void TCodeEditKeystrokesEditorForm::SetKeystrokes(TCodeEditKeyStrokes* Value) {
    Keystrokes()->Assign(Value);
    FillList();
}

void TCodeEditKeystrokesEditorForm::Resize() {
    TForm::Resize();
    if (!pnlBottom) return;
    const int W = ClientWidth(), H = ClientHeight();
    pnlBottom->SetBounds(pnlBottom->Left(), pnlBottom->Top(), W + pnlBottom->Left() - 25, H - 11);
    pnlCommands->SetBounds(pnlCommands->Left(), pnlCommands->Top(), W - 136, H - 75);
    const int Right = pnlCommands->Left() + pnlCommands->Width() + 14;
    const int Bottom = pnlCommands->Top() + pnlCommands->Height();
    for (TButton* B : {btnAdd, btnEdit, btnDelete, btnClear, btnReset, btnOK}) B->SetLeft(Right);
    btnCancel->SetLeft(Right);
    btnOK->SetTop(Bottom - 19);
    btnCancel->SetTop(Bottom + 13);
    Label1->SetTop(Bottom + 11);
    Label2->SetTop(Bottom + 27);
}

String TCodeEditKeystrokesEditorForm::CommandText(TCodeEditorCommand Command) const {
    const String Text = CommandToText(Command);
    return FExtended ? CommandIdentToDisplayName(Text) : Text;
}

void TCodeEditKeystrokesEditorForm::ShowRow(TListItem* Item, TCodeEditKeyStroke* Stroke) {
    Item->SetData(Stroke);
    Item->SetCaption(CommandText(Stroke->Command()));
    String Keys = u"<none>";
    if (Stroke->ShortCut() != 0) {
        Keys = ShortCutToText(Stroke->ShortCut());
        if (Stroke->ShortCut2() != 0) Keys += u" " + ShortCutToText(Stroke->ShortCut2());
    }
    Item->SubItems()->Clear();
    Item->SubItems()->Add(Keys);
}

void TCodeEditKeystrokesEditorForm::FillList() {
    TListItems* Items = KeyCmdList->Items();
    Items->BeginUpdate();
    TScopeExit End([Items] { Items->EndUpdate(); });
    Items->Clear();
    for (int I = 0; I < Keystrokes()->Count(); ++I) ShowRow(Items->Add(), Keystrokes()->Items(I));
}

void TCodeEditKeystrokesEditorForm::ListClick() {
    btnEdit->SetEnabled(KeyCmdList->Selected() != nullptr);
    btnDelete->SetEnabled(btnEdit->Enabled());
}

namespace {

// Answers whether the user wants to try again.
bool DuplicateKeystroke(TShortCut Key, const String& Other) {
    return MessageDlg(Format(u"The keystroke \"%s\" is already assigned to another editor command. (%s)",
                             {ShortCutToText(Key), Other}),
                      mtError, {mbOK, mbCancel}, 0) == mrOk;
}

} // namespace

void TCodeEditKeystrokesEditorForm::AddClick() {
    auto Dialog = std::make_unique<TCodeEditKeystrokeEditorForm>(this);
    Dialog->SetCaption(u"Add Keystroke");
    Dialog->SetExtendedString(FExtended);
    Dialog->SetCommand(0);
    Dialog->SetKeystroke(0);
    Dialog->SetKeystroke2(0);
    while (Dialog->ShowModal() == mrOk) {
        TCodeEditKeyStroke* Stroke = Keystrokes()->Add();
        Stroke->SetCommand(Dialog->Command());
        const int Other = Keystrokes()->FindShortcut2(Dialog->Keystroke(), Dialog->Keystroke2());
        try {
            Stroke->SetShortCut(Dialog->Keystroke());
            Stroke->SetShortCut2(Dialog->Keystroke2());
        } catch (const ECodeKeyError&) {
            const String OtherText = Other >= 0 ? CommandText(Keystrokes()->Items(Other)->Command()) : String();
            delete Stroke;
            if (DuplicateKeystroke(Dialog->Keystroke(), OtherText)) continue;
            return;
        }
        TListItem* Item = KeyCmdList->Items()->Add();
        ShowRow(Item, Stroke);
        KeyCmdList->SetSelected(Item);
        Item->MakeVisible();
        return;
    }
}

void TCodeEditKeystrokesEditorForm::EditClick() {
    TListItem* Item = KeyCmdList->Selected();
    if (!Item) {
        MessageBeep();
        return;
    }
    auto* Stroke = static_cast<TCodeEditKeyStroke*>(Item->Data());
    auto Dialog = std::make_unique<TCodeEditKeystrokeEditorForm>(this);
    Dialog->SetCaption(u"Edit Keystroke");
    Dialog->SetExtendedString(FExtended);
    Dialog->SetCommand(Stroke->Command());
    Dialog->SetKeystroke(Stroke->ShortCut());
    Dialog->SetKeystroke2(Stroke->ShortCut2());
    while (Dialog->ShowModal() == mrOk) {
        const TShortCut Old = Stroke->ShortCut(), Old2 = Stroke->ShortCut2();
        const int Other = Keystrokes()->FindShortcut2(Dialog->Keystroke(), Dialog->Keystroke2());
        try {
            Stroke->SetCommand(Dialog->Command());
            Stroke->SetShortCut(Dialog->Keystroke());
            Stroke->SetShortCut2(Dialog->Keystroke2());
        } catch (const ECodeKeyError&) {
            // The binding keeps its old keys (the command the user chose stays, as typed).
            Word Key, Key2;
            TShiftState Shift, Shift2;
            ShortCutToKey(Old, Key, Shift);
            ShortCutToKey(Old2, Key2, Shift2);
            Stroke->SetKey(Key);
            Stroke->SetShift(Shift);
            Stroke->SetKey2(Key2);
            Stroke->SetShift2(Shift2);
            const String OtherText = Other >= 0 ? CommandText(Keystrokes()->Items(Other)->Command()) : String();
            if (DuplicateKeystroke(Dialog->Keystroke(), OtherText)) continue;
            ShowRow(Item, Stroke);
            return;
        }
        ShowRow(Item, Stroke);
        return;
    }
}

void TCodeEditKeystrokesEditorForm::DeleteClick() {
    TListItem* Item = KeyCmdList->Selected();
    if (!Item) {
        MessageBeep();
        return;
    }
    delete static_cast<TCodeEditKeyStroke*>(Item->Data());
    Item->Delete();
    ListClick();
}

void TCodeEditKeystrokesEditorForm::ClearClick() {
    Keystrokes()->Clear();
    KeyCmdList->Items()->Clear();
    ListClick();
}

void TCodeEditKeystrokesEditorForm::ResetClick() {
    Keystrokes()->ResetDefaults();
    FillList();
    ListClick();
}
