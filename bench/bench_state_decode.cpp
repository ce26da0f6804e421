// Decoding a 10 MB state file of 200 projects and 80,000 conversations, beside simdjson's parse of the same bytes.
#include "assistant/Models.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <simdjson.h>

namespace {

using namespace pellamor;

std::string uuid(unsigned n)
{
    char text[40];
    std::snprintf(text, sizeof text, "%08x-%04x-4%03x-8%03x-%012x", n * 2654435761u, n & 0xFFFF, n % 4096,
        (n * 7) % 4096, n * 40503u);
    return text;
}

// `shuffled`: the membership lists the conversations in another order than the assignments.
std::string makeStateFile(bool shuffled, unsigned conversations = 80'000)
{
    std::string text = "{\"local-projects\":{";
    for (int i = 0; i < 200; ++i) {
        const std::string id = "project-" + std::to_string(i);
        text += (i ? "," : "") + std::string("\"") + id + "\":{\"id\":\"" + id + "\",\"name\":\"Projet "
            + std::to_string(200 - i) + "\",\"rootPaths\":[\"/Users/demo/src/" + id + "\"]}";
    }
    text += "},\"selected-project\":{\"type\":\"local\",\"projectId\":\"project-7\"},";
    std::string hosts = "\"thread-project-membership-host-ids\":{";
    std::string assignments = "\"thread-project-assignments\":{";
    for (unsigned i = 0; i < conversations; ++i) {
        const std::string key = std::string(i ? "," : "") + "\"" + uuid(i) + "\":";
        const unsigned host = shuffled ? (i * 7919) % conversations : i;
        hosts += std::string(i ? "," : "") + "\"" + uuid(host) + "\":" + (host % 10 ? "\"local\"" : "\"cloud\"");
        assignments += key + "{\"projectKind\":\"local\",\"projectId\":\"project-" + std::to_string(i % 200) + "\"}";
    }
    text += hosts + "}," + assignments + "},\"window-bounds\":{\"x\":0,\"y\":0}}";
    return text;
}

// The bytes with the room behind them that the state reader leaves (it reads into a buffer a page longer than
// the file), so that the decoder parses them in place as it does in the application.
std::string withReaderRoom(const std::string& bytes)
{
    std::string held;
    held.reserve(bytes.size() + 4096);
    held.append(bytes);
    return held;
}

const std::string& stateFile(bool shuffled = false)
{
    static const std::string inOrder = withReaderRoom(makeStateFile(false));
    static const std::string reordered = withReaderRoom(makeStateFile(true));
    return shuffled ? reordered : inOrder;
}

void BM_SimdjsonParse(benchmark::State& state)
{
    const simdjson::padded_string padded(stateFile());
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element root;
        if (parser.parse(padded).get(root))
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(root);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stateFile().size()));
}
BENCHMARK(BM_SimdjsonParse)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// One decode of the bytes, handed over as the state reader hands them; the copy is not timed.
CodexSnapshot decodeHandedOver(benchmark::State& state, const std::string& bytes)
{
    state.PauseTiming();
    std::string held = withReaderRoom(bytes);
    state.ResumeTiming();
    return CodexSnapshot::decode(std::move(held));
}

void BM_CodexSnapshotDecode(benchmark::State& state)
{
    const std::string& bytes = stateFile(state.range(0) != 0);
    state.counters["megabytes"] = static_cast<double>(bytes.size()) / 1e6;
    for (auto _ : state) {
        const CodexSnapshot snapshot = decodeHandedOver(state, bytes);
        if (snapshot.projects->size() != 200 || snapshot.localThreadProjects->size() != 72000)
            state.SkipWithError("unexpected snapshot");
        benchmark::DoNotOptimize(snapshot);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
// Argument 0: both maps list the conversations in the same order; 1: the membership in another order.
BENCHMARK(BM_CodexSnapshotDecode)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// State files of about 1, 10, 30 and 100 MB: the time per megabyte stays the same, with the larger ones parsed in
// pieces (the executable's budgets script measures their memory).
void BM_CodexSnapshotDecodeBySize(benchmark::State& state)
{
    const std::string bytes = makeStateFile(false, static_cast<unsigned>(state.range(0) * 1'000'000 / 136));
    state.counters["megabytes"] = static_cast<double>(bytes.size()) / 1e6;
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeHandedOver(state, bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_CodexSnapshotDecodeBySize)
    ->Arg(1)
    ->Arg(10)
    ->Arg(30)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
