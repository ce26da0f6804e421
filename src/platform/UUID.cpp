#include "platform/UUID.h"

#include "platform/Unicode.h"

#include <random>

namespace pellamor {

namespace {

bool isHyphenPosition(std::size_t i)
{
    return i == 8 || i == 13 || i == 18 || i == 23;
}

} // namespace

UUID UUID::random()
{
    std::random_device source;
    Bytes bytes;
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        auto word = source();
        for (std::size_t k = 0; k < 4; ++k)
            bytes[i + k] = std::uint8_t(word >> (8 * k));
    }
    bytes[6] = (bytes[6] & 0x0F) | 0x40;
    bytes[8] = (bytes[8] & 0x3F) | 0x80;
    return UUID(bytes);
}

std::optional<UUID> UUID::parse(std::string_view text)
{
    if (text.size() != 36)
        return std::nullopt;
    Bytes bytes {};
    std::size_t nibble = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isHyphenPosition(i)) {
            if (text[i] != '-')
                return std::nullopt;
            continue;
        }
        int value = hexDigitValue(text[i]);
        if (value < 0)
            return std::nullopt;
        bytes[nibble / 2] = std::uint8_t(bytes[nibble / 2] | (nibble % 2 ? value : value << 4));
        ++nibble;
    }
    return UUID(bytes);
}

std::string UUID::uuidString() const
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += digits[bytes_[i] >> 4];
        text += digits[bytes_[i] & 0x0F];
    }
    return text;
}

std::string UUID::hexString() const
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(32);
    for (std::uint8_t byte : bytes_) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

} // namespace pellamor
