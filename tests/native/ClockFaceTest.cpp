#include "ClockFace.h"
#include "EventTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Digits(const uint16_t d[FACE_DIGITS]) {
    std::string s;
    for (int i = 0; i < FACE_DIGITS; i++)
        s += char('0' + d[i]);
    return s;
}

// Days since 1970-01-01 of a proleptic Gregorian date: an oracle that shares
// nothing with DayOfYear.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

} // namespace

TEST(DayOfYear, MatchesTheCalendarFor1901To2099) {
    static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int y = 1901; y <= 2099; y++)
        for (int m = 1; m <= 12; m++) {
            int days = kMonthDays[m - 1] + (m == 2 && y % 4 == 0);
            for (int d = 1; d <= days; d++)
                ASSERT_EQ(DayOfYear(y, m, d), DaysFromCivil(y, m, d) - DaysFromCivil(y, 1, 1) + 1)
                    << y << "-" << m << "-" << d;
        }
}

TEST(DayOfYear, EveryFourthYearIsALeapYear) {
    EXPECT_EQ(DayOfYear(2023, 1, 1), 1);
    EXPECT_EQ(DayOfYear(2023, 3, 1), 60);
    EXPECT_EQ(DayOfYear(2024, 3, 1), 61);
    EXPECT_EQ(DayOfYear(2023, 12, 31), 365);
    EXPECT_EQ(DayOfYear(2024, 12, 31), 366);
    EXPECT_EQ(DayOfYear(2100, 3, 1), 61); // counted as a leap year on the face
    EXPECT_EQ(DayOfYear(2100, 12, 31), 366);
}

TEST(FaceDigits, CurrentTimeShowsDayOfYearAndClock) {
    uint16_t d[FACE_DIGITS];
    CurrentTimeDigits(2024, 12, 31, 23, 59, 58, 999, d);
    EXPECT_EQ(Digits(d), "036623595899");
    CurrentTimeDigits(2023, 1, 1, 0, 0, 0, 0, d);
    EXPECT_EQ(Digits(d), "000100000000");
    CurrentTimeDigits(2023, 7, 4, 9, 5, 7, 130, d);
    EXPECT_EQ(Digits(d), "018509050713");
}

TEST(FaceDigits, RemainingTimeRangeAndHundredths) {
    uint16_t d[FACE_DIGITS] = {};
    EXPECT_EQ(RemainingTimeDigits(0, 500, d), 0); // reached zero: frozen
    EXPECT_EQ(RemainingTimeDigits(-5, 500, d), 0);
    EXPECT_EQ(RemainingTimeDigits(864000000, 0, d), 0); // 10000 days: four digits do not hold it
    ASSERT_EQ(RemainingTimeDigits(863999999, 0, d), 1);
    EXPECT_EQ(Digits(d), "999923595999");
    ASSERT_EQ(RemainingTimeDigits(1, 999, d), 1);
    EXPECT_EQ(Digits(d), "000000000100");
    // Every millisecond value gives a hundredths value of a real digit, counting down.
    int previous = 100;
    for (int ms = 0; ms <= 999; ms++) {
        ASSERT_EQ(RemainingTimeDigits(90061, ms, d), 1);
        int hundredths = d[10] * 10 + d[11];
        ASSERT_LE(d[10], 9);
        ASSERT_LE(hundredths, previous);
        previous = hundredths;
        ASSERT_EQ(Digits(d).substr(0, 10), "0001010101");
    }
    EXPECT_EQ(previous, 0);
}

TEST(FaceDigits, ElapsedTimeRange) {
    uint16_t d[FACE_DIGITS] = {};
    EXPECT_EQ(ElapsedTimeDigits(-1, 0, d), 0);
    ASSERT_EQ(ElapsedTimeDigits(0, 0, d), 1);
    EXPECT_EQ(Digits(d), "000000000000");
    ASSERT_EQ(ElapsedTimeDigits(863999999, 994, d), 1);
    EXPECT_EQ(Digits(d), "999923595999");
    EXPECT_EQ(ElapsedTimeDigits(864000000, 0, d), 0);
    ASSERT_EQ(ElapsedTimeDigits(3 * 86400 + 4 * 3600 + 5 * 60 + 6, 70, d), 1);
    EXPECT_EQ(Digits(d), "000304050607");
}

TEST(Stopwatch, StopWithoutATickSinceTheStartHoldsTheTimeOfTheStop) {
    // In the other clock modes no stopwatch tick runs between the commands.
    Stopwatch w;
    uint16_t d[FACE_DIGITS];
    StopwatchInit(&w);
    StopwatchStartAt(&w, 10000);
    StopwatchStopAt(&w, 12340);
    ASSERT_EQ(StopwatchDigits(&w, 99999999, d), 1);
    EXPECT_EQ(Digits(d), "000000000234");
    StopwatchStopAt(&w, 50000); // stopping again changes nothing
    ASSERT_EQ(StopwatchDigits(&w, 99999999, d), 1);
    EXPECT_EQ(Digits(d), "000000000234");
}

