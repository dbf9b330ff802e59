// The typing animation: the message prepared for its text area, and the periodic
// tick that types it out while the message sound loops.
#ifndef VANTEL_ANIMATION_H
#define VANTEL_ANIMATION_H

#include <windows.h>

// Makes the text font, limits the text area to the window, prepares the display
// text from the message as read (break markers, or wrapping), and sets the speed.
// Typing starts again from the first character. Only while no timer runs.
void PrepareMessageText(HWND window);

// Starts the animation timer. On failure reports it with ReportSetupError and
// returns 0 (the caller decides what becomes of the window).
int StartAnimationTimer(HWND window);

// Kills the animation timer; a tick under way has ended when this returns.
void StopAnimationTimer();

// Replaces the text font while the timer may run; the old font is deleted.
void ReplaceTextFont(HFONT font);

// Deletes the text font (the timer must not run).
void DeleteTextFont();

// Posted by the tick once the text is complete and its sound has stopped.
enum { WM_ANIMATION_DONE = WM_APP + 1 };

// Stops the timer of a complete text, unless typing has started again since.
void RestAnimation();

// Draws the typed text again, after the background covered it: at the next tick
// while the timer runs, at once when it rests.
void RedrawMessageText();

// 1 once the tick will not touch the message sound again: its loop has been stopped
// at the end of the text, or there is nothing to type. The sound may then go.
int MessageSoundDone();

// Turns blanks of `text` into line feeds so that each line fits the width of `area`
// in the current text font, measured on the window. Returns the line feeds inserted.
int WrapToWidth(HWND window, char* text, const RECT* area);

// What the tick types: the display text, its length, how much is shown, the area
// it is drawn in, the tick's period and step, and whether it ticks. For tests.
struct AnimationState {
    const char* displayText;
    int displayLength;
    int shownCount;
    RECT drawArea;
    UINT period;
    int step;
    int soundPlaying;
    int ticking; // 1 while the timer runs
};
AnimationState CurrentAnimation();

#endif
