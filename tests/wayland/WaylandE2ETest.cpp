// The magnifier on a Wayland desktop: a native Wayland window showing the unique pattern over
// the whole monitor, read back through the screen-cast portal and PipeWire. Runs inside
// rig.sh, which provides the compositor, the portal and the buses; the share dialog is answered
// and the pointer moved through the compositor's remote-desktop seat (magnifier_rig_driver).

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "harness/Desktop.h"
#include "harness/Process.h"
#include "harness/RegFile.h"
#include "harness/Screen.h"
#include "harness/TempDir.h"
#include "harness/VirtualDisplay.h"
#include "harness/Wait.h"
#include "rig/Seat.h"

namespace e2e {
namespace {

constexpr int kMonitorWidth = 1280;
constexpr int kMonitorHeight = 720;
constexpr int kHintRows = 20;
constexpr auto kTimeout = std::chrono::milliseconds(10000);
class WaylandDesktop : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        try {
            const char* wayland = std::getenv("WAYLAND_DISPLAY");
            const char* x11 = std::getenv("DISPLAY");
            if (wayland == nullptr || x11 == nullptr) throw std::runtime_error("not inside the Wayland rig (rig.sh)");
            x_ = open_display(x11, kTimeout);
            seat_ = std::make_unique<Seat>();
            // Mutter makes the seat's keyboard and pointer on first use only.
            seat_->move({640, 360});
            seat_->key(kShift);
            pattern_.emplace(SpawnOptions{{PATTERN_EXE}, {{"QT_QPA_PLATFORM", "wayland"}}, Stream::Capture,
                                          Stream::Capture, {}});
            const std::string expected = "shown " + std::to_string(kMonitorWidth) + "x" + std::to_string(kMonitorHeight);
            if (!wait_until([&] { return pattern_->stdout_text().find(expected) != std::string::npos; }, kTimeout)) {
                throw std::runtime_error("the pattern window did not fill the monitor: " + pattern_->stdout_text() +
                                         pattern_->stderr_text());
            }
        } catch (const std::exception& error) {
            setup_error_ = error.what();
        }
    }
    static void TearDownTestSuite() {
        pattern_.reset();
        seat_.reset();
        x_.reset();
    }
    void SetUp() override { ASSERT_TRUE(setup_error_.empty()) << setup_error_; }
    void TearDown() override { magnifier_.reset(); }

    // Settings that put the window in the bottom right corner, away from the magnified parts.
    static void write_settings(const std::filesystem::path& config, int zoom, const std::string& extra = "") {
        write_file(config / "Orlenda" / "registry.reg",
                   "REGEDIT4\n\n[" + kMagnifierKey + "]\n" + word_line("Zoom", zoom) + "\n" +
                       word_line("WindowLeft", 860) + "\n" + word_line("WindowTop", 400) + "\n" +
                       word_line("WindowWidth", 400) + "\n" + word_line("WindowHeight", 300) + "\n" + extra);
    }

    void start(const std::filesystem::path& config) {
        magnifier_.emplace(SpawnOptions{
            {MAGNIFIER_EXE}, {{"XDG_CONFIG_HOME", config.string()}, {"MAGNIFIER_CAPTURE", std::nullopt}},
            Stream::Discard, Stream::Capture, {}});
    }

    // Waits for the magnifier's window. With `answer` keys, first waits for the share dialog and
    // answers it; the keys are sent again every few seconds until the window shows, in case the
    // dialog missed them.
    WindowId wait_for_window(DialogWatch* dialog = nullptr, const std::vector<std::string>& answer = {}) {
        if (dialog != nullptr && !dialog->wait_for_dialog(kTimeout)) {
            throw std::runtime_error("no share dialog; stderr: " + magnifier_->stderr_text());
        }
        std::vector<WindowId> found;
        auto next_answer = std::chrono::steady_clock::now();
        wait_until(
            [&] {
                if (!answer.empty() && std::chrono::steady_clock::now() >= next_answer) {
                    for (const std::string& keys : answer) seat_->key(keys);
                    next_answer += std::chrono::milliseconds(3000);
                }
                return !(found = desktop_.find_windows(magnifier_->pid(), "^Magnifier")).empty() ||
                       !magnifier_->running();
            },
            std::chrono::milliseconds(30000), std::chrono::milliseconds(100));
        if (found.size() != 1) throw std::runtime_error("no magnifier window; stderr: " + magnifier_->stderr_text());
        return found.front();
    }

