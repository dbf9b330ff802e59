// Where the clock's files live and its one window; set at start, read everywhere.
#ifndef VANTEL_PROGRAM_H
#define VANTEL_PROGRAM_H

#include <windows.h>

struct ClockProgram {
    char directory[MAX_PATH];           // directory of vantel.exe, no trailing backslash
    char settingsPath[MAX_PATH];        // <directory>\vantel.ini
    char messageSettingsPath[MAX_PATH]; // <directory>\vantelmsg.ini, read by vantelmsg.exe
    HINSTANCE instance;                 // module of the running program
    HWND window;                        // the clock face
};

extern ClockProgram g_program;

#endif
