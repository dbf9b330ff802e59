// The Events dialog: an editor for one event above the list of all events. The list
// control is the working copy; only OK copies it back into the event table.
#include "Dialogs.h"
#include "EventFields.h"
#include "FileChooser.h"
#include "Files.h"
#include "PickerTime.h"
#include "Program.h"
#include "Schedule.h"
#include "resource.h"

#include <commctrl.h>
#include <cstring>

enum { COLUMN_DATE, COLUMN_RECURRENCE, COLUMN_MESSAGE, COLUMN_SOUND, COLUMN_APP, COLUMN_COUNT };
enum { DATE_TEXT_SIZE = 32, NAME_SIZE = 32 };

static struct {
    int pendingEdit;        // 1 while the editor holds an event the list does not: OK asks first
    CalendarTime heldStart; // the edited event's start, which the pickers cannot show; -1 none
} g_eventsDialog;

static const struct {
    const char* header;
    int width; // pixels
} kColumns[COLUMN_COUNT] = {
    {"Date", 120}, {"Recurrence", 60}, {"Message", 120}, {"Sound", 120}, {"Application", 120}};

static const char kSoundFilter[] = "Audio files (*.wav)\0*.wav\0";
static const char kAppFilter[] = "Executable files (*.exe;*.com;*.bat)\0*.exe;*.com;*.bat\0";

static void ShowError(HWND dialog, const char* text) {
    MessageBoxA(dialog, text, "Vantel - Error", MB_OK | MB_ICONWARNING);
}

static HWND EventList(HWND dialog) {
    return GetDlgItem(dialog, IDC_EVENT_LIST);
}

static void SetCell(HWND list, int row, int column, const char* text) {
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.iSubItem = column;
    item.pszText = (char*)text;
    SendMessageA(list, LVM_SETITEMTEXTA, row, (LPARAM)&item);
}

static void GetCell(HWND list, int row, int column, char* text, int capacity) {
    text[0] = '\0';
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = capacity;
    SendMessageA(list, LVM_GETITEMTEXTA, row, (LPARAM)&item);
}

// Puts the event into the list where its date text sorts; 0 when the list refuses the
// row or the time has no date text.
static int InsertRow(HWND list, const EventRecord* event) {
    char date[DATE_TEXT_SIZE];
    if (!FormatDateText(event->startTime, date, sizeof(date), DATE_FILE))
        return 0;
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_TEXT;
    item.iItem = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    item.pszText = date;
    // The list sorts itself: the row lands where its date belongs, not where asked.
    int row = (int)SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
    if (row < 0)
        return 0;
    SetCell(list, row, COLUMN_RECURRENCE, RecurrenceNameFromCode(event->recurrence));
    SetCell(list, row, COLUMN_MESSAGE, event->message);
    SetCell(list, row, COLUMN_SOUND, event->soundFile);
    SetCell(list, row, COLUMN_APP, event->appFile);
    return 1;
}

// The selected row, or -1 after a beep when there is none.
static int SelectedRow(HWND list) {
    int row = (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
    if (row < 0)
        MessageBeep(MB_ICONEXCLAMATION);
    return row;
}

static void InitPickers(HWND dialog) {
    // Outside these dates a picker's value has no calendar time.
    SYSTEMTIME range[2];
    PickerRange(range);
    SendDlgItemMessageA(dialog, IDC_EVENT_DATE, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, (LPARAM)range);
    SendDlgItemMessageA(dialog, IDC_EVENT_TIME, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, (LPARAM)range);
    // Events fall due to the second; a locale's time format may leave the seconds out.
    SendDlgItemMessageA(dialog, IDC_EVENT_TIME, DTM_SETFORMATA, 0, (LPARAM) "HH':'mm':'ss");
}

static void InitEventList(HWND dialog) {
    HWND list = EventList(dialog);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < COLUMN_COUNT; i++) {
        LVCOLUMNA column;
        ZeroMemory(&column, sizeof(column));
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = (char*)kColumns[i].header;
        column.cx = kColumns[i].width;
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, (LPARAM)&column);
    }
    int count = CountEvents(&g_events);
    for (int i = 0; i < count; i++)
        InsertRow(list, &g_events.slots[i]);
}

