#pragma once
// The single-line edit on which every field-bound edit of the library rests: a mask edit with a
// picture mask (checked while typing and on leaving), validation colours and the Space-key date
// and time entry, bound to one field of a dataset through a field data link. Descendants add a
// button (drop-down, spin) and lists.

#include "dataaware/foundation/daPictureValidator.h"
#include "platform/base/Persistent.h"
#include "platform/data/DB.h"
#include "platform/gui/Mask.h"

#include <array>
#include <memory>

class TdaDBCustomEdit;

// The picture mask of an edit.
class TdaDBPicture : public TPersistent {
    DECLARE_CLASS(TdaDBPicture, TPersistent)
public:
    explicit TdaDBPicture(TComponent* AOwner = nullptr);

    bool PictureMaskFromDataSet() const { return FPictureMaskFromDataSet; }
    void SetPictureMaskFromDataSet(bool Value) { FPictureMaskFromDataSet = Value; }
    String PictureMask() const { return FPictureMask; }
    void SetPictureMask(const String& Value) { FPictureMask = Value; }
    // The validator fills in literal characters.
    bool AutoFill() const { return FAutoFill; }
    void SetAutoFill(bool Value) { FAutoFill = Value; }
    // Focus may leave with a value that does not fill the mask.
    bool AllowInvalidExit() const { return FAllowInvalidExit; }
    void SetAllowInvalidExit(bool Value) { FAllowInvalidExit = Value; }

    // From another picture: the mask and AutoFill.
    void Assign(TPersistent* Source) override;

    TComponent* RelatedComponent = nullptr;

private:
    bool FPictureMaskFromDataSet = true;
    String FPictureMask;
    bool FAutoFill = true;
    bool FAllowInvalidExit = false;
    static void Published(TPublisher<TdaDBPicture>& P);
};

using TdaValidateEvent = std::function<void(TObject* Sender, bool PassesPictureTest)>;

// An edit with a picture mask and validation colours.
class TdaCustomMaskEdit : public TCustomMaskEdit {
    DECLARE_CLASS(TdaCustomMaskEdit, TCustomMaskEdit)
public:
    explicit TdaCustomMaskEdit(TComponent* AOwner);
    ~TdaCustomMaskEdit() override;

    TdaDBPicture* Picture() const { return FdaPicture.get(); }
    // Takes the mask and AutoFill; an active picture mask replaces the edit mask.
    void SetPicture(TdaDBPicture* Value);
    bool UsePictureMask() const { return FUsePictureMask; }
    void SetUsePictureMask(bool Value) { FUsePictureMask = Value; }
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value) { FWordWrap = Value; }
    bool MaskStoreLiteralTemplate() const { return FMaskStoreLiteralTemplate; }
    void SetMaskStoreLiteralTemplate(bool Value) { FMaskStoreLiteralTemplate = Value; }
    TdaValidateEvent OnCheckValue;

    // A picture mask is active: UsePictureMask and a mask.
    bool IsPictureMaskActive() const;
    bool IsValidPictureMask() const;
    // True for an empty text or mask, else when the text fills the mask.
    bool IsValidPictureValue(const String& Text) const;
    // Runs the validator with auto-fill over the text and shows the result.
    void ApplyMask();
    // The text is only the edit mask's literals (nothing typed), and such a text is not kept.
    bool JustHaveLiteralTemplate() const;

    virtual bool IsOwnerDrawn() const { return false; }
    virtual bool HasCustomPaint() const { return false; }
    virtual void DoCheckValue(bool Valid);
    virtual void ShowValidationError(const String& Message);
    virtual void ApplyValidationColors(bool Valid);
    virtual void ResetValidationColors(TColor ForeColor, TColor BackColor);
    virtual void DoRefreshValidationDisplay(bool Valid);
    // An empty text means the current one.
    virtual void DoRefreshValidationDisplay(const String& Text);

    // The last focus loss was refused by a mask.
    bool DoExitPictureError = false;
    TColor OrigForeColor = clNone;
    TColor OrigBackColor = clNone;
    // Switches of behaviour, by index (see the data-aware edit's constructor for defaults).
    std::array<bool, 7> Patch{false, false, true, false, false, false, false};

protected:
    // Called before every change of the text that the control makes itself.
    virtual void StartEditing() {}
    void KeyPress(Char& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void DoExit() override;

    bool ModifiedInKeyPress = false;
    bool SetModifiedInChangeEvent = false;

private:
    std::unique_ptr<TdaDBPicture> FdaPicture;
    bool FWordWrap = false;
    bool FUsePictureMask = true;
    bool FWantReturns = false;
    bool FMaskStoreLiteralTemplate = false;

    void SetTextModified(const String& Value);
    static void Published(TPublisher<TdaCustomMaskEdit>& P);
};

DECLARE_ENUM(TdaEditDataType, Byte, daDefault, daEdtDate, daEdtTime, daEdtDateTime)
DECLARE_ENUM(TdaEditAlignment, Byte, eaLeftAlignEditing, eaRightAlignEditing)

