#include "app/DesktopDriverWindows.h"

#include "desktops/NativeDesktopManagementDriver.h"
#include "platform/Platform.h"
#include "windows/WindowSpaceRuntime.h"

namespace pellamor {

void connectDriverWindows(NativeDesktopManagementDriver& driver)
{
    if (std::shared_ptr<WindowSpaceRuntime> runtime = WindowSpaceRuntime::make()) {
        driver.windowServer.windowsInSpace = [runtime](std::uint64_t space) { return runtime->windowsInSpace(space); };
        driver.windowServer.windowInformation = [runtime] { return runtime->allDescriptions(); };
    }
    driver.ownWindowJoinsAllSpaces = [](std::uint32_t window) -> std::optional<bool> {
        std::optional<OwnWindowAttributes> attributes = platform().windowList().ownWindowNumbered(window);
        if (!attributes)
            return std::nullopt;
        return (attributes->collectionBehavior & windowCollectionBehavior::canJoinAllSpaces) != 0;
    };
}

} // namespace pellamor
