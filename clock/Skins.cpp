#include "Skins.h"
#include "Display.h"
#include "Files.h"
#include "MessageFile.h"
#include "ProfileValues.h"
#include "Program.h"
#include "Timers.h"
#include "WindowShape.h"

#include <cstdio>
#include <cstring>

const char* const kMessageLookKeys[MESSAGE_LOOK_KEYS] = {
    "UseTransparency", "TransparentColor", "TextArea",   "FontFaceName", "FontHeight",
    "FontColor",       "FontWeight",       "FontItalic", "FontCharSet",
};

static const char kClockSection[] = "VANTEL";
static const char kMessageLookSection[] = "VANTEL_MSG";

enum {
    VALUE_SIZE = 260,  // a skin value: at most 259 characters
    LONG_VALUE = 1024, // room to tell a value that is too long from one that fits
};

static void ShowError(HWND owner, const char* text) {
    MessageBoxA(owner, text, "Vantel - Error", MB_OK | MB_ICONWARNING);
}

static void ReadSkinValue(const char* path, const char* section, const char* key, char* value, int size) {
    GetPrivateProfileStringA(section, key, "", value, size, path);
}

int VisitSkinFiles(SkinVisitor visit, void* context) {
    char pattern[SKIN_PATH_SIZE];
    if (!BuildSkinPath(pattern, sizeof(pattern), g_program.directory, "*", ".ini"))
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int files = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        files++;
        char path[SKIN_PATH_SIZE];
        if (!BuildSkinPath(path, sizeof(path), g_program.directory, found.cFileName, ""))
            continue;
        char name[VALUE_SIZE];
        ReadSkinValue(path, kClockSection, "SkinName", name, sizeof(name));
        if (!visit(path, name, context))
            break;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return files;
}

struct SkinSearch {
    const char* name;          // the SkinName looked for
    char path[SKIN_PATH_SIZE]; // the first file carrying it; empty: none yet
};

static int MatchSkinName(const char* path, const char* skinName, void* context) {
    SkinSearch* search = (SkinSearch*)context;
    if (strcmp(skinName, search->name) != 0)
        return 1;
    lstrcpynA(search->path, path, sizeof(search->path));
    return 0;
}

FindSkinResult FindSkinFile(const char* name, char path[SKIN_PATH_SIZE]) {
    // Saving a name another file already carries writes the file of its own stem;
    // that file is the one the name was last saved to.
    char stem[SKIN_NAME_SIZE];
    SanitizeSkinName(name, stem, sizeof(stem));
    if (BuildSkinPath(path, SKIN_PATH_SIZE, g_program.directory, stem, ".ini") && FileExists(path)) {
        char carried[VALUE_SIZE];
        ReadSkinValue(path, kClockSection, "SkinName", carried, sizeof(carried));
        if (strcmp(carried, name) == 0)
            return SKIN_FOUND;
    }
    SkinSearch search;
    search.name = name;
    search.path[0] = '\0';
    if (!VisitSkinFiles(MatchSkinName, &search))
        return SKIN_NO_FILES;
    lstrcpynA(path, search.path, SKIN_PATH_SIZE);
    return search.path[0] ? SKIN_FOUND : SKIN_NOT_FOUND;
}

// Reads a bitmap path of the skin into `path` (MAX_PATH bytes), completed when it
// is relative to the program folder. 0 after the message when the file is missing
// or the path too long to use.
static int ReadSkinBitmap(HWND owner, const char* skinPath, const char* section, const char* key,
                          char* path) {
    char value[LONG_VALUE];
    ReadSkinValue(skinPath, section, key, value, sizeof(value));
    char text[LONG_VALUE + 64];
    if (strlen(value) >= MAX_PATH) {
        snprintf(text, sizeof(text), "The path \"%.259s...\" is too long.\nSkin is damaged.", value);
        ShowError(owner, text);
        return 0;
    }
    lstrcpynA(path, value, MAX_PATH);
    if (!path[0])
        return 1;
    if (!ResolveProgramPath(path, MAX_PATH)) {
        snprintf(text, sizeof(text), "The path \"%s%s\" is too long.\nSkin is damaged.", g_program.directory,
                 value);
        ShowError(owner, text);
        return 0;
    }
    if (FileExists(path))
        return 1;
    snprintf(text, sizeof(text), "Cannot find file \"%s\".\nSkin is damaged.", path);
    ShowError(owner, text);
    return 0;
}

