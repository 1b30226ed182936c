#include "dataaware/foundation/daIntl.h"

#include "dataaware/foundation/daByName.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"

#include <memory>

const String daInvalidInputValueText = u"Invalid input value.  Use escape key to abandon changes";

namespace {

// Copies every published text and number of a group, and of the groups it owns, into the
// same-named property of another group of its class.
void CopyGroup(TPersistent* From, TPersistent* To) {
    for (const TPropInfo* P : GetPropList(From)) {
        if (!P->Reader) continue;
        switch (P->PropType->Kind) {
        case tkString:
        case tkLString:
        case tkWString:
        case tkUString:
            if (P->Writer) SetStrProp(To, P, GetStrProp(From, P));
            break;
        case tkInteger:
        case tkEnumeration:
            if (P->Writer) SetOrdProp(To, P, GetOrdProp(From, P));
            break;
        case tkClass:
            if (auto* Inner = dynamic_cast<TPersistent*>(GetObjectProp(From, P)))
                if (auto* Target = dynamic_cast<TPersistent*>(GetObjectProp(To, P))) CopyGroup(Inner, Target);
            break;
        default:
            break;
        }
    }
}

// The global texts live from start-up to the end of the process; the application may free
// them first (its destructor then clears daGlobalIntl and this holder does nothing).
struct TGlobalIntlHolder {
    TGlobalIntlHolder() { daGlobalIntl = new TdaIntl(nullptr); }
    ~TGlobalIntlHolder() { delete daGlobalIntl; }
};

} // namespace

TdaIntl* daGlobalIntl = nullptr;

namespace {
TGlobalIntlHolder GlobalIntlHolder;
}

// ---- Text groups -----------------------------------------------------------------------------

TdaDBRichEditIntl::TdaDBRichEditIntl()
    : FMenuLabels(std::make_unique<TdaRichEditMenuLabels>()),
      FPopupMenuLabels(std::make_unique<TdaRichEditPopupMenuLabels>()),
      FParagraphDialog(std::make_unique<TdaRichEditParagraphDlg>()),
      FTabDialog(std::make_unique<TdaRichEditTabDlg>()) {}

TdaDBRichEditIntl::~TdaDBRichEditIntl() = default;

void TdaDBRichEditIntl::Published(TPublisher<TdaDBRichEditIntl>& P) {
    DA_RICHEDIT_TEXTS(DA_PUBLISH_TEXT)
    P.Property(u"MenuLabels", &TdaDBRichEditIntl::MenuLabels);
    P.Property(u"PopupMenuLabels", &TdaDBRichEditIntl::PopupMenuLabels);
    P.Property(u"ParagraphDialog", &TdaDBRichEditIntl::ParagraphDialog);
    P.Property(u"TabDialog", &TdaDBRichEditIntl::TabDialog);
}

TdaDBNavigatorIntl::TdaDBNavigatorIntl() : FHints(std::make_unique<TdaDBNavigatorIntlHints>()) {}
TdaDBNavigatorIntl::~TdaDBNavigatorIntl() = default;

void TdaDBNavigatorIntl::Published(TPublisher<TdaDBNavigatorIntl>& P) {
    P.Property(u"ConfirmDeleteMessage", &TdaDBNavigatorIntl::ConfirmDeleteMessage);
    P.Property(u"Hints", &TdaDBNavigatorIntl::Hints);
}

void TdaMonthCalendarIntl::Published(TPublisher<TdaMonthCalendarIntl>& P) {
    P.Property(u"PopupYearLabel", &TdaMonthCalendarIntl::PopupYearLabel);
    P.Property(u"EnterYearPrompt", &TdaMonthCalendarIntl::EnterYearPrompt);
    P.Property(u"PopupYearStart", &TdaMonthCalendarIntl::PopupYearStart);
}

void TdaADOIntl::Published(TPublisher<TdaADOIntl>& P) {
    P.Property(u"UseLocateWhenFindingValue", &TdaADOIntl::UseLocateWhenFindingValue);
}

void TdaValidationFeedback::Published(TPublisher<TdaValidationFeedback>& P) {
    P.Property(u"ErrorForeColor", &TdaValidationFeedback::ErrorForeColor).As(ColorTypeInfo());
    P.Property(u"ErrorBackColor", &TdaValidationFeedback::ErrorBackColor).As(ColorTypeInfo());
}

// ---- TdaIntl ---------------------------------------------------------------------------------

TdaIntl::TdaIntl(TComponent* AOwner)
    : TComponent(AOwner), FADO(std::make_unique<TdaADOIntl>()), FNavigator(std::make_unique<TdaDBNavigatorIntl>()),
      FSearchDialog(std::make_unique<TdaSearchDialogIntl>()), FLocateDialog(std::make_unique<TdaLocateDialogIntl>()),
      FMonthCalendar(std::make_unique<TdaMonthCalendarIntl>()),
      FGridTitleMenu(std::make_unique<TdaGridTitleMenuIntl>()),
      FFilterDialog(std::make_unique<TdaFilterDialogIntl>()),
      FValidationFeedback(std::make_unique<TdaValidationFeedback>()),
      FRichEdit(std::make_unique<TdaDBRichEditIntl>()), FUserMessages(std::make_unique<TdaUserMessagesIntl>()) {}

