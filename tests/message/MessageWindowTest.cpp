// The message program's window in the test process: the set-up with real DirectDraw,
// GDI and DirectSound, what it writes back, the text as GDI measures it, and the
// dialogs driven as a user would.
#include "Animation.h"
#include "MessageFile.h"
#include "FileChooser.h"
#include "MessageDialogs.h"
#include "MessageSettings.h"
#include "MessageSound.h"
#include "MessageWindow.h"
#include "WinTestSupport.h"
#include "resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int kPictureWidth = 440; // the built-in background
const int kPictureHeight = 160;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream stream(text);
    std::string line;
    while (std::getline(stream, line, '\n'))
        lines.push_back(line);
    return lines;
}

// A thread of its own waits for a dialog of this process with the title, runs
// `act` on it (on that thread) and ends. The dialog runs modally on the test's thread.
class DialogDriver {
  public:
    DialogDriver(const char* title, std::function<void(HWND)> act) : title_(title), act_(std::move(act)) {
        thread_ = CreateThread(NULL, 0, Run, this, 0, NULL);
    }
    ~DialogDriver() {
        if (thread_) {
            WaitForSingleObject(thread_, 15000);
            CloseHandle(thread_);
        }
    }
    bool found() {
        if (thread_)
            WaitForSingleObject(thread_, 15000);
        return found_;
    }

  private:
    static DWORD WINAPI Run(void* self) {
        DialogDriver* driver = (DialogDriver*)self;
        HWND dialog = NULL;
        WaitFor(
            [&] {
                dialog = FindWindowA("#32770", driver->title_.c_str());
                return dialog && IsWindowVisible(dialog);
            },
            10000);
        if (!dialog)
            return 0;
        driver->found_ = true;
        driver->act_(dialog);
        return 0;
    }
    std::string title_;
    std::function<void(HWND)> act_;
    HANDLE thread_ = NULL;
    bool found_ = false;
};

std::string ItemText(HWND dialog, int id) {
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

class MessageWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_.reset(new TempFolder("message"));
        ASSERT_TRUE(temp_->created());
        ASSERT_EQ(SetMessageSettingsFolder(temp_->path().c_str()), 1);
        iniPath_ = temp_->Path("vantelmsg.ini");
        memset(&g_messageSettings, 0, sizeof(g_messageSettings));
        RegisterMessageClass(GetModuleHandleA(NULL)); // once per process; a second call fails harmlessly
    }
    void TearDown() override {
        if (window_ && IsWindow(window_))
            DestroyWindow(window_);
        temp_.reset();
    }

    void WriteIni(const std::string& text) {
        ASSERT_TRUE(WriteWholeFile(iniPath_, text));
    }
    std::string ReadKey(const char* section, const char* key) {
        char value[1024];
        GetPrivateProfileStringA(section, key, "<missing>", value, sizeof(value), iniPath_.c_str());
        return value;
    }

    // Creates the message window as the program does; returns the boxes its creation showed.
    std::vector<SeenBox> Create() {
        MessageBoxWatcher watcher("Vantel - Error");
        EXPECT_TRUE(watcher.started());
        window_ = CreateMessageWindow(GetModuleHandleA(NULL));
        return watcher.Stop();
    }
    // Closes the window as Escape does: it saves its settings. Its end asks the thread
    // to quit; the request is taken back, so that the boxes of a later window show.
    void Close() {
        ASSERT_TRUE(window_);
        DestroyWindow(window_);
        window_ = NULL;
        MSG quit;
        PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
    }

    std::unique_ptr<TempFolder> temp_;
    std::string iniPath_;
    HWND window_ = NULL;
};

