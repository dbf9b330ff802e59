// Times the window region of large shaped backgrounds: the per-pixel construction
// (one CreateRectRgn and one CombineRgn RGN_DIFF for every transparent pixel) against
// the program's BuildWindowRegion, which batches runs of pixels (CutKeyPixels), on a
// real DirectDraw surface. Checks that both give the same region and prints the times.
// Exit code 0 when every region matched.
#include "Surface.h"
#include "WindowShape.h"

#include <windows.h>
#include <ddraw.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);
const int kRepeats = 5;

double Now() {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return double(count.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool InCircle(int x, int y, int cx, int cy, int r) {
    return double(x - cx) * (x - cx) + double(y - cy) * (y - cy) <= double(r) * r;
}

// A skin-like outline: a rounded body inset from the edges with a notch in its top
// edge, round and slot-shaped holes, a ring, and a few stray pixels. About half
// the pixels are transparent.
bool Transparent(int x, int y, int width, int height) {
    const int left = width / 12, top = height / 12, right = width - width / 12, bottom = height - height / 12;
    const int r = std::min(width, height) / 6;
    if (x < left || x >= right || y < top || y >= bottom)
        return true;
    int cx = std::min(std::max(x, left + r), right - r - 1);
    int cy = std::min(std::max(y, top + r), bottom - r - 1);
    if (!InCircle(x, y, cx, cy, r))
        return true;
    if (x >= width * 2 / 5 && x < width * 3 / 5 && y < top + height / 10)
        return true; // notch
    if (InCircle(x, y, width / 4, height / 3, height / 6) ||
        InCircle(x, y, width * 3 / 4, height * 2 / 3, height / 5))
        return true;
    int d2 = (x - width / 2) * (x - width / 2) + (y - height / 2) * (y - height / 2);
    int ring = std::min(width, height) / 5;
    if (d2 >= ring * ring && d2 < (ring + ring / 3) * (ring + ring / 3))
        return true;
    if (y >= height * 3 / 4 && y < height * 3 / 4 + height / 12 && x >= width / 6 && x < width / 2)
        return true;                    // slot
    return (x * 7 + y * 13) % 997 == 0; // stray pixels
}

bool WriteBitmap(const std::string& path, int width, int height, long* transparent) {
    const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u;
    std::vector<uint8_t> file(54 + size_t(stride) * height, 0);
    BITMAPFILEHEADER* header = reinterpret_cast<BITMAPFILEHEADER*>(file.data());
    header->bfType = 0x4D42;
    header->bfSize = DWORD(file.size());
    header->bfOffBits = 54;
    BITMAPINFOHEADER* info = reinterpret_cast<BITMAPINFOHEADER*>(file.data() + 14);
    info->biSize = sizeof(BITMAPINFOHEADER);
    info->biWidth = width;
    info->biHeight = height;
    info->biPlanes = 1;
    info->biBitCount = 24;
    info->biCompression = BI_RGB;
    *transparent = 0;
    for (int y = 0; y < height; y++) {
        uint8_t* row = file.data() + 54 + size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; x++) {
            COLORREF c = RGB(40 + x % 200, 60, 20 + y % 200);
            if (Transparent(x, y, width, height)) {
                c = kMagenta;
                ++*transparent;
            }
            row[x * 3] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
        }
    }
    HANDLE out =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(out, file.data(), DWORD(file.size()), &written, NULL);
    CloseHandle(out);
    return ok && written == file.size();
}

// The window rectangle minus every pixel of the key, one region difference per pixel.
HRGN PerPixelRegion(HWND window, IDirectDrawSurface3* surface, DWORD key) {
    HDC dc = GetDC(window);
    RECT rect;
    GetWindowRect(window, &rect);
    OffsetRect(&rect, -rect.left, -rect.top);
    DPtoLP(dc, (POINT*)&rect, 2);
    HRGN region = CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom);
    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    if (surface->Lock(NULL, &desc, DDLOCK_WAIT | DDLOCK_READONLY, NULL) == DD_OK) {
        const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
        DWORD mask = format.dwRBitMask | format.dwGBitMask | format.dwBBitMask;
        int bytes = int(format.dwRGBBitCount / 8);
        for (int y = 0; y < int(desc.dwHeight); y++) {
            const uint8_t* row = static_cast<const uint8_t*>(desc.lpSurface) + long(y) * desc.lPitch;
            for (int x = 0; x < int(desc.dwWidth); x++) {
                DWORD pixel = 0;
                CopyMemory(&pixel, row + x * bytes, bytes);
                if ((pixel & mask) != (key & mask))
                    continue;
                RECT cell = {x, y, x + 1, y + 1};
                DPtoLP(dc, (POINT*)&cell, 2);
                HRGN part = CreateRectRgn(cell.left, cell.top, cell.right, cell.bottom);
                if (part) {
                    CombineRgn(region, region, part, RGN_DIFF);
                    DeleteObject(part);
                }
            }
        }
        surface->Unlock(NULL);
    }
    ReleaseDC(window, dc);
    return region;
}

// CutKeyPixels alone on the locked surface, as BuildWindowRegion calls it.
double TimeCutKeyPixels(HWND window, IDirectDrawSurface3* surface, DWORD key) {
    HDC dc = GetDC(window);
    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    double elapsed = -1;
    if (surface->Lock(NULL, &desc, DDLOCK_WAIT | DDLOCK_READONLY, NULL) == DD_OK) {
        const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
        HRGN region = CreateRectRgn(0, 0, int(desc.dwWidth), int(desc.dwHeight));
        double start = Now();
        CutKeyPixels(region, dc, desc.lpSurface, int(desc.dwWidth), int(desc.dwHeight), desc.lPitch,
                     int(format.dwRGBBitCount / 8), format.dwRBitMask | format.dwGBitMask | format.dwBBitMask,
                     key);
        elapsed = Now() - start;
        DeleteObject(region);
        surface->Unlock(NULL);
    }
    ReleaseDC(window, dc);
    return elapsed;
}

