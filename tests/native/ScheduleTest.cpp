// The schedule as a function of the time each event check reads: sleeps, clock
// jumps both ways, bursts of reminders and a year of them against an independent
// enumeration of the occurrences.
#include "CentralEuropeTest.h"
#include "EventSchedule.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Carried {
    CalendarTime time; // the occurrence
    int slot;          // its event
    CalendarTime at;   // the check that carried it out
};

class ScheduleTest : public CentralEuropeTest {
  protected:
    void SetUp() override {
        CentralEuropeTest::SetUp();
        memset(&table_, 0, sizeof(table_));
    }
    void Add(int slot, const char* start, int code) {
        table_.slots[slot] = {T(start), code, "", "reminder", ""};
    }

    static void Record(const DueEntry* entry, void* context) {
        ScheduleTest* test = (ScheduleTest*)context;
        test->carried_.push_back({entry->time, entry->eventIndex, test->now_});
    }
    void Start(CalendarTime now, CalendarTime savedLastCheck) {
        now_ = now;
        StartEventSchedule(&schedule_, &table_, now, savedLastCheck, &options_);
    }
    void Check(CalendarTime now) {
        now_ = now;
        RunEventCheck(&schedule_, &table_, now, &options_, Record, this);
    }
    // A check every second up to `to`.
    void RunTo(CalendarTime to) {
        for (CalendarTime t = now_ + 1; t <= to; t++)
            Check(t);
    }
    // "slot@occurrence" of what was carried out, in order.
    std::vector<std::string> Log() const {
        std::vector<std::string> log;
        for (const Carried& c : carried_)
            log.push_back(std::to_string(c.slot) + "@" + S(c.time));
        return log;
    }

    // A year of reminders from local midnight of `firstDay` to that of `endDay` (days
    // from 1970) with the clock set forward and back on the days given.
    void SimulateYear(int64_t firstDay, int64_t endDay, int64_t forwardDay, int64_t backDay);

    EventTable table_;
    EventSchedule schedule_;
    ScheduleOptions options_ = {1, 1};
    CalendarTime now_ = 0;
    std::vector<Carried> carried_;
};

typedef std::vector<std::string> Lines;

} // namespace

TEST_F(ScheduleTest, ASleepOverSeveralOccurrences) {
    // Asleep from 08:00 to 10:00: the live 10:05 of an hourly event is still
    // scheduled after waking; what fell due asleep is handled as missed at start.
    for (int displayPast = 0; displayPast <= 1; displayPast++) {
        carried_.clear();
        options_.displayPastEvents = displayPast;
        Add(0, "2003-06-01 07:05:00", RECUR_HOURLY);
        Add(1, "2003-06-01 09:00:00", RECUR_DAILY);
        Add(2, "2003-06-15 08:30:00", RECUR_NONE);
        Add(3, "2003-06-15 10:00:30", RECUR_NONE);
        Start(T("2003-06-15 07:59:00"), T("2003-06-15 07:58:59"));
        RunTo(T("2003-06-15 08:00:00"));
        Check(T("2003-06-15 10:00:00")); // woken up
        RunTo(T("2003-06-15 10:10:00"));
        // The missed ones in list order, as at start.
        Lines want = {"1@2003-06-15 09:00:00", "2@2003-06-15 08:30:00", "3@2003-06-15 10:00:30",
                      "0@2003-06-15 10:05:00"};
        if (!displayPast)
            want.erase(want.begin(), want.begin() + 2);
        EXPECT_EQ(Log(), want) << "DisplayPastEvents " << displayPast;
        EXPECT_EQ(carried_.front().at, T(displayPast ? "2003-06-15 10:00:00" : "2003-06-15 10:00:30"));
    }
}

TEST_F(ScheduleTest, AShortJumpForwardCarriesOutWhatItPassedOnce) {
    // Within the minutes the list holds, a jump loses nothing, hourly events included.
    options_.displayPastEvents = 0;
    Add(0, "2003-06-01 07:05:00", RECUR_HOURLY);
    Add(1, "2003-06-15 09:03:00", RECUR_NONE);
    Start(T("2003-06-15 09:00:00"), T("2003-06-15 08:59:59"));
    Check(T("2003-06-15 09:06:00")); // the time was set forward
    RescheduleAfterJump(&schedule_);
    RunTo(T("2003-06-15 10:10:00"));
    EXPECT_EQ(Log(), Lines({"1@2003-06-15 09:03:00", "0@2003-06-15 09:05:00", "0@2003-06-15 10:05:00"}));
}

