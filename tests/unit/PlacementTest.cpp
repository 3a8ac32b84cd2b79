// The zoom factor, outer size and position restored at start-up and stored at unload.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StartedMagnifier.h"

namespace {

using platform::fake::FakeForm;
using platform::fake::FakePlatform;
using namespace testsupport;

constexpr float kTwips = 15.0f;

class PlacementTest : public MagnifierTest {
protected:
    int minWidth() const { return outerWidthFor(fake, 200); }
    int minHeight() const { return outerHeightFor(fake, 200); }
    void storeSize(int width, int height) {
        storeSetting(fake, "WindowWidth", width);
        storeSetting(fake, "WindowHeight", height);
    }
    void storePosition(int left, int top) {
        storeSetting(fake, "WindowLeft", left);
        storeSetting(fake, "WindowTop", top);
    }

    // Where the window is before it starts on whatever the test has stored.
    const float initialLeft = form->Left();
    const float initialTop = form->Top();
};

TEST_F(PlacementTest, NothingSavedGivesZoomTwoAndTheInitialSizeAndPosition) {
    start();
    EXPECT_EQ(window.size(), 2);
    EXPECT_EQ(form->outerWidth(), minWidth());
    EXPECT_EQ(form->outerHeight(), minHeight());
    EXPECT_FLOAT_EQ(form->Left(), initialLeft);
    EXPECT_FLOAT_EQ(form->Top(), initialTop);
}

TEST(PlacementZoom, SavedZoomIsBoundedToOneToEighteen) {
    struct Case {
        Bytes stored;
        int zoom;
    };
    for (const Case& c : {Case{{0, 0}, 1}, Case{{25, 0}, 18}, Case{{0xFF, 0xFF}, 18}, Case{{7, 0}, 7},
                          Case{{18, 0}, 18}, Case{{1, 0}, 1}}) {
        FakePlatform local;
        storeBytes(local, programKey(), "Zoom", c.stored);
        app::FrmMain w(local.toolkit);
        w.start();
        EXPECT_EQ(w.size(), c.zoom) << static_cast<int>(c.stored[0]) << " " << static_cast<int>(c.stored[1]);
    }
}

TEST_F(PlacementTest, SavedSizeIsRestored) {
    storeSize(800, 600);
    start();
    EXPECT_EQ(form->outerWidth(), 800);
    EXPECT_EQ(form->outerHeight(), 600);
}

TEST_F(PlacementTest, OnlyOneDimensionSavedGivesTheMinimumForBoth) {
    storeSetting(fake, "WindowWidth", 800);
    start();
    EXPECT_EQ(form->outerWidth(), minWidth());
    EXPECT_EQ(form->outerHeight(), minHeight());
}

TEST_F(PlacementTest, OnlyHeightSavedGivesTheMinimumForBoth) {
    storeSetting(fake, "WindowHeight", 700);
    start();
    EXPECT_EQ(form->outerWidth(), outerWidthFor(fake, 200));
    EXPECT_EQ(form->outerHeight(), outerHeightFor(fake, 200));
}

TEST_F(PlacementTest, SavedSizeIsBoundedByTheMinimumAndTheScreen) {
    storeSize(100, 5000);
    start();
    EXPECT_EQ(form->outerWidth(), minWidth());
    EXPECT_EQ(form->outerHeight(), 1080);
}

TEST_F(PlacementTest, EachDimensionIsBoundedOnItsOwn) {
    storeSize(3000, 10);
    start();
    EXPECT_EQ(form->outerWidth(), 1920);
    EXPECT_EQ(form->outerHeight(), outerHeightFor(fake, 200));
}

TEST_F(PlacementTest, SavedPositionIsRestored) {
    storePosition(300, 200);
    start();
    EXPECT_FLOAT_EQ(form->Left(), 300 * kTwips);
    EXPECT_FLOAT_EQ(form->Top(), 200 * kTwips);
}

TEST(PlacementOnTheScreenEdge, WindowIsMovedBackOntoTheScreen) {
    FakePlatform fake;
    // No frame: the window's minimum outer size is its 200 x 200 client area.
    fake.toolkit.frame = platform::FrameExtents{};
    storeSetting(fake, "WindowWidth", 200);
    storeSetting(fake, "WindowHeight", 200);
    storeSetting(fake, "WindowLeft", 1900);
    storeSetting(fake, "WindowTop", 1000);
    app::FrmMain window(fake.toolkit);
    window.start();
    const FakeForm& form = *fake.toolkit.lastForm();
    EXPECT_EQ(form.outerWidth(), 200);
    EXPECT_FLOAT_EQ(form.Left(), 1720 * kTwips);
    EXPECT_FLOAT_EQ(form.Top(), 880 * kTwips);
}

TEST_F(PlacementTest, PositionIsBoundedForTheRestoredSize) {
    storeSize(1000, 500);
    storePosition(1500, 900);
    start();
    EXPECT_FLOAT_EQ(form->Left(), 920 * kTwips);
    EXPECT_FLOAT_EQ(form->Top(), 580 * kTwips);
}

TEST_F(PlacementTest, UnsavedOrInvalidLeftLeavesThePositionAlone) {
    storeBytes(fake, programKey(), "WindowLeft", Bytes{0xFF, 0xFF});
    storeSetting(fake, "WindowTop", 100);
    start();
    EXPECT_FLOAT_EQ(form->Left(), initialLeft);
    EXPECT_FLOAT_EQ(form->Top(), initialTop);
}

TEST_F(PlacementTest, UnsavedTopLeavesThePositionAlone) {
    storeSetting(fake, "WindowLeft", 500);
    start();
    EXPECT_FLOAT_EQ(form->Left(), initialLeft);
    EXPECT_FLOAT_EQ(form->Top(), initialTop);
}

TEST_F(PlacementTest, UnloadStoresZoomAndGeometryInOrder) {
    start();
    window.setSize(9);
    form->userResize(640, 480);
    form->setLeft(123 * kTwips);
    form->setTop(45 * kTwips);
    const std::size_t before = fake.registry.writeLog().size();
    ASSERT_TRUE(form->close());
    const auto& log = fake.registry.writeLog();
    ASSERT_EQ(log.size() - before, 5u);
    EXPECT_EQ(fake.registry.batchedWrites(), 5u) << "the five values go out as one update";
    EXPECT_EQ(fake.registry.openBatches(), 0);
    EXPECT_EQ(std::vector<std::string>(log.begin() + static_cast<std::ptrdiff_t>(before), log.end()),
              (std::vector<std::string>{"Zoom", "WindowLeft", "WindowTop", "WindowWidth", "WindowHeight"}));
    EXPECT_EQ(storedNumber(fake, programKey(), "Zoom"), 9);
    EXPECT_EQ(storedNumber(fake, programKey(), "WindowLeft"), 123);
    EXPECT_EQ(storedNumber(fake, programKey(), "WindowTop"), 45);
    EXPECT_EQ(storedNumber(fake, programKey(), "WindowWidth"), 640);
    EXPECT_EQ(storedNumber(fake, programKey(), "WindowHeight"), 480);
}

TEST_F(PlacementTest, PositionLeftOrAboveTheScreenIsStoredAsZero) {
    start();
    form->setLeft(-100 * kTwips);
    form->setTop(-7 * kTwips);
    ASSERT_TRUE(form->close());
    EXPECT_EQ(storedBytes(fake, programKey(), "WindowLeft"), (Bytes{0, 0}));
    EXPECT_EQ(storedBytes(fake, programKey(), "WindowTop"), (Bytes{0, 0}));
}

TEST(PlacementRoundTrip, NextStartComesBackWhereTheLastOneLeft) {
    FakePlatform fake;
    {
        app::FrmMain first(fake.toolkit);
        first.start();
        FakeForm& form = *fake.toolkit.lastForm();
        first.setSize(11);
        form.userResize(700, 500);
        form.setLeft(250 * kTwips);
        form.setTop(150 * kTwips);
        ASSERT_TRUE(form.close());
    }
    app::FrmMain second(fake.toolkit);
    second.start();
    const FakeForm& form = *fake.toolkit.lastForm();
    EXPECT_EQ(second.size(), 11);
    EXPECT_EQ(form.outerWidth(), 700);
    EXPECT_EQ(form.outerHeight(), 500);
    EXPECT_FLOAT_EQ(form.Left(), 250 * kTwips);
    EXPECT_FLOAT_EQ(form.Top(), 150 * kTwips);
}

// Sizes and positions over 2184 pixels no longer fit 16 bits in twips; large screens have them.
TEST(PlacementOnALargeScreen, LargeStoredSizesAreBoundedByTheScreen) {
    FakePlatform fake(5000, 4000);
    storeBytes(fake, programKey(), "WindowWidth", Bytes{0xFF, 0xFF});
    storeSetting(fake, "WindowHeight", 3500);
    storeSetting(fake, "WindowLeft", 4000);
    storeSetting(fake, "WindowTop", 2500);
    app::FrmMain window(fake.toolkit);
    EXPECT_NO_THROW(window.start());
    const FakeForm& form = *fake.toolkit.lastForm();
    EXPECT_EQ(form.outerWidth(), 5000);
    EXPECT_EQ(form.outerHeight(), 3500);
    EXPECT_FLOAT_EQ(form.Left(), 0);
    EXPECT_FLOAT_EQ(form.Top(), 500 * kTwips);
}

TEST(PlacementOnALargeScreen, LargeGeometryIsStoredAndRestored) {
    FakePlatform fake(5000, 4000);
    {
        app::FrmMain first(fake.toolkit);
        first.start();
        FakeForm& form = *fake.toolkit.lastForm();
        form.userResize(3000, 2500);
        form.setLeft(1900 * kTwips);
        form.setTop(1400 * kTwips);
        ASSERT_NO_THROW(form.close());
    }
    EXPECT_EQ(storedNumber(fake, programKey(), "WindowWidth"), 3000);
    app::FrmMain second(fake.toolkit);
    ASSERT_NO_THROW(second.start());
    const FakeForm& form = *fake.toolkit.lastForm();
    EXPECT_EQ(form.outerWidth(), 3000);
    EXPECT_EQ(form.outerHeight(), 2500);
    EXPECT_FLOAT_EQ(form.Left(), 1900 * kTwips);
    EXPECT_FLOAT_EQ(form.Top(), 1400 * kTwips);
}

}  // namespace
