// Binary property lists ("bplist00"): a trailer, an offset table and objects that refer to each other by index.
#include "platform/PropertyList.h"
#include "platform/Unicode.h"

#include <bit>
#include <cstring>
#include <limits>
#include <vector>

namespace pellamor {

namespace {

// Shared objects are decoded once, but a value that repeats them may still expand enormously when walked.
constexpr std::uint64_t maxExpandedValues = 4'000'000;
// Seconds from 1970-01-01 to 2001-01-01, the epoch of binary dates.
constexpr double referenceDateOffset = 978307200;

class Reader {
public:
    explicit Reader(std::string_view bytes)
        : bytes_(bytes)
    {
    }

    std::optional<PlistValue> document()
    {
        if (bytes_.size() < 8 + 1 + 32 || bytes_.substr(0, 8) != "bplist00")
            return std::nullopt;
        std::size_t trailer = bytes_.size() - 32;
        offsetSize_ = std::uint8_t(bytes_[trailer + 6]);
        referenceSize_ = std::uint8_t(bytes_[trailer + 7]);
        std::uint64_t count = unsignedAt(trailer + 8, 8);
        std::uint64_t top = unsignedAt(trailer + 16, 8);
        tableOffset_ = unsignedAt(trailer + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8 || referenceSize_ < 1 || referenceSize_ > 8)
            return std::nullopt;
        if (count == 0 || top >= count || tableOffset_ < 9 || tableOffset_ > trailer)
            return std::nullopt;
        if (count > (trailer - tableOffset_) / offsetSize_)
            return std::nullopt;
        objectCount_ = count;
        values_.resize(count);
        sizes_.assign(count, 0);
        states_.assign(count, State::unvisited);
        return object(top, 0);
    }

private:
    enum class State : std::uint8_t { unvisited, decoding, decoded };

    std::uint64_t unsignedAt(std::size_t position, std::size_t length) const
    {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < length; ++i)
            value = (value << 8) | std::uint8_t(bytes_[position + i]);
        return value;
    }

    // Whether `length` bytes from `position` lie inside the object area.
    bool fits(std::uint64_t position, std::uint64_t length) const
    {
        return position <= tableOffset_ && length <= tableOffset_ - position;
    }

    std::optional<PlistValue> object(std::uint64_t index, int depth)
    {
        if (index >= objectCount_ || depth > maxPropertyListDepth)
            return std::nullopt;
        if (states_[index] == State::decoded)
            return values_[index];
        if (states_[index] == State::decoding)
            return std::nullopt;
        states_[index] = State::decoding;
        std::uint64_t offset = unsignedAt(std::size_t(tableOffset_ + index * offsetSize_), offsetSize_);
        expanded_ = 1;
        auto value = decode(offset, depth);
        if (!value)
            return std::nullopt;
        states_[index] = State::decoded;
        values_[index] = value;
        sizes_[index] = expanded_;
        return value;
    }

    // The object count that follows a marker: its low nibble, or an integer object after it when that is 0xF.
    std::optional<std::uint64_t> length(std::uint64_t& position, std::uint8_t marker) const
    {
        if ((marker & 0x0F) != 0x0F)
            return marker & 0x0F;
        if (!fits(position, 1))
            return std::nullopt;
        auto intMarker = std::uint8_t(bytes_[position]);
        if ((intMarker & 0xF0) != 0x10 || (intMarker & 0x0F) > 3)
            return std::nullopt;
        std::size_t size = std::size_t(1) << (intMarker & 0x0F);
        if (!fits(position + 1, size))
            return std::nullopt;
        std::uint64_t value = unsignedAt(std::size_t(position + 1), size);
        position += 1 + size;
        return value;
    }

    std::optional<PlistValue> integer(std::uint64_t position, std::size_t size) const
    {
        if (!fits(position, size))
            return std::nullopt;
        if (size < 8)
            return PlistValue(std::int64_t(unsignedAt(std::size_t(position), size)));
        if (size == 8)
            return PlistValue(std::bit_cast<std::int64_t>(unsignedAt(std::size_t(position), 8)));
        std::uint64_t high = unsignedAt(std::size_t(position), 8);
        std::uint64_t low = unsignedAt(std::size_t(position + 8), 8);
        if (high == 0)
            return low <= std::uint64_t(std::numeric_limits<std::int64_t>::max()) ? PlistValue(std::int64_t(low))
                                                                                  : PlistValue(low);
        if (high == ~std::uint64_t(0) && (low >> 63))
            return PlistValue(std::bit_cast<std::int64_t>(low));
        return std::nullopt;
    }

    std::optional<double> real(std::uint64_t position, std::size_t size) const
    {
        if (!fits(position, size))
            return std::nullopt;
        if (size == 4)
            return double(std::bit_cast<float>(std::uint32_t(unsignedAt(std::size_t(position), 4))));
        if (size == 8)
            return std::bit_cast<double>(unsignedAt(std::size_t(position), 8));
        return std::nullopt;
    }

