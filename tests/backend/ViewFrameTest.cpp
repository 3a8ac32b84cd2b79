// The view drawn in memory: the frame record's decision, then the picture stretched onto the
// surface and the texts over it, from the pixels compared or straight from the capture.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include "platform/soft/FrameStats.h"
#include "platform/soft/SoftGraphics.h"
#include "platform/soft/ViewFrame.h"

namespace platform::soft {
namespace {

// A 40 x 30 screen whose pixel (x, y) is colour(x, y); what it says of its changes is set.
class StillScreen : public ScreenSource {
public:
    int width() const override { return 40; }
    int height() const override { return 30; }
    static std::uint32_t colour(int x, int y) { return static_cast<std::uint32_t>(x) * 0x100u + y + 1; }
    void read(int x, int y, const Surface& to) override {
        for (int r = 0; r < to.height; ++r)
            for (int c = 0; c < to.width; ++c) to.row(r)[c] = colour(x + c, y + r);
    }
    ScreenChange changedSinceLastCheck(const Rect& /*area*/) override { return answer; }
    ScreenChange answer = ScreenChange::unknown;
};

// Marks the text's corner white; not ready, it draws nothing.
class MarkingTexts : public TextPainter {
public:
    struct Drawn {
        int x, y;
        std::string text;
    };
    bool draw(const Surface& to, int x, int y, const std::string& text) override {
        drawn.push_back(Drawn{x, y, text});
        if (ready) to.row(y)[x] = 0xFFFFFFu;
        return ready;
    }
    std::vector<Drawn> drawn;
    bool ready = true;
};

class ViewFrameTest : public ::testing::TestWithParam<ScreenChange> {
protected:
    void SetUp() override { screen.answer = GetParam(); }

    // The screen's 10 x 10 pixels at (5, 5), taken as the program takes them.
    PictureRef capture() {
        const Handle screenDc = gdi.createScreenDC();
        const Handle memory = gdi.CreateCompatibleDC(screenDc);
        const Handle bitmap = gdi.CreateCompatibleBitmap(screenDc, 10, 10);
        const Handle previous = gdi.SelectObject(memory, bitmap);
        EXPECT_TRUE(gdi.BitBlt(memory, 0, 0, 10, 10, screenDc, 5, 5, SRCCOPY));
        gdi.SelectObject(memory, previous);
        gdi.DeleteDC(memory);
        gdi.releaseScreenDC(screenDc);
        return gdi.OleCreatePictureIndirect(PictDesc{20, PICTYPE_BITMAP, bitmap, 0}, true);
    }
    // A tick at zoom 2 over the 20 x 20 surface, a text over it.
    bool tick() {
        frame.paint(capture(), StretchRect{0, 0, 20, 20}, StretchRect{0, 0, 10, 10});
        frame.print(12.7f, 3.2f, "Zoom");
        return frame.finish(surface(), &texts);
    }
    // Drawn straight from the capture, nothing was kept to compare with: while the screen reports
    // changes the next tick compares afresh and draws once more.
    void settle() {
        if (GetParam() == ScreenChange::some) {
            EXPECT_TRUE(tick());
        }
    }
    Surface surface() { return Surface{pixels.data(), 20, 20, 20}; }
    std::uint32_t pixel(int x, int y) const { return pixels[static_cast<std::size_t>(y) * 20 + x]; }

