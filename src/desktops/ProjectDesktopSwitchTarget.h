// One desktop of a project on one display, with its desktop number.
#pragma once

#include "desktops/DesktopModel.h"

namespace pellamor {

struct ProjectDesktopSwitchTarget {
    // 1…9, the position of `desktop` in the inventory of all displays.
    int number = 0;
    NativeDesktopState desktop;

    friend bool operator==(const ProjectDesktopSwitchTarget&, const ProjectDesktopSwitchTarget&) = default;
};

} // namespace pellamor
