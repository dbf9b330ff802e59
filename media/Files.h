// File and directory tests shared by both programs.
#ifndef VANTEL_FILES_H
#define VANTEL_FILES_H

// 1 when a search for the path finds an entry (only the first one found counts);
// *isDirectory, when asked for, tells whether that entry is a directory.
int PathFound(const char* path, int* isDirectory);

// 1 when a search for the path finds an entry that is not a directory, else 0.
int FileExists(const char* path);

// 1 when a search for the path finds a directory, else 0.
int DirectoryExists(const char* path);

// Whether a settings file can be opened as the private-profile calls open it, sharing
// reading and writing with others; a missing file counts as readable. Writable makes
// a missing file and removes it at once: an empty settings file would read as a
// damaged one at the next start. Both fail while another program holds the file
// without sharing it, and writing fails in a read-only folder or on a read-only file.
int SettingsFileReadable(const char* path);
int SettingsFileWritable(const char* path);

// The directory of the running executable, without a trailing backslash; "c:" when
// the executable path holds no backslash. `size` is the buffer's size in bytes.
void GetProgramDirectory(char* directory, int size);

#endif
