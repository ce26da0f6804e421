// What the application changes in the user's system for a while, recorded in the settings before each change so
// that the next launch can put it back when a kill or a crash stopped the run before it did.
#pragma once

#include "platform/PlistValue.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pellamor::SystemRestorations {

// Switch to Desktop hot key ids switched on for a switch: an array of integers.
inline constexpr const char* shortcutsKey = "pendingShortcutRestorations";
// Applications whose enhanced user interface was switched off for an arrangement: an array of dictionaries
// with "pid", and "bundleID" and "launched" (seconds since 1970, a real kept exactly) when the system gave them.
inline constexpr const char* enhancedInterfacesKey = "pendingEnhancedInterfaceRestorations";

// One running instance of an application: a pid reused by another application or another launch is not it.
struct ApplicationInstance {
    int pid = 0;
    std::optional<std::string> bundleID;
    std::optional<PlistDate> launchDate;
    friend bool operator==(const ApplicationInstance&, const ApplicationInstance&) = default;
};

// The instance running with that pid now; none when no application has it or it has terminated.
std::optional<ApplicationInstance> runningInstance(int pid);

void recordShortcut(std::uint32_t hotkey);
void forgetShortcut(std::uint32_t hotkey);
void recordEnhancedInterface(const ApplicationInstance& application);
void forgetEnhancedInterface(const ApplicationInstance& application);

// At launch: each recorded Switch to Desktop hot key (desktops 1 to 9) switched off again if it is still on, each
// recorded application's enhanced interface switched on again if that instance still runs; a record is forgotten
// once nothing is left to put back or when it is unreadable or names another hot key, and kept for the next launch
// when putting it back failed.
void restoreRecorded();

} // namespace pellamor::SystemRestorations
