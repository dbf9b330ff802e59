#include "Display.h"
#include "Screen.h"
#include "Settings.h"
#include "Surface.h"
#include "../resources/resource.h"

#include <cstdio>

enum { NOT_DRAWN = 10000 };

static struct {
    ScreenObjects screen; // DirectDraw and the screen, clipped to the clock window
    IDirectDrawSurface3* background;
    IDirectDrawSurface3* digits; // source colour key = the transparent colour
    IDirectDrawSurface3* face;   // off-screen: the background with the digits drawn into it; null
                                 // when it could not be made (digits then go straight to the screen)
    HWND window;                 // the clock window
    DWORD backgroundWidth, backgroundHeight;
    DWORD digitsWidth, digitsHeight;
    RECT cells[DIGIT_CELLS];          // cell k shows digit k
    volatile WORD drawn[DIGIT_SLOTS]; // digit last drawn per slot; NOT_DRAWN
} g_display;

template <class T> static void ReleaseObject(T** object) {
    if (*object) {
        (*object)->Release();
        *object = NULL;
    }
}

static void SurfaceSize(IDirectDrawSurface3* surface, DWORD* width, DWORD* height);

static void FillFaceWithBackground() {
    RECT whole = {0, 0, (LONG)g_display.backgroundWidth, (LONG)g_display.backgroundHeight};
    g_display.face->Blt(&whole, g_display.background, &whole, DDBLT_WAIT, NULL);
}

// An off-screen copy of the background, in the screen's format, where the ticks put each
// changed digit together before one blit shows it: the screen never holds a wiped slot,
// and a tick costs one blit to the screen per run of touching slots instead of two per
// digit.
static void MakeFaceSurface() {
    ReleaseObject(&g_display.face);
    DWORD width = 0, height = 0;
    SurfaceSize(g_display.background, &width, &height);
    g_display.face = CreatePlainSurface(g_display.screen.dd2, width, height);
    if (g_display.face)
        FillFaceWithBackground();
}

static LPCSTR BackgroundName() {
    return g_appearance.backgroundBmp[0] ? g_appearance.backgroundBmp : MAKEINTRESOURCEA(IDB_BACKGROUND);
}

static LPCSTR DigitsName() {
    return g_appearance.digitsBmp[0] ? g_appearance.digitsBmp : MAKEINTRESOURCEA(IDB_DIGITS);
}

// Loads the bitmap named by `path` (empty: the built-in one). When a file fails,
// warns, clears the path so the next save names the built-in bitmap, and falls
// back to `builtIn`.
static IDirectDrawSurface3* LoadFaceBitmap(HWND window, char* path, int builtIn, const char* role) {
    LPCSTR name = path[0] ? path : MAKEINTRESOURCEA(builtIn);
    IDirectDrawSurface3* surface = LoadBitmapSurface(g_display.screen.dd2, name, 0, 0);
    if (surface || !path[0])
        return surface;
    char text[MAX_PATH + 96];
    snprintf(text, sizeof(text), "Cannot load bitmap \"%s\".\nTrying to load default %s bitmap.", path, role);
    MessageBoxA(window, text, "Vantel - Error", MB_OK | MB_ICONWARNING);
    path[0] = '\0';
    return LoadBitmapSurface(g_display.screen.dd2, MAKEINTRESOURCEA(builtIn), 0, 0);
}

int InitDisplay(HWND window) {
    g_display.window = window;
    const char* failure = CreateScreenObjects(window, &g_display.screen);
    if (failure)
        return ReportDisplayError(window, failure);

    g_display.background = LoadFaceBitmap(window, g_appearance.backgroundBmp, IDB_BACKGROUND, "background");
    if (!g_display.background)
        return ReportDisplayError(window, "Cannot load the background bitmap.");
    g_display.digits = LoadFaceBitmap(window, g_appearance.digitsBmp, IDB_DIGITS, "digits");
    if (!g_display.digits)
        return ReportDisplayError(window, "Cannot load the digits bitmap.");
    SetSurfaceColorKey(g_display.digits, g_appearance.transparentColor);

    if (!FitWindowToBackground(window))
        return ReportDisplayError(window, "Cannot adjust the size of the application window.");
    MakeFaceSurface();
    return 1;
}

// "Cannot load" with the bitmap's file, or with what a built-in one is.
static void ReportUnloadable(HWND window, const char* path, const char* role) {
    char text[MAX_PATH + 64];
    if (path[0])
        snprintf(text, sizeof(text), "Cannot load \"%s\".", path);
    else
        snprintf(text, sizeof(text), "Cannot load the built-in %s bitmap.", role);
    MessageBoxA(window, text, "Vantel - Error", MB_OK | MB_ICONWARNING);
}

