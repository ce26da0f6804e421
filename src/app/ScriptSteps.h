// The world script's steps that work the main window as a person would: select a tab, type, press a key,
// choose a project in the chooser, click a window's card or drag it onto a screen. Used by the program entry only.
#pragma once

namespace pellamor {

class AppDelegate;

namespace sim {
class ScriptRunner;
}

// A step that cannot find its control writes "app: script-failed step=<index> reason=<text>" and the run goes on.
void registerInterfaceSteps(sim::ScriptRunner& script, AppDelegate& delegate);

} // namespace pellamor
