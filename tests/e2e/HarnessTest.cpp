// The harness checks itself: a pixel checker that passed everything, or a process runner that
// lost exit codes, would make every end-to-end test worthless. No X server is needed here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "harness/Process.h"
#include "harness/Screen.h"
#include "harness/TempDir.h"

namespace e2e {
namespace {

// What a correct magnifier would show for the view, drawn from the model.
Image render(const Magnification& view, const ScreenModel& screen) {
    Image image{view.client_width, view.client_height,
                std::vector<std::uint32_t>(static_cast<std::size_t>(view.client_width) * view.client_height)};
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Point p = view.source(x, y);
            image.at(x, y) = screen(p.x, p.y);
        }
    }
    return image;
}

TEST(UniquePattern, EveryScreenPixelNamesItsOwnPositionAndNoneIsBlack) {
    for (int y = 0; y < 1080; ++y) {
        for (int x = 0; x < 1920; ++x) {
            const std::uint32_t c = UniquePattern::colour(x, y);
            ASSERT_NE(c, 0u) << x << "," << y;
            ASSERT_EQ(c & 0xff000000u, 0u);
            ASSERT_EQ(UniquePattern::position(c), (Point{x, y}));
        }
    }
    EXPECT_EQ(UniquePattern::position(0), std::nullopt);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(divide_round_half_even(25, 2), 12);
    EXPECT_EQ(divide_round_half_even(27, 2), 14);
    EXPECT_EQ(divide_round_half_even(-25, 2), -12);
    EXPECT_EQ(divide_round_half_even(-27, 2), -14);
    EXPECT_EQ(divide_round_half_even(7, 3), 2);
    EXPECT_EQ(divide_round_half_even(8, 3), 3);
    EXPECT_EQ(divide_round_half_even(-7, 3), -2);
    EXPECT_EQ(divide_round_half_even(-8, 3), -3);
    EXPECT_EQ(divide_round_half_even(-6, 3), -2);
}

TEST(Magnification, OriginIsCursorMinusHalfTheViewRoundedHalfToEven) {
    EXPECT_EQ((Magnification{{1200, 700}, 200, 200, 2}.origin()), (Point{1150, 650}));
    EXPECT_EQ((Magnification{{1200, 700}, 200, 200, 3}.origin()), (Point{1167, 667}));  // 33.33...
    EXPECT_EQ((Magnification{{1001, 601}, 200, 200, 8}.origin()), (Point{988, 588}));   // 988.5
    EXPECT_EQ((Magnification{{1002, 602}, 200, 200, 8}.origin()), (Point{990, 590}));   // 989.5
    EXPECT_EQ((Magnification{{0, 0}, 200, 200, 2}.origin()), (Point{-50, -50}));
    const Magnification view{{1200, 700}, 200, 200, 3};
    EXPECT_EQ(view.source(0, 0), (Point{1167, 667}));
    EXPECT_EQ(view.source(2, 2), (Point{1167, 667}));
    EXPECT_EQ(view.source(3, 5), (Point{1168, 668}));
    EXPECT_EQ(view.source(100, 100), (Point{1200, 700}));
}

class Checker : public ::testing::Test {
protected:
    const ScreenModel screen_ = pattern_screen(1920, 1080);
};

TEST_F(Checker, AcceptsAnExactMagnification) {
    for (int zoom : {1, 2, 3, 8, 18}) {
        const Magnification view{{1200, 700}, 200, 200, zoom};
        EXPECT_EQ(compare_magnified(render(view, screen_), view, screen_, 20), "") << "zoom " << zoom;
    }
}

TEST_F(Checker, ReportsAViewOffByOnePixel) {
    const Magnification view{{1200, 700}, 200, 200, 2};
    const Magnification shifted{{1201, 700}, 200, 200, 2};
    const std::string mismatch = compare_magnified(render(shifted, screen_), view, screen_, 20);
    EXPECT_NE(mismatch.find("client pixel (0,0) is 0x"), std::string::npos) << mismatch;
    EXPECT_NE(mismatch.find("= pattern at screen (1151,650)"), std::string::npos) << mismatch;
    EXPECT_NE(mismatch.find("36000 of 36000 compared pixels differ"), std::string::npos) << mismatch;
    EXPECT_NE(mismatch.find("expected 0x"), std::string::npos) << mismatch;
    EXPECT_NE(mismatch.find("= screen (1150,650)"), std::string::npos) << mismatch;
}

