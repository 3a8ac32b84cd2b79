// The key hint and the credit line at other DPIs (Xft.dpi, QT_FONT_DPI): the band at the bottom
// of the view is, pixel for pixel, what it is at 96 DPI, in both languages.
#include "DesktopSuite.h"
#include "harness/TempDir.h"

namespace e2e {
namespace {

constexpr Point kWindowPlace{1500, 760};
constexpr Point kFarCursor{400, 300};

class OverlayDpi : public DesktopSuite<OverlayDpi> {
protected:
    void TearDown() override {
        run_.reset();
        if (display_) run_command({"xrdb", "-remove"}, display_->env());
    }

    void set_xft_dpi(int dpi) {
        const std::filesystem::path file = config_.path() / "resources";
        write_file(file, "Xft.dpi: " + std::to_string(dpi) + "\n");
        run_checked({"xrdb", "-merge", file.string()}, display_->env());
    }

    // The band's pixels once the view shows the screen around the cursor.
    std::optional<Image> band(int language, const EnvOverrides& env = {}) {
        write_file(config_.path() / "Orlenda" / "registry.reg",
                   "REGEDIT4\n\n[" + kOrlendaKey + "]\n" + word_line("Language", language) + "\n");
        start(env, config_.path(), "^(Magnifier|Nagy)");
        if (!place_client(kWindowPlace)) return std::nullopt;
        if (!shows_magnified(kFarCursor, 2)) return std::nullopt;
        const Rect client = desktop().client_geometry(window_);
        // The texts are made off the user-interface thread at first: give them a moment.
        std::optional<Image> last;
        wait_until(
            [&] {
                Image now =
                    grab_screen(x(), Rect{client.x, client.y + client.height - kHintRows, client.width, kHintRows});
                const bool same = last && last->pixels == now.pixels;
                last = std::move(now);
                return same;
            },
            kTimeout, std::chrono::milliseconds(300));
        return last;
    }

    static long differing(const Image& a, const Image& b) {
        if (a.width != b.width || a.height != b.height) return -1;
        long count = 0;
        for (std::size_t i = 0; i < a.pixels.size(); ++i) count += a.pixels[i] != b.pixels[i];
        return count;
    }

    TempDir config_{"magnifier-e2e-config"};
};

TEST_F(OverlayDpi, TheBandIsTheNinetySixDpiOneAtEveryDpiInBothLanguages) {
    for (const int language : {1, 0}) {
        const auto reference = band(language);
        ASSERT_TRUE(reference) << "language " << language << " at 96 DPI";
        for (const int dpi : {120, 144, 192}) {
            set_xft_dpi(dpi);
            const auto seen = band(language);
            ASSERT_TRUE(seen) << "language " << language << " at Xft.dpi " << dpi;
            EXPECT_EQ(differing(*reference, *seen), 0) << "language " << language << " at Xft.dpi " << dpi;
            run_command({"xrdb", "-remove"}, display_->env());
        }
        const auto scaled = band(language, {{"QT_FONT_DPI", "192"}});
        ASSERT_TRUE(scaled) << "language " << language << " with QT_FONT_DPI 192";
        EXPECT_EQ(differing(*reference, *scaled), 0) << "language " << language << " with QT_FONT_DPI 192";
    }
}

}  // namespace
}  // namespace e2e
