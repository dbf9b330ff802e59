#include "Placement.h"
#include "ScreenArea.h"

void ShiftPosition(int32_t* x, int32_t* y, uint32_t t1, uint32_t t2) {
    // Read as unsigned, a negative coordinate counts as large: it is shifted back.
    int64_t dx = 5 * (int64_t)(t1 % 10);
    int64_t dy = 5 * (int64_t)((t2 % 100) / 10);
    *x = SaturatedCoordinate(*x + ((uint32_t)*x < 400 ? dx : -dx));
    *y = SaturatedCoordinate(*y + ((uint32_t)*y < 300 ? dy : -dy));
}
