// The Load skin and Save skin commands and their dialogs.
#include "Dialogs.h"
#include "Display.h"
#include "Files.h"
#include "Program.h"
#include "Skins.h"
#include "resource.h"

#include <cstdio>
#include <cstring>

static const char kDefaultEntry[] = "<default>";

// The messages of the dialogs' own checks: no icon.
static void ShowPlainError(HWND dialog, const char* text) {
    MessageBoxA(dialog, text, "Vantel - Error", MB_OK);
}

static int AddSkinName(const char*, const char* skinName, void* context) {
    if (skinName[0])
        SendMessageA((HWND)context, LB_ADDSTRING, 0, (LPARAM)skinName);
    return 1;
}

// What Load skin chose: taken by the clock only once the dialog has ended.
struct ChosenSkin {
    ClockAppearance appearance;
    MessageLook look;
};

static void OnLoadSkinInit(HWND dialog, LPARAM chosen) {
    SetWindowLongPtrA(dialog, DWLP_USER, chosen);
    HWND list = GetDlgItem(dialog, IDC_SKIN_LIST);
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)kDefaultEntry);
    VisitSkinFiles(AddSkinName, list);
}

// Takes the chosen skin into the appearance, its message look into the dialog's
// record; stays open after a message.
static void OnLoadSkinOk(HWND dialog) {
    ChosenSkin* chosen = (ChosenSkin*)GetWindowLongPtrA(dialog, DWLP_USER);
    HWND list = GetDlgItem(dialog, IDC_SKIN_LIST);
    LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) {
        ShowPlainError(dialog, "Select a skin name.");
        return;
    }
    char name[SKIN_PATH_SIZE];
    if (SendMessageA(list, LB_GETTEXTLEN, selected, 0) >= (LRESULT)sizeof(name))
        return;
    SendMessageA(list, LB_GETTEXT, selected, (LPARAM)name);
    if (strcmp(name, kDefaultEntry) == 0) {
        DefaultAppearance(&chosen->appearance);
        chosen->look.kind = MESSAGE_LOOK_DEFAULTS;
        EndDialog(dialog, IDOK);
        return;
    }
    char path[SKIN_PATH_SIZE];
    switch (FindSkinFile(name, path)) {
    case SKIN_NO_FILES: ShowPlainError(dialog, "Cannot find skin files."); return;
    case SKIN_NOT_FOUND: ShowPlainError(dialog, "Cannot find the selected skin file."); return;
    case SKIN_FOUND: break;
    }
    if (ReadSkinFile(dialog, path, &chosen->appearance, &chosen->look))
        EndDialog(dialog, IDOK);
}

static INT_PTR CALLBACK LoadSkinDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnLoadSkinInit(dialog, lParam); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SKIN_LIST:
            if (HIWORD(wParam) == LBN_DBLCLK)
                OnLoadSkinOk(dialog);
            break;
        case IDOK: OnLoadSkinOk(dialog); break;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); break;
        }
        return TRUE;
    }
    return FALSE;
}

static void WarnOpenMessageWindows(HWND owner, const char* text) {
    if (MessageWindowOpen())
        MessageBoxA(owner, text, "Vantel - Warning", MB_OK | MB_ICONWARNING);
}

// The message windows read their look when they open and write it back when they
// close, over what the skin writes now.
int LoadSkinCommand(HWND owner) {
    WarnOpenMessageWindows(
        owner, "Vantel has found open Vantel Message windows.\n\nIt is not possible to update the skin "
               "for the Vantel Message module while Vantel Message windows are open.\n\nYou should "
               "close all Vantel Message windows before loading a new skin.");
    static ChosenSkin chosen; // two appearances and a look, kept off the stack
    chosen.appearance = g_appearance;
    chosen.look.kind = MESSAGE_LOOK_NONE;
    INT_PTR result = DialogBoxParamA(g_program.instance, MAKEINTRESOURCEA(IDD_LOAD_SKIN), owner,
                                     LoadSkinDlgProc, (LPARAM)&chosen);
    // A logoff may have ended the clock under the dialog.
    if (!IsWindow(owner) || !FaceReady())
        return 0;
    int taken = result == IDOK && TakeSkin(owner, &chosen.appearance);
    if (taken && !WriteMessageLook(&chosen.look)) {
        char text[MAX_PATH + 96];
        snprintf(text, sizeof(text), "Cannot write the look of the message window to \"%s\".",
                 g_program.messageSettingsPath);
        MessageBoxA(owner, text, "Vantel - Error", MB_OK | MB_ICONWARNING);
    }
    InvalidateRect(owner, NULL, FALSE);
    return taken;
}