TEST_F(Checker, ReportsRoundingHalfUp) {
    // At zoom 8 the exact left edge is 988.5; a magnifier rounding up starts at 989.
    const Magnification view{{1001, 601}, 200, 200, 8};
    Image wrong = render(view, [&](int x, int y) { return screen_(x + 1, y); });
    EXPECT_NE(compare_magnified(wrong, view, screen_, 20), "");
}

TEST_F(Checker, ReportsSmoothing) {
    // A bilinear scaler, as a toolkit's smooth transformation would do it.
    const Magnification view{{1200, 700}, 200, 200, 3};
    const Point origin = view.origin();
    Image smooth{200, 200, std::vector<std::uint32_t>(200 * 200)};
    for (int cy = 0; cy < 200; ++cy) {
        for (int cx = 0; cx < 200; ++cx) {
            const double sx = origin.x + (cx + 0.5) / 3 - 0.5, sy = origin.y + (cy + 0.5) / 3 - 0.5;
            const int x0 = static_cast<int>(std::floor(sx)), y0 = static_cast<int>(std::floor(sy));
            const double fx = sx - x0, fy = sy - y0;
            std::uint32_t out = 0;
            for (int shift : {16, 8, 0}) {
                auto channel = [&](int x, int y) { return static_cast<double>((screen_(x, y) >> shift) & 0xff); };
                const double top = channel(x0, y0) * (1 - fx) + channel(x0 + 1, y0) * fx;
                const double bottom = channel(x0, y0 + 1) * (1 - fx) + channel(x0 + 1, y0 + 1) * fx;
                out |= static_cast<std::uint32_t>(std::lround(top * (1 - fy) + bottom * fy)) << shift;
            }
            smooth.at(cx, cy) = out;
        }
    }
    const std::string mismatch = compare_magnified(smooth, view, screen_, 20);
    EXPECT_NE(mismatch, "");
    // Most blended pixels are off: smoothing cannot hide behind a few lucky ones.
    const auto of = mismatch.rfind("; ");
    ASSERT_NE(of, std::string::npos) << mismatch;
    EXPECT_GT(std::stol(mismatch.substr(of + 2)), 18000) << mismatch;
}

TEST_F(Checker, ReportsTheWrongZoom) {
    const Magnification view{{1200, 700}, 200, 200, 3};
    const Magnification other{{1200, 700}, 200, 200, 2};
    EXPECT_NE(compare_magnified(render(other, screen_), view, screen_, 20), "");
}

TEST_F(Checker, ReportsOneWrongPixelAboveTheHintRowsButNotInThem) {
    const Magnification view{{1200, 700}, 200, 200, 2};
    Image image = render(view, screen_);
    image.at(5, 185) = 0xffffff;  // in the bottom 20 rows: the key hint may be there
    EXPECT_EQ(compare_magnified(image, view, screen_, 20), "");
    image.at(5, 179) ^= 1;
    const std::string mismatch = compare_magnified(image, view, screen_, 20);
    EXPECT_NE(mismatch.find("client pixel (5,179)"), std::string::npos) << mismatch;
    EXPECT_NE(mismatch.find("1 of 36000 compared pixels differ"), std::string::npos) << mismatch;
}

TEST_F(Checker, ComparesOnlyTheChosenPixelsAndNeedsEnoughOfThem) {
    const Magnification view{{1200, 700}, 200, 200, 2};
    Image image = render(view, screen_);
    image.at(150, 150) = 0xffffff;  // outside the chosen half
    const auto left_half = [](int cx, int) { return cx < 100; };
    EXPECT_EQ(compare_magnified_where(image, view, screen_, left_half, 20000), "");
    // A region smaller than the check needs fails, whatever it shows.
    const std::string too_few = compare_magnified_where(image, view, screen_, left_half, 20001);
    EXPECT_NE(too_few.find("only 20000 client pixels"), std::string::npos) << too_few;
    image.at(50, 50) ^= 1;
    const std::string mismatch = compare_magnified_where(image, view, screen_, left_half, 20000);
    EXPECT_NE(mismatch.find("client pixel (50,50)"), std::string::npos) << mismatch;
    EXPECT_NE(mismatch.find("1 of 20000 compared pixels differ"), std::string::npos) << mismatch;
}

