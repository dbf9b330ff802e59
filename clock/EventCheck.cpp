#include "EventCheck.h"
#include "Launcher.h"
#include "Program.h"
#include "Schedule.h"
#include "Settings.h"
#include "Sound.h"

#include <dsound.h>

enum { MAX_EVENT_SOUNDS = 8 };

static struct {
    LONG beeped;                                  // timer thread: 1 once the countdown's beep has been given
    IDirectSoundBuffer* sounds[MAX_EVENT_SOUNDS]; // window thread: event sounds still playing, oldest first
    int soundCount;
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

void PlayEventSound(const char* soundFile) {
    ReleaseFinishedSounds();
    IDirectSoundBuffer* buffer = MakeSoundBuffer(soundFile, SOUND_FILE);
    if (!buffer)
        return;
    if (g_check.soundCount == MAX_EVENT_SOUNDS)
        ForgetSound(0); // the oldest of many sounds at once makes way
    g_check.sounds[g_check.soundCount++] = buffer;
    buffer->Play(0, 0, 0);
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
}
