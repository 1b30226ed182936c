#pragma once
// Application events for many listeners. The application and the screen carry one handler per
// event, so two parts of a program that both want one would overwrite each other. Any form
// drops in a TKitAppEvents and gives it handlers; all of them share one process-wide list,
// which alone takes over the application's and the screen's events and passes each event on
// to every component, the newest first. A component ends the chain for the event at hand when
// it is not Chained, when its handler calls CancelDispatch, or by the event's own rule (a
// message or shortcut that became Handled).
//
// The component also mirrors the application's hint settings as its own properties and writes
// them into the application when it is loaded.

#include "settings/KitTranslateString.h"

#include "platform/gui/Forms.h"

#include <vector>

using TKitAppEventsHelpEvent = THelpEvent;

class TKitAppEvents : public TKitComponent {
    DECLARE_CLASS(TKitAppEvents, TKitComponent)
public:
    explicit TKitAppEvents(TComponent* AOwner);
    ~TKitAppEvents() override;

    // From inside a handler: the event goes to no further component.
    void CancelDispatch() { FCancelDispatch = true; }

    bool Chained() const { return FChained; }
    void SetChained(bool Value) { FChained = Value; }
    // Mirrored: the application's values outside design mode.
    TColor HintColor() const;
    void SetHintColor(TColor Value);
    int HintPause() const;
    void SetHintPause(int Value);
    int HintShortPause() const;
    void SetHintShortPause(int Value);
    int HintHidePause() const;
    void SetHintHidePause(int Value);
    bool ShowHint() const;
    void SetShowHint(bool Value);
    bool ShowMainForm() const;
    void SetShowMainForm(bool Value);
    // Kept by the component only: the application here has no such settings.
    bool HintShortCuts() const { return FHintShortCuts; }
    void SetHintShortCuts(bool Value) { FHintShortCuts = Value; }
    bool UpdateFormatSettings() const { return FUpdateFormatSettings; }
    void SetUpdateFormatSettings(bool Value) { FUpdateFormatSettings = Value; }
    bool UpdateMetricSettings() const { return FUpdateMetricSettings; }
    void SetUpdateMetricSettings(bool Value) { FUpdateMetricSettings = Value; }
    bool MouseDragImmediate() const { return FMouseDragImmediate; }
    void SetMouseDragImmediate(bool Value) { FMouseDragImmediate = Value; }
    int MouseDragThreshold() const { return FMouseDragThreshold; }
    void SetMouseDragThreshold(int Value) { FMouseDragThreshold = Value; }

    TActionEvent OnActionExecute;
    TActionEvent OnActionUpdate;
    TShortCutEvent OnShortCut;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TExceptionEvent OnException;
    TIdleEvent OnIdle;
    THelpEvent OnHelp;
    TNotifyEvent OnHint;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    TShowHintEvent OnShowHint;
    TNotifyEvent OnModalBegin;
    TNotifyEvent OnModalEnd;
    TMessageEvent OnMessage;
    TNotifyEvent OnSettingsChanged;
    TNotifyEvent OnActiveControlChange;
    TNotifyEvent OnActiveFormChange;

    // Writes the mirrored settings into the application.
    void Loaded() override;

protected:
    // The hook on the application's window: WM_WININICHANGE runs OnSettingsChanged (its
    // exception goes to the application's handler) and is not taken.
    virtual bool ApplicationWindowHook(TMessage& Msg);
    virtual void FireSettingsChanged();

private:
    friend class TKitAppEventList;
    bool FChained = true;
    TColor FHintColor = clInfoBk;
    int FHintPause = 500;
    bool FShowHint = true;
    bool FUpdateFormatSettings = true;
    bool FCancelDispatch = false;
    int FHintShortPause = 50;
    int FHintHidePause = 2500;
    bool FShowMainForm = true;
    bool FHintShortCuts = true;
    bool FMouseDragImmediate = true;
    int FMouseDragThreshold = 5;
    bool FUpdateMetricSettings = true;

    bool Designing() const { return ComponentState().Contains(csDesigning); }
    TWindowHook WindowHook() { return {this, &TKitAppEvents::ApplicationWindowHook}; }

    static void Published(TPublisher<TKitAppEvents>& P);
};

// The one list of all TKitAppEvents components; made by the first, freed at program end.
class TKitAppEventList : public TComponent {
    DECLARE_CLASS(TKitAppEventList, TComponent)
public:
    TKitAppEventList();
    // Lets the events go.
    ~TKitAppEventList() override;
    static TKitAppEventList* Instance(bool Create = true);

    void AddEvents(TKitAppEvents* AppEvents);
    void RemoveEvents(TKitAppEvents* AppEvents);
    int Count() const { return static_cast<int>(FAppEvents.size()); }
    bool Hooked() const { return FHooked; }

private:
    std::vector<TKitAppEvents*> FAppEvents;
    bool FHooked = false;
    TNotifyEvent FOnActiveControlChange;
    TNotifyEvent FOnActiveFormChange;
    // What the application and the screen had before the list took over, given back after.
    struct TSavedApplicationEvents;
    std::unique_ptr<TSavedApplicationEvents> FSaved;

    void TakeOver();
    void LetGo();
    // Runs Handler on each component, the newest first, until the chain ends; true when it
    // ran to the end. Ends also after a component whose handler ran and Ended says so.
    template <class H, class F> bool Dispatch(H Handler, F Ended);
};
