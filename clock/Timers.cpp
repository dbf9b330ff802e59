#include "Timers.h"
#include "ClockFace.h"
#include "Display.h"
#include "EventCheck.h"
#include "Program.h"
#include "Settings.h"

#include <mmsystem.h>
#include <cstdio>
#include <ctime>

// Shared between the window thread and the multimedia timer thread; every value is
// a single machine word written whole.
static struct {
    HWND window;
    UINT displayTimer;        // 0 when not running
    volatile LONG suspended;  // 1: ticks and DrawZeros draw nothing
    WORD digits[FACE_DIGITS]; // values of the current tick, slot order
    Stopwatch stopwatch;      // stopped at zero at start
    volatile LONG frameRateOn;
    LONG frameCount;  // ticks since the last report
    DWORD lastReport; // start of the current interval of 3 s or more, in ms
} g_timers = {NULL, 0, 0, {0}, {0, 0, 1}, 0, 0, 0};

static void DrawZeros() {
    if (g_timers.suspended)
        return;
    DrawZeroDigits(g_appearance.firstDigit, g_appearance.lastDigit);
}

// Common end of every tick: zeros and a freeze for a span out of range, else the
// digits that changed.
static void ShowDigits(int valid) {
    if (!valid) {
        DrawZeros();
        g_timers.suspended = 1;
        return;
    }
    DrawChangedDigits(g_timers.digits, g_appearance.firstDigit, g_appearance.lastDigit);
}

// Measured on the millisecond clock: counted in whole seconds, an interval divided
// by 3 lasts anything from 2 to 3 s, and the rate reads low.
static void DrawFrameRate() {
    DWORD now = timeGetTime();
    DWORD elapsed = now - g_timers.lastReport;
    g_timers.frameCount++;
    if (elapsed < 3000)
        return;
    char text[32];
    snprintf(text, sizeof(text), "%03d fps", (int)((g_timers.frameCount * 1000LL + elapsed / 2) / elapsed));
    g_timers.lastReport = now;
    g_timers.frameCount = 0;
    HDC dc = GetDC(g_timers.window);
    if (dc) {
        TextOutA(dc, g_appearance.slots[4].left, g_appearance.slots[4].top, text, lstrlenA(text));
        ReleaseDC(g_timers.window, dc);
    }
}

static void CALLBACK CurrentTimeTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    if (g_timers.suspended)
        return;
    SYSTEMTIME local;
    GetLocalTime(&local);
    CurrentTimeDigits(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond,
                      local.wMilliseconds, g_timers.digits);
    ShowDigits(1);
}

static int SystemMilliseconds() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return now.wMilliseconds;
}

static void CALLBACK RemainingTimeTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    if (g_timers.suspended)
        return;
    int64_t span = g_settings.countdownDate - CurrentCalendarTime();
    ShowDigits(RemainingTimeDigits(span, SystemMilliseconds(), g_timers.digits));
}

static void CALLBACK ElapsedTimeTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    if (g_timers.suspended)
        return;
    int64_t span = CurrentCalendarTime() - g_settings.countdownDate;
    int valid = ElapsedTimeDigits(span, SystemMilliseconds(), g_timers.digits);
    ShowDigits(valid);
    if (valid && g_timers.frameRateOn)
        DrawFrameRate();
}

static void CALLBACK StopwatchTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    if (g_timers.suspended)
        return;
    ShowDigits(StopwatchDigits(&g_timers.stopwatch, timeGetTime(), g_timers.digits));
}

// The event check runs just after each second of the system clock begins, so an
// event's actions come within a few milliseconds of their second rather than at
// whatever moment of it the clock was started. Each check arms a one-shot timer for
// the next second; the lock is held by a check while it runs and by whoever replaces
// or stops the timer, so that a stop returns only once a check under way has ended.
static struct {
    CRITICAL_SECTION lock;
    int lockReady;          // window thread: 1 once the lock exists
    UINT timer;             // the pending one-shot; 0 none
    int running;            // 1 while each check arms the next
    LPTIMECALLBACK routine; // CheckEvents or CountdownTick
    DWORD_PTR window;       // their user value
} g_eventTimer;

enum { EVENT_CHECK_AFTER_MS = 15 }; // into the second, so time() reads the new one

static UINT MillisecondsToNextCheck() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULONGLONG ms = ((ULONGLONG)now.dwHighDateTime << 32 | now.dwLowDateTime) / 10000;
    return (UINT)(1000 - ms % 1000) + EVENT_CHECK_AFTER_MS;
}

