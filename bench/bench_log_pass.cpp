// One log pass over four fresh 512 KiB files of one logging session.
#include "assistant/CodexLogFileName.h"
#include "assistant/CodexNavigationReader.h"
#include "sim/CodexLogLines.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace pellamor;

constexpr std::int32_t pid = 501;
constexpr std::size_t fileBytes = 512 * 1024;

// Ordinary log traffic with a navigation every few hundred lines.
std::string logContents(std::int64_t start)
{
    std::string text;
    std::int64_t at = start;
    for (int line = 0; text.size() < fileBytes; ++line, at += 7) {
        std::string next;
        if (line % 200 == 0)
            next = sim::routeChangeLine(at, { 1, 1 }, "/local/7d3f1a2b-4c5d-4e6f-8a9b-0c1d2e3f4a5b");
        else if (line % 200 == 1)
            next = sim::performanceSpanLine(at, { 1, 1 });
        else
            next = sim::logTimestamp(at) + " info [electron-main] [sync] applied 3 changes to workspace state in "
                + std::to_string(line % 97) + "ms (queue depth " + std::to_string(line % 5) + ")";
        next += "\n";
        if (text.size() + next.size() > fileBytes)
            next = std::string(fileBytes - text.size() - 1, '.') + "\n";
        text += next;
    }
    return text;
}

void BM_LogPassOverFourFreshFiles(benchmark::State& state)
{
    std::string pattern = (fs::temp_directory_path() / "pellamor-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    const fs::path root = pattern;
    const PlistDate now { 1'796'600'000 };
    const fs::path folder = root / *utcDayFolder(now, 0);
    fs::create_directories(folder);
    for (int rotation = 0; rotation < 4; ++rotation)
        std::ofstream(folder / codexLogFileName("7D3F1A2B-4C5D-4E6F-8A9B-0C1D2E3F4A5B", pid, 1, "093000", rotation),
            std::ios::binary)
            << logContents(1'796'590'000'000 + rotation * 1'000'000);

    for (auto _ : state) {
        CodexNavigationReader reader(
            root,
            [] {
                return CodexProcessIdentity { pid, std::nullopt };
            },
            [now] { return now; });
        const auto observation = reader.read();
        if (observation.verifiedRevision == 0)
            state.SkipWithError("no navigation seen");
        benchmark::DoNotOptimize(observation);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 4 * fileBytes));
    fs::remove_all(root);
}
BENCHMARK(BM_LogPassOverFourFreshFiles)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
