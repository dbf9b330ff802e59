// Bitmaps onto DirectDraw surfaces, and RGB colours matched to surface pixels.
#ifndef VANTEL_SURFACE_H
#define VANTEL_SURFACE_H

#include <windows.h>
#include <ddraw.h>

// A bitmap name is MAKEINTRESOURCE(id) or text: a resource name of the running
// module first, then a file path.

// New off-screen surface of the given size, in the screen's format, or null. The
// caller releases it.
IDirectDrawSurface3* CreatePlainSurface(IDirectDraw2* dd, DWORD width, DWORD height);

// New off-screen surface holding the bitmap (width, height 0, 0: its own size), or
// null. The caller releases it.
IDirectDrawSurface3* LoadBitmapSurface(IDirectDraw2* dd, LPCSTR name, int width, int height);

// Loads the bitmap again into a restored surface. S_OK, E_FAIL or the DirectDraw error.
HRESULT ReloadBitmap(IDirectDrawSurface3* surface, LPCSTR name);

// Stretches the source rectangle of the bitmap (width or height 0: to its edge) over
// the whole surface. E_FAIL when either is missing, else the result of GetDC.
HRESULT CopyBitmapToSurface(IDirectDrawSurface3* surface, HBITMAP bitmap, int x, int y, int width,
                            int height);

// The raw pixel value the colour takes on the surface (through GDI, as the bitmap's
// pixels did); with CLR_INVALID, the raw top-left pixel. CLR_INVALID when the
// surface cannot be locked.
DWORD MatchSurfaceColor(IDirectDrawSurface3* surface, COLORREF color);

// Sets the source colour key to the colour's pixel value; the result of SetColorKey.
HRESULT SetSurfaceColorKey(IDirectDrawSurface3* surface, COLORREF color);

#endif
