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
//   delay_ms_median, delay_ms_max, unanswered_1s: from a pointer move to the view showing the new
//     position at its centre, polled at 1 ms on the view's centre pixel; 300 moves, of which
//     those not shown within a second are counted apart.
//   consumer_delay_ms_median (portal): from the same moves to a minimal PipeWire consumer of the
//     same monitor (mutter's own screen cast, cursor metadata only) receiving the position.
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
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
constexpr int kMoves = 300;

// The magnifier measured: MAGNIFIER_BENCH_EXE names another build of it, to set side by side.
const char* magnifier_exe() {
    const char* other = std::getenv("MAGNIFIER_BENCH_EXE");
    return other != nullptr && *other != '\0' ? other : MAGNIFIER_EXE;
}

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

// The PID of one of the rig's services (mutter, pipewire): only this rig's, where another may run
// beside it.
pid_t rig_service(const std::string& name) {
    const char* dir = std::getenv("RIG_DIR");
    pid_t pid = 0;
    if (dir != nullptr) std::ifstream(std::string(dir) + "/" + name + ".pid") >> pid;
    if (pid <= 0) throw std::runtime_error("no PID for the rig's " + name);
    return pid;
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
    bool consumer = false;  // set the minimal PipeWire consumer's delay beside the view's
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
    Process magnifier(SpawnOptions{{magnifier_exe()},
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

struct Delays {
    std::vector<double> view;      // milliseconds from a move to the view showing it
    std::vector<double> consumer;  // ... to the minimal consumer's receiving it (portal only)
    int unanswered = 0;            // moves the view did not show within a second
};

// The time the minimal consumer got the pointer at `target`, once it has.
std::optional<Clock::time_point> consumer_saw(const Process& consumer, Point target) {
    const std::string key = "cursor " + std::to_string(target.x) + " " + std::to_string(target.y) + " ";
    const std::string out = consumer.stdout_text();
    const auto at = out.rfind(key);
    if (at == std::string::npos) return std::nullopt;
    return Clock::time_point(std::chrono::nanoseconds(std::stoll(out.substr(at + key.size()))));
}

// Pointer moves until the view's centre shows the new position, with the minimal consumer
// following the same moves where there is one.
Delays delays(const Desk& desk, const std::filesystem::path& config, int moves) {
    const Desktop desktop(desk.env);
    Process magnifier(SpawnOptions{{magnifier_exe()}, merge(desk.env, {{"XDG_CONFIG_HOME", config.string()}}),
                                   Stream::Discard, Stream::Capture, {}});
    const WindowId window = wait_for_window(desktop, magnifier);
    size_client(desktop, window);
    std::optional<Process> consumer;
    if (desk.consumer) {
        consumer.emplace(SpawnOptions{{CONSUMER_EXE}, {}, Stream::Capture, Stream::Capture, {}});
        if (!wait_until([&] { return consumer->stdout_text().find("ready") != std::string::npos; }, kTimeout)) {
            throw std::runtime_error("the minimal consumer did not start: " + consumer->stderr_text());
        }
    }
    // The view shows the portal's picture once it is shared: a first move it shows.
    desk.move({90, 140});
    wait_until([&] {
        const Image centre = grab_window(desk.x, window, {kClientWidth / 2, kClientHeight / 2, 1, 1});
        return UniquePattern::position(centre.at(0, 0)).has_value();
    }, kTimeout);
    Delays result;
    for (int i = 0; i < moves; ++i) {
        // Left of the window, so the magnified area never holds the window itself.
        const Point target{100 + (12 * i) % 300, 150 + (7 * i) % 400};
        const auto t0 = Clock::now();
        desk.move(target);
        const bool seen = wait_until(
            [&] {
                const Image centre = grab_window(desk.x, window, {kClientWidth / 2, kClientHeight / 2, 1, 1});
                const auto shown = UniquePattern::position(centre.at(0, 0));
                return shown && shown->x == target.x && shown->y == target.y;
            },
            std::chrono::milliseconds(1000), std::chrono::milliseconds(1));
        if (!seen) {
            ++result.unanswered;
            continue;
        }
        result.view.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        if (consumer) {
            std::optional<Clock::time_point> got;
            wait_until([&] { return (got = consumer_saw(*consumer, target)).has_value(); }, std::chrono::milliseconds(1000));
            if (got) result.consumer.push_back(std::chrono::duration<double, std::milli>(*got - t0).count());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    return result;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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
    const Delays d = delays(desk, config, kMoves);
    state.counters["delay_ms_median"] = median(d.view);
    state.counters["delay_ms_max"] = d.view.empty() ? 0 : *std::max_element(d.view.begin(), d.view.end());
    state.counters["unanswered_1s"] = d.unanswered;
    if (desk.consumer) state.counters["consumer_delay_ms_median"] = median(d.consumer);
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
                Process first(SpawnOptions{{magnifier_exe()}, {{"XDG_CONFIG_HOME", config.str()}}, Stream::Discard,
                                           Stream::Capture, {}});
                if (!dialog.wait_for_dialog(kTimeout)) throw std::runtime_error("no share dialog");
                const auto shared = [&] {
                    return read_file(config.path() / "Orlenda" / "registry.reg").find("ScreenCastRestoreToken") !=
                           std::string::npos;
                };
                wait_until(
                    [&] {
                        if (shared()) return true;
                        seat.key(kTab);
                        seat.key(kAltS);
                        return shared();
                    },
                    std::chrono::milliseconds(30000), std::chrono::milliseconds(3000));
                if (!shared()) throw std::runtime_error("the share dialog was not answered: " + first.stderr_text());
            }
            const std::vector<pid_t> server = {rig_service("mutter"), rig_service("pipewire")};
            Desk desk{{}, [&seat](Point p) { seat.move(p); }, server, x.get(), true};
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
