#include "SettingsValues.h"

#include <cstdio>

int32_t ReadInteger(const char* text) {
    if (!text)
        return 0;
    while (*text == ' ' || *text == '\t')
        text++;
    int negative = 0;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; text++) {
        value = value * 10 + (*text - '0');
        if (value > (int64_t)INT32_MAX + 1)
            value = (int64_t)INT32_MAX + 1;
    }
    if (negative)
        return (int32_t)(-value);
    return value > INT32_MAX ? INT32_MAX : (int32_t)value;
}

int ReadPair(const char* text, int32_t* x, int32_t* y) {
    if (!text)
        return 0;
    // Both numbers go through ReadInteger's saturation rather than sscanf, whose
    // result for out-of-range numbers is undefined.
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        p++;
    const char* digits = p + (*p == '+' || *p == '-');
    if (*digits < '0' || *digits > '9')
        return 0;
    *x = ReadInteger(p);
    p = digits;
    while (*p >= '0' && *p <= '9')
        p++;
    if (*p != ',')
        return 1;
    p++;
    while (*p == ' ' || *p == '\t')
        p++;
    digits = p + (*p == '+' || *p == '-');
    if (*digits < '0' || *digits > '9')
        return 1;
    *y = ReadInteger(p);
    return 2;
}

uint32_t ReadHexColor(const char* text) {
    unsigned int value = 0;
    if (text && sscanf(text, "%6X", &value) != 1)
        value = 0;
    return value;
}

void ClampDigitRange(int32_t* first, int32_t* last) {
    if (*first < 0 || *first > 11)
        *first = 0;
    if (*last < 0 || *last > 11)
        *last = 11;
    if (*first >= *last) {
        *first = 0;
        *last = 11;
    }
}
