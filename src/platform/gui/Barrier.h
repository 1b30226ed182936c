#pragma once
// Where the toolkit calls our code (events, signals, event filters, timer ticks, queued calls),
// an exception must not go on into the toolkit. Every such entry point runs its work inside
// GuiBarrier, which hands the exception to the application's exception handling: the message
// is shown and the program goes on.
//
//   GuiBarrier(Item, [&] { Item->Click(); });                       // a menu item chosen
//   return GuiBarrier(Control, [&] { return Route(Event); }, true);  // an event, taken on failure
//
// Controls above the layer use it too for the callbacks the layer makes into them.

#include <type_traits>
#include <utility>

class TObject;

// Call only inside a catch block. The exception goes to Application->HandleException(Sender);
// without an application object EAbort stays silent and anything else is written to stderr.
// Never raises.
void HandleGuiException(TObject* Sender) noexcept;

// The sender is either an object or a call that names it when an exception has happened: a
// handler may have destroyed its own control, so a window's control is looked up again then
// (for example [Wnd] { return FindControl(Wnd); }) and a gone one is reported as no sender.
// Call only inside a catch block, as HandleGuiException.
template <class S> void HandleGuiExceptionOf(S& Sender) noexcept {
    TObject* Object = nullptr;
    if constexpr (std::is_invocable_v<S&>) {
        try {
            Object = Sender();
        } catch (...) {
        }
    } else {
        Object = Sender;
    }
    HandleGuiException(Object);
}

// Runs Fn; an exception stops here (see HandleGuiException).
template <class S, class F> void GuiBarrier(S&& Sender, F&& Fn) noexcept {
    try {
        std::forward<F>(Fn)();
    } catch (...) {
        HandleGuiExceptionOf(Sender);
    }
}

// Runs Fn and returns its result; after an exception (see HandleGuiException), Failed.
template <class S, class F, class R> R GuiBarrier(S&& Sender, F&& Fn, R Failed) noexcept {
    try {
        return std::forward<F>(Fn)();
    } catch (...) {
        HandleGuiExceptionOf(Sender);
        return Failed;
    }
}