TEST_F(ScheduleTest, AClockSetBackRunsNothingTwice) {
    Add(0, "2003-06-01 07:05:00", RECUR_HOURLY);
    Add(1, "2003-06-01 09:30:00", RECUR_DAILY);
    Add(2, "2003-06-15 09:45:00", RECUR_NONE);
    Start(T("2003-06-15 09:00:00"), T("2003-06-15 08:59:59"));
    RunTo(T("2003-06-15 10:00:00"));
    ASSERT_EQ(carried_.size(), 3u);
    // Back by an hour and a half, noticed by the check alone, then once more with
    // the system's notice.
    Check(T("2003-06-15 08:30:00"));
    RunTo(T("2003-06-15 09:40:00"));
    Check(T("2003-06-15 09:00:00"));
    RescheduleAfterJump(&schedule_);
    RunTo(T("2003-06-15 11:10:00"));
    EXPECT_EQ(Log(), Lines({"0@2003-06-15 09:05:00", "1@2003-06-15 09:30:00", "2@2003-06-15 09:45:00",
                            "0@2003-06-15 10:05:00", "0@2003-06-15 11:05:00"}));
}

TEST_F(ScheduleTest, ASavedLastCheckAheadOfTheClockRepeatsNothing) {
    // The clock was set back while the program was not running.
    Add(0, "2003-06-01 09:30:00", RECUR_DAILY);
    Start(T("2003-06-15 09:00:00"), T("2003-06-15 10:00:00"));
    RunTo(T("2003-06-16 09:30:00"));
    EXPECT_EQ(Log(), Lines({"0@2003-06-16 09:30:00"}));
    // A last check saved by a clock months ahead does not silence the events.
    carried_.clear();
    Start(T("2003-06-15 09:00:00"), T("2004-01-01 00:00:00"));
    RunTo(T("2003-06-15 09:30:00"));
    EXPECT_EQ(Log(), Lines({"0@2003-06-15 09:30:00"}));
}

TEST_F(ScheduleTest, ATableReplacedInTheSecondAnEntryFallsDue) {
    Add(0, "2003-06-15 09:10:00", RECUR_NONE);
    Add(1, "2003-06-15 09:10:00", RECUR_NONE);
    Start(T("2003-06-15 09:00:00"), T("2003-06-15 08:59:59"));
    RunTo(T("2003-06-15 09:09:59"));
    // OK in the dialog at 09:10:00 before that second's check: one event kept, one
    // added for the same second, one removed.
    EventTable replacement;
    memset(&replacement, 0, sizeof(replacement));
    replacement.slots[0] = {T("2003-06-15 09:10:00"), RECUR_NONE, "", "new", ""};
    replacement.slots[1] = table_.slots[1];
    ReplaceScheduledTable(&schedule_, &table_, &replacement, T("2003-06-15 09:10:00"), &options_);
    RunTo(T("2003-06-15 09:20:00"));
    EXPECT_EQ(Log(), Lines({"0@2003-06-15 09:10:00", "1@2003-06-15 09:10:00"}));
    EXPECT_STREQ(table_.slots[0].message, "new");
    // Replacing with the same table after the fact repeats nothing.
    EventTable same = table_;
    ReplaceScheduledTable(&schedule_, &table_, &same, T("2003-06-15 09:20:00"), &options_);
    RunTo(T("2003-06-15 09:30:00"));
    EXPECT_EQ(carried_.size(), 2u);
}

