#include "Launcher.h"
#include "Files.h"
#include "MessageFile.h"
#include "Program.h"
#include "TextLayout.h"

#include <cstdio>
#include <cstring>

enum { JOB_MESSAGE = 1, JOB_APPLICATION = 2, MAX_JOBS = 64 };

struct LaunchJob {
    int kind;                // JOB_MESSAGE or JOB_APPLICATION
    CalendarTime occurrence; // of the reminder the start belongs to
    char date[32];           // display date of the occurrence (message)
    char text[512];          // the message
    char command[260];       // the application's command line
};

static struct {
    HANDLE thread;
    HANDLE wake;              // set when a job is queued or the thread must end
    CRITICAL_SECTION lock;    // guards the queue
    LaunchJob jobs[MAX_JOBS]; // ring buffer
    int head;                 // oldest job
    int count;                // jobs waiting
    volatile LONG quit;       // 1: end once the queue is empty
    int abandoned;            // 1: the clock closes; no further job is taken
    int refusalTold;          // 1: a refused start has been told since the queue last had room
    CalendarTime refused;     // earliest occurrence a full queue refused; -1 none
    HWND window;              // receives failure reports
    char handOverPath[MAX_PATH];
} g_launcher;

// A message that could not be handed over (a read-only folder, a file another program
// holds) is told with its date and text, line breaks and all; the message program
// would show whatever message the file held before.
static void ReportMessageNotHandedOver(const LaunchJob* job) {
    char text[sizeof(g_launcher.handOverPath) + sizeof(job->date) + sizeof(job->text) + 96];
    int length = snprintf(text, sizeof(text), "Cannot write the message to \"%s\".\n\nThe message of %s:\n",
                          g_launcher.handOverPath, job->date);
    if (length < 0 || length >= (int)sizeof(text))
        return;
    lstrcpynA(text + length, job->text, (int)sizeof(text) - length);
    ReplaceAll(text + length, (int)sizeof(text) - length, "<br>", "\n");
    PostTextToWindow(g_launcher.window, WM_VANTEL_REPORT, text);
}

// WinExec takes an unquoted line with blanks as the shortest program it can find:
// "C:\Program Files\Tool\tool.exe" would start C:\Program.exe. A line that names an
// existing file as a whole starts that file; any other is started as written,
// arguments and all.
static UINT StartCommand(const char* command) {
    char quoted[sizeof(LaunchJob::command) + 2];
    if (command[0] != '"' && !strpbrk(command, "*?") && FileExists(command)) {
        snprintf(quoted, sizeof(quoted), "\"%s\"", command);
        return WinExec(quoted, SW_SHOWDEFAULT);
    }
    return WinExec(command, SW_SHOWDEFAULT);
}

static void RunJob(const LaunchJob* job) {
    if (job->kind == JOB_MESSAGE) {
        if (!WriteMessageHandOver(g_launcher.handOverPath, job->date, job->text)) {
            ReportMessageNotHandedOver(job);
            return;
        }
        // Returns once the message program waits for input, that is after it has
        // read the section; only then may the next hand-over overwrite it.
        WinExec("vantelmsg.exe", SW_SHOWDEFAULT);
    } else if (StartCommand(job->command) <= 31) {
        char text[sizeof(job->command) + 64];
        snprintf(text, sizeof(text), "Cannot start the application \"%s\".", job->command);
        PostTextToWindow(g_launcher.window, WM_VANTEL_REPORT, text);
    }
}

static int TakeJob(LaunchJob* job) {
    EnterCriticalSection(&g_launcher.lock);
    int taken = g_launcher.count > 0 && !g_launcher.abandoned;
    if (taken) {
        *job = g_launcher.jobs[g_launcher.head];
        g_launcher.head = (g_launcher.head + 1) % MAX_JOBS;
        g_launcher.count--;
    }
    LeaveCriticalSection(&g_launcher.lock);
    return taken;
}

static DWORD WINAPI LauncherThread(LPVOID) {
    static LaunchJob job; // only this thread uses it
    for (;;) {
        WaitForSingleObject(g_launcher.wake, INFINITE);
        while (TakeJob(&job))
            RunJob(&job);
        if (g_launcher.quit)
            return 0;
    }
}

