#include "editor/CodeEditKbdHandler.h"

namespace {

// Sets a re-entry guard for the length of one dispatch, also when a handler raises.
class TGuard {
public:
    explicit TGuard(bool& AFlag) : FFlag(AFlag) { FFlag = true; }
    ~TGuard() { FFlag = false; }
    TGuard(const TGuard&) = delete;
    TGuard& operator=(const TGuard&) = delete;

private:
    bool& FFlag;
};

} // namespace

void TCodeEditKbdHandler::ExecuteKeyDown(TObject* Sender, Word& Key, TShiftState Shift) {
    if (fInKeyDown) return;
    TGuard Guard(fInKeyDown);
    fKeyDownChain.WalkNewestFirst([&](const TKeyEventHandler& H) {
        H(Sender, Key, Shift);
        return Key != 0;
    });
}

void TCodeEditKbdHandler::ExecuteKeyUp(TObject* Sender, Word& Key, TShiftState Shift) {
    if (fInKeyUp) return;
    TGuard Guard(fInKeyUp);
    fKeyUpChain.WalkNewestFirst([&](const TKeyEventHandler& H) {
        H(Sender, Key, Shift);
        return Key != 0;
    });
}

void TCodeEditKbdHandler::ExecuteKeyPress(TObject* Sender, Char& Key) {
    if (fInKeyPress) return;
    TGuard Guard(fInKeyPress);
    fKeyPressChain.WalkNewestFirst([&](const TKeyPressWEventHandler& H) {
        H(Sender, Key);
        return Key != 0;
    });
}

void TCodeEditKbdHandler::ExecuteMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                           int Y) {
    if (fInMouseDown) return;
    TGuard Guard(fInMouseDown);
    fMouseDownChain.WalkNewestFirst([&](const TMouseEventHandler& H) {
        H(Sender, Button, Shift, X, Y);
        return true;
    });
}

void TCodeEditKbdHandler::ExecuteMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                         int Y) {
    if (fInMouseUp) return;
    TGuard Guard(fInMouseUp);
    fMouseUpChain.WalkNewestFirst([&](const TMouseEventHandler& H) {
        H(Sender, Button, Shift, X, Y);
        return true;
    });
}

void TCodeEditKbdHandler::ExecuteMouseCursor(TObject* Sender, const TBufferCoord& aLineCharPos,
                                             TCursor& aCursor) {
    if (fInMouseCursor) return;
    TGuard Guard(fInMouseCursor);
    fMouseCursorChain.WalkNewestFirst([&](const TMouseCursorEvent& H) {
        H(Sender, aLineCharPos, aCursor);
        return true;
    });
}