// The mask edit bound to one field of a dataset.
class TdaDBCustomEdit : public TdaCustomMaskEdit {
    DECLARE_CLASS(TdaDBCustomEdit, TdaCustomMaskEdit)
public:
    explicit TdaDBCustomEdit(TComponent* AOwner);
    ~TdaDBCustomEdit() override;

    TDataSource* DataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(TDataSource* Value);
    String DataField() const { return FDataLink->FieldName(); }
    void SetDataField(const String& Value);
    TField* Field() const { return FDataLink->Field(); }
    TFieldDataLink* DataLink() const { return FDataLink.get(); }
    // The data link's read-only flag (the window's own state follows editing).
    bool ReadOnly() const { return FDataLink->ReadOnly(); }
    void SetReadOnly(bool Value);
    bool AutoFillDate() const { return FAutoFillDate; }
    void SetAutoFillDate(bool Value) { FAutoFillDate = Value; }
    TdaEditDataType UnboundDataType() const { return FDataType; }
    void SetUnboundDataType(TdaEditDataType Value) { FDataType = Value; }
    TAlignment UnboundAlignment() const { return FUnboundAlignment; }
    void SetUnboundAlignment(TAlignment Value) { FUnboundAlignment = Value; }
    TdaEditAlignment EditAlignment() const { return FEditAlignment; }
    void SetEditAlignment(TdaEditAlignment Value) { FEditAlignment = Value; }
    // First year of the two-digit-year window; 0 means 1950.
    int EpochYear() const { return FEpochYear; }
    void SetEpochYear(int Value) { FEpochYear = Value; }
    String DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value) { WriteDisplayFormat(Value); }
    double UnboundValue() const;
    void SetUnboundValue(double Value);
    bool ShowButton() const { return ReadShowButton(); }
    void SetShowButton(bool Value) { WriteShowButton(Value); }
    bool HasFocus() const { return FFocused; }
    TNotifyEvent OnMouseEnter, OnMouseLeave;

    // The edit's kind, by its field or UnboundDataType.
    bool IsDateEdit() const;
    bool IsTimeEdit() const;
    bool IsDateTimeEdit() const;

    // Writes the text into the field (through the data link); a refused text keeps the focus
    // here with the whole text selected.
    void UpdateRecord();
    void InitText(const String& Value);
    // Without a data source, an edit that is not ReadOnly becomes writable.
    void Loaded() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    // Esc: the field's value, or the text the unbound edit had when it got the focus.
    void Reset() override;
    virtual bool GetFieldMapText(const String& StoredValue, String& DisplayText);
    // Space at the end of a date or time: the next part from the clock. True when handled.
    bool FillDateTimePart(Char& Key);

    virtual void UpdateFieldData();
    virtual bool IsThemedListLook() const { return false; }
    virtual String ReadDisplayFormat() const;
    virtual void WriteDisplayFormat(const String& Value) { FDisplayFormat = Value; }
    virtual bool IsEditBlocked() const;
    virtual void LoadFieldText();
    virtual bool IsMemoField() const;
    virtual bool IsTextEditable() const { return true; }
    virtual void ReadStoredText(String& Text) const { Text = this->Text(); }
    virtual bool ReadShowButton() const { return false; }
    virtual void WriteShowButton(bool) {}
    virtual bool ReadDroppedDown() const { return false; }
    virtual int ReadButtonAreaWidth() const { return 0; }
    virtual int ReadTextRightEdge() const { return ClientWidth() - 1; }
    // Marks the edit (and, while the dataset edits, its field) modified.
    void WriteModified(bool Value);
    bool EditCanModify();

protected:
    void StartEditing() override;
    void KeyPress(Char& Key) override;
    void Change() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& Message) override;
    void CMEnter(TMessage& Message) override;
    void CMExit(TMessage& Message) override;
    void DoEnter() override;
    void WriteFocused(bool Value);

    bool FFocused = false;

private:
    std::unique_ptr<TFieldDataLink> FDataLink;
    TAlignment FAlignment = taLeftJustify;
    TAlignment FUnboundAlignment = taLeftJustify;
    String StartValue;
    bool FAutoFillDate = true;
    TdaEditDataType FDataType = daDefault;
    int FEpochYear = 0;
    TdaEditAlignment FEditAlignment = eaLeftAlignEditing;
    String FDisplayFormat;

    void EditingChange();
    void SyncMaxLength();
    void WMPaste(TMessage& Message);
    void WMCut(TMessage& Message);
    void WMUndo(TMessage& Message);
    void CNKeyDown(TWMKeyDown& Message) override;
    static void Published(TPublisher<TdaDBCustomEdit>& P);
};

class TdaDBEdit : public TdaDBCustomEdit {
    DECLARE_CLASS(TdaDBEdit, TdaDBCustomEdit)
public:
    using TdaDBCustomEdit::TdaDBCustomEdit;
};

void RegisterDataAwareEditClasses();
