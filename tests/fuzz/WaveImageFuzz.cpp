// Fuzz target for the wave image splitter. Built with -fsanitize=fuzzer it is a
// libFuzzer target; otherwise the driver below feeds it the seed images and a fixed
// number of mutations of them from a fixed seed, so every run checks the same
// inputs (run it under the sanitizers).
//   wave_image_fuzz [count]   count mutated inputs, default 200000
#include "WaveImage.h"
#include "WaveBuilder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Fail(const char* what, const uint8_t* data, size_t size) {
    fprintf(stderr, "wave image fuzz: %s\ninput (%zu bytes):", what, size);
    for (size_t i = 0; i < size; i++)
        fprintf(stderr, "%s%02x", i % 32 ? " " : "\n  ", data[i]);
    fprintf(stderr, "\n");
    abort();
}

// Whether [at, at + bytes) lies inside [base, base + size).
bool Inside(const uint8_t* at, uint32_t bytes, const uint8_t* base, size_t size) {
    return at >= base && at <= base + size && bytes <= size_t(base + size - at);
}

// Touches every byte of the region, so the sanitizer sees a read past the image.
unsigned Touch(const uint8_t* at, uint32_t bytes) {
    unsigned sum = 0;
    for (uint32_t i = 0; i < bytes; i++)
        sum += at[i];
    return sum;
}

volatile unsigned g_sink;
const uint8_t g_poison[4] = {0xBA, 0xD0, 0xBA, 0xD0}; // stands in an output until it is set

// Splits the image asking for the outputs in `asked` (bit 0 format, 1 format size,
// 2 samples, 3 sample count) and checks what comes out. Returns the result.
int CheckSplit(const uint8_t* image, size_t size, unsigned asked, const uint8_t* input) {
    const uint8_t* poison = g_poison;
    const uint8_t* format = poison;
    uint32_t formatBytes = 0xBAD;
    const uint8_t* samples = poison;
    uint32_t sampleBytes = 0xBAD;
    int result =
        SplitWaveImage(image, size, (asked & 1) ? &format : nullptr, (asked & 2) ? &formatBytes : nullptr,
                       (asked & 4) ? &samples : nullptr, (asked & 8) ? &sampleBytes : nullptr);
    if (result != 0 && result != 1)
        Fail("result is neither 0 nor 1", input, size);
    if (result == 0) {
        if (((asked & 1) && format) || ((asked & 2) && formatBytes) || ((asked & 4) && samples) ||
            ((asked & 8) && sampleBytes))
            Fail("a failed split left an output set", input, size);
        return 0;
    }
    if (asked & 3) {
        // Ask again for both halves of the format to check them together.
        const uint8_t* f = nullptr;
        uint32_t fb = 0;
        if (SplitWaveImage(image, size, &f, &fb, (asked & 4) ? &samples : nullptr,
                           (asked & 8) ? &sampleBytes : nullptr) != 1)
            Fail("the same split failed the second time", input, size);
        if (((asked & 1) && f != format) || ((asked & 2) && fb != formatBytes))
            Fail("the format differs between two splits", input, size);
        if (fb < 14 || !Inside(f, fb, image, size))
            Fail("the format chunk lies outside the image or is below 14 bytes", input, size);
        g_sink = Touch(f, fb);

        uint8_t scratch[kWaveFormatBaseBytes];
        const uint8_t* block = nullptr;
        uint32_t blockBytes = 0;
        if (WaveFormatBlock(f, fb, scratch, &block, &blockBytes)) {
            if (blockBytes < kWaveFormatBaseBytes)
                Fail("format block below 18 bytes", input, size);
            if (block == scratch ? blockBytes != kWaveFormatBaseBytes : (block != f || blockBytes > fb))
                Fail("format block outside the chunk", input, size);
            if ((block[16] | block[17] << 8) != int(blockBytes - kWaveFormatBaseBytes))
                Fail("format block's extra size disagrees with its length", input, size);
            g_sink = Touch(block, blockBytes);
        } else if (block || blockBytes) {
            Fail("a refused format block left an output set", input, size);
        }
    }
    if (asked & 12) {
        // Asked for alone, the samples are where they were found with the format.
        const uint8_t* s = nullptr;
        uint32_t sb = 0;
        if (SplitWaveImage(image, size, nullptr, nullptr, &s, &sb) != 1)
            Fail("the samples alone were not found", input, size);
        if (((asked & 4) && samples != s) || ((asked & 8) && sampleBytes != sb))
            Fail("the samples differ between two splits", input, size);
        if (!Inside(s, sb, image, size))
            Fail("the samples lie outside the image", input, size);
        g_sink = Touch(s, sb);
    }
    return 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A heap copy of exactly `size` bytes: a read one byte too far is caught.
    uint8_t* image = static_cast<uint8_t*>(malloc(size ? size : 1));
    if (size)
        memcpy(image, data, size);
    for (unsigned asked = 0; asked < 16; asked++)
        CheckSplit(image, size, asked, data);
    free(image);
    return 0;
}

