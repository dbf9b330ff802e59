#include "Surface.h"
#include "BitmapHeader.h"

// The system's loader reads as many pixels as a file's headers promise, past the end
// of a file cut short (Wine then faults): the headers are checked against the file
// first.
static int BitmapFileUsable(LPCSTR path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    uint8_t head[BITMAP_HEAD_SIZE];
    DWORD read = 0;
    LARGE_INTEGER size;
    int usable = ReadFile(file, head, sizeof(head), &read, NULL) && GetFileSizeEx(file, &size) &&
                 BitmapFileComplete(head, read, (uint64_t)size.QuadPart);
    CloseHandle(file);
    return usable;
}

static HBITMAP LoadBitmapHandle(LPCSTR name, int width, int height) {
    HBITMAP bitmap =
        (HBITMAP)LoadImageA(GetModuleHandleA(NULL), name, IMAGE_BITMAP, width, height, LR_CREATEDIBSECTION);
    // A resource number is no file name: handed to the file search it would be read
    // as a pointer.
    if (!bitmap && !IS_INTRESOURCE(name) && BitmapFileUsable(name))
        bitmap = (HBITMAP)LoadImageA(NULL, name, IMAGE_BITMAP, width, height,
                                     LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    return bitmap;
}

IDirectDrawSurface3* CreatePlainSurface(IDirectDraw2* dd, DWORD width, DWORD height) {
    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = width;
    desc.dwHeight = height;
    IDirectDrawSurface* first = NULL;
    if (!dd || FAILED(dd->CreateSurface(&desc, &first, NULL)))
        return NULL;
    IDirectDrawSurface3* surface = NULL;
    if (FAILED(first->QueryInterface(IID_IDirectDrawSurface3, (void**)&surface)))
        surface = NULL;
    first->Release(); // the DirectDrawSurface3 interface keeps the surface alive
    return surface;
}

IDirectDrawSurface3* LoadBitmapSurface(IDirectDraw2* dd, LPCSTR name, int width, int height) {
    if (!dd)
        return NULL;
    HBITMAP bitmap = LoadBitmapHandle(name, width, height);
    if (!bitmap)
        return NULL;

    BITMAP info;
    GetObjectA(bitmap, sizeof(info), &info);
    IDirectDrawSurface3* surface = CreatePlainSurface(dd, info.bmWidth, info.bmHeight);
    if (!surface) {
        DeleteObject(bitmap);
        return NULL;
    }
    CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0);
    DeleteObject(bitmap);
    return surface;
}

HRESULT ReloadBitmap(IDirectDrawSurface3* surface, LPCSTR name) {
    HBITMAP bitmap = LoadBitmapHandle(name, 0, 0);
    if (!bitmap) {
        OutputDebugStringA("handle is null\n");
        return E_FAIL;
    }
    HRESULT hr = CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0);
    if (hr != S_OK)
        OutputDebugStringA("ddcopybitmap failed\n");
    DeleteObject(bitmap);
    return hr;
}

HRESULT CopyBitmapToSurface(IDirectDrawSurface3* surface, HBITMAP bitmap, int x, int y, int width,
                            int height) {
    if (!bitmap || !surface)
        return E_FAIL;

    // A surface whose memory was lost gets memory again before it is drawn into.
    surface->Restore();

    HDC bitmapDC = CreateCompatibleDC(NULL);
    if (!bitmapDC)
        OutputDebugStringA("createcompatible dc failed\n");
    HGDIOBJ previous = bitmapDC ? SelectObject(bitmapDC, bitmap) : NULL;

    BITMAP info;
    GetObjectA(bitmap, sizeof(info), &info);
    if (width == 0)
        width = info.bmWidth;
    if (height == 0)
        height = info.bmHeight;

    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
    surface->GetSurfaceDesc(&desc);

    HDC surfaceDC;
    HRESULT hr = surface->GetDC(&surfaceDC);
    if (hr == DD_OK) {
        StretchBlt(surfaceDC, 0, 0, desc.dwWidth, desc.dwHeight, bitmapDC, x, y, width, height, SRCCOPY);
        surface->ReleaseDC(surfaceDC);
    }
    if (bitmapDC) {
        SelectObject(bitmapDC, previous);
        DeleteDC(bitmapDC);
    }
    return hr;
}

DWORD MatchSurfaceColor(IDirectDrawSurface3* surface, COLORREF color) {
    if (!surface)
        return CLR_INVALID;
    COLORREF saved = CLR_INVALID;
    HDC dc;
    // GDI converts the colour into the surface's format exactly as it converted the
    // bitmap's pixels; the top-left pixel is borrowed for that and put back below.
    if (color != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
        saved = GetPixel(dc, 0, 0);
        SetPixel(dc, 0, 0, color);
        surface->ReleaseDC(dc);
    }

    DWORD value = CLR_INVALID;
    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    HRESULT hr;
    while ((hr = surface->Lock(NULL, &desc, 0, NULL)) == DDERR_WASSTILLDRAWING)
        ;
    if (hr == DD_OK) {
        DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
        // Read only the pixel's own bytes: a surface one pixel wide may end there.
        DWORD bytes = bits >= 32 || bits == 0 ? 4 : (bits + 7) / 8;
        value = 0;
        CopyMemory(&value, desc.lpSurface, bytes);
        if (bits < 32)
            value &= (1u << bits) - 1;
        surface->Unlock(NULL);
    }

    if (color != CLR_INVALID && saved != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
        SetPixel(dc, 0, 0, saved);
        surface->ReleaseDC(dc);
    }
    return value;
}

HRESULT SetSurfaceColorKey(IDirectDrawSurface3* surface, COLORREF color) {
    if (!surface)
        return E_FAIL;
    DDCOLORKEY key;
    key.dwColorSpaceLowValue = MatchSurfaceColor(surface, color);
    key.dwColorSpaceHighValue = key.dwColorSpaceLowValue;
    return surface->SetColorKey(DDCKEY_SRCBLT, &key);
}
