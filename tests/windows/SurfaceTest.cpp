// Bitmaps onto DirectDraw surfaces and colour matching, on the real DirectDraw of
// a true-colour display.
#include "ProbeResources.h"
#include "Surface.h"
#include "TestSupport.h"

#include <algorithm>

namespace {

// The picture make_probe_bitmap.py writes into the test resources.
Picture ProbePicture() {
    const COLORREF colors[3] = {RGB(16, 28, 24), RGB(187, 255, 170), RGB(255, 176, 64)};
    Picture picture(24, 16, kMagenta);
    for (int y = 2; y < 14; y++)
        for (int x = 3; x < 21; x++)
            if (!(x >= 11 && x <= 12 && y >= 7 && y <= 8))
                picture.at(x, y) = colors[((x / 3) + (y / 4)) % 3];
    return picture;
}

// A picture whose every pixel differs from its neighbours, top-left not magenta.
Picture Gradient(int width, int height) {
    Picture picture(width, height, 0);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            picture.at(x, y) = RGB(x * 255 / width, y * 255 / height, (x * 7 + y * 13) & 0xFF);
    return picture;
}

class BitmapSurface : public DirectDrawTest {
  protected:
    void SetUp() override {
        DirectDrawTest::SetUp();
        // Exact colour comparisons need a display of 24 bits or more.
        ASSERT_GE(ScreenBitsPerPixel(), 24);
    }

    // Checks size and colours of the surface against the picture.
    void ExpectShows(IDirectDrawSurface3* surface, const Picture& expected) {
        Picture shown(0, 0, 0);
        ASSERT_TRUE(ReadSurfaceColors(surface, &shown));
        ASSERT_EQ(shown.width, expected.width);
        ASSERT_EQ(shown.height, expected.height);
        int wrong = 0;
        for (int y = 0; y < expected.height; y++)
            for (int x = 0; x < expected.width; x++)
                if (shown.at(x, y) != expected.at(x, y) && ++wrong <= 5)
                    ADD_FAILURE() << "pixel (" << x << "," << y << ") is " << std::hex << shown.at(x, y)
                                  << ", expected " << expected.at(x, y);
        EXPECT_EQ(wrong, 0);
    }
};

TEST_F(BitmapSurface, LoadsTheModulesBitmapByNumberAndByName) {
    const LPCSTR names[] = {MAKEINTRESOURCEA(IDB_PROBE), PROBE_NAME};
    for (LPCSTR name : names) {
        SurfaceHolder surface(LoadBitmapSurface(dd_, name, 0, 0));
        ASSERT_TRUE(surface);
        ExpectShows(surface.get(), ProbePicture());
    }
}

TEST_F(BitmapSurface, ResourceNameWinsOverFileOfTheSameName) {
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof(previous), previous);
    ASSERT_TRUE(WriteBitmapFile(folder_->Path(PROBE_NAME), Picture(10, 10, RGB(0, 0, 255)), 24));
    ASSERT_TRUE(WriteBitmapFile(folder_->Path("plain.bmp"), Picture(10, 10, RGB(0, 0, 255)), 24));
    ASSERT_TRUE(SetCurrentDirectoryA(folder_->path().c_str()));
    SurfaceHolder resource(LoadBitmapSurface(dd_, PROBE_NAME, 0, 0));
    SurfaceHolder file(LoadBitmapSurface(dd_, "plain.bmp", 0, 0)); // relative file name
    SetCurrentDirectoryA(previous);
    ASSERT_TRUE(resource);
    ExpectShows(resource.get(), ProbePicture());
    ASSERT_TRUE(file);
    ExpectShows(file.get(), Picture(10, 10, RGB(0, 0, 255)));
}

TEST_F(BitmapSurface, LoadsFilesOfEightAndTwentyFourBits) {
    Picture palette = ProbePicture();
    SurfaceHolder eight = LoadPicture(palette, 8, "eight.bmp");
    ASSERT_TRUE(eight);
    ExpectShows(eight.get(), palette);

    Picture gradient = Gradient(37, 21); // odd width: rows padded in the file
    SurfaceHolder full = LoadPicture(gradient, 24, "full.bmp");
    ASSERT_TRUE(full);
    ExpectShows(full.get(), gradient);
}

