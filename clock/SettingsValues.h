// How the values of the settings files are read. No Windows header.
#ifndef VANTEL_SETTINGSVALUES_H
#define VANTEL_SETTINGSVALUES_H

#include <cstdint>

// A decimal integer from the text's leading sign and digits; 0 when the text does
// not begin with a number. Values beyond 32 bits saturate.
int32_t ReadInteger(const char* text);

// Two decimal numbers separated by a comma ("%d,%d"). A number that cannot be
// read leaves its variable as it was. Returns how many were read.
int ReadPair(const char* text, int32_t* x, int32_t* y);

// Up to six hexadecimal digits ("%6X"); 0 when there are none.
uint32_t ReadHexColor(const char* text);

// Range rules of the shown slots: first outside 0..11 becomes 0, last outside it
// becomes 11; then, unless first is below last, the whole range 0..11.
void ClampDigitRange(int32_t* first, int32_t* last);

#endif
