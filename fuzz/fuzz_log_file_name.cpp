// The log-file name matcher: the first four bytes choose the process identifier, the rest is the name.
#include "assistant/CodexLogFileName.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::int32_t pid = 4242;
    if (size >= 4) {
        std::memcpy(&pid, data, 4);
        data += 4;
        size -= 4;
    }
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const auto match = pellamor::matchCodexLogFileName(name, pid);
    if (!match)
        return 0;
    if (match->session.size() != 36 || !name.starts_with("codex-desktop-") || !name.ends_with(".log")
        || match->instance < 0 || match->started < 0 || match->started > 999'999 || match->rotation < 0)
        std::abort();
    return 0;
}