TEST_F(BitmapSurface, MissingFileGivesNoSurface) {
    EXPECT_EQ(LoadBitmapSurface(dd_, folder_->Path("missing.bmp").c_str(), 0, 0), nullptr);
    EXPECT_EQ(LoadBitmapSurface(dd_, "no-such-resource-or-file", 0, 0), nullptr);
    // A number that names no resource is not a file name either.
    EXPECT_EQ(LoadBitmapSurface(dd_, MAKEINTRESOURCEA(IDB_PROBE + 1), 0, 0), nullptr);
    EXPECT_EQ(ReloadBitmap(NULL, MAKEINTRESOURCEA(IDB_PROBE + 1)), E_FAIL);
}

TEST_F(BitmapSurface, ReloadWithMissingFileFailsAndLeavesSurface) {
    SurfaceHolder surface = LoadPicture(Gradient(20, 10), 24);
    ASSERT_TRUE(surface);
    SurfacePixels before, after;
    ASSERT_TRUE(ReadSurfacePixels(surface.get(), &before));
    DebugTextCapture debug;
    EXPECT_EQ(ReloadBitmap(surface.get(), folder_->Path("missing.bmp").c_str()), E_FAIL);
    EXPECT_EQ(debug.lines(), std::vector<std::string>{"handle is null\n"});
    ASSERT_TRUE(ReadSurfacePixels(surface.get(), &after));
    EXPECT_EQ(before.values, after.values);
}

TEST_F(BitmapSurface, ReloadCopiesTheFileIntoTheSurface) {
    SurfaceHolder surface = LoadPicture(Picture(20, 10, RGB(0, 128, 0)), 24, "green.bmp");
    ASSERT_TRUE(surface);
    Picture next = Gradient(20, 10);
    ASSERT_TRUE(WriteBitmapFile(folder_->Path("next.bmp"), next, 24));
    DebugTextCapture debug;
    EXPECT_EQ(ReloadBitmap(surface.get(), folder_->Path("next.bmp").c_str()), S_OK);
    EXPECT_TRUE(debug.lines().empty());
    ExpectShows(surface.get(), next);
}

TEST_F(BitmapSurface, CopyWithoutBitmapOrSurfaceFailsAndTouchesNothing) {
    SurfaceHolder surface = LoadPicture(Gradient(20, 10), 24);
    ASSERT_TRUE(surface);
    SurfacePixels before, after;
    ASSERT_TRUE(ReadSurfacePixels(surface.get(), &before));
    EXPECT_EQ(CopyBitmapToSurface(surface.get(), NULL, 0, 0, 0, 0), E_FAIL);
    ASSERT_TRUE(ReadSurfacePixels(surface.get(), &after));
    EXPECT_EQ(before.values, after.values);

    HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, NULL);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(CopyBitmapToSurface(NULL, bitmap, 0, 0, 0, 0), E_FAIL);
    DeleteObject(bitmap);
}

TEST_F(BitmapSurface, CopyStretchesTheSourceRectangleOverTheWholeSurface) {
    // Source 40 x 10: columns 10 to 29 hold four bands of five columns, the rest
    // colours that must not show. x 10, width 20, height 0 (to the bottom) doubles
    // the bands to ten columns each.
    const COLORREF bands[4] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200), RGB(200, 200, 0)};
    Picture source(40, 10, RGB(255, 255, 255));
    for (int y = 0; y < 10; y++)
        for (int x = 10; x < 30; x++)
            source.at(x, y) = bands[(x - 10) / 5];
    SurfaceHolder surface = LoadPicture(Picture(40, 10, RGB(0, 0, 0)), 24);
    ASSERT_TRUE(surface);
    ASSERT_TRUE(WriteBitmapFile(folder_->Path("bands.bmp"), source, 24));
    HBITMAP bitmap = (HBITMAP)LoadImageA(NULL, folder_->Path("bands.bmp").c_str(), IMAGE_BITMAP, 0, 0,
                                         LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(CopyBitmapToSurface(surface.get(), bitmap, 10, 0, 20, 0), S_OK);
    DeleteObject(bitmap);

    Picture expected(40, 10, 0);
    for (int y = 0; y < 10; y++)
        for (int x = 0; x < 40; x++)
            expected.at(x, y) = bands[x / 10];
    ExpectShows(surface.get(), expected);
}

