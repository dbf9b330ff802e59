#include "TestSupport.h"

#include "Surface.h"

#include <cstring>
#include <map>

bool WriteBitmapFile(const std::string& path, const Picture& picture, int bitsPerPixel) {
    if (bitsPerPixel != 8 && bitsPerPixel != 24)
        return false;
    std::vector<COLORREF> palette;
    std::map<COLORREF, int> indexOf;
    if (bitsPerPixel == 8) {
        for (COLORREF c : picture.pixels)
            if (indexOf.emplace(c, int(palette.size())).second)
                palette.push_back(c);
        if (palette.size() > 256)
            return false;
    }
    const uint32_t stride = ((picture.width * bitsPerPixel / 8) + 3) & ~3u;
    const uint32_t paletteBytes = bitsPerPixel == 8 ? 256 * 4 : 0;
    const uint32_t offset = 14 + 40 + paletteBytes;
    const uint32_t imageBytes = stride * picture.height;

    Bytes file;
    file.push_back('B');
    file.push_back('M');
    PutLE(file, offset + imageBytes, 4);
    PutLE(file, 0, 4);
    PutLE(file, offset, 4);
    PutLE(file, 40, 4);
    PutLE(file, picture.width, 4);
    PutLE(file, picture.height, 4); // positive: bottom-up
    PutLE(file, 1, 2);
    PutLE(file, bitsPerPixel, 2);
    PutLE(file, BI_RGB, 4);
    PutLE(file, imageBytes, 4);
    PutLE(file, 2835, 4);
    PutLE(file, 2835, 4);
    PutLE(file, bitsPerPixel == 8 ? 256 : 0, 4);
    PutLE(file, 0, 4);
    if (bitsPerPixel == 8) {
        for (int i = 0; i < 256; i++) {
            COLORREF c = i < int(palette.size()) ? palette[i] : 0;
            file.push_back(GetBValue(c));
            file.push_back(GetGValue(c));
            file.push_back(GetRValue(c));
            file.push_back(0);
        }
    }
    for (int y = picture.height - 1; y >= 0; y--) {
        size_t start = file.size();
        for (int x = 0; x < picture.width; x++) {
            COLORREF c = picture.at(x, y);
            if (bitsPerPixel == 8) {
                file.push_back(uint8_t(indexOf[c]));
            } else {
                file.push_back(GetBValue(c));
                file.push_back(GetGValue(c));
                file.push_back(GetRValue(c));
            }
        }
        file.resize(start + stride, 0);
    }
    return WriteWholeFile(path, file);
}

bool ReadSurfacePixels(IDirectDrawSurface3* surface, SurfacePixels* out) {
    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    if (surface->Lock(NULL, &desc, DDLOCK_WAIT | DDLOCK_READONLY, NULL) != DD_OK)
        return false;
    out->width = int(desc.dwWidth);
    out->height = int(desc.dwHeight);
    out->format = desc.ddpfPixelFormat;
    out->values.assign(size_t(out->width) * out->height, 0);
    const int bytes = int(desc.ddpfPixelFormat.dwRGBBitCount / 8);
    for (int y = 0; y < out->height; y++) {
        const uint8_t* row = static_cast<const uint8_t*>(desc.lpSurface) + long(y) * desc.lPitch;
        for (int x = 0; x < out->width; x++) {
            uint32_t value = 0;
            std::memcpy(&value, row + x * bytes, bytes);
            out->values[size_t(y) * out->width + x] = value;
        }
    }
    surface->Unlock(NULL);
    return true;
}

bool EditSurfacePixels(IDirectDrawSurface3* surface,
                       const std::function<uint32_t(int, int, uint32_t)>& edit) {
    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    if (surface->Lock(NULL, &desc, DDLOCK_WAIT, NULL) != DD_OK)
        return false;
    const int bytes = int(desc.ddpfPixelFormat.dwRGBBitCount / 8);
    for (int y = 0; y < int(desc.dwHeight); y++) {
        uint8_t* row = static_cast<uint8_t*>(desc.lpSurface) + long(y) * desc.lPitch;
        for (int x = 0; x < int(desc.dwWidth); x++) {
            uint32_t value = 0;
            std::memcpy(&value, row + x * bytes, bytes);
            value = edit(x, y, value);
            std::memcpy(row + x * bytes, &value, bytes);
        }
    }
    surface->Unlock(NULL);
    return true;
}

bool ReadSurfaceColors(IDirectDrawSurface3* surface, Picture* out) {
    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
    if (surface->GetSurfaceDesc(&desc) != DD_OK)
        return false;
    HDC dc;
    if (surface->GetDC(&dc) != DD_OK)
        return false;
    *out = Picture(int(desc.dwWidth), int(desc.dwHeight), 0);
    for (int y = 0; y < out->height; y++)
        for (int x = 0; x < out->width; x++)
            out->at(x, y) = GetPixel(dc, x, y);
    surface->ReleaseDC(dc);
    return true;
}

