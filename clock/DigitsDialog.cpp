// The Digits dialog: the twelve slots' positions, which of them are shown, and
// moving, centring and distributing the shown ones. It works on the appearance
// directly and shows each change on the clock at once; Cancel puts back the
// layout it opened with.
#include "Dialogs.h"
#include "DigitPlacement.h"
#include "PopupWindow.h"
#include "Display.h"
#include "ProfileValues.h"
#include "Program.h"
#include "Settings.h"
#include "Timers.h"
#include "resource.h"

#include <commctrl.h>
#include <cstdio>
#include <cstring>

enum { POSITION_SIZE = 16, SPACE_LIMIT = 999 };

static struct {
    HWND clock;                      // the clock window the changes show on
    HICON shownIcon, hiddenIcon;     // slot pictures
    HCURSOR staticCursor;            // the class cursor of static controls before the dialog; null: none kept
    int shown[DIGIT_SLOTS];          // 1 where the slot's picture shows it
    SlotRect keptSlots[DIGIT_SLOTS]; // the layout the dialog opened with, for Cancel
    int32_t keptFirst, keptLast;
} g_digits;

static const int kArrows[4][2] = {{IDC_DIGIT_UP, IDI_ARROW_UP},
                                  {IDC_DIGIT_DOWN, IDI_ARROW_DOWN},
                                  {IDC_DIGIT_MOVE_LEFT, IDI_ARROW_LEFT},
                                  {IDC_DIGIT_MOVE_RIGHT, IDI_ARROW_RIGHT}};

static int32_t ReadNumber(HWND dialog, int id) {
    char text[POSITION_SIZE];
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return ReadInteger(text);
}

static void WriteNumber(HWND dialog, int id, int32_t value) {
    char text[POSITION_SIZE];
    snprintf(text, sizeof(text), "%d", (int)value);
    SetDlgItemTextA(dialog, id, text);
}

static uint32_t CellWidth() {
    return DigitsWidth() / 10;
}

static void ShowSlotState(HWND dialog, int slot) {
    int shown = g_digits.shown[slot];
    SendDlgItemMessageA(dialog, IDC_DIGIT_PICTURE_FIRST + slot, STM_SETICON,
                        (WPARAM)(shown ? g_digits.shownIcon : g_digits.hiddenIcon), 0);
    EnableWindow(GetDlgItem(dialog, IDC_DIGIT_LEFT_FIRST + slot), shown);
    EnableWindow(GetDlgItem(dialog, IDC_DIGIT_TOP_FIRST + slot), shown);
}

// Puts the layout in the appearance, keeps the shown slots inside the background and
// redraws the clock, all with the display ticks held off: no tick may draw a slot
// with its new left and top and its old right and bottom. The display timer's period
// follows the last slot.
static void ShowOnClock(const SlotRect slots[DIGIT_SLOTS], int32_t first, int32_t last) {
    int live = IsWindow(g_digits.clock) && FaceReady();
    if (live)
        HoldTicks();
    memmove(g_appearance.slots, slots, sizeof(g_appearance.slots));
    g_appearance.firstDigit = first;
    g_appearance.lastDigit = last;
    if (!live)
        return;
    ClampDigitSlots();
    RepaintFace();
    ResumeTicks(g_digits.clock);
}

// The positions in the edits become the slots', every slot, shown or not, with the
// shown range `first` .. `last`.
static void TakeSlotPositions(HWND dialog, int32_t first, int32_t last) {
    SlotRect slots[DIGIT_SLOTS];
    memcpy(slots, g_appearance.slots, sizeof(slots));
    for (int i = 0; i < DIGIT_SLOTS; i++) {
        slots[i].left = ReadNumber(dialog, IDC_DIGIT_LEFT_FIRST + i);
        slots[i].top = ReadNumber(dialog, IDC_DIGIT_TOP_FIRST + i);
    }
    SizeSlots(slots, CellWidth(), DigitsHeight());
    ShowOnClock(slots, first, last);
}

static void SetStaticCursor(HWND dialog, HCURSOR cursor, HCURSOR* previous) {
    HWND picture = GetDlgItem(dialog, IDC_DIGIT_PICTURE_FIRST);
    HCURSOR was = (HCURSOR)SetClassLongPtrA(picture, GCLP_HCURSOR, (LONG_PTR)cursor);
    if (previous)
        *previous = was;
}

