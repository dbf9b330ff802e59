#include "Animation.h"
#include "MessageDisplay.h"
#include "MessageSettings.h"
#include "MessageSound.h"
#include "TextLayout.h"

#include <mmsystem.h>

// The tick runs on the multimedia timer's thread. It takes `lock` without waiting:
// the window thread holds it only while it swaps the font, and a tick that finds it
// taken leaves its work to the next one.
static struct {
    CRITICAL_SECTION lock;
    int lockReady;                   // 1 once the lock is initialised (window thread)
    HWND window;                     // where the text is drawn
    HFONT font;                      // text font; null before the first preparation
    char message[MESSAGE_TEXT_SIZE]; // the message as prepared: breaks made, wrapped
    char display[DISPLAY_TEXT_SIZE]; // date line, a line feed and the message
    int displayLength;               // characters of the display text
    int shown;                       // leading characters drawn (tick only while it runs)
    int step;                        // characters added per tick
    UINT period;                     // the timer's period in ms
    UINT timer;                      // 0 while no timer runs
    RECT drawArea;                   // client pixels the text is drawn in
    volatile LONG redraw;            // 1: the next tick draws the shown text again
    int soundPlaying;                // 1 from the start of the looping sound to its stop
    int soundStarted;                // 1 once the sound was started for this preparation
    int restAsked;                   // 1 once the tick has asked the window to stop it
} g_animation = {{}, 0, NULL, NULL, "", "", 0, 0, 1, 40, 0, {0, 0, 0, 0}, 0, 0, 0, 0};

static void InitLock() {
    if (!g_animation.lockReady) {
        InitializeCriticalSection(&g_animation.lock);
        g_animation.lockReady = 1;
    }
}

static int MeasureFit(void* context, const char* text, int count, int width) {
    int fit = 0;
    SIZE size;
    if (count <= 0)
        return 0;
    if (!GetTextExtentExPointA((HDC)context, text, count, width < 0 ? 0 : width, &fit, NULL, &size))
        return count; // no measurement: leave the rest as it is
    return fit;
}

int WrapToWidth(HWND window, char* text, const RECT* area) {
    HDC dc = GetDC(window);
    if (!dc)
        return 0;
    HGDIOBJ previous = SelectObject(dc, g_animation.font);
    POINT corners[2] = {{area->left, area->top}, {area->right, area->bottom}};
    DPtoLP(dc, corners, 2);
    int inserted = WrapText(text, corners[1].x - corners[0].x, MeasureFit, dc);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return inserted;
}

static AreaRect ToArea(const RECT* rect) {
    AreaRect area = {rect->left, rect->top, rect->right, rect->bottom};
    return area;
}

void PrepareMessageText(HWND window) {
    InitLock();
    MessageSettings* s = &g_messageSettings;
    g_animation.window = window;

    s->font.lfQuality = NONANTIALIASED_QUALITY;
    DeleteTextFont();
    g_animation.font = CreateFontIndirectA(&s->font);

    // The limited area is kept (and saved); an area that holds no pixel after it
    // would hide the text, which then takes the whole window instead.
    RECT clientRect;
    GetClientRect(window, &clientRect);
    AreaRect client = ToArea(&clientRect);
    AreaRect area = ToArea(&s->textArea);
    LimitTextArea(&area, &client);
    SetRect(&s->textArea, area.left, area.top, area.right, area.bottom);
    AreaRect drawing = DrawingArea(&area, &client);
    SetRect(&g_animation.drawArea, drawing.left, drawing.top, drawing.right, drawing.bottom);

    // Prepared from the text as read each time, so breaks that came from markers
    // stay breaks after a dialog.
    lstrcpynA(g_animation.message, s->text, sizeof(g_animation.message));
    if (ReplaceAll(g_animation.message, sizeof(g_animation.message), "<br>", "\n") == 0) {
        ReplaceAll(g_animation.message, sizeof(g_animation.message), "\n", " ");
        WrapToWidth(window, g_animation.message, &g_animation.drawArea);
    }
    g_animation.displayLength = ComposeDisplayText(g_animation.display, sizeof(g_animation.display),
                                                   s->dateLine, g_animation.message, s->displayDate);
    g_animation.shown = 0;
    g_animation.redraw = 0;
    g_animation.soundPlaying = 0;
    g_animation.soundStarted = 0;
    g_animation.restAsked = 0;
    uint32_t period = 40;
    int32_t step = 1;
    AnimationTiming(s->charactersPerSecond, &period, &step);
    g_animation.period = period;
    g_animation.step = step;
}