    StillScreen screen;
    SoftGraphics gdi{screen};
    ViewFrame frame{gdi};
    MarkingTexts texts;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(400, 0);
};

TEST_P(ViewFrameTest, ThePictureIsStretchedAndTheTextsDrawnOverIt) {
    ASSERT_TRUE(tick());
    int wrong = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            if (!(x == 12 && y == 3) && pixel(x, y) != StillScreen::colour(5 + x / 2, 5 + y / 2)) ++wrong;
    EXPECT_EQ(wrong, 0);
    ASSERT_EQ(texts.drawn.size(), 1u);
    EXPECT_EQ(texts.drawn[0].x, 12);
    EXPECT_EQ(texts.drawn[0].y, 3);
    EXPECT_EQ(texts.drawn[0].text, "Zoom");
    EXPECT_EQ(pixel(12, 3), 0xFFFFFFu);
    // The capture went with the frame drawn.
    EXPECT_EQ(gdi.liveObjects(), 0u);
}

TEST_P(ViewFrameTest, AnUnchangedTickLeavesTheSurfaceAlone) {
    ASSERT_TRUE(tick());
    settle();
    const std::size_t textsDrawn = texts.drawn.size();
    pixels[0] = 0xABCDEFu;
    EXPECT_FALSE(tick());
    EXPECT_EQ(pixels[0], 0xABCDEFu);
    EXPECT_EQ(texts.drawn.size(), textsDrawn);
    EXPECT_EQ(gdi.liveObjects(), 0u);
    frame.invalidate();
    EXPECT_TRUE(tick());
    EXPECT_EQ(pixels[0], StillScreen::colour(5, 5));
}

TEST_P(ViewFrameTest, ATextNotReadyYetIsDrawnWithEverythingAtTheNextTick) {
    texts.ready = false;
    ASSERT_TRUE(tick());
    EXPECT_NE(pixel(12, 3), 0xFFFFFFu);
    texts.ready = true;
    EXPECT_TRUE(tick());
    EXPECT_EQ(pixel(12, 3), 0xFFFFFFu);
    settle();
    const std::size_t textsDrawn = texts.drawn.size();
    EXPECT_FALSE(tick());
    EXPECT_EQ(texts.drawn.size(), textsDrawn);
    EXPECT_GE(textsDrawn, 2u);
}

TEST_P(ViewFrameTest, DiscardedDrawingNeverReachesTheSurface) {
    frame.paint(capture(), StretchRect{0, 0, 20, 20}, StretchRect{0, 0, 10, 10});
    frame.discard();
    EXPECT_FALSE(frame.finish(surface(), &texts));
    EXPECT_EQ(pixel(0, 0), 0u);
    EXPECT_EQ(gdi.liveObjects(), 0u);
}

INSTANTIATE_TEST_SUITE_P(ScreenTellsOrNot, ViewFrameTest,
                         ::testing::Values(ScreenChange::unknown, ScreenChange::none, ScreenChange::some),
                         [](const ::testing::TestParamInfo<ScreenChange>& info) {
                             switch (info.param) {
                                 case ScreenChange::unknown: return std::string("Unknown");
                                 case ScreenChange::none: return std::string("NoChange");
                                 case ScreenChange::some: return std::string("SomeChange");
                             }
                             return std::string();
                         });

// A screen that reports a change under the picture at every tick.
class ReportedChanges : public ViewFrameTest {};

TEST_P(ReportedChanges, AreDrawnDirectOnlyAwayFromTheTargetsOwnArea) {
    frame.drawChangesDirect(true);
    ASSERT_TRUE(tick());
    EXPECT_TRUE(tick()) << "a reported change, drawn without comparing";
    EXPECT_TRUE(frame.record().drawsDirect());
    // The target shows inside the area the picture reads: its own repaint is compared and settles.
    frame.setOwnArea(Rect{12, 12, 30, 30});
    EXPECT_TRUE(tick()) << "nothing kept to compare with yet";
    EXPECT_FALSE(frame.record().drawsDirect());
    EXPECT_FALSE(tick());
    // Beside it, direct again.
    frame.setOwnArea(Rect{15, 0, 30, 5});
    EXPECT_TRUE(tick());
    EXPECT_TRUE(frame.record().drawsDirect());
}

INSTANTIATE_TEST_SUITE_P(ScreenSaysSo, ReportedChanges, ::testing::Values(ScreenChange::some));

TEST(FrameStatsTest, CountsTheFramesAndWhenTheFirstWasDrawn) {
    FrameStats stats;
    EXPECT_EQ(stats.frames(), 0u);
    EXPECT_EQ(stats.report(), "magnifier: frames 0\nmagnifier: first frame at 0 us\n");
    const auto microseconds = [] {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    const long long before = microseconds();
    stats.count();
    const long long after = microseconds();
    stats.count();
    stats.count();
    EXPECT_EQ(stats.frames(), 3u);
    std::smatch match;
    const std::string report = stats.report();
    ASSERT_TRUE(std::regex_match(report, match, std::regex("magnifier: frames 3\nmagnifier: first frame at ([0-9]+) us\n")))
        << report;
    const long long first = std::stoll(match[1]);
    EXPECT_GE(first, before);
    EXPECT_LE(first, after);
}

}  // namespace
}  // namespace platform::soft
