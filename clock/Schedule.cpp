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

void LockSchedule() {
    EnterCriticalSection(&g_schedule.lock);
}

void UnlockSchedule() {
    LeaveCriticalSection(&g_schedule.lock);
}

void StartSchedule() {
    LockSchedule();
    CalendarTime now = (CalendarTime)time(NULL);
    g_schedule.due.count = 0;
    if (g_settings.displayPastEvents)
        FillMissedList(&g_schedule.due, &g_events, now, g_settings.lastEventCheck, g_settings.lastOfMonthMode);
    AppendDueOccurrences(&g_schedule.due, &g_events, now, g_settings.lastOfMonthMode);
    UnlockSchedule();
}

void RescheduleEvents() {
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
