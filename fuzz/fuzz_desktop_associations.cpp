// Feeds the association store decoder with arbitrary bytes; what it accepts must encode and decode the same.
#include "desktops/ProjectDesktopAssociations.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using pellamor::ProjectDesktopAssociations;
    auto store = ProjectDesktopAssociations::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!store)
        return 0;
    auto encoded = store->encodedData();
    if (!encoded)
        std::abort();
    auto again = ProjectDesktopAssociations::decode(*encoded);
    if (!again || *again != *store || again->encodedData() != encoded)
        std::abort();
    for (auto& [projectID, list] : store->targets)
        store->remove(list.front().spaceID, list.front().display, list.front().spaceUUID);
    return 0;
}
