// Skin names, their file names in the skins folder, and the range of a skin's
// digit slots. No Windows header: the native tests check the rules directly.
#ifndef VANTEL_SKINNAMES_H
#define VANTEL_SKINNAMES_H

#include <cstdint>

enum {
    SKIN_NAME_SIZE = 254, // a skin name as typed, with its terminator
    SKIN_PATH_SIZE = 260, // every path of a skin, with its terminator
};

// Copies the name into `stem` (of `size` bytes, cut to fit) with each of
// \ / : * ? " < > | and every control character replaced by "_".
void SanitizeSkinName(const char* name, char* stem, int size);

// 1 when Windows takes the stem as a device rather than a file: CON, PRN, AUX,
// NUL, COM1-COM9 or LPT1-LPT9 in any case, also before a dot or trailing blanks
// ("nul.x", "con ").
int IsReservedStem(const char* stem);

// "<directory>\skins\<stem><suffix>" into `path`; 0 (and an empty path) when the
// result would not fit in `size` bytes.
int BuildSkinPath(char* path, int size, const char* directory, const char* stem, const char* suffix);

// Takes a skin's FirstDigit and LastDigit into the shown range: each is held
// within 0..11, and a range given backwards is turned round. One slot (first
// equal to last) is a range of its own.
void ClampSkinRange(int32_t* first, int32_t* last);

#endif
