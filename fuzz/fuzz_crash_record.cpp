// Crash-record reader: any bytes give a record that writes back to the same bytes, or none.
#include "platform/CrashRecord.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<pellamor::CrashRecord> record = pellamor::CrashRecord::parse(text);
    if (!record)
        return 0;
    if (record->frames.size() > pellamor::CrashRecord::maximumFrames
        || record->modules.size() > pellamor::CrashRecord::maximumModules)
        std::abort();
    std::optional<pellamor::CrashRecord> again = pellamor::CrashRecord::parse(record->text());
    if (!again || *again != *record)
        std::abort();
    return 0;
}
