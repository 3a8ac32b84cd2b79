// The one decision every back end makes at the end of a tick: whether the tick's frame would
// change what the last frame drawn left on the window. Pictures come from bitmaps of a scripted
// source that counts what it is asked.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/soft/FrameRecord.h"

namespace platform::soft {
namespace {

class ScriptedSource : public FrameSource {
public:
    struct Bitmap {
        int width = 0;
        int height = 0;
        std::vector<std::uint32_t> pixels;
        bool readable = true;
        std::optional<Rect> onScreen;  // where it was taken, when it was
    };

    Handle add(int width, int height) {
        Bitmap bitmap;
        bitmap.width = width;
        bitmap.height = height;
        for (int i = 0; i < width * height; ++i) bitmap.pixels.push_back(static_cast<std::uint32_t>(i));
        bitmaps[++last] = bitmap;
        return last;
    }
    void setPixel(Handle bitmap, int x, int y, std::uint32_t colour) {
        Bitmap& b = bitmaps.at(bitmap);
        b.pixels[static_cast<std::size_t>(y * b.width + x)] = colour;
    }

    bool bitmapSize(Handle bitmap, int& width, int& height) override {
        const auto found = bitmaps.find(bitmap);
        if (found == bitmaps.end()) return false;
        width = found->second.width;
        height = found->second.height;
        return true;
    }
    std::optional<ConstSurface> bitmapPixels(Handle bitmap, const PixelBounds& bounds) override {
        ++reads;
        lastBounds = bounds;
        const Bitmap& b = bitmaps.at(bitmap);
        if (!b.readable) return std::nullopt;
        return ConstSurface{b.pixels.data(), b.width, b.height, b.width, 0, 0};
    }
    bool screenOrigin(Handle bitmap, int& x, int& y) override {
        const Bitmap& b = bitmaps.at(bitmap);
        if (!b.onScreen) return false;
        x = b.onScreen->left;
        y = b.onScreen->top;
        return true;
    }
    Rect screenBounds() const override { return Rect{0, 0, 100, 80}; }
    ScreenChange changedSinceLastCheck(const Rect& area) override {
        asked.push_back(area);
        return answer;
    }
    bool drawsChangesDirect(const Rect& area) override {
        askedDirect.push_back(area);
        return direct;
    }

    std::map<Handle, Bitmap> bitmaps;
    Handle last = 0x100;
    int reads = 0;
    PixelBounds lastBounds;
    std::vector<Rect> asked;
    ScreenChange answer = ScreenChange::unknown;
    bool direct = false;
    std::vector<Rect> askedDirect;
};

class TestPicture : public Picture {
public:
    explicit TestPicture(Handle bitmap) : bitmap_(bitmap) {}
    Handle bitmap() const override { return bitmap_; }
    Handle palette() const override { return 0; }

private:
    Handle bitmap_;
};

bool sameRect(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class FrameRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        bitmap = source.add(10, 10);
        picture = std::make_shared<TestPicture>(bitmap);
    }
    // The tick a magnifier makes: its picture at zoom 2 over a 20 x 20 client, two texts over it.
    void collect(const std::string& hint = "Zoom", float sourceSize = 10) {
        record.paint(picture, StretchRect{0, 0, 20, 20}, StretchRect{0, 0, sourceSize, sourceSize});
        record.print(12, 16, "(c)");
        record.print(2, 16, hint);
    }
    // Collects a tick, decides, and draws what was decided on: true when it was drawn.
    bool tick(const std::string& hint = "Zoom", float sourceSize = 10, int width = 20, int height = 20) {
        collect(hint, sourceSize);
        return drawIfDecided(width, height);
    }
    // A tick with the picture on the left half and `second` on the right.
    bool tickWithTwoPictures(const PictureRef& second) {
        record.paint(picture, StretchRect{0, 0, 10, 20}, StretchRect{0, 0, 10, 10});
        record.paint(second, StretchRect{10, 0, 10, 20}, StretchRect{0, 0, 4, 4});
        return drawIfDecided();
    }
    bool drawIfDecided(int width = 20, int height = 20) {
        if (!record.decide(width, height)) return false;
        record.drawn(true);
        return true;
    }

