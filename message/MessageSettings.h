// The message program's settings and the message handed over by the clock, kept in
// vantelmsg.ini in the program folder.
#ifndef VANTEL_MESSAGESETTINGS_H
#define VANTEL_MESSAGESETTINGS_H

#include <windows.h>
#include <cstdint>

enum {
    MESSAGE_DATE_SIZE = 32,  // date line with its terminator
    MESSAGE_TEXT_SIZE = 512, // message text with its terminator
};

struct MessageSettings {
    char dateLine[MESSAGE_DATE_SIZE]; // Message/Date: shown above the text, never parsed
    char text[MESSAGE_TEXT_SIZE];     // Message/Text as read; "<br>" marks a line break
    int32_t displayDate;              // nonzero: the date line is shown above the text
    int32_t charactersPerSecond;      // typing speed
    int32_t x;                        // window's left edge on the screen
    int32_t y;                        // window's top edge on the screen
    int32_t alwaysOnTop;              // nonzero: top-most window
    int32_t playSound;                // nonzero: the message sound loops while typing
    char backgroundBmp[MAX_PATH];     // picture file; empty: the built-in picture
    int32_t backgroundFromFile;       // 1: the picture comes from backgroundBmp; 0: built-in bitmap 103
    int32_t useTransparency;          // nonzero: the window is shaped by transparentColor
    COLORREF transparentColor;        // pixels of this colour are cut out of the window
    RECT textArea;                    // client pixels the text is drawn in
    LOGFONTA font;                    // text font; height, weight, italic, charset and face are stored
    COLORREF fontColor;               // text colour
};

// Where the settings file is; set once at start.
struct MessageSettingsFile {
    char folder[MAX_PATH]; // program folder, no trailing backslash
    char path[MAX_PATH];   // <folder>\vantelmsg.ini; empty until the folder is set
    int keep;              // 1 when the file could not be read: the run does not write it
};

extern MessageSettings g_messageSettings;
extern MessageSettingsFile g_messageSettingsFile;

// Sets the program folder and the settings file path beside it. 0 (and no path)
// when the path would not fit.
int SetMessageSettingsFolder(const char* folder);

// Tells the user once, in a warning box owned by `window`, when the settings file is
// there but cannot be read (another program holds it: the run then never writes it,
// so the file keeps what the user had), or cannot be written (a read-only folder or
// file: changes are not saved).
void CheckMessageSettingsFile(HWND window);

// Fills g_messageSettings from the settings file; missing keys give the defaults,
// unreadable numbers and colours keep the current values. A background file that is
// missing or a directory is reported in a box owned by `window`, and the built-in
// picture is used. Always 1.
int LoadMessageSettings(HWND window);

// Writes the Settings and Appearance sections (never Message); the window gives the
// position. 1 when every value was written, else 0.
int SaveMessageSettings(HWND window);

// What the display loads: the background file, or MAKEINTRESOURCE(103).
LPCSTR MessagePictureName();

// Takes a path typed in the Appearance dialog as the background: a leading
// backslash names a file in the program folder, as when the file is read; empty
// means the built-in picture.
void SetBackgroundPath(const char* path);

// Forgets a background file that could not be loaded: the built-in picture is
// shown, and an empty path is saved.
void UseBuiltInPicture();

// "\pictures\x.bmp" lies in the program folder: the folder is put in front, and of
// the value only as much as keeps the whole within 256 characters. Other paths stay.
void CompleteRelativePath(char* path);

#endif
