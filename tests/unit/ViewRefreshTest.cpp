// The refresh tick: the enlarged picture, the two lines of text over it and the caption.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "StartedMagnifier.h"
#include "app/NoticeLines.h"
#include "base/Arithmetic.h"

namespace {

using platform::fake::FakeForm;
using platform::fake::FakePlatform;
using namespace testsupport;

const std::string kHungarianName = "Nagy\xC3\xADt\xC3\xB3";
const std::string kHungarianHint = "Nagy\xC3\xADt\xC3\xA1s: [+] & [-]";

using ViewRefreshTest = MagnifierTest;

TEST_F(ViewRefreshTest, AtZoomThreeEveryScreenPixelIsAThreeByThreeBlock) {
    paintDistinctScreen(fake);
    start();
    resizeClient(fake, *form, 300, 200);
    window.setSize(3);
    fake.windows.setCursor(600, 400);
    form->tick();
    // 100 x 66.67 screen pixels fill the view; 400 - 33.33 rounds to 367.
    EXPECT_TRUE(viewShows(*form, fake.screen, 550, 367, 3));
    // The pixel under the cursor is in the middle.
    EXPECT_EQ(form->clientPixel(150, 100), fake.screen.pixel(600, 400));
    // The last row shows the 67th screen row, a third of it cut off.
    EXPECT_EQ(form->clientPixel(0, 199), fake.screen.pixel(550, 367 + 66));
    EXPECT_EQ(form->clientPixel(299, 198), fake.screen.pixel(649, 367 + 66));
}

TEST_F(ViewRefreshTest, ACursorThatCannotBeReadLeavesTheViewWhereItWas) {
    paintDistinctScreen(fake);
    start();
    resizeClient(fake, *form, 300, 200);
    fake.windows.setCursor(600, 400);
    form->tick();
    ASSERT_TRUE(viewShows(*form, fake.screen, 525, 350, 2));
    // The failed read leaves the last position in place, and the view shows what is there now.
    fake.windows.setCursorFails(true);
    fake.windows.setCursor(100, 100);
    fake.screen.setPixel(600, 400, 0x123456u);
    form->tick();
    EXPECT_TRUE(viewShows(*form, fake.screen, 525, 350, 2));
    EXPECT_EQ(form->clientPixel(150, 100), 0x123456u);
    fake.windows.setCursorFails(false);
    form->tick();
    EXPECT_TRUE(viewShows(*form, fake.screen, 25, 50, 2));
}

TEST_F(ViewRefreshTest, OddWidthKeepsHalfAColumnInsteadOfRescaling) {
    paintDistinctScreen(fake);
    start();
    resizeClient(fake, *form, 301, 200);
    fake.windows.setCursor(600, 500);
    form->tick();
    // 150.5 screen columns: the last client column is the first half of the 151st.
    EXPECT_TRUE(viewShows(*form, fake.screen, 525, 450, 2));
    EXPECT_EQ(form->clientPixel(300, 0), fake.screen.pixel(675, 450));
    EXPECT_EQ(form->clientPixel(299, 0), fake.screen.pixel(674, 450));
}

// Every zoom factor, with even and odd client sizes, near the middle and at a corner of the screen.
struct ClientSize {
    int width;
    int height;
};
struct Cursor {
    int x;
    int y;
};
std::ostream& operator<<(std::ostream& out, const ClientSize& s) { return out << s.width << "x" << s.height; }
std::ostream& operator<<(std::ostream& out, const Cursor& c) { return out << "(" << c.x << ", " << c.y << ")"; }

class ViewAtEveryZoom : public ::testing::TestWithParam<std::tuple<int, ClientSize, Cursor>> {};

TEST_P(ViewAtEveryZoom, ShowsTheScreenAroundTheCursorEnlarged) {
    const auto [zoom, size, cursor] = GetParam();
    FakePlatform fake;
    paintDistinctScreen(fake);
    app::FrmMain window(fake.toolkit);
    window.start();
    FakeForm& form = *fake.toolkit.lastForm();
    resizeClient(fake, form, size.width, size.height);
    window.setSize(static_cast<std::int16_t>(zoom));
    fake.windows.setCursor(cursor.x, cursor.y);
    form.tick();
    const long left = nearestEven(cursor.x - static_cast<double>(size.width) / (2 * zoom));
    const long top = nearestEven(cursor.y - static_cast<double>(size.height) / (2 * zoom));
    EXPECT_TRUE(viewShows(form, fake.screen, left, top, zoom));
}

INSTANTIATE_TEST_SUITE_P(Zooms, ViewAtEveryZoom,
                         ::testing::Combine(::testing::Range(1, 19),
                                            ::testing::Values(ClientSize{300, 200}, ClientSize{301, 203}),
                                            ::testing::Values(Cursor{960, 540}, Cursor{5, 1077})));

TEST_F(ViewRefreshTest, CaptionShowsTheZoomFromTheFirstTickOn) {
    start();
    EXPECT_EQ(form->Caption(), "Magnifier");
    form->tick();
    EXPECT_EQ(form->Caption(), "Magnifier [2:1]");
    window.setSize(18);
    form->tick();
    EXPECT_EQ(form->Caption(), "Magnifier [18:1]");
}

TEST_F(ViewRefreshTest, CreditLineThenKeyHintAlongTheBottom) {
    start();
    resizeClient(fake, *form, 300, 200);
    form->clearPrinted();
    form->tick();
    const auto& printed = form->printed();
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[0].text, app::kCreditLine);
    EXPECT_FLOAT_EQ(printed[0].x, 300 - 86);
    EXPECT_FLOAT_EQ(printed[0].y, 200 - 14);
    EXPECT_EQ(printed[1].text, "Zoom: [+] & [-]");
    EXPECT_FLOAT_EQ(printed[1].x, 2);
    EXPECT_FLOAT_EQ(printed[1].y, 200 - 14);
}