static void OnSaveSkinInit(HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_SKIN_NAME, EM_LIMITTEXT, SKIN_NAME_SIZE - 1, 0);
}

static void OnIncludeMessageClicked(HWND dialog) {
    if (IsDlgButtonChecked(dialog, IDC_SKIN_MESSAGE) == BST_CHECKED)
        WarnOpenMessageWindows(dialog, "Vantel has found open Vantel Message windows.\n\nIt is possible that "
                                       "Vantel is unable to save the most recent skin information for the "
                                       "Vantel Message module  while Vantel Message windows are open.\n\nYou "
                                       "should close all Vantel Message windows before saving a skin.");
}

// 1 when every file of the skin would have a path that fits, else 0 after a message.
static int CheckSkinStem(HWND dialog, const char* stem) {
    // A save writes each file beside its own first ("_m.bmp.new"), and keeps the old
    // one aside ("_m.bmp.old").
    static const char* const kSuffixes[] = {".ini", "_b.bmp", "_d.bmp", "_m.bmp", "_m.bmp.old"};
    char path[SKIN_PATH_SIZE];
    char text[SKIN_NAME_SIZE + 128];
    for (const char* suffix : kSuffixes) {
        if (!BuildSkinPath(path, sizeof(path), g_program.directory, stem, suffix)) {
            ShowPlainError(dialog, "The skin name is too long for the skins folder.");
            return 0;
        }
    }
    if (IsReservedStem(stem)) {
        snprintf(text, sizeof(text), "\"%s\" cannot be used as a file name.\n\nEnter another skin name.",
                 stem);
        ShowPlainError(dialog, text);
        return 0;
    }
    return 1;
}

static void OnSaveSkinOk(HWND dialog) {
    char name[SKIN_NAME_SIZE];
    GetDlgItemTextA(dialog, IDC_SKIN_NAME, name, sizeof(name));
    if (!name[0]) {
        ShowPlainError(dialog, "Enter a skin name.");
        return;
    }
    // Load skin lists the built-in look under this name: a skin of it could never be chosen.
    if (strcmp(name, kDefaultEntry) == 0) {
        ShowPlainError(dialog, "\"<default>\" is the name of the built-in skin.\n\nEnter another skin name.");
        return;
    }
    char stem[SKIN_NAME_SIZE];
    SanitizeSkinName(name, stem, sizeof(stem));
    if (!CheckSkinStem(dialog, stem))
        return;
    int includeMessage = IsDlgButtonChecked(dialog, IDC_SKIN_MESSAGE) == BST_CHECKED;
    if (!FileExists(g_appearance.backgroundBmp)) {
        ShowPlainError(dialog, "Cannot find the background bitmap.");
        return;
    }
    if (!FileExists(g_appearance.digitsBmp)) {
        ShowPlainError(dialog, "Cannot find the digits bitmap.");
        return;
    }
    if (includeMessage) {
        char message[MAX_PATH];
        GetPrivateProfileStringA("Appearance", "BackgroundBMP", "", message, sizeof(message),
                                 g_program.messageSettingsPath);
        if (!message[0] || !ResolveProgramPath(message, sizeof(message)) || !FileExists(message)) {
            ShowPlainError(dialog, "Cannot find the message bitmap.");
            return;
        }
    }
    char path[SKIN_PATH_SIZE];
    BuildSkinPath(path, sizeof(path), g_program.directory, stem, ".ini");
    if (FileExists(path)) {
        char text[SKIN_NAME_SIZE + 64];
        snprintf(text, sizeof(text), "A skin with the name %s already exists.\n\nOverwrite?", stem);
        if (MessageBoxA(dialog, text, "Vantel - Warning", MB_YESNO) != IDYES)
            return;
    }
    if (WriteSkinFile(dialog, name, stem, includeMessage))
        EndDialog(dialog, IDOK);
}

static INT_PTR CALLBACK SaveSkinDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: OnSaveSkinInit(dialog); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SKIN_MESSAGE:
            if (HIWORD(wParam) == BN_CLICKED)
                OnIncludeMessageClicked(dialog);
            break;
        case IDOK: OnSaveSkinOk(dialog); break;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); break;
        }
        return TRUE;
    }
    return FALSE;
}

void SaveSkinCommand(HWND owner) {
    DialogBoxParamA(g_program.instance, MAKEINTRESOURCEA(IDD_SAVE_SKIN), owner, SaveSkinDlgProc, 0);
    if (IsWindow(owner))
        InvalidateRect(owner, NULL, FALSE);
}
