// The assistant's state file decoder: any bytes either decode or throw one of its two errors.
#include "assistant/Models.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        const pellamor::CodexSnapshot snapshot = pellamor::CodexSnapshot::decode(bytes);
        if (snapshot.selectionToken && !snapshot.selectedID)
            std::abort();
        for (const pellamor::Project& project : *snapshot.projects)
            (void)project.name.size();
    } catch (const pellamor::JSONParseError&) {
    } catch (const pellamor::ReaderError&) {
    }
    return 0;
}