static void OnInit(HWND dialog, HWND clock) {
    g_digits.clock = clock;
    PlaceBesideWindow(dialog, clock); // the changes show there
    g_digits.shownIcon = LoadIconA(g_program.instance, MAKEINTRESOURCEA(IDI_SLOT_ACTIVE));
    g_digits.hiddenIcon = LoadIconA(g_program.instance, MAKEINTRESOURCEA(IDI_SLOT_INACTIVE));
    HCURSOR cursor = LoadCursorA(g_program.instance, MAKEINTRESOURCEA(IDC_SLOT_CURSOR));
    SetStaticCursor(dialog, cursor, &g_digits.staticCursor);

    const ClockAppearance* a = &g_appearance;
    for (int i = 0; i < DIGIT_SLOTS; i++) {
        WriteNumber(dialog, IDC_DIGIT_LEFT_FIRST + i, a->slots[i].left);
        WriteNumber(dialog, IDC_DIGIT_TOP_FIRST + i, a->slots[i].top);
        SendDlgItemMessageA(dialog, IDC_DIGIT_LEFT_FIRST + i, EM_LIMITTEXT, POSITION_SIZE - 1, 0);
        SendDlgItemMessageA(dialog, IDC_DIGIT_TOP_FIRST + i, EM_LIMITTEXT, POSITION_SIZE - 1, 0);
        g_digits.shown[i] = a->firstDigit <= i && i <= a->lastDigit;
        ShowSlotState(dialog, i);
    }
    for (const auto& arrow : kArrows)
        SendDlgItemMessageA(dialog, arrow[0], BM_SETIMAGE, IMAGE_ICON,
                            (LPARAM)LoadIconA(g_program.instance, MAKEINTRESOURCEA(arrow[1])));
    WriteNumber(dialog, IDC_DIGIT_DISTRIBUTE_LEFT, a->slots[a->firstDigit].left);
    WriteNumber(dialog, IDC_DIGIT_DISTRIBUTE_TOP, a->slots[a->firstDigit].top);
    SendDlgItemMessageA(dialog, IDC_DIGIT_DISTRIBUTE_LEFT, EM_LIMITTEXT, POSITION_SIZE - 1, 0);
    SendDlgItemMessageA(dialog, IDC_DIGIT_DISTRIBUTE_TOP, EM_LIMITTEXT, POSITION_SIZE - 1, 0);
    int32_t digitSpace, unitSpace;
    InitialSpacings(a->slots, a->firstDigit, a->lastDigit, &digitSpace, &unitSpace);
    const int spins[2] = {IDC_DIGIT_SPACE_SPIN, IDC_DIGIT_UNIT_SPACE_SPIN};
    const int32_t spaces[2] = {digitSpace, unitSpace};
    for (int s = 0; s < 2; s++) {
        SendDlgItemMessageA(dialog, spins[s], UDM_SETRANGE32, 0, SPACE_LIMIT);
        SendDlgItemMessageA(dialog, spins[s], UDM_SETPOS32, 0,
                            spaces[s] > SPACE_LIMIT ? SPACE_LIMIT : spaces[s]);
    }
    memcpy(g_digits.keptSlots, a->slots, sizeof(g_digits.keptSlots));
    g_digits.keptFirst = a->firstDigit;
    g_digits.keptLast = a->lastDigit;
}

// The only shown slot stays shown: a face needs one.
static void OnSlotClicked(HWND dialog, int slot) {
    if (!ClickSlot(g_digits.shown, slot)) {
        MessageBeep(MB_OK);
        return;
    }
    for (int i = 0; i < DIGIT_SLOTS; i++)
        ShowSlotState(dialog, i);
    int32_t first, last;
    ShownRange(g_digits.shown, &first, &last);
    ShowOnClock(g_appearance.slots, first, last);
}

static void OnMove(HWND dialog, int dx, int dy) {
    for (int i = g_appearance.firstDigit; i <= g_appearance.lastDigit; i++) {
        WriteNumber(dialog, IDC_DIGIT_LEFT_FIRST + i,
                    AddSaturated(ReadNumber(dialog, IDC_DIGIT_LEFT_FIRST + i), dx));
        WriteNumber(dialog, IDC_DIGIT_TOP_FIRST + i,
                    AddSaturated(ReadNumber(dialog, IDC_DIGIT_TOP_FIRST + i), dy));
    }
    TakeSlotPositions(dialog, g_appearance.firstDigit, g_appearance.lastDigit);
}

