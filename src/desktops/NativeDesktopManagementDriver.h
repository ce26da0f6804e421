// The macOS side of adding and removing desktops: the rules that decide whether a display may gain or lose a
// desktop, leaving a display's current desktop before it goes, and which desktops are empty.
#pragma once

#include "desktops/DesktopManagement.h"
#include "desktops/DesktopWindowServer.h"
#include "desktops/MissionControl.h"
#include "desktops/MissionControlCreator.h"
#include "desktops/ScreenPlacement.h"

#include <QRectF>
#include <map>
#include <memory>
#include <set>

namespace pellamor {

namespace DesktopSpaceOccupancy {

// The desktops of `spaces` that hold no window that counts; none as soon as a desktop without a counting
// window holds one that cannot be judged, or any answer is missing.
std::optional<std::set<std::uint64_t>> emptySpaces(const std::vector<std::uint64_t>& spaces,
    const std::function<std::optional<std::vector<std::uint32_t>>(std::uint64_t space)>& windowsInSpace,
    const std::function<std::optional<bool>(std::uint32_t window)>& isOccupyingWindow);

// Whether one window keeps its desktop occupied, from its window-server description; none when unsure.
// `ownWindowJoinsAllSpaces` answers for this application's own windows, none when it has no such window.
std::optional<bool> occupies(const PlistDictionary* description, int ownPID,
    const std::function<std::optional<bool>(std::uint32_t window)>& ownWindowJoinsAllSpaces);

} // namespace DesktopSpaceOccupancy

class NativeDesktopManagementDriver : public DesktopManagementDriver,
                                      public std::enable_shared_from_this<NativeDesktopManagementDriver> {
public:
    enum class RemovalPolicy { emptyContentDesktops, confirmedReset };
    using AdditionalValidation
        = std::function<std::optional<std::string>(const std::string& display, std::optional<std::uint64_t> space)>;
    using ScreenFrames = std::map<std::string, QRectF>;

    NativeDesktopManagementDriver(std::shared_ptr<MissionControlCreator> creator, RemovalPolicy removalPolicy);

    std::optional<std::vector<NativeDesktopState>> inventory() override;
    std::optional<std::string> validate(const std::string& display, std::optional<std::uint64_t> removing) override;
    void add(const std::string& display, Validating validating, Completion completion) override;
    void remove(std::uint64_t space, const std::string& display, Validating validating, Completion completion) override;
    void close() override;

    // Only for the whole inventory just read, in its own order; any other list gives none.
    std::optional<std::set<std::uint64_t>> emptyDesktopSpaces(const std::vector<NativeDesktopState>& desktops);

    RemovalPolicy removalPolicy() const { return removalPolicy_; }

    // An extra refusal an owner installs for the time of one operation.
    AdditionalValidation additionalValidation;
    // Filled by the owner from the window-server runtime it makes with the driver; empty without one.
    DesktopWindowServer windowServer;
    // This application's own window with that number: whether it shows on every desktop; none without one.
    std::function<std::optional<bool>(std::uint32_t window)> ownWindowJoinsAllSpaces = [](std::uint32_t) {
        return std::optional<bool>();
    };

private:
    std::uint64_t begin();
    std::optional<std::string> structuralRestriction(const std::string& display, std::optional<std::uint64_t> space);
    std::optional<std::string> normalHead(const std::vector<ConnectedMonitor>& monitors, const std::string& display);
    std::optional<std::string> resetHead(const std::vector<ConnectedMonitor>& monitors, std::optional<std::uint64_t> space);
    void leaveCurrentDesktop(std::uint64_t token, const std::vector<NativeDesktopState>& inventory, std::size_t position,
        Validating validating, Completion completion);
    void proceed(std::uint64_t token, std::uint64_t space, const std::string& display, Validating validating,
        Completion completion);
    std::optional<std::set<std::uint64_t>> readEmptyDesktopSpaces(const std::vector<NativeDesktopState>& desktops);
    // Drops a creator or switcher callback of an older operation, or of a released driver.
    Completion guarded(std::uint64_t token, Completion completion);

    std::shared_ptr<MissionControlCreator> creator_;
    RemovalPolicy removalPolicy_;
    std::optional<ScreenFrames> resetScreenFrames_;
    MissionControlSwitcher switcher_;
    std::uint64_t generation_ = 0;
    std::optional<AssistantScreenConfiguration> configuration_;
    std::optional<ScreenFrames> screenFrames_;
};

} // namespace pellamor
