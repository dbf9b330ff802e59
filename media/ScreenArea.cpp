#include "ScreenArea.h"

int32_t SaturatedCoordinate(int64_t value) {
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return (int32_t)value;
}

ScreenRect RectAt(int32_t x, int32_t y, int32_t width, int32_t height) {
    int32_t left = SaturatedCoordinate((int64_t)x + width) - width;
    int32_t top = SaturatedCoordinate((int64_t)y + height) - height;
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
    rect->left = SaturatedCoordinate(rect->left + dx);
    rect->right = SaturatedCoordinate(rect->right + dx);
    rect->top = SaturatedCoordinate(rect->top + dy);
    rect->bottom = SaturatedCoordinate(rect->bottom + dy);
}

static int Fits(const ScreenRect* rect, const ScreenRect* area) {
    return rect->left >= area->left && rect->top >= area->top && rect->right <= area->right &&
           rect->bottom <= area->bottom;
}

static int Overlap(const ScreenRect* a, const ScreenRect* b) {
    return a->left < b->right && b->left < a->right && a->top < b->bottom && b->top < a->bottom;
}

ScreenRect PlaceBeside(const ScreenRect* window, const ScreenRect* box, int32_t gap, const ScreenRect* area) {
    int64_t width = (int64_t)box->right - box->left, height = (int64_t)box->bottom - box->top;
    const int64_t corners[4][2] = {
        {window->left, (int64_t)window->bottom + gap},       // below
        {window->left, (int64_t)window->top - gap - height}, // above
        {(int64_t)window->right + gap, window->top},         // right
        {(int64_t)window->left - gap - width, window->top},  // left
    };
    for (const auto& corner : corners) {
        ScreenRect rect = RectAt(SaturatedCoordinate(corner[0]), SaturatedCoordinate(corner[1]),
                                 SaturatedCoordinate(width), SaturatedCoordinate(height));
        MoveIntoArea(&rect, area);
        if (Fits(&rect, area) && !Overlap(&rect, window))
            return rect;
    }
    ScreenRect rect = *box;
    MoveIntoArea(&rect, area);
    return rect;
}
