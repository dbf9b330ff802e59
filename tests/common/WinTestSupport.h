// Helpers shared by the Windows-side tests: temporary folders, whole files,
// little-endian numbers, hidden windows, bounded waits, COM holders and a watcher
// that answers message boxes.
#ifndef VANTEL_WIN_TEST_SUPPORT_H
#define VANTEL_WIN_TEST_SUPPORT_H

#include <windows.h>
#include <unknwn.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "WaveBuilder.h" // Bytes, PutLE

// The little-endian number of `bytes` bytes at `at` of `in`.
uint32_t GetLE(const Bytes& in, size_t at, int bytes);

// Write the whole file anew; false when it cannot be created or written in full.
bool WriteWholeFile(const std::string& path, const Bytes& bytes);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// Read the whole file; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, Bytes* bytes);
bool ReadWholeFile(const std::string& path, std::string* bytes);
// The file's bytes, empty when it cannot be opened.
std::string WholeFileText(const std::string& path);

// A fresh folder "vantel-LABEL-…" under the temporary folder, removed with
// everything in it, subfolders included.
class TempFolder {
  public:
    explicit TempFolder(const char* label = "test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path(const std::string& name) const {
        return path_ + "\\" + name;
    }
    const std::string& path() const {
        return path_;
    }
    // Whether the folder was made; tests assert this before using it.
    bool created() const {
        return created_;
    }

  private:
    std::string path_;
    bool created_ = false;
};

// Deletes the folder with all its files and subfolders.
void RemoveTree(const std::string& folder);

// A hidden popup tool window whose window rectangle is x, y, width x height, of a
// class with the default window procedure; the caller destroys it.
HWND MakeHiddenWindow(int x = 0, int y = 0, int width = 10, int height = 10);

// True when the test runs under the emulated 32-bit Wine (scripts/wine32.sh says so in
// VANTEL_EMULATED), whose pace is the emulator's: timings are not the program's there.
bool RunsUnderEmulation();

// Polls `done` every 10 ms until it holds (true) or `timeoutMs` has passed (false).
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs);

// Takes every multimedia timer the process may have (Wine allows 16), so that the
// program's next timeSetEvent fails; gives them back when it goes.
class TimerHog {
  public:
    TimerHog();
    ~TimerHog();
    TimerHog(const TimerHog&) = delete;
    TimerHog& operator=(const TimerHog&) = delete;
    // Whether no further timer can be had.
    bool full() const;

  private:
    std::vector<UINT> ids_;
};

// Releases a COM object held by a std::unique_ptr.
struct ComRelease {
    void operator()(IUnknown* object) const {
        if (object)
            object->Release();
    }
};

// A message box as the watcher found it.
struct SeenBox {
    std::string text;         // the message
    HWND owner = NULL;        // owner window of the box
    bool warningIcon = false; // the box shows the system's warning icon
    std::string caption;      // title bar text
};

// The boxes' texts, each followed by " [warning icon]" when its box shows that icon.
std::vector<std::string> MarkedTexts(const std::vector<SeenBox>& boxes);

// While it lives, a thread of its own finds the message boxes ("#32770" dialogs) of
// this process, with the given caption or any when it is null, records each once it
// is shown and filled in, and closes it with OK. The thread showing a box waits
// inside MessageBox until the box is closed, hence the thread of its own.
class MessageBoxWatcher {
  public:
    explicit MessageBoxWatcher(const char* caption = NULL);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // Whether the watching thread could be started.
    bool started() const {
        return started_;
    }
    // Ends the watch and gives the boxes seen, in the order they appeared. A watch
    // that does not end within 10 seconds fails the test and gives no boxes.
    std::vector<SeenBox> Stop();

  private:
    struct Watch;
    static DWORD WINAPI Run(void* watch);
    static BOOL CALLBACK Visit(HWND window, LPARAM watch);

    Watch* watch_;              // shared with the thread; left to it when the thread does not end
    bool started_ = false;      // the thread was started
    std::vector<SeenBox> seen_; // the boxes, once the watch has ended
};

#endif
