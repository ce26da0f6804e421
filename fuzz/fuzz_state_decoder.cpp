// The assistant's state file decoder: any bytes either decode or throw one of its two errors, and decoding in
// small pieces gives the same answer as decoding whole.
#include "assistant/Models.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <simdjson.h>
#include <typeinfo>

namespace {

struct Outcome {
    std::optional<pellamor::CodexSnapshot> snapshot;
    const std::type_info* error = nullptr;
};

Outcome decode(const std::string& bytes, std::size_t pieceBytes)
{
    Outcome outcome;
    try {
        outcome.snapshot = pellamor::CodexSnapshot::decode(bytes, pieceBytes);
        if (outcome.snapshot->selectionToken && !outcome.snapshot->selectedID)
            std::abort();
        for (const pellamor::Project& project : *outcome.snapshot->projects)
            (void)project.name.size();
    } catch (const pellamor::JSONParseError& error) {
        outcome.error = &typeid(error);
    } catch (const pellamor::ReaderError& error) {
        outcome.error = &typeid(error);
    }
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const Outcome whole = decode(bytes, std::size_t { 1 } << 20);
    // Numbers beyond 64 bits make the text be written again, which merges repeated members: left out.
    simdjson::dom::parser parser;
    if (parser.parse(simdjson::padded_string(bytes)).error() == simdjson::NUMBER_ERROR)
        return 0;
    const Outcome pieces = decode(bytes, 2);
    if (whole.snapshot != pieces.snapshot || whole.error != pieces.error)
        std::abort();
    return 0;
}