static void PlayLooping(IDirectSoundBuffer* buffer) {
    if (buffer->Play(0, 0, DSBPLAY_LOOPING) == DSERR_BUFFERLOST) {
        RefillMessageSoundBuffer();
        buffer->Play(0, 0, DSBPLAY_LOOPING);
    }
}

static void DrawShownText() {
    HDC dc = GetDC(g_animation.window);
    if (!dc)
        return;
    HGDIOBJ previous = SelectObject(dc, g_animation.font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, g_messageSettings.fontColor);
    RECT area = g_animation.drawArea;
    DrawTextA(dc, g_animation.display, g_animation.shown, &area, DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(g_animation.window, dc);
    // Wine puts what another thread drew into a window on the screen only when the
    // window's own thread next looks at its messages; an empty message wakes it.
    PostMessageA(g_animation.window, WM_NULL, 0, 0);
}

// Types the next characters while the sound loops; once the text is complete the
// sound stops, and the window is asked to stop the timer: a complete message costs
// nothing while it stands (RedrawMessageText then draws at once).
static void CALLBACK AnimationTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    if (!TryEnterCriticalSection(&g_animation.lock))
        return;
    int draw = InterlockedExchange(&g_animation.redraw, 0) != 0;
    IDirectSoundBuffer* buffer = MessageSoundBuffer();
    int soundToStart =
        !g_animation.soundStarted && g_messageSettings.playSound && buffer && g_animation.displayLength > 0;
    if (soundToStart) {
        PlayLooping(buffer);
        g_animation.soundStarted = 1;
        g_animation.soundPlaying = 1;
    }
    if (g_animation.shown < g_animation.displayLength) {
        g_animation.shown += g_animation.step;
        if (g_animation.shown > g_animation.displayLength)
            g_animation.shown = g_animation.displayLength;
        draw = 1;
    } else if (g_animation.soundPlaying) {
        if (buffer)
            buffer->Stop();
        g_animation.soundPlaying = 0;
    }
    if (draw)
        DrawShownText();
    else if (!g_animation.soundPlaying && !soundToStart && !g_animation.restAsked) {
        g_animation.restAsked = 1;
        PostMessageA(g_animation.window, WM_ANIMATION_DONE, 0, 0);
    }
    LeaveCriticalSection(&g_animation.lock);
}

void RestAnimation() {
    if (!g_animation.timer || !g_animation.restAsked)
        return; // a new preparation came first, and types anew
    StopAnimationTimer();
    if (InterlockedExchange(&g_animation.redraw, 0))
        DrawShownText(); // asked for between the tick's request and now
}

int StartAnimationTimer(HWND window) {
    StopAnimationTimer();
    // TIME_KILL_SYNCHRONOUS: timeKillEvent returns only once a tick under way ends,
    // so nothing the tick uses is released beneath it.
    g_animation.timer =
        timeSetEvent(g_animation.period, 20, AnimationTick, 0, TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
    if (!g_animation.timer) {
        ReportSetupError(window, "Cannot start a multimedia timer required for the animation.");
        return 0;
    }
    return 1;
}

void StopAnimationTimer() {
    if (g_animation.timer) {
        timeKillEvent(g_animation.timer);
        g_animation.timer = 0;
    }
    g_animation.soundPlaying = 0;
}

void ReplaceTextFont(HFONT font) {
    InitLock();
    EnterCriticalSection(&g_animation.lock);
    HFONT old = g_animation.font;
    g_animation.font = font;
    LeaveCriticalSection(&g_animation.lock);
    if (old)
        DeleteObject(old);
}

void DeleteTextFont() {
    if (g_animation.font) {
        DeleteObject(g_animation.font);
        g_animation.font = NULL;
    }
}

void RedrawMessageText() {
    if (g_animation.timer)
        InterlockedExchange(&g_animation.redraw, 1);
    else if (g_animation.font)
        DrawShownText();
}

int MessageSoundDone() {
    InitLock();
    EnterCriticalSection(&g_animation.lock);
    int done = (g_animation.soundStarted && !g_animation.soundPlaying) || g_animation.displayLength <= 0;
    LeaveCriticalSection(&g_animation.lock);
    return done;
}

AnimationState CurrentAnimation() {
    AnimationState state = {g_animation.display,      g_animation.displayLength, g_animation.shown,
                            g_animation.drawArea,     g_animation.period,        g_animation.step,
                            g_animation.soundPlaying, g_animation.timer != 0};
    return state;
}
