// The clock's timers through the real multimedia timers, and a start of the real
// clock window whose timers cannot start.
#include "ClockWindow.h"
#include "Program.h"
#include "ProgramFolder.h"
#include "Schedule.h"
#include "Settings.h"
#include "Timers.h"
#include "WinTestSupport.h"

#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

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
    // Each start kills the timers of the one before: starting many times over never
    // runs out of the process's timers.
    for (int i = 0; i < 40; i++)
        ASSERT_EQ(StartTimers(window), 1) << i;
    StopTimers();
    DestroyWindow(window);
}

// The real window procedure: a failed start shows its message, yields no window and
// leaves vantel.ini as it was; a start that succeeded saves at its end.
TEST(ClockWindow, OnlyAStartThatSucceededSavesTheSettings) {
    TempFolder folder("clockwindow");
    ASSERT_TRUE(folder.created());
    HINSTANCE instance = GetModuleHandleA(NULL);
    InitProgramPaths(instance);
    UseProgramFolder(folder.path());
    // A whole settings file, as a clock at 123,45 saved it.
    SetDefaultSettings();
    SetDefaultAppearance();
    HWND placed = MakeHiddenWindow(123, 45);
    ASSERT_TRUE(SaveSettings(placed));
    DestroyWindow(placed);
    const std::string seeded = WholeFileText(g_program.settingsPath);
    ASSERT_TRUE(RegisterClockClass(instance));
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
    DestroyWindow(window);
    MSG quit; // the clock's end asks the thread to quit; later tests still show boxes
    PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
    std::string saved = WholeFileText(g_program.settingsPath);
    EXPECT_NE(saved.find("WindowPos=123,45"), std::string::npos) << saved;
    EXPECT_NE(saved.find("LastEventCheck="), std::string::npos) << saved;
}
