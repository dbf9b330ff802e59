#include "EventTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Time zones written as POSIX rules, so no time zone database is needed.
const char* const kZones[] = {
    "UTC0",
    "CET-1CEST,M3.5.0,M10.5.0/3",           // Central Europe, summer time
    "EST5EDT,M3.2.0,M11.1.0",               // US Eastern, daylight saving
    "<+0530>-5:30",                         // half-hour offset, no daylight saving
    "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", // southern summer time across new year
};

class ZoneTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        const char* old = getenv("TZ");
        saved_ = old ? old : "";
        hadZone_ = old != nullptr;
        setenv("TZ", GetParam(), 1);
        tzset();
    }
    void TearDown() override {
        if (hadZone_)
            setenv("TZ", saved_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

  private:
    std::string saved_;
    bool hadZone_ = false;
};

std::string Format(CalendarTime t, int form) {
    char text[64];
    FormatDateText(t, text, sizeof(text), form);
    return text;
}

} // namespace

TEST_P(ZoneTest, FileDateTextRoundTripsAcrossTheWholeRange) {
    // Every 7 hours 13 minutes 17 seconds from 1970 to 2038, then every 4 days and as
    // much to the end of 3000: formatting then parsing gives the same text back; the
    // time itself too, except in the hour a clock change repeats, where the
    // conversion may pick either of the two.
    for (int64_t t = 100000; t <= LAST_CALENDAR_TIME;
         t += (t < INT32_MAX ? 0 : 4 * 86400) + 7 * 3600 + 13 * 60 + 17) {
        std::string text = Format((CalendarTime)t, DATE_FILE);
        ASSERT_EQ(text.size(), 19u) << t;
        CalendarTime back = ParseDateText(text.c_str());
        ASSERT_NE(back, -1) << text;
        ASSERT_EQ(Format(back, DATE_FILE), text) << t;
        if (back != t) {
            ASSERT_LE(std::llabs((long long)back - t), 3600) << text; // the repeated hour or half hour
        }
    }
}

TEST_P(ZoneTest, OutOfRangeFieldsAreNormalised) {
    EXPECT_EQ(Format(ParseDateText("2003-13-01 00:00:00"), DATE_FILE), "2004-01-01 00:00:00");
    EXPECT_EQ(Format(ParseDateText("2003-04-31 12:00:00"), DATE_FILE), "2003-05-01 12:00:00");
    EXPECT_EQ(Format(ParseDateText("2003-06-15 24:00:00"), DATE_FILE), "2003-06-16 00:00:00");
    EXPECT_EQ(Format(ParseDateText("2004-02-30 10:61:75"), DATE_FILE), "2004-03-01 11:02:15");
    EXPECT_EQ(Format(ParseDateText("2003-6-5 1:2:3"), DATE_FILE), "2003-06-05 01:02:03");
}

TEST_P(ZoneTest, DatesPast3000OrBefore1970GiveMinusOne) {
    EXPECT_EQ(ParseDateText("3001-01-02 00:00:00"), -1);
    EXPECT_EQ(ParseDateText("3100-03-01 00:00:00"), -1);
    EXPECT_EQ(ParseDateText("1969-06-01 00:00:00"), -1);
    EXPECT_EQ(ParseDateText("1900-01-01 00:00:00"), -1);
    EXPECT_EQ(ParseDateText("99999-01-01 00:00:00"), -1);
    EXPECT_EQ(ParseDateText("2147483647-2147483647-1 00:00:00"), -1);
    // Inside: past 2038 and to the last second of 3000 in every zone.
    EXPECT_NE(ParseDateText("2040-01-01 00:00:00"), -1);
    EXPECT_NE(ParseDateText("3000-12-31 23:59:59"), -1);
}

TEST_P(ZoneTest, TextsWithoutSixNumbersDoNotConvert) {
    EXPECT_EQ(ParseDateText(""), -1);
    EXPECT_EQ(ParseDateText("2003-06-15"), -1);
    EXPECT_EQ(ParseDateText("2003-06-15 20:03"), -1);
    EXPECT_EQ(ParseDateText("15.06.2003 20:03:54"), -1);
    EXPECT_EQ(ParseDateText("tomorrow"), -1);
    EXPECT_EQ(ParseDateText(nullptr), -1);
}

TEST_P(ZoneTest, NumbersBeyond32BitsDoNotWrapIntoADate) {
    // Found by the date text fuzz target: read through sscanf, glibc wrapped these
    // numbers into range (4294967297 became 1, the long seconds -1), so each text
    // converted to a date in 2000 or 2001.
    EXPECT_EQ(ParseDateText("2000-4294967297-01 00:00:00"), -1);
    EXPECT_EQ(ParseDateText("2000-01-01 00:00:4294967296"), -1);
    EXPECT_EQ(ParseDateText("2000-12-292 35:9:59033333666666666333332~33-14 20:03"), -1);
    int n[DATE_FIELDS];
    ASSERT_TRUE(ReadDateNumbers("2000-4294967297-01 00:00:-99999999999", n));
    EXPECT_EQ(n[1], INT32_MAX);
    EXPECT_EQ(n[5], INT32_MIN);
    // White space before each number, and any (or none) between date and time.
    ASSERT_TRUE(ReadDateNumbers(" 2003-\t6-+15\n20: 3:-4", n));
    const int expected[DATE_FIELDS] = {2003, 6, 15, 20, 3, -4};
    for (int i = 0; i < DATE_FIELDS; i++)
        EXPECT_EQ(n[i], expected[i]) << i;
    EXPECT_TRUE(ReadDateNumbers("2003-06-15 20:03:54", n));
    EXPECT_FALSE(ReadDateNumbers("2003-06-15 20:03:", n));
    EXPECT_FALSE(ReadDateNumbers("2003 -06-15 20:03:54", n));
    EXPECT_FALSE(ReadDateNumbers("2003-06-15 20:03:+", n));
}

