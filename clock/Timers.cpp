#include "Timers.h"

// The clock modes and their timers arrive with the clock's timekeeping; until then
// the face shows its background only and these do nothing.

void StartTimers(HWND window) {
    (void)window;
}

void StopTimers() {}

void ResumeDrawing() {}

void StopwatchStart() {}

void StopwatchStop() {}

void StopwatchContinue() {}

void StopwatchReset() {}

void SetFrameRateDisplay(int on) {
    (void)on;
}
