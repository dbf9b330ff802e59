#include "DigitLayout.h"

#include <gtest/gtest.h>

TEST(DigitLayout, CellsDivideTheStripIntoTenAndDropTheRemainder) {
    SlotRect cells[DIGIT_CELLS];
    BuildCellRects(cells, 257, 30); // 7 spare columns are never shown
    for (int k = 0; k < DIGIT_CELLS; k++) {
        EXPECT_EQ(cells[k].left, 25 * k);
        EXPECT_EQ(cells[k].right, 25 * (k + 1));
        EXPECT_EQ(cells[k].top, 0);
        EXPECT_EQ(cells[k].bottom, 30);
    }
}

TEST(DigitLayout, ClampMovesShownSlotsInsideTheBackgroundOnly) {
    SlotRect slots[DIGIT_SLOTS] = {};
    slots[3] = {-5, -7, 0, 0};  // negative: to 0
    slots[4] = {200, 50, 0, 0}; // past the right and bottom edges
    slots[5] = {20, 15, 0, 0};  // fits: unchanged
    slots[6] = {-50, 90, 0, 0}; // not shown: left alone
    ClampSlots(slots, 3, 5, 25, 30, 216, 71);

    EXPECT_EQ(slots[3].left, 0);
    EXPECT_EQ(slots[3].top, 0);
    EXPECT_EQ(slots[3].right, 25);
    EXPECT_EQ(slots[3].bottom, 30);
    EXPECT_EQ(slots[4].left, 216 - 25);
    EXPECT_EQ(slots[4].top, 71 - 30);
    EXPECT_EQ(slots[4].right, 216);
    EXPECT_EQ(slots[4].bottom, 71);
    EXPECT_EQ(slots[5].left, 20);
    EXPECT_EQ(slots[5].right, 45);
    EXPECT_EQ(slots[6].left, -50);
    EXPECT_EQ(slots[6].top, 90);
    EXPECT_EQ(slots[6].right, 0);
}

TEST(DigitLayout, ClampDoesNothingWhenFirstIsAfterLast) {
    SlotRect slots[DIGIT_SLOTS] = {};
    slots[5] = {-5, -5, 1, 1};
    ClampSlots(slots, 7, 3, 25, 30, 216, 71);
    EXPECT_EQ(slots[5].left, -5);
    EXPECT_EQ(slots[5].right, 1);
}

TEST(DigitLayout, CellWiderThanTheBackgroundEndsAtItsRightEdge) {
    SlotRect slots[DIGIT_SLOTS] = {};
    slots[0] = {10, 0, 0, 0};
    ClampSlots(slots, 0, 0, 300, 30, 216, 71);
    EXPECT_EQ(slots[0].left, 216 - 300);
    EXPECT_EQ(slots[0].right, 216);
}

TEST(DigitLayout, SizeSlotsDerivesRightAndBottomForAllTwelve) {
    SlotRect slots[DIGIT_SLOTS];
    for (int i = 0; i < DIGIT_SLOTS; i++)
        slots[i] = {i * 3, i, -1, -1};
    SizeSlots(slots, 25, 30);
    for (int i = 0; i < DIGIT_SLOTS; i++) {
        EXPECT_EQ(slots[i].right, i * 3 + 25);
        EXPECT_EQ(slots[i].bottom, i + 30);
    }
}

TEST(DigitLayout, PositionsFromAFileAtTheEndsOf32BitsNeitherWrapNorEscapeTheBackground) {
    SlotRect slots[DIGIT_SLOTS] = {};
    slots[0] = {INT32_MAX, INT32_MAX - 5, 0, 0};
    slots[1] = {INT32_MIN, INT32_MIN, 0, 0};
    SizeSlots(slots, 25, 30);
    EXPECT_EQ(slots[0].right, INT32_MAX);
    EXPECT_EQ(slots[0].bottom, INT32_MAX);
    EXPECT_EQ(slots[1].right, INT32_MIN + 25);
    ClampSlots(slots, 0, 1, 25, 30, 216, 71);
    EXPECT_EQ(slots[0].left, 216 - 25);
    EXPECT_EQ(slots[0].top, 71 - 30);
    EXPECT_EQ(slots[1].left, 0);
    EXPECT_EQ(slots[1].bottom, 30);
}