    std::optional<std::vector<std::uint64_t>> references(std::uint64_t position, std::uint64_t count) const
    {
        if (count > tableOffset_ / referenceSize_ || !fits(position, count * referenceSize_))
            return std::nullopt;
        std::vector<std::uint64_t> indexes(count);
        for (std::uint64_t i = 0; i < count; ++i)
            indexes[i] = unsignedAt(std::size_t(position + i * referenceSize_), referenceSize_);
        return indexes;
    }

    // Decodes a child and adds its expanded size to the current object's.
    std::optional<PlistValue> child(std::uint64_t index, int depth, std::uint64_t& total)
    {
        auto value = object(index, depth + 1);
        if (!value)
            return std::nullopt;
        total += sizes_[index];
        if (total > maxExpandedValues)
            return std::nullopt;
        return value;
    }

    std::optional<PlistValue> decode(std::uint64_t position, int depth)
    {
        if (position < 8 || !fits(position, 1))
            return std::nullopt;
        auto marker = std::uint8_t(bytes_[position++]);
        switch (marker >> 4) {
        case 0x0:
            if (marker == 0x08 || marker == 0x09)
                return PlistValue(marker == 0x09);
            return std::nullopt;
        case 0x1:
            if ((marker & 0x0F) > 4)
                return std::nullopt;
            return integer(position, std::size_t(1) << (marker & 0x0F));
        case 0x2:
            if (auto value = real(position, std::size_t(1) << (marker & 0x0F)))
                return PlistValue(*value);
            return std::nullopt;
        case 0x3:
            if (marker != 0x33)
                return std::nullopt;
            if (auto value = real(position, 8))
                return PlistValue(PlistDate { *value + referenceDateOffset });
            return std::nullopt;
        case 0x4: {
            auto count = length(position, marker);
            if (!count || !fits(position, *count))
                return std::nullopt;
            auto start = reinterpret_cast<const std::uint8_t*>(bytes_.data() + position);
            return PlistValue(PlistData(start, start + *count));
        }
        case 0x5: {
            auto count = length(position, marker);
            if (!count || !fits(position, *count))
                return std::nullopt;
            std::string text(bytes_.substr(std::size_t(position), std::size_t(*count)));
            for (char c : text)
                if (static_cast<unsigned char>(c) >= 0x80)
                    return std::nullopt;
            return PlistValue(std::move(text));
        }
        case 0x6: {
            auto count = length(position, marker);
            if (!count || *count > tableOffset_ / 2 || !fits(position, *count * 2))
                return std::nullopt;
            std::u16string units(std::size_t(*count), u'\0');
            for (std::size_t i = 0; i < units.size(); ++i)
                units[i] = char16_t(unsignedAt(std::size_t(position + 2 * i), 2));
            auto text = utf8FromUTF16(units);
            return text ? std::optional<PlistValue>(std::move(*text)) : std::nullopt;
        }
        case 0xA: {
            auto count = length(position, marker);
            auto indexes = count ? references(position, *count) : std::nullopt;
            if (!indexes)
                return std::nullopt;
            PlistArray items;
            items.reserve(indexes->size());
            std::uint64_t total = 1;
            for (auto index : *indexes) {
                auto item = child(index, depth, total);
                if (!item)
                    return std::nullopt;
                items.push_back(std::move(*item));
            }
            expanded_ = total;
            return PlistValue(std::move(items));
        }
        case 0xD: {
            auto count = length(position, marker);
            auto indexes = count && *count <= tableOffset_ ? references(position, *count * 2) : std::nullopt;
            if (!indexes)
                return std::nullopt;
            PlistDictionary members;
            std::uint64_t total = 1;
            for (std::uint64_t i = 0; i < *count; ++i) {
                auto key = child((*indexes)[i], depth, total);
                if (!key || !key->asString())
                    return std::nullopt;
                auto value = child((*indexes)[*count + i], depth, total);
                if (!value || !members.emplace(*key->asString(), std::move(*value)).second)
                    return std::nullopt;
            }
            expanded_ = total;
            return PlistValue(std::move(members));
        }
        default:
            // Nulls, fill bytes, UIDs and sets have no place in the values we keep.
            return std::nullopt;
        }
    }

    std::string_view bytes_;
    std::uint8_t offsetSize_ = 0;
    std::uint8_t referenceSize_ = 0;
    std::uint64_t tableOffset_ = 0;
    std::uint64_t objectCount_ = 0;
    std::uint64_t expanded_ = 0;
    std::vector<std::optional<PlistValue>> values_;
    std::vector<std::uint64_t> sizes_;
    std::vector<State> states_;
};

} // namespace

std::optional<PlistValue> parseBinaryPropertyList(std::string_view bytes)
{
    if (bytes.size() > maxPropertyListBytes)
        return std::nullopt;
    return Reader(bytes).document();
}

} // namespace pellamor
