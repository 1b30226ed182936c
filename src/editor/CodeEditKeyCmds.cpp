#include "editor/CodeEditKeyCmds.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Streams.h"

namespace {

constexpr int RecordSize = 10; // five 16-bit fields

// Up to Count bytes; fewer only at the stream's end.
int ReadUpTo(TStream* AStream, Byte* Buffer, int Count) {
    int Done = 0;
    while (Done < Count) {
        const Int64 N = AStream->Read(Buffer + Done, Count - Done);
        if (N <= 0) break;
        Done += static_cast<int>(N);
    }
    return Done;
}

// A 16-bit field from the bytes that were read: a field the bytes do not reach keeps its value,
// one they reach halfway takes the low byte.
void TakeWord(Word& Field, const Byte* Bytes, int Available, int Offset) {
    if (Available > Offset) Field = Word((Field & 0xFF00) | Bytes[Offset]);
    if (Available > Offset + 1) Field = Word((Field & 0x00FF) | (Bytes[Offset + 1] << 8));
}

void PutWord(Byte* Bytes, int Offset, Word Value) {
    Bytes[Offset] = Byte(Value & 0xFF);
    Bytes[Offset + 1] = Byte(Value >> 8);
}

Word ShiftToWord(TShiftState Shift) {
    return static_cast<Word>(Shift.ToInt());
}

} // namespace

// ---- TCodeEditKeyStroke ----

void TCodeEditKeyStroke::SetKey(Word Value) {
    if (FKey != Value) FKey = Value;
}

void TCodeEditKeyStroke::SetShift(TShiftState Value) {
    if (FShift != Value) FShift = Value;
}

void TCodeEditKeyStroke::SetKey2(Word Value) {
    if (FKey2 != Value) FKey2 = Value;
}

void TCodeEditKeyStroke::SetShift2(TShiftState Value) {
    if (FShift2 != Value) FShift2 = Value;
}

void TCodeEditKeyStroke::SetCommand(TCodeEditorCommand Value) {
    if (FCommand != Value) FCommand = Value;
}

bool TCodeEditKeyStroke::HasDuplicate(TShortCut SC, TShortCut SC2) const {
    const TCollection* Owner = Collection();
    if (!Owner) return false;
    for (int I = 0; I < Owner->Count(); ++I) {
        const auto* Other = static_cast<const TCodeEditKeyStroke*>(Owner->Items(I));
        if (Other != this && Other->ShortCut() == SC && Other->ShortCut2() == SC2) return true;
    }
    return false;
}

void TCodeEditKeyStroke::SetShortCut(TShortCut Value) {
    if (Value != 0 && HasDuplicate(Value, ShortCut2())) throw ECodeKeyError(u"Shortcut already exists");
    Word NewKey;
    TShiftState NewShift;
    ShortCutToKey(Value, NewKey, NewShift);
    if (NewKey != FKey || NewShift != FShift) {
        FKey = NewKey;
        FShift = NewShift;
    }
}

void TCodeEditKeyStroke::SetShortCut2(TShortCut Value) {
    if (Value != 0 && HasDuplicate(ShortCut(), Value)) throw ECodeKeyError(u"Shortcut already exists");
    Word NewKey;
    TShiftState NewShift;
    ShortCutToKey(Value, NewKey, NewShift);
    if (NewKey != FKey2 || NewShift != FShift2) {
        FKey2 = NewKey;
        FShift2 = NewShift;
    }
}

void TCodeEditKeyStroke::Assign(TPersistent* Source) {
    if (auto* Other = dynamic_cast<TCodeEditKeyStroke*>(Source)) {
        SetCommand(Other->Command());
        SetKey(Other->Key());
        SetKey2(Other->Key2());
        SetShift(Other->Shift());
        SetShift2(Other->Shift2());
    } else {
        TCollectionItem::Assign(Source);
    }
}

String TCodeEditKeyStroke::GetDisplayName() const {
    String Result = CommandToText(FCommand) + u" - " + ShortCutToText(ShortCut());
    if (ShortCut() != 0) Result += u" " + ShortCutToText(ShortCut2());
    return Result.empty() ? TCollectionItem::GetDisplayName() : Result;
}

void TCodeEditKeyStroke::LoadFromStream(TStream* AStream) {
    Byte Bytes[RecordSize];
    TakeFields(Bytes, ReadUpTo(AStream, Bytes, RecordSize));
}

