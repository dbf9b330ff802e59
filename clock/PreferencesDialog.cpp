// The Preferences dialog: clock mode and countdown date, event options, bitmaps,
// transparent colour, digits and always-on-top. The colour and a digit layout taken
// with OK in the Digits dialog show at once and stay even when it is cancelled; the
// rest is taken by OK and applied with the appearance.
#include "Dialogs.h"
#include "Display.h"
#include "EventFields.h"
#include "FileChooser.h"
#include "Files.h"
#include "PickerTime.h"
#include "PopupWindow.h"
#include "Program.h"
#include "Settings.h"
#include "Skins.h"
#include "Timers.h"
#include "WindowShape.h"
#include "resource.h"

#include <commctrl.h>
#include <commdlg.h>
#include <cstdio>

static struct {
    HWND clock;                        // the clock window, owner of the dialog
    HBRUSH swatch;                     // the transparent colour's brush; null until the swatch is painted
    COLORREF customColors[16];         // the colour chooser's custom colours, kept for the run
    int colorsReady;                   // 1 once the custom colours start white
    char previousBackground[MAX_PATH]; // the pictures the face shows, for a failed apply
    char previousDigits[MAX_PATH];
    int keepCountdown; // 1: the pickers cannot show the countdown date and are untouched
    int taken;         // 1 once a colour or digit layout was taken inside the dialog
} g_preferences;

static const char kBitmapFilter[] = "Bitmap files (*.bmp)\0*.bmp\0";

static void ShowError(HWND dialog, const char* text) {
    MessageBoxA(dialog, text, "Vantel - Error", MB_OK | MB_ICONWARNING);
}

static void EnablePickers(HWND dialog, int enable) {
    EnableWindow(GetDlgItem(dialog, IDC_PREF_DATE), enable);
    EnableWindow(GetDlgItem(dialog, IDC_PREF_TIME), enable);
}

static void CheckBox(HWND dialog, int id, int32_t value) {
    CheckDlgButton(dialog, id, value ? BST_CHECKED : BST_UNCHECKED);
}

static int Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

static void OnInit(HWND dialog) {
    PlaceBesideWindow(dialog, g_preferences.clock); // a new colour shows there at once
    SetDlgItemTextA(dialog, IDC_PREF_BACKGROUND, g_appearance.backgroundBmp);
    SetDlgItemTextA(dialog, IDC_PREF_DIGITS, g_appearance.digitsBmp);
    SendDlgItemMessageA(dialog, IDC_PREF_BACKGROUND, EM_LIMITTEXT, MAX_PATH - 1, 0);
    SendDlgItemMessageA(dialog, IDC_PREF_DIGITS, EM_LIMITTEXT, MAX_PATH - 1, 0);

    // Only dates that convert to calendar time are offered.
    SYSTEMTIME range[2];
    PickerRange(range);
    SendDlgItemMessageA(dialog, IDC_PREF_DATE, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, (LPARAM)range);
    SendDlgItemMessageA(dialog, IDC_PREF_TIME, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, (LPARAM)range);
    SendDlgItemMessageA(dialog, IDC_PREF_TIME, DTM_SETFORMATA, 0, (LPARAM) "HH':'mm':'ss");
    SYSTEMTIME countdown;
    int shown = CalendarToPickerTime(g_settings.countdownDate, &countdown);
    g_preferences.keepCountdown = !shown && g_settings.countdownDate != -1;
    if (shown) {
        SendDlgItemMessageA(dialog, IDC_PREF_DATE, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&countdown);
        SendDlgItemMessageA(dialog, IDC_PREF_TIME, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&countdown);
    }

    int mode = g_settings.clockMode == 0   ? IDC_PREF_COUNTDOWN
               : g_settings.clockMode == 2 ? IDC_PREF_STOPWATCH
                                           : IDC_PREF_CURRENT_TIME;
    // Not CheckRadioButton: the always-on-top box's id lies between the radio buttons'.
    static const int kModes[] = {IDC_PREF_CURRENT_TIME, IDC_PREF_COUNTDOWN, IDC_PREF_STOPWATCH};
    for (int id : kModes)
        CheckBox(dialog, id, id == mode);
    EnablePickers(dialog, mode == IDC_PREF_COUNTDOWN);
    CheckBox(dialog, IDC_PREF_PAST_EVENTS, g_settings.displayPastEvents);
    CheckBox(dialog, IDC_PREF_LAST_DAY, g_settings.lastOfMonthMode);
    CheckBox(dialog, IDC_PREF_ALWAYS_ON_TOP, g_settings.alwaysOnTop);
}