int ReplaceFaceSurfaces(HWND window) {
    IDirectDrawSurface3* background = LoadBitmapSurface(g_display.screen.dd2, BackgroundName(), 0, 0);
    if (!background) {
        ReportUnloadable(window, g_appearance.backgroundBmp, "background");
        return 0;
    }
    IDirectDrawSurface3* digits = LoadBitmapSurface(g_display.screen.dd2, DigitsName(), 0, 0);
    if (!digits) {
        background->Release();
        ReportUnloadable(window, g_appearance.digitsBmp, "digits");
        return 0;
    }
    ReleaseObject(&g_display.background);
    ReleaseObject(&g_display.digits);
    g_display.background = background;
    g_display.digits = digits;
    SetDigitsColorKey(g_appearance.transparentColor);
    MakeFaceSurface();
    return 1;
}

int ReportDisplayError(HWND owner, const char* text) {
    ReleaseDisplay();
    MessageBoxA(owner, text, "Vantel - Error", MB_OK | MB_ICONWARNING);
    return 0;
}

void ReleaseDisplay() {
    ReleaseObject(&g_display.face);
    ReleaseObject(&g_display.background);
    ReleaseObject(&g_display.digits);
    ReleaseScreenObjects(&g_display.screen);
}

HRESULT RestoreSurfaces() {
    HRESULT hr = g_display.screen.primary->Restore();
    if (hr != DD_OK)
        return hr;
    hr = g_display.background->Restore();
    if (hr != DD_OK)
        return hr;
    ReloadBitmap(g_display.background, BackgroundName());
    hr = g_display.digits->Restore();
    if (hr != DD_OK)
        return hr;
    ReloadBitmap(g_display.digits, DigitsName());
    if (g_display.face && g_display.face->Restore() == DD_OK) {
        FillFaceWithBackground();
        for (int i = 0; i < DIGIT_SLOTS; i++)
            g_display.drawn[i] = NOT_DRAWN; // the next tick puts every digit in again
    }
    return DD_OK;
}

static void SurfaceSize(IDirectDrawSurface3* surface, DWORD* width, DWORD* height) {
    DDSURFACEDESC desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    surface->GetSurfaceDesc(&desc);
    *width = desc.dwWidth;
    *height = desc.dwHeight;
}

int FitWindowToBackground(HWND window) {
    SurfaceSize(g_display.background, &g_display.backgroundWidth, &g_display.backgroundHeight);
    RECT rect;
    GetWindowRect(window, &rect);
    rect.right = rect.left + (LONG)g_display.backgroundWidth;
    rect.bottom = rect.top + (LONG)g_display.backgroundHeight;
    if (!AdjustWindowRectEx(&rect, WS_POPUP, FALSE, 0))
        return 0;
    MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    SurfaceSize(g_display.digits, &g_display.digitsWidth, &g_display.digitsHeight);
    SizeSlots(g_appearance.slots, g_display.digitsWidth / 10, g_display.digitsHeight);
    return 1;
}

void BuildDigitCells(DWORD digitsWidth, DWORD digitsHeight) {
    SlotRect cells[DIGIT_CELLS];
    BuildCellRects(cells, digitsWidth, digitsHeight);
    for (int k = 0; k < DIGIT_CELLS; k++)
        SetRect(&g_display.cells[k], cells[k].left, cells[k].top, cells[k].right, cells[k].bottom);
}

void ClampDigitSlots() {
    ClampSlots(g_appearance.slots, g_appearance.firstDigit, g_appearance.lastDigit,
               g_display.digitsWidth / 10, g_display.digitsHeight, g_display.backgroundWidth,
               g_display.backgroundHeight);
}

static void BltToScreen(RECT* destination, IDirectDrawSurface3* source, RECT* from, DWORD flags) {
    BlitToScreen(&g_display.screen, destination, source, from, flags, RestoreSurfaces);
}

void RepaintFace() {
    if (!g_display.screen.primary || !g_display.background)
        return;
    RECT source = {0, 0, (LONG)g_display.backgroundWidth, (LONG)g_display.backgroundHeight};
    RECT screen;
    ClientRectOnScreen(g_display.window, &screen);
    g_display.screen.dd2->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, NULL);
    BltToScreen(&screen, g_display.background, &source, DDBLT_WAIT);
    for (int i = 0; i < DIGIT_SLOTS; i++)
        g_display.drawn[i] = NOT_DRAWN;
}

// A blit between off-screen surfaces, retried once after lost surfaces are restored.
static void BltOffScreen(IDirectDrawSurface3* target, RECT* to, IDirectDrawSurface3* source, RECT* from,
                         DWORD flags) {
    if (target->Blt(to, source, from, flags, NULL) == DDERR_SURFACELOST) {
        RestoreSurfaces();
        target->Blt(to, source, from, flags, NULL);
    }
}

// Puts the face's rectangle (window pixels) on the screen.
static void ShowFacePart(const RECT* part) {
    RECT screen;
    ClientRectOnScreen(g_display.window, &screen);
    RECT destination = *part;
    OffsetRect(&destination, screen.left, screen.top);
    RECT source = *part;
    BltToScreen(&destination, g_display.face, &source, DDBLT_WAIT);
}

