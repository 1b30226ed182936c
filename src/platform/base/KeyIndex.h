#pragma once
// Text keys to positions, for documents that find a key among many thousands: the keys' text
// sits in one buffer and the slots in one array, so that a key costs no allocation of its own
// and finding it touches a slot and its text, not a chain of nodes spread over the heap.
// The first position given for a key is the one kept.

#include "platform/base/Types.h"

#include <cstdint>
#include <optional>
#include <vector>

class TKeyIndex {
public:
    // Adds Key at Position unless the key is there already; whether it was added.
    bool Add(StringView Key, size_t Position);
    std::optional<size_t> Find(StringView Key) const;
    bool Contains(StringView Key) const { return Find(Key).has_value(); }
    // Room for Count keys without growing.
    void Reserve(size_t Count);
    void Clear();
    size_t Count() const { return FCount; }
    bool Empty() const { return FCount == 0; }

private:
    struct TSlot {
        uint64_t Hash = 0;
        size_t Start = 0; // the key's text in FText
        size_t Position = 0;
        uint32_t Length = 0;
        bool Used = false;
    };
    static uint64_t HashOf(StringView Key);
    size_t SlotOf(StringView Key, uint64_t Hash) const; // the key's slot, or the free one it would take
    StringView KeyAt(const TSlot& S) const { return StringView(FText).substr(S.Start, S.Length); }
    void Grow(size_t Slots);

    std::vector<TSlot> FSlots; // a power of two in size, at most half used
    String FText;
    size_t FCount = 0;
};
