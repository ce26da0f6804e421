// The navigation log's line interpreter, fed line by line as the log reader does, and its route parser.
#include "assistant/CodexNavigationLogState.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    pellamor::CodexNavigationLogState state;
    std::uint64_t revision = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        state.consume(line);
        (void)pellamor::CodexNavigationLogState::isPotentialMetadataPrefix(line);
        (void)pellamor::CodexNavigationLogState::localThread(line);
        // Revisions only rise, and a verified revision never passes the revision.
        const auto& observation = state.observation();
        if (observation.revision < revision || observation.verifiedRevision > observation.revision)
            std::abort();
        revision = observation.revision;
        start = end + 1;
    }
    return 0;
}
