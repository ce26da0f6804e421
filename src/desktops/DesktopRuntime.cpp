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
    if (!runtime->readKey || !runtime->isEnabled || !runtime->setEnabled || !runtime->connection ||
        !runtime->readSpaces)
        return nullptr;
    return runtime;
}

std::optional<std::vector<PlistDictionary>> DesktopRuntime::displays() const
{
    std::optional<PlistValue> spaces = readSpaces(connection());
    if (!spaces)
        return std::nullopt;
    const PlistArray* array = spaces->asArray();
    if (!array)
        return std::nullopt;
    std::vector<PlistDictionary> displays;
    displays.reserve(array->size());
    for (const PlistValue& element : *array) {
        const PlistDictionary* dictionary = element.asDictionary();
        if (!dictionary)
            return std::nullopt;
        displays.push_back(*dictionary);
    }
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
    auto current = displays();
    if (!current)
        return std::nullopt;
    for (const PlistDictionary& entry : *current) {
        auto identifier = lookupString(entry, "Display Identifier");
        if (!identifier || *identifier != display)
            continue;
        auto found = entry.find("Current Space");
        if (found == entry.end() || !found->second.asDictionary())
            return std::nullopt;
        const PlistValue* id = found->second.find("ManagedSpaceID");
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
