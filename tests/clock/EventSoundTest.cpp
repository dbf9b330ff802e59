// The real clock window's sound device: opened only for an event's sound, released
// some seconds after it. ctest gives these cases a home whose ALSA default writes what
// is played to a file, so DirectSound opens for real.
#include "ClockTestSupport.h"
#include "EventTable.h"
#include "Sound.h"

#include <gtest/gtest.h>

#include <ctime>
#include <functional>

namespace {

// Runs the window's messages until done() or the time is up; whether done() came.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(10);
    }
}

// A clock with one event due in two seconds, which plays a wave file or starts a
// program: the device is open only around the sound.
void RunClockWithEvent(bool withSound) {
    TempFolder folder("eventsound");
    ASSERT_TRUE(folder.created());
    HINSTANCE instance = PrepareClockWindow(folder.path());
    const std::string wave = folder.Path("tone.wav");
    ASSERT_TRUE(WriteWholeFile(wave, RiffWave({WaveChunk("fmt ", WaveFormat(1, 1, 8000, 8)),
                                               WaveChunk("data", Bytes(2400, 0x40))})));
    SeedSettingsFile(10, 10);
    EventRecord* event = &g_events.slots[0];
    ZeroMemory(event, sizeof(*event));
    const time_t due = time(NULL) + 2;
    event->startTime = (CalendarTime)due;
    if (withSound)
        lstrcpynA(event->soundFile, wave.c_str(), sizeof(event->soundFile));
    else
        lstrcpynA(event->appFile, "cmd.exe /c exit", sizeof(event->appFile));
    HWND placed = MakeHiddenWindow(10, 10);
    ASSERT_TRUE(SaveSettings(placed));
    DestroyWindow(placed);

    HWND window = CreateClockWindow(instance);
    ASSERT_TRUE(window);
    EXPECT_EQ(SoundDevice(), nullptr) << "no device at the start";
    if (!withSound) {
        PumpUntil([&] { return SoundDevice() != nullptr; }, 4000);
        EXPECT_EQ(SoundDevice(), nullptr) << "an event without a sound opens none";
    } else {
        ASSERT_TRUE(PumpUntil([&] { return SoundDevice() != nullptr; }, 4000))
            << "the device opens before the sound's second";
        EXPECT_LE(time(NULL), due) << "opened ahead of the sound";
        EXPECT_TRUE(PumpUntil([&] { return SoundDevice() == nullptr; }, 12000))
            << "and is released some seconds after the sound";
    }
    EndClockWindow(window);
}

// The schedule's lock is made by the environment of TimersTest.cpp.
TEST(EventSound, TheDeviceIsOpenOnlyAroundAnEventsSound) {
    for (bool withSound : {false, true}) {
        SCOPED_TRACE(withSound ? "an event with a sound" : "an event without one");
        RunClockWithEvent(withSound);
    }
}

} // namespace