TEST_F(ScheduleTest, BurstsBeyondTheSixteenEntriesAllArriveInOrder) {
    struct Case {
        const char* what;
        int spreadSeconds; // event k falls k * spread / 32 seconds after the first
    } cases[] = {{"32 in one second", 0}, {"32 within 7 seconds", 7}, {"32 within 15 minutes", 900}};
    for (const Case& c : cases) {
        carried_.clear();
        CalendarTime first = T("2003-06-15 09:05:00");
        for (int k = 0; k < MAX_EVENTS; k++)
            table_.slots[k] = {first + k * c.spreadSeconds / MAX_EVENTS, RECUR_DAILY, "", "burst", ""};
        Start(T("2003-06-15 09:00:00"), T("2003-06-15 08:59:59"));
        RunTo(T("2003-06-16 09:30:00"));
        ASSERT_EQ(carried_.size(), 64u) << c.what;
        for (size_t i = 0; i < carried_.size(); i++) {
            EXPECT_EQ(carried_[i].at, carried_[i].time) << c.what << " #" << i << " on its own second";
            EXPECT_EQ(carried_[i].slot, (int)(i % MAX_EVENTS)) << c.what << " in order";
        }
    }
}

TEST_F(ScheduleTest, MoreThanSixteenMissedAtStartAllArriveAtTheFirstCheck) {
    for (int k = 0; k < MAX_EVENTS; k++)
        table_.slots[k] = {T("2003-06-15 08:00:00") + k, RECUR_NONE, "", "missed", ""};
    Start(T("2003-06-15 09:00:00"), T("2003-06-15 07:00:00"));
    Check(T("2003-06-15 09:00:01"));
    ASSERT_EQ(carried_.size(), 32u);
    for (int k = 0; k < MAX_EVENTS; k++)
        EXPECT_EQ(carried_[k].slot, k);
}

