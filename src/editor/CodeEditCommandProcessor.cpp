// The editor control's key translation and command pipeline: keys become commands through the
// bindings (two-key sequences included), and every command runs through one processor that
// lets the owner and the registered hooks see, change or cancel it.

#include "editor/CodeEdit.h"

#include "platform/base/Filer.h"

#include <algorithm>
#include <memory>

// ---- Key translation ------------------------------------------------------------------------

TCodeEditorCommand TCustomCodeEdit::KeyToCommand(Word Code, TShiftState Shift, void*&) {
    TCodeEditorCommand Result = ecNone;
    int I = FKeyStrokes->FindKeycode2(FLastKey, FLastShiftState, Code, Shift);
    if (I >= 0) {
        Result = FKeyStrokes->Items(I)->Command();
    } else {
        I = FKeyStrokes->FindKeycode(Code, Shift);
        if (I >= 0) Result = FKeyStrokes->Items(I)->Command();
    }
    // An unbound key in the range of ordinary keys may be the first key of a sequence; keys
    // such as Return, Tab or the modifiers never wait.
    if (Result == ecNone && Code >= 30 && Code <= 145) {
        FLastKey = Code;
        FLastShiftState = Shift;
    } else {
        FLastKey = 0;
        FLastShiftState = {};
    }
    return Result;
}

// ---- The pipeline ---------------------------------------------------------------------------

void TCustomCodeEdit::CommandProcessor(TCodeEditorCommand Command, Char AChar, void* Data) {
    FireProcessCommand(Command, AChar, Data);
    if (Command != ecNone) NotifyCommandHooks(false, Command, AChar, Data);
    // User commands belong to the application: the control never executes them itself.
    if (Command != ecNone && Command < ecUserFirst) ExecuteCommand(Command, AChar, Data);
    if (Command != ecNone) NotifyCommandHooks(true, Command, AChar, Data);
    FireCommandProcessed(Command, AChar, Data);
}

void TCustomCodeEdit::FireProcessCommand(TCodeEditorCommand& Command, Char& AChar, void* Data) {
    if (Command < ecUserFirst) {
        if (OnProcessCommand) OnProcessCommand(this, Command, AChar, Data);
    } else if (OnProcessUserCommand) {
        OnProcessUserCommand(this, Command, AChar, Data);
    }
}

void TCustomCodeEdit::FireCommandProcessed(TCodeEditorCommand Command, Char AChar, void* Data) {
    // The handler gets copies: what it changes goes nowhere.
    if (OnCommandProcessed) OnCommandProcessed(this, Command, AChar, Data);
}

void TCustomCodeEdit::NotifyCommandHooks(bool AfterProcessing, TCodeEditorCommand& Command, Char& AChar,
                                         void* Data) {
    if (!FHookedCommandHandlers) return;
    bool Handled = false;
    // Every hook is asked, each seeing what the earlier ones left; a hook may unregister itself.
    const std::vector<THookedCommandHandlerEntry> Entries = *FHookedCommandHandlers;
    for (const THookedCommandHandlerEntry& Entry : Entries)
        Entry.FEvent(this, AfterProcessing, Handled, Command, AChar, Data, Entry.FData);
    if (Handled) Command = ecNone;
}

void TCustomCodeEdit::RegisterCommandHandler(const THookedCommandEvent& AHandlerProc, void* AHandlerData) {
    if (!AHandlerProc) return;
    if (!FHookedCommandHandlers) FHookedCommandHandlers = std::make_unique<std::vector<THookedCommandHandlerEntry>>();
    auto& List = *FHookedCommandHandlers;
    for (auto It = List.rbegin(); It != List.rend(); ++It)
        if (It->FEvent == AHandlerProc) return;
    List.push_back({AHandlerProc, AHandlerData});
}