// The slot wiped with the background and the cell's digit drawn over it, in the face.
static void ComposeDigit(const RECT* slot, const RECT* cell) {
    RECT wipe = *slot;
    RECT to = *slot;
    RECT digit = *cell;
    BltOffScreen(g_display.face, &to, g_display.background, &wipe, DDBLT_WAIT);
    BltOffScreen(g_display.face, &to, g_display.digits, &digit, DDBLT_WAIT | DDBLT_KEYSRC);
}

void DrawDigit(const RECT* slot, const RECT* cell) {
    if (!g_display.screen.primary || !g_display.background || !g_display.digits)
        return;
    if (g_display.face) {
        ComposeDigit(slot, cell);
        ShowFacePart(slot);
        return;
    }
    RECT screen;
    ClientRectOnScreen(g_display.window, &screen);
    RECT destination = *slot;
    OffsetRect(&destination, screen.left, screen.top);
    RECT wipe = *slot;
    RECT digit = *cell;
    BltToScreen(&destination, g_display.background, &wipe, DDBLT_WAIT);
    BltToScreen(&destination, g_display.digits, &digit, DDBLT_WAIT | DDBLT_KEYSRC);
}

static void SlotRectangle(int slot, RECT* rect) {
    const SlotRect* s = &g_appearance.slots[slot];
    SetRect(rect, s->left, s->top, s->right, s->bottom);
}

// Wine puts what any thread drew into the process's windows on the screen when a
// thread of it finds no message waiting; an idle clock window would show the digits
// of the tick before. Looking at this thread's own messages (it has none) does that
// without waking the window's thread, whose round of the message loop for an empty
// message cost more than the drawing itself. (GdiFlush was tried: under Wine 8 the
// face then often kept its old digits.) On Windows the look finds nothing and costs
// next to nothing.
static void ShowDrawing() {
    MSG none;
    PeekMessageA(&none, (HWND)-1, 0, 0, PM_NOREMOVE);
}

// The runs of slots drawn in one pass: neighbouring slots that touch (the next one's
// left edge on this one's right edge, same top and bottom) go to the screen in one
// blit, and only the slots themselves are blitted.
struct SlotRun {
    RECT rect; // the run's rectangle; empty when there is none
};

static void EndRun(SlotRun* run) {
    if (!IsRectEmpty(&run->rect))
        ShowFacePart(&run->rect);
    SetRectEmpty(&run->rect);
}

static void AddToRun(SlotRun* run, const RECT* slot) {
    const RECT* r = &run->rect;
    if (!IsRectEmpty(r) && (slot->left != r->right || slot->top != r->top || slot->bottom != r->bottom))
        EndRun(run);
    if (IsRectEmpty(&run->rect))
        run->rect = *slot;
    else
        run->rect.right = slot->right;
}

// Draws the digit into the slot: through the face when there is one (the screen gets
// the run when it ends), else straight to the screen.
static void DrawIntoRun(SlotRun* run, int slot, WORD digit) {
    RECT rect;
    SlotRectangle(slot, &rect);
    if (!g_display.face) {
        DrawDigit(&rect, &g_display.cells[digit]);
        return;
    }
    ComposeDigit(&rect, &g_display.cells[digit]);
    AddToRun(run, &rect);
}

void DrawChangedDigits(const WORD digits[DIGIT_SLOTS], int first, int last) {
    if (!g_display.screen.dd2 || !g_display.screen.primary || !g_display.background || !g_display.digits)
        return;
    g_display.screen.dd2->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, NULL);
    SlotRun run;
    SetRectEmpty(&run.rect);
    int drew = 0;
    for (int i = first < 0 ? 0 : first; i <= last && i < DIGIT_SLOTS; i++) {
        WORD digit = digits[i];
        if (digit >= DIGIT_CELLS)
            continue;
        if (digit != g_display.drawn[i]) {
            DrawIntoRun(&run, i, digit);
            drew = 1;
        } else {
            EndRun(&run);
        }
        g_display.drawn[i] = digit;
    }
    EndRun(&run);
    if (drew)
        ShowDrawing();
}

void DrawZeroDigits(int first, int last) {
    if (!g_display.screen.dd2 || !g_display.screen.primary || !g_display.background || !g_display.digits)
        return;
    g_display.screen.dd2->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, NULL);
    SlotRun run;
    SetRectEmpty(&run.rect);
    for (int i = first < 0 ? 0 : first; i <= last && i < DIGIT_SLOTS; i++)
        DrawIntoRun(&run, i, 0);
    EndRun(&run);
    ShowDrawing();
}

void SetDigitsColorKey(COLORREF color) {
    if (g_display.digits)
        SetSurfaceColorKey(g_display.digits, color);
}

int FaceReady() {
    return g_display.screen.primary && g_display.background && g_display.digits;
}

DWORD BackgroundWidth() {
    return g_display.backgroundWidth;
}

DWORD BackgroundHeight() {
    return g_display.backgroundHeight;
}

IDirectDrawSurface3* BackgroundSurface() {
    return g_display.background;
}

DWORD DigitsWidth() {
    return g_display.digitsWidth;
}

DWORD DigitsHeight() {
    return g_display.digitsHeight;
}
