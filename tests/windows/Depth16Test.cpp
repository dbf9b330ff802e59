// Colour matching and window regions on a 16-bit display, where surfaces hold
// 16-bit pixels. Run on an X server of depth 16 (ctest label depth16); on any
// other display these cases are skipped.
#include "Surface.h"
#include "TestSupport.h"
#include "WindowShape.h"

namespace {

class Depth16 : public DirectDrawTest {
  protected:
    void SetUp() override {
        if (ScreenBitsPerPixel() != 16)
            GTEST_SKIP() << "the display has " << ScreenBitsPerPixel() << " bits per pixel, not 16";
        DirectDrawTest::SetUp();
    }
};

// An 8-bit bitmap like the clock's: magenta frame and hole, a few colours inside.
Picture FramedPicture(int width, int height) {
    const COLORREF colors[3] = {RGB(16, 28, 24), RGB(187, 255, 170), RGB(255, 176, 64)};
    Picture picture(width, height, kMagenta);
    for (int y = 2; y < height - 2; y++)
        for (int x = 3; x < width - 3; x++)
            picture.at(x, y) = colors[(x / 4 + y / 3) % 3];
    picture.at(width / 2, height / 2) = kMagenta;
    return picture;
}

bool FramedCut(int x, int y, int width, int height) {
    return x < 3 || x >= width - 3 || y < 2 || y >= height - 2 || (x == width / 2 && y == height / 2);
}

TEST_F(Depth16, MatchGivesTheSixteenBitValueOfTheBitmapsMagenta) {
    Picture picture = FramedPicture(24, 12);
    picture.at(0, 0) = RGB(255, 176, 64); // the borrowed pixel is not magenta
    SurfaceHolder surface = LoadPicture(picture, 8);
    ASSERT_TRUE(surface);
    SurfacePixels before, after;
    ASSERT_TRUE(ReadSurfacePixels(surface.get(), &before));
    ASSERT_EQ(before.format.dwRGBBitCount, 16u);

    DWORD value = MatchSurfaceColor(surface.get(), kMagenta);
    EXPECT_EQ(value, before.at(1, 0)); // a magenta pixel of the bitmap
    EXPECT_EQ(value, before.format.dwRBitMask | before.format.dwBBitMask);
    EXPECT_LE(value, 0xFFFFu) << "masked to 16 bits";
    EXPECT_EQ(MatchSurfaceColor(surface.get(), CLR_INVALID), before.at(0, 0));
    ASSERT_TRUE(ReadSurfacePixels(surface.get(), &after));
    EXPECT_EQ(before.values, after.values);
}

TEST_F(Depth16, RegionLeavesOutExactlyTheTransparentPixels) {
    const int width = 216, height = 71;
    SurfaceHolder surface = LoadPicture(FramedPicture(width, height), 8);
    ASSERT_TRUE(surface);
    CutTest cut = [](int x, int y) { return FramedCut(x, y, width, height); };
    HRGN expected = PerPixelRegion(width, height, cut);
    for (int variant : {SHAPE_CLOCK, SHAPE_MESSAGE}) {
        SCOPED_TRACE(variant);
        HWND window = MakeWindow(width, height);
        ApplyWindowRegion(window, surface.get(), kMagenta, variant);
        HRGN region = CopyWindowRegion(window);
        ASSERT_TRUE(region);
        EXPECT_EQ(XorRegionType(region, expected), NULLREGION);
        EXPECT_EQ(RegionMismatches(region, width, height, cut), std::vector<std::string>());
        DeleteObject(region);
    }
    DeleteObject(expected);
}

} // namespace
