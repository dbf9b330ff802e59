// winprobe: tells the end-to-end tests what the X server cannot show about the
// top-level windows of the programs under test (Win32 class, styles, region).
// It runs in the same Wine prefix, so it sees the same windows.
//
// Usage:
//   winprobe window CLASS TITLE [--wait MS] [--rects] [--point X,Y]...
//       The window FindWindowA finds ("-" for CLASS or TITLE matches any), or the
//       window whose handle CLASS is ("0x...").
//       --wait polls until it exists and is visible, for at most MS milliseconds
//       (a window is found while it is being created, before it has its size).
//       --rects lists the rectangles of its region; --point asks whether a
//       point (window coordinates, as the region's) lies in the region.
//       --children tells the window's owner and lists its child windows with
//       their texts (the text of a message box, the labels of a dialog).
//   winprobe list CLASS [--wait MS] [--rects] [--point X,Y]...
//       Every visible top-level window of the class (popup menus are "#32768").
//       --wait polls until at least one exists, for at most MS milliseconds.
//   winprobe hold PATH none|read
//       Opens the file for reading as another program would, sharing nothing or only
//       reading, prints "held 1" (or "held 0" when it cannot) and keeps it open until
//       the process is ended.
//   winprobe post CLASS TITLE MESSAGE [WPARAM]
//       Posts a message (a number, as the system would send it: WM_TIMECHANGE is
//       30, WM_POWERBROADCAST 536) to the window FindWindowA finds.
//   winprobe serve
//       Reads one command a line from standard input (the arguments of any command
//       above but hold, separated by tabs), answers each with its output and a line
//       "exit N" (its exit code), until the input ends. One process then serves a
//       whole test run: under emulated Wine every start of a program costs seconds.
//
// Output: one fact per line, "key value...", numbers in decimal unless 0x-prefixed:
//   window 0x1234          starts the block of one window
//   class Vantel
//   title Vantel - Digital clock
//   rect 10 10 226 81      window rectangle on the screen: left top right bottom
//   style 0x94000000
//   exstyle 0x00000080
//   visible 1
//   enabled 1
//   foreground 1           1 when it is the foreground window
//   region complex 0 0 216 71   type (none, null, simple, complex, error) and box
//   regionrect 0 0 216 1   one per rectangle, with --rects
//   point 5 5 0            with --point: the point and 1 when inside the region (inside
//                          the window rectangle when there is no region)
//   owner 0x1234           with --children: the owner window (0x0 for none)
//   child 0x1240 65535 Static Cannot start...   with --children, one per child window:
//                          handle, control id, class and text (line breaks as \n, backslashes doubled)
//   end                    ends the block
//   count 1                closes the output: the number of blocks
// Exit code: 0 when at least one window was found, 1 when none, 2 on bad usage.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static const int kMaxPoints = 32;
static const int kMaxWindows = 64;

struct ProbeOptions {
    const char* className; // NULL matches any class
    const char* title;     // NULL matches any title
    DWORD waitMs;          // how long to poll for the window
    int listRects;         // 1: print the region's rectangles
    int pointCount;        // number of points to test against the region
    int listChildren;      // 1: print the owner and the child windows with their texts
    POINT points[kMaxPoints];
};

struct WindowList {
    const char* className;
    int count;
    HWND windows[kMaxWindows];
};

static const char* RegionTypeName(int type) {
    switch (type) {
    case NULLREGION: return "null";
    case SIMPLEREGION: return "simple";
    case COMPLEXREGION: return "complex";
    default: return "error";
    }
}

// Prints the region lines of a window; a window without a region is "none".
static void PrintRegion(HWND window, const ProbeOptions& options) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    int type = GetWindowRgn(window, region);
    if (type == ERROR) {
        // GetWindowRgn reports ERROR for a window that has no region at all: then the
        // whole window rectangle counts.
        RECT rect;
        GetWindowRect(window, &rect);
        printf("region none\n");
        DeleteObject(region);
        region = CreateRectRgn(0, 0, rect.right - rect.left, rect.bottom - rect.top);
    } else {
        RECT box;
        GetRgnBox(region, &box);
        printf("region %s %ld %ld %ld %ld\n", RegionTypeName(type), box.left, box.top, box.right, box.bottom);
    }
    if (options.listRects && type != ERROR) {
        DWORD size = GetRegionData(region, 0, NULL);
        RGNDATA* data = (RGNDATA*)malloc(size);
        if (data && GetRegionData(region, size, data) == size) {
            const RECT* rects = (const RECT*)data->Buffer;
            for (DWORD i = 0; i < data->rdh.nCount; i++)
                printf("regionrect %ld %ld %ld %ld\n", rects[i].left, rects[i].top, rects[i].right,
                       rects[i].bottom);
        }
        free(data);
    }
    for (int i = 0; i < options.pointCount; i++) {
        const POINT& p = options.points[i];
        printf("point %ld %ld %d\n", p.x, p.y, PtInRegion(region, p.x, p.y) ? 1 : 0);
    }
    DeleteObject(region);
}

static BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    char className[256] = "";
    char text[1024] = "";
    GetClassNameA(child, className, sizeof(className));
    // WM_GETTEXT is carried across processes; GetWindowTextA would not ask the control.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(child, WM_GETTEXT, sizeof(text), (LPARAM)text, SMTO_ABORTIFHUNG, 2000, &length))
        text[0] = '\0';
    printf("child 0x%llx %ld %s ", (unsigned long long)(ULONG_PTR)child, (long)GetDlgCtrlID(child),
           className);
    for (const char* c = text; *c; c++) {
        if (*c == '\r')
            continue;
        if (*c == '\n')
            printf("\\n");
        else if (*c == '\\')
            printf("\\\\");
        else
            putchar(*c);
    }
    printf("\n");
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(child, &rect);
    DWORD_PTR checked = 0;
    SendMessageTimeoutA(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &checked);
    printf("state %ld %ld %ld %ld %d %d\n", rect.left, rect.top, rect.right, rect.bottom,
           IsWindowEnabled(child) ? 1 : 0, (int)checked);
    return TRUE;
}

// The owner and every child window (children of children too) with their texts.
static void PrintChildren(HWND window) {
    printf("owner 0x%llx\n", (unsigned long long)(ULONG_PTR)GetWindow(window, GW_OWNER));
    EnumChildWindows(window, PrintChild, 0);
}

static void PrintWindow(HWND window, const ProbeOptions& options) {
    char className[256] = "";
    char title[512] = "";
    RECT rect = {0, 0, 0, 0};
    GetClassNameA(window, className, sizeof(className));
    GetWindowTextA(window, title, sizeof(title));
    GetWindowRect(window, &rect);
    printf("window 0x%llx\n", (unsigned long long)(ULONG_PTR)window);
    printf("class %s\n", className);
    printf("title %s\n", title);
    printf("rect %ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    printf("style 0x%08lx\n", (unsigned long)GetWindowLongPtrA(window, GWL_STYLE));
    printf("exstyle 0x%08lx\n", (unsigned long)GetWindowLongPtrA(window, GWL_EXSTYLE));
    printf("visible %d\n", IsWindowVisible(window) ? 1 : 0);
    printf("enabled %d\n", IsWindowEnabled(window) ? 1 : 0);
    printf("foreground %d\n", GetForegroundWindow() == window ? 1 : 0);
    PrintRegion(window, options);
    if (options.listChildren)
        PrintChildren(window);
    printf("end\n");
}

static BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    WindowList* list = (WindowList*)param;
    char className[256] = "";
    GetClassNameA(window, className, sizeof(className));
    if (strcmp(className, list->className) == 0 && IsWindowVisible(window) && list->count < kMaxWindows)
        list->windows[list->count++] = window;
    return TRUE;
}

// Calls find until it reports a window or the wait is over; returns its last result.
template <typename Find> static int PollUntilFound(DWORD waitMs, Find find) {
    DWORD start = GetTickCount();
    for (;;) {
        int found = find();
        if (found || GetTickCount() - start >= waitMs)
            return found;
        Sleep(20);
    }
}

static int ParsePoint(const char* text, POINT* point) {
    char* end;
    point->x = strtol(text, &end, 10);
    if (*end != ',')
        return 0;
    point->y = strtol(end + 1, &end, 10);
    return *end == '\0';
}

// Reads the options after the command's fixed arguments; 0 on bad usage.
static int ParseOptions(int argc, char** argv, int first, ProbeOptions* options) {
    for (int i = first; i < argc; i++) {
        if (strcmp(argv[i], "--wait") == 0 && i + 1 < argc) {
            options->waitMs = (DWORD)strtoul(argv[++i], NULL, 10);
        } else if (strcmp(argv[i], "--rects") == 0) {
            options->listRects = 1;
        } else if (strcmp(argv[i], "--children") == 0) {
            options->listChildren = 1;
        } else if (strcmp(argv[i], "--point") == 0 && i + 1 < argc && options->pointCount < kMaxPoints) {
            if (!ParsePoint(argv[++i], &options->points[options->pointCount++]))
                return 0;
        } else {
            return 0;
        }
    }
    return 1;
}

static const char* AnyWhenDash(const char* text) {
    return strcmp(text, "-") == 0 ? NULL : text;
}

// CLASS may be a window handle ("0x..."); TITLE is then not looked at.
static HWND FindByClassOrHandle(const char* className, const char* title) {
    if (className && strncmp(className, "0x", 2) == 0) {
        HWND window = (HWND)(ULONG_PTR)strtoull(className, NULL, 16);
        return IsWindow(window) ? window : NULL;
    }
    return FindWindowA(className, title);
}

static int ProbeWindow(const ProbeOptions& options) {
    HWND window = NULL;
    PollUntilFound(options.waitMs, [&]() {
        window = FindByClassOrHandle(options.className, options.title);
        return window != NULL && IsWindowVisible(window);
    });
    if (window)
        PrintWindow(window, options);
    printf("count %d\n", window ? 1 : 0);
    return window ? 0 : 1;
}

