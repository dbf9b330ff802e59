// Fuzz target for the date texts of the clock's settings file (event dates, the
// countdown date, the last event check) and what is made of them: the six numbers
// read, local time to calendar time through clock changes, the texts written back,
// the recurrence names, the next and the missed occurrence of an event, and the
// countdown's digits; also the Events dialog's texts made single-line.
// Input: one byte choosing the time zone, then lines: the date text, the recurrence
// name, a second date text (the time now), a text of the event.
#include "FuzzSupport.h"

#include "ClockFace.h"
#include "EventFields.h"
#include "EventTable.h"
#include "Recurrence.h"

#include <ctime>

namespace {

// Written as POSIX rules, so no time zone database is needed: no change, summer time
// in both hemispheres, a half-hour change, and the zones furthest from UTC.
const char* const kZones[] = {
    "UTC0",
    "CET-1CEST,M3.5.0,M10.5.0/3",
    "EST5EDT,M3.2.0,M11.1.0",
    "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0",
    "<-12>12",
    "<+14>-14",
};
const int kZoneCount = sizeof(kZones) / sizeof(kZones[0]);
int g_zone = -1;

void UseZone(int zone) {
    if (zone == g_zone)
        return;
    setenv("TZ", kZones[zone], 1);
    tzset();
    g_zone = zone;
}

const int64_t kDay = 86400;

struct tm LocalTm(int64_t instant) {
    time_t t = (time_t)instant;
    struct tm local;
    Require(localtime_r(&t, &local) != nullptr, "the C library has no local time for an instant");
    return local;
}

// Local time of an instant as seconds on a clock that never changes its offset.
int64_t LocalSecondsAt(int64_t instant) {
    struct tm local = LocalTm(instant);
    return (int64_t)timegm(&local);
}

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// "%d-%d-%d %d:%d:%d" read without sscanf: each number after optional white space,
// a sign and digits, kept in 64 bits (at most 12 significant digits, so nothing
// overflows; more count as far out). Returns 1 when all six are there.
int ExpectedDateNumbers(const char* p, int64_t numbers[DATE_FIELDS]) {
    const char separators[DATE_FIELDS] = {'-', '-', ' ', ':', ':', 0};
    for (int i = 0; i < DATE_FIELDS; i++) {
        while (IsSpace(*p))
            p++;
        bool negative = false;
        if (*p == '+' || *p == '-')
            negative = *p++ == '-';
        if (*p < '0' || *p > '9')
            return 0;
        while (*p == '0')
            p++;
        int64_t value = 0;
        for (int digits = 0; *p >= '0' && *p <= '9'; p++, digits++)
            value = digits < 12 ? value * 10 + (*p - '0') : 1000000000000;
        numbers[i] = negative ? -value : value;
        if (separators[i] == ' ') {
            while (IsSpace(*p))
                p++;
        } else if (separators[i]) {
            if (*p != separators[i])
                return 0;
            p++;
        }
    }
    return 1;
}

// The text of an instant in the file form, "" when it has none.
void FileText(CalendarTime time, char text[32]) {
    FormatDateText(time, text, 32, DATE_FILE);
}

void CheckParse(const char* dateText, CalendarTime* parsed) {
    int numbers[DATE_FIELDS];
    int64_t expected[DATE_FIELDS];
    const int read = ReadDateNumbers(dateText, numbers);
    const int wanted = ExpectedDateNumbers(dateText, expected);
    Require(read == wanted, "ReadDateNumbers finds six numbers where there are not, or misses them");
    const CalendarTime time = ParseDateText(dateText);
    *parsed = time;
    if (!wanted) {
        Require(time == -1, "a text without six numbers converts");
        return;
    }
    bool far = false;
    for (int i = 0; i < DATE_FIELDS; i++)
        far = far || expected[i] < -100000 || expected[i] > 100000;
    if (far) {
        // Such a field puts the date far outside 1970 to 3000, whatever
        // the others say.
        Require(time == -1, "a date with a number far out of range converts");
        return;
    }
    for (int i = 0; i < DATE_FIELDS; i++)
        Require(numbers[i] == expected[i], "ReadDateNumbers read a number other than the one written");

    // The local time asked for, on a clock without changes; timegm normalises
    // out-of-range fields as the conversion does.
    struct tm fields;
    memset(&fields, 0, sizeof(fields));
    fields.tm_year = numbers[0] - 1900;
    fields.tm_mon = numbers[1] - 1;
    fields.tm_mday = numbers[2];
    fields.tm_hour = numbers[3];
    fields.tm_min = numbers[4];
    fields.tm_sec = numbers[5];
    const int64_t wantedLocal = (int64_t)timegm(&fields);

    Require(time == CalendarFromFields(numbers), "ParseDateText and CalendarFromFields disagree");
    if (time == -1) {
        // Every zone is within 14 hours of UTC: a day inside the range converts.
        Require(wantedLocal < kDay || wantedLocal > LAST_CALENDAR_TIME - kDay,
                "a date well inside the range does not convert");
        return;
    }
    Require(time >= 0, "a conversion gives a negative time other than -1");
    const int64_t local = LocalSecondsAt(time);
    if (local == wantedLocal) {
        // A time a clock change repeats is its first instant.
        const int64_t shifts[] = {1800, 3600, 7200};
        for (int64_t shift : shifts)
            Require(time - shift < 0 || LocalSecondsAt(time - shift) != wantedLocal,
                    "a repeated local time did not convert to its first instant");
    } else {
        // One a change skips is the instant of the change.
        Require(local > wantedLocal && local - wantedLocal <= 7200,
                "the conversion shows a local time other than the one asked");
        Require(time > 0 && LocalSecondsAt(time - 1) < wantedLocal,
                "a skipped local time did not convert to the instant of the change");
    }

    // LocalToCalendar sets the fields to the local time found.
    struct tm asked;
    memset(&asked, 0, sizeof(asked));
    asked.tm_year = numbers[0] - 1900;
    asked.tm_mon = numbers[1] - 1;
    asked.tm_mday = numbers[2];
    asked.tm_hour = numbers[3];
    asked.tm_min = numbers[4];
    asked.tm_sec = numbers[5];
    Require(LocalToCalendar(&asked) == time, "LocalToCalendar differs from CalendarFromFields");
    Require((int64_t)timegm(&asked) == local, "LocalToCalendar left fields other than the local time found");
}

// Text written by FormatDateText parses back to the same time (to the first instant
// in an hour a clock change repeats); the display form holds the same fields.
void CheckRoundTrip(CalendarTime time, int capacity) {
    char text[32];
    Require(FormatDateText(time, text, sizeof(text), DATE_FILE) == 1, "a time from 1970 on has no file text");
    Require(strlen(text) == 19, "a file text is not 19 characters");
    char* exact = ExactText(text, strlen(text));
    const CalendarTime back = ParseDateText(exact);
    free(exact);
    Require(back != -1, "a text written does not parse");
    char again[32];
    FileText(back, again);
    Require(strcmp(again, text) == 0, "a text written parses to a time with another text");
    Require(back <= time && time - back <= 7200, "a text written parses to a time other than its own");

    char display[32];
    Require(FormatDateText(time, display, sizeof(display), DATE_DISPLAY) == 1, "a time has no display text");
    char rearranged[32];
    snprintf(rearranged, sizeof(rearranged), "%.2s.%.2s.%.4s%s", text + 8, text + 5, text, text + 10);
    Require(strcmp(display, rearranged) == 0, "the display text holds other fields than the file text");

    // Into a buffer of `capacity` bytes: the whole text or nothing.
    char* small = static_cast<char*>(malloc(capacity ? capacity : 1));
    const int written = FormatDateText(time, small, capacity, DATE_FILE);
    if (capacity > 19)
        Require(written == 1 && strcmp(small, text) == 0, "a file text that fits was not written whole");
    else
        Require(written == 0 && (capacity == 0 || small[0] == '\0'), "a file text that does not fit was cut");
    free(small);
}

// The digits of a countdown to `date` at `now`: each 0..9 and together the span.
void CheckCountdown(CalendarTime date, CalendarTime now, int milliseconds) {
    const int64_t span = (int64_t)date - now;
    uint16_t digits[FACE_DIGITS];
    const int functions = 2;
    for (int f = 0; f < functions; f++) {
        for (uint16_t& digit : digits)
            digit = 0xBAD;
        const int shown = f == 0 ? RemainingTimeDigits(span, milliseconds, digits)
                                 : ElapsedTimeDigits(-span, milliseconds, digits);
        const int64_t value = f == 0 ? span : -span;
        const int64_t lowest = f == 0 ? 1 : 0;
        Require(shown == (value >= lowest && value <= MAX_FACE_SECONDS), "a span shown or refused wrongly");
        if (!shown)
            continue;
        for (uint16_t digit : digits)
            Require(digit <= 9, "a face digit beyond the strip's ten");
        const int64_t days = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
        const int64_t hours = digits[4] * 10 + digits[5], minutes = digits[6] * 10 + digits[7];
        const int64_t seconds = digits[8] * 10 + digits[9];
        Require(hours < 24 && minutes < 60 && seconds < 60,
                "a face shows an hour, minute or second out of range");
        Require(((days * 24 + hours) * 60 + minutes) * 60 + seconds == value, "the face shows another span");
    }
}

int64_t Offset(int64_t instant) {
    return LocalSecondsAt(instant) - instant;
}

// Seconds into the local hour.
int64_t MinuteSecond(int64_t instant) {
    return ((LocalSecondsAt(instant) % 3600) + 3600) % 3600;
}

int DaysInMonth(int tmYear, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int year = tmYear + 1900;
    return month == 1 && year % 4 == 0 && (year % 100 != 0 || year % 400 == 0) ? 29 : kDays[month];
}

// Whether `time` is an occurrence of a daily to yearly event starting at `start`: its
// time of day (unless a clock change skipped it), its weekday, its day of the month
// (the month's last for a later day in the last-of-month mode, else carried into the
// next month), its month.
void CheckOccurrence(CalendarTime start, int code, CalendarTime time, int lastOfMonthMode) {
    const struct tm s = LocalTm(start), o = LocalTm(time);
    const bool changed = Offset(time - 1) != Offset(time);
    Require(changed || (o.tm_hour == s.tm_hour && o.tm_min == s.tm_min && o.tm_sec == s.tm_sec),
            "an occurrence at another time of day than the start");
    if (code == RECUR_WEEKLY)
        Require(o.tm_wday == s.tm_wday, "a weekly occurrence on another weekday");
    if (code != RECUR_MONTHLY && code != RECUR_YEARLY)
        return;
    const int previous = (o.tm_mon + 11) % 12;
    const int previousYear = o.tm_mon == 0 ? o.tm_year - 1 : o.tm_year;
    bool matches = false;
    if (o.tm_mday == s.tm_mday)
        matches = code == RECUR_MONTHLY || o.tm_mon == s.tm_mon;
    else if (lastOfMonthMode && s.tm_mday > 28)
        matches = o.tm_mday < s.tm_mday && o.tm_mday == DaysInMonth(o.tm_year, o.tm_mon) &&
                  (code == RECUR_MONTHLY || o.tm_mon == s.tm_mon);
    else if (!lastOfMonthMode)
        matches = DaysInMonth(previousYear, previous) < s.tm_mday &&
                  o.tm_mday == s.tm_mday - DaysInMonth(previousYear, previous) &&
                  (code == RECUR_MONTHLY || previous == s.tm_mon);
    Require(matches, "a monthly or yearly occurrence on another day of the month");
}

void CheckRecurrence(CalendarTime start, const char* name, CalendarTime now, int back, int lastOfMonthMode) {
    const int code = RecurrenceCodeFromName(name);
    Require(code >= 0 && code <= 5, "a recurrence code out of range");
    Require(code == 0 || strcmp(RecurrenceNameFromCode(code), name) == 0,
            "a recurrence name matched loosely");
    for (int c = 0; c <= 5; c++)
        if (strcmp(RecurrenceNameFromCode(c), name) == 0)
            Require(code == c, "an exact recurrence name was not recognised");
    if (start <= 0)
        return;

    EventRecord event;
    memset(&event, 0, sizeof(event));
    event.startTime = start;
    event.recurrence = code;
    const CalendarTime next = NextOccurrenceAfter(&event, now, lastOfMonthMode);
    Require(next == -1 || next > now, "the next occurrence is not after the time asked");
    if (start > now) {
        Require(next == start, "a coming event's next occurrence is not its start");
    } else if (code == RECUR_NONE) {
        Require(next == -1, "a past one-shot event has a next occurrence");
    } else {
        const int64_t limits[6] = {0, 3600, kDay, 7 * kDay, 62 * kDay, 367 * kDay};
        const int64_t limit = limits[code] + 7200;
        if (now >= 2 * kDay && now + limit < LAST_CALENDAR_TIME - kDay)
            Require(next != -1, "a recurring event has no next occurrence");
        if (next != -1) {
            Require((int64_t)next - now <= limit, "the next occurrence is further away than one period");
            // At the start's minute and second, unless a clock change moved it (a
            // skipped time, or a half-hour change between now and an hourly one).
            const bool changed =
                Offset(next - 1) != Offset(next) || (code == RECUR_HOURLY && Offset(now) != Offset(next));
            Require(MinuteSecond(next) == MinuteSecond(start) || changed,
                    "an occurrence at another minute or second than the start");
            if (code != RECUR_HOURLY)
                CheckOccurrence(start, code, next, lastOfMonthMode);
        }
    }

    const CalendarTime lastCheck = now - back < 0 ? 0 : now - back;
    const CalendarTime missed = MissedOccurrence(&event, now, lastCheck, lastOfMonthMode);
    if (missed != -1) {
        Require(missed > lastCheck && missed <= now && missed >= start,
                "a missed occurrence outside the gap");
        if (code != RECUR_NONE)
            CheckOccurrence(start, code, missed, lastOfMonthMode);
    }
    if (code == RECUR_NONE)
        Require(missed == (start > lastCheck && start <= now ? start : -1),
                "a one-shot event missed wrongly");
    if (code == RECUR_HOURLY)
        Require(missed == -1, "an hourly event counted as missed");
}

void CheckEventText(const char* eventText, int capacity) {
    const size_t length = strlen(eventText);
    char* line = ExactText(eventText, length);
    MakeSingleLine(line);
    Require(strlen(line) == length, "MakeSingleLine changed the length");
    for (size_t i = 0; i < length; i++) {
        const unsigned char c = (unsigned char)line[i];
        Require(c >= 0x20 && c != 0x7F, "a control character is left in a single line");
        const unsigned char was = (unsigned char)eventText[i];
        Require(c == was || (c == ' ' && (was < 0x20 || was == 0x7F)), "MakeSingleLine changed a character");
    }
    char* field = static_cast<char*>(malloc(capacity ? capacity : 1));
    CopyText(field, capacity, line);
    if (capacity > 0) {
        const size_t kept = length < (size_t)capacity - 1 ? length : (size_t)capacity - 1;
        Require(strlen(field) == kept && memcmp(field, line, kept) == 0,
                "CopyText did not cut the text to fit");
    }
    free(field);
    free(line);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input = {data, size};
    const uint8_t options = input.Byte();
    UseZone(options % kZoneCount);
    const int lastOfMonthMode = options / kZoneCount % 2;
    char* dateText = input.Text('\n');
    char* name = input.Text('\n');
    char* nowText = input.Text('\n');
    char* eventText = input.Text(0);

    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; i++)
        hash = (hash ^ data[i]) * 16777619u;

    CalendarTime date = -1, now = -1;
    CheckParse(dateText, &date);
    CheckParse(nowText, &now);
    if (now == -1)
        now = (CalendarTime)((uint64_t)hash * 7919 % (uint64_t)LAST_CALENDAR_TIME); // over the whole range
    CheckRoundTrip(date != -1 ? date : now, (int)(hash >> 8) % 24);
    CheckRoundTrip(now, 20);
    const int64_t near = (int64_t)now + (int64_t)(hash % 2000000) - 1000000;
    const CalendarTime countdown = near < 0 ? 0 : near > LAST_CALENDAR_TIME ? LAST_CALENDAR_TIME : near;
    CheckCountdown(date != -1 ? date : countdown, now, (int)(hash % 1100) - 50);
    CheckRecurrence(date, name, now, (int)(hash % (40 * kDay)), lastOfMonthMode);
    CheckEventText(eventText, (int)(hash >> 16) % 300);

    free(eventText);
    free(nowText);
    free(name);
    free(dateText);
    return 0;
}
