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
