// CPU per frame of the whole system: the magnifier (or, side by side, xzoom) plus the X server
// doing the copying for it, on a private Xvfb 1920x1080x24 with openbox, while the pointer keeps
// moving so every frame shows something new.
//
// Counters: cpu_ms_per_frame (process + X server), cpu_process_ms_per_frame,
// cpu_xserver_ms_per_frame and fps. The Time column is set to cpu_ms_per_frame as well.
//
// CPU is the run time of every thread of the program and of Xvfb (/proc/PID/task/*/schedstat, in
// nanoseconds), read at the start and the end of a measured wall-clock interval, once the program
// runs at its final size and zoom.
//
// Frames of the magnifier: it prints its painted-tick count only at exit (MAGNIFIER_STATS=1), a
// count from its start. So each measurement is two runs with the same start-up, set-up and a
// fixed settle point after the spawn, one measured for a short and one for a long interval:
// frames(long) - frames(short) are the frames of the extra interval, and the start-up frames
// cancel. CPU needs no such trick, as it is read at the interval's edges.
//
// Idle figures (benchmarks named .../still, .../pointer-moving, .../self-view): wake-ups a second
// of the program (voluntary context switches of its threads) and the share of one
// core, in percent, that the program and the X server use over an interval once the window is
// set up: with the screen and the pointer still and the pointer away from the window; with the
// pointer moving over the still screen; and with the pointer still over the program's own
// window, from one second after it was put there.
//
// qt-timer-floor/800x600/still: the same idle figure for a bare Qt window with a 10 ms timer, the
// least the magnifier's still figure can be while its timer keeps running.
//
// Warp latency (.../warp-latency): from a pointer warp to the new pixels in the middle of the view.
//
// Start-up (magnifier/startup): from the spawn to the first painted frame, which the program
// reports with MAGNIFIER_STATS=1 on the monotonic clock.
//
// Busy screen (benchmarks named busy/...): on a 2560x1440 screen of its own, a client repaints a
// 1200x700 area in a new colour every 10 ms, the pointer rests in it, and the program shows the
// area around the pointer from a window at the top left that the area never overlaps. Counters
// as above, with the X server's cost of the repainting alone (busy/painting-alone, measured
// first in the same run) taken off cpu_xserver_ms_per_frame; kb_per_frame is what the program
// moved through its sockets (/proc/PID/io rchar + wchar) a frame, the pixels that cross the X
// connection when MIT-SHM cannot be used (.../no-shm, MAGNIFIER_NO_SHM=1). xzoom is given
// -source of the same area; busy/server-floor/... is the minimal server-side pipeline
// (server-floor: one copy, one scaled composite and one round trip a frame, nothing else), whose
// frames it reports itself on SIGUSR1.
//
// MAGNIFIER_BASELINE_EXE names another build of the program (an older one) to measure side by
// side under the name "before/...".
//
// Frames of xzoom: it has no counter. It sleeps -delay ms after each frame, so interval/delay
// would overstate its rate; instead its write system calls (/proc/PID/io syscw) are counted:
// each xzoom frame flushes exactly two writes to the X connection (established with strace:
// 362 writev for 180 clock_nanosleep over two seconds), so frames = writes / 2. A rate above
// 1000/delay fps would mean that no longer holds, and is reported as an error.
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
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
constexpr auto kIdleSettle = std::chrono::milliseconds(1000);
constexpr auto kIdleInterval = std::chrono::milliseconds(5000);
constexpr double kXzoomWritesPerFrame = 2.0;

// Run time in seconds of all the process's threads (the toolkit reads its events on a thread of
// its own), from the scheduler's nanosecond counts: clock ticks of 10 ms are too coarse for a
// fraction of a percent or a tenth of a millisecond a frame.
double run_seconds(pid_t pid) {
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    unsigned long long total = 0;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream file(task.path() / "schedstat");
        unsigned long long ns = 0;
        if (file >> ns) total += ns;  // a thread that has just ended has no more to say
    }
    if (error) throw std::runtime_error("cannot list " + tasks.string() + ": " + error.message());
    return static_cast<double>(total) / 1e9;
}

