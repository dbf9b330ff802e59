#include "EventFields.h"

const int kFirstPickerDate[DATE_FIELDS] = {1970, 1, 2, 0, 0, 0};
const int kLastPickerDate[DATE_FIELDS] = {3000, 12, 31, 23, 59, 59};
const char kPickerRangeText[] = "The date must lie between 2 January 1970 and 31 December 3000.";

static int CompareFields(const int a[DATE_FIELDS], const int b[DATE_FIELDS]) {
    for (int i = 0; i < DATE_FIELDS; i++)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return 0;
}

int PickerCanShow(const int fields[DATE_FIELDS]) {
    static const int kLow[DATE_FIELDS] = {0, 1, 1, 0, 0, 0}, kHigh[DATE_FIELDS] = {0, 12, 31, 23, 59, 59};
    for (int i = 1; i < DATE_FIELDS; i++)
        if (fields[i] < kLow[i] || fields[i] > kHigh[i])
            return 0;
    return CompareFields(fields, kFirstPickerDate) >= 0 && CompareFields(fields, kLastPickerDate) <= 0;
}

void MakeSingleLine(char* text) {
    for (unsigned char* c = (unsigned char*)text; *c; c++)
        if (*c < 0x20 || *c == 0x7F)
            *c = ' ';
}
