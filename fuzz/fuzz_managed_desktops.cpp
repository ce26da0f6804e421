// Feeds the stored list of created desktops with arbitrary bytes; what decodes must encode and decode alike.
#include "desktops/ProjectManagedDesktops.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto decoded
        = pellamor::ProjectManagedDesktops::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!decoded)
        return 0;
    auto encoded = decoded->encodedData();
    if (!encoded || pellamor::ProjectManagedDesktops::decode(*encoded) != decoded)
        std::abort();
    return 0;
}
