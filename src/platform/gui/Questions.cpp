#include "platform/gui/Questions.h"

#include "platform/base/Files.h"
#include "platform/base/Strings.h"
#include "platform/base/Threads.h"
#include "platform/gui/QuestionsQt.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <mutex>

// ---- Hooks ------------------------------------------------------------------------------------

namespace {

std::mutex HookLock;
std::function<String()> TitleSource;
std::function<QWidget*(std::uintptr_t)> ParentResolver;
std::function<void(const String&)> UnscriptedHandler;

template <class T> T Copy(const T& Hook) {
    std::lock_guard<std::mutex> Guard(HookLock);
    return Hook;
}

} // namespace

void SetUnscriptedQuestionHandler(std::function<void(const String& Message)> Handler) {
    std::lock_guard<std::mutex> Guard(HookLock);
    UnscriptedHandler = std::move(Handler);
}

void SetQuestionTitleSource(std::function<String()> Source) {
    std::lock_guard<std::mutex> Guard(HookLock);
    TitleSource = std::move(Source);
}

String QuestionApplicationTitle() {
    if (auto Source = Copy(TitleSource)) return Source();
    return ChangeFileExt(ExtractFileName(ProgramFile()), u"");
}

void SetQuestionParentResolver(std::function<QWidget*(std::uintptr_t Handle)> Resolver) {
    std::lock_guard<std::mutex> Guard(HookLock);
    ParentResolver = std::move(Resolver);
}

QWidget* QuestionParent(std::uintptr_t Handle) {
    QWidget* Parent = nullptr;
    if (auto Resolver = Copy(ParentResolver)) Parent = Resolver(Handle);
    if (!Parent) Parent = QApplication::activeModalWidget();
    if (!Parent) Parent = QApplication::activeWindow();
    return Parent;
}

// ---- The record -------------------------------------------------------------------------------

String TQuestion::ButtonCaption(int Result) const {
    for (const TQuestionButton& B : Buttons)
        if (B.Result == Result) return B.Caption;
    return String();
}

// ---- Scripts ----------------------------------------------------------------------------------

struct TQuestionScript::TState {
    std::deque<TQuestionHandler> Queue;
    TQuestionHandler Handler;
    std::vector<TQuestion> Asked;
};

namespace {

std::mutex ScriptLock;
std::vector<TQuestionScript*> Scripts; // the newest last

bool InScriptedRun() {
    const char* Value = std::getenv("MORVANE_SCRIPTED_QUESTIONS");
    return Value && *Value;
}

String Describe(const TQuestion& Q) {
    String Kind = GetEnumName(TypeInfo<TQuestionKind>(), Q.Kind);
    if (StartsStr(u"qk", Kind)) Kind.erase(0, 2);
    String S = Kind + u" \"" + Q.Caption + u"\"";
    if (!Q.Text.empty()) S += u": " + Q.Text;
    return S;
}

[[noreturn]] void Fail(const String& Message) {
    std::fprintf(stderr, "%s\n", StringToUtf8(Message).c_str());
    std::fflush(stderr);
    if (auto Handler = Copy(UnscriptedHandler)) Handler(Message);
    throw EUnscriptedQuestion(Message);
}

TAnswer Prefilled(const TQuestion& Q) {
    TAnswer A;
    A.Result = (Q.Kind == qkMessageBox || Q.Kind == qkMessageDlg) ? Q.DefaultResult : mrOk;
    A.Value = Q.Value;
    A.FileName = Q.FileName;
    if (!Q.FileName.empty()) A.Files = {Q.FileName};
    A.FilterIndex = Q.FilterIndex;
    A.Directory = Q.Directory;
    A.Color = Q.Color;
    A.CustomColors = Q.CustomColors;
    A.Font = Q.Font;
    A.Print = Q.Print;
    return A;
}

// A scripted answer must be one the real dialog could give.
void CheckAnswer(const TQuestion& Q, const TAnswer& A) {
    switch (Q.Kind) {
    case qkMessageBox:
    case qkMessageDlg:
        if (A.Result != 0 && A.Result == Q.CancelResult) return;
        for (const TQuestionButton& B : Q.Buttons)
            if (B.Result != mrNone && B.Result == A.Result) return;
        Fail(u"Scripted answer " + IntToStr(A.Result) + u" is not one of the buttons of " + Describe(Q));
    case qkShowModal:
        return;
    case qkOpenDialog:
    case qkSaveDialog:
        if (A.Result == mrOk && A.FileName.empty() && A.Files.empty())
            Fail(u"Scripted OK without a file name for " + Describe(Q));
        break;
    case qkSelectDirectory:
        if (A.Result == mrOk && A.Directory.empty()) Fail(u"Scripted OK without a folder for " + Describe(Q));
        break;
    default:
        break;
    }
    if (A.Result != mrOk && A.Result != mrCancel)
        Fail(u"Scripted answer " + IntToStr(A.Result) + u" is neither mrOk nor mrCancel for " + Describe(Q));
}

TAnswer AskOnGuiThread(const TQuestion& Q) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw EInvalidOperation(u"No window system to ask: " + Describe(Q));
    if (GetCurrentThreadId() == MainThreadID()) return ShowRealQuestion(Q);
    // A question from another thread is shown by the GUI thread while this one waits; through
    // the main-thread queue, which a GUI thread waiting for this thread keeps running too.
    TAnswer A;
    TThread::Synchronize(nullptr, [&] { A = ShowRealQuestion(Q); });
    return A;
}

} // namespace

