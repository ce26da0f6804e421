// One dictionary of the window server's window list, read strictly into what the window list needs.
#pragma once

#include "platform/PlistValue.h"

#include <QRectF>
#include <cstdint>
#include <optional>
#include <string>

namespace pellamor {

struct WindowDescription {
    std::uint32_t number = 0;
    std::int32_t ownerPID = 0;
    // Finite, top-left origin.
    QRectF bounds;
    std::optional<std::string> name;
    std::optional<std::string> ownerName;
    // A missing key counts as off screen.
    bool onScreen = false;

    // An ordinary window (layer 0) with a window number, an owner pid and finite bounds at least 60 × 40
    // points; none otherwise.
    static std::optional<WindowDescription> parse(const PlistDictionary& description);
};

// The member under `key`; null when missing.
const PlistValue* descriptionValue(const PlistDictionary& description, const char* key);
// A layer that is a number (not a Boolean) equal to 0: an ordinary window.
bool isOrdinaryLayer(const PlistValue* layer);

} // namespace pellamor
