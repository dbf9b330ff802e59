// The launcher's hand-over of a message through the real private-profile calls.
#include "Launcher.h"
#include "MessageFile.h"
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

// A full queue refuses a start not in silence: it is told once, and its reminder
// counts as not started, for the last check saved at exit.
TEST(Launcher, AStartAFullQueueRefusesIsToldOnceAndCountsAsNotStarted) {
    TempFolder folder("fullqueue");
    ASSERT_TRUE(folder.created());
    const std::string path = folder.Path("vantelmsg.ini");
    HWND window = MakeHiddenWindow();
    ASSERT_TRUE(window);
    ASSERT_TRUE(StartLauncher(window, path.c_str()));
    const CalendarTime at = ParseDateText("2003-06-15 20:00:00");

    // The first hand-over waits for the file's lock, held here, while the queue fills.
    HANDLE lock = LockMessageFile();
    QueueMessage("15.06.2003 20:00:00", "first", at);
    EXPECT_TRUE(WaitFor([] { return UnstartedSince() == -1; }, 2000)) << "the first start is under way";
    for (int i = 0; i < 64; i++)
        QueueMessage("15.06.2003 20:00:05", "queued", at + 5);
    EXPECT_EQ(UnstartedSince(), at + 5);
    QueueMessage("15.06.2003 20:00:02", "refused", at + 2);
    QueueMessage("15.06.2003 20:00:03", "refused too", at + 3);
    EXPECT_EQ(UnstartedSince(), at + 2);
    UnlockMessageFile(lock);
    StopLauncher();
    EXPECT_EQ(UnstartedSince(), at + 2) << "the refused reminder stays not started";

    int told = 0;
    MSG report;
    while (PeekMessageA(&report, window, WM_VANTEL_REPORT, WM_VANTEL_REPORT, PM_REMOVE)) {
        told += std::string((const char*)report.lParam).find("Too many reminders") == 0;
        HeapFree(GetProcessHeap(), 0, (void*)report.lParam);
    }
    DestroyWindow(window);
    EXPECT_EQ(told, 1);
}
