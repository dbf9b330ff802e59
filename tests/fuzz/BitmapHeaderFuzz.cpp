// Fuzz target for the check of a bitmap file's headers, made before the system's
// loader reads the file: any bytes as the file's start, any file size.
// Input: eight bytes of a claimed file size (little-endian; 0 takes the input's own
// size), then the file's bytes.
#include "FuzzSupport.h"

#include "BitmapHeader.h"

namespace {

uint64_t Little(const uint8_t* p, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; i--)
        value = value << 8 | p[i];
    return value;
}

// The check on the head in a buffer of exactly headSize bytes, so a read past it is caught.
int Check(const uint8_t* file, size_t headSize, uint64_t fileSize) {
    uint8_t* head = static_cast<uint8_t*>(malloc(headSize ? headSize : 1));
    memcpy(head, file, headSize);
    int complete = BitmapFileComplete(head, headSize, fileSize);
    free(head);
    return complete;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input = {data, size};
    uint64_t claimed = uint64_t(input.Word()) | uint64_t(input.Word()) << 32;
    const uint8_t* file = input.data;
    const size_t fileBytes = input.size;
    const uint64_t fileSize = claimed ? claimed : fileBytes;
    const size_t headSize = fileBytes < BITMAP_HEAD_SIZE ? fileBytes : BITMAP_HEAD_SIZE;

    int complete = Check(file, headSize, fileSize);
    Require(complete == 0 || complete == 1, "the answer is neither 0 nor 1");
    Require(Check(file, fileBytes, fileSize) == complete, "bytes after the headers changed the answer");
    if (!complete)
        return 0;

    // What was taken is a BMP whose pixels start after its headers and lie in the file,
    // and whose sides the loader can take.
    Require(headSize >= 26 && file[0] == 'B' && file[1] == 'M', "a file that is no BMP was taken");
    const uint64_t pixelsAt = Little(file + 10, 4), infoSize = Little(file + 14, 4);
    Require(pixelsAt >= 14 + infoSize && pixelsAt <= fileSize,
            "pixels that start inside the headers or past the end");
    const bool core = infoSize == 12;
    const int64_t width = core ? int64_t(Little(file + 18, 2)) : int64_t(int32_t(Little(file + 18, 4)));
    int64_t height = core ? int64_t(Little(file + 20, 2)) : int64_t(int32_t(Little(file + 22, 4)));
    height = height < 0 ? -height : height;
    Require(width > 0 && width < 32768 && height > 0 && height < 32768, "a side the loader cannot take");
    const uint64_t bits = Little(file + (core ? 24 : 28), 2);
    const uint64_t compression = core ? 0 : Little(file + 30, 4);
    if (compression == 0 || compression == 3)
        Require(pixelsAt + uint64_t((width * bits + 31) / 32 * 4) * uint64_t(height) <= fileSize,
                "rows the file does not hold");
    // A larger file holds what a smaller one held.
    Require(fileSize == UINT64_MAX || Check(file, headSize, fileSize + 1) == 1,
            "more bytes made it incomplete");
    return 0;
}
