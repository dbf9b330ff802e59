#include "Settings.h"
#include "Files.h"
#include "Program.h"
#include "ProfileValues.h"

#include <cstdio>
#include <cstring>

ClockSettings g_settings;
ClockAppearance g_appearance;

enum { VALUE_SIZE = 512 };

CalendarTime NextNewYear() {
    struct tm next;
    if (!CalendarToLocal(CurrentCalendarTime(), &next))
        return -1;
    next.tm_year += 1;
    next.tm_mon = 0;
    next.tm_mday = 1;
    next.tm_hour = next.tm_min = next.tm_sec = 0;
    return LocalToCalendar(&next);
}

void SetDefaultSettings() {
    g_settings.clockMode = 1;
    g_settings.lastEventCheck = CurrentCalendarTime();
    g_settings.lastOfMonthMode = 1;
    g_settings.displayPastEvents = 1;
    g_settings.countdownDate = NextNewYear();
    g_settings.windowPos.x = 10;
    g_settings.windowPos.y = 10;
    g_settings.alwaysOnTop = 0;
    memset(&g_events, 0, sizeof(g_events));
}

void SetDefaultAppearance() {
    DefaultAppearance(&g_appearance);
}

void DefaultAppearance(ClockAppearance* appearance) {
    static const int32_t lefts[DIGIT_SLOTS] = {0, 0, 0, 0, 20, 45, 80, 105, 140, 165, 0, 0};
    appearance->backgroundBmp[0] = '\0';
    appearance->digitsBmp[0] = '\0';
    appearance->transparentColor = RGB(255, 0, 255);
    for (int i = 0; i < DIGIT_SLOTS; i++) {
        SlotRect* slot = &appearance->slots[i];
        slot->left = lefts[i];
        slot->top = lefts[i] ? 15 : 0;
        slot->right = slot->left;
        slot->bottom = slot->top;
    }
    appearance->firstDigit = 4;
    appearance->lastDigit = 9;
}

static void ReadValue(const char* section, const char* key, const char* fallback, char* value, int size) {
    GetPrivateProfileStringA(section, key, fallback, value, size, g_program.settingsPath);
}

static int32_t ReadIntegerValue(const char* section, const char* key, const char* fallback) {
    char value[VALUE_SIZE];
    ReadValue(section, key, fallback, value, sizeof(value));
    return ReadInteger(value);
}

static void Warn(HWND owner, const char* text) {
    MessageBoxA(owner, text, "Vantel - Error", MB_OK | MB_ICONWARNING);
}

// Reads a date key; on a text that does not convert, says so and uses `fallback`.
static CalendarTime ReadDateValue(HWND owner, const char* section, const char* key, CalendarTime fallback,
                                  const char* parameter) {
    char fallbackText[64];
    FormatDateText(fallback, fallbackText, sizeof(fallbackText), DATE_FILE);
    char value[VALUE_SIZE];
    ReadValue(section, key, fallbackText, value, sizeof(value));
    CalendarTime time = ParseDateText(value);
    if (time == -1) {
        char text[VALUE_SIZE + 128];
        snprintf(text, sizeof(text),
                 "Cannot convert parameter %s \"%s\" to a calendar time value.\nUsing default date.",
                 parameter, value);
        Warn(owner, text);
        time = fallback;
    }
    return time;
}

static void LoadEvents(HWND owner) {
    memset(&g_events, 0, sizeof(g_events));
    int slot = 0;
    for (int n = 1; n <= MAX_EVENTS; n++) {
        char section[16];
        snprintf(section, sizeof(section), "Event%d", n);
        char value[VALUE_SIZE];
        ReadValue(section, "Date", "", value, sizeof(value));
        if (!value[0])
            break;
        CalendarTime start = ParseDateText(value);
        // A start at the epoch (0) would end the event list, and every later event
        // would be lost: it counts as a date that cannot be converted.
        if (start <= 0) {
            char text[VALUE_SIZE + 128];
            snprintf(text, sizeof(text),
                     "Cannot convert parameter \"%s\" to a calendar time value.\n%s is omitted.", value,
                     section);
            Warn(owner, text);
            continue;
        }
        EventRecord* event = &g_events.slots[slot++];
        event->startTime = start;
        ReadValue(section, "RecurrencePattern", "<none>", value, sizeof(value));
        event->recurrence = RecurrenceCodeFromName(value);
        ReadValue(section, "SoundFile", "", event->soundFile, sizeof(event->soundFile));
        ReadValue(section, "Message", "", event->message, sizeof(event->message));
        ReadValue(section, "AppFile", "", event->appFile, sizeof(event->appFile));
    }
}

// Reads a bitmap path; 0 after the message when it names no file.
static int LoadBitmapPath(HWND owner, const char* key, char* path) {
    ReadValue("Appearance", key, "", path, MAX_PATH);
    if (!path[0])
        return 1;
    ResolveProgramPath(path, MAX_PATH);
    if (FileExists(path))
        return 1;
    char text[MAX_PATH + 64];
    snprintf(text, sizeof(text), "Cannot find file \"%s\".\nLoading default skin.", path);
    Warn(owner, text);
    return 0;
}

