// Sound buffers on the real DirectSound of wine64, whose default ALSA device is the
// file sink ctest sets up in this test's home folder: what a buffer holds, and what
// playing it writes.
#include "Sound.h"
#include "SoundTestResources.h"
#include "SoundTestSupport.h"

#include <cstdio>
#include <memory>

namespace {

typedef std::unique_ptr<IDirectSoundBuffer, ComRelease> BufferHolder;

DWORD BufferFlags(IDirectSoundBuffer* buffer) {
    DSBCAPS caps;
    ZeroMemory(&caps, sizeof(caps));
    caps.dwSize = sizeof(caps);
    return SUCCEEDED(buffer->GetCaps(&caps)) ? caps.dwFlags : 0;
}

const DWORD kBufferKindFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME |
                               DSBCAPS_STICKYFOCUS | DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;

// Each test opens the clock's device on a hidden window and releases it after.
class SoundBuffer : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(SoundHome().empty()) << "run through ctest: it points HOME at the ALSA file sink";
        window_ = MakeHiddenWindow();
        ASSERT_NE(window_, nullptr);
        RemovePlayedOutput();
        MessageBoxWatcher boxes("Vantel - Error");
        const int opened = CreateSoundDevice(window_);
        const std::vector<SeenBox> seen = boxes.Stop();
        ASSERT_EQ(opened, 1)
            << (seen.empty() ? std::string() : seen[0].text)
            << "\nDirectSound found no device: is the Wine prefix's audio driver switched off?";
        ASSERT_TRUE(seen.empty());
        ASSERT_NE(SoundDevice(), nullptr);
    }

    void TearDown() override {
        ReleaseSoundDevice();
        if (window_)
            DestroyWindow(window_);
    }

    std::string Write(const char* name, const Bytes& image) {
        std::string path = folder_.Path(name);
        EXPECT_TRUE(WriteWholeFile(path, image));
        return path;
    }

    // Checks that the buffer holds the sound: the format block the reader makes of the
    // chunk, and exactly the samples.
    void ExpectHolds(IDirectSoundBuffer* buffer, const Bytes& formatChunk, const Bytes& samples) {
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(BufferFormat(buffer), ExpectedFormatBlock(formatChunk));
        const Bytes held = BufferBytes(buffer);
        ASSERT_EQ(held.size(), samples.size());
        EXPECT_TRUE(held == samples) << "the buffer's bytes differ from the samples";
    }

    HWND window_ = NULL;
    TempFolder folder_{"sound"};
};

TEST_F(SoundBuffer, FromWaveFilesHoldsTheirSamples) {
    Bytes alsa;
    if (ReadWholeFile("Z:\\usr\\share\\sounds\\alsa\\Front_Center.wav", &alsa)) {
        WaveParts parts = ParseWave(alsa);
        ASSERT_TRUE(parts.ok);
        BufferHolder buffer(MakeSoundBuffer("Z:\\usr\\share\\sounds\\alsa\\Front_Center.wav", SOUND_FILE));
        ExpectHolds(buffer.get(), parts.format, parts.samples);
    }

    const Bytes mono8 = WaveFormat(1, 1, 11025, 8);
    const Bytes stereo16 = WaveFormat(1, 2, 44100, 16);
    const Bytes odd = PatternBytes(2001, 11);
    const Bytes even = PatternBytes(17640, 12);
    BufferHolder first(MakeSoundBuffer(
        Write("mono8.wav",
              RiffWave({WaveChunk("fmt ", mono8), WaveChunk("LIST", Bytes(5)), WaveChunk("data", odd)}))
            .c_str(),
        SOUND_FILE));
    ExpectHolds(first.get(), mono8, odd);
    BufferHolder second(MakeSoundBuffer(
        Write("stereo16.wav", RiffWave({WaveChunk("fmt ", stereo16), WaveChunk("data", even)})).c_str(),
        SOUND_FILE));
    ExpectHolds(second.get(), stereo16, even);

    // The clock's flags for wave files.
    EXPECT_EQ(BufferFlags(first.get()) & kBufferKindFlags, kClockWaveFileFlags);
}

