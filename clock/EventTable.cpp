#include "EventTable.h"

#include <cstdio>
#include <cstring>

static const char* const kRecurrenceNames[] = {"<none>", "Hourly", "Daily", "Weekly", "Monthly", "Yearly"};

int CalendarToLocal(CalendarTime time, struct tm* local) {
    if (time < 0)
        return 0;
    time_t t = (time_t)time;
#ifdef _WIN32
    // The C runtime of Windows keeps this buffer per thread.
    struct tm* result = localtime(&t);
    if (!result)
        return 0;
    *local = *result;
    return 1;
#else
    return localtime_r(&t, local) != NULL;
#endif
}

// Taken as a 64-bit value so the test means the same for a 32-bit time_t.
static int FitsCalendarTime(int64_t value) {
    return value >= 0 && value <= (int64_t)INT32_MAX;
}

CalendarTime LocalToCalendar(struct tm* local) {
    local->tm_isdst = -1;
    time_t t = mktime(local);
    // The same range whatever the width of time_t: 1970 up to early 2038.
    if (t == (time_t)-1 || !FitsCalendarTime((int64_t)t))
        return -1;
    return (CalendarTime)t;
}

int FormatDateText(CalendarTime time, char* text, int capacity, int form) {
    if (capacity <= 0)
        return 0;
    text[0] = '\0';
    struct tm local;
    if (!CalendarToLocal(time, &local))
        return 0;
    const char* pattern = form == DATE_DISPLAY ? "%d.%m.%Y %H:%M:%S" : "%Y-%m-%d %H:%M:%S";
    if (strftime(text, (size_t)capacity, pattern, &local) == 0) {
        text[0] = '\0';
        return 0;
    }
    return 1;
}

int ReadDateNumbers(const char* text, int numbers[6]) {
    return text && sscanf(text, "%d-%d-%d %d:%d:%d", &numbers[0], &numbers[1], &numbers[2], &numbers[3],
                          &numbers[4], &numbers[5]) == 6;
}

CalendarTime ParseDateText(const char* text) {
    int n[6];
    if (!ReadDateNumbers(text, n))
        return -1;
    // Far-out fields would overflow the conversion's arithmetic; no such date fits.
    for (int i = 0; i < 6; i++)
        if (n[i] < -100000 || n[i] > 100000)
            return -1;
    struct tm local;
    memset(&local, 0, sizeof(local));
    local.tm_year = n[0] - 1900;
    local.tm_mon = n[1] - 1;
    local.tm_mday = n[2];
    local.tm_hour = n[3];
    local.tm_min = n[4];
    local.tm_sec = n[5];
    return LocalToCalendar(&local);
}

int RecurrenceCodeFromName(const char* name) {
    for (int code = 0; code < 6; code++)
        if (name && strcmp(name, kRecurrenceNames[code]) == 0)
            return code;
    return RECUR_NONE;
}

const char* RecurrenceNameFromCode(int code) {
    return code >= 0 && code <= 5 ? kRecurrenceNames[code] : kRecurrenceNames[0];
}

int CountEvents(const EventTable* table) {
    int n = 0;
    while (n < MAX_EVENTS && table->slots[n].startTime > 0)
        n++;
    return n;
}

void CopyText(char* field, int capacity, const char* text) {
    if (capacity <= 0)
        return;
    int i = 0;
    for (; text && text[i] && i < capacity - 1; i++)
        field[i] = text[i];
    field[i] = '\0';
}

int DayOfYear(int year, int month, int day) {
    int b = month - 1;
    int result = day + 30 * b + b / 2;
    if (b >= 2)
        result -= year % 4 == 0 ? 1 : 2;
    if (b % 2 == 1 && b <= 7)
        result += 1;
    if (b >= 8)
        result += 1;
    return result;
}
EventTable g_events;
