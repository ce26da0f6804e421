// A compact hash index from text keys to small numbers; it keeps its own copy of the keys (under 4 GiB) in one block.
#pragma once

#include "assistant/LargePageAllocator.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellamor {

// Whether two texts are equal, compared eight bytes at a time in line: ids are long and a call per comparison costs.
inline bool sameText(std::string_view a, std::string_view b)
{
    const std::size_t size = a.size();
    if (size != b.size())
        return false;
    if (size < 8)
        return std::memcmp(a.data(), b.data(), size) == 0;
    std::uint64_t x, y;
    for (std::size_t at = 0; at + 8 < size; at += 8) {
        std::memcpy(&x, a.data() + at, 8);
        std::memcpy(&y, b.data() + at, 8);
        if (x != y)
            return false;
    }
    std::memcpy(&x, a.data() + size - 8, 8);
    std::memcpy(&y, b.data() + size - 8, 8);
    return x == y;
}

class StringIndex {
public:
    void reserve(std::size_t keys, std::size_t keyBytes = 0);
    // A later assignment to an equal key replaces the value.
    void assign(std::string_view key, std::uint32_t value) { assign(key, hashOf(key), value); }
    std::optional<std::uint32_t> find(std::string_view key) const { return find(key, hashOf(key)); }
    std::size_t size() const { return count_; }
    // Every key once, back to back in the order they were first assigned.
    std::string_view keys() const { return keys_; }

    // For loops over many keys: hashing first and fetching the slots of keys ahead hides memory latency.
    static std::uint64_t hashOf(std::string_view key);
    // Gives the slot that holds the key; slots stay put until the index grows past what was reserved.
    std::size_t assign(std::string_view key, std::uint64_t hash, std::uint32_t value);
    std::uint32_t& valueAt(std::size_t slot) { return slots_[slot].value; }
    std::string_view keyAt(std::size_t slot) const { return keyOf(slots_[slot]); }
    std::optional<std::uint32_t> find(std::string_view key, std::uint64_t hash) const;
    // The value stored under the key, to change in place; null when the key is absent.
    std::uint32_t* findValue(std::string_view key, std::uint64_t hash);
    void prefetchSlot(std::uint64_t hash) const;
    // Once the slot has arrived: fetches the key it holds when that key may be the one hashed, for the comparison.
    void prefetchKey(std::uint64_t hash) const;

    template <class Visit> void forEach(Visit visit) const
    {
        for (const Slot& slot : slots_) {
            if (slot.tag != 0)
                visit(keyOf(slot), slot.value);
        }
    }

private:
    struct Slot {
        std::uint32_t tag = 0; // high bits of the hash, never 0 in a used slot
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
        std::uint32_t value = 0;
    };

    static std::uint32_t tagOf(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32) | 1; }
    std::string_view keyOf(const Slot& slot) const { return std::string_view(keys_).substr(slot.offset, slot.length); }
    std::size_t probe(std::string_view key, std::uint64_t hash) const;
    void rehash(std::size_t capacity);

    std::basic_string<char, std::char_traits<char>, LargePageAllocator<char>> keys_;
    std::vector<Slot, LargePageAllocator<Slot>> slots_;
    std::size_t count_ = 0;
};

} // namespace pellamor
