#include "platform/base/KeyIndex.h"

#include "platform/base/Exceptions.h"

#include <functional>
#include <limits>

uint64_t TKeyIndex::HashOf(StringView Key) {
    return std::hash<StringView>{}(Key);
}

size_t TKeyIndex::SlotOf(StringView Key, uint32_t Tag) const {
    const size_t Mask = FSlots.size() - 1;
    for (size_t I = Tag & Mask;; I = (I + 1) & Mask) {
        const TSlot& S = FSlots[I];
        if (!S.Used() || (S.Tag == Tag && KeyAt(S) == Key)) return I;
    }
}

void TKeyIndex::Grow(size_t Slots) {
    std::vector<TSlot> Old(Slots);
    Old.swap(FSlots);
    const size_t Mask = FSlots.size() - 1;
    for (const TSlot& S : Old)
        if (S.Used()) {
            size_t I = S.Tag & Mask;
            while (FSlots[I].Used())
                I = (I + 1) & Mask;
            FSlots[I] = S;
        }
}

void TKeyIndex::Reserve(size_t Count) {
    size_t Slots = 16;
    while (Slots < 2 * Count)
        Slots *= 2;
    if (Slots > FSlots.size()) Grow(Slots);
    FEntries.reserve(Count);
}

bool TKeyIndex::Add(StringView Key, size_t Position) {
    constexpr size_t Limit = std::numeric_limits<uint32_t>::max() - 1;
    if (FText.size() + Key.size() > Limit || FEntries.size() >= Limit)
        throw EListError(u"Too many keys for the index");
    if (2 * (FEntries.size() + 1) > FSlots.size()) Grow(FSlots.empty() ? 16 : 2 * FSlots.size());
    const uint32_t Tag = TagOf(HashOf(Key));
    TSlot& S = FSlots[SlotOf(Key, Tag)];
    if (S.Used()) return false;
    FEntries.push_back(TEntry{static_cast<uint32_t>(FText.size()), static_cast<uint32_t>(Key.size()), Position});
    S.Tag = Tag;
    S.Entry = static_cast<uint32_t>(FEntries.size());
    FText += Key;
    return true;
}

std::optional<size_t> TKeyIndex::Find(StringView Key) const {
    if (FEntries.empty()) return std::nullopt;
    const TSlot& S = FSlots[SlotOf(Key, TagOf(HashOf(Key)))];
    return S.Used() ? std::optional<size_t>(FEntries[S.Entry - 1].Position) : std::nullopt;
}

void TKeyIndex::Clear() {
    FSlots.clear();
    FEntries.clear();
    FText.clear();
}