TEST_F(SoundBuffer, FromResourcesHoldsTheirSamples) {
    struct Case {
        const char* what;
        LPCSTR name;
    } cases[] = {
        {"message sound, 16-byte PCM format, data last", MAKEINTRESOURCEA(IDW_TEST_MESSAGE)},
        {"the same by name", "CHIME"},
        {"8-bit with odd chunks, format last", MAKEINTRESOURCEA(IDW_TEST_FMT_LAST)},
        {"extensible with 22 extra bytes", MAKEINTRESOURCEA(IDW_TEST_EXTENSIBLE)},
        {"float in a 16-byte format chunk", MAKEINTRESOURCEA(IDW_TEST_FLOAT16)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes image = ResourceBytes(c.name);
        WaveParts parts = ParseWave(image);
        ASSERT_TRUE(parts.ok);
        BufferHolder buffer(MakeSoundBuffer(c.name, SOUND_RESOURCE));
        ExpectHolds(buffer.get(), parts.format, parts.samples);
        EXPECT_EQ(BufferFlags(buffer.get()) & kBufferKindFlags, kResourceBufferFlags);
    }
    BufferHolder extensible(MakeSoundBuffer(MAKEINTRESOURCEA(IDW_TEST_EXTENSIBLE), SOUND_RESOURCE));
    ASSERT_NE(extensible, nullptr);
    EXPECT_EQ(BufferFormat(extensible.get()).size(), 40u);
    // The float format's chunk has no extra-size field: the block is 18 bytes, not
    // 18 plus whatever the next chunk's header would say.
    BufferHolder floats(MakeSoundBuffer(MAKEINTRESOURCEA(IDW_TEST_FLOAT16), SOUND_RESOURCE));
    ASSERT_NE(floats, nullptr);
    EXPECT_EQ(BufferFormat(floats.get()).size(), 18u);

    // FindWaveImage points into the resource itself.
    const BYTE* format = NULL;
    DWORD formatBytes = 0;
    const BYTE* samples = NULL;
    DWORD count = 0;
    ASSERT_EQ(FindWaveImage(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDW_TEST_MESSAGE), &format, &formatBytes,
                            &samples, &count),
              1);
    HRSRC info = FindResourceA(NULL, MAKEINTRESOURCEA(IDW_TEST_MESSAGE), "WAVE");
    const BYTE* image = static_cast<const BYTE*>(LockResource(LoadResource(NULL, info)));
    EXPECT_EQ(format, image + 20);
    EXPECT_EQ(formatBytes, 16u);
    EXPECT_EQ(samples, image + 44);
    EXPECT_EQ(count, SizeofResource(NULL, info) - 44);
}

