// The switching session's view of macOS: the window server's private calls, Accessibility and posted keys.
#pragma once

#include "desktops/DesktopRuntime.h"
#include "desktops/DesktopSwitchingSession.h"

namespace pellamor {

class NativeDesktopSwitchingEnvironment final : public DesktopSwitchingEnvironment {
public:
    NativeDesktopSwitchingEnvironment()
        : runtime(DesktopRuntime::make())
    {
    }

    bool available() override { return runtime != nullptr; }
    bool authorized() override;
    std::optional<NativeDesktopState> target(int number) override;
    std::optional<std::uint64_t> currentSpace(const std::string& display) override;
    std::optional<NativeShortcut> shortcut(std::uint32_t hotkey) override;
    bool isEnabled(std::uint32_t hotkey) override;
    bool setEnabled(std::uint32_t hotkey, bool enabled) override;
    bool keysReleased(const NativeShortcut& shortcut) override;
    bool post(const NativeShortcut& shortcut) override;

    std::shared_ptr<DesktopRuntime> runtime;
};

} // namespace pellamor
