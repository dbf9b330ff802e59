#include "PopupWindow.h"

#include <windowsx.h>

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

int DragWindow(HWND window, LPARAM lParam, WindowDrag* drag, POINT* topLeft) {
    if (!drag->dragging)
        return 0;
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