TEST_F(SoundBuffer, DamagedOrMissingSoundsGiveNoBuffer) {
    const LPCSTR damaged[] = {MAKEINTRESOURCEA(IDW_TEST_SHORT_FMT), MAKEINTRESOURCEA(IDW_TEST_LONG_DATA),
                              MAKEINTRESOURCEA(IDW_TEST_BAD_EXTRA), MAKEINTRESOURCEA(999), "NOSUCHSOUND"};
    for (LPCSTR name : damaged) {
        SCOPED_TRACE(IS_INTRESOURCE(name) ? std::to_string(uintptr_t(name)) : std::string(name));
        BufferHolder buffer(MakeSoundBuffer(name, SOUND_RESOURCE));
        EXPECT_EQ(buffer, nullptr);
        EXPECT_EQ(FindWaveImage(GetModuleHandleA(NULL), name, NULL, NULL, NULL, NULL), 0);
    }

    const Bytes pcm = WaveFormat(1, 1, 22050, 8);
    const Bytes samples = PatternBytes(500, 13);
    const std::string files[] = {
        folder_.Path("missing.wav"),
        Write("text.wav", Bytes(400, 'x')),
        Write("short_fmt.wav", RiffWave({WaveChunk("fmt ", Bytes(pcm.begin(), pcm.begin() + 12)),
                                         WaveChunk("data", samples)})),
        Write("long_data.wav", RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", samples, 5000)})),
        Write("empty_data.wav", RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", Bytes())})),
    };
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        BufferHolder buffer(MakeSoundBuffer(path.c_str(), SOUND_FILE));
        EXPECT_EQ(buffer, nullptr);
    }

    // Unknown kinds, and a resource number passed as a file name.
    const std::string good =
        Write("good.wav", RiffWave({WaveChunk("fmt ", pcm), WaveChunk("data", samples)}));
    EXPECT_EQ(BufferHolder(MakeSoundBuffer(good.c_str(), 2)), nullptr);
    EXPECT_EQ(BufferHolder(MakeSoundBuffer(MAKEINTRESOURCEA(IDW_TEST_MESSAGE), SOUND_FILE)), nullptr);
    EXPECT_NE(BufferHolder(MakeSoundBuffer(good.c_str(), SOUND_FILE)), nullptr);

    // Without the device there are no buffers.
    ReleaseSoundDevice();
    ReleaseSoundDevice();
    EXPECT_EQ(SoundDevice(), nullptr);
    EXPECT_EQ(BufferHolder(MakeSoundBuffer(good.c_str(), SOUND_FILE)), nullptr);
    EXPECT_EQ(BufferHolder(MakeSoundBuffer(MAKEINTRESOURCEA(IDW_TEST_MESSAGE), SOUND_RESOURCE)), nullptr);
}

TEST_F(SoundBuffer, TheMessageProgramsDeviceUsesItsOwnFlags) {
    ASSERT_EQ(OpenSoundDevice(window_, NULL, NULL, kMessageWaveFileFlags, 1), 1);
    const std::string path = Write("message.wav", RiffWave({WaveChunk("fmt ", WaveFormat(1, 1, 8000, 8)),
                                                            WaveChunk("data", PatternBytes(800, 1))}));
    BufferHolder file(MakeSoundBuffer(path.c_str(), SOUND_FILE));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(BufferFlags(file.get()) & kBufferKindFlags, kMessageWaveFileFlags);
    BufferHolder resource(MakeSoundBuffer(MAKEINTRESOURCEA(IDW_TEST_MESSAGE), SOUND_RESOURCE));
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(BufferFlags(resource.get()) & kBufferKindFlags, kResourceBufferFlags);
}

TEST_F(SoundBuffer, CopyAndRestoreFillTheBufferAgain) {
    const Bytes image = ResourceBytes(MAKEINTRESOURCEA(IDW_TEST_FMT_LAST));
    const WaveParts parts = ParseWave(image);
    ASSERT_TRUE(parts.ok);
    BufferHolder buffer(MakeSoundBuffer(MAKEINTRESOURCEA(IDW_TEST_FMT_LAST), SOUND_RESOURCE));
    ASSERT_NE(buffer, nullptr);

    // Wipe the buffer, then fill it again from the resource.
    const Bytes silence(parts.samples.size(), 0x80);
    ASSERT_EQ(CopyIntoSoundBuffer(buffer.get(), silence.data(), DWORD(silence.size())), 1);
    ASSERT_TRUE(BufferBytes(buffer.get()) == silence);
    EXPECT_EQ(RestoreResourceBuffer(buffer.get(), MAKEINTRESOURCEA(IDW_TEST_FMT_LAST)), 1);
    EXPECT_TRUE(BufferBytes(buffer.get()) == parts.samples);

    // A copy of part of the sound changes only that part.
    const Bytes head(100, 0x11);
    ASSERT_EQ(CopyIntoSoundBuffer(buffer.get(), head.data(), DWORD(head.size())), 1);
    Bytes expected = parts.samples;
    std::copy(head.begin(), head.end(), expected.begin());
    EXPECT_TRUE(BufferBytes(buffer.get()) == expected);

    // Nothing to copy, or more than the buffer holds.
    EXPECT_EQ(CopyIntoSoundBuffer(buffer.get(), head.data(), 0), 0);
    EXPECT_EQ(CopyIntoSoundBuffer(buffer.get(), NULL, 10), 0);
    EXPECT_EQ(CopyIntoSoundBuffer(NULL, head.data(), 10), 0);
    const Bytes tooMuch(parts.samples.size() + 1, 0x22);
    EXPECT_EQ(CopyIntoSoundBuffer(buffer.get(), tooMuch.data(), DWORD(tooMuch.size())), 0);
    EXPECT_TRUE(BufferBytes(buffer.get()) == expected);

    // Restoring takes only the samples: a resource without whole sample data fails.
    EXPECT_EQ(RestoreResourceBuffer(buffer.get(), MAKEINTRESOURCEA(IDW_TEST_LONG_DATA)), 0);
    EXPECT_EQ(RestoreResourceBuffer(buffer.get(), MAKEINTRESOURCEA(999)), 0);
    EXPECT_EQ(RestoreResourceBuffer(NULL, MAKEINTRESOURCEA(IDW_TEST_FMT_LAST)), 0);
}

// Plays a 0.3 s square wave once and reads back what the ALSA file sink received:
// the sound, as long as it lasts, then silence while the device goes on running.
TEST_F(SoundBuffer, PlayingOnceWritesTheWholeSoundToTheDeviceInItsTimeUnlessEmulated) {
    const uint32_t rate = 22050;
    const uint32_t frames = rate * 3 / 10;
    const Bytes samples = SquareWave(rate, 1, frames, 441, 12000);
    const std::string path = Write(
        "square.wav", RiffWave({WaveChunk("fmt ", WaveFormat(1, 1, rate, 16)), WaveChunk("data", samples)}));
    BufferHolder buffer(MakeSoundBuffer(path.c_str(), SOUND_FILE));
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(SoundBufferFinished(buffer.get()), 1);
    EXPECT_EQ(SoundBufferFinished(NULL), 1);

    PlayedOutput output;
    ASSERT_TRUE(WaitFor([&] { return FindPlayedOutput(&output); }, 5000))
        << "no played-*.raw in " << SoundHome();
    Bytes before;
    ASSERT_TRUE(ReadWholeFile(output.path, &before));
    const int64_t startFrame = int64_t(before.size()) / output.FrameBytes();
    EXPECT_EQ(FindSound(before, output.FrameBytes(), 0).first, -1)
        << "the device played something before Play";

    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(SoundBufferFinished(buffer.get()), 0);

    // Wait until the buffer has stopped and the sink holds 0.3 s of output past the
    // sound's last frame.
    Bytes played;
    SoundStretch sound;
    const int64_t tailFrames = output.rate * 3 / 10;
    const bool done = WaitFor(
        [&] {
            if (!SoundBufferFinished(buffer.get()) || !ReadWholeFile(output.path, &played))
                return false;
            sound = FindSound(played, output.FrameBytes(), startFrame);
            return sound.first >= 0 && sound.frames - sound.last > tailFrames;
        },
        15000);
    ASSERT_TRUE(done) << "played " << played.size() << " bytes; sound at frames " << sound.first << " to "
                      << sound.last << " of " << sound.frames << " (" << output.path << ")";

    // Every frame of the sound reaches the device, whatever the mixer's pace.
    const double content = double(sound.loud) / output.rate;
    EXPECT_NEAR(content, 0.3, 0.01) << "the device got " << content << " s of the sound at " << output.rate << " Hz";
    const double seconds = double(sound.last - sound.first + 1) / output.rate;
    printf("[          ] 0.300 s of sound played as %.3f s at %d Hz, %d channels, %d bits\n", seconds,
           output.rate, output.channels, output.bits);
    // Under emulation Wine's mixer falls behind now and then and fills the gap with
    // silence: the sound is whole, but its pace is the emulator's, not the program's.
    if (RunsUnderEmulation())
        return;
    EXPECT_NEAR(seconds, 0.3, 0.06) << "the sound lasted " << seconds << " s at " << output.rate << " Hz";
    EXPECT_GT(sound.loud, (sound.last - sound.first + 1) * 9 / 10) << "the sound has gaps";
}

} // namespace
