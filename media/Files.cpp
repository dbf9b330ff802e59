#include "Files.h"

#include <windows.h>

#include <cstdio>

int PathFound(const char* path, int* isDirectory) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    if (isDirectory)
        *isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return 1;
}

int FileExists(const char* path) {
    int isDirectory = 0;
    return PathFound(path, &isDirectory) && !isDirectory;
}

int DirectoryExists(const char* path) {
    int isDirectory = 0;
    return PathFound(path, &isDirectory) && isDirectory;
}

static int OpensForReading(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    CloseHandle(file);
    return 1;
}

static int OpensForWriting(const char* path) {
    int missing = !FileExists(path);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              missing ? CREATE_NEW : OPEN_EXISTING,
                              missing ? FILE_FLAG_DELETE_ON_CLOSE : FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(file);
    return 1;
}

int CheckSettingsFile(HWND owner, const char* path) {
    int state = !OpensForReading(path)   ? SETTINGS_FILE_UNREADABLE
                : !OpensForWriting(path) ? SETTINGS_FILE_UNWRITABLE
                                         : SETTINGS_FILE_USABLE;
    if (state == SETTINGS_FILE_USABLE)
        return state;
    char text[MAX_PATH + 128];
    snprintf(text, sizeof(text),
             state == SETTINGS_FILE_UNREADABLE
                 ? "Cannot read the settings file \"%s\".\nDefault settings are used, and changes will not "
                   "be saved."
                 : "Cannot write the settings file \"%s\".\nChanges will not be saved.",
             path);
    MessageBoxA(owner, text, "Vantel - Error", MB_OK | MB_ICONWARNING);
    return state;
}

void GetProgramDirectory(char* directory, int size) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    if (length >= sizeof(path))
        length = sizeof(path) - 1;
    path[length] = '\0';
    char* slash = strrchr(path, '\\');
    if (slash)
        *slash = '\0';
    else
        lstrcpyA(path, "c:");
    lstrcpynA(directory, path, size);
}
