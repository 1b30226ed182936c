#pragma once
// The memo dialog: a component that edits a long text (a memo or blob field of a dataset, or
// its own Lines) in a modal window, the window itself, and the routine that runs it.

#include "platform/base/Lists.h"
#include "platform/base/Set.h"
#include "platform/base/Variant.h"
#include "platform/data/DB.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <memory>

class TdaMemoDialog;
class TdaMemoDlg;

DECLARE_ENUM(TdaMemoAttribute, Byte, mSizeable, mWordWrap, mGridShow, mViewOnly, mDisableDialog)
using TdaMemoAttributes = TSet<TdaMemoAttribute>;

using TdaMemoUserButtonEvent = std::function<void(TdaMemoDlg* Dialog, TMemo* Memo)>;
using TdaOnInitMemoDlgEvent = std::function<void(TdaMemoDlg* Dialog)>;

// Asked when the user leaves an edited memo without OK.
extern const String daMemoChangesWarning;

// The modal memo window.
class TdaMemoDlg : public TForm {
    DECLARE_CLASS(TdaMemoDlg, TForm)
public:
    explicit TdaMemoDlg(TComponent* AOwner);

    TMemo* Memo;
    TPanel* UserButtonPanel;
    TButton* UserButton1;
    TButton* UserButton2;
    TButton* OKBtn;
    TButton* CancelBtn;

    bool OKBtnpressed = false;
    bool allowClose = false;
    bool changed = false;
    bool init = false;        // the show logic has run
    TRect posRect;            // wanted left, top, right, bottom
    std::unique_ptr<TFont> TempFont;
    String TempTitle;
    TdaMemoDialog* CallingComponent = nullptr;

    void FormShow(TObject* Sender);
    void ResizeControls(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void MemoKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void MemoChange(TObject* Sender);
    void OKBtnClick(TObject* Sender);
    void UserButton1Click(TObject* Sender);
    void UserButton2Click(TObject* Sender);

protected:
    void KeyPress(Char& Key) override;
};

// Runs the memo window for Component; writes the text back on OK when Editable. True when the
// user closed it with OK.
bool daExecuteMemoDlg(TCustomForm* OwnerForm, TdaMemoDialog* Component, bool Editable);

class TdaMemoDialog : public TComponent {
    DECLARE_CLASS(TdaMemoDialog, TComponent)
public:
    explicit TdaMemoDialog(TComponent* AOwner);
    ~TdaMemoDialog() override;

    TDataSource* DataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(TDataSource* Value);
    const String& DataField() const { return FDataLink->FieldName(); }
    void SetDataField(const String& Value) { FDataLink->SetFieldName(Value); }
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TdaMemoAttributes MemoAttributes() const { return FMemoAttributes; }
    void SetMemoAttributes(const TdaMemoAttributes& Value) { FMemoAttributes = Value; }
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& Value) { FCaption = Value; }
    TStrings* Lines() const { return FLines.get(); }
    void SetLines(TStrings* Value) {
        if (Value != FLines.get()) FLines->Assign(Value);
    }
    int DlgLeft() const { return FLeft; }
    void SetDlgLeft(int Value) { FLeft = Value; }
    int DlgTop() const { return FTop; }
    void SetDlgTop(int Value) { FTop = Value; }
    int DlgWidth() const { return FWidth; }
    void SetDlgWidth(int Value) { FWidth = Value; }
    int DlgHeight() const { return FHeight; }
    void SetDlgHeight(int Value) { FHeight = Value; }
    const String& UserButton1Caption() const { return FUserButton1Caption; }
    void SetUserButton1Caption(const String& Value) { FUserButton1Caption = Value; }
    const String& UserButton2Caption() const { return FUserButton2Caption; }
    void SetUserButton2Caption(const String& Value) { FUserButton2Caption = Value; }

    TdaMemoUserButtonEvent OnUserButton1Click;
    TdaMemoUserButtonEvent OnUserButton2Click;
    TdaOnInitMemoDlgEvent OnInitDialog;
    TdaOnInitMemoDlgEvent OnCloseDialog;

    virtual void DoInitDialog();
    virtual void DoCloseDialog();
    // Runs the window for the active form; read-only with mViewOnly. True when closed with OK.
    virtual bool Execute();

    TdaMemoDlg* Form = nullptr;
    Variant Patch;

    TFieldDataLink* DataLink() const { return FDataLink.get(); }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TFieldDataLink> FDataLink;
    TdaMemoAttributes FMemoAttributes{mSizeable, mWordWrap};
    String FCaption;
    int FLeft = 0, FTop = 0, FWidth = 561, FHeight = 396;
    String FUserButton1Caption, FUserButton2Caption;
    std::unique_ptr<TStringList> FLines;

    static void Published(TPublisher<TdaMemoDialog>& P);
};