    // Waits until the view shows the monitor magnified around the pointer; "" when it does.
    std::string wait_for_view(WindowId window, Point pointer, int zoom) {
        std::string mismatch;
        wait_until(
            [&] {
                const Rect client = desktop_.client_geometry(window);
                const Image view = grab_window(x_.get(), window, {0, 0, client.width, client.height});
                mismatch = compare_magnified(view, Magnification{pointer, client.width, client.height, zoom},
                                             pattern_screen(kMonitorWidth, kMonitorHeight), kHintRows);
                return mismatch.empty();
            },
            kTimeout, std::chrono::milliseconds(50));
        return mismatch;
    }

    static inline XDisplayPtr x_;
    static inline std::unique_ptr<Seat> seat_;
    static inline std::optional<Process> pattern_;
    static inline std::string setup_error_;
    Desktop desktop_{EnvOverrides{}};
    std::optional<Process> magnifier_;
};

TEST_F(WaylandDesktop, MagnifiesTheSharedMonitorAndRestoresTheShareOnTheNextStart) {
    TempDir config("magnifier-wayland-config");
    write_settings(config.path(), 2);
    DialogWatch dialog;
    start(config.path());
    // Tab selects the monitor in the share dialog, Alt+S shares it.
    WindowId window = wait_for_window(&dialog, {kTab, kAltS});
    const std::optional<std::string> token =
        RegFile::parse(read_file(config.path() / "Orlenda" / "registry.reg")).raw(kMagnifierKey, "ScreenCastRestoreToken");
    ASSERT_TRUE(token.has_value()) << "no restore token stored";
    EXPECT_EQ(token->front(), '"') << "the token is not a string value: " << *token;

    seat_->move({200, 150});
    EXPECT_EQ(wait_for_view(window, {200, 150}, 2), "");
    seat_->move({420, 333});  // the view follows the pointer
    EXPECT_EQ(wait_for_view(window, {420, 333}, 2), "");
    magnifier_.reset();

    // The second start shares the same monitor without a dialog: nobody answers one here, so
    // the window would not show before the portal's long wait ran out.
    write_settings(config.path(), 3, "\"ScreenCastRestoreToken\"=" + *token + "\n");
    start(config.path());
    window = wait_for_window();
    seat_->move({301, 207});
    EXPECT_EQ(wait_for_view(window, {301, 207}, 3), "");
    // Beyond the monitor's edges the view is black.
    seat_->move({3, 2});
    EXPECT_EQ(wait_for_view(window, {3, 2}, 3), "");
    seat_->move({kMonitorWidth - 2, 40});
    EXPECT_EQ(wait_for_view(window, {kMonitorWidth - 2, 40}, 3), "");
    EXPECT_EQ(magnifier_->stderr_text(), "");
}

TEST_F(WaylandDesktop, CancelledShareKeepsRunningOnX11WithAMessage) {
    TempDir config("magnifier-wayland-config");
    write_settings(config.path(), 2);
    DialogWatch dialog;
    start(config.path());
    const WindowId window = wait_for_window(&dialog, {kEscape});
    EXPECT_TRUE(wait_until([&] { return magnifier_->stderr_text().find('\n') != std::string::npos; }, kTimeout));
    EXPECT_EQ(magnifier_->stderr_text(),
              "magnifier: screen sharing was cancelled; reading the X11 screen instead, which shows only X11 "
              "windows\n");
    // The message is painted at the top of the view, in white letters.
    long long white = 0;
    const bool shown = wait_until(
        [&] {
            const Rect client = desktop_.client_geometry(window);
            const Image top = grab_window(x_.get(), window, {0, 0, client.width, 24});
            // The letters are white, smoothed at their edges.
            white = std::count_if(top.pixels.begin(), top.pixels.end(), [](std::uint32_t p) {
                return (p >> 16 & 0xFF) > 0xC0 && (p >> 8 & 0xFF) > 0xC0 && (p & 0xFF) > 0xC0;
            });
            return white > 100;
        },
        kTimeout);
    EXPECT_TRUE(shown) << "no message in the view: " << white << " light pixels at the top";
    EXPECT_TRUE(magnifier_->running());
}

}  // namespace
}  // namespace e2e
