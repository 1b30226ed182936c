#pragma once
// The spin edit: a whole number in a one-line edit field with up and down buttons.

#include "platform/gui/Controls.h"

#include <algorithm>
#include <cstdlib>

// The edit field takes digits, '+' and '-' (other characters are dropped), moves its caret
// with the arrow, Home and End keys (Shift selects), deletes with Backspace and Delete, and
// cuts, copies and pastes with Ctrl+X, Ctrl+C and Ctrl+V. Up and Down (the keys and the
// buttons, which repeat while held) add and subtract Increment. Value reads the text (MinValue
// when it is not a number) and keeps it within MinValue .. MaxValue unless both are equal (no
// limits); the text is put back within the limits when the focus leaves. Every change of the
// text fires OnChange (Change).
class TSpinEdit : public TCustomControl {
    DECLARE_CLASS(TSpinEdit, TCustomControl)
public:
    explicit TSpinEdit(TComponent* AOwner);
    ~TSpinEdit() override;

    int MinValue() const { return FMinValue; }
    void SetMinValue(int Value) { FMinValue = Value; }
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int Value) { FMaxValue = Value; }
    int Value() const;
    void SetValue(int Value);
    int Increment() const { return FIncrement; }
    void SetIncrement(int Value) { FIncrement = Value; }
    // Without it the text can only change through the buttons and keys Up and Down.
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    // The most characters typing or pasting leaves in the field; 0 for no limit.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value) { FMaxLength = std::max(Value, 0); }
    // Selects the whole text when the field receives the focus.
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool Value) { FAutoSelect = Value; }

    int SelStart() const { return std::min(FAnchor, FCaret); }
    void SetSelStart(int Value);
    int SelLength() const { return std::abs(FCaret - FAnchor); }
    void SetSelLength(int Value);
    String SelText() const;
    void SelectAll();

    // The value within the limits (itself when there are none).
    int CheckValue(int NewValue) const;

    TNotifyEvent OnChange;

protected:
    // Dispatchers.
    virtual void Change();
    virtual void UpClick();
    virtual void DownClick();
    virtual bool IsValidChar(Char Key);

    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void CMTextChanged(TMessage& Message) override;
    void CMExit(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    void WMKeyDown(TWMKeyDown& Message) override;
    void WMChar(TWMChar& Message) override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void WMSetFocus(TWMSetFocus& Message) override;
    void WMKillFocus(TWMKillFocus& Message) override;
    void WMLButtonDown(TWMMouse& Message) override;
    void WMLButtonDblClk(TWMMouse& Message) override;
    void WMLButtonUp(TWMMouse& Message) override;
    void WMMouseMove(TWMMouse& Message) override;
    void WMSize(TWMSize& Message) override;
    void WMSetCursor(TWMSetCursor& Message) override;
    void Dispatch(TMessage& Message) override;

private:
    int FMinValue = 0;
    int FMaxValue = 0;
    int FIncrement = 1;
    bool FEditorEnabled = true;
    bool FReadOnly = false;
    int FMaxLength = 0;
    bool FAutoSelect = true;
    int FAnchor = 0; // the fixed end of the selection
    int FCaret = 0;  // the moving end, where the caret is
    int FScroll = 0; // pixels of text scrolled out on the left
    bool FEditing = false;
    bool FSelecting = false; // the mouse selects
    int FButtonDown = 0;     // 1 up, -1 down, 0 none held

    TRect EditRect() const;
    TRect ButtonRect(bool Up) const;
    int TextX(int Index);
    int IndexAt(int X);
    void MoveCaret(int Index, bool Extend);
    void ReplaceSelection(const String& Text);
    void EditText(const String& NewText, int NewCaret);
    void UpdateCaret();
    void Spin(int Direction);
    void CopyToClipboard();
    void Paste();

    static void Published(TPublisher<TSpinEdit>& P);
};

// Registers the classes of this unit (part of RegisterPlatformGuiClasses).
void RegisterSpinClasses();
