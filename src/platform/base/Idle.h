#pragma once
// Work for the moments the main thread has nothing else to do. The application's event loop
// runs the idle handlers each time it runs out of messages, before it waits for the next one:
// the place to let go of what is held only while the program is busy (a read lock on a shared
// file, say), so that nothing stays held between two user actions.

#include <functional>

using TIdleHandlerId = int;

// Adds a handler (main thread only); the id removes it again.
TIdleHandlerId AddIdleHandler(std::function<void()> Handler);
void RemoveIdleHandler(TIdleHandlerId Id);
// Runs every handler once, oldest first. A handler may add or remove handlers: one added runs
// from the next round on, one removed before its turn does not run.
void RunIdleHandlers();
