// The due list of the running clock, shared by the event check (multimedia timer
// thread) and the window thread under one lock.
#ifndef VANTEL_SCHEDULE_H
#define VANTEL_SCHEDULE_H

#include "EventTable.h"
#include "Recurrence.h"

// Creates the lock; before the window is created.
void InitSchedule();
void ReleaseSchedule();

// The event check and the window thread hold this while they read or change the
// event table and the due list. Nothing that waits for the user runs inside it.
void LockSchedule();
void UnlockSchedule();

// Queues the occurrences that fell due while the clock was not running.
void CollectMissedEvents();

// Adds the occurrences of the next minutes to the list made at start, so that one
// falling due before the first event check is not passed over by its rebuild.
void AddUpcomingEvents();

// Rebuilds the due list from the event table for the current time.
void RebuildDueList();

// The same for a time already read; the caller holds the lock.
void RebuildDueListAt(CalendarTime now);

// Replaces the whole event table and rebuilds the due list, in one step.
void ReplaceEventTable(const EventTable* table);

// The due list; only while the lock is held.
DueList* LockedDueList();

#endif
