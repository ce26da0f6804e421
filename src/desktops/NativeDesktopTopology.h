// Every space of every display, special ones included, as the window server lists them; used to find a
// desktop's thumbnail in Mission Control and to prove that exactly one desktop was added or removed.
#pragma once

#include "platform/PlistValue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

struct NativeDesktopTopology {
    struct Space {
        std::uint64_t id = 0;
        // 0 is an ordinary desktop; anything else a special space such as a full-screen application.
        std::int64_t type = 0;
        friend bool operator==(const Space&, const Space&) = default;
    };

    struct Display {
        std::string identifier;
        std::vector<Space> spaces;
        friend bool operator==(const Display&, const Display&) = default;
    };

    std::vector<Display> displays;

    // All or nothing: any malformed display or space gives none.
    static std::optional<NativeDesktopTopology> make(const std::vector<PlistDictionary>& displays);

    // Display identifiers compared ignoring case.
    std::optional<std::size_t> index(const std::string& display) const;
    std::optional<std::size_t> thumbnailIndex(std::uint64_t space, const std::string& display) const;
    // An ordinary space's number among its display's ordinary desktops, from 1.
    std::optional<std::uint64_t> desktopNumber(std::uint64_t space, const std::string& display) const;

    // Called on the snapshot taken after the operation, with the one taken before.
    bool confirmsAddition(const std::string& display, const NativeDesktopTopology& before) const;
    bool confirmsRemoval(std::uint64_t space, const std::string& display, const NativeDesktopTopology& before) const;

    friend bool operator==(const NativeDesktopTopology&, const NativeDesktopTopology&) = default;
};

} // namespace pellamor
