// The message window's DirectDraw display: the background picture on the screen,
// the window sized to it, and the error report of a failed set-up.
#ifndef VANTEL_MESSAGEDISPLAY_H
#define VANTEL_MESSAGEDISPLAY_H

#include <windows.h>
#include <ddraw.h>

// Makes the DirectDraw objects, loads the background picture and sizes the window
// to it. 0 on failure, which has been reported with ReportSetupError.
int InitMessageDisplay(HWND window);

// Sizes the window to the loaded picture, keeping its top-left corner. 1 or 0.
int FitWindowToPicture(HWND window);

// Blits the picture into the window; a lost surface is restored and the blit made
// once more.
void RepaintBackground();

// Restores the primary and background surfaces and loads the picture again. 0 or
// the failing DirectDraw result.
HRESULT RestoreMessageSurfaces();

// Releases every display object that exists, each on its own; may run twice.
void ReleaseMessageDisplay();

// Releases the display and sound objects, then shows `text` in a warning box owned
// by the window. Returns 0.
int ReportSetupError(HWND window, const char* text);

// 1 while the display exists (its DirectDraw2 interface was made and not released).
int MessageDisplayReady();

// The loaded background picture, or null.
IDirectDrawSurface3* MessageBackgroundSurface();

#endif
