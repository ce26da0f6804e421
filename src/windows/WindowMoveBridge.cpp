#include "windows/WindowMoveBridge.h"

#include "assistant/Localization.h"
#include "platform/Platform.h"
#include "platform/SkyLight.h"

namespace pellamor {

namespace {

const char* const operationClass = "SLSBridgedMoveWindowsToManagedSpaceOperation";
const char* const initialiser = "initWithWindows:spaceID:";
const char* const performer = "performWithWMBridgeDelegate";

// SkyLight, opened once for the life of the machine.
struct MoveBridgeLibrary {
    std::shared_ptr<Framework> library;
};

bool isObjectType(const std::string& encoding)
{
    return !encoding.empty() && encoding.front() == '@';
}

} // namespace

std::shared_ptr<RuntimeClass> PLMMoveOperationClass()
{
    const MoveBridgeLibrary& loaded = platform().shared<MoveBridgeLibrary>([] {
        return std::make_unique<MoveBridgeLibrary>(
            MoveBridgeLibrary { platform().frameworks().open(skylight::frameworkPath) });
    });
    if (!loaded.library)
        return nullptr;
    std::shared_ptr<RuntimeClass> operation = platform().objectRuntime().lookUpClass(operationClass);
    if (!operation)
        return nullptr;
    const RuntimeMethod* initialise = operation->instanceMethod(initialiser);
    const RuntimeMethod* perform = operation->instanceMethod(performer);
    if (!initialise || !perform)
        return nullptr;
    const auto& arguments = initialise->argumentTypes;
    if (arguments.size() != 4 || !isObjectType(initialise->returnType) || !isObjectType(arguments[2])
        || arguments[3] != "Q")
        return nullptr;
    if (perform->argumentTypes.size() != 2 || perform->returnType != "v")
        return nullptr;
    return operation;
}

bool PLMBridgeAvailable()
{
    return PLMMoveOperationClass() != nullptr;
}

int PLMBridgeMoveWindow(std::uint32_t window, std::uint64_t space)
{
    if (window == 0 || space == 0)
        return moveBridgeStatus::invalidArguments;
    std::shared_ptr<RuntimeClass> operation = PLMMoveOperationClass();
    if (!operation)
        return moveBridgeStatus::unavailable;
    try {
        ObjectRef instance = operation->allocate();
        RuntimeValue initialised
            = instance->send(initialiser, { PlistValue(PlistArray { PlistValue(window) }), RuntimeValue(space) });
        const ObjectRef* prepared = std::get_if<ObjectRef>(&initialised);
        if (!prepared || !*prepared)
            return moveBridgeStatus::refused;
        (*prepared)->send(performer);
        return moveBridgeStatus::performed;
    } catch (const RuntimeException&) {
        return moveBridgeStatus::refused;
    }
}

std::optional<BridgeWindowMoveRuntime> BridgeWindowMoveRuntime::make()
{
    if (!PLMBridgeAvailable())
        return std::nullopt;
    return BridgeWindowMoveRuntime();
}

std::optional<std::string> BridgeWindowMoveRuntime::move(std::uint32_t window, std::uint64_t space) const
{
    return message(PLMBridgeMoveWindow(window, space));
}

std::optional<std::string> BridgeWindowMoveRuntime::message(int status)
{
    switch (status) {
    case moveBridgeStatus::performed:
        return std::nullopt;
    case moveBridgeStatus::unavailable:
        return L("Le déplacement sans changer de bureau n’est pas disponible sur cette version de macOS.");
    case moveBridgeStatus::invalidArguments:
        return L("La fenêtre ou le bureau demandé est invalide. Actualise puis réessaie.");
    default:
        return L("macOS a refusé de préparer le déplacement. Ton bureau actuel est conservé.");
    }
}

} // namespace pellamor
