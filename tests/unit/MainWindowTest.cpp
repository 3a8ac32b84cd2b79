// Start-up, the minimum size the window keeps, and unload.
#include <gtest/gtest.h>

#include "StartedMagnifier.h"
#include "settings/RegistryStore.h"

namespace {

using platform::fake::FakeForm;
using platform::fake::FakePlatform;
using namespace testsupport;

class MainWindowTest : public MagnifierTest {
protected:
    const int minWidth = outerWidthFor(fake, 200);
    const int minHeight = outerHeightFor(fake, 200);
};

TEST_F(MainWindowTest, CreatedHiddenWithA200By200ClientArea) {
    EXPECT_FALSE(form->loaded());
    EXPECT_FALSE(form->shown());
    EXPECT_EQ(form->clientWidth(), 200);
    EXPECT_EQ(form->clientHeight(), 200);
    EXPECT_EQ(form->Caption(), "Magnifier");
    window.start();
    EXPECT_TRUE(form->loaded());
    EXPECT_TRUE(form->shown());
    EXPECT_EQ(form->outerWidth(), minWidth);
    EXPECT_EQ(form->outerHeight(), minHeight);
    EXPECT_EQ(window.size(), 2);
    EXPECT_EQ(form->Caption(), "Magnifier");
}

TEST_F(MainWindowTest, NarrowerThanAtStartSnapsBackInWidthOnly) {
    window.start();
    const int events = form->resizeEvents();
    form->userResize(minWidth - 50, minHeight + 100);
    EXPECT_EQ(form->outerWidth(), minWidth);
    EXPECT_EQ(form->outerHeight(), minHeight + 100);
    // The user's resize and the one width write.
    EXPECT_EQ(form->resizeEvents() - events, 2);
}

TEST_F(MainWindowTest, LowerThanAtStartSnapsBackInHeightOnly) {
    window.start();
    const int events = form->resizeEvents();
    form->userResize(minWidth + 70, minHeight - 1);
    EXPECT_EQ(form->outerWidth(), minWidth + 70);
    EXPECT_EQ(form->outerHeight(), minHeight);
    EXPECT_EQ(form->resizeEvents() - events, 2);
}

TEST_F(MainWindowTest, BothTooSmallWritesEachDimensionOnce) {
    window.start();
    const int events = form->resizeEvents();
    form->userResize(20, 20);
    EXPECT_EQ(form->outerWidth(), minWidth);
    EXPECT_EQ(form->outerHeight(), minHeight);
    // The nested run for the width write already fixes the height; the outer run must not write
    // it again.
    EXPECT_EQ(form->resizeEvents() - events, 3);
}

TEST_F(MainWindowTest, LargerThanTheScreenIsAllowed) {
    window.start();
    const int events = form->resizeEvents();
    form->userResize(2500, 1500);
    EXPECT_EQ(form->outerWidth(), 2500);
    EXPECT_EQ(form->outerHeight(), 1500);
    EXPECT_EQ(form->resizeEvents() - events, 1);
}

TEST_F(MainWindowTest, ExactlyTheMinimumIsLeftAlone) {
    window.start();
    form->userResize(minWidth + 30, minHeight + 30);
    const int events = form->resizeEvents();
    form->userResize(minWidth, minHeight);
    EXPECT_EQ(form->outerWidth(), minWidth);
    EXPECT_EQ(form->outerHeight(), minHeight);
    EXPECT_EQ(form->resizeEvents() - events, 1);
}

TEST_F(MainWindowTest, MinimizedOrMaximizedWindowIsNotResized) {
    window.start();
    // A minimized window reports a small size, a maximized one the window manager's size in a
    // thinner frame; neither must be "corrected" (that would undo the maximize).
    for (const int state : {platform::WINDOW_MINIMIZED, platform::WINDOW_MAXIMIZED}) {
        form->setWindowState(state);
        const int events = form->resizeEvents();
        form->userResize(160, 40);
        EXPECT_EQ(form->outerWidth(), 160);
        EXPECT_EQ(form->outerHeight(), 40);
        EXPECT_EQ(form->resizeEvents() - events, 1);
        // Restoring applies the rule again.
        form->setWindowState(platform::WINDOW_NORMAL);
        EXPECT_EQ(form->outerWidth(), minWidth);
        EXPECT_EQ(form->outerHeight(), minHeight);
    }
}

TEST(MainWindowFrame, MinimumComesFromTheSizeAtStartWhateverTheFrame) {
    // A thicker frame makes a larger initial outer size, and that is the minimum.
    FakePlatform other;
    other.toolkit.frame = platform::FrameExtents{4, 4, 50, 12};
    app::FrmMain second(other.toolkit);
    second.start();
    FakeForm& f = *other.toolkit.lastForm();
    EXPECT_EQ(f.outerWidth(), 208);
    EXPECT_EQ(f.outerHeight(), 262);
    f.userResize(100, 100);
    EXPECT_EQ(f.outerWidth(), 208);
    EXPECT_EQ(f.outerHeight(), 262);
}

TEST_F(MainWindowTest, UnloadStoresThePlacementAndLetsGoOfTheWindow) {
    window.start();
    window.setSize(7);
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(form->unloaded());
    EXPECT_EQ(storedNumber(fake, programKey(), "Zoom"), 7);
}

TEST(MainWindowLifetime, DestroyingTheWindowTakesItOffTheDesktop) {
    FakePlatform fake;
    {
        app::FrmMain window(fake.toolkit);
        window.start();
        EXPECT_EQ(fake.windows.zOrder().size(), 1u);
    }
    EXPECT_TRUE(fake.windows.zOrder().empty());
}

}  // namespace
