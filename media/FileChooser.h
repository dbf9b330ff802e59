// The open-file chooser behind every "..." button of a file name field.
#ifndef VANTEL_FILECHOOSER_H
#define VANTEL_FILECHOOSER_H

#include <windows.h>
#include <commdlg.h>

// Lets the user pick an existing file, starting from the path in the dialog's edit
// control `editId`, and puts the chosen full path there. `filter` is the system's
// filter list (description and patterns, each ended by a zero, the list by another).
// Cancel or a failure leaves the field as it was. The current directory is kept.
void BrowseForFile(HWND dialog, int editId, const char* filter);

// The common dialogs, from comdlg32.dll loaded at their first use rather than with
// the program: it brings the shell's libraries, a good part of a start. Each answers
// as the function it is named after; 0 when the library cannot be had.
BOOL ShowOpenFileDialog(OPENFILENAMEA* open);
BOOL ShowColorDialog(CHOOSECOLORA* choose);
BOOL ShowFontDialog(CHOOSEFONTA* choose);
DWORD CommonDialogError();

#endif
