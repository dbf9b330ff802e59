// The display timer, the event timer, the clock modes and the stopwatch.
#ifndef VANTEL_TIMERS_H
#define VANTEL_TIMERS_H

#include <windows.h>

// Starts (or restarts) the display timer for the current clock mode and shown slots,
// and the event timer unless it runs already with the routine the mode needs. 0 when
// a timer could not be started: the message has been shown and the window destroyed.
int StartTimers(HWND window);

// Kills both timers if they run; a tick under way finishes first.
void StopTimers();

// Holds the display ticks off: once it returns no tick draws, so the face's
// surfaces, colour key, region and slots may change; the event check goes on.
// ResumeTicks starts the display timer again for the clock mode and shown slots
// then set (0 as StartTimers).
void HoldTicks();
int ResumeTicks(HWND window);

// Clears the drawing-suspended flag that HoldTicks and a frozen countdown set.
void ResumeDrawing();

void StopwatchStart();
void StopwatchStop();
void StopwatchContinue();
void StopwatchReset();

// F11 switches the frame-rate display on, F12 off.
void SetFrameRateDisplay(int on);

#endif
