#include "WaveImage.h"
#include "WaveBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

// Images live in vectors of their exact size, so AddressSanitizer stops any read
// past their end.
namespace {

Bytes Samples(size_t count) {
    Bytes out(count);
    for (size_t i = 0; i < count; i++)
        out[i] = uint8_t(i * 7 + 3);
    return out;
}

struct Split {
    int result = -1;
    const uint8_t* format = nullptr;
    uint32_t formatBytes = 0;
    const uint8_t* samples = nullptr;
    uint32_t sampleBytes = 0;
};

// Splits asking for everything; outputs start as garbage to see them cleared.
Split SplitAll(const Bytes& image, size_t size) {
    Split s;
    s.format = s.samples = reinterpret_cast<const uint8_t*>(&s);
    s.formatBytes = s.sampleBytes = 0xDEAD;
    s.result = SplitWaveImage(image.data(), size, &s.format, &s.formatBytes, &s.samples, &s.sampleBytes);
    return s;
}

Split SplitAll(const Bytes& image) {
    return SplitAll(image, image.size());
}

// Offset of the data of the first chunk with this id and size (where the split
// must point).
size_t DataOffset(const Bytes& image, const char* id, size_t size) {
    Bytes header(id, id + 4);
    PutLE(header, uint32_t(size), 4);
    for (size_t i = 0; i + header.size() <= image.size(); i++)
        if (memcmp(image.data() + i, header.data(), header.size()) == 0)
            return i + header.size();
    return size_t(-1);
}

void ExpectNothing(const Split& s) {
    EXPECT_EQ(s.result, 0);
    EXPECT_EQ(s.format, nullptr);
    EXPECT_EQ(s.formatBytes, 0u);
    EXPECT_EQ(s.samples, nullptr);
    EXPECT_EQ(s.sampleBytes, 0u);
}

void ExpectFound(const Bytes& image, const Split& s, const Bytes& format, const Bytes& samples) {
    ASSERT_EQ(s.result, 1);
    ASSERT_NE(s.format, nullptr);
    ASSERT_NE(s.samples, nullptr);
    EXPECT_EQ(size_t(s.format - image.data()), DataOffset(image, "fmt ", format.size()));
    EXPECT_EQ(s.formatBytes, format.size());
    EXPECT_EQ(Bytes(s.format, s.format + s.formatBytes), format);
    EXPECT_EQ(size_t(s.samples - image.data()), DataOffset(image, "data", samples.size()));
    EXPECT_EQ(Bytes(s.samples, s.samples + s.sampleBytes), samples);
}

} // namespace

