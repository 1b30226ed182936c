#pragma once
// The common dialogs as components. Each Execute puts its question to the question service
// (Questions.h): a test script answers it, or the real dialog does. OnShow fires before the
// question and OnClose after it.

#include "platform/base/Component.h"
#include "platform/base/Lists.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Questions.h"

#include <functional>
#include <memory>

class TCommonDialog : public TComponent {
    DECLARE_CLASS(TCommonDialog, TComponent)
public:
    explicit TCommonDialog(TComponent* AOwner);

    // True when the user confirmed; the dialog's properties then hold the choice.
    virtual bool Execute() = 0;

    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value) { FHelpContext = Value; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

protected:
    virtual void DoShow();
    virtual void DoClose();
    // A question about this dialog, with the kind and the caption filled in.
    TQuestion NewQuestion(TQuestionKind Kind, const String& Caption);
    // Execute's frame: OnShow, then Ask's answer, then OnClose (not when the question raised).
    template <class F> bool Asked(F Ask) {
        DoShow();
        const bool Result = Ask();
        DoClose();
        return Result;
    }

private:
    int FHelpContext = 0;

    static void Published(TPublisher<TCommonDialog>& P);
};

// ---- Files ------------------------------------------------------------------------------------

class TOpenDialog : public TCommonDialog {
    DECLARE_CLASS(TOpenDialog, TCommonDialog)
public:
    explicit TOpenDialog(TComponent* AOwner);
    ~TOpenDialog() override;

    // On OK: FileName is the (first) file chosen, Files every file chosen (one unless
    // ofAllowMultiSelect), FilterIndex the filter in use; a name without an extension gets
    // DefaultExt. OnCanClose may refuse a choice: the dialog then asks again. The process's
    // current folder stays as it is (ofNoChangeDir or not): the programs rely on theirs.
    bool Execute() override;

    const String& DefaultExt() const { return FDefaultExt; } // without the point: "txt"
    void SetDefaultExt(const String& Value) { FDefaultExt = Value; }
    const String& FileName() const { return FFileName; }
    void SetFileName(const String& Value) { FFileName = Value; }
    TStrings* Files() const { return FFiles.get(); }
    // Pairs of description and patterns: "Text files (*.txt)|*.txt|All files|*.*"; patterns
    // of one pair are separated by ';'.
    const String& Filter() const { return FFilter; }
    void SetFilter(const String& Value) { FFilter = Value; }
    // 1-based; one outside the filters selects the first.
    int FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int Value) { FFilterIndex = Value; }
    const String& InitialDir() const { return FInitialDir; }
    void SetInitialDir(const String& Value) { FInitialDir = Value; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(const TOpenOptions& Value) { FOptions = Value; }
    // Empty: the standard title ("Open", "Save As").
    const String& Title() const { return FTitle; }
    void SetTitle(const String& Value) { FTitle = Value; }

    std::function<void(TObject* Sender, bool& CanClose)> OnCanClose;

protected:
    virtual TQuestionKind Kind() const { return qkOpenDialog; }
    virtual bool DoCanClose();

private:
    String FDefaultExt;
    String FFileName;
    std::unique_ptr<TStringList> FFiles;
    String FFilter;
    int FFilterIndex = 1;
    String FInitialDir;
    TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
    String FTitle;

    static void Published(TPublisher<TOpenDialog>& P);
};

class TSaveDialog : public TOpenDialog {
    DECLARE_CLASS(TSaveDialog, TOpenDialog)
public:
    using TOpenDialog::TOpenDialog;

protected:
    TQuestionKind Kind() const override { return qkSaveDialog; }
};

// ---- Folders ----------------------------------------------------------------------------------

// Lets the user choose a folder under Root (empty: anywhere), starting at Directory. True and
// Directory set to the folder chosen (without a trailing '/') when confirmed; otherwise false
// and Directory unchanged.
bool SelectDirectory(const String& Caption, const String& Root, String& Directory);

class TSelectDirectoryDialog : public TCommonDialog {
    DECLARE_CLASS(TSelectDirectoryDialog, TCommonDialog)
public:
    using TCommonDialog::TCommonDialog;

    // As SelectDirectory, with Title, Root and Directory.
    bool Execute() override;

