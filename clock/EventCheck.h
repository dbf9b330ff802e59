// The event timer's routines: the once-a-second event check and its actions. The
// timer's user value is the clock window.
#ifndef VANTEL_EVENTCHECK_H
#define VANTEL_EVENTCHECK_H

#include <windows.h>

// The event check alone.
void CALLBACK CheckEvents(UINT id, UINT message, DWORD_PTR window, DWORD_PTR reserved1, DWORD_PTR reserved2);

// A single beep when the countdown reaches zero, then the event check.
void CALLBACK CountdownTick(UINT id, UINT message, DWORD_PTR window, DWORD_PTR reserved1,
                            DWORD_PTR reserved2);

// The sound device is open only around event sounds. Everything below runs on the
// window's thread, which owns the device and the sounds.

// An event's sound comes due in a few seconds: opens the device now, so the sound
// starts on its second. A device that cannot be opened is told once ("Sound is
// disabled.") and not tried again this run, as at a start without one.
void PrepareEventSound(HWND window);

// Reads an event's wave file and plays it once, opening the device first if need be.
void PlayEventSound(HWND window, const char* soundFile);

// Called by the window's idle-sound timer (kSoundIdleTimer, running while the
// device is open): releases the sounds that have ended, and the device once nothing
// has played for a few seconds.
void CheckEventSoundsIdle(HWND window);
const UINT_PTR kSoundIdleTimer = 1;

// Stops and releases the event sounds still held, and the device; at exit.
void ReleaseEventSounds();

#endif
