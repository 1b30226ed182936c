#pragma once
// Opening a document or a web address with the program the desktop associates with it
// (xdg-open), or with a program of the caller's choice. The program runs on its own: nobody
// waits for it and it outlives us.

#include "platform/base/Types.h"

// Starts Program (empty: xdg-open) with Document as its one argument. False, with errno set,
// when the program could not be started (not found, not executable).
bool ShellOpen(const String& Document, const String& Program = String());
