// The DirectDraw face: background and digits blitted straight to the screen.
#ifndef VANTEL_DISPLAY_H
#define VANTEL_DISPLAY_H

#include <windows.h>
#include <ddraw.h>

#include "DigitLayout.h"

// Sets up DirectDraw, loads both bitmaps and sizes the window. 1, or 0 after a message.
int InitDisplay(HWND window);

// Releases the display objects, then shows the text in a warning box. Always 0.
int ReportDisplayError(HWND owner, const char* text);

// Releases every display object; may run twice.
void ReleaseDisplay();

// Restores lost surfaces and reloads their bitmaps. 0 or the first DirectDraw error.
HRESULT RestoreSurfaces();

// Loads the appearance's bitmaps into new surfaces and, only once both have loaded,
// puts them in place of the current ones and keys the new digits. 0 after a warning
// box: the face keeps the surfaces it had. No tick may be drawing.
int ReplaceFaceSurfaces(HWND window);

// Sizes the window to the background and the slots to the digit cells. 1, or 0.
int FitWindowToBackground(HWND window);

void BuildDigitCells(DWORD digitsWidth, DWORD digitsHeight);
void ClampDigitSlots();

// Puts the background on the screen; every digit is drawn again at the next tick.
void RepaintFace();

// Wipes the slot with the background, then draws the cell's digit over it.
void DrawDigit(const RECT* slot, const RECT* cell);

// Waits for the vertical blank, then draws the shown slots first .. last whose digit
// differs from the one drawn last (all of them after a repaint).
void DrawChangedDigits(const WORD digits[DIGIT_SLOTS], int first, int last);

// Draws zeros into the shown slots, leaving the record of drawn digits as it was.
void DrawZeroDigits(int first, int last);

// Keys the digits with the colour; no tick may be drawing.
void SetDigitsColorKey(COLORREF color);

// 1 while the display's objects exist: a clock ended under a dialog has none.
int FaceReady();

IDirectDrawSurface3* BackgroundSurface();
DWORD BackgroundWidth();
DWORD BackgroundHeight();
DWORD DigitsWidth();
DWORD DigitsHeight();

#endif
