#include "EventTable.h"

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

static int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (month 1..12).
static int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    int64_t era = FloorDiv(year, 400);
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The broken-down fields as seconds on a clock that never changes its offset, with
// out-of-range fields carried over (day 31 of April is 1 May).
static int64_t LocalSeconds(const struct tm* local) {
    int64_t months = (int64_t)local->tm_year * 12 + local->tm_mon;
    int64_t year = 1900 + FloorDiv(months, 12);
    int64_t month = months - FloorDiv(months, 12) * 12 + 1;
    int64_t days = DaysFromCivil(year, month, 1) + local->tm_mday - 1;
    return days * 86400 + (int64_t)local->tm_hour * 3600 + (int64_t)local->tm_min * 60 + local->tm_sec;
}

// Local time minus calendar time at an instant, in seconds.
static int OffsetAt(int64_t instant, int64_t* offset) {
    struct tm local;
    if (!FitsCalendarTime(instant) || !CalendarToLocal((CalendarTime)instant, &local))
        return 0;
    *offset = LocalSeconds(&local) - instant;
    return 1;
}

static int64_t Clamp(int64_t value) {
    return value < 0 ? 0 : value > (int64_t)INT32_MAX ? (int64_t)INT32_MAX : value;
}

// The C runtimes resolve a local time that a clock change skips or repeats each
// their own way (Windows' moves a skipped 02:30 back to 01:30). Here it is always
// the first instant that shows the time, and for a skipped time the instant the
// clock jumps forward. Only the instant-to-local conversion is asked.
CalendarTime LocalToCalendar(struct tm* local) {
    // Fields that far out make no calendar time; they would only overflow below.
    const int far = 10000000;
    if (local->tm_year < -far || local->tm_year > far || local->tm_mon < -far || local->tm_mon > far ||
        local->tm_mday < -far || local->tm_mday > far || local->tm_hour < -far || local->tm_hour > far ||
        local->tm_min < -far || local->tm_min > far || local->tm_sec < -far || local->tm_sec > far)
        return -1;
    int64_t wanted = LocalSeconds(local);
    // Two days either side is beyond any offset, so one offset holds before and
    // one after whatever change lies near the wanted time.
    int64_t before, after;
    if (!OffsetAt(Clamp(wanted - 2 * 86400), &before) || !OffsetAt(Clamp(wanted + 2 * 86400), &after))
        return -1;
    int64_t found = -1;
    const int64_t offsets[2] = {before, after};
    for (int i = 0; i < 2; i++) {
        int64_t instant = wanted - offsets[i], offset;
        if (OffsetAt(instant, &offset) && offset == offsets[i] && (found == -1 || instant < found))
            found = instant;
    }
    if (found == -1 && after > before) {
        // Skipped by a change forward: the first instant after the change.
        int64_t low = wanted - after, high = wanted - before, offset;
        if (!OffsetAt(low, &offset) || offset != before || !OffsetAt(high, &offset) || offset != after)
            return -1;
        while (high - low > 1) {
            int64_t middle = low + (high - low) / 2;
            if (OffsetAt(middle, &offset) && offset == before)
                low = middle;
            else
                high = middle;
        }
        found = high;
    }
    if (found == -1 || !FitsCalendarTime(found) || !CalendarToLocal((CalendarTime)found, local))
        return -1;
    return (CalendarTime)found;
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

static int IsWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// One number as "%d" reads it: white space, a sign, digits; the position behind it, or
// null when there is none. A number beyond 32 bits stops at its limits: sscanf's
// result for one is undefined, and glibc's wraps it ("4294967297" became 1).
static const char* ReadDateNumber(const char* p, int* number) {
    while (IsWhiteSpace(*p))
        p++;
    int negative = 0;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (*p < '0' || *p > '9')
        return NULL;
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; p++) {
        value = value * 10 + (*p - '0');
        if (value > (int64_t)INT32_MAX + 1)
            value = (int64_t)INT32_MAX + 1;
    }
    if (negative)
        value = -value;
    *number = value > INT32_MAX ? INT32_MAX : (int)value;
    return p;
}

int ReadDateNumbers(const char* text, int numbers[DATE_FIELDS]) {
    // "%d-%d-%d %d:%d:%d", where the blank stands for any white space, none included.
    static const char kSeparators[DATE_FIELDS] = {'-', '-', ' ', ':', ':', '\0'};
    if (!text)
        return 0;
    const char* p = text;
    for (int i = 0; i < DATE_FIELDS; i++) {
        p = ReadDateNumber(p, &numbers[i]);
        if (!p)
            return 0;
        if (kSeparators[i] == ' ') {
            while (IsWhiteSpace(*p))
                p++;
        } else if (kSeparators[i]) {
            if (*p != kSeparators[i])
                return 0;
            p++;
        }
    }
    return 1;
}

CalendarTime ParseDateText(const char* text) {
    int n[DATE_FIELDS];
    if (!ReadDateNumbers(text, n))
        return -1;
    // Far-out fields would overflow the arithmetic below; no such date fits.
    for (int i = 0; i < DATE_FIELDS; i++)
        if (n[i] < -100000 || n[i] > 100000)
            return -1;
    return CalendarFromFields(n);
}

CalendarTime CalendarFromFields(const int fields[DATE_FIELDS]) {
    struct tm local;
    memset(&local, 0, sizeof(local));
    local.tm_year = fields[0] - 1900;
    local.tm_mon = fields[1] - 1;
    local.tm_mday = fields[2];
    local.tm_hour = fields[3];
    local.tm_min = fields[4];
    local.tm_sec = fields[5];
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

EventTable g_events;
