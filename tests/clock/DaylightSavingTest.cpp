// Reminders through the clock changes of daylight saving, with the C runtime the
// program runs on: natively, and in the Windows build under Wine, whose C runtime
// resolves skipped and repeated local times its own way.
#include "ClockChanges.h"
#include "EventSchedule.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

#ifdef _WIN32
const char kZone[] = "CET-1CEST"; // the Windows C runtime picks the change dates itself
#else
const char kZone[] = "CET-1CEST,M3.5.0,M10.5.0/3";
#endif

// Years as UTC instants of their first second: one before 2038, the year 2038 (past
// a 32-bit count from January), 2100 (no leap day) and the last before 3000.
const CalendarTime kYears[][2] = {
    {2027, 1798761600}, {2038, 2145916800}, {2100, 4102444800}, {2999, 32472144000}};

struct Carried {
    CalendarTime time; // the occurrence
    CalendarTime at;   // the check that carried it out
};

class DaylightSaving : public ::testing::Test {
  protected:
    void SetUp() override {
        SetTimeZone(kZone);
    }
    // The year's two changes, for the year's cases.
    void UseYear(const CalendarTime year[2]) {
        SCOPED_TRACE(year[0]);
        memset(&table_, 0, sizeof(table_));
        carried_.clear();
        std::vector<ClockChange> changes = FindClockChanges(year[1], year[1] + 365 * 86400);
        ASSERT_EQ(changes.size(), 2u);
        spring_ = changes[0];
        autumn_ = changes[1];
        ASSERT_EQ(spring_.offsetAfter - spring_.offsetBefore, 3600);
        ASSERT_EQ(autumn_.offsetBefore - autumn_.offsetAfter, 3600);
    }
    void TearDown() override {
        SetTimeZone("UTC0");
    }

    // The calendar time of a local clock reading `shift` seconds after the one at
    // `t`, `days` days earlier.
    static CalendarTime LocalTimeFrom(CalendarTime t, int shift, int days) {
        struct tm local;
        EXPECT_TRUE(CalendarToLocal(t, &local));
        local.tm_sec += shift;
        local.tm_mday -= days;
        return LocalToCalendar(&local);
    }

    static void Record(const DueEntry* entry, void* context) {
        DaylightSaving* test = (DaylightSaving*)context;
        test->carried_.push_back({entry->time, test->now_});
    }

    // One event check a second from `from` to `to`.
    void Run(CalendarTime from, CalendarTime to) {
        ScheduleOptions options = {1, 1};
        StartEventSchedule(&schedule_, &table_, from, from, &options);
        for (now_ = from + 1; now_ <= to; now_++)
            RunEventCheck(&schedule_, &table_, now_, &options, Record, this);
    }

    static void LocalClock(CalendarTime t, int* hour, int* minute) {
        struct tm local;
        ASSERT_TRUE(CalendarToLocal(t, &local));
        *hour = local.tm_hour;
        *minute = local.tm_min;
    }

    EventTable table_;
    EventSchedule schedule_;
    ClockChange spring_, autumn_;
    CalendarTime now_ = 0;
    std::vector<Carried> carried_;
};

} // namespace

TEST_F(DaylightSaving, HourlyEventsFireAtEveryRealHourThroughBothChanges) {
    for (const auto& year : kYears) {
        UseYear(year);
        for (const ClockChange* change : {&spring_, &autumn_}) {
            carried_.clear();
            // At 20 minutes past each hour, from a start a week before.
            CalendarTime hourStart = change->at - (change->at % 3600);
            table_.slots[0] = {LocalTimeFrom(hourStart, 20 * 60, 7), RECUR_HOURLY, "", "hourly", ""};
            Run(change->at - 4 * 3600, change->at + 4 * 3600);
            ASSERT_EQ(carried_.size(), 8u) << "change at " << change->at;
            for (size_t i = 0; i < carried_.size(); i++) {
                EXPECT_EQ(carried_[i].at, carried_[i].time) << "on its own second";
                if (i > 0) {
                    EXPECT_EQ(carried_[i].time - carried_[i - 1].time, 3600) << i;
                }
            }
        }
    }
}

