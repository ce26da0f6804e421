#include "desktops/NativeDesktopSwitchingEnvironment.h"

#include "desktops/SystemRestorations.h"
#include "platform/Platform.h"

namespace pellamor {

bool NativeDesktopSwitchingEnvironment::authorized()
{
    return platform().accessibility().isProcessTrusted() && platform().events().preflightPostEventAccess();
}

std::optional<NativeDesktopState> NativeDesktopSwitchingEnvironment::target(int number)
{
    return runtime ? runtime->target(number) : std::nullopt;
}

std::optional<std::uint64_t> NativeDesktopSwitchingEnvironment::currentSpace(const std::string& display)
{
    return runtime ? runtime->currentSpace(display) : std::nullopt;
}

std::optional<NativeShortcut> NativeDesktopSwitchingEnvironment::shortcut(std::uint32_t hotkey)
{
    return runtime ? runtime->shortcut(hotkey) : std::nullopt;
}

bool NativeDesktopSwitchingEnvironment::isEnabled(std::uint32_t hotkey)
{
    return runtime && runtime->isEnabled(hotkey);
}

bool NativeDesktopSwitchingEnvironment::setEnabled(std::uint32_t hotkey, bool enabled)
{
    if (!runtime)
        return false;
    // Recorded first, so that a kill before it is off again leaves the next launch the hot key to put back.
    if (enabled)
        SystemRestorations::recordShortcut(hotkey);
    bool done = runtime->setEnabled(hotkey, enabled) == 0;
    if (!enabled && done && !runtime->isEnabled(hotkey))
        SystemRestorations::forgetShortcut(hotkey);
    return done;
}

bool NativeDesktopSwitchingEnvironment::keysReleased(const NativeShortcut& shortcut)
{
    EventServices& events = platform().events();
    if (events.flagsState(EventSourceState::hidSystem) & NativeShortcut::modifiers)
        return false;
    return !events.keyState(EventSourceState::hidSystem, shortcut.code);
}

bool NativeDesktopSwitchingEnvironment::post(const NativeShortcut& shortcut)
{
    EventServices& events = platform().events();
    auto down = events.createKeyboardEvent(shortcut.code, true);
    auto up = events.createKeyboardEvent(shortcut.code, false);
    if (!down || !up)
        return false;
    down->setFlags(shortcut.flags);
    up->setFlags(0);
    down->setIntegerValueField(EventField::keyboardEventAutorepeat, 0);
    up->setIntegerValueField(EventField::keyboardEventAutorepeat, 0);
    events.post(EventTap::hid, *down);
    events.post(EventTap::hid, *up);
    return true;
}

} // namespace pellamor
