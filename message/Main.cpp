// The message program: one reminder in a skinned window that types it out. The
// clock hands the message over in vantelmsg.ini and starts this program.
#include <windows.h>
#include <commctrl.h>

#include "Files.h"
#include "MessageSettings.h"
#include "MessageWindow.h"
#include "PopupWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)previous;
    (void)commandLine; // takes no arguments
    char folder[MAX_PATH];
    GetProgramDirectory(folder, sizeof(folder));
    SetMessageSettingsFolder(folder);

    if (!RegisterMessageClass(instance))
        return 0;
    HWND window = CreateMessageWindow(instance);
    if (!window)
        return 0;
    InitCommonControls(); // the up-down and trackbar controls of the dialogs
    ShowWindow(window, show);
    UpdateWindow(window);
    SetFocus(window);

    return RunMessageLoop();
}
