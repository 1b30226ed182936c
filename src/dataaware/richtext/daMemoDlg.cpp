// The memo dialog.
#include "dataaware/richtext/daMemoDlg.h"

#include "platform/base/ScopeGuard.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Questions.h"

const String daMemoChangesWarning = u"Changes have been made!  Are you sure you wish to cancel?";

// ---- The window -----------------------------------------------------------------------------------

TdaMemoDlg::TdaMemoDlg(TComponent* AOwner) : TForm(AOwner) {
    SetName(u"daMemoDlg");
    SetCaption(u"Dialog");
    SetClientWidth(553);
    SetClientHeight(361);
    SetPosition(poScreenCenter);
    SetBorderStyle(Forms::bsSizeable);
    Memo = new TMemo(this);
    Memo->SetName(u"Memo");
    Memo->SetParent(this);
    Memo->SetBounds(6, 6, 533, 300);
    Memo->SetScrollBars(StdCtrls::ssVertical);
    Memo->SetWantTabs(true);
    Memo->SetTabOrder(0);
    UserButtonPanel = new TPanel(this);
    UserButtonPanel->SetName(u"UserButtonPanel");
    UserButtonPanel->SetParent(this);
    UserButtonPanel->SetCaption(String());
    UserButtonPanel->SetBevelOuter(bvLowered);
    UserButtonPanel->SetVisible(false);
    UserButtonPanel->SetBounds(6, 310, 200, 34);
    UserButton1 = new TButton(this);
    UserButton1->SetName(u"UserButton1");
    UserButton1->SetParent(UserButtonPanel);
    UserButton1->SetBounds(10, 4, 89, 26);
    UserButton1->SetVisible(false);
    UserButton2 = new TButton(this);
    UserButton2->SetName(u"UserButton2");
    UserButton2->SetParent(UserButtonPanel);
    UserButton2->SetBounds(114, 4, 89, 26);
    UserButton2->SetVisible(false);
    OKBtn = new TButton(this);
    OKBtn->SetName(u"OKBtn");
    OKBtn->SetParent(this);
    OKBtn->SetCaption(u"OK");
    OKBtn->SetBounds(0, 0, 75, 25);
    OKBtn->SetTabOrder(1);
    CancelBtn = new TButton(this);
    CancelBtn->SetName(u"CancelBtn");
    CancelBtn->SetParent(this);
    CancelBtn->SetCaption(u"Cancel");
    CancelBtn->SetBounds(0, 0, 75, 25);
    CancelBtn->SetCancel(true);
    CancelBtn->SetModalResult(mrCancel);
    CancelBtn->SetTabOrder(2);

    OnShow = [this](TObject* S) { FormShow(S); };
    OnResize = [this](TObject* S) { ResizeControls(S); };
    OnCloseQuery = [this](TObject* S, bool& CanClose) { FormCloseQuery(S, CanClose); };
    Memo->OnKeyDown = [this](TObject* S, Word& Key, TShiftState Shift) { MemoKeyDown(S, Key, Shift); };
    OKBtn->OnClick = [this](TObject* S) { OKBtnClick(S); };
    UserButton1->OnClick = [this](TObject* S) { UserButton1Click(S); };
    UserButton2->OnClick = [this](TObject* S) { UserButton2Click(S); };
}

void TdaMemoDlg::KeyPress(Char& Key) {
    TForm::KeyPress(Key);
    if (Key == VK_ESCAPE) Key = 0; // Escape closes through its key, never as a character
}

void TdaMemoDlg::FormShow(TObject*) {
    if (init) return;
    init = true;
    changed = false;
    SetKeyPreview(true);
    if (TempFont) Memo->Font()->Assign(TempFont.get());
    SetCaption(TempTitle);
    const int W = posRect.Right - posRect.Left, H = posRect.Bottom - posRect.Top;
    if (posRect.Left == 0 && posRect.Top == 0) {
        if (W > 0 && H > 0) SetBounds(Left() - (W - Width()) / 2, Top() - (H - Height()) / 2, W, H);
    } else if (posRect.Left > 0 || posRect.Top > 0) {
        SetBounds(posRect.Left, posRect.Top, W, H);
    }
    // The user buttons that have a caption, on a panel under the memo.
    int Right = 0;
    for (TButton* B : {UserButton1, UserButton2}) {
        if (B->Caption().empty()) continue;
        B->SetLeft(Right == 0 ? (B == UserButton1 ? 10 : 15) : Right + 15);
        B->SetVisible(true);
        Right = B->Left() + B->Width();
    }
    if (Right > 0) {
        UserButtonPanel->SetWidth(Right + 10);
        UserButtonPanel->SetVisible(true);
    }
    ResizeControls(this);
    if (CallingComponent) {
        CallingComponent->Form = this;
        CallingComponent->DoInitDialog();
    }
    Memo->SetModified(false);
    Memo->OnChange = [this](TObject* S) { MemoChange(S); };
}

