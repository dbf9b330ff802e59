// The clock's settings file through the real private-profile calls.
#include "Program.h"
#include "Settings.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kWarn[] = " [warning icon]";

class ClockSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_.reset(new TempFolder("clocksettings"));
        ASSERT_TRUE(folder_->created()) << folder_->path();
        lstrcpynA(g_program.directory, folder_->path().c_str(), MAX_PATH);
        snprintf(g_program.settingsPath, MAX_PATH, "%s\\vantel.ini", g_program.directory);
        SetDefaultSettings();
        SetDefaultAppearance();
    }

    void WriteIni(const std::string& text) {
        ASSERT_TRUE(WriteWholeFile(g_program.settingsPath, text)) << g_program.settingsPath;
    }

    std::string ReadIni() {
        return WholeFileText(g_program.settingsPath);
    }

    // LoadSettings with every message box it shows answered and recorded.
    int Load(std::vector<std::string>* boxes) {
        MessageBoxWatcher watcher("Vantel - Error");
        int result = LoadSettings(NULL);
        *boxes = MarkedTexts(watcher.Stop());
        return result;
    }

    // A complete appearance section, as a save writes it.
    static std::string Appearance(const std::string& extra = "") {
        std::string s = "[Appearance]\r\n";
        for (int n = 1; n <= 12; n++)
            s +=
                "Digit" + std::to_string(n) + "=" + std::to_string(n * 10) + "," + std::to_string(n) + "\r\n";
        return s + extra;
    }

    static std::string Date(CalendarTime t) {
        char text[32];
        FormatDateText(t, text, sizeof(text), DATE_FILE);
        return text;
    }

    std::unique_ptr<TempFolder> folder_;
};

} // namespace

TEST_F(ClockSettingsTest, EventsStopAtTheFirstGapAndSkipUnreadableDates) {
    WriteIni("[Event1]\r\nDate=2025-01-02 03:04:05\r\nRecurrencePattern=Daily\r\nMessage=first\r\n"
             "[Event2]\r\nDate=2025-13-45 99:00:00\r\nMessage=normalised\r\n"
             "[Event3]\r\nDate=not a date\r\nMessage=skipped\r\n"
             "[Event4]\r\nDate=2025-02-03 04:05:06\r\nRecurrencePattern=weekly\r\nSoundFile=c:\\a.wav\r\n"
             "AppFile=notepad.exe\r\n"
             "[Event6]\r\nDate=2025-03-04 05:06:07\r\nMessage=behind the gap\r\n" +
             Appearance());
    std::vector<std::string> boxes;
    EXPECT_EQ(Load(&boxes), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], std::string("Cannot convert parameter \"not a date\" to a calendar time value.\n"
                                    "Event3 is omitted.") +
                            kWarn);
    ASSERT_EQ(CountEvents(&g_events), 3);
    EXPECT_EQ(Date(g_events.slots[0].startTime), "2025-01-02 03:04:05");
    EXPECT_EQ(g_events.slots[0].recurrence, RECUR_DAILY);
    EXPECT_STREQ(g_events.slots[0].message, "first");
    EXPECT_EQ(Date(g_events.slots[1].startTime), "2026-02-18 03:00:00"); // out-of-range fields roll over
    EXPECT_EQ(Date(g_events.slots[2].startTime), "2025-02-03 04:05:06");
    EXPECT_EQ(g_events.slots[2].recurrence, RECUR_NONE); // names match exactly
    EXPECT_STREQ(g_events.slots[2].soundFile, "c:\\a.wav");
    EXPECT_STREQ(g_events.slots[2].appFile, "notepad.exe");
    EXPECT_STREQ(g_events.slots[2].message, "");
}

TEST_F(ClockSettingsTest, EventAtTheEpochIsOmittedAndTheLaterOnesKept) {
    // The epoch as a local date text of this process's time zone.
    time_t epoch = 0;
    char text[32];
    strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", localtime(&epoch));
    WriteIni(std::string("[Event1]\r\nDate=") + text + "\r\nMessage=epoch\r\n" +
             "[Event2]\r\nDate=2025-03-04 05:06:07\r\nMessage=kept\r\n" + Appearance());
    std::vector<std::string> boxes;
    EXPECT_EQ(Load(&boxes), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], std::string("Cannot convert parameter \"") + text +
                            "\" to a calendar time value.\nEvent1 is omitted." + kWarn);
    ASSERT_EQ(CountEvents(&g_events), 1);
    EXPECT_STREQ(g_events.slots[0].message, "kept");
}