TEST_F(MessageWindowTest, FreshStartWritesEverySettingBack) {
    ASSERT_TRUE(Create().empty());
    ASSERT_TRUE(window_);
    RECT rect;
    GetWindowRect(window_, &rect);
    EXPECT_EQ(rect.right - rect.left, kPictureWidth);
    EXPECT_EQ(rect.bottom - rect.top, kPictureHeight);
    // From 20, 20 by 0 to 45 pixels right and down.
    EXPECT_GE(rect.left, 20);
    EXPECT_LE(rect.left, 65);
    EXPECT_GE(rect.top, 20);
    EXPECT_LE(rect.top, 65);
    EXPECT_TRUE(GetWindowLongPtrA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
    AnimationState typing = CurrentAnimation();
    EXPECT_STREQ(typing.displayText, "01.01.2000 00:00:00\nHappy New Year!");
    EXPECT_EQ(typing.period, 40u);
    EXPECT_NE(MessageSoundBuffer(), nullptr);
    Close();

    const std::pair<const char*, std::string> expected[] = {
        {"DisplayDate", "1"},
        {"CharactersPerSecond", "25"},
        {"WindowPos", std::to_string(rect.left) + "," + std::to_string(rect.top)},
        {"AlwaysOnTop", "1"},
        {"PlaySound", "1"}};
    for (const auto& key : expected)
        EXPECT_EQ(ReadKey("Settings", key.first), key.second) << key.first;
    EXPECT_EQ(ReadKey("Appearance", "TextArea"), "15,12,410,132");
    EXPECT_EQ(ReadKey("Appearance", "FontColor"), "AAFFBB");
    EXPECT_EQ(ReadKey("Message", "Text"), "<missing>"); // never written by the message program
}

TEST_F(MessageWindowTest, WindowFarOffScreenComesBackWithTheLimitedTextArea) {
    WriteIni("[Settings]\r\nWindowPos=-3000,-3000\r\nPlaySound=0\r\n"
             "[Appearance]\r\nTextArea=-5,-7,9999,9999\r\n");
    ASSERT_TRUE(Create().empty());
    ASSERT_TRUE(window_);
    RECT rect;
    GetWindowRect(window_, &rect);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor));
    // The least move into the work area puts it at its top-left corner.
    EXPECT_EQ(rect.left, monitor.rcWork.left);
    EXPECT_EQ(rect.top, monitor.rcWork.top);
    AnimationState typing = CurrentAnimation();
    EXPECT_EQ(typing.drawArea.right, kPictureWidth);
    EXPECT_EQ(typing.drawArea.bottom, kPictureHeight);
    Close();
    EXPECT_EQ(ReadKey("Settings", "WindowPos"),
              std::to_string(monitor.rcWork.left) + "," + std::to_string(monitor.rcWork.top));
    EXPECT_EQ(ReadKey("Appearance", "TextArea"), "0,0,440,160");
    EXPECT_EQ(ReadKey("Settings", "PlaySound"), "0");
}

TEST_F(MessageWindowTest, NoSoundDeviceSaysSoOnceAndSavesPlaySoundOff) {
    std::vector<SeenBox> boxes = Create();
    ASSERT_TRUE(window_);
    if (boxes.empty() && MessageSoundBuffer())
        GTEST_SKIP() << "this machine has a sound device of its own";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Could not create DirectSound object.\n\nVantel requires DirectX(TM) 5 (or better).");
    EXPECT_EQ(boxes[0].owner, window_);
    EXPECT_TRUE(boxes[0].warningIcon);
    EXPECT_EQ(g_messageSettings.playSound, 0);
    Close();
    EXPECT_EQ(ReadKey("Settings", "PlaySound"), "0");
}

