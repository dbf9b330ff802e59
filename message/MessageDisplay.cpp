#include "MessageDisplay.h"
#include "MessageSettings.h"
#include "MessageSound.h"
#include "Surface.h"
#include "resource.h"

#include <cstdio>

static struct {
    IDirectDraw* dd;                // from DirectDrawCreate
    IDirectDraw2* dd2;              // the same object; used for everything else
    IDirectDrawClipper* clipper;    // bound to the message window
    IDirectDrawSurface* primaryOne; // the screen, through its first interface
    IDirectDrawSurface3* primary;   // the screen; the clipper is attached to it
    IDirectDrawSurface3* background;
    HWND window;        // the message window
    DWORD pictureWidth; // size of the background picture: the source of every repaint
    DWORD pictureHeight;
} g_messageDisplay;

static const char kNeedsDirectX[] = "\n\nVantel requires DirectX(TM) 5 (or better).";

static int ReportNeedsDirectX(HWND window, const char* what) {
    char text[160];
    snprintf(text, sizeof(text), "%s%s", what, kNeedsDirectX);
    return ReportSetupError(window, text);
}

// Loads the background picture. A file that cannot be loaded is reported and
// forgotten (so it is saved empty), and the built-in picture is tried instead.
static IDirectDrawSurface3* LoadBackground(HWND window) {
    IDirectDrawSurface3* surface = LoadBitmapSurface(g_messageDisplay.dd2, MessagePictureName(), 0, 0);
    if (surface || !g_messageSettings.backgroundFromFile)
        return surface;
    char text[MAX_PATH + 96];
    snprintf(text, sizeof(text), "Cannot load bitmap \"%s\".\nTrying to load default background bitmap.",
             g_messageSettings.backgroundBmp);
    MessageBoxA(window, text, "Vantel - Error", MB_OK | MB_ICONWARNING);
    UseBuiltInPicture();
    return LoadBitmapSurface(g_messageDisplay.dd2, MessagePictureName(), 0, 0);
}

int InitMessageDisplay(HWND window) {
    g_messageDisplay.window = window;
    if (FAILED(DirectDrawCreate(NULL, &g_messageDisplay.dd, NULL)))
        return ReportNeedsDirectX(window, "Cannot create the DirectDraw object.");
    if (FAILED(g_messageDisplay.dd->QueryInterface(IID_IDirectDraw2, (void**)&g_messageDisplay.dd2)))
        return ReportNeedsDirectX(window, "Cannot create the DirectDraw2 object.");
    if (FAILED(g_messageDisplay.dd2->SetCooperativeLevel(window, DDSCL_NORMAL)))
        return ReportSetupError(window, "Cannot set the normal cooperative level.");
    if (FAILED(g_messageDisplay.dd2->CreateClipper(0, &g_messageDisplay.clipper, NULL)))
        return ReportSetupError(window, "Cannot create the DirectDrawClipper object.");
    if (FAILED(g_messageDisplay.clipper->SetHWnd(0, window)))
        return ReportSetupError(window, "Cannot set the window handle for clipping information.");

    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (FAILED(g_messageDisplay.dd2->CreateSurface(&desc, &g_messageDisplay.primaryOne, NULL)))
        return ReportSetupError(window, "Cannot create the primary DirectDrawSurface.");
    if (FAILED(g_messageDisplay.primaryOne->QueryInterface(IID_IDirectDrawSurface3,
                                                           (void**)&g_messageDisplay.primary)))
        return ReportNeedsDirectX(window, "Cannot create the DirectDrawSurface3.");
    if (FAILED(g_messageDisplay.primary->SetClipper(g_messageDisplay.clipper)))
        return ReportSetupError(window,
                                "Cannot attache the DirectDrawClipper object to the DirectDrawSurface.");

    g_messageDisplay.background = LoadBackground(window);
    if (!g_messageDisplay.background)
        return ReportSetupError(window, "Cannot load the background bitmap.");
    if (!FitWindowToPicture(window))
        return ReportSetupError(window, "Cannot adjust the size of the application window.");
    return 1;
}

int ReportSetupError(HWND window, const char* text) {
    ReleaseMessageDisplay();
    ReleaseMessageSound();
    MessageBoxA(window, text, "Vantel - Error", MB_OK | MB_ICONWARNING);
    return 0;
}

int FitWindowToPicture(HWND window) {
    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    if (FAILED(g_messageDisplay.background->GetSurfaceDesc(&desc)))
        return 0;
    g_messageDisplay.pictureWidth = desc.dwWidth;
    g_messageDisplay.pictureHeight = desc.dwHeight;
    RECT rect;
    GetWindowRect(window, &rect);
    rect.right = rect.left + (LONG)desc.dwWidth;
    rect.bottom = rect.top + (LONG)desc.dwHeight;
    if (!AdjustWindowRectEx(&rect, WS_POPUP, FALSE, 0))
        return 0;
    MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    return 1;
}

// One blit to the screen; a lost surface is restored and the blit tried once more.
static void BltToScreen(RECT* destination, RECT* source) {
    HRESULT hr =
        g_messageDisplay.primary->Blt(destination, g_messageDisplay.background, source, DDBLT_WAIT, NULL);
    if (hr == DDERR_SURFACELOST) {
        RestoreMessageSurfaces();
        g_messageDisplay.primary->Blt(destination, g_messageDisplay.background, source, DDBLT_WAIT, NULL);
    }
}

void RepaintBackground() {
    if (!g_messageDisplay.primary || !g_messageDisplay.background)
        return;
    RECT source = {0, 0, (LONG)g_messageDisplay.pictureWidth, (LONG)g_messageDisplay.pictureHeight};
    // Blits to the primary surface are in screen coordinates, clipped to the window.
    POINT origin = {0, 0};
    ClientToScreen(g_messageDisplay.window, &origin);
    RECT screen;
    GetClientRect(g_messageDisplay.window, &screen);
    OffsetRect(&screen, origin.x, origin.y);
    g_messageDisplay.dd2->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, NULL);
    BltToScreen(&screen, &source);
}

HRESULT RestoreMessageSurfaces() {
    HRESULT hr = g_messageDisplay.primary->Restore();
    if (hr != DD_OK)
        return hr;
    hr = g_messageDisplay.background->Restore();
    if (hr != DD_OK)
        return hr;
    ReloadBitmap(g_messageDisplay.background, MessagePictureName());
    return DD_OK;
}

template <class T> static void ReleaseObject(T** object) {
    if (*object) {
        (*object)->Release();
        *object = NULL;
    }
}

void ReleaseMessageDisplay() {
    // Each object on its own, whatever step of the set-up failed.
    ReleaseObject(&g_messageDisplay.primary);
    ReleaseObject(&g_messageDisplay.primaryOne);
    ReleaseObject(&g_messageDisplay.background);
    ReleaseObject(&g_messageDisplay.clipper);
    ReleaseObject(&g_messageDisplay.dd2);
    ReleaseObject(&g_messageDisplay.dd);
}

int MessageDisplayReady() {
    return g_messageDisplay.dd2 != NULL;
}

IDirectDrawSurface3* MessageBackgroundSurface() {
    return g_messageDisplay.background;
}
