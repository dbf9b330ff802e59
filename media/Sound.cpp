#include "Sound.h"

#include "WaveImage.h"

#include <cstring>

static_assert(kClockWaveFileFlags == 0x180E2, "clock wave-file buffer flags");
static_assert(kMessageWaveFileFlags == 0x140E2, "message wave-file buffer flags");
static_assert(kResourceBufferFlags == 0x100E2, "resource buffer flags");
static_assert(sizeof(WAVEFORMATEX) == kWaveFormatBaseBytes, "wave format block without extra bytes");

static const char kErrorCaption[] = "Vantel - Error";

static struct {
    IDirectSound* device; // the program's DirectSound object, or null
    int ready;            // 1 once the cooperative level is set: buffers may be made
    DWORD waveFileFlags;  // capability flags of buffers made from wave files
} g_sound = {NULL, 0, kClockWaveFileFlags};

static void ShowSoundFailure(HWND window, const char* text) {
    if (text)
        MessageBoxA(window, text, kErrorCaption, MB_ICONWARNING);
}

// dsound.dll, and the COM and codec libraries it brings, are loaded when a device is
// first opened rather than with the program: a clock that plays nothing never loads
// them, and its start does not wait for them.
typedef HRESULT(WINAPI* DirectSoundCreateFunction)(LPCGUID device, LPDIRECTSOUND* created, LPUNKNOWN outer);

static HRESULT CreateDirectSound(IDirectSound** device) {
    static DirectSoundCreateFunction create = NULL;
    if (!create) {
        HMODULE library = LoadLibraryA("dsound.dll");
        if (library)
            create = reinterpret_cast<DirectSoundCreateFunction>(
                reinterpret_cast<void*>(GetProcAddress(library, "DirectSoundCreate")));
    }
    return create ? create(NULL, device, NULL) : DSERR_NODRIVER;
}

int CreateSoundDevice(HWND window) {
    return OpenSoundDevice(window, "Could not create DirectSound object.\n\nSound is disabled.",
                           "Could not set cooperative level for DirectSound.\n\nSound is disabled.",
                           kClockWaveFileFlags, 0);
}

int OpenSoundDevice(HWND window, const char* createText, const char* levelText, DWORD waveFileFlags,
                    int keepAfterLevelFailure) {
    ReleaseSoundDevice();
    g_sound.waveFileFlags = waveFileFlags;

    IDirectSound* device = NULL;
    if (FAILED(CreateDirectSound(&device))) {
        ShowSoundFailure(window, createText);
        return 0;
    }
    if (FAILED(device->SetCooperativeLevel(window, DSSCL_NORMAL))) {
        if (keepAfterLevelFailure)
            g_sound.device = device;
        ShowSoundFailure(window, levelText);
        if (!keepAfterLevelFailure)
            device->Release();
        return 0;
    }
    g_sound.device = device;
    g_sound.ready = 1;
    return 1;
}

void ReleaseSoundDevice() {
    if (g_sound.device)
        g_sound.device->Release();
    g_sound.device = NULL;
    g_sound.ready = 0;
}

IDirectSound* SoundDevice() {
    return g_sound.ready ? g_sound.device : NULL;
}

// A static buffer of `count` bytes in the 20-byte description of the first
// DirectSound versions (24 bytes in 64-bit builds, where the format pointer grows).
static IDirectSoundBuffer* NewSoundBuffer(IDirectSound* device, DWORD flags, DWORD count,
                                          const WAVEFORMATEX* format) {
    if (!WaveFormatPlayable(reinterpret_cast<const uint8_t*>(format), kWaveFormatBaseBytes + format->cbSize))
        return NULL;
    DSBUFFERDESC1 desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = flags;
    desc.dwBufferBytes = count;
    desc.lpwfxFormat = const_cast<WAVEFORMATEX*>(format);
    IDirectSoundBuffer* buffer = NULL;
    if (FAILED(device->CreateSoundBuffer(reinterpret_cast<LPCDSBUFFERDESC>(&desc), &buffer, NULL)))
        return NULL;
    return buffer;
}

