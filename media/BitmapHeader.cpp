#include "BitmapHeader.h"

enum { FILE_HEADER = 14, CORE_HEADER = 12, INFO_HEADER = 40, LARGEST_SIDE = 32767 };
enum { BI_RGB_CODE = 0, BI_RLE8_CODE = 1, BI_RLE4_CODE = 2, BI_BITFIELDS_CODE = 3 };

static uint32_t Little(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; i--)
        value = value << 8 | p[i];
    return value;
}

int BitmapFileComplete(const uint8_t* head, size_t headSize, uint64_t fileSize) {
    if (!head || headSize < FILE_HEADER + CORE_HEADER || head[0] != 'B' || head[1] != 'M')
        return 0;
    uint64_t pixelsAt = Little(head + 10, 4);
    uint32_t infoSize = Little(head + 14, 4);
    int64_t width, height;
    uint32_t bits, compression = BI_RGB_CODE, imageSize = 0;
    if (infoSize == CORE_HEADER) {
        width = Little(head + 18, 2);
        height = Little(head + 20, 2);
        bits = Little(head + 24, 2);
    } else {
        if (infoSize < INFO_HEADER || headSize < FILE_HEADER + INFO_HEADER)
            return 0;
        width = (int32_t)Little(head + 18, 4);
        height = (int32_t)Little(head + 22, 4);
        bits = Little(head + 28, 2);
        compression = Little(head + 30, 4);
        imageSize = Little(head + 34, 4);
    }
    if (height < 0)
        height = -height; // rows from the top
    if (width <= 0 || width > LARGEST_SIDE || height <= 0 || height > LARGEST_SIDE)
        return 0;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return 0;
    uint64_t pixelBytes;
    if (compression == BI_RGB_CODE || compression == BI_BITFIELDS_CODE) {
        pixelBytes = (uint64_t)((width * bits + 31) / 32) * 4 * (uint64_t)height;
    } else if ((compression == BI_RLE8_CODE && bits == 8) || (compression == BI_RLE4_CODE && bits == 4)) {
        pixelBytes = imageSize;
        if (pixelBytes == 0)
            return 0;
    } else {
        return 0;
    }
    return pixelsAt >= FILE_HEADER + (uint64_t)infoSize && pixelsAt + pixelBytes <= fileSize;
}
