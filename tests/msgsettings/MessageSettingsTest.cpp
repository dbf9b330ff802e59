// The message program's settings file through the real private-profile calls, file
// searches and message boxes: what a fresh or hand-edited vantelmsg.ini gives, what
// is written back, and the clock's hand-over of a message.
#include "MessageFile.h"
#include "MessageSettings.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The file's non-empty lines, without their line ends.
std::vector<std::string> FileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::string bytes = WholeFileText(path), line;
    for (char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!line.empty())
                lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// The bytes of a section, from its header up to the next header or the end.
std::string SectionBytes(const std::string& file, const std::string& name) {
    size_t start = file.find("[" + name + "]");
    if (start == std::string::npos)
        return "";
    size_t end = file.find("\n[", start);
    return file.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start);
}

class MessageSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_.reset(new TempFolder("msgsettings"));
        folder_ = temp_->path();
        ASSERT_TRUE(temp_->created()) << folder_;
        ASSERT_EQ(SetMessageSettingsFolder(folder_.c_str()), 1);
        iniPath_ = folder_ + "\\vantelmsg.ini";
        ASSERT_EQ(std::string(g_messageSettingsFile.path), iniPath_);
        // The record starts zeroed, as at the program's start.
        memset(&g_messageSettings, 0, sizeof(g_messageSettings));
        owner_ = MakeHiddenWindow(123, 45, 60, 40);
        ASSERT_NE(owner_, nullptr);
    }

    void TearDown() override {
        if (owner_)
            DestroyWindow(owner_);
        temp_.reset();
    }

    void WriteIni(const std::string& text) {
        ASSERT_TRUE(WriteWholeFile(iniPath_, text)) << iniPath_;
    }

    std::string ReadKey(const char* section, const char* key) {
        char value[1024];
        GetPrivateProfileStringA(section, key, "<missing>", value, sizeof(value), iniPath_.c_str());
        return value;
    }

    // Loads the settings and returns the message boxes the load showed.
    std::vector<SeenBox> Load() {
        MessageBoxWatcher watcher;
        EXPECT_TRUE(watcher.started());
        EXPECT_EQ(LoadMessageSettings(owner_), 1);
        return watcher.Stop();
    }

    void ExpectOneWarning(const std::vector<SeenBox>& boxes, const std::string& text) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].caption, "Vantel - Error");
        EXPECT_EQ(boxes[0].owner, owner_);
        EXPECT_TRUE(boxes[0].warningIcon);
    }

    std::unique_ptr<TempFolder> temp_;
    std::string folder_; // the temporary folder's path
    std::string iniPath_;
    HWND owner_ = NULL;
};

const MessageSettings& S = g_messageSettings;

TEST(MessageSettingsFile, PathLiesBesideTheProgram) {
    ASSERT_EQ(SetMessageSettingsFolder("D:\\Apps\\Clock"), 1);
    EXPECT_STREQ(g_messageSettingsFile.path, "D:\\Apps\\Clock\\vantelmsg.ini");
    EXPECT_STREQ(g_messageSettingsFile.folder, "D:\\Apps\\Clock");

    // A folder too long for the file name to follow gives no path rather than a cut one.
    std::string longFolder = "C:\\" + std::string(250, 'f');
    EXPECT_EQ(SetMessageSettingsFolder(longFolder.c_str()), 0);
    EXPECT_STREQ(g_messageSettingsFile.path, "");
    memset(&g_messageSettings, 0, sizeof(g_messageSettings));
    EXPECT_EQ(LoadMessageSettings(NULL), 1);
    EXPECT_STREQ(S.text, "Happy New Year!");
    EXPECT_EQ(SaveMessageSettings(NULL), 0);
}

