#include "platform/base/KeyIndex.h"

#include "platform/base/Exceptions.h"

#include <functional>
#include <limits>

uint64_t TKeyIndex::HashOf(StringView Key) {
    return std::hash<StringView>{}(Key);
}

size_t TKeyIndex::SlotOf(StringView Key, uint64_t Hash) const {
    const size_t Mask = FSlots.size() - 1;
    for (size_t I = Hash & Mask;; I = (I + 1) & Mask) {
        const TSlot& S = FSlots[I];
        if (!S.Used || (S.Hash == Hash && KeyAt(S) == Key)) return I;
    }
}

void TKeyIndex::Grow(size_t Slots) {
    std::vector<TSlot> Old(Slots);
    Old.swap(FSlots);
    const size_t Mask = FSlots.size() - 1;
    for (const TSlot& S : Old)
        if (S.Used) {
            size_t I = S.Hash & Mask;
            while (FSlots[I].Used)
                I = (I + 1) & Mask;
            FSlots[I] = S;
        }
}

void TKeyIndex::Reserve(size_t Count) {
    size_t Slots = 16;
    while (Slots < 2 * Count)
        Slots *= 2;
    if (Slots > FSlots.size()) Grow(Slots);
}

bool TKeyIndex::Add(StringView Key, size_t Position) {
    if (Key.size() > std::numeric_limits<uint32_t>::max()) throw EListError(u"Key too long for the index");
    if (2 * (FCount + 1) > FSlots.size()) Grow(FSlots.empty() ? 16 : 2 * FSlots.size());
    const uint64_t Hash = HashOf(Key);
    TSlot& S = FSlots[SlotOf(Key, Hash)];
    if (S.Used) return false;
    S.Hash = Hash;
    S.Start = FText.size();
    S.Length = static_cast<uint32_t>(Key.size());
    S.Position = Position;
    S.Used = true;
    FText += Key;
    ++FCount;
    return true;
}

std::optional<size_t> TKeyIndex::Find(StringView Key) const {
    if (FCount == 0) return std::nullopt;
    const TSlot& S = FSlots[SlotOf(Key, HashOf(Key))];
    return S.Used ? std::optional<size_t>(S.Position) : std::nullopt;
}

void TKeyIndex::Clear() {
    FSlots.clear();
    FText.clear();
    FCount = 0;
}
