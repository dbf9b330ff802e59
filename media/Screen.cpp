#include "Screen.h"

#define NEEDS_DIRECTX "\n\nVantel requires DirectX(TM) 5 (or better)."

const char* CreateScreenObjects(HWND window, ScreenObjects* screen) {
    if (FAILED(DirectDrawCreate(NULL, &screen->dd, NULL)))
        return "Cannot create the DirectDraw object." NEEDS_DIRECTX;
    if (FAILED(screen->dd->QueryInterface(IID_IDirectDraw2, (void**)&screen->dd2)))
        return "Cannot create the DirectDraw2 object." NEEDS_DIRECTX;
    if (FAILED(screen->dd2->SetCooperativeLevel(window, DDSCL_NORMAL)))
        return "Cannot set the normal cooperative level.";
    if (FAILED(screen->dd2->CreateClipper(0, &screen->clipper, NULL)))
        return "Cannot create the DirectDrawClipper object.";
    if (FAILED(screen->clipper->SetHWnd(0, window)))
        return "Cannot set the window handle for clipping information.";

    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (FAILED(screen->dd2->CreateSurface(&desc, &screen->primaryOne, NULL)))
        return "Cannot create the primary DirectDrawSurface.";
    if (FAILED(screen->primaryOne->QueryInterface(IID_IDirectDrawSurface3, (void**)&screen->primary)))
        return "Cannot create the DirectDrawSurface3." NEEDS_DIRECTX;
    if (FAILED(screen->primary->SetClipper(screen->clipper)))
        return "Cannot attache the DirectDrawClipper object to the DirectDrawSurface.";
    return NULL;
}

template <class T> static void ReleaseObject(T** object) {
    if (*object) {
        (*object)->Release();
        *object = NULL;
    }
}

void ReleaseScreenObjects(ScreenObjects* screen) {
    ReleaseObject(&screen->primary);
    ReleaseObject(&screen->primaryOne);
    ReleaseObject(&screen->clipper);
    ReleaseObject(&screen->dd2);
    ReleaseObject(&screen->dd);
}

void BlitToScreen(ScreenObjects* screen, RECT* destination, IDirectDrawSurface3* source, RECT* from,
                  DWORD flags, HRESULT (*restore)()) {
    HRESULT hr = screen->primary->Blt(destination, source, from, flags, NULL);
    if (hr == DDERR_SURFACELOST) {
        restore();
        screen->primary->Blt(destination, source, from, flags, NULL);
    }
}

void ClientRectOnScreen(HWND window, RECT* rect) {
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    GetClientRect(window, rect);
    OffsetRect(rect, origin.x, origin.y);
}
