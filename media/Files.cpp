#include "Files.h"

#include <windows.h>

// Only the first entry found counts, as with a wildcard-free path there is one.
static int FindAttributes(const char* path, DWORD* attributes) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    *attributes = found.dwFileAttributes;
    FindClose(search);
    return 1;
}

int FileExists(const char* path) {
    DWORD attributes;
    return FindAttributes(path, &attributes) && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int DirectoryExists(const char* path) {
    DWORD attributes;
    return FindAttributes(path, &attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY);
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
