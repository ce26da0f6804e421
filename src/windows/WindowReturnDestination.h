// Where each moved window came from, remembered so that it can be sent back: validated origins, their JSON
// form under "windowReturnOrigins", and the rules that decide where a window goes back to.
#pragma once

#include "desktops/DesktopModel.h"
#include "desktops/ProjectDesktopAssociations.h"

#include <QRectF>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pellamor {

struct WindowReturnIdentity {
    std::uint32_t windowID = 0;
    std::int32_t pid = 0;
    std::string bundleID;
    // The owning process's launch date, seconds since 1970.
    double processLaunchTime = 0;

    // A window number, a real pid, a clean bundle identifier and a finite launch time after 1970.
    bool isValid() const;

    friend bool operator==(const WindowReturnIdentity&, const WindowReturnIdentity&) = default;
};

struct WindowReturnOrigin {
    WindowReturnIdentity identity;
    ProjectDesktopAssociation desktop;
    // The window's frame before its first move, top-left origin.
    QRectF frame;

    friend bool operator==(const WindowReturnOrigin&, const WindowReturnOrigin&) = default;
};

struct WindowReturnDestination {
    NativeDesktopState desktop;
    // The frame to restore, when going back to the recorded origin.
    std::optional<QRectF> frame;
    bool restoresOriginal = false;

    friend bool operator==(const WindowReturnDestination&, const WindowReturnDestination&) = default;
};

enum class WindowReturnDestinationError {
    invalidIdentity,
    invalidInventory,
    protectedAssistant,
    originalUnavailable,
    assistantUnavailable,
    projectDesktop,
};

using WindowReturnDestinationResult = std::variant<WindowReturnDestination, WindowReturnDestinationError>;

class WindowReturnOrigins {
public:
    static constexpr const char* defaultsKey = "windowReturnOrigins";
    // An unreadable stored value is kept under this prefix and a UUID.
    static constexpr const char* unreadableKeyPrefix = "windowReturnOrigins.unreadable-";
    // Above this size the stored form is neither read nor written.
    static constexpr std::size_t maximumDataSize = 4 * 1024 * 1024;

    WindowReturnOrigins() = default;
    // Version 1 and valid throughout; none otherwise, nothing of it accepted.
    static std::optional<WindowReturnOrigins> decode(std::string_view data);
    // Sorted keys, version 1; none when the set is not valid or its form would pass the size limit.
    std::optional<std::string> encodedData() const;

    const std::vector<WindowReturnOrigin>& entries() const { return entries_; }
    std::optional<WindowReturnOrigin> origin(const WindowReturnIdentity& identity) const;
    // Keeps the first origin of a window: recording again for the same identity changes nothing and is true.
    // An origin whose recording would take the stored form past its size limit is refused.
    bool recordOriginal(const WindowReturnIdentity& identity, const NativeDesktopState& desktop, const QRectF& frame);
    // Removes every origin of the identity; true when one was removed.
    bool remove(const WindowReturnIdentity& identity);
    // The recorded desktop and frame; without a recorded origin, the current desktop of the dedicated screen.
    WindowReturnDestinationResult destination(const WindowReturnIdentity& identity,
        const std::vector<NativeDesktopState>& inventory, const std::optional<std::string>& assistantDisplay,
        const std::string& assistantBundleID, const std::set<std::uint64_t>& unavailableProjectSpaceIDs) const;

    friend bool operator==(const WindowReturnOrigins&, const WindowReturnOrigins&) = default;

private:
    bool isValid() const;

    std::vector<WindowReturnOrigin> entries_;
};

} // namespace pellamor
