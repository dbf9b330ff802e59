// The Digits dialog's arithmetic: which slots a click shows, centring, distributing
// and the spacings a layout has. No Windows header: the native tests check it.
#ifndef VANTEL_DIGITPLACEMENT_H
#define VANTEL_DIGITPLACEMENT_H

#include <cstdint>

#include "DigitLayout.h"

// A click on slot k's picture. Changes `shown` so that the shown slots stay one
// run; 0 (nothing changed) when k is the only shown slot, which must stay.
int ClickSlot(int shown[DIGIT_SLOTS], int k);

// The lowest and highest shown slot; 0 when none is shown.
int ShownRange(const int shown[DIGIT_SLOTS], int32_t* first, int32_t* last);

// Lefts of slots first..last centred in the background, with half a cell before
// each first slot of hours, minutes, seconds and hundredths; the same top for all.
void CenterDigits(int32_t lefts[DIGIT_SLOTS], int32_t* top, int first, int last, uint32_t cellWidth,
                  uint32_t digitsHeight, uint32_t backgroundWidth, uint32_t backgroundHeight);

// Lefts of slots first..last from `left`: `digitSpace` before every slot and
// `unitSpace` more before each first slot of a time unit after `first`. Positions
// beyond 32 bits stop at its ends.
void DistributeDigits(int32_t lefts[DIGIT_SLOTS], int32_t left, int32_t digitSpace, int32_t unitSpace,
                      int first, int last, uint32_t cellWidth);

// The spacings a layout opens with: the first positive gap between neighbouring
// shown slots inside a time unit, and the first before a time unit's first slot;
// 0 where there is none. `slots` carry left and right.
void InitialSpacings(const SlotRect slots[DIGIT_SLOTS], int first, int last, int32_t* digitSpace,
                     int32_t* unitSpace);

// left + step, held within 32 bits.
int32_t AddSaturated(int32_t left, int64_t step);

#endif
