#include "editor/AutoComplete.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <algorithm>

TCustomCodeAutoComplete::TCustomCodeAutoComplete(TComponent* AOwner)
    : TComponent(AOwner), fAutoCompleteList(std::make_unique<TStringList>()),
      fCompletions(std::make_unique<TStringList>()), fCompletionComments(std::make_unique<TStringList>()),
      fCompletionValues(std::make_unique<TStringList>()) {
    fAutoCompleteList->OnChange = [this](TObject*) { fParsed = false; };
}

TCustomCodeAutoComplete::~TCustomCodeAutoComplete() {
    while (!fEditors.empty())
        RemoveEditor(fEditors.back());
}

void TCustomCodeAutoComplete::SetAutoCompleteList(TStrings* Value) {
    fAutoCompleteList->Assign(Value);
    fParsed = false;
}

void TCustomCodeAutoComplete::ParseIfNeeded() {
    if (!fParsed) ParseCompletionList();
}

TStrings* TCustomCodeAutoComplete::Completions() {
    ParseIfNeeded();
    return fCompletions.get();
}

TStrings* TCustomCodeAutoComplete::CompletionComments() {
    ParseIfNeeded();
    return fCompletionComments.get();
}

TStrings* TCustomCodeAutoComplete::CompletionValues() {
    ParseIfNeeded();
    return fCompletionValues.get();
}

void TCustomCodeAutoComplete::ParseCompletionList() {
    fCompletions->Clear();
    fCompletionComments->Clear();
    fCompletionValues->Clear();
    fParsed = true;
    TStrings* Src = fAutoCompleteList.get();
    if (Src->Count() == 0) return;
    String Keyword, Comment, Body;
    auto AddBodyLine = [&Body](const String& Line) {
        if (!Body.empty()) Body += u"\r\n";
        Body += Line;
    };
    // A template with an empty keyword is not kept; its body stays for the next one.
    auto Store = [&] {
        if (Keyword.empty()) return;
        fCompletions->Add(Keyword);
        fCompletionComments->Add(Comment);
        fCompletionValues->Add(Body);
        Body.clear();
    };
    const bool Brackets = !Src->Strings(0).empty() && Src->Strings(0)[0] == u'[';
    for (int I = 0; I < Src->Count(); ++I) {
        const String S = Src->Strings(I);
        if (Brackets) {
            if (!S.empty() && S[0] == u'[') {
                Store();
                size_t P = 1;
                while (P < S.size() && S[P] > u' ')
                    ++P;
                Keyword = S.substr(1, P - 1);
                while (P < S.size() && S[P] == u' ')
                    ++P;
                if (P < S.size() && S[P] == u'|') ++P;
                while (P < S.size() && S[P] == u' ')
                    ++P;
                Comment = S.substr(P);
                if (!Comment.empty() && Comment.back() == u']') Comment.pop_back();
            } else {
                AddBodyLine(S);
            }
        } else if (S.empty()) {
            continue;
        } else if (S[0] == u'=') {
            AddBodyLine(S.substr(1));
        } else {
            Store();
            Keyword = S;
            Comment.clear();
        }
    }
    Store();
}

void TCustomCodeAutoComplete::AddCompletion(const String& AToken, const String& AValue, const String& AComment) {
    if (AToken.empty()) return;
    if (fAutoCompleteList->Count() == 0 && fCompletions->Count() == 0) fParsed = true;
    fCompletions->Add(AToken);
    fCompletionValues->Add(AValue);
    fCompletionComments->Add(AComment);
}

void TCustomCodeAutoComplete::SetEditor(TCustomCodeEdit* Value) {
    if (Value == fEditor) return;
    if (fEditor) RemoveEditor(fEditor);
    if (Value) AddEditor(Value);
    fEditor = Value;
}

bool TCustomCodeAutoComplete::AddEditor(TCustomCodeEdit* AEditor) {
    if (!AEditor) return false;
    if (std::find(fEditors.begin(), fEditors.end(), AEditor) == fEditors.end()) {
        AEditor->FreeNotification(this);
        fEditors.push_back(AEditor);
        AEditor->RegisterCommandHandler(THookedCommandEvent(this, &TCustomCodeAutoComplete::EditorCommandHandler),
                                        nullptr);
    }
    return true;
}

bool TCustomCodeAutoComplete::RemoveEditor(TCustomCodeEdit* AEditor) {
    auto It = std::find(fEditors.begin(), fEditors.end(), AEditor);
    if (It == fEditors.end()) return false;
    fEditors.erase(It);
    if (fEditor == AEditor) fEditor = nullptr;
    AEditor->UnregisterCommandHandler(THookedCommandEvent(this, &TCustomCodeAutoComplete::EditorCommandHandler));
    AEditor->RemoveFreeNotification(this);
    return true;
}

