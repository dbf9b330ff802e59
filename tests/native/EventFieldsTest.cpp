#include "EventFields.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// The zones farthest from UTC, also with daylight saving on top, as POSIX rules.
TEST(PickerRange, EveryDayOfferedConvertsInEveryZoneTheDaysBeyondNeedNot) {
    const char* zones[] = {"<-12>12", "<+14>-14", "<-11>11<-10>,M1.1.0,M12.5.0",
                           "<+13>-13<+14>,M1.1.0,M12.5.0"};
    const int epochDay[DATE_FIELDS] = {1970, 1, 1, 0, 0, 0};
    const int dayAfter[DATE_FIELDS] = {3001, 1, 1, 0, 0, 0};
    const char* old = getenv("TZ");
    std::string saved = old ? old : "";
    for (const char* zone : zones) {
        setenv("TZ", zone, 1);
        tzset();
        EXPECT_GT(CalendarFromFields(kFirstPickerDate), 0) << zone;
        EXPECT_GT(CalendarFromFields(kLastPickerDate), 0) << zone;
    }
    EXPECT_LE(CalendarFromFields(epochDay), 0); // at UTC+13 with summer time
    setenv("TZ", "<-12>12", 1);
    tzset();
    EXPECT_EQ(CalendarFromFields(dayAfter), -1);
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(PickerRange, DatesThePickersCannotShowAreKnown) {
    const struct {
        int fields[DATE_FIELDS];
        int shown;
    } cases[] = {
        {{1970, 1, 2, 0, 0, 0}, 1},  {{1970, 1, 1, 23, 59, 59}, 0}, {{3000, 12, 31, 23, 59, 59}, 1},
        {{3001, 1, 1, 0, 0, 0}, 0},  {{2040, 1, 1, 0, 0, 0}, 1},    {{2040, 13, 1, 0, 0, 0}, 0},
        {{2040, 1, 1, 24, 0, 0}, 0}, {{2040, 1, 0, 0, 0, 0}, 0},    {{2040, 1, 1, 0, 60, -1}, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PickerCanShow(c.fields), c.shown)
            << c.fields[0] << "-" << c.fields[1] << "-" << c.fields[2];
}

TEST(MakeSingleLine, ControlCharactersBecomeBlanksOthersStay) {
    char text[] = "Tea\r\nis\tready\x7f\x01 \xe9t\xe9";
    MakeSingleLine(text);
    EXPECT_STREQ(text, "Tea  is ready   \xe9t\xe9");
}
