#pragma once
// The input method of a window: while the user composes text (an ideograph from its reading,
// a letter with its accents) the window hears WM_IME_STARTCOMPOSITION, then WM_IME_COMPOSITION
// for every change, and WM_IME_ENDCOMPOSITION. A WM_IME_COMPOSITION whose LParam holds
// GCS_RESULTSTR carries finished text, read with ImmGetCompositionStringW while the message is
// handled. The default handling of that message sends the result as WM_IME_CHAR messages, one
// per UTF-16 unit, and the default handling of WM_IME_CHAR sends WM_CHAR, so a window that knows
// nothing of input methods gets the text typed.
//
// Where the input method shows the text being composed (and its candidates) is the window's
// composition form: by default it follows the system caret while the window owns it; a window
// may place it itself with ImmSetCompositionWindow.

#include "platform/gui/Messages.h"

#include <cstdint>

using HIMC = std::uintptr_t;

enum : DWORD {
    GCS_COMPSTR = 0x0008,
    GCS_RESULTSTR = 0x0800,
};

// Styles of a composition form.
enum : DWORD {
    CFS_DEFAULT = 0x0000,        // follow the system caret of the window
    CFS_RECT = 0x0001,           // rcArea, client coordinates, is the text being composed
    CFS_POINT = 0x0002,          // ptCurrentPos, client coordinates, starts it
    CFS_FORCE_POSITION = 0x0020, // as CFS_POINT; the input method may not move it
};

struct TCompositionForm {
    DWORD dwStyle = CFS_DEFAULT;
    TPoint ptCurrentPos;
    TRect rcArea;
};
using COMPOSITIONFORM = TCompositionForm;

constexpr std::int32_t IMM_ERROR_NODATA = -1;

// The window's input context; 0 for no window. Give it back with ImmReleaseContext.
HIMC ImmGetContext(HWND Wnd);
bool ImmReleaseContext(HWND Wnd, HIMC Imc);
// The text being composed (GCS_COMPSTR) or the finished text (GCS_RESULTSTR) as UTF-16 units in
// Buf, without a terminator: the number of bytes; with BufLen 0 the number needed and nothing
// copied; IMM_ERROR_NODATA for another index or no context.
std::int32_t ImmGetCompositionStringW(HIMC Imc, DWORD Index, void* Buf, DWORD BufLen);
// Places the composition window of the context (and tells the input method, if the window has
// the focus). False for no context, no form or an unknown style.
bool ImmSetCompositionWindow(HIMC Imc, const TCompositionForm* Form);
// The form last set (CFS_DEFAULT when none was); false for no context or no form.
bool ImmGetCompositionWindow(HIMC Imc, TCompositionForm* Form);
