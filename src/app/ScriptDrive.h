// What the world's script asks of the shell beyond clicks: a project's screen prepared and committed as the
// overview does it, and a reset confirmed. Outcomes are reported as "app:" lines.
#pragma once

#include <ostream>
#include <string>

namespace pellamor {

class AppDelegate;

namespace ScriptDrive {

// Takes the action lock as the overview does, prepares, validates and commits, then gives the lock back.
void prepareDisplay(AppDelegate& delegate, const std::string& projectID, const std::string& display, std::ostream& log);

enum class ResetKind { assignments, desktops };
// Opens the reset's confirmation and answers it with the reset's own button; false when none opened.
bool confirmReset(AppDelegate& delegate, ResetKind kind);

} // namespace ScriptDrive

} // namespace pellamor
