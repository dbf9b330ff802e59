// Fuzz target for the values of both programs' settings files and of the skin files:
// integers, lists of numbers ("x,y", "l,t,r,b"), hexadecimal colours, and what the
// programs make of them at once (the digit range, the typing speed, the message
// text area). The input is one value text, read every way a value is read.
#include "FuzzSupport.h"

#include "DigitLayout.h"
#include "ProfileValues.h"
#include "TextLayout.h"

namespace {

const char* SkipBlanks(const char* p) {
    while (*p == ' ' || *p == '\t')
        p++;
    return p;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The number written at p (a sign, then digits) held within 32 bits; 0 without
// digits. Leading zeros are dropped and at most 11 digits kept, so no arithmetic here
// can overflow. *end is set behind the digits.
int32_t ExpectedNumber(const char* p, const char** end) {
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    while (*p == '0')
        p++;
    int64_t value = 0;
    for (int digits = 0; IsDigit(*p); p++, digits++) {
        if (digits < 11)
            value = value * 10 + (*p - '0');
    }
    if (end)
        *end = p;
    if (negative)
        return value >= (int64_t)INT32_MAX + 1 ? INT32_MIN : (int32_t)-value;
    return value > INT32_MAX ? INT32_MAX : (int32_t)value;
}

// The numbers of "n,n,...", each after optional blanks; stops at the first that
// is not there.
int ExpectedFields(const char* text, int32_t* fields, int count) {
    const char* p = text;
    for (int i = 0; i < count; i++) {
        if (i > 0) {
            if (*p != ',')
                return i;
            p++;
        }
        p = SkipBlanks(p);
        const char* digits = p + (*p == '+' || *p == '-');
        if (!IsDigit(*digits))
            return i;
        fields[i] = ExpectedNumber(p, &p);
    }
    return count;
}

void CheckIntegers(const char* text) {
    const int32_t read = ReadInteger(text);
    Require(read == ExpectedNumber(SkipBlanks(text), nullptr), "ReadInteger differs from the number written");

    // Written back in decimal, the number reads as itself.
    char written[16];
    snprintf(written, sizeof(written), "%d", (int)read);
    char* exact = ExactText(written, strlen(written));
    Require(ReadInteger(exact) == read, "an integer written back does not read as itself");
    free(exact);
}

void CheckFields(const char* text, int32_t seed) {
    for (int count = 1; count <= 4; count++) {
        int32_t fields[5], expected[5];
        for (int i = 0; i < 5; i++)
            fields[i] = expected[i] = seed ^ (i * 0x01010101);
        const int read = ReadFields(text, fields, count);
        const int wanted = ExpectedFields(text, expected, count);
        Require(read == wanted, "ReadFields read a different number of fields");
        for (int i = 0; i < 5; i++)
            Require(fields[i] == expected[i],
                    "ReadFields changed a field it should not or read a wrong value");

        // The fields read, written back as "a,b,...", read back the same.
        char written[64] = "";
        for (int i = 0; i < read; i++)
            snprintf(written + strlen(written), sizeof(written) - strlen(written), "%s%d", i ? "," : "",
                     (int)fields[i]);
        char* exact = ExactText(written, strlen(written));
        int32_t again[4] = {0, 0, 0, 0};
        Require(ReadFields(exact, again, count) == read, "fields written back read a different count");
        for (int i = 0; i < read; i++)
            Require(again[i] == fields[i], "a field written back does not read as itself");
        free(exact);
    }

    int32_t x = seed, y = ~seed;
    int32_t pair[2] = {seed, ~seed};
    Require(ReadPair(text, &x, &y) == ReadFields(text, pair, 2),
            "ReadPair and ReadFields disagree on the count");
    Require(x == pair[0] && y == pair[1], "ReadPair and ReadFields disagree on the values");
}

void CheckColour(const char* text, uint32_t seed) {
    uint32_t color = seed;
    const int read = ReadHexColorInto(text, &color);
    const char* p = SkipBlanks(text);
    Require(read == (IsHexDigit(*p) ? 1 : 0),
            "a colour is read exactly when the text starts with a hex digit");
    if (!read) {
        Require(color == seed, "a colour that was not read changed the one kept");
        Require(ReadHexColor(text) == 0, "ReadHexColor of no colour is not 0");
        return;
    }
    Require(color <= 0xFFFFFF, "a colour of six hex digits has high bits");
    Require(ReadHexColor(text) == color, "ReadHexColor and ReadHexColorInto disagree");
    if (!(p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))) {
        // Without a 0x prefix ("%6X" takes one), the value is that of the leading
        // hex digits, at most six.
        uint32_t expected = 0;
        for (int i = 0; i < 6 && IsHexDigit(p[i]); i++)
            expected = expected * 16 + uint32_t(IsDigit(p[i]) ? p[i] - '0' : (p[i] | 0x20) - 'a' + 10);
        Require(color == expected, "a colour differs from its hex digits");
    }
}

// FirstDigit and LastDigit as the clock reads them from its settings file.
void CheckDigitRange(const char* text) {
    int32_t pair[2] = {4, 9};
    ReadFields(text, pair, 2);
    int32_t first = pair[0], last = pair[1];
    ClampDigitRange(&first, &last);
    Require(0 <= first && first <= last && last < DIGIT_SLOTS, "the digit range is not within 0..11");
    if (pair[0] >= 0 && pair[0] <= pair[1] && pair[1] < DIGIT_SLOTS)
        Require(first == pair[0] && last == pair[1], "a valid digit range was changed");
}

void CheckTypingSpeed(const char* text) {
    const int32_t cps = ReadInteger(text);
    uint32_t period = 0;
    int32_t step = 0;
    AnimationTiming(cps, &period, &step);
    Require(period >= 20 && period <= 1000 && step >= 1, "typing timer period or step out of range");
    if (cps >= 1 && cps <= 50)
        Require(period == 1000 / (uint32_t)cps && step == 1, "a slow speed does not tick once per character");
    else if (cps > 50)
        Require(period == 40 && step == cps / 25, "a fast speed does not type cps / 25 characters per tick");
    else
        Require(period == 40 && step == 1, "no speed does not type 25 characters a second");
}

// TextArea as the message program reads it, limited to a client area from the same
// text's later fields (or the picture's usual size).
void CheckTextArea(const char* text) {
    int32_t fields[8] = {15, 12, 410, 132, 0, 0, 425, 145};
    ReadFields(text, fields, 8);
    AreaRect area = {fields[0], fields[1], fields[2], fields[3]};
    AreaRect client = {fields[4], fields[5], fields[6], fields[7]};
    const AreaRect read = area;
    LimitTextArea(&area, &client);
    Require(area.left == (read.left < client.left ? client.left : read.left) &&
                area.top == (read.top < client.top ? client.top : read.top) &&
                area.right == (read.right > client.right ? client.right : read.right) &&
                area.bottom == (read.bottom > client.bottom ? client.bottom : read.bottom),
            "the text area's edges are not limited to the client's");
    const AreaRect drawn = DrawingArea(&area, &client);
    if (client.left < client.right && client.top < client.bottom) {
        Require(drawn.left < drawn.right && drawn.top < drawn.bottom, "the text is drawn in an empty area");
        Require(drawn.left >= client.left && drawn.top >= client.top && drawn.right <= client.right &&
                    drawn.bottom <= client.bottom,
                "the text is drawn outside the client area");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input = {data, size};
    char* text = input.Text(0);
    uint32_t seed = 0x9E3779B9u;
    for (size_t i = 0; i < size; i++)
        seed = (seed ^ data[i]) * 16777619u;
    CheckIntegers(text);
    CheckFields(text, (int32_t)seed);
    CheckColour(text, seed);
    CheckDigitRange(text);
    CheckTypingSpeed(text);
    CheckTextArea(text);
    free(text);
    return 0;
}
