// The message program's dialogs: Appearance (104) and Settings (105), and the font
// and text colour choosers.
#ifndef VANTEL_MESSAGEDIALOGS_H
#define VANTEL_MESSAGEDIALOGS_H

#include <windows.h>

// Dialog procedures for DialogBoxParamA; OK ends the dialog with 1 and changes the
// settings, Cancel with 2 and changes nothing.
INT_PTR CALLBACK AppearanceDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The font chooser: on OK the settings' font and the text font are replaced; 1.
int ChooseTextFont(HWND window);

// The text colour chooser: on OK FontColor is replaced; 1.
int ChooseTextColor(HWND window);

#endif