static void CALLBACK EventCheckTick(UINT id, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

// Under the lock.
static int ArmEventCheck() {
    g_eventTimer.timer = timeSetEvent(MillisecondsToNextCheck(), 5, EventCheckTick, 0, TIME_ONESHOT);
    return g_eventTimer.timer != 0;
}

static void CALLBACK EventCheckTick(UINT id, UINT message, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    EnterCriticalSection(&g_eventTimer.lock);
    if (g_eventTimer.running && id == g_eventTimer.timer) {
        g_eventTimer.timer = 0;
        g_eventTimer.routine(id, message, g_eventTimer.window, 0, 0);
        if (!ArmEventCheck())
            PostTextToWindow((HWND)g_eventTimer.window, WM_VANTEL_REPORT,
                             "Cannot start the timer required for event processing.");
    }
    LeaveCriticalSection(&g_eventTimer.lock);
}

static void StopEventCheck() {
    if (!g_eventTimer.lockReady)
        return;
    EnterCriticalSection(&g_eventTimer.lock);
    g_eventTimer.running = 0;
    if (g_eventTimer.timer)
        timeKillEvent(g_eventTimer.timer);
    g_eventTimer.timer = 0;
    LeaveCriticalSection(&g_eventTimer.lock);
}

static int StartEventCheck(LPTIMECALLBACK routine, HWND window) {
    if (!g_eventTimer.lockReady) {
        InitializeCriticalSection(&g_eventTimer.lock);
        g_eventTimer.lockReady = 1;
    }
    StopEventCheck();
    EnterCriticalSection(&g_eventTimer.lock);
    g_eventTimer.routine = routine;
    g_eventTimer.window = (DWORD_PTR)window;
    g_eventTimer.running = ArmEventCheck();
    LeaveCriticalSection(&g_eventTimer.lock);
    return g_eventTimer.running;
}

static void KillMediaTimer(UINT* timer) {
    if (*timer) {
        timeKillEvent(*timer);
        *timer = 0;
    }
}

// A timer that cannot start ends the program. The display timer is killed and the
// ticks held off before the display objects are released, so no tick can use them.
static int FailTimers(HWND window, const char* text) {
    g_timers.suspended = 1;
    KillMediaTimer(&g_timers.displayTimer);
    StopEventCheck();
    ReportDisplayError(window, text);
    DestroyWindow(window);
    return 0;
}

int StartTimers(HWND window) {
    int sameWindow = g_timers.window == window;
    g_timers.window = window;
    if (g_timers.lastReport == 0)
        g_timers.lastReport = timeGetTime();

    static const LPTIMECALLBACK kTicks[] = {CurrentTimeTick, RemainingTimeTick, ElapsedTimeTick,
                                            StopwatchTick};
    TimerPlan plan = PlanTimers(g_settings.clockMode, g_settings.countdownDate, CurrentCalendarTime(),
                                g_appearance.lastDigit);

    // TIME_KILL_SYNCHRONOUS: timeKillEvent returns only once a tick under way ends.
    const UINT flags = TIME_PERIODIC | TIME_KILL_SYNCHRONOUS;
    KillMediaTimer(&g_timers.displayTimer);
    g_timers.displayTimer = timeSetEvent(plan.period, plan.resolution, kTicks[plan.display], 0, flags);
    if (!g_timers.displayTimer)
        return FailTimers(window, "Cannot start a multimedia timer required for the animation.");
    // The event check goes on as it runs unless its routine changes: started anew, a
    // check due in the moment of the restart would wait for the next second.
    LPTIMECALLBACK eventRoutine = plan.event == EVENT_COUNTDOWN ? CountdownTick : CheckEvents;
    if (g_eventTimer.running && g_eventTimer.routine == eventRoutine && sameWindow)
        return 1;
    if (!StartEventCheck(eventRoutine, window))
        return FailTimers(window, "Cannot start the timer required for event processing.");
    return 1;
}

void StopTimers() {
    KillMediaTimer(&g_timers.displayTimer);
    StopEventCheck();
}

void HoldTicks() {
    g_timers.suspended = 1;
    KillMediaTimer(&g_timers.displayTimer);
}

int ResumeTicks(HWND window) {
    if (!StartTimers(window))
        return 0;
    g_timers.suspended = 0;
    return 1;
}

void ResumeDrawing() {
    g_timers.suspended = 0;
}

void StopwatchStart() {
    StopwatchStartAt(&g_timers.stopwatch, timeGetTime());
}

void StopwatchStop() {
    StopwatchStopAt(&g_timers.stopwatch, timeGetTime());
}

void StopwatchContinue() {
    StopwatchContinueAt(&g_timers.stopwatch, timeGetTime());
}

void StopwatchReset() {
    StopwatchResetAt(&g_timers.stopwatch, timeGetTime());
}

void SetFrameRateDisplay(int on) {
    if (on && !g_timers.frameRateOn) {
        g_timers.frameCount = 0;
        g_timers.lastReport = timeGetTime();
    }
    g_timers.frameRateOn = on;
}