    const String& Title() const { return FTitle; }
    void SetTitle(const String& Value) { FTitle = Value; }
    const String& Root() const { return FRoot; }
    void SetRoot(const String& Value) { FRoot = Value; }
    const String& Directory() const { return FDirectory; }
    void SetDirectory(const String& Value) { FDirectory = Value; }

private:
    String FTitle;
    String FRoot;
    String FDirectory;

    static void Published(TPublisher<TSelectDirectoryDialog>& P);
};

// ---- Colours and fonts ------------------------------------------------------------------------

class TColorDialog : public TCommonDialog {
    DECLARE_CLASS(TColorDialog, TCommonDialog)
public:
    explicit TColorDialog(TComponent* AOwner);
    ~TColorDialog() override;

    // On OK Color is the colour chosen and CustomColors lists all sixteen custom colours.
    bool Execute() override;

    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    // Lines "ColorA=808080" .. "ColorP=…" (hexadecimal 0xBBGGRR); a missing one is white.
    TStrings* CustomColors() const { return FCustomColors.get(); }
    void SetCustomColors(TStrings* Value) { FCustomColors->Assign(Value); }
    TColorDialogOptions Options() const { return FOptions; }
    void SetOptions(const TColorDialogOptions& Value) { FOptions = Value; }

private:
    TColor FColor = clBlack;
    std::unique_ptr<TStringList> FCustomColors;
    TColorDialogOptions FOptions;

    static void Published(TPublisher<TColorDialog>& P);
};

class TFontDialog : public TCommonDialog {
    DECLARE_CLASS(TFontDialog, TCommonDialog)
public:
    explicit TFontDialog(TComponent* AOwner);
    ~TFontDialog() override;

    // On OK Font holds the name, size, style (and with fdEffects the colour) chosen.
    bool Execute() override;

    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TFontDialogOptions Options() const { return FOptions; }
    void SetOptions(const TFontDialogOptions& Value) { FOptions = Value; }
    // Used with fdLimitSize; 0 is no limit.
    int MinFontSize() const { return FMinFontSize; }
    void SetMinFontSize(int Value) { FMinFontSize = Value; }
    int MaxFontSize() const { return FMaxFontSize; }
    void SetMaxFontSize(int Value) { FMaxFontSize = Value; }

private:
    std::unique_ptr<TFont> FFont;
    TFontDialogOptions FOptions{fdEffects};
    int FMinFontSize = 0;
    int FMaxFontSize = 0;

    static void Published(TPublisher<TFontDialog>& P);
};

// ---- Printing ---------------------------------------------------------------------------------

class TPrintDialog : public TCommonDialog {
    DECLARE_CLASS(TPrintDialog, TCommonDialog)
public:
    using TCommonDialog::TCommonDialog;

    // On OK the copies, collation, range, pages and print-to-file hold the user's choice.
    bool Execute() override;

    bool Collate() const { return FCollate; }
    void SetCollate(bool Value) { FCollate = Value; }
    int Copies() const { return FCopies; }
    void SetCopies(int Value) { FCopies = Value; }
    int FromPage() const { return FFromPage; }
    void SetFromPage(int Value) { FFromPage = Value; }
    int ToPage() const { return FToPage; }
    void SetToPage(int Value) { FToPage = Value; }
    int MinPage() const { return FMinPage; }
    void SetMinPage(int Value) { FMinPage = Value; }
    int MaxPage() const { return FMaxPage; }
    void SetMaxPage(int Value) { FMaxPage = Value; }
    TPrintDialogOptions Options() const { return FOptions; }
    void SetOptions(const TPrintDialogOptions& Value) { FOptions = Value; }
    TPrintRange PrintRange() const { return FPrintRange; }
    void SetPrintRange(TPrintRange Value) { FPrintRange = Value; }
    bool PrintToFile() const { return FPrintToFile; }
    void SetPrintToFile(bool Value) { FPrintToFile = Value; }

private:
    bool FCollate = false;
    int FCopies = 0;
    int FFromPage = 0;
    int FToPage = 0;
    int FMinPage = 0;
    int FMaxPage = 0;
    TPrintDialogOptions FOptions;
    TPrintRange FPrintRange = prAllPages;
    bool FPrintToFile = false;

    static void Published(TPublisher<TPrintDialog>& P);
};

class TPrinterSetupDialog : public TCommonDialog {
    DECLARE_CLASS(TPrinterSetupDialog, TCommonDialog)
public:
    using TCommonDialog::TCommonDialog;
    bool Execute() override;
};
