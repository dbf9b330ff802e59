// A stand-in for the message program in end-to-end tests. Started as
// "vantelmsg.exe" from the clock's folder, it records the Message section of
// vantelmsg.ini that it finds at start in "standin-<pid>.txt" beside itself
// (three lines: the start time in 100 ns units, Date, Text), then waits for input
// a moment, as a real window program does, and ends. With a file "hold-ms.txt"
// beside it, it first runs that many milliseconds without waiting for input, which
// holds the WinExec that started it so long.
// Started with arguments ("app <name>") it plays an event's application instead:
// it records its start time in "<name>.started" beside itself and ends. As
// "busy <name>" it records the same, then runs for 20 s without ever waiting for
// input, which holds the WinExec that started it.
#include <windows.h>

#include <cstdio>
#include <cstring>

static void ProgramFolder(char* folder, int size) {
    GetModuleFileNameA(NULL, folder, size);
    char* slash = strrchr(folder, '\\');
    if (slash)
        *slash = '\0';
}

static unsigned long long Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return ((unsigned long long)now.dwHighDateTime << 32) | now.dwLowDateTime;
}

static void WriteRecord(const char* path, const char* text) {
    // Written to a temporary name and renamed, so a reader never sees half a record.
    char temporary[MAX_PATH + 8];
    snprintf(temporary, sizeof(temporary), "%s.tmp", path);
    FILE* file = fopen(temporary, "wb");
    if (!file)
        return;
    fputs(text, file);
    fclose(file);
    MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    char folder[MAX_PATH];
    ProgramFolder(folder, sizeof(folder));
    char record[1200];
    char path[MAX_PATH + 64];

    int busy = strncmp(commandLine, "busy ", 5) == 0;
    if (strncmp(commandLine, "app ", 4) == 0 || busy) {
        snprintf(path, sizeof(path), "%s\\%s.started", folder, commandLine + (busy ? 5 : 4));
        snprintf(record, sizeof(record), "%llu\n", Now());
        WriteRecord(path, record);
        if (busy)
            Sleep(20000);
        return 0;
    }

    unsigned long long started = Now();
    char ini[MAX_PATH + 32], date[64], text[1024];
    snprintf(ini, sizeof(ini), "%s\\vantelmsg.ini", folder);
    GetPrivateProfileStringA("Message", "Date", "01.01.2000 00:00:00", date, sizeof(date), ini);
    GetPrivateProfileStringA("Message", "Text", "Happy New Year!", text, sizeof(text), ini);
    snprintf(path, sizeof(path), "%s\\standin-%lu.txt", folder, GetCurrentProcessId());
    snprintf(record, sizeof(record), "%llu\n%s\n%s\n", started, date, text);
    WriteRecord(path, record);

    char hold[MAX_PATH + 32];
    snprintf(hold, sizeof(hold), "%s\\hold-ms.txt", folder);
    FILE* holdFile = fopen(hold, "rb");
    if (holdFile) {
        int milliseconds = 0;
        if (fscanf(holdFile, "%d", &milliseconds) == 1 && milliseconds > 0)
            Sleep(milliseconds);
        fclose(holdFile);
    }

    // Idle in a message loop for a moment, so WinExec in the clock sees a program
    // that waits for input.
    HWND window = CreateWindowA("STATIC", "Vantel stand-in", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    SetTimer(window, 1, 1500, NULL);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0)) {
        if (message.message == WM_TIMER)
            break;
        DispatchMessageA(&message);
    }
    DestroyWindow(window);
    return 0;
}