// A year of 32 events, with nightly sleeps, the clock set forward and back and both
// clock changes of the zone, against occurrences enumerated here from the zone's
// rules: every occurrence while awake is carried out on its second, nothing twice,
// and of what fell due asleep at most the latest of each non-hourly event.
namespace {

// Central European rules, written out: summer time from the last Sunday of March to
// the last Sunday of October, 01:00 UTC.
int64_t DaysFrom1970(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    int64_t era = (y >= 0 ? y : y - 399) / 400, yoe = y - era * 400;
    int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}
int64_t LastSunday(int64_t year, int month) { // day number
    int64_t last = DaysFrom1970(year, month + 1, 1) - 1;
    int64_t weekday = (last + 4) % 7; // 1970-01-01 was a Thursday
    return last - weekday;
}
// The year of an instant on the days of UTC; the changes lie far from new year.
int64_t YearOf(int64_t t) {
    int64_t year = 1970 + t / (365 * 86400 + 20952);
    while (DaysFrom1970(year + 1, 1, 1) * 86400 <= t)
        year++;
    while (DaysFrom1970(year, 1, 1) * 86400 > t)
        year--;
    return year;
}
int64_t Offset(int64_t t) {
    int64_t year = YearOf(t);
    int64_t on = LastSunday(year, 3) * 86400 + 3600, off = LastSunday(year, 10) * 86400 + 3600;
    return t >= on && t < off ? 7200 : 3600;
}
// The first instant showing a local time; for a skipped one, the change.
int64_t Resolve(int64_t local) {
    int64_t a = local - 7200, b = local - 3600;
    if (a + Offset(a) == local)
        return a;
    if (b + Offset(b) == local)
        return b;
    return LastSunday(YearOf(local), 3) * 86400 + 3600;
}

struct Pattern {
    int code;
    int month, day, weekday; // of the start, as the pattern uses them
    int seconds;             // local time of day of the start
};

void ScheduleTest::SimulateYear(int64_t firstDay, int64_t endDay, int64_t forwardDay, int64_t backDay) {
    const int64_t yearStart = Resolve(firstDay * 86400); // local midnight
    const int64_t yearEnd = Resolve(endDay * 86400);
    // Every pattern at times of day that meet the changes, the sleeps and each other.
    const int times[] = {2 * 3600 + 30 * 60, 2 * 3600 + 30 * 60,       8 * 3600,  8 * 3600,
                         1 * 3600 + 15 * 60, 23 * 3600 + 59 * 60 + 59, 12 * 3600, 0};
    std::vector<Pattern> patterns;
    for (int k = 0; k < MAX_EVENTS; k++) {
        int code = 1 + k % 5;
        int seconds = times[k % 8] + (k / 8) * 61 * (k % 3);
        int startYear = 2026, month = 1 + k % 12, day = 1 + (k * 7) % 28;
        // Monthly on the 29th, 30th and 31st, yearly on 29 February: on the day itself.
        if (k == 13 || k == 18 || k == 23)
            month = 1, day = 29 + (k - 13) / 5, seconds %= 86400;
        if (k == 14)
            startYear = 2024, month = 2, day = 29, seconds %= 86400;
        char text[32];
        snprintf(text, sizeof(text), "%d-%02d-%02d %02d:%02d:%02d", startYear, month, day, seconds / 3600,
                 seconds / 60 % 60, seconds % 60);
        table_.slots[k] = {T(text), code, "", "reminder", ""};
        struct tm local;
        ASSERT_TRUE(CalendarToLocal(table_.slots[k].startTime, &local));
        patterns.push_back({code, month, day, local.tm_wday, seconds});
    }
    // The occurrences in the year, slot by time, and a day on: the clock set forward
    // runs past the year's end.
    std::multimap<int64_t, int> occurrences;
    for (int k = 0; k < MAX_EVENTS; k++) {
        const Pattern& p = patterns[k];
        if (p.code == RECUR_HOURLY) {
            // Whole-hour offsets: local minutes and seconds are those of UTC.
            for (int64_t t = yearStart + p.seconds % 3600; t < yearEnd + 86400; t += 3600)
                occurrences.insert({t, k});
            continue;
        }
        if (p.code == RECUR_MONTHLY || p.code == RECUR_YEARLY) {
            // A day past the month's end is its last day, or counts on into the next
            // month (the day number is linear in the day of the month). From the month
            // before the first day, whose roll-over may fall in the range.
            for (int64_t y = YearOf(firstDay * 86400) - 1; DaysFrom1970(y, 1, 1) <= endDay; y++)
                for (int m = 1; m <= 12; m++) {
                    if (p.code == RECUR_YEARLY && m != p.month)
                        continue;
                    int64_t length = (m == 12 ? DaysFrom1970(y + 1, 1, 1) : DaysFrom1970(y, m + 1, 1)) -
                                     DaysFrom1970(y, m, 1);
                    int64_t day = DaysFrom1970(y, m, 1) +
                                  (options_.lastOfMonthMode && p.day > length ? length : p.day) - 1;
                    if (day >= firstDay && day <= endDay)
                        occurrences.insert({Resolve(day * 86400 + p.seconds), k});
                }
            continue;
        }
        for (int64_t day = firstDay; day <= endDay; day++) {
            int weekday = (int)((day + 4) % 7);
            if (p.code == RECUR_DAILY || (p.code == RECUR_WEEKLY && weekday == p.weekday))
                occurrences.insert({Resolve(day * 86400 + p.seconds), k});
        }
    }

    // Real time runs through the year; the clock reads real time plus a setting the
    // user changes: forward two hours on one day, back one hour on a later one. Every
    // night the machine sleeps from 22:00 to 00:30 UTC.
    const int64_t forwardAt = forwardDay * 86400 + 14 * 3600;
    const int64_t backAt = backDay * 86400 + 14 * 3600;
    std::map<std::pair<int64_t, int>, int64_t> firstCarried; // occurrence -> clock time it was carried out
    int twice = 0, invented = 0;
    std::set<std::pair<int64_t, int>> live;        // occurrences whose second came while awake
    std::vector<std::pair<int64_t, int64_t>> gaps; // (after, until] of clock time not ticked through

    Start((CalendarTime)yearStart, (CalendarTime)yearStart - 1);
    int64_t previous = yearStart;
    for (int64_t real = yearStart + 1; real < yearEnd; real++) {
        int64_t ofDay = real % 86400;
        if (ofDay >= 22 * 3600 || ofDay < 30 * 60)
            continue; // asleep
        int64_t clock = real + (real >= forwardAt ? 7200 : 0) - (real >= backAt ? 3600 : 0);
        if (clock == previous + 1) {
            auto range = occurrences.equal_range(clock);
            for (auto it = range.first; it != range.second; ++it)
                live.insert({it->first, it->second});
        } else if (clock > previous) {
            gaps.push_back({previous, clock});
            if (ofDay == 30 * 60 && clock - previous < 4 * 3600)
                RescheduleAfterJump(&schedule_); // woken: the system says so
        }
        size_t before = carried_.size();
        Check((CalendarTime)clock);
        for (size_t i = before; i < carried_.size(); i++) {
            std::pair<int64_t, int> key = {carried_[i].time, carried_[i].slot};
            bool known = false;
            auto range = occurrences.equal_range(key.first);
            for (auto it = range.first; it != range.second; ++it)
                known = known || it->second == key.second;
            invented += !known;
            twice += !firstCarried.insert({key, clock}).second;
        }
        previous = clock;
    }
    EXPECT_EQ(invented, 0);
    EXPECT_EQ(twice, 0);
    int lost = 0, late = 0;
    for (const auto& occurrence : live) {
        auto found = firstCarried.find(occurrence);
        lost += found == firstCarried.end();
        late += found != firstCarried.end() && found->second != occurrence.first;
    }
    EXPECT_EQ(lost, 0) << "of " << live.size();
    EXPECT_EQ(late, 0);
    // What fell due in a gap: at most the latest occurrence of each event, never
    // an hourly one.
    int extra = 0, hourly = 0;
    for (const auto& gap : gaps) {
        std::map<int, int> perSlot;
        for (const auto& c : firstCarried)
            if (c.first.first > gap.first && c.first.first <= gap.second && !live.count(c.first)) {
                extra += ++perSlot[c.first.second] > 1;
                hourly += patterns[c.first.second].code == RECUR_HOURLY;
            }
    }
    EXPECT_EQ(extra, 0);
    EXPECT_EQ(hourly, 0);
    EXPECT_GT(live.size(), 30000u) << "the year had its occurrences";
    printf("a year from %s (LastOfMonthMode %d): %zu occurrences while awake, %zu carried out in all, %zu "
           "gaps\n",
           S((CalendarTime)yearStart).c_str(), options_.lastOfMonthMode, live.size(), firstCarried.size(),
           gaps.size());
}

} // namespace

