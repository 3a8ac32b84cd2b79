// The Wayland capture against the X11 capture, in one run: inside testkit/rig/rig.sh, the
// magnifier at 800x600, zoom 4, reads the headless GNOME desktop through the portal and
// PipeWire; then the same program reads a private Xvfb 1280x720 through X11. The pointer keeps
// moving (through the compositor's seat, or XWarpPointer on Xvfb) so every tick has news.
//
// Counters:
//   fps, cpu_ms_per_frame: painted ticks per second and the magnifier's own CPU per painted tick,
//     from MAGNIFIER_STATS=1's frame count at exit and /proc/PID/stat, over the difference of a
//     short and a long run (the start-up cancels out).
//   cpu_server_ms_per_frame: the display side's CPU per painted tick (mutter + PipeWire, or Xvfb).
//   delay_ms_median, delay_ms_max: from a pointer move to the view showing the new position at
//     its centre, polled at 1 ms on the view's centre pixel; 20 moves.
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <regex>
#include <sstream>
#include <stop_token>
#include <thread>

#include "harness/Desktop.h"
#include "harness/RegFile.h"
#include "harness/Screen.h"
#include "harness/TempDir.h"
#include "harness/VirtualDisplay.h"
#include "harness/Wait.h"
#include "rig/Seat.h"

namespace {

using namespace e2e;
using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kClientWidth = 800;
constexpr int kClientHeight = 600;
constexpr int kZoom = 4;
constexpr auto kTimeout = std::chrono::milliseconds(20000);
constexpr auto kSettle = std::chrono::milliseconds(5000);
constexpr auto kShort = std::chrono::milliseconds(1000);
constexpr auto kLong = std::chrono::milliseconds(6000);

double cpu_seconds(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto paren = text.rfind(')');
    if (paren == std::string::npos) throw std::runtime_error("cannot read /proc/" + std::to_string(pid) + "/stat");
    std::istringstream fields(text.substr(paren + 1));
    std::string field;
    unsigned long long ticks = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number == 14 || number == 15) ticks += std::stoull(field);
    }
    return static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// PIDs of the processes with this command name (mutter, pipewire).
std::vector<pid_t> pids_named(const std::string& name) {
    const CommandResult found = run_command({"pgrep", "-x", "-u", std::to_string(::getuid()), name});
    std::vector<pid_t> pids;
    std::istringstream in(found.out);
    for (pid_t pid = 0; in >> pid;) pids.push_back(pid);
    return pids;
}

double cpu_seconds(const std::vector<pid_t>& pids) {
    double total = 0;
    for (pid_t pid : pids) total += cpu_seconds(pid);
    return total;
}

// A desktop the magnifier runs on: how to move its pointer, whose CPU is the display's.
struct Desk {
    EnvOverrides env;
    std::function<void(Point)> move;
    std::vector<pid_t> server;
    Display* x = nullptr;
};

Point lissajous(double t) {
    return {static_cast<int>(kWidth / 2 + 0.3 * kWidth * std::sin(t * 1.3)),
            static_cast<int>(kHeight / 2 + 0.3 * kHeight * std::sin(t * 1.7 + 0.5))};
}

