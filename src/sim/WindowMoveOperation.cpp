#include "sim/WindowMoveOperation.h"

#include "sim/ClassRegistry.h"
#include "sim/JsonReader.h"
#include "sim/ScriptRunner.h"
#include "sim/SimulatedMac.h"

namespace pellamor::sim {

using nlohmann::json;

namespace {

const char* const operationClass = "SLSBridgedMoveWindowsToManagedSpaceOperation";

} // namespace

WindowMoveOperation::WindowMoveOperation(SimulatedMac& mac)
    : mac_(mac)
{
    registerClass();
    registerActions();
}

void WindowMoveOperation::registerClass()
{
    auto operation = std::make_shared<RuntimeClass>(operationClass);
    operation->addMethod("initWithWindows:spaceID:",
        RuntimeMethod { "@", { "@", ":", "@", "Q" },
            [this](RuntimeObject& self, const std::vector<RuntimeValue>& arguments) -> RuntimeValue {
                WindowMoves moves = mac_.world().faults.windows.moves;
                if (moves == WindowMoves::raises)
                    throw RuntimeException("the window server refused the operation");
                if (moves == WindowMoves::refused || arguments.size() != 2)
                    return std::monostate {};
                self.ivars["windows"] = arguments[0];
                self.ivars["space"] = arguments[1];
                return self.shared_from_this();
            } });
    operation->addMethod("performWithWMBridgeDelegate",
        RuntimeMethod {
            "v", { "@", ":" }, [this](RuntimeObject& self, const std::vector<RuntimeValue>&) -> RuntimeValue {
                const auto* windows = std::get_if<PlistValue>(&self.ivars["windows"]);
                const auto* space = std::get_if<std::uint64_t>(&self.ivars["space"]);
                if (!windows || !windows->asArray() || !space)
                    throw RuntimeException("the operation was not initialised");
                for (const PlistValue& number : *windows->asArray())
                    if (auto value = number.integerValue(); value && *value > 0 && *value <= UINT32_MAX)
                        perform(static_cast<std::uint32_t>(*value), *space);
                return std::monostate {};
            } });
    mac_.classRegistry().add(operation);
}

void WindowMoveOperation::perform(std::uint32_t window, std::uint64_t space)
{
    const WindowFaults& faults = mac_.world().faults.windows;
    Window* target = mac_.window(window);
    if (!target || !mac_.displayHolding(space))
        return;
    switch (faults.meanwhile) {
    case WindowMoveMeanwhile::none:
        break;
    case WindowMoveMeanwhile::disappears:
        mac_.closeWindow(window);
        return;
    case WindowMoveMeanwhile::changesOwner:
        mac_.changeWindowOwner(window);
        return;
    case WindowMoveMeanwhile::changesSpaces: {
        std::vector<std::uint64_t> spaces = target->spaces;
        spaces.push_back(space);
        mac_.setWindowSpaces(window, spaces);
        return;
    }
    }
    if (faults.moves == WindowMoves::never)
        return;
    if (faults.moves == WindowMoves::late) {
        mac_.mainQueue().asyncAfter(
            faults.moveDelay, [this, window, space] { mac_.setWindowSpaces(window, { space }); });
        return;
    }
    mac_.setWindowSpaces(window, { space });
}

void WindowMoveOperation::registerActions()
{
    mac_.script().registerAction(
        "move-window", [this](const json& argument) -> std::variant<ScriptRunner::Block, std::string> {
            if (!argument.is_object() || argument.size() != 2 || !argument.contains("window")
                || !argument.contains("space"))
                return std::string("expected { \"window\", \"space\" }");
            auto window = wholeNumber(argument["window"], UINT32_MAX);
            auto space = wholeNumber(argument["space"]);
            if (!window || !mac_.window(static_cast<std::uint32_t>(*window)))
                return std::string("window: no window has that number");
            if (!space || !mac_.displayHolding(*space))
                return std::string("space: no display has that space");
            return ScriptRunner::Block([this, window = static_cast<std::uint32_t>(*window), space = *space] {
                if (mac_.displayHolding(space))
                    mac_.setWindowSpaces(window, { space });
            });
        });
    mac_.script().registerAction(
        "close-window", [this](const json& argument) -> std::variant<ScriptRunner::Block, std::string> {
            auto window = wholeNumber(argument, UINT32_MAX);
            if (!window || !mac_.window(static_cast<std::uint32_t>(*window)))
                return std::string("no window has that number");
            return ScriptRunner::Block(
                [this, window = static_cast<std::uint32_t>(*window)] { mac_.closeWindow(window); });
        });
}

} // namespace pellamor::sim
