// What the borderless windows of both programs share: dragged by any point, a
// context menu that also opens from the keyboard, and the same message loop.
#ifndef VANTEL_POPUPWINDOW_H
#define VANTEL_POPUPWINDOW_H

#include <windows.h>

struct WindowDrag {
    int dragging; // 1 between a left-button press and its release
    POINT grab;   // cursor minus the window's top-left corner at the press
};

// A left-button press at `lParam` (client pixels) starts dragging the window.
void BeginWindowDrag(HWND window, LPARAM lParam, WindowDrag* drag);

// While dragging, moves the window with the cursor at `lParam` and gives its new
// top-left corner in *topLeft; 0 (nothing moved) when not dragging.
int DragWindow(HWND window, LPARAM lParam, WindowDrag* drag, POINT* topLeft);

void EndWindowDrag(WindowDrag* drag);

// Where a WM_CONTEXTMENU with `lParam` opens its menu: the clicked point, or the
// window's top-left corner when the menu key or Shift+F10 asked for it.
POINT ContextMenuPoint(HWND window, LPARAM lParam);

// Runs the message loop, waiting while no message is queued; returns WM_QUIT's code.
int RunMessageLoop();

#endif