TEST_F(Checker, ExpectsBlackOffTheScreen) {
    const Magnification view{{0, 0}, 200, 200, 2};
    EXPECT_EQ(compare_magnified(render(view, screen_), view, screen_, 20), "");
    // A magnifier that clamps to the screen edge instead of painting black.
    Image clamped = render(view, [&](int x, int y) { return screen_(std::max(x, 0), std::max(y, 0)); });
    const std::string mismatch = compare_magnified(clamped, view, screen_, 20);
    EXPECT_NE(mismatch.find("(off the screen: black)"), std::string::npos) << mismatch;
}

TEST_F(Checker, ReportsASizeMismatch) {
    const Magnification view{{1200, 700}, 200, 200, 2};
    const Magnification bigger{{1200, 700}, 210, 200, 2};
    EXPECT_NE(compare_magnified(render(bigger, screen_), view, screen_, 20), "");
}

TEST(Processes, ExitCodeStdoutAndStderrAreCaptured) {
    const CommandResult result = run_command({"sh", "-c", "echo out; echo err >&2; exit 3"});
    EXPECT_TRUE(result.status.exited);
    EXPECT_EQ(result.status.code, 3);
    EXPECT_EQ(result.out, "out\n");
    EXPECT_EQ(result.err, "err\n");
}

TEST(Processes, EnvironmentOverridesSetAndRemoveVariables) {
    ::setenv("E2E_HARNESS_PROBE", "inherited", 1);
    EXPECT_EQ(run_checked({"sh", "-c", "echo ${E2E_HARNESS_PROBE-removed}"}), "inherited\n");
    EXPECT_EQ(run_checked({"sh", "-c", "echo ${E2E_HARNESS_PROBE-removed}"}, {{"E2E_HARNESS_PROBE", "set"}}),
              "set\n");
    EXPECT_EQ(run_checked({"sh", "-c", "echo ${E2E_HARNESS_PROBE-removed}"}, {{"E2E_HARNESS_PROBE", std::nullopt}}),
              "removed\n");
    ::unsetenv("E2E_HARNESS_PROBE");
}

TEST(Processes, AHangingChildIsReportedAndEnded) {
    Process process(SpawnOptions{{"sleep", "30"}, {}, Stream::Discard, Stream::Capture, {}});
    EXPECT_EQ(process.wait_for(std::chrono::milliseconds(100)), std::nullopt);
    const ExitStatus status = process.terminate(std::chrono::milliseconds(1000));
    EXPECT_FALSE(status.exited);
    EXPECT_EQ(status.signal, SIGTERM);
    EXPECT_THROW(run_command({"sleep", "30"}, {}, std::chrono::milliseconds(100)), std::runtime_error);
}

TEST(Processes, AMissingProgramIsAnError) {
    EXPECT_THROW(run_command({"e2e-harness-no-such-program"}), std::runtime_error);
    EXPECT_THROW(run_command({"/nonexistent/program"}), std::runtime_error);
}

TEST(Processes, PassedDescriptorsReachTheChild) {
    TempDir dir;
    const auto file = dir.path() / "out";
    FILE* handle = std::fopen(file.c_str(), "w");
    ASSERT_NE(handle, nullptr);
    {
        Process process(SpawnOptions{{"sh", "-c", "echo hello >&5"}, {}, Stream::Discard, Stream::Capture,
                                     {{fileno(handle), 5}}});
        const auto status = process.wait_for(std::chrono::milliseconds(5000));
        ASSERT_TRUE(status.has_value());
        EXPECT_TRUE(status->success()) << status->describe() << ": " << process.stderr_text();
    }
    std::fclose(handle);
    EXPECT_EQ(std::filesystem::file_size(file), 6u);
}

TEST(TempDirs, AreRemovedWithTheirContents) {
    std::filesystem::path path;
    {
        TempDir dir;
        path = dir.path();
        std::filesystem::create_directories(path / "a" / "b");
        EXPECT_TRUE(std::filesystem::is_directory(path / "a" / "b"));
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace e2e
