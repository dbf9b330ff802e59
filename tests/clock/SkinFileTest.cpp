// Skin files through the real private-profile and file calls.
#include "Program.h"
#include "ClockTestSupport.h"
#include "Settings.h"
#include "Skins.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kWarn[] = " [warning icon]";

class SkinFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_.reset(new TempFolder("skinfile"));
        ASSERT_TRUE(folder_->created()) << folder_->path();
        UseProgramFolder(folder_->path());
        SetDefaultAppearance();
        ASSERT_TRUE(CreateDirectoryA(Path("skins").c_str(), NULL));
    }

    std::string Path(const std::string& name) const {
        return folder_->Path(name);
    }

    void Write(const std::string& name, const std::string& text) {
        ASSERT_TRUE(WriteWholeFile(Path(name), text)) << name;
    }

    // A bitmap file's stand-in: skins only look for the file.
    void Touch(const std::string& name) {
        Write(name, "BM");
    }

    // ReadSkinFile with every message box answered and recorded.
    int Read(const std::string& name, MessageLook* look, std::vector<std::string>* boxes) {
        MessageBoxWatcher watcher("Vantel - Error");
        int result = ReadSkinFile(NULL, Path(name).c_str(), &g_appearance, look);
        *boxes = MarkedTexts(watcher.Stop());
        return result;
    }

    int WriteSkin(const char* name, const char* stem, int includeMessage, std::vector<std::string>* boxes) {
        MessageBoxWatcher watcher("Vantel - Error");
        int result = WriteSkinFile(NULL, name, stem, includeMessage);
        *boxes = MarkedTexts(watcher.Stop());
        return result;
    }

    std::unique_ptr<TempFolder> folder_;
};

bool SameAppearance(const ClockAppearance& a, const ClockAppearance& b) {
    return memcmp(&a, &b, sizeof(a)) == 0;
}

} // namespace

