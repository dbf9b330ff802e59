#include "Sound.h"

// The device arrives with wave playback; until then the programs run silent.
int CreateSoundDevice(HWND window) {
    (void)window;
    return 0;
}

void ReleaseSoundDevice() {}
