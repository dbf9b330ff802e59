// File and directory tests shared by both programs.
#ifndef VANTEL_FILES_H
#define VANTEL_FILES_H

#include <windows.h>

// 1 when a search for the path finds an entry (only the first one found counts);
// *isDirectory, when asked for, tells whether that entry is a directory.
int PathFound(const char* path, int* isDirectory);

// 1 when a search for the path finds an entry that is not a directory, else 0.
int FileExists(const char* path);

// 1 when a search for the path finds a directory, else 0.
int DirectoryExists(const char* path);

enum { SETTINGS_FILE_USABLE = 0, SETTINGS_FILE_UNREADABLE = 1, SETTINGS_FILE_UNWRITABLE = 2 };

// Opens the settings file at `path` as the private-profile calls open it (sharing
// reading and writing with others) and tells the user once, in a warning box owned by
// `owner`, when it is there but cannot be read (another program holds it without
// sharing it: the run must then never write it, or the defaults it runs with would
// replace what the user had), or when it cannot be written (a read-only folder or
// file: changes are not saved). A missing file is made for the write probe and goes
// again at once: an empty settings file would read as a damaged one at the next start.
int CheckSettingsFile(HWND owner, const char* path);

// The directory of the running executable, without a trailing backslash; "c:" when
// the executable path holds no backslash. `size` is the buffer's size in bytes.
void GetProgramDirectory(char* directory, int size);

#endif