TQuestionScript::TQuestionScript() : FState(std::make_unique<TState>()) {
    std::lock_guard<std::mutex> Guard(ScriptLock);
    Scripts.push_back(this);
}

TQuestionScript::~TQuestionScript() {
    std::lock_guard<std::mutex> Guard(ScriptLock);
    std::erase(Scripts, this);
}

TQuestionScript& TQuestionScript::Answer(int Result) {
    return Answer([Result](const TQuestion&, TAnswer& A) { A.Result = Result; });
}

TQuestionScript& TQuestionScript::Answer(int Result, const String& Text) {
    return Answer([Result, Text](const TQuestion& Q, TAnswer& A) {
        A.Result = Result;
        switch (Q.Kind) {
        case qkOpenDialog:
        case qkSaveDialog:
            A.FileName = Text;
            A.Files = {Text};
            break;
        case qkSelectDirectory:
            A.Directory = Text;
            break;
        default:
            A.Value = Text;
        }
    });
}

TQuestionScript& TQuestionScript::Answer(TQuestionHandler Handler) {
    std::lock_guard<std::mutex> Guard(ScriptLock);
    FState->Queue.push_back(std::move(Handler));
    return *this;
}

void TQuestionScript::SetHandler(TQuestionHandler Handler) {
    std::lock_guard<std::mutex> Guard(ScriptLock);
    FState->Handler = std::move(Handler);
}

const std::vector<TQuestion>& TQuestionScript::Asked() const {
    return FState->Asked;
}

const TQuestion& TQuestionScript::Last() const {
    if (FState->Asked.empty()) throw EUnscriptedQuestion(u"No question was asked");
    return FState->Asked.back();
}

int TQuestionScript::PendingAnswers() const {
    std::lock_guard<std::mutex> Guard(ScriptLock);
    return static_cast<int>(FState->Queue.size());
}

// ---- Asking -----------------------------------------------------------------------------------

