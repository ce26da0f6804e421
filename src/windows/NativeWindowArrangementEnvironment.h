// The arrangement on macOS: one window's frame set through Accessibility to a layout on a screen, or back to a
// remembered frame, with the application's enhanced user interface off meanwhile.
#pragma once

#include "desktops/ScreenPlacement.h"
#include "desktops/SystemRestorations.h"
#include "windows/WindowArrangement.h"
#include "windows/WindowArrangementSession.h"
#include "windows/WindowSpaceRuntime.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

class NativeWindowArrangementEnvironment : public WindowArrangementEnvironment {
public:
    // The caller's own last check: a refusal, or none to go on.
    using Validation = std::function<std::optional<std::string>()>;

    // `resolvedWindow` is the element found while reaching the window, if any; all frames are in top-left
    // accessibility coordinates. Without a runtime (the window server's calls are missing) every step refuses.
    NativeWindowArrangementEnvironment(std::shared_ptr<WindowSpaceRuntime> runtime, DesktopWindow record,
        WindowArrangement arrangement, ConnectedMonitor monitor, AXElementRef resolvedWindow,
        std::optional<QRectF> restoredFrame, Validation validation);

    QRectF desired() override { return desired_; }
    std::optional<std::string> validate() override;
    std::optional<std::string> prepare() override;
    std::optional<std::string> writeSize() override;
    std::optional<std::string> writePosition() override;
    std::optional<QRectF> actualFrame() override;
    std::optional<std::string> cleanup() override;

private:
    std::string inaccessible() const;
    std::optional<QRectF> target(const QRectF& area, const QRectF& current) const;

    std::shared_ptr<WindowSpaceRuntime> runtime_;
    DesktopWindow record_;
    WindowArrangement arrangement_;
    std::optional<QRectF> restoredFrame_;
    ConnectedMonitor monitor_;
    Validation validation_;
    std::optional<std::vector<NativeDesktopState>> inventory_;
    AssistantScreenConfiguration configuration_;
    AXElementRef window_;
    AXElementRef application_;
    bool restoreEnhancedUI_ = false;
    // The application instance whose enhanced interface is off, as recorded for the next launch.
    SystemRestorations::ApplicationInstance owner_;
    std::optional<QRectF> originalFrame_;
    QRectF desired_;
};

} // namespace pellamor
