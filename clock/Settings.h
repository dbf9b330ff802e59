// The clock's settings, appearance and event list, kept in vantel.ini.
#ifndef VANTEL_SETTINGS_H
#define VANTEL_SETTINGS_H

#include <windows.h>
#include <cstdint>
#include "DigitLayout.h"
#include "EventTable.h"

struct ClockSettings {
    int32_t clockMode;           // 0 remaining/elapsed time, 1 current time, 2 stopwatch
    CalendarTime lastEventCheck; // time of the last event check
    int32_t lastOfMonthMode;     // 1: monthly/yearly dates move to a shorter month's last day
    int32_t displayPastEvents;   // 1: carry out events missed while not running, at start
    CalendarTime countdownDate;  // the date mode 0 counts to or from; -1 none
    POINT windowPos;             // left, top of the window on the screen
    int32_t alwaysOnTop;         // 1: topmost window
};

struct ClockAppearance {
    char backgroundBmp[MAX_PATH]; // background bitmap file; empty: built-in bitmap
    char digitsBmp[MAX_PATH];     // digits strip file; empty: built-in bitmap
    COLORREF transparentColor;    // cut out of the window, left out of the digits
    SlotRect slots[DIGIT_SLOTS];  // left, top stored; right, bottom derived
    int32_t firstDigit;           // first shown slot, 0..11
    int32_t lastDigit;            // last shown slot, 0..11
};

extern ClockSettings g_settings;
extern ClockAppearance g_appearance;

void SetDefaultSettings();
void SetDefaultAppearance();
void DefaultAppearance(ClockAppearance* appearance);

// Reads vantel.ini. 1 on success, 0 when the appearance cannot be used (a named
// bitmap is missing or a digit position is missing), after a message box owned by
// `owner`; what was read before stays.
int LoadSettings(HWND owner);

// Writes every setting and the whole event table; the window gives the position.
// 0 when a value could not be written.
int SaveSettings(HWND window);

// SaveSettings with `lastEventCheck` in place of the last check kept in g_settings.
int SaveSettingsChecked(HWND window, CalendarTime lastEventCheck);

// Writes LastEventCheck alone; 0 when it could not be written.
int SaveLastEventCheck(CalendarTime lastEventCheck);

// Next 1 January, 00:00:00 local time: the default countdown date.
CalendarTime NextNewYear();

#endif