class Mover {
public:
    explicit Mover(const Desk& desk)
        : thread_([&desk](std::stop_token stop) {
              const auto start = Clock::now();
              while (!stop.stop_requested()) {
                  desk.move(lissajous(Seconds(Clock::now() - start).count()));
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
          }) {}

private:
    std::jthread thread_;
};

struct Run {
    double wall = 0, cpu = 0, server = 0, frames = 0;
};

std::string settings(int left, int top) {
    return "REGEDIT4\n\n[" + kMagnifierKey + "]\n" + word_line("Zoom", kZoom) + "\n" + word_line("WindowLeft", left) +
           "\n" + word_line("WindowTop", top) + "\n";
}

WindowId wait_for_window(const Desktop& desktop, Process& magnifier) {
    std::vector<WindowId> found;
    wait_until([&] { return !(found = desktop.find_windows(magnifier.pid(), "^Magnifier")).empty(); }, kTimeout);
    if (found.size() != 1) throw std::runtime_error("no magnifier window: " + magnifier.stderr_text());
    return found.front();
}

void size_client(const Desktop& desktop, WindowId window) {
    desktop.resize(window, kClientWidth, kClientHeight);
    const auto seen = wait_for_value([&] { return desktop.client_geometry(window); },
                                     [](const Rect& r) { return r.width == kClientWidth && r.height == kClientHeight; },
                                     kTimeout);
    if (!seen.ok) throw std::runtime_error("the client stays " + to_string(seen.last));
}

Run measure(const Desk& desk, const std::filesystem::path& config, std::chrono::milliseconds interval) {
    const Desktop desktop(desk.env);
    const auto spawned = Clock::now();
    Process magnifier(SpawnOptions{{MAGNIFIER_EXE},
                                   merge(desk.env, {{"XDG_CONFIG_HOME", config.string()}, {"MAGNIFIER_STATS", "1"}}),
                                   Stream::Discard, Stream::Capture, {}});
    const WindowId window = wait_for_window(desktop, magnifier);
    size_client(desktop, window);
    std::this_thread::sleep_until(spawned + kSettle);
    Run run;
    const auto t0 = Clock::now();
    const double cpu0 = cpu_seconds(magnifier.pid()), server0 = cpu_seconds(desk.server);
    std::this_thread::sleep_for(interval);
    run.cpu = cpu_seconds(magnifier.pid()) - cpu0;
    run.server = cpu_seconds(desk.server) - server0;
    run.wall = Seconds(Clock::now() - t0).count();
    desktop.close(window);
    if (!magnifier.wait_for(kTimeout)) throw std::runtime_error("the magnifier did not end");
    std::smatch match;
    const std::string err = magnifier.stderr_text();
    if (!std::regex_search(err, match, std::regex(R"(magnifier: frames (\d+))"))) {
        throw std::runtime_error("no frame count: " + err);
    }
    run.frames = std::stod(match[1]);
    return run;
}

// Pointer moves until the view's centre shows the new position; milliseconds each.
std::vector<double> delays(const Desk& desk, const std::filesystem::path& config) {
    const Desktop desktop(desk.env);
    Process magnifier(SpawnOptions{{MAGNIFIER_EXE}, merge(desk.env, {{"XDG_CONFIG_HOME", config.string()}}),
                                   Stream::Discard, Stream::Capture, {}});
    const WindowId window = wait_for_window(desktop, magnifier);
    size_client(desktop, window);
    std::vector<double> result;
    for (int i = 0; i < 20; ++i) {
        // Left of the window, so the magnified area never holds the window itself.
        const Point target{100 + 12 * i, 150 + 7 * i};
        const auto t0 = Clock::now();
        desk.move(target);
        const bool seen = wait_until(
            [&] {
                const Image centre = grab_window(desk.x, window, {kClientWidth / 2, kClientHeight / 2, 1, 1});
                const auto shown = UniquePattern::position(centre.at(0, 0));
                return shown && shown->x == target.x && shown->y == target.y;
            },
            std::chrono::milliseconds(3000), std::chrono::milliseconds(1));
        if (!seen) throw std::runtime_error("the view never showed " + to_string(target));
        result.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return result;
}

void measure_all(benchmark::State& state, const Desk& desk, const std::filesystem::path& config) {
    Run short_run, long_run;
    {
        Mover mover(desk);
        short_run = measure(desk, config, kShort);
        long_run = measure(desk, config, kLong);
    }
    const double frames = long_run.frames - short_run.frames;
    const double wall = long_run.wall - short_run.wall;
    if (frames <= 0) throw std::runtime_error("no frames counted");
    const double scale = wall / (long_run.wall + short_run.wall);
    state.SetIterationTime((long_run.cpu + short_run.cpu) * scale / frames);
    state.counters["fps"] = frames / wall;
    state.counters["cpu_ms_per_frame"] = 1000.0 * (long_run.cpu + short_run.cpu) * scale / frames;
    state.counters["cpu_server_ms_per_frame"] = 1000.0 * (long_run.server + short_run.server) * scale / frames;
    std::vector<double> d = delays(desk, config);
    std::sort(d.begin(), d.end());
    state.counters["delay_ms_median"] = d[d.size() / 2];
    state.counters["delay_ms_max"] = d.back();
}

void BM_Portal(benchmark::State& state) {
    for (auto _ : state) {
        try {
            if (std::getenv("WAYLAND_DISPLAY") == nullptr) throw std::runtime_error("run inside testkit/rig/rig.sh");
            XDisplayPtr x = open_display(std::getenv("DISPLAY"), kTimeout);
            Seat seat;
            seat.move({640, 360});
            seat.key(kShift);
            Process pattern(SpawnOptions{{PATTERN_EXE}, {{"QT_QPA_PLATFORM", "wayland"}}, Stream::Capture,
                                         Stream::Capture, {}});
            wait_until([&] { return pattern.stdout_text().find("shown") != std::string::npos; }, kTimeout);
            TempDir config("magnifier-bench-config");
            write_file(config.path() / "Orlenda" / "registry.reg", settings(1280 - 820, 100));
            // The first start asks; the token it stores lets the measured starts skip the dialog.
            {
                DialogWatch dialog;
                Process first(SpawnOptions{{MAGNIFIER_EXE}, {{"XDG_CONFIG_HOME", config.str()}}, Stream::Discard,
                                           Stream::Capture, {}});
                if (!dialog.wait_for_dialog(kTimeout)) throw std::runtime_error("no share dialog");
                const Desktop desktop{EnvOverrides{}};
                std::vector<WindowId> found;
                wait_until(
                    [&] {
                        seat.key(kTab);
                        seat.key(kAltS);
                        return !(found = desktop.find_windows(first.pid(), "^Magnifier")).empty();
                    },
                    kTimeout, std::chrono::milliseconds(3000));
            }
            std::vector<pid_t> server = pids_named("mutter");
            for (pid_t pid : pids_named("pipewire")) server.push_back(pid);
            Desk desk{{}, [&seat](Point p) { seat.move(p); }, server, x.get()};
            measure_all(state, desk, config.path());
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
        }
    }
}

void BM_X11(benchmark::State& state) {
    for (auto _ : state) {
        try {
            VirtualDisplay display(VirtualDisplay::Options{kWidth, kHeight, 24});
            paint_root_background(display.x(), UniquePattern::image(kWidth, kHeight));
            XDisplayPtr mover = open_display(display.name(), kTimeout);
            const auto warp = [&mover](Point p) {
                XWarpPointer(mover.get(), None, DefaultRootWindow(mover.get()), 0, 0, 0, 0, p.x, p.y);
                XFlush(mover.get());
            };
            TempDir config("magnifier-bench-config");
            write_file(config.path() / "Orlenda" / "registry.reg", settings(1280 - 820, 100));
            static std::mutex lock;  // one X connection, two threads
            Desk desk{merge(display.env(), {{"MAGNIFIER_CAPTURE", "x11"}, {"QT_QPA_PLATFORM", std::nullopt}}),
                      [&](Point p) {
                          std::lock_guard guard(lock);
                          warp(p);
                      },
                      {display.server_pid()}, display.x()};
            measure_all(state, desk, config.path());
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
        }
    }
}

}  // namespace

BENCHMARK(BM_Portal)->Name("portal/800x600/zoom:4")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_X11)->Name("x11_xvfb/800x600/zoom:4")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
