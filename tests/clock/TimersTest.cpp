// The clock's timers through the real multimedia timers, and a start of the real
// clock window whose timers cannot start.
#include "ClockWindow.h"
#include "Program.h"
#include "ClockTestSupport.h"
#include "Schedule.h"
#include "Settings.h"
#include "Timers.h"
#include "WinTestSupport.h"

#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The event timer's routine takes the schedule's lock, made once per process.
class TimersEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        InitSchedule();
    }
};
const ::testing::Environment* const kTimersEnvironment =
    ::testing::AddGlobalTestEnvironment(new TimersEnvironment);

} // namespace

TEST(Timers, ATimerThatCannotStartEndsTheClockAfterItsMessage) {
    SetDefaultSettings();
    SetDefaultAppearance();
    HWND window = MakeHiddenWindow();
    ASSERT_TRUE(window);
    TimerHog hog;
    if (!hog.full())
        GTEST_SKIP() << "this platform has no limit on multimedia timers";

    MessageBoxWatcher watcher("Vantel - Error");
    EXPECT_EQ(StartTimers(window), 0);
    std::vector<std::string> boxes = MarkedTexts(watcher.Stop());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Cannot start a multimedia timer required for the animation. [warning icon]");
    EXPECT_FALSE(IsWindow(window)) << "the clock window is destroyed";
    StopTimers(); // nothing left running to kill
}

TEST(Timers, RestartingReplacesBothTimers) {
    SetDefaultSettings();
    SetDefaultAppearance();
    HWND window = MakeHiddenWindow();
    ASSERT_TRUE(window);
    // Each start kills the display timer of the one before, and the event timer when it
    // must change: starting many times over never runs out of the process's timers.
    for (int i = 0; i < 40; i++)
        ASSERT_EQ(StartTimers(window), 1) << i;
    StopTimers();
    DestroyWindow(window);
}

// Holding the display, as every Move or colour pick in the dialogs does, leaves the
// event check ticking: a steady stream of holds must not hold back the reminders.
TEST(Timers, HoldingTheDisplayLeavesTheEventCheckRunning) {
    SetDefaultSettings();
    SetDefaultAppearance();
    HWND window = MakeHiddenWindow();
    ASSERT_TRUE(window);
    ASSERT_EQ(StartTimers(window), 1);
    g_settings.lastEventCheck = 0;
    DWORD started = GetTickCount();
    while (GetTickCount() - started < 3000) {
        HoldTicks();
        Sleep(20);
        ASSERT_EQ(ResumeTicks(window), 1);
        Sleep(80);
    }
    StopTimers();
    DestroyWindow(window);
    EXPECT_NE(g_settings.lastEventCheck, 0) << "no event check in 3 s of held displays";
}

// The real window procedure: a failed start shows its message, yields no window and
// leaves vantel.ini as it was; a start that succeeded saves at its end.
TEST(ClockWindow, OnlyAStartThatSucceededSavesTheSettings) {
    TempFolder folder("clockwindow");
    ASSERT_TRUE(folder.created());
    HINSTANCE instance = PrepareClockWindow(folder.path());
    const std::string seeded = SeedSettingsFile(123, 45);
    ASSERT_NE(seeded.find("WindowPos=123,45"), std::string::npos);
    {
        TimerHog hog;
        if (!hog.full())
            GTEST_SKIP() << "this platform has no limit on multimedia timers";
        MessageBoxWatcher watcher("Vantel - Error");
        HWND window = CreateClockWindow(instance);
        std::vector<std::string> boxes = MarkedTexts(watcher.Stop());
        EXPECT_EQ(window, (HWND)NULL);
        // (A machine without a sound device also says so first.)
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.back(), "Cannot start a multimedia timer required for the animation. [warning icon]");
        EXPECT_EQ(WholeFileText(g_program.settingsPath), seeded) << "the file is left as it was";
    }
    HWND window = CreateClockWindow(instance);
    ASSERT_TRUE(window);
    EndClockWindow(window);
    std::string saved = WholeFileText(g_program.settingsPath);
    EXPECT_NE(saved.find("WindowPos=123,45"), std::string::npos) << saved;
    EXPECT_NE(saved.find("LastEventCheck="), std::string::npos) << saved;
}

// A settings file another program holds cannot be written: the clock says so once,
// at its start, and its end neither says it again nor changes the file.
TEST(ClockWindow, ASettingsFileThatCannotBeWrittenIsToldOnce) {
    TempFolder folder("heldsettings");
    ASSERT_TRUE(folder.created());
    HINSTANCE instance = PrepareClockWindow(folder.path());
    const std::string seeded = SeedSettingsFile(12, 34);
    HANDLE held =
        CreateFileA(g_program.settingsPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    MessageBoxWatcher watcher("Vantel - Error");
    HWND window = CreateClockWindow(instance);
    ASSERT_TRUE(window);
    EndClockWindow(window);
    std::vector<std::string> boxes = MarkedTexts(watcher.Stop());
    CloseHandle(held);
    // (A machine without a sound device also says so.)
    const std::string told = "Cannot write the settings file \"" + std::string(g_program.settingsPath) +
                             "\".\nChanges will not be saved. [warning icon]";
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), told), 1) << ::testing::PrintToString(boxes);
    EXPECT_EQ(WholeFileText(g_program.settingsPath), seeded);

    // Where it can be written, nothing is said, and a missing file is not left behind
    // empty by the check: it is written at the end.
    ASSERT_TRUE(DeleteFileA(g_program.settingsPath));
    MessageBoxWatcher quiet("Vantel - Error");
    window = CreateClockWindow(instance);
    ASSERT_TRUE(window);
    EXPECT_EQ(GetFileAttributesA(g_program.settingsPath), INVALID_FILE_ATTRIBUTES);
    EndClockWindow(window);
    boxes = MarkedTexts(quiet.Stop());
    EXPECT_EQ(
        std::count_if(boxes.begin(), boxes.end(),
                      [](const std::string& box) { return box.find("settings file") != std::string::npos; }),
        0);
    EXPECT_NE(WholeFileText(g_program.settingsPath).find("WindowPos="), std::string::npos);
}

// One that cannot even be read stays as it is for the whole run, also when the other
// program lets go before the clock ends: the defaults the clock then runs with would
// replace the user's events and settings.
TEST(ClockWindow, ASettingsFileThatCannotBeReadIsToldOnceAndNeverWritten) {
    TempFolder folder("lockedsettings");
    ASSERT_TRUE(folder.created());
    HINSTANCE instance = PrepareClockWindow(folder.path());
    const std::string seeded = SeedSettingsFile(12, 34);
    HANDLE held = CreateFileA(g_program.settingsPath, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    MessageBoxWatcher watcher("Vantel - Error");
    HWND window = CreateClockWindow(instance);
    CloseHandle(held);
    ASSERT_TRUE(window);
    EndClockWindow(window);
    std::vector<std::string> boxes = MarkedTexts(watcher.Stop());
    const std::string told = "Cannot read the settings file \"" + std::string(g_program.settingsPath) +
                             "\".\nDefault settings are used, and changes will not be saved. [warning icon]";
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), told), 1) << ::testing::PrintToString(boxes);
    EXPECT_EQ(
        std::count_if(boxes.begin(), boxes.end(),
                      [](const std::string& box) { return box.find("settings file") != std::string::npos; }),
        1)
        << "nothing more about the file";
    EXPECT_EQ(WholeFileText(g_program.settingsPath), seeded);
}