TEST_F(MessageSettingsTest, MissingFileGivesEveryDefault) {
    EXPECT_TRUE(Load().empty());
    EXPECT_STREQ(S.text, "Happy New Year!");
    EXPECT_STREQ(S.dateLine, "01.01.2000 00:00:00");
    EXPECT_EQ(S.displayDate, 1);
    EXPECT_EQ(S.charactersPerSecond, 25);
    EXPECT_EQ(S.x, 20);
    EXPECT_EQ(S.y, 20);
    EXPECT_EQ(S.alwaysOnTop, 1);
    EXPECT_EQ(S.playSound, 1);
    EXPECT_STREQ(S.backgroundBmp, "");
    EXPECT_EQ(S.backgroundFromFile, 0);
    EXPECT_EQ(MessagePictureName(), MAKEINTRESOURCEA(103));
    EXPECT_EQ(S.useTransparency, 0);
    EXPECT_EQ(S.transparentColor, RGB(255, 0, 255));
    EXPECT_EQ(S.textArea.left, 15);
    EXPECT_EQ(S.textArea.top, 12);
    EXPECT_EQ(S.textArea.right, 410);
    EXPECT_EQ(S.textArea.bottom, 132);
    EXPECT_STREQ(S.font.lfFaceName, "Arial");
    EXPECT_EQ(S.font.lfHeight, -19);
    EXPECT_EQ(S.fontColor, RGB(0xBB, 0xFF, 0xAA));
    EXPECT_EQ(S.font.lfWeight, 400);
    EXPECT_EQ(S.font.lfItalic, 0);
    EXPECT_EQ(S.font.lfCharSet, 0);
    EXPECT_EQ(S.font.lfWidth, 0);
    EXPECT_EQ(S.font.lfQuality, 0);
    EXPECT_EQ(GetFileAttributesA(iniPath_.c_str()), INVALID_FILE_ATTRIBUTES) << "loading creates no file";
}

TEST_F(MessageSettingsTest, ValuesAsWrittenByHand) {
    WriteIni("[Message]\r\nDate=15.06.2003 20:03:54\r\nText=Line one<br>Line two\r\n"
             "[settings]\r\ndisplaydate=0\r\nCharactersPerSecond=abc\r\nAlwaysOnTop=-3\r\nPlaySound=+12x\r\n"
             "[Appearance]\r\nUseTransparency=1\r\nFontFaceName=Courier New\r\nFontHeight=-25\r\n"
             "FontWeight=700\r\nFontItalic=257\r\nFontCharSet=511\r\n");
    EXPECT_TRUE(Load().empty());
    EXPECT_STREQ(S.dateLine, "15.06.2003 20:03:54");
    EXPECT_STREQ(S.text, "Line one<br>Line two");
    EXPECT_EQ(S.displayDate, 0);         // sections and keys match without regard to case
    EXPECT_EQ(S.charactersPerSecond, 0); // no digits
    EXPECT_EQ(S.alwaysOnTop, -3);
    EXPECT_EQ(S.playSound, 12);
    EXPECT_EQ(S.useTransparency, 1);
    EXPECT_STREQ(S.font.lfFaceName, "Courier New");
    EXPECT_EQ(S.font.lfHeight, -25);
    EXPECT_EQ(S.font.lfWeight, 700);
    EXPECT_EQ(S.font.lfItalic, 1);    // low 8 bits of 257
    EXPECT_EQ(S.font.lfCharSet, 255); // low 8 bits of 511
}

TEST_F(MessageSettingsTest, LongValuesAreCutToTheirFields) {
    std::string face(40, 'F');
    WriteIni("[Message]\r\nDate=" + std::string(40, 'd') + "\r\nText=" + std::string(600, 't') +
             "\r\n[Appearance]\r\nFontFaceName=" + face + "\r\nFontItalic=-1\r\n");
    Load();
    EXPECT_EQ(std::string(S.dateLine), std::string(31, 'd'));
    EXPECT_EQ(std::string(S.text), std::string(511, 't'));
    EXPECT_EQ(std::string(S.font.lfFaceName), std::string(31, 'F'));
    EXPECT_EQ(S.font.lfItalic, 255);
}

TEST_F(MessageSettingsTest, PartialPositionsKeepTheLaterFields) {
    WriteIni("[Settings]\r\nWindowPos=100\r\n[Appearance]\r\nTextArea=10,20\r\n");
    Load();
    EXPECT_EQ(S.x, 100);
    EXPECT_EQ(S.y, 0);
    EXPECT_EQ(S.textArea.left, 10);
    EXPECT_EQ(S.textArea.top, 20);
    EXPECT_EQ(S.textArea.right, 0);
    EXPECT_EQ(S.textArea.bottom, 0);

    // The fields kept are the current ones, not the defaults.
    g_messageSettings.textArea = {1, 2, 3, 4};
    g_messageSettings.y = 77;
    WriteIni("[Settings]\r\nWindowPos=-5,x\r\n[Appearance]\r\nTextArea=30,40,x,50\r\n");
    Load();
    EXPECT_EQ(S.x, -5);
    EXPECT_EQ(S.y, 77);
    EXPECT_EQ(S.textArea.left, 30);
    EXPECT_EQ(S.textArea.top, 40);
    EXPECT_EQ(S.textArea.right, 3);
    EXPECT_EQ(S.textArea.bottom, 4);
}

