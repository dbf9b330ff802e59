#include "SkinNames.h"
#include "DigitLayout.h"

#include <cstdio>
#include <cstring>

void SanitizeSkinName(const char* name, char* stem, int size) {
    if (size <= 0)
        return;
    int i = 0;
    for (; name[i] && i < size - 1; i++) {
        unsigned char c = (unsigned char)name[i];
        stem[i] = (c < 32 || c == 127 || strchr("\\/:*?\"<>|", c)) ? '_' : (char)c;
    }
    stem[i] = '\0';
}

static int SameLetters(const char* a, const char* b, int length) {
    for (int i = 0; i < length; i++) {
        char c = a[i];
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
        if (c != b[i])
            return 0;
    }
    return 1;
}

int IsReservedStem(const char* stem) {
    // Windows looks at the part before the first dot, without trailing blanks.
    int length = 0;
    while (stem[length] && stem[length] != '.')
        length++;
    while (length > 0 && stem[length - 1] == ' ')
        length--;
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    if (length == 3) {
        for (const char* device : kDevices)
            if (SameLetters(stem, device, 3))
                return 1;
    }
    if (length == 4 && (SameLetters(stem, "COM", 3) || SameLetters(stem, "LPT", 3)))
        return stem[3] >= '1' && stem[3] <= '9';
    return 0;
}

int BuildSkinPath(char* path, int size, const char* directory, const char* stem, const char* suffix) {
    int length = snprintf(path, size, "%s\\skins\\%s%s", directory, stem, suffix);
    if (length < 0 || length >= size) {
        if (size > 0)
            path[0] = '\0';
        return 0;
    }
    return 1;
}

void ClampSkinRange(int32_t* first, int32_t* last) {
    if (*first < 0)
        *first = 0;
    if (*first > DIGIT_SLOTS - 1)
        *first = DIGIT_SLOTS - 1;
    if (*last < 0)
        *last = 0;
    if (*last > DIGIT_SLOTS - 1)
        *last = DIGIT_SLOTS - 1;
    if (*first > *last) {
        int32_t swap = *first;
        *first = *last;
        *last = swap;
    }
}
