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

void ResolveProgramPath(char* path, int size) {
    if (path[0] != '\\')
        return;
    char full[2 * MAX_PATH];
    snprintf(full, sizeof(full), "%s%s", g_program.directory, path);
    lstrcpynA(path, full, size < MAX_PATH ? size : MAX_PATH);
}
