#pragma once
// Keyboard and mouse handler chains of the editor control. Plug-ins (auto-completion, say) hook
// into the control's key and mouse handling without replacing the owner's events: each kind of
// input has its own chain, which the control runs before its own handling, newest handler first.

#include "editor/CodeEditTypes.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Messages.h"
#include "platform/base/MethodPointer.h"
#include "platform/gui/Controls.h"

#include "platform/base/Object.h"

#include <algorithm>
#include <vector>

using TKeyEventHandler = TMethodPointer<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressWEventHandler = TMethodPointer<void(TObject* Sender, Char& Key)>;
using TMouseEventHandler =
    TMethodPointer<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
// Asks for the cursor over a buffer position; each handler sees the cursor the previous one left.
using TMouseCursorEvent =
    TMethodPointer<void(TObject* Sender, const TBufferCoord& aLineCharPos, TCursor& aCursor)>;

// A list of method pointers. The same handler may be in it more than once.
template <class Sig> class TMethodList {
public:
    using THandler = TMethodPointer<Sig>;

    int Count() const { return static_cast<int>(FData.size()); }
    const THandler& Items(int Index) const { return FData.at(static_cast<size_t>(Index)); }

    void Add(const THandler& aHandler) { FData.push_back(aHandler); }
    // Removes the most recently added entry equal to aHandler; nothing when there is none.
    void Remove(const THandler& aHandler) {
        for (int I = Count() - 1; I >= 0; --I)
            if (FData[static_cast<size_t>(I)] == aHandler) {
                FData.erase(FData.begin() + I);
                // A walk in progress must neither skip an entry nor run past the end.
                for (int* Next : FWalks)
                    if (I <= *Next) --*Next;
                return;
            }
    }

    // Calls Visit with each handler from the newest to the oldest until Visit returns false.
    // Handlers may add and remove entries meanwhile: a removed entry that the walk has not reached
    // is not visited, and entries added during the walk are not visited by it.
    template <class F> void WalkNewestFirst(F Visit) {
        int Next = Count() - 1;
        FWalks.push_back(&Next);
        struct TPop {
            std::vector<int*>& Walks;
            ~TPop() { Walks.pop_back(); }
        } Pop{FWalks};
        while (Next >= 0) {
            const THandler Handler = FData[static_cast<size_t>(Next)]; // a copy: the entry may go
            --Next;
            if (!Visit(Handler)) break;
        }
    }

private:
    std::vector<THandler> FData;
    std::vector<int*> FWalks; // the positions of the walks in progress
};

class TCodeEditKbdHandler : public TObject {
public:
    TCodeEditKbdHandler() = default;

    void AddKeyDownHandler(const TKeyEventHandler& aHandler) { FKeyDownChain.Add(aHandler); }
    void RemoveKeyDownHandler(const TKeyEventHandler& aHandler) { FKeyDownChain.Remove(aHandler); }
    void AddKeyUpHandler(const TKeyEventHandler& aHandler) { FKeyUpChain.Add(aHandler); }
    void RemoveKeyUpHandler(const TKeyEventHandler& aHandler) { FKeyUpChain.Remove(aHandler); }
    void AddKeyPressHandler(const TKeyPressWEventHandler& aHandler) { FKeyPressChain.Add(aHandler); }
    void RemoveKeyPressHandler(const TKeyPressWEventHandler& aHandler) { FKeyPressChain.Remove(aHandler); }
    void AddMouseDownHandler(const TMouseEventHandler& aHandler) { FMouseDownChain.Add(aHandler); }
    void RemoveMouseDownHandler(const TMouseEventHandler& aHandler) { FMouseDownChain.Remove(aHandler); }
    void AddMouseUpHandler(const TMouseEventHandler& aHandler) { FMouseUpChain.Add(aHandler); }
    void RemoveMouseUpHandler(const TMouseEventHandler& aHandler) { FMouseUpChain.Remove(aHandler); }
    void AddMouseCursorHandler(const TMouseCursorEvent& aHandler) { FMouseCursorChain.Add(aHandler); }
    void RemoveMouseCursorHandler(const TMouseCursorEvent& aHandler) { FMouseCursorChain.Remove(aHandler); }

    // Each Execute... runs its chain newest first, and does nothing while the same kind of input
    // is already being dispatched (a handler that causes it again gets no nested dispatch).
    // A handler that sets Key to 0 (the NUL character for key presses) ends the walk.
    void ExecuteKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void ExecuteKeyUp(TObject* Sender, Word& Key, TShiftState Shift);
    void ExecuteKeyPress(TObject* Sender, Char& Key);
    // Every mouse handler is called.
    void ExecuteMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ExecuteMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ExecuteMouseCursor(TObject* Sender, const TBufferCoord& aLineCharPos, TCursor& aCursor);

private:
    TMethodList<void(TObject*, Char&)> FKeyPressChain;
    TMethodList<void(TObject*, Word&, TShiftState)> FKeyDownChain;
    TMethodList<void(TObject*, Word&, TShiftState)> FKeyUpChain;
    TMethodList<void(TObject*, TMouseButton, TShiftState, int, int)> FMouseDownChain;
    TMethodList<void(TObject*, TMouseButton, TShiftState, int, int)> FMouseUpChain;
    TMethodList<void(TObject*, const TBufferCoord&, TCursor&)> FMouseCursorChain;
    bool FInKeyPress = false;
    bool FInKeyDown = false;
    bool FInKeyUp = false;
    bool FInMouseDown = false;
    bool FInMouseUp = false;
    bool FInMouseCursor = false;
};
