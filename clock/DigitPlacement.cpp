#include "DigitPlacement.h"

// Slots 4, 6, 8 and 10 begin the hours, minutes, seconds and hundredths.
static int StartsTimeUnit(int slot) {
    return slot == 4 || slot == 6 || slot == 8 || slot == 10;
}

int32_t AddSaturated(int32_t left, int64_t step) {
    int64_t sum = (int64_t)left + step;
    if (sum > INT32_MAX)
        return INT32_MAX;
    if (sum < INT32_MIN)
        return INT32_MIN;
    return (int32_t)sum;
}

int ShownRange(const int shown[DIGIT_SLOTS], int32_t* first, int32_t* last) {
    int found = 0;
    for (int i = 0; i < DIGIT_SLOTS; i++) {
        if (!shown[i])
            continue;
        if (!found)
            *first = i;
        *last = i;
        found = 1;
    }
    return found;
}

static void ShowSlots(int shown[DIGIT_SLOTS], int from, int to, int value) {
    for (int i = from; i <= to; i++)
        shown[i] = value;
}

int ClickSlot(int shown[DIGIT_SLOTS], int k) {
    int32_t first = 0, last = 0;
    if (!ShownRange(shown, &first, &last)) {
        shown[k] = 1;
        return 1;
    }
    if (!shown[k]) {
        if (k < first)
            ShowSlots(shown, k, first - 1, 1);
        else
            ShowSlots(shown, last + 1, k, 1);
        return 1;
    }
    if (first == last)
        return 0;
    if (k == first || k == last)
        shown[k] = 0;
    else if (k < 6)
        ShowSlots(shown, 0, k, 0);
    else
        ShowSlots(shown, k, DIGIT_SLOTS - 1, 0);
    return 1;
}

void CenterDigits(int32_t lefts[DIGIT_SLOTS], int32_t* top, int first, int last, uint32_t cellWidth,
                  uint32_t digitsHeight, uint32_t backgroundWidth, uint32_t backgroundHeight) {
    int64_t w = cellWidth, half = cellWidth / 2;
    int64_t total = 0;
    for (int i = first; i <= last; i++)
        total += w + (i != first && StartsTimeUnit(i) ? half : 0);
    int64_t start = (int64_t)backgroundWidth > total ? ((int64_t)backgroundWidth - total) / 2 : 0;
    *top = backgroundHeight > digitsHeight ? (int32_t)((backgroundHeight - digitsHeight) / 2) : 0;
    for (int i = first; i <= last; i++) {
        if (i != first && StartsTimeUnit(i))
            start += half;
        lefts[i] = AddSaturated(0, start + (i - first) * w);
    }
}

void DistributeDigits(int32_t lefts[DIGIT_SLOTS], int32_t left, int32_t digitSpace, int32_t unitSpace,
                      int first, int last, uint32_t cellWidth) {
    int64_t p = left;
    for (int i = first; i <= last; i++) {
        p += digitSpace;
        if (i != first && StartsTimeUnit(i))
            p += unitSpace;
        lefts[i] = AddSaturated(0, p + (int64_t)(i - first) * cellWidth);
    }
}

void InitialSpacings(const SlotRect slots[DIGIT_SLOTS], int first, int last, int32_t* digitSpace,
                     int32_t* unitSpace) {
    *digitSpace = *unitSpace = 0;
    for (int i = first + 1; i <= last; i++) {
        int64_t gap = (int64_t)slots[i].left - slots[i - 1].right;
        if (gap <= 0)
            continue;
        int32_t* space = StartsTimeUnit(i) ? unitSpace : digitSpace;
        if (*space == 0)
            *space = gap > INT32_MAX ? INT32_MAX : (int32_t)gap;
    }
}
