// The program's DirectSound device and its sound buffers.
#ifndef VANTEL_SOUND_H
#define VANTEL_SOUND_H

#include <windows.h>

// Creates the sound device for the window; a failure only leaves the program silent.
int CreateSoundDevice(HWND window);

// Releases every sound buffer and the device; may run twice.
void ReleaseSoundDevice();

#endif
