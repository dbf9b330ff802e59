// Helpers of the Windows-side sound tests: wave images built chunk by chunk and an
// independent reader for them, buffer contents and the ALSA file sink's output.
#ifndef VANTEL_SOUND_TEST_SUPPORT_H
#define VANTEL_SOUND_TEST_SUPPORT_H

#include "WinTestSupport.h"

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// `count` bytes of a fixed pattern that differs between neighbours.
Bytes PatternBytes(size_t count, uint8_t seed);

// 16-bit little-endian samples of a square wave of `hertz` and the given amplitude
// (never 0), `channels` interleaved.
Bytes SquareWave(uint32_t rate, uint16_t channels, uint32_t frames, uint32_t hertz, int16_t amplitude);

// The first "fmt " and "data" chunks of a RIFF WAVE image, read independently of the
// programs' code; `ok` is false when either is missing or runs past the image.
struct WaveParts {
    bool ok = false;
    Bytes format;
    Bytes samples;
};
WaveParts ParseWave(const Bytes& image);

// The format block a wave file reader gives for a "fmt " chunk: 18 bytes plus the
// extra bytes, extra size 0 for PCM and for chunks without the field.
Bytes ExpectedFormatBlock(const Bytes& formatChunk);

// The bytes of a "WAVE" resource of the test program.
Bytes ResourceBytes(LPCSTR name);

// The buffer's whole contents, through Lock.
Bytes BufferBytes(IDirectSoundBuffer* buffer);
// The buffer's format block, through GetFormat.
Bytes BufferFormat(IDirectSoundBuffer* buffer);

// The home folder ctest gives this test (VANTEL_SOUND_HOME) as a Windows path,
// empty when the variable is not set.
std::string SoundHome();

// What the ALSA file sink wrote: the newest "played-RATE-CHANNELS-BITS-FORMAT.raw"
// in the sound home.
struct PlayedOutput {
    std::string path;
    int rate = 0;
    int channels = 0;
    int bits = 0;
    int FrameBytes() const {
        return channels * bits / 8;
    }
};
bool FindPlayedOutput(PlayedOutput* out);
// Deletes what the sink wrote in earlier runs.
void RemovePlayedOutput();

// The stretch of non-silent frames in `bytes` from frame `fromFrame` on.
struct SoundStretch {
    int64_t first = -1; // first non-silent frame, -1 when all is silent
    int64_t last = -1;  // last non-silent frame
    int64_t loud = 0;   // non-silent frames in between, ends included
    int64_t frames = 0; // frames in the file
};
SoundStretch FindSound(const Bytes& bytes, int frameBytes, int64_t fromFrame);

#endif
