// Calendar time past 2038 and to the end of 3000: the conversions, the date texts and
// the recurrence where a 32-bit count or a calendar of every fourth year goes wrong,
// in the zones furthest from UTC.
#include "ClockChanges.h"
#include "Recurrence.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// As POSIX rules: UTC, the zones furthest from UTC, and the same with daylight saving
// over the turn of the year.
const char* const kFarZones[] = {"UTC0", "<-12>12", "<+14>-14", "<-11>11<-10>,M1.1.0,M12.5.0",
                                 "<+13>-13<+14>,M1.1.0,M12.5.0"};

std::string Text(CalendarTime t) {
    char text[32];
    return FormatDateText(t, text, sizeof(text), DATE_FILE) ? text : "-1";
}

// Seconds of a local time on a clock that never changes its offset; -1 for none.
int64_t LocalSecondsOf(CalendarTime t) {
    struct tm local;
    return CalendarToLocal(t, &local) ? t + LocalOffset(t) : -1;
}

class FarZoneTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        SetTimeZone(GetParam());
    }
    void TearDown() override {
        unsetenv("TZ");
        tzset();
    }
    static std::string Next(const char* start, int code, const char* after, int lastOfMonth = 1) {
        EventRecord event;
        memset(&event, 0, sizeof(event));
        event.startTime = ParseDateText(start);
        event.recurrence = code;
        EXPECT_GT(event.startTime, 0) << start;
        return Text(NextOccurrenceAfter(&event, ParseDateText(after), lastOfMonth));
    }
};

} // namespace

TEST(CalendarRange, InstantsAtTheFarDatesInUtc) {
    SetTimeZone("UTC0");
    const struct {
        const char* text;
        CalendarTime time;
        const char* written; // the text written back, normalised
        int weekday;
    } cases[] = {
        {"2038-01-19 03:14:07", INT32_MAX, "2038-01-19 03:14:07", 2},
        {"2038-01-19 03:14:08", 2147483648, "2038-01-19 03:14:08", 2},
        {"2100-02-28 23:59:59", 4107542399, "2100-02-28 23:59:59", 0},
        {"2100-02-29 00:00:00", 4107542400, "2100-03-01 00:00:00", 1}, // no leap day in 2100
        {"2999-12-31 00:00:00", 32503593600, "2999-12-31 00:00:00", 2},
        {"3000-12-31 23:59:59", LAST_RUNTIME_TIME, "3000-12-31 23:59:59", 3},
        {"3001-01-01 11:59:59", LAST_CALENDAR_TIME, "3001-01-01 11:59:59", 4},
        {"3001-01-01 12:00:00", -1, "-1", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseDateText(c.text), c.time) << c.text;
        EXPECT_EQ(Text(c.time), c.written) << c.text;
        struct tm local;
        if (c.time != -1) {
            ASSERT_TRUE(CalendarToLocal(c.time, &local)) << c.text;
            EXPECT_EQ(local.tm_wday, c.weekday) << c.text;
        }
    }
    unsetenv("TZ");
    tzset();
}

TEST_P(FarZoneTest, EveryDayFrom2January1970To31December3000Converts) {
    // The range's ends in this zone, and the seconds where a narrower count ends.
    const char* inside[] = {"1970-01-02 00:00:00", "2038-01-19 03:14:07", "2038-01-19 03:14:08",
                            "2100-02-28 12:00:00", "2999-12-31 23:59:59", "3000-12-31 23:59:59"};
    for (const char* text : inside) {
        CalendarTime t = ParseDateText(text);
        EXPECT_GT(t, 0) << text;
        EXPECT_EQ(Text(t), text);
    }
    EXPECT_EQ(ParseDateText("1969-12-31 11:59:59"), -1);
    EXPECT_EQ(ParseDateText("3001-01-02 02:00:00"), -1);
    // Each second on from the last, the local clock goes on by one second: at 2038's
    // limit and where the runtime's calendar ends and the last offset carries on.
    const CalendarTime seams[] = {INT32_MAX, LAST_RUNTIME_TIME};
    for (CalendarTime seam : seams)
        for (CalendarTime t = seam - 2; t <= seam + 2; t++) {
            EXPECT_EQ(LocalSecondsOf(t + 1) - LocalSecondsOf(t), 1) << t;
            EXPECT_EQ(ParseDateText(Text(t).c_str()), t) << Text(t);
        }
    printf("range in %s: %s to %s\n", GetParam(), Text(0).c_str(), Text(LAST_CALENDAR_TIME).c_str());
}

TEST_P(FarZoneTest, RecurrenceAtTheFarDates) {
    const struct {
        const char* start;
        int code;
        const char* after;
        const char* want;
        int lastOfMonth;
    } cases[] = {
        {"2038-01-19 02:14:35", RECUR_HOURLY, "2038-01-19 03:14:07", "2038-01-19 03:14:35", 1},
        {"2038-01-18 03:14:08", RECUR_DAILY, "2038-01-19 03:14:07", "2038-01-19 03:14:08", 1},
        {"2037-12-31 10:00:00", RECUR_MONTHLY, "2100-02-01 00:00:00", "2100-02-28 10:00:00", 1},
        {"2096-02-29 12:00:00", RECUR_YEARLY, "2100-01-01 00:00:00", "2100-02-28 12:00:00", 1},
        {"2096-02-29 12:00:00", RECUR_YEARLY, "2100-01-01 00:00:00", "2100-03-01 12:00:00", 0},
        {"2096-02-29 12:00:00", RECUR_YEARLY, "2103-03-01 00:00:00", "2104-02-29 12:00:00", 1},
        {"2999-12-24 08:00:00", RECUR_WEEKLY, "2999-12-31 09:00:00", "3000-01-07 08:00:00", 1},
        {"2999-12-31 08:00:00", RECUR_DAILY, "3000-12-30 09:00:00", "3000-12-31 08:00:00", 1},
        {"2999-12-31 23:59:59", RECUR_YEARLY, "3000-01-01 00:00:00", "3000-12-31 23:59:59", 1},
        {"2999-12-31 23:30:00", RECUR_HOURLY, "3000-12-31 23:00:00", "3000-12-31 23:30:00", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Next(c.start, c.code, c.after, c.lastOfMonth), c.want) << c.start << " after " << c.after;
    // Past the end, a date a zone still has, or none; never a wrong one.
    std::string beyond = Next("2999-12-31 08:00:00", RECUR_DAILY, "3000-12-31 09:00:00");
    EXPECT_TRUE(beyond == "-1" || beyond == "3001-01-01 08:00:00") << beyond;
    EventRecord daily = {ParseDateText("2999-12-31 23:00:00"), RECUR_DAILY, "", "", ""};
    EXPECT_EQ(Text(MissedOccurrence(&daily, ParseDateText("3000-12-31 23:59:59"),
                                    ParseDateText("3000-12-31 12:00:00"), 1)),
              "3000-12-31 23:00:00");
}

INSTANTIATE_TEST_SUITE_P(Zones, FarZoneTest, ::testing::ValuesIn(kFarZones));
