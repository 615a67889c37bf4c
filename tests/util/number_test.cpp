// Tests of the conversions between numbers and text.
#include <gtest/gtest.h>

#include <cstdint>

#include "support/temp_dir.h"
#include "util/number.h"

namespace {
// Twenty nines computed independently of TextToInt64: the decimal value modulo 2^64.
int64_t TwentyNinesWrapped() {
    uint64_t v = 0;
    for (int i = 0; i < 20; ++i) v = v * 10u + 9u;
    return static_cast<int64_t>(v);
}
}  // namespace

TEST(TextToInt64, ReadsTheRulesOfSignBaseAndStop) {
    struct Case {
        const wchar_t* text;
        int64_t expected;
    };
    const Case cases[] = {
        {L"", 0},
        {L"abc", 0},
        {L"$", 0},
        {L"%", 0},
        {L"-", 0},
        {L"0", 0},
        {L"42", 42},
        {L"  42abc", 42},
        {L"\t+17", 17},
        {L" \t -8", -8},
        {L"- 5", 0},
        {L"+-5", 0},
        {L"--5", 0},
        {L"-$FF", -255},
        {L"$ff", 255},
        {L"$1aG", 26},
        {L"%101", 5},
        {L"%1012", 5},
        {L"$-1", 0},
        {L"20240101_120000", 20240101},
        {L"20240101120000", 20240101120000LL},
        {L"9223372036854775807", INT64_MAX},
        {L"-9223372036854775808", INT64_MIN},
        {L"9223372036854775808", INT64_MIN},  // one past the top wraps to the bottom
        {L"$FFFFFFFFFFFFFFFF", -1},
        {L"x12", 0},
        {L"1 2", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        EXPECT_EQ(TextToInt64(c.text), c.expected);
    }
}

TEST(TextToInt64, TwentyNinesWrapModulo2To64) {
    const std::wstring nines(20, L'9');
    EXPECT_EQ(TextToInt64(nines), TwentyNinesWrapped());
    EXPECT_EQ(TextToInt64(L"-" + nines), static_cast<int64_t>(0 - static_cast<uint64_t>(TwentyNinesWrapped())));
}

TEST(Int64ToText, WritesPlainDecimal) {
    struct Case {
        int64_t value;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {0, L"0"},
        {7, L"7"},
        {-7, L"-7"},
        {10, L"10"},
        {-2147483648LL, L"-2147483648"},
        {20240101120000LL, L"20240101120000"},
        {INT64_MAX, L"9223372036854775807"},
        {INT64_MIN, L"-9223372036854775808"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Int64ToText(c.value), c.expected);
        EXPECT_EQ(TextToInt64(Int64ToText(c.value)), c.value);
    }
}
