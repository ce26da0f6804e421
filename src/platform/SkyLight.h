// The window server's private framework: its path and the signatures of the calls bound from it.
#pragma once

#include "platform/PlistValue.h"

#include <cstdint>
#include <optional>

namespace pellamor::skylight {

inline constexpr const char* frameworkPath = "/System/Library/PrivateFrameworks/SkyLight.framework/SkyLight";

using CGError = std::int32_t;
using ConnectionID = std::int32_t;

// Hot key id, key-equivalent out-pointer (may be null), key code out-cell, modifier flags out-cell.
using GetSymbolicHotKeyValue = CGError(std::uint32_t, std::uint16_t*, std::uint64_t*, std::uint64_t*);
using IsSymbolicHotKeyEnabled = bool(std::uint32_t);
using SetSymbolicHotKeyEnabled = CGError(std::uint32_t, bool);
using MainConnectionID = ConnectionID();
// The managed display spaces: a property list value (normally an array of dictionaries), none for null.
using CopyManagedDisplaySpaces = std::optional<PlistValue>(ConnectionID);
// Connection, selector mask, window numbers: the ids of the Spaces that hold them; none for null.
using CopySpacesForWindows = std::optional<PlistValue>(ConnectionID, std::int32_t, const PlistArray&);
// Connection, owner, Space ids, options, set-tags in/out, clear-tags in/out: the window numbers of those Spaces.
using CopyWindowsWithOptionsAndTags = std::optional<PlistValue>(
    ConnectionID, std::uint32_t, const PlistArray&, std::uint32_t, std::uint64_t*, std::uint64_t*);

} // namespace pellamor::skylight
