// Fuzz target for the window positions read from both settings files and what is
// made of them on the screen: the message window's shift at each set-up, a window
// moved back into the monitor's work area, and a dialog placed beside the clock.
// Input: a byte choosing 16- or 32-bit numbers, then little-endian numbers: the
// position read (x, y), two tick counts (always 32 bits), the window's size, the work
// area (left, top, right, bottom), the box's rectangle, and the gap; missing ones are 0.
#include "FuzzSupport.h"

#include "Placement.h"
#include "ScreenArea.h"

namespace {

// Coordinates a screen can have, with room for every sum below.
bool Plausible(int64_t value) {
    return value >= -(int64_t(1) << 28) && value <= (int64_t(1) << 28);
}

bool PlausibleRect(const ScreenRect& r) {
    return Plausible(r.left) && Plausible(r.top) && Plausible(r.right) && Plausible(r.bottom) &&
           r.left <= r.right && r.top <= r.bottom;
}

int64_t Width(const ScreenRect& r) {
    return (int64_t)r.right - r.left;
}

int64_t Height(const ScreenRect& r) {
    return (int64_t)r.bottom - r.top;
}

bool Inside(const ScreenRect& r, const ScreenRect& area) {
    return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
}

bool Overlap(const ScreenRect& a, const ScreenRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

void CheckShift(int32_t x, int32_t y, uint32_t t1, uint32_t t2) {
    int32_t sx = x, sy = y;
    ShiftPosition(&sx, &sy, t1, t2);
    const int64_t dx = (int64_t)sx - x, dy = (int64_t)sy - y;
    const int64_t wantX = 5 * int64_t(t1 % 10), wantY = 5 * int64_t(t2 % 100 / 10);
    const int64_t toX = (uint32_t)x < 400 ? wantX : -wantX, toY = (uint32_t)y < 300 ? wantY : -wantY;
    const int64_t fullX = (int64_t)x + toX, fullY = (int64_t)y + toY;
    Require(sx == (fullX > INT32_MAX   ? INT32_MAX
                   : fullX < INT32_MIN ? INT32_MIN
                                       : fullX) &&
                sy == (fullY > INT32_MAX   ? INT32_MAX
                       : fullY < INT32_MIN ? INT32_MIN
                                           : fullY),
            "a shifted position other than 5 pixels a step, away from the far side, held in 32 bits");
    Require(dx >= -45 && dx <= 45 && dy >= -45 && dy <= 45, "a shift beyond 45 pixels");
}

void CheckRectAt(int32_t x, int32_t y, int32_t width, int32_t height) {
    const ScreenRect r = RectAt(x, y, width, height);
    if (width < 0 || height < 0)
        return; // no window has such a size; only the arithmetic is checked, by the sanitizers
    Require(Width(r) == width && Height(r) == height, "RectAt changed the size");
    Require(r.left == ((int64_t)x + width > INT32_MAX ? INT32_MAX - width : x) &&
                r.top == ((int64_t)y + height > INT32_MAX ? INT32_MAX - height : y),
            "RectAt moved a rectangle other than back to end at the largest coordinate");
}

void CheckMoveIntoArea(ScreenRect rect, const ScreenRect& area) {
    const ScreenRect before = rect;
    MoveIntoArea(&rect, &area);
    if (!PlausibleRect(before) || !PlausibleRect(area))
        return;
    Require(Width(rect) == Width(before) && Height(rect) == Height(before),
            "moving into the area changed the size");
    if (Width(before) <= Width(area))
        Require(rect.left >= area.left && rect.right <= area.right,
                "a rectangle that fits is outside the area");
    else
        Require(rect.left == area.left, "a rectangle wider than the area is not at its left edge");
    if (Height(before) <= Height(area))
        Require(rect.top >= area.top && rect.bottom <= area.bottom,
                "a rectangle that fits is outside the area");
    else
        Require(rect.top == area.top, "a rectangle taller than the area is not at its top edge");
    if (before.left >= area.left && before.right <= area.right)
        Require(rect.left == before.left, "a rectangle inside the area was moved sideways");
    if (before.top >= area.top && before.bottom <= area.bottom)
        Require(rect.top == before.top, "a rectangle inside the area was moved up or down");
}

void CheckPlaceBeside(const ScreenRect& window, const ScreenRect& box, int32_t gap, const ScreenRect& area) {
    const ScreenRect placed = PlaceBeside(&window, &box, gap, &area);
    if (!PlausibleRect(window) || !PlausibleRect(box) || !PlausibleRect(area) || !Plausible(gap))
        return;
    Require(Width(placed) == Width(box) && Height(placed) == Height(box),
            "a box placed beside changed its size");
    ScreenRect moved = box;
    MoveIntoArea(&moved, &area);
    const bool fallback = memcmp(&placed, &moved, sizeof(placed)) == 0;
    Require(fallback || (Inside(placed, area) && !Overlap(placed, window)),
            "a box placed beside hides the window or leaves the area");
    if (Width(box) <= Width(area) && Height(box) <= Height(area))
        Require(Inside(placed, area), "a box that fits the area was placed outside it");
    // Below the window, where there is room, comes first.
    ScreenRect below = RectAt(window.left, window.bottom + gap, (int32_t)Width(box), (int32_t)Height(box));
    MoveIntoArea(&below, &area);
    if (Inside(below, area) && !Overlap(below, window))
        Require(memcmp(&placed, &below, sizeof(placed)) == 0,
                "a box with room below the window is not put there");
}

} // namespace

// Numbers of 32 bits, or of 16 (sign-extended) when the input's first byte is odd,
// so most inputs of that kind are positions and sizes a screen can have.
struct Numbers {
    FuzzInput input;
    bool narrow;
    int32_t Next() {
        return narrow ? int32_t(int16_t(input.Byte() | input.Byte() << 8)) : input.Int();
    }
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Numbers numbers = {{data, size}, false};
    numbers.narrow = numbers.input.Byte() & 1;
    const int32_t x = numbers.Next(), y = numbers.Next();
    const uint32_t t1 = numbers.input.Word(), t2 = numbers.input.Word();
    const int32_t width = numbers.Next(), height = numbers.Next();
    ScreenRect area;
    area.left = numbers.Next();
    area.top = numbers.Next();
    area.right = numbers.Next();
    area.bottom = numbers.Next();
    ScreenRect box;
    box.left = numbers.Next();
    box.top = numbers.Next();
    box.right = numbers.Next();
    box.bottom = numbers.Next();
    const int32_t gap = numbers.Next();

    CheckShift(x, y, t1, t2);
    int32_t sx = x, sy = y;
    ShiftPosition(&sx, &sy, t1, t2);
    CheckRectAt(sx, sy, width, height);
    const ScreenRect window = RectAt(sx, sy, width, height);
    CheckMoveIntoArea(window, area);
    CheckPlaceBeside(window, box, gap, area);
    return 0;
}
