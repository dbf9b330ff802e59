// The clock window: its creation, commands, keys, dragging and destruction.
#ifndef VANTEL_CLOCKWINDOW_H
#define VANTEL_CLOCKWINDOW_H

#include <windows.h>

// Registers the window class "Vantel"; 0 on failure.
int RegisterClockClass(HINSTANCE instance);

// Creates the clock window, which loads the settings and starts the display, the
// sound, the schedule and the timers. NULL when any of them could not start (the
// message has been shown); vantel.ini is then left as it was.
HWND CreateClockWindow(HINSTANCE instance);

#endif
