// A native test fixture in Central European time with summer time, so tests run
// across real clock changes; dates are written in the file date form.
#ifndef VANTEL_TESTS_CENTRALEUROPETEST_H
#define VANTEL_TESTS_CENTRALEUROPETEST_H

#include "EventTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

class CentralEuropeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        tzset();
    }
    void TearDown() override {
        unsetenv("TZ");
        tzset();
    }

    // The calendar time of a file-form date, and the file-form text of a time ("-1"
    // for one without).
    static CalendarTime T(const char* text) {
        CalendarTime t = ParseDateText(text);
        EXPECT_NE(t, -1) << text;
        return t;
    }
    static std::string S(CalendarTime t) {
        char text[32];
        return FormatDateText(t, text, sizeof(text), DATE_FILE) ? text : "-1";
    }
};

#endif
