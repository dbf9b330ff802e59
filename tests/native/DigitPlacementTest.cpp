#include "DigitPlacement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "000011111100": slot i is shown when character i is 1.
std::string Shown(const int shown[DIGIT_SLOTS]) {
    std::string text;
    for (int i = 0; i < DIGIT_SLOTS; i++)
        text += shown[i] ? '1' : '0';
    return text;
}

void SetShown(int shown[DIGIT_SLOTS], const std::string& text) {
    for (int i = 0; i < DIGIT_SLOTS; i++)
        shown[i] = text[i] == '1';
}

std::vector<int32_t> Lefts(const int32_t lefts[DIGIT_SLOTS], int first, int last) {
    return std::vector<int32_t>(lefts + first, lefts + last + 1);
}

} // namespace

TEST(DigitPlacement, ASlotClickKeepsTheShownSlotsOneRun) {
    const struct {
        const char* before;
        int k;
        const char* after;
    } cases[] = {
        {"000011111100", 7, "000011100000"},  // inside, from 6 on: k to 11 go
        {"000011111100", 5, "000000111100"},  // inside, below 6: 0 to k go
        {"000011111100", 11, "000011111111"}, // after the run: up to k come
        {"000011111100", 1, "011111111100"},  // before the run: k up to it come
        {"000011111100", 4, "000001111100"},  // the first: only k goes
        {"000011111100", 9, "000011111000"},  // the last: only k goes
        {"000000000000", 3, "000100000000"},  // none: only k
        {"000000010000", 7, "000000010000"},  // the only one: refused
    };
    for (const auto& c : cases) {
        int shown[DIGIT_SLOTS];
        SetShown(shown, c.before);
        int changed = ClickSlot(shown, c.k);
        EXPECT_EQ(Shown(shown), c.after) << c.before << " click " << c.k;
        EXPECT_EQ(changed, std::string(c.before) != c.after) << c.before << " click " << c.k;
    }
    int shown[DIGIT_SLOTS];
    int32_t first = -1, last = -1;
    SetShown(shown, "000000111100");
    ASSERT_TRUE(ShownRange(shown, &first, &last));
    EXPECT_EQ(first, 6);
    EXPECT_EQ(last, 9);
    SetShown(shown, "000000000000");
    EXPECT_FALSE(ShownRange(shown, &first, &last));
}

TEST(DigitPlacement, CenterAndDistributeGiveTheLayoutsOfTheDefaultSkin) {
    int32_t lefts[DIGIT_SLOTS] = {};
    int32_t top = -1;
    CenterDigits(lefts, &top, 4, 9, 25, 30, 216, 71);
    EXPECT_EQ(Lefts(lefts, 4, 9), (std::vector<int32_t>{21, 46, 83, 108, 145, 170}));
    EXPECT_EQ(top, 20);
    CenterDigits(lefts, &top, 0, 11, 25, 80, 216, 71); // wider and higher than the background
    EXPECT_EQ(lefts[0], 0);
    EXPECT_EQ(lefts[4], 4 * 25 + 12); // half a cell before the hours
    EXPECT_EQ(top, 0);

    DistributeDigits(lefts, 10, 2, 8, 4, 9, 25);
    EXPECT_EQ(Lefts(lefts, 4, 9), (std::vector<int32_t>{12, 39, 74, 101, 136, 163}));

    // Reopened on that layout: digit spacing 2, and both spacings as the unit's.
    SlotRect slots[DIGIT_SLOTS] = {};
    for (int i = 4; i <= 9; i++)
        slots[i] = {lefts[i], 5, lefts[i] + 25, 35};
    int32_t digitSpace = -1, unitSpace = -1;
    InitialSpacings(slots, 4, 9, &digitSpace, &unitSpace);
    EXPECT_EQ(digitSpace, 2);
    EXPECT_EQ(unitSpace, 10);
    DistributeDigits(lefts, 12, digitSpace, unitSpace, 4, 9, 25);
    EXPECT_EQ(Lefts(lefts, 4, 9), (std::vector<int32_t>{14, 41, 78, 105, 142, 169}));

    // The default layout opens with 0 and 10 and distributes to itself.
    const int32_t defaults[] = {20, 45, 80, 105, 140, 165};
    for (int i = 4; i <= 9; i++)
        slots[i] = {defaults[i - 4], 15, defaults[i - 4] + 25, 45};
    InitialSpacings(slots, 4, 9, &digitSpace, &unitSpace);
    EXPECT_EQ(digitSpace, 0);
    EXPECT_EQ(unitSpace, 10);
    DistributeDigits(lefts, 20, digitSpace, unitSpace, 4, 9, 25);
    EXPECT_EQ(Lefts(lefts, 4, 9), (std::vector<int32_t>(defaults, defaults + 6)));
}

TEST(DigitPlacement, TypedPositionsAtTheEndsOf32BitsSaturate) {
    int32_t lefts[DIGIT_SLOTS] = {};
    DistributeDigits(lefts, INT32_MAX - 10, 999, 999, 0, 11, 25);
    for (int i = 0; i < DIGIT_SLOTS; i++)
        EXPECT_EQ(lefts[i], INT32_MAX) << i;
    DistributeDigits(lefts, INT32_MIN, 0, 0, 0, 11, 25);
    EXPECT_EQ(lefts[0], INT32_MIN);
    EXPECT_EQ(lefts[1], INT32_MIN + 25);
    EXPECT_EQ(AddSaturated(INT32_MAX, 1), INT32_MAX);
    EXPECT_EQ(AddSaturated(INT32_MIN, -1), INT32_MIN);
    EXPECT_EQ(AddSaturated(-1, 1), 0);

    SlotRect slots[DIGIT_SLOTS] = {};
    slots[4] = {INT32_MIN, 0, INT32_MIN + 25, 30};
    slots[5] = {INT32_MAX - 25, 0, INT32_MAX, 30};
    int32_t digitSpace = -1, unitSpace = -1;
    InitialSpacings(slots, 4, 5, &digitSpace, &unitSpace);
    EXPECT_EQ(digitSpace, INT32_MAX);
    EXPECT_EQ(unitSpace, 0);
}
