// The clock's timers through the real multimedia timers.
#include "Schedule.h"
#include "Settings.h"
#include "Timers.h"
#include "WinTestSupport.h"

#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

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
