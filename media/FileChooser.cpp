#include "FileChooser.h"

#include <cderr.h>
#include <commdlg.h>
#include <cstddef>

// The record as the common dialogs took it before Windows 2000: 76 bytes in the
// 32-bit program, without the fields added later.
static const DWORD kOpenFileRecordSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);

static FARPROC CommonDialogFunction(const char* name) {
    static HMODULE library = NULL;
    if (!library)
        library = LoadLibraryA("comdlg32.dll");
    return library ? GetProcAddress(library, name) : NULL;
}

template <class Function> static Function FindCommonDialog(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(CommonDialogFunction(name)));
}

BOOL ShowOpenFileDialog(OPENFILENAMEA* open) {
    typedef BOOL(WINAPI * Run)(OPENFILENAMEA*);
    Run run = FindCommonDialog<Run>("GetOpenFileNameA");
    return run ? run(open) : FALSE;
}

BOOL ShowColorDialog(CHOOSECOLORA* choose) {
    typedef BOOL(WINAPI * Run)(CHOOSECOLORA*);
    Run run = FindCommonDialog<Run>("ChooseColorA");
    return run ? run(choose) : FALSE;
}

BOOL ShowFontDialog(CHOOSEFONTA* choose) {
    typedef BOOL(WINAPI * Run)(CHOOSEFONTA*);
    Run run = FindCommonDialog<Run>("ChooseFontA");
    return run ? run(choose) : FALSE;
}

DWORD CommonDialogError() {
    typedef DWORD(WINAPI * Error)();
    Error error = FindCommonDialog<Error>("CommDlgExtendedError");
    return error ? error() : 0;
}

static BOOL AskForFile(HWND dialog, char* name, const char* filter) {
    OPENFILENAMEA open;
    ZeroMemory(&open, sizeof(open));
    open.lStructSize = kOpenFileRecordSize;
    open.hwndOwner = dialog;
    open.lpstrFilter = filter;
    open.nFilterIndex = 1;
    open.lpstrFile = name;
    open.nMaxFile = MAX_PATH;
    open.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    return ShowOpenFileDialog(&open);
}

void BrowseForFile(HWND dialog, int editId, const char* filter) {
    char name[MAX_PATH] = "";
    GetDlgItemTextA(dialog, editId, name, sizeof(name));

    // The open-file dialog moves the process's current directory, whatever the
    // flags; the programs find their files from their own folder, but a relative
    // path typed later must not depend on where the user last browsed.
    char current[MAX_PATH];
    DWORD currentLength = GetCurrentDirectoryA(sizeof(current), current);
    int keepCurrent = currentLength > 0 && currentLength < sizeof(current);

    BOOL chosen = AskForFile(dialog, name, filter);
    if (!chosen && name[0] && CommonDialogError() == FNERR_INVALIDFILENAME) {
        // A start name the dialog refuses (quotes, wildcards, a command line with
        // arguments) would leave the button doing nothing: start without one.
        name[0] = '\0';
        chosen = AskForFile(dialog, name, filter);
    }
    if (keepCurrent)
        SetCurrentDirectoryA(current);
    if (chosen)
        SetDlgItemTextA(dialog, editId, name);
}
