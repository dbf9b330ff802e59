#include "BitmapHeader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// The 54 header bytes of a BMP file.
std::vector<uint8_t> Head(int32_t width, int32_t height, uint16_t bits, uint32_t compression = 0,
                          uint32_t imageSize = 0, uint32_t pixelsAt = 54, uint32_t infoSize = 40) {
    std::vector<uint8_t> head(54, 0);
    auto put = [&](int at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; i++)
            head[at + i] = (uint8_t)(value >> (8 * i));
    };
    head[0] = 'B';
    head[1] = 'M';
    put(10, pixelsAt, 4);
    put(14, infoSize, 4);
    put(18, (uint32_t)width, 4);
    put(22, (uint32_t)height, 4);
    put(26, 1, 2);
    put(28, bits, 2);
    put(30, compression, 4);
    put(34, imageSize, 4);
    return head;
}

int Complete(const std::vector<uint8_t>& head, uint64_t fileSize) {
    return BitmapFileComplete(head.data(), head.size(), fileSize);
}

} // namespace

TEST(BitmapHeader, AFileHoldsEveryPixelItsHeadersPromise) {
    // 216 x 71 at 24 bits: rows of 648 bytes.
    const uint64_t whole = 54 + 648 * 71;
    EXPECT_TRUE(Complete(Head(216, 71, 24), whole));
    EXPECT_TRUE(Complete(Head(216, -71, 24), whole)); // rows from the top
    EXPECT_FALSE(Complete(Head(216, 71, 24), whole - 1)) << "cut short by a byte";
    EXPECT_FALSE(Complete(Head(216, 71, 24), 54)) << "header only";
    // Rows padded to four bytes: 1 bit, 3 pixels wide, 2 rows: 8 bytes (and a palette).
    EXPECT_TRUE(Complete(Head(3, 2, 1, 0, 0, 62), 70));
    EXPECT_FALSE(Complete(Head(3, 2, 1, 0, 0, 62), 69));
    // RLE: the image size counts.
    EXPECT_TRUE(Complete(Head(216, 71, 8, 1, 500, 1078), 1078 + 500));
    EXPECT_FALSE(Complete(Head(216, 71, 8, 1, 500, 1078), 1078 + 499));
    EXPECT_FALSE(Complete(Head(216, 71, 8, 1, 0, 1078), 1 << 20)) << "RLE without a size";
    EXPECT_FALSE(Complete(Head(4000, 3000, 24), 200)) << "4000 x 3000 claimed by 200 bytes";
    // Sizes of no picture, odd depths and kinds, whatever the file's size.
    const struct {
        std::vector<uint8_t> head;
        const char* what;
    } refused[] = {
        {Head(0, 71, 24), "zero width"},
        {Head(216, 0, 24), "zero height"},
        {Head(-216, 71, 24), "negative width"},
        {Head(40000, 1, 1), "wider than 32767"},
        {Head(216, 71, 7), "7 bits"},
        {Head(216, 71, 24, 4), "JPEG inside"},
        {Head(216, 71, 24, 1, 100), "RLE8 at 24 bits"},
        {Head(216, 71, 24, 0, 0, 20), "pixels inside the headers"},
        {Head(216, 71, 24, 0, 0, 54, 20), "an info header of 20 bytes"},
    };
    for (const auto& c : refused)
        EXPECT_FALSE(Complete(c.head, 1ull << 40)) << c.what;
    std::vector<uint8_t> notBitmap = Head(216, 71, 24);
    notBitmap[0] = 'M';
    EXPECT_FALSE(Complete(notBitmap, whole));
    EXPECT_FALSE(BitmapFileComplete(Head(216, 71, 24).data(), 20, whole)) << "too few bytes read";
    EXPECT_FALSE(BitmapFileComplete(nullptr, 0, whole));
}

TEST(BitmapHeader, TheOldCoreHeaderCountsToo) {
    std::vector<uint8_t> head(26, 0);
    head[0] = 'B';
    head[1] = 'M';
    head[10] = 26; // pixels after the 12-byte header (24 bits: no palette)
    head[14] = 12;
    head[18] = 4; // 4 x 2
    head[20] = 2;
    head[22] = 1;
    head[24] = 24;
    EXPECT_TRUE(BitmapFileComplete(head.data(), head.size(), 26 + 12 * 2));
    EXPECT_FALSE(BitmapFileComplete(head.data(), head.size(), 26 + 12 * 2 - 1));
}
