// Incremental search: typed characters gather in a buffer that a pause clears, and the focus
// goes to the next node whose text starts with them.

#include "platform/base/ScopeGuard.h"
#include "tree/BaseLeanTree.h"

void TBaseLeanTree::DoBeep() {
    MessageBeep();
}

// One step of the search's walk, wrapping at either end; null only in an empty walk.
PLeanNode TBaseLeanTree::SearchWalk(PLeanNode Node, bool Forward) {
    switch (FIncrementalSearch) {
    case isInitializedOnly:
        Node = Node ? (Forward ? GetNextNoInit(Node) : GetPreviousNoInit(Node)) : nullptr;
        return Node ? Node : (Forward ? GetFirstNoInit() : GetLastNoInit());
    case isVisibleOnly:
        Node = Node ? (Forward ? GetNextVisible(Node) : GetPreviousVisible(Node)) : nullptr;
        return Node ? Node : (Forward ? GetFirstVisible() : GetLastVisible());
    default:
        Node = Node ? (Forward ? GetNext(Node) : GetPrevious(Node)) : nullptr;
        return Node ? Node : (Forward ? GetFirst() : GetLast());
    }
}

void TBaseLeanTree::IncrementalSearchStep(Word CharCode) {
    KillTreeTimer(SearchTimer);
    if (FIncrementalSearch == isNone) return;
    TScopeExit Restart([this] { StartTimer(SearchTimer, FSearchTimeout); });
    if (CharCode == 0) return;
    DoStateChange({tsIncrementalSearching});
    const bool Backspace = CharCode == 8;
    if (Backspace && FSearchBuffer.empty()) return;

    PLeanNode Start = nullptr;
    if (FSearchStart == ssLastHit)
        Start = FLastSearchNode;
    else if (FSearchStart == ssFocusedNode)
        Start = FFocusedNode;
    if (Start && FIncrementalSearch == isInitializedOnly && !Start->States.Contains(vsInitialized))
        Start = nullptr;
    if (Start && FIncrementalSearch == isVisibleOnly &&
        (!FullyVisible(Start) || IsEffectivelyFiltered(Start)))
        Start = nullptr;

    const bool Forward = (FSearchDirection == sdForward) != Backspace;
    const Char Typed = static_cast<Char>(CharCode);
    const bool LetterRepeat = FSearchBuffer.size() == 1 && !Backspace && FSearchBuffer[0] == Typed &&
                              !(Start && DoIncrementalSearch(Start, FSearchBuffer + Typed) == 0);
    PLeanNode Run = Start;
    if (FSearchBuffer.empty() || !Start || LetterRepeat || Backspace) Run = SearchWalk(Start, Forward);
    if (!Run) return;

    String Text;
    if (LetterRepeat) {
        Text = FSearchBuffer;
    } else if (Backspace) {
        FSearchBuffer.pop_back();
        Text = FSearchBuffer;
    } else {
        Text = FSearchBuffer + Typed;
    }
    // Without a start node the walk ends where it began, after one full round.
    PLeanNode StopAt = Start ? Start : Run;
    PLeanNode Found = nullptr;
    PLeanNode Node = Run;
    for (;;) {
        if (DoIncrementalSearch(Node, Text) == 0) {
            Found = Node;
            break;
        }
        Node = SearchWalk(Node, Forward);
        if (!Node || Node == StopAt) break;
    }
    if (!Found && Node && Node == Start && Run != Start && DoIncrementalSearch(Start, Text) == 0)
        Found = Start;
    if (!Found) {
        DoBeep();
        return;
    }
    ClearSelection();
    FSearchBuffer = Text;
    SetFocusedNode(Found);
    WriteNodeSelected(Found, true);
    FLastSearchNode = Found;
    ScrollIntoView(Found, TreeOptions()->SelectionOptions().Contains(toCenterScrollIntoView));
}