TEST_F(MessageSettingsTest, ColoursReadBlueGreenRed) {
    WriteIni("[Appearance]\r\nFontColor=0000FF\r\nTransparentColor=FF0000\r\n");
    Load();
    EXPECT_EQ(S.fontColor, RGB(255, 0, 0));
    EXPECT_EQ(S.transparentColor, RGB(0, 0, 255));
}

TEST_F(MessageSettingsTest, UnreadableColourKeepsTheCurrentValue) {
    // At the program's start the current value is 0; the default text only stands
    // in for a missing key.
    WriteIni("[Appearance]\r\nFontColor=zz\r\nTransparentColor=\r\n");
    Load();
    EXPECT_EQ(S.fontColor, 0u);
    EXPECT_EQ(S.transparentColor, 0u);

    g_messageSettings.fontColor = 0x123456;
    g_messageSettings.transparentColor = 0x654321;
    WriteIni("[Appearance]\r\nFontColor=-1\r\nTransparentColor=+FF\r\n");
    Load();
    EXPECT_EQ(S.fontColor, 0x123456u);
    EXPECT_EQ(S.transparentColor, 0x654321u);
}

TEST_F(MessageSettingsTest, RelativeBackgroundIsCompletedAndSavedInFull) {
    std::string pictures = folder_ + "\\pictures";
    ASSERT_TRUE(CreateDirectoryA(pictures.c_str(), NULL));
    ASSERT_TRUE(WriteWholeFile(pictures + "\\x.bmp", std::string("BM")));
    WriteIni("[Appearance]\r\nBackgroundBMP=\\pictures\\x.bmp\r\n");
    EXPECT_TRUE(Load().empty());
    std::string full = folder_ + "\\pictures\\x.bmp";
    EXPECT_EQ(std::string(S.backgroundBmp), full);
    EXPECT_EQ(S.backgroundFromFile, 1);
    EXPECT_EQ(MessagePictureName(), S.backgroundBmp);

    ASSERT_EQ(SaveMessageSettings(owner_), 1);
    EXPECT_EQ(ReadKey("Appearance", "BackgroundBMP"), full);
}

TEST_F(MessageSettingsTest, MissingBackgroundWarnsOnceAndIsSavedEmpty) {
    std::string missing = folder_ + "\\gone.bmp";
    WriteIni("[Appearance]\r\nBackgroundBMP=\\gone.bmp\r\n");
    ExpectOneWarning(Load(), "Cannot find file \"" + missing + "\".\nLoading default background bitmap.");
    EXPECT_EQ(std::string(S.backgroundBmp), missing); // kept for the Appearance dialog
    EXPECT_EQ(S.backgroundFromFile, 0);
    EXPECT_EQ(MessagePictureName(), MAKEINTRESOURCEA(103));

    ASSERT_EQ(SaveMessageSettings(owner_), 1);
    EXPECT_EQ(ReadKey("Appearance", "BackgroundBMP"), "");
    memset(&g_messageSettings, 0, sizeof(g_messageSettings));
    EXPECT_TRUE(Load().empty()) << "the next start uses the built-in picture without a box";
}

TEST_F(MessageSettingsTest, DirectoryAsBackgroundIsNoBitmap) {
    std::string skins = folder_ + "\\skins";
    ASSERT_TRUE(CreateDirectoryA(skins.c_str(), NULL));
    WriteIni("[Appearance]\r\nBackgroundBMP=" + skins + "\r\n");
    ExpectOneWarning(Load(), "\"" + skins + "\" is not a bitmap file.\nLoading default background bitmap.");
    EXPECT_EQ(S.backgroundFromFile, 0);
    EXPECT_EQ(MessagePictureName(), MAKEINTRESOURCEA(103));

    // Saved empty, as a missing file is: the box does not come back at every start.
    ASSERT_EQ(SaveMessageSettings(owner_), 1);
    EXPECT_EQ(ReadKey("Appearance", "BackgroundBMP"), "");
    EXPECT_TRUE(Load().empty());
}