static IDirectSoundBuffer* SoundBufferFromFile(IDirectSound* device, LPCSTR path, DWORD flags) {
    DWORD count = 0;
    WAVEFORMATEX* format = NULL;
    BYTE* samples = NULL;
    ReadWholeWaveFile(path, &count, &format, &samples);
    if (!samples || !format) {
        if (format)
            GlobalFree(format);
        if (samples)
            GlobalFree(samples);
        return NULL;
    }
    IDirectSoundBuffer* buffer = NewSoundBuffer(device, flags, count, format);
    if (buffer && !CopyIntoSoundBuffer(buffer, samples, count)) {
        buffer->Release();
        buffer = NULL;
    }
    GlobalFree(format);
    GlobalFree(samples);
    return buffer;
}

IDirectSoundBuffer* MakeSoundBuffer(LPCSTR name, int kind) {
    IDirectSound* device = SoundDevice();
    if (!device || !name)
        return NULL;
    if (kind == SOUND_FILE)
        return IS_INTRESOURCE(name) ? NULL : SoundBufferFromFile(device, name, g_sound.waveFileFlags);
    if (kind == SOUND_RESOURCE)
        return SoundBufferFromResource(device, name);
    return NULL;
}

IDirectSoundBuffer* SoundBufferFromResource(IDirectSound* device, LPCSTR name) {
    if (!device)
        return NULL;
    const BYTE* chunk = NULL;
    DWORD chunkBytes = 0;
    const BYTE* samples = NULL;
    DWORD count = 0;
    if (!FindWaveImage(GetModuleHandleA(NULL), name, &chunk, &chunkBytes, &samples, &count))
        return NULL;
    // DirectSound reads 18 bytes plus the extra size from the format it is given. A
    // chunk without an extra-size field (PCM, or below 18 bytes) is copied with extra
    // size 0, so nothing behind the chunk, or behind the image, is taken for one.
    uint8_t scratch[kWaveFormatBaseBytes];
    const uint8_t* block = NULL;
    uint32_t blockBytes = 0;
    if (!WaveFormatBlock(chunk, chunkBytes, scratch, &block, &blockBytes))
        return NULL;
    IDirectSoundBuffer* buffer =
        NewSoundBuffer(device, kResourceBufferFlags, count, reinterpret_cast<const WAVEFORMATEX*>(block));
    if (!buffer)
        return NULL;
    if (!CopyIntoSoundBuffer(buffer, samples, count)) {
        buffer->Release();
        return NULL;
    }
    return buffer;
}

int FindWaveImage(HMODULE module, LPCSTR name, const BYTE** formatChunk, DWORD* formatChunkBytes,
                  const BYTE** samples, DWORD* sampleBytes) {
    const int wantFormat = formatChunk || formatChunkBytes;
    const int wantSamples = samples || sampleBytes;
    const uint8_t* foundFormat = NULL;
    uint32_t foundFormatBytes = 0;
    const uint8_t* foundSamples = NULL;
    uint32_t foundSampleBytes = 0;
    int found = 0;

    HRSRC info = name ? FindResourceA(module, name, "WAVE") : NULL;
    HGLOBAL loaded = info ? LoadResource(module, info) : NULL;
    const void* image = loaded ? LockResource(loaded) : NULL;
    if (image)
        found = SplitWaveImage(image, SizeofResource(module, info), wantFormat ? &foundFormat : NULL,
                               wantFormat ? &foundFormatBytes : NULL, wantSamples ? &foundSamples : NULL,
                               wantSamples ? &foundSampleBytes : NULL);
    if (formatChunk)
        *formatChunk = foundFormat;
    if (formatChunkBytes)
        *formatChunkBytes = foundFormatBytes;
    if (samples)
        *samples = foundSamples;
    if (sampleBytes)
        *sampleBytes = foundSampleBytes;
    return found;
}

