// What the world's script asks of the shell beyond clicks: a project's screen prepared and committed as the
// overview does it, a reset confirmed, and window cards dragged. Outcomes are reported as "app:" lines.
#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace pellamor {

class AppDelegate;
class ProjectDisplayDropView;
class WindowThumbnail;
struct DraggingInfo;

namespace ScriptDrive {

// Takes the action lock as the overview does, prepares, validates and commits, then gives the lock back.
void prepareDisplay(AppDelegate& delegate, const std::string& projectID, const std::string& display, std::ostream& log);

enum class ResetKind { assignments, desktops };
// Opens the reset's confirmation and answers it with the reset's own button; false when none opened.
bool confirmReset(AppDelegate& delegate, ResetKind kind);

// A card dragged as the mouse drags it: pressed, moved past the drag threshold, the drag that starts handed to
// `target` (a drop target's own dragging operations, true for a drop it took) in place of the system's drag
// loop, then released. False when the card started no drag or nothing took the drop.
bool dragCard(WindowThumbnail& card, const std::function<bool(const DraggingInfo&)>& target);
// The card dragged onto a screen card: entered, moved over, then dropped.
bool dragToDisplay(WindowThumbnail& card, ProjectDisplayDropView& display);
// The card dragged into the middle of the all-windows column of its panel and dropped there.
bool dragToLibrary(WindowThumbnail& card);

} // namespace ScriptDrive

} // namespace pellamor
