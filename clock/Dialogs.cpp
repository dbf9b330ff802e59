#include "Dialogs.h"

// Each dialog arrives with its own module; until then its command does nothing.

INT_PTR EventsDialog(HWND owner) {
    (void)owner;
    return 0;
}

void PreferencesDialog(HWND owner) {
    (void)owner;
}

void LoadSkinCommand(HWND owner) {
    (void)owner;
}

void SaveSkinCommand(HWND owner) {
    (void)owner;
}
