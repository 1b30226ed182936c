#pragma once
// The single-line edit on which every field-bound edit of the library rests: a mask edit with a
// picture mask (checked while typing and on leaving), validation colours and the Space-key date
// and time entry, bound to one field of a dataset through a field data link. Descendants add a
// button (drop-down, spin) and lists.

#include "dataaware/foundation/daEditFrame.h"
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

// The regular-expression mask of an edit.
class TviDovedMask : public TPersistent {
    DECLARE_CLASS(TviDovedMask, TPersistent)
public:
    explicit TviDovedMask(TComponent* AOwner = nullptr) : RelatedComponent(AOwner) {}

    String Mask() const { return FMask; }
    void SetMask(const String& Value) { FMask = Value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }
    // Focus may leave with a value the expression does not match.
    bool AllowInvalidExit() const { return FAllowInvalidExit; }
    void SetAllowInvalidExit(bool Value) { FAllowInvalidExit = Value; }
    // Shown when the value does not match.
    String ErrorMessage() const { return FErrorMessage; }
    void SetErrorMessage(const String& Value) { FErrorMessage = Value; }

    // From another mask: the expression, the case flag and the message.
    void Assign(TPersistent* Source) override;

    TComponent* RelatedComponent = nullptr;

private:
    String FMask;
    bool FCaseSensitive = true;
    bool FAllowInvalidExit = false;
    String FErrorMessage;
    static void Published(TPublisher<TviDovedMask>& P);
};

using TdaValidateEvent = std::function<void(TObject* Sender, bool PassesPictureTest)>;

// An edit with a picture mask and validation colours.
class TdaCustomMaskEdit : public TCustomMaskEdit {
    DECLARE_CLASS(TdaCustomMaskEdit, TCustomMaskEdit)
public:
    explicit TdaCustomMaskEdit(TComponent* AOwner);
    ~TdaCustomMaskEdit() override;

    TdaDBPicture* Picture() const { return FdaPicture.get(); }
    TviDovedMask* RegexMask() const { return FRegexMask.get(); }
    void SetRegexMask(TviDovedMask* Value) { FRegexMask->Assign(Value); }
    TdaEditFrame* Frame() const { return FFrame.get(); }
    void SetFrame(TdaEditFrame* Value) { FFrame->Assign(Value); }
    // The controller whose frame look the edit takes (it joins the controller's list).
    TComponent* Controller() const { return FController; }
    void SetController(TComponent* Value);
    // Takes the mask and AutoFill; an active picture mask replaces the edit mask.
    void SetPicture(TdaDBPicture* Value);
    bool UsePictureMask() const { return FUsePictureMask; }
    void SetUsePictureMask(bool Value) { FUsePictureMask = Value; }
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    bool WordWrap() const { return FWordWrap; }
    // Takes effect through the window's styles: the window is made again.
    void SetWordWrap(bool Value);
    bool ShowVertScrollBar() const { return FShowVertScrollBar; }
    void SetShowVertScrollBar(bool Value);
    bool MaskStoreLiteralTemplate() const { return FMaskStoreLiteralTemplate; }
    void SetMaskStoreLiteralTemplate(bool Value) { FMaskStoreLiteralTemplate = Value; }
    TdaValidateEvent OnCheckValue;

    // A picture mask is active: UsePictureMask and a mask.
    bool IsPictureMaskActive() const;
    bool IsValidPictureMask() const;
    // The expression compiles.
    bool IsValidRegexMask(const String& Mask) const;
    // The regular-expression mask matches the text (an empty text always does).
    bool IsValidRegexValue(const String& Text) const;
    // True for an empty text or mask, else when the text fills the mask.
    bool IsValidPictureValue(const String& Text) const;
    // Runs the validator with auto-fill over the text and shows the result.
    void ApplyMask();
    // The text is only the edit mask's literals (nothing typed), and such a text is not kept.
    bool JustHaveLiteralTemplate() const;

    virtual bool IsOwnerDrawn() const { return false; }
    virtual bool HasCustomPaint() const { return false; }
    // The formatting rectangle: where the text goes inside the window.
    virtual void SetEditRect();
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
    // The window's styles: several lines without a border or with WordWrap, the scroll bar.
    void CreateParams(TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void WMSize(TWMSize& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void KeyPress(Char& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void DoExit() override;

    bool ModifiedInKeyPress = false;
    bool SetModifiedInChangeEvent = false;

private:
    std::unique_ptr<TdaDBPicture> FdaPicture;
    std::unique_ptr<TviDovedMask> FRegexMask;
    std::unique_ptr<TdaEditFrame> FFrame;
    TComponent* FController = nullptr;
    bool FShowVertScrollBar = false;
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
    void SetUnboundAlignment(TAlignment Value);
    TdaEditAlignment EditAlignment() const { return FEditAlignment; }
    // Right-aligned editing takes effect through the window's styles: the window is made again.
    void SetEditAlignment(TdaEditAlignment Value);
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
    bool DisableThemes() const { return FDisableThemes; }
    void SetDisableThemes(bool Value);
    // The mouse is over the edit.
    bool MouseInControl() const { return FMouseInControl; }
    TNotifyEvent OnMouseEnter, OnMouseLeave;

    // The frame is in effect, transparent, and the edit is not being designed.
    bool isTransparentEffective() const;
    // The edit draws its text itself (its text widget hidden): unfocused with a right-aligned or
    // centred text or a frame, or unfocused with a text that cannot be typed into.
    virtual bool SelfPaints() const;
    // The alignment the unfocused text is painted with: the field's, else UnboundAlignment.
    virtual TAlignment PaintAlignment() const;
    // The top of the text the edit paints itself, by where it sits.
    virtual int PaintTextTop(bool InGrid, bool InDBGrid) const;
    // The parent is a data grid that has the focus: the edit shows its text in the highlight.
    bool ParentIsFocusedDBGrid() const;
    // A grid's picture of a row is painted whole by the edit: text, background, no button.
    bool PaintsWholeCopy() const override { return true; }

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

    virtual void PaintOverlay() {}
    virtual void UpdateFieldData();
    virtual bool IsThemedListLook() const;
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
    // The client area less the button's side.
    virtual void GetTextRect(TRect& Rect) const;
    virtual void DrawDisplayText(TCanvas* Canvas, const TRect& Rect, int X, int Y, const String& Text,
                                 bool NoFill);
    virtual void PaintFrame(TCanvas* Canvas);
    virtual void PaintFocusRect(TCanvas* Canvas, const TRect& Rect);
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();
    virtual void WriteTextAlignment(TAlignment Value);
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
    void CreateParams(TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    // WS_EX_TRANSPARENT on the window while transparency is in effect and the frame asks for it.
    void UpdateTransparentStyle();
    // Hides or shows the text widget as SelfPaints says.
    void UpdateTextWidget();
    // The edit's own painting of its text, frame and background.
    void PaintSelf();

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
    bool FDisableThemes = false;
    bool FMouseInControl = false;
    std::unique_ptr<TControlCanvas> FCanvas;

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
