// The Events dialog's editor fields, without the dialog. No Windows header.
#ifndef VANTEL_EVENTFIELDS_H
#define VANTEL_EVENTFIELDS_H

#include "EventTable.h"

// The dates the pickers offer: the first and last day whose every second converts to
// calendar time in every time zone (UTC-12 to UTC+14, daylight saving included).
extern const int kFirstPickerDate[DATE_FIELDS];
extern const int kLastPickerDate[DATE_FIELDS];

// What the dialogs say when the pickers' value has no calendar time.
extern const char kPickerRangeText[];

// 1 when the six numbers (year, month, day, hour, minute, second; in range each) lie
// within the pickers' dates. A date outside them cannot be shown and must be kept
// some other way.
int PickerCanShow(const int fields[DATE_FIELDS]);

// Turns line breaks, tabs and other control characters into blanks, in place: a
// settings file value ends at the line's end.
void MakeSingleLine(char* text);

#endif