TEST_F(MessageWindowTest, SoundFileThatIsNoWaveFallsBackToTheBuiltInSound) {
    ASSERT_TRUE(CreateDirectoryA(temp_->Path("vantelmsg.wav").c_str(), NULL));
    ASSERT_TRUE(Create().empty()); // no "Could not initialize DirectSound buffer." box
    ASSERT_TRUE(window_);
    EXPECT_NE(MessageSoundBuffer(), nullptr);
    EXPECT_EQ(g_messageSettings.playSound, 1);
    RemoveDirectoryA(temp_->Path("vantelmsg.wav").c_str());

    ASSERT_TRUE(WriteWholeFile(temp_->Path("vantelmsg.wav"), std::string("not a wave at all")));
    Close();
    ASSERT_TRUE(Create().empty());
    EXPECT_NE(MessageSoundBuffer(), nullptr);

    // A wave at a rate DirectSound does not play (Wine's took it, and its mixer divided
    // by zero once it played).
    const Bytes fast =
        RiffWave({WaveChunk("fmt ", WaveFormat(1, 1, 0x7FFFFFFF, 16)), WaveChunk("data", Bytes(800, 0x40))});
    ASSERT_TRUE(WriteWholeFile(temp_->Path("vantelmsg.wav"), fast));
    Close();
    ASSERT_TRUE(Create().empty());
    ASSERT_NE(MessageSoundBuffer(), nullptr);
    WAVEFORMATEX format = {};
    ASSERT_EQ(MessageSoundBuffer()->GetFormat(&format, sizeof(format), NULL), DS_OK);
    EXPECT_EQ(format.nSamplesPerSec, 44100u) << "the built-in sound";
}

TEST_F(MessageWindowTest, FailedCreationReportsOnceAndSavesNothing) {
    WriteIni("[Settings]\r\nWindowPos=300,200\r\nPlaySound=0\r\n");
    std::vector<SeenBox> boxes;
    {
        TimerHog hog;
        ASSERT_TRUE(hog.full());
        boxes = Create();
    }
    EXPECT_EQ(window_, nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Cannot start a multimedia timer required for the animation.");
    EXPECT_EQ(ReadKey("Settings", "WindowPos"), "300,200");
    EXPECT_EQ(ReadKey("Appearance", "TextArea"), "<missing>");
}

// A settings file another program holds is told once and keeps what it had. One that
// cannot be read is never written, even when the other program lets go before the
// window closes: the defaults would replace the user's settings.
TEST_F(MessageWindowTest, ASettingsFileAnotherProgramHoldsIsToldOnceAndKept) {
    const struct {
        DWORD sharing;
        bool releasedBeforeClose;
        const char* told;
    } cases[] = {
        {0, true,
         "Cannot read the settings file \"%s\".\nDefault settings are used, and changes will not be saved."},
        {FILE_SHARE_READ, false, "Cannot write the settings file \"%s\".\nChanges will not be saved."},
    };
    const std::string seeded = "[Settings]\r\nWindowPos=300,200\r\nPlaySound=0\r\nCharactersPerSecond=7\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sharing);
        ASSERT_EQ(SetMessageSettingsFolder(temp_->path().c_str()), 1);
        WriteIni(seeded);
        HANDLE held = CreateFileA(iniPath_.c_str(), GENERIC_READ, c.sharing, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        std::vector<SeenBox> boxes = Create();
        ASSERT_TRUE(window_);
        if (c.releasedBeforeClose)
            CloseHandle(held);
        Close();
        if (!c.releasedBeforeClose)
            CloseHandle(held);
        char told[MAX_PATH + 128];
        snprintf(told, sizeof(told), c.told, iniPath_.c_str());
        // (A machine without a sound device also says so.)
        std::vector<std::string> aboutTheFile;
        for (const SeenBox& box : boxes)
            if (box.text.find("settings file") != std::string::npos)
                aboutTheFile.push_back(box.text);
        EXPECT_EQ(aboutTheFile, std::vector<std::string>{told});
        EXPECT_EQ(WholeFileText(iniPath_), seeded);
    }
}

TEST_F(MessageWindowTest, WrappedLinesFitTheAreaAsGdiMeasuresThem) {
    const std::string message =
        "Remember the meeting with the whole team in the large room on the third floor, "
        "and bring the quarterly figures along with a pen.";
    WriteIni("[Message]\r\nText=" + message + "\r\n[Settings]\r\nDisplayDate=0\r\nPlaySound=0\r\n");
    ASSERT_TRUE(Create().empty());
    ASSERT_TRUE(window_);
    AnimationState typing = CurrentAnimation();
    std::vector<std::string> lines = Lines(typing.displayText);
    ASSERT_GE(lines.size(), 2u);

    HDC dc = GetDC(window_);
    LOGFONTA font = g_messageSettings.font;
    HFONT measured = CreateFontIndirectA(&font);
    HGDIOBJ previous = SelectObject(dc, measured);
    auto width = [&](const std::string& text) {
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, text.c_str(), (int)text.size(), &size);
        return (int)size.cx;
    };
    const int area = 410 - 15;
    std::string joined;
    for (size_t i = 0; i < lines.size(); i++) {
        EXPECT_LE(width(lines[i]), area) << lines[i];
        if (i + 1 < lines.size()) {
            // The next word (and the blank after it) would not have fitted.
            std::string next = lines[i + 1].substr(0, lines[i + 1].find(' '));
            EXPECT_GT(width(lines[i] + " " + next + " "), area) << lines[i];
        }
        joined += (i ? " " : "") + lines[i];
    }
    EXPECT_EQ(joined, message);
    SelectObject(dc, previous);
    DeleteObject(measured);
    ReleaseDC(window_, dc);
}