TdaIntl::~TdaIntl() {
    if (daGlobalIntl == this) daGlobalIntl = nullptr;
}

void TdaIntl::Published(TPublisher<TdaIntl>& P) {
    P.Property(u"ADO", &TdaIntl::ADO);
    P.Property(u"Navigator", &TdaIntl::Navigator);
    P.Property(u"SearchDialog", &TdaIntl::SearchDialog);
    P.Property(u"LocateDialog", &TdaIntl::LocateDialog);
    P.Property(u"MonthCalendar", &TdaIntl::MonthCalendar);
    P.Property(u"GridTitleMenu", &TdaIntl::GridTitleMenu);
    P.Property(u"FilterDialog", &TdaIntl::FilterDialog);
    P.Property(u"ValidationFeedback", &TdaIntl::ValidationFeedback);
    P.Property(u"RichEdit", &TdaIntl::RichEdit);
    P.Property(u"UserMessages", &TdaIntl::UserMessages);
    P.Property(u"OKCancelBitmapped", &TdaIntl::OKCancelBitmapped);
    P.Property(u"BtnOKCaption", &TdaIntl::BtnOKCaption);
    P.Property(u"BtnCancelCaption", &TdaIntl::BtnCancelCaption);
    P.Property(u"CheckBoxInGridStyle", &TdaIntl::CheckBoxInGridStyle, &TdaIntl::SetCheckBoxInGridStyle)
        .Default(cbStyleAuto);
    P.Property(u"GridPaintStyle", &TdaIntl::GridPaintStyle, &TdaIntl::SetGridPaintStyle)
        .Default(gpsDynamicDeviceContext);
    P.Property(u"FilterMemoSize", &TdaIntl::FilterMemoSize);
    P.Property(u"IniFileName", &TdaIntl::IniFileName);
    P.Property(u"UseLocateMethodForSearch", &TdaIntl::UseLocateMethodForSearch);
    P.Property(u"DialogFontStyle", &TdaIntl::DialogFontStyle);
    P.Property(u"DefaultEpochYear", &TdaIntl::DefaultEpochYear);
    P.Property(u"OnValidationErrorUsingMask", &TdaIntl::OnValidationErrorUsingMask);
    P.Property(u"Connected", &TdaIntl::Connected, &TdaIntl::SetConnected).Default(false);
}

void TdaIntl::Loaded() {
    TComponent::Loaded();
    if (FConnected) CopyToGlobal();
}

void TdaIntl::SetConnected(bool Value) {
    FConnected = Value;
    if (Value) CopyToGlobal();
}

void TdaIntl::SetCheckBoxInGridStyle(TdaCheckBoxInGridStyle Value) {
    FCheckBoxInGridStyle = Value;
    if (FConnected && daGlobalIntl && daGlobalIntl != this) daGlobalIntl->SetCheckBoxInGridStyle(Value);
}

void TdaIntl::SetGridPaintStyle(TdaGridPaintStyle Value) {
    FGridPaintStyle = Value;
    if (FConnected && daGlobalIntl && daGlobalIntl != this) daGlobalIntl->SetGridPaintStyle(Value);
}

void TdaIntl::CopyToGlobal() {
    TdaIntl* G = daGlobalIntl;
    if (!G) return;
    G->FConnected = true;
    if (G == this) return;
    CopyGroup(FValidationFeedback.get(), G->ValidationFeedback());
    CopyGroup(FFilterDialog.get(), G->FilterDialog());
    CopyGroup(FRichEdit.get(), G->RichEdit());
    CopyGroup(FSearchDialog.get(), G->SearchDialog());
    CopyGroup(FMonthCalendar.get(), G->MonthCalendar());
    CopyGroup(FGridTitleMenu.get(), G->GridTitleMenu());
    CopyGroup(FLocateDialog.get(), G->LocateDialog());
    CopyGroup(FADO.get(), G->ADO());
    CopyGroup(FNavigator.get(), G->Navigator());
    G->OKCancelBitmapped = OKCancelBitmapped;
    CopyGroup(FUserMessages.get(), G->UserMessages());
    G->BtnOKCaption = BtnOKCaption;
    G->BtnCancelCaption = BtnCancelCaption;
    // A name that already ends in ".ini" keeps its one extension.
    if (IniFileName.empty() || IniFileName == u".ini")
        G->IniFileName.clear();
    else if (IniFileName.size() > 4 && IniFileName.compare(IniFileName.size() - 4, 4, u".ini") == 0)
        G->IniFileName = IniFileName;
    else
        G->IniFileName = IniFileName + u".ini";
    G->SetCheckBoxInGridStyle(FCheckBoxInGridStyle);
    G->SetGridPaintStyle(FGridPaintStyle);
    G->OnValidationErrorUsingMask = OnValidationErrorUsingMask;
    G->DialogFontStyle = DialogFontStyle;
    G->UseLocateMethodForSearch = UseLocateMethodForSearch;
    G->DefaultEpochYear = DefaultEpochYear;
    G->FilterMemoSize = FilterMemoSize;
}

