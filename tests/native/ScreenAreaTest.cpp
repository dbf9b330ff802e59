#include "ScreenArea.h"

#include <gtest/gtest.h>

namespace {

TEST(MoveIntoArea, TheLeastMoveIntoTheWorkArea) {
    const ScreenRect work = {0, 0, 1024, 738};
    struct {
        ScreenRect rect, moved;
    } const cases[] = {
        {{20, 20, 460, 180}, {20, 20, 460, 180}},       // inside: stays
        {{-55, -30, 385, 130}, {0, 0, 440, 160}},       // off the top-left
        {{900, 700, 1340, 860}, {584, 578, 1024, 738}}, // off the bottom-right
        {{-5000, 300, -4560, 460}, {0, 300, 440, 460}}, // far out to the left
        {{INT32_MIN, INT32_MIN, INT32_MIN + 440, INT32_MIN + 160}, {0, 0, 440, 160}},
        {{100, 100, 1300, 900}, {0, 0, 1200, 800}}, // larger than the area: top-left
    };
    for (const auto& c : cases) {
        ScreenRect rect = c.rect;
        MoveIntoArea(&rect, &work);
        EXPECT_EQ(rect.left, c.moved.left) << c.rect.left;
        EXPECT_EQ(rect.top, c.moved.top) << c.rect.left;
        EXPECT_EQ(rect.right, c.moved.right) << c.rect.left;
        EXPECT_EQ(rect.bottom, c.moved.bottom) << c.rect.left;
    }
    // A window at the far edge of the coordinates still comes back whole.
    ScreenRect far = RectAt(INT32_MAX - 10, INT32_MAX, 440, 160);
    EXPECT_EQ(far.right, INT32_MAX);
    EXPECT_EQ(far.right - far.left, 440);
    EXPECT_EQ(far.bottom - far.top, 160);
    MoveIntoArea(&far, &work);
    EXPECT_EQ(far.left, 1024 - 440);
    EXPECT_EQ(far.top, 738 - 160);
}

} // namespace

TEST(PlaceBeside, ADialogStandsBesideTheClockItPreviews) {
    const ScreenRect screen = {0, 0, 1024, 768};
    const ScreenRect box = {15, 49, 15 + 480, 49 + 310}; // where the dialog would open
    const struct {
        ScreenRect clock;
        ScreenRect want;
    } cases[] = {
        {{40, 30, 256, 101}, {40, 109, 520, 419}},     // below
        {{560, 450, 776, 521}, {544, 132, 1024, 442}}, // above, moved in from the right edge
        {{0, 200, 500, 500}, {508, 200, 988, 510}},    // neither: to the right
        {{520, 200, 1020, 500}, {32, 200, 512, 510}},  // neither, nor right: to the left
        {{0, 0, 1024, 768}, {15, 49, 495, 359}},       // nowhere free: only kept on the screen
        {{-300, 900, -100, 960}, {0, 458, 480, 768}},  // off the screen: kept on it
    };
    for (const auto& c : cases) {
        ScreenRect placed = PlaceBeside(&c.clock, &box, 8, &screen);
        EXPECT_EQ(placed.left, c.want.left) << c.clock.left << "," << c.clock.top;
        EXPECT_EQ(placed.top, c.want.top) << c.clock.left << "," << c.clock.top;
        EXPECT_EQ(placed.right - placed.left, 480);
        EXPECT_EQ(placed.bottom - placed.top, 310);
    }
}
