// What the event check carries out and when: the due list kept from the event table
// as the clock's time goes on, jumps, stops for a sleep or steps back. No Windows
// header: the caller passes the time read and the table, and holds the lock.
#ifndef VANTEL_EVENTSCHEDULE_H
#define VANTEL_EVENTSCHEDULE_H

#include <cstdint>

#include "Recurrence.h"

enum {
    REBUILD_PERIOD = 900,      // seconds of wall-clock time between rebuilds
    MAX_TICK_DELAY = 60,       // a longer silence than this was a sleep or a jump
    MARK_HORIZON = 31 * 86400, // a carried-out time further ahead came from a wrong clock
};

struct EventSchedule {
    DueList due;                       // occurrences to carry out: missed ones in slot order, then
                                       // the coming ones in time order, then slot order
    int64_t covered;                   // occurrence key up to which every one is in the list or passed
    CalendarTime lastCheck;            // time of the last event check
    CalendarTime nextRebuild;          // the list is made anew at the first check from then on
    CalendarTime lastDone[MAX_EVENTS]; // per slot, its latest occurrence carried out; 0 none
    int recheck;                       // 1: the machine resumed or the system time was changed
    int catchingUp;                    // 1: missed occurrences not yet all listed
    int missedCursor;                  // slot of the last missed occurrence listed; -1 none
    CalendarTime missedSince;          // the missed ones lie after this time...
    CalendarTime missedUntil;          // ...up to this one
};

struct ScheduleOptions {
    int lastOfMonthMode;   // monthly and yearly dates move to a shorter month's last day
    int displayPastEvents; // occurrences missed while not running or asleep are carried out
};

typedef void (*CarryOutFunction)(const DueEntry* entry, void* context);

// At start: queues what was missed since the saved last check (when the options say
// so) and the occurrences of the next minutes. Nothing at or before the saved last
// check is scheduled again.
void StartEventSchedule(EventSchedule* schedule, const EventTable* table, CalendarTime now,
                        CalendarTime savedLastCheck, const ScheduleOptions* options);

// The check of one tick at `now`: carries out, through `carryOut`, every occurrence
// whose time has come, each once, in time order, and keeps the list filled.
void RunEventCheck(EventSchedule* schedule, const EventTable* table, CalendarTime now,
                   const ScheduleOptions* options, CarryOutFunction carryOut, void* context);

// Replaces the table and makes the list anew from the last check, so an occurrence
// whose second has come but which no check has carried out yet stays due. An event
// kept unchanged keeps what it has carried out.
void ReplaceScheduledTable(EventSchedule* schedule, EventTable* table, const EventTable* replacement,
                           CalendarTime now, const ScheduleOptions* options);

// The machine resumed or the system time was changed.
void RescheduleAfterJump(EventSchedule* schedule);

// 1 when an occurrence not yet carried out, due by `until`, plays a sound.
int SoundDueBy(const DueList* due, const EventTable* table, CalendarTime until);

#endif