    ScriptedSource source;
    FrameRecord record{source};
    Handle bitmap = 0;
    PictureRef picture;
};

TEST(FramePlanTest, OnlyTheScreenCanSayNothingChangedWithoutAPixelRead) {
    for (const bool same : {false, true}) {
        for (const auto change : {ScreenChange::unknown, ScreenChange::none, ScreenChange::some}) {
            // Pictures not known to come from the screen are compared, whatever the screen says.
            EXPECT_EQ(planFrame(same, false, change), FramePlan::compare);
        }
        EXPECT_EQ(planFrame(same, true, ScreenChange::unknown), FramePlan::compare);
    }
    EXPECT_EQ(planFrame(true, true, ScreenChange::none), FramePlan::keep);
    EXPECT_EQ(planFrame(true, true, ScreenChange::some), FramePlan::compare);
    // A new layout is drawn anyway: straight from the pictures, when the screen tells of changes.
    EXPECT_EQ(planFrame(false, true, ScreenChange::none), FramePlan::drawDirect);
    EXPECT_EQ(planFrame(false, true, ScreenChange::some), FramePlan::drawDirect);
}

TEST(FramePlanTest, ATargetThatCopiesInsideTheDisplayDrawsReportedChangesWithoutComparing) {
    EXPECT_EQ(planFrame(true, true, ScreenChange::some, true), FramePlan::drawDirect);
    EXPECT_EQ(planFrame(true, true, ScreenChange::none, true), FramePlan::keep);
    EXPECT_EQ(planFrame(true, true, ScreenChange::unknown, true), FramePlan::compare);
    EXPECT_EQ(planFrame(true, false, ScreenChange::some, true), FramePlan::compare);
}

TEST_F(FrameRecordTest, TheFirstTickDrawsAndTheSameTickAgainDoesNot) {
    EXPECT_TRUE(tick());
    EXPECT_FALSE(tick());
    EXPECT_FALSE(tick());
    // Pictures not from the screen are read each tick, to compare.
    EXPECT_EQ(source.reads, 3);
}

TEST_F(FrameRecordTest, TheFrameToDrawIsTheTicksOperationsInOrder) {
    collect();
    ASSERT_TRUE(record.decide(20, 20));
    const auto& frame = record.frame();
    ASSERT_EQ(frame.size(), 3u);
    EXPECT_FALSE(frame[0].isText);
    EXPECT_EQ(frame[0].picture, picture);
    EXPECT_EQ(frame[0].bitmapWidth, 10);
    EXPECT_EQ(frame[0].dest.width, 20.0);
    EXPECT_EQ(frame[0].source.width, 10.0);
    EXPECT_TRUE(frame[1].isText);
    EXPECT_EQ(frame[1].text, "(c)");
    EXPECT_EQ(frame[1].x, 12.0f);
    EXPECT_EQ(frame[2].text, "Zoom");
    EXPECT_FALSE(record.drawsDirect());
}

TEST_F(FrameRecordTest, AnyDifferentTextDraws) {
    ASSERT_TRUE(tick());
    EXPECT_TRUE(tick("Nagy\xC3\xADt\xC3\xA1s")) << "another text";
    EXPECT_FALSE(tick("Nagy\xC3\xADt\xC3\xA1s"));
    // Fewer texts: the picture without the missing one.
    record.paint(picture, StretchRect{0, 0, 20, 20}, StretchRect{0, 0, 10, 10});
    record.print(12, 16, "(c)");
    EXPECT_TRUE(drawIfDecided()) << "a text fewer";
    EXPECT_TRUE(tick()) << "a text more";
    record.paint(picture, StretchRect{0, 0, 20, 20}, StretchRect{0, 0, 10, 10});
    record.print(12, 16, "(c)");
    record.print(2, 15, "Zoom");
    EXPECT_TRUE(drawIfDecided()) << "a text moved";
    // The same texts in another order cover each other otherwise.
    record.paint(picture, StretchRect{0, 0, 20, 20}, StretchRect{0, 0, 10, 10});
    record.print(2, 15, "Zoom");
    record.print(12, 16, "(c)");
    EXPECT_TRUE(drawIfDecided()) << "texts swapped";
}

TEST_F(FrameRecordTest, AnyDifferentGeometryOrTargetDraws) {
    ASSERT_TRUE(tick());
    EXPECT_TRUE(tick("Zoom", 5)) << "source rectangle";
    EXPECT_FALSE(tick("Zoom", 5));
    record.paint(picture, StretchRect{1, 0, 20, 20}, StretchRect{0, 0, 5, 5});
    record.print(12, 16, "(c)");
    record.print(2, 16, "Zoom");
    EXPECT_TRUE(drawIfDecided()) << "destination rectangle";
    EXPECT_TRUE(tick("Zoom", 5, 24, 20)) << "target width";
    EXPECT_TRUE(tick("Zoom", 5, 24, 22)) << "target height";
    EXPECT_FALSE(tick("Zoom", 5, 24, 22));
    // Another bitmap of another size with the same pixels where they are read.
    picture = std::make_shared<TestPicture>(source.add(12, 10));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) source.setPixel(picture->bitmap(), x, y, static_cast<std::uint32_t>(y * 10 + x));
    EXPECT_TRUE(tick("Zoom", 5, 24, 22)) << "bitmap size";
}

