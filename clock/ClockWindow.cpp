#include "ClockWindow.h"
#include "Dialogs.h"
#include "EventCheck.h"
#include "Launcher.h"
#include "Display.h"
#include "Files.h"
#include "PopupWindow.h"
#include "Program.h"
#include "Schedule.h"
#include "Settings.h"
#include "Timers.h"
#include "WindowShape.h"
#include "../resources/resource.h"

static const char kClassName[] = "Vantel";
static const char kWindowTitle[] = "Vantel - Digital clock";

static struct {
    WindowDrag drag; // the whole face is a drag handle
    int created;     // 1 once the window's creation succeeded: only then are settings saved
    int keepFile;    // 1 when vantel.ini could not be read: the run must not write over it
} g_clock;

static LRESULT OnCreate(HWND window) {
    // A file that cannot be read holds what is not known here: the clock runs on the
    // defaults and never writes it.
    g_clock.keepFile = CheckSettingsFile(window, g_program.settingsPath) == SETTINGS_FILE_UNREADABLE;
    if (g_clock.keepFile || !FileExists(g_program.settingsPath)) {
        SetDefaultSettings();
        SetDefaultAppearance();
    } else if (!LoadSettings(window)) {
        SetDefaultAppearance();
    }
    if (!InitDisplay(window))
        return -1;
    ApplyWindowRegion(window, BackgroundSurface(), g_appearance.transparentColor, SHAPE_CLOCK);
    BuildDigitCells(DigitsWidth(), DigitsHeight());
    ClampDigitSlots();
    StartLauncher(window, g_program.messageSettingsPath);
    StartSchedule();
    if (!StartTimers(window))
        return -1; // the window is already gone
    g_clock.created = 1;
    SetWindowPos(window, g_settings.alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, g_settings.windowPos.x,
                 g_settings.windowPos.y, 0, 0, SWP_NOSIZE);
    // A clock saved on a monitor that is gone, or beyond a lowered resolution.
    POINT onScreen;
    KeepWindowOnScreen(window, &onScreen);
    return 0;
}

// Writes vantel.ini, as at exit; a creation that failed, or a file that could not be
// read at start, is left as it was. The last check saved lies before any reminder
// whose start has not been made yet.
static void StoreSettings(HWND window) {
    if (g_clock.created && !g_clock.keepFile)
        SaveSettingsChecked(window, SettledLastCheck());
}

// Saves before waiting for the launcher, which may take seconds that a logoff does
// not give; once the starts it made meanwhile are known, the last check follows them.
static void OnDestroy(HWND window) {
    PublishClockWindow(NULL);
    StopTimers();
    StoreSettings(window);
    int saved = g_clock.created && !g_clock.keepFile;
    g_clock.created = 0;
    CalendarTime unstarted = UnstartedSince();
    StopLauncher();
    if (saved && UnstartedSince() != unstarted)
        SaveLastEventCheck(SettledLastCheck());
    KillTimer(window, kSoundIdleTimer);
    ReleaseEventSounds();
    ReleaseDisplay();
    PostQuitMessage(0);
}

static void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    RepaintFace();
    ResumeDrawing();
    EndPaint(window, &paint);
}

// An event's sound, read here rather than on the timer thread, where a large file
// or a slow share would hold the face and the event check.
static void OnEventSound(HWND window, LPARAM path) {
    PlayEventSound(window, (const char*)path);
    HeapFree(GetProcessHeap(), 0, (void*)path);
}

static void OnTimer(HWND window, WPARAM id) {
    if (id == kSoundIdleTimer)
        CheckEventSoundsIdle(window);
}

// A failure met on another thread, shown here so that no timer waits for the box.
static void OnReport(HWND window, LPARAM text) {
    MessageBoxA(window, (const char*)text, "Vantel - Error", MB_OK | MB_ICONWARNING);
    HeapFree(GetProcessHeap(), 0, (void*)text);
}

static void OnEndSession(HWND window, WPARAM ending) {
    if (ending)
        DestroyWindow(window);
}

