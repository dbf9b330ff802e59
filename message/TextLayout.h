// How a message is laid out and typed: break markers, wrapping with a measuring
// function, the display text and the typing speed. No Windows header here: the
// message window hands in a GDI measurement, the native tests a plain one.
#ifndef VANTEL_TEXTLAYOUT_H
#define VANTEL_TEXTLAYOUT_H

#include <cstdint>

enum {
    DISPLAY_TEXT_SIZE = 544, // date line, a line feed and the message, with the terminator
};

// Replaces every `searched` in the zero-terminated `text` (a buffer of `size` bytes)
// by `replacement`, testing positions from the left and resuming one character after
// the start of each replacement. A replacement that would not fit the buffer is not
// made. Returns the number of replacements.
int ReplaceAll(char* text, int size, const char* searched, const char* replacement);

// How many leading characters of `text` (`count` of them) fit into `width` pixels;
// the answer of a text measurement such as GetTextExtentExPoint.
typedef int (*FitFunction)(void* context, const char* text, int count, int width);

// Turns blanks into line feeds so that each line fits `width` as `fit` measures it:
// a line breaks at the last blank that fits; a line whose first word does not fit
// ends the wrapping, and every later blank becomes a line feed. Returns the number
// of line feeds inserted.
int WrapText(char* text, int width, FitFunction fit, void* context);

// The text the window types: "<date>\n<message>" when the date is shown, else the
// message alone, cut to the buffer of `size` bytes. Returns its length.
int ComposeDisplayText(char* display, int size, const char* dateLine, const char* message, int showDate);

// Timer period (milliseconds) and characters added per tick for a typing speed:
// 1 to 50 characters a second tick every 1000/cps ms with one character; faster
// speeds tick every 40 ms with cps/25 characters; 0 or below types 25 a second.
void AnimationTiming(int32_t charactersPerSecond, uint32_t* period, int32_t* step);

// An area in pixels; right and bottom exclusive.
struct AreaRect {
    int32_t left, top, right, bottom;
};

// Limits the text area to the client area: each edge beyond the client's is moved
// onto it (left is not compared with right, nor top with bottom).
void LimitTextArea(AreaRect* area, const AreaRect* client);

// Where the text is wrapped and drawn: the area, or the whole client area when the
// area holds no pixel (right not beyond left, or bottom not below top).
AreaRect DrawingArea(const AreaRect* area, const AreaRect* client);

#endif