void TCodeEditKeyStroke::TakeFields(const Byte* Bytes, int Available) {
    Word Shift = ShiftToWord(FShift), Shift2 = ShiftToWord(FShift2);
    TakeWord(FKey, Bytes, Available, 0);
    TakeWord(Shift, Bytes, Available, 2);
    TakeWord(FKey2, Bytes, Available, 4);
    TakeWord(Shift2, Bytes, Available, 6);
    TakeWord(FCommand, Bytes, Available, 8);
    FShift = TShiftState::FromInt(Shift);
    FShift2 = TShiftState::FromInt(Shift2);
}

void TCodeEditKeyStroke::SaveToStream(TStream* AStream) const {
    Byte Bytes[RecordSize];
    PutWord(Bytes, 0, FKey);
    PutWord(Bytes, 2, ShiftToWord(FShift));
    PutWord(Bytes, 4, FKey2);
    PutWord(Bytes, 6, ShiftToWord(FShift2));
    PutWord(Bytes, 8, FCommand);
    AStream->WriteBuffer(Bytes, RecordSize);
}

// ---- TCodeEditKeyStrokes ----

TCodeEditKeyStrokes::TCodeEditKeyStrokes(TPersistent* AOwner)
    : TCollection(TCollectionItemClass::Of<TCodeEditKeyStroke>()), FOwner(AOwner) {}

TCodeEditKeyStroke* TCodeEditKeyStrokes::Add() {
    return static_cast<TCodeEditKeyStroke*>(TCollection::Add());
}

TCodeEditKeyStroke* TCodeEditKeyStrokes::AddKey(TCodeEditorCommand ACmd, Word AKey, TShiftState AShift) {
    TCodeEditKeyStroke* Item = Add();
    // A setter that raises leaves no half-made item in the collection.
    TScopeExit DropItem([Item] { delete Item; });
    Item->SetKey(AKey);
    Item->SetShift(AShift);
    Item->SetCommand(ACmd);
    DropItem.Release();
    return Item;
}

TCodeEditKeyStroke* TCodeEditKeyStrokes::Items(int Index) const {
    return static_cast<TCodeEditKeyStroke*>(TCollection::Items(Index));
}

void TCodeEditKeyStrokes::SetItems(int Index, TCodeEditKeyStroke* Value) {
    TCollection::SetItems(Index, Value);
}

int TCodeEditKeyStrokes::FindCommand(TCodeEditorCommand Cmd) const {
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->Command() == Cmd) return I;
    return -1;
}

int TCodeEditKeyStrokes::FindKeycode(Word Code, TShiftState SS) const {
    for (int I = 0; I < Count(); ++I) {
        const TCodeEditKeyStroke* K = Items(I);
        if (K->Key() == Code && K->Shift() == SS && K->Key2() == 0) return I;
    }
    return -1;
}

int TCodeEditKeyStrokes::FindKeycode2(Word Code1, TShiftState SS1, Word Code2, TShiftState SS2) const {
    for (int I = 0; I < Count(); ++I) {
        const TCodeEditKeyStroke* K = Items(I);
        if (K->Key() == Code1 && K->Shift() == SS1 && K->Key2() == Code2 && K->Shift2() == SS2) return I;
    }
    return -1;
}

int TCodeEditKeyStrokes::FindShortcut(TShortCut SC) const {
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->ShortCut() == SC) return I;
    return -1;
}

int TCodeEditKeyStrokes::FindShortcut2(TShortCut SC, TShortCut SC2) const {
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->ShortCut() == SC && Items(I)->ShortCut2() == SC2) return I;
    return -1;
}

