#include "WinTestSupport.h"

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

uint32_t GetLE(const Bytes& in, size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; i++)
        value |= uint32_t(in[at + i]) << (8 * i);
    return value;
}

namespace {

bool WriteBytes(const std::string& path, const void* data, size_t size) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = fwrite(data, 1, size, file) == size;
    return fclose(file) == 0 && ok;
}

// Calls `add` with each block of the file; false when the file cannot be opened.
bool ReadBlocks(const std::string& path, const std::function<void(const uint8_t*, size_t)>& add) {
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return false;
    uint8_t block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof(block), file)) > 0)
        add(block, got);
    fclose(file);
    return true;
}

} // namespace

bool WriteWholeFile(const std::string& path, const Bytes& bytes) {
    return WriteBytes(path, bytes.data(), bytes.size());
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    return WriteBytes(path, bytes.data(), bytes.size());
}

bool ReadWholeFile(const std::string& path, Bytes* bytes) {
    bytes->clear();
    return ReadBlocks(
        path, [bytes](const uint8_t* at, size_t size) { bytes->insert(bytes->end(), at, at + size); });
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
    bytes->clear();
    return ReadBlocks(path, [bytes](const uint8_t* at, size_t size) {
        bytes->append(reinterpret_cast<const char*>(at), size);
    });
}

std::string WholeFileText(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, &bytes);
    return bytes;
}

// A folder left by an earlier process of the same id is passed over, so the test
// starts empty.
TempFolder::TempFolder(const char* label) {
    static int serial = 0;
    char base[MAX_PATH];
    if (!GetTempPathA(sizeof(base), base))
        return;
    for (int attempt = 0; attempt < 100 && !created_; attempt++) {
        char name[MAX_PATH];
        snprintf(name, sizeof(name), "%svantel-%s-%lu-%d", base, label, GetCurrentProcessId(), ++serial);
        path_ = name;
        created_ = CreateDirectoryA(name, NULL) != 0;
        if (!created_ && GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
}

TempFolder::~TempFolder() {
    if (created_)
        RemoveTree(path_);
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

HWND MakeHiddenWindow(int x, int y, int width, int height) {
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSA windowClass;
        ZeroMemory(&windowClass, sizeof(windowClass));
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "VantelTestWindow";
        atom = RegisterClassA(&windowClass);
    }
    return CreateWindowExA(WS_EX_TOOLWINDOW, "VantelTestWindow", "Vantel test", WS_POPUP, x, y, width, height,
                           NULL, NULL, GetModuleHandleA(NULL), NULL);
}

static void CALLBACK IdleTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}

TimerHog::TimerHog() {
    // Wine 8 ends its multimedia timer thread when the process's last timer is killed. A
    // process that ends while that thread is still ending may be killed by SIGSEGV in
    // Wine's signal handling (a core showed the ending thread inside it), which is what
    // a test that frees every timer just before its end did now and then. One timer runs
    // for the process's whole life, so the hog never frees the last one.
    static const UINT kKeeper = timeSetEvent(1000, 250, IdleTick, 0, TIME_PERIODIC);
    (void)kKeeper;
    for (int i = 0; i < 64; i++) {
        UINT id = timeSetEvent(1000, 250, IdleTick, 0, TIME_PERIODIC);
        if (!id)
            break;
        ids_.push_back(id);
    }
}

TimerHog::~TimerHog() {
    for (UINT id : ids_)
        timeKillEvent(id);
}

bool TimerHog::full() const {
    return timeSetEvent(1000, 250, IdleTick, 0, TIME_ONESHOT) == 0;
}

bool RunsUnderEmulation() {
    char value[8];
    return GetEnvironmentVariableA("VANTEL_EMULATED", value, sizeof(value)) == 1 && value[0] == '1';
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(10);
    }
}

std::vector<std::string> MarkedTexts(const std::vector<SeenBox>& boxes) {
    std::vector<std::string> texts;
    for (const SeenBox& box : boxes)
        texts.push_back(box.text + (box.warningIcon ? " [warning icon]" : ""));
    return texts;
}

// What the watching thread works on. Only that thread touches `closed` and `boxes`
// while it runs; Stop reads them after it has ended.
struct MessageBoxWatcher::Watch {
    std::string caption;      // caption to watch for
    bool anyCaption = false;  // watch boxes of every caption
    HANDLE stop = NULL;       // set to end the watch
    HANDLE thread = NULL;     // the watching thread
    std::vector<HWND> closed; // boxes recorded and sent OK
    std::vector<SeenBox> boxes;
};

namespace {

// The static text control of a message box's message.
const int kBoxTextId = 0xFFFF;

BOOL CALLBACK FindIcon(HWND child, LPARAM found) {
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HICON*>(found) = (HICON)SendMessageA(child, STM_GETICON, 0, 0);
        return FALSE;
    }
    return TRUE;
}

} // namespace

BOOL CALLBACK MessageBoxWatcher::Visit(HWND window, LPARAM param) {
    Watch* watch = reinterpret_cast<Watch*>(param);
    char text[2048] = "";
    GetClassNameA(window, text, sizeof(text));
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    // A box is shown only once it has been filled in.
    if (lstrcmpA(text, "#32770") != 0 || process != GetCurrentProcessId() || !IsWindowVisible(window) ||
        std::count(watch->closed.begin(), watch->closed.end(), window))
        return TRUE;
    SeenBox box;
    text[0] = '\0';
    GetWindowTextA(window, text, sizeof(text));
    box.caption = text;
    if (!watch->anyCaption && box.caption != watch->caption)
        return TRUE;
    box.owner = GetWindow(window, GW_OWNER);
    text[0] = '\0';
    GetDlgItemTextA(window, kBoxTextId, text, sizeof(text));
    box.text = text;
    HICON icon = NULL;
    EnumChildWindows(window, FindIcon, reinterpret_cast<LPARAM>(&icon));
    box.warningIcon = icon && icon == LoadIconA(NULL, IDI_WARNING);
    watch->boxes.push_back(box);
    watch->closed.push_back(window);
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

DWORD WINAPI MessageBoxWatcher::Run(void* param) {
    Watch* watch = static_cast<Watch*>(param);
    while (WaitForSingleObject(watch->stop, 5) == WAIT_TIMEOUT)
        EnumWindows(Visit, reinterpret_cast<LPARAM>(watch));
    return 0;
}

MessageBoxWatcher::MessageBoxWatcher(const char* caption) : watch_(new Watch) {
    watch_->anyCaption = caption == NULL;
    watch_->caption = caption ? caption : "";
    watch_->stop = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (watch_->stop)
        watch_->thread = CreateThread(NULL, 0, Run, watch_, 0, NULL);
    started_ = watch_->thread != NULL;
}

MessageBoxWatcher::~MessageBoxWatcher() {
    Stop();
}

std::vector<SeenBox> MessageBoxWatcher::Stop() {
    if (!watch_)
        return seen_;
    if (watch_->thread) {
        SetEvent(watch_->stop);
        if (WaitForSingleObject(watch_->thread, 10000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the message box watcher did not stop within 10 seconds";
            watch_ = NULL; // still in use by the thread
            return seen_;
        }
        CloseHandle(watch_->thread);
    }
    if (watch_->stop)
        CloseHandle(watch_->stop);
    seen_ = watch_->boxes;
    delete watch_;
    watch_ = NULL;
    return seen_;
}
