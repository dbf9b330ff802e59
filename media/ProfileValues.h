// How the values of both programs' settings files are read. No Windows header.
#ifndef VANTEL_PROFILEVALUES_H
#define VANTEL_PROFILEVALUES_H

#include <cstdint>

// A decimal integer from the text's leading sign and digits; 0 when the text does
// not begin with a number. Values beyond 32 bits saturate.
int32_t ReadInteger(const char* text);

// Decimal numbers separated by commas ("%d,%d", "%d,%d,%d,%d"), read from the
// left; at the first that cannot be read, it and all later fields keep their
// values. Returns how many were read.
int ReadFields(const char* text, int32_t* fields, int count);

// Two fields: x, y.
int ReadPair(const char* text, int32_t* x, int32_t* y);

// Up to six hexadecimal digits ("%6X") into *color; 0 (and *color unchanged) when
// the text does not start with one.
int ReadHexColorInto(const char* text, uint32_t* color);

// The same, with 0 for a text without hexadecimal digits.
uint32_t ReadHexColor(const char* text);

#endif
