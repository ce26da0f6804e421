// What the desktop lists read after a creation Mission Control did not confirm tell of it.
#pragma once

#include "desktops/DesktopModel.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

// The desktops of `display` in `inventory` that `before` did not list.
std::vector<NativeDesktopState> desktopsAdded(const std::vector<NativeDesktopState>& inventory,
    const std::string& display, const std::vector<NativeDesktopState>& before);

// The desktops a display gained since a creation was asked on it, over every reading. A desktop is the created
// one only while it can be no other: the display gained that one alone, and kept every desktop it had. A display
// that left and came back, or another under the same id, keeps none.
class UnconfirmedCreation {
public:
    UnconfirmedCreation(
        std::string projectID, std::string display, std::vector<NativeDesktopState> before, double until);

    void observe(const std::vector<NativeDesktopState>& inventory);
    std::optional<NativeDesktopState> created() const;
    // No later reading can make a desktop the created one.
    bool isSettled() const { return lostOne_ || gained_.size() > 1; }

    const std::string projectID;
    // Mission Control's change may land this late; later, a new desktop is the user's.
    const double until;
    // The desktop recorded as created so far.
    std::optional<NativeDesktopState> recorded;

private:
    std::string display_;
    std::vector<NativeDesktopState> before_;
    std::map<std::uint64_t, NativeDesktopState> gained_;
    bool lostOne_ = false;
};

} // namespace pellamor
