#pragma once
// Key bindings of the editor control: each binding ties one key, or a sequence of two keys, with
// their modifiers to an editor command. A fresh control gets the default bindings
// (ResetDefaults); bindings are saved to and loaded from a small binary stream.

#include "editor/CodeEditCommands.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Messages.h"

#include "platform/base/Collection.h"
#include "platform/base/Exceptions.h"

class TStream;

// A second binding of the same shortcut pair: "Shortcut already exists".
DECLARE_EXCEPTION(ECodeKeyError, Exception)

class TCodeEditKeyStroke : public TCollectionItem {
    DECLARE_CLASS(TCodeEditKeyStroke, TCollectionItem)
public:
    explicit TCodeEditKeyStroke(TCollection* ACollection) : TCollectionItem(ACollection) {}

    // The key setters do not look for duplicates; the shortcut setters do.
    Word Key() const { return FKey; }
    void SetKey(Word Value);
    TShiftState Shift() const { return FShift; }
    void SetShift(TShiftState Value);
    // The second key of a two-key sequence; 0 for a single key.
    Word Key2() const { return FKey2; }
    void SetKey2(Word Value);
    TShiftState Shift2() const { return FShift2; }
    void SetShift2(TShiftState Value);
    TCodeEditorCommand Command() const { return FCommand; }
    void SetCommand(TCodeEditorCommand Value);

    TShortCut ShortCut() const { return ::ShortCut(FKey, FShift); }
    // ECodeKeyError "Shortcut already exists" when another item of the collection has the
    // non-zero Value with this item's ShortCut2; the item then keeps its keys.
    void SetShortCut(TShortCut Value);
    TShortCut ShortCut2() const { return ::ShortCut(FKey2, FShift2); }
    // The same check with the roles exchanged.
    void SetShortCut2(TShortCut Value);

    // From another binding: command, keys and modifiers through the setters.
    void Assign(TPersistent* Source) override;

    // The five 16-bit fields, little-endian: Key, Shift, Key2, Shift2, Command. Reading takes
    // what the stream still has; a field it does not reach keeps its value.
    void LoadFromStream(TStream* AStream);
    void SaveToStream(TStream* AStream) const;

protected:
    // "<command> - <shortcut> <second shortcut>", e.g. "ecCopy - Ctrl+C ".
    String GetDisplayName() const override;

private:
    Word FKey = 0;
    TShiftState FShift;
    Word FKey2 = 0;
    TShiftState FShift2;
    TCodeEditorCommand FCommand = ecNone;

    friend class TCodeEditKeyStrokes;
    bool HasDuplicate(TShortCut SC, TShortCut SC2) const;
    // The fields of one stream record of which Available bytes were read.
    void TakeFields(const Byte* Bytes, int Available);

    static void Published(TPublisher<TCodeEditKeyStroke>& P) {
        P.Property(u"Command", &TCodeEditKeyStroke::Command, &TCodeEditKeyStroke::SetCommand)
            .As(CodeEditorCommandTypeInfo());
        P.Property(u"ShortCut", &TCodeEditKeyStroke::ShortCut, &TCodeEditKeyStroke::SetShortCut).Default(0);
        P.Property(u"ShortCut2", &TCodeEditKeyStroke::ShortCut2, &TCodeEditKeyStroke::SetShortCut2)
            .Default(0);
    }
};

// The bindings of one control (or of an options container or editor form, its owner). Assign
// from another binding collection clears this one and copies every binding in order.
class TCodeEditKeyStrokes : public TCollection {
    DECLARE_CLASS(TCodeEditKeyStrokes, TCollection)
public:
    explicit TCodeEditKeyStrokes(TPersistent* AOwner);

    TCodeEditKeyStroke* Add();
    // A single-key binding; no duplicate check.
    TCodeEditKeyStroke* AddKey(TCodeEditorCommand ACmd, Word AKey, TShiftState AShift);
    TCodeEditKeyStroke* Items(int Index) const;
    void SetItems(int Index, TCodeEditKeyStroke* Value);

    // Indexes of the first match, or -1. Modifier sets match as a whole: Ctrl+Shift is not Ctrl.
    int FindCommand(TCodeEditorCommand Cmd) const;
    // Single-key bindings only (Key2 = 0).
    int FindKeycode(Word Code, TShiftState SS) const;
    int FindKeycode2(Word Code1, TShiftState SS1, Word Code2, TShiftState SS2) const;
    int FindShortcut(TShortCut SC) const;
    int FindShortcut2(TShortCut SC, TShortCut SC2) const;

    // Clears the collection and adds the 82 default bindings.
    void ResetDefaults();

    // A signed 32-bit count, then one 10-byte record per binding, little-endian, no header.
    // Loading clears the collection first; a stream that ends inside the count gives no
    // bindings, one that ends inside a record gives that record with the fields it holds, and
    // no binding is made beyond the stream's end, whatever the count says.
    void LoadFromStream(TStream* AStream);
    void SaveToStream(TStream* AStream) const;

protected:
    TPersistent* GetOwner() const override { return FOwner; }

private:
    TPersistent* FOwner;
};