static void ForgetSwatch() {
    if (g_preferences.swatch) {
        DeleteObject(g_preferences.swatch);
        g_preferences.swatch = NULL;
    }
}

// The clock ended under the dialog (a logoff): its display is gone.
static int ClockGone() {
    return !IsWindow(g_preferences.clock) || !FaceReady();
}

// A confirmed colour keys the digits, cuts the window and shows at once, with the
// ticks held off while the surfaces change.
static void OnChooseColor(HWND dialog) {
    if (!g_preferences.colorsReady) {
        for (COLORREF& color : g_preferences.customColors)
            color = RGB(255, 255, 255);
        g_preferences.colorsReady = 1;
    }
    CHOOSECOLORA choose;
    ZeroMemory(&choose, sizeof(choose));
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = dialog;
    choose.rgbResult = g_appearance.transparentColor;
    choose.lpCustColors = g_preferences.customColors;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_SOLIDCOLOR;
    if (!ShowColorDialog(&choose) || ClockGone())
        return;
    g_preferences.taken = 1;
    HoldTicks();
    g_appearance.transparentColor = choose.rgbResult;
    SetDigitsColorKey(g_appearance.transparentColor);
    ApplyWindowRegion(g_preferences.clock, BackgroundSurface(), g_appearance.transparentColor, SHAPE_CLOCK);
    RepaintFace();
    ResumeTicks(g_preferences.clock);
    ForgetSwatch();
    HWND swatch = GetDlgItem(dialog, IDC_PREF_SWATCH);
    InvalidateRect(swatch, NULL, TRUE);
    UpdateWindow(swatch);
}

// Whatever the Digits dialog ends with, the layout it leaves is shown, and the
// display timer's period follows its last slot.
static void OnSetDigits(HWND dialog) {
    if (DigitsDialog(dialog, g_preferences.clock) == IDOK)
        g_preferences.taken = 1;
    if (ClockGone())
        return;
    HoldTicks();
    ClampDigitSlots();
    RepaintFace();
    ResumeTicks(g_preferences.clock);
}

// The field's path as the clock will load it (a leading backslash names the program
// folder) into `path`; 0 after the message when it names no file.
static int ReadBitmapField(HWND dialog, int id, char* path) {
    char typed[MAX_PATH];
    GetDlgItemTextA(dialog, id, typed, sizeof(typed));
    lstrcpynA(path, typed, MAX_PATH);
    if (!path[0])
        return 1;
    if (ResolveProgramPath(path, MAX_PATH) && FileExists(path))
        return 1;
    char text[MAX_PATH + 96];
    snprintf(text, sizeof(text), "Cannot find file \"%s\".\n\nCheck the filename and try again.", typed);
    ShowError(dialog, text);
    return 0;
}

