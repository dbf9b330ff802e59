// Between calendar time, the file date form and the date pickers' SYSTEMTIME.
#ifndef VANTEL_PICKERTIME_H
#define VANTEL_PICKERTIME_H

#include <windows.h>

#include "EventTable.h"

// The date of `date` at the time of day of `time`, as local time; -1 when it does
// not convert.
CalendarTime DateFromPickers(const SYSTEMTIME* date, const SYSTEMTIME* time);

// The six numbers of a file date form text; day of week and milliseconds 0. Returns
// 0 (and leaves *picker alone) when the text does not hold a date within the
// pickers' range.
int DateTextToPickerTime(const char* text, SYSTEMTIME* picker);

// The local time of a calendar time; 0 (and *picker left alone) when it has none
// or lies outside the pickers' range.
int CalendarToPickerTime(CalendarTime time, SYSTEMTIME* picker);

// The range of dates both pickers offer (GDTR_MIN | GDTR_MAX), each converting to
// calendar time.
void PickerRange(SYSTEMTIME range[2]);

#endif