void TdaMemoDlg::ResizeControls(TObject*) {
    const int Frame = 2 * GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION) + 53;
    const int MemoWidth = std::max(40, Width() - 20);
    const int MemoHeight = std::max(20, Height() - Frame);
    Memo->SetBounds(6, 6, MemoWidth, MemoHeight);
    const int ButtonTop = Memo->Top() + MemoHeight + 17;
    OKBtn->SetTop(ButtonTop);
    CancelBtn->SetTop(ButtonTop);
    if (UserButtonPanel->Visible()) {
        UserButtonPanel->SetLeft(Memo->Left() - 1);
        UserButtonPanel->SetTop(Memo->Top() + MemoHeight + 2);
    }
    if (Memo->ReadOnly()) {
        CancelBtn->SetVisible(false);
        if (!UserButton1->Caption().empty() || !UserButton2->Caption().empty())
            OKBtn->SetLeft(Memo->Left() + MemoWidth - OKBtn->Width() - 25);
        else
            OKBtn->SetLeft(Memo->Left() + (MemoWidth - OKBtn->Width()) / 2);
    } else {
        OKBtn->SetLeft(MemoWidth - 2 * OKBtn->Width() - 40);
        CancelBtn->SetLeft(MemoWidth - OKBtn->Width() - 20);
        CancelBtn->SetVisible(true);
    }
    OKBtn->SetVisible(true);
}

void TdaMemoDlg::FormCloseQuery(TObject*, bool& CanClose) {
    CanClose = true;
    TScopeExit Cleared([this] { OKBtnpressed = false; });
    if (Memo->Modified() && !OKBtnpressed) {
        if (MessageDlg(daMemoChangesWarning, mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) == mrYes)
            SetModalResult(mrCancel);
        else
            CanClose = false;
    } else if (OKBtnpressed && !allowClose) {
        CanClose = false;
    }
}

void TdaMemoDlg::MemoKeyDown(TObject*, Word& Key, TShiftState Shift) {
    if ((Key == VK_RETURN && Shift.Contains(ssCtrl)) || Key == VK_F2) {
        Key = 0;
        if (OKBtn->Enabled()) {
            OKBtnClick(OKBtn);
            SetModalResult(mrOk);
        }
    } else if (Key == VK_ESCAPE) {
        Key = 0;
        SetModalResult(mrCancel);
    }
}

void TdaMemoDlg::MemoChange(TObject*) {
    changed = true;
    OKBtn->SetEnabled(true);
}

void TdaMemoDlg::OKBtnClick(TObject*) {
    OKBtnpressed = true;
    allowClose = true;
    SetModalResult(mrOk);
}

void TdaMemoDlg::UserButton1Click(TObject*) {
    if (CallingComponent && CallingComponent->OnUserButton1Click) CallingComponent->OnUserButton1Click(this, Memo);
}

void TdaMemoDlg::UserButton2Click(TObject*) {
    if (CallingComponent && CallingComponent->OnUserButton2Click) CallingComponent->OnUserButton2Click(this, Memo);
}

// ---- Running it -----------------------------------------------------------------------------------