TEST_F(FrameRecordTest, OnlyPixelsTheStretchReadsCount) {
    ASSERT_TRUE(tick("Zoom", 5));
    EXPECT_EQ(source.lastBounds.x1, 5);
    EXPECT_EQ(source.lastBounds.y1, 5);
    source.setPixel(bitmap, 7, 2, 0xFFFFFF);  // beyond the source rectangle
    EXPECT_FALSE(tick("Zoom", 5));
    source.setPixel(bitmap, 4, 4, 0xFFFFFF);
    EXPECT_TRUE(tick("Zoom", 5));
    // What is kept to draw from is the bitmap's, where the stretch reads it.
    source.setPixel(bitmap, 0, 1, 0x123456);
    collect("Zoom", 5);
    ASSERT_TRUE(record.decide(20, 20));
    const ConstSurface kept = record.keptPixels(0);
    EXPECT_EQ(kept.width, 5);
    EXPECT_EQ(kept.height, 5);
    EXPECT_EQ(kept.row(1)[0], 0x123456u);
    EXPECT_EQ(kept.row(4)[4], 0xFFFFFFu);
    EXPECT_EQ(kept.row(2)[3], 23u);
    EXPECT_EQ(record.keptPixels(1).width, 0) << "a text keeps no pixels";
}

TEST_F(FrameRecordTest, EachOfSeveralPicturesIsCompared) {
    const auto second = std::make_shared<TestPicture>(source.add(4, 4));
    ASSERT_TRUE(tickWithTwoPictures(second));
    EXPECT_FALSE(tickWithTwoPictures(second));
    source.setPixel(second->bitmap(), 3, 3, 0xABCDEF);
    EXPECT_TRUE(tickWithTwoPictures(second));
    EXPECT_FALSE(tickWithTwoPictures(second));
}

TEST_F(FrameRecordTest, UnreadablePixelsAreDrawnEveryTickAsBlack) {
    ASSERT_TRUE(tick());
    source.bitmaps.at(bitmap).readable = false;
    EXPECT_TRUE(tick());
    collect();
    ASSERT_TRUE(record.decide(20, 20));
    EXPECT_EQ(record.keptPixels(0).width, 0);
    record.drawn(true);
    source.bitmaps.at(bitmap).readable = true;
    EXPECT_TRUE(tick()) << "readable again";
    EXPECT_FALSE(tick());
}

TEST_F(FrameRecordTest, AfterInvalidateOrAnIncompleteDrawTheSameFrameIsDrawnAgain) {
    ASSERT_TRUE(tick());
    record.invalidate();
    EXPECT_TRUE(tick()) << "invalidated";
    EXPECT_FALSE(tick());
    // A text could not be drawn yet.
    collect("Zoom: [+] & [-]");
    ASSERT_TRUE(record.decide(20, 20));
    record.drawn(false);
    EXPECT_TRUE(tick("Zoom: [+] & [-]")) << "after an incomplete draw";
    EXPECT_FALSE(tick("Zoom: [+] & [-]"));
    // Decided on but never drawn: not trusted either.
    collect("Zoom");
    ASSERT_TRUE(record.decide(20, 20));
    EXPECT_TRUE(tick("Zoom")) << "after a decision not drawn";
}

TEST_F(FrameRecordTest, ATickThatDrewNothingLeavesTheTargetAndStillTakesTheScreensChanges) {
    ASSERT_TRUE(tick());
    source.asked.clear();
    EXPECT_FALSE(record.decide(20, 20));  // minimized: nothing painted
    ASSERT_EQ(source.asked.size(), 1u);
    EXPECT_TRUE(sameRect(source.asked[0], Rect{}));
    EXPECT_FALSE(tick()) << "the frame shown is still the last one drawn";
}

TEST_F(FrameRecordTest, DiscardedOperationsAreNeitherDecidedOnNorKept) {
    ASSERT_TRUE(tick());
    collect("Nagy\xC3\xADt\xC3\xA1s");
    record.discard();
    EXPECT_FALSE(record.decide(20, 20));
    EXPECT_FALSE(tick());
}

TEST_F(FrameRecordTest, PicturesGoOnceDecidedOrDrawn) {
    const std::weak_ptr<Picture> watched = picture;
    collect();
    picture.reset();
    ASSERT_TRUE(record.decide(20, 20));
    EXPECT_FALSE(watched.expired()) << "needed for drawing";
    record.drawn(true);
    EXPECT_TRUE(watched.expired()) << "after drawing";

    picture = std::make_shared<TestPicture>(bitmap);
    const std::weak_ptr<Picture> again = picture;
    collect();
    picture.reset();
    EXPECT_FALSE(record.decide(20, 20));
    EXPECT_TRUE(again.expired()) << "after a decision not to draw";
}

