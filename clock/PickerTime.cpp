#include "PickerTime.h"
#include "EventFields.h"

static void FieldsToPickerTime(const int fields[DATE_FIELDS], SYSTEMTIME* picker) {
    ZeroMemory(picker, sizeof(*picker));
    picker->wYear = (WORD)fields[0];
    picker->wMonth = (WORD)fields[1];
    picker->wDay = (WORD)fields[2];
    picker->wHour = (WORD)fields[3];
    picker->wMinute = (WORD)fields[4];
    picker->wSecond = (WORD)fields[5];
}

CalendarTime DateFromPickers(const SYSTEMTIME* date, const SYSTEMTIME* time) {
    int fields[DATE_FIELDS] = {date->wYear, date->wMonth,  date->wDay,
                               time->wHour, time->wMinute, time->wSecond};
    return CalendarFromFields(fields);
}

int DateTextToPickerTime(const char* text, SYSTEMTIME* picker) {
    int n[DATE_FIELDS];
    if (!ReadDateNumbers(text, n))
        return 0;
    if (!PickerCanShow(n))
        return 0;
    FieldsToPickerTime(n, picker);
    return 1;
}

int CalendarToPickerTime(CalendarTime time, SYSTEMTIME* picker) {
    struct tm local;
    if (!CalendarToLocal(time, &local))
        return 0;
    int fields[DATE_FIELDS] = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                               local.tm_hour,        local.tm_min,     local.tm_sec};
    if (!PickerCanShow(fields))
        return 0;
    FieldsToPickerTime(fields, picker);
    picker->wDayOfWeek = (WORD)local.tm_wday;
    return 1;
}

void PickerRange(SYSTEMTIME range[2]) {
    FieldsToPickerTime(kFirstPickerDate, &range[0]);
    FieldsToPickerTime(kLastPickerDate, &range[1]);
}
