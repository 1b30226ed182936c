#pragma once
// The question service: every modal question the programs put to the user passes through here
// (message boxes, message dialogs, input queries, the common dialogs and ShowModal of our own
// forms). A question is a TQuestion record; its answer a TAnswer.
//
// Who answers: the newest TQuestionScript alive, when there is one (tests); otherwise the real
// Qt dialog. A test program sets the environment variable MORVANE_SCRIPTED_QUESTIONS (any
// non-empty value): there a question that no script answers raises EUnscriptedQuestion and is
// reported on stderr, so a test run never waits for a click.

#include "platform/base/Exceptions.h"
#include "platform/base/Format.h"
#include "platform/base/Set.h"
#include "platform/base/TypeInfo.h"
#include "platform/base/Types.h"
#include "platform/gui/ModalResults.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TComponent;

// A question nobody answers in a test run, or a scripted answer that does not fit the question.
DECLARE_EXCEPTION(EUnscriptedQuestion, Exception)

// ---- Message boxes ----------------------------------------------------------------------------

// Buttons (MB_TYPEMASK).
constexpr unsigned MB_OK = 0x0000;
constexpr unsigned MB_OKCANCEL = 0x0001;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x0002;
constexpr unsigned MB_YESNOCANCEL = 0x0003;
constexpr unsigned MB_YESNO = 0x0004;
constexpr unsigned MB_RETRYCANCEL = 0x0005;
// Icons (MB_ICONMASK).
constexpr unsigned MB_ICONHAND = 0x0010;
constexpr unsigned MB_ICONQUESTION = 0x0020;
constexpr unsigned MB_ICONEXCLAMATION = 0x0030;
constexpr unsigned MB_ICONASTERISK = 0x0040;
constexpr unsigned MB_ICONERROR = MB_ICONHAND;
constexpr unsigned MB_ICONSTOP = MB_ICONHAND;
constexpr unsigned MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr unsigned MB_ICONINFORMATION = MB_ICONASTERISK;
// Default button (MB_DEFMASK); one beyond the buttons shown makes the first the default.
constexpr unsigned MB_DEFBUTTON1 = 0x0000;
constexpr unsigned MB_DEFBUTTON2 = 0x0100;
constexpr unsigned MB_DEFBUTTON3 = 0x0200;
constexpr unsigned MB_DEFBUTTON4 = 0x0300;
// Modality (MB_MODEMASK): recorded; every box is modal to the application here.
constexpr unsigned MB_APPLMODAL = 0x0000;
constexpr unsigned MB_SYSTEMMODAL = 0x1000;
constexpr unsigned MB_TASKMODAL = 0x2000;
constexpr unsigned MB_TYPEMASK = 0x000F;
constexpr unsigned MB_ICONMASK = 0x00F0;
constexpr unsigned MB_DEFMASK = 0x0F00;
constexpr unsigned MB_MODEMASK = 0x3000;

// The button a message box answers with (the same numbers as mrOk .. mrNo).
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// ---- Message dialogs --------------------------------------------------------------------------

DECLARE_ENUM(TMsgDlgType, Byte, mtWarning, mtError, mtInformation, mtConfirmation, mtCustom)
DECLARE_ENUM(TMsgDlgBtn, Byte, mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll,
             mbYesToAll, mbHelp, mbClose)
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

inline const TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline const TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// ---- Options of the common dialogs (kept in the question so the real dialog can follow them) -

DECLARE_ENUM(TOpenOption, Byte, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp,
             ofNoValidate, ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist,
             ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton,
             ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing,
             ofDontAddToRecent, ofForceShowHidden)
using TOpenOptions = TSet<TOpenOption>;

DECLARE_ENUM(TColorDialogOption, Byte, cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor)
using TColorDialogOptions = TSet<TColorDialogOption>;

DECLARE_ENUM(TFontDialogOption, Byte, fdAnsiOnly, fdTrueTypeOnly, fdEffects, fdFixedPitchOnly,
             fdForceFontExist, fdNoFaceSel, fdNoOEMFonts, fdNoSimulations, fdNoSizeSel, fdNoStyleSel,
             fdNoVectorFonts, fdShowHelp, fdWysiwyg, fdLimitSize, fdScalableOnly, fdApplyButton)
using TFontDialogOptions = TSet<TFontDialogOption>;

