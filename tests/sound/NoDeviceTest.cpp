// A machine without a sound device: ctest gives these tests a home folder whose
// ALSA configuration names no device, so DirectSoundCreate fails for real.
#include "Sound.h"
#include "SoundTestResources.h"
#include "SoundTestSupport.h"

namespace {

class NoSoundDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(SoundHome().empty())
            << "run through ctest: it points HOME at a folder without ALSA devices";
        window_ = MakeHiddenWindow();
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        ReleaseSoundDevice();
        if (window_)
            DestroyWindow(window_);
    }

    // Opens the device with `open`, watching for its boxes; skips the test when the
    // machine has a sound card of its own after all.
    std::vector<SeenBox> OpenExpectingFailure(const std::function<int()>& open) {
        MessageBoxWatcher watcher("Vantel - Error");
        const int opened = open();
        std::vector<SeenBox> boxes = watcher.Stop();
        if (opened) {
            ReleaseSoundDevice();
            return {SeenBox{"device opened", NULL, false, ""}};
        }
        return boxes;
    }

    HWND window_ = NULL;
};

TEST_F(NoSoundDevice, TheClockSaysSoOnceAndMakesNoBuffers) {
    std::vector<SeenBox> boxes = OpenExpectingFailure([&] { return CreateSoundDevice(window_); });
    if (boxes.size() == 1 && boxes[0].text == "device opened")
        GTEST_SKIP() << "this machine has a sound device of its own";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not create DirectSound object.\n\nSound is disabled.");
    EXPECT_EQ(boxes[0].owner, window_);
    EXPECT_TRUE(boxes[0].warningIcon);
    EXPECT_EQ(SoundDevice(), nullptr);

    TempFolder folder("sound");
    const std::string path = folder.Path("sound.wav");
    ASSERT_TRUE(WriteWholeFile(path, RiffWave({WaveChunk("fmt ", WaveFormat(1, 1, 8000, 8)),
                                               WaveChunk("data", PatternBytes(800, 1))})));
    EXPECT_EQ(MakeSoundBuffer(path.c_str(), SOUND_FILE), nullptr);
    EXPECT_EQ(MakeSoundBuffer(MAKEINTRESOURCEA(IDW_TEST_MESSAGE), SOUND_RESOURCE), nullptr);
    ReleaseSoundDevice(); // nothing to release, twice
    ReleaseSoundDevice();
}

TEST_F(NoSoundDevice, TheMessageProgramShowsItsOwnText) {
    std::vector<SeenBox> boxes = OpenExpectingFailure([&] {
        return OpenSoundDevice(
            window_, "Could not create DirectSound object.\n\nVantel requires DirectX(TM) 5 (or better).",
            "level", kMessageWaveFileFlags, 1);
    });
    if (boxes.size() == 1 && boxes[0].text == "device opened")
        GTEST_SKIP() << "this machine has a sound device of its own";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Could not create DirectSound object.\n\nVantel requires DirectX(TM) 5 (or better).");

    // Without texts the failure is silent.
    boxes =
        OpenExpectingFailure([&] { return OpenSoundDevice(window_, NULL, NULL, kClockWaveFileFlags, 0); });
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(SoundDevice(), nullptr);
}

} // namespace
