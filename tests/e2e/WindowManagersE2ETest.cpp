// Window managers that do not answer the frame request in time: fluxbox never answers it, and
// openbox started after the magnifier cannot. The frame is learned when the window is framed,
// and restart after restart the window keeps its outer size and place, and its minimum.
#include <chrono>
#include <thread>

#include "DesktopSuite.h"
#include "harness/TempDir.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

class LateFrames : public DesktopSuite<LateFrames> {
public:
    static VirtualDisplay::Options display_options() {
        VirtualDisplay::Options options{kScreenWidth, kScreenHeight, 24};
        options.window_manager = false;
        return options;
    }

protected:
    void TearDown() override {
        run_.reset();
        if (display_) display_->stop_window_manager();
    }

    // The outer frame once the window manager has framed the window and the program has had
    // the time to act on it.
    Rect framed_outer() {
        const auto framed = wait_for_value([&] { return desktop().frame_extents(window_); },
                                           [](const auto& f) { return f.has_value(); }, kTimeout);
        if (!framed.ok) throw std::runtime_error("the window manager gave the window no frame extents");
        const auto settled = wait_for_value(
            [&] {
                const Rect first = desktop().outer_geometry(window_);
                std::this_thread::sleep_for(300ms);
                return std::make_pair(first, desktop().outer_geometry(window_));
            },
            [](const auto& pair) { return pair.first == pair.second; }, kTimeout);
        return settled.last.second;
    }

    // Five starts, each closed again: every one comes back as the first one was left.
    void restarts_keep_the_window(const std::function<void()>& before_window_manager,
                                  const std::function<void()>& after_start) {
        std::optional<Rect> first;
        for (int run = 0; run < 6; ++run) {
            before_window_manager();
            start({}, config_.path());
            after_start();
            const Rect outer = framed_outer();
            const Rect client = desktop().client_geometry(window_);
            EXPECT_GE(client.width, 200) << "run " << run << ": client " << to_string(client);
            EXPECT_GE(client.height, 200) << "run " << run << ": client " << to_string(client);
            if (first) {
                EXPECT_EQ(outer, *first) << "run " << run << " came back at " << to_string(outer) << ", not at "
                                         << to_string(*first);
            } else {
                // Somewhere the window manager would not choose by itself (the window's gravity
                // makes the move place the client).
                desktop().move(window_, 333, 222);
                const auto moved = wait_for_value([&] { return desktop().client_geometry(window_); },
                                                  [](const Rect& r) { return r.x == 333 && r.y == 222; }, kTimeout);
                ASSERT_TRUE(moved.ok) << "test set-up: the client stays at " << to_string(moved.last);
                first = framed_outer();
            }
            ASSERT_TRUE(closes_cleanly()) << "run " << run;
            const auto file = stored_settings();
            ASSERT_TRUE(file);
            EXPECT_EQ(file->word(kMagnifierKey, "WindowWidth"), first->width) << "run " << run << "\n" << file_text();
            EXPECT_EQ(file->word(kMagnifierKey, "WindowHeight"), first->height) << "run " << run << "\n" << file_text();
            EXPECT_EQ(file->word(kMagnifierKey, "WindowLeft"), first->x) << "run " << run << "\n" << file_text();
            EXPECT_EQ(file->word(kMagnifierKey, "WindowTop"), first->y) << "run " << run << "\n" << file_text();
        }
    }

    TempDir config_{"magnifier-e2e-config"};
};

TEST_F(LateFrames, FluxboxNeverAnswersTheFrameRequest) {
    display_->start_window_manager({"fluxbox"});
    restarts_keep_the_window([] {}, [] {});
    // The minimum holds in outer terms: the client cannot be made smaller than at creation.
    start({}, config_.path());
    framed_outer();
    desktop().resize(window_, 150, 150);
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(has_client_size(200, 200)) << to_string(desktop().client_geometry(window_));
}

TEST_F(LateFrames, OpenboxStartedOneSecondAfterTheMagnifier) {
    restarts_keep_the_window([] { display_->stop_window_manager(); },
                             [] {
                                 std::this_thread::sleep_for(1s);
                                 display_->start_window_manager({"openbox", "--sm-disable"});
                             });
}

}  // namespace
}  // namespace e2e