struct PreparedCase {
    const char* text;
    const char* area;
    const char* displayed; // the display text without its date line
};

TEST_F(MessageWindowTest, MarkersBreakLinesAndSurviveAConfirmedDialog) {
    const PreparedCase cases[] = {
        {"First line<br>second line", "15,12,410,132", "First line\nsecond line"},
        {"<br>starts on the second line", "15,12,410,132", "\nstarts on the second line"},
        {"Two words", "100,12,100,132", "Two words"}, // no width: the whole window is used
    };
    for (const PreparedCase& c : cases) {
        WriteIni(std::string("[Message]\r\nDate=24.12.2026 18:00:00\r\nText=") + c.text +
                 "\r\n[Settings]\r\nPlaySound=0\r\n[Appearance]\r\nTextArea=" + c.area + "\r\n");
        ASSERT_TRUE(Create().empty());
        ASSERT_TRUE(window_);
        const std::string expected = std::string("24.12.2026 18:00:00\n") + c.displayed;
        EXPECT_EQ(std::string(CurrentAnimation().displayText), expected) << c.text;
        // The set-up after a confirmed dialog prepares the same text again.
        TearDownMessageWindow();
        ASSERT_EQ(SetUpMessageWindow(window_), SETUP_DONE);
        EXPECT_EQ(std::string(CurrentAnimation().displayText), expected) << c.text;
        Close();
    }
}

TEST_F(MessageWindowTest, AppearanceDialogKeepsAnEdgeAtZeroAndReadsPathsAsTheLoaderDoes) {
    g_messageSettings.textArea = {0, 0, 440, 160};
    g_messageSettings.useTransparency = 0;
    std::string seenPath;
    bool colorEnabled = true;
    DialogDriver driver("Vantel Message - Appearance", [&](HWND dialog) {
        colorEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_MSG_CHOOSE_COLOR));
        seenPath = ItemText(dialog, IDC_MSG_BACKGROUND);
        SetDlgItemTextA(dialog, IDC_MSG_BACKGROUND, "\\pictures\\night.bmp");
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
    });
    HWND owner = MakeHiddenWindow();
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_MESSAGE_APPEARANCE), owner,
                                     AppearanceDialog, 0);
    ASSERT_TRUE(driver.found());
    DestroyWindow(owner);
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(colorEnabled);
    EXPECT_EQ(seenPath, "");
    EXPECT_EQ(g_messageSettings.textArea.left, 0);
    EXPECT_EQ(g_messageSettings.textArea.top, 0);
    EXPECT_EQ(g_messageSettings.textArea.right, 440);
    EXPECT_EQ(std::string(g_messageSettings.backgroundBmp), temp_->path() + "\\pictures\\night.bmp");
}

