// The wave file reader on real files: the ALSA sample waves, files written here in
// the forms the reader meets, and damaged ones. Multimedia file I/O of wine64.
#include "Sound.h"
#include "SoundTestSupport.h"

#include <memory>

namespace {

// What ReadWholeWaveFile gave, its memory freed with the record.
struct WholeFile {
    MMRESULT result = 0xFFFF;
    DWORD count = 0xBAD;
    WAVEFORMATEX* format = reinterpret_cast<WAVEFORMATEX*>(1);
    BYTE* samples = reinterpret_cast<BYTE*>(1);

    explicit WholeFile(const std::string& path) {
        result = ReadWholeWaveFile(path.c_str(), &count, &format, &samples);
    }
    ~WholeFile() {
        if (result == 0) {
            GlobalFree(format);
            GlobalFree(samples);
        }
    }
    Bytes FormatBlock() const {
        const uint8_t* at = reinterpret_cast<const uint8_t*>(format);
        return Bytes(at, at + sizeof(WAVEFORMATEX) + format->cbSize);
    }
    Bytes Samples() const {
        return Bytes(samples, samples + count);
    }
};

class WaveFile : public ::testing::Test {
  protected:
    std::string Write(const char* name, const Bytes& image) {
        std::string path = folder_.Path(name);
        EXPECT_TRUE(WriteWholeFile(path, image));
        return path;
    }

    // Reads the file and checks the format block and the samples against the
    // file's own chunks.
    void ExpectReads(const std::string& path, const Bytes& formatChunk, const Bytes& samples) {
        WholeFile read(path);
        ASSERT_EQ(read.result, 0u) << path;
        ASSERT_NE(read.format, nullptr);
        ASSERT_NE(read.samples, nullptr);
        EXPECT_EQ(read.FormatBlock(), ExpectedFormatBlock(formatChunk));
        EXPECT_EQ(GlobalSize(read.format), sizeof(WAVEFORMATEX) + read.format->cbSize);
        ASSERT_EQ(read.count, samples.size());
        EXPECT_TRUE(read.Samples() == samples) << "samples differ from the file's data chunk";
    }

    // Reads a damaged file: the code, and every output cleared.
    void ExpectFails(const std::string& path, MMRESULT code) {
        WholeFile read(path);
        EXPECT_EQ(read.result, code) << path;
        EXPECT_EQ(read.count, 0u);
        EXPECT_EQ(read.format, nullptr);
        EXPECT_EQ(read.samples, nullptr);
    }

