// Fuzz target for what a skin file and the skin dialogs hand the clock: the skin name
// made a file name, reserved device names, the skin's paths, its digit range and slot
// positions, the slots moved inside the background, and the Digits dialog's slot
// clicks, centring, distributing and spacings.
// Input: "Key=value" lines as in a skin file. Keys: SkinName, Directory, Suffix,
// StemSize, PathSize, Digit1 .. Digit12 ("x,y"), FirstDigit, LastDigit, DigitsSize and
// BackgroundSize ("width,height" of the bitmaps), Clicks (digits of slots clicked, in
// base 12: 0-9, a, b), Spaces ("left,digit space,unit space").
#include "FuzzSupport.h"

#include "DigitLayout.h"
#include "DigitPlacement.h"
#include "ProfileValues.h"
#include "SkinNames.h"

namespace {

const char* const kKeys[] = {"SkinName",       "Directory",  "Suffix",    "StemSize",
                             "PathSize",       "FirstDigit", "LastDigit", "DigitsSize",
                             "BackgroundSize", "Clicks",     "Spaces"};
enum {
    NAME,
    DIRECTORY,
    SUFFIX,
    STEM_SIZE,
    PATH_SIZE,
    FIRST,
    LAST,
    DIGITS_SIZE,
    BACKGROUND_SIZE,
    CLICKS,
    SPACES,
    KEYS
};

// The values of one input, each in a buffer of exactly its size.
struct SkinInput {
    char* values[KEYS];
    char* digits[DIGIT_SLOTS];
};

char* Keep(char* kept, const char* value, size_t length) {
    free(kept);
    return ExactText(value, length);
}

void ReadSkinInput(const uint8_t* data, size_t size, SkinInput* skin) {
    for (char*& value : skin->values)
        value = ExactText("", 0);
    for (char*& value : skin->digits)
        value = ExactText("", 0);
    const char* text = reinterpret_cast<const char*>(data);
    size_t at = 0;
    while (at < size) {
        size_t end = at;
        while (end < size && data[end] != '\n')
            end++;
        const char* line = text + at;
        const size_t length = end - at;
        const char* equals = static_cast<const char*>(memchr(line, '=', length));
        if (equals) {
            const size_t keyLength = size_t(equals - line);
            const char* value = equals + 1;
            const size_t valueLength = length - keyLength - 1;
            for (int k = 0; k < KEYS; k++)
                if (strlen(kKeys[k]) == keyLength && memcmp(line, kKeys[k], keyLength) == 0)
                    skin->values[k] = Keep(skin->values[k], value, strnlen(value, valueLength));
            for (int n = 1; n <= DIGIT_SLOTS; n++) {
                char key[16];
                snprintf(key, sizeof(key), "Digit%d", n);
                if (strlen(key) == keyLength && memcmp(line, key, keyLength) == 0)
                    skin->digits[n - 1] = Keep(skin->digits[n - 1], value, strnlen(value, valueLength));
            }
        }
        at = end + 1;
    }
}

void FreeSkinInput(SkinInput* skin) {
    for (char* value : skin->values)
        free(value);
    for (char* value : skin->digits)
        free(value);
}

int32_t IntegerOr(const char* text, int32_t fallback) {
    int32_t value = fallback;
    ReadFields(text, &value, 1);
    return value;
}

bool IsRefused(unsigned char c) {
    return c < 32 || c == 127 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' ||
           c == '<' || c == '>' || c == '|';
}

void CheckSanitize(const char* name, int size, char* stem, int stemSize) {
    char* small = static_cast<char*>(malloc(size));
    SanitizeSkinName(name, small, size);
    const size_t length = strlen(name);
    const size_t kept = length < size_t(size - 1) ? length : size_t(size - 1);
    Require(strlen(small) == kept, "a sanitized name is not the name cut to fit");
    for (size_t i = 0; i < kept; i++) {
        const unsigned char c = (unsigned char)small[i];
        Require(!IsRefused(c), "a sanitized name holds a refused or control character");
        Require(c == (unsigned char)name[i] || (c == '_' && IsRefused((unsigned char)name[i])),
                "a sanitized name changed a character that was allowed");
    }
    free(small);
    SanitizeSkinName(name, stem, stemSize);
}

// Windows' devices: the part before the first dot, without trailing blanks, in any case.
bool ExpectedReserved(const char* stem) {
    size_t length = strcspn(stem, ".");
    while (length > 0 && stem[length - 1] == ' ')
        length--;
    char upper[5] = "";
    if (length < 3 || length > 4)
        return false;
    for (size_t i = 0; i < length; i++)
        upper[i] = (stem[i] >= 'a' && stem[i] <= 'z') ? char(stem[i] - 32) : stem[i];
    upper[length] = '\0';
    const char* const devices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* device : devices)
        if (strcmp(upper, device) == 0)
            return true;
    return length == 4 && (memcmp(upper, "COM", 3) == 0 || memcmp(upper, "LPT", 3) == 0) && upper[3] >= '1' &&
           upper[3] <= '9';
}

