// Starts the message program and the events' applications on a thread of its own:
// WinExec returns only once the started program waits for input (or after 30 s),
// which must stall neither the clock face nor the event check.
#ifndef VANTEL_LAUNCHER_H
#define VANTEL_LAUNCHER_H

#include <windows.h>

#include "EventTable.h"

// Failures are reported to the window as WM_VANTEL_REPORT.
int StartLauncher(HWND window, const char* handOverPath);

// Lets the queued starts finish (for a few seconds at most) and ends the thread.
// Starts still queued then are not made: UnstartedSince tells their earliest
// occurrence, for the last check saved before it.
void StopLauncher();

// Writes Date and Text of the Message section of vantelmsg.ini, then starts
// "vantelmsg.exe"; the next hand-over waits until that program has read them.
// `occurrence` is the time of the reminder the start belongs to.
void QueueMessage(const char* dateText, const char* message, CalendarTime occurrence);

// Starts the command line (the file it names, when the whole line names one); a
// failure is reported.
void QueueApplication(const char* commandLine, CalendarTime occurrence);

// The earliest occurrence whose start is queued and not yet made, or was refused
// by a full queue; -1 when there is none. Such an occurrence must come back as
// missed at the next start.
CalendarTime UnstartedSince();

#endif
