#include "Placement.h"

#include <gtest/gtest.h>

namespace {

TEST(ShiftPosition, TowardsTheMiddleByUpTo45Pixels) {
    struct {
        int32_t x, y;
        uint32_t t1, t2;
        int32_t shiftedX, shiftedY;
    } const cases[] = {
        {20, 20, 7, 93, 55, 65},                             // near the top-left: right and down
        {399, 299, 9, 99, 444, 344},                         // the last coordinates that shift forwards
        {400, 300, 9, 99, 355, 255},                         // from 400 and 300: back
        {-10, -10, 3, 30, -25, -25},                         // negative counts as large: back, further out
        {100, 100, 10, 100, 100, 100},                       // tick counts ending in 0 shift nothing
        {INT32_MIN, INT32_MIN, 9, 99, INT32_MIN, INT32_MIN}, // stops at the limit
        {INT32_MAX, 0, 9, 99, INT32_MAX - 45, 45},
    };
    for (const auto& c : cases) {
        int32_t x = c.x, y = c.y;
        ShiftPosition(&x, &y, c.t1, c.t2);
        EXPECT_EQ(x, c.shiftedX) << c.x << "," << c.y;
        EXPECT_EQ(y, c.shiftedY) << c.x << "," << c.y;
    }
}

TEST(ShiftPosition, WandersFromRunToRunUntilTheMiddle) {
    int32_t x = 20, y = 20;
    for (int run = 0; run < 20; run++)
        ShiftPosition(&x, &y, 9, 99);
    // Forwards to 400 and 300, then back and forth around them.
    EXPECT_GE(x, 400 - 45);
    EXPECT_LT(x, 400 + 45);
    EXPECT_GE(y, 300 - 45);
    EXPECT_LT(y, 300 + 45);
}

} // namespace
