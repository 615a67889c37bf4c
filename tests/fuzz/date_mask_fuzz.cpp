// The date rule and FormatDateMask against a plain second reading: calendar fields counted
// day by day from 1970, and the mask scanned token by token.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "util/date.h"

namespace {

bool Leap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int MonthDays(int64_t y, int m) {
    static const int kDays[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (m == 2 && Leap(y)) ? 29 : kDays[m];
}

// Seconds to fields by walking years and months forward from 1970-01-01.
CivilTime ReferenceCivil(DateValue d) {
    CivilTime t;
    if (d < 0) {
        t.year = t.month = t.day = 0;
        return t;
    }
    int64_t days = d / 86400;
    int64_t rest = d % 86400;
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    int year = 1970;
    while (days >= (Leap(year) ? 366 : 365)) {
        days -= Leap(year) ? 366 : 365;
        ++year;
    }
    int month = 1;
    while (days >= MonthDays(year, month)) {
        days -= MonthDays(year, month);
        ++month;
    }
    t.year = year;
    t.month = month;
    t.day = static_cast<int>(days) + 1;
    return t;
}

// Fields to seconds, checking each clause of the date rule on its own.
DateValue ReferenceDate(const CivilTime& t) {
    if (t.hour < 0 || t.hour > 23) return -1;
    if (t.minute < 0 || t.minute > 59) return -1;
    if (t.second < 0 || t.second > 59) return -1;
    if (t.month < 1 || t.month > 12) return -1;
    if (t.day < 1 || t.day > 31) return -1;
    if (t.year < 1970 || t.year > 2038) return -1;
    if (t.day > MonthDays(t.year, t.month)) return -1;
    int64_t days = 0;
    for (int y = 1970; y < t.year; ++y) days += Leap(y) ? 366 : 365;
    for (int m = 1; m < t.month; ++m) days += MonthDays(t.year, m);
    days += t.day - 1;
    const int64_t seconds = days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
    if (seconds > INT32_MAX) return -1;
    return static_cast<DateValue>(seconds);
}

std::wstring Padded(int value, size_t width) {
    std::wstring s = std::to_wstring(value);
    while (s.size() < width) s = L"0" + s;
    return s;
}

bool TokenHere(const std::wstring& mask, size_t at, const std::wstring& token) {
    if (at + token.size() > mask.size()) return false;
    for (size_t k = 0; k < token.size(); ++k) {
        uint32_t c = static_cast<uint32_t>(mask[at + k]);
        if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
        if (c != static_cast<uint32_t>(token[k])) return false;
    }
    return true;
}

std::wstring ReferenceFormat(const std::wstring& mask, DateValue d) {
    const CivilTime t = ReferenceCivil(d);
    const struct {
        const wchar_t* token;
        int value;
        size_t width;
    } kTokens[] = {{L"yyyy", t.year, 4}, {L"yy", t.year % 100, 2}, {L"mm", t.month, 2}, {L"dd", t.day, 2},
                   {L"hh", t.hour, 2},   {L"ii", t.minute, 2},     {L"ss", t.second, 2}};
    std::wstring out;
    size_t i = 0;
    while (i < mask.size()) {
        if (mask[i] != L'%') {
            out += mask[i];
            i += 1;
            continue;
        }
        bool replaced = false;
        for (const auto& tok : kTokens) {
            if (TokenHere(mask, i + 1, tok.token)) {
                out += Padded(tok.value, tok.width);
                i += 1 + std::wstring(tok.token).size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            out += L'%';
            i += 1;
        }
    }
    return out;
}

std::string Fields(const CivilTime& t) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%d-%d-%d %d:%d:%d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

bool SameFields(const CivilTime& a, const CivilTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second;
}

int Digits(const std::wstring& s, size_t at, size_t n) {
    int v = 0;
    for (size_t k = 0; k < n; ++k) v = v * 10 + static_cast<int>(s[at + k] - L'0');
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    // Mostly dates in the valid range, sometimes any 32-bit value (negative ones are invalid).
    const DateValue d = in.ConsumeBool() ? in.ConsumeIntegral<int32_t>() : in.ConsumeIntegralInRange<int32_t>(0, INT32_MAX);
    // Calendar fields near their valid ranges, or anything an int holds.
    CivilTime f;
    if (in.ConsumeBool()) {
        f.year = in.ConsumeIntegral<int>();
        f.month = in.ConsumeIntegral<int>();
        f.day = in.ConsumeIntegral<int>();
        f.hour = in.ConsumeIntegral<int>();
        f.minute = in.ConsumeIntegral<int>();
        f.second = in.ConsumeIntegral<int>();
    } else {
        f.year = in.ConsumeIntegralInRange(1965, 2040);
        f.month = in.ConsumeIntegralInRange(-1, 14);
        f.day = in.ConsumeIntegralInRange(-1, 33);
        f.hour = in.ConsumeIntegralInRange(-1, 25);
        f.minute = in.ConsumeIntegralInRange(-1, 61);
        f.second = in.ConsumeIntegralInRange(-1, 61);
    }
    const int32_t delta = in.ConsumeIntegral<int32_t>();
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const std::wstring mask = fuzz::Utf16FromBytes(reinterpret_cast<const uint8_t*>(rest.data()), rest.size());

    // The date rule, both ways.
    const DateValue fromFields = DateFromCivil(f);
    FUZZ_CHECK(fromFields == ReferenceDate(f), "DateFromCivil(%s) = %d, reference %d", Fields(f).c_str(), fromFields,
               ReferenceDate(f));
    const CivilTime civil = CivilFromDate(d);
    FUZZ_CHECK(SameFields(civil, ReferenceCivil(d)), "CivilFromDate(%d) = %s, reference %s", d, Fields(civil).c_str(),
               Fields(ReferenceCivil(d)).c_str());
    if (d >= 0) FUZZ_CHECK(DateFromCivil(civil) == d, "DateFromCivil(CivilFromDate(%d)) = %d", d, DateFromCivil(civil));

    // The full 14-digit form carries every field.
    const std::wstring full = FormatDateMask(L"%yyyy%mm%dd%hh%ii%ss", d);
    FUZZ_CHECK(full.size() == 14, "date %d formats as %s", d, fuzz::HexUnits(full).c_str());
    for (wchar_t c : full) FUZZ_CHECK(c >= L'0' && c <= L'9', "date %d formats as %s", d, fuzz::HexUnits(full).c_str());
    CivilTime back;
    back.year = Digits(full, 0, 4);
    back.month = Digits(full, 4, 2);
    back.day = Digits(full, 6, 2);
    back.hour = Digits(full, 8, 2);
    back.minute = Digits(full, 10, 2);
    back.second = Digits(full, 12, 2);
    FUZZ_CHECK(SameFields(back, civil), "date %d formats as fields %s, CivilFromDate gives %s", d, Fields(back).c_str(),
               Fields(civil).c_str());

    // Any mask: the reference scan, and never longer than the mask (every token shrinks).
    const std::wstring got = FormatDateMask(mask, d);
    const std::wstring want = ReferenceFormat(mask, d);
    FUZZ_CHECK(got == want, "mask %s date %d: got %s, reference %s", fuzz::HexUnits(mask).c_str(), d,
               fuzz::HexUnits(got).c_str(), fuzz::HexUnits(want).c_str());
    FUZZ_CHECK(got.size() <= mask.size(), "mask of %zu units gave %zu", mask.size(), got.size());

    // Adding seconds keeps -1 and is a plain sum while it stays in range.
    const DateValue moved = AddSeconds(d, delta);
    if (d == kInvalidDate) {
        FUZZ_CHECK(moved == kInvalidDate, "AddSeconds(-1, %d) = %d", delta, moved);
    } else if (static_cast<int64_t>(d) + delta >= INT32_MIN && static_cast<int64_t>(d) + delta <= INT32_MAX) {
        FUZZ_CHECK(moved == d + delta, "AddSeconds(%d, %d) = %d", d, delta, moved);
    }
    return 0;
}
