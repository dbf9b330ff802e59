#include "CentralEuropeTest.h"
#include "Recurrence.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class RecurrenceTest : public CentralEuropeTest {
  protected:
    static EventRecord Event(const char* start, int code) {
        EventRecord e;
        memset(&e, 0, sizeof(e));
        e.startTime = T(start);
        e.recurrence = code;
        return e;
    }
    std::string Next(const char* start, int code, const char* now, int lastOfMonth = 1) {
        EventRecord e = Event(start, code);
        return S(NextOccurrenceAfter(&e, T(now), lastOfMonth));
    }
};

} // namespace

TEST_F(RecurrenceTest, NextOccurrenceOfEachPattern) {
    EXPECT_EQ(Next("2003-06-01 08:00:00", RECUR_DAILY, "2003-06-15 09:00:00"), "2003-06-16 08:00:00");
    EXPECT_EQ(Next("2003-06-01 08:00:00", RECUR_DAILY, "2003-06-15 07:00:00"), "2003-06-15 08:00:00");
    EXPECT_EQ(Next("2003-06-01 08:15:00", RECUR_HOURLY, "2003-06-15 23:30:00"), "2003-06-16 00:15:00");
    EXPECT_EQ(Next("2003-06-01 08:15:00", RECUR_HOURLY, "2003-06-15 23:10:00"), "2003-06-15 23:15:00");
    // 2003-06-02 is a Monday; 2003-06-11 a Wednesday.
    EXPECT_EQ(Next("2003-06-02 08:00:00", RECUR_WEEKLY, "2003-06-11 10:00:00"), "2003-06-16 08:00:00");
    EXPECT_EQ(Next("2003-06-02 08:00:00", RECUR_WEEKLY, "2003-06-16 07:00:00"), "2003-06-16 08:00:00");
    EXPECT_EQ(Next("2003-06-02 08:00:00", RECUR_WEEKLY, "2003-06-16 08:00:00"), "2003-06-23 08:00:00");
    EXPECT_EQ(Next("2003-01-15 10:00:00", RECUR_MONTHLY, "2003-06-20 00:00:00"), "2003-07-15 10:00:00");
    EXPECT_EQ(Next("2001-12-24 18:00:00", RECUR_YEARLY, "2003-12-24 17:59:59"), "2003-12-24 18:00:00");
    EXPECT_EQ(Next("2001-12-24 18:00:00", RECUR_YEARLY, "2003-12-25 00:00:00"), "2004-12-24 18:00:00");
}

TEST_F(RecurrenceTest, StartTimesAheadAndPastOneShots) {
    for (int code = RECUR_NONE; code <= RECUR_YEARLY; code++)
        EXPECT_EQ(Next("2003-07-01 12:00:00", code, "2003-06-15 09:00:00"), "2003-07-01 12:00:00") << code;
    EXPECT_EQ(Next("2003-06-01 12:00:00", RECUR_NONE, "2003-06-15 09:00:00"), "-1");
    EXPECT_EQ(Next("2003-06-01 12:00:00", 9, "2003-06-15 09:00:00"), "-1"); // unknown code: one-shot
    EXPECT_EQ(Next("2003-06-01 12:00:00", -2, "2003-06-15 09:00:00"), "-1");
}

TEST_F(RecurrenceTest, LastDayOfMonthCorrection) {
    EXPECT_EQ(Next("2003-01-31 10:00:00", RECUR_MONTHLY, "2003-04-10 00:00:00", 1), "2003-04-30 10:00:00");
    EXPECT_EQ(Next("2003-01-31 10:00:00", RECUR_MONTHLY, "2003-04-10 00:00:00", 0), "2003-05-01 10:00:00");
    EXPECT_EQ(Next("2000-02-29 12:00:00", RECUR_YEARLY, "2003-01-10 00:00:00", 1), "2003-02-28 12:00:00");
    EXPECT_EQ(Next("2000-02-29 12:00:00", RECUR_YEARLY, "2004-01-10 00:00:00", 1), "2004-02-29 12:00:00");
    EXPECT_EQ(Next("2000-02-29 12:00:00", RECUR_YEARLY, "2003-01-10 00:00:00", 0), "2003-03-01 12:00:00");
    // A monthly event on the 31st falls on every month's last day, leap years included.
    static const int kLast2003[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int year = 2003; year <= 2004; year++)
        for (int month = 1; month <= 12; month++) {
            char now[32], want[32];
            snprintf(now, sizeof(now), "%d-%02d-01 00:00:00", year, month);
            int last = kLast2003[month - 1] + (month == 2 && year == 2004);
            snprintf(want, sizeof(want), "%d-%02d-%02d 10:00:00", year, month, last);
            EXPECT_EQ(Next("2002-12-31 10:00:00", RECUR_MONTHLY, now, 1), want);
        }
    // A day up to 28 is never corrected.
    EXPECT_EQ(Next("2003-01-28 10:00:00", RECUR_MONTHLY, "2003-02-10 00:00:00", 1), "2003-02-28 10:00:00");
    // Rolled over, the occurrence lies in the month after the one it belongs to, and
    // comes before that month's own.
    struct Case {
        const char *start, *now, *want;
    } rolled[] = {
        {"2003-01-31 10:00:00", "2003-04-30 23:00:00", "2003-05-01 10:00:00"},
        {"2003-01-31 10:00:00", "2003-05-01 09:59:59", "2003-05-01 10:00:00"},
        {"2003-01-31 10:00:00", "2003-05-01 10:00:00", "2003-05-31 10:00:00"},
        {"2003-01-30 10:00:00", "2003-03-01 00:00:00", "2003-03-02 10:00:00"},
        {"2003-01-31 10:00:00", "2003-03-02 12:00:00", "2003-03-03 10:00:00"},
        {"2003-01-31 10:00:00", "2003-03-03 12:00:00", "2003-03-31 10:00:00"},
        {"2003-01-29 10:00:00", "2003-02-28 11:00:00", "2003-03-01 10:00:00"},
    };
    for (const Case& c : rolled)
        EXPECT_EQ(Next(c.start, RECUR_MONTHLY, c.now, 0), c.want) << c.start << " after " << c.now;
}