void TCustomCodeAutoComplete::EditorCommandHandler(TObject* Sender, bool AfterProcessing, bool& Handled,
                                                   TCodeEditorCommand& Command, Char&, void*, void*) {
    if (AfterProcessing || Handled || Command != ecAutoCompletion) return;
    Handled = true;
    Execute(dynamic_cast<TCustomCodeEdit*>(Sender));
}

void TCustomCodeAutoComplete::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    auto It = std::find(fEditors.begin(), fEditors.end(), AComponent);
    if (It == fEditors.end()) return;
    fEditors.erase(It);
    if (fEditor == AComponent) fEditor = nullptr;
}

void TCustomCodeAutoComplete::Execute(TCustomCodeEdit* AEditor) {
    if (!AEditor) return;
    const int CaretX = AEditor->CaretX();
    const String Line = AEditor->LineText();
    if (Length(Line) < CaretX - 1) return;
    int I = CaretX - 1;
    while (I > 0) {
        const Char C = Line[I - 1];
        if (C <= u' ' || fEOTokenChars.find(C) != String::npos) break;
        --I;
    }
    ExecuteCompletion(Line.substr(I, CaretX - 1 - I), AEditor);
}

void TCustomCodeAutoComplete::ExecuteCompletion(const String& AToken, TCustomCodeEdit* AEditor) {
    ParseIfNeeded();
    if (AToken.empty() || !AEditor || AEditor->ReadOnly() || fCompletions->Count() == 0) return;
    auto Same = [this](const String& A, const String& B) {
        return fCaseSensitive ? A == B : AnsiUpperCase(A) == AnsiUpperCase(B);
    };
    int Chosen = -1, PrefixCount = 0, Prefix = -1;
    for (int I = fCompletions->Count() - 1; I >= 0; --I) {
        const String K = fCompletions->Strings(I);
        if (Same(K, AToken)) {
            Chosen = I;
            break;
        }
        if (K.size() >= AToken.size() && Same(K.substr(0, AToken.size()), AToken)) {
            ++PrefixCount;
            Prefix = I;
        }
    }
    if (Chosen < 0 && PrefixCount == 1) Chosen = Prefix;
    if (Chosen < 0) return;

    AEditor->BeginUpdate();
    TScopeExit EndUpdate([AEditor] { AEditor->EndUpdate(); });
    const int CaretX = AEditor->CaretX(), CaretY = AEditor->CaretY();
    const TBufferCoord P{CaretX - int(AToken.size()), CaretY};
    const int Indent = P.Char - 1;
    TStringList Body;
    Body.SetText(fCompletionValues->Strings(Chosen));
    if (Body.Count() == 0) Body.Add(String());
    if (Indent > 0 && Body.Count() > 1)
        for (int I = 1; I < Body.Count(); ++I)
            Body.SetString(I, String(size_t(Indent), u' ') + Body.Strings(I));
    TBufferCoord Target{0, 0};
    for (int I = 0; I < Body.Count(); ++I) {
        String S = Body.Strings(I);
        const int Bar = Pos(u"|", S);
        if (Bar == 0) continue;
        Delete(S, Bar, 1);
        Body.SetString(I, S);
        Target = {Bar + (I == 0 ? P.Char - 1 : 0), P.Line + I};
        break;
    }
    // The token and the body change places in the buffer; the undo record of this change comes
    // with the control's text replacement.
    TStrings* Lines = AEditor->Lines();
    const String Old = Lines->Strings(CaretY - 1);
    const String Before = Old.substr(0, size_t(P.Char - 1));
    const String After = Old.substr(std::min(Old.size(), size_t(CaretX - 1)));
    const int N = Body.Count();
    Lines->SetString(CaretY - 1, Before + Body.Strings(0) + (N == 1 ? After : String()));
    for (int I = 1; I < N; ++I)
        Lines->Insert(CaretY - 1 + I, Body.Strings(I) + (I == N - 1 ? After : String()));
    AEditor->SetModified(true);
    if (Target.Line > 0)
        AEditor->SetCaretXY(Target);
    else
        AEditor->SetCaretXY({N == 1 ? int(Before.size() + Body.Strings(0).size()) + 1
                                     : int(Body.Strings(N - 1).size()) + 1,
                             CaretY + N - 1});
}
