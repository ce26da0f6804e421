// The one reader of windows: the window server's list, which Spaces hold a window and which windows a Space
// holds, and Accessibility for titles, documents, minimized state and the element of one window.
#pragma once

#include "desktops/DesktopRuntime.h"
#include "platform/Accessibility.h"
#include "platform/HIServices.h"
#include "platform/SkyLight.h"
#include "windows/DesktopWindow.h"
#include "windows/HiddenWindowTracker.h"
#include "windows/WindowOwnerIdentification.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

// Not safe for concurrent use: one caller at a time (the inventory queue, or the main thread for one action).
class WindowSpaceRuntime {
public:
    // None when SkyLight or either of its two required calls is missing.
    static std::shared_ptr<WindowSpaceRuntime> make();

    // The ordinary desktops of every display; none when they cannot be read.
    std::optional<std::vector<NativeDesktopState>> desktops() const;
    // The ids of the Spaces that hold the window; none when the window server does not say.
    std::optional<std::vector<std::uint64_t>> spaces(std::uint32_t window) const;
    // The window numbers on the Space; none for Space 0, without the optional call, or for any bad element.
    std::optional<std::vector<std::uint32_t>> windowsInSpace(std::uint64_t space) const;
    // The ordinary windows of other regular applications on some desktop; empty when the list is unreadable.
    std::vector<DesktopWindow> windows(bool includeHidden, bool readMetadata);
    // Keeps a title learnt from a screen capture, when it is not blank.
    void updateCaptureTitle(std::uint32_t id, std::int32_t pid, const std::optional<std::string>& title);
    // The record's window still exists and belongs to the same running process.
    bool identifiesOwner(const DesktopWindow& record) const;
    // The record as the window server shows it now, when it is still a window that may be organised.
    std::optional<DesktopWindow> window(const DesktopWindow& matching) const;
    // The record's Accessibility element; null when it cannot be found.
    AXElementRef accessibilityWindow(const DesktopWindow& record) const;
    std::optional<std::uint32_t> windowID(const AXElementRef& element) const;
    // The window server's descriptions of one window number; none for 0 or when it does not answer.
    WindowDescriptions descriptions(std::uint32_t window) const;
    // The window server's descriptions of every window; none when it does not answer.
    std::optional<PlistArray> allDescriptions() const;

private:
    struct Metadata {
        std::optional<std::string> title;
        std::optional<std::string> documentName;
        std::optional<bool> isMinimized;
    };
    using MetadataByWindow = std::map<std::uint32_t, Metadata>;
    struct CaptureTitle {
        std::int32_t pid = 0;
        std::string title;
    };

    // The application's "AXWindows", asked with that messaging time-out; none when they cannot be read.
    std::optional<std::vector<AXElementRef>> accessibilityWindows(std::int32_t pid, double timeout) const;
    std::optional<MetadataByWindow> windowMetadata(std::int32_t pid) const;

    std::shared_ptr<Framework> library_;
    std::function<skylight::MainConnectionID> connection_;
    std::function<skylight::CopySpacesForWindows> readSpaces_;
    std::function<skylight::CopyWindowsWithOptionsAndTags> readWindows_;
    std::function<hiservices::GetWindow> axWindowID_;
    std::shared_ptr<DesktopRuntime> desktopRuntime_;
    HiddenWindowTracker hiddenWindows_;
    std::map<std::uint32_t, CaptureTitle> captureTitles_;
};

} // namespace pellamor