void TCustomCodeEdit::UnregisterCommandHandler(const THookedCommandEvent& AHandlerProc) {
    if (!AHandlerProc || !FHookedCommandHandlers) return;
    auto& List = *FHookedCommandHandlers;
    for (auto It = List.rbegin(); It != List.rend(); ++It)
        if (It->FEvent == AHandlerProc) {
            List.erase(std::next(It).base());
            return;
        }
}

// ---- Bindings -------------------------------------------------------------------------------

void TCustomCodeEdit::AddKey(TCodeEditorCommand Command, Word Key1, TShiftState SS1, Word Key2,
                             TShiftState SS2) {
    TCodeEditKeyStroke* Key = FKeyStrokes->Add();
    Key->SetCommand(Command);
    Key->SetKey(Key1);
    Key->SetShift(SS1);
    Key->SetKey2(Key2);
    Key->SetShift2(SS2);
}

void TCustomCodeEdit::SetKeystrokes(TCodeEditKeyStrokes* Value) {
    if (!Value)
        FKeyStrokes->Clear();
    else
        FKeyStrokes->Assign(Value);
}

void TCustomCodeEdit::SetDefaultKeystrokes() {
    FKeyStrokes->ResetDefaults();
}

// ---- Streamed bindings ------------------------------------------------------------------------

namespace {

// A binding of the same keys and command is in Strokes.
int FindMatch(const TCodeEditKeyStrokes* Strokes, const TCodeEditKeyStroke* Stroke) {
    const int I = Strokes->FindShortcut2(Stroke->ShortCut(), Stroke->ShortCut2());
    return I >= 0 && Strokes->Items(I)->Command() == Stroke->Command() ? I : -1;
}

bool SameBindings(const TCodeEditKeyStrokes* A, const TCodeEditKeyStrokes* B) {
    if (A->Count() != B->Count()) return false;
    for (int I = 0; I < A->Count(); ++I) {
        const TCodeEditKeyStroke* X = A->Items(I);
        const TCodeEditKeyStroke* Y = B->Items(I);
        if (X->Command() != Y->Command() || X->ShortCut() != Y->ShortCut() || X->ShortCut2() != Y->ShortCut2())
            return false;
    }
    return true;
}

// The bindings of a collection value in the stream; anything else there is passed over.
std::unique_ptr<TCodeEditKeyStrokes> ReadBindings(TReader* Reader) {
    if (Reader->NextValue() != vaCollection) {
        Reader->SkipValue();
        return nullptr;
    }
    Reader->ReadValue();
    auto Strokes = std::make_unique<TCodeEditKeyStrokes>(nullptr);
    Reader->ReadCollection(Strokes.get());
    return Strokes;
}

} // namespace

void TCustomCodeEdit::DefineProperties(TFiler* Filer) {
    TCustomControl::DefineProperties(Filer);
    // The defaults: the ancestor's bindings when the control is written against one, else the
    // bindings of a fresh control.
    std::unique_ptr<TCodeEditKeyStrokes> Fresh;
    const TCodeEditKeyStrokes* Defaults = nullptr;
    if (auto* Ancestor = dynamic_cast<TCustomCodeEdit*>(Filer->Ancestor())) {
        Defaults = Ancestor->Keystrokes();
    } else {
        Fresh = std::make_unique<TCodeEditKeyStrokes>(nullptr);
        Fresh->ResetDefaults();
        Defaults = Fresh.get();
    }
    const bool Differ = !SameBindings(FKeyStrokes.get(), Defaults);
    Filer->DefineProperty(
        u"RemovedKeystrokes",
        [this](TReader* Reader) {
            if (auto Removed = ReadBindings(Reader))
                for (int I = 0; I < Removed->Count(); ++I)
                    if (const int Match = FindMatch(FKeyStrokes.get(), Removed->Items(I)); Match >= 0)
                        FKeyStrokes->Delete(Match);
        },
        [this, Defaults](TWriter* Writer) {
            TCodeEditKeyStrokes Removed(nullptr);
            Removed.Assign(const_cast<TCodeEditKeyStrokes*>(Defaults));
            for (int I = Removed.Count() - 1; I >= 0; --I)
                if (FindMatch(FKeyStrokes.get(), Removed.Items(I)) >= 0) Removed.Delete(I);
            Writer->WriteCollection(&Removed);
        },
        Differ);
    Filer->DefineProperty(
        u"AddedKeystrokes",
        [this](TReader* Reader) {
            if (auto Added = ReadBindings(Reader))
                for (int I = 0; I < Added->Count(); ++I)
                    FKeyStrokes->Add()->Assign(Added->Items(I));
        },
        [this, Defaults](TWriter* Writer) {
            TCodeEditKeyStrokes Added(nullptr);
            for (int I = 0; I < FKeyStrokes->Count(); ++I)
                if (FindMatch(Defaults, FKeyStrokes->Items(I)) < 0) Added.Add()->Assign(FKeyStrokes->Items(I));
            Writer->WriteCollection(&Added);
        },
        Differ);
}

