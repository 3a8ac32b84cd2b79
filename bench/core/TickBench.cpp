// The refresh tick on the in-memory desktop: the program's own share of a frame (capture
// bookkeeping, stretch, overlay texts), without the X server. Also watches the resident size over
// a long run of ticks, which must stay flat.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "app/FrmMain.h"
#include "platform/fake/FakePlatform.h"

namespace {

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// A magnifier of the given client size and zoom on a patterned 1920 x 1080 screen.
struct Magnifier {
    Magnifier(int clientWidth, int clientHeight, int zoom) {
        fake.screen.fillPattern();
        fake.windows.setCursor(960, 540);
        window.start();
        form = fake.toolkit.lastForm();
        form->userResize(clientWidth + 16, clientHeight + 39);
        window.setSize(static_cast<std::int16_t>(zoom));
    }
    platform::fake::FakePlatform fake;
    app::FrmMain window{fake.toolkit};
    platform::fake::FakeForm* form = nullptr;
};

void BM_Tick(benchmark::State& state) {
    Magnifier m(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                static_cast<int>(state.range(2)));
    for (auto _ : state) {
        m.form->tick();
        m.form->clearPrinted();
        benchmark::DoNotOptimize(m.form->clientPixel(0, 0));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Tick)->Args({800, 600, 4})->Args({1600, 1000, 2})->Unit(benchmark::kMicrosecond);

// 100,000 ticks; the counters are the resident size after the first 1,000 and at the end.
void BM_ResidentSizeOverManyTicks(benchmark::State& state) {
    for (auto _ : state) {
        Magnifier m(800, 600, 4);
        long early = 0;
        for (int i = 0; i < 100000; ++i) {
            m.form->tick();
            m.form->clearPrinted();
            if (i == 1000) early = residentKiB();
        }
        state.counters["rss_kib_after_1k"] = static_cast<double>(early);
        state.counters["rss_kib_after_100k"] = static_cast<double>(residentKiB());
        state.counters["live_gdi_objects"] = static_cast<double>(m.fake.graphics.liveObjects());
    }
}
BENCHMARK(BM_ResidentSizeOverManyTicks)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
