#include "windows/WindowDescription.h"

#include "platform/WindowList.h"
#include "windows/DesktopWindow.h"
#include "windows/WindowOwnerIdentification.h"

#include <cstdint>
#include <limits>

namespace pellamor {

namespace {

std::optional<std::string> text(const PlistDictionary& dictionary, const char* key)
{
    const PlistValue* value = descriptionValue(dictionary, key);
    const std::string* string = value ? value->asString() : nullptr;
    return string ? std::optional<std::string>(*string) : std::nullopt;
}

} // namespace

const PlistValue* descriptionValue(const PlistDictionary& description, const char* key)
{
    auto found = description.find(key);
    return found == description.end() ? nullptr : &found->second;
}

bool isOrdinaryLayer(const PlistValue* layer)
{
    if (!layer || layer->asBool())
        return false;
    auto value = numberValue(*layer);
    return value && *value == 0;
}

std::optional<WindowDescription> WindowDescription::parse(const PlistDictionary& description)
{
    if (!isOrdinaryLayer(descriptionValue(description, windowKey::layer)))
        return std::nullopt;
    auto number = WindowOwnerIdentification::positiveInteger(descriptionValue(description, windowKey::number));
    auto pid = WindowOwnerIdentification::positiveInteger(descriptionValue(description, windowKey::ownerPID));
    if (!number || *number > std::numeric_limits<std::uint32_t>::max() || !pid
        || *pid > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    const PlistValue* boundsValue = descriptionValue(description, windowKey::bounds);
    std::optional<QRectF> bounds = boundsValue ? rectFromDictionary(*boundsValue) : std::nullopt;
    // Bounds that are not finite would break every later conversion, so such a window is not listed.
    if (!bounds || !isFiniteRect(*bounds) || bounds->width() < minimumWindowWidth
        || bounds->height() < minimumWindowHeight)
        return std::nullopt;
    WindowDescription parsed;
    parsed.number = static_cast<std::uint32_t>(*number);
    parsed.ownerPID = static_cast<std::int32_t>(*pid);
    parsed.bounds = *bounds;
    parsed.name = text(description, windowKey::name);
    parsed.ownerName = text(description, windowKey::ownerName);
    const PlistValue* onScreen = descriptionValue(description, windowKey::isOnscreen);
    parsed.onScreen = onScreen && onScreen->asBool() && *onScreen->asBool();
    return parsed;
}

} // namespace pellamor