void TCodeEditKeyStrokes::ResetDefaults() {
    struct TDefault {
        TCodeEditorCommand Command;
        Word Key;
        TShiftState Shift;
    };
    const TShiftState None, S{ssShift}, C{ssCtrl}, A{ssAlt}, SC{ssShift, ssCtrl}, SA{ssShift, ssAlt};
    const TDefault Defaults[] = {
        {ecUp, VK_UP, None},
        {ecSelUp, VK_UP, S},
        {ecScrollUp, VK_UP, C},
        {ecDown, VK_DOWN, None},
        {ecSelDown, VK_DOWN, S},
        {ecScrollDown, VK_DOWN, C},
        {ecLeft, VK_LEFT, None},
        {ecSelLeft, VK_LEFT, S},
        {ecWordLeft, VK_LEFT, C},
        {ecSelWordLeft, VK_LEFT, SC},
        {ecRight, VK_RIGHT, None},
        {ecSelRight, VK_RIGHT, S},
        {ecWordRight, VK_RIGHT, C},
        {ecSelWordRight, VK_RIGHT, SC},
        {ecPageDown, VK_NEXT, None},
        {ecSelPageDown, VK_NEXT, S},
        {ecPageBottom, VK_NEXT, C},
        {ecSelPageBottom, VK_NEXT, SC},
        {ecPageUp, VK_PRIOR, None},
        {ecSelPageUp, VK_PRIOR, S},
        {ecPageTop, VK_PRIOR, C},
        {ecSelPageTop, VK_PRIOR, SC},
        {ecLineStart, VK_HOME, None},
        {ecSelLineStart, VK_HOME, S},
        {ecEditorTop, VK_HOME, C},
        {ecSelEditorTop, VK_HOME, SC},
        {ecLineEnd, VK_END, None},
        {ecSelLineEnd, VK_END, S},
        {ecEditorBottom, VK_END, C},
        {ecSelEditorBottom, VK_END, SC},
        {ecToggleMode, VK_INSERT, None},
        {ecCopy, VK_INSERT, C},
        {ecCut, VK_DELETE, S},
        {ecPaste, VK_INSERT, S},
        {ecDeleteChar, VK_DELETE, None},
        {ecDeleteLastChar, VK_BACK, None},
        {ecDeleteLastChar, VK_BACK, S},
        {ecDeleteLastWord, VK_BACK, C},
        {ecUndo, VK_BACK, A},
        {ecRedo, VK_BACK, SA},
        {ecLineBreak, VK_RETURN, None},
        {ecLineBreak, VK_RETURN, S},
        {ecTab, VK_TAB, None},
        {ecShiftTab, VK_TAB, S},
        {ecContextHelp, VK_F1, None},
        {ecSelectAll, 'A', C},
        {ecCopy, 'C', C},
        {ecPaste, 'V', C},
        {ecCut, 'X', C},
        {ecBlockIndent, 'I', SC},
        {ecBlockUnindent, 'U', SC},
        {ecLineBreak, 'M', C},
        {ecInsertLine, 'N', C},
        {ecDeleteWord, 'T', C},
        {ecDeleteLine, 'Y', C},
        {ecDeleteEOL, 'Y', SC},
        {ecUndo, 'Z', C},
        {ecRedo, 'Z', SC},
    };
    Clear();
    for (const TDefault& D : Defaults)
        AddKey(D.Command, D.Key, D.Shift);
    for (Word N = 0; N <= 9; ++N)
        AddKey(TCodeEditorCommand(ecGotoMarker0 + N), Word('0' + N), C);
    for (Word N = 0; N <= 9; ++N)
        AddKey(TCodeEditorCommand(ecSetMarker0 + N), Word('0' + N), SC);
    AddKey(ecNormalSelect, 'N', SC);
    AddKey(ecColumnSelect, 'C', SC);
    AddKey(ecLineSelect, 'L', SC);
    AddKey(ecMatchBracket, 'B', SC);
}

void TCodeEditKeyStrokes::LoadFromStream(TStream* AStream) {
    Clear();
    Byte CountBytes[4];
    if (ReadUpTo(AStream, CountBytes, 4) < 4) return;
    const std::int32_t Num = std::int32_t(Cardinal(CountBytes[0]) | Cardinal(CountBytes[1]) << 8 |
                                          Cardinal(CountBytes[2]) << 16 | Cardinal(CountBytes[3]) << 24);
    for (std::int32_t I = 0; I < Num; ++I) {
        Byte Bytes[RecordSize];
        const int Available = ReadUpTo(AStream, Bytes, RecordSize);
        // A count larger than the stream holds must not make millions of empty bindings.
        if (Available == 0) break;
        Add()->TakeFields(Bytes, Available);
    }
}

void TCodeEditKeyStrokes::SaveToStream(TStream* AStream) const {
    const std::int32_t Num = Count();
    const Byte CountBytes[4] = {Byte(Num & 0xFF), Byte((Num >> 8) & 0xFF), Byte((Num >> 16) & 0xFF),
                                Byte((Num >> 24) & 0xFF)};
    AStream->WriteBuffer(CountBytes, 4);
    for (int I = 0; I < Count(); ++I)
        Items(I)->SaveToStream(AStream);
}
