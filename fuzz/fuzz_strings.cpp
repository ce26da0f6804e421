// Strings-file reader: any bytes give a dictionary of strings or none.
#include "platform/PropertyList.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto entries = pellamor::parseStringsFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!entries)
        return 0;
    for (const auto& [key, value] : *entries)
        if (!value.asString())
            std::abort();
    return 0;
}
