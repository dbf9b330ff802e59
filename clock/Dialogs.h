// The clock's dialogs and skin commands.
#ifndef VANTEL_DIALOGS_H
#define VANTEL_DIALOGS_H

#include <windows.h>

// Runs the Events dialog; its result (1 for OK).
INT_PTR EventsDialog(HWND owner);

// Runs the Preferences dialog and applies what it changed; 1 when something was
// confirmed (OK, or a colour or digit layout taken inside it), for the settings file.
int PreferencesDialog(HWND owner);

// Runs the Digits dialog over `owner`; it shows each change on the `clock` window
// at once and leaves the layout in the appearance (Cancel: the one it opened with).
// Its result (IDOK for OK).
INT_PTR DigitsDialog(HWND owner, HWND clock);

// The Load skin and Save skin commands; LoadSkinCommand returns 1 when a skin was
// taken.
int LoadSkinCommand(HWND owner);
void SaveSkinCommand(HWND owner);

#endif