static void OnEventsInit(HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_EVENT_MESSAGE, EM_LIMITTEXT, sizeof(EventRecord::message) - 1, 0);
    SendDlgItemMessageA(dialog, IDC_EVENT_SOUND, EM_LIMITTEXT, sizeof(EventRecord::soundFile) - 1, 0);
    SendDlgItemMessageA(dialog, IDC_EVENT_APP, EM_LIMITTEXT, sizeof(EventRecord::appFile) - 1, 0);
    for (int code = RECUR_NONE; code <= RECUR_YEARLY; code++)
        SendDlgItemMessageA(dialog, IDC_EVENT_RECURRENCE, CB_ADDSTRING, 0,
                            (LPARAM)RecurrenceNameFromCode(code));
    SendDlgItemMessageA(dialog, IDC_EVENT_RECURRENCE, CB_SETCURSEL, RECUR_NONE, 0);
    InitPickers(dialog);
    InitEventList(dialog);
    g_eventsDialog.pendingEdit = 0;
    g_eventsDialog.heldStart = -1;
}

// Reads the editor into *event; 0 after its message when the event cannot be added.
static int ReadEditor(HWND dialog, EventRecord* event) {
    ZeroMemory(event, sizeof(*event));
    SYSTEMTIME date, time;
    SendDlgItemMessageA(dialog, IDC_EVENT_DATE, DTM_GETSYSTEMTIME, 0, (LPARAM)&date);
    SendDlgItemMessageA(dialog, IDC_EVENT_TIME, DTM_GETSYSTEMTIME, 0, (LPARAM)&time);
    // A start the pickers could not show stays until the user sets another.
    event->startTime =
        g_eventsDialog.heldStart != -1 ? g_eventsDialog.heldStart : DateFromPickers(&date, &time);
    // A start of 0 or less would end the event list at OK, and every later event with it.
    if (event->startTime <= 0) {
        ShowError(dialog, kPickerRangeText);
        return 0;
    }
    char name[NAME_SIZE];
    GetDlgItemTextA(dialog, IDC_EVENT_RECURRENCE, name, sizeof(name));
    event->recurrence = RecurrenceCodeFromName(name);
    GetDlgItemTextA(dialog, IDC_EVENT_MESSAGE, event->message, sizeof(event->message));
    GetDlgItemTextA(dialog, IDC_EVENT_SOUND, event->soundFile, sizeof(event->soundFile));
    GetDlgItemTextA(dialog, IDC_EVENT_APP, event->appFile, sizeof(event->appFile));
    // A pasted line break would split the value in the settings file.
    MakeSingleLine(event->message);
    MakeSingleLine(event->soundFile);
    MakeSingleLine(event->appFile);
    if (event->soundFile[0] && !FileExists(event->soundFile)) {
        ShowError(dialog, "Cannot find the sound file.\n\nCheck the filename and try again.");
        return 0;
    }
    if (!event->message[0] && !event->soundFile[0] && !event->appFile[0]) {
        ShowError(dialog, "Specify a notification (Message, sound or application).");
        return 0;
    }
    return 1;
}

// Adds the editor's event to the list; 1 when it was added.
static int AddEvent(HWND dialog) {
    HWND list = EventList(dialog);
    if (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) >= MAX_EVENTS) {
        ShowError(dialog, "The event list already contains the max. number of items.");
        return 0;
    }
    EventRecord event;
    if (!ReadEditor(dialog, &event))
        return 0;
    if (!InsertRow(list, &event)) {
        ShowError(dialog, "Cannot add event to the event list.\nClose other applications to get more free "
                          "memory and try again.");
        return 0;
    }
    return 1;
}

// Moves the selected event into the editor; Add puts it back, possibly changed.
static void EditSelected(HWND dialog) {
    HWND list = EventList(dialog);
    int row = SelectedRow(list);
    if (row < 0)
        return;
    char text[sizeof(EventRecord::message)];
    GetCell(list, row, COLUMN_DATE, text, sizeof(text));
    SYSTEMTIME when;
    int shown = DateTextToPickerTime(text, &when);
    if (shown) {
        SendDlgItemMessageA(dialog, IDC_EVENT_DATE, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&when);
        SendDlgItemMessageA(dialog, IDC_EVENT_TIME, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&when);
    }
    // The pickers would put their own date in its place.
    g_eventsDialog.heldStart = shown ? -1 : ParseDateText(text);
    // By code: the combo box's own search ignores case, the pattern names do not.
    GetCell(list, row, COLUMN_RECURRENCE, text, sizeof(text));
    SendDlgItemMessageA(dialog, IDC_EVENT_RECURRENCE, CB_SETCURSEL, RecurrenceCodeFromName(text), 0);
    GetCell(list, row, COLUMN_MESSAGE, text, sizeof(text));
    SetDlgItemTextA(dialog, IDC_EVENT_MESSAGE, text);
    GetCell(list, row, COLUMN_SOUND, text, sizeof(text));
    SetDlgItemTextA(dialog, IDC_EVENT_SOUND, text);
    GetCell(list, row, COLUMN_APP, text, sizeof(text));
    SetDlgItemTextA(dialog, IDC_EVENT_APP, text);
    SendMessageA(list, LVM_DELETEITEM, row, 0);
}