TEST_P(ZoneTest, DisplayFormAndTimesWithoutLocalTime) {
    CalendarTime t = ParseDateText("2003-06-15 20:03:54");
    EXPECT_EQ(Format(t, DATE_DISPLAY), "15.06.2003 20:03:54");
    EXPECT_EQ(Format(t, DATE_FILE), "2003-06-15 20:03:54");
    char text[8] = "xxxxxxx";
    EXPECT_EQ(FormatDateText(t, text, sizeof(text), DATE_FILE), 0); // does not fit
    EXPECT_STREQ(text, "");
    char wide[32] = "x";
    EXPECT_EQ(FormatDateText(-1, wide, sizeof(wide), DATE_FILE), 0);
    EXPECT_STREQ(wide, "");
}

INSTANTIATE_TEST_SUITE_P(Zones, ZoneTest, ::testing::ValuesIn(kZones));

TEST(DateText, LimitsOfTheCalendarInUtc) {
    setenv("TZ", "UTC0", 1);
    tzset();
    EXPECT_EQ(ParseDateText("1970-01-01 00:00:00"), 0);
    EXPECT_EQ(ParseDateText("2038-01-19 03:14:07"), INT32_MAX);
    EXPECT_EQ(ParseDateText("2038-01-19 03:14:08"), (CalendarTime)INT32_MAX + 1);
    EXPECT_EQ(Format(INT32_MAX, DATE_FILE), "2038-01-19 03:14:07");
    EXPECT_EQ(ParseDateText("3000-12-31 23:59:59"), LAST_RUNTIME_TIME);
    EXPECT_EQ(ParseDateText("3001-01-01 11:59:59"), LAST_CALENDAR_TIME);
    EXPECT_EQ(ParseDateText("3001-01-01 12:00:00"), -1);
    EXPECT_EQ(Format(LAST_CALENDAR_TIME + 1, DATE_FILE), "");
    unsetenv("TZ");
    tzset();
}

TEST(DateText, DaylightSavingIsLeftToTheConversion) {
    // Summer and winter dates in Central Europe are one and two hours ahead of UTC.
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    EXPECT_EQ(ParseDateText("2003-06-15 12:00:00"), 1055671200); // 10:00 UTC
    EXPECT_EQ(ParseDateText("2003-01-15 12:00:00"), 1042628400); // 11:00 UTC
    unsetenv("TZ");
    tzset();
}

TEST(Recurrence, NamesMatchExactly) {
    EXPECT_EQ(RecurrenceCodeFromName("Hourly"), 1);
    EXPECT_EQ(RecurrenceCodeFromName("hourly"), 0);
    EXPECT_EQ(RecurrenceCodeFromName("Yearly"), 5);
    EXPECT_EQ(RecurrenceCodeFromName("Daily "), 0);
    EXPECT_EQ(RecurrenceCodeFromName(""), 0);
    EXPECT_EQ(RecurrenceCodeFromName(nullptr), 0);
    const char* names[] = {"<none>", "Hourly", "Daily", "Weekly", "Monthly", "Yearly"};
    for (int code = 0; code < 6; code++) {
        EXPECT_STREQ(RecurrenceNameFromCode(code), names[code]);
        EXPECT_EQ(RecurrenceCodeFromName(names[code]), code);
    }
    EXPECT_STREQ(RecurrenceNameFromCode(6), "<none>");
    EXPECT_STREQ(RecurrenceNameFromCode(-1), "<none>");
}

TEST(EventList, EndsAtTheFirstUnusedSlot) {
    static EventTable table;
    memset(&table, 0, sizeof(table));
    EXPECT_EQ(CountEvents(&table), 0);
    table.slots[0].startTime = 5;
    table.slots[1].startTime = 7;
    table.slots[3].startTime = 9; // behind the end: not part of the list
    EXPECT_EQ(CountEvents(&table), 2);
    for (auto& slot : table.slots)
        slot.startTime = 1;
    EXPECT_EQ(CountEvents(&table), MAX_EVENTS);
}

TEST(EventList, CopyTextCutsToTheField) {
    char field[4];
    CopyText(field, sizeof(field), "abcdef");
    EXPECT_STREQ(field, "abc");
    CopyText(field, sizeof(field), nullptr);
    EXPECT_STREQ(field, "");
}