TEST_F(DaylightSaving, ALocalTimeTheSpringChangeSkipsFiresOnceJustAfterIt) {
    for (const auto& year : kYears) {
        UseYear(year);
        // Half an hour into the skipped hour, every day.
        CalendarTime start = LocalTimeFrom(spring_.at - 1, 1 + 30 * 60, 5);
        table_.slots[0] = {start, RECUR_DAILY, "", "daily", ""};
        Run(spring_.at - 6 * 3600, spring_.at + 30 * 3600);
        ASSERT_EQ(carried_.size(), 2u) << year[0];
        EXPECT_EQ(carried_[0].time, spring_.at) << "on the change day, at the change";
        int startHour = -1, startMinute = -1, hour = -2, minute = -2;
        LocalClock(start, &startHour, &startMinute);
        LocalClock(carried_[1].time, &hour, &minute);
        EXPECT_EQ(hour * 60 + minute, startHour * 60 + startMinute) << "the next day at its own time";
    }
}

TEST_F(DaylightSaving, ALocalTimeTheAutumnChangeRepeatsFiresOnce) {
    for (const auto& year : kYears) {
        UseYear(year);
        CalendarTime start = LocalTimeFrom(autumn_.at, 30 * 60, 5);
        table_.slots[0] = {start, RECUR_DAILY, "", "daily", ""};
        Run(autumn_.at - 6 * 3600, autumn_.at + 6 * 3600);
        ASSERT_EQ(carried_.size(), 1u) << year[0];
        EXPECT_EQ(carried_[0].time, autumn_.at + 30 * 60 - 3600) << "the first time the clock shows it";
        EXPECT_EQ(carried_[0].at, carried_[0].time);
    }
}

TEST_F(DaylightSaving, LocalTimesOfTheChangesConvertTheSameEverywhere) {
    for (const auto& year : kYears) {
        UseYear(year);
        // A skipped local time is the change itself; a repeated one its first instant.
        EXPECT_EQ(LocalTimeFrom(spring_.at - 1, 1 + 30 * 60, 0), spring_.at) << year[0];
        EXPECT_EQ(LocalTimeFrom(spring_.at - 1, 1, 0), spring_.at);
        EXPECT_EQ(LocalTimeFrom(autumn_.at, 0, 0), autumn_.at - 3600);
        EXPECT_EQ(LocalTimeFrom(autumn_.at, 3599, 0), autumn_.at - 1);
        EXPECT_EQ(LocalTimeFrom(autumn_.at + 3600, 0, 0), autumn_.at + 3600);
    }
}

TEST_F(DaylightSaving, TheSecondsWhereNarrowerCountsEndConvertBothWays) {
    // Winter time, an hour ahead of UTC, at 2038's limit, then where the runtime's
    // calendar ends and its last offset carries on.
    const struct {
        CalendarTime time;
        const char* text;
    } cases[] = {{INT32_MAX, "2038-01-19 04:14:07"},
                 {(CalendarTime)INT32_MAX + 1, "2038-01-19 04:14:08"},
                 {LAST_RUNTIME_TIME, "3001-01-01 00:59:59"},
                 {LAST_RUNTIME_TIME + 1, "3001-01-01 01:00:00"},
                 {LAST_CALENDAR_TIME, "3001-01-01 12:59:59"}};
    for (const auto& c : cases) {
        char text[32];
        ASSERT_TRUE(FormatDateText(c.time, text, sizeof(text), DATE_FILE)) << c.time;
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(ParseDateText(c.text), c.time) << c.text;
    }
    EXPECT_EQ(ParseDateText("3001-01-01 13:00:00"), -1);
    // The clock is read in 64 bits, as the system clock counts.
    EXPECT_EQ(sizeof(CalendarTime), 8u);
    int64_t system =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    EXPECT_LE(std::llabs(CurrentCalendarTime() - system), 2);
}
