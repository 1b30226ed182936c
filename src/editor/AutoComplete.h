#pragma once
// Template completion: a keyword typed before the caret becomes its template text, indented like
// the keyword's line, with the caret at the template's "|". The templates come as a list of
// lines in one of two forms (a "[keyword | comment]" head before each body, or a keyword line
// followed by "=" body lines), parsed when first needed.

#include "editor/CodeEdit.h"

#include "platform/base/Component.h"
#include "platform/base/Lists.h"

#include <memory>
#include <vector>

class TCustomCodeAutoComplete : public TComponent {
    DECLARE_CLASS(TCustomCodeAutoComplete, TComponent)
public:
    explicit TCustomCodeAutoComplete(TComponent* AOwner);
    ~TCustomCodeAutoComplete() override;

    TStrings* AutoCompleteList() const { return fAutoCompleteList.get(); }
    virtual void SetAutoCompleteList(TStrings* Value);
    TStrings* Completions();
    TStrings* CompletionComments();
    TStrings* CompletionValues();

    TCustomCodeEdit* Editor() const { return fEditor; }
    void SetEditor(TCustomCodeEdit* Value);
    bool AddEditor(TCustomCodeEdit* AEditor);
    bool RemoveEditor(TCustomCodeEdit* AEditor);
    int EditorCount() const { return static_cast<int>(fEditors.size()); }

    const String& EndOfTokenChr() const { return fEOTokenChars; }
    void SetEndOfTokenChr(const String& Value) { fEOTokenChars = Value; }
    bool CaseSensitive() const { return fCaseSensitive; }
    void SetCaseSensitive(bool Value) { fCaseSensitive = Value; }

    void AddCompletion(const String& AToken, const String& AValue, const String& AComment);
    // The token before the caret of AEditor, completed.
    virtual void Execute(TCustomCodeEdit* AEditor);
    virtual void ExecuteCompletion(const String& AToken, TCustomCodeEdit* AEditor);
    virtual void ParseCompletionList();

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Before an attached editor runs a command: ecAutoCompletion becomes Execute on that editor.
    void EditorCommandHandler(TObject* Sender, bool AfterProcessing, bool& Handled, TCodeEditorCommand& Command,
                              Char& AChar, void* Data, void* HandlerData);

private:
    std::unique_ptr<TStringList> fAutoCompleteList;
    std::unique_ptr<TStringList> fCompletions;
    std::unique_ptr<TStringList> fCompletionComments;
    std::unique_ptr<TStringList> fCompletionValues;
    TCustomCodeEdit* fEditor = nullptr;
    std::vector<TCustomCodeEdit*> fEditors;
    String fEOTokenChars = u"()[]{}.";
    bool fCaseSensitive = false;
    bool fParsed = false;

    void ParseIfNeeded();
};

class TCodeAutoComplete : public TCustomCodeAutoComplete {
    DECLARE_CLASS(TCodeAutoComplete, TCustomCodeAutoComplete)
public:
    using TCustomCodeAutoComplete::TCustomCodeAutoComplete;
};