TEST_F(ViewRefreshTest, TextsFollowTheClientSize) {
    start();
    resizeClient(fake, *form, 517, 333);
    form->clearPrinted();
    form->tick();
    ASSERT_EQ(form->printed().size(), 2u);
    EXPECT_FLOAT_EQ(form->printed()[0].x, 517 - 86);
    EXPECT_FLOAT_EQ(form->printed()[0].y, 333 - 14);
    EXPECT_FLOAT_EQ(form->printed()[1].y, 333 - 14);
}

TEST_F(ViewRefreshTest, HungarianTextsWhenTheStoredLanguageIsZero) {
    storeBytes(fake, familyKey(), "Language", Bytes{0, 0});
    start();
    form->clearPrinted();
    form->tick();
    EXPECT_EQ(form->Caption(), kHungarianName + " [2:1]");
    ASSERT_EQ(form->printed().size(), 2u);
    EXPECT_EQ(form->printed()[0].text, app::kCreditLine);
    EXPECT_EQ(form->printed()[1].text, kHungarianHint);
}

TEST_F(ViewRefreshTest, AnyNonZeroLanguageIsEnglish) {
    start();
    for (std::int32_t language : {-1, 1, 2, 65535}) {
        window.AppLang = language;
        form->clearPrinted();
        form->tick();
        EXPECT_EQ(form->Caption(), "Magnifier [2:1]") << language;
        ASSERT_EQ(form->printed().size(), 2u);
        EXPECT_EQ(form->printed()[1].text, "Zoom: [+] & [-]") << language;
    }
}

TEST_F(ViewRefreshTest, MinimizedTickDoesNothingAtAll) {
    paintDistinctScreen(fake);
    start();
    fake.windows.setCursor(500, 500);
    form->tick();
    const std::uint32_t shown = form->clientPixel(100, 100);
    const std::string caption = form->Caption();
    const int captionWrites = form->captionWrites();
    const int paints = form->paints();
    const std::size_t read = fake.screen.pixelsRead();
    const std::size_t objects = fake.graphics.liveObjects();

    form->setWindowState(platform::WINDOW_MINIMIZED);
    form->clearPrinted();
    window.setSize(5);
    fake.windows.setCursor(900, 100);
    form->tick();
    form->tick();

    EXPECT_EQ(form->paints(), paints);
    EXPECT_EQ(fake.screen.pixelsRead(), read);
    EXPECT_EQ(fake.graphics.liveObjects(), objects);
    EXPECT_EQ(form->captionWrites(), captionWrites);
    EXPECT_EQ(form->Caption(), caption);
    EXPECT_TRUE(form->printed().empty());
    EXPECT_EQ(form->clientPixel(100, 100), shown);
}

