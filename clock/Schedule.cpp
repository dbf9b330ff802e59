#include "Schedule.h"
#include "Launcher.h"
#include "Settings.h"

#include <windows.h>

static struct {
    CRITICAL_SECTION lock;  // serialises the event check and the window thread
    EventSchedule schedule; // the due list and what was carried out
} g_schedule;

void InitSchedule() {
    InitializeCriticalSection(&g_schedule.lock);
}

static ScheduleOptions CurrentOptions() {
    ScheduleOptions options = {g_settings.lastOfMonthMode, g_settings.displayPastEvents};
    return options;
}

void StartSchedule() {
    EnterCriticalSection(&g_schedule.lock);
    ScheduleOptions options = CurrentOptions();
    StartEventSchedule(&g_schedule.schedule, &g_events, CurrentCalendarTime(), g_settings.lastEventCheck,
                       &options);
    LeaveCriticalSection(&g_schedule.lock);
}

void CheckSchedule(CarryOutFunction carryOut, void* context) {
    EnterCriticalSection(&g_schedule.lock);
    ScheduleOptions options = CurrentOptions();
    // One reading of the clock for the entries and the rebuild, so no occurrence
    // falls between them.
    CalendarTime now = CurrentCalendarTime();
    RunEventCheck(&g_schedule.schedule, &g_events, now, &options, carryOut, context);
    g_settings.lastEventCheck = now;
    LeaveCriticalSection(&g_schedule.lock);
}

void ReplaceEventTable(const EventTable* table) {
    EnterCriticalSection(&g_schedule.lock);
    ScheduleOptions options = CurrentOptions();
    ReplaceScheduledTable(&g_schedule.schedule, &g_events, table, CurrentCalendarTime(), &options);
    LeaveCriticalSection(&g_schedule.lock);
}

CalendarTime SettledLastCheck() {
    EnterCriticalSection(&g_schedule.lock);
    CalendarTime last = g_settings.lastEventCheck;
    CalendarTime unstarted = UnstartedSince();
    LeaveCriticalSection(&g_schedule.lock);
    return unstarted != -1 && unstarted <= last ? unstarted - 1 : last;
}

void RescheduleEvents() {
    EnterCriticalSection(&g_schedule.lock);
    RescheduleAfterJump(&g_schedule.schedule);
    LeaveCriticalSection(&g_schedule.lock);
}

int SoundDueWithin(int seconds) {
    EnterCriticalSection(&g_schedule.lock);
    int due = SoundDueBy(&g_schedule.schedule.due, &g_events, CurrentCalendarTime() + seconds);
    LeaveCriticalSection(&g_schedule.lock);
    return due;
}
