#include "Settings.h"

#include <ctime>

ClockSettings g_settings;
ClockAppearance g_appearance;

void SetDefaultSettings() {
    time_t now = time(NULL);
    struct tm next = *localtime(&now);
    int isdst = next.tm_isdst;
    next.tm_year += 1;
    next.tm_mon = 0;
    next.tm_mday = 1;
    next.tm_hour = next.tm_min = next.tm_sec = 0;
    next.tm_isdst = isdst;

    g_settings.clockMode = 1;
    g_settings.lastEventCheck = (int32_t)now;
    g_settings.lastOfMonthMode = 1;
    g_settings.displayPastEvents = 1;
    g_settings.countdownDate = (int32_t)mktime(&next);
    g_settings.windowPos.x = 10;
    g_settings.windowPos.y = 10;
    g_settings.alwaysOnTop = 0;
}

void SetDefaultAppearance() {
    static const int32_t lefts[DIGIT_SLOTS] = {0, 0, 0, 0, 20, 45, 80, 105, 140, 165, 0, 0};
    g_appearance.backgroundBmp[0] = '\0';
    g_appearance.digitsBmp[0] = '\0';
    g_appearance.transparentColor = RGB(255, 0, 255);
    for (int i = 0; i < DIGIT_SLOTS; i++) {
        g_appearance.slots[i].left = lefts[i];
        g_appearance.slots[i].top = lefts[i] ? 15 : 0;
        g_appearance.slots[i].right = g_appearance.slots[i].left;
        g_appearance.slots[i].bottom = g_appearance.slots[i].top;
    }
    g_appearance.firstDigit = 4;
    g_appearance.lastDigit = 9;
}

// Reading vantel.ini arrives with the settings file; until then every start uses
// the defaults, and the caller applies the default appearance on 0.
int LoadSettings(HWND owner) {
    (void)owner;
    SetDefaultSettings();
    return 0;
}

// Writing vantel.ini arrives with the settings file.
int SaveSettings(HWND window) {
    (void)window;
    return 1;
}
