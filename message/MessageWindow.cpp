#include "MessageWindow.h"
#include "Animation.h"
#include "MessageDialogs.h"
#include "MessageDisplay.h"
#include "MessageSettings.h"
#include "MessageSound.h"
#include "Placement.h"
#include "PopupWindow.h"
#include "WindowShape.h"
#include "resource.h"

const char kMessageClassName[] = "Vantel Message";
const char kMessageWindowTitle[] = "Vantel - Message";

// Under Wine an open DirectSound device mixes and writes silence all the time, more
// than everything else a complete message window does; on Windows it costs less, but
// still. The device goes a few seconds after the sound's loop has stopped.
const UINT_PTR kSoundIdleTimer = 1;
enum { SOUND_IDLE_MS = 3000 };

static struct {
    HINSTANCE instance; // module of the running program
    int created;        // 1 once the window's creation succeeded: only then is it saved
    WindowDrag drag;    // the whole window is a drag handle
    DWORD soundDoneAt;  // tick count when the sound was first found done; 0 not yet
} g_messageWindow;

// The saved position plus the shift of every set-up; a window that would not be
// wholly on the screen is moved the least distance into the work area of its
// nearest monitor, so a reminder is always seen.
static void PlaceWindow(HWND window) {
    MessageSettings* s = &g_messageSettings;
    DWORD first = GetTickCount();
    DWORD second = GetTickCount();
    ShiftPosition(&s->x, &s->y, first, second);
    SetWindowPos(window, s->alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, s->x, s->y, 0, 0, SWP_NOSIZE);
    POINT onScreen;
    if (KeepWindowOnScreen(window, &onScreen)) {
        s->x = onScreen.x;
        s->y = onScreen.y;
    }
}

int SetUpMessageWindow(HWND window) {
    if (!InitMessageDisplay(window))
        return SETUP_NO_DISPLAY;
    if (g_messageSettings.useTransparency)
        ApplyWindowRegion(window, MessageBackgroundSurface(), g_messageSettings.transparentColor,
                          SHAPE_MESSAGE);
    else
        SetWindowRgn(window, NULL, TRUE);
    PlaceWindow(window);
    if (g_messageSettings.playSound) {
        LocateMessageSound();
        if (InitMessageSound(window)) {
            g_messageWindow.soundDoneAt = 0;
            SetTimer(window, kSoundIdleTimer, 1000, NULL);
        } else {
            g_messageSettings.playSound = 0;
        }
    }
    PrepareMessageText(window);
    if (!StartAnimationTimer(window))
        return SETUP_NO_TIMER;
    return SETUP_DONE;
}

void TearDownMessageWindow() {
    StopAnimationTimer();
    DeleteTextFont();
    ReleaseMessageDisplay();
    ReleaseMessageSound();
}

// Releases the sound device some seconds after the sound's loop has stopped.
static void OnTimer(HWND window, WPARAM id) {
    if (id != kSoundIdleTimer)
        return;
    if (!MessageSoundDone())
        return;
    DWORD now = GetTickCount();
    if (!g_messageWindow.soundDoneAt)
        g_messageWindow.soundDoneAt = now ? now : 1;
    else if (now - g_messageWindow.soundDoneAt >= SOUND_IDLE_MS) {
        KillTimer(window, kSoundIdleTimer);
        ReleaseMessageSound();
    }
}

static LRESULT OnCreate(HWND window) {
    CheckMessageSettingsFile(window);
    LoadMessageSettings(window);
    if (SetUpMessageWindow(window) != SETUP_DONE) {
        TearDownMessageWindow();
        return -1;
    }
    g_messageWindow.created = 1;
    return 0;
}

static void OnDestroy(HWND window) {
    // A window whose creation failed never stood anywhere: its place is not saved.
    if (g_messageWindow.created)
        SaveMessageSettings(window);
    TearDownMessageWindow();
    PostQuitMessage(0);
}

static void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    if (MessageDisplayReady()) {
        RepaintBackground();
        RedrawMessageText();
    }
    EndPaint(window, &paint);
}

