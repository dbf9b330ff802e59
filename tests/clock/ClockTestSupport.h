// What the clock's Windows-side tests share: the clock pointed at a test's folder, a
// settings file seeded there, and the real clock window ended cleanly.
#ifndef VANTEL_TEST_CLOCKTESTSUPPORT_H
#define VANTEL_TEST_CLOCKTESTSUPPORT_H

#include "ClockWindow.h"
#include "Program.h"
#include "Settings.h"
#include "WinTestSupport.h"

#include <cstdio>
#include <string>

// The folder stands for the program directory: vantel.ini, vantelmsg.ini and the
// skins folder are looked for there.
inline void UseProgramFolder(const std::string& folder) {
    lstrcpynA(g_program.directory, folder.c_str(), MAX_PATH);
    snprintf(g_program.settingsPath, MAX_PATH, "%s\\vantel.ini", g_program.directory);
    snprintf(g_program.messageSettingsPath, MAX_PATH, "%s\\vantelmsg.ini", g_program.directory);
}

// Ready to start the real clock window from the folder; returns the module.
inline HINSTANCE PrepareClockWindow(const std::string& folder) {
    HINSTANCE instance = GetModuleHandleA(NULL);
    InitProgramPaths(instance);
    UseProgramFolder(folder);
    RegisterClockClass(instance); // may be registered by an earlier test
    return instance;
}

// Writes a whole vantel.ini with the defaults, as a clock at x, y saved it; its text.
inline std::string SeedSettingsFile(int x, int y) {
    SetDefaultSettings();
    SetDefaultAppearance();
    HWND placed = MakeHiddenWindow(x, y);
    SaveSettings(placed);
    DestroyWindow(placed);
    return WholeFileText(g_program.settingsPath);
}

// Destroys the clock window. Its end asks the thread to quit; the request is taken
// back, so that later message boxes of the test still show.
inline void EndClockWindow(HWND window) {
    DestroyWindow(window);
    MSG quit;
    PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
}

#endif