int CopyIntoSoundBuffer(IDirectSoundBuffer* buffer, const BYTE* samples, DWORD count) {
    if (!buffer || !samples || !count)
        return 0;
    void* first = NULL;
    DWORD firstBytes = 0;
    void* second = NULL;
    DWORD secondBytes = 0;
    if (FAILED(buffer->Lock(0, count, &first, &firstBytes, &second, &secondBytes, 0)))
        return 0;
    // The lock never spans more than was asked for; the samples are not read past
    // `count` whatever it hands out.
    DWORD firstCopy = firstBytes < count ? firstBytes : count;
    memcpy(first, samples, firstCopy);
    DWORD secondCopy = 0;
    if (second && secondBytes) {
        secondCopy = secondBytes < count - firstCopy ? secondBytes : count - firstCopy;
        memcpy(second, samples + firstCopy, secondCopy);
    }
    buffer->Unlock(first, firstCopy, second, secondCopy);
    return 1;
}

int RestoreResourceBuffer(IDirectSoundBuffer* buffer, LPCSTR name) {
    if (!buffer)
        return 0;
    const BYTE* samples = NULL;
    DWORD count = 0;
    int found = FindWaveImage(GetModuleHandleA(NULL), name, NULL, NULL, &samples, &count);
    if (FAILED(buffer->Restore()) || !found)
        return 0;
    return CopyIntoSoundBuffer(buffer, samples, count);
}

int SoundBufferFinished(IDirectSoundBuffer* buffer) {
    DWORD status = 0;
    if (!buffer || FAILED(buffer->GetStatus(&status)))
        return 1;
    return (status & DSBSTATUS_PLAYING) ? 0 : 1;
}

// Reads the "fmt " chunk of an open stream into a new format block. The sizes in
// the file are held against the chunk: an extra-size field is read only where the
// chunk has room for it (PCM never has one), and extra bytes must lie in the chunk.
static MMRESULT ReadFormatChunk(HMMIO stream, MMCKINFO* riff, WAVEFORMATEX** format) {
    MMRESULT result = mmioDescend(stream, riff, NULL, 0);
    if (result != MMSYSERR_NOERROR)
        return result;
    if (riff->ckid != FOURCC_RIFF || riff->fccType != mmioFOURCC('W', 'A', 'V', 'E'))
        return WAVE_NOT_WAVE;

    MMCKINFO chunk;
    ZeroMemory(&chunk, sizeof(chunk));
    chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    result = mmioDescend(stream, &chunk, riff, MMIO_FINDCHUNK);
    if (result != MMSYSERR_NOERROR)
        return result;
    if (chunk.cksize < 16)
        return WAVE_NOT_WAVE;

    PCMWAVEFORMAT base;
    static_assert(sizeof(base) == 16, "format without the extra-size field");
    if (mmioRead(stream, reinterpret_cast<HPSTR>(&base), sizeof(base)) != LONG(sizeof(base)))
        return WAVE_BAD_FORMAT;
    WORD extra = 0;
    if (base.wf.wFormatTag != WAVE_FORMAT_PCM && chunk.cksize >= kWaveFormatBaseBytes) {
        if (mmioRead(stream, reinterpret_cast<HPSTR>(&extra), sizeof(extra)) != LONG(sizeof(extra)))
            return WAVE_BAD_FORMAT;
        if (kWaveFormatBaseBytes + DWORD(extra) > chunk.cksize)
            return WAVE_NOT_WAVE;
    }

    WAVEFORMATEX* block = static_cast<WAVEFORMATEX*>(GlobalAlloc(GMEM_FIXED, kWaveFormatBaseBytes + extra));
    if (!block)
        return WAVE_NO_MEMORY;
    *format = block;
    memcpy(block, &base, sizeof(base));
    block->cbSize = extra;
    if (extra &&
        mmioRead(stream, reinterpret_cast<HPSTR>(block) + kWaveFormatBaseBytes, extra) != LONG(extra))
        return WAVE_NOT_WAVE;
    return mmioAscend(stream, &chunk, 0);
}