TEST_F(ClockSettingsTest, LongEventFieldsAreCutToTheirSize) {
    std::string message(700, 'm'), sound(400, 's');
    WriteIni("[Event1]\r\nDate=2025-01-02 03:04:05\r\nMessage=" + message + "\r\nSoundFile=" + sound +
             "\r\n" + Appearance());
    std::vector<std::string> boxes;
    EXPECT_EQ(Load(&boxes), 1);
    EXPECT_EQ(std::string(g_events.slots[0].message), message.substr(0, 511));
    EXPECT_EQ(std::string(g_events.slots[0].soundFile), sound.substr(0, 259));
}

TEST_F(ClockSettingsTest, UnreadableDatesFallBackWithTheirMessages) {
    WriteIni("[Settings]\r\nClockMode=0\r\nLastEventCheck=yesterday\r\n[Countdown]\r\nDate=3002-01-01 "
             "00:00:00\r\n" +
             Appearance());
    time_t before = time(NULL);
    std::vector<std::string> boxes;
    EXPECT_EQ(Load(&boxes), 1);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0],
              std::string("Cannot convert parameter LastEventCheck \"yesterday\" to a calendar time "
                          "value.\nUsing default date.") +
                  kWarn);
    EXPECT_EQ(boxes[1], std::string("Cannot convert parameter Countdown-Date \"3002-01-01 00:00:00\" to a "
                                    "calendar time value.\nUsing default date.") +
                            kWarn);
    EXPECT_GE(g_settings.lastEventCheck, (CalendarTime)before);
    EXPECT_LE(g_settings.lastEventCheck, (CalendarTime)time(NULL));
    EXPECT_EQ(g_settings.countdownDate, NextNewYear());
    EXPECT_EQ(g_settings.clockMode, 0);
}

TEST_F(ClockSettingsTest, DigitRangeAndColourRules) {
    WriteIni(Appearance("FirstDigit=7\r\nLastDigit=3\r\nTransparentColor=zz\r\nWindowPos=123\r\n"));
    std::vector<std::string> boxes;
    EXPECT_EQ(Load(&boxes), 1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(g_appearance.firstDigit, 0);
    EXPECT_EQ(g_appearance.lastDigit, 11);
    EXPECT_EQ(g_appearance.transparentColor, 0u);
    EXPECT_EQ(g_settings.windowPos.x, 123);
    EXPECT_EQ(g_settings.windowPos.y, 0);
    EXPECT_EQ(g_appearance.slots[6].left, 70);
    EXPECT_EQ(g_appearance.slots[6].top, 7);

    WriteIni(Appearance("FirstDigit=-1\r\nLastDigit=12\r\nTransparentColor=0000FF\r\n"));
    EXPECT_EQ(Load(&boxes), 1);
    EXPECT_EQ(g_appearance.firstDigit, 0);
    EXPECT_EQ(g_appearance.lastDigit, 11);
    EXPECT_EQ(g_appearance.transparentColor, RGB(255, 0, 0));
}

TEST_F(ClockSettingsTest, MissingCoordinatesOrBitmapsRefuseTheAppearanceOnly) {
    std::string appearance = Appearance();
    size_t at = appearance.find("Digit7=");
    appearance.erase(at, appearance.find("\r\n", at) + 2 - at);
    WriteIni("[Event1]\r\nDate=2025-01-02 03:04:05\r\n" + appearance +
             "WindowPos=50,60\r\nAlwaysOnTop=1\r\n");
    std::vector<std::string> boxes;
    EXPECT_EQ(Load(&boxes), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], std::string("Cannot find coordinates for Digit7.\nLoading default skin.") + kWarn);
    EXPECT_EQ(CountEvents(&g_events), 1); // what was read before stays
    EXPECT_EQ(g_settings.windowPos.x, 50);
    EXPECT_EQ(g_settings.alwaysOnTop, 1);

    // A path naming a directory is no bitmap file.
    CreateDirectoryA(folder_->Path("skins").c_str(), NULL);
    WriteIni(Appearance("BackgroundBMP=" + folder_->Path("skins") + "\r\n"));
    EXPECT_EQ(Load(&boxes), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0],
              "Cannot find file \"" + folder_->Path("skins") + "\".\nLoading default skin." + kWarn);

    WriteIni(Appearance("DigitsBMP=\\skins\\none.bmp\r\n"));
    EXPECT_EQ(Load(&boxes), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Cannot find file \"" + folder_->Path("skins\\none.bmp") +
                            "\".\nLoading default skin." + kWarn);
}