void CheckPath(const char* directory, const char* stem, const char* suffix, int size) {
    char* path = static_cast<char*>(malloc(size ? size : 1));
    const int built = BuildSkinPath(path, size, directory, stem, suffix);
    const size_t whole = strlen(directory) + strlen("\\skins\\") + strlen(stem) + strlen(suffix);
    Require(built == (whole < (size_t)size ? 1 : 0), "a skin path refused though it fits, or cut");
    if (built) {
        char* expected = static_cast<char*>(malloc(whole + 1));
        snprintf(expected, whole + 1, "%s\\skins\\%s%s", directory, stem, suffix);
        Require(strcmp(path, expected) == 0, "a skin path other than directory\\skins\\stem suffix");
        free(expected);
    } else if (size > 0) {
        Require(path[0] == '\0', "a refused skin path is not empty");
    }
    free(path);
}

void CheckRanges(int32_t first, int32_t last) {
    int32_t f = first, l = last;
    ClampSkinRange(&f, &l);
    Require(0 <= f && f <= l && l < DIGIT_SLOTS, "a skin's range is not within 0..11");
    if (first >= 0 && last >= 0 && first < DIGIT_SLOTS && last < DIGIT_SLOTS)
        Require(f == (first < last ? first : last) && l == (first < last ? last : first),
                "a skin's range inside 0..11 was changed other than turned round");
    f = first, l = last;
    ClampDigitRange(&f, &l);
    Require(0 <= f && f <= l && l < DIGIT_SLOTS, "the settings' range is not within 0..11");
    if (first >= 0 && first <= last && last < DIGIT_SLOTS)
        Require(f == first && l == last, "a valid range from the settings was changed");
}

// Bitmap dimensions: a surface's are far below 2^31.
uint32_t Dimension(int32_t value) {
    return uint32_t(value) & 0x7FFFFFFF;
}

void CheckCells(uint32_t digitsWidth, uint32_t digitsHeight) {
    SlotRect cells[DIGIT_CELLS];
    BuildCellRects(cells, digitsWidth, digitsHeight);
    const int64_t w = digitsWidth / 10;
    for (int k = 0; k < DIGIT_CELLS; k++) {
        Require(cells[k].left == k * w && cells[k].right == (k + 1) * w,
                "a digit cell is not the k-th tenth");
        Require(cells[k].top == 0 && cells[k].bottom == (int64_t)digitsHeight, "a digit cell's height");
    }
}

void CheckSlots(SlotRect slots[DIGIT_SLOTS], int32_t first, int32_t last, uint32_t cellWidth,
                uint32_t digitsHeight, uint32_t backgroundWidth, uint32_t backgroundHeight) {
    SizeSlots(slots, cellWidth, digitsHeight);
    for (int i = 0; i < DIGIT_SLOTS; i++) {
        const int64_t right = (int64_t)slots[i].left + cellWidth,
                      bottom = (int64_t)slots[i].top + digitsHeight;
        Require(slots[i].right == (right > INT32_MAX ? INT32_MAX : right) &&
                    slots[i].bottom == (bottom > INT32_MAX ? INT32_MAX : bottom),
                "a slot is not sized to a cell, or its edge passes 32 bits");
    }

    SlotRect before[DIGIT_SLOTS];
    memcpy(before, slots, sizeof(before));
    ClampSlots(slots, first, last, cellWidth, digitsHeight, backgroundWidth, backgroundHeight);
    const int from = first < 0 ? 0 : first, to = last > DIGIT_SLOTS - 1 ? DIGIT_SLOTS - 1 : last;
    for (int i = 0; i < DIGIT_SLOTS; i++) {
        const SlotRect& s = slots[i];
        if (i < from || i > to) {
            Require(memcmp(&s, &before[i], sizeof(s)) == 0, "a slot outside the range was moved");
            continue;
        }
        Require((int64_t)s.right - s.left == cellWidth && (int64_t)s.bottom - s.top == digitsHeight,
                "a clamped slot is not a cell's size");
        if (cellWidth <= backgroundWidth)
            Require(s.left >= 0 && s.right <= (int64_t)backgroundWidth,
                    "a slot that fits lies outside the background");
        else
            Require(s.left == (int64_t)backgroundWidth - cellWidth,
                    "a slot wider than the background is misplaced");
        if (digitsHeight <= backgroundHeight)
            Require(s.top >= 0 && s.bottom <= (int64_t)backgroundHeight,
                    "a slot that fits lies outside the background");
        else
            Require(s.top == (int64_t)backgroundHeight - digitsHeight,
                    "a slot taller than the background is misplaced");
        if (before[i].left >= 0 && (int64_t)before[i].left + cellWidth <= backgroundWidth)
            Require(s.left == before[i].left, "a slot inside the background was moved");
    }
}

