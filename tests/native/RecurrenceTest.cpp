#include "Recurrence.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Central Europe with summer time: every test runs across a real clock change.
class RecurrenceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        tzset();
        memset(&table_, 0, sizeof(table_));
    }
    void TearDown() override {
        unsetenv("TZ");
        tzset();
    }

    static CalendarTime T(const char* text) {
        CalendarTime t = ParseDateText(text);
        EXPECT_NE(t, -1) << text;
        return t;
    }
    static std::string S(CalendarTime t) {
        char text[32];
        if (!FormatDateText(t, text, sizeof(text), DATE_FILE))
            return "-1";
        return text;
    }
    static EventRecord Event(const char* start, int code) {
        EventRecord e;
        memset(&e, 0, sizeof(e));
        e.startTime = T(start);
        e.recurrence = code;
        return e;
    }
    std::string Next(const char* start, int code, const char* now, int lastOfMonth = 1) {
        EventRecord e = Event(start, code);
        return S(NextOccurrence(&e, T(now), lastOfMonth));
    }

    EventTable table_;
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
}

TEST_F(RecurrenceTest, ClampDayOfMonthOnTheMonthAsBuilt) {
    for (int month = -1; month <= 12; month++) {
        struct tm t;
        memset(&t, 0, sizeof(t));
        t.tm_year = 2100 - 1900; // divisible by 4: counted as a leap year
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
}

TEST_F(RecurrenceTest, DailyEventKeepsItsLocalTimeAcrossClockChanges) {
    // Summer time starts on 2003-03-30 and ends on 2003-10-26.
    EXPECT_EQ(Next("2003-03-01 08:00:00", RECUR_DAILY, "2003-03-30 07:00:00"), "2003-03-30 08:00:00");
    EXPECT_EQ(T("2003-03-30 08:00:00") - T("2003-03-29 08:00:00"), 23 * 3600);
    EXPECT_EQ(Next("2003-03-01 08:00:00", RECUR_DAILY, "2003-10-26 07:00:00"), "2003-10-26 08:00:00");
    EXPECT_EQ(T("2003-10-26 08:00:00") - T("2003-10-25 08:00:00"), 25 * 3600);
    EXPECT_EQ(Next("2003-03-01 08:00:00", RECUR_WEEKLY, "2003-03-29 09:00:00"), "2003-04-05 08:00:00");
}

TEST_F(RecurrenceTest, DueListKeepsTheNext960SecondsAndAtMost16) {
    CalendarTime now = T("2003-06-15 09:00:00");
    const char* starts[] = {"2003-06-15 09:00:00", "2003-06-15 09:00:01", "2003-06-15 09:16:00",
                            "2003-06-15 09:16:01", "2003-06-01 09:05:00"};
    int codes[] = {RECUR_NONE, RECUR_NONE, RECUR_NONE, RECUR_NONE, RECUR_DAILY};
    for (int i = 0; i < 5; i++)
        table_.slots[i] = Event(starts[i], codes[i]);
    DueList due;
    FillDueList(&due, &table_, now, 1);
    ASSERT_EQ(due.count, 3u); // now itself and now + 961 lie outside
    EXPECT_EQ(S(due.entries[0].time), "2003-06-15 09:00:01");
    EXPECT_EQ(due.entries[0].eventIndex, 1);
    EXPECT_EQ(S(due.entries[1].time), "2003-06-15 09:16:00");
    EXPECT_EQ(due.entries[1].eventIndex, 2);
    EXPECT_EQ(S(due.entries[2].time), "2003-06-15 09:05:00");
    EXPECT_EQ(due.entries[2].eventIndex, 4);
    EXPECT_EQ(due.entries[2].done, 0);

    for (int i = 0; i < MAX_EVENTS; i++)
        table_.slots[i] = Event("2003-06-15 09:10:00", RECUR_NONE);
    FillDueList(&due, &table_, now, 1);
    ASSERT_EQ(due.count, 16u);
    EXPECT_EQ(due.entries[15].eventIndex, 15);

    memset(&table_, 0, sizeof(table_));
    FillDueList(&due, &table_, now, 1);
    EXPECT_EQ(due.count, 0u);
}

TEST_F(RecurrenceTest, MissedEventsAtStart) {
    CalendarTime now = T("2003-06-15 09:00:00");
    CalendarTime lastCheck = T("2003-06-14 18:00:00");
    table_.slots[0] = Event("2003-06-01 08:00:00", RECUR_DAILY);   // today 08:00
    table_.slots[1] = Event("2003-06-14 20:00:00", RECUR_NONE);    // yesterday 20:00
    table_.slots[2] = Event("2003-06-01 08:30:00", RECUR_HOURLY);  // never reported
    table_.slots[3] = Event("2003-06-16 08:00:00", RECUR_DAILY);   // starts tomorrow
    table_.slots[4] = Event("2003-06-14 17:00:00", RECUR_NONE);    // before the last check
    table_.slots[5] = Event("2003-06-02 08:00:00", RECUR_WEEKLY);  // Monday: last one before the check
    table_.slots[6] = Event("2003-05-14 23:00:00", RECUR_MONTHLY); // yesterday 23:00
    table_.slots[7] = Event("2003-06-15 10:00:00", RECUR_NONE);    // still ahead
    DueList due;
    FillMissedList(&due, &table_, now, lastCheck, 1);
    ASSERT_EQ(due.count, 3u);
    EXPECT_EQ(S(due.entries[0].time), "2003-06-15 08:00:00");
    EXPECT_EQ(due.entries[0].eventIndex, 0);
    EXPECT_EQ(S(due.entries[1].time), "2003-06-14 20:00:00");
    EXPECT_EQ(due.entries[1].eventIndex, 1);
    EXPECT_EQ(S(due.entries[2].time), "2003-06-14 23:00:00");
    EXPECT_EQ(due.entries[2].eventIndex, 6);

    // A daily event missed both today and yesterday yields only today's.
    memset(&table_, 0, sizeof(table_));
    table_.slots[0] = Event("2003-06-01 08:00:00", RECUR_DAILY);
    FillMissedList(&due, &table_, now, T("2003-06-10 00:00:00"), 1);
    ASSERT_EQ(due.count, 1u);
    EXPECT_EQ(S(due.entries[0].time), "2003-06-15 08:00:00");
    // Before today's 08:00 the previous day's counts.
    FillMissedList(&due, &table_, T("2003-06-15 07:00:00"), T("2003-06-10 00:00:00"), 1);
    ASSERT_EQ(due.count, 1u);
    EXPECT_EQ(S(due.entries[0].time), "2003-06-14 08:00:00");
}

TEST_F(RecurrenceTest, MissedListStopsAt16) {
    for (int i = 0; i < MAX_EVENTS; i++)
        table_.slots[i] = Event("2003-06-15 08:00:00", RECUR_NONE);
    DueList due;
    FillMissedList(&due, &table_, T("2003-06-15 09:00:00"), T("2003-06-15 07:00:00"), 1);
    EXPECT_EQ(due.count, 16u);
}

TEST_F(RecurrenceTest, UpcomingOccurrencesFollowTheMissedOnesAtStart) {
    CalendarTime now = T("2003-06-15 09:00:00");
    table_.slots[0] = Event("2003-06-15 08:00:00", RECUR_NONE); // missed
    table_.slots[1] = Event("2003-06-15 09:00:01", RECUR_NONE); // due before the first check
    DueList due;
    FillMissedList(&due, &table_, now, T("2003-06-15 07:00:00"), 1);
    AppendDueOccurrences(&due, &table_, now, 1);
    ASSERT_EQ(due.count, 2u);
    EXPECT_EQ(due.entries[0].eventIndex, 0);
    EXPECT_EQ(due.entries[1].eventIndex, 1);
    EXPECT_EQ(S(due.entries[1].time), "2003-06-15 09:00:01");

    // A full list takes no more.
    for (int i = 0; i < MAX_EVENTS; i++)
        table_.slots[i] = Event("2003-06-15 08:30:00", RECUR_NONE);
    FillMissedList(&due, &table_, now, T("2003-06-15 07:00:00"), 1);
    ASSERT_EQ(due.count, 16u);
    AppendDueOccurrences(&due, &table_, now, 1);
    EXPECT_EQ(due.count, 16u);
}
