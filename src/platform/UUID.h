// 128-bit identifiers: random ones, parsed ones, and their canonical upper-case text.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pellamor {

class UUID {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    explicit UUID(const Bytes& bytes)
        : bytes_(bytes)
    {
    }

    // A fresh version-4 identifier from the system's random source.
    static UUID random();
    // "8-4-4-4-12" hexadecimal digits in either case; none for anything else.
    static std::optional<UUID> parse(std::string_view text);

    // "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".
    std::string uuidString() const;
    // "e621e1f8c36c495a93fc0c247a3e6e5f".
    std::string hexString() const;
    const Bytes& bytes() const { return bytes_; }

    friend bool operator==(const UUID&, const UUID&) = default;
    friend auto operator<=>(const UUID&, const UUID&) = default;

private:
    Bytes bytes_;
};

} // namespace pellamor