static int ProbeList(const ProbeOptions& options) {
    WindowList list;
    list.className = options.className;
    PollUntilFound(options.waitMs, [&]() {
        list.count = 0;
        EnumWindows(CollectWindow, (LPARAM)&list);
        return list.count > 0;
    });
    for (int i = 0; i < list.count; i++)
        PrintWindow(list.windows[i], options);
    printf("count %d\n", list.count);
    return list.count ? 0 : 1;
}

static int PostToWindow(const char* className, const char* title, const char* message, const char* wParam) {
    HWND window = FindByClassOrHandle(className, title);
    UINT number = (UINT)strtoul(message, NULL, 0);
    WPARAM value = wParam ? (WPARAM)strtoul(wParam, NULL, 0) : 0;
    int posted = window && PostMessageA(window, number, value, 0);
    printf("posted %d\n", posted);
    return posted ? 0 : 1;
}

// The resources of the process that owns the window: open handles, GDI and USER
// objects, and memory, for tests that a burst of work leaves nothing behind.
static int ProbeProcess(const char* className, const char* title) {
    HWND window = FindWindowA(className, title);
    DWORD id = 0;
    if (window)
        GetWindowThreadProcessId(window, &id);
    HANDLE process = id ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id) : NULL;
    if (!process) {
        printf("process none\n");
        return 1;
    }
    DWORD handles = 0;
    GetProcessHandleCount(process, &handles);
    PROCESS_MEMORY_COUNTERS_EX memory;
    ZeroMemory(&memory, sizeof(memory));
    K32GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS*)&memory, sizeof(memory));
    printf("process %lu\n", (unsigned long)id);
    printf("handles %lu\n", (unsigned long)handles);
    printf("gdi %lu\n", (unsigned long)GetGuiResources(process, GR_GDIOBJECTS));
    printf("user %lu\n", (unsigned long)GetGuiResources(process, GR_USEROBJECTS));
    printf("private %llu\n", (unsigned long long)memory.PrivateUsage);
    printf("workingset %llu\n", (unsigned long long)memory.WorkingSetSize);
    CloseHandle(process);
    return 0;
}

static int HoldFile(const char* path, const char* sharing) {
    DWORD share = strcmp(sharing, "read") == 0 ? FILE_SHARE_READ : 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, share, NULL, OPEN_EXISTING, 0, NULL);
    printf("held %d\n", file != INVALID_HANDLE_VALUE);
    fflush(stdout);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    Sleep(INFINITE);
    return 0;
}

static int Usage() {
    fprintf(stderr, "usage: winprobe window CLASS TITLE [--wait MS] [--rects] [--point X,Y]... [--children]\n"
                    "       winprobe list CLASS [--wait MS] [--children]\n"
                    "       winprobe post CLASS|HANDLE TITLE MESSAGE [WPARAM]\n"
                    "       winprobe process CLASS TITLE\n"
                    "       winprobe hold PATH none|read\n"
                    "       winprobe serve\n");
    return 2;
}

// Runs one command of the command line (argv[1] on); returns its exit code.
static int RunCommand(int argc, char** argv) {
    ProbeOptions options;
    ZeroMemory(&options, sizeof(options));
    if (argc >= 4 && strcmp(argv[1], "window") == 0) {
        options.className = AnyWhenDash(argv[2]);
        options.title = AnyWhenDash(argv[3]);
        if (!ParseOptions(argc, argv, 4, &options))
            return Usage();
        return ProbeWindow(options);
    }
    if (argc >= 3 && strcmp(argv[1], "list") == 0) {
        options.className = argv[2];
        if (!ParseOptions(argc, argv, 3, &options))
            return Usage();
        return ProbeList(options);
    }
    if ((argc == 5 || argc == 6) && strcmp(argv[1], "post") == 0)
        return PostToWindow(AnyWhenDash(argv[2]), AnyWhenDash(argv[3]), argv[4], argc == 6 ? argv[5] : NULL);
    if (argc == 4 && strcmp(argv[1], "hold") == 0)
        return HoldFile(argv[2], argv[3]);
    if (argc == 4 && strcmp(argv[1], "process") == 0)
        return ProbeProcess(AnyWhenDash(argv[2]), AnyWhenDash(argv[3]));
    return Usage();
}

// Answers the commands of standard input, one a line, each closed by "exit N".
static int Serve() {
    static char line[4096];
    while (fgets(line, sizeof(line), stdin)) {
        char* args[2 + kMaxPoints * 2 + 8];
        int count = 0;
        args[count++] = (char*)"winprobe";
        line[strcspn(line, "\r\n")] = 0;
        for (char* field = line; field && count < (int)(sizeof(args) / sizeof(args[0])) - 1;) {
            char* tab = strchr(field, '\t');
            if (tab)
                *tab++ = 0;
            args[count++] = field;
            field = tab;
        }
        args[count] = NULL;
        // hold never returns; it keeps a process of its own.
        int result = count >= 2 && strcmp(args[1], "hold") != 0 ? RunCommand(count, args) : Usage();
        printf("exit %d\n", result);
        fflush(stdout);
    }
    return 0;
}

int main(int argc, char** argv) {
    int result = argc == 2 && strcmp(argv[1], "serve") == 0 ? Serve() : RunCommand(argc, argv);
    fflush(stdout);
    return result;
}
