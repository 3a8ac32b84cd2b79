// Under a toolkit scale factor the magnifier still works in device pixels: a screen pixel is an
// exact N x N block of device pixels, not of scaled ones, the window keeps its size in pixels,
// and the stored placement is in pixels too.
#include <algorithm>
#include <sstream>

#include "DesktopSuite.h"

namespace e2e {
namespace {

constexpr Point kWindowPlace{1500, 760};
constexpr Point kFarCursor{400, 300};

struct Scaling {
    const char* name;
    EnvOverrides env;
};

class MagnifierScaling : public DesktopSuite<MagnifierScaling>, public ::testing::WithParamInterface<Scaling> {
protected:
    // The program was started with the scaling variables, so a pass says something about
    // scaling and not about a run that never saw them.
    ::testing::AssertionResult started_with_scaling() {
        const std::string environment = read_file("/proc/" + std::to_string(run_->process().pid()) + "/environ");
        std::vector<std::string> entries;
        std::istringstream split(environment);
        for (std::string entry; std::getline(split, entry, '\0');) entries.push_back(entry);
        for (const auto& [name, value] : GetParam().env) {
            const std::string wanted = name + "=" + value.value_or("");
            if (std::find(entries.begin(), entries.end(), wanted) == entries.end()) {
                return ::testing::AssertionFailure() << "test set-up: the program's environment lacks " << wanted;
            }
        }
        return ::testing::AssertionSuccess();
    }
};

TEST_P(MagnifierScaling, KeepsA200By200ClientAndMagnifiesPixelExactly) {
    start(GetParam().env);
    ASSERT_TRUE(started_with_scaling());
    EXPECT_TRUE(has_client_size(200, 200));
    EXPECT_TRUE(shows_caption(zoom_caption(2)));
    ASSERT_TRUE(place_client(kWindowPlace));
    EXPECT_TRUE(shows_magnified(kFarCursor, 2));
    desktop().activate(window_);
    desktop().key({"KP_Add"});
    ASSERT_TRUE(shows_caption(zoom_caption(3)));
    EXPECT_TRUE(shows_magnified(Point{kFarCursor.x + 37, kFarCursor.y - 23}, 3));
}

TEST_P(MagnifierScaling, StoresTheOuterFrameInPixels) {
    start(GetParam().env);
    ASSERT_TRUE(started_with_scaling());
    desktop().resize(window_, 260, 230);
    ASSERT_TRUE(has_client_size(260, 230));
    ASSERT_TRUE(place_client(Point{333, 222}));
    const Rect outer = desktop().outer_geometry(window_);
    ASSERT_TRUE(closes_cleanly());
    const auto file = stored_settings();
    ASSERT_TRUE(file) << run_->settings_file() << " is missing";
    EXPECT_EQ(file->word(kMagnifierKey, "WindowLeft"), outer.x) << to_string(outer) << "\n" << file_text();
    EXPECT_EQ(file->word(kMagnifierKey, "WindowTop"), outer.y) << to_string(outer) << "\n" << file_text();
    EXPECT_EQ(file->word(kMagnifierKey, "WindowWidth"), outer.width) << to_string(outer) << "\n" << file_text();
    EXPECT_EQ(file->word(kMagnifierKey, "WindowHeight"), outer.height) << to_string(outer) << "\n" << file_text();
}

INSTANTIATE_TEST_SUITE_P(Factors, MagnifierScaling,
                         ::testing::Values(Scaling{"QtScaleFactorTwo", {{"QT_SCALE_FACTOR", "2"}}},
                                           Scaling{
                                               "ScreenScaleFactorsTwo",
                                               {{"QT_SCREEN_SCALE_FACTORS", "2"}, {"QT_ENABLE_HIGHDPI_SCALING", "1"}}}),
                         [](const ::testing::TestParamInfo<Scaling>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
