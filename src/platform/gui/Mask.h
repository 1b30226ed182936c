#pragma once
// An edit with an edit mask: "<mask>;<save literals 0 or 1>;<blank character>". Mask
// characters: L a letter, l an optional letter, A a letter or digit, a an optional one, C any
// character, c an optional one, 0 a digit, 9 an optional digit, # an optional digit or sign;
// > upper-cases and < lower-cases what follows ("<>" ends either), \ takes the next character
// literally, ':' and '/' are the time and date separators, '_' a blank, '!' is accepted and
// has no effect here; anything else is a literal. EditText shows every position (literals,
// typed characters, the blank character where nothing was typed); Text leaves the literals out
// unless they are saved, and shows blanks as spaces.

#include "platform/gui/StdCtrls.h"

// A malformed mask, or input that does not fill the mask's required positions.
DECLARE_EXCEPTION(EDBEditError, Exception)

class TCustomMaskEdit : public TCustomEdit {
    DECLARE_CLASS(TCustomMaskEdit, TCustomEdit)
public:
    explicit TCustomMaskEdit(TComponent* AOwner);

    const String& EditMask() const { return FEditMask; }
    // A malformed mask raises EDBEditError and leaves the mask and the text as they were.
    void SetEditMask(const String& Value);
    bool IsMasked() const { return !FItems.empty(); }
    // Every position of the mask, as shown.
    String EditText() const;
    void SetEditText(const String& Value);
    // The blank character and whether literals are saved, from the mask's second and third fields.
    Char MaskBlank() const { return FBlank; }
    bool SaveLiterals() const { return FSaveLiterals; }
    // Raises EDBEditError "Invalid input value. Use escape key to abandon changes" when a
    // required position is blank, with the caret on it.
    virtual void ValidateEdit();
    // Back to the text that was set last (Escape does this).
    virtual void Reset();

protected:
    String GetText() const override;
    void SetTextValue(const String& Value) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    virtual void ValidateError();

private:
    struct TItem {
        bool Literal;
        Char Ch;     // the literal, or the mask character of the position
        int Case;    // 0 as typed, 1 upper, 2 lower
    };
    static void Parse(const String& Mask, std::vector<TItem>& Items, bool& Save, Char& Blank);
    bool Accepts(const TItem& Item, Char& C) const;
    bool Required(const TItem& Item) const;
    // The position of the first slot at or after Pos (0-based), -1 when none.
    int SlotAtOrAfter(int Pos) const;
    String Formatted(const String& Value) const;
    void ShowEditText(const String& S, int Caret);

    String FEditMask;
    std::vector<TItem> FItems;
    bool FSaveLiterals = true;
    Char FBlank = u'_';
    String FSavedText;

    static void Published(TPublisher<TCustomMaskEdit>& P);
};

class TMaskEdit : public TCustomMaskEdit {
    DECLARE_CLASS(TMaskEdit, TCustomMaskEdit)
public:
    using TCustomMaskEdit::TCustomMaskEdit;
};
