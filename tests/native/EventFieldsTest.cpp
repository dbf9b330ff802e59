#include "EventFields.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// Sets TZ for one test and puts the old value back.
class ZoneScope {
  public:
    explicit ZoneScope(const char* zone) {
        const char* old = getenv("TZ");
        hadZone_ = old != nullptr;
        saved_ = old ? old : "";
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope() {
        if (hadZone_)
            setenv("TZ", saved_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

  private:
    std::string saved_;
    bool hadZone_;
};

} // namespace

TEST(PickerRange, EverySecondOfTheOfferedDaysConvertsInTheFarthestZones) {
    // The zones farthest from UTC, with daylight saving on top at both ends of the year.
    const char* zones[] = {"<-12>12", "<+14>-14", "<-11>11<-10>,M1.1.0,M12.5.0",
                           "<+13>-13<+14>,M1.1.0,M12.5.0"};
    for (const char* zone : zones) {
        ZoneScope scope(zone);
        EXPECT_GT(CalendarFromFields(kFirstPickerDate), 0) << zone;
        EXPECT_GT(CalendarFromFields(kLastPickerDate), 0) << zone;
    }
}

TEST(PickerRange, DaysOutsideTheRangeCanFailToConvert) {
    {
        ZoneScope scope("<+14>-14");
        const int epochDay[DATE_FIELDS] = {1970, 1, 1, 0, 0, 0};
        EXPECT_LE(CalendarFromFields(epochDay), 0);
    }
    ZoneScope scope("<-12>12");
    const int lastDay[DATE_FIELDS] = {2038, 1, 19, 0, 0, 0};
    EXPECT_EQ(CalendarFromFields(lastDay), -1);
    const int later[DATE_FIELDS] = {2040, 1, 1, 0, 0, 0};
    EXPECT_EQ(CalendarFromFields(later), -1);
}

TEST(CalendarFromFields, NormalisesAsTheDateTextDoes) {
    ZoneScope scope("UTC0");
    const int fields[DATE_FIELDS] = {2003, 6, 15, 20, 3, 54};
    EXPECT_EQ(CalendarFromFields(fields), ParseDateText("2003-06-15 20:03:54"));
    const int april31[DATE_FIELDS] = {2003, 4, 31, 12, 0, 0};
    EXPECT_EQ(CalendarFromFields(april31), ParseDateText("2003-05-01 12:00:00"));
}

TEST(MakeSingleLine, ControlCharactersBecomeBlanksOthersStay) {
    char text[] = "Tea\r\nis\tready\x7f\x01 \xe9t\xe9";
    MakeSingleLine(text);
    EXPECT_STREQ(text, "Tea  is ready   \xe9t\xe9");
    char empty[] = "";
    MakeSingleLine(empty);
    EXPECT_STREQ(empty, "");
}