TEST_F(SkinFileTest, ValuesAreTakenAndWhatIsMissingOrDamagedKeepsTheCurrentAppearance) {
    Touch("skins\\Blue_d.bmp");
    Write("skins\\Blue.ini",
          "[VANTEL]\r\nSkinName=Blue\r\nBackgroundBMP=\r\nDigitsBMP=\\skins\\Blue_d.bmp\r\n"
          "TransparentColor=0000FF\r\nFirstDigit=9\r\nLastDigit=4\r\n"
          "Digit1=1,2\r\nDigit2=x,3\r\nDigit3=4\r\nDigit6=-70,2147483647\r\n"
          "Digit12=99999999999,-5\r\n");
    g_appearance.backgroundBmp[0] = 'x'; // an empty value names the built-in background
    g_appearance.slots[4] = {31, 32, 0, 0};
    MessageLook look;
    std::vector<std::string> boxes;
    ASSERT_EQ(Read("skins\\Blue.ini", &look, &boxes), 1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_STREQ(g_appearance.backgroundBmp, "");
    EXPECT_EQ(std::string(g_appearance.digitsBmp), Path("skins\\Blue_d.bmp"));
    EXPECT_EQ(g_appearance.transparentColor, (COLORREF)RGB(255, 0, 0)); // red is the low byte
    EXPECT_EQ(g_appearance.firstDigit, 4);                              // backwards: turned round
    EXPECT_EQ(g_appearance.lastDigit, 9);
    EXPECT_EQ(g_appearance.slots[0].left, 1);
    EXPECT_EQ(g_appearance.slots[0].top, 2);
    EXPECT_EQ(g_appearance.slots[1].left, 0); // "x,3" and "4" do not parse: as they were
    EXPECT_EQ(g_appearance.slots[2].left, 0);
    EXPECT_EQ(g_appearance.slots[4].left, 31); // missing Digit5
    EXPECT_EQ(g_appearance.slots[5].left, -70);
    EXPECT_EQ(g_appearance.slots[5].top, INT32_MAX);
    EXPECT_EQ(g_appearance.slots[11].left, INT32_MAX); // saturated
    EXPECT_EQ(look.kind, MESSAGE_LOOK_NONE);

    // No range at all is the one slot 0; a damaged colour keeps the colour.
    Write("skins\\Bare.ini", "[VANTEL]\r\nSkinName=Bare\r\nTransparentColor=zz\r\n");
    ASSERT_EQ(Read("skins\\Bare.ini", &look, &boxes), 1);
    EXPECT_EQ(g_appearance.firstDigit, 0);
    EXPECT_EQ(g_appearance.lastDigit, 0);
    EXPECT_EQ(g_appearance.transparentColor, (COLORREF)RGB(255, 0, 0));
    EXPECT_STREQ(g_appearance.digitsBmp, "");
}

TEST_F(SkinFileTest, AMissingOrOverLongBitmapChangesNothingAndSaysWhich) {
    Touch("skins\\Red_b.bmp");
    Touch("skins\\Red_d.bmp");
    const std::string clock =
        "[VANTEL]\r\nSkinName=Red\r\nBackgroundBMP=\\skins\\Red_b.bmp\r\n"
        "DigitsBMP=\\skins\\Red_d.bmp\r\nFirstDigit=4\r\nLastDigit=11\r\nDigit5=1,1\r\n";
    const std::string longPath = "C:\\" + std::string(280, 'p') + ".bmp";
    const struct {
        std::string file;
        std::string box;
    } cases[] = {
        {"[VANTEL]\r\nSkinName=Red\r\nBackgroundBMP=\\skins\\gone.bmp\r\nDigit5=1,1\r\n",
         "Cannot find file \"" + Path("skins\\gone.bmp") + "\".\nSkin is damaged."},
        {clock + "[VANTEL_MSG]\r\nUseSkinData=1\r\nBackgroundBMP=\\skins\\Red_m.bmp\r\n",
         "Cannot find file \"" + Path("skins\\Red_m.bmp") + "\".\nSkin is damaged."},
        {clock + "[VANTEL_MSG]\r\nUseSkinData=1\r\nBackgroundBMP=" + longPath + "\r\n",
         "The path \"" + longPath.substr(0, 259) + "...\" is too long.\nSkin is damaged."},
        {"[VANTEL]\r\nDigitsBMP=\\" + std::string(258, 'q') + "\r\n",
         "The path \"" + Path("") + std::string(258, 'q') + "\" is too long.\nSkin is damaged."},
    };
    for (const auto& c : cases) {
        Write("skins\\Red.ini", c.file);
        ClockAppearance before = g_appearance;
        MessageLook look;
        look.kind = MESSAGE_LOOK_NONE;
        std::vector<std::string> boxes;
        EXPECT_EQ(Read("skins\\Red.ini", &look, &boxes), 0) << c.file;
        ASSERT_EQ(boxes.size(), 1u) << c.file;
        EXPECT_EQ(boxes[0], c.box + kWarn);
        EXPECT_TRUE(SameAppearance(before, g_appearance)) << c.file;
        EXPECT_EQ(look.kind, MESSAGE_LOOK_NONE);
    }
}

TEST_F(SkinFileTest, AMessageLookIsWrittenOnlyWhenTheSkinCarriesOneAndOnlyWhenAsked) {
    const std::string messageIni = "[Appearance]\r\nFontFaceName=Courier\r\n";
    Write("vantelmsg.ini", messageIni);
    Touch("skins\\Note_m.bmp");
    Write("skins\\Plain.ini", "[VANTEL]\r\nSkinName=Plain\r\n[VANTEL_MSG]\r\nUseSkinData=0\r\n"
                              "BackgroundBMP=\\skins\\missing.bmp\r\nFontFaceName=Ignored\r\n");
    Write("skins\\Note.ini",
          "[VANTEL]\r\nSkinName=Note\r\n[VANTEL_MSG]\r\nUseSkinData=1\r\n"
          "BackgroundBMP=\\skins\\Note_m.bmp\r\nUseTransparency=1\r\nTransparentColor=00FF00\r\n"
          "TextArea=1,2,3,4\r\nFontFaceName=Georgia\r\nFontHeight=-22\r\nFontColor=102030\r\n"
          "FontWeight=700\r\nFontItalic=1\r\n");
    MessageLook look;
    std::vector<std::string> boxes;
    ASSERT_EQ(Read("skins\\Plain.ini", &look, &boxes), 1);
    EXPECT_EQ(look.kind, MESSAGE_LOOK_NONE);
    WriteMessageLook(&look);
    EXPECT_EQ(WholeFileText(Path("vantelmsg.ini")), messageIni); // untouched, to the byte

    ASSERT_EQ(Read("skins\\Note.ini", &look, &boxes), 1);
    EXPECT_EQ(look.kind, MESSAGE_LOOK_SKIN);
    EXPECT_EQ(WholeFileText(Path("vantelmsg.ini")), messageIni)
        << "written only once the clock took the skin";
    WriteMessageLook(&look);
    EXPECT_EQ(WholeFileText(Path("vantelmsg.ini")),
              "[Appearance]\r\nFontFaceName=Georgia\r\nBackgroundBMP=" + Path("skins\\Note_m.bmp") +
                  "\r\nUseTransparency=1\r\nTransparentColor=00FF00\r\nTextArea=1,2,3,4\r\nFontHeight=-22\r\n"
                  "FontColor=102030\r\nFontWeight=700\r\nFontItalic=1\r\nFontCharSet=\r\n");

    DeleteFileA(Path("vantelmsg.ini").c_str());
    WriteDefaultMessageAppearance();
    EXPECT_EQ(WholeFileText(Path("vantelmsg.ini")),
              "[Appearance]\r\nBackgroundBMP=\r\nUseTransparency=0\r\nTransparentColor=FF00FF\r\n"
              "TextArea=15,12,410,132\r\nFontFaceName=Arial\r\nFontHeight=-19\r\nFontColor=AAFFBB\r\n"
              "FontWeight=400\r\nFontItalic=0\r\nFontCharSet=0\r\n");

    // A file another program holds takes nothing, and that is told.
    HANDLE held = CreateFileA(Path("vantelmsg.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WriteMessageLook(&look), 0);
    CloseHandle(held);
}

TEST_F(SkinFileTest, ASavedSkinHoldsItsKeysInOrderAndCopiesOfItsBitmaps) {
    Write("art_b.bmp", "background");
    Write("art_d.bmp", "digits");
    Write("note.bmp", "message");
    Write("vantelmsg.ini",
          "[Appearance]\r\nBackgroundBMP=\\note.bmp\r\nUseTransparency=1\r\nTextArea=5,6,7,8\r\n"
          "FontFaceName=Verdana\r\n");
    lstrcpyA(g_appearance.backgroundBmp, Path("art_b.bmp").c_str());
    lstrcpyA(g_appearance.digitsBmp, Path("art_d.bmp").c_str());
    g_appearance.transparentColor = RGB(1, 2, 3);
    g_appearance.firstDigit = 8;
    g_appearance.lastDigit = 11;
    for (int i = 0; i < DIGIT_SLOTS; i++)
        g_appearance.slots[i] = {i * 10, -i, 0, 0};
    RemoveDirectoryA(Path("skins").c_str()); // made when it is missing
    std::vector<std::string> boxes;
    ASSERT_EQ(WriteSkin("Night/Day", "Night_Day", 1, &boxes), 1);
    EXPECT_TRUE(boxes.empty());

    std::string expected = "[VANTEL]\r\nSkinName=Night/Day\r\nBackgroundBMP=\\skins\\Night_Day_b.bmp\r\n"
                           "DigitsBMP=\\skins\\Night_Day_d.bmp\r\nTransparentColor=030201\r\nFirstDigit=8\r\n"
                           "LastDigit=11\r\n";
    for (int n = 1; n <= 12; n++)
        expected += "Digit" + std::to_string(n) + "=" + std::to_string((n - 1) * 10) + "," +
                    std::to_string(1 - n) + "\r\n";
    expected +=
        "[VANTEL_MSG]\r\nUseSkinData=1\r\nBackgroundBMP=\\skins\\Night_Day_m.bmp\r\nUseTransparency=1\r\n"
        "TransparentColor=\r\nTextArea=5,6,7,8\r\nFontFaceName=Verdana\r\nFontHeight=\r\nFontColor=\r\n"
        "FontWeight=\r\nFontItalic=\r\nFontCharSet=\r\n";
    EXPECT_EQ(WholeFileText(Path("skins\\Night_Day.ini")), expected);
    EXPECT_EQ(WholeFileText(Path("skins\\Night_Day_b.bmp")), "background");
    EXPECT_EQ(WholeFileText(Path("skins\\Night_Day_d.bmp")), "digits");
    EXPECT_EQ(WholeFileText(Path("skins\\Night_Day_m.bmp")), "message");

    // Saved again while it is the loaded skin: nothing is copied onto itself.
    MessageLook look;
    ASSERT_EQ(Read("skins\\Night_Day.ini", &look, &boxes), 1);
    Write("skins\\Night_Day_b.bmp", "edited in place");
    ASSERT_EQ(WriteSkin("Night/Day", "Night_Day", 0, &boxes), 1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(WholeFileText(Path("skins\\Night_Day_b.bmp")), "edited in place");
    EXPECT_NE(WholeFileText(Path("skins\\Night_Day.ini")).find("[VANTEL_MSG]\r\nUseSkinData=0\r\n"),
              std::string::npos);
}

TEST_F(SkinFileTest, ASaveThatCannotWriteSaysSoInsteadOfSucceeding) {
    Write("art_b.bmp", "background");
    Write("art_d.bmp", "digits");
    lstrcpyA(g_appearance.backgroundBmp, Path("art_b.bmp").c_str());
    lstrcpyA(g_appearance.digitsBmp, Path("art_d.bmp").c_str());
    std::vector<std::string> boxes;

    // A copy that fails: its source went away after the dialog's checks.
    lstrcpyA(g_appearance.digitsBmp, Path("gone_d.bmp").c_str());
    EXPECT_EQ(WriteSkin("Blue", "Blue", 0, &boxes), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0],
              "Cannot copy \"" + Path("gone_d.bmp") + "\" to \"" + Path("skins\\Blue_d.bmp") + "\"." + kWarn);
    EXPECT_EQ(GetFileAttributesA(Path("skins\\Blue.ini").c_str()), INVALID_FILE_ATTRIBUTES);
    lstrcpyA(g_appearance.digitsBmp, Path("art_d.bmp").c_str());

    // Saved over a skin whose file another program holds: every old file stays as it
    // was, pictures included, and nothing of the save is left behind.
    Write("skins\\Blue.ini", "[VANTEL]\r\nSkinName=Blue\r\n");
    Write("skins\\Blue_b.bmp", "old background");
    Write("skins\\Blue_d.bmp", "old digits");
    HANDLE held = CreateFileA(Path("skins\\Blue.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WriteSkin("Blue", "Blue", 0, &boxes), 0);
    CloseHandle(held);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Cannot write the skin file \"" + Path("skins\\Blue.ini") + "\"." + kWarn);
    EXPECT_EQ(WholeFileText(Path("skins\\Blue.ini")), "[VANTEL]\r\nSkinName=Blue\r\n");
    EXPECT_EQ(WholeFileText(Path("skins\\Blue_b.bmp")), "old background");
    EXPECT_EQ(WholeFileText(Path("skins\\Blue_d.bmp")), "old digits");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Path("skins\\*.*").c_str(), &found);
    int files = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do
            files += !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    EXPECT_EQ(files, 3);

    // A skins folder that cannot be made: a file holds its name.
    RemoveTree(Path("skins"));
    Write("skins", "not a folder");
    EXPECT_EQ(WriteSkin("Blue", "Blue", 0, &boxes), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Cannot create the folder \"" + Path("skins") + "\"." + kWarn);
}

TEST_F(SkinFileTest, ANameIsFoundInTheFileOfItsOwnStemFirstThenInListingOrder) {
    char path[SKIN_PATH_SIZE];
    EXPECT_EQ(FindSkinFile("Blue", path), SKIN_NO_FILES);
    Write("skins\\a.ini", "[VANTEL]\r\nSkinName=Blue\r\n");
    Write("skins\\b.ini", "[VANTEL]\r\nBackgroundBMP=x\r\n");
    Write("skins\\c.ini", "[VANTEL]\r\nSkinName=Red\r\n");
    Write("skins\\d.ini", "[VANTEL]\r\nSkinName=Red\r\n");
    ASSERT_TRUE(CreateDirectoryA(Path("skins\\folder.ini").c_str(), NULL));
    EXPECT_EQ(FindSkinFile("Green", path), SKIN_NOT_FOUND);
    ASSERT_EQ(FindSkinFile("Red", path), SKIN_FOUND);
    std::string first = path;
    EXPECT_TRUE(first == Path("skins\\c.ini") || first == Path("skins\\d.ini")) << first;
    ASSERT_EQ(FindSkinFile("Blue", path), SKIN_FOUND);
    EXPECT_EQ(std::string(path), Path("skins\\a.ini"));

    // Saved as Blue while a.ini carries that name: Blue.ini is the one it loads.
    Write("skins\\Blue.ini", "[VANTEL]\r\nSkinName=Blue\r\n");
    ASSERT_EQ(FindSkinFile("Blue", path), SKIN_FOUND);
    EXPECT_EQ(std::string(path), Path("skins\\Blue.ini"));
    // A file of the stem that carries another name does not count.
    Write("skins\\Red.ini", "[VANTEL]\r\nSkinName=Crimson\r\n");
    ASSERT_EQ(FindSkinFile("Red", path), SKIN_FOUND);
    EXPECT_EQ(std::string(path), first);

    struct Listing {
        std::vector<std::string> names;
        static int Add(const char*, const char* name, void* context) {
            ((Listing*)context)->names.push_back(name);
            return 1;
        }
    } listing;
    EXPECT_EQ(VisitSkinFiles(Listing::Add, &listing), 6); // the folder is no skin file
    std::sort(listing.names.begin(), listing.names.end());
    EXPECT_EQ(listing.names, (std::vector<std::string>{"", "Blue", "Blue", "Crimson", "Red", "Red"}));
}