// Pictures taken from the screen: the screen is asked once a tick about everything they read.
class ScreenPictures : public FrameRecordTest {
protected:
    void SetUp() override {
        FrameRecordTest::SetUp();
        source.bitmaps.at(bitmap).onScreen = Rect{95, 30, 0, 0};  // reaches 5 pixels beyond the right edge
    }
};

TEST_F(ScreenPictures, AStillScreenKeepsTheFrameWithoutReadingAPixel) {
    source.answer = ScreenChange::none;
    ASSERT_TRUE(tick());
    EXPECT_TRUE(record.drawsDirect()) << "a new layout, and the screen tells of changes";
    EXPECT_EQ(source.reads, 0);
    EXPECT_FALSE(tick());
    EXPECT_FALSE(tick());
    EXPECT_EQ(source.reads, 0);
    ASSERT_EQ(source.asked.size(), 3u);
    // The area the picture reads, clipped to the screen.
    EXPECT_TRUE(sameRect(source.asked[2], Rect{95, 30, 100, 40}));
}

TEST_F(ScreenPictures, ChangesTheScreenReportsAreCompared) {
    source.answer = ScreenChange::none;
    ASSERT_TRUE(tick());
    source.answer = ScreenChange::some;
    // Drawn straight from the picture last time: nothing kept to compare with.
    EXPECT_TRUE(tick());
    EXPECT_FALSE(record.drawsDirect());
    EXPECT_FALSE(tick()) << "changes elsewhere in the area asked about";
    source.setPixel(bitmap, 1, 1, 0xFFFFFF);
    EXPECT_TRUE(tick());
    EXPECT_EQ(source.reads, 3);
}

TEST_F(ScreenPictures, AScreenThatCannotTellHasItsPixelsCompared) {
    ASSERT_TRUE(tick());
    EXPECT_FALSE(record.drawsDirect());
    EXPECT_FALSE(tick());
    EXPECT_EQ(source.reads, 2);
    EXPECT_EQ(source.asked.size(), 2u);
}

TEST_F(ScreenPictures, APictureNotFromTheScreenMakesEveryPictureCompared) {
    source.answer = ScreenChange::none;
    const auto other = std::make_shared<TestPicture>(source.add(4, 4));
    ASSERT_TRUE(tickWithTwoPictures(other));
    EXPECT_FALSE(record.drawsDirect());
    EXPECT_FALSE(tickWithTwoPictures(other));
    EXPECT_EQ(source.reads, 4);
}

TEST_F(ScreenPictures, AreasOffTheScreenAreNotAskedAbout) {
    source.bitmaps.at(bitmap).onScreen = Rect{200, 30, 0, 0};
    source.answer = ScreenChange::some;
    ASSERT_TRUE(tick());
    EXPECT_TRUE(source.asked.empty());
    // Nothing it reads can change: kept as for a still screen.
    EXPECT_FALSE(tick());
    EXPECT_EQ(source.reads, 0);
}

TEST_F(ScreenPictures, ChangesDrawnInsideTheDisplayAreNeverRead) {
    source.answer = ScreenChange::none;
    source.direct = true;
    ASSERT_TRUE(tick());
    source.answer = ScreenChange::some;
    EXPECT_TRUE(tick());
    EXPECT_TRUE(record.drawsDirect());
    EXPECT_TRUE(tick()) << "every reported change is drawn";
    source.answer = ScreenChange::none;
    EXPECT_FALSE(tick());
    EXPECT_EQ(source.reads, 0);
    // Asked only when a change was reported, about the area the picture reads.
    ASSERT_EQ(source.askedDirect.size(), 2u);
    EXPECT_TRUE(sameRect(source.askedDirect[1], Rect{95, 30, 100, 40}));
}

TEST_F(ScreenPictures, WhereTheTargetShowsItselfChangesAreComparedAndSettle) {
    source.answer = ScreenChange::none;
    ASSERT_TRUE(tick());
    // The source says no for an area that shows its own target: the repaint it causes is compared.
    source.answer = ScreenChange::some;
    source.direct = false;
    EXPECT_TRUE(tick());
    EXPECT_FALSE(record.drawsDirect());
    EXPECT_FALSE(tick()) << "its own repaint, unchanged, settles";
    EXPECT_EQ(source.reads, 2);
}

}  // namespace
}  // namespace platform::soft
