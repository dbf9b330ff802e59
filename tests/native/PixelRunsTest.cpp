#include "PixelRuns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct KeyRun {
    int y, left, right;
    bool operator==(const KeyRun& o) const {
        return y == o.y && left == o.left && right == o.right;
    }
};

int Collect(void* context, int y, int left, int right) {
    static_cast<std::vector<KeyRun>*>(context)->push_back({y, left, right});
    return 1;
}

// Builds an image from rows of characters: 'k' is the key value, anything else not.
std::vector<uint8_t> Image(const std::vector<std::string>& rows, int bytes, long pitch, uint32_t key,
                           uint32_t other) {
    std::vector<uint8_t> bits(pitch * rows.size(), 0xAB); // padding that must be ignored
    for (size_t y = 0; y < rows.size(); y++)
        for (size_t x = 0; x < rows[y].size(); x++) {
            uint32_t v = rows[y][x] == 'k' ? key : other;
            for (int b = 0; b < bytes; b++)
                bits[y * pitch + x * bytes + b] = uint8_t(v >> (8 * b));
        }
    return bits;
}

} // namespace

TEST(PixelRuns, FindsMaximalRunsRowByRowAndCountsPixels) {
    std::vector<std::string> rows = {"kk..kk", "......", "kkkkkk", ".k.k.k"};
    for (int bytes = 1; bytes <= 4; bytes++) {
        long pitch = 6 * bytes + 3;
        auto bits = Image(rows, bytes, pitch, 0x00F81F & ((1ull << (8 * bytes)) - 1), 0x1234);
        std::vector<KeyRun> runs;
        int64_t count = ScanKeyRuns(bits.data(), 6, 4, pitch, bytes, 0xFFFFFFFF,
                                    0x00F81F & ((1ull << (8 * bytes)) - 1), Collect, &runs);
        std::vector<KeyRun> expected = {{0, 0, 2}, {0, 4, 6}, {2, 0, 6}, {3, 1, 2}, {3, 3, 4}, {3, 5, 6}};
        EXPECT_EQ(count, 13) << bytes;
        EXPECT_EQ(runs, expected) << bytes;
    }
}

TEST(PixelRuns, MaskedBitsPlayNoPart) {
    // 32-bit pixels whose fourth byte differs from the key's still match under an
    // RGB mask, and do not without it.
    std::vector<uint8_t> bits = {0x1F, 0xF8, 0x00, 0x77, 0x1F, 0xF8, 0x00, 0x00};
    std::vector<KeyRun> runs;
    EXPECT_EQ(ScanKeyRuns(bits.data(), 2, 1, 8, 4, 0x00FFFFFF, 0xFF00F81F, Collect, &runs), 2);
    runs.clear();
    EXPECT_EQ(ScanKeyRuns(bits.data(), 2, 1, 8, 4, 0xFFFFFFFF, 0x0000F81F, Collect, &runs), 1);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], (KeyRun{0, 1, 2}));
}

TEST(PixelRuns, ReadsPixelsLittleEndianAndOnlyTheirOwnBytes) {
    // 24-bit pixels: the byte after each pixel belongs to the next one.
    std::vector<uint8_t> bits = {0x01, 0x02, 0x03, 0x01, 0x02, 0x03, 0x03, 0x02, 0x01};
    std::vector<KeyRun> runs;
    EXPECT_EQ(ScanKeyRuns(bits.data(), 3, 1, 9, 3, 0xFFFFFFFF, 0x030201, Collect, &runs), 2);
    EXPECT_EQ(runs, (std::vector<KeyRun>{{0, 0, 2}}));
    // The key's bytes above the pixel size are ignored.
    runs.clear();
    EXPECT_EQ(ScanKeyRuns(bits.data(), 3, 1, 9, 3, 0xFFFFFFFF, 0xFF030201, Collect, &runs), 2);
}

TEST(PixelRuns, BottomUpPitchWalksBackwards) {
    std::vector<std::string> rows = {"k..", ".k.", "..k"};
    auto bits = Image(rows, 1, 4, 7, 1);
    std::vector<KeyRun> runs;
    // Start at the last row with a negative pitch: rows come out in reverse order.
    EXPECT_EQ(ScanKeyRuns(bits.data() + 8, 3, 3, -4, 1, 0xFF, 7, Collect, &runs), 3);
    EXPECT_EQ(runs, (std::vector<KeyRun>{{0, 2, 3}, {1, 1, 2}, {2, 0, 1}}));
}

TEST(PixelRuns, RefusesBadArgumentsAndHonoursAStop) {
    uint8_t bits[16] = {};
    std::vector<KeyRun> runs;
    EXPECT_EQ(ScanKeyRuns(nullptr, 2, 2, 2, 1, 0xFF, 0, Collect, &runs), -1);
    EXPECT_EQ(ScanKeyRuns(bits, 2, 2, 2, 5, 0xFF, 0, Collect, &runs), -1);
    EXPECT_EQ(ScanKeyRuns(bits, 2, 2, 2, 0, 0xFF, 0, Collect, &runs), -1);
    EXPECT_EQ(ScanKeyRuns(bits, 4, 2, 2, 1, 0xFF, 0, Collect, &runs), -1); // pitch shorter than a row
    EXPECT_EQ(ScanKeyRuns(bits, 0, 0, 0, 1, 0xFF, 0, Collect, &runs), 0);
    auto stop = [](void*, int, int, int) { return 0; };
    EXPECT_EQ(ScanKeyRuns(bits, 2, 2, 2, 1, 0xFF, 0, stop, nullptr), -1);
}

TEST(PixelRuns, LowBytesMask) {
    EXPECT_EQ(LowBytesMask(1), 0xFFu);
    EXPECT_EQ(LowBytesMask(2), 0xFFFFu);
    EXPECT_EQ(LowBytesMask(3), 0xFFFFFFu);
    EXPECT_EQ(LowBytesMask(4), 0xFFFFFFFFu);
    EXPECT_EQ(LowBytesMask(0), 0u);
}