int ReadSkinFile(HWND owner, const char* path, ClockAppearance* appearance, MessageLook* look) {
    char value[VALUE_SIZE];
    ReadSkinValue(path, kMessageLookSection, "UseSkinData", value, sizeof(value));
    int useMessageLook = ReadInteger(value) != 0;

    // Every check comes before the first change.
    ClockAppearance next = *appearance;
    if (!ReadSkinBitmap(owner, path, kClockSection, "BackgroundBMP", next.backgroundBmp) ||
        !ReadSkinBitmap(owner, path, kClockSection, "DigitsBMP", next.digitsBmp))
        return 0;
    look->kind = MESSAGE_LOOK_NONE;
    if (useMessageLook) {
        if (!ReadSkinBitmap(owner, path, kMessageLookSection, "BackgroundBMP", look->background))
            return 0;
        look->kind = MESSAGE_LOOK_SKIN;
        for (int k = 0; k < MESSAGE_LOOK_KEYS; k++)
            ReadSkinValue(path, kMessageLookSection, kMessageLookKeys[k], look->values[k], VALUE_SIZE);
    }

    for (int n = 1; n <= DIGIT_SLOTS; n++) {
        char key[16];
        snprintf(key, sizeof(key), "Digit%d", n);
        ReadSkinValue(path, kClockSection, key, value, sizeof(value));
        int32_t fields[2];
        if (ReadFields(value, fields, 2) == 2) {
            next.slots[n - 1].left = fields[0];
            next.slots[n - 1].top = fields[1];
        }
    }
    ReadSkinValue(path, kClockSection, "TransparentColor", value, sizeof(value));
    uint32_t color = next.transparentColor;
    if (ReadHexColorInto(value, &color))
        next.transparentColor = color;
    ReadSkinValue(path, kClockSection, "FirstDigit", value, sizeof(value));
    next.firstDigit = ReadInteger(value);
    ReadSkinValue(path, kClockSection, "LastDigit", value, sizeof(value));
    next.lastDigit = ReadInteger(value);
    ClampSkinRange(&next.firstDigit, &next.lastDigit);

    *appearance = next;
    return 1;
}

static int WriteSkinValue(const char* path, const char* section, const char* key, const char* value) {
    return WritePrivateProfileStringA(section, key, value, path) != 0;
}

static int WriteSkinInteger(const char* path, const char* key, int32_t number) {
    char text[16];
    snprintf(text, sizeof(text), "%d", (int)number);
    return WriteSkinValue(path, kClockSection, key, text);
}

// The skin file's values, in the order they are read back.
static int WriteSkinValues(const char* path, const char* name, const char* stem, int includeMessage) {
    char text[SKIN_PATH_SIZE];
    int written = WriteSkinValue(path, kClockSection, "SkinName", name);
    snprintf(text, sizeof(text), "\\skins\\%s_b.bmp", stem);
    written &= WriteSkinValue(path, kClockSection, "BackgroundBMP", text);
    snprintf(text, sizeof(text), "\\skins\\%s_d.bmp", stem);
    written &= WriteSkinValue(path, kClockSection, "DigitsBMP", text);
    snprintf(text, sizeof(text), "%06X", (unsigned)g_appearance.transparentColor);
    written &= WriteSkinValue(path, kClockSection, "TransparentColor", text);
    written &= WriteSkinInteger(path, "FirstDigit", g_appearance.firstDigit);
    written &= WriteSkinInteger(path, "LastDigit", g_appearance.lastDigit);
    for (int n = 1; n <= DIGIT_SLOTS; n++) {
        char key[16];
        snprintf(key, sizeof(key), "Digit%d", n);
        snprintf(text, sizeof(text), "%d,%d", (int)g_appearance.slots[n - 1].left,
                 (int)g_appearance.slots[n - 1].top);
        written &= WriteSkinValue(path, kClockSection, key, text);
    }
    if (!includeMessage)
        return written & WriteSkinValue(path, kMessageLookSection, "UseSkinData", "0");

    written &= WriteSkinValue(path, kMessageLookSection, "UseSkinData", "1");
    snprintf(text, sizeof(text), "\\skins\\%s_m.bmp", stem);
    written &= WriteSkinValue(path, kMessageLookSection, "BackgroundBMP", text);
    for (int k = 0; k < MESSAGE_LOOK_KEYS; k++) {
        char value[256];
        GetPrivateProfileStringA(kAppearanceSection, kMessageLookKeys[k], "", value, sizeof(value),
                                 g_program.messageSettingsPath);
        written &= WriteSkinValue(path, kMessageLookSection, kMessageLookKeys[k], value);
    }
    return written;
}

