// Where the clock's files live; set at start, read everywhere.
#ifndef VANTEL_PROGRAM_H
#define VANTEL_PROGRAM_H

#include <windows.h>

struct ClockProgram {
    char directory[MAX_PATH];           // directory of vantel.exe, no trailing backslash
    char settingsPath[MAX_PATH];        // <directory>\vantel.ini
    char messageSettingsPath[MAX_PATH]; // <directory>\vantelmsg.ini, read by vantelmsg.exe
    HINSTANCE instance;                 // module of the running program
};

extern ClockProgram g_program;

// Posted to the clock window by other threads, with lParam a text from HeapAlloc
// that the window frees: a failure to show in a warning box, or the path of an
// event's wave file to play. WM_VANTEL_SOUND_SOON, without a text: an event's sound
// comes due in a few seconds.
enum { WM_VANTEL_REPORT = WM_APP + 1, WM_VANTEL_SOUND = WM_APP + 2, WM_VANTEL_SOUND_SOON = WM_APP + 3 };

// Posts a copy of the text (from HeapAlloc, freed by the window) with the message;
// 0 when the copy could not be made or posted.
int PostTextToWindow(HWND window, UINT message, const char* text);

// Works out the directory and the paths of the settings files.
void InitProgramPaths(HINSTANCE instance);

// One clock per program folder: two would carry out every reminder twice and write
// over each other's events at exit. 1 when this start is the folder's clock (it
// holds that until it ends); 0 when another clock of the folder runs: it has been
// brought to the front (or is still starting), and this start must end. Clocks of
// other folders run side by side.
int ClaimProgramFolder();

// Tells later starts from the folder which window to bring to the front; NULL once
// the window is going.
void PublishClockWindow(HWND window);

// A path that begins with a backslash is taken relative to the program directory
// (completed in place, cut to 259 characters); other paths stay as they are. 0 when
// the completed path had to be cut.
int ResolveProgramPath(char* path, int size);

#endif
