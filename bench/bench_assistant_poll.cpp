// One automatic-switching poll when nothing changed: state-file attributes, incremental log read, tracker.
#include "assistant/CodexLogFileName.h"
#include "assistant/CodexNavigationReader.h"
#include "assistant/CodexStateReader.h"
#include "assistant/SelectionTracker.h"
#include "sim/CodexLogLines.h"
#include "sim/SimulatedAssistant.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace pellamor;

constexpr std::int32_t pid = 501;
const PlistDate now { 1'796'600'000 };

fs::path makeHome()
{
    std::string pattern = (fs::temp_directory_path() / "pellamor-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    return pattern;
}

void BM_PollWhenNothingChanged(benchmark::State& state)
{
    const fs::path home = makeHome();
    sim::AssistantWorld world;
    for (int i = 0; i < 200; ++i)
        world.projects.push_back({ "project-" + std::to_string(i), "Projet " + std::to_string(i), { "/src/p" } });
    world.selected = "project-7";
    sim::SimulatedAssistant assistant(home, world, [] { return now; });
    assistant.writeStateIfMissing();
    assistant.navigate("7D3F1A2B-4C5D-4E6F-8A9B-0C1D2E3F4A5B", pid);
    // Four files of the session, as after a few rotations.
    const fs::path folder = assistant.logPath()->parent_path();
    const std::string session = assistant.logPath()->filename().string().substr(14, 36);
    for (int rotation = 1; rotation < 4; ++rotation)
        std::ofstream(folder / codexLogFileName(session, pid, 1, "093000", rotation))
            << sim::readyToShowLine(1'796'600'000'000, { 1, 1 }, "primary") << "\n";

    auto navigation = std::make_unique<CodexNavigationReader>(
        home / "Library/Logs/com.openai.codex",
        [] {
            return CodexProcessIdentity { pid, PlistDate { 1'796'000'000 } };
        },
        [] { return now; });
    CodexStateReader reader(assistant.statePath(), std::move(navigation));
    SelectionTracker tracker(reader.read().selectionToken);
    for (auto _ : state) {
        const CodexSnapshot snapshot = reader.read();
        benchmark::DoNotOptimize(tracker.update(snapshot.selectionToken));
    }
    fs::remove_all(home);
}
BENCHMARK(BM_PollWhenNothingChanged)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