enum { SKIN_FILES = 4 };

// The files of one save: each is written under a temporary name beside its own and
// replaces it only once every one has been written, so a failure leaves the skin
// that was there whole.
struct SkinSave {
    char target[SKIN_FILES][SKIN_PATH_SIZE];      // the skin's files: .ini, _b, _d, _m
    char written[SKIN_FILES][SKIN_PATH_SIZE + 8]; // the new content, "<target>.new"
    char kept[SKIN_FILES][SKIN_PATH_SIZE + 8];    // the old file while replacing, "<target>.old"
    int used[SKIN_FILES];                         // 1 when the file gets new content
};
enum { SAVE_INI, SAVE_BACKGROUND, SAVE_DIGITS, SAVE_MESSAGE };

static void PrepareSaveFile(SkinSave* save, int file, const char* stem, const char* suffix) {
    BuildSkinPath(save->target[file], SKIN_PATH_SIZE, g_program.directory, stem, suffix);
    snprintf(save->written[file], sizeof(save->written[file]), "%s.new", save->target[file]);
    snprintf(save->kept[file], sizeof(save->kept[file]), "%s.old", save->target[file]);
    save->used[file] = 0;
}

// Removes what the save wrote under temporary names.
static void DiscardSave(const SkinSave* save) {
    for (int file = 0; file < SKIN_FILES; file++)
        if (save->used[file])
            DeleteFileA(save->written[file]);
}

// Copies the bitmap for the skin's file unless it is that file already (a skin saved
// again under the name it was loaded from). 0 after the message when it failed.
static int CopySkinBitmap(HWND owner, SkinSave* save, int file, const char* source) {
    // Case-blind, as the file system is: a file copied onto itself fails.
    if (lstrcmpiA(source, save->target[file]) == 0)
        return 1;
    save->used[file] = 1;
    if (CopyFileA(source, save->written[file], FALSE))
        return 1;
    char text[2 * MAX_PATH + 64];
    snprintf(text, sizeof(text), "Cannot copy \"%s\" to \"%s\".", source, save->target[file]);
    ShowError(owner, text);
    return 0;
}

// Puts every new file in place of the old one, the skin file last; when one cannot
// be replaced, the old files come back. 1 when all are in place.
static int ReplaceSkinFiles(const SkinSave* save) {
    static const int kOrder[SKIN_FILES] = {SAVE_BACKGROUND, SAVE_DIGITS, SAVE_MESSAGE, SAVE_INI};
    int moved[SKIN_FILES] = {0}; // 1: the old file is kept aside, 2: and the new one is in place
    int failed = 0;
    for (int i = 0; i < SKIN_FILES && !failed; i++) {
        int file = kOrder[i];
        if (!save->used[file])
            continue;
        if (FileExists(save->target[file])) {
            DeleteFileA(save->kept[file]);
            if (!MoveFileA(save->target[file], save->kept[file])) {
                failed = 1;
                break;
            }
            moved[file] = 1;
        }
        if (!MoveFileA(save->written[file], save->target[file])) {
            failed = 1;
            break;
        }
        moved[file] = moved[file] ? 2 : 3; // 3: new, nothing was there before
    }
    for (int file = 0; file < SKIN_FILES; file++) {
        if (failed && moved[file] >= 2)
            MoveFileExA(save->target[file], save->written[file], MOVEFILE_REPLACE_EXISTING);
        if (failed && (moved[file] == 1 || moved[file] == 2))
            MoveFileA(save->kept[file], save->target[file]);
        if (!failed && moved[file] == 2)
            DeleteFileA(save->kept[file]);
    }
    if (failed)
        DiscardSave(save);
    return !failed;
}