static void WriteLefts(HWND dialog, const int32_t lefts[DIGIT_SLOTS], int32_t top, int32_t first,
                       int32_t last) {
    for (int i = first; i <= last; i++) {
        WriteNumber(dialog, IDC_DIGIT_LEFT_FIRST + i, lefts[i]);
        WriteNumber(dialog, IDC_DIGIT_TOP_FIRST + i, top);
    }
    TakeSlotPositions(dialog, first, last);
}

static void OnCenter(HWND dialog) {
    int32_t lefts[DIGIT_SLOTS] = {0};
    int32_t top = 0;
    CenterDigits(lefts, &top, g_appearance.firstDigit, g_appearance.lastDigit, CellWidth(), DigitsHeight(),
                 BackgroundWidth(), BackgroundHeight());
    WriteLefts(dialog, lefts, top, g_appearance.firstDigit, g_appearance.lastDigit);
}

// A spacing field's number, held within what its up-down control offers.
static int32_t ReadSpace(HWND dialog, int id) {
    int32_t space = ReadNumber(dialog, id);
    return space < 0 ? 0 : space > SPACE_LIMIT ? SPACE_LIMIT : space;
}

static void OnDistribute(HWND dialog) {
    int32_t left = ReadNumber(dialog, IDC_DIGIT_DISTRIBUTE_LEFT);
    int32_t top = ReadNumber(dialog, IDC_DIGIT_DISTRIBUTE_TOP);
    int32_t digitSpace = ReadSpace(dialog, IDC_DIGIT_SPACE);
    int32_t unitSpace = ReadSpace(dialog, IDC_DIGIT_UNIT_SPACE);
    int32_t first, last;
    ShownRange(g_digits.shown, &first, &last);
    int32_t lefts[DIGIT_SLOTS] = {0};
    DistributeDigits(lefts, left, digitSpace, unitSpace, first, last, CellWidth());
    WriteLefts(dialog, lefts, top, first, last);
}

static void OnCancel(HWND dialog) {
    ShowOnClock(g_digits.keptSlots, g_digits.keptFirst, g_digits.keptLast);
    EndDialog(dialog, IDCANCEL);
}

static void OnCommand(HWND dialog, WPARAM wParam) {
    int id = LOWORD(wParam);
    if (id >= IDC_DIGIT_PICTURE_FIRST && id < IDC_DIGIT_PICTURE_FIRST + DIGIT_SLOTS) {
        if (HIWORD(wParam) == STN_CLICKED) // the second click of a double click comes as STN_DBLCLK
            OnSlotClicked(dialog, id - IDC_DIGIT_PICTURE_FIRST);
        return;
    }
    switch (id) {
    case IDC_DIGIT_UP: OnMove(dialog, 0, -1); break;
    case IDC_DIGIT_MOVE_LEFT: OnMove(dialog, -1, 0); break;
    case IDC_DIGIT_MOVE_RIGHT: OnMove(dialog, 1, 0); break;
    case IDC_DIGIT_DOWN: OnMove(dialog, 0, 1); break;
    case IDC_DIGIT_CENTER: OnCenter(dialog); break;
    case IDC_DIGIT_DISTRIBUTE: OnDistribute(dialog); break;
    case IDC_DIGIT_PREVIEW: TakeSlotPositions(dialog, g_appearance.firstDigit, g_appearance.lastDigit); break;
    case IDOK:
        TakeSlotPositions(dialog, g_appearance.firstDigit, g_appearance.lastDigit);
        EndDialog(dialog, IDOK);
        break;
    case IDCANCEL: OnCancel(dialog); break;
    }
}

// However the dialog ends (OK, Cancel, its owner destroyed), the static controls
// get their own cursor back.
static void OnDestroy(HWND dialog) {
    SetStaticCursor(dialog, g_digits.staticCursor, NULL);
}

static INT_PTR CALLBACK DigitsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInit(dialog, (HWND)lParam); return TRUE;
    case WM_COMMAND: OnCommand(dialog, wParam); return TRUE;
    case WM_DESTROY: OnDestroy(dialog); return FALSE;
    }
    return FALSE;
}

INT_PTR DigitsDialog(HWND owner, HWND clock) {
    return DialogBoxParamA(g_program.instance, MAKEINTRESOURCEA(IDD_DIGITS), owner, DigitsDlgProc,
                           (LPARAM)clock);
}
