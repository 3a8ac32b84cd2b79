// The magnifier on KDE Plasma's compositor: the unique pattern in a native Wayland window over
// the whole monitor, read back through xdg-desktop-portal-kde and PipeWire. Runs inside
// rig-kde.sh (headless KWin); the seat is KWin's fake input (magnifier_kde_rig_driver).

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
// The share dialog, centred on the monitor, lists cards no key can reach: first one offering a
// new virtual output, then the monitor, whose card spans about 10 to 225 pixels right of the
// middle and 150 above to 95 below it. A click checks the card; then Share, about 120 right of
// and 245 below the middle, is enabled.
constexpr Point kMonitorCard{kMonitorWidth / 2 + 120, kMonitorHeight / 2};
constexpr Point kShareButton{kMonitorWidth / 2 + 118, kMonitorHeight / 2 + 247};

class KdeDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::getenv("WAYLAND_DISPLAY") != nullptr && std::getenv("DISPLAY") != nullptr)
            << "not inside the KDE rig (rig-kde.sh)";
        x_ = open_display(std::getenv("DISPLAY"), kTimeout);
        seat_.emplace();
        seat_->move({640, 360});
        pattern_.emplace(
            SpawnOptions{{PATTERN_EXE}, {{"QT_QPA_PLATFORM", "wayland"}}, Stream::Capture, Stream::Capture, {}});
        const std::string expected = "shown " + std::to_string(kMonitorWidth) + "x" + std::to_string(kMonitorHeight);
        ASSERT_TRUE(wait_until([&] { return pattern_->stdout_text().find(expected) != std::string::npos; }, kTimeout))
            << "the pattern window did not fill the monitor: " << pattern_->stdout_text() << pattern_->stderr_text();
    }

    void start(const std::filesystem::path& config, int zoom, const std::string& extra = "") {
        // The window in the bottom right corner, away from the magnified parts and the dialog.
        write_file(config / "Orlenda" / "registry.reg",
                   "REGEDIT4\n\n[" + kMagnifierKey + "]\n" + word_line("Zoom", zoom) + "\n" +
                       word_line("WindowLeft", 860) + "\n" + word_line("WindowTop", 400) + "\n" +
                       word_line("WindowWidth", 400) + "\n" + word_line("WindowHeight", 300) + "\n" + extra);
        magnifier_.emplace(SpawnOptions{
            {MAGNIFIER_EXE}, {{"XDG_CONFIG_HOME", config.string()}, {"MAGNIFIER_CAPTURE", std::nullopt}},
            Stream::Discard, Stream::Capture, {}});
    }

    // Starts the magnifier and shares the monitor through the dialog. Clicks that come before the
    // dialog is mapped miss it; then it stays open with the card unchecked, and they are tried
    // again. Share is clicked rather than Return pressed: a lost key after a checking click would
    // make the next try uncheck the card.
    void start_and_share(const std::filesystem::path& config, int zoom) {
        DialogWatch dialog;
        start(config, zoom);
        ASSERT_TRUE(dialog.wait_for_dialog(kTimeout)) << "no share dialog; stderr: " << magnifier_->stderr_text();
        ASSERT_TRUE(wait_until(
            [&] {
                seat_->click(kMonitorCard);
                seat_->click(kShareButton);
                return wait_until([&] { return dialog.response().has_value(); }, std::chrono::milliseconds(4000));
            },
            std::chrono::milliseconds(30000)))
            << "the share dialog was not answered";
        ASSERT_EQ(dialog.response(), 0u) << "the share was not granted; stderr: " << magnifier_->stderr_text();
    }

    std::optional<std::string> stored_token(const std::filesystem::path& config) {
        std::optional<std::string> token;
        wait_until(
            [&] {
                token = RegFile::parse(read_file(config / "Orlenda" / "registry.reg"))
                            .raw(kMagnifierKey, "ScreenCastRestoreToken");
                return token.has_value();
            },
            kTimeout);
        return token;
    }

    // Waits for the magnifier's window and then until its view shows the monitor magnified
    // around the pointer; "" when it does.
    std::string wait_for_view(Point pointer, int zoom) {
        std::vector<WindowId> found;
        if (!wait_until([&] { return !(found = desktop_.find_windows(magnifier_->pid(), "^Magnifier")).empty(); },
                        kTimeout)) {
            return "no magnifier window; stderr: " + magnifier_->stderr_text();
        }
        seat_->move(pointer);
        std::string mismatch;
        wait_until(
            [&] {
                const Rect client = desktop_.client_geometry(found.front());
                const Image view = grab_window(x_.get(), found.front(), {0, 0, client.width, client.height});
                mismatch = compare_magnified(view, Magnification{pointer, client.width, client.height, zoom},
                                             pattern_screen(kMonitorWidth, kMonitorHeight), kHintRows);
                return mismatch.empty();
            },
            kTimeout, std::chrono::milliseconds(50));
        return mismatch;
    }

    XDisplayPtr x_;
    std::optional<Seat> seat_;
    std::optional<Process> pattern_;
    Desktop desktop_{EnvOverrides{}};
    std::optional<Process> magnifier_;
};

TEST_F(KdeDesktop, SharesTheMonitorThroughTheDialogAndRestoresTheShareWithoutOne) {
    TempDir config("magnifier-kde-config");
    ASSERT_NO_FATAL_FAILURE(start_and_share(config.path(), 2));
    const std::optional<std::string> token = stored_token(config.path());
    ASSERT_TRUE(token.has_value()) << "no restore token stored; stderr: " << magnifier_->stderr_text();
    EXPECT_EQ(token->front(), '"') << "the token is not a string value: " << *token;
    magnifier_.reset();

    // Nobody answers now: the back end shares the same monitor at once when the token is valid.
    DialogWatch restored;
    start(config.path(), 3, "\"ScreenCastRestoreToken\"=" + *token + "\n");
    EXPECT_TRUE(wait_until([&] { return restored.response().has_value(); }, kTimeout)) << "the restored share asked again";
    EXPECT_EQ(restored.response(), 0u);
}

TEST_F(KdeDesktop, MagnifiesTheSharedMonitor) {
    TempDir config("magnifier-kde-config");
    ASSERT_NO_FATAL_FAILURE(start_and_share(config.path(), 2));
    EXPECT_EQ(wait_for_view({200, 150}, 2), "");
    EXPECT_EQ(wait_for_view({420, 333}, 2), "");  // the view follows the pointer
    EXPECT_EQ(wait_for_view({kMonitorWidth - 2, 40}, 2), "");  // beyond the edge, black
    EXPECT_EQ(magnifier_->stderr_text(), "");
}

}  // namespace
}  // namespace e2e
