// Scanning raw surface pixels into horizontal runs of one key value. No Windows
// header here: the window shape builder feeds it locked surface memory, and the
// native tests feed it plain buffers.
#ifndef VANTEL_PIXELRUNS_H
#define VANTEL_PIXELRUNS_H

#include <cstdint>

// Receives one run: row y, pixels left .. right - 1. Returns 1 to go on, 0 to stop.
typedef int (*PixelRunSink)(void* context, int y, int left, int right);

// Calls `sink` for every maximal run of pixels whose value, masked with `mask`,
// equals `key` masked with `mask`; rows top to bottom, runs left to right.
// A pixel is `bytesPerPixel` (1 to 4) bytes at bits + y * pitch + x * bytesPerPixel,
// taken as a little-endian number. Returns the number of matching pixels, or -1
// when the arguments make no sense or the sink asked to stop.
int64_t ScanKeyRuns(const uint8_t* bits, int width, int height, long pitch, int bytesPerPixel, uint32_t mask,
                    uint32_t key, PixelRunSink sink, void* context);

// Mask of the low `bytes` bytes of a pixel (1 to 4).
uint32_t LowBytesMask(int bytes);

#endif
