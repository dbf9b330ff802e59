// An appearance applied to the real clock window: a bitmap that cannot be loaded
// leaves the face and the whole appearance as they were.
#include "ClockWindow.h"
#include "Display.h"
#include "Program.h"
#include "ClockTestSupport.h"
#include "Settings.h"
#include "Skins.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

TEST(ApplySkin, AFailedLoadKeepsTheFaceAndBringsTheWholeAppearanceBack) {
    TempFolder folder("applyskin");
    ASSERT_TRUE(folder.created());
    HINSTANCE instance = PrepareClockWindow(folder.path());
    ASSERT_TRUE(WriteWholeFile(folder.Path("text.bmp"), std::string("not a bitmap")));
    HWND window;
    {
        MessageBoxWatcher soundless; // a machine without a sound device says so
        window = CreateClockWindow(instance);
        soundless.Stop();
    }
    ASSERT_TRUE(window);
    IDirectDrawSurface3* face = BackgroundSurface();
    const ClockAppearance previous = g_appearance;

    for (int broken = 0; broken < 2; broken++) {
        // A skin's values with a picture that is no bitmap: background, then digits.
        lstrcpyA(broken == 0 ? g_appearance.backgroundBmp : g_appearance.digitsBmp,
                 folder.Path("text.bmp").c_str());
        g_appearance.transparentColor = RGB(0, 255, 0);
        g_appearance.firstDigit = 0;
        g_appearance.lastDigit = 11;
        g_appearance.slots[3].left = 77;
        g_settings.alwaysOnTop = broken == 0; // taken from the Preferences as stored, all the same
        MessageBoxWatcher watcher("Vantel - Error");
        EXPECT_EQ(ApplySkin(window, &previous), 0);
        EXPECT_EQ((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, broken == 0);
        std::vector<std::string> boxes = MarkedTexts(watcher.Stop());
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], "Cannot load \"" + folder.Path("text.bmp") + "\". [warning icon]");
        EXPECT_EQ(memcmp(&g_appearance, &previous, sizeof(previous)), 0) << "the whole appearance comes back";
        EXPECT_EQ(BackgroundSurface(), face) << "the face keeps its surfaces";
    }

    // The built-in pictures load; the face takes new surfaces and the window their size.
    g_appearance.lastDigit = 11;
    MessageBoxWatcher watcher("Vantel - Error");
    EXPECT_EQ(ApplySkin(window, &previous), 1);
    EXPECT_TRUE(watcher.Stop().empty());
    EXPECT_NE(BackgroundSurface(), (IDirectDrawSurface3*)NULL);
    EXPECT_EQ(g_appearance.lastDigit, 11);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 216);
    EXPECT_EQ(rect.bottom - rect.top, 71);
    EndClockWindow(window);
}