// In both LastOfMonthMode settings: monthly dates on a shorter month's last day, or
// rolled over into the next month.
class AYearOfReminders : public ScheduleTest, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override {
        ScheduleTest::SetUp();
        options_.lastOfMonthMode = GetParam();
    }
};

TEST_P(AYearOfReminders, AgainstTheirOwnEnumeration) {
    SimulateYear(DaysFrom1970(2027, 1, 1), DaysFrom1970(2028, 1, 1), DaysFrom1970(2027, 5, 10),
                 DaysFrom1970(2027, 8, 20));
}

INSTANTIATE_TEST_SUITE_P(LastOfMonthMode, AYearOfReminders, ::testing::Values(1, 0));

// The same across 2038-01-19 03:14:07 UTC, where a 32-bit count of seconds ends.
TEST_F(ScheduleTest, AYearOfRemindersAcross2038) {
    SimulateYear(DaysFrom1970(2037, 7, 1), DaysFrom1970(2038, 7, 1), DaysFrom1970(2037, 9, 10),
                 DaysFrom1970(2037, 11, 20));
}

// The sound device is opened a few seconds ahead: only for an occurrence still to be
// carried out, due by the time asked, whose event has a sound.
TEST_F(ScheduleTest, ASoundComesDueOnlyForAnEventWithOneNotYetCarriedOut) {
    Add(0, "2027-03-10 09:00:10", 0); // a message only
    Add(1, "2027-03-10 09:00:20", 0);
    strcpy(table_.slots[1].soundFile, "ding.wav");
    Start(T("2027-03-10 09:00:00"), T("2027-03-10 08:59:59"));
    const struct {
        const char* now;
        int within;
        int due;
    } cases[] = {{"2027-03-10 09:00:05", 10, 0},
                 {"2027-03-10 09:00:16", 3, 0},
                 {"2027-03-10 09:00:17", 3, 1},
                 {"2027-03-10 09:00:19", 3, 1},
                 {"2027-03-10 09:00:21", 3, 0}};
    for (const auto& c : cases) {
        RunTo(T(c.now));
        EXPECT_EQ(SoundDueBy(&schedule_.due, &table_, T(c.now) + c.within), c.due) << c.now;
    }
}
