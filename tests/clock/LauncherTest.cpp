// The launcher's hand-over of a message through the real private-profile calls.
#include "Launcher.h"
#include "Program.h"
#include "WinTestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

// A message that cannot be handed over (its file held by another program, as in a
// read-only folder) is told with its date and text, line breaks and all, and the file
// keeps the message it had: a message program started now would show that one.
TEST(Launcher, AMessageThatCannotBeHandedOverIsToldWithItsText) {
    TempFolder folder("handover");
    ASSERT_TRUE(folder.created());
    const std::string path = folder.Path("vantelmsg.ini");
    const std::string before = "[Message]\r\nDate=01.01.2000 00:00:00\r\nText=An older message\r\n";
    ASSERT_TRUE(WriteWholeFile(path, before));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    HWND window = MakeHiddenWindow();
    ASSERT_TRUE(window);
    ASSERT_TRUE(StartLauncher(window, path.c_str()));

    QueueMessage("15.06.2003 20:03:54", "Take the<br>train", ParseDateText("2003-06-15 20:03:54"));
    MSG report = {};
    bool told = WaitFor(
        [&] { return PeekMessageA(&report, window, WM_VANTEL_REPORT, WM_VANTEL_REPORT, PM_REMOVE); }, 10000);
    StopLauncher();
    CloseHandle(held);
    DestroyWindow(window);
    ASSERT_TRUE(told);
    EXPECT_EQ(std::string((const char*)report.lParam),
              "Cannot write the message to \"" + path +
                  "\".\n\nThe message of 15.06.2003 20:03:54:\nTake the\ntrain");
    HeapFree(GetProcessHeap(), 0, (void*)report.lParam);
    EXPECT_EQ(WholeFileText(path), before);
}
