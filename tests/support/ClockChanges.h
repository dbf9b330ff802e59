// Finds the changes of the local clock's offset (daylight saving) through the same
// conversion the clock uses, so tests need not know the zone's rules or the C
// runtime's reading of them.
#ifndef VANTEL_TESTS_CLOCKCHANGES_H
#define VANTEL_TESTS_CLOCKCHANGES_H

#include "EventTable.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

struct ClockChange {
    CalendarTime at;      // first instant on the new offset
    int64_t offsetBefore; // local minus calendar time, seconds
    int64_t offsetAfter;
};

inline int64_t LocalOffset(CalendarTime t) {
    struct tm local;
    if (!CalendarToLocal(t, &local))
        abort();
    int64_t days = 0; // days from 1970-01-01 to the local date
    int64_t y = local.tm_year + 1900, m = local.tm_mon + 1;
    y -= m <= 2;
    int64_t era = (y >= 0 ? y : y - 399) / 400, yoe = y - era * 400;
    int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + local.tm_mday - 1;
    days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
    return days * 86400 + local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec - t;
}

// The offset changes between `from` and `to`, found hour by hour, then to the second.
inline std::vector<ClockChange> FindClockChanges(CalendarTime from, CalendarTime to) {
    std::vector<ClockChange> changes;
    for (CalendarTime t = from; t < to; t += 3600) {
        int64_t before = LocalOffset(t), after = LocalOffset(t + 3600);
        if (before == after)
            continue;
        CalendarTime low = t, high = t + 3600;
        while (high - low > 1) {
            CalendarTime middle = low + (high - low) / 2;
            (LocalOffset(middle) == before ? low : high) = middle;
        }
        changes.push_back({high, before, after});
    }
    return changes;
}

// Sets the process's time zone for the C runtime (POSIX rules natively; the Windows
// C runtime reads only its own form, e.g. "CET-1CEST").
inline void SetTimeZone(const char* zone) {
#ifdef _WIN32
    static char setting[128];
    snprintf(setting, sizeof(setting), "TZ=%s", zone);
    _putenv(setting);
    _tzset();
#else
    setenv("TZ", zone, 1);
    tzset();
#endif
}

#endif
