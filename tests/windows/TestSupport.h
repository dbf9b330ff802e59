// Helpers of the Windows-side media tests: pictures with known pixels written as
// .bmp files, DirectDraw on a hidden window, raw surface reads, region
// comparisons, and a watcher for debugger text.
#ifndef VANTEL_TEST_SUPPORT_H
#define VANTEL_TEST_SUPPORT_H

#include "WinTestSupport.h"

#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

const COLORREF kMagenta = RGB(255, 0, 255);

// Whether the pixel at x, y is one to cut out of a window (transparent).
typedef std::function<bool(int, int)> CutTest;

// A picture as COLORREF pixels, row 0 at the top.
struct Picture {
    int width;
    int height;
    std::vector<COLORREF> pixels;

    Picture(int w, int h, COLORREF fill) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    COLORREF& at(int x, int y) {
        return pixels[size_t(y) * width + x];
    }
    COLORREF at(int x, int y) const {
        return pixels[size_t(y) * width + x];
    }
};

// Writes the picture as a bottom-up BMP of 24 bits per pixel, or of 8 with a
// palette of its distinct colours (at most 256).
bool WriteBitmapFile(const std::string& path, const Picture& picture, int bitsPerPixel);

typedef std::unique_ptr<IDirectDrawSurface3, ComRelease> SurfaceHolder;

// Raw pixels of a surface read through Lock: value of each pixel as a
// little-endian number of dwRGBBitCount / 8 bytes.
struct SurfacePixels {
    int width = 0;
    int height = 0;
    DDPIXELFORMAT format = {};
    std::vector<uint32_t> values;
    uint32_t at(int x, int y) const {
        return values[size_t(y) * width + x];
    }
};
bool ReadSurfacePixels(IDirectDrawSurface3* surface, SurfacePixels* out);

// Changes raw pixels in place: `edit` gets x, y and the pixel value and returns the
// new value.
bool EditSurfacePixels(IDirectDrawSurface3* surface, const std::function<uint32_t(int, int, uint32_t)>& edit);

// Colours of a surface's pixels as GDI reads them through the surface's DC.
bool ReadSurfaceColors(IDirectDrawSurface3* surface, Picture* out);

// Each test gets a DirectDraw object (cooperative level DDSCL_NORMAL on a hidden
// window) and a folder for its bitmap files; windows made by MakeWindow are
// destroyed after the test.
class DirectDrawTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A hidden popup window whose window rectangle is width x height.
    HWND MakeWindow(int width, int height);
    // Writes the picture to a file of the test folder and loads it onto a surface
    // with LoadBitmapSurface.
    SurfaceHolder LoadPicture(const Picture& picture, int bitsPerPixel, const char* name = "picture.bmp");

    IDirectDraw2* dd_ = NULL;
    HWND owner_ = NULL;
    std::vector<HWND> windows_;
    std::unique_ptr<TempFolder> folder_;
};

// Bits per pixel of the screen.
int ScreenBitsPerPixel();

// The window's region (a copy the caller deletes), or null when it has none.
HRGN CopyWindowRegion(HWND window);

// Region type of a XOR b: NULLREGION when both cover the same pixels.
int XorRegionType(HRGN a, HRGN b);

// The window rectangle 0, 0, width, height minus one CreateRectRgn per pixel for
// which `cut` holds, each taken away with CombineRgn RGN_DIFF.
HRGN PerPixelRegion(int width, int height, const CutTest& cut);

// Pixels of the width x height area where PtInRegion disagrees with "not cut",
// as "(x,y)" texts, at most `limit` of them.
std::vector<std::string> RegionMismatches(HRGN region, int width, int height, const CutTest& cut,
                                          size_t limit = 10);

// Collects the texts passed to OutputDebugStringA while it lives.
class DebugTextCapture {
  public:
    DebugTextCapture();
    ~DebugTextCapture();
    std::vector<std::string> lines() const;

  private:
    void* handler_;
};

#endif
