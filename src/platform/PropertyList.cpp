#include "platform/PropertyList.h"

namespace pellamor {

std::optional<PlistValue> parsePropertyList(std::string_view bytes)
{
    if (bytes.substr(0, 6) == "bplist")
        return parseBinaryPropertyList(bytes);
    std::string_view rest = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? bytes.substr(3) : bytes;
    auto first = rest.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && rest[first] == '<')
        return parseXMLPropertyList(bytes);
    auto entries = parseStringsFile(bytes);
    return entries ? std::optional<PlistValue>(std::move(*entries)) : std::nullopt;
}

} // namespace pellamor
