#include "ProfileValues.h"
#include "DigitLayout.h"

#include <gtest/gtest.h>

TEST(ProfileValues, IntegersAreReadByTheirLeadingDigits) {
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

TEST(ProfileValues, PairsKeepWhatCannotBeRead) {
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

TEST(ProfileValues, FourFieldsStopAtTheFirstUnreadable) {
    int32_t area[4] = {1, 2, 3, 4};
    EXPECT_EQ(ReadFields("10,20", area, 4), 2);
    EXPECT_EQ(area[0], 10);
    EXPECT_EQ(area[1], 20);
    EXPECT_EQ(area[2], 3);
    EXPECT_EQ(area[3], 4);
    EXPECT_EQ(ReadFields("5,6,x,8", area, 4), 2);
    EXPECT_EQ(area[3], 4); // after a field that cannot be read, nothing more is taken
    EXPECT_EQ(ReadFields("15,12,410,132", area, 4), 4);
    EXPECT_EQ(area[2], 410);
    EXPECT_EQ(area[3], 132);
}

TEST(ProfileValues, ColoursTakeUpToSixHexDigits) {
    uint32_t kept = 0xABCDEF;
    EXPECT_EQ(ReadHexColorInto("zz", &kept), 0);
    EXPECT_EQ(kept, 0xABCDEFu);
    EXPECT_EQ(ReadHexColorInto("0000FF", &kept), 1);
    EXPECT_EQ(kept, 0xFFu);
    EXPECT_EQ(ReadHexColor("FF00FF"), 0xFF00FFu);
    EXPECT_EQ(ReadHexColor("0000ff"), 0x0000FFu);
    EXPECT_EQ(ReadHexColor("1234567"), 0x123456u);
    EXPECT_EQ(ReadHexColor("12G"), 0x12u);
    EXPECT_EQ(ReadHexColor("xyz"), 0u);
    EXPECT_EQ(ReadHexColor(""), 0u);
    EXPECT_EQ(ReadHexColor(" 00FF00"), 0x00FF00u);
    // A sign is no hexadecimal digit: the colour stays, and never gains high bits.
    EXPECT_EQ(ReadHexColorInto("-1", &kept), 0);
    EXPECT_EQ(ReadHexColorInto("+FF", &kept), 0);
    EXPECT_EQ(kept, 0xFFu);
}

TEST(DigitLayout, DigitRangeRules) {
    struct Case {
        int32_t first, last, wantFirst, wantLast;
    } cases[] = {
        {4, 9, 4, 9},  {7, 3, 0, 11}, {-1, 9, 0, 9},  {4, 12, 4, 11},
        {5, 5, 5, 5},  {12, 3, 0, 3}, {0, 11, 0, 11}, {11, -1, 11, 11}, // one slot is a range
        {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        int32_t first = c.first, last = c.last;
        ClampDigitRange(&first, &last);
        EXPECT_EQ(first, c.wantFirst) << c.first << "," << c.last;
        EXPECT_EQ(last, c.wantLast) << c.first << "," << c.last;
    }
}
