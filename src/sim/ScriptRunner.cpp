#include "sim/ScriptRunner.h"

#include "sim/JsonReader.h"
#include "sim/SimulatedMac.h"
#include "sim/WorldFile.h"

#include <iostream>
#include <tuple>

namespace pellamor::sim {

using nlohmann::json;

ScriptRunner::ScriptRunner(SimulatedMac& mac)
    : mac_(mac)
{
    registerBuiltins();
}

void ScriptRunner::registerAction(const std::string& name, Action action)
{
    actions_[name] = std::move(action);
}

std::optional<std::string> ScriptRunner::start(const std::vector<ScriptStep>& steps)
{
    std::vector<std::tuple<double, std::size_t, Block>> blocks;
    for (std::size_t index = 0; index < steps.size(); ++index) {
        const ScriptStep& step = steps[index];
        std::string at = "script[" + std::to_string(index) + "]." + step.action;
        auto found = actions_.find(step.action);
        if (found == actions_.end())
            return at + ": unknown action";
        auto prepared = found->second(step.argument);
        if (auto message = std::get_if<std::string>(&prepared))
            return at + ": " + *message;
        blocks.emplace_back(step.at, index, std::get<Block>(std::move(prepared)));
    }
    // Scheduled from the loop's first turn: a step already late, on a slow start, still runs after what the
    // launch itself queued (the onboarding sheet, the first reads).
    mac_.mainQueue().async([this, blocks = std::move(blocks)] {
        double elapsed = mac_.uptime() - mac_.launchedAt();
        for (const auto& [time, index, block] : blocks) {
            mac_.mainQueue().asyncAfter(std::max(0.0, time - elapsed), [this, index = index, block = block] {
                runningStep_ = index;
                block();
            });
        }
    });
    return std::nullopt;
}

namespace {

std::optional<std::set<std::uint64_t>> numbers(const json& value, std::uint64_t maximum)
{
    if (!value.is_array())
        return std::nullopt;
    std::set<std::uint64_t> set;
    for (const json& item : value) {
        auto number = wholeNumber(item, maximum);
        if (!number)
            return std::nullopt;
        set.insert(*number);
    }
    return set;
}

// The input event types a person makes, by CoreGraphics number or by name ("keyDown", "mouseMoved", …).
std::optional<EventType> eventType(const json& value)
{
    static const std::map<std::string, EventType> names { { "keyDown", EventType::keyDown },
        { "keyUp", EventType::keyUp }, { "flagsChanged", EventType::flagsChanged },
        { "mouseMoved", EventType::mouseMoved }, { "leftMouseDown", EventType::leftMouseDown },
        { "leftMouseUp", EventType::leftMouseUp }, { "rightMouseDown", EventType::rightMouseDown },
        { "rightMouseUp", EventType::rightMouseUp }, { "otherMouseDown", EventType::otherMouseDown },
        { "otherMouseUp", EventType::otherMouseUp }, { "leftMouseDragged", EventType::leftMouseDragged },
        { "rightMouseDragged", EventType::rightMouseDragged }, { "otherMouseDragged", EventType::otherMouseDragged },
        { "scrollWheel", EventType::scrollWheel }, { "tabletPointer", EventType::tabletPointer },
        { "tabletProximity", EventType::tabletProximity } };
    if (value.is_string()) {
        auto found = names.find(value.get<std::string>());
        return found == names.end() ? std::nullopt : std::optional(found->second);
    }
    auto number = wholeNumber(value);
    for (const auto& [name, type] : names) {
        if (number && *number == static_cast<std::uint64_t>(type))
            return type;
    }
    return std::nullopt;
}

} // namespace

void ScriptRunner::registerBuiltins()
{
    registerAction("activate", [this](const json& argument) -> std::variant<Block, std::string> {
        if (!argument.is_string())
            return std::string("expected a bundle identifier");
        std::string bundleID = argument.get<std::string>();
        if (!mac_.application(bundleID))
            return std::string("no application has that bundle identifier");
        return Block([this, bundleID] { mac_.activate(bundleID); });
    });
    registerAction("hold", [this](const json& argument) -> std::variant<Block, std::string> {
        if (!argument.is_object())
            return std::string("expected { \"flags\", \"buttons\", \"keys\" }");
        std::uint64_t flags = 0;
        std::set<std::uint64_t> buttons, keys;
        for (auto& [key, value] : argument.items()) {
            std::optional<std::set<std::uint64_t>> list;
            std::optional<std::uint64_t> number;
            if (key == "flags" && (number = wholeNumber(value)))
                flags = *number;
            else if (key == "buttons" && (list = numbers(value, UINT32_MAX)))
                buttons = *list;
            else if (key == "keys" && (list = numbers(value, UINT16_MAX)))
                keys = *list;
            else
                return key + ": expected " + (key == "flags" ? "a whole number" : "a list of whole numbers");
        }
        return Block([this, flags, buttons, keys] {
            mac_.hold(flags, std::set<std::uint16_t>(keys.begin(), keys.end()),
                std::set<std::uint32_t>(buttons.begin(), buttons.end()));
        });
    });
    registerAction("release", [this](const json& argument) -> std::variant<Block, std::string> {
        if (argument != json(true))
            return std::string("expected true");
        return Block([this] { mac_.release(); });
    });
    registerAction("input", [this](const json& argument) -> std::variant<Block, std::string> {
        auto type = argument.is_object() && argument.size() == 1 && argument.contains("type")
            ? eventType(argument["type"])
            : std::nullopt;
        if (!type)
            return std::string("expected { \"type\": <event type number or name> }");
        return Block([this, type = *type] { mac_.input(type); });
    });
    registerAction("screenshot", [this](const json& argument) -> std::variant<Block, std::string> {
        if (!argument.is_string() || argument.get<std::string>().empty())
            return std::string("expected a file path");
        std::filesystem::path path = argument.get<std::string>();
        return Block([this, path] {
            if (!onScreenshot || !onScreenshot(path))
                std::cerr << "simulated Mac: the screenshot " << path.string() << " could not be saved\n";
        });
    });
    registerAction("connect-display", [this](const json& argument) -> std::variant<Block, std::string> {
        auto display = readDisplay(argument, "");
        if (auto* message = std::get_if<std::string>(&display)) {
            // The reader's path is empty here: ".frame: …" or ": expected an object".
            std::string_view text = *message;
            text.remove_prefix(text.starts_with(": ") ? 2 : text.starts_with('.') ? 1 : 0);
            return std::string(text);
        }
        return Block([this, display = std::get<Display>(display)] {
            if (auto refusal = mac_.canConnect(display))
                std::cerr << "simulated Mac: connect-display " << display.id << ": " << *refusal << '\n';
            else
                mac_.connectDisplay(display);
        });
    });
    registerAction("disconnect-display", [this](const json& argument) -> std::variant<Block, std::string> {
        if (!argument.is_string() || argument.get<std::string>().empty())
            return std::string("expected a display id");
        std::string id = argument.get<std::string>();
        return Block([this, id] {
            if (!mac_.display(id))
                std::cerr << "simulated Mac: disconnect-display " << id << ": no such display\n";
            else
                mac_.disconnectDisplay(id);
        });
    });
    registerAction("quit", [this](const json& argument) -> std::variant<Block, std::string> {
        if (argument != json(true))
            return std::string("expected true");
        return Block([this] {
            if (onQuit)
                onQuit();
        });
    });
}

} // namespace pellamor::sim
