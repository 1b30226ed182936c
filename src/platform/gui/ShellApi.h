#pragma once
// Files dropped on our windows from other programs (a file manager, say). A window that
// accepts them (DragAcceptFiles) receives WM_DROPFILES with a drop handle in WParam; it reads
// the names and the point with DragQueryFile and DragQueryPoint and releases the drop with
// DragFinish. Only local files count: a drop of anything else is not accepted.

#include "platform/base/Geometry.h"
#include "platform/gui/Messages.h"

using HDROP = std::uintptr_t;

// Switches the window's acceptance of dropped files; the acceptance goes with the window
// (a window made again accepts nothing until asked again).
void DragAcceptFiles(HWND Wnd, bool Accept);
// File 0xFFFFFFFF: the number of files. Otherwise file number File (from 0): with a null
// Buffer, the length of its name in characters; else as much of the name as fits into Size - 1
// characters, with a terminating zero, and the number of characters copied. 0 for a drop or a
// file that does not exist.
UINT DragQueryFile(HDROP Drop, UINT File, Char* Buffer, UINT Size);
// Where the files were dropped, in the client coordinates of the window; false when that was
// outside its client area (or the drop does not exist).
bool DragQueryPoint(HDROP Drop, TPoint& Point);
// Releases the drop; its handle is invalid afterwards.
void DragFinish(HDROP Drop);

// The desktop's copy of one file to one path. An existing destination is replaced only when the
// user agrees (a question to Owner's window); a failure is told to the user in a message box.
// The copy is written beside the destination and renamed onto it, so a failed copy leaves no
// half-written file and the old destination whole. True when the file was copied.
bool ShellCopyFile(const String& Source, const String& Dest, HWND Owner);
