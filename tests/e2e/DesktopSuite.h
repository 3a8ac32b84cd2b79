#pragma once
// What the end-to-end suites share: one private X server with openbox per suite, its whole
// screen showing the unique pattern, and helpers that start the magnifier, find its window and
// wait for what a user would see. Each suite derives with itself as the parameter, so each
// gets its own server.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "harness/Desktop.h"
#include "harness/Magnifier.h"
#include "harness/RegFile.h"
#include "harness/Screen.h"
#include "harness/TopLevel.h"
#include "harness/ViewChecks.h"
#include "harness/VirtualDisplay.h"
#include "harness/Wait.h"

namespace e2e {

inline constexpr int kScreenWidth = 1920;
inline constexpr int kScreenHeight = 1080;
// The key hint and the credit line are painted over the bottom rows.
inline constexpr int kHintRows = 20;
inline constexpr auto kTimeout = std::chrono::milliseconds(5000);
// The caption at zoom 2 in Hungarian, UTF-8.
inline const std::string kHungarianCaption = "Nagy\xC3\xADt\xC3\xB3 [2:1]";

template <class Suite>
class DesktopSuite : public ::testing::Test {
protected:
    // A suite that needs another screen or window manager hides this.
    static VirtualDisplay::Options display_options() {
        return VirtualDisplay::Options{kScreenWidth, kScreenHeight, 24};
    }

    static void SetUpTestSuite() {
        try {
            display_ = std::make_unique<VirtualDisplay>(Suite::display_options());
            paint_pattern();
        } catch (const std::exception& error) {
            display_.reset();
            setup_error_ = error.what();
        }
    }
    static void TearDownTestSuite() { display_.reset(); }

    void SetUp() override { ASSERT_TRUE(display_) << "cannot start the virtual display: " << setup_error_; }
    void TearDown() override { run_.reset(); }

    static void paint_pattern() {
        const int width = display_->width(), height = display_->height();
        paint_root_background(display_->x(), width > 2048 ? UniquePattern::tiled_image(width, height)
                                                          : UniquePattern::image(width, height));
    }

    // Starts the magnifier (ending the one before, if any) and waits for its window. With no
    // config_home the run gets a fresh settings folder of its own.
    void start(const EnvOverrides& extra_env = {}, const std::optional<std::filesystem::path>& config_home = {},
               const std::string& name_regex = "^Magnifier") {
        run_.reset();
        const EnvOverrides env = merge({{"QT_QPA_PLATFORM", std::nullopt}}, extra_env);
        if (config_home) {
            run_ = std::make_unique<MagnifierRun>(*display_, MAGNIFIER_EXE, env, *config_home);
        } else {
            run_ = std::make_unique<MagnifierRun>(*display_, MAGNIFIER_EXE, env);
        }
        window_ = run_->wait_for_window(name_regex);
    }

    const Desktop& desktop() const { return run_->desktop(); }
    Display* x() const { return display_->x(); }

    // The checks of what the user sees, shared with the suite of the Windows build.
    ViewChecks view() const {
        return ViewChecks(desktop(), x(), window_, kTimeout, [this] { return run_->describe(); });
    }

    // Moves the window so its client area starts at `place` and waits until it is there.
    ::testing::AssertionResult place_client(Point place) const { return view().moves_client_to(place); }
    ::testing::AssertionResult shows_caption(const std::string& expected) const {
        return view().shows_caption(expected);
    }
    ::testing::AssertionResult has_client_size(int width, int height) const {
        return view().has_client_size(width, height);
    }
    // Puts the cursor at `cursor` and waits until the client area, above the hint rows, shows
    // the screen around it magnified `zoom` times, exactly.
    // A screen whose size changed is given as screen_size.
    ::testing::AssertionResult shows_magnified(Point cursor, int zoom,
                                               Point screen_size = {kScreenWidth, kScreenHeight}) const {
        return view().shows_magnified(cursor, zoom, screen_size, kHintRows, std::chrono::milliseconds(30));
    }

    // The settings file as it is now, parsed; nothing if it cannot be read.
    std::optional<RegFile> stored_settings() const {
        try {
            return RegFile::parse(read_file(run_->settings_file()));
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }

    // Waits until the settings file holds the two-byte value, while the program runs.
    ::testing::AssertionResult stores_word(const std::string& key, const std::string& name, int expected) {
        std::optional<int> last;
        const bool ok = wait_until(
            [&] {
                const auto file = stored_settings();
                last = file ? file->word(key, name) : std::nullopt;
                return last == expected;
            },
            kTimeout);
        if (ok) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "after " << kTimeout.count() << " ms [" << key << "] \"" << name << "\" is "
               << (last ? std::to_string(*last) : std::string("absent")) << ", expected " << expected << "; file "
               << run_->settings_file()
               << (std::filesystem::exists(run_->settings_file()) ? ":\n" + file_text() : " missing");
    }

    std::string file_text() const {
        try {
            return read_file(run_->settings_file());
        } catch (const std::exception& error) {
            return error.what();
        }
    }

    // Closes the window through the window manager and expects a clean exit.
    ::testing::AssertionResult closes_cleanly() const {
        return view().closes_cleanly(run_->process(), std::chrono::milliseconds(10000));
    }

    static inline std::unique_ptr<VirtualDisplay> display_;
    static inline std::string setup_error_;
    std::unique_ptr<MagnifierRun> run_;
    WindowId window_ = 0;
};

}  // namespace e2e