// ---- Handler chains -------------------------------------------------------------------------

void TCustomCodeEdit::AddKeyDownHandler(const TKeyEventHandler& aHandler) {
    FKbdHandler->AddKeyDownHandler(aHandler);
}
void TCustomCodeEdit::RemoveKeyDownHandler(const TKeyEventHandler& aHandler) {
    FKbdHandler->RemoveKeyDownHandler(aHandler);
}
void TCustomCodeEdit::AddKeyUpHandler(const TKeyEventHandler& aHandler) {
    FKbdHandler->AddKeyUpHandler(aHandler);
}
void TCustomCodeEdit::RemoveKeyUpHandler(const TKeyEventHandler& aHandler) {
    FKbdHandler->RemoveKeyUpHandler(aHandler);
}
void TCustomCodeEdit::AddKeyPressHandler(const TKeyPressWEventHandler& aHandler) {
    FKbdHandler->AddKeyPressHandler(aHandler);
}
void TCustomCodeEdit::RemoveKeyPressHandler(const TKeyPressWEventHandler& aHandler) {
    FKbdHandler->RemoveKeyPressHandler(aHandler);
}
void TCustomCodeEdit::AddMouseDownHandler(const TMouseEventHandler& aHandler) {
    FKbdHandler->AddMouseDownHandler(aHandler);
}
void TCustomCodeEdit::RemoveMouseDownHandler(const TMouseEventHandler& aHandler) {
    FKbdHandler->RemoveMouseDownHandler(aHandler);
}
void TCustomCodeEdit::AddMouseUpHandler(const TMouseEventHandler& aHandler) {
    FKbdHandler->AddMouseUpHandler(aHandler);
}
void TCustomCodeEdit::RemoveMouseUpHandler(const TMouseEventHandler& aHandler) {
    FKbdHandler->RemoveMouseUpHandler(aHandler);
}
void TCustomCodeEdit::AddMouseCursorHandler(const TMouseCursorEvent& aHandler) {
    FKbdHandler->AddMouseCursorHandler(aHandler);
}
void TCustomCodeEdit::RemoveMouseCursorHandler(const TMouseCursorEvent& aHandler) {
    FKbdHandler->RemoveMouseCursorHandler(aHandler);
}

// ---- Focus controls -------------------------------------------------------------------------

void TCustomCodeEdit::AddFocusControl(TWinControl* aControl) {
    FFocusList.push_back(aControl);
}

void TCustomCodeEdit::RemoveFocusControl(TWinControl* aControl) {
    auto It = std::find(FFocusList.begin(), FFocusList.end(), aControl);
    if (It != FFocusList.end()) FFocusList.erase(It);
}

void TCustomCodeEdit::SetFocus() {
    if (FFocusList.empty()) {
        TCustomControl::SetFocus();
        return;
    }
    TWinControl* Last = FFocusList.back();
    if (Last->CanFocus()) Last->SetFocus();
}