TEST_F(MessageSettingsTest, LongRelativeBackgroundStaysWithin256Characters) {
    std::string value = "\\" + std::string(250, 'a') + ".bmp";
    WriteIni("[Appearance]\r\nBackgroundBMP=" + value + "\r\n");
    std::string expected = folder_ + value.substr(0, 256 - folder_.size());
    ExpectOneWarning(Load(), "Cannot find file \"" + expected + "\".\nLoading default background bitmap.");
    EXPECT_EQ(std::string(S.backgroundBmp), expected);
    EXPECT_EQ(strlen(S.backgroundBmp), 256u);
}

TEST_F(MessageSettingsTest, SavingWritesSettingsAndAppearanceInOrder) {
    Load();
    ASSERT_EQ(SaveMessageSettings(owner_), 1); // the owner window stands at 123, 45
    std::vector<std::string> expected = {"[Settings]",
                                         "DisplayDate=1",
                                         "CharactersPerSecond=25",
                                         "WindowPos=123,45",
                                         "AlwaysOnTop=1",
                                         "PlaySound=1",
                                         "[Appearance]",
                                         "BackgroundBMP=",
                                         "UseTransparency=0",
                                         "TransparentColor=FF00FF",
                                         "TextArea=15,12,410,132",
                                         "FontFaceName=Arial",
                                         "FontHeight=-19",
                                         "FontColor=AAFFBB",
                                         "FontWeight=400",
                                         "FontItalic=0",
                                         "FontCharSet=0"};
    EXPECT_EQ(FileLines(iniPath_), expected);
}

TEST_F(MessageSettingsTest, SavedValuesReadBackTheSame) {
    Load();
    MessageSettings& s = g_messageSettings;
    s.displayDate = 0;
    s.charactersPerSecond = -7;
    s.x = -10;
    s.y = -20;
    s.transparentColor = RGB(0x0A, 0, 0);
    s.fontColor = 0xFF123456; // only the colour's 24 bits are written
    s.textArea = {-1, 0, 65535, 2};
    s.font.lfItalic = 255;
    s.font.lfCharSet = 128;
    lstrcpyA(s.font.lfFaceName, "Times New Roman");
    // Without a window the position kept in the record is written.
    ASSERT_EQ(SaveMessageSettings(NULL), 1);
    EXPECT_EQ(ReadKey("Settings", "WindowPos"), "-10,-20");
    EXPECT_EQ(ReadKey("Settings", "CharactersPerSecond"), "-7");
    EXPECT_EQ(ReadKey("Appearance", "TransparentColor"), "00000A");
    EXPECT_EQ(ReadKey("Appearance", "FontColor"), "123456");
    EXPECT_EQ(ReadKey("Appearance", "TextArea"), "-1,0,65535,2");
    EXPECT_EQ(ReadKey("Appearance", "FontItalic"), "255");

    MessageSettings saved = s;
    memset(&g_messageSettings, 0, sizeof(g_messageSettings));
    Load();
    EXPECT_EQ(S.displayDate, saved.displayDate);
    EXPECT_EQ(S.charactersPerSecond, saved.charactersPerSecond);
    EXPECT_EQ(S.x, -10);
    EXPECT_EQ(S.y, -20);
    EXPECT_EQ(S.transparentColor, saved.transparentColor);
    EXPECT_EQ(S.fontColor, 0x123456u);
    EXPECT_EQ(memcmp(&S.textArea, &saved.textArea, sizeof(RECT)), 0);
    EXPECT_EQ(memcmp(&S.font, &saved.font, sizeof(LOGFONTA)), 0);
}

