// Decodes arbitrary stored return origins; whatever is accepted encodes back to data that decodes the same.
#include "windows/WindowReturnDestination.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace pellamor;
    auto origins = WindowReturnOrigins::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!origins)
        return 0;
    auto encoded = origins->encodedData();
    if (!encoded)
        std::abort();
    auto again = WindowReturnOrigins::decode(*encoded);
    if (!again || *again != *origins || again->encodedData() != encoded)
        std::abort();
    std::vector<NativeDesktopState> inventory { { 11, 11, "D1", "U11" }, { 21, 21, "D2", "U21" } };
    for (const WindowReturnOrigin& origin : origins->entries()) {
        if (!origins->origin(origin.identity))
            std::abort();
        origins->destination(origin.identity, inventory, "D2", "com.openai.codex", { 21 });
    }
    return 0;
}