long RectangleCount(HRGN region) {
    DWORD size = GetRegionData(region, 0, NULL);
    return size < sizeof(RGNDATAHEADER) ? 0 : long((size - sizeof(RGNDATAHEADER)) / sizeof(RECT));
}

// Runs one background size. Returns 1 when the two regions are the same.
int RunSize(IDirectDraw2* dd, const char* folder, int width, int height) {
    std::string path = std::string(folder) + "\\background.bmp";
    long transparent = 0;
    if (!WriteBitmap(path, width, height, &transparent)) {
        printf("cannot write %s\n", path.c_str());
        return 0;
    }
    IDirectDrawSurface3* surface = LoadBitmapSurface(dd, path.c_str(), 0, 0);
    DeleteFileA(path.c_str());
    if (!surface) {
        printf("%d x %d: no surface\n", width, height);
        return 0;
    }
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "VantelBench", "", WS_POPUP, 0, 0, width, height, NULL,
                                  NULL, GetModuleHandleA(NULL), NULL);
    RECT rect = {};
    GetWindowRect(window, &rect);
    if (!window || rect.right - rect.left != width || rect.bottom - rect.top != height) {
        printf("%d x %d: no window of that size\n", width, height);
        surface->Release();
        return 0;
    }

    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_PIXELFORMAT;
    surface->GetSurfaceDesc(&desc);
    long total = long(width) * height;
    printf("%d x %d, %lu bits per pixel: %ld of %ld pixels transparent (%.1f%%)\n", width, height,
           desc.ddpfPixelFormat.dwRGBBitCount, transparent, total, 100.0 * transparent / total);
    fflush(stdout);

    std::vector<double> builds, cuts;
    for (int i = 0; i < kRepeats; i++) {
        double start = Now();
        int built = BuildWindowRegion(window, surface, kMagenta, SHAPE_CLOCK);
        builds.push_back(Now() - start);
        if (!built)
            printf("  BuildWindowRegion returned 0\n");
        cuts.push_back(TimeCutKeyPixels(window, surface, MatchSurfaceColor(surface, kMagenta)));
    }
    ApplyWindowRegion(window, surface, kMagenta, SHAPE_CLOCK);
    HRGN built = CreateRectRgn(0, 0, 0, 0);
    int hasRegion = GetWindowRgn(window, built) != ERROR;
    printf("  BuildWindowRegion (lock, CutKeyPixels, unlock): median %8.1f ms of %d (min %.1f, max %.1f)\n",
           Median(builds), kRepeats, *std::min_element(builds.begin(), builds.end()),
           *std::max_element(builds.begin(), builds.end()));
    printf("  CutKeyPixels on the locked surface:              median %8.1f ms of %d\n", Median(cuts),
           kRepeats);
    fflush(stdout);

    double start = Now();
    HRGN literal = PerPixelRegion(window, surface, MatchSurfaceColor(surface, kMagenta));
    double literalTime = Now() - start;
    printf(
        "  one CreateRectRgn + CombineRgn per pixel:               %8.1f ms (%.0f times the median build)\n",
        literalTime, literalTime / Median(builds));

    HRGN difference = CreateRectRgn(0, 0, 0, 0);
    int same = hasRegion && CombineRgn(difference, built, literal, RGN_XOR) == NULLREGION;
    printf("  region of %ld rectangles; per-pixel region of %ld; equal (RGN_XOR is NULLREGION): %s\n",
           RectangleCount(built), RectangleCount(literal), same ? "yes" : "NO");
    fflush(stdout);
    DeleteObject(difference);
    DeleteObject(literal);
    DeleteObject(built);
    DestroyWindow(window);
    surface->Release();
    return same;
}

} // namespace

int main() {
    WNDCLASSA cls;
    ZeroMemory(&cls, sizeof(cls));
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(NULL);
    cls.lpszClassName = "VantelBench";
    RegisterClassA(&cls);
    HWND owner = CreateWindowExA(WS_EX_TOOLWINDOW, "VantelBench", "", WS_POPUP, 0, 0, 16, 16, NULL, NULL,
                                 GetModuleHandleA(NULL), NULL);
    IDirectDraw* first = NULL;
    IDirectDraw2* dd = NULL;
    if (!owner || DirectDrawCreate(NULL, &first, NULL) != DD_OK ||
        first->QueryInterface(IID_IDirectDraw2, (void**)&dd) != S_OK ||
        dd->SetCooperativeLevel(owner, DDSCL_NORMAL) != DD_OK) {
        printf("region_bench: no DirectDraw\n");
        return 2;
    }
    first->Release();

    char temp[MAX_PATH], folder[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    wsprintfA(folder, "%svantel-bench-%lu", temp, GetCurrentProcessId());
    CreateDirectoryA(folder, NULL);

    printf("region_bench: window regions cut from magenta backgrounds\n");
    int same = RunSize(dd, folder, 800, 600);
    same &= RunSize(dd, folder, 1920, 1080);

    RemoveDirectoryA(folder);
    dd->Release();
    DestroyWindow(owner);
    printf("region_bench: %s\n", same ? "all regions equal" : "REGIONS DIFFER");
    return same ? 0 : 1;
}