#ifndef VANTEL_LIBFUZZER
namespace {

std::vector<Bytes> Seeds() {
    const Bytes pcm = WaveFormat(1, 1, 44100, 16, {});
    const Bytes adpcm = WaveFormat(2, 2, 22050, 4, {4, 0, 1, 2, 3, 4});
    const Bytes samples(40, 0x55);
    const Bytes list{'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 3, 0, 0, 0, 'a', 'b', 0, 0};
    return {
        RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", samples)}),
        RiffWave({WaveChunk("fmt ", adpcm), WaveChunk("data", samples)}),
        RiffWave({WaveChunk("fmt ", pcm), WaveChunk("LIST", list), WaveChunk("data", samples)}),
        RiffWave({WaveChunk("fmt ", pcm), WaveChunk("junk", Bytes(3, 1)), WaveChunk("data", Bytes(7, 2))}),
        RiffWave({WaveChunk("data", samples), WaveChunk("fmt ", pcm)}),
        RiffWave({WaveChunk("fmt ", WaveFormat(3, 1, 48000, 32, {0, 0})), WaveChunk("data", {})}),
    };
}

// splitmix64: the same sequence on every machine.
struct Random {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t Below(size_t n) {
        return n ? size_t(Next() % n) : 0;
    }
};

// Sizes that make walks stop, wrap or end right at an edge.
uint32_t InterestingWord(Random& random, size_t size) {
    const uint32_t words[] = {0,
                              1,
                              2,
                              3,
                              13,
                              14,
                              15,
                              16,
                              17,
                              18,
                              0x7FFFFFFF,
                              0x80000000,
                              0xFFFFFFFE,
                              0xFFFFFFFF,
                              uint32_t(size),
                              uint32_t(size - 8),
                              uint32_t(size - 7),
                              uint32_t(size + 1)};
    return words[random.Below(sizeof(words) / sizeof(words[0]))];
}

void Mutate(Bytes& input, const std::vector<Bytes>& seeds, Random& random) {
    const char* ids[] = {"RIFF", "WAVE", "fmt ", "data", "LIST"};
    int steps = 1 + int(random.Below(4));
    for (int i = 0; i < steps; i++) {
        switch (random.Below(8)) {
        case 0: // flip a bit
            if (!input.empty())
                input[random.Below(input.size())] ^= uint8_t(1u << random.Below(8));
            break;
        case 1: // any byte
            if (!input.empty())
                input[random.Below(input.size())] = uint8_t(random.Next());
            break;
        case 2: // a size field, aligned as chunk sizes are or not
            if (input.size() >= 4) {
                size_t at = random.Below(input.size() - 3);
                if (random.Below(2))
                    at &= ~size_t(3);
                uint32_t word = InterestingWord(random, input.size());
                memcpy(&input[at], &word, 4);
            }
            break;
        case 3: // cut
            input.resize(random.Below(input.size() + 1));
            break;
        case 4: // grow with random bytes
            for (size_t n = 1 + random.Below(12); n; n--)
                input.push_back(uint8_t(random.Next()));
            break;
        case 5: // an id somewhere
            if (input.size() >= 4) {
                size_t at = random.Below(input.size() - 3);
                memcpy(&input[at], ids[random.Below(5)], 4);
            }
            break;
        case 6: { // a tail of another seed
            const Bytes& other = seeds[random.Below(seeds.size())];
            size_t from = random.Below(other.size());
            input.resize(random.Below(input.size() + 1));
            input.insert(input.end(), other.begin() + long(from), other.end());
            break;
        }
        default: // a chunk header inserted
            if (input.size() >= 12) {
                size_t at = 12 + random.Below(input.size() - 11);
                const char* id = ids[2 + random.Below(3)];
                Bytes header(id, id + 4);
                PutLE(header, InterestingWord(random, input.size()), 4);
                input.insert(input.begin() + long(at), header.begin(), header.end());
            }
            break;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? atol(argv[1]) : 200000;
    const std::vector<Bytes> seeds = Seeds();
    for (const Bytes& seed : seeds) {
        uint8_t* image = static_cast<uint8_t*>(malloc(seed.size()));
        memcpy(image, seed.data(), seed.size());
        if (CheckSplit(image, seed.size(), 15, seed.data()) != 1)
            Fail("a valid seed image did not split", seed.data(), seed.size());
        free(image);
    }

    Random random{20030615};
    long split = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; i++) {
        Bytes input = seeds[random.Below(seeds.size())];
        Mutate(input, seeds, random);
        LLVMFuzzerTestOneInput(input.data(), input.size());
        uint8_t* image = static_cast<uint8_t*>(malloc(input.size() ? input.size() : 1));
        if (!input.empty())
            memcpy(image, input.data(), input.size());
        split += CheckSplit(image, input.size(), 15, input.data());
        free(image);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    printf("wave image fuzz: %zu seeds, %ld mutated inputs (%ld split whole, %ld refused) in %.2f s, "
           "%.0f inputs/s\n",
           seeds.size(), count, split, count - split, seconds, seconds > 0 ? count / seconds : 0.0);
    return 0;
}
#endif
