#include "EventCheck.h"
#include "Launcher.h"
#include "Program.h"
#include "Schedule.h"
#include "Settings.h"
#include "Sound.h"

#include <dsound.h>

enum {
    MAX_EVENT_SOUNDS = 8,
    SOUND_LEAD = 3,       // seconds before a sound's second at which the device is opened
    SOUND_IDLE_MS = 4000, // the device is released once nothing has played this long
};

// Under Wine an open DirectSound device mixes and writes silence all the time, nine
// tenths of an idle clock's work; on Windows an idle device costs less, but still.
enum SoundDeviceState { DEVICE_CLOSED, DEVICE_OPENING, DEVICE_OPEN, DEVICE_DISABLED };

static struct {
    LONG beeped;                                  // timer thread: 1 once the countdown's beep has been given
    IDirectSoundBuffer* sounds[MAX_EVENT_SOUNDS]; // window thread: event sounds still playing, oldest first
    int soundCount;
    int device;      // window thread: SoundDeviceState
    DWORD lastSound; // window thread: tick count when a sound last played or was about to
} g_check;

static void ForgetSound(int index) {
    g_check.sounds[index]->Release();
    for (int i = index + 1; i < g_check.soundCount; i++)
        g_check.sounds[i - 1] = g_check.sounds[i];
    g_check.sounds[--g_check.soundCount] = NULL;
}

// Releases the buffers whose sound has ended, so they do not pile up until exit.
static void ReleaseFinishedSounds() {
    for (int i = g_check.soundCount - 1; i >= 0; i--)
        if (SoundBufferFinished(g_check.sounds[i]))
            ForgetSound(i);
}

// 1 when the device is open, opening it if it is not. DEVICE_OPENING keeps a sound
// that arrives while the failure's box is up from opening a second box.
static int OpenEventSoundDevice(HWND window) {
    if (g_check.device == DEVICE_OPEN) {
        g_check.lastSound = GetTickCount();
        return 1;
    }
    if (g_check.device != DEVICE_CLOSED)
        return 0;
    g_check.device = DEVICE_OPENING;
    if (!CreateSoundDevice(window)) {
        g_check.device = DEVICE_DISABLED;
        return 0;
    }
    g_check.device = DEVICE_OPEN;
    g_check.lastSound = GetTickCount();
    SetTimer(window, kSoundIdleTimer, 1000, NULL);
    return 1;
}

void PrepareEventSound(HWND window) {
    OpenEventSoundDevice(window);
}

void PlayEventSound(HWND window, const char* soundFile) {
    if (!OpenEventSoundDevice(window))
        return;
    ReleaseFinishedSounds();
    IDirectSoundBuffer* buffer = MakeSoundBuffer(soundFile, SOUND_FILE);
    if (!buffer)
        return;
    if (g_check.soundCount == MAX_EVENT_SOUNDS)
        ForgetSound(0); // the oldest of many sounds at once makes way
    g_check.sounds[g_check.soundCount++] = buffer;
    buffer->Play(0, 0, 0);
    g_check.lastSound = GetTickCount();
}

void CheckEventSoundsIdle(HWND window) {
    ReleaseFinishedSounds();
    if (g_check.soundCount > 0)
        g_check.lastSound = GetTickCount();
    else if (GetTickCount() - g_check.lastSound >= SOUND_IDLE_MS && g_check.device == DEVICE_OPEN)
        ReleaseEventSounds();
    if (g_check.device != DEVICE_OPEN)
        KillTimer(window, kSoundIdleTimer);
}

static void CarryOut(const DueEntry* entry, void* window) {
    const EventRecord* event = &g_events.slots[entry->eventIndex];
    // The window's thread reads and plays the file.
    if (event->soundFile[0])
        PostTextToWindow((HWND)window, WM_VANTEL_SOUND, event->soundFile);
    if (event->message[0]) {
        char date[32];
        FormatDateText(entry->time, date, sizeof(date), DATE_DISPLAY);
        QueueMessage(date, event->message, entry->time);
    }
    if (event->appFile[0])
        QueueApplication(event->appFile, entry->time);
}

void CALLBACK CheckEvents(UINT, UINT, DWORD_PTR window, DWORD_PTR, DWORD_PTR) {
    CheckSchedule(CarryOut, (void*)window);
    if (SoundDueWithin(SOUND_LEAD))
        PostMessageA((HWND)window, WM_VANTEL_SOUND_SOON, 0, 0);
}

void CALLBACK CountdownTick(UINT id, UINT message, DWORD_PTR window, DWORD_PTR reserved1,
                            DWORD_PTR reserved2) {
    int64_t remaining = g_settings.countdownDate - CurrentCalendarTime();
    if (remaining >= -5 && remaining <= 0) {
        if (!g_check.beeped) {
            MessageBeep(0);
            g_check.beeped = 1;
        }
    } else {
        g_check.beeped = 0;
    }
    CheckEvents(id, message, window, reserved1, reserved2);
}

void ReleaseEventSounds() {
    while (g_check.soundCount > 0) {
        g_check.sounds[0]->Stop();
        ForgetSound(0);
    }
    ReleaseSoundDevice();
    if (g_check.device == DEVICE_OPEN)
        g_check.device = DEVICE_CLOSED;
}
