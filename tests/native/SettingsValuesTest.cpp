#include "SettingsValues.h"

#include <gtest/gtest.h>

TEST(SettingsValues, IntegersAreReadByTheirLeadingDigits) {
    EXPECT_EQ(ReadInteger("2"), 2);
    EXPECT_EQ(ReadInteger("12abc"), 12);
    EXPECT_EQ(ReadInteger("abc"), 0);
    EXPECT_EQ(ReadInteger(""), 0);
    EXPECT_EQ(ReadInteger("-5"), -5);
    EXPECT_EQ(ReadInteger("+7"), 7);
    EXPECT_EQ(ReadInteger("  9"), 9);
    EXPECT_EQ(ReadInteger("1.5"), 1);
    EXPECT_EQ(ReadInteger("99999999999999999999"), INT32_MAX);
    EXPECT_EQ(ReadInteger("-99999999999999999999"), INT32_MIN);
    EXPECT_EQ(ReadInteger(nullptr), 0);
}

TEST(SettingsValues, PairsKeepWhatCannotBeRead) {
    int32_t x = 7, y = 8;
    EXPECT_EQ(ReadPair("10,20", &x, &y), 2);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    x = 7, y = 8;
    EXPECT_EQ(ReadPair("-30, -40", &x, &y), 2);
    EXPECT_EQ(x, -30);
    EXPECT_EQ(y, -40);
    x = 7, y = 8;
    EXPECT_EQ(ReadPair("15", &x, &y), 1);
    EXPECT_EQ(x, 15);
    EXPECT_EQ(y, 8);
    x = 7, y = 8;
    EXPECT_EQ(ReadPair("15;16", &x, &y), 1);
    EXPECT_EQ(y, 8);
    x = 7, y = 8;
    EXPECT_EQ(ReadPair("15,abc", &x, &y), 1);
    EXPECT_EQ(x, 15);
    EXPECT_EQ(y, 8);
    x = 7, y = 8;
    EXPECT_EQ(ReadPair("abc,5", &x, &y), 0);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);
    EXPECT_EQ(ReadPair("", &x, &y), 0);
}

TEST(SettingsValues, ColoursTakeUpToSixHexDigits) {
    EXPECT_EQ(ReadHexColor("FF00FF"), 0xFF00FFu);
    EXPECT_EQ(ReadHexColor("0000ff"), 0x0000FFu);
    EXPECT_EQ(ReadHexColor("1234567"), 0x123456u);
    EXPECT_EQ(ReadHexColor("12G"), 0x12u);
    EXPECT_EQ(ReadHexColor("xyz"), 0u);
    EXPECT_EQ(ReadHexColor(""), 0u);
}

TEST(SettingsValues, DigitRangeRules) {
    struct Case {
        int32_t first, last, wantFirst, wantLast;
    } cases[] = {
        {4, 9, 4, 9},   {7, 3, 0, 11},  {-1, 9, 0, 9},   {4, 12, 4, 11},
        {5, 5, 0, 11},  {12, 3, 0, 3},  {0, 11, 0, 11},  {11, -1, 0, 11},
    };
    for (const Case& c : cases) {
        int32_t first = c.first, last = c.last;
        ClampDigitRange(&first, &last);
        EXPECT_EQ(first, c.wantFirst) << c.first << "," << c.last;
        EXPECT_EQ(last, c.wantLast) << c.first << "," << c.last;
    }
}
