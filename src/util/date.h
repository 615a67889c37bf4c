// Date values: seconds since 1970-01-01 00:00:00 of the local wall clock, every day 86400
// seconds, as a signed 32-bit number; -1 marks an invalid date. Formatting by masks.
#pragma once
#include <cstdint>
#include <string>

using DateValue = int32_t;
constexpr DateValue kInvalidDate = -1;

struct CivilTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// The date rule: checks the parts and counts the seconds; a refused date gives -1.
DateValue DateFromCivil(const CivilTime& t);
// The calendar parts of a date value; a negative value gives 0 in every field.
CivilTime CivilFromDate(DateValue d);
// The current local date and time (through the clock hook while a test has set one).
DateValue LocalSeconds();
// The mask with %yyyy, %yy, %mm, %dd, %hh, %ii and %ss (any case) replaced by fields of d.
std::wstring FormatDateMask(const std::wstring& mask, DateValue d);
// -1 stays -1; otherwise d + seconds.
DateValue AddSeconds(DateValue d, int32_t seconds);

// Tests may replace the clock; nullptr restores the system clock.
using ClockHook = DateValue (*)();
void SetClockHookForTesting(ClockHook hook);