TEST(SplitWaveImage, FindsFormatAndSamplesOfValidImages) {
    const Bytes pcm = WaveFormat(1, 1, 44100, 16);
    const Bytes adpcm = WaveFormat(2, 1, 22050, 4, {2, 0, 0xF4, 0x01}); // extra size 2, two extra bytes
    const Bytes samples = Samples(100);
    const Bytes oddSamples = Samples(33);
    const Bytes list =
        WaveChunk("LIST", Bytes{'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 3, 0, 0, 0, 'a', 'b', 0, 0});

    struct Case {
        const char* what;
        Bytes image;
        Bytes format;
        Bytes samples;
    } cases[] = {
        {"PCM, 16-byte fmt", RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", samples)}), pcm, samples},
        {"non-PCM with extra bytes", RiffWave({WaveChunk("fmt ", adpcm), WaveChunk("data", samples)}), adpcm,
         samples},
        {"LIST between fmt and data", RiffWave({WaveChunk("fmt ", pcm), list, WaveChunk("data", samples)}),
         pcm, samples},
        {"odd chunk and its pad byte",
         RiffWave({WaveChunk("fmt ", pcm), WaveChunk("junk", Samples(3)), WaveChunk("data", samples)}), pcm,
         samples},
        {"data before fmt", RiffWave({WaveChunk("data", samples), WaveChunk("fmt ", pcm)}), pcm, samples},
        {"odd data last, without its pad byte",
         RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", oddSamples, -1, false)}), pcm, oddSamples},
        {"empty data chunk", RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", {})}), pcm, {}},
        {"second fmt ignored",
         RiffWave({WaveChunk("fmt ", pcm), WaveChunk("fmt ", WaveFormat(3, 2, 8000, 32)),
                   WaveChunk("data", samples)}),
         pcm, samples},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectFound(c.image, SplitAll(c.image), c.format, c.samples);
    }

    // Bytes behind the RIFF chunk (a resource padded by its compiler) are not walked.
    Bytes padded = cases[0].image;
    padded.insert(padded.end(), {'d', 'a', 't', 'a', 0xFF, 0xFF, 0xFF, 0xFF});
    ExpectFound(padded, SplitAll(padded), pcm, samples);
}

TEST(SplitWaveImage, ReturnsAsSoonAsEverythingAskedForIsFound) {
    const Bytes pcm = WaveFormat(1, 2, 8000, 8);
    const Bytes samples = Samples(10);
    // Behind the wanted chunk lies a chunk that runs past the image.
    const Bytes formatFirst = RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", samples, 5000)});
    const Bytes dataFirst = RiffWave({WaveChunk("data", samples), WaveChunk("fmt ", Bytes(4), 5000)});

    const uint8_t* format = nullptr;
    uint32_t formatBytes = 0;
    EXPECT_EQ(SplitWaveImage(formatFirst.data(), formatFirst.size(), &format, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(format, formatFirst.data() + 20);
    EXPECT_EQ(SplitWaveImage(formatFirst.data(), formatFirst.size(), nullptr, &formatBytes, nullptr, nullptr),
              1);
    EXPECT_EQ(formatBytes, 16u);

    const uint8_t* found = nullptr;
    uint32_t count = 0;
    EXPECT_EQ(SplitWaveImage(dataFirst.data(), dataFirst.size(), nullptr, nullptr, &found, nullptr), 1);
    EXPECT_EQ(found, dataFirst.data() + 20);
    EXPECT_EQ(SplitWaveImage(dataFirst.data(), dataFirst.size(), nullptr, nullptr, nullptr, &count), 1);
    EXPECT_EQ(count, 10u);

    // A short "fmt " chunk fails the split only when the format is asked for.
    const Bytes shortFormat = RiffWave({WaveChunk("fmt ", Bytes(12)), WaveChunk("data", samples)});
    EXPECT_EQ(SplitWaveImage(shortFormat.data(), shortFormat.size(), nullptr, nullptr, &found, &count), 1);
    EXPECT_EQ(count, 10u);
    ExpectNothing(SplitAll(shortFormat));

    // Nothing asked for: nothing to find.
    EXPECT_EQ(SplitWaveImage(formatFirst.data(), formatFirst.size(), nullptr, nullptr, nullptr, nullptr), 0);
}

TEST(SplitWaveImage, DamagedImagesGiveNothing) {
    const Bytes pcm = WaveFormat(1, 1, 11025, 8);
    const Bytes samples = Samples(64);
    const Bytes valid = RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", samples)});

    struct Case {
        const char* what;
        Bytes image;
    } cases[] = {
        {"zero-length image", {}},
        {"not RIFF",
         [&] {
             Bytes b = valid;
             memcpy(b.data(), "RIFX", 4);
             return b;
         }()},
        {"a text file",
         Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'a', 'v', 'e', ' ', 'f', 'i', 'l', 'e', '\n'}},
        {"not WAVE", RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", samples)}, -1, "AVI ")},
        {"fmt chunk of 12 bytes",
         RiffWave({WaveChunk("fmt ", Bytes(pcm.begin(), pcm.begin() + 12)), WaveChunk("data", samples)})},
        {"data longer than the image", RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", samples, 65)})},
        {"RIFF length past the image",
         RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", samples)}, 4 + 24 + 72 + 1)},
        {"RIFF length of 0xFFFFFFFF",
         RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", samples)}, 0xFFFFFFFF)},
        {"chunk size wrapping 32 bits",
         RiffWave(
             {WaveChunk("fmt ", pcm), WaveChunk("LIST", Bytes(8), 0xFFFFFFF8), WaveChunk("data", samples)})},
        {"chunk runs past the RIFF length",
         RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", samples)}, 4 + 24 + 8 + 63)},
        {"no data chunk", RiffWave({WaveChunk("fmt ", pcm), WaveChunk("LIST", Bytes(6))})},
        {"no fmt chunk", RiffWave({WaveChunk("LIST", Bytes(6)), WaveChunk("data", samples)})},
        {"header only", RiffWave({})},
        {"chunk header cut short",
         [&] {
             Bytes b = RiffWave({});
             b.insert(b.end(), {'f', 'm', 't', ' ', 16});
             b[4] += 5;
             return b;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectNothing(SplitAll(c.image));
    }

    // Every cut of a valid image, with its RIFF length left as it was.
    for (size_t size = 0; size < valid.size(); size++) {
        Bytes cut(valid.begin(), valid.begin() + size);
        SCOPED_TRACE("cut to " + std::to_string(size) + " bytes");
        ExpectNothing(SplitAll(cut));
    }
    EXPECT_EQ(SplitWaveImage(nullptr, 100, nullptr, nullptr, nullptr, nullptr), 0);
}

TEST(WaveFormatBlock, GivesEighteenBytesPlusExtraFromTheChunk) {
    uint8_t scratch[kWaveFormatBaseBytes];
    const uint8_t* block = nullptr;
    uint32_t blockBytes = 0;

    // A 16-byte PCM chunk has no extra-size field: a copy with extra size 0.
    const Bytes pcm = WaveFormat(1, 2, 44100, 16);
    ASSERT_EQ(WaveFormatBlock(pcm.data(), uint32_t(pcm.size()), scratch, &block, &blockBytes), 1);
    EXPECT_EQ(block, scratch);
    EXPECT_EQ(blockBytes, 18u);
    EXPECT_EQ(Bytes(block, block + 16), pcm);
    EXPECT_EQ(block[16] | block[17] << 8, 0);

    // PCM ignores whatever stands in its extra-size field.
    const Bytes pcmWithField = WaveFormat(1, 1, 8000, 8, {0x40, 0x00});
    ASSERT_EQ(WaveFormatBlock(pcmWithField.data(), 18, scratch, &block, &blockBytes), 1);
    EXPECT_EQ(blockBytes, 18u);
    EXPECT_EQ(block[16] | block[17] << 8, 0);

    // Non-PCM with its extra bytes in the chunk: used in place.
    const Bytes adpcm = WaveFormat(2, 1, 22050, 4, {2, 0, 0xF4, 0x01});
    ASSERT_EQ(WaveFormatBlock(adpcm.data(), uint32_t(adpcm.size()), scratch, &block, &blockBytes), 1);
    EXPECT_EQ(block, adpcm.data());
    EXPECT_EQ(blockBytes, 20u);

    // Non-PCM in 16 bytes (no extra-size field), and the 14-byte old form.
    const Bytes floats = WaveFormat(3, 1, 48000, 32);
    ASSERT_EQ(WaveFormatBlock(floats.data(), 16, scratch, &block, &blockBytes), 1);
    EXPECT_EQ(block, scratch);
    EXPECT_EQ(blockBytes, 18u);
    EXPECT_EQ(Bytes(block, block + 16), floats);
    const Bytes old(pcm.begin(), pcm.begin() + 14);
    ASSERT_EQ(WaveFormatBlock(old.data(), 14, scratch, &block, &blockBytes), 1);
    EXPECT_EQ(Bytes(block, block + 14), old);
    EXPECT_EQ(block[14] | block[15] << 8 | block[16] << 16 | block[17] << 24, 0);

    // Extra bytes declared past the chunk, and a chunk below 14 bytes.
    const Bytes overlong = WaveFormat(2, 1, 22050, 4, {5, 0, 1, 2});
    EXPECT_EQ(WaveFormatBlock(overlong.data(), uint32_t(overlong.size()), scratch, &block, &blockBytes), 0);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(blockBytes, 0u);
    EXPECT_EQ(WaveFormatBlock(pcm.data(), 13, scratch, &block, &blockBytes), 0);
}

// What DirectSound plays; a buffer of another rate was taken by Wine's DirectSound,
// whose mixer then divided by zero.
TEST(WaveFormatPlayable, TakesTheRatesChannelsAndBlocksDirectSoundPlays) {
    const struct {
        uint16_t channels;
        uint32_t rate;
        uint16_t bits;
        int playable;
    } cases[] = {
        {1, 22050, 16, 1},      {2, 44100, 16, 1}, {1, 100, 8, 1},    {1, 200000, 8, 1},
        {6, 48000, 24, 1},      {1, 99, 8, 0},     {1, 200001, 8, 0}, {1, 0x7FFFFFFF, 16, 0},
        {1, 0xFFFFFFFF, 16, 0}, {1, 0, 16, 0},     {0, 44100, 16, 0}, {1, 44100, 0, 0}, // block alignment 0
    };
    for (const auto& c : cases) {
        const Bytes block = WaveFormat(1, c.channels, c.rate, c.bits, {0, 0});
        EXPECT_EQ(WaveFormatPlayable(block.data(), uint32_t(block.size())), c.playable)
            << c.channels << " channels, " << c.rate << " per second, " << c.bits << " bits";
    }
    const Bytes whole = WaveFormat(1, 1, 22050, 16);
    EXPECT_EQ(WaveFormatPlayable(whole.data(), 15), 0);
    EXPECT_EQ(WaveFormatPlayable(nullptr, 18), 0);
}