TEST_F(MessageWindowTest, SettingsDialogShowsTheStoredSpeedAndCancelChangesNothing) {
    g_messageSettings.charactersPerSecond = 0;
    g_messageSettings.displayDate = 1;
    struct {
        int button;
        int32_t savedSpeed;
    } const cases[] = {{IDCANCEL, 0}, {IDOK, 1}}; // the trackbar keeps its position within 1 to 512
    for (const auto& c : cases) {
        std::string label;
        DialogDriver driver("Vantel Message - Settings", [&](HWND dialog) {
            label = ItemText(dialog, IDC_MSG_SPEED_LABEL);
            CheckDlgButton(dialog, IDC_MSG_DISPLAY_DATE, BST_UNCHECKED);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED),
                         (LPARAM)GetDlgItem(dialog, c.button));
        });
        HWND owner = MakeHiddenWindow();
        INT_PTR result = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_MESSAGE_SETTINGS),
                                         owner, SettingsDialog, 0);
        ASSERT_TRUE(driver.found());
        DestroyWindow(owner);
        EXPECT_EQ(result, c.button);
        EXPECT_EQ(label, "0 Characters per Second");
        EXPECT_EQ(g_messageSettings.charactersPerSecond, c.savedSpeed);
        EXPECT_EQ(g_messageSettings.displayDate, c.button == IDOK ? 0 : 1);
    }
}

// The chooser, from a dialog whose edit field starts with `start`; `act` answers
// the open-file dialog. Returns the field's text afterwards.
std::string Browse(const char* start, std::function<void(HWND)> act, bool* opened) {
    HWND owner = CreateWindowExA(0, "EDIT", start, WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    HWND edit = CreateWindowExA(0, "EDIT", start, WS_CHILD, 0, 0, 10, 10, owner, (HMENU)1016, NULL, NULL);
    DialogDriver driver("Open", std::move(act));
    BrowseForFile(owner, 1016, "Bitmap files (*.bmp)\0*.bmp\0");
    *opened = driver.found();
    std::string text = ItemText(owner, 1016);
    DestroyWindow(edit);
    DestroyWindow(owner);
    return text;
}

TEST_F(MessageWindowTest, ChooserKeepsTheCurrentDirectoryAndOpensForAnyStartName) {
    // The open-file dialog moves the current directory to the folder it shows, on
    // OK and on Cancel alike.
    const std::string picture = temp_->Path("chosen.bmp");
    ASSERT_TRUE(WriteWholeFile(picture, std::string("BM")));
    char before[MAX_PATH];
    GetCurrentDirectoryA(sizeof(before), before);
    auto confirm = [](HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
    };
    auto cancel = [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); };
    auto current = [] {
        char folder[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof(folder), folder);
        return std::string(folder);
    };

    bool opened = false;
    EXPECT_EQ(Browse(picture.c_str(), confirm, &opened), picture);
    EXPECT_TRUE(opened);
    EXPECT_EQ(current(), before);

    // Names the dialog may refuse as a start (quotes, wildcards, a command line with
    // arguments) still open it; Cancel keeps what was typed.
    const char* const starts[] = {"\"C:\\Program Files\\app.exe\" /run", "*.bmp", "a<b>|c"};
    for (const char* start : starts) {
        EXPECT_EQ(Browse(start, cancel, &opened), start);
        EXPECT_TRUE(opened) << start;
        EXPECT_EQ(current(), before) << start;
    }
}

TEST_F(MessageWindowTest, SoundLoopsWhileTypingAndNeverForNothingToType) {
    struct {
        const char* text;
        int displayDate;
        bool plays;
    } const cases[] = {{"Ten chars.", 0, true}, {"", 0, false}};
    for (const auto& c : cases) {
        WriteIni(std::string("[Message]\r\nText=") + c.text + "\r\n[Settings]\r\nDisplayDate=" +
                 std::to_string(c.displayDate) + "\r\nCharactersPerSecond=50\r\n");
        ASSERT_TRUE(Create().empty());
        ASSERT_TRUE(window_);
        IDirectSoundBuffer* buffer = MessageSoundBuffer();
        ASSERT_NE(buffer, nullptr);
        auto playing = [&] {
            DWORD status = 0;
            buffer->GetStatus(&status);
            return (status & DSBSTATUS_PLAYING) != 0 && (status & DSBSTATUS_LOOPING) != 0;
        };
        if (c.plays) {
            EXPECT_TRUE(WaitFor(playing, 2000)) << "the loop starts with the typing";
            EXPECT_TRUE(WaitFor([&] { return CurrentAnimation().shownCount == 10 && !playing(); }, 3000))
                << "and stops once the text is complete";
            // The window then stops the tick: a complete message costs nothing.
            EXPECT_TRUE(WaitFor(
                [] {
                    MSG message;
                    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
                        DispatchMessageA(&message);
                    return !CurrentAnimation().ticking;
                },
                2000));
        } else {
            // Ticks of 20 ms: a dozen of them, none of which may start the loop.
            DWORD start = GetTickCount();
            while (GetTickCount() - start < 250) {
                EXPECT_FALSE(playing());
                Sleep(5);
            }
        }
        Close();
    }
}

