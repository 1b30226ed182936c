#pragma once
// Where the toolkit calls our code (events, signals, event filters, timer ticks, queued calls),
// an exception must not go on into the toolkit. Every such entry point runs its work inside
// GuiBarrier, which hands the exception to the application's exception handling: the message
// is shown and the program goes on.
//
//   QObject::connect(Action, &QAction::triggered, [Item] { GuiBarrier(Item, [&] { Item->Click(); }); });
//   bool event(QEvent* E) override { return GuiBarrier(Control, [&] { return Route(E); }, true); }
//
// Controls above the layer use it too for the callbacks the layer makes into them.

#include <utility>

class TObject;

// Call only inside a catch block. The exception goes to Application->HandleException(Sender);
// without an application object EAbort stays silent and anything else is written to stderr.
// Never raises.
void HandleGuiException(TObject* Sender) noexcept;

// Runs Fn; an exception stops here (see HandleGuiException).
template <class F> void GuiBarrier(TObject* Sender, F&& Fn) noexcept {
    try {
        std::forward<F>(Fn)();
    } catch (...) {
        HandleGuiException(Sender);
    }
}

// Runs Fn and returns its result; after an exception (see HandleGuiException), Failed.
template <class F, class R> R GuiBarrier(TObject* Sender, F&& Fn, R Failed) noexcept {
    try {
        return std::forward<F>(Fn)();
    } catch (...) {
        HandleGuiException(Sender);
        return Failed;
    }
}
