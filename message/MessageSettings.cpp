#include "MessageSettings.h"
#include "MessageFile.h"
#include "Files.h"
#include "ProfileValues.h"
#include "resource.h"

#include <cstdio>
#include <cstring>

MessageSettings g_messageSettings;
MessageSettingsFile g_messageSettingsFile;

enum {
    VALUE_SIZE = 256,                   // buffer of a number, a position or a colour
    BOX_TEXT_SIZE = MAX_PATH + 96,      // a background message with its path
    RELATIVE_PATH_LIMIT = MAX_PATH - 4, // folder plus appended value, at most
};

static const char* const MESSAGE = kMessageSection;
static const char* const SETTINGS = kSettingsSection;
static const char* const APPEARANCE = kAppearanceSection;

int SetMessageSettingsFolder(const char* folder) {
    MessageSettingsFile* file = &g_messageSettingsFile;
    file->folder[0] = file->path[0] = '\0';
    file->keep = 0;
    if (!folder)
        return 0;
    int length = snprintf(file->path, sizeof(file->path), "%s\\vantelmsg.ini", folder);
    if (length < 0 || length >= (int)sizeof(file->path)) {
        // A cut path would name some other file.
        file->path[0] = '\0';
        return 0;
    }
    lstrcpynA(file->folder, folder, sizeof(file->folder));
    return 1;
}

// Without a settings file every key counts as missing.
static void ReadValue(const char* section, const char* key, const char* fallback, char* value, int size) {
    if (!g_messageSettingsFile.path[0]) {
        lstrcpynA(value, fallback, size);
        return;
    }
    GetPrivateProfileStringA(section, key, fallback, value, size, g_messageSettingsFile.path);
}

static int32_t ReadIntegerValue(const char* section, const char* key, const char* fallback) {
    char value[VALUE_SIZE];
    ReadValue(section, key, fallback, value, sizeof(value));
    return ReadInteger(value);
}

// Leaves *color as it is when the value does not start with a hexadecimal digit.
static void ReadColorValue(const char* key, const char* fallback, COLORREF* color) {
    char value[VALUE_SIZE];
    ReadValue(APPEARANCE, key, fallback, value, sizeof(value));
    uint32_t read = *color;
    ReadHexColorInto(value, &read);
    *color = read;
}

static void Warn(HWND owner, const char* format, const char* path) {
    char text[BOX_TEXT_SIZE];
    snprintf(text, sizeof(text), format, path);
    MessageBoxA(owner, text, "Vantel - Error", MB_OK | MB_ICONWARNING);
}

void CompleteRelativePath(char* path) {
    if (path[0] != '\\')
        return;
    const char* folder = g_messageSettingsFile.folder;
    int room = RELATIVE_PATH_LIMIT - (int)strlen(folder);
    if (room < 0)
        room = 0;
    char full[MAX_PATH];
    snprintf(full, sizeof(full), "%s%.*s", folder, room, path);
    lstrcpynA(path, full, MAX_PATH);
}

// Reads BackgroundBMP and decides where the picture comes from.
static void LoadBackgroundPath(HWND window) {
    MessageSettings* s = &g_messageSettings;
    s->backgroundFromFile = 0;
    ReadValue(APPEARANCE, "BackgroundBMP", "", s->backgroundBmp, sizeof(s->backgroundBmp));
    if (!s->backgroundBmp[0])
        return;
    CompleteRelativePath(s->backgroundBmp);

    int isDirectory = 0;
    if (!PathFound(s->backgroundBmp, &isDirectory)) {
        // The path stays, so the Appearance dialog shows what was asked for.
        Warn(window, "Cannot find file \"%s\".\nLoading default background bitmap.", s->backgroundBmp);
        return;
    }
    if (isDirectory) {
        Warn(window, "\"%s\" is not a bitmap file.\nLoading default background bitmap.", s->backgroundBmp);
        return;
    }
    s->backgroundFromFile = 1;
}

void CheckMessageSettingsFile(HWND window) {
    MessageSettingsFile* file = &g_messageSettingsFile;
    if (file->path[0])
        file->keep = CheckSettingsFile(window, file->path) == SETTINGS_FILE_UNREADABLE;
}

