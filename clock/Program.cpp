#include "Program.h"
#include "Files.h"

#include <cstdio>

ClockProgram g_program;

// What the folder's clock tells later starts, in memory shared by name.
struct FolderClock {
    volatile LONG window; // its window as a handle value; 0 while starting or ending
    volatile LONG ending; // 1 once its window is going
};

static struct {
    HANDLE running;     // mutex held by the folder's clock for its whole run
    HANDLE shared;      // file mapping of `clock`
    FolderClock* clock; // null when it could not be shared
} g_folderClaim;

// The name of an object of the folder: object names hold no backslash, and the
// folder's name is matched without regard to case, as its file system does.
static void FolderObjectName(const char* kind, char* name, int size) {
    char folder[MAX_PATH];
    lstrcpynA(folder, g_program.directory, sizeof(folder));
    CharUpperA(folder);
    unsigned long long hash = 14695981039346656037ull; // FNV-1a
    for (const char* c = folder; *c; c++)
        hash = (hash ^ (unsigned char)*c) * 1099511628211ull;
    snprintf(name, size, "Vantel.%s.%016llx", kind, hash);
}

int ClaimProgramFolder() {
    char name[64];
    FolderObjectName("Clock", name, sizeof(name));
    g_folderClaim.running = CreateMutexA(NULL, FALSE, name);
    FolderObjectName("Window", name, sizeof(name));
    g_folderClaim.shared =
        CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(FolderClock), name);
    if (g_folderClaim.shared)
        g_folderClaim.clock =
            (FolderClock*)MapViewOfFile(g_folderClaim.shared, FILE_MAP_WRITE, 0, 0, sizeof(FolderClock));
    if (!g_folderClaim.running)
        return 1; // nothing to tell by: run
    // A clock that is ending gives the folder up when its process ends (its launcher
    // may wait seconds first); one that is starting shows its window in a moment.
    DWORD started = GetTickCount();
    for (;;) {
        DWORD waited = WaitForSingleObject(g_folderClaim.running, 100);
        if (waited != WAIT_TIMEOUT)
            return 1; // taken, or abandoned by a clock that ended without letting go
        FolderClock* clock = g_folderClaim.clock;
        HWND running = clock ? (HWND)(LONG_PTR)clock->window : NULL;
        if (running && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
        int ending = clock && clock->ending;
        if (GetTickCount() - started > (ending ? 30000u : 10000u))
            return 0; // still starting (a box of its start waits for the user)
    }
}

void PublishClockWindow(HWND window) {
    FolderClock* clock = g_folderClaim.clock;
    if (!clock)
        return;
    // Window handles have 32 significant bits in 32- and 64-bit processes alike.
    InterlockedExchange(&clock->window, (LONG)(LONG_PTR)window);
    // A clock that took the folder over from an ending one is no longer ending.
    InterlockedExchange(&clock->ending, window ? 0 : 1);
}

void InitProgramPaths(HINSTANCE instance) {
    GetProgramDirectory(g_program.directory, sizeof(g_program.directory));
    snprintf(g_program.settingsPath, sizeof(g_program.settingsPath), "%s\\vantel.ini", g_program.directory);
    snprintf(g_program.messageSettingsPath, sizeof(g_program.messageSettingsPath), "%s\\vantelmsg.ini",
             g_program.directory);
    g_program.instance = instance;
}

int ResolveProgramPath(char* path, int size) {
    if (path[0] != '\\')
        return 1;
    char full[2 * MAX_PATH];
    int length = snprintf(full, sizeof(full), "%s%s", g_program.directory, path);
    int limit = size < MAX_PATH ? size : MAX_PATH;
    lstrcpynA(path, full, limit);
    return length >= 0 && length < limit;
}

int PostTextToWindow(HWND window, UINT message, const char* text) {
    char* copy = (char*)HeapAlloc(GetProcessHeap(), 0, lstrlenA(text) + 1);
    if (!copy)
        return 0;
    lstrcpyA(copy, text);
    if (PostMessageA(window, message, 0, (LPARAM)copy))
        return 1;
    HeapFree(GetProcessHeap(), 0, copy);
    return 0;
}
