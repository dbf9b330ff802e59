#include "ClockFace.h"
#include "EventTable.h"

TimerPlan PlanTimers(int clockMode, int64_t countdownDate, int64_t now, int lastDigit) {
    TimerPlan plan = {TICK_CURRENT_TIME, 125, 25, EVENT_CHECK};
    if (clockMode == 2) {
        plan.display = TICK_STOPWATCH;
    } else if (clockMode == 0 && countdownDate != -1) {
        plan.display = countdownDate > now ? TICK_REMAINING_TIME : TICK_ELAPSED_TIME;
        plan.event = EVENT_COUNTDOWN;
    }
    // Hundredths or tenths shown: the display ticks faster.
    if (lastDigit == 11) {
        plan.period = 25;
        plan.resolution = 5;
    } else if (lastDigit == 10) {
        plan.period = 50;
        plan.resolution = 10;
    }
    return plan;
}

int DayOfYear(int year, int month, int day) {
    int b = month - 1;
    int result = day + 30 * b + b / 2;
    if (b >= 2)
        result -= year % 4 == 0 ? 1 : 2;
    if (b % 2 == 1 && b <= 7)
        result += 1;
    if (b >= 8)
        result += 1;
    return result;
}

void SplitFace(uint32_t days, uint32_t hours, uint32_t minutes, uint32_t seconds, uint32_t hundredths,
               uint16_t digits[FACE_DIGITS]) {
    digits[0] = (uint16_t)(days / 1000);
    digits[1] = (uint16_t)(days % 1000 / 100);
    digits[2] = (uint16_t)(days % 100 / 10);
    digits[3] = (uint16_t)(days % 10);
    digits[4] = (uint16_t)(hours / 10);
    digits[5] = (uint16_t)(hours % 10);
    digits[6] = (uint16_t)(minutes / 10);
    digits[7] = (uint16_t)(minutes % 10);
    digits[8] = (uint16_t)(seconds / 10);
    digits[9] = (uint16_t)(seconds % 10);
    digits[10] = (uint16_t)(hundredths / 10);
    digits[11] = (uint16_t)(hundredths % 10);
}

void CurrentTimeDigits(int year, int month, int day, int hour, int minute, int second, int milliseconds,
                       uint16_t digits[FACE_DIGITS]) {
    SplitFace((uint32_t)DayOfYear(year, month, day), (uint32_t)hour, (uint32_t)minute, (uint32_t)second,
              (uint32_t)milliseconds / 10, digits);
}

static void SplitSeconds(int64_t span, uint32_t hundredths, uint16_t digits[FACE_DIGITS]) {
    uint32_t s = (uint32_t)span;
    SplitFace(s / 86400, s % 86400 / 3600, s % 3600 / 60, s % 60, hundredths, digits);
}

static uint32_t ClampMilliseconds(int milliseconds) {
    return milliseconds < 0 ? 0 : milliseconds > 999 ? 999 : (uint32_t)milliseconds;
}

int RemainingTimeDigits(int64_t span, int milliseconds, uint16_t digits[FACE_DIGITS]) {
    if (span < 1 || span > MAX_FACE_SECONDS)
        return 0;
    // 99 at the start of a second down to 0 at its end; (1000 - ms) / 10 would
    // give 100 at ms 0, a digit the strip does not have.
    SplitSeconds(span, (999 - ClampMilliseconds(milliseconds)) / 10, digits);
    return 1;
}

int ElapsedTimeDigits(int64_t span, int milliseconds, uint16_t digits[FACE_DIGITS]) {
    if (span < 0 || span > MAX_FACE_SECONDS)
        return 0;
    SplitSeconds(span, ClampMilliseconds(milliseconds) / 10, digits);
    return 1;
}

void StopwatchInit(Stopwatch* watch) {
    watch->start = 0;
    watch->held = 0;
    watch->stopped = 1;
}

void StopwatchStartAt(Stopwatch* watch, uint32_t now) {
    watch->start = now;
    watch->held = 0;
    watch->stopped = 0;
}

void StopwatchStopAt(Stopwatch* watch, uint32_t now) {
    // Outside the stopwatch mode no tick refreshes the value: it is taken now.
    if (!watch->stopped)
        watch->held = now - watch->start;
    watch->stopped = 1;
}

void StopwatchContinueAt(Stopwatch* watch, uint32_t now) {
    watch->start = now - watch->held;
    watch->stopped = 0;
}

void StopwatchResetAt(Stopwatch* watch, uint32_t now) {
    watch->start = now;
    watch->held = 0;
}

int StopwatchDigits(Stopwatch* watch, uint32_t now, uint16_t digits[FACE_DIGITS]) {
    uint32_t span = watch->held;
    if (!watch->stopped) {
        span = now - watch->start; // unsigned: right across the timer's wrap
        watch->held = span;
    }
    if (span >= STOPWATCH_LIMIT_MS)
        return 0;
    SplitFace(span / 86400000, span % 86400000 / 3600000, span % 3600000 / 60000, span % 60000 / 1000,
              span % 1000 / 10, digits);
    return 1;
}