void TdaIntl::ValidationErrorUsingMask(TComponent* Component, TField* Field, String Msg) {
    if (Msg.empty()) Msg = daInvalidInputValueText;
    bool DoDefault = true;
    if (OnValidationErrorUsingMask) OnValidationErrorUsingMask(Component, Field, Msg, DoDefault);
    if (!DoDefault) return;
    MessageBeep();
    throw EInvalidOperation(Msg);
}

int daGetFilterMemoSize() {
    return daGlobalIntl ? daGlobalIntl->FilterMemoSize : 65536;
}

// ---- TdaController ---------------------------------------------------------------------------

TdaController::TdaController(TComponent* AOwner)
    : TComponent(AOwner), FFrame(std::make_unique<TdaEditFrame>(this)),
      FButtonEffects(std::make_unique<TdaButtonEffects>(this, nullptr)), FControlList(std::make_unique<TList>()) {}

TdaController::~TdaController() {
    // The listed controls must not report to a controller that is gone.
    for (int I = 0; I < FControlList->Count(); ++I)
        if (auto* C = static_cast<TControl*>(FControlList->Items(I))) C->RemoveFreeNotification(this);
}

void TdaController::Published(TPublisher<TdaController>& P) {
    P.Property(u"Frame", &TdaController::Frame);
    P.Property(u"ButtonEffects", &TdaController::ButtonEffects);
    P.Property(u"ControlList", [](TdaController* C) { return static_cast<TObject*>(C->ControlList()); });
}

void TdaController::AddControl(TControl* Control) {
    FControlList->Add(Control);
}

void TdaController::RemoveControl(TControl* Control) {
    FControlList->Remove(Control);
}

void TdaController::ApplyFrame() {
    for (int I = 0; I < FControlList->Count(); ++I) {
        auto* C = static_cast<TControl*>(FControlList->Items(I));
        if (!C) continue;
        if (TdaEditFrame* F = TdaEditFrame::Get(C)) F->Assign(FFrame.get());
        if (TdaButtonEffects* B = TdaButtonEffects::Get(C)) B->Assign(FButtonEffects.get());
        if (auto* W = dynamic_cast<TWinControl*>(C); W && W->HandleAllocated()) W->Perform(CM_RECREATEWND);
    }
}

void TdaController::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove || ComponentState().Contains(csDestroying)) return;
    for (int I = FControlList->Count() - 1; I >= 0; --I)
        if (FControlList->Items(I) == static_cast<void*>(dynamic_cast<TControl*>(AComponent))) {
            FControlList->Delete(I);
            break;
        }
}

// ---- Dialog buttons --------------------------------------------------------------------------

TButton* daCreateDialogButton(TCustomForm* Form, int Kind) {
    const int PPI = Screen ? Screen->PixelsPerInch() : 96;
    auto Scale = [PPI](int V) { return V * PPI / 96; };
    TButton* Button;
    if (daGlobalIntl && daGlobalIntl->OKCancelBitmapped) {
        auto* B = new TBitBtn(Form);
        B->SetVisible(false);
        B->SetParent(Form);
        B->SetBounds(B->Left(), B->Top(), Scale(77), Scale(24));
        B->SetMargin(2);
        B->SetKind(Kind == 1 ? bkOK : Kind == 2 ? bkCancel : bkHelp);
        B->SetLayout(blGlyphLeft);
        B->SetNumGlyphs(2);
        B->SetSpacing(-1);
        B->SetBounds(B->Left(), B->Top(), Scale(77), Scale(27));
        B->Font()->SetColor(clWindowText);
        B->Font()->SetHeight(-11);
        B->Font()->SetName(u"MS Sans Serif");
        B->Font()->SetStyle(daGlobalIntl->DialogFontStyle);
        Button = B;
    } else {
        Button = new TButton(Form);
        Button->SetVisible(false);
        Button->SetParent(Form);
        Button->SetBounds(Button->Left(), Button->Top(), Scale(77), Scale(24));
    }
    const String OK = daGlobalIntl ? daGlobalIntl->BtnOKCaption : String(u"&OK");
    const String Cancel = daGlobalIntl ? daGlobalIntl->BtnCancelCaption : String(u"Cancel");
    switch (Kind) {
    case 1:
        daSetStrPropByName(Button, u"Caption", OK);
        Button->SetModalResult(mrOk);
        break;
    case 2:
        daSetStrPropByName(Button, u"Caption", Cancel);
        Button->SetModalResult(mrCancel);
        Button->SetCancel(true);
        break;
    default:
        daSetStrPropByName(Button, u"Caption", u"Help");
        break;
    }
    return Button;
}

void RegisterDataAwareFoundationClasses() {
    for (TClass C : {TdaIntl::StaticClass(), TdaController::StaticClass()})
        RegisterClass(C);
}
