// The world script's steps that work the main window as a person would (click, resize, select a tab, type,
// press a key, choose a project, click a window's card or drag it onto a screen) and drive the shell (prepare a
// project's screen, confirm a reset). Built into the executable only: it is where the shell meets the simulated Mac.
#pragma once

namespace pellamor {

class AppDelegate;

namespace sim {
class ScriptRunner;
}

// A step that cannot find its control writes "app: script-failed step=<index> reason=<text>" and the run goes on.
void registerInterfaceSteps(sim::ScriptRunner& script, AppDelegate& delegate);

} // namespace pellamor