int StartLauncher(HWND window, const char* handOverPath) {
    g_launcher.window = window;
    lstrcpynA(g_launcher.handOverPath, handOverPath, sizeof(g_launcher.handOverPath));
    InitializeCriticalSection(&g_launcher.lock);
    g_launcher.wake = CreateEventA(NULL, FALSE, FALSE, NULL);
    g_launcher.quit = 0;
    g_launcher.abandoned = 0;
    g_launcher.refused = -1;
    g_launcher.thread = g_launcher.wake ? CreateThread(NULL, 0, LauncherThread, NULL, 0, NULL) : NULL;
    return g_launcher.thread != NULL;
}

void StopLauncher() {
    if (g_launcher.thread) {
        g_launcher.quit = 1;
        SetEvent(g_launcher.wake);
        // A program that never waits for input holds WinExec for 30 s; the clock
        // does not wait that long to close. A thread still inside WinExec keeps
        // its lock and event: the process ends around it.
        int ended = WaitForSingleObject(g_launcher.thread, 5000) == WAIT_OBJECT_0;
        // What is still queued now stays so, for UnstartedSince.
        EnterCriticalSection(&g_launcher.lock);
        g_launcher.abandoned = 1;
        LeaveCriticalSection(&g_launcher.lock);
        CloseHandle(g_launcher.thread);
        g_launcher.thread = NULL;
        if (!ended)
            return;
    }
    if (g_launcher.wake) {
        CloseHandle(g_launcher.wake);
        g_launcher.wake = NULL;
        DeleteCriticalSection(&g_launcher.lock);
    }
}

static CalendarTime Earlier(CalendarTime a, CalendarTime b) {
    return a == -1 || (b != -1 && b < a) ? b : a;
}

// A start refused by a full queue is told once until the queue has room again; its
// reminder comes back as missed at the next start.
static LaunchJob* NewJob(CalendarTime occurrence) {
    if (g_launcher.count < MAX_JOBS) {
        g_launcher.refusalTold = 0;
        return &g_launcher.jobs[(g_launcher.head + g_launcher.count) % MAX_JOBS];
    }
    g_launcher.refused = Earlier(g_launcher.refused, occurrence);
    if (!g_launcher.refusalTold) {
        g_launcher.refusalTold = 1;
        PostTextToWindow(g_launcher.window, WM_VANTEL_REPORT,
                         "Too many reminders are waiting for their programs to start.\n"
                         "The reminders that could not be started come back as missed events at the next "
                         "start of Vantel.");
    }
    return NULL;
}

static void Queue(int kind, const char* date, const char* text, const char* command,
                  CalendarTime occurrence) {
    if (!g_launcher.thread) {
        // Without its thread the start is made here, late rather than lost.
        static LaunchJob job;
        job.kind = kind;
        job.occurrence = occurrence;
        lstrcpynA(job.date, date, sizeof(job.date));
        lstrcpynA(job.text, text, sizeof(job.text));
        lstrcpynA(job.command, command, sizeof(job.command));
        RunJob(&job);
        return;
    }
    EnterCriticalSection(&g_launcher.lock);
    LaunchJob* job = NewJob(occurrence);
    if (job) {
        job->kind = kind;
        job->occurrence = occurrence;
        lstrcpynA(job->date, date, sizeof(job->date));
        lstrcpynA(job->text, text, sizeof(job->text));
        lstrcpynA(job->command, command, sizeof(job->command));
        g_launcher.count++;
    }
    LeaveCriticalSection(&g_launcher.lock);
    SetEvent(g_launcher.wake);
}

void QueueMessage(const char* dateText, const char* message, CalendarTime occurrence) {
    Queue(JOB_MESSAGE, dateText, message, "", occurrence);
}

void QueueApplication(const char* commandLine, CalendarTime occurrence) {
    Queue(JOB_APPLICATION, "", "", commandLine, occurrence);
}

CalendarTime UnstartedSince() {
    CalendarTime earliest = g_launcher.refused > 0 ? g_launcher.refused : -1;
    if (!g_launcher.wake)
        return earliest; // the thread has ended with its queue empty
    EnterCriticalSection(&g_launcher.lock);
    for (int i = 0; i < g_launcher.count; i++)
        earliest = Earlier(earliest, g_launcher.jobs[(g_launcher.head + i) % MAX_JOBS].occurrence);
    LeaveCriticalSection(&g_launcher.lock);
    return earliest;
}