void DirectDrawTest::SetUp() {
    owner_ = MakeWindow(64, 64);
    ASSERT_TRUE(owner_);

    IDirectDraw* first = NULL;
    ASSERT_EQ(DirectDrawCreate(NULL, &first, NULL), DD_OK);
    HRESULT hr = first->QueryInterface(IID_IDirectDraw2, (void**)&dd_);
    first->Release();
    ASSERT_EQ(hr, S_OK);
    ASSERT_EQ(dd_->SetCooperativeLevel(owner_, DDSCL_NORMAL), DD_OK);
    folder_.reset(new TempFolder("media"));
    ASSERT_TRUE(folder_->created()) << folder_->path();
}

void DirectDrawTest::TearDown() {
    if (dd_)
        dd_->Release();
    dd_ = NULL;
    for (HWND window : windows_)
        DestroyWindow(window);
    windows_.clear();
    folder_.reset();
}

HWND DirectDrawTest::MakeWindow(int width, int height) {
    HWND window = MakeHiddenWindow(0, 0, width, height);
    if (window) {
        windows_.push_back(window);
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_EQ(rect.right - rect.left, width);
        EXPECT_EQ(rect.bottom - rect.top, height);
    }
    return window;
}

SurfaceHolder DirectDrawTest::LoadPicture(const Picture& picture, int bitsPerPixel, const char* name) {
    std::string path = folder_->Path(name);
    EXPECT_TRUE(WriteBitmapFile(path, picture, bitsPerPixel)) << path;
    SurfaceHolder surface(LoadBitmapSurface(dd_, path.c_str(), 0, 0));
    EXPECT_TRUE(surface) << path;
    return surface;
}

int ScreenBitsPerPixel() {
    HDC screen = GetDC(NULL);
    int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(NULL, screen);
    return bits;
}

HRGN CopyWindowRegion(HWND window) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(window, region) == ERROR) {
        DeleteObject(region);
        return NULL;
    }
    return region;
}

int XorRegionType(HRGN a, HRGN b) {
    HRGN difference = CreateRectRgn(0, 0, 0, 0);
    int type = CombineRgn(difference, a, b, RGN_XOR);
    DeleteObject(difference);
    return type;
}

HRGN PerPixelRegion(int width, int height, const CutTest& cut) {
    HRGN region = CreateRectRgn(0, 0, width, height);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            if (cut(x, y)) {
                HRGN pixel = CreateRectRgn(x, y, x + 1, y + 1);
                CombineRgn(region, region, pixel, RGN_DIFF);
                DeleteObject(pixel);
            }
    return region;
}

std::vector<std::string> RegionMismatches(HRGN region, int width, int height, const CutTest& cut,
                                          size_t limit) {
    std::vector<std::string> found;
    RECT box;
    if (GetRgnBox(region, &box) != NULLREGION &&
        (box.left < 0 || box.top < 0 || box.right > width || box.bottom > height))
        found.push_back("region reaches outside the window");
    for (int y = 0; y < height && found.size() < limit; y++)
        for (int x = 0; x < width && found.size() < limit; x++)
            if (bool(PtInRegion(region, x, y)) == cut(x, y))
                found.push_back("(" + std::to_string(x) + "," + std::to_string(y) + ")");
    return found;
}

namespace {

CRITICAL_SECTION g_debugLock;
std::vector<std::string> g_debugLines;

LONG CALLBACK NoteDebugText(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    // OutputDebugStringA raises this exception for a debugger; with none attached
    // it carries on to its own handler.
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2) {
        size_t length = size_t(record->ExceptionInformation[0]);
        const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        EnterCriticalSection(&g_debugLock);
        g_debugLines.push_back(std::string(text, length ? length - 1 : 0));
        LeaveCriticalSection(&g_debugLock);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

DebugTextCapture::DebugTextCapture() {
    static bool ready = false;
    if (!ready)
        InitializeCriticalSection(&g_debugLock);
    ready = true;
    g_debugLines.clear();
    handler_ = AddVectoredExceptionHandler(1, NoteDebugText);
}

DebugTextCapture::~DebugTextCapture() {
    RemoveVectoredExceptionHandler(handler_);
}

std::vector<std::string> DebugTextCapture::lines() const {
    EnterCriticalSection(&g_debugLock);
    std::vector<std::string> copy = g_debugLines;
    LeaveCriticalSection(&g_debugLock);
    return copy;
}
