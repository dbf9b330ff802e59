// Digit cells of the digits strip and digit slots on the face. No Windows header:
// the native tests check the arithmetic directly.
#ifndef VANTEL_DIGITLAYOUT_H
#define VANTEL_DIGITLAYOUT_H

#include <cstdint>

enum { DIGIT_SLOTS = 12, DIGIT_CELLS = 10 };

// Same layout as the platform's RECT: left, top, right, bottom.
struct SlotRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Cell k of the strip shows digit k: ten cells of width digitsWidth / 10.
void BuildCellRects(SlotRect cells[DIGIT_CELLS], uint32_t digitsWidth, uint32_t digitsHeight);

// Gives every slot right = left + cell width and bottom = top + digits height.
void SizeSlots(SlotRect slots[DIGIT_SLOTS], uint32_t cellWidth, uint32_t digitsHeight);

// Moves the shown slots first .. last inside the background and sizes them; slots
// outside that range stay as they are.
void ClampSlots(SlotRect slots[DIGIT_SLOTS], int first, int last, uint32_t cellWidth, uint32_t digitsHeight,
                uint32_t backgroundWidth, uint32_t backgroundHeight);

// Range rules of the shown slots: first outside 0..11 becomes 0, last outside it
// becomes 11; then, when first is above last, the whole range 0..11. One slot
// (first equal to last) is a range of its own.
void ClampDigitRange(int32_t* first, int32_t* last);

#endif
