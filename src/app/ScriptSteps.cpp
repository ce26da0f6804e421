#include "app/ScriptSteps.h"

#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "app/ScriptDrive.h"
#include "assistant/Localization.h"
#include "overview/WindowThumbnail.h"
#include "setup/ProjectDisplayDropView.h"
#include "setup/ScreenMapView.h"
#include "sim/ScriptRunner.h"
#include "ui/ControlClick.h"

#include <QAction>
#include <QMenu>
#include <QTabWidget>
#include <algorithm>
#include <iostream>

namespace pellamor {
namespace {

using Block = sim::ScriptRunner::Block;
using Prepared = std::variant<Block, std::string>;

void reportFailure(const sim::ScriptRunner& script, const std::string& reason)
{
    std::cerr << "app: script-failed step=" << script.runningStep() << " reason=" << reason << std::endl;
}

// True when the step reached its control; a missing or disabled one is reported.
bool reached(const sim::ScriptRunner& script, ControlOutcome outcome, const std::string& identifier)
{
    if (outcome == ControlOutcome::missing)
        reportFailure(script, "no control " + identifier);
    else if (outcome == ControlOutcome::disabled)
        reportFailure(script, identifier + " is disabled");
    return outcome == ControlOutcome::done;
}

std::optional<std::string> text(const nlohmann::json& value, const char* member)
{
    if (!value.is_object() || !value.contains(member) || !value[member].is_string())
        return std::nullopt;
    return value[member].get<std::string>();
}

// A screen's card on the screen map clicked in its middle: the map's own hit test tells which screen it is.
void clickScreen(const sim::ScriptRunner& script, const std::string& identifier, const std::string& screen)
{
    QWidget* control = shownControl(identifier);
    auto* map = qobject_cast<ScreenMapView*>(control);
    if (!control)
        return reportFailure(script, "no control " + identifier);
    if (!map)
        return reportFailure(script, identifier + " is not a screen map");
    if (!map->isEnabled())
        return reportFailure(script, identifier + " is disabled");
    std::optional<QPointF> point = map->screenPoint(screen);
    if (!point)
        return reportFailure(script, "no screen " + screen + " on " + identifier);
    clickAt(*map, *point);
}

// The script's "click": the control with that identifier, clicked as a person would; on the screen map, the
// card of a given screen.
sim::ScriptRunner::Action clickAction(const sim::ScriptRunner& script)
{
    return [&script](const nlohmann::json& argument) -> Prepared {
        auto control = text(argument, "control");
        auto screen = text(argument, "screen");
        if (control && screen && argument.size() == 2)
            return Block([&script, control = *control, screen = *screen] { clickScreen(script, control, screen); });
        if (!argument.is_string() || argument.get<std::string>().empty())
            return std::string(
                "expected a control identifier, or { \"control\": <identifier>, \"screen\": <display id> }");
        std::string identifier = argument.get<std::string>();
        return Block([&script, identifier] { reached(script, clickIdentified(identifier), identifier); });
    };
}

// The script's "resize": the main window brought to that size, [width, height], never below its minimum.
sim::ScriptRunner::Action resizeAction(AppDelegate& delegate)
{
    return [&delegate](const nlohmann::json& argument) -> Prepared {
        if (!argument.is_array() || argument.size() != 2 || !argument[0].is_number_unsigned()
            || !argument[1].is_number_unsigned() || argument[0].get<std::uint64_t>() > 10000
            || argument[1].get<std::uint64_t>() > 10000)
            return std::string("expected [width, height] in points, each at most 10000");
        QSize size(argument[0].get<int>(), argument[1].get<int>());
        return Block([&delegate, size] {
            if (delegate.window)
                delegate.window->resize(size.expandedTo(delegate.window->minimumSize()));
        });
    };
}

// The script's "prepare-display" and "reset": the shell's preparation of a project's screen, a reset confirmed.
void registerShellActions(sim::ScriptRunner& script, AppDelegate& delegate)
{
    script.registerAction("prepare-display", [&delegate](const nlohmann::json& argument) -> Prepared {
        bool valid = argument.is_object() && argument.size() == 2 && argument.contains("project")
            && argument.contains("display") && argument["project"].is_string() && argument["display"].is_string();
        if (!valid)
            return std::string("expected { \"project\": <id>, \"display\": <display id> }");
        std::string project = argument["project"].get<std::string>();
        std::string display = argument["display"].get<std::string>();
        return Block(
            [&delegate, project, display] { ScriptDrive::prepareDisplay(delegate, project, display, std::cerr); });
    });
    script.registerAction("reset", [&delegate](const nlohmann::json& argument) -> Prepared {
        if (argument != "assignments" && argument != "desktops")
            return std::string("expected \"assignments\" or \"desktops\"");
        auto kind = argument == "assignments" ? ScriptDrive::ResetKind::assignments
                                              : ScriptDrive::ResetKind::desktops;
        return Block([&delegate, kind] { ScriptDrive::confirmReset(delegate, kind); });
    });
}

} // namespace

void registerInterfaceSteps(sim::ScriptRunner& script, AppDelegate& delegate)
{
    sim::ScriptRunner* runner = &script;
    QPointer<AppDelegate> self(&delegate);
    script.registerAction("click", clickAction(script));
    script.registerAction("resize", resizeAction(delegate));
    registerShellActions(script, delegate);
    script.registerAction("tab", [runner, self](const nlohmann::json& argument) -> Prepared {
        static const std::set<std::string> tabs { "windows", "screens", "privacy" };
        if (!argument.is_string() || !tabs.count(argument.get<std::string>()))
            return std::string("expected \"windows\", \"screens\" or \"privacy\"");
        std::string identifier = argument.get<std::string>();
        return Block([runner, self, identifier] {
            if (!self || !self->tabs)
                return reportFailure(*runner, "no main window");
            selectTab(self->tabs, identifier);
        });
    });
    script.registerAction("type", [runner](const nlohmann::json& argument) -> Prepared {
        auto into = text(argument, "into");
        auto typed = text(argument, "text");
        if (!into || !typed || argument.size() != 2)
            return std::string("expected { \"into\": <identifier>, \"text\": <text> }");
        return Block([runner, into = *into, typed = *typed] {
            reached(*runner, typeIntoControl(into, typed), into);
        });
    });
    script.registerAction("key", [runner](const nlohmann::json& argument) -> Prepared {
        static const std::set<std::string> keys { "Return", "Escape", "Up", "Down", "Space" };
        auto into = text(argument, "into");
        auto key = text(argument, "key");
        if (!into || !key || argument.size() != 2 || !keys.count(*key))
            return std::string("expected { \"into\": <identifier>, \"key\": \"Return\" | \"Escape\" | \"Up\" | \"Down\" | \"Space\" }");
        return Block([runner, into = *into, key = *key] {
            reached(*runner, pressKeyInControl(into, key), into);
        });
    });
    script.registerAction("choose-project", [runner, self](const nlohmann::json& argument) -> Prepared {
        if (!argument.is_string() || argument.get<std::string>().empty())
            return std::string("expected a project id");
        std::string projectID = argument.get<std::string>();
        return Block([runner, self, projectID] {
            if (!self)
                return;
            auto project = std::find_if(self->projects.begin(), self->projects.end(),
                [&](const Project& candidate) { return candidate.id == projectID; });
            if (project == self->projects.end())
                return reportFailure(*runner, "no project " + projectID);
            const std::string search = "setup-project-search";
            if (!isControlShown(search) && !reached(*runner, clickIdentified("setup-new-project"), "setup-new-project"))
                return;
            if (reached(*runner, typeIntoControl(search, project->name), search))
                reached(*runner, pressKeyInControl(search, "Return"), search);
        });
    });
    script.registerAction("drag-window", [runner](const nlohmann::json& argument) -> Prepared {
        auto display = text(argument, "to-display");
        bool toLibrary = argument.is_object() && argument.contains("to-library") && argument["to-library"] == true;
        if ((!display && !toLibrary) || argument.size() != 2 || !argument.contains("window")
            || !argument["window"].is_number_unsigned())
            return std::string(
                "expected { \"window\": <number>, \"to-display\": <display id> } or { \"window\": <number>, "
                "\"to-library\": true }");
        std::string window = std::to_string(argument["window"].get<std::uint64_t>());
        return Block([runner, window, display] {
            auto* card = qobject_cast<WindowThumbnail*>(shownControl("window-card:" + window));
            if (!card)
                return reportFailure(*runner, "no control window-card:" + window);
            if (!display) {
                if (!ScriptDrive::dragToLibrary(*card))
                    std::cerr << "app: drop-refused window=" << window << " target=library" << std::endl;
                return;
            }
            auto* target = qobject_cast<ProjectDisplayDropView*>(shownControl("project-display:" + *display));
            if (!target)
                return reportFailure(*runner, "no control project-display:" + *display);
            if (!ScriptDrive::dragToDisplay(*card, *target))
                std::cerr << "app: drop-refused window=" << window << " display=" << *display << std::endl;
        });
    });
    script.registerAction("window-menu", [runner](const nlohmann::json& argument) -> Prepared {
        auto item = text(argument, "item");
        if (!item || argument.size() != 2 || !argument.contains("window") || !argument["window"].is_number_unsigned())
            return std::string("expected { \"window\": <number>, \"item\": <menu item title> }");
        std::string window = std::to_string(argument["window"].get<std::uint64_t>());
        return Block([runner, window, item = *item] {
            auto* card = qobject_cast<WindowThumbnail*>(shownControl("window-card:" + window));
            if (!card)
                return reportFailure(*runner, "no control window-card:" + window);
            QMenu* menu = card->menuForContextRequest();
            const QList<QAction*> actions = menu ? menu->actions() : QList<QAction*>();
            // A French title names its item whatever the interface language; the shown title names it too.
            std::string shown = L(item);
            // Separators and hidden items are no items a person can point at.
            auto chosen = std::find_if(actions.begin(), actions.end(), [&](QAction* action) {
                return !action->isSeparator() && action->isVisible()
                    && action->text().replace("&&", "&").toStdString() == shown;
            });
            if (chosen == actions.end())
                return reportFailure(*runner, "no menu item " + item);
            if (!(*chosen)->isEnabled())
                return reportFailure(*runner, item + " is disabled");
            (*chosen)->trigger();
        });
    });
    script.registerAction("shortcut", [runner](const nlohmann::json& argument) -> Prepared {
        if (!argument.is_string() || argument.get<std::string>().empty())
            return std::string("expected a project id");
        std::string identifier = "project-shortcut:" + argument.get<std::string>();
        return Block([runner, identifier] { reached(*runner, clickIdentified(identifier), identifier); });
    });
    script.registerAction("select-window", [runner](const nlohmann::json& argument) -> Prepared {
        if (!argument.is_number_unsigned())
            return std::string("expected a window number");
        std::string identifier = "window-card:" + std::to_string(argument.get<std::uint64_t>());
        return Block([runner, identifier] { reached(*runner, clickIdentified(identifier), identifier); });
    });
}

} // namespace pellamor
