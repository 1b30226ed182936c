#pragma once
// File, path and system routines of the support library. File paths use the platform's
// delimiter PathDelim ('/'), which stands where the backslash stood on the platform the
// programs come from; the names keep the backslash they were given there.

#include "platform/base/Guid.h"
#include "platform/base/Types.h"

// Path with a delimiter at its end ("" becomes a lone delimiter).
String EnsureTrailingBackslash(const String& Path);
// Path without one trailing delimiter; the root stays "/" (it would turn into the current folder).
String StripTrailingBackslash(const String& Path);
// Path with ".Extension" appended, a trailing dot of Path dropped first; Path unchanged when
// either is empty or Path's extension already is Extension (compared without regard to case;
// Extension may come with or without its dot).
String AddDefaultExtension(const String& Path, const String& Extension);
// A path from the root ("/x"), or a network path ("//server/share"); "" is not.
bool IsAbsolutePath(const String& Path);
// "//server/share...": a server name of letters, digits, "-", "." and "_", then a share name
// without any of " ' * + , / : ; < = > ? [ ] |.
bool IsUncPath(const String& Path);
// Name exists and is not a folder; false for "".
bool FileExistsNotFolder(const String& Name);

// The folders settings files can live in, without a trailing delimiter.
// There is no Windows folder here: "".
String WindowsFolder();
String TempFolder();        // $TMPDIR or /tmp
String UserAppDataFolder(); // $XDG_CONFIG_HOME or ~/.config
// The shell folder identifiers that have a place here; "" for the others.
constexpr int CSIDL_APPDATA = 26;
String SpecialFolderPath(int FolderId);

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" in lower-case hexadecimal.
String GuidToText(const TGUID& Guid);
// Count characters of Source from SourceIndex into Dest from DestIndex (0-based); Dest grows
// when it is too short.
void CopyChars(const String& Source, int SourceIndex, String& Dest, int Count, int DestIndex);
// Fills Size bytes with zero; nothing for Size <= 0.
void ClearMemoryBlock(void* Buffer, int Size);

// The Windows version number (1 Windows 95 ... 17 Windows 7): 0, unknown, everywhere here.
int WindowsVersion();
struct TUtilSystemInfo {
    int ProcessorCount = 0;
    int PageSize = 0;
    int AllocationGranularity = 0;
};
// The machine's figures, read once.
const TUtilSystemInfo& SystemInfo();
