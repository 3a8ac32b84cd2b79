#pragma once
// The checks an end-to-end suite makes of the magnifier's window as a user sees it, whichever
// build runs it (the Linux program, or the Windows one under Wine): each waits up to a timeout for
// what should be seen and, as a GoogleTest assertion result, says what was seen instead.
// For GoogleTest suites only: the harness library itself does not link GoogleTest.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "harness/Desktop.h"
#include "harness/Process.h"
#include "harness/Screen.h"
#include "harness/Wait.h"

namespace e2e {

class ViewChecks {
public:
    // `describe` tells the program's state (running or its exit status, its stderr) for failures.
    ViewChecks(const Desktop& desktop, Display* display, WindowId window, std::chrono::milliseconds timeout,
               std::function<std::string()> describe)
        : desktop_(desktop), display_(display), window_(window), timeout_(timeout), describe_(std::move(describe)) {}

    ::testing::AssertionResult shows_caption(const std::string& expected) const {
        const auto seen = wait_for_value([&] { return desktop_.caption(window_); },
                                         [&](const std::optional<std::string>& c) { return c == expected; }, timeout_);
        if (seen.ok) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "caption still " << (seen.last ? '"' + *seen.last + '"' : "unset") << " after " << timeout_.count()
               << " ms, expected \"" << expected << "\"; " << describe_();
    }

    ::testing::AssertionResult has_client_size(int width, int height) const {
        const auto seen =
            wait_for_value([&] { return desktop_.client_geometry(window_); },
                           [&](const Rect& r) { return r.width == width && r.height == height; }, timeout_);
        if (seen.ok) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "client is " << to_string(seen.last) << " after " << timeout_.count()
                                             << " ms, expected " << width << "x" << height;
    }

    // Where a window manager may keep the frame on the screen or a title bar in sight, the
    // client may end up right of or below the place asked for: `Exactly` or `AtLeast` there.
    enum class Placement { Exactly, AtLeast };

    // Moves the window so its client area starts at `place` and waits until it is there.
    ::testing::AssertionResult moves_client_to(Point place, Placement placement = Placement::Exactly) const {
        desktop_.move(window_, place.x, place.y);
        const auto moved = wait_for_value(
            [&] { return desktop_.client_geometry(window_); },
            [&](const Rect& r) {
                return placement == Placement::Exactly ? r.x == place.x && r.y == place.y
                                                       : r.x >= place.x && r.y >= place.y;
            },
            timeout_);
        if (moved.ok) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "moved to " << to_string(place) << " but the client stays at " << to_string(moved.last);
    }

    // Puts the cursor at `cursor` and waits until the client area, above the bottom
    // `ignored_rows` (the key hint and the credit line), shows the screen of the unique pattern
    // around it magnified `zoom` times, exactly. `model` replaces the pattern where the screen
    // should show something else (black between monitors).
    ::testing::AssertionResult shows_magnified(Point cursor, int zoom, Point screen_size, int ignored_rows,
                                               std::chrono::milliseconds poll = kDefaultPoll,
                                               const ScreenModel& model = {}) const {
        const Rect client = desktop_.client_geometry(window_);
        const Magnification view{cursor, client.width, client.height, zoom};
        const Point origin = view.origin();
        const Rect source{origin.x, origin.y, (client.width + zoom - 1) / zoom, (client.height + zoom - 1) / zoom};
        // The frame of the window lies around the client; 40 pixels covers it.
        if (source.intersects(client.grown(40))) {
            return ::testing::AssertionFailure() << "test set-up: the captured area " << to_string(source)
                                                 << " overlaps the magnifier's window " << to_string(client);
        }
        desktop_.move_mouse(cursor);
        const ScreenModel screen = model ? model : pattern_screen(screen_size.x, screen_size.y);
        const auto seen = wait_for_value(
            [&] { return compare_magnified(grab_screen(display_, client), view, screen, ignored_rows); },
            [](const std::string& mismatch) { return mismatch.empty(); }, timeout_, poll);
        if (seen.ok) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "after " << timeout_.count() << " ms: " << seen.last;
    }

    // Closes the window through the window manager, as its close button would, and expects the
    // program to end with status 0 within `exit_timeout`.
    ::testing::AssertionResult closes_cleanly(Process& program, std::chrono::milliseconds exit_timeout) const {
        desktop_.close(window_);
        const std::optional<ExitStatus> status = program.wait_for(exit_timeout);
        if (!status) {
            return ::testing::AssertionFailure() << "still running " << exit_timeout.count()
                                                 << " ms after the close request; " << describe_();
        }
        if (!status->success()) return ::testing::AssertionFailure() << describe_();
        return ::testing::AssertionSuccess();
    }

private:
    const Desktop& desktop_;
    Display* display_;
    WindowId window_;
    std::chrono::milliseconds timeout_;
    std::function<std::string()> describe_;
};

}  // namespace e2e
