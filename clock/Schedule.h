// The schedule of the running clock, shared by the event check (multimedia timer
// thread) and the window thread under one lock.
#ifndef VANTEL_SCHEDULE_H
#define VANTEL_SCHEDULE_H

#include "EventSchedule.h"

// Creates the lock; before the window is created.
void InitSchedule();

// At window creation, after the settings are loaded: queues the occurrences missed
// while the clock was not running (when DisplayPastEvents is on) and those of the
// next minutes.
void StartSchedule();

// The event check of one tick: carries out what has come due through `carryOut`
// (given `context`), which runs inside the lock and must not wait for anything.
void CheckSchedule(CarryOutFunction carryOut, void* context);

// Replaces the whole event table and rebuilds the due list, in one hold of the lock.
void ReplaceEventTable(const EventTable* table);

// The last check to save: the last event check's time, or the second before the
// earliest reminder whose start is still queued or was refused, so that the next
// start carries it out as missed.
CalendarTime SettledLastCheck();

// The machine resumed or the system time was changed: the next event check looks
// at the time again as after a sleep.
void RescheduleEvents();

// 1 when an occurrence with a sound comes due within the next `seconds`.
int SoundDueWithin(int seconds);

#endif
