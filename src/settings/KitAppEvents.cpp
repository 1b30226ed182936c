#include "settings/KitAppEvents.h"

#include <algorithm>
#include <memory>

// ---- TKitAppEvents ----------------------------------------------------------------------------

TKitAppEvents::TKitAppEvents(TComponent* AOwner) : TKitComponent(AOwner) {
    if (!Designing() && Application) Application->HookMainWindow(WindowHook());
    TKitAppEventList::Instance()->AddEvents(this);
}

TKitAppEvents::~TKitAppEvents() {
    if (!Designing() && Application) Application->UnhookMainWindow(WindowHook());
    if (TKitAppEventList* List = TKitAppEventList::Instance(false)) List->RemoveEvents(this);
}

TColor TKitAppEvents::HintColor() const {
    return Designing() || !Application ? FHintColor : Application->HintColor();
}

void TKitAppEvents::SetHintColor(TColor Value) {
    FHintColor = Value;
    if (!Designing() && Application) Application->SetHintColor(Value);
}

int TKitAppEvents::HintPause() const {
    return Designing() || !Application ? FHintPause : Application->HintPause();
}

void TKitAppEvents::SetHintPause(int Value) {
    FHintPause = Value;
    if (!Designing() && Application) Application->SetHintPause(Value);
}

int TKitAppEvents::HintShortPause() const {
    return Designing() || !Application ? FHintShortPause : Application->HintShortPause();
}

void TKitAppEvents::SetHintShortPause(int Value) {
    FHintShortPause = Value;
    if (!Designing() && Application) Application->SetHintShortPause(Value);
}

int TKitAppEvents::HintHidePause() const {
    return Designing() || !Application ? FHintHidePause : Application->HintHidePause();
}

void TKitAppEvents::SetHintHidePause(int Value) {
    FHintHidePause = Value;
    if (!Designing() && Application) Application->SetHintHidePause(Value);
}

bool TKitAppEvents::ShowHint() const {
    return Designing() || !Application ? FShowHint : Application->ShowHint();
}

void TKitAppEvents::SetShowHint(bool Value) {
    FShowHint = Value;
    if (!Designing() && Application) Application->SetShowHint(Value);
}

bool TKitAppEvents::ShowMainForm() const {
    return Designing() || !Application ? FShowMainForm : Application->ShowMainForm();
}

void TKitAppEvents::SetShowMainForm(bool Value) {
    FShowMainForm = Value;
    if (!Designing() && Application) Application->SetShowMainForm(Value);
}

void TKitAppEvents::Loaded() {
    TKitComponent::Loaded();
    if (Designing() || !Application) return;
    Application->SetHintColor(FHintColor);
    Application->SetHintPause(FHintPause);
    Application->SetShowHint(FShowHint);
    Application->SetHintShortPause(FHintShortPause);
    Application->SetHintHidePause(FHintHidePause);
    Application->SetShowMainForm(FShowMainForm);
}

bool TKitAppEvents::ApplicationWindowHook(TMessage& Msg) {
    if (Msg.Msg == WM_WININICHANGE) {
        try {
            FireSettingsChanged();
        } catch (...) {
            if (Application) Application->HandleException(this);
        }
    }
    return false;
}

void TKitAppEvents::FireSettingsChanged() {
    if (OnSettingsChanged) OnSettingsChanged(this);
}

void TKitAppEvents::Published(TPublisher<TKitAppEvents>& P) {
    using C = TKitAppEvents;
    P.Property(u"Chained", &C::Chained, &C::SetChained).Default(true);
    P.Property(u"HintColor", &C::HintColor, &C::SetHintColor).Default(clInfoBk);
    P.Property(u"HintPause", &C::HintPause, &C::SetHintPause).Default(500);
    P.Property(u"ShowHint", &C::ShowHint, &C::SetShowHint).Default(true);
    P.Property(u"UpdateFormatSettings", &C::UpdateFormatSettings, &C::SetUpdateFormatSettings).Default(true);
    P.Property(u"HintShortPause", &C::HintShortPause, &C::SetHintShortPause).Default(50);
    P.Property(u"HintHidePause", &C::HintHidePause, &C::SetHintHidePause).Default(2500);
    P.Property(u"ShowMainForm", &C::ShowMainForm, &C::SetShowMainForm).Default(true);
    P.Property(u"HintShortCuts", &C::HintShortCuts, &C::SetHintShortCuts).Default(true);
    P.Property(u"UpdateMetricSettings", &C::UpdateMetricSettings, &C::SetUpdateMetricSettings).Default(true);
    P.Property(u"MouseDragImmediate", &C::MouseDragImmediate, &C::SetMouseDragImmediate).Default(true);
    P.Property(u"MouseDragThreshold", &C::MouseDragThreshold, &C::SetMouseDragThreshold).Default(5);
}

