#include "Recurrence.h"

void ClampDayOfMonth(struct tm* candidate) {
    int month = candidate->tm_mon;
    if (candidate->tm_mday > 30 && (month == 3 || month == 5 || month == 8 || month == 10)) {
        candidate->tm_mday = 30;
    } else if (candidate->tm_mday > 28 && month == 1) {
        candidate->tm_mday = (candidate->tm_year + 1900) % 4 == 0 ? 29 : 28;
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

CalendarTime NextOccurrence(const EventRecord* event, CalendarTime now, int lastOfMonthMode) {
    if (event->startTime >= now)
        return event->startTime;
    if (event->recurrence < RECUR_HOURLY || event->recurrence > RECUR_YEARLY)
        return -1;
    CalendarTime candidate = CandidateTime(event->startTime, event->recurrence, now, 0, lastOfMonthMode);
    if (candidate > now)
        return candidate;
    return CandidateTime(event->startTime, event->recurrence, now, 1, lastOfMonthMode);
}

static int Append(DueList* due, CalendarTime time, int index) {
    DueEntry* entry = &due->entries[due->count++];
    entry->time = time;
    entry->done = 0;
    entry->eventIndex = index;
    return due->count < MAX_DUE;
}

void FillDueList(DueList* due, const EventTable* table, CalendarTime now, int lastOfMonthMode) {
    due->count = 0;
    AppendDueOccurrences(due, table, now, lastOfMonthMode);
}

void AppendDueOccurrences(DueList* due, const EventTable* table, CalendarTime now, int lastOfMonthMode) {
    if (due->count >= MAX_DUE)
        return;
    int events = CountEvents(table);
    for (int k = 0; k < events; k++) {
        CalendarTime occurrence = NextOccurrence(&table->slots[k], now, lastOfMonthMode);
        // 64-bit sum: the window may reach past what 32 bits hold.
        if (occurrence > now && (int64_t)occurrence <= (int64_t)now + DUE_WINDOW &&
            !Append(due, occurrence, k))
            return;
    }
}

void FillMissedList(DueList* due, const EventTable* table, CalendarTime now, CalendarTime lastCheck,
                    int lastOfMonthMode) {
    due->count = 0;
    int events = CountEvents(table);
    for (int k = 0; k < events; k++) {
        const EventRecord* event = &table->slots[k];
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
        if (result != -1 && lastCheck < result && result >= event->startTime && result <= now &&
            !Append(due, result, k))
            return;
    }
}