// Voluntary context switches of all the process's threads so far: its wake-ups.
long long wake_ups(pid_t pid) {
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    long long total = 0;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream file(task.path() / "status");
        for (std::string line; std::getline(file, line);) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) total += std::stoll(line.substr(24));
        }
    }
    return total;
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
// connection, until destroyed. Paused, it sleeps until resumed rather than polling: a thread of
// the benchmark waking every 10 ms would weigh on the idle figures it is there to measure.
class PointerMover {
public:
    explicit PointerMover(const std::string& display_name)
        : connection_(open_display(display_name, std::chrono::milliseconds(5000))),
          thread_([this](std::stop_token stop) { run(stop); }) {}

    // Off, the pointer stays where it was put.
    void set_moving(bool moving) {
        {
            const std::lock_guard lock(mutex_);
            moving_ = moving;
        }
        changed_.notify_all();
    }

private:
    void run(std::stop_token stop) {
        Display* display = connection_.get();
        const Window root = DefaultRootWindow(display);
        const auto start = Clock::now();
        while (!stop.stop_requested()) {
            {
                std::unique_lock lock(mutex_);
                if (!changed_.wait(lock, stop, [this] { return moving_; })) return;
            }
            const double t = Seconds(Clock::now() - start).count();
            const int x = static_cast<int>(kScreenWidth / 2 + 0.45 * kScreenWidth * std::sin(t * 1.3));
            const int y = static_cast<int>(kScreenHeight / 2 + 0.45 * kScreenHeight * std::sin(t * 1.7 + 0.5));
            XWarpPointer(display, None, root, 0, 0, 0, 0, x, y);
            XFlush(display);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    XDisplayPtr connection_;
    std::mutex mutex_;
    std::condition_variable_any changed_;
    bool moving_ = true;
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

// The program measured: this build, or the one named by MAGNIFIER_BASELINE_EXE.
std::string program(bool baseline) {
    if (!baseline) return MAGNIFIER_EXE;
    const char* other = std::getenv("MAGNIFIER_BASELINE_EXE");
    return other != nullptr ? other : "";
}

// Starts the program and sets it to the client size and zoom, with the window at the top left.
WindowId set_up(MagnifierRun& run, int width, int height, int zoom) {
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
    return window;
}

Sample measure_magnifier(const std::string& exe, int width, int height, int zoom, std::chrono::milliseconds interval) {
    Bench& b = bench();
    b.mover.set_moving(true);
    const auto spawned = Clock::now();
    MagnifierRun run(b.display, exe, {{"MAGNIFIER_STATS", "1"}, {"QT_QPA_PLATFORM", std::nullopt}});
    const WindowId window = set_up(run, width, height, zoom);
    if (Clock::now() > spawned + kSettle) {
        throw std::runtime_error("set-up took longer than the settle time of " + std::to_string(kSettle.count()) +
                                 " ms; the two runs would not cancel");
    }
    std::this_thread::sleep_until(spawned + kSettle);

    const pid_t pid = run.process().pid();
    const pid_t server = b.display.server_pid();
    Sample sample;
    const auto t0 = Clock::now();
    const double process0 = run_seconds(pid), server0 = run_seconds(server);
    std::this_thread::sleep_for(interval);
    const double process1 = run_seconds(pid), server1 = run_seconds(server);
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

void BM_Magnifier(benchmark::State& state, bool baseline, int width, int height, int zoom) {
    for (auto _ : state) {
        try {
            const std::string exe = program(baseline);
            const Sample short_run = measure_magnifier(exe, width, height, zoom, kShortInterval);
            const Sample long_run = measure_magnifier(exe, width, height, zoom, kLongInterval);
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
            b.mover.set_moving(true);
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
            const double process0 = run_seconds(xzoom.pid()), server0 = run_seconds(server);
            const long long writes0 = write_syscalls(xzoom.pid());
            std::this_thread::sleep_for(kLongInterval);
            const double process1 = run_seconds(xzoom.pid()), server1 = run_seconds(server);
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

constexpr int kBusyWidth = 2560;
constexpr int kBusyHeight = 1440;
// Its source area lies right of the largest window (1600 x 1000 at the top left) at every size.
constexpr Point kBusyPointer{2100, 1150};
constexpr Rect kBusyArea{1300, 700, 1200, 700};
constexpr auto kBusyInterval = std::chrono::milliseconds(5000);

// Repaints kBusyArea in a new colour every 10 ms from its own X connection, until destroyed.
class Repainter {
public:
    explicit Repainter(const std::string& display_name)
        : connection_(open_display(display_name, std::chrono::milliseconds(5000))),
          thread_([this](std::stop_token stop) { run(stop); }) {}

private:
    void run(std::stop_token stop) {
        Display* display = connection_.get();
        const Window root = DefaultRootWindow(display);
        GC gc = XCreateGC(display, root, 0, nullptr);
        auto next = Clock::now();
        for (unsigned long colour = 0x203040; !stop.stop_requested(); colour = (colour * 1103515245u + 12345u) & 0xFFFFFF) {
            XSetForeground(display, gc, colour);
            XFillRectangle(display, root, gc, kBusyArea.x, kBusyArea.y, kBusyArea.width, kBusyArea.height);
            XSync(display, False);
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
        }
        XFreeGC(display, gc);
    }

    XDisplayPtr connection_;
    std::jthread thread_;
};

struct BusyBench {
    VirtualDisplay display{VirtualDisplay::Options{kBusyWidth, kBusyHeight, 24}};
    Repainter painter{display.name()};
    double painting_server_per_second = -1;  // the X server's share for the repainting alone
};

BusyBench& busy_bench() {
    static std::unique_ptr<BusyBench> busy;
    if (!busy) busy = std::make_unique<BusyBench>();
    return *busy;
}

// Bytes the process read and wrote through any file or socket so far.
long long io_bytes(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/io");
    std::string key;
    long long value = 0, total = 0;
    while (file >> key >> value) {
        if (key == "rchar:" || key == "wchar:") total += value;
    }
    return total;
}

double painting_alone(BusyBench& b) {
    if (b.painting_server_per_second < 0) {
        const Desktop desktop(b.display.env());
        desktop.move_mouse(kBusyPointer);
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        const pid_t server = b.display.server_pid();
        const auto t0 = Clock::now();
        const double s0 = run_seconds(server);
        std::this_thread::sleep_for(kBusyInterval);
        b.painting_server_per_second = (run_seconds(server) - s0) / Seconds(Clock::now() - t0).count();
    }
    return b.painting_server_per_second;
}

void report_busy(benchmark::State& state, BusyBench& b, double wall, double process, double server, double frames,
                 double bytes) {
    const double painting = painting_alone(b) * wall;
    report(state, wall, process, std::max(0.0, server - painting), frames);
    if (frames > 0) state.counters["kb_per_frame"] = bytes / frames / 1024.0;
}

void BM_PaintingAlone(benchmark::State& state) {
    for (auto _ : state) {
        BusyBench& b = busy_bench();
        b.painting_server_per_second = -1;
        state.SetIterationTime(1.0);
        state.counters["cpu_xserver_percent"] = 100.0 * painting_alone(b);
    }
}

// The magnifier on the busy screen: two runs, a short and a long interval, as in BM_Magnifier.
void BM_MagnifierBusy(benchmark::State& state, bool baseline, int width, int height, int zoom, bool no_shm) {
    for (auto _ : state) {
        try {
            BusyBench& b = busy_bench();
            painting_alone(b);
            Sample runs[2];
            double bytes[2] = {0, 0};
            for (int i = 0; i < 2; ++i) {
                const auto spawned = Clock::now();
                EnvOverrides env{{"MAGNIFIER_STATS", "1"}, {"QT_QPA_PLATFORM", std::nullopt}};
                if (no_shm) env["MAGNIFIER_NO_SHM"] = "1";
                MagnifierRun run(b.display, program(baseline), env);
                const WindowId window = set_up(run, width, height, zoom);
                run.desktop().move_mouse(kBusyPointer);
                std::this_thread::sleep_until(spawned + kSettle);
                const pid_t pid = run.process().pid(), server = b.display.server_pid();
                const auto t0 = Clock::now();
                const double p0 = run_seconds(pid), s0 = run_seconds(server);
                const long long io0 = io_bytes(pid);
                std::this_thread::sleep_for(i == 0 ? kShortInterval : kLongInterval);
                runs[i].cpu_process = run_seconds(pid) - p0;
                runs[i].cpu_server = run_seconds(server) - s0;
                bytes[i] = static_cast<double>(io_bytes(pid) - io0);
                runs[i].wall = Seconds(Clock::now() - t0).count();
                const auto status = run.close(window);
                if (!status || !status->success()) throw std::runtime_error("closing failed: " + run.describe());
                static const std::regex frames_line(R"(magnifier: frames (\d+))");
                std::smatch match;
                const std::string err = run.process().stderr_text();
                if (!std::regex_search(err, match, frames_line)) throw std::runtime_error("no frame count: " + err);
                runs[i].frames = std::stod(match[1]);
            }
            const double wall = runs[1].wall - runs[0].wall;
            const double frames = runs[1].frames - runs[0].frames;
            const double scale = wall / (runs[1].wall + runs[0].wall);
            report_busy(state, b, wall, (runs[0].cpu_process + runs[1].cpu_process) * scale,
                        (runs[0].cpu_server + runs[1].cpu_server) * scale, frames, (bytes[0] + bytes[1]) * scale);
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
        }
    }
}

// The source rectangle the magnifier shows for the pointer at kBusyPointer.
Rect busy_source(int width, int height, int zoom) {
    const int w = (width + zoom - 1) / zoom, h = (height + zoom - 1) / zoom;
    return Rect{kBusyPointer.x - width / (2 * zoom), kBusyPointer.y - height / (2 * zoom), w, h};
}

void BM_XzoomBusy(benchmark::State& state, int width, int height, int zoom) {
    for (auto _ : state) {
        try {
            BusyBench& b = busy_bench();
            painting_alone(b);
            const Rect source = busy_source(width, height, zoom);
            const Desktop desktop(b.display.env());
            desktop.move_mouse(kBusyPointer);
            // The window's size follows from the source's and the magnification.
            Process xzoom(SpawnOptions{{"xzoom", "-mag", std::to_string(zoom), "-geometry", "+0+0", "-source",
                                        std::to_string(source.width) + "x" + std::to_string(source.height) + "+" +
                                            std::to_string(source.x) + "+" + std::to_string(source.y),
                                        "-delay", std::to_string(kXzoomDelayMs)},
                                       b.display.env(), Stream::Discard, Stream::Capture, {}});
            if (!wait_until([&] { return desktop.find_windows("^xzoom").size() == 1; }, kSetupTimeout)) {
                throw std::runtime_error("no xzoom window; stderr: " + xzoom.stderr_text());
            }
            std::this_thread::sleep_for(kXzoomWarmUp);
            const pid_t server = b.display.server_pid();
            const auto t0 = Clock::now();
            const double p0 = run_seconds(xzoom.pid()), s0 = run_seconds(server);
            const long long w0 = write_syscalls(xzoom.pid()), io0 = io_bytes(xzoom.pid());
            std::this_thread::sleep_for(kBusyInterval);
            const double p1 = run_seconds(xzoom.pid()), s1 = run_seconds(server);
            const long long w1 = write_syscalls(xzoom.pid()), io1 = io_bytes(xzoom.pid());
            const double wall = Seconds(Clock::now() - t0).count();
            xzoom.terminate();
            report_busy(state, b, wall, p1 - p0, s1 - s0, static_cast<double>(w1 - w0) / kXzoomWritesPerFrame,
                        static_cast<double>(io1 - io0));
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
        }
    }
}

// The minimal server-side pipeline on the busy screen: the floor.
void BM_ServerFloorBusy(benchmark::State& state, int width, int height, int zoom) {
    for (auto _ : state) {
        try {
            BusyBench& b = busy_bench();
            painting_alone(b);
            const Rect source = busy_source(width, height, zoom);
            const Desktop desktop(b.display.env());
            desktop.move_mouse(kBusyPointer);
            Process floor(SpawnOptions{{SERVER_FLOOR_EXE, std::to_string(width), std::to_string(height),
                                        std::to_string(zoom), std::to_string(source.x), std::to_string(source.y)},
                                       b.display.env(), Stream::Discard, Stream::Capture, {}});
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            const auto frames_now = [&](std::size_t lines) {
                ::kill(floor.pid(), SIGUSR1);
                static const std::regex line(R"(frames (\d+)\n)");
                std::string text;
                if (!wait_until([&] {
                        text = floor.stderr_text();
                        return static_cast<std::size_t>(std::distance(
                                   std::sregex_iterator(text.begin(), text.end(), line), std::sregex_iterator())) > lines;
                    }, std::chrono::milliseconds(2000), std::chrono::milliseconds(1))) {
                    throw std::runtime_error("server-floor does not report its frames: " + text);
                }
                std::smatch last;
                for (auto it = std::sregex_iterator(text.begin(), text.end(), line); it != std::sregex_iterator(); ++it) last = *it;
                return std::stod(last[1]);
            };
            const pid_t server = b.display.server_pid();
            const auto t0 = Clock::now();
            const double p0 = run_seconds(floor.pid()), s0 = run_seconds(server);
            const long long io0 = io_bytes(floor.pid());
            const double f0 = frames_now(0);
            std::this_thread::sleep_for(kBusyInterval);
            const double f1 = frames_now(1);
            const double p1 = run_seconds(floor.pid()), s1 = run_seconds(server);
            const long long io1 = io_bytes(floor.pid());
            const double wall = Seconds(Clock::now() - t0).count();
            floor.terminate();
            report_busy(state, b, wall, p1 - p0, s1 - s0, f1 - f0, static_cast<double>(io1 - io0));
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
        }
    }
}

enum class Idle { still, pointer_moving, self_view };

// Share of one core, in percent, of the process and the X server over the interval, with the
// pointer put at `pointer` (or moving) once `settle` has passed.
void measure_idle(benchmark::State& state, pid_t pid, Idle kind, Point pointer) {
    Bench& b = bench();
    const Desktop desktop(b.display.env());
    b.mover.set_moving(kind == Idle::pointer_moving);
    if (kind != Idle::pointer_moving) desktop.move_mouse(pointer);
    std::this_thread::sleep_for(kIdleSettle);
    const pid_t server = b.display.server_pid();
    const auto t0 = Clock::now();
    const double process0 = run_seconds(pid), server0 = run_seconds(server);
    const long long wakes0 = wake_ups(pid);
    std::this_thread::sleep_for(kIdleInterval);
    const double process1 = run_seconds(pid), server1 = run_seconds(server);
    const long long wakes1 = wake_ups(pid);
    const double wall = Seconds(Clock::now() - t0).count();
    b.mover.set_moving(true);
    state.counters["wakeups_per_second"] = static_cast<double>(wakes1 - wakes0) / wall;
    state.SetIterationTime(wall);
    state.counters["cpu_percent"] = 100.0 * (process1 - process0 + server1 - server0) / wall;
    state.counters["cpu_process_percent"] = 100.0 * (process1 - process0) / wall;
    state.counters["cpu_xserver_percent"] = 100.0 * (server1 - server0) / wall;
}

// The window's client at the top left, 800 x 600 at zoom 4; the pointer far from it, or over it.
constexpr int kIdleWidth = 800, kIdleHeight = 600, kIdleZoom = 4;
Point idle_pointer(Idle kind) { return kind == Idle::self_view ? Point{400, 330} : Point{1500, 800}; }

void BM_MagnifierIdle(benchmark::State& state, bool baseline, Idle kind) {
    for (auto _ : state) {
        try {
            MagnifierRun run(bench().display, program(baseline), {{"QT_QPA_PLATFORM", std::nullopt}});
            const WindowId window = set_up(run, kIdleWidth, kIdleHeight, kIdleZoom);
            measure_idle(state, run.process().pid(), kind, idle_pointer(kind));
            run.close(window);
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
        }
    }
}

// Another program's idle figure: started with `argv`, measured once its one window, named to
// match `window_name`, is up.
void measure_other_idle(benchmark::State& state, const std::vector<std::string>& argv,
                        const std::string& window_name, Idle kind) {
    for (auto _ : state) {
        try {
            Bench& b = bench();
            Process other(SpawnOptions{argv, b.display.env(), Stream::Discard, Stream::Capture, {}});
            const Desktop desktop(b.display.env());
            if (!wait_until([&] { return desktop.find_windows(window_name).size() == 1; }, kSetupTimeout)) {
                throw std::runtime_error("no " + argv.front() + " window; stderr: " + other.stderr_text());
            }
            measure_idle(state, other.pid(), kind, idle_pointer(kind));
            other.terminate();
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
        }
    }
}

void BM_XzoomIdle(benchmark::State& state, Idle kind) {
    measure_other_idle(state,
                       {"xzoom", "-mag", std::to_string(kIdleZoom), "-geometry",
                        std::to_string(kIdleWidth) + "x" + std::to_string(kIdleHeight) + "+0+0", "-delay",
                        std::to_string(kXzoomDelayMs)},
                       "^xzoom", kind);
}

// The floor: a bare Qt window with a 10 ms timer, idle as the magnifier is in .../still.
void BM_TimerFloor(benchmark::State& state) {
    measure_other_idle(state, {TIMER_FLOOR_EXE}, "^timer-floor$", Idle::still);
}

// From the spawn to the first painted frame, the median of five starts, in milliseconds.
void BM_Startup(benchmark::State& state, bool baseline) {
    for (auto _ : state) {
        try {
            std::vector<double> times;
            for (int i = 0; i < 5; ++i) {
                const auto spawned = Clock::now();
                MagnifierRun run(bench().display, program(baseline),
                                 {{"MAGNIFIER_STATS", "1"}, {"QT_QPA_PLATFORM", std::nullopt}});
                const WindowId window = run.wait_for_window(kSetupTimeout);
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                run.close(window);
                static const std::regex first_line(R"(magnifier: first frame at (\d+) us)");
                std::smatch match;
                const std::string err = run.process().stderr_text();
                if (!std::regex_search(err, match, first_line)) {
                    throw std::runtime_error("no \"magnifier: first frame at N us\" on stderr: " + err);
                }
                const auto first = std::chrono::microseconds(std::stoll(match[1]));
                times.push_back(std::chrono::duration<double, std::milli>(first - spawned.time_since_epoch()).count());
            }
            std::sort(times.begin(), times.end());
            state.SetIterationTime(times[2] / 1000.0);
            state.counters["startup_ms"] = times[2];
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
        }
    }
}

// From a pointer warp to the changed pixels in the middle of the view, after the pointer has been
// still for more than a second (the case in which a warp is noticed last): mean and maximum of ten
// warps, in milliseconds.
void BM_MoveLatency(benchmark::State& state, bool baseline) {
    for (auto _ : state) {
        try {
            Bench& b = bench();
            b.mover.set_moving(false);
            MagnifierRun run(b.display, program(baseline), {{"QT_QPA_PLATFORM", std::nullopt}});
            const WindowId window = set_up(run, 200, 200, 2);
            const Rect client = run.desktop().client_geometry(window);
            const Rect middle{client.x + client.width / 2, client.y + client.height / 2, 1, 1};
            Display* display = b.display.x();
            double total = 0, longest = 0;
            constexpr int kMoves = 10;
            for (int i = 1; i <= kMoves; ++i) {
                const Point target{1000 + 3 * i, 500 + 2 * i};
                std::this_thread::sleep_for(std::chrono::milliseconds(1200));
                XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, target.x, target.y);
                XFlush(display);
                const auto t0 = Clock::now();
                const std::uint32_t wanted = UniquePattern::colour(target.x, target.y);
                if (!wait_until([&] { return grab_screen(display, middle).at(0, 0) == wanted; },
                                std::chrono::milliseconds(2000), std::chrono::milliseconds(0))) {
                    throw std::runtime_error("the view did not follow a warp to " + to_string(target));
                }
                const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
                total += ms;
                longest = std::max(longest, ms);
            }
            b.mover.set_moving(true);
            run.close(window);
            state.SetIterationTime(total / kMoves / 1000.0);
            state.counters["latency_mean_ms"] = total / kMoves;
            state.counters["latency_max_ms"] = longest;
        } catch (const std::exception& error) {
            bench().mover.set_moving(true);
            state.SkipWithError(error.what());
        }
    }
}

void register_all() {
    const bool with_baseline = !program(true).empty();
    const auto add = [](const std::string& name, auto function) {
        benchmark::RegisterBenchmark(name.c_str(), function)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    };
    for (bool baseline : {false, true}) {
        if (baseline && !with_baseline) continue;
        const std::string who = baseline ? "before" : "magnifier";
        add(who + "/startup", [baseline](benchmark::State& state) { BM_Startup(state, baseline); });
        add(who + "/200x200/zoom:2/warp-latency",
            [baseline](benchmark::State& state) { BM_MoveLatency(state, baseline); });
        for (const auto& [kind, name] : {std::pair{Idle::still, "still"}, std::pair{Idle::pointer_moving, "pointer-moving"},
                                         std::pair{Idle::self_view, "self-view"}}) {
            add(who + "/800x600/zoom:4/" + name,
                [baseline, kind](benchmark::State& state) { BM_MagnifierIdle(state, baseline, kind); });
            if (!baseline) {
                add(std::string("xzoom/800x600/mag:4/") + name,
                    [kind](benchmark::State& state) { BM_XzoomIdle(state, kind); });
            }
        }
        if (!baseline) add("qt-timer-floor/800x600/still", [](benchmark::State& state) { BM_TimerFloor(state); });
    }

    struct Config {
        int width, height, zoom;
    };
    // Busy screen, side by side in one run: each configuration's programs one after the other.
    add("busy/painting-alone", [](benchmark::State& state) { BM_PaintingAlone(state); });
    for (const Config c : {Config{200, 200, 2}, Config{800, 600, 4}, Config{1600, 1000, 2}}) {
        const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
        const std::string zoom = "/zoom:" + std::to_string(c.zoom);
        add("busy/magnifier/" + size + zoom,
            [c](benchmark::State& state) { BM_MagnifierBusy(state, false, c.width, c.height, c.zoom, false); });
        add("busy/magnifier/" + size + zoom + "/no-shm",
            [c](benchmark::State& state) { BM_MagnifierBusy(state, false, c.width, c.height, c.zoom, true); });
        if (with_baseline) {
            add("busy/before/" + size + zoom,
                [c](benchmark::State& state) { BM_MagnifierBusy(state, true, c.width, c.height, c.zoom, false); });
            add("busy/before/" + size + zoom + "/no-shm",
                [c](benchmark::State& state) { BM_MagnifierBusy(state, true, c.width, c.height, c.zoom, true); });
        }
        add("busy/xzoom/" + size + "/mag:" + std::to_string(c.zoom),
            [c](benchmark::State& state) { BM_XzoomBusy(state, c.width, c.height, c.zoom); });
        add("busy/server-floor/" + size + zoom,
            [c](benchmark::State& state) { BM_ServerFloorBusy(state, c.width, c.height, c.zoom); });
    }
    for (const Config c : {Config{200, 200, 2}, Config{800, 600, 4}, Config{1600, 1000, 2}, Config{1920, 1080, 1}}) {
        const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
        for (bool baseline : {false, true}) {
            if (baseline && !with_baseline) continue;
            add((baseline ? "before/" : "magnifier/") + size + "/zoom:" + std::to_string(c.zoom),
                [c, baseline](benchmark::State& state) { BM_Magnifier(state, baseline, c.width, c.height, c.zoom); });
        }
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
