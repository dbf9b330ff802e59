#include "SkinNames.h"

#include <gtest/gtest.h>

#include <string>

TEST(SkinNames, SanitizeReplacesTheNineRefusedCharactersAndControlsOnly) {
    const struct {
        const char* name;
        const char* stem;
    } cases[] = {
        {"Night/Day", "Night_Day"},
        {"a\\b/c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j"},
        {"tab\there\x01\x1f\x7f", "tab_here___"},
        {"  spaced. dots..", "  spaced. dots.."},   // nothing trimmed
        {"Gr\xfcn & Wei\xdf", "Gr\xfcn & Wei\xdf"}, // other characters of the code page stay
        {"", ""},
    };
    for (const auto& c : cases) {
        char stem[SKIN_NAME_SIZE];
        SanitizeSkinName(c.name, stem, sizeof(stem));
        EXPECT_STREQ(stem, c.stem) << c.name;
    }
    char small[4];
    SanitizeSkinName("a:bcdef", small, sizeof(small));
    EXPECT_STREQ(small, "a_b");
}

TEST(SkinNames, DeviceNamesAreReservedInAnyCaseBeforeADotOrTrailingBlanks) {
    const char* reserved[] = {"CON",  "con",  "Nul",   "PRN",   "aux",       "COM1",   "com9",
                              "LPT1", "lpt9", "nul.x", "con  ", "CON .skin", "AUX.a.b"};
    for (const char* stem : reserved)
        EXPECT_TRUE(IsReservedStem(stem)) << stem;
    const char* allowed[] = {"CONSOLE", "NULL", "COM",  "COM0", "COM10", "LPT", "xCON",
                             " CON",    "CO N", "Blue", "",     ".con",  "_nul"};
    for (const char* stem : allowed)
        EXPECT_FALSE(IsReservedStem(stem)) << stem;
}

TEST(SkinNames, PathsThatWouldNotFitAreRefusedNotCut) {
    char path[SKIN_PATH_SIZE];
    ASSERT_TRUE(BuildSkinPath(path, sizeof(path), "C:\\Vantel", "Blue", "_b.bmp"));
    EXPECT_STREQ(path, "C:\\Vantel\\skins\\Blue_b.bmp");

    // 259 characters fit; one more does not.
    std::string directory = "C:\\" + std::string(200, 'd');
    const std::string fixed = directory + "\\skins\\" + ".ini";
    std::string stem(259 - fixed.size(), 's');
    ASSERT_TRUE(BuildSkinPath(path, sizeof(path), directory.c_str(), stem.c_str(), ".ini"));
    EXPECT_EQ(std::string(path).size(), 259u);
    stem += "s";
    EXPECT_FALSE(BuildSkinPath(path, sizeof(path), directory.c_str(), stem.c_str(), ".ini"));
    EXPECT_STREQ(path, "");
    EXPECT_FALSE(BuildSkinPath(path, sizeof(path), std::string(300, 'd').c_str(), "x", ""));
}

TEST(SkinNames, ARangeFromASkinIsHeldWithinTheTwelveSlots) {
    const struct {
        int32_t first, last, wantFirst, wantLast;
    } cases[] = {
        {4, 9, 4, 9},     // as given
        {0, 0, 0, 0},     // both missing: the one slot of thousands of days
        {7, 7, 7, 7},     // one slot stays one slot
        {9, 4, 4, 9},     // backwards: turned round
        {-3, 20, 0, 11},  // outside: to the ends
        {12, 12, 11, 11}, //
        {INT32_MIN, INT32_MAX, 0, 11},
        {15, -1, 0, 11}, // outside and backwards
    };
    for (const auto& c : cases) {
        int32_t first = c.first, last = c.last;
        ClampSkinRange(&first, &last);
        EXPECT_EQ(first, c.wantFirst) << c.first << ".." << c.last;
        EXPECT_EQ(last, c.wantLast) << c.first << ".." << c.last;
    }
}