TAnswer AskQuestion(const TQuestion& Q) {
    TQuestionHandler Handler;
    bool Scripted = false;
    {
        std::lock_guard<std::mutex> Guard(ScriptLock);
        if (!Scripts.empty()) {
            Scripted = true;
            TQuestionScript::TState& S = *Scripts.back()->FState;
            S.Asked.push_back(Q);
            if (!S.Queue.empty()) {
                Handler = std::move(S.Queue.front());
                S.Queue.pop_front();
            } else {
                Handler = S.Handler;
            }
        }
    }
    if (Scripted) {
        // The handler runs without the lock: it may ask questions of its own.
        if (!Handler) Fail(u"No scripted answer left for " + Describe(Q));
        TAnswer A = Prefilled(Q);
        Handler(Q, A);
        CheckAnswer(Q, A);
        return A;
    }
    if (InScriptedRun()) Fail(u"Unscripted question: " + Describe(Q));
    return AskOnGuiThread(Q);
}

TModalResult AskShowModal(TComponent* Form, const String& Caption,
                          const std::function<TModalResult()>& RunModal) {
    bool Scripted;
    {
        std::lock_guard<std::mutex> Guard(ScriptLock);
        Scripted = !Scripts.empty();
    }
    // Without a script the form runs its own modal loop.
    if (!Scripted && !InScriptedRun()) return RunModal();
    TQuestion Q;
    Q.Kind = qkShowModal;
    Q.Caption = Caption;
    Q.Form = Form;
    return AskQuestion(Q).Result;
}

// ---- Message boxes ----------------------------------------------------------------------------

int MessageBox(std::uintptr_t Handle, const String& Text, const String& Caption, unsigned Flags) {
    static const std::vector<int> Layouts[] = {
        {IDOK},        {IDOK, IDCANCEL},   {IDABORT, IDRETRY, IDIGNORE}, {IDYES, IDNO, IDCANCEL},
        {IDYES, IDNO}, {IDRETRY, IDCANCEL}};
    const unsigned Type = Flags & MB_TYPEMASK;
    if (Type >= std::size(Layouts)) return 0;
    TQuestion Q;
    Q.Kind = qkMessageBox;
    Q.Caption = Caption.empty() ? String(u"Error") : Caption;
    Q.Text = Text;
    Q.OwnerHandle = Handle;
    Q.Flags = Flags;
    switch (Flags & MB_ICONMASK) {
    case MB_ICONHAND:
        Q.Icon = mtError;
        break;
    case MB_ICONQUESTION:
        Q.Icon = mtConfirmation;
        break;
    case MB_ICONEXCLAMATION:
        Q.Icon = mtWarning;
        break;
    case MB_ICONASTERISK:
        Q.Icon = mtInformation;
        break;
    default:
        Q.Icon = mtCustom;
    }
    for (int Id : Layouts[Type]) {
        static const char16_t* const Captions[] = {u"",       u"OK",      u"Cancel", u"&Abort",
                                                   u"&Retry", u"&Ignore", u"&Yes",   u"&No"};
        Q.Buttons.push_back({Captions[Id], Id});
    }
    const std::size_t Default = (Flags & MB_DEFMASK) >> 8;
    Q.DefaultResult = Q.Buttons[Default < Q.Buttons.size() ? Default : 0].Result;
    if (!Q.ButtonCaption(IDCANCEL).empty())
        Q.CancelResult = IDCANCEL;
    else if (Type == MB_OK)
        Q.CancelResult = IDOK;
    return AskQuestion(Q).Result;
}

int ApplicationMessageBox(const String& Text, const String& Caption, unsigned Flags) {
    return MessageBox(0, Text, Caption, Flags);
}

void ShowExceptionBox(const String& Message, const String& Title) {
    String Msg = Message;
    if (!Msg.empty() && Msg.back() > u'.') Msg += u'.';
    MessageBox(0, Msg, Title, MB_OK | MB_ICONSTOP);
}

// ---- Message dialogs --------------------------------------------------------------------------

