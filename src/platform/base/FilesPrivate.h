#pragma once
// File helpers shared by the runtime library's own units, with POSIX types in view.

#include "platform/base/Types.h"

#include <string_view>
#include <sys/stat.h>

AnsiString ToSysPath(const String& FileName);

// WriteFileSafe that also reports the new file's status (size, times, inode) as written.
bool WriteFileSafeStat(const String& FileName, std::string_view Bytes, struct stat* Written);

// Reads a whole regular file (links followed) with the status of what was read.
// 0 or an errno value (ENOENT for a missing file, EISDIR for a folder).
int ReadWholeFile(const AnsiString& Path, AnsiString& Bytes, struct stat* Read);

// The key under which names compare without regard to case (file names, INI sections and
// keys): lower case, ASCII quickly, anything else through the Unicode mapping.
String CaseKey(const String& S);
