// The window region cut from a background's transparent colour.
#ifndef VANTEL_WINDOWSHAPE_H
#define VANTEL_WINDOWSHAPE_H

#include <windows.h>
#include <ddraw.h>

enum ShapeVariant {
    SHAPE_CLOCK = 0,   // needs 16 bits per pixel or more; compares the colour bits only
    SHAPE_MESSAGE = 1, // any depth; compares the pixel's bytes whole
};

// Builds the region of `window`: its rectangle minus every background pixel of the
// transparent colour. Returns 1 when at least one pixel was cut out; the region is
// then left for ApplyWindowRegion. Shows one message box on failure.
int BuildWindowRegion(HWND window, IDirectDrawSurface3* background, COLORREF transparent, int variant);

// BuildWindowRegion, then sets the region on the window (or no region: rectangular).
void ApplyWindowRegion(HWND window, IDirectDrawSurface3* background, COLORREF transparent, int variant);

// Cuts the pixels that match `key` under `mask` out of `region`; pixel rectangles go
// through DPtoLP on `dc` when one is given. Returns the number of pixels cut out, or
// -1 when the region could not be built (the region is then unchanged).
long CutKeyPixels(HRGN region, HDC dc, const void* bits, int width, int height, long pitch, int bytesPerPixel,
                  DWORD mask, DWORD key);

#endif
