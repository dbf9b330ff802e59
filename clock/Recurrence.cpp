#include "Recurrence.h"

void ClampDayOfMonth(struct tm* candidate) {
    int month = candidate->tm_mon;
    if (candidate->tm_mday > 30 && (month == 3 || month == 5 || month == 8 || month == 10)) {
        candidate->tm_mday = 30;
    } else if (candidate->tm_mday > 28 && month == 1) {
        int year = candidate->tm_year + 1900;
        candidate->tm_mday = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0) ? 29 : 28;
    }
}

CalendarTime CandidateTime(CalendarTime start, int code, CalendarTime now, int step, int lastOfMonthMode) {
    struct tm n, e;
    if (!CalendarToLocal(now, &n) || !CalendarToLocal(start, &e))
        return -1;
    // Built from local broken-down time, so a daily 08:00 stays at 08:00 local
    // time across a daylight-saving change.
    struct tm c = n;
    c.tm_min = e.tm_min;
    c.tm_sec = e.tm_sec;
    switch (code) {
    case RECUR_HOURLY: c.tm_hour = n.tm_hour + step; break;
    case RECUR_DAILY:
        c.tm_mday = n.tm_mday + step;
        c.tm_hour = e.tm_hour;
        break;
    case RECUR_WEEKLY:
        c.tm_mday = n.tm_mday + e.tm_wday - n.tm_wday + 7 * step;
        c.tm_hour = e.tm_hour;
        break;
    case RECUR_MONTHLY:
        c.tm_mon = n.tm_mon + step;
        c.tm_mday = e.tm_mday;
        c.tm_hour = e.tm_hour;
        break;
    case RECUR_YEARLY:
        c.tm_year = n.tm_year + step;
        c.tm_mon = e.tm_mon;
        c.tm_mday = e.tm_mday;
        c.tm_hour = e.tm_hour;
        break;
    default: return -1;
    }
    if ((code == RECUR_MONTHLY || code == RECUR_YEARLY) && lastOfMonthMode && e.tm_mday > 28)
        ClampDayOfMonth(&c);
    return LocalToCalendar(&c);
}

// The next time after `after` whose local minute and second are the start's: an
// hour of real time at most, so the repeated hour of autumn has its occurrences and
// the skipped hour of spring takes nothing from the next.
static CalendarTime NextHourlyAfter(CalendarTime start, CalendarTime after) {
    struct tm e, n;
    if (!CalendarToLocal(start, &e) || !CalendarToLocal(after, &n))
        return -1;
    int64_t step = (e.tm_min * 60 + e.tm_sec) - (n.tm_min * 60 + n.tm_sec);
    if (step <= 0)
        step += 3600;
    CalendarTime next = after + step;
    return next <= LAST_CALENDAR_TIME ? next : -1;
}

CalendarTime NextOccurrenceAfter(const EventRecord* event, CalendarTime after, int lastOfMonthMode) {
    if (event->startTime > after)
        return event->startTime;
    int code = event->recurrence;
    if (code == RECUR_HOURLY)
        return NextHourlyAfter(event->startTime, after);
    if (code < RECUR_DAILY || code > RECUR_YEARLY)
        return -1;
    // A day past a month's end rolls into the next month: the occurrence after the
    // last days of a month may be the previous month's rolled one, and the next
    // month's first may come before this month's.
    CalendarTime earliest = -1;
    for (int step = -1; step <= 1; step++) {
        CalendarTime candidate = CandidateTime(event->startTime, code, after, step, lastOfMonthMode);
        if (candidate > after && (earliest == -1 || candidate < earliest))
            earliest = candidate;
    }
    return earliest;
}

CalendarTime MissedOccurrence(const EventRecord* event, CalendarTime now, CalendarTime lastCheck,
                              int lastOfMonthMode) {
    int code = event->recurrence;
    CalendarTime result = -1;
    if (code == RECUR_NONE) {
        result = event->startTime;
    } else if (code >= RECUR_DAILY && code <= RECUR_YEARLY) {
        for (int i = 0; i <= 1; i++) {
            result = CandidateTime(event->startTime, code, now, -i, lastOfMonthMode);
            if (lastCheck < result && result >= event->startTime && result <= now)
                break;
        }
    }
    if (result == -1 || lastCheck >= result || result < event->startTime || result > now)
        return -1;
    return result;
}
