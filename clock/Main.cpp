// The clock program: a borderless clock face with reminders.
#include <windows.h>
#include <commctrl.h>

#include "ClockWindow.h"
#include "PopupWindow.h"
#include "Program.h"
#include "Schedule.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)previous;
    (void)commandLine;
    InitSchedule();
    InitProgramPaths(instance);
    if (!ClaimProgramFolder())
        return 0;
    if (!RegisterClockClass(instance))
        return 0;
    HWND window = CreateClockWindow(instance);
    if (!window)
        return 0;
    PublishClockWindow(window);

    InitCommonControls();
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_DATE_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    ShowWindow(window, show);
    UpdateWindow(window);
    SetFocus(window);
    return RunMessageLoop();
}
