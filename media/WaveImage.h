// RIFF WAVE images held in memory (the programs' "WAVE" resources). No Windows
// header here: the sound toolkit hands in locked resource images, the native tests
// and the fuzz driver hand in plain byte arrays.
#ifndef VANTEL_WAVEIMAGE_H
#define VANTEL_WAVEIMAGE_H

#include <cstddef>
#include <cstdint>

// Bytes of a wave format block without its extra bytes: tag, channels, samples per
// second, average bytes per second, block alignment, bits per sample, extra size.
const uint32_t kWaveFormatBaseBytes = 18;
const uint16_t kWaveFormatPcm = 1;

// Finds the "fmt " chunk and the "data" chunk of a RIFF WAVE image of `imageBytes`
// bytes. Each output is optional; the format is asked for when `format` or
// `formatBytes` is given, the samples when `samples` or `sampleBytes` is. The
// outputs point into the image. Returns 1 as soon as everything asked for is
// found; 0 (outputs cleared) when the image is not RIFF WAVE, a "fmt " chunk to be
// taken is below 14 bytes, the RIFF length or a chunk runs past the image, or the
// walk ends first. With nothing asked for the result is 0.
int SplitWaveImage(const void* image, size_t imageBytes, const uint8_t** format, uint32_t* formatBytes,
                   const uint8_t** samples, uint32_t* sampleBytes);

// The format block a "fmt " chunk of `chunkBytes` bytes stands for, 18 bytes plus
// its extra bytes. A chunk that holds the whole block (a non-PCM chunk of 18 bytes
// or more) is used in place: *block points into it. A PCM chunk, or one too short
// to hold the extra-size field, is copied into `scratch` with extra size 0 (the
// missing fields of a 14-byte chunk are 0). Returns 0 when the chunk is below 14
// bytes or its extra bytes run past its end.
int WaveFormatBlock(const uint8_t* chunk, uint32_t chunkBytes, uint8_t scratch[kWaveFormatBaseBytes],
                    const uint8_t** block, uint32_t* blockBytes);

// Whether a format block (as WaveFormatBlock gives it, 16 bytes or more) asks for
// what DirectSound plays: at least one channel, blocks of at least one byte, and 100
// to 200000 samples a second (DSBFREQUENCY_MIN to DSBFREQUENCY_MAX). Some DirectSound
// implementations take a buffer of another rate and then fail in their mixer.
int WaveFormatPlayable(const uint8_t* block, uint32_t blockBytes);

#endif