namespace {

struct TButtonInfo {
    const char16_t* Caption;
    TModalResult Result;
};

constexpr TButtonInfo ButtonInfos[] = {{u"&Yes", mrYes},
                                       {u"&No", mrNo},
                                       {u"OK", mrOk},
                                       {u"Cancel", mrCancel},
                                       {u"&Abort", mrAbort},
                                       {u"&Retry", mrRetry},
                                       {u"&Ignore", mrIgnore},
                                       {u"&All", mrAll},
                                       {u"N&o to All", mrNoToAll},
                                       {u"Yes to &All", mrYesToAll},
                                       {u"&Help", mrNone},
                                       {u"&Close", mrClose}};

TMsgDlgBtn StandardDefault(TMsgDlgButtons Buttons) {
    if (Buttons.Contains(mbOK)) return mbOK;
    if (Buttons.Contains(mbYes)) return mbYes;
    return mbRetry;
}

} // namespace

TQuestion CreateMessageDialog(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons) {
    return CreateMessageDialog(Msg, DlgType, Buttons, StandardDefault(Buttons));
}

TQuestion CreateMessageDialog(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                              TMsgDlgBtn DefaultButton) {
    static const char16_t* const Captions[] = {u"Warning", u"Error", u"Information", u"Confirm"};
    TQuestion Q;
    Q.Kind = qkMessageDlg;
    Q.Caption = DlgType == mtCustom ? QuestionApplicationTitle() : String(Captions[DlgType]);
    Q.Text = Msg;
    Q.Icon = DlgType;
    Q.DlgType = DlgType;
    Q.DlgButtons = Buttons;
    for (int B = 0; B < TMsgDlgButtons::Capacity; ++B)
        if (Buttons.Contains(TMsgDlgBtn(B)))
            Q.Buttons.push_back({ButtonInfos[B].Caption, ButtonInfos[B].Result});
    // Enter presses the default button, or the first one, which has the focus.
    if (Buttons.Contains(DefaultButton))
        Q.DefaultResult = ButtonInfos[DefaultButton].Result;
    else if (!Q.Buttons.empty())
        Q.DefaultResult = Q.Buttons.front().Result;
    if (Buttons.Contains(mbCancel))
        Q.CancelResult = mrCancel;
    else if (Buttons.Contains(mbNo))
        Q.CancelResult = mrNo;
    else if (Buttons.Contains(mbOK))
        Q.CancelResult = mrOk;
    else
        Q.CancelResult = mrCancel; // closing the window
    return Q;
}

TModalResult MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
    return MessageDlgPos(Msg, DlgType, Buttons, HelpCtx, -1, -1);
}

TModalResult MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                        TMsgDlgBtn DefaultButton) {
    TQuestion Q = CreateMessageDialog(Msg, DlgType, Buttons, DefaultButton);
    Q.HelpContext = HelpCtx;
    return AskQuestion(Q).Result;
}

TModalResult MessageDlgPos(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int X,
                           int Y) {
    TQuestion Q = CreateMessageDialog(Msg, DlgType, Buttons);
    Q.HelpContext = HelpCtx;
    Q.X = X;
    Q.Y = Y;
    return AskQuestion(Q).Result;
}

void ShowMessage(const String& Msg) {
    MessageDlg(Msg, mtCustom, {mbOK}, 0);
}

void ShowMessageFmt(const String& Msg, std::initializer_list<TVarRec> Params) {
    ShowMessage(Format(Msg, Params));
}

bool InputQuery(const String& Caption, const String& Prompt, String& Value) {
    TQuestion Q;
    Q.Kind = qkInputQuery;
    Q.Caption = Caption;
    Q.Text = Prompt;
    Q.Value = Value;
    Q.Buttons = {{u"OK", mrOk}, {u"Cancel", mrCancel}};
    Q.DefaultResult = mrOk;
    Q.CancelResult = mrCancel;
    const TAnswer A = AskQuestion(Q);
    if (A.Result != mrOk) return false;
    Value = A.Value;
    return true;
}

String InputBox(const String& Caption, const String& Prompt, const String& Default) {
    String Value = Default;
    InputQuery(Caption, Prompt, Value);
    return Value;
}
