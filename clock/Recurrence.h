// Occurrences of recurring events and the due list. No Windows header: the
// callers pass in the time, the table and the settings.
#ifndef VANTEL_RECURRENCE_H
#define VANTEL_RECURRENCE_H

#include <cstdint>
#include <ctime>

#include "EventTable.h"

enum {
    MAX_DUE = 16,     // entries of the due list
    DUE_WINDOW = 960, // seconds ahead that a rebuild schedules
};

struct DueEntry {
    CalendarTime time;  // the occurrence
    int32_t done;       // 1 once its actions have been carried out
    int32_t eventIndex; // slot of its event in the table
};

struct DueList {
    DueEntry entries[MAX_DUE];
    uint32_t count;
};

// Moves a day past the end of a 30-day month or February to that month's last day
// (Gregorian leap years: 2100 has no 29 February). Months outside 0..11 stay as they are.
void ClampDayOfMonth(struct tm* candidate);

// The candidate occurrence `step` periods from the current period (negative: back)
// of an event starting at `start` with `code`, relative to `now`; -1 when it does
// not convert or the code is not a recurring one.
CalendarTime CandidateTime(CalendarTime start, int code, CalendarTime now, int step, int lastOfMonthMode);

// The first occurrence later than `after`, or -1 (a past one-shot event has none).
// Hourly events fire at every real hour, through clock changes too.
CalendarTime NextOccurrenceAfter(const EventRecord* event, CalendarTime after, int lastOfMonthMode);

// The occurrence missed since `lastCheck`, up to `now`: the latest in the current or
// previous period, not before the event's start; -1 for none. Hourly events never
// count as missed.
CalendarTime MissedOccurrence(const EventRecord* event, CalendarTime now, CalendarTime lastCheck,
                              int lastOfMonthMode);

#endif
