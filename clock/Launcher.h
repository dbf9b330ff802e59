// Starts the message program and the events' applications on a thread of its own:
// WinExec returns only once the started program waits for input (or after 30 s),
// which must stall neither the clock face nor the event check.
#ifndef VANTEL_LAUNCHER_H
#define VANTEL_LAUNCHER_H

#include <windows.h>

// Failures are reported to the window as WM_VANTEL_REPORT.
int StartLauncher(HWND window, const char* handOverPath);

// Lets the queued starts finish (for a few seconds at most) and ends the thread.
void StopLauncher();

// Writes Date and Text of the Message section of vantelmsg.ini, then starts
// "vantelmsg.exe"; the next hand-over waits until that program has read them.
void QueueMessage(const char* dateText, const char* message);

// Starts the command line; a failure is reported.
void QueueApplication(const char* commandLine);

#endif
