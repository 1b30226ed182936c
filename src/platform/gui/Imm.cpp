#include "platform/gui/Imm.h"

#include "platform/gui/ControlsQt.h"
#include "platform/gui/MessagesPrivate.h"

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