TEST_F(BitmapSurface, MatchGivesTheRawValueTheBitmapsPixelsGot) {
    // One pixel of each colour, away from the top-left pixel that the match borrows.
    const COLORREF colors[] = {kMagenta,           RGB(255, 0, 0),     RGB(0, 255, 0),
                               RGB(0, 0, 255),     RGB(255, 255, 255), RGB(0, 0, 0),
                               RGB(128, 128, 128), RGB(1, 2, 3),       RGB(187, 255, 170)};
    const int count = int(sizeof(colors) / sizeof(colors[0]));
    Picture picture(count + 1, 2, RGB(40, 50, 60));
    for (int i = 0; i < count; i++)
        picture.at(i + 1, 1) = colors[i];
    SurfaceHolder surface = LoadPicture(picture, 24);
    ASSERT_TRUE(surface);

    SurfacePixels before, after;
    ASSERT_TRUE(ReadSurfacePixels(surface.get(), &before));
    ASSERT_EQ(before.format.dwRGBBitCount, 32u);
    for (int i = 0; i < count; i++) {
        DWORD value = MatchSurfaceColor(surface.get(), colors[i]);
        // On 32 bits the value is the whole word, fourth byte included.
        EXPECT_EQ(value, before.at(i + 1, 1)) << "colour " << std::hex << colors[i];
    }
    EXPECT_EQ(MatchSurfaceColor(surface.get(), kMagenta),
              before.format.dwRBitMask | before.format.dwBBitMask);
    ASSERT_TRUE(ReadSurfacePixels(surface.get(), &after));
    EXPECT_EQ(before.values, after.values) << "the top-left pixel must be put back";
}

TEST_F(BitmapSurface, MatchOfNoColourGivesTheRawTopLeftPixel) {
    SurfaceHolder surface = LoadPicture(Gradient(8, 8), 24);
    ASSERT_TRUE(surface);
    ASSERT_TRUE(EditSurfacePixels(surface.get(), [](int x, int y, uint32_t value) {
        return x == 0 && y == 0 ? 0xA5123456u : value; // fourth byte that GDI would not write
    }));
    EXPECT_EQ(MatchSurfaceColor(surface.get(), CLR_INVALID), 0xA5123456u);
    SurfacePixels after;
    ASSERT_TRUE(ReadSurfacePixels(surface.get(), &after));
    EXPECT_EQ(after.at(0, 0), 0xA5123456u);
}

TEST_F(BitmapSurface, MatchOnALockedSurfaceGivesNoValue) {
    SurfaceHolder surface = LoadPicture(Gradient(8, 8), 24);
    ASSERT_TRUE(surface);
    SurfacePixels before, after;
    ASSERT_TRUE(ReadSurfacePixels(surface.get(), &before));
    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->Lock(NULL, &desc, DDLOCK_WAIT, NULL), DD_OK);
    EXPECT_EQ(MatchSurfaceColor(surface.get(), kMagenta), CLR_INVALID);
    EXPECT_EQ(MatchSurfaceColor(surface.get(), CLR_INVALID), CLR_INVALID);
    surface->Unlock(NULL);
    ASSERT_TRUE(ReadSurfacePixels(surface.get(), &after));
    EXPECT_EQ(before.values, after.values);
}

TEST_F(BitmapSurface, ColorKeyIsTheMatchedValue) {
    Picture picture = Gradient(8, 8);
    picture.at(3, 3) = kMagenta;
    SurfaceHolder surface = LoadPicture(picture, 24);
    ASSERT_TRUE(surface);
    EXPECT_EQ(SetSurfaceColorKey(surface.get(), kMagenta), DD_OK);
    DDCOLORKEY key = {};
    ASSERT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    SurfacePixels pixels;
    ASSERT_TRUE(ReadSurfacePixels(surface.get(), &pixels));
    EXPECT_EQ(key.dwColorSpaceLowValue, pixels.at(3, 3));
    EXPECT_EQ(key.dwColorSpaceHighValue, pixels.at(3, 3));
    EXPECT_EQ(SetSurfaceColorKey(NULL, kMagenta), E_FAIL);
}

} // namespace
