// The event timer's routines: the once-a-second event check and its actions.
#ifndef VANTEL_EVENTCHECK_H
#define VANTEL_EVENTCHECK_H

#include <windows.h>

// The event check alone.
void CALLBACK CheckEvents(UINT id, UINT message, DWORD_PTR user, DWORD_PTR reserved1, DWORD_PTR reserved2);

// A single beep when the countdown reaches zero, then the event check.
void CALLBACK CountdownTick(UINT id, UINT message, DWORD_PTR user, DWORD_PTR reserved1, DWORD_PTR reserved2);

// Stops and releases the event sounds still held; after the event timer stopped.
void ReleaseEventSounds();

#endif
