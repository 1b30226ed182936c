#include "platform/gui/Imm.h"

#include "platform/gui/ControlsQt.h"
#include "platform/gui/GraphicsQt.h"
#include "platform/gui/MessagesPrivate.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

struct TImeState {
    bool Composing = false;
    String Composition;
    String Result;
};

// One context per window that composes now; it goes when the composition ends.
std::unordered_map<HWND, TImeState>& Contexts() {
    static std::unordered_map<HWND, TImeState> Map;
    return Map;
}

// The composition forms windows set; a window without one follows its caret.
std::unordered_map<HWND, TCompositionForm>& Forms() {
    static std::unordered_map<HWND, TCompositionForm> Map;
    return Map;
}

// A composition placed at a point is as large as the window's caret, or one pixel wide and a
// line of the window's font high without one.
TSize CaretSize(HWND Wnd) {
    TRect Caret;
    if (CaretBounds(Wnd, Caret)) return {Caret.Width(), Caret.Height()};
    TWinControl* Control = FindControl(Wnd);
    return {1, Control ? QFontMetrics(QtFont(Control->Font())).height() : 0};
}

} // namespace

HIMC ImmGetContext(HWND Wnd) {
    return IsWindow(Wnd) ? static_cast<HIMC>(Wnd) : 0;
}

bool ImmReleaseContext(HWND Wnd, HIMC Imc) {
    return Wnd != 0 && static_cast<HWND>(Imc) == Wnd;
}

std::int32_t ImmGetCompositionStringW(HIMC Imc, DWORD Index, void* Buf, DWORD BufLen) {
    if (Imc == 0 || (Index != GCS_COMPSTR && Index != GCS_RESULTSTR)) return IMM_ERROR_NODATA;
    auto It = Contexts().find(static_cast<HWND>(Imc));
    if (It == Contexts().end()) return 0;
    const String& Text = Index == GCS_RESULTSTR ? It->second.Result : It->second.Composition;
    const DWORD Bytes = static_cast<DWORD>(Text.size() * sizeof(Char));
    if (BufLen == 0 || !Buf) return static_cast<std::int32_t>(Bytes);
    const DWORD Copied = std::min<DWORD>(Bytes, BufLen) / sizeof(Char) * sizeof(Char);
    std::memcpy(Buf, Text.data(), Copied);
    return static_cast<std::int32_t>(Copied);
}

bool ImmSetCompositionWindow(HIMC Imc, const TCompositionForm* Form) {
    const HWND Wnd = static_cast<HWND>(Imc);
    if (!Form || Imc == 0 || !IsWindow(Wnd)) return false;
    switch (Form->dwStyle) {
    case CFS_DEFAULT:
        Forms().erase(Wnd);
        break;
    case CFS_RECT:
    case CFS_POINT:
    case CFS_FORCE_POSITION:
        Forms()[Wnd] = *Form;
        break;
    default:
        return false;
    }
    InputMethodCursorMoved(Wnd);
    return true;
}

bool ImmGetCompositionWindow(HIMC Imc, TCompositionForm* Form) {
    const HWND Wnd = static_cast<HWND>(Imc);
    if (!Form || Imc == 0 || !IsWindow(Wnd)) return false;
    auto It = Forms().find(Wnd);
    *Form = It == Forms().end() ? TCompositionForm() : It->second;
    return true;
}

bool InputMethodCursorRect(HWND Wnd, TRect& Rect) {
    auto It = Forms().find(Wnd);
    if (It == Forms().end()) return CaretBounds(Wnd, Rect);
    const TCompositionForm& F = It->second;
    if (F.dwStyle == CFS_RECT) {
        Rect = F.rcArea;
    } else {
        const TSize Size = CaretSize(Wnd);
        Rect = Bounds(F.ptCurrentPos.X, F.ptCurrentPos.Y, Size.cx, Size.cy);
    }
    return true;
}

void InputMethodCursorMoved(HWND Wnd) {
    if (!Wnd || !qGuiApp) return;
    QWidget* W = WidgetOfHandle(Wnd);
    if (W && QGuiApplication::focusObject() == W)
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImAnchorRectangle);
}

void ForgetInputMethod(HWND Wnd) {
    Forms().erase(Wnd);
    Contexts().erase(Wnd);
}

void DeliverInputMethodEvent(HWND Wnd, QInputMethodEvent* Event) {
    const String Composition = FromQt(Event->preeditString());
    const String Result = FromQt(Event->commitString());
    Event->accept();
    TImeState& State = Contexts()[Wnd];
    if (!State.Composing) {
        if (Composition.empty() && Result.empty()) {
            Contexts().erase(Wnd);
            return;
        }
        State.Composing = true;
        SendMessage(Wnd, WM_IME_STARTCOMPOSITION, 0, 0);
        if (!IsWindow(Wnd)) return;
    }
    {
        TImeState& S = Contexts()[Wnd];
        S.Composition = Composition;
        S.Result = Result;
    }
    const LPARAM Flags = (Result.empty() ? LPARAM(0) : LPARAM(GCS_RESULTSTR)) |
                         (Composition.empty() ? LPARAM(0) : LPARAM(GCS_COMPSTR));
    SendMessage(Wnd, WM_IME_COMPOSITION, Result.empty() ? 0 : Result[0], Flags);
    if (!IsWindow(Wnd)) {
        Contexts().erase(Wnd);
        return;
    }
    Contexts()[Wnd].Result.clear();
    if (Composition.empty()) {
        SendMessage(Wnd, WM_IME_ENDCOMPOSITION, 0, 0);
        Contexts().erase(Wnd);
    }
}

void SendInputMethodResultAsCharacters(HWND Wnd) {
    const HIMC Imc = ImmGetContext(Wnd);
    const std::int32_t Bytes = ImmGetCompositionStringW(Imc, GCS_RESULTSTR, nullptr, 0);
    if (Bytes <= 0) return;
    String Text(static_cast<size_t>(Bytes) / sizeof(Char), Char(0));
    ImmGetCompositionStringW(Imc, GCS_RESULTSTR, Text.data(), static_cast<DWORD>(Bytes));
    ImmReleaseContext(Wnd, Imc);
    for (Char Ch : Text) {
        if (!IsWindow(Wnd)) return;
        SendMessage(Wnd, WM_IME_CHAR, Ch, 1);
    }
}
