// The view is drawn inside the X server where Render can draw it exactly, and in the program's
// memory otherwise (forced here with MAGNIFIER_NO_XRENDER). Both must show the same thing: every
// zoom from 1 to 18 exact on a client whose size is no multiple of the zoom, black beyond the
// screen's edges, a change under the view shown, and a view of its own window that settles.
#include <algorithm>
#include <chrono>
#include <fstream>
#include <ostream>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "DesktopSuite.h"
#include "harness/WindowFrames.h"

namespace e2e {
namespace {

constexpr Point kWindowPlace{1400, 700};
constexpr Point kCursor{523, 311};

struct ViewPath {
    const char* name;
    EnvOverrides env;
    const char* line;  // what MAGNIFIER_STATS says of the path at start
};

// Named in test listings by the path, not by the struct's bytes.
void PrintTo(const ViewPath& path, std::ostream* out) { *out << path.name; }

class ViewPaths : public DesktopSuite<ViewPaths>, public ::testing::WithParamInterface<ViewPath> {
protected:
    void SetUp() override {
        DesktopSuite::SetUp();
        if (HasFatalFailure()) return;
        start(merge({{"MAGNIFIER_STATS", "1"}}, GetParam().env));
        ASSERT_TRUE(place_client(kWindowPlace));
    }
    void TearDown() override {
        DesktopSuite::TearDown();
        paint_pattern();
    }
    // The path the program says it took: a pass then says something about that path.
    ::testing::AssertionResult took_its_path() const {
        const std::string text = run_->process().stderr_text();
        if (text.find(std::string("magnifier: ") + GetParam().line + "\n") != std::string::npos) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "stderr lacks \"" << GetParam().line << "\": " << text;
    }
    // From zoom `from` up to `zoom` with the keypad.
    void zoom_to(int zoom, int from) {
        desktop().activate(window_);
        desktop().key(std::vector<std::string>(static_cast<std::size_t>(zoom - from), "KP_Add"));
        ASSERT_TRUE(shows_caption(zoom_caption(zoom)));
    }
    // Voluntary context switches of all the program's threads: each is a wake-up.
    long wake_ups() const {
        long total = 0;
        const std::string tasks = "/proc/" + std::to_string(run_->process().pid()) + "/task";
        for (const auto& task : std::filesystem::directory_iterator(tasks)) {
            std::ifstream status(task.path() / "status");
            for (std::string line; std::getline(status, line);) {
                if (line.rfind("voluntary_ctxt_switches:", 0) == 0) total += std::stol(line.substr(24));
            }
        }
        return total;
    }
    void fill_root(const Rect& area, unsigned long pixel) {
        GC gc = XCreateGC(x(), DefaultRootWindow(x()), 0, nullptr);
        XSetForeground(x(), gc, pixel);
        XFillRectangle(x(), DefaultRootWindow(x()), gc, area.x, area.y, static_cast<unsigned>(area.width),
                       static_cast<unsigned>(area.height));
        XFreeGC(x(), gc);
        XSync(x(), False);
    }
};

TEST_P(ViewPaths, EveryZoomFromOneToEighteenIsExact) {
    ASSERT_TRUE(took_its_path());
    // 301 x 257: the last block in each direction is cut at every zoom but 1.
    desktop().resize(window_, 301, 257);
    ASSERT_TRUE(has_client_size(301, 257));
    desktop().activate(window_);
    desktop().key({"KP_Subtract"});
    ASSERT_TRUE(shows_caption(zoom_caption(1)));
    EXPECT_TRUE(shows_magnified(kCursor, 1));
    for (int zoom = 2; zoom <= 18; ++zoom) {
        zoom_to(zoom, zoom - 1);
        if (HasFatalFailure()) return;
        // The cursor moves by a zoom-dependent step, so odd and even positions both come up.
        EXPECT_TRUE(shows_magnified(Point{kCursor.x + zoom * 7, kCursor.y + zoom * 5}, zoom)) << "zoom " << zoom;
    }
}

TEST_P(ViewPaths, BeyondEveryEdgeOfTheScreenIsBlack) {
    ASSERT_TRUE(took_its_path());
    int current = 2;
    for (const int zoom : {3, 7}) {
        zoom_to(zoom, current);
        current = zoom;
        if (HasFatalFailure()) return;
        EXPECT_TRUE(shows_magnified(Point{0, 0}, zoom)) << "zoom " << zoom;
        EXPECT_TRUE(shows_magnified(Point{kScreenWidth - 1, 5}, zoom)) << "zoom " << zoom;
        EXPECT_TRUE(shows_magnified(Point{3, kScreenHeight - 2}, zoom)) << "zoom " << zoom;
        EXPECT_TRUE(shows_magnified(Point{kScreenWidth - 1, kScreenHeight - 1}, zoom)) << "zoom " << zoom;
    }
}

TEST_P(ViewPaths, ARepaintedAreaUnderTheViewShowsEachColour) {
    ASSERT_TRUE(took_its_path());
    ASSERT_TRUE(shows_magnified(kCursor, 2));
    const Rect client = desktop().client_geometry(window_);
    const Rect middle{client.x + client.width / 2, client.y + client.height / 2, 1, 1};
    // A busy screen: the area under the cursor repainted in one colour after another.
    for (const std::uint32_t colour : {0x102030u, 0xA0B0C0u, 0x00FF00u}) {
        fill_root(Rect{kCursor.x - 20, kCursor.y - 20, 40, 40}, colour);
        const auto seen = wait_for_value([&] { return grab_screen(x(), middle).at(0, 0); },
                                         [&](std::uint32_t rgb) { return rgb == colour; }, kTimeout);
        EXPECT_TRUE(seen.ok) << "the middle of the view shows " << hex_colour(seen.last) << ", not "
                             << hex_colour(colour);
    }
}

TEST_P(ViewPaths, AViewOfItsOwnWindowSettles) {
    ASSERT_TRUE(took_its_path());
    // The cursor on the window's own corner: the view shows itself, which changes with every paint.
    const Rect client = desktop().client_geometry(window_);
    desktop().move_mouse(Point{client.x + 10, client.y + 10});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    WindowFrames frames(x(), window_);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_EQ(frames.take(), 0) << "frames a second after the view of itself should have settled";
    // And it still follows the screen after that.
    EXPECT_TRUE(shows_magnified(kCursor, 2));
}

TEST_P(ViewPaths, AStillScreenWakesItRarelyAndAChangeStillShowsAtTheNextTick) {
    ASSERT_TRUE(took_its_path());
    ASSERT_TRUE(shows_magnified(kCursor, 2));
    const Rect client = desktop().client_geometry(window_);
    const Rect middle{client.x + client.width / 2, client.y + client.height / 2, 1, 1};
    std::vector<double> latencies;
    for (const std::uint32_t colour : {0x112233u, 0x445566u, 0x778899u, 0xAABBCCu, 0xDDEEFFu}) {
        // Still for a while: the program rests.
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        if (latencies.empty()) {
            const long before = wake_ups();
            std::this_thread::sleep_for(std::chrono::milliseconds(2000));
            const double per_second = static_cast<double>(wake_ups() - before) / 2.0;
            EXPECT_LE(per_second, 25.0) << "wake-ups a second over a still screen";
        }
        fill_root(Rect{kCursor.x - 20, kCursor.y - 20, 40, 40}, colour);
        const auto painted = std::chrono::steady_clock::now();
        const auto seen = wait_for_value([&] { return grab_screen(x(), middle).at(0, 0); },
                                         [&](std::uint32_t rgb) { return rgb == colour; }, kTimeout,
                                         std::chrono::milliseconds(1));
        ASSERT_TRUE(seen.ok) << "the middle of the view shows " << hex_colour(seen.last);
        latencies.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - painted).count());
    }
    // Not the 50 ms of the pointer's poll at rest: the change woke the program. The median, as
    // the machine may be busy with other work at any one moment.
    std::sort(latencies.begin(), latencies.end());
    EXPECT_LE(latencies[latencies.size() / 2], 20.0) << "median milliseconds from a change to the view showing it";
    RecordProperty("median_latency_ms", std::to_string(latencies[latencies.size() / 2]));

