// magnifier.exe under Wine on two monitors side by side, of different sizes: a nested X server
// (Xephyr) with two screens joined by Xinerama, which Wine takes as its monitors when told not to
// use XRandR. The window comes back on the second monitor, larger than the primary one; closed
// while minimised it stores where it was; and at other DPIs (LogPixels) the band of texts is the
// 96 DPI one.
//
// MAGNIFIER_WIN_EXE names the program; WINE_LOADER the Wine loader (wine64 by default).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "harness/Desktop.h"
#include "harness/Process.h"
#include "harness/Screen.h"
#include "harness/TempDir.h"
#include "harness/ViewChecks.h"
#include "harness/VirtualDisplay.h"
#include "harness/Wait.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

constexpr int kHintRows = 20;
constexpr auto kTimeout = 10000ms;
const std::string kProgramKey = "HKCU\\Software\\Orlenda\\Kitmora Magnifier";

std::string environment_or(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

class MonitorsUnderWine : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        try {
            program_ = environment_or("MAGNIFIER_WIN_EXE", "");
            if (program_.empty()) throw std::runtime_error("MAGNIFIER_WIN_EXE is not set");
            loader_ = environment_or("WINE_LOADER", "wine64");
            prefix_ = std::make_unique<TempDir>("magnifier-wine-monitors");
            VirtualDisplay::Options options;
            options.xinerama_screens = {{1024, 768}, {1280, 1024}};
            display_ = std::make_unique<VirtualDisplay>(options);
            paint_root_background(display_->x(), UniquePattern::tiled_image(display_->width(), display_->height()));
            EnvOverrides boot = wine_environment();
            boot["DISPLAY"] = std::nullopt;
            const CommandResult made = run_command({"wineboot", "-i"}, boot, 180000ms);
            if (!made.status.success()) throw std::runtime_error("wineboot -i failed: " + made.err);
            run_command({"wineserver", "-w"}, boot, 60000ms);
            // Wine's X11 driver reads the monitors from XRandR, which sees one screen here; without
            // it, from Xinerama.
            run_checked({loader_, "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "UseXRandR", "/t", "REG_SZ",
                         "/d", "N", "/f"},
                        boot, 60000ms);
            run_command({"wineserver", "-w"}, boot, 60000ms);
        } catch (const std::exception& error) {
            setup_error_ = error.what();
        }
    }

    static void TearDownTestSuite() {
        if (prefix_) {
            try {
                run_command({"wineserver", "-k"}, wine_environment(), 30000ms);
            } catch (const std::exception&) {
                // Nothing left to stop.
            }
        }
        display_.reset();
        prefix_.reset();
    }

    static EnvOverrides wine_environment() {
        EnvOverrides env = display_ ? display_->env() : EnvOverrides{};
        env["WINEPREFIX"] = prefix_->str();
        env["WINEDEBUG"] = "-all";
        env["WINEDLLOVERRIDES"] = "mscoree=;mshtml=";
        env["WINEARCH"] = "win64";
        return env;
    }

    void SetUp() override {
        ASSERT_TRUE(setup_error_.empty()) << "cannot prepare the test: " << setup_error_;
        run_command({loader_, "reg", "delete", "HKCU\\Software\\Orlenda", "/f"}, wine_environment(), 60000ms);
        desktop_ = std::make_unique<Desktop>(wine_environment());
    }

    void TearDown() override { process_.reset(); }

    void reg_add(const std::string& key, const std::string& name, const std::string& type, const std::string& data) {
        run_checked({loader_, "reg", "add", key, "/v", name, "/t", type, "/d", data, "/f"}, wine_environment(),
                    60000ms);
    }

    static std::string word_hex(int value) {
        char text[8];
        std::snprintf(text, sizeof text, "%02x%02x", value & 0xFF, (value >> 8) & 0xFF);
        return text;
    }

    void store(int left, int top, int width, int height) {
        for (const auto& [name, value] : std::vector<std::pair<std::string, int>>{
                 {"WindowWidth", width}, {"WindowHeight", height}, {"WindowLeft", left}, {"WindowTop", top}})
            reg_add(kProgramKey, name, "REG_BINARY", word_hex(value));
    }

    void start() {
        SpawnOptions options;
        options.argv = {loader_, program_};
        options.env = wine_environment();
        process_.emplace(std::move(options));
        const auto found = wait_for_value([&] { return desktop_->find_windows("^(Magnifier|Nagy[^ ]*) \\["); },
                                          [](const std::vector<WindowId>& w) { return w.size() == 1; }, 60000ms, 100ms);
        ASSERT_TRUE(found.ok) << found.last.size() << " magnifier windows after 60 s; " << describe();
        window_ = found.last.front();
    }

    ViewChecks view() {
        return ViewChecks(*desktop_, display_->x(), window_, kTimeout, [this] { return describe(); });
    }

    std::string describe() {
        if (!process_) return "not started";
        std::string text;
        if (auto status = process_->poll()) text += "ended: " + status->describe() + "; ";
        return text + "stderr: " + process_->stderr_text();
    }

    // The program's stored geometry: left, top, width, height (-1 where missing).
    std::vector<long> stored() {
        const CommandResult result = run_command({loader_, "reg", "query", kProgramKey}, wine_environment(), 60000ms);
        std::map<std::string, long> values;
        static const std::regex line(R"(^\s+(\S+)\s+REG_BINARY\s+([0-9A-Fa-f]{4})\s*$)");
        std::istringstream lines(result.out);
        for (std::string text; std::getline(lines, text);) {
            if (!text.empty() && text.back() == '\r') text.pop_back();
            std::smatch match;
            if (std::regex_match(text, match, line)) {
                values[match[1]] = std::stol(match[2].str().substr(0, 2), nullptr, 16) +
                                   256 * std::stol(match[2].str().substr(2, 2), nullptr, 16);
            }
        }
        std::vector<long> geometry;
        for (const char* name : {"WindowLeft", "WindowTop", "WindowWidth", "WindowHeight"})
            geometry.push_back(values.count(name) ? values[name] : -1);
        return geometry;
    }

    static inline std::string program_;
    static inline std::string loader_;
    static inline std::unique_ptr<TempDir> prefix_;
    static inline std::unique_ptr<VirtualDisplay> display_;
    static inline std::string setup_error_;
    std::unique_ptr<Desktop> desktop_;
    std::optional<Process> process_;
    WindowId window_ = 0;
};

