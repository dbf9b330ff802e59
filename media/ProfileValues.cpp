#include "ProfileValues.h"

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

static const char* SkipBlanks(const char* p) {
    while (*p == ' ' || *p == '\t')
        p++;
    return p;
}

int ReadFields(const char* text, int32_t* fields, int count) {
    if (!text)
        return 0;
    // Each number goes through ReadInteger's saturation rather than sscanf, whose
    // result for out-of-range numbers is undefined.
    const char* p = text;
    for (int i = 0; i < count; i++) {
        if (i > 0) {
            if (*p != ',')
                return i;
            p++;
        }
        p = SkipBlanks(p);
        const char* digits = p + (*p == '+' || *p == '-');
        if (*digits < '0' || *digits > '9')
            return i;
        fields[i] = ReadInteger(p);
        p = digits;
        while (*p >= '0' && *p <= '9')
            p++;
    }
    return count;
}

int ReadPair(const char* text, int32_t* x, int32_t* y) {
    int32_t fields[2] = {*x, *y};
    int read = ReadFields(text, fields, 2);
    *x = fields[0];
    *y = fields[1];
    return read;
}

static int IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int ReadHexColorInto(const char* text, uint32_t* color) {
    // "%6X" alone would also take a sign: "-1" would become 0xFFFFFFFF, which is
    // CLR_INVALID rather than a colour.
    if (!text || !IsHexDigit(*SkipBlanks(text)))
        return 0;
    unsigned int value = 0;
    if (sscanf(text, "%6X", &value) != 1)
        return 0;
    *color = value;
    return 1;
}

uint32_t ReadHexColor(const char* text) {
    uint32_t value = 0;
    ReadHexColorInto(text, &value);
    return value;
}
