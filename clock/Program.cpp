#include "Program.h"
#include "Files.h"

#include <cstdio>

ClockProgram g_program;

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
