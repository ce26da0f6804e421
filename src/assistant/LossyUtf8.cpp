#include "assistant/LossyUtf8.h"

#include <simdjson.h>

namespace pellamor {

namespace {

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

struct Lead {
    int length; // 0: not a lead byte
    unsigned char secondLow;
    unsigned char secondHigh;
};

Lead lead(unsigned char byte)
{
    if (byte >= 0xC2 && byte <= 0xDF)
        return { 2, 0x80, 0xBF };
    if (byte == 0xE0)
        return { 3, 0xA0, 0xBF };
    if (byte == 0xED)
        return { 3, 0x80, 0x9F };
    if (byte >= 0xE1 && byte <= 0xEF)
        return { 3, 0x80, 0xBF };
    if (byte == 0xF0)
        return { 4, 0x90, 0xBF };
    if (byte >= 0xF1 && byte <= 0xF3)
        return { 4, 0x80, 0xBF };
    if (byte == 0xF4)
        return { 4, 0x80, 0x8F };
    return { 0, 0, 0 };
}

} // namespace

bool isValidUtf8(std::string_view bytes)
{
    return simdjson::validate_utf8(bytes.data(), bytes.size());
}

std::string repairingUtf8(std::string_view bytes)
{
    std::string result;
    result.reserve(bytes.size() + bytes.size() / 8);
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            result += static_cast<char>(byte);
            ++i;
            continue;
        }
        const Lead expected = lead(byte);
        std::size_t taken = 1;
        bool complete = expected.length > 0;
        while (complete && taken < static_cast<std::size_t>(expected.length)) {
            if (i + taken >= bytes.size()) {
                complete = false;
                break;
            }
            const auto next = static_cast<unsigned char>(bytes[i + taken]);
            const unsigned char low = taken == 1 ? expected.secondLow : 0x80;
            const unsigned char high = taken == 1 ? expected.secondHigh : 0xBF;
            if (next < low || next > high) {
                complete = false;
                break;
            }
            ++taken;
        }
        if (complete)
            result.append(bytes.substr(i, taken));
        else
            result += replacementCharacter;
        i += taken;
    }
    return result;
}

} // namespace pellamor
