#include "Schedule.h"
#include "Settings.h"

#include <windows.h>
#include <cstring>

static struct {
    CRITICAL_SECTION lock; // serialises the event check and the window thread
    DueList due;           // occurrences to carry out
} g_schedule;

void InitSchedule() {
    InitializeCriticalSection(&g_schedule.lock);
}

void ReleaseSchedule() {
    DeleteCriticalSection(&g_schedule.lock);
}

void LockSchedule() {
    EnterCriticalSection(&g_schedule.lock);
}

void UnlockSchedule() {
    LeaveCriticalSection(&g_schedule.lock);
}

void CollectMissedEvents() {
    LockSchedule();
    FillMissedList(&g_schedule.due, &g_events, (CalendarTime)time(NULL), g_settings.lastEventCheck,
                   g_settings.lastOfMonthMode);
    UnlockSchedule();
}

void AddUpcomingEvents() {
    LockSchedule();
    AppendDueOccurrences(&g_schedule.due, &g_events, (CalendarTime)time(NULL), g_settings.lastOfMonthMode);
    UnlockSchedule();
}

void RebuildDueListAt(CalendarTime now) {
    FillDueList(&g_schedule.due, &g_events, now, g_settings.lastOfMonthMode);
}

void RebuildDueList() {
    LockSchedule();
    RebuildDueListAt((CalendarTime)time(NULL));
    UnlockSchedule();
}

void ReplaceEventTable(const EventTable* table) {
    LockSchedule();
    memcpy(&g_events, table, sizeof(g_events));
    RebuildDueListAt((CalendarTime)time(NULL));
    UnlockSchedule();
}

DueList* LockedDueList() {
    return &g_schedule.due;
}
