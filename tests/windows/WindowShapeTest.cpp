// The window region cut from a background surface's transparent colour, on real
// windows and DirectDraw surfaces of a true-colour display.
#include "Surface.h"
#include "TestSupport.h"
#include "WindowShape.h"

#include <cstdlib>

namespace {

struct Pattern {
    const char* name;
    int width;
    int height;
    CutTest cut;
};

// Opaque pixels in colours that vary but never meet magenta.
Picture PictureOf(int width, int height, const CutTest& cut) {
    Picture picture(width, height, 0);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            picture.at(x, y) = cut(x, y) ? kMagenta : RGB((x * 5) & 0xFF, 40, (y * 9) & 0xFF);
    return picture;
}

bool InCircle(int x, int y, int cx, int cy, int r) {
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

// A clock-like background: a rounded outline, a round hole, a slot and a single
// pixel hole.
bool ClockShapeCut(int x, int y, int width, int height) {
    const int r = 14;
    int cx = x < r ? r : (x >= width - r ? width - r - 1 : x);
    int cy = y < r ? r : (y >= height - r ? height - r - 1 : y);
    if (!InCircle(x, y, cx, cy, r))
        return true;
    if (InCircle(x, y, 30, height / 2, 6))
        return true;
    if (x >= 50 && x < 90 && y >= 30 && y < 34)
        return true;
    return x == 120 && y == 50;
}

std::vector<Pattern> Patterns() {
    std::vector<Pattern> patterns;
    patterns.push_back({"checkerboard", 33, 21, [](int x, int y) { return (x + y) % 2 == 0; }});
    patterns.push_back({"rings and holes", 41, 41, [](int x, int y) {
                            int d2 = (x - 20) * (x - 20) + (y - 20) * (y - 20);
                            return (d2 / 36) % 2 == 1 || (x % 10 == 3 && y % 10 == 3);
                        }});
    patterns.push_back({"edges and corners", 29, 17, [](int x, int y) {
                            bool xEdge = x == 0 || x == 28, yEdge = y == 0 || y == 16;
                            return (xEdge && yEdge) || (x == 14 && yEdge) || (y == 8 && xEdge);
                        }});
    patterns.push_back({"whole rows and columns", 30, 20, [](int x, int y) {
                            return y == 0 || y == 7 || y == 19 || x == 0 || x == 11 || x == 29;
                        }});
    patterns.push_back({"all but one pixel", 25, 15, [](int x, int y) { return !(x == 12 && y == 9); }});
    patterns.push_back({"every pixel", 12, 7, [](int, int) { return true; }});
    patterns.push_back({"scattered", 64, 48, [](int x, int y) {
                            unsigned h = unsigned(x) * 73856093u ^ unsigned(y) * 19349663u;
                            return (h >> 7) % 3 == 0;
                        }});
    patterns.push_back({"clock outline", 216, 71, [](int x, int y) { return ClockShapeCut(x, y, 216, 71); }});
    return patterns;
}

class WindowShape : public DirectDrawTest {
  protected:
    void SetUp() override {
        DirectDrawTest::SetUp();
        ASSERT_GE(ScreenBitsPerPixel(), 24);
    }
};

TEST_F(WindowShape, RegionLeavesOutExactlyTheTransparentPixels) {
    const int width = 216, height = 71;
    CutTest cut = [](int x, int y) { return ClockShapeCut(x, y, width, height); };
    Picture picture = PictureOf(width, height, cut);
    for (int bits : {8, 24}) {
        SCOPED_TRACE(bits);
        // Eight bits cannot hold the varied colours: use a few.
        Picture file = picture;
        if (bits == 8)
            for (COLORREF& c : file.pixels)
                if (c != kMagenta)
                    c = RGB(16, 28, (c >> 16) & 0xC0);
        SurfaceHolder surface = LoadPicture(file, bits);
        ASSERT_TRUE(surface);
        HWND window = MakeWindow(width, height);
        ASSERT_TRUE(window);
        EXPECT_EQ(BuildWindowRegion(window, surface.get(), kMagenta, SHAPE_CLOCK), 1);
        ApplyWindowRegion(window, surface.get(), kMagenta, SHAPE_CLOCK);
        HRGN region = CopyWindowRegion(window);
        ASSERT_TRUE(region) << "the window has no region";
        EXPECT_EQ(RegionMismatches(region, width, height, cut), std::vector<std::string>());
        DeleteObject(region);
    }
}

TEST_F(WindowShape, BackgroundWithoutTransparentColourGivesNoRegion) {
    const int width = 40, height = 30;
    CutTest hole = [](int x, int y) { return x >= 10 && x < 20 && y >= 5 && y < 9; };
    SurfaceHolder shaped = LoadPicture(PictureOf(width, height, hole), 24, "shaped.bmp");
    SurfaceHolder plain =
        LoadPicture(PictureOf(width, height, [](int, int) { return false; }), 24, "plain.bmp");
    ASSERT_TRUE(shaped && plain);
    HWND window = MakeWindow(width, height);
    ASSERT_TRUE(window);

    ApplyWindowRegion(window, shaped.get(), kMagenta, SHAPE_CLOCK);
    HRGN region = CopyWindowRegion(window);
    ASSERT_TRUE(region);
    DeleteObject(region);

    for (int variant : {SHAPE_CLOCK, SHAPE_MESSAGE}) {
        SCOPED_TRACE(variant);
        EXPECT_EQ(BuildWindowRegion(window, plain.get(), kMagenta, variant), 0);
        // A rectangular background also takes away the region set before.
        ApplyWindowRegion(window, shaped.get(), kMagenta, variant);
        ApplyWindowRegion(window, plain.get(), kMagenta, variant);
        region = CopyWindowRegion(window);
        EXPECT_EQ(region, nullptr);
        if (region)
            DeleteObject(region);
    }
}

TEST_F(WindowShape, SameRegionAsOneDifferencePerPixel) {
    for (const Pattern& pattern : Patterns()) {
        SurfaceHolder surface = LoadPicture(PictureOf(pattern.width, pattern.height, pattern.cut), 24);
        ASSERT_TRUE(surface);
        HRGN expected = PerPixelRegion(pattern.width, pattern.height, pattern.cut);
        for (int variant : {SHAPE_CLOCK, SHAPE_MESSAGE}) {
            SCOPED_TRACE(std::string(pattern.name) + (variant == SHAPE_CLOCK ? ", clock" : ", message"));
            HWND window = MakeWindow(pattern.width, pattern.height);
            ASSERT_TRUE(window);
            ApplyWindowRegion(window, surface.get(), kMagenta, variant);
            HRGN region = CopyWindowRegion(window);
            ASSERT_TRUE(region) << "the window has no region";
            EXPECT_EQ(XorRegionType(region, expected), NULLREGION);
            EXPECT_EQ(RegionMismatches(region, pattern.width, pattern.height, pattern.cut),
                      std::vector<std::string>());
            DeleteObject(region);
        }
        DeleteObject(expected);
    }
}

TEST_F(WindowShape, BuildLeavesTheBackgroundAsItWas) {
    Picture picture = PictureOf(30, 20, [](int x, int y) { return (x * y) % 7 == 1; });
    picture.at(0, 0) = RGB(12, 34, 56); // the pixel MatchSurfaceColor borrows
    SurfaceHolder surface = LoadPicture(picture, 24);
    ASSERT_TRUE(surface);
    HWND window = MakeWindow(30, 20);
    SurfacePixels before, after;
    ASSERT_TRUE(ReadSurfacePixels(surface.get(), &before));
    EXPECT_EQ(BuildWindowRegion(window, surface.get(), kMagenta, SHAPE_CLOCK), 1);
    ASSERT_TRUE(ReadSurfacePixels(surface.get(), &after));
    EXPECT_EQ(before.values, after.values);
}

TEST_F(WindowShape, ClockIgnoresTheFourthByteMessageProgramDoesNot) {
    const int width = 20, height = 10;
    CutTest magenta = [](int x, int y) { return y >= 3 && y < 7 && x >= 4; };
    SurfaceHolder surface = LoadPicture(PictureOf(width, height, magenta), 24);
    ASSERT_TRUE(surface);
    SurfacePixels pixels;
    ASSERT_TRUE(ReadSurfacePixels(surface.get(), &pixels));
    ASSERT_EQ(pixels.format.dwRGBBitCount, 32u);
    ASSERT_EQ(pixels.format.dwRBitMask | pixels.format.dwGBitMask | pixels.format.dwBBitMask, 0x00FFFFFFu);
    // Half of the magenta pixels get a fourth byte of their own.
    CutTest marked = [&](int x, int y) { return magenta(x, y) && x >= 12; };
    ASSERT_TRUE(EditSurfacePixels(surface.get(), [&](int x, int y, uint32_t value) {
        return marked(x, y) ? value | 0x5A000000u : value;
    }));

    HWND clock = MakeWindow(width, height);
    ApplyWindowRegion(clock, surface.get(), kMagenta, SHAPE_CLOCK);
    HRGN region = CopyWindowRegion(clock);
    ASSERT_TRUE(region);
    EXPECT_EQ(RegionMismatches(region, width, height, magenta), std::vector<std::string>());
    DeleteObject(region);

    HWND message = MakeWindow(width, height);
    ApplyWindowRegion(message, surface.get(), kMagenta, SHAPE_MESSAGE);
    region = CopyWindowRegion(message);
    ASSERT_TRUE(region);
    CutTest unmarked = [&](int x, int y) { return magenta(x, y) && !marked(x, y); };
    EXPECT_EQ(RegionMismatches(region, width, height, unmarked), std::vector<std::string>());
    DeleteObject(region);
}

TEST_F(WindowShape, UnlockableSurfaceGivesOneMessageAndNoRegion) {
    const int width = 20, height = 10;
    SurfaceHolder surface = LoadPicture(PictureOf(width, height, [](int x, int) { return x < 5; }), 24);
    ASSERT_TRUE(surface);
    HWND window = MakeWindow(width, height);
    ApplyWindowRegion(window, surface.get(), kMagenta, SHAPE_CLOCK);
    HRGN region = CopyWindowRegion(window);
    ASSERT_TRUE(region);
    DeleteObject(region);

    // Held locked here, the surface cannot be locked by the build.
    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->Lock(NULL, &desc, DDLOCK_WAIT, NULL), DD_OK);
    MessageBoxWatcher watcher("Vantel - Error");
    ApplyWindowRegion(window, surface.get(), kMagenta, SHAPE_CLOCK);
    std::vector<std::string> boxes = MarkedTexts(watcher.Stop());
    surface->Unlock(NULL);

    EXPECT_EQ(boxes, std::vector<std::string>{"Cannot create non-rectangular window.\n"
                                              "Surface not lockable. [warning icon]"});
    region = CopyWindowRegion(window);
    EXPECT_EQ(region, nullptr);
    if (region)
        DeleteObject(region);
}

} // namespace