DECLARE_ENUM(TPrintRange, Byte, prAllPages, prSelection, prPageNums)
DECLARE_ENUM(TPrintDialogOption, Byte, poPrintToFile, poPageNums, poSelection, poWarning, poHelp,
             poDisablePrintToFile)
using TPrintDialogOptions = TSet<TPrintDialogOption>;

// ---- The question and its answer --------------------------------------------------------------

DECLARE_ENUM(TQuestionKind, Byte, qkMessageBox, qkMessageDlg, qkInputQuery, qkOpenDialog, qkSaveDialog,
             qkSelectDirectory, qkColorDialog, qkFontDialog, qkPrintDialog, qkPrinterSetupDialog, qkShowModal)

struct TQuestionButton {
    String Caption; // as shown, with its '&' mnemonic
    int Result = 0; // what pressing it answers (mrNone: a button that does not close, Help)
    bool operator==(const TQuestionButton&) const = default;
};

// A font as the font dialog shows it. Colour 0x00BBGGRR; Pitch 0 default, 1 variable, 2 fixed.
struct TQuestionFont {
    String Name;
    int Size = 0; // points
    int Color = 0;
    Byte Charset = 1;
    Byte Pitch = 0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    bool operator==(const TQuestionFont&) const = default;
};

struct TQuestionPrint {
    int Copies = 1;
    bool Collate = false;
    TPrintRange PrintRange = prAllPages;
    int FromPage = 0;
    int ToPage = 0;
    int MinPage = 0;
    int MaxPage = 0;
    bool PrintToFile = false;
    bool operator==(const TQuestionPrint&) const = default;
};

struct TQuestion {
    TQuestionKind Kind = qkMessageBox;
    String Caption; // the window title (common dialogs: their Title, empty for the standard one)
    String Text;    // the message, or the prompt of an input query
    // The icon: message boxes map MB_ICON* here (none is mtCustom).
    TMsgDlgType Icon = mtCustom;
    // Message boxes and message dialogs: the buttons in the order shown, the answer of the
    // default button (Enter), and what Escape or closing the window answers (0: they cannot).
    std::vector<TQuestionButton> Buttons;
    int DefaultResult = 0;
    int CancelResult = 0;
    // Message boxes: the owner window's handle (0: the active window) and the MB_* flags.
    std::uintptr_t OwnerHandle = 0;
    unsigned Flags = 0;
    // Message dialogs: as asked; X and Y are the position of MessageDlgPos, -1 for centred.
    TMsgDlgType DlgType = mtCustom;
    TMsgDlgButtons DlgButtons;
    int HelpContext = 0;
    int X = -1;
    int Y = -1;
    // Input queries: the text the edit starts with.
    String Value;
    // File dialogs; SelectDirectory uses Directory and Root.
    String FileName;
    String Filter; // "Text files|*.txt|All files|*.*"
    int FilterIndex = 1;
    String InitialDir;
    String DefaultExt;
    TOpenOptions Options;
    String Directory;
    String Root;
    // Colour dialog: colours 0x00BBGGRR; 16 custom colours.
    int Color = 0;
    std::vector<int> CustomColors;
    TColorDialogOptions ColorOptions;
    // Font dialog.
    TQuestionFont Font;
    TFontDialogOptions FontOptions;
    int MinFontSize = 0;
    int MaxFontSize = 0;
    // Print dialog.
    TQuestionPrint Print;
    TPrintDialogOptions PrintOptions;
    // The dialog component that asks (common dialogs), the form shown (ShowModal).
    TComponent* Dialog = nullptr;
    TComponent* Form = nullptr;

    // The caption of the button that answers Result; "" when there is none.
    String ButtonCaption(int Result) const;
};

// The answer. Before a script sees it, it holds the question's own values (Result: the default
// button, mrOk for the other kinds), so a script changes only what the user would change.
struct TAnswer {
    int Result = 0; // ID* of a message box; mr* of everything else (dialogs: mrOk or mrCancel)
    String Value;   // input query text
    String FileName;
    std::vector<String> Files; // every file chosen (one without multi-select)
    int FilterIndex = 1;
    String Directory;
    int Color = 0;
    std::vector<int> CustomColors;
    TQuestionFont Font;
    TQuestionPrint Print;
};

// ---- Asking -----------------------------------------------------------------------------------

