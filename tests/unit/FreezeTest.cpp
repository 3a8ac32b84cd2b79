// Space freezes the view and Escape (or Space again) lets it follow the pointer again; a frozen
// view shows what zoom 1 saw at the freeze, at every zoom, around the same centre.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "StartedMagnifier.h"

namespace {

using namespace testsupport;

constexpr std::int16_t kSpace = 32;
constexpr std::int16_t kEscape = 27;
const std::string kFrozenHungarian = "Meg\xC3\xA1ll\xC3\xADtva";

class FreezeTest : public MagnifierTest {
protected:
    void SetUp() override {
        paintDistinctScreen(fake);
        start();
        resizeClient(fake, *form, 300, 200);
        fake.windows.setCursor(600, 400);
        form->tick();
    }
    // Every screen pixel the view can show, changed.
    void changeTheScreen() {
        for (int y = 200; y < 600; ++y)
            for (int x = 400; x < 800; ++x) fake.screen.setPixel(x, y, fake.screen.pixel(x, y) ^ 0x00FFFFFFu);
    }
    bool printed(const std::string& text) const {
        const auto& texts = form->printed();
        return std::any_of(texts.begin(), texts.end(), [&](const auto& p) { return p.text == text; });
    }
    platform::fake::FakeScreen before{1920, 1080};
    void remember() {
        // All a view of this window around (600, 400) can show, at any zoom.
        for (int y = 100; y < 700; ++y)
            for (int x = 300; x < 900; ++x) before.setPixel(x, y, fake.screen.pixel(x, y));
    }
};

TEST_F(FreezeTest, HoldsTheViewWhileTheScreenChangesAndThePointerMoves) {
    remember();
    form->keyDown(kSpace);
    EXPECT_TRUE(window.frozen());
    changeTheScreen();
    fake.windows.setCursor(100, 900);
    form->tick();
    EXPECT_TRUE(viewShows(*form, before, 525, 350, 2));
    form->tick();
    EXPECT_TRUE(viewShows(*form, before, 525, 350, 2));
}

TEST_F(FreezeTest, ZoomWhileFrozenShowsTheSameCentreFromTheKeptPicture) {
    remember();
    form->keyDown(kSpace);
    changeTheScreen();
    fake.windows.setCursor(10, 10);
    for (const int zoom : {1, 3, 4, 7, 18}) {
        window.setSize(static_cast<std::int16_t>(zoom));
        form->tick();
        // What a live view at this zoom would have shown at (600, 400) before the change.
        const long left = nearestEven(600 - 300.0 / (2 * zoom));
        const long top = nearestEven(400 - 200.0 / (2 * zoom));
        EXPECT_TRUE(viewShows(*form, before, left, top, zoom)) << "zoom " << zoom;
        EXPECT_EQ(form->clientPixel(static_cast<int>((600 - left) * zoom), static_cast<int>((400 - top) * zoom)),
                  before.pixel(600, 400))
            << "zoom " << zoom;
    }
}

TEST_F(FreezeTest, EscapeOrSpaceAgainFollowsThePointerAgain) {
    for (const std::int16_t key : {kEscape, kSpace}) {
        form->keyDown(kSpace);
        changeTheScreen();
        fake.windows.setCursor(700, 500);
        form->keyDown(key);
        EXPECT_FALSE(window.frozen()) << key;
        form->tick();
        EXPECT_TRUE(viewShows(*form, fake.screen, 625, 450, 2)) << key;
        fake.windows.setCursor(600, 400);
    }
    // Escape on a live view changes nothing.
    form->keyDown(kEscape);
    EXPECT_FALSE(window.frozen());
}

TEST_F(FreezeTest, TheMarkerSaysSoInTheTopLeftCornerInTheInterfaceLanguage) {
    form->clearPrinted();
    form->tick();
    EXPECT_FALSE(printed("Frozen"));
    form->keyDown(kSpace);
    form->clearPrinted();
    form->tick();
    ASSERT_TRUE(printed("Frozen"));
    const auto& marker = *std::find_if(form->printed().begin(), form->printed().end(),
                                       [](const auto& p) { return p.text == "Frozen"; });
    EXPECT_EQ(marker.x, 2);
    EXPECT_EQ(marker.y, 2);
    window.setLang(0);
    form->clearPrinted();
    form->tick();
    EXPECT_TRUE(printed(kFrozenHungarian));
    EXPECT_FALSE(printed("Frozen"));
}

TEST_F(FreezeTest, AFrozenViewCostsNoFramesWhileNothingChanges) {
    form->keyDown(kSpace);
    form->tick();
    const int frames = form->frames();
    changeTheScreen();
    form->tick();
    form->tick();
    EXPECT_EQ(form->frames(), frames);
}

TEST_F(FreezeTest, TheKeptPictureGoesWithTheUnfreeze) {
    const std::size_t live = fake.graphics.liveObjects();
    form->keyDown(kSpace);
    EXPECT_GT(fake.graphics.liveObjects(), live);
    form->keyDown(kSpace);
    EXPECT_EQ(fake.graphics.liveObjects(), live);
    EXPECT_EQ(fake.windows.openDeviceContexts(), 0);
}

}  // namespace
