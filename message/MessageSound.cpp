#include "MessageSound.h"
#include "MessageSettings.h"
#include "Files.h"
#include "Sound.h"
#include "resource.h"

#include <cstdio>

static struct {
    char path[MAX_PATH];        // <program folder>\vantelmsg.wav
    int kind;                   // SOUND_FILE or SOUND_RESOURCE
    IDirectSoundBuffer* buffer; // the whole message sound; null while there is none
} g_messageSound = {"", SOUND_RESOURCE, NULL};

static const char kNeedsDirectX[] = "\n\nVantel requires DirectX(TM) 5 (or better).";

static LPCSTR SoundName() {
    return g_messageSound.kind == SOUND_FILE ? g_messageSound.path : MAKEINTRESOURCEA(IDW_MESSAGE_SOUND);
}

void LocateMessageSound() {
    int length = snprintf(g_messageSound.path, sizeof(g_messageSound.path), "%s\\vantelmsg.wav",
                          g_messageSettingsFile.folder);
    int fits = length > 0 && length < (int)sizeof(g_messageSound.path);
    g_messageSound.kind = fits && PathFound(g_messageSound.path, NULL) ? SOUND_FILE : SOUND_RESOURCE;
}

int InitMessageSound(HWND window) {
    ReleaseMessageSound();
    if (!OpenSoundDevice(window,
                         "Could not create DirectSound object.\n\nVantel requires DirectX(TM) 5 (or better).",
                         "Could not set cooperative level for DirectSound.\n\nVantel requires DirectX(TM) 5 "
                         "(or better).",
                         kMessageWaveFileFlags, 1))
        return 0;
    g_messageSound.buffer = MakeSoundBuffer(SoundName(), g_messageSound.kind);
    if (!g_messageSound.buffer && g_messageSound.kind == SOUND_FILE) {
        // A folder or a file that is no wave of that name must not silence every
        // reminder from now on: the built-in sound plays instead.
        g_messageSound.kind = SOUND_RESOURCE;
        g_messageSound.buffer = MakeSoundBuffer(SoundName(), g_messageSound.kind);
    }
    if (!g_messageSound.buffer) {
        MessageBoxA(window, "Could not initialize DirectSound buffer.", "Vantel - Error",
                    MB_OK | MB_ICONWARNING);
        return 0;
    }
    return 1;
}

void RefillMessageSoundBuffer() {
    IDirectSoundBuffer* buffer = g_messageSound.buffer;
    if (!buffer)
        return;
    if (g_messageSound.kind == SOUND_RESOURCE) {
        RestoreResourceBuffer(buffer, SoundName());
        return;
    }
    DWORD count = 0;
    WAVEFORMATEX* format = NULL;
    BYTE* samples = NULL;
    ReadWholeWaveFile(g_messageSound.path, &count, &format, &samples);
    if (format && samples && SUCCEEDED(buffer->Restore()))
        CopyIntoSoundBuffer(buffer, samples, count);
    if (format)
        GlobalFree(format);
    if (samples)
        GlobalFree(samples);
}

IDirectSoundBuffer* MessageSoundBuffer() {
    return g_messageSound.buffer;
}

void ReleaseMessageSound() {
    if (g_messageSound.buffer) {
        g_messageSound.buffer->Release();
        g_messageSound.buffer = NULL;
    }
    ReleaseSoundDevice();
}
