// Shareable content and one-shot screenshots of one window, available from macOS 14 on.
#pragma once

#include <QRectF>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

// One window that can be captured.
struct ShareableWindow {
    std::uint32_t windowID = 0;
    // The owning application's process; none when the window has no owning application.
    std::optional<std::int32_t> owningProcessID;
    std::optional<std::string> title;
    // Screen points, top-left origin.
    QRectF frame;
    bool onScreen = false;

    friend bool operator==(const ShareableWindow&, const ShareableWindow&) = default;
};

// Premultiplied 32-bit ARGB pixels, row by row, `width` × `height` of them.
struct CapturedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// What the capture calls are given: one window, independent of desktops.
struct WindowCaptureRequest {
    std::uint32_t windowID = 0;
    int width = 0;
    int height = 0;
    bool showsCursor = false;
};

class ScreenCaptureKit {
public:
    virtual ~ScreenCaptureKit() = default;

    // None when the listing throws. Answers later, on the main queue.
    using ContentCompletion = std::function<void(std::optional<std::vector<ShareableWindow>>)>;
    virtual void shareableContent(bool excludingDesktopWindows, bool onScreenWindowsOnly,
                                  ContentCompletion completion) = 0;

    // None when the capture throws (no permission, a window that went away, a system before macOS 14).
    // Answers later, on the main queue.
    using CaptureCompletion = std::function<void(std::optional<CapturedImage>)>;
    virtual void captureImage(const WindowCaptureRequest& request, CaptureCompletion completion) = 0;
};

} // namespace pellamor