int LoadSettings(HWND owner) {
    g_settings.clockMode = ReadIntegerValue("Settings", "ClockMode", "1");
    g_settings.lastEventCheck =
        ReadDateValue(owner, "Settings", "LastEventCheck", CurrentCalendarTime(), "LastEventCheck");
    g_settings.lastOfMonthMode = ReadIntegerValue("Settings", "LastOfMonthMode", "1");
    g_settings.displayPastEvents = ReadIntegerValue("Settings", "DisplayPastEvents", "1");
    g_settings.countdownDate = ReadDateValue(owner, "Countdown", "Date", NextNewYear(), "Countdown-Date");
    LoadEvents(owner);

    char value[VALUE_SIZE];
    ReadValue("Appearance", "WindowPos", "10,10", value, sizeof(value));
    g_settings.windowPos.x = g_settings.windowPos.y = 0;
    int32_t x = 0, y = 0;
    ReadPair(value, &x, &y);
    g_settings.windowPos.x = x;
    g_settings.windowPos.y = y;
    g_settings.alwaysOnTop = ReadIntegerValue("Appearance", "AlwaysOnTop", "0");

    if (!LoadBitmapPath(owner, "BackgroundBMP", g_appearance.backgroundBmp) ||
        !LoadBitmapPath(owner, "DigitsBMP", g_appearance.digitsBmp))
        return 0;

    for (int n = 1; n <= DIGIT_SLOTS; n++) {
        char key[16];
        snprintf(key, sizeof(key), "Digit%d", n);
        ReadValue("Appearance", key, "", value, sizeof(value));
        if (!value[0]) {
            char text[96];
            snprintf(text, sizeof(text), "Cannot find coordinates for %s.\nLoading default skin.", key);
            Warn(owner, text);
            return 0;
        }
        SlotRect* slot = &g_appearance.slots[n - 1];
        slot->left = slot->top = 0;
        ReadPair(value, &slot->left, &slot->top);
    }

    ReadValue("Appearance", "TransparentColor", "FF00FF", value, sizeof(value));
    g_appearance.transparentColor = ReadHexColor(value);
    g_appearance.firstDigit = ReadIntegerValue("Appearance", "FirstDigit", "4");
    g_appearance.lastDigit = ReadIntegerValue("Appearance", "LastDigit", "9");
    ClampDigitRange(&g_appearance.firstDigit, &g_appearance.lastDigit);
    return 1;
}

static int g_writeFailed; // a value of the save under way could not be written

static void WriteValue(const char* section, const char* key, const char* value) {
    if (!WritePrivateProfileStringA(section, key, value, g_program.settingsPath))
        g_writeFailed = 1;
}

static void WriteInteger(const char* section, const char* key, int32_t value) {
    char text[16];
    snprintf(text, sizeof(text), "%d", (int)value);
    WriteValue(section, key, text);
}

static void WriteDate(const char* section, const char* key, CalendarTime time) {
    char text[64];
    FormatDateText(time, text, sizeof(text), DATE_FILE);
    WriteValue(section, key, text);
}

static void WritePair(const char* section, const char* key, int32_t x, int32_t y) {
    char text[32];
    snprintf(text, sizeof(text), "%d,%d", (int)x, (int)y);
    WriteValue(section, key, text);
}

static void SaveEvents() {
    for (int n = 1; n <= MAX_EVENTS; n++) {
        char section[16];
        snprintf(section, sizeof(section), "Event%d", n);
        const EventRecord* event = &g_events.slots[n - 1];
        if (event->startTime <= 0) {
            // Empties the section, so the keys of a deleted event vanish. The key
            // written first makes sure the section's header exists: emptying a
            // section that is not in the file does not create it.
            WriteValue(section, "Date", "");
            if (!WritePrivateProfileSectionA(section, "", g_program.settingsPath))
                g_writeFailed = 1;
            continue;
        }
        WriteDate(section, "Date", event->startTime);
        WriteValue(section, "RecurrencePattern", RecurrenceNameFromCode(event->recurrence));
        WriteValue(section, "SoundFile", event->soundFile);
        WriteValue(section, "Message", event->message);
        WriteValue(section, "AppFile", event->appFile);
    }
}

int SaveLastEventCheck(CalendarTime lastEventCheck) {
    g_writeFailed = 0;
    WriteDate("Settings", "LastEventCheck", lastEventCheck);
    return !g_writeFailed;
}

int SaveSettings(HWND window) {
    return SaveSettingsChecked(window, g_settings.lastEventCheck);
}

int SaveSettingsChecked(HWND window, CalendarTime lastEventCheck) {
    g_writeFailed = 0;
    WriteInteger("Settings", "ClockMode", g_settings.clockMode);
    WriteDate("Settings", "LastEventCheck", lastEventCheck);
    WriteInteger("Settings", "LastOfMonthMode", g_settings.lastOfMonthMode);
    WriteInteger("Settings", "DisplayPastEvents", g_settings.displayPastEvents);
    WriteDate("Countdown", "Date", g_settings.countdownDate);

    WriteValue("Appearance", "BackgroundBMP",
               FileExists(g_appearance.backgroundBmp) ? g_appearance.backgroundBmp : "");
    RECT rect;
    GetWindowRect(window, &rect);
    WritePair("Appearance", "WindowPos", rect.left, rect.top);
    WriteInteger("Appearance", "AlwaysOnTop", g_settings.alwaysOnTop);
    WriteValue("Appearance", "DigitsBMP", FileExists(g_appearance.digitsBmp) ? g_appearance.digitsBmp : "");
    char color[16];
    snprintf(color, sizeof(color), "%06X", (unsigned)g_appearance.transparentColor);
    WriteValue("Appearance", "TransparentColor", color);
    WriteInteger("Appearance", "FirstDigit", g_appearance.firstDigit);
    WriteInteger("Appearance", "LastDigit", g_appearance.lastDigit);
    for (int n = 1; n <= DIGIT_SLOTS; n++) {
        char key[16];
        snprintf(key, sizeof(key), "Digit%d", n);
        WritePair("Appearance", key, g_appearance.slots[n - 1].left, g_appearance.slots[n - 1].top);
    }
    SaveEvents();
    return !g_writeFailed;
}
