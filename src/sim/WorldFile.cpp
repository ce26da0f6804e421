#include "sim/WorldFile.h"

#include "sim/AssistantWorld.h"
#include "sim/JsonReader.h"

#include "platform/FileContents.h"
#include "platform/UUID.h"

#include <QString>
#include <set>
#include <sstream>

namespace pellamor::sim {

namespace {

using nlohmann::json;

// Deeper than any world needs; reading deeper nesting would only risk the stack.
constexpr int maximumDepth = 32;
// Far beyond any world; a larger file (or a device such as /dev/zero) is refused before it is read.
constexpr std::uintmax_t maximumWorldBytes = 16u << 20;

// Display and desktop identifiers are UUID texts, as the window server gives them.
void requireUUID(JsonReader& reader, const std::string& text, const std::string& path)
{
    if (!text.empty() && !UUID::parse(text))
        reader.fail(path, "expected a UUID such as 37D8832A-2D66-02CA-B9F7-8F30A301B230");
}

Space readSpace(JsonReader& reader, const json& value, const std::string& path)
{
    Space space;
    if (!reader.object(value, path))
        return space;
    std::string prefix = path + ".";
    reader.onlyMembers(value, prefix, {"id", "uuid", "type"});
    if (const json* id = reader.member(value, prefix, "id", true)) {
        space.id = reader.unsignedNumber(*id, prefix + "id");
        if (space.id == 0)
            reader.fail(prefix + "id", "must not be 0");
    }
    if (const json* uuid = reader.member(value, prefix, "uuid", false)) {
        space.uuid = reader.string(*uuid, prefix + "uuid", false);
        requireUUID(reader, *space.uuid, prefix + "uuid");
    }
    reader.optional(value, prefix, "type", space.type, &JsonReader::whole);
    if (space.type != desktopSpaceType && space.type != fullScreenSpaceType)
        reader.fail(prefix + "type", "expected 0 (a desktop) or 4 (full screen)");
    return space;
}

Display readDisplay(JsonReader& reader, const json& value, const std::string& path)
{
    Display display;
    if (!reader.object(value, path))
        return display;
    std::string prefix = path + ".";
    reader.onlyMembers(value, prefix, {"id", "number", "name", "main", "frame", "visibleFrame", "spaces", "current"});
    if (const json* id = reader.member(value, prefix, "id", true)) {
        display.id = reader.string(*id, prefix + "id");
        requireUUID(reader, display.id, prefix + "id");
    }
    if (const json* number = reader.member(value, prefix, "number", true))
        display.number = static_cast<std::uint32_t>(reader.unsignedNumber(*number, prefix + "number", UINT32_MAX));
    if (const json* name = reader.member(value, prefix, "name", true))
        display.name = reader.string(*name, prefix + "name");
    reader.optional(value, prefix, "main", display.main, &JsonReader::flag);
    if (const json* frame = reader.member(value, prefix, "frame", true))
        display.frame = reader.rect(*frame, prefix + "frame");
    display.visibleFrame = display.frame;
    if (const json* visible = reader.member(value, prefix, "visibleFrame", false))
        display.visibleFrame = reader.rect(*visible, prefix + "visibleFrame");
    if (const json* spaces = reader.member(value, prefix, "spaces", true))
        reader.list<Space>(*spaces, prefix + "spaces", display.spaces,
                           [&](const json& item, const std::string& at) { return readSpace(reader, item, at); });
    if (display.spaces.empty())
        reader.fail(prefix + "spaces", "a display needs at least one space");
    else
        display.current = display.spaces.front().id;
    if (const json* current = reader.member(value, prefix, "current", false)) {
        display.current = reader.unsignedNumber(*current, prefix + "current");
        bool known = false;
        for (const Space& space : display.spaces)
            known = known || space.id == display.current;
        if (!known)
            reader.fail(prefix + "current", "not one of the display's spaces");
    }
    return display;
}

std::map<std::uint32_t, Hotkey> readHotkeys(JsonReader& reader, const json& value, const std::string& path)
{
    std::map<std::uint32_t, Hotkey> hotkeys;
    if (!reader.object(value, path))
        return hotkeys;
    for (auto& [key, entry] : value.items()) {
        std::string at = path + "." + key;
        std::uint32_t id = 0;
        std::istringstream parse(key);
        if (!(parse >> id) || !parse.eof() || std::to_string(id) != key) {
            reader.fail(at, "hot key ids are whole numbers");
            continue;
        }
        if (!reader.object(entry, at))
            continue;
        std::string prefix = at + ".";
        reader.onlyMembers(entry, prefix, {"code", "flags", "enabled"});
        Hotkey hotkey;
        if (const json* code = reader.member(entry, prefix, "code", true))
            hotkey.code = static_cast<std::uint16_t>(reader.unsignedNumber(*code, prefix + "code", UINT16_MAX));
        if (const json* flags = reader.member(entry, prefix, "flags", true))
            hotkey.flags = reader.unsignedNumber(*flags, prefix + "flags");
        reader.optional(entry, prefix, "enabled", hotkey.enabled, &JsonReader::flag);
        hotkeys[id] = hotkey;
    }
    return hotkeys;
}

Permissions readPermissions(JsonReader& reader, const json& value, const std::string& path)
{
    Permissions permissions;
    if (!reader.object(value, path))
        return permissions;
    std::string prefix = path + ".";
    reader.onlyMembers(value, prefix, {"accessibility", "postEvents", "screenCapture"});
    reader.optional(value, prefix, "accessibility", permissions.accessibility, &JsonReader::flag);
    reader.optional(value, prefix, "postEvents", permissions.postEvents, &JsonReader::flag);
    reader.optional(value, prefix, "screenCapture", permissions.screenCapture, &JsonReader::flag);
    return permissions;
}

Application readApplication(JsonReader& reader, const json& value, const std::string& path)
{
    Application application;
    if (!reader.object(value, path))
        return application;
    std::string prefix = path + ".";
    reader.onlyMembers(value, prefix,
                       {"pid", "bundleID", "name", "policy", "launched", "bundlePath", "terminated",
                        "enhancedUserInterface"});
    if (const json* pid = reader.member(value, prefix, "pid", true))
        application.pid = static_cast<int>(reader.unsignedNumber(*pid, prefix + "pid", INT32_MAX));
    if (const json* bundle = reader.member(value, prefix, "bundleID", true))
        application.bundleID = reader.string(*bundle, prefix + "bundleID");
    if (const json* name = reader.member(value, prefix, "name", true))
        application.name = reader.string(*name, prefix + "name");
    if (const json* policy = reader.member(value, prefix, "policy", false)) {
        std::string text = reader.string(*policy, prefix + "policy");
        if (text == "accessory")
            application.policy = ActivationPolicy::accessory;
        else if (text == "prohibited")
            application.policy = ActivationPolicy::prohibited;
        else if (text != "regular")
            reader.fail(prefix + "policy", "expected \"regular\", \"accessory\" or \"prohibited\"");
    }
    reader.optional(value, prefix, "launched", application.launched, &JsonReader::real);
    application.bundlePath = "/Applications/" + application.name + ".app";
    reader.optional(value, prefix, "bundlePath", application.bundlePath, &JsonReader::text);
    reader.optional(value, prefix, "terminated", application.terminated, &JsonReader::flag);
    reader.optional(value, prefix, "enhancedUserInterface", application.enhancedUserInterface, &JsonReader::flag);
    return application;
}

Window readWindow(JsonReader& reader, const json& value, const std::string& path)
{
    Window window;
    if (!reader.object(value, path))
        return window;
    std::string prefix = path + ".";
    reader.onlyMembers(value, prefix,
                       {"number", "pid", "title", "frame", "spaces", "layer", "alpha", "minimized", "fullScreen",
                        "canJoinAllSpaces", "document", "subrole", "movable", "resizable", "maximumSize"});
    if (const json* number = reader.member(value, prefix, "number", true))
        window.number = static_cast<std::uint32_t>(reader.unsignedNumber(*number, prefix + "number", UINT32_MAX));
    if (const json* pid = reader.member(value, prefix, "pid", true))
        window.pid = static_cast<int>(reader.unsignedNumber(*pid, prefix + "pid", INT32_MAX));
    if (const json* title = reader.member(value, prefix, "title", false))
        window.title = reader.string(*title, prefix + "title", false);
    if (const json* frame = reader.member(value, prefix, "frame", true))
        window.frame = reader.rect(*frame, prefix + "frame");
    if (const json* spaces = reader.member(value, prefix, "spaces", true))
        reader.list<std::uint64_t>(*spaces, prefix + "spaces", window.spaces,
                                   [&](const json& item, const std::string& at) {
                                       return reader.unsignedNumber(item, at);
                                   });
    reader.optional(value, prefix, "layer", window.layer, &JsonReader::whole);
    reader.optional(value, prefix, "alpha", window.alpha, &JsonReader::real);
    if (window.alpha < 0 || window.alpha > 1)
        reader.fail(prefix + "alpha", "expected a number from 0 to 1");
    reader.optional(value, prefix, "minimized", window.minimized, &JsonReader::flag);
    reader.optional(value, prefix, "fullScreen", window.fullScreen, &JsonReader::flag);
    reader.optional(value, prefix, "canJoinAllSpaces", window.canJoinAllSpaces, &JsonReader::flag);
    reader.optional(value, prefix, "subrole", window.subrole, &JsonReader::text);
    reader.optional(value, prefix, "movable", window.movable, &JsonReader::flag);
    reader.optional(value, prefix, "resizable", window.resizable, &JsonReader::flag);
    if (const json* maximum = reader.member(value, prefix, "maximumSize", false))
        window.maximumSize = reader.size(*maximum, prefix + "maximumSize");
    if (const json* document = reader.member(value, prefix, "document", false))
        window.document = reader.string(*document, prefix + "document");
    return window;
}

template <class Choice>
Choice choose(JsonReader& reader, const json& value, const std::string& path,
              std::initializer_list<std::pair<const char*, Choice>> choices)
{
    std::string text = reader.string(value, path);
    std::string listed;
    for (auto& [name, choice] : choices) {
        if (text == name)
            return choice;
        listed += (listed.empty() ? "\"" : ", \"") + std::string(name) + "\"";
    }
    reader.fail(path, "expected one of " + listed);
    return choices.begin()->second;
}

MissionControlFaults readMissionControlFaults(JsonReader& reader, const json& value, const std::string& path)
{
    MissionControlFaults faults;
    if (!reader.object(value, path))
        return faults;
    std::string prefix = path + ".";
    reader.onlyMembers(value, prefix,
                       {"buttonDelay", "changeDelay", "button", "thumbnails", "unrelatedChange", "press", "change",
                        "openedByUser"});
    reader.optional(value, prefix, "buttonDelay", faults.buttonDelay, &JsonReader::seconds);
    reader.optional(value, prefix, "changeDelay", faults.changeDelay, &JsonReader::seconds);
    if (const json* button = reader.member(value, prefix, "button", false))
        faults.buttonNeverUsable =
            choose<bool>(reader, *button, prefix + "button", {{"usable", false}, {"never", true}});
    if (const json* thumbnails = reader.member(value, prefix, "thumbnails", false)) {
        std::string row = choose<std::string>(reader, *thumbnails, prefix + "thumbnails",
                                              {{"matching", "matching"}, {"extra", "extra"}, {"reversed", "reversed"}});
        faults.extraThumbnail = row == "extra";
        faults.reversedThumbnails = row == "reversed";
    }
    reader.optional(value, prefix, "unrelatedChange", faults.unrelatedChange, &JsonReader::flag);
    if (const json* press = reader.member(value, prefix, "press", false))
        faults.pressRefused = choose<bool>(reader, *press, prefix + "press", {{"accepted", false}, {"refused", true}});
    if (const json* change = reader.member(value, prefix, "change", false))
        faults.changeNeverShows = choose<bool>(reader, *change, prefix + "change", {{"shows", false}, {"never", true}});
    reader.optional(value, prefix, "openedByUser", faults.openedByUser, &JsonReader::flag);
    return faults;
}

AccessibilityFaults readAccessibilityFaults(JsonReader& reader, const json& value, const std::string& path)
{
    AccessibilityFaults faults;
    if (!reader.object(value, path))
        return faults;
    std::string prefix = path + ".";
    reader.onlyMembers(value, prefix, {"frameWriteTarget", "framesAfterWrite", "enhancedUserInterfaceRestore"});
    if (const json* target = reader.member(value, prefix, "frameWriteTarget", false))
        faults.frameWriteTarget = choose<FrameWriteTarget>(reader, *target, prefix + "frameWriteTarget",
                                                           {{"both", FrameWriteTarget::both},
                                                            {"position", FrameWriteTarget::position},
                                                            {"size", FrameWriteTarget::size}});
    if (const json* frames = reader.member(value, prefix, "framesAfterWrite", false))
        faults.framesUnreadableAfterWrite = choose<bool>(
            reader, *frames, prefix + "framesAfterWrite", {{"readable", false}, {"unreadable", true}});
    if (const json* restore = reader.member(value, prefix, "enhancedUserInterfaceRestore", false))
        faults.enhancedUserInterfaceStaysOff = choose<bool>(
            reader, *restore, prefix + "enhancedUserInterfaceRestore", {{"applied", false}, {"ignored", true}});
    return faults;
}

WindowFaults readWindowFaults(JsonReader& reader, const json& value, const std::string& path)
{
    WindowFaults faults;
    if (!reader.object(value, path))
        return faults;
    std::string prefix = path + ".";
    reader.onlyMembers(value, prefix, {"enumerationFails", "hidden", "move", "moveDelay", "duringMove"});
    if (const json* pids = reader.member(value, prefix, "enumerationFails", false)) {
        std::vector<int> list;
        reader.list<int>(*pids, prefix + "enumerationFails", list, [&](const json& item, const std::string& at) {
            return static_cast<int>(reader.unsignedNumber(item, at, INT32_MAX));
        });
        faults.enumerationFails.insert(list.begin(), list.end());
    }
    if (const json* hidden = reader.member(value, prefix, "hidden", false)) {
        std::vector<std::uint32_t> list;
        reader.list<std::uint32_t>(*hidden, prefix + "hidden", list, [&](const json& item, const std::string& at) {
            return static_cast<std::uint32_t>(reader.unsignedNumber(item, at, UINT32_MAX));
        });
        faults.hidden.insert(list.begin(), list.end());
    }
    if (const json* move = reader.member(value, prefix, "move", false))
        faults.moves = choose<WindowMoves>(reader, *move, prefix + "move",
                                           {{"applied", WindowMoves::applied},
                                            {"refused", WindowMoves::refused},
                                            {"raises", WindowMoves::raises},
                                            {"late", WindowMoves::late},
                                            {"never", WindowMoves::never}});
    reader.optional(value, prefix, "moveDelay", faults.moveDelay, &JsonReader::seconds);
    if (const json* meanwhile = reader.member(value, prefix, "duringMove", false))
        faults.meanwhile = choose<WindowMoveMeanwhile>(reader, *meanwhile, prefix + "duringMove",
                                                       {{"nothing", WindowMoveMeanwhile::none},
                                                        {"disappears", WindowMoveMeanwhile::disappears},
                                                        {"changesOwner", WindowMoveMeanwhile::changesOwner},
                                                        {"changesSpaces", WindowMoveMeanwhile::changesSpaces}});
    return faults;
}

CaptureFaults readCaptureFaults(JsonReader& reader, const json& value, const std::string& path)
{
    CaptureFaults faults;
    if (!reader.object(value, path))
        return faults;
    std::string prefix = path + ".";
    reader.onlyMembers(value, prefix, {"listing", "capture", "unlisted", "delay"});
    std::initializer_list<std::pair<const char*, bool>> outcomes = {{"works", false}, {"fails", true}};
    if (const json* listing = reader.member(value, prefix, "listing", false))
        faults.listingFails = choose(reader, *listing, prefix + "listing", outcomes);
    if (const json* capture = reader.member(value, prefix, "capture", false))
        faults.captureFails = choose(reader, *capture, prefix + "capture", outcomes);
    if (const json* unlisted = reader.member(value, prefix, "unlisted", false)) {
        std::vector<std::uint32_t> list;
        reader.list<std::uint32_t>(*unlisted, prefix + "unlisted", list, [&](const json& item, const std::string& at) {
            return static_cast<std::uint32_t>(reader.unsignedNumber(item, at, UINT32_MAX));
        });
        faults.unlisted.insert(list.begin(), list.end());
    }
    reader.optional(value, prefix, "delay", faults.delay, &JsonReader::seconds);
    return faults;
}

Faults readFaults(JsonReader& reader, const json& value, const std::string& path)
{
    Faults faults;
    if (!reader.object(value, path))
        return faults;
    std::string prefix = path + ".";
    reader.onlyMembers(value, prefix,
                       {"switchDelay", "switch", "enableHotkey", "disableHotkey", "eventCreation", "missingSymbols",
                        "spaces", "desktopsChangeOnHotkeyEnable", "frameWrites", "frameWriteDelay",
                        "missionControl", "accessibility", "windows", "capture"});
    reader.optional(value, prefix, "switchDelay", faults.switchDelay, &JsonReader::seconds);
    if (const json* delivery = reader.member(value, prefix, "switch", false))
        faults.switchDelivery = choose<SwitchDelivery>(reader, *delivery, prefix + "switch",
                                                       {{"normal", SwitchDelivery::normal},
                                                        {"never", SwitchDelivery::never}});
    std::initializer_list<std::pair<const char*, HotkeyChange>> changes = {
        {"applied", HotkeyChange::applied}, {"fails", HotkeyChange::fails}, {"ignored", HotkeyChange::ignored}};
    if (const json* enable = reader.member(value, prefix, "enableHotkey", false))
        faults.enableHotkey = choose(reader, *enable, prefix + "enableHotkey", changes);
    if (const json* disable = reader.member(value, prefix, "disableHotkey", false))
        faults.disableHotkey = choose(reader, *disable, prefix + "disableHotkey", changes);
    if (const json* creation = reader.member(value, prefix, "eventCreation", false))
        faults.eventCreationFails =
            choose<bool>(reader, *creation, prefix + "eventCreation", {{"works", false}, {"fails", true}});
    if (const json* missing = reader.member(value, prefix, "missingSymbols", false)) {
        std::vector<std::string> names;
        reader.list<std::string>(*missing, prefix + "missingSymbols", names,
                                 [&](const json& item, const std::string& at) { return reader.string(item, at); });
        faults.missingSymbols.insert(names.begin(), names.end());
    }
    if (const json* spaces = reader.member(value, prefix, "spaces", false))
        faults.spaces = choose<SpacesShape>(reader, *spaces, prefix + "spaces",
                                            {{"wellFormed", SpacesShape::wellFormed},
                                             {"null", SpacesShape::null},
                                             {"notArray", SpacesShape::notArray},
                                             {"badElement", SpacesShape::badElement},
                                             {"noDisplayIdentifier", SpacesShape::noDisplayIdentifier}});
    reader.optional(value, prefix, "desktopsChangeOnHotkeyEnable", faults.desktopsChangeOnHotkeyEnable,
                    &JsonReader::flag);
    if (const json* writes = reader.member(value, prefix, "frameWrites", false))
        faults.frameWrites = choose<FrameWrites>(reader, *writes, prefix + "frameWrites",
                                                 {{"applied", FrameWrites::applied},
                                                  {"clamped", FrameWrites::clamped},
                                                  {"late", FrameWrites::late},
                                                  {"refused", FrameWrites::refused},
                                                  {"ignored", FrameWrites::ignored}});
    reader.optional(value, prefix, "frameWriteDelay", faults.frameWriteDelay, &JsonReader::seconds);
    if (const json* missionControl = reader.member(value, prefix, "missionControl", false))
        faults.missionControl = readMissionControlFaults(reader, *missionControl, prefix + "missionControl");
    if (const json* accessibility = reader.member(value, prefix, "accessibility", false))
        faults.accessibility = readAccessibilityFaults(reader, *accessibility, prefix + "accessibility");
    if (const json* windows = reader.member(value, prefix, "windows", false))
        faults.windows = readWindowFaults(reader, *windows, prefix + "windows");
    if (const json* capture = reader.member(value, prefix, "capture", false))
        faults.capture = readCaptureFaults(reader, *capture, prefix + "capture");
    return faults;
}

ScriptStep readStep(JsonReader& reader, const json& value, const std::string& path)
{
    ScriptStep step;
    if (!reader.object(value, path))
        return step;
    std::string prefix = path + ".";
    if (const json* at = reader.member(value, prefix, "at", true))
        step.at = reader.seconds(*at, prefix + "at");
    for (auto& [key, argument] : value.items()) {
        if (key == "at")
            continue;
        if (!step.action.empty()) {
            reader.fail(prefix + key, "a step holds one action only");
            break;
        }
        step.action = key;
        step.argument = argument;
    }
    if (step.action.empty())
        reader.fail(path, "a step needs an action");
    return step;
}

// Every window belongs to an application of the world and lies on spaces that exist.
void checkWindows(JsonReader& reader, const World& world)
{
    std::set<std::uint64_t> spaces;
    for (const Display& display : world.displays)
        for (const Space& space : display.spaces)
            spaces.insert(space.id);
    std::set<int> pids;
    for (const Application& application : world.applications)
        pids.insert(application.pid);
    std::set<std::uint32_t> windows;
    for (std::size_t index = 0; index < world.windows.size(); ++index) {
        const Window& window = world.windows[index];
        std::string at = "windows[" + std::to_string(index) + "]";
        if (!windows.insert(window.number).second)
            reader.fail(at + ".number", "used by two windows");
        if (!pids.count(window.pid))
            reader.fail(at + ".pid", "no application has that pid");
        for (std::size_t position = 0; position < window.spaces.size(); ++position)
            if (!spaces.count(window.spaces[position]))
                reader.fail(at + ".spaces[" + std::to_string(position) + "]", "no display has that space");
    }
}

void checkConsistency(JsonReader& reader, const World& world)
{
    std::set<std::uint64_t> spaces;
    std::set<std::string> displays;
    std::set<std::uint32_t> numbers;
    int mains = 0;
    for (std::size_t index = 0; index < world.displays.size(); ++index) {
        const Display& display = world.displays[index];
        std::string at = "displays[" + std::to_string(index) + "]";
        // The window server's display ids are compared ignoring case.
        if (!displays.insert(QString::fromStdString(display.id).toUpper().toStdString()).second)
            reader.fail(at + ".id", "used by two displays");
        if (!numbers.insert(display.number).second)
            reader.fail(at + ".number", "used by two displays");
        mains += display.main ? 1 : 0;
        for (const Space& space : display.spaces)
            if (!spaces.insert(space.id).second)
                reader.fail(at + ".spaces", "space " + std::to_string(space.id) + " appears twice");
    }
    if (mains > 1)
        reader.fail("displays", "more than one main display");
    std::set<int> pids;
    for (std::size_t index = 0; index < world.applications.size(); ++index)
        if (!pids.insert(world.applications[index].pid).second)
            reader.fail("applications[" + std::to_string(index) + "].pid", "used by two applications");
    checkWindows(reader, world);
    if (world.frontmost.empty())
        return;
    for (const Application& application : world.applications)
        if (application.bundleID == world.frontmost)
            return;
    reader.fail("frontmost", "no application has that bundle identifier");
}

// JSON as a property list: integers stay integers; null has no property-list form.
std::optional<PlistValue> plistValue(const json& value)
{
    if (value.is_boolean())
        return PlistValue(value.get<bool>());
    if (value.is_number_unsigned() && value.get<std::uint64_t>() > std::uint64_t(INT64_MAX))
        return PlistValue(value.get<std::uint64_t>());
    if (value.is_number_integer())
        return PlistValue(value.get<std::int64_t>());
    if (value.is_number_float())
        return PlistValue(value.get<double>());
    if (value.is_string())
        return PlistValue(value.get<std::string>());
    if (value.is_array()) {
        PlistArray items;
        for (const json& item : value) {
            std::optional<PlistValue> converted = plistValue(item);
            if (!converted)
                return std::nullopt;
            items.push_back(*converted);
        }
        return PlistValue(std::move(items));
    }
    if (value.is_object()) {
        PlistDictionary members;
        for (const auto& [key, item] : value.items()) {
            std::optional<PlistValue> converted = plistValue(item);
            if (!converted)
                return std::nullopt;
            members[key] = *converted;
        }
        return PlistValue(std::move(members));
    }
    return std::nullopt;
}

} // namespace

std::map<std::uint32_t, Hotkey> World::defaultHotkeys()
{
    // Virtual key codes of the digits 1…9 on the main row.
    const std::uint16_t digitCodes[9] = {18, 19, 20, 21, 23, 22, 26, 28, 25};
    const std::uint64_t control = 0x40000;
    std::map<std::uint32_t, Hotkey> hotkeys;
    for (std::uint32_t index = 0; index < 9; ++index)
        hotkeys[118 + index] = Hotkey{digitCodes[index], control, true};
    return hotkeys;
}

WorldReading readWorld(const json& document)
{
    JsonReader reader;
    World world;
    if (!document.is_object())
        return std::string("the world must be a JSON object");
    reader.onlyMembers(document, "",
                       {"displays", "separateSpaces", "appearance", "hotkeys", "permissions", "applications", "frontmost",
                        "windows", "idleSeconds", "faults", "script", "assistant", "defaults"});
    if (const json* displays = reader.member(document, "", "displays", true))
        reader.list<Display>(*displays, "displays", world.displays,
                             [&](const json& item, const std::string& at) { return readDisplay(reader, item, at); });
    reader.optional(document, "", "separateSpaces", world.separateSpaces, &JsonReader::flag);
    if (const json* appearance = reader.member(document, "", "appearance", false)) {
        std::string name = reader.text(*appearance, "appearance");
        if (name != "light" && name != "dark")
            reader.fail("appearance", "expected \"light\" or \"dark\"");
        world.darkAppearance = name == "dark";
    }
    if (const json* hotkeys = reader.member(document, "", "hotkeys", false))
        world.hotkeys = readHotkeys(reader, *hotkeys, "hotkeys");
    if (const json* permissions = reader.member(document, "", "permissions", false))
        world.permissions = readPermissions(reader, *permissions, "permissions");
    if (const json* applications = reader.member(document, "", "applications", false))
        reader.list<Application>(*applications, "applications", world.applications,
                                 [&](const json& item, const std::string& at) {
                                     return readApplication(reader, item, at);
                                 });
    reader.optional(document, "", "frontmost", world.frontmost, &JsonReader::text);
    if (const json* windows = reader.member(document, "", "windows", false))
        reader.list<Window>(*windows, "windows", world.windows,
                            [&](const json& item, const std::string& at) { return readWindow(reader, item, at); });
    if (const json* idle = reader.member(document, "", "idleSeconds", false))
        world.input.lastInputAt = -reader.seconds(*idle, "idleSeconds");
    if (const json* faults = reader.member(document, "", "faults", false))
        world.faults = readFaults(reader, *faults, "faults");
    if (const json* script = reader.member(document, "", "script", false))
        reader.list<ScriptStep>(*script, "script", world.script,
                                [&](const json& item, const std::string& at) { return readStep(reader, item, at); });
    if (const json* defaults = reader.member(document, "", "defaults", false)) {
        std::optional<PlistValue> values = plistValue(*defaults);
        if (values && values->asDictionary())
            world.defaults = *values->asDictionary();
        else
            reader.fail("defaults", "expected an object of property-list values (no null)");
    }
    if (const json* assistant = reader.member(document, "", "assistant", false)) {
        auto read = readAssistantWorld(*assistant);
        if (auto* fault = std::get_if<std::string>(&read); fault && !reader.fault)
            reader.fault = "assistant" + *fault;
        world.extensions["assistant"] = *assistant;
    }
    if (!reader.fault && world.displays.empty())
        reader.fail("displays", "a world needs at least one display");
    if (!reader.fault)
        checkConsistency(reader, world);
    if (reader.fault)
        return *reader.fault;
    return world;
}

std::variant<Display, std::string> readDisplay(const json& value, const std::string& path)
{
    JsonReader reader;
    Display display = readDisplay(reader, value, path);
    if (reader.fault)
        return *reader.fault;
    return display;
}

WorldReading readWorldText(const std::string& text)
{
    // The parser keeps its own stack; nesting too deep for the readers' recursion is refused while parsing,
    // naming the top-level member that holds it.
    std::string member = "the world";
    std::optional<std::string> tooDeep;
    json::parser_callback_t limitDepth = [&](int depth, json::parse_event_t event, json& parsed) {
        if (event == json::parse_event_t::key && depth == 1)
            member = parsed.get<std::string>();
        if ((event == json::parse_event_t::object_start || event == json::parse_event_t::array_start)
            && depth >= maximumDepth && !tooDeep)
            tooDeep = member + ": nested deeper than " + std::to_string(maximumDepth) + " levels";
        return !tooDeep;
    };
    json document = json::parse(text, limitDepth, false);
    if (tooDeep)
        return *tooDeep;
    if (document.is_discarded())
        return std::string("not valid JSON");
    return readWorld(document);
}

WorldReading readWorldFile(const std::filesystem::path& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return std::string("no such file");
    if (std::filesystem::is_directory(status))
        return std::string("a folder, not a world file");
    if (!std::filesystem::is_regular_file(status))
        return std::string("not a regular file");
    if (std::filesystem::file_size(path, error) > maximumWorldBytes)
        return "larger than " + std::to_string(maximumWorldBytes >> 20) + " MiB";
    FileRead file = readFileContents(path, maximumWorldBytes);
    if (file.status != FileRead::Status::read)
        return std::string("cannot be read");
    return readWorldText(file.contents);
}

} // namespace pellamor::sim
