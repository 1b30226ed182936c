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
    size_t Count() const { return FEntries.size(); }
    bool Empty() const { return FEntries.empty(); }

private:
    // A probe touches one eight-byte slot, so the slots of 100,000 keys stay within few cache
    // lines' reach; what a slot names sits in FEntries in the order the keys came.
    struct TSlot {
        uint32_t Tag = 0;   // the key's hash, folded; its lower bits choose the slot
        uint32_t Entry = 0; // the entry's index plus one; 0 marks a free slot
        bool Used() const { return Entry != 0; }
    };
    struct TEntry {
        uint32_t Start = 0; // the key's text in FText
        uint32_t Length = 0;
        size_t Position = 0;
    };
    static uint64_t HashOf(StringView Key);
    static uint32_t TagOf(uint64_t Hash) { return static_cast<uint32_t>(Hash ^ (Hash >> 32)); }
    size_t SlotOf(StringView Key, uint32_t Tag) const; // the key's slot, or the free one it would take
    StringView KeyAt(const TSlot& S) const {
        const TEntry& E = FEntries[S.Entry - 1];
        return StringView(FText).substr(E.Start, E.Length);
    }
    void Grow(size_t Slots);

    std::vector<TSlot> FSlots; // a power of two in size, at most half used
    std::vector<TEntry> FEntries;
    String FText;
};
