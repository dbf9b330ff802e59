#include "TextLayout.h"

#include <cstdio>
#include <cstring>

int ReplaceAll(char* text, int size, const char* searched, const char* replacement) {
    int searchedLength = (int)strlen(searched);
    int replacementLength = (int)strlen(replacement);
    int length = (int)strlen(text);
    if (searchedLength == 0)
        return 0;
    int replaced = 0;
    for (int at = 0; at <= length - searchedLength; at++) {
        if (memcmp(text + at, searched, searchedLength) != 0)
            continue;
        int newLength = length - searchedLength + replacementLength;
        if (newLength >= size)
            continue; // the buffer has no room for this one
        // The rest of the text, terminator included, moves to make room.
        memmove(text + at + replacementLength, text + at + searchedLength, length - at - searchedLength + 1);
        memcpy(text + at, replacement, replacementLength);
        length = newLength;
        replaced++;
    }
    return replaced;
}

int WrapText(char* text, int width, FitFunction fit, void* context) {
    int length = (int)strlen(text);
    int start = 0;
    int inserted = 0;
    for (;;) {
        int rest = length - start;
        int fitting = fit(context, text + start, rest, width);
        if (fitting >= rest)
            return inserted;
        if (fitting < 0)
            fitting = 0;

        // The line breaks at the last blank that fits; the line's first character
        // is never taken, so every line holds at least one.
        int broke = 0;
        for (int i = start + fitting - 1; i > start; i--) {
            if (text[i] == ' ') {
                text[i] = '\n';
                inserted++;
                start = i + 1;
                broke = 1;
                break;
            }
        }
        if (broke)
            continue;

        // The line's first word does not fit: every later blank breaks a line.
        if (start + fitting >= length)
            return inserted;
        int last = -1;
        for (int i = start + fitting; i < length; i++) {
            if (text[i] == ' ') {
                text[i] = '\n';
                inserted++;
                last = i;
            }
        }
        if (last < 0)
            return inserted;
        start = last + 1;
    }
}

int ComposeDisplayText(char* display, int size, const char* dateLine, const char* message, int showDate) {
    if (size <= 0)
        return 0;
    int length = showDate ? snprintf(display, size, "%s\n%s", dateLine, message)
                          : snprintf(display, size, "%s", message);
    if (length < 0) {
        display[0] = '\0';
        return 0;
    }
    return length < size ? length : size - 1;
}

void AnimationTiming(int32_t charactersPerSecond, uint32_t* period, int32_t* step) {
    if (charactersPerSecond >= 1 && charactersPerSecond <= 50) {
        *period = 1000 / (uint32_t)charactersPerSecond;
        *step = 1;
    } else if (charactersPerSecond > 50) {
        *period = 40;
        *step = charactersPerSecond / 25;
    } else {
        *period = 40;
        *step = 1;
    }
}

void LimitTextArea(AreaRect* area, const AreaRect* client) {
    if (area->left < client->left)
        area->left = client->left;
    if (area->top < client->top)
        area->top = client->top;
    if (area->right > client->right)
        area->right = client->right;
    if (area->bottom > client->bottom)
        area->bottom = client->bottom;
}

AreaRect DrawingArea(const AreaRect* area, const AreaRect* client) {
    if (area->right > area->left && area->bottom > area->top)
        return *area;
    return *client;
}
