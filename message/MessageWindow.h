// The message window: its class, its set-up and tear-down, and its commands.
#ifndef VANTEL_MESSAGEWINDOW_H
#define VANTEL_MESSAGEWINDOW_H

#include <windows.h>

extern const char kMessageClassName[];   // "Vantel Message"; the clock looks for it
extern const char kMessageWindowTitle[]; // "Vantel - Message"

// How a set-up ended.
enum SetUpResult {
    SETUP_DONE = 1,
    SETUP_NO_DISPLAY = 0, // the display could not be made; reported, nothing runs
    SETUP_NO_TIMER = -1,  // the animation timer could not start; reported
};

// Registers the window class of `instance`. 1 or 0.
int RegisterMessageClass(HINSTANCE instance);

// Creates the message window (its WM_CREATE reads the settings and sets it up), or
// null when the set-up failed.
HWND CreateMessageWindow(HINSTANCE instance);

// Builds what the running window needs: display, shape, placement, sound, text and
// the animation timer. Returns a SetUpResult.
int SetUpMessageWindow(HWND window);

// Undoes the set-up, timer first; safe when parts of it are missing.
void TearDownMessageWindow();

#endif