static LRESULT OnContextMenu(HWND window, WPARAM wParam, LPARAM lParam) {
    POINT at = ContextMenuPoint(window, lParam);
    HMENU menu = LoadMenuA(g_program.instance, MAKEINTRESOURCEA(IDM_CLOCK_MENU));
    if (!menu)
        return DefWindowProcA(window, WM_CONTEXTMENU, wParam, lParam);
    HMENU popup = GetSubMenu(menu, 0);
    if (g_settings.clockMode != 2)
        EnableMenuItem(popup, 3, MF_BYPOSITION | MF_GRAYED);
    TrackPopupMenuEx(popup, 0, at.x, at.y, window, NULL);
    DestroyMenu(menu); // destroys the popup with it
    RepaintFace();
    return 0;
}

// OK replaces the event table and rebuilds the due list in one step. What a dialog
// confirms is saved at once: a crash or a killed process must not lose it.
static void OnEvents(HWND window) {
    if (EventsDialog(window) == IDOK)
        StoreSettings(window);
    RepaintFace();
}

static void OnPreferences(HWND window) {
    if (PreferencesDialog(window))
        StoreSettings(window);
}

static void OnLoadSkin(HWND window) {
    if (LoadSkinCommand(window))
        StoreSettings(window);
}

// After a sleep or a change of the system time, occurrences may have fallen due
// unseen or moved.
static void OnPowerBroadcast(WPARAM event) {
    if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND)
        RescheduleEvents();
}

static void OnCommand(HWND window, WPARAM command) {
    switch (command) {
    case IDM_EXIT: PostMessageA(window, WM_CLOSE, 0, 0); break;
    case IDM_PREFERENCES: OnPreferences(window); break;
    case IDM_LOAD_SKIN: OnLoadSkin(window); break;
    case IDM_SAVE_SKIN: SaveSkinCommand(window); break;
    case IDM_EVENTS: OnEvents(window); break;
    case IDM_STOPWATCH_START: StopwatchStart(); break;
    case IDM_STOPWATCH_STOP: StopwatchStop(); break;
    case IDM_STOPWATCH_CONTINUE: StopwatchContinue(); break;
    case IDM_STOPWATCH_RESET: StopwatchReset(); break;
    }
}

static void OnKeyDown(HWND window, WPARAM key) {
    switch (key) {
    case VK_ESCAPE: PostMessageA(window, WM_CLOSE, 0, 0); break;
    case VK_F5: StopwatchStart(); break;
    case VK_F6: StopwatchStop(); break;
    case VK_F7: StopwatchContinue(); break;
    case VK_F8: StopwatchReset(); break;
    case VK_F11: SetFrameRateDisplay(1); break;
    case VK_F12:
        SetFrameRateDisplay(0);
        RepaintFace();
        break;
    }
}

static void OnMouseMove(HWND window, WPARAM wParam, LPARAM lParam) {
    POINT topLeft;
    DragWindow(window, wParam, lParam, &g_clock.drag, &topLeft);
}

static LRESULT CALLBACK ClockWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: OnDestroy(window); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_ENDSESSION: OnEndSession(window, wParam); return 0;
    case WM_CONTEXTMENU: return OnContextMenu(window, wParam, lParam);
    case WM_COMMAND: OnCommand(window, wParam); return 0;
    case WM_KEYDOWN: OnKeyDown(window, wParam); return 0;
    case WM_LBUTTONDOWN: BeginWindowDrag(window, lParam, &g_clock.drag); return 0;
    case WM_MOUSEMOVE: OnMouseMove(window, wParam, lParam); return 0;
    case WM_LBUTTONUP: EndWindowDrag(&g_clock.drag); return 0;
    case WM_CAPTURECHANGED: LoseWindowDrag(&g_clock.drag); return 0;
    case WM_LBUTTONDBLCLK: OnPreferences(window); return 0;
    case WM_VANTEL_REPORT: OnReport(window, lParam); return 0;
    case WM_VANTEL_SOUND: OnEventSound(window, lParam); return 0;
    case WM_VANTEL_SOUND_SOON: PrepareEventSound(window); return 0;
    case WM_TIMER: OnTimer(window, wParam); return 0;
    case WM_POWERBROADCAST: OnPowerBroadcast(wParam); return TRUE;
    case WM_TIMECHANGE: RescheduleEvents(); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RegisterClockClass(HINSTANCE instance) {
    return RegisterPopupClass(instance, kClassName, ClockWndProc, IDI_VANTEL);
}

HWND CreateClockWindow(HINSTANCE instance) {
    return CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, kWindowTitle, WS_POPUP, 0, 0, 640, 480, NULL, NULL,
                           instance, NULL);
}
