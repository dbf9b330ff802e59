// Fuzz target for the message program's text preparation, as PrepareMessageText runs
// it on the text handed over in vantelmsg.ini: "<br>" markers made line breaks, or
// else line breaks made blanks and the text wrapped with a measuring function; then
// the date line put above it. Also ReplaceAll with other markers in tight buffers.
// Input: a flags byte, two bytes of width (signed), a byte choosing the measured
// character widths, a byte of spare buffer room, the date line up to a line feed,
// then the message.
#include "FuzzSupport.h"

#include "TextLayout.h"

#include <string>

namespace {

enum { MESSAGE_TEXT_SIZE = 512, MESSAGE_DATE_SIZE = 32 }; // as in the message program's settings

// A measurement like GetTextExtentExPoint's: how many leading characters fit, from a
// width per character. A line feed measures as a blank, as the blank it replaces did.
struct Measurer {
    int widths[256];
    const char* begin; // the text being wrapped: every question must lie inside it
    const char* end;
};

int Fit(void* context, const char* text, int count, int width) {
    const Measurer* m = static_cast<const Measurer*>(context);
    Require(count >= 0 && text >= m->begin && text + count <= m->end,
            "the measurer asked about text outside");
    int fit = 0;
    int64_t used = 0;
    for (; fit < count; fit++) {
        used += m->widths[(unsigned char)text[fit]];
        if (used > width)
            break;
    }
    return fit;
}

void SetWidths(Measurer* m, uint8_t seed) {
    for (int c = 0; c < 256; c++)
        m->widths[c] = int((c * 37u + seed * 11u) % 13u); // 0 to 12 pixels, some characters none
    m->widths[(unsigned char)'\n'] = m->widths[(unsigned char)' '];
}

std::string ExpectedReplace(std::string text, int size, const std::string& searched,
                            const std::string& replacement, int* count) {
    *count = 0;
    if (searched.empty())
        return text;
    for (size_t at = 0; at + searched.size() <= text.size(); at++) {
        if (text.compare(at, searched.size(), searched) != 0)
            continue;
        if (text.size() - searched.size() + replacement.size() >= (size_t)size)
            continue;
        text.replace(at, searched.size(), replacement);
        (*count)++;
    }
    return text;
}

// ReplaceAll in a buffer of exactly `size` bytes holding `text`.
void CheckReplace(char* buffer, int size, const char* searched, const char* replacement) {
    const std::string before = buffer;
    int expectedCount = 0;
    const std::string expected = ExpectedReplace(before, size, searched, replacement, &expectedCount);
    const int count = ReplaceAll(buffer, size, searched, replacement);
    Require((int)strlen(buffer) < size, "ReplaceAll left a text longer than its buffer");
    Require(count == expectedCount && expected == buffer, "ReplaceAll replaced other than from the left");
}

// What wrapping `original` must give: at each line, the last blank that fits breaks
// it; when the line's first word does not fit, every later blank breaks.
std::string ExpectedWrap(const std::string& original, int width, Measurer* m) {
    std::string text = original;
    const int length = (int)text.size();
    int start = 0;
    for (;;) {
        const int rest = length - start;
        int fitting = Fit(m, original.c_str() + start, rest, width);
        if (fitting >= rest)
            return text;
        if (fitting < 0)
            fitting = 0;
        int blank = -1;
        for (int i = start + fitting - 1; i > start && blank < 0; i--)
            if (original[i] == ' ')
                blank = i;
        if (blank >= 0) {
            text[blank] = '\n';
            Require(Fit(m, original.c_str() + start, blank - start, width) >= blank - start,
                    "a wrapped line is wider than the width");
            start = blank + 1;
            continue;
        }
        for (int i = start + fitting; i < length; i++)
            if (original[i] == ' ')
                text[i] = '\n';
        return text;
    }
}

void CheckWrap(char* message, int width, Measurer* m) {
    const std::string original = message;
    m->begin = message;
    m->end = message + original.size();
    const int inserted = WrapText(message, width, Fit, m);
    Require(strlen(message) == original.size(), "wrapping changed the text's length");
    int changed = 0;
    for (size_t i = 0; i < original.size(); i++) {
        if (message[i] == original[i])
            continue;
        Require(original[i] == ' ' && message[i] == '\n', "wrapping changed a character other than a blank");
        changed++;
    }
    Require(changed == inserted, "WrapText counted other line feeds than it made");
    m->begin = original.c_str();
    m->end = original.c_str() + original.size();
    Require(ExpectedWrap(original, width, m) == message,
            "a line broken other than at its last blank that fits");
}

void CheckCompose(const char* dateLine, const char* message, int showDate, int size) {
    char* display = static_cast<char*>(malloc(size > 0 ? size : 1));
    const int length = ComposeDisplayText(display, size, dateLine, message, showDate);
    if (size <= 0) {
        Require(length == 0, "a display text in no buffer has a length");
        free(display);
        return;
    }
    const std::string whole = showDate ? std::string(dateLine) + "\n" + message : std::string(message);
    const size_t kept = whole.size() < (size_t)size ? whole.size() : (size_t)size - 1;
    Require(length == (int)kept && whole.compare(0, kept, display) == 0 && strlen(display) == kept,
            "the display text is not the date line and message cut to the buffer");
    free(display);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input = {data, size};
    const uint8_t flags = input.Byte();
    const int width = int16_t(input.Byte() | input.Byte() << 8);
    Measurer measurer;
    SetWidths(&measurer, input.Byte());
    const int room = input.Byte();
    char* dateInput = input.Text('\n');
    char* text = input.Text(0);

    // As the message program holds them: the date line and the text cut to their fields.
    char dateLine[MESSAGE_DATE_SIZE];
    snprintf(dateLine, sizeof(dateLine), "%s", dateInput);
    char* message = static_cast<char*>(malloc(MESSAGE_TEXT_SIZE));
    snprintf(message, MESSAGE_TEXT_SIZE, "%s", text);

    const std::string read = message;
    CheckReplace(message, MESSAGE_TEXT_SIZE, "<br>", "\n");
    if (read == message) {
        CheckReplace(message, MESSAGE_TEXT_SIZE, "\n", " ");
        CheckWrap(message, width, &measurer);
    }
    const int showDate = flags & 1;
    CheckCompose(dateLine, message, showDate, DISPLAY_TEXT_SIZE);
    CheckCompose(dateLine, message, showDate, (flags >> 1) % 40);

    // Other markers, in a buffer with only `room` bytes to spare.
    static const char* const kPairs[][2] = {{"<br>", "\n"}, {"\n", " "},  {"a", "aaa"}, {"<br>", ""},
                                            {"", "x"},      {"ab", "ba"}, {" ", "  "},  {"<br>", "<br><br>"}};
    const int pair = (flags >> 4) % 8;
    const size_t length = strlen(text);
    char* tight = static_cast<char*>(malloc(length + 1 + room));
    memcpy(tight, text, length + 1);
    CheckReplace(tight, (int)(length + 1 + room), kPairs[pair][0], kPairs[pair][1]);

    free(tight);
    free(message);
    free(text);
    free(dateInput);
    return 0;
}
