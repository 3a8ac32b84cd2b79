// CPU per frame of the whole system: the magnifier (or, side by side, xzoom) plus the X server
// doing the copying for it, on a private Xvfb 1920x1080x24 with openbox, while the pointer keeps
// moving so every frame shows something new.
//
// Counters: cpu_ms_per_frame (process + X server), cpu_process_ms_per_frame,
// cpu_xserver_ms_per_frame and fps. The Time column is set to cpu_ms_per_frame as well.
//
// CPU comes from /proc/PID/stat (utime + stime) of the program and of Xvfb, read at the start and
// the end of a measured wall-clock interval, once the program runs at its final size and zoom.
//
// Frames of the magnifier: it prints its painted-tick count only at exit (MAGNIFIER_STATS=1), a
// count from its start. So each measurement is two runs with the same start-up, set-up and a
// fixed settle point after the spawn, one measured for a short and one for a long interval:
// frames(long) - frames(short) are the frames of the extra interval, and the start-up frames
// cancel. CPU needs no such trick, as it is read at the interval's edges.
//
// Frames of xzoom: it has no counter. It sleeps -delay ms after each frame, so interval/delay
// would overstate its rate; instead its write system calls (/proc/PID/io syscw) are counted:
// each xzoom frame flushes exactly two writes to the X connection (established with strace:
// 362 writev for 180 clock_nanosleep over two seconds), so frames = writes / 2. A rate above
// 1000/delay fps would mean that no longer holds, and is reported as an error.
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <stop_token>
#include <string>
#include <thread>

#include "harness/Desktop.h"
#include "harness/Magnifier.h"
#include "harness/Screen.h"
#include "harness/VirtualDisplay.h"
#include "harness/Wait.h"

