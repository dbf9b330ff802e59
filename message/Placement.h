// Where a message window opens: the small shift of every set-up, and the rule that
// keeps a reminder on the screen. No Windows header here.
#ifndef VANTEL_PLACEMENT_H
#define VANTEL_PLACEMENT_H

#include <cstdint>

// A rectangle of screen pixels; right and bottom exclusive.
struct ScreenRect {
    int32_t left, top, right, bottom;
};

// Shifts a saved position by 0 to 45 pixels on each axis, from two tick counts:
// x by 5 * (t1 mod 10), y by 5 * ((t2 mod 100) div 10); towards the right (down)
// while the coordinate, read as unsigned, is below 400 (300), else back. A result
// beyond 32 bits stops at the limit.
void ShiftPosition(int32_t* x, int32_t* y, uint32_t t1, uint32_t t2);

// The rectangle of `width` by `height` pixels with its top-left corner at x, y; one
// that would pass the largest coordinate is moved back to end there.
ScreenRect RectAt(int32_t x, int32_t y, int32_t width, int32_t height);

// Moves `rect` the least distance that puts it inside `area`; a rectangle wider or
// taller than the area is put at its left or top edge. The size stays.
void MoveIntoArea(ScreenRect* rect, const ScreenRect* area);

#endif
