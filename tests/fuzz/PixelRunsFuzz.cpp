// Fuzz target for the scan of a skin bitmap's pixels into the runs of its
// transparent colour, from which the window's shape is built: any size, pixel width,
// row pitch (top-down or bottom-up), mask, key and pixels.
// Input: width, height, bytes per pixel, a pitch byte (padding in the low bits, 0x40
// a pitch too short for a row, 0x80 bottom-up), a flags byte (1: the key is the first
// pixel's value), the mask, the key, the number of runs after which the sink stops
// (0 never), then the pixels; missing bytes are 0.
#include "FuzzSupport.h"

#include "PixelRuns.h"

#include <vector>

namespace {

struct Run {
    int y, left, right;
    bool operator==(const Run& other) const {
        return y == other.y && left == other.left && right == other.right;
    }
};

struct Sink {
    std::vector<Run> runs;
    size_t stopAfter; // 0: never
    bool stopped;
};

int Collect(void* context, int y, int left, int right) {
    Sink* sink = static_cast<Sink*>(context);
    Require(!sink->stopped, "the scan went on after the sink asked to stop");
    sink->runs.push_back({y, left, right});
    if (sink->stopAfter && sink->runs.size() == sink->stopAfter) {
        sink->stopped = true;
        return 0;
    }
    return 1;
}

uint32_t Pixel(const uint8_t* at, int bytesPerPixel) {
    uint32_t value = 0;
    for (int i = 0; i < bytesPerPixel; i++)
        value |= uint32_t(at[i]) << (8 * i);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input = {data, size};
    const int width = input.Below(64), height = input.Below(17), bytesPerPixel = 1 + input.Below(4);
    const uint8_t pitchByte = input.Byte(), flags = input.Byte();
    uint32_t mask = input.Word(), key = input.Word();
    const size_t stopAfter = input.Byte();

    const long rowBytes = (long)width * bytesPerPixel;
    const bool tooShort = (pitchByte & 0x40) && rowBytes > 0;
    const long pitch = tooShort ? rowBytes - 1 : rowBytes + (pitchByte & 7);
    const size_t bytes = height ? size_t((height - 1) * pitch + rowBytes) : 0;
    uint8_t* buffer = static_cast<uint8_t*>(malloc(bytes ? bytes : 1));
    for (size_t i = 0; i < bytes; i++)
        buffer[i] = input.Byte();
    const bool bottomUp = pitchByte & 0x80;
    const uint8_t* bits = bottomUp && height ? buffer + (height - 1) * pitch : buffer;
    const long signedPitch = bottomUp ? -pitch : pitch;
    if ((flags & 1) && width > 0 && height > 0)
        key = Pixel(bits, bytesPerPixel);

    Sink sink = {{}, stopAfter, false};
    const int64_t count =
        ScanKeyRuns(bits, width, height, signedPitch, bytesPerPixel, mask, key, Collect, &sink);
    if (tooShort && height > 1) {
        Require(count == -1 && sink.runs.empty(), "rows that overlap were scanned");
        free(buffer);
        return 0;
    }

    // The runs, from every pixel read on its own.
    const uint32_t low = bytesPerPixel == 4 ? 0xFFFFFFFFu : (1u << (8 * bytesPerPixel)) - 1;
    Require(LowBytesMask(bytesPerPixel) == low, "LowBytesMask is not the pixel's bytes");
    const uint32_t m = mask & low;
    std::vector<Run> expected;
    int64_t matching = 0;
    for (int y = 0; y < height; y++) {
        const uint8_t* row = bits + (long)y * signedPitch;
        for (int x = 0; x < width;) {
            if ((Pixel(row + (long)x * bytesPerPixel, bytesPerPixel) & m) != (key & m)) {
                x++;
                continue;
            }
            const int left = x;
            while (x < width && (Pixel(row + (long)x * bytesPerPixel, bytesPerPixel) & m) == (key & m))
                x++;
            expected.push_back({y, left, x});
            matching += x - left;
        }
    }
    if (stopAfter && expected.size() >= stopAfter) {
        Require(count == -1, "a scan the sink stopped did not give -1");
        expected.resize(stopAfter);
    } else {
        Require(count == matching, "the scan counted other pixels than match the key");
    }
    Require(sink.runs == expected, "the runs are not the maximal runs of the key, rows top to bottom");

    // Arguments that make no sense are refused before any pixel is read.
    Sink none = {{}, 0, false};
    Require(ScanKeyRuns(bits, width, height, signedPitch, 0, mask, key, Collect, &none) == -1 &&
                ScanKeyRuns(bits, width, height, signedPitch, 5, mask, key, Collect, &none) == -1 &&
                ScanKeyRuns(nullptr, width, height, signedPitch, bytesPerPixel, mask, key, Collect, &none) ==
                    -1 &&
                ScanKeyRuns(bits, -1 - width, height, signedPitch, bytesPerPixel, mask, key, Collect,
                            &none) == -1 &&
                none.runs.empty(),
            "senseless arguments were scanned");
    free(buffer);
    return 0;
}
