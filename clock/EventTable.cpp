#include "EventTable.h"

#include <cstring>

static const char* const kRecurrenceNames[] = {"<none>", "Hourly", "Daily", "Weekly", "Monthly", "Yearly"};

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

CalendarTime CurrentCalendarTime() {
#ifdef _WIN32
    // time() is 32 bits wide in the 32-bit build and ends in January 2038.
    return (CalendarTime)_time64(NULL);
#else
    return (CalendarTime)time(NULL);
#endif
}

static int RuntimeToLocal(CalendarTime time, struct tm* local) {
#ifdef _WIN32
    __time64_t t = (__time64_t)time;
    return _localtime64_s(local, &t) == 0;
#else
    static_assert(sizeof(time_t) >= 8, "the native tests need a 64-bit time_t");
    time_t t = (time_t)time;
    return localtime_r(&t, local) != NULL;
#endif
}

// Broken-down fields of seconds on a clock that never changes its offset.
static void SplitLocalSeconds(int64_t seconds, struct tm* local) {
    int64_t days = FloorDiv(seconds, 86400), ofDay = seconds - days * 86400;
    // Civil date of a day number: the inverse of DaysFromCivil.
    int64_t z = days + 719468, era = FloorDiv(z, 146097), dayOfEra = z - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t shifted = (5 * dayOfYear + 2) / 153;
    int64_t day = dayOfYear - (153 * shifted + 2) / 5 + 1, month = shifted < 10 ? shifted + 3 : shifted - 9;
    int64_t year = yearOfEra + era * 400 + (month <= 2);
    local->tm_year = (int)(year - 1900);
    local->tm_mon = (int)(month - 1);
    local->tm_mday = (int)day;
    local->tm_hour = (int)(ofDay / 3600);
    local->tm_min = (int)(ofDay / 60 % 60);
    local->tm_sec = (int)(ofDay % 60);
    local->tm_wday = (int)(days + 4 - FloorDiv(days + 4, 7) * 7); // 1970-01-01 was a Thursday
    local->tm_yday = (int)(days - DaysFromCivil(year, 1, 1));
}

int CalendarToLocal(CalendarTime time, struct tm* local) {
    if (time < 0 || time > LAST_CALENDAR_TIME)
        return 0;
    if (time <= LAST_RUNTIME_TIME)
        return RuntimeToLocal(time, local);
    // Past the runtime's end by hours at most: the offset of its last instant holds.
    struct tm last;
    if (!RuntimeToLocal(LAST_RUNTIME_TIME, &last))
        return 0;
    SplitLocalSeconds(time + (LocalSeconds(&last) - LAST_RUNTIME_TIME), local);
    local->tm_isdst = last.tm_isdst;
    return 1;
}

static int FitsCalendarTime(int64_t value) {
    return value >= 0 && value <= LAST_CALENDAR_TIME;
}

// Local time minus calendar time at an instant, in seconds.
static int OffsetAt(int64_t instant, int64_t* offset) {
    struct tm local;
    if (!FitsCalendarTime(instant) || !CalendarToLocal(instant, &local))
        return 0;
    *offset = LocalSeconds(&local) - instant;
    return 1;
}

static int64_t Clamp(int64_t value) {
    return value < 0 ? 0 : value > LAST_CALENDAR_TIME ? LAST_CALENDAR_TIME : value;
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
    if (found == -1 || !FitsCalendarTime(found) || !CalendarToLocal(found, local))
        return -1;
    return found;
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