int LoadMessageSettings(HWND window) {
    MessageSettings* s = &g_messageSettings;
    char value[VALUE_SIZE];

    // Under the writers' lock, so the date and the text come from one hand-over.
    HANDLE lock = LockMessageFile();
    ReadValue(MESSAGE, "Date", "01.01.2000 00:00:00", s->dateLine, sizeof(s->dateLine));
    ReadValue(MESSAGE, "Text", "Happy New Year!", s->text, sizeof(s->text));
    UnlockMessageFile(lock);

    s->displayDate = ReadIntegerValue(SETTINGS, "DisplayDate", "1");
    s->charactersPerSecond = ReadIntegerValue(SETTINGS, "CharactersPerSecond", "25");
    ReadValue(SETTINGS, "WindowPos", "20,20", value, sizeof(value));
    ReadPair(value, &s->x, &s->y);
    s->alwaysOnTop = ReadIntegerValue(SETTINGS, "AlwaysOnTop", "1");
    s->playSound = ReadIntegerValue(SETTINGS, "PlaySound", "1");

    LoadBackgroundPath(window);

    s->useTransparency = ReadIntegerValue(APPEARANCE, "UseTransparency", "0");
    ReadColorValue("TransparentColor", "FF00FF", &s->transparentColor);
    ReadValue(APPEARANCE, "TextArea", "15,12,410,132", value, sizeof(value));
    int32_t area[4] = {s->textArea.left, s->textArea.top, s->textArea.right, s->textArea.bottom};
    ReadFields(value, area, 4);
    s->textArea.left = area[0];
    s->textArea.top = area[1];
    s->textArea.right = area[2];
    s->textArea.bottom = area[3];
    ReadValue(APPEARANCE, "FontFaceName", "Arial", s->font.lfFaceName, sizeof(s->font.lfFaceName));
    s->font.lfHeight = ReadIntegerValue(APPEARANCE, "FontHeight", "-19");
    ReadColorValue("FontColor", "AAFFBB", &s->fontColor);
    s->font.lfWeight = ReadIntegerValue(APPEARANCE, "FontWeight", "400");
    s->font.lfItalic = (BYTE)(ReadIntegerValue(APPEARANCE, "FontItalic", "0") & 0xFF);
    s->font.lfCharSet = (BYTE)(ReadIntegerValue(APPEARANCE, "FontCharSet", "0") & 0xFF);
    return 1;
}

static int WriteValue(const char* section, const char* key, const char* value) {
    return WriteMessageFileValue(g_messageSettingsFile.path, section, key, value);
}

static int WriteIntegerValue(const char* section, const char* key, int32_t value) {
    char text[16];
    snprintf(text, sizeof(text), "%d", (int)value);
    return WriteValue(section, key, text);
}

// Six upper-case digits, blue first; only the colour's 24 bits are written.
static int WriteColorValue(const char* key, COLORREF color) {
    char text[16];
    snprintf(text, sizeof(text), "%06X", (unsigned)(color & 0xFFFFFF));
    return WriteValue(APPEARANCE, key, text);
}

// The path as it stands when it names a file, else empty: a missing picture, or a
// folder, would otherwise bring its warning back at every start.
static int WriteBackgroundPath() {
    const char* path = g_messageSettings.backgroundBmp;
    return WriteValue(APPEARANCE, "BackgroundBMP", FileExists(path) ? path : "");
}

int SaveMessageSettings(HWND window) {
    const MessageSettings* s = &g_messageSettings;
    if (!g_messageSettingsFile.path[0] || g_messageSettingsFile.keep)
        return 0;
    HANDLE lock = LockMessageFile();
    int written = 1;
    written &= WriteIntegerValue(SETTINGS, "DisplayDate", s->displayDate);
    written &= WriteIntegerValue(SETTINGS, "CharactersPerSecond", s->charactersPerSecond);
    // Without a window rectangle the position kept in the record is the best known.
    RECT rect;
    int32_t x = s->x, y = s->y;
    if (window && GetWindowRect(window, &rect)) {
        x = rect.left;
        y = rect.top;
    }
    char text[64];
    snprintf(text, sizeof(text), "%d,%d", (int)x, (int)y);
    written &= WriteValue(SETTINGS, "WindowPos", text);
    written &= WriteIntegerValue(SETTINGS, "AlwaysOnTop", s->alwaysOnTop);
    written &= WriteIntegerValue(SETTINGS, "PlaySound", s->playSound);

    written &= WriteBackgroundPath();
    written &= WriteIntegerValue(APPEARANCE, "UseTransparency", s->useTransparency);
    written &= WriteColorValue("TransparentColor", s->transparentColor);
    snprintf(text, sizeof(text), "%d,%d,%d,%d", (int)s->textArea.left, (int)s->textArea.top,
             (int)s->textArea.right, (int)s->textArea.bottom);
    written &= WriteValue(APPEARANCE, "TextArea", text);
    char face[LF_FACESIZE];
    lstrcpynA(face, s->font.lfFaceName, sizeof(face));
    written &= WriteValue(APPEARANCE, "FontFaceName", face);
    written &= WriteIntegerValue(APPEARANCE, "FontHeight", s->font.lfHeight);
    written &= WriteColorValue("FontColor", s->fontColor);
    written &= WriteIntegerValue(APPEARANCE, "FontWeight", s->font.lfWeight);
    written &= WriteIntegerValue(APPEARANCE, "FontItalic", s->font.lfItalic);
    written &= WriteIntegerValue(APPEARANCE, "FontCharSet", s->font.lfCharSet);
    UnlockMessageFile(lock);
    return written;
}

LPCSTR MessagePictureName() {
    if (g_messageSettings.backgroundFromFile)
        return g_messageSettings.backgroundBmp;
    return MAKEINTRESOURCEA(IDB_MESSAGE_BACKGROUND);
}

void SetBackgroundPath(const char* path) {
    MessageSettings* s = &g_messageSettings;
    lstrcpynA(s->backgroundBmp, path, sizeof(s->backgroundBmp));
    CompleteRelativePath(s->backgroundBmp);
    s->backgroundFromFile = s->backgroundBmp[0] != '\0';
}

void UseBuiltInPicture() {
    g_messageSettings.backgroundBmp[0] = '\0';
    g_messageSettings.backgroundFromFile = 0;
}
