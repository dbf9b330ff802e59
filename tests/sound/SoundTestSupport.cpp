#include "SoundTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

Bytes PatternBytes(size_t count, uint8_t seed) {
    Bytes out(count);
    for (size_t i = 0; i < count; i++)
        out[i] = uint8_t(seed + i * 37 + (i >> 8));
    return out;
}

Bytes SquareWave(uint32_t rate, uint16_t channels, uint32_t frames, uint32_t hertz, int16_t amplitude) {
    Bytes out;
    out.reserve(size_t(frames) * channels * 2);
    for (uint32_t i = 0; i < frames; i++) {
        const bool high = (uint64_t(i) * hertz * 2 / rate) % 2 == 0;
        for (uint16_t c = 0; c < channels; c++)
            PutLE(out, uint16_t(high ? amplitude : -amplitude), 2);
    }
    return out;
}

WaveParts ParseWave(const Bytes& image) {
    WaveParts parts;
    if (image.size() < 12 || memcmp(image.data(), "RIFF", 4) != 0 || memcmp(image.data() + 8, "WAVE", 4) != 0)
        return parts;
    const size_t end = std::min<size_t>(image.size(), 8 + size_t(GetLE(image, 4, 4)));
    bool haveFormat = false;
    bool haveSamples = false;
    for (size_t at = 12; at + 8 <= end;) {
        const size_t size = GetLE(image, at + 4, 4);
        if (at + 8 + size > end)
            break;
        Bytes data(image.begin() + long(at + 8), image.begin() + long(at + 8 + size));
        if (!haveFormat && memcmp(&image[at], "fmt ", 4) == 0) {
            parts.format = data;
            haveFormat = true;
        } else if (!haveSamples && memcmp(&image[at], "data", 4) == 0) {
            parts.samples = data;
            haveSamples = true;
        }
        at += 8 + size + (size & 1);
    }
    parts.ok = haveFormat && haveSamples;
    return parts;
}

Bytes ExpectedFormatBlock(const Bytes& formatChunk) {
    Bytes block(formatChunk.begin(), formatChunk.begin() + long(std::min<size_t>(16, formatChunk.size())));
    block.resize(16, 0);
    uint32_t extra = 0;
    if (GetLE(formatChunk, 0, 2) != WAVE_FORMAT_PCM && formatChunk.size() >= 18)
        extra = GetLE(formatChunk, 16, 2);
    PutLE(block, extra, 2);
    if (extra)
        block.insert(block.end(), formatChunk.begin() + 18, formatChunk.begin() + 18 + long(extra));
    return block;
}

Bytes ResourceBytes(LPCSTR name) {
    HMODULE module = GetModuleHandleA(NULL);
    HRSRC info = FindResourceA(module, name, "WAVE");
    HGLOBAL loaded = info ? LoadResource(module, info) : NULL;
    const uint8_t* image = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : NULL;
    if (!image)
        return Bytes();
    return Bytes(image, image + SizeofResource(module, info));
}

Bytes BufferBytes(IDirectSoundBuffer* buffer) {
    DSBCAPS caps;
    ZeroMemory(&caps, sizeof(caps));
    caps.dwSize = sizeof(caps);
    if (!buffer || FAILED(buffer->GetCaps(&caps)))
        return Bytes();
    void* first = NULL;
    DWORD firstBytes = 0;
    void* second = NULL;
    DWORD secondBytes = 0;
    if (FAILED(buffer->Lock(0, caps.dwBufferBytes, &first, &firstBytes, &second, &secondBytes, 0)))
        return Bytes();
    Bytes out(static_cast<uint8_t*>(first), static_cast<uint8_t*>(first) + firstBytes);
    if (second)
        out.insert(out.end(), static_cast<uint8_t*>(second), static_cast<uint8_t*>(second) + secondBytes);
    buffer->Unlock(first, 0, second, 0);
    return out;
}

Bytes BufferFormat(IDirectSoundBuffer* buffer) {
    DWORD size = 0;
    if (!buffer || FAILED(buffer->GetFormat(NULL, 0, &size)) || size == 0)
        return Bytes();
    Bytes out(size);
    DWORD written = 0;
    if (FAILED(buffer->GetFormat(reinterpret_cast<WAVEFORMATEX*>(out.data()), size, &written)))
        return Bytes();
    out.resize(written);
    return out;
}

std::string SoundHome() {
    const char* home = getenv("VANTEL_SOUND_HOME");
    if (!home || !*home)
        return std::string();
    std::string path = home;
    if (path[0] == '/') // a Unix path: drive Z: is the Unix root under Wine
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool FindPlayedOutput(PlayedOutput* out) {
    const std::string home = SoundHome();
    if (home.empty())
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((home + "\\played-*.raw").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool any = false;
    FILETIME newest = {0, 0};
    do {
        PlayedOutput candidate;
        char format[32] = "";
        if (sscanf(found.cFileName, "played-%d-%d-%d-%31[^.].raw", &candidate.rate, &candidate.channels,
                   &candidate.bits, format) != 4)
            continue;
        if (any && CompareFileTime(&found.ftLastWriteTime, &newest) < 0)
            continue;
        candidate.path = home + "\\" + found.cFileName;
        *out = candidate;
        newest = found.ftLastWriteTime;
        any = true;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return any && out->FrameBytes() > 0;
}

void RemovePlayedOutput() {
    const std::string home = SoundHome();
    if (home.empty())
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((home + "\\played-*.raw").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do
        DeleteFileA((home + "\\" + found.cFileName).c_str());
    while (FindNextFileA(search, &found));
    FindClose(search);
}

SoundStretch FindSound(const Bytes& bytes, int frameBytes, int64_t fromFrame) {
    SoundStretch stretch;
    stretch.frames = int64_t(bytes.size()) / frameBytes;
    for (int64_t frame = fromFrame; frame < stretch.frames; frame++) {
        const uint8_t* at = bytes.data() + frame * frameBytes;
        if (std::all_of(at, at + frameBytes, [](uint8_t b) { return b == 0; }))
            continue;
        if (stretch.first < 0)
            stretch.first = frame;
        stretch.last = frame;
        stretch.loud++;
    }
    return stretch;
}
