// What the borderless windows of both programs share: dragged by any point, a
// context menu that also opens from the keyboard, and the same message loop.
#ifndef VANTEL_POPUPWINDOW_H
#define VANTEL_POPUPWINDOW_H

#include <windows.h>

// Registers the class of such a window: redrawn whole when sized, double clicks,
// the arrow cursor, the window colour behind it, and the icon resource `iconId`
// large and small. 1 or 0.
int RegisterPopupClass(HINSTANCE instance, const char* className, WNDPROC procedure, int iconId);

struct WindowDrag {
    int dragging; // 1 between a left-button press and its release
    POINT grab;   // cursor minus the window's top-left corner at the press
};

// A left-button press at `lParam` (client pixels) starts dragging the window.
void BeginWindowDrag(HWND window, LPARAM lParam, WindowDrag* drag);

// While dragging, moves the window with the cursor at `lParam` (WM_MOUSEMOVE's
// wParam and lParam) and gives its new top-left corner in *topLeft; 0 (nothing
// moved) when not dragging. A move without the left button ends a drag whose
// button release was lost.
int DragWindow(HWND window, WPARAM wParam, LPARAM lParam, WindowDrag* drag, POINT* topLeft);

// The left button's release: the drag ends.
void EndWindowDrag(WindowDrag* drag);

// WM_CAPTURECHANGED: the capture went elsewhere (a message box, Alt+Tab), and with it
// the drag.
void LoseWindowDrag(WindowDrag* drag);

// Moves a window that is not wholly on the monitors the least distance into the
// work area of its nearest monitor (a monitor removed, a resolution lowered). 1 when
// it moved; *topLeft then holds its new top-left corner.
int KeepWindowOnScreen(HWND window, POINT* topLeft);

// Moves `box` (a dialog) beside `window` so that it does not hide it, within the work
// area of the window's monitor.
void PlaceBesideWindow(HWND box, HWND window);

// Where a WM_CONTEXTMENU with `lParam` opens its menu: the clicked point, or the
// window's top-left corner when the menu key or Shift+F10 asked for it.
POINT ContextMenuPoint(HWND window, LPARAM lParam);

// Runs the message loop, waiting while no message is queued; returns WM_QUIT's code.
int RunMessageLoop();

#endif
