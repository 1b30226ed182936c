#include "editor/CodeEditKbdHandler.h"

#include "platform/base/ScopeGuard.h"

void TCodeEditKbdHandler::ExecuteKeyDown(TObject* Sender, Word& Key, TShiftState Shift) {
    if (FInKeyDown) return;
    TFlagScope Busy(FInKeyDown);
    FKeyDownChain.WalkNewestFirst([&](const TKeyEventHandler& H) {
        H(Sender, Key, Shift);
        return Key != 0;
    });
}

void TCodeEditKbdHandler::ExecuteKeyUp(TObject* Sender, Word& Key, TShiftState Shift) {
    if (FInKeyUp) return;
    TFlagScope Busy(FInKeyUp);
    FKeyUpChain.WalkNewestFirst([&](const TKeyEventHandler& H) {
        H(Sender, Key, Shift);
        return Key != 0;
    });
}

void TCodeEditKbdHandler::ExecuteKeyPress(TObject* Sender, Char& Key) {
    if (FInKeyPress) return;
    TFlagScope Busy(FInKeyPress);
    FKeyPressChain.WalkNewestFirst([&](const TKeyPressWEventHandler& H) {
        H(Sender, Key);
        return Key != 0;
    });
}

void TCodeEditKbdHandler::ExecuteMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                           int Y) {
    if (FInMouseDown) return;
    TFlagScope Busy(FInMouseDown);
    FMouseDownChain.WalkNewestFirst([&](const TMouseEventHandler& H) {
        H(Sender, Button, Shift, X, Y);
        return true;
    });
}

void TCodeEditKbdHandler::ExecuteMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                         int Y) {
    if (FInMouseUp) return;
    TFlagScope Busy(FInMouseUp);
    FMouseUpChain.WalkNewestFirst([&](const TMouseEventHandler& H) {
        H(Sender, Button, Shift, X, Y);
        return true;
    });
}

void TCodeEditKbdHandler::ExecuteMouseCursor(TObject* Sender, const TBufferCoord& aLineCharPos,
                                             TCursor& aCursor) {
    if (FInMouseCursor) return;
    TFlagScope Busy(FInMouseCursor);
    FMouseCursorChain.WalkNewestFirst([&](const TMouseCursorEvent& H) {
        H(Sender, aLineCharPos, aCursor);
        return true;
    });
}
