// The simulated ScreenCaptureKit: lists the world's windows and draws one window's picture on request.
#pragma once

#include "platform/ScreenCaptureKit.h"

namespace pellamor::sim {

class SimulatedMac;
struct Window;
struct Application;

class ScreenCaptureService final : public ScreenCaptureKit {
public:
    explicit ScreenCaptureService(SimulatedMac& mac);

    void shareableContent(bool excludingDesktopWindows, bool onScreenWindowsOnly,
                          ContentCompletion completion) override;
    void captureImage(const WindowCaptureRequest& request, CaptureCompletion completion) override;

    // What the capture shows of a window: its application's colour, a title bar with its title, its content;
    // recognisable at any size a person asks for.
    static CapturedImage draw(const Window& window, const Application* owner, int width, int height);

private:
    // Before macOS 14 or without the permission, ScreenCaptureKit throws.
    bool available();

    SimulatedMac& mac_;
};

} // namespace pellamor::sim