namespace {

using namespace e2e;
using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr auto kSetupTimeout = std::chrono::milliseconds(15000);
// Measured at this offset after the spawn, the same in both runs of a pair.
constexpr auto kSettle = std::chrono::milliseconds(4000);
constexpr auto kShortInterval = std::chrono::milliseconds(1000);
constexpr auto kLongInterval = std::chrono::milliseconds(6000);
constexpr auto kXzoomWarmUp = std::chrono::milliseconds(1000);
constexpr int kXzoomDelayMs = 10;
constexpr double kXzoomWritesPerFrame = 2.0;

double cpu_seconds(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto paren = text.rfind(')');  // the command name may contain spaces
    if (paren == std::string::npos) throw std::runtime_error("cannot read /proc/" + std::to_string(pid) + "/stat");
    std::istringstream fields(text.substr(paren + 1));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // Fields after the name start at number 3 (state); utime is 14 and stime 15.
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number == 14) utime = std::stoull(field);
        if (number == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

long long write_syscalls(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/io");
    std::string key;
    long long value = 0;
    while (file >> key >> value) {
        if (key == "syscw:") return value;
    }
    throw std::runtime_error("cannot read syscw from /proc/" + std::to_string(pid) + "/io");
}

// Moves the pointer along a slow Lissajous curve over most of the screen, from its own X
// connection, until destroyed.
class PointerMover {
public:
    explicit PointerMover(const std::string& display_name)
        : connection_(open_display(display_name, std::chrono::milliseconds(5000))),
          thread_([this](std::stop_token stop) { run(stop); }) {}

private:
    void run(std::stop_token stop) {
        Display* display = connection_.get();
        const Window root = DefaultRootWindow(display);
        const auto start = Clock::now();
        while (!stop.stop_requested()) {
            const double t = Seconds(Clock::now() - start).count();
            const int x = static_cast<int>(kScreenWidth / 2 + 0.45 * kScreenWidth * std::sin(t * 1.3));
            const int y = static_cast<int>(kScreenHeight / 2 + 0.45 * kScreenHeight * std::sin(t * 1.7 + 0.5));
            XWarpPointer(display, None, root, 0, 0, 0, 0, x, y);
            XFlush(display);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    XDisplayPtr connection_;
    std::jthread thread_;  // last: stopped and joined before the connection closes
};

struct Bench {
    VirtualDisplay display{VirtualDisplay::Options{kScreenWidth, kScreenHeight, 24}};
    PointerMover mover{display.name()};
    Bench() { paint_root_background(display.x(), UniquePattern::image(kScreenWidth, kScreenHeight)); }
};

// Started on first use, so listing the benchmarks starts no server.
std::unique_ptr<Bench>& bench_slot() {
    static std::unique_ptr<Bench> bench;
    return bench;
}

Bench& bench() {
    auto& slot = bench_slot();
    if (!slot) slot = std::make_unique<Bench>();
    return *slot;
}

struct Sample {
    double wall = 0;         // seconds
    double cpu_process = 0;  // seconds
    double cpu_server = 0;   // seconds
    double frames = 0;       // for the magnifier: painted ticks since start
};

void resize_client(const Desktop& desktop, WindowId window, int width, int height) {
    desktop.move(window, 0, 0);
    desktop.resize(window, width, height);
    const auto seen = wait_for_value([&] { return desktop.client_geometry(window); },
                                     [&](const Rect& r) { return r.width == width && r.height == height; },
                                     kSetupTimeout);
    if (!seen.ok) {
        throw std::runtime_error("asked for a " + std::to_string(width) + "x" + std::to_string(height) +
                                 " client, got " + to_string(seen.last));
    }
}

Sample measure_magnifier(int width, int height, int zoom, std::chrono::milliseconds interval) {
    Bench& b = bench();
    const auto spawned = Clock::now();
    MagnifierRun run(b.display, MAGNIFIER_EXE, {{"MAGNIFIER_STATS", "1"}, {"QT_QPA_PLATFORM", std::nullopt}});
    const Desktop& desktop = run.desktop();
    const WindowId window = run.wait_for_window(kSetupTimeout);
    resize_client(desktop, window, width, height);
    desktop.activate(window);
    if (zoom != 2) desktop.key(std::vector<std::string>(std::abs(zoom - 2), zoom > 2 ? "KP_Add" : "KP_Subtract"));
    const auto caption = wait_for_value([&] { return desktop.caption(window); },
                                        [&](const auto& c) { return c == zoom_caption(zoom); }, kSetupTimeout);
    if (!caption.ok) {
        throw std::runtime_error("the caption is \"" + caption.last.value_or("") + "\", expected \"" +
                                 zoom_caption(zoom) + "\"");
    }
    if (Clock::now() > spawned + kSettle) {
        throw std::runtime_error("set-up took longer than the settle time of " + std::to_string(kSettle.count()) +
                                 " ms; the two runs would not cancel");
    }
    std::this_thread::sleep_until(spawned + kSettle);

    const pid_t pid = run.process().pid();
    const pid_t server = b.display.server_pid();
    Sample sample;
    const auto t0 = Clock::now();
    const double process0 = cpu_seconds(pid), server0 = cpu_seconds(server);
    std::this_thread::sleep_for(interval);
    const double process1 = cpu_seconds(pid), server1 = cpu_seconds(server);
    sample.wall = Seconds(Clock::now() - t0).count();
    sample.cpu_process = process1 - process0;
    sample.cpu_server = server1 - server0;

    const auto status = run.close(window);
    if (!status || !status->success()) throw std::runtime_error("closing failed: " + run.describe());
    const std::string err = run.process().stderr_text();
    static const std::regex frames_line(R"(magnifier: frames (\d+))");
    std::smatch match;
    if (!std::regex_search(err, match, frames_line)) {
        throw std::runtime_error("no \"magnifier: frames N\" on stderr with MAGNIFIER_STATS=1; stderr: " + err);
    }
    sample.frames = std::stod(match[1]);
    return sample;
}

void report(benchmark::State& state, double wall, double cpu_process, double cpu_server, double frames) {
    if (frames <= 0 || wall <= 0) {
        state.SkipWithError("no frames counted in the measured interval");
        return;
    }
    const double per_frame = (cpu_process + cpu_server) / frames;
    state.SetIterationTime(per_frame);
    state.counters["fps"] = frames / wall;
    state.counters["cpu_ms_per_frame"] = 1000.0 * per_frame;
    state.counters["cpu_process_ms_per_frame"] = 1000.0 * cpu_process / frames;
    state.counters["cpu_xserver_ms_per_frame"] = 1000.0 * cpu_server / frames;
    state.counters["frames"] = frames;
}

void BM_Magnifier(benchmark::State& state, int width, int height, int zoom) {
    for (auto _ : state) {
        try {
            const Sample short_run = measure_magnifier(width, height, zoom, kShortInterval);
            const Sample long_run = measure_magnifier(width, height, zoom, kLongInterval);
            const double wall = long_run.wall - short_run.wall;
            const double frames = long_run.frames - short_run.frames;
            // CPU was read at the interval edges, so both runs count; scaled to the extra interval.
            const double scale = wall / (long_run.wall + short_run.wall);
            report(state, wall, (long_run.cpu_process + short_run.cpu_process) * scale,
                   (long_run.cpu_server + short_run.cpu_server) * scale, frames);
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
        }
    }
}

void BM_Xzoom(benchmark::State& state, int width, int height, int magnification) {
    for (auto _ : state) {
        try {
            Bench& b = bench();
            const Desktop desktop(b.display.env());
            Process xzoom(SpawnOptions{{"xzoom", "-mag", std::to_string(magnification), "-geometry",
                                        std::to_string(width) + "x" + std::to_string(height) + "+0+0", "-delay",
                                        std::to_string(kXzoomDelayMs)},
                                       b.display.env(),
                                       Stream::Discard,
                                       Stream::Capture,
                                       {}});
            // xzoom sets no _NET_WM_PID, so it is found by name; it is the only one on this display.
            std::vector<WindowId> found;
            if (!wait_until([&] { return (found = desktop.find_windows("^xzoom")).size() == 1; }, kSetupTimeout)) {
                throw std::runtime_error("no xzoom window; stderr: " + xzoom.stderr_text());
            }
            const Rect client = desktop.client_geometry(found.front());
            if (client.width != width || client.height != height) {
                throw std::runtime_error("xzoom's client is " + to_string(client));
            }
            std::this_thread::sleep_for(kXzoomWarmUp);

            const pid_t server = b.display.server_pid();
            const auto t0 = Clock::now();
            const double process0 = cpu_seconds(xzoom.pid()), server0 = cpu_seconds(server);
            const long long writes0 = write_syscalls(xzoom.pid());
            std::this_thread::sleep_for(kLongInterval);
            const double process1 = cpu_seconds(xzoom.pid()), server1 = cpu_seconds(server);
            const long long writes1 = write_syscalls(xzoom.pid());
            const double wall = Seconds(Clock::now() - t0).count();
            xzoom.terminate();

            const double frames = static_cast<double>(writes1 - writes0) / kXzoomWritesPerFrame;
            if (frames / wall > 1.01 * 1000.0 / kXzoomDelayMs) {
                throw std::runtime_error("xzoom made " + std::to_string(writes1 - writes0) +
                                         " writes, more than two per possible frame: the frame estimate is off");
            }
            report(state, wall, process1 - process0, server1 - server0, frames);
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
        }
    }
}

void register_all() {
    struct Config {
        int width, height, zoom;
    };
    for (const Config c : {Config{800, 600, 4}, Config{1600, 1000, 2}}) {
        const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
        benchmark::RegisterBenchmark(("magnifier/" + size + "/zoom:" + std::to_string(c.zoom)).c_str(),
                                     [c](benchmark::State& state) { BM_Magnifier(state, c.width, c.height, c.zoom); })
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("xzoom/" + size + "/mag:" + std::to_string(c.zoom)).c_str(),
                                     [c](benchmark::State& state) { BM_Xzoom(state, c.width, c.height, c.zoom); })
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    register_all();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    bench_slot().reset();  // the server and window manager end here, not in static destruction
    return 0;
}