static LRESULT OnContextMenu(HWND window, WPARAM wParam, LPARAM lParam) {
    POINT at = ContextMenuPoint(window, lParam);
    HMENU menu = LoadMenuA(g_messageWindow.instance, MAKEINTRESOURCEA(IDM_MESSAGE_MENU));
    if (!menu)
        return DefWindowProcA(window, WM_CONTEXTMENU, wParam, lParam);
    TrackPopupMenuEx(GetSubMenu(menu, 0), 0, at.x, at.y, window, NULL);
    DestroyMenu(menu); // destroys the popup with it
    return 0;
}

// The background covers the text until the next tick draws it again.
static void ShowChange() {
    if (!MessageDisplayReady())
        return;
    RepaintBackground();
    RedrawMessageText();
}

// A confirmed dialog redoes the whole set-up; the window stays open without a
// display when that fails, and closes when the animation cannot run.
static void RunDialog(HWND window, int templateId, DLGPROC procedure) {
    if (DialogBoxParamA(g_messageWindow.instance, MAKEINTRESOURCEA(templateId), window, procedure, 0) != IDOK)
        return;
    TearDownMessageWindow();
    int result = SetUpMessageWindow(window);
    if (result == SETUP_NO_TIMER) {
        DestroyWindow(window);
        return;
    }
    ShowChange();
}

static void OnCommand(HWND window, WPARAM command) {
    switch (command) {
    case IDM_MESSAGE_FONT:
        if (ChooseTextFont(window))
            ShowChange();
        break;
    case IDM_MESSAGE_FONT_COLOR:
        if (ChooseTextColor(window))
            ShowChange();
        break;
    case IDM_MESSAGE_EXIT: PostMessageA(window, WM_CLOSE, 0, 0); break;
    case IDM_MESSAGE_SETTINGS: RunDialog(window, IDD_MESSAGE_SETTINGS, SettingsDialog); break;
    case IDM_MESSAGE_APPEARANCE: RunDialog(window, IDD_MESSAGE_APPEARANCE, AppearanceDialog); break;
    }
}

// Dragging moves the saved position with the window.
static void OnMouseMove(HWND window, WPARAM wParam, LPARAM lParam) {
    POINT topLeft;
    if (DragWindow(window, wParam, lParam, &g_messageWindow.drag, &topLeft)) {
        g_messageSettings.x = topLeft.x;
        g_messageSettings.y = topLeft.y;
    }
}

static LRESULT CALLBACK MessageWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: OnDestroy(window); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_ENDSESSION:
        if (wParam)
            DestroyWindow(window); // saves the settings
        return 0;
    case WM_CONTEXTMENU: return OnContextMenu(window, wParam, lParam);
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_COMMAND: OnCommand(window, wParam); return 0;
    case WM_TIMER: OnTimer(window, wParam); return 0;
    case WM_ANIMATION_DONE: RestAnimation(); return 0;
    case WM_LBUTTONDOWN: BeginWindowDrag(window, lParam, &g_messageWindow.drag); return 0;
    case WM_MOUSEMOVE: OnMouseMove(window, wParam, lParam); return 0;
    case WM_LBUTTONUP: EndWindowDrag(&g_messageWindow.drag); return 0;
    case WM_CAPTURECHANGED: LoseWindowDrag(&g_messageWindow.drag); return 0;
    case WM_LBUTTONDBLCLK: PostMessageA(window, WM_CLOSE, 0, 0); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RegisterMessageClass(HINSTANCE instance) {
    g_messageWindow.instance = instance;
    return RegisterPopupClass(instance, kMessageClassName, MessageWndProc, IDI_MESSAGE);
}

HWND CreateMessageWindow(HINSTANCE instance) {
    g_messageWindow.created = 0;
    return CreateWindowExA(0, kMessageClassName, kMessageWindowTitle, WS_POPUP | WS_SYSMENU, 0, 0, 640, 480,
                           NULL, NULL, instance, NULL);
}
