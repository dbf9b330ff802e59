// The due list of the running clock, shared by the event check (multimedia timer
// thread) and the window thread under one lock.
#ifndef VANTEL_SCHEDULE_H
#define VANTEL_SCHEDULE_H

#include "EventTable.h"
#include "Recurrence.h"

// Creates the lock; before the window is created.
void InitSchedule();

// The event check and the window thread hold this while they read or change the
// event table and the due list. Nothing that waits for the user runs inside it.
void LockSchedule();
void UnlockSchedule();

// At window creation, after the settings are loaded: queues the occurrences missed
// while the clock was not running (when DisplayPastEvents is on) and those of the
// next minutes.
void StartSchedule();

// The machine resumed or the system time was changed: the next event check looks
// at the time again as after a sleep.
void RescheduleEvents();

// Rebuilds the due list from the event table for the current time.
void RebuildDueList();

// The same for a time already read; the caller holds the lock.
void RebuildDueListAt(CalendarTime now);

// Replaces the whole event table and rebuilds the due list, in one step.
void ReplaceEventTable(const EventTable* table);

// The due list; only while the lock is held.
DueList* LockedDueList();

#endif
