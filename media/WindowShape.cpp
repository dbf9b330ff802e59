#include "WindowShape.h"
#include "PixelRuns.h"
#include "Surface.h"

static struct {
    HRGN region;       // region built last; owned by the window once set on it
    char message[128]; // failure text of the current build, empty when none
} g_shape;

// Runs are collected into RGNDATA batches: one region per batch instead of one
// per pixel keeps a large skin's shape quick to build.
enum { BATCH_RECTS = 2000 };

struct RunBatch {
    HDC dc;
    HRGN cut; // union of the batches so far
    int failed;
    DWORD count;
    struct {
        RGNDATAHEADER header;
        RECT rects[BATCH_RECTS];
    } data;
};

static int FlushBatch(RunBatch* batch) {
    if (batch->count == 0)
        return 1;
    RGNDATAHEADER* header = &batch->data.header;
    ZeroMemory(header, sizeof(*header));
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->nCount = batch->count;
    header->nRgnSize = batch->count * sizeof(RECT);
    if (batch->dc)
        DPtoLP(batch->dc, (POINT*)batch->data.rects, (int)batch->count * 2);
    RECT bounds = batch->data.rects[0];
    for (DWORD i = 1; i < batch->count; i++)
        UnionRect(&bounds, &bounds, &batch->data.rects[i]);
    header->rcBound = bounds;
    HRGN part = ExtCreateRegion(NULL, sizeof(RGNDATAHEADER) + header->nRgnSize, (RGNDATA*)&batch->data);
    batch->count = 0;
    if (!part)
        return 0;
    int result = CombineRgn(batch->cut, batch->cut, part, RGN_OR);
    DeleteObject(part);
    return result != ERROR;
}

static int AddRun(void* context, int y, int left, int right) {
    RunBatch* batch = (RunBatch*)context;
    SetRect(&batch->data.rects[batch->count++], left, y, right, y + 1);
    if (batch->count == BATCH_RECTS && !FlushBatch(batch)) {
        batch->failed = 1;
        return 0;
    }
    return 1;
}

long CutKeyPixels(HRGN region, HDC dc, const void* bits, int width, int height, long pitch, int bytesPerPixel,
                  DWORD mask, DWORD key) {
    RunBatch* batch = (RunBatch*)HeapAlloc(GetProcessHeap(), 0, sizeof(RunBatch));
    if (!batch)
        return -1;
    batch->dc = dc;
    batch->failed = 0;
    batch->count = 0;
    batch->cut = CreateRectRgn(0, 0, 0, 0);
    long cut = -1;
    if (batch->cut) {
        int64_t pixels =
            ScanKeyRuns((const uint8_t*)bits, width, height, pitch, bytesPerPixel, mask, key, AddRun, batch);
        if (pixels >= 0 && !batch->failed && FlushBatch(batch)) {
            if (pixels == 0 || CombineRgn(region, region, batch->cut, RGN_DIFF) != ERROR)
                cut = (long)pixels;
        }
        DeleteObject(batch->cut);
    }
    HeapFree(GetProcessHeap(), 0, batch);
    return cut;
}

static void SetShapeMessage(const char* reason) {
    lstrcpynA(g_shape.message, "Cannot create non-rectangular window.\n", sizeof(g_shape.message));
    lstrcatA(g_shape.message, reason);
}

// Scans the locked surface. Returns the pixels cut out, 0 for none, -1 on failure
// (with the message set).
static long CutSurfacePixels(HRGN region, HDC dc, const DDSURFACEDESC* desc, DWORD key, int variant) {
    const DDPIXELFORMAT* format = &desc->ddpfPixelFormat;
    if (!(format->dwFlags & DDPF_RGB)) {
        SetShapeMessage("PixelFormat not supported.");
        return -1;
    }
    DWORD bitsPerPixel = format->dwRGBBitCount;
    if (variant == SHAPE_CLOCK && bitsPerPixel < 16) {
        SetShapeMessage("ColorDepth must be 16bpp or higher.");
        return -1;
    }
    int bytes = (int)(bitsPerPixel / 8);
    if (bytes < 1 || bytes > 4) {
        SetShapeMessage("PixelFormat not supported.");
        return -1;
    }
    // The clock compares the colour bits only (a 32-bit display's fourth byte plays
    // no part); the message program compares the pixel's bytes whole.
    DWORD mask = variant == SHAPE_CLOCK ? (format->dwRBitMask | format->dwGBitMask | format->dwBBitMask)
                                        : LowBytesMask(bytes);
    long cut = CutKeyPixels(region, dc, desc->lpSurface, (int)desc->dwWidth, (int)desc->dwHeight,
                            desc->lPitch, bytes, mask, key);
    return cut < 0 ? 0 : cut;
}

int BuildWindowRegion(HWND window, IDirectDrawSurface3* background, COLORREF transparent, int variant) {
    int result = 0;
    g_shape.message[0] = '\0';
    // A region built before and never handed to SetWindowRgn is still ours.
    if (g_shape.region)
        DeleteObject(g_shape.region);
    g_shape.region = NULL;
    if (!background)
        return 0;
    DWORD key = MatchSurfaceColor(background, transparent);

    HDC dc = GetDC(window);
    if (!dc) {
        SetShapeMessage("DeviceContext not accessible.");
    } else {
        RECT rect;
        if (!GetWindowRect(window, &rect)) {
            SetShapeMessage("Window rectangle not accessible.");
        } else {
            OffsetRect(&rect, -rect.left, -rect.top);
            DPtoLP(dc, (POINT*)&rect, 2);
            g_shape.region = CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom);

            DDSURFACEDESC desc;
            ZeroMemory(&desc, sizeof(desc));
            desc.dwSize = sizeof(desc);
            if (background->Lock(NULL, &desc, DDLOCK_WAIT | DDLOCK_READONLY, NULL) != DD_OK) {
                SetShapeMessage("Surface not lockable.");
            } else {
                if (g_shape.region && CutSurfacePixels(g_shape.region, dc, &desc, key, variant) > 0)
                    result = 1;
                background->Unlock(NULL);
            }
        }
        ReleaseDC(window, dc);
    }
    if (g_shape.message[0])
        MessageBoxA(window, g_shape.message, "Vantel - Error", MB_OK | MB_ICONWARNING);
    return result;
}

void ApplyWindowRegion(HWND window, IDirectDrawSurface3* background, COLORREF transparent, int variant) {
    if (BuildWindowRegion(window, background, transparent, variant)) {
        // From here the system owns the region.
        SetWindowRgn(window, g_shape.region, TRUE);
    } else {
        if (g_shape.region)
            DeleteObject(g_shape.region);
        SetWindowRgn(window, NULL, TRUE);
    }
    g_shape.region = NULL;
}
