#include "Placement.h"

static int32_t Saturated(int64_t value) {
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return (int32_t)value;
}

void ShiftPosition(int32_t* x, int32_t* y, uint32_t t1, uint32_t t2) {
    // Read as unsigned, a negative coordinate counts as large: it is shifted back.
    int64_t dx = 5 * (int64_t)(t1 % 10);
    int64_t dy = 5 * (int64_t)((t2 % 100) / 10);
    *x = Saturated(*x + ((uint32_t)*x < 400 ? dx : -dx));
    *y = Saturated(*y + ((uint32_t)*y < 300 ? dy : -dy));
}

ScreenRect RectAt(int32_t x, int32_t y, int32_t width, int32_t height) {
    int32_t left = Saturated((int64_t)x + width) - width;
    int32_t top = Saturated((int64_t)y + height) - height;
    ScreenRect rect = {left, top, left + width, top + height};
    return rect;
}

// The least move of [low, high) into [areaLow, areaHigh); the low edge wins when the
// span is longer than the area.
static int64_t MoveSpan(int64_t low, int64_t high, int64_t areaLow, int64_t areaHigh) {
    if (high - low > areaHigh - areaLow || low < areaLow)
        return areaLow - low;
    if (high > areaHigh)
        return areaHigh - high;
    return 0;
}

void MoveIntoArea(ScreenRect* rect, const ScreenRect* area) {
    int64_t dx = MoveSpan(rect->left, rect->right, area->left, area->right);
    int64_t dy = MoveSpan(rect->top, rect->bottom, area->top, area->bottom);
    rect->left = Saturated(rect->left + dx);
    rect->right = Saturated(rect->right + dx);
    rect->top = Saturated(rect->top + dy);
    rect->bottom = Saturated(rect->bottom + dy);
}