TEST(Stopwatch, CommandsChangeTheStateAsOnTheFace) {
    Stopwatch w;
    uint16_t d[FACE_DIGITS];
    StopwatchInit(&w);
    ASSERT_EQ(StopwatchDigits(&w, 123456, d), 1); // stopped at zero at start
    EXPECT_EQ(Digits(d), "000000000000");

    StopwatchContinueAt(&w, 5000); // continue without a start: counts from zero
    ASSERT_EQ(StopwatchDigits(&w, 6230, d), 1);
    EXPECT_EQ(Digits(d), "000000000123");

    StopwatchStartAt(&w, 10000);
    ASSERT_EQ(StopwatchDigits(&w, 10000 + 3723450, d), 1); // 1:02:03.45
    EXPECT_EQ(Digits(d), "000001020345");

    StopwatchStopAt(&w, 10000 + 3723450); // holds the time of the stop
    ASSERT_EQ(StopwatchDigits(&w, 99999999, d), 1);
    EXPECT_EQ(Digits(d), "000001020345");

    StopwatchContinueAt(&w, 50000000); // resumes from the value shown
    ASSERT_EQ(StopwatchDigits(&w, 50000000 + 1000, d), 1);
    EXPECT_EQ(Digits(d), "000001020445");

    StopwatchResetAt(&w, 60000000); // running: counts on from zero
    EXPECT_EQ(w.stopped, 0);
    ASSERT_EQ(StopwatchDigits(&w, 60000000 + 20, d), 1);
    EXPECT_EQ(Digits(d), "000000000002");

    StopwatchStopAt(&w, 60000000 + 20);
    StopwatchResetAt(&w, 70000000); // stopped: shows zero and stays stopped
    EXPECT_EQ(w.stopped, 1);
    ASSERT_EQ(StopwatchDigits(&w, 80000000, d), 1);
    EXPECT_EQ(Digits(d), "000000000000");

    StopwatchStartAt(&w, 1);
    StopwatchStartAt(&w, 500); // start while running starts again from zero
    ASSERT_EQ(StopwatchDigits(&w, 600, d), 1);
    EXPECT_EQ(Digits(d), "000000000010");
}

TEST(Stopwatch, CountsAcrossTheTimerWrapAndStopsAtItsLimit) {
    Stopwatch w;
    uint16_t d[FACE_DIGITS];
    StopwatchInit(&w);
    StopwatchStartAt(&w, 0xFFFFFF00u);
    ASSERT_EQ(StopwatchDigits(&w, 0x00000100u, d), 1); // 512 ms across the wrap
    EXPECT_EQ(Digits(d), "000000000051");

    StopwatchStartAt(&w, 0);
    ASSERT_EQ(StopwatchDigits(&w, STOPWATCH_LIMIT_MS - 1, d), 1); // 49 days 17:02:47.29
    EXPECT_EQ(Digits(d), "004917024729");
    EXPECT_EQ(StopwatchDigits(&w, STOPWATCH_LIMIT_MS, d), 0);
}

TEST(TimerPlan, DisplayTickAndEventRoutineByModeCountdownAndLastSlot) {
    const int64_t now = 1000000;
    struct Case {
        int mode;
        int64_t countdown;
        int lastDigit;
        TimerPlan want;
    } cases[] = {
        {1, now + 10, 9, {TICK_CURRENT_TIME, 125, 25, EVENT_CHECK}},
        {1, now + 10, 10, {TICK_CURRENT_TIME, 50, 10, EVENT_CHECK}},
        {2, now + 10, 11, {TICK_STOPWATCH, 25, 5, EVENT_CHECK}},
        {0, now + 10, 9, {TICK_REMAINING_TIME, 125, 25, EVENT_COUNTDOWN}},
        {0, now, 11, {TICK_ELAPSED_TIME, 25, 5, EVENT_COUNTDOWN}},
        {0, -1, 9, {TICK_CURRENT_TIME, 125, 25, EVENT_CHECK}}, // no countdown date
        {7, now + 10, 3, {TICK_CURRENT_TIME, 125, 25, EVENT_CHECK}},
    };
    for (const Case& c : cases) {
        TimerPlan plan = PlanTimers(c.mode, c.countdown, now, c.lastDigit);
        EXPECT_EQ(plan.display, c.want.display) << c.mode << " " << c.lastDigit;
        EXPECT_EQ(plan.period, c.want.period) << c.mode << " " << c.lastDigit;
        EXPECT_EQ(plan.resolution, c.want.resolution) << c.mode << " " << c.lastDigit;
        EXPECT_EQ(plan.event, c.want.event) << c.mode << " " << c.lastDigit;
    }
}
