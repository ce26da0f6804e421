#include "desktops/DesktopRuntime.h"

#include "platform/Platform.h"

namespace pellamor {

std::shared_ptr<DesktopRuntime> DesktopRuntime::make()
{
    auto runtime = std::make_shared<DesktopRuntime>();
    // The framework stays open for the life of the process, as nothing ever closes it.
    runtime->library = platform().frameworks().open(skylight::frameworkPath);
    if (!runtime->library)
        return nullptr;
    const Framework& library = *runtime->library;
    runtime->readKey = library.function<skylight::GetSymbolicHotKeyValue>("CGSGetSymbolicHotKeyValue");
    runtime->isEnabled = library.function<skylight::IsSymbolicHotKeyEnabled>("CGSIsSymbolicHotKeyEnabled");
    runtime->setEnabled = library.function<skylight::SetSymbolicHotKeyEnabled>("CGSSetSymbolicHotKeyEnabled");
    runtime->connection = library.function<skylight::MainConnectionID>("SLSMainConnectionID");
    runtime->readSpaces = library.function<skylight::CopyManagedDisplaySpaces>("SLSCopyManagedDisplaySpaces");
    if (!runtime->readKey || !runtime->isEnabled || !runtime->setEnabled || !runtime->connection
        || !runtime->readSpaces)
        return nullptr;
    return runtime;
}

std::optional<PlistValue> DesktopRuntime::displayArray() const
{
    std::optional<PlistValue> spaces = readSpaces(connection());
    if (!spaces || !spaces->asArray())
        return std::nullopt;
    for (const PlistValue& element : *spaces->asArray())
        if (!element.asDictionary())
            return std::nullopt;
    return spaces;
}

std::optional<std::vector<PlistDictionary>> DesktopRuntime::displays() const
{
    auto spaces = displayArray();
    if (!spaces)
        return std::nullopt;
    std::vector<PlistDictionary> displays;
    displays.reserve(spaces->asArray()->size());
    for (const PlistValue& element : *spaces->asArray())
        displays.push_back(*element.asDictionary());
    return displays;
}

std::optional<NativeDesktopState> DesktopRuntime::target(int number) const
{
    auto current = displays();
    if (!current)
        return std::nullopt;
    return NativeDesktopState::resolve(number, *current);
}

std::optional<std::uint64_t> DesktopRuntime::currentSpace(const std::string& display) const
{
    // Walked in place: the switching session asks this every 10 ms while it waits.
    auto spaces = displayArray();
    if (!spaces)
        return std::nullopt;
    for (const PlistValue& entry : *spaces->asArray()) {
        const PlistValue* identifier = entry.find("Display Identifier");
        if (!identifier || !identifier->asString() || *identifier->asString() != display)
            continue;
        const PlistValue* current = entry.find("Current Space");
        const PlistValue* id = current && current->asDictionary() ? current->find("ManagedSpaceID") : nullptr;
        return id ? wholeNumber(*id) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<NativeShortcut> DesktopRuntime::shortcut(std::uint32_t hotkey) const
{
    std::uint64_t code = 0;
    std::uint64_t flags = 0;
    if (readKey(hotkey, nullptr, &code, &flags) != 0)
        return std::nullopt;
    return NativeShortcut::make(code, flags);
}

} // namespace pellamor
