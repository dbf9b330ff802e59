#include "DigitLayout.h"

void BuildCellRects(SlotRect cells[DIGIT_CELLS], uint32_t digitsWidth, uint32_t digitsHeight) {
    int32_t w = (int32_t)(digitsWidth / 10);
    for (int k = 0; k < DIGIT_CELLS; k++) {
        cells[k].left = k * w;
        cells[k].top = 0;
        cells[k].right = (k + 1) * w;
        cells[k].bottom = (int32_t)digitsHeight;
    }
}

// A position read from a file may lie anywhere in 32 bits; its far edge stops there.
static int32_t FarEdge(int32_t start, uint32_t size) {
    int64_t edge = (int64_t)start + size;
    return edge > INT32_MAX ? INT32_MAX : (int32_t)edge;
}

void SizeSlots(SlotRect slots[DIGIT_SLOTS], uint32_t cellWidth, uint32_t digitsHeight) {
    for (int i = 0; i < DIGIT_SLOTS; i++) {
        slots[i].right = FarEdge(slots[i].left, cellWidth);
        slots[i].bottom = FarEdge(slots[i].top, digitsHeight);
    }
}

void ClampSlots(SlotRect slots[DIGIT_SLOTS], int first, int last, uint32_t cellWidth, uint32_t digitsHeight,
                uint32_t backgroundWidth, uint32_t backgroundHeight) {
    if (first < 0)
        first = 0;
    if (last > DIGIT_SLOTS - 1)
        last = DIGIT_SLOTS - 1;
    // Sizes are bitmap dimensions, far below 2^31; signed arithmetic keeps a cell
    // wider than the background at a negative left, as the face would show it.
    int64_t w = cellWidth, h = digitsHeight;
    for (int i = first; i <= last; i++) {
        SlotRect* s = &slots[i];
        if (s->left < 0)
            s->left = 0;
        if (s->top < 0)
            s->top = 0;
        if (s->left + w > (int64_t)backgroundWidth)
            s->left = (int32_t)((int64_t)backgroundWidth - w);
        if (s->top + h > (int64_t)backgroundHeight)
            s->top = (int32_t)((int64_t)backgroundHeight - h);
        s->right = (int32_t)(s->left + w);
        s->bottom = (int32_t)(s->top + h);
    }
}

void ClampDigitRange(int32_t* first, int32_t* last) {
    if (*first < 0 || *first > DIGIT_SLOTS - 1)
        *first = 0;
    if (*last < 0 || *last > DIGIT_SLOTS - 1)
        *last = DIGIT_SLOTS - 1;
    if (*first > *last) {
        *first = 0;
        *last = DIGIT_SLOTS - 1;
    }
}
