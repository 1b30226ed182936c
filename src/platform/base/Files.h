#pragma once
// Files, paths and folder listings with the class library's names and semantics, on POSIX.
// Paths are UTF-16 here and UTF-8 on disk; '/' is the only delimiter (there are no drives).

#include "platform/base/Types.h"

#include <memory>
#include <string_view>

constexpr Char PathDelim = u'/';

// --- Path names (pure text, no file system access unless stated) ---------------------------

// Up to and including the last '/'; empty when there is none.
String ExtractFilePath(const String& FileName);
// The same without the trailing '/', except where that '/' is the root or follows another one
// ("/a" gives "/").
String ExtractFileDir(const String& FileName);
// After the last '/'.
String ExtractFileName(const String& FileName);
// From the last '.' of the name part, the dot included; empty without one. ".bashrc" is all
// extension, as on the platform the programs come from.
String ExtractFileExt(const String& FileName);
// Replaces the extension (as ExtractFileExt finds it) or appends Extension when there is none.
String ChangeFileExt(const String& FileName, const String& Extension);
// "" gives "/", as the class library does.
String IncludeTrailingPathDelimiter(const String& S);
// Removes one trailing '/'; the root "/" stays "/" (it would turn into the current folder).
String ExcludeTrailingPathDelimiter(const String& S);
// Absolute against the current folder, "." and ".." resolved and doubled '/' collapsed, links
// not followed; a trailing '/' is kept. "" gives "".
String ExpandFileName(const String& FileName);
// DestName relative to the folder of BaseName (BaseName names a file: a folder needs its
// trailing '/'): "../c/d.txt". Both are expanded first; names compare case-sensitively.
String ExtractRelativePath(const String& BaseName, const String& DestName);

// --- Files and folders --------------------------------------------------------------------

// Exists and is not a folder (links followed: a dangling link does not exist).
bool FileExists(const String& FileName);
// Exists and is a folder (links followed).
bool DirectoryExists(const String& Directory);
// Creates every missing level; true when the folder exists afterwards. "" gives false.
bool ForceDirectories(const String& Dir);
bool CreateDir(const String& Dir);
bool RemoveDir(const String& Dir);       // an empty folder only
bool DeleteFile(const String& FileName); // not a folder; a link itself, not its target
// Fails, replacing nothing, when NewName exists (as the platform's move does).
bool RenameFile(const String& OldName, const String& NewName);
// Last-write time of a file (not a folder) as local date-time; false when there is none.
bool FileAge(const String& FileName, TDateTime& FileDateTime);
// Sets the last-write time (local date-time); 0 or the errno value.
int FileSetDate(const String& FileName, TDateTime Age);
// Size in bytes of a file (not a folder); -1 when there is none.
Int64 FileSize(const String& FileName);
String GetCurrentDir(); // without trailing '/'
bool SetCurrentDir(const String& Dir);

// --- Folder listings ----------------------------------------------------------------------

// Attribute bits keep their Windows values: code and stored data test them.
constexpr int faReadOnly = 0x01; // we may not write it
constexpr int faHidden = 0x02;   // the name starts with '.' ("." and ".." excepted)
constexpr int faSysFile = 0x04;  // never set here
constexpr int faVolumeID = 0x08; // never set here
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;  // set on every entry that is not a folder
constexpr int faNormal = 0x80;   // never set (faArchive always is)
constexpr int faSymLink = 0x400; // the entry is a link; the other bits describe its target
constexpr int faAnyFile = 0x1FF;

struct TFindState;

struct TSearchRec {
    TDateTime Time = 0; // last write, local
    Int64 Size = 0;     // 0 for folders
    int Attr = 0;
    String Name;
    int ExcludeAttr = 0; // the folder bit when the search does not want folders
    // Identity of the entry (of a link's target) so that a walk can tell a folder it is
    // already inside, whatever path leads there.
    UInt64 Device = 0;
    UInt64 Inode = 0;
    std::shared_ptr<TFindState> FindHandle; // released by FindClose or with the record
};

// Lists the folder part of Path (the current folder when there is none) for entries whose
// name matches the name part: '*' any run, '?' one character, case-blind; a trailing ".*"
// also matches names without a dot, so "*.*" matches every name. Entries come in the file
// system's order, "." and ".." included when the pattern matches them. Folders are reported
// only when Attr holds faDirectory; every other entry, hidden ones too, always is.
// Returns 0 and fills F, or an errno value: ENOENT (2, the same number as the platform's
// "file not found") when nothing (more) matches, also for a missing folder; EACCES, ENOTDIR...
// for a folder that cannot be listed. A failed FindFirst closes the search itself.
int FindFirst(const String& Path, int Attr, TSearchRec& F);
int FindNext(TSearchRec& F); // EBADF without an open search
void FindClose(TSearchRec& F);

// --- Places -------------------------------------------------------------------------------

String ProgramFile();   // the running executable, from /proc/self/exe
String ProgramFolder(); // its folder, without trailing '/'
// Runs the code with another program file, so that what the programs keep beside themselves
// goes to a folder of the caller's choice (tests keep it inside their temporary folder). An
// empty name returns to the running executable.
void SetProgramFileOverride(const String& FileName);
String GetTempDir();    // $TMPDIR or /tmp, with trailing '/'
String GetAppDataDir(); // $XDG_CONFIG_HOME or ~/.config, without trailing '/'

// The entry Name in Folder, found as the platform the programs come from finds it: the exact
// name first, else the first entry (listing order) whose name matches without regard to case.
// Returns Folder + '/' + the entry's real name (just the name for an empty Folder), or "".
String FindFileNoCase(const String& Folder, const String& Name);

// --- Writing --------------------------------------------------------------------------------

// Replaces FileName's contents with Bytes so that the file is either the old or the new one,
// never a mix: writes a temporary file beside it, flushes it to disk and renames it over the
// target, which keeps its permissions (and owner where allowed); a link is written through.
// False with errno set on failure; the target is then untouched and no temporary file stays.
bool WriteFileSafe(const String& FileName, std::string_view Bytes);
// The same for writers that report by exception: EFCreateError "Cannot create file "<name>".
// <the system's reason>", the old file left as it was.
void SaveFileSafe(const String& FileName, std::string_view Bytes);
