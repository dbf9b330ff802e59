// The display timer, the event timer, the clock modes and the stopwatch.
#ifndef VANTEL_TIMERS_H
#define VANTEL_TIMERS_H

#include <windows.h>

// Starts (or restarts) the display and event timers for the current settings.
void StartTimers(HWND window);

// Kills both timers if they run.
void StopTimers();

// Clears the drawing-suspended flag so the ticks draw again.
void ResumeDrawing();

void StopwatchStart();
void StopwatchStop();
void StopwatchContinue();
void StopwatchReset();

// F11 switches the frame-rate display on, F12 off.
void SetFrameRateDisplay(int on);

#endif