static void OnOk(HWND dialog) {
    char background[MAX_PATH], digits[MAX_PATH];
    if (!ReadBitmapField(dialog, IDC_PREF_BACKGROUND, background) ||
        !ReadBitmapField(dialog, IDC_PREF_DIGITS, digits))
        return;
    SYSTEMTIME date, time;
    SendDlgItemMessageA(dialog, IDC_PREF_DATE, DTM_GETSYSTEMTIME, 0, (LPARAM)&date);
    SendDlgItemMessageA(dialog, IDC_PREF_TIME, DTM_GETSYSTEMTIME, 0, (LPARAM)&time);
    CalendarTime countdown =
        g_preferences.keepCountdown ? g_settings.countdownDate : DateFromPickers(&date, &time);
    if (countdown == -1 && !g_preferences.keepCountdown) {
        ShowError(dialog, kPickerRangeText);
        return;
    }
    lstrcpyA(g_appearance.backgroundBmp, background);
    lstrcpyA(g_appearance.digitsBmp, digits);
    g_settings.countdownDate = countdown;
    g_settings.clockMode = Checked(dialog, IDC_PREF_COUNTDOWN)   ? 0
                           : Checked(dialog, IDC_PREF_STOPWATCH) ? 2
                                                                 : 1;
    g_settings.displayPastEvents = Checked(dialog, IDC_PREF_PAST_EVENTS);
    g_settings.lastOfMonthMode = Checked(dialog, IDC_PREF_LAST_DAY);
    g_settings.alwaysOnTop = Checked(dialog, IDC_PREF_ALWAYS_ON_TOP);
    EndDialog(dialog, IDOK);
}

static INT_PTR OnSwatchColor(HWND dialog, HWND control) {
    if (control != GetDlgItem(dialog, IDC_PREF_SWATCH))
        return FALSE;
    if (!g_preferences.swatch)
        g_preferences.swatch = CreateSolidBrush(g_appearance.transparentColor);
    return (INT_PTR)g_preferences.swatch;
}

static void OnCommand(HWND dialog, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDC_PREF_COUNTDOWN: EnablePickers(dialog, 1); break;
    case IDC_PREF_CURRENT_TIME:
    case IDC_PREF_STOPWATCH: EnablePickers(dialog, 0); break;
    case IDC_PREF_BROWSE_BACKGROUND: BrowseForFile(dialog, IDC_PREF_BACKGROUND, kBitmapFilter); break;
    case IDC_PREF_BROWSE_DIGITS: BrowseForFile(dialog, IDC_PREF_DIGITS, kBitmapFilter); break;
    case IDC_PREF_CHOOSE_COLOR: OnChooseColor(dialog); break;
    case IDC_PREF_SET_DIGITS: OnSetDigits(dialog); break;
    case IDOK: OnOk(dialog); break;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); break;
    }
}

// A date the user sets replaces a countdown date the pickers could not show.
static void OnNotify(const NMHDR* header) {
    if (header->code == DTN_DATETIMECHANGE &&
        (header->idFrom == IDC_PREF_DATE || header->idFrom == IDC_PREF_TIME))
        g_preferences.keepCountdown = 0;
}

static INT_PTR CALLBACK PreferencesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInit(dialog); return TRUE;
    case WM_CTLCOLORSTATIC: return OnSwatchColor(dialog, (HWND)lParam);
    case WM_COMMAND: OnCommand(dialog, wParam); return TRUE;
    case WM_NOTIFY: OnNotify((const NMHDR*)lParam); return FALSE;
    case WM_DESTROY: ForgetSwatch(); return FALSE;
    }
    return FALSE;
}

int PreferencesDialog(HWND owner) {
    g_preferences.clock = owner;
    g_preferences.taken = 0;
    lstrcpyA(g_preferences.previousBackground, g_appearance.backgroundBmp);
    lstrcpyA(g_preferences.previousDigits, g_appearance.digitsBmp);
    INT_PTR result =
        DialogBoxParamA(g_program.instance, MAKEINTRESOURCEA(IDD_PREFERENCES), owner, PreferencesDlgProc, 0);
    if (!IsWindow(owner))
        return 0;
    if (result == IDOK && FaceReady()) {
        // On failure the face keeps the pictures it shows: their paths come back,
        // while what the dialog already showed (colour, digits) stays.
        ClockAppearance previous = g_appearance;
        lstrcpyA(previous.backgroundBmp, g_preferences.previousBackground);
        lstrcpyA(previous.digitsBmp, g_preferences.previousDigits);
        ApplySkin(owner, &previous);
    }
    if (IsWindow(owner))
        InvalidateRect(owner, NULL, FALSE);
    return result == IDOK || g_preferences.taken;
}
