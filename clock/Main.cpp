// The clock program: a borderless clock face with reminders.
#include <windows.h>
#include <commctrl.h>

#include "ClockWindow.h"
#include "PopupWindow.h"
#include "Program.h"
#include "Schedule.h"

// The dialogs' common controls (date pickers, list view, trackbars). comctl32.dll takes
// longer to load than anything else the clock uses, so it is loaded once the face
// shows rather than with the program; no dialog can open before the message loop runs.
static void LoadCommonControls() {
    typedef BOOL(WINAPI * InitCommonControlsExProc)(const INITCOMMONCONTROLSEX*);
    HMODULE library = LoadLibraryA("comctl32.dll"); // kept for the program's run
    InitCommonControlsExProc init =
        library ? (InitCommonControlsExProc)(void*)GetProcAddress(library, "InitCommonControlsEx") : NULL;
    INITCOMMONCONTROLSEX controls = {sizeof(controls),
                                     ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_LISTVIEW_CLASSES};
    if (init)
        init(&controls);
}

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

    ShowWindow(window, show);
    UpdateWindow(window);
    SetFocus(window);
    LoadCommonControls();
    return RunMessageLoop();
}
