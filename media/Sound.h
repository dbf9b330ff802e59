// The program's DirectSound device, static sound buffers made from wave files and
// "WAVE" resources, and the wave file reader behind them.
#ifndef VANTEL_SOUND_H
#define VANTEL_SOUND_H

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

// Results of the wave file reader; codes of the multimedia calls pass through.
enum WaveResult {
    WAVE_NO_MEMORY = 0xE000,   // no memory for the format block or the sample data
    WAVE_CANNOT_OPEN = 0xE100, // the file cannot be opened
    WAVE_NOT_WAVE = 0xE101,    // not RIFF WAVE, format chunk too short, extra bytes unreadable
    WAVE_BAD_FORMAT = 0xE102,  // the format chunk cannot be read
    WAVE_DATA_SHORT = 0xE103   // the data chunk ends before its stated size
};

// Where MakeSoundBuffer takes the sound from.
enum SoundKind {
    SOUND_FILE = 0,    // a wave file path
    SOUND_RESOURCE = 1 // name or MAKEINTRESOURCE id of a "WAVE" resource of the program
};

// Buffer flags. All static, with frequency, pan and volume control and the accurate
// play position. The clock's event sounds stay audible whichever program has the
// focus (global focus); the message sound while the focus is on a window that plays
// no DirectSound of its own (sticky focus).
const DWORD kClockWaveFileFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN |
                                  DSBCAPS_CTRLVOLUME | DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
const DWORD kMessageWaveFileFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN |
                                    DSBCAPS_CTRLVOLUME | DSBCAPS_STICKYFOCUS | DSBCAPS_GETCURRENTPOSITION2;
const DWORD kResourceBufferFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN |
                                   DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2;

// The clock program's device: OpenSoundDevice with the clock's texts and flags.
int CreateSoundDevice(HWND window);

// Creates the program's device (default device, normal cooperative level), in place
// of any device opened before, and keeps `waveFileFlags` for buffers made from wave
// files. A failure shows
// `createText` or `levelText` (when not null) in a warning box owned by the window
// and returns 0. When the cooperative level fails the device is released at once,
// or with `keepAfterLevelFailure` held (unused) until ReleaseSoundDevice.
int OpenSoundDevice(HWND window, const char* createText, const char* levelText, DWORD waveFileFlags,
                    int keepAfterLevelFailure);

// Releases the device, and with it the buffers still alive; may run twice.
void ReleaseSoundDevice();

// The device buffers are made on, or null while there is none.
IDirectSound* SoundDevice();

// A new buffer holding the whole sound, or null (no device, unknown kind, or a
// sound that cannot be read). The caller releases it.
IDirectSoundBuffer* MakeSoundBuffer(LPCSTR name, int kind);

// A new buffer with the resource flags from a "WAVE" resource of the program's own
// module, or null.
IDirectSoundBuffer* SoundBufferFromResource(IDirectSound* device, LPCSTR name);

// Finds the "WAVE" resource and splits its image (see SplitWaveImage). The outputs
// are optional and point into the resource, which is never freed: the raw "fmt "
// chunk and its size, the sample bytes and their count. Returns 1 or 0.
int FindWaveImage(HMODULE module, LPCSTR name, const BYTE** formatChunk, DWORD* formatChunkBytes,
                  const BYTE** samples, DWORD* sampleBytes);

// Copies `count` sample bytes into the buffer from its start. Returns 1 or 0.
int CopyIntoSoundBuffer(IDirectSoundBuffer* buffer, const BYTE* samples, DWORD count);

// Restores a buffer whose memory was lost and copies the resource's samples in
// again. Returns 1 when the copy succeeded.
int RestoreResourceBuffer(IDirectSoundBuffer* buffer, LPCSTR name);

// 1 when the buffer does not play (or its status cannot be read): an event sound
// that has finished and may be released.
int SoundBufferFinished(IDirectSoundBuffer* buffer);

// Reads the format block and the samples of a wave file. On success (0) the caller
// owns both (fixed global memory; GlobalFree them); on failure all three outputs
// are cleared.
MMRESULT ReadWholeWaveFile(LPCSTR path, DWORD* sampleBytes, WAVEFORMATEX** format, BYTE** samples);

// Opens a wave file and reads its format block (GlobalFree it), leaving the stream
// after the "fmt " chunk; `riff` receives the RIFF chunk. On failure the stream is
// closed and both outputs are cleared.
MMRESULT OpenWaveStream(LPCSTR path, HMMIO* stream, WAVEFORMATEX** format, MMCKINFO* riff);

// Moves the stream into the "data" chunk of the RIFF chunk; `data` receives it.
MMRESULT SeekWaveData(HMMIO stream, MMCKINFO* data, const MMCKINFO* riff);

// Reads up to `wanted` bytes of the data chunk (its cksize counts what is left).
MMRESULT ReadWaveBytes(HMMIO stream, DWORD wanted, BYTE* destination, MMCKINFO* data, DWORD* countRead);

#endif