MMRESULT OpenWaveStream(LPCSTR path, HMMIO* stream, WAVEFORMATEX** format, MMCKINFO* riff) {
    *stream = NULL;
    *format = NULL;
    if (!path || IS_INTRESOURCE(path))
        return WAVE_CANNOT_OPEN;
    HMMIO opened = mmioOpenA(const_cast<LPSTR>(path), NULL, MMIO_ALLOCBUF | MMIO_READ);
    if (!opened)
        return WAVE_CANNOT_OPEN;
    WAVEFORMATEX* block = NULL;
    MMRESULT result = ReadFormatChunk(opened, riff, &block);
    if (result != MMSYSERR_NOERROR) {
        if (block)
            GlobalFree(block);
        mmioClose(opened, 0);
        return result;
    }
    *stream = opened;
    *format = block;
    return MMSYSERR_NOERROR;
}

MMRESULT SeekWaveData(HMMIO stream, MMCKINFO* data, const MMCKINFO* riff) {
    if (mmioSeek(stream, LONG(riff->dwDataOffset + 4), SEEK_SET) == -1)
        return MMIOERR_CANNOTSEEK;
    ZeroMemory(data, sizeof(*data));
    data->ckid = mmioFOURCC('d', 'a', 't', 'a');
    return mmioDescend(stream, data, riff, MMIO_FINDCHUNK);
}

MMRESULT ReadWaveBytes(HMMIO stream, DWORD wanted, BYTE* destination, MMCKINFO* data, DWORD* countRead) {
    *countRead = 0;
    MMIOINFO info;
    MMRESULT result = mmioGetInfo(stream, &info, 0);
    if (result != MMSYSERR_NOERROR)
        return result;
    DWORD count = wanted < data->cksize ? wanted : data->cksize;
    data->cksize -= count;
    for (DWORD i = 0; i < count; i++) {
        if (info.pchNext == info.pchEndRead) {
            result = mmioAdvance(stream, &info, MMIO_READ);
            if (result != MMSYSERR_NOERROR)
                return result;
            if (info.pchNext == info.pchEndRead)
                return WAVE_DATA_SHORT;
        }
        destination[i] = BYTE(*info.pchNext++);
    }
    result = mmioSetInfo(stream, &info, 0);
    if (result != MMSYSERR_NOERROR)
        return result;
    *countRead = count;
    return MMSYSERR_NOERROR;
}

// Whether the data chunk the stream stands at lies within the file, so that a
// damaged size never makes the reader ask for memory the file cannot fill.
static int DataChunkFits(HMMIO stream, const MMCKINFO* data) {
    LONG fileBytes = mmioSeek(stream, 0, SEEK_END);
    if (fileBytes == -1 || mmioSeek(stream, LONG(data->dwDataOffset), SEEK_SET) == -1)
        return 0;
    return ULONGLONG(data->dwDataOffset) + data->cksize <= ULONGLONG(fileBytes);
}

MMRESULT ReadWholeWaveFile(LPCSTR path, DWORD* sampleBytes, WAVEFORMATEX** format, BYTE** samples) {
    *sampleBytes = 0;
    *format = NULL;
    *samples = NULL;
    HMMIO stream = NULL;
    WAVEFORMATEX* block = NULL;
    BYTE* data = NULL;
    MMCKINFO riff;
    MMCKINFO chunk;
    DWORD count = 0;

    MMRESULT result = OpenWaveStream(path, &stream, &block, &riff);
    if (result == MMSYSERR_NOERROR)
        result = SeekWaveData(stream, &chunk, &riff);
    if (result == MMSYSERR_NOERROR && !DataChunkFits(stream, &chunk))
        result = WAVE_DATA_SHORT;
    if (result == MMSYSERR_NOERROR) {
        data = static_cast<BYTE*>(GlobalAlloc(GMEM_FIXED, chunk.cksize));
        if (!data)
            result = WAVE_NO_MEMORY;
    }
    if (result == MMSYSERR_NOERROR)
        result = ReadWaveBytes(stream, chunk.cksize, data, &chunk, &count);
    if (stream)
        mmioClose(stream, 0);
    if (result != MMSYSERR_NOERROR) {
        if (data)
            GlobalFree(data);
        if (block)
            GlobalFree(block);
        return result;
    }
    *sampleBytes = count;
    *format = block;
    *samples = data;
    return MMSYSERR_NOERROR;
}