TEST_F(MessageSettingsTest, SavingLeavesTheMessageSectionAsItWas) {
    WriteIni("[Settings]\r\nDisplayDate=0\r\n"
             "[Message]\r\nDate=15.06.2003 20:03:54\r\n"
             "Text=Call \"Bob\" <br>  at 5; ok\r\n"
             "; a remark\r\n"
             "[Appearance]\r\nFontHeight=-30\r\n");
    std::string before = SectionBytes(WholeFileText(iniPath_), "Message");
    ASSERT_FALSE(before.empty());
    Load();
    g_messageSettings.displayDate = 1;
    lstrcpyA(g_messageSettings.text, "changed in memory");
    ASSERT_EQ(SaveMessageSettings(owner_), 1);
    std::string after = WholeFileText(iniPath_);
    EXPECT_EQ(SectionBytes(after, "Message"), before);
    EXPECT_EQ(ReadKey("Settings", "DisplayDate"), "1");
    EXPECT_EQ(ReadKey("Appearance", "FontHeight"), "-30");
}

TEST_F(MessageSettingsTest, SavingIntoAnUnwritablePlaceFails) {
    Load();
    ASSERT_EQ(SetMessageSettingsFolder((folder_ + "\\no such folder").c_str()), 1);
    EXPECT_EQ(SaveMessageSettings(owner_), 0);
}

TEST_F(MessageSettingsTest, HandOverWritesDateThenText) {
    ASSERT_EQ(WriteMessageHandOver(iniPath_.c_str(), "15.06.2003 20:03:54", "Take a break"), 1);
    std::vector<std::string> expected = {"[Message]", "Date=15.06.2003 20:03:54", "Text=Take a break"};
    EXPECT_EQ(FileLines(iniPath_), expected);
    Load();
    EXPECT_STREQ(S.dateLine, "15.06.2003 20:03:54");
    EXPECT_STREQ(S.text, "Take a break");

    // A later hand-over replaces the message and leaves the other sections.
    ASSERT_EQ(SaveMessageSettings(owner_), 1);
    ASSERT_EQ(WriteMessageHandOver(iniPath_.c_str(), "16.06.2003 08:00:00", "Second"), 1);
    memset(&g_messageSettings, 0, sizeof(g_messageSettings));
    Load();
    EXPECT_STREQ(S.dateLine, "16.06.2003 08:00:00");
    EXPECT_STREQ(S.text, "Second");
    EXPECT_EQ(ReadKey("Settings", "WindowPos"), "123,45");
}

TEST_F(MessageSettingsTest, HandOverTextUpTo511Characters) {
    std::string full(511, 'm');
    full[0] = 'A';
    full[510] = 'Z';
    ASSERT_EQ(WriteMessageHandOver(iniPath_.c_str(), "01.02.2003 04:05:06", full.c_str()), 1);
    Load();
    EXPECT_EQ(std::string(S.text), full);

    std::string longer = full + "beyond";
    ASSERT_EQ(WriteMessageHandOver(iniPath_.c_str(), "01.02.2003 04:05:06", longer.c_str()), 1);
    Load();
    EXPECT_EQ(std::string(S.text), full);
}

TEST_F(MessageSettingsTest, HandOverLineBreaksCannotAddKeys) {
    // Written as they are, the breaks would end the value and make the rest new
    // sections and keys of the file.
    ASSERT_EQ(WriteMessageHandOver(iniPath_.c_str(), "01.02.2003 04:05:06\r\n[Settings]",
                                   "one\r\n[Settings]\r\nDisplayDate=0\ntwo\rthree"),
              1);
    Load();
    EXPECT_STREQ(S.dateLine, "01.02.2003 04:05:06<br>[Setting"); // cut to 31 characters
    EXPECT_STREQ(S.text, "one<br>[Settings]<br>DisplayDate=0<br>two<br>three");
    EXPECT_EQ(S.displayDate, 1);
    EXPECT_EQ(ReadKey("Settings", "DisplayDate"), "<missing>");
}

TEST_F(MessageSettingsTest, HandOverWithoutATextWritesNothing) {
    ASSERT_EQ(WriteMessageHandOver(iniPath_.c_str(), "01.02.2003 04:05:06", "Kept"), 1);
    EXPECT_EQ(WriteMessageHandOver(iniPath_.c_str(), "02.02.2003 04:05:06", NULL), 0);
    EXPECT_EQ(WriteMessageHandOver(NULL, "02.02.2003 04:05:06", "x"), 0);
    EXPECT_EQ(ReadKey("Message", "Text"), "Kept");
    EXPECT_EQ(ReadKey("Message", "Date"), "01.02.2003 04:05:06");
}

} // namespace
