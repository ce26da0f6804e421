// Folding, comparing and sorting 1 MiB of text of outside origin: a title made of one long run of combining
// marks, beside ordinary French text of the same size.
#include "assistant/Models.h"
#include "services/FeedbackModel.h"
#include "ui/StandardText.h"

#include <benchmark/benchmark.h>

namespace {

using namespace pellamor;

constexpr std::size_t mebibyte = 1 << 20;

// Acute and grave below alternating, which canonical reordering must sort apart.
std::string marks()
{
    std::string text;
    for (std::size_t i = 0; text.size() < mebibyte - 8; ++i)
        text += i % 2 ? "\u0316" : "\u0301";
    return text;
}

std::string prose()
{
    std::string text;
    while (text.size() < mebibyte - 80)
        text += "L’écran de contenu garde la fenêtre déplacée vers le bureau 3, à côté de l’éditeur. ";
    return text;
}

// Two texts the same to a reader but not byte for byte, so that nothing stops at a common prefix: "Page é"
// composed, and "page e" with its accent apart.
std::pair<std::string, std::string> equivalentPair(int kind)
{
    std::string body = kind == 0 ? marks() : prose();
    return { "Page \u00e9" + body, "page e\u0301" + body };
}

void setLabel(benchmark::State& state)
{
    state.SetLabel(state.range(0) == 0 ? "one run of marks" : "ordinary text");
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(mebibyte));
}

void BM_SearchFolding(benchmark::State& state)
{
    std::string text = equivalentPair(int(state.range(0))).first;
    for (auto _ : state)
        benchmark::DoNotOptimize(localizedStandardContains(text, "pas dans le texte"));
    setLabel(state);
}
BENCHMARK(BM_SearchFolding)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CollatedComparison(benchmark::State& state)
{
    auto [a, b] = equivalentPair(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(localizedStandardCompare(a, b));
    setLabel(state);
}
BENCHMARK(BM_CollatedComparison)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CanonicalComparison(benchmark::State& state)
{
    auto [a, b] = equivalentPair(int(state.range(0)));
    FeedbackDraft pending { FeedbackKind::bug, a };
    FeedbackDraft draft { FeedbackKind::bug, b };
    for (auto _ : state)
        benchmark::DoNotOptimize(pending == draft);
    setLabel(state);
}
BENCHMARK(BM_CanonicalComparison)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ProjectSorting(benchmark::State& state)
{
    auto [a, b] = equivalentPair(int(state.range(0)));
    for (auto _ : state) {
        std::vector<Project> projects { { "b", b, {} }, { "a", a, {} } };
        sortProjectsByName(projects);
        benchmark::DoNotOptimize(projects);
    }
    setLabel(state);
}
BENCHMARK(BM_ProjectSorting)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
