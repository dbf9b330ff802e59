#include "TextLayout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct ReplaceCase {
    const char* text;
    const char* searched;
    const char* replacement;
    const char* expected;
    int count;
};

TEST(ReplaceAll, ReplacesFromTheLeft) {
    const ReplaceCase cases[] = {
        {"one<br>two", "<br>", "\n", "one\ntwo", 1},
        {"<br>starts", "<br>", "\n", "\nstarts", 1},
        {"ends<br>", "<br>", "\n", "ends\n", 1},
        {"<br><br>", "<br>", "\n", "\n\n", 2},
        {"<b", "<br>", "\n", "<b", 0}, // shorter than the searched text
        {"", "<br>", "\n", "", 0},
        {"<BR>", "<br>", "\n", "<BR>", 0}, // case counts
        {"a\nb\nc", "\n", " ", "a b c", 2},
        {"<<br>br>", "<br>", "\n", "<\nbr>", 1}, // no second pass over the result
    };
    for (const ReplaceCase& c : cases) {
        char text[64];
        strcpy(text, c.text);
        EXPECT_EQ(ReplaceAll(text, sizeof(text), c.searched, c.replacement), c.count) << c.text;
        EXPECT_STREQ(text, c.expected) << c.text;
    }
}

TEST(ReplaceAll, NeverWritesBeyondItsBuffer) {
    // A full 511-character text with markers at both ends.
    char text[512];
    std::string full = "<br>" + std::string(503, 'x') + "<br>";
    ASSERT_EQ(full.size(), 511u);
    strcpy(text, full.c_str());
    EXPECT_EQ(ReplaceAll(text, sizeof(text), "<br>", "\n"), 2);
    EXPECT_EQ(strlen(text), 505u);
    EXPECT_EQ(text[0], '\n');
    EXPECT_EQ(text[504], '\n');

    // Growing replacements stop where the buffer ends.
    char small[8] = "abc";
    ReplaceAll(small, sizeof(small), "b", "bbbbbbbbbb");
    EXPECT_STREQ(small, "abc");
    // A replacement that holds the searched text is searched again one character
    // after its start, until the buffer is full.
    char grows[8] = "ab";
    EXPECT_EQ(ReplaceAll(grows, sizeof(grows), "a", "aaa"), 2);
    EXPECT_STREQ(grows, "aaaaab");
}

// Each character is 10 pixels wide.
int FixedFit(void*, const char*, int count, int width) {
    int fit = width / 10;
    return fit < count ? fit : count;
}

struct WrapCase {
    const char* text;
    int width;
    const char* expected;
    int inserted;
};

TEST(WrapText, BreaksAtTheLastBlankThatFits) {
    const WrapCase cases[] = {
        {"fits whole", 100, "fits whole", 0},
        {"one two three", 80, "one two\nthree", 1},
        {"one two three", 70, "one\ntwo\nthree", 2}, // the blank after a full line is not looked at
        {"one two three four", 80, "one two\nthree\nfour", 2},
        {"abc", 0, "abc", 0},                                // short text, no blank
        {"a b c", 0, "a\nb\nc", 2},                          // zero width: every blank breaks
        {"longword and more", 50, "longword\nand\nmore", 2}, // first word too wide
        {"exact fit more", 50, "exact\nfit\nmore", 2},       // a first word that fills the width
        {"a  b", 20, "a\n b", 1},
        {"", 50, "", 0},
        {" leading", 30, " leading", 0}, // the line's first character is never a break
    };
    for (const WrapCase& c : cases) {
        char text[64];
        strcpy(text, c.text);
        EXPECT_EQ(WrapText(text, c.width, FixedFit, nullptr), c.inserted) << c.text << " @" << c.width;
        EXPECT_STREQ(text, c.expected) << c.text << " @" << c.width;
    }
}

TEST(WrapText, HandlesAFullTextOfBlanks) {
    char text[512];
    memset(text, ' ', 511);
    text[511] = '\0';
    EXPECT_EQ(WrapText(text, 35, FixedFit, nullptr), 170);
    EXPECT_EQ(strlen(text), 511u);
    // Every line holds at most the three characters that fit.
    int line = 0;
    for (const char* p = text; *p; p++) {
        line = *p == '\n' ? 0 : line + 1;
        EXPECT_LE(line, 3);
    }
}

TEST(ComposeDisplayText, DateLineAboveTheMessage) {
    char display[DISPLAY_TEXT_SIZE];
    EXPECT_EQ(ComposeDisplayText(display, sizeof(display), "01.01.2000 00:00:00", "Hi", 1), 22);
    EXPECT_STREQ(display, "01.01.2000 00:00:00\nHi");
    EXPECT_EQ(ComposeDisplayText(display, sizeof(display), "01.01.2000 00:00:00", "Hi", 0), 2);
    EXPECT_STREQ(display, "Hi");
    EXPECT_EQ(ComposeDisplayText(display, sizeof(display), "", "", 0), 0);

    // The longest date line and message fill the buffer exactly.
    std::string date(31, 'd'), message(511, 'm');
    EXPECT_EQ(ComposeDisplayText(display, sizeof(display), date.c_str(), message.c_str(), 1), 543);
    EXPECT_EQ(std::string(display), date + "\n" + message);
    char small[8];
    EXPECT_EQ(ComposeDisplayText(small, sizeof(small), date.c_str(), message.c_str(), 1), 7);
    EXPECT_STREQ(small, "ddddddd");
}

TEST(AnimationTiming, PeriodAndStepFromTheSpeed) {
    struct {
        int32_t cps;
        uint32_t period;
        int32_t step;
    } const cases[] = {
        {1, 1000, 1}, {3, 333, 1}, {25, 40, 1},        {50, 20, 1},
        {51, 40, 2},  {74, 40, 2}, {75, 40, 3},        {512, 40, 20},
        {0, 40, 1},   {-5, 40, 1}, {INT32_MIN, 40, 1}, {INT32_MAX, 40, INT32_MAX / 25},
    };
    for (const auto& c : cases) {
        uint32_t period = 0;
        int32_t step = 0;
        AnimationTiming(c.cps, &period, &step);
        EXPECT_EQ(period, c.period) << c.cps;
        EXPECT_EQ(step, c.step) << c.cps;
    }
}

TEST(TextArea, LimitedToTheClientAndNeverEmptyWhereDrawn) {
    const AreaRect client = {0, 0, 440, 160};
    struct {
        AreaRect area, limited, drawn;
    } const cases[] = {
        {{15, 12, 410, 132}, {15, 12, 410, 132}, {15, 12, 410, 132}},
        {{-10, -20, 9999, 9999}, {0, 0, 440, 160}, {0, 0, 440, 160}},
        {{100, 10, 100, 50}, {100, 10, 100, 50}, {0, 0, 440, 160}}, // zero width
        {{300, 10, 200, 50}, {300, 10, 200, 50}, {0, 0, 440, 160}}, // right left of left
        {{500, 10, 600, 50}, {500, 10, 440, 50}, {0, 0, 440, 160}}, // beyond the picture
        {{10, 90, 200, 80}, {10, 90, 200, 80}, {0, 0, 440, 160}},   // bottom above top
    };
    for (const auto& c : cases) {
        AreaRect area = c.area;
        LimitTextArea(&area, &client);
        EXPECT_EQ(memcmp(&area, &c.limited, sizeof(area)), 0) << c.area.left << "," << c.area.right;
        AreaRect drawn = DrawingArea(&area, &client);
        EXPECT_EQ(memcmp(&drawn, &c.drawn, sizeof(drawn)), 0) << c.area.left << "," << c.area.right;
    }
}

} // namespace