static void RemoveSelected(HWND dialog) {
    HWND list = EventList(dialog);
    int row = SelectedRow(list);
    if (row >= 0)
        SendMessageA(list, LVM_DELETEITEM, row, 0);
}

// Replaces the event table with the rows in list order, which is time order.
static void CommitList(HWND dialog) {
    HWND list = EventList(dialog);
    static EventTable table; // 33 KB, kept off the stack
    memset(&table, 0, sizeof(table));
    int rows = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    int slot = 0;
    for (int row = 0; row < rows && slot < MAX_EVENTS; row++) {
        char text[DATE_TEXT_SIZE];
        GetCell(list, row, COLUMN_DATE, text, sizeof(text));
        // A start of 0 or less would end the list here: such a row is left out alone.
        CalendarTime start = ParseDateText(text);
        if (start <= 0)
            continue;
        EventRecord* event = &table.slots[slot++];
        event->startTime = start;
        GetCell(list, row, COLUMN_RECURRENCE, text, sizeof(text));
        event->recurrence = RecurrenceCodeFromName(text);
        GetCell(list, row, COLUMN_MESSAGE, event->message, sizeof(event->message));
        GetCell(list, row, COLUMN_SOUND, event->soundFile, sizeof(event->soundFile));
        GetCell(list, row, COLUMN_APP, event->appFile, sizeof(event->appFile));
    }
    ReplaceEventTable(&table);
}

static void OnEventsOk(HWND dialog) {
    if (g_eventsDialog.pendingEdit &&
        MessageBoxA(
            dialog,
            "You specified a new event but did not add it to the event list\nDo you want to discard it?",
            "Vantel - Warning", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    CommitList(dialog);
    EndDialog(dialog, IDOK);
}

static void OnEventsCommand(HWND dialog, WPARAM wParam) {
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    switch (id) {
    case IDC_EVENT_MESSAGE:
    case IDC_EVENT_SOUND:
    case IDC_EVENT_APP:
        if (code == EN_CHANGE)
            g_eventsDialog.pendingEdit = 1;
        break;
    case IDC_EVENT_RECURRENCE:
        if (code == CBN_SELCHANGE)
            g_eventsDialog.pendingEdit = 1;
        break;
    case IDC_EVENT_BROWSE_SOUND: BrowseForFile(dialog, IDC_EVENT_SOUND, kSoundFilter); break;
    case IDC_EVENT_BROWSE_APP: BrowseForFile(dialog, IDC_EVENT_APP, kAppFilter); break;
    case IDC_EVENT_ADD:
        // A refused Add leaves the event in the editor only: it is still pending.
        if (AddEvent(dialog)) {
            g_eventsDialog.pendingEdit = 0;
            g_eventsDialog.heldStart = -1;
        }
        break;
    case IDC_EVENT_EDIT:
        EditSelected(dialog);
        g_eventsDialog.pendingEdit = 1;
        break;
    case IDC_EVENT_REMOVE: RemoveSelected(dialog); break;
    case IDOK: OnEventsOk(dialog); break;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); break;
    }
}

static void OnEventsNotify(const NMHDR* header) {
    if (header->code == DTN_DATETIMECHANGE &&
        (header->idFrom == IDC_EVENT_DATE || header->idFrom == IDC_EVENT_TIME)) {
        g_eventsDialog.pendingEdit = 1;
        g_eventsDialog.heldStart = -1;
    }
}

static INT_PTR CALLBACK EventsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnEventsInit(dialog); return TRUE;
    case WM_COMMAND: OnEventsCommand(dialog, wParam); return TRUE;
    case WM_NOTIFY: OnEventsNotify((const NMHDR*)lParam); return FALSE;
    }
    return FALSE;
}

INT_PTR EventsDialog(HWND owner) {
    return DialogBoxParamA(g_program.instance, MAKEINTRESOURCEA(IDD_EVENTS), owner, EventsDlgProc, 0);
}
