// The Digits dialog gives the static controls their cursor back however it ends.
#include "Dialogs.h"
#include "Program.h"
#include "Settings.h"
#include "WinTestSupport.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace {

struct Ending {
    HWND owner;        // the dialog's owner
    bool closeOwner;   // end by destroying the owner (a logoff) rather than by Cancel
    HCURSOR whileOpen; // the static controls' class cursor seen while the dialog was open
    bool found;        // the dialog was found
};

// Waits for the dialog, notes the cursor of its slot pictures and ends it.
DWORD WINAPI EndDigitsDialog(void* context) {
    Ending* ending = (Ending*)context;
    HWND dialog = NULL;
    // Shown once its WM_INITDIALOG has run.
    ending->found = WaitFor(
        [&] {
            return (dialog = FindWindowA("#32770", "Vantel - Digits")) != NULL && IsWindowVisible(dialog);
        },
        10000);
    if (!ending->found)
        return 0;
    ending->whileOpen = (HCURSOR)GetClassLongPtrA(GetDlgItem(dialog, IDC_DIGIT_PICTURE_FIRST), GCLP_HCURSOR);
    if (ending->closeOwner)
        PostMessageA(ending->owner, WM_CLOSE, 0, 0);
    else
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return 0;
}

} // namespace

TEST(DigitsDialog, TheStaticControlsGetTheirCursorBackHoweverTheDialogEnds) {
    g_program.instance = GetModuleHandleA(NULL);
    SetDefaultAppearance();
    HWND probe = CreateWindowA("Static", "", 0, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(probe);
    const HCURSOR before = (HCURSOR)GetClassLongPtrA(probe, GCLP_HCURSOR);
    for (bool closeOwner : {false, true}) {
        Ending ending = {MakeHiddenWindow(), closeOwner, NULL, false};
        ASSERT_TRUE(ending.owner);
        HANDLE thread = CreateThread(NULL, 0, EndDigitsDialog, &ending, 0, NULL);
        ASSERT_TRUE(thread);
        DigitsDialog(ending.owner, NULL);
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        ASSERT_TRUE(ending.found) << (closeOwner ? "owner closed" : "cancelled");
        EXPECT_NE(ending.whileOpen, before) << "the slot cursor while the dialog is open";
        EXPECT_TRUE(ending.whileOpen);
        EXPECT_EQ((HCURSOR)GetClassLongPtrA(probe, GCLP_HCURSOR), before)
            << (closeOwner ? "owner closed" : "cancelled");
        if (IsWindow(ending.owner))
            DestroyWindow(ending.owner);
    }
    DestroyWindow(probe);
}