bool OneRun(const int shown[DIGIT_SLOTS]) {
    int32_t first = 0, last = 0;
    if (!ShownRange(shown, &first, &last))
        return false;
    for (int i = 0; i < DIGIT_SLOTS; i++)
        if (shown[i] != (i >= first && i <= last ? 1 : 0))
            return false;
    return true;
}

void CheckClicks(const char* clicks, int32_t first, int32_t last) {
    int shown[DIGIT_SLOTS];
    for (int i = 0; i < DIGIT_SLOTS; i++)
        shown[i] = i >= first && i <= last;
    for (const char* c = clicks; *c; c++) {
        const int k = ((unsigned char)*c) % DIGIT_SLOTS;
        int before[DIGIT_SLOTS];
        memcpy(before, shown, sizeof(before));
        const int changed = ClickSlot(shown, k);
        int32_t f = -1, l = -1;
        Require(ShownRange(before, &f, &l) == 1, "the shown slots became none");
        const bool only = f == k && l == k;
        Require(changed == (only ? 0 : 1), "a click refused other than on the only shown slot");
        if (!changed)
            Require(memcmp(before, shown, sizeof(before)) == 0, "a refused click changed the slots");
        else
            Require(shown[k] != before[k], "a click did not toggle its slot");
        Require(OneRun(shown), "the shown slots are not one run");
    }
}

bool StartsTimeUnit(int slot) {
    return slot == 4 || slot == 6 || slot == 8 || slot == 10;
}

int32_t Saturated(int64_t value) {
    return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : (int32_t)value;
}

