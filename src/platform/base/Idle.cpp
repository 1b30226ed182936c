#include "platform/base/Idle.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

struct TIdleEntry {
    TIdleHandlerId Id;
    std::function<void()> Handler;
};

std::vector<TIdleEntry>& Handlers() {
    static std::vector<TIdleEntry> List;
    return List;
}

TIdleHandlerId LastId = 0;

} // namespace

TIdleHandlerId AddIdleHandler(std::function<void()> Handler) {
    Handlers().push_back({++LastId, std::move(Handler)});
    return LastId;
}

void RemoveIdleHandler(TIdleHandlerId Id) {
    auto& L = Handlers();
    L.erase(std::remove_if(L.begin(), L.end(), [Id](const TIdleEntry& E) { return E.Id == Id; }), L.end());
}

void RunIdleHandlers() {
    // By id, not by position: a handler may change the list under the loop.
    const TIdleHandlerId Last = LastId;
    for (TIdleHandlerId Next = 1; Next <= Last;) {
        auto& L = Handlers();
        auto It = std::find_if(L.begin(), L.end(), [Next](const TIdleEntry& E) { return E.Id >= Next; });
        if (It == L.end() || It->Id > Last) break;
        Next = It->Id + 1;
        std::function<void()> Handler = It->Handler; // a copy: it may remove itself
        Handler();
    }
}
