// The borderless windows' shared behaviour on real USER windows: a drag follows the
// mouse only while the left button is down and ends with the capture, and a window
// off the monitors comes back onto the nearest one's work area.
#include "PopupWindow.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

namespace {

WindowDrag g_testDrag;

LRESULT CALLBACK DragProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    POINT topLeft;
    switch (message) {
    case WM_LBUTTONDOWN: BeginWindowDrag(window, lParam, &g_testDrag); return 0;
    case WM_MOUSEMOVE: DragWindow(window, wParam, lParam, &g_testDrag, &topLeft); return 0;
    case WM_LBUTTONUP: EndWindowDrag(&g_testDrag); return 0;
    case WM_CAPTURECHANGED: LoseWindowDrag(&g_testDrag); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class PopupWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DragProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "VantelDragTest";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(WS_EX_TOOLWINDOW, "VantelDragTest", "drag", WS_POPUP, 100, 100, 200, 80,
                                  NULL, NULL, GetModuleHandleA(NULL), NULL);
        ASSERT_NE(window_, nullptr);
        g_testDrag = WindowDrag();
    }
    void TearDown() override {
        DestroyWindow(window_);
    }
    POINT TopLeft() {
        RECT rect;
        GetWindowRect(window_, &rect);
        return {rect.left, rect.top};
    }
    // The cursor at x, y of the window's client area, with the keys and buttons.
    void Send(UINT message, WPARAM keys, int x, int y) {
        SendMessageA(window_, message, keys, MAKELPARAM(x, y));
    }
    HWND window_ = NULL;
};

TEST_F(PopupWindowTest, DragFollowsOnlyWhileTheButtonIsDown) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 30, 25);
    EXPECT_EQ(TopLeft().x, 120);
    EXPECT_EQ(TopLeft().y, 115);

    // The release was lost (a box took it): the first move without the button ends it.
    Send(WM_MOUSEMOVE, 0, 60, 60);
    EXPECT_EQ(TopLeft().x, 120);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 80, 80);
    EXPECT_EQ(TopLeft().x, 120) << "a drag once ended stays ended";
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(PopupWindowTest, DragEndsWithTheCapture) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    ASSERT_EQ(GetCapture(), window_);
    HWND other = MakeHiddenWindow();
    SetCapture(other); // as a message box or Alt+Tab would take it
    ReleaseCapture();
    DestroyWindow(other);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 50, 50);
    EXPECT_EQ(TopLeft().x, 100);
    EXPECT_EQ(TopLeft().y, 100);
}

TEST_F(PopupWindowTest, WindowOffTheMonitorsComesBackIntoTheWorkArea) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT work = monitor.rcWork;
    struct {
        int x, y;
        LONG left, top; // where it ends up
        bool moves;
    } const cases[] = {
        {100, 100, 100, 100, false},
        {-3000, -3000, work.left, work.top, true},
        {work.right - 50, work.bottom - 20, work.right - 200, work.bottom - 80, true}, // half off the corner
        {-150, 200, work.left, 200, true},
    };
    for (const auto& c : cases) {
        SetWindowPos(window_, NULL, c.x, c.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        POINT moved = {-1, -1};
        EXPECT_EQ(KeepWindowOnScreen(window_, &moved) != 0, c.moves) << c.x << "," << c.y;
        EXPECT_EQ(TopLeft().x, c.left) << c.x << "," << c.y;
        EXPECT_EQ(TopLeft().y, c.top) << c.x << "," << c.y;
        if (c.moves) {
            EXPECT_EQ(moved.x, c.left);
            EXPECT_EQ(moved.y, c.top);
        }
    }
}

} // namespace
