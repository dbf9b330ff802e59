#include "Dialogs.h"

// Each dialog arrives with its own module; until then its command does nothing.

void PreferencesDialog(HWND owner) {
    (void)owner;
}
