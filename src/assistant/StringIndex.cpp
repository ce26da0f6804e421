#include "assistant/StringIndex.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace pellamor {

namespace {

constexpr std::uint64_t multiplier = 0x9E3779B97F4A7C15ull;

std::uint64_t mix(std::uint64_t value)
{
    value ^= value >> 32;
    value *= 0xD6E8FEB86659FD93ull;
    value ^= value >> 32;
    return value;
}

// The slots a table needs for `keys` keys: at most half full, so that probes stay short.
std::size_t capacityFor(std::size_t keys)
{
    return std::bit_ceil(std::max<std::size_t>(8, keys * 2));
}

} // namespace

// Eight bytes at a time: conversation ids are long and similar, so every byte must count, cheaply.
std::uint64_t StringIndex::hashOf(std::string_view key)
{
    std::uint64_t hash = key.size() * multiplier;
    std::size_t at = 0;
    for (; at + 8 <= key.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, key.data() + at, 8);
        hash = std::rotl((hash ^ word) * multiplier, 29);
    }
    std::uint64_t tail = 0;
    if (at < key.size() && key.size() >= 8) {
        // The last eight bytes, overlapping the words already mixed in: one load instead of a byte loop.
        std::memcpy(&tail, key.data() + key.size() - 8, 8);
        return mix((hash ^ tail) * multiplier);
    }
    for (std::size_t shift = 0; at < key.size(); ++at, shift += 8)
        tail |= std::uint64_t(static_cast<unsigned char>(key[at])) << shift;
    return mix((hash ^ tail) * multiplier);
}

void StringIndex::prefetchSlot(std::uint64_t hash) const
{
    if (!slots_.empty())
        __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
}

void StringIndex::prefetchKey(std::uint64_t hash) const
{
    if (slots_.empty())
        return;
    const Slot& slot = slots_[hash & (slots_.size() - 1)];
    if (slot.tag != tagOf(hash))
        return;
    __builtin_prefetch(keys_.data() + slot.offset);
    __builtin_prefetch(keys_.data() + slot.offset + slot.length - 1);
}

void StringIndex::reserve(std::size_t keys, std::size_t keyBytes)
{
    keys_.reserve(keyBytes);
    if (capacityFor(keys) > slots_.size())
        rehash(capacityFor(keys));
}

std::size_t StringIndex::probe(std::string_view key, std::uint64_t hash) const
{
    const std::size_t mask = slots_.size() - 1;
    const std::uint32_t tag = tagOf(hash);
    std::size_t at = hash & mask;
    while (slots_[at].tag != 0 && !(slots_[at].tag == tag && sameText(keyOf(slots_[at]), key)))
        at = (at + 1) & mask;
    return at;
}

std::size_t StringIndex::assign(std::string_view key, std::uint64_t hash, std::uint32_t value)
{
    if (capacityFor(count_ + 1) > slots_.size())
        rehash(capacityFor(count_ + 1) * 2);
    const std::size_t at = probe(key, hash);
    Slot& slot = slots_[at];
    if (slot.tag == 0) {
        slot = Slot { tagOf(hash), static_cast<std::uint32_t>(keys_.size()), static_cast<std::uint32_t>(key.size()),
            value };
        keys_.append(key);
        ++count_;
        return at;
    }
    slot.value = value;
    return at;
}

std::optional<std::uint32_t> StringIndex::find(std::string_view key, std::uint64_t hash) const
{
    if (slots_.empty())
        return std::nullopt;
    const Slot& slot = slots_[probe(key, hash)];
    if (slot.tag == 0)
        return std::nullopt;
    return slot.value;
}

std::uint32_t* StringIndex::findValue(std::string_view key, std::uint64_t hash)
{
    if (slots_.empty())
        return nullptr;
    Slot& slot = slots_[probe(key, hash)];
    return slot.tag != 0 ? &slot.value : nullptr;
}

void StringIndex::rehash(std::size_t capacity)
{
    std::vector<Slot, LargePageAllocator<Slot>> previous = std::move(slots_);
    slots_.assign(capacity, Slot {});
    const std::size_t mask = capacity - 1;
    for (const Slot& slot : previous) {
        if (slot.tag == 0)
            continue;
        // The slot's position came from the full hash; its key gives it again.
        std::size_t at = hashOf(keyOf(slot)) & mask;
        while (slots_[at].tag != 0)
            at = (at + 1) & mask;
        slots_[at] = slot;
    }
}

} // namespace pellamor
