// Points the clock's file paths at a test's folder.
#ifndef VANTEL_TEST_PROGRAMFOLDER_H
#define VANTEL_TEST_PROGRAMFOLDER_H

#include "Program.h"

#include <cstdio>
#include <string>

// The folder stands for the program directory: vantel.ini, vantelmsg.ini and the
// skins folder are looked for there.
inline void UseProgramFolder(const std::string& folder) {
    lstrcpynA(g_program.directory, folder.c_str(), MAX_PATH);
    snprintf(g_program.settingsPath, MAX_PATH, "%s\\vantel.ini", g_program.directory);
    snprintf(g_program.messageSettingsPath, MAX_PATH, "%s\\vantelmsg.ini", g_program.directory);
}

#endif
