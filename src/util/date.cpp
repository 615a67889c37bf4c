// The date rule (calendar parts to seconds since 1970 and back), mask formatting and date
// arithmetic. No clock here: the system clock lives in date_win.cpp.
#include "util/date.h"

#include <cwchar>

namespace {
bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void AppendPadded(std::wstring& out, int value, int width) {
    std::wstring digits = std::to_wstring(value);
    if (static_cast<int>(digits.size()) < width) out.append(static_cast<size_t>(width) - digits.size(), L'0');
    out += digits;
}

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// True when the mask holds the (lower-case) token at pos, comparing ASCII letters without case.
bool TokenAt(const std::wstring& mask, size_t pos, const wchar_t* token) {
    for (size_t k = 0; token[k] != 0; ++k) {
        if (pos + k >= mask.size() || AsciiLower(mask[pos + k]) != token[k]) return false;
    }
    return true;
}
}  // namespace

DateValue DateFromCivil(const CivilTime& t) {
    if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59) return kInvalidDate;
    if (t.month < 1 || t.month > 12 || t.day < 1) return kInvalidDate;
    if (t.year < 1970 || t.year > 2038) return kInvalidDate;
    if (t.day > DaysInMonth(t.year, t.month)) return kInvalidDate;
    const int64_t seconds = DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) * 86400 +
                            t.hour * 3600 + t.minute * 60 + t.second;
    // Past 2038-01-19 03:14:07 the count no longer fits the signed 32-bit date value.
    if (seconds > INT32_MAX) return kInvalidDate;
    return static_cast<DateValue>(seconds);
}

CivilTime CivilFromDate(DateValue d) {
    CivilTime t;
    if (d < 0) {
        t.year = t.month = t.day = 0;
        return t;
    }
    const int64_t days = d / 86400;
    const int rest = static_cast<int>(d % 86400);
    t.hour = rest / 3600;
    t.minute = rest / 60 % 60;
    t.second = rest % 60;
    // Inverse of DaysFromCivil.
    const int64_t z = days + 719468;
    const int64_t era = z / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (t.month <= 2));
    return t;
}

std::wstring FormatDateMask(const std::wstring& mask, DateValue d) {
    const CivilTime t = CivilFromDate(d);
    std::wstring out;
    out.reserve(mask.size() + 8);
    // Tokens in the order they are tried: "yyyy" before "yy".
    const struct {
        const wchar_t* token;
        int value;
        int width;
    } fields[] = {{L"yyyy", t.year, 4}, {L"yy", t.year % 100, 2}, {L"mm", t.month, 2}, {L"dd", t.day, 2},
                  {L"hh", t.hour, 2},   {L"ii", t.minute, 2},     {L"ss", t.second, 2}};
    size_t i = 0;
    while (i < mask.size()) {
        if (mask[i] != L'%') {
            out += mask[i++];
            continue;
        }
        const size_t p = i + 1;
        i = p;  // a "%" that starts no token is copied; the next character is looked at afresh
        bool matched = false;
        for (const auto& f : fields) {
            if (TokenAt(mask, p, f.token)) {
                AppendPadded(out, f.value, f.width);
                i = p + std::wcslen(f.token);
                matched = true;
                break;
            }
        }
        if (!matched) out += L'%';
    }
    return out;
}

DateValue AddSeconds(DateValue d, int32_t seconds) {
    if (d == kInvalidDate) return kInvalidDate;
    // Plain 32-bit sum; computed in 64 bits and wrapped so an overflow is not undefined.
    return static_cast<DateValue>(static_cast<uint32_t>(static_cast<int64_t>(d) + seconds));
}
