// The record of changed screen areas: an area meets a view when the two overlap by at least a
// pixel, every question starts a new record, and past the limit the record is one rectangle
// around everything reported.
#include <gtest/gtest.h>

#include "platform/soft/ChangedAreas.h"

namespace platform::soft {
namespace {

TEST(ChangedAreas, NothingReportedMeetsNothing) {
    ChangedAreas areas(4);
    EXPECT_FALSE(areas.takeMeeting(Rect{0, 0, 1920, 1080}));
}

TEST(ChangedAreas, AnOverlapOfOnePixelMeetsAndEdgesThatOnlyTouchDoNot) {
    const Rect view{100, 100, 200, 150};
    struct Case {
        Rect area;
        bool meets;
    };
    const Case cases[] = {
        {{199, 149, 300, 300}, true},   // the view's bottom-right pixel
        {{0, 0, 101, 101}, true},       // its top-left pixel
        {{120, 120, 130, 130}, true},   // inside
        {{0, 0, 1000, 1000}, true},     // around it
        {{200, 100, 300, 150}, false},  // right of it, touching
        {{0, 100, 100, 150}, false},    // left of it, touching
        {{100, 150, 200, 200}, false},  // below it, touching
        {{100, 0, 200, 100}, false},    // above it, touching
    };
    for (const Case& c : cases) {
        ChangedAreas areas(4);
        areas.add(c.area);
        EXPECT_EQ(areas.takeMeeting(view), c.meets)
            << c.area.left << "," << c.area.top << " - " << c.area.right << "," << c.area.bottom;
    }
}

TEST(ChangedAreas, EachQuestionStartsANewRecord) {
    ChangedAreas areas(4);
    areas.add(Rect{10, 10, 20, 20});
    EXPECT_TRUE(areas.takeMeeting(Rect{0, 0, 100, 100}));
    EXPECT_FALSE(areas.takeMeeting(Rect{0, 0, 100, 100}));
    // A question the record does not meet forgets it all the same.
    areas.add(Rect{10, 10, 20, 20});
    EXPECT_FALSE(areas.takeMeeting(Rect{500, 500, 600, 600}));
    EXPECT_FALSE(areas.takeMeeting(Rect{0, 0, 100, 100}));
}

TEST(ChangedAreas, UpToTheLimitEachAreaIsKeptOnItsOwn) {
    ChangedAreas areas(2);
    areas.add(Rect{0, 0, 10, 10});
    areas.add(Rect{90, 90, 100, 100});
    // Between the two, where a rectangle around both would lie.
    EXPECT_FALSE(areas.takeMeeting(Rect{40, 40, 60, 60}));
    areas.add(Rect{0, 0, 10, 10});
    areas.add(Rect{90, 90, 100, 100});
    EXPECT_TRUE(areas.takeMeeting(Rect{95, 95, 96, 96}));
}

TEST(ChangedAreas, PastTheLimitTheRecordIsTheRectangleAroundAll) {
    ChangedAreas areas(2);
    // Three areas, one more than the limit: the record becomes (0, 0) to (210, 100).
    const auto reportThree = [&] {
        areas.add(Rect{0, 0, 10, 10});
        areas.add(Rect{90, 90, 100, 100});
        areas.add(Rect{200, 5, 210, 8});
    };
    reportThree();
    // Nothing was reported between them, but the one rectangle covers it now.
    EXPECT_TRUE(areas.takeMeeting(Rect{40, 40, 60, 60}));
    reportThree();
    EXPECT_TRUE(areas.takeMeeting(Rect{209, 99, 300, 300}));
    // Its edges are those of the outermost areas.
    reportThree();
    EXPECT_FALSE(areas.takeMeeting(Rect{210, 0, 300, 100}));
    reportThree();
    EXPECT_FALSE(areas.takeMeeting(Rect{0, 100, 210, 200}));
    reportThree();
    EXPECT_FALSE(areas.takeMeeting(Rect{-10, -10, 0, 100}));
}

TEST(ChangedAreas, AFoldedRecordGrowsWithEveryLaterArea) {
    ChangedAreas areas(1);
    areas.add(Rect{0, 0, 10, 10});
    areas.add(Rect{20, 20, 30, 30});  // folded: (0, 0) to (30, 30)
    areas.add(Rect{-50, 40, -40, 50});  // folded again: (-50, 0) to (30, 50)
    EXPECT_TRUE(areas.takeMeeting(Rect{-45, 45, -44, 46}));
    areas.add(Rect{0, 0, 10, 10});
    areas.add(Rect{20, 20, 30, 30});
    areas.add(Rect{-50, 40, -40, 50});
    EXPECT_TRUE(areas.takeMeeting(Rect{-20, 5, -19, 6})) << "inside the grown rectangle, reported by none";
}

}  // namespace
}  // namespace platform::soft