// ---- TKitAppEventList -------------------------------------------------------------------------

struct TKitAppEventList::TSavedApplicationEvents {
    TActionEvent OnActionExecute, OnActionUpdate;
    TShortCutEvent OnShortCut;
    TNotifyEvent OnActivate, OnDeactivate, OnHint, OnMinimize, OnRestore, OnModalBegin, OnModalEnd;
    TExceptionEvent OnException;
    TIdleEvent OnIdle;
    THelpEvent OnHelp;
    TMessageEvent OnMessage;
    TShowHintEvent OnShowHint;
};

namespace {

std::unique_ptr<TKitAppEventList>& ListInstance() {
    static std::unique_ptr<TKitAppEventList> List;
    return List;
}

bool Never() {
    return false;
}

} // namespace

TKitAppEventList::TKitAppEventList() : TComponent(nullptr) {}

TKitAppEventList::~TKitAppEventList() {
    LetGo();
}

TKitAppEventList* TKitAppEventList::Instance(bool Create) {
    auto& List = ListInstance();
    if (!List && Create) List.reset(new TKitAppEventList());
    return List.get();
}

void TKitAppEventList::AddEvents(TKitAppEvents* AppEvents) {
    if (!AppEvents || std::find(FAppEvents.begin(), FAppEvents.end(), AppEvents) != FAppEvents.end()) return;
    FAppEvents.push_back(AppEvents);
    if (!AppEvents->Designing() && FAppEvents.size() == 1) TakeOver();
}

void TKitAppEventList::RemoveEvents(TKitAppEvents* AppEvents) {
    auto It = std::find(FAppEvents.begin(), FAppEvents.end(), AppEvents);
    if (It == FAppEvents.end()) return;
    FAppEvents.erase(It);
    if (!AppEvents->Designing() && FAppEvents.empty()) LetGo();
}

template <class H, class F> bool TKitAppEventList::Dispatch(H Handler, F Ended) {
    // Newest first. A component freed by a handler is skipped; one made by a handler waits for
    // the next event.
    const std::vector<TKitAppEvents*> Snapshot(FAppEvents.rbegin(), FAppEvents.rend());
    for (TKitAppEvents* E : Snapshot) {
        if (std::find(FAppEvents.begin(), FAppEvents.end(), E) == FAppEvents.end()) continue;
        E->FCancelDispatch = false;
        Handler(E);
        if (std::find(FAppEvents.begin(), FAppEvents.end(), E) == FAppEvents.end()) return false;
        if (!E->FChained || E->FCancelDispatch || Ended()) return false;
    }
    return true;
}

