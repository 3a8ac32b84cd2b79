// The magnifier on a Wayland desktop: a native Wayland window showing the unique pattern over
// the whole monitor, read back through the screen-cast portal and PipeWire. Runs inside
// rig.sh, which provides the compositor, the portal and the buses; the share dialog is answered
// and the pointer moved through the compositor's remote-desktop seat (magnifier_rig_driver).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace e2e {
namespace {

constexpr int kMonitorWidth = 1280;
constexpr int kMonitorHeight = 720;
constexpr int kHintRows = 20;
constexpr auto kTimeout = std::chrono::milliseconds(10000);
// X keysyms the seat sends.
constexpr const char* kTab = "0xff09";
constexpr const char* kAltS = "0xffe9+0x73";
constexpr const char* kEscape = "0xff1b";
constexpr const char* kShift = "0xffe1";

// The seat: pointer and keyboard of the headless compositor.
class Seat {
public:
    Seat() : fifo_(dir_.path() / "commands") {
        if (::mkfifo(fifo_.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
        driver_.emplace(SpawnOptions{{RIG_DRIVER_EXE, fifo_.string()}, {}, Stream::Capture, Stream::Capture, {}});
        if (!wait_until([&] { return driver_->stdout_text().find("ready") != std::string::npos || !driver_->running(); },
                        kTimeout)) {
            throw std::runtime_error("the seat driver did not start: " + driver_->stderr_text());
        }
        // Without a reader the open fails at once rather than blocking.
        wait_until([&] { return (fd_ = ::open(fifo_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) >= 0; }, kTimeout);
        if (fd_ < 0) throw std::runtime_error("the seat driver does not read its commands: " + driver_->stderr_text());
    }
    ~Seat() {
        if (fd_ >= 0) ::close(fd_);
    }

    // Sends one command and waits for its answer.
    void send(const std::string& command) {
        const std::string line = command + "\n";
        if (::write(fd_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            throw std::runtime_error("cannot send " + command);
        }
        ++sent_;
        const bool answered = wait_until([&] { return answers() >= sent_; }, kTimeout);
        const std::string out = driver_->stdout_text();
        if (!answered || out.find("error") != std::string::npos) {
            throw std::runtime_error("the seat did not do \"" + command + "\": " + out + driver_->stderr_text());
        }
    }
    void move(Point p) { send("move " + std::to_string(p.x) + " " + std::to_string(p.y)); }
    void key(const std::string& keysyms) { send("key " + keysyms); }

private:
    std::size_t answers() const {
        const std::string out = driver_->stdout_text();
        std::size_t count = 0;
        for (std::size_t at = out.find('\n'); at != std::string::npos; at = out.find('\n', at + 1)) ++count;
        return count - 1;  // the "ready" line
    }
    TempDir dir_{"magnifier-seat"};
    std::filesystem::path fifo_;
    std::optional<Process> driver_;
    int fd_ = -1;
    std::size_t sent_ = 0;
};

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

    // Waits for the magnifier's window; the dialog, if any, must have been answered by then.
    WindowId wait_for_window() {
        std::vector<WindowId> found;
        wait_until([&] { return !(found = desktop_.find_windows(magnifier_->pid(), "^Magnifier")).empty() ||
                                !magnifier_->running(); },
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

    // Answers the share dialog when it is up: Tab selects the monitor, Alt+S shares it.
    void accept_dialog() {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        seat_->key(kTab);
        seat_->key(kAltS);
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
    start(config.path());
    accept_dialog();
    WindowId window = wait_for_window();
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
    start(config.path());
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    seat_->key(kEscape);
    const WindowId window = wait_for_window();
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