bool daExecuteMemoDlg(TCustomForm* OwnerForm, TdaMemoDialog* Component, bool Editable) {
    std::unique_ptr<TdaMemoDlg> Dlg(new TdaMemoDlg(Application));
    if (OwnerForm && OwnerForm->FormStyle() == fsStayOnTop) Dlg->SetFormStyle(fsStayOnTop);
    Dlg->CallingComponent = Component;
    TScopeExit Forget([&] {
        if (Component->Form == Dlg.get()) Component->Form = nullptr;
    });

    TField* Field = nullptr;
    TDataSet* DataSet = Component->DataSource() ? Component->DataSource()->DataSet() : nullptr;
    if (DataSet && !Component->DataField().empty()) Field = DataSet->FieldByName(Component->DataField());
    if (Field) {
        Dlg->Memo->SetText(Field->AsString());
        Dlg->Memo->SetSelStart(0);
        // A field that cannot be written makes the run read-only, so OK never tries.
        if (Field->ReadOnly() || !DataSet->CanModify()) Editable = false;
    } else {
        Dlg->Memo->Lines()->Assign(Component->Lines());
    }

    const TdaMemoAttributes A = Component->MemoAttributes();
    Dlg->Memo->SetWordWrap(A.Contains(mWordWrap));
    Dlg->SetBorderStyle(A.Contains(mSizeable) ? Forms::bsSizeable : Forms::bsDialog);
    Dlg->TempFont = std::make_unique<TFont>();
    Dlg->TempFont->Assign(Component->Font());
    Dlg->TempTitle = Component->Caption();
    if (!Editable) {
        Dlg->CancelBtn->SetVisible(false);
        Dlg->Memo->SetReadOnly(true);
    }
    Dlg->posRect = TRect(Component->DlgLeft(), Component->DlgTop(), Component->DlgLeft() + Component->DlgWidth(),
                         Component->DlgTop() + Component->DlgHeight());
    if (Dlg->posRect.Left > 0 || Dlg->posRect.Top > 0) Dlg->SetPosition(poDefault);
    Dlg->UserButton1->SetCaption(Component->UserButton1Caption());
    Dlg->UserButton2->SetCaption(Component->UserButton2Caption());
    if (Editable) Dlg->OKBtn->SetEnabled(false);

    bool Ok = false;
    {
        TScopeExit Closed([&] { Component->DoCloseDialog(); });
        Ok = Dlg->ShowModal() == mrOk;
    }
    if (Ok && Editable) {
        if (Field) {
            if (DataSet->State() != dsEdit && DataSet->State() != dsInsert) DataSet->Edit();
            Field->SetAsString(Dlg->Memo->Text());
        } else {
            Component->Lines()->Assign(Dlg->Memo->Lines());
        }
    }
    return Ok;
}

// ---- The component --------------------------------------------------------------------------------

TdaMemoDialog::TdaMemoDialog(TComponent* AOwner)
    : TComponent(AOwner), FFont(std::make_unique<TFont>()), FDataLink(std::make_unique<TFieldDataLink>()),
      FLines(std::make_unique<TStringList>()) {}

TdaMemoDialog::~TdaMemoDialog() = default;

void TdaMemoDialog::SetDataSource(TDataSource* Value) {
    if (Value) Value->FreeNotification(this);
    FDataLink->SetDataSource(Value);
}

void TdaMemoDialog::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource()) FDataLink->SetDataSource(nullptr);
}

void TdaMemoDialog::DoInitDialog() {
    if (OnInitDialog) OnInitDialog(Form);
}

void TdaMemoDialog::DoCloseDialog() {
    if (OnCloseDialog) OnCloseDialog(Form);
}

bool TdaMemoDialog::Execute() {
    return daExecuteMemoDlg(Screen ? Screen->ActiveForm() : nullptr, this,
                            !FMemoAttributes.Contains(mViewOnly));
}

void TdaMemoDialog::Published(TPublisher<TdaMemoDialog>& P) {
    P.Property(u"DataField", &TdaMemoDialog::DataField, &TdaMemoDialog::SetDataField);
    P.Property(u"Caption", &TdaMemoDialog::Caption, &TdaMemoDialog::SetCaption);
    P.Property(u"Lines", &TdaMemoDialog::Lines, &TdaMemoDialog::SetLines);
    P.Property(u"Font", &TdaMemoDialog::Font, &TdaMemoDialog::SetFont);
    P.Property(u"DlgLeft", &TdaMemoDialog::DlgLeft, &TdaMemoDialog::SetDlgLeft).Default(0);
    P.Property(u"DlgTop", &TdaMemoDialog::DlgTop, &TdaMemoDialog::SetDlgTop).Default(0);
    P.Property(u"DlgWidth", &TdaMemoDialog::DlgWidth, &TdaMemoDialog::SetDlgWidth);
    P.Property(u"DlgHeight", &TdaMemoDialog::DlgHeight, &TdaMemoDialog::SetDlgHeight);
    P.Property(u"UserButton1Caption", &TdaMemoDialog::UserButton1Caption, &TdaMemoDialog::SetUserButton1Caption);
    P.Property(u"UserButton2Caption", &TdaMemoDialog::UserButton2Caption, &TdaMemoDialog::SetUserButton2Caption);
}
