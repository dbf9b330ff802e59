#include "PopupWindow.h"
#include "ScreenArea.h"

#include <windowsx.h>

int RegisterPopupClass(HINSTANCE instance, const char* className, WNDPROC procedure, int iconId) {
    WNDCLASSEXA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(iconId));
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className;
    return RegisterClassExA(&windowClass) != 0;
}

static POINT CursorOnScreen(HWND window, LPARAM lParam) {
    POINT cursor = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(window, &cursor);
    return cursor;
}

void BeginWindowDrag(HWND window, LPARAM lParam, WindowDrag* drag) {
    RECT rect;
    GetWindowRect(window, &rect);
    POINT cursor = CursorOnScreen(window, lParam);
    drag->grab.x = cursor.x - rect.left;
    drag->grab.y = cursor.y - rect.top;
    drag->dragging = 1;
    SetCapture(window);
}

int DragWindow(HWND window, WPARAM wParam, LPARAM lParam, WindowDrag* drag, POINT* topLeft) {
    if (!drag->dragging)
        return 0;
    if (!(wParam & MK_LBUTTON)) {
        EndWindowDrag(drag);
        return 0;
    }
    POINT cursor = CursorOnScreen(window, lParam);
    topLeft->x = cursor.x - drag->grab.x;
    topLeft->y = cursor.y - drag->grab.y;
    SetWindowPos(window, NULL, topLeft->x, topLeft->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return 1;
}

void EndWindowDrag(WindowDrag* drag) {
    ReleaseCapture();
    drag->dragging = 0;
}

void LoseWindowDrag(WindowDrag* drag) {
    drag->dragging = 0;
}

// 1 when every corner of the rectangle lies on some monitor.
static int WhollyOnMonitors(const ScreenRect* rect) {
    POINT corners[4] = {{rect->left, rect->top},
                        {rect->right - 1, rect->top},
                        {rect->left, rect->bottom - 1},
                        {rect->right - 1, rect->bottom - 1}};
    for (const POINT& corner : corners) {
        if (!MonitorFromPoint(corner, MONITOR_DEFAULTTONULL))
            return 0;
    }
    return 1;
}

int KeepWindowOnScreen(HWND window, POINT* topLeft) {
    RECT current;
    if (!GetWindowRect(window, &current))
        return 0;
    ScreenRect rect =
        RectAt(current.left, current.top, current.right - current.left, current.bottom - current.top);
    if (WhollyOnMonitors(&rect))
        return 0;
    MONITORINFO monitor;
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoA(MonitorFromRect(&current, MONITOR_DEFAULTTONEAREST), &monitor))
        return 0;
    ScreenRect work = {monitor.rcWork.left, monitor.rcWork.top, monitor.rcWork.right, monitor.rcWork.bottom};
    MoveIntoArea(&rect, &work);
    SetWindowPos(window, NULL, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    topLeft->x = rect.left;
    topLeft->y = rect.top;
    return 1;
}

static ScreenRect ToScreenRect(const RECT& rect) {
    ScreenRect screen = {rect.left, rect.top, rect.right, rect.bottom};
    return screen;
}

void PlaceBesideWindow(HWND box, HWND window) {
    RECT boxRect, windowRect;
    MONITORINFO monitor;
    monitor.cbSize = sizeof(monitor);
    if (!GetWindowRect(box, &boxRect) || !GetWindowRect(window, &windowRect) ||
        !GetMonitorInfoA(MonitorFromRect(&windowRect, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    ScreenRect clock = ToScreenRect(windowRect), from = ToScreenRect(boxRect),
               work = ToScreenRect(monitor.rcWork);
    ScreenRect placed = PlaceBeside(&clock, &from, 8, &work);
    SetWindowPos(box, NULL, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

POINT ContextMenuPoint(HWND window, LPARAM lParam) {
    POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (at.x == -1 && at.y == -1) {
        at.x = at.y = 0;
        ClientToScreen(window, &at);
    }
    return at;
}

int RunMessageLoop() {
    MSG message;
    for (;;) {
        if (PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&message, NULL, 0, 0))
                return (int)message.wParam;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            WaitMessage();
        }
    }
}