void CheckArranging(const SlotRect slots[DIGIT_SLOTS], int first, int last, uint32_t cellWidth,
                    uint32_t digitsHeight, uint32_t backgroundWidth, uint32_t backgroundHeight,
                    const char* spaces) {
    int32_t lefts[DIGIT_SLOTS];
    for (int32_t& left : lefts)
        left = 0x7BAD;
    int32_t top = 0x7BAD;
    CenterDigits(lefts, &top, first, last, cellWidth, digitsHeight, backgroundWidth, backgroundHeight);
    const int64_t half = cellWidth / 2;
    int64_t total = 0;
    for (int i = first; i <= last; i++)
        total += cellWidth + (i != first && StartsTimeUnit(i) ? half : 0);
    for (int i = 0; i < DIGIT_SLOTS; i++)
        if (i < first || i > last)
            Require(lefts[i] == 0x7BAD, "centring moved a slot outside the range");
    Require(lefts[first] >= 0, "a centred first slot left of the background");
    if (total <= backgroundWidth) {
        const int64_t before = lefts[first],
                      after = (int64_t)backgroundWidth - (lefts[last] + (int64_t)cellWidth);
        Require(after >= 0 && before - after >= -1 && before - after <= 1, "the digits are not centred");
    }
    for (int i = first + 1; i <= last; i++) {
        const int64_t step = cellWidth + (StartsTimeUnit(i) ? half : 0);
        Require(lefts[i] == Saturated((int64_t)lefts[i - 1] + step) || lefts[i - 1] == INT32_MAX,
                "centred slots are not a cell apart, with half a cell before a time unit");
    }
    if (backgroundHeight > digitsHeight)
        Require(top == (int32_t)((backgroundHeight - digitsHeight) / 2),
                "the digits are not centred upright");
    else
        Require(top == 0, "digits taller than the background are not at its top");

    int32_t values[3] = {0, 0, 0};
    ReadFields(spaces, values, 3);
    DistributeDigits(lefts, values[0], values[1], values[2], first, last, cellWidth);
    int64_t p = values[0];
    for (int i = first; i <= last; i++) {
        p += values[1] + (i != first && StartsTimeUnit(i) ? (int64_t)values[2] : 0);
        Require(lefts[i] == Saturated(p + (int64_t)(i - first) * cellWidth),
                "a distributed slot is misplaced");
    }

    int32_t digitSpace = -1, unitSpace = -1;
    InitialSpacings(slots, first, last, &digitSpace, &unitSpace);
    int32_t expected[2] = {0, 0};
    for (int i = first + 1; i <= last; i++) {
        const int64_t gap = (int64_t)slots[i].left - slots[i - 1].right;
        int32_t& space = expected[StartsTimeUnit(i) ? 1 : 0];
        if (gap > 0 && space == 0)
            space = gap > INT32_MAX ? INT32_MAX : (int32_t)gap;
    }
    Require(digitSpace == expected[0] && unitSpace == expected[1],
            "spacings other than the first positive gaps");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SkinInput skin;
    ReadSkinInput(data, size, &skin);

    int32_t stemSize = IntegerOr(skin.values[STEM_SIZE], SKIN_NAME_SIZE);
    stemSize = 1 + int32_t((uint32_t(stemSize) - 1u) % SKIN_NAME_SIZE);
    char stem[SKIN_NAME_SIZE];
    CheckSanitize(skin.values[NAME], stemSize, stem, sizeof(stem));
    Require(IsReservedStem(stem) == ExpectedReserved(stem), "a device name taken for a file, or the reverse");
    Require(IsReservedStem(skin.values[NAME]) == ExpectedReserved(skin.values[NAME]),
            "a device name taken for a file, or the reverse");
    const int32_t pathSize = int32_t(uint32_t(IntegerOr(skin.values[PATH_SIZE], SKIN_PATH_SIZE)) % 400);
    CheckPath(skin.values[DIRECTORY], stem, skin.values[SUFFIX], pathSize);
    CheckPath(skin.values[DIRECTORY], skin.values[NAME], skin.values[SUFFIX], SKIN_PATH_SIZE);

    const int32_t first = ReadInteger(skin.values[FIRST]), last = ReadInteger(skin.values[LAST]);
    CheckRanges(first, last);

    // As the clock reads a skin: a slot whose value is not two numbers keeps its place.
    SlotRect slots[DIGIT_SLOTS];
    memset(slots, 0, sizeof(slots));
    for (int i = 0; i < DIGIT_SLOTS; i++) {
        int32_t fields[2];
        if (ReadFields(skin.digits[i], fields, 2) == 2) {
            slots[i].left = fields[0];
            slots[i].top = fields[1];
        }
    }
    int32_t digitsSize[2] = {200, 30}, backgroundSize[2] = {300, 100};
    ReadFields(skin.values[DIGITS_SIZE], digitsSize, 2);
    ReadFields(skin.values[BACKGROUND_SIZE], backgroundSize, 2);
    const uint32_t digitsWidth = Dimension(digitsSize[0]), digitsHeight = Dimension(digitsSize[1]);
    const uint32_t backgroundWidth = Dimension(backgroundSize[0]),
                   backgroundHeight = Dimension(backgroundSize[1]);
    CheckCells(digitsWidth, digitsHeight);

    int32_t shownFirst = first, shownLast = last;
    ClampDigitRange(&shownFirst, &shownLast);
    SlotRect raw[DIGIT_SLOTS];
    memcpy(raw, slots, sizeof(raw));
    CheckSlots(raw, first, last, digitsWidth / 10, digitsHeight, backgroundWidth, backgroundHeight);
    CheckSlots(slots, shownFirst, shownLast, digitsWidth / 10, digitsHeight, backgroundWidth,
               backgroundHeight);
    CheckClicks(skin.values[CLICKS], shownFirst, shownLast);
    CheckArranging(slots, shownFirst, shownLast, digitsWidth / 10, digitsHeight, backgroundWidth,
                   backgroundHeight, skin.values[SPACES]);

    FreeSkinInput(&skin);
    return 0;
}
