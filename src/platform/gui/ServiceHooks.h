#pragma once
// Where Qt calls the services' code (menu clicks, timer ticks), an exception must not reach Qt.
// It goes to the application's exception handling through this hook.

#include <functional>

class TObject;

// Handler is called inside the catch block (std::current_exception() is the exception); the
// application installs its HandleException here. Until then EAbort is silent and any other
// exception is written to stderr, and the program goes on.
void SetServiceExceptionHandler(std::function<void(TObject* Sender)> Handler);
// Call only inside a catch block.
void HandleServiceException(TObject* Sender);

// Registers the classes of the services (dialogs, menus, actions, timers); RegisterPlatformGuiClasses
// calls it.
void RegisterServiceClasses();
