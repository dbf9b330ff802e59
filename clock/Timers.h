// The display timer, the event timer, the clock modes and the stopwatch.
#ifndef VANTEL_TIMERS_H
#define VANTEL_TIMERS_H

#include <windows.h>

// Starts (or restarts) the display and event timers for the current clock mode and
// shown slots. 0 when a timer could not be started: the message has been shown and
// the window destroyed.
int StartTimers(HWND window);

// Kills both timers if they run; a tick under way finishes first.
void StopTimers();

// Kills the display timer alone, the same way: once it returns no tick draws until
// StartTimers, so the face's surfaces and slots may change.
void StopDisplayTimer();

// The drawing-suspended flag: while set, ticks draw nothing.
void SuspendDrawing();
void ResumeDrawing();

void StopwatchStart();
void StopwatchStop();
void StopwatchContinue();
void StopwatchReset();

// F11 switches the frame-rate display on, F12 off.
void SetFrameRateDisplay(int on);

#endif
