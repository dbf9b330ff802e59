// The event table, the recurrence patterns and the date texts. No Windows header.
#ifndef VANTEL_EVENTTABLE_H
#define VANTEL_EVENTTABLE_H

#include <cstdint>
#include <ctime>

// Seconds since 1970-01-01 00:00:00 UTC in 64 bits; -1 is a failed conversion.
typedef int64_t CalendarTime;

// The last instant the C runtime's 64-bit calendar functions convert:
// 3000-12-31 23:59:59 UTC.
const CalendarTime LAST_RUNTIME_TIME = 32535215999;
// The last calendar time: 3000-12-31 23:59:59 at UTC-12, so that every second of
// 31 December 3000 converts in every zone. The hours past the runtime's end take the
// offset of its last instant.
const CalendarTime LAST_CALENDAR_TIME = LAST_RUNTIME_TIME + 12 * 3600;

enum { MAX_EVENTS = 32 };

enum RecurrenceCode {
    RECUR_NONE = 0,
    RECUR_HOURLY = 1,
    RECUR_DAILY = 2,
    RECUR_WEEKLY = 3,
    RECUR_MONTHLY = 4,
    RECUR_YEARLY = 5,
};

struct EventRecord {
    CalendarTime startTime; // the (first) occurrence; > 0 in a used slot
    int32_t recurrence;     // RecurrenceCode
    char soundFile[260];    // wave file to play; empty: none
    char message[512];      // text for the message program; empty: none
    char appFile[260];      // command line to start; empty: none
};

// The list is the slots up to the first whose startTime is 0 or less.
struct EventTable {
    EventRecord slots[MAX_EVENTS];
};

enum DateForm {
    DATE_FILE = 0,    // "%Y-%m-%d %H:%M:%S", sorts as text in time order
    DATE_DISPLAY = 1, // "%d.%m.%Y %H:%M:%S"
};

// The current calendar time, read through the runtime's 64-bit clock.
CalendarTime CurrentCalendarTime();

// Local broken-down time of a calendar time. 0 for a time that has none (negative
// or past LAST_CALENDAR_TIME).
int CalendarToLocal(CalendarTime time, struct tm* local);

// Converts local broken-down time (normalising out-of-range fields) to calendar
// time and sets the fields to the local time found; -1 outside 0 ..
// LAST_CALENDAR_TIME. A time a clock change repeats is its first instant; one it skips is
// the instant of the change.
CalendarTime LocalToCalendar(struct tm* local);

// Formats the local time in the form. Returns 0 (and an empty text) when the time
// has no local time or the text does not fit.
int FormatDateText(CalendarTime time, char* text, int capacity, int form);

// Reads "%d-%d-%d %d:%d:%d" (year, month, day, hour, minute, second). All six
// numbers are needed; -1 when they are not there or the date does not convert.
CalendarTime ParseDateText(const char* text);

// Year, month (1..12), day, hour, minute and second.
enum { DATE_FIELDS = 6 };

// Reads the six numbers of a file date form text; 1 when all six were there.
int ReadDateNumbers(const char* text, int numbers[DATE_FIELDS]);

// Calendar time of local date fields (normalised as LocalToCalendar does); -1 when it
// does not convert.
CalendarTime CalendarFromFields(const int fields[DATE_FIELDS]);

// The code of an exact, case-sensitive pattern name; 0 for any other text.
int RecurrenceCodeFromName(const char* name);

// The name of a code; "<none>" outside 0..5.
const char* RecurrenceNameFromCode(int code);

// Number of events in the list.
int CountEvents(const EventTable* table);

// Copies a zero-terminated text into a fixed field, cut to fit.
void CopyText(char* field, int capacity, const char* text);

// The events the whole clock program shares.
extern EventTable g_events;

#endif
