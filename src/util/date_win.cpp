// The system's local clock as a date value, replaceable by tests.
#include <windows.h>

#include "util/date.h"

namespace {
ClockHook g_clockHook = nullptr;
}

void SetClockHookForTesting(ClockHook hook) { g_clockHook = hook; }

DateValue LocalSeconds() {
    if (g_clockHook != nullptr) return g_clockHook();
    SYSTEMTIME now;
    GetLocalTime(&now);
    CivilTime t;
    t.year = now.wYear;
    t.month = now.wMonth;
    t.day = now.wDay;
    t.hour = now.wHour;
    t.minute = now.wMinute;
    t.second = now.wSecond;
    return DateFromCivil(t);
}