void TKitAppEventList::TakeOver() {
    if (FHooked || !Application) return;
    TApplication* A = Application;
    FSaved = std::make_unique<TSavedApplicationEvents>(TSavedApplicationEvents{
        A->OnActionExecute, A->OnActionUpdate, A->OnShortCut, A->OnActivate, A->OnDeactivate, A->OnHint,
        A->OnMinimize, A->OnRestore, A->OnModalBegin, A->OnModalEnd, A->OnException, A->OnIdle, A->OnHelp,
        A->OnMessage, A->OnShowHint});

    auto Notify = [this](TNotifyEvent TKitAppEvents::*Event) {
        return [this, Event](TObject* Sender) {
            Dispatch(
                [&](TKitAppEvents* E) {
                    if (E->*Event) (E->*Event)(Sender);
                },
                Never);
        };
    };
    A->OnActivate = Notify(&TKitAppEvents::OnActivate);
    A->OnDeactivate = Notify(&TKitAppEvents::OnDeactivate);
    A->OnHint = Notify(&TKitAppEvents::OnHint);
    A->OnMinimize = Notify(&TKitAppEvents::OnMinimize);
    A->OnRestore = Notify(&TKitAppEvents::OnRestore);
    A->OnModalBegin = Notify(&TKitAppEvents::OnModalBegin);
    A->OnModalEnd = Notify(&TKitAppEvents::OnModalEnd);

    auto Action = [this](TActionEvent TKitAppEvents::*Event) {
        return [this, Event](TBasicAction* Act, bool& Handled) {
            Dispatch(
                [&](TKitAppEvents* E) {
                    if (E->*Event) (E->*Event)(Act, Handled);
                },
                [&] { return Handled; });
        };
    };
    A->OnActionExecute = Action(&TKitAppEvents::OnActionExecute);
    A->OnActionUpdate = Action(&TKitAppEvents::OnActionUpdate);
    A->OnShortCut = [this](TWMKey& Msg, bool& Handled) {
        Dispatch(
            [&](TKitAppEvents* E) {
                if (E->OnShortCut) E->OnShortCut(Msg, Handled);
            },
            [&] { return Handled; });
    };
    A->OnMessage = [this](TMsg& Msg, bool& Handled) {
        Dispatch(
            [&](TKitAppEvents* E) {
                if (E->OnMessage) E->OnMessage(Msg, Handled);
            },
            [&] { return Handled; });
    };
    A->OnIdle = [this](TObject* Sender, bool& Done) {
        Dispatch(
            [&](TKitAppEvents* E) {
                if (E->OnIdle) E->OnIdle(Sender, Done);
            },
            Never);
    };
    A->OnShowHint = [this](String& HintStr, bool& CanShow, THintInfo& HintInfo) {
        Dispatch(
            [&](TKitAppEvents* E) {
                if (E->OnShowHint) E->OnShowHint(HintStr, CanShow, HintInfo);
            },
            Never);
    };
    A->OnHelp = [this](Word Command, std::intptr_t Data, bool& CallHelp) {
        bool Result = false;
        Dispatch(
            [&](TKitAppEvents* E) {
                if (E->OnHelp) Result = E->OnHelp(Command, Data, CallHelp);
            },
            Never);
        return Result;
    };
    A->OnException = [this](TObject* Sender, Exception* Error) {
        bool Handled = false;
        Dispatch(
            [&](TKitAppEvents* E) {
                if (!E->OnException) return;
                Handled = true;
                E->OnException(Sender, Error);
            },
            Never);
        if (!Handled && !dynamic_cast<EAbort*>(Error) && Application) Application->ShowException(Error);
    };

    if (Screen) {
        FOnActiveControlChange = Screen->OnActiveControlChange;
        FOnActiveFormChange = Screen->OnActiveFormChange;
        auto ScreenEvent = [this](TNotifyEvent TKitAppEvents::*Event, TNotifyEvent TKitAppEventList::*Saved) {
            return [this, Event, Saved](TObject* Sender) {
                const bool RanToEnd = Dispatch(
                    [&](TKitAppEvents* E) {
                        if (E->*Event) (E->*Event)(Sender);
                    },
                    Never);
                if (RanToEnd && this->*Saved) (this->*Saved)(Sender);
            };
        };
        Screen->OnActiveControlChange =
            ScreenEvent(&TKitAppEvents::OnActiveControlChange, &TKitAppEventList::FOnActiveControlChange);
        Screen->OnActiveFormChange =
            ScreenEvent(&TKitAppEvents::OnActiveFormChange, &TKitAppEventList::FOnActiveFormChange);
    }
    FHooked = true;
}

void TKitAppEventList::LetGo() {
    if (!FHooked) return;
    FHooked = false;
    if (Application && FSaved) {
        TApplication* A = Application;
        const TSavedApplicationEvents& S = *FSaved;
        A->OnActionExecute = S.OnActionExecute;
        A->OnActionUpdate = S.OnActionUpdate;
        A->OnShortCut = S.OnShortCut;
        A->OnActivate = S.OnActivate;
        A->OnDeactivate = S.OnDeactivate;
        A->OnHint = S.OnHint;
        A->OnMinimize = S.OnMinimize;
        A->OnRestore = S.OnRestore;
        A->OnModalBegin = S.OnModalBegin;
        A->OnModalEnd = S.OnModalEnd;
        A->OnException = S.OnException;
        A->OnIdle = S.OnIdle;
        A->OnHelp = S.OnHelp;
        A->OnMessage = S.OnMessage;
        A->OnShowHint = S.OnShowHint;
    }
    FSaved.reset();
    // The screen's own handlers come back: dropping them would silently cut off whoever set
    // them before the first component came.
    if (Screen) {
        Screen->OnActiveControlChange = FOnActiveControlChange;
        Screen->OnActiveFormChange = FOnActiveFormChange;
    }
    FOnActiveControlChange = nullptr;
    FOnActiveFormChange = nullptr;
}
