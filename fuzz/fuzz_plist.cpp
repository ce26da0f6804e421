// Property-list readers: any bytes give a value or none, and what is read can be written and read back.
#include "platform/PropertyList.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto binary = pellamor::parseBinaryPropertyList(bytes);
    auto xml = pellamor::parseXMLPropertyList(bytes);
    auto any = pellamor::parsePropertyList(bytes);
    for (const auto* value : {&binary, &xml, &any}) {
        if (!*value)
            continue;
        auto written = pellamor::writeXMLPropertyList(**value);
        if (written && !pellamor::parseXMLPropertyList(*written))
            std::abort();
    }
    return 0;
}
