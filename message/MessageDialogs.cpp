#include "MessageDialogs.h"
#include "Animation.h"
#include "FileChooser.h"
#include "MessageSettings.h"
#include "resource.h"

#include <commctrl.h>
#include <commdlg.h>
#include <cstdio>

enum { AREA_LIMIT = 9999 };

static struct {
    COLORREF workingColor;         // the Appearance dialog's transparent colour until OK
    COLORREF appearanceColors[16]; // custom colours of the Appearance dialog's chooser
    COLORREF textColors[16];       // custom colours of the text colour chooser
    int colorsReady;               // 1 once both sets start white
} g_dialogs;

static const char kBitmapFilter[] = "Bitmap files (*.bmp)\0*.bmp\0";

static void InitCustomColors() {
    if (g_dialogs.colorsReady)
        return;
    for (int i = 0; i < 16; i++)
        g_dialogs.appearanceColors[i] = g_dialogs.textColors[i] = RGB(255, 255, 255);
    g_dialogs.colorsReady = 1;
}

// Runs the colour chooser from `initial`; on OK *chosen gets the colour and 1 is returned.
static int PickColor(HWND owner, COLORREF initial, COLORREF* custom, COLORREF* chosen) {
    CHOOSECOLORA choose;
    ZeroMemory(&choose, sizeof(choose));
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = owner;
    choose.rgbResult = initial;
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (!ShowColorDialog(&choose))
        return 0;
    *chosen = choose.rgbResult;
    return 1;
}

// The spin buttons of the text area, each after its edit field, left to bottom.
static const int kAreaSpins[4] = {IDC_MSG_LEFT_SPIN, IDC_MSG_TOP_SPIN, IDC_MSG_RIGHT_SPIN,
                                  IDC_MSG_BOTTOM_SPIN};

static LONG* AreaEdge(int index) {
    RECT* area = &g_messageSettings.textArea;
    LONG* edges[4] = {&area->left, &area->top, &area->right, &area->bottom};
    return edges[index];
}

static void OnAppearanceInit(HWND dialog) {
    const MessageSettings* s = &g_messageSettings;
    // From 0: an edge at the window's left or top must survive OK unchanged.
    for (int spin : kAreaSpins)
        SendDlgItemMessageA(dialog, spin, UDM_SETRANGE, 0, MAKELPARAM(AREA_LIMIT, 0));
    EnableWindow(GetDlgItem(dialog, IDC_MSG_CHOOSE_COLOR), s->useTransparency != 0);
    SetDlgItemTextA(dialog, IDC_MSG_BACKGROUND, s->backgroundBmp);
    for (int i = 0; i < 4; i++)
        SendDlgItemMessageA(dialog, kAreaSpins[i], UDM_SETPOS, 0, MAKELPARAM(LOWORD(*AreaEdge(i)), 0));
    CheckDlgButton(dialog, IDC_MSG_USE_TRANSPARENCY, s->useTransparency ? BST_CHECKED : BST_UNCHECKED);
    g_dialogs.workingColor = s->transparentColor;
}

static void OnAppearanceOk(HWND dialog) {
    MessageSettings* s = &g_messageSettings;
    char path[MAX_PATH] = "";
    GetDlgItemTextA(dialog, IDC_MSG_BACKGROUND, path, sizeof(path));
    SetBackgroundPath(path);
    s->useTransparency = IsDlgButtonChecked(dialog, IDC_MSG_USE_TRANSPARENCY) == BST_CHECKED;
    s->transparentColor = g_dialogs.workingColor;
    for (int i = 0; i < 4; i++)
        *AreaEdge(i) = LOWORD(SendDlgItemMessageA(dialog, kAreaSpins[i], UDM_GETPOS, 0, 0));
}

static BOOL OnAppearanceCommand(HWND dialog, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDOK:
        OnAppearanceOk(dialog);
        EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    case IDC_MSG_USE_TRANSPARENCY:
        EnableWindow(GetDlgItem(dialog, IDC_MSG_CHOOSE_COLOR),
                     IsDlgButtonChecked(dialog, IDC_MSG_USE_TRANSPARENCY) == BST_CHECKED);
        return TRUE;
    case IDC_MSG_BROWSE: BrowseForFile(dialog, IDC_MSG_BACKGROUND, kBitmapFilter); return TRUE;
    case IDC_MSG_CHOOSE_COLOR:
        InitCustomColors();
        PickColor(dialog, g_dialogs.workingColor, g_dialogs.appearanceColors, &g_dialogs.workingColor);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK AppearanceDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: OnAppearanceInit(dialog); return TRUE;
    case WM_COMMAND: return OnAppearanceCommand(dialog, wParam);
    }
    return FALSE;
}

static void ShowSpeed(HWND dialog, int charactersPerSecond) {
    char text[48];
    snprintf(text, sizeof(text), "%d Characters per Second", charactersPerSecond);
    SetDlgItemTextA(dialog, IDC_MSG_SPEED_LABEL, text);
}

static void OnSettingsInit(HWND dialog) {
    const MessageSettings* s = &g_messageSettings;
    SendDlgItemMessageA(dialog, IDC_MSG_SPEED, TBM_SETRANGE, FALSE, MAKELPARAM(1, 512));
    CheckDlgButton(dialog, IDC_MSG_DISPLAY_DATE, s->displayDate ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_MSG_ALWAYS_ON_TOP, s->alwaysOnTop ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_MSG_PLAY_SOUND, s->playSound ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageA(dialog, IDC_MSG_SPEED, TBM_SETPOS, TRUE, s->charactersPerSecond);
    ShowSpeed(dialog, s->charactersPerSecond);
}

static void OnSettingsOk(HWND dialog) {
    MessageSettings* s = &g_messageSettings;
    s->displayDate = IsDlgButtonChecked(dialog, IDC_MSG_DISPLAY_DATE) == BST_CHECKED;
    s->alwaysOnTop = IsDlgButtonChecked(dialog, IDC_MSG_ALWAYS_ON_TOP) == BST_CHECKED;
    s->playSound = IsDlgButtonChecked(dialog, IDC_MSG_PLAY_SOUND) == BST_CHECKED;
    s->charactersPerSecond = (int32_t)SendDlgItemMessageA(dialog, IDC_MSG_SPEED, TBM_GETPOS, 0, 0);
}

INT_PTR CALLBACK SettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: OnSettingsInit(dialog); return TRUE;
    case WM_HSCROLL:
        ShowSpeed(dialog, (int)SendDlgItemMessageA(dialog, IDC_MSG_SPEED, TBM_GETPOS, 0, 0));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            OnSettingsOk(dialog);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

int ChooseTextFont(HWND window) {
    // The chooser fills a copy: Cancel leaves the settings' font as it was.
    LOGFONTA font = g_messageSettings.font;
    CHOOSEFONTA choose;
    ZeroMemory(&choose, sizeof(choose));
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = window;
    choose.lpLogFont = &font;
    choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    if (!ShowFontDialog(&choose))
        return 0;
    font.lfQuality = NONANTIALIASED_QUALITY;
    g_messageSettings.font = font;
    // Made before the old one goes, and swapped under the tick's lock.
    ReplaceTextFont(CreateFontIndirectA(&font));
    return 1;
}

int ChooseTextColor(HWND window) {
    InitCustomColors();
    COLORREF chosen;
    if (!PickColor(window, g_messageSettings.fontColor, g_dialogs.textColors, &chosen))
        return 0;
    g_messageSettings.fontColor = chosen;
    return 1;
}
