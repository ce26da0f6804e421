// The one wrapper of the window server's private calls, bound by name; absent when any of them is missing.
#pragma once

#include "desktops/DesktopModel.h"
#include "platform/FrameworkLoader.h"
#include "platform/SkyLight.h"

#include <functional>
#include <memory>

namespace pellamor {

class DesktopRuntime {
public:
    // None when the framework cannot be opened or a symbol is missing.
    static std::shared_ptr<DesktopRuntime> make();

    // The window server's display dictionaries, asked afresh; none unless an array of dictionaries.
    std::optional<std::vector<PlistDictionary>> displays() const;
    std::optional<NativeDesktopState> target(int number) const;
    // The current space of the display whose identifier is exactly `display`.
    std::optional<std::uint64_t> currentSpace(const std::string& display) const;
    std::optional<NativeShortcut> shortcut(std::uint32_t hotkey) const;

    std::shared_ptr<Framework> library;
    std::function<skylight::GetSymbolicHotKeyValue> readKey;
    std::function<skylight::IsSymbolicHotKeyEnabled> isEnabled;
    std::function<skylight::SetSymbolicHotKeyEnabled> setEnabled;
    std::function<skylight::MainConnectionID> connection;
    std::function<skylight::CopyManagedDisplaySpaces> readSpaces;

private:
    // The window server's answer when it is an array of dictionaries.
    std::optional<PlistValue> displayArray() const;
};

} // namespace pellamor
