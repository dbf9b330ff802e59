#include "WaveImage.h"

#include <cstring>

static uint32_t ReadLE32(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

static uint16_t ReadLE16(const uint8_t* at) {
    return uint16_t(at[0] | at[1] << 8);
}

static int IsId(const uint8_t* at, const char* id) {
    return memcmp(at, id, 4) == 0;
}

static void ClearOutputs(const uint8_t** format, uint32_t* formatBytes, const uint8_t** samples,
                         uint32_t* sampleBytes) {
    if (format)
        *format = NULL;
    if (formatBytes)
        *formatBytes = 0;
    if (samples)
        *samples = NULL;
    if (sampleBytes)
        *sampleBytes = 0;
}

// Every size is held against the image: the images are the program's own
// resources, but a damaged one must give 0, never a read past its end. Offsets are
// 64-bit so that no 32-bit size can wrap them.
int SplitWaveImage(const void* image, size_t imageBytes, const uint8_t** format, uint32_t* formatBytes,
                   const uint8_t** samples, uint32_t* sampleBytes) {
    ClearOutputs(format, formatBytes, samples, sampleBytes);
    const int wantFormat = format || formatBytes;
    const int wantSamples = samples || sampleBytes;
    int haveFormat = 0;
    int haveSamples = 0;

    const uint8_t* bytes = static_cast<const uint8_t*>(image);
    if (!bytes || imageBytes < 12 || !IsId(bytes, "RIFF") || !IsId(bytes + 8, "WAVE"))
        return 0;
    const uint64_t end = 8 + uint64_t(ReadLE32(bytes + 4));
    if (end > imageBytes)
        return 0;

    uint64_t at = 12;
    while (at < end) {
        if (at + 8 > end)
            break;
        const uint8_t* chunk = bytes + at;
        const uint32_t size = ReadLE32(chunk + 4);
        if (at + 8 + size > end)
            break;
        const uint8_t* data = chunk + 8;

        if (IsId(chunk, "fmt ") && wantFormat && !haveFormat) {
            if (size < 14)
                break;
            if (format)
                *format = data;
            if (formatBytes)
                *formatBytes = size;
            haveFormat = 1;
            if (!wantSamples || haveSamples)
                return 1;
        } else if (IsId(chunk, "data") && wantSamples && !haveSamples) {
            if (samples)
                *samples = data;
            if (sampleBytes)
                *sampleBytes = size;
            haveSamples = 1;
            if (!wantFormat || haveFormat)
                return 1;
        }
        at += 8 + uint64_t(size) + (size & 1);
    }
    ClearOutputs(format, formatBytes, samples, sampleBytes);
    return 0;
}

int WaveFormatBlock(const uint8_t* chunk, uint32_t chunkBytes, uint8_t scratch[kWaveFormatBaseBytes],
                    const uint8_t** block, uint32_t* blockBytes) {
    *block = NULL;
    *blockBytes = 0;
    if (!chunk || chunkBytes < 14)
        return 0;
    const uint16_t tag = ReadLE16(chunk);
    if (tag != kWaveFormatPcm && chunkBytes >= kWaveFormatBaseBytes) {
        const uint32_t whole = kWaveFormatBaseBytes + ReadLE16(chunk + 16);
        if (whole > chunkBytes)
            return 0;
        *block = chunk;
        *blockBytes = whole;
        return 1;
    }
    // PCM has no extra bytes, whatever its chunk holds behind the first 16 bytes.
    memset(scratch, 0, kWaveFormatBaseBytes);
    memcpy(scratch, chunk, chunkBytes < 16 ? chunkBytes : 16);
    *block = scratch;
    *blockBytes = kWaveFormatBaseBytes;
    return 1;
}

int WaveFormatPlayable(const uint8_t* block, uint32_t blockBytes) {
    if (!block || blockBytes < 16)
        return 0;
    const uint32_t rate = ReadLE32(block + 4);
    return ReadLE16(block + 2) >= 1 && ReadLE16(block + 12) >= 1 && rate >= 100 && rate <= 200000;
}