TEST_F(RecurrenceTest, ClampDayOfMonthOnTheMonthAsBuilt) {
    for (int month = -1; month <= 12; month++) {
        struct tm t;
        memset(&t, 0, sizeof(t));
        t.tm_year = 2096 - 1900;
        t.tm_mon = month;
        t.tm_mday = 31;
        ClampDayOfMonth(&t);
        int want = 31;
        if (month == 3 || month == 5 || month == 8 || month == 10)
            want = 30;
        else if (month == 1)
            want = 29;
        EXPECT_EQ(t.tm_mday, want) << month;
    }
    struct tm feb;
    memset(&feb, 0, sizeof(feb));
    feb.tm_year = 2003 - 1900;
    feb.tm_mon = 1;
    feb.tm_mday = 30;
    ClampDayOfMonth(&feb);
    EXPECT_EQ(feb.tm_mday, 28);
    // Gregorian: 2100 has no 29 February, 2000 and 2400 have.
    const int years[][2] = {{2100, 28}, {2000, 29}, {2400, 29}, {2900, 28}};
    for (const auto& year : years) {
        feb.tm_year = year[0] - 1900;
        feb.tm_mday = 31;
        ClampDayOfMonth(&feb);
        EXPECT_EQ(feb.tm_mday, year[1]) << year[0];
    }
}

TEST_F(RecurrenceTest, DailyEventKeepsItsLocalTimeAcrossClockChanges) {
    // Summer time starts on 2003-03-30 and ends on 2003-10-26.
    EXPECT_EQ(Next("2003-03-01 08:00:00", RECUR_DAILY, "2003-03-30 07:00:00"), "2003-03-30 08:00:00");
    EXPECT_EQ(T("2003-03-30 08:00:00") - T("2003-03-29 08:00:00"), 23 * 3600);
    EXPECT_EQ(Next("2003-03-01 08:00:00", RECUR_DAILY, "2003-10-26 07:00:00"), "2003-10-26 08:00:00");
    EXPECT_EQ(T("2003-10-26 08:00:00") - T("2003-10-25 08:00:00"), 25 * 3600);
    EXPECT_EQ(Next("2003-03-01 08:00:00", RECUR_WEEKLY, "2003-03-29 09:00:00"), "2003-04-05 08:00:00");
}

TEST_F(RecurrenceTest, MissedOccurrences) {
    // Now 2003-06-15 09:00 (a Sunday), the last check yesterday 18:00.
    struct Case {
        const char* start;
        int code;
        const char* lastCheck;
        const char* want;
    } cases[] = {
        {"2003-06-01 08:00:00", RECUR_DAILY, "2003-06-14 18:00:00", "2003-06-15 08:00:00"}, // today 08:00
        {"2003-06-14 20:00:00", RECUR_NONE, "2003-06-14 18:00:00", "2003-06-14 20:00:00"},  // one-shot
        {"2003-06-01 08:30:00", RECUR_HOURLY, "2003-06-14 18:00:00", "-1"},                 // never reported
        {"2003-06-16 08:00:00", RECUR_DAILY, "2003-06-14 18:00:00", "-1"},                  // starts tomorrow
        {"2003-06-14 17:00:00", RECUR_NONE, "2003-06-14 18:00:00", "-1"},   // before the check
        {"2003-06-02 08:00:00", RECUR_WEEKLY, "2003-06-14 18:00:00", "-1"}, // Monday, long ago
        {"2003-05-14 23:00:00", RECUR_MONTHLY, "2003-06-14 18:00:00",
         "2003-06-14 23:00:00"},                                                            // yesterday 23:00
        {"2003-06-15 10:00:00", RECUR_NONE, "2003-06-14 18:00:00", "-1"},                   // still ahead
        {"2003-06-01 08:00:00", RECUR_DAILY, "2003-06-10 00:00:00", "2003-06-15 08:00:00"}, // only the latest
    };
    for (const Case& c : cases) {
        EventRecord e = Event(c.start, c.code);
        EXPECT_EQ(S(MissedOccurrence(&e, T("2003-06-15 09:00:00"), T(c.lastCheck), 1)), c.want) << c.start;
    }
    // Before today's 08:00 the previous day's counts.
    EventRecord daily = Event("2003-06-01 08:00:00", RECUR_DAILY);
    EXPECT_EQ(S(MissedOccurrence(&daily, T("2003-06-15 07:00:00"), T("2003-06-10 00:00:00"), 1)),
              "2003-06-14 08:00:00");
}
