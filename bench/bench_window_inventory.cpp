// One window inventory read of 300 windows of 40 applications over 12 desktops on three displays, with
// Accessibility metadata, beside the window server's own copy of its list in the same run.
#include "platform/Platform.h"
#include "platform/WindowList.h"
#include "sim/SimulatedMac.h"
#include "windows/WindowInventoryReader.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace {

using namespace pellamor;

// Uptime from the monotonic clock; nothing is ever scheduled during a read.
class SteadyLoop final : public EventLoop {
public:
    double now() const override
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    void wake(std::optional<double>) override { }
    std::unique_ptr<FileSource> watchReadable(int, std::function<void()>) override { return nullptr; }
};

sim::World inventoryWorld()
{
    sim::World world;
    std::uint64_t nextSpace = 10;
    for (int index = 0; index < 3; ++index) {
        sim::Display display;
        display.id = "6A1F5C3E-7B2D-4E8F-9A0B-1C2D3E4F5A6" + std::to_string(index);
        display.number = static_cast<std::uint32_t>(index + 1);
        display.name = "Screen " + std::to_string(index + 1);
        display.main = index == 0;
        display.frame = QRectF(index * 1920.0, 0, 1920, 1080);
        display.visibleFrame = QRectF(index * 1920.0, 0, 1920, 1055);
        for (int desktop = 0; desktop < 4; ++desktop, ++nextSpace)
            display.spaces.push_back(sim::Space { nextSpace, "UUID-" + std::to_string(nextSpace), sim::desktopSpaceType });
        display.current = display.spaces.front().id;
        world.displays.push_back(display);
    }
    for (int index = 0; index < 40; ++index) {
        std::string name = "Application " + std::to_string(index);
        world.applications.push_back(
            sim::Application { 1000 + index, "com.example.app" + std::to_string(index), name, "/Applications/" + name + ".app" });
    }
    for (std::uint32_t number = 1; number <= 300; ++number) {
        sim::Window window;
        window.number = 100 + number;
        window.pid = 1000 + static_cast<int>(number % 40);
        window.title = "Document " + std::to_string(number);
        window.frame = QRectF(40.0 + number % 17 * 20, 60.0 + number % 13 * 15, 900, 700);
        window.spaces = { 10 + number % 12 };
        if (number % 10 == 0)
            window.document = "/Users/me/Documents/Report " + std::to_string(number) + ".pages";
        world.windows.push_back(window);
    }
    world.permissions.screenCapture = true;
    return world;
}

struct Machine {
    Machine()
    {
        sim::MacSetup setup;
        setup.world = inventoryWorld();
        setup.logStream = nullptr;
        setup.home = std::filesystem::temp_directory_path();
        setup.resources = PELLAMOR_SOURCE_RESOURCES;
        setup.preferredLanguages = { "fr-FR" };
        mac = std::make_unique<sim::SimulatedMac>(loop, std::move(setup));
        installed.emplace(*mac);
    }
    SteadyLoop loop;
    std::unique_ptr<sim::SimulatedMac> mac;
    std::optional<ScopedPlatform> installed;
};

void BM_WindowInventoryRead(benchmark::State& state)
{
    Machine machine;
    WindowInventoryReader::Provider provider = WindowInventoryReader::nativeProvider();
    auto first = provider.read();
    if (!first || first->windows.size() != 300)
        std::abort();
    for (auto _ : state)
        benchmark::DoNotOptimize(provider.read());
}
BENCHMARK(BM_WindowInventoryRead)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_WindowServerListCopy(benchmark::State& state)
{
    Machine machine;
    for (auto _ : state)
        benchmark::DoNotOptimize(platform().windowList().copyWindowInfo(windowListOption::excludeDesktopElements, 0));
}
BENCHMARK(BM_WindowServerListCopy)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