TEST_F(ViewRefreshTest, RestoringResumesPaintingAtTheNextTick) {
    paintDistinctScreen(fake);
    start();
    form->setWindowState(platform::WINDOW_MINIMIZED);
    form->tick();
    form->setWindowState(platform::WINDOW_NORMAL);
    EXPECT_EQ(form->paints(), 0);
    fake.windows.setCursor(700, 300);
    form->tick();
    EXPECT_EQ(form->paints(), 1);
    EXPECT_EQ(form->Caption(), "Magnifier [2:1]");
    EXPECT_TRUE(viewShows(*form, fake.screen, 650, 250, 2));
}

TEST_F(ViewRefreshTest, MaximizedWindowIsPaintedLikeANormalOne) {
    paintDistinctScreen(fake);
    start();
    form->setWindowState(platform::WINDOW_MAXIMIZED);
    fake.windows.setCursor(700, 300);
    form->tick();
    EXPECT_EQ(form->paints(), 1);
    EXPECT_TRUE(viewShows(*form, fake.screen, 650, 250, 2));
}

// A tick over an unchanged view draws nothing; each single change is drawn at the next tick. The
// screen either reports its changed areas, as a display's damage events do, or leaves the tick to
// compare the pixels it reads.
class ChangeDrivenPainting : public ViewRefreshTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        paintDistinctScreen(fake);
        fake.screen.setChangeTracking(GetParam());
        start();
        fake.windows.setCursor(700, 300);
        form->tick();
        ASSERT_EQ(form->frames(), 1);
    }
    // Frames drawn by one more tick.
    int framesOfNextTick() {
        const int before = form->frames();
        form->tick();
        return form->frames() - before;
    }
};

TEST_P(ChangeDrivenPainting, NothingChangedNothingDrawnNorRead) {
    const std::size_t read = fake.screen.pixelsRead();
    EXPECT_EQ(framesOfNextTick(), 0);
    EXPECT_EQ(framesOfNextTick(), 0);
    // The core still asked for its picture, texts and caption.
    EXPECT_EQ(form->paints(), 3);
    EXPECT_EQ(form->Caption(), "Magnifier [2:1]");
    // Told by the screen, nothing is read at all; otherwise only the shown 100 x 100 pixels.
    EXPECT_EQ(fake.screen.pixelsRead() - read, GetParam() ? 0u : 2u * 100u * 100u);
    EXPECT_TRUE(viewShows(*form, fake.screen, 650, 250, 2));
}

TEST_P(ChangeDrivenPainting, EachSingleChangeIsDrawnAtTheNextTick) {
    fake.windows.setCursor(701, 300);
    EXPECT_EQ(framesOfNextTick(), 1) << "cursor";
    EXPECT_TRUE(viewShows(*form, fake.screen, 651, 250, 2));
    window.setSize(3);
    EXPECT_EQ(framesOfNextTick(), 1) << "zoom";
    window.setLang(0);
    EXPECT_EQ(framesOfNextTick(), 1) << "language";
    window.setLang(1);
    EXPECT_EQ(framesOfNextTick(), 1) << "language back";
    resizeClient(fake, *form, 240, 200);
    EXPECT_EQ(framesOfNextTick(), 1) << "size";
    fake.screen.setPixel(701 - 40, 300 - 33, 0x123456);  // the view's top-left screen pixel
    EXPECT_EQ(framesOfNextTick(), 1) << "screen pixel in the view";
    EXPECT_EQ(form->clientPixel(0, 0), 0x123456u);
    fake.screen.setPixel(701 - 41, 300 - 33, 0x654321);  // just left of it
    fake.screen.setPixel(701 + 40, 300, 0x654321);       // just right of it
    EXPECT_EQ(framesOfNextTick(), 0) << "screen pixels outside the view";
    form->setWindowState(platform::WINDOW_MINIMIZED);
    EXPECT_EQ(framesOfNextTick(), 0) << "minimized";
    form->setWindowState(platform::WINDOW_NORMAL);
    EXPECT_EQ(framesOfNextTick(), 1) << "restored";
    form->expose();
    EXPECT_EQ(framesOfNextTick(), 1) << "exposed";
    EXPECT_EQ(framesOfNextTick(), 0);
    EXPECT_TRUE(viewShows(*form, fake.screen, 661, 267, 3));
}

