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