TEST_F(MonitorsUnderWine, RestartsOnTheSecondMonitorLargerThanThePrimaryAndClosedMinimisedKeepsIt) {
    // On the second monitor, larger than the 1024 x 768 primary.
    store(1100, 50, 1150, 900);
    start();
    ASSERT_TRUE(view().shows_caption("Magnifier [2:1]"));
    const Rect client = desktop_->client_geometry(window_);
    EXPECT_GE(client.x, 1100) << to_string(client);
    EXPECT_GT(client.width, 1024) << to_string(client);
    EXPECT_GT(client.height, 768) << to_string(client);
    EXPECT_TRUE(view().closes_cleanly(*process_, 20000ms));
    EXPECT_EQ(stored(), (std::vector<long>{1100, 50, 1150, 900}));

    // Closed while minimised: where it was, not where its icon is.
    store(1300, 200, 400, 300);
    start();
    ASSERT_TRUE(view().shows_caption("Magnifier [2:1]"));
    run_checked({"xdotool", "windowminimize", std::to_string(window_)}, desktop_->env());
    const auto hidden = wait_for_value([&] { return desktop_->wm_state(window_); },
                                       [](const std::vector<std::string>& s) {
                                           return std::find(s.begin(), s.end(), "_NET_WM_STATE_HIDDEN") != s.end();
                                       },
                                       kTimeout);
    ASSERT_TRUE(hidden.ok) << "test set-up: the window was not minimised";
    std::this_thread::sleep_for(500ms);  // Wine takes the state in
    EXPECT_TRUE(view().closes_cleanly(*process_, 20000ms));
    EXPECT_EQ(stored(), (std::vector<long>{1300, 200, 400, 300}));
}

