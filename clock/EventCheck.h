// The event timer's routines: the once-a-second event check and its actions. The
// timer's user value is the clock window.
#ifndef VANTEL_EVENTCHECK_H
#define VANTEL_EVENTCHECK_H

#include <windows.h>

// The event check alone.
void CALLBACK CheckEvents(UINT id, UINT message, DWORD_PTR window, DWORD_PTR reserved1, DWORD_PTR reserved2);

// A single beep when the countdown reaches zero, then the event check.
void CALLBACK CountdownTick(UINT id, UINT message, DWORD_PTR window, DWORD_PTR reserved1, DWORD_PTR reserved2);

// Reads an event's wave file and plays it once; on the window's thread.
void PlayEventSound(const char* soundFile);

// Stops and releases the event sounds still held; on the window's thread at exit.
void ReleaseEventSounds();

#endif
