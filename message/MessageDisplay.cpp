#include "MessageDisplay.h"
#include "MessageSettings.h"
#include "MessageSound.h"
#include "Screen.h"
#include "Surface.h"
#include "resource.h"

#include <cstdio>

static struct {
    ScreenObjects screen;            // DirectDraw and the screen, clipped to the message window
    IDirectDrawSurface3* background; // the picture
    HWND window;                     // the message window
    DWORD pictureWidth;              // size of the background picture: the source of every repaint
    DWORD pictureHeight;
} g_messageDisplay;

// Loads the background picture. A file that cannot be loaded is reported and
// forgotten (so it is saved empty), and the built-in picture is tried instead.
static IDirectDrawSurface3* LoadBackground(HWND window) {
    IDirectDrawSurface3* surface = LoadBitmapSurface(g_messageDisplay.screen.dd2, MessagePictureName(), 0, 0);
    if (surface || !g_messageSettings.backgroundFromFile)
        return surface;
    char text[MAX_PATH + 96];
    snprintf(text, sizeof(text), "Cannot load bitmap \"%s\".\nTrying to load default background bitmap.",
             g_messageSettings.backgroundBmp);
    MessageBoxA(window, text, "Vantel - Error", MB_OK | MB_ICONWARNING);
    UseBuiltInPicture();
    return LoadBitmapSurface(g_messageDisplay.screen.dd2, MessagePictureName(), 0, 0);
}

int InitMessageDisplay(HWND window) {
    g_messageDisplay.window = window;
    const char* failure = CreateScreenObjects(window, &g_messageDisplay.screen);
    if (failure)
        return ReportSetupError(window, failure);

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

void RepaintBackground() {
    if (!g_messageDisplay.screen.primary || !g_messageDisplay.background)
        return;
    RECT source = {0, 0, (LONG)g_messageDisplay.pictureWidth, (LONG)g_messageDisplay.pictureHeight};
    RECT screen;
    ClientRectOnScreen(g_messageDisplay.window, &screen);
    g_messageDisplay.screen.dd2->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, NULL);
    BlitToScreen(&g_messageDisplay.screen, &screen, g_messageDisplay.background, &source, DDBLT_WAIT,
                 RestoreMessageSurfaces);
}

HRESULT RestoreMessageSurfaces() {
    HRESULT hr = g_messageDisplay.screen.primary->Restore();
    if (hr != DD_OK)
        return hr;
    hr = g_messageDisplay.background->Restore();
    if (hr != DD_OK)
        return hr;
    ReloadBitmap(g_messageDisplay.background, MessagePictureName());
    return DD_OK;
}

void ReleaseMessageDisplay() {
    // Each object on its own, whatever step of the set-up failed.
    if (g_messageDisplay.background) {
        g_messageDisplay.background->Release();
        g_messageDisplay.background = NULL;
    }
    ReleaseScreenObjects(&g_messageDisplay.screen);
}

int MessageDisplayReady() {
    return g_messageDisplay.screen.dd2 != NULL;
}

IDirectDrawSurface3* MessageBackgroundSurface() {
    return g_messageDisplay.background;
}