    TempFolder folder_{"sound"};
};

TEST_F(WaveFile, ReadsTheAlsaSampleWaves) {
    const char* names[] = {"Front_Center.wav", "Front_Left.wav",  "Front_Right.wav",
                           "Noise.wav",        "Rear_Center.wav", "Rear_Left.wav",
                           "Rear_Right.wav",   "Side_Left.wav",   "Side_Right.wav"};
    int found = 0;
    for (const char* name : names) {
        const std::string path = std::string("Z:\\usr\\share\\sounds\\alsa\\") + name;
        Bytes image;
        if (!ReadWholeFile(path, &image))
            continue;
        found++;
        SCOPED_TRACE(name);
        WaveParts parts = ParseWave(image);
        ASSERT_TRUE(parts.ok);
        ExpectReads(path, parts.format, parts.samples);
        WholeFile read(path);
        ASSERT_EQ(read.result, 0u);
        EXPECT_EQ(read.format->wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(read.format->cbSize, 0);
        EXPECT_GT(read.count, 100000u);
    }
    if (!found)
        GTEST_SKIP() << "no sample waves in /usr/share/sounds/alsa (package alsa-utils)";
}

TEST_F(WaveFile, ReadsPcmOfEveryShape) {
    struct Case {
        const char* name;
        Bytes format;
        Bytes samples;
        std::vector<Bytes> between; // chunks between "fmt " and "data"
    } cases[] = {
        {"mono8.wav", WaveFormat(1, 1, 11025, 8), PatternBytes(3001, 1), {}},
        {"mono16.wav", WaveFormat(1, 1, 44100, 16), PatternBytes(8820, 2), {}},
        {"stereo16.wav", WaveFormat(1, 2, 22050, 16), PatternBytes(20000, 3), {}},
        {"list.wav",
         WaveFormat(1, 2, 8000, 8),
         PatternBytes(999, 4),
         {WaveChunk("LIST",
                    Bytes{'I', 'N', 'F', 'O', 'I', 'C', 'M', 'T', 5, 0, 0, 0, 'h', 'e', 'l', 'l', 'o'}),
          WaveChunk("fact", Bytes{1, 2, 3})}},
        // An 18-byte PCM chunk whose extra-size field holds rubbish: PCM has no extra bytes.
        {"pcm18.wav", WaveFormat(1, 1, 8000, 8, {0x34, 0x12}), PatternBytes(500, 5), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Bytes> chunks{WaveChunk("fmt ", c.format)};
        chunks.insert(chunks.end(), c.between.begin(), c.between.end());
        chunks.push_back(WaveChunk("data", c.samples));
        ExpectReads(Write(c.name, RiffWave(chunks)), c.format, c.samples);
    }
    WholeFile pcm18(folder_.Path("pcm18.wav"));
    ASSERT_EQ(pcm18.result, 0u);
    EXPECT_EQ(pcm18.format->cbSize, 0);
}

TEST_F(WaveFile, ReadsNonPcmFormatsWithTheirExtraBytes) {
    // ADPCM-like: 2 extra bytes, a format block of 20 bytes.
    const Bytes adpcm = WaveFormat(2, 1, 22050, 4, {2, 0, 0xF4, 0x01});
    const Bytes samples = PatternBytes(4096, 6);
    const std::string path =
        Write("adpcm.wav", RiffWave({WaveChunk("fmt ", adpcm), WaveChunk("data", samples)}));
    ExpectReads(path, adpcm, samples);
    WholeFile read(path);
    ASSERT_EQ(read.result, 0u);
    EXPECT_EQ(read.format->wFormatTag, 2);
    EXPECT_EQ(read.format->cbSize, 2);
    EXPECT_EQ(GlobalSize(read.format), 20u);

    // Extensible PCM: 22 extra bytes.
    Bytes extensibleTail;
    PutLE(extensibleTail, 22, 2);
    PutLE(extensibleTail, 16, 2);
    PutLE(extensibleTail, 3, 4);
    const uint8_t pcmGuid[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    extensibleTail.insert(extensibleTail.end(), pcmGuid, pcmGuid + 16);
    const Bytes extensible = WaveFormat(0xFFFE, 2, 44100, 16, extensibleTail);
    ExpectReads(
        Write("extensible.wav", RiffWave({WaveChunk("fmt ", extensible), WaveChunk("data", samples)})),
        extensible, samples);

    // A float format in 16 bytes has no extra-size field: the reader does not take
    // one from the next chunk's header.
    const Bytes floats = WaveFormat(3, 1, 48000, 32);
    const std::string floatPath =
        Write("float16.wav", RiffWave({WaveChunk("fmt ", floats), WaveChunk("data", PatternBytes(800, 7))}));
    ExpectReads(floatPath, floats, PatternBytes(800, 7));
    WholeFile floatRead(floatPath);
    ASSERT_EQ(floatRead.result, 0u);
    EXPECT_EQ(floatRead.format->cbSize, 0);
}

TEST_F(WaveFile, DamagedFilesGiveTheirCodeAndNothingElse) {
    const Bytes pcm = WaveFormat(1, 1, 22050, 8);
    const Bytes samples = PatternBytes(300, 8);

    ExpectFails(folder_.Path("missing.wav"), WAVE_CANNOT_OPEN);
    const std::string text = "These are not the sounds you are looking for.\r\n";
    ExpectFails(Write("notes.wav", Bytes(text.begin(), text.end())), WAVE_NOT_WAVE);
    Bytes avi = RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", samples)});
    memcpy(&avi[8], "AVI ", 4);
    ExpectFails(Write("avi.wav", avi), WAVE_NOT_WAVE);
    ExpectFails(Write("short_fmt.wav", RiffWave({WaveChunk("fmt ", Bytes(pcm.begin(), pcm.begin() + 12)),
                                                 WaveChunk("data", samples)})),
                WAVE_NOT_WAVE);
    // Extra bytes declared past the end of the "fmt " chunk.
    ExpectFails(Write("bad_extra.wav", RiffWave({WaveChunk("fmt ", WaveFormat(2, 1, 22050, 4, {40, 0, 1, 2})),
                                                 WaveChunk("data", samples)})),
                WAVE_NOT_WAVE);
    // A "data" chunk declared longer than the file, by a little or by 2 GB.
    ExpectFails(Write("long_data.wav", RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", samples, 301)})),
                WAVE_DATA_SHORT);
    ExpectFails(
        Write("huge_data.wav", RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", samples, 0x7FFFFFF0)})),
        WAVE_DATA_SHORT);
    // Missing chunks: the multimedia code passes through.
    ExpectFails(Write("no_data.wav", RiffWave({WaveChunk("fmt ", pcm), WaveChunk("LIST", Bytes(4))})),
                MMIOERR_CHUNKNOTFOUND);
    ExpectFails(Write("no_fmt.wav", RiffWave({WaveChunk("data", samples)})), MMIOERR_CHUNKNOTFOUND);
    ExpectFails(Write("empty.wav", Bytes()), MMIOERR_CHUNKNOTFOUND);
}

TEST_F(WaveFile, StreamsTheDataChunkInPieces) {
    // Larger than the multimedia I/O buffer (8 KB), so reads cross its refills.
    const Bytes format = WaveFormat(1, 2, 44100, 16);
    const Bytes samples = PatternBytes(30001, 9);
    const std::string path = Write(
        "stream.wav",
        RiffWave({WaveChunk("fmt ", format), WaveChunk("LIST", Bytes(10)), WaveChunk("data", samples)}));

    HMMIO stream = NULL;
    WAVEFORMATEX* block = NULL;
    MMCKINFO riff;
    ASSERT_EQ(OpenWaveStream(path.c_str(), &stream, &block, &riff), 0u);
    ASSERT_NE(stream, nullptr);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(riff.ckid, FOURCC_RIFF);
    EXPECT_EQ(block->nChannels, 2);
    EXPECT_EQ(block->nSamplesPerSec, 44100u);
    MMCKINFO data;
    ASSERT_EQ(SeekWaveData(stream, &data, &riff), 0u);
    EXPECT_EQ(data.cksize, samples.size());

    Bytes read;
    Bytes piece(7000);
    DWORD got = 0;
    while (data.cksize > 0) {
        const DWORD left = data.cksize;
        ASSERT_EQ(ReadWaveBytes(stream, DWORD(piece.size()), piece.data(), &data, &got), 0u);
        ASSERT_EQ(got, std::min<DWORD>(left, DWORD(piece.size())));
        EXPECT_EQ(data.cksize, left - got);
        read.insert(read.end(), piece.begin(), piece.begin() + got);
    }
    EXPECT_TRUE(read == samples);
    // Nothing is left: a further read gives 0 bytes and succeeds.
    EXPECT_EQ(ReadWaveBytes(stream, 100, piece.data(), &data, &got), 0u);
    EXPECT_EQ(got, 0u);

    // Seeking again starts the data over.
    ASSERT_EQ(SeekWaveData(stream, &data, &riff), 0u);
    ASSERT_EQ(ReadWaveBytes(stream, 16, piece.data(), &data, &got), 0u);
    EXPECT_EQ(Bytes(piece.begin(), piece.begin() + 16), Bytes(samples.begin(), samples.begin() + 16));
    mmioClose(stream, 0);
    GlobalFree(block);

    // A data chunk that ends before its stated size, read through the stream.
    const std::string cut =
        Write("cut.wav", RiffWave({WaveChunk("fmt ", format), WaveChunk("data", samples, 40000)}));
    ASSERT_EQ(OpenWaveStream(cut.c_str(), &stream, &block, &riff), 0u);
    ASSERT_EQ(SeekWaveData(stream, &data, &riff), 0u);
    Bytes all(40000);
    EXPECT_EQ(ReadWaveBytes(stream, 40000, all.data(), &data, &got), DWORD(WAVE_DATA_SHORT));
    EXPECT_EQ(got, 0u);
    mmioClose(stream, 0);
    GlobalFree(block);

    // Failures close the stream and clear both outputs.
    stream = reinterpret_cast<HMMIO>(1);
    block = reinterpret_cast<WAVEFORMATEX*>(1);
    EXPECT_EQ(OpenWaveStream(folder_.Path("none.wav").c_str(), &stream, &block, &riff),
              DWORD(WAVE_CANNOT_OPEN));
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(block, nullptr);
}

} // namespace
