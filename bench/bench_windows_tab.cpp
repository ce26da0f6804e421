// The windows tab: the panel's update with 300 windows, 9 desktops on three displays and 60 projects, when
// nothing changed and when everything is rebuilt; and the tab shown idle, refreshing every 5 s, as CPU time
// over wall time (PELLAMOR_IDLE_SECONDS, default 60).
#include "overview/WindowOverview.h"
#include "overview/WindowThumbnail.h"
#include "platform/QtEventLoop.h"
#include "setup/ProjectDesktopSetupView.h"
#include "sim/SimulatedMac.h"
#include "support/CrowdedWorld.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <sys/resource.h>

namespace {

using namespace pellamor;

const test::Crowd crowd { 300, 40, 60, 3, false };

std::filesystem::path makeHome()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "pellamor-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    return pattern;
}

// The simulated Mac on the Qt event loop, as the executable runs it.
struct Machine {
    Machine()
    {
        sim::MacSetup setup;
        setup.home = makeHome();
        setup.resources = PELLAMOR_SOURCE_RESOURCES;
        setup.preferredLanguages = { "fr-FR" };
        setup.threadedBackground = true;
        setup.world = test::crowdedWorld(crowd);
        setup.logStream = nullptr;
        mac = std::make_unique<sim::SimulatedMac>(loop, std::move(setup));
        loop.attach(mac->mainQueue());
        installed.emplace(*mac);
    }
    ~Machine()
    {
        installed.reset();
        mac.reset();
    }

    QtEventLoop loop;
    std::unique_ptr<sim::SimulatedMac> mac;
    std::optional<ScopedPlatform> installed;
};

std::vector<OverviewProjectAssignment> projects(const std::vector<NativeDesktopState>& desktops)
{
    std::vector<OverviewProjectAssignment> rows;
    for (int index = 0; index < crowd.projects; ++index) {
        OverviewProjectAssignment row;
        row.id = "p-" + std::to_string(index);
        row.name = "Projet " + std::to_string(index + 1);
        row.path = "~/src/projet-" + std::to_string(index + 1);
        if (index < 6 && desktops.size() > 3)
            row.desktops = { 4 + index % 6 };
        rows.push_back(row);
    }
    return rows;
}

// A shown overview whose inventory has been accepted once.
struct ShownOverview {
    ShownOverview()
    {
        overview.resize(1200, 900);
        overview.projectAssignments = projects;
        overview.show();
        overview.setOverviewVisible(true);
        QElapsedTimer waited;
        waited.start();
        while (!overview.inventoryHasLoaded() && waited.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        overview.setupView()->commitProjectSelection(std::string("p-1"));
        QApplication::processEvents();
    }
    ~ShownOverview() { overview.shutdown(); }

    WindowOverviewView overview;
};

void feed(ProjectDesktopSetupView& panel, const std::vector<DesktopWindow>& windows, const WindowOverviewView& model)
{
    panel.update(model.desktops(), windows, model.projectSnapshot(), {}, std::nullopt, false, true, std::nullopt,
        std::nullopt);
}

void BM_UpdateWithUnchangedFingerprint(benchmark::State& state)
{
    Machine machine;
    ShownOverview shown;
    ProjectDesktopSetupView& panel = *shown.overview.setupView();
    std::vector<DesktopWindow> windows = shown.overview.records();
    feed(panel, windows, shown.overview);
    int rebuilt = panel.rebuildCount();
    for (auto _ : state) {
        feed(panel, windows, shown.overview);
        QCoreApplication::sendPostedEvents();
    }
    if (panel.rebuildCount() != rebuilt)
        state.SkipWithError("an unchanged update rebuilt the panel");
    state.counters["windows"] = static_cast<double>(windows.size());
}

void BM_UpdateWithFullRebuild(benchmark::State& state)
{
    Machine machine;
    ShownOverview shown;
    ProjectDesktopSetupView& panel = *shown.overview.setupView();
    std::vector<DesktopWindow> windows = shown.overview.records();
    int turn = 0;
    for (auto _ : state) {
        windows.front().title = "Changed " + std::to_string(++turn);
        feed(panel, windows, shown.overview);
        // The next turn of the loop is part of the cost: the new cards polished and laid out, the old deleted.
        QCoreApplication::sendPostedEvents();
    }
    state.counters["windows"] = static_cast<double>(windows.size());
}

double processSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_TabShownIdle(benchmark::State& state)
{
    const char* configured = std::getenv("PELLAMOR_IDLE_SECONDS");
    double seconds = configured ? std::atof(configured) : 60.0;
    Machine machine;
    ShownOverview shown;
    for (auto _ : state) {
        double cpu = processSeconds();
        QElapsedTimer wall;
        wall.start();
        QEventLoop idle;
        QTimer::singleShot(static_cast<int>(seconds * 1000), &idle, &QEventLoop::quit);
        idle.exec();
        state.counters["cpu_percent_of_one_core"] = 100.0 * (processSeconds() - cpu) / (wall.elapsed() / 1000.0);
    }
}

BENCHMARK(BM_UpdateWithUnchangedFingerprint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateWithFullRebuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TabShownIdle)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
