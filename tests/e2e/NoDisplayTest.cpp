// Without a reachable X display the program must fail at once and say why on one line.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "harness/Process.h"
#include "harness/TempDir.h"

namespace e2e {
namespace {

struct Outcome {
    std::optional<ExitStatus> status;
    std::string err;
};

Outcome run_with_display(const std::optional<std::string>& display) {
    TempDir config("magnifier-e2e-config");
    Process process(SpawnOptions{{MAGNIFIER_EXE},
                                 {{"DISPLAY", display},
                                  {"WAYLAND_DISPLAY", std::nullopt},
                                  {"QT_QPA_PLATFORM", std::nullopt},
                                  {"XDG_CONFIG_HOME", config.str()}},
                                 Stream::Discard,
                                 Stream::Capture,
                                 {}});
    Outcome outcome{process.wait_for(std::chrono::milliseconds(15000)), {}};
    if (!outcome.status) process.terminate();
    outcome.err = process.stderr_text();
    return outcome;
}

// One line: some text, at most one newline and that one at the end.
bool is_one_line(const std::string& text) {
    if (text.empty() || text == "\n") return false;
    const auto newlines = std::count(text.begin(), text.end(), '\n');
    return newlines == 0 || (newlines == 1 && text.back() == '\n');
}

TEST(MagnifierWithoutDisplay, DisplayUnsetExitsWithTwoAndOneLineOnStderr) {
    const Outcome outcome = run_with_display(std::nullopt);
    ASSERT_TRUE(outcome.status.has_value()) << "still running after 15 s; stderr: " << outcome.err;
    EXPECT_TRUE(outcome.status->exited && outcome.status->code == 2)
        << outcome.status->describe() << "; stderr: " << outcome.err;
    EXPECT_TRUE(is_one_line(outcome.err)) << "stderr: [" << outcome.err << "]";
}

TEST(MagnifierWithoutDisplay, UnreachableDisplayExitsWithTwoAndOneLineOnStderr) {
    const Outcome outcome = run_with_display(":99999");
    ASSERT_TRUE(outcome.status.has_value()) << "still running after 15 s; stderr: " << outcome.err;
    EXPECT_TRUE(outcome.status->exited && outcome.status->code == 2)
        << outcome.status->describe() << "; stderr: " << outcome.err;
    EXPECT_TRUE(is_one_line(outcome.err)) << "stderr: [" << outcome.err << "]";
}

}  // namespace
}  // namespace e2e
