// The DirectDraw objects both programs draw through: the DirectDraw object in its
// DirectDraw2 interface, and the screen (the primary surface) clipped to the window.
#ifndef VANTEL_SCREEN_H
#define VANTEL_SCREEN_H

#include <windows.h>
#include <ddraw.h>

struct ScreenObjects {
    IDirectDraw* dd;                // from DirectDrawCreate
    IDirectDraw2* dd2;              // the same object; used for everything else
    IDirectDrawClipper* clipper;    // bound to the window
    IDirectDrawSurface* primaryOne; // the screen, through its first interface
    IDirectDrawSurface3* primary;   // the screen; the clipper is attached to it
};

// Makes the objects for `window` in order, at the normal cooperative level. Returns
// null, or the message that names the step that failed; what was made by then stays
// for ReleaseScreenObjects.
const char* CreateScreenObjects(HWND window, ScreenObjects* screen);

// Releases each object that exists, the screen first, and sets it to null; may run
// twice. Surfaces made on the DirectDraw object are released before this.
void ReleaseScreenObjects(ScreenObjects* screen);

// Blits `from` of `source` onto the screen at `destination` (screen pixels). A lost
// surface is handed to `restore` and the blit made once more.
void BlitToScreen(ScreenObjects* screen, RECT* destination, IDirectDrawSurface3* source, RECT* from,
                  DWORD flags, HRESULT (*restore)());

// The window's client rectangle in screen pixels: blits to the screen are in screen
// coordinates, clipped to the window by the clipper.
void ClientRectOnScreen(HWND window, RECT* rect);

#endif