    // Moved by another program, which raw motion does not report, while at rest: the pointer's
    // poll finds it within its 50 ms.
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const Point warped{kCursor.x + 300, kCursor.y + 200};
    XWarpPointer(x(), None, DefaultRootWindow(x()), 0, 0, 0, 0, warped.x, warped.y);
    XSync(x(), False);
    const auto moved = std::chrono::steady_clock::now();
    const std::uint32_t wanted = UniquePattern::colour(warped.x, warped.y);
    const auto followed = wait_for_value([&] { return grab_screen(x(), middle).at(0, 0); },
                                         [&](std::uint32_t rgb) { return rgb == wanted; }, kTimeout,
                                         std::chrono::milliseconds(1));
    ASSERT_TRUE(followed.ok) << "after a warp the middle of the view shows " << hex_colour(followed.last);
    const double warp_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - moved).count();
    EXPECT_LE(warp_ms, 150.0) << "milliseconds from a warp to the view following it";
    RecordProperty("warp_latency_ms", std::to_string(warp_ms));
}

INSTANTIATE_TEST_SUITE_P(Paths, ViewPaths,
                         ::testing::Values(ViewPath{"InTheServer", {}, "view drawn in the X server"},
                                           ViewPath{"InMemory",
                                                    {{"MAGNIFIER_NO_XRENDER", "1"}},
                                                    "view drawn in memory: MAGNIFIER_NO_XRENDER is set"}),
                         [](const ::testing::TestParamInfo<ViewPath>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
