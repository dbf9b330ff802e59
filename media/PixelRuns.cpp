#include "PixelRuns.h"

uint32_t LowBytesMask(int bytes) {
    if (bytes >= 4)
        return 0xFFFFFFFFu;
    if (bytes <= 0)
        return 0;
    return (1u << (bytes * 8)) - 1u;
}

static uint32_t ReadPixel(const uint8_t* p, int bytesPerPixel) {
    uint32_t value = 0;
    for (int i = bytesPerPixel - 1; i >= 0; i--)
        value = (value << 8) | p[i];
    return value;
}

int64_t ScanKeyRuns(const uint8_t* bits, int width, int height, long pitch, int bytesPerPixel, uint32_t mask,
                    uint32_t key, PixelRunSink sink, void* context) {
    if (!bits || !sink || width < 0 || height < 0 || bytesPerPixel < 1 || bytesPerPixel > 4)
        return -1;
    if (height > 1 && (pitch < 0 ? -pitch : pitch) < (long)width * bytesPerPixel)
        return -1;
    mask &= LowBytesMask(bytesPerPixel);
    uint32_t maskedKey = key & mask;
    int64_t count = 0;
    for (int y = 0; y < height; y++) {
        const uint8_t* row = bits + (long)y * pitch;
        int x = 0;
        while (x < width) {
            while (x < width && (ReadPixel(row + (long)x * bytesPerPixel, bytesPerPixel) & mask) != maskedKey)
                x++;
            if (x >= width)
                break;
            int left = x;
            while (x < width && (ReadPixel(row + (long)x * bytesPerPixel, bytesPerPixel) & mask) == maskedKey)
                x++;
            count += x - left;
            if (!sink(context, y, left, x))
                return -1;
        }
    }
    return count;
}
