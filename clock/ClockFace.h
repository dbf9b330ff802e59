// What the clock face shows: the twelve digit values of each clock mode, and the
// stopwatch. No Windows header: the tick routines pass in what they read.
#ifndef VANTEL_CLOCKFACE_H
#define VANTEL_CLOCKFACE_H

#include <cstdint>

enum { FACE_DIGITS = 12 };

// Largest span the four day digits hold: 9999 days 23:59:59.
const int64_t MAX_FACE_SECONDS = 863999999;
// A running stopwatch shows spans below this many milliseconds (about 49 days).
const uint32_t STOPWATCH_LIMIT_MS = 0xFFFFFFFBu;

// Fills the digit values, slot order: days (4 digits), hours, minutes, seconds,
// hundredths (2 digits each).
void SplitFace(uint32_t days, uint32_t hours, uint32_t minutes, uint32_t seconds, uint32_t hundredths,
               uint16_t digits[FACE_DIGITS]);

// Current time: local date and time with milliseconds.
void CurrentTimeDigits(int year, int month, int day, int hour, int minute, int second, int milliseconds,
                       uint16_t digits[FACE_DIGITS]);

// Remaining time: `span` whole seconds to the countdown date and the clock's
// milliseconds. 0 (digits untouched) when the span is outside 1 .. 863999999.
// The hundredths count down from 99 within each second.
int RemainingTimeDigits(int64_t span, int milliseconds, uint16_t digits[FACE_DIGITS]);

// Elapsed time since the countdown date. 0 when the span is outside 0 .. 863999999.
int ElapsedTimeDigits(int64_t span, int milliseconds, uint16_t digits[FACE_DIGITS]);

struct Stopwatch {
    uint32_t start;  // system-timer milliseconds from which a running stopwatch counts
    uint32_t held;   // the time shown while stopped; refreshed at every running tick
    int32_t stopped; // 1 stopped, 0 running
};

// Stopped at zero.
void StopwatchInit(Stopwatch* watch);
// Each takes the system timer's milliseconds now.
void StopwatchStartAt(Stopwatch* watch, uint32_t now);
void StopwatchStopAt(Stopwatch* watch, uint32_t now);
void StopwatchContinueAt(Stopwatch* watch, uint32_t now);
void StopwatchResetAt(Stopwatch* watch, uint32_t now);

// The stopwatch's digits at `now`; a running stopwatch also holds the value. 0 when
// the span has reached the stopwatch's limit.
int StopwatchDigits(Stopwatch* watch, uint32_t now, uint16_t digits[FACE_DIGITS]);

// The clock's two timers: what the display timer shows and how often, and which
// routine the once-a-second event timer runs.
enum { TICK_CURRENT_TIME, TICK_REMAINING_TIME, TICK_ELAPSED_TIME, TICK_STOPWATCH };
enum { EVENT_CHECK, EVENT_COUNTDOWN };
struct TimerPlan {
    int32_t display;     // TICK_...
    uint32_t period;     // of the display timer, ms
    uint32_t resolution; // ms
    int32_t event;       // EVENT_CHECK, or EVENT_COUNTDOWN: the countdown's beep, then the check
};

// The timers for clock mode `clockMode` (0 countdown, 1 current time, 2 stopwatch),
// the countdown date (-1 none) at `now`, and the last shown slot.
TimerPlan PlanTimers(int clockMode, int64_t countdownDate, int64_t now, int lastDigit);

// Day of the year (1..366) of a local date; every year divisible by 4 is a leap year.
int DayOfYear(int year, int month, int day);

#endif
