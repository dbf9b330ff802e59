// Where a message window opens: the saved position plus a small shift at every
// set-up. No Windows header here.
#ifndef VANTEL_PLACEMENT_H
#define VANTEL_PLACEMENT_H

#include <cstdint>

// Shifts a saved position by 0 to 45 pixels on each axis, from two tick counts:
// x by 5 * (t1 mod 10), y by 5 * ((t2 mod 100) div 10); towards the right (down)
// while the coordinate, read as unsigned, is below 400 (300), else back. A result
// beyond 32 bits stops at the limit.
void ShiftPosition(int32_t* x, int32_t* y, uint32_t t1, uint32_t t2);

#endif
