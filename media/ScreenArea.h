// Rectangles of screen pixels moved onto the screen: both programs keep their windows
// where the user can see them. No Windows header here.
#ifndef VANTEL_SCREENAREA_H
#define VANTEL_SCREENAREA_H

#include <cstdint>

// A rectangle of screen pixels; right and bottom exclusive.
struct ScreenRect {
    int32_t left, top, right, bottom;
};

// The value, stopped at the limits of a 32-bit coordinate.
int32_t SaturatedCoordinate(int64_t value);

// The rectangle of `width` by `height` pixels with its top-left corner at x, y; one
// that would pass the largest coordinate is moved back to end there.
ScreenRect RectAt(int32_t x, int32_t y, int32_t width, int32_t height);

// Moves `rect` the least distance that puts it inside `area`; a rectangle wider or
// taller than the area is put at its left or top edge. The size stays.
void MoveIntoArea(ScreenRect* rect, const ScreenRect* area);

// Where a box of `width` by `height` pixels stands beside `window` without hiding
// it, `gap` pixels away: below it, else above, else right, else left of it, aligned
// with its left or top edge and moved into `area`. Where none fits, the box is only
// moved into the area from where it is (`box`).
ScreenRect PlaceBeside(const ScreenRect* window, const ScreenRect* box, int32_t gap, const ScreenRect* area);

#endif