// With the cursor over its own window the magnifier reads its own picture back; once nothing
// else moves the picture stops changing, and with it the drawing.
TEST_P(ChangeDrivenPainting, SelfViewSettles) {
    const int clientLeft = static_cast<int>(form->Left()) / base::kTwipsPerPixel + fake.toolkit.frame.left;
    const int clientTop = static_cast<int>(form->Top()) / base::kTwipsPerPixel + fake.toolkit.frame.top;
    fake.windows.setCursor(clientLeft + 70, clientTop + 120);
    int lastFrameTick = 0;
    for (int tick = 1; tick <= 100; ++tick) {
        if (framesOfNextTick() != 0) lastFrameTick = tick;
        // The display shows what the window drew.
        for (int y = 0; y < form->clientHeight(); ++y)
            for (int x = 0; x < form->clientWidth(); ++x)
                if (fake.screen.pixel(clientLeft + x, clientTop + y) != form->clientPixel(x, y))
                    fake.screen.setPixel(clientLeft + x, clientTop + y, form->clientPixel(x, y));
    }
    EXPECT_GT(lastFrameTick, 1);
    EXPECT_LT(lastFrameTick, 20);
}

INSTANTIATE_TEST_SUITE_P(ScreenTellsOrNot, ChangeDrivenPainting, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "ScreenReportsChanges" : "PixelsCompared");
                         });

// The texts printed from the top, as (y, text).
std::vector<std::pair<float, std::string>> topTexts(const FakeForm& form) {
    std::vector<std::pair<float, std::string>> texts;
    for (const auto& printed : form.printed()) {
        if (printed.y < form.ScaleHeight() - 14) texts.emplace_back(printed.y, printed.text);
    }
    return texts;
}

TEST_F(ViewRefreshTest, TheScreenSourcesNoticeIsPrintedInTheLanguageBrokenToTheWidth) {
    using platform::ScreenNotice;
    using Lines = std::vector<std::pair<float, std::string>>;
    start();
    resizeClient(fake, *form, 200, 200);
    form->tick();
    EXPECT_TRUE(topTexts(*form).empty());  // a wholly readable screen says nothing

    // 42 characters at 6 pixels do not fit 196: broken at a blank.
    fake.screenStatus.setNotice(ScreenNotice::waitingForPermission);
    form->clearPrinted();
    form->tick();
    EXPECT_EQ(topTexts(*form), (Lines{{2.0f, "Waiting for permission to share"}, {16.0f, "the screen"}}));
    window.setLang(0);
    form->clearPrinted();
    form->tick();
    EXPECT_EQ(topTexts(*form), (Lines{{2.0f, "V\xC3\xA1rakoz\xC3\xA1s a k\xC3\xA9perny\xC5\x91"},
                                      {16.0f, "megoszt\xC3\xA1s\xC3\xA1nak enged\xC3\xA9lyez\xC3\xA9s\xC3\xA9re"}}));

    // Below the pixel tools' line.
    fake.screenStatus.setNotice(ScreenNotice::monitorNotShared);
    form->keyDown('I');
    form->clearPrinted();
    form->tick();
    const Lines texts = topTexts(*form);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1], (std::pair<float, std::string>{16.0f, "Ez a monitor nincs megosztva"}));
}

TEST(NoticeLines, WhatDoesNotFitIsShortenedWithAnEllipsis) {
    const app::TextMeasure measure = [](const std::string& text) { return static_cast<float>(text.size()); };
    // Too many lines for the room: the last one shown ends the text with an ellipsis.
    EXPECT_EQ(app::noticeLines("This monitor is not shared", 18, 1, measure),
              std::vector<std::string>{"This monitor is\xE2\x80\xA6"});
    EXPECT_EQ(app::noticeLines("", 10, 3, measure), std::vector<std::string>{});
    EXPECT_EQ(app::noticeLines("ab   cd", 10, 3, measure), std::vector<std::string>{"ab cd"});
    EXPECT_EQ(app::noticeLines("abcdefghijkl mn", 8, 3, measure),
              (std::vector<std::string>{"abcde\xE2\x80\xA6", "mn"}));  // the ellipsis is 3 bytes here
    // No room at all: one character and the ellipsis still say there is something.
    EXPECT_EQ(app::noticeLines("abc def", 1, 0, measure), std::vector<std::string>{"a\xE2\x80\xA6"});
}

}  // namespace
