// Where a display tick's time goes: each piece of the clock's 25 ms tick timed on its
// own, many times over, on a thread that is not the window's (as the multimedia timer's
// is not). The window is the clock's default face (its built-in bitmaps, 216 x 71) at
// (10, 10); the window's thread runs its messages meanwhile. Prints microseconds per
// call of the process's CPU time (user and kernel, all threads: what the clock's goals
// count) and of wall time, which also holds the waits for the wineserver and the X
// server; a loaded machine stretches both.
#include "Screen.h"
#include "Surface.h"
#include "resource.h"

#include <cstdio>

static const int kRounds = 2000;

static struct {
    HWND window;
    ScreenObjects screen;
    IDirectDrawSurface3* background;
    IDirectDrawSurface3* digits;
    IDirectDrawSurface3* face; // off-screen copy of the face
    LARGE_INTEGER frequency;
} g_bench;

static HRESULT NoRestore() {
    return DD_OK;
}

static RECT g_slot = {165, 15, 190, 45}; // the seconds' units of the default face
static RECT g_cell = {100, 0, 125, 30};  // digit 4

// Asked of the window before every blit to the screen, as the clock does.
static void ToScreen(RECT* rect) {
    RECT client;
    ClientRectOnScreen(g_bench.window, &client);
    OffsetRect(rect, client.left, client.top);
}

// The pieces. Each is one call of what a tick does.
static void ReadClock() {
    SYSTEMTIME now;
    GetLocalTime(&now);
}

static void ClientRect() {
    RECT client;
    ClientRectOnScreen(g_bench.window, &client);
}

static void WipeAndDigitToScreen() {
    RECT to = g_slot, from = g_slot, cell = g_cell;
    ToScreen(&to);
    BlitToScreen(&g_bench.screen, &to, g_bench.background, &from, DDBLT_WAIT, NoRestore);
    BlitToScreen(&g_bench.screen, &to, g_bench.digits, &cell, DDBLT_WAIT | DDBLT_KEYSRC, NoRestore);
}

static void ComposeOffScreen() {
    RECT to = g_slot, from = g_slot, cell = g_cell;
    g_bench.face->Blt(&to, g_bench.background, &from, DDBLT_WAIT, NULL);
    g_bench.face->Blt(&to, g_bench.digits, &cell, DDBLT_WAIT | DDBLT_KEYSRC, NULL);
}

static void FaceSlotToScreen() {
    RECT to = g_slot, from = g_slot;
    ToScreen(&to);
    BlitToScreen(&g_bench.screen, &to, g_bench.face, &from, DDBLT_WAIT, NoRestore);
}

static void FaceSlotAndLook() {
    FaceSlotToScreen();
    MSG none;
    PeekMessageA(&none, (HWND)-1, 0, 0, PM_NOREMOVE);
}

static void FaceSlotAndWake() {
    FaceSlotToScreen();
    PostMessageA(g_bench.window, WM_NULL, 0, 0);
}

static void WaitForBlank() {
    g_bench.screen.dd2->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, NULL);
}

struct Piece {
    const char* name;
    void (*run)();
};

static const Piece kPieces[] = {
    {"clock read (GetLocalTime)", ReadClock},
    {"WaitForVerticalBlank", WaitForBlank},
    {"client rectangle on the screen, asked of the window", ClientRect},
    {"before: client rectangle + wipe + keyed digit, 2 blits", WipeAndDigitToScreen},
    {"now: wipe + keyed digit into the off-screen face", ComposeOffScreen},
    {"now: client rectangle + the face's slot, 1 blit", FaceSlotToScreen},
    {"1 blit + before: WM_NULL to the window's thread", FaceSlotAndWake},
    {"1 blit + now: the timer thread looks at its messages", FaceSlotAndLook},
};

// The process's user and kernel time so far, in 100 ns units.
static ULONGLONG ProcessTime() {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    return ((ULONGLONG)kernel.dwHighDateTime << 32 | kernel.dwLowDateTime) +
           ((ULONGLONG)user.dwHighDateTime << 32 | user.dwLowDateTime);
}

// Microseconds per call: CPU time of the process, and wall time.
static void Measure(void (*run)(), double* cpu, double* wall) {
    run();     // the first call may set things up
    Sleep(50); // and the window's thread catch up
    LARGE_INTEGER start, end;
    ULONGLONG before = ProcessTime();
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kRounds; i++)
        run();
    QueryPerformanceCounter(&end);
    Sleep(50); // what the window's thread does for the last calls
    *cpu = (double)(ProcessTime() - before) / 10.0 / kRounds;
    *wall = (double)(end.QuadPart - start.QuadPart) * 1e6 / (double)g_bench.frequency.QuadPart / kRounds;
}

static DWORD WINAPI MeasureAll(LPVOID) {
    printf("tick_bench: pieces of a display tick, %d calls each, microseconds per call\n", kRounds);
    printf("  %-56s %8s %8s\n", "", "CPU", "wall");
    for (const Piece& piece : kPieces) {
        double cpu = 0, wall = 0;
        Measure(piece.run, &cpu, &wall);
        printf("  %-56s %8.1f %8.1f\n", piece.name, cpu, wall);
    }
    fflush(stdout);
    PostMessageA(g_bench.window, WM_CLOSE, 0, 0);
    return 0;
}

static LRESULT CALLBACK BenchWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int main() {
    HINSTANCE instance = GetModuleHandleA(NULL);
    QueryPerformanceFrequency(&g_bench.frequency);
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = BenchWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "Vantel Tick Bench";
    RegisterClassA(&windowClass);
    g_bench.window = CreateWindowExA(WS_EX_TOOLWINDOW, windowClass.lpszClassName, "Vantel - Tick bench",
                                     WS_POPUP, 10, 10, 216, 71, NULL, NULL, instance, NULL);
    const char* failure = g_bench.window ? CreateScreenObjects(g_bench.window, &g_bench.screen) : "no window";
    if (failure) {
        printf("tick_bench: %s\n", failure);
        return 1;
    }
    g_bench.background = LoadBitmapSurface(g_bench.screen.dd2, MAKEINTRESOURCEA(IDB_BACKGROUND), 0, 0);
    g_bench.digits = LoadBitmapSurface(g_bench.screen.dd2, MAKEINTRESOURCEA(IDB_DIGITS), 0, 0);
    g_bench.face = CreatePlainSurface(g_bench.screen.dd2, 216, 71);
    if (!g_bench.background || !g_bench.digits || !g_bench.face) {
        printf("tick_bench: cannot make the surfaces\n");
        return 1;
    }
    SetSurfaceColorKey(g_bench.digits, RGB(255, 0, 255));
    RECT whole = {0, 0, 216, 71};
    g_bench.face->Blt(&whole, g_bench.background, &whole, DDBLT_WAIT, NULL);
    ShowWindow(g_bench.window, SW_SHOWNORMAL);
    UpdateWindow(g_bench.window);

    HANDLE thread = CreateThread(NULL, 0, MeasureAll, NULL, 0, NULL);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    WaitForSingleObject(thread, INFINITE);
    g_bench.face->Release();
    g_bench.digits->Release();
    g_bench.background->Release();
    ReleaseScreenObjects(&g_bench.screen);
    return 0;
}