int WriteSkinFile(HWND owner, const char* name, const char* stem, int includeMessage) {
    char folder[SKIN_PATH_SIZE];
    char text[SKIN_PATH_SIZE + 64];
    snprintf(folder, sizeof(folder), "%s\\skins", g_program.directory);
    if (!DirectoryExists(folder) && !CreateDirectoryA(folder, NULL)) {
        snprintf(text, sizeof(text), "Cannot create the folder \"%s\".", folder);
        ShowError(owner, text);
        return 0;
    }
    static SkinSave save; // 3 KB, kept off the stack
    static const char* const kSuffixes[SKIN_FILES] = {".ini", "_b.bmp", "_d.bmp", "_m.bmp"};
    for (int file = 0; file < SKIN_FILES; file++)
        PrepareSaveFile(&save, file, stem, kSuffixes[file]);

    if (!CopySkinBitmap(owner, &save, SAVE_BACKGROUND, g_appearance.backgroundBmp) ||
        !CopySkinBitmap(owner, &save, SAVE_DIGITS, g_appearance.digitsBmp)) {
        DiscardSave(&save);
        return 0;
    }
    if (includeMessage) {
        char message[MAX_PATH];
        GetPrivateProfileStringA(kAppearanceSection, "BackgroundBMP", "", message, sizeof(message),
                                 g_program.messageSettingsPath);
        ResolveProgramPath(message, sizeof(message));
        if (!CopySkinBitmap(owner, &save, SAVE_MESSAGE, message)) {
            DiscardSave(&save);
            return 0;
        }
    }

    // What was written is read back: a device name or a full disk can take the
    // values without keeping them.
    const char* path = save.written[SAVE_INI];
    save.used[SAVE_INI] = 1;
    DeleteFileA(path);
    char carried[VALUE_SIZE];
    if (WriteSkinValues(path, name, stem, includeMessage)) {
        ReadSkinValue(path, kClockSection, "SkinName", carried, sizeof(carried));
        // The profile calls may hold the file in a cache: flushed before it is moved.
        WritePrivateProfileStringA(NULL, NULL, NULL, path);
        if (strcmp(carried, name) == 0 && ReplaceSkinFiles(&save))
            return 1;
    }
    DiscardSave(&save);
    snprintf(text, sizeof(text), "Cannot write the skin file \"%s\".", save.target[SAVE_INI]);
    ShowError(owner, text);
    return 0;
}

int WriteMessageLook(const MessageLook* look) {
    static const char* const kDefaults[MESSAGE_LOOK_KEYS] = {
        "0", "FF00FF", "15,12,410,132", "Arial", "-19", "AAFFBB", "400", "0", "0",
    };
    if (look->kind == MESSAGE_LOOK_NONE)
        return 1;
    int defaults = look->kind == MESSAGE_LOOK_DEFAULTS;
    const char* path = g_program.messageSettingsPath;
    HANDLE lock = LockMessageFile();
    int written =
        WriteMessageFileValue(path, kAppearanceSection, "BackgroundBMP", defaults ? "" : look->background);
    for (int k = 0; k < MESSAGE_LOOK_KEYS; k++)
        written &= WriteMessageFileValue(path, kAppearanceSection, kMessageLookKeys[k],
                                         defaults ? kDefaults[k] : look->values[k]);
    UnlockMessageFile(lock);
    return written;
}

int WriteDefaultMessageAppearance() {
    MessageLook look;
    look.kind = MESSAGE_LOOK_DEFAULTS;
    return WriteMessageLook(&look);
}

// "Always on top" as the settings hold it, whatever became of the pictures.
static void PlaceOnTop(HWND window) {
    SetWindowPos(window, g_settings.alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int ApplySkin(HWND window, const ClockAppearance* previous) {
    HoldTicks();
    if (!ReplaceFaceSurfaces(window)) {
        // Drawing stays held until the caller's repaint shows the face again.
        g_appearance = *previous;
        PlaceOnTop(window);
        StartTimers(window);
        return 0;
    }
    FitWindowToBackground(window);
    ApplyWindowRegion(window, BackgroundSurface(), g_appearance.transparentColor, SHAPE_CLOCK);
    BuildDigitCells(DigitsWidth(), DigitsHeight());
    ClampDigitSlots();
    PlaceOnTop(window);
    return ResumeTicks(window); // 0: the window is gone
}

int TakeSkin(HWND window, const ClockAppearance* next) {
    HoldTicks();
    ClockAppearance previous = g_appearance;
    g_appearance = *next;
    return ApplySkin(window, &previous);
}

int MessageWindowOpen() {
    return FindWindowA("Vantel Message", "Vantel - Message") != NULL;
}