// Puts Q to the current script or the real dialog. Raises EUnscriptedQuestion as described above.
TAnswer AskQuestion(const TQuestion& Q);

// Shows one of our own forms modally. With a script the scripted answer is the modal result
// (the handler may fill the form's controls first through Q.Form) and RunModal is not called;
// otherwise RunModal shows the form and returns its ModalResult.
TModalResult AskShowModal(TComponent* Form, const String& Caption,
                          const std::function<TModalResult()>& RunModal);

// ---- Scripts ----------------------------------------------------------------------------------

using TQuestionHandler = std::function<void(const TQuestion& Q, TAnswer& A)>;

// A script answers the questions asked while it lives; scripts nest, the newest answers. Each
// question takes the next queued answer, or when the queue is empty goes to the handler; with
// neither it raises EUnscriptedQuestion. A message box or dialog answered with a result none of
// its buttons gives raises EUnscriptedQuestion too.
class TQuestionScript {
public:
    TQuestionScript();
    ~TQuestionScript();
    TQuestionScript(const TQuestionScript&) = delete;
    TQuestionScript& operator=(const TQuestionScript&) = delete;

    // Queues an answer by its result (a button's ID* or mr* value, mrOk/mrCancel for dialogs).
    TQuestionScript& Answer(int Result);
    // Queues a result with a text: the input text (InputQuery), the file name (file dialogs:
    // also Files), or the folder (SelectDirectory).
    TQuestionScript& Answer(int Result, const String& Text);
    // Queues an answer made by a function.
    TQuestionScript& Answer(TQuestionHandler Handler);
    // Answers whatever comes once the queue is empty.
    void SetHandler(TQuestionHandler Handler);

    // Every question this script was asked, in order (also those it could not answer).
    const std::vector<TQuestion>& Asked() const;
    // The last question asked; raises EUnscriptedQuestion when none was.
    const TQuestion& Last() const;
    int PendingAnswers() const;

private:
    struct TState;
    std::unique_ptr<TState> FState;
    friend TAnswer AskQuestion(const TQuestion& Q);
};

// ---- Message boxes and message dialogs --------------------------------------------------------

// Shows Text with Caption (empty: "Error") and the buttons and icon of Flags; returns the ID*
// of the button chosen, 0 for an invalid button combination (nothing is asked then).
int MessageBox(std::uintptr_t Handle, const String& Text, const String& Caption, unsigned Flags);
// The application's form: owner is the active window.
int ApplicationMessageBox(const String& Text, const String& Caption, unsigned Flags = MB_OK);
// The application's standard exception box: the message, with a full stop added when it ends
// in a character above '.', under Title with an OK button and the stop icon.
void ShowExceptionBox(const String& Message, const String& Title);

// The message dialog as a question: caption "Warning", "Error", "Information", "Confirm" or the
// application's title (mtCustom), buttons in TMsgDlgBtn order. The default button is mbOK when
// shown, else mbYes, else mbRetry (or the first button); Escape answers mbCancel's, else mbNo's,
// else mbOK's result.
TQuestion CreateMessageDialog(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons);
TQuestion CreateMessageDialog(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                              TMsgDlgBtn DefaultButton);
TModalResult MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
TModalResult MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                        TMsgDlgBtn DefaultButton);
TModalResult MessageDlgPos(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int X,
                           int Y);
// A message with an OK button under the application's title.
void ShowMessage(const String& Msg);
void ShowMessageFmt(const String& Msg, std::initializer_list<TVarRec> Params);

// Asks for a line of text: OK sets Value to the text entered and returns true; Cancel leaves
// Value as it was and returns false.
bool InputQuery(const String& Caption, const String& Prompt, String& Value);
// The text entered, or Default when cancelled.
String InputBox(const String& Caption, const String& Prompt, const String& Default);

// ---- What the application provides ------------------------------------------------------------

// Told (before EUnscriptedQuestion is raised) about every question no script answers in a test
// run and every scripted answer that does not fit, so that a test fails even when the exception
// is caught on the way (an event handler's exception goes to the application's handling). Test
// programs install a handler that reports a test failure.
void SetUnscriptedQuestionHandler(std::function<void(const String& Message)> Handler);

// The application's title for mtCustom dialogs and ShowMessage; until the application sets a
// source, the program file's name without its extension.
void SetQuestionTitleSource(std::function<String()> Source);
String QuestionApplicationTitle();