// The key hint and the credit line at 120, 144 and 192 DPI: the band is the 96 DPI one, pixel for
// pixel, in both languages.
TEST_F(MonitorsUnderWine, TheBandOfTextsIsTheNinetySixDpiOneAtEveryDpi) {
    const Point cursor{300, 200};
    const auto band = [&](int dpi, int language) -> std::optional<Image> {
        reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", std::to_string(dpi));
        // No size saved by the run before, at another DPI: the window has its size from creation.
        run_command({loader_, "reg", "delete", kProgramKey, "/f"}, wine_environment(), 60000ms);
        reg_add("HKCU\\Software\\Orlenda", "Language", "REG_BINARY", language == 0 ? "0000" : "0100");
        reg_add(kProgramKey, "WindowLeft", "REG_BINARY", word_hex(600));
        reg_add(kProgramKey, "WindowTop", "REG_BINARY", word_hex(300));
        // Wine reads the DPI when its server starts.
        run_command({"wineserver", "-k"}, wine_environment(), 30000ms);
        run_command({"wineserver", "-w"}, wine_environment(), 30000ms);
        desktop_->move_mouse(cursor);
        start();
        if (!view().shows_caption(language == 0 ? "Nagy\xC3\xADt\xC3\xB3 [2:1]" : "Magnifier [2:1]"))
            return std::nullopt;
        // The bottom of the X window, wider than the band where Wine draws a frame of its own
        // inside it at a high DPI: the band is looked for in it.
        const Rect client = desktop_->client_geometry(window_);
        const int rows = std::min(client.height, kHintRows + 16);
        std::optional<Image> last;
        wait_until(
            [&] {
                Image now =
                    grab_screen(display_->x(), Rect{client.x, client.y + client.height - rows, client.width, rows});
                const bool same = last && last->pixels == now.pixels;
                last = std::move(now);
                return same;
            },
            kTimeout, 500ms);
        view().closes_cleanly(*process_, 20000ms);
        return last;
    };
    // Wine gives the window a wider client at a high DPI when a window manager frames it (its
    // own frame is wider than the manager's), and the view's centre moves with the width: the
    // view is of a plain grey area, so that only the texts can differ. The hint stands at the
    // left edge and the credit at a fixed distance from the right one.
    Image screen = UniquePattern::tiled_image(display_->width(), display_->height());
    for (int y = 50; y < 350; ++y)
        for (int x = 100; x < 500; ++x) screen.at(x, y) = 0x808080;
    paint_root_background(display_->x(), screen);
    const auto found = [](const Image& reference, const Image& seen) {
        const int y0 = reference.height - kHintRows;  // at 96 DPI the X window is the client
        for (int dy = 0; dy + kHintRows <= seen.height; ++dy) {
            bool same = true;
            for (int y = 0; same && y < kHintRows; ++y) {
                for (int x = 0; same && x < 110; ++x) same = seen.at(x, dy + y) == reference.at(x, y0 + y);
                for (int x = 1; same && x <= 90; ++x)
                    same = seen.at(seen.width - x, dy + y) == reference.at(reference.width - x, y0 + y);
            }
            if (same) return true;
        }
        return false;
    };
    for (const int language : {1, 0}) {
        const auto reference = band(96, language);
        ASSERT_TRUE(reference) << "language " << language << " at 96 DPI; " << describe();
        for (const int dpi : {120, 144, 192}) {
            const auto seen = band(dpi, language);
            ASSERT_TRUE(seen) << "language " << language << " at " << dpi << " DPI; " << describe();
            EXPECT_TRUE(found(*reference, *seen)) << "language " << language << " at " << dpi << " DPI: the band of "
                                                  << seen->width << " x " << seen->height << " pixels differs";
        }
    }
    reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", "96");
    paint_root_background(display_->x(), UniquePattern::tiled_image(display_->width(), display_->height()));
}

}  // namespace
}  // namespace e2e