TEST_F(ClockSettingsTest, RelativeBitmapPathIsCompletedAndSavedInFull) {
    CreateDirectoryA(folder_->Path("skins").c_str(), NULL);
    ASSERT_TRUE(WriteWholeFile(folder_->Path("skins\\x_b.bmp"), std::string("BM")));
    WriteIni(Appearance("BackgroundBMP=\\skins\\x_b.bmp\r\n"));
    std::vector<std::string> boxes;
    EXPECT_EQ(Load(&boxes), 1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(std::string(g_appearance.backgroundBmp), folder_->Path("skins\\x_b.bmp"));
    HWND window = MakeHiddenWindow();
    SaveSettings(window);
    DestroyWindow(window);
    EXPECT_NE(ReadIni().find("BackgroundBMP=" + folder_->Path("skins\\x_b.bmp") + "\r\n"), std::string::npos);
}

TEST_F(ClockSettingsTest, SaveWritesEverySettingAnd32EventSectionsAndLoadsBackUnchanged) {
    // A file with stale keys in sections that no longer hold an event.
    WriteIni("[Event5]\r\nDate=2020-01-01 00:00:00\r\nMessage=stale\r\n[Event40]\r\nDate=x\r\n");
    SetDefaultSettings();
    SetDefaultAppearance();
    g_settings.clockMode = 2;
    g_settings.countdownDate = ParseDateText("2040-01-01 00:00:00"); // past 2038 too
    g_settings.lastEventCheck = ParseDateText("2038-01-19 03:14:25");
    g_settings.displayPastEvents = 0;
    g_appearance.transparentColor = RGB(1, 2, 3);
    g_appearance.firstDigit = 2;
    g_appearance.lastDigit = 11;
    g_events.slots[0].startTime = ParseDateText("2027-01-02 03:04:05");
    g_events.slots[0].recurrence = RECUR_MONTHLY;
    lstrcpyA(g_events.slots[0].message, "Tea <br> time");
    g_events.slots[1].startTime = ParseDateText("2999-12-31 23:59:59");
    lstrcpyA(g_events.slots[1].appFile, "notepad.exe c:\\x.txt");

    HWND window = MakeHiddenWindow(321, 123);
    EXPECT_EQ(SaveSettings(window), 1);
    DestroyWindow(window);

    std::string ini = ReadIni();
    for (int n = 1; n <= 32; n++)
        EXPECT_NE(ini.find("[Event" + std::to_string(n) + "]"), std::string::npos) << n;
    EXPECT_EQ(ini.find("stale"), std::string::npos);
    for (const char* line : {"ClockMode=2",
                             "LastEventCheck=2038-01-19 03:14:25",
                             "LastOfMonthMode=1",
                             "DisplayPastEvents=0",
                             "Date=2040-01-01 00:00:00",
                             "Date=2999-12-31 23:59:59",
                             "BackgroundBMP=\r\n",
                             "WindowPos=321,123",
                             "AlwaysOnTop=0",
                             "DigitsBMP=\r\n",
                             "TransparentColor=030201",
                             "FirstDigit=2",
                             "LastDigit=11",
                             "Digit5=20,15",
                             "Digit12=0,0",
                             "Date=2027-01-02 03:04:05",
                             "RecurrencePattern=Monthly",
                             "Message=Tea <br> time",
                             "RecurrencePattern=<none>",
                             "AppFile=notepad.exe c:\\x.txt",
                             "SoundFile=\r\n"})
        EXPECT_NE(ini.find(line), std::string::npos) << line;

    ClockSettings savedSettings = g_settings;
    EventTable savedEvents = g_events;
    SetDefaultSettings();
    SetDefaultAppearance();
    std::vector<std::string> boxes;
    EXPECT_EQ(Load(&boxes), 1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(g_settings.clockMode, 2);
    EXPECT_EQ(g_settings.countdownDate, savedSettings.countdownDate);
    EXPECT_EQ(g_settings.lastEventCheck, savedSettings.lastEventCheck);
    EXPECT_EQ(g_settings.windowPos.x, 321);
    EXPECT_EQ(g_appearance.transparentColor, RGB(1, 2, 3));
    EXPECT_EQ(memcmp(&g_events, &savedEvents, sizeof(g_events)), 0);

    // Deleting every event leaves 32 empty sections.
    memset(&g_events, 0, sizeof(g_events));
    window = MakeHiddenWindow();
    SaveSettings(window);
    DestroyWindow(window);
    ini = ReadIni();
    EXPECT_EQ(ini.find("Date=2027"), std::string::npos);
    EXPECT_EQ(ini.find("Tea"), std::string::npos);
    for (int n = 1; n <= 32; n++)
        EXPECT_NE(ini.find("[Event" + std::to_string(n) + "]"), std::string::npos) << n;
}
