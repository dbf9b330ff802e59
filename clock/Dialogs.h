// The clock's dialogs and skin commands.
#ifndef VANTEL_DIALOGS_H
#define VANTEL_DIALOGS_H

#include <windows.h>

// Runs the Events dialog; its result (1 for OK).
INT_PTR EventsDialog(HWND owner);

// Runs the Preferences dialog and applies what it changed.
void PreferencesDialog(HWND owner);

// Runs the Digits dialog over `owner`; it shows each change on the `clock` window
// at once and leaves the layout in the appearance (Cancel: the one it opened with).
void DigitsDialog(HWND owner, HWND clock);

// The Load skin and Save skin commands.
void LoadSkinCommand(HWND owner);
void SaveSkinCommand(HWND owner);

#endif
