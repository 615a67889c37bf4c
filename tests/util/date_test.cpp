// Tests of the date rule, the calendar parts, mask formatting and date arithmetic.
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "util/date.h"

namespace {
CivilTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    CivilTime t;
    t.year = y;
    t.month = mo;
    t.day = d;
    t.hour = h;
    t.minute = mi;
    t.second = s;
    return t;
}
}  // namespace

TEST(DateRule, AcceptsAndRefusesCalendarParts) {
    struct Case {
        CivilTime t;
        bool valid;
        const char* what;
    };
    const Case cases[] = {
        {At(1970, 1, 1), true, "epoch"},
        {At(1969, 12, 31, 23, 59, 59), false, "1969"},
        {At(2000, 2, 29), true, "2000 is a leap year"},
        {At(2024, 2, 29), true, "2024 is a leap year"},
        {At(2023, 2, 29), false, "2023 is not"},
        {At(2100, 2, 29), false, "2100 is not (but outside the range anyway)"},
        {At(2000, 2, 30), false, "February 30"},
        {At(2024, 2, 31), false, "February 31"},
        {At(2023, 4, 31), false, "April 31"},
        {At(2023, 6, 31), false, "June 31"},
        {At(2023, 9, 31), false, "September 31"},
        {At(2023, 11, 31), false, "November 31"},
        {At(2023, 4, 30), true, "April 30"},
        {At(2023, 12, 31), true, "December 31"},
        {At(2023, 1, 31), true, "January 31"},
        {At(2023, 0, 1), false, "month 0"},
        {At(2023, 13, 1), false, "month 13"},
        {At(2023, 1, 0), false, "day 0"},
        {At(2023, 1, 32), false, "day 32"},
        {At(2023, 1, 1, 24, 0, 0), false, "hour 24"},
        {At(2023, 1, 1, 23, 60, 0), false, "minute 60"},
        {At(2023, 1, 1, 23, 59, 60), false, "second 60"},
        {At(2023, 1, 1, -1, 0, 0), false, "hour -1"},
        {At(2038, 1, 19, 3, 14, 7), true, "last second"},
        {At(2038, 1, 19, 3, 14, 8), false, "one past the last second"},
        {At(2038, 2, 1), false, "later in 2038"},
        {At(2039, 1, 1), false, "2039"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DateValue d = DateFromCivil(c.t);
        if (c.valid) {
            EXPECT_GE(d, 0);
        } else {
            EXPECT_EQ(d, kInvalidDate);
        }
    }
}

TEST(DateRule, CountsSecondsIndependentOfZone) {
    EXPECT_EQ(DateFromCivil(At(1970, 1, 1)), 0);
    EXPECT_EQ(DateFromCivil(At(1970, 1, 2, 0, 0, 1)), 86401);
    EXPECT_EQ(DateFromCivil(At(2024, 7, 1, 12, 0, 0)), 1719835200);
    EXPECT_EQ(DateFromCivil(At(2038, 1, 19, 3, 14, 7)), 2147483647);
    EXPECT_EQ(DateFromCivil(At(2000, 3, 1)) - DateFromCivil(At(2000, 2, 28)), 2 * 86400);
}

TEST(CivilFromDate, RoundTripsAcrossTheRange) {
    const CivilTime samples[] = {At(1970, 1, 1), At(1972, 2, 29, 1, 2, 3), At(1999, 12, 31, 23, 59, 59),
                                 At(2000, 2, 29, 12, 0, 0), At(2000, 3, 1), At(2024, 3, 5, 7, 8, 9),
                                 At(2038, 1, 19, 3, 14, 7)};
    for (const CivilTime& t : samples) {
        const CivilTime back = CivilFromDate(DateFromCivil(t));
        SCOPED_TRACE(t.year * 10000 + t.month * 100 + t.day);
        EXPECT_EQ(back.year, t.year);
        EXPECT_EQ(back.month, t.month);
        EXPECT_EQ(back.day, t.day);
        EXPECT_EQ(back.hour, t.hour);
        EXPECT_EQ(back.minute, t.minute);
        EXPECT_EQ(back.second, t.second);
    }
    // Every day boundary of a leap year and the years around it.
    for (DateValue d = DateFromCivil(At(1999, 1, 1)); d < DateFromCivil(At(2001, 12, 31)); d += 86400) {
        const CivilTime t = CivilFromDate(d);
        ASSERT_EQ(DateFromCivil(t), d);
    }
}

TEST(FormatDateMask, ReplacesTokens) {
    const DateValue d = DateFromCivil(At(2024, 3, 5, 7, 8, 9));
    struct Case {
        const wchar_t* mask;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"%dd.%mm.%yyyy %hh:%ii:%ss", L"05.03.2024 07:08:09"},
        {L"%yyyy%mm%dd", L"20240305"},
        {L"%hh%ii%ss", L"070809"},
        {L"%yyyy%mm%dd%hh%ii%ss", L"20240305070809"},
        {L"%dd%mm%yyyy_%hh%ii%ss", L"05032024_070809"},
        {L"%YYYY-%Mm-%dD", L"2024-03-05"},
        {L"%yy", L"24"},
        {L"%yyy", L"24y"},
        {L"%y", L"%y"},
        {L"%x", L"%x"},
        {L"%%yyyy", L"%2024"},
        {L"100%", L"100%"},
        {L"", L""},
        {L"no tokens", L"no tokens"},
        {L"%m%mm", L"%m03"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.mask));
        EXPECT_EQ(FormatDateMask(c.mask, d), c.expected);
    }
}

TEST(FormatDateMask, InvalidDateFormatsAsZeros) {
    EXPECT_EQ(FormatDateMask(L"%dd.%mm.%yyyy %hh:%ii:%ss", kInvalidDate), L"00.00.0000 00:00:00");
    EXPECT_EQ(FormatDateMask(L"%yy", kInvalidDate), L"00");
    EXPECT_EQ(FormatDateMask(L"%dd.%mm.%yyyy", DateFromCivil(At(2038, 1, 19, 3, 14, 8))), L"00.00.0000");
}

TEST(AddSeconds, KeepsInvalidAndShiftsValid) {
    const DateValue d = DateFromCivil(At(2024, 3, 1, 10, 0, 0));
    EXPECT_EQ(AddSeconds(kInvalidDate, 10), kInvalidDate);
    EXPECT_EQ(AddSeconds(d, -86400), DateFromCivil(At(2024, 2, 29, 10, 0, 0)));
    EXPECT_EQ(AddSeconds(d, 59), DateFromCivil(At(2024, 3, 1, 10, 0, 59)));
    EXPECT_EQ(AddSeconds(d, 0), d);
}

namespace {
DateValue FixedClock() { return 1719835200; }
}  // namespace

TEST(LocalSeconds, UsesTheClockHookAndTheSystemClock) {
    SetClockHookForTesting(&FixedClock);
    EXPECT_EQ(LocalSeconds(), 1719835200);
    SetClockHookForTesting(nullptr);
    // The machine's clock is somewhere after 2024 and before the end of the range.
    EXPECT_GT(LocalSeconds(), 1719835200);
}