TEST_F(MessageWindowTest, FontsAndSetUpsWhileTheTickRunsLeakNothing) {
    WriteIni("[Message]\r\nText=A text typed fast while its font is swapped and its window set up again.\r\n"
             "[Settings]\r\nCharactersPerSecond=50\r\nPlaySound=0\r\n");
    ASSERT_TRUE(Create().empty());
    ASSERT_TRUE(window_);
    const DWORD objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int round = 0; round < 20; round++) {
        for (int swap = 0; swap < 10; swap++) {
            LOGFONTA font = g_messageSettings.font;
            font.lfHeight = -12 - swap;
            ReplaceTextFont(CreateFontIndirectA(&font));
            Sleep(3); // let ticks of 20 ms fall between the swaps
        }
        TearDownMessageWindow();
        ASSERT_EQ(SetUpMessageWindow(window_), SETUP_DONE);
    }
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), objects + 2);
    Close();
}

// The writer that holds the message file's lock until it is told to let go.
struct LockHolder {
    HANDLE held, release;
};

// Thread routines are WINAPI (stdcall in the 32-bit build); a lambda converts only to
// the default convention, which the 64-bit build alone shares with them.
DWORD WINAPI HoldMessageFileLock(void* p) {
    LockHolder* h = (LockHolder*)p;
    HANDLE lock = LockMessageFile();
    SetEvent(h->held);
    WaitForSingleObject(h->release, 10000);
    UnlockMessageFile(lock);
    return lock != NULL;
}

// A hand-over written from a thread of its own; done once it is written.
struct QueuedHandOver {
    std::string path;
    volatile LONG done;
};

DWORD WINAPI WriteQueuedHandOver(void* p) {
    QueuedHandOver* h = (QueuedHandOver*)p;
    DWORD written = WriteMessageHandOver(h->path.c_str(), "01.02.2027 03:04:05", "Queued");
    InterlockedExchange(&h->done, 1);
    return written;
}

TEST_F(MessageWindowTest, WritersOfTheFileWaitForEachOther) {
    // Another writer (a closing message window, say) holds the lock.
    HANDLE held = CreateEventA(NULL, TRUE, FALSE, NULL), release = CreateEventA(NULL, TRUE, FALSE, NULL);
    LockHolder holder = {held, release};
    HANDLE other = CreateThread(NULL, 0, HoldMessageFileLock, &holder, 0, NULL);
    ASSERT_EQ(WaitForSingleObject(held, 5000), WAIT_OBJECT_0);

    QueuedHandOver handOver = {iniPath_, 0};
    HANDLE writer = CreateThread(NULL, 0, WriteQueuedHandOver, &handOver, 0, NULL);
    EXPECT_FALSE(WaitFor([&] { return handOver.done != 0; }, 300)) << "the hand-over waits for the lock";
    EXPECT_EQ(ReadKey("Message", "Text"), "<missing>");
    SetEvent(release);
    EXPECT_TRUE(WaitFor([&] { return handOver.done != 0; }, 5000));
    EXPECT_EQ(ReadKey("Message", "Text"), "Queued");
    DWORD heldLock = 0;
    WaitForSingleObject(other, 5000);
    GetExitCodeThread(other, &heldLock);
    EXPECT_EQ(heldLock, 1u);
    for (HANDLE h : {held, release, other, writer})
        CloseHandle(h);
}

} // namespace
