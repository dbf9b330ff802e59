#include "Files.h"

#include <windows.h>

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

int SettingsFileReadable(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    CloseHandle(file);
    return 1;
}

int SettingsFileWritable(const char* path) {
    int missing = !FileExists(path);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              missing ? CREATE_NEW : OPEN_EXISTING,
                              missing ? FILE_FLAG_DELETE_ON_CLOSE : FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(file);
    return 1;
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
