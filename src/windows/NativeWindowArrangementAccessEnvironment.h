// Reaching a window on macOS: its Accessibility element, whether its desktop is active, and opening that
// desktop through the shared desktop switcher.
#pragma once

#include "desktops/MissionControl.h"
#include "desktops/ScreenPlacement.h"
#include "windows/WindowArrangementAccessSession.h"
#include "windows/WindowSpaceRuntime.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

class NativeWindowArrangementAccessEnvironment : public WindowArrangementAccessEnvironment {
public:
    using Validation = std::function<std::optional<std::string>()>;
    // Told the 1-based number of the desktop about to be opened.
    using WillOpen = std::function<void(int desktop)>;

    // `monitor` is the screen of the window's desktop; `switcher` is the one its owner shares with its other
    // desktop switches, so that one switch at a time holds between them. Without a runtime (the window server's
    // calls are missing) validation refuses.
    NativeWindowArrangementAccessEnvironment(std::shared_ptr<WindowSpaceRuntime> runtime, DesktopWindow record,
        std::uint64_t source, std::vector<NativeDesktopState> inventory, ConnectedMonitor monitor,
        std::shared_ptr<MissionControlSwitcher> switcher, WillOpen willOpen, Validation validation);

    std::string inaccessibleMessage() override;
    std::optional<std::string> validate() override;
    bool accessibilityAvailable() override;
    bool sourceIsActive() override;
    void openSource(OpeningCompletion completion) override;
    void cancelOpening() override;

    // The element found by the last successful look, for the arrangement.
    AXElementRef resolvedWindow;

private:
    bool desktopsChanged() const;

    std::shared_ptr<WindowSpaceRuntime> runtime_;
    DesktopWindow record_;
    std::uint64_t source_;
    std::vector<NativeDesktopState> inventory_;
    ConnectedMonitor monitor_;
    AssistantScreenConfiguration configuration_;
    std::shared_ptr<MissionControlSwitcher> switcher_;
    WillOpen willOpen_;
    Validation validation_;
};

} // namespace pellamor
